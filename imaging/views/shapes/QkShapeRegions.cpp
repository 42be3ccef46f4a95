#include "imaging/views/shapes/QkShapeRegions.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <span>
#include <vector>

#include "platform/core/Types.h"

namespace {

struct TUnitPoint {
    long double X, Y;
};

constexpr TUnitPoint Star5Points[] = {{0.5L, 0},      {0.62L, 0.36L}, {1, 0.36L},     {0.7L, 0.59L},
                                      {0.81L, 0.95L}, {0.5L, 0.73L},  {0.19L, 0.95L}, {0.31L, 0.59L},
                                      {0, 0.36L},     {0.39L, 0.36L}, {0.5L, 0}};

constexpr TUnitPoint Star6Points[] = {{0.5L, 0},       {0.625L, 0.25L}, {0.9L, 0.25L},   {0.75L, 0.5L}, {0.9L, 0.75L},
                                      {0.625L, 0.75L}, {0.5L, 1},       {0.375L, 0.75L}, {0.1L, 0.75L}, {0.25L, 0.5L},
                                      {0.1L, 0.25L},   {0.375L, 0.25L}, {0.5L, 0}};

constexpr TUnitPoint ArrowPoints[] = {{0, 0},    {0.4L, 0},    {0.3L, 0.1L}, {1, 0.8L},
                                      {0.8L, 1}, {0.1L, 0.3L}, {0, 0.4L},    {0, 0}};

constexpr TUnitPoint FletchedArrowPoints[] = {
    {0.85L, 1},       {0.8L, 0.95L},    {0.8L, 0.85L}, {0.775L, 0.825L}, {0.775L, 0.925L}, {0.725L, 0.875L},
    {0.725L, 0.775L}, {0.7L, 0.75L},    {0.7L, 0.85L}, {0.65L, 0.8L},    {0.65L, 0.7L},    {0.15L, 0.2L},
    {0.15L, 0.3L},    {0, 0.15L},       {0, 0},        {0.15L, 0},       {0.3L, 0.15L},    {0.2L, 0.15L},
    {0.7L, 0.65L},    {0.8L, 0.65L},    {0.85L, 0.7L}, {0.75L, 0.7L},    {0.775L, 0.725L}, {0.875L, 0.725L},
    {0.925L, 0.775L}, {0.825L, 0.775L}, {0.85L, 0.8L}, {0.95L, 0.8L},    {1, 0.85L},       {0.85L, 0.85L},
    {0.85L, 1}};

constexpr TUnitPoint LightningPoints[] = {{1, 0.19L},     {0.61L, 0.01L}, {0.41L, 0.29L}, {0.49L, 0.31L},
                                          {0.23L, 0.55L}, {0.33L, 0.6L},  {0, 1},         {0.51L, 0.69L},
                                          {0.46L, 0.65L}, {0.78L, 0.45L}, {0.66L, 0.39L}, {1, 0.19L}};

constexpr TUnitPoint ExplosionPoints[] = {
    {0.33L, 0},     {0.5L, 0.26L},  {0.62L, 0.11L}, {0.67L, 0.28L}, {0.99L, 0.1L},  {0.78L, 0.35L}, {1, 0.39L},
    {0.84L, 0.54L}, {0.99L, 0.66L}, {0.75L, 0.64L}, {0.78L, 0.81L}, {0.65L, 0.71L}, {0.61L, 1},     {0.51L, 0.69L},
    {0.38L, 0.89L}, {0.35L, 0.66L}, {0.17L, 0.83L}, {0.22L, 0.59L}, {0, 0.61L},     {0.19L, 0.48L}, {0.04L, 0.37L},
    {0.22L, 0.34L}, {0.16L, 0.2L},  {0.35L, 0.25L}, {0.33L, 0.01L}};

constexpr int32_t MirrorLeftRight = 1, MirrorTopBottom = 2;

int32_t RoundTo32(long double value) { return static_cast<int32_t>(Round(value)); }

// The table mapped into the box (1.0 lands on the last column or row).
TRegion TableRegion(std::span<const TUnitPoint> table, int32_t left, int32_t top, int32_t width, int32_t height,
                    int32_t mirror)
{
    std::vector<TPoint> points;
    points.reserve(table.size());
    for (const TUnitPoint& unit : table) {
        const long double fx = (mirror & MirrorLeftRight) ? 1 - unit.X : unit.X;
        const long double fy = (mirror & MirrorTopBottom) ? 1 - unit.Y : unit.Y;
        points.push_back({left + RoundTo32((width - 1) * fx), top + RoundTo32((height - 1) * fy)});
    }
    return TRegion::Polygon(points, WINDING);
}

TRegion SquaredTableRegion(std::span<const TUnitPoint> table, int32_t left, int32_t top, int32_t width, int32_t height,
                           int32_t mirror)
{
    SquareInBox(left, top, width, height);
    return TableRegion(table, left, top, width, height, mirror);
}

TRegion Union(const TRegion& a, const TRegion& b)
{
    TRegion result;
    result.Combine(a, b, RGN_OR);
    return result;
}

} // namespace

