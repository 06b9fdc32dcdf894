// Forms: showing, closing, modal runs, focus bookkeeping and dialog keys; the screen.
#include "platform/plForms.h"
#include "platform/internal/plControlGlue.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QThread>
#include <QWidget>

#include <algorithm>

using namespace xo;
using namespace xo::qt;

namespace {
bool IsLiveForm(const TForm* f) {
    for (int i = 0; i < Screen()->FormCount(); ++i)
        if (Screen()->Forms(i) == f) return true;
    return false;
}
} // namespace

TForm::TForm(TComponent* AOwner) : TWinControl(AOwner) {
    TControl::SetVisible(false);
    SetControlStyle({csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks});
    fWidth = 320;
    fHeight = 240;
    SetColor(clBtnFace);
    Screen()->fForms.push_back(this);
}

TForm::~TForm() {
    Destroying();
    auto& forms = Screen()->fForms;
    forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
    if (Application()->MainForm() == this) Application()->SetMainForm(nullptr);
    fActiveControl = nullptr;
    fFocusedControl = nullptr;
}

QWidget* TForm::CreateWidget(QWidget* aParentWidget) {
    return new ControlWidget(this, aParentWidget);
}

void TForm::CreateWnd() {
    bool had = HandleAllocated();
    TWinControl::CreateWnd();
    if (!had) {
        Widget()->setWindowTitle(xo::qt::ToQString(Caption()));
        ApplyWindowFlags();
    }
}

void TForm::ApplyWindowFlags() {
    QWidget* w = TControlAccess::Impl(this).widget;
    if (!w || !w->isWindow()) return;
    Qt::WindowFlags flags = Qt::Window;
    switch (fBorderStyle) {
    case bsNone:
        flags |= Qt::FramelessWindowHint;
        break;
    case bsDialog:
        flags = Qt::Dialog;
        break;
    case bsToolWindow:
    case bsSizeToolWin:
        flags = Qt::Tool;
        break;
    default:
        break;
    }
    if (w->windowFlags() == flags) return;
    bool shown = w->isVisible();
    w->setWindowFlags(flags);
    if (shown) w->show();
}

void TForm::SetBorderStyle(TFormBorderStyle Value) {
    fBorderStyle = Value;
    ApplyWindowFlags();
}

void TForm::TextChanged() {
    TWinControl::TextChanged();
    if (QWidget* w = TControlAccess::Impl(this).widget) w->setWindowTitle(xo::qt::ToQString(Caption()));
}

// ---- Showing and closing --------------------------------------------------------------------
void TForm::SetVisible(bool Value) {
    if (Value == Visible()) return;
    if (Value) {
        DoShow();
        HandleNeeded();
    }
    TWinControl::SetVisible(Value);
    if (!Value) DoHide();
}

void TForm::Show() {
    SetVisible(true);
    QWidget* w = Widget();
    if (w->isWindow()) {
        if (Application()->HasDisplay()) w->raise();
        w->activateWindow();
    }
}

void TForm::DoShow() {
    if (fOnShow) fOnShow(this);
}

void TForm::DoHide() {
    if (fOnHide) fOnHide(this);
}

bool TForm::CloseQuery() {
    bool canClose = true;
    if (fOnCloseQuery) fOnCloseQuery(this, canClose);
    return canClose;
}

void TForm::DoClose(TCloseAction& Action) {
    if (fOnClose) fOnClose(this, Action);
}

void TForm::Close() {
    if (fModal) {
        // The modal run ends and closes the form itself.
        if (fModalResult == mrNone) fModalResult = mrCancel;
        return;
    }
    if (fClosing) return;
    fClosing = true;
    struct Reset {
        bool& f;
        ~Reset() { f = false; }
    } reset{fClosing};
    if (!CloseQuery()) return;
    TCloseAction action = caHide;
    DoClose(action);
    if (action == caNone) return;
    if (Application()->MainForm() == this) {
        Application()->Terminate();
        if (action == caFree) Release();
        return;
    }
    switch (action) {
    case caHide:
        Hide();
        // Without a main form, the application's run ends with its last window.
        if (!Application()->MainForm() && !Screen()->AnyFormVisible() && QThread::currentThread()->loopLevel() > 0)
            Application()->Terminate();
        break;
    case caMinimize:
        Widget()->showMinimized();
        break;
    case caFree:
        Release();
        break;
    default:
        break;
    }
}

void TForm::Release() {
    Hide();
    // After the current event: the form may be releasing itself from one of its handlers.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [this] {
            if (IsLiveForm(this)) delete this;
        },
        Qt::QueuedConnection);
}

TModalResult TForm::ShowModal() {
    if (Visible() || fModal) throw Exception("Cannot make a visible window modal");
    fModal = true;
    fModalResult = mrNone;
    struct Reset {
        bool& f;
        ~Reset() { f = false; }
    } reset{fModal};
    HandleNeeded();
    QWidget* w = Widget();
    if (w->isWindow()) w->setWindowModality(Qt::ApplicationModal);
    Show();
    for (;;) {
        while (fModalResult == mrNone && Visible() && !Application()->Terminated())
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
        if (Application()->Terminated()) break;
        if (fModalResult == mrNone) fModalResult = mrCancel; // hidden some other way
        if (!CloseQuery()) {
            fModalResult = mrNone;
            continue;
        }
        TCloseAction action = caHide;
        DoClose(action);
        if (action == caNone) {
            fModalResult = mrNone;
            continue;
        }
        TModalResult result = fModalResult;
        Hide();
        if (w->isWindow()) w->setWindowModality(Qt::NonModal);
        if (action == caFree) Release();
        return result;
    }
    TModalResult result = fModalResult == mrNone ? mrCancel : fModalResult;
    Hide();
    return result;
}

