// The time axis of the date scaler: hidden days and hours, visible against true time, the
// date-pixel mapping and the window's limits. Expected values are worked out by hand.
#include "scaler/xoScaler.h"

#include "platform/plDateUtils.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>

namespace {
constexpr double kMs = 1.0 / 86400000.0;

TDateTime At(int y, int m, int d, int h = 0, int n = 0, int s = 0, int ms = 0) {
    return EncodeDateTime(y, m, d, h, n, s, ms);
}

// 2014-09-22 is a Monday; the week runs to Sunday 2014-09-28.
const TDateTime kMon = At(2014, 9, 22);
const TDateTime kFri = At(2014, 9, 26);
const TDateTime kSat = At(2014, 9, 27);
const TDateTime kNextMon = At(2014, 9, 29);

class TimeAxis : public ::testing::Test {
protected:
    void SetUp() override {
        s = std::make_unique<TxoDateScaler>(nullptr);
        s->SetHorizontal(true);
        s->SetBounds(0, 0, 800, 45);
        Window(kMon, kMon + 8); // 0.01 days per pixel
    }
    void Window(TDateTime a, TDateTime b) {
        s->SetStart(a);
        s->SetStop(b);
        s->SetStart(a);
    }
    void HideWeekend() { s->SetHiddenDays(TxoHiddenDays{thdSAT, thdSUN}); }
    void HideNights() {
        TxoHiddenHours h;
        for (int i = 0; i < 8; ++i)
            h.Include(TxoHiddenHoursEnum(i));
        for (int i = 18; i < 24; ++i)
            h.Include(TxoHiddenHoursEnum(i));
        s->SetHiddenHours(h);
    }
    std::unique_ptr<TxoDateScaler> s;
};
} // namespace

TEST(TimeAxisUnits, ConstantsAreTheDifferencesOfEncodedDates) {
    EXPECT_EQ(kYear, EncodeDate(1998, 1, 1) - EncodeDate(1997, 1, 1));
    EXPECT_EQ(kMonth, EncodeDate(1997, 1, 31) - EncodeDate(1997, 1, 1));
    EXPECT_EQ(kWeek, EncodeDate(1997, 1, 8) - EncodeDate(1997, 1, 1));
    EXPECT_EQ(kDay, EncodeDate(1997, 1, 2) - EncodeDate(1997, 1, 1));
    EXPECT_EQ(kHour, EncodeTime(1, 0, 0, 0));
    EXPECT_EQ(kMinute, EncodeTime(0, 1, 0, 0));
    EXPECT_EQ(kScale10Hun, EncodeTime(0, 0, 0, 10));
    EXPECT_EQ(kScale10Sec, EncodeTime(0, 0, 10, 0));
    EXPECT_EQ(kScale10Min, EncodeTime(0, 10, 0, 0));
    EXPECT_EQ(kScale1Month, EncodeDate(1, 1, 28) - EncodeDate(1, 1, 1));
    EXPECT_EQ(kScale3Month, EncodeDate(1, 3, 28) - EncodeDate(1, 1, 1));
    EXPECT_EQ(kScale1Year, EncodeDate(2, 1, 1) - EncodeDate(1, 1, 1));
    EXPECT_EQ(kScale10Year, EncodeDate(11, 1, 1) - EncodeDate(1, 1, 1));
    EXPECT_EQ(kScale20Year, EncodeDate(21, 1, 1) - EncodeDate(1, 1, 1));
    EXPECT_EQ(kScale100Year, EncodeDate(101, 1, 1) - EncodeDate(1, 1, 1));
}

