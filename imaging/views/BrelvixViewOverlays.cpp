// What the view draws over its layers: the layer box and its grips, the
// shading around a layer, the pixel grid and the version banner.

#include <cmath>
#include <cstring>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkCanvas.h"
#include "imaging/core/QkSettings.h"
#include "imaging/views/BrelvixView.h"
#include "platform/core/Types.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"

namespace {

TRect GripSquare(TPoint centre, int32_t half)
{
    return Rect(centre.X - half, centre.Y - half, centre.X + half, centre.Y + half);
}

TPoint Middle(TPoint a, TPoint b) { return {(a.X + b.X) / 2, (a.Y + b.Y) / 2}; }

bool IsRotated(const TQkLayer& layer) { return layer.Angle() != 0; }

} // namespace

std::string TBrelvixView::BrelvixVersion() const { return LibraryVersion; }

void TBrelvixView::DrawLayerOverlays(TQkBitmap& dest, int32_t index)
{
    TQkLayer& layer = Layer(index);
    if (layer.ShowBox) {
        if (index == currentLayer_) {
            if (mouseInteract_.Contains(miMoveLayers) || mouseInteract_.Contains(miResizeLayers))
                DrawLayerBox(dest, index);
            if (mouseInteract_.Contains(miResizeLayers) && !layer.Locked)
                DrawLayerGrips(dest, index);
            if (mouseInteract_.Contains(miRotateLayers))
                DrawRotationCenterGrip(dest, index);
        } else if (ShowAllLayerBoxes) {
            DrawLayerBox(dest, index);
        }
    }
    if (index == currentLayer_ && layer.ShadeOutside)
        ShadeOutsideLayer(dest, index);
}

void TBrelvixView::DrawLayerBox(TQkBitmap& bitmap, int32_t index)
{
    TBitmap& target = *bitmap.GetVclBitmap();
    if (OnDrawLayerBox) {
        OnDrawLayerBox(this, &target, index);
        return;
    }
    TQkLayer& layer = Layer(index);
    TCanvas& canvas = *target.Canvas();
    canvas.Pen()->Assign(layerBoxPen_.get());
    canvas.Brush()->SetStyle(bsClear);
    if (IsRotated(layer))
        canvas.Polygon({layer.Corners.begin(), layer.Corners.end()});
    else
        canvas.Rectangle(layer.ScreenRect.Left, layer.ScreenRect.Top, layer.ScreenRect.Right, layer.ScreenRect.Bottom);
}

std::array<TRect, 9> TBrelvixView::GetLayerGripRects(int32_t index)
{
    TQkLayer& layer = Layer(index);
    const int32_t q = LayerGripHalfSize;
    std::array<TPoint, 8> points;
    if (IsRotated(layer)) {
        const std::array<TPoint, 4>& c = layer.Corners;
        points = {
            c[0], c[1], c[2], c[3], Middle(c[0], c[3]), Middle(c[1], c[2]), Middle(c[0], c[1]), Middle(c[2], c[3])};
    } else {
        const TRect& r = layer.ScreenRect;
        const int32_t midX = (r.Left + r.Right) / 2;
        const int32_t midY = (r.Top + r.Bottom) / 2;
        points = {TPoint{r.Left, r.Top}, TPoint{r.Right, r.Top}, TPoint{r.Right, r.Bottom}, TPoint{r.Left, r.Bottom},
                  TPoint{r.Left, midY},  TPoint{r.Right, midY},  TPoint{midX, r.Top},       TPoint{midX, r.Bottom}};
    }
    std::array<TRect, 9> rects;
    for (size_t i = 0; i < points.size(); ++i)
        rects[i] = GripSquare(points[i], q);
    TQkBitmap& bitmap = *layer.Bitmap();
    const TPoint pivot{layer.BitmapToScreenX(static_cast<int32_t>(Round(bitmap.GetWidth() * layer.PivotX))),
                       layer.BitmapToScreenY(static_cast<int32_t>(Round(bitmap.GetHeight() * layer.PivotY)))};
    rects[8] = GripSquare(pivot, q);
    return rects;
}

TQkGrip TBrelvixView::FindLayerGripAt(int32_t x, int32_t y)
{
    if (currentLayer_ < 0 || currentLayer_ >= GetLayerCount())
        return TQkGrip::qkNone;
    const std::array<TRect, 9> rects = GetLayerGripRects(currentLayer_);
    for (size_t i = 0; i < rects.size(); ++i) {
        if (i == 8 && !mouseInteract_.Contains(miRotateLayers))
            break;
        const TRect& r = rects[i];
        if (x >= r.Left && x <= r.Right && y >= r.Top && y <= r.Bottom)
            return static_cast<TQkGrip>(i + 1);
    }
    return TQkGrip::qkNone;
}

