// Painting of the date scaler through the real paint path: pixels probed where the geometry
// puts ticks, boxes, labels, buttons, the indicator and the focus rectangle, on screen and
// printed at twice the scale.
#include "scaler/xoScaler.h"

#include "platform/plDateUtils.h"
#include "platform/plForms.h"
#include "platform/plTestInput.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {
using xo::test::Pump;

const TDateTime kMon = EncodeDate(2014, 9, 22);
constexpr TColor kGrey = 0x808080;

class Painting : public ::testing::Test {
protected:
    void SetUp() override {
        form = std::make_unique<TForm>(nullptr);
        form->SetBounds(0, 0, 900, 700);
        s = new TxoDateScaler(form.get());
        s->SetParent(form.get());
        s->SetHorizontal(true);
        s->SetBounds(0, 0, 800, 45);
        xo::test::ShowForm(form.get());
        Window(kMon, ScaleWeekAndDay);
    }
    void TearDown() override { xo::test::ReleaseButtons(); }
    void Window(TDateTime a, double scale) {
        s->SetStart(a);
        s->SetScale(scale);
        Pump();
    }
    TColor At(int x, int y) const { return xo::test::ShownPixel(s, x, y); }
    TColor Back() const { return ColorToRGB(s->Color()); }
    const TScaleMark* Mark(const TScaleMarkList& list, TDateTime d) const {
        for (const auto& m : list)
            if (std::fabs(m->DateTime - d) < 1e-9) return m.get();
        return nullptr;
    }
    // Whether the rectangle holds a pixel darker than the background (ink of a text).
    bool Ink(int x1, int y1, int x2, int y2) const {
        for (int y = y1; y < y2; ++y)
            for (int x = x1; x < x2; ++x) {
                TColor c = At(x, y);
                if (GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 128) return true;
            }
        return false;
    }
    std::unique_ptr<TForm> form;
    TxoDateScaler* s = nullptr;
};
} // namespace

TEST_F(Painting, TicksAtThePixelsOfTheirMarks) {
    // Days are short marks (5 pixels), weeks long ones (15 pixels), drawn up from the bottom.
    const int wed = s->DateToPixel(kMon + 2);
    const int nextMon = s->DateToPixel(kMon + 7);
    ASSERT_TRUE(Mark(s->ShortScaleMarkDrawList(), kMon + 2));
    ASSERT_TRUE(Mark(s->LongScaleMarkDrawList(), kMon + 7));
    EXPECT_EQ(At(wed, 44), clBlack);
    EXPECT_EQ(At(wed, 41), clBlack);
    EXPECT_EQ(At(wed, 40), Back());
    EXPECT_EQ(At(wed + 1, 42), Back());
    EXPECT_EQ(At(nextMon, 31), clBlack);
    EXPECT_EQ(At(nextMon, 29), Back());
    // The pixel lists owners draw grid lines from.
    ASSERT_EQ(s->ShortLinePos().size(), s->ShortScaleMarkDrawList().size());
    for (size_t i = 0; i < s->ShortLinePos().size(); ++i)
        EXPECT_EQ(s->ShortLinePos()[i], int(Round(s->ShortScaleMarkDrawList()[i]->Pixel)));
    ASSERT_EQ(s->LongLinePos().size(), s->LongScaleMarkDrawList().size());
}

TEST_F(Painting, HiddenMarksHaveNoTick) {
    s->SetHiddenDays(TxoHiddenDays{thdSAT, thdSUN});
    Window(kMon, ScaleWeekAndDay);
    // Friday's tick, then Monday's one day later; nothing where Saturday would have been.
    const int fri = s->DateToPixel(kMon + 4);
    const int mon = s->DateToPixel(kMon + 7);
    EXPECT_NEAR(mon - fri, 1 / ScaleWeekAndDay, 1);
    EXPECT_EQ(At(fri, 42), clBlack);
    EXPECT_EQ(At(mon, 42), clBlack);
    for (int x = fri + 1; x < mon; ++x)
        EXPECT_NE(At(x, 43), clBlack) << x;
    // Hidden marks are listed for owners all the same.
    EXPECT_EQ(s->ShortLinePos().size(), s->ShortScaleMarkDrawList().size());
}

TEST_F(Painting, BoxesInsteadOfTicks) {
    s->SetLookAndFeel(tlfBoxed);
    Pump();
    const int wed = s->DateToPixel(kMon + 2);
    const int nextMon = s->DateToPixel(kMon + 7);
    EXPECT_EQ(At(300, 15), kGrey);
    EXPECT_EQ(At(300, 30), kGrey);
    EXPECT_EQ(At(wed, 40), kGrey); // short box line from the lower line to the bottom
    EXPECT_EQ(At(wed, 44), kGrey);
    EXPECT_EQ(At(nextMon, 20), kGrey); // long box line between the two lines
    EXPECT_NE(At(wed, 20), kGrey);
}

