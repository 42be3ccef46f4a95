// Conversions through the encoder component as the converter application
// drives it, checked with ffprobe and the ffmpeg tool as oracles.

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/FFEncode.h"
#include "engine/binding/FFLoad.h"
#include "engine/tests/MediaOracle.h"
#include "platform/core/MainThread.h"
#include "platform/core/Strings.h"

namespace {

using media_oracle::CommandOutput;
using media_oracle::Generate;
using media_oracle::ProbeValues;

const std::string MediaFolder = std::string(TEST_BINARY_DIR) + "/transcode-media/";
const std::string Clip = MediaFolder + "clip.avi"; // 640x480, 25 fps, stereo 44.1 kHz, 2 s
const std::string LongClip = MediaFolder + "long.avi"; // the same, 20 s
const std::string Watermark = MediaFolder + "mark.png"; // 32x32 pure red
const std::string Segments[] = {MediaFolder + "segment-1.avi", MediaFolder + "segment-2.avi",
                                MediaFolder + "segment-3.avi"}; // 1 s each, 640x480, 25 fps, stereo
const std::string Subtitled = MediaFolder + "subtitled.mkv"; // the clip with two SubRip cues
const std::string H264Mp4 = MediaFolder + "h264.mp4"; // 2 s of H.264 at 25 fps in a fine time base
const std::string StereoMp3 = MediaFolder + "stereo.mp3"; // the same tone on both channels, 2 s
const std::string Steps = MediaFolder + "steps.mp4"; // 6 s, mono; second n sounds at 300 + 100 n Hz
constexpr double ClipSeconds = 2.0;
constexpr double FrameSeconds = 0.04;

void GenerateMedia()
{
    const auto clip = [](double seconds) {
        const std::string d = std::to_string(seconds);
        return "-f lavfi -i testsrc=size=640x480:rate=25:duration=" + d +
            " -f lavfi -i \"sine=frequency=440:sample_rate=44100:duration=" + d +
            "\" -ac 2 -c:v mpeg4 -q:v 3 -c:a pcm_s16le";
    };
    Generate(Clip, clip(ClipSeconds));
    Generate(LongClip, clip(20));
    Generate(Watermark, "-f lavfi -i color=c=red:size=32x32 -frames:v 1");
    for (int i = 0; i < 3; ++i)
        Generate(Segments[i],
                 "-f lavfi -i testsrc=size=640x480:rate=25:duration=1:decimals=" + std::to_string(i) +
                     " -f lavfi -i \"sine=frequency=" + std::to_string(300 + 100 * i) +
                     ":sample_rate=44100:duration=1\" -ac 2 -c:v mpeg4 -q:v 3 -c:a pcm_s16le");
    if (access(Subtitled.c_str(), F_OK) != 0) {
        const std::string cues = MediaFolder + "cues-" + std::to_string(getpid()) + ".srt";
        std::FILE* file = std::fopen(cues.c_str(), "w");
        std::fputs("1\n00:00:00,500 --> 00:00:01,000\nFirst\n\n2\n00:00:01,200 --> 00:00:01,800\nSecond\n\n", file);
        std::fclose(file);
        Generate(Subtitled, "-i \"" + Clip + "\" -i \"" + cues + "\" -map 0 -map 1 -c copy -c:s srt");
        std::remove(cues.c_str());
    }
    Generate(H264Mp4, "-f lavfi -i testsrc=size=320x240:rate=25:duration=2 -c:v libx264");
    Generate(StereoMp3, "-f lavfi -i sine=frequency=440:sample_rate=44100:duration=2 -ac 2 -c:a libmp3lame");
    Generate(Steps,
             "-f lavfi -i testsrc=size=320x240:rate=25:duration=6 -f lavfi -i "
             "\"aevalsrc='sin(2*PI*(300+100*floor(t))*t)':s=44100:d=6\" -c:v libx264 -c:a aac");
}

// The ffmpeg tool's output for the same options: the oracle for lengths.
std::string ToolOutput(const std::string& input, const std::string& options, const std::string& output)
{
    const std::string command = "ffmpeg -nostdin -v error -y -i \"" + input + "\" " + options + " \"" + output + "\"";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return output;
}

// "key=value" lines of ffprobe's flat output for one stream kind ("v:0", "a:0") or the format.
std::map<std::string, std::string> Probe(const std::string& file, const std::string& streams)
{
    return ProbeValues(file,
                       "-select_streams " + streams +
                           " -show_entries stream=codec_name,width,height,avg_frame_rate,channels,sample_rate,"
                           "duration -of default=nw=1");
}

// The stream's duration, or the file's when the container keeps none per stream.
double Seconds(const std::string& file, const std::string& streams)
{
    const std::string text = Probe(file, streams)["duration"];
    if (!text.empty() && text != "N/A")
        return std::atof(text.c_str());
    return std::atof(
        CommandOutput("ffprobe -v error -show_entries format=duration -of csv=p=0 \"" + file + "\" 2>/dev/null")
            .c_str());
}

struct TRunResult {
    TTerminateInfo Task;
    std::vector<TProgressInfo> Reports;
};

class TranscodeEndToEndTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(FFLoader.LoadLibraries(AllLibraries)) << FFLoader.LastErrorText();
        GenerateMedia();
    }

    // One task from AddTask to the final notice; OnReport may steer the run.
    TRunResult Convert(const std::string& input, const std::string& inputOptions, const std::string& output,
                       const std::string& outputOptions,
                       const std::function<void(VIDArarozo&, const TProgressInfo&)>& onReport = nullptr,
                       const std::function<void(VIDArarozo&, TOutputOptions&)>& prepare = nullptr)
    {
        std::remove(output.c_str());
        VIDArarozo encoder(nullptr);
        TInputOptions in;
        InitInputOptions(in);
        in.Options = inputOptions;
        TOutputOptions out;
        InitOutputOptions(out);
        out.Options = outputOptions;
        if (prepare)
            prepare(encoder, out);
        TRunResult result;
        const int32_t task = encoder.AddTask(input, &in);
        EXPECT_GE(task, 0) << encoder.LastErrorText;
        if (task < 0)
            return result;
        const int32_t set = encoder.SetOutput(task, output, &out);
        EXPECT_GE(set, 0) << encoder.LastErrorText;
        if (set < 0)
            return result;
        bool allDone = false;
        encoder.OnProgress = [&](TObject*, PProgressInfo info) {
            result.Reports.push_back(*info);
            if (onReport)
                onReport(encoder, *info);
        };
        encoder.OnTerminate = [&](TObject*, const TTerminateInfo& info) {
            if (info.TaskIndex < 0)
                allDone = true;
            else
                result.Task = info;
        };
        encoder.StartTask(1);
        while (!allDone)
            CheckSynchronize(20);
        return result;
    }

    static std::string Out(const std::string& name) { return MediaFolder + name; }
};

