// The marks of the date scaler: the steps chosen along the zoom ladder, the mark lists built for
// known windows with their labels, snapping, week numbers and quarters, and hidden marks.
#include "scaler/xoScaler.h"

#include "platform/plDateUtils.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <memory>

namespace {
TDateTime At(int y, int m, int d, int h = 0, int n = 0, int sec = 0) {
    return EncodeDateTime(y, m, d, h, n, sec, 0);
}

int HourOf(TDateTime d) {
    uint16_t h, n, sec, ms;
    DecodeTime(d, h, n, sec, ms);
    return h;
}

class Marks : public ::testing::Test {
protected:
    void SetUp() override {
        s = std::make_unique<TxoDateScaler>(nullptr);
        s->SetHorizontal(true);
        s->SetBounds(0, 0, 800, 45);
    }
    // A window of 800 pixels from a, at the given visible time per pixel.
    void Window(TDateTime a, double scale) {
        s->SetStart(a);
        s->SetScale(scale);
    }
    const TScaleMarkList& Short() const { return s->ShortScaleMarkDrawList(); }
    const TScaleMarkList& Long() const { return s->LongScaleMarkDrawList(); }
    const TScaleMark* ShortAt(TDateTime d) const {
        for (const auto& m : Short())
            if (std::fabs(m->DateTime - d) < 1e-9) return m.get();
        return nullptr;
    }
    std::unique_ptr<TxoDateScaler> s;
};
} // namespace

TEST_F(Marks, StepsAlongTheZoomLadder) {
    struct Case {
        double scale;
        TDateTime small, large;
        const char* smallName;
        const char* longName;
    };
    const Case cases[] = {
        {ScaleDoubleDecadesAndDecades, kScale10Year, kScale20Year, "10 år", "20 år"},
        {ScaleDecadesAndYear, kScale1Year, kScale10Year, "1 år", "10 år"},
        {ScaleYearAndQuorter, kScale3Month, kScale1Year, "3 månader", "1 år"},
        {ScaleQuorterAndMonth, kScale1Month, kScale3Month, "1 månad", "3 månader"},
        {ScaleMonthAndWeek, kScale1Week, kScale1Month, "1 vecka", "1 månad"},
        {ScaleWeekAndDay, kScale1Day, kScale1Week, "1 dag", "1 vecka"},
        {ScaleDayAndHour, kScale1Hour, kScale1Day, "1 timme", "1 dag"},
        {ScaleHourAnd10Minute, kScale10Min, kScale1Hour, "10 min", "1 timme"},
        {Scale10MinuteAndMinute, kScale1Min, kScale10Min, "1 min", "10 min"},
        {ScaleMinuteAnd10Sec, kScale10Sec, kScale1Min, "10 sek", "1 min"},
        {Scale10SecAndSec, kScale1Sec, kScale10Sec, "1 sek", "10 sek"},
    };
    for (const Case& c : cases) {
        Window(At(1985, 6, 1), c.scale);
        EXPECT_EQ(s->SmallStep(), c.small) << c.scale;
        EXPECT_EQ(s->LongStep(), c.large) << c.scale;
        EXPECT_EQ(s->SmallStepName(), c.smallName) << c.scale;
        EXPECT_EQ(s->LongStepName(), c.longName) << c.scale;
        EXPECT_NEAR(s->CtrlStep(), 10 * c.scale, 1e-11); // dates near 1985 hold about 1e-11 days
    }
}

TEST_F(Marks, StepForkEnds) {
    String name;
    EXPECT_EQ(s->StepFork(0, name), kScale10Hun);
    EXPECT_EQ(name, "1 tiondel");
    EXPECT_EQ(s->StepFork(kScale1Hour, name), kScale1Day);
    EXPECT_EQ(name, "1 dag");
    EXPECT_EQ(s->StepFork(kScale10Year, name), kScale20Year);
    EXPECT_EQ(s->StepFork(kScale20Year, name), kScale100Year);
    EXPECT_EQ(name, "100 år");
    EXPECT_EQ(s->StepFork(1e9, name), kScale100Year);
}

