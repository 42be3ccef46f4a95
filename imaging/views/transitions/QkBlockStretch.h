#pragma once
// The painters' block transfer: stretch(dest ← source block) with the
// canvas's stretch mode; equal sizes make it a plain copy.

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"
#include "platform/gfx/Geometry.h"

// Blocks may lie partly or wholly outside the canvas; negative sizes mirror.
// A halftone shrink between unclipped 24-bit bitmaps takes a direct path
// with the canvas's own averaging, pixel for pixel.
void StretchBlock(TCanvas& canvas, const TRect& dest, TBitmap& source, const TRect& sourceRect);
