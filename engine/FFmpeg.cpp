#include "engine/FFmpeg.h"

#include "engine/FFLog.h"
#include "engine/MyUtils.h"
#include "engine/binding/AVUtilStubs.h"
#include "engine/binding/FFLoad.h"
#include "engine/decode/VideoHooks.h"
#include "engine/transcode/Transcoder.h"
#include "platform/core/MainThread.h"
#include "platform/core/Strings.h"

// Created in this order at start-up, freed in reverse at exit.
TCriticalSection PreviewFlagsLock;
TCriticalSection CodecListLock;

namespace {

constexpr uint32_t StopWaitStepMs = 20;

// The options context of one file being opened, released whatever happens.
class TFileOptions {
public:
    explicit TFileOptions(TCustomFFmpegOpt& job) : job_(job) { job_.InitOptionsContext(&context); }
    ~TFileOptions() { job_.FreeOptionsContext(&context); }
    TFileOptions(const TFileOptions&) = delete;
    TFileOptions& operator=(const TFileOptions&) = delete;
    TOptionsContext context;

private:
    TCustomFFmpegOpt& job_;
};

} // namespace

// ---- TConvertThread ----

TConvertThread::TConvertThread(TCustomFFmpeg& job) : job_(job) {}

void TConvertThread::Execute()
{
    // The job reset ThreadDone before this thread started, so that a Stop
    // right after Start cannot see the signal of an earlier state.
    try {
        job_.Run();
    } catch (...) {
        job_.ThreadDone.SetEvent();
        throw;
    }
    job_.ThreadDone.SetEvent();
}

// ---- TCustomFFmpeg ----

TCustomFFmpeg::TCustomFFmpeg()
    : pauseGate_(std::make_shared<TPauseGate>()), videoHooks_(std::make_unique<TVideoHooks>(*this))
{
    FFLoader.CheckLibraries(AllLibraries);
}

TCustomFFmpeg::~TCustomFFmpeg()
{
    Stop(true);
    RunStep(&TCustomFFmpeg::Cleanup);
}

TConvertThread* TCustomFFmpeg::Start(bool Threaded, TThreadPriority Priority)
{
    if (Running || Terminated)
        return nullptr;
    try {
        if (OutputFileCount() <= 0) {
            Cleanup();
            throw FFmpegException("At least one output file must be specified");
        }
        if (InputFileCount() == 0) {
            Cleanup();
            throw FFmpegException("At least one input file must be specified");
        }
    } catch (const Exception& e) {
        NoteException(e.Message());
        NotifyTerminate();
        return nullptr;
    }
    Running = true;
    Aborted = false;
    Finished = false;
    if (!Threaded) {
        Run();
        return nullptr;
    }
    std::lock_guard<std::mutex> lock(threadLock_);
    ThreadDone.ResetEvent();
    worker_ = std::make_unique<TConvertThread>(*this);
    worker_->SetPriority(Priority);
    worker_->Start();
    return worker_.get();
}

void TCustomFFmpeg::Run()
{
    Finished = false;
    RunStep(&TCustomFFmpeg::Transcode);
    RunStep(&TCustomFFmpeg::Cleanup);
    RunStep(&TCustomFFmpeg::NotifyTerminate);
    // An empty quiet line flushes a pending "repeated" line of FFmpeg's log.
    if (av::av_log)
        av::av_log(nullptr, AV_LOG_QUIET, "%s", "");
}

void TCustomFFmpeg::RunStep(void (TCustomFFmpeg::*step)())
{
    try {
        (this->*step)();
    } catch (const std::exception& e) {
        NoteException(e.what());
    } catch (...) {
        NoteException("Unknown error");
    }
}

void TCustomFFmpeg::NoteException(const std::string& message)
{
    Logger()->Log(this, llQuiet, message);
    ExceptionRaised = true;
    ExceptionMessage = message;
}

void TCustomFFmpeg::NotifyTerminate()
{
    // Exactly one notice per job, however a Terminate and the run's end race.
    if (Terminated.exchange(true))
        return;
    Running = false;
    if (OnTerminate)
        OnTerminate(this);
}

void TCustomFFmpeg::Stop(bool Wait)
{
    Aborted = true;
    pauseGate_->WakeAll();
    if (Wait)
        WaitForWorker();
}