TEST_F(Marks, ZoomLadderBothWays) {
    EXPECT_DOUBLE_EQ(GetPrevScale(0.0018), 0.0002);
    EXPECT_DOUBLE_EQ(GetNextScale(0.0018), 0.0347);
    const double ladder[] = {40.62,  10.64,  2,         1,          0.0927,   0.0347,
                             0.0018, 0.0002, 0.0000314, 0.00000283, 0.0000006};
    double x = 1000;
    for (double t : ladder) {
        x = GetPrevScale(x);
        EXPECT_DOUBLE_EQ(x, t);
    }
    EXPECT_EQ(GetPrevScale(x), 0); // nothing finer than the finest level
    x = 0;
    for (int i = int(std::size(ladder)) - 1; i >= 0; --i) {
        x = GetNextScale(x);
        EXPECT_DOUBLE_EQ(x, ladder[i]);
    }
    EXPECT_EQ(GetNextScale(x), 0); // nothing coarser than the coarsest level
    // Values just beside a threshold count as on it.
    EXPECT_DOUBLE_EQ(GetPrevScale(0.0018 + 0.0000002), 0.0002);
    EXPECT_DOUBLE_EQ(GetNextScale(0.0018 - 0.0000002), 0.0347);
}

TEST_F(Marks, Snapping) {
    const TDateTime d = At(2014, 9, 23);
    EXPECT_NEAR(s->Snap(d + 10 * kHour + 40 * kMinute, kScale1Hour), d + 11 * kHour, 1e-9);
    EXPECT_NEAR(s->Snap(d + 10 * kHour + 29 * kMinute, kScale1Hour), d + 10 * kHour, 1e-9);
    EXPECT_NEAR(s->Snap(d + 13 * kHour, kScale1Day), At(2014, 9, 24), 1e-9);
    EXPECT_NEAR(s->Snap(d + 3 * kMinute + 20 * kScale1Sec, kScale10Min), d, 1e-9);
    EXPECT_EQ(s->Snap(d + 0.3, kScale1Month), At(2014, 9, 1));
    EXPECT_EQ(s->Snap(At(2014, 8, 15), kScale3Month), At(2014, 7, 1));
    EXPECT_EQ(s->Snap(At(2014, 12, 31), kScale3Month), At(2014, 10, 1));
    EXPECT_EQ(s->Snap(At(2014, 8, 15), kScale1Year), At(2014, 1, 1));
    EXPECT_EQ(s->Snap(At(1995, 8, 15), kScale10Year), At(1990, 1, 1));
    EXPECT_EQ(s->Snap(At(1995, 8, 15), kScale20Year), At(1980, 1, 1));
    EXPECT_EQ(s->Snap(At(1995, 8, 15), kScale100Year), At(1900, 1, 1));
    EXPECT_EQ(s->Snap(At(2014, 9, 25, 13), kScale1Week), At(2014, 9, 22)); // Thursday to Monday
    s->SetFirstDayOfWeek(1);
    EXPECT_EQ(s->Snap(At(2014, 9, 25, 13), kScale1Week), At(2014, 9, 21)); // to Sunday
    EXPECT_EQ(s->Snap(d + 0.123, kScale10Hun / 2), d + 0.123);             // below 10 ms: unchanged
}

TEST_F(Marks, AdaptiveStepsFollowTheCalendar) {
    EXPECT_EQ(s->GetAdaptiveStep(At(2014, 1, 1), kScale1Month), 31);
    EXPECT_EQ(s->GetAdaptiveStep(At(2014, 2, 1), kScale1Month), 28);
    EXPECT_EQ(s->GetAdaptiveStep(At(2014, 12, 1), kScale1Month), 31);
    EXPECT_EQ(s->GetAdaptiveStep(At(2014, 10, 1), kScale3Month), 92);
    EXPECT_EQ(s->GetAdaptiveStep(At(2016, 1, 1), kScale1Year), 366);
    EXPECT_EQ(s->GetAdaptiveStep(At(2000, 1, 1), kScale10Year), 3653);
    EXPECT_EQ(s->GetAdaptiveStep(At(2000, 1, 1), kScale1Hour), kScale1Hour);
}

TEST_F(Marks, HoursAndDays) {
    const TDateTime mon = At(2014, 9, 22);
    Window(mon, ScaleDayAndHour);
    // An hour is 23.15 pixels: marks for hours 0 to 35, the last one past the end.
    ASSERT_EQ(Short().size(), 36u);
    EXPECT_NEAR(Short().front()->DateTime, mon, 1e-9);
    EXPECT_NEAR(Short().front()->Pixel, 0, 1e-6);
    EXPECT_EQ(Short().front()->PresString, "00");
    EXPECT_NEAR(Short().back()->DateTime, mon + 35 * kHour, 1e-9);
    EXPECT_EQ(Short().back()->PresString, "11");
    EXPECT_GE(Short().back()->Pixel, 800);
    EXPECT_EQ(Short()[13]->PresString, "13");
    EXPECT_NEAR(Short()[13]->Pixel, 13 * kHour / ScaleDayAndHour, 1e-6);
    ASSERT_EQ(Long().size(), 3u);
    EXPECT_EQ(Long()[0]->PresString, FormatDateTime("ddd", mon));
    EXPECT_EQ(Long()[1]->PresString, FormatDateTime("ddd", mon + 1));
    EXPECT_TRUE(Long()[0]->LongNotShort);
    EXPECT_FALSE(Short()[0]->LongNotShort);
    EXPECT_EQ(s->GetOddOrEventStartForVerticalBack(), int(DayOfTheYear(mon)) - 1);
}

