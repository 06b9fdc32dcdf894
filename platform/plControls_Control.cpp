// TControl: bounds, alignment requests, visibility, colour and font inheritance, mouse
// messages in the framework's order, wheel, context menu and the message dispatch.
#include "platform/internal/plControlGlue.h"
#include "platform/plControls.h"

#include <QApplication>
#include <QGuiApplication>

#include <algorithm>
#include <cstdlib>

using namespace xo;
using namespace xo::qt;

namespace {
TPopupMenuHook& PopupHook() {
    static TPopupMenuHook hook;
    return hook;
}
} // namespace

void SetPopupMenuHook(TPopupMenuHook aHook) {
    PopupHook() = std::move(aHook);
}

TCursor TDragObject::GetDragCursor(bool Accepted, int, int) {
    if (!Accepted) return crNoDrop;
    return fControl ? fControl->DragCursor() : crDrag;
}

// ---- Construction ---------------------------------------------------------------------------
TControl::TControl(TComponent* AOwner) : TComponent(AOwner), fFont(std::make_unique<TFont>()) {
    fFont->SetOnChange([this](TObject*) {
        if (!fUpdatingParentFont) fParentFont = false;
        if (!ComponentState().Contains(csDestroying)) Perform(CM_FONTCHANGED, 0, 0);
    });
}

TControl::~TControl() {
    Destroying();
    ForgetControl(this);
    fPopupWatch.reset();
    fPopupMenu = nullptr;
    if (fParent) fParent->RemoveControl(this);
    fFont->SetOnChange(nullptr);
}

void TControl::SetParent(TWinControl* AParent) {
    if (AParent == fParent) return;
    for (TWinControl* p = AParent; p; p = p->Parent())
        if (p == this) throw Exception("A control cannot have itself or a child of its own as its parent");
    if (fParent) fParent->RemoveControl(this);
    if (AParent) AParent->InsertControl(this);
}

void TControl::Loaded() {
    TComponent::Loaded();
    RequestAlign();
}

// ---- Bounds ---------------------------------------------------------------------------------
void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    AWidth = std::max(AWidth, 0);
    AHeight = std::max(AHeight, 0);
    bool moved = ALeft != fLeft || ATop != fTop;
    bool resized = AWidth != fWidth || AHeight != fHeight;
    if (!moved && !resized) return;
    NoteMove(moved);
    Invalidate();
    fLeft = ALeft;
    fTop = ATop;
    fWidth = AWidth;
    fHeight = AHeight;
    Invalidate();
    if (resized && !ComponentState().Contains(csLoading)) Resize();
    RequestAlign();
}

void TControl::NoteMove(bool Moved) {
    if (!Moved || (fParent && fParent->fPlacingChildren)) return;
    fAlignFresh = false;
}

void TControl::UpdateBoundsRect(const TRect& R) {
    fLeft = R.Left;
    fTop = R.Top;
    fWidth = std::max(R.Width(), 0);
    fHeight = std::max(R.Height(), 0);
}

TRect TControl::ClientRect() const {
    return TRect(0, 0, fWidth, fHeight);
}

void TControl::SetClientWidth(int Value) {
    SetWidth(Value + fWidth - ClientWidth());
}

void TControl::SetClientHeight(int Value) {
    SetHeight(Value + fHeight - ClientHeight());
}

TPoint TControl::ClientOrigin() const {
    if (!fParent) return TPoint(fLeft, fTop);
    TPoint p = fParent->ClientOrigin();
    return TPoint(p.X + fLeft, p.Y + fTop);
}

TPoint TControl::ClientToScreen(const TPoint& Point) const {
    TPoint o = ClientOrigin();
    return TPoint(Point.X + o.X, Point.Y + o.Y);
}

TPoint TControl::ScreenToClient(const TPoint& Point) const {
    TPoint o = ClientOrigin();
    return TPoint(Point.X - o.X, Point.Y - o.Y);
}

void TControl::SetAlign(TAlign Value) {
    if (Value == fAlign) return;
    fAlign = Value;
    fAlignFresh = true;
    // Also when the control stops being aligned: the others take up its place.
    if (fParent) fParent->AlignControl(this);
}

void TControl::RequestAlign() {
    if (fParent && fAlign != alNone) fParent->AlignControl(this);
}

