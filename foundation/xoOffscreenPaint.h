// The double-buffered panel every drawn view of the library paints on. A paint renders the
// whole control into an offscreen bitmap through one hook (OffscreenPaint / OnPaint) and then
// copies it to the screen; printing calls the same hook on a printer's device context.
#pragma once

#include "platform/plControls.h"
#include "platform/plGraphics.h"

#include <functional>
#include <memory>

enum TScrollDirection { tsdUp, tsdDown, tsdLeft, tsdRight };

class TxoOffscreenPaint;

// perform false: does the host take the Tab key? perform true: do the host's Tab navigation.
using TOnTab = std::function<bool(bool perform)>;
using TWheelMessageEvent = std::function<void(TWMMouseWheel& Msg)>;
using TOnPrintResizeFont = std::function<void(TxoOffscreenPaint* caller, int& FontSize, bool& DefaultResize)>;

class TxoOffscreenPaint : public TCustomPanel {
public:
    explicit TxoOffscreenPaint(TComponent* AOwner);
    ~TxoOffscreenPaint() override;

    // The paint hook: draws the whole control on OffscreenCanvas. The base calls OnPaint.
    virtual void OffscreenPaint();
    // Copies the offscreen bitmap to the screen, leaving the scroll-bar corner in button face.
    virtual void SmashPaint();
    // Views that scroll take one step in that direction; the base does nothing.
    virtual void PossibleScroll(TScrollDirection direction);
    virtual void BeginUpdate();
    // Always invalidates, even while the counter is still above 0.
    virtual void EndUpdate();
    // Paints the control onto aHDC with its top-left at (x, y), scaled by aScaleX/aScaleY
    // (0 counts as 1). With aUpdateBounds the control is laid out at the printed size while
    // it paints. Everything it changes is restored on every exit.
    virtual void Print(HDC aHDC, int x, int y, double aScaleX, double aScaleY, bool aUpdateBounds);

    void Invalidate() override;
    void Repaint() override;

    // After setting a font on OffscreenCanvas while printing: scales its size to the print.
    void PrintResizeFont();
    // 13 / (height of "X" in 8 points on aCanvas), or 1 when that height is 0.
    static double GetFontScale(TCanvas* aCanvas);
    void InternalSetPrintScalex(double scale) { FPrintScalex = scale; }
    void InternalSetPrintScaley(double scale) { FPrintScaley = scale; }
    void BeginPrint();
    void EndPrint();
    // Sets the bounds without the resize notifications.
    void SetSizeDontTell(const TRect& aRect);
    void SetActiveXOwner(void* aAggregateOwnerInterface, TWinControl* aAggregateOwner, TOnTab aOnAggregateTab);

    // While printing with a temporary printing canvas, that canvas; otherwise the bitmap's.
    TCanvas* OffscreenCanvas() const;
    TCanvas* DirectCanvas() { return Canvas(); }
    const TCharSet& CatchSpecialChars() const { return fSetSpecialOfChar; }
    void SetCatchSpecialChars(const TCharSet& Value) { fSetSpecialOfChar = Value; }
    bool IsPrinting() const { return fIsPrinting > 0; }
    int Printx() const { return FPrintx; }
    int Printy() const { return FPrinty; }
    double PrintScalex() const { return FPrintScalex == 0 ? 1.0 : FPrintScalex; }
    double PrintScaley() const { return FPrintScaley == 0 ? 1.0 : FPrintScaley; }
    double PrintFontscale() const { return fPrintFontscale; }
    double Scalex() const { return IsPrinting() ? PrintScalex() : 1.0; }
    double Scaley() const { return IsPrinting() ? PrintScaley() : 1.0; }
    bool AssignedPrintingCanvas() const { return fTemporaryPrintingCanvas != nullptr; }

    TNotifyEvent OnPaint() const { return FOnPaint; }
    void SetOnPaint(TNotifyEvent Value) { FOnPaint = std::move(Value); }
    TNotifyEvent OnPrintBeforeResettingScale() const { return fOnPrintBeforeResettingScale; }
    void SetOnPrintBeforeResettingScale(TNotifyEvent Value) { fOnPrintBeforeResettingScale = std::move(Value); }
    TWheelMessageEvent OnWheelScroll() const { return fOnWheelScroll; }
    void SetOnWheelScroll(TWheelMessageEvent Value) { fOnWheelScroll = std::move(Value); }
    TOnPrintResizeFont OnPrintResizeFont() const { return fOnPrintResizeFont; }
    void SetOnPrintResizeFont(TOnPrintResizeFont Value) { fOnPrintResizeFont = std::move(Value); }
    bool Clocking() const { return fClocking; }
    void SetClocking(bool Value) { fClocking = Value; }
    int HorzInset() const { return fHorzInset; }
    void SetHorzInset(int Value) { fHorzInset = Value; }
    int VertInset() const { return fVertInset; }
    void SetVertInset(int Value) { fVertInset = Value; }
    // Platform invalidations passed on since creation (one per paint at most).
    int InvalidationsPassed() const { return fInvalidationsPassed; }
    int UpdateCount() const { return fUpdate; }

protected:
    void Paint() override;
    void WndProc(TMessage& Message) override;
    // Near an edge, asks PossibleScroll for that direction, then the usual drag-over.
    void DragOver(TObject* Source, int X, int Y, TDragState State, bool& Accept) override;
    // Never erases: the paint covers every pixel, and erasing first would flicker.
    void WMEraseBkgnd(TWMEraseBkgnd& Message) override;
    void WMSetFocus(TWMSetFocus& Message) override;
    void WMKillFocus(TWMKillFocus& Message) override;
    void CMFocusChanged(TCMFocusChanged& Message) override;
    void CMWantSpecialKey(TCMWantSpecialKey& Message) override;
    void WMMouseWheel(TWMMouseWheel& Message) override;

private:
    void CalculateFontScale();

    void* fAggregateOwnerInterface = nullptr;
    TWinControl* fAggregateOwner = nullptr;
    TOnTab fOnAggregateTab;
    TCanvas* fOffscreenCanvas = nullptr;
    TCanvas* fTemporaryPrintingCanvas = nullptr;
    TNotifyEvent FOnPaint;
    int fUpdate = 0;
    TNotifyEvent fOnPrintBeforeResettingScale;
    TWheelMessageEvent fOnWheelScroll;
    int fIsPrinting = 0;
    bool fClocking = false;
    int fHorzInset = 0;
    int fVertInset = 0;
    TOnPrintResizeFont fOnPrintResizeFont;
    std::unique_ptr<TBitmap> fDrawBitmap;
    TCharSet fSetSpecialOfChar;
    int fInvalidateCount = 0;
    int64_t fPerf = 0;
    int fPerfCount = 0;
    int FPrintx = 0;
    int FPrinty = 0;
    double FPrintScalex = 0;
    double FPrintScaley = 0;
    double fPrintFontscale = 1;
    int fInvalidationsPassed = 0;
};
