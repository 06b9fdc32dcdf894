// The tree view's behaviour: properties, the native notifications and their default handling,
// selection, expansion, mouse and keyboard as the native control handles them, label editing.
#include "platform/internal/plComCtrlsGlue.h"
#include "platform/internal/plControlGlue.h"
#include "platform/plComCtrls.h"
#include "platform/plForms.h"

#include <algorithm>
#include <cstdlib>

using xo::TNodeWatch;

namespace xo {

TTreeViewImpl::TTreeViewImpl() = default;
TTreeViewImpl::~TTreeViewImpl() = default;

TNodeWatch::TNodeWatch(TTreeViewImpl& aImpl, TTreeNode* aNode) : fImpl(aImpl), fNode(aNode) {
    fImpl.watches.push_back(&fNode);
}

TNodeWatch::~TNodeWatch() {
    auto& w = fImpl.watches;
    auto it = std::find(w.rbegin(), w.rend(), &fNode);
    if (it != w.rend()) w.erase(std::next(it).base());
}

} // namespace xo

namespace {
// A notification's handler must not end a destructor with an exception.
template <class F> void Guarded(F&& aCall) {
    try {
        aCall();
    } catch (const std::exception& e) {
        xo::qt::ReportException(e.what());
    } catch (...) {
        xo::qt::ReportException("Unknown exception");
    }
}

TShiftState CurrentShift() {
    TShiftState s;
    if (GetKeyState(VK_SHIFT) < 0) s.Include(ssShift);
    if (GetKeyState(VK_CONTROL) < 0) s.Include(ssCtrl);
    if (GetKeyState(VK_MENU) < 0) s.Include(ssAlt);
    return s;
}
} // namespace

// ---- Construction ---------------------------------------------------------------------------
TCustomTreeView::TCustomTreeView(TComponent* AOwner)
    : TCustomControl(AOwner), fItems(std::make_unique<TTreeNodes>(this)),
      fTreeImpl(std::make_unique<xo::TTreeViewImpl>()) {
    // Every pixel of the client area is painted, so the background is never erased first.
    TControlStyle style = ControlStyle();
    style.Include(csOpaque);
    SetControlStyle(style);
    SetParentColor(false);
    SetColor(clWindow);
    SetTabStop(true);
    SetBounds(0, 0, 121, 97);
    fTreeImpl->editTimer = std::make_unique<TTimer>(nullptr);
    fTreeImpl->editTimer->SetEnabled(false);
    fTreeImpl->editTimer->SetOnTimer([this](TObject* Sender) { EditTimerTick(Sender); });
}

TCustomTreeView::~TCustomTreeView() {
    Destroying();
    *fTreeImpl->alive = false;
    fTreeImpl->editTimer->SetEnabled(false);
    fEditNode = nullptr;
    ReleaseWidgetParts();
    // The nodes go while the view's state they report to still exists.
    fItems->Clear();
}

TTreeNode* TCustomTreeView::CreateNode() {
    return new TTreeNode(fItems.get());
}

// ---- Style ----------------------------------------------------------------------------------
void TCustomTreeView::CreateParams(TCreateParams& Params) {
    Params.Style = WS_HSCROLL | WS_VSCROLL;
    if (fBorderStyle == bsSingle) Params.Style |= WS_BORDER;
    if (fShowButtons) Params.Style |= TVS_HASBUTTONS;
    if (fShowLines) Params.Style |= TVS_HASLINES;
    if (fShowRoot) Params.Style |= TVS_LINESATROOT;
    if (!fReadOnly) Params.Style |= TVS_EDITLABELS;
    if (!fHideSelection) Params.Style |= TVS_SHOWSELALWAYS;
    if (!fToolTips) Params.Style |= TVS_NOTOOLTIPS;
    if (fRowSelect) Params.Style |= TVS_FULLROWSELECT;
    if (fHotTrack) Params.Style |= TVS_TRACKSELECT;
}

const TCreateParams& TCustomTreeView::Params() {
    if (!fParamsValid) {
        fParams = TCreateParams();
        CreateParams(fParams);
        fParamsValid = true;
    }
    return fParams;
}

