// The delayed hint window: its timers on the real event loop, its positions, the form it
// waits for, and the withdrawal of its deferred calls.
#include "foundation/xoDoLater.h"
#include "foundation/xoGraphStuff.h"
#include "platform/plForms.h"
#include "platform/plMessages.h"
#include "platform/plTestInput.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>

namespace {

using namespace xo::test;
using Clock = std::chrono::steady_clock;

bool OnScreen(TWinControl* c) {
    return c->HandleAllocated() && c->Visible() && IsWindowVisible(c->Handle());
}

long long MsSince(Clock::time_point t0) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t0).count();
}

// Runs the event loop until aDone or aTimeoutMs; answers aDone().
bool PumpUntil(const std::function<bool()>& aDone, int aTimeoutMs) {
    Clock::time_point t0 = Clock::now();
    while (!aDone() && MsSince(t0) < aTimeoutMs)
        Pump(2);
    return aDone();
}

// Takes a control out of its parent when the test ends (before the parent goes).
struct Unparent {
    TControl* c;
    ~Unparent() { c->SetParent(nullptr); }
};

struct TThing : TObject {
    explicit TThing(String aName) : name(std::move(aName)) {}
    String name;
};

// A panel with a hint window that asks for texts as the Gantt chart does.
class GraphHint : public ::testing::Test {
protected:
    void SetUp() override {
        fOwner = new TPanel(nullptr);
        fOwner->SetBounds(0, 0, 300, 80);
        fHint = new TGraphHintWindow(fOwner);
        fHint->SetOnUpdateTextEvent([this](TGraphHintWindow* w, TObject* o) {
            ++fTextRequests;
            EXPECT_EQ(w, fHint);
            w->SetCaption(static_cast<TThing*>(o)->name);
        });
    }
    void TearDown() override {
        delete fOwner; // frees the hint window with it
        Pump();
    }

    TPanel* fOwner = nullptr;
    TGraphHintWindow* fHint = nullptr;
    int fTextRequests = 0;
    TThing fA{"A"}, fB{"B"};
};

TEST_F(GraphHint, CreatedHiddenWithTheDefaultDelays) {
    EXPECT_FALSE(fHint->Visible());
    EXPECT_EQ(fHint->Width(), 120);
    EXPECT_EQ(fHint->Height(), 30);
    EXPECT_EQ(fHint->Parent(), fOwner);
    EXPECT_EQ(fHint->Owner(), fOwner);
    EXPECT_EQ(fHint->Color(), clInfoBk);
    EXPECT_FALSE(fHint->StaticPos());
    EXPECT_TRUE(fHint->ShowBelowOwner());
    EXPECT_EQ(fHint->ShowTimer()->Interval(), 1000u);
    EXPECT_EQ(fHint->HideTimer()->Interval(), 5000u);
    EXPECT_FALSE(fHint->ShowTimer()->Enabled());
    EXPECT_FALSE(fHint->HideTimer()->Enabled());
}

TEST(GraphHintOwner, MustBeAWindowedControl) {
    EXPECT_THROW(TGraphHintWindow(nullptr), Exception);
    TGraphicControl windowless(nullptr);
    EXPECT_THROW(TGraphHintWindow{&windowless}, Exception);
    TComponent plain(nullptr);
    EXPECT_THROW(TGraphHintWindow{&plain}, Exception);
}

