#include "app/FormatTable.h"

#include <gtest/gtest.h>

using Strings = std::vector<std::string>;

TEST(FormatTableTest, EntriesAndOutOfRangeCells)
{
    EXPECT_EQ(FormatTableEntry(0, ftExtension), "3gp");
    EXPECT_EQ(FormatTableEntry(6, ftKind), "iphone-h.264");
    EXPECT_EQ(FormatTableEntry(DefaultFormatRow, ftDisplay), "MP4 - MPEG-4 Video");
    EXPECT_EQ(FormatTableEntry(18, ftDisplay), "WMA - Windows Media Audio");
    EXPECT_EQ(FormatTableEntry(19, ftExtension), "");
    EXPECT_EQ(FormatTableEntry(-1, ftExtension), "");
    EXPECT_EQ(FormatTableEntry(3, 3), "");
    EXPECT_EQ(FormatTableEntry(3, -1), "");
    for (int32_t row = 0; row < FormatTableRows; ++row)
        EXPECT_EQ(IsAudioKind(FormatTableEntry(row, ftKind)), row >= 14) << row;
}

struct ProfileCase {
    int32_t Row;
    Strings VideoEncoders;
    Strings AudioEncoders;
    Strings FrameRates;
    Strings FrameSizes;
    Strings AudioBitRates;
};

const Strings LowRates = {"2", "3", "5", "10", "12", "15"};
const Strings Rates = {"10", "12", "15", "20", "25", "30"};
const Strings AmrBitRates = {"4.75", "5.15", "5.9", "6.7", "7.4", "7.95", "10.2", "12.2"};
const Strings BitRates = {"16", "32", "48", "64", "96", "128", "160", "192", "320"};
const Strings AnySizes = {"176x144", "192x168", "240x180", "320x240", "352x288", "480x272",
                          "640x360", "720x480", "720x576", "800x600", "1024x768"};
const Strings Three = {"H.264", "MPEG4", "XviD"};

class ProfileListsTest : public testing::TestWithParam<ProfileCase> {};

TEST_P(ProfileListsTest, ListsFollowExtensionAndKind)
{
    const ProfileCase& expected = GetParam();
    const TProfileLists lists =
        ProfileLists(FormatTableEntry(expected.Row, ftExtension), FormatTableEntry(expected.Row, ftKind), true);
    EXPECT_EQ(lists.VideoEncoders, expected.VideoEncoders);
    EXPECT_EQ(lists.AudioEncoders, expected.AudioEncoders);
    EXPECT_EQ(lists.FrameRates, expected.FrameRates);
    EXPECT_EQ(lists.FrameSizes, expected.FrameSizes);
    EXPECT_EQ(lists.AudioBitRates, expected.AudioBitRates);
}

INSTANTIATE_TEST_SUITE_P(
    EveryProfile, ProfileListsTest,
    testing::Values(
        ProfileCase{0,
                    {"H.263", "H.264", "MPEG4", "XviD"},
                    {"AAC", "AMR"},
                    LowRates,
                    {"128x96", "176x144", "352x288"},
                    AmrBitRates},
        ProfileCase{1, Three, {"AC3", "MP3"}, Rates, AnySizes, BitRates},
        ProfileCase{2, {"H.264", "Sorenson H.263"}, {"AAC", "MP3"}, Rates, AnySizes, BitRates},
        ProfileCase{3, {"H.264", "XviD"}, {"AAC", "AC3", "MP3"}, Rates, AnySizes, BitRates},
        ProfileCase{4, Three, {"AAC", "MP3"}, Rates, AnySizes, BitRates},
        ProfileCase{5, Three, {"AAC", "MP3"}, Rates, AnySizes, BitRates},
        ProfileCase{6,
                    {"H.264"},
                    {"AAC", "MP3"},
                    Rates,
                    {"320x240", "480x320", "640x480", "720x480", "960x640", "1136x640"},
                    BitRates},
        ProfileCase{7, {"MPEG4", "XviD"}, {"AAC", "MP3"}, Rates, {"320x240", "480x320", "640x480"}, BitRates},
        ProfileCase{8,
                    {"H.264"},
                    {"AAC", "MP3"},
                    Rates,
                    {"320x240", "480x480", "640x480", "960x640", "1136x640"},
                    BitRates},
        ProfileCase{9, {"MPEG4", "XviD"}, {"AAC", "MP3"}, Rates, {"320x240", "480x480", "640x480"}, BitRates},
        ProfileCase{10, {"H.264"}, {"AAC", "MP3"}, Rates, {"320x240", "480x272", "720x480"}, BitRates},
        ProfileCase{11, {"MPEG4", "XviD"}, {"AAC", "MP3"}, Rates, {"320x240", "368x208", "480x272"}, BitRates},
        ProfileCase{12, {"MPEG-1 video", "MPEG-2 video"}, {"AC3"}, Rates, AnySizes, BitRates},
        ProfileCase{13,
                    {"Windows Media Video 7", "Windows Media Video 8"},
                    {"Windows Media Audio 1", "Windows Media Audio 2"},
                    Rates,
                    AnySizes,
                    BitRates},
        ProfileCase{14, {}, {}, Rates, AnySizes, BitRates}, ProfileCase{15, {}, {}, Rates, AnySizes, BitRates},
        ProfileCase{16, {}, {}, Rates, AnySizes, BitRates}, ProfileCase{17, {}, {}, Rates, AnySizes, BitRates},
        ProfileCase{18, {}, {}, Rates, AnySizes, BitRates}));

TEST(FormatTableTest, ThreeGpOffersAmrOnlyWhenTheEncoderIsThere)
{
    EXPECT_EQ(ProfileLists("3gp", "3gp", false).AudioEncoders, Strings{"AAC"});
    EXPECT_EQ(ProfileLists("3gp", "3gp", true).AudioEncoders, (Strings{"AAC", "AMR"}));
    EXPECT_EQ(ProfileLists("mp4", "mp4", false).AudioEncoders, (Strings{"AAC", "MP3"}));
}

TEST(FormatTableTest, FixedLists)
{
    EXPECT_EQ(AudioChannelEntries(), (Strings{"Mono", "Stereo"}));
    EXPECT_EQ(SampleRateEntries(), (Strings{"8000", "11025", "22050", "44100"}));
    EXPECT_EQ(AspectRatioEntries(), (Strings{"4:3", "16:9"}));
    ASSERT_EQ(VideoBitRateEntries().size(), 29u);
    EXPECT_EQ(VideoBitRateEntries().front(), "200");
    EXPECT_EQ(VideoBitRateEntries()[1], "300");
    EXPECT_EQ(VideoBitRateEntries().back(), "3000");
}
