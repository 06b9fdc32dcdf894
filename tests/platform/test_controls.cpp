// Controls: alignment, input in the framework's order, capture, messages, focus and keys.
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

std::string ButtonName(TMouseButton b) {
    return b == mbLeft ? "L" : b == mbRight ? "R" : "M";
}

// A custom control that records every handler it reaches, and its On... events after them.
class TProbe : public TCustomControl {
public:
    TProbe(TComponent* AOwner, Log& aLog, const std::string& aName = "")
        : TCustomControl(AOwner), log(aLog), name(aName) {
        SetOnMouseDown([this](TObject*, TMouseButton b, TShiftState s, int x, int y) {
            Add("OnMouseDown " + ButtonName(b) + (s.Contains(ssDouble) ? " double" : "") + " " + Pos(x, y));
        });
        SetOnMouseUp([this](TObject*, TMouseButton b, TShiftState, int x, int y) {
            Add("OnMouseUp " + ButtonName(b) + " " + Pos(x, y));
        });
        SetOnMouseMove([this](TObject*, TShiftState s, int x, int y) {
            if (s.Contains(ssLeft)) Add("OnMouseMove " + Pos(x, y));
        });
        SetOnClick([this](TObject*) { Add("OnClick"); });
        SetOnDblClick([this](TObject*) { Add("OnDblClick"); });
        SetOnKeyDown([this](TObject*, uint16_t& k, TShiftState) { Add("OnKeyDown " + std::to_string(k)); });
        SetOnKeyPress([this](TObject*, char32_t& c) { Add("OnKeyPress " + std::to_string(unsigned(c))); });
        SetOnKeyUp([this](TObject*, uint16_t& k, TShiftState) { Add("OnKeyUp " + std::to_string(k)); });
        SetOnMouseWheel([this](TObject*, TShiftState, int d, TPoint, bool& handled) {
            Add("OnMouseWheel " + std::to_string(d));
            handled = true;
        });
        SetOnEnter([this](TObject*) { Add("OnEnter"); });
        SetOnExit([this](TObject*) { Add("OnExit"); });
    }
    int paints = 0;
    TColor face = clWhite;
    LRESULT dlgCode = 0;
    std::vector<TMessage> custom;

    using TCustomControl::Canvas;

protected:
    void MouseDown(TMouseButton b, TShiftState s, int x, int y) override {
        Add("MouseDown " + ButtonName(b) + " " + Pos(x, y));
        TCustomControl::MouseDown(b, s, x, y);
    }
    void MouseUp(TMouseButton b, TShiftState s, int x, int y) override {
        Add("MouseUp " + ButtonName(b));
        TCustomControl::MouseUp(b, s, x, y);
    }
    void Click() override {
        Add("Click");
        TCustomControl::Click();
    }
    void DblClick() override {
        Add("DblClick");
        TCustomControl::DblClick();
    }
    void KeyDown(uint16_t& k, TShiftState s) override {
        Add("KeyDown " + std::to_string(k));
        TCustomControl::KeyDown(k, s);
    }
    void KeyPress(char32_t& c) override {
        Add("KeyPress " + std::to_string(unsigned(c)));
        TCustomControl::KeyPress(c);
    }
    void KeyUp(uint16_t& k, TShiftState s) override {
        Add("KeyUp " + std::to_string(k));
        TCustomControl::KeyUp(k, s);
    }
    bool DoMouseWheel(TShiftState s, int d, TPoint p) override {
        Add("DoMouseWheel " + std::to_string(d));
        return TCustomControl::DoMouseWheel(s, d, p);
    }
    void Paint() override {
        ++paints;
        Canvas()->Brush()->SetColor(face);
        Canvas()->FillRect(ClientRect());
    }
    void WMGetDlgCode(TWMGetDlgCode& m) override { m.SetResult(dlgCode); }
    void Dispatch(TMessage& m) override {
        if (m.Msg == 3022) {
            custom.push_back(m);
            return;
        }
        TCustomControl::Dispatch(m);
    }

private:
    void Add(const std::string& s) { log.push_back(name.empty() ? s : name + ": " + s); }
    static std::string Pos(int x, int y) { return std::to_string(x) + "," + std::to_string(y); }
    Log& log;
    std::string name;
};

