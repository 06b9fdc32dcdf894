// Controls in a host's Qt window, ownership, dragging, and the forms around them.
#include "platform/plControls.h"
#include "platform/plForms.h"
#include "platform/plTestInput.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace xo::test;

namespace {

using Log = std::vector<std::string>;

// Counts its instances, to see who frees whom.
class TCounted : public TPanel {
public:
    explicit TCounted(TComponent* AOwner) : TPanel(AOwner) { ++alive; }
    ~TCounted() override { --alive; }
    static inline int alive = 0;
};

class TWheelPanel : public TPanel {
public:
    using TPanel::TPanel;
    std::vector<int> deltas;

protected:
    void WMMouseWheel(TWMMouseWheel& m) override {
        deltas.push_back(m.WheelDelta());
        TPanel::WMMouseWheel(m);
    }
};

} // namespace

TEST(ControlsHosting, AControlInAPlainQtWindowFollowsItsLayoutAndGetsInput) {
    THostWindow host(300, 200);
    auto panel = std::make_unique<TPanel>(nullptr);
    panel->SetBevelOuter(bvNone);
    panel->SetColor(clYellow);
    auto* inner = new TPanel(panel.get());
    inner->SetBevelOuter(bvNone);
    inner->SetColor(clBlue);
    inner->SetWidth(50);
    inner->SetAlign(alRight);
    inner->SetParent(panel.get());
    int clicks = 0;
    panel->SetOnClick([&](TObject*) { ++clicks; });
    host.Place(panel.get());
    host.Show();
    EXPECT_EQ(panel->Width(), 300);
    EXPECT_EQ(panel->Height(), 200);
    EXPECT_EQ(inner->BoundsRect(), TRect(250, 0, 300, 200));
    Click(panel.get(), 20, 20);
    EXPECT_EQ(clicks, 1);
    host.Resize(400, 250);
    EXPECT_EQ(panel->Width(), 400);
    EXPECT_EQ(inner->BoundsRect(), TRect(350, 0, 400, 250));
    TBitmap b;
    Render(panel.get(), &b);
    EXPECT_EQ(b.Width(), 400);
    EXPECT_EQ(b.Canvas()->Pixels(10, 10), clYellow);
    EXPECT_EQ(b.Canvas()->Pixels(360, 10), clBlue);
}

TEST(ControlsHosting, AControlOutlivesItsHostAndAHostItsControl) {
    auto panel = std::make_unique<TPanel>(nullptr);
    {
        THostWindow host(100, 100);
        host.Place(panel.get());
        EXPECT_TRUE(panel->HandleAllocated());
    }
    EXPECT_FALSE(panel->HandleAllocated()); // its window went with the host
    THostWindow host(100, 100);
    host.Place(panel.get());
    host.Show();
    panel.reset();
    Pump();
}

TEST(ControlsHosting, OwnersAndParentsFreeTheirControlsOnce) {
    TCounted::alive = 0;
    auto* form = new TForm(nullptr);
    auto* left = new TCounted(form);
    left->SetParent(form);
    auto* right = new TCounted(form);
    right->SetParent(form);
    // Owned by the form, parented elsewhere: freed by whichever goes first.
    auto* nested = new TCounted(form);
    nested->SetParent(left);
    auto* orphan = new TCounted(nullptr); // no owner: its parent frees it
    orphan->SetParent(right);
    form->Show();
    Pump();
    EXPECT_EQ(TCounted::alive, 4);
    int owned = form->ComponentCount();
    delete left; // takes `nested` along
    EXPECT_EQ(TCounted::alive, 2);
    EXPECT_EQ(form->ComponentCount(), owned - 2);
    delete form;
    EXPECT_EQ(TCounted::alive, 0);
    Pump();
}

