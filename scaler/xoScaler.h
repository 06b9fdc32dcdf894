// The date scaler: a window of time (Start .. Stop) laid along the control's width or height,
// with hidden week days and hidden hours cut out of the axis, two rows of marks whose steps
// follow the zoom level, and zoom and pan by mouse. It is the time axis of the Gantt chart and
// of the schedule view and can be placed on a form by itself.
//
// Two kinds of time: true time (ordinary TDateTime values; Start, Stop and every date passed in
// or out) and visible time (a duration that counts only what is not hidden). Every pixel of the
// axis stands for the same amount of visible time, so hidden time takes no room.
#pragma once

#include "foundation/xoOffscreenPaint.h"
#include "platform/plTypes.h"

#include <functional>
#include <memory>
#include <vector>

// ---- Units (durations in days) ----------------------------------------------------------------
// The values equal the differences of encoded dates and times they are named after:
// 1998-01-01 - 1997-01-01, 1997-01-31 - 1997-01-01 (30, not 31), and so on.
inline constexpr TDateTime kYear = 365;
inline constexpr TDateTime kMonth = 30;
inline constexpr TDateTime kWeek = 7;
inline constexpr TDateTime kDay = 1;
inline constexpr TDateTime kHour = 3600000.0 / 86400000.0;
inline constexpr TDateTime kMinute = 60000.0 / 86400000.0;

// ---- Steps of the scale marks ---------------------------------------------------------------
// Differences of encoded dates in the years 1 and 2, or encoded times. Steps are compared by
// exact equality, so only these values are ever steps.
inline constexpr TDateTime kScale10Hun = 10.0 / 86400000.0;
inline constexpr TDateTime kScale1Sec = 1000.0 / 86400000.0;
inline constexpr TDateTime kScale10Sec = 10000.0 / 86400000.0;
inline constexpr TDateTime kScale1Min = 60000.0 / 86400000.0;
inline constexpr TDateTime kScale10Min = 600000.0 / 86400000.0;
inline constexpr TDateTime kScale1Hour = 3600000.0 / 86400000.0;
inline constexpr TDateTime kScale1Day = 1;
inline constexpr TDateTime kScale1Week = 7;
inline constexpr TDateTime kScale1Month = 27; // 0001-01-28 - 0001-01-01
inline constexpr TDateTime kScale3Month = 86; // 0001-03-28 - 0001-01-01
inline constexpr TDateTime kScale1Year = 365;
inline constexpr TDateTime kScale10Year = 3652;
inline constexpr TDateTime kScale20Year = 7305;
inline constexpr TDateTime kScale100Year = 36524;

// ---- Zoom thresholds (days per pixel) -----------------------------------------------------------
// At each of these scales, with 15 pixels per mode switch, the named pair of rows is shown;
// together they form the ladder of zoom steps.
inline constexpr double ScaleDoubleDecadesAndDecades = 40.62;
inline constexpr double ScaleDecadesAndYear = 10.64;
inline constexpr double ScaleYearAndQuorter = 2;
inline constexpr double ScaleQuorterAndMonth = 1;
inline constexpr double ScaleMonthAndWeek = 0.0927;
inline constexpr double ScaleWeekAndDay = 0.0347;
inline constexpr double ScaleDayAndHour = 0.0018;
inline constexpr double ScaleHourAnd10Minute = 0.0002;
inline constexpr double Scale10MinuteAndMinute = 0.0000314;
inline constexpr double ScaleMinuteAnd10Sec = 0.00000283;
inline constexpr double Scale10SecAndSec = 0.0000006;

// The next finer zoom level below x (the largest threshold t with x > t + 0.0000003), and the
// next coarser one above x. Beyond the ends of the ladder they answer 0: no level.
double GetPrevScale(double x);
double GetNextScale(double x);

// ---- Types ------------------------------------------------------------------------------------
// A day is hidden when its member (day of week - 1, with 1 = Sunday) is in the set.
enum TxoHiddenDaysEnum { thdSUN, thdMON, thdTUE, thdWED, thdTHU, thdFRI, thdSAT };
using TxoHiddenDays = TSet<TxoHiddenDaysEnum, 7>;

