#include "imaging/core/QkNeuQuant.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr int32_t ColourBiasShift = 4;
constexpr int32_t IntBiasShift = 16;
constexpr int32_t IntBias = 1 << IntBiasShift;
constexpr int32_t GammaShift = 10;
constexpr int32_t BetaShift = 10;
constexpr int32_t Beta = IntBias >> BetaShift;
constexpr int32_t BetaGamma = IntBias << (GammaShift - BetaShift);
constexpr int32_t RadiusBiasShift = 6;
constexpr int32_t RadiusDecrease = 30;
constexpr int32_t AlphaBiasShift = 10;
constexpr int32_t InitialAlpha = 1 << AlphaBiasShift;
constexpr int32_t RadBiasShift = 8;
constexpr int32_t RadBias = 1 << RadBiasShift;
constexpr int64_t AlphaRadBias = int64_t{1} << (AlphaBiasShift + RadBiasShift);
constexpr int32_t LearningCycles = 100;
// Steps through the pixels; the first that does not divide the sample
// length visits every pixel before repeating.
constexpr std::array<int32_t, 4> SampleSteps{499, 491, 487, 503};

int32_t SamplingFactorFor(int64_t pixels, int32_t quality)
{
    if (quality < 0) {
        if (pixels < 2000)
            return 1;
        const double factor = std::nearbyint(static_cast<double>(pixels - 2000) * 13 / 148000 + 2);
        return static_cast<int32_t>(std::clamp(factor, 1.0, 30.0));
    }
    const int32_t q = std::min(quality, 100);
    return static_cast<int32_t>((100 - q) / 100.0 * 29) + 1;
}

int32_t SampleStep(int64_t lengthCount)
{
    for (size_t i = 0; i + 1 < SampleSteps.size(); ++i)
        if (lengthCount % SampleSteps[i] != 0)
            return SampleSteps[i];
    return SampleSteps.back();
}

} // namespace

TQkNeuQuant::TQkNeuQuant(TQkBitmap& bitmap, std::span<TRGBPixel> palette, int32_t quality, int32_t n)
{
    const int32_t size = std::max(1, n);
    FNetwork.resize(static_cast<size_t>(size));
    FBias.assign(static_cast<size_t>(size), 0);
    FFrequency.assign(static_cast<size_t>(size), IntBias / size);
    FRadiusPower.assign(static_cast<size_t>(size / 8), 0);
    for (int32_t i = 0; i < size; ++i) {
        const int32_t start = static_cast<int32_t>((int64_t{i} << (ColourBiasShift + 8)) / size);
        FNetwork[static_cast<size_t>(i)] = {start, start, start, 0};
    }
    const int64_t pixels = int64_t{bitmap.GetWidth()} * bitmap.GetHeight();
    FSamplingFactor = SamplingFactorFor(pixels, quality);
    Learn(bitmap);
    Unbias();
    for (size_t i = 0; i < FNetwork.size() && i < palette.size(); ++i)
        palette[i] = MakeRGBPixel(static_cast<uint8_t>(FNetwork[i][2]), static_cast<uint8_t>(FNetwork[i][1]),
                                  static_cast<uint8_t>(FNetwork[i][0]));
    BuildGreenIndex();
}

void TQkNeuQuant::Learn(TQkBitmap& bitmap)
{
    const int32_t width = bitmap.GetWidth();
    const int64_t pixels = int64_t{width} * bitmap.GetHeight();
    if (pixels == 0)
        return;
    const int32_t alphaDecrement = 30 + (FSamplingFactor - 1) / 3;
    const int64_t samples = pixels / FSamplingFactor;
    const int64_t delta = std::max<int64_t>(1, samples / LearningCycles);
    const int64_t step = SampleStep(pixels * 3);
    int32_t alpha = InitialAlpha;
    int32_t radius = static_cast<int32_t>(FNetwork.size() / 8) << RadiusBiasShift;
    int32_t rad = radius >> RadiusBiasShift;
    if (rad <= 1)
        rad = 0;
    ComputeRadiusPowers(rad, alpha);
    int64_t position = 0;
    for (int64_t i = 1; i <= samples; ++i) {
        const auto* row =
            reinterpret_cast<const TRGBPixel*>(bitmap.GetScanline(static_cast<int32_t>(position / width)));
        if (row) {
            const TRGBPixel& pixel = row[position % width];
            const int32_t blue = pixel.b << ColourBiasShift;
            const int32_t green = pixel.g << ColourBiasShift;
            const int32_t red = pixel.r << ColourBiasShift;
            const int32_t winner = Contest(blue, green, red);
            MoveNeuron(winner, alpha, blue, green, red);
            if (rad > 0)
                MoveNeighbours(winner, rad, blue, green, red);
        }
        // Modulo rather than one subtraction: a step can exceed a small
        // image's pixel count.
        position = (position + step) % pixels;
        if (i % delta == 0) {
            alpha -= alpha / alphaDecrement;
            radius -= radius / RadiusDecrease;
            rad = radius >> RadiusBiasShift;
            if (rad <= 1)
                rad = 0;
            ComputeRadiusPowers(rad, alpha);
        }
    }
}

void TQkNeuQuant::ComputeRadiusPowers(int32_t radius, int32_t alpha)
{
    const int64_t square = int64_t{radius} * radius;
    for (int32_t k = 0; k < radius && k < static_cast<int32_t>(FRadiusPower.size()); ++k)
        FRadiusPower[static_cast<size_t>(k)] =
            static_cast<int32_t>(alpha * (((square - int64_t{k} * k) * RadBias) / square));
}

