// Running the task list: order and thread of the termination notices, several
// tasks at once, stopping, pausing, and freeing the encoder from a notice.

#include <gtest/gtest.h>

#include "engine/tests/FakeJobs.h"

namespace {

class EncoderRun : public TJobTest {
protected:
    TFakeEncoder encoder;
    TNoticeRecorder notices;

    void SetUp() override { notices.Attach(encoder); }
    void TearDown() override
    {
        PumpUntil([] { return !CheckSynchronize(); });
    }

    bool AwaitFinal()
    {
        return PumpUntil([this] { return notices.FinalSeen(); });
    }
};

TEST_F(EncoderRun, OneAtATimeGivesTaskNoticesInOrderThenTheFinalOneInTheMainThread)
{
    for (int i = 0; i < 3; ++i)
        encoder.AddFakeTask();

    encoder.StartTask(1);
    ASSERT_TRUE(AwaitFinal());

    EXPECT_EQ(notices.Indices(), (std::vector<int32_t>{0, 1, 2, -1}));
    for (const TSeenNotice& notice : notices.Seen()) {
        EXPECT_TRUE(notice.InMainThread);
        EXPECT_TRUE(notice.Finished);
        EXPECT_FALSE(notice.Exception);
    }
    EXPECT_EQ(encoder.Concurrency.Peak, 1);
    EXPECT_TRUE(encoder.AllDone());
    EXPECT_TRUE(encoder.Working());
}

TEST_F(EncoderRun, InPlaceRunDeliversEveryNoticeBeforeStartTaskReturns)
{
    for (int i = 0; i < 3; ++i)
        encoder.AddFakeTask();

    encoder.StartTask(0);

    EXPECT_EQ(notices.Indices(), (std::vector<int32_t>{0, 1, 2, -1}));
    for (const TSeenNotice& notice : notices.Seen())
        EXPECT_TRUE(notice.InMainThread);
}

TEST_F(EncoderRun, SeveralAtOnceRunsAtMostThatManyAndAnnouncesTheEndOnce)
{
    auto first = encoder.AddFakeTask(2, true);
    auto second = encoder.AddFakeTask(2, true);
    auto third = encoder.AddFakeTask();

    encoder.StartTask(2);
    ASSERT_TRUE(PumpUntil([&] { return first->Holding && second->Holding; }));
    EXPECT_FALSE(third->Started);

    first->Release();
    second->Release();
    ASSERT_TRUE(AwaitFinal());

    EXPECT_EQ(encoder.Concurrency.Peak, 2);
    const std::vector<int32_t> indices = notices.Indices();
    ASSERT_EQ(indices.size(), 4u);
    EXPECT_EQ(indices.back(), -1);
    EXPECT_EQ(std::count(indices.begin(), indices.end(), -1), 1);
}

TEST_F(EncoderRun, EmptyListAnnouncesTheEndAtOnceSoTheListCanBeCleared)
{
    encoder.StartTask(1);
    ASSERT_TRUE(AwaitFinal());
    EXPECT_EQ(notices.Indices(), (std::vector<int32_t>{-1}));
    EXPECT_NO_THROW(encoder.ClearTasks());
    EXPECT_FALSE(encoder.Working());
}

TEST_F(EncoderRun, StopEndsTheRunningTaskAndReportsThePendingOnesUnfinished)
{
    auto running = encoder.AddFakeTask(3, true);
    auto pending1 = encoder.AddFakeTask();
    auto pending2 = encoder.AddFakeTask();

    encoder.StartTask(1);
    ASSERT_TRUE(PumpUntil([&] { return running->Holding.load(); }));
    encoder.Stop(false);
    ASSERT_TRUE(AwaitFinal());

    const std::vector<TSeenNotice> seen = notices.Seen();
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen.back().TaskIndex, -1);
    for (size_t i = 0; i + 1 < seen.size(); ++i) {
        EXPECT_FALSE(seen[i].Finished) << "task " << seen[i].TaskIndex;
        EXPECT_FALSE(seen[i].Exception) << "task " << seen[i].TaskIndex;
    }
    EXPECT_FALSE(pending1->Started);
    EXPECT_FALSE(pending2->Started);
    EXPECT_EQ(running->StepsDone, 1);
}

TEST_F(EncoderRun, PausedRunMakesNoProgressAndCompletesAfterResume)
{
    auto first = encoder.AddFakeTask(3, true);
    auto second = encoder.AddFakeTask(2);
    std::atomic<int32_t> reports{0};
    encoder.OnProgress = [&](TObject*, PProgressInfo) { ++reports; };

    encoder.StartTask(1);
    ASSERT_TRUE(PumpUntil([&] { return first->Holding.load(); }));
    encoder.Pause();
    encoder.Pause();
    EXPECT_TRUE(encoder.Paused());
    first->Release();
    // The worker now waits at the gate, before its next report.
    ASSERT_TRUE(PumpUntil([&] { return first->Gate->Waiting() == 1; }));
    CheckSynchronize();
    EXPECT_EQ(reports, 1);

    encoder.Resume();
    EXPECT_FALSE(encoder.Paused());
    ASSERT_TRUE(AwaitFinal());
    EXPECT_EQ(reports, 5);
    EXPECT_EQ(notices.Indices(), (std::vector<int32_t>{0, 1, -1}));
    EXPECT_TRUE(notices.Seen()[1].Finished);
}