TPoint PointOnCircle(TPoint centre, uint16_t radius, double angle)
{
    const double radians = (angle - 90) * std::numbers::pi / 180;
    return {RoundTo32(std::cos(radians) * radius + centre.X), RoundTo32(std::sin(radians) * radius + centre.Y)};
}

void SquareInBox(int32_t& left, int32_t& top, int32_t& width, int32_t& height)
{
    const int32_t side = std::min(width, height);
    left += (width - side) / 2;
    top += (height - side) / 2;
    width = side;
    height = side;
}

TRegion CreateStar5Region(int32_t left, int32_t top, int32_t width, int32_t height)
{
    return SquaredTableRegion(Star5Points, left, top, width, height, 0);
}

TRegion CreateStar6Region(int32_t left, int32_t top, int32_t width, int32_t height)
{
    return SquaredTableRegion(Star6Points, left, top, width, height, 0);
}

TRegion CreateArrowRegion(int32_t left, int32_t top, int32_t width, int32_t height, int32_t variant)
{
    return SquaredTableRegion(ArrowPoints, left, top, width, height, variant);
}

TRegion CreateFletchedArrowRegion(int32_t left, int32_t top, int32_t width, int32_t height, int32_t variant)
{
    return SquaredTableRegion(FletchedArrowPoints, left, top, width, height, variant);
}

TRegion CreateLightningRegion(int32_t left, int32_t top, int32_t width, int32_t height, bool asTabled)
{
    if (width > height) {
        left += (width - height) / 2;
        width = height;
    }
    return TableRegion(LightningPoints, left, top, width, height, asTabled ? 0 : MirrorLeftRight);
}

TRegion CreateExplosionRegion(int32_t left, int32_t top, int32_t width, int32_t height, bool mirrored)
{
    return TableRegion(ExplosionPoints, left, top, width, height, mirrored ? MirrorLeftRight | MirrorTopBottom : 0);
}

TRegion CreateCrossRegion(int32_t left, int32_t top, int32_t width, int32_t height, float crossbar)
{
    const int32_t cap = RoundTo32(height * 0.75L);
    if (width > cap) {
        left += (width - cap) / 2;
        width = cap;
    }
    const int32_t bar = std::min(RoundTo32(width * 0.2L), RoundTo32(height * 0.22L));
    const int32_t uprightLeft = left + (width - bar) / 2;
    const int32_t barTop = top + RoundTo32((height - bar) * static_cast<long double>(crossbar));
    return Union(TRegion::FromRect(uprightLeft, top, uprightLeft + bar, top + height),
                 TRegion::FromRect(left, barTop, left + width, barTop + bar));
}

TRegion CreateHeartRegion(int32_t left, int32_t top, int32_t width, int32_t height)
{
    const int32_t side = std::min(width, height);
    const int32_t x = left + (width - side) / 2, y = top + (height - side) / 2;
    const int32_t half = side / 2, quarter = side / 4, lobe = half + 2, radius = lobe / 2;
    const auto pointRadius = static_cast<uint16_t>(radius - 1);
    const TPoint p1 = PointOnCircle({quarter, quarter}, pointRadius, 233.14);
    const TPoint p2 = PointOnCircle({side - quarter, quarter}, pointRadius, 126.86);
    TRegion heart =
        Union(TRegion::Ellipse(x, y, x + lobe, y + lobe), TRegion::Ellipse(x + side - lobe, y, x + side, y + lobe));
    heart = Union(heart, TRegion::Polygon({{x + p1.X, y + p1.Y}, {x + p2.X, y + p2.Y}, {x + half, y + side}}, WINDING));
    return Union(heart, TRegion::FromRect(x + radius, y + radius, x + side - radius, y + lobe));
}

TRegion CreateShapeRegion(uint8_t shape, int32_t left, int32_t top, int32_t width, int32_t height)
{
    // Mapped by (size - 1) and drawn with lobes of at least two pixels, a
    // shape in an empty box would still show a dot.
    if (width <= 0 || height <= 0)
        return TRegion();
    switch (shape & 0x7F) {
    case 0: return CreateStar5Region(left, top, width, height);
    case 1: return CreateStar6Region(left, top, width, height);
    case 2:
    case 3:
    case 4:
    case 5: return CreateArrowRegion(left, top, width, height, (shape & 0x7F) - 2);
    case 6: return CreateLightningRegion(left, top, width, height, true);
    case 7: return CreateLightningRegion(left, top, width, height, false);
    case 8: return CreateExplosionRegion(left, top, width, height, false);
    case 9: return CreateExplosionRegion(left, top, width, height, true);
    case 10: return CreateCrossRegion(left, top, width, height, 0.33f);
    case 11:
    case 12:
    case 13:
    case 14: return CreateFletchedArrowRegion(left, top, width, height, (shape & 0x7F) - 11);
    case 15: return CreateHeartRegion(left, top, width, height);
    default: return TRegion();
    }
}

TRegion CreateShapeRegionInRect(uint8_t shape, const TRect& rect)
{
    return CreateShapeRegion(shape, rect.Left, rect.Top, rect.Right - rect.Left, rect.Bottom - rect.Top);
}