// A form shown offscreen, freed with the test.
struct Shown {
    std::unique_ptr<TForm> form;
    Shown(int w = 300, int h = 200) : form(std::make_unique<TForm>(nullptr)) {
        form->SetBounds(40, 30, w, h);
    }
    void Show() { ShowForm(form.get()); }
};

TRect R(int l, int t, int w, int h) {
    return TRect(l, t, l + w, t + h);
}

} // namespace

// ---- Alignment ------------------------------------------------------------------------------
TEST(Controls, ChildrenAlignTopBottomLeftRightThenClientWhateverTheirCreationOrder) {
    TPanel parent(nullptr);
    parent.SetBevelOuter(bvNone);
    parent.SetBounds(0, 0, 300, 200);
    struct Case {
        const char* name;
        TAlign align;
        int size;
        TRect before; // in the 300 x 200 parent
        TRect after;  // once the parent is 400 x 300
    };
    const Case cases[] = {
        // Created first, but placed last: the client takes what the others leave.
        {"client", alClient, 0, R(40, 50, 210, 125), R(40, 50, 310, 225)},
        {"right", alRight, 50, R(250, 50, 50, 125), R(350, 50, 50, 225)},
        {"left", alLeft, 40, R(0, 50, 40, 125), R(0, 50, 40, 225)},
        {"bottom", alBottom, 25, R(0, 175, 300, 25), R(0, 275, 400, 25)},
        {"top1", alTop, 20, R(0, 0, 300, 20), R(0, 0, 400, 20)},
        {"top2", alTop, 30, R(0, 20, 300, 30), R(0, 20, 400, 30)}, // after top1: created later
    };
    std::vector<TPanel*> made;
    for (const Case& c : cases) {
        auto* p = new TPanel(&parent);
        p->SetBounds(0, 0, c.size, c.size);
        p->SetAlign(c.align);
        p->SetParent(&parent);
        made.push_back(p);
    }
    for (size_t i = 0; i < made.size(); ++i)
        EXPECT_EQ(made[i]->BoundsRect(), cases[i].before) << cases[i].name;
    parent.SetBounds(0, 0, 400, 300);
    for (size_t i = 0; i < made.size(); ++i)
        EXPECT_EQ(made[i]->BoundsRect(), cases[i].after) << cases[i].name;
}

TEST(Controls, AlignmentFollowsPositionsAndVisibility) {
    TPanel parent(nullptr);
    parent.SetBevelOuter(bvNone);
    parent.SetBounds(0, 0, 200, 100);
    auto* a = new TPanel(&parent);
    auto* b = new TPanel(&parent);
    for (TPanel* p : {a, b}) {
        p->SetHeight(10);
        p->SetAlign(alTop);
        p->SetParent(&parent);
    }
    EXPECT_EQ(a->Top(), 0);
    EXPECT_EQ(b->Top(), 10);
    // Moved by the application to the other's place, or shown again there: it goes first.
    b->SetTop(0);
    EXPECT_EQ(b->Top(), 0);
    EXPECT_EQ(a->Top(), 10);
    // A hidden control leaves its place to the others.
    b->Hide();
    EXPECT_EQ(a->Top(), 0);
    b->Show();
    EXPECT_EQ(b->Top(), 0);
    EXPECT_EQ(a->Top(), 10);
    // A left-aligned splitter-like bar placed right of a left pane stays right of it.
    auto* pane = new TPanel(&parent);
    pane->SetWidth(60);
    pane->SetAlign(alLeft);
    pane->SetParent(&parent);
    auto* bar = new TPanel(&parent);
    bar->SetWidth(3);
    bar->SetAlign(alLeft);
    bar->SetParent(&parent);
    bar->SetLeft(57);
    EXPECT_EQ(pane->BoundsRect(), R(0, 20, 60, 80));
    EXPECT_EQ(bar->BoundsRect(), R(60, 20, 3, 80));
    pane->SetWidth(100); // a splitter resizing its pane
    EXPECT_EQ(bar->Left(), 100);
}

