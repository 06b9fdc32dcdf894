#include "xoGridEngineTestKit.h"

#include <gtest/gtest.h>

using namespace gridtest;

namespace {
struct Drawn {
    TRect rect;
    TBabCell* cell;
    TBabDrawStateSet state;
};

std::vector<Drawn> DrawAll(TBabGridCell* g, const TRect& r) {
    std::vector<Drawn> out;
    g->Draw(r, [&](const TRect& rect, TBabCell* cell, TBabDrawStateSet state) {
        out.push_back({rect, cell, state});
    });
    return out;
}

std::vector<int> Offsets(TAxisContentList* list) {
    std::vector<int> r;
    for (int k = 0; k < list->VisibleCount(); ++k)
        r.push_back(list->Visibles(k)->AcumSize());
    return r;
}

std::vector<int> OnScreen(TAxisContentList* list) {
    std::vector<int> r;
    for (int k = 0; k < list->VisibleCount(); ++k)
        r.push_back(list->Visibles(k)->ListIndex());
    return r;
}

// Three columns (one fixed) and five rows (one fixed); the cell (2, 2) is a nested grid of two
// columns and three rows. No layouts anywhere, so every leaf is 20 x 20.
struct NestedGrid : ::testing::Test {
    TTestViewer v{false};
    TBabGridCellForViewer* g = nullptr;
    TBabGridCell* nested = nullptr;
    const TRect area{10, 5, 210, 305};
    void SetUp() override {
        g = v.root();
        g->SetOnCreateCell([](TBabGridCell* caller, TAxisContentItem* x, TAxisContentItem* y) {
            return !caller->getGridCell() && x->ListIndex() == 2 && y->ListIndex() == 2 ? babCellTypeGrid
                                                                                        : babCellTypeSimple;
        });
        v.OnInitGrid = [](TTestGridData* d) {
            auto* grid = dynamic_cast<TBabGridCell*>(d->BabCell());
            if (grid && grid->getGridCell()) TTestViewer::Fill(grid, 2, 3);
        };
        TTestViewer::Fill(g, 3, 5, 1, 1);
        nested = dynamic_cast<TBabGridCell*>(g->CellMatris()->getCell(2, 2));
        ASSERT_NE(nested, nullptr);
        g->CalcVisibleArea(area);
    }
};
} // namespace

TEST_F(NestedGrid, LayoutMeasuresTheNestedGridAndPlacesFixedItemsFirst) {
    EXPECT_EQ(Offsets(g->AxisContentListX()), (std::vector<int>{0, 20, 40}));
    EXPECT_EQ(g->AxisContentListX()->Items(2)->CalculatedSize(), 40);
    EXPECT_EQ(Offsets(g->AxisContentListY()), (std::vector<int>{0, 20, 40, 100, 120}));
    EXPECT_EQ(g->AxisContentListY()->Items(2)->CalculatedSize(), 60);
    EXPECT_EQ(g->VisibleColCount(), 3);
    EXPECT_EQ(g->VisibleRowCount(), 5);
    EXPECT_TRUE(g->LastColumnShow());
    EXPECT_TRUE(g->LastRowShow());
    EXPECT_EQ(g->BrokenColumn(), 0);
    EXPECT_EQ(nested->CalculatedWidth(), 40);
    EXPECT_EQ(nested->CalculatedHeight(), 60);
    EXPECT_EQ(g->DrawRect(), area);
}

TEST_F(NestedGrid, DrawWalksColumnsTopToBottomWithNestedCellsAfterTheirCell) {
    std::vector<Drawn> drawn = DrawAll(g, area);
    ASSERT_EQ(drawn.size(), 15u + 6u);
    // Column 0 is fixed, as is row 0.
    EXPECT_EQ(drawn[0].rect, TRect(10, 5, 30, 25));
    EXPECT_TRUE(drawn[0].state.Contains(babFixed));
    EXPECT_TRUE(drawn[5 + 0].state.Contains(babFixed));  // (1, 0)
    EXPECT_FALSE(drawn[5 + 1].state.Contains(babFixed)); // (1, 1)
    // Column 2: rows 0 and 1, the nested grid, its six cells, rows 3 and 4.
    EXPECT_EQ(drawn[12].cell, nested);
    EXPECT_EQ(drawn[12].rect, TRect(50, 45, 90, 105));
    std::vector<TRect> inner;
    for (int k = 13; k < 19; ++k) {
        EXPECT_EQ(drawn[k].cell->getGridCell(), nested);
        EXPECT_FALSE(drawn[k].state.Contains(babFixed));
        inner.push_back(drawn[k].rect);
    }
    EXPECT_EQ(inner, (std::vector<TRect>{{50, 45, 70, 65},
                                         {50, 65, 70, 85},
                                         {50, 85, 70, 105},
                                         {70, 45, 90, 65},
                                         {70, 65, 90, 85},
                                         {70, 85, 90, 105}}));
    EXPECT_EQ(drawn[19].rect, TRect(50, 105, 90, 125));
    EXPECT_EQ(nested->DrawRect(), TRect(50, 45, 90, 105));
    for (const Drawn& d : drawn)
        EXPECT_EQ(d.cell->VisibleRect_Untampered(), d.rect);
}

