#pragma once
// Separable Gaussian blur of 8-bit gray planes with 16-bit fixed-point taps.

#include "imaging/core/QkBitmap.h"

#include <array>

struct TGaussianKernel {
    // Offsets -100 .. 100; they add up to about 65536.
    std::array<int32_t, 201> Taps{};
    // 1 .. 100: the taps beyond +-Radius are 0.
    uint8_t Radius = 1;
};

// Sigma `radius`; a radius that is not above 0 gives the identity.
void BuildGaussianKernel(TGaussianKernel& kernel, double radius);
// destination[p] = (sum of tap[j] * source[p + j] + 32768) >> 16 over
// j = -Radius .. Radius, positions beyond either end repeating the end.
void GaussianBlurLine(const TGaussianKernel& kernel, const uint8_t* source, uint8_t* destination, int32_t count);
// qk8g only; the inclusive rectangle limited to the image; rows first, then
// columns. Nothing for a radius that is not above 0.
void GaussianBlurGray(TQkBitmap& bitmap, int32_t x1, int32_t y1, int32_t x2, int32_t y2, double radius);
