#include "imaging/core/QkDrawing.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkCanvas.h"
#include "imaging/core/QkGaussianBlur.h"
#include "imaging/core/QkPixels.h"
#include "platform/core/Types.h"

namespace {

constexpr uint8_t ShadeOpacity = 150;

// A shadow strip in its own axes: `across` runs away from the image
// (0 .. Width - 1), `along` beside it (0 .. Length - 1).
struct TShadowStrip {
    int32_t Left;
    int32_t Top;
    int32_t Width;
    int32_t Length;
    bool Below; // below the image: across is y, along is x

    TPoint At(int32_t across, int32_t along) const
    {
        return Below ? TPoint{Left + along, Top + across} : TPoint{Left + across, Top + along};
    }
};

TShadowStrip RightStrip(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    return {left, top, right - left + 1, bottom - top + 1, false};
}

TShadowStrip BottomStrip(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    return {left, top, bottom - top + 1, right - left + 1, true};
}

// The strip's first Width pixels along stay free, so that the shadow
// starts further from the corner than the image.
void FillShadow(TCanvas& canvas, const TShadowStrip& strip)
{
    const TPoint first = strip.At(0, strip.Width);
    const TPoint last = strip.At(strip.Width - 1, strip.Length);
    canvas.FillRect(Rect(first.X, first.Y, last.X, last.Y));
}

void DarkenPixel(TCanvas& canvas, TBitmap* image, TPoint p, double factor)
{
    auto darken = [factor](uint8_t channel) { return static_cast<uint8_t>(Trunc(channel * factor)); };
    if (image && p.X >= 0 && p.Y >= 0 && p.X < image->Width() && p.Y < image->Height()) {
        auto* pixel = reinterpret_cast<TRGBPixel*>(image->ScanLine(p.Y)) + p.X;
        *pixel = {darken(pixel->b), darken(pixel->g), darken(pixel->r)};
        return;
    }
    const TColor color = canvas.Pixels(p.X, p.Y);
    if (color == CLR_INVALID)
        return;
    canvas.SetPixel(p.X, p.Y, RGB(darken(GetRValue(color)), darken(GetGValue(color)), darken(GetBValue(color))));
}

// About 0.2 next to the image, about 0.9 at the outer edge.
void FadeShadow(TCanvas& canvas, TBitmap* image, const TShadowStrip& strip)
{
    if (image && image->PixelFormat() != pf24bit)
        image = nullptr;
    const double w = strip.Width;
    for (int32_t h = 0; h < strip.Width; ++h) {
        const double spread = (w - h) / (w / 3);
        const double factor = std::exp(-0.1 - spread * spread / 6);
        for (int32_t along = strip.Width; along <= strip.Length - strip.Width + h + 2; ++along)
            DarkenPixel(canvas, image, strip.At(h, along), factor);
    }
}

uint8_t GradientGray(double exponent)
{
    return ByteClamp(static_cast<int32_t>(Trunc(std::exp(exponent) / std::numbers::e * 255)));
}

void GradientShadow(TCanvas& canvas, const TShadowStrip& strip)
{
    const double w = strip.Width, length = strip.Length;
    for (int32_t i = 0; i <= strip.Length; ++i) {
        const uint8_t rowGray = GradientGray((length - 3.0 * i) / length);
        const int32_t first = std::max(0, i - (strip.Length - strip.Width + 1));
        for (int32_t j = first; j <= strip.Width; ++j) {
            const uint8_t gray = std::max(GradientGray(j / w), rowGray);
            const TPoint p = strip.At(j, i);
            canvas.SetPixel(p.X, p.Y, RGB(gray, gray, gray));
        }
    }
}

void DrawShadow(TCanvas& canvas, TBitmap* image, const TShadowStrip& strip, int32_t kind)
{
    if (strip.Width <= 0 || strip.Length <= 0)
        return;
    switch (kind) {
    case 1: FillShadow(canvas, strip); break;
    case 2: FadeShadow(canvas, image, strip); break;
    case 3: GradientShadow(canvas, strip); break;
    default: break;
    }
}

// The TCanvas and the TQkCanvas draw frames alike.
template <typename Canvas, typename Pen>
void DrawFrame(Canvas& canvas, Pen& pen, const TRect& r, TColor highlight, TColor shadow)
{
    pen.SetStyle(psSolid);
    pen.SetWidth(1);
    pen.SetMode(pmCopy);
    pen.SetColor(highlight);
    canvas.MoveTo(r.Left, r.Bottom);
    canvas.LineTo(r.Left, r.Top);
    canvas.LineTo(r.Right, r.Top);
    pen.SetColor(shadow);
    canvas.MoveTo(r.Left, r.Bottom);
    canvas.LineTo(r.Right, r.Bottom);
    canvas.LineTo(r.Right, r.Top);
}

} // namespace

