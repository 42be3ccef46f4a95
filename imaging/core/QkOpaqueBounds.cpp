#include "imaging/core/QkOpaqueBounds.h"

#include "imaging/core/QkRowTable.h"

#include <algorithm>

TRect GetOpaqueBounds(TQkBitmap& bitmap)
{
    const int32_t width = bitmap.GetWidth();
    const int32_t height = bitmap.GetHeight();
    TRect bounds{0, 0, width - 1, height - 1};
    if (!bitmap.HasAlphaChannel())
        return bounds;
    bounds = {width, height, -1, -1};
    const TQkRowTable rows(*bitmap.GetAlphaChannel(), qkaRead);
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* row = rows[y];
        const uint8_t* first = std::find_if(row, row + width, [](uint8_t a) { return a != 0; });
        if (first == row + width)
            continue;
        const auto last = std::find_if(std::make_reverse_iterator(row + width), std::make_reverse_iterator(row),
                                       [](uint8_t a) { return a != 0; });
        bounds.Left = std::min(bounds.Left, static_cast<int32_t>(first - row));
        bounds.Right = std::max(bounds.Right, static_cast<int32_t>(last.base() - row) - 1);
        bounds.Top = std::min(bounds.Top, y);
        bounds.Bottom = std::max(bounds.Bottom, y);
    }
    return bounds;
}
