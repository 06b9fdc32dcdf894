// Real input through Qt's window-system entry points, and rendering of what the screen shows.
#include "platform/plTestInput.h"
#include "platform/internal/plControlGlue.h"
#include "platform/internal/plPaintGlue.h"
#include "platform/plForms.h"
#include "platform/plThreads.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <QWindow>

// Qt's own entry points for simulated input (QtTest uses them): the event enters as if the
// window system had sent it.
Q_GUI_EXPORT void qt_handleMouseEvent(QWindow* window, const QPointF& local, const QPointF& global,
                                      Qt::MouseButtons state, Qt::MouseButton button, QEvent::Type type,
                                      Qt::KeyboardModifiers mods, int timestamp);
Q_GUI_EXPORT void qt_handleKeyEvent(QWindow* w, QEvent::Type t, int k, Qt::KeyboardModifiers mods,
                                    const QString& text, bool autorep, ushort count);

using namespace xo;
using namespace xo::qt;

namespace xo::test {

namespace {

int gTime = 1000;          // simulated clock of the input events (milliseconds)
Qt::MouseButtons gButtons; // buttons held

int NextTime(int aStep = 20) {
    return gTime += aStep;
}

// After a click, the next press must not count as its second one.
void PauseAfterClick() {
    gTime += 2000;
}

struct Place {
    QWindow* window;
    QWidget* top;
    QPoint local; // in the top-level window
    QPoint global;
};

QWidget* ShownTop(TWinControl* c) {
    QWidget* top = c->Widget()->window();
    if (!top->isVisible() || !top->windowHandle()) throw Exception("The control's window is not shown");
    return top;
}

Place Locate(TControl* aControl, int X, int Y) {
    auto* wc = dynamic_cast<TWinControl*>(aControl);
    TPoint p(X, Y);
    if (!wc) {
        wc = aControl->Parent();
        if (!wc) throw Exception("The control has no parent window");
        p = TPoint(X + aControl->Left(), Y + aControl->Top());
    }
    QWidget* w = wc->Widget();
    QWidget* top = ShownTop(wc);
    int nc = TControlAccess::NonClientInset(wc);
    QPoint inTop = w->mapTo(top, QPoint(p.X + nc, p.Y + nc));
    return Place{top->windowHandle(), top, inTop, top->mapToGlobal(inTop)};
}

Qt::KeyboardModifiers Modifiers(TShiftState s) {
    Qt::KeyboardModifiers m;
    if (s.Contains(ssShift)) m |= Qt::ShiftModifier;
    if (s.Contains(ssCtrl)) m |= Qt::ControlModifier;
    if (s.Contains(ssAlt)) m |= Qt::AltModifier;
    return m;
}

Qt::MouseButton QtButton(TMouseButton b) {
    switch (b) {
    case mbRight:
        return Qt::RightButton;
    case mbMiddle:
        return Qt::MiddleButton;
    default:
        return Qt::LeftButton;
    }
}

void SendMouse(const Place& at, QEvent::Type type, Qt::MouseButton button, TShiftState shift) {
    qt_handleMouseEvent(at.window, at.local, at.global, gButtons, button, type, Modifiers(shift), NextTime());
    Pump();
}

struct QtKey {
    int key = Qt::Key_unknown;
    QString text;
    bool keypad = false;
};

// The Qt key and the typed text of a virtual key, as a US keyboard gives them.
QtKey FromVirtualKey(uint16_t vk, TShiftState shift) {
    bool sh = shift.Contains(ssShift), ctrl = shift.Contains(ssCtrl);
    QtKey k;
    if (vk >= 'A' && vk <= 'Z') {
        k.key = Qt::Key_A + (vk - 'A');
        if (ctrl)
            k.text = QChar(char16_t(vk - 'A' + 1));
        else
            k.text = QChar(char16_t(sh ? vk : vk - 'A' + 'a'));
        return k;
    }
    if (vk >= '0' && vk <= '9') {
        k.key = Qt::Key_0 + (vk - '0');
        k.text = QChar(char16_t(vk));
        return k;
    }
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD0 + 9) {
        k.key = Qt::Key_0 + (vk - VK_NUMPAD0);
        k.text = QChar(char16_t('0' + vk - VK_NUMPAD0));
        k.keypad = true;
        return k;
    }
    if (vk >= VK_F1 && vk <= VK_F1 + 23) {
        k.key = Qt::Key_F1 + (vk - VK_F1);
        return k;
    }
    struct Entry {
        uint16_t vk;
        int key;
        const char* text;
        bool keypad;
    };
    static const Entry table[] = {
        {VK_ESCAPE, Qt::Key_Escape, "\x1b", false}, {VK_TAB, Qt::Key_Tab, "\t", false},
        {VK_BACK, Qt::Key_Backspace, "\b", false},  {VK_RETURN, Qt::Key_Return, "\r", false},
        {VK_SPACE, Qt::Key_Space, " ", false},      {VK_INSERT, Qt::Key_Insert, "", false},
        {VK_DELETE, Qt::Key_Delete, "", false},     {VK_PAUSE, Qt::Key_Pause, "", false},
        {VK_HOME, Qt::Key_Home, "", false},         {VK_END, Qt::Key_End, "", false},
        {VK_LEFT, Qt::Key_Left, "", false},         {VK_UP, Qt::Key_Up, "", false},
        {VK_RIGHT, Qt::Key_Right, "", false},       {VK_DOWN, Qt::Key_Down, "", false},
        {VK_PRIOR, Qt::Key_PageUp, "", false},      {VK_NEXT, Qt::Key_PageDown, "", false},
        {VK_SHIFT, Qt::Key_Shift, "", false},       {VK_CONTROL, Qt::Key_Control, "", false},
        {VK_MENU, Qt::Key_Alt, "", false},          {VK_APPS, Qt::Key_Menu, "", false},
        {VK_CAPITAL, Qt::Key_CapsLock, "", false},  {VK_ADD, Qt::Key_Plus, "+", true},
        {VK_SUBTRACT, Qt::Key_Minus, "-", true},    {VK_MULTIPLY, Qt::Key_Asterisk, "*", true},
        {VK_DIVIDE, Qt::Key_Slash, "/", true},      {VK_DECIMAL, Qt::Key_Period, ".", true},
        {VK_OEM_MINUS, Qt::Key_Minus, "-", false},  {VK_OEM_PLUS, Qt::Key_Equal, "=", false},
        {VK_OEM_COMMA, Qt::Key_Comma, ",", false},  {VK_OEM_PERIOD, Qt::Key_Period, ".", false},
        {VK_OEM_1, Qt::Key_Semicolon, ";", false},  {VK_OEM_2, Qt::Key_Slash, "/", false},
        {VK_OEM_3, Qt::Key_QuoteLeft, "`", false},  {VK_OEM_4, Qt::Key_BracketLeft, "[", false},
        {VK_OEM_5, Qt::Key_Backslash, "\\", false}, {VK_OEM_6, Qt::Key_BracketRight, "]", false},
        {VK_OEM_7, Qt::Key_Apostrophe, "'", false},
    };
    for (const Entry& e : table) {
        if (e.vk != vk) continue;
        k.key = e.key;
        k.text = QString::fromLatin1(e.text);
        k.keypad = e.keypad;
        if (vk == VK_TAB && sh) k.key = Qt::Key_Backtab;
        return k;
    }
    return k;
}

void Focus(TWinControl* c) {
    ShownTop(c);
    if (c->Focused()) return;
    if (c->CanFocus())
        c->SetFocus();
    else
        c->Widget()->setFocus(Qt::OtherFocusReason);
    Pump();
}

void SendKey(TWinControl* c, QEvent::Type type, const QtKey& k, TShiftState shift) {
    QWindow* window = ShownTop(c)->windowHandle();
    Qt::KeyboardModifiers mods = Modifiers(shift);
    if (k.keypad) mods |= Qt::KeypadModifier;
    qt_handleKeyEvent(window, type, k.key, mods, k.text, false, 1);
    Pump();
}

} // namespace

