// Basic values of the component framework: objects, strings, dates, colours,
// rectangles, sets, input state, exceptions and rounding.
#pragma once

#include <bitset>
#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string>

// Every class of the library derives from TObject, so that "is a" tests are dynamic_casts.
class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;
};

using String = std::string;   // UTF-8 text
using TDateTime = double;     // days since 1899-12-30 plus the fraction of the day
using TColor = uint32_t;      // 0x00BBGGRR, or 0xFF0000nn for system colour nn

// ---- Colours --------------------------------------------------------------------------------
constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

constexpr TColor clScrollBar = 0xFF000000;
constexpr TColor clBackground = 0xFF000001;
constexpr TColor clActiveCaption = 0xFF000002;
constexpr TColor clInactiveCaption = 0xFF000003;
constexpr TColor clMenu = 0xFF000004;
constexpr TColor clWindow = 0xFF000005;
constexpr TColor clWindowFrame = 0xFF000006;
constexpr TColor clMenuText = 0xFF000007;
constexpr TColor clWindowText = 0xFF000008;
constexpr TColor clCaptionText = 0xFF000009;
constexpr TColor clActiveBorder = 0xFF00000A;
constexpr TColor clInactiveBorder = 0xFF00000B;
constexpr TColor clAppWorkSpace = 0xFF00000C;
constexpr TColor clHighlight = 0xFF00000D;
constexpr TColor clHighlightText = 0xFF00000E;
constexpr TColor clBtnFace = 0xFF00000F;
constexpr TColor clBtnShadow = 0xFF000010;
constexpr TColor clGrayText = 0xFF000011;
constexpr TColor clBtnText = 0xFF000012;
constexpr TColor clInactiveCaptionText = 0xFF000013;
constexpr TColor clBtnHighlight = 0xFF000014;
constexpr TColor cl3DDkShadow = 0xFF000015;
constexpr TColor cl3DLight = 0xFF000016;
constexpr TColor clInfoText = 0xFF000017;
constexpr TColor clInfoBk = 0xFF000018;

// The RGB value of a colour: system colours resolve to this library's fixed palette,
// everything else loses its high byte.
TColor ColorToRGB(TColor aColor);
inline constexpr uint8_t GetRValue(TColor c) { return c & 0xFF; }
inline constexpr uint8_t GetGValue(TColor c) { return (c >> 8) & 0xFF; }
inline constexpr uint8_t GetBValue(TColor c) { return (c >> 16) & 0xFF; }
inline constexpr TColor RGB(uint8_t r, uint8_t g, uint8_t b) {
    return TColor(r) | (TColor(g) << 8) | (TColor(b) << 16);
}

// ---- Geometry -------------------------------------------------------------------------------
struct TPoint {
    int X = 0;
    int Y = 0;
    constexpr TPoint() = default;
    constexpr TPoint(int x, int y) : X(x), Y(y) {}
    friend constexpr bool operator==(const TPoint&, const TPoint&) = default;
};

// Covers Left..Right-1 and Top..Bottom-1.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    constexpr TRect() = default;
    constexpr TRect(int l, int t, int r, int b) : Left(l), Top(t), Right(r), Bottom(b) {}
    constexpr int Width() const { return Right - Left; }
    constexpr int Height() const { return Bottom - Top; }
    constexpr bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    constexpr bool Contains(const TPoint& p) const {
        return p.X >= Left && p.X < Right && p.Y >= Top && p.Y < Bottom;
    }
    friend constexpr bool operator==(const TRect&, const TRect&) = default;
};

inline constexpr TRect Rect(int l, int t, int r, int b) { return TRect(l, t, r, b); }
inline constexpr TPoint Point(int x, int y) { return TPoint(x, y); }
inline constexpr bool PtInRect(const TRect& r, const TPoint& p) { return r.Contains(p); }
// Intersection of two rectangles; false (and an empty result) when they do not overlap.
bool IntersectRect(TRect& aResult, const TRect& a, const TRect& b);
// Smallest rectangle holding both; an empty operand is ignored.
bool UnionRect(TRect& aResult, const TRect& a, const TRect& b);
void OffsetRect(TRect& r, int dx, int dy);
void InflateRect(TRect& r, int dx, int dy);

