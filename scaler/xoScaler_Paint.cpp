// Painting of the date scaler: ticks, labels in the three fonts, boxes, the range indicator,
// the scroll buttons, the focus rectangle and the user draw hooks. The same routine paints the
// screen and, through Print, a printer.
#include "scaler/xoScaler.h"

#include "platform/plDateUtils.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr TColor kLight = 0xFFFFFF;
constexpr TColor kDark = 0x808080;

void Line(TCanvas* c, int x1, int y1, int x2, int y2) {
    c->MoveTo(x1, y1);
    c->LineTo(x2, y2);
}
} // namespace

void TxoDateScaler::DoThePaint(TCanvas* aCanvas, const TRect& aRect) {
    if (!aCanvas) return;
    aCanvas->Brush()->SetColor(Color());
    int w = aRect.Width();
    int h = aRect.Height();
    if (w < 1 || h < 0 || Width() < 1) return;
    int sx = w / Width();
    int sy = (h < 1 || Height() < 1) ? 0 : h / Height();
    aCanvas->Pen()->SetColor(clBlack);
    aCanvas->Pen()->SetWidth(1);
    aCanvas->Pen()->SetStyle(psSolid);
    aCanvas->Pen()->SetMode(pmCopy);
    fLongLinePos.clear();
    fShortLinePos.clear();
    CalcPixAndDrawScaleMarks(fShortScaleMarkDrawList, sx, sy, aCanvas, aRect, fShortLinePos);
    CalcPixAndDrawScaleMarks(fLongScaleMarkDrawList, sx, sy, aCanvas, aRect, fLongLinePos);
    DoBackground(aCanvas, aRect);
    if (fIndicatorOn) PrepareIndicatorText(aCanvas);
    if (fHorizontal) {
        // The rows and the indicator lie in bands of their own.
        DrawScaleMarksText(fShortScaleMarkDrawList, sx, sy, aCanvas, aRect, true);
        DrawScaleMarksText(fLongScaleMarkDrawList, sx, sy, aCanvas, aRect, false);
    } else {
        // Upright texts of a vertical scale reach across the other row and the indicator's
        // text: short labels give way to the long labels, both to the indicator.
        std::vector<TRect> avoid;
        if (fIndicatorOn && !fIndicatorTextRect.IsEmpty()) avoid.push_back(fIndicatorTextRect);
        std::vector<TRect> taken = avoid;
        DrawScaleMarksText(fLongScaleMarkDrawList, sx, sy, aCanvas, aRect, false, &avoid, &taken, true);
        DrawScaleMarksText(fShortScaleMarkDrawList, sx, sy, aCanvas, aRect, true, &taken);
        DrawScaleMarksText(fLongScaleMarkDrawList, sx, sy, aCanvas, aRect, false, &avoid);
    }
    if (fLookAndFeel == tlfBoxed) DrawBoxes(aCanvas, aRect);
    if (!IsPrinting()) DrawScrollButtons(aCanvas);
    if (fIndicatorOn) DrawScaleIndicator(aCanvas);
    PostChangeIfDue();
    DoForeground(aCanvas, aRect);
    if (Focused() && !IsPrinting()) {
        aCanvas->Brush()->SetColor(clRed);
        aCanvas->DrawFocusRect(TRect(0, 0, Width(), Height()));
    }
}

void TxoDateScaler::DoBackground(TCanvas* /*aCanvas*/, const TRect& aRect) {
    if (fOnUserDrawBackground) fOnUserDrawBackground(this, OffscreenCanvas(), aRect);
}

void TxoDateScaler::DoForeground(TCanvas* /*aCanvas*/, const TRect& aRect) {
    if (fOnUserDrawForeground) fOnUserDrawForeground(this, OffscreenCanvas(), aRect);
}

// ---- Ticks ------------------------------------------------------------------------------------

void TxoDateScaler::CalcPixAndDrawScaleMarks(const TScaleMarkList& list, int sx, int sy, TCanvas* aCanvas,
                                             const TRect& aRect, std::vector<int>& linePos) {
    linePos.reserve(list.size());
    for (const auto& m : list) {
        int pix = int(Round(m->Pixel));
        linePos.push_back(pix);
        if (m->Hidden || fLookAndFeel == tlfBoxed) continue;
        int L = m->LongNotShort ? 15 : 5;
        if (fHorizontal) {
            int x = aRect.Left + int(Round(m->Pixel * sx));
            Line(aCanvas, x, aRect.Bottom, x, aRect.Top + (Height() - L) * sy);
        } else {
            int y = aRect.Top + int(Round(m->Pixel * sy));
            Line(aCanvas, aRect.Right, y, aRect.Right - sx * L, y);
        }
    }
}

