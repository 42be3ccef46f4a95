#include <algorithm>
#include <cstring>
#include <memory>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkExifBlocks.h"
#include "imaging/core/QkExifOrientation.h"
#include "imaging/core/QkExifParams.h"
#include "imaging/core/QkIOParams.h"
#include "imaging/core/QkStreams.h"
#include "platform/core/Streams.h"

TQkExifTiffCodec ExifTiffCodec;

namespace {

constexpr int64_t ExifHeaderSize = 6;
// The parameters' TiffCompression for old-style JPEG.
constexpr uint8_t OldStyleJpegSetting = 6;

TQkBitmap& EmptyThumbnail(TIOParamsVals& params)
{
    if (!params.ExifThumbnail)
        params.ExifThumbnail = std::make_unique<TQkBitmap>();
    params.ExifThumbnail->FreeImage(true);
    return *params.ExifThumbnail;
}

bool AllZero(TQkBitmap& bitmap)
{
    for (int32_t y = 0; y < bitmap.GetHeight(); ++y) {
        const uint8_t* row = bitmap.GetScanline(y);
        if (std::any_of(row, row + bitmap.GetRowLen(), [](uint8_t b) { return b != 0; }))
            return false;
    }
    return true;
}

bool Usable(TQkBitmap& bitmap) { return !bitmap.IsEmpty() && !AllZero(bitmap); }

// The fields of page 0 through a scratch parameters object, so that the
// page's other settings leave the caller's alone.
bool LoadFirstPageFields(TStream& stream, TIOParamsVals& params)
{
    TIOParamsVals fields(nullptr);
    if (!ExifTiffCodec.ReadPage(stream, 0, fields, nullptr))
        return false;
    CopyExifFields(fields, params);
    params.ExifHasExifData = true;
    return true;
}

bool ReadPageImage(TStream& stream, int32_t index, TQkBitmap& bitmap)
{
    TIOParamsVals pageParams(nullptr);
    const bool read = ExifTiffCodec.ReadPage(stream, index, pageParams, &bitmap);
    if (!read)
        bitmap.FreeImage(true);
    return read;
}

} // namespace

bool SaveExifToBuffer(TIOParamsVals& params, std::vector<uint8_t>& buffer, bool withHeader)
{
    if (!ExifTiffCodec.WritePage)
        return false;
    TMemoryStream tiff;
    // The writer puts the EXIF directories only into pages that carry EXIF.
    const bool hadExif = params.ExifHasExifData;
    params.ExifHasExifData = true;
    bool written = ExifTiffCodec.WritePage(tiff, false, nullptr, params);
    params.ExifHasExifData = hadExif;
    if (written && params.ExifThumbnail && !params.ExifThumbnail->IsEmpty()) {
        TIOParamsVals thumbnail(nullptr);
        thumbnail.TiffImageIndex = 1;
        thumbnail.TiffCompression = OldStyleJpegSetting;
        written = ExifTiffCodec.WritePage(tiff, true, params.ExifThumbnail.get(), thumbnail);
    }
    if (!written)
        return false;
    const auto* bytes = static_cast<const uint8_t*>(tiff.Memory());
    buffer.clear();
    if (withHeader)
        buffer.assign({'E', 'x', 'i', 'f', 0, 0});
    buffer.insert(buffer.end(), bytes, bytes + tiff.Size());
    return true;
}

bool LoadExifFromBuffer(const uint8_t* data, int64_t length, TIOParamsVals& params)
{
    if (!ExifTiffCodec.ReadPage || length <= ExifHeaderSize || !IsExifBlock(data, length))
        return false;
    TQkMemStream stream(data + ExifHeaderSize, length - ExifHeaderSize);
    TQkBitmap& thumbnail = EmptyThumbnail(params);
    if (!LoadFirstPageFields(stream, params))
        return false;
    if (ReadPageImage(stream, 1, thumbnail))
        ApplyEXIFOrientation(thumbnail, params.TiffOrientation);
    return true;
}

bool LoadExifAndThumbnailFromTiff(TStream& stream, TIOParamsVals& params)
{
    if (!ExifTiffCodec.ReadPage || !LoadFirstPageFields(stream, params))
        return false;
    TQkBitmap first;
    TQkBitmap second;
    ReadPageImage(stream, 0, first);
    ReadPageImage(stream, 1, second);
    TQkBitmap& thumbnail = EmptyThumbnail(params);
    if (Usable(first) && (second.IsEmpty() || first.GetWidth() < second.GetWidth()))
        thumbnail.Assign(&first);
    else if (Usable(second) && (first.IsEmpty() || first.GetWidth() > second.GetWidth()))
        thumbnail.Assign(&second);
    return true;
}

bool LoadExifFromTiffStream(TStream& stream, TIOParamsVals& params)
{
    if (!ExifTiffCodec.ReadPage)
        return false;
    EmptyThumbnail(params);
    const int32_t index = params.TiffImageIndex;
    params.TiffImageIndex = 0;
    const bool read = ExifTiffCodec.ReadPage(stream, 0, params, nullptr);
    params.TiffImageIndex = index;
    return read;
}