TEST_F(Painting, VerticalTicksAtTheRightEdge) {
    s->SetHorizontal(false);
    s->SetBounds(0, 0, 60, 600);
    Window(kMon, ScaleWeekAndDay);
    const int wed = s->DateToPixel(kMon + 2);
    EXPECT_EQ(At(58, wed), clBlack);
    EXPECT_EQ(At(56, wed), clBlack);
    EXPECT_EQ(At(54, wed), Back());
    const int nextMon = s->DateToPixel(kMon + 7);
    EXPECT_EQ(At(46, nextMon), clBlack);
    EXPECT_EQ(At(44, nextMon), Back());
}

TEST_F(Painting, LabelsThatWouldCrowdThePreviousOneAreDropped) {
    TBitmap probe(10, 10);
    probe.Canvas()->Font()->Assign(s->TextFont1());
    const int w = probe.Canvas()->TextWidth("abcd");
    s->SetOnUserStringShort([](TDateTime, TDateTime, String& text, TScalerFont&) { text = "abcd"; });
    s->SetOnUserStringLong([](TDateTime, TDateTime, String& text, TScalerFont&) { text = ""; });
    for (int room : {w + 7, w + 5}) {
        Window(kMon, 1.0 / room); // one day per `room` pixels
        ASSERT_EQ(s->SmallStep(), kScale1Day);
        for (int i = 0; i < 8; ++i) {
            int centre = i * room + room / 2;
            bool drawn = Ink(centre - w / 2 + 1, 31, centre + w / 2 - 1, 41);
            bool expected = room == w + 7 || i % 2 == 0;
            EXPECT_EQ(drawn, expected) << "room " << room << " label " << i;
        }
    }
}

TEST_F(Painting, ScrollButtons) {
    // The back button's base (its right side) is dark, the forward button's base light.
    EXPECT_EQ(At(20, 10), kGrey);
    EXPECT_EQ(At(781, 10), clWhite);
    EXPECT_EQ(s->UpButtonRect(), TRect(1, 1, 20, 20));
    EXPECT_EQ(s->DownButtonRect(), TRect(781, 1, 800, 20));
    // Held, the colours change places.
    xo::test::MouseDown(s, mbLeft, 10, 10);
    Pump();
    EXPECT_EQ(At(20, 10), clWhite);
    xo::test::MouseUp(s, mbLeft, 10, 10);
    Pump();
    EXPECT_EQ(At(20, 10), kGrey);
    s->SetScrollButtons(tsbSmall);
    Pump();
    EXPECT_EQ(At(12, 6), kGrey);
    EXPECT_EQ(s->UpButtonRect(), TRect(1, 1, 12, 12));
    s->SetScrollButtons(tsbOff);
    Pump();
    EXPECT_EQ(At(12, 6), Back());
    EXPECT_EQ(s->UpButtonRect(), TRect(-1, -1, -1, -1));
    EXPECT_EQ(s->DownButtonRect(), TRect(-1, -1, -1, -1));
}

TEST_F(Painting, VerticalScrollButtons) {
    s->SetHorizontal(false);
    s->SetBounds(0, 0, 60, 600);
    Pump();
    EXPECT_EQ(s->UpButtonRect(), TRect(1, 1, 20, 20));
    EXPECT_EQ(s->DownButtonRect(), TRect(1, 580, 20, 600));
    EXPECT_EQ(At(10, 20), kGrey);    // the up button's base
    EXPECT_EQ(At(10, 580), clWhite); // the down button's base
}

