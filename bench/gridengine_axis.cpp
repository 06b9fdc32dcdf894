// A grid cell with 10,000,000 virtual rows and 20 columns: the layout pass after a jump to a
// random row, a scroll by one page, and the drawing walk, each with only the window loaded.
#include "gridengine/xoBabGridContent.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <malloc.h>
#include <memory>
#include <random>
#include <string>

namespace {
struct BenchSimpleData : TBabSimpleCellData {};
struct BenchGridData : TBabGridCellData {};

constexpr int kRows = 10000000;
constexpr int kCols = 20;
const TRect kScreen(0, 0, 1600, 800); // 40 rows of 20 pixels, 20 columns of 20 pixels

// Peak resident set size of the process, in bytes.
double PeakMemoryBytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) * 1024.0;
    return 0;
}

struct VirtualGrid {
    std::unique_ptr<TBabGridCellForViewer> root;
    long loads = 0;
    VirtualGrid() {
        root =
            std::make_unique<TBabGridCellForViewer>(nullptr, TBabSimpleCellDataClass::Of<BenchSimpleData>(),
                                                    TBabGridCellDataClass::Of<BenchGridData>());
        root->SetOnVirtualLoad([this](TBabGridCell*, TAxisContentItem*, bool) { ++loads; });
        root->SetOnVirtualUnLoad([](TBabGridCell*, TAxisContentItem*, bool, bool perform, bool& can) {
            if (!perform) can = true;
        });
        for (int x = 0; x < kCols; ++x)
            root->AxisContentListX()->AddNew(nullptr);
        root->SetFixedRows(1);
        root->AxisContentListY()->AddNew(nullptr);
        root->AxisContentListY()->AddUnloaded(kRows);
        root->CalcVisibleArea(kScreen);
    }
};

// Heap bytes in use: with the grid built, what the engine holds (the process's peak also counts
// the libraries it loads).
double HeapInUseBytes() {
    return double(mallinfo2().uordblks);
}

void Report(benchmark::State& state, VirtualGrid& g, double heapBefore) {
    state.counters["loaded_rows"] = g.root->AxisContentListY()->LoadedCount();
    state.counters["loaded_cells"] = double(g.root->AxisContentListY()->LoadedCount()) * kCols;
    state.counters["grid_heap_bytes"] = HeapInUseBytes() - heapBefore;
    state.counters["VmHWM_bytes"] = PeakMemoryBytes();
}

void BM_LayoutAfterJumpToRandomRow(benchmark::State& state) {
    const double heapBefore = HeapInUseBytes();
    VirtualGrid g;
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> row(1, kRows);
    for (auto _ : state) {
        g.root->SetTop(row(rng));
        g.root->CalcVisibleArea(kScreen);
    }
    Report(state, g, heapBefore);
}
BENCHMARK(BM_LayoutAfterJumpToRandomRow)->Unit(benchmark::kMicrosecond);

void BM_ScrollByOnePage(benchmark::State& state) {
    const double heapBefore = HeapInUseBytes();
    VirtualGrid g;
    g.root->SetTop(kRows / 2);
    g.root->CalcVisibleArea(kScreen);
    for (auto _ : state) {
        int top = g.root->Top() + g.root->VisibleRowCount() - g.root->FixedRows();
        if (top >= kRows) top = 1;
        g.root->SetTop(top);
        g.root->CalcVisibleArea(kScreen);
    }
    Report(state, g, heapBefore);
}
BENCHMARK(BM_ScrollByOnePage)->Unit(benchmark::kMicrosecond);

void BM_ScrollByOneRow(benchmark::State& state) {
    const double heapBefore = HeapInUseBytes();
    VirtualGrid g;
    g.root->SetTop(kRows / 2);
    g.root->CalcVisibleArea(kScreen);
    for (auto _ : state) {
        int top = g.root->Top() + 1;
        if (top >= kRows) top = 1;
        g.root->SetTop(top);
        g.root->CalcVisibleArea(kScreen);
    }
    Report(state, g, heapBefore);
}
BENCHMARK(BM_ScrollByOneRow)->Unit(benchmark::kMicrosecond);

void BM_DrawWalk(benchmark::State& state) {
    const double heapBefore = HeapInUseBytes();
    VirtualGrid g;
    g.root->SetTop(kRows / 3);
    g.root->CalcVisibleArea(kScreen);
    long cells = 0;
    const TOnDrawBabCell count = [&](const TRect&, TBabCell*, TBabDrawStateSet) { ++cells; };
    for (auto _ : state)
        g.root->Draw(kScreen, count);
    state.counters["cells_per_draw"] = double(cells) / double(state.iterations());
    Report(state, g, heapBefore);
}
BENCHMARK(BM_DrawWalk)->Unit(benchmark::kMicrosecond);

void BM_HitTest(benchmark::State& state) {
    const double heapBefore = HeapInUseBytes();
    VirtualGrid g;
    g.root->SetTop(kRows / 4);
    g.root->CalcVisibleArea(kScreen);
    g.root->Draw(kScreen, [](const TRect&, TBabCell*, TBabDrawStateSet) {});
    std::mt19937 rng(3);
    std::uniform_int_distribution<int> px(0, kScreen.Right - 1), py(0, kScreen.Bottom - 1);
    for (auto _ : state)
        benchmark::DoNotOptimize(g.root->CellFromPix(px(rng), py(rng), true));
    Report(state, g, heapBefore);
}
BENCHMARK(BM_HitTest);
} // namespace

BENCHMARK_MAIN();
