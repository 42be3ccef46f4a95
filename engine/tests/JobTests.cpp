// One conversion job on its own: starting, the steps of a run, terminating a
// job that never started, the interrupt callbacks and the pause gate.

#include <gtest/gtest.h>

#include "engine/FFLog.h"
#include "engine/binding/AVUtilStubs.h"
#include "engine/tests/FakeJobs.h"

namespace {

class Job : public TJobTest {
protected:
    std::shared_ptr<TFakeTaskScript> script = std::make_shared<TFakeTaskScript>();
    TConcurrency concurrency;
    TFakeJob job{script, concurrency};
    std::atomic<int32_t> notices{0};

    void SetUp() override
    {
        job.OnTerminate = [this](TCustomFFmpeg*) { ++notices; };
    }
    void OpenOneInputAndOutput()
    {
        ASSERT_EQ(job.OpenInput("", "in.avi", ""), 0);
        ASSERT_EQ(job.OpenOutput("", false, "out.mp4", ""), 0);
    }
};

TEST_F(Job, RunsInPlaceOnceAndReportsItsEnd)
{
    OpenOneInputAndOutput();
    EXPECT_EQ(job.Start(false, tpNormal), nullptr);
    EXPECT_EQ(notices, 1);
    EXPECT_TRUE(job.Finished);
    EXPECT_TRUE(job.Terminated);
    EXPECT_FALSE(job.Running);
    EXPECT_EQ(script->Releases, 1);

    // A job that already ran does nothing more.
    EXPECT_EQ(job.Start(true, tpNormal), nullptr);
    EXPECT_EQ(notices, 1);
    EXPECT_EQ(script->StepsDone, 2);
}

TEST_F(Job, ThreadedRunEndsOnItsWorker)
{
    OpenOneInputAndOutput();
    TConvertThread* worker = job.Start(true, tpNormal);
    ASSERT_NE(worker, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return notices == 1; }));
    job.Stop(true);
    EXPECT_TRUE(job.Finished);
}

TEST_F(Job, MissingOutputOrInputEndsTheJobAtOnceWithTheError)
{
    const struct {
        bool input, output;
        const char* message;
    } cases[] = {
        {true, false, "At least one output file must be specified"},
        {false, true, "At least one input file must be specified"},
    };
    for (const auto& c : cases) {
        auto caseScript = std::make_shared<TFakeTaskScript>();
        TFakeJob caseJob(caseScript, concurrency);
        int32_t caseNotices = 0;
        caseJob.OnTerminate = [&](TCustomFFmpeg*) { ++caseNotices; };
        if (c.input)
            caseJob.OpenInput("", "in.avi", "");
        if (c.output)
            caseJob.OpenOutput("", false, "out.mp4", "");

        EXPECT_EQ(caseJob.Start(true, tpNormal), nullptr);
        EXPECT_EQ(caseNotices, 1);
        EXPECT_TRUE(caseJob.ExceptionRaised);
        EXPECT_EQ(caseJob.ExceptionMessage, c.message);
        EXPECT_FALSE(caseJob.Finished);
        EXPECT_FALSE(caseScript->Started);
    }
}

TEST_F(Job, EveryStepOfARunRunsAndTheLastErrorWins)
{
    OpenOneInputAndOutput();
    script->TranscodeRaises = "first";
    script->ReleaseRaises = "second";
    job.Start(false, tpNormal);
    EXPECT_TRUE(job.ExceptionRaised);
    EXPECT_EQ(job.ExceptionMessage, "second");
    EXPECT_EQ(job.LastErrorText, "first");
    EXPECT_EQ(script->Releases, 1);
    EXPECT_EQ(notices, 1);
    EXPECT_FALSE(job.Finished);
}

TEST_F(Job, TerminatingAJobThatNeverStartedReportsItOnceUnfinished)
{
    job.Terminate(true);
    job.Terminate(true);
    EXPECT_EQ(notices, 1);
    EXPECT_FALSE(job.Finished);
    EXPECT_FALSE(job.ExceptionRaised);
    OpenOneInputAndOutput();
    EXPECT_EQ(job.Start(true, tpNormal), nullptr);
}

