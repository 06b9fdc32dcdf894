#include "xoGridEngineTestKit.h"

#include <gtest/gtest.h>

using namespace gridtest;

namespace {
// Four columns and six rows (one fixed row); the cell (1, 1) is a nested grid of three columns
// and two rows.
struct FocusGrid : ::testing::Test {
    TTestViewer v{false};
    TBabGridCellForViewer* g = nullptr;
    TBabGridCell* nested = nullptr;
    void SetUp() override {
        g = v.root();
        g->SetOnCreateCell([](TBabGridCell* caller, TAxisContentItem* x, TAxisContentItem* y) {
            return !caller->getGridCell() && x->ListIndex() == 1 && y->ListIndex() == 1 ? babCellTypeGrid
                                                                                        : babCellTypeSimple;
        });
        v.OnInitGrid = [](TTestGridData* d) {
            auto* grid = dynamic_cast<TBabGridCell*>(d->BabCell());
            if (grid && grid->getGridCell()) TTestViewer::Fill(grid, 3, 2);
        };
        TTestViewer::Fill(g, 4, 6, 0, 1);
        nested = dynamic_cast<TBabGridCell*>(g->CellMatris()->getCell(1, 1));
        ASSERT_NE(nested, nullptr);
        g->CalcVisibleArea(TRect(0, 0, 400, 400));
    }
    TBabCell* cell(int x, int y) { return g->CellMatris()->getCell(x, y); }
    TBabCell* inner(int x, int y) { return nested->CellMatris()->getCell(x, y); }
    // What the view does on a key: move to the neighbour and focus it.
    TBabCell* Key(TBabDirection d) {
        TBabCell* target = g->FindNeighbourCell(g->FocusedCell(), d, true);
        if (target) g->SetFocusedCell(target);
        return target;
    }
};
} // namespace

TEST_F(FocusGrid, FocusingANestedCellFocusesThePathAndReachesTheRoot) {
    v.FocusChanges = 0;
    g->SetFocusedCell(inner(2, 0));
    EXPECT_EQ(g->FocusedCell(), nested);
    EXPECT_EQ(nested->FocusedCell(), inner(2, 0));
    EXPECT_EQ(g->FocusedCellDownTrack(), inner(2, 0));
    EXPECT_GE(v.FocusChanges, 2); // the nested grid's change reaches the root's event
    // Moving the focus to a plain cell clears the nested grid's own focus.
    g->SetFocusedCell(cell(3, 3));
    EXPECT_EQ(nested->FocusedCell(), nullptr);
    EXPECT_EQ(g->FocusedCellDownTrack(), cell(3, 3));
    // Fixed cells and foreign cells do not take the focus.
    g->SetFocusedCell(cell(0, 0));
    EXPECT_EQ(g->FocusedCell(), nullptr);
    TTestViewer other(false);
    TTestViewer::Fill(other.root(), 1, 1);
    g->SetFocusedCell(cell(2, 2));
    g->SetFocusedCell(other.root()->CellMatris()->getCell(0, 0));
    EXPECT_EQ(g->FocusedCell(), cell(2, 2));
}

TEST_F(FocusGrid, FocusMovesThroughTheNestedGrid) {
    g->SetFocusedCell(cell(0, 1));
    EXPECT_EQ(Key(babdirRight), nested); // the nested grid is one cell until entered
    EXPECT_EQ(Key(babdirInwards), inner(0, 0));
    EXPECT_EQ(g->FocusedCellDownTrack(), inner(0, 0));
    EXPECT_EQ(Key(babdirRight), inner(1, 0));
    EXPECT_EQ(Key(babdirDown), inner(1, 1));
    EXPECT_EQ(Key(babdirRight), inner(2, 1));
    // Right from the last column of the nested grid moves right of its cell in the parent.
    EXPECT_EQ(Key(babdirRight), cell(2, 1));
    EXPECT_EQ(nested->FocusedCell(), nullptr);
    EXPECT_EQ(Key(babdirLeft), nested);
    // Entered again (its focus was cleared on leaving, so at its first cell); down and out.
    EXPECT_EQ(Key(babdirInwards), inner(0, 0));
    EXPECT_EQ(Key(babdirDown), inner(0, 1));
    EXPECT_EQ(Key(babdirDown), cell(1, 2));
    // Up into the nested grid and in; up again finds no row above it in the root (row 0 is
    // fixed), so the target is the nested grid's own cell, which already has the focus.
    EXPECT_EQ(Key(babdirUp), nested);
    EXPECT_EQ(Key(babdirInwards), inner(0, 0));
    EXPECT_EQ(Key(babdirUp), nested);
    EXPECT_EQ(g->FocusedCellDownTrack(), inner(0, 0));
}

