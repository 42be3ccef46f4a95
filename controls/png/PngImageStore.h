#pragma once
// The decoded image of a PNG header chunk: a bottom-up device-independent
// bitmap (header, 256 palette entries, rows padded to 32 bits) and, for the
// colour types with alpha, an alpha plane of one byte per pixel, top row first.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

struct TPngQuad {
    uint8_t Blue = 0;
    uint8_t Green = 0;
    uint8_t Red = 0;
    uint8_t Reserved = 0;
};

// The fields of a BITMAPINFOHEADER.
struct TPngBitmapHeader {
    uint32_t Size = 40;
    int32_t Width = 0;
    int32_t Height = 0; // positive: bottom-up rows
    uint16_t Planes = 1;
    uint16_t BitCount = 0;
    uint32_t Compression = 0;
    uint32_t SizeImage = 0;
    int32_t XPelsPerMeter = 0;
    int32_t YPelsPerMeter = 0;
    uint32_t ClrUsed = 0;
    uint32_t ClrImportant = 0;
};

class TPngImageStore {
public:
    // Builds a zeroed store for the layout. Returns false, leaving the store
    // empty, when the memory cannot be had.
    bool Prepare(uint32_t width, uint32_t height, uint8_t colorType, uint8_t bitDepth);
    void Free();
    // Same layout, rows, alpha and palette; false when out of memory.
    bool CopyFrom(const TPngImageStore& source);

    bool Empty() const { return !Bits; }
    uint32_t Width() const { return static_cast<uint32_t>(Header.Width); }
    uint32_t Height() const { return static_cast<uint32_t>(Header.Height); }
    uint32_t BitsPerPixel() const { return Header.BitCount; }
    bool HasPalette() const { return PaletteFlag; }
    size_t RowBytes() const { return RowSize; }

    // Image row y, 0 being the top; the rows lie bottom-up in memory.
    uint8_t* Row(uint32_t y) { return Bits.get() + (size_t{Height()} - 1 - y) * RowSize; }
    const uint8_t* Row(uint32_t y) const { return Bits.get() + (size_t{Height()} - 1 - y) * RowSize; }
    // Alpha of image row y; null without an alpha plane.
    uint8_t* AlphaRow(uint32_t y) { return Alpha ? Alpha.get() + size_t{y} * Width() : nullptr; }
    const uint8_t* AlphaRow(uint32_t y) const { return Alpha ? Alpha.get() + size_t{y} * Width() : nullptr; }

    TPngBitmapHeader Header;
    TPngQuad Palette[256];

private:
    struct TFreeDeleter {
        void operator()(uint8_t* p) const { std::free(p); }
    };
    using TBlock = std::unique_ptr<uint8_t[], TFreeDeleter>;
    static TBlock AllocateZeroed(uint64_t size);

    bool PaletteFlag = false;
    size_t RowSize = 0;
    TBlock Bits;
    TBlock Alpha;
};