TEST_F(EncoderRun, TaskStartedWhilePausedWaitsForResume)
{
    auto first = encoder.AddFakeTask(1, true);
    auto second = encoder.AddFakeTask(2);

    encoder.StartTask(1);
    ASSERT_TRUE(PumpUntil([&] { return first->Holding.load(); }));
    encoder.Pause();
    first->Release();
    ASSERT_TRUE(PumpUntil([&] { return second->Started && second->Gate->Waiting() == 1; }));
    EXPECT_EQ(second->StepsDone, 0);

    encoder.Resume();
    ASSERT_TRUE(AwaitFinal());
    EXPECT_EQ(second->StepsDone, 2);
}

TEST_F(EncoderRun, StopEndsAPausedRun)
{
    auto task = encoder.AddFakeTask(3, true);
    encoder.StartTask(1);
    ASSERT_TRUE(PumpUntil([&] { return task->Holding.load(); }));
    encoder.Pause();
    task->Release();
    ASSERT_TRUE(PumpUntil([&] { return task->Gate->Waiting() == 1; }));

    encoder.Stop(true);
    ASSERT_TRUE(AwaitFinal());
    EXPECT_EQ(notices.Indices(), (std::vector<int32_t>{0, -1}));
    EXPECT_FALSE(notices.Seen()[0].Finished);
    EXPECT_EQ(task->StepsDone, 1);
}

TEST_F(EncoderRun, PausingAnInPlaceRunFromItsOwnEventDoesNotHangIt)
{
    encoder.AddFakeTask(3);
    encoder.OnProgress = [&](TObject*, PProgressInfo) { encoder.Pause(); };
    encoder.StartTask(0);
    EXPECT_EQ(notices.Indices(), (std::vector<int32_t>{0, -1}));
    EXPECT_TRUE(encoder.Paused());
}

TEST_F(EncoderRun, ResumeWithoutPauseDoesNothing)
{
    auto task = encoder.AddFakeTask(1, true);
    encoder.StartTask(1);
    encoder.Resume();
    EXPECT_FALSE(encoder.Paused());
    task->Release();
    ASSERT_TRUE(AwaitFinal());
}

TEST_F(EncoderRun, StopWithWaitRightAfterStartReturnsOnlyOnceTheWorkerEnded)
{
    auto task = encoder.AddFakeTask(1000);
    encoder.StartTask(1);
    encoder.Stop(true);
    EXPECT_EQ(encoder.Concurrency.Running, 0);
    EXPECT_EQ(task->Releases, 1);
    ASSERT_TRUE(AwaitFinal());
}

TEST_F(EncoderRun, FailingTaskIsReportedWithItsErrorAndTheRunGoesOn)
{
    auto failing = encoder.AddFakeTask();
    failing->TranscodeRaises = "Transcode failed";
    encoder.AddFakeTask();

    encoder.StartTask(1);
    ASSERT_TRUE(AwaitFinal());

    const std::vector<TSeenNotice> seen = notices.Seen();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_TRUE(seen[0].Exception);
    EXPECT_EQ(seen[0].Message, "Transcode failed");
    EXPECT_FALSE(seen[1].Exception);
    EXPECT_TRUE(seen[1].Finished);
}

TEST_F(EncoderRun, NoticesOffTheMainThreadKeepTheirOrder)
{
    encoder.SetTriggerEventInMainThread(false);
    for (int i = 0; i < 3; ++i)
        encoder.AddFakeTask();

    encoder.StartTask(1);
    ASSERT_TRUE(AwaitFinal());

    EXPECT_EQ(notices.Indices(), (std::vector<int32_t>{0, 1, 2, -1}));
    for (const TSeenNotice& notice : notices.Seen())
        EXPECT_FALSE(notice.InMainThread);
}

TEST_F(EncoderRun, ProgressReachesTheMainThreadWithTheTaskIndex)
{
    encoder.AddFakeTask(1);
    encoder.AddFakeTask(1);
    std::vector<std::pair<int32_t, bool>> reports;
    encoder.OnProgress = [&](TObject* sender, PProgressInfo info) {
        EXPECT_EQ(sender, &encoder);
        reports.emplace_back(info->TaskIndex, IsMainThread());
    };

    encoder.StartTask(1);
    ASSERT_TRUE(AwaitFinal());
    EXPECT_EQ(reports, (std::vector<std::pair<int32_t, bool>>{{0, true}, {1, true}}));
}

