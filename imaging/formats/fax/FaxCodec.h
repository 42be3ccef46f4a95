#pragma once
// The bilevel fax codecs of TIFF compressions 2, 3 and 4: CCITT modified
// Huffman, ITU-T T.4 (one- and two-dimensional) and T.6, row by row.
//
// Rows are packed bits, pixel 0 in the most significant bit of byte 0, and
// hold ceil(width / 8) bytes. Decoded rows have 1 for white and 0 for black;
// encoder input rows have 0 for white and 1 for black. Fill order 1 reads
// and writes each byte's bits most significant first, fill order 2 least
// significant first.

#include <atomic>
#include <cstdint>
#include <span>
#include <vector>

#include "platform/core/Streams.h"

// One-dimensional row from `bitPosition`; returns the bit position after it.
// An end of line ends the row (painting the rest black when it falls inside
// a black run); so does the end of the input. Unknown bits are skipped.
int64_t FaxDecodeRow1D(std::span<uint8_t> row, std::span<const uint8_t> input, int32_t fillOrder, int64_t bitPosition,
                       int32_t width);
// A modified Huffman row from the input's start; returns the bytes it used.
int64_t FaxDecodeRowMH(std::span<uint8_t> row, std::span<const uint8_t> input, int32_t fillOrder, int32_t width);
// Two-dimensional row against `referenceRow` (the previous decoded row, all
// white before a strip's first), which receives the decoded row. With
// `eolFill`, unknown bits up to the next 1 are taken as an end of line's fill.
// A row that starts with an end of line tagged 1 is one-dimensional.
int64_t FaxDecodeRow2D(std::span<uint8_t> row, std::span<const uint8_t> input, bool eolFill, int32_t fillOrder,
                       int64_t bitPosition, std::span<uint8_t> referenceRow, int32_t width);

// What an encoder carries from row to row within a strip.
struct TFaxEncoderState {
    // A copy of the previous input row; empty before the strip's first.
    std::vector<uint8_t> ReferenceRow;
    int32_t PendingBitCount = 0;
    uint8_t PendingByte = 0; // most significant bits first
};

// Writes go through SafeStreamWrite: a short write sets `aborting`.
// One row, padded to a whole byte.
void FaxEncodeRowMH(const uint8_t* row, int32_t width, TStream& stream, int32_t fillOrder, std::atomic<bool>& aborting);
// One-dimensional rows back to back, each after an end of line; a null row
// pads the strip to a byte.
void FaxEncodeRow1D(const uint8_t* row, int32_t width, TStream& stream, int32_t fillOrder, std::atomic<bool>& aborting,
                    TFaxEncoderState& state);
// T.4 two-dimensional: every row starts with an end of line, the first of a
// strip tagged 1 and coded one-dimensionally, the others tagged 0 and coded
// against the previous row. A null row ends the strip with an end of line.
void FaxEncodeRowG3(const uint8_t* row, int32_t width, TStream& stream, int32_t fillOrder, std::atomic<bool>& aborting,
                    TFaxEncoderState& state);
// T.6: every row coded against the previous one (all white before the
// first); a null row ends the strip with EOFB.
void FaxEncodeRowG4(const uint8_t* row, int32_t width, TStream& stream, int32_t fillOrder, std::atomic<bool>& aborting,
                    TFaxEncoderState& state);