// clang-format off
enum TxoHiddenHoursEnum {
    thh00, thh01, thh02, thh03, thh04, thh05, thh06, thh07, thh08, thh09, thh10, thh11,
    thh12, thh13, thh14, thh15, thh16, thh17, thh18, thh19, thh20, thh21, thh22, thh23
};
// clang-format on
using TxoHiddenHours = TSet<TxoHiddenHoursEnum, 24>;

enum TIndicatorStyle { isNone, isNormal, isColorfull, isSober };
enum TLookAndFeel { tlfClassic, tlfBoxed };
enum TScrollButtons { tsbClassic, tsbSmall, tsbOff };
enum TScalerFont { sTextFont1, sTextFont2, sTextFont3 };

class TxoDateScaler;

// Returning true refuses a zoom.
using TOnLimitScaling =
    std::function<bool(TxoDateScaler* caller, TDateTime aStart, TDateTime aStop, double aScale)>;
using TOnUserStringEvent =
    std::function<void(TDateTime theDate, TDateTime theStep, String& theResult, TScalerFont& theScalerFont)>;
using TOnInfoStringEvent = std::function<void(String& theResult, TScalerFont& theScalerFont)>;
using TOnScalerUserDraw = std::function<void(TxoDateScaler* caller, TCanvas* aCanvas, const TRect& aRect)>;

// One mark of the scale, owned by the list that holds it.
class TScaleMark : public TObject {
public:
    bool LongNotShort = false;
    TDateTime DateTime = 0; // a step boundary
    double Pixel = 0;       // along the axis; the first may be negative, the last reaches the end
    String PresString;
    TScalerFont ScalerFont = sTextFont1;
    bool Hidden = false; // no visible time up to the next mark: no tick, no label, no box line
    String SubShortStr;
    TScalerFont SubShortScalerFont = sTextFont1;
};

using TScaleMarkList = std::vector<std::unique_ptr<TScaleMark>>;

// The window message through which OnChange reaches the application after a repaint.
namespace xo {
constexpr uint32_t kScalerChangeMessage = WM_USER + 1998; // 3022
}

class TxoDateScaler : public TxoOffscreenPaint {
public:
    explicit TxoDateScaler(TComponent* AOwner);
    ~TxoDateScaler() override;
    String ClassName() const override { return "TxoDateScaler"; }

    void OffscreenPaint() override;
    void BeginUpdate() override;
    // Recomputes the marks and invalidates.
    void EndUpdate() override;
    // Prints through the base with the marks recomputed in printer pixels; restores the screen
    // marks afterwards, also when painting fails.
    void Print(HDC aHDC, int x, int y, double aScaleX, double aScaleY, bool aUpdateBounds) override;

    // ---- Time axis ----------------------------------------------------------------------------
    // Pixel of a time of day against the time of day of Start; dates and hidden time ignored.
    virtual int TimeToPixel(TDateTime time);
    // Zooms to aScale keeping theBaseDate at pixel aPix, within the limits and OnLimitScaling.
    virtual void SetCenterScale(double aScale, TDateTime theBaseDate, int aPix);
    virtual TDateTime PixelLenToDate(double thePixelLen);
    // Keeps Start and moves Stop so that the axis shows value x axis length of visible time.
    virtual void SetScale(double value);
    // Width when horizontal, else height.
    virtual int GetScaleLen();

    TDateTime VisibleTimeAmount();
    // Visible time per pixel; 0 without a usable axis or window.
    double GetScale();
    double Scale() { return GetScale(); }

    // Visible time from theBaseDate to theDate, negative when theDate is earlier.
    TDateTime DateDiffToVisibleTime(TDateTime theBaseDate, TDateTime theDate);
    // The true date theTime of visible time after (before, when negative) theBaseDate: moving
    // forward the first such instant, moving backward the last; never below 0.
    TDateTime VisibleTimeDiffToTrueTime(TDateTime theBaseDate, TDateTime theTime);
    // theDateTime, or the first visible instant after it when it is hidden.
    TDateTime VisibleTimeToTrueTime_High(TDateTime theDateTime);
    // theDateTime, or the last visible millisecond before it when it is hidden; never below 0.
    TDateTime VisibleTimeToTrueTime_Low(TDateTime theDateTime);
    // Floating pixel length of the visible time between the two dates (printer pixels while
    // printing).
    double DateDiffToPixelLength(TDateTime theBaseDate, TDateTime theDate);
    // Pixel of a date, anchored on the short mark before it; a hidden instant takes the pixel
    // of the next visible one. 0 without a window.
    int DateToPixel(TDateTime theDate);
    // The date whose exact position on the axis is the pixel (inside hidden time the last
    // visible millisecond before it); beyond the marks extrapolated with hidden time removed.
    TDateTime PixelToDate(int thePixel);
    // round((mark date - Start) x axis length / VisibleTimeAmount): true time, hidden time kept.
    int GetPixelFromScaleMark(const TScaleMark* mark);
    // The short marks around a date (by bisection) or a pixel; none where there is none.
    void FindScaleMarksFromDate(TDateTime theDate, TScaleMark*& prev, TScaleMark*& next);
    void FindScaleMarksFromPixel(int thePixel, TScaleMark*& prev, TScaleMark*& next);
    // True when aStart >= MinStart - half an axis of time and aStop <= MaxStop + half an axis.
    bool CheckIfOkStartStop(TDateTime aStart, TDateTime aStop);

