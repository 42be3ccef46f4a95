#pragma once
// Conversion between PNG rows and the rows of the image store, a Windows-style
// device-independent bitmap: 1/4/8 bits per pixel with a palette, or 24-bit
// blue-green-red, plus a separate alpha plane for the colour types with alpha.

#include <cstdint>

// Bits per pixel of the stored bitmap for a PNG layout: 2-bit images are
// kept with 4 bits, 16-bit samples keep their high byte.
uint32_t StoredBitsPerPixel(uint8_t colorType, uint8_t bitDepth);
bool StoredWithPalette(uint8_t colorType);
// The store keeps 2-bit samples with 4 bits, so that is the depth written.
uint8_t SavedBitDepth(uint8_t bitDepth);
bool HasAlphaPlane(uint8_t colorType);

// Sample `index` of a row of `bits`-bit samples, most significant bits first.
uint32_t GetPackedSample(const uint8_t* row, uint64_t index, uint32_t bits);
void SetPackedSample(uint8_t* row, uint64_t index, uint32_t bits, uint32_t value);

// The columns of one row that a pass touches: start + k * step for k < count.
struct TRowColumns {
    uint32_t Count;
    uint32_t Start = 0;
    uint32_t Step = 1;
};

// Decodes an unfiltered PNG row into the store row (and alpha row, for the
// colour types with alpha). Colour samples go through `gamma`.
void PngRowToStore(uint8_t colorType, uint8_t bitDepth, const uint8_t* samples, const TRowColumns& columns,
                   const uint8_t* gamma, uint8_t* storeRow, uint8_t* alphaRow);
// Builds an unfiltered PNG row from the store; colour samples go through
// `inverseGamma`, 16-bit samples get a low byte of 0.
void StoreToPngRow(uint8_t colorType, uint8_t bitDepth, const uint8_t* storeRow, const uint8_t* alphaRow,
                   const TRowColumns& columns, const uint8_t* inverseGamma, uint8_t* samples);
