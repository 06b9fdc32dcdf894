// Snapping of start and stop times to a grid that widens when the view zooms out.
#include "foundation/xoGraphStuff.h"
#include "platform/plDateUtils.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr TDateTime kMin = 1.0 / (24 * 60);
constexpr TDateTime kSec = kMin / 60;
constexpr TDateTime kHour = 60 * kMin;
// A millisecond: times are compared to this.
constexpr TDateTime kEps = kSec / 1000;

TDateTime Day() {
    return EncodeDate(2024, 3, 5);
}
TDateTime At(int h, int m, int s = 0) {
    return Day() + EncodeTime(h, m, s, 0);
}

// As the Gantt chart sets it up.
void GanttSnap(TSnapHandler& s, TDateTime aResolution) {
    s.SetStartSnap(5 * kMin);
    s.SetStopSnap(1 * kMin);
    s.SetStartSnapONOFF(true);
    s.SetStopSnapONOFF(true);
    s.SetCurrentScreenResolution(aResolution);
}

TEST(SnapHandler, StartsSwitchedOff) {
    TSnapHandler s;
    EXPECT_FALSE(s.StartSnapONOFF());
    EXPECT_FALSE(s.StopSnapONOFF());
    EXPECT_FALSE(s.StopSnapOnMoveONOFF());
    EXPECT_EQ(s.StartSnap(), 0);
    EXPECT_EQ(s.StopSnap(), 0);
    TDateTime a = At(10, 2, 40), b = At(11, 3, 7);
    s.Snap(a, b);
    EXPECT_EQ(a, At(10, 2, 40));
    EXPECT_EQ(b, At(11, 3, 7));
}

TEST(SnapHandler, IntervalWidensToTheMultipleNearestToOnePixel) {
    struct Case {
        TDateTime resolution, interval, expected;
    };
    const Case cases[] = {
        {30 * kSec, 5 * kMin, 5 * kMin},  // a pixel covers less: the interval stays
        {12 * kMin, 5 * kMin, 10 * kMin}, // round(2.4) = 2 intervals
        {13 * kMin, 5 * kMin, 15 * kMin}, // round(2.6) = 3
        {5 * kMin, 5 * kMin, 5 * kMin},   // exactly one interval per pixel
        {0, 5 * kMin, 5 * kMin},          {kHour, 1 * kMin, kHour},
    };
    for (const Case& c : cases) {
        TSnapHandler s;
        s.SetCurrentScreenResolution(c.resolution);
        EXPECT_NEAR(s.CalcScreenSnap(c.interval), c.expected, kEps) << c.resolution / kMin << " min/pixel";
    }
}

TEST(SnapHandler, StartSnapsToFiveMinutesFromMidnight) {
    TSnapHandler s;
    GanttSnap(s, 30 * kSec);
    // 602.67 minutes after midnight are 120.53 intervals: 121 intervals, 10:05.
    TDateTime start = At(10, 2, 40), stop = At(11, 0, 20);
    s.Snap(start, stop);
    EXPECT_NEAR(start, At(10, 5), kEps);
    EXPECT_NEAR(stop, At(11, 0), kEps);

    // At 12 minutes per pixel the interval is 10 minutes.
    s.SetCurrentScreenResolution(12 * kMin);
    start = At(10, 4, 0);
    stop = At(11, 0, 0);
    s.Snap(start, stop);
    EXPECT_NEAR(start, At(10, 0), kEps);
    // 1 minute widens to 12: 660 minutes are 55 such steps.
    EXPECT_NEAR(stop, At(11, 0), kEps);
}

TEST(SnapHandler, HalfwayRoundsToTheEvenInterval) {
    // Binary fractions of a day, so that the halves are exact: 2.5 intervals go to 2, 3.5 to 4.
    const TDateTime step = 1.0 / 64;
    TSnapHandler s;
    s.SetStartSnapONOFF(true);
    s.SetStartSnap(step);
    TDateTime start = Day() + 2.5 * step, stop = 0;
    s.Snap(start, stop);
    EXPECT_EQ(start, Day() + 2 * step);
    start = Day() + 3.5 * step;
    s.Snap(start, stop);
    EXPECT_EQ(start, Day() + 4 * step);
}

