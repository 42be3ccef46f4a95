#include "imaging/core/QkColorReduction.h"

#include "imaging/core/QkBilevel.h"
#include "imaging/core/QkPixelRows.h"

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
