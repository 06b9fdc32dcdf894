// Interaction with the date scaler: zoom and pan by dragging, the scroll buttons, stepping
// driven by the owner, and animated zooms and moves.
#include "scaler/xoScaler.h"

#include "platform/plDateUtils.h"
#include "platform/plThreads.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr TDateTime kTwoSeconds = 2000.0 / 86400000.0;
constexpr TDateTime kFiveSeconds = 5000.0 / 86400000.0;

class TUpdateBracket {
public:
    explicit TUpdateBracket(TxoDateScaler* aScaler) : fScaler(aScaler) { fScaler->BeginUpdate(); }
    ~TUpdateBracket() { fScaler->EndUpdate(); }
    TUpdateBracket(const TUpdateBracket&) = delete;
    TUpdateBracket& operator=(const TUpdateBracket&) = delete;

private:
    TxoDateScaler* fScaler;
};
} // namespace

bool TxoDateScaler::RescaleNotPan() {
    bool ctrl = fShift.Contains(ssCtrl);
    return fRescaleWithCtrl ? ctrl : !ctrl;
}

TDateTime TxoDateScaler::GetScrollStep() {
    return PixelLenToDate(15);
}

bool TxoDateScaler::StepTimerEnabled() const {
    return fScrollTimer && fScrollTimer->Enabled();
}

void TxoDateScaler::RefreshNow() {
    Refresh();
}

void TxoDateScaler::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (!fDown) fMouseDownTime = Now();
    fDown = true;
    fDownX = X;
    fDownY = Y;
    fDownScale = GetScale();
    fShift = Shift;
    fDownPix = fHorizontal ? X : Y;
    fDownDate = PixelToDate(fDownPix);
    TxoOffscreenPaint::MouseDown(Button, Shift, X, Y);
    TPoint p(X, Y);
    if (PtInRect(fDownButtonRect, p)) {
        fScrollADDTIME = true;
        fScrollTimer->SetEnabled(true);
    } else if (PtInRect(fUpButtonRect, p)) {
        fScrollSUBTIME = true;
        fScrollTimer->SetEnabled(true);
    }
    if (CanFocus()) SetFocus();
    if (Button == mbLeft) fDownDate = Snap(fDownDate, fSmallStep);
}

void TxoDateScaler::MouseMove(TShiftState Shift, int X, int Y) {
    TxoOffscreenPaint::MouseMove(Shift, X, Y);
    if (ComponentState().Contains(csDestroying) || fScrollTimer->Enabled()) return;
    int d = fHorizontal ? X - fDownX : Y - fDownY;
    if (!fDown) return;
    if (RescaleNotPan()) {
        // Each pixel of drag changes the scale by 1 % of the scale at the press; the pressed
        // date stays where it was pressed.
        fReScaling = true;
        if (fDownScale > 0 && d != 0) {
            double s = fDownScale + d * fDownScale * 0.01;
            if (s > 0) SetCenterScale(s, fDownDate, fDownPix);
        }
        return;
    }
    {
        TUpdateBracket bracket(this);
        TDateTime amount = VisibleTimeAmount();
        double perPixel = fCtrlStep / 10;
        // The window follows the pointer by the dragged pixels of visible time, so a drag
        // across hidden time moves as evenly as anywhere else.
        TDateTime g;
        if (d < 1)
            g = VisibleTimeToTrueTime_High(
                VisibleTimeDiffToTrueTime(VisibleTimeToTrueTime_High(fStart), -d * perPixel));
        else
            g = VisibleTimeToTrueTime_Low(
                VisibleTimeDiffToTrueTime(VisibleTimeToTrueTime_Low(fStart), -d * perPixel));
        int len = GetScaleLen();
        TDateTime half = PixelLenToDate(len / 2);
        TDateTime nearHalf = PixelLenToDate(len / 2 - 10);
        if (g < fMinStart - half) g = fMinStart - nearHalf;
        if (g + amount > fMaxStop + half) g = fMaxStop - amount + nearHalf;
        if (CheckIfOkStartStop(g, g + amount)) {
            SetStart(g);
            SetStop(VisibleTimeDiffToTrueTime(fStart, amount));
        }
    }
    fDownX = X;
    fDownY = Y;
}

void TxoDateScaler::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TxoOffscreenPaint::MouseUp(Button, Shift, X, Y);
    fDown = false;
    fScrollTimer->SetEnabled(false);
    fScrollADDTIME = false;
    fScrollSUBTIME = false;
    fReScaling = false;
    // Paint now, so that the OnChange held back during a zoom drag is posted.
    if (!ComponentState().Contains(csDestroying)) RefreshNow();
}

// ---- Scroll buttons and owner stepping ------------------------------------------------------

void TxoDateScaler::ScrollButtonPressed(TObject* /*Sender*/) {
    TPoint p;
    GetCursorPos(&p);
    p = ScreenToClient(p);
    if (!PtInRect(fDownButtonRect, p) && !PtInRect(fUpButtonRect, p) && !fAutScrollStarted) {
        StopStep();
        return;
    }
    if (!fScrollTimer->Enabled()) return;
    DoScrollStep();
}

