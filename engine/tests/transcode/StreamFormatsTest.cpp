// What output streams hand to their filter graphs: format choice and the
// format lists, the simple graph records, channel maps and data streams.

#include "engine/tests/FileIOTestSupport.h"

#include "engine/binding/AVCodecStubs.h"
#include "engine/binding/AVFilterStubs.h"
#include "engine/transcode/TranscodeUtils.h"

using namespace io_tests;

namespace {

class StreamFormatsTest : public FileIOTest {
protected:
    // The list a format function gives, "<none>" for nil.
    static std::string ListText(char* list)
    {
        const std::string text = list ? list : "<none>";
        av::av_free(list);
        return text;
    }
};

TEST_F(StreamFormatsTest, FormatListsFollowTheSettingOrTheEncoder)
{
    ASSERT_EQ(job.Input(AvFile), 0);
    ASSERT_EQ(job.Output(WorkFolder + "lists.mkv",
                         "-map 0:v -map 0:v -map 0:a:1 -map 0:a:1 -c:v mpeg4 -pix_fmt:1 rgb24 "
                         "-c:a:0 pcm_s16le -c:a:1 ac3 -ar:a:0 8000 -sample_fmt:a:0 s32"),
              0)
        << job.LastErrorText;
    TOutputStream* plain = job.OutputStream(0);
    TOutputStream* rgb = job.OutputStream(1);
    TOutputStream* pcm = job.OutputStream(2);
    TOutputStream* ac3 = job.OutputStream(3);
    EXPECT_EQ(ListText(PixelFormatList(plain)), "yuv420p");
    EXPECT_EQ(ListText(PixelFormatList(rgb)), "yuv420p");
    EXPECT_TRUE(Logged(llWarning,
                       "Incompatible pixel format \"rgb24\" for codec \"mpeg4\", auto-selecting format \"yuv420p\""));
    EXPECT_EQ(ListText(SampleFormatList(pcm)), "s32") << "a set format is taken as it is";
    EXPECT_EQ(ListText(SampleFormatList(ac3)), "fltp");
    EXPECT_EQ(ListText(SampleRateList(pcm)), "8000");
    EXPECT_EQ(ListText(SampleRateList(ac3)), "48000,44100,32000");
    EXPECT_EQ(ListText(ChannelLayoutList(pcm)), "<none>");
    const std::string layouts = ListText(ChannelLayoutList(ac3));
    EXPECT_EQ(layouts.substr(0, 8), "0x4,0x3,") << layouts;

    ChooseSampleFormat(pcm->EncCtx, pcm->Enc);
    EXPECT_EQ(pcm->EncCtx->sample_fmt, AV_SAMPLE_FMT_S16);
    EXPECT_TRUE(
        Logged(llWarning, "Incompatible sample format \"s32\" for codec \"pcm_s16le\", auto-selecting format \"s16\""));
    EXPECT_EQ(ChoosePixelFormat(plain->EncCtx, nullptr, AV_PIX_FMT_RGB24), AV_PIX_FMT_RGB24) << "no codec, no choice";
}

TEST_F(StreamFormatsTest, JpegEncodersTakeMoreFormatsWhenUnofficialOnesAreAllowed)
{
    ASSERT_EQ(job.Input(SmallVideoFile), 0);
    ASSERT_EQ(job.Output(WorkFolder + "jpeg.mkv", "-c:v mjpeg"), 0) << job.LastErrorText;
    TOutputStream* ost = job.OutputStream(0);
    const std::string official = ListText(PixelFormatList(ost));
    ost->EncCtx->strict_std_compliance = FF_COMPLIANCE_UNOFFICIAL;
    EXPECT_EQ(ListText(PixelFormatList(ost)), "yuvj420p:yuvj422p:yuv420p:yuv422p");
    EXPECT_NE(official, "yuvj420p:yuvj422p:yuv420p:yuv422p");
}

TEST_F(StreamFormatsTest, KeptPixelFormatTurnsOffConversionInTheGraph)
{
    ASSERT_EQ(job.Input(SmallVideoFile), 0);
    ASSERT_EQ(job.Output(WorkFolder + "keep.mkv", "-c:v mpeg4 -pix_fmt +yuv420p"), 0);
    TOutputStream* ost = job.OutputStream(0);
    TFilterGraph* graph = job.InitSimpleFilterGraph(job.InputStream(0), ost);
    EXPECT_EQ(graph->Index, 0);
    EXPECT_EQ(job.FilterGraphCount(), 1);
    ASSERT_EQ(graph->InputCount(), 1);
    ASSERT_EQ(graph->OutputCount(), 1);
    EXPECT_EQ(graph->Inputs[0]->Ist, job.InputStream(0));
    EXPECT_EQ(graph->Outputs[0]->Ost, ost);
    EXPECT_EQ(ost->Filter, graph->Outputs[0].get());
    ASSERT_EQ(job.InputStream(0)->Filters.size(), 1u);
    EXPECT_EQ(job.InputStream(0)->Filters[0], graph->Inputs[0].get());

    graph->Graph = av::avfilter_graph_alloc();
    EXPECT_EQ(ListText(PixelFormatList(ost)), "yuv420p");
    EXPECT_EQ(graph->Graph->disable_auto_convert, unsigned(AVFILTER_AUTO_CONVERT_NONE));
}

TEST_F(StreamFormatsTest, ChannelMapsBeyondTheLimitAreLoggedAndSkipped)
{
    ASSERT_EQ(job.Input(AvFile), 0);
    std::string options = "-map 0:a:1";
    for (int i = 0; i < 33; ++i)
        options += " -map_channel 0.2." + std::to_string(i % 2);
    options += " -map_channel 0.1.0";
    ASSERT_EQ(job.Output(WorkFolder + "channels.mkv", options), 0) << job.LastErrorText;
    const TOutputStream* ost = job.OutputStream(0);
    EXPECT_EQ(ost->AudioChannelsMapped, 32);
    EXPECT_EQ(ost->AudioChannelsMap[31], 1);
    EXPECT_TRUE(Logged(llFatal, "Max channel mapping for output 0.0 reached"));
}

TEST_F(StreamFormatsTest, DataStreamsAreOnlyCopied)
{
    ASSERT_EQ(job.Input(TimecodeFile), 0);
    ASSERT_EQ(job.Output(WorkFolder + "data.mov", "-map 0 -c:d copy"), 0) << job.LastErrorText;
    EXPECT_EQ(job.OutputStreamText(), "v:0 d:1");
    EXPECT_EQ(FatalText([&] { job.Output(WorkFolder + "data-encoded.mov", "-map 0:d"); }),
              "Data stream encoding not supported yet (only streamcopy)");
    EXPECT_EQ(job.Output(WorkFolder + "no-data.mov", "-map 0 -dn"), 1);
    EXPECT_EQ(job.OutputStreamCount(), 3);
}

} // namespace
