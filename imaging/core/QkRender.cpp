#include "imaging/core/QkRender.h"

#include <algorithm>
#include <exception>
#include <optional>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkRenderFiltered.h"
#include "imaging/core/QkRenderRows.h"

namespace {

using TRowRenderer = void (TQkBitmap::*)(const TQkRowRenderJob&);

struct TRowRenderers {
    TQkPixelFormat Format;
    TRowRenderer Plain;
    TRowRenderer Alpha;
};

constexpr TRowRenderers RowRenderers[] = {
    {qk24RGB, &TQkBitmap::RenderRows24RGB, &TQkBitmap::RenderRows24RGBAlpha},
    {qk32RGB, &TQkBitmap::RenderRows32RGB, &TQkBitmap::RenderRows32RGBAlpha},
    {qk1g, &TQkBitmap::RenderRows1g, &TQkBitmap::RenderRows1gAlpha},
    {qk8g, &TQkBitmap::RenderRows8g, &TQkBitmap::RenderRows8gAlpha},
    {qk8p, &TQkBitmap::RenderRows8p, &TQkBitmap::RenderRows8pAlpha},
    {qk16g, &TQkBitmap::RenderRows16g, &TQkBitmap::RenderRows16gAlpha},
    {qk32f, &TQkBitmap::RenderRows32f, &TQkBitmap::RenderRows32fAlpha},
    {qkCMYK, &TQkBitmap::RenderRowsCMYK, &TQkBitmap::RenderRowsCMYKAlpha},
    {qkCIELab, &TQkBitmap::RenderRowsCIELab, &TQkBitmap::RenderRowsCIELabAlpha},
    {qkRGB48, &TQkBitmap::RenderRowsRGB48, &TQkBitmap::RenderRowsRGB48Alpha},
};

const TRowRenderers* RenderersFor(TQkPixelFormat format)
{
    for (const TRowRenderers& renderers : RowRenderers)
        if (renderers.Format == format)
            return &renderers;
    return nullptr;
}

// Only an unadjusted opaque copy of a qk24RGB source at one source pixel per
// destination pixel draws without maps.
bool TakesFastPath(TQkBitmap& source, const TQkRenderArea& area, const TQkRenderOptions& options, bool alpha)
{
    const TQkRenderAdjustments& adjustments = source.RenderAdjustments();
    return area.OneToOne && source.GetPixelFormat() == qk24RGB && options.Transparency >= 255 && !alpha &&
        !adjustments.ChannelOffsetEnabled && adjustments.Contrast == 0 && options.Operation == 0 &&
        source.RangeMin() == 0 && source.RangeMax() == 0;
}

// A caller's map: trailing entries beyond the source are dropped (the area
// ends before them); false when the rest cannot serve the area.
bool FitMap(std::vector<int32_t>& map, int32_t sourceSize, int32_t first, int32_t& last)
{
    if (map.empty())
        return true;
    while (!map.empty() && map.back() >= sourceSize)
        map.pop_back();
    last = std::min(last, first + static_cast<int32_t>(map.size()) - 1);
    return std::all_of(map.begin(), map.end(), [&](int32_t entry) { return entry >= 0 && entry < sourceSize; });
}

// Which of the caller's tables this call computes, to free them after.
struct TComputedTables {
    bool Rows = false;
    bool Columns = false;
    bool RowMap = false;

