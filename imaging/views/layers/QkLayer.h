#pragma once
// One layer of an image view: a bitmap placed over the view's image (position,
// displayed size, rotation about a pivot) with its drawing and interaction
// options, a name, application data and an identity.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "imaging/core/QkBaseBitmap.h"
#include "imaging/core/QkView.h"
#include "platform/gfx/Geometry.h"

class TQkBitmap;
class TQkViewGeometry;

// A new version-4 identity from the system's random source.
TQkGUID NewLayerIdentity();

class TQkLayer : public IQkLayer {
public:
    // Takes `bitmap` as the layer's own.
    TQkLayer(const TQkViewGeometry* view, std::unique_ptr<TQkBitmap> bitmap);
    // Makes a bitmap of its own; with a template, of the template's size,
    // pixel format and storage, pixels not copied.
    TQkLayer(const TQkViewGeometry* view, TQkBitmap* pixelTemplate);
    ~TQkLayer() override;
    TQkLayer(const TQkLayer&) = delete;
    TQkLayer& operator=(const TQkLayer&) = delete;

    // The defaults of every placement, drawing and interaction field; the
    // bitmap, view, identity, name and filter choice stay.
    void SetDefaults() override;
    // Copies placement, options, name and application data from any layer;
    // angle, pivot, identity and the rendering caches stay.
    void Assign(IQkLayer& source) override;
    // The same without the pixels.
    void AssignProperties(IQkLayer& source);

    // Shows a bitmap that stays its owner's (OwnsBitmap off); a bitmap of
    // the layer's own is freed.
    void ShowOutsideBitmap(TQkBitmap* bitmap);
    // The layer owns a new empty bitmap at `location` again.
    void OwnNewBitmap(TQkLocation location);

    double Angle() const { return angle_; }
    // A whole multiple of 360 is stored as 0.
    void SetAngle(double angle);

    // Screen coordinate of the view to a coordinate in the layer's bitmap;
    // 0 while the displayed size is 0.
    int32_t ScreenToBitmapX(int32_t x) const;
    int32_t ScreenToBitmapY(int32_t y) const;
    int32_t BitmapToScreenX(int32_t x) const;
    int32_t BitmapToScreenY(int32_t y) const;

    // ---- The layer interface ----
    TQkBitmap* Bitmap() override { return bitmap_.get(); }
    const TQkGUID& Identifier() const override { return Identity; }
    int32_t PosX() const override { return Left; }
    void SetPosX(int32_t value) override { Left = value; }
    int32_t PosY() const override { return Top; }
    void SetPosY(int32_t value) override { Top = value; }
    uint8_t Opacity() const override { return static_cast<uint8_t>(OpacityValue); }
    void SetOpacity(uint8_t value) override { OpacityValue = value; }
    std::string Name() const override { return LayerName; }
    void SetName(const std::string& value) override { LayerName = value; }
    bool Visible() const override { return IsVisible; }
    void SetVisible(bool value) override { IsVisible = value; }
    bool PsdBaseClipping() const override { return ClipToBackground; }
    void SetPsdBaseClipping(bool value) override { ClipToBackground = value; }
    bool IsMask() const override { return MaskOfPrevious; }
    void SetIsMask(bool value) override { MaskOfPrevious = value; }
    TResampleFilter ResampleFilter() const override { return ZoomFilter; }
    void SetResampleFilter(TResampleFilter value) override { ZoomFilter = value; }
    bool UseResampleFilter() const override { return OwnZoomFilter; }
    void SetUseResampleFilter(bool value) override { OwnZoomFilter = value; }
    void SetLocked(bool value) override { Locked = value; }
    int32_t GetWidth() const override;
    int32_t GetHeight() const override;
    // The layer record; the image travels in the raw bitmap record.
    void SaveToStream(TMemoryStream& stream, bool withImage) override;
    // A short or impossible record answers false and leaves the layer and
    // the stream's position as they were.
    bool LoadFromStream(TStream& stream) override;

    // Placement, in image pixels of the view; 0 displayed size = the
    // bitmap's.
    int32_t DisplayWidth = 0;
    int32_t DisplayHeight = 0;
    int32_t Left = 0;
    int32_t Top = 0;
    double PivotX = 0.5;
    double PivotY = 0.5;
    // Drawing and interaction.
    bool IsVisible = true;
    bool ShowBox = true;
    int32_t OpacityValue = 255;
    bool ClipToBackground = false;
    bool Locked = false;
    bool Selectable = true;
    bool LensEnabled = false;
    double LensRate = 2.0;
    uint8_t LensShape = 0;
    uint8_t LensSource = 1;
    uint8_t BlendOperation = 0;
    TResampleFilter ZoomFilter = rfNone;
    bool OwnZoomFilter = false;
    bool MaskOfPrevious = false;
    bool ShadeOutside = false;
    std::string LayerName;
    std::vector<uint8_t> AppData;
    TQkGUID Identity{};
    // The rendering's record of where it last drew the layer.
    TRect ScreenRect{0, 0, 0, 0};
    std::array<int32_t, 4> DrawRect{};
    std::array<int32_t, 4> SourceRect{};
    std::array<TPoint, 4> Corners{};
    // Drawn as the bitmap's alpha channel while the layer is rendered.
    std::unique_ptr<TQkBitmap> SubstituteAlpha;
    // False while the bitmap belongs to someone else.
    bool OwnsBitmap = true;
    const TQkViewGeometry* View;

private:
    // Every field a record carries, application data excepted.
    void CopyRecordFields(TQkLayer& loaded);

    std::unique_ptr<TQkBitmap> bitmap_;
    double angle_ = 0;
};
