// Random sequences of tree operations, with the row axis checked against a depth-first walk of
// the nodes after every step. The seed is printed so that a failure can be replayed.
#include "GridTreeTestKit.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <random>

using namespace gridtreetest;

namespace {
// The seed of a run: the given one, or GRIDTREE_SEED from the environment to try others.
unsigned SeedOr(unsigned theSeed) {
    const char* env = std::getenv("GRIDTREE_SEED");
    return env ? unsigned(std::strtoul(env, nullptr, 10)) : theSeed;
}

struct Random {
    std::mt19937 rng;
    explicit Random(unsigned seed) : rng(seed) {}
    int operator()(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); } // inclusive
    template <class T> T* Pick(const std::vector<T*>& v) {
        return v.empty() ? nullptr : v[size_t((*this)(0, int(v.size()) - 1))];
    }
};

std::vector<TNode*> AllLoaded(TOwner& o) {
    std::vector<TNode*> all;
    Walk(o.Roots(), all);
    return all;
}

bool InSubtreeOf(TNode* n, TNode* top) {
    for (; n; n = n->ParentNode())
        if (n == top) return true;
    return false;
}

// The nodes whose rows are loaded, on screen or not.
std::vector<TNode*> RowedNodes(TOwner& o) {
    std::vector<TNode*> v;
    for (int j = o.Fixed(); j < o.Rows()->LoadedCount(); ++j)
        if (TNode* n = AsNode(o.Rows()->getLoadedAxisContentItem(j)->Value2())) v.push_back(n);
    return v;
}
} // namespace

class GridTreeRandom : public ::testing::TestWithParam<int> {};

// All nodes loaded, rows for all of them: inserts, removals, expansion, hiding, moves within a
// list and to other lists (into the node's own subtree must be refused).
TEST_P(GridTreeRandom, RowsFollowTheTreeThroughRandomEdits) {
    const int fixed = GetParam();
    const unsigned seed = SeedOr(4301u) + unsigned(fixed);
    std::cout << "[   seed   ] " << seed << " (fixed rows " << fixed << ")" << std::endl;
    Random rnd(seed);
    TOwner o(fixed);
    TxoGridTree* t = o.Tree.get();
    const size_t kCrowded = 250;
    o.Fill = [&](TNode* n) {
        if (AllLoaded(o).size() > kCrowded) return; // expanding everything would grow the tree without end
        for (int k = rnd(0, 3); k > 0; --k)
            t->AddDataEntity(n);
    };
    std::string what;
    for (int step = 0; step < 1500; ++step) {
        std::vector<TNode*> all = AllLoaded(o);
        const bool crowded = all.size() > kCrowded;
        TNode* n = rnd.Pick(all);
        const int op = rnd(0, 99);
        if (op < 18 && !crowded) {
            what = "add";
            t->AddDataEntity(rnd(0, 3) == 0 ? nullptr : n);
        } else if (op < 32 && !crowded) {
            what = "insert";
            TNode* parent = rnd(0, 3) == 0 ? nullptr : n;
            const int count = parent ? parent->SubDataListCount() : o.Roots()->Count();
            t->InsertDataEntity(parent, rnd(0, count));
        } else if (op < 44 || (crowded && op < 60)) {
            what = "remove";
            t->RemoveDataEntity(n);
        } else if (op < 64) {
            what = "expand";
            if (n) n->SetExpanded(!n->Expanded());
        } else if (op < 72) {
            what = "hide";
            if (n) n->Set_HideNode(!n->HideNode());
        } else if (op < 84) {
            what = "move";
            if (n) n->Move(rnd(0, n->OwningDataList()->Count() - 1));
        } else if (op < 94) {
            what = "change owner";
            TNode* target = rnd.Pick(all);
            if (!n) continue;
            if (target && InSubtreeOf(target, n)) {
                const std::vector<TNode*> before = AllLoaded(o);
                EXPECT_THROW(n->ChangeOwner(target->SubDataList(), 0), Exception);
                EXPECT_EQ(AllLoaded(o), before);
            } else {
                TxoDataList* list = target ? target->SubDataList() : o.Roots();
                n->ChangeOwner(list, rnd(0, list->LoadedCount()));
            }
        } else if (op < 97) {
            what = "expand all";
            t->ExpandAll();
        } else if (op < 98) {
            what = "collapse all";
            t->CollapseAll();
        } else if (op < 99) {
            what = "sort a list";
            TxoDataList* list = n && n->SubDataListCount() > 0 ? n->SubDataList() : o.Roots();
            list->Sort(rnd(0, 1) == 1);
        } else {
            what = "clear";
            o.Roots()->Clear();
        }
        const std::string fault = Verify(o);
        ASSERT_EQ(fault, "") << "step " << step << " (" << what << ")";
        ASSERT_EQ(o.Roots()->LoadedCount(), o.Roots()->Count());
    }
}

