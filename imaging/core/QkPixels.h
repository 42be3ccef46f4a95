#pragma once
// Pixel records, clamps, ordering of numbers and rectangles, and single
// bits of packed rows (most significant bit of each byte first).

#include <cstdint>

#include "platform/gfx/Colors.h"

// The pixel of 24-bit rows: memory order blue, green, red.
struct TRGBPixel {
    uint8_t b = 0;
    uint8_t g = 0;
    uint8_t r = 0;
};

// Memory order blue, green, red, alpha.
struct TRGBAPixel {
    uint8_t b = 0;
    uint8_t g = 0;
    uint8_t r = 0;
    uint8_t a = 0;
};

// Each channel stored inverted: 255 is no ink.
struct TCMYKPixel {
    uint8_t c = 0;
    uint8_t m = 0;
    uint8_t y = 0;
    uint8_t k = 0;
};

// L* scaled to 0..255; a* and b* as signed bytes.
struct TCIELabPixel {
    uint8_t l = 0;
    int8_t a = 0;
    int8_t b = 0;
};

static_assert(sizeof(TRGBPixel) == 3 && sizeof(TRGBAPixel) == 4 && sizeof(TCMYKPixel) == 4 &&
              sizeof(TCIELabPixel) == 3);

// The smallest integer not below x, the largest not above it; values
// beyond the 32-bit range give the range's end.
int32_t CeilInt(double x);
int32_t FloorInt(double x);

inline TCMYKPixel MakeCMYKPixel(uint8_t c, uint8_t m, uint8_t y, uint8_t k) { return {c, m, y, k}; }
inline TRGBPixel MakeRGBPixel(uint8_t r, uint8_t g, uint8_t b) { return {b, g, r}; }
// Gray level through the library's gray weights.
uint8_t RGBPixelToGray(const TRGBPixel& pixel);
inline TColor RGBPixelToColor(const TRGBPixel& pixel)
{
    return static_cast<TColor>(pixel.r) | (static_cast<TColor>(pixel.g) << 8) | (static_cast<TColor>(pixel.b) << 16);
}
// System colours are resolved first.
TRGBPixel ColorToRGBPixel(TColor color);
TRGBAPixel ColorToRGBAPixel(TColor color, uint8_t alpha);

// The first argument wins a tie.
inline double FloatMin(double a, double b) { return b < a ? b : a; }
inline double FloatMax(double a, double b) { return b > a ? b : a; }
inline int32_t IntMin(int32_t a, int32_t b) { return b < a ? b : a; }
inline int32_t IntMax(int32_t a, int32_t b) { return b > a ? b : a; }
// The low bound wins when the bounds are reversed.
inline int32_t IntClamp(int32_t value, int32_t low, int32_t high)
{
    if (value < low)
        return low;
    return value > high ? high : value;
}
inline uint8_t ByteClamp(int32_t value) { return static_cast<uint8_t>(value < 0 ? 0 : value > 255 ? 255 : value); }
inline void ExchangeInt(int32_t& a, int32_t& b)
{
    const int32_t kept = a;
    a = b;
    b = kept;
}
inline void ExchangeByte(uint8_t& a, uint8_t& b)
{
    const uint8_t kept = a;
    a = b;
    b = kept;
}
inline bool SameRGBPixel(const TRGBPixel& a, const TRGBPixel& b) { return a.r == b.r && a.g == b.g && a.b == b.b; }
// Puts the smaller coordinates first.
void OrderRectCorners(int32_t& x1, int32_t& y1, int32_t& x2, int32_t& y2);

inline bool GetBit(const uint8_t* buffer, int64_t index) { return (buffer[index >> 3] & (0x80 >> (index & 7))) != 0; }
inline void SetBit(uint8_t* buffer, int64_t index, bool value)
{
    const auto mask = static_cast<uint8_t>(0x80 >> (index & 7));
    if (value)
        buffer[index >> 3] |= mask;
    else
        buffer[index >> 3] &= static_cast<uint8_t>(~mask);
}
