#include <gtest/gtest.h>

#include <cstring>

#include "engine/binding/AVFilterStubs.h"
#include "engine/binding/AVUtilStubs.h"
#include "engine/binding/FFLoad.h"
#include "engine/transcode/FFFilterChain.h"

namespace {

TEST(SplitRotateChainTest, LinearChainsSplitAtEachRotation)
{
    struct Case {
        const char* description;
        std::vector<std::string> parts; // "@N" stands for a rotation by N
    } cases[] = {
        {"scale=320:240,nativerotate=90", {"scale=320:240", "@90", "null"}},
        {"nativerotate", {"null", "@45", "null"}},
        {"hflip, nativerotate=-90 ,nativerotate=180,scale=8:8", {"hflip", "@-90", "null", "@180", "scale=8:8"}},
        {"movie=w.png [watermark]; [in] [watermark] overlay=4:4 [out]",
         {"movie=w.png [watermark]; [in] [watermark] overlay=4:4 [out]"}},
        {"drawtext=text='a,nativerotate=9'", {"drawtext=text='a,nativerotate=9'"}},
    };
    for (const Case& c : cases) {
        std::vector<TChainPart> parts;
        std::string error;
        ASSERT_EQ(SplitRotateChain(c.description, parts, error), 0) << c.description;
        std::vector<std::string> seen;
        for (const TChainPart& p : parts)
            seen.push_back(p.Rotation ? "@" + std::to_string(p.Angle) : p.Filters);
        EXPECT_EQ(seen, c.parts) << c.description;
    }
}

TEST(SplitRotateChainTest, RotationOutsideALinearChainIsRefused)
{
    for (const char* description : {"movie=w.png [wm]; [in] [wm] overlay=1:1, nativerotate=90 [out]",
                                    "[in] nativerotate=90 [out]", "scale=2:2,nativerotate=ninety"}) {
        std::vector<TChainPart> parts;
        std::string error;
        EXPECT_EQ(SplitRotateChain(description, parts, error), AVERROR(EINVAL)) << description;
        EXPECT_NE(error.find("nativerotate"), std::string::npos) << error;
    }
}

class FilterChainTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(FFLoader.LoadLibraries(AllLibraries)) << FFLoader.LastErrorText(); }

    TPadLinker VideoSource(int w, int h)
    {
        return [this, w, h](AVFilterGraph* graph, AVFilterInOut* pad) {
            const std::string args = "video_size=" + std::to_string(w) + "x" + std::to_string(h) +
                ":pix_fmt=0:time_base=1/25:pixel_aspect=1/1";
            int r = av::avfilter_graph_create_filter(&source_, av::avfilter_get_by_name("buffer"), "in", args.c_str(),
                                                     nullptr, graph);
            return r < 0 ? r : av::avfilter_link(source_, 0, pad->filter_ctx, pad->pad_idx);
        };
    }
    TPadLinker VideoSink()
    {
        return [this](AVFilterGraph* graph, AVFilterInOut* pad) {
            int r = av::avfilter_graph_create_filter(&sink_, av::avfilter_get_by_name("buffersink"), "out", nullptr,
                                                     nullptr, graph);
            return r < 0 ? r : av::avfilter_link(pad->filter_ctx, pad->pad_idx, sink_, 0);
        };
    }
    void Push(int w, int h, int64_t pts)
    {
        AVFrame* frame = av::av_frame_alloc();
        frame->width = w;
        frame->height = h;
        frame->format = AV_PIX_FMT_YUV420P;
        frame->pts = pts;
        ASSERT_GE(av::av_frame_get_buffer(frame, 0), 0);
        for (int p = 0; p < 3; ++p)
            std::memset(frame->data[p], 100 + p, frame->linesize[p] * (p ? h / 2 : h));
        ASSERT_GE(av::av_buffersrc_add_frame_flags(source_, frame, AV_BUFFERSRC_FLAG_PUSH), 0);
        av::av_frame_free(&frame);
    }

    AVFilterContext* source_ = nullptr;
    AVFilterContext* sink_ = nullptr;
};

TEST_F(FilterChainTest, RotatedChainCarriesFramesAndEndOfStream)
{
    TFilterChain chain;
    ASSERT_EQ(chain.Build("scale=32:24,nativerotate=90", "flags=0x4", "", VideoSource(64, 48), VideoSink()), 0)
        << chain.ErrorText();
    ASSERT_TRUE(chain.Split());
    Push(64, 48, 0);
    Push(64, 48, 1);
    ASSERT_GE(av::av_buffersrc_add_frame_flags(source_, nullptr, 0), 0);
    ASSERT_EQ(chain.Pump(), 0);
    AVFrame* out = av::av_frame_alloc();
    for (int64_t pts = 0; pts < 2; ++pts) {
        ASSERT_EQ(av::av_buffersink_get_frame_flags(sink_, out, AV_BUFFERSINK_FLAG_NO_REQUEST), 0);
        EXPECT_EQ(out->width, 24);
        EXPECT_EQ(out->height, 32);
        EXPECT_EQ(out->pts, pts);
        EXPECT_EQ(out->data[0][out->linesize[0] * 5 + 0], RotateFill[0]); // first column lies outside
        EXPECT_EQ(out->data[0][out->linesize[0] * 5 + 3], 100);
        av::av_frame_unref(out);
    }
    EXPECT_EQ(av::av_buffersink_get_frame_flags(sink_, out, 0), AVERROR_EOF);
    av::av_frame_free(&out);
}

TEST_F(FilterChainTest, PlainChainIsOneGraphAndRotationInComplexGraphFails)
{
    TFilterChain plain;
    ASSERT_EQ(plain.Build("scale=16:12", "", "", VideoSource(64, 48), VideoSink()), 0);
    EXPECT_FALSE(plain.Split());
    Push(64, 48, 7);
    AVFrame* out = av::av_frame_alloc();
    ASSERT_EQ(av::av_buffersink_get_frame_flags(sink_, out, 0), 0);
    EXPECT_EQ(out->width, 16);
    av::av_frame_free(&out);

    TFilterChain complex;
    EXPECT_EQ(complex.Build("split [a][b]; [a][b] hstack, nativerotate=90", "", "", VideoSource(8, 8), VideoSink()),
              AVERROR(EINVAL));
    EXPECT_NE(complex.ErrorText().find("linear"), std::string::npos);
}

} // namespace
