// What a full repaint of an 842 x 544 window costs on the canvas: fills,
// blits, stretches and text, each reported in megapixels per second. The
// operations pixman also has report "x_pixman": our time over pixman's for
// the same work on 32-bit pixels, both timed in this run; lines of text
// report "x_cairo", our time over Cairo's showing the same lines.

#include "platform/gfx/Canvas.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/DrawText.h"

#include "BenchTools.h"

#include <benchmark/benchmark.h>
#include <cairo.h>
#include <pixman.h>

#include <cstring>
#include <ctime>
#include <functional>
#include <memory>

namespace {

constexpr int32_t WindowWidth = 842;
constexpr int32_t WindowHeight = 544;
constexpr double WindowPixels = double{WindowWidth} * WindowHeight;

void ReportPixels(benchmark::State& state, double pixelsPerIteration)
{
    state.counters["Mpixels"] =
        benchmark::Counter(pixelsPerIteration / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

TPixelFormat FormatOf(int64_t bits) { return bits == 32 ? pf32bit : bits == 8 ? pf8bit : pf24bit; }

struct TPixmanImageFree {
    void operator()(pixman_image_t* image) const { pixman_image_unref(image); }
};
using TPixmanImage = std::unique_ptr<pixman_image_t, TPixmanImageFree>;

// A 32-bit premultiplied pixman image with pixels of its own.
class TPixmanSurface {
public:
    TPixmanSurface(int32_t width, int32_t height, uint32_t fill)
        : FPixels(static_cast<size_t>(width) * static_cast<size_t>(height), fill),
          FImage(pixman_image_create_bits(PIXMAN_a8r8g8b8, width, height, FPixels.data(), width * 4))
    {}
    pixman_image_t* Image() const { return FImage.get(); }
    uint32_t* Bits() { return FPixels.data(); }

private:
    std::vector<uint32_t> FPixels;
    TPixmanImage FImage;
};

// Our time for `ours` over pixman's for `peer`, as a counter.
void ReportAgainstPixman(benchmark::State& state, const std::function<void()>& ours, const std::function<void()>& peer)
{
    state.counters["x_pixman"] = SecondsPerCall(ours) / SecondsPerCall(peer);
}

void SolidFill(benchmark::State& state)
{
    TBitmap target(WindowWidth, WindowHeight, FormatOf(state.range(0)));
    TCanvas* canvas = target.Canvas();
    canvas->Brush()->SetColor(clBtnFace);
    const auto fill = [&] { canvas->FillRect(Rect(0, 0, WindowWidth, WindowHeight)); };
    for (auto _ : state)
        fill();
    ReportPixels(state, WindowPixels);
    if (state.range(0) == 32) {
        TPixmanSurface peer(WindowWidth, WindowHeight, 0);
        ReportAgainstPixman(state, fill, [&] {
            pixman_fill(peer.Bits(), WindowWidth, 32, 0, 0, WindowWidth, WindowHeight, 0xFFD4D0C8u);
        });
    }
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
    const auto blit = [&] { target.Canvas()->BitBlt(0, 0, WindowWidth, WindowHeight, source.Canvas(), 0, 0, rop); };
    for (auto _ : state)
        blit();
    ReportPixels(state, WindowPixels);
    if (state.range(0) == 32 && state.range(1) == 32 && rop == SRCCOPY) {
        TPixmanSurface from(WindowWidth, WindowHeight, 0xFF102030u), to(WindowWidth, WindowHeight, 0);
        ReportAgainstPixman(state, blit, [&] {
            pixman_image_composite32(PIXMAN_OP_SRC, from.Image(), nullptr, to.Image(), 0, 0, 0, 0, 0, 0, WindowWidth,
                                     WindowHeight);
        });
    }
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
    const auto stretch = [&] {
        target.Canvas()->StretchBlt(mirrored ? WindowWidth - 1 : 0, 0, mirrored ? -WindowWidth : WindowWidth,
                                    WindowHeight, source.Canvas(), 0, 0, source.Width(), source.Height(), SRCCOPY);
    };
    for (auto _ : state)
        stretch();
    ReportPixels(state, WindowPixels);
    if (state.range(1) == COLORONCOLOR && !mirrored) {
        TPixmanSurface from(source.Width(), source.Height(), 0xFF102030u), to(WindowWidth, WindowHeight, 0);
        pixman_transform_t scale;
        pixman_transform_init_scale(&scale, pixman_double_to_fixed(static_cast<double>(source.Width()) / WindowWidth),
                                    pixman_double_to_fixed(static_cast<double>(source.Height()) / WindowHeight));
        pixman_image_set_transform(from.Image(), &scale);
        pixman_image_set_filter(from.Image(), PIXMAN_FILTER_NEAREST, nullptr, 0);
        ReportAgainstPixman(state, stretch, [&] {
            pixman_image_composite32(PIXMAN_OP_SRC, from.Image(), nullptr, to.Image(), 0, 0, 0, 0, 0, 0, WindowWidth,
                                     WindowHeight);
        });
    }
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
    // Premultiplied, half transparent, as drop shadows and glyph images are.
    for (int32_t y = 0; y < WindowHeight; ++y)
        for (int32_t x = 0; x < WindowWidth; ++x)
            std::memcpy(source.ScanLine(y) + 4 * x, "\x20\x30\x40\x80", 4);
    const auto blend = [&] {
        target.Canvas()->AlphaBlend(0, 0, WindowWidth, WindowHeight, source.Canvas(), 0, 0, WindowWidth, WindowHeight,
                                    TBlendFunction{200, true});
    };
    for (auto _ : state)
        blend();
    ReportPixels(state, WindowPixels);
    TPixmanSurface from(WindowWidth, WindowHeight, 0x80403020u), to(WindowWidth, WindowHeight, 0xFFFFFFFFu);
    const pixman_color_t constantAlpha{0, 0, 0, 200 * 257};
    TPixmanImage mask(pixman_image_create_solid_fill(&constantAlpha));
    ReportAgainstPixman(state, blend, [&] {
        pixman_image_composite32(PIXMAN_OP_OVER, from.Image(), mask.get(), to.Image(), 0, 0, 0, 0, 0, 0, WindowWidth,
                                 WindowHeight);
    });
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
    const auto draw = [&] {
        for (int32_t i = 0; i < lines; ++i)
            canvas->TextOut(2, i * lineHeight, line);
    };
    for (auto _ : state)
        draw();
    ReportPixels(state, WindowPixels);
    state.counters["lines"] = benchmark::Counter(lines, benchmark::Counter::kIsIterationInvariantRate);

    std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> surface(
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, WindowWidth, WindowHeight), cairo_surface_destroy);
    std::unique_ptr<cairo_t, decltype(&cairo_destroy)> cairo(cairo_create(surface.get()), cairo_destroy);
    cairo_select_font_face(cairo.get(), "Tahoma", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cairo.get(), 11);
    std::unique_ptr<cairo_font_options_t, decltype(&cairo_font_options_destroy)> options(cairo_font_options_create(),
                                                                                         cairo_font_options_destroy);
    cairo_font_options_set_antialias(options.get(), state.range(0) ? CAIRO_ANTIALIAS_GRAY : CAIRO_ANTIALIAS_NONE);
    cairo_set_font_options(cairo.get(), options.get());
    state.counters["x_cairo"] = SecondsPerCall(draw) / SecondsPerCall([&] {
                                    for (int32_t i = 0; i < lines; ++i) {
                                        cairo_move_to(cairo.get(), 2, (i + 1) * lineHeight - 2);
                                        cairo_show_text(cairo.get(), line.c_str());
                                    }
                                });
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
