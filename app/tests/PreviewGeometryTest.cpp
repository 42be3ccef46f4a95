#include "app/PreviewGeometry.h"

#include <gtest/gtest.h>

TEST(PreviewGeometryTest, TimeStampTexts)
{
    const std::pair<int64_t, const char*> cases[] = {
        {0, "00:00:00.000"},
        {3'723'456'789, "01:02:03.456"},
        {999, "00:00:00.000"},
        {1'000, "00:00:00.001"},
        {100LL * 3'600'000'000LL + 61'000'000, "100:01:01.000"},
    };
    for (const auto& [time, text] : cases)
        EXPECT_EQ(FormatTimeStamp(time), text) << time;
}

TEST(PreviewGeometryTest, FrameCountFromTheBestKnownDuration)
{
    const struct {
        int64_t stream, file;
        int32_t num, den;
        int64_t count;
    } cases[] = {
        {2'000'000, 3'000'000, 25, 1, 50}, // the stream's own duration first
        {-1, 3'000'000, 25, 1, 75}, // else the file's
        {0, 60'000'000, 0, 0, 600}, // no rate: ten a second
        {-1, -1, 25, 1, 0}, // nothing known
        {-1, -1, 0, 0, 0},
        {100, -1, 5, 1, 0}, // 0.0005 pictures
        {-1, 100'000, 5, 1, 0}, // 0.5 rounds to even: 0
        {-1, 300'000, 5, 1, 2}, // 1.5 rounds to even: 2
        {-1, 60'000'000, 0, 1, 0}, // a zero rate: the bar keeps its range
    };
    for (const auto& c : cases)
        EXPECT_EQ(EstimateFrameCount(c.stream, c.file, c.num, c.den), c.count) << c.stream << " " << c.file;
}

TEST(PreviewGeometryTest, PageSizes)
{
    EXPECT_EQ(BarPageSize(0), 2);
    EXPECT_EQ(BarPageSize(9), 2);
    EXPECT_EQ(BarPageSize(10), 5);
    EXPECT_EQ(BarPageSize(99), 5);
    EXPECT_EQ(BarPageSize(600), 30);
    EXPECT_EQ(BarPageSize(LargestBarMax), 1638);
}
