// The tree control: construction, its lists and controller, the content operations, the
// controller's callbacks, the current entity and the top item.
#include "foundation/xoDoLater.h"
#include "platform/plForms.h"
#include "tree/xoTree.h"

#include <algorithm>

namespace {
// Runs a step that must not end a destructor with an exception.
template <class F> void Quietly(F&& aStep) {
    try {
        aStep();
    } catch (...) {
    }
}
} // namespace

// ---- Construction ---------------------------------------------------------------------------
TxoTree_ComBasic::TxoTree_ComBasic(TComponent* Owner)
    : TCustomTreeView(Owner), fClassOfDataList_Tree(ClassOf<TxoDataList_Tree>()),
      fClassOfDataEntity_Tree(ClassOf<TxoDataEntity_Tree>()) {
    fUpdating = false;
    fScrollBarHorz = true;
    fScrollBarVert = true;
    InitializeInConstructor();
}

TxoTree_ComBasic::~TxoTree_ComBasic() {
    *fAlive = false;
    fCurrentDataEntity_Async_Mailbox = nullptr;
    Quietly([this] { EnsureDisplayUpToDate(); });
    Destroying();
    Quietly([this] { Clear(); });
    FreeStructures();
    TDoLater::NeverMind(MakeMethod(this, &TxoTree_ComBasic::MakeSure_SelectedAndFocusedAreTheSame_Async));
    TDoLater::NeverMind(MakeMethod(this, &TxoTree_ComBasic::SetCurrentDataEntity_Async));
    // The native nodes go while this class, which they report to, still exists.
    Items()->Clear();
    fListOfTreeNodesToDelete.clear();
}

void TxoTree_ComBasic::InitializeInConstructor() {
    Initialize();
}

void TxoTree_ComBasic::FreeStructures() {
    if (fRootDataList) {
        TxoDataList_Tree* root = fRootDataList;
        fRootDataList = nullptr;
        root->FreeWheneverPossible();
    }
    if (fListOfDataListListInstances) {
        TxoDataList2lev* lists = fListOfDataListListInstances;
        fListOfDataListListInstances = nullptr;
        lists->FreeWheneverPossible();
    }
    fListController.reset();
}

void TxoTree_ComBasic::Initialize() {
    if (fRootDataList) {
        // Again: start over with an empty tree.
        Clear();
        FreeStructures();
    }
    if (!ComponentState().Contains(csDesigning)) Items()->Clear();
    fListOfTreeNodesToDelete.clear();
    fListOfDataListListInstances = CreateDataList2Lev();
    fListOfDataListListInstances->AfterCreate();
    fMaxLevels = -1;
    SetHideSelection(false);
    fMultiSelect = false;
    fAnchor = nullptr;
    fListController = std::make_unique<TxoListController_Tree>(this);
    fRootDataList = static_cast<TxoDataList_Tree*>(
        xo::NewDataList(fClassOfDataList_Tree, fListController.get(), fClassOfDataEntity_Tree));
    fListOfDataListListInstances->Add(fRootDataList);
    TxoListController_Tree* c = fListController.get();
    c->SetOnContentChanged([this](TxoDataList* l) { _ContentChanged(l); });
    c->SetOnSelectionChanged([this](TxoDataList* l, TxoDataEntity* e) { _SelectionChanged(l, e); });
    c->SetOnDeleteItem([this](TxoDataEntity* e) { _DeleteItem(e); });
    c->SetOnInsertItem([this](TxoDataEntity* e) { _InsertItem(e); });
    c->SetOnEnterOwnerAfterChange([this](TxoDataEntity* e) { _EnterOwnerAfterChange(e); });
    c->SetOnLeaveOwnerBeforeChange([this](TxoDataEntity* e) { _LeaveOwnerBeforeChange(e); });
    c->SetOnInfoPush([this](TxoDataEntity* e) { _OnInfoPush(e); });
    c->SetOnSortCompare([this](TxoDataEntity* a, TxoDataEntity* b) { return _SortCompare(a, b); });
    c->SetOnBeforeCanEditItem([this](TxoDataEntity* e) { _OnBeforeCanEditItem(e); });
    c->SetOnVisibleChanged([this](TxoDataEntity* e) { _OnVisibleChanged(e); });
    c->SetOnHandlePerformedMove([this](TxoDataEntity* e, int o, int n) { OnHandlePerformedMove(e, o, n); });
    SetOnCustomDrawItem([this](TCustomTreeView* s, TTreeNode* n, TCustomDrawState st, bool& d) {
        xoCustomDrawItem(s, n, st, d);
    });
    SetOnAdvancedCustomDrawItem([this](TCustomTreeView* s, TTreeNode* n, TCustomDrawState st,
                                       TCustomDrawStage sg, bool& pi,
                                       bool& d) { xoAdvancedCustomDrawItem(s, n, st, sg, pi, d); });
    SetDoubleBuffered(true);
}