// The worker waits for the progress handler, so a stop asked for inside it
// cannot wait for the worker: it asks and returns, and the run ends after.
TEST_F(EncoderRun, StopWithWaitFromAProgressHandlerReturnsAndTheRunEnds)
{
    auto task = encoder.AddFakeTask(5);
    encoder.AddFakeTask();
    int32_t reports = 0;
    bool stopReturned = false;
    encoder.OnProgress = [&](TObject*, PProgressInfo) {
        if (++reports == 1) {
            encoder.Stop(true);
            stopReturned = true;
        }
    };

    encoder.StartTask(1);
    ASSERT_TRUE(AwaitFinal());
    EXPECT_TRUE(stopReturned);
    EXPECT_EQ(task->StepsDone, 1);
    // The pending task is reported as the stop walks the list, the running one as its worker ends.
    const std::vector<TSeenNotice> seen = notices.Seen();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].TaskIndex + seen[1].TaskIndex, 1);
    EXPECT_EQ(seen[2].TaskIndex, -1);
    EXPECT_FALSE(seen[0].Finished);
    EXPECT_FALSE(seen[1].Finished);
}

// The application clears the list, or frees the encoder, from the final notice.
class EncoderLifetime : public TJobTest {};

TEST_F(EncoderLifetime, FreeingTheEncoderFromTheFinalNoticeIsSafe)
{
    auto encoder = std::make_unique<TFakeEncoder>();
    for (int i = 0; i < 2; ++i)
        encoder->AddFakeTask();
    bool freed = false;
    encoder->OnTerminate = [&](TObject*, const TTerminateInfo& info) {
        if (info.TaskIndex == -1) {
            encoder.reset();
            freed = true;
        }
    };

    encoder->StartTask(1);
    ASSERT_TRUE(PumpUntil([&] { return freed; }));
    CheckSynchronize();
}

// The other task is held between steps, outside any event it waits for.
TEST_F(EncoderLifetime, FreeingTheEncoderFromATaskNoticeStopsTheOthers)
{
    auto encoder = std::make_unique<TFakeEncoder>();
    encoder->AddFakeTask();
    auto second = encoder->AddFakeTask(3, true);
    bool freed = false;
    encoder->OnTerminate = [&](TObject*, const TTerminateInfo& info) {
        if (info.TaskIndex == 0) {
            encoder.reset();
            freed = true;
        }
    };

    encoder->StartTask(2);
    ASSERT_TRUE(PumpUntil([&] { return freed; }));
    EXPECT_EQ(second->Releases, 1);
    CheckSynchronize();
}

TEST_F(EncoderLifetime, ClearingTheTasksFromTheFinalNoticeIsSafeInBothModes)
{
    for (int32_t n : {0, 1}) {
        TFakeEncoder encoder;
        encoder.AddFakeTask();
        encoder.AddFakeTask();
        bool cleared = false;
        encoder.OnTerminate = [&](TObject*, const TTerminateInfo& info) {
            if (info.TaskIndex == -1) {
                encoder.ClearTasks();
                cleared = true;
            }
        };
        encoder.StartTask(n);
        ASSERT_TRUE(PumpUntil([&] { return cleared; })) << "n = " << n;
        EXPECT_EQ(encoder.GetTaskCount(), 0);
        EXPECT_FALSE(encoder.Working());
    }
}

TEST_F(EncoderLifetime, StopWithWaitDeliversNoNoticeWhileItWalksTheList)
{
    TFakeEncoder encoder;
    auto first = encoder.AddFakeTask(3, true);
    auto second = encoder.AddFakeTask(3, true);
    std::vector<int32_t> seen;
    encoder.OnTerminate = [&](TObject*, const TTerminateInfo& info) {
        seen.push_back(info.TaskIndex);
        if (info.TaskIndex == -1)
            encoder.ClearTasks();
    };
    encoder.StartTask(2);
    ASSERT_TRUE(PumpUntil([&] { return first->Holding && second->Holding; }));

    encoder.Stop(true);
    EXPECT_TRUE(seen.empty());
    ASSERT_TRUE(PumpUntil([&] { return !seen.empty() && seen.back() == -1; }));
    EXPECT_EQ(seen.size(), 3u);
    EXPECT_EQ(encoder.GetTaskCount(), 0);
}

TEST_F(EncoderLifetime, FreeingTheEncoderMidRunStopsItsTasks)
{
    std::shared_ptr<TFakeTaskScript> task;
    {
        TFakeEncoder encoder;
        task = encoder.AddFakeTask(3, true);
        encoder.StartTask(1);
        ASSERT_TRUE(PumpUntil([&] { return task->Holding.load(); }));
    }
    EXPECT_EQ(task->Releases, 1);
    CheckSynchronize();
}

} // namespace
