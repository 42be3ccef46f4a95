#include "imaging/formats/raw/QkRawBitmapReader.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkBits.h"
#include "imaging/core/QkIOParams.h"
#include "imaging/core/QkPixelBuffers.h"
#include "imaging/core/QkStreams.h"
#include "imaging/core/QkTextRoutines.h"
#include "imaging/formats/QkFilterProgress.h"
#include "imaging/formats/QkFormatErrors.h"

namespace {

constexpr int64_t RawBufferSize = 8192;
constexpr size_t LongestNumber = 34;

enum class TSampleKind { Bit, Byte, Word, Float };
enum TRawFormat : uint8_t { rfBinary = 0, rfDecimal = 1, rfHexadecimal = 2 };

TSampleKind SampleKindOf(TQkPixelFormat format)
{
    switch (format) {
    case qk1g: return TSampleKind::Bit;
    case qk16g:
    case qkRGB48: return TSampleKind::Word;
    case qk32f: return TSampleKind::Float;
    default: return TSampleKind::Byte;
    }
}

int32_t ChannelsOf(TQkPixelFormat format)
{
    switch (format) {
    case qk24RGB:
    case qkRGB48: return 3;
    case qkCMYK: return 4;
    default: return 1;
    }
}

bool HasReadingRule(TQkPixelFormat format) { return format != qkNone && format != qkCIELab && format != qk32RGB; }

bool IsDigitOf(char c, uint8_t rawFormat)
{
    return (c >= '0' && c <= '9') || (rawFormat == rfHexadecimal && c >= 'A' && c <= 'F');
}

// Reads samples as bytes or as ASCII numbers, one destination at a time.
class TRawSampleReader {
public:
    TRawSampleReader(TStream& stream, uint8_t rawFormat, TSampleKind kind)
        : FStream(stream), FFormat(rawFormat), FKind(kind)
    {}

    bool IsAscii() const { return FFormat != rfBinary; }

    // Binary: `byteCount` bytes straight into `target` (what the stream
    // lacks is left as it was). ASCII: `sampleCount` numbers, stored while
    // they fit in `byteCount` bytes; numbers past the end are 0.
    void Read(uint8_t* target, int64_t byteCount, int64_t sampleCount)
    {
        if (!IsAscii()) {
            FStream.Read(target, byteCount);
            return;
        }
        for (int64_t i = 0; i < sampleCount; ++i)
            Store(target, byteCount, i);
    }

private:
    void Store(uint8_t* target, int64_t byteCount, int64_t index)
    {
        switch (FKind) {
        case TSampleKind::Bit:
            if (index / 8 < byteCount) {
                const auto bit = static_cast<uint8_t>(0x80 >> (index & 7));
                target[index / 8] = NextInteger(1) != 0 ? target[index / 8] | bit : target[index / 8] & ~bit;
            }
            break;
        case TSampleKind::Byte:
            if (index < byteCount)
                target[index] = static_cast<uint8_t>(NextInteger(255));
            break;
        case TSampleKind::Word:
            if ((index + 1) * 2 <= byteCount) {
                const auto word = static_cast<uint16_t>(NextInteger(65535));
                std::memcpy(target + index * 2, &word, 2);
            }
            break;
        case TSampleKind::Float:
            if ((index + 1) * 4 <= byteCount) {
                const auto value = static_cast<float>(StrToFloatLenient(NextNumber(), 0));
                std::memcpy(target + index * 4, &value, 4);
            }
            break;
        }
    }

    // The next number clamped to `largest`; 0 for no number.
    int64_t NextInteger(int64_t largest)
    {
        const std::string digits = NextNumber();
        int64_t value = 0;
        for (char c : digits) {
            const int digit = c <= '9' ? c - '0' : c - 'A' + 10;
            value = std::min<int64_t>(value * (FFormat == rfHexadecimal ? 16 : 10) + digit, largest);
        }
        return value;
    }

    // Skips to the next digit and takes up to 34 digits (a float's point
    // or comma with them); the byte after them is consumed.
    std::string NextNumber()
    {
        std::string digits;
        char c = 0;
        bool found = false;
        while (!found && FStream.Read(&c, 1) == 1)
            found = IsDigitOf(c, FFormat);
        if (!found)
            return digits;
        digits.push_back(c);
        while (digits.size() < LongestNumber && FStream.Read(&c, 1) == 1 && IsNumberByte(c))
            digits.push_back(c);
        return digits;
    }

    bool IsNumberByte(char c) const
    {
        return IsDigitOf(c, FFormat) || (FKind == TSampleKind::Float && (c == '.' || c == ','));
    }