// ---- Labels -----------------------------------------------------------------------------------

void TxoDateScaler::ApplyTextFont(TCanvas* aCanvas, TScalerFont f) {
    aCanvas->Font()->Assign(ScalerFontOf(f));
    PrintResizeFont();
    RotateFontIfNeeded(aCanvas->Font());
}

void TxoDateScaler::RotateFontIfNeeded(TFont* aFont) {
    if (fHorizontal || !fVerticalText || !aFont) return;
    // Same height and face, turned 90 degrees counter-clockwise, plain and of variable pitch.
    aFont->SetStyle(TFontStyles());
    aFont->SetPitch(fpVariable);
    aFont->SetOrientation(900);
}

bool TxoDateScaler::TermsForLeftPlacedText(const TScaleMark* mark) {
    return mark->LongNotShort && fLongDatesToLeftEnd && fHorizontal && fLongStep >= 1;
}

int TxoDateScaler::GetScaleMarkPix(const TScaleMarkList& list, int i, bool leftPlaced) {
    int n = int(list.size());
    int c = i + 1 < n ? int(Round(list[i + 1]->Pixel)) : GetScaleLen();
    int d = int(Round(list[i]->Pixel));
    TDateTime step = list[i]->LongNotShort ? fLongStep : fSmallStep;
    if (step < 1) return d; // labels of steps under a day sit on their mark
    if (leftPlaced) return d;
    return d + (c - d) / 2;
}

void TxoDateScaler::DrawScaleMarksText(const TScaleMarkList& list, int /*sx*/, int /*sy*/, TCanvas* aCanvas,
                                       const TRect& aRect, bool isShortRow, const std::vector<TRect>* avoid,
                                       std::vector<TRect>* placed, bool measureOnly) {
    aCanvas->Font()->SetColor(clBlack);
    int rowOffset;
    if (fHorizontal)
        rowOffset = aRect.Top + int(Round(Scaley() * (isShortRow ? 30 : 15)));
    else
        rowOffset = aRect.Left + int(Round(Scalex() * (isShortRow ? 40 : 20)));

    // Where the last drawn label began and ended, for the main labels and the second labels.
    struct TLast {
        int pos = -1000;
        int end = -1000;
    };
    TLast lastMain, lastSub;

    auto blocked = [&](const TRect& r) {
        if (!avoid) return false;
        TRect common;
        for (const TRect& a : *avoid)
            if (IntersectRect(common, a, r)) return true;
        return false;
    };
    auto put = [&](const TRect& r, int x, int y, const String& text) {
        if (placed) placed->push_back(r);
        if (!measureOnly) aCanvas->TextOut(x, y, text);
    };

    auto draw = [&](const String& text, TScalerFont font, int p, int offset, bool leftPlaced, int clipEnd,
                    TLast& last) {
        if (text.empty()) return;
        aCanvas->Brush()->SetStyle(bsClear);
        ApplyTextFont(aCanvas, font);
        if (fHorizontal) {
            int tw = aCanvas->TextWidth(text);
            int th = aCanvas->TextHeight(text);
            if (leftPlaced) {
                // Always drawn; cut at the next mark so that it never covers the next label.
                int x = p + 5;
                TRect r(aRect.Left + x, offset, aRect.Left + std::max(x, clipEnd), offset + th);
                if (placed) placed->push_back(r);
                if (!measureOnly) aCanvas->TextRect(r, aRect.Left + x, offset, text);
                last.pos = x;
                last.end = x + tw;
                return;
            }
            int x = p - tw / 2;
            // Dropped when it would begin within its own width and 6 pixels of the previous
            // label, or on top of a previous label that was wider than this one.
            TRect r(aRect.Left + x, offset, aRect.Left + x + tw, offset + th);
            if (x > 0 && last.pos + tw + 6 < x && last.end + 2 < x && !blocked(r)) {
                put(r, aRect.Left + x, offset, text);
                last.pos = x;
                last.end = x + tw;
            }
        } else if (fVerticalText) {
            int tw = aCanvas->TextWidth(text);
            int th = aCanvas->TextHeight(text);
            int y = p + tw / 2; // the rotated text runs upward from y
            TRect r(offset, aRect.Top + y - tw, offset + th, aRect.Top + y);
            if (y - tw > 0 && last.pos + tw + 10 < y && !blocked(r)) {
                put(r, offset, aRect.Top + y, text);
                last.pos = y;
            }
        } else {
            int tw = aCanvas->TextWidth(text);
            int th = aCanvas->TextHeight(text);
            int y = p - th / 2;
            TRect r(offset, aRect.Top + y, offset + tw, aRect.Top + y + th);
            if (y - th > 0 && last.pos + th + 10 < y && !blocked(r)) {
                put(r, offset, aRect.Top + y, text);
                last.pos = y;
            }
        }
    };

    int n = int(list.size());
    for (int i = 0; i < n; ++i) {
        const TScaleMark* m = list[i].get();
        if (m->Hidden) continue;
        bool leftPlaced = TermsForLeftPlacedText(m);
        int p = GetScaleMarkPix(list, i, leftPlaced);
        int clipEnd = i + 1 < n ? int(Round(list[i + 1]->Pixel)) - 1 : GetScaleLen();
        if (isShortRow)
            draw(m->SubShortStr, m->SubShortScalerFont, p, rowOffset + 10, false, clipEnd, lastSub);
        draw(m->PresString, m->ScalerFont, p, rowOffset, leftPlaced, clipEnd, lastMain);
    }
    aCanvas->Brush()->SetStyle(bsSolid);
}

