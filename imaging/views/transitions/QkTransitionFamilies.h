#pragma once
// The painter families: each draws one frame of every effect it serves,
// looking the effect's own parameters up by its number. The sizes are
// checked before a family is called: W and H are positive and both images
// cover W × H.

#include <cstdint>

#include "imaging/views/transitions/QkTransitionFrame.h"

using TFamilyPainter = void (*)(const TTransitionFrame& frame, int32_t effect);

// Blocks copied, slid, stretched or pushed (expand, wipe, build-up, slide,
// shrink, quarters, push and squeeze).
void PaintBlocks(const TTransitionFrame& frame, int32_t effect);
void PaintUnroll(const TTransitionFrame& frame, int32_t effect);
void PaintPageFlip(const TTransitionFrame& frame, int32_t effect);

// Geometric regions.
void PaintCurvedWipe(const TTransitionFrame& frame, int32_t effect);
void PaintPolygonWipe(const TTransitionFrame& frame, int32_t effect);
void PaintSweep(const TTransitionFrame& frame, int32_t effect);
void PaintRotatingPolygon(const TTransitionFrame& frame, int32_t effect);
void PaintZigzag(const TTransitionFrame& frame, int32_t effect);
void PaintPolygonGrid(const TTransitionFrame& frame, int32_t effect);
void PaintTriangularWipe(const TTransitionFrame& frame, int32_t effect);

// Numbered shapes.
void PaintCenterShapeWipe(const TTransitionFrame& frame, int32_t effect);
void PaintShapeInAndOut(const TTransitionFrame& frame, int32_t effect);
void PaintExpandingShapes(const TTransitionFrame& frame, int32_t effect);
void PaintRandomShapes(const TTransitionFrame& frame, int32_t effect);

// Lists of rectangles.
void PaintBars(const TTransitionFrame& frame, int32_t effect);
void PaintShredded(const TTransitionFrame& frame, int32_t effect);
void PaintSpeckled(const TTransitionFrame& frame, int32_t effect);
void PaintBlinds(const TTransitionFrame& frame, int32_t effect);
void PaintRectangles(const TTransitionFrame& frame, int32_t effect);
void PaintExpandingRectangles(const TTransitionFrame& frame, int32_t effect);
void PaintRandomBigBoxes(const TTransitionFrame& frame, int32_t effect);

// Visits the grid centres (x, y) = (sx, sy), (sx, 3sy), …: each loop
// advances by its step before and after a centre and runs while the value
// before the first advance is below its limit.
template <typename TVisit>
void ForEachGridCentre(int32_t stepX, int32_t stepY, int32_t limitX, int32_t limitY, TVisit visit)
{
    for (int32_t x = 0; x < limitX; x += stepX) {
        x += stepX;
        for (int32_t y = 0; y < limitY; y += stepY) {
            y += stepY;
            visit(x, y);
        }
    }
}

// The parameters of `effect` in a family's table, which must hold it.
template <typename TRow, size_t N>
const TRow& RowOfEffect(const TRow (&rows)[N], int32_t effect)
{
    for (const TRow& row : rows)
        if (row.Effect == effect)
            return row;
    return rows[0];
}
