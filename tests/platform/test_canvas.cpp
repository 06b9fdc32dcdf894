// Canvas and device-context rules, probed on the pixels of bitmaps.
#include "platform/plGraphics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

// Bounding box of the pixels that differ from aBackground (empty when none).
TRect InkBox(TCanvas* c, const TRect& area, TColor aBackground = clWhite) {
    TRect box(area.Right, area.Bottom, area.Left, area.Top);
    bool any = false;
    for (int y = area.Top; y < area.Bottom; ++y)
        for (int x = area.Left; x < area.Right; ++x)
            if (c->Pixels(x, y) != aBackground) {
                any = true;
                box.Left = std::min(box.Left, x);
                box.Top = std::min(box.Top, y);
                box.Right = std::max(box.Right, x + 1);
                box.Bottom = std::max(box.Bottom, y + 1);
            }
    return any ? box : TRect();
}

// Whether two bitmaps hold the same picture.
bool SamePicture(TBitmap* a, TBitmap* b) {
    if (a->Width() != b->Width() || a->Height() != b->Height()) return false;
    for (int y = 0; y < a->Height(); ++y)
        for (int x = 0; x < a->Width(); ++x)
            if (a->Canvas()->Pixels(x, y) != b->Canvas()->Pixels(x, y)) return false;
    return true;
}

class CanvasTest : public ::testing::Test {
protected:
    void SetUp() override {
        bmp = std::make_unique<TBitmap>(120, 80);
        c = bmp->Canvas();
    }
    // A copy of the current picture, to compare after drawing twice.
    std::unique_ptr<TBitmap> Snapshot() {
        auto copy = std::make_unique<TBitmap>();
        copy->Assign(bmp.get());
        return copy;
    }
    void Scribble() {
        c->Brush()->SetColor(clRed);
        c->FillRect(TRect(5, 5, 60, 40));
        c->Brush()->SetColor(clBlue);
        c->FillRect(TRect(30, 20, 100, 70));
    }
    std::unique_ptr<TBitmap> bmp;
    TCanvas* c = nullptr;
};

TEST_F(CanvasTest, NewBitmapIsWhiteAndPixelsOutsideAreInvalid) {
    EXPECT_EQ(c->Pixels(0, 0), clWhite);
    EXPECT_EQ(c->Pixels(119, 79), clWhite);
    EXPECT_EQ(c->Pixels(120, 0), CLR_INVALID);
    EXPECT_EQ(c->Pixels(-1, 5), CLR_INVALID);
    c->SetPixels(3, 4, clRed);
    EXPECT_EQ(c->Pixels(3, 4), clRed);
}

TEST_F(CanvasTest, RectanglesCoverLeftToRightMinusOne) {
    // FillRect, FrameRect and Rectangle all stop before Right and Bottom.
    c->Brush()->SetColor(clRed);
    c->FillRect(TRect(10, 10, 20, 20));
    EXPECT_EQ(c->Pixels(10, 10), clRed);
    EXPECT_EQ(c->Pixels(19, 19), clRed);
    EXPECT_EQ(c->Pixels(20, 15), clWhite);
    EXPECT_EQ(c->Pixels(15, 20), clWhite);
    EXPECT_EQ(c->Pixels(9, 15), clWhite);

    c->Brush()->SetColor(clBlue);
    c->FrameRect(TRect(30, 10, 40, 20));
    EXPECT_EQ(c->Pixels(30, 10), clBlue);
    EXPECT_EQ(c->Pixels(39, 19), clBlue);
    EXPECT_EQ(c->Pixels(39, 15), clBlue);
    EXPECT_EQ(c->Pixels(35, 15), clWhite); // inside stays
    EXPECT_EQ(c->Pixels(40, 15), clWhite);

    c->Pen()->SetColor(clBlack);
    c->Brush()->SetColor(clLime);
    c->Rectangle(50, 10, 60, 20);
    EXPECT_EQ(c->Pixels(50, 10), clBlack);
    EXPECT_EQ(c->Pixels(59, 19), clBlack);
    EXPECT_EQ(c->Pixels(55, 15), clLime);
    EXPECT_EQ(c->Pixels(60, 15), clWhite);
    EXPECT_EQ(c->Pixels(55, 20), clWhite);

    // FillRect ignores the pen; a clear brush fills nothing.
    c->Pen()->SetColor(clRed);
    c->Brush()->SetColor(clYellow);
    c->FillRect(TRect(70, 10, 80, 20));
    EXPECT_EQ(c->Pixels(70, 10), clYellow);
    c->Brush()->SetStyle(bsClear);
    c->FillRect(TRect(70, 30, 80, 40));
    EXPECT_EQ(c->Pixels(75, 35), clWhite);
    // Rectangle with a clear brush only outlines.
    c->Rectangle(90, 10, 100, 20);
    EXPECT_EQ(c->Pixels(90, 10), clRed);
    EXPECT_EQ(c->Pixels(95, 15), clWhite);
}

