#pragma once
// Turning a bitmap upright from the orientation a camera recorded in its
// EXIF or TIFF tags.

#include <cstdint>

#include "imaging/core/QkBitmap.h"

// Values 2 .. 8 mirror and turn the bitmap (and its alpha channel) in
// place so that it shows as orientation 1 would; any other value leaves it.
void ApplyEXIFOrientation(TQkBitmap& bitmap, int32_t orientation);