TEST_F(TimeAxis, DefaultsOfANewScaler) {
    TxoDateScaler fresh(nullptr);
    EXPECT_EQ(fresh.Start(), Date());
    EXPECT_EQ(fresh.Stop(), Date() + 7);
    EXPECT_EQ(fresh.MinStart(), 0);
    EXPECT_EQ(fresh.MaxStop(), EncodeDate(4000, 1, 1));
    EXPECT_EQ(fresh.FirstDayOfWeek(), 2);
    EXPECT_FALSE(fresh.Horizontal());
    EXPECT_EQ(fresh.WeekPrefix(), " w ");
    EXPECT_EQ(fresh.WeekYearFormat(), "YYYY");
    EXPECT_EQ(fresh.QuarterPrefix(), " Q");
    EXPECT_EQ(fresh.PixelsForModeSwitch(), 15);
    EXPECT_DOUBLE_EQ(fresh.ZoomFactor(), 0.9);
    EXPECT_EQ(fresh.IndicatorStyle(), isNormal);
    EXPECT_TRUE(fresh.IndicatorOn());
    EXPECT_EQ(fresh.LookAndFeel(), tlfClassic);
    EXPECT_EQ(fresh.ScrollButtons(), tsbClassic);
    EXPECT_EQ(fresh.TextFont1()->Name(), "Arial");
    EXPECT_EQ(fresh.TextFont3()->Size(), 7);
    EXPECT_TRUE(fresh.HiddenDays().Empty());
    EXPECT_TRUE(fresh.HiddenHours().Empty());
}

TEST_F(TimeAxis, WithoutHiddenTimeVisibleTimeIsTrueTime) {
    ASSERT_EQ(DayOfWeek(kMon), 2);
    EXPECT_DOUBLE_EQ(s->GetScale(), 0.01);
    const TDateTime a = kMon + 0.123456789, b = kMon + 5.987654321;
    EXPECT_EQ(s->DateDiffToVisibleTime(a, b), b - a);
    EXPECT_EQ(s->DateDiffToVisibleTime(b, a), a - b);
    EXPECT_EQ(s->DateToPixel(s->Start()), 0);
    EXPECT_EQ(s->DateToPixel(s->Stop()), 800);
    for (int p = 1; p < 800; p += 7)
        EXPECT_NEAR(s->PixelToDate(p), s->Start() + p * 0.01, kMs) << p;
}

TEST_F(TimeAxis, HiddenWeekend) {
    HideWeekend();
    ASSERT_EQ(DayOfWeek(kFri), 6);
    // Friday noon to Monday noon: half of Friday and half of Monday.
    EXPECT_DOUBLE_EQ(s->DateDiffToVisibleTime(kFri + 0.5, kNextMon + 0.5), 1.0);
    EXPECT_NEAR(s->VisibleTimeDiffToTrueTime(kFri + 23 * kHour, 3 * kHour), kNextMon + 2 * kHour, 1e-9);
    EXPECT_NEAR(s->VisibleTimeDiffToTrueTime(kNextMon + 2 * kHour, -3 * kHour), kFri + 23 * kHour, 1e-9);
    EXPECT_EQ(s->VisibleTimeToTrueTime_High(kSat + 10 * kHour), kNextMon);
    EXPECT_NEAR(s->VisibleTimeToTrueTime_Low(kSat + 10 * kHour), kSat - kMs, 1e-10);
    EXPECT_EQ(s->DateToPixel(kFri + 1), s->DateToPixel(kNextMon));
    EXPECT_EQ(s->DateToPixel(kSat + 0.3), s->DateToPixel(kNextMon));
    EXPECT_TRUE(s->IsHiddenDay(kSat + 0.99));
    EXPECT_FALSE(s->IsHiddenDay(kFri + 0.99));
    EXPECT_EQ(s->VisibleTimeForWeek(), 5);
}

