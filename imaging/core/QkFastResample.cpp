#include "imaging/core/QkFastResample.h"

#include "imaging/core/QkWorkBitmap.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr int32_t FractionBits = 17;
constexpr double FractionOne = 131072.0;

int32_t Interpolate(int32_t a, int32_t b, int32_t fraction)
{
    // An arithmetic shift: negative differences round toward minus infinity.
    return a + static_cast<int32_t>((static_cast<int64_t>(b - a) * fraction) >> FractionBits);
}

// Where destination column (or row) i reads in one direction.
struct TAxisTable {
    std::vector<int32_t> Left;
    std::vector<int32_t> Fraction;
    std::vector<int32_t> Right; // last source index of a box average
    bool Enlarging = false;
};

// The box bounds of columns carry a 1e-10 slack against rounding down;
// those of rows carry none.
TAxisTable AxisTable(int32_t sourceLength, int32_t length, double boundSlack)
{
    const double ratio = static_cast<double>(length) / sourceLength;
    TAxisTable table;
    table.Enlarging = ratio > 1;
    table.Left.resize(length);
    table.Fraction.resize(length);
    table.Right.resize(length);
    for (int32_t i = 0; i < length; ++i) {
        const double at = i / ratio;
        table.Left[i] = std::min(static_cast<int32_t>(Trunc(at)), sourceLength - 1);
        table.Fraction[i] = static_cast<int32_t>(Trunc((at - Trunc(at)) * FractionOne));
        const int32_t next = std::min(i + 1, length - 1);
        table.Right[i] = std::min(static_cast<int32_t>(Trunc(next / ratio + boundSlack)), sourceLength - 1);
    }
    return table;
}

TAxisTable ColumnTable(int32_t sourceLength, int32_t length) { return AxisTable(sourceLength, length, 1e-10); }

TAxisTable RowTable(int32_t sourceLength, int32_t length) { return AxisTable(sourceLength, length, 0); }

// Reports every step, as the fast filters do.
void Report(TObject* sender, const TQkProgressEvent& onProgress, int64_t done, int64_t total)
{
    if (onProgress)
        onProgress(sender, static_cast<int32_t>(Trunc(done * 100 / (total + 0.5))));
}

// One channel-interleaved row of `channels` bytes per pixel, resampled
// along x by the table.
void ResampleRowAlongX(const uint8_t* from, uint8_t* to, const TAxisTable& table, int32_t channels, int32_t sourceWidth)
{
    const int32_t width = static_cast<int32_t>(table.Left.size());
    for (int32_t i = 0; i < width; ++i) {
        const int32_t left = table.Left[i];
        for (int32_t c = 0; c < channels; ++c) {
            if (table.Enlarging) {
                const int32_t a = from[left * channels + c];
                const int32_t b = from[std::min(left + 1, sourceWidth - 1) * channels + c];
                to[i * channels + c] = static_cast<uint8_t>(Interpolate(a, b, table.Fraction[i]));
                continue;
            }
            int32_t sum = 0;
            for (int32_t x = left; x <= table.Right[i]; ++x)
                sum += from[x * channels + c];
            to[i * channels + c] = static_cast<uint8_t>(sum / (table.Right[i] - left + 1));
        }
    }
}

// Destination row k from the rows of the work buffer.
void ResampleRowAlongY(const TQkWorkBitmap& work, uint8_t* to, const TAxisTable& table, int32_t k, int32_t bytes)
{
    const int32_t sourceHeight = work.Height();
    const int32_t top = table.Left[k];
    if (table.Enlarging) {
        const uint8_t* a = work.GetScanline(top);
        const uint8_t* b = work.GetScanline(top + 1 == sourceHeight ? top : top + 1);
        for (int32_t n = 0; n < bytes; ++n)
            to[n] = static_cast<uint8_t>(Interpolate(a[n], b[n], table.Fraction[k]));
        return;
    }
    const int32_t count = table.Right[k] - top + 1;
    for (int32_t n = 0; n < bytes; ++n) {
        int32_t sum = 0;
        for (int32_t y = top; y <= table.Right[k]; ++y)
            sum += work.GetScanline(y)[n];
        to[n] = static_cast<uint8_t>(sum / count);
    }
}

void ResampleFastLinear(TQkBitmap& source, TQkBitmap& destination, int32_t channels, TObject* sender,
                        const TQkProgressEvent& onProgress)
{
    const int32_t sourceWidth = source.GetWidth();
    const int32_t sourceHeight = source.GetHeight();
    const int32_t width = destination.GetWidth();
    const int32_t height = destination.GetHeight();
    if (sourceWidth == 0 || sourceHeight == 0 || width == 0 || height == 0)
        return;
    if (sourceWidth == width && sourceHeight == height) {
        destination.Assign(&source);
        return;
    }
    TQkWorkBitmap work(width, channels * 8, sourceHeight);
    if (!work.Block())
        return;
    const TAxisTable columns = ColumnTable(sourceWidth, width);
    const int64_t total = static_cast<int64_t>(sourceHeight) + height;
    for (int32_t y = 0; y < sourceHeight; ++y) {
        ResampleRowAlongX(source.GetScanline(y), work.GetScanline(y), columns, channels, sourceWidth);
        Report(sender, onProgress, y, total);
    }
    const TAxisTable rows = RowTable(sourceHeight, height);
    TQkAccessGuard writing(destination, qkaWrite);
    for (int32_t k = 0; k < height; ++k) {
        ResampleRowAlongY(work, destination.GetScanline(k), rows, k, width * channels);
        Report(sender, onProgress, sourceHeight + k, total);
    }
}

