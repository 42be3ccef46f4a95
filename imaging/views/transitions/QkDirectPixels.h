#pragma once
// Pixel transfers that bypass the canvas on a plain bitmap: with nothing
// clipping or offsetting the canvas and a source of its own 24- or 32-bit
// format, copying bytes gives exactly the pixels of the canvas's SRCCOPY
// blit, without building a clip region for every frame.

#include <cstdint>

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"
#include "platform/gfx/Geometry.h"

// The canvas draws unclipped, at no viewport offset, onto a bitmap other
// than `source` with `source`'s pixel format, 24 or 32 bits.
bool PlainCanvasFor(TCanvas& canvas, const TBitmap& source);

// Copies the part of `rect` inside `bounds` from `source` to the same place
// of `target`; both bitmaps cover `bounds`.
void CopyRectDirect(TBitmap& target, const TBitmap& source, const TRect& rect, const TRect& bounds);
