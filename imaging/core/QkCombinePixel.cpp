#include "imaging/core/QkCombinePixel.h"

#include <cmath>
#include <cstdlib>

#include "imaging/core/QkHSL.h"
#include "imaging/core/QkSettings.h"

namespace {

using TChannelOperation = int32_t (*)(int32_t s, int32_t d);

int32_t ColorDodge(int32_t s, int32_t d) { return s == 255 ? 255 : IntMin(d * 256 / (255 - s), 255); }
int32_t ColorBurn(int32_t s, int32_t d) { return s == 0 ? 0 : IntMax(255 - (255 - d) * 256 / s, 0); }
int32_t SoftDodge(int32_t s, int32_t d)
{
    if (s + d < 256)
        return s == 255 ? 255 : IntMin(d * 128 / (255 - s), 255);
    return IntMax(255 - (255 - s) * 128 / d, 0);
}
int32_t Reflect(int32_t s, int32_t d) { return s == 255 ? 255 : IntMin(d * d / (255 - s), 255); }
int32_t Freeze(int32_t s, int32_t d) { return s == 0 ? 0 : IntMax(255 - (255 - d) * (255 - d) / s, 0); }
int32_t HardLight(int32_t s, int32_t d) { return s < 128 ? (s * d) >> 7 : 255 - (((255 - s) * (255 - d)) >> 7); }

int32_t SoftLight(int32_t s, int32_t d)
{
    const double a = s / 255.0;
    const double b = d / 255.0;
    const double value = a >= 0.5 ? std::sqrt(b) * (2 * a - 1) + 2 * b * (1 - a) : b * b * (1 - 2 * a) + 2 * a * b;
    return static_cast<int32_t>(value * 255);
}

int32_t Stamp(int32_t s, int32_t d)
{
    const int32_t multiplied = (s * d) >> 8;
    const int32_t screened = 255 - (((255 - d) * (255 - s)) >> 8) - multiplied;
    return multiplied + ((screened * d) >> 8);
}

// The per-channel operations 1-30, indexed by operation; nullptr where the
// operation works on whole pixels.
constexpr TChannelOperation ChannelOperations[31] = {
    nullptr,
    [](int32_t s, int32_t d) -> int32_t { return ByteClamp(d + s); },
    [](int32_t s, int32_t d) -> int32_t { return std::abs(d - s); },
    [](int32_t s, int32_t d) -> int32_t { return ByteClamp(d / IntClamp(s, 1, 255)); },
    [](int32_t s, int32_t d) -> int32_t { return (s * d) >> 8; },
    [](int32_t s, int32_t d) -> int32_t { return d | s; },
    [](int32_t s, int32_t d) -> int32_t { return d & s; },
    [](int32_t s, int32_t d) -> int32_t { return d ^ s; },
    [](int32_t s, int32_t d) -> int32_t { return IntMax(d, s); },
    [](int32_t s, int32_t d) -> int32_t { return IntMin(d, s); },
    [](int32_t s, int32_t d) -> int32_t { return (d + s) >> 1; },
    [](int32_t s, int32_t d) -> int32_t { return static_cast<int32_t>(255 - (255 - d) * (255 - s) / 255.0); },
    [](int32_t s, int32_t d) -> int32_t { return 255 - std::abs(255 - s - d); },
    [](int32_t s, int32_t d) -> int32_t { return d + s - s * d / 128; },
    [](int32_t s, int32_t d) -> int32_t { return HardLight(d, s); },
    HardLight,
    SoftLight,
    Stamp,
    ColorDodge,
    ColorBurn,
    [](int32_t s, int32_t d) -> int32_t { return ColorDodge(d, s); },
    [](int32_t s, int32_t d) -> int32_t { return ColorBurn(d, s); },
    SoftDodge,
    [](int32_t s, int32_t d) -> int32_t { return SoftDodge(d, s); },
    Reflect,
    [](int32_t s, int32_t d) -> int32_t { return Reflect(d, s); },
    Freeze,
    [](int32_t s, int32_t d) -> int32_t { return Freeze(d, s); },
    [](int32_t s, int32_t d) -> int32_t { return ByteClamp(d + s - 256); },
    [](int32_t s, int32_t d) -> int32_t { return IntMin(CosineTable[size_t(s)] + CosineTable[size_t(d)], 255); },
    [](int32_t s, int32_t d) -> int32_t { return ByteClamp(d + 2 * s - 256); },
};

void CombineChannels(const TRGBPixel& source, TRGBPixel& destination, TChannelOperation operation)
{
    // Results are kept in 8 bits.
    destination.r = static_cast<uint8_t>(operation(source.r, destination.r));
    destination.g = static_cast<uint8_t>(operation(source.g, destination.g));
    destination.b = static_cast<uint8_t>(operation(source.b, destination.b));
}

struct THSL {
    double Hue = 0;
    double Saturation = 0;
    double Lightness = 0;
};

THSL ToHSL(const TRGBPixel& pixel)
{
    THSL hsl;
    RGBPixelToHSL(pixel, hsl.Hue, hsl.Saturation, hsl.Lightness);
    return hsl;
}

// Operations 34-37: some of the source's hue, saturation and lightness
// with the rest of the destination's.
void CombineHSL(const TRGBPixel& source, TRGBPixel& destination, TQkRenderOperation operation)
{
    const THSL s = ToHSL(source);
    THSL mixed = ToHSL(destination);
    if (operation == 34 || operation == 36 || operation == 37)
        mixed.Hue = s.Hue;
    if (operation == 35 || operation == 36)
        mixed.Saturation = s.Saturation;
    if (operation == 37)
        mixed.Lightness = s.Lightness;
    HSLToRGBPixel(mixed.Hue, mixed.Saturation, mixed.Lightness, destination);
}

uint8_t RoundedChannel(double value) { return ByteClamp(static_cast<int32_t>(std::nearbyint(value))); }

// The least-squares red-cyan anaglyph of a left (destination) and right
// (source) view.
void CombineAnaglyph(const TRGBPixel& s, TRGBPixel& d)
{
    const TRGBPixel left = d;
    d.r = RoundedChannel(0.4561 * left.r + 0.500484 * left.g + 0.176381 * left.b - 0.0434706 * s.r - 0.0879388 * s.g -
                         0.00155529 * s.b);
    d.g = RoundedChannel(-0.0400822 * left.r - 0.0378246 * left.g - 0.0157589 * left.b + 0.378476 * s.r +
                         0.73364 * s.g - 0.0184503 * s.b);
    d.b = RoundedChannel(-0.0152161 * left.r - 0.0205971 * left.g - 0.00546856 * left.b - 0.0721527 * s.r -
                         0.112961 * s.g + 1.2264 * s.b);
}

void CombineWhole(const TRGBPixel& source, TRGBPixel& destination, TQkRenderOperation operation, int32_t row)
{
    switch (operation) {
    case 0: destination = source; break;
    case 31: destination.r = source.r; break;
    case 32: destination.g = source.g; break;
    case 33: destination.b = source.b; break;
    case 34:
    case 35:
    case 36:
    case 37: CombineHSL(source, destination, operation); break;
    case 38: {
        const uint8_t right = RGBPixelToGray(source);
        destination = MakeRGBPixel(RGBPixelToGray(destination), right, right);
        break;
    }
    case 39:
        destination.g = source.g;
        destination.b = source.b;
        break;
    case 40: CombineAnaglyph(source, destination); break;
    case 41:
    case 42:
        if ((row & 1) == operation - 41)
            destination = source;
        break;
    default: break;
    }
}

} // namespace

void CombinePixel(const TRGBPixel& source, TRGBPixel& destination, TQkRenderOperation operation, int32_t row)
{
    if (operation >= 1 && operation <= 30)
        CombineChannels(source, destination, ChannelOperations[operation]);
    else
        CombineWhole(source, destination, operation, row);
}
