#include "platform/plTypes.h"

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <limits>

namespace {
// A fixed palette for the system colours, close to a classic light desktop theme, so that
// drawings (and the tests that probe them) do not depend on the user's theme.
constexpr TColor kSystemColors[] = {
    0xC8C8C8, // scroll bar
    0x000000, // background
    0xD1B499, // active caption
    0xDBCDBF, // inactive caption
    0xF0F0F0, // menu
    0xFFFFFF, // window
    0x646464, // window frame
    0x000000, // menu text
    0x000000, // window text
    0x000000, // caption text
    0xB4B4B4, // active border
    0xFCF7F4, // inactive border
    0xABABAB, // app work space
    0xD77800, // highlight
    0xFFFFFF, // highlight text
    0xF0F0F0, // button face
    0xA0A0A0, // button shadow
    0x6D6D6D, // gray text
    0x000000, // button text
    0x000000, // inactive caption text
    0xFFFFFF, // button highlight
    0x696969, // 3D dark shadow
    0xE3E3E3, // 3D light
    0x000000, // info text
    0xE1FFFF, // info background
};
} // namespace

TColor ColorToRGB(TColor aColor) {
    if ((aColor & 0xFF000000u) == 0xFF000000u) {
        unsigned idx = aColor & 0xFFu;
        if (idx < sizeof(kSystemColors) / sizeof(kSystemColors[0])) return kSystemColors[idx];
        return 0x000000;
    }
    return aColor & 0x00FFFFFFu;
}

bool IntersectRect(TRect& aResult, const TRect& a, const TRect& b) {
    TRect r(std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
            std::min(a.Bottom, b.Bottom));
    if (r.IsEmpty()) {
        aResult = TRect();
        return false;
    }
    aResult = r;
    return true;
}

bool UnionRect(TRect& aResult, const TRect& a, const TRect& b) {
    if (a.IsEmpty()) {
        aResult = b.IsEmpty() ? TRect() : b;
    } else if (b.IsEmpty()) {
        aResult = a;
    } else {
        aResult = TRect(std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
                        std::max(a.Bottom, b.Bottom));
    }
    return !aResult.IsEmpty();
}

void OffsetRect(TRect& r, int dx, int dy) {
    r.Left += dx;
    r.Right += dx;
    r.Top += dy;
    r.Bottom += dy;
}

void InflateRect(TRect& r, int dx, int dy) {
    r.Left -= dx;
    r.Right += dx;
    r.Top -= dy;
    r.Bottom += dy;
}

namespace {
int64_t Saturate(double v) {
    if (std::isnan(v)) return 0;
    // 2^63 is exactly representable; anything at or above it does not fit.
    constexpr double kLimit = 9223372036854775808.0;
    if (v >= kLimit) return std::numeric_limits<int64_t>::max();
    if (v < -kLimit) return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(v);
}
} // namespace

int64_t Round(double x) {
    // nearbyint follows the current rounding mode, which is round-half-even unless someone
    // changed it; do the halves explicitly so the answer never depends on that.
    double f = std::floor(x);
    double diff = x - f;
    double r;
    if (diff > 0.5) {
        r = f + 1.0;
    } else if (diff < 0.5) {
        r = f;
    } else {
        r = std::fmod(f, 2.0) == 0.0 ? f : f + 1.0;
    }
    return Saturate(r);
}

int64_t Trunc(double x) { return Saturate(std::trunc(x)); }

double Frac(double x) { return x - std::trunc(x); }
