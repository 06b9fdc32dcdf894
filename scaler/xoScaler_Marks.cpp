// The marks of the date scaler: the steps and their ladder, snapping to step boundaries, week
// numbers and quarters, and the two mark lists built for the window.
#include "scaler/xoScaler.h"

#include "platform/plDateUtils.h"

#include <cmath>

namespace {
struct TStepEntry {
    TDateTime step;
    const char* name;
};

// In increasing order.
const TStepEntry kSteps[] = {
    {kScale10Hun, "1 tiondel"},  {kScale1Sec, "1 sek"},     {kScale10Sec, "10 sek"},
    {kScale1Min, "1 min"},       {kScale10Min, "10 min"},   {kScale1Hour, "1 timme"},
    {kScale1Day, "1 dag"},       {kScale1Week, "1 vecka"},  {kScale1Month, "1 månad"},
    {kScale3Month, "3 månader"}, {kScale1Year, "1 år"},     {kScale10Year, "10 år"},
    {kScale20Year, "20 år"},     {kScale100Year, "100 år"},
};

// The ladder of zoom levels, coarsest first.
const double kThresholds[] = {
    ScaleDoubleDecadesAndDecades,
    ScaleDecadesAndYear,
    ScaleYearAndQuorter,
    ScaleQuorterAndMonth,
    ScaleMonthAndWeek,
    ScaleWeekAndDay,
    ScaleDayAndHour,
    ScaleHourAnd10Minute,
    Scale10MinuteAndMinute,
    ScaleMinuteAnd10Sec,
    Scale10SecAndSec,
};
constexpr double kHalfFinestThreshold = 0.0000003;

// A mark row never holds more marks than this, whatever the settings (a guard, not a limit
// any real axis reaches: marks are at least PixelsForModeSwitch pixels apart).
constexpr size_t kMaxMarksPerRow = 200000;

int ClampYear(int y) {
    return y < 1 ? 1 : (y > 9999 ? 9999 : y);
}

TDateTime FirstOfMonth(int y, int m) {
    while (m > 12) {
        m -= 12;
        ++y;
    }
    return EncodeDate(ClampYear(y), m, 1);
}

TDateTime FirstOfYear(int y) {
    return EncodeDate(ClampYear(y), 1, 1);
}

int YearOfDate(TDateTime d) {
    uint16_t y, m, dd;
    DecodeDate(d, y, m, dd);
    return y;
}
} // namespace

double GetPrevScale(double x) {
    for (double t : kThresholds)
        if (x > t + kHalfFinestThreshold) return t;
    return 0;
}

double GetNextScale(double x) {
    for (int i = int(std::size(kThresholds)) - 1; i >= 0; --i)
        if (kThresholds[i] - kHalfFinestThreshold > x) return kThresholds[i];
    return 0;
}

TDateTime TxoDateScaler::StepFork(TDateTime time, String& name) {
    if (time < kScale20Year) {
        for (const TStepEntry& e : kSteps)
            if (e.step > time) {
                name = e.name;
                return e.step;
            }
    }
    name = kSteps[std::size(kSteps) - 1].name;
    return kScale100Year;
}

void TxoDateScaler::SnapFailed() {
    // The span is too small to divide into steps: fall back to a window of one day and end
    // any drag before telling the caller.
    fStop = fStart + 1;
    MouseUp(mbLeft, TShiftState(), -1, -1);
    throw Exception("To small span");
}

TDateTime TxoDateScaler::Snap(TDateTime theDate, TDateTime theStep) {
    if (theStep == kScale3Month || theStep == kScale1Month || theStep == kScale1Year ||
        theStep == kScale10Year || theStep == kScale20Year || theStep == kScale100Year) {
        uint16_t y, m, d;
        DecodeDate(theDate, y, m, d);
        if (theStep == kScale3Month) return FirstOfMonth(y, 3 * ((m - 1) / 3) + 1);
        if (theStep == kScale1Month) return FirstOfMonth(y, m);
        if (theStep == kScale1Year) return FirstOfYear(y);
        if (theStep == kScale10Year) return FirstOfYear(y / 10 * 10);
        if (theStep == kScale20Year) return FirstOfYear(y / 20 * 20);
        return FirstOfYear(y / 100 * 100);
    }
    if (theStep == kScale1Week) return TruncToFirstDayOfWeek(theDate);
    if (!(theStep >= kScale10Hun)) return theDate;
    double q = theDate / theStep + 0.5;
    if (!std::isfinite(q) || std::fabs(q) > 9.0e15) SnapFailed();
    return double(Trunc(q)) * theStep;
}

TDateTime TxoDateScaler::GetAdaptiveStep(TDateTime theDate, TDateTime theStep) {
    if (theStep == kScale1Month || theStep == kScale3Month || theStep == kScale1Year ||
        theStep == kScale10Year || theStep == kScale20Year || theStep == kScale100Year) {
        uint16_t y, m, d;
        DecodeDate(theDate, y, m, d);
        if (theStep == kScale1Month) return FirstOfMonth(y, m + 1) - theDate;
        if (theStep == kScale3Month) return FirstOfMonth(y, 3 * ((m - 1) / 3) + 4) - theDate;
        if (theStep == kScale1Year) return FirstOfYear(y + 1) - theDate;
        if (theStep == kScale10Year) return FirstOfYear(y + 10) - theDate;
        if (theStep == kScale20Year) return FirstOfYear(y + 20) - theDate;
        return FirstOfYear(y + 100) - theDate;
    }
    return theStep;
}

// ---- Weeks and quarters ---------------------------------------------------------------------

