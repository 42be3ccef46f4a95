// The area resampler behind rfBilinear and rfBicubic: every destination
// pixel integrates the source, sampled by bilinear or cubic interpolation,
// over its own area. The area is cut into segments at source and
// destination pixel boundaries; each segment adds its size times the
// sample taken at its end.

#include "imaging/core/QkBitmapRoutines.h"
#include "imaging/core/QkFastResample.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace {

constexpr double BoundaryTolerance = 1e-4;

// One piece of a destination pixel along one axis.
struct TSegment {
    int32_t Destination; // destination index it lies in
    int32_t Source; // source index it lies in
    double Length;
    double Position; // where it ends, relative to the source index
    bool EndsDestination;
};

std::vector<TSegment> Segments(int32_t sourceLength, int32_t length)
{
    const double extent = static_cast<double>(sourceLength) / length;
    std::vector<TSegment> segments;
    segments.reserve(static_cast<size_t>(sourceLength) + length);
    double at = 0;
    int32_t source = 0;
    for (int32_t destination = 0; destination < length;) {
        const double nextDestination = extent * (destination + 1);
        const double nextSource = source + 1;
        if (nextDestination <= nextSource + BoundaryTolerance) {
            segments.push_back({destination, source, nextDestination - at, nextDestination - source, true});
            at = nextDestination;
            ++destination;
        } else {
            segments.push_back({destination, source, nextSource - at, 1.0, false});
            at = nextSource;
            ++source;
        }
    }
    return segments;
}

// Four source rows around the current one, widened to doubles, channels
// interleaved; rows outside the image repeat the edge.
class TRowWindow {
public:
    TRowWindow(TQkBitmap& source, int32_t channels, bool wide)
        : FSource(source), FChannels(channels), FWide(wide), FWidth(source.GetWidth()), FHeight(source.GetHeight())
    {}

    // Rows j - 1 .. j + 2 of the image; each source row is read once.
    void MoveTo(int32_t j)
    {
        if (j == FCurrent)
            return;
        if (j == FCurrent + 1) {
            std::rotate(FRows.begin(), FRows.begin() + 1, FRows.end());
            Load(3, j + 2);
        } else {
            for (int32_t n = 0; n < 4; ++n)
                Load(n, j - 1 + n);
        }
        FCurrent = j;
    }

    double At(int32_t x, int32_t rowOffset, int32_t channel) const
    {
        const int32_t column = std::clamp(x, 0, FWidth - 1);
        return FRows[rowOffset + 1][static_cast<size_t>(column) * FChannels + channel];
    }

private:
    void Load(int32_t slot, int32_t row)
    {
        const int32_t clamped = std::clamp(row, 0, FHeight - 1);
        std::vector<double>& values = FRows[slot];
        values.resize(static_cast<size_t>(FWidth) * FChannels);
        const uint8_t* data = FSource.GetScanline(clamped);
        for (size_t n = 0; n < values.size(); ++n)
            values[n] = FWide ? (data[2 * n] | (data[2 * n + 1] << 8)) : data[n];
    }

    TQkBitmap& FSource;
    int32_t FChannels;
    bool FWide;
    int32_t FWidth;
    int32_t FHeight;
    int32_t FCurrent = -2;
    std::array<std::vector<double>, 4> FRows;
};

struct TAreaSampler {
    const TRowWindow& Rows;
    uint8_t Mode;
    bool AlongX;
    bool AlongY;
    double Maximum;

    double Linear(int32_t x, int32_t rowOffset, int32_t c, double u) const
    {
        const double here = Rows.At(x, rowOffset, c);
        return AlongX ? (1 - u) * here + u * Rows.At(x + 1, rowOffset, c) : here;
    }

    double Cubic(int32_t x, int32_t rowOffset, int32_t c, double u) const
    {
        if (!AlongX)
            return Rows.At(x, rowOffset, c);
        return static_cast<double>(
            Round(CubicInterpolate4(Rows.At(x - 1, rowOffset, c), Rows.At(x, rowOffset, c),
                                    Rows.At(x + 1, rowOffset, c), Rows.At(x + 2, rowOffset, c), u, 0, Maximum)));
    }

