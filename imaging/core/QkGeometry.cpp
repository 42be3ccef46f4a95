#include "imaging/core/QkGeometry.h"

#include <cmath>
#include <cstdlib>
#include <numbers>

#include "imaging/core/QkMath.h"
#include "imaging/core/QkPixels.h"
#include "platform/core/Types.h"

namespace {

constexpr double TwoPi = 2 * std::numbers::pi;
// Beyond this many pixels on either axis an end point counts as far away.
constexpr int64_t NearEndLimit = 45000;

double DistanceToNearEnd(int32_t x, int32_t y, int32_t endX, int32_t endY)
{
    if (std::llabs(int64_t{x} - endX) > NearEndLimit || std::llabs(int64_t{y} - endY) > NearEndLimit)
        return LineFarAway;
    return PointDistance(x, y, endX, endY);
}

int32_t ToScreen(int32_t coordinate, double scale, double offset, double origin)
{
    return static_cast<int32_t>(Round(scale * (coordinate - origin) + offset));
}

std::vector<TPoint> MapToScreen(const std::vector<TPoint>& points, const TScreenMapping& m)
{
    std::vector<TPoint> mapped;
    mapped.reserve(points.size());
    for (const TPoint& p : points)
        mapped.push_back(
            {ToScreen(p.X, m.ScaleX, m.OffsetX, m.OriginX), ToScreen(p.Y, m.ScaleY, m.OffsetY, m.OriginY)});
    return mapped;
}

// The segment a -> b tried at its own place and, for wide pens, shifted by
// the pen's half width across x and by 2 .. half width down.
double DistanceToWideSegment(int32_t x, int32_t y, TPoint a, TPoint b, int32_t penWidth)
{
    double best = PointToSegmentDistance(x, y, a.X, a.Y, b.X, b.Y);
    if (penWidth <= 1)
        return best;
    const int32_t half = penWidth / 2;
    for (int32_t dx = -half; dx <= half; ++dx)
        for (int32_t dy = 2; dy <= half; ++dy)
            best = std::min(best, PointToSegmentDistance(x, y, a.X + dx, a.Y + dy, b.X + dx, b.Y + dy));
    return best;
}

// Each sample of the ellipse with radii rx, ry (centre at the origin), in
// the order of the angle, starting after (rx, 0).
std::vector<TPoint> EllipseSamples(int32_t rx, int32_t ry, bool filled)
{
    int32_t count = static_cast<int32_t>(Trunc(TwoPi * std::min(rx, ry)));
    if (!filled)
        count /= 8;
    count = std::max(count, 2);
    std::vector<TPoint> samples;
    for (int32_t j = 1; j < count; ++j) {
        const double angle = TwoPi * j / count;
        samples.push_back(
            {static_cast<int32_t>(Trunc(rx * std::cos(angle))), static_cast<int32_t>(Trunc(ry * std::sin(angle)))});
    }
    return samples;
}

double DistanceToSampledEllipse(int32_t x, int32_t y, int32_t rx, int32_t ry, bool filled)
{
    double best = ShapeFarAway;
    TPoint previous{rx, 0};
    for (const TPoint& sample : EllipseSamples(rx, ry, filled)) {
        if (filled) {
            best = std::min(best, std::trunc(PointToSegmentDistance(x, y, 0, 0, sample.X, sample.Y)));
        } else {
            best = std::min(best, PointToSegmentDistance(x, y, previous.X, previous.Y, sample.X, sample.Y));
            previous = sample;
        }
    }
    return best;
}

double DistanceToRectSides(int32_t x, int32_t y, int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    return std::min({PointToSegmentDistance(x, y, left, top, right, top),
                     PointToSegmentDistance(x, y, right, top, right, bottom),
                     PointToSegmentDistance(x, y, right, bottom, left, bottom),
                     PointToSegmentDistance(x, y, left, bottom, left, top)});
}

// Even-odd crossings of the ray from (x, y) to the right; `at(i)` gives
// point i as doubles.
template <typename PointAt>
bool InsideEvenOdd(double x, double y, size_t count, PointAt at)
{
    bool inside = false;
    for (size_t i = 0; i < count; ++i) {
        const auto [xi, yi] = at(i);
        const auto [xj, yj] = at(i == 0 ? count - 1 : i - 1);
        const bool spansRow = (yi <= y && y < yj) || (yj <= y && y < yi);
        if (spansRow && x < (xj - xi) * (y - yi) / (yj - yi) + xi)
            inside = !inside;
    }
    return inside;
}

} // namespace