TEST(ControlsHosting, AFormReleasedFromItsOwnHandlerGoesAfterTheEvent) {
    auto* form = new TForm(nullptr);
    form->SetBounds(10, 10, 200, 100);
    auto* panel = new TCounted(form);
    panel->SetAlign(alClient);
    panel->SetParent(form);
    panel->SetOnClick([form](TObject*) { form->Release(); });
    TCounted::alive = 1;
    ShowForm(form);
    Click(panel, 10, 10);
    Pump();
    EXPECT_EQ(TCounted::alive, 0);
}

TEST(ControlsHosting, AnUnhandledWheelGoesOnToTheParent) {
    auto form = std::make_unique<TForm>(nullptr);
    form->SetBounds(0, 0, 200, 100);
    auto* outer = new TWheelPanel(form.get());
    outer->SetAlign(alClient);
    outer->SetParent(form.get());
    auto* inner = new TWheelPanel(form.get());
    inner->SetBounds(10, 10, 50, 50);
    inner->SetParent(outer);
    ShowForm(form.get());
    Wheel(inner, 5, 5, WHEEL_DELTA);
    EXPECT_EQ(inner->deltas, std::vector<int>{WHEEL_DELTA});
    EXPECT_EQ(outer->deltas, std::vector<int>{WHEEL_DELTA});
    bool handled = true;
    inner->SetOnMouseWheel([&](TObject*, TShiftState, int, TPoint, bool& h) { h = handled; });
    Wheel(inner, 5, 5, -WHEEL_DELTA);
    EXPECT_EQ(outer->deltas.size(), 1u);
}

TEST(ControlsHosting, AutomaticDragOffersTheSourceToTargetsAndDropsOnOneThatAccepts) {
    auto form = std::make_unique<TForm>(nullptr);
    form->SetBounds(0, 0, 300, 100);
    auto* source = new TPanel(form.get());
    source->SetBounds(0, 0, 100, 100);
    source->SetDragMode(dmAutomatic);
    source->SetParent(form.get());
    auto* target = new TPanel(form.get());
    target->SetBounds(150, 0, 100, 100);
    target->SetParent(form.get());
    Log log;
    auto name = [&](TObject* o) -> std::string {
        return o == source ? "source" : o == target ? "target" : "none";
    };
    source->SetOnMouseDown(
        [&](TObject*, TMouseButton, TShiftState, int, int) { log.push_back("mouse down"); });
    source->SetOnStartDrag([&](TObject*, TDragObject*&) { log.push_back("start"); });
    source->SetOnEndDrag([&](TObject*, TObject* t, int x, int y) {
        log.push_back("end on " + name(t) + " " + std::to_string(x) + "," + std::to_string(y));
    });
    bool accept = true;
    target->SetOnDragOver([&](TObject*, TObject* s, int x, int y, TDragState st, bool& a) {
        log.push_back(std::string(st == dsDragEnter   ? "enter"
                                  : st == dsDragLeave ? "leave"
                                                      : "over") +
                      " with " + name(s) + " " + std::to_string(x) + "," + std::to_string(y));
        a = accept;
    });
    target->SetOnDragDrop([&](TObject*, TObject* s, int x, int y) {
        log.push_back("drop " + name(s) + " " + std::to_string(x) + "," + std::to_string(y));
    });
    ShowForm(form.get());

    MouseDown(source, mbLeft, 50, 50);
    EXPECT_TRUE(source->Dragging());
    MouseMove(source, 170, 40); // 20,40 in the target
    MouseUp(source, mbLeft, 170, 40);
    EXPECT_FALSE(source->Dragging());
    EXPECT_EQ(log, (Log{"start", "enter with source 20,40", "over with source 20,40", "drop source 20,40",
                        "end on target 20,40"}));

    log.clear();
    accept = false;
    MouseDown(source, mbLeft, 50, 50);
    MouseMove(source, 170, 40);
    MouseMove(source, 60, 40); // back over the source, which takes no drops
    MouseUp(source, mbLeft, 60, 40);
    EXPECT_EQ(log, (Log{"start", "enter with source 20,40", "over with source 20,40",
                        "leave with source -90,40", "end on none 0,0"}));
}

