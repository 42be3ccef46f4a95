// The builder's oracle: exact option strings for every profile and for the
// choices that change them.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "ClipRow.h"
#include "app/JobBuilder.h"
#include "app/OptionText.h"

namespace {

TCusOutputOptions ClipSettings(int32_t formatIndex) { return ClipRow("/src/clip.avi", "/out/", formatIndex); }

TJobEnvironment TwoProcessors()
{
    TJobEnvironment environment;
    environment.ProcessorCount = 2;
    return environment;
}

std::string OutputOptions(const TCusOutputOptions& settings, const TJobEnvironment& environment = TwoProcessors())
{
    return BuildOutputOptions(settings, environment).Options;
}

const char* const H264Mp4 = " -b:a 128k -b:v 947k -ar 44100 -r 25 -c:v libx264 -vf \"scale=640:480\" -threads 2 -sn";
const char* const H264Small = " -b:a 128k -b:v 237k -ar 44100 -r 25 -c:v libx264 -vf \"scale=320:240\" -threads 2 -sn";
const char* const XvidSmall = " -b:a 128k -b:v 332k -ar 44100 -r 25 -c:v libxvid -vf \"scale=320:240\" -sn";
const char* const AudioOnly = " -b:a 128k -vn -ar 44100 -sn";

class JobBuilderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // One folder per test: CTest runs them in parallel processes.
        folder = std::filesystem::path(TEST_BINARY_DIR) / "job-builder" /
            ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
    }
    std::string Touch(const std::string& name)
    {
        const std::string path = (folder / name).string();
        std::ofstream(path) << "x";
        return path;
    }
    std::filesystem::path folder;
};

} // namespace

TEST_F(JobBuilderTest, EveryProfileWithEverythingAutomatic)
{
    const std::pair<const char*, const char*> rows[] = {
        {"3gp",
         " -b:a 12.2k -b:v 122k -ac 1 -ar 8000 -r 15 -c:a aac -astrict experimental -c:v h263 "
         "-vf \"pad=640:524:0:22:black,scale=176:144\" -sn"},
        {"avi", " -b:a 128k -b:v 1328k -ar 44100 -r 25 -c:v libxvid -vf \"scale=640:480\" -sn"},
        {"flv", H264Mp4},
        {"mkv", H264Mp4},
        {"mov", H264Mp4},
        {"mp4", H264Mp4},
        {"mp4", H264Small},
        {"mp4", XvidSmall},
        {"mp4", H264Small},
        {"mp4", XvidSmall},
        {"mp4", " -b:a 128k -b:v 237k -f psp -ar 44100 -r 25 -c:v libx264 -vf \"scale=320:240\" -threads 2 -sn"},
        {"mp4", " -b:a 128k -b:v 332k -f psp -ar 44100 -r 25 -c:v libxvid -vf \"scale=320:240\" -sn"},
        {"mpg", " -b:a 128k -b:v 1463k -ar 44100 -r 25 -c:v mpeg1video -vf \"scale=640:480\" -sn"},
        {"wmv", " -b:a 128k -b:v 1463k -ar 44100 -r 25 -c:v wmv2 -vf \"scale=640:480\" -sn"},
        {"aac", AudioOnly},
        {"ac3", AudioOnly},
        {"mp3", AudioOnly},
        {"wav", AudioOnly},
        {"wma", AudioOnly},
    };
    for (int32_t row = 0; row < 19; ++row) {
        const TCusOutputOptions settings = ClipSettings(row);
        const TInputOptions input = BuildInputOptions(settings);
        const TOutputOptions output = BuildOutputOptions(settings, TwoProcessors());
        EXPECT_EQ(input.FileName, "/src/clip.avi");
        EXPECT_EQ(input.Options, row < 14 ? "" : " -vn") << row;
        EXPECT_EQ(output.FileName, std::string("/out/clip_new001.") + rows[row].first) << row;
        EXPECT_EQ(output.Options, rows[row].second) << row;
        EXPECT_EQ(output.VideoHookBitsPixel, 32);
        EXPECT_TRUE(input.Presets.empty() && output.Presets.empty());
    }
}

