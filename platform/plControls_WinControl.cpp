// TWinControl: children, alignment, focus and tab order, keyboard messages and the dispatch
// of window messages.
#include "platform/internal/plControlGlue.h"
#include "platform/plControls.h"
#include "platform/plForms.h"

#include <QWidget>

#include <algorithm>
#include <climits>

using namespace xo;
using namespace xo::qt;

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner), fImpl(std::make_unique<TWinControlImpl>()) {}

TWinControl::~TWinControl() {
    Destroying();
    // Children go first, last in the list first; each takes itself out of the list.
    while (!fWinControls.empty() || !fControls.empty()) {
        TControl* c = !fWinControls.empty() ? static_cast<TControl*>(fWinControls.back()) : fControls.back();
        delete c;
    }
    DestroyWnd();
}

// ---- Children -------------------------------------------------------------------------------
TControl* TWinControl::Controls(int Index) const {
    if (Index < 0) return nullptr;
    if (size_t(Index) < fControls.size()) return fControls[size_t(Index)];
    size_t w = size_t(Index) - fControls.size();
    return w < fWinControls.size() ? fWinControls[w] : nullptr;
}

bool TWinControl::ContainsControl(TControl* Control) const {
    while (Control && Control != this)
        Control = Control->Parent();
    return Control != nullptr;
}

TControl* TWinControl::ControlAtPos(const TPoint& Pos, bool AllowDisabled, bool AllowWinControls) const {
    auto hit = [&](TControl* c) {
        return c->Visible() && (AllowDisabled || c->Enabled()) && c->BoundsRect().Contains(Pos);
    };
    if (AllowWinControls)
        for (auto it = fWinControls.rbegin(); it != fWinControls.rend(); ++it)
            if (hit(*it)) return *it;
    for (auto it = fControls.rbegin(); it != fControls.rend(); ++it)
        if (hit(*it)) return *it;
    return nullptr;
}

void TWinControl::InsertControl(TControl* AControl) {
    if (!AControl || AControl->fParent == this) return;
    AControl->fParent = this;
    if (auto* wc = dynamic_cast<TWinControl*>(AControl)) {
        fWinControls.push_back(wc);
        fTabList.push_back(wc);
        if (fImpl->widget) {
            if (wc->HandleAllocated())
                wc->AttachWidget();
            else
                wc->CreateWnd();
        }
    } else {
        fControls.push_back(AControl);
    }
    AControl->Perform(CM_PARENTCOLORCHANGED, 0, 0);
    AControl->Perform(CM_PARENTFONTCHANGED, 0, 0);
    AControl->Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
    if (!dynamic_cast<TWinControl*>(AControl)) AControl->Invalidate();
    if (AControl->Align() != alNone) AlignControl(AControl);
}

void TWinControl::RemoveControl(TControl* AControl) {
    if (!AControl || AControl->fParent != this) return;
    if (TForm* f = GetParentForm(this)) f->DefocusControl(AControl);
    if (fImpl->hover == AControl) fImpl->hover = nullptr;
    // Found by address: a control on its way out of its destructor is no longer what it was.
    bool leaving = AControl->ComponentState().Contains(csDestroying);
    auto w = std::find(fWinControls.begin(), fWinControls.end(), AControl);
    TWinControl* wc = nullptr;
    if (w != fWinControls.end()) {
        wc = *w;
        fWinControls.erase(w);
        fTabList.erase(std::remove(fTabList.begin(), fTabList.end(), wc), fTabList.end());
    } else {
        AControl->Invalidate();
        fControls.erase(std::remove(fControls.begin(), fControls.end(), AControl), fControls.end());
    }
    AControl->fParent = nullptr;
    if (wc && !leaving) wc->AttachWidget(); // out of this window: its widget waits without a parent
    if (AControl->Align() != alNone) AlignControl(nullptr);
}

