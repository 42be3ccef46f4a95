#pragma once
// Two-level (1-bit) images: the ordered-dither matrix and levels, the gray
// histogram, the threshold conversion of any format and the expansion of a
// 1-bit TBitmap to 24 bits.

#include "imaging/core/QkBitmap.h"

#include <array>
#include <cstdint>

class TBitmap;

// The 8 x 8 Bayer index matrix, looked up as [column mod 8][row mod 8].
extern const std::array<std::array<int32_t, 8>, 8> BayerMatrix;

// Dither levels 0..64: a pixel becomes white when its level is above the
// Bayer entry of its position. Near-white pixels get 64, above every entry,
// so pure white never gains black dots.
uint8_t DitherLevelOfGray(uint8_t gray);
uint8_t DitherLevelOfRGB(const TRGBPixel& pixel);
inline bool DitherBit(uint8_t level, int32_t x, int32_t y) { return level > BayerMatrix[x & 7][y & 7]; }

// Gray level of every pixel; qk1g counts black in [0] and white in [1].
void GrayHistogram(TQkBitmap& bitmap, std::array<int32_t, 256>& counters);

// Threshold -2 picks the maximum-entropy threshold (staying -2 when no
// threshold scores), -1 the gray level of the average colour.
int32_t MaximumEntropyThreshold(const std::array<int32_t, 256>& counters, int64_t pixels);

// Fills `destination`, a qk1g bitmap of the source's size: white where the
// gray level is not below the threshold. A qk1g source is copied.
void ConvertToBilevel(TQkBitmap& source, TQkBitmap& destination, int32_t threshold, TQkFilterProgress* progress);

// `destination` becomes the 24-bit black-and-white copy of a 1-bit TBitmap.
void ExpandMonoTBitmapTo24(const TBitmap& source, TBitmap& destination, TQkFilterProgress* progress);

// The per-row progress of the two-level routines: trunc((row + 1) x 100 / (height + 0.5)).
void ReportRowProgress(TQkFilterProgress* progress, int32_t row, int32_t height);
