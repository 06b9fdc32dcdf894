// The grid tree itself: its lists and controller, the node operations of the application, and
// the receivers of the controller's callbacks.
#include "grid/xoGridTree.h"

#include "gridengine/xoBabGridContent.h"

#include <algorithm>

namespace {
using TNode = TxoDataEntity_GridTreeNode;

TNode* AsNode(TxoDataEntity* e) {
    return dynamic_cast<TNode*>(e);
}

// The latest node that is leaving its list through ChangeOwner, with where it came from, so that
// a move into the node's own subtree can be taken back. One slot for the process: everything
// runs on the main thread and the record is read by the very next callback of that move.
struct TLeaveRecord {
    xo::TWatch<TxoDataEntity> node;
    xo::TWatch<TxoDataList> list;
    int position = 0;
};
TLeaveRecord& LastLeave() {
    static TLeaveRecord record;
    return record;
}

bool IsOwnAncestor(TNode* theNode) {
    for (TNode* p = theNode->ParentNode(); p; p = p->ParentNode())
        if (p == theNode) return true;
    return false;
}
} // namespace

// ---- Construction ---------------------------------------------------------------------------

TxoGridTree::TxoGridTree(TOnTreeControllerCallBackInitSubList aTreeControllerCallBackInitSubList)
    : fTreeControllerCallBackInitSubList(std::move(aTreeControllerCallBackInitSubList)) {}

void TxoGridTree::EnsureLists() {
    if (fRootDataEntities || fDestroying) return;
    TxoDataList2lev* all = CreateDataList2Lev();
    if (!all) throw Exception("CreateDataList2Lev gave no list");
    auto controller = std::make_unique<TxoListController>();
    TxoDataList_GridTree* root = nullptr;
    try {
        all->AfterCreate();
        root = CreateDataList_GridTree();
        if (!root) throw Exception("CreateDataList_GridTree gave no list");
        root->fGridTree = this;
        root->AfterCreate(controller.get(), GetClassOfDataEntity_GridTreeNode());
        all->Add(root);
    } catch (...) {
        if (root) root->FreeWheneverPossible();
        all->FreeWheneverPossible();
        throw;
    }
    fAllSubLists = all;
    fListController = std::move(controller);
    fRootDataEntities = root;

    TxoListController* c = fListController.get();
    c->SetOnContentChanged([this](TxoDataList* l) {
        if (l && l == fSortedList.Get()) {
            fSortedList.Watch(nullptr);
            FollowListOrder(l);
        }
        _ContentChanged(l);
    });
    c->SetOnSelectionChanged([this](TxoDataList* l, TxoDataEntity* e) { _SelectionChanged(l, e); });
    c->SetOnDeleteItem([this](TxoDataEntity* e) { _DeleteItem(e); });
    c->SetOnInsertItem([this](TxoDataEntity* e) { _InsertItem(e); });
    c->SetOnSortCompare([this](TxoDataEntity* a, TxoDataEntity* b) {
        fSortedList.Watch(a ? a->OwningDataList() : nullptr);
        return _SortCompare(a, b);
    });
    c->SetOnVisibleChanged([this](TxoDataEntity* e) { _OnVisibleChanged(e); });
    c->SetOnHandlePerformedMove([this](TxoDataEntity* e, int o, int n) { _OnHandlePerformedMove(e, o, n); });
    c->SetOnEnterOwnerAfterChange([this](TxoDataEntity* e) { _OnEnterOwnerAfterChange(e); });
    c->SetOnUnLoadedContentChanged([this](TxoDataList* l) { _OnUnLoadedContentChanged(l); });
    c->SetOnLoadItem([this](TxoDataEntity* e) { _OnLoadItem(e); });
    c->SetOnUnLoadItem([this](TxoDataEntity* e, bool& can) { _OnUnloadItem(e, can); });
    // Only remembers where a moving node came from (see _OnEnterOwnerAfterChange).
    c->SetOnLeaveOwnerBeforeChange([this](TxoDataEntity* e) { OnLeaveOwner(e); });
}

