#pragma once
// StretchRectTo: a simpler stretch than the renderer's, for qk1g and qk24RGB
// images drawn into another bitmap together with their alpha channel. The
// destination's alpha channel (created when missing) receives the stretched
// source alpha, never above `alpha`, or is filled with `alpha` when the
// source has none.
//
// Only qk24RGB destinations are drawn into; any other is left untouched.
// Sources of other formats set the alpha area only, unless a filter
// resamples them to qk24RGB first. Errors while drawing end it quietly.

#include <cstdint>

#include "imaging/core/QkRenderGeometry.h"
#include "imaging/core/QkSettings.h"

class TQkBitmap;

// False when nothing was drawn or an error ended the drawing.
bool StretchRectTo(TQkBitmap& source, TQkBitmap& destination, TQkRenderRect destinationRect, TQkRenderRect sourceRect,
                   TResampleFilter filter, int32_t alpha);
