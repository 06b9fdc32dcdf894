// Rows of a grid tree against its nodes: placement in tree order, hiding, lazy children, tree
// order, moves, removal and the notifications.
#include "GridTreeTestKit.h"

#include <gtest/gtest.h>

#include <climits>

using namespace gridtreetest;

namespace {
// Node ids for readable expectations.
TNode* Named(TNode* n, int id) {
    n->SetUserIntegerReference(id);
    return n;
}
int Id(TNode* n) {
    return n ? n->UserIntegerReference() : -1;
}

// Ids of the nodes of the loaded rows after the fixed ones, a hidden row in brackets.
std::string RowIds(TOwner& o) {
    std::string s;
    for (int j = o.Fixed(); j < o.Rows()->LoadedCount(); ++j) {
        TAxisContentItem* row = o.Rows()->getLoadedAxisContentItem(j);
        TNode* n = AsNode(row->Value2());
        if (!s.empty()) s += ' ';
        s += row->Hide() ? "(" + std::to_string(Id(n)) + ")" : std::to_string(Id(n));
    }
    return s;
}

// 1 [2 3 [4]] 5: node 1 with children 2 and 3, 3 with child 4; all collapsed.
struct Sample {
    TOwner o;
    TNode *n1, *n2, *n3, *n4, *n5;
    explicit Sample(int fixed = 1) : o(fixed) {
        TxoGridTree* t = o.Tree.get();
        n1 = Named(t->AddDataEntity(nullptr), 1);
        n5 = Named(t->AddDataEntity(nullptr), 5);
        n2 = Named(t->AddDataEntity(n1), 2);
        n3 = Named(t->AddDataEntity(n1), 3);
        n4 = Named(t->AddDataEntity(n3), 4);
    }
};
} // namespace

TEST(GridTreeRows, ThreeRootsGiveThreeRowsAfterTheFixedRows) {
    for (int fixed : {0, 1, 2}) {
        TOwner o(fixed);
        TNode* a = o.Tree->AddDataEntity(nullptr);
        TNode* b = o.Tree->AddDataEntity(nullptr);
        TNode* c = o.Tree->AddDataEntity(nullptr);
        ASSERT_EQ(o.Rows()->Count(), fixed + 3);
        EXPECT_EQ(o.NodeAt(fixed), a);
        EXPECT_EQ(o.NodeAt(fixed + 1), b);
        EXPECT_EQ(o.NodeAt(fixed + 2), c);
        for (TNode* n : {a, b, c}) {
            EXPECT_EQ(n->Level(), 0);
            EXPECT_EQ(n->AxisContentItem()->Value(), n);
            EXPECT_TRUE(n->CanEdit());
            EXPECT_FALSE(n->Expanded());
            EXPECT_FALSE(n->SubDataListInitiated());
        }
        EXPECT_EQ(Verify(o), "");
    }
}

TEST(GridTreeRows, ChildrenOfACollapsedRootAreHiddenUntilItIsExpanded) {
    Sample s;
    EXPECT_EQ(RowIds(s.o), "1 (2) (3) (4) 5");
    EXPECT_EQ(s.n2->Level(), 1);
    EXPECT_EQ(s.n4->Level(), 2);
    s.n1->SetExpanded(true);
    EXPECT_EQ(RowIds(s.o), "1 2 3 (4) 5");
    s.n3->SetExpanded(true);
    EXPECT_EQ(RowIds(s.o), "1 2 3 4 5");
    // Collapsing hides every descendant, the expanded ones' children too.
    s.n1->SetExpanded(false);
    EXPECT_EQ(RowIds(s.o), "1 (2) (3) (4) 5");
    EXPECT_TRUE(s.n3->Expanded());
    EXPECT_EQ(s.o.Rows()->HiddenRowCount(), 3);
    EXPECT_EQ(Verify(s.o), "");
}

