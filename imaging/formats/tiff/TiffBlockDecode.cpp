#include "imaging/formats/tiff/TiffBlockDecode.h"

#include <algorithm>
#include <cstring>
#include <span>

#include "imaging/core/QkBits.h"
#include "imaging/formats/fax/FaxCodec.h"
#include "imaging/formats/tiff/TiffPage.h"
#include "imaging/formats/zstreams/QkZStreams.h"

namespace {

constexpr int32_t HorizontalPredictor = 2;

struct TBlockTarget {
    std::vector<uint8_t>& Rows;
    int64_t RowCount;
    int64_t RowLength;
    uint8_t* Row(int64_t row) { return Rows.data() + row * RowLength; }
};

void CopyRaw(std::span<const uint8_t> data, TBlockTarget& target)
{
    // An empty strip has no data pointer to copy from.
    const size_t count = std::min(data.size(), target.Rows.size());
    if (count > 0)
        std::memcpy(target.Rows.data(), data.data(), count);
}

// A header n of 0-127 copies n + 1 bytes, -1 to -127 repeats the next byte
// 1 - n times, -128 is skipped; the runs fill the block row after row.
void DecodePackBits(std::span<const uint8_t> data, TBlockTarget& target)
{
    size_t in = 0;
    size_t out = 0;
    const size_t end = target.Rows.size();
    while (in < data.size() && out < end) {
        const int8_t header = int8_t(data[in++]);
        if (header >= 0) {
            const size_t count = std::min<size_t>(size_t(header) + 1, data.size() - in);
            const size_t kept = std::min(count, end - out);
            std::memcpy(target.Rows.data() + out, data.data() + in, kept);
            in += count;
            out += kept;
        } else if (header != -128 && in < data.size()) {
            const size_t kept = std::min<size_t>(size_t(1 - header), end - out);
            std::memset(target.Rows.data() + out, data[in++], kept);
            out += kept;
        }
    }
}

bool DecodeDeflate(std::span<const uint8_t> data, TBlockTarget& target)
{
    try {
        const std::vector<uint8_t> inflated =
            InflateBuffer(data.data(), data.size(), target.Rows.size(), target.Rows.size() + 1);
        CopyRaw(inflated, target);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool DecodeLzw(std::span<const uint8_t> data, TBlockTarget& target, const TTiffLzwDecoder& lzw,
               std::atomic<bool>& aborting)
{
    if (target.RowLength > INT32_MAX)
        return false;
    TTiffLzwDecodeStatePtr state;
    bool sound = true;
    for (int64_t row = 0; row < target.RowCount && !aborting; ++row) {
        const uint8_t* decoded = lzw(data.data(), int64_t(data.size()), int32_t(target.RowLength), state, 1, aborting);
        if (!decoded) {
            sound = false;
            break;
        }
        std::memcpy(target.Row(row), decoded, size_t(target.RowLength));
    }
    lzw(nullptr, 0, 0, state, 1, aborting);
    return sound;
}

// The fax decoders give 1 for a white run; the bilevel conversion turns
// that into the photometric's sense.
void DecodeFax(const TTiffPage& page, std::span<const uint8_t> data, TBlockTarget& target, int64_t width)
{
    const int32_t pixels = int32_t(std::min<int64_t>(width, INT32_MAX));
    std::vector<uint8_t> reference(size_t(target.RowLength), 0xFF);
    int64_t position = 0; // bytes for modified Huffman, bits otherwise
    for (int64_t row = 0; row < target.RowCount; ++row) {
        std::span<uint8_t> out(target.Row(row), size_t(target.RowLength));
        switch (page.Compression) {
        case tcModifiedHuffman:
            if (position >= int64_t(data.size()))
                return;
            position += FaxDecodeRowMH(out, data.subspan(size_t(position)), page.FillOrder, pixels);
            break;
        case tcFaxT4:
            if (position >= int64_t(data.size()) * 8)
                return;
            position = page.T4Options & 1 ? FaxDecodeRow2D(out, data, true, page.FillOrder, position, reference, pixels)
                                          : FaxDecodeRow1D(out, data, page.FillOrder, position, pixels);
            break;
        default:
            if (position >= int64_t(data.size()) * 8)
                return;
            position =
                FaxDecodeRow2D(out, data, (page.T4Options & 4) != 0, page.FillOrder, position, reference, pixels);
            break;
        }
    }
}

void SwapWords(std::vector<uint8_t>& rows)
{
    for (size_t i = 0; i + 1 < rows.size(); i += 2)
        std::swap(rows[i], rows[i + 1]);
}

template <typename T>
void UndoPredictorRow(T* row, int64_t pixels, int32_t samples)
{
    for (int64_t i = samples; i < pixels * samples; ++i)
        row[i] = T(row[i] + row[i - samples]);
}

void UndoPredictor(const TTiffPage& page, const TTiffBlockShape& shape, TBlockTarget& target)
{
    for (int64_t row = 0; row < target.RowCount; ++row) {
        if (page.Bits == 8)
            UndoPredictorRow(target.Row(row), shape.PixelsPerRow, shape.Samples);
        else
            UndoPredictorRow(reinterpret_cast<uint16_t*>(target.Row(row)), shape.PixelsPerRow, shape.Samples);
    }
}

bool Decompress(const TTiffPage& page, std::span<const uint8_t> data, const TTiffBlockShape& shape,
                const TTiffLzwDecoder& lzw, TBlockTarget& target, std::atomic<bool>& aborting)
{
    switch (page.Compression) {
    case tcNone: CopyRaw(data, target); return true;
    case tcPackBits: DecodePackBits(data, target); return true;
    case tcAdobeDeflate:
    case tcDeflate: return DecodeDeflate(data, target);
    case tcLzw: return lzw && DecodeLzw(data, target, lzw, aborting);
    case tcModifiedHuffman:
    case tcFaxT4:
    case tcFaxT6: DecodeFax(page, data, target, shape.PixelsPerRow); return true;
    default: return false;
    }
}

} // namespace

int64_t TiffRowLength(int64_t pixels, int32_t samples, int32_t bits) { return (pixels * samples * bits + 7) / 8; }

bool DecodeTiffBlock(const TTiffPage& page, std::vector<uint8_t>& data, const TTiffBlockShape& shape,
                     const TTiffLzwDecoder& lzw, std::vector<uint8_t>& rows, std::atomic<bool>& aborting)
{
    const int64_t rowLength = TiffRowLength(shape.PixelsPerRow, shape.Samples, page.Bits);
    rows.assign(size_t(rowLength * shape.Rows), 0);
    // The fax codecs read either bit order themselves; every other codec
    // works on bytes in the usual order.
    if (page.FillOrder == 2 && !page.Fax())
        for (uint8_t& byte : data)
            ReverseByteBits(byte);
    TBlockTarget target{rows, shape.Rows, rowLength};
    if (!Decompress(page, data, shape, lzw, target, aborting))
        return false;
    if (page.Bits == 16 && !page.Intel)
        SwapWords(rows);
    const bool predicted =
        page.Compression == tcLzw || page.Compression == tcAdobeDeflate || page.Compression == tcDeflate;
    if (page.Predictor == HorizontalPredictor && predicted && (page.Bits == 8 || page.Bits == 16))
        UndoPredictor(page, shape, target);
    return true;
}