void TWinControl::Broadcast(TMessage& Message) {
    for (int i = 0; i < ControlCount(); ++i) {
        Controls(i)->WndProc(Message);
        if (Message.Result != 0) return;
    }
}

void TWinControl::NotifyControls(uint32_t Msg) {
    TMessage m{Msg, 0, 0, 0};
    Broadcast(m);
}

// ---- Bounds ---------------------------------------------------------------------------------
TRect TWinControl::ClientRect() const {
    int nc = NonClientInset();
    return TRect(0, 0, std::max(0, fWidth - 2 * nc), std::max(0, fHeight - 2 * nc));
}

TPoint TWinControl::ClientOrigin() const {
    int nc = NonClientInset();
    if (fImpl->widget) {
        QPoint g = fImpl->widget->mapToGlobal(QPoint(nc, nc));
        return TPoint(g.x(), g.y());
    }
    if (fParent) {
        TPoint p = fParent->ClientOrigin();
        return TPoint(p.X + fLeft + nc, p.Y + fTop + nc);
    }
    return TPoint(fLeft + nc, fTop + nc);
}

void TWinControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    AWidth = std::max(AWidth, 0);
    AHeight = std::max(AHeight, 0);
    bool moved = ALeft != fLeft || ATop != fTop;
    bool resized = AWidth != fWidth || AHeight != fHeight;
    if (!moved && !resized) return;
    NoteMove(moved);
    fLeft = ALeft;
    fTop = ATop;
    fWidth = AWidth;
    fHeight = AHeight;
    UpdateWidgetGeometry();
    if (resized) {
        if (fImpl->widget) InvalidateRect(fImpl->handle, nullptr, true);
        if (!ComponentState().Contains(csLoading)) {
            TRect c = ClientRect();
            Perform(WM_SIZE, SIZE_RESTORED, MAKELPARAM(c.Width(), c.Height()));
        }
    }
    RequestAlign();
}

void TWinControl::WMSize(TWMSize&) {
    Realign();
    if (!ComponentState().Contains(csLoading)) Resize();
}

bool TWinControl::Showing() const {
    if (!Visible()) return false;
    if (fParent) return fParent->Showing();
    if (fImpl->host) return fImpl->host->isVisible();
    return fImpl->widget && fImpl->widget->isVisible();
}

// ---- Alignment ------------------------------------------------------------------------------
void TWinControl::DisableAlign() {
    ++fAlignLevel;
}

void TWinControl::EnableAlign() {
    if (fAlignLevel > 0) --fAlignLevel;
    if (fAlignLevel == 0 && fControlState.Contains(csAlignmentNeeded)) Realign();
}

void TWinControl::Realign() {
    AlignControl(nullptr);
}

void TWinControl::AlignControl(TControl* AControl) {
    TComponentState cs = ComponentState();
    if (cs.Contains(csDestroying) || cs.Contains(csLoading)) return;
    if (fAlignLevel != 0) {
        fControlState.Include(csAlignmentNeeded);
        return;
    }
    DisableAlign();
    TRect r = ClientRect();
    AlignControls(AControl, r);
    fControlState.Exclude(csAlignmentNeeded);
    EnableAlign();
}

void TWinControl::AdjustClientRect(TRect&) {}

