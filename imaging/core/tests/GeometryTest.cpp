#include <gtest/gtest.h>

#include <numbers>
#include <string>
#include <vector>

#include "imaging/core/QkGeometry.h"
#include "platform/core/Strings.h"

namespace {

constexpr double Pi = std::numbers::pi;

struct Example {
    std::string what;
    double actual;
    double expected;
};

double Orientation(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    return PointOrientation(x0, y0, x1, y1, x2, y2);
}

std::string Snapped(int32_t x, int32_t y)
{
    SnapTo45Degrees(0, 0, x, y);
    return Format("%d,%d", x, y);
}

std::string Rotated(std::vector<TPoint> points, double angle)
{
    RotatePoints(points, 0, 0, angle);
    std::string text;
    for (const TPoint& p : points)
        text += Format("(%d,%d)", p.X, p.Y);
    return text;
}

TEST(Geometry, NumericExamples)
{
    const Example examples[] = {
        {"segment beside its start", PointToSegmentDistance(0, 0, 10, 0, 20, 0), 10},
        {"segment above the point", PointToSegmentDistance(0, 0, -5, 5, 5, 5), 5},
        {"segment beyond its end", PointToSegmentDistance(0, 0, 10, 0, 5, 0), 5},
        {"far start", PointToSegmentDistance(0, 0, 50000, 0, 60000, 0), LineFarAway},
        {"far end", PointToSegmentDistance(0, 0, -60000, 0, -50000, 0), LineFarAway},
        {"point segment", PointToSegmentDistance(0, 0, 3, 4, 3, 4), 5},
        {"line", PointToLineDistance(0, 10, -100, 0, -90, 0), 10},
        {"angle right", LineAngle(0, 0, 10, 0), 0},
        {"angle up", LineAngle(0, 0, 0, -10), Pi / 2},
        {"angle left", LineAngle(0, 0, -10, 0), Pi},
        {"angle down", LineAngle(0, 0, 0, 10), 3 * Pi / 2},
        {"angle single point", LineAngle(4, 4, 4, 4), 0},
        {"angle up-right", LineAngle(0, 0, 10, -10), Pi / 4},
        {"angle down-left", LineAngle(0, 0, -10, 10), 5 * Pi / 4},
        {"angle down-right", LineAngle(0, 0, 10, 10), 7 * Pi / 4},
        {"vector straight on", VectorAngle(0, 0, 10, 0, 20, 0), 0},
        {"vector turn", VectorAngle(0, 0, 10, 0, 10, 10), Pi / 2},
        {"vector zero length", VectorAngle(0, 0, 0, 0, 10, 10), 0},
        // From the ray to point 1 counter-clockwise (on screen) to the ray to point 3.
        {"vertex east to north", VertexAngle(10, 0, 0, 0, 0, -10), Pi / 2},
        {"vertex north to east", VertexAngle(0, -10, 0, 0, 10, 0), 3 * Pi / 2},
        {"orientation turn", Orientation(10, 0, 0, 0, 0, -10), 1},
        {"orientation other turn", Orientation(0, -10, 0, 0, 10, 0), -1},
        {"collinear behind", Orientation(0, 0, 10, 0, -10, 0), -1},
        {"collinear between", Orientation(0, 0, 10, 0, 20, 0), 1},
        {"collinear beyond", Orientation(0, 0, 20, 0, 10, 0), 0},
        {"rect inside filled", DistanceToRectangle(15, 15, 10, 10, 20, 20, 1, true), 0},
        {"rect inside outline", DistanceToRectangle(13, 15, 10, 10, 20, 20, 1, false), 3},
        {"rect wide pen", DistanceToRectangle(13, 15, 10, 10, 20, 20, 4, false), 1},
        {"rect nothing tested", DistanceToRectangle(13, 15, 10, 10, 20, 20, -4, false), ShapeFarAway},
        {"ellipse centre filled", DistanceToEllipse(50, 50, 0, 0, 100, 100, 1, true), 0},
        {"ellipse nothing tested", DistanceToEllipse(50, 50, 0, 0, 100, 100, -2, false), ShapeFarAway},
    };
    for (const Example& e : examples)
        EXPECT_NEAR(e.actual, e.expected, 1e-9) << e.what;
    // The outline's chords cut inside the circle by a pixel or two.
    EXPECT_NEAR(DistanceToEllipse(50, 50, 0, 0, 100, 100, 1, false), 50, 2);
    EXPECT_NEAR(DistanceToEllipse(100, 50, 0, 0, 100, 100, 1, false), 0, 1);
}

TEST(Geometry, PolylineDistanceMapsPointsAndClosesWhenAsked)
{
    const std::vector<TPoint> corner{{0, 0}, {10, 0}, {10, 10}};
    const TScreenMapping doubled{2, 2, 5, 5, 0, 0};
    EXPECT_DOUBLE_EQ(PointToPolylineDistance(15, 8, corner, false, doubled, 1), 3);
    EXPECT_DOUBLE_EQ(PointToPolylineDistance(5, 25, corner, false, doubled, 1), 20);
    EXPECT_DOUBLE_EQ(PointToPolylineDistance(5, 25, corner, true, doubled, 1), 14.142135623730951);
    // A wide pen reaches further down.
    EXPECT_DOUBLE_EQ(PointToPolylineDistance(15, 12, corner, false, doubled, 1), 7);
    EXPECT_DOUBLE_EQ(PointToPolylineDistance(15, 12, corner, false, doubled, 8), 3);
    EXPECT_EQ(PointToPolylineDistance(0, 0, {{1, 1}}, false, {}, 1), LineFarAway);
}

TEST(Geometry, SnapsInEachQuadrant)
{
    const std::pair<std::string, std::string> cases[] = {
        {Snapped(100, 10), "100,0"},  {Snapped(10, 100), "0,100"},    {Snapped(50, 60), "60,60"},
        {Snapped(60, 50), "60,60"},   {Snapped(-50, -60), "-50,-50"}, {Snapped(-60, -50), "-50,-50"},
        {Snapped(-50, 60), "-60,60"}, {Snapped(-60, 50), "-60,60"},   {Snapped(50, -60), "60,-60"},
        {Snapped(60, -50), "60,-60"}, {Snapped(0, 20), "0,20"},
    };
    for (const auto& [actual, expected] : cases)
        EXPECT_EQ(actual, expected);
}

TEST(Geometry, RotatesCounterClockwiseOnScreen)
{
    EXPECT_EQ(Rotated({{10, 0}}, 90), "(0,-10)");
    EXPECT_EQ(Rotated({{10, 0}, {0, 10}}, -90), "(0,10)(-10,0)");
    std::vector<TPoint> about{{20, 10}};
    RotatePoints(about, 10, 10, 180);
    EXPECT_EQ(about[0], (TPoint{0, 10}));
}

TEST(Geometry, PointSetsAndRectangles)
{
    const std::vector<TPoint> square{{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    // A five-pointed star drawn in one stroke: its centre crosses two edges.
    const std::vector<TPoint> star{{50, 0}, {79, 90}, {2, 35}, {97, 35}, {20, 90}};
    const std::pair<bool, bool> cases[] = {
        {PointInPolygon(5, 0, square), true},
        {PointInPolygon(5, 10, square), false},
        {PointInPolygon(0, 5, square), true},
        {PointInPolygon(10, 5, square), false},
        {PointInPolygon(50, 55, star), false},
        {PointInPolygon(50, 20, star), true},
        {PointInScaledPolygon(15, 15, square, {2, 2, 5, 5, 0, 0}), true},
        {PointInScaledPolygon(30, 15, square, {2, 2, 5, 5, 0, 0}), false},
        {IsPointInRect(10, 20, 10, 10, 20, 20), true},
        {IsPointInRect(21, 20, 10, 10, 20, 20), false},
        {IsPointInRectNormalized(20, 10, 20, 20, 10, 10), true},
        {RectsOverlap(30, 30, 20, 20, 10, 10, 20, 20), true},
        {RectsOverlap(21, 5, 30, 30, 10, 10, 20, 20), false},
        {RectsOverlap(0, 0, 100, 100, 10, 10, 20, 20), true},
    };
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(cases[i].first, cases[i].second) << "case " << i;
    TRect grown{10, 10, 20, 20};
    IncludePointInRect(grown, 5, 30);
    EXPECT_EQ(grown, (TRect{5, 10, 20, 30}));
}

} // namespace
