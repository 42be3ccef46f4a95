#pragma once
// Colour reduction of whole bitmaps: the average colour and the two ways of
// turning a 24-bit image into a 1-bit one in place.

#include "imaging/core/QkBitmap.h"

#include <memory>
#include <span>

// Row sums divided by the width, their total divided by the height; 128
// gray when a row cannot be read.
TRGBPixel ComputeAverageColor(TQkBitmap& bitmap);

// qk24RGB only, other formats are left alone: ordered dither, or the
// threshold conversion with `mode` (-1 average, -2 maximum entropy, or a
// gray level).
void DitherTo1Bit(TQkBitmap& bitmap, TQkFilterProgress* progress);
void ThresholdTo1Bit(TQkBitmap& bitmap, int32_t mode, TQkFilterProgress* progress);

// qk24RGB only, other formats are left alone: every pixel replaced by its
// entry of a palette of at most `colours` colours (nothing for fewer than
// one). The palette, when given, receives the entries; otherwise a
// temporary one is used.
void QuantizeInPlace(TQkBitmap& bitmap, int32_t colours, std::span<TRGBPixel> palette, TQkFilterProgress* progress);

// A qk1g copy when the image holds exactly two colours, the darker as
// `colour0` (bit 0); nullptr otherwise.
std::unique_ptr<TQkBitmap> MakeBilevelIfTwoColors(TQkBitmap& bitmap, TRGBPixel& colour0, TRGBPixel& colour1);

// Index of the entry nearest to `colour` ($00RRGGBB) by the sum of channel
// differences; the first of equally near entries; 0 for an empty palette.
int32_t FindNearestColor(const TRGBPixel* palette, int32_t count, uint32_t colour);