struct TProfile {
    const char* name;
    const char* extension;
    const char* options;
    const char* videoCodec; // nullptr: no video stream
    const char* audioCodec;
    const char* channels = "2";
    const char* sampleRate = "44100";
    const char* frameSize = "640x480";
    const char* frameRate = "25/1";
};

const char* const Common = " -b:a 128k -b:v 947k -ar 44100 -r 25";

// Every profile of the application, with the channel count a user may ask
// for: the source is stereo, so "-ac 1" must reach the encoder.
TEST_F(TranscodeEndToEndTest, ApplicationProfiles)
{
    const std::string h264 = std::string(Common) + " -c:v libx264 -vf \"scale=640:480\" -threads 2 -sn";
    const TProfile profiles[] = {
        {"mp4", "mp4", " -ac 1", "h264", "aac", "1"},
        {"avi", "avi", " -c:v libxvid -vf \"scale=640:480\" -threads 2 -sn", "mpeg4", "mp3"},
        {"mpg", "mpg", " -c:v mpeg1video -vf \"scale=640:480\" -threads 2 -sn -ac 1", "mpeg1video", "mp2", "1"},
        {"wmv", "wmv", " -c:v wmv2 -vf \"scale=640:480\" -threads 2 -sn", "wmv2", "wmav2"},
        {"flv", "flv", " -ac 1", "h264", "mp3", "1"},
        {"mkv", "mkv", "", "h264", nullptr},
        {"mov", "mov", "", "h264", "aac"},
        {"psp", "mp4", " -f psp", "h264", "aac"},
        // Debian's libraries have no AMR encoder: the user's other 3GP choice, AAC.
        {"3gp", "3gp", " -c:v h263 -s 176x144 -r 15 -b:v 400k -c:a aac -b:a 12.2k -ar 8000 -ac 1 -threads 2 -sn",
         "h263", "aac", "1", "8000", "176x144", "15/1"},
        {"aac", "aac", " -b:a 128k -vn -ar 44100 -sn -ac 1", nullptr, "aac", "1"},
        {"ac3", "ac3", " -b:a 128k -vn -ar 44100 -sn", nullptr, "ac3"},
        {"mp3", "mp3", " -b:a 128k -vn -ar 44100 -sn -ac 1", nullptr, "mp3", "1"},
        {"wav", "wav", " -b:a 128k -vn -ar 44100 -sn -ac 1", nullptr, "pcm_s16le", "1"},
        {"wma", "wma", " -b:a 128k -vn -ar 44100 -sn", nullptr, "wmav2"},
    };
    for (const TProfile& p : profiles) {
        SCOPED_TRACE(p.name);
        const std::string options = p.videoCodec && std::string(p.options).find("-c:v") == std::string::npos
            ? h264 + p.options
            : (p.videoCodec ? std::string(Common) + p.options : std::string(p.options));
        const std::string output = Out(std::string("profile-") + p.name + "." + p.extension);
        const std::string tool = ToolOutput(Clip, options, Out(std::string("tool-") + p.name + "." + p.extension));
        const TRunResult run = Convert(Clip, "", output, options);
        ASSERT_TRUE(run.Task.Finished) << run.Task.ExceptionMessage;
        ASSERT_FALSE(run.Task.Exception) << run.Task.ExceptionMessage;
        if (p.videoCodec) {
            auto video = Probe(output, "v:0");
            EXPECT_EQ(video["codec_name"], p.videoCodec);
            EXPECT_EQ(video["width"] + "x" + video["height"], p.frameSize);
            EXPECT_EQ(video["avg_frame_rate"], p.frameRate);
            EXPECT_NEAR(Seconds(output, "v:0"), Seconds(tool, "v:0"), FrameSeconds);
        } else {
            EXPECT_TRUE(Probe(output, "v")["codec_name"].empty());
        }
        auto audio = Probe(output, "a:0");
        if (p.audioCodec) {
            EXPECT_EQ(audio["codec_name"], p.audioCodec);
        }
        EXPECT_EQ(audio["channels"], p.channels);
        EXPECT_EQ(audio["sample_rate"], p.sampleRate);
        EXPECT_EQ(audio["channels"], Probe(tool, "a:0")["channels"]);
        EXPECT_NEAR(Seconds(output, "a:0"), Seconds(tool, "a:0"), FrameSeconds);
    }
}

// A mono source becomes stereo on request; a count that no layout or
// encoder can take fails the task instead of writing something else.
TEST_F(TranscodeEndToEndTest, ChannelCountReachesTheEncoder)
{
    for (const char* extension : {"mp3", "wav"}) {
        SCOPED_TRACE(extension);
        const std::string output = Out(std::string("stereo-from-mono.") + extension);
        const TRunResult run = Convert(Steps, "", output, " -vn -ar 44100 -ac 2");
        ASSERT_TRUE(run.Task.Finished) << run.Task.ExceptionMessage;
        EXPECT_EQ(Probe(output, "a:0")["channels"], "2");
    }
    for (const char* count : {"3", "9"}) {
        SCOPED_TRACE(count);
        const TRunResult run = Convert(Steps, "", Out("impossible-count.mp3"), std::string(" -vn -ac ") + count);
        EXPECT_TRUE(run.Task.Exception);
        EXPECT_FALSE(run.Task.Finished);
    }
}