// The per-source-column "counts" test of a projection: a 24-bit pixel
// counts when all its channels lie beyond 128 on the winning side, a bit
// when it has the winning value.
void MarkSourceRow(const uint8_t* row, bool mono, bool whiteWins, int32_t width, std::vector<uint8_t>& counts)
{
    for (int32_t x = 0; x < width; ++x) {
        if (mono) {
            counts[x] = GetBit(row, x) == whiteWins;
            continue;
        }
        const uint8_t* p = row + 3 * x;
        counts[x] = whiteWins ? (p[0] > 128 && p[1] > 128 && p[2] > 128) : (p[0] < 128 && p[1] < 128 && p[2] < 128);
    }
}

// The first source index of every destination index, and the source
// length after the last: destination i covers first[i] .. first[i + 1] - 1,
// at least one index.
std::vector<int32_t> ProjectionBounds(int32_t sourceLength, int32_t length)
{
    std::vector<int32_t> first(length + 1);
    const double ratio = static_cast<double>(sourceLength) / length;
    for (int32_t i = 0; i < length; ++i)
        first[i] = std::min(static_cast<int32_t>(Trunc(i * ratio)), sourceLength - 1);
    first[length] = sourceLength;
    return first;
}

int32_t LastCovered(const std::vector<int32_t>& first, int32_t i) { return std::max(first[i], first[i + 1] - 1); }

void Project(TQkBitmap& source, TQkBitmap& destination, bool mono, bool whiteWins, TObject* sender,
             const TQkProgressEvent& onProgress)
{
    const int32_t sourceWidth = source.GetWidth();
    const int32_t sourceHeight = source.GetHeight();
    const int32_t width = destination.GetWidth();
    const int32_t height = destination.GetHeight();
    if (source.IsEmpty() || width == 0 || height == 0)
        return;
    if (destination.GetPixelFormat() != qk1g && !destination.Allocate(width, height, qk1g))
        return;
    TQkAccessGuard reading(source, qkaRead);
    TQkAccessGuard writing(destination, qkaWrite);
    const std::vector<int32_t> columns = ProjectionBounds(sourceWidth, width);
    const std::vector<int32_t> rows = ProjectionBounds(sourceHeight, height);
    std::vector<uint8_t> counts(sourceWidth);
    std::vector<uint8_t> hit(width);
    std::vector<uint8_t> line(destination.GetRowLen());
    for (int32_t j = 0; j < height; ++j) {
        std::fill(hit.begin(), hit.end(), 0);
        for (int32_t y = rows[j]; y <= LastCovered(rows, j); ++y) {
            MarkSourceRow(source.GetScanline(y), mono, whiteWins, sourceWidth, counts);
            for (int32_t i = 0; i < width; ++i)
                for (int32_t x = columns[i]; x <= LastCovered(columns, i) && !hit[i]; ++x)
                    hit[i] = counts[x];
        }
        std::fill(line.begin(), line.end(), whiteWins ? 0 : 0xFF);
        for (int32_t i = 0; i < width; ++i)
            if (hit[i])
                SetBit(line.data(), i, whiteWins);
        std::memcpy(destination.GetScanline(j), line.data(), line.size());
        if (onProgress)
            onProgress(sender, static_cast<int32_t>(Trunc(j * 100 / (height + 0.5))));
    }
}

void WriteGray(uint8_t* pixel, int32_t value) { std::memset(pixel, value, 3); }

} // namespace

void ResampleFastLinearRGB(TQkBitmap& source, TQkBitmap& destination, TObject* sender,
                           const TQkProgressEvent& onProgress)
{
    if (source.GetPixelFormat() == qk24RGB && destination.GetPixelFormat() == qk24RGB)
        ResampleFastLinear(source, destination, 3, sender, onProgress);
}

void ResampleFastLinearGray(TQkBitmap& source, TQkBitmap& destination, TObject* sender,
                            const TQkProgressEvent& onProgress)
{
    if (source.GetBitCount() == 8 && destination.GetBitCount() == 8)
        ResampleFastLinear(source, destination, 1, sender, onProgress);
}