void Pump(int aMilliseconds) {
    auto once = [] {
        Application()->ProcessMessages();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        Application()->ProcessMessages();
    };
    once();
    if (aMilliseconds <= 0) return;
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < aMilliseconds) {
        QThread::msleep(1);
        once();
    }
}

void ShowForm(TWinControl* aForm) {
    if (auto* f = dynamic_cast<TForm*>(aForm)) {
        f->Show();
    } else {
        QWidget* w = aForm->Widget();
        w->show();
        w->activateWindow();
    }
    QWidget* top = aForm->Widget()->window();
    QElapsedTimer t;
    t.start();
    do {
        Pump();
        QWindow* win = top->windowHandle();
        if (win && win->isExposed() && top->isActiveWindow()) break;
        QThread::msleep(2);
    } while (t.elapsed() < 2000);
    Pump();
}

void MouseDown(TControl* aControl, TMouseButton aButton, int X, int Y, TShiftState aShift) {
    Place at = Locate(aControl, X, Y);
    gButtons |= QtButton(aButton);
    SendMouse(at, QEvent::MouseButtonPress, QtButton(aButton), aShift);
}

void MouseMove(TControl* aControl, int X, int Y, TShiftState aShift) {
    SendMouse(Locate(aControl, X, Y), QEvent::MouseMove, Qt::NoButton, aShift);
}

