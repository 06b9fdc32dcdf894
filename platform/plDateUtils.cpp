#include "platform/plDateUtils.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cmath>
#include <cstdio>

namespace {
using namespace std::chrono;

constexpr int64_t kMSecsPerDay = 86400000;
// Day 0 of TDateTime.
constexpr sys_days kEpoch = sys_days(year(1899) / December / 30);

sys_days ToSysDays(int64_t aDays) { return kEpoch + days(aDays); }

year_month_day DateOfDay(int64_t aDays) {
    if (aDays < -693593 || aDays > 2958465) // before 0001-01-01 or after 9999-12-31
        throw EConvertError("Invalid date: " + std::to_string(aDays) + " is outside the years 1 to 9999");
    return year_month_day(ToSysDays(aDays));
}

// Milliseconds into the day, rounded, never a whole day.
int64_t TimeMSecs(TDateTime aDateTime) {
    double f = std::fabs(Frac(aDateTime));
    int64_t ms = Round(f * double(kMSecsPerDay));
    if (ms >= kMSecsPerDay) ms = kMSecsPerDay - 1;
    return ms;
}

String Pad(int v, int width) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%0*d", width, v);
    return buf;
}
} // namespace

bool IsLeapYear(int aYear) { return year(aYear).is_leap(); }

int DaysInMonth(int aYear, int aMonth) {
    if (aMonth < 1 || aMonth > 12) return 0;
    auto last = year_month_day_last(year(aYear), month_day_last(month(unsigned(aMonth))));
    return int(unsigned(last.day()));
}

bool IsValidDate(int aYear, int aMonth, int aDay) {
    return aYear >= MinYear && aYear <= MaxYear && aMonth >= 1 && aMonth <= 12 && aDay >= 1 &&
           aDay <= DaysInMonth(aYear, aMonth);
}

bool IsValidTime(int aHour, int aMin, int aSec, int aMSec) {
    return aHour >= 0 && aHour < 24 && aMin >= 0 && aMin < 60 && aSec >= 0 && aSec < 60 && aMSec >= 0 &&
           aMSec < 1000;
}

bool TryEncodeDate(int aYear, int aMonth, int aDay, TDateTime& aResult) {
    if (!IsValidDate(aYear, aMonth, aDay)) return false;
    sys_days d = sys_days(year(aYear) / month(unsigned(aMonth)) / day(unsigned(aDay)));
    aResult = double((d - kEpoch).count());
    return true;
}

bool TryEncodeTime(int aHour, int aMin, int aSec, int aMSec, TDateTime& aResult) {
    if (!IsValidTime(aHour, aMin, aSec, aMSec)) return false;
    int64_t ms = ((int64_t(aHour) * 60 + aMin) * 60 + aSec) * 1000 + aMSec;
    aResult = double(ms) / double(kMSecsPerDay);
    return true;
}

TDateTime EncodeDate(int aYear, int aMonth, int aDay) {
    TDateTime r;
    if (!TryEncodeDate(aYear, aMonth, aDay, r))
        throw EConvertError("Invalid date: " + std::to_string(aYear) + "-" + std::to_string(aMonth) + "-" +
                            std::to_string(aDay));
    return r;
}

TDateTime EncodeTime(int aHour, int aMin, int aSec, int aMSec) {
    TDateTime r;
    if (!TryEncodeTime(aHour, aMin, aSec, aMSec, r))
        throw EConvertError("Invalid time: " + std::to_string(aHour) + ":" + std::to_string(aMin) + ":" +
                            std::to_string(aSec) + "." + std::to_string(aMSec));
    return r;
}

TDateTime EncodeDateTime(int aYear, int aMonth, int aDay, int aHour, int aMin, int aSec, int aMSec) {
    return EncodeDate(aYear, aMonth, aDay) + EncodeTime(aHour, aMin, aSec, aMSec);
}

void DecodeDate(TDateTime aDateTime, uint16_t& aYear, uint16_t& aMonth, uint16_t& aDay) {
    if (!std::isfinite(aDateTime)) throw EConvertError("Invalid date: not a number");
    year_month_day ymd = DateOfDay(Trunc(aDateTime));
    aYear = uint16_t(int(ymd.year()));
    aMonth = uint16_t(unsigned(ymd.month()));
    aDay = uint16_t(unsigned(ymd.day()));
}

void DecodeTime(TDateTime aDateTime, uint16_t& aHour, uint16_t& aMin, uint16_t& aSec, uint16_t& aMSec) {
    if (!std::isfinite(aDateTime)) throw EConvertError("Invalid time: not a number");
    int64_t ms = TimeMSecs(aDateTime);
    aMSec = uint16_t(ms % 1000);
    ms /= 1000;
    aSec = uint16_t(ms % 60);
    ms /= 60;
    aMin = uint16_t(ms % 60);
    aHour = uint16_t(ms / 60);
}

