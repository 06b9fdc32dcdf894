// Cost of the calendar functions that every scale label and bar position goes through.
#include "platform/plDateUtils.h"

#include <benchmark/benchmark.h>

static void BM_DecodeDate(benchmark::State& state) {
    TDateTime t = EncodeDate(2000, 1, 1);
    uint16_t y, m, d;
    for (auto _ : state) {
        DecodeDate(t, y, m, d);
        benchmark::DoNotOptimize(y);
        t += 1;
    }
}
BENCHMARK(BM_DecodeDate);

static void BM_FormatDateTime(benchmark::State& state) {
    TFormatSettings fs = TFormatSettings::Invariant();
    TDateTime t = EncodeDateTime(2026, 3, 7, 14, 5, 9, 42);
    for (auto _ : state) benchmark::DoNotOptimize(FormatDateTime("ddd d mmm yyyy hh:nn", t, fs));
}
BENCHMARK(BM_FormatDateTime);

BENCHMARK_MAIN();