TEST_F(TimeAxis, HiddenNights) {
    HideNights();
    EXPECT_EQ(s->GetHiddenHourCount(), 14);
    EXPECT_DOUBLE_EQ(s->VisibleTimeForDay(kMon), 10.0 / 24);
    // 06:00 to 09:30: only 08:00 to 09:30 is visible.
    EXPECT_NEAR(s->DateDiffToVisibleTime(kMon + 6 * kHour, kMon + 9.5 * kHour), 1.5 * kHour, 1e-9);
    EXPECT_NEAR(s->VisibleTimeForPartOfDay(kMon, 3.5 * kHour, 6 * kHour), 1.5 * kHour, 1e-9);
    // 17:30 to 08:30 the next day: half an hour on each side of the night.
    EXPECT_NEAR(s->DateDiffToVisibleTime(kMon + 17.5 * kHour, kMon + 1 + 8.5 * kHour), 1.0 * kHour, 1e-9);
    EXPECT_NEAR(s->VisibleTimeToTrueTime_High(kMon + 20 * kHour), kMon + 1 + 8 * kHour, 1e-10);
    EXPECT_NEAR(s->VisibleTimeToTrueTime_Low(kMon + 20 * kHour), kMon + 18 * kHour - kMs, 1e-10);
    EXPECT_NEAR(s->VisibleTimeToTrueTime_Low(kMon + 1 + 3 * kHour), kMon + 18 * kHour - kMs, 1e-10);
    EXPECT_NEAR(s->VisibleTimeDiffToTrueTime(kMon + 17 * kHour, 2 * kHour), kMon + 1 + 9 * kHour, 1e-9);
}

TEST_F(TimeAxis, ThirtyWholeDaysFromASunday) {
    const TDateTime sun = At(2014, 9, 21);
    ASSERT_EQ(DayOfWeek(sun), 1);
    EXPECT_EQ(s->DateDiffToVisibleTime(sun, sun + 30), 30);
    HideWeekend();
    // Four whole weeks of five days, then Sunday (hidden) and Monday.
    EXPECT_DOUBLE_EQ(s->DateDiffToVisibleTime(sun, sun + 30), 21);
    HideNights();
    EXPECT_NEAR(s->DateDiffToVisibleTime(sun, sun + 30), 21 * 10.0 / 24, 1e-12);
}

TEST_F(TimeAxis, HidingEverythingHidesNothing) {
    TxoHiddenDays all{thdSUN, thdMON, thdTUE, thdWED, thdTHU, thdFRI, thdSAT};
    s->SetHiddenDays(all);
    EXPECT_TRUE(s->HiddenDays().Empty());
    TxoHiddenHours hours;
    for (int i = 0; i < 24; ++i)
        hours.Include(TxoHiddenHoursEnum(i));
    s->SetHiddenHours(hours);
    EXPECT_TRUE(s->HiddenHours().Empty());
    EXPECT_EQ(s->GetHiddenHourCount(), 0);
    EXPECT_DOUBLE_EQ(s->GetScale(), 0.01);
    EXPECT_EQ(s->DateDiffToVisibleTime(kMon, kMon + 3), 3);
    EXPECT_FALSE(s->IsHiddenHour(24));
    EXPECT_FALSE(s->IsHiddenHour(-1));
}

TEST_F(TimeAxis, HidingKeepsTheTimePerPixelAndMovesStop) {
    HideWeekend();
    // Eight visible days from Monday: Monday to Friday and Monday to Wednesday of next week.
    EXPECT_NEAR(s->GetScale(), 0.01, 1e-12);
    EXPECT_NEAR(s->Stop(), At(2014, 10, 2), 1e-6);
    EXPECT_NEAR(s->VisibleTimeAmount(), 8, 1e-9);
    s->SetHiddenDays(TxoHiddenDays());
    EXPECT_NEAR(s->Stop(), kMon + 8, 1e-6);
}

TEST_F(TimeAxis, HidingBeforeTheAxisHasALengthStillCountsTheNewHiddenTime) {
    s->SetBounds(0, 0, 0, 45);
    Window(kMon, kMon + 7);
    HideWeekend();
    EXPECT_EQ(s->Stop(), kMon + 7); // nothing to keep without a scale
    EXPECT_DOUBLE_EQ(s->VisibleTimeAmount(), 5);
    s->SetBounds(0, 0, 800, 45);
    s->CalcDrawMode();
    EXPECT_EQ(s->DateToPixel(s->Stop()), 800);
    EXPECT_EQ(s->DateToPixel(kNextMon), 800);
}