TEST_F(CanvasTest, LineToLeavesTheEndPointUndrawnAndMovesThePen) {
    struct Case {
        TPoint from, to, lastDrawn;
    };
    const Case cases[] = {
        {{10, 10}, {30, 10}, {29, 10}}, // right
        {{30, 20}, {10, 20}, {11, 20}}, // left
        {{50, 10}, {50, 30}, {50, 29}}, // down
        {{60, 30}, {60, 10}, {60, 11}}, // up
        {{70, 10}, {80, 20}, {79, 19}}, // diagonal
    };
    c->Pen()->SetColor(clBlack);
    for (const Case& k : cases) {
        c->MoveTo(k.from.X, k.from.Y);
        c->LineTo(k.to.X, k.to.Y);
        EXPECT_EQ(c->PenPos(), k.to);
        EXPECT_EQ(c->Pixels(k.from.X, k.from.Y), clBlack) << k.from.X << "," << k.from.Y;
        EXPECT_EQ(c->Pixels(k.lastDrawn.X, k.lastDrawn.Y), clBlack) << k.lastDrawn.X << "," << k.lastDrawn.Y;
        EXPECT_EQ(c->Pixels(k.to.X, k.to.Y), clWhite) << k.to.X << "," << k.to.Y;
    }
    // A polyline leaves only its last point undrawn.
    c->Polyline({Point(10, 50), Point(20, 50), Point(20, 60)});
    EXPECT_EQ(c->Pixels(20, 50), clBlack);
    EXPECT_EQ(c->Pixels(20, 59), clBlack);
    EXPECT_EQ(c->Pixels(20, 60), clWhite);
    // A clear pen draws nothing but still moves.
    c->Pen()->SetStyle(psClear);
    c->MoveTo(90, 50);
    c->LineTo(110, 50);
    EXPECT_EQ(c->Pixels(95, 50), clWhite);
    EXPECT_EQ(c->PenPos(), Point(110, 50));
}

TEST_F(CanvasTest, PolygonFillsWithBrushAndOutlinesWithPen) {
    c->Pen()->SetColor(clBlack);
    c->Brush()->SetColor(clRed);
    c->Polygon({Point(10, 10), Point(50, 10), Point(50, 50), Point(10, 50)});
    EXPECT_EQ(c->Pixels(30, 30), clRed);
    EXPECT_EQ(c->Pixels(10, 30), clBlack);
    EXPECT_EQ(c->Pixels(50, 30), clBlack); // closed outline includes every vertex edge
    EXPECT_EQ(c->Pixels(51, 30), clWhite);
    c->Polygon(nullptr, 0); // nothing, no crash
}