TEST_F(Marks, MonthsAndQuarters) {
    Window(At(2014, 1, 15), ScaleQuorterAndMonth);
    // Month marks on the first of each month, from the one before Start.
    EXPECT_EQ(Short()[0]->DateTime, At(2014, 1, 1));
    EXPECT_NEAR(Short()[0]->Pixel, -14, 1e-9);
    EXPECT_EQ(Short()[1]->DateTime, At(2014, 2, 1));
    EXPECT_EQ(Short()[2]->DateTime, At(2014, 3, 1));
    EXPECT_EQ(Short()[12]->DateTime, At(2015, 1, 1));
    EXPECT_EQ(Short()[1]->PresString, FormatDateTime("mmm", At(2014, 2, 1)));
    // Quarter marks on January, April, July and October 1.
    EXPECT_EQ(Long()[0]->DateTime, At(2014, 1, 1));
    EXPECT_EQ(Long()[1]->DateTime, At(2014, 4, 1));
    EXPECT_EQ(Long()[2]->DateTime, At(2014, 7, 1));
    EXPECT_EQ(Long()[3]->DateTime, At(2014, 10, 1));
    EXPECT_EQ(Long()[0]->PresString, "2014 Q1");
    EXPECT_EQ(Long()[3]->PresString, "2014 Q4");
    EXPECT_EQ(Long()[4]->PresString, "2015 Q1");
    EXPECT_EQ(s->GetOddOrEventStartForVerticalBack(), 1);
    Window(At(2014, 1, 15), ScaleYearAndQuorter);
    EXPECT_EQ(Short()[1]->DateTime, At(2014, 4, 1));
    EXPECT_EQ(Short()[1]->PresString, " Q2");
    EXPECT_EQ(Long()[0]->PresString, "2014");
    EXPECT_EQ(Long()[1]->PresString, "2015");
}

TEST_F(Marks, YearsAndDecades) {
    Window(At(1985, 6, 1), ScaleDecadesAndYear);
    EXPECT_EQ(Short()[0]->DateTime, At(1985, 1, 1));
    EXPECT_EQ(Short()[0]->PresString, "85");
    const TScaleMark* m1990 = nullptr;
    for (const auto& m : Long())
        if (m->DateTime == At(1990, 1, 1)) m1990 = m.get();
    ASSERT_TRUE(m1990);
    EXPECT_EQ(m1990->PresString, "1990 - 2000");
    // A decade that holds three leap years still ends on a decade.
    EXPECT_EQ(Long()[2]->PresString, "2000 - 2010");
    EXPECT_EQ(Long()[0]->DateTime, At(1980, 1, 1));
    for (const auto& m : Long())
        EXPECT_EQ(YearOf(m->DateTime) % 10, 0);
    Window(At(1985, 6, 1), ScaleDoubleDecadesAndDecades);
    EXPECT_EQ(Short()[0]->DateTime, At(1980, 1, 1));
    EXPECT_EQ(Short()[2]->PresString, "00");
    EXPECT_EQ(Long()[0]->DateTime, At(1980, 1, 1));
    EXPECT_EQ(Long()[0]->PresString, "1980 - 2000");
    EXPECT_EQ(Long()[1]->PresString, "2000 - 2020");
}

