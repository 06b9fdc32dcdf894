// The time axis of the date scaler: hidden days and hours, visible against true time, the
// mapping between dates and pixels, and the setters that move and scale the window.
#include "scaler/xoScaler.h"

#include "platform/plDateUtils.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
constexpr double kMSecsPerDay = 86400000.0;
constexpr TDateTime kOneMSec = 1.0 / kMSecsPerDay;
// Dates and durations are kept within this many days (about 27,000 years) so that day numbers
// stay exact integers and no loop can be asked to walk an astronomical distance.
constexpr double kDateLimit = 1.0e7;
// Pixels answered by DateToPixel stay within this range, so that callers can add to them.
constexpr double kPixelLimit = 1.0e9;
// Two amounts of visible time closer than this count as equal where the inverse mapping must
// pick the first (or last) instant of an ambiguous stretch.
constexpr double kVisibleEps = 1.0e-9;
// Enough for a week of hidden hours around hidden days, far more than any real walk needs.
constexpr int kMaxHiddenSteps = 1000;

double ClampDate(double t) {
    return std::clamp(t, -kDateLimit, kDateLimit);
}

// Day of week of a whole day number, 1 = Sunday .. 7 = Saturday (day 0, 1899-12-30, is a Saturday).
int DayOfWeekOfDay(int64_t d) {
    int64_t r = (d + 6) % 7;
    if (r < 0) r += 7;
    return int(r) + 1;
}

// Hour of a time of day, the time rounded to the millisecond first (as DecodeTime does), so
// that a time computed as day + h/24 is always in hour h whatever the rounding of the sum.
int HourOfTime(double f) {
    double ms = std::floor(f * kMSecsPerDay + 0.5);
    if (ms < 0) ms = 0;
    if (ms >= kMSecsPerDay) ms = kMSecsPerDay - 1;
    return int(ms / 3600000.0);
}

// Start of hour h of a day, correctly rounded.
double HourStart(int h) {
    return double(h) / 24.0;
}

TDateTime LastStop() {
    static const TDateTime value = EncodeDate(4000, 1, 1);
    return value;
}

// Runs BeginUpdate now and EndUpdate on every exit.
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

// ---- Hidden time ------------------------------------------------------------------------------

void TxoDateScaler::UpdateHiddenHourTables() {
    int n = 0;
    for (int h = 0; h < 24; ++h) {
        fVisibleHoursBefore[h] = n;
        if (!fHiddenHours.Contains(TxoHiddenHoursEnum(h))) fVisibleHourIndex[n++] = h;
    }
    fVisibleHoursBefore[24] = n;
    for (int i = n; i < 24; ++i)
        fVisibleHourIndex[i] = 23;
}

bool TxoDateScaler::IsHiddenDay(TDateTime day) {
    if (fHiddenDaysCount == 0 || !std::isfinite(day)) return false;
    int64_t d = int64_t(std::floor(ClampDate(day)));
    return fHiddenDays.Contains(TxoHiddenDaysEnum(DayOfWeekOfDay(d) - 1));
}

bool TxoDateScaler::IsHiddenHour(int hour) {
    return hour >= 0 && hour < 32 && fHiddenHours.Contains(TxoHiddenHoursEnum(hour));
}

TDateTime TxoDateScaler::VisibleTimeForDay(TDateTime day) {
    if (IsHiddenDay(day)) return 0;
    return double(24 - fHiddenHoursCount) / 24.0;
}

TDateTime TxoDateScaler::VisibleTimeForWeek() {
    if (fVisibleTimeForWeekOutOfDate) {
        TDateTime first = EncodeDate(2002, 1, 1);
        TDateTime sum = 0;
        for (int i = 0; i < 7; ++i)
            sum += VisibleTimeForDay(first + i);
        fVisibleTimeForWeek = sum;
        fVisibleTimeForWeekOutOfDate = false;
    }
    return fVisibleTimeForWeek;
}

