#pragma once
// Box-splitting colour quantizer: the colours of a 24-bit image are counted
// in a 32 x 32 x 32 histogram, and the box of histogram cells with the
// largest variance is cut in two until the palette is full. Lookups are one
// table read. Better than the neural quantizer for small palettes.

#include "imaging/core/QkBitmap.h"

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

// The most boxes, hence palette entries, the engine produces.
constexpr int32_t MaxQuantizerBoxes = 256;

class TQkBoxQuantizer {
public:
    // Reads every pixel of `bitmap` (qk24RGB) and writes up to
    // min(n, palette size, 256) entries of `palette`.
    TQkBoxQuantizer(TQkBitmap& bitmap, std::span<TRGBPixel> palette, int32_t n);

    int32_t IndexOf(const TRGBPixel& colour) const;
    int32_t BoxCount() const { return static_cast<int32_t>(FBoxes.size()); }

private:
    static constexpr int32_t Levels = 32;
    static constexpr int32_t CellCount = Levels * Levels * Levels;

    // Per channel: red 0, green 1, blue 2.
    struct TBox {
        double Variance = 0;
        std::array<double, 3> Mean{};
        int64_t Count = 0;
        std::array<std::array<int64_t, Levels>, 3> Histogram{};
        std::array<int32_t, 3> Lower{};
        std::array<int32_t, 3> Upper{}; // exclusive
    };
    struct TSplit {
        TBox Low;
        TBox High;
        double Score;
    };

    static int32_t CellOf(int32_t r, int32_t g, int32_t b) { return (r << 10) + (g << 5) + b; }
    void CountPixels(TQkBitmap& bitmap);
    void ComputeStatistics(TBox& box) const;
    int32_t LargestVarianceBox() const;
    bool SplitBox(const TBox& box, int32_t channel, TSplit& split) const;
    bool SplitBestChannel(const TBox& box, TSplit& best) const;
    void RebuildChannelHistograms(TBox& box) const;
    static void ShrinkToContents(TBox& box);
    void BuildInverseMap();

    std::vector<int64_t> FCells; // 3-D histogram
    std::vector<TBox> FBoxes;
    std::vector<uint8_t> FInverseMap; // box index per cell
    int64_t FPixelCount = 0;
};
