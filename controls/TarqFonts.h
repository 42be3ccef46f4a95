#pragma once
// Font helpers of the control library.

#include <cstdint>
#include <memory>

#include "platform/gfx/Font.h"

// A copy of the font whose text runs at `angle` degrees counter-clockwise.
std::unique_ptr<TFont> CreateRotatedFont(const TFont& font, int32_t angle);
bool FontIsTrueType(const TFont& font);
// The font's text-metric height plus 2.
int32_t FontLineHeight(const TFont& font);