TEST(Controls, PanelAlignsInsideItsBevelsAndBorder) {
    TPanel parent(nullptr);
    parent.SetBounds(0, 0, 100, 80); // raised outer bevel of 1
    parent.SetBorderWidth(2);
    parent.SetBevelInner(bvLowered);
    auto* c = new TPanel(&parent);
    c->SetAlign(alClient);
    c->SetParent(&parent);
    EXPECT_EQ(c->BoundsRect(), TRect(4, 4, 96, 76));
    parent.SetBorderStyle(bsSingle); // a sunken frame of 2 around the client area
    EXPECT_EQ(parent.ClientRect(), TRect(0, 0, 96, 76));
    EXPECT_EQ(c->BoundsRect(), TRect(4, 4, 92, 72));
}

TEST(Controls, DisabledAlignmentRealignsOnceWhenEnabled) {
    TPanel parent(nullptr);
    parent.SetBevelOuter(bvNone);
    parent.SetBounds(0, 0, 200, 100);
    auto* c = new TPanel(&parent);
    c->SetParent(&parent);
    int resizes = 0;
    c->SetOnResize([&](TObject*) { ++resizes; });
    parent.DisableAlign();
    c->SetAlign(alClient);
    parent.SetBounds(0, 0, 300, 100);
    EXPECT_EQ(resizes, 0);
    parent.EnableAlign();
    EXPECT_EQ(c->BoundsRect(), R(0, 0, 300, 100));
    EXPECT_EQ(resizes, 1);
}

// ---- Input ----------------------------------------------------------------------------------
TEST(Controls, MouseReachesTheHandlersInTheFrameworksOrder) {
    Log log;
    Shown s;
    auto* p = new TProbe(s.form.get(), log);
    p->SetBounds(10, 10, 100, 80);
    p->SetParent(s.form.get());
    s.Show();

    Click(p, 10, 12);
    EXPECT_EQ(log, (Log{"MouseDown L 10,12", "OnMouseDown L 10,12", "Click", "OnClick", "MouseUp L",
                        "OnMouseUp L 10,12"}));
    log.clear();
    DblClick(p, 5, 6);
    EXPECT_EQ(log, (Log{"MouseDown L 5,6", "OnMouseDown L 5,6", "Click", "OnClick", "MouseUp L",
                        "OnMouseUp L 5,6", "DblClick", "OnDblClick", "MouseDown L 5,6",
                        "OnMouseDown L double 5,6", "MouseUp L", "OnMouseUp L 5,6"}));
    log.clear();
    // A release outside the control is no click; the right button clicks nothing.
    MouseDown(p, mbLeft, 20, 20);
    MouseUp(p, mbLeft, 150, 20); // the pointer moves there first
    Click(p, 30, 30, mbRight);
    EXPECT_EQ(log, (Log{"MouseDown L 20,20", "OnMouseDown L 20,20", "OnMouseMove 150,20", "MouseUp L",
                        "OnMouseUp L 150,20", "MouseDown R 30,30", "OnMouseDown R 30,30", "MouseUp R",
                        "OnMouseUp R 30,30"}));
    log.clear();
    Wheel(p, 50, 40, -WHEEL_DELTA);
    EXPECT_EQ(log, (Log{"DoMouseWheel -120", "OnMouseWheel -120"}));
}