TEST_F(Marks, WeekNumbersWithMondayFirst) {
    bool next;
    EXPECT_EQ(s->GetWeekNum(At(2015, 1, 1), next), 1);
    EXPECT_FALSE(next);
    EXPECT_EQ(s->GetWeekNum(At(2016, 1, 1), next), 1); // a Friday: before week 1, counted as 1
    EXPECT_EQ(s->GetWeekNum(At(2015, 12, 28), next), 53);
    EXPECT_FALSE(next);
    EXPECT_EQ(s->GetWeekNum(At(2018, 12, 31), next), 1);
    EXPECT_TRUE(next);
    EXPECT_EQ(s->GetWeekNum(At(2014, 9, 22), next), 39);
    bool holds;
    EXPECT_EQ(s->FirstWeekOfYear(At(2015, 6, 1), holds), At(2014, 12, 29));
    EXPECT_TRUE(holds);
    EXPECT_EQ(s->FirstWeekOfYear(At(2016, 6, 1), holds), At(2016, 1, 4));
    EXPECT_FALSE(holds);
    s->SetWeekNumbers(true);
    EXPECT_EQ(s->GetWeekString("", At(2014, 9, 22), false, 0), "2014 w 39");
    EXPECT_EQ(s->GetWeekString("", At(2014, 9, 22), true, 0), " w 39");
    EXPECT_EQ(s->GetWeekString("", At(2018, 12, 31), false, 0), "2019 w 1");
    s->SetWeekYearFormat("");
    EXPECT_EQ(s->GetWeekString("", At(2018, 12, 31), false, 0), " w 1");
}

TEST_F(Marks, WeekNumbersWithSundayFirst) {
    s->SetFirstDayOfWeek(1);
    bool next;
    // 2015-01-01 is a Thursday: week 1 starts on Sunday January 4.
    EXPECT_EQ(s->GetWeekNum(At(2015, 1, 1), next), 1);
    EXPECT_EQ(s->GetWeekNum(At(2015, 1, 4), next), 1);
    EXPECT_EQ(s->GetWeekNum(At(2015, 1, 11), next), 2);
    EXPECT_EQ(s->GetWeekNum(At(2014, 12, 28), next), 53);
    EXPECT_FALSE(next);
    // 2017 starts on a Sunday; the week of Sunday 2017-12-31 holds 2018-01-01 and is week 1.
    EXPECT_EQ(s->GetWeekNum(At(2017, 1, 1), next), 1);
    EXPECT_EQ(s->GetWeekNum(At(2016, 12, 25), next), 52);
    EXPECT_EQ(s->GetWeekNum(At(2017, 12, 31), next), 1);
    EXPECT_TRUE(next);
    EXPECT_EQ(s->TruncToFirstDayOfWeek(At(2017, 12, 31, 15)), At(2017, 12, 31));
    EXPECT_EQ(s->TruncToFirstDayOfWeek(At(2018, 1, 6, 15)), At(2017, 12, 31));
    // A first day outside 1..7 still ends the step back.
    s->SetFirstDayOfWeek(9);
    EXPECT_EQ(DayOfWeek(s->TruncToFirstDayOfWeek(At(2018, 1, 6))), 2);
}

TEST_F(Marks, WeekMarksWithWeekNumbers) {
    s->SetWeekNumbers(true);
    Window(At(2015, 12, 1), ScaleMonthAndWeek);
    const TScaleMark* w53 = ShortAt(At(2015, 12, 28));
    ASSERT_TRUE(w53);
    EXPECT_EQ(w53->PresString, " w 53");
    const TScaleMark* w1 = ShortAt(At(2016, 1, 4));
    ASSERT_TRUE(w1);
    EXPECT_EQ(w1->PresString, " w 1");
    EXPECT_EQ(Long()[0]->PresString, "2015 " + FormatDateTime("mmm", At(2015, 12, 1)));
}

TEST_F(Marks, Quarters) {
    EXPECT_EQ(s->DateToQuarter(At(2014, 1, 1)), 1);
    EXPECT_EQ(s->DateToQuarter(At(2014, 4, 1)), 2);
    EXPECT_EQ(s->DateToQuarter(At(2014, 7, 1)), 3);
    EXPECT_EQ(s->DateToQuarter(At(2014, 10, 1)), 4);
    EXPECT_EQ(s->DateToQuarter(At(2014, 3, 10)), 1);
    EXPECT_EQ(s->DateToQuarter(At(2014, 12, 20)), 1); // 15 days on is January
}

TEST_F(Marks, HiddenWeekendAtDayResolution) {
    s->SetHiddenDays(TxoHiddenDays{thdSAT, thdSUN});
    Window(At(2014, 9, 22), ScaleWeekAndDay);
    const TScaleMark* fri = ShortAt(At(2014, 9, 26));
    const TScaleMark* sat = ShortAt(At(2014, 9, 27));
    const TScaleMark* sun = ShortAt(At(2014, 9, 28));
    const TScaleMark* mon = ShortAt(At(2014, 9, 29));
    ASSERT_TRUE(fri && sat && sun && mon);
    EXPECT_FALSE(fri->Hidden);
    EXPECT_TRUE(sat->Hidden);
    EXPECT_TRUE(sun->Hidden);
    EXPECT_FALSE(mon->Hidden);
    EXPECT_NEAR(sat->Pixel, mon->Pixel, 1e-6);
    EXPECT_NEAR(sun->Pixel, mon->Pixel, 1e-6);
    EXPECT_NEAR(mon->Pixel - fri->Pixel, 1 / ScaleWeekAndDay, 1e-6);
}

