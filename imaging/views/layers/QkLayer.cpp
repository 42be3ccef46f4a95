#include "imaging/views/layers/QkLayer.h"

#include <cmath>
#include <sys/random.h>

#include "imaging/core/QkBitmap.h"
#include "imaging/views/QkViewArithmetic.h"
#include "imaging/views/QkViewGeometry.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Types.h"

TQkGUID NewLayerIdentity()
{
    TQkGUID identity{};
    size_t filled = 0;
    while (filled < identity.size()) {
        const ssize_t got = getrandom(identity.data() + filled, identity.size() - filled, 0);
        if (got < 0 && errno != EINTR)
            throw Exception("The system's random source is not available");
        if (got > 0)
            filled += static_cast<size_t>(got);
    }
    // The version sits in the high nibble of the third group, which the
    // identity's memory layout stores little-endian; the variant follows.
    identity[7] = static_cast<uint8_t>((identity[7] & 0x0F) | 0x40);
    identity[8] = static_cast<uint8_t>((identity[8] & 0x3F) | 0x80);
    return identity;
}

TQkLayer::TQkLayer(const TQkViewGeometry* view, std::unique_ptr<TQkBitmap> bitmap)
    : Identity(NewLayerIdentity()), View(view), bitmap_(std::move(bitmap))
{
    if (!bitmap_)
        bitmap_ = std::make_unique<TQkBitmap>();
    SetDefaults();
}

TQkLayer::TQkLayer(const TQkViewGeometry* view, TQkBitmap* pixelTemplate)
    : Identity(NewLayerIdentity()), View(view), bitmap_(std::make_unique<TQkBitmap>())
{
    if (pixelTemplate) {
        bitmap_->SetLocation(pixelTemplate->Location());
        bitmap_->Allocate(pixelTemplate->GetWidth(), pixelTemplate->GetHeight(), pixelTemplate->GetPixelFormat());
    }
    SetDefaults();
}

TQkLayer::~TQkLayer()
{
    if (!OwnsBitmap)
        static_cast<void>(bitmap_.release());
}

void TQkLayer::SetDefaults()
{
    DisplayWidth = DisplayHeight = 0;
    SetAngle(0);
    IsVisible = true;
    ShowBox = true;
    OpacityValue = 255;
    Left = Top = 0;
    ScreenRect = TRect{0, 0, 0, 0};
    ClipToBackground = false;
    Locked = false;
    Selectable = true;
    LensEnabled = false;
    LensRate = 2.0;
    LensShape = 0;
    LensSource = 1;
    BlendOperation = 0;
    AppData.clear();
    MaskOfPrevious = false;
    DrawRect = {};
    SourceRect = {};
    Corners = {};
    ShadeOutside = false;
    PivotX = PivotY = 0.5;
}

void TQkLayer::Assign(IQkLayer& source)
{
    if (&source == this)
        return;
    if (TQkBitmap* sourceBitmap = source.Bitmap())
        bitmap_->Assign(sourceBitmap);
    AssignProperties(source);
}

void TQkLayer::AssignProperties(IQkLayer& source)
{
    IsVisible = source.Visible();
    OpacityValue = source.Opacity();
    Left = source.PosX();
    Top = source.PosY();
    ClipToBackground = source.PsdBaseClipping();
    ZoomFilter = source.ResampleFilter();
    OwnZoomFilter = source.UseResampleFilter();
    LayerName = source.Name();
    MaskOfPrevious = source.IsMask();
    // The rest exists only on the view's own layers.
    const auto* layer = dynamic_cast<const TQkLayer*>(&source);
    if (!layer)
        return;
    DisplayWidth = layer->DisplayWidth;
    DisplayHeight = layer->DisplayHeight;
    ShowBox = layer->ShowBox;
    Selectable = layer->Selectable;
    OpacityValue = layer->OpacityValue;
    ScreenRect = layer->ScreenRect;
    Locked = layer->Locked;
    LensEnabled = layer->LensEnabled;
    LensRate = layer->LensRate;
    LensShape = layer->LensShape;
    LensSource = layer->LensSource;
    BlendOperation = layer->BlendOperation;
    AppData = layer->AppData;
    ShadeOutside = layer->ShadeOutside;
}

void TQkLayer::CopyRecordFields(TQkLayer& loaded)
{
    std::vector<uint8_t> appData = std::move(AppData);
    AssignProperties(loaded);
    AppData = std::move(appData);
    Identity = loaded.Identity;
    angle_ = loaded.angle_;
    PivotX = loaded.PivotX;
    PivotY = loaded.PivotY;
}

void TQkLayer::SetAngle(double angle)
{
    const bool whole = std::trunc(angle) == angle;
    angle_ = whole && std::fmod(angle, 360.0) == 0 ? 0 : angle;
}

int32_t TQkLayer::GetWidth() const { return DisplayWidth != 0 ? DisplayWidth : bitmap_->GetWidth(); }

int32_t TQkLayer::GetHeight() const { return DisplayHeight != 0 ? DisplayHeight : bitmap_->GetHeight(); }

namespace {

// Where the layer's corner lies in zoomed pixels.
int32_t ZoomedOrigin(int32_t position, double zoom) { return SaturateToInt32(Trunc(position * zoom / 100)); }

int32_t ScaleToBitmap(int32_t imageCoordinate, int32_t displayed, int32_t bitmapSize)
{
    if (displayed == 0)
        return 0;
    return SaturateToInt32(Trunc(static_cast<double>(imageCoordinate) / displayed * bitmapSize));
}

int32_t ScaleToImage(int32_t bitmapCoordinate, int32_t displayed, int32_t bitmapSize)
{
    if (bitmapSize == 0)
        return 0;
    return SaturateToInt32(Trunc(static_cast<double>(bitmapCoordinate) / bitmapSize * displayed));
}

} // namespace

int32_t TQkLayer::ScreenToBitmapX(int32_t x) const
{
    const int32_t image = View->ScreenToBitmapX(x - ZoomedOrigin(Left, View->ZoomX()));
    return ScaleToBitmap(image, GetWidth(), bitmap_->GetWidth());
}

int32_t TQkLayer::ScreenToBitmapY(int32_t y) const
{
    const int32_t image = View->ScreenToBitmapY(y - ZoomedOrigin(Top, View->ZoomY()));
    return ScaleToBitmap(image, GetHeight(), bitmap_->GetHeight());
}

int32_t TQkLayer::BitmapToScreenX(int32_t x) const
{
    const int32_t image = ScaleToImage(x, GetWidth(), bitmap_->GetWidth());
    return View->BitmapToScreenX(image) + ZoomedOrigin(Left, View->ZoomX());
}

int32_t TQkLayer::BitmapToScreenY(int32_t y) const
{
    const int32_t image = ScaleToImage(y, GetHeight(), bitmap_->GetHeight());
    return View->BitmapToScreenY(image) + ZoomedOrigin(Top, View->ZoomY());
}