void ResampleFastLinearMono(TQkBitmap& source, TQkBitmap& destination, TObject* sender,
                            const TQkProgressEvent& onProgress)
{
    const int32_t sourceWidth = source.GetWidth();
    const int32_t sourceHeight = source.GetHeight();
    const int32_t width = destination.GetWidth();
    const int32_t height = destination.GetHeight();
    if (sourceWidth == 0 || sourceHeight == 0 || width == 0 || height == 0 || source.GetPixelFormat() != qk1g)
        return;
    if (sourceWidth == width && sourceHeight == height) {
        destination.Assign(&source);
        return;
    }
    if (destination.GetPixelFormat() != qk24RGB)
        return;
    const double rx = static_cast<double>(width) / sourceWidth;
    const double ry = static_cast<double>(height) / sourceHeight;
    if (rx < 1 && ry < 1) {
        BoxAverageMonoToGray(source, 0, 0, sourceWidth - 1, sourceHeight - 1, destination);
        return;
    }
    TQkWorkBitmap work(width, 24, sourceHeight);
    if (!work.Block())
        return;
    TAxisTable columns = ColumnTable(sourceWidth, width);
    columns.Enlarging = true;
    const int64_t total = static_cast<int64_t>(sourceHeight) + height;
    for (int32_t y = 0; y < sourceHeight; ++y) {
        const uint8_t* from = source.GetScanline(y);
        uint8_t* to = work.GetScanline(y);
        for (int32_t i = 0; i < width; ++i) {
            const int32_t a = GetBit(from, columns.Left[i]) ? 255 : 0;
            const int32_t b = GetBit(from, std::min(columns.Left[i] + 1, sourceWidth - 1)) ? 255 : 0;
            WriteGray(to + 3 * i, Interpolate(a, b, columns.Fraction[i]));
        }
        Report(sender, onProgress, y, total);
    }
    TAxisTable rows = RowTable(sourceHeight, height);
    rows.Enlarging = true;
    TQkAccessGuard writing(destination, qkaWrite);
    for (int32_t k = 0; k < height; ++k) {
        ResampleRowAlongY(work, destination.GetScanline(k), rows, k, width * 3);
        Report(sender, onProgress, sourceHeight + k, total);
    }
}

void BoxAverageMonoToGray(TQkBitmap& source, int32_t x1, int32_t y1, int32_t x2, int32_t y2, TQkBitmap& destination)
{
    const int32_t sourceWidth = source.GetWidth();
    const int32_t sourceHeight = source.GetHeight();
    const int32_t width = destination.GetWidth();
    const int32_t height = destination.GetHeight();
    if (sourceWidth == 0 || sourceHeight == 0 || width == 0 || height == 0 || x2 < x1 || y2 < y1 ||
        source.GetPixelFormat() != qk1g || destination.GetPixelFormat() != qk24RGB)
        return;
    const double fx = static_cast<double>(x2 - x1 + 1) / width;
    const double fy = static_cast<double>(y2 - y1 + 1) / height;
    auto clampColumn = [&](int64_t x) { return static_cast<int32_t>(std::clamp<int64_t>(x, 0, sourceWidth - 1)); };
    auto clampRow = [&](int64_t y) { return static_cast<int32_t>(std::clamp<int64_t>(y, 0, sourceHeight - 1)); };
    std::vector<int32_t> left(width);
    std::vector<int32_t> right(width);
    for (int32_t j = 0; j < width; ++j) {
        left[j] = clampColumn(x1 + Trunc(fx * j - fx / 2));
        right[j] = std::max(left[j], clampColumn(x1 + Trunc(fx / 2 + fx * j)));
    }
    std::vector<int64_t> set(width);
    TQkAccessGuard reading(source, qkaRead);
    TQkAccessGuard writing(destination, qkaWrite);
    for (int32_t i = 0; i < height; ++i) {
        const int32_t top = clampRow(y1 + std::clamp<int64_t>(Trunc(fy * i - fy / 2), 0, sourceHeight - 1));
        const int32_t bottom =
            std::max(top, clampRow(y1 + std::clamp<int64_t>(Trunc(Trunc(fy) / 2 + fy * i), 0, sourceHeight - 1)));
        std::fill(set.begin(), set.end(), 0);
        for (int32_t y = top; y <= bottom; ++y) {
            const uint8_t* row = source.GetScanline(y);
            for (int32_t j = 0; j < width; ++j)
                for (int32_t x = left[j]; x <= right[j]; ++x)
                    set[j] += GetBit(row, x);
        }
        uint8_t* to = destination.GetScanline(i);
        const int64_t rows = bottom - top + 1;
        for (int32_t j = 0; j < width; ++j)
            WriteGray(to + 3 * j, static_cast<int32_t>(255 * set[j] / (rows * (right[j] - left[j] + 1))));
    }
}

void ProjectRGBToMono(TQkBitmap& source, TQkBitmap& destination, bool whiteWins, TObject* sender,
                      const TQkProgressEvent& onProgress)
{
    if (source.GetPixelFormat() == qk24RGB)
        Project(source, destination, false, whiteWins, sender, onProgress);
}

void ProjectMonoToMono(TQkBitmap& source, TQkBitmap& destination, bool whiteWins, TObject* sender,
                       const TQkProgressEvent& onProgress)
{
    if (source.GetPixelFormat() == qk1g)
        Project(source, destination, true, whiteWins, sender, onProgress);
}