TxoGridTree::~TxoGridTree() {
    fDestroying = true;
    if (!fRootDataEntities) return;
    // The nodes forget their rows first, so that freeing them does not touch the grid.
    try {
        ForgetRows(fRootDataEntities);
    } catch (...) {
    }
    TxoDataList_GridTree* root = fRootDataEntities;
    try {
        root->FreeWheneverPossible();
    } catch (...) {
    }
    fRootDataEntities = nullptr;
    if (TxoDataList2lev* all = fAllSubLists) {
        fAllSubLists = nullptr;
        try {
            all->FreeWheneverPossible();
        } catch (...) {
        }
    }
    fListController.reset();
}

TxoDataList_GridTree* TxoGridTree::CreateDataList_GridTree() {
    auto* list = new TxoDataList_GridTree();
    list->fGridTree = this;
    return list;
}

TxoDataList2lev* TxoGridTree::CreateDataList2Lev() {
    return new TxoDataList2lev();
}

TxoDataEntityClass TxoGridTree::GetClassOfDataEntity_GridTreeNode() {
    return ClassOf<TxoDataEntity_GridTreeNode>();
}

TxoDataList_GridTree* TxoGridTree::NewSubList(TNode* theOwner) {
    EnsureLists();
    TxoDataList_GridTree* list = CreateDataList_GridTree();
    if (!list) throw Exception("CreateDataList_GridTree gave no list");
    list->fGridTree = this;
    try {
        list->AfterCreate(fListController.get(), GetClassOfDataEntity_GridTreeNode());
    } catch (...) {
        list->FreeWheneverPossible();
        throw;
    }
    list->fOwningDataEntity = theOwner;
    fAllSubLists->Add(list);
    return list;
}

TxoDataList* TxoGridTree::RootDataEntities() {
    EnsureLists();
    return fRootDataEntities;
}

TxoDataList2lev* TxoGridTree::AllSubLists() {
    EnsureLists();
    return fAllSubLists;
}

TAxisContentList* TxoGridTree::RowAxis() const {
    return fGridCell ? fGridCell->AxisContentListY() : nullptr;
}

TxoDataEntity_GridTreeNode* TxoGridTree::NodeOfRow(TAxisContentItem* theRow) const {
    if (!theRow) return nullptr;
    TNode* node = dynamic_cast<TNode*>(theRow->Value2());
    return node && node->AxisContentItem() == theRow ? node : nullptr;
}

void TxoGridTree::SetGridCell(TBabGridCell* Value) {
    if (Value == fGridCell) return;
    EnsureLists();
    if (Value && fRootDataEntities->Count() > 0)
        throw Exception("A grid tree that holds nodes cannot move to another grid cell");
    ForgetRows(fRootDataEntities);
    fGridCell = Value;
}

void TxoGridTree::Report(TIntegrationEventKind aKind, TxoDataEntity* aDataEntity) {
    if (fOnIntegrationEvents) {
        const TOnIntegrationEvent handler = fOnIntegrationEvents;
        handler(aKind, aDataEntity);
    }
}

void TxoGridTree::IntegrationTargetInvalidate() {
    Report(ieInvalidate, nullptr);
}

// ---- Node operations ------------------------------------------------------------------------

TxoDataEntity_GridTreeNode* TxoGridTree::AddDataEntity(TNode* theOwningNode) {
    EnsureLists();
    TxoDataList* list = fRootDataEntities;
    if (theOwningNode) {
        if (theOwningNode->GridTree() != this) throw Exception("The node does not belong to this grid tree");
        list = theOwningNode->GetSubDataList();
    }
    return AsNode(list->Add());
}