TxoDataList2lev* TxoTree_ComBasic::CreateDataList2Lev() {
    return new TxoDataList2lev();
}

TxoDataList_Tree* TxoTree_ComBasic::CreateSubDataList(TxoDataEntity_Tree* theDataEntity) {
    if (theDataEntity->fSubDataList) return theDataEntity->fSubDataList;
    auto* list = static_cast<TxoDataList_Tree*>(
        xo::NewDataList(fClassOfDataList_Tree, fListController.get(), fClassOfDataEntity_Tree));
    list->fOwningDataEntity = theDataEntity;
    theDataEntity->fSubDataList = list;
    if (fListOfDataListListInstances) fListOfDataListListInstances->Add(list);
    return list;
}

void TxoTree_ComBasic::Loaded() {
    TCustomTreeView::Loaded();
    if (!ComponentState().Contains(csDesigning)) Items()->Clear();
}

void TxoTree_ComBasic::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomTreeView::Notification(AComponent, Operation);
}

void TxoTree_ComBasic::CreateParams(TCreateParams& Params) {
    TCustomTreeView::CreateParams(Params);
    Params.Style |= TVS_LINESATROOT;
}

void TxoTree_ComBasic::CreateWnd() {
    TCustomTreeView::CreateWnd();
    ApplyScrollBarSwitches();
}

void TxoTree_ComBasic::SetFocus() {
    if (TForm* f = GetParentForm(this)) {
        f->FocusControl(this);
        return;
    }
    ::SetFocus(Handle());
}

// ---- Class references and properties --------------------------------------------------------
void TxoTree_ComBasic::SetClassOfDataList_Tree(TxoDataListClass Value) {
    if (!Value.InheritsFrom(ClassOf<TxoDataList_Tree>()) || !Value.CanCreate())
        throw Exception("The list class of a tree must be a TxoDataList_Tree");
    fClassOfDataList_Tree = Value;
}

void TxoTree_ComBasic::SetClassOfDataEntity_Tree(TxoDataEntityClass Value) {
    if (!Value.InheritsFrom(ClassOf<TxoDataEntity_Tree>()) || !Value.CanCreate())
        throw Exception("The entity class of a tree must be a TxoDataEntity_Tree");
    fClassOfDataEntity_Tree = Value;
}

void TxoTree_ComBasic::SetScrollBarHorz(bool Value) {
    fScrollBarHorz = Value;
    ApplyScrollBarSwitches();
}

void TxoTree_ComBasic::SetScrollBarVert(bool Value) {
    fScrollBarVert = Value;
    ApplyScrollBarSwitches();
}

void TxoTree_ComBasic::ApplyScrollBarSwitches() {
    if (!HandleAllocated()) return;
    ShowScrollBar(Handle(), SB_HORZ, fScrollBarHorz);
    ShowScrollBar(Handle(), SB_VERT, fScrollBarVert);
}

void TxoTree_ComBasic::SetDrawGridLines(bool Value) {
    if (Value == FDrawGridLines) return;
    FDrawGridLines = Value;
    Invalidate();
}

void TxoTree_ComBasic::SetAutoExpandLevels(int Value) {
    fAutoExpandLevels = Value;
    DisplayOutOfDate();
}

void TxoTree_ComBasic::SetMaxLevels(int Value) {
    fMaxLevels = Value < 0 ? -1 : Value;
    DisplayOutOfDate();
}

// ---- Content --------------------------------------------------------------------------------
TxoDataEntity_Tree* TxoTree_ComBasic::AddDataEntity(TxoDataEntity_Tree* theOwningNode) {
    if (theOwningNode && theOwningNode->Tree() != this) throw Exception("The entity belongs to another tree");
    TxoDataList_Tree* list = theOwningNode ? theOwningNode->SubDataList() : fRootDataList;
    return static_cast<TxoDataEntity_Tree*>(list->Add());
}

