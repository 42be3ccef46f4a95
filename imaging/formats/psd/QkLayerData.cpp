#include "imaging/formats/psd/QkLayerData.h"

#include <random>

#include "platform/core/Exceptions.h"

namespace {

TQkGUID NewIdentifier()
{
    std::random_device source;
    std::uniform_int_distribution<int> byte(0, 255);
    TQkGUID identifier;
    for (uint8_t& b : identifier)
        b = static_cast<uint8_t>(byte(source));
    return identifier;
}

} // namespace

TQkLayerData::TQkLayerData() : bitmap_(std::make_unique<TQkBitmap>()), identifier_(NewIdentifier()) {}

int32_t TQkLayerData::GetWidth() const { return displayWidth_ != 0 ? displayWidth_ : bitmap_->GetWidth(); }

int32_t TQkLayerData::GetHeight() const { return displayHeight_ != 0 ? displayHeight_ : bitmap_->GetHeight(); }

void TQkLayerData::SetDisplaySize(int32_t width, int32_t height)
{
    displayWidth_ = width;
    displayHeight_ = height;
}

void TQkLayerData::SaveToStream(TMemoryStream&, bool)
{
    throw Exception("A layer read from a file has no view record");
}

// A file's layer has no view record to read: refused, and nothing changes.
bool TQkLayerData::LoadFromStream(TStream&) { return false; }

void TQkLayerData::SetDefaults()
{
    posX_ = posY_ = 0;
    opacity_ = 255;
    visible_ = true;
    baseClipping_ = false;
    isMask_ = false;
    displayWidth_ = displayHeight_ = 0;
}

void TQkLayerData::Assign(IQkLayer& source)
{
    if (&source == this)
        return;
    if (TQkBitmap* pixels = source.Bitmap())
        bitmap_->Assign(pixels);
    posX_ = source.PosX();
    posY_ = source.PosY();
    opacity_ = source.Opacity();
    name_ = source.Name();
    visible_ = source.Visible();
    baseClipping_ = source.PsdBaseClipping();
    isMask_ = source.IsMask();
    filter_ = source.ResampleFilter();
    useFilter_ = source.UseResampleFilter();
    displayWidth_ = source.GetWidth() == bitmap_->GetWidth() ? 0 : source.GetWidth();
    displayHeight_ = source.GetHeight() == bitmap_->GetHeight() ? 0 : source.GetHeight();
}
