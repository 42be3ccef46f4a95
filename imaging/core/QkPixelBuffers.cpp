#include "imaging/core/QkPixelBuffers.h"

#include <utility>

void InvertBuffer(uint8_t* buffer, int64_t length)
{
    for (int64_t i = 0; i < length; ++i)
        buffer[i] = static_cast<uint8_t>(~buffer[i]);
}

void InvertBitmapBits(TQkBitmap& bitmap)
{
    const int32_t length = bitmap.GetRowLen();
    for (int32_t y = 0; y < bitmap.GetHeight(); ++y)
        if (uint8_t* row = bitmap.GetScanline(y))
            InvertBuffer(row, length);
}

void CopySwapRedBlue(uint8_t* destination, const uint8_t* source, int64_t count)
{
    for (int64_t i = 0; i < count * 3; i += 3) {
        destination[i] = source[i + 2];
        destination[i + 1] = source[i + 1];
        destination[i + 2] = source[i];
    }
}

void SwapRedBlue(uint8_t* buffer, int64_t count)
{
    for (int64_t i = 0; i < count * 3; i += 3)
        std::swap(buffer[i], buffer[i + 2]);
}

void SwapRedBlue48(uint8_t* buffer, int64_t count)
{
    for (int64_t i = 0; i < count * 6; i += 6) {
        std::swap(buffer[i], buffer[i + 4]);
        std::swap(buffer[i + 1], buffer[i + 5]);
    }
}

void SwapPaletteRedBlue(TRGBPixel* palette, int32_t count)
{
    for (int32_t i = 0; i < count; ++i)
        std::swap(palette[i].r, palette[i].b);
}
