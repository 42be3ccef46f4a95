// "target" with its norms, and the other output option handlers.

#include <ctime>

#include "engine/tests/OptionTestSupport.h"
#include "platform/core/Strings.h"

using namespace option_tests;

namespace {

struct TTargetCase {
    const char* Name;
    const std::string* Input; // nullptr: no input file
    const char* Target;
    const char* Format;
    const char* Size;
    const char* Rate;
    const char* PixelFormat; // nullptr: not set
    const char* VideoBitRate;
    const char* GopSize;
    const char* MuxRate;
};

class TargetOption : public OptionTest, public ::testing::WithParamInterface<TTargetCase> {};

std::string LastValue(const TSpecifierList& list) { return list.empty() ? "<none>" : list.back().Value.Str; }

TEST_P(TargetOption, SetsTheStandardsOptions)
{
    const TTargetCase& c = GetParam();
    if (c.Input)
        job.OpenInput(*c.Input);
    ASSERT_EQ(Parse(std::string("-target ") + c.Target), 0) << job.LastErrorText;
    EXPECT_EQ(ctx.Format.value_or("<none>"), c.Format);
    EXPECT_EQ(LastValue(ctx.FrameSizes), c.Size);
    EXPECT_EQ(LastValue(ctx.FrameRates), c.Rate);
    EXPECT_EQ(LastValue(ctx.FramePixFmts), c.PixelFormat ? c.PixelFormat : "<none>");
    EXPECT_EQ(DictValue(ctx.Group->CodecOpts.get(), "b:v"), c.VideoBitRate);
    EXPECT_EQ(DictValue(ctx.Group->CodecOpts.get(), "g"), c.GopSize);
    EXPECT_EQ(DictValue(ctx.Group->FormatOpts.get(), "muxrate"), c.MuxRate);
}

const TTargetCase TargetCases[] = {
    {"PalDvdWithoutInputs", nullptr, "pal-dvd", "dvd", "720x576", "25", "yuv420p", "6000000", "15", "10080000"},
    {"DvdGuessesNtsc", &NtscFile, "dvd", "dvd", "720x480", "30000/1001", "yuv420p", "6000000", "18", "10080000"},
    {"VcdGuessesPal", &AvFile, "vcd", "vcd", "352x288", "25", nullptr, "1150000", "15", "1411200"},
    {"FilmSvcd", nullptr, "film-svcd", "svcd", "480x480", "24000/1001", "yuv420p", "2040000", "18", "<none>"},
    {"Dv50", nullptr, "pal-dv50", "dv", "720x576", "25", "yuv422p", "<none>", "<none>", "<none>"},
    {"NtscDv", nullptr, "ntsc-dv", "dv", "720x480", "30000/1001", "yuv411p", "<none>", "<none>", "<none>"},
    {"PalDv", nullptr, "pal-dv", "dv", "720x576", "25", "yuv420p", "<none>", "<none>", "<none>"},
};

INSTANTIATE_TEST_SUITE_P(Targets, TargetOption, ::testing::ValuesIn(TargetCases),
                         [](const ::testing::TestParamInfo<TTargetCase>& testCase) { return testCase.param.Name; });

TEST_F(OptionTest, TargetGuessLogsTheNorm)
{
    job.OpenInput(NtscFile);
    ASSERT_EQ(Parse("-target dvd"), 0);
    EXPECT_TRUE(Logged(llInfo, "Assuming NTSC for target."));
    EXPECT_EQ(ctx.CodecNames.size(), 2u);
    EXPECT_EQ(DictValue(ctx.Group->CodecOpts.get(), "b:a"), "448000");
    EXPECT_EQ(ctx.AudioSampleRates[0].Value.I, 48000);
}

TEST_F(OptionTest, VcdSetsMuxPreloadAndAudio)
{
    ASSERT_EQ(Parse("-target pal-vcd"), 0);
    EXPECT_FLOAT_EQ(ctx.MuxPreload, 0.44f);
    EXPECT_EQ(ctx.AudioChannels[0].Value.I, 2);
    EXPECT_EQ(DictValue(ctx.Group->FormatOpts.get(), "packetsize"), "2324");
}

TEST_F(OptionTest, TargetWithoutRecognisableNormStops)
{
    job.OpenInput(Film24File);
    const std::string message =
        "Could not determine norm (PAL/NTSC/NTSC-Film) for target.\r\nPlease prefix target with \"pal-\", \"ntsc-\" or "
        "\"film-\",\r\nor set a framerate with \"-r xxx\".";
    try {
        Parse("-target vcd");
        ADD_FAILURE() << "no exception";
    } catch (const FFmpegException& e) {
        EXPECT_EQ(e.Message(), message);
    }
    EXPECT_EQ(job.LastErrorText, message);
    EXPECT_TRUE(Logged(llFatal, message));
}

TEST_F(OptionTest, UnknownTarget)
{
    EXPECT_EQ(Parse("-target pal-laserdisc"), AVERROR(EINVAL));
    EXPECT_TRUE(Logged(llError, "Unknown target: pal-laserdisc"));
}

TEST_F(OptionTest, FramesShortForms)
{
    ASSERT_EQ(Parse("-vframes 10 -aframes 20 -dframes 30"), 0);
    ASSERT_EQ(ctx.MaxFrames.size(), 3u);
    const char* specifiers[] = {"v", "a", "d"};
    for (int32_t i = 0; i < 3; ++i) {
        EXPECT_EQ(ctx.MaxFrames[i].Specifier, specifiers[i]);
        EXPECT_EQ(ctx.MaxFrames[i].Value.I64, 10 * (i + 1));
    }
}

TEST_F(OptionTest, VstatsNamesTheFileAfterTheTime)
{
    const auto stamp = [] {
        const time_t now = std::time(nullptr);
        tm parts{};
        localtime_r(&now, &parts);
        return Format("vstats_%.2d%.2d%.2d.log", parts.tm_hour, parts.tm_min, parts.tm_sec);
    };
    const std::string before = stamp();
    ASSERT_EQ(Parse("-vstats"), 0);
    const std::string after = stamp();
    EXPECT_TRUE(job.VStatsFileName == before || job.VStatsFileName == after) << job.VStatsFileName;
}

} // namespace
