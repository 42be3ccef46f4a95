#include <gtest/gtest.h>

#include <cstring>

#include "QkBitmapTestSupport.h"
#include "imaging/core/BrelvixProc.h"
#include "imaging/core/QkResample.h"

namespace {

struct TSizeCase {
    int32_t NewWidth;
    int32_t NewHeight;
    int32_t Width;
    int32_t Height;
};

TEST(ResampleTest, SizeRulesOfA400By300Image)
{
    const TSizeCase cases[] = {
        {-1, 200, 266, 200}, {300, -1, 300, 225}, {0, 100, 400, 100}, {-1, 0, 1, 300}, {-20, 7, 20, 7},
    };
    for (const TSizeCase& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.NewWidth << ", " << c.NewHeight);
        TQkResampleSize size;
        ASSERT_TRUE(ResampleTargetSize(400, 300, c.NewWidth, c.NewHeight, size));
        EXPECT_EQ(size.Width, c.Width);
        EXPECT_EQ(size.Height, c.Height);
    }
    TQkResampleSize none;
    EXPECT_FALSE(ResampleTargetSize(400, 300, -50, -60, none));

    TBrelvixProc proc(nullptr);
    TQkBitmap bitmap(400, 300, qk24RGB);
    proc.AttachBitmap(&bitmap);
    proc.Resample(-50, -60, rfNone);
    EXPECT_EQ(bitmap.GetWidth(), 400);
    proc.Resample(300, -1, rfNone);
    EXPECT_EQ(bitmap.GetWidth(), 300);
    EXPECT_EQ(bitmap.GetHeight(), 225);
    TQkBitmap target;
    proc.ResampleTo(target, -1, 0, rfNone);
    EXPECT_EQ(target.GetWidth(), 1);
    EXPECT_EQ(target.GetHeight(), 225);
}

// Columns of a one-row image whose pixel x is (x, x + 100, x + 200); the
// pixels must arrive whole and the row padding stay zero.
std::vector<int32_t> SampledColumns(int32_t from, int32_t to)
{
    TQkBitmap source(from, 1, qk24RGB);
    for (int32_t x = 0; x < from; ++x)
        for (int32_t c = 0; c < 3; ++c)
            source.GetScanline(0)[3 * x + c] = static_cast<uint8_t>(x + 100 * c);
    TQkBitmap destination(to, 1, qk24RGB);
    ResampleBitmap(source, destination, rfNone, nullptr, TQkProgressEvent());
    const uint8_t* row = destination.GetScanline(0);
    std::vector<int32_t> columns;
    for (int32_t x = 0; x < to; ++x) {
        columns.push_back(row[3 * x]);
        EXPECT_EQ(row[3 * x + 1], row[3 * x] + 100) << "pixel " << x;
        EXPECT_EQ(row[3 * x + 2], row[3 * x] + 200) << "pixel " << x;
    }
    for (int32_t i = 3 * to; i < destination.GetRowLen(); ++i)
        EXPECT_EQ(row[i], 0) << "padding byte " << i;
    return columns;
}

TEST(ResampleTest, PointSamplingTakesTruncatedColumns)
{
    EXPECT_EQ(SampledColumns(4, 3), (std::vector<int32_t>{0, 1, 2}));
    EXPECT_EQ(SampledColumns(3, 4), (std::vector<int32_t>{0, 0, 1, 2}));
    EXPECT_EQ(SampledColumns(10, 4), (std::vector<int32_t>{0, 2, 5, 7}));
    // The last column taken more than once, and a single pixel.
    EXPECT_EQ(SampledColumns(2, 5), (std::vector<int32_t>{0, 0, 0, 1, 1}));
    EXPECT_EQ(SampledColumns(5, 1), (std::vector<int32_t>{0}));
}

TEST(ResampleTest, PointSamplingKeepsPaletteAlphaAndBits)
{
    TQkBitmap palette(4, 4, qk8p);
    TRGBPixel colour{};
    colour.g = 77;
    palette.SetPaletteColor(5, colour);
    palette.GetScanline(2)[2] = 5;
    palette.SetAlpha(2, 2, 66);
    TQkBitmap half(2, 2, qk8p);
    ResampleBitmap(palette, half, rfNone, nullptr, TQkProgressEvent());
    EXPECT_EQ(half.GetPixelFormat(), qk8p);
    EXPECT_EQ(half.GetPixel8(1, 1), 5);
    TRGBPixel entry{};
    half.GetPaletteColor(5, entry);
    EXPECT_EQ(entry.g, 77);
    ASSERT_TRUE(half.HasAlphaChannel());
    EXPECT_EQ(half.GetAlpha(1, 1), 66);
    EXPECT_EQ(half.GetAlpha(0, 0), 255);

    TQkBitmap mono(16, 2, qk1g);
    mono.GetScanline(0)[0] = 0xAA;
    mono.GetScanline(0)[1] = 0x0F;
    TQkBitmap narrow(8, 1, qk1g);
    ResampleBitmap(mono, narrow, rfNone, nullptr, TQkProgressEvent());
    EXPECT_EQ(narrow.GetScanline(0)[0], 0xF3); // the even columns
}

TEST(ResampleTest, ProgressEndsWithTwoFinishes)
{
    TBrelvixProc proc(nullptr);
    TQkBitmap bitmap(40, 30, qk24RGB);
    proc.AttachBitmap(&bitmap);
    std::vector<int32_t> percents;
    int32_t finishes = 0;
    proc.OnProgress = [&](TObject* sender, int32_t per) {
        EXPECT_EQ(sender, &proc);
        percents.push_back(per);
    };
    proc.OnFinishWork = [&](TObject*) { ++finishes; };
    proc.Resample(20, 10, rfNone);
    EXPECT_EQ(finishes, 2);
    ASSERT_GE(percents.size(), 3u);
    EXPECT_EQ(percents[0], 0);
    EXPECT_EQ(std::count(percents.begin(), percents.end(), 100), 2);
    EXPECT_EQ(percents.back(), 100);
    // Point sampling raises a percentage only when it moves.
    EXPECT_EQ(std::adjacent_find(percents.begin(), percents.end() - 2), percents.end() - 2);
}

} // namespace
