#pragma once
// Pixel coverage of the canvas's shapes, shared by drawing and regions.
// Coordinates are device pixels; a pixel (x, y) is covered when its centre
// point (x, y) lies inside the shape under the top-left rule, so shapes that
// share an edge tile without gap or overlap.

#include "platform/gfx/Geometry.h"
#include "platform/gfx/Region.h"

#include <climits>
#include <cstdint>
#include <vector>

// Pixels X0 .. X1-1 of row Y.
struct TSpan {
    int32_t Y = 0;
    int32_t X0 = 0;
    int32_t X1 = 0;
};

// Inclusive pixel extent of one row of a convex shape; empty when Left > Right.
struct TRowExtent {
    int32_t Left = 0;
    int32_t Right = -1;
    bool Empty() const { return Left > Right; }
};

// A convex shape as one extent per row from Top down. A shape built for a
// window of rows keeps one extra row beyond each cut edge (flagged), which
// tells the outline where the shape continues and is never painted.
struct TRowShape {
    int32_t Top = 0;
    std::vector<TRowExtent> Rows;
    bool ClippedAbove = false;
    bool ClippedBelow = false;
};

// The rows a caller can see: Top .. Bottom-1; everything by default.
struct TRowWindow {
    int32_t Top = INT32_MIN;
    int32_t Bottom = INT32_MAX;
};

// The ellipse inscribed in the rectangle (Right and Bottom outside): the
// pixels whose centres lie inside it.
TRowShape EllipseShape(int32_t left, int32_t top, int32_t right, int32_t bottom, TRowWindow window = {});
// A rectangle whose corners are quarters of a width x height ellipse.
TRowShape RoundRectShape(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t width, int32_t height,
                         TRowWindow window = {});
TRowShape RectShape(int32_t left, int32_t top, int32_t right, int32_t bottom, TRowWindow window = {});

// Every pixel of the shape.
std::vector<TSpan> ShapeSpans(const TRowShape& shape);
// The one-pixel, 8-connected outline: a row's ends reach to where the
// narrower neighbouring row begins; the first and last rows are all outline.
std::vector<TSpan> OutlineSpans(const TRowShape& shape);
// The shape without its outline.
std::vector<TSpan> InteriorSpans(const TRowShape& shape);
// Pixels of `outer` that are not in `inner` (rings of wide pens).
std::vector<TSpan> RingSpans(const TRowShape& outer, const TRowShape& inner);

std::vector<TSpan> PolygonSpans(const std::vector<TPoint>& points, TPolyFillMode mode, TRowWindow window = {});

// Number of pixels of a one-pixel line (the end point left out).
int64_t LineLength(int32_t x0, int32_t y0, int32_t x1, int32_t y1);
// The pixels of a one-pixel line from the start point to the end point, the
// end point left out. With `bounds`, only the steps whose major coordinate
// lies inside them; `firstStep` receives the step number of the first point.
std::vector<TPoint> LinePoints(int32_t x0, int32_t y0, int32_t x1, int32_t y1, const TRect* bounds = nullptr,
                               int64_t* firstStep = nullptr);

// Sorts by row and merges overlapping or touching spans.
void NormalizeSpans(std::vector<TSpan>& spans);