TEST_F(CanvasTest, InvertingFiguresDrawnTwiceRestoreThePicture) {
    Scribble();
    auto before = Snapshot();

    c->Pen()->SetMode(pmNot);
    c->Brush()->SetStyle(bsClear);
    c->MoveTo(0, 0);
    c->LineTo(110, 75);
    c->Rectangle(20, 15, 90, 60);
    EXPECT_EQ(c->Pixels(20, 50), clBlack); // inverted white
    EXPECT_EQ(c->Pixels(20, 30), clRed ^ 0xFFFFFF);
    EXPECT_FALSE(SamePicture(bmp.get(), before.get()));
    c->MoveTo(0, 0);
    c->LineTo(110, 75);
    c->Rectangle(20, 15, 90, 60);
    EXPECT_TRUE(SamePicture(bmp.get(), before.get()));

    // Dotted inverting pen (the rubber band of dragged links) and exclusive-or.
    c->Pen()->SetStyle(psDot);
    c->Pen()->SetMode(pmNotXor);
    c->Pen()->SetColor(clBlack);
    for (int i = 0; i < 2; ++i) {
        c->MoveTo(5, 70);
        c->LineTo(115, 10);
    }
    c->Pen()->SetStyle(psSolid);
    c->Pen()->SetMode(pmXor);
    c->Pen()->SetColor(clRed);
    c->MoveTo(0, 30);
    c->LineTo(100, 30);
    EXPECT_EQ(c->Pixels(2, 30), clWhite ^ clRed);
    c->MoveTo(0, 30);
    c->LineTo(100, 30);
    EXPECT_TRUE(SamePicture(bmp.get(), before.get()));
}

TEST_F(CanvasTest, FocusRectIsDottedAndDrawingItTwiceRemovesIt) {
    Scribble();
    auto before = Snapshot();
    c->DrawFocusRect(TRect(10, 10, 50, 30));
    // Along the top edge every other pixel is inverted.
    int changed = 0;
    for (int x = 10; x < 50; ++x)
        changed += c->Pixels(x, 10) != before->Canvas()->Pixels(x, 10);
    EXPECT_EQ(changed, 20);
    EXPECT_EQ(c->Pixels(30, 20), before->Canvas()->Pixels(30, 20)); // inside untouched
    EXPECT_EQ(c->Pixels(50, 20), before->Canvas()->Pixels(50, 20)); // right of Right - 1
    c->DrawFocusRect(TRect(10, 10, 50, 30));
    EXPECT_TRUE(SamePicture(bmp.get(), before.get()));
}

TEST_F(CanvasTest, EightPointTextIsThirteenPixelsHighAndPlacedByItsTopLeft) {
    TFont* f = c->Font();
    f->SetName("MS Sans Serif");
    f->SetSize(8);
    EXPECT_EQ(f->Height(), -11);
    EXPECT_EQ(f->Size(), 8);
    EXPECT_EQ(c->TextHeight("X"), 13);
    EXPECT_GT(c->TextWidth("Hello"), c->TextWidth("Hi"));
    EXPECT_EQ(c->TextExtent("Hello"), TSize(c->TextWidth("Hello"), 13));

    f->SetColor(clBlack);
    c->Brush()->SetStyle(bsClear);
    c->TextOut(20, 30, "Xg");
    TRect ink = InkBox(c, TRect(0, 0, 120, 80));
    EXPECT_GE(ink.Top, 30);                          // nothing above y
    EXPECT_LE(ink.Bottom, 30 + c->TextHeight("Xg")); // descender within the text height
    EXPECT_GE(ink.Left, 20);
    EXPECT_LE(ink.Right, 20 + c->TextWidth("Xg"));
    EXPECT_EQ(c->PenPos(), Point(20 + c->TextWidth("Xg"), 30));
}

TEST_F(CanvasTest, SolidBrushPaintsTextBackgroundClearBrushKeepsIt) {
    c->Brush()->SetColor(clRed);
    c->FillRect(TRect(0, 0, 120, 80));
    c->Font()->SetColor(clBlack);
    c->Brush()->SetColor(clYellow);
    c->TextOut(10, 10, "ii");
    EXPECT_EQ(c->Pixels(10, 10), clYellow); // cell corner, no ink there
    c->Brush()->SetStyle(bsClear);
    c->TextOut(10, 40, "ii");
    EXPECT_EQ(c->Pixels(10, 40), clRed);
    EXPECT_FALSE(InkBox(c, TRect(10, 40, 40, 60), clRed).IsEmpty());
}