double PointDistance(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    return std::hypot(static_cast<double>(x2) - x1, static_cast<double>(y2) - y1);
}

double PointToLineDistance(int32_t x, int32_t y, int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    const double length = PointDistance(x1, y1, x2, y2);
    if (length == 0)
        return PointDistance(x, y, x1, y1);
    const double cross = (static_cast<double>(x2) - x1) * (static_cast<double>(y1) - y) -
        (static_cast<double>(x1) - x) * (static_cast<double>(y2) - y1);
    return std::fabs(cross) / length;
}

double PointToSegmentDistance(int32_t x, int32_t y, int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    if (x1 == x2 && y1 == y2)
        return PointDistance(x, y, x1, y1);
    const double dx = static_cast<double>(x2) - x1;
    const double dy = static_cast<double>(y2) - y1;
    const double t = ((static_cast<double>(x) - x1) * dx + (static_cast<double>(y) - y1) * dy) / (dx * dx + dy * dy);
    if (t > 1)
        return DistanceToNearEnd(x, y, x2, y2);
    if (t < 0)
        return DistanceToNearEnd(x, y, x1, y1);
    return PointToLineDistance(x, y, x1, y1, x2, y2);
}

double PointToPolylineDistance(int32_t x, int32_t y, const std::vector<TPoint>& points, bool closed,
                               const TScreenMapping& mapping, int32_t penWidth)
{
    if (points.size() < 2)
        return LineFarAway;
    const std::vector<TPoint> screen = MapToScreen(points, mapping);
    double best = LineFarAway;
    for (size_t i = 1; i < screen.size(); ++i)
        best = std::min(best, DistanceToWideSegment(x, y, screen[i - 1], screen[i], penWidth));
    if (closed)
        best = std::min(best, DistanceToWideSegment(x, y, screen.back(), screen.front(), penWidth));
    return best;
}

double DistanceToEllipse(int32_t x, int32_t y, int32_t left, int32_t top, int32_t right, int32_t bottom,
                         int32_t penWidth, bool filled)
{
    const int32_t centreX = left + (right - left) / 2;
    const int32_t centreY = top + (bottom - top) / 2;
    double best = ShapeFarAway;
    for (int32_t k = -penWidth / 2; k <= penWidth / 2; ++k) {
        const int32_t rx = (right - left) / 2 + k;
        const int32_t ry = (bottom - top) / 2 + k;
        best = std::min(best, DistanceToSampledEllipse(x - centreX, y - centreY, rx, ry, filled));
    }
    return best;
}

double DistanceToRectangle(int32_t x, int32_t y, int32_t left, int32_t top, int32_t right, int32_t bottom,
                           int32_t penWidth, bool filled)
{
    double best = ShapeFarAway;
    for (int32_t k = -penWidth / 2; k <= penWidth / 2; ++k) {
        if (filled && IsPointInRect(x, y, left - k, top - k, right + k, bottom + k))
            return 0;
        best = std::min(best, DistanceToRectSides(x, y, left - k, top - k, right + k, bottom + k));
    }
    return best;
}

double VectorAngle(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3)
{
    const double ax = static_cast<double>(x2) - x1, ay = static_cast<double>(y2) - y1;
    const double bx = static_cast<double>(x3) - x2, by = static_cast<double>(y3) - y2;
    const double lengths = std::hypot(ax, ay) * std::hypot(bx, by);
    if (lengths == 0)
        return 0;
    const double cosine = (ax * bx + ay * by) / lengths;
    if (cosine < -1 || cosine > 1)
        return 0;
    return QkArcCos(cosine);
}

double LineAngle(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    if (x1 == x2)
        return y2 < y1 ? std::numbers::pi / 2 : y2 > y1 ? 3 * std::numbers::pi / 2 : 0;
    if (y1 == y2)
        return x2 < x1 ? std::numbers::pi : 0;
    // Against a reference pointing right; below the start the angle runs on
    // past pi.
    const double angle = VectorAngle(x1 - 1, y1, x1, y1, x2, y2);
    return y2 > y1 ? TwoPi - angle : angle;
}