namespace {

// The grips' pen and brush on an anti-aliased canvas.
void StyleGripCanvas(TQkCanvas& canvas, TColor outline, TColor fill, TBrushStyle fillStyle)
{
    canvas.Pen().SetStyle(psSolid);
    canvas.Pen().SetMode(pmCopy);
    canvas.Pen().SetColor(outline);
    canvas.Pen().SetWidth(1);
    canvas.Brush().SetColor(fill);
    canvas.Brush().SetStyle(fillStyle);
}

} // namespace

void TBrelvixView::DrawLayerGrips(TQkBitmap& bitmap, int32_t index)
{
    TBitmap& target = *bitmap.GetVclBitmap();
    const std::array<TRect, 9> rects = GetLayerGripRects(index);
    if (OnDrawLayerGrip) {
        for (size_t i = 0; i < rects.size(); ++i)
            OnDrawLayerGrip(this, &target, index, static_cast<int32_t>(i), rects[i]);
        return;
    }
    TQkCanvas canvas(*target.Canvas(), true, true);
    StyleGripCanvas(canvas, LayerGripOutlineColor, LayerGripFillColor, LayerGripFillStyle);
    for (size_t i = 0; i < 8; ++i) {
        if (LayerGripShape == 0)
            canvas.RectangleRect(rects[i]);
        else
            canvas.EllipseRect(rects[i]);
    }
}

void TBrelvixView::DrawRotationCenterGrip(TQkBitmap& bitmap, int32_t index)
{
    TQkCanvas canvas(*bitmap.GetVclBitmap()->Canvas(), true, true);
    StyleGripCanvas(canvas, LayerGripOutlineColor, LayerGripFillColor, LayerGripFillStyle);
    canvas.EllipseRect(GetLayerGripRects(index)[8]);
}

void TBrelvixView::ShadeOutsideLayer(TQkBitmap& bitmap, int32_t index)
{
    const TRect& s = Layer(index).ScreenRect;
    for (int32_t r = 0; r < bitmap.GetHeight(); ++r) {
        uint8_t* row = bitmap.GetScanline(r);
        for (int32_t c = 0; c < bitmap.GetWidth(); ++c)
            if ((c < s.Left || c > s.Right || r < s.Top || r > s.Bottom) && (r + c) % 2 == 0)
                std::memset(row + 3 * c, 97, 3);
    }
}

void TBrelvixView::DrawPixelGrid(TQkBitmap& bitmap)
{
    TQkLayer& layer = Layer(currentLayer_);
    TQkBitmap& image = *GetImageBitmap();
    if (!ShowPixelGrid || !layer.IsVisible || (ZoomX() < GridMinZoom && ZoomY() < GridMinZoom) ||
        (image.GetWidth() == 1 && image.GetHeight() == 1))
        return;
    const auto& [x, y, w, h] = layer.DrawRect;
    const int32_t sw = layer.SourceRect[2];
    const int32_t sh = layer.SourceRect[3];
    if (sw <= 0 || sh <= 0)
        return;
    TCanvas& canvas = *bitmap.GetVclBitmap()->Canvas();
    canvas.Pen()->SetStyle(psSolid);
    canvas.Pen()->SetWidth(1);
    canvas.Pen()->SetMode(pmNot);
    for (int32_t k = 0; k <= sw; ++k) {
        const int32_t at = static_cast<int32_t>(Round(x + double(k) * w / sw));
        canvas.MoveTo(at, y);
        canvas.LineTo(at, y + h);
    }
    for (int32_t k = 0; k <= sh; ++k) {
        const int32_t at = static_cast<int32_t>(Round(y + double(k) * h / sh));
        canvas.MoveTo(x, at);
        canvas.LineTo(x + w, at);
    }
    if (HighlightedCellX < 0 || HighlightedCellY < 0)
        return;
    TQkCanvas smooth(canvas, true, true);
    smooth.Pen().SetStyle(psSolid);
    smooth.Pen().SetMode(pmCopy);
    smooth.Pen().SetColor(clRed);
    smooth.Pen().SetWidth(2);
    smooth.Brush().SetStyle(bsClear);
    smooth.RoundRect(layer.BitmapToScreenX(HighlightedCellX), layer.BitmapToScreenY(HighlightedCellY),
                     layer.BitmapToScreenX(HighlightedCellX + 1), layer.BitmapToScreenY(HighlightedCellY + 1), 5, 5);
}

void TBrelvixView::DrawVersionBanner()
{
    TCanvas& canvas = *Canvas();
    canvas.Font()->SetName("Arial");
    canvas.Font()->SetHeight(13);
    canvas.Font()->SetColor(clBlack);
    canvas.Brush()->SetStyle(bsSolid);
    canvas.Brush()->SetColor(clWhite);
    const std::string text = "Brelvix Version " + BrelvixVersion();
    canvas.TextOut(ClientWidth() - canvas.TextWidth(text), ClientHeight() - canvas.TextHeight(text), text);
}