TEST_F(TranscodeEndToEndTest, ClipWithStartAndLength)
{
    const std::string output = Out("clip-ss-t.mp4");
    const TRunResult run = Convert(Clip, "-ss 0.5", output, std::string(Common) + " -c:v libx264 -t 1 -sn");
    ASSERT_TRUE(run.Task.Finished) << run.Task.ExceptionMessage;
    auto video = Probe(output, "v:0");
    EXPECT_NEAR(std::atof(video["duration"].c_str()), 1.0, FrameSeconds * 1.5);
    EXPECT_NEAR(std::atof(Probe(output, "a:0")["duration"].c_str()), 1.0, FrameSeconds * 1.5);
}

// The tone of the first audio from 0.05 s to 0.45 s, in Hz, by its zero crossings.
double FirstTone(const std::string& file)
{
    const std::string raw =
        CommandOutput("ffmpeg -nostdin -v error -i \"" + file + "\" -map 0:a:0 -ac 1 -ar 44100 -f f32le - 2>/dev/null");
    std::vector<float> samples(raw.size() / sizeof(float));
    std::memcpy(samples.data(), raw.data(), samples.size() * sizeof(float));
    const size_t from = 2205, to = 19845;
    if (samples.size() < to)
        return 0;
    int crossings = 0;
    for (size_t i = from + 1; i < to; ++i)
        crossings += (samples[i - 1] < 0) != (samples[i] < 0);
    return crossings / 2.0 / 0.4;
}

double FirstVideoTime(const std::string& file)
{
    return std::atof(
        CommandOutput("ffprobe -v error -select_streams v:0 -show_entries frame=pts_time -read_intervals %+#1 "
                      "-of csv=p=0 \"" +
                      file + "\" 2>/dev/null")
            .c_str());
}

// An input "-ss" starts every container at the start, to the sample, and
// "-t" counts from there, as the tool's accurate seek does.
TEST_F(TranscodeEndToEndTest, ClipStartDropsWhatLiesBeforeIt)
{
    const struct {
        const char* extension;
        const char* options;
    } cases[] = {
        {"mp3", " -b:a 128k -vn -ar 44100 -sn"},
        {"wav", " -vn -ar 44100 -sn"},
        {"mkv", " -c:v libx264 -c:a aac -sn"},
        {"avi", " -c:v libxvid -c:a libmp3lame -sn"},
        {"flv", " -c:v libx264 -c:a libmp3lame -ar 44100 -sn"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.extension);
        const std::string options = std::string(c.options) + " -t 1";
        const std::string output = Out(std::string("start-2.") + c.extension);
        const std::string tool = Out(std::string("tool-start-2.") + c.extension);
        const std::string command =
            "ffmpeg -nostdin -v error -y -ss 2 -i \"" + Steps + "\"" + options + " \"" + tool + "\"";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        const TRunResult run = Convert(Steps, "-ss 2", output, options);
        ASSERT_TRUE(run.Task.Finished) << run.Task.ExceptionMessage;
        EXPECT_NEAR(FirstTone(output), 500, 10);
        EXPECT_NEAR(FirstTone(output), FirstTone(tool), 5);
        EXPECT_NEAR(Seconds(output, "a:0"), Seconds(tool, "a:0"), FrameSeconds);
        if (std::string(c.options).find("-vn") == std::string::npos) {
            EXPECT_NEAR(Seconds(output, "v:0"), Seconds(tool, "v:0"), FrameSeconds);
            EXPECT_NEAR(FirstVideoTime(output), FirstVideoTime(tool), FrameSeconds / 2);
        }
    }
}

// A start beyond the end gives an output without frames and says so honestly.
TEST_F(TranscodeEndToEndTest, ClipStartBeyondTheEndWritesNothing)
{
    const std::string output = Out("start-60.mp4");
    const TRunResult run = Convert(Clip, "-ss 60", output, std::string(Common) + " -c:v libx264 -sn");
    ASSERT_TRUE(run.Task.Finished) << run.Task.ExceptionMessage;
    EXPECT_FALSE(run.Task.Exception);
    const std::string packets =
        CommandOutput("ffprobe -v error -show_entries packet=pts -of csv=p=0 \"" + output + "\" 2>/dev/null");
    EXPECT_EQ(packets, "");
}

// A rate the encoder does not list moves to the nearest listed one, as the
// tool does; a listed rate that the encoder still refuses fails the task.
TEST_F(TranscodeEndToEndTest, UnsupportedFrameRateMovesToTheNearestSupported)
{
    const std::string options = " -an -sn -c:v mpeg1video -r 20";
    const std::string output = Out("rate-20.mpg");
    const std::string tool = ToolOutput(Clip, options, Out("tool-rate-20.mpg"));
    const TRunResult run = Convert(Clip, "", output, options);
    ASSERT_TRUE(run.Task.Finished) << run.Task.ExceptionMessage;
    EXPECT_EQ(Probe(output, "v:0")["avg_frame_rate"], "24000/1001");
    EXPECT_EQ(Probe(output, "v:0")["avg_frame_rate"], Probe(tool, "v:0")["avg_frame_rate"]);
    EXPECT_NEAR(Seconds(output, "v:0"), Seconds(tool, "v:0"), FrameSeconds * 1.5);

    const TRunResult refused = Convert(Clip, "", Out("rate-15.mpg"), " -an -sn -c:v mpeg1video -r 15");
    EXPECT_TRUE(refused.Task.Exception);
    EXPECT_FALSE(refused.Task.Finished);
}

// A transport stream whose audio starts a second before its video: without
// the audio the output starts at the video's first picture, as the tool's does.
TEST_F(TranscodeEndToEndTest, StartTimeComesFromTheStreamsInUse)
{
    const std::string source = Out("late-video.ts");
    Generate(source,
             "-f lavfi -i testsrc=size=160x120:duration=2:rate=25 -f lavfi -i sine=duration=3 "
             "-filter_complex \"[0:v]setpts=PTS+1/TB[v]\" -map \"[v]\" -map 1:a -c:v mpeg2video -c:a mp2");
    const std::string options = " -an -sn -c:v mpeg4";
    const std::string output = Out("late-video.nut");
    const std::string tool = ToolOutput(source, options, Out("tool-late-video.nut"));
    const TRunResult run = Convert(source, "", output, options);
    ASSERT_TRUE(run.Task.Finished) << run.Task.ExceptionMessage;
    EXPECT_NEAR(FirstVideoTime(output), 0, 0.001);
    EXPECT_NEAR(FirstVideoTime(output), FirstVideoTime(tool), 0.001);
}

