#pragma once
// The fonts vector objects draw their texts with.

#include <cstdint>

#include "imaging/views/vect/QkVObject.h"
#include "platform/gfx/Font.h"

// The object's font (or the canvas's own when it has none) at the zoom, with
// the quality its FontQuality picks, turned by `escapement` tenths of a
// degree, in the pen colour. A height of 0 takes the box height.
void SelectObjectFont(TFont& font, const TQkVObject& record, double zoom, int32_t boxHeight, int32_t escapement);
// The face of the object's font at max(3, |height| x zoom) points, in the pen
// colour, as rulers and angle gauges label themselves.
void SelectMeasureFont(TFont& font, const TQkVObject& record, double zoom, int32_t escapement);
