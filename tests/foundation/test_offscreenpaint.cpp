#include "foundation/xoOffscreenPaint.h"
#include "platform/plForms.h"
#include "platform/plPrinters.h"
#include "platform/plTestInput.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace xo::test;

namespace {
// A surface that records what the paint hook saw and the scroll requests.
class Probe : public TxoOffscreenPaint {
public:
    explicit Probe(TComponent* owner) : TxoOffscreenPaint(owner) {}
    int paints = 0;
    bool raiseInPaint = false;
    TColor fill = clRed;
    std::vector<TScrollDirection> scrolls;
    // What the hook saw during the latest paint.
    bool sawPrinting = false;
    TCanvas* sawCanvas = nullptr;
    int sawWidth = 0;
    double sawScalex = 0;

    void OffscreenPaint() override {
        ++paints;
        sawPrinting = IsPrinting();
        sawCanvas = OffscreenCanvas();
        sawWidth = Width();
        sawScalex = Scalex();
        TCanvas* c = OffscreenCanvas();
        c->Brush()->SetColor(fill);
        // Views scale their own geometry by Scalex/Scaley, so print and screen share this code.
        c->FillRect(TRect(0, 0, int(Round(Width())), int(Round(Height()))));
        c->Brush()->SetColor(clBlue);
        c->FillRect(TRect(0, 0, int(Round(10 * Scalex())), int(Round(10 * Scaley()))));
        TxoOffscreenPaint::OffscreenPaint();
        if (raiseInPaint) throw Exception("paint failed");
    }
    void PossibleScroll(TScrollDirection d) override { scrolls.push_back(d); }
};

struct Fixture : ::testing::Test {
    std::unique_ptr<TForm> form;
    Probe* view = nullptr;
    void SetUp() override {
        form = std::make_unique<TForm>(nullptr);
        form->SetBounds(0, 0, 300, 200);
        view = new Probe(form.get());
        view->SetParent(form.get());
        view->SetBounds(10, 10, 200, 100);
        ShowForm(form.get());
        Pump();
    }
    void TearDown() override {
        ReleaseButtons();
        form.reset();
    }
};
using OffscreenPaint = Fixture;
} // namespace

TEST_F(OffscreenPaint, FiveInvalidationsPassOneUntilThePaint) {
    int passed = view->InvalidationsPassed();
    int paints = view->paints;
    for (int i = 0; i < 5; ++i) view->Invalidate();
    EXPECT_EQ(view->InvalidationsPassed(), passed + 1);
    Pump();
    EXPECT_EQ(view->paints, paints + 1);
    view->Invalidate();
    EXPECT_EQ(view->InvalidationsPassed(), passed + 2);
    Pump();
    EXPECT_EQ(view->paints, paints + 2);
}

TEST_F(OffscreenPaint, TheCopyLeavesTheScrollBarCornerInButtonFace) {
    view->SetHorzInset(17);
    view->SetVertInset(17);
    view->Invalidate();
    Pump();
    const TColor face = ColorToRGB(clBtnFace);
    EXPECT_EQ(ShownPixel(view, 182, 82), ColorToRGB(clRed)); // last pixel of the copied area
    EXPECT_EQ(ShownPixel(view, 5, 5), ColorToRGB(clBlue));
    EXPECT_EQ(ShownPixel(view, 183, 83), face);
    EXPECT_EQ(ShownPixel(view, 199, 99), face);

    view->SetVertInset(0);
    view->fill = clLime;
    view->Invalidate();
    Pump();
    EXPECT_EQ(ShownPixel(view, 182, 90), ColorToRGB(clLime)); // the copy now reaches the bottom
    EXPECT_NE(ShownPixel(view, 190, 10), ColorToRGB(clLime)); // the inset strip is not copied
}

TEST_F(OffscreenPaint, RepaintWaitsForTheUpdateAndEndUpdateAlwaysInvalidates) {
    int paints = view->paints;
    view->BeginUpdate();
    view->BeginUpdate();
    view->Repaint();
    EXPECT_EQ(view->paints, paints);
    int passed = view->InvalidationsPassed();
    view->EndUpdate(); // still updating, yet it invalidates
    EXPECT_EQ(view->UpdateCount(), 1);
    EXPECT_EQ(view->InvalidationsPassed(), passed + 1);
    view->EndUpdate();
    Pump();
    EXPECT_EQ(view->paints, paints + 1);
    view->Repaint();
    EXPECT_EQ(view->paints, paints + 2);
}

TEST_F(OffscreenPaint, DraggingNearAnEdgeAsksToScrollThatWay) {
    view->SetVertInset(17);
    view->SetHorzInset(17);
    auto* source = new TPanel(form.get());
    source->SetParent(form.get());
    source->SetBounds(220, 120, 60, 60);
    source->SetDragMode(dmAutomatic);
    Pump();
    struct Case {
        int x, y;
        std::vector<TScrollDirection> want;
    } cases[] = {
        {100, 3, {tsdUp}},
        {100, 100 - 17 - 3, {tsdDown}},
        {3, 50, {tsdLeft}},
        {200 - 17 - 3, 50, {tsdRight}},
        {100, 50, {}},
    };
    for (auto& c : cases) {
        view->scrolls.clear();
        MouseDown(source, mbLeft, 10, 10);
        MouseMove(source, 30, 30); // past the drag threshold
        MouseMove(view, c.x, c.y);
        MouseUp(view, mbLeft, c.x, c.y);
        // Every drag-over notice near an edge asks for that edge's direction.
        EXPECT_EQ(view->scrolls.empty(), c.want.empty()) << c.x << "," << c.y;
        for (TScrollDirection d : view->scrolls) EXPECT_EQ(d, c.want.front()) << c.x << "," << c.y;
    }
}

