#include <algorithm>
#include <cstring>
#include <optional>

#include "imaging/core/QkBits.h"
#include "imaging/formats/fax/FaxCodeTables.h"
#include "imaging/formats/fax/FaxCodec.h"
#include "imaging/formats/fax/FaxRows.h"

namespace {

// Reads the input as a bit string; bytes past its end read as 0.
class TFaxBitReader {
public:
    TFaxBitReader(std::span<const uint8_t> input, int32_t fillOrder, int64_t position)
        : input_(input), fillOrder_(fillOrder), position_(position)
    {}

    // The 32 bits at the position, the first one most significant.
    uint32_t Peek() const
    {
        const int64_t byte = position_ / 8;
        uint64_t bits = 0;
        for (int64_t i = 0; i < 5; ++i)
            bits = bits << 8 | ByteAt(byte + i);
        return static_cast<uint32_t>(bits >> (8 - position_ % 8));
    }

    int32_t Bit() const { return static_cast<int32_t>(Peek() >> 31); }
    void Skip(int64_t bits) { position_ += bits; }
    bool AtEnd() const { return position_ >= End(); }
    int64_t End() const { return static_cast<int64_t>(input_.size()) * 8; }
    int64_t Position() const { return position_; }

private:
    uint8_t ByteAt(int64_t index) const
    {
        if (index < 0 || index >= static_cast<int64_t>(input_.size()))
            return 0;
        uint8_t value = input_[index];
        if (fillOrder_ == 2)
            ReverseByteBits(value);
        return value;
    }

    std::span<const uint8_t> input_;
    int32_t fillOrder_;
    int64_t position_;
};

// A decoded row: starts white, black runs clear bits.
class TFaxRowWriter {
public:
    TFaxRowWriter(std::span<uint8_t> row, int32_t width) : row_(row), width_(width)
    {
        std::fill(row_.begin(), row_.begin() + (width + 7) / 8, uint8_t{0xFF});
    }

    void PaintBlack(int64_t from, int64_t to)
    {
        for (int64_t x = std::max<int64_t>(from, 0); x < std::min<int64_t>(to, width_); ++x)
            row_[x >> 3] &= static_cast<uint8_t>(~(0x80 >> (x & 7)));
    }

    void Paint(int64_t from, int64_t to, bool black)
    {
        if (black)
            PaintBlack(from, to);
    }

private:
    std::span<uint8_t> row_;
    int32_t width_;
};

int32_t DecodeRunEntry(const TFaxBitReader& reader, bool black) { return FaxCodeTree(black).Decode(reader.Peek()); }

int64_t DecodeRow1D(TFaxRowWriter& out, TFaxBitReader& reader, int32_t width)
{
    bool black = false;
    int64_t x = 0;
    int64_t rowStart = reader.Position();
    bool makeUp = false;
    while ((x < width || makeUp) && !reader.AtEnd()) {
        const int32_t entry = DecodeRunEntry(reader, black);
        if (entry < 0) {
            if (reader.Position() == rowStart)
                ++rowStart;
            reader.Skip(1);
            continue;
        }
        const TFaxCode& code = FaxRunCodes(black)[entry];
        const bool atRowStart = reader.Position() == rowStart;
        reader.Skip(code.Length);
        if (code.Run == FaxRunEndOfLine) {
            if (atRowStart) {
                rowStart = reader.Position();
                continue;
            }
            out.Paint(x, width, black);
            break;
        }
        if (code.Run == FaxRunIgnored)
            continue;
        out.Paint(x, x + code.Run, black);
        x = std::min<int64_t>(x + code.Run, width);
        makeUp = entry >= 64;
        if (!makeUp)
            black = !black;
    }
    return reader.Position();
}

// One colour's run in horizontal mode: make-up codes ended by a terminating
// code. An end of line or an unknown code abandons the mode, the end of line
// left unread.
std::optional<int64_t> DecodeRun(TFaxBitReader& reader, bool black, int32_t width)
{
    int64_t run = 0;
    while (!reader.AtEnd()) {
        const int32_t entry = DecodeRunEntry(reader, black);
        if (entry < 0)
            return std::nullopt;
        const TFaxCode& code = FaxRunCodes(black)[entry];
        if (code.Run == FaxRunEndOfLine)
            return std::nullopt;
        reader.Skip(code.Length);
        if (code.Run == FaxRunIgnored)
            continue;
        run = std::min<int64_t>(run + code.Run, width);
        if (entry < 64)
            return run;
    }
    return std::nullopt;
}

TFaxMode DecodeMode(const TFaxBitReader& reader)
{
    const uint32_t window = reader.Peek();
    const auto& modes = FaxModeCodes();
    for (int32_t mode = 0; mode < FaxModeCount; ++mode) {
        if (window >> (32 - modes[mode].Length) == modes[mode].Value)
            return static_cast<TFaxMode>(mode);
    }
    return fmUnknown;
}

class TFaxRow2DDecoder {
public:
    TFaxRow2DDecoder(TFaxRowWriter& out, TFaxBitReader& reader, const TFaxRow& reference, int32_t width, bool eolFill)
        : out_(out), reader_(reader), reference_(reference), width_(width), eolFill_(eolFill)
    {}

