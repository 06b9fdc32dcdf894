// The tree control's side of the native tree view: window messages, the notifications it lets
// through, expansion, label editing, multi-selection with anchor, shift and control, and the
// drawing of each node.
#include "foundation/xoDoLater.h"
#include "platform/plDateUtils.h"
#include "tree/xoTree.h"

#include <deque>

namespace {
constexpr TDateTime kEditGuard = 1.0 / (24 * 60 * 60); // one second
constexpr size_t kMaxTextChars = 255;

size_t CodePoints(const String& s) {
    size_t n = 0;
    for (unsigned char c : s)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

// The modifier keys of a key message: shift and control as they are held, alt from its data.
TShiftState KeyDataToShiftState(LPARAM aKeyData) {
    TShiftState s;
    if (GetKeyState(VK_SHIFT) < 0) s.Include(ssShift);
    if (GetKeyState(VK_CONTROL) < 0) s.Include(ssCtrl);
    if (aKeyData & (LPARAM(1) << 29)) s.Include(ssAlt);
    return s;
}

TShiftState MouseKeys(WPARAM aKeys) {
    TShiftState s;
    if (aKeys & MK_SHIFT) s.Include(ssShift);
    if (aKeys & MK_CONTROL) s.Include(ssCtrl);
    return s;
}
} // namespace

TTreeNode* TxoTree_ComBasic::CreateNode() {
    // Nodes made outside a display update were not made by the control (a recreated window,
    // the application's own): the next update starts the mirror afresh.
    if (!fUpdating) fRealoadOfTreeNodesDetected = true;
    return new TTreeNode_xoSub(Items());
}

// ---- Messages -------------------------------------------------------------------------------
void TxoTree_ComBasic::WndProc(TMessage& Message) {
    auto alive = fAlive;
    switch (Message.Msg) {
    case WM_KEYDOWN: {
        TCustomTreeView::WndProc(Message);
        if (!*alive) return;
        const uintptr_t key = Message.WParam;
        if (key != VK_SHIFT && key != VK_CONTROL && key != VK_APPS) {
            UpdateMultiSelect(CurrentDataEntity(), KeyDataToShiftState(Message.LParam));
            if (!*alive) return;
            TDoLater::DoLater(
                MakeMethod(this, &TxoTree_ComBasic::MakeSure_SelectedAndFocusedAreTheSame_Async), nullptr);
        }
        return;
    }
    case WM_LBUTTONDOWN: {
        fDragging = false;
        TWMMouse m(Message);
        TxoDataEntity_Tree* e = GetDataEntityAt(m.XPos(), m.YPos());
        TShiftState keys = MouseKeys(m.Keys());
        fSelectionsWasDoneWithKeys = keys;
        if (!e || e->Selected()) {
            fSelectionsWasDoneOnDownButton = false;
        } else {
            UpdateMultiSelect(e, keys);
            if (!*alive) return;
            fSelectionsWasDoneOnDownButton = true;
        }
        TCustomTreeView::WndProc(Message);
        return;
    }
    case WM_LBUTTONUP: {
        TCustomTreeView::WndProc(Message);
        if (!*alive) return;
        if (!fDragging && !fSelectionsWasDoneOnDownButton) {
            // A click inside a selection selects on release, so that a multi-selection can be
            // dragged.
            TWMMouse m(Message);
            TxoDataEntity_Tree* e = GetDataEntityAt(m.XPos(), m.YPos());
            if (e && e->Selected()) UpdateMultiSelect(e, fSelectionsWasDoneWithKeys);
        }
        return;
    }
    case WM_RBUTTONDOWN: {
        TWMMouse m(Message);
        if (RightClickSelect()) {
            TxoDataEntity_Tree* cur = CurrentDataEntity();
            if (!cur || !cur->Selected()) UpdateMultiSelect(cur, MouseKeys(m.Keys()));
            if (!*alive) return;
        }
        SetCurrentDataEntity(GetDataEntityAt(m.XPos(), m.YPos()));
        TCustomTreeView::WndProc(Message);
        return;
    }
    case WM_VSCROLL:
        TCustomTreeView::WndProc(Message);
        if (*alive) ReportTopItemChanged();
        return;
    case WM_WINDOWPOSCHANGING:
        ApplyScrollBarSwitches();
        TCustomTreeView::WndProc(Message);
        return;
    case WM_PAINT:
        EnsureDisplayUpToDate();
        if (!*alive) return;
        TCustomTreeView::WndProc(Message);
        return;
    default:
        TCustomTreeView::WndProc(Message);
    }
}

void TxoTree_ComBasic::CNNotify(TWMNotifyTV& Message) {
    if (ComponentState().Contains(csDesigning)) {
        TCustomTreeView::CNNotify(Message);
        return;
    }
    TNMTreeView* n = Message.NMTreeView();
    if (!n) return;
    switch (n->code) {
    case TVN_SELCHANGINGA:
    case TVN_SELCHANGINGW:
    case TVN_SELCHANGEDA:
    case TVN_SELCHANGEDW:
    case TVN_GETDISPINFOW:
    case TVN_SETDISPINFOW:
    case TVN_ITEMEXPANDINGW:
    case TVN_ITEMEXPANDEDW:
    case TVN_BEGINDRAGW:
    case TVN_DELETEITEMW:
    case TVN_BEGINLABELEDITW:
    case TVN_ENDLABELEDITW:
    case NM_CUSTOMDRAW:
    case NM_RCLICK:
        break;
    default:
        return; // the others are dropped
    }
    const int code = n->code;
    const unsigned action = n->action;
    auto alive = fAlive;
    if (code == TVN_BEGINDRAGW) fDragging = true;
    if (code == TVN_ENDLABELEDITW) fEditNode = nullptr; // also when cancelled
    TCustomTreeView::CNNotify(Message);
    if (!*alive) return;
    if ((code == TVN_SELCHANGEDA || code == TVN_SELCHANGEDW) && !ComponentState().Contains(csDestroying)) {
        ReportTopItemChanged();
        if (!*alive) return;
        // The user's choice wins over a pending programmatic one.
        if (action == TVC_BYMOUSE || action == TVC_BYKEYBOARD)
            TDoLater::NeverMind(MakeMethod(this, &TxoTree_ComBasic::SetCurrentDataEntity_Async));
        fLastSelectedItem = Selected();
    }
}

void TxoTree_ComBasic::Change(TTreeNode* Node) {
    auto alive = fAlive;
    if (fOnCurrentDataEntityChange) fOnCurrentDataEntityChange(this, GetDataEntityFromNode(Node));
    if (*alive) TCustomTreeView::Change(Node);
}

// ---- Expansion ------------------------------------------------------------------------------
void TxoTree_ComBasic::Expand(TTreeNode* Node) {
    if (ComponentState().Contains(csDesigning)) {
        TCustomTreeView::Expand(Node);
        return;
    }
    auto alive = fAlive;
    const bool wasExpanding = fExpanding;
    fExpanding = true;
    struct Restore {
        TxoTree_ComBasic* t;
        std::shared_ptr<bool> alive;
        bool was;
        ~Restore() {
            if (*alive) t->fExpanding = was;
        }
    } restore{this, alive, wasExpanding};
    TxoDataEntity_Tree* e = GetDataEntityFromNode(Node);
    xo::TWatch<TxoDataEntity> entity(e);
    if (e) {
        if (e->ChildCount() == 0) {
            // Nothing behind the expand button: the placeholder goes and no children show.
            if (TTreeNode* ph = e->fExpanderSubNode) {
                e->fExpanderSubNode = nullptr;
                static_cast<TTreeNode_xoSub*>(ph)->fxoPlaceholderOf = nullptr;
            }
            Node->DeleteChildren();
            Invalidate();
        } else if (TTreeNode* ph = e->fExpanderSubNode) {
            e->fExpanderSubNode = nullptr;
            static_cast<TTreeNode_xoSub*>(ph)->fxoPlaceholderOf = nullptr;
            ph->Delete();
            // The children behind the placeholder are mirrored now (by the running update, or
            // by the next one).
            if (!fUpdating) DisplayOutOfDate();
        }
    }
    TCustomTreeView::Expand(Node);
    if (!*alive) return;
    if (entity) e->SetExpanded(true);
}

void TxoTree_ComBasic::Collapse(TTreeNode* Node) {
    auto alive = fAlive;
    TCustomTreeView::Collapse(Node);
    if (!*alive || ComponentState().Contains(csDesigning)) return;
    if (TxoDataEntity_Tree* e = GetDataEntityFromNode(Node)) e->SetExpanded(Node->Expanded());
}

// ---- Label editing --------------------------------------------------------------------------
bool TxoTree_ComBasic::CanEdit(TTreeNode* Node) {
    bool result = TCustomTreeView::CanEdit(Node);
    // A slow double click on a node that just became current does not start editing.
    if (Now() - fFocusSwitchTime < kEditGuard) result = false;
    if (!result) return false;
    if (TxoDataEntity_Tree* e = GetDataEntityFromNode(Node)) {
        result = e->CanEdit();
        if (result) {
            fEditNode = Node;
            fOrgString = Node->Text();
        }
    }
    return result;
}

void TxoTree_ComBasic::Edit(TTreeNode* Node, String& S) {
    TxoDataEntity_Tree* e = GetDataEntityFromNode(Node);
    // Checked before the node takes the text, so that node and entity stay alike.
    if (e && CodePoints(S) > kMaxTextChars)
        throw Exception("Treenodes only allow strings smaller than 255 chars");
    xo::TWatch<TxoDataEntity> entity(e);
    TCustomTreeView::Edit(Node, S);
    if (!entity || e->fTreeNode != Node) return;
    e->SetText(Node->Text());
    e->DoInfoPush();
}

void TxoTree_ComBasic::KeyDown(uint16_t& Key, TShiftState Shift) {
    auto alive = fAlive;
    TCustomTreeView::KeyDown(Key, Shift);
    if (!*alive) return;
    if (Key == VK_F2 && Selected() && !IsEditing()) Selected()->EditText();
}

void TxoTree_ComBasic::KeyPress(char32_t& Key) {
    auto alive = fAlive;
    TCustomTreeView::KeyPress(Key);
    if (!*alive || !fEditNode) return;
    if (TxoDataEntity_Tree* e = GetDataEntityFromNode(fEditNode)) {
        e->SetText(fEditNode->Text());
        e->DoInfoPush();
    }
}

void TxoTree_ComBasic::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    auto alive = fAlive;
    if (Button == mbRight && fOnRightClick) fOnRightClick(this, GetDataEntityAt(X, Y));
    if (*alive) TCustomTreeView::MouseDown(Button, Shift, X, Y);
}

