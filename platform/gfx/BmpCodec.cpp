#include "platform/gfx/BmpCodec.h"

#include "platform/core/Streams.h"
#include "platform/gfx/Bitmap.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr uint32_t BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3;
constexpr int32_t MaxDimension = 1 << 16;
// Run-length rows may legitimately expand far beyond their bytes (runs of
// 255 pixels, deltas that skip whole lines), so their bitmap cannot be
// checked against the data: it is bounded by a pixel count instead, the
// imaging readers' decode limit, so that a few bytes cannot ask for
// gigabytes.
constexpr uint64_t MaxRunLengthPixels = uint64_t(1) << 28;

[[noreturn]] void Invalid() { throw EInvalidGraphic("Bitmap image is not valid"); }

uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Get32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24); }

void Put16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(v & 0xFF);
    out.push_back((v >> 8) & 0xFF);
}
void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

void ReadExactly(TStream& stream, void* buffer, int64_t count)
{
    if (count < 0 || stream.Read(buffer, count) != count)
        Invalid();
}

struct TBmpHeader {
    int32_t Width = 0;
    int32_t Height = 0;
    bool TopDown = false;
    int BitCount = 0;
    uint32_t Compression = BI_RGB;
    uint32_t ColorsUsed = 0;
    uint32_t Masks[3] = {0, 0, 0};
    bool Core = false;
};

TBmpHeader ReadInfoHeader(TStream& stream, uint32_t& headerSize)
{
    uint8_t sizeBytes[4];
    ReadExactly(stream, sizeBytes, 4);
    headerSize = Get32(sizeBytes);
    if (headerSize != 12 && (headerSize < 40 || headerSize > 1024))
        Invalid();
    std::vector<uint8_t> h(headerSize);
    std::memcpy(h.data(), sizeBytes, 4);
    ReadExactly(stream, h.data() + 4, headerSize - 4);
    TBmpHeader info;
    if (headerSize == 12) {
        info.Core = true;
        info.Width = Get16(&h[4]);
        info.Height = Get16(&h[6]);
        info.BitCount = Get16(&h[10]);
        return info;
    }
    info.Width = static_cast<int32_t>(Get32(&h[4]));
    const auto height = static_cast<int32_t>(Get32(&h[8]));
    if (height == INT32_MIN) // a top-down height with no positive counterpart
        Invalid();
    info.TopDown = height < 0;
    info.Height = height < 0 ? -height : height;
    info.BitCount = Get16(&h[14]);
    info.Compression = Get32(&h[16]);
    info.ColorsUsed = Get32(&h[32]);
    if (headerSize >= 52)
        for (int i = 0; i < 3; ++i)
            info.Masks[i] = Get32(&h[40 + 4 * i]);
    return info;
}

TPixelFormat FormatOf(const TBmpHeader& info)
{
    switch (info.BitCount) {
    case 1: return pf1bit;
    case 4: return pf4bit;
    case 8: return pf8bit;
    case 24: return pf24bit;
    case 16:
        if (info.Compression == BI_RGB || (info.Masks[0] == 0x7C00 && info.Masks[1] == 0x03E0 && info.Masks[2] == 0x1F))
            return pf15bit;
        if (info.Masks[0] == 0xF800 && info.Masks[1] == 0x07E0 && info.Masks[2] == 0x1F)
            return pf16bit;
        Invalid();
    case 32:
        if (info.Compression == BI_RGB ||
            (info.Masks[0] == 0xFF0000 && info.Masks[1] == 0xFF00 && info.Masks[2] == 0xFF))
            return pf32bit;
        Invalid();
    default: Invalid();
    }
}

