#include "controls/png/PngPixelLayout.h"

#include "controls/png/PngFilters.h"

uint32_t StoredBitsPerPixel(uint8_t colorType, uint8_t bitDepth)
{
    if (colorType == COLOR_RGB || colorType == COLOR_RGBALPHA)
        return 24;
    if (bitDepth == 2)
        return 4;
    return bitDepth == 16 ? 8 : bitDepth;
}

uint8_t SavedBitDepth(uint8_t bitDepth) { return bitDepth == 2 ? 4 : bitDepth; }

bool StoredWithPalette(uint8_t colorType)
{
    return colorType == COLOR_GRAYSCALE || colorType == COLOR_PALETTE || colorType == COLOR_GRAYSCALEALPHA;
}

bool HasAlphaPlane(uint8_t colorType) { return colorType == COLOR_GRAYSCALEALPHA || colorType == COLOR_RGBALPHA; }

uint32_t GetPackedSample(const uint8_t* row, uint64_t index, uint32_t bits)
{
    if (bits == 8)
        return row[index];
    const uint64_t bit = index * bits;
    const uint32_t shift = 8 - bits - static_cast<uint32_t>(bit % 8);
    return (row[bit / 8] >> shift) & ((1u << bits) - 1);
}

void SetPackedSample(uint8_t* row, uint64_t index, uint32_t bits, uint32_t value)
{
    if (bits == 8) {
        row[index] = static_cast<uint8_t>(value);
        return;
    }
    const uint64_t bit = index * bits;
    const uint32_t shift = 8 - bits - static_cast<uint32_t>(bit % 8);
    const uint32_t mask = ((1u << bits) - 1) << shift;
    uint8_t& target = row[bit / 8];
    target = static_cast<uint8_t>((target & ~mask) | ((value << shift) & mask));
}

namespace {

// Gray and palette samples; 2-bit gray is widened so that 3 becomes 15.
void IndexedToStore(uint8_t colorType, uint8_t bitDepth, const uint8_t* samples, const TRowColumns& columns,
                    uint8_t* storeRow)
{
    const uint32_t storedBits = StoredBitsPerPixel(colorType, bitDepth);
    for (uint32_t k = 0; k < columns.Count; ++k) {
        uint32_t value = bitDepth == 16 ? samples[2 * uint64_t{k}] : GetPackedSample(samples, k, bitDepth);
        if (bitDepth == 2 && colorType == COLOR_GRAYSCALE)
            value = (value << 2) | value;
        SetPackedSample(storeRow, columns.Start + uint64_t{k} * columns.Step, storedBits, value);
    }
}

void ColorToStore(uint8_t colorType, uint8_t bitDepth, const uint8_t* samples, const TRowColumns& columns,
                  const uint8_t* gamma, uint8_t* storeRow, uint8_t* alphaRow)
{
    const uint32_t sampleBytes = bitDepth / 8;
    const uint32_t channels = colorType == COLOR_RGB ? 3 : colorType == COLOR_RGBALPHA ? 4 : 2;
    for (uint32_t k = 0; k < columns.Count; ++k) {
        const uint8_t* pixel = samples + uint64_t{k} * channels * sampleBytes;
        const uint64_t column = columns.Start + uint64_t{k} * columns.Step;
        if (colorType == COLOR_GRAYSCALEALPHA) {
            storeRow[column] = pixel[0];
        } else {
            uint8_t* target = storeRow + column * 3;
            target[0] = gamma[pixel[2 * sampleBytes]];
            target[1] = gamma[pixel[sampleBytes]];
            target[2] = gamma[pixel[0]];
        }
        if (alphaRow)
            alphaRow[column] = pixel[(channels - 1) * sampleBytes];
    }
}

void StoreToIndexed(uint8_t bitDepth, const uint8_t* storeRow, const TRowColumns& columns, uint8_t* samples)
{
    for (uint32_t k = 0; k < columns.Count; ++k) {
        const uint64_t column = columns.Start + uint64_t{k} * columns.Step;
        if (bitDepth == 16) {
            samples[2 * uint64_t{k}] = storeRow[column];
            samples[2 * uint64_t{k} + 1] = 0;
        } else {
            SetPackedSample(samples, k, bitDepth, GetPackedSample(storeRow, column, bitDepth));
        }
    }
}

void StoreToColor(uint8_t colorType, uint8_t bitDepth, const uint8_t* storeRow, const uint8_t* alphaRow,
                  const TRowColumns& columns, const uint8_t* inverseGamma, uint8_t* samples)
{
    const uint32_t sampleBytes = bitDepth / 8;
    const uint32_t channels = colorType == COLOR_RGB ? 3 : colorType == COLOR_RGBALPHA ? 4 : 2;
    for (uint32_t k = 0; k < columns.Count; ++k) {
        uint8_t* pixel = samples + uint64_t{k} * channels * sampleBytes;
        const uint64_t column = columns.Start + uint64_t{k} * columns.Step;
        uint8_t values[4];
        if (colorType == COLOR_GRAYSCALEALPHA) {
            values[0] = storeRow[column];
        } else {
            const uint8_t* source = storeRow + column * 3;
            values[0] = inverseGamma[source[2]];
            values[1] = inverseGamma[source[1]];
            values[2] = inverseGamma[source[0]];
        }
        if (alphaRow)
            values[channels - 1] = alphaRow[column];
        for (uint32_t c = 0; c < channels; ++c) {
            pixel[c * sampleBytes] = values[c];
            if (sampleBytes == 2)
                pixel[c * 2 + 1] = 0;
        }
    }
}

} // namespace

void PngRowToStore(uint8_t colorType, uint8_t bitDepth, const uint8_t* samples, const TRowColumns& columns,
                   const uint8_t* gamma, uint8_t* storeRow, uint8_t* alphaRow)
{
    if (colorType == COLOR_GRAYSCALE || colorType == COLOR_PALETTE)
        IndexedToStore(colorType, bitDepth, samples, columns, storeRow);
    else
        ColorToStore(colorType, bitDepth, samples, columns, gamma, storeRow, alphaRow);
}

void StoreToPngRow(uint8_t colorType, uint8_t bitDepth, const uint8_t* storeRow, const uint8_t* alphaRow,
                   const TRowColumns& columns, const uint8_t* inverseGamma, uint8_t* samples)
{
    if (colorType == COLOR_GRAYSCALE || colorType == COLOR_PALETTE)
        StoreToIndexed(bitDepth, storeRow, columns, samples);
    else
        StoreToColor(colorType, bitDepth, storeRow, alphaRow, columns, inverseGamma, samples);
}
