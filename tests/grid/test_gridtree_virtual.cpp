// A virtual root level: the root list and the row axis count the same unloaded roots, rows are
// bound to their roots as they are loaded, and a root's subtree leaves as one block.
#include "GridTreeTestKit.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace gridtreetest;

namespace {
// Every placed row bound to the root at its place (for a tree whose roots are all collapsed).
void ExpectRowsBoundToTheirRoots(TOwner& o) {
    TAxisContentList* Y = o.Rows();
    for (int k = 0; k < Y->VisibleCount(); ++k) {
        TAxisContentItem* row = Y->Visibles(k);
        const int index = row->ListIndex();
        if (index < o.Fixed()) continue;
        TNode* n = AsNode(row->Value2());
        ASSERT_NE(n, nullptr) << "row " << index;
        EXPECT_EQ(n->AxisContentItem(), row);
        EXPECT_EQ(n->ListIndex(), index - o.Fixed()) << "row " << index;
    }
}
} // namespace

TEST(GridTreeVirtual, UnloadedRootsAreUnloadedRowsBoundWhenShown) {
    TOwner o;
    o.Roots()->AddUnloaded(1000);
    EXPECT_EQ(o.Roots()->Count(), 1000);
    EXPECT_EQ(o.Roots()->LoadedCount(), 0);
    EXPECT_EQ(o.Rows()->Count(), o.Fixed() + 1000);
    EXPECT_EQ(o.Rows()->LoadedCount(), o.Fixed());
    o.Layout(500, 10);
    TNode* n = o.NodeAt(500);
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(n->ListIndex(), 500 - o.Fixed());
    EXPECT_FALSE(n->Expanded());
    EXPECT_FALSE(n->SubDataListInitiated());
    ExpectRowsBoundToTheirRoots(o);
    EXPECT_GT(o.Count(ieLoad), 0);
    EXPECT_EQ(Verify(o), "");
}

TEST(GridTreeVirtual, AMillionRootsScrolledThroughWithOnlyTheWindowLoaded) {
    TOwner o;
    const int kRoots = 1000000, kPage = 30;
    o.Roots()->AddUnloaded(kRoots);
    size_t peakRows = 0, peakRoots = 0;
    auto pass = [&](int top) {
        o.Layout(top, kPage);
        peakRows = std::max(peakRows, size_t(o.Rows()->LoadedCount()));
        peakRoots = std::max(peakRoots, size_t(o.Roots()->LoadedCount()));
        ASSERT_EQ(o.Rows()->Count(), kRoots + o.Fixed());
        ASSERT_EQ(o.Roots()->Count(), kRoots);
        ExpectRowsBoundToTheirRoots(o);
    };
    // Page by page from the top, in jumps through the whole level, to the very end, then back up
    // page by page (rows loaded in front of the window).
    int top = 1;
    for (int k = 0; k < 200; ++k, top += o.Root->VisibleRowCount() - o.Fixed())
        pass(top);
    for (; top < kRoots; top += 4999)
        pass(top);
    pass(kRoots);
    EXPECT_EQ(o.NodeAt(kRoots)->ListIndex(), kRoots - 1);
    for (int k = 0, t = kRoots - 1000; k < 100; ++k, t -= kPage)
        pass(t);
    // About two pages at most: the page shown and the one just left, until the next pass.
    EXPECT_LE(peakRows, size_t(2 * kPage + 2));
    EXPECT_LE(peakRoots, size_t(2 * kPage + 2));
    EXPECT_EQ(o.Tree->AllSubLists()->Count(), 1);
    EXPECT_EQ(Verify(o), "");
}

TEST(GridTreeVirtual, ARootsSubtreeLeavesAndComesBackAsABlock) {
    TOwner o;
    constexpr int kTag = 77; // the nodes of the block
    o.Fill = [&](TNode* n) {
        for (int k = 0; k < 3; ++k)
            o.Tree->AddDataEntity(n)->SetUserIntegerReference(kTag);
    };
    o.Roots()->AddUnloaded(10000);
    // A root shown at row `row` (scroll position `top`) is expanded, then the screen moves to
    // `leave`: the block goes from its front end (scrolling down), from its back end (scrolling
    // up), or as a whole (a jump).
    struct Case {
        const char* what;
        int top, row;
        bool grandchildren;
        int leave, nodes;
    } cases[] = {
        {"front", 1, 5, true, 30, 7},
        {"back", 100, 110, true, 60, 7},
        {"jump", 1, 5, false, 6000, 4},
        {"again", 1, 5, false, 40, 4},
    };
    size_t fills = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        o.Layout(c.top, 20);
        TNode* r = o.NodeAt(c.row);
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(r->ListIndex(), c.row - o.Fixed());
        // Each time a new node: collapsed, its children to be asked for again.
        EXPECT_FALSE(r->Expanded());
        EXPECT_FALSE(r->SubDataListInitiated());
        r->SetUserIntegerReference(kTag);
        r->SetExpanded(true);
        if (c.grandchildren) AsNode(r->SubDataList()->GetItems(1))->SetExpanded(true);
        ASSERT_EQ(Verify(o), "");
        fills += c.grandchildren ? 2 : 1;
        EXPECT_EQ(o.FillAsked.size(), fills);
        EXPECT_EQ(o.Rows()->Count(), 10000 + o.Fixed() + c.nodes - 1);

        o.ClearEvents();
        o.Layout(c.leave, 20);
        ASSERT_EQ(Verify(o), "");
        EXPECT_EQ(o.Count(ieUnload, kTag), c.nodes);
        EXPECT_EQ(o.Count(ieRemove, kTag), c.nodes);
        EXPECT_EQ(o.Rows()->Count(), 10000 + o.Fixed()); // the children's rows have left the axis
        EXPECT_EQ(o.Tree->AllSubLists()->Count(), 1);
        EXPECT_LE(o.Roots()->LoadedCount(), 60);
    }
}

