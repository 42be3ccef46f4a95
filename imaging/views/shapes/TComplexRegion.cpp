#include "imaging/views/shapes/TComplexRegion.h"

#include <algorithm>

void TComplexRegion::AddRect(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    // Growing in large steps keeps reallocations rare for frames of
    // thousands of rectangles.
    if (Count() == FCapacity) {
        FCapacity += GrowthStep;
        FRects.reserve(static_cast<size_t>(FCapacity));
    }
    FRects.push_back({left, top, right, bottom});
    FBounds = {std::min(FBounds.Left, left), std::min(FBounds.Top, top), std::max(FBounds.Right, right),
               std::max(FBounds.Bottom, bottom)};
}

void TComplexRegion::AddRegion(const TRegion& region)
{
    for (const TRect& r : region.Rects())
        AddRect(r.Left, r.Top, r.Right, r.Bottom);
}

void TComplexRegion::Clear()
{
    FRects = {};
    FCapacity = 0;
    FBounds = NoBounds;
}

TRegion TComplexRegion::MakeRegion() const { return TRegion::FromRects(FRects); }
