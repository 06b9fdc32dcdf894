// Windowed controls on Qt widgets: creating and placing the widget, and turning Qt's input,
// focus, geometry and window events into the control's messages.
#include "platform/internal/plControlGlue.h"
#include "platform/plControls.h"
#include "platform/plForms.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

#include <algorithm>
#include <unordered_map>

using namespace xo;
using namespace xo::qt;

namespace xo::qt {

namespace {
TControl* gCapture = nullptr;
TPoint gLastMouse;
int gEventDepth = 0;

std::unordered_map<const QWidget*, TWinControl*>& WidgetControls() {
    static std::unordered_map<const QWidget*, TWinControl*> m;
    return m;
}

int Clamp16(int v) {
    return std::clamp(v, -32768, 32767);
}

WPARAM KeysOf(Qt::MouseButtons buttons, Qt::KeyboardModifiers mods) {
    WPARAM k = 0;
    if (buttons & Qt::LeftButton) k |= MK_LBUTTON;
    if (buttons & Qt::RightButton) k |= MK_RBUTTON;
    if (buttons & Qt::MiddleButton) k |= MK_MBUTTON;
    if (mods & Qt::ShiftModifier) k |= MK_SHIFT;
    if (mods & Qt::ControlModifier) k |= MK_CONTROL;
    return k;
}

void MouseEvent(TWinControl* c, QMouseEvent* e) {
    QPoint gp = e->globalPosition().toPoint();
    TPoint screen(gp.x(), gp.y());
    SetLastMouseScreenPos(screen);
    int base = 0;
    switch (e->button()) {
    case Qt::LeftButton:
        base = WM_LBUTTONDOWN;
        break;
    case Qt::RightButton:
        base = WM_RBUTTONDOWN;
        break;
    case Qt::MiddleButton:
        base = WM_MBUTTONDOWN;
        break;
    default:
        break;
    }
    uint32_t msg;
    if (e->type() == QEvent::MouseButtonPress) {
        if (!base) return;
        msg = base;
    } else if (e->type() == QEvent::MouseButtonDblClick) {
        // Qt gives the second press of a double click as this event instead of a press.
        if (!base) return;
        msg = base + 2;
    } else if (e->type() == QEvent::MouseButtonRelease) {
        if (!base) return;
        msg = base + 1;
    } else {
        msg = WM_MOUSEMOVE;
    }
    if (DragInProgress()) {
        DragMouseMessage(msg, screen);
        return;
    }
    // The capture holds the mouse even over another window of the application.
    TWinControl* receiver = c;
    int nc = TControlAccess::NonClientInset(c);
    QPoint lp = e->position().toPoint();
    TPoint p(lp.x() - nc, lp.y() - nc);
    if (TControl* cap = CaptureControl()) {
        TWinControl* capWin = dynamic_cast<TWinControl*>(cap);
        if (!capWin) capWin = cap->Parent();
        if (capWin && capWin != c && capWin->HandleAllocated()) {
            receiver = capWin;
            p = capWin->ScreenToClient(screen);
        }
    }
    HWND h = receiver->Handle();
    TWinControlImpl& im = TControlAccess::Impl(receiver);
    if (msg == WM_MOUSEMOVE && !CaptureControl()) {
        TControl* under = receiver->ControlAtPos(p, false);
        if (under != im.hover) {
            TControl* old = im.hover;
            im.hover = under;
            if (old) old->Perform(CM_MOUSELEAVE, 0, 0);
            if (!IsWindow(h)) return;
            if (under && im.hover == under) under->Perform(CM_MOUSEENTER, 0, 0);
            if (!IsWindow(h)) return;
        }
    }
    TMessage m{msg, KeysOf(e->buttons(), e->modifiers()), MAKELPARAM(Clamp16(p.X), Clamp16(p.Y)), 0};
    receiver->WndProc(m);
    if (!IsWindow(h)) return;
    if (msg == WM_RBUTTONUP && !DragInProgress()) {
        receiver->Perform(WM_CONTEXTMENU, WPARAM(h), MAKELPARAM(Clamp16(screen.X), Clamp16(screen.Y)));
        if (!IsWindow(h)) return;
    }
    UpdateWidgetCursor(receiver, p);
}

void WheelEvent(TWinControl* c, QWheelEvent* e) {
    QPoint gp = e->globalPosition().toPoint();
    SetLastMouseScreenPos(TPoint(gp.x(), gp.y()));
    int delta = e->angleDelta().y();
    if (delta == 0 || DragInProgress()) return;
    WPARAM keys = KeysOf(e->buttons(), e->modifiers());
    TMessage m{WM_MOUSEWHEEL, MAKEWPARAM(int(keys), delta), MAKELPARAM(Clamp16(gp.x()), Clamp16(gp.y())), 0};
    c->WndProc(m);
}

uint16_t VirtualKey(const QKeyEvent* e) {
    int k = e->key();
    bool keypad = e->modifiers() & Qt::KeypadModifier;
    if (k >= Qt::Key_A && k <= Qt::Key_Z) return uint16_t('A' + (k - Qt::Key_A));
    if (k >= Qt::Key_0 && k <= Qt::Key_9)
        return uint16_t((keypad ? int(VK_NUMPAD0) : int('0')) + (k - Qt::Key_0));
    if (k >= Qt::Key_F1 && k <= Qt::Key_F24) return uint16_t(VK_F1 + (k - Qt::Key_F1));
    switch (k) {
    case Qt::Key_Escape:
        return VK_ESCAPE;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return VK_TAB;
    case Qt::Key_Backspace:
        return VK_BACK;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return VK_RETURN;
    case Qt::Key_Insert:
        return VK_INSERT;
    case Qt::Key_Delete:
        return VK_DELETE;
    case Qt::Key_Pause:
        return VK_PAUSE;
    case Qt::Key_Home:
        return VK_HOME;
    case Qt::Key_End:
        return VK_END;
    case Qt::Key_Left:
        return VK_LEFT;
    case Qt::Key_Up:
        return VK_UP;
    case Qt::Key_Right:
        return VK_RIGHT;
    case Qt::Key_Down:
        return VK_DOWN;
    case Qt::Key_PageUp:
        return VK_PRIOR;
    case Qt::Key_PageDown:
        return VK_NEXT;
    case Qt::Key_Shift:
        return VK_SHIFT;
    case Qt::Key_Control:
        return VK_CONTROL;
    case Qt::Key_Alt:
        return VK_MENU;
    case Qt::Key_CapsLock:
        return VK_CAPITAL;
    case Qt::Key_NumLock:
        return VK_NUMLOCK;
    case Qt::Key_ScrollLock:
        return VK_SCROLL;
    case Qt::Key_Menu:
        return VK_APPS;
    case Qt::Key_Space:
        return VK_SPACE;
    case Qt::Key_Asterisk:
        return keypad ? uint16_t(VK_MULTIPLY) : uint16_t('8');
    case Qt::Key_Plus:
        return keypad ? uint16_t(VK_ADD) : uint16_t(VK_OEM_PLUS);
    case Qt::Key_Equal:
        return VK_OEM_PLUS;
    case Qt::Key_Minus:
        return keypad ? uint16_t(VK_SUBTRACT) : uint16_t(VK_OEM_MINUS);
    case Qt::Key_Underscore:
        return VK_OEM_MINUS;
    case Qt::Key_Comma:
    case Qt::Key_Less:
        return VK_OEM_COMMA;
    case Qt::Key_Period:
        return keypad ? uint16_t(VK_DECIMAL) : uint16_t(VK_OEM_PERIOD);
    case Qt::Key_Greater:
        return VK_OEM_PERIOD;
    case Qt::Key_Slash:
        return keypad ? uint16_t(VK_DIVIDE) : uint16_t(VK_OEM_2);
    case Qt::Key_Question:
        return VK_OEM_2;
    case Qt::Key_Semicolon:
    case Qt::Key_Colon:
        return VK_OEM_1;
    case Qt::Key_QuoteLeft:
    case Qt::Key_AsciiTilde:
        return VK_OEM_3;
    case Qt::Key_BracketLeft:
    case Qt::Key_BraceLeft:
        return VK_OEM_4;
    case Qt::Key_Backslash:
    case Qt::Key_Bar:
        return VK_OEM_5;
    case Qt::Key_BracketRight:
    case Qt::Key_BraceRight:
        return VK_OEM_6;
    case Qt::Key_Apostrophe:
    case Qt::Key_QuoteDbl:
        return VK_OEM_7;
    case Qt::Key_Exclam:
        return '1';
    case Qt::Key_At:
        return '2';
    case Qt::Key_NumberSign:
        return '3';
    case Qt::Key_Dollar:
        return '4';
    case Qt::Key_Percent:
        return '5';
    case Qt::Key_AsciiCircum:
        return '6';
    case Qt::Key_Ampersand:
        return '7';
    case Qt::Key_ParenLeft:
        return '9';
    case Qt::Key_ParenRight:
        return '0';
    // The Swedish letters on their keys of a Swedish keyboard.
    case Qt::Key_Adiaeresis:
        return VK_OEM_7;
    case Qt::Key_Aring:
        return VK_OEM_6;
    case Qt::Key_Odiaeresis:
        return VK_OEM_3;
    default:
        return 0;
    }
}

enum class DialogKey { NotOne, Consumed, ToHost };

// Tab, arrows, Enter and Escape serve the form's navigation unless the control claims them.
DialogKey CheckDialogKey(TWinControl* c, uint16_t vk, LPARAM data) {
    LRESULT mask = 0;
    switch (vk) {
    case VK_TAB:
        mask = DLGC_WANTTAB;
        break;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
        mask = DLGC_WANTARROWS;
        break;
    case VK_RETURN:
    case VK_ESCAPE:
        mask = DLGC_WANTALLKEYS;
        break;
    default:
        return DialogKey::NotOne;
    }
    if (c->Perform(CM_WANTCONTROLKEY, vk, data) != 0) return DialogKey::NotOne;
    if (c->Perform(WM_GETDLGCODE, 0, 0) & mask) return DialogKey::NotOne;
    if (TForm* f = GetParentForm(c))
        return f->Perform(CM_DIALOGKEY, vk, data) != 0 ? DialogKey::Consumed : DialogKey::NotOne;
    // In a foreign host without a form of ours, Tab moves through the host's widgets.
    return vk == VK_TAB ? DialogKey::ToHost : DialogKey::NotOne;
}

// Answers whether the key event was consumed (false: Qt's own handling, host navigation).
bool KeyEvent(TWinControl* c, QKeyEvent* e) {
    uint16_t vk = VirtualKey(e);
    bool alt = e->modifiers() & Qt::AltModifier;
    bool ctrl = e->modifiers() & Qt::ControlModifier;
    LPARAM data = 1 | (e->isAutoRepeat() ? (LPARAM(1) << 30) : 0) | (alt ? (LPARAM(1) << 29) : 0);
    HWND h = c->Handle();
    if (e->type() == QEvent::KeyRelease) {
        if (e->isAutoRepeat()) return true;
        if (vk) c->Perform(alt && !ctrl ? WM_SYSKEYUP : WM_KEYUP, vk, data | (LPARAM(3) << 30));
        return true;
    }
    if (DragInProgress()) {
        if (vk == VK_ESCAPE) CancelDrag();
        return true;
    }
    if (vk) {
        DialogKey d = CheckDialogKey(c, vk, data);
        if (d == DialogKey::Consumed || !IsWindow(h)) return true;
        if (d == DialogKey::ToHost) return false;
        c->Perform(alt && !ctrl ? WM_SYSKEYDOWN : WM_KEYDOWN, vk, data);
        if (!IsWindow(h)) return true;
    }
    if (alt && !ctrl) return true; // system characters (menu accelerators) are not typed
    const QString text = e->text();
    for (char32_t cp : text.toUcs4()) {
        if (cp == 0x7F && vk == VK_DELETE) continue; // Delete types nothing
        c->Perform(WM_CHAR, WPARAM(cp), data);
        if (!IsWindow(h)) return true;
    }
    return true;
}

} // namespace

uint16_t VirtualKeyOf(const QKeyEvent* aEvent) { return VirtualKey(aEvent); }

TControl* CaptureControl() {
    return gCapture;
}
void SetCaptureControl(TControl* aControl) {
    gCapture = aControl;
}
TPoint LastMouseScreenPos() {
    return gLastMouse;
}
void SetLastMouseScreenPos(const TPoint& aPos) {
    gLastMouse = aPos;
}
int EventDepth() {
    return gEventDepth;
}

void ForgetControl(TControl* aControl) {
    if (gCapture == aControl) gCapture = nullptr;
    if (TWinControl* p = aControl->Parent()) {
        TWinControlImpl& im = TControlAccess::Impl(p);
        if (im.hover == aControl) im.hover = nullptr;
    }
    DragForgetControl(aControl);
}

void ReportException(const char* aWhat) {
    ShowMessage(aWhat ? aWhat : "Exception");
}

TWinControl* ControlOfWidget(const QWidget* aWidget) {
    auto it = WidgetControls().find(aWidget);
    return it == WidgetControls().end() ? nullptr : it->second;
}

TWinControl* ControlAtWidget(const QWidget* aWidget) {
    for (const QWidget* w = aWidget; w; w = w->parentWidget())
        if (TWinControl* c = ControlOfWidget(w)) return c;
    return nullptr;
}

Qt::CursorShape CursorShape(TCursor aCursor) {
    switch (aCursor) {
    case crNone:
        return Qt::BlankCursor;
    case crCross:
        return Qt::CrossCursor;
    case crIBeam:
        return Qt::IBeamCursor;
    case crSizeNESW:
        return Qt::SizeBDiagCursor;
    case crSizeNS:
        return Qt::SizeVerCursor;
    case crSizeNWSE:
        return Qt::SizeFDiagCursor;
    case crSizeWE:
        return Qt::SizeHorCursor;
    case crUpArrow:
        return Qt::UpArrowCursor;
    case crHourGlass:
    case crSQLWait:
        return Qt::WaitCursor;
    case crDrag:
        return Qt::DragMoveCursor;
    case crNoDrop:
    case crNo:
        return Qt::ForbiddenCursor;
    case crHSplit:
        return Qt::SplitHCursor;
    case crVSplit:
        return Qt::SplitVCursor;
    case crMultiDrag:
        return Qt::DragCopyCursor;
    case crAppStart:
        return Qt::BusyCursor;
    case crHelp:
        return Qt::WhatsThisCursor;
    case crHandPoint:
        return Qt::PointingHandCursor;
    case crSizeAll:
        return Qt::SizeAllCursor;
    default:
        return Qt::ArrowCursor;
    }
}

void UpdateWidgetCursor(TWinControl* aControl, const TPoint& aClientPos) {
    QWidget* w = TControlAccess::Impl(aControl).widget;
    if (!w) return;
    TControl* source = CaptureControl();
    if (!source || (source != aControl && source->Parent() != aControl))
        source = aControl->ControlAtPos(aClientPos, false);
    if (!source) source = aControl;
    TCursor cur = source->Cursor();
    if (cur == crDefault) cur = aControl->Cursor();
    if (cur == crDefault)
        w->unsetCursor();
    else
        w->setCursor(CursorShape(cur));
}

bool HandleControlEvent(TWinControl* c, QWidget* w, QEvent* e) {
    TWinControlImpl& im = TControlAccess::Impl(c);
    if (e->type() == MessageEvent::EventType()) {
        DeliverMessage(im.handle, static_cast<MessageEvent*>(e)->msg);
        return true;
    }
    switch (e->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove:
        MouseEvent(c, static_cast<QMouseEvent*>(e));
        return true;
    case QEvent::ContextMenu: // raised from the right button's release
        return true;
    case QEvent::Wheel:
        WheelEvent(c, static_cast<QWheelEvent*>(e));
        return true;
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        return KeyEvent(c, static_cast<QKeyEvent*>(e));
    case QEvent::FocusIn:
        c->Perform(WM_SETFOCUS, 0, 0);
        return true;
    case QEvent::FocusOut:
        c->Perform(WM_KILLFOCUS, 0, 0);
        return true;
    case QEvent::Enter:
        c->Perform(CM_MOUSEENTER, 0, 0);
        return true;
    case QEvent::Leave: {
        HWND h = im.handle;
        if (TControl* old = im.hover) {
            im.hover = nullptr;
            old->Perform(CM_MOUSELEAVE, 0, 0);
            if (!IsWindow(h)) return true;
        }
        c->Perform(CM_MOUSELEAVE, 0, 0);
        return true;
    }
    case QEvent::Resize:
    case QEvent::Move:
        if (!im.syncingGeometry) TControlAccess::WidgetGeometryChanged(c, w->geometry());
        return false;
    case QEvent::Close:
        if (w->isWindow()) {
            e->ignore();
            c->Perform(WM_CLOSE, 0, 0);
            return true;
        }
        return false;
    case QEvent::WindowActivate:
        c->Perform(CM_ACTIVATE, 0, 0);
        return false;
    case QEvent::WindowDeactivate:
        c->Perform(CM_DEACTIVATE, 0, 0);
        return false;
    default:
        return false;
    }
}

// ---- The platform's widget ------------------------------------------------------------------
ControlWidget::ControlWidget(TWinControl* aControl, QWidget* aParent) : QWidget(aParent), control(aControl) {}

ControlWidget::~ControlWidget() {
    if (control) TControlAccess::DestroyingWidget(control);
}

bool ControlWidget::event(QEvent* e) {
    if (!control) return QWidget::event(e);
    QPointer<ControlWidget> self(this);
    ++gEventDepth;
    bool handled = false;
    // Exceptions must not unwind through Qt: report them as the framework does.
    try {
        handled = HandleControlEvent(control, this, e);
        if (!handled && self && control) handled = QWidget::event(e);
    } catch (const std::exception& ex) {
        ReportException(ex.what());
        handled = true;
    } catch (...) {
        ReportException("Unknown exception");
        handled = true;
    }
    --gEventDepth;
    return handled;
}

} // namespace xo::qt

