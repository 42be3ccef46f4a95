// Baking the layers' displayed sizes and rotations into their bitmaps, and
// cropping their transparent borders.

#include <algorithm>
#include <vector>

#include "imaging/core/BrelvixProc.h"
#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkGeometry.h"
#include "imaging/core/QkOpaqueBounds.h"
#include "imaging/views/BrelvixView.h"
#include "platform/core/Types.h"

namespace {

// A processor of its own, so that no undo entry and no view is involved.
std::unique_ptr<TBrelvixProc> BakingProcessor(TColor background)
{
    auto processor = std::make_unique<TBrelvixProc>(nullptr);
    processor->SetAutoUndo(false);
    processor->SetBackground(background);
    return processor;
}

// Index -1: every layer; another index outside the list: none.
std::vector<int32_t> ChosenLayers(int32_t index, int32_t count)
{
    std::vector<int32_t> chosen;
    if (index == -1)
        for (int32_t i = 0; i < count; ++i)
            chosen.push_back(i);
    else if (index >= 0 && index < count)
        chosen.push_back(index);
    return chosen;
}

} // namespace

void TBrelvixView::BakeLayerSizes(int32_t index)
{
    std::unique_ptr<TBrelvixProc> processor = BakingProcessor(Background());
    for (int32_t i : ChosenLayers(index, GetLayerCount())) {
        TQkLayer& layer = Layer(i);
        if (layer.DisplayWidth == 0 && layer.DisplayHeight == 0)
            continue;
        processor->AttachBitmap(layer.Bitmap());
        processor->Resample(layer.GetWidth(), layer.GetHeight(), layer.OwnZoomFilter ? layer.ZoomFilter : ZoomFilter);
        layer.DisplayWidth = layer.DisplayHeight = 0;
    }
    Update();
}

void TBrelvixView::CropLayerBorders(int32_t index)
{
    std::unique_ptr<TBrelvixProc> processor = BakingProcessor(Background());
    for (int32_t i : ChosenLayers(index, GetLayerCount())) {
        processor->AttachBitmap(Layer(i).Bitmap());
        processor->CropTransparentBorders();
    }
    Update();
}

void TBrelvixView::BakeLayerRotations(int32_t index)
{
    std::unique_ptr<TBrelvixProc> processor = BakingProcessor(Background());
    for (int32_t i : ChosenLayers(index, GetLayerCount())) {
        TQkLayer& layer = Layer(i);
        if (layer.Angle() == 0)
            continue;
        BakeLayerSizes(i);
        const int32_t w = layer.GetWidth();
        const int32_t h = layer.GetHeight();
        std::vector<TPoint> corners{{0, 0}, {w, 0}, {w, h}, {0, h}};
        // Transparent corners around the turned picture.
        layer.Bitmap()->GetAlphaChannel();
        processor->AttachBitmap(layer.Bitmap());
        processor->Rotate(layer.Angle(), LayerRotateAntialias, LayerRotateQuality, static_cast<TColor>(-1));
        RotatePoints(corners, static_cast<int32_t>(Trunc(w * layer.PivotX)),
                     static_cast<int32_t>(Trunc(h * layer.PivotY)), layer.Angle());
        layer.Left += std::min_element(corners.begin(), corners.end(), [](TPoint a, TPoint b) { return a.X < b.X; })->X;
        layer.Top += std::min_element(corners.begin(), corners.end(), [](TPoint a, TPoint b) { return a.Y < b.Y; })->Y;
        layer.DisplayWidth = layer.DisplayHeight = 0;
        layer.SetAngle(0);
        const TRect opaque = GetOpaqueBounds(*layer.Bitmap());
        if (opaque.Right >= opaque.Left && opaque.Bottom >= opaque.Top) {
            processor->CropToRect(opaque);
            layer.Left += opaque.Left;
            layer.Top += opaque.Top;
        }
    }
    Update();
}
