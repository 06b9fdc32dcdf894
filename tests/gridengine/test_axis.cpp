#include "xoGridEngineTestKit.h"

#include <gtest/gtest.h>

#include <set>

using namespace gridtest;

namespace {
// F = 1, P = 10, L = 21, Q = 30: a header row, ten rows unloaded before a window of twenty,
// thirty after it. Built the way a grid gets there: grow the window, let the first ten go.
struct WindowedAxis : ::testing::Test {
    TTestViewer v;
    TAxisContentList* Y = nullptr;
    void SetUp() override {
        Y = v.root()->AxisContentListY();
        v.root()->SetFixedRows(1);
        Y->AddNew(nullptr);
        Y->AddUnloaded(60);
        Y->getAxisContentItem(30);
        Y->ClearVisibles();
        v.CanUnloadItem = [](TAxisContentItem* item) { return item->ListIndex() <= 10; };
        Y->Purge();
        v.CanUnloadItem = nullptr;
        v.LoadedIndices.clear();
        v.LoadedInFront.clear();
    }
};
} // namespace

TEST_F(WindowedAxis, IndexSpaces) {
    EXPECT_EQ(Y->UnloadedPreCount(), 10);
    EXPECT_EQ(Y->LoadedCount(), 21);
    EXPECT_EQ(Y->UnloadedPostCount(), 30);
    EXPECT_EQ(Y->Count(), 61);
    EXPECT_EQ(Y->getLoadedAxisContentItem(1)->ListIndex(), 11);
    EXPECT_EQ(Y->IndexConvert_RealToLoaded(11), 1);
    EXPECT_EQ(Y->IndexConvert_LoadedToReal(1), 11);
    EXPECT_EQ(Y->IndexConvert_RealToLoaded(0), 0);
    EXPECT_FALSE(Y->IsLoaded(5));
    EXPECT_TRUE(Y->IsLoaded(0));
    EXPECT_TRUE(Y->IsLoaded(30));
    EXPECT_FALSE(Y->IsLoaded(31));
    EXPECT_EQ(Y->getAxisContentItem(-1), nullptr);
    EXPECT_EQ(Y->getAxisContentItem(61), nullptr);
    EXPECT_EQ(Y->EnsureLoadedItem(0), nullptr); // fixed items are never loaded on demand
    EXPECT_THROW(Y->getLoadedAxisContentItem(21), EListError);
    EXPECT_THROW(Y->getVisibleAxisContentItem(0), EListError);
}

TEST_F(WindowedAxis, LoadingInFrontCallsBackFromTheHighestIndexDown) {
    TAxisContentItem* item = Y->getAxisContentItem(5);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->ListIndex(), 5);
    EXPECT_EQ(v.LoadedIndices, (std::vector<int>{10, 9, 8, 7, 6, 5}));
    EXPECT_EQ(v.LoadedInFront, std::vector<bool>(6, true));
    EXPECT_EQ(Y->UnloadedPreCount(), 4);
    EXPECT_EQ(Y->LoadedCount(), 27);
    EXPECT_EQ(Y->Count(), 61);
}

TEST_F(WindowedAxis, LoadingBehindCallsBackUpwards) {
    Y->getAxisContentItem(33);
    EXPECT_EQ(v.LoadedIndices, (std::vector<int>{31, 32, 33}));
    EXPECT_EQ(v.LoadedInFront, std::vector<bool>(3, false));
    EXPECT_EQ(Y->UnloadedPostCount(), 27);
    // A load protects what it loaded from the next purge.
    EXPECT_EQ(Y->UnloadProtectedStart(), 31);
    EXPECT_EQ(Y->UnloadProtectedStop(), 33);
}

TEST(Axis, AFarRequestRestartsTheWindowUnlessNothingMayGo) {
    for (bool allow : {true, false}) {
        SCOPED_TRACE(allow ? "unload allowed" : "no unload handler");
        TTestViewer v(allow);
        TAxisContentList* Y = v.root()->AxisContentListY();
        Y->AddUnloaded(2000);
        Y->getAxisContentItem(10); // window 0..10
        ASSERT_EQ(Y->LoadedCount(), 11);
        TAxisContentItem* far = Y->getAxisContentItem(1500);
        ASSERT_NE(far, nullptr);
        EXPECT_EQ(far->ListIndex(), 1500);
        if (allow) {
            EXPECT_EQ(Y->LoadedCount(), 1);
            EXPECT_EQ(Y->UnloadedPreCount(), 1500);
        } else {
            EXPECT_EQ(Y->LoadedCount(), 1501);
            EXPECT_EQ(Y->UnloadedPreCount(), 0);
        }
        EXPECT_EQ(Y->Count(), 2000);
    }
}

