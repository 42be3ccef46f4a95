#include "imaging/core/QkDIBBridge.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkBitmapRoutines.h"
#include "imaging/core/QkBits.h"
#include "imaging/core/QkDebugLog.h"
#include "imaging/core/QkVideoFrames.h"

namespace {

constexpr int64_t InfoHeaderSize = 40;
constexpr int64_t MaskBytes = 12;
constexpr double PixelsPerMetrePerDpi = 39.3700787;

uint32_t Read32(const uint8_t* bytes)
{
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
}

uint16_t Read16(const uint8_t* bytes) { return static_cast<uint16_t>(bytes[0] | bytes[1] << 8); }

void Write32(uint8_t* bytes, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<uint8_t>(value >> (8 * i));
}

void Write16(uint8_t* bytes, uint16_t value)
{
    bytes[0] = static_cast<uint8_t>(value);
    bytes[1] = static_cast<uint8_t>(value >> 8);
}

// ---- Writing ----

int32_t DIBBitCount(TQkPixelFormat format)
{
    switch (format) {
    case qk1g: return 1;
    case qk8p:
    case qk8g: return 8;
    default: return 24;
    }
}

int64_t ColourTableBytes(TQkPixelFormat format)
{
    switch (format) {
    case qk1g: return 8;
    case qk8p:
    case qk8g: return 1024;
    default: return 0;
    }
}

void WriteInfoHeader(uint8_t* header, int32_t width, int32_t height, int32_t bitCount, int32_t dpiX, int32_t dpiY)
{
    Write32(header, InfoHeaderSize);
    Write32(header + 4, static_cast<uint32_t>(width));
    Write32(header + 8, static_cast<uint32_t>(height));
    Write16(header + 12, 1);
    Write16(header + 14, static_cast<uint16_t>(bitCount));
    Write32(header + 24, static_cast<uint32_t>(static_cast<int32_t>(dpiX * PixelsPerMetrePerDpi)));
    Write32(header + 28, static_cast<uint32_t>(static_cast<int32_t>(dpiY * PixelsPerMetrePerDpi)));
}

// Palette entries beyond the bitmap's palette stay zero.
void WriteColourTable(uint8_t* table, TQkBitmap& bitmap)
{
    switch (bitmap.GetPixelFormat()) {
    case qk1g: std::fill_n(table + 4, 4, uint8_t(0xFF)); break;
    case qk8g:
        for (int32_t i = 0; i < 256; ++i)
            std::fill_n(table + 4 * i, 3, static_cast<uint8_t>(i));
        break;
    case qk8p:
        for (int32_t i = 0; i < std::min(bitmap.GetPaletteLength(), 256); ++i) {
            TRGBPixel colour;
            bitmap.GetPaletteColor(i, colour);
            table[4 * i] = colour.b, table[4 * i + 1] = colour.g, table[4 * i + 2] = colour.r;
        }
        break;
    default: break;
    }
}

void WriteRow(uint8_t* destination, TQkBitmap& bitmap, int32_t y, int32_t x1, int32_t width)
{
    const uint8_t* row = bitmap.GetScanline(y);
    switch (bitmap.GetPixelFormat()) {
    case qk1g: CopyBitRun(destination, row, 0, x1, width, bitmap.GetRowLen()); break;
    case qk8p:
    case qk8g: std::memcpy(destination, row + x1, size_t(width)); break;
    default: std::memcpy(destination, row + 3 * int64_t(x1), 3 * size_t(width)); break;
    }
}

std::unique_ptr<TQkGlobalMemory> Allocate(int64_t size)
{
    try {
        auto block = std::make_unique<TQkGlobalMemory>();
        block->Bytes.resize(size_t(size));
        return block;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

// ---- Reading ----

struct TInfoHeader {
    uint32_t Size;
    int32_t Width;
    int32_t Height;
    uint16_t BitCount;
    uint32_t Compression;
    uint32_t ColoursUsed;
};

TInfoHeader ReadInfoHeader(const uint8_t* dib)
{
    return {Read32(dib),
            static_cast<int32_t>(Read32(dib + 4)),
            static_cast<int32_t>(Read32(dib + 8)),
            Read16(dib + 14),
            Read32(dib + 16),
            Read32(dib + 32)};
}

// Where the pixel data lie and how many bytes they span.
struct TPixelData {
    const uint8_t* Start;
    int64_t Length;
};

// The bytes that follow `offset` in the DIB; empty when the offset is past it.
TPixelData After(const uint8_t* dib, int64_t length, int64_t offset)
{
    if (offset > length)
        return {nullptr, 0};
    return {dib + offset, length - offset};
}

// Right shift for positive amounts, left shift for negative ones.
uint32_t Shift(uint32_t value, int32_t amount)
{
    if (amount >= 32 || amount <= -32)
        return 0;
    return amount >= 0 ? value >> amount : value << -amount;
}

class TDIBDecoder {
public:
    TDIBDecoder(const uint8_t* dib, int64_t length, const TInfoHeader& header, TPixelData bits)
        : dib_(dib), length_(length), header_(header), bits_(bits), width_(header.Width),
          height_(header.Height < 0 ? -int64_t(header.Height) : header.Height),
          stride_((int64_t(header.BitCount) * header.Width + 31) / 32 * 4)
    {}

    void Decode(TQkBitmap& bitmap)
    {
        if (header_.Compression > 3) {
            DecodeFrame(bitmap);
            return;
        }
        // Run-length data are not read as rows.
        if (header_.Compression == 1 || header_.Compression == 2)
            return;
        switch (header_.BitCount) {
        case 1: DecodeBilevel(bitmap); break;
        case 4:
        case 8: DecodeIndexed(bitmap); break;
        case 16: DecodeWords(bitmap); break;
        case 24:
            if (header_.Compression == 0)
                DecodeRows(bitmap, OwnOrGiven(header_.Size), 3);
            break;
        case 32:
            if (header_.Compression == 0 || header_.Compression == 3)
                DecodeRows(bitmap, OwnOrGiven(header_.Size + (header_.Compression == 3 ? MaskBytes : 0)), 4);
            break;
        default: break;
        }
    }

private:
    TPixelData OwnOrGiven(int64_t offset) const
    {
        return bits_.Start != nullptr ? bits_ : After(dib_, length_, offset);
    }

    bool Fits(const TPixelData& data) const
    {
        return data.Start != nullptr && stride_ > 0 && height_ <= data.Length / stride_;
    }

    // DIB row k of positive-height DIBs is image row height - 1 - k.
    int32_t ImageRow(int64_t k) const { return static_cast<int32_t>(header_.Height > 0 ? height_ - 1 - k : k); }

    bool Allocate(TQkBitmap& bitmap, TQkPixelFormat format) const
    {
        return bitmap.Allocate(width_, static_cast<int32_t>(height_), format);
    }

    void DecodeBilevel(TQkBitmap& bitmap)
    {
        const int64_t table = 4 * int64_t(header_.ColoursUsed != 0 ? header_.ColoursUsed : 2);
        const TPixelData data = After(dib_, length_, header_.Size + table);
        if (!Fits(data) || !Allocate(bitmap, qk1g))
            return;
        const size_t used = size_t(width_ + 7) / 8;
        const uint8_t flip = table >= 8 && WhiteFirst(dib_ + header_.Size) ? 0xFF : 0x00;
        for (int64_t k = 0; k < height_; ++k) {
            const uint8_t* source = data.Start + stride_ * k;
            uint8_t* row = bitmap.GetScanline(ImageRow(k));
            for (size_t i = 0; i < used; ++i)
                row[i] = source[i] ^ flip;
        }
    }

    // Bits index the colour table: with the lighter colour first (as some
    // writers order it) a set bit is the dark one, and qk1g's 1 is white.
    static bool WhiteFirst(const uint8_t* table)
    {
        return table[0] + table[1] + table[2] > table[4] + table[5] + table[6];
    }

    // Indices beyond the table give black.
    void DecodeIndexed(TQkBitmap& bitmap)
    {
        const int64_t defaultEntries = header_.BitCount == 4 ? 16 : 256;
        const int64_t entries = header_.ColoursUsed != 0 ? header_.ColoursUsed : defaultEntries;
        const uint8_t* table = dib_ + header_.Size;
        const TPixelData data = After(dib_, length_, header_.Size + 4 * entries);
        if (!Fits(data) || !Allocate(bitmap, qk24RGB))
            return;
        for (int64_t k = 0; k < height_; ++k) {
            const uint8_t* source = data.Start + stride_ * k;
            uint8_t* row = bitmap.GetScanline(ImageRow(k));
            for (int32_t x = 0; x < width_; ++x) {
                const int32_t index =
                    header_.BitCount == 8 ? source[x] : (x % 2 == 0 ? source[x / 2] >> 4 : source[x / 2] & 0xF);
                if (index < entries)
                    std::memcpy(row + 3 * x, table + 4 * index, 3);
            }
        }
    }

    void DecodeWords(TQkBitmap& bitmap)
    {
        uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};
        int64_t dataOffset = header_.Size;
        if (header_.Compression == 3) {
            if (int64_t(header_.Size) + MaskBytes > length_)
                return;
            for (int c = 0; c < 3; ++c)
                masks[c] = Read32(dib_ + header_.Size + 4 * c);
            dataOffset += MaskBytes;
        }
        const TPixelData data = OwnOrGiven(dataOffset);
        if (!Fits(data) || !Allocate(bitmap, qk24RGB))
            return;
        const int32_t red = CountMaskBits(masks[0]);
        const int32_t green = CountMaskBits(masks[1]);
        const int32_t blue = CountMaskBits(masks[2]);
        for (int64_t k = 0; k < height_; ++k) {
            const uint8_t* source = data.Start + stride_ * k;
            uint8_t* row = bitmap.GetScanline(ImageRow(k));
            for (int32_t x = 0; x < width_; ++x) {
                const uint32_t pixel = Read16(source + 2 * x);
                row[3 * x + 2] = static_cast<uint8_t>(Shift(pixel & masks[0], red + green + blue - 8));
                row[3 * x + 1] = static_cast<uint8_t>(Shift(pixel & masks[1], green + blue - 8));
                row[3 * x] = static_cast<uint8_t>(Shift((pixel & 0xFF) & masks[2], blue - 8));
            }
        }
    }

    // 24- and 32-bit pixels: their first three bytes are blue, green, red.
    void DecodeRows(TQkBitmap& bitmap, const TPixelData& data, int32_t bytesPerPixel)
    {
        if (!Fits(data) || !Allocate(bitmap, qk24RGB))
            return;
        for (int64_t k = 0; k < height_; ++k) {
            const uint8_t* source = data.Start + stride_ * k;
            uint8_t* row = bitmap.GetScanline(ImageRow(k));
            for (int32_t x = 0; x < width_; ++x)
                std::memcpy(row + 3 * x, source + bytesPerPixel * x, 3);
        }
    }

    void DecodeFrame(TQkBitmap& bitmap)
    {
        const TPixelData data = OwnOrGiven(header_.Size);
        const int64_t needed = VideoFrameBytes(header_.Compression, width_, height_);
        if (data.Start == nullptr || needed < 0 || needed > data.Length || !Allocate(bitmap, qk24RGB))
            return;
        UnpackVideoFrame(header_.Compression, data.Start, data.Length, header_.Height > 0, bitmap);
    }

    const uint8_t* dib_;
    int64_t length_;
    TInfoHeader header_;
    TPixelData bits_;
    int32_t width_;
    int64_t height_;
    int64_t stride_;
};

} // namespace

std::unique_ptr<TQkGlobalMemory> _CopyBitmaptoDIBEx(TQkBitmap& bitmap, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                                                    int32_t dpiX, int32_t dpiY)
{
    AppendDebugLog("_CopyBitmaptoDIBEx: begin");
    const TQkPixelFormat format = bitmap.GetPixelFormat();
    if (format != qk1g && format != qk8p && format != qk8g && format != qk24RGB) {
        AppendDebugLog("_CopyBitmaptoDIBEx: not supported pixel format, converting to 24bit and recurse");
        TQkBitmap copy;
        copy.Assign(&bitmap);
        if (!copy.SetPixelFormat(qk24RGB))
            return nullptr;
        return _CopyBitmaptoDIBEx(copy, x1, y1, x2, y2, dpiX, dpiY);
    }
    if (x2 == 0)
        x2 = bitmap.GetWidth();
    if (y2 == 0)
        y2 = bitmap.GetHeight();
    if (x1 < 0 || y1 < 0 || x2 <= x1 || y2 <= y1 || x2 > bitmap.GetWidth() || y2 > bitmap.GetHeight())
        return nullptr;
    const int32_t width = x2 - x1;
    const int32_t height = y2 - y1;
    const int32_t bitCount = DIBBitCount(format);
    const int64_t rowLength = CalcRowLength(width, bitCount, 32);
    const int64_t table = ColourTableBytes(format);
    const int64_t size = table + InfoHeaderSize + 4 + rowLength * height;
    AppendDebugLog("_CopyBitmaptoDIBEx: allocate " + std::to_string(size) + " bytes");
    auto block = Allocate(size);
    if (block == nullptr)
        return nullptr;
    uint8_t* header = block->Bytes.data();
    WriteInfoHeader(header, width, height, bitCount, dpiX, dpiY);
    if (format == qk1g)
        AppendDebugLog("_CopyBitmaptoDIBEx: qk1g");
    else if (format == qk24RGB)
        AppendDebugLog("_CopyBitmaptoDIBEx: qk24RGB");
    else
        AppendDebugLog("_CopyBitmaptoDIBEx: qk8g or qk8p");
    WriteColourTable(header + InfoHeaderSize, bitmap);
    uint8_t* rows = header + InfoHeaderSize + table;
    for (int32_t k = 0; k < height; ++k)
        WriteRow(rows + rowLength * k, bitmap, y2 - 1 - k, x1, width);
    return block;
}

int32_t CopyDIBToBitmap(const void* dib, int64_t length, TQkBitmap& bitmap, const void* bits, int64_t bitsLength)
{
    const auto* bytes = static_cast<const uint8_t*>(dib);
    if (bytes == nullptr || length < InfoHeaderSize)
        return 0;
    const TInfoHeader header = ReadInfoHeader(bytes);
    const bool sane = header.Size >= InfoHeaderSize && header.Size <= length && header.Width > 0 &&
        header.Height != 0 && header.Height != INT32_MIN;
    if (sane) {
        const TPixelData given{static_cast<const uint8_t*>(bits),
                               bits != nullptr ? std::max<int64_t>(bitsLength, 0) : 0};
        TDIBDecoder(bytes, length, header, given).Decode(bitmap);
    }
    return header.BitCount;
}

int32_t CopyDIBToBitmap(const TQkGlobalMemory& dib, TQkBitmap& bitmap)
{
    return CopyDIBToBitmap(dib.Bytes.data(), static_cast<int64_t>(dib.Bytes.size()), bitmap);
}
