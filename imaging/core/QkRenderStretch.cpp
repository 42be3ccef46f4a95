#include "imaging/core/QkRenderStretch.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <optional>
#include <vector>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkRenderFiltered.h"

namespace {

// The destination pixels drawn and the source pixel of each, every map
// entry inside the source.
struct TStretchMaps {
    int32_t FirstColumn = 0;
    int32_t FirstRow = 0;
    std::vector<int32_t> Columns;
    std::vector<int32_t> Rows;
    // One source pixel per destination pixel, the columns inside the source:
    // rows are copied as whole pieces.
    bool RowPieces = false;
};

int32_t Step(int32_t sourceSize, int32_t destSize)
{
    return static_cast<int32_t>(double(sourceSize) / destSize * RenderUnitStep);
}

// Source positions from the unclipped start: start + ((i - destStart) * step) shr 14,
// limited to the source, since the rectangle may reach beyond it.
std::vector<int32_t> BuildMap(int32_t first, int32_t last, int32_t destStart, int32_t sourceStart, int32_t step,
                              int32_t sourceSize)
{
    std::vector<int32_t> map;
    map.reserve(size_t(last - first + 1));
    for (int64_t i = first; i <= last; ++i) {
        const int64_t position = sourceStart + (((i - destStart) * step) >> 14);
        map.push_back(static_cast<int32_t>(std::clamp<int64_t>(position, 0, sourceSize - 1)));
    }
    return map;
}

bool PlanStretch(TQkBitmap& source, TQkBitmap& destination, const TQkRenderRect& to, const TQkRenderRect& from,
                 TStretchMaps& maps)
{
    const int32_t width = destination.GetWidth();
    const int32_t height = destination.GetHeight();
    if (to.Width <= 0 || to.Height <= 0 || source.IsEmpty() || width == 0 || height == 0)
        return false;
    const int64_t lastColumn = std::min<int64_t>(int64_t{to.X} + to.Width - 1, width - 1);
    const int64_t lastRow = std::min<int64_t>(int64_t{to.Y} + to.Height - 1, height - 1);
    maps.FirstColumn = std::max(to.X, 0);
    maps.FirstRow = std::max(to.Y, 0);
    if (maps.FirstColumn > lastColumn || maps.FirstRow > lastRow)
        return false;
    const int32_t stepX = Step(from.Width, to.Width);
    const int32_t stepY = Step(from.Height, to.Height);
    maps.Columns = BuildMap(maps.FirstColumn, int32_t(lastColumn), to.X, from.X, stepX, source.GetWidth());
    maps.Rows = BuildMap(maps.FirstRow, int32_t(lastRow), to.Y, from.Y, stepY, source.GetHeight());
    const int64_t firstSourceColumn = int64_t{from.X} + maps.FirstColumn - to.X;
    const int64_t lastSourceColumn = int64_t{from.X} + lastColumn - to.X;
    maps.RowPieces = stepX == RenderUnitStep && stepY == RenderUnitStep && firstSourceColumn >= 0 &&
        lastSourceColumn < source.GetWidth();
    return true;
}

// Calls `write(source row, destination row)` for every destination row of
// the area. The source row is copied out first: a file-stored bitmap keeps
// one row mapped at a time, and both may be the same bitmap.
template <typename TWriteRow>
void ForEachRow(TQkBitmap& from, TQkBitmap& to, const TStretchMaps& maps, TWriteRow write)
{
    std::vector<uint8_t> sourceRow(size_t(from.GetRowLen()));
    for (size_t i = 0; i < maps.Rows.size(); ++i) {
        std::memcpy(sourceRow.data(), from.GetScanline(maps.Rows[i]), sourceRow.size());
        write(sourceRow.data(), to.GetScanline(maps.FirstRow + int32_t(i)));
    }
}

void StretchAlpha(TQkBitmap& source, TQkBitmap& destination, const TStretchMaps& maps, uint8_t alpha)
{
    // Asked before the destination's channel is created: both may be one bitmap.
    const bool sourceAlpha = UsesAlphaChannel(source, true);
    TQkBitmap& target = *destination.GetAlphaChannel();
    const auto lastColumn = int32_t(maps.FirstColumn + maps.Columns.size() - 1);
    const auto lastRow = int32_t(maps.FirstRow + maps.Rows.size() - 1);
    if (!sourceAlpha) {
        target.FillRect(maps.FirstColumn, maps.FirstRow, lastColumn, lastRow, alpha);
        if (alpha < 255)
            target.SetFull(false);
        return;
    }
    target.SetFull(false);
    ForEachRow(*source.GetAlphaChannel(), target, maps, [&](const uint8_t* from, uint8_t* to) {
        for (size_t i = 0; i < maps.Columns.size(); ++i)
            to[size_t(maps.FirstColumn) + i] = std::min(alpha, from[maps.Columns[i]]);
    });
}

void StretchPixels(TQkBitmap& source, TQkBitmap& destination, const TStretchMaps& maps)
{
    const size_t start = 3 * size_t(maps.FirstColumn);
    if (source.GetPixelFormat() == qk1g) {
        ForEachRow(source, destination, maps, [&](const uint8_t* from, uint8_t* to) {
            for (size_t i = 0; i < maps.Columns.size(); ++i)
                std::memset(to + start + 3 * i, GetBit(from, maps.Columns[i]) ? 255 : 0, 3);
        });
    } else if (source.GetPixelFormat() == qk24RGB) {
        ForEachRow(source, destination, maps, [&](const uint8_t* from, uint8_t* to) {
            if (maps.RowPieces) {
                std::memcpy(to + start, from + 3 * size_t(maps.Columns.front()), 3 * maps.Columns.size());
                return;
            }
            for (size_t i = 0; i < maps.Columns.size(); ++i)
                std::memcpy(to + start + 3 * i, from + 3 * size_t(maps.Columns[i]), 3);
        });
    }
}

bool StretchMapped(TQkBitmap& source, TQkBitmap& destination, const TQkRenderRect& to, const TQkRenderRect& from,
                   uint8_t alpha)
{
    TStretchMaps maps;
    if (!PlanStretch(source, destination, to, from, maps))
        return false;
    const TQkAccessGuard reading(source, qkaRead);
    StretchAlpha(source, destination, maps, alpha);
    StretchPixels(source, destination, maps);
    return true;
}

// The rectangles cut to both bitmaps as the renderer cuts them, the source
// rectangle resampled to the destination size and stretched 1:1.
bool StretchFiltered(TQkBitmap& source, TQkBitmap& destination, const TQkRenderRect& to, const TQkRenderRect& from,
                     TResampleFilter filter, uint8_t alpha)
{
    const std::optional<TQkRenderArea> area = PlanRenderArea(destination.GetWidth(), destination.GetHeight(),
                                                             source.GetWidth(), source.GetHeight(), to, from, nullptr);
    if (!area)
        return false;
    const TQkRenderRect& target = area->Destination;
    TQkFilteredTemporary how;
    how.Filter = filter;
    how.Resample = target.Width > area->Source.Width || source.GetPixelFormat() != qk1g || source.HasAlphaChannel();
    how.WithAlpha = UsesAlphaChannel(source, true);
    TQkBitmap resampled;
    return MakeFilteredTemporary(source, area->Source, target.Width, target.Height, how, resampled) &&
        StretchMapped(resampled, destination, target, {0, 0, target.Width, target.Height}, alpha);
}

} // namespace

bool StretchRectTo(TQkBitmap& source, TQkBitmap& destination, TQkRenderRect destinationRect, TQkRenderRect sourceRect,
                   TResampleFilter filter, int32_t alpha)
{
    if (destination.GetPixelFormat() != qk24RGB || destination.IsAlphaChannel())
        return false;
    const auto limitedAlpha = static_cast<uint8_t>(std::clamp(alpha, 0, 255));
    const bool resized = destinationRect.Width != sourceRect.Width || destinationRect.Height != sourceRect.Height;
    try {
        if (filter != rfNone && resized)
            return StretchFiltered(source, destination, destinationRect, sourceRect, filter, limitedAlpha);
        return StretchMapped(source, destination, destinationRect, sourceRect, limitedAlpha);
    } catch (const std::exception&) {
        // A failed row fetch or allocation ends the drawing; what was drawn stays.
        return false;
    }
}
