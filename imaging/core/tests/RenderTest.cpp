#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkRender.h"
#include "imaging/core/tests/QkBitmapTestSupport.h"
#include "imaging/core/tests/QkRenderTestSupport.h"
#include "platform/gfx/Bitmap.h"

namespace {

void MakeSource(TQkBitmap& source, int32_t width, int32_t height)
{
    MakeBitmap(source, width, height);
    FillPattern(source);
}

TQkRenderOptions Options(const TRect* clip, bool duplicateRows, bool freeTables)
{
    TQkRenderOptions options;
    options.Clip = clip;
    options.DuplicateRows = duplicateRows;
    options.FreeTables = freeTables;
    return options;
}

struct TDraw {
    const char* Name;
    int32_t SourceSize;
    TQkRenderRect Destination, Source;
    std::optional<TRect> Clip;
};

const TDraw Draws[] = {
    {"one to one", 30, {0, 0, 30, 30}, {0, 0, 30, 30}, std::nullopt},
    {"shifted", 30, {-4, 7, 30, 30}, {0, 0, 30, 30}, std::nullopt},
    {"enlarged", 10, {0, 0, 40, 37}, {0, 0, 10, 10}, std::nullopt},
    {"reduced and clipped", 80, {3, 2, 30, 25}, {5, 5, 70, 60}, TRect{4, 6, 20, 25}},
};

// Draws onto a 33x31 destination of the given storage.
std::vector<uint8_t> Draw(const TDraw& draw, bool duplicateRows, TQkLocation location = qkMemory,
                          TQkRenderTables* kept = nullptr)
{
    TQkBitmap source;
    MakeSource(source, draw.SourceSize, draw.SourceSize);
    TQkBitmap destination;
    MakeBitmap(destination, 33, 31, location);
    EXPECT_EQ(destination.Location(), location);
    TQkRenderTables tables;
    TQkRenderTables& used = kept != nullptr ? *kept : tables;
    if (kept != nullptr && location == qkMemory && !kept->Rows.empty())
        for (int32_t row = 0; row < 31; ++row)
            kept->Rows[size_t(row)] = destination.GetScanline(row);
    EXPECT_TRUE(RenderToTQkBitmapEx(source, destination, used, draw.Destination, draw.Source,
                                    Options(draw.Clip ? &*draw.Clip : nullptr, duplicateRows, kept == nullptr)));
    return RowBytes(destination);
}

} // namespace

TEST(Render, SourceColumnsLandWhereTheGeometrySays)
{
    TQkBitmap source;
    MakeSource(source, 100, 100);
    TQkBitmap destination;
    MakeBitmap(destination, 50, 50);
    TQkRenderTables tables;
    ASSERT_TRUE(RenderToTQkBitmapEx(source, destination, tables, {-10, 0, 100, 100}, {0, 0, 100, 100}, {}));
    TQkBitmap enlarged;
    MakeBitmap(enlarged, 20, 20);
    TQkBitmap small;
    MakeSource(small, 10, 10);
    ASSERT_TRUE(RenderToTQkBitmapEx(small, enlarged, tables, {0, 0, 20, 20}, {0, 0, 10, 10}, {}));
    for (int32_t y = 0; y < 20; ++y)
        for (int32_t x = 0; x < 20; ++x) {
            ASSERT_EQ(destination.GetPixel24(x, y).b, source.GetPixel24(x + 10, y).b) << x << "," << y;
            ASSERT_EQ(destination.GetPixel24(x + 30, y + 30).g, source.GetPixel24(x + 40, y + 30).g);
            ASSERT_EQ(enlarged.GetPixel24(x, y).b, small.GetPixel24(x / 2, y / 2).b) << x << "," << y;
        }
    EXPECT_TRUE(tables.Rows.empty() && tables.Columns.empty() && tables.RowMap.empty());
}

