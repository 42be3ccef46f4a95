#include "imaging/core/QkBoxQuantizer.h"

#include <algorithm>
#include <cmath>

namespace {

// The score of a cut that did not work; real scores stay far below it.
constexpr double FailedSplitScore = 17523.6;

// Rounding half to even, as the palette means and the cut search expect.
int32_t RoundEven(double value) { return static_cast<int32_t>(std::nearbyint(value)); }

} // namespace

TQkBoxQuantizer::TQkBoxQuantizer(TQkBitmap& bitmap, std::span<TRGBPixel> palette, int32_t n)
    : FCells(CellCount, 0), FInverseMap(CellCount, 0)
{
    const auto wanted = std::min<int64_t>({n, static_cast<int64_t>(palette.size()), MaxQuantizerBoxes});
    TBox& first = FBoxes.emplace_back();
    CountPixels(bitmap);
    first.Count = FPixelCount;
    first.Upper = {Levels, Levels, Levels};
    RebuildChannelHistograms(first);
    ComputeStatistics(first);
    while (static_cast<int64_t>(FBoxes.size()) < wanted) {
        const int32_t largest = LargestVarianceBox();
        if (largest < 0)
            break;
        TSplit split;
        if (SplitBestChannel(FBoxes[largest], split)) {
            FBoxes[largest] = split.Low;
            FBoxes.push_back(split.High);
        } else {
            FBoxes[largest].Variance = 0;
        }
    }
    for (size_t i = 0; i < FBoxes.size() && i < palette.size(); ++i) {
        const TBox& box = FBoxes[i];
        palette[i] = MakeRGBPixel(static_cast<uint8_t>(RoundEven(box.Mean[0]) * 8),
                                  static_cast<uint8_t>(RoundEven(box.Mean[1]) * 8),
                                  static_cast<uint8_t>(RoundEven(box.Mean[2]) * 8));
    }
    BuildInverseMap();
}

int32_t TQkBoxQuantizer::IndexOf(const TRGBPixel& colour) const
{
    return FInverseMap[static_cast<size_t>(CellOf(colour.r >> 3, colour.g >> 3, colour.b >> 3))];
}

void TQkBoxQuantizer::CountPixels(TQkBitmap& bitmap)
{
    const int32_t width = bitmap.GetWidth();
    for (int32_t y = 0; y < bitmap.GetHeight(); ++y) {
        const auto* pixels = reinterpret_cast<const TRGBPixel*>(bitmap.GetScanline(y));
        if (!pixels)
            continue;
        for (int32_t x = 0; x < width; ++x)
            ++FCells[static_cast<size_t>(CellOf(pixels[x].r >> 3, pixels[x].g >> 3, pixels[x].b >> 3))];
        FPixelCount += width;
    }
}

// Means in histogram units; the variance is the sum over the channels of
// the squared deviations, relative to the whole image's pixel count.
void TQkBoxQuantizer::ComputeStatistics(TBox& box) const
{
    double variance = 0;
    for (int32_t channel = 0; channel < 3; ++channel) {
        double sum = 0;
        double squares = 0;
        for (int32_t j = box.Lower[channel]; j < box.Upper[channel]; ++j) {
            const auto count = static_cast<double>(box.Histogram[channel][j]);
            sum += j * count;
            squares += static_cast<double>(j) * j * count;
        }
        const double mean = box.Count > 0 ? sum / static_cast<double>(box.Count) : 0;
        box.Mean[channel] = mean;
        variance += squares - mean * mean * static_cast<double>(box.Count);
    }
    box.Variance = FPixelCount > 0 ? variance / static_cast<double>(FPixelCount) : 0;
}

int32_t TQkBoxQuantizer::LargestVarianceBox() const
{
    int32_t largest = -1;
    double variance = 0;
    for (size_t i = 0; i < FBoxes.size(); ++i) {
        if (FBoxes[i].Variance > variance) {
            variance = FBoxes[i].Variance;
            largest = static_cast<int32_t>(i);
        }
    }
    return largest;
}

