#include <algorithm>

#include "imaging/core/QkBits.h"
#include "imaging/core/QkStreamRoutines.h"
#include "imaging/formats/fax/FaxCodeTables.h"
#include "imaging/formats/fax/FaxCodec.h"
#include "imaging/formats/fax/FaxRows.h"

namespace {

constexpr int32_t LongestMakeUp = 2560;

// Collects one call's code bits behind the strip's pending bits and writes
// the whole bytes; the last partial byte goes back to the state.
class TFaxBitWriter {
public:
    TFaxBitWriter(TFaxEncoderState& state, int32_t width) : state_(state)
    {
        // The worst row alternates colours at every pixel: per changing
        // element at most a horizontal code and a black and a white
        // terminating code, or a pass and a vertical code; plus an end of
        // line, a tag and the make-up codes of long runs.
        const int64_t worstBits = (static_cast<int64_t>(width) + 1) * 27 + 64;
        bytes_.reserve(static_cast<size_t>(worstBits / 8 + 1));
        bits_ = state.PendingByte;
        bitCount_ = state.PendingBitCount;
    }

    void Put(uint32_t value, int32_t length)
    {
        for (int32_t bit = length - 1; bit >= 0; --bit) {
            bits_ = static_cast<uint8_t>(bits_ | ((value >> bit) & 1) << (7 - bitCount_));
            if (++bitCount_ == 8) {
                bytes_.push_back(bits_);
                bits_ = 0;
                bitCount_ = 0;
            }
        }
    }

    void Put(const TFaxCode& code) { Put(code.Value, code.Length); }

    void PadToByte()
    {
        if (bitCount_ > 0)
            Put(0, 8 - bitCount_);
    }

