#include <gtest/gtest.h>

#include "app/JobBuilder.h"

TEST(JobBuilderPartsTest, ParseFrameSize)
{
    const std::tuple<const char*, int32_t, int32_t> cases[] = {
        {"320x240", 320, 240}, {"x320x240", 320, 240}, {"abc", 10, 10},  {"", 10, 10},
        {"x", 10, 10},         {"axb", 0, 0},          {"320x", 320, 0}, {"1x2x3", 1, 0},
    };
    for (const auto& [text, width, height] : cases) {
        const TFrameSize size = ParseFrameSize(text);
        EXPECT_EQ(size.Width, width) << text;
        EXPECT_EQ(size.Height, height) << text;
    }
}

TEST(JobBuilderPartsTest, PadFilterMakesMarginsEvenTowardZero)
{
    EXPECT_EQ(PadFilter(640, 480, {7, 7, 0, 0}), "pad=652:480:6:0:black");
    EXPECT_EQ(PadFilter(640, 480, {0, 0, -3, 5}), "pad=640:482:0:-2:black");
    EXPECT_EQ(PadFilter(640, 480, {1, 1, -3, -3}), "");
    EXPECT_EQ(PadFilter(640, 480, {}), "");
}

TEST(JobBuilderPartsTest, ComputePadLetterboxesInSourcePixels)
{
    const TPadding wide = ComputePad(640, 480, 320, 180);
    EXPECT_EQ(wide.Left, 107);
    EXPECT_EQ(wide.Right, 107);
    EXPECT_EQ(wide.Top, 0);
    const TPadding tall = ComputePad(640, 480, 176, 144);
    EXPECT_EQ(tall.Top, 22);
    EXPECT_EQ(tall.Bottom, 22);
    EXPECT_EQ(tall.Left, 0);
    const TPadding none = ComputePad(640, 480, 0, 240);
    EXPECT_EQ(PadFilter(640, 480, none), "");
    EXPECT_EQ(PadFilter(-1, -1, ComputePad(-1, -1, 320, 240)), "");
}

TEST(JobBuilderPartsTest, AutoVideoBitRateCapsAndNeverOverflows)
{
    const std::tuple<const char*, int32_t, const char*, const char*, const char*> cases[] = {
        {"640x480", 25, "libx264", ".mp4", "947"},     {"640x480", 25, "libxvid", ".avi", "1328"},
        {"176x144", 15, "h263", ".3gp", "122"},        {"320x240", 25, "libx264", ".mp4", "237"},
        {"320x240", 200, "libx264", ".mp4", "1000"},   {"352x288", 30, "mpeg4", ".3gp", "400"},
        {"3840x2160", 300, "libx264", ".mkv", "3000"}, {"abc", 25, "unknown", ".mp4", "0"},
    };
    for (const auto& [size, fps, codec, extension, expected] : cases)
        EXPECT_EQ(AutoVideoBitRate(size, fps, codec, extension), expected) << size << " " << fps << " " << codec;
}

TEST(JobBuilderPartsTest, CodecNamesFromTheEncoderLists)
{
    EXPECT_EQ(VideoCodecOfDisplayName("Sorenson H.263"), "flv");
    EXPECT_EQ(VideoCodecOfDisplayName("MPEG-2 video"), "mpeg2video");
    EXPECT_EQ(VideoCodecOfDisplayName("h.264"), "");
    EXPECT_EQ(AudioCodecOfDisplayName("AMR"), "libopencore_amrnb");
    EXPECT_EQ(AudioCodecOfDisplayName("Windows Media Audio 2"), "wmav2");
    EXPECT_EQ(AudioCodecOfDisplayName("AAC"), "aac");
    EXPECT_EQ(AudioCodecOfDisplayName(""), "");
}

TEST(JobBuilderPartsTest, OutputNamesCompareTrimmedAndCaseBlind)
{
    EXPECT_TRUE(SameOutputName(" /Out/Clip_new001.MP4", "/out/clip_new001.mp4 "));
    EXPECT_FALSE(SameOutputName("/out/clip_new001.mp4", "/out/clip_new002.mp4"));
}
