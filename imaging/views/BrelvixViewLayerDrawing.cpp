// Drawing one layer into the composed picture: its mask, its place on the
// screen (through the coordinate tables when it covers the image, else by
// its own rectangle, rotated when it is turned) and its overlays.

#include <cmath>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkGeometry.h"
#include "imaging/core/QkRenderGeometry.h"
#include "imaging/core/QkResample.h"
#include "imaging/core/QkRotate.h"
#include "imaging/views/BrelvixView.h"
#include "platform/core/Types.h"

namespace {

// A temporary mask that lets all of a layer through: with outside mode 1 it
// still fades the parts beyond layer 0.
std::unique_ptr<TQkLayer> FullMaskFor(TQkLayer& layer)
{
    auto bitmap = std::make_unique<TQkBitmap>();
    bitmap->Allocate(layer.Bitmap()->GetWidth(), layer.Bitmap()->GetHeight(), qk8g);
    bitmap->Fill(255);
    auto mask = std::make_unique<TQkLayer>(layer.View, std::move(bitmap));
    mask->Left = layer.Left;
    mask->Top = layer.Top;
    mask->DisplayWidth = layer.DisplayWidth;
    mask->DisplayHeight = layer.DisplayHeight;
    return mask;
}

// The mask row or column under an image position; -1 outside the mask.
int32_t MaskIndex(int32_t imagePos, int32_t maskOrigin, int32_t maskBitmapSize, int32_t maskDisplaySize)
{
    const int32_t index = static_cast<int32_t>(Round(double(imagePos - maskOrigin) * maskBitmapSize / maskDisplaySize));
    return index >= 0 && index < maskBitmapSize ? index : -1;
}

} // namespace

void TBrelvixView::DropRenderCaches()
{
    rotatedCopies_.clear();
    for (std::unique_ptr<TQkLayer>& layer : layers_)
        layer->SubstituteAlpha.reset();
}

std::unique_ptr<TQkBitmap> TBrelvixView::MaskedAlpha(TQkLayer& layer, TQkLayer& mask)
{
    TQkBitmap& bitmap = *layer.Bitmap();
    TQkBitmap& maskBitmap = *mask.Bitmap();
    if (maskBitmap.HasAlphaChannel())
        maskBitmap.RemoveAlphaChannel(false, Background());
    if (maskBitmap.GetPixelFormat() != qk8g)
        maskBitmap.ConvertToPixelFormat(qk8g);
    const int32_t bw = bitmap.GetWidth();
    const int32_t bh = bitmap.GetHeight();
    auto alpha = std::make_unique<TQkBitmap>();
    alpha->Allocate(bw, bh, qk8g);
    const int32_t mw = maskBitmap.GetWidth();
    const int32_t mh = maskBitmap.GetHeight();
    const int32_t mdw = mask.GetWidth();
    const int32_t mdh = mask.GetHeight();
    const bool fade = LayerOutsideMode == qkloTransparent;
    const uint8_t outside = static_cast<uint8_t>(std::min<uint32_t>(LayerOutsideValue, 255));
    const int32_t w0 = layers_[0]->Bitmap()->GetWidth();
    const int32_t h0 = layers_[0]->Bitmap()->GetHeight();
    // A mask of no size lets the layer through as it is.
    const bool noMask = mw == 0 || mh == 0 || mdw == 0 || mdh == 0;
    TQkBitmap* own = bitmap.HasAlphaChannel() ? bitmap.GetAlphaChannel() : nullptr;
    for (int32_t y = 0; y < bh; ++y) {
        uint8_t* row = alpha->GetScanline(y);
        const int32_t iy = layer.Top + static_cast<int32_t>(int64_t(y) * layer.GetHeight() / bh);
        const int32_t my = noMask ? 0 : MaskIndex(iy, mask.Top, mh, mdh);
        const uint8_t* ownRow = own ? own->GetScanline(y) : nullptr;
        for (int32_t x = 0; x < bw; ++x) {
            const uint8_t ownAlpha = ownRow ? ownRow[x] : 255;
            const int32_t ix = layer.Left + static_cast<int32_t>(int64_t(x) * layer.GetWidth() / bw);
            uint8_t value = 255;
            if (!noMask) {
                const int32_t mx = MaskIndex(ix, mask.Left, mw, mdw);
                value = mx < 0 || my < 0 ? 0 : maskBitmap.GetScanline(my)[mx];
            }
            if (fade && (ix < 0 || ix > w0 || iy < 0 || iy > h0))
                value = outside;
            row[x] = std::min(ownAlpha, value);
        }
    }
    return alpha;
}

