#pragma once
// Regions: sets of pixels kept as y-x banded rectangles. Shapes other than
// rectangles cover exactly the pixels the canvas fills for the same shape
// (an ellipse region is the ellipse with its one-pixel outline); such a
// shape more than 2^20 rows tall raises EInvalidGraphicOperation.

#include "platform/gfx/Geometry.h"

#include <cstdint>
#include <memory>
#include <vector>

enum TPolyFillMode { ALTERNATE = 1, WINDING = 2 };

// Combination modes and the complexity a combination reports.
enum TRegionCombine { RGN_AND = 1, RGN_OR = 2, RGN_XOR = 3, RGN_DIFF = 4, RGN_COPY = 5 };
enum TRegionKind { RGN_ERROR = 0, NULLREGION = 1, SIMPLEREGION = 2, COMPLEXREGION = 3 };

class TRegion {
public:
    TRegion();
    explicit TRegion(const TRect& rect);
    TRegion(const TRegion& other);
    TRegion& operator=(const TRegion& other);
    TRegion(TRegion&& other) noexcept;
    TRegion& operator=(TRegion&& other) noexcept;
    ~TRegion();

    static TRegion FromRect(int32_t left, int32_t top, int32_t right, int32_t bottom);
    // Rectangles may overlap; the region is their union.
    static TRegion FromRects(const std::vector<TRect>& rects);
    // The pixels of RoundRect(left, top, right, bottom, width, height).
    static TRegion RoundRect(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t width, int32_t height);
    // The pixels of Ellipse(left, top, right, bottom).
    static TRegion Ellipse(int32_t left, int32_t top, int32_t right, int32_t bottom);
    // The pixels a pen-less polygon fill covers.
    static TRegion Polygon(const std::vector<TPoint>& points, TPolyFillMode mode);

    // Replaces this region by `a` combined with `b` (b is ignored by
    // RGN_COPY) and reports the result's kind.
    TRegionKind Combine(const TRegion& a, const TRegion& b, TRegionCombine mode);
    TRegionKind Offset(int32_t dx, int32_t dy);

    bool Contains(int32_t x, int32_t y) const;
    // True when any pixel of the rectangle is in the region.
    bool IntersectsRect(const TRect& rect) const;
    // The bounding box; all zero for an empty region.
    TRect BoundingBox() const;
    TRegionKind Kind() const;
    bool Empty() const { return Kind() == NULLREGION; }
    // The banded rectangles: sorted by top, then by left; rectangles of one
    // band share top and bottom.
    std::vector<TRect> Rects() const;

    friend bool operator==(const TRegion& a, const TRegion& b);

private:
    struct TImpl;
    std::unique_ptr<TImpl> FImpl;
};

// Function forms with the window system's names.
inline TRegionKind CombineRgn(TRegion& dest, const TRegion& a, const TRegion& b, TRegionCombine mode)
{
    return dest.Combine(a, b, mode);
}
inline TRegionKind OffsetRgn(TRegion& region, int32_t dx, int32_t dy) { return region.Offset(dx, dy); }
inline bool PtInRegion(const TRegion& region, int32_t x, int32_t y) { return region.Contains(x, y); }
inline bool RectInRegion(const TRegion& region, const TRect& rect) { return region.IntersectsRect(rect); }
inline TRegionKind GetRgnBox(const TRegion& region, TRect& box)
{
    box = region.BoundingBox();
    return region.Kind();
}
inline bool EqualRgn(const TRegion& a, const TRegion& b) { return a == b; }
