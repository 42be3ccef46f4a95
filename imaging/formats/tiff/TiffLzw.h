#pragma once
// TIFF's LZW (compression 5): 9- to 12-bit codes, most significant bit
// first, Clear 256, EndOfInformation 257, widths growing one code early.

#include <atomic>
#include <cstdint>
#include <memory>

#include "imaging/core/QkLzwHooks.h"
#include "platform/core/Streams.h"

constexpr int32_t TiffLzwClearCode = 256;
constexpr int32_t TiffLzwEndCode = 257;
constexpr int32_t TiffLzwFirstFreeCode = 258;

// Decodes a strip row by row. The first call (empty state) starts on
// `input`, `inputSize` bytes long; later calls go on from where the last
// stopped, the input only telling that the strip continues. A null input
// frees the state and returns null. Returns the next row (`rowLength` bytes,
// valid until the next call), or null when the strip is corrupt: the first
// code after a Clear past the literals, a table overflow, a first code that
// refers to a missing string, or an old-style (pre-6.0) LZW strip. A row
// that the data ends inside is zero-filled from there and sets `aborting`.
// Fill order 2 reads each byte least significant bit first.
const uint8_t* TiffLzwDecode(const uint8_t* input, int64_t inputSize, int32_t rowLength, TTiffLzwDecodeStatePtr& state,
                             int32_t fillOrder, std::atomic<bool>& aborting);

// True for strips of the old, least-significant-bit-first LZW that writers
// before TIFF 6.0 made; they are not supported.
bool IsOldStyleTiffLzw(const uint8_t* input, int64_t inputSize);

// Encodes a strip: the first call (empty state) emits Clear; every call
// continues the same code stream; a null row ends the strip (the pending
// string, EndOfInformation, padding to a byte) and frees the state. A short
// write sets `aborting`.
void TiffLzwEncode(const uint8_t* row, int64_t byteCount, TStream& stream, TTiffLzwEncodeStatePtr& state,
                   std::atomic<bool>& aborting);
