#pragma once
// The run-length codecs of Windows bitmap files: RLE8 (one index a byte) and
// RLE4 (two indexes a byte, high nibble first).

#include <cstdint>
#include <span>
#include <vector>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkPixels.h"
#include "imaging/core/QkSettings.h"

// Decode into an allocated bitmap: qk8p stores the indexes, qk24RGB the
// palette colours (an index beyond the palette reads black). Pixels past a
// row's end are dropped. The first row
// decoded is the bottom one unless `topDown`. Decoding stops at the end of
// the data, at the end-of-bitmap code, after the last row, at a move that
// leaves the image, or when the progress record's aborting flag is set.
// Returns false, writing nothing, for a bitmap of another pixel format.
bool DecodeBmpRle8(TQkBitmap& bitmap, std::span<const uint8_t> data, bool topDown, TQkFilterProgress& progress,
                   std::span<const TRGBPixel> colorMap);
bool DecodeBmpRle4(TQkBitmap& bitmap, std::span<const uint8_t> data, bool topDown, TQkFilterProgress& progress,
                   std::span<const TRGBPixel> colorMap);

// Append one row's codes, ending with the end-of-row code, and return their
// byte count. The end-of-bitmap code is the writer's to add after the last row.
int32_t EncodeBmpRle8Row(std::span<const uint8_t> row, std::vector<uint8_t>& output);
int32_t EncodeBmpRle4Row(std::span<const uint8_t> row, std::vector<uint8_t>& output);