// ---- Multi-selection ------------------------------------------------------------------------
void TxoTree_ComBasic::ClearAllSelections() {
    xo::TWatch<TxoDataList2lev> lists(fListOfDataListListInstances);
    for (int i = 0; lists && i < lists->Count(); ++i)
        if (TxoDataList* l = lists->Items(i))
            if (l->SelectedCount() > 0) l->ClearSelections();
}

void TxoTree_ComBasic::UpdateMultiSelect(TxoDataEntity_Tree* theDataEntity, TShiftState theShift) {
    auto alive = fAlive;
    xo::TWatch<TxoDataEntity> entity(theDataEntity);
    TxoDataEntity_Tree* current = CurrentDataEntity();
    if (!*alive) return;
    if (theDataEntity && !entity) return;
    if (theDataEntity != current) fFocusSwitchTime = Now();
    if (!theDataEntity) {
        fAnchor = nullptr;
        ClearAllSelections();
        return;
    }
    TTreeNode* node = theDataEntity->fTreeNode;
    if (fMultiSelect && node && theShift.Contains(ssShift)) {
        if (!fAnchor) fAnchor = node;
        // Every entity whose node lies between the anchor and this one, in native order.
        int a = fAnchor->AbsoluteIndex(), b = node->AbsoluteIndex();
        TTreeNode* from = a <= b ? fAnchor : node;
        TTreeNode* to = a <= b ? node : fAnchor;
        std::deque<xo::TWatch<TxoDataEntity>> range;
        for (TTreeNode* n = from; n; n = n->GetNext()) {
            if (TxoDataEntity_Tree* e = GetDataEntityFromNode(n)) range.emplace_back(e);
            if (n == to) break;
        }
        if (!theShift.Contains(ssCtrl)) ClearAllSelections();
        for (auto& w : range) {
            if (!*alive) return;
            if (TxoDataEntity* e = w.Get()) e->SetSelected(true);
        }
    } else if (fMultiSelect && node && theShift.Contains(ssCtrl)) {
        fAnchor = node;
        theDataEntity->SetSelected(!theDataEntity->Selected());
    } else {
        fAnchor = node;
        ClearAllSelections();
        if (!*alive || !entity) return;
        theDataEntity->SetSelected(true);
        if (!*alive || !entity) return;
        SetCurrentDataEntity(theDataEntity);
    }
}