TDateTime TxoDateScaler::VisibleBefore(TDateTime x) const {
    if (x <= 0) return 0;
    if (x >= 1) return double(24 - fHiddenHoursCount) / 24.0;
    if (fHiddenHoursCount == 0) return x;
    int h = HourOfTime(x);
    double part = std::clamp(x - HourStart(h), 0.0, kHour);
    double r = double(fVisibleHoursBefore[h]) / 24.0;
    if (!fHiddenHours.Contains(TxoHiddenHoursEnum(h))) r += part;
    return r;
}

TDateTime TxoDateScaler::EarliestAtVisible(TDateTime v) const {
    if (fHiddenHoursCount == 0) return std::clamp(v, 0.0, 1.0);
    int visibleHours = 24 - fHiddenHoursCount;
    int j = int(std::ceil(v * 24.0 - kVisibleEps));
    j = std::clamp(j, 1, visibleHours);
    int h = fVisibleHourIndex[j - 1];
    double part = std::clamp(v - double(j - 1) / 24.0, 0.0, kHour);
    return std::min(HourStart(h) + part, HourStart(h + 1));
}

TDateTime TxoDateScaler::LatestAtVisible(TDateTime v) const {
    if (fHiddenHoursCount == 0) return std::clamp(v, 0.0, 1.0);
    int visibleHours = 24 - fHiddenHoursCount;
    int j = int(std::floor(v * 24.0 + kVisibleEps));
    j = std::clamp(j, 0, visibleHours - 1);
    int h = fVisibleHourIndex[j];
    double part = std::clamp(v - double(j) / 24.0, 0.0, kHour);
    return std::min(HourStart(h) + part, HourStart(h + 1));
}

TDateTime TxoDateScaler::VisibleTimeForPartOfDay(TDateTime day, TDateTime length, TDateTime start) {
    if (IsHiddenDay(day)) return 0;
    double len = Frac(length);
    double st = start - std::floor(start);
    if (len <= 0 || len >= 1) return len;
    if (fHiddenHoursCount == 0) return len;
    return VisibleBefore(std::min(st + len, 1.0)) - VisibleBefore(st);
}

TDateTime TxoDateScaler::WholeDaysVisible(int64_t firstDay, int64_t lastDay) {
    TDateTime dayVisible = double(24 - fHiddenHoursCount) / 24.0;
    TDateTime sum = 0;
    int64_t d = firstDay;
    while (d <= lastDay) {
        // From a Sunday on, whole weeks are counted at once.
        if (lastDay - d > 13 && DayOfWeekOfDay(d) == 1) {
            int64_t n = (lastDay - d) / 7;
            sum += double(n) * VisibleTimeForWeek();
            d += 7 * n;
        } else {
            if (!fHiddenDays.Contains(TxoHiddenDaysEnum(DayOfWeekOfDay(d) - 1))) sum += dayVisible;
            ++d;
        }
    }
    return sum;
}

TDateTime TxoDateScaler::DateDiffToVisibleTime(TDateTime theBaseDate, TDateTime theDate) {
    if (std::isnan(theBaseDate) || std::isnan(theDate)) return 0;
    double a = ClampDate(theBaseDate);
    double b = ClampDate(theDate);
    if (fHiddenDaysCount == 0 && fHiddenHoursCount == 0) return b - a;
    double sign = 1;
    if (b - a < 0) {
        std::swap(a, b);
        sign = -1;
    }
    int64_t da = int64_t(std::floor(a));
    int64_t db = int64_t(std::floor(b));
    double fa = a - double(da);
    double fb = b - double(db);
    bool hiddenA = IsHiddenDay(double(da));
    double sum;
    if (da == db) {
        sum = hiddenA ? 0 : VisibleBefore(fb) - VisibleBefore(fa);
    } else {
        double head = hiddenA ? 0 : VisibleBefore(1) - VisibleBefore(fa);
        double tail = IsHiddenDay(double(db)) ? 0 : VisibleBefore(fb);
        sum = head + tail + WholeDaysVisible(da + 1, db - 1);
    }
    // Visible time never exceeds true time.
    sum = std::clamp(sum, 0.0, b - a);
    return sign * sum;
}