TEST_F(NestedGrid, HitTestingReachesIntoTheNestedGrid) {
    DrawAll(g, area);
    EXPECT_EQ(g->GridCoordsFromPix(75, 90), TPoint(2, 2));
    EXPECT_EQ(g->CellFromPix(75, 90, false), nested);
    TBabCell* hit = g->CellFromPix(75, 90, true);
    ASSERT_NE(hit, nullptr);
    EXPECT_EQ(hit->getGridCell(), nested);
    EXPECT_EQ(Where(hit), "1,2");
    // Boundaries belong to the first item that touches them.
    EXPECT_EQ(Where(g->CellFromPix(70, 65, true)), "0,0");
    EXPECT_EQ(Where(g->CellFromPix(10, 5, true)), "0,0");
    EXPECT_EQ(g->GridCoordsFromPix(500, 500), TPoint(-1, -1));
    EXPECT_EQ(g->CellFromPix(500, 90, true), nullptr);
    EXPECT_EQ(g->CellFromPix(20, 900, true), nullptr);
}

TEST_F(NestedGrid, RectHooksOfTheViewerApply) {
    g->SetOnCellRectTampering([](TBabGridCell*, TBabCell*, TRect& r) { r.Left += 3; });
    g->SetOnScaleRect([](TRect& r) { r.Right -= 1; });
    std::vector<Drawn> drawn = DrawAll(g, area);
    EXPECT_EQ(drawn[0].rect, TRect(13, 5, 29, 25));
    EXPECT_EQ(drawn[0].cell->VisibleRect_Untampered(), TRect(10, 5, 29, 25));
}

TEST(Layout, FixedRowsStayOnTopWhileTheRestScrolls) {
    TTestViewer v(false);
    TBabGridCellForViewer* g = v.root();
    TTestViewer::Fill(g, 2, 30, 0, 1);
    g->SetTop(10);
    g->CalcVisibleArea(TRect(0, 0, 100, 100));
    EXPECT_EQ(OnScreen(g->AxisContentListY()), (std::vector<int>{0, 10, 11, 12, 13, 14}));
    EXPECT_EQ(Offsets(g->AxisContentListY()), (std::vector<int>{0, 20, 40, 60, 80, 100}));
    EXPECT_EQ(g->VisibleRowCount(), 5); // the row cut by the bottom edge is placed, not counted
    EXPECT_FALSE(g->LastRowShow());
    // SetTop never goes into the fixed rows.
    g->SetTop(0);
    EXPECT_EQ(g->Top(), 1);
}

TEST(Layout, ACutColumnIsCountedAndACutRowIsNot) {
    TTestViewer v(false);
    TBabGridCellForViewer* g = v.root();
    TTestViewer::Fill(g, 5, 5);
    g->CalcVisibleArea(TRect(0, 0, 50, 90));
    EXPECT_EQ(g->VisibleColCount(), 3);
    EXPECT_EQ(g->BrokenColumn(), 2);
    EXPECT_FALSE(g->LastColumnShow());
    EXPECT_EQ(g->VisibleRowCount(), 4);
    EXPECT_FALSE(g->LastRowShow());
    std::vector<Drawn> drawn = DrawAll(g, TRect(0, 0, 50, 90));
    ASSERT_EQ(drawn.size(), 15u);
    EXPECT_EQ(drawn[4].rect, TRect(0, 80, 20, 90));   // clipped at the bottom
    EXPECT_EQ(drawn[14].rect, TRect(40, 80, 50, 90)); // and at the right
}

TEST(Layout, RowHeightIsTheLargestDemandWithUserSizesNeverBelowTheMinimum) {
    struct Case {
        bool active;
        int userSize;
        int height;
    };
    for (const Case& c : std::vector<Case>{{false, 0, 35}, {true, 10, 20}, {true, 50, 50}}) {
        TTestViewer v(false);
        TBabGridCellForViewer* g = v.root();
        TLayoutProp layout;
        layout.MinHeight = 20;
        layout.MinWidth = 30;
        v.OnInitSimple = [&](TTestSimpleData* d) { d->BabCell()->SetLayoutProp(&layout); };
        TTestViewer::Fill(g, 3, 1);
        g->CellMatris()->getCell(1, 0)->SetCurrentHeight(35);
        TAxisContentItem* row = g->AxisContentListY()->Items(0);
        row->SetUserSizeActive(c.active);
        row->SetUserSize(c.userSize);
        g->CalcVisibleArea(TRect(0, 0, 300, 300));
        EXPECT_EQ(row->CalculatedSize(), c.height) << c.active << " " << c.userSize;
        EXPECT_EQ(g->AxisContentListX()->Items(0)->CalculatedSize(), 30);
    }
}