TEST(Controls, KeysReachTheFocusedControlAsDownPressUp) {
    Log log;
    Shown s;
    auto* p = new TProbe(s.form.get(), log);
    p->SetBounds(10, 10, 100, 80);
    p->SetParent(s.form.get());
    s.Show();
    PressKey(p, 'A');
    PressKey(p, 'B', {ssShift});
    PressKey(p, VK_LEFT); // not wanted by the control: the form navigates and nothing arrives
    PressKey(p, VK_DELETE);
    EXPECT_EQ(log, (Log{"OnEnter", "KeyDown 65", "OnKeyDown 65", "KeyPress 97", "OnKeyPress 97", "KeyUp 65",
                        "OnKeyUp 65", "KeyDown 66", "OnKeyDown 66", "KeyPress 66", "OnKeyPress 66",
                        "KeyUp 66", "OnKeyUp 66", "KeyUp 37", "OnKeyUp 37", "KeyDown 46", "OnKeyDown 46",
                        "KeyUp 46", "OnKeyUp 46"}));
    log.clear();
    p->dlgCode = DLGC_WANTARROWS;
    PressKey(p, VK_LEFT);
    TypeChar(p, U'ä');
    EXPECT_EQ(log, (Log{"KeyDown 37", "OnKeyDown 37", "KeyUp 37", "OnKeyUp 37", "KeyDown 222",
                        "OnKeyDown 222", "KeyPress 228", "OnKeyPress 228", "KeyUp 222", "OnKeyUp 222"}));
}

TEST(Controls, TabMovesTheFocusInTabOrderUnlessTheControlWantsIt) {
    Log log;
    Shown s;
    TProbe* p[3];
    for (int i = 0; i < 3; ++i) {
        p[i] = new TProbe(s.form.get(), log, std::string(1, char('a' + i)));
        p[i]->SetBounds(10 + 60 * i, 10, 50, 50);
        p[i]->SetTabStop(true);
        p[i]->SetParent(s.form.get());
    }
    p[1]->SetTabOrder(0); // b, a, c
    s.Show();
    EXPECT_TRUE(p[1]->Focused()); // the first in tab order, when the form is activated
    log.clear();
    PressKey(p[1], VK_TAB);
    EXPECT_TRUE(p[0]->Focused());
    PressKey(p[0], VK_TAB, {ssShift});
    EXPECT_TRUE(p[1]->Focused());
    EXPECT_EQ(log, (Log{"b: OnExit", "a: OnEnter", "a: KeyUp 9", "a: OnKeyUp 9", "a: OnExit", "b: OnEnter",
                        "b: KeyUp 9", "b: OnKeyUp 9"}));
    EXPECT_EQ(s.form->ActiveControl(), p[1]);
    log.clear();
    p[1]->dlgCode = DLGC_WANTTAB;
    PressKey(p[1], VK_TAB);
    EXPECT_TRUE(p[1]->Focused());
    EXPECT_EQ(log, (Log{"b: KeyDown 9", "b: OnKeyDown 9", "b: KeyPress 9", "b: OnKeyPress 9", "b: KeyUp 9",
                        "b: OnKeyUp 9"}));
    // Hidden or disabled controls cannot take the focus.
    p[2]->SetEnabled(false);
    EXPECT_FALSE(p[2]->CanFocus());
    EXPECT_THROW(p[2]->SetFocus(), Exception);
}

TEST(Controls, MouseCaptureKeepsMovesOutsideTheControl) {
    Log log;
    Shown s;
    auto* a = new TProbe(s.form.get(), log, "a");
    a->SetBounds(10, 10, 100, 80);
    a->SetParent(s.form.get());
    auto* b = new TProbe(s.form.get(), log, "b");
    b->SetBounds(150, 10, 100, 80);
    b->SetParent(s.form.get());
    s.Show();
    MouseDown(a, mbLeft, 50, 40);
    EXPECT_TRUE(a->MouseCapture());
    MouseMove(a, 160, 40);  // over b
    MouseMove(a, 400, -20); // outside the window
    MouseUp(a, mbLeft, 400, -20);
    EXPECT_FALSE(a->MouseCapture());
    EXPECT_EQ(log, (Log{"a: MouseDown L 50,40", "a: OnMouseDown L 50,40", "a: OnMouseMove 160,40",
                        "a: OnMouseMove 400,-20", "a: MouseUp L", "a: OnMouseUp L 400,-20"}));
}

