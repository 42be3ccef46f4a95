// The layer record: written and read field by field in little-endian order,
// doubles as IEEE 754. The record travels through the clipboard and undo
// files, so the reader checks every size against the bytes that remain.

#include <cstring>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkRawBitmap.h"
#include "imaging/views/layers/QkLayer.h"
#include "imaging/views/layers/QkLayerBytes.h"

namespace {

// Bytes of a record without name and image: the fields up to the image flag.
constexpr int64_t FixedRecordSize = 123;
constexpr int LensFillerAfterFlag = 7;
constexpr int LensFillerAfterSource = 6;

} // namespace

void TQkLayer::SaveToStream(TMemoryStream& stream, bool withImage)
{
    TQkByteWriter record;
    record.UInt32(0);
    record.Bytes(Identity.data(), Identity.size());
    record.Int32(DisplayWidth);
    record.Int32(DisplayHeight);
    record.Flag(IsVisible);
    record.Flag(ShowBox);
    record.Flag(Selectable);
    record.Int32(OpacityValue);
    record.Int32(Left);
    record.Int32(Top);
    record.Int32(ScreenRect.Left);
    record.Int32(ScreenRect.Top);
    record.Int32(ScreenRect.Right);
    record.Int32(ScreenRect.Bottom);
    record.Flag(ClipToBackground);
    record.Flag(Locked);
    record.Flag(LensEnabled);
    record.Zeros(LensFillerAfterFlag);
    record.Double(LensRate);
    record.Byte(LensShape);
    record.Byte(LensSource);
    record.Zeros(LensFillerAfterSource);
    record.Byte(BlendOperation);
    // Where the application data lay in memory once meant nothing outside
    // that moment; the block itself travels in the layers stream.
    record.UInt32(0);
    record.Byte(static_cast<uint8_t>(ZoomFilter));
    record.Flag(OwnZoomFilter);
    record.UInt32(static_cast<uint32_t>(LayerName.size()));
    record.Bytes(reinterpret_cast<const uint8_t*>(LayerName.data()), LayerName.size());
    record.Flag(MaskOfPrevious);
    record.Flag(ShadeOutside);
    record.Double(angle_);
    record.Double(PivotX);
    record.Double(PivotY);
    record.Flag(withImage);
    if (withImage) {
        TMemoryStream image;
        SaveRawToStream(*bitmap_, image);
        record.Bytes(static_cast<const uint8_t*>(image.Memory()), static_cast<size_t>(image.Size()));
    }
    record.PatchUInt32(0, static_cast<uint32_t>(record.Data().size()));
    stream.WriteBuffer(record.Data().data(), static_cast<int64_t>(record.Data().size()));
}

bool TQkLayer::LoadFromStream(TStream& stream)
{
    const int64_t start = stream.Position();
    const int64_t available = stream.Size() - start;
    uint8_t sizeField[4];
    if (available < FixedRecordSize || stream.Read(sizeField, 4) != 4) {
        stream.SetPosition(start);
        return false;
    }
    const int64_t recordSize = TQkByteReader(sizeField, 4).UInt32();
    if (recordSize < FixedRecordSize || recordSize > available) {
        stream.SetPosition(start);
        return false;
    }
    std::vector<uint8_t> body(static_cast<size_t>(recordSize - 4));
    if (stream.Read(body.data(), static_cast<int64_t>(body.size())) != static_cast<int64_t>(body.size())) {
        stream.SetPosition(start);
        return false;
    }

    // Everything is read into a fresh layer first, so that a bad record
    // leaves this one as it was.
    TQkLayer loaded(View, static_cast<TQkBitmap*>(nullptr));
    TQkByteReader record(body.data(), body.size());
    if (const uint8_t* identity = record.Take(loaded.Identity.size()))
        std::memcpy(loaded.Identity.data(), identity, loaded.Identity.size());
    loaded.DisplayWidth = record.Int32();
    loaded.DisplayHeight = record.Int32();
    loaded.IsVisible = record.Flag();
    loaded.ShowBox = record.Flag();
    loaded.Selectable = record.Flag();
    loaded.OpacityValue = record.Int32();
    loaded.Left = record.Int32();
    loaded.Top = record.Int32();
    loaded.ScreenRect.Left = record.Int32();
    loaded.ScreenRect.Top = record.Int32();
    loaded.ScreenRect.Right = record.Int32();
    loaded.ScreenRect.Bottom = record.Int32();
    loaded.ClipToBackground = record.Flag();
    loaded.Locked = record.Flag();
    loaded.LensEnabled = record.Flag();
    record.Take(LensFillerAfterFlag);
    loaded.LensRate = record.Double();
    loaded.LensShape = record.Byte();
    loaded.LensSource = record.Byte();
    record.Take(LensFillerAfterSource);
    loaded.BlendOperation = record.Byte();
    record.UInt32(); // the former application-data address
    const uint8_t zoomFilter = record.Byte();
    loaded.ZoomFilter = zoomFilter <= rfProjectWB ? static_cast<TResampleFilter>(zoomFilter) : rfNone;
    loaded.OwnZoomFilter = record.Flag();
    const uint32_t nameLength = record.UInt32();
    if (const uint8_t* name = record.Take(nameLength))
        loaded.LayerName.assign(reinterpret_cast<const char*>(name), nameLength);
    loaded.MaskOfPrevious = record.Flag();
    loaded.ShadeOutside = record.Flag();
    loaded.SetAngle(record.Double());
    loaded.PivotX = record.Double();
    loaded.PivotY = record.Double();
    const bool withImage = record.Flag();
    if (record.Short() || zoomFilter > rfProjectWB) {
        stream.SetPosition(start);
        return false;
    }
    std::unique_ptr<TQkBitmap> image;
    if (withImage) {
        image = std::make_unique<TQkBitmap>();
        if (!LoadRawFromStream(*image, record.Here(), static_cast<int64_t>(record.Remaining()))) {
            stream.SetPosition(start);
            return false;
        }
    } else if (record.Remaining() != 0) {
        stream.SetPosition(start);
        return false;
    }

    CopyRecordFields(loaded);
    if (image)
        bitmap_->Assign(image.get());
    return true;
}
