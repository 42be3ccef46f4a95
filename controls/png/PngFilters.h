#pragma once
// The byte-level pieces of the PNG format: the chunk CRC, the row filters
// with the encoder's choice of filter, Adam7 pass geometry and the row sizes
// of every colour type.

#include <cstddef>
#include <cstdint>
#include <vector>

// ---- CRC ------------------------------------------------------------------

// Feeds bytes into a running CRC-32 register (start with 0xFFFFFFFF, complement
// at the end). The table is built once per process, on first use.
uint32_t UpdateChunkCrc(uint32_t crc, const uint8_t* bytes, size_t length);
// The finished CRC of a chunk: over its four name bytes and its data.
uint32_t ChunkCrc(const uint8_t name[4], const uint8_t* data, size_t length);

// ---- Colour types and row geometry ----------------------------------------

constexpr uint8_t COLOR_GRAYSCALE = 0;
constexpr uint8_t COLOR_RGB = 2;
constexpr uint8_t COLOR_PALETTE = 3;
constexpr uint8_t COLOR_GRAYSCALEALPHA = 4;
constexpr uint8_t COLOR_RGBALPHA = 6;

// The colour type / bit depth pairs the PNG format allows.
bool IsValidPngLayout(uint8_t colorType, uint8_t bitDepth);

// Bytes of one PNG row of `width` pixels (without the filter-type byte).
uint64_t RowBytesFor(uint8_t colorType, uint8_t bitDepth, uint64_t width);
// Distance in bytes from a byte to the corresponding byte of the pixel to its left.
uint32_t FilterDistanceFor(uint8_t colorType, uint8_t bitDepth);

struct TAdam7Pass {
    uint32_t RowStart;
    uint32_t ColumnStart;
    uint32_t RowStep;
    uint32_t ColumnStep;
};
extern const TAdam7Pass Adam7Passes[7];
uint32_t Adam7PassColumns(const TAdam7Pass& pass, uint32_t width);

// ---- Row filters ----------------------------------------------------------

constexpr uint8_t FILTER_NONE = 0;
constexpr uint8_t FILTER_SUB = 1;
constexpr uint8_t FILTER_UP = 2;
constexpr uint8_t FILTER_AVERAGE = 3;
constexpr uint8_t FILTER_PAETH = 4;

// A set of filter types: bit n stands for filter type n.
using TFilters = uint8_t;
constexpr TFilters pfNone = 1 << FILTER_NONE;
constexpr TFilters pfSub = 1 << FILTER_SUB;
constexpr TFilters pfUp = 1 << FILTER_UP;
constexpr TFilters pfAverage = 1 << FILTER_AVERAGE;
constexpr TFilters pfPaeth = 1 << FILTER_PAETH;

uint8_t PaethPredict(uint8_t left, uint8_t above, uint8_t upperLeft);

// Reverses a row filter in place. `previous` is the previous unfiltered row
// (all zero for the first row of an image or pass). Unknown filter types
// leave the row unchanged.
void UnfilterRow(uint8_t filterType, uint8_t* row, const uint8_t* previous, size_t rowBytes, size_t distance);

// Filters the rows of one image or pass for the encoder, choosing a filter
// per row from a set. It remembers the previous raw row itself.
class TRowFilterChooser {
public:
    TRowFilterChooser(TFilters filters, size_t distance);

    // Starts an image or pass whose rows have `rowBytes` bytes.
    void Restart(size_t rowBytes);
    // Filters `raw` and returns the chosen filter type; `filtered` then
    // points at the filtered row (valid until the next call).
    uint8_t Choose(const uint8_t* raw, const uint8_t*& filtered);

private:
    void ApplyFilter(uint8_t filterType, const uint8_t* raw);
    static size_t Score(const std::vector<uint8_t>& row);

    TFilters Filters;
    size_t Distance;
    size_t RowBytes = 0;
    std::vector<uint8_t> Previous;
    std::vector<uint8_t> Raw;
    std::vector<uint8_t> Output[5];
};
