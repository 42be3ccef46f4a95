// The image view's rendering: the paint entry point, the back buffer and
// its copy to the window, the composition of background and layers, the
// outside shading and the flattening of the layers.

#include <cstring>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkDrawDib.h"
#include "imaging/core/QkRenderGeometry.h"
#include "imaging/formats/media/QkDirectShow.h"
#include "imaging/views/BrelvixView.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"

namespace {

// A 40-byte header describing a bottom-up 24-bit DIB of the given size.
std::array<uint8_t, 40> DibHeader(int32_t width, int32_t height)
{
    std::array<uint8_t, 40> header{};
    auto put32 = [&](size_t at, uint32_t value) {
        for (size_t i = 0; i < 4; ++i)
            header[at + i] = static_cast<uint8_t>(value >> (8 * i));
    };
    put32(0, 40);
    put32(4, static_cast<uint32_t>(width));
    put32(8, static_cast<uint32_t>(height));
    header[12] = 1;
    header[14] = 24;
    return header;
}

bool AlphaFullyOpaque(TQkBitmap& bitmap)
{
    if (!bitmap.HasAlphaChannel())
        return true;
    TQkBitmap& alpha = *bitmap.GetAlphaChannel();
    alpha.UpdateFullAlphaFlag();
    return alpha.Full();
}

} // namespace

TQkViewDisplay& ViewDisplay()
{
    static TQkViewDisplay display;
    return display;
}

void TBrelvixView::AfterRenderBackBuffer(TQkBitmap&) {}

void TBrelvixView::SetDrawVersion(bool value)
{
    drawVersion_ = value;
    Paint();
}

void TBrelvixView::SetEnableAlphaChannel(bool value)
{
    enableAlphaChannel_ = value;
    Update();
}

// ---- Paint ----

void TBrelvixView::Paint()
{
    if (!HandleAllocated() || !HasParentWindow() || ClientWidth() == 0 || ClientHeight() == 0)
        return;
    TCanvas& canvas = *Canvas();
    try {
        if (PaintLock() == 0) {
            TRect rect = FullRepaint ? Rect(0, 0, ClientWidth(), ClientHeight()) : canvas.ClipRect();
            if (rect.Right == 0 || rect.Bottom == 0) {
                rect.Right = ClientWidth();
                rect.Bottom = ClientHeight();
            }
            PaintToCanvas(rect);
            if (OnDrawCanvas)
                OnDrawCanvas(this, &canvas, Rect(0, 0, ClientWidth(), ClientHeight()));
        }
        FullRepaint = false;
        if (OnPaint)
            OnPaint(this);
    } catch (const std::exception&) {
        // A failed rendering leaves the last picture; the banner still shows.
    }
    if (drawVersion_)
        DrawVersionBanner();
    if (TQkDirectShow* video = ActiveVideo())
        PlaceVideo(*video);
    ApplyPendingCursor();
}

void TBrelvixView::PaintToCanvas(const TRect& rect)
{
    if (!HasParentWindow())
        return;
    if (!backBuffer_ || backBuffer_->GetWidth() != ClientWidth() || backBuffer_->GetHeight() != ClientHeight()) {
        backBuffer_ = std::make_unique<TQkBitmap>();
        backBuffer_->SetLocation(qkTBitmap);
        backBuffer_->Allocate(ClientWidth(), ClientHeight(), qk24RGB);
        backBufferRows_.Rows.clear();
        for (int32_t row = 0; row < backBuffer_->GetHeight(); ++row)
            backBufferRows_.Rows.push_back(backBuffer_->GetScanline(row));
        BackBufferDirty = true;
    }
    if (BackBufferDirty) {
        const TRect clip = rect;
        RenderToBitmap(*backBuffer_, &backBufferRows_, &clip, true, true);
        AfterRenderBackBuffer(*backBuffer_);
        if (OnDrawBackBuffer)
            OnDrawBackBuffer(this);
        BackBufferDirty = false;
    }
    // The copy leaves the playing video's place alone.
    if (ActiveVideo()) {
        const auto& [x, y, w, h] = CurrentLayer().DrawRect;
        Canvas()->ExcludeClipRect(x, y, x + w, y + h);
    }
    CopyBackBuffer(rect);
}

