#include <gtest/gtest.h>

#include <numeric>
#include <optional>
#include <vector>

#include "imaging/core/QkRenderGeometry.h"

namespace {

std::vector<int32_t> Columns(const TQkRenderArea& area, int32_t sourceWidth)
{
    std::vector<int32_t> map;
    BuildColumnMap(area, sourceWidth, map);
    return map;
}

std::vector<int32_t> Rows(const TQkRenderArea& area, int32_t sourceHeight)
{
    std::vector<int32_t> map;
    BuildRowMap(area, sourceHeight, map);
    return map;
}

// first + i * times / per for i = 0 .. count - 1.
std::vector<int32_t> Span(int32_t first, int32_t count, int32_t times = 1, int32_t per = 1)
{
    std::vector<int32_t> values(static_cast<size_t>(count));
    std::iota(values.begin(), values.end(), 0);
    for (int32_t& value : values)
        value = value * times / per + first;
    return values;
}

} // namespace

TEST(RenderGeometry, AreasAndMaps)
{
    struct TCase {
        const char* Name;
        int32_t DestSize, SourceSize;
        TQkRenderRect Destination, Source;
        std::optional<TRect> Clip;
        int32_t FirstColumn, LastColumn, FirstRow, LastRow;
        std::vector<int32_t> ColumnMap, RowMap;
        int32_t StepX;
    };
    const TCase cases[] = {
        {"left of the destination",
         50,
         100,
         {-10, 0, 100, 100},
         {0, 0, 100, 100},
         std::nullopt,
         0,
         49,
         0,
         49,
         Span(10, 50),
         Span(0, 50),
         16384},
        {"overhanging",
         50,
         40,
         {30, 40, 40, 20},
         {0, 0, 40, 20},
         std::nullopt,
         30,
         49,
         40,
         49,
         Span(0, 20),
         Span(0, 10),
         16384},
        {"doubled",
         20,
         10,
         {0, 0, 20, 20},
         {0, 0, 10, 10},
         std::nullopt,
         0,
         19,
         0,
         19,
         Span(0, 20, 1, 2),
         Span(0, 20, 1, 2),
         8192},
        {"halved",
         10,
         20,
         {0, 0, 10, 10},
         {0, 0, 20, 20},
         std::nullopt,
         0,
         9,
         0,
         9,
         Span(0, 10, 2),
         Span(0, 10, 2),
         32768},
        {"clipped",
         20,
         20,
         {0, 0, 20, 20},
         {0, 0, 20, 20},
         TRect{5, 6, 9, 12},
         5,
         9,
         6,
         12,
         Span(5, 5),
         Span(6, 7),
         16384},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::optional<TQkRenderArea> area = PlanRenderArea(c.DestSize, c.DestSize, c.SourceSize, c.SourceSize,
                                                                 c.Destination, c.Source, c.Clip ? &*c.Clip : nullptr);
        ASSERT_TRUE(area.has_value());
        EXPECT_EQ(area->FirstColumn, c.FirstColumn);
        EXPECT_EQ(area->LastColumn, c.LastColumn);
        EXPECT_EQ(area->FirstRow, c.FirstRow);
        EXPECT_EQ(area->LastRow, c.LastRow);
        EXPECT_EQ(area->StepX, c.StepX);
        EXPECT_EQ(Columns(*area, c.SourceSize), c.ColumnMap);
        EXPECT_EQ(Rows(*area, c.SourceSize), c.RowMap);
    }
}

TEST(RenderGeometry, NothingToDraw)
{
    const TRect outside{30, 30, 40, 40};
    struct TCase {
        const char* Name;
        TQkRenderRect Destination, Source;
        const TRect* Clip;
    };
    const TCase cases[] = {
        {"empty destination", {0, 0, 0, 10}, {0, 0, 10, 10}, nullptr},
        {"empty source", {0, 0, 10, 10}, {0, 0, 10, 0}, nullptr},
        {"right of the destination", {20, 0, 10, 10}, {0, 0, 10, 10}, nullptr},
        {"wholly above", {0, -30, 10, 10}, {0, 0, 10, 10}, nullptr},
        {"fully clipped", {0, 0, 20, 20}, {0, 0, 10, 10}, &outside},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_FALSE(PlanRenderArea(20, 20, 10, 10, c.Destination, c.Source, c.Clip).has_value());
    }
}