// ---- Boxes ------------------------------------------------------------------------------------

int TxoDateScaler::GetBoxPix(const TScaleMarkList& list, int i) {
    int n = int(list.size());
    double d = list[i]->Pixel;
    double c = i + 1 < n ? list[i + 1]->Pixel : double(GetScaleLen());
    TDateTime step = list[i]->LongNotShort ? fLongStep : fSmallStep;
    if (step < 1) d = d + (c - d) / 2; // labels sit on the marks, so borders lie halfway
    return int(Round(d));
}

void TxoDateScaler::DrawBoxes(TCanvas* aCanvas, const TRect& aRect) {
    aCanvas->Pen()->SetColor(kDark);
    aCanvas->Pen()->SetWidth(1);
    int nl = int(fLongScaleMarkDrawList.size());
    int ns = int(fShortScaleMarkDrawList.size());
    if (fHorizontal) {
        int y1 = aRect.Top + int(Round(Scaley() * 15));
        int y2 = aRect.Top + int(Round(Scaley() * 30));
        Line(aCanvas, 0, y1, aRect.Right, y1);
        Line(aCanvas, 0, y2, aRect.Right, y2);
        for (int i = 0; i + 1 < nl; ++i) {
            if (fLongScaleMarkDrawList[i]->Hidden) continue;
            int x = GetBoxPix(fLongScaleMarkDrawList, i);
            Line(aCanvas, x, y1, x, y2);
        }
        for (int i = 0; i + 1 < ns; ++i) {
            if (fShortScaleMarkDrawList[i]->Hidden) continue;
            int x = GetBoxPix(fShortScaleMarkDrawList, i);
            Line(aCanvas, x, y2, x, aRect.Bottom);
        }
    } else {
        int x1 = aRect.Left + int(Round(Scalex() * 20));
        int x2 = aRect.Left + int(Round(Scalex() * 40));
        Line(aCanvas, x1, 0, x1, aRect.Bottom);
        Line(aCanvas, x2, 0, x2, aRect.Bottom);
        for (int i = 0; i + 1 < nl; ++i) {
            if (fLongScaleMarkDrawList[i]->Hidden) continue;
            int y = GetBoxPix(fLongScaleMarkDrawList, i);
            Line(aCanvas, x1, y, x2, y);
        }
        for (int i = 0; i + 1 < ns; ++i) {
            if (fShortScaleMarkDrawList[i]->Hidden) continue;
            int y = GetBoxPix(fShortScaleMarkDrawList, i);
            Line(aCanvas, x2, y, aRect.Right, y);
        }
    }
    aCanvas->Pen()->SetColor(clBlack);
}

// ---- Scroll buttons ---------------------------------------------------------------------------

void TxoDateScaler::DrawScrollButtons(TCanvas* aCanvas) {
    if (fScrollButtons == tsbOff) {
        fUpButtonRect = TRect(-1, -1, -1, -1);
        fDownButtonRect = TRect(-1, -1, -1, -1);
        return;
    }
    int b = fScrollButtons == tsbSmall ? 12 : 20;
    if (fHorizontal) {
        fUpButtonRect = TRect(1, 1, b, b);
        fDownButtonRect = TRect(Width() - b + 1, 1, Width(), b);
        DrawTriangleButton(aCanvas, fUpButtonRect, tsdLeft, fScrollSUBTIME);
        DrawTriangleButton(aCanvas, fDownButtonRect, tsdRight, fScrollADDTIME);
    } else {
        fUpButtonRect = TRect(1, 1, b, b);
        fDownButtonRect = TRect(1, Height() - b, b, Height());
        DrawTriangleButton(aCanvas, fUpButtonRect, tsdUp, fScrollSUBTIME);
        DrawTriangleButton(aCanvas, fDownButtonRect, tsdDown, fScrollADDTIME);
    }
}