void TCustomFFmpeg::WaitForWorker()
{
    TConvertThread* worker;
    {
        std::lock_guard<std::mutex> lock(threadLock_);
        worker = worker_.get();
    }
    // A worker cannot wait for itself (a handler run on it may stop its job).
    if (!worker || CalledOnWorker())
        return;
    // On the main thread, events the worker synchronises (and window
    // messages) are delivered meanwhile, so that it can reach its end.
    const bool mainThread = IsMainThread();
    while (ThreadDone.WaitFor(mainThread ? 0 : StopWaitStepMs) != wrSignaled) {
        if (mainThread) {
            CheckSynchronize(StopWaitStepMs);
            ProcessPendingMessages();
        }
    }
    std::lock_guard<std::mutex> lock(joinLock_);
    worker->WaitFor();
}

bool TCustomFFmpeg::CalledOnWorker()
{
    std::lock_guard<std::mutex> lock(threadLock_);
    return worker_ && worker_->ThreadID() == GetCurrentThreadId();
}

void TCustomFFmpeg::Terminate(bool Wait)
{
    if (Running)
        Stop(Wait);
    else if (!Terminated)
        // Never started: reported here, in the caller's thread. The encoder
        // queues the notice, so nothing waits on its handler.
        NotifyTerminate();
}

void TCustomFFmpeg::Suspend()
{
    std::lock_guard<std::mutex> lock(threadLock_);
    if (worker_)
        pauseGate_->Pause();
}

void TCustomFFmpeg::Resume() { pauseGate_->Resume(); }

void TCustomFFmpeg::SetPauseGate(std::shared_ptr<TPauseGate> Gate) { pauseGate_ = std::move(Gate); }

void TCustomFFmpeg::PausePoint()
{
    if (pauseGate_->WaitWhilePaused(Aborted))
        RefreshTimeoutStamps();
}

void TCustomFFmpeg::RefreshTimeoutStamps()
{
    // A pause must not count against the time-out of the operation it interrupted;
    // unset stamps and the cancel stamp 0 keep their meaning.
    const int64_t now = av::av_gettime();
    if (ReadStartTime != INT64_MAX && ReadStartTime != 0)
        ReadStartTime = now;
    if (WriteStartTime != INT64_MAX && WriteStartTime != 0)
        WriteStartTime = now;
}

void TCustomFFmpeg::SetPreviewFlags(uint8_t Flags)
{
    TCriticalSectionGuard lock(PreviewFlagsLock);
    ApplyPreviewFlags(Flags);
    PreviewFlagsChanged = true;
}

void TCustomFFmpeg::ApplyPreviewFlags(uint8_t flags)
{
    const bool windowCleared = (previewFlags_ & PreviewWindowFlag) && !(flags & PreviewWindowFlag);
    previewFlags_ = flags;
    // A running worker may be showing a frame outside the lock; it frees the
    // window itself at its next frame or at the end of the run.
    if (windowCleared && (!Running || CalledOnWorker()))
        videoHooks_->FreePreviewer();
}

void TCustomFFmpeg::Cleanup()
{
    FFLoader.CheckLibraries(AllLibraries);
    ReleaseTranscoder();
    videoHooks_->Release();
}

int32_t TCustomFFmpeg::OpenInput(const std::string& Options, const std::string& FileName, const std::string& Presets)
{
    TFileOptions options(*this);
    return OpenInputFile(&options.context, Options, FileName, Presets);
}

int32_t TCustomFFmpeg::OpenOutput(const std::string& Options, bool Join, const std::string& FileName,
                                  const std::string& Presets)
{
    TFileOptions options(*this);
    return OpenOutputFile(&options.context, Options, Join, FileName, Presets);
}

void TCustomFFmpeg::Transcode() { TranscodeJob(*this); }

void TCustomFFmpeg::ReleaseTranscoder() { ReleaseFilesAndStreams(); }

int32_t TCustomFFmpeg::OptVHook(TOptionsContext*, const std::string&, const std::string& Arg)
{
    if (videoHooks_->AddFrameHook(Arg) == 0)
        return 0;
    RaiseError("Failed to add video hook function: " + Arg);
}

int32_t TCustomFFmpeg::OptVideoHookBitsPixel(TOptionsContext*, const std::string&, const std::string& Arg)
{
    try {
        SetVideoHookBitsPixel(StrToInt(Arg));
        return 0;
    } catch (const Exception& e) {
        OptionErrorText = e.Message();
        Logger()->Log(this, llError, e.Message());
        return -22;
    }
}
