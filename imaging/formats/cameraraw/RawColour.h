#pragma once
// From sensor values to output pixels: white balance and black level,
// Foveon's own pipeline, bilinear interpolation of the filter colours,
// conversion to RGB with the magnitude histogram, the gamma output and the
// turn back from Fujifilm's diagonal layout.

#include "imaging/formats/cameraraw/RawDecodeContext.h"

class TQkBitmap;
class TIOParamsVals;

void ScaleColors(TRawDecodeContext& context);
void foveon_interpolate(TRawDecodeContext& context);
// The colour transform step of foveon_interpolate, limited to 0..24000.
void FoveonTransformColours(TRawDecodeContext& context);
void vng_interpolate(TRawDecodeContext& context);
void ConvertToRgb(TRawDecodeContext& context);
void WriteRawOutput(TRawDecodeContext& context, TQkBitmap& bitmap, TIOParamsVals& params);
// Leaves the bitmap as it is when its first row holds no non-black pixel
// or the turned size would be empty.
void FujiDerotate(TQkBitmap& bitmap);

// Foveon's response curves, for ApplyCurve.
enum class TFoveonCurve { A, B, C0, C1, C2 };
int32_t ApplyCurve(int32_t index, TFoveonCurve curve);
// a / 2^s rounded toward zero.
int32_t SymmetricShift(int64_t value, int32_t shift);