    void Free(TQkRenderTables& tables) const
    {
        if (Rows)
            tables.Rows.clear();
        if (Columns)
            tables.Columns.clear();
        if (RowMap)
            tables.RowMap.clear();
    }
};

TComputedTables ComputeTables(TQkBitmap& source, TQkBitmap& destination, TQkRenderTables& tables,
                              const TQkRenderArea& area, bool withMaps)
{
    TComputedTables computed;
    computed.Rows = tables.Rows.empty() && destination.Location() != qkFile;
    if (computed.Rows)
        for (int32_t row = 0; row < destination.GetHeight(); ++row)
            tables.Rows.push_back(destination.GetScanline(row));
    computed.Columns = tables.Columns.empty() && withMaps;
    if (computed.Columns)
        BuildColumnMap(area, source.GetWidth(), tables.Columns);
    computed.RowMap = tables.RowMap.empty() && withMaps;
    if (computed.RowMap)
        BuildRowMap(area, source.GetHeight(), tables.RowMap);
    return computed;
}

bool TablesServe(TQkBitmap& source, TQkBitmap& destination, TQkRenderTables& tables, TQkRenderArea& area)
{
    return (destination.Location() == qkFile || tables.Rows.size() >= size_t(destination.GetHeight())) &&
        FitMap(tables.Columns, source.GetWidth(), area.FirstColumn, area.LastColumn) &&
        FitMap(tables.RowMap, source.GetHeight(), area.FirstRow, area.LastRow) && area.FirstColumn <= area.LastColumn &&
        area.FirstRow <= area.LastRow;
}

void RunRowRenderer(TQkBitmap& source, TQkBitmap& destination, const TQkRenderTables& tables, const TQkRenderArea& area,
                    const TQkRenderOptions& options, bool alpha)
{
    const TRowRenderers* renderers = RenderersFor(source.GetPixelFormat());
    if (!renderers)
        return;
    const TQkRowRenderJob job{destination,           tables.Rows,          area,
                              tables.RowMap,         tables.Columns,       options.Operation,
                              options.DuplicateRows, options.Transparency, alpha};
    const bool blend = options.Transparency < 255 || alpha;
    try {
        (source.*(blend ? renderers->Alpha : renderers->Plain))(job);
    } catch (const std::exception&) {
        // A failed row fetch or allocation ends the drawing; what was drawn stays.
    }
}

} // namespace

bool RenderToTQkBitmapEx(TQkBitmap& source, TQkBitmap& destination, TQkRenderTables& tables,
                         TQkRenderRect destinationRect, TQkRenderRect sourceRect, const TQkRenderOptions& options)
{
    const TQkAccessGuard readOnly(source, qkaRead);
    if (destination.GetPixelFormat() != qk24RGB || (destination.Location() == qkFile && !tables.Rows.empty()) ||
        !RenderersFor(source.GetPixelFormat()))
        return false;
    std::optional<TQkRenderArea> area =
        PlanRenderArea(destination.GetWidth(), destination.GetHeight(), source.GetWidth(), source.GetHeight(),
                       destinationRect, sourceRect, options.Clip);
    if (!area)
        return false;
    const bool alpha = UsesAlphaChannel(source, options.UseAlpha);
    if (TakesFilteredPrePass(source, *area, options.Filter))
        return RenderFiltered(source, destination, *area, options, alpha);
    const bool withMaps = !TakesFastPath(source, *area, options, alpha);
    const TComputedTables computed = ComputeTables(source, destination, tables, *area, withMaps);
    const bool usable = TablesServe(source, destination, tables, *area);
    if (usable)
        RunRowRenderer(source, destination, tables, *area, options, alpha);
    if (options.FreeTables)
        computed.Free(tables);
    return usable;
}

bool RenderToTBitmapEx(TQkBitmap& source, TBitmap& destination, TQkRenderTables& tables, TQkRenderRect destinationRect,
                       TQkRenderRect sourceRect, const TQkRenderOptions& options)
{
    TQkBitmap wrapped;
    wrapped.EncapsulateTBitmap(&destination, false);
    return RenderToTQkBitmapEx(source, wrapped, tables, destinationRect, sourceRect, options);
}

namespace {

// The short forms keep no tables and take the defaults but for these three.
TQkRenderOptions ShortFormOptions(int32_t transparency, TResampleFilter filter, TQkRenderOperation operation)
{
    TQkRenderOptions options;
    options.Transparency = transparency;
    options.Filter = filter;
    options.Operation = operation;
    return options;
}

} // namespace

bool RenderToTQkBitmap(TQkBitmap& source, TQkBitmap& destination, TQkRenderRect destinationRect,
                       TQkRenderRect sourceRect, int32_t transparency, TResampleFilter filter,
                       TQkRenderOperation operation)
{
    TQkRenderTables tables;
    return RenderToTQkBitmapEx(source, destination, tables, destinationRect, sourceRect,
                               ShortFormOptions(transparency, filter, operation));
}

bool RenderToTBitmap(TQkBitmap& source, TBitmap& destination, TQkRenderRect destinationRect, TQkRenderRect sourceRect,
                     int32_t transparency, TResampleFilter filter, TQkRenderOperation operation)
{
    TQkRenderTables tables;
    return RenderToTBitmapEx(source, destination, tables, destinationRect, sourceRect,
                             ShortFormOptions(transparency, filter, operation));
}
