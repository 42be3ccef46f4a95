#pragma once
// Little-endian fields of the Windows bitmap and icon headers, reads that
// zero what the stream could not supply, and palettes.

#include <cstdint>
#include <span>
#include <vector>

#include "imaging/core/QkPixels.h"

class TStream;
class TIOParamsVals;

inline uint16_t GetLe16(const uint8_t* bytes) { return uint16_t(bytes[0] | bytes[1] << 8); }
inline uint32_t GetLe32(const uint8_t* bytes)
{
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
}
inline void PutLe16(std::vector<uint8_t>& out, uint32_t value)
{
    out.push_back(uint8_t(value));
    out.push_back(uint8_t(value >> 8));
}
inline void PutLe32(std::vector<uint8_t>& out, uint32_t value)
{
    PutLe16(out, value & 0xFFFF);
    PutLe16(out, value >> 16);
}

// Reads `count` bytes; those past the stream's end become 0. Returns the
// number of bytes the stream supplied.
int64_t ReadZeroFilled(TStream& stream, void* buffer, int64_t count);

// Pixels per metre of a header as dots per inch (halves to even); the
// default resolution when that is not above 0.
int32_t DpiOfPixelsPerMetre(int32_t pixelsPerMetre, int32_t defaultDpi);
int32_t PixelsPerMetreOfDpi(int32_t dpi);

// `count` entries of `entrySize` bytes (blue, green, red first) become the
// parameters' ColorMap.
void ReadPaletteEntries(TStream& stream, TIOParamsVals& params, int32_t count, int32_t entrySize);
// A row of 4-bit (high nibble first) or 8-bit indexes: as they are into a
// qk8p row, else through the palette into blue, green, red, an index beyond
// the palette giving black.
void ExpandIndexRow(const uint8_t* row, int32_t bits, int32_t width, std::span<const TRGBPixel> palette, bool native,
                    uint8_t* line);