bool TQkBoxQuantizer::SplitBestChannel(const TBox& box, TSplit& best) const
{
    best.Score = FailedSplitScore;
    bool found = false;
    for (int32_t channel = 0; channel < 3; ++channel) {
        TSplit split;
        if (SplitBox(box, channel, split) && split.Score < best.Score) {
            best = split;
            found = true;
        }
    }
    return found;
}

// The cut is searched between the midpoints of the box's lower end and its
// mean and of the mean and its upper end.
bool TQkBoxQuantizer::SplitBox(const TBox& box, int32_t channel, TSplit& split) const
{
    const int32_t lower = box.Lower[channel];
    const int32_t upper = box.Upper[channel];
    const double mean = box.Mean[channel];
    const auto& histogram = box.Histogram[channel];
    if (upper <= lower + 1)
        return false;
    const int32_t start = std::max(lower, RoundEven((lower + mean) * 0.5));
    const int32_t end = std::min(upper - 1, RoundEven((mean + upper) * 0.5));
    int64_t running = 0;
    for (int32_t j = lower; j < start; ++j)
        running += histogram[j];
    const auto count = static_cast<double>(box.Count);
    double partialMean = 0;
    double bestScore = -1;
    int32_t cut = -1;
    int64_t lowCount = 0;
    for (int32_t e = start; e <= end; ++e) {
        running += histogram[e];
        if (running == box.Count)
            break;
        partialMean += static_cast<double>(histogram[e]) * e / count;
        const double score = static_cast<double>(running) / (count - static_cast<double>(running)) *
            (mean - partialMean) * (mean - partialMean);
        if (score > bestScore) {
            bestScore = score;
            cut = e;
            lowCount = running;
        }
    }
    if (cut < 0 || lowCount <= 0 || lowCount >= box.Count)
        return false;
    split.Low = box;
    split.High = box;
    split.Low.Upper[channel] = cut + 1;
    split.High.Lower[channel] = cut + 1;
    split.Low.Count = lowCount;
    split.High.Count = box.Count - lowCount;
    RebuildChannelHistograms(split.Low);
    for (int32_t c = 0; c < 3; ++c)
        for (int32_t j = 0; j < Levels; ++j)
            split.High.Histogram[c][j] -= split.Low.Histogram[c][j];
    ShrinkToContents(split.Low);
    ShrinkToContents(split.High);
    ComputeStatistics(split.Low);
    ComputeStatistics(split.High);
    split.Score = split.Low.Variance + split.High.Variance;
    return true;
}

void TQkBoxQuantizer::RebuildChannelHistograms(TBox& box) const
{
    for (auto& channel : box.Histogram)
        channel.fill(0);
    for (int32_t r = box.Lower[0]; r < box.Upper[0]; ++r) {
        for (int32_t g = box.Lower[1]; g < box.Upper[1]; ++g) {
            for (int32_t b = box.Lower[2]; b < box.Upper[2]; ++b) {
                const int64_t count = FCells[static_cast<size_t>(CellOf(r, g, b))];
                box.Histogram[0][r] += count;
                box.Histogram[1][g] += count;
                box.Histogram[2][b] += count;
            }
        }
    }
}

void TQkBoxQuantizer::ShrinkToContents(TBox& box)
{
    for (int32_t channel = 0; channel < 3; ++channel) {
        const auto& histogram = box.Histogram[channel];
        int32_t& lower = box.Lower[channel];
        int32_t& upper = box.Upper[channel];
        while (lower < upper - 1 && histogram[lower] == 0)
            ++lower;
        while (upper > lower + 1 && histogram[upper - 1] == 0)
            --upper;
    }
}

void TQkBoxQuantizer::BuildInverseMap()
{
    for (size_t i = 0; i < FBoxes.size(); ++i) {
        const TBox& box = FBoxes[i];
        for (int32_t r = box.Lower[0]; r < box.Upper[0]; ++r)
            for (int32_t g = box.Lower[1]; g < box.Upper[1]; ++g)
                for (int32_t b = box.Lower[2]; b < box.Upper[2]; ++b)
                    FInverseMap[static_cast<size_t>(CellOf(r, g, b))] = static_cast<uint8_t>(i);
    }
}