TDateTime TxoDateScaler::VisibleTimeToTrueTime_High(TDateTime theDateTime) {
    if (!std::isfinite(theDateTime)) return theDateTime;
    double t = ClampDate(theDateTime);
    for (int i = 0; i < kMaxHiddenSteps; ++i) {
        double d = std::floor(t);
        if (IsHiddenDay(d)) {
            t = d + 1; // start of the next day, tried again
            continue;
        }
        int h = HourOfTime(t - d);
        if (IsHiddenHour(h)) {
            t = h == 23 ? d + 1 : d + HourStart(h + 1); // start of the next hour
            continue;
        }
        return t;
    }
    return t;
}

TDateTime TxoDateScaler::VisibleTimeToTrueTime_Low(TDateTime theDateTime) {
    if (std::isnan(theDateTime)) return 0;
    double t = ClampDate(theDateTime);
    for (int i = 0; i < kMaxHiddenSteps; ++i) {
        if (t < 0) return 0;
        double d = std::floor(t);
        if (IsHiddenDay(d)) {
            // Back to the day's midnight, then one millisecond into the day before.
            t = t > d ? d : t - kOneMSec;
            continue;
        }
        int h = HourOfTime(t - d);
        if (IsHiddenHour(h)) {
            t = d + HourStart(h) - kOneMSec; // last millisecond of the hour before
            continue;
        }
        return t;
    }
    return std::max(t, 0.0);
}

TDateTime TxoDateScaler::VisibleTimeDiffToTrueTime(TDateTime theBaseDate, TDateTime theTime) {
    if (std::isnan(theBaseDate) || std::isnan(theTime)) return std::isnan(theBaseDate) ? 0 : theBaseDate;
    double base = ClampDate(theBaseDate);
    double t = std::clamp(theTime, -2 * kDateLimit, 2 * kDateLimit);
    if (t == 0 || (fHiddenDaysCount == 0 && fHiddenHoursCount == 0)) {
        double r = base + t;
        return r < 0 ? 0 : r;
    }
    const double dayVisible = double(24 - fHiddenHoursCount) / 24.0;
    const double weekVisible = VisibleTimeForWeek();
    int64_t d = int64_t(std::floor(base));
    double f = base - double(d);
    double rest = std::fabs(t);

    if (t > 0) {
        // Forward: the first instant at which the visible time has been covered.
        if (!IsHiddenDay(double(d))) {
            double before = VisibleBefore(f);
            double avail = dayVisible - before;
            if (rest <= avail + kVisibleEps) {
                double y = EarliestAtVisible(std::min(before + rest, dayVisible));
                return std::max(double(d) + y, base);
            }
            rest -= avail;
        }
        ++d;
        // Any seven consecutive days hold one week of visible time.
        if (weekVisible > 0 && rest > weekVisible) {
            int64_t k = int64_t(rest / weekVisible);
            if (k > 0 && double(k) * weekVisible >= rest - kVisibleEps) --k;
            rest -= double(k) * weekVisible;
            d += 7 * k;
        }
        for (int i = 0; i < 64; ++i, ++d) {
            if (IsHiddenDay(double(d))) continue;
            if (rest <= dayVisible + kVisibleEps)
                return double(d) + EarliestAtVisible(std::min(rest, dayVisible));
            rest -= dayVisible;
        }
        return double(d);
    }

    // Backward: the last instant from which the visible time up to the base is covered.
    if (f > 0 && !IsHiddenDay(double(d))) {
        double avail = VisibleBefore(f);
        if (rest <= avail + kVisibleEps) {
            double r = double(d) + LatestAtVisible(std::max(avail - rest, 0.0));
            return std::clamp(r, 0.0, base);
        }
        rest -= avail;
    }
    --d;
    if (weekVisible > 0 && rest > weekVisible) {
        int64_t k = int64_t(rest / weekVisible);
        if (k > 0 && double(k) * weekVisible >= rest - kVisibleEps) --k;
        rest -= double(k) * weekVisible;
        d -= 7 * k;
    }
    for (int i = 0; i < 64; --d, ++i) {
        if (IsHiddenDay(double(d))) continue;
        if (rest <= dayVisible + kVisibleEps) {
            double r = double(d) + LatestAtVisible(std::max(dayVisible - rest, 0.0));
            return r < 0 ? 0 : r;
        }
        rest -= dayVisible;
    }
    return d < 0 ? 0 : double(d);
}

