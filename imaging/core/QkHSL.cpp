#include "imaging/core/QkHSL.h"

#include "platform/core/Types.h"

#include <algorithm>
#include <cmath>

namespace {

double WrapHue(double hue)
{
    if (hue < 0)
        return hue + 1;
    if (hue > 1)
        return hue - 1;
    return hue;
}

uint8_t ChannelByte(double channel) { return ByteClamp(static_cast<int32_t>(Round(channel * 255))); }

} // namespace

void RGBPixelToHSL(const TRGBPixel& pixel, double& hue, double& saturation, double& lightness)
{
    const double r = pixel.r / 255.0;
    const double g = pixel.g / 255.0;
    const double b = pixel.b / 255.0;
    const double high = std::max({r, g, b});
    const double low = std::min({r, g, b});
    lightness = (high + low) / 2;
    if (high == low) {
        hue = 0;
        saturation = 0;
        return;
    }
    const double d = high - low;
    saturation = lightness < 0.5 ? d / (high + low) : d / (2 - high - low);
    if (high == r)
        hue = (g - b) / d;
    else if (high == b)
        hue = (r - g) / d + 4;
    else
        hue = (b - r) / d + 2;
    hue /= 6;
    if (hue < 0)
        hue += 1;
}

double HueToChannel(double hue, double m2, double m1)
{
    hue = WrapHue(hue);
    if (6 * hue < 1)
        return m1 + (m2 - m1) * hue * 6;
    if (2 * hue < 1)
        return m2;
    if (3 * hue < 2)
        return m1 + (m2 - m1) * (2.0 / 3 - hue) * 6;
    return m1;
}

void HSLToRGBPixel(double hue, double saturation, double lightness, TRGBPixel& pixel)
{
    hue = WrapHue(hue);
    saturation = std::clamp(saturation, 0.0, 1.0);
    lightness = std::clamp(lightness, 0.0, 1.0);
    if (saturation == 0) {
        pixel.r = pixel.g = pixel.b = ChannelByte(lightness);
        return;
    }
    const double m2 = lightness <= 0.5 ? lightness * (1 + saturation) : lightness + saturation - lightness * saturation;
    const double m1 = 2 * lightness - m2;
    pixel.r = ChannelByte(HueToChannel(hue + 1.0 / 3, m2, m1));
    pixel.g = ChannelByte(HueToChannel(hue, m2, m1));
    pixel.b = ChannelByte(HueToChannel(hue - 1.0 / 3, m2, m1));
}
