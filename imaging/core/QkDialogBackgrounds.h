#pragma once
// The backgrounds of the library's preview dialogs (DialogsBackgroundStyle
// 1 and 2) and the gray palettes of class-library bitmaps.

#include <cstdint>
#include <vector>

#include "platform/gfx/Bitmap.h"

// `count` values of a Gaussian over -1..1 scaled so that the largest is
// `high`, the others down towards `low`. Empty for a count below 1.
std::vector<double> GaussianRamp(int32_t count, double low, double high, double sigma);
// A 24-bit bitmap of horizontal stripes of four gray levels.
void FillStripedGrayBitmap(TBitmap& bitmap, int32_t width, int32_t height);
// A 24-bit gray band brighter in the middle, with random noise.
void FillNoisyGradientBitmap(TBitmap& bitmap, int32_t width, int32_t height);

// Entry i of the 256-entry colour table becomes (i, i, i).
void SetTBitmapGrayPalette(TBitmap& bitmap);
// Every entry of the bitmap's colour table is the gray of its index; false
// for a bitmap without a colour table.
bool IsTBitmapGrayPalette(const TBitmap& bitmap);