// Luma plane (width x height samples) of the first frame, via the ffmpeg tool.
std::vector<uint8_t> FirstLuma(const std::string& file, const std::string& filter, size_t samples)
{
    const std::string text = CommandOutput("ffmpeg -nostdin -v error -i \"" + file + "\" " + filter +
                                           " -frames:v 1 -pix_fmt yuv420p -f rawvideo - 2>/dev/null");
    return std::vector<uint8_t>(text.begin(), text.begin() + std::min(samples, text.size()));
}

TEST_F(TranscodeEndToEndTest, NativeRotateIsTransposeShiftedOneColumn)
{
    const std::string plain = Out("rotate-plain.nut"), rotated = Out("rotate-90.nut");
    const std::string lossless = " -an -sn -c:v rawvideo -pix_fmt yuv420p -vf ";
    ASSERT_TRUE(Convert(Clip, "", plain, lossless + "\"scale=320:240\"").Task.Finished);
    const TRunResult run = Convert(Clip, "", rotated, lossless + "\"scale=320:240,nativerotate=90\"");
    ASSERT_TRUE(run.Task.Finished) << run.Task.ExceptionMessage;
    auto video = Probe(rotated, "v:0");
    EXPECT_EQ(video["width"], "240");
    EXPECT_EQ(video["height"], "320");
    const std::vector<uint8_t> ours = FirstLuma(rotated, "", 240 * 320);
    const std::vector<uint8_t> reference = FirstLuma(plain, "-vf transpose=clock", 240 * 320);
    ASSERT_EQ(ours.size(), 240u * 320u);
    ASSERT_EQ(reference.size(), ours.size());
    int mismatches = 0;
    for (int y = 0; y < 320; ++y) {
        EXPECT_EQ(ours[y * 240], 16) << y;
        for (int x = 1; x < 240; ++x)
            mismatches += ours[y * 240 + x] != reference[y * 240 + x - 1];
    }
    EXPECT_EQ(mismatches, 0);
}

TEST_F(TranscodeEndToEndTest, RotationInsideAWatermarkGraphFailsClearly)
{
    const TRunResult run = Convert(Clip, "", Out("rotate-complex.mp4"),
                                   " -an -c:v libx264 -vf \"movie=" + Watermark +
                                       " [watermark]; [in] [watermark] overlay=8:8, nativerotate=90 [out]\"");
    EXPECT_TRUE(run.Task.Exception);
    EXPECT_FALSE(run.Task.Finished);
}

TEST_F(TranscodeEndToEndTest, WatermarkOverlay)
{
    const std::string output = Out("watermark.nut");
    const TRunResult run = Convert(Clip, "", output,
                                   " -an -c:v rawvideo -pix_fmt yuv420p -vf \"movie=" + Watermark +
                                       " [watermark]; [in] [watermark] overlay=8:8 [out]\"");
    ASSERT_TRUE(run.Task.Finished) << run.Task.ExceptionMessage;
    const std::vector<uint8_t> luma = FirstLuma(output, "", 640 * 480);
    ASSERT_EQ(luma.size(), 640u * 480u);
    // Pure red has a luma of about 81 in limited range; the test pattern around it differs.
    EXPECT_NEAR(luma[20 * 640 + 20], 81, 3);
    EXPECT_NEAR(luma[39 * 640 + 39], 81, 3);
}

TEST_F(TranscodeEndToEndTest, ProgressReportsEndWithTheLastSegment)
{
    const TRunResult run = Convert(Clip, "", Out("progress.mp4"), std::string(Common) + " -c:v libx264 -sn");
    ASSERT_TRUE(run.Task.Finished) << run.Task.ExceptionMessage;
    ASSERT_FALSE(run.Reports.empty());
    const TProgressInfo& last = run.Reports.back();
    EXPECT_EQ(last.SegmentIndex, -1);
    for (size_t i = 0; i + 1 < run.Reports.size(); ++i)
        EXPECT_EQ(run.Reports[i].SegmentIndex, 0);
    EXPECT_EQ(last.FrameNumber, 50);
    EXPECT_EQ(last.Duration, 2000000);
    EXPECT_NEAR(static_cast<double>(last.CurrentTime), 2e6, 1e5);
    EXPECT_GT(last.TotalSize, 0);
    EXPECT_GT(last.BitRate, 0);

    const TRunResult audioOnly = Convert(Clip, "", Out("progress.mp3"), " -b:a 128k -vn -ar 44100 -sn");
    ASSERT_FALSE(audioOnly.Reports.empty());
    EXPECT_EQ(audioOnly.Reports.back().FrameNumber, -1);
    EXPECT_EQ(audioOnly.Reports.back().Fps, -1);
    EXPECT_GT(audioOnly.Reports.back().CurrentTime, 1900000);

    // libx264 marks its delayed packets with a quality of -1: a signed value.
    const TRunResult videoOnly = Convert(Clip, "", Out("progress-video.mp4"), " -an -c:v libx264 -sn");
    ASSERT_FALSE(videoOnly.Reports.empty());
    for (const TProgressInfo& report : videoOnly.Reports) {
        EXPECT_GE(report.Quality, -1);
        EXPECT_LE(report.Quality, 69);
    }
}

