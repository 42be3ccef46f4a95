// Every profile converts a real clip through the conversion encoder with the
// options the builder writes.

#include <gtest/gtest.h>

#include <filesystem>

#include "ClipRow.h"
#include "ConversionTestSupport.h"
#include "app/ConversionTask.h"
#include "app/FormatTable.h"

using namespace conversion_test;

namespace {

struct TExpectedStreams {
    const char* Video; // nullptr: no video stream
    const char* Size; // "WxH", nullptr: not checked
    const char* Audio;
};

const TExpectedStreams Expected[FormatTableRows] = {
    {"h263", "176x144", "aac"},     {"mpeg4", nullptr, "mp3"},   {"h264", nullptr, "mp3"},
    {"h264", nullptr, "vorbis"},    {"h264", nullptr, "aac"},    {"h264", nullptr, "aac"},
    {"h264", "320x240", "aac"},     {"mpeg4", "320x240", "aac"}, {"h264", "320x240", "aac"},
    {"mpeg4", "320x240", "aac"},    {"h264", "320x240", "aac"},  {"mpeg4", "320x240", "aac"},
    {"mpeg1video", nullptr, "mp2"}, {"wmv2", nullptr, "wmav2"},  {nullptr, nullptr, "aac"},
    {nullptr, nullptr, "ac3"},      {nullptr, nullptr, "mp3"},   {nullptr, nullptr, "pcm_s16le"},
    {nullptr, nullptr, "wmav2"},
};

class ProfileConversionTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        LoadEngineLibraries();
        GenerateClip();
    }
};

} // namespace

TEST_F(ProfileConversionTest, EveryProfileConvertsTheClip)
{
    const std::string folder = MediaFolder + "profiles/";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    VIDArarozo encoder(nullptr);
    const TJobEnvironment environment = MachineJobEnvironment(encoder);
    for (int32_t row = 0; row < FormatTableRows; ++row)
        ASSERT_EQ(AddConversionTask(encoder, ClipRow(Clip, folder, row), environment), "") << row;
    ASSERT_EQ(encoder.GetTaskCount(), FormatTableRows);

    std::vector<TTerminateInfo> ends(FormatTableRows);
    encoder.OnTerminate = [&](TObject*, const TTerminateInfo& info) {
        if (info.TaskIndex >= 0)
            ends.at(info.TaskIndex) = info;
    };
    RunToEnd(encoder);

    for (int32_t row = 0; row < FormatTableRows; ++row) {
        SCOPED_TRACE(FormatTableEntry(row, ftDisplay));
        EXPECT_TRUE(ends[row].Finished && !ends[row].Exception) << ends[row].ExceptionMessage;
        TOutputOptions output;
        encoder.GetOutputOptions(row, 0, output);
        const auto video = Probe(output.FileName, "v:0");
        const auto audio = Probe(output.FileName, "a:0");
        const TExpectedStreams& expected = Expected[row];
        if (expected.Video) {
            EXPECT_EQ(video.count("codec_name") ? video.at("codec_name") : "", expected.Video);
        } else {
            EXPECT_TRUE(video.empty());
        }
        if (expected.Size) {
            EXPECT_EQ(video.count("width") ? video.at("width") + "x" + video.at("height") : "", expected.Size);
        }
        EXPECT_EQ(audio.count("codec_name") ? audio.at("codec_name") : "", expected.Audio);
        EXPECT_NEAR(FormatSeconds(output.FileName), 1.0, 0.2);
    }
    const auto threeGpAudio = Probe(folder + "clip_new001.3gp", "a:0");
    EXPECT_EQ(threeGpAudio.count("sample_rate") ? threeGpAudio.at("sample_rate") : "", "8000");
}

TEST_F(ProfileConversionTest, ThreeGpAudioIsMono)
{
    const std::string folder = MediaFolder + "mono/";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    VIDArarozo encoder(nullptr);
    ASSERT_EQ(AddConversionTask(encoder, ClipRow(Clip, folder, 0), MachineJobEnvironment(encoder)), "");
    RunToEnd(encoder);
    const auto audio = Probe(folder + "clip_new001.3gp", "a:0");
    EXPECT_EQ(audio.count("channels") ? audio.at("channels") : "", "1");
}