TEST_F(FocusGrid, StepsInEveryDirection) {
    struct Case {
        TBabDirection d;
        int x, y;
    };
    // From (2, 3), with every row on screen.
    const int page = g->VisibleRowCount() - g->FixedRows();
    ASSERT_EQ(g->VisibleRowCount(), 6);
    for (const Case& c : std::vector<Case>{{babdirLeft, 1, 3},
                                           {babdirRight, 3, 3},
                                           {babdirUp, 2, 2},
                                           {babdirDown, 2, 4},
                                           {babdirPageDown, 2, std::min(3 + page, 5)},
                                           {babdirPageUp, 2, 1},
                                           {babdirHomeRow, 2, 1},
                                           {babdirEndRow, 2, 5},
                                           {babdirHomeCell, 0, 3},
                                           {babdirEndCell, 3, 3},
                                           {babdirNone, 2, 3}}) {
        TBabCell* target = g->FindNeighbourCell(cell(2, 3), c.d, true);
        EXPECT_EQ(Where(target), std::to_string(c.x) + "," + std::to_string(c.y)) << int(c.d);
    }
}

TEST(Navigation, PageStepsMoveByTheVisibleRows) {
    TTestViewer v(false);
    TBabGridCellForViewer* g = v.root();
    TTestViewer::Fill(g, 2, 40, 0, 1);
    g->CalcVisibleArea(TRect(0, 0, 100, 110)); // rows 0..4 whole, row 5 cut
    ASSERT_EQ(g->VisibleRowCount(), 5);
    TCellMatris* m = g->CellMatris();
    EXPECT_EQ(Where(g->FindNeighbourCell(m->getCell(0, 10), babdirPageDown, true)), "0,14");
    EXPECT_EQ(Where(g->FindNeighbourCell(m->getCell(0, 38), babdirPageDown, true)), "0,39");
    EXPECT_EQ(Where(g->FindNeighbourCell(m->getCell(0, 10), babdirPageUp, true)), "0,6");
    EXPECT_EQ(Where(g->FindNeighbourCell(m->getCell(0, 3), babdirPageUp, true)), "0,1");
    // Before any layout the page is empty: no step at all rather than a step backwards.
    TTestViewer w(false);
    TTestViewer::Fill(w.root(), 1, 10, 0, 2);
    EXPECT_EQ(Where(w.root()->FindNeighbourCell(w.root()->CellMatris()->getCell(0, 5), babdirPageDown, true)),
              "0,5");
    EXPECT_EQ(Where(w.root()->FindNeighbourCell(w.root()->CellMatris()->getCell(0, 5), babdirPageUp, true)),
              "0,5");
}

TEST(Navigation, HiddenRowsAndColumnsAreSteppedOver) {
    TTestViewer v(false);
    TBabGridCellForViewer* g = v.root();
    TTestViewer::Fill(g, 4, 8);
    TAxisContentList* Y = g->AxisContentListY();
    TCellMatris* m = g->CellMatris();
    Y->Items(3)->SetHide(true);
    Y->Items(4)->SetHide(true);
    EXPECT_EQ(Where(g->FindNeighbourCell(m->getCell(0, 2), babdirDown, true)), "0,5");
    EXPECT_EQ(Where(g->FindNeighbourCell(m->getCell(0, 5), babdirUp, true)), "0,2");
    // Hidden rows up to the end: the focus stays where it was.
    Y->Items(6)->SetHide(true);
    Y->Items(7)->SetHide(true);
    EXPECT_EQ(Where(g->FindNeighbourCell(m->getCell(0, 5), babdirDown, true)), "0,5");
    EXPECT_EQ(Where(g->FindNeighbourCell(m->getCell(0, 5), babdirEndRow, true)), "0,5");
    // The same for columns.
    g->AxisContentListX()->Items(3)->SetHide(true);
    EXPECT_EQ(Where(g->FindNeighbourCell(m->getCell(2, 0), babdirRight, true)), "2,0");
    g->AxisContentListX()->Items(1)->SetHide(true);
    EXPECT_EQ(Where(g->FindNeighbourCell(m->getCell(0, 0), babdirRight, true)), "2,0");
}

