#include "platform/ui/tests/UiTestSupport.h"

#include <atomic>
#include <thread>
#include <vector>

#include "engine/FFLog.h"
#include "engine/binding/AVUtilStubs.h"
#include "engine/binding/FFLoad.h"
#include "engine/decode/Previewer.h"
#include "engine/decode/VideoHooks.h"
#include "platform/core/Clock.h"
#include "platform/core/DynamicLibrary.h"
#include "platform/core/MainThread.h"

namespace {

// An 8 x 8 grey frame of one brightness, in buffers of its own.
struct TGreyFrame {
    AVFrame* Frame = av::av_frame_alloc();

    explicit TGreyFrame(uint8_t level)
    {
        Frame->format = AV_PIX_FMT_GRAY8;
        Frame->width = 8;
        Frame->height = 8;
        EXPECT_GE(av::av_frame_get_buffer(Frame, 0), 0);
        for (int32_t y = 0; y < 8; ++y)
            std::fill_n(Frame->data[0] + y * Frame->linesize[0], 8, level);
    }
    ~TGreyFrame() { av::av_frame_free(&Frame); }
    uint8_t Pixel(int32_t x, int32_t y) const { return Frame->data[0][y * Frame->linesize[0] + x]; }
};

class VideoHooksTest : public UiTest {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(FFLoader.LoadLibraries(AllLibraries)) << FFLoader.LastErrorText(); }

    VideoHooksTest()
    {
        SetClock(&clock);
        Logger()->SetTriggerEventInMainThread(false);
        Logger()->SetOnLog([this](TObject*, int32_t, TLogLevel, const std::string& msg) { logged.push_back(msg); });
    }
    ~VideoHooksTest() override
    {
        Logger()->SetOnLog(nullptr);
        SetClock(nullptr);
    }

    TTestClock clock;
    TCustomFFmpeg job;
    TVideoHooks& hooks = job.VideoHooks();
    std::vector<std::string> logged;
};

TEST_F(VideoHooksTest, InputHooksChangeTheFrameButNotTheDecodersPicture)
{
    TGreyFrame decoded(20);
    // The decoder keeps its own reference to the pixels.
    AVFrame* decodersReference = av::av_frame_clone(decoded.Frame);
    std::vector<int32_t> bitmapDepths;
    uint8_t seenByFrameHook = 0;
    job.SetVideoHookBitsPixel(24);
    job.OnFrameInputHook = [&](TCustomFFmpeg*, PFFPicture p, int32_t, int32_t, int32_t, int32_t, int64_t) {
        seenByFrameHook = p->Data[0][0];
    };
    job.OnVideoInputHook = [&](TCustomFFmpeg*, TBitmap* bitmap, int32_t frame, int64_t pts, bool&, bool&) {
        EXPECT_EQ(frame, 4);
        EXPECT_EQ(pts, 160000);
        bitmapDepths.push_back(bitmap->BitCount());
        for (int32_t y = 0; y < bitmap->Height(); ++y)
            std::fill_n(bitmap->ScanLine(y), 8 * 3, uint8_t(255));
    };
    hooks.PreProcessVideoFrame(decoded.Frame, 4, 160000);

    EXPECT_EQ(seenByFrameHook, 20);
    EXPECT_EQ(bitmapDepths, (std::vector<int32_t>{24}));
    EXPECT_GT(decoded.Pixel(1, 1), 240); // the hook's white came back
    EXPECT_EQ(decodersReference->data[0][decodersReference->linesize[0] + 1], 20);
    av::av_frame_free(&decodersReference);
}

TEST_F(VideoHooksTest, APluginServesWhenNoBitmapHookIsSet)
{
    ASSERT_EQ(hooks.AddFrameHook(std::string(FRAMEHOOK_PLUGIN) + " a b"), 0);
    EXPECT_TRUE(hooks.HasFrameHooks());
    TGreyFrame decoded(20);
    hooks.PreProcessVideoFrame(decoded.Frame, 1, 0);
    EXPECT_EQ(decoded.Pixel(0, 0), 3); // the plug-in's argument count
    EXPECT_EQ(decoded.Pixel(1, 0), 20);
}

