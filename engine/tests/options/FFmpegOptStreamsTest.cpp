// Stream selection against an input with one video and two audio streams
// (mono, stereo), and the per-stream lookups.

#include "engine/tests/OptionTestSupport.h"

using namespace option_tests;

namespace {

class StreamOptionTest : public OptionTest {
protected:
    void SetUp() override
    {
        OptionTest::SetUp();
        job.OpenInput(AvFile);
    }

    // "file:stream>syncfile:syncstream" per map, "!" for a disabled one.
    std::string Maps() const
    {
        std::string text;
        for (const TStreamMap& m : ctx.StreamMaps) {
            text += (text.empty() ? "" : " ") + std::string(m.Disabled ? "!" : "") + std::to_string(m.FileIndex) + ":" +
                std::to_string(m.StreamIndex) + ">" + std::to_string(m.SyncFileIndex) + ":" +
                std::to_string(m.SyncStreamIndex);
        }
        return text;
    }

    std::string FailureOf(const std::string& options)
    {
        try {
            Parse(options);
        } catch (const FFmpegException& e) {
            EXPECT_EQ(job.LastErrorText, e.Message());
            return e.Message();
        }
        return "no exception";
    }
};

TEST_F(StreamOptionTest, MapSelectsStreams)
{
    const struct {
        const char* Options;
        const char* Maps;
    } cases[] = {
        {"-map 0", "0:0>0:0 0:1>0:1 0:2>0:2"},
        {"-map 0:a", "0:1>0:1 0:2>0:2"},
        {"-map 0:v,0:a", "0:0>0:1"},
        {"-map 0 -map -0:a", "0:0>0:0 !0:1>0:1 !0:2>0:2"},
        {"-map 0:a:1 -map 0:v", "0:2>0:2 0:0>0:0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Options);
        ASSERT_EQ(Parse(c.Options), 0);
        EXPECT_EQ(Maps(), c.Maps);
    }
}

TEST_F(StreamOptionTest, MapToOutputLabel)
{
    ASSERT_EQ(Parse("-map [scaled]"), 0);
    ASSERT_EQ(ctx.StreamMaps.size(), 1u);
    EXPECT_EQ(ctx.StreamMaps[0].LinkLabel, "scaled");
}

TEST_F(StreamOptionTest, MapFailures)
{
    EXPECT_EQ(FailureOf("-map 1"), "Invalid input file index: 1.");
    EXPECT_EQ(FailureOf("-map 0:s"), "Stream map \"0:s\" matches no streams.");
    EXPECT_EQ(FailureOf("-map -0:a"), "Stream map \"0:a\" matches no streams.");
    EXPECT_EQ(FailureOf("-map 0:v,2:a"), "Invalid sync file index: 2.");
    EXPECT_EQ(FailureOf("-map 0:v,0:s"), "Sync stream specification in map 0:v,0:s does not match any streams.");
    EXPECT_EQ(FailureOf("-map []"), "Invalid output link label: [].");
}

TEST_F(StreamOptionTest, AudioChannelMaps)
{
    ASSERT_EQ(Parse("-map_channel -1 -map_channel 0.2.1 -map_channel 0.1.0:0.1 -map_channel -1:0.2"), 0);
    ASSERT_EQ(ctx.AudioChannelMaps.size(), 4u);
    const TAudioChannelMap expected[] = {{-1, -1, -1, -1, -1}, {0, 2, 1, -1, -1}, {0, 1, 0, 0, 1}, {-1, -1, -1, 0, 2}};
    for (int32_t i = 0; i < 4; ++i) {
        const TAudioChannelMap& m = ctx.AudioChannelMaps[i];
        EXPECT_EQ(
            (std::vector<int32_t>{m.FileIndex, m.StreamIndex, m.ChannelIndex, m.OutputFileIndex, m.OutputStreamIndex}),
            (std::vector<int32_t>{expected[i].FileIndex, expected[i].StreamIndex, expected[i].ChannelIndex,
                                  expected[i].OutputFileIndex, expected[i].OutputStreamIndex}))
            << i;
    }
}

TEST_F(StreamOptionTest, AudioChannelMapFailures)
{
    EXPECT_EQ(FailureOf("-map_channel 0.1"),
              "Syntax error, mapchan usage: [file.stream.channel|-1][:syncfile:syncstream]");
    EXPECT_EQ(FailureOf("-map_channel 1.1.0"), "mapchan: invalid input file index: 1");
    EXPECT_EQ(FailureOf("-map_channel 0.3.0"), "mapchan: invalid input file stream index #0.3");
    EXPECT_EQ(FailureOf("-map_channel 0.0.0"), "mapchan: stream #0.0 is not an audio stream.");
    EXPECT_EQ(FailureOf("-map_channel 0.1.1"), "mapchan: invalid audio channel #0.1.1");
}

TEST_F(StreamOptionTest, LastMatchingEntryWinsTheLookup)
{
    ASSERT_EQ(Parse("-c copy -c:a pcm_s16le -c:a:1 mp2 -ar:a 22050 -ar 8000 -q:v 3"), 0);
    AVFormatContext* input = job.InputFiles[0]->Ctx.get();
    const char* names[3] = {"none", "none", "none"};
    for (int32_t i = 0; i < 3; ++i)
        job.MatchStreamOption(ctx.CodecNames, input, job.Stream(0, i), names[i]);
    EXPECT_STREQ(names[0], "copy");
    EXPECT_STREQ(names[1], "pcm_s16le");
    EXPECT_STREQ(names[2], "mp2");
    int32_t rate = 0;
    job.MatchStreamOption(ctx.AudioSampleRates, input, job.Stream(0, 1), rate);
    EXPECT_EQ(rate, 8000);
    double quality = -1;
    job.MatchStreamOption(ctx.Qscales, input, job.Stream(0, 1), quality);
    EXPECT_EQ(quality, -1);
    job.MatchStreamOption(ctx.Qscales, input, job.Stream(0, 0), quality);
    EXPECT_EQ(quality, 3);
    const char* forced = "none";
    TCustomFFmpegOpt::MatchTypeCodecName(&ctx, input, "a", forced);
    EXPECT_STREQ(forced, "pcm_s16le");
}

TEST_F(StreamOptionTest, BadSpecifierInLookupIsFatal)
{
    ASSERT_EQ(Parse("-c:x copy"), 0);
    const char* name = nullptr;
    EXPECT_THROW(job.MatchStreamOption(ctx.CodecNames, job.InputFiles[0]->Ctx.get(), job.Stream(0, 0), name),
                 FFmpegException);
    EXPECT_EQ(job.LastErrorText.rfind("check_stream_specifier: ", 0), 0u) << job.LastErrorText;
}

TEST_F(StreamOptionTest, CodecOptionsReachOnlyTheirStreams)
{
    ASSERT_EQ(Parse("-threads:a 3 -astrict experimental -b:s 1k -flags:v +bitexact"), 0);
    AVFormatContext* input = job.InputFiles[0]->Ctx.get();
    AVDictionary** perStream = FindStreamInfoOptions(input, ctx.Group->CodecOpts.get());
    ASSERT_NE(perStream, nullptr);
    EXPECT_EQ(DictValue(perStream[0], "threads"), "<none>");
    EXPECT_EQ(DictValue(perStream[0], "flags"), "+bitexact");
    EXPECT_EQ(DictValue(perStream[0], "strict"), "<none>");
    for (int32_t i = 1; i < 3; ++i) {
        EXPECT_EQ(DictValue(perStream[i], "threads"), "3");
        EXPECT_EQ(DictValue(perStream[i], "strict"), "experimental");
        EXPECT_EQ(DictValue(perStream[i], "b"), "<none>");
    }
    for (int32_t i = 0; i < 3; ++i)
        av::av_dict_free(&perStream[i]);
    av::av_freep(&perStream);
}

} // namespace
