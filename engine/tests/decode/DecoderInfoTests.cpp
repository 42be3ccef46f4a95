// Opening files and the information records, against ffprobe.

#include <cmath>
#include <filesystem>
#include <limits>

#include "engine/binding/AVFormatStubs.h"
#include "engine/decode/FFDecode.h"
#include "engine/tests/decode/DecoderTestMedia.h"

namespace decoder_tests {
namespace {

int64_t SecondsToUs(const std::string& text) { return std::llround(std::atof(text.c_str()) * 1000000); }

// ffprobe's integer, or `absent` for "N/A".
int64_t ProbedInteger(const std::string& text, int64_t absent)
{
    return text == "N/A" || text.empty() ? absent : std::atoll(text.c_str());
}

std::string RatioText(AVRational ratio, char separator)
{
    return std::to_string(ratio.num) + separator + std::to_string(ratio.den);
}

// The encoder creates its decoder before it loads the libraries. Only a
// process that has not loaded them yet can show it.
TEST(DecoderWithoutLibraries, LivesAndDiesWithoutTouchingFFmpeg)
{
    if (FFLoader.LibrariesLoaded(DecoderLibraries))
        GTEST_SKIP() << "the libraries were loaded by an earlier test of this process";
    auto decoder = std::make_unique<TFFDecoder>(nullptr);
    try {
        decoder->LoadFile(BFramesFile);
        FAIL() << "opened without libraries";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Library avcodec not loaded.");
    }
    EXPECT_FALSE(decoder->Decode());
    EXPECT_EQ(decoder->LastErrorText(), "file not loaded.");
    decoder->CloseFile();
    decoder.reset();
}

class DecoderInfoTest : public DecoderTest {
protected:
    TFFDecoder decoder{nullptr};
};

TEST_F(DecoderInfoTest, FileInformationAgreesWithFFprobe)
{
    for (const std::string& file : {BFramesFile, TaggedFile}) {
        SCOPED_TRACE(file);
        std::map<std::string, std::string> probe = Probe(file);
        ASSERT_TRUE(decoder.LoadFile(file)) << decoder.LastErrorText();
        EXPECT_EQ(decoder.FileSize(), ProbedInteger(probe["format.size"], -2));
        EXPECT_EQ(decoder.StreamCount(), ProbedInteger(probe["format.nb_streams"], -2));
        EXPECT_EQ(decoder.ProgramCount(), ProbedInteger(probe["format.nb_programs"], -2));
        EXPECT_EQ(decoder.VideoStreamCount(), 1);
        EXPECT_EQ(decoder.AudioStreamCount(), 1);
        EXPECT_EQ(decoder.SubtitleStreamCount(), 0);
        EXPECT_EQ(decoder.FirstVideoStreamIndex(), 0);
        EXPECT_EQ(decoder.FirstAudioStreamIndex(), 1);
        EXPECT_EQ(decoder.FirstSubtitleStreamIndex(), -1);

        TFileStreamInfo info;
        decoder.GetFileStreamInfo(info);
        EXPECT_EQ(info.StartTime, SecondsToUs(probe["format.start_time"]));
        EXPECT_EQ(info.Duration, SecondsToUs(probe["format.duration"]));
        EXPECT_EQ(info.BitRate, ProbedInteger(probe["format.bit_rate"], -2));
        EXPECT_EQ(info.Title, probe["format.tags.title"]);
    }
    // Tag names compare without case; a number that is no number reads 0.
    TFileStreamInfo info;
    decoder.GetFileStreamInfo(info);
    EXPECT_EQ(info.Year, 2021);
    EXPECT_EQ(info.Track, 7);
    EXPECT_EQ(info.Author, "Somebody");
    EXPECT_EQ(info.Album, "");
    EXPECT_EQ(decoder.GetInputFormatName(), "matroska,webm");
}

TEST_F(DecoderInfoTest, StreamInformationAgreesWithFFprobe)
{
    for (const std::string& file : {BFramesFile, TaggedFile}) {
        SCOPED_TRACE(file);
        std::map<std::string, std::string> probe = Probe(file);
        ASSERT_TRUE(decoder.LoadFile(file)) << decoder.LastErrorText();

        TVideoStreamInfo video;
        decoder.GetFirstVideoStreamInfo(video);
        const std::string v = "streams.stream.0.";
        EXPECT_EQ(video.Width, ProbedInteger(probe[v + "width"], -2));
        EXPECT_EQ(video.Height, ProbedInteger(probe[v + "height"], -2));
        EXPECT_STREQ(av::av_get_pix_fmt_name(static_cast<AVPixelFormat>(video.PixelFormat)),
                     probe[v + "pix_fmt"].c_str());
        EXPECT_EQ(RatioText(video.FrameRate, '/'), probe[v + "avg_frame_rate"]);
        EXPECT_EQ(RatioText(video.SampleAspectRatio, ':'), probe[v + "sample_aspect_ratio"]);
        EXPECT_EQ(RatioText(video.DisplayAspectRatio, ':'), probe[v + "display_aspect_ratio"]);
        int32_t width = 0;
        int32_t height = 0;
        std::sscanf(probe[v + "display_aspect_ratio"].c_str(), "%d:%d", &width, &height);
        EXPECT_FLOAT_EQ(video.DisplayAspect, static_cast<float>(width) / static_cast<float>(height));
        EXPECT_FLOAT_EQ(video.PixelAspect, 1.0f);
        EXPECT_EQ(video.StartTime, ProbedInteger(probe[v + "start_pts"], AV_NOPTS_VALUE));
        EXPECT_EQ(video.StartTimeUs, SecondsToUs(probe[v + "start_time"]));
        EXPECT_EQ(video.Duration, ProbedInteger(probe[v + "duration_ts"], AV_NOPTS_VALUE));
        EXPECT_EQ(video.DurationUs, probe[v + "duration"] == "N/A" ? -1 : SecondsToUs(probe[v + "duration"]));
        EXPECT_EQ(video.BitRate, ProbedInteger(probe[v + "bit_rate"], 0));
        EXPECT_EQ(video.CodecName.substr(0, video.CodecName.find('(')), probe[v + "codec_name"]);

        TAudioStreamInfo audio;
        decoder.GetAudioStreamInfo(-1, audio);
        const std::string a = "streams.stream.1.";
        EXPECT_EQ(audio.SampleRate, ProbedInteger(probe[a + "sample_rate"], -2));
        EXPECT_EQ(audio.Channels, ProbedInteger(probe[a + "channels"], -2));
        EXPECT_STREQ(av::av_get_sample_fmt_name(static_cast<AVSampleFormat>(audio.SampleFormat)),
                     probe[a + "sample_fmt"].c_str());
        EXPECT_EQ(audio.BitRate, ProbedInteger(probe[a + "bit_rate"], 0));
        EXPECT_EQ(audio.Language, probe[a + "tags.language"]);
        EXPECT_EQ(audio.DurationUs, probe[a + "duration"] == "N/A" ? -1 : SecondsToUs(probe[a + "duration"]));
    }
}

TEST_F(DecoderInfoTest, StreamChoiceErrorsLeaveTheResetRecord)
{
    TVideoStreamInfo video;
    TAudioStreamInfo audio;
    TFileStreamInfo file;
    decoder.GetFileStreamInfo(file);
    EXPECT_EQ(decoder.LastErrorText(), "file not loaded.");
    EXPECT_EQ(file.StartTime, AV_NOPTS_VALUE);
    EXPECT_EQ(file.Duration, -1);
    EXPECT_EQ(decoder.FileSize(), -1);
    EXPECT_EQ(decoder.VideoStreamCount(), -1);

    ASSERT_TRUE(decoder.LoadFile(AudioFile)) << decoder.LastErrorText();
    decoder.GetVideoStreamInfo(-1, video);
    EXPECT_EQ(decoder.LastErrorText(), "no video stream.");
    EXPECT_EQ(video.Width, -1);
    EXPECT_EQ(video.PixelAspect, -1.0f);
    EXPECT_EQ(RatioText(video.FrameRate, '/'), "0/1");
    EXPECT_FALSE(decoder.Decode());
    EXPECT_EQ(decoder.LastErrorText(), "no video stream.");

    ASSERT_TRUE(decoder.LoadFile(BFramesFile));
    decoder.GetAudioStreamInfo(5, audio);
    EXPECT_EQ(decoder.LastErrorText(), "stream index #5 is invalid.");
    decoder.GetAudioStreamInfo(0, audio);
    EXPECT_EQ(decoder.LastErrorText(), "stream #0 is not audio stream.");
    EXPECT_EQ(audio.SampleRate, -1);
    decoder.GetVideoStreamInfo(1, video);
    EXPECT_EQ(decoder.LastErrorText(), "stream #1 is not video stream.");
    EXPECT_FALSE(decoder.Decode(1));
}

TEST_F(DecoderInfoTest, OpeningFailuresLeaveNoFile)
{
    ASSERT_TRUE(decoder.LoadFile(IntraFile));
    EXPECT_FALSE(decoder.LoadFile(IntraFile, "nosuchformat"));
    EXPECT_EQ(decoder.LastErrorText(), "Unknown input format: nosuchformat");
    EXPECT_EQ(decoder.FormatContext(), nullptr);
    EXPECT_EQ(decoder.StreamCount(), -1);

    const std::string missing = MediaFolder + "missing.mp4";
    EXPECT_FALSE(decoder.LoadFile(missing));
    EXPECT_EQ(decoder.LastErrorText(), missing + ": No such file or directory");
    EXPECT_EQ(decoder.FormatContext(), nullptr);

    ASSERT_TRUE(decoder.LoadFile(IntraFile, "mp4"));
    EXPECT_EQ(decoder.ForcedFormatName(), "mp4");
    decoder.CloseFile();
    EXPECT_EQ(decoder.ForcedFormatName(), "");
    EXPECT_EQ(decoder.FileSize(), -1);
}

TEST_F(DecoderInfoTest, OpensFilesNamedOutsideASCII)
{
    const std::string name = MediaFolder + "видео ролик.mp4";
    if (!FileExists(name)) {
        const std::string part = name + "." + std::to_string(getpid());
        std::filesystem::copy_file(IntraFile, part, std::filesystem::copy_options::overwrite_existing);
        std::filesystem::rename(part, name);
    }
    ASSERT_TRUE(decoder.LoadFile(name)) << decoder.LastErrorText();
    EXPECT_EQ(decoder.FileSize(), static_cast<int64_t>(std::filesystem::file_size(IntraFile)));
    EXPECT_TRUE(decoder.Decode());
}

TEST_F(DecoderInfoTest, BeforeFindStreamInfoSeesTheOpenContext)
{
    int32_t calls = 0;
    decoder.SetOnBeforeFindStreamInfo([&](TObject* sender, AVFormatContext* context) {
        ++calls;
        EXPECT_EQ(sender, &decoder);
        ASSERT_NE(context, nullptr);
        EXPECT_STREQ(context->iformat->name, "mov,mp4,m4a,3gp,3g2,mj2");
    });
    ASSERT_TRUE(decoder.LoadFile(IntraFile));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(decoder.FormatContext()->flags & AVFMT_FLAG_NONBLOCK, AVFMT_FLAG_NONBLOCK);
}

TEST_F(DecoderInfoTest, AttachedContextsOnlyReport)
{
    AVFormatContext* context = nullptr;
    ASSERT_EQ(av::avformat_open_input(&context, IntraFile.c_str(), nullptr, nullptr), 0);
    ASSERT_GE(av::avformat_find_stream_info(context, nullptr), 0);
    decoder.AttachFormatContext(context);
    EXPECT_FALSE(decoder.OwnsContext());
    EXPECT_EQ(decoder.VideoStreamCount(), 1);
    TVideoStreamInfo video;
    decoder.GetVideoStreamInfo(-1, video);
    EXPECT_EQ(video.Width, 64);
    try {
        decoder.Decode();
        FAIL() << "decoding an attached context";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "file cannot be seeked, handle is readonly.");
    }
    EXPECT_THROW(decoder.Seek(0, 0), Exception);
    decoder.CloseFile();
    // The context stays open for its owner.
    EXPECT_EQ(context->nb_streams, 1u);
    av::avformat_close_input(&context);
}

TEST_F(DecoderInfoTest, ZeroTimeBaseDenominatorsAreRepaired)
{
    ASSERT_TRUE(decoder.LoadFile(TaggedFile));
    AVStream* stream = decoder.FormatContext()->streams[0];
    stream->time_base = {1000, 0};
    TVideoStreamInfo video;
    decoder.GetVideoStreamInfo(0, video);
    EXPECT_EQ(stream->time_base.den, 1000);
    stream->time_base = {0, 0};
    decoder.GetVideoStreamInfo(0, video);
    EXPECT_EQ(stream->time_base.den, 1);
}

TEST_F(DecoderInfoTest, IOInterruptFollowsTheClockAndTheTimeOut)
{
    struct TCase {
        int64_t OpenTime;
        int32_t ReadTimeout;
        int Expected;
    };
    const TCase cases[] = {
        {std::numeric_limits<int64_t>::max(), 1000, 0}, // no I/O step running
        {0, 0, 0}, // no time-out
        {0, 1000, 1}, // cancelled
        {-1, 1000, 0}, // a step that starts now (set below)
    };
    for (const TCase& c : cases) {
        decoder.ReadTimeout = c.ReadTimeout;
        decoder.SetOpenTime(c.OpenTime == -1 ? av::av_gettime() : c.OpenTime);
        EXPECT_EQ(DecoderIOInterrupt(&decoder), c.Expected) << c.OpenTime << " " << c.ReadTimeout;
    }
}

TEST_F(DecoderInfoTest, SeeksAfterALongPauseAreNoTimeOut)
{
    ASSERT_TRUE(decoder.LoadFile(ProgramStreamFile));
    ASSERT_TRUE(decoder.Decode());
    decoder.ReadTimeout = 1000;
    decoder.SetOpenTime(1); // the last I/O step began long ago
    EXPECT_TRUE(decoder.Seek(0, 1000000)) << decoder.LastErrorText();
    ASSERT_TRUE(decoder.Decode()) << decoder.LastErrorText();
    EXPECT_GE(decoder.CurrentPTS(), 1000000);
}

} // namespace
} // namespace decoder_tests
