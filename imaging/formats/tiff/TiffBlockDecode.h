#pragma once
// Decompression of one strip or tile of a TIFF page into rows of packed
// samples, with 16-bit samples in host order and the horizontal predictor
// undone.

#include <atomic>
#include <cstdint>
#include <vector>

#include "imaging/core/QkLzwHooks.h"

struct TTiffPage;

struct TTiffBlockShape {
    int64_t Rows = 0;
    int64_t PixelsPerRow = 0;
    // Samples of one pixel within the block (1 in separate planes).
    int32_t Samples = 1;
};

// Bytes of one row of `pixels` pixels of `samples` samples of `bits` bits.
int64_t TiffRowLength(int64_t pixels, int32_t samples, int32_t bits);

// Decodes `data` into shape.Rows rows of TiffRowLength bytes; what the data
// does not reach stays 0. False when the codec reports the data corrupt or
// the compression is not one this decoder knows.
bool DecodeTiffBlock(const TTiffPage& page, std::vector<uint8_t>& data, const TTiffBlockShape& shape,
                     const TTiffLzwDecoder& lzw, std::vector<uint8_t>& rows, std::atomic<bool>& aborting);