// ---- Visibility, state ----------------------------------------------------------------------
void TControl::SetVisible(bool Value) {
    if (Value == fVisible) return;
    if (!Value) Invalidate();
    fVisible = Value;
    Perform(CM_VISIBLECHANGED, Value ? 1 : 0, 0);
    if (fAlign != alNone && fParent) fParent->AlignControl(this);
}

void TControl::VisibleChanged() {
    if (fVisible) Invalidate();
    if (!fVisible && MouseCapture()) SetMouseCapture(false);
}

bool TControl::Showing() const {
    return fVisible && fParent && fParent->Showing();
}

void TControl::SetEnabled(bool Value) {
    if (Value == fEnabled) return;
    fEnabled = Value;
    Perform(CM_ENABLEDCHANGED, 0, 0);
}

void TControl::EnabledChanged() {
    if (!fEnabled && MouseCapture()) SetMouseCapture(false);
    Invalidate();
}

void TControl::SetColor(TColor Value) {
    if (Value == fColor && !fParentColor) return;
    fColor = Value;
    fParentColor = false;
    Perform(CM_COLORCHANGED, 0, 0);
}

void TControl::ColorChanged() {
    Invalidate();
}

void TControl::SetParentColor(bool Value) {
    if (Value == fParentColor) return;
    fParentColor = Value;
    if (Value) ParentColorFromParent();
}

void TControl::ParentColorFromParent() {
    if (!fParent || !fParentColor) return;
    if (fColor != fParent->Color()) {
        fColor = fParent->Color();
        Perform(CM_COLORCHANGED, 0, 0);
    }
}

void TControl::CMParentColorChanged(TMessage&) {
    ParentColorFromParent();
}

void TControl::SetParentFont(bool Value) {
    if (Value == fParentFont) return;
    fParentFont = Value;
    if (Value) ParentFontFromParent();
}

void TControl::ParentFontFromParent() {
    if (!fParent || !fParentFont) return;
    fUpdatingParentFont = true;
    fFont->Assign(fParent->Font());
    fUpdatingParentFont = false;
}

void TControl::CMParentFontChanged(TMessage&) {
    ParentFontFromParent();
}

void TControl::FontChanged() {
    Invalidate();
}

void TControl::SetCaption(const String& Value) {
    if (Value == fCaption) return;
    fCaption = Value;
    Perform(CM_TEXTCHANGED, 0, 0);
}

void TControl::TextChanged() {}

void TControl::SetCursor(TCursor Value) {
    if (Value == fCursor) return;
    fCursor = Value;
    Perform(CM_CURSORCHANGED, 0, 0);
}

void TControl::CursorChanged() {
    if (fParent && fParent->HandleAllocated()) {
        TPoint p;
        GetCursorPos(&p);
        UpdateWidgetCursor(fParent, fParent->ScreenToClient(p));
    }
}

void TControl::SetShowHint(bool Value) {
    fShowHint = Value;
    fParentShowHint = false;
    Perform(CM_SHOWHINTCHANGED, 0, 0);
}

void TControl::SetParentShowHint(bool Value) {
    if (Value == fParentShowHint) return;
    fParentShowHint = Value;
    if (Value && fParent) {
        fShowHint = fParent->ShowHint();
        Perform(CM_SHOWHINTCHANGED, 0, 0);
    }
}

void TControl::CMParentShowHintChanged(TMessage&) {
    if (fParentShowHint && fParent && fShowHint != fParent->ShowHint()) {
        fShowHint = fParent->ShowHint();
        Perform(CM_SHOWHINTCHANGED, 0, 0);
    }
}

void TControl::SetPopupMenu(TComponent* Value) {
    if (Value == fPopupMenu) return;
    if (!fPopupWatch)
        fPopupWatch = std::make_unique<TFreeWatch>([this](TComponent* c) {
            if (c == fPopupMenu) fPopupMenu = nullptr;
        });
    if (fPopupMenu) fPopupMenu->RemoveFreeNotification(fPopupWatch.get());
    fPopupMenu = Value;
    if (fPopupMenu) fPopupMenu->FreeNotification(fPopupWatch.get());
}

// ---- Painting (windowless: through the parent) ----------------------------------------------
void TControl::Invalidate() {
    if (!fParent || !fVisible || !fParent->HandleAllocated()) return;
    if (fParent->ComponentState().Contains(csDestroying)) return;
    TRect r = BoundsRect();
    InvalidateRect(fParent->Handle(), &r, !fControlStyle.Contains(csOpaque));
}

