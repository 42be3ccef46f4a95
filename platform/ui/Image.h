#pragma once
// TImage: shows a picture on the parent, at its top-left corner, centred or
// stretched over the control. Drawing on its Canvas draws into the picture's
// bitmap, which is made the control's size when the picture is empty.

#include <memory>

#include "platform/gfx/Picture.h"
#include "platform/ui/Controls.h"

class TImage : public TGraphicControl {
public:
    explicit TImage(TComponent* owner);
    ~TImage() override;

    TPicture* Picture() { return picture_.get(); }
    void SetPicture(const TPicture* value) { picture_->Assign(value); }
    bool Stretch() const { return stretch_; }
    void SetStretch(bool value);
    bool Center() const { return center_; }
    void SetCenter(bool value);
    // Leaves out the picture's transparent colour (and lets the parent show
    // where the picture does not cover the control).
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value);

    // The canvas of the picture's bitmap; raises EInvalidOperation when the
    // picture holds a graphic of another class.
    TCanvas* Canvas();

    // Where the picture lands in the client area.
    TRect DestRect() const;

protected:
    void Paint() override;
    bool CanAutoSize(int32_t& newWidth, int32_t& newHeight) override;

private:
    void PictureChanged();
    void UpdateOpacity();

    std::unique_ptr<TPicture> picture_;
    bool stretch_ = false;
    bool center_ = false;
    bool transparent_ = false;
};
