#pragma once
// The work of the selection-aware operations: gray conversion and solid
// fill of a rectangle (x1 .. x2 - 1 by y1 .. y2 - 1, x2 and y2 limited to
// the image). Colours are packed red << 16 | green << 8 | blue.

#include "imaging/core/QkBitmap.h"

// qk24RGB only: every pixel gets its gray level.
void ConvertRegionToGray(TQkBitmap& bitmap, int32_t x1, int32_t y1, int32_t x2, int32_t y2, TObject* sender,
                         const TQkProgressEvent& onProgress);
// qk1g: white when the colour's red is not 0, else black; qk8g: the gray
// level; qk24RGB: the colour; other formats through FillRect, without
// progress.
void FillRegion(TQkBitmap& bitmap, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour, TObject* sender,
                const TQkProgressEvent& onProgress);
