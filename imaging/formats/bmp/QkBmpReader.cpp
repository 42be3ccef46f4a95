#include <algorithm>
#include <bit>
#include <climits>
#include <cstring>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkBits.h"
#include "imaging/core/QkIOParams.h"
#include "imaging/formats/QkFilterProgress.h"
#include "imaging/formats/bmp/QkBmp.h"
#include "imaging/formats/bmp/QkBmpBytes.h"
#include "imaging/formats/bmp/QkBmpRows.h"

namespace {

constexpr int64_t FileHeaderSize = 14;
constexpr uint32_t CoreHeaderSize = 12;
constexpr uint32_t InfoHeaderSize = 40;
constexpr uint32_t Os2HeaderSize = 64;
// The Windows headers from 52 bytes on hold the bit-field masks at offset
// 40, the ones from 56 bytes the alpha mask after them.
constexpr uint32_t MasksInHeaderSize = 52;
constexpr uint32_t AlphaMaskInHeaderSize = 56;

// False when the stream does not start with "BM".
bool ReadFileHeader(TStream& stream, bool noFileHeader, TQkBmpHeader& header)
{
    if (noFileHeader) {
        header.FileSize = stream.Size();
        return true;
    }
    uint8_t bytes[FileHeaderSize];
    ReadZeroFilled(stream, bytes, FileHeaderSize);
    header.FileSize = GetLe32(bytes + 2);
    header.PixelOffset = GetLe32(bytes + 10);
    return bytes[0] == 'B' && bytes[1] == 'M';
}

void ReadCoreHeader(TStream& stream, TIOParamsVals& params, TQkBmpHeader& header)
{
    uint8_t bytes[CoreHeaderSize];
    ReadZeroFilled(stream, bytes, CoreHeaderSize);
    params.BmpVersion = 2;
    header.Width = GetLe16(bytes + 4);
    header.Height = GetLe16(bytes + 6);
    header.BitCount = GetLe16(bytes + 10);
    params.SetDpiX(DefaultDpiX);
    params.SetDpiY(DefaultDpiY);
    if (header.BitCount >= 1 && header.BitCount <= 8)
        ReadPaletteEntries(stream, params, 1 << header.BitCount, 3);
}

uint8_t VersionOfHeaderSize(uint32_t size)
{
    if (size == Os2HeaderSize)
        return 3;
    return size == InfoHeaderSize ? 1 : 0;
}

int32_t PaletteCount(uint32_t coloursUsed, int32_t bitCount)
{
    if (coloursUsed > 256)
        coloursUsed = 0;
    if (coloursUsed == 0 && bitCount >= 1 && bitCount <= 8)
        return 1 << bitCount;
    return int32_t(coloursUsed);
}

// The masks of 16- and 32-bit pixels: the standard ones without bit
// fields, else those in the longer headers or after the palette.
void ReadMasks(TStream& stream, const uint8_t* block, TQkBmpHeader& header)
{
    const bool inHeader = header.HeaderSize >= MasksInHeaderSize && header.HeaderSize != Os2HeaderSize;
    uint32_t masks[4] = {0, 0, 0, 0xFF000000};
    if (header.Compression != BmpBitFields) {
        if (header.BitCount == 16) {
            masks[0] = 0x7C00;
            masks[1] = 0x03E0;
            masks[2] = 0x001F;
        } else {
            masks[0] = 0xFF0000;
            masks[1] = 0xFF00;
            masks[2] = 0xFF;
        }
    } else if (inHeader) {
        for (int i = 0; i < 3; ++i)
            masks[i] = GetLe32(block + 40 + 4 * i);
        if (header.HeaderSize >= AlphaMaskInHeaderSize)
            masks[3] = GetLe32(block + 52);
    } else {
        uint8_t bytes[12];
        ReadZeroFilled(stream, bytes, 12);
        for (int i = 0; i < 3; ++i)
            masks[i] = GetLe32(bytes + 4 * i);
    }
    // Alpha never shares bits with a colour.
    masks[3] &= ~(masks[0] | masks[1] | masks[2]);
    for (int i = 0; i < 4; ++i)
        header.Channels[size_t(i)] = TQkBmpChannel(masks[i]);
}

void ReadInfoHeader(TStream& stream, TIOParamsVals& params, TQkBmpHeader& header)
{
    uint8_t block[Os2HeaderSize];
    const int64_t blockSize = std::min<int64_t>(Os2HeaderSize, header.HeaderSize);
    std::memset(block, 0, sizeof block);
    ReadZeroFilled(stream, block, blockSize);
    if (header.HeaderSize > Os2HeaderSize)
        stream.Seek(int64_t(header.HeaderSize) - Os2HeaderSize, soCurrent);
    params.BmpVersion = VersionOfHeaderSize(header.HeaderSize);
    header.Width = int32_t(GetLe32(block + 4));
    const int32_t height = int32_t(GetLe32(block + 8));
    header.TopDown = height < 0;
    header.Height = header.TopDown ? -int64_t(height) : height;
    header.BitCount = GetLe16(block + 14);
    header.Compression = GetLe32(block + 16);
    header.ImageSize = GetLe32(block + 20);
    params.SetDpiX(DpiOfPixelsPerMetre(int32_t(GetLe32(block + 24)), DefaultDpiX));
    params.SetDpiY(DpiOfPixelsPerMetre(int32_t(GetLe32(block + 28)), DefaultDpiY));
    const int32_t count = PaletteCount(GetLe32(block + 32), header.BitCount);
    if (count > 0)
        ReadPaletteEntries(stream, params, count, 4);
    ReadMasks(stream, block, header);
}

void SetSampleLayout(TIOParamsVals& params, int32_t bitCount)
{
    switch (bitCount) {
    case 1:
    case 4:
    case 8:
        params.BitsPerSample = bitCount;
        params.SamplesPerPixel = 1;
        break;
    case 16:
        params.BitsPerSample = 5;
        params.SamplesPerPixel = 3;
        break;
    case 24:
    case 32:
        params.BitsPerSample = 8;
        params.SamplesPerPixel = bitCount / 8;
        break;
    default: break;
    }
}

bool SupportedEncoding(const TQkBmpHeader& header)
{
    switch (header.BitCount) {
    case 1:
    case 24: return header.Compression == BmpRgb;
    case 4: return header.Compression == BmpRgb || header.Compression == BmpRle4;
    case 8: return header.Compression == BmpRgb || header.Compression == BmpRle8;
    case 16:
    case 32: return header.Compression == BmpRgb || header.Compression == BmpBitFields;
    default: return false;
    }
}

void SetImageParams(TIOParamsVals& params, const TQkBmpHeader& header)
{
    params.Width = params.StoredWidth = int32_t(header.Width);
    params.Height = params.StoredHeight = int32_t(header.Height);
    params.SetImageCount(1);
    if (header.Compression == BmpRgb || header.Compression == BmpBitFields)
        params.BmpCompression = 0;
    else if (header.Compression == BmpRle8 || header.Compression == BmpRle4)
        params.BmpCompression = 1;
    SetSampleLayout(params, header.BitCount);
}

// The header's sizes as the reader can take them: no negative width, rows
// of a length that fits, and within the decode limit.
bool SoundSize(const TQkBmpHeader& header)
{
    if (header.Width < 0 || header.Height > INT_MAX)
        return false;
    if (header.Width == 0 || header.Height == 0)
        return true;
    return WithinDecodeLimit(header.Width, header.Height) && header.RowLength() <= INT_MAX;
}

// Bytes of run-length data: what the budget leaves after the headers, else
// the header's image size; never more than the stream holds.
int64_t CompressedLength(TStream& stream, const TQkBmpHeader& header, int64_t budget)
{
    const int64_t position = stream.Position();
    const int64_t length = budget > 0 ? budget - (position - header.Start) : int64_t(header.ImageSize);
    return std::clamp<int64_t>(length, 0, std::max<int64_t>(0, stream.Size() - position));
}

TQkPixelFormat PixelFormatOf(const TQkBmpHeader& header, bool native)
{
    if (header.BitCount == 1)
        return qk1g;
    if (native && (header.BitCount == 4 || header.BitCount == 8))
        return qk8p;
    return qk24RGB;
}

} // namespace

