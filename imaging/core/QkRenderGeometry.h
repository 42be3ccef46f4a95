#pragma once
// Where a rendered rectangle lands: the source and destination rectangles
// cut to both bitmaps, the clipped destination area, the 14-bit fixed-point
// steps and the column and row maps from destination to source pixels.

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/gfx/Geometry.h"

// 16,384 is one source pixel per destination pixel.
constexpr int32_t RenderUnitStep = 16384;

struct TQkRenderRect {
    int32_t X = 0;
    int32_t Y = 0;
    int32_t Width = 0;
    int32_t Height = 0;
};

struct TQkRenderArea {
    // Both rectangles cut to their bitmaps.
    TQkRenderRect Destination;
    TQkRenderRect Source;
    // Source pixels per destination pixel, from the rectangles as asked.
    double RatioX = 0;
    double RatioY = 0;
    int32_t StepX = 0;
    int32_t StepY = 0;
    // The destination pixels drawn, inclusive.
    int32_t FirstColumn = 0;
    int32_t LastColumn = -1;
    int32_t FirstRow = 0;
    int32_t LastRow = -1;

    // One source pixel per destination pixel with the source rectangle
    // inside its bitmap: rows can be copied without maps.
    bool OneToOne = false;
};

// The area that a `source` rectangle of a sourceWidth x sourceHeight bitmap
// drawn into a `destination` rectangle of a destWidth x destHeight bitmap
// covers, inside `clip` (inclusive limits) when given; nothing when no
// pixel would be drawn.
std::optional<TQkRenderArea> PlanRenderArea(int32_t destWidth, int32_t destHeight, int32_t sourceWidth,
                                            int32_t sourceHeight, TQkRenderRect destination, TQkRenderRect source,
                                            const TRect* clip);

// The source column of every destination column FirstColumn..LastColumn,
// and the source row of every destination row FirstRow..LastRow.
void BuildColumnMap(const TQkRenderArea& area, int32_t sourceWidth, std::vector<int32_t>& map);
void BuildRowMap(const TQkRenderArea& area, int32_t sourceHeight, std::vector<int32_t>& map);