void TCustomTreeView::RecreateParams() {
    fParamsValid = false;
    InvalidateExtent();
    NeedRepaint();
}

bool TCustomTreeView::HasButton(TTreeNode* Node) {
    uint32_t style = Style();
    return (style & TVS_HASBUTTONS) && Node->HasChildren() && (Node->fParent || (style & TVS_LINESATROOT));
}

// ---- Properties -----------------------------------------------------------------------------
void TCustomTreeView::SetImages(TCustomImageList* Value) {
    if (Value == fImages) return;
    fImages = Value;
    if (Value) Value->FreeNotification(this);
    InvalidateExtent();
    NeedRepaint();
}

void TCustomTreeView::SetStateImages(TCustomImageList* Value) {
    if (Value == fStateImages) return;
    fStateImages = Value;
    if (Value) Value->FreeNotification(this);
    InvalidateExtent();
    NeedRepaint();
}

void TCustomTreeView::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomControl::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == fImages) SetImages(nullptr);
    if (AComponent == fStateImages) SetStateImages(nullptr);
}

void TCustomTreeView::SetIndent(int Value) {
    Value = std::clamp(Value, 0, 1000);
    if (Value == fIndent) return;
    fIndent = Value;
    InvalidateExtent();
    NeedRepaint();
}

void TCustomTreeView::SetBorderStyle(TBorderStyle Value) {
    if (Value != bsSingle) Value = bsNone;
    if (Value == fBorderStyle) return;
    fBorderStyle = Value;
    RecreateParams();
    if (HandleAllocated()) InvalidateRect(Handle(), nullptr, true);
}

void TCustomTreeView::SetBorderWidth(int Value) {
    Value = std::clamp(Value, 0, 1000);
    if (Value == fBorderWidth) return;
    fBorderWidth = Value;
    NeedRepaint();
    if (HandleAllocated()) InvalidateRect(Handle(), nullptr, true);
}

void TCustomTreeView::SetShowButtons(bool Value) {
    if (Value == fShowButtons) return;
    fShowButtons = Value;
    RecreateParams();
}

void TCustomTreeView::SetShowLines(bool Value) {
    if (Value == fShowLines) return;
    fShowLines = Value;
    RecreateParams();
}

void TCustomTreeView::SetShowRoot(bool Value) {
    if (Value == fShowRoot) return;
    fShowRoot = Value;
    RecreateParams();
}

void TCustomTreeView::SetReadOnly(bool Value) {
    if (Value == fReadOnly) return;
    fReadOnly = Value;
    RecreateParams();
}

void TCustomTreeView::SetHideSelection(bool Value) {
    if (Value == fHideSelection) return;
    fHideSelection = Value;
    RecreateParams();
}

void TCustomTreeView::SetRowSelect(bool Value) {
    if (Value == fRowSelect) return;
    fRowSelect = Value;
    RecreateParams();
}

void TCustomTreeView::SetOnCustomDrawItem(TTVCustomDrawItemEvent Value) {
    fOnCustomDrawItem = std::move(Value);
    NeedRepaint();
}

void TCustomTreeView::SetOnAdvancedCustomDrawItem(TTVAdvancedCustomDrawItemEvent Value) {
    fOnAdvancedCustomDrawItem = std::move(Value);
    NeedRepaint();
}

void TCustomTreeView::FontChanged() {
    TCustomControl::FontChanged();
    for (TTreeNode* n = fItems->GetFirstNode(); n; n = n->GetNext())
        n->fTextWidth = -1;
    InvalidateRows();
    NeedRepaint();
}

void TCustomTreeView::Resize() {
    TCustomControl::Resize();
    NeedRepaint();
}

void TCustomTreeView::WMSetFocus(TWMSetFocus& Message) {
    TCustomControl::WMSetFocus(Message);
    NeedRepaint();
}

void TCustomTreeView::WMKillFocus(TWMKillFocus& Message) {
    TCustomControl::WMKillFocus(Message);
    NeedRepaint();
}

void TCustomTreeView::WMGetDlgCode(TWMGetDlgCode& Message) {
    Message.SetResult(DLGC_WANTARROWS | DLGC_WANTCHARS);
}