// "-deinterlace" blends the fields of every decoded picture before the
// filters: the combing of a moving interlaced pattern goes.
TEST_F(TranscodeEndToEndTest, DeinterlaceOptionBlendsTheFields)
{
    const std::string source = Out("interlaced.mpg");
    Generate(source,
             "-f lavfi -i testsrc=size=160x120:rate=50:duration=1 -vf "
             "\"tinterlace=interleave_top,fieldorder=tff\" -c:v mpeg2video -flags +ildct+ilme -q:v 2");
    const std::string lossless = " -an -sn -c:v rawvideo -pix_fmt yuv420p";
    const std::string plain = Out("interlaced-plain.nut"), blended = Out("interlaced-blended.nut");
    ASSERT_TRUE(Convert(source, "", plain, lossless).Task.Finished);
    const TRunResult run = Convert(source, "", blended, lossless + " -deinterlace");
    ASSERT_TRUE(run.Task.Finished) << run.Task.ExceptionMessage;
    // Combing: how much odd lines differ from the even lines around them.
    const auto combing = [](const std::vector<uint8_t>& luma) {
        long long sum = 0;
        for (int y = 1; y + 1 < 120; y += 2)
            for (int x = 0; x < 160; ++x)
                sum += std::abs(2 * luma[y * 160 + x] - luma[(y - 1) * 160 + x] - luma[(y + 1) * 160 + x]);
        return sum;
    };
    const std::vector<uint8_t> before = FirstLuma(plain, "", 160 * 120), after = FirstLuma(blended, "", 160 * 120);
    ASSERT_EQ(before.size(), 160u * 120u);
    ASSERT_EQ(after.size(), before.size());
    EXPECT_NE(before, after);
    EXPECT_LT(combing(after), combing(before) / 2);
}

// Every picture's luma, one after another, via the ffmpeg tool.
std::string AllLuma(const std::string& file)
{
    return CommandOutput("ffmpeg -nostdin -v error -i \"" + file +
                         "\" -map 0:v:0 -f rawvideo -pix_fmt gray - 2>/dev/null");
}

// Bitmap subtitles bound to a video pad are drawn on a canvas and overlaid
// as the tool does: the same pictures, the subtitles shown in their times.
TEST_F(TranscodeEndToEndTest, BitmapSubtitlesBurnedInLikeTheTool)
{
    const std::string subtitles = Out("dvdsub.mkv"), source = Out("dvdsub-video.mkv");
    if (access(source.c_str(), F_OK) != 0) {
        const std::string maker = std::string(SUBTITLE_MAKER) + " \"" + subtitles + "\" 320 240";
        ASSERT_EQ(std::system(maker.c_str()), 0) << maker;
        Generate(source,
                 "-f lavfi -i testsrc=size=320x240:rate=25:duration=3 -i \"" + subtitles +
                     "\" -map 0:v -map 1:s -c:v mpeg4 -q:v 2 -c:s copy");
    }
    const std::string options = " -an -filter_complex \"[0:v][0:s]overlay\" -c:v rawvideo -pix_fmt yuv420p";
    const std::string output = Out("dvdsub-burned.nut");
    const std::string tool = ToolOutput(source, options, Out("tool-dvdsub-burned.nut"));
    const TRunResult run = Convert(source, "", output, options);
    ASSERT_TRUE(run.Task.Finished) << run.Task.ExceptionMessage;
    const std::string ours = AllLuma(output), theirs = AllLuma(tool), plain = AllLuma(source);
    constexpr size_t Picture = 320 * 240;
    ASSERT_EQ(ours.size(), 75 * Picture);
    ASSERT_EQ(theirs.size(), ours.size());
    ASSERT_EQ(plain.size(), ours.size());
    for (size_t frame = 0; frame < 75; ++frame) {
        int worst = 0, drawn = 0;
        for (size_t i = frame * Picture; i < (frame + 1) * Picture; ++i) {
            worst = std::max(worst, std::abs(static_cast<uint8_t>(ours[i]) - static_cast<uint8_t>(theirs[i])));
            drawn += ours[i] != plain[i];
        }
        EXPECT_LE(worst, 2) << "frame " << frame;
        // The cues show from 0.4 to 1.2 s and from 1.6 to 2.4 s.
        const bool shown = (frame >= 10 && frame < 30) || (frame >= 40 && frame < 60);
        EXPECT_EQ(drawn > 1000, shown) << "frame " << frame << ": " << drawn;
    }
}

// Steers a run from a fixed point of the input: the audio input hook runs on
// the worker with every decoded block of samples.
std::function<void(VIDArarozo&, TOutputOptions&)> AtAudioBlock(int block, std::function<void(VIDArarozo&)> action)
{
    return [block, action](VIDArarozo& encoder, TOutputOptions& options) {
        options.AudioInputHook = true;
        encoder.OnAudioInputHook = [&encoder, block, action, count = 0](TObject*, int32_t, int64_t, uint8_t*, int32_t,
                                                                        int32_t, int32_t, AVSampleFormat) mutable {
            if (++count == block)
                action(encoder);
        };
    };
}

TEST_F(TranscodeEndToEndTest, StopLeavesAPlayableFile)
{
    const std::string output = Out("stopped.mp4");
    const TRunResult run = Convert(LongClip, "", output, std::string(Common) + " -c:v libx264 -threads 2 -sn", nullptr,
                                   AtAudioBlock(100, [](VIDArarozo& encoder) { encoder.Stop(false); }));
    EXPECT_FALSE(run.Task.Finished);
    EXPECT_FALSE(run.Task.Exception) << run.Task.ExceptionMessage;
    ASSERT_FALSE(run.Reports.empty());
    EXPECT_EQ(run.Reports.back().SegmentIndex, -1);
    auto video = Probe(output, "v:0");
    EXPECT_EQ(video["codec_name"], "h264");
    const double duration = std::atof(video["duration"].c_str());
    EXPECT_GT(duration, 0.5);
    EXPECT_LT(duration, 10);
}

// The worker waits for the progress handler: a stop that waits, asked for
// there, returns at once, and the run still drains and writes its trailer.
TEST_F(TranscodeEndToEndTest, StopWithWaitFromTheProgressHandlerStillWritesTheTrailer)
{
    // An MP4 without its trailer has no index at all ("moov atom not found"): however early the
    // stop comes, even before the first picture, ffprobe reading the file proves the trailer.
    const std::string output = Out("stopped-from-progress.mp4");
    bool stopReturned = false;
    const TRunResult run = Convert(LongClip, "", output, " -an -sn -c:v mpeg4",
                                   [&stopReturned](VIDArarozo& encoder, const TProgressInfo&) {
                                       if (stopReturned)
                                           return;
                                       encoder.Stop(true);
                                       stopReturned = true;
                                   });
    EXPECT_TRUE(stopReturned);
    EXPECT_FALSE(run.Task.Exception) << run.Task.ExceptionMessage;
    ASSERT_FALSE(run.Reports.empty());
    EXPECT_EQ(run.Reports.back().SegmentIndex, -1);
    EXPECT_EQ(CommandOutput("ffprobe -v error -show_entries format=format_name -of csv=p=0 \"" + output + "\" 2>&1"),
              "\"mov,mp4,m4a,3gp,3g2,mj2\"\n");
}

