// A full paint of a screen-sized surface: the paint hook fills the offscreen bitmap with
// 2,000 small rectangles and 500 texts, then the bitmap is copied to the screen picture.
#include "foundation/xoOffscreenPaint.h"
#include "platform/plForms.h"
#include "platform/plTestInput.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

static void BM_FullPaint1920x1080(benchmark::State& state) {
    TForm form(nullptr);
    form.SetBounds(0, 0, 1920, 1080);
    auto* view = new TxoOffscreenPaint(&form);
    view->SetParent(&form);
    view->SetAlign(alClient);
    int paints = 0;
    view->SetOnPaint([&](TObject*) {
        TCanvas* c = view->OffscreenCanvas();
        ++paints;
        for (int i = 0; i < 2000; ++i) {
            int x = (i * 37) % 1880, y = (i * 53) % 1060;
            c->Brush()->SetColor(RGB(uint8_t(i * 7), uint8_t(i * 13), uint8_t(i * 29)));
            c->FillRect(TRect(x, y, x + 30, y + 14));
        }
        c->Brush()->SetStyle(bsClear);
        for (int i = 0; i < 500; ++i) c->TextOut((i * 71) % 1800, (i * 31) % 1060, "Task " + std::to_string(i));
        c->Brush()->SetStyle(bsSolid);
    });
    xo::test::ShowForm(&form);
    for (auto _ : state) view->Repaint(); // paints at once: bitmap, hook, copy to the screen
    state.counters["paints"] = paints;
}
BENCHMARK(BM_FullPaint1920x1080)->Unit(benchmark::kMillisecond)->MinTime(2.0);

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    TApplication::Initialize(argc, argv);
    Application();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