// With fixed items the re-based window used to count its pre-count from the requested index,
// which near the end of the axis left a negative post-count.
TEST(Axis, AJumpNearTheEndKeepsTheCountsConsistent) {
    TTestViewer v;
    TAxisContentList* Y = v.root()->AxisContentListY();
    v.root()->SetFixedRows(2);
    Y->AddNew(nullptr);
    Y->AddNew(nullptr);
    Y->AddUnloaded(1000);
    Y->getAxisContentItem(3);
    TAxisContentItem* last = Y->getAxisContentItem(1001);
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->ListIndex(), 1001);
    EXPECT_GE(Y->UnloadedPreCount(), 0);
    EXPECT_GE(Y->UnloadedPostCount(), 0);
    EXPECT_EQ(Y->Count(), 1002);
    for (int j = 0; j < Y->LoadedCount(); ++j)
        EXPECT_EQ(Y->getLoadedAxisContentItem(j)->ListIndex(), Y->IndexConvert_LoadedToReal(j));
    TAxisContentItem* added = Y->AddNew(nullptr);
    EXPECT_EQ(added->ListIndex(), 1002);
    EXPECT_EQ(Y->Count(), 1003);
}

TEST(Axis, AddUnloadedCreatesNoItem) {
    TTestViewer v;
    TAxisContentList* Y = v.root()->AxisContentListY();
    v.root()->SetFixedRows(1);
    Y->AddNew(nullptr);
    const int changes = v.AxisChanges;
    Y->AddUnloaded(1000);
    EXPECT_EQ(Y->Count(), 1001);
    EXPECT_EQ(Y->LoadedCount(), 1);
    EXPECT_EQ(v.AxisChanges, changes + 1);
    Y->AddUnloaded(0);
    Y->AddUnloaded(-5);
    EXPECT_EQ(Y->Count(), 1001);
    EXPECT_THROW(Y->AddUnloaded(2147483647), EListError);
    EXPECT_EQ(Y->Count(), 1001);
}

TEST(Axis, InsertingDuringALoadIsRefused) {
    TTestViewer v;
    TAxisContentList* Y = v.root()->AxisContentListY();
    Y->AddUnloaded(10);
    v.root()->SetOnVirtualLoad([&](TBabGridCell*, TAxisContentItem*, bool) { Y->InsertNew(0, nullptr); });
    try {
        Y->getAxisContentItem(3);
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Not allowed to add items during load");
    }
    v.root()->SetOnVirtualLoad(nullptr);
    EXPECT_EQ(Y->Count(), 10);
    EXPECT_NE(Y->InsertNew(0, nullptr), nullptr); // the load nesting was restored
    EXPECT_EQ(Y->Count(), 11);
}