TEST_F(CanvasTest, TextRectClipsToItsRectangle) {
    c->Font()->SetColor(clBlack);
    c->Brush()->SetStyle(bsClear);
    c->TextRect(TRect(10, 10, 30, 30), 10, 10, "WWWWWWWWWW");
    TRect ink = InkBox(c, TRect(0, 0, 120, 80));
    ASSERT_FALSE(ink.IsEmpty());
    EXPECT_LE(ink.Right, 30);
    EXPECT_GE(ink.Left, 10);
    // A solid brush fills the rectangle.
    c->Brush()->SetColor(clLime);
    c->TextRect(TRect(50, 50, 60, 60), 50, 50, "");
    EXPECT_EQ(c->Pixels(59, 59), clLime);
    EXPECT_EQ(c->Pixels(60, 60), clWhite);
}

TEST_F(CanvasTest, RotatedTextRunsUpwardFromItsOrigin) {
    c->Font()->SetColor(clBlack);
    c->Font()->SetOrientation(900);
    c->Brush()->SetStyle(bsClear);
    c->TextOut(40, 70, "WWWW");
    TRect ink = InkBox(c, TRect(0, 0, 120, 80));
    ASSERT_FALSE(ink.IsEmpty());
    EXPECT_LE(ink.Bottom, 70);
    EXPECT_GE(ink.Left, 40);
    EXPECT_GT(ink.Height(), ink.Width());
}

TEST_F(CanvasTest, ViewportOriginOffsetsEveryCall) {
    HDC dc = c->Handle();
    TPoint org;
    ASSERT_TRUE(GetViewportOrgEx(dc, &org));
    EXPECT_EQ(org, Point(0, 0));
    SetViewportOrgEx(dc, 30, 20, &org);
    EXPECT_EQ(org, Point(0, 0));
    OffsetViewportOrgEx(dc, 5, 5);
    GetViewportOrgEx(dc, &org);
    EXPECT_EQ(org, Point(35, 25));

    c->Brush()->SetColor(clRed);
    c->FillRect(TRect(0, 0, 10, 10));  // device 35..44 x 25..34
    EXPECT_EQ(c->Pixels(0, 0), clRed); // logical reads follow the origin too
    SetViewportOrgEx(dc, 0, 0);
    EXPECT_EQ(c->Pixels(35, 25), clRed);
    EXPECT_EQ(c->Pixels(44, 34), clRed);
    EXPECT_EQ(c->Pixels(45, 34), clWhite);
    EXPECT_EQ(c->Pixels(34, 25), clWhite);
}

TEST_F(CanvasTest, ClipRegionIsSelectedReadBackAndRemoved) {
    HDC dc = c->Handle();
    HRGN probe = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetClipRgn(dc, probe), 0); // no region yet

    HRGN clip = CreateRectRgnIndirect(TRect(20, 20, 40, 40));
    SelectClipRgn(dc, clip);
    EXPECT_TRUE(DeleteObject(clip));  // the context keeps its own copy
    EXPECT_FALSE(DeleteObject(clip)); // a freed handle is refused, not freed again
    EXPECT_EQ(SelectClipRgn(dc, clip), RGN_ERROR);
    ASSERT_EQ(GetClipRgn(dc, probe), 1);
    TRect box;
    GetRgnBox(probe, &box);
    EXPECT_EQ(box, TRect(20, 20, 40, 40));

    // The region is in device coordinates: the viewport origin does not move it.
    SetViewportOrgEx(dc, 10, 10);
    EXPECT_EQ(c->ClipRect(), TRect(10, 10, 30, 30));
    c->Brush()->SetColor(clRed);
    c->FillRect(TRect(0, 0, 100, 100));
    SetViewportOrgEx(dc, 0, 0);
    SelectClipRgn(dc, nullptr);
    EXPECT_EQ(GetClipRgn(dc, probe), 0);
    EXPECT_EQ(c->Pixels(20, 20), clRed);
    EXPECT_EQ(c->Pixels(39, 39), clRed);
    EXPECT_EQ(c->Pixels(40, 39), clWhite);
    EXPECT_EQ(c->Pixels(19, 20), clWhite);
    EXPECT_EQ(c->ClipRect(), TRect(0, 0, 120, 80));
    DeleteObject(probe);
}

