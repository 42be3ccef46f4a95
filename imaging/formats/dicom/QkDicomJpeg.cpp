#include <atomic>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkIOParams.h"
#include "imaging/formats/QkFilterProgress.h"
#include "imaging/formats/dicom/QkDicom.h"
#include "imaging/formats/dicom/QkDicomCodecRead.h"
#include "imaging/formats/dicom/QkDicomPixels.h"
#include "imaging/formats/jpeg/QkJpeg.h"
#include "platform/core/Streams.h"

namespace {

// Grey frames a codec delivered as qk8g or qk16g go through the display
// mapping like native ones.
bool ShowDecodedGray(TDicomContext& context, TQkBitmap& decoded)
{
    const TQkPixelFormat format = decoded.GetPixelFormat();
    if (decoded.GetWidth() != context.Columns || decoded.GetHeight() != context.Rows ||
        (format != qk8g && format != qk16g))
        return false;
    TDicomSamples samples(size_t(context.Rows) * size_t(context.Columns));
    for (int32_t y = 0; y < context.Rows; ++y) {
        const uint8_t* row = decoded.GetScanline(y);
        int32_t* out = samples.data() + size_t(y) * size_t(context.Columns);
        for (int32_t x = 0; x < context.Columns; ++x) {
            const uint32_t raw = format == qk8g ? row[x] : reinterpret_cast<const uint16_t*>(row)[x];
            out[x] = DicomSampleValue(context, raw);
        }
    }
    return ShowOneSampleFrame(context, samples);
}

} // namespace

bool ShowCodecFrame(TDicomContext& context, TQkBitmap& decoded)
{
    if (context.SamplesPerPixel == 1)
        return ShowDecodedGray(context, decoded);
    if (decoded.GetPixelFormat() != qk24RGB)
        return false;
    context.Request.Bitmap.Assign(&decoded);
    return true;
}

// libjpeg builds for 8-bit samples, so 12-bit extended frames fail here.
bool DecodeBaselineJpegFrame(TDicomContext& context, const std::vector<uint8_t>& frame)
{
    TDicomCodecRead read(context, frame);
    TQkJpegReadOptions options;
    options.Native = true;
    options.Metadata = false;
    options.ReadIcc = false;
    ReadJpegImage(read.Coded, read.Decoded, read.Params, read.Progress, options);
    return !read.Aborting && ShowCodecFrame(context, read.Decoded);
}

bool DecodeLosslessJpegFrame(TDicomContext& context, const std::vector<uint8_t>& frame)
{
    TLosslessJpegFrame decoded;
    if (!DecodeLosslessJpeg(frame.data(), int64_t(frame.size()), decoded) || decoded.Width != context.Columns ||
        decoded.Height != context.Rows || decoded.Components != context.SamplesPerPixel)
        return false;
    if (decoded.Components == 1) {
        TDicomSamples samples(decoded.Samples.size());
        for (size_t i = 0; i < samples.size(); ++i)
            samples[i] = DicomSampleValue(context, decoded.Samples[i]);
        return ShowOneSampleFrame(context, samples);
    }
    if (decoded.Precision > 8)
        return false;
    return ShowColourFrame(context, std::vector<uint8_t>(decoded.Samples.begin(), decoded.Samples.end()));
}
