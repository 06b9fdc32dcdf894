// Interaction with the date scaler through real mouse input and real timers: zoom and pan
// drags, the scroll buttons, owner stepping and the animations.
#include "scaler/xoScaler.h"

#include "platform/plDateUtils.h"
#include "platform/plForms.h"
#include "platform/plTestInput.h"
#include "platform/plThreads.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {
using xo::test::MouseDown;
using xo::test::MouseMove;
using xo::test::MouseUp;
using xo::test::Pump;

const TDateTime kMon = EncodeDate(2014, 9, 22);
constexpr double kScale = 0.01;             // days per pixel
constexpr double kButtonStep = 15 * kScale; // what one tick of a scroll button moves

class Interaction : public ::testing::Test {
protected:
    void SetUp() override {
        form = std::make_unique<TForm>(nullptr);
        form->SetBounds(0, 0, 900, 100);
        s = new TxoDateScaler(form.get());
        s->SetParent(form.get());
        s->SetHorizontal(true);
        s->SetBounds(0, 0, 800, 45);
        xo::test::ShowForm(form.get());
        s->SetOnChange([this](TObject*) { ++changes; });
        Window(kMon, kScale);
        s->SetOnAnimateChange([this](TObject* Sender) {
            EXPECT_EQ(Sender, s);
            animated.push_back(s->Start());
        });
        Pump();
        changes = 0;
    }
    void TearDown() override { xo::test::ReleaseButtons(); }
    void Window(TDateTime a, double scale) {
        s->SetStart(a);
        s->SetScale(scale);
        Pump();
    }
    // Ticks of kButtonStep between two starts (a whole number when the buttons moved it).
    static double Ticks(TDateTime from, TDateTime to) { return (to - from) / kButtonStep; }

    std::unique_ptr<TForm> form;
    TxoDateScaler* s = nullptr;
    int changes = 0;
    std::vector<TDateTime> animated;
};
} // namespace

TEST_F(Interaction, ZoomDragKeepsThePressedDateWhereItWasPressed) {
    // Pressing at 100 picks Tuesday 00:00 (already a day boundary, the short step).
    MouseDown(s, mbLeft, 100, 30);
    MouseMove(s, 150, 30);
    Pump();
    EXPECT_NEAR(s->GetScale(), 0.015, 1e-12);
    EXPECT_EQ(s->DateToPixel(kMon + 1), 100);
    EXPECT_TRUE(s->ReScaling());
    MouseMove(s, 50, 30);
    Pump();
    EXPECT_NEAR(s->GetScale(), 0.005, 1e-12);
    EXPECT_EQ(s->DateToPixel(kMon + 1), 100);
    EXPECT_EQ(changes, 0); // held back while the drag zooms
    MouseUp(s, mbLeft, 50, 30);
    Pump();
    EXPECT_EQ(changes, 1);
    EXPECT_FALSE(s->ReScaling());
    EXPECT_FALSE(s->Down());
}

TEST_F(Interaction, PressedDateIsSnappedToTheShortStep) {
    // Pressing at 130 is Tuesday 07:12; the day step snaps it to Tuesday 00:00.
    MouseDown(s, mbLeft, 130, 30);
    MouseMove(s, 230, 30);
    Pump();
    EXPECT_NEAR(s->GetScale(), 0.02, 1e-12);
    EXPECT_EQ(s->DateToPixel(kMon + 1), 130);
    MouseUp(s, mbLeft, 230, 30);
}

TEST_F(Interaction, CtrlDragPans) {
    MouseDown(s, mbLeft, 100, 30, {ssCtrl});
    MouseMove(s, 150, 30, {ssCtrl});
    Pump();
    EXPECT_NEAR(s->Start(), kMon - 50 * kScale, 1e-9); // the window follows the pointer
    EXPECT_NEAR(s->Stop() - s->Start(), 8, 1e-9);
    MouseMove(s, 130, 30, {ssCtrl}); // measured from the last step
    Pump();
    EXPECT_NEAR(s->Start(), kMon - 30 * kScale, 1e-9);
    EXPECT_FALSE(s->ReScaling());
    MouseUp(s, mbLeft, 130, 30, {ssCtrl});
    Pump();
    EXPECT_NEAR(s->GetScale(), kScale, 1e-12);
    EXPECT_GE(changes, 1);
}

