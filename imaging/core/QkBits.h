#pragma once
// Bit and byte-order handling of pixel and file data, and row lengths.

#include <cstdint>

#include "imaging/core/QkPixels.h"
#include "platform/gfx/Bitmap.h"

// Bit `index` of a buffer, most significant bit of each byte first.
inline bool GetBitMSB(const uint8_t* buffer, int64_t index) { return GetBit(buffer, index); }
inline void SetBitMSB(uint8_t* buffer, int64_t index, bool value) { SetBit(buffer, index, value); }

// The width of a bit-field channel mask: the consecutive set bits from the
// lowest set bit among bits 0..30 (from bit 31 when none is set).
int32_t CountMaskBits(uint32_t mask);
// The smallest n with 2^n >= value; -1 for 0.
int32_t CeilLog2(uint32_t value);
// Bytes of a row of `width` pixels padded to `alignmentBits` (32 for DIB
// rows). Alignments below 8 bits pad to whole bytes; a negative width or
// bit count gives 0.
int64_t CalcRowLength(int64_t width, int32_t bitsPerPixel, int32_t alignmentBits);
int32_t PixelFormatBits(TPixelFormat format);
int64_t CalcTBitmapRowLength(int64_t width, TPixelFormat format);

// Reverses the bit order of one byte (TIFF fill order 2).
void ReverseByteBits(uint8_t& value);
void ReverseBits32(uint32_t& value);
// Swaps the two low bytes and keeps the high 16 bits.
uint32_t SwapWord(uint32_t value);
void SwapWordArray(uint16_t* words, int64_t count);
uint32_t SwapDWord(uint32_t value);
uint32_t SwapWordIf(uint32_t value, bool bigEndian);
uint32_t SwapDWordIf(uint32_t value, bool bigEndian);
// (2^bits)^samples in 32-bit arithmetic: wraps from 32 bits on.
uint32_t CalcColorCount(int32_t bitsPerSample, int32_t samplesPerPixel);
