#pragma once
// Contributor lists of the kernel resampler: for each destination column
// (or row), the source pixels that feed it and their integer weights
// (kernel value x 256, rounded). The weights of one destination are kept as
// one contiguous span of source indexes, zero weights inside the span
// included and the span padded with zeros to a multiple of 8, so the inner
// loops are plain multiply-adds; indexes outside the source are mirrored at
// its edges.

#include "imaging/core/QkResampleKernels.h"

#include <cstdint>
#include <vector>

struct TContributor {
    // Source index of the first weight, before mirroring (may lie outside
    // the source).
    int32_t First = 0;
    int32_t Count = 0;
    // Offset of the first weight in TContributors::Weights.
    int32_t Offset = 0;
    // The sum of the weights; 256 when they add up to 0.
    int32_t Total = 256;
};

struct TContributors {
    std::vector<TContributor> Items;
    std::vector<int16_t> Weights;
    // How far the spans reach before index 0 and beyond the last index.
    int32_t PadBefore = 0;
    int32_t PadAfter = 0;
};

// An index mirrored at the edges (-j before 0, 2 * length - j - 1 beyond
// the end), then limited to the source.
int32_t MirrorSourceIndex(int32_t index, int32_t length);

// The scale of a resample: corner-aligned, (destination - 1) / (source - 1),
// or destination / source when either length is 1.
double ResampleScale(int32_t sourceLength, int32_t destinationLength);

// The lists for every destination index; empty when either length is not
// positive.
TContributors BuildContributors(int32_t sourceLength, int32_t destinationLength, const TResampleKernel& kernel);
