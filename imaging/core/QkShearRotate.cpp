// The three-shear rotation: quarter turns first, so that the shears never
// pass 45 degrees, then a horizontal, a vertical and a horizontal shear,
// optionally blending neighbours with 12-bit weights.

#include "imaging/core/QkRotate.h"

#include "imaging/core/QkProgressReporter.h"
#include "imaging/core/QkRowTable.h"

#include <array>
#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

namespace {

template <size_t Bytes>
using TPixel = std::array<uint8_t, Bytes>;

// prev * w + current * (4096 - w), rounded half up; a negative w (a shift
// that was rounded up) extrapolates, hence the clamp.
template <size_t Bytes>
TPixel<Bytes> Blend(const TPixel<Bytes>& previous, const TPixel<Bytes>& current, int32_t weight)
{
    TPixel<Bytes> result;
    for (size_t c = 0; c < Bytes; ++c)
        result[c] = ByteClamp((previous[c] * weight + current[c] * (4096 - weight) + 2048) >> 12);
    return result;
}

// The size and offsets of the three shears, for an image of W x H turned by
// at most 45 degrees.
struct TShearGeometry {
    long double Theta;
    long double Tan;
    long double Sin;
    int32_t Width1;
    int32_t OffsetY;
    int32_t OffsetX;
    int32_t Height2;
    int32_t Width3;
    double ProgressFactor;
};

TShearGeometry ShearGeometry(int32_t width, int32_t height, double angle)
{
    TShearGeometry g;
    g.Theta = angle * std::numbers::pi_v<long double> / 180;
    g.Tan = std::fabs(std::sin(g.Theta / 2) / std::cos(g.Theta / 2));
    g.Sin = std::fabs(std::sin(g.Theta));
    g.Width1 = static_cast<int32_t>(Round(height * g.Tan + width + 1));
    g.OffsetY = static_cast<int32_t>(Round((g.Width1 - width) * g.Sin));
    const auto height2Raw = static_cast<int32_t>(Round(g.Width1 * g.Sin + height + 1));
    g.OffsetX = static_cast<int32_t>(Round((height2Raw - height - g.OffsetY) * g.Tan));
    g.Height2 = height2Raw - 2 * g.OffsetY;
    g.Width3 = static_cast<int32_t>(Round(g.Height2 * g.Tan + g.Width1 + 1 - 2 * g.OffsetX));
    g.ProgressFactor = 100.0 / (static_cast<double>(height) + g.Width1 + g.Height2);
    return g;
}

// Pixels laid out with a fixed step between lines: rows of a buffer, or a
// column walked down the rows.
template <size_t Bytes>
class TPixelLine {
public:
    TPixelLine(uint8_t* start, ptrdiff_t step) : FStart(start), FStep(step) {}
    TPixel<Bytes> Get(int32_t i) const
    {
        TPixel<Bytes> pixel;
        std::memcpy(pixel.data(), FStart + i * FStep, Bytes);
        return pixel;
    }
    void Set(int32_t i, const TPixel<Bytes>& pixel) const { std::memcpy(FStart + i * FStep, pixel.data(), Bytes); }

private:
    uint8_t* FStart;
    ptrdiff_t FStep;
};

// Writes `count` pixels of `from` into `to` from position `shift` on, inside
// 0 .. length - 1, over a line already filled with the background. With
// antialiasing each pixel blends with the one before it (the background
// before the first written one), and one more pixel blends the last one
// into the background.
template <size_t Bytes>
void ShearLine(const TPixelLine<Bytes>& from, int32_t count, const TPixelLine<Bytes>& to, int32_t length, int32_t shift,
               int32_t weight, bool antialias, const TPixel<Bytes>& background)
{
    TPixel<Bytes> previous = background;
    for (int32_t k = 0; k < count; ++k) {
        const int32_t at = shift + k;
        if (at < 0 || at >= length)
            continue;
        const TPixel<Bytes> current = from.Get(k);
        to.Set(at, antialias ? Blend(previous, current, weight) : current);
        previous = current;
    }
    const int32_t tail = shift + count;
    if (antialias && weight > 0 && tail >= 0 && tail < length)
        to.Set(tail, Blend(previous, background, weight));
}

template <size_t Bytes>
void FillLine(const TPixelLine<Bytes>& line, int32_t length, const TPixel<Bytes>& background)
{
    for (int32_t i = 0; i < length; ++i)
        line.Set(i, background);
}

template <size_t Bytes>
class TShearRotation {
public:
    TShearRotation(TQkBitmap& turned, bool antialias, const TPixel<Bytes>& background, TObject* sender,
                   const TQkProgressEvent& onProgress, double angle)
        : FTurned(turned), FAntialias(antialias), FBackground(background), FProgress(sender, &onProgress),
          FWidth(turned.GetWidth()), FHeight(turned.GetHeight()), FGeometry(ShearGeometry(FWidth, FHeight, angle))
    {}

