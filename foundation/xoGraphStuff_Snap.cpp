// TSnapHandler: times rounded to a grid of intervals that widens when the view zooms out.
#include "foundation/xoGraphStuff.h"

#include <cmath>

namespace {

// An interval that can serve as a grid: above 0 and finite.
bool UsableInterval(TDateTime aInterval) {
    return std::isfinite(aInterval) && aInterval > 0;
}

// theTime on the nearest multiple of aStep counted from midnight of its own day.
void SnapToStep(TDateTime& theTime, TDateTime aStep) {
    if (!UsableInterval(aStep) || !std::isfinite(theTime)) return;
    TDateTime day = TDateTime(Trunc(theTime));
    theTime = day + aStep * TDateTime(Round((theTime - day) / aStep));
}

} // namespace

TDateTime TSnapHandler::CalcScreenSnap(TDateTime time) {
    if (!UsableInterval(time)) return time;
    TDateTime m = TDateTime(Round(fCurrentScreenResolution / time)) * time;
    return time < m ? m : time;
}

void TSnapHandler::Snap(TDateTime& theStart, TDateTime& theStop) {
    // An interval of 0 or less cannot be snapped to (it would divide by zero): that end stays.
    if (fStopSnapONOFF && UsableInterval(fStopSnap)) SnapToStep(theStop, CalcScreenSnap(fStopSnap));
    if (fStartSnapONOFF && UsableInterval(fStartSnap)) SnapToStep(theStart, CalcScreenSnap(fStartSnap));
}

void TSnapHandler::SnapMove(TDateTime& theStart, TDateTime& theStop) {
    TDateTime length = theStop - theStart;
    Snap(theStart, theStop);
    if (!fStopSnapOnMoveONOFF) theStop = theStart + length;
}

void TSnapHandler::SnapMoveTo24HIfMoveOver12H(TDateTime theOrgStart, TDateTime theOrgStop,
                                              TDateTime& theStart, TDateTime& theStop) {
    constexpr TDateTime kHalfDay = 0.5;
    if (std::fabs(theStart - theOrgStart) > kHalfDay && std::fabs(theStop - theOrgStop) > kHalfDay) {
        theStart = theOrgStart + TDateTime(Round(theStart - theOrgStart));
        theStop = theOrgStop + TDateTime(Round(theStop - theOrgStop));
    }
}