// ---- The window and the mapping ---------------------------------------------------------------

int TxoDateScaler::GetScaleLen() {
    return fHorizontal ? Width() : Height();
}

TDateTime TxoDateScaler::VisibleTimeAmount() {
    if (fStart == fOldStart && fStop == fOldStop) return fVisibleTimeAmount;
    fOldStart = fStart;
    fOldStop = fStop;
    fVisibleTimeAmount = DateDiffToVisibleTime(fStart, fStop);
    return fVisibleTimeAmount;
}

double TxoDateScaler::GetScale() {
    int len = GetScaleLen();
    if (len < 1) return 0;
    double s = VisibleTimeAmount() / double(len);
    return s < 0 ? 0 : s;
}

TDateTime TxoDateScaler::PixelLenToDate(double thePixelLen) {
    return thePixelLen * GetScale();
}

double TxoDateScaler::ScalePixel(double x) {
    if (!IsPrinting()) return x;
    return x * (fHorizontal ? PrintScalex() : PrintScaley());
}

double TxoDateScaler::DateDiffToPixelLength(TDateTime theBaseDate, TDateTime theDate) {
    double amount = VisibleTimeAmount();
    int len = GetScaleLen();
    if (amount <= 0 || len < 1) return 0;
    return ScalePixel(DateDiffToVisibleTime(theBaseDate, theDate) * double(len) / amount);
}

void TxoDateScaler::FindScaleMarksFromDate(TDateTime theDate, TScaleMark*& prev, TScaleMark*& next) {
    prev = nullptr;
    next = nullptr;
    const TScaleMarkList& L = fShortScaleMarkDrawList;
    int n = int(L.size());
    int low = 0;
    int high = n - 1;
    int mid = low + (high - low) / 2;
    while (low != mid) {
        if (L[mid]->DateTime >= theDate)
            high = mid;
        else
            low = mid;
        mid = low + (high - low) / 2;
    }
    if (mid >= n) return;
    if (L[mid]->DateTime > theDate) {
        if (mid >= 1) prev = L[mid - 1].get();
        next = L[mid].get();
    } else {
        prev = L[mid].get();
        if (mid + 1 < n) next = L[mid + 1].get();
    }
}

void TxoDateScaler::FindScaleMarksFromPixel(int thePixel, TScaleMark*& prev, TScaleMark*& next) {
    prev = nullptr;
    next = nullptr;
    // The pixels of the list never decrease, so the walk's answer is found by bisection:
    // next is the first mark beyond the pixel, prev the one before it.
    const TScaleMarkList& L = fShortScaleMarkDrawList;
    auto it = std::upper_bound(L.begin(), L.end(), double(thePixel),
                               [](double p, const std::unique_ptr<TScaleMark>& m) { return p < m->Pixel; });
    if (it != L.end()) next = it->get();
    if (it != L.begin()) prev = (it - 1)->get();
}

int TxoDateScaler::DateToPixel(TDateTime theDate) {
    if (VisibleTimeAmount() <= 0 || GetScaleLen() < 1 || std::isnan(theDate)) return 0;
    TScaleMark* prev;
    TScaleMark* next;
    FindScaleMarksFromDate(theDate, prev, next);
    TDateTime baseDate = fStart;
    double basePix = 0;
    if (prev) {
        baseDate = prev->DateTime;
        basePix = prev->Pixel;
    }
    double p = basePix + DateDiffToPixelLength(baseDate, theDate);
    return int(Round(std::clamp(p, -kPixelLimit, kPixelLimit)));
}

