#pragma once
// How the codec fuzz targets read their input: each function decodes one
// input without crashing or touching memory outside its buffers. The fuzz
// drivers call them, and the unit tests replay tests/malformed/ through them.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "imaging/formats/bmp/BmpRle.h"
#include "imaging/formats/fax/FaxCodec.h"
#include "imaging/formats/gif/GifLzw.h"
#include "imaging/formats/tiff/TiffLzw.h"

// Any bytes decode as GIF image data without crashing or
// writing outside the index buffer. The first two bytes choose the image's
// size and interlacing.
inline void FuzzGifLzwDecode(const uint8_t* data, size_t size)
{
    if (size < 2)
        return;
    const int32_t width = data[0] % 64 + 1;
    const int32_t height = (data[1] & 0x7F) % 64 + 1;
    const bool interlaced = (data[1] & 0x80) != 0;
    TMemoryStream stream;
    stream.WriteBuffer(data + 2, static_cast<int64_t>(size - 2));
    stream.SetPosition(0);
    std::vector<uint8_t> indexes(static_cast<size_t>(width) * height);
    GifLzwDecode(stream, height, width, interlaced, indexes);
}

// Any bytes decode as a TIFF LZW strip, row by row,
// without reading past them. The first byte chooses the row length and the
// fill order.
inline void FuzzTiffLzwDecode(const uint8_t* data, size_t size)
{
    if (size < 1)
        return;
    const int32_t rowLength = (data[0] & 0x7F) + 1;
    const int32_t fillOrder = (data[0] & 0x80) ? 2 : 1;
    // A copy of exactly the strip's size, so that any read past it is seen.
    const std::vector<uint8_t> strip(data + 1, data + size);
    std::atomic<bool> aborting{false};
    TTiffLzwDecodeStatePtr state;
    for (int32_t row = 0; row < 64; ++row) {
        if (!TiffLzwDecode(strip.data(), static_cast<int64_t>(strip.size()), rowLength, state, fillOrder, aborting))
            break;
    }
    TiffLzwDecode(nullptr, 0, rowLength, state, fillOrder, aborting);
}

// Any bytes decode as a modified Huffman, T.4 or T.6
// strip without reading past them. The first byte chooses the decoder, the
// fill order and the end-of-line fill; the second the row width.
inline void FuzzFaxDecode(const uint8_t* data, size_t size)
{
    if (size < 2)
        return;
    const int32_t decoder = data[0] % 3;
    const int32_t fillOrder = (data[0] & 0x10) ? 2 : 1;
    const bool eolFill = (data[0] & 0x20) != 0;
    const int32_t width = data[1] * 13 + 1;
    const std::vector<uint8_t> strip(data + 2, data + size);
    const size_t rowBytes = (static_cast<size_t>(width) + 7) / 8;
    std::vector<uint8_t> row(rowBytes);
    std::vector<uint8_t> reference(rowBytes, 0xFF);
    int64_t position = 0;
    for (int32_t y = 0; y < 32 && position < static_cast<int64_t>(strip.size()) * 8; ++y) {
        if (decoder == 0) {
            const auto at = static_cast<size_t>(position / 8);
            position += 8 * FaxDecodeRowMH(row, std::span(strip).subspan(at), fillOrder, width);
        } else if (decoder == 1) {
            position = FaxDecodeRow1D(row, strip, fillOrder, position, width);
        } else {
            position = FaxDecodeRow2D(row, strip, eolFill, fillOrder, position, reference, width);
        }
    }
}

// Any bytes decode as RLE8 or RLE4 bitmap data into both
// forms without touching memory outside the bitmap or the palette. The first
// three bytes choose the codec, the size, the row order and the palette length.
inline void FuzzBmpRleDecode(const uint8_t* data, size_t size)
{
    if (size < 3)
        return;
    const bool rle4 = (data[0] & 1) != 0;
    const bool topDown = (data[0] & 2) != 0;
    const bool indexForm = (data[0] & 4) != 0;
    const int32_t width = data[1] % 40 + 1;
    const int32_t height = data[2] % 40 + 1;
    const std::vector<TRGBPixel> palette(data[0] >> 3);
    const std::vector<uint8_t> codes(data + 3, data + size);
    TQkBitmap bitmap;
    bitmap.SetLocation(qkMemory);
    bitmap.Allocate(width, height, indexForm ? qk8p : qk24RGB);
    TQkFilterProgress progress;
    if (rle4)
        DecodeBmpRle4(bitmap, codes, topDown, progress, palette);
    else
        DecodeBmpRle8(bitmap, codes, topDown, progress, palette);
}
