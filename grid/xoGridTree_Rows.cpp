// The nodes' grid rows: placing a row at its node's place in tree order, hiding rows with their
// nodes, following moves, and the virtual-row protocol of the grid.
//
// The rows of a virtual tree keep these rules, which every operation here relies on and restores:
//   - every root has exactly one row: a loaded one, or an unloaded one counted by the axis;
//   - the roots with loaded rows are consecutive; their rows and those of all their loaded
//     descendants, in depth-first order, are the axis's loaded window (after the fixed rows);
//   - so the unloaded rows in front of the window are the roots before the first root with a row,
//     and those behind it the roots after the last one; a root without a row has no loaded
//     descendants, and a child of a root with a row has a row.
// Unloaded rows are therefore always whole roots, and a row being loaded is bound to a root.
#include "grid/xoGridTree.h"

#include "gridengine/xoBabGridContent.h"

#include <algorithm>

namespace {
using TNode = TxoDataEntity_GridTreeNode;

TNode* AsNode(TxoDataEntity* e) {
    return dynamic_cast<TNode*>(e);
}

// Raises a counter for the life of a scope, whatever way the scope is left.
struct TDepth {
    int& fCount;
    explicit TDepth(int& aCount) : fCount(aCount) { ++fCount; }
    ~TDepth() { --fCount; }
    TDepth(const TDepth&) = delete;
    TDepth& operator=(const TDepth&) = delete;
};

// Sets a variable for the life of a scope and restores it afterwards.
template <class T> struct TRestore {
    T& fRef;
    T fOld;
    TRestore(T& aRef, T aValue) : fRef(aRef), fOld(aRef) { fRef = aValue; }
    ~TRestore() { fRef = fOld; }
    TRestore(const TRestore&) = delete;
    TRestore& operator=(const TRestore&) = delete;
};

TNode* RootOf(TNode* n) {
    while (TNode* p = n->ParentNode())
        n = p;
    return n;
}

// The loaded node directly before theNode in tree order, found without loading anything: the
// deepest last loaded descendant of the previous sibling, else the parent. Unloaded children have
// no rows and are passed over; unloaded roots do have (unloaded) rows, so none is answered there.
TNode* PrevLoaded(TNode* theNode, TxoDataList* theRootList) {
    TxoDataList* list = theNode->OwningDataList();
    if (!list) return nullptr;
    const int i = theNode->ListIndex();
    if (i > 0 && list->IsLoaded(i - 1)) {
        TNode* p = AsNode(list->GetItems(i - 1));
        while (p && p->SubDataListCount() > 0 && p->GetSubDataList()->LoadedCount() > 0) {
            TxoDataList* sub = p->GetSubDataList();
            p = AsNode(sub->GetLoaded(sub->LoadedCount() - 1));
        }
        return p;
    }
    if (i > 0 && list == theRootList) return nullptr;
    return theNode->ParentNode();
}

// The loaded node that follows theNode's subtree in tree order, found without loading anything;
// none when an unloaded root lies in between.
TNode* NextLoaded(TNode* theNode, TxoDataList* theRootList) {
    for (TNode* n = theNode; n; n = n->ParentNode()) {
        TxoDataList* list = n->OwningDataList();
        if (!list) return nullptr;
        const int i = n->ListIndex();
        if (i + 1 < list->Count()) {
            if (list->IsLoaded(i + 1)) return AsNode(list->GetItems(i + 1));
            if (list == theRootList) return nullptr;
        }
    }
    return nullptr;
}
} // namespace

// ---- Placing rows ---------------------------------------------------------------------------

