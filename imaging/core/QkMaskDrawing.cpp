// Drawing the selection on a canvas.

#include "imaging/core/QkMask.h"

#include "imaging/core/QkBitmap.h"

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int32_t ScaleShift = 14;
constexpr TRGBPixel CheckerGray{97, 97, 97};

// The first of `count` screen positions whose plane coordinate (rising
// with the position) reaches `target`; `count` when none does.
template <typename TPlaneOf>
int32_t FirstReaching(int32_t count, int64_t target, TPlaneOf planeOf)
{
    int32_t low = 0;
    int32_t high = count;
    while (low < high) {
        const int32_t middle = low + (high - low) / 2;
        if (planeOf(middle) >= target)
            high = middle;
        else
            low = middle + 1;
    }
    return low;
}

uint8_t Blend(uint8_t colour, uint8_t pixel, double opacity)
{
    return static_cast<uint8_t>(colour * opacity + pixel * (1 - opacity));
}

} // namespace

void TQkMask::DrawInverted(TCanvas& canvas, const TRect& destination, const TRect& source)
{
    if (FBitsPerPixel != 1 || IsEmpty())
        return;
    TBitmap plane(FWidth, FHeight, pf1bit);
    const auto length = static_cast<size_t>(std::min<int64_t>(plane.RowBytes(), FRowLen));
    for (int32_t y = 0; y < FHeight; ++y)
        std::memcpy(plane.ScanLine(y), GetScanline(y), length);
    // A 1-bit source takes the canvas's background colour for its set bits
    // and the text colour for the others: white inverts under SRCINVERT and
    // black leaves the pixel alone.
    const TColor text = canvas.TextColor();
    const TColor background = canvas.BackgroundColor();
    canvas.SetTextColor(clBlack);
    canvas.SetBackgroundColor(clWhite);
    canvas.StretchBlt(destination.Left, destination.Top, destination.Width(), destination.Height(), plane.Canvas(),
                      source.Left, source.Top, source.Width(), source.Height(), SRCINVERT);
    canvas.SetTextColor(text);
    canvas.SetBackgroundColor(background);
}

const TQkMask::TScaledPlane& TQkMask::ScaledPlane(const TRect& visible, int32_t width, int32_t height)
{
    const TRect box = Rect(FLeft, FTop, FRight, FBottom);
    TScaledPlane& scaled = FScaled;
    if (scaled.Width == width && scaled.Height == height && scaled.Visible == visible && scaled.Box == box &&
        scaled.PlaneVersion == FPlaneVersion)
        return scaled;
    scaled.Width = width;
    scaled.Height = height;
    scaled.Visible = visible;
    scaled.Box = box;
    scaled.PlaneVersion = FPlaneVersion;
    scaled.StepX = (int64_t{visible.Width()} << ScaleShift) / width;
    scaled.StepY = (int64_t{visible.Height()} << ScaleShift) / height;
    SampleScaledPlane(scaled);
    return scaled;
}

void TQkMask::SampleScaledPlane(TScaledPlane& scaled) const
{
    const auto planeX = [&](int32_t column) { return scaled.PlaneX(column); };
    const auto planeY = [&](int32_t row) { return scaled.PlaneY(row); };
    scaled.FirstColumn = FirstReaching(scaled.Width, FLeft, planeX);
    scaled.LastColumn = FirstReaching(scaled.Width, int64_t{FRight} + 1, planeX) - 1;
    scaled.FirstRow = FirstReaching(scaled.Height, FTop, planeY);
    scaled.LastRow = FirstReaching(scaled.Height, int64_t{FBottom} + 1, planeY) - 1;
    scaled.Values.clear();
    if (!scaled.HasArea())
        return;
    scaled.Values.reserve(static_cast<size_t>(scaled.LastColumn - scaled.FirstColumn + 1) *
                          static_cast<size_t>(scaled.LastRow - scaled.FirstRow + 1));
    for (int32_t row = scaled.FirstRow; row <= scaled.LastRow; ++row) {
        const int32_t y = scaled.PlaneY(row);
        for (int32_t column = scaled.FirstColumn; column <= scaled.LastColumn; ++column)
            scaled.Values.push_back(GetPixel(scaled.PlaneX(column), y) != 0 ? 1 : 0);
    }
}

