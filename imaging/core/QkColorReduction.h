#pragma once
// Colour reduction of whole bitmaps: the average colour and the two ways of
// turning a 24-bit image into a 1-bit one in place.

#include "imaging/core/QkBitmap.h"

// Row sums divided by the width, their total divided by the height; 128
// gray when a row cannot be read.
TRGBPixel ComputeAverageColor(TQkBitmap& bitmap);

// qk24RGB only, other formats are left alone: ordered dither, or the
// threshold conversion with `mode` (-1 average, -2 maximum entropy, or a
// gray level).
void DitherTo1Bit(TQkBitmap& bitmap, TQkFilterProgress* progress);
void ThresholdTo1Bit(TQkBitmap& bitmap, int32_t mode, TQkFilterProgress* progress);