// ---- Drawing --------------------------------------------------------------------------------
void TxoTree_ComBasic::xoCustomDrawItem(TCustomTreeView*, TTreeNode* Node, TCustomDrawState, bool&) {
    TCanvas* c = Canvas();
    c->Font()->SetStyle(TFontStyles());
    c->Brush()->SetColor(Color());
    c->Font()->SetColor(clWindowText);
    TxoDataEntity_Tree* e = GetDataEntityFromNode(Node);
    if (e && e->Selected()) {
        if (Focused()) {
            c->Brush()->SetColor(clHighlight);
            c->Font()->SetColor(clHighlightText);
        } else {
            c->Brush()->SetColor(clBtnFace);
        }
    }
    if (e) {
        c->Font()->SetName(e->FFontName.empty() ? Font()->Name() : e->FFontName);
        c->Font()->SetStyle(e->FFontStyle);
    }
    if (FDrawGridLines) {
        const TRect text = Node->DisplayRect(true);
        const TRect row = Node->DisplayRect(false);
        const TColor pen = c->Pen()->Color();
        c->Pen()->SetColor(clBtnShadow);
        if (Node != Items()->GetFirstNode()) {
            c->MoveTo(text.Left, text.Top);
            c->LineTo(row.Right, text.Top);
        }
        c->MoveTo(text.Left, text.Bottom - 1);
        c->LineTo(row.Right, text.Bottom - 1);
        c->Pen()->SetColor(pen);
    }
}

void TxoTree_ComBasic::xoAdvancedCustomDrawItem(TCustomTreeView*, TTreeNode*, TCustomDrawState,
                                                TCustomDrawStage, bool&, bool&) {}
