#include "xoGridEngineTestKit.h"

#include <gtest/gtest.h>

using namespace gridtest;

namespace {
// A grid whose rows and columns carry tags; each leaf's text says which column and row it was
// created for, so a misplaced cell shows at once.
struct TaggedGrid : ::testing::Test {
    TTestViewer v{false};
    TBabGridCellForViewer* g = nullptr;
    std::vector<std::unique_ptr<TTag>> tags;
    int inits = 0;

    TTag* NewTag() {
        tags.push_back(std::make_unique<TTag>(int(tags.size())));
        return tags.back().get();
    }
    static int Id(TAxisContentItem* item) {
        return item && item->Value() ? static_cast<TTag*>(item->Value())->Id : -1;
    }
    void SetUp() override {
        g = v.root();
        v.OnInitSimple = [this](TTestSimpleData* d) {
            ++inits;
            d->Text =
                std::to_string(Id(d->AxisContentItemX())) + ":" + std::to_string(Id(d->AxisContentItemY()));
        };
        for (int i = 0; i < 3; ++i)
            g->AxisContentListX()->AddNew(NewTag());
        for (int i = 0; i < 4; ++i)
            g->AxisContentListY()->AddNew(NewTag());
    }
    // Every cell sits at its own column and row.
    void ExpectConsistent() {
        TAxisContentList* X = g->AxisContentListX();
        TAxisContentList* Y = g->AxisContentListY();
        EXPECT_EQ(g->CellMatris()->LoadedCountX(), X->LoadedCount());
        for (int x = 0; x < X->Count(); ++x)
            for (int y = 0; y < Y->Count(); ++y) {
                TBabCell* c = g->CellMatris()->getCell(x, y);
                ASSERT_NE(c, nullptr);
                EXPECT_EQ(c->AxisContentItemX(), X->Items(x));
                EXPECT_EQ(c->AxisContentItemY(), Y->Items(y));
                EXPECT_EQ(static_cast<TTestSimpleData*>(c->BabCellData())->Text,
                          std::to_string(Id(X->Items(x))) + ":" + std::to_string(Id(Y->Items(y))));
            }
    }
};
} // namespace

TEST_F(TaggedGrid, FollowsInsertDropAndMoveOnBothAxes) {
    EXPECT_EQ(inits, 12);
    ExpectConsistent();
    TAxisContentList* X = g->AxisContentListX();
    TAxisContentList* Y = g->AxisContentListY();
    TBabCell* corner = g->CellMatris()->getCell(2, 3);

    Y->InsertNew(1, NewTag()); // one new cell per column
    EXPECT_EQ(inits, 15);
    ExpectConsistent();
    X->InsertNew(0, NewTag()); // one new cell per row
    EXPECT_EQ(inits, 20);
    ExpectConsistent();
    EXPECT_EQ(g->CellMatris()->getCell(3, 4), corner);

    Y->Move(4, 0);
    ExpectConsistent();
    EXPECT_EQ(g->CellMatris()->getCell(3, 0), corner);
    X->Move(3, 1);
    ExpectConsistent();
    EXPECT_EQ(g->CellMatris()->getCell(1, 0), corner);

    const int deInits = v.DeInits;
    X->Drop(0); // five rows
    EXPECT_EQ(v.DeInits, deInits + 5);
    Y->Drop(2); // three columns left
    EXPECT_EQ(v.DeInits, deInits + 8);
    ExpectConsistent();
    EXPECT_EQ(g->CellMatris()->getCell(0, 0), corner);
    EXPECT_EQ(inits, 20); // nothing was recreated
}