TEST(GridTreeVirtual, RowsTheApplicationKeepsStayBound) {
    TOwner o;
    o.AllowUnload = false;
    o.Roots()->AddUnloaded(2000);
    o.Layout(1, 10);
    o.Layout(100, 10);
    // Nothing may go, so the window has grown over everything between.
    EXPECT_GE(o.Rows()->LoadedCount(), 110);
    EXPECT_EQ(o.Roots()->LoadedCount(), o.Rows()->LoadedCount() - o.Fixed());
    EXPECT_EQ(Verify(o), "");
}

TEST(GridTreeVirtual, RootsInUnloadedRegionsKeepTheCountsInStep) {
    TOwner o;
    o.Roots()->AddUnloaded(5000);
    o.Layout(2000, 10);
    ASSERT_EQ(Verify(o), "");
    struct Case {
        const char* what;
        std::function<void()> edit;
        int rowDelta;
    } cases[] = {
        {"insert before the window", [&] { o.Tree->InsertDataEntity(nullptr, 1500); }, 1},
        {"insert behind the window", [&] { o.Tree->InsertDataEntity(nullptr, 2500); }, 1},
        {"insert next to the window", [&] { o.Tree->InsertDataEntity(nullptr, 1999); }, 1},
        {"remove before the window", [&] { o.Tree->RemoveDataEntity(AsNode(o.Roots()->GetItems(1700))); },
         -1},
        {"remove behind the window", [&] { o.Tree->RemoveDataEntity(AsNode(o.Roots()->GetItems(2300))); },
         -1},
        {"move a shown root far up", [&] { o.NodeAt(2003)->Move(1800); }, 0},
        {"move a root from before to behind the window",
         [&] { AsNode(o.Roots()->GetItems(1900))->Move(2100); }, 0},
        {"a child for a root off screen", [&] { o.Tree->AddDataEntity(AsNode(o.Roots()->GetItems(2200))); },
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const int before = o.Rows()->Count();
        c.edit();
        EXPECT_EQ(o.Rows()->Count(), before + c.rowDelta);
        ASSERT_EQ(Verify(o), "");
        o.Layout(o.Root->Top(), 10);
        ASSERT_EQ(Verify(o), "");
    }
    EXPECT_EQ(o.Rows()->Count() - o.Fixed(), o.Roots()->Count());
}

TEST(GridTreeVirtual, ARootHiddenOffScreenStillHasItsRowWhenShown) {
    TOwner o;
    o.Roots()->AddUnloaded(100);
    o.Layout(1, 10);
    // Loaded and hidden by the application while its row is unloaded.
    TNode* hidden = AsNode(o.Roots()->GetItems(30));
    hidden->Set_HideNode(true);
    o.Layout(25, 10);
    ASSERT_EQ(Verify(o), "");
    ASSERT_NE(hidden->AxisContentItem(), nullptr);
    EXPECT_EQ(hidden->AxisContentItem()->ListIndex(), 30 + o.Fixed());
    EXPECT_TRUE(hidden->AxisContentItem()->Hide());
    ExpectRowsBoundToTheirRoots(o);
    o.Layout(95, 10);
    EXPECT_EQ(Verify(o), "");
}

TEST(GridTreeVirtual, ClearingTheRootsClearsTheRowsButTheFixedOnes) {
    TOwner o(2);
    o.Roots()->AddUnloaded(300);
    o.Layout(100, 10);
    o.Roots()->Clear();
    EXPECT_EQ(o.Rows()->Count(), 2);
    EXPECT_EQ(o.Roots()->Count(), 0);
    o.Roots()->AddUnloaded(50);
    o.Layout(10, 10);
    EXPECT_EQ(Verify(o), "");
}

TEST(GridTreeVirtual, ARowThatFindsNoNodeOrABoundNodeRaises) {
    TOwner o;
    o.Roots()->AddUnloaded(5);
    // Deleting an unloaded entity straight from the list is not reported: the rows count one root
    // too many, and loading the last row finds no root for it.
    o.Roots()->Delete(4);
    EXPECT_THROW(
        {
            try {
                o.Layout(1, 10);
            } catch (const Exception& e) {
                EXPECT_STREQ(e.what(), "No loadeditem found");
                throw;
            }
        },
        Exception);
    TOwner p;
    p.Roots()->AddUnloaded(3);
    p.Layout(1, 10);
    EXPECT_THROW(
        {
            try {
                // Loading behind row 2 asks for the root after row 2's root: root 2, bound to row 3.
                p.Tree->_OnGridRowReload(p.Rows()->getAxisContentItem(3));
            } catch (const Exception& e) {
                EXPECT_STREQ(e.what(), "Unloaded or loaded?");
                throw;
            }
        },
        Exception);
}