    bool IsHiddenDay(TDateTime day);
    bool IsHiddenHour(int hour);
    int GetHiddenHourCount() const { return fHiddenHoursCount; }
    TDateTime VisibleTimeForDay(TDateTime day);
    TDateTime VisibleTimeForWeek();
    // Visible part of the stretch of one day that begins at time of day start and lasts length.
    TDateTime VisibleTimeForPartOfDay(TDateTime day, TDateTime length, TDateTime start);
    // x on screen; while printing, x times the print scale along the axis.
    double ScalePixel(double x);
    // Keeps the time per pixel after a resize (run by the screen paint).
    void HandleFixedScaleResizing();

    // ---- Marks --------------------------------------------------------------------------------
    // Rebuilds both mark lists for the current window and scale.
    void CalcDrawMode();
    // The smallest step greater than time, and its name; 100 years from 20 years on.
    TDateTime StepFork(TDateTime time, String& name);
    TDateTime Snap(TDateTime theDate, TDateTime theStep);
    // Distance from theDate to the next mark of theStep.
    TDateTime GetAdaptiveStep(TDateTime theDate, TDateTime theStep);
    String GetApprioateStringShort(TDateTime theDate, TDateTime theStep, TScalerFont& font, int pixelWidth,
                                   String& subString, TScalerFont& subFont);
    String GetApprioateStringLong(TDateTime theDate, TDateTime theStep, TScalerFont& font);
    String GetWeekString(const String& aFormat, TDateTime theDate, bool shortForm, int width);
    int GetWeekNum(TDateTime theDate, bool& theReturnedWeekBelongsInNextYear);
    TDateTime FirstWeekOfYear(TDateTime theDate, bool& weekOneHoldsJanuaryFirst);
    TDateTime TruncToFirstDayOfWeek(TDateTime theDate);
    int DateToQuarter(TDateTime theDate);
    // Parity start of the stripes between long marks (computed at the end of CalcDrawMode).
    int GetOddOrEventStartForVerticalBack() const { return fOddOrEven; }

    const TScaleMarkList& ShortScaleMarkDrawList() const { return fShortScaleMarkDrawList; }
    const TScaleMarkList& LongScaleMarkDrawList() const { return fLongScaleMarkDrawList; }
    // Rounded pixels of every short and long mark at the last paint, hidden marks included.
    const std::vector<int>& ShortLinePos() const { return fShortLinePos; }
    const std::vector<int>& LongLinePos() const { return fLongLinePos; }
    TDateTime SmallStep() const { return fSmallStep; }
    TDateTime LongStep() const { return fLongStep; }
    const String& SmallStepName() const { return fSmallStepName; }
    const String& LongStepName() const { return fLongStepName; }

    // ---- Painting -----------------------------------------------------------------------------
    void DoThePaint(TCanvas* aCanvas, const TRect& aRect);
    TFont* ScalerFontOf(TScalerFont f) const;
    const TRect& UpButtonRect() const { return fUpButtonRect; }
    const TRect& DownButtonRect() const { return fDownButtonRect; }