TxoDataEntity_Tree* TxoTree_ComBasic::InsertDataEntity(TxoDataEntity_Tree* theOwningNode, int theIndex) {
    if (theOwningNode && theOwningNode->Tree() != this) throw Exception("The entity belongs to another tree");
    TxoDataList_Tree* list = theOwningNode ? theOwningNode->SubDataList() : fRootDataList;
    return static_cast<TxoDataEntity_Tree*>(list->Insert(theIndex));
}

void TxoTree_ComBasic::RemoveDataEntity(TxoDataEntity_Tree* theDataEntity) {
    if (!theDataEntity || !theDataEntity->OwningDataList()) return;
    if (theDataEntity->fTreeNode && theDataEntity->fTreeNode == Selected())
        TCustomTreeView::SetSelected(nullptr);
    theDataEntity->OwningDataList()->Remove(theDataEntity);
}

void TxoTree_ComBasic::ChangeOwner(TxoDataEntity_Tree* theDataEntityMoved, TxoDataEntity_Tree* theNewOwner) {
    if (!theDataEntityMoved || !theNewOwner || theDataEntityMoved == theNewOwner) return;
    if (theDataEntityMoved->Tree() != this || theNewOwner->Tree() != this) return;
    // A subtree cannot move under itself.
    for (TxoDataEntity_Tree* a = theNewOwner->ParentNode(); a; a = a->ParentNode())
        if (a == theDataEntityMoved) return;
    TxoDataList_Tree* list = theNewOwner->SubDataList();
    if (!list) return;
    theDataEntityMoved->ChangeOwner(list, list->LoadedCount());
}

void TxoTree_ComBasic::Clear() {
    if (!fRootDataList || !fListOfDataListListInstances) return;
    fRootDataList->Clear();
    const bool destroying = ComponentState().Contains(csDestroying);
    TxoDataList2lev* lists = fListOfDataListListInstances;
    if (!destroying)
        for (int i = lists->Count() - 1; i >= 0; --i)
            if (TxoDataList* l = lists->Items(i)) l->Clear();
    for (int i = lists->Count() - 1; i >= 1; --i) {
        auto* l = dynamic_cast<TxoDataList_Tree*>(lists->Items(i));
        if (!l || l == fRootDataList) continue;
        if (l->fOwningDataEntity && l->fOwningDataEntity->fSubDataList == l)
            l->fOwningDataEntity->fSubDataList = nullptr;
        l->fOwningDataEntity = nullptr;
        l->FreeWheneverPossible();
    }
    lists->Clear();
    if (!destroying) lists->Add(fRootDataList);
}

// ---- The controller's callbacks -------------------------------------------------------------
void TxoTree_ComBasic::_InsertItem(TxoDataEntity* theDataEntity) {
    auto* e = dynamic_cast<TxoDataEntity_Tree*>(theDataEntity);
    if (!e) return;
    // The list of children is made when the entity first gets children (SubDataList).
    if (auto* own = dynamic_cast<TxoDataList_Tree*>(e->OwningDataList())) own->fNeedsSort = true;
    if (fOnInsertItem) fOnInsertItem(this, e);
    DisplayOutOfDate();
}

void TxoTree_ComBasic::_DeleteItem(TxoDataEntity* theDataEntity) {
    auto* e = dynamic_cast<TxoDataEntity_Tree*>(theDataEntity);
    if (!e) return;
    if (fCurrentDataEntity_Async_Mailbox == e) fCurrentDataEntity_Async_Mailbox = nullptr;
    if (fLastTopItem == e) fLastTopItem = nullptr;
    if (fOnDataEntityDelete) fOnDataEntityDelete(this, e);
    if (fOnDeleteItem) fOnDeleteItem(this, e);
    TxoDataList_Tree* sub = e->fSubDataList;
    if (sub && fListOfDataListListInstances) fListOfDataListListInstances->Remove(sub);
    CleanTreeNode(e);
    if (sub) {
        sub->Clear();
        if (e->fSubDataList == sub) e->fSubDataList = nullptr;
        sub->fOwningDataEntity = nullptr;
        sub->FreeWheneverPossible();
    }
    DisplayOutOfDate();
}