    double Sample(int32_t x, int32_t c, double u, double v) const
    {
        if (Mode == 0) {
            const double top = Linear(x, 0, c, u);
            return AlongY ? (1 - v) * top + v * Linear(x, 1, c, u) : top;
        }
        if (!AlongY)
            return Cubic(x, 0, c, u);
        return CubicInterpolate4(Cubic(x, -1, c, u), Cubic(x, 0, c, u), Cubic(x, 1, c, u), Cubic(x, 2, c, u), v, 0,
                                 Maximum);
    }
};

void StoreRow(uint8_t* row, const std::vector<double>& sums, double scale, bool wide, double maximum)
{
    for (size_t n = 0; n < sums.size(); ++n) {
        const int64_t value = std::clamp<int64_t>(Round(sums[n] * scale), 0, static_cast<int64_t>(maximum));
        if (wide) {
            row[2 * n] = static_cast<uint8_t>(value & 0xFF);
            row[2 * n + 1] = static_cast<uint8_t>(value >> 8);
        } else {
            row[n] = static_cast<uint8_t>(value);
        }
    }
}

void ResampleArea(TQkBitmap& source, TQkBitmap& destination, uint8_t mode, int32_t channels, bool wide, TObject* sender,
                  const TQkProgressEvent& onProgress)
{
    const int32_t sourceWidth = source.GetWidth();
    const int32_t sourceHeight = source.GetHeight();
    const int32_t width = destination.GetWidth();
    const int32_t height = destination.GetHeight();
    if (sourceWidth == 0 || sourceHeight == 0 || width == 0 || height == 0 ||
        destination.GetPixelFormat() != source.GetPixelFormat())
        return;
    const double gx = static_cast<double>(sourceWidth) / width;
    const double gy = static_cast<double>(sourceHeight) / height;
    const double maximum = wide ? 65535 : 255;
    TRowWindow rows(source, channels, wide);
    const TAreaSampler sampler{rows, mode, gx < 1, gy < 1, maximum};
    const std::vector<TSegment> across = Segments(sourceWidth, width);
    const std::vector<TSegment> down = Segments(sourceHeight, height);
    std::vector<double> sums(static_cast<size_t>(width) * channels, 0.0);
    const double scale = 1 / (gx * gy);
    TQkAccessGuard writing(destination, qkaWrite);
    for (const TSegment& band : down) {
        rows.MoveTo(std::min(band.Source, sourceHeight - 1));
        for (const TSegment& piece : across) {
            const double area = piece.Length * band.Length;
            const int32_t x = std::min(piece.Source, sourceWidth - 1);
            for (int32_t c = 0; c < channels; ++c)
                sums[static_cast<size_t>(piece.Destination) * channels + c] +=
                    area * sampler.Sample(x, c, piece.Position, band.Position);
        }
        if (!band.EndsDestination)
            continue;
        StoreRow(destination.GetScanline(band.Destination), sums, scale, wide, maximum);
        std::fill(sums.begin(), sums.end(), 0.0);
        if (onProgress)
            onProgress(sender, static_cast<int32_t>(Trunc((band.Destination + 1) / static_cast<double>(height) * 100)));
    }
}

} // namespace

void ResampleAreaRGB(TQkBitmap& source, TQkBitmap& destination, uint8_t mode, TObject* sender,
                     const TQkProgressEvent& onProgress)
{
    const TQkPixelFormat format = source.GetPixelFormat();
    if (format == qk24RGB || format == qk8g)
        ResampleArea(source, destination, mode, format == qk24RGB ? 3 : 1, false, sender, onProgress);
}

void ResampleArea16(TQkBitmap& source, TQkBitmap& destination, uint8_t mode, TObject* sender,
                    const TQkProgressEvent& onProgress)
{
    const TQkPixelFormat format = source.GetPixelFormat();
    if (format == qkRGB48 || format == qk16g)
        ResampleArea(source, destination, mode, format == qkRGB48 ? 3 : 1, true, sender, onProgress);
}