TQkBitmap& TBrelvixView::RotatedLayerBitmap(TQkLayer& layer)
{
    for (std::unique_ptr<TQkRotatedLayerCopy>& copy : rotatedCopies_)
        if (copy->Matches(layer))
            return *copy->Bitmap;
    std::erase_if(rotatedCopies_,
                  [&](const std::unique_ptr<TQkRotatedLayerCopy>& copy) { return copy->Layer == &layer; });
    TQkBitmap& source = *layer.Bitmap();
    const int32_t dw = layer.GetWidth();
    const int32_t dh = layer.GetHeight();
    TQkBitmap sized;
    sized.Allocate(dw, dh, source.GetPixelFormat());
    ResampleBitmap(source, sized, rfNone, nullptr, nullptr);
    TQkBitmap sizedAlpha;
    sizedAlpha.Allocate(dw, dh, qk8g);
    if (source.HasAlphaChannel())
        ResampleBitmap(*source.GetAlphaChannel(), sizedAlpha, rfNone, nullptr, nullptr);
    else
        sizedAlpha.Fill(255);
    auto rotated = std::make_unique<TQkBitmap>();
    RotateBitmapInto(sized, *rotated, clBlack, nullptr, nullptr, layer.Angle());
    auto rotatedAlpha = std::make_unique<TQkBitmap>();
    RotateBitmapInto(sizedAlpha, *rotatedAlpha, clBlack, nullptr, nullptr, layer.Angle());
    rotated->AttachAlphaChannel(std::move(rotatedAlpha));
    auto copy = std::make_unique<TQkRotatedLayerCopy>();
    *copy = TQkRotatedLayerCopy{&layer, &source,       source.GetWidth(), source.GetHeight(), dw,
                                dh,     layer.Angle(), layer.PivotX,      layer.PivotY,       std::move(rotated)};
    rotatedCopies_.push_back(std::move(copy));
    return *rotatedCopies_.back()->Bitmap;
}

void TBrelvixView::RenderLayer(TQkBitmap& dest, TQkRenderTables* destRows, const TRect* clipRect, int32_t index,
                               TLayerPass& pass)
{
    TQkLayer& layer = Layer(index);
    TQkBitmap& bitmap = *layer.Bitmap();
    if (!layer.IsVisible || geometry_.DisplayedWidth() == 0 || geometry_.DisplayedHeight() == 0 ||
        (bitmap.GetWidth() < MinLayerSize && bitmap.GetHeight() < MinLayerSize))
        return;
    std::unique_ptr<TQkLayer> temporaryMask;
    TQkLayer* mask = nullptr;
    if (index + 1 < GetLayerCount() && Layer(index + 1).MaskOfPrevious && !layer.MaskOfPrevious && layer.Angle() == 0) {
        mask = &Layer(index + 1);
    } else if (index > 0 && LayerOutsideMode == qkloTransparent) {
        temporaryMask = FullMaskFor(layer);
        mask = temporaryMask.get();
    }
    std::unique_ptr<TQkBitmap> realAlpha;
    if (mask) {
        if (!layer.SubstituteAlpha)
            layer.SubstituteAlpha = MaskedAlpha(layer, *mask);
        realAlpha = bitmap.DetachAlphaChannel();
        bitmap.AttachAlphaChannel(std::move(layer.SubstituteAlpha));
    }
    if (pass.DrawBackground && pass.First)
        RenderBackgroundStep(dest, clipRect, &layer);
    TQkRenderOptions options;
    options.Clip = nullptr;
    options.UseAlpha = enableAlphaChannel_;
    options.Transparency = layer.OpacityValue;
    options.Operation = layer.BlendOperation;
    options.Filter = LayerFilter(layer);
    const TRect clip{0, 0, dest.GetWidth() - 1, dest.GetHeight() - 1};
    options.Clip = &clip;
    try {
        if (SyncLayerSizes ||
            (GetLayerCount() == 1 && layer.Left == 0 && layer.Top == 0 && layer.DisplayWidth == 0 &&
             layer.DisplayHeight == 0))
            RenderFastPath(dest, destRows, layer, options);
        else
            RenderGeneralPath(dest, destRows, layer, options);
    } catch (...) {
        if (mask) {
            layer.SubstituteAlpha = bitmap.DetachAlphaChannel();
            if (realAlpha)
                bitmap.AttachAlphaChannel(std::move(realAlpha));
        }
        throw;
    }
    if (pass.DrawOverlays)
        DrawLayerOverlays(dest, index);
    if (mask) {
        layer.SubstituteAlpha = bitmap.DetachAlphaChannel();
        if (realAlpha)
            bitmap.AttachAlphaChannel(std::move(realAlpha));
    }
    pass.First = false;
}

