// Drawing helpers: tinting, the shaded fill, handles, bevels, rotated fonts, bitmaps on
// printers; and the quick choice menu.
#include "foundation/xoGraphStuff.h"
#include "platform/plMenus.h"
#include "platform/plTestInput.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TBitmap* WhiteBitmap(TBitmap& bmp, int w, int h) {
    bmp.SetSize(w, h);
    bmp.Canvas()->Brush()->SetColor(clWhite);
    bmp.Canvas()->FillRect(TRect(0, 0, w, h));
    return &bmp;
}

// ---- TintColor -------------------------------------------------------------------------------
struct TintCase {
    TColor color;
    double tint;
    TColor expected;
};

TEST(GStuffTintColor, MultipliesEachComponentAndRoundsHalvesToEven) {
    const TintCase cases[] = {
        {0x00808080, 0.5, 0x00404040},   {0x0080FF10, 1.0, 0x0080FF10},
        {0x00000000, 0.97, 0x00000000},  // black stays black
        {0x00000001, 0.3, 0x00000001},   // rounds to 0: the colour comes back unchanged
        {0x00000005, 0.5, 0x00000002},   // 2.5 rounds to the even 2
        {0x00000007, 0.5, 0x00000004},   // 3.5 rounds to the even 4
        {0x00102030, 0.97, 0x00101F2F},  // 46.56, 31.04, 15.52: 47, 31, 16
        {0x000000FF, 1.031, 0x00000107}, // 262.9: no clamp, the excess carries into green
        {0xFF000018, 0.5, 0x0000000C},   // a system colour is not resolved; its high byte drops
    };
    for (const TintCase& c : cases)
        EXPECT_EQ(GStuff::TintColor(c.color, c.tint), c.expected)
            << std::hex << "color 0x" << c.color << " tint " << c.tint;
}

TEST(GStuffTintColor, AbsurdFactorsGiveSomeColourWithoutFaulting) {
    // Far out of range: the result is not meaningful, but computing it must be safe.
    (void)GStuff::TintColor(0x00FFFFFF, 1e300);
    (void)GStuff::TintColor(0x00FFFFFF, -3.0);
    (void)GStuff::TintColor(0x00FFFFFF, std::numeric_limits<double>::quiet_NaN());
}

// ---- FillRadiated ----------------------------------------------------------------------------
// The colour of line i of a shaded fill of height h, from the rule: line 0 in aColor; after
// every line i that is a multiple of step the colour darkens by 0.97 while i <= split and
// lightens by 1.031 below.
TColor ExpectedLine(TColor aColor, int h, int line) {
    int step = h / 50 + 1;
    int split = int(Round(h * 0.66));
    TColor c = aColor;
    for (int i = 0; i < line; ++i)
        if (i % step == 0) c = GStuff::TintColor(c, i <= split ? 0.97 : 1.031);
    return c;
}

TEST(GStuffFillRadiated, HundredHighDarkensToTwoThirdsThenLightens) {
    TBitmap bmp;
    TCanvas* cv = WhiteBitmap(bmp, 140, 130)->Canvas();
    const TColor base = 0x00C08060;
    const TRect r(10, 10, 110, 110); // h = 100: step 3, split 66
    GStuff::FillRadiated(cv, r, base);

    for (int i = 0; i < 100; ++i) {
        TColor want = ExpectedLine(base, 100, i);
        ASSERT_EQ(cv->Pixels(r.Left, r.Top + i), want) << "line " << i;
        ASSERT_EQ(cv->Pixels(r.Right - 1, r.Top + i), want) << "line " << i;
        ASSERT_EQ(cv->Pixels(r.Right, r.Top + i), clWhite) << "right of line " << i;
        ASSERT_EQ(cv->Pixels(r.Left - 1, r.Top + i), clWhite) << "left of line " << i;
    }
    EXPECT_EQ(cv->Pixels(50, r.Top - 1), clWhite);
    EXPECT_EQ(cv->Pixels(50, r.Bottom), clWhite);

    // Every third line changes colour: line 0, then 1..3, 4..6, ...
    EXPECT_EQ(cv->Pixels(20, 10), base);
    EXPECT_NE(cv->Pixels(20, 11), base);
    EXPECT_EQ(cv->Pixels(20, 11), cv->Pixels(20, 13));
    EXPECT_NE(cv->Pixels(20, 13), cv->Pixels(20, 14));
    // Darkest at two thirds, lighter again at the bottom.
    auto red = [&](int line) { return GetRValue(cv->Pixels(20, r.Top + line)); };
    EXPECT_LT(red(67), red(0));
    EXPECT_LT(red(67), red(99));
    EXPECT_LE(red(66), red(65));
    EXPECT_GE(red(99), red(80));
}

