// The hint window: a tool-tip window of its own, placed in screen coordinates, that shows
// its caption and never takes the focus.
#include "platform/plForms.h"
#include "platform/plHintWindow.h"
#include "platform/plTestInput.h"

#include <gtest/gtest.h>

namespace {

using namespace xo::test;

bool OnScreen(TWinControl* c) {
    return c->HandleAllocated() && IsWindowVisible(c->Handle());
}

// The rows of a picture that hold something else than the background colour, the outer
// aInset pixels left out.
std::vector<int> InkRows(TBitmap& bmp, TColor background, int aInset = 0) {
    std::vector<int> rows;
    for (int y = aInset; y < bmp.Height() - aInset; ++y)
        for (int x = aInset; x < bmp.Width() - aInset; ++x)
            if (bmp.Canvas()->Pixels(x, y) != background) {
                rows.push_back(y);
                break;
            }
    return rows;
}

TEST(HintWindow, CreatedHiddenOnTheInfoColour) {
    THintWindow hint(nullptr);
    EXPECT_FALSE(hint.Visible());
    EXPECT_EQ(hint.Color(), clInfoBk);
    EXPECT_EQ(hint.Font()->Color(), clInfoText);
    EXPECT_FALSE(hint.HandleAllocated());
}

TEST(HintWindow, ActivateHintShowsAtTheScreenRectangleWithoutTakingTheFocus) {
    TForm form(nullptr);
    form.SetBounds(50, 60, 300, 200);
    auto* panel = new TPanel(&form);
    panel->SetParent(&form);
    panel->SetBounds(20, 30, 200, 100);
    panel->SetTabStop(true);
    ShowForm(&form);
    panel->SetFocus();
    Pump();
    ASSERT_TRUE(panel->Focused());

    // A child of the panel, and still a window of its own placed on the screen.
    auto* hint = new THintWindow(panel);
    hint->SetParent(panel);
    hint->ActivateHint(TRect(400, 350, 520, 380), "Hej");
    Pump();
    EXPECT_TRUE(hint->Visible());
    EXPECT_TRUE(OnScreen(hint));
    EXPECT_EQ(hint->BoundsRect(), TRect(400, 350, 520, 380));
    EXPECT_EQ(hint->ClientOrigin(), TPoint(401, 351)); // inside its one-pixel frame
    EXPECT_EQ(hint->Caption(), "Hej");
    EXPECT_TRUE(panel->Focused());
    EXPECT_EQ(Screen()->ActiveForm(), &form);

    hint->ReleaseHandle();
    Pump();
    EXPECT_FALSE(hint->Visible());
    EXPECT_FALSE(hint->HandleAllocated());
    // Shown again with a new window.
    hint->ActivateHint(TRect(10, 10, 60, 30), "Igen");
    Pump();
    EXPECT_TRUE(OnScreen(hint));
}

TEST(HintWindow, WithoutAParentItShowsToo) {
    THintWindow hint(nullptr);
    hint.ActivateHint(TRect(30, 40, 130, 70), "Fri");
    Pump();
    EXPECT_TRUE(OnScreen(&hint));
    EXPECT_EQ(hint.ClientOrigin(), TPoint(31, 41));
    hint.Hide();
    Pump();
    EXPECT_FALSE(OnScreen(&hint));
}

TEST(HintWindow, PaintsItsLinesOnTheInfoColourInsideAFrame) {
    THintWindow hint(nullptr);
    hint.Font()->SetColor(clBlack);
    hint.ActivateHint(TRect(0, 0, 120, 60), "Start\rStopp\r\nLängd");
    Pump();
    TBitmap shot;
    Render(&hint, &shot);
    ASSERT_EQ(shot.Width(), 120);
    ASSERT_EQ(shot.Height(), 60);
    const TColor info = ColorToRGB(clInfoBk), frame = ColorToRGB(clWindowFrame);
    EXPECT_EQ(shot.Canvas()->Pixels(0, 0), frame);
    EXPECT_EQ(shot.Canvas()->Pixels(119, 59), frame);
    EXPECT_EQ(shot.Canvas()->Pixels(60, 0), frame);
    EXPECT_EQ(shot.Canvas()->Pixels(1, 1), info);
    EXPECT_EQ(shot.Canvas()->Pixels(118, 58), info);

    // Three lines of text, one below the other, starting 2 pixels into the client area.
    TBitmap inner(118, 58);
    inner.Canvas()->CopyRect(TRect(0, 0, 118, 58), shot.Canvas(), TRect(1, 1, 119, 59));
    std::vector<int> rows = InkRows(inner, info);
    ASSERT_FALSE(rows.empty());
    EXPECT_GE(rows.front(), 2);
    TBitmap probe(1, 1);
    probe.Canvas()->SetFont(hint.Font());
    int lineHeight = probe.Canvas()->TextHeight("Ag");
    EXPECT_GT(rows.back(), 2 + 2 * lineHeight);
    EXPECT_LT(rows.back(), 2 + 3 * lineHeight);
    // Columns left of the text's start stay empty.
    for (int y = 0; y < 58; ++y)
        ASSERT_EQ(inner.Canvas()->Pixels(0, y), info) << y;
    for (int y = 0; y < 58; ++y)
        ASSERT_EQ(inner.Canvas()->Pixels(1, y), info) << y;
}

TEST(HintWindow, ANewCaptionRepaints) {
    THintWindow hint(nullptr);
    hint.ActivateHint(TRect(0, 0, 80, 24), "");
    Pump();
    TBitmap before;
    Render(&hint, &before);
    EXPECT_TRUE(InkRows(before, ColorToRGB(clInfoBk), 1).empty()); // inside the frame
    hint.SetCaption("Text");
    Pump();
    TBitmap after;
    Render(&hint, &after);
    EXPECT_FALSE(InkRows(after, ColorToRGB(clInfoBk), 1).empty());
}

TEST(HintWindow, CalcHintRectFitsTheLines) {
    THintWindow hint(nullptr);
    TBitmap probe(1, 1);
    probe.Canvas()->SetFont(hint.Font());
    int h = probe.Canvas()->TextHeight("Ag");
    int w = probe.Canvas()->TextWidth("Stopp 12:00");

    TRect one = hint.CalcHintRect(300, "Stopp 12:00");
    EXPECT_EQ(one.Left, 0);
    EXPECT_EQ(one.Top, 0);
    EXPECT_EQ(one.Right, w + 6);
    EXPECT_EQ(one.Bottom, h + 2);
    EXPECT_EQ(hint.CalcHintRect(300, "a\rb\rc").Bottom, 3 * h + 2);
    EXPECT_EQ(hint.CalcHintRect(300, "a\nb").Bottom, 2 * h + 2);
    // Words wrap at the width asked for.
    EXPECT_EQ(hint.CalcHintRect(w - 1, "Stopp 12:00").Bottom, 2 * h + 2);
    EXPECT_FALSE(hint.HandleAllocated());
}

TEST(HintWindow, FreedWhileShown) {
    auto* hint = new THintWindow(nullptr);
    hint->ActivateHint(TRect(0, 0, 50, 20), "x");
    Pump();
    delete hint;
    Pump();
}

} // namespace