TxoDataEntity_GridTreeNode* TxoGridTree::InsertDataEntity(TNode* theOwningNode, int theIndex) {
    EnsureLists();
    TxoDataList* list = fRootDataEntities;
    if (theOwningNode) {
        if (theOwningNode->GridTree() != this) throw Exception("The node does not belong to this grid tree");
        list = theOwningNode->GetSubDataList();
    }
    return AsNode(list->Insert(theIndex));
}

void TxoGridTree::RemoveDataEntity(TNode* theDataEntity) {
    if (!theDataEntity) return;
    if (TxoDataList* list = theDataEntity->OwningDataList()) list->Remove(theDataEntity);
}

void TxoGridTree::ExpandAll() {
    SetExpandedState(RootDataEntities(), true);
}

void TxoGridTree::CollapseAll() {
    SetExpandedState(RootDataEntities(), false);
}

void TxoGridTree::SetExpandedState(TxoDataList* theList, bool Value) {
    if (!theList) return;
    xo::TWatch<TxoDataList> list(theList);
    for (int i = 0; list && i < list->Count(); ++i) {
        TNode* node = AsNode(list->GetItems(i));
        if (!node) continue;
        xo::TWatch<TxoDataEntity> alive(node);
        // A node without children yet has nothing to visit: no empty list is made for it.
        if (node->fSubDataList) SetExpandedState(node->fSubDataList, Value);
        if (alive) node->SetExpanded(Value);
    }
}

// ---- Controller callbacks -------------------------------------------------------------------

void TxoGridTree::_InsertItem(TxoDataEntity* theDataEntity) {
    TNode* node = AsNode(theDataEntity);
    if (!node) return;
    xo::TWatch<TxoDataEntity> alive(node);
    InitRowOf(node);
    if (!alive) return;
    Report(ieInsert, node);
    if (!alive) return;
    if (fOnInsertItem) {
        const TOnContentChangeEvent handler = fOnInsertItem;
        handler(this, node);
        if (!alive) return;
    }
    if (TNode* parent = node->ParentNode()) {
        node->SetVisible(parent->IsVisible() && parent->Expanded());
    } else {
        // Twice, so that an integrating component hears of the new root as it does of a shown one.
        node->SetVisible(false);
        if (alive) node->SetVisible(true);
    }
}

void TxoGridTree::_DeleteItem(TxoDataEntity* theDataEntity) {
    TNode* node = AsNode(theDataEntity);
    if (!node) return;
    const bool wasRoot = node->OwningDataList() == fRootDataEntities;
    if (fOnDeleteItem) {
        const TOnContentChangeEvent handler = fOnDeleteItem;
        handler(this, node);
    }
    Report(ieRemove, node);
    node->DeInitSubList();
    // A root that had no row leaves its unloaded row behind: the counts are brought back in step.
    if (wasRoot) SyncUnloadedRootRows();
}

void TxoGridTree::_SelectionChanged(TxoDataList*, TxoDataEntity* theDataEntity) {
    Report(ieSelectionChanged, theDataEntity);
}

void TxoGridTree::_ContentChanged(TxoDataList*) {}

void TxoGridTree::_OnUnLoadedContentChanged(TxoDataList* thexoDataList) {
    if (fDestroying || !thexoDataList || thexoDataList != fRootDataEntities) return;
    if (thexoDataList->Count() != 0) return;
    if (TAxisContentList* axis = RowAxis()) axis->ClearKeepFixedItems();
}

int TxoGridTree::_SortCompare(TxoDataEntity*, TxoDataEntity*) {
    return 0;
}

void TxoGridTree::_OnVisibleChanged(TxoDataEntity* theDataEntity) {
    Report(ieVisibleChanged, theDataEntity);
}

void TxoGridTree::_InitSubDataList(TNode* theDataEntity) {
    if (fTreeControllerCallBackInitSubList) {
        const TOnTreeControllerCallBackInitSubList fill = fTreeControllerCallBackInitSubList;
        fill(this, theDataEntity);
    }
}