    void Flush(TStream& stream, int32_t fillOrder, std::atomic<bool>& aborting)
    {
        if (fillOrder == 2) {
            for (uint8_t& byte : bytes_)
                ReverseByteBits(byte);
        }
        if (!bytes_.empty())
            SafeStreamWrite(stream, aborting, bytes_.data(), static_cast<int64_t>(bytes_.size()));
        state_.PendingByte = bits_;
        state_.PendingBitCount = bitCount_;
    }

private:
    TFaxEncoderState& state_;
    std::vector<uint8_t> bytes_;
    uint8_t bits_ = 0;
    int32_t bitCount_ = 0;
};

void PutRun(TFaxBitWriter& out, int32_t run, bool black)
{
    const TFaxRunTable& codes = FaxRunCodes(black);
    while (run > LongestMakeUp) {
        out.Put(codes[FaxMakeUpEntry(LongestMakeUp)]);
        run -= LongestMakeUp;
    }
    if (run >= 64) {
        out.Put(codes[FaxMakeUpEntry(run / 64 * 64)]);
        run %= 64;
    }
    out.Put(codes[run]);
}

void PutEndOfLine(TFaxBitWriter& out) { out.Put(FaxModeCodes()[fmEndOfLine]); }

// Alternating runs from white; a row starting black starts with a white run of 0.
void EncodeRow1D(TFaxBitWriter& out, const TFaxRow& row, int32_t width)
{
    bool black = false;
    int32_t x = 0;
    do {
        const int32_t end = x < width && row.IsBlack(x) == black ? row.NextChange(x + 1) : x;
        PutRun(out, end - x, black);
        x = end;
        black = !black;
    } while (x < width);
}

// The T.4 two-dimensional coding procedure.
void EncodeRow2D(TFaxBitWriter& out, const TFaxRow& row, const TFaxRow& reference, int32_t width)
{
    const auto& modes = FaxModeCodes();
    int32_t a0 = -1;
    bool black = false;
    while (a0 < width) {
        const int32_t a1 = row.NextChange(a0 + 1);
        int32_t b1 = 0;
        int32_t b2 = 0;
        reference.ChangesAfter(a0, black, b1, b2);
        if (b2 < a1) {
            out.Put(modes[fmPass]);
            a0 = b2;
        } else if (a1 - b1 >= -3 && a1 - b1 <= 3) {
            out.Put(modes[fmV0 + (a1 - b1)]);
            a0 = a1;
            black = !black;
        } else {
            const int32_t a2 = a1 < width ? row.NextChange(a1 + 1) : width;
            out.Put(modes[fmHorizontal]);
            PutRun(out, a1 - std::max(a0, 0), black);
            PutRun(out, a2 - a1, !black);
            a0 = a2;
        }
    }
}

std::span<const uint8_t> RowBits(const uint8_t* row, int32_t width)
{
    return {row, (static_cast<size_t>(width) + 7) / 8};
}

enum class TStripCoding { OneD, G3, G4 };

// T.4 starts every line with an end of line (readers such as libtiff find the
// rows by them), tagged in two-dimensional strips; T.6 rows are bare.
void CodeRow(TFaxBitWriter& out, const uint8_t* row, int32_t width, TFaxEncoderState& state, TStripCoding coding)
{
    const TFaxRow coded(RowBits(row, width), width, 1);
    const size_t rowBytes = RowBits(row, width).size();
    if (coding != TStripCoding::G4)
        PutEndOfLine(out);
    if (coding == TStripCoding::OneD)
        return EncodeRow1D(out, coded, width);
    const bool firstRow = state.ReferenceRow.size() != rowBytes;
    if (coding == TStripCoding::G3)
        out.Put(firstRow ? 1 : 0, 1);
    if (firstRow && coding == TStripCoding::G3)
        EncodeRow1D(out, coded, width);
    else
        EncodeRow2D(out, coded, TFaxRow(firstRow ? std::vector<uint8_t>(rowBytes) : state.ReferenceRow, width, 1),
                    width);
    state.ReferenceRow.assign(row, row + rowBytes);
}

// The end of a strip: an end of line after T.4 two-dimensional rows, EOFB
// (two) after T.6 rows; then padding to a byte.
void EndStrip(TFaxBitWriter& out, TFaxEncoderState& state, TStripCoding coding)
{
    const int32_t endOfLines = coding == TStripCoding::G4 ? 2 : coding == TStripCoding::G3 ? 1 : 0;
    for (int32_t i = 0; i < endOfLines; ++i)
        PutEndOfLine(out);
    out.PadToByte();
    state.ReferenceRow.clear();
}

bool BadArguments(int32_t width, int32_t fillOrder) { return width < 0 || (fillOrder != 1 && fillOrder != 2); }

void EncodeStripRow(const uint8_t* row, int32_t width, TStream& stream, int32_t fillOrder, std::atomic<bool>& aborting,
                    TFaxEncoderState& state, TStripCoding coding)
{
    if (BadArguments(width, fillOrder))
        return;
    TFaxBitWriter out(state, width);
    if (row)
        CodeRow(out, row, width, state, coding);
    else
        EndStrip(out, state, coding);
    out.Flush(stream, fillOrder, aborting);
}

} // namespace

void FaxEncodeRowMH(const uint8_t* row, int32_t width, TStream& stream, int32_t fillOrder, std::atomic<bool>& aborting)
{
    if (!row || BadArguments(width, fillOrder))
        return;
    TFaxEncoderState state;
    TFaxBitWriter out(state, width);
    EncodeRow1D(out, TFaxRow(RowBits(row, width), width, 1), width);
    out.PadToByte();
    out.Flush(stream, fillOrder, aborting);
}

void FaxEncodeRow1D(const uint8_t* row, int32_t width, TStream& stream, int32_t fillOrder, std::atomic<bool>& aborting,
                    TFaxEncoderState& state)
{
    EncodeStripRow(row, width, stream, fillOrder, aborting, state, TStripCoding::OneD);
}

void FaxEncodeRowG3(const uint8_t* row, int32_t width, TStream& stream, int32_t fillOrder, std::atomic<bool>& aborting,
                    TFaxEncoderState& state)
{
    EncodeStripRow(row, width, stream, fillOrder, aborting, state, TStripCoding::G3);
}

void FaxEncodeRowG4(const uint8_t* row, int32_t width, TStream& stream, int32_t fillOrder, std::atomic<bool>& aborting,
                    TFaxEncoderState& state)
{
    EncodeStripRow(row, width, stream, fillOrder, aborting, state, TStripCoding::G4);
}
