// Calendar and clock functions on TDateTime (days since 1899-12-30 plus the day's fraction).
#pragma once

#include "platform/plTypes.h"

#include <array>

// Names and markers used by FormatDateTime. Index 0 of the day arrays is Sunday,
// index 0 of the month arrays is January.
struct TFormatSettings {
    std::array<String, 7> ShortDayNames;
    std::array<String, 7> LongDayNames;
    std::array<String, 12> ShortMonthNames;
    std::array<String, 12> LongMonthNames;
    String TimeAMString = "AM";
    String TimePMString = "PM";
    String ShortDateFormat = "yyyy-mm-dd";
    String LongTimeFormat = "hh:nn:ss";
    char DateSeparator = '-';
    char TimeSeparator = ':';

    // English names, independent of the machine.
    static TFormatSettings Invariant();
    // Names of the system locale (falls back to English where the locale has none).
    static TFormatSettings FromSystemLocale();
};

// The settings FormatDateTime uses when none are given; initialised from the system locale.
TFormatSettings& FormatSettings();

constexpr uint16_t MinYear = 1;
constexpr uint16_t MaxYear = 9999;

bool IsLeapYear(int aYear);
int DaysInMonth(int aYear, int aMonth);
bool IsValidDate(int aYear, int aMonth, int aDay);
bool IsValidTime(int aHour, int aMin, int aSec, int aMSec);

// Raises EConvertError for an invalid date or time.
TDateTime EncodeDate(int aYear, int aMonth, int aDay);
TDateTime EncodeTime(int aHour, int aMin, int aSec, int aMSec);
TDateTime EncodeDateTime(int aYear, int aMonth, int aDay, int aHour, int aMin, int aSec, int aMSec);
bool TryEncodeDate(int aYear, int aMonth, int aDay, TDateTime& aResult);
bool TryEncodeTime(int aHour, int aMin, int aSec, int aMSec, TDateTime& aResult);

// The calendar date of aDateTime (its time of day ignored). Raises EConvertError outside the
// years 1..9999.
void DecodeDate(TDateTime aDateTime, uint16_t& aYear, uint16_t& aMonth, uint16_t& aDay);
// The time of day, rounded to the nearest millisecond (never 24:00:00.000).
void DecodeTime(TDateTime aDateTime, uint16_t& aHour, uint16_t& aMin, uint16_t& aSec, uint16_t& aMSec);
void DecodeDateTime(TDateTime aDateTime, uint16_t& aYear, uint16_t& aMonth, uint16_t& aDay,
                    uint16_t& aHour, uint16_t& aMin, uint16_t& aSec, uint16_t& aMSec);

// 1 = Sunday .. 7 = Saturday.
int DayOfWeek(TDateTime aDateTime);
// Day of the year, 1 = January 1st.
int DayOfTheYear(TDateTime aDateTime);
int YearOf(TDateTime aDateTime);
int MonthOf(TDateTime aDateTime);
int DayOf(TDateTime aDateTime);
// aDateTime moved by aMonths calendar months, the day clipped to the target month's length;
// the time of day is kept.
TDateTime IncMonth(TDateTime aDateTime, int aMonths);

TDateTime Date();
TDateTime Time();
TDateTime Now();

// Formats with the letters d dd ddd dddd ddddd m mm mmm mmmm yy yyyy h hh n nn s ss z zzz,
// am/pm and a/p (12-hour clock), t (short time), c (date and time), / and : separators, and
// quoted text ("..." or '...'). "m" directly after an hour means minutes, as usual.
String FormatDateTime(const String& aFormat, TDateTime aDateTime);
String FormatDateTime(const String& aFormat, TDateTime aDateTime, const TFormatSettings& aSettings);
