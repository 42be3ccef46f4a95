#pragma once
// Rotation by any angle in degrees; the image grows to hold the whole
// rotated image, the uncovered corners taking a background. Positive angles
// turn the image counter-clockwise as seen on screen.

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

// Three shears, in place, qk24RGB (qk1g goes to RotateMono, with a set
// background bit for a white background); `background` is packed
// red << 16 | green << 8 | blue. Angles are cut to thousandths of a degree;
// quarter turns are exact.
void RotateByShear(TQkBitmap& bitmap, bool antialias, TObject* sender, const TQkProgressEvent& onProgress,
                   uint32_t background, double angle);
// In place, qk8g and qk8p.
void RotateGrayByShear(TQkBitmap& bitmap, bool antialias, uint8_t background, TObject* sender,
                       const TQkProgressEvent& onProgress, double angle);
// Nearest pixel, in place: exact turns by 90, -90, 270 and +-180 (not
// -270), an inverse mapping otherwise.
void RotateMono(TQkBitmap& bitmap, bool backgroundBit, const TQkFilterProgress& progress, double angle);
void RotateGrayNearest(TQkBitmap& bitmap, uint8_t background, double angle);
// Inverse mapping, in place: mode 1 bilinear, 2 bicubic; other modes leave
// the bitmap alone. qk24RGB, and 8-bit for the gray variant.
void RotateRGBInterpolated(TQkBitmap& bitmap, TColor background, uint8_t mode, TObject* sender,
                           const TQkProgressEvent& onProgress, double angle);
void RotateGrayInterpolated(TQkBitmap& bitmap, uint8_t background, uint8_t mode, double angle);
// Any format, in place through a temporary bitmap.
void RotateBitmap(TQkBitmap& bitmap, TColor background, TObject* sender, const TQkProgressEvent& onProgress,
                  double angle);
// Any format, into a destination re-allocated to the rotated size.
void RotateBitmapInto(TQkBitmap& source, TQkBitmap& destination, TColor background, TObject* sender,
                      const TQkProgressEvent& onProgress, double angle);
