#include "controls/TarqColors.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "controls/TarqScheme.h"
#include "platform/core/Types.h"
#include "platform/ui/Themes.h"

namespace {

uint8_t ScaleTo240(double value) { return static_cast<uint8_t>(Round(value * 240.0)); }

uint8_t ChannelByte(double value) { return static_cast<uint8_t>(Round(std::min(value, 1.0) * 255.0)); }

TColor WithLuminance(TColor color, int32_t lum)
{
    uint8_t hue, sat, oldLum;
    ColorToHueSatLum(color, hue, sat, oldLum);
    return HueSatLumToColor(hue, sat, static_cast<uint8_t>(lum));
}

} // namespace

void ColorToHueSatLum(TColor color, uint8_t& hue, uint8_t& sat, uint8_t& lum)
{
    const TColor rgb = ColorToRGB(color);
    const double r = GetRValue(rgb) / 255.0, g = GetGValue(rgb) / 255.0, b = GetBValue(rgb) / 255.0;
    const double max = std::max({r, g, b}), min = std::min({r, g, b});
    const double l = (max + min) / 2;
    double h = 0, s = 0;
    if (max != min) {
        const double d = max - min;
        s = l < 0.5 ? d / (max + min) : d / (2 - max - min);
        if (r == max)
            h = (g - b) / d;
        else if (g == max)
            h = 2 + (b - r) / d;
        else
            h = 4 + (r - g) / d;
        h /= 6;
        if (h < 0)
            h += 1;
    }
    hue = ScaleTo240(h);
    sat = ScaleTo240(s);
    lum = ScaleTo240(l);
}

uint8_t HueOfColor(TColor color)
{
    uint8_t hue, sat, lum;
    ColorToHueSatLum(color, hue, sat, lum);
    return hue;
}

TColor HueSatLumToColor(uint8_t hue, uint8_t sat, uint8_t lum)
{
    const double l = lum / 240.0, s = sat / 240.0;
    const double v = l >= 0.5 ? l + s - l * s : l * (1 + s);
    if (v <= 0)
        return RGB(0, 0, 0);
    const double m = 2 * l - v;
    const double h6 = hue / 239.0 * 6;
    const int sextant = static_cast<int>(h6);
    const double f = h6 - sextant;
    const double vsf = v * ((v - m) / v) * f;
    const double mid1 = m + vsf, mid2 = v - vsf;
    double r, g, b;
    switch (sextant) {
    case 1: r = mid2, g = v, b = m; break;
    case 2: r = m, g = v, b = mid1; break;
    case 3: r = m, g = mid2, b = v; break;
    case 4: r = mid1, g = m, b = v; break;
    case 5: r = v, g = m, b = mid2; break;
    default: r = v, g = mid1, b = m; break;
    }
    return RGB(ChannelByte(r), ChannelByte(g), ChannelByte(b));
}

TColor DarkenColor(TColor color, uint8_t amount)
{
    uint8_t hue, sat, lum;
    ColorToHueSatLum(color, hue, sat, lum);
    return WithLuminance(color, std::max(lum - amount, 0));
}

TColor LightenColor(TColor color, uint8_t amount)
{
    uint8_t hue, sat, lum;
    ColorToHueSatLum(color, hue, sat, lum);
    return WithLuminance(color, std::min(lum + amount, 255));
}

TColor ShiftLuminance(TColor color, int32_t amount)
{
    if (amount < 0)
        return DarkenColor(color, static_cast<uint8_t>(std::min(-amount, 255)));
    if (amount > 0)
        return LightenColor(color, static_cast<uint8_t>(std::min(amount, 255)));
    return color;
}

TColor MixColors(TColor first, TColor second, uint8_t weight)
{
    const TColor a = ColorToRGB(first), b = ColorToRGB(second);
    const float x = weight / 255.0f;
    auto mix = [x](uint8_t ca, uint8_t cb) {
        return static_cast<uint8_t>(Round(static_cast<long double>(x * ca + (1 - x) * cb)));
    };
    return RGB(mix(GetRValue(a), GetRValue(b)), mix(GetGValue(a), GetGValue(b)), mix(GetBValue(a), GetBValue(b)));
}

bool ColorsAreClose(TColor fore, TColor back)
{
    uint8_t hf, sf, lf, hb, sb, lb;
    ColorToHueSatLum(fore, hf, sf, lf);
    ColorToHueSatLum(back, hb, sb, lb);
    return std::abs(hf - hb) < 20 && std::abs(lf - lb) < 60;
}

TColor OppositeHueColor(TColor color, uint8_t lum)
{
    const uint8_t hue = HueOfColor(color);
    const uint8_t opposite = hue < 120 ? hue + 120 : hue - 120;
    return HueSatLumToColor(opposite, 240, lum);
}

TSchemeColorPair SchemeColorPair(uint8_t scheme)
{
    switch (scheme) {
    case 1: return {0xEDFFFF, 0x92C7B8};
    case 2: return {0xFFF9F9, 0xD0BCBD};
    default: return {0xFFEFE3, 0xEABB99};
    }
}

void GetSchemeColorPair(TTarqGradientColorStyle style, TColor& start, TColor& stop)
{
    if (style == gcsMSOffice && ThemeServices()->ThemesEnabled()) {
        const TSchemeColorPair pair = SchemeColorPair(XPColorScheme);
        start = pair.Start;
        stop = pair.Stop;
        return;
    }
    start = clWindow;
    stop = DarkenColor(clBtnFace, 10);
}

TRect CenteredRect(const TRect& rect, int32_t width, int32_t height)
{
    const int32_t left = (rect.Left + rect.Right - width) / 2;
    const int32_t top = (rect.Top + rect.Bottom - height) / 2;
    return Bounds(left, top, width, height);
}

int32_t SmallerInt(int32_t a, int32_t b) { return std::min(a, b); }
int32_t LargerInt(int32_t a, int32_t b) { return std::max(a, b); }