TEST_F(CanvasTest, DrawTextAlignsAndMeasures) {
    c->Font()->SetColor(clBlack);
    c->Brush()->SetStyle(bsClear);
    HDC dc = c->Handle();
    const int w = c->TextWidth("Abc");
    const int h = c->TextHeight("Abc");

    struct Case {
        uint32_t flags;
        int left, top; // where the text cell starts in the rectangle (10, 10, 110, 70)
    };
    const Case cases[] = {
        {DT_LEFT | DT_SINGLELINE, 10, 10},
        {DT_RIGHT | DT_SINGLELINE, 110 - w, 10},
        {DT_CENTER | DT_SINGLELINE | DT_VCENTER, (120 - w) / 2, (80 - h) / 2},
        {DT_SINGLELINE | DT_BOTTOM, 10, 70 - h},
    };
    for (const Case& k : cases) {
        c->Brush()->SetColor(clWhite);
        c->FillRect(TRect(0, 0, 120, 80));
        c->Brush()->SetStyle(bsClear);
        dc = c->Handle();
        TRect r(10, 10, 110, 70);
        DrawText(dc, "Abc", -1, r, k.flags);
        TRect ink = InkBox(c, TRect(0, 0, 120, 80));
        ASSERT_FALSE(ink.IsEmpty()) << k.flags;
        EXPECT_GE(ink.Left, k.left) << k.flags;
        EXPECT_LE(ink.Right, k.left + w) << k.flags;
        EXPECT_GE(ink.Top, k.top) << k.flags;
        EXPECT_LE(ink.Bottom, k.top + h) << k.flags;
    }

    // Calculating: one line gets its width; word breaking stacks lines in the width.
    TRect r(0, 0, 1000, 0);
    EXPECT_EQ(DrawText(dc, "Abc", -1, r, DT_CALCRECT | DT_SINGLELINE), h);
    EXPECT_EQ(r, TRect(0, 0, w, h));
    const int wordWidth = c->TextWidth("word");
    TRect wrap(0, 0, wordWidth + 2, 0);
    EXPECT_EQ(DrawText(dc, "word word word", -1, wrap, DT_CALCRECT | DT_WORDBREAK), 3 * h);
    EXPECT_EQ(wrap.Bottom, 3 * h);
    EXPECT_EQ(wrap.Right, wordWidth);
    TRect lines(0, 0, 1000, 0);
    EXPECT_EQ(DrawText(dc, "a\nb", -1, lines, DT_CALCRECT), 2 * h);

    // "&" marks an underlined character unless DT_NOPREFIX.
    TRect p1(0, 0, 1000, 0), p2(0, 0, 1000, 0);
    DrawText(dc, "&Abc", -1, p1, DT_CALCRECT | DT_SINGLELINE);
    DrawText(dc, "&Abc", -1, p2, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_EQ(p1.Right, w);
    EXPECT_GT(p2.Right, w);
}

TEST_F(CanvasTest, DrawTextClipsAndShortensWithEllipsis) {
    c->Font()->SetColor(clBlack);
    c->Brush()->SetStyle(bsClear);
    HDC dc = c->Handle();
    TRect r(10, 10, 40, 30);
    DrawText(dc, "A rather long text", -1, r, DT_SINGLELINE | DT_END_ELLIPSIS);
    TRect ink = InkBox(c, TRect(0, 0, 120, 80));
    ASSERT_FALSE(ink.IsEmpty());
    EXPECT_LE(ink.Right, 40);
    // The dots end the text: the last column of ink is a dot, low in the line.
    TRect tail = InkBox(c, TRect(ink.Right - 1, 10, ink.Right, 30));
    EXPECT_GT(tail.Top, 10 + c->TextHeight("A") / 2);
    // DT_NOCLIP lets a long text run on.
    c->Brush()->SetColor(clWhite);
    c->FillRect(TRect(0, 0, 120, 80));
    dc = c->Handle();
    TRect n(10, 40, 20, 60);
    DrawText(dc, "WWWW", -1, n, DT_SINGLELINE | DT_NOCLIP);
    EXPECT_GT(InkBox(c, TRect(0, 0, 120, 80)).Right, 20);
}

TEST_F(CanvasTest, ExtTextOutOpaqueFillsAndClips) {
    HDC dc = c->Handle();
    SetBkColor(dc, clYellow);
    SetTextColor(dc, clBlack);
    TRect r(10, 10, 30, 30);
    ExtTextOut(dc, 12, 12, ETO_OPAQUE | ETO_CLIPPED, &r, "WWWWWWWW");
    EXPECT_EQ(c->Pixels(10, 10), clYellow);
    EXPECT_EQ(c->Pixels(29, 29), clYellow);
    EXPECT_EQ(c->Pixels(30, 29), clWhite);
    EXPECT_LE(InkBox(c, TRect(0, 0, 120, 80)).Right, 30);
}

TEST_F(CanvasTest, PatBltInvertsAndPatternInvertsAgain) {
    Scribble();
    auto before = Snapshot();
    HDC dc = c->Handle();
    PatBlt(dc, 10, 10, 50, 30, DSTINVERT);
    EXPECT_EQ(c->Pixels(10, 10), clRed ^ 0xFFFFFF);
    EXPECT_EQ(c->Pixels(60, 10), before->Canvas()->Pixels(60, 10));
    PatBlt(dc, 10, 10, 50, 30, DSTINVERT);
    EXPECT_TRUE(SamePicture(bmp.get(), before.get()));

    // A checker pattern brush (the splitter's drag line): half the pixels invert.
    TBitmap checker(2, 2);
    checker.Canvas()->SetPixels(0, 0, clBlack);
    checker.Canvas()->SetPixels(1, 1, clBlack);
    HBRUSH pattern = CreatePatternBrush(&checker);
    HBRUSH old = SelectObject(dc, pattern);
    EXPECT_FALSE(DeleteObject(pattern)); // still selected
    PatBlt(dc, 0, 0, 120, 80, PATINVERT);
    EXPECT_NE(c->Pixels(0, 1), before->Canvas()->Pixels(0, 1));
    EXPECT_EQ(c->Pixels(1, 1), before->Canvas()->Pixels(1, 1));
    PatBlt(dc, 0, 0, 120, 80, PATINVERT);
    SelectObject(dc, old);
    EXPECT_TRUE(DeleteObject(pattern));
    EXPECT_TRUE(SamePicture(bmp.get(), before.get()));
}

TEST_F(CanvasTest, BitmapsAreDrawnStretchedAndCopied) {
    TBitmap src(2, 2);
    src.Canvas()->SetPixels(0, 0, clRed);
    src.Canvas()->SetPixels(1, 0, clLime);
    src.Canvas()->SetPixels(0, 1, clBlue);
    src.Canvas()->SetPixels(1, 1, clBlack);
    c->Draw(0, 0, &src);
    EXPECT_EQ(c->Pixels(1, 1), clBlack);
    EXPECT_EQ(c->Pixels(2, 2), clWhite);

    c->StretchDraw(TRect(10, 10, 30, 30), &src);
    EXPECT_EQ(c->Pixels(10, 10), clRed);
    EXPECT_EQ(c->Pixels(19, 19), clRed);
    EXPECT_EQ(c->Pixels(20, 10), clLime);
    EXPECT_EQ(c->Pixels(10, 29), clBlue);
    EXPECT_EQ(c->Pixels(29, 29), clBlack);
    EXPECT_EQ(c->Pixels(30, 30), clWhite);

    StretchBitmap(c->Handle(), TRect(40, 10, 44, 14), &src);
    EXPECT_EQ(c->Pixels(43, 13), clBlack);

    TBitmap dest(50, 50);
    dest.Canvas()->CopyRect(TRect(0, 0, 20, 20), c, TRect(10, 10, 30, 30));
    EXPECT_EQ(dest.Canvas()->Pixels(0, 0), clRed);
    EXPECT_EQ(dest.Canvas()->Pixels(19, 19), clBlack);
    EXPECT_EQ(dest.Canvas()->Pixels(20, 20), clWhite);
}

TEST_F(CanvasTest, PatternBrushFillsFromTheDeviceOrigin) {
    TBitmap pattern(2, 1);
    pattern.Canvas()->SetPixels(0, 0, clBlack);
    c->Brush()->SetBitmap(&pattern);
    c->FillRect(TRect(3, 0, 9, 2));
    EXPECT_EQ(c->Pixels(3, 0), clWhite); // odd columns white
    EXPECT_EQ(c->Pixels(4, 0), clBlack);
    EXPECT_EQ(c->Pixels(9, 0), clWhite);
}

TEST_F(CanvasTest, ResizingKeepsThePictureAndAnEmptyBitmapDrawsNothing) {
    c->Brush()->SetColor(clRed);
    c->FillRect(TRect(0, 0, 10, 10));
    bmp->SetSize(200, 150);
    EXPECT_EQ(c->Pixels(5, 5), clRed);
    EXPECT_EQ(c->Pixels(150, 100), clWhite);
    bmp->SetSize(-5, 0);
    EXPECT_TRUE(bmp->Empty());
    c->FillRect(TRect(0, 0, 10, 10)); // no surface: nothing happens
    EXPECT_EQ(c->Pixels(0, 0), CLR_INVALID);
    TCanvas detached;
    EXPECT_THROW(detached.FillRect(TRect(0, 0, 1, 1)), Exception);
}

TEST_F(CanvasTest, ExtremeCoordinatesAndSizesAreHarmless) {
    const int lo = INT32_MIN, hi = INT32_MAX;
    c->Brush()->SetColor(clRed);
    c->FillRect(TRect(lo, lo, hi, hi));
    EXPECT_EQ(c->Pixels(60, 40), clRed);
    c->Rectangle(hi, hi, lo, lo);
    c->Ellipse(lo, 0, hi, 10);
    c->MoveTo(lo, lo);
    c->LineTo(hi, hi);
    c->Polygon({Point(lo, lo), Point(hi, 0), Point(0, hi)});
    c->DrawFocusRect(TRect(lo, lo, hi, hi));
    c->TextOut(hi, hi, "x");
    HDC dc = c->Handle();
    SetViewportOrgEx(dc, hi, lo);
    OffsetViewportOrgEx(dc, hi, hi);
    c->FillRect(TRect(0, 0, 10, 10));
    EXPECT_EQ(c->Pixels(hi, hi), CLR_INVALID);
    SetViewportOrgEx(dc, 0, 0);
    PatBlt(dc, hi, hi, hi, hi, DSTINVERT);
    PatBlt(dc, 0, 0, lo, lo, DSTINVERT);
    TRect r(lo, lo, hi, hi);
    DrawText(dc, "a\nb c d", -1, r, DT_WORDBREAK);
    DrawText(dc, "a b", -1, r, DT_CALCRECT | DT_WORDBREAK);
    IntersectClipRect(dc, lo, lo, hi, hi);
    HRGN big = CreateRectRgn(lo, lo, hi, hi);
    SelectClipRgn(dc, big);
    SelectClipRgn(dc, nullptr);
    DeleteObject(big);
    c->Font()->SetSize(hi);
    c->Font()->SetHeight(lo);
    EXPECT_GT(c->TextHeight("X"), 0);
    EXPECT_THROW(bmp->SetSize(hi, hi), Exception);
    EXPECT_EQ(bmp->Width(), 120); // unchanged after the refusal
}

TEST(ImageListTest, DrawsImagesWithTheirTransparency) {
    TCustomImageList list(nullptr, 4, 4);
    TBitmap strip(8, 4); // two images side by side
    strip.Canvas()->Brush()->SetColor(clFuchsia);
    strip.Canvas()->FillRect(TRect(0, 0, 8, 4));
    strip.Canvas()->Brush()->SetColor(clRed);
    strip.Canvas()->FillRect(TRect(1, 1, 3, 3));
    strip.Canvas()->Brush()->SetColor(clBlue);
    strip.Canvas()->FillRect(TRect(4, 0, 8, 4));
    EXPECT_EQ(list.AddMasked(&strip, clFuchsia), 0);
    EXPECT_EQ(list.Count(), 2);

    TBitmap target(20, 10);
    target.Canvas()->Brush()->SetColor(clLime);
    target.Canvas()->FillRect(TRect(0, 0, 20, 10));
    list.Draw(target.Canvas(), 2, 2, 0);
    list.Draw(target.Canvas(), 10, 2, 1);
    list.Draw(target.Canvas(), 0, 0, 7); // out of range: nothing
    TCanvas* t = target.Canvas();
    EXPECT_EQ(t->Pixels(2, 2), clLime); // transparent corner
    EXPECT_EQ(t->Pixels(3, 3), clRed);
    EXPECT_EQ(t->Pixels(13, 5), clBlue);
    EXPECT_EQ(t->Pixels(14, 6), clLime);

    // A disabled image is grey, and GetBitmap fills transparent parts white.
    list.Draw(t, 2, 2, 0, false);
    TColor grey = t->Pixels(3, 3);
    EXPECT_EQ(GetRValue(grey), GetGValue(grey));
    EXPECT_EQ(GetGValue(grey), GetBValue(grey));
    TBitmap one;
    EXPECT_TRUE(list.GetBitmap(0, &one));
    EXPECT_EQ(one.Width(), 4);
    EXPECT_EQ(one.Canvas()->Pixels(0, 0), clWhite);
    EXPECT_EQ(one.Canvas()->Pixels(1, 1), clRed);
    EXPECT_FALSE(list.GetBitmap(5, &one));
    EXPECT_EQ(list.Add(nullptr), -1);
}

TEST(FontTest, FrameworkFacesMapToTheInstalledFamilies) {
    TFont f;
    const std::pair<const char*, const char*> cases[] = {
        {"Arial", "DejaVu Sans"},
        {"MS Sans Serif", "DejaVu Sans"},
        {"Tahoma", "DejaVu Sans"},
        {"Segoe UI", "DejaVu Sans"},
        {"Verdana", "DejaVu Sans"},
        {"No Such Face", "DejaVu Sans"},
        {"Courier New", "DejaVu Sans Mono"},
        {"Times New Roman", "DejaVu Serif"},
    };
    for (auto [name, family] : cases) {
        f.SetName(name);
        EXPECT_EQ(f.ResolvedFamily(), family) << name;
    }
    int changes = 0;
    f.SetOnChange([&](TObject*) { ++changes; });
    f.SetSize(10);
    EXPECT_EQ(f.Height(), -13);
    TFont g;
    g.Assign(&f);
    EXPECT_EQ(g.Size(), 10);
    EXPECT_EQ(g.Name(), "Times New Roman");
    EXPECT_EQ(changes, 1);
}

} // namespace