TEST(GridTreeRows, HideNodeHidesTheSubtreeWhateverItsExpandedState) {
    Sample s;
    s.n1->SetExpanded(true);
    s.n3->SetExpanded(true);
    s.n3->Set_HideNode(true);
    EXPECT_EQ(RowIds(s.o), "1 2 (3) (4) 5");
    s.n1->Set_HideNode(true);
    EXPECT_EQ(RowIds(s.o), "(1) (2) (3) (4) 5");
    s.n1->Set_HideNode(false);
    EXPECT_EQ(RowIds(s.o), "1 2 (3) (4) 5");
    EXPECT_FALSE(s.n4->IsVisible());
    s.n3->Set_HideNode(false);
    EXPECT_EQ(RowIds(s.o), "1 2 3 4 5");
    EXPECT_EQ(Verify(s.o), "");
}

TEST(GridTreeRows, ChildrenAreAskedForOnceOnTheFirstExpansion) {
    TOwner o;
    o.Fill = [&](TNode* n) {
        // The node is already expanded while it is filled: its new children are shown at once.
        EXPECT_TRUE(n->Expanded());
        o.Tree->AddDataEntity(n);
        o.Tree->AddDataEntity(n);
    };
    TNode* root = o.Tree->AddDataEntity(nullptr);
    root->SetExpanded(true);
    ASSERT_EQ(o.FillAsked.size(), 1u);
    EXPECT_EQ(o.FillAsked[0], root);
    EXPECT_TRUE(root->SubDataListInitiated());
    EXPECT_EQ(root->SubDataListCount(), 2);
    EXPECT_EQ(o.Rows()->HiddenRowCount(), 0);
    root->SetExpanded(false);
    root->SetExpanded(true);
    EXPECT_EQ(o.FillAsked.size(), 1u);
    EXPECT_EQ(root->SubDataListCount(), 2);
    EXPECT_EQ(Verify(o), "");
}

TEST(GridTreeRows, AnExpandHandlerCanRefuse) {
    TOwner o;
    TNode* root = o.Tree->AddDataEntity(nullptr);
    bool allowExpand = false, allowCollapse = false;
    o.Tree->SetOnExpand([&](TxoGridTree* t, TNode* n, bool& allow) {
        EXPECT_EQ(t, o.Tree.get());
        EXPECT_EQ(n, root);
        EXPECT_TRUE(allow);
        allow = allowExpand;
    });
    o.Tree->SetOnCollapse([&](TxoGridTree*, TNode*, bool& allow) { allow = allowCollapse; });
    root->SetExpanded(true);
    EXPECT_FALSE(root->Expanded());
    EXPECT_FALSE(root->SubDataListInitiated());
    EXPECT_TRUE(o.FillAsked.empty());
    allowExpand = true;
    root->SetExpanded(true);
    EXPECT_TRUE(root->Expanded());
    root->SetExpanded(false);
    EXPECT_TRUE(root->Expanded());
    allowCollapse = true;
    root->SetExpanded(false);
    EXPECT_FALSE(root->Expanded());
}

TEST(GridTreeRows, TreeOrder) {
    Sample s;
    s.n1->SetExpanded(true);
    // next, prev, next visible, prev visible (4 is hidden: 3 is collapsed)
    struct Case {
        TNode* node;
        int next, prev, nextVisible, prevVisible;
    } cases[] = {
        {s.n1, 2, -1, 2, -1}, {s.n2, 3, 1, 3, 1},   {s.n3, 4, 2, 5, 2},
        {s.n4, 5, 3, 5, 3},   {s.n5, -1, 4, -1, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Id(c.node));
        EXPECT_EQ(Id(c.node->GetNext()), c.next);
        EXPECT_EQ(Id(c.node->GetPrev()), c.prev);
        EXPECT_EQ(Id(c.node->GetNextVisible()), c.nextVisible);
        EXPECT_EQ(Id(c.node->GetPrevVisible()), c.prevVisible);
    }
    EXPECT_EQ(s.n4->ParentNode(), s.n3);
    EXPECT_EQ(s.n1->ParentNode(), nullptr);
}

