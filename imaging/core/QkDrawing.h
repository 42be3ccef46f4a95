#pragma once
// Drawing routines of the image view and the processing dialogs: 3-D
// frames, darkening around a rectangle and shadow strips beside a framed
// image.

#include <cstdint>

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"

class TQkCanvas;

// One-pixel lines in copy mode: the highlight along the left and top
// edges, the shadow along the bottom and right edges.
void Draw3DFrame(TCanvas& canvas, const TRect& rect, TColor highlight, TColor shadow);
void Draw3DFrameQk(TQkCanvas& canvas, const TRect& rect, TColor highlight, TColor shadow);

// Darkens the bands of `outer` around `inner` with a semi-transparent black;
// nothing when `inner` is empty.
void ShadeOutsideRect(TCanvas& canvas, const TRect& outer, const TRect& inner);

// Shadow strips to the right of and below a framed image; the strip's
// corners are inclusive. Kinds: 1 the canvas's brush, 2 a darkening that
// fades away from the image, 3 a light gray gradient. Pixels of kind 2 that
// lie inside `image` (24-bit, may be null) are darkened in its rows, all
// others through the canvas.
void DrawRightShadow(TCanvas& canvas, TBitmap* image, int32_t left, int32_t top, int32_t right, int32_t bottom,
                     int32_t kind);
void DrawBottomShadow(TCanvas& canvas, TBitmap* image, int32_t left, int32_t top, int32_t right, int32_t bottom,
                      int32_t kind);

// A blurred shadow around the inclusive rectangle of a 24-bit bitmap,
// reaching 5 pixels beyond it and heavier to the right and bottom; the
// rectangle itself is left alone. Other formats are not changed.
void DrawSoftShadow(TBitmap& bitmap, int32_t left, int32_t top, int32_t right, int32_t bottom);