TEST(GStuffFillRadiated, SmallRectangleIsAPlainBrushFill) {
    TBitmap bmp;
    TCanvas* cv = WhiteBitmap(bmp, 30, 30)->Canvas();
    GStuff::FillRadiated(cv, TRect(5, 5, 15, 15), 0x00336699);
    for (int y = 5; y < 15; ++y)
        for (int x = 5; x < 15; ++x)
            ASSERT_EQ(cv->Pixels(x, y), TColor(0x00336699)) << x << "," << y;
    EXPECT_EQ(cv->Pixels(15, 10), clWhite);
    EXPECT_EQ(cv->Pixels(10, 15), clWhite);
    EXPECT_EQ(cv->Brush()->Color(), TColor(0x00336699));
}

TEST(GStuffFillRadiated, NarrowButTallIsShaded) {
    // Only both sides below 15 make a plain fill.
    TBitmap bmp;
    TCanvas* cv = WhiteBitmap(bmp, 30, 40)->Canvas();
    GStuff::FillRadiated(cv, TRect(0, 0, 10, 30), 0x00808080);
    EXPECT_EQ(cv->Pixels(5, 0), TColor(0x00808080));
    EXPECT_EQ(cv->Pixels(5, 15), ExpectedLine(0x00808080, 30, 15));
    EXPECT_NE(cv->Pixels(5, 15), TColor(0x00808080));
}

TEST(GStuffFillRadiated, OnePixelHighStaysInsideItsRectangle) {
    TBitmap bmp;
    TCanvas* cv = WhiteBitmap(bmp, 40, 10)->Canvas();
    GStuff::FillRadiated(cv, TRect(0, 4, 30, 5), 0x00404040);
    EXPECT_EQ(cv->Pixels(10, 4), TColor(0x00404040));
    EXPECT_EQ(cv->Pixels(10, 5), clWhite);
    EXPECT_EQ(cv->Pixels(10, 3), clWhite);
}

TEST(GStuffFillRadiated, EmptyAndInvertedRectanglesDrawNothing) {
    TBitmap bmp;
    TCanvas* cv = WhiteBitmap(bmp, 40, 40)->Canvas();
    GStuff::FillRadiated(cv, TRect(0, 20, 30, 20), clBlack);  // wide, zero high
    GStuff::FillRadiated(cv, TRect(0, 30, 30, 10), clBlack);  // wide, inverted
    GStuff::FillRadiated(cv, TRect(30, 30, 10, 10), clBlack); // small and inverted: plain fill
    for (int y = 0; y < 40; y += 3)
        for (int x = 0; x < 40; x += 3)
            ASSERT_EQ(cv->Pixels(x, y), clWhite) << x << "," << y;
}

TEST(GStuffFillRadiated, HugeRectangleIsCutToTheSurface) {
    TBitmap bmp;
    TCanvas* cv = WhiteBitmap(bmp, 20, 20)->Canvas();
    GStuff::FillRadiated(cv, TRect(0, 0, 20, 2000000000), 0x00808080);
    EXPECT_EQ(cv->Pixels(5, 0), TColor(0x00808080));
    EXPECT_EQ(cv->Pixels(5, 19), ExpectedLine(0x00808080, 2000000000, 19));
}