void TBrelvixView::CopyBackBuffer(const TRect& rect)
{
    TCanvas& canvas = *Canvas();
    TBitmap& buffer = *backBuffer_->GetVclBitmap();
    const int32_t w = std::min(rect.Right - rect.Left, ClientWidth());
    const int32_t h = std::min(rect.Bottom - rect.Top, ClientHeight());
    const TQkViewDisplay& display = ViewDisplay();
    if ((ForceDrawDib || display.BitsPerPixel <= 8) && !display.Remote) {
        const std::array<uint8_t, 40> header = DibHeader(buffer.Width(), buffer.Height());
        const uint8_t* lowest = buffer.ScanLine(buffer.Height() - 1);
        const int64_t length = int64_t(backBuffer_->GetRowLen()) * buffer.Height();
        DrawDibDraw(drawDib_.get(), &canvas, rect.Left, rect.Top, w, h, {header.data(), int64_t(header.size())},
                    {lowest, length}, rect.Left, rect.Top, w, h, 0);
    } else if (display.BitsPerPixel <= 23 && !display.Remote) {
        canvas.SetStretchMode(HALFTONE);
        canvas.StretchBlt(rect.Left, rect.Top, w, h, buffer.Canvas(), rect.Left, rect.Top, w, h, SRCCOPY);
    } else {
        canvas.BitBlt(rect.Left, rect.Top, w, h, buffer.Canvas(), rect.Left, rect.Top, SRCCOPY);
    }
}

// ---- Composition ----

void TBrelvixView::RenderToBitmap(TQkBitmap& dest, TQkRenderTables* destRows, const TRect* clipRect,
                                  bool drawBackground, bool drawOverlays)
{
    SyncLayers();
    geometry_.UpdateVisibleArea();
    geometry_.UpdateCoordinateTables();
    TQkBitmap& image = *GetImageBitmap();
    if ((ComponentState() & csDesigning) != 0 || image.GetWidth() == 0 || image.GetHeight() == 0)
        return;
    if (image.HasAlphaChannel() &&
        (image.GetAlphaChannel()->GetWidth() != image.GetWidth() ||
         image.GetAlphaChannel()->GetHeight() != image.GetHeight()))
        return;
    TLayerPass pass{drawBackground, drawOverlays};
    for (int32_t i = 0; i < GetLayerCount(); ++i)
        RenderLayer(dest, destRows, clipRect, i, pass);
    ShadeOutsideLayerZero(dest);
    if (drawBackground && pass.First)
        RenderBackgroundStep(dest, clipRect, nullptr);
    if (drawOverlays)
        DrawPixelGrid(dest);
}

TResampleFilter TBrelvixView::LayerFilter(const TQkLayer& layer) const
{
    if (zoomFilterDelayCount_ > 0 ||
        (layer.DisplayWidth == 0 && layer.DisplayHeight == 0 && ZoomX() == 100 && ZoomY() == 100))
        return rfNone;
    return layer.OwnZoomFilter ? layer.ZoomFilter : ZoomFilter;
}

// An opaque first layer that covers the whole destination hides any background.
bool TBrelvixView::CoversDestOpaquely(TQkBitmap& dest, TQkLayer& layer)
{
    return geometry_.OffsetX() < 1 && geometry_.OffsetY() < 1 && geometry_.DisplayedWidth() >= dest.GetWidth() &&
        geometry_.DisplayedHeight() >= dest.GetHeight() && layer.OpacityValue > 254 &&
        (!enableAlphaChannel_ || AlphaFullyOpaque(*layer.Bitmap()));
}