    TStream& FStream;
    uint8_t FFormat;
    TSampleKind FKind;
};

class TRawDecoder {
public:
    TRawDecoder(TQkReadRequest& request, TStream& stream)
        : FRequest(request), FBitmap(request.Bitmap), FParams(request.Params), FFormat(FBitmap.GetPixelFormat()),
          FReader(stream, FParams.BmpRawFormat, SampleKindOf(FFormat)), FStream(stream),
          FAlign(FParams.BmpRawRowAlign > 0 ? FParams.BmpRawRowAlign : 8),
          FReporter(request.Progress.Sender, &request.Progress.OnProgress)
    {}

    void Decode()
    {
        const bool planar = FParams.BmpRawPlanar == 1 && ChannelsOf(FFormat) > 1;
        if (planar)
            ReadPlanes();
        else
            ReadInterleaved();
        // Either way round the samples end in the library's order: blue,
        // green, red for 24 bits, red, green, blue for 48.
        for (int32_t row = 0; row < FBitmap.GetHeight(); ++row)
            if (FFormat == qk24RGB && !FParams.BmpRawBGR)
                SwapRedBlue(FBitmap.GetScanline(row), FBitmap.GetWidth());
            else if (FFormat == qkRGB48 && FParams.BmpRawBGR)
                SwapRedBlue48(FBitmap.GetScanline(row), FBitmap.GetWidth());
    }

private:
    bool Aborted() const { return IsAborting(FRequest.Progress); }

    void ReadInterleaved()
    {
        const int32_t width = FBitmap.GetWidth();
        const int32_t height = FBitmap.GetHeight();
        const int64_t rawRow = CalcRowLength(width, FBitmap.GetBitCount(), FAlign);
        const int64_t byteCount = std::min<int64_t>(FBitmap.GetRowLen(), rawRow);
        const double step = height > 0 ? 100.0 / height : 0;
        for (int32_t row = 0; row < height && !Aborted(); ++row) {
            FReader.Read(FBitmap.GetScanline(row), byteCount, int64_t(width) * ChannelsOf(FFormat));
            if (!FReader.IsAscii() && rawRow > byteCount)
                FStream.Seek(rawRow - byteCount, soCurrent);
            FReporter.Report(row * step);
        }
    }

    void ReadPlanes()
    {
        const int32_t planes = ChannelsOf(FFormat);
        FReporter.Report(0);
        for (int32_t plane = 0; plane < planes && !Aborted(); ++plane) {
            ReadPlane(plane, planes);
            FReporter.Report((plane + 1) * 100.0 / planes);
        }
    }

    void ReadPlane(int32_t plane, int32_t planes)
    {
        const int32_t width = FBitmap.GetWidth();
        const int32_t sampleBytes = FFormat == qkRGB48 ? 2 : 1;
        const int64_t rawRow = CalcRowLength(width, sampleBytes * 8, FAlign);
        // An alignment that is no multiple of 8 bits can make the raw row
        // shorter than its samples.
        std::vector<uint8_t> buffer(size_t(std::max<int64_t>(rawRow, int64_t(width) * sampleBytes)));
        for (int32_t row = 0; row < FBitmap.GetHeight() && !Aborted(); ++row) {
            std::fill(buffer.begin(), buffer.end(), uint8_t(0));
            FReader.Read(buffer.data(), rawRow, width);
            uint8_t* line = FBitmap.GetScanline(row);
            for (int32_t x = 0; x < width; ++x)
                std::memcpy(line + (size_t(x) * planes + plane) * sampleBytes, &buffer[size_t(x) * sampleBytes],
                            size_t(sampleBytes));
        }
    }

    TQkReadRequest& FRequest;
    TQkBitmap& FBitmap;
    TIOParamsVals& FParams;
    TQkPixelFormat FFormat;
    TRawSampleReader FReader;
    TStream& FStream;
    int32_t FAlign;
    TQkProgressReporter FReporter;
};

} // namespace

void ReadRawBitmap(TQkReadRequest& request)
{
    const TIOParamsVals& params = request.Params;
    if (params.BmpRawDataOffset < 0) {
        SetAborting(request.Progress);
        return;
    }
    const TQkPixelFormat format = request.Bitmap.GetPixelFormat();
    if (!HasReadingRule(format))
        return;
    if (params.BmpRawFormat == rfHexadecimal && format == qk32f)
        throw EQkFormatNotSupported("Format unsupported");
    TQkBufferedReadStream stream(request.Stream, true, RawBufferSize);
    stream.Seek(params.BmpRawDataOffset, soCurrent);
    TRawDecoder(request, stream).Decode();
}
