#include "controls/TarqGrafx.h"

#include <algorithm>

#include "platform/core/Properties.h"
#include "platform/ui/Form.h"

namespace {

// The image of `source` stretched to the destination's size, and its mask:
// 1 where the image has the transparent colour. Unless that colour is black,
// the transparent pixels of the image are blacked out so that the image can
// be ORed over the masked destination.
struct TMaskedImage {
    TBitmap Image;
    TBitmap Mask;

    TMaskedImage(TBitmap& bitmap, const TRect& dest, TColor transparent, const TRect& source)
        : Image(dest.Width(), dest.Height()), Mask(dest.Width(), dest.Height(), pf1bit)
    {
        const int32_t w = dest.Width(), h = dest.Height();
        Image.Canvas()->StretchBlt(0, 0, w, h, bitmap.Canvas(), source.Left, source.Top, source.Width(),
                                   source.Height(), SRCCOPY);
        Image.Canvas()->SetBackgroundColor(transparent);
        Mask.Canvas()->BitBlt(0, 0, w, h, Image.Canvas(), 0, 0, SRCCOPY);
        if (ColorToPixelRGB(transparent) != clBlack) {
            TCanvas& image = *Image.Canvas();
            image.SetBackgroundColor(clBlack);
            image.SetTextColor(clWhite);
            image.BitBlt(0, 0, w, h, Mask.Canvas(), 0, 0, SRCAND);
        }
    }
};

} // namespace

void CopyTransparentRect(TCanvas& canvas, TBitmap& bitmap, const TRect& dest, TColor transparent, const TRect& source)
{
    if (IsRectEmpty(dest) || bitmap.Empty())
        return;
    TMaskedImage masked(bitmap, dest, transparent, source);
    const TRect all = Rect(0, 0, dest.Width(), dest.Height());
    const TCopyMode oldMode = canvas.CopyMode();
    const TColor oldText = canvas.TextColor(), oldBack = canvas.BackgroundColor();
    // The mask keeps the destination (white) where the image is transparent.
    canvas.SetTextColor(clBlack);
    canvas.SetBackgroundColor(clWhite);
    canvas.SetCopyMode(SRCAND);
    canvas.CopyRect(dest, masked.Mask.Canvas(), all);
    canvas.SetCopyMode(SRCPAINT);
    canvas.CopyRect(dest, masked.Image.Canvas(), all);
    canvas.SetCopyMode(oldMode);
    canvas.SetTextColor(oldText);
    canvas.SetBackgroundColor(oldBack);
}

void StretchTransparentBitmap(TCanvas& canvas, TBitmap& bitmap, const TRect& dest, TColor transparent,
                              const TRect& source)
{
    if (IsRectEmpty(dest) || bitmap.Empty())
        return;
    TMaskedImage masked(bitmap, dest, transparent, source);
    canvas.TransparentStretchBlt(dest.Left, dest.Top, dest.Width(), dest.Height(), masked.Image.Canvas(), 0, 0,
                                 dest.Width(), dest.Height(), masked.Mask.Canvas(), 0, 0);
}

void DrawTransparentBitmapInRect(TCanvas& canvas, TBitmap& bitmap, const TRect& rect, TColor transparent)
{
    CopyTransparentRect(canvas, bitmap, rect, transparent, Rect(0, 0, bitmap.Width(), bitmap.Height()));
}

void TileTransparentBitmap(TCanvas& canvas, TBitmap& bitmap, const TRect& rect, TColor transparent)
{
    const int32_t w = bitmap.Width(), h = bitmap.Height();
    if (w <= 0 || h <= 0)
        return;
    for (int32_t y = rect.Top; y < rect.Bottom; y += h)
        for (int32_t x = rect.Left; x < rect.Right; x += w) {
            const int32_t tw = std::min(w, rect.Right - x), th = std::min(h, rect.Bottom - y);
            CopyTransparentRect(canvas, bitmap, Bounds(x, y, tw, th), transparent, Rect(0, 0, tw, th));
        }
}

void FlipBitmapVertically(TBitmap& bitmap)
{
    const int32_t w = bitmap.Width(), h = bitmap.Height();
    TBitmap flipped(w, h, bitmap.PixelFormat());
    flipped.SetPalette(bitmap.Palette());
    TCanvas& from = *bitmap.Canvas();
    TCanvas& to = *flipped.Canvas();
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            to.SetPixel(x, h - 1 - y, from.Pixels(x, y));
    bitmap.Assign(&flipped);
}

void PaintParentBackground(TControl& control, TCanvas& canvas, bool invalidateParent)
{
    TWinControl* parent = control.Parent();
    if (!parent)
        return;
    control.PaintParentBackground(canvas);
    if (invalidateParent && !dynamic_cast<TCustomControl*>(parent) && !dynamic_cast<TCustomForm*>(parent))
        parent->Invalidate();
}

void PaintParentBackgroundDC(TControl& control, HDC dc, bool invalidateParent)
{
    if (dc)
        PaintParentBackground(control, *dc, invalidateParent);
}

void InvalidateTransparentChildren(TWinControl& container)
{
    for (int32_t i = 0; i < container.ControlCount(); ++i) {
        TControl* child = container.Controls(i);
        const TPropInfo* prop = GetPropInfo(*child, "Transparent");
        if (prop && prop->Kind == tkBool && std::get<bool>(prop->Get(*child)))
            child->Invalidate();
    }
}

void RedrawNonClientFrame(TWinControl& window, const TRect& rect)
{
    if (window.HandleAllocated() && window.Showing() && !IsRectEmpty(rect))
        window.InvalidateTreeRect(rect);
}