TEST_F(JobBuilderTest, ThreeGpKeepsItsOwnAudioWhereAmrNbExists)
{
    TJobEnvironment environment = TwoProcessors();
    environment.AmrNbAvailable = true;
    EXPECT_EQ(OutputOptions(ClipSettings(0), environment),
              " -b:a 12.2k -b:v 122k -ac 1 -ar 8000 -r 15 -c:v h263 "
              "-vf \"pad=640:524:0:22:black,scale=176:144\" -sn");
}

TEST_F(JobBuilderTest, ChoicesThatChangeTheStrings)
{
    TCusOutputOptions clip = ClipSettings(5);
    clip.CutEnabled = clip.CutChecked = true;
    clip.ClipStart = clip.SeekOffset = 500000;
    clip.ClipEnd = 1500000;
    EXPECT_EQ(BuildInputOptions(clip).Options, " -ss 0.5");
    EXPECT_EQ(OutputOptions(clip),
              " -b:a 128k -b:v 947k -t 1 -ar 44100 -r 25 -c:v libx264 -vf \"scale=640:480\" -threads 2 -sn");

    TCusOutputOptions uncheckedClip = clip;
    uncheckedClip.CutChecked = false;
    EXPECT_EQ(BuildInputOptions(uncheckedClip).Options, "");
    EXPECT_EQ(OutputOptions(uncheckedClip), H264Mp4);

    TCusOutputOptions letterbox = ClipSettings(5);
    letterbox.FrameSize = "320x180";
    letterbox.AspectRatio = "16:9";
    EXPECT_EQ(OutputOptions(letterbox),
              " -b:a 128k -b:v 178k -aspect 16:9 -ar 44100 -r 25 -c:v libx264 "
              "-vf \"pad=852:480:106:0:black,scale=320:180\" -threads 2 -sn");
    letterbox.Stretch = true;
    EXPECT_EQ(OutputOptions(letterbox),
              " -b:a 128k -b:v 178k -aspect 16:9 -ar 44100 -r 25 -c:v libx264 "
              "-vf \"scale=320:180\" -threads 2 -sn");

    TCusOutputOptions rotated = ClipSettings(5);
    rotated.Rotation = "90";
    rotated.WatermarkOn = true;
    rotated.WatermarkFile = Touch("logo.png");
    EXPECT_EQ(OutputOptions(rotated),
              " -b:a 128k -b:v 947k -ar 44100 -r 25 -c:v libx264 "
              "-vf \"scale=640:480,nativerotate=90\" -threads 2 -sn");

    TCusOutputOptions rotated3gp = rotated;
    rotated3gp.FormatIndex = 0;
    rotated3gp.WatermarkOn = false;
    EXPECT_EQ(OutputOptions(rotated3gp).find("nativerotate"), std::string::npos);

    TCusOutputOptions chosen = ClipSettings(1);
    chosen.VideoEncoder = "MPEG4";
    chosen.VideoBitRate = "800";
    chosen.FrameRate = "30";
    chosen.AudioEncoder = "MP3";
    chosen.AudioBitRate = "4.75";
    chosen.SampleRate = "22050";
    chosen.Channels = 2;
    EXPECT_EQ(OutputOptions(chosen),
              " -b:a 4.75k -b:v 800k -ac 2 -ar 22050 -r 30 -c:a libmp3lame -c:v mpeg4 "
              "-vf \"scale=640:480\" -sn");
}

TEST_F(JobBuilderTest, WatermarkOverlaysTheSourceBeforeScaling)
{
    TCusOutputOptions settings = ClipSettings(5);
    settings.WatermarkOn = true;
    settings.WatermarkFile = Touch("logo.png");
    settings.WatermarkX = 530;
    settings.WatermarkY = 420;
    EXPECT_EQ(OutputOptions(settings),
              " -b:a 128k -b:v 947k -ar 44100 -r 25 -c:v libx264 -vf \"movie=" + settings.WatermarkFile +
                  " [watermark]; [in] [watermark] overlay=530:420, scale=640:480 [out]\""
                  " -threads 2 -sn");

    EXPECT_EQ(WatermarkFilter("", settings.WatermarkFile, 1, 2),
              "movie=" + settings.WatermarkFile + " [watermark]; [in] [watermark] overlay=1:2 [out]");

    settings.WatermarkFile = (folder / "missing.png").string();
    EXPECT_EQ(OutputOptions(settings), H264Mp4);
}

