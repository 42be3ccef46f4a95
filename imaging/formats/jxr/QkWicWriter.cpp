#include "imaging/formats/jxr/QkWicWriter.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkIOParams.h"
#include "imaging/core/QkSettings.h"
#include "imaging/formats/QkFileFormats.h"
#include "imaging/formats/jxr/QkHdPhoto.h"
#include "imaging/formats/jxr/QkWicPixelFormats.h"
#include "platform/core/Types.h"

namespace {

// jxrlib codes macroblock rows of 16 lines.
constexpr int32_t BandRows = 16;

COLORFORMAT InternalColourFormat(TQkPixelFormat format)
{
    switch (format) {
    case qk1g:
    case qk8g:
    case qk16g: return Y_ONLY;
    case qkCMYK: return CMYK;
    default: return YUV_444;
    }
}

} // namespace

uint8_t HdPhotoQuantizer(double imageQuality, bool lossless)
{
    if (lossless || imageQuality >= 1)
        return 1;
    return uint8_t(1 + Round((1 - std::clamp(imageQuality, 0.0, 1.0)) * 200));
}

bool TQkWICWriter::IsReady() const { return IsWICAvailable(); }

bool TQkWICWriter::Open(TStream& stream, int32_t fileType)
{
    Close();
    if (!IsReady() || fileType != ioHDP)
        return false;
    bridge_ = std::make_unique<TJxrStream>(stream, -1);
    PKImageEncode* encoder = nullptr;
    if (PKImageEncode_Create_WMP(&encoder) != WMP_errSuccess || encoder == nullptr)
        return false;
    encoder_.reset(encoder);
    return true;
}

// Overlap 1, 4:4:4 (or the source's own gray or CMYK), frequency order and
// no tiles: WIC's values while its codec options are off.
CWMIStrCodecParam TQkWICWriter::CodecParameters(TQkBitmap& bitmap) const
{
    CWMIStrCodecParam parameters{};
    parameters.uiDefaultQPIndex = HdPhotoQuantizer(imageQuality_, lossless_);
    parameters.uiDefaultQPIndexAlpha = 1;
    parameters.cfColorFormat = InternalColourFormat(bitmap.GetPixelFormat());
    parameters.bdBitDepth = BD_LONG;
    parameters.olOverlap = OL_ONE;
    parameters.bfBitstreamFormat = FREQUENCY;
    parameters.sbSubband = SB_ALL;
    parameters.bProgressiveMode = TRUE;
    return parameters;
}

bool TQkWICWriter::WriteFrame(TQkBitmap& bitmap, TIOParamsVals* params)
{
    const std::optional<PKPixelFormatGUID> format = WicFormatOf(bitmap.GetPixelFormat());
    if (!encoder_ || !format || bitmap.GetWidth() <= 0 || bitmap.GetHeight() <= 0)
        return false;
    dpiX_ = params ? params->DpiX : DefaultDpiX;
    dpiY_ = params ? params->DpiY : DefaultDpiY;
    if (params) {
        imageQuality_ = params->HdpImageQuality;
        lossless_ = params->HdpLossless;
        metadata_ = BuildHdPhotoMetadata(*params);
    }
    CWMIStrCodecParam parameters = CodecParameters(bitmap);
    PKImageEncode& encoder = *encoder_;
    if (encoder.Initialize(&encoder, &bridge_->Base, &parameters, sizeof parameters) != WMP_errSuccess ||
        encoder.SetPixelFormat(&encoder, *format) != WMP_errSuccess ||
        encoder.SetSize(&encoder, bitmap.GetWidth(), bitmap.GetHeight()) != WMP_errSuccess ||
        encoder.SetResolution(&encoder, Float(dpiX_), Float(dpiY_)) != WMP_errSuccess ||
        !SetHdPhotoMetadata(encoder, metadata_))
        return false;
    return WriteRows(bitmap) && !bridge_->Failed;
}

// Rows are handed over in bands, top to bottom; CMYK goes back to inks so
// that files read back as they were.
bool TQkWICWriter::WriteRows(TQkBitmap& bitmap)
{
    const int32_t height = bitmap.GetHeight();
    const size_t rowBytes = size_t(bitmap.GetRowLen());
    const bool complement = bitmap.GetPixelFormat() == qkCMYK;
    std::vector<uint8_t> band(rowBytes * BandRows);
    // Without alpha there is no planar alpha to keep aside.
    if (encoder_->WritePixelsBandedBegin(encoder_.get(), nullptr) != WMP_errSuccess)
        return false;
    for (int32_t top = 0; top < height; top += BandRows) {
        const int32_t rows = std::min(BandRows, height - top);
        for (int32_t y = 0; y < rows; ++y) {
            uint8_t* target = band.data() + size_t(y) * rowBytes;
            std::memcpy(target, bitmap.GetScanline(top + y), rowBytes);
            if (complement)
                ComplementBytes(target, rowBytes);
        }
        const Bool last = top + rows >= height;
        if (encoder_->WritePixelsBanded(encoder_.get(), U32(rows), band.data(), U32(rowBytes), last) != WMP_errSuccess)
            return false;
    }
    return encoder_->WritePixelsBandedEnd(encoder_.get()) == WMP_errSuccess;
}

void TQkWICWriter::Close()
{
    encoder_.reset();
    bridge_.reset();
    metadata_ = {};
}
