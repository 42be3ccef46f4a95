#include "imaging/views/BrelvixView.h"

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkCanvas.h"
#include "imaging/core/QkDrawDib.h"
#include "imaging/core/QkRender.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"
#include "platform/gfx/Picture.h"
#include "platform/ui/ExtCtrls.h"

namespace {

// A fresh view shows a 1 x 1 image kept in a platform bitmap (legacy mode).
std::unique_ptr<TQkBitmap> InitialImage()
{
    auto image = std::make_unique<TQkBitmap>();
    image->SetLocation(qkTBitmap);
    image->Allocate(1, 1, qk24RGB);
    return image;
}

constexpr int32_t ViewDefaultDpi = 300;

} // namespace

TBrelvixView::TBrelvixView(TComponent* owner) : TQkView(owner)
{
    BeginUpdateLock();
    LoadGdiPlus();
    drawDib_ = DrawDibOpen();
    layers_.push_back(std::make_unique<TQkLayer>(&geometry_, InitialImage()));
    layers_[0]->ShowBox = false;
    layers_[0]->Locked = true;
    SetDpi(ViewDefaultDpi, ViewDefaultDpi);
    SetTabStop(true);
    SetBounds(Left(), Top(), 50, 50);
    EndUpdateLockNoRefresh();
    SyncLayers();
}

TBrelvixView::~TBrelvixView()
{
    // Components working on the image hear of the end while it exists.
    ReleaseBitmapChangeHandlers();
    DrawDibClose(std::move(drawDib_));
}

// ---- Layers ----

TQkBitmap* TBrelvixView::GetImageBitmap() { return layers_[static_cast<size_t>(currentLayer_)]->Bitmap(); }

int32_t TBrelvixView::AddLayer(std::unique_ptr<TQkBitmap> bitmap)
{
    layers_.push_back(std::make_unique<TQkLayer>(&geometry_, std::move(bitmap)));
    return GetLayerCount() - 1;
}

void TBrelvixView::SetLayersCurrent(int32_t index)
{
    if (index < 0 || index >= GetLayerCount() || index == currentLayer_)
        return;
    currentLayer_ = index;
    SyncLayers();
    CallBitmapChangeHandlers();
}

// The legacy bitmap is the current image's own platform bitmap; drawing on
// it is drawing on the image once the image has looked at it again.
void TBrelvixView::SyncLayers()
{
    TQkBitmap& image = *GetImageBitmap();
    if (legacyBitmap_) {
        if (image.Location() == qkTBitmap)
            image.SyncFromTBitmap();
        legacyTBitmap_ = image.GetVclBitmap();
    } else {
        legacyTBitmap_ = nullptr;
    }
    geometry_.ImageWidth = layers_[0]->Bitmap()->GetWidth();
    geometry_.ImageHeight = layers_[0]->Bitmap()->GetHeight();
}

void TBrelvixView::SetLegacyBitmap(bool value)
{
    if (value == legacyBitmap_)
        return;
    legacyBitmap_ = value;
    if (!value)
        GetImageBitmap()->SetLocation(qkMemory);
    SyncLayers();
    CallBitmapChangeHandlers();
    Update();
}

bool TBrelvixView::IsImageEmpty()
{
    TQkBitmap& image = *GetImageBitmap();
    return image.GetWidth() < 2 && image.GetHeight() < 2;
}

void TBrelvixView::DoImageChange()
{
    if (OnImageChange)
        OnImageChange(this);
}

void TBrelvixView::EndUpdateLock()
{
    EndUpdateLockNoRefresh();
    if (updateLock_ == 0)
        Update();
}

// ---- Background ----

// Every background setting is drawn by the next layout and paint.
template <typename T>
void TBrelvixView::SetBackgroundOption(T TQkBackgroundOptions::*option, T value)
{
    background_.*option = value;
    Relayout(qkurBackground);
}

void TBrelvixView::SetBackground(TColor value)
{
    TQkView::SetBackground(value);
    SetBackgroundOption(&TQkBackgroundOptions::Background, value);
}