// ---- Handles, bevels, rectangles -------------------------------------------------------------
TEST(GStuffDoSelectContent, FourBlackHandlesInTheCorners) {
    TBitmap bmp;
    TCanvas* cv = WhiteBitmap(bmp, 60, 60)->Canvas();
    const TRect r(10, 10, 50, 40);
    GStuff::DoSelectContent(cv, r);
    struct Probe {
        int x, y;
        TColor c;
    };
    const Probe probes[] = {
        {10, 10, clBlack}, {14, 14, clBlack}, {15, 10, clWhite}, {10, 15, clWhite}, // top left
        {45, 10, clBlack}, {49, 14, clBlack}, {44, 10, clWhite}, {50, 10, clWhite}, // top right
        {10, 35, clBlack}, {14, 39, clBlack}, {10, 34, clWhite}, {10, 40, clWhite}, // bottom left
        {45, 35, clBlack}, {49, 39, clBlack}, {44, 39, clWhite}, {49, 40, clWhite}, // bottom right
        {30, 25, clWhite},
    };
    for (const Probe& p : probes)
        EXPECT_EQ(cv->Pixels(p.x, p.y), p.c) << p.x << "," << p.y;
    EXPECT_EQ(cv->Brush()->Color(), clBlack);
    GStuff::DoSelectContent(cv, TRect(50, 50, 0, 0)); // inverted: accepted
}

TEST(GStuffBevelRect, RaisedIsLightTopLeftAndDarkBottomRight) {
    const TColor light = ColorToRGB(clBtnHighlight), dark = ColorToRGB(clBtnShadow);
    ASSERT_NE(light, dark);
    for (bool raised : {true, false}) {
        TBitmap bmp;
        TCanvas* cv = WhiteBitmap(bmp, 60, 60)->Canvas();
        cv->Pen()->SetColor(clRed);
        GStuff::BevelRect(cv, TRect(10, 10, 50, 40), raised);
        TColor first = raised ? light : dark, second = raised ? dark : light;
        EXPECT_EQ(cv->Pixels(10, 40), first) << raised; // start of the first polyline
        EXPECT_EQ(cv->Pixels(10, 25), first) << raised;
        EXPECT_EQ(cv->Pixels(10, 10), first) << raised;
        EXPECT_EQ(cv->Pixels(49, 10), first) << raised;
        EXPECT_EQ(cv->Pixels(50, 10), second) << raised; // start of the second polyline
        EXPECT_EQ(cv->Pixels(50, 39), second) << raised;
        EXPECT_EQ(cv->Pixels(50, 40), second) << raised;
        EXPECT_EQ(cv->Pixels(11, 40), second) << raised;
        EXPECT_EQ(cv->Pixels(30, 25), clWhite) << raised;
        EXPECT_EQ(cv->Pen()->Color(), clRed) << raised;
    }
}

TEST(GStuffRects, BigEnoughAndFixrect) {
    struct Case {
        TRect r;
        int w, h;
        bool big;
    };
    const Case cases[] = {
        {TRect(0, 0, 10, 20), 10, 20, true},  {TRect(0, 0, 9, 20), 10, 20, false},
        {TRect(0, 0, 10, 19), 10, 20, false}, {TRect(5, 5, 5, 5), 0, 0, true},
        {TRect(10, 10, 0, 0), 0, 0, false},   {TRect(10, 10, 0, 0), -10, -10, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GStuff::BigEnough(c.r, c.w, c.h), c.big) << c.r.Left << "," << c.r.Top << "," << c.r.Right
                                                           << "," << c.r.Bottom << " " << c.w << "x" << c.h;
    EXPECT_EQ(GStuff::Fixrect(TRect(10, 20, 30, 40), 1, -2, 3, -4), TRect(11, 18, 33, 36));
    EXPECT_EQ(GStuff::Fixrect(TRect(30, 40, 10, 20), 0, 0, 0, 0), TRect(30, 40, 10, 20));
}

// ---- Rotated fonts ----------------------------------------------------------------------------
TEST(GStuffRotateFont, TurnsTheTextKeepingHeightAndFace) {
    TFont font;
    font.SetName("Arial");
    font.SetHeight(-20);
    font.SetStyle(TFontStyles{fsBold, fsItalic, fsUnderline});
    GStuff::RotateFont(&font, 90);
    EXPECT_EQ(font.Orientation(), 900);
    EXPECT_EQ(font.Height(), -20);
    EXPECT_EQ(font.Name(), "Arial");
    EXPECT_TRUE(font.Style().Empty());
    EXPECT_EQ(font.Pitch(), fpVariable);

    // A word drawn in the turned font runs upwards: its ink is taller than wide.
    TBitmap bmp;
    TCanvas* cv = WhiteBitmap(bmp, 200, 200)->Canvas();
    cv->SetFont(&font);
    cv->Font()->SetColor(clBlack);
    cv->Brush()->SetStyle(bsClear);
    cv->TextOut(80, 180, "WWWWWW");
    int minX = 200, maxX = -1, minY = 200, maxY = -1;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 200; ++x)
            if (cv->Pixels(x, y) != clWhite) {
                minX = std::min(minX, x), maxX = std::max(maxX, x);
                minY = std::min(minY, y), maxY = std::max(maxY, y);
            }
    ASSERT_GE(maxX, 0);
    EXPECT_GT(maxY - minY, 2 * (maxX - minX));
}