// Decodes run-length data into bottom-up rows of index values.
void DecodeRle(const std::vector<uint8_t>& data, int bits, TBitmap& bitmap, bool topDown)
{
    const int32_t width = bitmap.Width(), height = bitmap.Height();
    int32_t x = 0, line = 0; // line counts from the bottom
    size_t i = 0;
    auto put = [&](uint32_t index) {
        if (x < width && line < height) {
            const int32_t y = topDown ? line : height - 1 - line;
            WriteRaw(bitmap.ScanLine(y), x, bits, index);
        }
        ++x;
    };
    while (i + 1 < data.size()) {
        const uint8_t count = data[i], value = data[i + 1];
        i += 2;
        if (count > 0) {
            for (int n = 0; n < count; ++n)
                put(bits == 8 ? value : ((n & 1) ? value & 0x0F : value >> 4));
            continue;
        }
        if (value == 0) { // end of line
            x = 0;
            ++line;
        } else if (value == 1) { // end of bitmap
            return;
        } else if (value == 2) { // delta
            if (i + 1 >= data.size())
                Invalid();
            x += data[i];
            line += data[i + 1];
            i += 2;
        } else { // absolute run, padded to a 16-bit boundary
            const size_t bytes = bits == 8 ? value : (value + 1u) / 2u;
            if (i + bytes > data.size())
                Invalid();
            for (int n = 0; n < value; ++n)
                put(bits == 8 ? data[i + n] : ((n & 1) ? data[i + n / 2] & 0x0F : data[i + n / 2] >> 4));
            i += (bytes + 1) & ~size_t{1};
        }
    }
}

// The colour table of a palette bitmap, filled up to the depth's size.
std::vector<TPaletteEntry> ReadColorTable(TStream& stream, const TBmpHeader& info)
{
    std::vector<TPaletteEntry> entries;
    if (info.BitCount > 8)
        return entries;
    const uint32_t maxColors = 1u << info.BitCount;
    const uint32_t count = info.ColorsUsed ? info.ColorsUsed : maxColors;
    if (count > maxColors)
        Invalid();
    const int entrySize = info.Core ? 3 : 4;
    std::vector<uint8_t> raw(static_cast<size_t>(count) * entrySize);
    ReadExactly(stream, raw.data(), static_cast<int64_t>(raw.size()));
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t* e = &raw[static_cast<size_t>(i) * entrySize];
        entries.push_back({e[2], e[1], e[0], 0});
    }
    entries.resize(maxColors);
    return entries;
}

// Uncompressed rows, bottom-up unless the header says top-down.
void ReadRows(TStream& stream, const TBmpHeader& info, TBitmap& decoded)
{
    const auto stride = static_cast<int32_t>(RowStride(info.Width, info.BitCount));
    const int32_t copy = std::min(stride, decoded.RowBytes());
    std::vector<uint8_t> row(static_cast<size_t>(stride));
    for (int32_t line = 0; line < info.Height; ++line) {
        ReadExactly(stream, row.data(), stride);
        const int32_t y = info.TopDown ? line : info.Height - 1 - line;
        std::memcpy(decoded.ScanLine(y), row.data(), static_cast<size_t>(copy));
    }
}

