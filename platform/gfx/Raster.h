#pragma once
// Pixel-level building blocks shared by the canvas, the blitter and the
// bitmap: raw pixel values of each bit depth and the raster operations on
// them. A raw value is what a pixel stores: a palette index for 1, 4 and 8
// bits, packed 5-5-5 or 5-6-5 words for 15 and 16 bits, 0x00RRGGBB for 24
// bits and 0xAARRGGBB for 32 bits (blue first in memory).

#include "platform/gfx/Colors.h"
#include "platform/gfx/Palette.h"

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

// A view of device-independent pixel rows: row 0 is the top row of the
// picture and is stored last in memory.
struct TRasterSurface {
    uint8_t* Bits = nullptr;
    int32_t Stride = 0;
    int32_t Width = 0;
    int32_t Height = 0;
    int Bpp = 24;
    const TPalette* Palette = nullptr;

    uint8_t* Row(int32_t y) const { return Bits + static_cast<size_t>(Height - 1 - y) * Stride; }
    bool IsMono() const { return Bpp == 1; }
};

// Bytes of one row: bits rounded up to a multiple of 32. A 15-bit pixel is
// stored in 16 bits like a 16-bit one. Wide rows pass 2 GB, so the size
// stays 64-bit until a caller has checked it fits.
inline int64_t RowStride(int32_t width, int bpp)
{
    const int storedBits = bpp == 15 ? 16 : bpp;
    return ((static_cast<int64_t>(width) * storedBits + 31) / 32) * 4;
}

// All bits a pixel of this depth has.
inline uint32_t RawMask(int bpp) { return bpp >= 32 ? 0xFFFFFFFFu : ((1u << bpp) - 1u); }

inline uint32_t ReadRaw(const uint8_t* row, int32_t x, int bpp)
{
    switch (bpp) {
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1u;
    case 4: return (x & 1) ? (row[x >> 1] & 0x0Fu) : (row[x >> 1] >> 4);
    case 8: return row[x];
    case 15:
    case 16: {
        const uint8_t* p = row + static_cast<size_t>(x) * 2;
        return p[0] | (static_cast<uint32_t>(p[1]) << 8);
    }
    case 24: {
        const uint8_t* p = row + static_cast<size_t>(x) * 3;
        return p[0] | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16);
    }
    default: {
        const uint8_t* p = row + static_cast<size_t>(x) * 4;
        return p[0] | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
            (static_cast<uint32_t>(p[3]) << 24);
    }
    }
}

inline void WriteRaw(uint8_t* row, int32_t x, int bpp, uint32_t value)
{
    switch (bpp) {
    case 1: {
        const auto bit = static_cast<uint8_t>(0x80 >> (x & 7));
        row[x >> 3] = (value & 1u) ? static_cast<uint8_t>(row[x >> 3] | bit) : static_cast<uint8_t>(row[x >> 3] & ~bit);
        break;
    }
    case 4: {
        uint8_t& b = row[x >> 1];
        b = (x & 1) ? static_cast<uint8_t>((b & 0xF0) | (value & 0x0F))
                    : static_cast<uint8_t>((b & 0x0F) | ((value & 0x0F) << 4));
        break;
    }
    case 8: row[x] = static_cast<uint8_t>(value); break;
    case 15:
    case 16: {
        uint8_t* p = row + static_cast<size_t>(x) * 2;
        p[0] = static_cast<uint8_t>(value);
        p[1] = static_cast<uint8_t>(value >> 8);
        break;
    }
    case 24: {
        uint8_t* p = row + static_cast<size_t>(x) * 3;
        p[0] = static_cast<uint8_t>(value);
        p[1] = static_cast<uint8_t>(value >> 8);
        p[2] = static_cast<uint8_t>(value >> 16);
        break;
    }
    default: {
        uint8_t* p = row + static_cast<size_t>(x) * 4;
        p[0] = static_cast<uint8_t>(value);
        p[1] = static_cast<uint8_t>(value >> 8);
        p[2] = static_cast<uint8_t>(value >> 16);
        p[3] = static_cast<uint8_t>(value >> 24);
        break;
    }
    }
}