TEST_F(TimeAxis, SetScaleRefusesLessThanTenSeconds) {
    const TDateTime a = s->Start(), b = s->Stop();
    s->SetScale(kScale10Sec / 800 / 2);
    EXPECT_EQ(s->Start(), a);
    EXPECT_EQ(s->Stop(), b);
    EXPECT_DOUBLE_EQ(s->GetScale(), 0.01);
    s->SetScale(-1);
    EXPECT_EQ(s->Stop(), b);
    s->SetScale(0.02);
    EXPECT_EQ(s->Start(), a);
    EXPECT_NEAR(s->Stop(), a + 16, 1e-9);
}

TEST_F(TimeAxis, SetStartKeepsTheLengthAndClampsAtZeroAndMinStart) {
    s->SetStart(kMon + 100.25);
    EXPECT_EQ(s->Start(), kMon + 100.25);
    EXPECT_DOUBLE_EQ(s->Stop() - s->Start(), 8);
    s->SetStart(-5);
    EXPECT_EQ(s->Start(), 0);
    EXPECT_DOUBLE_EQ(s->Stop(), 8);
    // Half an axis (400 pixels of 0.01 days) before MinStart is the lowest start.
    s->SetMinStart(At(2014, 1, 1));
    s->SetStart(At(2013, 1, 1));
    EXPECT_NEAR(s->Start(), At(2013, 12, 28), 1e-9);
}

TEST_F(TimeAxis, SetStopNeverPassesTheYear4000) {
    s->SetStop(At(5000, 1, 1));
    EXPECT_EQ(s->Stop(), At(4000, 1, 1));
    Window(kMon, kMon + 8);
    s->SetMaxStop(At(2015, 1, 1));
    s->SetStop(At(5000, 1, 1));
    // MaxStop plus half an axis at the scale in force (400 pixels of 0.01 days).
    EXPECT_NEAR(s->Stop(), At(2015, 1, 1) + 4, 1e-9);
    EXPECT_EQ(s->Start(), kMon);
}

TEST_F(TimeAxis, SetStartNearTheEndOfTimeKeepsTheWindowBeforeTheYear4000) {
    s->SetStart(At(3999, 12, 30));
    EXPECT_LE(s->Stop(), At(4000, 1, 1));
    EXPECT_NEAR(s->Stop() - s->Start(), 8, 1e-9);
}

TEST_F(TimeAxis, CenterScaleKeepsTheBaseDateAtItsPixel) {
    const TDateTime d = kMon + 3.3;
    s->SetCenterScale(0.005, d, 100);
    EXPECT_NEAR(s->GetScale(), 0.005, 1e-12);
    EXPECT_NEAR(s->Start(), d - 0.5, 1e-9);
    EXPECT_NEAR(s->DateToPixel(d), 100, 0.5);
    // A veto restores the window.
    const TDateTime a = s->Start(), b = s->Stop();
    int calls = 0;
    s->SetOnLimitScaling([&](TxoDateScaler* caller, TDateTime aStart, TDateTime aStop, double aScale) {
        ++calls;
        EXPECT_EQ(caller, s.get());
        EXPECT_NEAR(aScale, 0.02, 1e-12);
        EXPECT_NEAR(aStop - aStart, 16, 1e-9);
        return true;
    });
    s->SetCenterScale(0.02, d, 100);
    EXPECT_EQ(calls, 1);
    EXPECT_NEAR(s->Start(), a, 1e-9);
    EXPECT_NEAR(s->Stop(), b, 1e-9);
}