void TxoDateScaler::DoScrollStep() {
    TUpdateBracket bracket(this);
    TDateTime held = Now() - fMouseDownTime;
    TDateTime a = GetScrollStep();
    if (held > kTwoSeconds) a = 3 * a;
    TDateTime step;
    if (fAutScrollStarted)
        step = GetScrollStep();
    else
        step = held > kFiveSeconds ? 7 * a : a;
    TDateTime s = fStart;
    if (fScrollADDTIME)
        s = VisibleTimeDiffToTrueTime(fStart, step);
    else if (fScrollSUBTIME)
        s = VisibleTimeDiffToTrueTime(fStart, -step);
    if (s != fStart && CheckIfOkStartStop(s, s + VisibleTimeAmount())) SetStart(s);
}

void TxoDateScaler::StartStepUp() {
    fScrollTimer->SetInterval(150);
    fAutScrollStarted = true;
    fScrollADDTIME = true;
    fScrollSUBTIME = false;
    fScrollTimer->SetEnabled(true);
}

void TxoDateScaler::StartStepDown() {
    fScrollTimer->SetInterval(150);
    fAutScrollStarted = true;
    fScrollSUBTIME = true;
    fScrollADDTIME = false;
    fScrollTimer->SetEnabled(true);
}

void TxoDateScaler::StopStep() {
    fScrollTimer->SetInterval(50);
    fAutScrollStarted = false;
    fScrollADDTIME = false;
    fScrollSUBTIME = false;
    fDown = false;
    fReScaling = false;
    fCallOnChangeWhenRefreshed = false;
    fScrollTimer->SetEnabled(false);
    Invalidate();
}

// ---- Zoom steps and animation -----------------------------------------------------------------

void TxoDateScaler::ZoomIn(int aCenterPoint) {
    AnimateScaleTransition(GetPrevScale(GetScale()), aCenterPoint, 20);
}

void TxoDateScaler::ZoomOut(int aCenterPoint) {
    AnimateScaleTransition(GetNextScale(GetScale()), aCenterPoint, 20);
}

void TxoDateScaler::AnimateScaleTransition(double aEndScale, int aSteps) {
    AnimateScaleTransition(aEndScale, 0, aSteps);
}

void TxoDateScaler::AnimateScaleTransition(double aEndScale, int aCenterPix, int aSteps) {
    if (!(aEndScale > 0) || aSteps <= 0) return;
    double s0 = GetScale();
    TDateTime d0 = PixelToDate(aCenterPix);
    double delta = (aEndScale - s0) / aSteps;
    // A step that changes the scale by less than this was stopped by a limit (or the target
    // is reached); small animations use a finer measure than the usual 1e-8.
    double still = std::min(1e-8, std::fabs(delta) / 2);
    double previous = 0;
    for (int i = 0; i < aSteps; ++i) {
        {
            TUpdateBracket bracket(this);
            // The last step lands on the requested scale itself, free of summed rounding.
            double target = i == aSteps - 1 ? aEndScale : GetScale() + delta;
            SetCenterScale(target, d0, aCenterPix);
        }
        double s = GetScale();
        if (std::fabs(s - aEndScale) < 1e-8 || std::fabs(s - previous) < still) break;
        if (fOnAnimateChange) fOnAnimateChange(this);
        fCallOnChangeWhenRefreshed = true;
        RefreshNow();
        previous = s;
        Sleep(10);
    }
}

void TxoDateScaler::AnimateScaleTransition(TDateTime aEndingStart, TDateTime aEndingStop, int aSteps) {
    if (std::isnan(aEndingStart) || std::isnan(aEndingStop)) return;
    if (aEndingStart >= aEndingStop) aEndingStop = aEndingStart + 1;
    if (aSteps <= 0) return;
    TDateTime stop0 = fStop;
    TDateTime dStart = (aEndingStart - fStart) / aSteps;
    // Short moves take fewer, larger steps: at least a minute each.
    while (std::fabs(dStart) < kMinute && aSteps > 1) {
        aSteps /= 2;
        dStart = (aEndingStart - fStart) / aSteps;
    }
    for (int i = 0; i < aSteps; ++i) {
        bool last = i == aSteps - 1;
        TDateTime newStart = last ? aEndingStart : fStart + dStart;
        TDateTime newStop = last ? aEndingStop : fStop + (aEndingStop - stop0) / aSteps;
        if (!CheckIfOkStartStop(newStart, newStop)) break;
        {
            TUpdateBracket bracket(this);
            SetStart(newStart);
            SetStop(newStop);
        }
        if (fOnAnimateChange) fOnAnimateChange(this);
        fCallOnChangeWhenRefreshed = true;
        RefreshNow();
        Sleep(10);
    }
}
