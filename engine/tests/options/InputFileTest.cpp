// Opening input files: streams and decoders, start position and duration,
// forced formats and decoders, attachment dumps.

#include "engine/tests/FileIOTestSupport.h"

#include "engine/binding/AVCodecStubs.h"

using namespace io_tests;

namespace {

TEST_F(FileIOTest, InputStreamsMatchTheFileWithOwnDecoders)
{
    ASSERT_EQ(job.Input(ShortAvFile), 0);
    ASSERT_EQ(job.Input(AvFile), 1);
    ASSERT_EQ(job.InputFileCount(), 2);
    EXPECT_EQ(job.InputFile(1)->IstIndex, 2);
    EXPECT_EQ(job.InputFile(1)->NbStreams, 4);

    std::string types;
    for (int32_t i = 0; i < job.InputStreamCount(); ++i)
        types += std::string(i ? "," : "") + av::av_get_media_type_string(job.InputStream(i)->St->codecpar->codec_type);
    EXPECT_EQ(types, Probe(ShortAvFile, "stream=codec_type") + "," + Probe(AvFile, "stream=codec_type"));

    for (int32_t i = 0; i < job.InputStreamCount(); ++i) {
        SCOPED_TRACE(i);
        const TInputStream* ist = job.InputStream(i);
        EXPECT_EQ(ist->FileIndex, i < 2 ? 0 : 1);
        EXPECT_EQ(ist->Discard, 1);
        EXPECT_EQ(ist->St->discard, AVDISCARD_ALL);
        ASSERT_NE(ist->Dec, nullptr);
        ASSERT_NE(ist->DecCtx.get(), nullptr);
        EXPECT_EQ(ist->DecCtx->codec_id, ist->St->codecpar->codec_id);
        EXPECT_EQ(av_cmp_q(ist->DecCtx->pkt_timebase, ist->St->time_base), 0);
        EXPECT_EQ(ist->TsScale, 1.0);
        EXPECT_EQ(ist->FilterInRescaleDeltaLast, AV_NOPTS_VALUE);
    }
    const TInputStream* video = job.InputStream(2);
    EXPECT_EQ(video->ResampleWidth, 64);
    EXPECT_EQ(video->ResampleHeight, 48);
    EXPECT_EQ(video->TopFieldFirst, -1);
    EXPECT_EQ(job.InputStream(3)->ResampleChannels, 1);
    EXPECT_EQ(job.InputStream(3)->ResampleChannelLayout, AV_CH_LAYOUT_MONO);
    EXPECT_EQ(job.InputStream(4)->ResampleChannels, 2);
    EXPECT_EQ(job.InputStream(4)->GuessLayoutMax, INT32_MAX);
}

TEST_F(FileIOTest, InputDurationIsTheLongestLessItsStart)
{
    EXPECT_EQ(job.InputDuration, -1);
    ASSERT_EQ(job.Input(AvFile, "-ss 0.25"), 0);
    const AVFormatContext* av = job.InputFile(0)->Ctx.get();
    EXPECT_EQ(job.InputDuration, av->duration - 250000);
    EXPECT_EQ(job.InputFile(0)->TsOffset, -(250000 + av->start_time));
    ASSERT_EQ(job.Input(ShortAvFile), 1);
    EXPECT_EQ(job.InputDuration, av->duration - 250000) << "the shorter file leaves it";
    EXPECT_EQ(job.InputFile(1)->TsOffset, -job.InputFile(1)->Ctx->start_time);
}

TEST_F(FileIOTest, InputOptionsReachTheStreams)
{
    ASSERT_EQ(job.Input(AvFile, "-itsscale:v 2 -r:v 10 -itsoffset 1 -copyts"), 0);
    EXPECT_EQ(job.InputStream(0)->TsScale, 2.0);
    EXPECT_EQ(job.InputStream(1)->TsScale, 1.0);
    EXPECT_EQ(job.InputStream(0)->Framerate.num, 10);
    EXPECT_EQ(job.InputStream(0)->Framerate.den, 1);
    EXPECT_EQ(job.InputFile(0)->TsOffset, 1000000) << "with copyts the start position is not subtracted";
}

TEST_F(FileIOTest, DemuxerParametersComeFromTheOptions)
{
    ASSERT_EQ(job.Input(RawVideoFile, "-f rawvideo -s 32x24 -pix_fmt rgb24 -r 5"), 0) << job.LastErrorText;
    const AVStream* st = job.InputStream(0)->St;
    EXPECT_EQ(st->codecpar->width, 32);
    EXPECT_EQ(st->codecpar->format, AV_PIX_FMT_RGB24);
    EXPECT_EQ(st->r_frame_rate.num, 5);
    EXPECT_EQ(FatalText([&] { job.Input(AvFile, "-s 32x24"); }), "Option video_size not found.")
        << "a demuxer that takes no size leaves the parameter unused";
    EXPECT_EQ(job.InputFileCount(), 1);
}

TEST_F(FileIOTest, BeforeFindStreamInfoSeesTheOpenedFile)
{
    std::vector<std::string> calls;
    job.OnBeforeFindStreamInfo = [&](TCustomFFmpegOpt* sender, AVFormatContext* context) {
        EXPECT_EQ(sender, &job);
        calls.push_back(context->iformat->name + std::string(":") + std::to_string(context->nb_streams));
    };
    ASSERT_EQ(job.Input(ShortAvFile), 0);
    EXPECT_EQ(calls, std::vector<std::string>{"matroska,webm:2"});
}

TEST_F(FileIOTest, InputFailuresReturnTheirCodeAndText)
{
    EXPECT_EQ(job.Input(AvFile, "-f nosuchformat"), AVERROR(EINVAL));
    EXPECT_EQ(job.LastErrorText, "Unknown input format: \"nosuchformat\"");
    EXPECT_TRUE(Logged(llFatal, job.LastErrorText));

    const std::string missing = WorkFolder + "missing.mkv";
    const int32_t result = job.Input(missing);
    EXPECT_EQ(result, AVERROR(ENOENT));
    EXPECT_EQ(job.LastErrorText, GetErrorText(missing, result));
    EXPECT_EQ(job.InputFileCount(), 0);
    EXPECT_EQ(job.InputStreamCount(), 0);
}

TEST_F(FileIOTest, ForcedDecodersAreChecked)
{
    const struct {
        const char* Options;
        const char* Message;
    } cases[] = {
        {"-c:a mpeg4", "Invalid decoder type \"mpeg4\""},
        {"-c:v nosuchdecoder", "Unknown decoder \"nosuchdecoder\""},
        {"-acodec h264", "Invalid decoder type \"h264\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Options);
        EXPECT_EQ(FatalText([&] { job.Input(AvFile, c.Options); }), c.Message);
        EXPECT_EQ(job.InputFileCount(), 0);
        EXPECT_EQ(job.InputStreamCount(), 0) << "no stream of a failed input stays";
    }
}

TEST_F(FileIOTest, CodecDescriptorNamesFindTheirCodec)
{
    const AVCodec* codec = job.FindCodec("amr_nb", AVMEDIA_TYPE_AUDIO, false);
    EXPECT_STREQ(codec->name, "amrnb");
    EXPECT_TRUE(Logged(llVerbose, "Matched decoder \"amrnb\" for codec \"amr_nb\"."));
    EXPECT_EQ(FatalText([&] { job.FindCodec("amr_nb", AVMEDIA_TYPE_VIDEO, false); }),
              "Invalid decoder type \"amr_nb\"");
}

TEST_F(FileIOTest, ForcedDecoderIsUsedForTheStream)
{
    ASSERT_EQ(job.Input(AvFile, "-c:v mpeg4"), 0);
    EXPECT_STREQ(job.InputStream(0)->Dec->name, "mpeg4");
}

TEST_F(FileIOTest, DumpAttachmentWritesTheAttachedBytes)
{
    const std::string dumped = WorkFolder + "dumped.bin";
    std::remove(dumped.c_str());
    ASSERT_EQ(job.Input(AttachmentFile, "-dump_attachment:t \"" + dumped + "\""), 0);
    EXPECT_EQ(ReadFile(dumped), AttachedBytes);

    // An existing file is kept unless "-y" is given.
    WriteFile(dumped, "old");
    ASSERT_EQ(job.Input(AttachmentFile, "-dump_attachment:t \"" + dumped + "\""), 1);
    EXPECT_EQ(ReadFile(dumped), "old");
    EXPECT_EQ(job.LastErrorText, "File \"" + dumped + "\" already exists. Ignore.");
    ASSERT_EQ(job.Input(AttachmentFile, "-y -dump_attachment:t \"" + dumped + "\""), 2);
    EXPECT_EQ(ReadFile(dumped), AttachedBytes);
}

TEST_F(FileIOTest, DumpAttachmentNeedsDataAndAName)
{
    ASSERT_EQ(job.Input(AvFile), 0);
    job.DumpAttachment(job.InputStream(1)->St, WorkFolder + "never.bin");
    EXPECT_TRUE(Logged(llWarning, "No extradata to dump in stream #0:1."));
    EXPECT_FALSE(FileExists(WorkFolder + "never.bin"));

    ASSERT_EQ(job.Input(AttachmentFile), 1);
    AVStream* attachment = job.InputFile(1)->Ctx->streams[1];
    const std::string tagged = WorkFolder + "tagged.bin";
    av::av_dict_set(&attachment->metadata, "filename", tagged.c_str(), 0);
    job.DumpAttachment(attachment, "");
    EXPECT_EQ(ReadFile(tagged), AttachedBytes) << "the name comes from the stream's tag";
    av::av_dict_set(&attachment->metadata, "filename", nullptr, 0);
    EXPECT_EQ(FatalText([&] { job.DumpAttachment(attachment, ""); }),
              "No filename specified and no \"filename\" tag in stream #1:1.");
}

TEST_F(FileIOTest, ProtocolNamesAreNeverCheckedForOverwrite)
{
    const std::string existing = WorkFolder + "existing.bin";
    WriteFile(existing, "x");
    EXPECT_FALSE(job.CheckFileOverwrite(existing));
    EXPECT_FALSE(job.CheckFileOverwrite("file:" + existing));
    EXPECT_TRUE(job.CheckFileOverwrite("pipe:1"));
    EXPECT_TRUE(job.CheckFileOverwrite(WorkFolder + "absent.bin"));
    job.NoFileOverwrite = 1;
    job.FileOverwrite = 1;
    EXPECT_FALSE(job.CheckFileOverwrite(existing)) << "\"n\" wins over \"y\"";
}

} // namespace