TEST(GridTreeRows, InsertionsLandAtTheirPlaceInTreeOrder) {
    Sample s;
    TxoGridTree* t = s.o.Tree.get();
    Named(t->InsertDataEntity(nullptr, 1), 6); // between the roots, after 1's subtree
    Named(t->InsertDataEntity(s.n1, 0), 7);    // first child of 1
    Named(t->InsertDataEntity(s.n3, 1), 8);    // after 4
    Named(t->InsertDataEntity(nullptr, 0), 9); // first root
    EXPECT_EQ(RowIds(s.o), "9 1 (7) (2) (3) (4) (8) 6 5");
    EXPECT_EQ(Verify(s.o), "");
    EXPECT_THROW(t->InsertDataEntity(s.n1, 10), EListError);
    EXPECT_EQ(Verify(s.o), "");
}

TEST(GridTreeRows, MovingANodeMovesItsSubtreeRowsAfterItsNewPreviousNode) {
    TOwner o;
    TxoGridTree* t = o.Tree.get();
    TNode* a = Named(t->AddDataEntity(nullptr), 1);
    Named(t->AddDataEntity(nullptr), 2);
    TNode* c = Named(t->AddDataEntity(nullptr), 3);
    Named(t->AddDataEntity(a), 11);
    Named(t->AddDataEntity(a), 12);
    a->SetExpanded(true);
    EXPECT_EQ(RowIds(o), "1 11 12 2 3");
    a->Move(2);
    EXPECT_EQ(RowIds(o), "2 3 1 11 12");
    a->Move(0);
    EXPECT_EQ(RowIds(o), "1 11 12 2 3");
    c->Move(1);
    EXPECT_EQ(RowIds(o), "1 11 12 3 2");
    EXPECT_EQ(o.Count(ieMovePerfomed), 3);
    EXPECT_EQ(Verify(o), "");
}

TEST(GridTreeRows, ChangingOwnerCarriesTheSubtreeAndTakesTheNewParentsState) {
    Sample s;
    TNode* n6 = Named(s.o.Tree->AddDataEntity(s.n5), 6);
    s.n5->SetExpanded(true);
    EXPECT_EQ(RowIds(s.o), "1 (2) (3) (4) 5 6");
    // 3 (with 4) moves under the expanded 5, behind 6.
    s.n3->ChangeOwner(s.n5->SubDataList(), 1);
    EXPECT_EQ(s.n3->ParentNode(), s.n5);
    EXPECT_EQ(RowIds(s.o), "1 (2) 5 6 3 (4)");
    // 6 becomes a root in front of 1.
    n6->ChangeOwner(s.o.Roots(), 0);
    EXPECT_EQ(RowIds(s.o), "6 1 (2) 5 3 (4)");
    EXPECT_EQ(n6->Level(), 0);
    EXPECT_EQ(Verify(s.o), "");
}

TEST(GridTreeRows, ANodeCannotMoveIntoItsOwnSubtree) {
    Sample s;
    s.n1->SetExpanded(true);
    const std::string before = RowIds(s.o);
    EXPECT_THROW(s.n1->ChangeOwner(s.n3->SubDataList(), 0), Exception);
    EXPECT_EQ(s.n1->ParentNode(), nullptr);
    EXPECT_EQ(s.n1->ListIndex(), 0);
    EXPECT_EQ(RowIds(s.o), before);
    EXPECT_EQ(Verify(s.o), "");
}

