#pragma once
// The 8x8 cells of the hatched brush styles, shared by the plain canvas and
// the anti-aliased one so that both draw the same lines.

#include <cstdint>

#include "platform/gfx/Brush.h"

// One bit per cell, row-major (bit y * 8 + x), set where a hatch line
// passes; 0 for the solid and clear styles.
uint64_t HatchBits(TBrushStyle style);

inline bool HatchLineAt(uint64_t bits, int x, int y) { return (bits >> (y * 8 + x) & 1u) != 0; }
