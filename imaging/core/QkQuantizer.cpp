#include "imaging/core/QkQuantizer.h"

#include "imaging/core/QkColorReduction.h"
#include "imaging/core/QkSettings.h"

#include <algorithm>
#include <stdexcept>

namespace {

// Box splitting below this many colours when the method is automatic.
constexpr int32_t NeuralFromColors = 128;

uint32_t PackedColour(const TRGBPixel& colour)
{
    return (static_cast<uint32_t>(colour.r) << 16) | (static_cast<uint32_t>(colour.g) << 8) | colour.b;
}

int32_t LimitColors(int32_t n, size_t paletteSize)
{
    const auto most = static_cast<int32_t>(std::min<size_t>(paletteSize, INT32_MAX));
    return most == 0 ? 0 : std::clamp(n, 1, most);
}

} // namespace

TQkQuantizer::TQkQuantizer(TQkBitmap& bitmap, int32_t n, std::span<TRGBPixel> palette)
    : FColors(LimitColors(n, palette.size())), FFormat(bitmap.GetPixelFormat())
{
    if (palette.empty())
        throw std::invalid_argument("The quantizer needs a palette of at least one entry");
    FGray = bitmap.IsGrayScale();
    if (FFormat == qk8p)
        UseBitmapPalette(bitmap, palette);
    else if (FGray)
        UseGrayRamp(palette);
    else if (FFormat == qk24RGB)
        BuildEngine(bitmap, palette);
}

void TQkQuantizer::UseBitmapPalette(TQkBitmap& bitmap, std::span<TRGBPixel> palette)
{
    const int32_t count = std::min(FColors, bitmap.GetPaletteLength());
    for (int32_t i = 0; i < count; ++i) {
        bitmap.GetPaletteColor(i, palette[static_cast<size_t>(i)]);
        FPalette.push_back(palette[static_cast<size_t>(i)]);
    }
}

void TQkQuantizer::UseGrayRamp(std::span<TRGBPixel> palette)
{
    for (int32_t i = 0; i < FColors; ++i) {
        const auto level = static_cast<uint8_t>(256.0 / FColors * i);
        palette[static_cast<size_t>(i)] = MakeRGBPixel(level, level, level);
        FPalette.push_back(palette[static_cast<size_t>(i)]);
    }
}

void TQkQuantizer::BuildEngine(TQkBitmap& bitmap, std::span<TRGBPixel> palette)
{
    FExactColors = FindExactPalette(bitmap, FColors, palette);
    if (FExactColors) {
        FPalette = *FExactColors;
        for (size_t i = 0; i < FPalette.size(); ++i)
            FExactIndex.emplace(PackedColour(FPalette[i]), static_cast<int32_t>(i));
        return;
    }
    const bool neural =
        QuantizerMethod == qmNeuQuant || (QuantizerMethod != qmBoxSplitting && FColors >= NeuralFromColors);
    int32_t written;
    if (neural) {
        FNeuralEngine = std::make_unique<TQkNeuQuant>(bitmap, palette, QuantizerQuality, FColors);
        written = FColors;
    } else {
        FBoxEngine = std::make_unique<TQkBoxQuantizer>(bitmap, palette, FColors);
        written = FBoxEngine->BoxCount();
    }
    FPalette.assign(palette.begin(), palette.begin() + written);
}

int32_t TQkQuantizer::Method() const
{
    if (FNeuralEngine)
        return qmNeuQuant;
    return FBoxEngine ? qmBoxSplitting : -1;
}

int32_t TQkQuantizer::GetPaletteIndex(const TRGBPixel& colour) const
{
    if (FExactColors) {
        const auto found = FExactIndex.find(PackedColour(colour));
        return found == FExactIndex.end() ? -1 : found->second;
    }
    // A palette image is looked up in its own palette even when that is
    // all gray: its entries need not be the ramp.
    if (FFormat == qk8p) {
        const int32_t index = FindColorIndex(FPalette, colour);
        return index >= 0 ? index : static_cast<int32_t>(FPalette.size());
    }
    if (FGray)
        return colour.r * FColors / 256;
    if (FNeuralEngine)
        return FNeuralEngine->IndexOf(colour);
    if (FBoxEngine)
        return FBoxEngine->IndexOf(colour);
    return 0;
}

int32_t TQkQuantizer::GetValidPaletteIndex(const TRGBPixel& colour) const
{
    const int32_t index = GetPaletteIndex(colour);
    if (index >= 0 && index < static_cast<int32_t>(FPalette.size()))
        return index;
    return FindNearestColor(FPalette.data(), static_cast<int32_t>(FPalette.size()), PackedColour(colour));
}

std::optional<std::vector<TRGBPixel>> FindExactPalette(TQkBitmap& bitmap, int32_t n, std::span<TRGBPixel> palette)
{
    if (bitmap.GetPixelFormat() != qk24RGB)
        return std::nullopt;
    std::vector<TRGBPixel> colours;
    const int32_t width = bitmap.GetWidth();
    size_t last = 0;
    for (int32_t y = 0; y < bitmap.GetHeight(); ++y) {
        const auto* pixels = reinterpret_cast<const TRGBPixel*>(bitmap.GetScanline(y));
        for (int32_t x = 0; pixels && x < width; ++x) {
            // Neighbouring pixels mostly share their colour.
            if (last < colours.size() && SameRGBPixel(colours[last], pixels[x]))
                continue;
            const int32_t index = FindColorIndex(colours, pixels[x]);
            if (index >= 0) {
                last = static_cast<size_t>(index);
                continue;
            }
            if (static_cast<int64_t>(colours.size()) >= n)
                return std::nullopt;
            last = colours.size();
            colours.push_back(pixels[x]);
        }
    }
    std::copy_n(colours.begin(), std::min(colours.size(), palette.size()), palette.begin());
    return colours;
}

int32_t FindColorIndex(std::span<const TRGBPixel> colours, const TRGBPixel& colour)
{
    const auto found = std::find_if(colours.begin(), colours.end(),
                                    [&](const TRGBPixel& entry) { return SameRGBPixel(entry, colour); });
    return found == colours.end() ? -1 : static_cast<int32_t>(found - colours.begin());
}