void DecodeDateTime(TDateTime aDateTime, uint16_t& aYear, uint16_t& aMonth, uint16_t& aDay, uint16_t& aHour,
                    uint16_t& aMin, uint16_t& aSec, uint16_t& aMSec) {
    if (!std::isfinite(aDateTime)) throw EConvertError("Invalid date: not a number");
    // Round the whole value to milliseconds first, so 23:59:59.9999 is the next midnight
    // rather than a day with a time that cannot be shown.
    double ms = std::round(aDateTime * double(kMSecsPerDay));
    TDateTime rounded = ms / double(kMSecsPerDay);
    if (rounded >= 0) {
        DecodeDate(rounded, aYear, aMonth, aDay);
        DecodeTime(rounded, aHour, aMin, aSec, aMSec);
    } else {
        DecodeDate(aDateTime, aYear, aMonth, aDay);
        DecodeTime(aDateTime, aHour, aMin, aSec, aMSec);
    }
}

int DayOfWeek(TDateTime aDateTime) {
    weekday wd(ToSysDays(Trunc(aDateTime)));
    return int(wd.c_encoding()) + 1; // c_encoding: 0 = Sunday
}

int DayOfTheYear(TDateTime aDateTime) {
    uint16_t y, m, d;
    DecodeDate(aDateTime, y, m, d);
    return int(Trunc(aDateTime) - Trunc(EncodeDate(y, 1, 1))) + 1;
}

int YearOf(TDateTime aDateTime) {
    uint16_t y, m, d;
    DecodeDate(aDateTime, y, m, d);
    return y;
}

int MonthOf(TDateTime aDateTime) {
    uint16_t y, m, d;
    DecodeDate(aDateTime, y, m, d);
    return m;
}

int DayOf(TDateTime aDateTime) {
    uint16_t y, m, d;
    DecodeDate(aDateTime, y, m, d);
    return d;
}

TDateTime IncMonth(TDateTime aDateTime, int aMonths) {
    uint16_t y, m, d;
    DecodeDate(aDateTime, y, m, d);
    int64_t total = int64_t(y) * 12 + (m - 1) + aMonths;
    int ny = int(total / 12);
    int nm = int(total % 12) + 1;
    int nd = std::min<int>(d, DaysInMonth(ny, nm));
    return EncodeDate(ny, nm, nd) + Frac(aDateTime);
}