    // The rotated image into `bitmap`, re-allocated to its size.
    void Run(TQkBitmap& bitmap)
    {
        const size_t width1 = FGeometry.Width1;
        std::vector<uint8_t> first(width1 * FHeight * Bytes);
        std::vector<uint8_t> second(width1 * FGeometry.Height2 * Bytes);
        ShearRows(first);
        ShearColumns(first, second);
        if (!bitmap.Allocate(FGeometry.Width3, FGeometry.Height2, FTurned.GetPixelFormat()))
            return;
        FTurned.CopyPaletteTo(&bitmap);
        ShearRowsAgain(second, bitmap);
    }

private:
    bool Positive() const { return FGeometry.Theta > 0; }

    void ShearRows(std::vector<uint8_t>& first)
    {
        const TQkRowTable rows(FTurned, qkaRead);
        const int32_t width1 = FGeometry.Width1;
        for (int32_t y = 0; y < FHeight; ++y) {
            const long double shift = (Positive() ? y : FHeight - y) * FGeometry.Tan;
            const auto i = static_cast<int32_t>(Round(shift));
            const auto weight = static_cast<int32_t>(Trunc((shift - i) * 4096));
            const TPixelLine<Bytes> to(first.data() + static_cast<size_t>(y) * width1 * Bytes, Bytes);
            FillLine(to, width1, FBackground);
            ShearLine(TPixelLine<Bytes>(rows[y], Bytes), FWidth, to, width1, i, weight, FAntialias, FBackground);
            FProgress.Report(y * FGeometry.ProgressFactor);
        }
    }

    void ShearColumns(std::vector<uint8_t>& first, std::vector<uint8_t>& second)
    {
        const int32_t width1 = FGeometry.Width1;
        const ptrdiff_t step = static_cast<ptrdiff_t>(width1) * Bytes;
        for (int32_t x = 0; x < width1; ++x) {
            const long double shift = (Positive() ? width1 - x : x) * FGeometry.Sin;
            const auto i = static_cast<int32_t>(Round(shift));
            const auto weight = static_cast<int32_t>(Round((shift - i) * 4096));
            const TPixelLine<Bytes> to(second.data() + static_cast<size_t>(x) * Bytes, step);
            FillLine(to, FGeometry.Height2, FBackground);
            ShearLine(TPixelLine<Bytes>(first.data() + static_cast<size_t>(x) * Bytes, step), FHeight, to,
                      FGeometry.Height2, i - FGeometry.OffsetY, weight, FAntialias, FBackground);
            FProgress.Report((FHeight + x) * FGeometry.ProgressFactor);
        }
    }

    void ShearRowsAgain(std::vector<uint8_t>& second, TQkBitmap& bitmap)
    {
        const TQkRowTable rows(bitmap, qkaWrite);
        const int32_t width1 = FGeometry.Width1;
        const int32_t height2 = FGeometry.Height2;
        for (int32_t y = 0; y < height2; ++y) {
            const long double shift = (Positive() ? y : height2 - y) * FGeometry.Tan;
            const auto i = static_cast<int32_t>(Round(shift));
            const auto weight = static_cast<int32_t>(Round((shift - i) * 4096));
            const TPixelLine<Bytes> to(rows[y], Bytes);
            FillLine(to, FGeometry.Width3, FBackground);
            ShearLine(TPixelLine<Bytes>(second.data() + static_cast<size_t>(y) * width1 * Bytes, Bytes), width1, to,
                      FGeometry.Width3, i - FGeometry.OffsetX, weight, FAntialias, FBackground);
            FProgress.Report((FHeight + width1 + y) * FGeometry.ProgressFactor);
        }
    }

