#include <cstddef>
#include <optional>

#include "imaging/core/QkBitmap.h"
#include "imaging/formats/QkFormatRows.h"
#include "imaging/formats/dicom/QkDicomCodecRead.h"
#include "imaging/formats/dicom/QkDicomPixels.h"
#include "imaging/formats/j2k/QkJpeg2000.h"

namespace {

// The first component's precision when the code stream stores it signed.
// Its size marker (FF4F FF51) sits at the start of a bare code stream and
// inside the contiguous code-stream box of a JP2 file.
std::optional<int32_t> SignedPrecision(const std::vector<uint8_t>& frame)
{
    constexpr size_t FirstComponentOffset = 42;
    for (size_t at = 0; at + FirstComponentOffset < frame.size(); ++at) {
        if (frame[at] == 0xFF && frame[at + 1] == 0x4F && frame[at + 2] == 0xFF && frame[at + 3] == 0x51) {
            const uint8_t size = frame[at + FirstComponentOffset];
            if ((size & 0x80) == 0)
                return std::nullopt;
            return int32_t(size & 0x7F) + 1;
        }
    }
    return std::nullopt;
}

// The JPEG 2000 reader lifts signed samples by half their range to show
// them; DICOM wants the stored two's-complement bits back.
void RestoreSignedSamples(TQkBitmap& decoded, int32_t precision)
{
    const uint32_t half = uint32_t(1) << (precision - 1);
    const uint32_t mask = (uint32_t(1) << precision) - 1;
    for (int32_t y = 0; y < decoded.GetHeight(); ++y) {
        uint8_t* row = decoded.GetScanline(y);
        for (int32_t x = 0; x < decoded.GetWidth(); ++x) {
            if (decoded.GetPixelFormat() == qk16g) {
                uint16_t& sample = reinterpret_cast<uint16_t*>(row)[x];
                sample = uint16_t((sample - half) & mask);
            } else {
                row[x] = uint8_t((row[x] - half) & mask);
            }
        }
    }
}

} // namespace

// One-component frames come back as qk8g or qk16g at their stored
// precision, so the display mapping sees the values as stored.
bool DecodeJpeg2000Frame(TDicomContext& context, const std::vector<uint8_t>& frame)
{
    TDicomCodecRead read(context, frame);
    read.Params.NativePixelFormat = true;
    TQkReadRequest request(read.Coded, read.Decoded, read.Params, read.Progress);
    ReadJpeg2000Image(request);
    if (read.Aborting)
        return false;
    const std::optional<int32_t> signedPrecision = SignedPrecision(frame);
    TQkBitmap& decoded = read.Decoded;
    const bool gray = decoded.GetPixelFormat() == qk16g || decoded.GetPixelFormat() == qk8g;
    if (signedPrecision && gray && *signedPrecision <= (decoded.GetPixelFormat() == qk16g ? 16 : 8))
        RestoreSignedSamples(decoded, *signedPrecision);
    return ShowCodecFrame(context, decoded);
}