namespace {
// A windowless control that records its mouse messages.
class TGraphicProbe : public TGraphicControl {
public:
    TGraphicProbe(TComponent* AOwner, Log& aLog) : TGraphicControl(AOwner), log(aLog) {}
    int paints = 0;

protected:
    void MouseDown(TMouseButton, TShiftState, int x, int y) override {
        log.push_back("g down " + std::to_string(x) + "," + std::to_string(y));
    }
    void MouseMove(TShiftState s, int x, int y) override {
        if (s.Contains(ssLeft)) log.push_back("g move " + std::to_string(x) + "," + std::to_string(y));
    }
    void MouseUp(TMouseButton, TShiftState, int x, int y) override {
        log.push_back("g up " + std::to_string(x) + "," + std::to_string(y));
    }
    void Click() override { log.push_back("g click"); }
    void Paint() override {
        ++paints;
        Canvas()->Brush()->SetColor(clRed);
        Canvas()->FillRect(TRect(0, 0, Width(), Height()));
        Canvas()->Brush()->SetColor(clBlue);
        Canvas()->FillRect(TRect(-50, -50, 5, 5)); // clipped to the control
    }

private:
    Log& log;
};
} // namespace

TEST(Controls, WindowlessControlsGetTheMouseThroughTheirParentAndPaintOnIt) {
    Log log;
    Shown s;
    auto* host = new TProbe(s.form.get(), log, "host");
    host->SetBounds(0, 0, 200, 150);
    host->SetParent(s.form.get());
    auto* g = new TGraphicProbe(s.form.get(), log);
    g->SetBounds(20, 30, 40, 20);
    g->SetParent(host);
    s.Show();
    Click(g, 5, 6);
    MouseDown(g, mbLeft, 1, 1);
    MouseMove(g, 100, 50); // captured: still the windowless control
    MouseUp(g, mbLeft, 100, 50);
    Click(host, 150, 100);
    EXPECT_EQ(log, (Log{"g down 5,6", "g click", "g up 5,6", "g down 1,1", "g move 100,50", "g up 100,50",
                        "host: MouseDown L 150,100", "host: OnMouseDown L 150,100", "host: Click",
                        "host: OnClick", "host: MouseUp L", "host: OnMouseUp L 150,100"}));
    EXPECT_EQ(ShownPixel(host, 19, 30), clWhite);
    EXPECT_EQ(ShownPixel(host, 20, 30), clBlue);
    EXPECT_EQ(ShownPixel(host, 25, 35), clRed);
    EXPECT_EQ(ShownPixel(host, 59, 49), clRed);
    EXPECT_EQ(ShownPixel(host, 60, 49), clWhite);
    EXPECT_EQ(ShownPixel(g, 0, 0), clBlue);
}

// ---- Messages -------------------------------------------------------------------------------
TEST(Controls, AMessagePostedToTheHandleReachesWndProcFromTheLoop) {
    Log log;
    TProbe p(nullptr, log);
    EXPECT_FALSE(p.HandleAllocated());
    HWND h = p.Handle();
    EXPECT_TRUE(p.HandleAllocated());
    EXPECT_EQ(FindControl(h), &p);
    ASSERT_TRUE(PostMessage(h, WM_USER + 1998, 7, 8));
    EXPECT_TRUE(p.custom.empty());
    Pump();
    ASSERT_EQ(p.custom.size(), 1u);
    EXPECT_EQ(p.custom[0].Msg, 3022u);
    EXPECT_EQ(p.custom[0].WParam, 7u);
    EXPECT_EQ(p.custom[0].LParam, 8);
    EXPECT_EQ(p.Perform(WM_GETDLGCODE, 0, 0), 0);
}

