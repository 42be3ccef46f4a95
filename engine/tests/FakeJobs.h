#pragma once
// Jobs that stand in for the transcoder: they open inputs and outputs by
// counting them and "transcode" a few steps, each one a progress report, with
// switches that let a test hold a task mid-run or make a stage fail.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/FFEncode.h"
#include "engine/binding/AVUtilStubs.h"
#include "engine/binding/FFLoad.h"
#include "platform/core/MainThread.h"

// What one fake task does; shared between the task and the test.
struct TFakeTaskScript {
    int32_t Steps = 2;
    bool HoldAfterFirstStep = false; // waits for Release() (or its abort) after step 0
    int32_t OpenInputResult = 0; // < 0: OpenInput fails with InputErrorText
    std::string InputErrorText;
    bool OpenInputRaises = false;
    int32_t OpenOutputResult = 0;
    std::string OutputErrorText;
    bool OpenOutputRaises = false;
    std::string TranscodeRaises; // raised by Transcode when not empty
    std::string ReleaseRaises; // raised by ReleaseTranscoder, after the release, when not empty

    // Observations.
    std::atomic<bool> Started{false};
    std::atomic<bool> Holding{false};
    std::atomic<int32_t> StepsDone{0};
    std::atomic<int32_t> Releases{0};
    std::string LastOutputOptions;
    std::string LastInputOptions;
    std::atomic<bool> released{false};
    TFFmpeg* Job = nullptr; // the task following this script
    std::atomic<int64_t> ProgressIntervalUs{0};
    std::shared_ptr<TPauseGate> Gate; // the task's pause gate, once it started

    void Release() { released = true; }
};

// Counts tasks running at once, across every fake task of a test.
struct TConcurrency {
    std::atomic<int32_t> Running{0};
    std::atomic<int32_t> Peak{0};

    void Enter()
    {
        const int32_t now = ++Running;
        int32_t peak = Peak;
        while (now > peak && !Peak.compare_exchange_weak(peak, now)) {}
    }
    void Leave() { --Running; }
};

class TFakeJob : public TFFmpeg {
public:
    TFakeJob(std::shared_ptr<TFakeTaskScript> script, TConcurrency& concurrency)
        : script_(std::move(script)), concurrency_(concurrency)
    {
        script_->Job = this;
    }
    // The worker runs this class's stages; it must end before they are gone.
    ~TFakeJob() override { Stop(true); }

    int32_t OpenInput(const std::string& Options, const std::string&, const std::string&) override
    {
        script_->LastInputOptions = Options;
        if (script_->OpenInputRaises)
            RaiseError(script_->InputErrorText);
        if (script_->OpenInputResult < 0) {
            LastErrorText = script_->InputErrorText;
            return script_->OpenInputResult;
        }
        // An input without a file: the job's release closes nothing for it.
        InputFiles.push_back(std::make_unique<TInputFile>());
        return InputFileCount() - 1;
    }

    int32_t OpenOutput(const std::string& Options, bool, const std::string&, const std::string&) override
    {
        script_->LastOutputOptions = Options;
        if (script_->OpenOutputRaises)
            RaiseError(script_->OutputErrorText);
        if (script_->OpenOutputResult < 0) {
            LastErrorText = script_->OutputErrorText;
            return script_->OpenOutputResult;
        }
        OutputFiles.push_back(std::make_unique<TOutputFile>());
        return OutputFileCount() - 1;
    }

protected:
    void Transcode() override
    {
        script_->Gate = PauseGate();
        script_->ProgressIntervalUs = ProgressIntervalUs;
        script_->Started = true;
        concurrency_.Enter();
        for (int32_t step = 0; step < script_->Steps; ++step) {
            PausePoint();
            if (Aborted)
                break;
            ++script_->StepsDone;
            if (OnProgress)
                OnProgress(this, 0, step, 25, 2.0f, 128.0f, step * 1000, step * 40000, script_->Steps * 40000);
            if (step == 0 && script_->HoldAfterFirstStep)
                Hold();
        }
        concurrency_.Leave();
        if (!script_->TranscodeRaises.empty())
            RaiseError(script_->TranscodeRaises);
        Finished = !Aborted;
    }

    void ReleaseTranscoder() override
    {
        TFFmpeg::ReleaseTranscoder();
        ++script_->Releases;
        if (!script_->ReleaseRaises.empty())
            throw Exception(script_->ReleaseRaises);
    }

private:
    void Hold()
    {
        script_->Holding = true;
        while (!script_->released && !Aborted)
            std::this_thread::yield();
        script_->Holding = false;
    }

    std::shared_ptr<TFakeTaskScript> script_;
    TConcurrency& concurrency_;
};

// An encoder whose tasks are fake jobs, each following the next script.
class TFakeEncoder : public TCustomEncoder {
public:
    TFakeEncoder() : TCustomEncoder(nullptr) {}
    // The fake tasks use this object's members: their workers end first.
    ~TFakeEncoder() override { Stop(true); }

    std::shared_ptr<TFakeTaskScript> NextScript = std::make_shared<TFakeTaskScript>();
    TConcurrency Concurrency;

    // Adds a task with one input and one output, following a fresh script.
    std::shared_ptr<TFakeTaskScript> AddFakeTask(int32_t steps = 2, bool hold = false)
    {
        NextScript = std::make_shared<TFakeTaskScript>();
        NextScript->Steps = steps;
        NextScript->HoldAfterFirstStep = hold;
        auto script = NextScript;
        const int32_t index = AddTask("in.avi");
        EXPECT_GE(index, 0) << LastErrorText;
        EXPECT_GE(SetOutput(index, "out.mp4"), 0) << LastErrorText;
        return script;
    }

protected:
    std::unique_ptr<TFFmpeg> CreateTask() override { return std::make_unique<TFakeJob>(NextScript, Concurrency); }
};

// Jobs need the FFmpeg libraries, as the real ones do.
class TJobTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(FFLoader.LoadLibraries(AllLibraries)) << FFLoader.LastErrorText(); }
};

// A termination notice as the handler saw it.
struct TSeenNotice {
    int32_t TaskIndex;
    bool Finished;
    bool Exception;
    std::string Message;
    bool InMainThread;
};

class TNoticeRecorder {
public:
    void Attach(TCustomEncoder& encoder)
    {
        encoder.OnTerminate = [this](TObject*, const TTerminateInfo& info) {
            std::lock_guard<std::mutex> lock(mutex_);
            seen_.push_back({info.TaskIndex, info.Finished, info.Exception, info.ExceptionMessage, IsMainThread()});
        };
    }
    std::vector<TSeenNotice> Seen()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return seen_;
    }
    std::vector<int32_t> Indices()
    {
        std::vector<int32_t> indices;
        for (const TSeenNotice& notice : Seen())
            indices.push_back(notice.TaskIndex);
        return indices;
    }
    bool FinalSeen()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return std::any_of(seen_.begin(), seen_.end(), [](const TSeenNotice& n) { return n.TaskIndex == -1; });
    }

private:
    std::mutex mutex_;
    std::vector<TSeenNotice> seen_;
};

// Runs the main thread's sent calls until `done` holds; false when it never
// does (a generous bound that only a hang reaches).
inline bool PumpUntil(const std::function<bool()>& done)
{
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!done()) {
        if (std::chrono::steady_clock::now() > giveUp)
            return false;
        CheckSynchronize(5);
    }
    return true;
}
