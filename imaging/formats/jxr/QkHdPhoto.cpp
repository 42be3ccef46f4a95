#include "imaging/formats/jxr/QkHdPhoto.h"

#include <memory>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkIOParams.h"
#include "imaging/formats/QkFileFormats.h"
#include "imaging/formats/QkFilterProgress.h"
#include "imaging/formats/QkWriterBitmaps.h"
#include "imaging/formats/jxr/QkHdPhotoContainer.h"
#include "imaging/formats/jxr/QkWicPixelFormats.h"
#include "imaging/formats/jxr/QkWicReader.h"
#include "imaging/formats/jxr/QkWicWriter.h"
#include "platform/core/Streams.h"

bool HdPhotoCodecLinked = true;

bool IsWICAvailable() { return HdPhotoCodecLinked; }

void ReadHdPhotoImage(TQkReadRequest& request)
{
    TQkProgressReporter reporter(request.Progress.Sender, &request.Progress.OnProgress);
    reporter.Report(0);
    TQkWICReader reader;
    if (!reader.Open(request.Stream, ioHDP, request.ByteBudget))
        return SetAborting(request.Progress);
    request.ImageCount = 1;
    reader.ReadFrame(request.Params.ImageIndex, request.Bitmap, &request.Params, request.Progress.Aborting,
                     !request.ParamsOnly);
    reporter.Report(100);
}

void WriteHdPhotoImage(TQkWriteRequest& request)
{
    if (!IsWICAvailable())
        return SetAborting(request.Progress);
    TQkProgressReporter reporter(request.Progress.Sender, &request.Progress.OnProgress);
    reporter.Report(0);
    std::unique_ptr<TQkBitmap> copy;
    const TQkPixelFormat format = request.Bitmap.GetPixelFormat();
    TQkBitmap& bitmap = WicFormatOf(format) ? request.Bitmap : BitmapInFormat(request.Bitmap, qk24RGB, copy);
    TQkWICWriter writer;
    if (!writer.Open(request.Stream, ioHDP) || !writer.WriteFrame(bitmap, &request.Params))
        SetAborting(request.Progress);
    writer.Close();
    reporter.Report(100);
}
