#pragma once
// Reading a row of any pixel format as RGB triples, shared by the gray
// histogram, the two-level conversion, the average colour and the format
// conversions.

#include "imaging/core/QkBitmap.h"

#include <cstdint>

// How the 16-bit words of qkRGB48 become bytes.
enum TQkWideWordScaling : uint8_t {
    qkHighByte, // word shr 8
    qkScaledWord, // trunc(word x 255 / 65535)
};

// The 16-bit samples of the wide formats, low byte first.
inline uint16_t ReadLittleWord(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline void WriteLittleWord(uint8_t* p, uint16_t value)
{
    p[0] = static_cast<uint8_t>(value);
    p[1] = static_cast<uint8_t>(value >> 8);
}

// Float to integer stores: truncated toward zero, then limited to the
// target's range (NaN gives 0), so values outside 0.0-1.0 never wrap.
uint8_t FloatToByte(double value);
uint16_t FloatToWord(double value);

// Row `row` of `bitmap` as `bitmap.GetWidth()` triples: qk1g black or white,
// qk8p through the palette (an index beyond it reads black), gray formats
// as three equal channels (qk16g its high byte, qk32f trunc(v x 255)
// limited to 0..255), qkCMYK and qkCIELab through their colour equations,
// qk32RGB its first three bytes. False when the row cannot be read.
bool ReadRowAsRGB(TQkBitmap& bitmap, int32_t row, TRGBPixel* out, TQkWideWordScaling scaling);
