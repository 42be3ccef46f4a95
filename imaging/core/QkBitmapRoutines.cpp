#include "imaging/core/QkBitmapRoutines.h"

#include "platform/gfx/Bitmap.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <vector>

TBitExpansionTable BitExpansionTable{};

namespace {

void FlipRowsVertically(TQkBitmap& bitmap, TQkBitmap& flipped)
{
    const int32_t height = bitmap.GetHeight();
    const int32_t length = bitmap.GetPixelFormat() == qk24RGB ? bitmap.GetWidth() * 3 : bitmap.GetRowLen();
    for (int32_t y = 0; y < height; ++y)
        std::memcpy(flipped.GetScanline(y), bitmap.GetScanline(height - 1 - y), length);
}

void MirrorMonoRow(const uint8_t* from, uint8_t* to, int32_t width, std::vector<uint8_t>& reversed)
{
    const int32_t bytes = (width + 7) / 8;
    reversed.resize(bytes);
    for (int32_t i = 0; i < bytes; ++i) {
        reversed[i] = from[bytes - 1 - i];
        ReverseByteBits(reversed[i]);
    }
    if (width % 8 == 0)
        std::memcpy(to, reversed.data(), bytes);
    else
        CopyBitRun(to, reversed.data(), 0, 8 - width % 8, width, bytes);
}

void MirrorPixels(const uint8_t* from, uint8_t* to, int32_t width, int32_t pixelBytes)
{
    for (int32_t x = 0; x < width; ++x)
        std::memcpy(to + static_cast<size_t>(width - 1 - x) * pixelBytes, from + static_cast<size_t>(x) * pixelBytes,
                    pixelBytes);
}

void FlipRowsHorizontally(TQkBitmap& bitmap, TQkBitmap& flipped)
{
    const int32_t width = bitmap.GetWidth();
    const int32_t height = bitmap.GetHeight();
    const TQkPixelFormat format = bitmap.GetPixelFormat();
    std::vector<uint8_t> reversed;
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* from = bitmap.GetScanline(y);
        uint8_t* to = flipped.GetScanline(y);
        if (format == qk1g)
            MirrorMonoRow(from, to, width, reversed);
        else
            MirrorPixels(from, to, width, QkBytesPerPixel(format));
    }
}

void CopyBitsWithin(uint8_t* destination, const uint8_t* source, int32_t destinationBit, int32_t sourceBit,
                    int32_t count, int64_t sourceBits)
{
    for (int32_t k = 0; k < count; ++k) {
        const int64_t from = static_cast<int64_t>(sourceBit) + k;
        SetBit(destination, destinationBit + k, from < sourceBits && GetBit(source, static_cast<int32_t>(from)));
    }
}

// The sample of a channel: a byte of a 24-bit pixel, the high byte of a
// 48-bit word (channel 0 blue is the last word).
struct TChannelAccess {
    TQkPixelFormat Format;
    int32_t Channel;

    int32_t PixelBytes() const { return Format == qk24RGB ? 3 : 6; }
    uint8_t Read(const uint8_t* pixel) const { return Format == qk24RGB ? pixel[Channel] : pixel[4 - 2 * Channel + 1]; }
    void Write(uint8_t* pixel, int32_t value) const
    {
        if (Format == qk24RGB) {
            pixel[Channel] = static_cast<uint8_t>(value);
            return;
        }
        const uint16_t word = static_cast<uint16_t>(value * 257);
        pixel[4 - 2 * Channel] = static_cast<uint8_t>(word & 0xFF);
        pixel[4 - 2 * Channel + 1] = static_cast<uint8_t>(word >> 8);
    }
};

template <class Map>
void MapChannel(TQkBitmap& bitmap, const TChannelAccess& access, Map map)
{
    const int32_t width = bitmap.GetWidth();
    const int32_t height = bitmap.GetHeight();
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* row = bitmap.GetScanline(y);
        for (int32_t x = 0; x < width; ++x) {
            uint8_t* pixel = row + static_cast<size_t>(x) * access.PixelBytes();
            access.Write(pixel, map(access.Read(pixel)));
        }
    }
}