// Gives theNode (which has no children with rows) its row: right after the row of the node before
// it, or right before the row of the node after it. A root between unloaded rows becomes one more
// unloaded row of its region; a child of a root that has no row first has its root's row loaded.
// Nothing here makes the axis load rows, except for that root.
void TxoGridTree::InitRowOf(TNode* theNode) {
    TAxisContentList* Y = RowAxis();
    if (!Y || fDestroying || !theNode || theNode->fAxisContentItem || theNode->GridTree() != this) return;
    TRestore<TNode*> pending(fPendingNode, theNode);
    xo::TWatch<TxoDataEntity> alive(theNode);
    auto rowed = [Y](TNode* n) {
        return n && n->fAxisContentItem && n->fAxisContentItem->AxisContentList() == Y;
    };

    TNode* p = PrevLoaded(theNode, fRootDataEntities);
    if (rowed(p)) {
        InsertRowAt(theNode, p->fAxisContentItem->ListIndex() + 1);
        return;
    }
    // Before the next node's row only where the node's parent has its row: otherwise the parent's
    // row must come first.
    TNode* parent = theNode->ParentNode();
    TNode* n = NextLoaded(theNode, fRootDataEntities);
    if (rowed(n) && (!parent || rowed(parent))) {
        InsertRowAt(theNode, n->fAxisContentItem->ListIndex());
        return;
    }
    const int F = Y->FixedItems();
    if (!parent) {
        if (Y->Count() <= F)
            InsertRowAt(theNode, Y->Count()); // the first row of the tree
        else if (Y->LoadedCount() <= F)
            Y->AddUnloaded(1); // no window: the unloaded rows only count the roots
        else
            SyncUnloadedRootRows(); // one more root in front of or behind the window
        return;
    }
    TNode* root = RootOf(theNode);
    if (rowed(root) || root->OwningDataList() != fRootDataEntities) return;
    if (!LoadRowOfRoot(root) || !alive || theNode->fAxisContentItem) return;
    p = PrevLoaded(theNode, fRootDataEntities);
    if (rowed(p)) InsertRowAt(theNode, p->fAxisContentItem->ListIndex() + 1);
}

void TxoGridTree::InsertRowAt(TNode* theNode, int theIndex) {
    TAxisContentList* Y = RowAxis();
    const int windowEnd = Y->UnloadedPreCount() + Y->LoadedCount();
    TAxisContentItem* row = nullptr;
    if (theIndex == windowEnd && Y->UnloadedPostCount() > 0 && theIndex - 1 >= Y->FixedItems() &&
        Y->IsLoaded(theIndex - 1)) {
        // Inserting right behind the window would first load the unloaded row there (and, with a
        // large window, make the axis jump): insert in front of the last loaded row and swap.
        row = Y->InsertNew(theIndex - 1, theNode);
        Y->Move(theIndex - 1, theIndex);
    } else {
        row = Y->InsertNew(theIndex, theNode);
    }
    theNode->fAxisContentItem = row;
    row->SetValue2(theNode);
    row->SetHide(!theNode->IsVisible());
}

// Loads the (unloaded) row of a root, which the grid binds to it. The root's place among the
// unloaded rows follows from the rules at the top of this file.
bool TxoGridTree::LoadRowOfRoot(TNode* theRoot) {
    xo::TWatch<TxoDataEntity> alive(theRoot);
    // A jump of the axis window while loading can change the row's index: try again once.
    for (int attempt = 0; attempt < 2 && alive && !theRoot->fAxisContentItem; ++attempt) {
        TAxisContentList* Y = RowAxis();
        if (!Y) return false;
        const int F = Y->FixedItems(), P = Y->UnloadedPreCount(), L = Y->LoadedCount();
        const int k = theRoot->ListIndex();
        int first = 0, last = 0, r = -1;
        if (L <= F)
            r = F + k;
        else if (!RowWindowRoots(first, last))
            return false;
        else if (k < first)
            r = F + k;
        else if (k > last)
            r = P + L + (k - last - 1);
        if (r < F || r >= Y->Count() || Y->IsLoaded(r)) return false;
        Y->getAxisContentItem(r);
    }
    return alive && theRoot->fAxisContentItem;
}

// Gives rows to a node and its loaded descendants, which have none.
void TxoGridTree::PlaceSubtree(TNode* theNode) {
    xo::TWatch<TxoDataEntity> alive(theNode);
    InitRowOf(theNode);
    if (!alive) return;
    xo::TWatch<TxoDataList> sub(theNode->fSubDataList);
    if (!sub || sub->LoadedCount() == 0) return;
    // A root that became an unloaded row cannot keep loaded children without rows: its row is
    // loaded for them.
    if (!theNode->fAxisContentItem && !theNode->ParentNode()) LoadRowOfRoot(theNode);
    if (!alive || !theNode->fAxisContentItem) return;
    for (int p = 0; sub && p < sub->LoadedCount(); ++p)
        if (TNode* c = AsNode(sub->GetLoaded(p))) PlaceSubtree(c);
}

void TxoGridTree::DropSubtreeRows(TNode* theNode) {
    if (TAxisContentItem* row = theNode->fAxisContentItem) {
        theNode->fAxisContentItem = nullptr;
        if (row->Value2() == theNode) row->SetValue2(nullptr);
        if (TAxisContentList* axis = row->AxisContentList()) axis->Drop(row->ListIndex());
    }
    xo::TWatch<TxoDataList> sub(theNode->fSubDataList);
    for (int p = 0; sub && p < sub->LoadedCount(); ++p)
        if (TNode* c = AsNode(sub->GetLoaded(p))) DropSubtreeRows(c);
}