void TBrelvixView::SetBackgroundStyle(TQkBackgroundStyle value)
{
    SetBackgroundOption(&TQkBackgroundOptions::Style, value);
}

void TBrelvixView::SetGradientEndColor(TColor value)
{
    SetBackgroundOption(&TQkBackgroundOptions::GradientEndColor, value);
}

void TBrelvixView::SetChessboardSize(int32_t value)
{
    SetBackgroundOption(&TQkBackgroundOptions::ChessboardSize, value);
}

void TBrelvixView::SetChessboardBrushStyle(TBrushStyle value)
{
    SetBackgroundOption(&TQkBackgroundOptions::ChessboardBrushStyle, value);
}

void TBrelvixView::SetWallPaper(const TPicture* picture)
{
    if (!wallPaper_)
        wallPaper_ = std::make_unique<TPicture>();
    wallPaper_->Assign(picture);
    background_.WallPaper = wallPaper_.get();
    Relayout(qkurBackground);
}

void TBrelvixView::SetWallPaperStyle(TQkWallPaperStyle value)
{
    if (value != background_.WallPaperStyle)
        SetBackgroundOption(&TQkBackgroundOptions::WallPaperStyle, value);
}

void TBrelvixView::DrawBackground(TCanvas& canvas)
{
    PaintViewBackground(canvas, nullptr, background_, Rect(0, 0, Width(), Height()), TRect{0, 0, 0, 0});
}

// ---- Painting ----

// Until the view's renderer exists: the background, then every visible
// layer unrotated at its place, scaled through the geometry, into a back
// buffer shown in one piece.
void TBrelvixView::Paint()
{
    if (PaintLock() > 0 || ClientWidth() <= 0 || ClientHeight() <= 0)
        return;
    if (!backBuffer_ || backBuffer_->Width() != ClientWidth() || backBuffer_->Height() != ClientHeight())
        backBuffer_ = std::make_unique<TBitmap>(ClientWidth(), ClientHeight(), pf24bit);
    geometry_.UpdateVisibleArea();
    geometry_.UpdateCoordinateTables();
    const TRect image{geometry_.OffsetX(), geometry_.OffsetY(), geometry_.OffsetX() + geometry_.ExtentX(),
                      geometry_.OffsetY() + geometry_.ExtentY()};
    PaintViewBackground(*backBuffer_->Canvas(), backBuffer_.get(), background_,
                        Rect(0, 0, ClientWidth(), ClientHeight()), image);
    PaintImage(*backBuffer_);
    Canvas()->Draw(0, 0, backBuffer_.get());
}

void TBrelvixView::PaintImage(TBitmap& buffer)
{
    const TRect clip{0, 0, buffer.Width() - 1, buffer.Height() - 1};
    for (const std::unique_ptr<TQkLayer>& layer : layers_) {
        TQkBitmap& bitmap = *layer->Bitmap();
        if (!layer->IsVisible || bitmap.IsEmpty())
            continue;
        const int32_t x = BitmapToScreenX(layer->Left);
        const int32_t y = BitmapToScreenY(layer->Top);
        const TQkRenderRect target{x, y, BitmapToScreenX(layer->Left + layer->GetWidth()) - x,
                                   BitmapToScreenY(layer->Top + layer->GetHeight()) - y};
        TQkRenderOptions options;
        options.Clip = &clip;
        options.Transparency = layer->OpacityValue;
        options.Operation = layer->BlendOperation;
        // While zooming or scrolling the fast path; the filter once still.
        if (zoomFilterDelayCount_ == 0)
            options.Filter = layer->OwnZoomFilter ? layer->ZoomFilter : ZoomFilter;
        TQkRenderTables tables;
        RenderToTBitmapEx(bitmap, buffer, tables, target, {0, 0, bitmap.GetWidth(), bitmap.GetHeight()}, options);
        layer->ScreenRect = Rect(x, y, x + target.Width, y + target.Height);
    }
}
