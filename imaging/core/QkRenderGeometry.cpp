#include "imaging/core/QkRenderGeometry.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int32_t NoClipLimit = 2147483646;

// One axis of a rectangle pair: destination start and size, source start
// and size.
struct TAxis {
    int32_t Start;
    int32_t Size;
    int32_t SourceStart;
    int32_t SourceSize;
};

// Cuts the part before the destination's first pixel and the part beyond
// its last, taking the matching source pixels away.
void CutToDestination(TAxis& axis, int32_t destSize, double ratio)
{
    if (axis.Start < 0) {
        const auto skipped = static_cast<int32_t>(std::nearbyint(-double(axis.Start) * ratio));
        axis.Size += axis.Start;
        axis.SourceSize -= skipped;
        axis.SourceStart += skipped;
        axis.Start = 0;
    }
    if (int64_t{axis.Start} + axis.Size > destSize) {
        const auto beyond = static_cast<int32_t>((double(axis.Start) + axis.Size - destSize) * ratio);
        axis.Size = destSize - axis.Start;
        axis.SourceSize -= beyond;
    }
    axis.Start = std::clamp(axis.Start, 0, destSize - 1);
    axis.Size = std::clamp(axis.Size, 0, destSize);
}

void LimitSource(TAxis& axis, int32_t sourceSize)
{
    axis.SourceStart = std::clamp(axis.SourceStart, 0, sourceSize - 1);
    axis.SourceSize = std::clamp(axis.SourceSize, 0, sourceSize);
}

int32_t Step(int32_t sourceSize, int32_t destSize)
{
    return static_cast<int32_t>(double(sourceSize) / destSize * RenderUnitStep);
}

void BuildMap(int32_t first, int32_t last, int32_t destStart, int32_t sourceStart, double ratio, int32_t sourceSize,
              std::vector<int32_t>& map)
{
    map.resize(static_cast<size_t>(std::max(0, last - first + 1)));
    for (int32_t c = first; c <= last; ++c) {
        const auto column = static_cast<int64_t>((double(c) - destStart) * ratio + sourceStart);
        map[size_t(c - first)] = static_cast<int32_t>(std::clamp<int64_t>(column, 0, sourceSize - 1));
    }
}

} // namespace

std::optional<TQkRenderArea> PlanRenderArea(int32_t destWidth, int32_t destHeight, int32_t sourceWidth,
                                            int32_t sourceHeight, TQkRenderRect destination, TQkRenderRect source,
                                            const TRect* clip)
{
    if (destination.Width <= 0 || destination.Height <= 0 || source.Width <= 0 || source.Height <= 0 ||
        destWidth <= 0 || destHeight <= 0 || sourceWidth <= 0 || sourceHeight <= 0 || destination.X >= destWidth ||
        destination.Y >= destHeight)
        return std::nullopt;
    TQkRenderArea area;
    area.RatioX = double(source.Width) / destination.Width;
    area.RatioY = double(source.Height) / destination.Height;
    TAxis x{destination.X, destination.Width, source.X, source.Width};
    TAxis y{destination.Y, destination.Height, source.Y, source.Height};
    CutToDestination(x, destWidth, area.RatioX);
    CutToDestination(y, destHeight, area.RatioY);
    LimitSource(x, sourceWidth);
    LimitSource(y, sourceHeight);
    if (x.Size == 0 || y.Size == 0 || x.SourceSize == 0 || y.SourceSize == 0)
        return std::nullopt;
    area.Destination = {x.Start, y.Start, x.Size, y.Size};
    area.Source = {x.SourceStart, y.SourceStart, x.SourceSize, y.SourceSize};
    area.StepX = Step(x.SourceSize, x.Size);
    area.StepY = Step(y.SourceSize, y.Size);
    area.OneToOne = area.StepX == RenderUnitStep && area.StepY == RenderUnitStep &&
        int64_t{x.SourceStart} + x.SourceSize <= sourceWidth && int64_t{y.SourceStart} + y.SourceSize <= sourceHeight;

    const TRect limits = clip != nullptr ? *clip : TRect{-NoClipLimit, -NoClipLimit, NoClipLimit, NoClipLimit};
    area.FirstColumn = std::max({limits.Left, x.Start, 0});
    area.LastColumn = std::min({limits.Right, x.Start + x.Size - 1, destWidth - 1});
    area.FirstRow = std::max({limits.Top, y.Start, 0});
    area.LastRow = std::min({limits.Bottom, y.Start + y.Size - 1, destHeight - 1});
    if (area.FirstColumn > area.LastColumn || area.FirstRow > area.LastRow)
        return std::nullopt;
    return area;
}

void BuildColumnMap(const TQkRenderArea& area, int32_t sourceWidth, std::vector<int32_t>& map)
{
    BuildMap(area.FirstColumn, area.LastColumn, area.Destination.X, area.Source.X, area.RatioX, sourceWidth, map);
}

void BuildRowMap(const TQkRenderArea& area, int32_t sourceHeight, std::vector<int32_t>& map)
{
    BuildMap(area.FirstRow, area.LastRow, area.Destination.Y, area.Source.Y, area.RatioY, sourceHeight, map);
}