TEST_F(TranscodeEndToEndTest, PauseAndResumeCompleteTheFile)
{
    const std::string output = Out("paused.mp4");
    bool pausedSeen = false;
    const TRunResult run = Convert(LongClip, "", output, std::string(Common) + " -c:v libx264 -threads 2 -sn", nullptr,
                                   AtAudioBlock(100, [&pausedSeen](VIDArarozo& encoder) {
                                       encoder.Pause();
                                       QueueInMainThread([&encoder, &pausedSeen] {
                                           pausedSeen = encoder.Paused();
                                           encoder.Resume();
                                       });
                                   }));
    EXPECT_TRUE(pausedSeen);
    ASSERT_TRUE(run.Task.Finished) << run.Task.ExceptionMessage;
    EXPECT_NEAR(Seconds(output, "v:0"), 20.0, FrameSeconds);
}

TEST_F(TranscodeEndToEndTest, ForcedKeyFrames)
{
    const std::string output = Out("keyframes.mp4");
    const TRunResult run =
        Convert(Clip, "", output, " -an -c:v libx264 -g 250 -sc_threshold 0 -force_key_frames 0.6,1.2 -sn");
    ASSERT_TRUE(run.Task.Finished) << run.Task.ExceptionMessage;
    const std::string times =
        CommandOutput("ffprobe -v error -select_streams v:0 -skip_frame nokey -show_entries frame=pts_time "
                      "-of csv=p=0 \"" +
                      output + "\"");
    std::vector<double> keys;
    for (const std::string& line : SplitString(times, '\n'))
        if (!line.empty())
            keys.push_back(std::atof(line.c_str()));
    ASSERT_EQ(keys.size(), 3u) << times;
    EXPECT_NEAR(keys[0], 0.0, 0.001);
    EXPECT_NEAR(keys[1], 0.6, 0.001);
    EXPECT_NEAR(keys[2], 1.2, 0.001);
}

TEST_F(TranscodeEndToEndTest, StreamCopyWritesIncreasingDts)
{
    const std::string output = Out("copy.mkv");
    const TRunResult run = Convert(Clip, "", output, " -c copy");
    ASSERT_TRUE(run.Task.Finished) << run.Task.ExceptionMessage;
    EXPECT_EQ(Probe(output, "v:0")["codec_name"], "mpeg4");
    EXPECT_EQ(Probe(output, "a:0")["codec_name"], "pcm_s16le");
    for (const char* stream : {"v:0", "a:0"}) {
        const std::string text = CommandOutput(std::string("ffprobe -v error -select_streams ") + stream +
                                               " -show_entries packet=dts -of csv=p=0 \"" + output + "\"");
        long long previous = INT64_MIN;
        int count = 0;
        for (const std::string& line : SplitString(text, '\n')) {
            if (line.empty() || line == "N/A")
                continue;
            const long long dts = std::atoll(line.c_str());
            EXPECT_GT(dts, previous) << stream;
            previous = dts;
            ++count;
        }
        EXPECT_GT(count, 10) << stream;
    }
}

// Three inputs joined into one output: each continues where the previous one
// ended, with one header and one trailer.
TEST_F(TranscodeEndToEndTest, JoinedInputsFollowOneAnother)
{
    const std::string output = Out("joined.mp4");
    std::remove(output.c_str());
    TCustomFFmpeg job;
    for (const std::string& segment : Segments)
        ASSERT_GE(job.OpenInput("", segment, ""), 0) << job.LastErrorText;
    ASSERT_GE(job.OpenOutput(std::string(Common) + " -c:v libx264 -sn", true, output, ""), 0) << job.LastErrorText;
    ASSERT_TRUE(job.JoinMode);
    job.Start(false, tpNormal);
    EXPECT_TRUE(job.Finished);
    ASSERT_FALSE(job.ExceptionRaised) << job.ExceptionMessage;
    EXPECT_NEAR(Seconds(output, "v:0"), 3.0, FrameSeconds);
    EXPECT_NEAR(Seconds(output, "a:0"), 3.0, FrameSeconds);
    const std::string frames = CommandOutput("ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                                             "stream=nb_read_frames -of csv=p=0 \"" +
                                             output + "\"");
    EXPECT_EQ(std::atoi(frames.c_str()), 75);
    const std::string times = CommandOutput(
        "ffprobe -v error -select_streams v:0 -show_entries frame=pts_time -of csv=p=0 \"" + output + "\"");
    std::vector<double> pts;
    for (const std::string& line : SplitString(times, '\n'))
        if (!line.empty())
            pts.push_back(std::atof(line.c_str()));
    ASSERT_EQ(pts.size(), 75u);
    for (size_t i = 1; i < pts.size(); ++i)
        EXPECT_NEAR(pts[i] - pts[i - 1], FrameSeconds, 0.001) << i;
}

TEST_F(TranscodeEndToEndTest, VideoStatisticsFileHasALinePerFrame)
{
    const std::string stats = Out("vstats.log");
    std::remove(stats.c_str());
    const TRunResult run =
        Convert(Clip, "", Out("vstats.mp4"), " -an -c:v mpeg4 -psnr -vstats_file \"" + stats + "\" -sn");
    ASSERT_TRUE(run.Task.Finished) << run.Task.ExceptionMessage;
    const std::vector<std::string> lines = SplitString(CommandOutput("cat \"" + stats + "\""), '\n');
    ASSERT_EQ(lines.size(), 51u); // the text ends with a line break
    for (size_t i = 0; i < 50; ++i) {
        EXPECT_EQ(lines[i].rfind("frame= ", 0), 0u) << lines[i];
        EXPECT_NE(lines[i].find(" PSNR= "), std::string::npos) << lines[i];
        EXPECT_NE(lines[i].find(" type= "), std::string::npos) << lines[i];
    }
    EXPECT_NE(lines[0].find("frame=     1 "), std::string::npos) << lines[0];
    EXPECT_NE(lines[0].find("type= I"), std::string::npos) << lines[0];
}

