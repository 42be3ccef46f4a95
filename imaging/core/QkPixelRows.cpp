#include "imaging/core/QkPixelRows.h"

#include "imaging/core/QkColorRoutines.h"

#include <cmath>
#include <cstring>

uint8_t FloatToByte(double value)
{
    if (!(value > 0))
        return 0;
    return value >= 255 ? 255 : static_cast<uint8_t>(value);
}

uint16_t FloatToWord(double value)
{
    if (!(value > 0))
        return 0;
    return value >= 65535 ? 65535 : static_cast<uint16_t>(value);
}

namespace {

uint8_t WideToByte(uint16_t word, TQkWideWordScaling scaling)
{
    return scaling == qkHighByte ? static_cast<uint8_t>(word >> 8) : static_cast<uint8_t>(word * 255 / 65535);
}

TRGBPixel GrayPixel(uint8_t v) { return {v, v, v}; }

} // namespace

bool ReadRowAsRGB(TQkBitmap& bitmap, int32_t row, TRGBPixel* out, TQkWideWordScaling scaling)
{
    const uint8_t* line = bitmap.GetScanline(row);
    if (!line)
        return false;
    const int32_t width = bitmap.GetWidth();
    const TRGBPixel* palette = bitmap.GetPalette();
    const int32_t paletteLength = bitmap.GetPaletteLength();
    switch (bitmap.GetPixelFormat()) {
    case qk1g:
        for (int32_t x = 0; x < width; ++x)
            out[x] = GrayPixel(GetBit(line, x) ? 255 : 0);
        return true;
    case qk8p:
        for (int32_t x = 0; x < width; ++x)
            out[x] = line[x] < paletteLength ? palette[line[x]] : TRGBPixel{};
        return true;
    case qk8g:
        for (int32_t x = 0; x < width; ++x)
            out[x] = GrayPixel(line[x]);
        return true;
    case qk16g:
        for (int32_t x = 0; x < width; ++x)
            out[x] = GrayPixel(line[x * 2 + 1]);
        return true;
    case qk24RGB: std::memcpy(out, line, static_cast<size_t>(width) * 3); return true;
    case qk32f:
        for (int32_t x = 0; x < width; ++x) {
            float v;
            std::memcpy(&v, line + x * 4, 4);
            out[x] = GrayPixel(FloatToByte(std::trunc(static_cast<double>(v) * 255)));
        }
        return true;
    case qkCMYK:
        for (int32_t x = 0; x < width; ++x) {
            const uint8_t* p = line + x * 4;
            CmykToRgb({p[0], p[1], p[2], p[3]}, out[x]);
        }
        return true;
    case qkRGB48:
        for (int32_t x = 0; x < width; ++x) {
            const uint8_t* p = line + x * 6;
            out[x] = MakeRGBPixel(WideToByte(ReadLittleWord(p), scaling), WideToByte(ReadLittleWord(p + 2), scaling),
                                  WideToByte(ReadLittleWord(p + 4), scaling));
        }
        return true;
    case qkCIELab:
        for (int32_t x = 0; x < width; ++x) {
            const uint8_t* p = line + x * 3;
            CieLabToRgb(out[x], {p[0], static_cast<int8_t>(p[1]), static_cast<int8_t>(p[2])});
        }
        return true;
    case qk32RGB:
        for (int32_t x = 0; x < width; ++x)
            std::memcpy(&out[x], line + x * 4, 3);
        return true;
    case qkNone: break;
    }
    return false;
}
