// Cost of the date scaler's mapping, which every painted and hit-tested time item goes
// through: DateToPixel and PixelToDate on a 1600-pixel axis over two years, with and without
// hidden weekends and nights, and DateDiffToVisibleTime over ten years.
#include "platform/plDateUtils.h"
#include "scaler/xoScaler.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <random>
#include <vector>

namespace {
const bool kHeadless = (setenv("QT_QPA_PLATFORM", "offscreen", 0), true);

std::unique_ptr<TxoDateScaler> MakeScaler(bool hidden) {
    (void)kHeadless;
    Application();
    auto s = std::make_unique<TxoDateScaler>(nullptr);
    s->SetHorizontal(true);
    s->SetBounds(0, 0, 1600, 45);
    if (hidden) {
        s->SetHiddenDays(TxoHiddenDays{thdSAT, thdSUN});
        TxoHiddenHours h;
        for (int i = 0; i < 7; ++i)
            h.Include(TxoHiddenHoursEnum(i));
        for (int i = 19; i < 24; ++i)
            h.Include(TxoHiddenHoursEnum(i));
        s->SetHiddenHours(h);
    }
    TDateTime a = EncodeDate(2024, 1, 1);
    s->SetStart(a);
    s->SetStop(a + 730);
    s->SetStart(a);
    return s;
}

std::vector<TDateTime> Dates(TDateTime from, TDateTime span) {
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> u(0, span);
    std::vector<TDateTime> v(4096);
    for (auto& d : v)
        d = from + u(rng);
    return v;
}

void BM_DateToPixel(benchmark::State& state) {
    auto s = MakeScaler(state.range(0) != 0);
    auto dates = Dates(s->Start(), 730);
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(s->DateToPixel(dates[i]));
        i = (i + 1) & 4095;
    }
    state.SetLabel(state.range(0) ? "weekends and nights hidden" : "nothing hidden");
}
BENCHMARK(BM_DateToPixel)->Arg(0)->Arg(1)->MinTime(0.2);

void BM_PixelToDate(benchmark::State& state) {
    auto s = MakeScaler(state.range(0) != 0);
    int p = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(s->PixelToDate(p));
        p = (p + 37) % 1600;
    }
    state.SetLabel(state.range(0) ? "weekends and nights hidden" : "nothing hidden");
}
BENCHMARK(BM_PixelToDate)->Arg(0)->Arg(1)->MinTime(0.2);

void BM_DateDiffToVisibleTime10Years(benchmark::State& state) {
    auto s = MakeScaler(true);
    auto dates = Dates(EncodeDate(2020, 1, 1), 30);
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(s->DateDiffToVisibleTime(dates[i], dates[i] + 3652.5));
        i = (i + 1) & 4095;
    }
    state.SetLabel("weekends and nights hidden");
}
BENCHMARK(BM_DateDiffToVisibleTime10Years)->MinTime(0.2);

void BM_VisibleTimeDiffToTrueTime10Years(benchmark::State& state) {
    auto s = MakeScaler(true);
    auto dates = Dates(EncodeDate(2020, 1, 1), 30);
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(s->VisibleTimeDiffToTrueTime(dates[i], 1500.25));
        i = (i + 1) & 4095;
    }
    state.SetLabel("weekends and nights hidden");
}
BENCHMARK(BM_VisibleTimeDiffToTrueTime10Years)->MinTime(0.2);
} // namespace

BENCHMARK_MAIN();