TEST_F(Interaction, RescaleWithCtrlSwapsTheDrags) {
    s->SetRescaleWithCtrl(true);
    MouseDown(s, mbLeft, 100, 30);
    MouseMove(s, 150, 30);
    Pump();
    EXPECT_NEAR(s->Start(), kMon - 50 * kScale, 1e-9);
    EXPECT_NEAR(s->GetScale(), kScale, 1e-12);
    MouseUp(s, mbLeft, 150, 30);
    MouseDown(s, mbLeft, 100, 30, {ssCtrl});
    MouseMove(s, 150, 30, {ssCtrl});
    Pump();
    EXPECT_NEAR(s->GetScale(), 0.015, 1e-12);
    MouseUp(s, mbLeft, 150, 30, {ssCtrl});
}

TEST_F(Interaction, PanAcrossHiddenTimeFollowsThePointer) {
    s->SetHiddenDays(TxoHiddenDays{thdSAT, thdSUN});
    const TDateTime nextMon = kMon + 7;
    Window(nextMon, kScale);
    const TDateTime tue = nextMon + 1;
    ASSERT_EQ(s->DateToPixel(tue), 100);
    // 50 pixels to the right: half a visible day earlier, Friday noon, across the weekend.
    MouseDown(s, mbLeft, 200, 30, {ssCtrl});
    MouseMove(s, 250, 30, {ssCtrl});
    Pump();
    EXPECT_EQ(s->DateToPixel(tue), 150);
    EXPECT_NEAR(s->Start(), kMon + 4.5, 1e-9);
    MouseMove(s, 150, 30, {ssCtrl});
    Pump();
    EXPECT_EQ(s->DateToPixel(tue), 50);
    MouseUp(s, mbLeft, 150, 30, {ssCtrl});
}

TEST_F(Interaction, PanStopsTenPixelsShortOfTheLimit) {
    s->SetMinStart(kMon);
    MouseDown(s, mbLeft, 100, 30, {ssCtrl});
    MouseMove(s, 800, 30, {ssCtrl});
    Pump();
    // Half an axis is 400 pixels; the window stops 390 pixels' time before MinStart.
    EXPECT_NEAR(s->Start(), kMon - 390 * kScale, 1e-9);
    EXPECT_NEAR(s->Stop() - s->Start(), 8, 1e-9);
    MouseUp(s, mbLeft, 800, 30, {ssCtrl});
}

TEST_F(Interaction, HeldScrollButtonStepsEveryFiftyMillisecondsUntilReleased) {
    MouseDown(s, mbLeft, 10, 10); // the back button
    EXPECT_TRUE(s->StepTimerEnabled());
    Pump(260);
    MouseUp(s, mbLeft, 10, 10);
    const double ticks = Ticks(s->Start(), kMon);
    EXPECT_NEAR(ticks, std::round(ticks), 1e-6);
    EXPECT_GE(ticks, 2); // about five ticks in 260 ms; timers may be late on a busy machine
    EXPECT_LE(ticks, 7);
    EXPECT_NEAR(s->Stop() - s->Start(), 8, 1e-9);
    EXPECT_FALSE(s->StepTimerEnabled());
    const TDateTime released = s->Start();
    Pump(150);
    EXPECT_EQ(s->Start(), released);
    // The forward button moves the other way.
    MouseDown(s, mbLeft, 790, 10);
    Pump(120);
    MouseUp(s, mbLeft, 790, 10);
    EXPECT_GT(s->Start(), released);
    EXPECT_NEAR(Ticks(released, s->Start()), std::round(Ticks(released, s->Start())), 1e-6);
}

TEST_F(Interaction, LeavingTheButtonStopsTheStepping) {
    MouseDown(s, mbLeft, 10, 10);
    Pump(120);
    MouseMove(s, 300, 30); // still held, off the button
    Pump(150);
    EXPECT_FALSE(s->StepTimerEnabled());
    const TDateTime left = s->Start();
    EXPECT_LT(left, kMon);
    Pump(150);
    EXPECT_EQ(s->Start(), left);
    MouseUp(s, mbLeft, 300, 30);
    EXPECT_EQ(s->Start(), left);
}

