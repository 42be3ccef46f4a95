#include "imaging/formats/jxr/QkWicReader.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <new>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkExifParams.h"
#include "imaging/core/QkIOParams.h"
#include "imaging/core/QkSettings.h"
#include "imaging/formats/QkFileFormats.h"
#include "imaging/formats/jxr/QkHdPhoto.h"
#include "imaging/formats/jxr/QkHdPhotoContainer.h"
#include "imaging/formats/jxr/QkWicPixelFormats.h"
#include "platform/core/ChildProcess.h"
#include "platform/core/Streams.h"

namespace {

// jxrlib decodes macroblock rows of 16 lines.
constexpr int32_t BandRows = 16;
constexpr std::align_val_t BandAlignment{128};

struct TAlignedFree {
    void operator()(uint8_t* bytes) const { ::operator delete[](bytes, BandAlignment); }
};
using TBandBuffer = std::unique_ptr<uint8_t[], TAlignedFree>;

// What jxrlib's decoder expects to be told before its first copy: the coded
// pixel format's layout, the whole image at full size as the region, no
// turning, both planes when there is alpha.
void PrepareDecode(PKImageDecode& decoder)
{
    PKPixelInfo info{};
    info.pGUIDPixFmt = &decoder.guidPixFormat;
    PixelFormatLookup(&info, LOOKUP_FORWARD);
    CWMImageInfo& image = decoder.WMP.wmiI;
    image.cfColorFormat = info.cfColorFormat;
    image.bdBitDepth = info.bdBitDepth;
    image.cBitsPerUnit = info.cbitUnit;
    image.bSkipFlexbits = FALSE;
    image.cThumbnailWidth = image.cROIWidth = image.cWidth;
    image.cThumbnailHeight = image.cROIHeight = image.cHeight;
    image.cROILeftX = image.cROITopY = 0;
    image.oOrientation = O_NONE;
    image.cPostProcStrength = 0;
    decoder.WMP.wmiSCP.uAlphaMode = decoder.WMP.bHasAlpha ? 2 : 0;
    decoder.WMP.wmiSCP.sbSubband = SB_ALL;
    decoder.WMP.wmiSCP.bVerbose = FALSE;
    decoder.WMP.bIgnoreOverlap = FALSE;
}

// Empty when jxrlib has no conversion to the format.
TJxrConverter ConverterTo(PKImageDecode& decoder, const PKPixelFormatGUID& format)
{
    PKFormatConverter* made = nullptr;
    if (PKCodecFactory_CreateFormatConverter(&made) != WMP_errSuccess || made == nullptr)
        return {};
    TJxrConverter converter(made);
    char noExtension[] = "";
    if (converter->Initialize(converter.get(), &decoder, noExtension, format) != WMP_errSuccess)
        return {};
    return converter;
}

// A damaged container may hold any float; what no device has stays default.
int32_t DpiOf(double resolution, int32_t fallback)
{
    return resolution >= 1 && resolution < 1e6 ? int32_t(resolution) : fallback;
}

// jxrlib decodes a lossless photo at several megapixels a second; the limit
// leaves room for a busy machine, and ends a decoder that goes round in
// circles on damaged data.
std::chrono::milliseconds DecodeTimeLimit(int32_t width, int32_t height)
{
    return std::chrono::seconds(10 + 2 * int64_t(width) * height / 1000000);
}

void Abort(std::atomic<bool>* aborting)
{
    if (aborting)
        *aborting = true;
}

// Black and white stays one bit a pixel either way; the native choice keeps
// the formats the bitmap has, and everything else becomes 24-bit BGR.
TTarget TargetOf(const PKPixelFormatGUID& source, bool native)
{
    const std::optional<TQkPixelFormat> kept = NativeBitmapFormat(source);
    if (kept && (native || *kept == qk1g))
        return {source, *kept};
    return {GUID_PKPixelFormat24bppBGR, qk24RGB};
}

} // namespace

bool TQkWICReader::IsReady() const { return IsWICAvailable(); }

bool TQkWICReader::Open(TStream& stream, int32_t fileType, int64_t length)
{
    Close();
    if (!IsReady() || fileType != ioHDP)
        return false;
    stream_ = &stream;
    openedAt_ = stream.Position();
    const int64_t available = length >= 0 ? length : stream.Size() - openedAt_;
    const std::optional<TQkHdPhotoDirectory> directory = ReadHdPhotoDirectory(stream);
    if (!directory || !IsDecodable(*directory, available))
        return false;
    bridge_ = std::make_unique<TJxrStream>(stream, available);
    PKImageDecode* decoder = nullptr;
    if (PKImageDecode_Create_WMP(&decoder) != WMP_errSuccess || decoder == nullptr)
        return false;
    decoder_.reset(decoder);
    I32 width = 0;
    I32 height = 0;
    if (decoder_->Initialize(decoder_.get(), &bridge_->Base) != WMP_errSuccess ||
        decoder_->GetSize(decoder_.get(), &width, &height) != WMP_errSuccess || width <= 0 || height <= 0 ||
        !WithinDecodeLimit(width, height)) {
        Close();
        return false;
    }
    PrepareDecode(*decoder_);
    return true;
}

void TQkWICReader::ReadFrame(int32_t index, TQkBitmap& bitmap, TIOParamsVals* params, std::atomic<bool>* aborting,
                             bool pixels)
{
    lastError_.clear();
    if (!IsReady() || !decoder_ || index != 0)
        return Abort(aborting);
    Float dpiX = 0;
    Float dpiY = 0;
    decoder_->GetResolution(decoder_.get(), &dpiX, &dpiY);
    dpiX_ = dpiX;
    dpiY_ = dpiY;
    const bool native = params == nullptr || params->NativePixelFormat;
    if (pixels && !CopyPixels(bitmap, native, aborting))
        return Abort(aborting);
    if (params)
        FillParams(bitmap, *params, pixels);
}