void TxoGridTree::ForgetRows(TxoDataList* theList) {
    if (!theList) return;
    for (int p = 0; p < theList->LoadedCount(); ++p) {
        TNode* node = AsNode(theList->GetLoaded(p));
        if (!node) continue;
        if (TAxisContentItem* row = node->fAxisContentItem) {
            node->fAxisContentItem = nullptr;
            if (row->Value2() == node) row->SetValue2(nullptr);
            if (row->Value() == node) row->SetValue(nullptr);
        }
        ForgetRows(node->fSubDataList);
    }
}

// ---- Moves ----------------------------------------------------------------------------------

// The node's row goes directly after the row of the node before it, then each child follows in
// order, so that the subtree's rows follow the node.
void TxoGridTree::MoveSubtreeRows(TNode* theNode) {
    TAxisContentList* Y = RowAxis();
    TAxisContentItem* row = theNode->fAxisContentItem;
    if (!row) {
        PlaceSubtree(theNode);
        return;
    }
    TNode* p = PrevLoaded(theNode, fRootDataEntities);
    const int a = p && p->fAxisContentItem ? p->fAxisContentItem->ListIndex() : Y->FixedItems() - 1;
    const int i = row->ListIndex();
    const int target = i > a ? a + 1 : a;
    if (target != i) Y->Move(i, target);
    xo::TWatch<TxoDataList> sub(theNode->fSubDataList);
    for (int k = 0; sub && k < sub->LoadedCount(); ++k)
        if (TNode* c = AsNode(sub->GetLoaded(k))) MoveSubtreeRows(c);
}

void TxoGridTree::HandleMoveOfTreeNode(TNode* theNode) {
    xo::TWatch<TxoDataEntity> alive(theNode);
    TAxisContentList* Y = RowAxis();
    // Rows of another grid (a node that came from another tree) go; the node gets rows here.
    if (theNode->fAxisContentItem && theNode->fAxisContentItem->AxisContentList() != Y)
        DropSubtreeRows(theNode);
    if (!Y || fDestroying || !alive) return;
    if (theNode->fAxisContentItem) {
        TNode* p = PrevLoaded(theNode, fRootDataEntities);
        const bool movable =
            p ? p->fAxisContentItem && p->fAxisContentItem->AxisContentList() == Y
              : !theNode->ParentNode() && theNode->ListIndex() == 0 && Y->UnloadedPreCount() == 0;
        if (movable) {
            MoveSubtreeRows(theNode);
        } else {
            // Moved among unloaded rows: the subtree is placed afresh by the rules of InitRowOf.
            DropSubtreeRows(theNode);
            if (alive) PlaceSubtree(theNode);
        }
    } else {
        PlaceSubtree(theNode);
    }
    if (!alive) return;
    UpdateVisibilityOf(theNode);
    SyncUnloadedRootRows();
}

// After the data list's own sort (which reorders entities without reporting moves), each node's
// rows go after those of the node now before it, first to last.
void TxoGridTree::FollowListOrder(TxoDataList* theList) {
    xo::TWatch<TxoDataList> list(theList);
    for (int p = 0; list && p < list->LoadedCount(); ++p)
        if (TNode* n = AsNode(list->GetLoaded(p))) HandleMoveOfTreeNode(n);
}

// ---- Visibility -----------------------------------------------------------------------------

void TxoGridTree::UpdateVisibilityOf(TNode* theNode) {
    if (!theNode || !theNode->fAxisContentItem || fDestroying) return;
    UpdateVisibilityBelow(theNode, theNode->IsVisible());
}

// theShown is theNode's IsVisible, handed down so that a subtree costs one visit per node.
void TxoGridTree::UpdateVisibilityBelow(TNode* theNode, bool theShown) {
    TAxisContentItem* row = theNode->fAxisContentItem;
    if (!row) return;
    xo::TWatch<TxoDataEntity> alive(theNode);
    row->SetHide(!theShown);
    if (!alive) return;
    theNode->SetVisible(theShown);
    if (!alive) return;
    const bool childrenShown = theShown && theNode->fExpanded;
    xo::TWatch<TxoDataList> sub(theNode->fSubDataList);
    for (int p = 0; sub && p < sub->LoadedCount(); ++p)
        if (TNode* c = AsNode(sub->GetLoaded(p))) UpdateVisibilityBelow(c, childrenShown && !c->fHideNode);
}

// ---- Keeping the unloaded rows in step with the roots ---------------------------------------

