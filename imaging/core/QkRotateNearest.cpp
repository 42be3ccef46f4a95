// Nearest-pixel rotation of 1-bit and 8-bit images: exact quarter and half
// turns, and an inverse mapping with four-decimal sines for other angles.

#include "imaging/core/QkRotate.h"

#include "imaging/core/QkProgressReporter.h"
#include "imaging/core/QkRowTable.h"

#include <cmath>
#include <numbers>

namespace {

// The whole turns the nearest rotations take exactly; -270 is not among
// them and goes the general way.
bool IsExactTurn(double angle) { return angle == 90 || angle == -90 || angle == 270 || angle == 180 || angle == -180; }

struct TNearestGeometry {
    double Cos;
    double Sin;
    int32_t Width;
    int32_t Height;
};

TNearestGeometry NearestGeometry(int32_t width, int32_t height, double angle)
{
    const double r = -angle / (180 / std::numbers::pi);
    TNearestGeometry g;
    g.Cos = static_cast<double>(Trunc(std::cos(r) * 10000)) / 10000;
    g.Sin = static_cast<double>(Trunc(std::sin(r) * 10000)) / 10000;
    // A sliver of an image keeps at least one pixel.
    g.Width = std::max<int32_t>(static_cast<int32_t>(Trunc(std::fabs(width * g.Cos) + std::fabs(height * g.Sin))), 1);
    g.Height = std::max<int32_t>(static_cast<int32_t>(Trunc(std::fabs(width * g.Sin) + std::fabs(height * g.Cos))), 1);
    return g;
}

// Calls copy(x, y, sourceX, sourceY) for every destination pixel whose
// source lies inside the image, and done(y) after each row.
template <class Copy, class RowDone>
void MapNearest(int32_t width, int32_t height, const TNearestGeometry& g, Copy copy, RowDone done)
{
    const double centreX = g.Width / 2.0 - 0.5;
    const double centreY = g.Height / 2.0 - 0.5;
    for (int32_t y = 0; y < g.Height; ++y) {
        const double dy = y - centreY;
        const auto columnBase = static_cast<int32_t>(Trunc(dy * g.Sin + width / 2.0 - 0.5));
        const auto rowBase = static_cast<int32_t>(Trunc(dy * g.Cos + height / 2.0 - 0.5));
        for (int32_t x = 0; x < g.Width; ++x) {
            const double dx = x - centreX;
            const int32_t column = static_cast<int32_t>(Trunc(dx * g.Cos)) + columnBase;
            const int32_t row = static_cast<int32_t>(Trunc(-dx * g.Sin)) + rowBase;
            if (column >= 0 && column < width && row >= 0 && row < height)
                copy(x, y, column, row);
        }
        done(y);
    }
}

void TurnExactly(TQkBitmap& bitmap, double angle)
{
    TQkBitmap turned;
    RotateBitmapInto(bitmap, turned, 0, nullptr, TQkProgressEvent(), angle);
    bitmap.Assign(&turned);
}

} // namespace

void RotateMono(TQkBitmap& bitmap, bool backgroundBit, const TQkFilterProgress& progress, double angle)
{
    if (bitmap.GetPixelFormat() != qk1g || bitmap.IsEmpty() || angle == 0)
        return;
    if (IsExactTurn(angle)) {
        TurnExactly(bitmap, angle);
        return;
    }
    const int32_t width = bitmap.GetWidth();
    const int32_t height = bitmap.GetHeight();
    const TNearestGeometry g = NearestGeometry(width, height, angle);
    TQkBitmap rotated(g.Width, g.Height, qk1g);
    if (rotated.IsEmpty())
        return;
    if (backgroundBit)
        rotated.Fill(1);
    {
        const TQkRowTable from(bitmap, qkaRead);
        const TQkRowTable to(rotated, qkaRead | qkaWrite);
        TQkProgressReporter reporter(progress.Sender, &progress.OnProgress);
        MapNearest(
            width, height, g,
            [&](int32_t x, int32_t y, int32_t sx, int32_t sy) { SetBit(to[y], x, GetBit(from[sy], sx)); },
            [&](int32_t y) { reporter.Report(y * 100.0 / g.Height); });
    }
    bitmap.Assign(&rotated);
}

void RotateGrayNearest(TQkBitmap& bitmap, uint8_t background, double angle)
{
    const TQkPixelFormat format = bitmap.GetPixelFormat();
    if ((format != qk8g && format != qk8p) || bitmap.IsEmpty() || angle == 0)
        return;
    if (IsExactTurn(angle)) {
        TurnExactly(bitmap, angle);
        return;
    }
    const int32_t width = bitmap.GetWidth();
    const int32_t height = bitmap.GetHeight();
    const TNearestGeometry g = NearestGeometry(width, height, angle);
    TQkBitmap rotated(g.Width, g.Height, format);
    if (rotated.IsEmpty())
        return;
    bitmap.CopyPaletteTo(&rotated);
    rotated.Fill(background);
    {
        const TQkRowTable from(bitmap, qkaRead);
        const TQkRowTable to(rotated, qkaRead | qkaWrite);
        MapNearest(
            width, height, g, [&](int32_t x, int32_t y, int32_t sx, int32_t sy) { to[y][x] = from[sy][sx]; },
            [](int32_t) {});
    }
    bitmap.Assign(&rotated);
}