TQkBmpChannel::TQkBmpChannel(uint32_t mask)
    : Mask(mask), Shift(mask != 0 ? std::countr_zero(mask) : 0), Bits(mask != 0 ? CountMaskBits(mask >> Shift) : 8)
{}

void ReadBmpImage(TQkReadRequest& request, bool noFileHeader)
{
    TStream& stream = request.Stream;
    TIOParamsVals& params = request.Params;
    TQkBmpHeader header;
    header.Start = stream.Position();
    if (!ReadFileHeader(stream, noFileHeader || params.HeaderlessStream, header)) {
        SetAborting(request.Progress);
        return;
    }
    const int64_t budget = header.FileSize != 0 && request.ByteBudget <= 0 ? header.FileSize : request.ByteBudget;
    uint8_t sizeBytes[4];
    ReadZeroFilled(stream, sizeBytes, 4);
    stream.Seek(-4, soCurrent);
    header.HeaderSize = GetLe32(sizeBytes);
    params.FreeColorMap();
    if (header.HeaderSize == CoreHeaderSize)
        ReadCoreHeader(stream, params, header);
    else
        ReadInfoHeader(stream, params, header);
    if (!SoundSize(header)) {
        SetAborting(request.Progress);
        return;
    }
    SetImageParams(params, header);
    if (header.PixelOffset != 0)
        stream.SetPosition(header.Start + header.PixelOffset);
    if (request.ParamsOnly || header.Width == 0 || header.Height == 0)
        return;
    if (!SupportedEncoding(header) ||
        !request.Bitmap.Allocate(int32_t(header.Width), int32_t(header.Height),
                                 PixelFormatOf(header, params.NativePixelFormat))) {
        SetAborting(request.Progress);
        return;
    }
    ReadBmpPixels(request, header, CompressedLength(stream, header, budget));
}