TDateTime TxoDateScaler::PixelToDate(int thePixel) {
    double amount = VisibleTimeAmount();
    int len = GetScaleLen();
    if (amount <= 0 || len < 1) return thePixel < 0 ? fStart : fStop; // a scale of 0
    TScaleMark* prev;
    TScaleMark* next;
    FindScaleMarksFromPixel(thePixel, prev, next);
    double perPixel = amount / ScalePixel(double(len));
    TDateTime lowDate = fStart;
    double lowPix = 0;
    if (prev) {
        lowDate = prev->DateTime;
        lowPix = prev->Pixel;
    }
    if (thePixel < lowPix) // before the first mark and before the start of the axis
        return VisibleTimeDiffToTrueTime(fStart, double(thePixel) * perPixel);
    // The date whose exact (unrounded) position is the pixel; inside hidden time the last
    // visible millisecond before it.
    TDateTime d = VisibleTimeDiffToTrueTime(lowDate, (double(thePixel) - lowPix) * perPixel);
    if (next && d > next->DateTime) d = next->DateTime;
    return VisibleTimeToTrueTime_Low(d);
}

int TxoDateScaler::TimeToPixel(TDateTime time) {
    double amount = VisibleTimeAmount();
    if (amount <= 0 || !std::isfinite(time)) return 0;
    double tod = time - std::floor(time);
    double sod = fStart - std::floor(fStart);
    double p = (tod - sod) * double(GetScaleLen()) / amount;
    return int(Round(std::clamp(p, -kPixelLimit, kPixelLimit)));
}

int TxoDateScaler::GetPixelFromScaleMark(const TScaleMark* mark) {
    double amount = VisibleTimeAmount();
    if (!mark || amount <= 0) return 0;
    double p = (mark->DateTime - fStart) * double(GetScaleLen()) / amount;
    return int(Round(std::clamp(p, -kPixelLimit, kPixelLimit)));
}

bool TxoDateScaler::CheckIfOkStartStop(TDateTime aStart, TDateTime aStop) {
    TDateTime half = PixelLenToDate(GetScaleLen() / 2);
    return aStart >= fMinStart - half && aStop <= fMaxStop + half;
}

// ---- Moving and scaling the window ------------------------------------------------------------

void TxoDateScaler::AfterWindowChange() {
    CalcDrawMode();
    fCallOnChangeWhenRefreshed = true;
    Invalidate();
}

void TxoDateScaler::SetStart(TDateTime Value) {
    if (std::isnan(Value) || Value == fStart) return;
    double t = ClampDate(Value);
    TDateTime amount = VisibleTimeAmount();
    TDateTime lower = VisibleTimeDiffToTrueTime(fMinStart, -PixelLenToDate(GetScaleLen() / 2));
    fStart = std::max(t < 0 ? 0.0 : t, lower);
    fStop = VisibleTimeDiffToTrueTime(fStart, amount);
    // The window never reaches past the last date a Stop may have: it moves back instead.
    if (fStop > LastStop()) {
        fStop = LastStop();
        fStart = std::max(0.0, VisibleTimeDiffToTrueTime(fStop, -amount));
    }
    AfterWindowChange();
}

void TxoDateScaler::SetStop(TDateTime Value) {
    if (std::isnan(Value) || Value == fStop) return;
    TDateTime upper = VisibleTimeDiffToTrueTime(fMaxStop, PixelLenToDate(GetScaleLen() / 2));
    TDateTime v = std::min(ClampDate(Value), upper);
    if (v > LastStop()) v = LastStop();
    fStop = v;
    CalcDrawMode();
    fCallOnChangeWhenRefreshed = true;
    double s = GetScale();
    if (s > 0) fOldScale = s;
    Invalidate();
}

