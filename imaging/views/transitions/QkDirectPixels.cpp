#include "imaging/views/transitions/QkDirectPixels.h"

#include <cstring>

#include "platform/gfx/Region.h"

bool PlainCanvasFor(TCanvas& canvas, const TBitmap& source)
{
    const TBitmap& target = *canvas.Target();
    const TPixelFormat format = target.PixelFormat();
    if (&target == &source || source.PixelFormat() != format || (format != pf24bit && format != pf32bit))
        return false;
    TRegion clip;
    return !canvas.GetClipRgn(clip) && canvas.ViewportOrigin() == TPoint{} &&
        canvas.ClipRect() == TRect{0, 0, target.Width(), target.Height()};
}

void CopyRectDirect(TBitmap& target, const TBitmap& source, const TRect& rect, const TRect& bounds)
{
    const TRect inside = IntersectRect(rect, bounds);
    if (IsRectEmpty(inside))
        return;
    const size_t pixelBytes = static_cast<size_t>(BitsPerPixel(target.PixelFormat()) / 8);
    const size_t offset = static_cast<size_t>(inside.Left) * pixelBytes;
    const size_t bytes = static_cast<size_t>(inside.Width()) * pixelBytes;
    for (int32_t y = inside.Top; y < inside.Bottom; ++y)
        std::memcpy(target.ScanLine(y) + offset, source.ScanLine(y) + offset, bytes);
    target.SetModified(true);
}