TEST_F(TranscodeEndToEndTest, SubtitlesAreDecodedAndEncodedAgain)
{
    const std::string output = Out("subtitles.mkv");
    const TRunResult run = Convert(Subtitled, "", output, " -c:v copy -c:a copy -c:s ass");
    ASSERT_TRUE(run.Task.Finished) << run.Task.ExceptionMessage;
    EXPECT_EQ(Probe(output, "s:0")["codec_name"], "ass");
    const std::string times = CommandOutput(
        "ffprobe -v error -select_streams s:0 -show_entries packet=pts_time,duration_time -of csv=p=0 \"" + output +
        "\"");
    EXPECT_EQ(times, "0.500000,0.500000\n1.200000,0.600000\n");
}

// A stream copy takes the time base the target muxer needs, as the tool does.
TEST_F(TranscodeEndToEndTest, StreamCopyIntoAviKeepsTheFrameRate)
{
    const std::string output = Out("copy.avi");
    const std::string tool = ToolOutput(H264Mp4, "-c copy", Out("tool-copy.avi"));
    const TRunResult run = Convert(H264Mp4, "", output, " -c copy");
    ASSERT_TRUE(run.Task.Finished) << run.Task.ExceptionMessage;
    auto ours = Probe(output, "v:0"), theirs = Probe(tool, "v:0");
    EXPECT_EQ(ours["codec_name"], "h264");
    EXPECT_EQ(ours["avg_frame_rate"], theirs["avg_frame_rate"]);
    EXPECT_NEAR(Seconds(output, "v:0"), Seconds(tool, "v:0"), FrameSeconds);
}