TEST_F(TimeAxis, CenterScaleBeyondTheLimitsShowsTwiceTheWholeRange) {
    s->SetMinStart(At(2014, 1, 1));
    s->SetMaxStop(At(2015, 1, 1));
    s->SetCenterScale(10, kMon, 400);
    // Twice the range is asked for, from a quarter of an axis before MinStart at the scale
    // before the change (200 px * 0.01); Stop is then held at half an axis after MaxStop.
    EXPECT_NEAR(s->Start(), At(2014, 1, 1) - 2, 1e-9);
    EXPECT_NEAR(s->Stop(), At(2015, 1, 1) + 4, 1e-9);
}

TEST_F(TimeAxis, CheckIfOkStartStopAllowsHalfAnAxisBeyondTheLimits) {
    s->SetMinStart(At(2014, 1, 1));
    s->SetMaxStop(At(2015, 1, 1));
    EXPECT_TRUE(s->CheckIfOkStartStop(At(2014, 1, 1) - 4, At(2015, 1, 1) + 4));
    EXPECT_FALSE(s->CheckIfOkStartStop(At(2014, 1, 1) - 4.01, At(2014, 6, 1)));
    EXPECT_FALSE(s->CheckIfOkStartStop(At(2014, 6, 1), At(2015, 1, 1) + 4.01));
}

TEST_F(TimeAxis, ShortAxisGivesScaleZeroAndZeroMappings) {
    s->SetBounds(0, 0, 0, 45);
    EXPECT_EQ(s->GetScale(), 0);
    EXPECT_EQ(s->DateToPixel(kMon + 3), 0);
    EXPECT_EQ(s->DateDiffToPixelLength(kMon, kMon + 3), 0);
    EXPECT_EQ(s->PixelToDate(50), s->Stop());
    EXPECT_EQ(s->PixelToDate(-50), s->Start());
    s->CalcDrawMode();
    EXPECT_TRUE(s->ShortScaleMarkDrawList().empty());
}

TEST_F(TimeAxis, TimeToPixelAndMarkPixelUseTrueTime) {
    Window(kMon + 0.25, kMon + 8.25);
    EXPECT_EQ(s->TimeToPixel(kMon + 5 + 0.75), 50);
    EXPECT_EQ(s->TimeToPixel(kMon + 0.25), 0);
    HideWeekend();
    TScaleMark m;
    m.DateTime = kNextMon + 0.25; // a week after Start, the weekend not removed
    EXPECT_EQ(s->GetPixelFromScaleMark(&m), int(Round(7 * 800 / s->VisibleTimeAmount())));
}

TEST_F(TimeAxis, DateToPixelWithoutMarksEqualsItWithMarks) {
    HideWeekend();
    HideNights();
    std::vector<int> withMarks;
    for (int i = 0; i < 200; ++i)
        withMarks.push_back(s->DateToPixel(kMon - 2 + i * 0.0731));
    ASSERT_FALSE(s->ShortScaleMarkDrawList().empty());
    s->SetPixelsForModeSwitch(0);
    s->CalcDrawMode();
    ASSERT_TRUE(s->ShortScaleMarkDrawList().empty());
    for (int i = 0; i < 200; ++i)
        EXPECT_NEAR(s->DateToPixel(kMon - 2 + i * 0.0731), withMarks[i], 1) << i;
}

TEST_F(TimeAxis, MarksAroundADate) {
    // Day marks from Monday: the marks around Wednesday noon are Wednesday and Thursday.
    TScaleMark* prev;
    TScaleMark* next;
    s->FindScaleMarksFromDate(kMon + 2.5, prev, next);
    ASSERT_TRUE(prev && next);
    EXPECT_EQ(prev->DateTime, kMon + 2);
    EXPECT_EQ(next->DateTime, kMon + 3);
    s->FindScaleMarksFromDate(kMon - 10, prev, next);
    EXPECT_EQ(prev, nullptr);
    ASSERT_TRUE(next);
    EXPECT_EQ(next->DateTime, s->ShortScaleMarkDrawList().front()->DateTime);
    s->FindScaleMarksFromPixel(250, prev, next);
    ASSERT_TRUE(prev && next);
    EXPECT_LE(prev->Pixel, 250);
    EXPECT_GT(next->Pixel, 250);
}