void TxoGridTree::_OnHandlePerformedMove(TxoDataEntity* thexoDataEntity, int, int) {
    TNode* node = AsNode(thexoDataEntity);
    if (!node) return;
    xo::TWatch<TxoDataEntity> alive(node);
    Report(ieMovePerfomed, node);
    if (alive) HandleMoveOfTreeNode(node);
}

void TxoGridTree::OnLeaveOwner(TxoDataEntity* theDataEntity) {
    TLeaveRecord& r = LastLeave();
    r.node.Watch(theDataEntity);
    TxoDataList* list = theDataEntity ? theDataEntity->OwningDataList() : nullptr;
    r.list.Watch(list);
    r.position = list ? theDataEntity->ListIndex() - list->UnloadedPreCount() : 0;
}

void TxoGridTree::_OnEnterOwnerAfterChange(TxoDataEntity* theDataEntity) {
    TNode* node = AsNode(theDataEntity);
    if (!node) return;
    TLeaveRecord& r = LastLeave();
    TxoDataList* from = r.node.Get() == node ? r.list.Get() : nullptr;
    const int fromPosition = r.position;
    r.node.Watch(nullptr);
    r.list.Watch(nullptr);
    if (IsOwnAncestor(node)) {
        // The node went into its own subtree, which would leave that subtree without a root: it
        // goes back where it came from (or, not knowing that, to the end of the roots).
        TxoDataList* back = from ? from : fRootDataEntities;
        const int position = from ? std::clamp(fromPosition, 0, from->LoadedCount()) : back->LoadedCount();
        node->ChangeOwner(back, position);
        throw Exception("A grid tree node cannot become a descendant of itself");
    }
    xo::TWatch<TxoDataEntity> alive(node);
    // A subtree from another tree: its children's lists report to this tree from now on.
    if (node->fSubDataList && node->fSubDataList->fGridTree != this) AdoptSubLists(node);
    HandleMoveOfTreeNode(node);
    // A node that came from another tree leaves that tree's rows in step as well.
    if (auto* old = dynamic_cast<TxoDataList_GridTree*>(from))
        if (alive && old->fGridTree && old->fGridTree != this) old->fGridTree->SyncUnloadedRootRows();
}

void TxoGridTree::AdoptSubLists(TNode* theNode) {
    TxoDataList_GridTree* sub = theNode->fSubDataList;
    if (!sub) return;
    if (sub->fGridTree != this) {
        if (sub->fGridTree && sub->fGridTree->fAllSubLists) sub->fGridTree->fAllSubLists->Remove(sub);
        sub->fGridTree = this;
        sub->fListController = fListController.get();
        fAllSubLists->Add(sub);
    }
    for (int p = 0; p < sub->LoadedCount(); ++p)
        if (TNode* c = AsNode(sub->GetLoaded(p))) AdoptSubLists(c);
}

void TxoGridTree::_OnLoadItem(TxoDataEntity* theDataEntity) {
    TNode* node = AsNode(theDataEntity);
    if (!node) return;
    xo::TWatch<TxoDataEntity> alive(node);
    // Roots get their rows from the grid's row loading.
    if (fGridReload == 0 && node->ParentNode()) {
        InitRowOf(node);
        if (alive) UpdateVisibilityOf(node);
    }
    if (alive) Report(ieLoad, node);
}

void TxoGridTree::_OnUnloadItem(TxoDataEntity* theDataEntity, bool& CanUnload) {
    TNode* node = AsNode(theDataEntity);
    CanUnload = true;
    if (!node) return;
    // A node keeps its children: with children loaded (whether the owner made them on expansion
    // or the application added them) the node stays until they have gone.
    if (node->fAxisContentItem || node == fPendingNode ||
        (node->fSubDataList && node->fSubDataList->LoadedCount() > 0))
        CanUnload = false;
    if (CanUnload) Report(ieUnload, node);
}
