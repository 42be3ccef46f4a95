#include "imaging/formats/tiff/TiffBlockDecode.h"

#include <algorithm>
#include <cstring>
#include <span>

#include "imaging/core/QkBits.h"
#include "imaging/formats/fax/FaxCodec.h"
#include "imaging/formats/tiff/TiffDirectory.h"
#include "imaging/formats/tiff/TiffPage.h"
#include "imaging/formats/zstreams/QkZStreams.h"
#include "platform/core/Streams.h"

namespace {

constexpr int32_t HorizontalPredictor = 2;

// Fills the block's rows in order, a run of bytes crossing row ends.
class TRowFiller {
public:
    TRowFiller(const TTiffRowPlace& place, int64_t rows, int64_t length)
        : place_(place), rows_(rows), length_(size_t(length)), current_(rows > 0 ? place(0) : nullptr)
    {}

    bool Full() const { return row_ >= rows_; }
    // What fits of the bytes.
    void Copy(const uint8_t* bytes, size_t count)
    {
        Put(count, [bytes](uint8_t* at, size_t n, size_t done) { std::memcpy(at, bytes + done, n); });
    }
    // What fits of `count` copies of the value.
    void Fill(uint8_t value, size_t count)
    {
        Put(count, [value](uint8_t* at, size_t n, size_t) { std::memset(at, value, n); });
    }
    // Passes over rows written elsewhere.
    void Skip(size_t count)
    {
        Put(count, [](uint8_t*, size_t, size_t) {});
    }
    void ZeroRest()
    {
        while (!Full())
            Fill(0, length_ - offset_);
    }

private:
    template <typename Write>
    void Put(size_t count, Write write)
    {
        for (size_t done = 0; done < count && !Full();) {
            const size_t n = std::min(count - done, length_ - offset_);
            write(current_ + offset_, n, done);
            done += n;
            offset_ += n;
            if (offset_ == length_) {
                offset_ = 0;
                current_ = ++row_ < rows_ ? place_(row_) : nullptr;
            }
        }
    }

