#pragma once
// Drawing a rectangle of a bitmap of any pixel format onto a rectangle of a
// 24-bit destination: scaled, clipped, optionally resampled first, blended
// by a transparency and the source's alpha channel, adjusted and combined
// with the destination by a pixel operation.
//
// Destinations are qk24RGB; any other format is refused and left untouched.
// A file-stored destination keeps one row mapped at a time, so its rows are
// fetched one by one just before they are written and a caller's row table
// is refused for it. Errors while drawing end the drawing quietly.

#include <cstdint>
#include <vector>

#include "imaging/core/QkCombinePixel.h"
#include "imaging/core/QkRenderGeometry.h"
#include "imaging/core/QkSettings.h"

class TBitmap;
class TQkBitmap;

// Tables a caller may keep between frames of the same geometry. An empty
// table is computed; the call hands it back unless it frees what it computed.
// A table the caller passed in stays the caller's.
struct TQkRenderTables {
    std::vector<uint8_t*> Rows;
    std::vector<int32_t> Columns;
    std::vector<int32_t> RowMap;
};

struct TQkRenderOptions {
    const TRect* Clip = nullptr; // inclusive limits
    bool UseAlpha = true;
    bool DuplicateRows = false;
    int32_t Transparency = 255; // 0 invisible .. 255 opaque
    // Any filter but rfNone resamples qk1g and qk24RGB sources first.
    TResampleFilter Filter = rfNone;
    bool FreeTables = true;
    TQkRenderOperation Operation = 0;
};

// False when nothing was drawn (empty or fully clipped areas, a refused
// destination, caller tables that cannot serve the area).
bool RenderToTQkBitmapEx(TQkBitmap& source, TQkBitmap& destination, TQkRenderTables& tables,
                         TQkRenderRect destinationRect, TQkRenderRect sourceRect, const TQkRenderOptions& options);
// The destination is a pf24bit TBitmap, drawn in place.
bool RenderToTBitmapEx(TQkBitmap& source, TBitmap& destination, TQkRenderTables& tables, TQkRenderRect destinationRect,
                       TQkRenderRect sourceRect, const TQkRenderOptions& options);

// No kept tables, no clip, the alpha channel used.
bool RenderToTQkBitmap(TQkBitmap& source, TQkBitmap& destination, TQkRenderRect destinationRect,
                       TQkRenderRect sourceRect, int32_t transparency, TResampleFilter filter,
                       TQkRenderOperation operation);
bool RenderToTBitmap(TQkBitmap& source, TBitmap& destination, TQkRenderRect destinationRect, TQkRenderRect sourceRect,
                     int32_t transparency, TResampleFilter filter, TQkRenderOperation operation);
