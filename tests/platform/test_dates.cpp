#include "platform/plDateUtils.h"

#include <gtest/gtest.h>

#include <tuple>

TEST(Dates, DayZeroIsTheEpochAndKnownSerials) {
    // Independent reference values: serial day numbers of the usual spreadsheet/desktop epoch.
    struct Case {
        int y, m, d;
        double serial;
    } cases[] = {
        {1899, 12, 30, 0},      {1899, 12, 31, 1},      {1900, 1, 1, 2},        {1900, 3, 1, 61},
        {1970, 1, 1, 25569},    {2000, 1, 1, 36526},    {2000, 2, 29, 36585},   {2024, 2, 29, 45351},
        {2026, 12, 10, 46366},  {9999, 12, 31, 2958465}, {1, 1, 1, -693593},
    };
    for (auto& c : cases) {
        EXPECT_EQ(EncodeDate(c.y, c.m, c.d), c.serial) << c.y << "-" << c.m << "-" << c.d;
        uint16_t y, m, d;
        DecodeDate(c.serial, y, m, d);
        EXPECT_EQ(std::make_tuple(int(y), int(m), int(d)), std::make_tuple(c.y, c.m, c.d));
    }
}

TEST(Dates, LeapYearsFollowTheGregorianRules) {
    EXPECT_FALSE(IsLeapYear(1900));
    EXPECT_TRUE(IsLeapYear(2000));
    EXPECT_TRUE(IsLeapYear(2024));
    EXPECT_FALSE(IsLeapYear(2100));
    EXPECT_EQ(DaysInMonth(1900, 2), 28);
    EXPECT_EQ(DaysInMonth(2000, 2), 29);
    EXPECT_THROW(EncodeDate(1900, 2, 29), EConvertError);
    EXPECT_NO_THROW(EncodeDate(2000, 2, 29));
}

TEST(Dates, InvalidDatesAndTimesRaiseWithAClearMessage) {
    for (auto [y, m, d] : {std::tuple{2024, 13, 1}, {2024, 0, 1}, {2024, 4, 31}, {0, 1, 1}, {10000, 1, 1}}) {
        try {
            EncodeDate(y, m, d);
            ADD_FAILURE() << "no exception for " << y << "-" << m << "-" << d;
        } catch (const Exception& e) {
            EXPECT_NE(e.Message().find("Invalid date"), String::npos);
        }
    }
    EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
    EXPECT_THROW(EncodeTime(0, 60, 0, 0), EConvertError);
    EXPECT_THROW(EncodeTime(0, 0, 0, 1000), EConvertError);
    uint16_t y, m, d;
    EXPECT_THROW(DecodeDate(1e9, y, m, d), EConvertError);
}

TEST(Dates, DayOfWeekOfKnownDates) {
    EXPECT_EQ(DayOfWeek(EncodeDate(1899, 12, 30)), 7); // a Saturday
    EXPECT_EQ(DayOfWeek(EncodeDate(1970, 1, 1)), 5);   // Thursday
    EXPECT_EQ(DayOfWeek(EncodeDate(2000, 1, 1)), 7);   // Saturday
    EXPECT_EQ(DayOfWeek(EncodeDate(2026, 12, 10)), 5); // Thursday
    EXPECT_EQ(DayOfWeek(EncodeDate(2026, 12, 13)), 1); // Sunday
    EXPECT_EQ(DayOfWeek(EncodeDate(2026, 12, 13) + 0.99), 1);
}

TEST(Dates, EncodeDecodeRoundTripsOverFourHundredYears) {
    TDateTime start = EncodeDate(1800, 1, 1);
    TDateTime stop = EncodeDate(2200, 1, 1);
    int prevDow = DayOfWeek(start) - 1;
    for (TDateTime t = start; t < stop; t += 1) {
        uint16_t y, m, d;
        DecodeDate(t, y, m, d);
        ASSERT_EQ(EncodeDate(y, m, d), t);
        int dow = DayOfWeek(t);
        ASSERT_EQ(dow, prevDow % 7 + 1);
        prevDow = dow;
    }
}