TEST_F(JobBuilderTest, WatermarkNameIsEscapedForEveryParser)
{
    const std::string name = Touch(" a,b;[c]'d=e\\f:g\"h.png");
    const std::string escaped = EscapeFilterGraphText(EscapeFilterOptionValue(name));
    const std::string tail = "/ a\\,b\\;\\[c\\]\\\\\\'d\\\\=e\\\\\\\\f\\\\:g\"h.png";
    EXPECT_EQ(escaped.substr(escaped.size() - tail.size()), tail);
    const std::string chain = WatermarkFilter("", name, 0, 0);
    EXPECT_EQ(chain, "movie=" + escaped + " [watermark]; [in] [watermark] overlay=0:0 [out]");
    TCusOutputOptions settings = ClipSettings(5);
    settings.WatermarkOn = true;
    settings.WatermarkFile = name;
    EXPECT_NE(OutputOptions(settings).find(
                  "-vf " + QuoteOptionValue(chain.substr(0, chain.size() - 6) + ", scale=640:480 [out]")),
              std::string::npos);
}

TEST_F(JobBuilderTest, FrameRateAndProcessorEdges)
{
    TCusOutputOptions fast3gp = ClipSettings(0);
    fast3gp.SourceFrameRate = 30.0;
    EXPECT_NE(OutputOptions(fast3gp).find(" -r 15 "), std::string::npos);

    TJobEnvironment oneProcessor;
    EXPECT_EQ(OutputOptions(ClipSettings(5), oneProcessor),
              " -b:a 128k -b:v 947k -ar 44100 -r 25 -c:v libx264 -vf \"scale=640:480\" -sn");

    for (const double bogusRate : {0.0, 0.4, -25.0, std::nan(""), double(INFINITY)}) {
        TCusOutputOptions noRate = ClipSettings(5);
        noRate.SourceFrameRate = bogusRate;
        EXPECT_EQ(OutputOptions(noRate), H264Mp4) << bogusRate;
    }

    TCusOutputOptions bogus = ClipSettings(3);
    bogus.SourceWidth = 3840;
    bogus.SourceHeight = 2160;
    bogus.SourceFrameRate = 300;
    EXPECT_NE(OutputOptions(bogus).find(" -b:v 3000k "), std::string::npos);

    TCusOutputOptions noAudioRate = ClipSettings(16);
    noAudioRate.SourceAudioBitRate = 1000;
    noAudioRate.SourceSampleRate = -1;
    noAudioRate.Channels = 1;
    EXPECT_EQ(OutputOptions(noAudioRate), " -b:a 64k -vn -ac 1 -ar 44100 -sn");
}

TEST_F(JobBuilderTest, OutputNamesNeverCollide)
{
    const std::string dir = folder.string() + "/";
    TCusOutputOptions settings = ClipSettings(5);
    settings.OutputFolder = dir;

    std::vector<std::string> batch;
    TJobEnvironment environment = TwoProcessors();
    environment.OutputNameInUse = [&](const std::string& name) {
        for (const std::string& taken : batch)
            if (SameOutputName(taken, name))
                return true;
        return false;
    };
    batch.push_back(BuildOutputOptions(settings, environment).FileName);
    batch.push_back(BuildOutputOptions(settings, environment).FileName);
    EXPECT_EQ(batch[0], dir + "clip_new001.mp4");
    EXPECT_EQ(batch[1], dir + "clip_new002.mp4");

    Touch("clip_new001.mp4");
    EXPECT_EQ(BuildOutputOptions(settings, TwoProcessors()).FileName, dir + "clip_new002.mp4");

    for (int32_t n = 2; n <= 999; ++n)
        Touch("clip_new" + ZeroPad3(n) + ".mp4");
    EXPECT_EQ(BuildOutputOptions(settings, TwoProcessors()).FileName, dir + "clip_new1000.mp4");

    settings.OutputFolder.clear();
    settings.SourceFile = dir + "movie.part.avi";
    EXPECT_EQ(BuildOutputOptions(settings, TwoProcessors()).FileName, dir + "movie.part_new001.mp4");
}
