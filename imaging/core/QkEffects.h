#pragma once
// The table of named transition effects. The core cannot reach the views'
// painters, so the views' start-up fills the names, the flags and the
// painters of rows 30 to 213; until then every row is blank. Rows 0 to 29
// are the engine's own effects and keep no painter. Effect number 213 is the
// engine's zoom, so row 212 ("6 Pointed Star Wipe In and Out") is reached by
// calling the row itself, never through the engine's effect numbers.

#include <array>
#include <cstdint>
#include <string>

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"
#include "platform/gfx/Geometry.h"

// Draws the frame `percent` (0 to 100) of the way from `start` to `target`
// onto the canvas, within `rect`; `step` is 1.
using TEffectPainter = void (*)(TCanvas& canvas, TBitmap& start, TBitmap& target, int32_t percent, int32_t step,
                                const TRect& rect);

struct TEffect {
    std::string Name;
    TEffectPainter Painter = nullptr;
    uint32_t Flags = 0;
};

constexpr size_t EffectCount = 214;

std::array<TEffect, EffectCount>& Effects();
// The row that paints effect number n (31 to 212, and 214): row n - 1;
// nullptr for any other number.
const TEffect* EffectOfNumber(int32_t number);
