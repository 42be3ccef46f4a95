#pragma once
// Neural-network colour quantizer: a one-dimensional self-organising map of
// n neurons learns the image's colours from a fixed sample of its pixels
// (Dekker's NeuQuant). The samples are taken with prime steps, so the
// result is the same on every run. Lookups search outwards from the
// neuron nearest in green.

#include "imaging/core/QkBitmap.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

class TQkNeuQuant {
public:
    // `quality` -1 picks the sampling from the image size; 0..100 otherwise
    // (100 learns from every pixel). Writes min(n, palette size) entries.
    TQkNeuQuant(TQkBitmap& bitmap, std::span<TRGBPixel> palette, int32_t quality, int32_t n);

    int32_t IndexOf(const TRGBPixel& colour) const;
    int32_t SamplingFactor() const { return FSamplingFactor; }

private:
    // Blue, green, red in 1/16 steps while learning (0..255 afterwards),
    // then the neuron's index before the sort by green.
    using TNeuron = std::array<int32_t, 4>;

    void Learn(TQkBitmap& bitmap);
    int32_t Contest(int32_t blue, int32_t green, int32_t red);
    void MoveNeuron(int32_t index, int64_t alpha, int32_t blue, int32_t green, int32_t red);
    void MoveNeighbours(int32_t index, int32_t radius, int32_t blue, int32_t green, int32_t red);
    void ComputeRadiusPowers(int32_t radius, int32_t alpha);
    void Unbias();
    void BuildGreenIndex();

    std::vector<TNeuron> FNetwork;
    std::vector<int32_t> FBias;
    std::vector<int32_t> FFrequency;
    std::vector<int32_t> FRadiusPower;
    std::array<int32_t, 256> FGreenIndex{};
    int32_t FSamplingFactor = 1;
};