    // ---- Interaction ----------------------------------------------------------------------------
    bool RescaleNotPan();
    TDateTime GetScrollStep();
    void ScrollButtonPressed(TObject* Sender);
    void StartStepUp();
    void StartStepDown();
    void StopStep();
    void ZoomIn(int aCenterPoint);
    void ZoomOut(int aCenterPoint);
    void AnimateScaleTransition(double aEndScale, int aSteps);
    void AnimateScaleTransition(double aEndScale, int aCenterPix, int aSteps);
    void AnimateScaleTransition(TDateTime aEndingStart, TDateTime aEndingStop, int aSteps);
    bool ReScaling() const { return fReScaling; }
    bool Down() const { return fDown; }
    bool StepTimerEnabled() const;

    // ---- Properties ---------------------------------------------------------------------------
    const String& DateFormat() const { return fDateFormat; }
    void SetDateFormat(const String& Value) { fDateFormat = Value; }
    const String& TimeFormat() const { return fTimeFormat; }
    void SetTimeFormat(const String& Value) { fTimeFormat = Value; }
    int FirstDayOfWeek() const { return fFirstDayOfWeek; }
    void SetFirstDayOfWeek(int Value) { fFirstDayOfWeek = Value; }
    bool WeekNumbers() const { return fWeekNumbers; }
    void SetWeekNumbers(bool Value) { fWeekNumbers = Value; }
    const String& WeekPrefix() const { return fWeekPrefix; }
    void SetWeekPrefix(const String& Value) { fWeekPrefix = Value; }
    const String& WeekYearFormat() const { return fWeekYearFormat; }
    void SetWeekYearFormat(const String& Value) { fWeekYearFormat = Value; }
    const String& QuarterPrefix() const { return fQuarterPrefix; }
    void SetQuarterPrefix(const String& Value) { fQuarterPrefix = Value; }
    TxoHiddenHours HiddenHours() const { return fHiddenHours; }
    // Hiding every hour (or every day) hides nothing. Both keep the time per pixel: Stop moves.
    void SetHiddenHours(TxoHiddenHours Value);
    TxoHiddenDays HiddenDays() const { return fHiddenDays; }
    void SetHiddenDays(TxoHiddenDays Value);
    bool IndicatorOn() const { return fIndicatorOn; }
    void SetIndicatorOn(bool Value) { fIndicatorOn = Value; }
    bool Horizontal() const { return fHorizontal; }
    void SetHorizontal(bool Value) { fHorizontal = Value; }
    int PixelsForModeSwitch() const { return fPixelsForModeSwitch; }
    void SetPixelsForModeSwitch(int Value) { fPixelsForModeSwitch = Value; }
    TDateTime Start() const { return GetStart(); }
    TDateTime GetStart() const { return fStart; }
    // Never below 0, nor earlier than half an axis of visible time before MinStart; the window
    // keeps its visible amount.
    void SetStart(TDateTime Value);
    TDateTime Stop() const { return GetStop(); }
    TDateTime GetStop() const { return fStop; }
    // Never later than half an axis of visible time after MaxStop, nor than 4000-01-01.
    void SetStop(TDateTime Value);
    TDateTime MinStart() const { return fMinStart; }
    void SetMinStart(TDateTime Value) { fMinStart = Value; }
    TDateTime MaxStop() const { return fMaxStop; }
    void SetMaxStop(TDateTime Value) { fMaxStop = Value; }
    double ZoomFactor() const { return fZoomFactor; }
    void SetZoomFactor(double Value) { fZoomFactor = Value; }
    TIndicatorStyle IndicatorStyle() const { return fIndicatorStyle; }
    void SetIndicatorStyle(TIndicatorStyle Value) { fIndicatorStyle = Value; }
    bool RescaleWithCtrl() const { return fRescaleWithCtrl; }
    void SetRescaleWithCtrl(bool Value) { fRescaleWithCtrl = Value; }
    TFont* TextFont1() const { return fTextFont1.get(); }
    TFont* TextFont2() const { return fTextFont2.get(); }
    TFont* TextFont3() const { return fTextFont3.get(); }
    void SetTextFont1(TFont* Value);
    void SetTextFont2(TFont* Value);
    void SetTextFont3(TFont* Value);
    bool LongDatesToLeftEnd() const { return fLongDatesToLeftEnd; }
    void SetLongDatesToLeftEnd(bool Value) { fLongDatesToLeftEnd = Value; }
    TLookAndFeel LookAndFeel() const { return fLookAndFeel; }
    void SetLookAndFeel(TLookAndFeel Value);
    TScrollButtons ScrollButtons() const { return fScrollButtons; }
    void SetScrollButtons(TScrollButtons Value);
    bool VerticalText() const { return fVerticalText; }
    void SetVerticalText(bool Value) { fVerticalText = Value; }
    TDateTime CtrlStep() const { return fCtrlStep; }

