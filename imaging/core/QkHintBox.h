#pragma once
// Hint boxes of the image view: a box of text drawn on a canvas, kept
// inside the drawing area, with what it covers saved for restoring.

#include <cstdint>
#include <string>

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"

// Draws `text` in a framed box whose corner is moved into the area of
// `areaWidth` x `areaHeight` pixels; x and y return where it went. `saved`
// receives every pixel the box covers, from (x, y), so that copying it back
// there removes the box.
void DrawHintBox(TCanvas& canvas, int32_t& x, int32_t& y, const std::string& text, const TFont& font,
                 const TBrush& brush, TBitmap& saved, int32_t areaWidth, int32_t areaHeight, TColor highlight,
                 TColor shadow);
// A semi-transparent light yellow box as wide as the wider text, showing
// the second text; x and y are raised to 0 and returned.
void DrawAlphaHintBox(TCanvas& canvas, int32_t& x, int32_t& y, const std::string& firstText,
                      const std::string& secondText);
