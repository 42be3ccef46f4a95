#pragma once
// The renderer's pixel operations: how a source pixel is combined into the
// destination pixel it lands on.

#include <cstdint>

#include "imaging/core/QkPixels.h"

// 0 copies; 1-42 are the arithmetic, blend, channel and stereo operations;
// any other value leaves the destination alone.
using TQkRenderOperation = uint8_t;
constexpr TQkRenderOperation RenderOperationCount = 43;

// `row` is the destination row, which the interlacing operations read.
void CombinePixel(const TRGBPixel& source, TRGBPixel& destination, TQkRenderOperation operation, int32_t row);