TEST_F(Painting, NormalIndicatorShowsTheWindowWithinItsMonths) {
    // Monday 2014-09-22 for 800 px of 0.01 days (8 days): the window within September and
    // October, from 21/30 to 29/30 of the line.
    Window(kMon, 0.01);
    String shown;
    s->SetOnInfoStringEvent([&](String& text, TScalerFont&) {
        shown = text;
        text = "";
    });
    s->Invalidate();
    Pump();
    EXPECT_EQ(shown, "2014 " + FormatDateTime("mmm", kMon) + "-" + FormatDateTime("mmm", kMon + 10));
    // Without text the line runs from 43 over 724 pixels; green from 550 to 743.
    EXPECT_EQ(At(549, 5), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(At(550, 5), clGreen);
    EXPECT_EQ(At(743, 5), clGreen);
    EXPECT_EQ(At(744, 5), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(At(600, 6), ColorToRGB(clBtnShadow));
    s->SetIndicatorOn(false);
    s->Invalidate();
    Pump();
    EXPECT_EQ(At(600, 5), Back());
}

TEST_F(Painting, ColourfulIndicatorBarsAroundTheMiddle) {
    // 2 days of window: the day bar is capped at 100, the week bar 29 and the month bar 7 long
    // on each side, the year bar 1; the last drawn covers the others.
    s->SetIndicatorStyle(isColorfull);
    Window(kMon, 2.0 / 800);
    EXPECT_EQ(At(400 - 100, 7), clBlack); // frame of the 100-pixel extent
    EXPECT_EQ(At(400 - 50, 7), clGreen);  // only the day bar reaches here
    EXPECT_EQ(At(400 - 20, 7), clYellow); // week bar
    EXPECT_EQ(At(400 - 5, 7), clRed);     // month bar
    EXPECT_EQ(At(400, 7), clBlue);        // year bar
}

TEST_F(Painting, FocusRectangleWhenFocused) {
    auto changed = [&] {
        int n = 0;
        for (int x = 100; x < 140; ++x)
            if (At(x, 0) != Back()) ++n;
        return n;
    };
    EXPECT_EQ(changed(), 0);
    s->SetFocus();
    Pump();
    EXPECT_TRUE(s->Focused());
    EXPECT_GE(changed(), 10);
}

TEST_F(Painting, UserDrawHooksComeBeforeTheLabelsAndAfterEverythingElse) {
    TRect given;
    TxoDateScaler* caller = nullptr;
    s->SetOnUserDrawBackground([&](TxoDateScaler* c, TCanvas* canvas, const TRect& r) {
        caller = c;
        given = r;
        canvas->Brush()->SetColor(clYellow);
        canvas->FillRect(r);
    });
    s->SetOnUserDrawForeground([&](TxoDateScaler*, TCanvas* canvas, const TRect&) {
        canvas->Brush()->SetColor(clBlue);
        canvas->FillRect(TRect(600, 4, 610, 8));
    });
    s->Invalidate();
    Pump();
    EXPECT_EQ(caller, s);
    EXPECT_EQ(given, TRect(0, 0, 800, 45));
    const int wed = s->DateToPixel(kMon + 2);
    EXPECT_EQ(At(wed, 43), clYellow); // the tick is under the background
    const int thu = s->DateToPixel(kMon + 3);
    EXPECT_TRUE(Ink(wed + 2, 31, thu - 1, 42)); // Wednesday's label is on top of it
    EXPECT_EQ(At(20, 10), kGrey);               // so are the buttons
    EXPECT_EQ(At(605, 5), clBlue);              // the foreground covers the indicator
}

TEST_F(Painting, PrintAtTwiceTheScale) {
    const int wedScreen = s->DateToPixel(kMon + 2);
    const double wedPixel = Mark(s->ShortScaleMarkDrawList(), kMon + 2)->Pixel;
    const double monPixel = Mark(s->LongScaleMarkDrawList(), kMon + 7)->Pixel;
    TBitmap page(1700, 100);
    page.Canvas()->Brush()->SetColor(clWhite);
    page.Canvas()->FillRect(TRect(0, 0, 1700, 100));
    s->Print(page.Canvas()->Handle(), 0, 0, 2, 2, true);
    const int wed = int(Round(2 * wedPixel));
    const int mon = int(Round(2 * monPixel));
    EXPECT_EQ(page.Canvas()->Pixels(wed, 88), clBlack);
    EXPECT_EQ(page.Canvas()->Pixels(wed, 84), clWhite);
    EXPECT_EQ(page.Canvas()->Pixels(mon, 80), clBlack);
    EXPECT_EQ(page.Canvas()->Pixels(20, 10), clWhite); // no scroll buttons on paper
    // Everything is as it was for the screen afterwards.
    EXPECT_EQ(s->Width(), 800);
    EXPECT_EQ(s->Height(), 45);
    EXPECT_FALSE(s->IsPrinting());
    EXPECT_EQ(s->DateToPixel(kMon + 2), wedScreen);
    EXPECT_NEAR(Mark(s->ShortScaleMarkDrawList(), kMon + 2)->Pixel, wedPixel, 1e-9);
    Pump();
    EXPECT_EQ(At(wedScreen, 42), clBlack);
}

TEST_F(Painting, PrintedLabelsUseTheScaledRows) {
    s->SetOnUserStringShort([](TDateTime, TDateTime, String& text, TScalerFont&) { text = "abcd"; });
    s->SetOnUserStringLong([](TDateTime, TDateTime, String& text, TScalerFont&) { text = ""; });
    s->CalcDrawMode();
    TBitmap page(1700, 100);
    page.Canvas()->Brush()->SetColor(clWhite);
    page.Canvas()->FillRect(TRect(0, 0, 1700, 100));
    s->Print(page.Canvas()->Handle(), 0, 0, 2, 2, true);
    // The short row starts at 2 x 30: no ink above it between two ticks, ink below.
    const int x1 = int(Round(2 * Mark(s->ShortScaleMarkDrawList(), kMon + 2)->Pixel));
    const int x2 = int(Round(2 * Mark(s->ShortScaleMarkDrawList(), kMon + 3)->Pixel));
    auto ink = [&](int y1, int y2) {
        for (int y = y1; y < y2; ++y)
            for (int x = x1 + 2; x < x2 - 1; ++x)
                if (page.Canvas()->Pixels(x, y) != clWhite) return true;
        return false;
    };
    EXPECT_FALSE(ink(30, 60));
    EXPECT_TRUE(ink(60, 85));
}