void TWinControl::AlignControls(TControl* AControl, TRect& Rect) {
    AdjustClientRect(Rect);
    // Order of a kind: by the position towards the kind's edge; a control that has no place
    // among them yet (new, or newly aligned) comes after the others. On equal positions the
    // control that asked for the alignment (moved, resized, shown) goes first, otherwise the
    // z-order decides.
    auto key = [](TControl* c, TAlign a) -> long long {
        if (c->fAlignFresh) return LLONG_MAX;
        switch (a) {
        case alTop:
            return c->Top();
        case alBottom:
            return -(static_cast<long long>(c->Top()) + c->Height());
        case alLeft:
            return c->Left();
        case alRight:
            return -(static_cast<long long>(c->Left()) + c->Width());
        default:
            return 0;
        }
    };
    std::vector<TControl*> list;
    for (TAlign a : {alTop, alBottom, alLeft, alRight, alClient}) {
        list.clear();
        for (int i = 0; i < ControlCount(); ++i) {
            TControl* c = Controls(i);
            if (c->Align() == a && c->Visible()) list.push_back(c);
        }
        std::stable_sort(list.begin(), list.end(), [&](TControl* x, TControl* y) {
            long long kx = key(x, a), ky = key(y, a);
            if (kx != ky) return kx < ky;
            return x == AControl && y != AControl && !x->fAlignFresh;
        });
        fPlacingChildren = true;
        for (TControl* c : list) {
            int w = std::max(0, Rect.Width()), h = std::max(0, Rect.Height());
            switch (a) {
            case alTop:
                c->SetBounds(Rect.Left, Rect.Top, w, c->Height());
                Rect.Top += c->Height();
                break;
            case alBottom:
                c->SetBounds(Rect.Left, Rect.Bottom - c->Height(), w, c->Height());
                Rect.Bottom -= c->Height();
                break;
            case alLeft:
                c->SetBounds(Rect.Left, Rect.Top, c->Width(), h);
                Rect.Left += c->Width();
                break;
            case alRight:
                c->SetBounds(Rect.Right - c->Width(), Rect.Top, c->Width(), h);
                Rect.Right -= c->Width();
                break;
            default:
                c->SetBounds(Rect.Left, Rect.Top, w, h);
                break;
            }
            c->fAlignFresh = false;
        }
        fPlacingChildren = false;
    }
}

void TWinControl::Loaded() {
    TControl::Loaded();
    Realign();
}

// ---- Focus and tab order --------------------------------------------------------------------
bool TWinControl::CanFocus() const {
    const TWinControl* c = this;
    while (c) {
        if (!c->Visible() || !c->Enabled()) return false;
        if (!c->Parent()) break;
        c = c->Parent();
    }
    // The top of the chain must be on screen: a shown form, or a host's visible widget.
    const TWinControlImpl& im = *c->fImpl;
    if (im.host) return im.host->isVisible();
    return dynamic_cast<const TForm*>(c) && im.widget && im.widget->isVisible();
}

void TWinControl::SetFocus() {
    if (!CanFocus()) throw Exception("Cannot focus a disabled or invisible window");
    if (TForm* f = GetParentForm(this); f && f != this) {
        f->FocusControl(this);
        return;
    }
    HandleNeeded();
    fImpl->widget->setFocus(Qt::OtherFocusReason);
}

bool TWinControl::Focused() const {
    return fImpl->widget && fImpl->widget->hasFocus();
}

int TWinControl::TabOrder() const {
    if (!fParent) return -1;
    auto& l = fParent->fTabList;
    return int(std::find(l.begin(), l.end(), this) - l.begin());
}

void TWinControl::SetTabOrder(int Value) {
    if (!fParent) return;
    auto& l = fParent->fTabList;
    l.erase(std::find(l.begin(), l.end(), this));
    Value = std::clamp(Value, 0, int(l.size()));
    l.insert(l.begin() + Value, this);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& List) const {
    for (TWinControl* c : fTabList) {
        List.push_back(c);
        c->GetTabOrderList(List);
    }
}

TWinControl* TWinControl::FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop,
                                          bool CheckParent) const {
    std::vector<TWinControl*> list;
    GetTabOrderList(list);
    if (list.empty()) return nullptr;
    int n = int(list.size());
    int start = int(std::find(list.begin(), list.end(), CurControl) - list.begin());
    if (start == n) start = GoForward ? n - 1 : 0;
    for (int step = 1; step <= n; ++step) {
        int i = GoForward ? (start + step) % n : ((start - step) % n + n) % n;
        TWinControl* c = list[size_t(i)];
        if (c == CurControl && step < n) continue;
        if ((!CheckTabStop || c->TabStop()) && (!CheckParent || c->Parent() == this) && c->CanFocus())
            return c;
    }
    return nullptr;
}