TEST(Render, SamePixelsWhicheverWayTheyAreDrawn)
{
    for (const TDraw& draw : Draws) {
        SCOPED_TRACE(draw.Name);
        const std::vector<uint8_t> plain = Draw(draw, false);
        EXPECT_EQ(Draw(draw, true), plain);
        EXPECT_EQ(Draw(draw, true, qkFile), plain);
        EXPECT_EQ(Draw(draw, false, qkFile), plain);
        TQkRenderTables kept;
        EXPECT_EQ(Draw(draw, false, qkMemory, &kept), plain);
        EXPECT_FALSE(kept.Rows.empty());
        EXPECT_EQ(Draw(draw, true, qkMemory, &kept), plain) << "tables from the first call";
    }
}

TEST(Render, OneToOneFastPathEqualsTheMappedPath)
{
    const TDraw& draw = Draws[1];
    const std::vector<uint8_t> fast = Draw(draw, false);
    TQkBitmap source;
    MakeSource(source, 30, 30);
    TQkBitmap destination;
    MakeBitmap(destination, 33, 31);
    TQkRenderTables maps;
    const std::optional<TQkRenderArea> area = PlanRenderArea(33, 31, 30, 30, draw.Destination, draw.Source, nullptr);
    ASSERT_TRUE(area.has_value() && area->OneToOne);
    BuildColumnMap(*area, 30, maps.Columns);
    BuildRowMap(*area, 30, maps.RowMap);
    ASSERT_TRUE(RenderToTQkBitmapEx(source, destination, maps, draw.Destination, draw.Source, {}));
    EXPECT_EQ(RowBytes(destination), fast);
    EXPECT_FALSE(maps.Columns.empty()) << "a caller's tables are never freed";
}

TEST(Render, RefusedDestinationsStayUntouched)
{
    TQkBitmap source;
    MakeSource(source, 10, 10);
    TQkBitmap gray;
    MakeBitmap(gray, 10, 10, qkMemory, qk8g);
    const std::vector<uint8_t> before = RowBytes(gray);
    TQkRenderTables tables;
    EXPECT_FALSE(RenderToTQkBitmapEx(source, gray, tables, {0, 0, 10, 10}, {0, 0, 10, 10}, {}));
    EXPECT_EQ(RowBytes(gray), before);

    TQkBitmap inFile;
    MakeBitmap(inFile, 10, 10, qkFile);
    ASSERT_EQ(inFile.Location(), qkFile);
    const std::vector<uint8_t> fileBefore = RowBytes(inFile);
    tables.Rows.assign(10, nullptr);
    EXPECT_FALSE(RenderToTQkBitmapEx(source, inFile, tables, {0, 0, 10, 10}, {0, 0, 10, 10}, {}));
    EXPECT_EQ(RowBytes(inFile), fileBefore);

    TQkRenderTables shortMaps;
    shortMaps.Columns = {0, 1, 2, -1};
    TQkBitmap memory;
    MakeBitmap(memory, 10, 10);
    EXPECT_FALSE(RenderToTQkBitmapEx(source, memory, shortMaps, {0, 0, 10, 10}, {0, 0, 5, 5}, {}));
}

// A platform bitmap is drawn in place, as a qk24RGB bitmap of its size would be.
TEST(Render, PlatformBitmapDrawnInPlace)
{
    TQkBitmap source;
    MakeSource(source, 20, 20);
    TBitmap platform(25, 18, pf24bit);
    for (int32_t y = 0; y < 18; ++y)
        std::memset(platform.ScanLine(y), 0, 75);
    TQkBitmap reference;
    MakeBitmap(reference, 25, 18);
    reference.Fill(0);
    ASSERT_TRUE(RenderToTBitmap(source, platform, {3, -2, 30, 17}, {1, 1, 15, 12}, 200, rfNone, 0));
    ASSERT_TRUE(RenderToTQkBitmap(source, reference, {3, -2, 30, 17}, {1, 1, 15, 12}, 200, rfNone, 0));
    for (int32_t y = 0; y < 18; ++y)
        ASSERT_EQ(std::memcmp(platform.ScanLine(y), reference.GetScanline(y), 75), 0) << "row " << y;
    TBitmap paletted(4, 4, pf8bit);
    EXPECT_FALSE(RenderToTBitmap(source, paletted, {0, 0, 4, 4}, {0, 0, 4, 4}, 255, rfNone, 0));
}