TDateTime Now() {
    auto now = system_clock::now();
    std::time_t t = system_clock::to_time_t(now);
    std::tm tm{};
    localtime_r(&t, &tm);
    int ms = int(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
    return EncodeDateTime(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min,
                          std::min(tm.tm_sec, 59), ms);
}

TDateTime Date() { return double(Trunc(Now())); }
TDateTime Time() { return Frac(Now()); }

// ---- FormatDateTime -------------------------------------------------------------------------
namespace {
char Lower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

bool StartsWithNoCase(const String& s, size_t pos, const char* what) {
    for (size_t i = 0; what[i]; ++i)
        if (pos + i >= s.size() || Lower(s[pos + i]) != what[i]) return false;
    return true;
}

struct Fields {
    uint16_t y, mo, d, h, mi, s, ms;
    int dow; // 1 = Sunday
};

void Format(String& out, const String& fmt, const Fields& f, const TFormatSettings& fs, int depth);

void FormatPart(String& out, const String& fmt, const Fields& f, const TFormatSettings& fs, int depth) {
    if (depth > 2) return; // "c" inside the short date format, and so on: stop recursing
    Format(out, fmt, f, fs, depth + 1);
}

void Format(String& out, const String& fmt, const Fields& f, const TFormatSettings& fs, int depth) {
    bool use12 = false;
    // A 12-hour clock applies when the format has an am/pm marker anywhere.
    for (size_t i = 0; i < fmt.size(); ++i)
        if (StartsWithNoCase(fmt, i, "am/pm") || StartsWithNoCase(fmt, i, "a/p") ||
            StartsWithNoCase(fmt, i, "ampm")) {
            use12 = true;
            break;
        }
    bool lastWasHour = false;
    size_t i = 0;
    while (i < fmt.size()) {
        char c = fmt[i];
        char lc = Lower(c);
        auto runOf = [&](char ch) {
            size_t n = 0;
            while (i + n < fmt.size() && Lower(fmt[i + n]) == ch) ++n;
            return n;
        };
        if (c == '"' || c == '\'') {
            size_t end = fmt.find(c, i + 1);
            if (end == String::npos) end = fmt.size();
            out.append(fmt, i + 1, end - i - 1);
            i = end + 1;
            continue;
        }
        if (lc == 'a' && StartsWithNoCase(fmt, i, "am/pm")) {
            out += f.h < 12 ? fs.TimeAMString : fs.TimePMString;
            i += 5;
            continue;
        }
        if (lc == 'a' && StartsWithNoCase(fmt, i, "a/p")) {
            out += f.h < 12 ? (c == 'A' ? "A" : "a") : (c == 'A' ? "P" : "p");
            i += 3;
            continue;
        }
        if (lc == 'a' && StartsWithNoCase(fmt, i, "ampm")) {
            out += f.h < 12 ? fs.TimeAMString : fs.TimePMString;
            i += 4;
            continue;
        }
        switch (lc) {
        case 'y': {
            size_t n = runOf('y');
            if (n <= 2)
                out += Pad(f.y % 100, 2);
            else
                out += Pad(f.y, 4);
            i += n;
            lastWasHour = false;
            break;
        }
        case 'm': {
            size_t n = runOf('m');
            if (lastWasHour && n <= 2) {
                out += n == 1 ? std::to_string(f.mi) : Pad(f.mi, 2);
            } else if (n == 1) {
                out += std::to_string(f.mo);
            } else if (n == 2) {
                out += Pad(f.mo, 2);
            } else if (n == 3) {
                out += fs.ShortMonthNames[f.mo - 1];
            } else {
                out += fs.LongMonthNames[f.mo - 1];
            }
            i += n;
            lastWasHour = false;
            break;
        }
        case 'd': {
            size_t n = runOf('d');
            if (n == 1)
                out += std::to_string(f.d);
            else if (n == 2)
                out += Pad(f.d, 2);
            else if (n == 3)
                out += fs.ShortDayNames[f.dow - 1];
            else if (n == 4)
                out += fs.LongDayNames[f.dow - 1];
            else
                FormatPart(out, fs.ShortDateFormat, f, fs, depth);
            i += n;
            lastWasHour = false;
            break;
        }
        case 'h': {
            size_t n = runOf('h');
            int h = f.h;
            if (use12) {
                h %= 12;
                if (h == 0) h = 12;
            }
            out += n == 1 ? std::to_string(h) : Pad(h, 2);
            i += n;
            lastWasHour = true;
            break;
        }
        case 'n': {
            size_t n = runOf('n');
            out += n == 1 ? std::to_string(f.mi) : Pad(f.mi, 2);
            i += n;
            lastWasHour = false;
            break;
        }
        case 's': {
            size_t n = runOf('s');
            out += n == 1 ? std::to_string(f.s) : Pad(f.s, 2);
            i += n;
            lastWasHour = false;
            break;
        }
        case 'z': {
            size_t n = runOf('z');
            out += n < 3 ? std::to_string(f.ms) : Pad(f.ms, 3);
            i += n;
            lastWasHour = false;
            break;
        }
        case 't': {
            size_t n = runOf('t');
            FormatPart(out, n == 1 ? String("hh:nn") : fs.LongTimeFormat, f, fs, depth);
            i += n;
            lastWasHour = false;
            break;
        }
        case 'c': {
            FormatPart(out, fs.ShortDateFormat, f, fs, depth);
            if (f.h || f.mi || f.s || f.ms) {
                out += ' ';
                FormatPart(out, fs.LongTimeFormat, f, fs, depth);
            }
            i += 1;
            lastWasHour = false;
            break;
        }
        case '/':
            out += fs.DateSeparator;
            ++i;
            break;
        case ':':
            out += fs.TimeSeparator;
            ++i;
            break;
        default:
            out += c;
            ++i;
            break;
        }
    }
}
} // namespace

String FormatDateTime(const String& aFormat, TDateTime aDateTime, const TFormatSettings& aSettings) {
    Fields f{};
    DecodeDateTime(aDateTime, f.y, f.mo, f.d, f.h, f.mi, f.s, f.ms);
    TDateTime day;
    TryEncodeDate(f.y, f.mo, f.d, day);
    f.dow = DayOfWeek(day);
    String out;
    Format(out, aFormat.empty() ? String("c") : aFormat, f, aSettings, 0);
    return out;
}

String FormatDateTime(const String& aFormat, TDateTime aDateTime) {
    return FormatDateTime(aFormat, aDateTime, FormatSettings());
}

TFormatSettings TFormatSettings::Invariant() {
    TFormatSettings s;
    s.ShortDayNames = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    s.LongDayNames = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
    s.ShortMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    s.LongMonthNames = {"January", "February", "March",     "April",   "May",      "June",
                        "July",    "August",   "September", "October", "November", "December"};
    return s;
}

TFormatSettings& FormatSettings() {
    static TFormatSettings settings = TFormatSettings::FromSystemLocale();
    return settings;
}
