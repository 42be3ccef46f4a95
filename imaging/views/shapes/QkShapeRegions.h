#pragma once
// Numbered shapes (stars, arrows, lightning bolts, explosions, a cross, a
// heart) fitted into a box and returned as regions. An empty region means
// that there is no shape.

#include <cstdint>

#include "platform/gfx/Geometry.h"
#include "platform/gfx/Region.h"

// The point at `angle` degrees clockwise from twelve o'clock (y grows
// downwards), rounded half to even.
TPoint PointOnCircle(TPoint centre, uint16_t radius, double angle);
// Shrinks the box to the centred square of its shorter side.
void SquareInBox(int32_t& left, int32_t& top, int32_t& width, int32_t& height);

TRegion CreateStar5Region(int32_t left, int32_t top, int32_t width, int32_t height);
TRegion CreateStar6Region(int32_t left, int32_t top, int32_t width, int32_t height);
// Variant 0 points to the top-left; bit 0 mirrors left-right, bit 1 top-bottom.
TRegion CreateArrowRegion(int32_t left, int32_t top, int32_t width, int32_t height, int32_t variant);
TRegion CreateFletchedArrowRegion(int32_t left, int32_t top, int32_t width, int32_t height, int32_t variant);
// `asTabled` keeps the tip at the bottom-left; clear mirrors it left-right.
TRegion CreateLightningRegion(int32_t left, int32_t top, int32_t width, int32_t height, bool asTabled);
// `mirrored` turns the explosion by half a turn.
TRegion CreateExplosionRegion(int32_t left, int32_t top, int32_t width, int32_t height, bool mirrored);
// The crossbar sits `crossbar` of the way down the upright.
TRegion CreateCrossRegion(int32_t left, int32_t top, int32_t width, int32_t height, float crossbar);
TRegion CreateHeartRegion(int32_t left, int32_t top, int32_t width, int32_t height);

// Shapes 0 to 15; bit 7 is ignored, and 16 to 127 give an empty region, as
// does a box without width or height.
TRegion CreateShapeRegion(uint8_t shape, int32_t left, int32_t top, int32_t width, int32_t height);
TRegion CreateShapeRegionInRect(uint8_t shape, const TRect& rect);