TEST(Layout, RowHeightsAreMeasuredAfreshEvenWhenTheFirstColumnIsHidden) {
    TTestViewer v(false);
    TBabGridCellForViewer* g = v.root();
    TTestViewer::Fill(g, 3, 3);
    g->AxisContentListX()->Items(0)->SetHide(true);
    TAxisContentItem* row = g->AxisContentListY()->Items(1);
    row->SetUserSizeActive(true);
    row->SetUserSize(50);
    g->CalcVisibleArea(TRect(0, 0, 300, 300));
    EXPECT_EQ(row->CalculatedSize(), 50);
    row->SetUserSizeActive(false);
    g->CalcVisibleArea(TRect(0, 0, 300, 300));
    EXPECT_EQ(row->CalculatedSize(), 20);
    EXPECT_EQ(OnScreen(g->AxisContentListX()), (std::vector<int>{1, 2}));
    EXPECT_EQ(g->AxisContentListX()->Items(1)->AcumSize(), 0);
    EXPECT_EQ(g->AxisContentListX()->Items(0)->CalculatedSize(), 0);
}

TEST(Layout, WrappedTextIsMeasuredByTheViewerOnEveryPass) {
    TTestViewer v(false);
    TBabGridCellForViewer* g = v.root();
    TLayoutProp wrap;
    wrap.WrapTextAndFit = true;
    wrap.MinHeight = 20;
    wrap.MinWidth = 20;
    int measured = 0;
    g->SetOnMeasureHeight([&](TBabGridCell* caller, TBabCell*, int& height) {
        EXPECT_EQ(caller, g);
        ++measured;
        height = 47;
    });
    v.OnInitSimple = [&](TTestSimpleData* d) { d->BabCell()->SetLayoutProp(&wrap); };
    TTestViewer::Fill(g, 1, 2);
    g->CalcVisibleArea(TRect(0, 0, 100, 100));
    EXPECT_EQ(measured, 2);
    EXPECT_EQ(g->AxisContentListY()->Items(0)->CalculatedSize(), 47);
    EXPECT_EQ(g->CellMatris()->getCell(0, 0)->MinHeight(), 47); // cached, not measured again
    EXPECT_EQ(measured, 2);
    g->CalcVisibleArea(TRect(0, 0, 100, 100));
    EXPECT_EQ(measured, 4);
}

TEST(Layout, ZeroSizedItemsDoNotMakeAPassWalkTheWholeAxis) {
    TTestViewer v;
    TBabGridCellForViewer* g = v.root();
    TLayoutProp flat; // MinHeight 0
    v.OnInitSimple = [&](TTestSimpleData* d) { d->BabCell()->SetLayoutProp(&flat); };
    g->AxisContentListX()->AddNew(nullptr);
    g->AxisContentListY()->AddUnloaded(1000000);
    g->CalcVisibleArea(TRect(0, 0, 100, 100));
    EXPECT_LE(g->AxisContentListY()->VisibleCount(), 101);
    EXPECT_LE(int(v.LoadedIndices.size()), 101);
}

TEST(Layout, EqualCellsMergeIntoOneRectangleWithTheLowestAsMaster) {
    TTestViewer v(false);
    TBabGridCellForViewer* g = v.root();
    TTestViewer::Fill(g, 3, 6);
    g->SetOnCheckCellGrouping([](TBabCell* a, TBabCell* b) {
        const int x = a->AxisContentItemX()->ListIndex(), ya = a->AxisContentItemY()->ListIndex();
        const int yb = b->AxisContentItemY()->ListIndex();
        return x == 1 && ya >= 1 && yb <= 3;
    });
    TCellMatris* m = g->CellMatris();
    m->getCell(1, 1)->SetSelected(true);
    g->CalcVisibleArea(TRect(0, 0, 300, 300));
    std::vector<Drawn> drawn = DrawAll(g, TRect(0, 0, 300, 300));
    std::vector<Drawn> column1(drawn.begin() + 6, drawn.begin() + 12);
    EXPECT_EQ(column1[1].rect, TRect(20, 20, 40, 40));
    EXPECT_EQ(column1[2].rect, TRect(20, 20, 40, 60));
    EXPECT_EQ(column1[3].rect, TRect(20, 20, 40, 80));   // the master's drawing covers the group
    EXPECT_TRUE(column1[3].state.Contains(babSelected)); // the group keeps its first cell's state
    EXPECT_EQ(column1[4].rect, TRect(20, 80, 40, 100));
    for (int y : {1, 2, 3}) {
        EXPECT_TRUE(m->getCell(1, y)->IsGroupedCell());
        EXPECT_EQ(m->getCell(1, y)->IsMasterGroupCell(), y == 3);
        EXPECT_EQ(m->getCell(1, y)->GetGroupMaster(), m->getCell(1, 3));
        EXPECT_EQ(g->CellFromPix(30, 20 * y + 10, true), m->getCell(1, 3));
    }
    EXPECT_FALSE(m->getCell(1, 4)->IsGroupedCell());
    EXPECT_FALSE(m->getCell(0, 2)->IsGroupedCell());
}