bool TQkWICReader::CopyPixels(TQkBitmap& bitmap, bool native, std::atomic<bool>* aborting)
{
    PKPixelFormatGUID source{};
    decoder_->GetPixelFormat(decoder_.get(), &source);
    const TTarget target = TargetOf(source, native);
    // jxrlib's roads from 48-bit RGB and BGRA to 24-bit BGR fail: formats
    // the bitmap holds whole decode as they are and the bitmap narrows them.
    const std::optional<TQkPixelFormat> own = WholeBitmapFormat(source);
    const TTarget decoded = own && *own != target.Bitmap ? TTarget{source, *own} : target;
    return DecodeApart(source, decoded, bitmap, aborting) &&
        (decoded.Bitmap == target.Bitmap || bitmap.ConvertToPixelFormat(target.Bitmap));
}

bool TQkWICReader::DecodeApart(const PKPixelFormatGUID& source, const TTarget& decoded, TQkBitmap& bitmap,
                               std::atomic<bool>* aborting)
{
    const int32_t width = GetFrameWidth();
    const int32_t height = GetFrameHeight();
    // The decoder fills the band in its own format before converting in place.
    const uint32_t stride = std::max(WicRowBytes(source, width), WicRowBytes(decoded.Wic, width));
    // Bitmap rows may be padded; only the pixels' bytes are passed on.
    const size_t rowBytes = WicRowBytes(decoded.Wic, width);
    const TJxrConverter converter = ConverterTo(*decoder_, decoded.Wic);
    if (!converter || stride == 0 || rowBytes == 0) {
        lastError_ = "HD Photo: jxrlib cannot convert the pixel format";
        return false;
    }
    TSharedBuffer rows(rowBytes * size_t(height));
    const int64_t position = stream_->Position();
    const TChildResult decoding = RunInChildProcess(
        rows, [&](std::span<uint8_t> into) { return DecodeRows(*converter, stride, rowBytes, into); },
        DecodeTimeLimit(width, height), aborting);
    // A file's position is shared with the child, which moved it.
    stream_->SetPosition(position);
    if (!decoding.Succeeded()) {
        lastError_ = "HD Photo: the decoder " + decoding.Describe();
        return false;
    }
    // Made after the child has gone, so that its pages are not shared
    // copy-on-write while the child runs.
    if (!bitmap.Allocate(width, height, decoded.Bitmap)) {
        lastError_ = "HD Photo: no memory for the bitmap";
        return false;
    }
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* row = bitmap.GetScanline(y);
        std::memcpy(row, rows.Bytes().data() + size_t(y) * rowBytes, rowBytes);
        if (decoded.Bitmap == qkCMYK)
            ComplementBytes(row, rowBytes);
        else if (decoded.Bitmap == qk32RGB)
            SwapRedAndBlue(row, width);
    }
    return true;
}

// Runs in the child: jxrlib's bands, top to bottom, into packed rows.
bool TQkWICReader::DecodeRows(PKFormatConverter& converter, uint32_t stride, size_t rowBytes, std::span<uint8_t> rows)
{
    const int32_t width = GetFrameWidth();
    const int32_t height = GetFrameHeight();
    TBandBuffer band(new (BandAlignment) uint8_t[size_t(stride) * BandRows]);
    for (int32_t top = 0; top < height; top += BandRows) {
        const PKRect rect{0, top, width, std::min(BandRows, height - top)};
        if (converter.Copy(&converter, &rect, band.get(), stride) != WMP_errSuccess || bridge_->Failed)
            return false;
        for (int32_t y = 0; y < rect.Height; ++y)
            std::memcpy(rows.data() + size_t(top + y) * rowBytes, band.get() + size_t(y) * stride, rowBytes);
    }
    return true;
}

void TQkWICReader::FillParams(TQkBitmap& bitmap, TIOParamsVals& params, bool pixels)
{
    const int64_t back = stream_->Position();
    stream_->SetPosition(openedAt_);
    LoadExifFromTiffStream(*stream_, params);
    stream_->SetPosition(back);
    PKPixelFormatGUID source{};
    decoder_->GetPixelFormat(decoder_.get(), &source);
    const TQkPixelFormat format = pixels ? bitmap.GetPixelFormat() : TargetOf(source, params.NativePixelFormat).Bitmap;
    params.SamplesPerPixel = QkChannelCount(format);
    params.BitsPerSample = std::max(1, QkBitCount(format)) / std::max(1, params.SamplesPerPixel);
    params.StoredWidth = params.Width = GetFrameWidth();
    params.StoredHeight = params.Height = GetFrameHeight();
    params.DpiX = DpiOf(dpiX_, DefaultDpiX);
    params.DpiY = DpiOf(dpiY_, DefaultDpiY);
    params.ImageCount = 1;
}

int32_t TQkWICReader::GetFrameWidth() const
{
    I32 width = 0;
    I32 height = 0;
    if (decoder_)
        decoder_->GetSize(decoder_.get(), &width, &height);
    return width;
}

int32_t TQkWICReader::GetFrameHeight() const
{
    I32 width = 0;
    I32 height = 0;
    if (decoder_)
        decoder_->GetSize(decoder_.get(), &width, &height);
    return height;
}

void TQkWICReader::Close()
{
    decoder_.reset();
    bridge_.reset();
    stream_ = nullptr;
}