TEST(Controls, MessagesPostedToAFreedControlAreDropped) {
    Log log;
    auto* p = new TProbe(nullptr, log);
    HWND h = p->Handle();
    PostMessage(h, 3022, 0, 0);
    delete p;
    EXPECT_FALSE(IsWindow(h));
    EXPECT_FALSE(PostMessage(h, 3022, 0, 0));
    Pump();
}

// ---- Painting -------------------------------------------------------------------------------
TEST(Controls, InvalidateLeadsToExactlyOnePaintWhenTheLoopRuns) {
    Log log;
    Shown s;
    auto* p = new TProbe(s.form.get(), log);
    p->SetBounds(10, 10, 50, 50);
    p->SetParent(s.form.get());
    s.Show();
    Pump(20);
    EXPECT_GE(p->paints, 1);
    p->paints = 0;
    p->Invalidate();
    p->Invalidate();
    p->Invalidate();
    EXPECT_EQ(p->paints, 0);
    Pump(20);
    EXPECT_EQ(p->paints, 1);
    // Update paints what is marked at once; Repaint marks and paints.
    p->Invalidate();
    p->Update();
    EXPECT_EQ(p->paints, 2);
    p->Repaint();
    EXPECT_EQ(p->paints, 3);
    Pump(20);
    EXPECT_EQ(p->paints, 3);
}

TEST(Controls, DrawingOutsideAPaintShowsAtOnceAndTwiceInPenModeNotRestores) {
    Log log;
    Shown s;
    auto* p = new TProbe(s.form.get(), log);
    p->SetBounds(10, 10, 60, 40);
    p->SetParent(s.form.get());
    s.Show();
    ASSERT_EQ(ShownPixel(p, 5, 5), clWhite);
    TCanvas* c = p->Canvas();
    c->Pen()->SetMode(pmNot);
    c->Brush()->SetStyle(bsClear);
    c->Rectangle(2, 2, 20, 10);
    EXPECT_EQ(ShownPixel(p, 2, 2), clBlack);
    EXPECT_EQ(ShownPixel(p, 19, 9), clBlack);
    EXPECT_EQ(ShownPixel(p, 5, 5), clWhite);
    Pump();
    TBitmap screen;
    Render(s.form.get(), &screen);
    EXPECT_EQ(screen.Canvas()->Pixels(10 + 2, 10 + 2), clBlack); // shown, not only drawn
    c->Rectangle(2, 2, 20, 10);
    EXPECT_EQ(ShownPixel(p, 2, 2), clWhite);
    EXPECT_EQ(ShownPixel(p, 19, 9), clWhite);
    // The next paint replaces what was drawn outside it.
    c->Pen()->SetMode(pmCopy);
    c->Brush()->SetColor(clGreen);
    c->FillRect(TRect(0, 0, 10, 10));
    EXPECT_EQ(ShownPixel(p, 1, 1), clGreen);
    p->Invalidate();
    Pump(20);
    EXPECT_EQ(ShownPixel(p, 1, 1), clWhite);
}

TEST(Controls, TheParentsDeviceContextInvertsTwiceToNothing) {
    Log log;
    Shown s;
    auto* p = new TProbe(s.form.get(), log);
    p->SetBounds(0, 0, 100, 100);
    p->face = clSilver;
    p->SetParent(s.form.get());
    s.Show();
    HDC dc = GetDCEx(p->Handle(), nullptr, DCX_CACHE | DCX_CLIPSIBLINGS | DCX_LOCKWINDOWUPDATE);
    ASSERT_NE(dc, nullptr);
    PatBlt(dc, 40, 0, 3, 100, DSTINVERT);
    EXPECT_EQ(ShownPixel(p, 41, 50), RGB(0x3F, 0x3F, 0x3F));
    EXPECT_EQ(ShownPixel(p, 43, 50), clSilver);
    PatBlt(dc, 40, 0, 3, 100, DSTINVERT);
    EXPECT_EQ(ShownPixel(p, 41, 50), clSilver);
    EXPECT_EQ(ReleaseDC(p->Handle(), dc), 1);
    EXPECT_EQ(ReleaseDC(p->Handle(), dc), 0);
}