// ---- Notifications --------------------------------------------------------------------------
LRESULT TCustomTreeView::Notify(TNMTreeView& aNotify) {
    TMessage m{CN_NOTIFY, 0, reinterpret_cast<LPARAM>(&aNotify), 0};
    WndProc(m);
    return m.Result;
}

void TCustomTreeView::CNNotify(TWMNotifyTV& Message) {
    TNMTreeView* n = Message.NMTreeView();
    if (!n) return;
    switch (n->code) {
    case TVN_SELCHANGINGA:
    case TVN_SELCHANGINGW:
        Message.SetResult(CanChange(n->itemNew) ? 0 : 1);
        break;
    case TVN_SELCHANGEDA:
    case TVN_SELCHANGEDW:
        Change(n->itemNew);
        break;
    case TVN_ITEMEXPANDINGA:
    case TVN_ITEMEXPANDINGW:
        if (n->action == TVE_EXPAND)
            Message.SetResult(CanExpand(n->itemNew) ? 0 : 1);
        else
            Message.SetResult(CanCollapse(n->itemNew) ? 0 : 1);
        break;
    case TVN_ITEMEXPANDEDA:
    case TVN_ITEMEXPANDEDW:
        if (n->action == TVE_EXPAND)
            Expand(n->itemNew);
        else
            Collapse(n->itemNew);
        break;
    case TVN_DELETEITEMA:
    case TVN_DELETEITEMW:
        Delete(n->itemOld);
        break;
    case TVN_BEGINLABELEDITA:
    case TVN_BEGINLABELEDITW:
        Message.SetResult(CanEdit(n->itemNew) ? 0 : 1);
        break;
    case TVN_ENDLABELEDITA:
    case TVN_ENDLABELEDITW:
        if (n->pszText) Edit(n->itemNew, *n->pszText);
        break;
    case NM_CUSTOMDRAW:
        if (n->dwDrawStage == CDDS_ITEMPREPAINT) {
            bool paintImages = n->paintImages;
            bool defaultDraw = CustomDrawItem(n->itemNew, n->uItemState, cdPrePaint, paintImages);
            n->paintImages = paintImages;
            Message.SetResult(defaultDraw ? 0 : CDRF_SKIPDEFAULT);
        } else if (n->dwDrawStage == CDDS_ITEMPOSTPAINT) {
            bool paintImages = n->paintImages;
            CustomDrawItem(n->itemNew, n->uItemState, cdPostPaint, paintImages);
        }
        break;
    default:
        break;
    }
}

bool TCustomTreeView::CanChange(TTreeNode* Node) {
    bool allow = true;
    if (fOnChanging) fOnChanging(this, Node, allow);
    return allow;
}

void TCustomTreeView::Change(TTreeNode* Node) {
    if (fOnChange) fOnChange(this, Node);
}

bool TCustomTreeView::CanExpand(TTreeNode* Node) {
    bool allow = true;
    if (fOnExpanding) fOnExpanding(this, Node, allow);
    return allow;
}

void TCustomTreeView::Expand(TTreeNode* Node) {
    if (fOnExpanded) fOnExpanded(this, Node);
}

bool TCustomTreeView::CanCollapse(TTreeNode* Node) {
    bool allow = true;
    if (fOnCollapsing) fOnCollapsing(this, Node, allow);
    return allow;
}

void TCustomTreeView::Collapse(TTreeNode* Node) {
    if (fOnCollapsed) fOnCollapsed(this, Node);
}

bool TCustomTreeView::CanEdit(TTreeNode* Node) {
    bool allow = true;
    if (fOnEditing) fOnEditing(this, Node, allow);
    return allow;
}

void TCustomTreeView::Edit(TTreeNode* Node, String& S) {
    TNodeWatch node(*fTreeImpl, Node);
    if (fOnEdited) fOnEdited(this, Node, S);
    if (node) node.Get()->SetText(S);
}

void TCustomTreeView::Delete(TTreeNode* Node) {
    if (fOnDeletion) fOnDeletion(this, Node);
}

