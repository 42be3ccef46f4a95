// Rotation by inverse mapping with bilinear or bicubic interpolation. The
// image is sampled as if it had a border of three background pixels on
// every side; the rotated result loses that border again.

#include "imaging/core/QkRotate.h"

#include "imaging/core/QkProgressReporter.h"
#include "imaging/core/QkRowTable.h"

#include <array>
#include <cmath>
#include <numbers>

namespace {

constexpr int32_t Border = 3;

// The source with its border: pixel (x, y) of the padded image, the
// background outside the image (and outside the border).
template <int Bytes>
class TPaddedSource {
public:
    TPaddedSource(const TQkRowTable& rows, int32_t width, int32_t height, const uint8_t* background)
        : FRows(rows), FWidth(width), FHeight(height), FBackground(background)
    {}
    const uint8_t* Pixel(int32_t x, int32_t y) const
    {
        x -= Border;
        y -= Border;
        if (x < 0 || y < 0 || x >= FWidth || y >= FHeight)
            return FBackground;
        return FRows[y] + static_cast<ptrdiff_t>(x) * Bytes;
    }

private:
    const TQkRowTable& FRows;
    int32_t FWidth;
    int32_t FHeight;
    const uint8_t* FBackground;
};

template <int Bytes>
void SampleBilinear(const TPaddedSource<Bytes>& source, double sx, double sy, uint8_t* out)
{
    const int32_t x0 = FloorInt(sx);
    const int32_t y0 = FloorInt(sy);
    const double fx = sx - x0;
    const double fy = sy - y0;
    const uint8_t* p00 = source.Pixel(x0, y0);
    const uint8_t* p10 = source.Pixel(x0 + 1, y0);
    const uint8_t* p01 = source.Pixel(x0, y0 + 1);
    const uint8_t* p11 = source.Pixel(x0 + 1, y0 + 1);
    for (int c = 0; c < Bytes; ++c) {
        const double top = p00[c] + (p10[c] - p00[c]) * fx;
        const double bottom = p01[c] + (p11[c] - p01[c]) * fx;
        out[c] = static_cast<uint8_t>(Trunc(top + (bottom - top) * fy));
    }
}

// Cubic convolution weights (a = -1) for the offsets -1, 0, 1 and 2.
std::array<double, 4> CubicWeights(double f)
{
    return {-f * (1 - f) * (1 - f), 1 - 2 * f * f + f * f * f, f * (1 + f - f * f), -(1 - f) * f * f};
}

// The sum is limited to 0..255: the ringing beside an edge may go below 0,
// and must stay dark.
template <int Bytes>
void SampleBicubic(const TPaddedSource<Bytes>& source, double sx, double sy, uint8_t* out)
{
    const auto x0 = static_cast<int32_t>(Trunc(sx));
    const auto y0 = static_cast<int32_t>(Trunc(sy));
    const std::array<double, 4> wx = CubicWeights(sx - x0);
    const std::array<double, 4> wy = CubicWeights(sy - y0);
    std::array<double, Bytes> sums{};
    for (int32_t j = 0; j < 4; ++j)
        for (int32_t i = 0; i < 4; ++i) {
            const uint8_t* pixel = source.Pixel(x0 - 1 + i, y0 - 1 + j);
            const double weight = wx[i] * wy[j];
            for (int c = 0; c < Bytes; ++c)
                sums[c] += weight * pixel[c];
        }
    for (int c = 0; c < Bytes; ++c)
        out[c] = static_cast<uint8_t>(std::clamp<int64_t>(Trunc(sums[c]), 0, 255));
}

template <int Bytes>
void RotateInterpolated(TQkBitmap& bitmap, const uint8_t* background, uint8_t mode, TObject* sender,
                        const TQkProgressEvent* onProgress, double angle)
{
    if ((mode != 1 && mode != 2) || bitmap.IsEmpty())
        return;
    const int32_t width = bitmap.GetWidth();
    const int32_t height = bitmap.GetHeight();
    const double paddedWidth = width + 2 * Border;
    const double paddedHeight = height + 2 * Border;
    const double theta = angle * std::numbers::pi / 180;
    const double cosine = std::cos(theta);
    const double sine = std::sin(theta);
    const auto turnedWidth =
        static_cast<int32_t>(Round(std::fabs(sine) * (paddedHeight - 1) + std::fabs(cosine) * (paddedWidth - 1)));
    const auto turnedHeight =
        static_cast<int32_t>(Round(std::fabs(cosine) * (paddedHeight - 1) + std::fabs(sine) * (paddedWidth - 1)));
    TQkBitmap rotated(std::max(turnedWidth - 2 * Border, 1), std::max(turnedHeight - 2 * Border, 1),
                      bitmap.GetPixelFormat());
    if (rotated.IsEmpty())
        return;
    bitmap.CopyPaletteTo(&rotated);
    {
        const TQkRowTable rows(bitmap, qkaRead);
        const TQkRowTable to(rotated, qkaWrite);
        const TPaddedSource<Bytes> source(rows, width, height, background);
        const double centreX = (paddedWidth - 1) / 2;
        const double centreY = (paddedHeight - 1) / 2;
        const double turnedCentreX = (turnedWidth - 1) / 2.0;
        const double turnedCentreY = (turnedHeight - 1) / 2.0;
        TQkProgressReporter progress(sender, onProgress);
        for (int32_t y = 0; y < rotated.GetHeight(); ++y) {
            const double dy = y + Border - turnedCentreY;
            uint8_t* out = to[y];
            for (int32_t x = 0; x < rotated.GetWidth(); ++x, out += Bytes) {
                const double dx = x + Border - turnedCentreX;
                const double sx = dx * cosine - dy * sine + centreX;
                const double sy = dx * sine + dy * cosine + centreY;
                if (mode == 1)
                    SampleBilinear(source, sx, sy, out);
                else
                    SampleBicubic(source, sx, sy, out);
            }
            progress.Report((y + Border) * 100.0 / turnedHeight);
        }
    }
    bitmap.AssignImage(rotated);
}

} // namespace

void RotateRGBInterpolated(TQkBitmap& bitmap, TColor background, uint8_t mode, TObject* sender,
                           const TQkProgressEvent& onProgress, double angle)
{
    if (bitmap.GetPixelFormat() != qk24RGB)
        return;
    const TRGBPixel pixel = ColorToRGBPixel(background);
    const uint8_t bytes[3] = {pixel.b, pixel.g, pixel.r};
    RotateInterpolated<3>(bitmap, bytes, mode, sender, &onProgress, angle);
}

void RotateGrayInterpolated(TQkBitmap& bitmap, uint8_t background, uint8_t mode, double angle)
{
    if (QkBytesPerPixel(bitmap.GetPixelFormat()) != 1)
        return;
    RotateInterpolated<1>(bitmap, &background, mode, nullptr, nullptr, angle);
}