void TControl::Update() {
    if (fParent) fParent->Update();
}

void TControl::Repaint() {
    Invalidate();
    Update();
}

void TControl::BringToFront() {
    if (!fParent) return;
    auto* wc = dynamic_cast<TWinControl*>(this);
    if (wc) {
        auto& v = fParent->fWinControls;
        v.erase(std::find(v.begin(), v.end(), wc));
        v.push_back(wc);
        if (wc->HandleAllocated()) wc->Widget()->raise();
    } else {
        auto& v = fParent->fControls;
        v.erase(std::find(v.begin(), v.end(), this));
        v.push_back(this);
        Invalidate();
    }
}

void TControl::SendToBack() {
    if (!fParent) return;
    auto* wc = dynamic_cast<TWinControl*>(this);
    if (wc) {
        auto& v = fParent->fWinControls;
        v.erase(std::find(v.begin(), v.end(), wc));
        v.insert(v.begin(), wc);
        if (wc->HandleAllocated()) wc->Widget()->lower();
    } else {
        auto& v = fParent->fControls;
        v.erase(std::find(v.begin(), v.end(), this));
        v.insert(v.begin(), this);
        Invalidate();
    }
}

QWidget* TControl::Widget() {
    return fParent ? fParent->Widget() : nullptr;
}

// ---- Messages -------------------------------------------------------------------------------
LRESULT TControl::Perform(uint32_t Msg, WPARAM WParam, LPARAM LParam) {
    TMessage m{Msg, WParam, LParam, 0};
    WndProc(m);
    return m.Result;
}

void TControl::WndProc(TMessage& Message) {
    uint32_t msg = Message.Msg;
    if (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) {
        // A control without double clicks sees a second press as a press.
        if (!fControlStyle.Contains(csDoubleClicks) &&
            (msg == WM_LBUTTONDBLCLK || msg == WM_RBUTTONDBLCLK || msg == WM_MBUTTONDBLCLK)) {
            Message.Msg = msg = msg - (WM_LBUTTONDBLCLK - WM_LBUTTONDOWN);
        }
        if ((msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK) && fDragMode == dmAutomatic &&
            !ComponentState().Contains(csDesigning)) {
            BeginAutoDrag();
            return;
        }
        if (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK)
            fControlState.Include(csLButtonDown);
        else if (msg == WM_LBUTTONUP)
            fControlState.Exclude(csLButtonDown);
    }
    Dispatch(Message);
}

void TControl::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
        HandleMouseMessage(Message);
        break;
    case WM_MOUSEWHEEL: {
        TWMMouseWheel m(Message);
        WMMouseWheel(m);
        break;
    }
    case WM_CONTEXTMENU:
        WMContextMenu(Message);
        break;
    case WM_CANCELMODE:
        WMCancelMode(Message);
        break;
    case CM_MOUSEENTER:
        CMMouseEnter(Message);
        break;
    case CM_MOUSELEAVE:
        CMMouseLeave(Message);
        break;
    case CM_VISIBLECHANGED:
        VisibleChanged();
        break;
    case CM_ENABLEDCHANGED:
        EnabledChanged();
        break;
    case CM_COLORCHANGED:
        ColorChanged();
        break;
    case CM_FONTCHANGED:
        FontChanged();
        break;
    case CM_TEXTCHANGED:
        TextChanged();
        break;
    case CM_CURSORCHANGED:
        CursorChanged();
        break;
    case CM_PARENTCOLORCHANGED:
        CMParentColorChanged(Message);
        break;
    case CM_PARENTFONTCHANGED:
        CMParentFontChanged(Message);
        break;
    case CM_PARENTSHOWHINTCHANGED:
        CMParentShowHintChanged(Message);
        break;
    case CM_DRAG:
        DragCMDrag(this, Message);
        break;
    default:
        DefaultHandler(Message);
        break;
    }
}

void TControl::DefaultHandler(TMessage&) {}

// ---- Mouse ----------------------------------------------------------------------------------
TShiftState KeysToShiftState(WPARAM Keys) {
    TShiftState s;
    if (Keys & MK_SHIFT) s.Include(ssShift);
    if (Keys & MK_CONTROL) s.Include(ssCtrl);
    if (Keys & MK_LBUTTON) s.Include(ssLeft);
    if (Keys & MK_RBUTTON) s.Include(ssRight);
    if (Keys & MK_MBUTTON) s.Include(ssMiddle);
    if (GetKeyState(VK_MENU) < 0) s.Include(ssAlt);
    return s;
}