void TxoTree_ComBasic::_ContentChanged(TxoDataList* thexoDataList) {
    // A changed list (sorted, for one) may need its nodes reordered.
    if (auto* l = dynamic_cast<TxoDataList_Tree*>(thexoDataList)) l->fNeedsSort = true;
    DisplayOutOfDate();
    if (fOnContentChanged) fOnContentChanged(this, thexoDataList);
}

void TxoTree_ComBasic::_SelectionChanged(TxoDataList* thexoDataList, TxoDataEntity* theDataEntity) {
    if (!theDataEntity) return;
    xo::TWatch<TxoDataEntity> alive(theDataEntity);
    EnsureDisplayUpToDate();
    if (!alive) return;
    if (auto* e = dynamic_cast<TxoDataEntity_Tree*>(theDataEntity))
        if (e->fTreeNode) e->fTreeNode->SetText(e->fText); // repaints the node
    if (fOnSelectionChanged) fOnSelectionChanged(this, thexoDataList, theDataEntity);
}

void TxoTree_ComBasic::_OnInfoPush(TxoDataEntity* theDataEntity) {
    if (fOnInfoPush) fOnInfoPush(this, theDataEntity);
}

int TxoTree_ComBasic::_SortCompare(TxoDataEntity* the1, TxoDataEntity* the2) {
    return fOnSortCompare ? fOnSortCompare(the1, the2) : 0;
}

void TxoTree_ComBasic::_OnBeforeCanEditItem(TxoDataEntity* theDataEntity) {
    if (fOnBeforeCanEditItem) fOnBeforeCanEditItem(this, theDataEntity);
}

void TxoTree_ComBasic::_LeaveOwnerBeforeChange(TxoDataEntity*) {}

void TxoTree_ComBasic::_OnVisibleChanged(TxoDataEntity*) {}

void TxoTree_ComBasic::_EnterOwnerAfterChange(TxoDataEntity* theDataEntity) {
    auto* e = dynamic_cast<TxoDataEntity_Tree*>(theDataEntity);
    if (!e) return;
    auto* list = dynamic_cast<TxoDataList_Tree*>(e->OwningDataList());
    if (!list) return;
    list->fNeedsSort = true;
    TxoDataEntity_Tree* owner = list->fOwningDataEntity;
    if (TTreeNode* n = e->fTreeNode) {
        if (!owner) {
            n->MoveTo(nullptr, naAdd);
        } else if (owner->fTreeNode && !owner->fHideNode) {
            // The owner has a child now: its placeholder goes.
            if (owner->fExpanderSubNode) RemoveNode(owner->fExpanderSubNode);
            n->MoveTo(owner->fTreeNode, naAddChild);
        } else {
            // Not shown under its new owner: made again when the owner is.
            CleanTreeNode(e);
        }
    } else if (e->fExpanderSubNode) {
        CleanTreeNode(e);
    }
    DisplayOutOfDate();
}

void TxoTree_ComBasic::OnHandlePerformedMove(TxoDataEntity* theDataEntity, int, int) {
    EnsureDisplayUpToDate();
    // The ordering pass of the next update puts the node (with its children) at its place.
    if (auto* l = dynamic_cast<TxoDataList_Tree*>(theDataEntity->OwningDataList())) l->fNeedsSort = true;
    DisplayOutOfDate();
}

// ---- Current entity and top item ------------------------------------------------------------
TxoDataEntity_Tree* TxoTree_ComBasic::CurrentDataEntity() {
    EnsureDisplayUpToDate();
    return GetDataEntityFromNode(Selected());
}

void TxoTree_ComBasic::SetCurrentDataEntity(TxoDataEntity_Tree* Value) {
    DisplayOutOfDate();
    TDoLater::DoLater(MakeMethod(this, &TxoTree_ComBasic::SetCurrentDataEntity_Async), nullptr);
    fCurrentDataEntity_Async_Mailbox = Value;
}

void TxoTree_ComBasic::SetCurrentDataEntity_Async(TObject*) {
    EnsureDisplayUpToDate();
    TxoDataEntity_Tree* e = fCurrentDataEntity_Async_Mailbox;
    TCustomTreeView::SetSelected(e ? e->fTreeNode : nullptr);
}

