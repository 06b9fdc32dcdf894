#include "xoGridEngineTestKit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <random>
#include <set>

using namespace gridtest;

namespace {
std::vector<int> OnScreenRows(TBabGridCell* g) {
    std::vector<int> r;
    for (int k = 0; k < g->AxisContentListY()->VisibleCount(); ++k)
        r.push_back(g->AxisContentListY()->Visibles(k)->ListIndex());
    return r;
}
} // namespace

TEST(VirtualAxis, TenMillionRowsScrollToAnyRowAndBackWithOnlyTheWindowLoaded) {
    TTestViewer v;
    TBabGridCellForViewer* g = v.root();
    TTestViewer::Fill(g, 20, 1, 0, 1); // 20 columns and a header row
    TAxisContentList* Y = g->AxisContentListY();
    Y->AddUnloaded(10000000);
    ASSERT_EQ(Y->Count(), 10000001);
    const TRect screen(0, 0, 800, 600); // 30 rows of 20 pixels, the header included
    auto pass = [&](int top) {
        g->SetTop(top);
        g->CalcVisibleArea(screen);
        // Only what is on screen stays: the header and the rows shown.
        EXPECT_LE(Y->LoadedCount(), Y->VisibleCount() + 1);
        EXPECT_EQ(g->CellMatris()->LoadedCountY(), Y->LoadedCount());
        std::vector<int> rows = OnScreenRows(g);
        EXPECT_EQ(rows.front(), 0);
        EXPECT_EQ(rows[1], std::max(top, 1));
        return rows;
    };
    std::vector<int> rows = pass(1);
    EXPECT_EQ(rows.size(), 31u);
    EXPECT_EQ(g->VisibleRowCount(), 30);
    pass(5000000);
    // One page down loads only the rows that come into view.
    const size_t loadsBefore = v.LoadedIndices.size();
    rows = pass(5000000 + g->VisibleRowCount() - g->FixedRows());
    EXPECT_EQ(rows[1], 5000029);
    EXPECT_LE(v.LoadedIndices.size() - loadsBefore, 31u);
    rows = pass(Y->Count() - 1);
    EXPECT_EQ(rows, (std::vector<int>{0, 10000000}));
    EXPECT_TRUE(g->LastRowShow());
    rows = pass(1);
    EXPECT_EQ(rows[30], 30);
    EXPECT_EQ(Y->Count(), 10000001);
    // The last row of the axis, reached by the keyboard.
    TBabCell* end = g->FindNeighbourCell(g->CellMatris()->getCell(0, 5), babdirEndRow, true);
    ASSERT_NE(end, nullptr);
    EXPECT_EQ(end->AxisContentItemY()->ListIndex(), 10000000);
}