void MouseUp(TControl* aControl, TMouseButton aButton, int X, int Y, TShiftState aShift) {
    Place at = Locate(aControl, X, Y);
    gButtons &= ~Qt::MouseButtons(QtButton(aButton));
    SendMouse(at, QEvent::MouseButtonRelease, QtButton(aButton), aShift);
    PauseAfterClick();
}

void Click(TControl* aControl, int X, int Y, TMouseButton aButton, TShiftState aShift) {
    MouseDown(aControl, aButton, X, Y, aShift);
    MouseUp(aControl, aButton, X, Y, aShift);
}

void DblClick(TControl* aControl, int X, int Y, TMouseButton aButton, TShiftState aShift) {
    Place at = Locate(aControl, X, Y);
    Qt::MouseButton b = QtButton(aButton);
    for (int i = 0; i < 2; ++i) {
        gButtons |= b;
        SendMouse(at, QEvent::MouseButtonPress, b, aShift);
        gButtons &= ~Qt::MouseButtons(b);
        SendMouse(at, QEvent::MouseButtonRelease, b, aShift);
    }
    PauseAfterClick();
}

void ReleaseButtons() {
    gButtons = Qt::NoButton;
    PauseAfterClick();
}

void Wheel(TControl* aControl, int X, int Y, int aDelta, TShiftState aShift) {
    Place at = Locate(aControl, X, Y);
    QWidget* w = at.top->childAt(at.local);
    if (!w) w = at.top;
    QPoint local = w->mapFrom(at.top, at.local);
    QWheelEvent e(QPointF(local), QPointF(at.global), QPoint(), QPoint(0, aDelta), gButtons,
                  Modifiers(aShift), Qt::NoScrollPhase, false);
    e.setTimestamp(ulong(NextTime()));
    QApplication::sendEvent(w, &e);
    Pump();
}

void KeyDown(TWinControl* aControl, uint16_t aKey, TShiftState aShift) {
    Focus(aControl);
    SendKey(aControl, QEvent::KeyPress, FromVirtualKey(aKey, aShift), aShift);
}

void KeyUp(TWinControl* aControl, uint16_t aKey, TShiftState aShift) {
    QtKey k = FromVirtualKey(aKey, aShift);
    k.text.clear();
    SendKey(aControl, QEvent::KeyRelease, k, aShift);
}