// The list indexes of the roots of the first and the last row of the loaded window.
bool TxoGridTree::RowWindowRoots(int& theFirst, int& theLast) {
    TAxisContentList* Y = RowAxis();
    if (!Y) return false;
    const int F = Y->FixedItems(), L = Y->LoadedCount();
    if (L <= F) return false;
    TNode* a = NodeOfRow(Y->getLoadedAxisContentItem(F));
    TNode* b = NodeOfRow(Y->getLoadedAxisContentItem(L - 1));
    if (!a || !b) return false;
    a = RootOf(a);
    b = RootOf(b);
    if (a->OwningDataList() != fRootDataEntities || b->OwningDataList() != fRootDataEntities) return false;
    theFirst = a->ListIndex();
    theLast = b->ListIndex();
    return theFirst <= theLast;
}

// Not while rows are being bound, unloaded or cleared, when the counts are between two states.
bool TxoGridTree::CanSync() const {
    return RowAxis() && fRootDataEntities && !fDestroying && !fSyncing && fGridReload == 0 &&
           fGridUnload == 0 && fDeleteOfUnloaded == 0;
}

// Brings the axis's unloaded counts back to the roots they stand for, after a root without a row
// came, went or moved: one unloaded row per root in front of the window and behind it.
void TxoGridTree::SyncUnloadedRootRows() {
    if (!CanSync()) return;
    TRestore<bool> syncing(fSyncing, true);
    TAxisContentList* Y = RowAxis();
    const int F = Y->FixedItems();
    int rounds = 2;
    for (int round = 0; round < rounds; ++round) {
        const int P = Y->UnloadedPreCount(), Q = Y->UnloadedPostCount(), L = Y->LoadedCount();
        const int roots = fRootDataEntities->Count();
        if (L <= F) {
            const int diff = roots - (P + Q);
            if (diff > 0) Y->AddUnloaded(diff);
            for (int d = diff; d < 0 && Y->Count() > F; ++d)
                Y->Drop(F);
            return;
        }
        int first = 0, last = 0;
        if (!RowWindowRoots(first, last)) return;
        const int wantQ = roots - 1 - last;
        for (int d = Q - wantQ; d > 0 && Y->UnloadedPostCount() > 0; --d)
            Y->Drop(Y->Count() - 1);
        if (Q < wantQ) Y->AddUnloaded(wantQ - Q);
        const int wantP = first;
        for (int d = P - wantP; d > 0 && Y->UnloadedPreCount() > 0; --d)
            Y->Drop(F);
        if (P >= wantP) return;
        // More roots in front of the window than unloaded rows there: the root right before the
        // window gets a loaded row at the window's start, until the two agree.
        if (round == 0) rounds = wantP - P + 1;
        TNode* prev = AsNode(fRootDataEntities->GetItems(first - 1));
        if (!prev || prev->fAxisContentItem) return;
        xo::TWatch<TxoDataEntity> alive(prev);
        PlaceSubtree(prev);
        if (alive) UpdateVisibilityOf(prev);
        if (!alive || !prev->fAxisContentItem) return;
    }
}

// ---- Virtual rows ---------------------------------------------------------------------------

// Binds a row that the grid is loading to its root: the root before the root of the next loaded
// row when loading in front, the root after the root of the previous loaded row when loading
// behind, else the root at the row's place among the unloaded rows.
void TxoGridTree::_OnGridRowReload(TAxisContentItem* aAxisContentItem) {
    TAxisContentList* Y = RowAxis();
    if (!aAxisContentItem || !Y || aAxisContentItem->AxisContentList() != Y || fDestroying) return;
    EnsureLists();
    TDepth reload(fGridReload);
    const int F = Y->FixedItems(), L = Y->LoadedCount();
    const int j = aAxisContentItem->LoadedListIndex();
    auto rootBeside = [this](TNode* theNeighbour, int theStep) -> TNode* {
        TNode* root = RootOf(theNeighbour);
        if (root->OwningDataList() != fRootDataEntities) return nullptr;
        const int i = root->ListIndex() + theStep;
        return i >= 0 && i < fRootDataEntities->Count() ? AsNode(fRootDataEntities->GetItems(i)) : nullptr;
    };
    TNode* neighbour = nullptr;
    TNode* node = nullptr;
    if (Y->LoadOperationInFront()) {
        if (j + 1 < L) neighbour = NodeOfRow(Y->getLoadedAxisContentItem(j + 1));
        if (neighbour) node = rootBeside(neighbour, -1);
    } else {
        if (j - 1 >= F) neighbour = NodeOfRow(Y->getLoadedAxisContentItem(j - 1));
        if (neighbour) node = rootBeside(neighbour, +1);
    }
    if (!neighbour) {
        const int index = std::min(aAxisContentItem->ListIndex() - F, fRootDataEntities->Count() - 1);
        if (index >= 0) node = AsNode(fRootDataEntities->GetItems(index));
    }
    if (!node) throw Exception("No loadeditem found");
    if (node->fAxisContentItem) throw Exception("Unloaded or loaded?");
    node->fAxisContentItem = aAxisContentItem;
    aAxisContentItem->SetValue2(node);
    const bool shown = node->IsVisible();
    aAxisContentItem->SetHide(!shown);
    // As UpdateVisibility would: the node's Visible follows its row (a root hidden while it had no
    // row is hidden now).
    node->SetVisible(shown);
}