// The box's edge columns and rows are outline where the selection ends
// inside the view, not where it only leaves the view; everywhere else a
// selected pixel beside an unselected one is.
bool TQkMask::IsOutlinePixel(const TScaledPlane& scaled, int32_t column, int32_t row) const
{
    if (column == scaled.FirstColumn)
        return FLeft >= scaled.Visible.Left;
    if (column == scaled.LastColumn)
        return FRight < scaled.Visible.Right || scaled.Visible.Right >= FWidth;
    if (row == scaled.FirstRow)
        return FTop >= scaled.Visible.Top;
    if (row == scaled.LastRow)
        return FBottom < scaled.Visible.Bottom || scaled.Visible.Bottom >= FHeight;
    for (int32_t dy = -1; dy <= 1; ++dy)
        for (int32_t dx = -1; dx <= 1; ++dx)
            if (!scaled.IsSet(column + dx, row + dy))
                return true;
    return false;
}

void TQkMask::DrawOutline(TCanvas& canvas, TPoint origin, TRect* outline, TColor first, TColor second,
                          const TRect& visible, int32_t screenWidth, int32_t screenHeight, int32_t phase)
{
    if (screenWidth < 1 || screenHeight < 1 || IsEmpty() || visible.Width() < 1 || visible.Height() < 1)
        return;
    const TScaledPlane& scaled = ScaledPlane(visible, screenWidth, screenHeight);
    if (!scaled.HasArea())
        return;
    if (outline)
        *outline = Rect(origin.X + scaled.FirstColumn, origin.Y + scaled.FirstRow, origin.X + scaled.LastColumn + 1,
                        origin.Y + scaled.LastRow + 1);
    canvas.Pen()->SetStyle(psSolid);
    canvas.Pen()->SetMode(pmCopy);
    for (int32_t row = scaled.FirstRow; row <= scaled.LastRow; ++row) {
        for (int32_t column = scaled.FirstColumn; column <= scaled.LastColumn; ++column) {
            if (!scaled.IsSet(column, row) || !IsOutlinePixel(scaled, column, row))
                continue;
            const int32_t x = origin.X + column;
            const int32_t y = origin.Y + row;
            canvas.SetPixel(x, y, ((x + y + phase) & 4) != 0 ? first : second);
        }
    }
}

void TQkMask::ShadeOutside(TQkBitmap& view, TPoint position, TColor colour, int32_t opacity, const TRect& visible,
                           int32_t screenWidth, int32_t screenHeight)
{
    if (view.GetPixelFormat() != qk24RGB || screenWidth < 1 || screenHeight < 1 || IsEmpty() || visible.Width() < 1 ||
        visible.Height() < 1)
        return;
    const TScaledPlane& scaled = ScaledPlane(visible, screenWidth, screenHeight);
    const TColor rgb = ColorToRGB(colour);
    const TRGBPixel tint = MakeRGBPixel(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
    const bool checkerboard = opacity == -1;
    const double strength = std::clamp(opacity, 0, 255) / 255.0;
    const int32_t firstRow = std::max(0, -position.Y);
    const int32_t endRow =
        static_cast<int32_t>(std::min<int64_t>(screenHeight, int64_t{view.GetHeight()} - position.Y));
    const int32_t firstColumn = std::max(0, -position.X);
    const int32_t endColumn =
        static_cast<int32_t>(std::min<int64_t>(screenWidth, int64_t{view.GetWidth()} - position.X));
    for (int32_t row = firstRow; row < endRow; ++row) {
        const int32_t y = position.Y + row;
        auto* pixels = reinterpret_cast<TRGBPixel*>(view.GetScanline(y));
        for (int32_t column = firstColumn; pixels && column < endColumn; ++column) {
            if (scaled.IsSet(column, row))
                continue;
            const int32_t x = position.X + column;
            TRGBPixel& pixel = pixels[x];
            if (checkerboard) {
                if ((x + y) % 2 == 0)
                    pixel = CheckerGray;
            } else {
                pixel = MakeRGBPixel(Blend(tint.r, pixel.r, strength), Blend(tint.g, pixel.g, strength),
                                     Blend(tint.b, pixel.b, strength));
            }
        }
    }
}
