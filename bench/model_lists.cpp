// Data lists at the sizes the components meet: virtual lists of ten million entities read at
// random and scrolled through, a million plain entities added, indexes read after a batch of
// front inserts, and a traversal over the layers of a thousand Gantt rows.
#include "model/xoDataEntityPack.h"
#include "model/xoDataTraveser.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <string>

namespace {

// Peak resident memory of the process in MB (VmHWM), and a way to restart that peak so that
// each benchmark reports its own.
double StatusMB(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const size_t n = std::char_traits<char>::length(field);
    while (std::getline(status, line))
        if (line.compare(0, n, field) == 0) return std::stod(line.substr(n)) / 1024.0;
    return 0;
}
double PeakRssMB() {
    return StatusMB("VmHWM:");
}
double RssMB() {
    return StatusMB("VmRSS:");
}
void ResetPeakRss() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

// Peak memory of one benchmark: the peak over its run, less what the process held before it.
struct TRssWatch {
    double before;
    TRssWatch() : before((ResetPeakRss(), RssMB())) {}
    void Report(benchmark::State& state) const {
        state.counters["peak_rss_MB"] = PeakRssMB();
        state.counters["rss_growth_MB"] = PeakRssMB() - before;
    }
};

// A controller wired like a component's: every notification reaches a cheap receiver.
struct TComponentLike {
    TxoListController C;
    long notes = 0;
    explicit TComponentLike(bool agreeToUnload) {
        auto note = [this](TxoDataEntity*) { ++notes; };
        C.SetOnInsertItem(note);
        C.SetOnDeleteItem(note);
        C.SetOnVisibleChanged(note);
        C.SetOnContentChanged([this](TxoDataList*) { ++notes; });
        C.SetOnLoadItem([](TxoDataEntity* e) { e->SetUserIntegerReference(e->ListIndex()); });
        if (agreeToUnload) C.SetOnUnLoadItem([](TxoDataEntity*, bool& can) { can = true; });
    }
};

TxoDataList* NewList(TComponentLike& c) {
    return xo::NewDataList(ClassOf<TxoDataList>(), &c.C, ClassOf<TxoDataEntity>());
}

constexpr int kVirtualCount = 10'000'000;

void BM_VirtualRandomGetItems(benchmark::State& state) {
    TRssWatch rss;
    TComponentLike c(true);
    TxoDataList* list = NewList(c);
    list->AddUnloaded(kVirtualCount);
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> any(0, kVirtualCount - 1);
    int maxWindow = 0;
    long reads = 0;
    for (auto _ : state) {
        for (int k = 0; k < 100'000; ++k) {
            const int i = any(rng);
            TxoDataEntity* e = list->GetItems(i);
            if (!e || e->UserIntegerReference() != i) state.SkipWithError("wrong entity");
            maxWindow = std::max(maxWindow, list->LoadedCount());
        }
        reads += 100'000;
    }
    state.SetItemsProcessed(reads);
    state.counters["max_window"] = maxWindow;
    rss.Report(state);
    list->FreeWheneverPossible();
}
BENCHMARK(BM_VirtualRandomGetItems)->Unit(benchmark::kMillisecond);

// Reads every entity in order, as a traversal or a scrolling view does.
void BM_VirtualSequentialScroll(benchmark::State& state) {
    TRssWatch rss;
    TComponentLike c(true);
    TxoDataList* list = NewList(c);
    list->AddUnloaded(kVirtualCount);
    int maxWindow = 0;
    long reads = 0;
    for (auto _ : state) {
        for (int i = 0; i < kVirtualCount; ++i) {
            TxoDataEntity* e = list->GetItems(i);
            if (!e || e->UserIntegerReference() != i) state.SkipWithError("wrong entity");
            if (list->LoadedCount() > maxWindow) maxWindow = list->LoadedCount();
        }
        reads += kVirtualCount;
    }
    state.SetItemsProcessed(reads);
    state.counters["max_window"] = maxWindow;
    rss.Report(state);
    list->FreeWheneverPossible();
}
BENCHMARK(BM_VirtualSequentialScroll)->Unit(benchmark::kMillisecond)->Iterations(1);

// A view of 40 rows scrolled one row at a time, then paged.
void BM_VirtualViewportScroll(benchmark::State& state) {
    TRssWatch rss;
    TComponentLike c(true);
    TxoDataList* list = NewList(c);
    list->AddUnloaded(kVirtualCount);
    int maxWindow = 0;
    long reads = 0;
    int top = 0;
    for (auto _ : state) {
        for (int step = 0; step < 20'000; ++step) {
            top = (top + (step % 100 == 99 ? 5000 : 1)) % (kVirtualCount - 40);
            for (int r = 0; r < 40; ++r)
                benchmark::DoNotOptimize(list->GetItems(top + r));
            maxWindow = std::max(maxWindow, list->LoadedCount());
        }
        reads += 20'000 * 40;
    }
    state.SetItemsProcessed(reads);
    state.counters["max_window"] = maxWindow;
    rss.Report(state);
    list->FreeWheneverPossible();
}
BENCHMARK(BM_VirtualViewportScroll)->Unit(benchmark::kMillisecond);

void BM_Add1M(benchmark::State& state) {
    TRssWatch rss;
    TComponentLike c(false);
    long added = 0;
    for (auto _ : state) {
        TxoDataList* list = NewList(c);
        for (int i = 0; i < 1'000'000; ++i)
            list->Add();
        added += 1'000'000;
        state.PauseTiming();
        list->FreeWheneverPossible();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(added);
    rss.Report(state);
}
BENCHMARK(BM_Add1M)->Unit(benchmark::kMillisecond)->Iterations(3);

// 1,000 inserts at the front (or in the middle) of a list of a million entities, then the
// index of every entity: the indexes are renumbered once, at the first read.
void ListIndexAfterInserts(benchmark::State& state, bool atFront) {
    TComponentLike c(false);
    TxoDataList* list = NewList(c);
    for (int i = 0; i < 1'000'000; ++i)
        list->Add();
    long indexes = 0;
    for (auto _ : state) {
        for (int k = 0; k < 1000; ++k)
            list->Insert(atFront ? 0 : list->Count() / 2);
        long sum = 0;
        for (int p = 0; p < list->LoadedCount(); ++p)
            sum += list->GetLoaded(p)->ListIndex();
        const long n = list->LoadedCount();
        if (sum != n * (n - 1) / 2) state.SkipWithError("wrong indexes");
        indexes += n;
    }
    state.SetItemsProcessed(indexes);
    state.counters["entities"] = list->Count();
    list->FreeWheneverPossible();
}
void BM_ListIndexAfter1000FrontInserts(benchmark::State& state) {
    ListIndexAfterInserts(state, true);
}
void BM_ListIndexAfter1000MiddleInserts(benchmark::State& state) {
    ListIndexAfterInserts(state, false);
}
BENCHMARK(BM_ListIndexAfter1000FrontInserts)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ListIndexAfter1000MiddleInserts)->Unit(benchmark::kMillisecond)->Iterations(5);

// Removing entities by reference from the front, one at a time, with the indexes read between.
void BM_RemoveFromFrontByReference(benchmark::State& state) {
    TComponentLike c(false);
    long removed = 0;
    for (auto _ : state) {
        state.PauseTiming();
        TxoDataList* list = NewList(c);
        for (int i = 0; i < 200'000; ++i)
            list->Add();
        state.ResumeTiming();
        while (list->Count() > 0)
            list->Remove(list->GetLoaded(0));
        removed += 200'000;
        state.PauseTiming();
        list->FreeWheneverPossible();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(removed);
}
BENCHMARK(BM_RemoveFromFrontByReference)->Unit(benchmark::kMillisecond)->Iterations(3);

// The time items of 1,000 Gantt rows with 3 layers of 100 items each, walked as one sequence.
void BM_Traversal3lev(benchmark::State& state) {
    TComponentLike c(false);
    std::vector<TxoDataList*> lists;
    std::vector<TxoDataList2lev*> rows;
    TxoDataList3lev* all = new TxoDataList3lev();
    all->AfterCreate();
    for (int r = 0; r < 1000; ++r) {
        auto* layers = new TxoDataList2lev();
        layers->AfterCreate();
        for (int l = 0; l < 3; ++l) {
            TxoDataList* items = NewList(c);
            for (int i = 0; i < 100; ++i)
                items->Add();
            layers->Add(items);
            lists.push_back(items);
        }
        all->Add(layers);
        rows.push_back(layers);
    }
    long visited = 0;
    for (auto _ : state) {
        auto t = TDataListTrav::CreateMultiList(all);
        long n = 0;
        for (t.First(); !t.Eof(); t.Next()) {
            benchmark::DoNotOptimize(t.DataEntity());
            ++n;
        }
        for (t.Last(); !t.BOF(); t.Prev()) {
            benchmark::DoNotOptimize(t.DataEntity());
            ++n;
        }
        if (n != 600'000) state.SkipWithError("wrong count");
        visited += n;
    }
    state.SetItemsProcessed(visited);
    all->FreeWheneverPossible();
    for (TxoDataList2lev* r : rows)
        r->FreeWheneverPossible();
    for (TxoDataList* l : lists)
        l->FreeWheneverPossible();
}
BENCHMARK(BM_Traversal3lev)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