TEST(GridTreeRows, RemovingANodeRemovesItsSubtreeRowsAndReportsEachNode) {
    Sample s;
    s.n1->SetExpanded(true);
    s.n3->SetExpanded(true);
    std::vector<int> deleted;
    s.o.Tree->SetOnDeleteItem([&](TxoGridTree*, TNode* n) { deleted.push_back(Id(n)); });
    s.o.ClearEvents();
    s.o.Tree->RemoveDataEntity(s.n1);
    EXPECT_EQ(RowIds(s.o), "5");
    EXPECT_EQ(s.o.Count(ieRemove), 4);
    std::sort(deleted.begin(), deleted.end());
    EXPECT_EQ(deleted, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(s.o.Tree->AllSubLists()->Count(), 1); // the root list only
    EXPECT_EQ(Verify(s.o), "");
    s.o.Tree->RemoveDataEntity(nullptr);
    s.o.Roots()->Clear();
    EXPECT_EQ(s.o.Rows()->Count(), s.o.Fixed());
}

TEST(GridTreeRows, NotificationsOfAnInsert) {
    using K = TIntegrationEventKind;
    TOwner o;
    TNode* root = o.Tree->AddDataEntity(nullptr);
    TNode* shown = o.Tree->AddDataEntity(nullptr);
    shown->SetExpanded(true);
    struct Case {
        const char* what;
        std::function<TNode*()> insert;
        std::vector<K> kinds;
    } cases[] = {
        {"root",
         [&] { return o.Tree->AddDataEntity(nullptr); },
         {ieVisibleChanged, ieInsert, ieVisibleChanged, ieVisibleChanged}},
        {"child of a collapsed node",
         [&] { return o.Tree->AddDataEntity(root); },
         {ieVisibleChanged, ieInsert, ieVisibleChanged}},
        {"child of an expanded node",
         [&] { return o.Tree->AddDataEntity(shown); },
         {ieVisibleChanged, ieInsert}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        o.ClearEvents();
        int inserted = 0;
        o.Tree->SetOnInsertItem([&](TxoGridTree*, TNode*) { ++inserted; });
        TNode* n = c.insert();
        std::vector<K> kinds;
        for (auto& e : o.Events) {
            kinds.push_back(e.first);
            EXPECT_EQ(e.second, n);
        }
        EXPECT_EQ(kinds, c.kinds);
        EXPECT_EQ(inserted, 1);
    }
    o.ClearEvents();
    root->SetSelected(true);
    o.Tree->IntegrationTargetInvalidate();
    ASSERT_EQ(o.Events.size(), 2u);
    EXPECT_EQ(o.Events[0], std::make_pair(ieSelectionChanged, static_cast<TxoDataEntity*>(root)));
    EXPECT_EQ(o.Events[1], std::make_pair(ieInvalidate, static_cast<TxoDataEntity*>(nullptr)));
}

TEST(GridTreeRows, ImageIndexChangesAskTheGridToRepaint) {
    TOwner o;
    TNode* n = o.Tree->AddDataEntity(nullptr);
    n->SetImageIndex(3);
    n->SetImageIndex(3);
    n->SetSelectedIndex(4);
    EXPECT_EQ(o.Repaints, 2);
    EXPECT_EQ(n->ImageIndex(), 3);
    EXPECT_EQ(n->SelectedIndex(), 4);
}

TEST(GridTreeRows, ExpandAllVisitsChildrenBeforeTheirParent) {
    TOwner o;
    std::vector<TNode*> order;
    o.Fill = [&](TNode* n) {
        if (n->Level() < 2 && n->SubDataListCount() == 0) o.Tree->AddDataEntity(n); // one child per level
    };
    o.Tree->SetOnExpand([&](TxoGridTree*, TNode* n, bool&) { order.push_back(n); });
    TNode* r = o.Tree->AddDataEntity(nullptr);
    TNode* c = o.Tree->AddDataEntity(r);
    o.Tree->ExpandAll();
    // c first, then r; the child that c's fill made stays collapsed.
    ASSERT_EQ(order.size(), 2u);
    EXPECT_EQ(order[0], c);
    EXPECT_EQ(order[1], r);
    ASSERT_EQ(c->SubDataListCount(), 1);
    EXPECT_FALSE(AsNode(c->SubDataList()->GetItems(0))->Expanded());
    EXPECT_EQ(Verify(o), "");
    o.Tree->CollapseAll();
    EXPECT_FALSE(r->Expanded());
    EXPECT_FALSE(c->Expanded());
    EXPECT_EQ(Verify(o), "");
}

TEST(GridTreeRows, NodesOfAnotherTreeAreRefused) {
    TOwner a, b;
    TNode* n = a.Tree->AddDataEntity(nullptr);
    EXPECT_THROW(b.Tree->AddDataEntity(n), Exception);
    EXPECT_THROW(b.Tree->InsertDataEntity(n, 0), Exception);
    // A tree with nodes stays on its grid cell.
    EXPECT_THROW(a.Tree->SetGridCell(b.Root.get()), Exception);
}

TEST(GridTreeRows, DestroyingTheTreeLeavesNoNodeInTheRows) {
    TOwner o;
    TNode* n = o.Tree->AddDataEntity(nullptr);
    o.Tree->AddDataEntity(n);
    TAxisContentItem* row = n->AxisContentItem();
    o.Tree.reset();
    EXPECT_EQ(row->Value(), nullptr);
    EXPECT_EQ(row->Value2(), nullptr);
    EXPECT_EQ(o.Rows()->Count(), o.Fixed() + 2);
}

TEST(GridTreeRows, SortingATreeListThroughTheDataListKeepsTheRowsInStep) {
    Sample s;
    s.n1->SetExpanded(true);
    // The tree's comparison calls all nodes equal: an ascending sort keeps the order, a
    // descending one reverses it, and the rows follow either way.
    s.o.Roots()->Sort(false);
    EXPECT_EQ(RowIds(s.o), "1 2 3 (4) 5");
    s.n1->SubDataList()->Sort(true);
    EXPECT_EQ(RowIds(s.o), "1 3 (4) 2 5");
    EXPECT_EQ(Verify(s.o), "");
}

TEST(GridTreeRows, ANodeMovedToAnotherTreeTakesItsRowsAlong) {
    TOwner a, b;
    TNode* keep = Named(a.Tree->AddDataEntity(nullptr), 1);
    TNode* moving = Named(a.Tree->AddDataEntity(nullptr), 2);
    Named(a.Tree->AddDataEntity(moving), 3);
    TNode* other = Named(b.Tree->AddDataEntity(nullptr), 4);
    other->SetExpanded(true);
    moving->ChangeOwner(other->SubDataList(), 0);
    EXPECT_EQ(RowIds(a), "1");
    EXPECT_EQ(RowIds(b), "4 2 (3)");
    EXPECT_EQ(moving->GridTree(), b.Tree.get());
    EXPECT_EQ(Verify(a), "");
    EXPECT_EQ(Verify(b), "");
    EXPECT_EQ(keep->AxisContentItem()->ListIndex(), a.Fixed());
}

TEST(GridTreeRows, ATreeWithoutGridCellKeepsNodesWithoutRows) {
    TOwner o;
    TNode* n = o.Tree->AddDataEntity(nullptr);
    o.Tree->SetGridCell(nullptr);
    EXPECT_EQ(n->AxisContentItem(), nullptr);
    EXPECT_EQ(o.Rows()->getAxisContentItem(o.Fixed())->Value2(), nullptr);
    TNode* c = o.Tree->AddDataEntity(n);
    n->SetExpanded(true);
    n->Set_HideNode(true);
    o.Tree->RootDataEntities()->AddUnloaded(10);
    EXPECT_EQ(c->AxisContentItem(), nullptr);
    EXPECT_EQ(o.Rows()->Count(), o.Fixed() + 1); // the old row stays with the grid, unbound
    o.Tree->RemoveDataEntity(n);
    EXPECT_EQ(o.Rows()->Count(), o.Fixed() + 1);
}

TEST(GridTreeRows, UnloadedCountsThatWouldOverflowTheAxisAreRefusedForBoth) {
    TOwner o;
    o.Roots()->AddUnloaded(1000);
    EXPECT_THROW(o.Roots()->AddUnloaded(INT_MAX - 10), EListError);
    EXPECT_EQ(o.Roots()->Count(), 1000);
    EXPECT_EQ(o.Rows()->Count(), o.Fixed() + 1000);
    o.Roots()->AddUnloaded(-5);
    o.Roots()->AddUnloaded(0);
    EXPECT_EQ(o.Roots()->Count(), 1000);
    EXPECT_EQ(Verify(o), "");
}