bool TCustomTreeView::IsCustomDrawn(TCustomDrawTarget Target, TCustomDrawStage Stage) {
    if (Target != dtItem) return false;
    if (Stage == cdPrePaint) return fOnCustomDrawItem || fOnAdvancedCustomDrawItem;
    return bool(fOnAdvancedCustomDrawItem);
}

bool TCustomTreeView::CustomDrawItem(TTreeNode* Node, TCustomDrawState State, TCustomDrawStage Stage,
                                     bool& PaintImages) {
    bool defaultDraw = true;
    if (Stage == cdPrePaint && fOnCustomDrawItem) fOnCustomDrawItem(this, Node, State, defaultDraw);
    if (fOnAdvancedCustomDrawItem)
        fOnAdvancedCustomDrawItem(this, Node, State, Stage, PaintImages, defaultDraw);
    return defaultDraw;
}

// ---- Selection and expansion ----------------------------------------------------------------
void TCustomTreeView::SetSelected(TTreeNode* Value) {
    DoSelect(Value, TVC_UNKNOWN);
}

bool TCustomTreeView::DoSelect(TTreeNode* Node, unsigned aAction) {
    if (Node == fSelected) return true;
    if (Node && (Node->fOwner != fItems.get() || Node->fDeleting || !Node->fLinked)) return false;
    TNodeWatch node(*fTreeImpl, Node);
    {
        TNMTreeView n;
        n.code = TVN_SELCHANGINGW;
        n.action = aAction;
        n.itemOld = fSelected;
        n.itemNew = Node;
        if (Notify(n) != 0) return false;
    }
    if (Node && !node) return false; // deleted by a handler
    TTreeNode* old = fSelected;
    fSelected = node.Get();
    NeedRepaint();
    if (fSelected) fSelected->MakeVisible();
    if (Node && !node) return false;
    TNMTreeView n;
    n.code = TVN_SELCHANGEDW;
    n.action = aAction;
    n.itemOld = old;
    n.itemNew = fSelected;
    Notify(n);
    return true;
}

bool TCustomTreeView::DoExpand(TTreeNode* Node, bool aExpand) {
    if (!Node || Node->fDeleting || !Node->fLinked) return false;
    if (Node->fExpanded == aExpand) return true;
    TNodeWatch node(*fTreeImpl, Node);
    TNMTreeView n;
    n.code = TVN_ITEMEXPANDINGW;
    n.action = aExpand ? TVE_EXPAND : TVE_COLLAPSE;
    n.itemNew = Node;
    if (Notify(n) != 0 || !node) return false;
    if (Node->fExpanded == aExpand) return true; // a handler did it
    Node->fExpanded = aExpand;
    InvalidateRows();
    NeedRepaint();
    n.code = TVN_ITEMEXPANDEDW;
    n.itemNew = Node;
    Notify(n);
    // A collapsed node takes the selection from its hidden descendants, as the native tree does.
    if (!aExpand && node && fSelected && fSelected->HasAsParent(Node)) DoSelect(Node, TVC_UNKNOWN);
    return true;
}

void TCustomTreeView::NodeDestroying(TTreeNode* Node) {
    xo::TTreeViewImpl& im = *fTreeImpl;
    for (TTreeNode** w : im.watches)
        if (*w == Node) *w = nullptr;
    if (im.pressNode == Node) {
        im.pressNode = nullptr;
        im.dragPending = im.editCandidate = false;
    }
    if (Node == fEditNode) {
        fEditNode = nullptr;
        xo::CloseTreeEditor(this);
    }
    if (Node == fTopNode) fTopNode = nullptr; // fTopRow stays as the position
    bool wasSelected = Node == fSelected;
    if (wasSelected) fSelected = nullptr;
    InvalidateRows();
    if (ComponentState().Contains(csDestroying)) return;
    NeedRepaint();
    Guarded([&] {
        TNMTreeView n;
        n.code = TVN_DELETEITEMW;
        n.itemOld = Node;
        Notify(n);
    });
    if (wasSelected && !ComponentState().Contains(csDestroying)) {
        Guarded([&] {
            TNMTreeView n;
            n.code = TVN_SELCHANGEDW;
            n.action = TVC_UNKNOWN;
            Notify(n);
        });
    }
}

