#include "imaging/formats/ps/QkPageImage.h"

#include <atomic>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkIOParams.h"
#include "imaging/core/QkPixelBuffers.h"
#include "imaging/formats/QkFilterProgress.h"
#include "imaging/formats/fax/FaxCodec.h"
#include "imaging/formats/jpeg/QkJpeg.h"
#include "platform/core/Streams.h"

std::vector<uint8_t> MemoryStreamBytes(TMemoryStream& stream)
{
    const auto* bytes = static_cast<const uint8_t*>(stream.Memory());
    return {bytes, bytes + stream.Size()};
}

bool RefuseEmptyPage(TQkBitmap& bitmap, TQkFilterProgress& progress)
{
    if (bitmap.IsEmpty())
        SetAborting(progress);
    return bitmap.IsEmpty();
}

bool IsOneBitPage(TQkBitmap& bitmap) { return bitmap.GetPixelFormat() == qk1g; }

TQkBitmap& PageBitmap(TQkBitmap& bitmap, TQkBitmap& copy)
{
    if (IsOneBitPage(bitmap) || bitmap.GetPixelFormat() == qk24RGB)
        return bitmap;
    copy.Assign(&bitmap);
    copy.SetPixelFormat(qk24RGB);
    return copy;
}

void SetPageSampleLayout(TQkBitmap& bitmap, TIOParamsVals& params)
{
    params.BitsPerSample = IsOneBitPage(bitmap) ? 1 : 8;
    params.SamplesPerPixel = IsOneBitPage(bitmap) ? 1 : 3;
}

int64_t PageRowBytes(TQkBitmap& bitmap)
{
    return IsOneBitPage(bitmap) ? (int64_t(bitmap.GetWidth()) + 7) / 8 : 3 * int64_t(bitmap.GetWidth());
}

const uint8_t* PageRow(TQkBitmap& bitmap, int32_t y, std::vector<uint8_t>& buffer)
{
    if (IsOneBitPage(bitmap))
        return bitmap.GetScanline(y);
    buffer.resize(size_t(PageRowBytes(bitmap)));
    CopySwapRedBlue(buffer.data(), bitmap.GetScanline(y), bitmap.GetWidth());
    return buffer.data();
}

std::vector<uint8_t> PageRows(TQkBitmap& bitmap, TQkFilterProgress& progress)
{
    const int64_t rowBytes = PageRowBytes(bitmap);
    TQkRowProgress rows(progress, bitmap.GetHeight());
    std::vector<uint8_t> pixels;
    pixels.reserve(size_t(rowBytes * bitmap.GetHeight()));
    std::vector<uint8_t> buffer;
    for (int32_t y = 0; y < bitmap.GetHeight(); ++y) {
        const uint8_t* row = PageRow(bitmap, y, buffer);
        pixels.insert(pixels.end(), row, row + rowBytes);
        rows.Report(y);
    }
    return pixels;
}

std::vector<uint8_t> FaxCodedRows(TQkBitmap& bitmap, bool g4, TQkFilterProgress& progress)
{
    const auto encodeRow = g4 ? FaxEncodeRowG4 : FaxEncodeRowG3;
    std::atomic<bool> localAborting = false;
    std::atomic<bool>& aborting = AbortingFlag(progress, localAborting);
    TMemoryStream fax;
    TFaxEncoderState state;
    // Rows go as stored: the encoder's 1 for black and the bitmap's 1 for
    // white cancel out under /BlackIs1 true.
    for (int32_t y = 0; y < bitmap.GetHeight() && !aborting; ++y)
        encodeRow(bitmap.GetScanline(y), bitmap.GetWidth(), fax, 1, aborting, state);
    encodeRow(nullptr, bitmap.GetWidth(), fax, 1, aborting, state);
    const uint8_t zeros[4] = {};
    fax.WriteBuffer(zeros, (4 - fax.Size() % 4) % 4);
    return MemoryStreamBytes(fax);
}

std::vector<TFaxDecodeParameter> FaxDecodeParameters(bool g4, int32_t width, int32_t height)
{
    return {{"K", g4 ? -1 : 1},   {"BlackIs1", true},     {"Columns", width},          {"Rows", height},
            {"EndOfLine", false}, {"Uncompressed", true}, {"EncodedByteAlign", false}, {"EndOfBlock", false}};
}

std::vector<uint8_t> JpegCodedImage(TQkBitmap& bitmap, const TIOParamsVals& params, uint8_t colorSpace,
                                    TQkFilterProgress& progress)
{
    TIOParamsVals jpegParams(nullptr);
    jpegParams.Assign(params);
    jpegParams.JpegColorSpace = colorSpace;
    TMemoryStream jpeg;
    WriteJpegImage(jpeg, bitmap, jpegParams, progress);
    return MemoryStreamBytes(jpeg);
}
