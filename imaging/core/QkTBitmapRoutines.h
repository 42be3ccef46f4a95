#pragma once
// Free routines between the platform's TBitmap and the library's formats.

#include "imaging/core/QkBaseBitmap.h"
#include "platform/gfx/Bitmap.h"

class TQkBitmap;

// The library format a TBitmap's pixels are read into: pf1bit qk1g, pf4bit
// and pf8bit qk8p, every other format qk24RGB.
TQkPixelFormat PixelFormatToQk(TPixelFormat format);
// For a pf8bit `source` and a qk8p `destination`: each colour-table entry of
// the source into the destination's palette (as many as both hold).
// Nothing for other formats.
void CopyTBitmapPalette(const TBitmap& source, TQkBitmap& destination);
