// Grid tree nodes and their lists: payload, tree order, visibility, expansion and disposal.
#include "grid/xoGridTree.h"

#include "gridengine/xoBabGridContent.h"

#include <climits>

namespace {
using TNode = TxoDataEntity_GridTreeNode;

TNode* AsNode(TxoDataEntity* e) {
    return dynamic_cast<TNode*>(e);
}
} // namespace

// ---- TxoDataEntity_GridTreeNode -------------------------------------------------------------

TxoDataEntity_GridTreeNode::TxoDataEntity_GridTreeNode() = default;

TxoDataEntity_GridTreeNode::~TxoDataEntity_GridTreeNode() {
    // Freed without CleanForFree (deleted directly): the children go quietly with the node.
    if (fSubDataList) {
        TxoDataList_GridTree* sub = fSubDataList;
        fSubDataList = nullptr;
        sub->fOwningDataEntity = nullptr;
        try {
            sub->FreeWheneverPossible();
        } catch (...) {
        }
    }
}

void TxoDataEntity_GridTreeNode::AfterCreate(TxoDataList* thexoDataList) {
    TxoDataEntity::AfterCreate(thexoDataList);
    fCanEdit = true;
}

void TxoDataEntity_GridTreeNode::CleanForFree() {
    TxoGridTree* tree = GridTree();
    if (TAxisContentItem* row = fAxisContentItem) {
        fAxisContentItem = nullptr;
        if (row->Value2() == this) row->SetValue2(nullptr);
        if (tree && !tree->fDestroying)
            if (TAxisContentList* axis = row->AxisContentList()) axis->Drop(row->ListIndex());
    }
    if (fDataList) DeInitSubList();
    TxoDataEntity::CleanForFree();
}

void TxoDataEntity_GridTreeNode::DeInitSubList() {
    TxoDataList_GridTree* sub = fSubDataList;
    if (!sub) return;
    fSubDataList = nullptr;
    xo::TWatch<TxoDataList> alive(sub);
    if (TxoGridTree* tree = sub->fGridTree)
        if (tree->fAllSubLists) tree->fAllSubLists->Remove(sub);
    sub->Clear();
    if (alive) {
        sub->fOwningDataEntity = nullptr;
        sub->FreeWheneverPossible();
    }
}

TxoGridTree* TxoDataEntity_GridTreeNode::GridTree() const {
    auto* list = dynamic_cast<TxoDataList_GridTree*>(fDataList);
    return list ? list->fGridTree : nullptr;
}

TxoDataEntity_GridTreeNode* TxoDataEntity_GridTreeNode::ParentNode() const {
    auto* list = dynamic_cast<TxoDataList_GridTree*>(fDataList);
    return list ? list->fOwningDataEntity : nullptr;
}

int TxoDataEntity_GridTreeNode::GetLevel() const {
    int level = 0;
    for (const TNode* p = ParentNode(); p; p = p->ParentNode())
        ++level;
    return level;
}

TxoDataList_GridTree* TxoDataEntity_GridTreeNode::GetSubDataList() {
    if (!fSubDataList) {
        TxoGridTree* tree = GridTree();
        if (!tree) return nullptr; // a node that has left its tree gets no children
        fSubDataList = tree->NewSubList(this);
    }
    return fSubDataList;
}

int TxoDataEntity_GridTreeNode::SubDataListCount() const {
    return fSubDataList ? fSubDataList->Count() : 0;
}

// ---- Tree order -----------------------------------------------------------------------------

TxoDataEntity_GridTreeNode* TxoDataEntity_GridTreeNode::GetNext() {
    if (SubDataListCount() > 0) return AsNode(fSubDataList->GetItems(0));
    for (TNode* n = this; n; n = n->ParentNode()) {
        TxoDataList* list = n->OwningDataList();
        if (!list) return nullptr;
        const int i = n->ListIndex();
        if (i + 1 < list->Count()) return AsNode(list->GetItems(i + 1));
    }
    return nullptr;
}

TxoDataEntity_GridTreeNode* TxoDataEntity_GridTreeNode::GetPrev() {
    TxoDataList* list = OwningDataList();
    if (!list) return nullptr;
    const int i = ListIndex();
    if (i <= 0) return ParentNode();
    TNode* n = AsNode(list->GetItems(i - 1));
    while (n && n->SubDataListCount() > 0)
        n = AsNode(n->fSubDataList->GetItems(n->fSubDataList->Count() - 1));
    return n;
}

