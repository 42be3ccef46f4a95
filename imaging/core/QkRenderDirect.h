#pragma once
// The renderer's direct-mapping stage for qk24RGB sources drawn opaque with
// the copy operation: every destination pixel of the area takes the source
// pixel its column and row maps name. Equal steps of one source pixel per
// destination pixel take a row-copy fast path without maps.
//
// Destinations are qk24RGB; any other format is refused and left untouched.
// A file-stored destination keeps one row mapped at a time, so its rows are
// fetched one by one just before they are written and a caller's row table
// is refused for it.

#include <cstdint>
#include <vector>

#include "imaging/core/QkRenderGeometry.h"

class TQkBitmap;

// Tables a caller may keep between frames of the same geometry. An empty
// table is computed; the call hands it back unless it frees what it computed.
struct TQkRenderTables {
    std::vector<uint8_t*> Rows;
    std::vector<int32_t> Columns;
    std::vector<int32_t> RowMap;
};

// False when nothing was drawn (empty or fully clipped areas, a refused
// destination or source).
bool RenderDirect24RGB(TQkBitmap& source, TQkBitmap& destination, TQkRenderTables& tables, const TRect* clip,
                       TQkRenderRect destinationRect, TQkRenderRect sourceRect, bool duplicateRows, bool freeTables);
