#include "imaging/core/QkQuickSort.h"

namespace {

struct TPartition {
    int32_t LowEnd;
    int32_t HighStart;
};

TPartition Partition(int32_t low, int32_t high, const TQkSwapIndexes& swap, const TQkCompareIndexes& compare)
{
    int32_t i = low;
    int32_t j = high;
    int32_t pivot = low + (high - low) / 2;
    do {
        // The bounds only matter to a comparison that contradicts itself.
        while (i < high && compare(i, pivot) < 0)
            ++i;
        while (j > low && compare(j, pivot) > 0)
            --j;
        if (i <= j) {
            swap(i, j);
            if (pivot == i)
                pivot = j;
            else if (pivot == j)
                pivot = i;
            ++i;
            --j;
        }
    } while (i <= j);
    return {j, i};
}

} // namespace

void QuickSortRange(int32_t low, int32_t high, const TQkSwapIndexes& swap, const TQkCompareIndexes& compare)
{
    // The parts are disjoint, so sorting the smaller one by recursion and
    // the larger one in the loop gives the same order as any other choice
    // while keeping the stack shallow.
    while (low < high) {
        const TPartition parts = Partition(low, high, swap, compare);
        if (parts.LowEnd - low < high - parts.HighStart) {
            QuickSortRange(low, parts.LowEnd, swap, compare);
            low = parts.HighStart;
        } else {
            QuickSortRange(parts.HighStart, high, swap, compare);
            high = parts.LowEnd;
        }
    }
}

void QuickSortCount(int32_t count, const TQkSwapIndexes& swap, const TQkCompareIndexes& compare)
{
    if (count > 1)
        QuickSortRange(0, count - 1, swap, compare);
}