// ---- Adversarial values -------------------------------------------------------------------------

TEST_F(TimeAxis, WindowThatBeginsInsideHiddenTime) {
    HideWeekend();
    Window(kSat + 10 * kHour, kSat + 10 * kHour + 4);
    EXPECT_EQ(s->DateToPixel(s->Start()), 0);
    EXPECT_EQ(s->DateToPixel(kNextMon), 0);
    EXPECT_GT(s->DateToPixel(kNextMon + 0.5), 0);
    EXPECT_NEAR(s->VisibleTimeAmount(), 2 + 10 * kHour, 1e-9); // Monday, Tuesday, Wednesday to 10:00
    EXPECT_GE(s->PixelToDate(0), kFri);
}

TEST_F(TimeAxis, MidnightsAndTheLastMillisecondOfADay) {
    HideWeekend();
    HideNights();
    const TDateTime lastMs = kFri + 1 - kMs;
    EXPECT_EQ(s->VisibleTimeToTrueTime_High(kFri + 1), kNextMon + 8 * kHour);
    EXPECT_NEAR(s->VisibleTimeToTrueTime_High(lastMs), kNextMon + 8 * kHour, 1e-10);
    EXPECT_NEAR(s->VisibleTimeToTrueTime_Low(kNextMon), kFri + 18 * kHour - kMs, 1e-10);
    EXPECT_NEAR(s->DateDiffToVisibleTime(kFri, kFri + 1), 10 * kHour, 1e-9);
    EXPECT_NEAR(s->DateDiffToVisibleTime(kFri, lastMs), 10 * kHour, 1e-9);
    EXPECT_NEAR(s->DateDiffToVisibleTime(kNextMon, kNextMon + 8 * kHour), 0, 1e-9);
}

TEST_F(TimeAxis, DatesNearZeroAndNearTheYear4000) {
    // 1899-12-30 (day 0) is a Saturday.
    HideWeekend();
    EXPECT_EQ(s->VisibleTimeToTrueTime_High(0), 2);
    EXPECT_EQ(s->VisibleTimeToTrueTime_Low(0.5), 0);
    EXPECT_EQ(s->VisibleTimeToTrueTime_Low(-3), 0);
    EXPECT_EQ(s->VisibleTimeDiffToTrueTime(1, -1), 0);
    EXPECT_EQ(s->VisibleTimeDiffToTrueTime(10, -100), 0);
    EXPECT_NEAR(s->VisibleTimeDiffToTrueTime(0, 1), 3, 1e-12);
    const TDateTime end = At(4000, 1, 1);
    s->SetStart(end - 3);
    EXPECT_LE(s->Stop(), end);
    EXPECT_GE(s->Start(), 0);
    EXPECT_EQ(s->DateToPixel(s->Start()), 0);
}

TEST_F(TimeAxis, NonsenseInputNeitherHangsNorBreaksTheWindow) {
    HideWeekend();
    HideNights();
    const TDateTime a = s->Start(), b = s->Stop();
    const double nan = std::nan("");
    s->SetStart(nan);
    s->SetStop(nan);
    s->SetScale(nan);
    s->SetCenterScale(nan, kMon, 3);
    EXPECT_EQ(s->Start(), a);
    EXPECT_EQ(s->Stop(), b);
    EXPECT_TRUE(std::isfinite(s->DateDiffToVisibleTime(0, 1e300)));
    EXPECT_TRUE(std::isfinite(s->VisibleTimeDiffToTrueTime(0, 1e300)));
    EXPECT_TRUE(std::isfinite(s->VisibleTimeToTrueTime_High(1e300)));
    EXPECT_EQ(s->DateDiffToVisibleTime(nan, 3), 0);
    EXPECT_EQ(s->DateToPixel(nan), 0);
    int p = s->DateToPixel(1e300);
    EXPECT_GT(p, 800);
    EXPECT_LT(s->DateToPixel(-1e300), 0);
    s->SetStart(1e300);
    EXPECT_LE(s->Stop(), At(4000, 1, 1));
    s->SetStop(-1e300);
    EXPECT_EQ(s->GetScale(), 0);
    EXPECT_TRUE(s->ShortScaleMarkDrawList().empty());
}