TEST_F(Marks, HiddenNightsAtHourResolution) {
    TxoHiddenHours h;
    for (int i = 0; i < 8; ++i)
        h.Include(TxoHiddenHoursEnum(i));
    for (int i = 18; i < 24; ++i)
        h.Include(TxoHiddenHoursEnum(i));
    s->SetHiddenHours(h);
    const TDateTime mon = At(2014, 9, 22);
    Window(mon + 9 * kHour, ScaleDayAndHour);
    ASSERT_EQ(s->SmallStep(), kScale1Hour);
    const TScaleMark* m17 = ShortAt(mon + 17 * kHour);
    const TScaleMark* m18 = ShortAt(mon + 18 * kHour);
    ASSERT_TRUE(m17 && m18);
    EXPECT_FALSE(m17->Hidden);
    EXPECT_TRUE(m18->Hidden);
    // After 18:00 the next mark is 05:00: the last three steps before 08:00.
    const TScaleMarkList& L = Short();
    size_t i18 = 0;
    while (L[i18].get() != m18)
        ++i18;
    ASSERT_LT(i18 + 4, L.size());
    const TDateTime tue = mon + 1;
    EXPECT_NEAR(L[i18 + 1]->DateTime, tue + 5 * kHour, 1e-9);
    EXPECT_NEAR(L[i18 + 2]->DateTime, tue + 6 * kHour, 1e-9);
    EXPECT_NEAR(L[i18 + 3]->DateTime, tue + 7 * kHour, 1e-9);
    EXPECT_NEAR(L[i18 + 4]->DateTime, tue + 8 * kHour, 1e-9);
    EXPECT_TRUE(L[i18 + 1]->Hidden);
    EXPECT_TRUE(L[i18 + 3]->Hidden);
    EXPECT_FALSE(L[i18 + 4]->Hidden);
    EXPECT_NEAR(L[i18 + 4]->Pixel, m18->Pixel, 1e-6);
}

TEST_F(Marks, MarksStayFewAtFineResolutionAcrossHiddenTime) {
    s->SetHiddenDays(TxoHiddenDays{thdSAT, thdSUN});
    TxoHiddenHours h;
    for (int i = 0; i < 8; ++i)
        h.Include(TxoHiddenHoursEnum(i));
    s->SetHiddenHours(h);
    // One second resolution, the window starting 20 seconds before the weekend.
    Window(At(2014, 9, 26, 23, 59, 40), Scale10SecAndSec);
    ASSERT_EQ(s->SmallStep(), kScale1Sec);
    EXPECT_LT(Short().size(), 80u);
    for (size_t i = 1; i < Short().size(); ++i)
        EXPECT_GE(Short()[i]->Pixel, Short()[i - 1]->Pixel);
    EXPECT_GE(Short().back()->Pixel, 800);
}

TEST_F(Marks, UserStringsReplaceTheLabels) {
    Window(At(2014, 9, 22), ScaleDayAndHour);
    s->SetOnUserStringShort([](TDateTime d, TDateTime step, String& text, TScalerFont& font) {
        EXPECT_EQ(step, kScale1Hour);
        text = "h" + text;
        if (HourOf(d) == 3) font = sTextFont2;
    });
    s->SetOnUserStringLong([](TDateTime, TDateTime step, String& text, TScalerFont& font) {
        EXPECT_EQ(step, kScale1Day);
        text = "day";
        font = sTextFont3;
    });
    s->SetOnUserStringShortSub([](TDateTime d, TDateTime, String& text, TScalerFont& font) {
        text = std::to_string(HourOf(d) * 60);
        font = sTextFont2;
    });
    s->CalcDrawMode();
    EXPECT_EQ(Short()[2]->PresString, "h02");
    EXPECT_EQ(Short()[2]->ScalerFont, sTextFont1);
    EXPECT_EQ(Short()[3]->ScalerFont, sTextFont2);
    EXPECT_EQ(Short()[2]->SubShortStr, "120");
    EXPECT_EQ(Short()[2]->SubShortScalerFont, sTextFont2);
    EXPECT_EQ(Long()[0]->PresString, "day");
    EXPECT_EQ(Long()[0]->ScalerFont, sTextFont3);
    EXPECT_TRUE(Long()[0]->SubShortStr.empty());
}
