// Cost of a full-screen paint through the canvas: the views draw thousands of rectangles,
// lines and texts into their offscreen bitmap on every paint.
#include "platform/plGraphics.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> Labels() {
    std::vector<std::string> out;
    for (int i = 0; i < 500; ++i)
        out.push_back("Task " + std::to_string(i * 37 % 1000) + " week 12");
    return out;
}

} // namespace

// 2,000 filled and framed rectangles and 500 texts on a 1920 x 1080 bitmap.
static void BM_FullScreenPaint(benchmark::State& state) {
    TBitmap bmp(1920, 1080);
    TCanvas* c = bmp.Canvas();
    const auto labels = Labels();
    for (auto _ : state) {
        c->Brush()->SetColor(clWhite);
        c->FillRect(TRect(0, 0, 1920, 1080));
        c->Pen()->SetColor(clBlack);
        for (int i = 0; i < 2000; ++i) {
            int x = (i * 97) % 1800, y = (i * 53) % 1040;
            c->Brush()->SetColor(i % 2 ? clSilver : clAqua);
            c->Rectangle(x, y, x + 90, y + 18);
        }
        c->Brush()->SetStyle(bsClear);
        for (int i = 0; i < 500; ++i)
            c->TextOut((i * 211) % 1800, (i * 29) % 1060, labels[size_t(i)]);
        benchmark::DoNotOptimize(c->Pixels(5, 5));
    }
}
BENCHMARK(BM_FullScreenPaint)->Unit(benchmark::kMillisecond);

// Grid lines: short horizontal and vertical lines, the other hot path of a grid paint.
static void BM_GridLines(benchmark::State& state) {
    TBitmap bmp(1920, 1080);
    TCanvas* c = bmp.Canvas();
    c->Pen()->SetColor(clGray);
    for (auto _ : state) {
        for (int y = 0; y < 1080; y += 18) {
            c->MoveTo(0, y);
            c->LineTo(1920, y);
        }
        for (int x = 0; x < 1920; x += 60) {
            c->MoveTo(x, 0);
            c->LineTo(x, 1080);
        }
    }
}
BENCHMARK(BM_GridLines)->Unit(benchmark::kMicrosecond);

// Cell texts through DrawText with the grid's flags.
static void BM_DrawTextCells(benchmark::State& state) {
    TBitmap bmp(1920, 1080);
    TCanvas* c = bmp.Canvas();
    const auto labels = Labels();
    for (auto _ : state) {
        HDC dc = c->Handle();
        for (int i = 0; i < 500; ++i) {
            TRect r((i % 20) * 96, (i / 20) * 18, (i % 20) * 96 + 95, (i / 20) * 18 + 17);
            DrawText(dc, labels[size_t(i)], -1, r,
                     DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
        }
    }
}
BENCHMARK(BM_DrawTextCells)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
