#include "imaging/core/QkColorReduction.h"

#include "imaging/core/QkBilevel.h"
#include "imaging/core/QkPixelBuffers.h"
#include "imaging/core/QkPixelRows.h"
#include "imaging/core/QkQuantizer.h"

#include <cmath>
#include <cstdlib>
#include <vector>

TRGBPixel ComputeAverageColor(TQkBitmap& bitmap)
{
    const int32_t width = bitmap.GetWidth();
    const int32_t height = bitmap.GetHeight();
    const TRGBPixel failed{128, 128, 128};
    if (width < 1 || height < 1)
        return failed;
    std::vector<TRGBPixel> row(static_cast<size_t>(width));
    int64_t red = 0;
    int64_t green = 0;
    int64_t blue = 0;
    for (int32_t y = 0; y < height; ++y) {
        if (!ReadRowAsRGB(bitmap, y, row.data(), qkScaledWord))
            return failed;
        int64_t rowRed = 0;
        int64_t rowGreen = 0;
        int64_t rowBlue = 0;
        for (const TRGBPixel& pixel : row) {
            rowRed += pixel.r;
            rowGreen += pixel.g;
            rowBlue += pixel.b;
        }
        red += rowRed / width;
        green += rowGreen / width;
        blue += rowBlue / width;
    }
    return MakeRGBPixel(static_cast<uint8_t>(red / height), static_cast<uint8_t>(green / height),
                        static_cast<uint8_t>(blue / height));
}

void DitherTo1Bit(TQkBitmap& bitmap, TQkFilterProgress* progress)
{
    if (bitmap.GetPixelFormat() != qk24RGB)
        return;
    const int32_t width = bitmap.GetWidth();
    const int32_t height = bitmap.GetHeight();
    TQkBitmap mono(width, height, qk1g);
    for (int32_t y = 0; y < height; ++y) {
        const auto* pixels = reinterpret_cast<const TRGBPixel*>(bitmap.GetScanline(y));
        uint8_t* bits = mono.GetScanline(y);
        if (pixels && bits) {
            for (int32_t x = 0; x < width; ++x)
                SetBit(bits, x, DitherBit(DitherLevelOfRGB(pixels[x]), x, y));
        }
        ReportRowProgress(progress, y, height);
    }
    bitmap.AssignImage(mono);
}

void ThresholdTo1Bit(TQkBitmap& bitmap, int32_t mode, TQkFilterProgress* progress)
{
    if (bitmap.GetPixelFormat() != qk24RGB)
        return;
    TQkBitmap mono(bitmap.GetWidth(), bitmap.GetHeight(), qk1g);
    ConvertToBilevel(bitmap, mono, mode, progress);
    bitmap.AssignImage(mono);
}

void QuantizeInPlace(TQkBitmap& bitmap, int32_t colours, std::span<TRGBPixel> palette, TQkFilterProgress* progress)
{
    if (bitmap.GetPixelFormat() != qk24RGB || colours < 1)
        return;
    std::vector<TRGBPixel> temporary;
    if (palette.empty()) {
        temporary.resize(static_cast<size_t>(colours));
        palette = temporary;
    }
    const TQkQuantizer quantizer(bitmap, colours, palette);
    const std::vector<TRGBPixel>& entries = quantizer.Palette();
    const int32_t width = bitmap.GetWidth();
    const int32_t height = bitmap.GetHeight();
    for (int32_t y = 0; y < height; ++y) {
        if (auto* pixels = reinterpret_cast<TRGBPixel*>(bitmap.GetScanline(y))) {
            for (int32_t x = 0; x < width; ++x)
                pixels[x] = entries[static_cast<size_t>(quantizer.GetValidPaletteIndex(pixels[x]))];
        }
        ReportRowProgress(progress, y, height);
    }
}

namespace {

int64_t RoundedGray(const TRGBPixel& pixel)
{
    return std::lround((pixel.r * GrayWeightRed + pixel.g * GrayWeightGreen + pixel.b * GrayWeightBlue) / 100.0);
}

} // namespace

std::unique_ptr<TQkBitmap> MakeBilevelIfTwoColors(TQkBitmap& bitmap, TRGBPixel& colour0, TRGBPixel& colour1)
{
    const int32_t width = bitmap.GetWidth();
    const int32_t height = bitmap.GetHeight();
    auto mono = std::make_unique<TQkBitmap>(width, height, qk1g);
    int32_t found = 0;
    for (int32_t y = 0; y < height && found <= 2; ++y) {
        uint8_t* bits = mono->GetScanline(y);
        for (int32_t x = 0; x < width && bits && found <= 2; ++x) {
            const TRGBPixel pixel = bitmap.GetPixelRGB(x, y);
            if (found == 0)
                colour0 = pixel;
            const bool first = SameRGBPixel(pixel, colour0);
            if (!first && found == 1)
                colour1 = pixel;
            if (found < 2 && (found == 0 || !first))
                ++found;
            else if (!first && !SameRGBPixel(pixel, colour1))
                found = 3;
            SetBit(bits, x, !first);
        }
    }
    if (found != 2)
        return nullptr;
    if (RoundedGray(colour1) < RoundedGray(colour0)) {
        InvertBitmapBits(*mono);
        std::swap(colour0, colour1);
    }
    return mono;
}

int32_t FindNearestColor(const TRGBPixel* palette, int32_t count, uint32_t colour)
{
    const int32_t red = static_cast<int32_t>((colour >> 16) & 0xFF);
    const int32_t green = static_cast<int32_t>((colour >> 8) & 0xFF);
    const int32_t blue = static_cast<int32_t>(colour & 0xFF);
    int32_t best = 0;
    int32_t bestDistance = 1000;
    for (int32_t i = 0; i < count; ++i) {
        const int32_t distance =
            std::abs(palette[i].r - red) + std::abs(palette[i].g - green) + std::abs(palette[i].b - blue);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    return best;
}
