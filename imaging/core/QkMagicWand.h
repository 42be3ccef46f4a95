#pragma once
// Magic-wand selection: pixels chosen by colour similarity to a seed pixel.
// A pixel passes when each of its red, green and blue values lies within
// `tolerance` of the seed pixel's; every pixel format is read as RGB. The
// region of a seed is the 4-connected set of passing pixels around it.
// A seed outside the image selects nothing.

#include <cstdint>
#include <vector>

#include "platform/gfx/Geometry.h"

class TQkBitmap;
class TQkMask;

// The outline of the seed's region as a polygon along the pixel edges, a
// point wherever the outline turns; empty when nothing is selected or the
// tracing grid (16 cells per pixel of the region's box) cannot be had.
// `maximumFilter` widens the region by a pixel inside its bounding box.
std::vector<TPoint> MagicWandOutline(TQkBitmap& bitmap, int32_t x, int32_t y, int32_t tolerance, bool maximumFilter);

// Sets `value` in the mask at the pixels of the seed's region; with
// `maximumFilter` also at a one-pixel ring around it, inside the image.
void MagicWandFloodFill(TQkBitmap& bitmap, int32_t x, int32_t y, int32_t value, TQkMask& mask, int32_t tolerance,
                        bool maximumFilter);

// Sets `value` in the mask at every pixel of the image that passes,
// connected to the seed or not.
void MagicWandColorMatch(TQkBitmap& bitmap, int32_t x, int32_t y, int32_t value, TQkMask& mask, int32_t tolerance);
