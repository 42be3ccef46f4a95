#pragma once
// 3 x 3 convolution of 8-bit gray planes, and the library's list of named
// kernels (presets), which lives from the processing unit's start-up to its
// shut-down.

#include "imaging/core/QkBitmap.h"

#include <array>
#include <string>
#include <vector>

struct TConvolutionPreset {
    // Row order, top row first.
    std::array<int32_t, 9> Kernel{};
    // 0 counts as 1.
    int32_t Divisor = 0;
};

// qk8g only. Columns x1 .. x2 - 1 of rows y1 .. y2 - 1 (x2 and y2 limited
// to the image) get the absolute weighted sum over their neighbours (edge
// pixels repeat), divided by the divisor and limited to 0..255.
void Convolve3x3Gray(TQkBitmap& bitmap, const TConvolutionPreset& kernel, int32_t x1, int32_t y1, int32_t x2,
                     int32_t y2);

// The nine built-in presets, "None" .. "Low Pass 2"; index 1 is "Blur".
const std::vector<TConvolutionPreset>& BuiltInConvolutionPresets();
const std::vector<std::string>& BuiltInConvolutionPresetNames();
constexpr size_t BlurPresetIndex = 1;

// The list: empty before CreateConvolutionPresets and after
// FreeConvolutionPresets.
const std::vector<TConvolutionPreset>& ConvolutionPresets();
const std::vector<std::string>& ConvolutionPresetNames();
void AddConvolutionPreset(const TConvolutionPreset& preset, const std::string& name);
// Starts the list anew with the built-in presets.
void CreateConvolutionPresets();
void FreeConvolutionPresets();