// The info header, masks, colour table and pixels of a bitmap; the pixels
// start at `bitsPosition`, or right after the colour table when it is
// negative (a packed bitmap).
void ReadDib(TStream& stream, int64_t bitsPosition, TBitmap& bitmap)
{
    uint32_t headerSize = 0;
    const TBmpHeader info = ReadInfoHeader(stream, headerSize);
    if (info.Width <= 0 || info.Height <= 0 || info.Width > MaxDimension || info.Height > MaxDimension)
        Invalid();
    const bool rle = info.Compression == BI_RLE8 || info.Compression == BI_RLE4;
    if ((info.Compression == BI_RLE8 && info.BitCount != 8) || (info.Compression == BI_RLE4 && info.BitCount != 4) ||
        info.Compression > BI_BITFIELDS)
        Invalid();
    TBmpHeader fields = info;
    if (info.Compression == BI_BITFIELDS && headerSize == 40) {
        uint8_t masks[12];
        ReadExactly(stream, masks, 12);
        for (int i = 0; i < 3; ++i)
            fields.Masks[i] = Get32(&masks[4 * i]);
    }
    const TPixelFormat format = FormatOf(fields);

    const std::vector<TPaletteEntry> entries = ReadColorTable(stream, info);

    if (bitsPosition >= 0)
        stream.SetPosition(bitsPosition);
    // Uncompressed rows must all be there before the bitmap is allocated,
    // so a header that lies about its size costs nothing.
    const uint64_t rowBytes = RowStride(info.Width, info.BitCount) * uint64_t(info.Height);
    if (!rle && rowBytes > uint64_t(std::max<int64_t>(0, stream.Size() - stream.Position())))
        Invalid();
    if (rle && uint64_t(info.Width) * uint64_t(info.Height) > MaxRunLengthPixels)
        Invalid();
    TBitmap decoded(info.Width, info.Height, format);
    if (!entries.empty())
        decoded.SetPalette(TPalette(entries));
    if (rle) {
        std::vector<uint8_t> data(static_cast<size_t>(stream.Size() - stream.Position()));
        ReadExactly(stream, data.data(), static_cast<int64_t>(data.size()));
        DecodeRle(data, info.BitCount, decoded, info.TopDown);
    } else {
        ReadRows(stream, info, decoded);
    }
    bitmap.Assign(&decoded);
}

} // namespace

void ReadBmp(TStream& stream, TBitmap& bitmap)
{
    const int64_t start = stream.Position();
    uint8_t fileHeader[14];
    ReadExactly(stream, fileHeader, 14);
    if (fileHeader[0] != 'B' || fileHeader[1] != 'M')
        Invalid();
    ReadDib(stream, start + Get32(&fileHeader[10]), bitmap);
}

void ReadPackedDib(const uint8_t* data, size_t size, TBitmap& bitmap)
{
    TMemoryStream stream;
    stream.WriteBuffer(data, static_cast<int64_t>(size));
    stream.SetPosition(0);
    ReadDib(stream, -1, bitmap);
}

void WriteBmp(TStream& stream, const TBitmap& bitmap)
{
    const int bpp = bitmap.BitCount();
    const int fileBits = bpp == 15 ? 16 : bpp;
    const bool bitFields = bpp == 16;
    const uint32_t paletteBytes = bpp <= 8 ? (1u << bpp) * 4 : bitFields ? 12 : 0;
    const uint32_t imageBytes = static_cast<uint32_t>(bitmap.RowBytes()) * static_cast<uint32_t>(bitmap.Height());
    const uint32_t offBits = 14 + 40 + paletteBytes;

    std::vector<uint8_t> header;
    header.push_back('B');
    header.push_back('M');
    Put32(header, offBits + imageBytes);
    Put32(header, 0);
    Put32(header, offBits);
    Put32(header, 40);
    Put32(header, static_cast<uint32_t>(bitmap.Width()));
    Put32(header, static_cast<uint32_t>(bitmap.Height()));
    Put16(header, 1);
    Put16(header, static_cast<uint32_t>(fileBits));
    Put32(header, bitFields ? BI_BITFIELDS : BI_RGB);
    Put32(header, imageBytes);
    Put32(header, 3780); // 96 pixels per inch
    Put32(header, 3780);
    Put32(header, bpp <= 8 ? (1u << bpp) : 0);
    Put32(header, 0);
    if (bpp <= 8) {
        for (uint32_t i = 0; i < (1u << bpp); ++i) {
            const TPaletteEntry e = i < bitmap.Palette().Count() ? bitmap.Palette().Entry(i) : TPaletteEntry{};
            header.push_back(e.peBlue);
            header.push_back(e.peGreen);
            header.push_back(e.peRed);
            header.push_back(0);
        }
    } else if (bitFields) {
        Put32(header, 0xF800);
        Put32(header, 0x07E0);
        Put32(header, 0x001F);
    }
    stream.WriteBuffer(header.data(), static_cast<int64_t>(header.size()));
    for (int32_t y = bitmap.Height() - 1; y >= 0; --y)
        stream.WriteBuffer(bitmap.ScanLine(y), bitmap.RowBytes());
}
