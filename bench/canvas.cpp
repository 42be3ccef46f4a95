// What a full repaint of an 842 x 544 window costs on the canvas: fills,
// blits, stretches and text, each reported in megapixels per second.

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"
#include "platform/gfx/DrawText.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int32_t WindowWidth = 842;
constexpr int32_t WindowHeight = 544;
constexpr double WindowPixels = double{WindowWidth} * WindowHeight;

void ReportPixels(benchmark::State& state, double pixelsPerIteration)
{
    state.counters["Mpixels"] =
        benchmark::Counter(pixelsPerIteration / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

TPixelFormat FormatOf(int64_t bits)
{
    return bits == 32 ? pf32bit : bits == 8 ? pf8bit : pf24bit;
}

void SolidFill(benchmark::State& state)
{
    TBitmap target(WindowWidth, WindowHeight, FormatOf(state.range(0)));
    TCanvas* canvas = target.Canvas();
    canvas->Brush()->SetColor(clBtnFace);
    for (auto _ : state)
        canvas->FillRect(Rect(0, 0, WindowWidth, WindowHeight));
    ReportPixels(state, WindowPixels);
}
BENCHMARK(SolidFill)->Arg(24)->Arg(32)->Arg(8);

void ClippedFill(benchmark::State& state)
{
    TBitmap target(WindowWidth, WindowHeight, pf32bit);
    TCanvas* canvas = target.Canvas();
    // A window with twenty child windows excluded from its clip.
    for (int i = 0; i < 20; ++i)
        canvas->ExcludeClipRect(20 + i * 40, 20 + (i % 5) * 100, 50 + i * 40, 90 + (i % 5) * 100);
    canvas->Brush()->SetColor(clBtnFace);
    for (auto _ : state)
        canvas->FillRect(Rect(0, 0, WindowWidth, WindowHeight));
    ReportPixels(state, WindowPixels);
}
BENCHMARK(ClippedFill);

void HatchedFill(benchmark::State& state)
{
    TBitmap target(WindowWidth, WindowHeight, pf32bit);
    TCanvas* canvas = target.Canvas();
    canvas->Brush()->SetStyle(bsDiagCross);
    for (auto _ : state)
        canvas->FillRect(Rect(0, 0, WindowWidth, WindowHeight));
    ReportPixels(state, WindowPixels);
}
BENCHMARK(HatchedFill);

void Blit(benchmark::State& state)
{
    TBitmap source(WindowWidth, WindowHeight, FormatOf(state.range(0)));
    TBitmap target(WindowWidth, WindowHeight, FormatOf(state.range(1)));
    const auto rop = static_cast<uint32_t>(state.range(2));
    for (auto _ : state)
        target.Canvas()->BitBlt(0, 0, WindowWidth, WindowHeight, source.Canvas(), 0, 0, rop);
    ReportPixels(state, WindowPixels);
}
BENCHMARK(Blit)
    ->Args({32, 32, SRCCOPY})
    ->Args({24, 24, SRCCOPY})
    ->Args({24, 32, SRCCOPY})
    ->Args({32, 32, SRCAND})
    ->Args({32, 32, PATINVERT});

void Stretch(benchmark::State& state)
{
    // A source of a percentage of the window's size stretched over all of
    // it, mirrored when the third argument is set.
    const double factor = static_cast<double>(state.range(0)) / 100;
    TBitmap source(static_cast<int32_t>(WindowWidth * factor), static_cast<int32_t>(WindowHeight * factor), pf32bit);
    TBitmap target(WindowWidth, WindowHeight, pf32bit);
    target.Canvas()->SetStretchMode(static_cast<TStretchMode>(state.range(1)));
    const bool mirrored = state.range(2) != 0;
    for (auto _ : state)
        target.Canvas()->StretchBlt(mirrored ? WindowWidth - 1 : 0, 0, mirrored ? -WindowWidth : WindowWidth,
                                    WindowHeight, source.Canvas(), 0, 0, source.Width(), source.Height(), SRCCOPY);
    ReportPixels(state, WindowPixels);
}
BENCHMARK(Stretch)
    ->Args({50, COLORONCOLOR, 0})
    ->Args({200, COLORONCOLOR, 0})
    ->Args({200, HALFTONE, 0})
    ->Args({100, COLORONCOLOR, 1});

void AlphaBlendWindow(benchmark::State& state)
{
    TBitmap source(WindowWidth, WindowHeight, pf32bit);
    TBitmap target(WindowWidth, WindowHeight, pf32bit);
    for (auto _ : state)
        target.Canvas()->AlphaBlend(0, 0, WindowWidth, WindowHeight, source.Canvas(), 0, 0, WindowWidth,
                                    WindowHeight, TBlendFunction{200, true});
    ReportPixels(state, WindowPixels);
}
BENCHMARK(AlphaBlendWindow);

void TextLines(benchmark::State& state)
{
    TBitmap target(WindowWidth, WindowHeight, pf32bit);
    TCanvas* canvas = target.Canvas();
    canvas->Font()->SetName("Tahoma");
    canvas->Font()->SetHeight(-11);
    canvas->Font()->SetQuality(state.range(0) ? fqAntialiased : fqNonAntialiased);
    canvas->Brush()->SetStyle(bsClear);
    const std::string line = "Source file  00:01:23.456  1920x1080  H.264  AAC 48000 Hz stereo  MP4 (iPhone)";
    const int32_t lineHeight = canvas->TextHeight(line);
    const int32_t lines = WindowHeight / lineHeight;
    for (auto _ : state)
        for (int32_t i = 0; i < lines; ++i)
            canvas->TextOut(2, i * lineHeight, line);
    ReportPixels(state, WindowPixels);
    state.counters["lines"] = benchmark::Counter(lines, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(TextLines)->Arg(0)->Arg(1);

void WrappedDrawText(benchmark::State& state)
{
    TBitmap target(WindowWidth, WindowHeight, pf32bit);
    TCanvas* canvas = target.Canvas();
    canvas->Font()->SetName("Tahoma");
    canvas->Font()->SetHeight(-11);
    canvas->Brush()->SetStyle(bsClear);
    std::string text;
    for (int i = 0; i < 120; ++i)
        text += "The conversion of every checked file runs in one batch into the output folder. ";
    for (auto _ : state) {
        TRect r = Rect(0, 0, WindowWidth, WindowHeight);
        DrawText(*canvas, text, r, DT_WORDBREAK);
    }
    ReportPixels(state, WindowPixels);
}
BENCHMARK(WrappedDrawText);

} // namespace

BENCHMARK_MAIN();
