#pragma once
// Geometry of integer screen and image coordinates (y grows downwards):
// distances, angles, hit tests of shapes drawn with a pen width, point
// sets and the 45-degree constraint of a line being drawn.

#include <cstdint>
#include <vector>

#include "platform/gfx/Geometry.h"

// What the line routines answer for a point too far away to matter.
inline constexpr double LineFarAway = 1000000.0;
// What the ellipse and rectangle routines answer when nothing was tested.
inline constexpr double ShapeFarAway = 2147483647.0;

double PointDistance(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
// Distance to the infinite line through the two points (to the point
// itself when they coincide).
double PointToLineDistance(int32_t x, int32_t y, int32_t x1, int32_t y1, int32_t x2, int32_t y2);
// Beyond an end, ends more than 45,000 pixels away on either axis give
// LineFarAway.
double PointToSegmentDistance(int32_t x, int32_t y, int32_t x1, int32_t y1, int32_t x2, int32_t y2);

// Maps image coordinates to the screen: scale * (coordinate - origin) + offset.
struct TScreenMapping {
    double ScaleX = 1;
    double ScaleY = 1;
    double OffsetX = 0;
    double OffsetY = 0;
    double OriginX = 0;
    double OriginY = 0;
};

// The screen point (x, y) against the polyline of image points, each
// rounded to the screen; wide pens are tried at shifted copies.
double PointToPolylineDistance(int32_t x, int32_t y, const std::vector<TPoint>& points, bool closed,
                               const TScreenMapping& mapping, int32_t penWidth);
// Sampled: chords of the outline, or spokes from the centre when filled
// (points inside then come out near 0).
double DistanceToEllipse(int32_t x, int32_t y, int32_t left, int32_t top, int32_t right, int32_t bottom,
                         int32_t penWidth, bool filled);
double DistanceToRectangle(int32_t x, int32_t y, int32_t left, int32_t top, int32_t right, int32_t bottom,
                           int32_t penWidth, bool filled);

// Angle between the segments 1->2 and 2->3, 0 for a zero-length segment.
double VectorAngle(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3);
// Direction from point 1 to point 2 in radians, 0 .. 2 pi, counter-clockwise
// on screen (up is pi / 2).
double LineAngle(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
// 1 or -1 by the turn of the three points; for collinear points -1 when
// point 2 lies behind point 0, 1 when point 1 lies between them, else 0.
int32_t PointOrientation(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2, int32_t y2);
// Angle at point 2 from the ray to point 1 to the ray to point 3,
// 0 .. 2 pi by the points' turn.
double VertexAngle(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3);

// Rotates in place; positive angles (degrees) turn counter-clockwise on screen.
void RotatePoints(std::vector<TPoint>& points, int32_t centreX, int32_t centreY, double angle);
// Even-odd rule; a point on a top or left edge is inside, on a bottom or
// right edge outside.
bool PointInPolygon(int32_t x, int32_t y, const std::vector<TPoint>& points);
bool PointInScaledPolygon(int32_t x, int32_t y, const std::vector<TPoint>& points, const TScreenMapping& mapping);

// Edges inclusive.
bool IsPointInRect(int32_t x, int32_t y, int32_t left, int32_t top, int32_t right, int32_t bottom);
bool IsPointInRectNormalized(int32_t x, int32_t y, int32_t x1, int32_t y1, int32_t x2, int32_t y2);
// The first rectangle's corners may come in any order; edges inclusive.
bool RectsOverlap(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t left, int32_t top, int32_t right,
                  int32_t bottom);
void IncludePointInRect(TRect& rect, int32_t x, int32_t y);

// Moves the end (x, y) of a line from (x0, y0) to the nearest horizontal,
// vertical or diagonal direction.
void SnapTo45Degrees(int32_t x0, int32_t y0, int32_t& x, int32_t& y);
