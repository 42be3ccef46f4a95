// Lens layers: a layer whose bitmap shows, magnified, what lies beneath its
// centre, either the picture composed so far or layer 0's own pixels.

#include "imaging/core/QkBitmap.h"
#include "imaging/views/BrelvixView.h"
#include "platform/core/Types.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"

namespace {

// The lens's outline: opaque inside the ellipse that fills the bitmap.
void ShapeLens(TQkBitmap& bitmap, uint8_t shape)
{
    TQkBitmap& alpha = *bitmap.GetAlphaChannel();
    if (shape != 1) {
        alpha.Fill(255);
        return;
    }
    alpha.SetLocation(qkTBitmap);
    alpha.Fill(0);
    alpha.SetFull(false);
    TCanvas& canvas = *alpha.GetCanvas();
    canvas.Brush()->SetStyle(bsSolid);
    canvas.Brush()->SetColor(clWhite);
    canvas.Pen()->SetStyle(psSolid);
    canvas.Pen()->SetColor(clWhite);
    canvas.Ellipse(0, 0, bitmap.GetWidth() - 1, bitmap.GetHeight() - 1);
}

} // namespace

void TBrelvixView::PrepareLens(TQkBitmap& dest, TQkLayer& layer, TResampleFilter filter)
{
    if (&layer == layers_[0].get() || layer.LensRate < 1)
        return;
    TQkBitmap& bitmap = *layer.Bitmap();
    if (!MagnifierResizing && layer.DisplayWidth > 0 && layer.DisplayHeight > 0 &&
        (bitmap.GetWidth() != layer.DisplayWidth || bitmap.GetHeight() != layer.DisplayHeight))
        bitmap.Resize(layer.DisplayWidth, layer.DisplayHeight, Background(), -1, 0, 0);
    const int32_t bw = bitmap.GetWidth();
    const int32_t bh = bitmap.GetHeight();
    const int32_t sw = static_cast<int32_t>(Trunc(bw / (layer.LensRate / (ZoomX() / 100))));
    const int32_t sh = static_cast<int32_t>(Trunc(bh / (layer.LensRate / (ZoomY() / 100))));
    const int32_t cx = BitmapToScreenX(layer.Left) + static_cast<int32_t>(Trunc(bw * ZoomX() / 100 / 2));
    const int32_t cy = BitmapToScreenY(layer.Top) + static_cast<int32_t>(Trunc(bh * ZoomY() / 100 / 2));
    const TRect area{cx - sw / 2, cy - sh / 2, cx + sw - sw / 2, cy + sh - sh / 2};
    if (layer.LensSource == 1) {
        bitmap.SetLocation(qkTBitmap);
        bitmap.GetCanvas()->StretchBlt(0, 0, bw, bh, dest.GetVclBitmap()->Canvas(), area.Left, area.Top,
                                       area.Right - area.Left, area.Bottom - area.Top, SRCCOPY);
    } else {
        if (bitmap.GetPixelFormat() != qk24RGB)
            bitmap.ConvertToPixelFormat(qk24RGB);
        TQkBitmap& base = *layers_[0]->Bitmap();
        const int32_t left = ScreenToBitmapX(area.Left);
        const int32_t top = ScreenToBitmapY(area.Top);
        const int32_t w = ScreenToBitmapX(area.Right) - left + 1;
        const int32_t h = ScreenToBitmapY(area.Bottom) - top + 1;
        if (top >= 0 && left >= 0 && left < base.GetWidth() - w && top < base.GetHeight() - h && w < base.GetWidth() &&
            h < base.GetHeight()) {
            bitmap.Fill(0);
            RenderToTQkBitmap(base, bitmap, {0, 0, bw, bh}, {left, top, w, h}, 255, filter, 0);
        }
    }
    ShapeLens(bitmap, layer.LensShape);
}
