#include "foundation/xoOffscreenPaint.h"

#include "platform/plScopeGuard.h"
#include "platform/plThreads.h"

#include <cstdio>

TxoOffscreenPaint::TxoOffscreenPaint(TComponent* AOwner) : TCustomPanel(AOwner) {
    fDrawBitmap = std::make_unique<TBitmap>();
    fOffscreenCanvas = fDrawBitmap->Canvas();
    TControlStyle style = ControlStyle();
    style.Include(csOpaque);
    SetControlStyle(style);
    fUpdate = 0;
    fInvalidateCount = 0;
    SetFullRepaint(true);
    SetCaption("");
}

TxoOffscreenPaint::~TxoOffscreenPaint() {
    fAggregateOwnerInterface = nullptr;
    fAggregateOwner = nullptr;
    fOnAggregateTab = nullptr;
    fOffscreenCanvas = nullptr;
}

TCanvas* TxoOffscreenPaint::OffscreenCanvas() const {
    if (IsPrinting() && fTemporaryPrintingCanvas) return fTemporaryPrintingCanvas;
    return fDrawBitmap->Canvas();
}

void TxoOffscreenPaint::OffscreenPaint() {
    if (FOnPaint) FOnPaint(this);
}

void TxoOffscreenPaint::Paint() {
    if (IsPrinting()) return;
    fInvalidateCount = 0;
    const bool timed = fClocking && !ComponentState().Contains(csDesigning);
    const int64_t started = timed ? QueryPerformanceCounter() : 0;

    const int w = Width(), h = Height();
    fDrawBitmap->SetSize(w, h);
    TCanvas* c = fDrawBitmap->Canvas();
    c->SetFont(Font());
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(Color());
    c->FillRect(TRect(0, 0, w, h));
    OffscreenPaint();
    SmashPaint();

    if (timed) {
        fPerf += QueryPerformanceCounter() - started;
        ++fPerfCount;
        char text[64];
        std::snprintf(text, sizeof text, "%g", double(fPerf) / double(fPerfCount));
        TCanvas* screen = Canvas();
        screen->Brush()->SetStyle(bsSolid);
        screen->Brush()->SetColor(clBlack);
        screen->Font()->SetColor(clWhite);
        screen->TextOut(10, 10, text);
    }
}

void TxoOffscreenPaint::SmashPaint() {
    const int w = Width(), h = Height();
    TRect copied(0, 0, w - fHorzInset, h - fVertInset);
    TCanvas* screen = Canvas();
    screen->CopyRect(copied, fDrawBitmap->Canvas(), copied);
    if (fHorzInset > 0 && fVertInset > 0) {
        TColor old = screen->Brush()->Color();
        screen->Brush()->SetColor(clBtnFace);
        screen->FillRect(TRect(w - fHorzInset, h - fVertInset, w, h));
        screen->Brush()->SetColor(old);
    }
}

void TxoOffscreenPaint::PossibleScroll(TScrollDirection) {}

void TxoOffscreenPaint::BeginUpdate() { ++fUpdate; }

void TxoOffscreenPaint::EndUpdate() {
    --fUpdate;
    Invalidate();
}

void TxoOffscreenPaint::Repaint() {
    if (fUpdate == 0) TCustomPanel::Repaint();
}

void TxoOffscreenPaint::Invalidate() {
    ++fInvalidateCount;
    if (fInvalidateCount == 1) {
        ++fInvalidationsPassed;
        TCustomPanel::Invalidate();
    }
}

void TxoOffscreenPaint::WndProc(TMessage& Message) {
    if (Message.Msg == WM_KEYDOWN && Message.WParam == VK_TAB && fAggregateOwner && fOnAggregateTab) {
        fOnAggregateTab(true);
        return;
    }
    TCustomPanel::WndProc(Message);
}

void TxoOffscreenPaint::WMEraseBkgnd(TWMEraseBkgnd& Message) { Message.SetResult(1); }

void TxoOffscreenPaint::WMSetFocus(TWMSetFocus& Message) {
    TCustomPanel::WMSetFocus(Message);
    Invalidate();
}

void TxoOffscreenPaint::WMKillFocus(TWMKillFocus& Message) {
    TCustomPanel::WMKillFocus(Message);
    Invalidate();
}

void TxoOffscreenPaint::CMFocusChanged(TCMFocusChanged& Message) {
    TCustomPanel::CMFocusChanged(Message);
    Invalidate();
}

void TxoOffscreenPaint::CMWantSpecialKey(TCMWantSpecialKey& Message) {
    const uint16_t key = Message.CharCode();
    if (key < 256 && fSetSpecialOfChar.Contains(static_cast<unsigned char>(key))) {
        Message.SetResult(1);
        return;
    }
    if (key == VK_TAB && fOnAggregateTab && fOnAggregateTab(false)) {
        Message.SetResult(1);
        return;
    }
    TCustomPanel::CMWantSpecialKey(Message);
}

