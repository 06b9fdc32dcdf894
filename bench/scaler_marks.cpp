// Cost of building the date scaler's marks (CalcDrawMode runs on every change of the window)
// on a 1600-pixel axis at each zoom level, with and without hidden time, and of one full paint.
#include "platform/plDateUtils.h"
#include "platform/plForms.h"
#include "platform/plTestInput.h"
#include "scaler/xoScaler.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

namespace {
const bool kHeadless = (setenv("QT_QPA_PLATFORM", "offscreen", 0), true);

const double kLevels[] = {ScaleDoubleDecadesAndDecades,
                          ScaleDecadesAndYear,
                          ScaleYearAndQuorter,
                          ScaleQuorterAndMonth,
                          ScaleMonthAndWeek,
                          ScaleWeekAndDay,
                          ScaleDayAndHour,
                          ScaleHourAnd10Minute,
                          Scale10MinuteAndMinute,
                          ScaleMinuteAnd10Sec,
                          Scale10SecAndSec};
const char* const kNames[] = {"decades", "years",  "quarters", "months", "weeks",  "days",
                              "hours",   "10 min", "minutes",  "10 sec", "seconds"};

void Setup(TxoDateScaler* s, int level, bool hidden) {
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
    s->SetStart(EncodeDateTime(2024, 3, 7, 9, 30, 0, 0));
    s->SetScale(kLevels[level]);
}

void BM_CalcDrawMode(benchmark::State& state) {
    (void)kHeadless;
    Application();
    TxoDateScaler s(nullptr);
    Setup(&s, int(state.range(0)), state.range(1) != 0);
    for (auto _ : state) {
        s.CalcDrawMode();
        benchmark::DoNotOptimize(s.ShortScaleMarkDrawList().size());
    }
    state.SetLabel(
        String(kNames[state.range(0)]) + (state.range(1) ? ", hidden weekends and nights" : "") + ", " +
        std::to_string(s.ShortScaleMarkDrawList().size() + s.LongScaleMarkDrawList().size()) + " marks");
}
BENCHMARK(BM_CalcDrawMode)
    ->ArgsProduct({benchmark::CreateDenseRange(0, 10, 1), {0, 1}})
    ->Unit(benchmark::kMicrosecond)
    ->MinTime(0.2);

void BM_FullPaint(benchmark::State& state) {
    Application();
    auto form = std::make_unique<TForm>(nullptr);
    form->SetBounds(0, 0, 1650, 60);
    auto* s = new TxoDateScaler(form.get());
    s->SetParent(form.get());
    Setup(s, int(state.range(0)), state.range(1) != 0);
    xo::test::ShowForm(form.get());
    for (auto _ : state)
        s->Repaint();
    state.SetLabel(String(kNames[state.range(0)]) + (state.range(1) ? ", hidden weekends and nights" : ""));
}
BENCHMARK(BM_FullPaint)
    ->Args({5, 0})
    ->Args({6, 1})
    ->Args({3, 0})
    ->Unit(benchmark::kMicrosecond)
    ->MinTime(0.2);
} // namespace

BENCHMARK_MAIN();
