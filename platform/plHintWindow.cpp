// THintWindow over a frameless Qt tool-tip window of the platform's control widget.
#include "platform/plHintWindow.h"

#include "platform/internal/plControlGlue.h"
#include "platform/plMessages.h"

#include <QWidget>

namespace {

// The framework breaks hint lines at carriage returns as well as at line feeds.
String HintLines(const String& aText) {
    String r;
    r.reserve(aText.size());
    for (size_t i = 0; i < aText.size(); ++i) {
        if (aText[i] == '\r') {
            r += '\n';
            if (i + 1 < aText.size() && aText[i + 1] == '\n') ++i;
        } else {
            r += aText[i];
        }
    }
    return r;
}

// Above the windows shown since; window systems without a stacking order have nothing to do.
void RaiseWindow(QWidget* aWindow) {
    if (Application()->HasDisplay()) aWindow->raise();
}

constexpr uint32_t kHintFormat = DT_LEFT | DT_NOPREFIX | DT_WORDBREAK;

} // namespace

THintWindow::THintWindow(TComponent* AOwner) : TCustomControl(AOwner) {
    SetVisible(false);
    SetColor(clInfoBk);
    SetParentFont(false);
    Font()->SetColor(clInfoText);
}

THintWindow::~THintWindow() = default;

QWidget* THintWindow::CreateWidget(QWidget* aParentWidget) {
    auto* w = new xo::qt::ControlWidget(this, aParentWidget);
    // A window of its own, above the others, that never becomes the active one.
    w->setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
    w->setAttribute(Qt::WA_ShowWithoutActivating);
    return w;
}

void THintWindow::VisibleChanged() {
    TCustomControl::VisibleChanged();
    // Without a parent control the platform leaves non-form windows hidden; a hint window is
    // a window of its own either way.
    if (QWidget* w = Impl().widget; w && w->isWindow()) {
        w->setVisible(Visible());
        if (Visible()) RaiseWindow(w);
    }
}

void THintWindow::TextChanged() {
    TCustomControl::TextChanged();
    Invalidate();
}

void THintWindow::ActivateHint(const TRect& Rect, const String& AHint) {
    SetCaption(AHint);
    SetBoundsRect(Rect);
    HandleNeeded();
    Show();
    if (QWidget* w = Impl().widget) RaiseWindow(w);
    Invalidate();
}

TRect THintWindow::CalcHintRect(int MaxWidth, const String& AHint) {
    // Measured on a bitmap, so that asking needs no window.
    TBitmap measure(1, 1);
    measure.Canvas()->SetFont(Font());
    TRect r(0, 0, MaxWidth > 0 ? MaxWidth : 0, 0);
    DrawText(measure.Canvas()->Handle(), HintLines(AHint), -1, r, kHintFormat | DT_CALCRECT);
    r.Right += 6;
    r.Bottom += 2;
    return r;
}

void THintWindow::ReleaseHandle() {
    SetVisible(false);
    DestroyWnd();
}

void THintWindow::Paint() {
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    c->Brush()->SetColor(Color());
    c->Brush()->SetStyle(bsSolid);
    c->FillRect(r);
    c->SetFont(Font());
    c->Brush()->SetStyle(bsClear);
    r.Left += 2;
    r.Top += 2;
    DrawText(c->Handle(), HintLines(Caption()), -1, r, kHintFormat);
}

void THintWindow::PaintNonClient(HDC DC) {
    HBRUSH b = CreateSolidBrush(clWindowFrame);
    FrameRect(DC, TRect(0, 0, Width(), Height()), b);
    DeleteObject(b);
}
