// The job's error operations, interrupt checks and job-wide options.

#include <cstdlib>

#include "engine/tests/OptionTestSupport.h"

using namespace option_tests;

namespace {

TEST_F(OptionTest, CheckOptionsUsedRaisesOnlyInStrictMode)
{
    AVDictionary* left = nullptr;
    av::av_dict_set(&left, "bogus", "1", 0);
    try {
        job.CheckOptionsUsed(left);
        ADD_FAILURE() << "no exception";
    } catch (const FFmpegException& e) {
        EXPECT_EQ(e.Message(), "Option bogus not found.");
    }
    EXPECT_TRUE(Logged(llFatal, "Option bogus not found."));
    job.StrictOptions = false;
    job.LastErrorText.clear();
    EXPECT_NO_THROW(job.CheckOptionsUsed(left));
    EXPECT_EQ(job.LastErrorText, "Option bogus not found.");
    av::av_dict_free(&left);
    EXPECT_NO_THROW(job.CheckOptionsUsed(nullptr));
    EXPECT_THROW(job.AbortCodecExperimental(nullptr, true), FFmpegException);
    EXPECT_EQ(job.LastErrorText, "abort codec experimental");
}

TEST_F(OptionTest, InterruptChecks)
{
    const int64_t now = av::av_gettime();
    const struct {
        int64_t Stamp;
        int32_t Timeout;
        bool Aborted;
        int Expected;
        const char* Message; // nullptr: nothing logged
    } cases[] = {
        {INT64_MAX, 30000, false, 0, nullptr},
        {now - 60000000, 0, false, 0, nullptr},
        {now, 30000, false, 0, nullptr},
        {now - 60000000, 30000, false, 1, "connecting/%s timeout"},
        {0, 30000, false, 1, "connecting/%s canceled"},
        {INT64_MAX, 0, true, 1, "reading/writing broken"},
    };
    for (const auto& c : cases) {
        for (const bool reading : {true, false}) {
            SCOPED_TRACE(::testing::Message() << c.Stamp << " " << c.Timeout << (reading ? " read" : " write"));
            logLines.clear();
            job.Aborted = c.Aborted;
            (reading ? job.ReadStartTime : job.WriteStartTime) = c.Stamp;
            (reading ? job.ReadTimeout : job.WriteTimeout) = c.Timeout;
            const AVIOInterruptCB& callback = reading ? job.ReadInterruptCallback : job.WriteInterruptCallback;
            EXPECT_EQ(callback.callback(callback.opaque), c.Expected);
            if (c.Message)
                EXPECT_TRUE(Logged(llInfo, Format(c.Message, reading ? "reading" : "writing")));
            else
                EXPECT_TRUE(logLines.empty());
        }
    }
}

TEST_F(OptionTest, ProgressOutputIsOpenedAndReplaced)
{
    const std::string first = ScratchFolder + "progress-1.txt";
    const std::string second = ScratchFolder + "progress-2.txt";
    ASSERT_EQ(Parse("-progress \"" + first + "\""), 0);
    AVIOContext* opened = job.ProgressAvio;
    ASSERT_NE(opened, nullptr);
    ASSERT_EQ(Parse("-progress \"" + second + "\""), 0);
    EXPECT_NE(job.ProgressAvio, nullptr);
    EXPECT_TRUE(FileExists(first));
    EXPECT_TRUE(FileExists(second));
}

TEST_F(OptionTest, TimestampBecomesCreationTime)
{
    const char* saved = std::getenv("TZ");
    const std::string savedValue = saved ? saved : "";
    setenv("TZ", "CST-8", 1);
    const int32_t result = Parse("-timestamp 2020-01-02T03:04:05.6Z");
    saved ? setenv("TZ", savedValue.c_str(), 1) : unsetenv("TZ");
    tzset();
    ASSERT_EQ(result, 0);
    ASSERT_EQ(ctx.Metadata.size(), 1u);
    EXPECT_EQ(ctx.Metadata[0].Value.Str, "creation_time=2020-01-02 11:04:06 UTC-08:00");
    EXPECT_TRUE(Logged(llWarning, "timestamp is deprecated, set the \"creation_time\" metadata tag instead."));
}

TEST_F(OptionTest, JobOptionFailures)
{
    EXPECT_EQ(Parse("-cpuflags nonsense"), AVERROR(EINVAL));
    EXPECT_TRUE(Logged(llFatal,
                       "Failed to parse cpu flags \"nonsense\": Invalid argument / Invalid data found when "
                       "processing input"));
    EXPECT_EQ(Parse("-max_alloc 12x"), AVERROR(EINVAL));
    EXPECT_TRUE(Logged(llFatal, "Invalid max_alloc \"12x\"."));
    Parse("-tvstd ntsc");
    EXPECT_TRUE(Logged(llWarning, "This option is deprecated, use -standard."));
    EXPECT_EQ(av::av_dict_count(ctx.Group->FormatOpts.get()), 0);
}

TEST_F(OptionTest, GlobalSettingsOutliveTheFile)
{
    ASSERT_EQ(Parse("-y -async 2 -adrift_threshold 0.5 -copytb 1 -dc 10 -nostats"), 0);
    job.FreeOptionsContext(&ctx);
    contextOpen = false;
    EXPECT_EQ(job.FileOverwrite, 1);
    EXPECT_EQ(job.AudioSyncMethod, 2);
    EXPECT_FLOAT_EQ(job.AudioDriftThreshold, 0.5f);
    EXPECT_EQ(job.CopyTb, 1);
    EXPECT_EQ(job.IntraDcPrecision, 10);
    EXPECT_EQ(job.PrintStats, 0);
}

} // namespace