namespace {

TQkRenderTables TablesOver(TQkRenderTables* destRows)
{
    TQkRenderTables tables;
    if (destRows)
        tables.Rows = destRows->Rows;
    return tables;
}

} // namespace

// The layer covers the image: columns and rows map through the view's own
// tables, so zoomed pixels land exactly where the hit tests find them.
void TBrelvixView::RenderFastPath(TQkBitmap& dest, TQkRenderTables* destRows, TQkLayer& layer,
                                  TQkRenderOptions& options)
{
    TQkBitmap& bitmap = *layer.Bitmap();
    const TQkViewGeometry& g = geometry_;
    const TQkRenderRect target{g.OffsetX(), g.OffsetY(), g.DisplayedWidth(), g.DisplayedHeight()};
    const TQkRenderRect source{g.VisibleX(), g.VisibleY(), g.VisibleWidth(), g.VisibleHeight()};
    TQkRenderTables tables = TablesOver(destRows);
    const std::optional<TQkRenderArea> area = PlanRenderArea(dest.GetWidth(), dest.GetHeight(), bitmap.GetWidth(),
                                                             bitmap.GetHeight(), target, source, options.Clip);
    if (area && !area->OneToOne) {
        for (int32_t c = area->FirstColumn; c <= area->LastColumn; ++c)
            tables.Columns.push_back(std::clamp(g.ScreenToBitmapX(c), 0, bitmap.GetWidth() - 1));
        for (int32_t r = area->FirstRow; r <= area->LastRow; ++r)
            tables.RowMap.push_back(std::clamp(g.ScreenToBitmapY(r), 0, bitmap.GetHeight() - 1));
    }
    RenderToTQkBitmapEx(bitmap, dest, tables, target, source, options);
    layer.ScreenRect =
        Rect(g.OffsetX(), g.OffsetY(), g.OffsetX() + g.DisplayedWidth(), g.OffsetY() + g.DisplayedHeight());
    layer.DrawRect = {g.OffsetX(), g.OffsetY(), g.DisplayedWidth(), g.DisplayedHeight()};
    layer.SourceRect = {g.VisibleX(), g.VisibleY(), g.VisibleWidth(), g.VisibleHeight()};
}

namespace {

// A view coordinate whose image position rounds back to `at`.
template <typename ToScreen, typename ToBitmap>
int32_t CorrectedScreen(int32_t at, ToScreen toScreen, ToBitmap toBitmap)
{
    int32_t v = toScreen(at);
    const int32_t back = toBitmap(v);
    if (back < at)
        ++v;
    else if (back > at)
        --v;
    return v;
}

// What the general path changes on a rotated layer while it draws.
struct TSavedPlacement {
    int32_t DisplayWidth, DisplayHeight, Left, Top;
};

} // namespace

