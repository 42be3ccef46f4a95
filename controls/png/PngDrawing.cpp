// Drawing of TPNGObject: opaque, with one transparent colour, or blended by
// per-pixel alpha over what the canvas already shows.

#include "controls/png/PngPixelLayout.h"
#include "controls/png/pngimage.h"

#include "platform/gfx/Canvas.h"
#include "platform/gfx/Raster.h"

#include <algorithm>
#include <cstring>

namespace {

TPixelFormat FormatOfStore(const TPngImageStore& store) { return PixelFormatOfBits(int(store.BitsPerPixel())); }

uint8_t Blend(uint8_t source, uint8_t alpha, uint8_t destination)
{
    return static_cast<uint8_t>((source * alpha + (255 - alpha) * destination + 255) / 256);
}

TRect Ordered(const TRect& rect)
{
    return {std::min(rect.Left, rect.Right), std::min(rect.Top, rect.Bottom), std::max(rect.Left, rect.Right),
            std::max(rect.Top, rect.Bottom)};
}

} // namespace

std::unique_ptr<TBitmap> TPNGObject::StoreToBitmap() const
{
    const TPngImageStore& store = Header()->ImageData;
    auto bitmap = std::make_unique<TBitmap>(Width(), Height(), FormatOfStore(store));
    const size_t rowBytes = std::min<size_t>(store.RowBytes(), static_cast<size_t>(bitmap->RowBytes()));
    for (int32_t y = 0; y < Height(); ++y)
        std::memcpy(bitmap->ScanLine(y), store.Row(static_cast<uint32_t>(y)), rowBytes);
    if (store.HasPalette()) {
        std::vector<TPaletteEntry> entries(size_t{1} << store.BitsPerPixel());
        for (size_t i = 0; i < entries.size(); ++i)
            entries[i] = TPaletteEntry{store.Palette[i].Red, store.Palette[i].Green, store.Palette[i].Blue, 0};
        bitmap->SetPalette(TPalette(std::move(entries)));
    }
    return bitmap;
}

// 1 where the image is transparent. Gray and RGB pixels match the key in the
// store's own sample domain; palette pixels by their index's alpha.
std::unique_ptr<TBitmap> TPNGObject::TransparencyMask() const
{
    const TChunkIHDR& header = *Header();
    const TPngImageStore& store = header.ImageData;
    const auto* transparency = FChunks.ItemOfClass<TChunktRNS>();
    auto mask = std::make_unique<TBitmap>(Width(), Height(), pf1bit);
    mask->SetPalette(TPalette::Monochrome());
    for (uint32_t y = 0; y < header.Height; ++y) {
        const uint8_t* row = store.Row(y);
        uint8_t* maskRow = mask->ScanLine(static_cast<int32_t>(y));
        std::memset(maskRow, 0, static_cast<size_t>(mask->RowBytes()));
        for (uint32_t x = 0; x < header.Width; ++x) {
            bool transparent = false;
            if (header.ColorType == COLOR_PALETTE)
                transparent = transparency->Alphas[GetPackedSample(row, x, store.BitsPerPixel())] != 255;
            else
                transparent = transparency->IsKeyPixel(row, x);
            if (transparent)
                SetPackedSample(maskRow, x, 1, 1);
        }
    }
    return mask;
}

void TPNGObject::Draw(TCanvas& canvas, const TRect& rect)
{
    if (!HasImage())
        return;
    std::unique_ptr<TBitmap> image;
    std::unique_ptr<TBitmap> mask;
    switch (TransparencyMode()) {
    case 0:
        image = StoreToBitmap();
        canvas.SetStretchMode(HALFTONE);
        canvas.StretchBlt(rect.Left, rect.Top, rect.Width(), rect.Height(), image->Canvas(), 0, 0, Width(), Height(),
                          SRCCOPY);
        break;
    case 1:
        image = StoreToBitmap();
        mask = TransparencyMask();
        canvas.TransparentStretchBlt(rect.Left, rect.Top, rect.Width(), rect.Height(), image->Canvas(), 0, 0, Width(),
                                     Height(), mask->Canvas(), 0, 0);
        break;
    default: DrawAlphaBlended(canvas, rect); break;
    }
}

// Blends source pixel (sx, sy) into a blue-green-red destination pixel.
void TPNGObject::BlendPixel(uint8_t* target, uint32_t sx, uint32_t sy) const
{
    const TChunkIHDR& header = *Header();
    const TPngImageStore& store = header.ImageData;
    const uint8_t* row = store.Row(sy);
    const uint8_t* alphaRow = store.AlphaRow(sy);
    uint8_t source[3];
    uint8_t alpha = alphaRow ? alphaRow[sx] : 255;
    if (store.BitsPerPixel() == 24) {
        std::copy(row + 3 * size_t{sx}, row + 3 * size_t{sx} + 3, source);
    } else if (header.ColorType == COLOR_GRAYSCALEALPHA) {
        std::fill(source, source + 3, row[sx]);
    } else if (header.ColorType == COLOR_PALETTE) {
        // Indexes beyond the palette show black rather than stopping the paint.
        const uint32_t index = GetPackedSample(row, sx, store.BitsPerPixel());
        const auto* palette = FChunks.ItemOfClass<TChunkPLTE>();
        const auto* transparency = FChunks.ItemOfClass<TChunktRNS>();
        const uint32_t color = palette && index < palette->Count ? palette->Entry(index) : 0;
        source[0] = static_cast<uint8_t>(color);
        source[1] = static_cast<uint8_t>(color >> 8);
        source[2] = static_cast<uint8_t>(color >> 16);
        alpha = transparency ? transparency->Alphas[index] : 255;
    } else {
        const TPngQuad& gray = store.Palette[GetPackedSample(row, sx, store.BitsPerPixel())];
        source[0] = gray.Blue;
        source[1] = gray.Green;
        source[2] = gray.Red;
    }
    if (alpha == 0)
        return;
    for (int c = 0; c < 3; ++c)
        target[c] = alpha == 255 ? source[c] : Blend(source[c], alpha, target[c]);
}

void TPNGObject::DrawAlphaBlended(TCanvas& canvas, const TRect& rect)
{
    if (!HasImage())
        return;
    const TRect area = Ordered(rect);
    const int32_t width = area.Width();
    const int32_t height = area.Height();
    if (width == 0 || height == 0)
        return;
    TBitmap work(width, height, pf24bit);
    work.Canvas()->BitBlt(0, 0, width, height, &canvas, area.Left, area.Top, SRCCOPY);
    const uint64_t imageWidth = Header()->Width;
    const uint64_t imageHeight = Header()->Height;
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* row = work.ScanLine(y);
        const auto sy = static_cast<uint32_t>(uint64_t(y) * imageHeight / uint64_t(height));
        for (int32_t x = 0; x < width; ++x) {
            const auto sx = static_cast<uint32_t>(uint64_t(x) * imageWidth / uint64_t(width));
            BlendPixel(row + 3 * size_t(x), sx, sy);
        }
    }
    canvas.BitBlt(area.Left, area.Top, width, height, work.Canvas(), 0, 0, SRCCOPY);
}
