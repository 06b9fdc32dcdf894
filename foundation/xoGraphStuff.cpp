// GStuff's drawing operations and the printing of bitmaps.
#include "foundation/xoGraphStuff.h"

#include <algorithm>
#include <climits>

TColor GStuff::TintColor(TColor aColor, double aTint) {
    // Modular arithmetic: an out-of-range product carries into the next byte (and beyond the
    // colour's 32 bits it wraps) without undefined behaviour.
    auto scaled = [aTint](uint8_t component) { return uint64_t(Round(double(component) * aTint)); };
    uint64_t rgb =
        scaled(GetRValue(aColor)) + 256u * scaled(GetGValue(aColor)) + 65536u * scaled(GetBValue(aColor));
    TColor result = TColor(rgb);
    return result == 0 ? aColor : result;
}

void GStuff::FillRadiated(TCanvas* aCanvas, const TRect& aRect, TColor aColor) {
    if (!aCanvas) return;
    TPen* pen = aCanvas->Pen();
    pen->SetColor(aColor);
    int64_t h = int64_t(aRect.Bottom) - aRect.Top;
    int64_t w = int64_t(aRect.Right) - aRect.Left;
    if (h < 15 && w < 15) {
        aCanvas->Brush()->SetColor(aColor);
        aCanvas->FillRect(aRect);
        return;
    }
    if (h <= 0) return;
    int64_t step = h / 50 + 1;
    int64_t split = Round(double(h) * 0.66);
    // One line per row of the rectangle, and not beyond it (a rectangle one pixel high would
    // otherwise get a second line below itself).
    split = std::min(split, h - 1);
    // Rows below the visible part cannot change what shows: stop there.
    TRect clip = aCanvas->ClipRect();
    int64_t last = std::min(h - 1, int64_t(clip.Bottom) - aRect.Top - 1);
    TColor color = aColor;
    for (int64_t i = 0; i <= last; ++i) {
        int y = int(aRect.Top + i);
        if (y >= clip.Top) {
            aCanvas->MoveTo(aRect.Left, y);
            aCanvas->LineTo(aRect.Right, y);
        }
        if (i % step == 0) {
            color = TintColor(color, i <= split ? 0.97 : 1.031);
            pen->SetColor(color);
        }
    }
}

void GStuff::DoSelectContent(TCanvas* theCanvas, const TRect& theRect) {
    if (!theCanvas) return;
    const TRect& r = theRect;
    theCanvas->Brush()->SetColor(clBlack);
    theCanvas->FillRect(TRect(r.Left, r.Top, r.Left + 5, r.Top + 5));
    theCanvas->FillRect(TRect(r.Right - 5, r.Top, r.Right, r.Top + 5));
    theCanvas->FillRect(TRect(r.Left, r.Bottom - 5, r.Left + 5, r.Bottom));
    theCanvas->FillRect(TRect(r.Right - 5, r.Bottom - 5, r.Right, r.Bottom));
}

bool GStuff::BigEnough(const TRect& theRect, int Width, int Height) {
    int64_t h = int64_t(theRect.Bottom) - theRect.Top;
    int64_t w = int64_t(theRect.Right) - theRect.Left;
    return !(h < Height || w < Width);
}

TRect GStuff::Fixrect(const TRect& R, int x1, int y1, int x2, int y2) {
    // Wrapping sums, as the framework's integers give them, without signed overflow.
    auto add = [](int a, int b) { return int(uint32_t(a) + uint32_t(b)); };
    return TRect(add(R.Left, x1), add(R.Top, y1), add(R.Right, x2), add(R.Bottom, y2));
}

void GStuff::BevelRect(TCanvas* theCanvas, const TRect& R, bool theRaised) {
    if (!theCanvas) return;
    TPen* pen = theCanvas->Pen();
    TColor saved = pen->Color();
    TColor first = theRaised ? clBtnHighlight : clBtnShadow;
    TColor second = theRaised ? clBtnShadow : clBtnHighlight;
    pen->SetColor(first);
    theCanvas->Polyline({TPoint(R.Left, R.Bottom), TPoint(R.Left, R.Top), TPoint(R.Right, R.Top)});
    pen->SetColor(second);
    theCanvas->Polyline({TPoint(R.Right, R.Top), TPoint(R.Right, R.Bottom), TPoint(R.Left, R.Bottom)});
    pen->SetColor(saved);
}

void GStuff::RotateFont(TFont* theFont, int degrees) {
    if (!theFont) return;
    // Tenths of a degree; a turn by more than the int range can hold is the same turn reduced
    // to one revolution.
    int64_t tenths = int64_t(degrees) * 10;
    if (tenths > INT_MAX || tenths < INT_MIN) tenths %= 3600;
    theFont->SetOrientation(int(tenths));
    theFont->SetStyle(TFontStyles());
    theFont->SetPitch(fpVariable);
}

// ---- Printing of bitmaps --------------------------------------------------------------------
void PrintBitmap(TCanvas* aCanvas, const TRect& aRect, TBitmap* aBitmap) {
    if (!aCanvas || !aBitmap || aBitmap->Empty()) return;
    StretchBitmap(aCanvas->Handle(), aRect, aBitmap);
}

void PrintBitmap_ImageList(TCanvas* aCanvas, const TRect& aRect, TCustomImageList* aImageList, int Index) {
    if (!aCanvas || !aImageList) return;
    TBitmap image;
    if (!aImageList->GetBitmap(Index, &image)) return;
    PrintBitmap(aCanvas, aRect, &image);
}
