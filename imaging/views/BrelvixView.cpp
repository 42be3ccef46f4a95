#include "imaging/views/BrelvixView.h"

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkCanvas.h"
#include "imaging/core/QkDrawDib.h"
#include "imaging/formats/BrelvixIO.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"
#include "platform/gfx/Pen.h"
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
    backBuffer_ = std::make_unique<TQkBitmap>();
    backBuffer_->SetLocation(qkTBitmap);
    backBuffer_->Allocate(10, 10, qk24RGB);
    layerBoxPen_ = std::make_unique<TPen>();
    layerBoxPen_->SetStyle(psDot);
    layerBoxPen_->SetMode(pmNot);
    layers_.push_back(std::make_unique<TQkLayer>(&geometry_, InitialImage()));
    layers_[0]->ShowBox = false;
    layers_[0]->Locked = true;
    SetDpi(ViewDefaultDpi, ViewDefaultDpi);
    SetTabStop(true);
    TCustomControl::SetCursor(savedCursor_);
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

// The legacy bitmap is the current image's own platform bitmap; drawing on
// it is drawing on the image once the image has looked at it again.
void TBrelvixView::SyncLayers()
{
    TQkBitmap& image = *GetImageBitmap();
    legacyTBitmap_ = nullptr;
    if (legacyBitmap_ && image.Location() == qkTBitmap) {
        image.SyncFromTBitmap();
        legacyTBitmap_ = image.GetVclBitmap();
    }
    geometry_.ImageWidth = layers_[0]->Bitmap()->GetWidth();
    geometry_.ImageHeight = layers_[0]->Bitmap()->GetHeight();
    if (SyncLayerSizes && GetLayerCount() > 1)
        GrowLayersToLargest();
}

// Every layer is enlarged to the largest one, its new area transparent.
void TBrelvixView::GrowLayersToLargest()
{
    for (const std::unique_ptr<TQkLayer>& layer : layers_) {
        geometry_.ImageWidth = std::max(geometry_.ImageWidth, layer->Bitmap()->GetWidth());
        geometry_.ImageHeight = std::max(geometry_.ImageHeight, layer->Bitmap()->GetHeight());
    }
    const int32_t width = geometry_.ImageWidth;
    const int32_t height = geometry_.ImageHeight;
    for (const std::unique_ptr<TQkLayer>& layer : layers_) {
        TQkBitmap& bitmap = *layer->Bitmap();
        if (bitmap.GetWidth() != width || bitmap.GetHeight() != height) {
            bitmap.GetAlphaChannel();
            bitmap.Resize(width, height, Background(), 0, 0, 0);
        }
        TQkBitmap& alpha = *bitmap.GetAlphaChannel();
        if (alpha.GetWidth() != width || alpha.GetHeight() != height)
            alpha.Resize(width, height, 0, -1, 0, 0);
    }
}

void TBrelvixView::SetLegacyBitmap(bool value)
{
    if (value == legacyBitmap_)
        return;
    legacyBitmap_ = value;
    // On, the image lives in its platform bitmap; off, memory or a
    // temporary file by its size.
    GetImageBitmap()->SetLocation(value ? qkTBitmap : qkFile);
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