void TxoGridTree::_OnGridRowUnload(TAxisContentItem* aAxisContentItem, bool UnloadPerform, bool&) {
    if (!UnloadPerform || !aAxisContentItem || fDestroying) return;
    TNode* node = dynamic_cast<TNode*>(aAxisContentItem->Value2());
    if (!node) return;
    TDepth unload(fGridUnload);
    aAxisContentItem->SetValue2(nullptr);
    if (node->fAxisContentItem == aAxisContentItem) node->fAxisContentItem = nullptr;
    PurgeUpwards(node);
}

// Purges the node's list (which unloads the node and the neighbours that may go); a list left
// without loaded entities lets its parent go as well when the parent's row has gone, so that a
// root and its subtree leave together whichever end of the block is unloaded first.
void TxoGridTree::PurgeUpwards(TNode* theNode) {
    xo::TWatch<TxoDataList> list(theNode->OwningDataList());
    while (list) {
        auto* treeList = dynamic_cast<TxoDataList_GridTree*>(list.Get());
        TNode* owner = treeList ? treeList->fOwningDataEntity : nullptr;
        xo::TWatch<TxoDataEntity> ownerAlive(owner);
        xo::TWatch<TxoDataList> upper(owner ? owner->OwningDataList() : nullptr);
        list->Purge();
        if (!list || list->LoadedCount() > 0 || !ownerAlive || owner->fAxisContentItem) return;
        list.Watch(upper.Get());
    }
}

void TxoGridTree::_OnKeepGridRowAfterUnload(TAxisContentItem* aAxisContentItem, bool& KeepAfterUnload) {
    TNode* node = aAxisContentItem ? dynamic_cast<TNode*>(aAxisContentItem->Value2()) : nullptr;
    KeepAfterUnload = node ? node->GetLevel() == 0 : true;
}

// Widens the interval to the row's root and all its rows: a root's subtree is unloaded as one block.
void TxoGridTree::_OnUnloadIntervall(TAxisContentItem* aAxisContentItem, int& Start, int& Stop) {
    TAxisContentList* Y = RowAxis();
    if (!aAxisContentItem || !Y || aAxisContentItem->AxisContentList() != Y) return;
    TNode* node = dynamic_cast<TNode*>(aAxisContentItem->Value2());
    const int F = Y->FixedItems(), L = Y->LoadedCount();
    if (!node || L <= F) return;
    TNode* root = RootOf(node);
    TAxisContentItem* rootRow = root->fAxisContentItem;
    Start =
        rootRow && rootRow->AxisContentList() == Y ? rootRow->ListIndex() : Y->IndexConvert_LoadedToReal(F);
    Stop = Y->IndexConvert_LoadedToReal(L - 1);
    TxoDataList* roots = root->OwningDataList();
    if (roots && roots == fRootDataEntities) {
        // A next root that is not loaded has no row: nothing is loaded to find that out.
        const int next = root->ListIndex() + 1;
        if (next < roots->Count() && roots->IsLoaded(next)) {
            TNode* n = AsNode(roots->GetItems(next));
            if (n && n->fAxisContentItem && n->fAxisContentItem->AxisContentList() == Y)
                Stop = n->fAxisContentItem->ListIndex() - 1;
        }
    }
    if (Stop < Start) Start = Stop = aAxisContentItem->ListIndex();
}

void TxoGridTree::_OnDeleteOfUnloaded(TAxisContentList* aAxisContentList, int Start, int Stop) {
    if (!aAxisContentList || aAxisContentList != RowAxis() || fDestroying || !fRootDataEntities) return;
    TDepth clearing(fDeleteOfUnloaded);
    const int F = aAxisContentList->FixedItems();
    xo::TWatch<TxoDataList> roots(fRootDataEntities);
    for (int i = Stop - F; roots && i >= Start - F; --i)
        roots->Delete(i);
}