void TWinControl::SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop) {
    TWinControl* c = FindNextControl(CurControl, GoForward, CheckTabStop, !CheckTabStop);
    if (c) c->SetFocus();
}

void TWinControl::DoEnter() {
    if (fOnEnter) fOnEnter(this);
}

void TWinControl::DoExit() {
    if (fOnExit) fOnExit(this);
}

void TWinControl::WMSetFocus(TWMSetFocus&) {
    if (TForm* f = GetParentForm(this))
        f->SetFocusedControl(this);
    else
        Perform(CM_ENTER, 0, 0);
}

void TWinControl::WMKillFocus(TWMKillFocus&) {
    if (!GetParentForm(this)) Perform(CM_EXIT, 0, 0);
}

void TWinControl::WMGetDlgCode(TWMGetDlgCode& Message) {
    Message.SetResult(0);
}

void TWinControl::CMWantSpecialKey(TCMWantSpecialKey& Message) {
    Message.SetResult(0);
}

void TWinControl::CMFocusChanged(TCMFocusChanged& Message) {
    // Every control hears of it.
    for (int i = 0; i < ControlCount(); ++i)
        Controls(i)->WndProc(Message.Message);
}

void TWinControl::CMDialogKey(TWMKey& Message) {
    // Handled by the form; containers pass it on to their children (default buttons).
    Broadcast(Message.Message);
}

// ---- Keyboard -------------------------------------------------------------------------------
namespace {
TShiftState CurrentShiftState() {
    TShiftState s;
    if (GetKeyState(VK_SHIFT) < 0) s.Include(ssShift);
    if (GetKeyState(VK_CONTROL) < 0) s.Include(ssCtrl);
    if (GetKeyState(VK_MENU) < 0) s.Include(ssAlt);
    return s;
}
} // namespace

bool TWinControl::DoKeyDown(TMessage& Message) {
    TForm* form = GetParentForm(this);
    if (form && form != this && form->KeyPreview() && static_cast<TWinControl*>(form)->DoKeyDown(Message))
        return true;
    uint16_t key = uint16_t(Message.WParam);
    if (!fControlStyle.Contains(csNoStdEvents)) {
        KeyDown(key, CurrentShiftState());
        Message.WParam = key;
        if (key == 0) return true;
    }
    return false;
}

bool TWinControl::DoKeyPress(TMessage& Message) {
    TForm* form = GetParentForm(this);
    if (form && form != this && form->KeyPreview() && static_cast<TWinControl*>(form)->DoKeyPress(Message))
        return true;
    char32_t ch = char32_t(Message.WParam);
    if (!fControlStyle.Contains(csNoStdEvents)) {
        KeyPress(ch);
        Message.WParam = ch;
        if (ch == 0) return true;
    }
    return false;
}

bool TWinControl::DoKeyUp(TMessage& Message) {
    TForm* form = GetParentForm(this);
    if (form && form != this && form->KeyPreview() && static_cast<TWinControl*>(form)->DoKeyUp(Message))
        return true;
    uint16_t key = uint16_t(Message.WParam);
    if (!fControlStyle.Contains(csNoStdEvents)) {
        KeyUp(key, CurrentShiftState());
        Message.WParam = key;
        if (key == 0) return true;
    }
    return false;
}

void TWinControl::KeyDown(uint16_t& Key, TShiftState Shift) {
    if (fOnKeyDown) fOnKeyDown(this, Key, Shift);
}

void TWinControl::KeyPress(char32_t& Key) {
    if (fOnKeyPress) fOnKeyPress(this, Key);
}

void TWinControl::KeyUp(uint16_t& Key, TShiftState Shift) {
    if (fOnKeyUp) fOnKeyUp(this, Key, Shift);
}