TTreeNode* TCustomTreeView::TopItem() {
    EnsureLayout();
    return fRows.empty() ? nullptr : fRows[size_t(fTopRow)];
}

void TCustomTreeView::SetTopItem(TTreeNode* Value) {
    if (!Value) {
        SetTopRow(0);
        return;
    }
    if (Value->fOwner != fItems.get() || Value->fDeleting || !Value->fLinked) return;
    TNodeWatch node(*fTreeImpl, Value);
    std::vector<TTreeNode*> ancestors;
    for (TTreeNode* p = Value->fParent; p; p = p->fParent)
        ancestors.push_back(p);
    for (auto it = ancestors.rbegin(); it != ancestors.rend() && node; ++it) {
        TNodeWatch a(*fTreeImpl, *it);
        if (a && !a.Get()->fExpanded) a.Get()->SetExpanded(true);
    }
    if (!node) return;
    int row = RowOf(Value);
    if (row >= 0) SetTopRow(row);
}

void TCustomTreeView::FullExpand() {
    std::vector<TTreeNode*> roots;
    for (TTreeNode* n = fItems->fRoots.first; n; n = n->fNext)
        roots.push_back(n);
    for (TTreeNode* n : roots) {
        TNodeWatch r(*fTreeImpl, n);
        if (r) r.Get()->Expand(true);
    }
}

void TCustomTreeView::FullCollapse() {
    std::vector<TTreeNode*> roots;
    for (TTreeNode* n = fItems->fRoots.first; n; n = n->fNext)
        roots.push_back(n);
    for (TTreeNode* n : roots) {
        TNodeWatch r(*fTreeImpl, n);
        if (r) r.Get()->Collapse(true);
    }
}

bool TCustomTreeView::IsEditing() const {
    return fEditNode != nullptr;
}

// ---- Messages -------------------------------------------------------------------------------
void TCustomTreeView::WndProc(TMessage& Message) {
    // With automatic dragging the framework starts a drag on the press; the node under it is
    // still selected first, as the native control does.
    if ((Message.Msg == WM_LBUTTONDOWN || Message.Msg == WM_LBUTTONDBLCLK) && DragMode() == dmAutomatic &&
        !ComponentState().Contains(csDesigning)) {
        auto alive = fTreeImpl->alive;
        NativeMouse(Message);
        if (!*alive) return;
    }
    TCustomControl::WndProc(Message);
}

void TCustomTreeView::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case CN_NOTIFY: {
        TWMNotifyTV m(Message);
        CNNotify(m);
        return;
    }
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP: {
        // The native control first, then the framework's handlers (MouseDown, OnMouseDown ...).
        bool handledByWndProc = (Message.Msg == WM_LBUTTONDOWN || Message.Msg == WM_LBUTTONDBLCLK) &&
                                DragMode() == dmAutomatic && !ComponentState().Contains(csDesigning);
        if (!handledByWndProc) {
            auto alive = fTreeImpl->alive;
            NativeMouse(Message);
            if (!*alive) return;
        }
        break;
    }
    default:
        break;
    }
    TCustomControl::Dispatch(Message);
}

void TCustomTreeView::DefaultHandler(TMessage& Message) {
    switch (Message.Msg) {
    case WM_KEYDOWN:
        NativeKey(uint16_t(Message.WParam), CurrentShift());
        return;
    case WM_VSCROLL:
    case WM_HSCROLL:
        ScrollMessage(Message.Msg, LOWORD(Message.WParam), HIWORD(Message.WParam));
        return;
    default:
        TCustomControl::DefaultHandler(Message);
    }
}