void TBrelvixView::RenderBackgroundStep(TQkBitmap& dest, const TRect* clipRect, TQkLayer* firstLayer)
{
    if (firstLayer && CoversDestOpaquely(dest, *firstLayer))
        return;
    TBitmap& bitmap = *dest.GetVclBitmap();
    TCanvas& canvas = *bitmap.Canvas();
    if (clipRect)
        canvas.IntersectClipRect(clipRect->Left, clipRect->Top, clipRect->Right + 1, clipRect->Bottom + 1);
    bool handled = false;
    const TRect whole = Rect(0, 0, dest.GetWidth(), dest.GetHeight());
    if (OnDrawBackground)
        OnDrawBackground(this, &canvas, whole, handled);
    if (!handled) {
        const int32_t x = geometry_.OffsetX();
        const int32_t y = geometry_.OffsetY();
        PaintViewBackground(canvas, &bitmap, background_, whole,
                            Rect(x, y, x + geometry_.DisplayedWidth(), y + geometry_.DisplayedHeight()));
    }
    canvas.SelectClipRgn(nullptr);
}

// Layer 0's surroundings: a gray checker (mode 2) or lightened (mode 3).
void TBrelvixView::ShadeOutsideLayerZero(TQkBitmap& dest)
{
    if (LayerOutsideMode != qkloChecker && LayerOutsideMode != qkloLighten)
        return;
    const std::array<int32_t, 4>& d = layers_[0]->DrawRect;
    const int32_t x0 = d[0], y0 = d[1], w0 = d[2], h0 = d[3];
    const bool checker = LayerOutsideMode == qkloChecker;
    const int32_t lift = static_cast<int32_t>(std::min<uint32_t>(LayerOutsideValue, 255));
    for (int32_t r = 0; r < dest.GetHeight(); ++r) {
        uint8_t* row = dest.GetScanline(r);
        const bool rowOutside = checker ? (r < y0 || r > y0 + h0) : (r < y0 || r >= y0 + h0);
        for (int32_t c = 0; c < dest.GetWidth(); ++c) {
            uint8_t* pixel = row + 3 * c;
            if (checker) {
                if ((rowOutside || c < x0 || c > x0 + w0) && (r + c) % 2 == 0)
                    std::memset(pixel, 128, 3);
            } else if (rowOutside || c < x0 || c >= x0 + w0) {
                for (int32_t k = 0; k < 3; ++k)
                    pixel[k] = static_cast<uint8_t>(std::min(pixel[k] + lift, 255));
            }
        }
    }
}

// ---- Flattening ----

void TBrelvixView::FlattenLayersTo(TQkBitmap& dest)
{
    int32_t right = 0, bottom = 0, e = 0, f = 0;
    for (int32_t i = 0; i < GetLayerCount(); ++i) {
        TQkLayer& layer = Layer(i);
        if (i > 0 && layer.ClipToBackground)
            continue;
        right = std::max(right, layer.Left + layer.GetWidth());
        bottom = std::max(bottom, layer.Top + layer.GetHeight());
        if (layer.Left < 0)
            e = std::max(e, -layer.Left);
        if (layer.Top < 0)
            f = std::max(f, -layer.Top);
    }
    if (dest.GetPixelFormat() != qk24RGB || dest.IsEmpty())
        dest.Allocate(1, 1, qk24RGB);
    dest.Resize(right + e, bottom + f, Background(), -1, 0, 0);
    dest.Fill(Background());
    const TQkViewGeometry saved = geometry_;
    SyncLayers();
    geometry_.PlaceWholeImageAt(e, f);
    DropRenderCaches();
    try {
        RenderToBitmap(dest, nullptr, nullptr, false, false);
    } catch (...) {
        geometry_ = saved;
        throw;
    }
    geometry_ = saved;
    DropRenderCaches();
    BackBufferDirty = true;
    Update();
}

void TBrelvixView::FlattenLayers()
{
    TQkBitmap flat;
    flat.Allocate(GetImageBitmap()->GetWidth(), GetImageBitmap()->GetHeight(), qk24RGB);
    flat.Fill(Background());
    FlattenLayersTo(flat);
    while (GetLayerCount() > 1)
        RemoveLayer(GetLayerCount() - 1);
    GetImageBitmap()->Assign(&flat);
    Update();
}
