#include "platform/gfx/Shapes.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

// Tolerance so that a pixel centre lying exactly on the curve counts as inside.
constexpr double CurveTolerance = 1e-9;

TRowExtent EllipseRow(double cx, double cy, double ra, double rb, int32_t y)
{
    if (ra <= 0 || rb <= 0)
        return {};
    const double dy = (y + 0.5 - cy) / rb;
    if (std::fabs(dy) > 1.0 + CurveTolerance)
        return {};
    const double halfWidth = ra * std::sqrt(std::max(0.0, 1.0 - dy * dy));
    return {static_cast<int32_t>(std::ceil(cx - halfWidth - 0.5 - CurveTolerance)),
            static_cast<int32_t>(std::floor(cx + halfWidth - 0.5 + CurveTolerance))};
}

int64_t FloorDiv(int64_t a, int64_t b)
{
    int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

int64_t CeilDiv(int64_t a, int64_t b) { return -FloorDiv(-a, b); }

struct TCrossing {
    int64_t X; // first pixel at or right of the crossing
    int Direction;
};

// A polygon edge from its upper end A to its lower end B; it crosses rows
// A.Y .. B.Y - 1.
struct TEdge {
    TPoint A, B;
    int Direction;
};

// The crossings of equal X may come in any order: only the winding after
// the last of them opens a span.
void AddRowSpans(std::vector<TCrossing>& crossings, TPolyFillMode mode, int32_t y, std::vector<TSpan>& out)
{
    std::sort(crossings.begin(), crossings.end(), [](const TCrossing& a, const TCrossing& b) { return a.X < b.X; });
    int winding = 0;
    for (size_t i = 0; i + 1 < crossings.size(); ++i) {
        winding += (mode == WINDING) ? crossings[i].Direction : 1;
        const bool inside = (mode == WINDING) ? winding != 0 : (winding & 1) != 0;
        if (inside && crossings[i + 1].X > crossings[i].X)
            out.push_back({y, static_cast<int32_t>(crossings[i].X), static_cast<int32_t>(crossings[i + 1].X)});
    }
}

} // namespace

namespace {

// Builds the rows of a shape spanning rows top .. bottom-1 that fall in the
// window, plus one helper row beyond each cut edge.
template <typename RowOf>
TRowShape BuildShape(int32_t top, int32_t bottom, TRowWindow window, RowOf rowOf)
{
    TRowShape shape{top, {}};
    if (bottom <= top)
        return shape;
    const int64_t first = std::max<int64_t>(top, static_cast<int64_t>(window.Top) - 1);
    const int64_t last = std::min<int64_t>(bottom, static_cast<int64_t>(window.Bottom) + 1);
    if (last <= first)
        return shape;
    shape.Top = static_cast<int32_t>(first);
    shape.ClippedAbove = first > top;
    shape.ClippedBelow = last < bottom;
    shape.Rows.reserve(static_cast<size_t>(last - first));
    for (int64_t y = first; y < last; ++y)
        shape.Rows.push_back(rowOf(static_cast<int32_t>(y)));
    return shape;
}

// Whether row i of the shape is a helper row beyond a cut edge.
bool IsHelperRow(const TRowShape& shape, size_t i)
{
    return (i == 0 && shape.ClippedAbove) || (i + 1 == shape.Rows.size() && shape.ClippedBelow);
}

} // namespace

TRowShape EllipseShape(int32_t left, int32_t top, int32_t right, int32_t bottom, TRowWindow window)
{
    if (right <= left)
        return {top, {}};
    const double cx = (static_cast<double>(left) + right) / 2, cy = (static_cast<double>(top) + bottom) / 2;
    const double ra = (static_cast<double>(right) - left) / 2, rb = (static_cast<double>(bottom) - top) / 2;
    return BuildShape(top, bottom, window, [&](int32_t y) { return EllipseRow(cx, cy, ra, rb, y); });
}

TRowShape RectShape(int32_t left, int32_t top, int32_t right, int32_t bottom, TRowWindow window)
{
    if (right <= left)
        return {top, {}};
    return BuildShape(top, bottom, window, [&](int32_t) { return TRowExtent{left, right - 1}; });
}

