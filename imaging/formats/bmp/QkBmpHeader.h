#pragma once
// What the reader takes from a bitmap file's headers, shared by the row
// expansion.

#include <array>
#include <cstdint>

#include "imaging/core/QkPixels.h"

enum : uint32_t { BmpRgb = 0, BmpRle8 = 1, BmpRle4 = 2, BmpBitFields = 3 };

// One colour channel of 16- and 32-bit pixels, taken by its mask and
// left-aligned in a byte (the low bits 0).
struct TQkBmpChannel {
    uint32_t Mask = 0;
    int32_t Shift = 0;
    int32_t Bits = 0;

    explicit TQkBmpChannel(uint32_t mask = 0);
    uint8_t Expand(uint32_t pixel) const
    {
        const uint32_t value = (pixel & Mask) >> Shift;
        return uint8_t(Bits >= 8 ? value >> (Bits - 8) : value << (8 - Bits));
    }
};

struct TQkBmpHeader {
    int64_t Start = 0;
    int64_t FileSize = 0;
    uint32_t PixelOffset = 0;
    uint32_t HeaderSize = 0;
    int64_t Width = 0;
    int64_t Height = 0;
    bool TopDown = false;
    int32_t BitCount = 0;
    uint32_t Compression = BmpRgb;
    uint32_t ImageSize = 0;
    // Red, green, blue and alpha.
    std::array<TQkBmpChannel, 4> Channels;

    // Bytes of one stored row, padded to 32 bits.
    int64_t RowLength() const { return (Width * BitCount + 31) / 32 * 4; }
};
