// Cost of deferred calls: coalescing of a burst, and the linear look-ups behind a long queue.
#include "foundation/xoDoLater.h"
#include "platform/plMessages.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

struct TTarget : TObject {
    ~TTarget() override { TDoLater::NeverMind(Call()); }
    void Work_Async(TObject*) { ++calls; }
    TDoLaterCall Call() { return MakeMethod(this, &TTarget::Work_Async); }
    int64_t calls = 0;
};

// n distinct pending requests: n objects, the same method, no data. Every look-up has to
// compare the call itself, the slowest case.
class TPending {
public:
    explicit TPending(int n) {
        for (int i = 0; i < n; ++i)
            fTargets.push_back(std::make_unique<TTarget>());
        Fill();
    }
    ~TPending() { Drain(); }
    void Fill() {
        for (auto& t : fTargets)
            TDoLater::DoLater(t->Call(), nullptr, nullptr);
    }
    static void Drain() { Application()->ProcessMessages(); }
    TTarget& Last() { return *fTargets.back(); }

private:
    std::vector<std::unique_ptr<TTarget>> fTargets;
};

} // namespace

// 100,000 equal requests made while handling one event, then the event loop: one call.
static void BM_BurstOf100000EqualRequests(benchmark::State& state) {
    Application();
    TTarget target;
    TObject data;
    int64_t bursts = 0;
    for (auto _ : state) {
        for (int i = 0; i < 100000; ++i)
            TDoLater::DoLater(target.Call(), &data, nullptr);
        Application()->ProcessMessages();
        ++bursts;
    }
    state.counters["calls_per_burst"] = double(target.calls) / double(bursts);
    state.counters["requests"] = benchmark::Counter(double(bursts) * 100000, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BurstOf100000EqualRequests)->Unit(benchmark::kMillisecond);

// A request equal to the last of n pending ones: the whole queue is walked, nothing is queued.
static void BM_DoLater_Coalesced(benchmark::State& state) {
    Application();
    TPending pending(int(state.range(0)));
    TDoLaterCall last = pending.Last().Call();
    for (auto _ : state)
        TDoLater::DoLater(last, nullptr, nullptr);
}
BENCHMARK(BM_DoLater_Coalesced)->Arg(10)->Arg(100)->Arg(1000);

// NeverMind of a call that is not queued, behind n pending requests: one walk, nothing removed.
static void BM_NeverMind_Absent(benchmark::State& state) {
    Application();
    TPending pending(int(state.range(0)));
    TTarget other;
    for (auto _ : state)
        TDoLater::NeverMind(other.Call());
}
BENCHMARK(BM_NeverMind_Absent)->Arg(10)->Arg(100)->Arg(1000);

// A new request behind n pending ones (walk, append, post a message), withdrawn again.
static void BM_DoLater_NewThenNeverMind(benchmark::State& state) {
    Application();
    TPending pending(int(state.range(0)));
    TTarget other;
    int64_t sinceDrain = 0;
    for (auto _ : state) {
        TDoLater::DoLater(other.Call(), nullptr, nullptr);
        TDoLater::NeverMind(other.Call());
        if (++sinceDrain == 4096) {
            // Every new request posts a message: deliver them now and then (which runs the
            // pending requests), outside the measurement.
            state.PauseTiming();
            TPending::Drain();
            pending.Fill();
            sinceDrain = 0;
            state.ResumeTiming();
        }
    }
}
BENCHMARK(BM_DoLater_NewThenNeverMind)->Arg(10)->Arg(100)->Arg(1000);

// A pass over n pending requests (DoAllNow), per pass.
static void BM_DoAllNow(benchmark::State& state) {
    Application();
    TPending pending(int(state.range(0)));
    TDoLater::DoAllNow();
    for (auto _ : state) {
        state.PauseTiming();
        pending.Fill();
        state.ResumeTiming();
        TDoLater::DoAllNow();
        state.PauseTiming();
        TPending::Drain(); // the messages the requests posted
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_DoAllNow)->Arg(1000)->Iterations(300);

BENCHMARK_MAIN();