    TNotifyEvent OnChange() const { return fOnChange; }
    void SetOnChange(TNotifyEvent Value) { fOnChange = std::move(Value); }
    TNotifyEvent OnAnimateChange() const { return fOnAnimateChange; }
    void SetOnAnimateChange(TNotifyEvent Value) { fOnAnimateChange = std::move(Value); }
    TOnUserStringEvent OnUserStringShort() const { return fOnUserStringShort; }
    void SetOnUserStringShort(TOnUserStringEvent Value) { fOnUserStringShort = std::move(Value); }
    TOnUserStringEvent OnUserStringLong() const { return fOnUserStringLong; }
    void SetOnUserStringLong(TOnUserStringEvent Value) { fOnUserStringLong = std::move(Value); }
    TOnUserStringEvent OnUserStringShortSub() const { return fOnUserStringShortSub; }
    void SetOnUserStringShortSub(TOnUserStringEvent Value) { fOnUserStringShortSub = std::move(Value); }
    TOnInfoStringEvent OnInfoStringEvent() const { return fOnInfoStringEvent; }
    void SetOnInfoStringEvent(TOnInfoStringEvent Value) { fOnInfoStringEvent = std::move(Value); }
    TOnLimitScaling OnLimitScaling() const { return fOnLimitScaling; }
    void SetOnLimitScaling(TOnLimitScaling Value) { fOnLimitScaling = std::move(Value); }
    TOnScalerUserDraw OnUserDrawBackground() const { return fOnUserDrawBackground; }
    void SetOnUserDrawBackground(TOnScalerUserDraw Value) { fOnUserDrawBackground = std::move(Value); }
    TOnScalerUserDraw OnUserDrawForeground() const { return fOnUserDrawForeground; }
    void SetOnUserDrawForeground(TOnScalerUserDraw Value) { fOnUserDrawForeground = std::move(Value); }

protected:
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void Resize() override;
    void WndProc(TMessage& Message) override;
    // Handler of the deferred change message: calls OnChange.
    void CallChange(TMessage& Message);

private:
    // Visible time of day d (floor of a date) in [0, x) for a visible day, x in [0, 1].
    TDateTime VisibleBefore(TDateTime x) const;
    // Earliest time of day at which theVisible of a visible day has passed (0 < theVisible <=
    // the day's visible time), and the latest at which only theVisible has passed.
    TDateTime EarliestAtVisible(TDateTime theVisible) const;
    TDateTime LatestAtVisible(TDateTime theVisible) const;
    TDateTime WholeDaysVisible(int64_t firstDay, int64_t lastDay);
    void UpdateHiddenHourTables();
    void ClearMarks();
    void BuildMarkRow(TScaleMarkList& list, TDateTime s, bool longRow);
    void CalcOddOrEventStartForVerticalBack();
    void SnapFailed();
    void AfterWindowChange();
    void KeepScaleAfterHiddenChange();

    // Painting helpers.
    void CalcPixAndDrawScaleMarks(const TScaleMarkList& list, int sx, int sy, TCanvas* aCanvas,
                                  const TRect& aRect, std::vector<int>& linePos);
    // Draws the labels of one row (with measureOnly it only works out where they go). A label
    // that would overlap a rectangle of avoid is dropped; placed receives those it places.
    void DrawScaleMarksText(const TScaleMarkList& list, int sx, int sy, TCanvas* aCanvas, const TRect& aRect,
                            bool isShortRow, const std::vector<TRect>* avoid = nullptr,
                            std::vector<TRect>* placed = nullptr, bool measureOnly = false);
    // The range indicator's text for this paint (after OnInfoStringEvent) and where it goes.
    void PrepareIndicatorText(TCanvas* aCanvas);
    void NormalIndicatorRange(TDateTime& lo, TDateTime& hi, String& text);
    int GetScaleMarkPix(const TScaleMarkList& list, int i, bool leftPlaced);
    bool TermsForLeftPlacedText(const TScaleMark* mark);
    int GetBoxPix(const TScaleMarkList& list, int i);
    void DrawBoxes(TCanvas* aCanvas, const TRect& aRect);
    void RotateFontIfNeeded(TFont* aFont);
    void DrawScrollButtons(TCanvas* aCanvas);
    void DrawTriangleButton(TCanvas* aCanvas, const TRect& r, TScrollDirection direction, bool held);
    void DrawScaleIndicator(TCanvas* aCanvas);
    void NormalIndicator(TCanvas* aCanvas);
    void ColorFullIndicator(TCanvas* aCanvas);
    void SoberIndicator(TCanvas* aCanvas);
    void DoBackground(TCanvas* aCanvas, const TRect& aRect);
    void DoForeground(TCanvas* aCanvas, const TRect& aRect);
    void ApplyTextFont(TCanvas* aCanvas, TScalerFont f);
    void PostChangeIfDue();