TxoDataEntity_GridTreeNode* TxoDataEntity_GridTreeNode::GetNextVisible() {
    TNode* n = GetNext();
    while (n && !n->IsVisible())
        n = n->GetNext();
    return n;
}

TxoDataEntity_GridTreeNode* TxoDataEntity_GridTreeNode::GetPrevVisible() {
    TNode* n = GetPrev();
    while (n && !n->IsVisible())
        n = n->GetPrev();
    return n;
}

bool TxoDataEntity_GridTreeNode::IsVisible() const {
    for (const TNode* n = this; n; n = n->ParentNode()) {
        if (n->fHideNode) return false;
        const TNode* parent = n->ParentNode();
        if (parent && !parent->fExpanded) return false;
    }
    return true;
}

// ---- Rows and visibility ----------------------------------------------------------------------

void TxoDataEntity_GridTreeNode::InitGridRow() {
    if (TxoGridTree* tree = GridTree()) tree->InitRowOf(this);
}

void TxoDataEntity_GridTreeNode::UpdateVisibility() {
    if (TxoGridTree* tree = GridTree()) tree->UpdateVisibilityOf(this);
}

void TxoDataEntity_GridTreeNode::SetExpanded(bool Value) {
    if (Value == fExpanded) return;
    TxoGridTree* tree = GridTree();
    xo::TWatch<TxoDataEntity> self(this);
    bool allow = true;
    if (tree) {
        const TOnExpandCollapseEvent handler = Value ? tree->fOnExpand : tree->fOnCollapse;
        if (handler) handler(tree, this, allow);
    }
    if (!self || !allow || Value == fExpanded) return;
    fExpanded = Value;
    if (Value && !fSubDataListInitiated) {
        // Marked before the owner runs, so that an expansion from inside the fill asks only once.
        fSubDataListInitiated = true;
        if (tree) {
            try {
                tree->_InitSubDataList(this);
            } catch (...) {
                if (self) {
                    fSubDataListInitiated = false;
                    if (TxoGridTree* t = GridTree()) t->UpdateVisibilityOf(this);
                }
                throw;
            }
        }
        if (!self) return;
    }
    if (TxoGridTree* t = GridTree()) t->UpdateVisibilityOf(this);
}

void TxoDataEntity_GridTreeNode::RequestRepaint() {
    TxoGridTree* tree = GridTree();
    if (!tree || !tree->fGridCell || tree->fDestroying) return;
    if (TBabGridCellForViewer* viewer = tree->fGridCell->GetViewerGridCell())
        viewer->SelectionChangeEvent()->TriggerEvent(nullptr);
}

void TxoDataEntity_GridTreeNode::SetImageIndex(int Value) {
    if (Value == fImageIndex) return;
    fImageIndex = Value;
    RequestRepaint();
}

void TxoDataEntity_GridTreeNode::SetSelectedIndex(int Value) {
    if (Value == fSelectedIndex) return;
    fSelectedIndex = Value;
    RequestRepaint();
}

void TxoDataEntity_GridTreeNode::Set_HideNode(bool Value) {
    fHideNode = Value;
    UpdateVisibility();
}

// ---- TxoDataList_GridTree -------------------------------------------------------------------

TxoDataList_GridTree::TxoDataList_GridTree() = default;

TxoDataList_GridTree::~TxoDataList_GridTree() = default;

void TxoDataList_GridTree::AddUnloaded(int count) {
    TAxisContentList* axis = nullptr;
    if (fGridTree && fGridTree->fRootDataEntities == this && !fGridTree->fDestroying)
        axis = fGridTree->RowAxis();
    // Both counts must grow, or neither.
    if (axis && count > 0 && count > INT_MAX - axis->Count()) throw EListError("Axis count overflow");
    xo::TWatch<TxoDataList> self(this);
    TxoDataList::AddUnloaded(count);
    if (!self || count <= 0 || !axis) return;
    // The callbacks of the base may have detached the grid meanwhile.
    if (fGridTree && fGridTree->RowAxis() == axis) axis->AddUnloaded(count);
}