void TControl::HandleMouseMessage(TMessage& Message) {
    TWMMouse m(Message);
    switch (Message.Msg) {
    case WM_MOUSEMOVE:
        MouseMove(KeysToShiftState(m.Keys()), m.XPos(), m.YPos());
        break;
    case WM_LBUTTONDOWN:
        if (fControlStyle.Contains(csCaptureMouse)) SetMouseCapture(true);
        if (fControlStyle.Contains(csClickEvents)) fControlState.Include(csClicked);
        DoMouseDown(Message, mbLeft, {});
        break;
    case WM_LBUTTONDBLCLK:
        if (fControlStyle.Contains(csCaptureMouse)) SetMouseCapture(true);
        if (fControlStyle.Contains(csClickEvents)) DblClick();
        DoMouseDown(Message, mbLeft, {ssDouble});
        break;
    case WM_LBUTTONUP:
        if (fControlStyle.Contains(csCaptureMouse)) SetMouseCapture(false);
        if (fControlState.Contains(csClicked)) {
            fControlState.Exclude(csClicked);
            if (ClientRect().Contains(m.Pos())) Click();
        }
        DoMouseUp(Message, mbLeft);
        break;
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        if (fControlStyle.Contains(csCaptureMouse)) SetMouseCapture(true);
        DoMouseDown(Message, Message.Msg == WM_RBUTTONDOWN ? mbRight : mbMiddle, {});
        break;
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
        if (fControlStyle.Contains(csCaptureMouse)) SetMouseCapture(true);
        DoMouseDown(Message, Message.Msg == WM_RBUTTONDBLCLK ? mbRight : mbMiddle, {ssDouble});
        break;
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        if (fControlStyle.Contains(csCaptureMouse)) SetMouseCapture(false);
        DoMouseUp(Message, Message.Msg == WM_RBUTTONUP ? mbRight : mbMiddle);
        break;
    }
}

void TControl::DoMouseDown(TMessage& Message, TMouseButton Button, TShiftState Shift) {
    if (fControlStyle.Contains(csNoStdEvents)) return;
    TWMMouse m(Message);
    MouseDown(Button, KeysToShiftState(m.Keys()) + Shift, m.XPos(), m.YPos());
}

void TControl::DoMouseUp(TMessage& Message, TMouseButton Button) {
    if (fControlStyle.Contains(csNoStdEvents)) return;
    TWMMouse m(Message);
    MouseUp(Button, KeysToShiftState(m.Keys()), m.XPos(), m.YPos());
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (fOnMouseDown) fOnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, int X, int Y) {
    if (fOnMouseMove) fOnMouseMove(this, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (fOnMouseUp) fOnMouseUp(this, Button, Shift, X, Y);
}

void TControl::Click() {
    if (fOnClick) fOnClick(this);
}

void TControl::DblClick() {
    if (fOnDblClick) fOnDblClick(this);
}

void TControl::Resize() {
    if (fOnResize) fOnResize(this);
}

void TControl::MouseEnter() {
    if (fOnMouseEnter) fOnMouseEnter(this);
}

void TControl::MouseLeave() {
    if (fOnMouseLeave) fOnMouseLeave(this);
}

void TControl::CMMouseEnter(TMessage&) {
    MouseEnter();
}

void TControl::CMMouseLeave(TMessage&) {
    MouseLeave();
}

bool TControl::MouseCapture() const {
    return CaptureControl() == this;
}

void TControl::SetMouseCapture(bool Value) {
    if (Value)
        SetCaptureControl(this);
    else if (CaptureControl() == this)
        SetCaptureControl(nullptr);
}

void TControl::WMCancelMode(TMessage&) {
    if (MouseCapture()) SetMouseCapture(false);
    fControlState.Exclude(csLButtonDown);
    fControlState.Exclude(csClicked);
}

// ---- Wheel ----------------------------------------------------------------------------------
void TControl::WMMouseWheel(TWMMouseWheel& Message) {
    if (DoMouseWheel(KeysToShiftState(Message.Keys()), Message.WheelDelta(), Message.Pos())) {
        Message.SetResult(1);
    } else if (fParent) {
        // An unhandled wheel goes to the parent, as the system passes it on.
        Message.SetResult(fParent->Perform(WM_MOUSEWHEEL, Message.Message.WParam, Message.Message.LParam));
    }
}

bool TControl::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
    bool handled = false;
    if (fOnMouseWheel) fOnMouseWheel(this, Shift, WheelDelta, MousePos, handled);
    if (handled) return true;
    // Whole notches only; a finer wheel adds up until it makes one.
    fWheelAccumulator += WheelDelta;
    while (std::abs(fWheelAccumulator) >= WHEEL_DELTA) {
        if (fWheelAccumulator < 0) {
            fWheelAccumulator += WHEEL_DELTA;
            handled = DoMouseWheelDown(Shift, MousePos) || handled;
        } else {
            fWheelAccumulator -= WHEEL_DELTA;
            handled = DoMouseWheelUp(Shift, MousePos) || handled;
        }
    }
    return handled;
}

