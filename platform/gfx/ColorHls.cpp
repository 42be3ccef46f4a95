#include "platform/gfx/ColorHls.h"

#include <algorithm>

#include "platform/core/Types.h"

namespace {

double HueChannel(double low, double high, double hue)
{
    hue = hue < 0 ? hue + 1 : hue > 1 ? hue - 1 : hue;
    if (hue < 1.0 / 6)
        return low + (high - low) * 6 * hue;
    if (hue < 1.0 / 2)
        return high;
    if (hue < 2.0 / 3)
        return low + (high - low) * (2.0 / 3 - hue) * 6;
    return low;
}

uint8_t Channel(double value) { return static_cast<uint8_t>(std::clamp<int64_t>(Round(value * 255), 0, 255)); }

int32_t Scaled(double value) { return static_cast<int32_t>(Round(value * HlsMax)); }

} // namespace

THls ColorToHls(TColor rgb)
{
    const double r = GetRValue(rgb) / 255.0, g = GetGValue(rgb) / 255.0, b = GetBValue(rgb) / 255.0;
    const double high = std::max({r, g, b}), low = std::min({r, g, b});
    const double lum = (high + low) / 2;
    THls hls;
    hls.Lum = Scaled(lum);
    if (high == low)
        return hls;
    const double delta = high - low;
    hls.Sat = Scaled(lum <= 0.5 ? delta / (high + low) : delta / (2 - high - low));
    double hue = high == r ? (g - b) / delta : high == g ? 2 + (b - r) / delta : 4 + (r - g) / delta;
    hue /= 6;
    if (hue < 0)
        hue += 1;
    hls.Hue = Scaled(hue) % HlsMax;
    return hls;
}

TColor HlsToColor(const THls& hls)
{
    const double hue = std::clamp(hls.Hue, 0, HlsMax) / static_cast<double>(HlsMax);
    const double lum = std::clamp(hls.Lum, 0, HlsMax) / static_cast<double>(HlsMax);
    const double sat = std::clamp(hls.Sat, 0, HlsMax) / static_cast<double>(HlsMax);
    if (sat == 0)
        return RGB(Channel(lum), Channel(lum), Channel(lum));
    const double high = lum <= 0.5 ? lum * (1 + sat) : lum + sat - lum * sat;
    const double low = 2 * lum - high;
    return RGB(Channel(HueChannel(low, high, hue + 1.0 / 3)), Channel(HueChannel(low, high, hue)),
               Channel(HueChannel(low, high, hue - 1.0 / 3)));
}