TEST_F(TranscodeEndToEndTest, ComplexFilterGraphs)
{
    struct Case {
        const char* name;
        const char* options;
        const char* size;
    } cases[] = {
        {"labelled", " -filter_complex \"[0:v]scale=320:240[small]\" -map \"[small]\" -map 0:a -c:v libx264",
         "320x240"},
        {"unlabelled", " -filter_complex \"hflip,scale=160:120\" -c:v libx264", "160x120"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string output = Out(std::string("complex-") + c.name + ".mp4");
        const TRunResult run = Convert(Clip, "", output, std::string(" -b:a 128k -sn") + c.options);
        ASSERT_TRUE(run.Task.Finished) << run.Task.ExceptionMessage;
        auto video = Probe(output, "v:0");
        EXPECT_EQ(video["width"] + "x" + video["height"], c.size);
        EXPECT_EQ(Probe(output, "a:0")["codec_name"], "aac");
        EXPECT_NEAR(Seconds(output, "v:0"), ClipSeconds, FrameSeconds);
    }

    VIDArarozo encoder(nullptr);
    const int32_t task = encoder.AddTask(Clip, nullptr);
    ASSERT_GE(task, 0);
    TOutputOptions out;
    InitOutputOptions(out);
    out.Options = " -filter_complex \"[1:v]null[o]\" -map \"[o]\"";
    EXPECT_LT(encoder.SetOutput(task, Out("complex-bad.mp4"), &out), 0);
    EXPECT_NE(encoder.LastErrorText.find("Invalid file index 1 in filtergraph description [1:v]null[o]."),
              std::string::npos)
        << encoder.LastErrorText;
}

TEST_F(TranscodeEndToEndTest, TwoPassEncodingWritesAndReadsItsLog)
{
    const std::string prefix = Out("twopass");
    const std::string log = prefix + "-0.log";
    std::remove(log.c_str());
    const std::string options = " -an -sn -c:v mpeg4 -b:v 300k -passlogfile \"" + prefix + "\" -pass ";
    const TRunResult first = Convert(Clip, "", Out("twopass-1.avi"), options + "1");
    ASSERT_TRUE(first.Task.Finished) << first.Task.ExceptionMessage;
    const std::string statistics = CommandOutput("cat \"" + log + "\"");
    EXPECT_EQ(SplitString(statistics, '\n').size(), 51u); // one line per frame
    const TRunResult second = Convert(Clip, "", Out("twopass-2.avi"), options + "2");
    ASSERT_TRUE(second.Task.Finished) << second.Task.ExceptionMessage;

    std::remove(log.c_str());
    const TRunResult missing = Convert(Clip, "", Out("twopass-3.avi"), options + "2");
    EXPECT_TRUE(missing.Task.Exception);
    EXPECT_NE(missing.Task.ExceptionMessage.find("Error reading log file"), std::string::npos)
        << missing.Task.ExceptionMessage;
}

// Hooks see every decoded frame and every frame about to be encoded; what the
// output hook paints is what gets encoded. The preview event gets bitmaps too.
TEST_F(TranscodeEndToEndTest, VideoHooksSeeEveryFrame)
{
    std::atomic<int> decoded{0}, encoded{0}, previews{0};
    std::atomic<bool> sizesRight{true};
    const std::string output = Out("hooks.nut");
    const TRunResult run = Convert(
        Clip, "", output, " -an -sn -c:v rawvideo -pix_fmt yuv420p", nullptr,
        [&](VIDArarozo& encoder, TOutputOptions& options) {
            options.FrameInputHook = options.FrameOutputHook = true;
            encoder.OnFrameInputHook = [&](TObject*, PFrameHookInfo info) {
                ++decoded;
                sizesRight = sizesRight && info->Width == 640 && info->Height == 480;
            };
            encoder.OnFrameOutputHook = [&](TObject*, PFrameHookInfo info) {
                ++encoded;
                for (int32_t y = 0; y < info->Height; ++y)
                    std::memset(info->Picture->Data[0] + y * info->Picture->Linesize[0], 235, info->Width);
            };
            encoder.SetPreviewBitmap(true);
            encoder.OnPreviewBitmap = [&](TObject*, const TPreviewInfo& info) { previews += info.Bitmap ? 1 : 0; };
        });
    ASSERT_TRUE(run.Task.Finished) << run.Task.ExceptionMessage;
    EXPECT_EQ(decoded, 50);
    EXPECT_EQ(encoded, 50);
    EXPECT_TRUE(sizesRight);
    EXPECT_GE(previews, 1);
    const std::vector<uint8_t> luma = FirstLuma(output, "", 640 * 480);
    ASSERT_EQ(luma.size(), 640u * 480u);
    EXPECT_EQ(std::count(luma.begin(), luma.end(), 235), 640 * 480);
}

// A "vhook" plug-in added while the output options are parsed works on the
// decoded frames of the run; a library that cannot be loaded fails SetOutput.
TEST_F(TranscodeEndToEndTest, FrameHookPluginChangesTheOutput)
{
    const std::string plain = Out("vhook-plain.nut"), inverted = Out("vhook-inverted.nut");
    const std::string lossless = " -an -sn -c:v rawvideo -pix_fmt yuv420p";
    ASSERT_TRUE(Convert(Clip, "", plain, lossless).Task.Finished);
    const TRunResult run =
        Convert(Clip, "", inverted, lossless + " -vhook \"" + std::string(FRAMEHOOK_PLUGIN) + "|invert\"");
    ASSERT_TRUE(run.Task.Finished) << run.Task.ExceptionMessage;
    const std::vector<uint8_t> reference = FirstLuma(plain, "", 640 * 480);
    const std::vector<uint8_t> ours = FirstLuma(inverted, "", 640 * 480);
    ASSERT_EQ(reference.size(), 640u * 480u);
    ASSERT_EQ(ours.size(), reference.size());
    int mismatches = 0;
    for (size_t i = 0; i < ours.size(); ++i)
        mismatches += ours[i] != 255 - reference[i];
    EXPECT_EQ(mismatches, 0);

    VIDArarozo encoder(nullptr);
    const int32_t task = encoder.AddTask(Clip, nullptr);
    ASSERT_GE(task, 0);
    TOutputOptions out;
    InitOutputOptions(out);
    out.Options = " -vhook " + MediaFolder + "no-such-plugin.so";
    EXPECT_LT(encoder.SetOutput(task, Out("vhook-missing.nut"), &out), 0);
    EXPECT_EQ(encoder.LastErrorText, "Failed to add video hook function: " + MediaFolder + "no-such-plugin.so");
}

TEST_F(TranscodeEndToEndTest, FrameHookPluginRefusesAStreamCopy)
{
    const TRunResult run = Convert(Clip, "", Out("vhook-copy.mkv"),
                                   " -an -sn -c:v copy -vhook \"" + std::string(FRAMEHOOK_PLUGIN) + "|invert\"");
    EXPECT_TRUE(run.Task.Exception);
    EXPECT_FALSE(run.Task.Finished);
    EXPECT_EQ(run.Task.ExceptionMessage, "-vcodec copy and -vhook are incompatible (frames are not decoded)");
}

// An output that names an input of its task, however the path is spelt, is
// refused before anything is written; the source stays as it was.
TEST_F(TranscodeEndToEndTest, OutputOverTheInputIsRefused)
{
    const std::string source = Out("same.avi"), link = Out("same-link.avi");
    ASSERT_EQ(std::system(("cp \"" + Clip + "\" \"" + source + "\" && ln -sf same.avi \"" + link + "\"").c_str()), 0);
    const std::string before = CommandOutput("md5sum < \"" + source + "\"");
    const std::string spellings[] = {source, MediaFolder + "./../transcode-media/same.avi", link};
    for (const std::string& output : spellings) {
        SCOPED_TRACE(output);
        VIDArarozo encoder(nullptr);
        const int32_t task = encoder.AddTask(source, nullptr);
        ASSERT_GE(task, 0) << encoder.LastErrorText;
        TOutputOptions out;
        InitOutputOptions(out);
        out.Options = " -c:v libx264 -an";
        EXPECT_LT(encoder.SetOutput(task, output, &out), 0);
        EXPECT_EQ(encoder.LastErrorText, "Output " + output + " same as Input #0 - exiting");
    }
    EXPECT_EQ(CommandOutput("md5sum < \"" + source + "\""), before);
}

// Planar decoders (mp3) and encoders (aac) work on one plane per channel;
// the hooks always get the samples interleaved, in the packed format.
TEST_F(TranscodeEndToEndTest, AudioHooksGetInterleavedSamples)
{
    struct TSeen {
        int64_t bytes = 0;
        int calls = 0;
        bool packedFloat = true, stereo = true, channelsEqual = true;
    } input, output;
    const auto recorder = [](TSeen& seen) {
        return [&seen](TObject*, int32_t, int64_t, uint8_t* samples, int32_t size, int32_t rate, int32_t channels,
                       AVSampleFormat format) {
            ++seen.calls;
            seen.bytes += size;
            seen.packedFloat &= format == AV_SAMPLE_FMT_FLT && rate == 44100;
            seen.stereo &= channels == 2 && size % 8 == 0;
            const auto* values = reinterpret_cast<const float*>(samples);
            for (int32_t i = 0; i + 1 < size / 4; i += 2)
                seen.channelsEqual &= values[i] == values[i + 1];
        };
    };
    const TRunResult run = Convert(StereoMp3, "", Out("hooks.aac"), " -b:a 128k -vn -ar 44100 -sn", nullptr,
                                   [&](VIDArarozo& encoder, TOutputOptions& options) {
                                       options.AudioInputHook = options.AudioOutputHook = true;
                                       encoder.OnAudioInputHook = recorder(input);
                                       encoder.OnAudioOutputHook = recorder(output);
                                   });
    ASSERT_TRUE(run.Task.Finished) << run.Task.ExceptionMessage;
    for (const TSeen* seen : {&input, &output}) {
        EXPECT_GT(seen->calls, 10);
        EXPECT_TRUE(seen->packedFloat);
        EXPECT_TRUE(seen->stereo);
        EXPECT_TRUE(seen->channelsEqual);
        EXPECT_NEAR(seen->bytes / 8.0, 2 * 44100, 3000);
    }
}

} // namespace