// ---- Handles --------------------------------------------------------------------------------
void TControlAccess::WidgetGeometryChanged(TWinControl* c, const QRect& r) {
    int nc = c->fParent ? c->fParent->NonClientInset() : 0;
    int l = r.x() - nc, t = r.y() - nc;
    bool resized = r.width() != c->fWidth || r.height() != c->fHeight;
    if (l == c->fLeft && t == c->fTop && !resized) return;
    c->UpdateBoundsRect(TRect(l, t, l + r.width(), t + r.height()));
    if (resized) {
        InvalidateRect(c->fImpl->handle, nullptr, true);
        TRect cr = c->ClientRect();
        c->Perform(WM_SIZE, SIZE_RESTORED, MAKELPARAM(cr.Width(), cr.Height()));
        c->RequestAlign();
    }
}

void TControlAccess::DestroyingWidget(TWinControl* c) {
    // Qt destroys the widget (its host went away): the control lives on without a window.
    TWinControlImpl& im = *c->fImpl;
    DetachWindowDCs(c);
    WidgetControls().erase(im.widget);
    UnregisterHandle(im.handle);
    im.handle = nullptr;
    im.widget = nullptr;
    im.shown = QImage();
    im.invalid = QRegion();
    im.hover = nullptr;
}

HWND TWinControl::Handle() {
    if (!fImpl->widget) CreateWnd();
    return fImpl->handle;
}