TEST(Dates, TimesRoundToTheMillisecondAndNeverShowMidnightAsTwentyFour) {
    uint16_t h, n, s, ms;
    DecodeTime(EncodeTime(13, 45, 30, 250), h, n, s, ms);
    EXPECT_EQ(std::make_tuple(h, n, s, ms), std::make_tuple(13, 45, 30, 250));
    // A value a hair below the next midnight stays in the day.
    DecodeTime(45000.0 + 0.9999999999, h, n, s, ms);
    EXPECT_EQ(std::make_tuple(h, n, s, ms), std::make_tuple(23, 59, 59, 999));
    // Whole steps summed up keep their exact clock reading.
    TDateTime t = 0;
    for (int i = 0; i < 36; ++i) t += 1.0 / 24 / 6; // 36 x 10 minutes
    DecodeTime(t, h, n, s, ms);
    EXPECT_EQ(std::make_tuple(h, n, s, ms), std::make_tuple(6, 0, 0, 0));
    uint16_t y, mo, d;
    DecodeDateTime(EncodeDate(2026, 12, 31) + 0.99999999999, y, mo, d, h, n, s, ms);
    EXPECT_EQ(std::make_tuple(y, mo, d, h), std::make_tuple(2027, 1, 1, 0));
}

TEST(Dates, IncMonthClipsTheDay) {
    EXPECT_EQ(IncMonth(EncodeDate(2024, 1, 31), 1), EncodeDate(2024, 2, 29));
    EXPECT_EQ(IncMonth(EncodeDate(2024, 3, 31), -13), EncodeDate(2023, 2, 28));
    EXPECT_EQ(IncMonth(EncodeDate(2024, 12, 15) + 0.5, 1), EncodeDate(2025, 1, 15) + 0.5);
}

TEST(Dates, NowIsTodayAndAdvances) {
    TDateTime a = Now();
    EXPECT_GE(a, EncodeDate(2020, 1, 1));
    EXPECT_EQ(Date(), double(Trunc(Now())));
}

TEST(FormatDateTimeTest, FormatLetters) {
    TFormatSettings fs = TFormatSettings::Invariant();
    TDateTime t = EncodeDateTime(2026, 3, 7, 14, 5, 9, 42); // a Saturday
    struct Case {
        const char* fmt;
        const char* want;
    } cases[] = {
        {"d/m/yy", "7-3-26"},
        {"dd.mm.yyyy", "07.03.2026"},
        {"ddd dddd", "Sat Saturday"},
        {"mmm mmmm", "Mar March"},
        {"h:n:s", "14:5:9"},
        {"hh:nn:ss.zzz", "14:05:09.042"},
        {"hh:mm", "14:05"}, // m after an hour means minutes
        {"h am/pm", "2 PM"},
        {"hh a/p", "02 p"},
        {"\"week\" d 'of' mmmm", "week 7 of March"},
        {"yyyy-mm-dd hh:nn", "2026-03-07 14:05"},
        {"z", "42"},
    };
    for (auto& c : cases) EXPECT_EQ(FormatDateTime(c.fmt, t, fs), c.want) << c.fmt;
    EXPECT_EQ(FormatDateTime("h:nn am/pm", EncodeTime(0, 30, 0, 0), fs), "12:30 AM");
    EXPECT_EQ(FormatDateTime("h:nn am/pm", EncodeTime(12, 0, 0, 0), fs), "12:00 PM");
}

TEST(FormatDateTimeTest, NamesComeFromTheSettings) {
    TFormatSettings fs = TFormatSettings::Invariant();
    fs.LongMonthNames[0] = "januari";
    fs.ShortDayNames[1] = "mån";
    EXPECT_EQ(FormatDateTime("mmmm ddd", EncodeDate(2024, 1, 1), fs), "januari mån");
    // The process-wide settings exist and have names in every slot.
    for (auto& n : FormatSettings().LongMonthNames) EXPECT_FALSE(n.empty());
}