void TxoDateScaler::SetScale(double value) {
    if (std::isnan(value)) return;
    TDateTime oldStart = fStart;
    TDateTime oldStop = fStop;
    SetStop(VisibleTimeDiffToTrueTime(fStart, double(GetScaleLen()) * value));
    if (VisibleTimeAmount() < kScale10Sec) {
        // Too little time on the axis: undo exactly (the limits of SetStop now follow the
        // refused scale and could clip the old Stop).
        fStop = oldStop;
        fStart = oldStart;
        double s = GetScale();
        if (s > 0) fOldScale = s;
    }
    AfterWindowChange();
}

void TxoDateScaler::SetCenterScale(double aScale, TDateTime theBaseDate, int aPix) {
    if (std::isnan(aScale) || std::isnan(theBaseDate)) return;
    TUpdateBracket bracket(this);
    TDateTime rememberedStart = fStart;
    double rememberedScale = GetScale();
    int len = GetScaleLen();
    TDateTime newStart;
    if (len >= 1 && aScale * len > (fMaxStop - fMinStart) * 2) {
        newStart = fMinStart - PixelLenToDate(len / 4);
        aScale = (fMaxStop - fMinStart) * 2 / len;
    } else {
        newStart = VisibleTimeToTrueTime_High(VisibleTimeDiffToTrueTime(theBaseDate, -double(aPix) * aScale));
    }
    SetStart(newStart);
    SetScale(aScale);
    bool refused = fOnLimitScaling && fOnLimitScaling(this, fStart, fStop, GetScale());
    if (refused || VisibleTimeAmount() < kScale10Sec) {
        SetStart(rememberedStart);
        SetScale(rememberedScale);
    }
}

void TxoDateScaler::SetHiddenDays(TxoHiddenDays Value) {
    if (Value.Count() >= 7) Value = TxoHiddenDays(); // hiding every day hides nothing
    fHiddenDays = Value;
    fVisibleTimeForWeekOutOfDate = true;
    fHiddenDaysCount = int(Value.Count());
    KeepScaleAfterHiddenChange();
}

void TxoDateScaler::SetHiddenHours(TxoHiddenHours Value) {
    if (Value.Count() >= 24) Value = TxoHiddenHours(); // hiding every hour hides nothing
    fHiddenHours = Value;
    fVisibleTimeForWeekOutOfDate = true;
    fHiddenHoursCount = int(Value.Count());
    UpdateHiddenHourTables();
    KeepScaleAfterHiddenChange();
}

void TxoDateScaler::KeepScaleAfterHiddenChange() {
    // VisibleTimeAmount still answers the amount of the old hidden set here, so the marks are
    // laid out with the old time per pixel and Stop moves to the date now at the axis end.
    CalcDrawMode();
    TDateTime stopBefore = fStop;
    SetStop(PixelToDate(GetScaleLen()));
    if (fStop == stopBefore) {
        // Stop stayed (an axis without length, or a change outside the window): the amount
        // must still follow the new hidden set.
        fOldStart = std::numeric_limits<double>::quiet_NaN();
        CalcDrawMode();
    }
    fCallOnChangeWhenRefreshed = true;
    Invalidate();
}

void TxoDateScaler::HandleFixedScaleResizing() {
    if (fWasResized) {
        TDateTime stopBefore = fStop;
        if (fStop != fStopOnLastDraw || GetScaleLen() < 1 || fOldScale <= 0) {
            // The owner set a new range since the last paint (or there is no scale to keep).
            CalcDrawMode();
        } else {
            SetStop(VisibleTimeDiffToTrueTime(fStart, double(GetScaleLen()) * fOldScale));
            if (fStop == stopBefore) CalcDrawMode();
        }
    }
    fWasResized = false;
    double s = GetScale();
    if (s > 0) fOldScale = s;
}
