#include "imaging/core/QkTBitmapRoutines.h"

#include <algorithm>

#include "imaging/core/QkBitmap.h"

TQkPixelFormat PixelFormatToQk(TPixelFormat format)
{
    switch (format) {
    case pf1bit: return qk1g;
    case pf4bit:
    case pf8bit: return qk8p;
    default: return qk24RGB;
    }
}

void CopyTBitmapPalette(const TBitmap& source, TQkBitmap& destination)
{
    if (source.PixelFormat() != pf8bit || destination.GetPixelFormat() != qk8p)
        return;
    TRGBPixel* palette = destination.GetPalette();
    const auto count =
        std::min<int64_t>(destination.GetPaletteLength(), static_cast<int64_t>(source.Palette().Count()));
    for (int64_t i = 0; i < count; ++i) {
        const TPaletteEntry& entry = source.Palette().Entry(static_cast<size_t>(i));
        palette[i] = {entry.peBlue, entry.peGreen, entry.peRed};
    }
    // A destination whose pixels live in a TBitmap keeps that store's table in step.
    destination.SyncPaletteToTBitmap();
}
