#include <algorithm>
#include <climits>
#include <memory>
#include <vector>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkColorRoutines.h"
#include "imaging/core/QkIOParams.h"
#include "imaging/core/QkPixelBuffers.h"
#include "imaging/core/QkStreams.h"
#include "imaging/formats/QkFilterProgress.h"
#include "imaging/formats/pnm/QkPnm.h"

namespace {

constexpr int64_t ReadBufferSize = 65536;
constexpr int32_t ProbeTokenLimit = 501;
constexpr int64_t LargestMaxValue = 65535;

struct TPnmHeader {
    char Kind = 0; // '1' to '6'
    int64_t Width = 0;
    int64_t Height = 0;
    int64_t MaxValue = 0;

    bool IsBitmap() const { return Kind == '1' || Kind == '4'; }
    bool IsWide() const { return MaxValue > 255; }
    int32_t FieldCount() const { return IsBitmap() ? 3 : 4; }
};

bool IsComment(const std::string& token) { return !token.empty() && token[0] == '#'; }

char MagicKind(const std::string& token)
{
    if (token.size() == 2 && token[0] == 'P' && token[1] >= '1' && token[1] <= '6')
        return token[1];
    return 0;
}

// Stores the header field number `field` (0 is the magic) from a token.
void TakeHeaderField(TPnmHeader& header, int32_t field, const std::string& token)
{
    switch (field) {
    case 0:
        header.Kind = MagicKind(token);
        if (header.IsBitmap())
            header.MaxValue = 1;
        break;
    case 1: header.Width = PnmTokenNumber(token); break;
    case 2: header.Height = PnmTokenNumber(token); break;
    default: header.MaxValue = PnmTokenNumber(token); break;
    }
}

// Reads the header; the comments before its end go to `comments` when given.
TPnmHeader ReadHeader(TStream& stream, TStringList* comments, int32_t tokenLimit)
{
    TPnmHeader header;
    std::string token;
    int32_t field = 0;
    for (int32_t taken = 0; taken < tokenLimit && stream.Position() < stream.Size(); ++taken) {
        ReadPnmToken(stream, token);
        if (token.empty())
            break;
        if (IsComment(token)) {
            if (comments)
                comments->Add(token.substr(1));
            continue;
        }
        TakeHeaderField(header, field++, token);
        if (field == 1 && header.Kind == 0)
            break;
        if (field == header.FieldCount())
            break;
    }
    return header;
}

bool IsUsable(const TPnmHeader& header)
{
    return header.Kind != 0 && header.Width >= 1 && header.Height >= 1 && header.MaxValue >= 1 &&
        header.MaxValue <= LargestMaxValue && header.Width <= INT32_MAX && header.Height <= INT32_MAX &&
        header.Width * header.Height <= int64_t(UINT32_MAX) && WithinDecodeLimit(header.Width, header.Height);
}

// The file sample (clamped to the maximum) to a target range, truncated.
class TSampleScale {
public:
    TSampleScale(int64_t maxValue, uint32_t target) : FTable(static_cast<size_t>(maxValue) + 1)
    {
        for (size_t v = 0; v < FTable.size(); ++v)
            FTable[v] = static_cast<uint16_t>(v * target / maxValue);
    }
    uint16_t operator()(int64_t sample) const
    {
        return FTable[static_cast<size_t>(std::clamp<int64_t>(sample, 0, int64_t(FTable.size()) - 1))];
    }

private:
    std::vector<uint16_t> FTable;
};

struct TPnmLayout {
    int32_t BitsPerSample;
    int32_t SamplesPerPixel;
    TQkPixelFormat Format;
};

TPnmLayout LayoutOf(const TPnmHeader& header, bool native)
{
    switch (header.Kind) {
    case '1':
    case '4': return {1, 1, qk1g};
    case '2': return {8, 1, qk24RGB};
    case '3': return {8, 3, qk24RGB};
    case '5':
        if (header.IsWide())
            return {16, 1, native ? qk16g : qk24RGB};
        return {8, 1, qk24RGB};
    default:
        if (header.IsWide())
            return {16, 3, native ? qkRGB48 : qk24RGB};
        return {8, 3, qk24RGB};
    }
}

uint16_t BigEndianWord(const uint8_t* bytes) { return static_cast<uint16_t>(bytes[0] << 8 | bytes[1]); }

// Reads `count` bytes; what the stream could not supply stays 0.
void ReadRowBytes(TStream& stream, uint8_t* buffer, int64_t count)
{
    const int64_t got = std::max<int64_t>(stream.Read(buffer, count), 0);
    std::fill(buffer + got, buffer + count, uint8_t(0));
}

void StoreGrayRow(TQkBitmap& bitmap, int32_t row, uint8_t* gray, TIOParamsVals& params)
{
    ConvertColorRow(gray, ckGray, bitmap.GetScanline(row), &params, bitmap.GetWidth(), ckBGR);
}

// Decodes the pixel data into an allocated bitmap, a row at a time.
class TPnmDecoder {
public:
    TPnmDecoder(TQkReadRequest& request, TStream& stream, const TPnmHeader& header)
        : FRequest(request), FStream(stream), FHeader(header), FWidth(static_cast<int32_t>(header.Width)),
          FHeight(static_cast<int32_t>(header.Height))
    {}