// Finds the nearest neuron and, through the bias, the one that wins: a
// neuron that wins often becomes less likely to win again, so every neuron
// gets used.
int32_t TQkNeuQuant::Contest(int32_t blue, int32_t green, int32_t red)
{
    int32_t bestDistance = INT32_MAX;
    int32_t bestBiasDistance = INT32_MAX;
    size_t nearest = 0;
    int32_t winner = 0;
    for (size_t i = 0; i < FNetwork.size(); ++i) {
        const TNeuron& neuron = FNetwork[i];
        const int32_t distance = std::abs(neuron[0] - blue) + std::abs(neuron[1] - green) + std::abs(neuron[2] - red);
        if (distance < bestDistance) {
            bestDistance = distance;
            nearest = i;
        }
        const int32_t biasDistance = distance - (FBias[i] >> (IntBiasShift - ColourBiasShift));
        if (biasDistance < bestBiasDistance) {
            bestBiasDistance = biasDistance;
            winner = static_cast<int32_t>(i);
        }
        const int32_t betaFrequency = FFrequency[i] >> BetaShift;
        FFrequency[i] -= betaFrequency;
        FBias[i] += betaFrequency << GammaShift;
    }
    FFrequency[nearest] += Beta;
    FBias[nearest] -= BetaGamma;
    return winner;
}

void TQkNeuQuant::MoveNeuron(int32_t index, int64_t alpha, int32_t blue, int32_t green, int32_t red)
{
    TNeuron& neuron = FNetwork[static_cast<size_t>(index)];
    neuron[0] -= static_cast<int32_t>(alpha * (neuron[0] - blue) / InitialAlpha);
    neuron[1] -= static_cast<int32_t>(alpha * (neuron[1] - green) / InitialAlpha);
    neuron[2] -= static_cast<int32_t>(alpha * (neuron[2] - red) / InitialAlpha);
}

void TQkNeuQuant::MoveNeighbours(int32_t index, int32_t radius, int32_t blue, int32_t green, int32_t red)
{
    const auto size = static_cast<int32_t>(FNetwork.size());
    for (int32_t k = 1; k < radius; ++k) {
        const int64_t power = FRadiusPower[static_cast<size_t>(k)];
        for (const int32_t neighbour : {index + k, index - k}) {
            if (neighbour < 0 || neighbour >= size)
                continue;
            TNeuron& neuron = FNetwork[static_cast<size_t>(neighbour)];
            neuron[0] -= static_cast<int32_t>(power * (neuron[0] - blue) / AlphaRadBias);
            neuron[1] -= static_cast<int32_t>(power * (neuron[1] - green) / AlphaRadBias);
            neuron[2] -= static_cast<int32_t>(power * (neuron[2] - red) / AlphaRadBias);
        }
    }
}

void TQkNeuQuant::Unbias()
{
    for (size_t i = 0; i < FNetwork.size(); ++i) {
        TNeuron& neuron = FNetwork[i];
        for (int32_t channel = 0; channel < 3; ++channel)
            neuron[channel] = std::clamp((neuron[channel] + (1 << (ColourBiasShift - 1))) >> ColourBiasShift, 0, 255);
        neuron[3] = static_cast<int32_t>(i);
    }
}

// Sorts the neurons by green and records, for each green value, where a
// search should start.
void TQkNeuQuant::BuildGreenIndex()
{
    const auto size = static_cast<int32_t>(FNetwork.size());
    int32_t previousGreen = 0;
    int32_t startPosition = 0;
    for (int32_t i = 0; i < size; ++i) {
        auto smallest = std::min_element(FNetwork.begin() + i, FNetwork.end(),
                                         [](const TNeuron& a, const TNeuron& b) { return a[1] < b[1]; });
        std::swap(FNetwork[static_cast<size_t>(i)], *smallest);
        const int32_t green = FNetwork[static_cast<size_t>(i)][1];
        if (green != previousGreen) {
            FGreenIndex[static_cast<size_t>(previousGreen)] = (startPosition + i) >> 1;
            for (int32_t j = previousGreen + 1; j < green; ++j)
                FGreenIndex[static_cast<size_t>(j)] = i;
            previousGreen = green;
            startPosition = i;
        }
    }
    FGreenIndex[static_cast<size_t>(previousGreen)] = (startPosition + size - 1) >> 1;
    for (int32_t j = previousGreen + 1; j < 256; ++j)
        FGreenIndex[static_cast<size_t>(j)] = size - 1;
}

int32_t TQkNeuQuant::IndexOf(const TRGBPixel& colour) const
{
    const auto size = static_cast<int32_t>(FNetwork.size());
    int32_t bestDistance = 1000;
    int32_t best = -1;
    // Neurons are sorted by green: once the green difference alone reaches
    // the best distance, nothing further out in that direction can win.
    const auto consider = [&](const TNeuron& neuron) {
        const int32_t distance =
            std::abs(neuron[1] - colour.g) + std::abs(neuron[0] - colour.b) + std::abs(neuron[2] - colour.r);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = neuron[3];
        }
    };
    int32_t up = FGreenIndex[colour.g];
    int32_t down = up - 1;
    while (up < size || down >= 0) {
        if (up < size) {
            const TNeuron& neuron = FNetwork[static_cast<size_t>(up)];
            if (neuron[1] - colour.g >= bestDistance)
                up = size;
            else {
                consider(neuron);
                ++up;
            }
        }
        if (down >= 0) {
            const TNeuron& neuron = FNetwork[static_cast<size_t>(down)];
            if (colour.g - neuron[1] >= bestDistance)
                down = -1;
            else {
                consider(neuron);
                --down;
            }
        }
    }
    return best;
}
