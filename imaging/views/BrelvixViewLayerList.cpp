// The view's layer list: which layer is current, adding and removing
// layers, the hit tests over them and showing a bitmap that belongs to
// someone else.

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkGeometry.h"
#include "imaging/views/BrelvixView.h"

TQkBitmap* TBrelvixView::GetImageBitmap() { return layers_[static_cast<size_t>(currentLayer_)]->Bitmap(); }

int32_t TBrelvixView::AddLayer(std::unique_ptr<TQkBitmap> bitmap)
{
    layers_.push_back(std::make_unique<TQkLayer>(&geometry_, std::move(bitmap)));
    return GetLayerCount() - 1;
}

int32_t TBrelvixView::AddLayer()
{
    layers_.push_back(std::make_unique<TQkLayer>(&geometry_, GetImageBitmap()));
    const int32_t index = GetLayerCount() - 1;
    SetCurrentLayer(index);
    ClearImage();
    return index;
}

void TBrelvixView::SetCurrentLayer(int32_t index)
{
    if (index < 0 || index >= GetLayerCount() || index == currentLayer_)
        return;
    MakeCurrent(index);
}

// The first selectable layer from `index` down becomes current, and the
// selection moves onto it.
void TBrelvixView::MakeCurrent(int32_t index)
{
    const bool carrySelection = Selected();
    if (carrySelection)
        PushSelection();
    if (SelectableCheck)
        while (index > 0 && !Layer(index).Selectable)
            --index;
    currentLayer_ = index;
    SyncLayers();
    if (carrySelection)
        PopSelection(true, 2);
    CallBitmapChangeHandlers();
    Update();
}

void TBrelvixView::RemoveLayer(int32_t index)
{
    // Layer 0 is the image itself and always stays.
    if (GetLayerCount() < 2 || index <= 0 || index >= GetLayerCount())
        return;
    int32_t removed = 1;
    if (index + 1 < GetLayerCount() && Layer(index + 1).MaskOfPrevious) {
        layers_.erase(layers_.begin() + index + 1);
        removed = 2;
    }
    layers_.erase(layers_.begin() + index);
    const int32_t old = currentLayer_;
    int32_t target = old;
    if (old >= index && old < index + removed)
        target = std::min(index, GetLayerCount() - 1);
    else if (old > index)
        target = old - removed;
    // The removed layers may have held the image: a valid one first.
    currentLayer_ = std::clamp(target, 0, GetLayerCount() - 1);
    MakeCurrent(currentLayer_);
}

void TBrelvixView::RemoveAllLayers()
{
    layers_.erase(layers_.begin() + 1, layers_.end());
    currentLayer_ = 0;
    MakeCurrent(0);
    TQkLayer& base = Layer(0);
    base.SetDefaults();
    base.ShowBox = false;
    base.Locked = true;
    ClearImage();
}

int32_t TBrelvixView::FindLayerAt(int32_t x, int32_t y, bool selectableOnly)
{
    for (int32_t i = GetLayerCount() - 1; i >= 0; --i) {
        TQkLayer& layer = Layer(i);
        const TRect& r = layer.ScreenRect;
        if (!layer.IsVisible || (selectableOnly && SelectableCheck && !layer.Selectable) || x < r.Left || x > r.Right ||
            y < r.Top || y > r.Bottom)
            continue;
        TQkBitmap& bitmap = *layer.Bitmap();
        if (!bitmap.HasAlphaChannel() || SelectionOptions.Contains(qksoSelectTranspLayers))
            return i;
        const int32_t bx = std::clamp(layer.ScreenToBitmapX(x), 0, std::max(bitmap.GetWidth() - 1, 0));
        const int32_t by = std::clamp(layer.ScreenToBitmapY(y), 0, std::max(bitmap.GetHeight() - 1, 0));
        if (!bitmap.IsEmpty() && bitmap.GetAlpha(bx, by) != 0)
            return i;
    }
    return -1;
}

bool TBrelvixView::IsPointInLayer(int32_t x, int32_t y, int32_t index)
{
    if (index < 0 || index >= GetLayerCount() || !Layer(index).IsVisible)
        return false;
    TQkLayer& layer = Layer(index);
    if (layer.Angle() != 0)
        return PointInPolygon(x, y, {layer.Corners.begin(), layer.Corners.end()});
    const TRect& r = layer.ScreenRect;
    return x >= r.Left && x <= r.Right && y >= r.Top && y <= r.Bottom;
}

void TBrelvixView::AttachBitmap(TQkBitmap* bitmap)
{
    TQkLayer& layer = Layer(currentLayer_);
    if (bitmap)
        layer.ShowOutsideBitmap(bitmap);
    else
        layer.OwnNewBitmap(legacyBitmap_ ? qkTBitmap : qkMemory);
    SyncLayers();
    CallBitmapChangeHandlers();
    Update();
}

void TBrelvixView::ClearImage()
{
    TQkBitmap& image = *GetImageBitmap();
    image.Fill(Background());
    image.RemoveAlphaChannel(false, Background());
    Update();
}

void TBrelvixView::ResetImage()
{
    TQkBitmap& image = *GetImageBitmap();
    image.Allocate(1, 1, image.IsEmpty() ? qk24RGB : image.GetPixelFormat());
    ClearImage();
}
