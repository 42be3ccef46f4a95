#include "platform/gfx/Region.h"

#include "platform/gfx/Graphic.h"
#include "platform/gfx/Shapes.h"

#include <algorithm>

#include <pixman.h>

struct TRegion::TImpl {
    pixman_region32_t Region;
    TImpl() { pixman_region32_init(&Region); }
    ~TImpl() { pixman_region32_fini(&Region); }
    TImpl(const TImpl&) = delete;
    TImpl& operator=(const TImpl&) = delete;
};

namespace {

TRegionKind KindOf(const pixman_region32_t* region)
{
    const int count = pixman_region32_n_rects(const_cast<pixman_region32_t*>(region));
    return count == 0 ? NULLREGION : count == 1 ? SIMPLEREGION : COMPLEXREGION;
}

// Shapes taller than this are refused rather than built row by row.
constexpr int64_t MaxShapeRows = int64_t{1} << 20;

void CheckShapeHeight(int64_t top, int64_t bottom)
{
    if (bottom - top > MaxShapeRows)
        throw EInvalidGraphicOperation("Region is too large");
}

TRegion FromSpans(const std::vector<TSpan>& spans)
{
    std::vector<TRect> rects;
    rects.reserve(spans.size());
    for (const TSpan& s : spans)
        rects.push_back({s.X0, s.Y, s.X1, s.Y + 1});
    return TRegion::FromRects(rects);
}

} // namespace

TRegion::TRegion() : FImpl(std::make_unique<TImpl>()) {}

TRegion::TRegion(const TRect& rect) : TRegion()
{
    if (IsRectEmpty(rect))
        return;
    const pixman_box32_t box{rect.Left, rect.Top, rect.Right, rect.Bottom};
    pixman_region32_fini(&FImpl->Region);
    pixman_region32_init_rects(&FImpl->Region, &box, 1);
}

TRegion::TRegion(const TRegion& other) : TRegion() { pixman_region32_copy(&FImpl->Region, &other.FImpl->Region); }

TRegion& TRegion::operator=(const TRegion& other)
{
    if (this != &other)
        pixman_region32_copy(&FImpl->Region, &other.FImpl->Region);
    return *this;
}

TRegion::TRegion(TRegion&& other) noexcept : FImpl(std::move(other.FImpl)) { other.FImpl = std::make_unique<TImpl>(); }

TRegion& TRegion::operator=(TRegion&& other) noexcept
{
    std::swap(FImpl, other.FImpl);
    return *this;
}

TRegion::~TRegion() = default;

TRegion TRegion::FromRect(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    return TRegion(TRect{left, top, right, bottom});
}

TRegion TRegion::FromRects(const std::vector<TRect>& rects)
{
    std::vector<pixman_box32_t> boxes;
    boxes.reserve(rects.size());
    for (const TRect& r : rects)
        if (!IsRectEmpty(r))
            boxes.push_back({r.Left, r.Top, r.Right, r.Bottom});
    TRegion region;
    pixman_region32_fini(&region.FImpl->Region);
    pixman_region32_init_rects(&region.FImpl->Region, boxes.data(), static_cast<int>(boxes.size()));
    return region;
}

TRegion TRegion::RoundRect(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t width, int32_t height)
{
    CheckShapeHeight(top, bottom);
    return FromSpans(ShapeSpans(RoundRectShape(left, top, right, bottom, width, height)));
}

TRegion TRegion::Ellipse(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    CheckShapeHeight(top, bottom);
    return FromSpans(ShapeSpans(EllipseShape(left, top, right, bottom)));
}

TRegion TRegion::Polygon(const std::vector<TPoint>& points, TPolyFillMode mode)
{
    if (!points.empty()) {
        const auto [low, high] = std::minmax_element(points.begin(), points.end(),
                                                     [](const TPoint& a, const TPoint& b) { return a.Y < b.Y; });
        CheckShapeHeight(low->Y, high->Y);
    }
    return FromSpans(PolygonSpans(points, mode));
}

TRegionKind TRegion::Combine(const TRegion& a, const TRegion& b, TRegionCombine mode)
{
    pixman_region32_t* dest = &FImpl->Region;
    pixman_region32_t* ra = &a.FImpl->Region;
    pixman_region32_t* rb = &b.FImpl->Region;
    pixman_bool_t ok = 1;
    switch (mode) {
    case RGN_AND: ok = pixman_region32_intersect(dest, ra, rb); break;
    case RGN_OR: ok = pixman_region32_union(dest, ra, rb); break;
    case RGN_DIFF: ok = pixman_region32_subtract(dest, ra, rb); break;
    case RGN_COPY: ok = pixman_region32_copy(dest, ra); break;
    case RGN_XOR: {
        TRegion left, right;
        ok = pixman_region32_subtract(&left.FImpl->Region, ra, rb) &&
            pixman_region32_subtract(&right.FImpl->Region, rb, ra) &&
            pixman_region32_union(dest, &left.FImpl->Region, &right.FImpl->Region);
        break;
    }
    default: return RGN_ERROR;
    }
    return ok ? KindOf(dest) : RGN_ERROR;
}

TRegionKind TRegion::Offset(int32_t dx, int32_t dy)
{
    pixman_region32_translate(&FImpl->Region, dx, dy);
    return KindOf(&FImpl->Region);
}

bool TRegion::Contains(int32_t x, int32_t y) const
{
    return pixman_region32_contains_point(&FImpl->Region, x, y, nullptr) != 0;
}

bool TRegion::IntersectsRect(const TRect& rect) const
{
    if (IsRectEmpty(rect))
        return false;
    pixman_box32_t box{rect.Left, rect.Top, rect.Right, rect.Bottom};
    return pixman_region32_contains_rectangle(&FImpl->Region, &box) != PIXMAN_REGION_OUT;
}

TRect TRegion::BoundingBox() const
{
    if (Kind() == NULLREGION)
        return {};
    const pixman_box32_t* box = pixman_region32_extents(&FImpl->Region);
    return {box->x1, box->y1, box->x2, box->y2};
}

TRegionKind TRegion::Kind() const { return KindOf(&FImpl->Region); }

std::vector<TRect> TRegion::Rects() const
{
    int count = 0;
    const pixman_box32_t* boxes = pixman_region32_rectangles(&FImpl->Region, &count);
    std::vector<TRect> rects;
    rects.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        rects.push_back({boxes[i].x1, boxes[i].y1, boxes[i].x2, boxes[i].y2});
    return rects;
}

bool operator==(const TRegion& a, const TRegion& b)
{
    return pixman_region32_equal(&a.FImpl->Region, &b.FImpl->Region) != 0;
}