TEST_F(TaggedGrid, OutOfRangeCellsAreNone) {
    TCellMatris* m = g->CellMatris();
    EXPECT_EQ(m->getCell(-1, 0), nullptr);
    EXPECT_EQ(m->getCell(0, -1), nullptr);
    EXPECT_EQ(m->getCell(3, 0), nullptr);
    EXPECT_EQ(m->getCell(0, 4), nullptr);
    EXPECT_EQ(m->LoadedCell(7, 7), nullptr);
    EXPECT_FALSE(m->HasRowSelections(-1));
    EXPECT_FALSE(m->HasColumnSelections(99));
    m->DropX(99);
    m->DropY(-3);
    m->UnloadY(99);
    ExpectConsistent();
}

TEST_F(TaggedGrid, UnloadedEntriesAreRecreatedOnDemand) {
    ASSERT_NE(g->CellMatris()->getCell(1, 1), nullptr);
    const int deInits = v.DeInits;
    g->CellMatris()->UnloadY(1);
    EXPECT_EQ(v.DeInits, deInits + 3);
    EXPECT_EQ(g->CellMatris()->LoadedCell(1, 1), nullptr);
    const int created = inits;
    TBabCell* after = g->CellMatris()->getCell(1, 1);
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(inits, created + 1);
    ExpectConsistent();
}

TEST_F(TaggedGrid, AnAxisOfAnotherGridIsRefused) {
    TTestViewer other(false);
    try {
        g->InsertingAxisItem(other.root()->AxisContentListY(), 0);
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "");
    }
}

TEST(Matrix, CellDataNeedsAClassUpToTheRoot) {
    auto expectMessage = [](auto&& f) {
        try {
            f();
            ADD_FAILURE() << "no exception";
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), "CreateBabCellData");
        }
    };
    expectMessage(
        [] { TBabGridCellForViewer root(nullptr, TBabSimpleCellDataClass::Of<TTestSimpleData>(), {}); });

    TBabGridCellForViewer root(nullptr, {}, TBabGridCellDataClass::Of<TTestGridData>());
    ASSERT_NE(root.BabCellData(), nullptr);
    EXPECT_EQ(root.BabCellData()->CellType(), babCellTypeGrid);
    root.AxisContentListX()->AddNew(nullptr);
    expectMessage([&] { root.AxisContentListY()->AddNew(nullptr); });
    // The matrix still matches the axes; the cell is simply missing.
    EXPECT_EQ(root.AxisContentListY()->Count(), 1);
    EXPECT_EQ(root.CellMatris()->LoadedCell(0, 0), nullptr);
    expectMessage([&] { root.CellMatris()->getCell(0, 0); });
    root.SetBabSimpleCellDataClass(TBabSimpleCellDataClass::Of<TTestSimpleData>());
    TBabCell* cell = root.CellMatris()->getCell(0, 0);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->BabCellData()->BabCell(), cell);
    EXPECT_EQ(cell->BabCellData()->CellType(), babCellTypeSimple);
    EXPECT_TRUE(TBabSimpleCellDataClass::Of<TTestSimpleData>().IsInstance(cell->BabCellData()));
    EXPECT_FALSE(TBabGridCellDataClass::Of<TTestGridData>().IsInstance(cell->BabCellData()));
}

TEST(Matrix, ASelectedRowIsNotUnloaded) {
    TTestViewer v;
    TBabGridCellForViewer* g = v.root();
    g->AxisContentListX()->AddNew(nullptr);
    g->AxisContentListX()->AddNew(nullptr);
    TAxisContentList* Y = g->AxisContentListY();
    Y->AddUnloaded(20);
    Y->getAxisContentItem(19);
    g->CellMatris()->getCell(1, 5)->SetSelected(true);
    EXPECT_TRUE(g->CellMatris()->HasRowSelections(5));
    EXPECT_TRUE(g->CellMatris()->HasColumnSelections(1));
    EXPECT_FALSE(g->CellMatris()->HasColumnSelections(0));
    Y->ClearVisibles();
    Y->Purge();
    EXPECT_EQ(Y->LoadedCount(), 1);
    EXPECT_EQ(Y->Loaded(0)->ListIndex(), 5);
    // UnloadAll deselects first, so then it goes.
    Y->UnloadAll();
    EXPECT_EQ(Y->LoadedCount(), 0);
    EXPECT_EQ(Y->Count(), 20);
}

