// The grid tree on a grid cell with one column: expanding a node whose owner fills 100,000
// children (each with its row), collapsing and removing it again, and, on a virtual root level of
// 1,000,000 roots, jumping to a random root and laying out one page (rows loaded and bound, the
// rows left unloaded).
#include "grid/xoGridTree.h"
#include "gridengine/xoBabGridContent.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <random>
#include <string>

namespace {
using TNode = TxoDataEntity_GridTreeNode;

constexpr int kChildren = 100000;
constexpr int kRoots = 1000000;
const TRect kPage(0, 0, 300, 800); // 40 rows of 20 pixels, the header row included

double PeakMemoryBytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) * 1024.0;
    return 0;
}

// The grid component's part, as far as the tree needs it.
struct TreeGrid {
    std::unique_ptr<TBabGridCellForViewer> root;
    std::unique_ptr<TxoGridTree> tree;
    int fillCount = 0;
    explicit TreeGrid(int theFillCount) : fillCount(theFillCount) {
        root = std::make_unique<TBabGridCellForViewer>(nullptr,
                                                       TBabSimpleCellDataClass::Of<TBabSimpleCellData>(),
                                                       TBabGridCellDataClass::Of<TBabGridCellData>());
        root->AxisContentListX()->AddNew(nullptr);
        root->SetFixedRows(1);
        root->AxisContentListY()->AddNew(nullptr);
        tree = std::make_unique<TxoGridTree>([this](TxoGridTree* t, TNode* n) {
            for (int k = 0; k < fillCount; ++k)
                t->AddDataEntity(n);
        });
        tree->SetGridCell(root.get());
        root->SetOnVirtualLoad([this](TBabGridCell*, TAxisContentItem* item, bool isRow) {
            if (isRow) tree->_OnGridRowReload(item);
        });
        root->SetOnVirtualUnLoad(
            [this](TBabGridCell*, TAxisContentItem* item, bool isRow, bool perform, bool& can) {
                if (!isRow) return;
                if (!perform) can = true;
                tree->_OnGridRowUnload(item, perform, can);
            });
        root->SetOnKeepAfterUnloadCheck(
            [this](TBabGridCell*, TAxisContentItem* item, bool isRow, bool& keep) {
                if (isRow && keep) tree->_OnKeepGridRowAfterUnload(item, keep);
            });
        root->SetOnUnloadIntervall([this](TBabGridCell*, TAxisContentItem* item, bool isRow, int& a, int& b) {
            if (isRow) tree->_OnUnloadIntervall(item, a, b);
        });
        root->SetOnDeleteOfUnloaded([this](TBabGridCell* caller, bool isRow, int& a, int& b) {
            if (isRow) tree->_OnDeleteOfUnloaded(caller->AxisContentListY(), a, b);
        });
    }
    ~TreeGrid() {
        tree.reset();
        root.reset();
    }
};

// Expanding the middle one of three roots for the first time: the owner adds 100,000 children,
// each gets its row in front of the last root's row.
void BM_ExpandNodeWith100000Children(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto g = std::make_unique<TreeGrid>(kChildren);
        g->tree->AddDataEntity(nullptr);
        TNode* node = g->tree->AddDataEntity(nullptr);
        g->tree->AddDataEntity(nullptr);
        state.ResumeTiming();
        const auto t0 = std::chrono::steady_clock::now();
        node->SetExpanded(true);
        const auto t1 = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
        benchmark::DoNotOptimize(node->SubDataListCount());
        state.PauseTiming();
        state.counters["rows"] = g->root->AxisContentListY()->Count();
        g.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ExpandNodeWith100000Children)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// Collapsing that node again and expanding it once more (the children are there already).
void BM_CollapseAndExpandNodeWith100000Children(benchmark::State& state) {
    TreeGrid g(kChildren);
    TNode* node = g.tree->AddDataEntity(nullptr);
    node->SetExpanded(true);
    for (auto _ : state) {
        node->SetExpanded(false);
        node->SetExpanded(true);
    }
    state.counters["hidden_rows"] = g.root->AxisContentListY()->HiddenRowCount();
}
BENCHMARK(BM_CollapseAndExpandNodeWith100000Children)->Unit(benchmark::kMillisecond)->Iterations(3);

// Removing the middle one of three roots, expanded, with its 100,000 children and their rows.
void BM_RemoveNodeWith100000Children(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto g = std::make_unique<TreeGrid>(kChildren);
        g->tree->AddDataEntity(nullptr);
        TNode* node = g->tree->AddDataEntity(nullptr);
        g->tree->AddDataEntity(nullptr);
        node->SetExpanded(true);
        state.ResumeTiming();
        const auto t0 = std::chrono::steady_clock::now();
        g->tree->RemoveDataEntity(node);
        const auto t1 = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
        state.PauseTiming();
        state.counters["rows"] = g->root->AxisContentListY()->Count();
        g.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_RemoveNodeWith100000Children)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

// A jump to a random root of a 1,000,000-root virtual level and the layout of one page there.
void BM_JumpToRandomRootAndLayoutPage(benchmark::State& state) {
    TreeGrid g(0);
    g.tree->RootDataEntities()->AddUnloaded(kRoots);
    g.root->CalcVisibleArea(kPage);
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> row(1, kRoots);
    for (auto _ : state) {
        g.root->SetTop(row(rng));
        g.root->CalcVisibleArea(kPage);
    }
    state.counters["loaded_rows"] = g.root->AxisContentListY()->LoadedCount();
    state.counters["loaded_roots"] = g.tree->RootDataEntities()->LoadedCount();
    state.counters["VmHWM_bytes"] = PeakMemoryBytes();
}
BENCHMARK(BM_JumpToRandomRootAndLayoutPage)->Unit(benchmark::kMillisecond);

// The same level scrolled one page down at a time.
void BM_PageDownOnAVirtualRootLevel(benchmark::State& state) {
    TreeGrid g(0);
    g.tree->RootDataEntities()->AddUnloaded(kRoots);
    g.root->CalcVisibleArea(kPage);
    int top = 1;
    for (auto _ : state) {
        top += g.root->VisibleRowCount() - g.root->FixedRows();
        if (top >= kRoots) top = 1;
        g.root->SetTop(top);
        g.root->CalcVisibleArea(kPage);
    }
    state.counters["loaded_rows"] = g.root->AxisContentListY()->LoadedCount();
}
BENCHMARK(BM_PageDownOnAVirtualRootLevel)->Unit(benchmark::kMillisecond);
} // namespace

BENCHMARK_MAIN();
