#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <mutex>
#include <thread>
#include <unistd.h>
#include <vector>

#include "imaging/formats/media/QkDirectShow.h"
#include "imaging/formats/media/QkFFMediaGraph.h"
#include "imaging/formats/tests/OracleTestSupport.h"
#include "platform/backend/HeadlessBackend.h"
#include "platform/core/Clock.h"
#include "platform/gfx/Canvas.h"
#include "platform/ui/WindowSystem.h"

namespace {

const std::string Folder = std::string(TEST_BINARY_DIR) + "/media-graph-" + std::to_string(getpid());
const std::string Clip = Folder + "/clip.mkv";
constexpr int ChosenFrame = 10;
constexpr int ClipFrames = 50;
constexpr int FrameMs = 40;

// Waits (in real time) for the condition, at most five seconds.
bool WaitFor(const std::function<bool()>& condition)
{
    for (int i = 0; i < 1000 && !condition(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return condition();
}

// Counts frames and events, and keeps a copy of the chosen frame.
class TRecordingSink : public IQkMediaGraphSink {
public:
    explicit TRecordingSink(IQkMediaGraph& graph) : graph_(graph) {}
    void NewFrame() override
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (frames_++ == ChosenFrame)
            graph_.CopyCurrentFrame(chosen_);
    }
    void GraphEvent(int32_t code) override
    {
        std::lock_guard<std::mutex> guard(lock_);
        events_.push_back(code);
    }
    int Frames()
    {
        std::lock_guard<std::mutex> guard(lock_);
        return frames_;
    }
    std::vector<int32_t> Events()
    {
        std::lock_guard<std::mutex> guard(lock_);
        return events_;
    }
    TBitmap& Chosen() { return chosen_; }

private:
    IQkMediaGraph& graph_;
    std::mutex lock_;
    int frames_ = 0;
    std::vector<int32_t> events_;
    TBitmap chosen_;
};

// A 2-second testsrc2 clip, lossless, made by the ffmpeg tool; the
// platform clock is a test clock moved by hand.
class FFMediaGraph : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        std::filesystem::create_directories(Folder);
        const std::string command = "ffmpeg -loglevel error -y -f lavfi -i testsrc2=size=160x120:rate=25 -t 2 "
                                    "-c:v ffv1 " +
            Clip;
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }
    static void TearDownTestSuite() { std::filesystem::remove_all(Folder); }
    void SetUp() override { SetClock(&clock); }
    void TearDown() override
    {
        graph.Stop();
        SetClock(nullptr);
    }

    TTestClock clock;
    TFFMediaGraph graph;
};

} // namespace

