#include "imaging/core/QkDialogBackgrounds.h"

#include <algorithm>
#include <cmath>

#include "imaging/core/QkRandom.h"

namespace {

void FillRow(uint8_t* row, int32_t x, uint8_t gray)
{
    row[x * 3] = gray;
    row[x * 3 + 1] = gray;
    row[x * 3 + 2] = gray;
}

void Resize24(TBitmap& bitmap, int32_t width, int32_t height)
{
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(std::max(width, 0), std::max(height, 0));
}

} // namespace

std::vector<double> GaussianRamp(int32_t count, double low, double high, double sigma)
{
    std::vector<double> values;
    for (int32_t i = 0; i < count; ++i) {
        const double t = 2.0 * i / count - 1;
        values.push_back(std::exp(-0.5 * sigma * sigma * t * t) / (sigma * std::sqrt(2 * M_PI)));
    }
    const double maximum = values.empty() ? 0 : *std::max_element(values.begin(), values.end());
    for (double& value : values)
        value = maximum > 0 ? value / maximum * (high - low) + low : high;
    return values;
}

void FillStripedGrayBitmap(TBitmap& bitmap, int32_t width, int32_t height)
{
    Resize24(bitmap, width, height);
    const std::vector<double> levels = GaussianRamp(4, 130, 255, 0.5);
    for (int32_t y = 0; y < bitmap.Height(); ++y) {
        uint8_t* row = bitmap.ScanLine(y);
        for (int32_t x = 0; x < bitmap.Width(); ++x)
            FillRow(row, x, static_cast<uint8_t>(levels[static_cast<size_t>(y % 4)]));
    }
}

void FillNoisyGradientBitmap(TBitmap& bitmap, int32_t width, int32_t height)
{
    Resize24(bitmap, width, height);
    const std::vector<double> levels = GaussianRamp(bitmap.Width(), 160, 208, 3);
    int32_t offset = 0;
    int32_t sinceChange = 0;
    for (int32_t y = 0; y < bitmap.Height(); ++y) {
        uint8_t* row = bitmap.ScanLine(y);
        for (int32_t x = 0; x < bitmap.Width(); ++x) {
            if (++sinceChange > Random(bitmap.Width()) + 100) {
                offset = Random(11);
                sinceChange = 0;
            }
            FillRow(row, x, static_cast<uint8_t>(static_cast<int32_t>(levels[static_cast<size_t>(x)]) + offset));
        }
    }
}

void SetTBitmapGrayPalette(TBitmap& bitmap) { bitmap.SetPalette(TPalette::Grey256()); }

bool IsTBitmapGrayPalette(const TBitmap& bitmap)
{
    const TPalette& palette = bitmap.Palette();
    if (palette.Count() == 0)
        return false;
    for (size_t i = 0; i < palette.Count(); ++i) {
        const TPaletteEntry& entry = palette.Entry(i);
        if (entry.peRed != i || entry.peGreen != i || entry.peBlue != i)
            return false;
    }
    return true;
}