// A virtual root level: scrolling (jumps and pages) unloads and reloads whole root blocks while
// the shown nodes are expanded, edited, hidden and moved, and roots come and go in unloaded regions.
TEST_P(GridTreeRandom, VirtualRowsFollowTheTreeThroughScrollingAndEdits) {
    const int fixed = GetParam();
    const unsigned seed = SeedOr(977u) + unsigned(fixed);
    std::cout << "[   seed   ] " << seed << " (fixed rows " << fixed << ")" << std::endl;
    Random rnd(seed);
    TOwner o(fixed);
    TxoGridTree* t = o.Tree.get();
    o.Fill = [&](TNode* n) {
        for (int k = rnd(0, 4); k > 0; --k)
            t->AddDataEntity(n);
    };
    o.Roots()->AddUnloaded(3000);
    const int page = 15;
    o.Layout(fixed, page);
    // A root index near the shown ones: the data list loads every entity between its window and
    // a far index when the window's entities may not go, which is the list's business, not ours.
    auto nearWindow = [&] {
        const int top = std::max(0, o.Root->Top() - fixed);
        return std::clamp(top + rnd(-150, 150), 0, std::max(0, o.Roots()->Count() - 1));
    };
    std::string what;
    for (int step = 0; step < 1500; ++step) {
        std::vector<TNode*> shown = RowedNodes(o);
        TNode* n = rnd.Pick(shown);
        const int op = rnd(0, 99);
        bool layout = true;
        if (op < 14) {
            what = "jump";
            o.Layout(rnd(fixed, o.Rows()->Count() - 1), page);
            layout = false;
        } else if (op < 30) {
            what = "page";
            const int top = o.Root->Top() + rnd(-page, page);
            o.Layout(std::clamp(top, fixed, std::max(fixed, o.Rows()->Count() - 1)), page);
            layout = false;
        } else if (op < 48) {
            what = "expand";
            if (n) n->SetExpanded(!n->Expanded());
        } else if (op < 56) {
            what = "add child";
            if (n) t->AddDataEntity(n);
        } else if (op < 63) {
            what = "remove";
            t->RemoveDataEntity(n);
        } else if (op < 70) {
            what = "insert root";
            t->InsertDataEntity(nullptr, std::min(nearWindow() + 1, o.Roots()->Count()));
        } else if (op < 77) {
            what = "move";
            if (n) {
                TxoDataList* list = n->OwningDataList();
                n->Move(std::clamp(n->ListIndex() + rnd(-3, 3), 0, list->Count() - 1));
            }
        } else if (op < 82) {
            what = "hide";
            if (n) n->Set_HideNode(!n->HideNode());
        } else if (op < 84) {
            what = "hide a root off screen";
            if (TNode* r = AsNode(o.Roots()->GetItems(nearWindow()))) r->Set_HideNode(!r->HideNode());
        } else if (op < 88) {
            what = "add unloaded";
            o.Roots()->AddUnloaded(rnd(1, 50));
        } else if (op < 92) {
            what = "child of a root without row";
            // A root loaded by the application, off screen; its row is loaded for the child.
            TNode* r = AsNode(o.Roots()->GetItems(nearWindow()));
            if (r) {
                TNode* c = t->AddDataEntity(r);
                ASSERT_NE(c, nullptr);
                EXPECT_NE(c->AxisContentItem(), nullptr) << "step " << step;
            }
        } else if (op < 96) {
            what = "remove a loaded root";
            t->RemoveDataEntity(AsNode(o.Roots()->GetItems(nearWindow())));
        } else if (op < 98) {
            what = "append root";
            if (o.Roots()->Count() - (o.Root->Top() - fixed) < 300) t->AddDataEntity(nullptr);
        } else {
            what = "change owner";
            TNode* target = rnd.Pick(shown);
            if (n && target && !InSubtreeOf(target, n)) n->ChangeOwner(target->SubDataList(), 0);
        }
        std::string fault = Verify(o);
        ASSERT_EQ(fault, "") << "step " << step << " (" << what << ")";
        if (layout) o.Layout(std::min(o.Root->Top(), std::max(fixed, o.Rows()->Count() - 1)), page);
        fault = Verify(o);
        ASSERT_EQ(fault, "") << "step " << step << " (" << what << ", then a layout pass)";
        // Only a window is in memory.
        ASSERT_LE(o.Rows()->LoadedCount(), 700) << "step " << step;
        ASSERT_LE(o.Roots()->LoadedCount(), 700) << "step " << step;
        ASSERT_LE(o.Tree->AllSubLists()->Count(), 700) << "step " << step;
    }
}

INSTANTIATE_TEST_SUITE_P(FixedRows, GridTreeRandom, ::testing::Values(0, 1, 2));
