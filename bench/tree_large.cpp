// The tree control with 100,000 entities ten levels deep (a project breakdown: phases, work
// packages, tasks, ...): adding them and the first paint, then a change of one entity and
// the paint after it, which must not rebuild the native tree.
#include "platform/plForms.h"
#include "platform/plTestInput.h"
#include "tree/xoTree.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kEntities = 100000;
constexpr int kDepth = 10;
constexpr int kFanOut = 3;

double Ms(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

struct Fixture {
    std::unique_ptr<TForm> form;
    TxoTree* tree = nullptr;
    std::vector<TxoDataEntity_Tree*> entities;
    explicit Fixture(int autoExpand = 0) {
        form = std::make_unique<TForm>(nullptr);
        form->SetBounds(0, 0, 400, 900);
        tree = new TxoTree(form.get());
        tree->SetParent(form.get());
        tree->SetAlign(alClient);
        tree->SetAutoExpandLevels(autoExpand);
        xo::test::ShowForm(form.get());
        xo::test::Pump();
    }
    // Depth first, kFanOut children per entity down to kDepth levels, until kEntities exist.
    void Build() {
        entities.reserve(kEntities);
        struct Frame {
            TxoDataEntity_Tree* owner;
            int level, made;
        };
        std::vector<Frame> stack{{nullptr, 0, 0}};
        while (int(entities.size()) < kEntities) {
            Frame& f = stack.back();
            if (f.owner && f.made == kFanOut) {
                stack.pop_back();
                continue;
            }
            ++f.made;
            TxoDataEntity_Tree* e = tree->AddDataEntity(f.owner);
            e->SetText((f.level == 0   ? "Phase "
                        : f.level == 1 ? "Work package "
                                       : "Task ") +
                       std::to_string(entities.size()));
            entities.push_back(e);
            if (f.level + 1 < kDepth) stack.push_back({e, f.level + 1, 0});
        }
    }
};

} // namespace

// Adding 100,000 entities (which only marks the display out of date) and the first paint,
// which mirrors all of them into native nodes; collapsed, or with every level expanded.
static void BM_Add100kAndFirstPaint(benchmark::State& state) {
    double addMs = 0, paintMs = 0;
    int nodes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Fixture fx(int(state.range(0)));
        state.ResumeTiming();
        auto t0 = std::chrono::steady_clock::now();
        fx.Build();
        auto t1 = std::chrono::steady_clock::now();
        fx.tree->Repaint();
        auto t2 = std::chrono::steady_clock::now();
        addMs += Ms(t1 - t0);
        paintMs += Ms(t2 - t1);
        nodes = fx.tree->Items()->Count();
        state.PauseTiming();
        fx.form.reset();
        state.ResumeTiming();
    }
    state.counters["add_ms"] = addMs / double(state.iterations());
    state.counters["first_paint_ms"] = paintMs / double(state.iterations());
    state.counters["native_nodes"] = nodes;
}
BENCHMARK(BM_Add100kAndFirstPaint)->Arg(0)->Arg(kDepth)->Unit(benchmark::kMillisecond)->Iterations(3);

// Removing all 100,000 entities (and their native nodes) with Clear, and the paint after it.
static void BM_Clear100k(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        Fixture fx;
        fx.Build();
        fx.tree->Repaint();
        state.ResumeTiming();
        fx.tree->Clear();
        fx.tree->Repaint();
        state.PauseTiming();
        fx.form.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Clear100k)->Unit(benchmark::kMillisecond)->Iterations(2);

// One entity changes (its text, a new child, a removed leaf, its expansion), then the paint.
static void BM_ChangeOneEntityAndPaint(benchmark::State& state) {
    Fixture fx;
    fx.Build();
    fx.tree->Repaint();
    const int kind = int(state.range(0));
    TTreeNode* firstNode = fx.tree->Items()->GetFirstNode();
    const int rebuildsBefore = fx.tree->UpdateDisplayCount();
    int i = 0;
    for (auto _ : state) {
        TxoDataEntity_Tree* e = fx.entities[size_t((i * 7919) % kEntities)];
        switch (kind) {
        case 0:
            e->SetText("Renamed " + std::to_string(i));
            break;
        case 1:
            fx.tree->AddDataEntity(e)->SetText("New task " + std::to_string(i));
            break;
        case 2:
            fx.tree->AddDataEntity(fx.entities[0])->SetText("Short-lived");
            fx.tree->RemoveDataEntity(static_cast<TxoDataEntity_Tree*>(
                fx.entities[0]->SubDataList()->Items(fx.entities[0]->SubDataList()->Count() - 1)));
            break;
        case 3:
            fx.entities[0]->SetExpanded(!fx.entities[0]->Expanded());
            break;
        }
        fx.tree->Repaint();
        ++i;
    }
    state.counters["rebuilds_per_paint"] =
        double(fx.tree->UpdateDisplayCount() - rebuildsBefore) / double(state.iterations());
    // The native tree is kept: the first node is the one made by the first paint.
    state.counters["native_tree_kept"] = fx.tree->Items()->GetFirstNode() == firstNode ? 1 : 0;
    state.counters["native_nodes"] = fx.tree->Items()->Count();
}
BENCHMARK(BM_ChangeOneEntityAndPaint)
    ->ArgName("text0_insert1_addremove2_expand3")
    ->DenseRange(0, 3)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0);

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    TApplication::Initialize(argc, argv);
    Application();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