void TxoDateScaler::DrawTriangleButton(TCanvas* aCanvas, const TRect& r, TScrollDirection direction,
                                       bool held) {
    TColor light = held ? kDark : kLight;
    TColor dark = held ? kLight : kDark;
    TPen* pen = aCanvas->Pen();
    pen->SetWidth(1);
    int midY = r.Top + (r.Bottom - r.Top) / 2;
    int midX = r.Left + (r.Right - r.Left) / 2;
    switch (direction) {
    case tsdLeft:
        aCanvas->MoveTo(r.Right, r.Top);
        pen->SetColor(dark);
        aCanvas->LineTo(r.Right, r.Bottom);
        pen->SetColor(kDark); // the lower edge stays dark when held
        aCanvas->LineTo(r.Left, midY);
        pen->SetColor(light);
        aCanvas->LineTo(r.Right, r.Top);
        break;
    case tsdRight:
        aCanvas->MoveTo(r.Left, r.Top);
        pen->SetColor(light);
        aCanvas->LineTo(r.Left, r.Bottom);
        pen->SetColor(dark);
        aCanvas->LineTo(r.Right, midY);
        aCanvas->LineTo(r.Left, r.Top);
        break;
    case tsdUp:
        aCanvas->MoveTo(r.Left, r.Bottom);
        pen->SetColor(dark);
        aCanvas->LineTo(r.Right, r.Bottom);
        pen->SetColor(light);
        aCanvas->LineTo(midX, r.Top);
        aCanvas->LineTo(r.Left, r.Bottom);
        break;
    case tsdDown:
        aCanvas->MoveTo(r.Left, r.Top);
        pen->SetColor(light);
        aCanvas->LineTo(r.Right, r.Top);
        pen->SetColor(dark);
        aCanvas->LineTo(midX, r.Bottom);
        aCanvas->LineTo(r.Left, r.Top);
        break;
    }
    pen->SetColor(clBlack);
}

// ---- Range indicator --------------------------------------------------------------------------

void TxoDateScaler::DrawScaleIndicator(TCanvas* aCanvas) {
    aCanvas->Brush()->SetStyle(bsClear);
    switch (fIndicatorStyle) {
    case isNone:
        break;
    case isNormal:
        NormalIndicator(aCanvas);
        break;
    case isColorfull:
        if (!IsPrinting()) ColorFullIndicator(aCanvas);
        break;
    case isSober:
        SoberIndicator(aCanvas);
        break;
    }
    aCanvas->Brush()->SetStyle(bsSolid);
}

void TxoDateScaler::NormalIndicatorRange(TDateTime& lo, TDateTime& hi, String& text) {
    TDateTime amount = VisibleTimeAmount();
    TDateTime mid = fStart + amount / 2;
    // The whole years (or months) that hold the window. Each bound steps one boundary at a time:
    // a day back into the previous period, or past the next boundary.
    if (amount > kMonth) {
        lo = hi = Snap(mid, kScale1Year);
        while (fStart < lo)
            lo = Snap(lo - 1, kScale1Year);
        while (fStop > hi)
            hi = Snap(hi + 366, kScale1Year);
        text = FormatDateTime("YYYY", lo) + "-" + FormatDateTime("YYYY", hi);
    } else {
        lo = hi = Snap(mid, kScale1Month);
        while (fStart < lo)
            lo = Snap(lo - 1, kScale1Month);
        while (fStop > hi)
            hi = Snap(hi + 32, kScale1Month);
        text = FormatDateTime("YYYY", fStart) + " " + FormatDateTime("mmm", lo) + "-" +
               FormatDateTime("mmm", hi);
    }
}