TEST_F(FFMediaGraph, PlaysAtTheClipsRateAndPausesOnTheClock)
{
    ASSERT_TRUE(graph.BuildGraph(Clip)) << graph.LastErrorText();
    int32_t width = 0;
    int32_t height = 0;
    ASSERT_TRUE(graph.NativeVideoSize(width, height));
    EXPECT_EQ(width, 160);
    EXPECT_EQ(height, 120);
    TRecordingSink sink(graph);
    graph.SetEventSink(&sink);
    ASSERT_TRUE(graph.Run());
    ASSERT_TRUE(WaitFor([&] { return sink.Frames() == 1; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    EXPECT_EQ(sink.Frames(), 1) << "the second frame came before its time";
    clock.AdvanceMs(FrameMs);
    ASSERT_TRUE(WaitFor([&] { return sink.Frames() == 2; }));

    graph.Pause();
    EXPECT_EQ(graph.State(100), gsPaused);
    clock.AdvanceMs(1000);
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    EXPECT_EQ(sink.Frames(), 2) << "frames came while paused";
    graph.Run();
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    EXPECT_EQ(sink.Frames(), 2) << "the paused time counted";

    for (int step = 0; step < 2 * ClipFrames && sink.Events().empty(); ++step) {
        clock.AdvanceMs(FrameMs);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ASSERT_TRUE(WaitFor([&] { return !sink.Events().empty(); }));
    EXPECT_EQ(sink.Frames(), ClipFrames);
    EXPECT_EQ(sink.Events(), std::vector<int32_t>{GraphEventComplete});
    EXPECT_EQ(graph.State(100), gsStopped);

    // Frames came in order: the eleventh is the clip's eleventh.
    const std::string reference =
        CommandOutput("ffmpeg -loglevel error -i " + Clip + " -vf 'select=eq(n\\," + std::to_string(ChosenFrame) +
                      ")' -frames:v 1 -f rawvideo -pix_fmt bgr24 -");
    TBitmap& chosen = sink.Chosen();
    ASSERT_EQ(reference.size(), size_t(160 * 120 * 3));
    ASSERT_EQ(chosen.Width(), 160);
    const int bytesPerPixel = chosen.BitCount() / 8;
    int worst = 0;
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 160; ++x)
            for (int c = 0; c < 3; ++c)
                worst = std::max(worst,
                                 std::abs(int(chosen.ScanLine(y)[x * bytesPerPixel + c]) -
                                          int(uint8_t(reference[size_t((y * 160 + x) * 3 + c)]))));
    EXPECT_LE(worst, 2);
}

TEST_F(FFMediaGraph, MissingSourceFailsWithAReason)
{
    EXPECT_FALSE(graph.BuildGraph(Folder + "/no-such-clip.mkv"));
    EXPECT_FALSE(graph.LastErrorText().empty());
    EXPECT_FALSE(graph.Run());
}

namespace {

// A graph whose calls are recorded and whose sink the test drives.
class TFakeGraph : public IQkMediaGraph {
public:
    bool Run() override { return true; }
    void Pause() override {}
    void Stop() override { calls.push_back("Stop"); }
    TQkGraphState State(int32_t timeoutMs) override
    {
        calls.push_back("State " + std::to_string(timeoutMs));
        return state;
    }
    bool NativeVideoSize(int32_t& width, int32_t& height) override
    {
        width = 2;
        height = 2;
        return true;
    }
    // Four colours: red, green / blue, white.
    bool CopyCurrentFrame(TBitmap& bitmap) override
    {
        bitmap.ReshapeForOverwrite(2, 2, pf24bit);
        const uint8_t colours[2][6] = {{0, 0, 255, 0, 255, 0}, {255, 0, 0, 255, 255, 255}};
        for (int y = 0; y < 2; ++y)
            std::copy(colours[y], colours[y] + 6, bitmap.ScanLine(y));
        return true;
    }
    void SetEventSink(IQkMediaGraphSink* value) override
    {
        sink = value;
        if (!value)
            calls.push_back("Sink dropped");
    }

    TQkGraphState state = gsRunning;
    IQkMediaGraphSink* sink = nullptr;
    std::vector<std::string>& calls;

    explicit TFakeGraph(std::vector<std::string>& log) : calls(log) {}
};

struct TPosted {
    uint32_t Msg;
    WPARAM WParam;
    LPARAM LParam;
    friend bool operator==(const TPosted&, const TPosted&) = default;
};

class DirectShowWrapper : public ::testing::Test {
protected:
    DirectShowWrapper()
    {
        InstallWindowSystem(backend);
        window = std::make_unique<TUtilityWindow>([](TMessage&) {});
    }
    ~DirectShowWrapper() override
    {
        wrapper.reset();
        window.reset();
        UninstallWindowSystem();
    }

    TFakeGraph& Attach()
    {
        auto graph = std::make_unique<TFakeGraph>(calls);
        TFakeGraph& fake = *graph;
        wrapper->AttachGraph(std::move(graph));
        return fake;
    }
    std::vector<TPosted> Delivered()
    {
        std::vector<TPosted> posted;
        TQueuedMessage queued;
        while (WindowSystem().PeekMessage(queued)) {
            if (queued.Window == window->Handle())
                posted.push_back({queued.Message.Msg, queued.Message.WParam, queued.Message.LParam});
        }
        return posted;
    }

    THeadlessBackend backend;
    std::unique_ptr<TUtilityWindow> window;
    std::unique_ptr<TQkDirectShow> wrapper = std::make_unique<TQkDirectShow>();
    std::vector<std::string> calls;
};

constexpr uint32_t NewFrameMessage = 8025;
constexpr uint32_t EventMessage = 8026;

} // namespace

TEST_F(DirectShowWrapper, WithoutAGraphNothingIsActive)
{
    EXPECT_FALSE(wrapper->HasGraph());
    EXPECT_FALSE(wrapper->IsGraphActive());
    EXPECT_FALSE(wrapper->UsesWindowlessRenderer());
    int32_t width = 7;
    int32_t height = 7;
    wrapper->GetNativeVideoSize(width, height);
    EXPECT_EQ(width, 7);
    TFakeGraph& fake = Attach();
    EXPECT_TRUE(wrapper->IsGraphActive());
    EXPECT_TRUE(wrapper->UsesWindowlessRenderer());
    fake.state = gsStopped;
    EXPECT_FALSE(wrapper->IsGraphActive());
    EXPECT_EQ(calls, (std::vector<std::string>{"State 100", "State 100"}));
}

TEST_F(DirectShowWrapper, FramesAndEventsReachTheWindowCoalesced)
{
    TFakeGraph& fake = Attach();
    wrapper->SetNotifyWindow(window->Handle(), NewFrameMessage, EventMessage);
    const auto self = reinterpret_cast<LPARAM>(wrapper.get());
    for (int i = 0; i < 3; ++i)
        fake.sink->NewFrame();
    fake.sink->GraphEvent(GraphEventComplete);
    EXPECT_EQ(Delivered(), (std::vector<TPosted>{{NewFrameMessage, 0, self}, {EventMessage, 1, self}}));
    fake.sink->NewFrame();
    EXPECT_TRUE(Delivered().empty()) << "a second frame message while the first is not handled";
    wrapper->FrameHandled();
    fake.sink->NewFrame();
    EXPECT_EQ(Delivered(), (std::vector<TPosted>{{NewFrameMessage, 0, self}}));

    wrapper->Disconnect();
    EXPECT_EQ(calls, (std::vector<std::string>{"State 100", "Stop", "Sink dropped"}));
    EXPECT_FALSE(wrapper->HasGraph());
}

TEST_F(DirectShowWrapper, RepaintStretchesTheFrameIntoTheDestination)
{
    Attach();
    TBitmap target(6, 6, pf24bit);
    target.Canvas()->FillRect(TRect{0, 0, 6, 6});
    wrapper->SetVideoPosition(TRect{0, 0, 2, 2}, TRect{2, 2, 6, 6});
    wrapper->RepaintVideo(*target.Canvas());
    const auto pixel = [&](int x, int y) {
        const uint8_t* p = target.ScanLine(y) + x * 3;
        return std::vector<int>{p[0], p[1], p[2]};
    };
    EXPECT_EQ(pixel(2, 2), (std::vector<int>{0, 0, 255}));
    EXPECT_EQ(pixel(5, 2), (std::vector<int>{0, 255, 0}));
    EXPECT_EQ(pixel(3, 5), (std::vector<int>{255, 0, 0}));
    EXPECT_EQ(pixel(4, 4), (std::vector<int>{255, 255, 255}));
    EXPECT_EQ(pixel(1, 1), (std::vector<int>{255, 255, 255})) << "drawn outside the destination";
    EXPECT_EQ(pixel(0, 5), (std::vector<int>{255, 255, 255}));
}