TEST(Controls, PanelsDrawBevelsAndACentredCaption) {
    Shown s(200, 100);
    auto* panel = new TPanel(s.form.get());
    panel->SetBounds(0, 0, 120, 40);
    panel->SetParent(s.form.get());
    auto* lowered = new TPanel(s.form.get());
    lowered->SetBounds(0, 50, 120, 40);
    lowered->SetBevelOuter(bvLowered);
    lowered->SetCaption("Caption");
    lowered->SetParent(s.form.get());
    s.Show();
    TColor light = ColorToRGB(clBtnHighlight), dark = ColorToRGB(clBtnShadow), face = ColorToRGB(clBtnFace);
    struct Probe {
        TPanel* panel;
        int x, y;
        TColor expected;
    };
    const Probe probes[] = {
        {panel, 0, 0, light},  {panel, 0, 38, light},     {panel, 0, 39, dark},  {panel, 118, 0, light},
        {panel, 119, 0, dark}, {panel, 119, 39, dark},    {panel, 1, 1, face},   {panel, 60, 20, face},
        {lowered, 0, 0, dark}, {lowered, 119, 39, light}, {lowered, 1, 1, face},
    };
    for (const Probe& p : probes)
        EXPECT_EQ(ShownPixel(p.panel, p.x, p.y), p.expected) << p.x << "," << p.y;
    // The caption: ink in the middle rows, none near the top and bottom bevels.
    TBitmap b;
    Render(lowered, &b);
    int inkTop = 40, inkBottom = -1, inkLeft = 120, inkRight = -1;
    for (int y = 0; y < 40; ++y)
        for (int x = 2; x < 118; ++x)
            if (b.Canvas()->Pixels(x, y) == clBlack) {
                inkTop = std::min(inkTop, y);
                inkBottom = std::max(inkBottom, y);
                inkLeft = std::min(inkLeft, x);
                inkRight = std::max(inkRight, x);
            }
    ASSERT_GE(inkBottom, 0);
    EXPECT_NEAR((inkTop + inkBottom) / 2.0, 19.5, 3);
    EXPECT_NEAR((inkLeft + inkRight) / 2.0, 59.5, 2);
}

namespace {
// Paints every pixel itself: never erases, invalidates instead (as the offscreen surface does),
// claims the arrow keys through CM_WANTCONTROLKEY and records focus notices.
class TNoErase : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    int paints = 0;
    int erases = 0;
    std::vector<TWinControl*> focusNotices;

protected:
    void Paint() override {
        ++paints;
        Canvas()->Brush()->SetColor(clNavy);
        Canvas()->FillRect(ClientRect());
    }
    void WMEraseBkgnd(TWMEraseBkgnd& m) override {
        ++erases;
        TRect r = ClientRect();
        InvalidateRect(Handle(), &r, false);
        m.SetResult(1);
    }
    void CMWantSpecialKey(TCMWantSpecialKey& m) override {
        m.SetResult(m.CharCode() >= VK_LEFT && m.CharCode() <= VK_DOWN ? 1 : 0);
    }
    void CMFocusChanged(TCMFocusChanged& m) override {
        focusNotices.push_back(m.Sender());
        TCustomControl::CMFocusChanged(m);
    }
};
} // namespace

