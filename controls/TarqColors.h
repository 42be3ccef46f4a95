#pragma once
// Colour arithmetic of the control library: hue, saturation and luminance on
// a 0-240 scale, lightening and darkening, mixing, and the colour pairs of
// the gradient colour styles. System colours are resolved to RGB first.

#include <cstdint>

#include "controls/TarqTypes.h"
#include "platform/gfx/Colors.h"
#include "platform/gfx/Geometry.h"

void ColorToHueSatLum(TColor color, uint8_t& hue, uint8_t& sat, uint8_t& lum);
uint8_t HueOfColor(TColor color);
// `lum` may exceed 240 (up to 255) after lightening: the colour turns paler
// up to white.
TColor HueSatLumToColor(uint8_t hue, uint8_t sat, uint8_t lum);

TColor DarkenColor(TColor color, uint8_t amount);
TColor LightenColor(TColor color, uint8_t amount);
// Negative amounts darken, positive ones lighten; 0 returns the colour as
// given (a system colour stays unresolved).
TColor ShiftLuminance(TColor color, int32_t amount);
// weight 255 gives `first`, 0 gives `second`.
TColor MixColors(TColor first, TColor second, uint8_t weight);
bool ColorsAreClose(TColor fore, TColor back);
TColor OppositeHueColor(TColor color, uint8_t lum);

// The XP scheme pairs (start, stop) by scheme number.
struct TSchemeColorPair {
    TColor Start;
    TColor Stop;
};
TSchemeColorPair SchemeColorPair(uint8_t scheme);
// gcsMSOffice with themes on: the pair of the current scheme; otherwise the
// window colour and the button face darkened by 10.
void GetSchemeColorPair(TTarqGradientColorStyle style, TColor& start, TColor& stop);

// The rectangle of that size centred in `rect` (halves toward zero).
TRect CenteredRect(const TRect& rect, int32_t width, int32_t height);
int32_t SmallerInt(int32_t a, int32_t b);
int32_t LargerInt(int32_t a, int32_t b);
