#pragma once
// A growing list of rectangles turned into one region in a single call, for
// regions of hundreds or thousands of bars and cells.

#include <cstdint>
#include <vector>

#include "platform/gfx/Geometry.h"
#include "platform/gfx/Region.h"

class TComplexRegion {
public:
    // Rectangles stored as given; left > right is kept as it is (and covers
    // nothing in the region).
    void AddRect(int32_t left, int32_t top, int32_t right, int32_t bottom);
    // Adds the region's rectangles: uniting many shapes this way costs one
    // region build instead of a union per shape.
    void AddRegion(const TRegion& region);
    void Clear();
    // The union of the rectangles; empty when none was added.
    TRegion MakeRegion() const;

    int32_t Count() const { return static_cast<int32_t>(FRects.size()); }
    // Rectangles held without growing: 0 while empty, then steps of 500.
    int32_t Capacity() const { return FCapacity; }
    const std::vector<TRect>& Rects() const { return FRects; }
    // Smallest left and top, largest right and bottom of all rectangles.
    const TRect& Bounds() const { return FBounds; }

private:
    static constexpr int32_t GrowthStep = 500;
    static constexpr TRect NoBounds{INT32_MAX, INT32_MAX, -INT32_MAX, -INT32_MAX};

    std::vector<TRect> FRects;
    int32_t FCapacity = 0;
    TRect FBounds = NoBounds;
};