bool TControl::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
    bool handled = false;
    if (fOnMouseWheelDown) fOnMouseWheelDown(this, Shift, MousePos, handled);
    return handled;
}

bool TControl::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
    bool handled = false;
    if (fOnMouseWheelUp) fOnMouseWheelUp(this, Shift, MousePos, handled);
    return handled;
}

// ---- Context menu ---------------------------------------------------------------------------
void TControl::DoContextPopup(TPoint MousePos, bool& Handled) {
    if (fOnContextPopup) fOnContextPopup(this, MousePos, Handled);
}

void TControl::WMContextMenu(TMessage& Message) {
    if (Message.Result != 0) return;
    TPoint screen(GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam));
    bool fromKey = Message.LParam == -1;
    TPoint local = fromKey ? TPoint(-1, -1) : ScreenToClient(screen);
    bool handled = false;
    DoContextPopup(local, handled);
    if (handled) {
        Message.Result = 1;
        return;
    }
    if (fPopupMenu && PopupHook()) {
        if (fromKey) screen = ClientToScreen(TPoint(0, 0));
        if (PopupHook()(fPopupMenu, this, screen)) {
            Message.Result = 1;
            return;
        }
    }
    if (fParent) Message.Result = fParent->Perform(WM_CONTEXTMENU, Message.WParam, Message.LParam);
}

// ---- Dragging -------------------------------------------------------------------------------
void TControl::DragOver(TObject* Source, int X, int Y, TDragState State, bool& Accept) {
    Accept = bool(fOnDragOver);
    if (fOnDragOver) fOnDragOver(this, Source, X, Y, State, Accept);
}

void TControl::DragDrop(TObject* Source, int X, int Y) {
    if (fOnDragDrop) fOnDragDrop(this, Source, X, Y);
}

void TControl::DoStartDrag(TDragObject*& DragObject) {
    if (fOnStartDrag) fOnStartDrag(this, DragObject);
}

void TControl::DoEndDrag(TObject* Target, int X, int Y) {
    if (fOnEndDrag) fOnEndDrag(this, Target, X, Y);
}

void TControl::BeginAutoDrag() {
    BeginDrag(true, -1);
}

// ---- Keyboard and pointer state ------------------------------------------------------------
int16_t GetKeyState(int VirtKey) {
    if (!QGuiApplication::instance()) return 0;
    Qt::KeyboardModifiers mods = QGuiApplication::keyboardModifiers();
    Qt::MouseButtons buttons = QGuiApplication::mouseButtons();
    bool down = false;
    switch (VirtKey) {
    case VK_SHIFT:
        down = mods & Qt::ShiftModifier;
        break;
    case VK_CONTROL:
        down = mods & Qt::ControlModifier;
        break;
    case VK_MENU:
        down = mods & Qt::AltModifier;
        break;
    case VK_LBUTTON:
        down = buttons & Qt::LeftButton;
        break;
    case VK_RBUTTON:
        down = buttons & Qt::RightButton;
        break;
    case VK_MBUTTON:
        down = buttons & Qt::MiddleButton;
        break;
    default:
        break;
    }
    return down ? int16_t(0x8000) : 0;
}

bool GetCursorPos(TPoint* Point) {
    if (!Point) return false;
    *Point = LastMouseScreenPos();
    return true;
}

void MessageBeep(unsigned) {
    if (QApplication::instance()) QApplication::beep();
}

int DragThreshold() {
    return 5;
}
