#pragma once
// Rotation by multiples of a quarter turn. Positive angles turn the image
// counter-clockwise as seen on screen.

#include "imaging/core/QkBitmap.h"

// True when the angle is a whole number divisible by 90.
bool IsMultipleOf90(double angle);

// The destination is re-allocated as H x W in the source's format (with its
// palette): counter-clockwise (x, y) -> (y, W - 1 - x), clockwise
// (x, y) -> (H - 1 - y, x). qk24RGB, and 8-bit for the gray variants.
void RotateRGB90CCW(TQkBitmap& source, TQkBitmap& destination);
void RotateRGB90CW(TQkBitmap& source, TQkBitmap& destination);
void RotateGray90CCW(TQkBitmap& source, TQkBitmap& destination);
void RotateGray90CW(TQkBitmap& source, TQkBitmap& destination);

// In place, qk24RGB; `background` is packed red << 16 | green << 8 | blue.
// Angles are cut to thousandths of a degree; quarter turns are exact.
void RotateByShear(TQkBitmap& bitmap, bool antialias, TObject* sender, const TQkProgressEvent& onProgress,
                   uint32_t background, double angle);
// In place, qk8g and qk8p.
void RotateGrayByShear(TQkBitmap& bitmap, bool antialias, uint8_t background, TObject* sender,
                       const TQkProgressEvent& onProgress, double angle);
// Any format, in place through a temporary bitmap.
void RotateBitmap(TQkBitmap& bitmap, TColor background, TObject* sender, const TQkProgressEvent& onProgress,
                  double angle);
// Any format, into a destination re-allocated to the rotated size.
void RotateBitmapInto(TQkBitmap& source, TQkBitmap& destination, TColor background, TObject* sender,
                      const TQkProgressEvent& onProgress, double angle);
