#pragma once
// The conversion job: one run of the transcoder over a task's inputs and
// outputs, on a worker thread of its own or in the caller's thread, with the
// run state, the abort flag, the pause gate and the time-out checks that
// FFmpeg's blocking calls consult.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

extern "C" {
#include <libavutil/samplefmt.h>
}

#include "engine/PauseGate.h"
#include "engine/decode/FFPicture.h"
#include "engine/options/FFmpegOpt.h"
#include "platform/core/Sync.h"
#include "platform/core/Threads.h"

class TBitmap;
class TCustomFFmpeg;
class TVideoHooks;

// Process-wide: the preview flags of every job against the worker's preview
// output, and every job's lists of open encoders and decoders.
extern TCriticalSection PreviewFlagsLock;
extern TCriticalSection CodecListLock;

// Preview flag bits.
constexpr uint8_t PreviewWindowFlag = 0x01;
constexpr uint8_t PreviewBitmapFlag = 0x02;

// The job's event callbacks, set by the encoder component.
using TJobAudioHook = std::function<void(TCustomFFmpeg* Job, int64_t PTS, uint8_t* Sample, int32_t Size,
                                         int32_t SampleRate, int32_t Channels, AVSampleFormat SampleFormat)>;
using TJobVideoHook = std::function<void(TCustomFFmpeg* Job, TBitmap* Bitmap, int32_t FrameNumber, int64_t PTS,
                                         bool& Update, bool& StopHook)>;
using TJobFrameHook = std::function<void(TCustomFFmpeg* Job, PFFPicture Picture, int32_t PixelFormat,
                                         int32_t FrameNumber, int32_t Width, int32_t Height, int64_t PTS)>;
using TJobPreviewBitmap = std::function<void(TCustomFFmpeg* Job, TBitmap* Bitmap, int32_t FrameNumber, int64_t PTS)>;
using TJobProgress =
    std::function<void(TCustomFFmpeg* Job, int32_t SegmentIndex, int32_t FrameNumber, int32_t Fps, float Quality,
                       float BitRate, int64_t TotalSize, int64_t CurrentTime, int64_t Duration)>;
using TJobTerminate = std::function<void(TCustomFFmpeg* Job)>;

// The worker of one running job.
class TConvertThread : public TThread {
public:
    explicit TConvertThread(TCustomFFmpeg& job);

protected:
    void Execute() override;

private:
    TCustomFFmpeg& job_;
};

class TCustomFFmpeg : public TCustomFFmpegOpt {
public:
    TCustomFFmpeg();
    // Stops the run and waits for the worker, then releases what the run built.
    ~TCustomFFmpeg() override;

    // Starts the run. Threaded: returns the started worker, which the job
    // owns. Not threaded: runs to the end in the calling thread and returns
    // nullptr. A job that already ran, or that lacks an input or an output,
    // returns nullptr; the latter reports its end at once.
    TConvertThread* Start(bool Threaded, TThreadPriority Priority);
    // Aborts the run; with Wait, returns once the worker has ended, delivering
    // main-thread calls meanwhile when called in the main thread.
    void Stop(bool Wait);
    // Stop for a running job; reports a job that never started as ended.
    void Terminate(bool Wait);
    // Pause and resume a running worker through the job's pause gate, which
    // the encoder shares between the tasks of a run.
    void Suspend();
    void Resume();
    void SetPauseGate(std::shared_ptr<TPauseGate> Gate);
    const std::shared_ptr<TPauseGate>& PauseGate() const { return pauseGate_; }
    // Waits while the run is paused; the transcoder calls it where it holds no lock.
    void PausePoint();

    // Under PreviewFlagsLock; sets PreviewFlagsChanged, which the preview
    // output clears (under the same lock) once it has seen the change.
    void SetPreviewFlags(uint8_t Flags);
    uint8_t PreviewFlags() const { return previewFlags_; }
    bool PreviewFlagsChanged = false;
    void SetVideoHookBitsPixel(int32_t Bits) { videoHookBitsPixel_ = Bits; }
    int32_t VideoHookBitsPixel() const { return videoHookBitsPixel_; }

    // Releases everything the run built, the frame-hook plug-ins and the
    // preview window included.
    void Cleanup();

    // The job's frame hooks and preview: plug-ins are added while the output
    // options are parsed, before any run, and are released by Cleanup.
    TVideoHooks& VideoHooks() { return *videoHooks_; }
    const TVideoHooks& VideoHooks() const { return *videoHooks_; }

    // ---- Transcoding stages, filled in by the transcoder ----
    // Open one input or output of the task from its option words; the index
    // of the new file, or a negative code with LastErrorText set.
    virtual int32_t OpenInput(const std::string& Options, const std::string& FileName, const std::string& Presets);
    virtual int32_t OpenOutput(const std::string& Options, bool Join, const std::string& FileName,
                               const std::string& Presets);

    int32_t OptVHook(TOptionsContext* Context, const std::string& Name, const std::string& Arg) override;
    int32_t OptVideoHookBitsPixel(TOptionsContext* Context, const std::string& Name, const std::string& Arg) override;

    // ---- Run state ----
    std::atomic<bool> Running{false};
    std::atomic<bool> Finished{false};
    std::atomic<bool> Terminated{false};
    int32_t SegmentIndex = 0;
    int32_t FirstActiveStream = 0;
    int32_t LastActiveStream = 0;
    bool ExceptionRaised = false;
    std::string ExceptionMessage;

    // ---- Callbacks ----
    TJobAudioHook OnAudioInputHook;
    TJobAudioHook OnAudioOutputHook;
    TJobVideoHook OnVideoInputHook;
    TJobVideoHook OnVideoOutputHook;
    TJobFrameHook OnFrameInputHook;
    TJobFrameHook OnFrameOutputHook;
    TJobPreviewBitmap OnPreviewBitmap;
    TJobProgress OnProgress;
    TJobTerminate OnTerminate;

    int64_t ProgressIntervalUs = 500000;
    int64_t PreviewIntervalUs = 100000;

protected:
    // The transcode itself; sets Finished when it ran to its end unaborted.
    virtual void Transcode();
    // Releases the transcoder's records: files, streams, filter graphs.
    virtual void ReleaseTranscoder();

private:
    friend class TConvertThread;

    void Run();
    void NotifyTerminate();
    void RunStep(void (TCustomFFmpeg::*step)());
    void NoteException(const std::string& message);
    void ApplyPreviewFlags(uint8_t flags);
    void WaitForWorker();
    bool CalledOnWorker();
    void RefreshTimeoutStamps();

    std::mutex threadLock_; // guards worker_ against a start from another worker
    std::unique_ptr<TConvertThread> worker_;
    std::mutex joinLock_;
    TEvent ThreadDone{true, true};
    std::shared_ptr<TPauseGate> pauseGate_;
    std::atomic<uint8_t> previewFlags_{0};
    int32_t videoHookBitsPixel_ = 32;
    std::unique_ptr<TVideoHooks> videoHooks_;
};
