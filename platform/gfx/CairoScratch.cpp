#include "platform/gfx/CairoScratch.h"

#include <algorithm>

namespace {

uint32_t* SurfaceRow(cairo_surface_t* surface, int32_t y)
{
    return reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(surface) +
                                       static_cast<ptrdiff_t>(y) * cairo_image_surface_get_stride(surface));
}

} // namespace

TCairoScratch::TCairoScratch(TBitmap& target, const TRect& area, TScratchAlpha alpha)
    : FTarget(target), FArea(IntersectRect(area, Rect(0, 0, target.Width(), target.Height()))), FAlpha(alpha)
{
    FSurface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, std::max(1, FArea.Width()), std::max(1, FArea.Height()));
    if (cairo_surface_status(FSurface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(FSurface);
        throw EInvalidGraphicOperation("Cannot create a drawing surface");
    }
    const TRasterSurface s = FTarget.Surface();
    const bool keepAlpha = FAlpha == saPremultiplied && s.Bpp == 32;
    cairo_surface_flush(FSurface);
    for (int32_t y = 0; y < FArea.Height(); ++y) {
        const uint8_t* row = s.Row(FArea.Top + y);
        uint32_t* out = SurfaceRow(FSurface, y);
        for (int32_t x = 0; x < FArea.Width(); ++x) {
            const uint32_t raw = ReadRaw(row, FArea.Left + x, s.Bpp);
            if (keepAlpha) {
                out[x] = raw;
                continue;
            }
            const TColor c = RawToRgb(raw, s.Bpp, s.Palette);
            out[x] = 0xFF000000u | (uint32_t{GetRValue(c)} << 16) | (uint32_t{GetGValue(c)} << 8) | GetBValue(c);
        }
    }
    cairo_surface_mark_dirty(FSurface);
    FContext = cairo_create(FSurface);
}

TCairoScratch::~TCairoScratch()
{
    cairo_destroy(FContext);
    cairo_surface_destroy(FSurface);
}

void TCairoScratch::Commit()
{
    if (IsRectEmpty(FArea))
        return;
    cairo_surface_flush(FSurface);
    const TRasterSurface s = FTarget.Surface();
    const bool keepAlpha = FAlpha == saPremultiplied && s.Bpp == 32;
    for (int32_t y = 0; y < FArea.Height(); ++y) {
        uint8_t* row = s.Row(FArea.Top + y);
        const uint32_t* in = SurfaceRow(FSurface, y);
        for (int32_t x = 0; x < FArea.Width(); ++x) {
            const uint32_t p = in[x];
            if (keepAlpha) {
                WriteRaw(row, FArea.Left + x, 32, p);
                continue;
            }
            const TColor c = RGB(static_cast<uint8_t>(p >> 16), static_cast<uint8_t>(p >> 8), static_cast<uint8_t>(p));
            uint32_t raw = RgbToRaw(c, s.Bpp, s.Palette);
            if (s.Bpp == 32)
                raw |= ReadRaw(row, FArea.Left + x, 32) & 0xFF000000u;
            WriteRaw(row, FArea.Left + x, s.Bpp, raw);
        }
    }
    FTarget.SetModified(true);
}