void TCustomTreeView::NativeMouse(TMessage& Message) {
    xo::TTreeViewImpl& im = *fTreeImpl;
    TWMMouse m(Message);
    const int x = m.XPos(), y = m.YPos();
    switch (Message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        im.editTimer->SetEnabled(false);
        if (fEditNode) FinishEdit(false);
        if (!Focused() && CanFocus()) SetFocus();
        im.pressNode = nullptr;
        im.dragPending = im.editCandidate = false;
        THitTests ht = GetHitTestInfoAt(x, y);
        TNodeWatch node(im, GetNodeAt(x, y));
        if (!node) break;
        bool onItem = ht.Contains(htOnItem) || (fRowSelect && !ht.Contains(htOnButton));
        if (Message.Msg == WM_LBUTTONDBLCLK) {
            if (onItem && node.Get()->HasChildren()) node.Get()->SetExpanded(!node.Get()->Expanded());
            if (node) {
                TNMTreeView n;
                n.code = NM_DBLCLK;
                n.itemNew = node.Get();
                Notify(n);
            }
            break;
        }
        if (ht.Contains(htOnButton)) {
            node.Get()->SetExpanded(!node.Get()->Expanded());
            break;
        }
        if (!onItem) break;
        bool wasSelected = node.Get() == fSelected;
        DoSelect(node.Get(), TVC_BYMOUSE);
        if (!node) break;
        im.pressNode = node.Get();
        im.pressPoint = TPoint(x, y);
        im.dragPending = true;
        im.editCandidate = wasSelected && ht.Contains(htOnLabel);
        break;
    }
    case WM_MOUSEMOVE:
        if (im.dragPending && im.pressNode && (m.Keys() & MK_LBUTTON) &&
            (std::abs(x - im.pressPoint.X) > DragThreshold() ||
             std::abs(y - im.pressPoint.Y) > DragThreshold())) {
            im.dragPending = false;
            im.editCandidate = false;
            if (!(Style() & TVS_DISABLEDRAGDROP)) {
                TNMTreeView n;
                n.code = TVN_BEGINDRAGW;
                n.itemNew = im.pressNode;
                n.ptDrag = im.pressPoint;
                Notify(n);
            }
        }
        break;
    case WM_LBUTTONUP: {
        bool edit =
            im.editCandidate && im.pressNode && im.pressNode == fSelected && GetNodeAt(x, y) == im.pressNode;
        im.dragPending = false;
        im.editCandidate = false;
        if (edit) StartEditTimer();
        TNMTreeView n;
        n.code = NM_CLICK;
        n.itemNew = GetNodeAt(x, y);
        Notify(n);
        break;
    }
    case WM_RBUTTONDOWN:
        if (fEditNode) FinishEdit(false);
        if (!Focused() && CanFocus()) SetFocus();
        break;
    case WM_RBUTTONUP: {
        TNMTreeView n;
        n.code = NM_RCLICK;
        n.itemNew = GetNodeAt(x, y);
        Notify(n);
        break;
    }
    default:
        break;
    }
}

void TCustomTreeView::NativeKey(uint16_t aKey, TShiftState aShift) {
    EnsureLayout();
    TTreeNode* sel = fSelected;
    TTreeNode* target = nullptr;
    switch (aKey) {
    case VK_UP:
        if (aShift.Contains(ssCtrl)) {
            SetTopRow(fTopRow - 1);
            return;
        }
        target = sel ? sel->GetPrevVisible() : FirstRowNode();
        break;
    case VK_DOWN:
        if (aShift.Contains(ssCtrl)) {
            SetTopRow(fTopRow + 1);
            return;
        }
        target = sel ? sel->GetNextVisible() : FirstRowNode();
        break;
    case VK_HOME:
        target = FirstRowNode();
        break;
    case VK_END:
        target = LastRowNode();
        break;
    case VK_PRIOR:
    case VK_NEXT: {
        if (fRows.empty()) return;
        int row = sel ? RowOf(sel) : -1;
        if (row < 0) row = fTopRow;
        int step = std::max(1, PageRows() - 1);
        row = aKey == VK_PRIOR ? row - step : row + step;
        row = std::clamp(row, 0, int(fRows.size()) - 1);
        target = fRows[size_t(row)];
        break;
    }
    case VK_LEFT:
        if (!sel) return;
        if (sel->fExpanded && sel->HasChildren())
            sel->SetExpanded(false);
        else
            target = sel->fParent;
        break;
    case VK_RIGHT:
        if (!sel || !sel->HasChildren()) return;
        if (!sel->fExpanded)
            sel->SetExpanded(true);
        else
            target = sel->fChildren.first;
        break;
    case VK_ADD:
        if (sel) sel->SetExpanded(true);
        return;
    case VK_SUBTRACT:
        if (sel) sel->SetExpanded(false);
        return;
    case VK_MULTIPLY:
        if (sel) sel->Expand(true);
        return;
    case VK_BACK:
        if (sel) target = sel->fParent;
        break;
    default:
        return;
    }
    if (target && target != sel) DoSelect(target, TVC_BYKEYBOARD);
}

