#include "platform/gfx/CursorImage.h"

namespace {

// Builds the premultiplied image; `opaque(x, y)` decides each pixel and
// `colour(x, y)` gives its colour.
template <typename Opaque, typename Colour>
TCursorImage Build(int32_t width, int32_t height, TPoint hotSpot, Opaque opaque, Colour colour)
{
    TCursorImage cursor;
    cursor.Image = std::make_shared<TBitmap>(width, height, pf32bit);
    cursor.HotSpot = hotSpot;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            uint32_t raw = 0;
            if (opaque(x, y)) {
                const TColor c = colour(x, y);
                raw = 0xFF000000u | (uint32_t{GetRValue(c)} << 16) | (uint32_t{GetGValue(c)} << 8) | GetBValue(c);
            }
            WriteRaw(cursor.Image->ScanLine(y), x, 32, raw);
        }
    return cursor;
}

TColor PixelOf(const TBitmap& bitmap, int32_t x, int32_t y)
{
    const int bpp = bitmap.BitCount();
    return RawToRgb(ReadRaw(bitmap.ScanLine(y), x, bpp), bpp, &bitmap.Palette());
}

} // namespace

TCursorImage CursorFromMasks(const TBitmap& andMask, const TBitmap& colour, TPoint hotSpot)
{
    if (andMask.Width() != colour.Width() || andMask.Height() != colour.Height())
        throw EInvalidGraphicOperation("Cursor masks differ in size");
    return Build(
        colour.Width(), colour.Height(), hotSpot,
        [&](int32_t x, int32_t y) { return PixelOf(andMask, x, y) != clWhite || PixelOf(colour, x, y) != clBlack; },
        [&](int32_t x, int32_t y) { return PixelOf(andMask, x, y) == clWhite ? clBlack : PixelOf(colour, x, y); });
}

TCursorImage CursorFromBitmap(const TBitmap& picture, TColor transparent, TPoint hotSpot)
{
    const TColor key = ColorToPixelRGB(transparent);
    return Build(
        picture.Width(), picture.Height(), hotSpot, [&](int32_t x, int32_t y) { return PixelOf(picture, x, y) != key; },
        [&](int32_t x, int32_t y) { return PixelOf(picture, x, y); });
}
