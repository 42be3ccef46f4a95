#pragma once
// The resampling filters that need no kernel table: fast linear (17-bit
// fixed-point interpolation when enlarging, box averages when reducing),
// the area resamplers behind rfBilinear and rfBicubic, the project filters
// that reduce to 1 bit keeping black (or white) detail, and the reduction
// of 1-bit images to gray. The destination already has its final size.

#include "imaging/core/QkBitmap.h"

// qk24RGB into qk24RGB.
void ResampleFastLinearRGB(TQkBitmap& source, TQkBitmap& destination, TObject* sender,
                           const TQkProgressEvent& onProgress);
// 8-bit into 8-bit.
void ResampleFastLinearGray(TQkBitmap& source, TQkBitmap& destination, TObject* sender,
                            const TQkProgressEvent& onProgress);
// qk1g into a qk24RGB gray image.
void ResampleFastLinearMono(TQkBitmap& source, TQkBitmap& destination, TObject* sender,
                            const TQkProgressEvent& onProgress);
// The qk1g rectangle x1..x2, y1..y2 (inclusive) into a qk24RGB gray image.
void BoxAverageMonoToGray(TQkBitmap& source, int32_t x1, int32_t y1, int32_t x2, int32_t y2, TQkBitmap& destination);
// Into qk1g (a destination of another format is made qk1g): a destination
// pixel turns white (whiteWins) or black when any source pixel it covers is.
void ProjectRGBToMono(TQkBitmap& source, TQkBitmap& destination, bool whiteWins, TObject* sender,
                      const TQkProgressEvent& onProgress);
void ProjectMonoToMono(TQkBitmap& source, TQkBitmap& destination, bool whiteWins, TObject* sender,
                       const TQkProgressEvent& onProgress);
// Mode 0 bilinear, 1 bicubic sampling, area weighted. qk24RGB or qk8g.
void ResampleAreaRGB(TQkBitmap& source, TQkBitmap& destination, uint8_t mode, TObject* sender,
                     const TQkProgressEvent& onProgress);
// qkRGB48 or qk16g.
void ResampleArea16(TQkBitmap& source, TQkBitmap& destination, uint8_t mode, TObject* sender,
                    const TQkProgressEvent& onProgress);