TEST_F(Job, StopWithoutWaitWakesASuspendedJob)
{
    script->Steps = 3;
    script->HoldAfterFirstStep = true;
    OpenOneInputAndOutput();
    job.Start(true, tpNormal);
    ASSERT_TRUE(PumpUntil([&] { return script->Holding.load(); }));
    job.Suspend();
    script->Release();
    ASSERT_TRUE(PumpUntil([&] { return job.PauseGate()->Waiting() == 1; }));

    job.Stop(false);
    ASSERT_TRUE(PumpUntil([&] { return notices == 1; }));
    EXPECT_FALSE(job.Finished);
    EXPECT_EQ(script->StepsDone, 1);
}

TEST_F(Job, WakingFromAPauseRefreshesTheTimeoutStamps)
{
    job.ReadTimeout = 30000;
    job.ReadStartTime = av::av_gettime() - 60000000;
    ASSERT_EQ(TCustomFFmpegOpt::ReadInterrupt(&job), 1);

    job.ReadStartTime = av::av_gettime() - 60000000;
    job.PauseGate()->Pause();
    std::thread resumer([&] {
        while (job.PauseGate()->Waiting() == 0)
            std::this_thread::yield();
        job.PauseGate()->Resume();
    });
    job.PausePoint();
    resumer.join();
    EXPECT_EQ(TCustomFFmpegOpt::ReadInterrupt(&job), 0);
}

class InterruptCallbacks : public Job {
protected:
    std::vector<std::string> lines;

    void SetUp() override
    {
        Logger()->SetOnLog([this](TObject*, int32_t, TLogLevel level, const std::string& msg) {
            if (level == llInfo)
                lines.push_back(msg);
        });
    }
    void TearDown() override { Logger()->SetOnLog(nullptr); }
};

TEST_F(InterruptCallbacks, Table)
{
    const int64_t now = av::av_gettime();
    const int64_t unset = INT64_MAX;
    const int64_t longAgo = now - 60000000;
    const struct {
        bool aborted;
        int32_t timeoutMs;
        int64_t stamp;
        int expected;
        const char* readText;
        const char* writeText;
    } cases[] = {
        {true, 30000, unset, 1, "reading/writing broken", "reading/writing broken"},
        {false, 30000, unset, 0, "", ""},
        {false, 0, longAgo, 0, "", ""},
        {false, -1, 0, 0, "", ""},
        {false, 30000, now, 0, "", ""},
        {false, 30000, longAgo, 1, "connecting/reading timeout", "connecting/writing timeout"},
        {false, 30000, 0, 1, "connecting/reading canceled", "connecting/writing canceled"},
    };
    for (const auto& c : cases) {
        job.Aborted = c.aborted;
        job.ReadTimeout = job.WriteTimeout = c.timeoutMs;
        job.ReadStartTime = job.WriteStartTime = c.stamp;

        lines.clear();
        EXPECT_EQ(TCustomFFmpegOpt::ReadInterrupt(&job), c.expected) << c.readText;
        EXPECT_EQ(lines, c.readText[0] ? std::vector<std::string>{c.readText} : std::vector<std::string>{});
        lines.clear();
        EXPECT_EQ(TCustomFFmpegOpt::WriteInterrupt(&job), c.expected) << c.writeText;
        EXPECT_EQ(lines, c.writeText[0] ? std::vector<std::string>{c.writeText} : std::vector<std::string>{});
    }
}

// FFmpeg calls the checks from C: a raising OnLog handler must not unwind into it.
TEST_F(InterruptCallbacks, RaisingLogHandlerDoesNotEscape)
{
    Logger()->SetOnLog([](TObject*, int32_t, TLogLevel, const std::string&) { throw Exception("handler failed"); });
    job.Aborted = true;
    int result = -1;
    EXPECT_NO_THROW(result = TCustomFFmpegOpt::ReadInterrupt(&job));
    EXPECT_EQ(result, 1);
    job.Aborted = false;
    job.WriteTimeout = 30000;
    job.WriteStartTime = 0;
    EXPECT_NO_THROW(result = TCustomFFmpegOpt::WriteInterrupt(&job));
    EXPECT_EQ(result, 1);
}

TEST_F(Job, VideoHookBitsPixelOption)
{
    EXPECT_EQ(job.OptVideoHookBitsPixel(nullptr, "VideoHookBitsPixel", "24"), 0);
    EXPECT_EQ(job.VideoHookBitsPixel(), 24);
    EXPECT_EQ(job.OptVideoHookBitsPixel(nullptr, "VideoHookBitsPixel", "deep"), -22);
    EXPECT_EQ(job.VideoHookBitsPixel(), 24);
    EXPECT_FALSE(OptionErrorText.empty());
}

} // namespace