// Which old channel feeds a new one: 0 blue, 1 green, 2 red, -1 zero.
int32_t ChannelSource(const std::string& order, size_t position)
{
    if (position >= order.size())
        return static_cast<int32_t>(position);
    switch (std::toupper(static_cast<unsigned char>(order[position]))) {
    case 'B': return 0;
    case 'G': return 1;
    case 'R': return 2;
    case '0': return -1;
    default: return static_cast<int32_t>(position);
    }
}

template <class T>
void ReorderPixels(T* pixels, int32_t width, const int32_t (&sources)[3], bool wordsReversed)
{
    // 48-bit pixels hold red first: map the blue-green-red indexes onto them.
    auto at = [wordsReversed](int32_t channel) { return wordsReversed ? 2 - channel : channel; };
    for (int32_t x = 0; x < width; ++x) {
        T* pixel = pixels + static_cast<size_t>(x) * 3;
        const T old[3] = {pixel[at(0)], pixel[at(1)], pixel[at(2)]};
        for (int32_t c = 0; c < 3; ++c)
            pixel[at(c)] = sources[c] < 0 ? T(0) : old[sources[c]];
    }
}

double CubicNear(double x) { return x * x * x - 2 * x * x + 1; }

double CubicFar(double x) { return -x * x * x + 5 * x * x - 8 * x + 4; }

} // namespace

void FlipBitmap(TQkBitmap& bitmap, TQkFlipDirection direction)
{
    if (bitmap.IsEmpty())
        return;
    TQkBitmap flipped;
    flipped.SetMemoryThreshold(bitmap.MemoryThreshold());
    if (!flipped.Allocate(bitmap.GetWidth(), bitmap.GetHeight(), bitmap.GetPixelFormat()))
        return;
    bitmap.CopyPaletteTo(&flipped);
    // Two bitmaps' rows are used at once: each hands out one mapped row.
    if (direction == qkFlipVertical)
        FlipRowsVertically(bitmap, flipped);
    else
        FlipRowsHorizontally(bitmap, flipped);
    bitmap.AssignImage(flipped);
    if (bitmap.HasAlphaChannel())
        FlipBitmap(*bitmap.GetAlphaChannel(), direction);
}

void CopyBitRun(uint8_t* destination, const uint8_t* source, int32_t destinationBit, int32_t sourceBit, int32_t count,
                int32_t sourceLength)
{
    if (count < 1 || destinationBit < 0 || sourceBit < 0)
        return;
    CopyBitsWithin(destination, source, destinationBit, sourceBit, count, static_cast<int64_t>(sourceLength) * 8);
}

void CopyBits(uint8_t* destination, const uint8_t* source, int32_t destinationBit, int32_t sourceBit, int32_t count)
{
    CopyBitsWithin(destination, source, destinationBit, sourceBit, count, INT64_MAX);
}

bool SameBitmaps(TQkBitmap& a, TQkBitmap& b)
{
    if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight() || a.HasAlphaChannel() != b.HasAlphaChannel() ||
        a.GetRowLen() != b.GetRowLen())
        return false;
    const int32_t length = a.GetRowLen();
    std::vector<uint8_t> row(length);
    for (int32_t y = 0; y < a.GetHeight(); ++y) {
        // Copied first: a file-stored bitmap may share nothing but one row.
        std::memcpy(row.data(), a.GetScanline(y), length);
        if (std::memcmp(row.data(), b.GetScanline(y), length) != 0)
            return false;
    }
    return !a.HasAlphaChannel() || SameBitmaps(*a.GetAlphaChannel(), *b.GetAlphaChannel());
}

void ReshapeTBitmap(TBitmap& bitmap, int32_t width, int32_t height, TPixelFormat format)
{
    bitmap.SetSize(0, 0);
    bitmap.SetPixelFormat(format);
    bitmap.SetSize(width, height);
}

void CopyTBitmap(const TBitmap& source, TBitmap& destination)
{
    if (&source == &destination)
        return;
    if (source.Empty()) {
        ReshapeTBitmap(destination, 1, 1, source.PixelFormat());
        return;
    }
    destination.Assign(&source);
}

std::unique_ptr<TBitmap> CloneTBitmap(const TBitmap& source)
{
    auto clone = std::make_unique<TBitmap>();
    CopyTBitmap(source, *clone);
    return clone;
}

