#pragma once
// Hue, luminosity and saturation on the 0..240 scale the desktop's colour
// dialog shows, with red at hue 0. Greys have hue 0.

#include <cstdint>

#include "platform/gfx/Colors.h"

struct THls {
    int32_t Hue = 0;
    int32_t Lum = 0;
    int32_t Sat = 0;
    friend bool operator==(const THls&, const THls&) = default;
};

constexpr int32_t HlsMax = 240;

THls ColorToHls(TColor rgb);
// Values outside 0..240 are held to it (hue 240 is hue 0).
TColor HlsToColor(const THls& hls);