    void Decode()
    {
        if (FHeader.Kind == '1') {
            DecodeAsciiBits();
            return;
        }
        TQkRowProgress progress(FRequest.Progress, FHeight);
        for (int32_t row = 0; row < FHeight && !IsAborting(FRequest.Progress); ++row) {
            DecodeRow(row);
            progress.Report(row + 1);
        }
    }

private:
    void DecodeRow(int32_t row)
    {
        switch (FHeader.Kind) {
        case '2': DecodeAsciiRow(row, 1); break;
        case '3': DecodeAsciiRow(row, 3); break;
        case '4': DecodeBitRow(row); break;
        case '5': DecodeGrayRow(row); break;
        default: DecodeColorRow(row); break;
        }
    }

    int64_t NextAsciiSample()
    {
        ReadPnmToken(FStream, FToken);
        return std::max<int64_t>(PnmTokenNumber(FToken), 0);
    }

    void DecodeAsciiRow(int32_t row, int32_t samples)
    {
        const TSampleScale& scale = SampleScale(255);
        uint8_t* pixel = FRequest.Bitmap.GetScanline(row);
        for (int32_t x = 0; x < FWidth; ++x, pixel += 3) {
            uint8_t rgb[3];
            for (int32_t s = 0; s < samples; ++s)
                rgb[s] = static_cast<uint8_t>(scale(NextAsciiSample()));
            pixel[0] = rgb[samples - 1];
            pixel[1] = rgb[samples == 3 ? 1 : 0];
            pixel[2] = rgb[0];
        }
    }

