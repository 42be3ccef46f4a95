#pragma once
// Small helpers for pixel tests: bitmaps filled with one colour and
// pictures of which pixels hold a given colour.

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"

#include <memory>
#include <string>

inline std::unique_ptr<TBitmap> MakeBitmap(int32_t width, int32_t height, TPixelFormat format = pf24bit,
                                           TColor fill = clWhite)
{
    auto bitmap = std::make_unique<TBitmap>(width, height, format);
    TCanvas* c = bitmap->Canvas();
    c->Brush()->SetColor(fill);
    c->FillRect(Rect(0, 0, width, height));
    return bitmap;
}

// One text row per pixel row: '#' where the pixel has `ink`, '.' elsewhere.
inline std::string InkMap(TBitmap& bitmap, TColor ink, TRect area = {})
{
    if (IsRectEmpty(area))
        area = Rect(0, 0, bitmap.Width(), bitmap.Height());
    std::string map;
    for (int32_t y = area.Top; y < area.Bottom; ++y) {
        for (int32_t x = area.Left; x < area.Right; ++x)
            map += bitmap.Canvas()->Pixels(x, y) == ColorToPixelRGB(ink) ? '#' : '.';
        map += '\n';
    }
    return map;
}

inline int CountInk(TBitmap& bitmap, TColor ink)
{
    int count = 0;
    for (int32_t y = 0; y < bitmap.Height(); ++y)
        for (int32_t x = 0; x < bitmap.Width(); ++x)
            count += bitmap.Canvas()->Pixels(x, y) == ColorToPixelRGB(ink);
    return count;
}
