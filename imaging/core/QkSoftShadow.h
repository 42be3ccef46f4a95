#pragma once
// A soft drop shadow under the opaque part of an image: the alpha channel is
// the shape that casts it.

#include "imaging/core/QkBitmap.h"

// Blurs the alpha channel around the inclusive rectangle (widened by half
// the margin), moves the blur by dx, dy and composites the shadow colour
// under the image (qk24RGB and qk1g; other formats keep the shadow in their
// alpha channel only). A radius of 0 means the 3 x 3 blur with radius 2;
// the intensity (0..100) sets the strength of the shadow where the image is
// transparent. Returns the margin the shadow reaches beyond the shape, 0
// for an image without an alpha channel.
int32_t AddSoftShadow(TQkBitmap& bitmap, int32_t dx, int32_t dy, double radius, int32_t intensity, TColor colour,
                      int32_t x1, int32_t y1, int32_t x2, int32_t y2);