void SpecifyChannelHistogram(TQkBitmap& bitmap, int32_t channel, const std::array<int64_t, 256>& target, int64_t total)
{
    const TQkPixelFormat format = bitmap.GetPixelFormat();
    if ((format != qk24RGB && format != qkRGB48) || bitmap.IsEmpty() || channel < 0 || channel > 2 || total <= 0)
        return;
    const TChannelAccess access{format, channel};
    std::array<int64_t, 256> histogram{};
    MapChannel(bitmap, access, [&](uint8_t v) {
        ++histogram[v];
        return v;
    });
    const double pixels = static_cast<double>(bitmap.GetWidth()) * bitmap.GetHeight();
    std::array<double, 256> equalised{};
    std::array<double, 256> specified{};
    int64_t sum = 0;
    int64_t targetSum = 0;
    for (int32_t i = 0; i < 256; ++i) {
        sum += histogram[i];
        targetSum += target[i];
        equalised[i] = static_cast<double>(sum) * 255 / pixels;
        specified[i] = (255.0 / static_cast<double>(total)) * static_cast<double>(targetSum);
    }
    MapChannel(bitmap, access, [&](uint8_t v) { return static_cast<int32_t>(Trunc(equalised[v])); });
    std::array<int32_t, 256> closest{};
    for (int32_t i = 0; i < 256; ++i) {
        double best = std::fabs(i - specified[0]);
        for (int32_t j = 1; j < 256; ++j) {
            const double distance = std::fabs(i - specified[j]);
            if (distance < best) {
                best = distance;
                closest[i] = j;
            }
        }
    }
    MapChannel(bitmap, access, [&](uint8_t v) { return closest[v]; });
}

void MatchHistogram(TQkBitmap& reference, TQkBitmap& bitmap)
{
    if (reference.GetPixelFormat() != qk24RGB || reference.IsEmpty() || bitmap.IsEmpty())
        return;
    std::array<std::array<int64_t, 256>, 3> histograms{};
    for (int32_t y = 0; y < reference.GetHeight(); ++y) {
        const uint8_t* row = reference.GetScanline(y);
        for (int32_t x = 0; x < reference.GetWidth(); ++x)
            for (int32_t c = 0; c < 3; ++c)
                ++histograms[c][row[3 * x + c]];
    }
    const int64_t total = static_cast<int64_t>(reference.GetWidth()) * reference.GetHeight();
    for (int32_t c = 0; c < 3; ++c)
        SpecifyChannelHistogram(bitmap, c, histograms[c], total);
}

void ReorderChannels(TQkBitmap& bitmap, const std::string& order, TObject* sender, const TQkProgressEvent& onProgress)
{
    const TQkPixelFormat format = bitmap.GetPixelFormat();
    if (format != qk24RGB && format != qkRGB48)
        return;
    const int32_t sources[3] = {ChannelSource(order, 0), ChannelSource(order, 1), ChannelSource(order, 2)};
    const int32_t height = bitmap.GetHeight();
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* row = bitmap.GetScanline(y);
        if (format == qk24RGB)
            ReorderPixels(row, bitmap.GetWidth(), sources, false);
        else
            ReorderPixels(reinterpret_cast<uint16_t*>(row), bitmap.GetWidth(), sources, true);
        if (onProgress)
            onProgress(sender, static_cast<int32_t>(100LL * y / height));
    }
}

double CubicInterpolate4(double previous, double s0, double s1, double s2, double t, double low, double high)
{
    const double result = s0 * CubicNear(std::fabs(t)) + s1 * CubicNear(std::fabs(t - 1)) +
        s2 * CubicFar(std::fabs(t - 2)) + previous * CubicFar(std::fabs(t + 1));
    if (result < low)
        return low;
    return result > high ? high : result;
}

void BuildBitExpansionTable()
{
    for (int32_t b = 0; b < 256; ++b)
        for (int32_t j = 0; j < 8; ++j) {
            const uint8_t value = (b & (0x80 >> j)) ? 255 : 0;
            std::fill_n(BitExpansionTable[b].begin() + 3 * j, 3, value);
        }
}