// ---- Messages -------------------------------------------------------------------------------
void TWinControl::WndProc(TMessage& Message) {
    uint32_t msg = Message.Msg;
    if (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) {
        // A windowless child under the pointer (or holding the capture) gets the message, in
        // its own coordinates.
        TControl* target = nullptr;
        TControl* cap = CaptureControl();
        TPoint p(GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam));
        if (cap) {
            if (cap->Parent() == this && !dynamic_cast<TWinControl*>(cap)) target = cap;
        } else {
            target = ControlAtPos(p, false);
        }
        if (target) {
            TMessage m = Message;
            m.LParam = MAKELPARAM(p.X - target->Left(), p.Y - target->Top());
            target->WndProc(m);
            Message.Result = m.Result;
            return;
        }
    }
    TControl::WndProc(Message);
}

void TWinControl::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_PAINT: {
        TWMPaint m(Message);
        WMPaint(m);
        break;
    }
    case WM_ERASEBKGND: {
        TWMEraseBkgnd m(Message);
        WMEraseBkgnd(m);
        break;
    }
    case WM_SETFOCUS: {
        TWMSetFocus m(Message);
        WMSetFocus(m);
        break;
    }
    case WM_KILLFOCUS: {
        TWMKillFocus m(Message);
        WMKillFocus(m);
        break;
    }
    case WM_GETDLGCODE: {
        TWMGetDlgCode m(Message);
        WMGetDlgCode(m);
        break;
    }
    case CM_WANTCONTROLKEY: {
        TCMWantSpecialKey m(Message);
        CMWantSpecialKey(m);
        break;
    }
    case CM_FOCUSCHANGED: {
        TCMFocusChanged m(Message);
        CMFocusChanged(m);
        break;
    }
    case CM_DIALOGKEY: {
        TWMKey m(Message);
        CMDialogKey(m);
        break;
    }
    case WM_SIZE: {
        TWMSize m(Message);
        WMSize(m);
        break;
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (!DoKeyDown(Message)) DefaultHandler(Message);
        break;
    case WM_CHAR:
        if (!DoKeyPress(Message)) DefaultHandler(Message);
        break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        if (!DoKeyUp(Message)) DefaultHandler(Message);
        break;
    case CM_ENTER:
        DoEnter();
        break;
    case CM_EXIT:
        DoExit();
        break;
    case WM_CONTEXTMENU: {
        // A windowless child under the point has the first say.
        if (Message.LParam != -1) {
            TPoint p = ScreenToClient(TPoint(GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)));
            if (TControl* c = ControlAtPos(p, false)) {
                Message.Result = c->Perform(WM_CONTEXTMENU, Message.WParam, Message.LParam);
                if (Message.Result != 0) break;
            }
        }
        WMContextMenu(Message);
        break;
    }
    default:
        TControl::Dispatch(Message);
        break;
    }
}

void TWinControl::VisibleChanged() {
    TControl::VisibleChanged();
    UpdateWidgetVisibility();
    if (!Visible()) {
        if (TForm* f = GetParentForm(this); f && f != this) f->DefocusControl(this);
    }
}

void TWinControl::EnabledChanged() {
    TControl::EnabledChanged();
    if (fImpl->widget) fImpl->widget->setEnabled(Enabled());
}

void TWinControl::ColorChanged() {
    TControl::ColorChanged();
    NotifyControls(CM_PARENTCOLORCHANGED);
}

void TWinControl::FontChanged() {
    TControl::FontChanged();
    NotifyControls(CM_PARENTFONTCHANGED);
}

void TWinControl::CursorChanged() {
    if (fImpl->widget) {
        TPoint p;
        GetCursorPos(&p);
        UpdateWidgetCursor(this, ScreenToClient(p));
    }
}

void TWinControl::Invalidate() {
    if (fImpl->widget) InvalidateRect(fImpl->handle, nullptr, !fControlStyle.Contains(csOpaque));
}

void TWinControl::Update() {
    if (fImpl->widget) UpdateWindow(fImpl->handle);
}

void TWinControl::Repaint() {
    Invalidate();
    Update();
}
