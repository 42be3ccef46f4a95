#pragma once
// Quicksort over indexes through callbacks, so that any structure can be
// sorted in place. Not stable.

#include <cstdint>
#include <functional>

// Negative, zero or positive as item a sorts before, with or after item b.
using TQkCompareIndexes = std::function<int32_t(int32_t a, int32_t b)>;
using TQkSwapIndexes = std::function<void(int32_t a, int32_t b)>;

// Sorts indexes low .. high. The pivot is the middle index and follows its
// element when a swap moves it; every pair with i <= j is swapped.
void QuickSortRange(int32_t low, int32_t high, const TQkSwapIndexes& swap, const TQkCompareIndexes& compare);
// Sorts indexes 0 .. count - 1; nothing for a count below 2.
void QuickSortCount(int32_t count, const TQkSwapIndexes& swap, const TQkCompareIndexes& compare);