// The axis window against a plain model of the whole axis: a list of ids, with some ids
// hidden, some refusing to unload and some that leave the axis when unloaded.
TEST(VirtualAxis, RandomOperationsAgreeWithAPlainModel) {
    // A fixed seed; XO_GRID_SEED replays another one.
    const char* seedText = std::getenv("XO_GRID_SEED");
    const unsigned seed = seedText ? unsigned(std::strtoul(seedText, nullptr, 10)) : 20240517u;
    std::cout << "[   seed   ] " << seed << std::endl;
    std::mt19937 rng(seed);
    auto rnd = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }; // inclusive

    std::vector<std::unique_ptr<TTag>> tags;
    auto newId = [&] {
        tags.push_back(std::make_unique<TTag>(int(tags.size())));
        return int(tags.size()) - 1;
    };
    std::vector<int> model; // id at each axis index
    std::set<int> hidden, pinned, leaving;

    TTestViewer v(false);
    TBabGridCellForViewer* g = v.root();
    TAxisContentList* Y = g->AxisContentListY();
    auto idOf = [](TAxisContentItem* item) {
        return item->Value() ? static_cast<TTag*>(item->Value())->Id : -1;
    };
    g->SetOnVirtualLoad([&](TBabGridCell*, TAxisContentItem* item, bool isRow) {
        ASSERT_TRUE(isRow);
        const int i = item->ListIndex();
        ASSERT_LT(i, int(model.size()));
        item->SetValue(tags[model[i]].get());
        item->SetHide(hidden.count(model[i]) > 0);
    });
    int unloads = 0, refusals = 0, removals = 0;
    g->SetOnVirtualUnLoad([&](TBabGridCell*, TAxisContentItem* item, bool, bool perform, bool& can) {
        if (perform)
            ++unloads;
        else
            refusals += !(can = pinned.count(idOf(item)) == 0);
    });
    g->SetOnKeepAfterUnloadCheck([&](TBabGridCell*, TAxisContentItem* item, bool, bool& keep) {
        keep = leaving.count(idOf(item)) == 0;
        if (!keep) {
            ++removals;
            const int i = item->ListIndex();
            ASSERT_EQ(model[i], idOf(item));
            model.erase(model.begin() + i);
        }
    });

    g->AxisContentListX()->AddNew(nullptr);
    g->AxisContentListX()->AddNew(nullptr);
    g->SetFixedRows(1);
    model.push_back(newId());
    Y->AddNew(tags[model[0]].get());
    for (int k = 0; k < 1500; ++k) {
        const int id = newId();
        model.push_back(id);
        if (rnd(0, 40) == 0) leaving.insert(id);
        if (rnd(0, 5) == 0) hidden.insert(id);
    }
    Y->AddUnloaded(1500);

    auto check = [&](int step) {
        SCOPED_TRACE("step " + std::to_string(step));
        ASSERT_EQ(Y->Count(), int(model.size()));
        ASSERT_GE(Y->UnloadedPreCount(), 0);
        ASSERT_GE(Y->UnloadedPostCount(), 0);
        ASSERT_GE(Y->LoadedCount(), Y->FixedItems());
        int hiddenLoaded = 0;
        for (int j = 0; j < Y->LoadedCount(); ++j) {
            TAxisContentItem* item = Y->Loaded(j);
            const int i = item->ListIndex();
            ASSERT_EQ(i, Y->IndexConvert_LoadedToReal(j));
            ASSERT_TRUE(Y->IsLoaded(i));
            ASSERT_EQ(idOf(item), model[i]) << "at " << i;
            ASSERT_EQ(item->Hide(), hidden.count(model[i]) > 0);
            hiddenLoaded += item->Hide();
            for (int lx = 0; lx < 2; ++lx) {
                TBabCell* c = g->CellMatris()->LoadedCell(lx, j);
                ASSERT_TRUE(!c || c->AxisContentItemY() == item);
            }
        }
        ASSERT_EQ(Y->HiddenRowCount(), hiddenLoaded);
        // Visible numbering: loaded hidden items do not count, unloaded ones do.
        const int target = rnd(0, int(model.size()) + 5);
        int counted = -1, expected = int(model.size()) - 1;
        for (int i = 0; i < int(model.size()); ++i) {
            const bool hid = Y->IsLoaded(i) && Y->Loaded(Y->IndexConvert_RealToLoaded(i))->Hide();
            if (!hid && ++counted == target) {
                expected = i;
                break;
            }
        }
        ASSERT_EQ(g->Convert_VisibleIndexToTrue(Y, target), expected);
        if (counted == target) {
            ASSERT_EQ(g->Convert_TrueIndexToVisible(Y, expected), target);
        }
    };

    for (int step = 0; step < 1200; ++step) {
        const int count = Y->Count();
        switch (rnd(0, 11)) {
        case 0:
        case 1: { // read an item near or far
            const int i = rnd(0, count - 1);
            TAxisContentItem* item = Y->Items(i);
            ASSERT_NE(item, nullptr);
            ASSERT_EQ(idOf(item), model[item->ListIndex()]);
            break;
        }
        case 2:
        case 3: { // a layout pass over a screen of rows
            const int top = rnd(1, std::max(1, count - 1));
            const int rows = rnd(1, 40);
            Y->ClearVisibles();
            for (int i = top; i < std::min(count, top + rows); ++i)
                if (TAxisContentItem* item = Y->Items(i)) Y->AddToVisible(item);
            std::vector<TAxisContentItem*> shown;
            for (int k = 0; k < Y->VisibleCount(); ++k)
                shown.push_back(Y->Visibles(k));
            Y->Purge();
            for (TAxisContentItem* item : shown)
                ASSERT_TRUE(Y->IsLoaded(item->ListIndex()));
            break;
        }
        case 4: { // insert inside the scrolled part
            const int i = rnd(1, count);
            const int id = newId();
            Y->InsertNew(i, tags[id].get());
            model.insert(model.begin() + std::min(i, int(model.size())), id);
            break;
        }
        case 5: {
            const int id = newId();
            Y->AddNew(tags[id].get());
            model.push_back(id);
            break;
        }
        case 6: {
            const int n = rnd(1, 20);
            for (int k = 0; k < n; ++k)
                model.push_back(newId());
            Y->AddUnloaded(n);
            break;
        }
        case 7: {
            if (count <= 1) break;
            const int i = rnd(1, count - 1);
            Y->Drop(i);
            model.erase(model.begin() + i);
            break;
        }
        case 8: {
            if (count <= 2) break;
            const int a = rnd(1, count - 1), b = rnd(1, count - 1);
            if (std::abs(a - b) > 400) break; // a move loads everything between its ends
            Y->Move(a, b);
            const int id = model[a];
            model.erase(model.begin() + a);
            model.insert(model.begin() + b, id);
            break;
        }
        case 9: // pin a loaded row (it refuses to unload), or let the pinned rows go
            if (rnd(0, 9) == 0 && Y->LoadedCount() > 1)
                pinned.insert(idOf(Y->Loaded(rnd(1, Y->LoadedCount() - 1))));
            else if (rnd(0, 1) == 0)
                pinned.clear();
            else
                Y->UnloadAll();
            break;
        case 10: { // hide or show a loaded row
            if (Y->LoadedCount() <= 1) break;
            TAxisContentItem* item = Y->Loaded(rnd(1, Y->LoadedCount() - 1));
            const int id = idOf(item);
            if (hidden.count(id))
                hidden.erase(id);
            else
                hidden.insert(id);
            item->SetHide(!item->Hide());
            break;
        }
        case 11: { // select a loaded row's cell, or clear the selection
            if (Y->LoadedCount() <= 1) break;
            if (rnd(0, 3) == 0)
                g->CellMatris()
                    ->getCell(rnd(0, 1), Y->Loaded(rnd(1, Y->LoadedCount() - 1))->ListIndex())
                    ->SetSelected(true);
            else
                g->SetSelected(false);
            break;
        }
        }
        check(step);
        if (HasFatalFailure()) return;
    }
    std::cout << "[  counts  ] " << unloads << " unloads, " << refusals << " refusals, " << removals
              << " removed on unload, final count " << Y->Count() << std::endl;
    EXPECT_GT(unloads, 0);
    EXPECT_GT(refusals, 0);
    EXPECT_GT(removals, 0);
}
