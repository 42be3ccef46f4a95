#include "imaging/core/QkBilevel.h"

#include "imaging/core/QkBitmapRoutines.h"
#include "imaging/core/QkColorReduction.h"
#include "imaging/core/QkPixelRows.h"

#include "platform/gfx/Bitmap.h"

#include <cmath>
#include <cstring>
#include <vector>

const std::array<std::array<int32_t, 8>, 8> BayerMatrix = {{
    {0, 32, 8, 40, 2, 34, 10, 42},
    {48, 16, 56, 24, 50, 18, 58, 26},
    {12, 44, 4, 36, 14, 46, 6, 38},
    {60, 28, 52, 20, 62, 30, 54, 22},
    {3, 35, 11, 43, 1, 33, 9, 41},
    {51, 19, 59, 27, 49, 17, 57, 25},
    {15, 47, 7, 39, 13, 45, 5, 37},
    {63, 31, 55, 23, 61, 29, 53, 21},
}};

namespace {

constexpr uint8_t WhiteLevel = 64;
constexpr uint8_t NearWhite = 250;

} // namespace

uint8_t DitherLevelOfGray(uint8_t gray) { return gray > NearWhite ? WhiteLevel : static_cast<uint8_t>(gray >> 2); }

uint8_t DitherLevelOfRGB(const TRGBPixel& pixel)
{
    if (pixel.r > NearWhite && pixel.g > NearWhite && pixel.b > NearWhite)
        return WhiteLevel;
    return static_cast<uint8_t>(RGBPixelToGray(pixel) >> 2);
}

void ReportRowProgress(TQkFilterProgress* progress, int32_t row, int32_t height)
{
    if (!progress)
        return;
    progress->Step = 100 / (height + 0.5);
    if (progress->OnProgress)
        progress->OnProgress(progress->Sender, static_cast<int32_t>((row + 1) * 100 / (height + 0.5)));
}

void GrayHistogram(TQkBitmap& bitmap, std::array<int32_t, 256>& counters)
{
    counters.fill(0);
    const int32_t width = bitmap.GetWidth();
    const int32_t height = bitmap.GetHeight();
    const bool mono = bitmap.GetPixelFormat() == qk1g;
    std::vector<TRGBPixel> row(static_cast<size_t>(width));
    for (int32_t y = 0; y < height; ++y) {
        if (!ReadRowAsRGB(bitmap, y, row.data(), qkHighByte))
            continue;
        for (const TRGBPixel& pixel : row)
            ++counters[mono ? (pixel.r != 0 ? 1 : 0) : RGBPixelToGray(pixel)];
    }
}

int32_t MaximumEntropyThreshold(const std::array<int32_t, 256>& counters, int64_t pixels)
{
    if (pixels <= 0)
        return -2;
    std::array<double, 256> p{};
    double entropy = 0;
    for (size_t i = 0; i < p.size(); ++i) {
        p[i] = static_cast<double>(counters[i]) / static_cast<double>(pixels);
        if (p[i] > 0)
            entropy -= p[i] * std::log(p[i]);
    }
    int32_t threshold = -2;
    double best = 0;
    double below = 0;
    double entropyBelow = 0;
    for (int32_t t = 1; t <= 255; ++t) {
        below += p[t - 1];
        if (p[t - 1] > 0)
            entropyBelow -= p[t - 1] * std::log(p[t - 1]);
        if (below <= 0 || below >= 1)
            continue;
        const double score =
            std::log(below - below * below) + entropyBelow / below + (entropy - entropyBelow) / (1 - below);
        if (score > best) {
            best = score;
            threshold = t;
        }
    }
    return threshold;
}

void ConvertToBilevel(TQkBitmap& source, TQkBitmap& destination, int32_t threshold, TQkFilterProgress* progress)
{
    if (source.GetPixelFormat() == qk1g) {
        destination.AssignImage(source);
        return;
    }
    const int32_t width = source.GetWidth();
    const int32_t height = source.GetHeight();
    if (threshold == -2) {
        std::array<int32_t, 256> counters{};
        GrayHistogram(source, counters);
        threshold = MaximumEntropyThreshold(counters, static_cast<int64_t>(width) * height);
    } else if (threshold == -1) {
        threshold = RGBPixelToGray(ComputeAverageColor(source));
    }
    std::vector<TRGBPixel> row(static_cast<size_t>(width));
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* target = destination.GetScanline(y);
        if (target && ReadRowAsRGB(source, y, row.data(), qkHighByte)) {
            for (int32_t x = 0; x < width; ++x)
                SetBit(target, x, RGBPixelToGray(row[x]) >= threshold);
        }
        ReportRowProgress(progress, y, height);
    }
}

void ExpandMonoTBitmapTo24(const TBitmap& source, TBitmap& destination, TQkFilterProgress* progress)
{
    const int32_t width = source.Width();
    const int32_t height = source.Height();
    ReshapeTBitmap(destination, width, height, pf24bit);
    const int32_t fullBytes = width / 8;
    const int32_t rest = width % 8;
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* bits = source.ScanLine(y);
        uint8_t* pixels = destination.ScanLine(y);
        for (int32_t i = 0; i < fullBytes; ++i)
            std::memcpy(pixels + i * 24, BitExpansionTable[bits[i]].data(), 24);
        if (rest > 0)
            std::memcpy(pixels + fullBytes * 24, BitExpansionTable[bits[fullBytes]].data(), rest * 3);
        ReportRowProgress(progress, y, height);
    }
}
