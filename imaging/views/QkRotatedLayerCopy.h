#pragma once
// A rotated layer's picture, kept so that repaints do not turn it again:
// valid while the layer shows the same bitmap at the same size, angle and
// pivot. The layout pass drops every copy, as a changed bitmap goes through it.

#include <memory>

#include "imaging/core/QkBitmap.h"
#include "imaging/views/layers/QkLayer.h"

struct TQkRotatedLayerCopy {
    const TQkLayer* Layer = nullptr;
    const TQkBitmap* Source = nullptr;
    int32_t SourceWidth = 0;
    int32_t SourceHeight = 0;
    int32_t Width = 0;
    int32_t Height = 0;
    double Angle = 0;
    double PivotX = 0;
    double PivotY = 0;
    std::unique_ptr<TQkBitmap> Bitmap;

    bool Matches(TQkLayer& layer) const
    {
        TQkBitmap& source = *layer.Bitmap();
        return Layer == &layer && Source == &source && SourceWidth == source.GetWidth() &&
            SourceHeight == source.GetHeight() && Width == layer.GetWidth() && Height == layer.GetHeight() &&
            Angle == layer.Angle() && PivotX == layer.PivotX && PivotY == layer.PivotY;
    }
};