// Removing what holds the focus, the anchor or a selection leaves no pointer behind (the
// sanitizer build catches any use of a freed cell).
TEST(Matrix, RemovingRowsLeavesNoDanglingFocusOrAnchor) {
    TTestViewer v;
    TBabGridCellForViewer* g = v.root();
    v.Root->SetOnCreateCell([](TBabGridCell* caller, TAxisContentItem* x, TAxisContentItem* y) {
        return caller->getGridCell() == nullptr && x->ListIndex() == 1 && y->ListIndex() == 1
                   ? babCellTypeGrid
                   : babCellTypeSimple;
    });
    v.OnInitGrid = [](TTestGridData* d) {
        if (auto* grid = dynamic_cast<TBabGridCell*>(d->BabCell()); grid && grid->getGridCell())
            TTestViewer::Fill(grid, 2, 2);
    };
    TTestViewer::Fill(g, 3, 4);
    auto* nested = dynamic_cast<TBabGridCell*>(g->CellMatris()->getCell(1, 1));
    ASSERT_NE(nested, nullptr);

    // A plain cell: focused, anchor and selected; its row is dropped.
    TBabCell* plain = g->CellMatris()->getCell(0, 2);
    g->SetFocusedCell(plain);
    g->UpdateMultiSelect(plain, {});
    ASSERT_EQ(g->Anchor(), plain);
    ASSERT_TRUE(plain->Selected());
    g->AxisContentListY()->Drop(2);
    EXPECT_EQ(g->FocusedCell(), nullptr);
    EXPECT_EQ(g->Anchor(), nullptr);

    // A cell of the nested grid, anchored in the root; the nested grid's row is dropped.
    TBabCell* inner = nested->CellMatris()->getCell(1, 1);
    g->SetFocusedCell(inner);
    ASSERT_EQ(g->FocusedCell(), nested);
    ASSERT_EQ(g->FocusedCellDownTrack(), inner);
    g->UpdateMultiSelect(inner, {});
    nested->UpdateMultiSelect(inner, {});
    ASSERT_EQ(g->Anchor(), inner);
    g->AxisContentListY()->Drop(1);
    EXPECT_EQ(g->FocusedCell(), nullptr);
    EXPECT_EQ(g->FocusedCellDownTrack(), nullptr);
    EXPECT_EQ(g->Anchor(), nullptr);
    EXPECT_EQ(g->CellMatris()->getCell(1, 1)->getGridCell(), g);

    // Focus in a virtual row that scrolls away and is unloaded.
    TAxisContentList* Y = g->AxisContentListY();
    Y->AddUnloaded(100);
    TBabCell* far = g->CellMatris()->getCell(0, 40);
    g->SetFocusedCell(far);
    g->UpdateMultiSelect(far, {});
    far->SetSelected(false); // a selected row would stay loaded
    Y->ClearVisibles();
    Y->Purge();
    EXPECT_FALSE(Y->IsLoaded(40));
    EXPECT_EQ(g->FocusedCell(), nullptr);
    EXPECT_EQ(g->Anchor(), nullptr);
}

TEST(Matrix, DroppingTheRowAtTheScrollPositionReturnsToTheFirstRow) {
    TTestViewer v(false);
    TBabGridCellForViewer* g = v.root();
    TTestViewer::Fill(g, 2, 6, 0, 1);
    g->SetTop(5);
    int moves = 0;
    TSingleEventListener l(
        g->TopLeftChangedEvent(), [&](TSingleEventListener*) { ++moves; }, false);
    g->AxisContentListY()->Drop(5);
    EXPECT_EQ(g->Top(), 1);
    EXPECT_EQ(moves, 1);
    g->SetLeft(1);
    g->AxisContentListX()->Drop(1);
    EXPECT_EQ(g->Left(), 0);
}