// ---- Focus ----------------------------------------------------------------------------------
bool TForm::Active() const {
    QWidget* w = TControlAccess::Impl(const_cast<TForm*>(this)).widget;
    return w && w->isVisible() && w->isActiveWindow();
}

void TForm::SetActiveControl(TWinControl* Value) {
    if (Value == fActiveControl) {
        if (Value && Active() && !Value->Focused()) Value->Widget()->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (Value && (Value == this || GetParentForm(Value) != this))
        throw Exception("Cannot focus a control that is not on the form");
    if (Value && Visible() && !Value->CanFocus())
        throw Exception("Cannot focus a disabled or invisible window");
    fActiveControl = Value;
    if (Value && Active()) Value->Widget()->setFocus(Qt::OtherFocusReason);
}

void TForm::FocusControl(TWinControl* Control) {
    SetActiveControl(Control);
}

bool TForm::SetFocusedControl(TWinControl* Control) {
    if (ComponentState().Contains(csDestroying) || !Control) return false;
    if (Control != this) fActiveControl = Control;
    if (fFocusedControl == Control) return true;
    // Leave the controls that do not contain the new one, then enter from the outside in.
    TWinControl* common = fFocusedControl ? fFocusedControl : this;
    while (common != this && !common->ContainsControl(Control)) {
        TWinControl* up = common->Parent();
        common->Perform(CM_EXIT, 0, 0);
        common = up ? up : this;
    }
    std::vector<TWinControl*> path;
    for (TWinControl* c = Control; c && c != common; c = c->Parent())
        path.push_back(c);
    fFocusedControl = Control;
    for (auto it = path.rbegin(); it != path.rend(); ++it)
        if (*it != this) (*it)->Perform(CM_ENTER, 0, 0);
    Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(Control));
    return true;
}

void TForm::DefocusControl(TControl* Control) {
    auto inside = [Control](TWinControl* c) {
        for (TControl* p = c; p; p = p->Parent())
            if (p == Control) return true;
        return false;
    };
    if (fActiveControl && inside(fActiveControl)) fActiveControl = nullptr;
    if (fFocusedControl && inside(fFocusedControl)) fFocusedControl = nullptr;
}

void TForm::Activate() {
    if (!fActiveControl) fActiveControl = FindNextControl(nullptr, true, true, false);
    if (fActiveControl && fActiveControl->CanFocus())
        fActiveControl->Widget()->setFocus(Qt::ActiveWindowFocusReason);
    if (fOnActivate) fOnActivate(this);
}

void TForm::Deactivate() {
    if (fOnDeactivate) fOnDeactivate(this);
}

void TForm::CMDialogKey(TWMKey& Message) {
    bool alt = GetKeyState(VK_MENU) < 0;
    bool ctrl = GetKeyState(VK_CONTROL) < 0;
    bool shift = GetKeyState(VK_SHIFT) < 0;
    uint16_t vk = Message.CharCode();
    if (!alt) {
        if (vk == VK_TAB && !ctrl) {
            SelectNext(fActiveControl, !shift, true);
            Message.SetResult(1);
            return;
        }
        if (vk == VK_LEFT || vk == VK_RIGHT || vk == VK_UP || vk == VK_DOWN) {
            if (fActiveControl && fActiveControl->Parent()) {
                fActiveControl->Parent()->SelectNext(fActiveControl, vk == VK_RIGHT || vk == VK_DOWN, false);
                Message.SetResult(1);
            }
            return;
        }
    }
    TWinControl::CMDialogKey(Message);
}

void TForm::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_CLOSE:
        Close();
        break;
    case CM_ACTIVATE:
        Activate();
        break;
    case CM_DEACTIVATE:
        Deactivate();
        break;
    default:
        TWinControl::Dispatch(Message);
        break;
    }
}

TForm* GetParentForm(TControl* Control) {
    if (!Control) return nullptr;
    while (Control->Parent())
        Control = Control->Parent();
    return dynamic_cast<TForm*>(Control);
}

// ---- TScreen --------------------------------------------------------------------------------
TScreen* Screen() {
    static TScreen screen;
    return &screen;
}

int TScreen::Width() const {
    EnsureQtApplication();
    QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->geometry().width() : 0;
}

int TScreen::Height() const {
    EnsureQtApplication();
    QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->geometry().height() : 0;
}

TForm* TScreen::Forms(int Index) const {
    return Index >= 0 && size_t(Index) < fForms.size() ? fForms[size_t(Index)] : nullptr;
}

TForm* TScreen::ActiveForm() const {
    for (TForm* f : fForms)
        if (f->Active()) return f;
    return nullptr;
}

bool TScreen::AnyFormVisible() const {
    for (TForm* f : fForms)
        if (f->Visible() && !f->Parent() && !f->ParentWidget()) return true;
    return false;
}

TWinControl* TScreen::ActiveControl() const {
    TForm* f = ActiveForm();
    return f ? f->ActiveControl() : nullptr;
}

void TScreen::SetCursor(TCursor Value) {
    if (Value == fCursor) return;
    EnsureQtApplication();
    if (fCursor != crDefault) QGuiApplication::restoreOverrideCursor();
    fCursor = Value;
    if (fCursor != crDefault) QGuiApplication::setOverrideCursor(QCursor(CursorShape(fCursor)));
}