void TxoDateScaler::PrepareIndicatorText(TCanvas* aCanvas) {
    fIndicatorText.clear();
    fIndicatorTextRect = TRect();
    bool sober = fIndicatorStyle == isSober;
    if (fIndicatorStyle != isNormal && !sober) return;
    if (sober) {
        TDateTime span = fStop - fStart;
        TDateTime s = std::floor(fStart);
        TDateTime e = std::floor(fStop);
        if (span > 365)
            fIndicatorText = FormatDateTime("YYYY", s) + " - " + FormatDateTime("YYYY", e);
        else if (MonthOf(s) != MonthOf(e) || span > 30)
            fIndicatorText = FormatDateTime("mmmm YYYY", s) + " - " + FormatDateTime("mmmm YYYY", e);
        else if (span > 3)
            fIndicatorText = FormatDateTime("dddddd", s) + " - " + FormatDateTime("dddddd", e);
        else
            fIndicatorText = FormatDateTime("dddddd", s);
    } else {
        TDateTime lo, hi;
        NormalIndicatorRange(lo, hi, fIndicatorText);
    }
    fIndicatorFont = sTextFont1;
    if (fOnInfoStringEvent) fOnInfoStringEvent(fIndicatorText, fIndicatorFont);
    aCanvas->Font()->Assign(ScalerFontOf(fIndicatorFont));
    PrintResizeFont();
    if (sober) RotateFontIfNeeded(aCanvas->Font());
    int tw = aCanvas->TextWidth(fIndicatorText);
    int th = aCanvas->TextHeight(fIndicatorText);
    if (fHorizontal)
        fIndicatorTextRect = TRect(33, 2, 33 + tw, 2 + th);
    else if (sober && fVerticalText)
        fIndicatorTextRect = TRect(2, Height() - 33 - tw, 2 + th, Height() - 33);
    else
        fIndicatorTextRect = TRect(2, 33, 2 + tw, 33 + th);
}

void TxoDateScaler::NormalIndicator(TCanvas* aCanvas) {
    TDateTime lo, hi;
    String range;
    NormalIndicatorRange(lo, hi, range);
    double f1 = 0, f2 = 1;
    if (hi > lo) {
        f1 = (fStart - lo) / (hi - lo);
        f2 = (fStop - lo) / (hi - lo);
    }
    const String& text = fIndicatorText;
    aCanvas->Font()->Assign(ScalerFontOf(fIndicatorFont));
    aCanvas->Font()->SetColor(clBtnShadow);
    PrintResizeFont();
    int tw = aCanvas->TextWidth(text);
    TPen* pen = aCanvas->Pen();
    if (fHorizontal) {
        aCanvas->TextOut(33, 2, text);
        int x0 = tw + 43;
        int len = Width() - tw - 76;
        pen->SetColor(clBtnHighlight);
        Line(aCanvas, x0, 5, x0 + len, 5);
        pen->SetColor(clBtnShadow);
        Line(aCanvas, x0, 6, x0 + len, 6);
        pen->SetColor(clGreen);
        Line(aCanvas, x0 + int(Round(len * f1)), 5, x0 + int(Round(len * f2)) + 1, 5);
    } else {
        aCanvas->TextOut(2, 33, text);
        int y0 = 55;
        int len = Height() - 88;
        pen->SetColor(clBtnHighlight);
        Line(aCanvas, 5, y0, 5, y0 + len);
        pen->SetColor(clBtnShadow);
        Line(aCanvas, 6, y0, 6, y0 + len);
        pen->SetColor(clGreen);
        Line(aCanvas, 5, y0 + int(Round(len * f1)), 5, y0 + int(Round(len * f2)) + 1);
    }
    pen->SetColor(clBlack);
}

void TxoDateScaler::ColorFullIndicator(TCanvas* aCanvas) {
    TDateTime amount = VisibleTimeAmount();
    auto half = [&](double unit) { return int(std::min<int64_t>(100, Round(amount * 100 / unit))); };
    struct TBar {
        int a;
        TColor color;
    };
    const TBar bars[] = {
        {half(kDay), clGreen}, {half(kWeek), clYellow}, {half(kMonth), clRed}, {half(kYear), clBlue}};
    TBrush* brush = aCanvas->Brush();
    brush->SetStyle(bsSolid);
    int cx = Width() / 2;
    int cy = Height() / 2;
    for (const TBar& b : bars) {
        brush->SetColor(b.color);
        if (fHorizontal)
            aCanvas->FillRect(TRect(cx - b.a, 5, cx + b.a, 9));
        else
            aCanvas->FillRect(TRect(1, cy - b.a, 5, cy + b.a));
    }
    brush->SetColor(clBlack);
    if (fHorizontal)
        aCanvas->FrameRect(TRect(cx - 100, 5, cx + 100, 9));
    else
        aCanvas->FrameRect(TRect(1, cy - 100, 5, cy + 100));
    brush->SetColor(Color());
}

void TxoDateScaler::SoberIndicator(TCanvas* aCanvas) {
    aCanvas->Font()->Assign(ScalerFontOf(fIndicatorFont));
    PrintResizeFont();
    RotateFontIfNeeded(aCanvas->Font());
    if (fHorizontal)
        aCanvas->TextOut(33, 2, fIndicatorText);
    else if (fVerticalText)
        aCanvas->TextOut(2, Height() - 33, fIndicatorText);
    else
        aCanvas->TextOut(2, 33, fIndicatorText);
}
