#pragma once
// A layer as a file reader makes it: its own bitmap, a position and the
// properties a Photoshop layer record holds. The view copies it into one of
// its own layers.

#include <memory>
#include <string>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkView.h"

class TQkLayerData : public IQkLayer {
public:
    TQkLayerData();

    TQkBitmap* Bitmap() override { return bitmap_.get(); }
    const TQkGUID& Identifier() const override { return identifier_; }
    int32_t PosX() const override { return posX_; }
    void SetPosX(int32_t value) override { posX_ = value; }
    int32_t PosY() const override { return posY_; }
    void SetPosY(int32_t value) override { posY_ = value; }
    uint8_t Opacity() const override { return opacity_; }
    void SetOpacity(uint8_t value) override { opacity_ = value; }
    std::string Name() const override { return name_; }
    void SetName(const std::string& value) override { name_ = value; }
    bool Visible() const override { return visible_; }
    void SetVisible(bool value) override { visible_ = value; }
    bool PsdBaseClipping() const override { return baseClipping_; }
    void SetPsdBaseClipping(bool value) override { baseClipping_ = value; }
    bool IsMask() const override { return isMask_; }
    void SetIsMask(bool value) override { isMask_ = value; }
    TResampleFilter ResampleFilter() const override { return filter_; }
    void SetResampleFilter(TResampleFilter value) override { filter_ = value; }
    bool UseResampleFilter() const override { return useFilter_; }
    void SetUseResampleFilter(bool value) override { useFilter_ = value; }
    // A reader's layer is never locked.
    void SetLocked(bool) override {}
    void SetDefaults() override;
    void Assign(IQkLayer& source) override;
    int32_t GetWidth() const override;
    int32_t GetHeight() const override;
    // The displayed size; 0 follows the bitmap.
    void SetDisplaySize(int32_t width, int32_t height);
    // The view's layer record belongs to the view's own layers; these raise
    // Exception, since a reader's layer never enters the undo stack.
    void SaveToStream(TMemoryStream& stream, bool withImage) override;
    bool LoadFromStream(TStream& stream) override;

private:
    std::unique_ptr<TQkBitmap> bitmap_;
    TQkGUID identifier_{};
    int32_t posX_ = 0;
    int32_t posY_ = 0;
    uint8_t opacity_ = 255;
    std::string name_;
    bool visible_ = true;
    bool baseClipping_ = false;
    bool isMask_ = false;
    TResampleFilter filter_ = rfNone;
    bool useFilter_ = false;
    int32_t displayWidth_ = 0;
    int32_t displayHeight_ = 0;
};