// ---- Properties over many random windows ----------------------------------------------------

TEST_F(TimeAxis, RoundTripWithoutHiddenTimeIsWithinOnePixel) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> startDist(At(1990, 1, 1), At(2030, 1, 1));
    std::uniform_real_distribution<double> lenDist(-3, 4); // 10^-3 .. 10^4 days
    std::uniform_real_distribution<double> u(-0.2, 1.2);
    for (int w = 0; w < 200; ++w) {
        TDateTime a = startDist(rng);
        Window(a, a + std::pow(10.0, lenDist(rng)));
        double scale = s->GetScale();
        for (int k = 0; k < 20; ++k) {
            TDateTime d = s->Start() + u(rng) * (s->Stop() - s->Start());
            TDateTime back = s->PixelToDate(s->DateToPixel(d));
            ASSERT_LE(std::fabs(back - d), scale * 1.0000001) << "window " << w << " date " << d;
        }
    }
}

TEST_F(TimeAxis, HiddenTimePropertiesOverRandomWindows) {
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> startDist(At(2000, 1, 1), At(2030, 1, 1));
    std::uniform_real_distribution<double> lenDist(-1, 3);
    std::uniform_real_distribution<double> u(-0.1, 1.1);
    std::uniform_int_distribution<int> bits(0, (1 << 24) - 1);
    for (int w = 0; w < 120; ++w) {
        TxoHiddenDays days;
        TxoHiddenHours hours;
        int db = bits(rng) & 0x7F, hb = bits(rng);
        for (int i = 0; i < 7; ++i)
            if (db & (1 << i)) days.Include(TxoHiddenDaysEnum(i));
        for (int i = 0; i < 24; ++i)
            if ((hb & (1 << i)) && (i % 3 != 0)) hours.Include(TxoHiddenHoursEnum(i));
        s->SetHiddenDays(days);
        s->SetHiddenHours(hours);
        TDateTime a = startDist(rng);
        Window(a, a + std::pow(10.0, lenDist(rng)));
        std::vector<TDateTime> dates;
        for (int k = 0; k < 60; ++k)
            dates.push_back(s->Start() + u(rng) * (s->Stop() - s->Start()));
        std::sort(dates.begin(), dates.end());
        int last = std::numeric_limits<int>::min();
        for (TDateTime d : dates) {
            int p = s->DateToPixel(d);
            ASSERT_GE(p, last) << "window " << w << ": DateToPixel decreased at " << d;
            last = p;
            // A hidden instant takes the pixel of the next visible one.
            TDateTime high = s->VisibleTimeToTrueTime_High(d);
            if (high != d) {
                ASSERT_EQ(p, s->DateToPixel(high)) << "window " << w << " date " << d;
            }
        }
        for (int k = 0; k + 2 < int(dates.size()); k += 3) {
            TDateTime x = dates[k], y = dates[k + 1], z = dates[k + 2];
            double sum = s->DateDiffToVisibleTime(x, y) + s->DateDiffToVisibleTime(y, z);
            ASSERT_NEAR(sum, s->DateDiffToVisibleTime(x, z), kMs) << "window " << w;
            // Adding visible time gives a date that lies that much visible time away.
            double t = s->DateDiffToVisibleTime(x, z);
            ASSERT_NEAR(s->DateDiffToVisibleTime(x, s->VisibleTimeDiffToTrueTime(x, t)), t, kMs);
            ASSERT_NEAR(s->DateDiffToVisibleTime(z, s->VisibleTimeDiffToTrueTime(z, -t)), -t, kMs);
        }
    }
}
