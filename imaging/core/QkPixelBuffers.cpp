#include "imaging/core/QkPixelBuffers.h"

#include "imaging/core/QkBits.h"
#include "imaging/core/QkQuantizer.h"

#include <algorithm>
#include <cstring>
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

namespace {

int64_t RowBytes(int64_t count, int32_t bits)
{
    switch (bits) {
    case 1: return (count + 7) / 8;
    case 4: return (count + 1) / 2;
    case 8: return count;
    case 24: return count * 3;
    default: return 0;
    }
}

uint8_t NibbleAt(const uint8_t* row, int64_t i)
{
    return (i % 2 == 0) ? static_cast<uint8_t>(row[i / 2] >> 4) : static_cast<uint8_t>(row[i / 2] & 0x0F);
}

void OrNibble(uint8_t* row, int64_t i, uint8_t value)
{
    row[i / 2] |= static_cast<uint8_t>((i % 2 == 0) ? (value & 0x0F) << 4 : (value & 0x0F));
}

void WriteIndexedColours(const uint8_t* source, uint8_t (*indexAt)(const uint8_t*, int64_t),
                         std::span<const TRGBPixel> palette, uint8_t* destination, int64_t count)
{
    auto* pixels = reinterpret_cast<TRGBPixel*>(destination);
    for (int64_t i = 0; i < count; ++i) {
        const size_t index = indexAt(source, i);
        pixels[i] = index < palette.size() ? palette[index] : TRGBPixel{};
    }
}

uint8_t ByteAt(const uint8_t* row, int64_t i) { return row[i]; }

uint8_t BitAt(const uint8_t* row, int64_t i) { return GetBit(row, i) ? 1 : 0; }

void ConvertFromColour(const uint8_t* source, uint8_t* destination, const TQkQuantizer* quantizer, int64_t count,
                       int32_t destinationBits)
{
    if (destinationBits == 24) {
        std::memcpy(destination, source, static_cast<size_t>(count * 3));
        return;
    }
    if (!quantizer || (destinationBits != 4 && destinationBits != 8))
        return;
    const auto* pixels = reinterpret_cast<const TRGBPixel*>(source);
    for (int64_t i = 0; i < count; ++i) {
        const auto index = static_cast<uint8_t>(quantizer->GetValidPaletteIndex(pixels[i]));
        if (destinationBits == 8)
            destination[i] = index;
        else
            OrNibble(destination, i, index);
    }
}

// Rows of palette indices at 1, 4 or 8 bits per pixel, read through
// `indexAt`.
void ConvertFromIndices(const uint8_t* source, int32_t sourceBits, uint8_t (*indexAt)(const uint8_t*, int64_t),
                        uint8_t* destination, int32_t destinationBits, std::span<const TRGBPixel> palette,
                        int64_t count)
{
    if (destinationBits == sourceBits) {
        std::memcpy(destination, source, static_cast<size_t>(RowBytes(count, sourceBits)));
    } else if (destinationBits == 8) {
        for (int64_t i = 0; i < count; ++i)
            destination[i] = indexAt(source, i);
    } else if (destinationBits == 24) {
        WriteIndexedColours(source, indexAt, palette, destination, count);
    } else if (sourceBits == 1 && destinationBits == 4) {
        for (int64_t i = 0; i < count; ++i)
            OrNibble(destination, i, indexAt(source, i));
    } else if (sourceBits == 8 && destinationBits == 1) {
        std::fill_n(destination, RowBytes(count, 1), uint8_t{0});
        for (int64_t i = 0; i < count; ++i)
            destination[i / 8] |= static_cast<uint8_t>((source[i] & 1) << (7 - i % 8));
    }
}

} // namespace

int64_t ConvertRowBitDepth(const uint8_t* source, uint8_t* destination, int32_t sourceBits,
                           const TQkQuantizer* quantizer, std::span<const TRGBPixel> palette, int32_t count,
                           int32_t destinationBits)
{
    if (count <= 0)
        return 0;
    switch (sourceBits) {
    case 32:
        if (destinationBits == 24)
            for (int64_t i = 0; i < count; ++i)
                std::memcpy(destination + i * 3, source + i * 4, 3);
        break;
    case 24: ConvertFromColour(source, destination, quantizer, count, destinationBits); break;
    case 8: ConvertFromIndices(source, 8, ByteAt, destination, destinationBits, palette, count); break;
    case 4: ConvertFromIndices(source, 4, NibbleAt, destination, destinationBits, palette, count); break;
    case 1: ConvertFromIndices(source, 1, BitAt, destination, destinationBits, palette, count); break;
    default: break;
    }
    return RowBytes(count, destinationBits);
}