void TxoOffscreenPaint::WMMouseWheel(TWMMouseWheel& Message) {
    TCustomPanel::WMMouseWheel(Message);
    if (fOnWheelScroll) fOnWheelScroll(Message);
}

void TxoOffscreenPaint::DragOver(TObject* Source, int X, int Y, TDragState State, bool& Accept) {
    if (Y < 5)
        PossibleScroll(tsdUp);
    else if (Y > Height() - fVertInset - 5)
        PossibleScroll(tsdDown);
    else if (X < 5)
        PossibleScroll(tsdLeft);
    else if (X > Width() - fHorzInset - 5)
        PossibleScroll(tsdRight);
    TCustomPanel::DragOver(Source, X, Y, State, Accept);
}

// ---- Printing -------------------------------------------------------------------------------
void TxoOffscreenPaint::BeginPrint() { ++fIsPrinting; }

void TxoOffscreenPaint::EndPrint() {
    --fIsPrinting;
    if (fIsPrinting == 0) Invalidate();
}

double TxoOffscreenPaint::GetFontScale(TCanvas* aCanvas) {
    if (!aCanvas) return 1;
    aCanvas->Font()->SetSize(8);
    int h = aCanvas->TextHeight("X");
    return h == 0 ? 1.0 : 13.0 / h;
}

void TxoOffscreenPaint::CalculateFontScale() { fPrintFontscale = GetFontScale(OffscreenCanvas()); }

void TxoOffscreenPaint::PrintResizeFont() {
    if (!IsPrinting()) return;
    TFont* font = OffscreenCanvas()->Font();
    int FontSize = font->Size();
    bool DefaultResize = true;
    if (fOnPrintResizeFont) {
        fOnPrintResizeFont(this, FontSize, DefaultResize);
        if (!DefaultResize) font->SetSize(FontSize);
    }
    if (DefaultResize) font->SetSize(int(Round(FontSize * fPrintFontscale * PrintScaley())));
}

void TxoOffscreenPaint::SetSizeDontTell(const TRect& aRect) { UpdateBoundsRect(aRect); }

void TxoOffscreenPaint::SetActiveXOwner(void* aAggregateOwnerInterface, TWinControl* aAggregateOwner,
                                        TOnTab aOnAggregateTab) {
    fAggregateOwnerInterface = aAggregateOwnerInterface;
    fAggregateOwner = aAggregateOwner;
    fOnAggregateTab = std::move(aOnAggregateTab);
}

void TxoOffscreenPaint::Print(HDC aHDC, int x, int y, double aScaleX, double aScaleY, bool aUpdateBounds) {
    FPrintx = x;
    FPrinty = y;
    FPrintScalex = aScaleX;
    FPrintScaley = aScaleY;
    const int l = Left(), t = Top(), w = Width(), h = Height();
    const int pw = aUpdateBounds ? int(Round(w * PrintScalex())) : w;
    const int ph = aUpdateBounds ? int(Round(h * PrintScaley())) : h;

    // Everything below is undone on every exit, also when the paint hook raises.
    TPoint oldOrigin;
    bool originSaved = false;
    HRGN savedClip = nullptr;
    HRGN printClip = nullptr;
    int hadClip = 0;
    xo::ScopeExit restore([&] {
        if (printClip) {
            SelectClipRgn(aHDC, hadClip == 1 ? savedClip : nullptr);
            DeleteObject(printClip);
        }
        if (savedClip) DeleteObject(savedClip);
        delete fTemporaryPrintingCanvas;
        fTemporaryPrintingCanvas = nullptr;
        if (originSaved) SetViewportOrgEx(aHDC, oldOrigin.X, oldOrigin.Y);
        SetSizeDontTell(TRect(l, t, l + w, t + h));
        EndPrint();
    });

    SetSizeDontTell(TRect(l, t, l + pw, t + ph));
    fTemporaryPrintingCanvas = new TCanvas;
    BeginPrint();
    originSaved = GetViewportOrgEx(aHDC, &oldOrigin);
    SetViewportOrgEx(aHDC, x, y);
    savedClip = CreateRectRgn(0, 0, 0, 0);
    hadClip = GetClipRgn(aHDC, savedClip);
    fTemporaryPrintingCanvas->SetHandle(aHDC);
    printClip = CreateRectRgn(x, y, x + pw, y + ph);
    SelectClipRgn(aHDC, printClip);
    CalculateFontScale();
    OffscreenPaint();
    // Back to the caller's clip before the hook, as a finished print would leave it.
    SelectClipRgn(aHDC, hadClip == 1 ? savedClip : nullptr);
    DeleteObject(printClip);
    printClip = nullptr;
    if (fOnPrintBeforeResettingScale) fOnPrintBeforeResettingScale(this);
}