    const TTiffRowPlace& place_;
    int64_t rows_;
    size_t length_;
    uint8_t* current_;
    int64_t row_ = 0;
    size_t offset_ = 0;
};

void SwapWords(uint8_t* row, int64_t length)
{
    for (int64_t i = 0; i + 1 < length; i += 2)
        std::swap(row[i], row[i + 1]);
}

template <typename T>
void UndoPredictorRow(T* row, int64_t pixels, int32_t samples)
{
    for (int64_t i = samples; i < pixels * samples; ++i)
        row[i] = T(row[i] + row[i - samples]);
}

// Words of "MM" files turn to host order, and the predictor is undone on
// them (it adds words, not bytes).
void FinishRows(const TTiffPage& page, const TTiffBlockShape& shape, const TTiffRowPlace& place, bool predicted)
{
    const int64_t length = TiffRowLength(shape.PixelsPerRow, shape.Samples, page.Bits);
    const bool swapped = page.Bits == 16 && !page.Intel;
    const bool predictor = predicted && page.Predictor == HorizontalPredictor && (page.Bits == 8 || page.Bits == 16);
    if (!swapped && !predictor)
        return;
    for (int64_t row = 0; row < shape.Rows; ++row) {
        uint8_t* bytes = place(row);
        if (swapped)
            SwapWords(bytes, length);
        if (predictor && page.Bits == 8)
            UndoPredictorRow(bytes, shape.PixelsPerRow, shape.Samples);
        else if (predictor)
            UndoPredictorRow(reinterpret_cast<uint16_t*>(bytes), shape.PixelsPerRow, shape.Samples);
    }
}

// A header n of 0-127 copies n + 1 bytes, -1 to -127 repeats the next byte
// 1 - n times, -128 is skipped; the runs fill the block row after row.
void DecodePackBits(std::span<const uint8_t> data, TRowFiller& rows)
{
    size_t in = 0;
    while (in < data.size() && !rows.Full()) {
        const int8_t header = int8_t(data[in++]);
        if (header >= 0) {
            const size_t count = std::min<size_t>(size_t(header) + 1, data.size() - in);
            rows.Copy(data.data() + in, count);
            in += count;
        } else if (header != -128 && in < data.size()) {
            rows.Fill(data[in++], size_t(1 - header));
        }
    }
}

bool DecodeDeflate(std::span<const uint8_t> data, TRowFiller& rows, size_t blockBytes)
{
    try {
        const std::vector<uint8_t> inflated = InflateBuffer(data.data(), data.size(), blockBytes, blockBytes + 1);
        rows.Copy(inflated.data(), inflated.size());
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool DecodeLzw(std::span<const uint8_t> data, TRowFiller& rows, int64_t rowCount, int64_t rowLength,
               const TTiffLzwDecoder& lzw, std::atomic<bool>& aborting)
{
    if (rowLength > INT32_MAX)
        return false;
    TTiffLzwDecodeStatePtr state;
    bool sound = true;
    for (int64_t row = 0; row < rowCount && !aborting; ++row) {
        const uint8_t* decoded = lzw(data.data(), int64_t(data.size()), int32_t(rowLength), state, 1, aborting);
        if (!decoded) {
            sound = false;
            break;
        }
        rows.Copy(decoded, size_t(rowLength));
    }
    lzw(nullptr, 0, 0, state, 1, aborting);
    return sound;
}

// The fax decoders give 1 for a white run; the bilevel conversion turns
// that into the photometric's sense. Returns the rows decoded before the
// data ran out.
int64_t DecodeFax(const TTiffPage& page, std::span<const uint8_t> data, const TTiffBlockShape& shape,
                  const TTiffRowPlace& place)
{
    const int32_t pixels = int32_t(std::min<int64_t>(shape.PixelsPerRow, INT32_MAX));
    const size_t rowLength = size_t(TiffRowLength(shape.PixelsPerRow, 1, 1));
    std::vector<uint8_t> reference(rowLength, 0xFF);
    int64_t position = 0; // bytes for modified Huffman, bits otherwise
    const int64_t end = page.Compression == tcModifiedHuffman ? int64_t(data.size()) : int64_t(data.size()) * 8;
    for (int64_t row = 0; row < shape.Rows; ++row) {
        if (position >= end)
            return row;
        std::span<uint8_t> out(place(row), rowLength);
        switch (page.Compression) {
        case tcModifiedHuffman:
            position += FaxDecodeRowMH(out, data.subspan(size_t(position)), page.FillOrder, pixels);
            break;
        case tcFaxT4:
            position = page.T4Options & 1 ? FaxDecodeRow2D(out, data, true, page.FillOrder, position, reference, pixels)
                                          : FaxDecodeRow1D(out, data, page.FillOrder, position, pixels);
            break;
        default:
            position =
                FaxDecodeRow2D(out, data, (page.T4Options & 4) != 0, page.FillOrder, position, reference, pixels);
            break;
        }
    }
    return shape.Rows;
}

bool Decompress(const TTiffPage& page, std::span<const uint8_t> data, const TTiffBlockShape& shape,
                const TTiffLzwDecoder& lzw, const TTiffRowPlace& place, std::atomic<bool>& aborting)
{
    const int64_t rowLength = TiffRowLength(shape.PixelsPerRow, shape.Samples, page.Bits);
    TRowFiller rows(place, shape.Rows, rowLength);
    bool sound = true;
    switch (page.Compression) {
    case tcPackBits: DecodePackBits(data, rows); break;
    case tcAdobeDeflate:
    case tcDeflate: sound = DecodeDeflate(data, rows, size_t(rowLength * shape.Rows)); break;
    case tcLzw: sound = lzw && DecodeLzw(data, rows, shape.Rows, rowLength, lzw, aborting); break;
    case tcModifiedHuffman:
    case tcFaxT4:
    case tcFaxT6: {
        const int64_t decoded = DecodeFax(page, data, shape, place);
        rows.Skip(size_t(decoded * rowLength));
        break;
    }
    default: return false;
    }
    // What the data did not reach reads as 0, whatever the rows held.
    rows.ZeroRest();
    return sound;
}

} // namespace

int64_t TiffRowLength(int64_t pixels, int32_t samples, int32_t bits) { return (pixels * samples * bits + 7) / 8; }

bool ReadTiffRawBlock(const TTiffDirectory& directory, uint64_t offset, const TTiffPage& page,
                      const TTiffBlockShape& shape, const TTiffRowPlace& place)
{
    // An empty read tells whether the offset lies inside the stream.
    if (!directory.ReadAt(offset, nullptr, 0))
        return false;
    const int64_t rowLength = TiffRowLength(shape.PixelsPerRow, shape.Samples, page.Bits);
    int64_t available = directory.BytesFrom(offset);
    TStream& stream = directory.Stream();
    stream.SetPosition(directory.Base() + int64_t(offset));
    for (int64_t row = 0; row < shape.Rows; ++row) {
        uint8_t* bytes = place(row);
        const int64_t wanted = std::min(available, rowLength);
        const int64_t read = wanted > 0 ? std::max<int64_t>(stream.Read(bytes, wanted), 0) : 0;
        available = read < wanted ? 0 : available - read;
        std::memset(bytes + read, 0, size_t(rowLength - read));
        if (page.FillOrder == 2)
            for (int64_t i = 0; i < read; ++i)
                ReverseByteBits(bytes[i]);
    }
    FinishRows(page, shape, place, false);
    return true;
}

bool DecodeTiffBlock(const TTiffPage& page, std::vector<uint8_t>& data, const TTiffBlockShape& shape,
                     const TTiffLzwDecoder& lzw, const TTiffRowPlace& place, std::atomic<bool>& aborting)
{
    // The fax codecs read either bit order themselves; every other codec
    // works on bytes in the usual order.
    if (page.FillOrder == 2 && !page.Fax())
        for (uint8_t& byte : data)
            ReverseByteBits(byte);
    if (!Decompress(page, data, shape, lzw, place, aborting))
        return false;
    const bool predicted =
        page.Compression == tcLzw || page.Compression == tcAdobeDeflate || page.Compression == tcDeflate;
    FinishRows(page, shape, place, predicted);
    return true;
}