TEST(Controls, AnEraseHandlerThatInvalidatesInsteadCostsNoSecondPaint) {
    Shown s;
    auto* c = new TNoErase(s.form.get());
    c->SetBounds(0, 0, 80, 60);
    c->SetParent(s.form.get());
    s.Show();
    Pump(20);
    EXPECT_EQ(c->erases, 1);
    EXPECT_EQ(c->paints, 1);
    c->SetBounds(0, 0, 120, 60); // a new size erases and paints once more
    Pump(20);
    EXPECT_EQ(c->erases, 2);
    EXPECT_EQ(c->paints, 2);
    EXPECT_EQ(ShownPixel(c, 119, 59), clNavy);
}

TEST(Controls, EveryControlOfTheFormHearsWhereTheFocusWent) {
    Log log;
    Shown s;
    auto* watcher = new TNoErase(s.form.get());
    watcher->SetBounds(0, 0, 50, 50);
    watcher->SetParent(s.form.get());
    auto* p = new TProbe(s.form.get(), log);
    p->SetBounds(60, 0, 50, 50);
    p->SetTabStop(true);
    p->SetParent(s.form.get());
    auto* q = new TProbe(s.form.get(), log);
    q->SetBounds(120, 0, 50, 50);
    q->SetTabStop(true);
    q->SetParent(s.form.get());
    s.Show();
    watcher->focusNotices.clear();
    q->SetFocus();
    Pump();
    EXPECT_EQ(watcher->focusNotices, std::vector<TWinControl*>{q});
    // The arrows it claims reach it; the form does not navigate with them.
    watcher->SetTabStop(true);
    watcher->SetFocus();
    Pump();
    log.clear();
    PressKey(watcher, VK_RIGHT);
    EXPECT_TRUE(watcher->Focused());
}

TEST(Controls, AnExceptionInAHandlerIsReportedAndTheLoopGoesOn) {
    Shown s;
    auto* p = new TPanel(s.form.get());
    p->SetBounds(0, 0, 100, 100);
    p->SetParent(s.form.get());
    int clicks = 0;
    p->SetOnClick([&](TObject*) {
        ++clicks;
        throw Exception("Handler failed");
    });
    s.Show();
    std::vector<String> shown;
    TShowMessageHandler old = SetShowMessageHandler([&](const String& m) { shown.push_back(m); });
    Click(p, 10, 10);
    Click(p, 10, 10);
    SetShowMessageHandler(old);
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(shown, (std::vector<String>{"Handler failed", "Handler failed"}));
}

TEST(Controls, BadRequestsAreRefusedOrClamped) {
    TPanel a(nullptr);
    auto* b = new TPanel(&a);
    b->SetParent(&a);
    auto* c = new TPanel(&a);
    c->SetParent(b);
    EXPECT_THROW(a.SetParent(c), Exception);
    EXPECT_THROW(a.SetParent(&a), Exception);
    EXPECT_EQ(c->Parent(), b);
    EXPECT_EQ(a.Controls(-1), nullptr);
    EXPECT_EQ(a.Controls(1), nullptr);
    EXPECT_EQ(a.Controls(0), b);
    c->SetBounds(5, 5, -10, -20);
    EXPECT_EQ(c->BoundsRect(), TRect(5, 5, 5, 5));
    auto* d = new TPanel(&a);
    d->SetParent(&a);
    d->SetTabOrder(99);
    EXPECT_EQ(d->TabOrder(), 1);
    d->SetTabOrder(-5);
    EXPECT_EQ(d->TabOrder(), 0);
    EXPECT_EQ(FindControl(nullptr), nullptr);
    EXPECT_EQ(GetDC(nullptr), nullptr);
    EXPECT_FALSE(InvalidateRect(nullptr, nullptr, true));
    EXPECT_EQ(ReleaseDC(nullptr, nullptr), 0);
    EXPECT_EQ(ShownPixel(&a, 0, 0), CLR_INVALID); // no window yet, nothing shown
}