TEST(Axis, InsertNewPlacesTheItemAndTakesTheMailbox) {
    TTestViewer v;
    TAxisContentList* Y = v.root()->AxisContentListY();
    TTag a(1), b(2), c(3), boxed(4);
    Y->AddNew(&a);
    Y->AddNew(&c);
    EXPECT_EQ(Y->InsertNew(1, &b)->Value(), &b);
    Y->SetNextItemReferenceMailbox(&boxed);
    EXPECT_EQ(Y->InsertNew(3, &a)->Value(), &boxed);
    EXPECT_EQ(Y->NextItemReferenceMailbox(), nullptr);
    std::vector<int> ids;
    for (int i = 0; i < Y->Count(); ++i)
        ids.push_back(static_cast<TTag*>(Y->Items(i)->Value())->Id);
    EXPECT_EQ(ids, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_THROW(Y->InsertNew(5, nullptr), EListError);
    EXPECT_THROW(Y->InsertNew(-1, nullptr), EListError);
    // At the end of an axis with unloaded items after the window: the tail is loaded first.
    Y->AddUnloaded(3);
    TAxisContentItem* tail = Y->InsertNew(Y->Count(), &a);
    EXPECT_EQ(tail->ListIndex(), 7);
    EXPECT_EQ(Y->Count(), 8);
    EXPECT_EQ(Y->UnloadedPostCount(), 0);
}

TEST(Axis, HidingReportsChangesAndForgetsUnloadedItems) {
    TTestViewer v;
    TAxisContentList* Y = v.root()->AxisContentListY();
    Y->AddUnloaded(10);
    TAxisContentItem* item = Y->getAxisContentItem(9); // window 0..9
    const int changes = v.AxisChanges;
    item->SetHide(true);
    item->SetHide(true);
    EXPECT_EQ(v.AxisChanges, changes + 1);
    EXPECT_EQ(Y->HiddenRowCount(), 1);
    Y->ClearVisibles();
    Y->Purge();
    EXPECT_EQ(Y->LoadedCount(), 0);
    EXPECT_EQ(Y->HiddenRowCount(), 0);
    EXPECT_EQ(Y->Count(), 10);
}

TEST(Axis, ItemsThatAreNotKeptLeaveTheAxis) {
    TTestViewer v;
    TAxisContentList* Y = v.root()->AxisContentListY();
    Y->AddUnloaded(10);
    Y->getAxisContentItem(9);
    TAxisContentItem* first = Y->Loaded(0);
    v.root()->SetOnKeepAfterUnloadCheck(
        [first](TBabGridCell*, TAxisContentItem* item, bool, bool& keep) { keep = item != first; });
    Y->ClearVisibles();
    Y->Purge();
    EXPECT_EQ(Y->Count(), 9);
    EXPECT_EQ(Y->LoadedCount(), 0);
    EXPECT_EQ(Y->UnloadedPreCount() + Y->UnloadedPostCount(), 9);
}

TEST(Axis, PurgeUnloadsWholeGroupsAndStopsAtTheScreen) {
    TTestViewer v;
    TAxisContentList* Y = v.root()->AxisContentListY();
    Y->AddUnloaded(20);
    Y->getAxisContentItem(19);
    // Pairs (0,1), (2,3), ... go together.
    v.root()->SetOnUnloadIntervall([](TBabGridCell*, TAxisContentItem*, bool, int& start, int& stop) {
        start -= start % 2;
        stop = start + 1;
    });
    Y->ClearVisibles();
    Y->AddToVisible(Y->getAxisContentItem(9));
    v.CanUnloadItem = [](TAxisContentItem* item) { return item->ListIndex() != 16; };
    Y->Purge();
    // From the front up to the pair (8,9), which is on screen; from the back down to the pair
    // (16,17), which refuses.
    EXPECT_EQ(Y->UnloadedPreCount(), 8);
    EXPECT_EQ(Y->LoadedCount(), 10);
    EXPECT_EQ(Y->UnloadedPostCount(), 2);
    EXPECT_EQ(Y->getLoadedAxisContentItem(0)->ListIndex(), 8);

    v.root()->SetOnUnloadIntervall(
        [](TBabGridCell*, TAxisContentItem*, bool, int& start, int& stop) { stop = start - 1; });
    try {
        Y->Purge();
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Incorrect intervall");
    }
}

TEST(Axis, ClearKeepFixedItemsReportsEachUnloadedRegionOnce) {
    TTestViewer v;
    TAxisContentList* Y = v.root()->AxisContentListY();
    std::vector<std::pair<int, int>> deleted;
    v.root()->SetOnDeleteOfUnloaded([&](TBabGridCell*, bool isRow, int& start, int& stop) {
        EXPECT_TRUE(isRow);
        deleted.push_back({start, stop});
    });
    v.root()->SetFixedRows(1);
    Y->AddNew(nullptr);
    Y->AddUnloaded(50);
    Y->getAxisContentItem(20);
    Y->ClearVisibles();
    v.CanUnloadItem = [](TAxisContentItem* item) { return item->ListIndex() < 10; };
    Y->Purge(); // P = 9, window 10..20, Q = 30
    ASSERT_EQ(Y->UnloadedPreCount(), 9);
    ASSERT_EQ(Y->UnloadedPostCount(), 30);
    Y->ClearKeepFixedItems();
    EXPECT_EQ(deleted, (std::vector<std::pair<int, int>>{{10, 39}, {1, 9}}));
    EXPECT_EQ(Y->Count(), 1);
    EXPECT_EQ(Y->LoadedCount(), 1);
}

TEST(Axis, DroppingAndMoving) {
    TTestViewer v;
    TAxisContentList* Y = v.root()->AxisContentListY();
    std::vector<std::unique_ptr<TTag>> tags;
    for (int i = 0; i < 6; ++i) {
        tags.push_back(std::make_unique<TTag>(i));
        Y->AddNew(tags.back().get());
    }
    auto ids = [&] {
        std::vector<int> r;
        for (int i = 0; i < Y->Count(); ++i)
            r.push_back(static_cast<TTag*>(Y->Items(i)->Value())->Id);
        return r;
    };
    Y->Move(1, 4);
    EXPECT_EQ(ids(), (std::vector<int>{0, 2, 3, 4, 1, 5}));
    Y->Move(5, 0);
    EXPECT_EQ(ids(), (std::vector<int>{5, 0, 2, 3, 4, 1}));
    Y->Drop(2);
    EXPECT_EQ(ids(), (std::vector<int>{5, 0, 3, 4, 1}));
    for (int i = 0; i < Y->Count(); ++i)
        EXPECT_EQ(Y->Items(i)->ListIndex(), i);
    Y->Drop(99);
    Y->Drop(-1);
    EXPECT_EQ(Y->Count(), 5);
    EXPECT_THROW(Y->Move(0, 5), EListError);

    // An unloaded item in front of the window: every loaded index moves down by one.
    Y->AddUnloaded(600);
    Y->getAxisContentItem(600); // far: the window restarts there
    ASSERT_FALSE(Y->IsLoaded(300));
    TAxisContentItem* item = Y->getAxisContentItem(600);
    Y->Drop(300);
    EXPECT_EQ(Y->Count(), 604);
    EXPECT_EQ(item->ListIndex(), 599);
}

TEST(Axis, VisibleIterator) {
    struct Case {
        int fromZero, fromMiddle, end;
        std::vector<int> visits;
    };
    for (const Case& c : std::vector<Case>{{2, 7, 10, {0, 1, 7, 8, 9}},
                                           {0, 3, 5, {3, 4}},
                                           {2, 0, 4, {0, 1, 2, 3}}, // scroll position inside the fixed items
                                           {1, 5, 3, {0}},
                                           {0, 0, 0, {}}}) {
        std::vector<int> visits;
        for (TVisibleIterator it(c.fromZero, c.fromMiddle, c.end); !it.Eof(); it.Next())
            visits.push_back(it.Index());
        EXPECT_EQ(visits, c.visits) << c.fromZero << "," << c.fromMiddle << "," << c.end;
    }
}

TEST(Axis, UserSizesAreSharedThroughTheirHolder) {
    TTestViewer v;
    TAxisContentList* X = v.root()->AxisContentListX();
    TAxisContentItem* a = X->AddNew(nullptr);
    TAxisContentItem* b = X->AddNew(nullptr);
    TUserSizeItem shared;
    a->SetUserSizeItem(&shared);
    b->SetUserSizeItem(&shared);
    std::vector<TObject*> messages;
    TSingleEventListener l(
        v.root()->UserSizeEvent(),
        [&](TSingleEventListener* me) { messages.push_back(me->CallingMessage()); }, false);
    a->SetUserSize(70);
    a->SetUserSizeActive(true);
    EXPECT_EQ(b->UserSize(), 70);
    EXPECT_TRUE(b->UserSizeActive());
    b->SetUserSize(70); // no comparison with the old value
    EXPECT_EQ(messages, (std::vector<TObject*>{a, b}));
    b->SetUserSizeItem(nullptr);
    EXPECT_EQ(b->UserSize(), 70); // its own copy
    a->SetUserSize(10);
    EXPECT_EQ(b->UserSize(), 70);
    EXPECT_EQ(shared.UserSize(), 10);
}

TEST(Axis, VisibleIndicesSkipHiddenItemsAndCountUnloadedOnesAsVisible) {
    TTestViewer v;
    TBabGridCell* g = v.root();
    TAxisContentList* Y = g->AxisContentListY();
    g->SetFixedRows(1);
    for (int i = 0; i < 10; ++i)
        Y->AddNew(nullptr);
    Y->Items(3)->SetHide(true);
    Y->Items(4)->SetHide(true);
    EXPECT_EQ(g->Convert_VisibleIndexToTrue(Y, 5), 7);
    EXPECT_EQ(g->Convert_TrueIndexToVisible(Y, 7), 5);
    EXPECT_EQ(g->Convert_VisibleIndexToTrue(Y, 2), 2);
    EXPECT_EQ(g->Convert_VisibleIndexToTrue(Y, 100), 9); // past the end: the last item
    for (int vis = 0; vis < 8; ++vis)
        EXPECT_EQ(g->Convert_TrueIndexToVisible(Y, g->Convert_VisibleIndexToTrue(Y, vis)), vis);
    // A hidden fixed item is skipped both ways.
    Y->Items(0)->SetHide(true);
    EXPECT_EQ(g->Convert_VisibleIndexToTrue(Y, 0), 1);
    EXPECT_EQ(g->Convert_TrueIndexToVisible(Y, 1), 0);
    Y->Items(0)->SetHide(false);
    // Items beyond the window are unknown and count as visible, so a scroll position far down a
    // virtual axis reaches its row.
    Y->AddUnloaded(1000);
    EXPECT_EQ(g->Convert_VisibleIndexToTrue(Y, 500), 502);
    EXPECT_EQ(g->Convert_VisibleIndexToTrue(Y, 5000), Y->Count() - 1);
    g->SetTop_ScrollVal(500);
    EXPECT_EQ(g->Top(), 502);
    EXPECT_EQ(g->Top_ScrollVal(), 500);
    // An axis with nothing but fixed items has no visible index to map.
    TAxisContentList* X = g->AxisContentListX();
    g->SetFixedCols(1);
    X->AddNew(nullptr);
    EXPECT_EQ(g->Convert_VisibleIndexToTrue(X, 0), -1);
}