// ---- Bitmaps on printers ----------------------------------------------------------------------
TEST(GStuffPrintBitmap, StretchesTheWholeBitmapIntoTheRectangle) {
    TBitmap src(2, 2);
    src.Canvas()->SetPixels(0, 0, clRed);
    src.Canvas()->SetPixels(1, 0, clLime);
    src.Canvas()->SetPixels(0, 1, clBlue);
    src.Canvas()->SetPixels(1, 1, clBlack);
    TBitmap page;
    TCanvas* cv = WhiteBitmap(page, 50, 50)->Canvas();
    PrintBitmap(cv, TRect(10, 10, 30, 30), &src);
    EXPECT_EQ(cv->Pixels(10, 10), clRed);
    EXPECT_EQ(cv->Pixels(19, 19), clRed);
    EXPECT_EQ(cv->Pixels(20, 10), clLime);
    EXPECT_EQ(cv->Pixels(29, 19), clLime);
    EXPECT_EQ(cv->Pixels(10, 29), clBlue);
    EXPECT_EQ(cv->Pixels(29, 29), clBlack);
    EXPECT_EQ(cv->Pixels(30, 30), clWhite);
    EXPECT_EQ(cv->Pixels(9, 9), clWhite);

    PrintBitmap(cv, TRect(0, 0, 50, 50), nullptr);
    TBitmap empty;
    PrintBitmap(cv, TRect(0, 0, 50, 50), &empty);
    PrintBitmap(nullptr, TRect(0, 0, 50, 50), &src);
    EXPECT_EQ(cv->Pixels(40, 40), clWhite);
}

TEST(GStuffPrintBitmap, ImageOfAnImageList) {
    TImageList images(nullptr, 4, 4);
    TBitmap strip(8, 4);
    strip.Canvas()->Brush()->SetColor(clRed);
    strip.Canvas()->FillRect(TRect(0, 0, 4, 4));
    strip.Canvas()->Brush()->SetColor(clBlue);
    strip.Canvas()->FillRect(TRect(4, 0, 8, 4));
    ASSERT_EQ(images.Add(&strip), 0);
    ASSERT_EQ(images.Count(), 2);

    TBitmap page;
    TCanvas* cv = WhiteBitmap(page, 40, 40)->Canvas();
    PrintBitmap_ImageList(cv, TRect(0, 0, 20, 20), &images, 1);
    EXPECT_EQ(cv->Pixels(0, 0), clBlue);
    EXPECT_EQ(cv->Pixels(19, 19), clBlue);
    EXPECT_EQ(cv->Pixels(20, 20), clWhite);
    for (int bad : {-1, 2, 1000})
        PrintBitmap_ImageList(cv, TRect(20, 20, 40, 40), &images, bad);
    PrintBitmap_ImageList(cv, TRect(20, 20, 40, 40), nullptr, 0);
    EXPECT_EQ(cv->Pixels(30, 30), clWhite);
}

// ---- Quick choice menu -------------------------------------------------------------------------
// Plays the user of the next popups: records what each menu offered and answers the item at
// an index (or dismisses with -1).
class QuickChoice : public ::testing::Test {
protected:
    void SetUp() override {
        fOld = SetPopupMenuTestHandler([this](TPopupMenu* m, TPoint at) -> TMenuItem* {
            ++fPopups;
            fAt = at;
            fCaptions.clear();
            fDefault = -1;
            for (int i = 0; i < m->Items()->Count(); ++i) {
                TMenuItem* item = m->Items()->Items(i);
                fCaptions.push_back(item->Caption());
                if (item->Default()) fDefault = i;
            }
            return fChoose < 0 ? nullptr : m->Items()->Items(fChoose);
        });
    }
    void TearDown() override { SetPopupMenuTestHandler(fOld); }

