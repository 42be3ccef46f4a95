#include "imaging/core/QkBits.h"

#include <array>

namespace {

std::array<uint8_t, 256> BuildBitReversal()
{
    std::array<uint8_t, 256> table{};
    for (int value = 0; value < 256; ++value) {
        uint8_t reversed = 0;
        for (int bit = 0; bit < 8; ++bit) {
            if ((value & (1 << bit)) != 0)
                reversed = static_cast<uint8_t>(reversed | (0x80 >> bit));
        }
        table[static_cast<size_t>(value)] = reversed;
    }
    return table;
}

const std::array<uint8_t, 256>& BitReversal()
{
    static const std::array<uint8_t, 256> table = BuildBitReversal();
    return table;
}

} // namespace

int32_t CountMaskBits(uint32_t mask)
{
    int32_t bit = 0;
    while (bit < 31 && (mask & (1u << bit)) == 0)
        ++bit;
    int32_t count = 0;
    while (bit < 32 && (mask & (1u << bit)) != 0) {
        ++count;
        ++bit;
    }
    return count;
}

int32_t CeilLog2(uint32_t value)
{
    if (value == 0)
        return -1;
    const int32_t highest = 31 - __builtin_clz(value);
    return (value & (value - 1)) != 0 ? highest + 1 : highest;
}

int64_t CalcRowLength(int64_t width, int32_t bitsPerPixel, int32_t alignmentBits)
{
    if (width <= 0 || bitsPerPixel <= 0)
        return 0;
    const int64_t alignment = alignmentBits < 8 ? 8 : alignmentBits;
    return (width * bitsPerPixel + alignment - 1) / alignment * (alignment / 8);
}

int32_t PixelFormatBits(TPixelFormat format)
{
    switch (format) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    case pf15bit: return 15;
    case pf16bit: return 16;
    case pf24bit: return 24;
    case pf32bit: return 32;
    default: return 0;
    }
}

int64_t CalcTBitmapRowLength(int64_t width, TPixelFormat format)
{
    return CalcRowLength(width, PixelFormatBits(format), 32);
}

void ReverseByteBits(uint8_t& value) { value = BitReversal()[value]; }

void ReverseBits32(uint32_t& value)
{
    uint32_t reversed = 0;
    for (int byte = 0; byte < 4; ++byte)
        reversed |= static_cast<uint32_t>(BitReversal()[(value >> (byte * 8)) & 0xFF]) << ((3 - byte) * 8);
    value = reversed;
}

uint32_t SwapWord(uint32_t value) { return (value & 0xFFFF0000u) | ((value & 0xFF) << 8) | ((value >> 8) & 0xFF); }

void SwapWordArray(uint16_t* words, int64_t count)
{
    for (int64_t i = 0; i < count; ++i)
        words[i] = static_cast<uint16_t>(SwapWord(words[i]));
}

uint32_t SwapDWord(uint32_t value) { return __builtin_bswap32(value); }

uint32_t SwapWordIf(uint32_t value, bool bigEndian) { return bigEndian ? SwapWord(value) : value; }

uint32_t SwapDWordIf(uint32_t value, bool bigEndian) { return bigEndian ? SwapDWord(value) : value; }

uint32_t CalcColorCount(int32_t bitsPerSample, int32_t samplesPerPixel)
{
    const uint32_t levels = bitsPerSample >= 32 ? 0 : bitsPerSample <= 0 ? 1 : 1u << bitsPerSample;
    uint32_t count = 1;
    for (int32_t sample = 0; sample < samplesPerPixel; ++sample)
        count *= levels;
    return count;
}
