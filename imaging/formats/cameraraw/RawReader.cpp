// The camera raw reader entry and probe.
#include <memory>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkBitmapRoutines.h"
#include "imaging/core/QkExifBlocks.h"
#include "imaging/core/QkExifParams.h"
#include "imaging/core/QkIOParams.h"
#include "imaging/core/QkStreams.h"
#include "imaging/formats/QkFilterProgress.h"
#include "imaging/formats/QkFormatErrors.h"
#include "imaging/formats/cameraraw/QkCameraRaw.h"
#include "imaging/formats/cameraraw/RawColour.h"
#include "imaging/formats/cameraraw/RawIdentify.h"

namespace {

constexpr int64_t RawStreamBuffer = 8192;

bool HasThumbnail(const TIOParamsVals& params) { return params.ExifThumbnail && !params.ExifThumbnail->IsEmpty(); }

// The thumbnail instead of a decode, when the file has one.
bool ReadThumbnailInstead(TQkReadRequest& request)
{
    TIOParamsVals& params = request.Params;
    if (params.ExifThumbnail)
        params.ExifThumbnail->FreeImage(true);
    const int64_t start = request.Stream.Position();
    params.RawReadThumbnail = false;
    TQkReadRequest paramsRequest(request.Stream, request.Bitmap, params, request.Progress);
    paramsRequest.ParamsOnly = true;
    try {
        ReadCameraRaw(paramsRequest);
    } catch (...) {
        params.RawReadThumbnail = true;
        throw;
    }
    params.RawReadThumbnail = true;
    if (HasThumbnail(params)) {
        request.Bitmap.Assign(params.ExifThumbnail.get());
        return true;
    }
    request.Stream.SetPosition(start);
    return false;
}

void ReadMetadata(TQkBufferedReadStream& stream, TIOParamsVals& params)
{
    stream.SetPosition(0);
    const int64_t tiff = FindTiffHeader(stream);
    if (tiff >= 0) {
        stream.SetPosition(tiff);
        LoadExifAndThumbnailFromTiff(stream, params);
    } else {
        stream.SetPosition(0);
        ReadCiffMetadata(stream, params);
    }
}

void CopySettings(TRawDecodeContext& context, const TIOParamsVals& params)
{
    context.gamma = float(params.RawGamma);
    context.bright = float(params.RawBright);
    context.red_scale = float(params.RawRedScale);
    context.blue_scale = float(params.RawBlueScale);
    context.four_color_rgb = params.RawFourColorRGB;
    context.quick_interpolate = params.RawQuickInterpolate;
    context.use_auto_wb = params.RawUseAutoWB;
    context.use_camera_wb = params.RawUseCameraWB;
    context.document_mode = 0;
    context.use_secondary = 0;
    if (params.RawAutoAdjustColors && HasThumbnail(params))
        context.bright = 0.5f;
}

void WriteParameters(const TRawDecodeContext& context, TIOParamsVals& params)
{
    params.RawCamera = context.make + " " + context.model + " " + context.model2;
    params.SetDpiX(DefaultDpiX);
    params.SetDpiY(DefaultDpiY);
    params.FreeColorMap();
    params.Width = context.width - 2;
    params.Height = context.height - 2;
    params.StoredWidth = params.Width;
    params.StoredHeight = params.Height;
}

// Load, colour stages and output; false when the data cannot be decoded.
bool Decode(TRawDecodeContext& context, TQkReadRequest& request)
{
    TIOParamsVals& params = request.Params;
    context.shrink = params.RawHalfSize && context.filters ? 1 : 0;
    if (!WithinDecodeLimit(context.raw_width, context.raw_height) || !WithinDecodeLimit(context.width, context.height))
        return false;
    context.iheight = (context.height + context.shrink) >> context.shrink;
    context.iwidth = (context.width + context.shrink) >> context.shrink;
    context.image.assign(size_t(context.iheight) * size_t(context.iwidth), TRawPixel{});
    context.load_raw(context);
    if (context.data_error)
        return false;
    context.height = context.iheight;
    context.width = context.iwidth;
    // Only the bilinear pass exists; the switch is forced as after loading.
    context.quick_interpolate = 1;
    if (context.is_foveon)
        foveon_interpolate(context);
    else
        ScaleColors(context);
    ReportPercent(context, 70);
    if (context.shrink)
        context.filters = 0;
    context.trim = 0;
    if (context.filters && !context.document_mode) {
        context.trim = 1;
        vng_interpolate(context);
    }
    ConvertToRgb(context);
    ReportPercent(context, 85);
    params.SetImageCount(1);
    WriteRawOutput(context, request.Bitmap, params);
    context.image.clear();
    context.image.shrink_to_fit();
    ReportPercent(context, 90);
    const int32_t width = request.Bitmap.GetWidth();
    const int32_t height = request.Bitmap.GetHeight();
    params.Width = params.StoredWidth = width;
    params.Height = params.StoredHeight = height;
    if (params.RawAutoAdjustColors && HasThumbnail(params))
        MatchHistogram(*params.ExifThumbnail, request.Bitmap);
    return true;
}

} // namespace

bool IsCameraRaw(TStream& stream)
{
    int64_t position = 0;
    try {
        position = stream.Position();
    } catch (const std::exception&) {
        return false;
    }
    bool known = false;
    try {
        TQkBufferedReadStream buffered(stream, true, RawStreamBuffer);
        auto context = std::make_unique<TRawDecodeContext>();
        context->stream = &buffered;
        known = IdentifyCamera(*context) == 0;
    } catch (const std::exception&) {
        known = false;
    }
    stream.SetPosition(position);
    return known;
}

void ReadCameraRaw(TQkReadRequest& request)
{
    TIOParamsVals& params = request.Params;
    if (params.RawReadThumbnail && !request.ParamsOnly && ReadThumbnailInstead(request))
        return;
    TQkBufferedReadStream buffered(request.Stream, true, RawStreamBuffer);
    ReadMetadata(buffered, params);
    buffered.SetPosition(0);
    auto context = std::make_unique<TRawDecodeContext>();
    CopySettings(*context, params);
    context->progress = request.Progress;
    context->stream = &buffered;
    if (IdentifyCamera(*context) != 0) {
        SetAborting(request.Progress);
        return;
    }
    WriteParameters(*context, params);
    if (!request.ParamsOnly) {
        try {
            if (!Decode(*context, request))
                SetAborting(request.Progress);
        } catch (const EQkFormatNotSupported&) {
            SetAborting(request.Progress);
            throw;
        }
    }
    ReportPercent(*context, 100);
}
