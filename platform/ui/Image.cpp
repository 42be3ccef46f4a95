#include "platform/ui/Image.h"

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"
#include "platform/ui/GraphicControlsRegistration.h"

TImage::TImage(TComponent* owner) : TGraphicControl(owner), picture_(std::make_unique<TPicture>())
{
    RegisterGraphicControls();
    picture_->OnChange = [this](TObject*) { PictureChanged(); };
    SetBounds(0, 0, 105, 105);
    UpdateOpacity();
}

TImage::~TImage() { picture_->OnChange = nullptr; }

void TImage::SetStretch(bool value)
{
    if (stretch_ == value)
        return;
    stretch_ = value;
    UpdateOpacity();
    Invalidate();
}

void TImage::SetCenter(bool value)
{
    if (center_ == value)
        return;
    center_ = value;
    UpdateOpacity();
    Invalidate();
}

void TImage::SetTransparent(bool value)
{
    if (transparent_ == value)
        return;
    transparent_ = value;
    if (TGraphic* graphic = picture_->Graphic())
        graphic->SetTransparent(value);
    UpdateOpacity();
    Invalidate();
}

TCanvas* TImage::Canvas()
{
    TGraphic* graphic = picture_->Graphic();
    if (graphic && !dynamic_cast<TBitmap*>(graphic))
        throw EInvalidOperation("Can only modify an image if it contains a bitmap");
    TBitmap* bitmap = picture_->Bitmap();
    if (bitmap->Empty())
        bitmap->SetSize(Width(), Height());
    return bitmap->Canvas();
}

TRect TImage::DestRect() const
{
    const int32_t pictureWidth = picture_->Width();
    const int32_t pictureHeight = picture_->Height();
    if (stretch_)
        return Rect(0, 0, Width(), Height());
    if (center_) {
        const int32_t left = (Width() - pictureWidth) / 2;
        const int32_t top = (Height() - pictureHeight) / 2;
        return Rect(left, top, left + pictureWidth, top + pictureHeight);
    }
    return Rect(0, 0, pictureWidth, pictureHeight);
}

void TImage::Paint()
{
    TGraphic* graphic = picture_->Graphic();
    if (graphic && !graphic->Empty())
        TGraphicControl::Canvas()->StretchDraw(DestRect(), graphic);
}

bool TImage::CanAutoSize(int32_t& newWidth, int32_t& newHeight)
{
    if (picture_->Width() <= 0 || picture_->Height() <= 0)
        return false;
    newWidth = picture_->Width();
    newHeight = picture_->Height();
    return true;
}

void TImage::PictureChanged()
{
    if (TGraphic* graphic = picture_->Graphic())
        if (transparent_ != graphic->Transparent())
            graphic->SetTransparent(transparent_);
    AdjustSize();
    UpdateOpacity();
    Invalidate();
}

// The parent need not paint under a picture that covers the whole control.
void TImage::UpdateOpacity()
{
    TGraphic* graphic = picture_->Graphic();
    const bool covers = graphic && !graphic->Empty() && !transparent_ &&
        (stretch_ || (graphic->Width() >= Width() && graphic->Height() >= Height() && !center_));
    SetControlStyle(covers ? ControlStyle() | csOpaque : ControlStyle() & ~csOpaque);
}