TDateTime TxoDateScaler::TruncToFirstDayOfWeek(TDateTime theDate) {
    // A first day outside 1..7 is taken modulo 7, so the step back always ends.
    int first = ((fFirstDayOfWeek - 1) % 7 + 7) % 7 + 1;
    TDateTime day = std::floor(theDate);
    int back = (DayOfWeek(day) - first + 7) % 7;
    return day - back;
}

TDateTime TxoDateScaler::FirstWeekOfYear(TDateTime theDate, bool& weekOneHoldsJanuaryFirst) {
    int first = ((fFirstDayOfWeek - 1) % 7 + 7) % 7 + 1;
    TDateTime j = FirstOfYear(YearOfDate(theDate));
    int diff = DayOfWeek(j) - first;
    weekOneHoldsJanuaryFirst = diff >= 0 && diff <= 3;
    return weekOneHoldsJanuaryFirst ? TruncToFirstDayOfWeek(j) : TruncToFirstDayOfWeek(j + 7);
}

int TxoDateScaler::GetWeekNum(TDateTime theDate, bool& theReturnedWeekBelongsInNextYear) {
    theReturnedWeekBelongsInNextYear = false;
    bool holds;
    int w = int(Trunc((theDate - FirstWeekOfYear(theDate, holds)) / 7));
    if (w == 52) {
        FirstWeekOfYear(theDate + 365, holds);
        if (holds) {
            theReturnedWeekBelongsInNextYear = true;
            return 1;
        }
    }
    return w + 1;
}

int TxoDateScaler::DateToQuarter(TDateTime theDate) {
    uint16_t y, m, d;
    DecodeDate(theDate + 15, y, m, d);
    if (m >= 1 && m <= 3) return 1;
    if (m >= 4 && m <= 6) return 2;
    if (m >= 7 && m <= 9) return 3;
    if (m >= 10 && m <= 12) return 4;
    throw Exception("Internal error - impossible return value");
}

// ---- Mark lists -------------------------------------------------------------------------------

void TxoDateScaler::ClearMarks() {
    fShortScaleMarkDrawList.clear();
    fLongScaleMarkDrawList.clear();
}

void TxoDateScaler::BuildMarkRow(TScaleMarkList& list, TDateTime s, bool longRow) {
    TDateTime prevDate = fStart;
    double prevPix = 0;
    TDateTime d = Snap(fStart, s);
    double limit = ScalePixel(GetScaleLen());
    while (prevPix < limit && list.size() < kMaxMarksPerRow) {
        auto mark = std::make_unique<TScaleMark>();
        mark->DateTime = d;
        mark->LongNotShort = longRow;
        mark->Pixel = prevPix + DateDiffToPixelLength(prevDate, d);
        if (longRow) {
            mark->PresString = GetApprioateStringLong(d, s, mark->ScalerFont);
        } else {
            mark->PresString = GetApprioateStringShort(d, s, mark->ScalerFont, 0, mark->SubShortStr,
                                                       mark->SubShortScalerFont);
        }
        prevPix = mark->Pixel;
        prevDate = d;
        TDateTime next = Snap(d + GetAdaptiveStep(d, s), s);
        mark->Hidden = DateDiffToVisibleTime(d, next) == 0;
        if (mark->Hidden) {
            // Skip long hidden stretches, keeping marks on the last three steps before the
            // visible time.
            // (A whole number of steps computed from dates: a hair is added before truncating.)
            double k = double(Trunc((VisibleTimeToTrueTime_High(next) - next) / s + 1e-6));
            if ((k - 3) * s > s) next = next + (k - 3) * s;
        }
        list.push_back(std::move(mark));
        if (!(next > d)) break; // no progress possible (a guard; steps always advance)
        d = next;
    }
}

void TxoDateScaler::CalcDrawMode() {
    ClearMarks();
    TDateTime t = PixelLenToDate(fPixelsForModeSwitch);
    if (!(t > 1e-50)) {
        CalcOddOrEventStartForVerticalBack();
        return;
    }
    fSmallStep = StepFork(t, fSmallStepName);
    fLongStep = StepFork(fSmallStep, fLongStepName);
    fCtrlStep = PixelLenToDate(10);
    BuildMarkRow(fShortScaleMarkDrawList, fSmallStep, false);
    BuildMarkRow(fLongScaleMarkDrawList, fLongStep, true);
    CalcOddOrEventStartForVerticalBack();
}

void TxoDateScaler::CalcOddOrEventStartForVerticalBack() {
    fOddOrEven = 0;
    if (fLongScaleMarkDrawList.empty()) return;
    TDateTime d = fLongScaleMarkDrawList.front()->DateTime;
    uint16_t y, mo, dd, h, mi, s, ms;
    DecodeDateTime(d, y, mo, dd, h, mi, s, ms);
    TDateTime st = fLongStep;
    if (st == kScale1Sec)
        fOddOrEven = s;
    else if (st == kScale10Sec)
        fOddOrEven = s / 10;
    else if (st == kScale1Min)
        fOddOrEven = mi;
    else if (st == kScale10Min)
        fOddOrEven = mi / 10;
    else if (st == kScale1Hour)
        fOddOrEven = h;
    else if (st == kScale1Day)
        fOddOrEven = int(Round(d - FirstOfYear(YearOfDate(d))));
    else if (st == kScale1Week) {
        bool next;
        fOddOrEven = GetWeekNum(d, next);
    } else if (st == kScale1Month)
        fOddOrEven = mo;
    else if (st == kScale3Month)
        fOddOrEven = DateToQuarter(d);
    else if (st == kScale1Year)
        fOddOrEven = y;
    else if (st == kScale10Year)
        fOddOrEven = y / 10;
    else if (st == kScale20Year)
        fOddOrEven = y / 20;
    else if (st == kScale100Year)
        fOddOrEven = y / 100;
}
