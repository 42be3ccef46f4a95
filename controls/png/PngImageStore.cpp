#include "controls/png/PngImageStore.h"

#include "controls/png/PngPixelLayout.h"

#include <algorithm>
#include <cstring>

namespace {

// A device-independent bitmap section is addressed with 32-bit signed sizes;
// larger stores are refused like an allocation that failed.
constexpr uint64_t MaxBlockSize = 0x7FFFFFFF;

} // namespace

TPngImageStore::TBlock TPngImageStore::AllocateZeroed(uint64_t size)
{
    if (size == 0 || size > MaxBlockSize)
        return nullptr;
    return TBlock(static_cast<uint8_t*>(std::calloc(static_cast<size_t>(size), 1)));
}

bool TPngImageStore::Prepare(uint32_t width, uint32_t height, uint8_t colorType, uint8_t bitDepth)
{
    Free();
    const uint32_t bits = StoredBitsPerPixel(colorType, bitDepth);
    const uint64_t rowSize = (uint64_t{bits} * width + 31) / 32 * 4;
    TBlock pixels = AllocateZeroed(rowSize * height);
    TBlock alpha;
    if (pixels && HasAlphaPlane(colorType))
        alpha = AllocateZeroed(uint64_t{width} * height);
    if (!pixels || (HasAlphaPlane(colorType) && !alpha))
        return false;
    Header = TPngBitmapHeader{};
    Header.Width = static_cast<int32_t>(width);
    Header.Height = static_cast<int32_t>(height);
    Header.BitCount = static_cast<uint16_t>(bits);
    std::fill(std::begin(Palette), std::end(Palette), TPngQuad{});
    PaletteFlag = StoredWithPalette(colorType);
    RowSize = static_cast<size_t>(rowSize);
    Bits = std::move(pixels);
    Alpha = std::move(alpha);
    return true;
}

void TPngImageStore::Free()
{
    Bits.reset();
    Alpha.reset();
    Header = TPngBitmapHeader{};
    PaletteFlag = false;
    RowSize = 0;
}

bool TPngImageStore::CopyFrom(const TPngImageStore& source)
{
    Free();
    if (source.Empty())
        return true;
    const uint64_t pixelBytes = uint64_t{source.RowSize} * source.Height();
    TBlock pixels = AllocateZeroed(pixelBytes);
    TBlock alpha;
    if (pixels && source.Alpha)
        alpha = AllocateZeroed(uint64_t{source.Width()} * source.Height());
    if (!pixels || (source.Alpha && !alpha))
        return false;
    std::memcpy(pixels.get(), source.Bits.get(), pixelBytes);
    if (alpha)
        std::memcpy(alpha.get(), source.Alpha.get(), size_t{source.Width()} * source.Height());
    Header = source.Header;
    std::copy(std::begin(source.Palette), std::end(source.Palette), std::begin(Palette));
    PaletteFlag = source.PaletteFlag;
    RowSize = source.RowSize;
    Bits = std::move(pixels);
    Alpha = std::move(alpha);
    return true;
}