    TPopupMenuTestHandler fOld;
    int fChoose = -1;
    int fPopups = 0;
    int fDefault = -1;
    TPoint fAt;
    std::vector<String> fCaptions;
};

TEST_F(QuickChoice, AnswersTheIndexOfTheChosenString) {
    fChoose = 1;
    EXPECT_EQ(GStuff::UserOption(nullptr, 0, 0, {"Flytta", "Kopiera", "Länka"}, -1), 1);
    const std::vector<String> offered{"Flytta", "Kopiera", "Länka", "-", "Avbryt"};
    EXPECT_EQ(fCaptions, offered);
}

TEST_F(QuickChoice, DismissedOrAvbrytAnswersMinusOne) {
    fChoose = -1;
    EXPECT_EQ(GStuff::UserOption(nullptr, 0, 0, {"a", "b", "c"}, 0), -1);
    fChoose = 4; // "Avbryt"
    EXPECT_EQ(GStuff::UserOption(nullptr, 0, 0, {"a", "b", "c"}, 0), -1);
    fChoose = 3; // the separator cannot be chosen
    EXPECT_EQ(GStuff::UserOption(nullptr, 0, 0, {"a", "b", "c"}, 0), -1);
    EXPECT_EQ(fPopups, 3);
    // A choice made before does not leak into the next menu.
    fChoose = 2;
    EXPECT_EQ(GStuff::UserOption(nullptr, 0, 0, {"a", "b", "c"}, 0), 2);
    fChoose = -1;
    EXPECT_EQ(GStuff::UserOption(nullptr, 0, 0, {"a", "b", "c"}, 0), -1);
}

TEST_F(QuickChoice, MarksTheDefaultItemAndPopsUpAtTheControlsPoint) {
    TPanel panel(nullptr);
    panel.SetBounds(40, 30, 200, 100);
    xo::test::ShowForm(&panel);
    TStringList options;
    options.Add("ett");
    options.Add("två");
    fChoose = 0;
    EXPECT_EQ(GStuff::UserOptionStrings(&panel, 15, 25, &options, 1), 0);
    EXPECT_EQ(fDefault, 1);
    EXPECT_EQ(fAt, panel.ClientToScreen(TPoint(15, 25)));

    // A default index out of range marks nothing; no strings still offers "Avbryt".
    GStuff::UserOptionStrings(&panel, 0, 0, &options, 7);
    EXPECT_EQ(fDefault, -1);
    EXPECT_EQ(GStuff::UserOptionStrings(&panel, 0, 0, nullptr, 0), -1);
    EXPECT_EQ(fCaptions, (std::vector<String>{"-", "Avbryt"}));
}

TEST(QuickChoiceHeadless, WithoutAnyoneToAnswerTheMenuIsDismissed) {
    TPopupMenuTestHandler old = SetPopupMenuTestHandler(nullptr);
    EXPECT_EQ(GStuff::UserOption(nullptr, 10, 10, {"a", "b"}, 0), -1);
    SetPopupMenuTestHandler(old);
}

TEST(GStuffCreateMenuOptions, AppendsItemsWithTheHandlerAndAvbrytWithout) {
    TPopupMenu menu(nullptr);
    auto* existing = new TMenuItem(&menu);
    existing->SetCaption("Först");
    menu.Items()->Add(existing);
    TStringList options;
    options.Add("x");
    options.Add("y");
    std::vector<TObject*> clicked;
    GStuff::CreateMenuOptions(
        &menu, &options, [&](TObject* s) { clicked.push_back(s); }, 0, true);
    ASSERT_EQ(menu.Items()->Count(), 5);
    EXPECT_EQ(menu.Items()->Items(1)->Caption(), "x");
    EXPECT_TRUE(menu.Items()->Items(1)->Default());
    EXPECT_TRUE(menu.Items()->Items(3)->IsLine());
    EXPECT_EQ(menu.Items()->Items(4)->Caption(), "Avbryt");
    menu.Items()->Items(2)->Click();
    menu.Items()->Items(4)->Click();
    EXPECT_EQ(clicked, std::vector<TObject*>{menu.Items()->Items(2)});

    GStuff::CreateMenuOptions(&menu, &options, nullptr, -1, false);
    EXPECT_EQ(menu.Items()->Count(), 7);
    EXPECT_EQ(menu.Items()->Items(6)->Caption(), "y");
}

} // namespace