// `rgb` is 0x00BBGGRR (system colours must be resolved first).
uint32_t RgbToRaw(TColor rgb, int bpp, const TPalette* palette);
TColor RawToRgb(uint32_t raw, int bpp, const TPalette* palette);

// Binary raster operations (the pen mix modes), numbered as R2_ codes 1-16.
enum : int {
    R2_BLACK = 1,
    R2_NOTMERGEPEN = 2,
    R2_MASKNOTPEN = 3,
    R2_NOTCOPYPEN = 4,
    R2_MASKPENNOT = 5,
    R2_NOT = 6,
    R2_XORPEN = 7,
    R2_NOTMASKPEN = 8,
    R2_MASKPEN = 9,
    R2_NOTXORPEN = 10,
    R2_NOP = 11,
    R2_MERGENOTPEN = 12,
    R2_COPYPEN = 13,
    R2_MERGEPENNOT = 14,
    R2_MERGEPEN = 15,
    R2_WHITE = 16
};

// Bitwise result of a binary raster operation on pen and destination.
inline uint32_t ApplyRop2(int rop2, uint32_t pen, uint32_t dst)
{
    const unsigned table = static_cast<unsigned>(rop2 - 1) & 15u;
    uint32_t result = 0;
    if (table & 1u)
        result |= ~pen & ~dst;
    if (table & 2u)
        result |= ~pen & dst;
    if (table & 4u)
        result |= pen & ~dst;
    if (table & 8u)
        result |= pen & dst;
    return result;
}

// Bitwise result of a ternary raster operation: `rop` is the operation's
// truth table (the high byte of the ROP code's low word), indexed by
// pattern * 4 + source * 2 + destination.
inline uint32_t ApplyRop3(uint8_t rop, uint32_t pattern, uint32_t source, uint32_t dst)
{
    switch (rop) {
    case 0x00: return 0;
    case 0xFF: return ~0u;
    case 0xCC: return source;
    case 0x88: return source & dst;
    case 0xEE: return source | dst;
    case 0x66: return source ^ dst;
    case 0x44: return source & ~dst;
    case 0x33: return ~source;
    case 0xBB: return ~source | dst;
    case 0x11: return ~(source | dst);
    case 0x22: return ~source & dst;
    case 0xC0: return pattern & source;
    case 0xF0: return pattern;
    case 0x5A: return pattern ^ dst;
    case 0x55: return ~dst;
    case 0xAA: return dst;
    default: break;
    }
    uint32_t result = 0;
    for (unsigned i = 0; i < 8; ++i) {
        if (!(rop & (1u << i)))
            continue;
        const uint32_t p = (i & 4u) ? pattern : ~pattern;
        const uint32_t s = (i & 2u) ? source : ~source;
        const uint32_t d = (i & 1u) ? dst : ~dst;
        result |= p & s & d;
    }
    return result;
}

// Writes pixels x0 .. x1-1 of one row with a raw value through a binary
// raster operation.
void FillSpanRaw(uint8_t* row, int32_t x0, int32_t x1, int bpp, uint32_t raw, int rop2);

// Converts raw values of one surface into the closest raw values of
// another by colour, remembering palette look-ups.
class TRawConverter {
public:
    TRawConverter(const TRasterSurface& from, const TRasterSurface& to);
    uint32_t operator()(uint32_t raw);

private:
    int FFromBpp, FToBpp;
    const TPalette* FFromPalette;
    const TPalette* FToPalette;
    bool FIdentity;
    bool FDirect; // 24 and 32 bits share the RGB layout of their raw values
    std::vector<int64_t> FCache; // by source raw value for 1-16 bit sources, -1 when not yet known
    std::unordered_map<uint32_t, uint32_t> FNearest; // palette targets of 24/32-bit sources
};
