#pragma once
// Icons: one 32-bit image with per-pixel alpha, read from and written to
// icon files (the largest, deepest bitmap image of a file; PNG-compressed
// images are refused).

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Graphic.h"

class TIcon : public TGraphic {
public:
    TIcon();
    ~TIcon() override;

    bool Empty() const override { return FImage.Empty(); }
    int32_t Width() const override { return FImage.Width(); }
    int32_t Height() const override { return FImage.Height(); }
    // An icon's size is fixed by its image: raises EInvalidGraphicOperation.
    void SetWidth(int32_t value) override;
    void SetHeight(int32_t value) override;
    // Starts a new, fully transparent image of this size.
    void SetSize(int32_t width, int32_t height);

    // Premultiplied blue, green, red, alpha pixels.
    TBitmap& Image() { return FImage; }
    const TBitmap& Image() const { return FImage; }

    // Alpha-blended, stretched over the rectangle.
    void Draw(TCanvas& canvas, const TRect& rect) override;
    // A malformed file raises EInvalidGraphic "Icon image is not valid".
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) const override;
    std::unique_ptr<TGraphic> Clone() const override;
    using TPersistent::Assign;
    void Assign(const TPersistent* source) override;

private:
    TBitmap FImage;
};