TEST_F(GraphHint, ShowsOnceASecondAfterTheFirstCallAndHidesAfterFiveSeconds) {
    Clock::time_point t0 = Clock::now();
    fHint->ShowSlowHintFor(&fA, 10, 5);
    EXPECT_EQ(fTextRequests, 1);
    EXPECT_EQ(fHint->Caption(), "A");
    EXPECT_EQ(fHint->HintObject(), &fA);
    EXPECT_TRUE(fHint->ShowTimer()->Enabled());

    // Moving over the same object half-way through only moves the pending hint.
    Pump(500);
    EXPECT_FALSE(OnScreen(fHint));
    fHint->ShowSlowHintFor(&fA, 40, 5);
    EXPECT_EQ(fTextRequests, 1);
    EXPECT_EQ(fHint->Left(), fOwner->ClientOrigin().X + 40);

    ASSERT_TRUE(PumpUntil([&] { return OnScreen(fHint); }, 3000));
    long long shownAfter = MsSince(t0);
    EXPECT_GE(shownAfter, 950);  // the timer's coarse accuracy allows a few per cent early
    EXPECT_LT(shownAfter, 1450); // not restarted by the second call at 500 ms
    EXPECT_FALSE(fHint->ShowTimer()->Enabled());
    EXPECT_TRUE(fHint->HideTimer()->Enabled());
    EXPECT_EQ(fHint->HideTimer()->Interval(), 5000u);

    // The hiding half of the cycle on a shorter delay (a new interval restarts the timer).
    fHint->HideTimer()->SetInterval(300);
    Clock::time_point t1 = Clock::now();
    ASSERT_TRUE(PumpUntil([&] { return !fHint->HandleAllocated(); }, 3000));
    EXPECT_GE(MsSince(t1), 280);
    EXPECT_FALSE(fHint->Visible());
    EXPECT_FALSE(fHint->ShowTimer()->Enabled());
    EXPECT_FALSE(fHint->HideTimer()->Enabled());

    // The same object does not show again.
    fHint->ShowSlowHintFor(&fA, 10, 5);
    Pump(400);
    EXPECT_FALSE(fHint->ShowTimer()->Enabled());
    EXPECT_FALSE(fHint->HandleAllocated());
}

TEST_F(GraphHint, ANewObjectRestartsTheDelay) {
    fHint->ShowTimer()->SetInterval(300);
    Clock::time_point t0 = Clock::now();
    fHint->ShowSlowHintFor(&fA, 10, 5);
    Pump(200);
    fHint->ShowSlowHintFor(&fB, 10, 5);
    EXPECT_EQ(fTextRequests, 2);
    EXPECT_EQ(fHint->Caption(), "B");
    ASSERT_TRUE(PumpUntil([&] { return OnScreen(fHint); }, 3000));
    EXPECT_GE(MsSince(t0), 200 + 280);
}

TEST_F(GraphHint, NothingUnderTheMouseTakesTheHintAway) {
    fHint->ShowSlowHintFor(&fA, 10, 5);
    fHint->ShowDirect(10, 5);
    Pump();
    ASSERT_TRUE(OnScreen(fHint));
    fHint->ShowSlowHintFor(nullptr, 10, 5);
    Pump();
    EXPECT_FALSE(fHint->HandleAllocated());
    EXPECT_EQ(fHint->HintObject(), nullptr);

    // A hint still waiting for its delay does not show once the mouse has left the object.
    fHint->ShowTimer()->SetInterval(100);
    fHint->ShowSlowHintFor(&fB, 10, 5);
    fHint->ShowSlowHintFor(nullptr, 10, 5);
    Pump(400);
    EXPECT_FALSE(fHint->HandleAllocated());
    EXPECT_FALSE(fHint->ShowTimer()->Enabled());
}

TEST_F(GraphHint, PositionsBelowTheOwnerAtTheMouseOrAtAFixedPlace) {
    TForm form(nullptr);
    form.SetBounds(100, 80, 400, 300);
    fOwner->SetParent(&form);
    Unparent keep{fOwner};
    fOwner->SetBounds(20, 30, 300, 80);
    ShowForm(&form);
    TPoint o = fOwner->ClientOrigin();

    fHint->SetPos(15, 7);
    EXPECT_EQ(fHint->BoundsRect(), TRect(o.X + 15, o.Y + 80 + 4, o.X + 15 + 120, o.Y + 84 + 30));
    fHint->SetShowBelowOwner(false);
    fHint->SetPos(15, 7);
    EXPECT_EQ(fHint->BoundsRect(), TRect(o.X + 15, o.Y + 7, o.X + 135, o.Y + 37));

    fHint->SetStaticPos(true);
    fHint->SetStaticPosRect(TRect(1, 1, 200, 40)); // width and height in Right and Bottom
    fHint->ShowSlowHintFor(&fA, 15, 7);
    EXPECT_EQ(fHint->BoundsRect(), TRect(o.X + 1, o.Y + 1, o.X + 201, o.Y + 41));
    fHint->ShowDirect(99, 99);
    Pump();
    EXPECT_EQ(fHint->BoundsRect(), TRect(o.X + 1, o.Y + 1, o.X + 201, o.Y + 41));
    // On the screen where it says: the hint is a window of its own.
    EXPECT_EQ(fHint->ClientOrigin(), TPoint(o.X + 2, o.Y + 2));
}