void TBrelvixView::RenderGeneralPath(TQkBitmap& dest, TQkRenderTables* destRows, TQkLayer& layer,
                                     TQkRenderOptions& options)
{
    TQkBitmap* bitmap = layer.Bitmap();
    const TSavedPlacement saved{layer.DisplayWidth, layer.DisplayHeight, layer.Left, layer.Top};
    if (layer.Angle() != 0) {
        const int32_t dw = layer.GetWidth();
        const int32_t dh = layer.GetHeight();
        bitmap = &RotatedLayerBitmap(layer);
        layer.DisplayWidth = bitmap->GetWidth();
        layer.DisplayHeight = bitmap->GetHeight();
        std::vector<TPoint> corners{{0, 0}, {dw, 0}, {dw, dh}, {0, dh}};
        RotatePoints(corners, static_cast<int32_t>(Trunc(dw * layer.PivotX)),
                     static_cast<int32_t>(Trunc(dh * layer.PivotY)), layer.Angle());
        int32_t minX = corners[0].X, minY = corners[0].Y;
        for (const TPoint& p : corners) {
            minX = std::min(minX, p.X);
            minY = std::min(minY, p.Y);
        }
        layer.Left = saved.Left + minX;
        layer.Top = saved.Top + minY;
        for (size_t i = 0; i < 4; ++i)
            layer.Corners[i] = {static_cast<int32_t>(Trunc((corners[i].X + saved.Left) * ZoomX() / 100)) +
                                    geometry_.OffsetX() - ViewX(),
                                static_cast<int32_t>(Trunc((corners[i].Y + saved.Top) * ZoomY() / 100)) +
                                    geometry_.OffsetY() - ViewY()};
    }
    auto restore = [&] {
        layer.DisplayWidth = saved.DisplayWidth;
        layer.DisplayHeight = saved.DisplayHeight;
        layer.Left = saved.Left;
        layer.Top = saved.Top;
    };
    try {
        if (layer.LensEnabled)
            PrepareLens(dest, layer, options.Filter);
        const auto toScreenX = [&](int32_t v) { return BitmapToScreenX(v); };
        const auto toBitmapX = [&](int32_t v) { return ScreenToBitmapX(v); };
        const auto toScreenY = [&](int32_t v) { return BitmapToScreenY(v); };
        const auto toBitmapY = [&](int32_t v) { return ScreenToBitmapY(v); };
        const int32_t w0 = layer.DisplayWidth != 0 ? layer.DisplayWidth : bitmap->GetWidth();
        const int32_t h0 = layer.DisplayHeight != 0 ? layer.DisplayHeight : bitmap->GetHeight();
        int32_t x = CorrectedScreen(layer.Left, toScreenX, toBitmapX);
        int32_t y = CorrectedScreen(layer.Top, toScreenY, toBitmapY);
        int32_t width = CorrectedScreen(layer.Left + w0, toScreenX, toBitmapX) - x;
        int32_t height = CorrectedScreen(layer.Top + h0, toScreenY, toBitmapY) - y;
        TQkRenderRect source{0, 0, bitmap->GetWidth(), bitmap->GetHeight()};
        layer.ScreenRect = Rect(x, y, x + width, y + height);
        if (layer.ClipToBackground)
            ClipLayerToBackground(layer, *bitmap, w0, h0, x, y, width, height, source);
        TQkRenderTables tables = TablesOver(destRows);
        RenderToTQkBitmapEx(*bitmap, dest, tables, {x, y, width, height}, source, options);
        layer.DrawRect = {x, y, width, height};
        layer.SourceRect = {source.X, source.Y, source.Width, source.Height};
    } catch (...) {
        if (layer.Angle() != 0)
            restore();
        throw;
    }
    if (layer.Angle() != 0)
        restore();
}

// A layer that may not leave layer 0 is cut to it, its source with it.
void TBrelvixView::ClipLayerToBackground(TQkLayer& layer, TQkBitmap& bitmap, int32_t w0, int32_t h0, int32_t& x,
                                         int32_t& y, int32_t& width, int32_t& height, TQkRenderRect& source)
{
    if (ScreenToBitmapX(x) < 0) {
        source.X = -static_cast<int32_t>(Trunc(double(bitmap.GetWidth()) / w0 * layer.Left));
        source.Width = bitmap.GetWidth() - source.X;
        x = BitmapToScreenX(0);
        width = BitmapToScreenX(layer.Left + w0) - x;
    }
    if (ScreenToBitmapY(y) < 0) {
        source.Y = -static_cast<int32_t>(Trunc(double(bitmap.GetHeight()) / h0 * layer.Top));
        source.Height = bitmap.GetHeight() - source.Y;
        y = BitmapToScreenY(0);
        height = BitmapToScreenY(layer.Top + h0) - y;
    }
    const int32_t layer0Width = layers_[0]->Bitmap()->GetWidth();
    const int32_t layer0Height = layers_[0]->Bitmap()->GetHeight();
    const int32_t screenWidth = layer.ScreenRect.Right - layer.ScreenRect.Left;
    const int32_t screenHeight = layer.ScreenRect.Bottom - layer.ScreenRect.Top;
    if (layer0Width < ScreenToBitmapX(x + width) && screenWidth > 0) {
        width = BitmapToScreenX(layer0Width) - x;
        source.Width = static_cast<int32_t>(Trunc(double(bitmap.GetWidth()) / screenWidth * width));
    }
    if (layer0Height < ScreenToBitmapY(y + height) && screenHeight > 0) {
        height = BitmapToScreenY(layer0Height) - y;
        source.Height = static_cast<int32_t>(Trunc(double(bitmap.GetHeight()) / screenHeight * height));
    }
}