TEST_F(OffscreenPaint, PrintPaintsOnThePrinterAtTheOriginAndScale) {
    TImagePrinter page(600, 400, 96);
    view->Print(page.Handle(), 50, 40, 2.0, 2.0, true);
    EXPECT_TRUE(view->sawPrinting);
    EXPECT_NE(view->sawCanvas, nullptr);
    EXPECT_EQ(view->sawWidth, 400); // laid out at the printed size
    EXPECT_EQ(view->sawScalex, 2.0);
    // The blue 10x10 square of the view is 20x20 at (50, 40) on paper.
    EXPECT_EQ(page.Pixels(50, 40), ColorToRGB(clBlue));
    EXPECT_EQ(page.Pixels(69, 59), ColorToRGB(clBlue));
    EXPECT_EQ(page.Pixels(70, 59), ColorToRGB(clRed));
    // Clipped to the printed bounds: nothing left of or above the origin.
    EXPECT_EQ(page.Pixels(49, 40), clWhite);
    EXPECT_EQ(page.Pixels(50 + 400, 60), clWhite);
    // Afterwards: screen bounds, no printing, the bitmap's canvas again.
    EXPECT_EQ(view->BoundsRect(), TRect(10, 10, 210, 110));
    EXPECT_FALSE(view->IsPrinting());
    EXPECT_FALSE(view->AssignedPrintingCanvas());
    TPoint origin;
    GetViewportOrgEx(page.Handle(), &origin);
    EXPECT_EQ(origin, TPoint(0, 0));
    HRGN probe = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetClipRgn(page.Handle(), probe), 0);
    DeleteObject(probe);
}

TEST_F(OffscreenPaint, PrintAtScaleZeroPaintsAtScaleOne) {
    TImagePrinter page(400, 300, 96);
    view->Print(page.Handle(), 0, 0, 0.0, 0.0, true);
    EXPECT_EQ(view->sawScalex, 1.0);
    EXPECT_EQ(view->sawWidth, 200);
    EXPECT_EQ(page.Pixels(9, 9), ColorToRGB(clBlue));
    EXPECT_EQ(page.Pixels(10, 9), ColorToRGB(clRed));
}

TEST_F(OffscreenPaint, AFailingPaintStillRestoresBoundsOriginClipAndState) {
    TImagePrinter page(600, 400, 96);
    HRGN callerClip = CreateRectRgn(0, 0, 500, 300);
    SelectClipRgn(page.Handle(), callerClip);
    SetViewportOrgEx(page.Handle(), 7, 8);
    view->raiseInPaint = true;
    EXPECT_THROW(view->Print(page.Handle(), 20, 20, 3.0, 3.0, true), Exception);
    EXPECT_EQ(view->BoundsRect(), TRect(10, 10, 210, 110));
    EXPECT_FALSE(view->IsPrinting());
    EXPECT_FALSE(view->AssignedPrintingCanvas());
    TPoint origin;
    GetViewportOrgEx(page.Handle(), &origin);
    EXPECT_EQ(origin, TPoint(7, 8));
    HRGN now = CreateRectRgn(0, 0, 0, 0);
    ASSERT_EQ(GetClipRgn(page.Handle(), now), 1);
    TRect box;
    GetRgnBox(now, &box);
    EXPECT_EQ(box, TRect(0, 0, 500, 300));
    DeleteObject(now);
    DeleteObject(callerClip);
    // The screen is painted again once printing ends.
    view->raiseInPaint = false;
    int paints = view->paints;
    Pump();
    EXPECT_EQ(view->paints, paints + 1);
}

TEST_F(OffscreenPaint, PrintResizeFontScalesOnlyWhilePrinting) {
    view->OffscreenCanvas()->Font()->SetSize(10);
    view->PrintResizeFont();
    EXPECT_EQ(view->OffscreenCanvas()->Font()->Size(), 10);

    // On a 300 dpi page at the matching scale, text keeps its size relative to the geometry:
    // 10 points stay 10 points (which the device draws 300/96 times taller).
    TImagePrinter page(2000, 1200, 300);
    int printedSize = 0, chosenSize = 0;
    view->SetOnPaint([&](TObject*) {
        TCanvas* c = view->OffscreenCanvas();
        c->Font()->SetSize(10);
        view->PrintResizeFont();
        printedSize = c->Font()->Size();
    });
    view->Print(page.Handle(), 0, 0, 300.0 / 96, 300.0 / 96, true);
    EXPECT_NEAR(printedSize, 10, 1);
    EXPECT_NEAR(view->PrintFontscale(), 96.0 / 300, 0.05);

    view->SetOnPrintResizeFont([&](TxoOffscreenPaint*, int& size, bool& dflt) {
        size = 42;
        dflt = false;
    });
    view->SetOnPaint([&](TObject*) {
        view->OffscreenCanvas()->Font()->SetSize(10);
        view->PrintResizeFont();
        chosenSize = view->OffscreenCanvas()->Font()->Size();
    });
    view->Print(page.Handle(), 0, 0, 1, 1, false);
    EXPECT_EQ(chosenSize, 42);
}

TEST(OffscreenPaintFontScale, EightPointsAreThirteenPixelsOnScreen) {
    TBitmap b(10, 10);
    EXPECT_NEAR(TxoOffscreenPaint::GetFontScale(b.Canvas()), 1.0, 0.1);
    EXPECT_EQ(TxoOffscreenPaint::GetFontScale(nullptr), 1.0);
}