TEST_F(VideoHooksTest, OutputHooksStopOnRequestAndSurviveExceptions)
{
    int32_t calls = 0;
    job.OnVideoOutputHook = [&](TCustomFFmpeg*, TBitmap*, int32_t, int64_t, bool&, bool& stop) {
        ++calls;
        stop = true;
    };
    bool bitmapValid = false;
    for (int32_t frame = 1; frame <= 3; ++frame) {
        TGreyFrame filtered(20);
        hooks.OutputHooks(filtered.Frame, frame, 0, bitmapValid);
        EXPECT_EQ(bitmapValid, frame == 1) << frame;
    }
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(job.OnVideoOutputHook);

    job.SetPreviewFlags(PreviewBitmapFlag);
    job.OnVideoOutputHook = [&](TCustomFFmpeg*, TBitmap* bitmap, int32_t, int64_t, bool&, bool&) {
        std::fill_n(bitmap->ScanLine(0), 8, uint8_t(255));
        throw Exception("handler failed");
    };
    TGreyFrame filtered(20);
    hooks.OutputHooks(filtered.Frame, 4, 0, bitmapValid);
    EXPECT_FALSE(bitmapValid); // drawn on, but not handed back
    EXPECT_EQ(filtered.Pixel(0, 0), 20);
    EXPECT_EQ(logged, (std::vector<std::string>{"Error occurs VideoHook event: handler failed"}));
}

TEST_F(VideoHooksTest, PreviewEventAtMostOncePerInterval)
{
    std::vector<int32_t> previewed;
    job.OnPreviewBitmap = [&](TCustomFFmpeg*, TBitmap* bitmap, int32_t frame, int64_t) {
        EXPECT_EQ(bitmap->Width(), 8);
        previewed.push_back(frame);
    };
    job.SetPreviewFlags(PreviewBitmapFlag | PreviewWindowFlag);
    TGreyFrame source(20);
    // Frame 2 comes 50 ms after frame 1, frame 3 exactly 100 ms after it,
    // frame 4 one microsecond later.
    const TMicroseconds steps[] = {150000, 50000, 50000, 1};
    for (int32_t frame = 1; frame <= 4; ++frame) {
        clock.Advance(steps[frame - 1]);
        hooks.PreviewFrame(source.Frame, false, frame, 0);
    }
    EXPECT_EQ(previewed, (std::vector<int32_t>{1, 4}));
    EXPECT_EQ(hooks.Previewer(), nullptr); // the event wins over the window
    EXPECT_FALSE(job.PreviewFlagsChanged);
}

TEST_F(VideoHooksTest, ClosingThePreviewWindowClearsItsFlag)
{
    job.SetPreviewFlags(PreviewWindowFlag);
    TGreyFrame source(20);
    clock.Advance(200000);
    hooks.PreviewFrame(source.Frame, false, 1, 40000);
    ASSERT_NE(hooks.Previewer(), nullptr);
    EXPECT_EQ(hooks.Previewer()->Form()->Caption(), "00:00:00.040");
    hooks.Previewer()->Form()->Close();
    clock.Advance(200000);
    hooks.PreviewFrame(source.Frame, false, 2, 80000);
    EXPECT_EQ(job.PreviewFlags(), 0);
}

TEST_F(VideoHooksTest, ClearingTheWindowFlagAndCleanupReleaseWhatTheJobHolds)
{
    job.SetPreviewFlags(PreviewWindowFlag | PreviewBitmapFlag);
    TGreyFrame source(20);
    clock.Advance(200000);
    hooks.PreviewFrame(source.Frame, false, 1, 40000);
    ASSERT_NE(hooks.Previewer(), nullptr);
    job.SetPreviewFlags(PreviewBitmapFlag);
    EXPECT_EQ(hooks.Previewer(), nullptr);

    const int& released = *static_cast<int*>(GetLibrarySymbol(LoadDynamicLibrary(FRAMEHOOK_PLUGIN), "ReleasedCount"));
    const int releasedBefore = released;
    ASSERT_EQ(job.OptVHook(nullptr, "vhook", std::string(FRAMEHOOK_PLUGIN) + " a"), 0);
    EXPECT_TRUE(hooks.HasFrameHooks());
    job.Cleanup();
    EXPECT_FALSE(hooks.HasFrameHooks());
    EXPECT_EQ(released, releasedBefore + 1);
}

TEST_F(VideoHooksTest, TheWorkerShowsFramesThroughTheMainThread)
{
    job.SetPreviewFlags(PreviewWindowFlag);
    clock.Advance(200000);
    std::atomic<bool> done{false};
    std::thread worker([&] {
        TGreyFrame source(20);
        hooks.PreviewFrame(source.Frame, false, 1, 40000);
        done = true;
        SignalMainThread();
    });
    ServeMainThreadUntil([&] { return done.load(); });
    worker.join();
    ASSERT_NE(hooks.Previewer(), nullptr);
    EXPECT_TRUE(hooks.Previewer()->Form()->Visible());
    EXPECT_EQ(job.PreviewFlags(), PreviewWindowFlag);
}

} // namespace