void TxoTree_ComBasic::MakeSure_SelectedAndFocusedAreTheSame_Async(TObject*) {
    TxoDataEntity_Tree* cur = CurrentDataEntity();
    if (!cur || cur->Selected()) return;
    ClearAllSelections();
    cur->SetSelected(true);
}

TxoDataEntity_Tree* TxoTree_ComBasic::TopItem() {
    TTreeNode* n = TCustomTreeView::TopItem();
    if (!n || n->Deleting()) return nullptr;
    auto* x = static_cast<TTreeNode_xoSub*>(n);
    if (x->fxoDeleting || x->fxoQueueIndex >= 0) return nullptr;
    return GetDataEntityFromNode(n);
}

void TxoTree_ComBasic::SetTopItem(TxoDataEntity_Tree* Value) {
    if (Value) {
        if (!Value->fTreeNode) EnsureDisplayUpToDate();
        if (TTreeNode* n = Value->fTreeNode) {
            TScrollInfo horz;
            horz.fMask = SIF_POS;
            bool haveHorz = HandleAllocated() && GetScrollInfo(Handle(), SB_HORZ, &horz);
            TCustomTreeView::SetTopItem(n);
            if (haveHorz) SetScrollInfo(Handle(), SB_HORZ, horz, false);
        }
    } else {
        TCustomTreeView::SetTopItem(nullptr);
    }
    ReportTopItemChanged();
}

void TxoTree_ComBasic::ReportTopItemChanged() {
    TxoDataEntity_Tree* top = TopItem();
    if (top == fLastTopItem) return;
    fLastTopItem = top;
    if (fOnTopItemChanged) fOnTopItemChanged(this);
}

// ---- Reads ----------------------------------------------------------------------------------
TxoDataEntity_Tree* TxoTree_ComBasic::GetDataEntityFromNode(TTreeNode* theNode) const {
    if (!theNode || theNode->Owner() != Items()) return nullptr;
    auto* x = static_cast<TTreeNode_xoSub*>(theNode);
    // The node's data, when it is the entity the node was made for.
    return x->fxoEntity && theNode->Data() == x->fxoEntity ? x->fxoEntity : nullptr;
}

TxoDataEntity_Tree* TxoTree_ComBasic::GetDataEntityAt(int X, int Y) {
    return GetDataEntityFromNode(GetNodeAt(X, Y));
}

TRect TxoTree_ComBasic::GetRect(TxoDataEntity_Tree* theDataEntity) {
    if (!HandleAllocated() || !theDataEntity || !theDataEntity->fTreeNode) return TRect(-1, -1, -1, -1);
    return theDataEntity->fTreeNode->DisplayRect(true);
}

TxoDataEntity_Tree* TxoTree_ComBasic::GetNextVisible(TxoDataEntity_Tree* theDataEntity) {
    if (!theDataEntity) return nullptr;
    if (!theDataEntity->fTreeNode) return theDataEntity;
    return GetDataEntityFromNode(theDataEntity->fTreeNode->GetNextVisible());
}

TxoDataEntity_Tree* TxoTree_ComBasic::GetPrevVisible(TxoDataEntity_Tree* theDataEntity) {
    if (!theDataEntity) return nullptr;
    if (!theDataEntity->fTreeNode) return theDataEntity;
    return GetDataEntityFromNode(theDataEntity->fTreeNode->GetPrevVisible());
}

TxoDataEntity_Tree* TxoTree_ComBasic::GetDataEntityFromRow(int theRow) {
    if (theRow < 0 || !fRootDataList) return nullptr;
    struct Frame {
        TxoDataList* list;
        int pos;
    };
    std::vector<Frame> stack{{fRootDataList, 0}};
    int row = 0;
    while (!stack.empty()) {
        Frame& f = stack.back();
        if (f.pos >= f.list->LoadedCount()) {
            stack.pop_back();
            continue;
        }
        auto* e = dynamic_cast<TxoDataEntity_Tree*>(f.list->GetLoaded(f.pos++));
        // The walk goes top-down, so the parent is known to be visible.
        if (!e || !e->fTreeNode || !e->fTreeNode->IsVisible()) continue;
        if (row++ == theRow) return e;
        if (e->fSubDataList && e->fSubDataList->LoadedCount() > 0) stack.push_back({e->fSubDataList, 0});
    }
    return nullptr;
}

bool TxoTree_ComBasic::NeedsDummyNode(TxoDataEntity_Tree*) {
    return true;
}