TEST_F(Interaction, HeldLongerThanTwoSecondsTheStepTriples) {
    MouseDown(s, mbLeft, 10, 10);
    const int64_t t0 = QueryPerformanceCounter();
    const double perMs = double(QueryPerformanceFrequency()) / 1000;
    TDateTime last = s->Start();
    std::vector<double> early, late;
    for (;;) {
        Pump(5);
        double ms = double(QueryPerformanceCounter() - t0) / perMs;
        double step = Ticks(s->Start(), last);
        last = s->Start();
        if (step == 0) continue;
        if (ms < 1800) early.push_back(step);
        if (ms > 2200) late.push_back(step);
        if (ms > 2450) break;
    }
    MouseUp(s, mbLeft, 10, 10);
    ASSERT_FALSE(early.empty());
    ASSERT_FALSE(late.empty());
    // Under a busy machine a sample may hold several ticks; a single tick is 15 pixels at first.
    bool singleTick = false;
    for (double t : early) {
        EXPECT_NEAR(t, std::round(t), 1e-6);
        if (std::fabs(t - 1) < 1e-6) singleTick = true;
    }
    EXPECT_TRUE(singleTick);
    for (double t : late)
        EXPECT_NEAR(std::fmod(t + 1e-6, 3), 0, 1e-5) << t;
}

TEST_F(Interaction, ButtonsOffNeverStep) {
    s->SetScrollButtons(tsbOff);
    Pump();
    MouseDown(s, mbLeft, 10, 10);
    EXPECT_FALSE(s->StepTimerEnabled());
    Pump(120);
    MouseUp(s, mbLeft, 10, 10);
    EXPECT_EQ(s->Start(), kMon);
}

TEST_F(Interaction, OwnerSteppingEveryHundredFiftyMilliseconds) {
    s->StartStepUp();
    Pump(470);
    const double up = Ticks(kMon, s->Start());
    EXPECT_NEAR(up, std::round(up), 1e-6);
    EXPECT_GE(up, 1); // three ticks in 470 ms, fewer on a busy machine
    EXPECT_LE(up, 4);
    s->StopStep();
    EXPECT_FALSE(s->StepTimerEnabled());
    const TDateTime stopped = s->Start();
    Pump(200);
    EXPECT_EQ(s->Start(), stopped);
    s->StartStepDown();
    Pump(320);
    s->StopStep();
    EXPECT_LT(s->Start(), stopped);
    EXPECT_NEAR(s->Stop() - s->Start(), 8, 1e-9);
}

TEST_F(Interaction, ZoomInAndOutAlongTheLadder) {
    Window(kMon, ScaleDayAndHour);
    const TDateTime centre = s->PixelToDate(400);
    s->ZoomIn(400);
    EXPECT_NEAR(s->GetScale(), ScaleHourAnd10Minute, 1e-12);
    EXPECT_NEAR(s->PixelToDate(400), centre, s->GetScale());
    EXPECT_GE(animated.size(), 10u);
    EXPECT_LE(animated.size(), 20u);
    animated.clear();
    s->ZoomOut(400);
    EXPECT_NEAR(s->GetScale(), ScaleDayAndHour, 1e-12);
    EXPECT_FALSE(animated.empty());
    Pump();
    EXPECT_GE(changes, 1);
}

TEST_F(Interaction, NoZoomBeyondTheEndsOfTheLadder) {
    Window(kMon, Scale10SecAndSec);
    const TDateTime a = s->Start(), b = s->Stop();
    s->ZoomIn(400);
    EXPECT_EQ(s->Start(), a);
    EXPECT_EQ(s->Stop(), b);
    s->AnimateScaleTransition(0.0, 20);
    s->AnimateScaleTransition(0.01, 0);
    EXPECT_EQ(s->Stop(), b);
    EXPECT_TRUE(animated.empty());
}

TEST_F(Interaction, AnimatedMoveEndsExactlyAtTheRequestedWindow) {
    s->AnimateScaleTransition(kMon + 3, kMon + 7, 10);
    EXPECT_EQ(s->Start(), kMon + 3);
    EXPECT_EQ(s->Stop(), kMon + 7);
    ASSERT_EQ(animated.size(), 10u);
    EXPECT_NEAR(animated[0], kMon + 0.3, 1e-9);
}

TEST_F(Interaction, ShortMovesTakeFewerLongerSteps) {
    const TDateTime a = s->Start(), b = s->Stop();
    s->AnimateScaleTransition(a + 2 * kMinute, b + 2 * kMinute, 20);
    EXPECT_EQ(s->Start(), a + 2 * kMinute);
    EXPECT_EQ(s->Stop(), b + 2 * kMinute);
    ASSERT_FALSE(animated.empty());
    EXPECT_LE(animated.size(), 2u);
    EXPECT_GE(animated[0] - a, kMinute - 1e-9);
}

TEST_F(Interaction, AnimatedMoveStopsAtTheLimits) {
    s->SetMaxStop(kMon + 10);
    s->AnimateScaleTransition(kMon + 100, kMon + 108, 5);
    EXPECT_EQ(s->Start(), kMon);
    EXPECT_TRUE(animated.empty());
}
