#pragma once
// TQkQuantizer: a palette of at most n colours for a bitmap and the map
// from any colour to an index of it. Gray images get a gray ramp, palette
// images their own palette, images with few enough colours exactly those
// colours, and other 24-bit images the palette of one of two reducing
// engines, chosen by QuantizerMethod: box splitting (better for small
// palettes) or the neural network (QuantizerQuality sets its sampling).

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkBoxQuantizer.h"
#include "imaging/core/QkNeuQuant.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <unordered_map>
#include <vector>

enum TQkQuantizerMethod : int32_t {
    qmNeuQuant = 0,
    qmBoxSplitting = 1,
};

class TQkQuantizer {
public:
    // Fills the palette; n is limited to 1..palette size. The bitmap must
    // stay unchanged while the quantizer is in use. Throws
    // std::invalid_argument for an empty palette.
    TQkQuantizer(TQkBitmap& bitmap, int32_t n, std::span<TRGBPixel> palette);

    // -1 when the exact colours do not hold `colour`; for a qk8p bitmap
    // whose palette lacks it, the number of entries copied from it.
    int32_t GetPaletteIndex(const TRGBPixel& colour) const;
    // Always an entry of the palette: where GetPaletteIndex answers no
    // entry, the nearest one.
    int32_t GetValidPaletteIndex(const TRGBPixel& colour) const;

    int32_t Colors() const { return FColors; }
    // The image held only grays: the palette is a gray ramp.
    bool IsGray() const { return FGray; }
    // The palette entries written, in palette order.
    const std::vector<TRGBPixel>& Palette() const { return FPalette; }
    // The engine built, or -1 when none was needed.
    int32_t Method() const;

private:
    void UseBitmapPalette(TQkBitmap& bitmap, std::span<TRGBPixel> palette);
    void UseGrayRamp(std::span<TRGBPixel> palette);
    void BuildEngine(TQkBitmap& bitmap, std::span<TRGBPixel> palette);

    int32_t FColors;
    TQkPixelFormat FFormat;
    bool FGray = false;
    std::optional<std::vector<TRGBPixel>> FExactColors;
    // Packed colour to its first index among the exact colours.
    std::unordered_map<uint32_t, int32_t> FExactIndex;
    std::unique_ptr<TQkBoxQuantizer> FBoxEngine;
    std::unique_ptr<TQkNeuQuant> FNeuralEngine;
    std::vector<TRGBPixel> FPalette;
};

// The distinct colours of a qk24RGB bitmap in the order met, written to the
// palette's first entries; nothing when there are more than n (or the
// format is another).
std::optional<std::vector<TRGBPixel>> FindExactPalette(TQkBitmap& bitmap, int32_t n, std::span<TRGBPixel> palette);
// The first entry equal to `colour`, or -1.
int32_t FindColorIndex(std::span<const TRGBPixel> colours, const TRGBPixel& colour);
