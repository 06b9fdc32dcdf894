// The date scaler's deferred change notification and the resize that keeps the time per pixel,
// through real paints and the message loop.
#include "scaler/xoScaler.h"

#include "platform/plDateUtils.h"
#include "platform/plForms.h"
#include "platform/plTestInput.h"

#include <gtest/gtest.h>

#include <memory>

namespace {
using xo::test::Pump;

const TDateTime kMon = EncodeDate(2014, 9, 22);

class Change : public ::testing::Test {
protected:
    void SetUp() override {
        form = std::make_unique<TForm>(nullptr);
        form->SetBounds(0, 0, 900, 100);
        s = new TxoDateScaler(form.get());
        s->SetParent(form.get());
        s->SetHorizontal(true);
        s->SetBounds(0, 0, 400, 45);
        xo::test::ShowForm(form.get());
        s->SetStart(kMon);
        s->SetScale(0.01);
        // Every paint records the window it showed.
        s->SetOnUserDrawForeground([this](TxoDateScaler*, TCanvas*, const TRect&) {
            ++paints;
            paintedStart = s->Start();
        });
        s->SetOnChange([this](TObject* Sender) {
            EXPECT_EQ(Sender, s);
            ++changes;
            paintsAtChange = paints;
            startAtChange = paintedStart;
        });
        Pump();
        changes = 0;
    }
    std::unique_ptr<TForm> form;
    TxoDateScaler* s = nullptr;
    int paints = 0, changes = 0, paintsAtChange = 0;
    TDateTime paintedStart = 0, startAtChange = 0;
};
} // namespace

TEST_F(Change, SeveralChangesBeforeAPaintGiveOneOnChangeAfterIt) {
    const int paintsBefore = paints;
    s->SetStart(kMon + 1);
    s->SetStart(kMon + 2);
    s->SetStart(kMon + 3);
    EXPECT_EQ(changes, 0);
    Pump();
    EXPECT_EQ(changes, 1);
    EXPECT_GT(paintsAtChange, paintsBefore); // after the repaint that showed the new window
    EXPECT_EQ(startAtChange, kMon + 3);
    Pump(30);
    EXPECT_EQ(changes, 1);
}

TEST_F(Change, EveryKindOfChangeIsAnnounced) {
    s->SetStop(kMon + 5);
    Pump();
    EXPECT_EQ(changes, 1);
    s->SetScale(0.02);
    Pump();
    EXPECT_EQ(changes, 2);
    s->SetHiddenDays(TxoHiddenDays{thdSUN});
    Pump();
    EXPECT_EQ(changes, 3);
    s->SetHiddenHours(TxoHiddenHours{thh03});
    Pump();
    EXPECT_EQ(changes, 4);
    s->SetCenterScale(0.01, kMon + 1, 50);
    Pump();
    EXPECT_EQ(changes, 5);
    // A paint without a change announces nothing.
    s->Invalidate();
    Pump();
    EXPECT_EQ(changes, 5);
}

TEST_F(Change, NothingArrivesFromAScalerThatIsGone) {
    s->SetStart(kMon + 1);
    s->Repaint(); // paints now: the change message is on its way
    form.reset();
    Pump(20);
    EXPECT_EQ(changes, 0);
}

TEST_F(Change, ResizingKeepsTheTimePerPixel) {
    ASSERT_NEAR(s->Stop(), kMon + 4, 1e-9);
    s->SetBounds(0, 0, 800, 45);
    Pump();
    EXPECT_NEAR(s->GetScale(), 0.01, 1e-12);
    EXPECT_EQ(s->Start(), kMon);
    EXPECT_NEAR(s->Stop(), kMon + 8, 1e-9); // twice the time on twice the axis
    EXPECT_EQ(changes, 1);
    s->SetBounds(0, 0, 200, 45);
    Pump();
    EXPECT_NEAR(s->Stop(), kMon + 2, 1e-9);
}

TEST_F(Change, AWindowSetBeforeTheResizeIsKept) {
    s->SetStop(kMon + 10);
    s->SetBounds(0, 0, 800, 45);
    Pump();
    EXPECT_EQ(s->Start(), kMon);
    EXPECT_EQ(s->Stop(), kMon + 10);
    EXPECT_NEAR(s->GetScale(), 10.0 / 800, 1e-12);
}

TEST_F(Change, ResizingToNothingAndBackKeepsTheWindow) {
    s->SetBounds(0, 0, 0, 45);
    Pump();
    s->SetBounds(0, 0, 400, 45);
    Pump();
    EXPECT_NEAR(s->GetScale(), 0.01, 1e-12);
    EXPECT_NEAR(s->Stop(), kMon + 4, 1e-9);
}

TEST_F(Change, UpdateBracketRecomputesTheMarksOnce) {
    s->BeginUpdate();
    s->SetPixelsForModeSwitch(150); // fields alone do not rebuild the marks
    EXPECT_EQ(s->SmallStep(), kScale1Day);
    s->EndUpdate();
    EXPECT_EQ(s->SmallStep(), kScale1Week); // 150 px of 0.01 days is more than a day
    Pump();
    EXPECT_EQ(s->UpdateCount(), 0);
}