    // "0" is white (a set bit), "1" black; every other byte is skipped.
    void DecodeAsciiBits()
    {
        TQkRowProgress progress(FRequest.Progress, FHeight);
        int32_t x = 0;
        int32_t row = 0;
        char c;
        while (row < FHeight && !IsAborting(FRequest.Progress) && FStream.Read(&c, 1) == 1) {
            if (c != '0' && c != '1')
                continue;
            if (c == '0')
                FRequest.Bitmap.GetScanline(row)[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
            if (++x == FWidth) {
                x = 0;
                progress.Report(++row);
            }
        }
    }

    // The file's 1 is black; bytes the stream did not supply stay black.
    void DecodeBitRow(int32_t row)
    {
        const int64_t rowBytes = (FHeader.Width + 7) / 8;
        uint8_t* line = FRequest.Bitmap.GetScanline(row);
        const int64_t got = std::max<int64_t>(FStream.Read(line, rowBytes), 0);
        for (int64_t i = 0; i < got; ++i)
            line[i] = static_cast<uint8_t>(~line[i]);
    }

    void DecodeGrayRow(int32_t row)
    {
        const int64_t sampleBytes = FHeader.IsWide() ? 2 : 1;
        FBuffer.resize(static_cast<size_t>(FWidth * sampleBytes));
        ReadRowBytes(FStream, FBuffer.data(), int64_t(FBuffer.size()));
        if (!FHeader.IsWide()) {
            ScaleBytes(FBuffer.data(), FWidth);
            StoreGrayRow(FRequest.Bitmap, row, FBuffer.data(), FRequest.Params);
        } else if (FRequest.Bitmap.GetPixelFormat() == qk16g) {
            const TSampleScale& scale = SampleScale(65535);
            auto* target = reinterpret_cast<uint16_t*>(FRequest.Bitmap.GetScanline(row));
            for (int32_t x = 0; x < FWidth; ++x)
                target[x] = scale(BigEndianWord(&FBuffer[size_t(x) * 2]));
        } else {
            const TSampleScale& scale = SampleScale(255);
            for (int32_t x = 0; x < FWidth; ++x)
                FBuffer[size_t(x)] = static_cast<uint8_t>(scale(BigEndianWord(&FBuffer[size_t(x) * 2])));
            StoreGrayRow(FRequest.Bitmap, row, FBuffer.data(), FRequest.Params);
        }
    }

    void DecodeColorRow(int32_t row)
    {
        uint8_t* line = FRequest.Bitmap.GetScanline(row);
        if (!FHeader.IsWide()) {
            ReadRowBytes(FStream, line, int64_t(FWidth) * 3);
            ScaleBytes(line, int64_t(FWidth) * 3);
            SwapRedBlue(line, FWidth);
            return;
        }
        FBuffer.resize(size_t(FWidth) * 6);
        ReadRowBytes(FStream, FBuffer.data(), int64_t(FBuffer.size()));
        if (FRequest.Bitmap.GetPixelFormat() == qkRGB48) {
            const TSampleScale& scale = SampleScale(65535);
            auto* target = reinterpret_cast<uint16_t*>(line);
            for (size_t s = 0; s < size_t(FWidth) * 3; ++s)
                target[s] = scale(BigEndianWord(&FBuffer[s * 2]));
            return;
        }
        const TSampleScale& scale = SampleScale(255);
        for (size_t x = 0; x < size_t(FWidth); ++x)
            for (size_t s = 0; s < 3; ++s)
                line[x * 3 + 2 - s] = static_cast<uint8_t>(scale(BigEndianWord(&FBuffer[(x * 3 + s) * 2])));
    }

    // 8-bit samples are scaled only below the full range.
    void ScaleBytes(uint8_t* bytes, int64_t count)
    {
        if (FHeader.MaxValue >= 255)
            return;
        const TSampleScale& scale = SampleScale(255);
        for (int64_t i = 0; i < count; ++i)
            bytes[i] = static_cast<uint8_t>(scale(bytes[i]));
    }

    // One decoder scales to one target range.
    const TSampleScale& SampleScale(uint32_t target)
    {
        if (!FScale)
            FScale = std::make_unique<TSampleScale>(FHeader.MaxValue, target);
        return *FScale;
    }

    TQkReadRequest& FRequest;
    TStream& FStream;
    const TPnmHeader& FHeader;
    int32_t FWidth;
    int32_t FHeight;
    std::string FToken;
    std::vector<uint8_t> FBuffer;
    std::unique_ptr<TSampleScale> FScale;
};

void StoreParams(TIOParamsVals& params, const TPnmHeader& header, const TPnmLayout& layout)
{
    params.FreeColorMap();
    params.Width = params.StoredWidth = static_cast<int32_t>(header.Width);
    params.Height = params.StoredHeight = static_cast<int32_t>(header.Height);
    params.DpiX = DefaultDpiX;
    params.DpiY = DefaultDpiY;
    params.BitsPerSample = layout.BitsPerSample;
    params.SamplesPerPixel = layout.SamplesPerPixel;
}

} // namespace

bool IsPnmStream(TStream& stream)
{
    const int64_t start = stream.Position();
    TPnmHeader header;
    {
        TQkBufferedReadStream buffered(stream, true, 4096);
        header = ReadHeader(buffered, nullptr, ProbeTokenLimit);
    }
    stream.SetPosition(start);
    return header.Kind != 0 && header.Width > 0 && header.Height > 0;
}

void ReadPnmImage(TQkReadRequest& request)
{
    TQkBufferedReadStream stream(request.Stream, true, ReadBufferSize);
    request.Params.PxmComments.Clear();
    const TPnmHeader header = ReadHeader(stream, &request.Params.PxmComments, INT32_MAX);
    if (!IsUsable(header)) {
        SetAborting(request.Progress);
        return;
    }
    const TPnmLayout layout = LayoutOf(header, request.Params.NativePixelFormat);
    StoreParams(request.Params, header, layout);
    if (request.ParamsOnly)
        return;
    TQkBitmap& bitmap = request.Bitmap;
    if (!bitmap.Allocate(static_cast<int32_t>(header.Width), static_cast<int32_t>(header.Height), layout.Format)) {
        SetAborting(request.Progress);
        return;
    }
    bitmap.Fill(0);
    TPnmDecoder(request, stream, header).Decode();
}
