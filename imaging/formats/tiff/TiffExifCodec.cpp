#include "imaging/formats/tiff/TiffExifCodec.h"

#include <atomic>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkExifParams.h"
#include "imaging/core/QkIOParams.h"
#include "imaging/formats/tiff/QkTiff.h"
#include "imaging/formats/tiff/QkTiffWriter.h"
#include "platform/core/Streams.h"

namespace {

bool ReadPage(TStream& stream, int32_t index, TIOParamsVals& params, TQkBitmap* bitmap)
{
    const int64_t start = stream.Position();
    std::atomic<bool> aborting = false;
    TQkFilterProgress progress;
    progress.Aborting = &aborting;
    TQkBitmap scratch;
    const int32_t oldIndex = params.TiffImageIndex;
    params.TiffImageIndex = index;
    TQkReadRequest request(stream, bitmap ? *bitmap : scratch, params, progress);
    request.ParamsOnly = bitmap == nullptr;
    ReadTiffImage(request);
    params.TiffImageIndex = oldIndex;
    stream.SetPosition(start);
    // A directory of tags alone has no image size, which only pixels need.
    return bitmap ? !aborting : request.ImageCount > index;
}

bool WritePage(TStream& stream, bool append, TQkBitmap* bitmap, TIOParamsVals& params)
{
    const int64_t start = stream.Position();
    std::atomic<bool> aborting = false;
    TQkFilterProgress progress;
    progress.Aborting = &aborting;
    const bool written = WriteTiffImage(stream, append, bitmap, progress, params) > 0;
    stream.SetPosition(start);
    return written;
}

} // namespace

void InstallExifTiffCodec() { ExifTiffCodec = {ReadPage, WritePage}; }

void RemoveExifTiffCodec() { ExifTiffCodec = {}; }