TEST(ControlsHosting, ClientAndScreenCoordinatesMeetAtTheWindowsPlace) {
    auto form = std::make_unique<TForm>(nullptr);
    form->SetBounds(100, 50, 300, 200);
    auto* panel = new TPanel(form.get());
    panel->SetBounds(10, 20, 100, 100);
    panel->SetBorderStyle(bsSingle);
    panel->SetParent(form.get());
    auto* inner = new TPanel(form.get());
    inner->SetBounds(5, 5, 20, 20);
    inner->SetParent(panel);
    ShowForm(form.get());
    TPoint origin = form->ClientToScreen(TPoint(0, 0));
    EXPECT_EQ(panel->ClientToScreen(TPoint(0, 0)), TPoint(origin.X + 12, origin.Y + 22));
    EXPECT_EQ(inner->ClientToScreen(TPoint(1, 2)), TPoint(origin.X + 18, origin.Y + 29));
    EXPECT_EQ(inner->ScreenToClient(inner->ClientToScreen(TPoint(-7, 9))), TPoint(-7, 9));
}

TEST(ControlsHosting, FormsCloseAsTheirHandlersDecide) {
    auto form = std::make_unique<TForm>(nullptr);
    Log log;
    bool canClose = false;
    form->SetOnShow([&](TObject*) { log.push_back("show"); });
    form->SetOnCloseQuery([&](TObject*, bool& c) {
        log.push_back("query");
        c = canClose;
    });
    form->SetOnClose([&](TObject*, TCloseAction&) { log.push_back("close"); });
    form->SetOnHide([&](TObject*) { log.push_back("hide"); });
    ShowForm(form.get());
    form->Close();
    EXPECT_TRUE(form->Visible());
    canClose = true;
    form->Close();
    EXPECT_FALSE(form->Visible());
    EXPECT_EQ(log, (Log{"show", "query", "query", "close", "hide"}));
    EXPECT_EQ(Screen()->Forms(Screen()->FormCount() - 1), form.get());
}

TEST(ControlsHosting, ShowModalRunsUntilAResultIsSet) {
    auto form = std::make_unique<TForm>(nullptr);
    form->SetBounds(0, 0, 200, 100);
    TTimer timer(nullptr);
    timer.SetInterval(10);
    int ticks = 0;
    timer.SetOnTimer([&](TObject*) {
        if (++ticks == 2) form->SetModalResult(mrOk);
    });
    EXPECT_EQ(form->ShowModal(), mrOk);
    EXPECT_FALSE(form->Visible());
    timer.SetEnabled(false);
    EXPECT_THROW((form->Show(), form->ShowModal()), Exception); // already visible
}

TEST(ControlsHosting, FontAndColourComeFromTheParentUntilTheControlSetsItsOwn) {
    TPanel parent(nullptr);
    parent.SetColor(clYellow);
    parent.Font()->SetName("Courier New");
    auto* child = new TCustomControl(&parent);
    child->SetParent(&parent);
    auto* own = new TCustomControl(&parent);
    own->SetColor(clRed);
    own->Font()->SetStyle({fsBold});
    own->SetParent(&parent);
    EXPECT_EQ(child->Color(), clYellow);
    EXPECT_EQ(child->Font()->Name(), "Courier New");
    EXPECT_TRUE(child->ParentFont());
    EXPECT_EQ(own->Color(), clRed);
    EXPECT_FALSE(own->ParentFont());
    parent.SetColor(clLime);
    parent.Font()->SetSize(12);
    EXPECT_EQ(child->Color(), clLime);
    EXPECT_EQ(child->Font()->Size(), 12);
    EXPECT_EQ(own->Color(), clRed);
    EXPECT_NE(own->Font()->Size(), 12);
    own->SetParentColor(true);
    EXPECT_EQ(own->Color(), clLime);
}