bool TWinControl::HandleAllocated() const {
    return fImpl->widget != nullptr;
}

QWidget* TWinControl::Widget() {
    HandleNeeded();
    return fImpl->widget;
}

QWidget* TWinControl::CreateWidget(QWidget* aParentWidget) {
    return new ControlWidget(this, aParentWidget);
}

void TWinControl::CreateWnd() {
    if (fImpl->widget) {
        AttachWidget();
        return;
    }
    EnsureQtApplication();
    if (fParent && !fParent->HandleAllocated()) {
        fParent->CreateWnd(); // creates the windows of its children, this one included
        if (fImpl->widget) return;
    }
    QWidget* parentWidget = fParent ? fParent->fImpl->widget : fImpl->host.data();
    QWidget* w = CreateWidget(parentWidget);
    fImpl->widget = w;
    WidgetControls()[w] = this;
    fImpl->handle = RegisterHandle(w, [this](TMessage& m) { WndProc(m); });
    fImpl->handle->widget = w;
    fImpl->handle->control = this;
    // We paint every pixel ourselves, on the classic rules: no background, no antialiasing.
    w->setMouseTracking(true);
    w->setFocusPolicy(Qt::NoFocus);
    w->setAttribute(Qt::WA_OpaquePaintEvent);
    w->setAttribute(Qt::WA_NoSystemBackground);
    w->setAutoFillBackground(false);
    w->setEnabled(Enabled());
    if (Cursor() != crDefault) w->setCursor(CursorShape(Cursor()));
    UpdateWidgetGeometry();
    fImpl->invalid = QRegion(0, 0, fWidth, fHeight);
    fImpl->erase = true;
    for (TWinControl* child : fWinControls) {
        if (child->HandleAllocated())
            child->AttachWidget();
        else
            child->CreateWnd();
    }
    for (TWinControl* child : fWinControls)
        child->fImpl->widget->raise();
    UpdateWidgetVisibility();
}