void PressKey(TWinControl* aControl, uint16_t aKey, TShiftState aShift) {
    KeyDown(aControl, aKey, aShift);
    KeyUp(aControl, aKey, aShift);
}

void TypeChar(TWinControl* aControl, char32_t aChar) {
    Focus(aControl);
    QtKey k;
    k.text = QString::fromUcs4(&aChar, 1);
    TShiftState shift;
    if (aChar >= 'a' && aChar <= 'z') {
        k.key = int(Qt::Key_A + (aChar - 'a'));
    } else if (aChar >= 'A' && aChar <= 'Z') {
        k.key = int(Qt::Key_A + (aChar - 'A'));
        shift.Include(ssShift);
    } else if (aChar >= 0x20 && aChar < 0x7F) {
        k.key = int(aChar); // Qt numbers the other printable ASCII keys by their character
    } else if (aChar < 0x100 && QChar(char16_t(aChar)).isLetter()) {
        k.key = QChar(char16_t(aChar)).toUpper().unicode(); // Latin-1 letters: their capital
        if (QChar(char16_t(aChar)).isUpper()) shift.Include(ssShift);
    }
    SendKey(aControl, QEvent::KeyPress, k, shift);
    k.text.clear();
    SendKey(aControl, QEvent::KeyRelease, k, shift);
}

void TypeText(TWinControl* aControl, const String& aUtf8) {
    for (char32_t c : ToQString(aUtf8).toUcs4())
        TypeChar(aControl, c);
}

void Render(TControl* aControl, TBitmap* aResult) {
    if (!aResult) return;
    auto* wc = dynamic_cast<TWinControl*>(aControl);
    QImage img;
    if (wc) {
        img = ComposeShown(wc);
    } else if (TWinControl* p = aControl->Parent()) {
        int nc = TControlAccess::NonClientInset(p);
        img = ComposeShown(p).copy(nc + aControl->Left(), nc + aControl->Top(), aControl->Width(),
                                   aControl->Height());
    }
    if (img.isNull()) {
        aResult->SetSize(0, 0);
        return;
    }
    paint::SetBitmapImage(aResult, img);
}

void SaveSnapshot(TControl* aControl, const String& aFileName) {
    TBitmap b;
    Render(aControl, &b);
    b.SaveToFile(aFileName);
}

TColor ShownPixel(TControl* aControl, int X, int Y) {
    auto* wc = dynamic_cast<TWinControl*>(aControl);
    if (!wc) {
        wc = aControl->Parent();
        if (!wc) return CLR_INVALID;
        X += aControl->Left();
        Y += aControl->Top();
    }
    int nc = TControlAccess::NonClientInset(wc);
    const QImage& img = ShownImage(wc);
    if (!img.valid(X + nc, Y + nc)) return CLR_INVALID;
    return paint::FromQRgb(img.pixel(X + nc, Y + nc));
}

// ---- A host application's window ------------------------------------------------------------
THostWindow::THostWindow(int aWidth, int aHeight) {
    EnsureQtApplication();
    fWidget = new QWidget;
    fWidget->resize(aWidth, aHeight);
    auto* layout = new QVBoxLayout(fWidget);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
}

THostWindow::~THostWindow() {
    delete fWidget;
    Pump();
}

void THostWindow::Place(TWinControl* aControl) {
    aControl->SetParentWidget(fWidget);
    fWidget->layout()->addWidget(aControl->Widget());
    Pump();
}

void THostWindow::Show() {
    fWidget->show();
    fWidget->activateWindow();
    QElapsedTimer t;
    t.start();
    do {
        Pump();
        QWindow* win = fWidget->windowHandle();
        if (win && win->isExposed() && fWidget->isActiveWindow()) break;
        QThread::msleep(2);
    } while (t.elapsed() < 2000);
    Pump();
}

void THostWindow::Resize(int aWidth, int aHeight) {
    fWidget->resize(aWidth, aHeight);
    Pump();
}

} // namespace xo::test