TRowShape RoundRectShape(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t width, int32_t height,
                         TRowWindow window)
{
    width = static_cast<int32_t>(std::clamp<int64_t>(width, 0, std::max<int64_t>(0, int64_t{right} - left)));
    height = static_cast<int32_t>(std::clamp<int64_t>(height, 0, std::max<int64_t>(0, int64_t{bottom} - top)));
    if (width < 2 || height < 2)
        return RectShape(left, top, right, bottom, window);
    if (right <= left)
        return {top, {}};
    const double cx = left + width / 2.0, ra = width / 2.0, rb = height / 2.0;
    const double topCy = top + rb, bottomCy = bottom - rb;
    const int32_t zone = height / 2;
    return BuildShape(top, bottom, window, [&](int32_t y) {
        TRowExtent corner;
        if (y < top + zone)
            corner = EllipseRow(cx, topCy, ra, rb, y);
        else if (y >= bottom - zone)
            corner = EllipseRow(cx, bottomCy, ra, rb, y);
        else
            return TRowExtent{left, right - 1};
        const int64_t l = corner.Empty() ? int64_t{left} + width / 2 : corner.Left;
        return TRowExtent{static_cast<int32_t>(l), static_cast<int32_t>(int64_t{left} + right - 1 - l)};
    });
}

std::vector<TSpan> ShapeSpans(const TRowShape& shape)
{
    std::vector<TSpan> spans;
    for (size_t i = 0; i < shape.Rows.size(); ++i)
        if (!shape.Rows[i].Empty() && !IsHelperRow(shape, i))
            spans.push_back({shape.Top + static_cast<int32_t>(i), shape.Rows[i].Left, shape.Rows[i].Right + 1});
    return spans;
}

namespace {

// Inner ends of the outline pieces of row i: the left piece runs to
// `leftEnd`, the right piece starts at `rightStart`; whole row when they meet.
void OutlineEnds(const TRowShape& shape, size_t i, int32_t& leftEnd, int32_t& rightStart)
{
    const TRowExtent& row = shape.Rows[i];
    const bool edgeRow = i == 0 || i + 1 == shape.Rows.size() || shape.Rows[i - 1].Empty() || shape.Rows[i + 1].Empty();
    if (edgeRow) {
        leftEnd = row.Right;
        rightStart = row.Left;
        return;
    }
    const TRowExtent& above = shape.Rows[i - 1];
    const TRowExtent& below = shape.Rows[i + 1];
    leftEnd = std::max(row.Left, std::max(above.Left, below.Left) - 1);
    rightStart = std::min(row.Right, std::min(above.Right, below.Right) + 1);
}

} // namespace

std::vector<TSpan> OutlineSpans(const TRowShape& shape)
{
    std::vector<TSpan> spans;
    for (size_t i = 0; i < shape.Rows.size(); ++i) {
        const TRowExtent& row = shape.Rows[i];
        if (row.Empty() || IsHelperRow(shape, i))
            continue;
        const int32_t y = shape.Top + static_cast<int32_t>(i);
        int32_t leftEnd, rightStart;
        OutlineEnds(shape, i, leftEnd, rightStart);
        if (leftEnd + 1 >= rightStart) {
            spans.push_back({y, row.Left, row.Right + 1});
        } else {
            spans.push_back({y, row.Left, leftEnd + 1});
            spans.push_back({y, rightStart, row.Right + 1});
        }
    }
    return spans;
}

std::vector<TSpan> InteriorSpans(const TRowShape& shape)
{
    std::vector<TSpan> spans;
    for (size_t i = 0; i < shape.Rows.size(); ++i) {
        if (shape.Rows[i].Empty() || IsHelperRow(shape, i))
            continue;
        int32_t leftEnd, rightStart;
        OutlineEnds(shape, i, leftEnd, rightStart);
        if (leftEnd + 1 < rightStart)
            spans.push_back({shape.Top + static_cast<int32_t>(i), leftEnd + 1, rightStart});
    }
    return spans;
}

std::vector<TSpan> RingSpans(const TRowShape& outer, const TRowShape& inner)
{
    std::vector<TSpan> spans;
    for (size_t i = 0; i < outer.Rows.size(); ++i) {
        const TRowExtent& o = outer.Rows[i];
        if (o.Empty() || IsHelperRow(outer, i))
            continue;
        const int32_t y = outer.Top + static_cast<int32_t>(i);
        const int64_t j = static_cast<int64_t>(y) - inner.Top;
        TRowExtent in;
        if (j >= 0 && j < static_cast<int64_t>(inner.Rows.size()))
            in = inner.Rows[static_cast<size_t>(j)];
        if (in.Empty() || in.Left > o.Right || in.Right < o.Left) {
            spans.push_back({y, o.Left, o.Right + 1});
            continue;
        }
        if (in.Left > o.Left)
            spans.push_back({y, o.Left, in.Left});
        if (in.Right < o.Right)
            spans.push_back({y, in.Right + 1, o.Right + 1});
    }
    return spans;
}