void TWinControl::DestroyWnd() {
    TWinControlImpl& im = *fImpl;
    if (!im.widget) return;
    QWidget* w = im.widget;
    DetachWindowDCs(this);
    WidgetControls().erase(w);
    UnregisterHandle(im.handle);
    im.handle = nullptr;
    im.widget = nullptr;
    im.shown = QImage();
    im.invalid = QRegion();
    im.hover = nullptr;
    if (auto* cw = dynamic_cast<ControlWidget*>(w)) cw->control = nullptr;
    w->hide();
    // A widget must not be deleted while Qt is inside one of its events (the control may be
    // freed from its own handler).
    if (EventDepth() > 0)
        w->deleteLater();
    else
        delete w;
}

void TWinControl::AttachWidget() {
    QWidget* w = fImpl->widget;
    if (!w) return;
    QWidget* want = nullptr;
    if (fParent)
        want = fParent->fImpl->widget;
    else
        want = fImpl->host.data();
    if (w->parentWidget() != want) {
        fImpl->syncingGeometry = true;
        w->setParent(want);
        fImpl->syncingGeometry = false;
    }
    UpdateWidgetGeometry();
    UpdateWidgetVisibility();
}

void TWinControl::UpdateWidgetGeometry() {
    QWidget* w = fImpl->widget;
    if (!w) return;
    int nc = fParent ? fParent->NonClientInset() : 0;
    QRect r(fLeft + nc, fTop + nc, fWidth, fHeight);
    if (w->geometry() == r) return;
    fImpl->syncingGeometry = true;
    w->setGeometry(r);
    fImpl->syncingGeometry = false;
}