    TQkBitmap& FTurned;
    bool FAntialias;
    TPixel<Bytes> FBackground;
    TQkProgressReporter FProgress;
    int32_t FWidth;
    int32_t FHeight;
    TShearGeometry FGeometry;
};

// The angle cut to thousandths of a degree, within one turn.
double CutAngle(double angle) { return static_cast<double>(Trunc(angle * 1000) % 360000) / 1000; }

// Quarter turns until the angle is within 45 degrees of 0; returns what is
// left to turn, `turned` holding the image turned so far. `takeBack` moves
// a turned image back into the bitmap.
template <class CounterClockwise, class Clockwise, class TakeBack>
double TurnByQuarters(TQkBitmap& bitmap, TQkBitmap& turned, double angle, CounterClockwise turnLeft,
                      Clockwise turnRight, TakeBack takeBack)
{
    // A copy: the bitmap keeps its image should the shears fail.
    if (angle >= -45 && angle <= 45)
        turned.AssignImage(bitmap);
    while (angle > 45) {
        turnLeft(bitmap, turned);
        angle -= 90;
        if (angle > 45)
            takeBack(bitmap, turned);
    }
    while (angle < -45) {
        turnRight(bitmap, turned);
        angle += 90;
        if (angle < -45)
            takeBack(bitmap, turned);
    }
    return angle;
}

template <size_t Bytes, class CounterClockwise, class Clockwise, class TakeBack>
void RotateByShears(TQkBitmap& bitmap, bool antialias, const TPixel<Bytes>& background, TObject* sender,
                    const TQkProgressEvent& onProgress, double angle, CounterClockwise turnLeft, Clockwise turnRight,
                    TakeBack takeBack)
{
    if (bitmap.IsEmpty())
        return;
    TQkBitmap turned;
    turned.SetLocation(bitmap.TakeOverLocation());
    const double rest = TurnByQuarters(bitmap, turned, CutAngle(angle), turnLeft, turnRight, takeBack);
    if (rest == 0) {
        takeBack(bitmap, turned);
        return;
    }
    TShearRotation<Bytes>(turned, antialias, background, sender, onProgress, rest).Run(bitmap);
}

bool IsGray(TQkBitmap& bitmap) { return bitmap.GetPixelFormat() == qk8g || bitmap.GetPixelFormat() == qk8p; }

} // namespace

void RotateByShear(TQkBitmap& bitmap, bool antialias, TObject* sender, const TQkProgressEvent& onProgress,
                   uint32_t background, double angle)
{
    if (angle == 0)
        return;
    if (bitmap.GetPixelFormat() == qk1g) {
        const bool white = (background & 0xFF) != 0 && (background & 0xFF00) != 0 && (background & 0xFF0000) != 0;
        TQkFilterProgress progress;
        progress.OnProgress = onProgress;
        progress.Sender = sender;
        RotateMono(bitmap, white, progress, angle);
        return;
    }
    if (bitmap.GetPixelFormat() != qk24RGB)
        return;
    const TPixel<3> pixel = {static_cast<uint8_t>(background), static_cast<uint8_t>(background >> 8),
                             static_cast<uint8_t>(background >> 16)};
    RotateByShears<3>(bitmap, antialias, pixel, sender, onProgress, angle, RotateRGB90CCW, RotateRGB90CW,
                      [](TQkBitmap& to, TQkBitmap& from) { to.TakeOverImage(from); });
}

void RotateGrayByShear(TQkBitmap& bitmap, bool antialias, uint8_t background, TObject* sender,
                       const TQkProgressEvent& onProgress, double angle)
{
    if (angle == 0 || !IsGray(bitmap))
        return;
    RotateByShears<1>(bitmap, antialias, {background}, sender, onProgress, angle, RotateGray90CCW, RotateGray90CW,
                      [](TQkBitmap& to, TQkBitmap& from) { to.TakeOver(from); });
}