std::vector<TSpan> PolygonSpans(const std::vector<TPoint>& points, TPolyFillMode mode, TRowWindow window)
{
    std::vector<TSpan> spans;
    if (points.size() < 3)
        return spans;
    int32_t minY = points[0].Y, maxY = points[0].Y;
    for (const TPoint& p : points) {
        minY = std::min(minY, p.Y);
        maxY = std::max(maxY, p.Y);
    }
    minY = std::max(minY, window.Top);
    maxY = std::min(maxY, window.Bottom);
    // Edges by their first row, so that each row visits only the edges
    // crossing it.
    std::vector<TEdge> edges;
    for (size_t i = 0; i < points.size(); ++i) {
        const TPoint a = points[i], b = points[(i + 1) % points.size()];
        if (a.Y != b.Y)
            edges.push_back(a.Y < b.Y ? TEdge{a, b, 1} : TEdge{b, a, -1});
    }
    std::sort(edges.begin(), edges.end(), [](const TEdge& a, const TEdge& b) { return a.A.Y < b.A.Y; });
    std::vector<const TEdge*> active;
    auto next = edges.begin();
    std::vector<TCrossing> crossings;
    for (int32_t y = minY; y < maxY; ++y) {
        for (; next != edges.end() && next->A.Y <= y; ++next)
            active.push_back(&*next);
        std::erase_if(active, [y](const TEdge* e) { return e->B.Y <= y; });
        crossings.clear();
        for (const TEdge* e : active) {
            const int64_t dy = static_cast<int64_t>(e->B.Y) - e->A.Y;
            const int64_t numerator = static_cast<int64_t>(e->A.X) * dy +
                (static_cast<int64_t>(y) - e->A.Y) * (static_cast<int64_t>(e->B.X) - e->A.X);
            crossings.push_back({CeilDiv(numerator, dy), e->Direction});
        }
        AddRowSpans(crossings, mode, y, spans);
    }
    NormalizeSpans(spans);
    return spans;
}

// Products of two 33-bit line extents need more than 64 bits.
using Wide = __int128;

int64_t LineLength(int32_t x0, int32_t y0, int32_t x1, int32_t y1)
{
    return std::max(std::llabs(static_cast<int64_t>(x1) - x0), std::llabs(static_cast<int64_t>(y1) - y0));
}

std::vector<TPoint> LinePoints(int32_t x0, int32_t y0, int32_t x1, int32_t y1, const TRect* bounds, int64_t* firstStep)
{
    std::vector<TPoint> points;
    const int64_t dx = static_cast<int64_t>(x1) - x0, dy = static_cast<int64_t>(y1) - y0;
    const int64_t adx = std::llabs(dx), ady = std::llabs(dy);
    const bool xMajor = adx >= ady;
    const int sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -1 : 1;
    int64_t first = 0, last = std::max(adx, ady);
    if (bounds) {
        // Steps whose major coordinate lies inside the bounds.
        const int64_t start = xMajor ? x0 : y0, step = xMajor ? sx : sy;
        const int64_t lo = xMajor ? bounds->Left : bounds->Top, hi = xMajor ? bounds->Right : bounds->Bottom;
        if (step > 0) {
            first = std::max(first, lo - start);
            last = std::min(last, hi - start);
        } else {
            first = std::max(first, start - (hi - 1));
            last = std::min(last, start - lo + 1);
        }
    }
    if (firstStep)
        *firstStep = first;
    if (last <= first)
        return points;
    points.reserve(static_cast<size_t>(last - first));
    for (int64_t i = first; i < last; ++i) {
        // The minor coordinate is the exact one rounded, halves toward the start.
        if (xMajor) {
            const auto minor = static_cast<int64_t>((Wide{2} * i * ady + adx - 1) / (Wide{2} * adx));
            points.push_back({static_cast<int32_t>(x0 + sx * i), static_cast<int32_t>(y0 + sy * minor)});
        } else {
            const auto minor = static_cast<int64_t>((Wide{2} * i * adx + ady - 1) / (Wide{2} * ady));
            points.push_back({static_cast<int32_t>(x0 + sx * minor), static_cast<int32_t>(y0 + sy * i)});
        }
    }
    return points;
}

void NormalizeSpans(std::vector<TSpan>& spans)
{
    std::sort(spans.begin(), spans.end(),
              [](const TSpan& a, const TSpan& b) { return a.Y != b.Y ? a.Y < b.Y : a.X0 < b.X0; });
    std::vector<TSpan> merged;
    merged.reserve(spans.size());
    for (const TSpan& s : spans) {
        if (s.X1 <= s.X0)
            continue;
        if (!merged.empty() && merged.back().Y == s.Y && s.X0 <= merged.back().X1)
            merged.back().X1 = std::max(merged.back().X1, s.X1);
        else
            merged.push_back(s);
    }
    spans = std::move(merged);
}