TEST(SnapHandler, EachEndSnapsOnlyWhenSwitchedOn) {
    TSnapHandler s;
    GanttSnap(s, kMin);
    s.SetStopSnap(15 * kMin);
    s.SetStartSnapONOFF(false);
    TDateTime start = At(8, 7), stop = At(9, 11);
    s.Snap(start, stop);
    EXPECT_NEAR(start, At(8, 7), kEps);
    EXPECT_NEAR(stop, At(9, 15), kEps);
}

TEST(SnapHandler, MoveKeepsTheLengthUnlessStopSnapsOnMove) {
    TSnapHandler s;
    GanttSnap(s, kMin);
    TDateTime start = At(8, 7), stop = At(9, 11); // 64 minutes
    s.SnapMove(start, stop);
    EXPECT_NEAR(start, At(8, 5), kEps);
    EXPECT_NEAR(stop, At(9, 9), kEps);

    s.SetStopSnap(5 * kMin);
    s.SetStopSnapOnMoveONOFF(true);
    start = At(8, 7);
    stop = At(9, 11);
    s.SnapMove(start, stop);
    EXPECT_NEAR(start, At(8, 5), kEps);
    EXPECT_NEAR(stop, At(9, 10), kEps);
}

TEST(SnapHandler, MoveOverTwelveHoursBecomesWholeDays) {
    TSnapHandler s;
    struct Case {
        TDateTime startMove, stopMove, expectStart, expectStop;
    };
    const Case cases[] = {
        {13 * kHour, 13 * kHour, 1, 1},                   // one day
        {11 * kHour, 11 * kHour, 11 * kHour, 11 * kHour}, // left alone
        {-13 * kHour, -13 * kHour, -1, -1},               // one day back
        {13 * kHour, 11 * kHour, 13 * kHour, 11 * kHour}, // both ends must move that far
        {37 * kHour, 37 * kHour, 2, 2},                   // 1.54 days: two
        {36 * kHour, 36 * kHour, 2, 2},                   // 1.5: the even 2
    };
    const TDateTime orgStart = At(8, 7), orgStop = At(9, 11);
    for (const Case& c : cases) {
        TDateTime start = orgStart + c.startMove, stop = orgStop + c.stopMove;
        s.SnapMoveTo24HIfMoveOver12H(orgStart, orgStop, start, stop);
        EXPECT_NEAR(start, orgStart + c.expectStart, kEps) << c.startMove / kHour << " h";
        EXPECT_NEAR(stop, orgStop + c.expectStop, kEps) << c.stopMove / kHour << " h";
    }
}

TEST(SnapHandler, UnusableIntervalsMeanNoSnapping) {
    const TDateTime bad[] = {0, -5 * kMin, std::numeric_limits<double>::quiet_NaN(),
                             std::numeric_limits<double>::infinity()};
    for (TDateTime interval : bad) {
        for (TDateTime resolution : {TDateTime(0), kMin, TDateTime(-kMin)}) {
            TSnapHandler s;
            s.SetStartSnapONOFF(true);
            s.SetStopSnapONOFF(true);
            s.SetStopSnapOnMoveONOFF(true);
            s.SetStartSnap(interval);
            s.SetStopSnap(interval);
            s.SetCurrentScreenResolution(resolution);
            TDateTime start = At(10, 2, 40), stop = At(11, 3, 7);
            s.Snap(start, stop);
            EXPECT_EQ(start, At(10, 2, 40)) << interval;
            EXPECT_EQ(stop, At(11, 3, 7)) << interval;
            s.SnapMove(start, stop);
            EXPECT_EQ(start, At(10, 2, 40)) << interval;
            EXPECT_EQ(stop, At(11, 3, 7)) << interval;
            EXPECT_TRUE(std::isnan(interval) ? std::isnan(s.CalcScreenSnap(interval))
                                             : s.CalcScreenSnap(interval) == interval);
        }
    }
}

TEST(SnapHandler, AbsurdResolutionsStayFinite) {
    TSnapHandler s;
    GanttSnap(s, std::numeric_limits<double>::infinity());
    TDateTime start = At(10, 2, 40), stop = At(11, 3, 7);
    s.Snap(start, stop);
    EXPECT_TRUE(std::isfinite(start));
    EXPECT_TRUE(std::isfinite(stop));
    GanttSnap(s, std::numeric_limits<double>::quiet_NaN());
    start = At(10, 2, 40);
    stop = At(11, 3, 7);
    s.Snap(start, stop);
    EXPECT_NEAR(start, At(10, 5), kEps);
    EXPECT_NEAR(stop, At(11, 3), kEps);
}

} // namespace
