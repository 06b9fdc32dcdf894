// Drawing: the selection of entities, grid lines and fonts per node, probed at the pixels of
// each node's rectangle.
#include "TreeTestKit.h"

using namespace treetest;
using namespace xo::test;

namespace {
using TreeDrawing = TreeFixture;

int DarkPixels(TControl* c, const TRect& r) {
    int n = 0;
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x)
            if (GetRValue(ShownPixel(c, x, y)) < 100) ++n;
    return n;
}
} // namespace

TEST_F(TreeDrawing, SelectedEntitiesAreHighlightedWhetherNativelySelectedOrNot) {
    tree->SetMultiSelect(true);
    TxoDataEntity_Tree* a = Add(nullptr, "Alpha");
    TxoDataEntity_Tree* b = Add(nullptr, "Beta");
    TxoDataEntity_Tree* c = Add(nullptr, "Gamma");
    Paint();
    ClickOn(a);
    ClickOn(c, {ssShift});
    ASSERT_TRUE(tree->Focused());
    for (TxoDataEntity_Tree* e : {a, b, c}) {
        TRect r = tree->GetRect(e);
        EXPECT_EQ(ShownPixel(tree, r.Left + 1, (r.Top + r.Bottom) / 2), ColorToRGB(clHighlight)) << e->Text();
    }
    // An entity that is not selected shows in the control's colour even when it is the
    // native selection.
    b->SetSelected(false);
    Paint();
    TRect rb = tree->GetRect(b);
    EXPECT_EQ(ShownPixel(tree, rb.Left + 1, (rb.Top + rb.Bottom) / 2), ColorToRGB(tree->Color()));
    // Without the focus the selection shows in button face.
    TxoTree other(form.get());
    other.SetParent(form.get());
    other.SetBounds(0, 295, 10, 10);
    other.SetFocus();
    Paint();
    ASSERT_FALSE(tree->Focused());
    TRect ra = tree->GetRect(a);
    EXPECT_EQ(ShownPixel(tree, ra.Left + 1, (ra.Top + ra.Bottom) / 2), ColorToRGB(clBtnFace));
}

TEST_F(TreeDrawing, GridLinesRunFromTheTextToTheRowsRightEdge) {
    TxoDataEntity_Tree* a = Add(nullptr, "Alpha");
    TxoDataEntity_Tree* b = Add(nullptr, "Beta");
    tree->SetDrawGridLines(true);
    Paint();
    const TColor line = ColorToRGB(clBtnShadow);
    TRect ra = tree->GetRect(a), rb = tree->GetRect(b);
    const int right = tree->ClientWidth() - 1;
    // The first node has no line on top; every node has one at its bottom; the others on top.
    EXPECT_NE(ShownPixel(tree, ra.Left + 2, ra.Top), line);
    EXPECT_EQ(ShownPixel(tree, ra.Left, ra.Bottom - 1), line);
    EXPECT_EQ(ShownPixel(tree, right, ra.Bottom - 1), line);
    EXPECT_EQ(ShownPixel(tree, rb.Left, rb.Top), line);
    EXPECT_EQ(ShownPixel(tree, right, rb.Top), line);
    EXPECT_NE(ShownPixel(tree, rb.Left - 3, rb.Top), line); // not left of the text
    tree->SetDrawGridLines(false);
    Paint();
    EXPECT_NE(ShownPixel(tree, rb.Left + 2, rb.Top), line);
}

TEST_F(TreeDrawing, AnEntitysFontStyleShowsInItsNode) {
    TxoDataEntity_Tree* a = Add(nullptr, "Work package");
    TxoDataEntity_Tree* b = Add(nullptr, "Work package");
    Paint();
    TRect ra = tree->GetRect(a), rb = tree->GetRect(b);
    const int plain = DarkPixels(tree, ra);
    EXPECT_EQ(DarkPixels(tree, rb), plain);
    b->SetFontStyle({fsBold});
    Paint();
    EXPECT_GT(DarkPixels(tree, rb), plain);
    EXPECT_EQ(DarkPixels(tree, ra), plain);
}
