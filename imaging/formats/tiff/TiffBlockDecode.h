#pragma once
// Decompression of one strip or tile of a TIFF page into rows of packed
// samples, with 16-bit samples in host order and the horizontal predictor
// undone. The rows go wherever the caller places them, so a strip laid out
// as the bitmap's rows is decoded into the bitmap itself.

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

#include "imaging/core/QkLzwHooks.h"

struct TTiffPage;
class TTiffDirectory;

struct TTiffBlockShape {
    int64_t Rows = 0;
    int64_t PixelsPerRow = 0;
    // Samples of one pixel within the block (1 in separate planes).
    int32_t Samples = 1;
};

// The memory of the block's row `row`, TiffRowLength bytes long.
using TTiffRowPlace = std::function<uint8_t*(int64_t row)>;

// Bytes of one row of `pixels` pixels of `samples` samples of `bits` bits.
int64_t TiffRowLength(int64_t pixels, int32_t samples, int32_t bits);

// Reads an uncompressed block from `offset` straight into its rows; what the
// file does not reach is 0. False for an offset past the stream's end.
bool ReadTiffRawBlock(const TTiffDirectory& directory, uint64_t offset, const TTiffPage& page,
                      const TTiffBlockShape& shape, const TTiffRowPlace& place);

// Decodes compressed `data` into shape.Rows rows; what the data does not
// reach is 0. False when the codec reports the data corrupt or the
// compression is not one this decoder knows.
bool DecodeTiffBlock(const TTiffPage& page, std::vector<uint8_t>& data, const TTiffBlockShape& shape,
                     const TTiffLzwDecoder& lzw, const TTiffRowPlace& place, std::atomic<bool>& aborting);