    // Steps the window while a scroll button is held (or the owner steps).
    void DoScrollStep();
    void RefreshNow();

    bool fWeekNumbers = false;
    std::unique_ptr<TFont> fTextFont1;
    std::unique_ptr<TFont> fTextFont2;
    std::unique_ptr<TFont> fTextFont3;
    TIndicatorStyle fIndicatorStyle = isNormal;
    bool fRescaleWithCtrl = false;
    TLookAndFeel fLookAndFeel = tlfClassic;
    TScrollButtons fScrollButtons = tsbClassic;
    bool fVerticalText = false;
    TOnLimitScaling fOnLimitScaling;
    TDateTime fMinStart = 0;
    TDateTime fMaxStop = 0;
    TNotifyEvent fOnAnimateChange;
    TDateTime fOldStart = 0;
    TDateTime fOldStop = 0;
    TDateTime fVisibleTimeAmount = 0;
    bool fVisibleTimeForWeekOutOfDate = true;
    TDateTime fVisibleTimeForWeek = 0;
    TxoHiddenHours fHiddenHours;
    TxoHiddenDays fHiddenDays;
    int fHiddenDaysCount = 0;
    int fHiddenHoursCount = 0;
    TDateTime fStopOnLastDraw = 0;
    bool fWasResized = false;
    TOnScalerUserDraw fOnUserDrawBackground;
    TOnScalerUserDraw fOnUserDrawForeground;
    bool fLongDatesToLeftEnd = false;
    int fOddOrEven = 0;
    std::vector<int> fShortLinePos;
    TScaleMarkList fShortScaleMarkDrawList;
    TScaleMarkList fLongScaleMarkDrawList;
    TDateTime fSmallStep = 0;
    TDateTime fLongStep = 0;
    String fSmallStepName;
    String fLongStepName;
    int fPixelsForModeSwitch = 15;
    TNotifyEvent fOnChange;
    TDateTime fStart = 0;
    TDateTime fStop = 0;
    bool fHorizontal = false;
    bool fReScaling = false;
    bool fDown = false;
    int fDownX = 0;
    int fDownY = 0;
    double fDownScale = 0;
    TShiftState fShift;
    String fTimeFormat;
    String fDateFormat;
    String fWeekPrefix;
    String fQuarterPrefix;
    String fWeekYearFormat;
    bool fCallOnChangeWhenRefreshed = false;
    std::vector<int> fLongLinePos;
    TRect fUpButtonRect;
    TRect fDownButtonRect;
    bool fScrollSUBTIME = false;
    bool fScrollADDTIME = false;
    TTimer* fScrollTimer = nullptr; // owned through the component ownership
    int fDownPix = 0;
    TDateTime fDownDate = 0;
    bool fIndicatorOn = true;
    TDateTime fCtrlStep = 0;
    double fZoomFactor = 0;
    TDateTime fMouseDownTime = 0;
    int fFirstDayOfWeek = 2;
    TOnUserStringEvent fOnUserStringShort;
    TOnUserStringEvent fOnUserStringLong;
    TOnInfoStringEvent fOnInfoStringEvent;
    TOnUserStringEvent fOnUserStringShortSub;
    bool fAutScrollStarted = false;
    double fOldScale = 0;

    // The range indicator's text of the current paint.
    String fIndicatorText;
    TScalerFont fIndicatorFont = sTextFont1;
    TRect fIndicatorTextRect;

    // Derived from fHiddenHours: visible hours before each hour, and the hour of each visible
    // hour in order.
    int fVisibleHoursBefore[25] = {};
    int fVisibleHourIndex[24] = {};
};