// ---- Sets -----------------------------------------------------------------------------------
// "set of" an enumeration (or of small integers) with value semantics.
template <typename E, std::size_t N = 64>
class TSet {
public:
    constexpr TSet() = default;
    TSet(std::initializer_list<E> items) {
        for (E e : items) Include(e);
    }
    TSet& Include(E e) {
        if (InRange(e)) fBits.set(std::size_t(e));
        return *this;
    }
    TSet& Exclude(E e) {
        if (InRange(e)) fBits.reset(std::size_t(e));
        return *this;
    }
    bool Contains(E e) const { return InRange(e) && fBits.test(std::size_t(e)); }
    std::size_t Count() const { return fBits.count(); }
    bool Empty() const { return fBits.none(); }
    void Clear() { fBits.reset(); }
    TSet operator+(const TSet& o) const { TSet r; r.fBits = fBits | o.fBits; return r; }
    TSet operator-(const TSet& o) const { TSet r; r.fBits = fBits & ~o.fBits; return r; }
    TSet operator*(const TSet& o) const { TSet r; r.fBits = fBits & o.fBits; return r; }
    TSet& operator+=(const TSet& o) { fBits |= o.fBits; return *this; }
    TSet& operator-=(const TSet& o) { fBits &= ~o.fBits; return *this; }
    TSet& operator*=(const TSet& o) { fBits &= o.fBits; return *this; }
    bool operator==(const TSet& o) const { return fBits == o.fBits; }
    bool operator!=(const TSet& o) const { return fBits != o.fBits; }
    // True when every member of this set is in o.
    bool SubsetOf(const TSet& o) const { return (fBits & ~o.fBits).none(); }

private:
    static bool InRange(E e) {
        auto v = static_cast<long long>(e);
        return v >= 0 && std::size_t(v) < N;
    }
    std::bitset<N> fBits;
};

using TCharSet = TSet<unsigned char, 256>;

// ---- Input state ----------------------------------------------------------------------------
enum TShiftStateItem { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TSet<TShiftStateItem, 8>;
enum TMouseButton { mbLeft, mbRight, mbMiddle };

// Virtual key codes (letters and digits are their ASCII capitals).
enum : uint16_t {
    VK_LBUTTON = 0x01, VK_RBUTTON = 0x02, VK_MBUTTON = 0x04,
    VK_BACK = 0x08, VK_TAB = 0x09, VK_RETURN = 0x0D, VK_SHIFT = 0x10, VK_CONTROL = 0x11,
    VK_MENU = 0x12, VK_PAUSE = 0x13, VK_ESCAPE = 0x1B, VK_SPACE = 0x20, VK_PRIOR = 0x21,
    VK_NEXT = 0x22, VK_END = 0x23, VK_HOME = 0x24, VK_LEFT = 0x25, VK_UP = 0x26,
    VK_RIGHT = 0x27, VK_DOWN = 0x28, VK_INSERT = 0x2D, VK_DELETE = 0x2E,
    VK_F1 = 0x70, VK_F2 = 0x71, VK_F3 = 0x72, VK_F4 = 0x73, VK_F5 = 0x74, VK_F6 = 0x75,
    VK_F7 = 0x76, VK_F8 = 0x77, VK_F9 = 0x78, VK_F10 = 0x79, VK_F11 = 0x7A, VK_F12 = 0x7B,
    VK_ADD = 0x6B, VK_SUBTRACT = 0x6D
};

// ---- Exceptions -----------------------------------------------------------------------------
// The framework's general exception: a fixed English message.
class Exception : public std::runtime_error {
public:
    explicit Exception(const String& aMessage) : std::runtime_error(aMessage) {}
    String Message() const { return what(); }
};

// Index errors of lists.
class EListError : public Exception {
public:
    using Exception::Exception;
};

// Conversion errors (dates, numbers).
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// ---- Rounding -------------------------------------------------------------------------------
// Nearest integer, halves to the even neighbour. NaN gives 0; values beyond the range of
// int64_t saturate.
int64_t Round(double x);
// Toward zero, saturating like Round.
int64_t Trunc(double x);
// Fractional part (x - Trunc(x)).
double Frac(double x);

// ---- Font styles and text format flags ------------------------------------------------------
enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle, 4>;

// Flags of DrawText (and of cells that draw their text with it).
constexpr uint32_t DT_TOP = 0x0;
constexpr uint32_t DT_LEFT = 0x0;
constexpr uint32_t DT_CENTER = 0x1;
constexpr uint32_t DT_RIGHT = 0x2;
constexpr uint32_t DT_VCENTER = 0x4;
constexpr uint32_t DT_BOTTOM = 0x8;
constexpr uint32_t DT_WORDBREAK = 0x10;
constexpr uint32_t DT_SINGLELINE = 0x20;
constexpr uint32_t DT_EXPANDTABS = 0x40;
constexpr uint32_t DT_NOCLIP = 0x100;
constexpr uint32_t DT_CALCRECT = 0x400;
constexpr uint32_t DT_NOPREFIX = 0x800;
constexpr uint32_t DT_EDITCONTROL = 0x2000;
constexpr uint32_t DT_PATH_ELLIPSIS = 0x4000;
constexpr uint32_t DT_END_ELLIPSIS = 0x8000;
constexpr uint32_t DT_WORD_ELLIPSIS = 0x40000;