    // False when the row turned out to be one-dimensional (the reader then
    // stands after its tag bit).
    bool Run()
    {
        bool firstCode = true;
        while (a0_ < width_ && !reader_.AtEnd()) {
            const TFaxMode mode = DecodeMode(reader_);
            if (mode == fmEndOfLine || (mode == fmUnknown && eolFill_)) {
                // Later in the row an end of line ends it, left for the next row.
                if (!firstCode) {
                    out_.Paint(a0_, width_, black_);
                    return true;
                }
                SkipEndOfLine(mode);
                const int32_t tag = reader_.Bit();
                reader_.Skip(1);
                if (tag == 1)
                    return false;
            } else {
                reader_.Skip(FaxModeCodes()[mode].Length);
                Apply(mode);
            }
            firstCode = false;
        }
        return true;
    }

private:
    void Apply(TFaxMode mode)
    {
        int32_t b1 = 0;
        int32_t b2 = 0;
        switch (mode) {
        case fmPass:
            reference_.ChangesAfter(a0_, black_, b1, b2);
            out_.Paint(a0_, b2, black_);
            a0_ = b2;
            break;
        case fmHorizontal: Horizontal(); break;
        case fmVL3:
        case fmVL2:
        case fmVL1:
        case fmV0:
        case fmVR1:
        case fmVR2:
        case fmVR3:
            reference_.ChangesAfter(a0_, black_, b1, b2);
            Vertical(b1 + (mode - fmV0));
            break;
        case fmExtension2D:
        case fmExtension1D: Uncompressed(); break;
        default: break;
        }
    }

    void Vertical(int64_t a1)
    {
        a1 = std::clamp<int64_t>(a1, std::max<int64_t>(a0_, 0), width_);
        out_.Paint(a0_, a1, black_);
        a0_ = a1;
        black_ = !black_;
    }

    void Horizontal()
    {
        const int64_t start = std::max<int64_t>(a0_, 0);
        const std::optional<int64_t> first = DecodeRun(reader_, black_, width_);
        if (!first)
            return;
        const std::optional<int64_t> second = DecodeRun(reader_, !black_, width_);
        if (!second)
            return;
        const int64_t a1 = std::min<int64_t>(start + *first, width_);
        const int64_t a2 = std::min<int64_t>(a1 + *second, width_);
        out_.Paint(start, a1, black_);
        out_.Paint(a1, a2, !black_);
        a0_ = a2;
    }

    // Uncompressed mode: k zeros and a 1 are k white pixels and a black one
    // (k < 5), or five white pixels (k = 5); k = 6 to 10 exits after k - 6
    // white pixels, the next bit giving the colour that follows.
    void Uncompressed()
    {
        int64_t x = std::max<int64_t>(a0_, 0);
        while (x < width_ && !reader_.AtEnd()) {
            int32_t zeros = 0;
            while (zeros <= 10 && reader_.Bit() == 0 && !reader_.AtEnd()) {
                ++zeros;
                reader_.Skip(1);
            }
            if (zeros > 10 || reader_.AtEnd())
                break;
            reader_.Skip(1);
            if (zeros <= 5) {
                x = std::min<int64_t>(x + zeros, width_);
                if (zeros < 5) {
                    out_.PaintBlack(x, x + 1);
                    x = std::min<int64_t>(x + 1, width_);
                }
                continue;
            }
            x = std::min<int64_t>(x + zeros - 6, width_);
            black_ = reader_.Bit() == 1;
            reader_.Skip(1);
            break;
        }
        a0_ = x;
    }

    // With fill, an end of line is any run of zeros and the 1 after it.
    void SkipEndOfLine(TFaxMode mode)
    {
        if (mode == fmEndOfLine) {
            reader_.Skip(FaxModeCodes()[fmEndOfLine].Length);
            return;
        }
        while (!reader_.AtEnd() && reader_.Bit() == 0)
            reader_.Skip(1);
        reader_.Skip(1);
    }

    TFaxRowWriter& out_;
    TFaxBitReader& reader_;
    const TFaxRow& reference_;
    int32_t width_;
    bool eolFill_;
    int64_t a0_ = -1;
    bool black_ = false;
};

bool RowFits(std::span<const uint8_t> row, int32_t width)
{
    return width >= 0 && row.size() >= static_cast<size_t>((static_cast<int64_t>(width) + 7) / 8);
}

} // namespace

int64_t FaxDecodeRow1D(std::span<uint8_t> row, std::span<const uint8_t> input, int32_t fillOrder, int64_t bitPosition,
                       int32_t width)
{
    if (!RowFits(row, width))
        return bitPosition;
    TFaxRowWriter out(row, width);
    TFaxBitReader reader(input, fillOrder, bitPosition);
    return std::min(DecodeRow1D(out, reader, width), reader.End());
}

int64_t FaxDecodeRowMH(std::span<uint8_t> row, std::span<const uint8_t> input, int32_t fillOrder, int32_t width)
{
    return (FaxDecodeRow1D(row, input, fillOrder, 0, width) + 7) / 8;
}

int64_t FaxDecodeRow2D(std::span<uint8_t> row, std::span<const uint8_t> input, bool eolFill, int32_t fillOrder,
                       int64_t bitPosition, std::span<uint8_t> referenceRow, int32_t width)
{
    if (!RowFits(row, width) || !RowFits(referenceRow, width))
        return bitPosition;
    const size_t rowBytes = (static_cast<size_t>(width) + 7) / 8;
    TFaxRowWriter out(row, width);
    TFaxBitReader reader(input, fillOrder, bitPosition);
    const TFaxRow reference(referenceRow, width, 0);
    if (!TFaxRow2DDecoder(out, reader, reference, width, eolFill).Run()) {
        TFaxRowWriter oneDimensional(row, width);
        DecodeRow1D(oneDimensional, reader, width);
    }
    std::memcpy(referenceRow.data(), row.data(), rowBytes);
    return std::min(reader.Position(), reader.End());
}