void Draw3DFrame(TCanvas& canvas, const TRect& rect, TColor highlight, TColor shadow)
{
    DrawFrame(canvas, *canvas.Pen(), rect, highlight, shadow);
}

void Draw3DFrameQk(TQkCanvas& canvas, const TRect& rect, TColor highlight, TColor shadow)
{
    DrawFrame(canvas, canvas.Pen(), rect, highlight, shadow);
}

void ShadeOutsideRect(TCanvas& canvas, const TRect& outer, const TRect& inner)
{
    if (IsRectEmpty(inner))
        return;
    TQkCanvas shade(canvas, false, true);
    shade.Brush().SetColor(clBlack);
    shade.Brush().SetStyle(bsSolid);
    shade.Brush().SetOpacity(ShadeOpacity);
    shade.FillRect(Rect(outer.Left, outer.Top, outer.Right, inner.Top));
    shade.FillRect(Rect(outer.Left, inner.Bottom, outer.Right, outer.Bottom));
    shade.FillRect(Rect(outer.Left, inner.Top, inner.Left, inner.Bottom));
    shade.FillRect(Rect(inner.Right, inner.Top, outer.Right, inner.Bottom));
}

void DrawRightShadow(TCanvas& canvas, TBitmap* image, int32_t left, int32_t top, int32_t right, int32_t bottom,
                     int32_t kind)
{
    DrawShadow(canvas, image, RightStrip(left, top, right, bottom), kind);
}

void DrawBottomShadow(TCanvas& canvas, TBitmap* image, int32_t left, int32_t top, int32_t right, int32_t bottom,
                      int32_t kind)
{
    DrawShadow(canvas, image, BottomStrip(left, top, right, bottom), kind);
}

namespace {

constexpr int32_t SoftShadowMargin = 5;

// The rectangle moved in by the margin and grown by 2 to the right and
// bottom, blurred: how much of each pixel around it the shadow takes.
std::unique_ptr<TQkBitmap> SoftShadowCover(int32_t width, int32_t height)
{
    auto cover = std::make_unique<TQkBitmap>(width + 2 * SoftShadowMargin, height + 2 * SoftShadowMargin, qk8g);
    for (int32_t y = SoftShadowMargin; y <= height + SoftShadowMargin + 1; ++y)
        std::fill_n(cover->GetScanline(y) + SoftShadowMargin, width + 2, uint8_t{255});
    GaussianBlurGray(*cover, 0, 0, cover->GetWidth() - 1, cover->GetHeight() - 1, 2.5);
    return cover;
}

} // namespace

void DrawSoftShadow(TBitmap& bitmap, int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    if (bitmap.PixelFormat() != pf24bit || right < left || bottom < top)
        return;
    const std::unique_ptr<TQkBitmap> cover = SoftShadowCover(right - left + 1, bottom - top + 1);
    const int32_t firstY = std::max(top - SoftShadowMargin, 0);
    const int32_t lastY = std::min(bottom + SoftShadowMargin, bitmap.Height() - 1);
    const int32_t firstX = std::max(left - SoftShadowMargin, 0);
    const int32_t lastX = std::min(right + SoftShadowMargin, bitmap.Width() - 1);
    for (int32_t y = firstY; y <= lastY; ++y) {
        auto* row = reinterpret_cast<TRGBPixel*>(bitmap.ScanLine(y));
        const uint8_t* shade = cover->GetScanline(y - top + SoftShadowMargin);
        for (int32_t x = firstX; x <= lastX; ++x) {
            if (x >= left && x <= right && y >= top && y <= bottom)
                continue;
            const double keep = 1.0 - shade[x - left + SoftShadowMargin] / 255.0;
            auto darken = [keep](uint8_t channel) { return static_cast<uint8_t>(Trunc(channel * keep)); };
            row[x] = {darken(row[x].b), darken(row[x].g), darken(row[x].r)};
        }
    }
}