int32_t PointOrientation(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    const int64_t dx1 = int64_t{x1} - x0, dy1 = int64_t{y1} - y0;
    const int64_t dx2 = int64_t{x2} - x0, dy2 = int64_t{y2} - y0;
    if (dx1 * dy2 > dy1 * dx2)
        return 1;
    if (dx1 * dy2 < dy1 * dx2)
        return -1;
    if (dx1 * dx2 < 0 || dy1 * dy2 < 0)
        return -1;
    return dx1 * dx1 + dy1 * dy1 < dx2 * dx2 + dy2 * dy2 ? 1 : 0;
}

double VertexAngle(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3)
{
    auto side = [](double length) { return length == 0 ? 1.0 : length; };
    const double a = side(PointDistance(x1, y1, x2, y2));
    const double b = side(PointDistance(x2, y2, x3, y3));
    const double c = side(PointDistance(x1, y1, x3, y3));
    const double angle = QkArcCos((a * a + b * b - c * c) / (2 * a * b));
    return PointOrientation(x1, y1, x2, y2, x3, y3) == -1 ? TwoPi - angle : angle;
}

void RotatePoints(std::vector<TPoint>& points, int32_t centreX, int32_t centreY, double angle)
{
    const double theta = -angle * std::numbers::pi / 180;
    const double cosine = std::cos(theta), sine = std::sin(theta);
    for (TPoint& p : points) {
        const double dx = static_cast<double>(p.X) - centreX, dy = static_cast<double>(p.Y) - centreY;
        p.X = centreX + static_cast<int32_t>(Trunc(cosine * dx - sine * dy));
        p.Y = centreY + static_cast<int32_t>(Trunc(sine * dx + cosine * dy));
    }
}

bool PointInPolygon(int32_t x, int32_t y, const std::vector<TPoint>& points)
{
    return InsideEvenOdd(x, y, points.size(), [&](size_t i) {
        return std::pair<double, double>{points[i].X, points[i].Y};
    });
}

bool PointInScaledPolygon(int32_t x, int32_t y, const std::vector<TPoint>& points, const TScreenMapping& m)
{
    return InsideEvenOdd(x, y, points.size(), [&](size_t i) {
        return std::pair<double, double>{m.ScaleX * (points[i].X - m.OriginX) + m.OffsetX,
                                         m.ScaleY * (points[i].Y - m.OriginY) + m.OffsetY};
    });
}

bool IsPointInRect(int32_t x, int32_t y, int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    return x >= left && x <= right && y >= top && y <= bottom;
}

bool IsPointInRectNormalized(int32_t x, int32_t y, int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    OrderRectCorners(x1, y1, x2, y2);
    return IsPointInRect(x, y, x1, y1, x2, y2);
}

bool RectsOverlap(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t left, int32_t top, int32_t right,
                  int32_t bottom)
{
    OrderRectCorners(x1, y1, x2, y2);
    return x1 <= right && x2 >= left && y1 <= bottom && y2 >= top;
}

void IncludePointInRect(TRect& rect, int32_t x, int32_t y)
{
    rect.Left = std::min(rect.Left, x);
    rect.Top = std::min(rect.Top, y);
    rect.Right = std::max(rect.Right, x);
    rect.Bottom = std::max(rect.Bottom, y);
}

void SnapTo45Degrees(int32_t x0, int32_t y0, int32_t& x, int32_t& y)
{
    const int32_t dx = x0 - x, dy = y0 - y;
    const int32_t e = std::abs(dx), f = std::abs(dy), k = std::abs(e - f);
    if (e + 30 < f) {
        x = x0;
        return;
    }
    if (f < e - 30) {
        y = y0;
        return;
    }
    if (dx == 0 || dy == 0)
        return;
    // Up-left of the start the larger difference shrinks; elsewhere the
    // smaller one grows.
    if (dx < 0 && dy < 0) {
        (e >= f ? y : x) += k;
    } else if (dx > 0 && dy > 0) {
        (e >= f ? x : y) += k;
    } else if (dx > 0) {
        if (e >= f)
            y += k;
        else
            x -= k;
    } else if (e >= f) {
        y -= k;
    } else {
        x += k;
    }
}
