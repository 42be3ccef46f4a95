#include "platform/gfx/Raster.h"

#include <algorithm>
#include <cstring>

namespace {

uint8_t Expand5(uint32_t v) { return static_cast<uint8_t>((v << 3) | (v >> 2)); }
uint8_t Expand6(uint32_t v) { return static_cast<uint8_t>((v << 2) | (v >> 4)); }

// 64-byte blocks of pixels, which the compiler stores as a few vector
// writes, then the pixels left over; a value of one repeated byte is a
// plain memset.
template <typename T>
void FillWords(uint8_t* row, int32_t x0, int32_t x1, T value)
{
    uint8_t* p = row + static_cast<size_t>(x0) * sizeof(T);
    const size_t bytes = static_cast<size_t>(x1 - x0) * sizeof(T);
    uint8_t block[64];
    for (size_t i = 0; i < sizeof block; i += sizeof(T))
        std::memcpy(block + i, &value, sizeof(T));
    if (std::all_of(block, block + sizeof(T), [&](uint8_t b) { return b == block[0]; })) {
        std::memset(p, block[0], bytes);
        return;
    }
    size_t done = 0;
    for (; done + sizeof block <= bytes; done += sizeof block)
        std::memcpy(p + done, block, sizeof block);
    std::memcpy(p + done, block, bytes - done);
}

// Four pixels are written, then what is written is copied onto the rest in
// doubling steps: a few block copies in place of a store per byte.
void Fill24(uint8_t* row, int32_t x0, int32_t x1, uint32_t raw)
{
    uint8_t* p = row + static_cast<size_t>(x0) * 3;
    const size_t bytes = static_cast<size_t>(x1 - x0) * 3;
    const uint8_t b = raw & 0xFF, g = (raw >> 8) & 0xFF, r = (raw >> 16) & 0xFF;
    if (b == g && g == r) {
        std::memset(p, b, bytes);
        return;
    }
    const uint8_t fourPixels[12] = {b, g, r, b, g, r, b, g, r, b, g, r};
    size_t done = std::min(bytes, sizeof fourPixels);
    std::memcpy(p, fourPixels, done);
    while (done < bytes) {
        const size_t n = std::min(done, bytes - done);
        std::memcpy(p + done, p, n);
        done += n;
    }
}

template <typename T>
void MixWords(uint8_t* row, int32_t x0, int32_t x1, uint32_t raw, int rop2)
{
    T* p = reinterpret_cast<T*>(row) + x0;
    for (int32_t n = x1 - x0; n > 0; --n, ++p)
        *p = static_cast<T>(ApplyRop2(rop2, raw, *p));
}

} // namespace

uint32_t RgbToRaw(TColor rgb, int bpp, const TPalette* palette)
{
    const uint32_t r = GetRValue(rgb), g = GetGValue(rgb), b = GetBValue(rgb);
    switch (bpp) {
    case 1:
    case 4:
    case 8: return palette ? palette->NearestIndex(rgb) : 0;
    case 15: return ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3);
    case 16: return ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3);
    default: return (r << 16) | (g << 8) | b;
    }
}

TColor RawToRgb(uint32_t raw, int bpp, const TPalette* palette)
{
    switch (bpp) {
    case 1:
    case 4:
    case 8: return (palette && raw < palette->Count()) ? palette->EntryColor(raw) : clBlack;
    case 15: return RGB(Expand5((raw >> 10) & 31), Expand5((raw >> 5) & 31), Expand5(raw & 31));
    case 16: return RGB(Expand5((raw >> 11) & 31), Expand6((raw >> 5) & 63), Expand5(raw & 31));
    default: return RGB(static_cast<uint8_t>(raw >> 16), static_cast<uint8_t>(raw >> 8), static_cast<uint8_t>(raw));
    }
}

void FillSpanRaw(uint8_t* row, int32_t x0, int32_t x1, int bpp, uint32_t raw, int rop2)
{
    if (x1 <= x0 || rop2 == R2_NOP)
        return;
    if (rop2 == R2_COPYPEN) {
        switch (bpp) {
        case 8: std::memset(row + x0, static_cast<int>(raw), static_cast<size_t>(x1 - x0)); return;
        case 15:
        case 16: FillWords<uint16_t>(row, x0, x1, static_cast<uint16_t>(raw)); return;
        case 24: Fill24(row, x0, x1, raw); return;
        case 32: FillWords<uint32_t>(row, x0, x1, raw); return;
        default: break;
        }
    } else if (bpp == 32) {
        MixWords<uint32_t>(row, x0, x1, raw, rop2);
        return;
    } else if (bpp == 15 || bpp == 16) {
        MixWords<uint16_t>(row, x0, x1, raw, rop2);
        return;
    }
    const uint32_t mask = RawMask(bpp);
    for (int32_t x = x0; x < x1; ++x)
        WriteRaw(row, x, bpp, ApplyRop2(rop2, raw, ReadRaw(row, x, bpp)) & mask);
}

TRawConverter::TRawConverter(const TRasterSurface& from, const TRasterSurface& to)
    : FFromBpp(from.Bpp), FToBpp(to.Bpp), FFromPalette(from.Palette), FToPalette(to.Palette)
{
    const bool samePalette = from.Bpp > 8 || (from.Palette && to.Palette && *from.Palette == *to.Palette);
    FIdentity = from.Bpp == to.Bpp && samePalette;
    FDirect = (from.Bpp == 24 || from.Bpp == 32) && (to.Bpp == 24 || to.Bpp == 32);
    if (!FIdentity && from.Bpp <= 16)
        FCache.assign(size_t{1} << from.Bpp, -1);
}

uint32_t TRawConverter::operator()(uint32_t raw)
{
    if (FIdentity)
        return raw;
    if (FDirect)
        return raw & 0x00FFFFFFu;
    if (!FCache.empty()) {
        int64_t& cached = FCache[raw & (FCache.size() - 1)];
        if (cached < 0)
            cached = RgbToRaw(RawToRgb(raw, FFromBpp, FFromPalette), FToBpp, FToPalette);
        return static_cast<uint32_t>(cached);
    }
    if (FToBpp <= 8) {
        const auto it = FNearest.find(raw);
        if (it != FNearest.end())
            return it->second;
        const uint32_t index = RgbToRaw(RawToRgb(raw, FFromBpp, FFromPalette), FToBpp, FToPalette);
        FNearest.emplace(raw, index);
        return index;
    }
    return RgbToRaw(RawToRgb(raw, FFromBpp, FFromPalette), FToBpp, FToPalette);
}