TEST(Navigation, MergedCellsAreOneStop) {
    TTestViewer v(false);
    TBabGridCellForViewer* g = v.root();
    TTestViewer::Fill(g, 2, 6);
    g->SetOnCheckCellGrouping([](TBabCell* a, TBabCell* b) {
        return a->AxisContentItemY()->ListIndex() >= 1 && b->AxisContentItemY()->ListIndex() <= 3;
    });
    g->CalcVisibleArea(TRect(0, 0, 200, 200));
    g->Draw(TRect(0, 0, 200, 200), [](const TRect&, TBabCell*, TBabDrawStateSet) {});
    TCellMatris* m = g->CellMatris();
    EXPECT_EQ(Where(g->FindNeighbourCell(m->getCell(0, 0), babdirDown, true)), "0,3");
    EXPECT_EQ(Where(g->FindNeighbourCell(m->getCell(0, 3), babdirDown, true)), "0,4");
    EXPECT_EQ(Where(g->FindNeighbourCell(m->getCell(0, 4), babdirUp, true)), "0,3");
    EXPECT_EQ(Where(g->FindNeighbourCell(m->getCell(0, 3), babdirUp, true)), "0,0");
}

TEST(Selection, ClickShiftAndControl) {
    TTestViewer v(false);
    TBabGridCellForViewer* g = v.root();
    TTestViewer::Fill(g, 4, 6, 1, 1);
    TCellMatris* m = g->CellMatris();
    auto selected = [&] {
        std::string s;
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 4; ++x)
                if (m->getCell(x, y)->Selected()) s += Where(m->getCell(x, y)) + " ";
        return s;
    };
    g->UpdateMultiSelect(m->getCell(1, 1), {});
    EXPECT_EQ(selected(), "1,1 ");
    g->UpdateMultiSelect(m->getCell(2, 3), {ssShift});
    EXPECT_EQ(selected(), "1,1 2,1 1,2 2,2 1,3 2,3 ");
    EXPECT_EQ(g->Anchor(), m->getCell(1, 1));
    g->UpdateMultiSelect(m->getCell(3, 5), {ssCtrl});
    EXPECT_EQ(selected(), "1,1 2,1 1,2 2,2 1,3 2,3 3,5 ");
    EXPECT_EQ(g->Anchor(), m->getCell(3, 5));
    g->UpdateMultiSelect(m->getCell(2, 2), {ssCtrl});
    EXPECT_EQ(selected(), "1,1 2,1 1,2 1,3 2,3 3,5 ");
    EXPECT_EQ(g->Anchor(), m->getCell(2, 2));
    // Shift with control adds the rectangle from the anchor to what is selected.
    g->UpdateMultiSelect(m->getCell(3, 4), {ssShift, ssCtrl});
    EXPECT_EQ(selected(), "1,1 2,1 1,2 2,2 3,2 1,3 2,3 3,3 2,4 3,4 3,5 ");
    g->UpdateMultiSelect(m->getCell(0, 3), {}); // fixed: nothing
    EXPECT_EQ(selected(), "1,1 2,1 1,2 2,2 3,2 1,3 2,3 3,3 2,4 3,4 3,5 ");
    // Without MultiSelect both modifiers are ignored.
    g->SetMultiSelect(false);
    g->UpdateMultiSelect(m->getCell(1, 5), {ssShift});
    EXPECT_EQ(selected(), "1,5 ");
}

TEST(Selection, RowSelectTakesTheWholeRowAndTellsTheViewer) {
    TTestViewer v(false);
    TBabGridCellForViewer* g = v.root();
    TTestViewer::Fill(g, 4, 3, 1, 0);
    std::vector<std::string> before;
    g->SetOnInternalSelectionChanged([&](TBabGridCell* caller, TBabCell* c, bool value) {
        EXPECT_EQ(caller, g);
        EXPECT_NE(c->Selected(), value); // told before the change
        before.push_back(Where(c));
    });
    std::vector<TObject*> messages;
    TSingleEventListener l(
        g->SelectionChangeEvent(),
        [&](TSingleEventListener* me) { messages.push_back(me->CallingMessage()); }, false);
    g->SetRowSelect(true);
    TBabCell* c = g->CellMatris()->getCell(2, 1);
    c->SetSelected(true);
    EXPECT_EQ(before, (std::vector<std::string>{"2,1", "1,1", "3,1"}));
    EXPECT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages.back(), c);
    EXPECT_FALSE(g->CellMatris()->getCell(0, 1)->Selected()); // the fixed column is not part of the row
    c->SetSelected(true);                                     // unchanged: nothing
    EXPECT_EQ(messages.size(), 3u);
}
