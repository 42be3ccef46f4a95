#pragma once
// What every row renderer is handed: the destination and its area, the
// destination rows, the maps from destination to source pixels, and how
// the source pixels meet the destination ones.

#include <cstdint>
#include <vector>

#include "imaging/core/QkRenderGeometry.h"

class TQkBitmap;

struct TQkRowRenderJob {
    TQkBitmap& Destination;
    // Destination rows by number; empty for file storage, whose rows are
    // fetched one at a time just before they are written.
    const std::vector<uint8_t*>& Rows;
    const TQkRenderArea& Area;
    // Source row of every area row and source column of every area column,
    // from the area's first row and column; empty on the 1:1 fast path.
    const std::vector<int32_t>& RowMap;
    const std::vector<int32_t>& Columns;
    // The pixel operation; only colour sources apply it.
    uint8_t Operation = 0;
    // A row drawn from the same source row as the row before it is a copy.
    bool DuplicateRows = false;
    // The blending members' weight of every pixel, limited by the source's
    // alpha channel when it is used.
    int32_t Transparency = 255;
    bool UseAlphaChannel = false;
};