TEST_F(GraphHint, MoveInfoShowsAtOnceAndStays) {
    fHint->ShowSlowHintFor(&fA, 10, 5);
    fHint->ShowMoveInfo("08:00", "09:30", "1:30", 25, 5);
    EXPECT_EQ(fHint->Caption(), "08:00\r09:30\r1:30");
    EXPECT_FALSE(fHint->ShowTimer()->Enabled());
    EXPECT_FALSE(fHint->HideTimer()->Enabled());
    Pump();
    EXPECT_TRUE(OnScreen(fHint));
    EXPECT_EQ(fHint->Left(), fOwner->ClientOrigin().X + 25);
    Pump(1200);
    EXPECT_TRUE(OnScreen(fHint));
}

TEST_F(GraphHint, WaitsForItsFormToBeActive) {
    // Without a form the hint shows.
    EXPECT_EQ(fHint->ParentForm(), nullptr);
    EXPECT_TRUE(fHint->ParentFormActive());

    TForm form(nullptr);
    form.SetBounds(250, 0, 200, 100);
    fOwner->SetParent(&form);
    Unparent keep{fOwner};
    EXPECT_EQ(fHint->ParentForm(), &form);
    EXPECT_FALSE(fHint->ParentFormActive());
    fHint->DoShowAsync(nullptr);
    EXPECT_FALSE(OnScreen(fHint));
    EXPECT_FALSE(fHint->HideTimer()->Enabled());

    // The application's main form being active is enough.
    TForm main(nullptr);
    main.SetBounds(0, 0, 200, 100);
    TForm* oldMain = Application()->MainForm();
    Application()->SetMainForm(&main);
    ShowForm(&main);
    EXPECT_TRUE(fHint->ParentFormActive());
    Application()->SetMainForm(oldMain);

    ShowForm(&form);
    EXPECT_TRUE(fHint->ParentFormActive());
    fHint->DoShowAsync(nullptr);
    Pump();
    EXPECT_TRUE(OnScreen(fHint));
    EXPECT_TRUE(fHint->HideTimer()->Enabled());
}

TEST_F(GraphHint, HidingClearsTheFormsFocusOnTheHint) {
    TForm form(nullptr);
    fOwner->SetParent(&form);
    Unparent keep{fOwner};
    form.SetActiveControl(fHint);
    fHint->DoHideAsync(nullptr);
    EXPECT_EQ(form.ActiveControl(), nullptr);
}

TEST_F(GraphHint, FreedWithItsDeferredCallsPending) {
    TDoLaterCall show = MakeMethod(fHint, &TGraphHintWindow::DoShowAsync);
    TDoLaterCall hide = MakeMethod(fHint, &TGraphHintWindow::DoHideAsync);
    // The timer handlers queue the deferred halves.
    fHint->DoShow(nullptr);
    fHint->DoHide(nullptr);
    EXPECT_TRUE(TDoLater::AlreadyInList(show, nullptr));
    EXPECT_TRUE(TDoLater::AlreadyInList(hide, nullptr));
    delete fHint;
    EXPECT_FALSE(TDoLater::AlreadyInList(show, nullptr));
    EXPECT_FALSE(TDoLater::AlreadyInList(hide, nullptr));
    Pump(); // nothing runs on the freed window (the sanitizer checks)
    EXPECT_EQ(fOwner->ControlCount(), 0);
}

TEST_F(GraphHint, FreedWhileItsTimersRun) {
    fHint->ShowTimer()->SetInterval(50);
    fHint->ShowSlowHintFor(&fA, 0, 0);
    delete fHint;
    Pump(150);
}

} // namespace