void TWinControl::UpdateWidgetVisibility() {
    QWidget* w = fImpl->widget;
    if (!w) return;
    if (fParent || fImpl->host) {
        w->setVisible(Visible());
    } else if (!Visible()) {
        w->hide();
    } else if (dynamic_cast<TForm*>(this)) {
        w->show(); // only forms are windows of their own; other controls wait for a parent
    }
}

void TWinControl::SetParentWidget(QWidget* AHost) {
    if (AHost == fImpl->host) return;
    fImpl->host = AHost;
    if (HandleAllocated())
        AttachWidget();
    else if (AHost)
        CreateWnd();
}

QWidget* TWinControl::ParentWidget() const {
    return fImpl->host.data();
}

// ---- Window calls ---------------------------------------------------------------------------
TWinControl* FindControl(HWND Handle) {
    if (!IsWindow(Handle)) return nullptr;
    return dynamic_cast<TWinControl*>(Handle->control);
}

HWND GetFocus() {
    if (!QApplication::instance()) return nullptr;
    TWinControl* c = ControlAtWidget(QApplication::focusWidget());
    return c ? c->Handle() : nullptr;
}

HWND SetFocus(HWND Wnd) {
    HWND previous = GetFocus();
    if (TWinControl* c = FindControl(Wnd)) c->Widget()->setFocus(Qt::OtherFocusReason);
    return previous;
}

bool IsWindowVisible(HWND Wnd) {
    TWinControl* c = FindControl(Wnd);
    return c && c->Widget()->isVisible();
}

bool IsWindowEnabled(HWND Wnd) {
    TWinControl* c = FindControl(Wnd);
    return c && c->Enabled();
}

bool MoveWindow(HWND Wnd, int X, int Y, int Width, int Height, bool) {
    TWinControl* c = FindControl(Wnd);
    if (!c) return false;
    c->SetBounds(X, Y, Width, Height);
    return true;
}

bool SetWindowPos(HWND Wnd, HWND InsertAfter, int X, int Y, int Width, int Height, uint32_t Flags) {
    TWinControl* c = FindControl(Wnd);
    if (!c) return false;
    if (Flags & SWP_NOMOVE) {
        X = c->Left();
        Y = c->Top();
    }
    if (Flags & SWP_NOSIZE) {
        Width = c->Width();
        Height = c->Height();
    }
    c->SetBounds(X, Y, Width, Height);
    if (!(Flags & SWP_NOZORDER) && InsertAfter == HWND_TOP) c->BringToFront();
    if (Flags & SWP_SHOWWINDOW) c->Show();
    if (Flags & SWP_HIDEWINDOW) c->Hide();
    return true;
}
