#include "imaging/core/QkMagicWand.h"

#include <algorithm>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkMagicWandRegion.h"
#include "imaging/core/QkMask.h"

void MagicWandFloodFill(TQkBitmap& bitmap, int32_t x, int32_t y, int32_t value, TQkMask& mask, int32_t tolerance,
                        bool maximumFilter)
{
    const std::optional<TQkWandRegion> region = TQkWandRegion::Fill(bitmap, x, y, tolerance);
    if (!region)
        return;
    const int32_t reach = maximumFilter ? 1 : 0;
    const int32_t lastColumn = bitmap.GetWidth() - 1;
    const int32_t lastRow = bitmap.GetHeight() - 1;
    for (int32_t row = region->Top; row <= region->Bottom; ++row)
        for (int32_t column = region->Left; column <= region->Right; ++column) {
            if (!region->Contains(column, row))
                continue;
            for (int32_t j = std::max(row - reach, 0); j <= std::min(row + reach, lastRow); ++j)
                for (int32_t i = std::max(column - reach, 0); i <= std::min(column + reach, lastColumn); ++i)
                    mask.SetPixel(i, j, value);
        }
}

void MagicWandColorMatch(TQkBitmap& bitmap, int32_t x, int32_t y, int32_t value, TQkMask& mask, int32_t tolerance)
{
    const int32_t width = bitmap.GetWidth();
    const int32_t height = bitmap.GetHeight();
    if (x < 0 || y < 0 || x >= width || y >= height)
        return;
    const TQkAccessGuard reading(bitmap, qkaRead);
    const TQkWandColorTest test(bitmap.GetPixelRGB(x, y), tolerance);
    for (int32_t row = 0; row < height; ++row)
        for (int32_t column = 0; column < width; ++column)
            if (test.Passes(bitmap.GetPixelRGB(column, row)))
                mask.SetPixel(column, row, value);
}
