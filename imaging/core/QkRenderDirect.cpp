#include "imaging/core/QkRenderDirect.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "imaging/core/QkBitmap.h"

namespace {

// Fetches destination rows: from the table, or, for file storage, one at a
// time from the bitmap, each address used only until the next fetch.
class TRowSource {
public:
    TRowSource(TQkBitmap& bitmap, const std::vector<uint8_t*>& table) : bitmap_(bitmap), table_(table) {}

    uint8_t* Row(int32_t row) { return table_.empty() ? bitmap_.GetScanline(row) : table_[size_t(row)]; }

private:
    TQkBitmap& bitmap_;
    const std::vector<uint8_t*>& table_;
};

void DrawRow(uint8_t* target, const uint8_t* source, const TQkRenderArea& area, const std::vector<int32_t>& columns)
{
    uint8_t* pixel = target + 3 * size_t(area.FirstColumn);
    if (columns.empty()) {
        const int32_t firstSource = area.Source.X + (area.FirstColumn - area.Destination.X);
        std::memcpy(pixel, source + 3 * size_t(firstSource), 3 * size_t(area.LastColumn - area.FirstColumn + 1));
        return;
    }
    for (const int32_t column : columns) {
        std::memcpy(pixel, source + 3 * size_t(column), 3);
        pixel += 3;
    }
}

int32_t SourceRow(const TQkRenderArea& area, const std::vector<int32_t>& rowMap, int32_t row)
{
    return rowMap.empty() ? area.Source.Y + (row - area.Destination.Y) : rowMap[size_t(row - area.FirstRow)];
}

void DrawRows(TQkBitmap& source, TRowSource rows, const TQkRenderArea& area, const std::vector<int32_t>& rowMap,
              const std::vector<int32_t>& columns, bool duplicateRows)
{
    const size_t areaBytes = 3 * size_t(area.LastColumn - area.FirstColumn + 1);
    const size_t areaStart = 3 * size_t(area.FirstColumn);
    // The last row drawn, kept apart: a file-stored row's address dies with the next fetch.
    std::vector<uint8_t> previous;
    int32_t previousSource = -1;
    for (int32_t row = area.FirstRow; row <= area.LastRow; ++row) {
        const int32_t sourceRow = SourceRow(area, rowMap, row);
        uint8_t* target = rows.Row(row);
        if (duplicateRows && sourceRow == previousSource) {
            std::memcpy(target + areaStart, previous.data(), areaBytes);
            continue;
        }
        DrawRow(target, source.GetScanline(sourceRow), area, columns);
        if (duplicateRows) {
            previous.assign(target + areaStart, target + areaStart + areaBytes);
            previousSource = sourceRow;
        }
    }
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

} // namespace

bool RenderDirect24RGB(TQkBitmap& source, TQkBitmap& destination, TQkRenderTables& tables, const TRect* clip,
                       TQkRenderRect destinationRect, TQkRenderRect sourceRect, bool duplicateRows, bool freeTables)
{
    const bool fileStored = destination.Location() == qkFile;
    if (source.GetPixelFormat() != qk24RGB || destination.GetPixelFormat() != qk24RGB ||
        (fileStored && !tables.Rows.empty()))
        return false;
    std::optional<TQkRenderArea> area =
        PlanRenderArea(destination.GetWidth(), destination.GetHeight(), source.GetWidth(), source.GetHeight(),
                       destinationRect, sourceRect, clip);
    if (!area)
        return false;

    const bool computeRows = tables.Rows.empty() && !fileStored;
    if (computeRows)
        for (int32_t row = 0; row < destination.GetHeight(); ++row)
            tables.Rows.push_back(destination.GetScanline(row));
    const bool computeColumns = tables.Columns.empty() && !area->OneToOne;
    const bool computeRowMap = tables.RowMap.empty() && !area->OneToOne;
    if (computeColumns)
        BuildColumnMap(*area, source.GetWidth(), tables.Columns);
    if (computeRowMap)
        BuildRowMap(*area, source.GetHeight(), tables.RowMap);
    const bool usable = (fileStored || tables.Rows.size() >= size_t(destination.GetHeight())) &&
        FitMap(tables.Columns, source.GetWidth(), area->FirstColumn, area->LastColumn) &&
        FitMap(tables.RowMap, source.GetHeight(), area->FirstRow, area->LastRow);

    if (usable && area->FirstColumn <= area->LastColumn && area->FirstRow <= area->LastRow)
        DrawRows(source, TRowSource(destination, tables.Rows), *area, tables.RowMap, tables.Columns, duplicateRows);

    if (freeTables) {
        if (computeRows)
            tables.Rows.clear();
        if (computeColumns)
            tables.Columns.clear();
        if (computeRowMap)
            tables.RowMap.clear();
    }
    return usable;
}