void TCustomTreeView::WMMouseWheel(TWMMouseWheel& Message) {
    if (!DoMouseWheel(KeysToShiftState(Message.Keys()), Message.WheelDelta(), Message.Pos()))
        MouseWheelScroll(Message.WheelDelta());
    Message.SetResult(1);
}

void TCustomTreeView::MouseWheelScroll(int aDelta) {
    constexpr int kLinesPerNotch = 3;
    int& acc = fTreeImpl->wheelAccumulator;
    acc += aDelta;
    auto alive = fTreeImpl->alive;
    while (std::abs(acc) >= WHEEL_DELTA && *alive) {
        bool up = acc > 0;
        acc += up ? -WHEEL_DELTA : WHEEL_DELTA;
        for (int i = 0; i < kLinesPerNotch && *alive; ++i)
            Perform(WM_VSCROLL, WPARAM(up ? SB_LINEUP : SB_LINEDOWN), 0);
    }
}

// ---- Label editing --------------------------------------------------------------------------
bool TCustomTreeView::BeginEdit(TTreeNode* Node) {
    if (!Node || Node->fOwner != fItems.get() || Node->fDeleting || !Node->fLinked) return false;
    if (fEditNode == Node) return true;
    if (fEditNode) FinishEdit(false);
    if (fReadOnly || !(Style() & TVS_EDITLABELS)) return false;
    HandleNeeded();
    TNodeWatch node(*fTreeImpl, Node);
    if (fSelected != Node) DoSelect(Node, TVC_UNKNOWN);
    if (!node) return false;
    Node->MakeVisible();
    if (!node) return false;
    TNMTreeView n;
    n.code = TVN_BEGINLABELEDITW;
    n.itemNew = Node;
    if (Notify(n) != 0 || !node || fEditNode) return false;
    fEditNode = Node;
    TRect r = Node->DisplayRect(true);
    xo::StartTreeEditor(this, r, Node->Text());
    return true;
}

void TCustomTreeView::FinishEdit(bool aCancel) {
    if (!fEditNode) return;
    TTreeNode* node = fEditNode;
    String text = xo::TreeEditorText(this);
    fEditNode = nullptr;
    xo::CloseTreeEditor(this);
    TNMTreeView n;
    n.code = TVN_ENDLABELEDITW;
    n.itemNew = node;
    n.pszText = aCancel ? nullptr : &text;
    Notify(n);
}

void TCustomTreeView::EditorKey(uint16_t aKey, const std::u32string& aChars, TShiftState aShift,
                                bool aRelease, bool& aConsumed) {
    // The editor's keys reach the tree's key handlers first, as the native edit control's do.
    aConsumed = false;
    auto alive = fTreeImpl->alive;
    if (aRelease) {
        if (!aKey) return;
        uint16_t k = aKey;
        KeyUp(k, aShift);
        aConsumed = !*alive || k == 0;
        return;
    }
    if (aKey) {
        uint16_t k = aKey;
        KeyDown(k, aShift);
        if (!*alive || k == 0) {
            aConsumed = true;
            return;
        }
        if (k == VK_RETURN || k == VK_ESCAPE) {
            aConsumed = true;
            FinishEdit(k == VK_ESCAPE);
            return;
        }
    }
    for (char32_t c : aChars) {
        char32_t ch = c;
        KeyPress(ch);
        if (!*alive || ch == 0) {
            aConsumed = true;
            return;
        }
    }
}

void TCustomTreeView::EditTimerTick(TObject*) {
    fTreeImpl->editTimer->SetEnabled(false);
    if (fSelected && !fEditNode) fSelected->EditText();
}
