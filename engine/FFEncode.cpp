#include "engine/FFEncode.h"

#include <utility>

#include "engine/MyUtils.h"
#include "engine/binding/FFLoad.h"
#include "platform/core/ClassRegistry.h"
#include "platform/core/Exceptions.h"
#include "platform/core/MainThread.h"
#include "platform/core/Strings.h"

namespace {

constexpr int32_t MinProgressInterval = 100;

struct THookWord {
    const char* written;
    const char* known;
};

// Applied in this order.
constexpr THookWord HookWords[] = {
    {" -audioinputhook ", " -AudioInputHook "},
    {" -audiooutputhook ", " -AudioOutputHook "},
    {" -videoinputhook ", " -VideoInputHook "},
    {" -videooutputhook ", " -VideoOutputHook "},
    {" -frameinputhook ", " -FrameInputHook "},
    {" -frameoutputhook ", " -FrameOutputHook "},
    {" -join ", " -Join "},
};

uint8_t PreviewFlagsFor(bool preview, bool previewBitmap)
{
    return uint8_t((preview ? PreviewWindowFlag : 0) | (previewBitmap ? PreviewBitmapFlag : 0));
}

// Keeps termination notices back while the list is being walked: waiting for
// a worker delivers main-thread calls, and a notice's handler may clear the list.
class TNoticeHold {
public:
    explicit TNoticeHold(TNoticeQueue& queue) : queue_(queue) { queue_.Hold(); }
    ~TNoticeHold() { queue_.Release(); }
    TNoticeHold(const TNoticeHold&) = delete;
    TNoticeHold& operator=(const TNoticeHold&) = delete;

private:
    TNoticeQueue& queue_;
};

template <class TRecord>
void GrowTo(std::vector<TRecord>& records, int32_t k)
{
    if (k < 0)
        throw EListError(Format("List index out of bounds (%d)", k));
    if (size_t(k) >= records.size())
        records.resize(size_t(k) + 1);
}

} // namespace

void InitInputOptions(TInputOptions& Options) { Options = TInputOptions{}; }

void InitOutputOptions(TOutputOptions& Options) { Options = TOutputOptions{}; }

std::string NormaliseHookWords(const std::string& Options)
{
    std::string text = " " + Options + " ";
    for (const THookWord& word : HookWords)
        text = StringReplace(text, word.written, word.known, rfReplaceAll | rfIgnoreCase);
    return Trim(text);
}

// ---- TFFmpeg ----

TFFmpeg::~TFFmpeg()
{
    // The worker may still use the callbacks until it has ended.
    Stop(true);
    OnAudioInputHook = nullptr;
    OnAudioOutputHook = nullptr;
    OnVideoInputHook = nullptr;
    OnVideoOutputHook = nullptr;
    OnFrameInputHook = nullptr;
    OnFrameOutputHook = nullptr;
    OnPreviewBitmap = nullptr;
    OnProgress = nullptr;
    OnTerminate = nullptr;
}

void TFFmpeg::SetInputOptions(int32_t k, const TInputOptions& Options)
{
    GrowTo(inputOptions_, k);
    inputOptions_[size_t(k)] = Options;
}

void TFFmpeg::SetOutputOptions(int32_t k, const TOutputOptions& Options)
{
    GrowTo(outputOptions_, k);
    outputOptions_[size_t(k)] = Options;
}

void TFFmpeg::ClearInputOptions(int32_t k)
{
    if (k >= 0 && size_t(k) < inputOptions_.size())
        InitInputOptions(inputOptions_[size_t(k)]);
}

void TFFmpeg::ClearOutputOptions(int32_t k)
{
    if (k >= 0 && size_t(k) < outputOptions_.size())
        InitOutputOptions(outputOptions_[size_t(k)]);
}

void TFFmpeg::GetOutputOptions(int32_t k, TOutputOptions& Options)
{
    GrowTo(outputOptions_, k);
    Options = outputOptions_[size_t(k)];
}

TFFDecoder* TFFmpeg::GetDecoder(int32_t k)
{
    GrowTo(decoders_, k);
    std::unique_ptr<TFFDecoder>& decoder = decoders_[size_t(k)];
    if (!decoder)
        decoder = std::make_unique<TFFDecoder>(nullptr);
    return decoder.get();
}

// ---- TFFmpegList ----

int32_t TFFmpegList::Add(std::unique_ptr<TFFmpeg> Task)
{
    tasks_.push_back(std::move(Task));
    return Count() - 1;
}

TFFmpeg* TFFmpegList::Items(int32_t Index) const
{
    if (Index < 0 || Index >= Count())
        throw EListError(Format("List index out of bounds (%d)", Index));
    return tasks_[size_t(Index)].get();
}

int32_t TFFmpegList::IndexOf(const TCustomFFmpeg* Task) const
{
    for (size_t i = 0; i < tasks_.size(); ++i)
        if (tasks_[i].get() == Task)
            return int32_t(i);
    return -1;
}

void TFFmpegList::Delete(int32_t Index)
{
    Items(Index);
    tasks_[size_t(Index)].reset();
    tasks_.erase(tasks_.begin() + Index);
}

void TFFmpegList::Clear()
{
    // Every worker ends before any task is freed, so none of them looks a
    // task up in a list that is being emptied.
    for (auto& task : tasks_)
        task->Stop(true);
    for (auto& task : tasks_)
        task.reset();
    tasks_.clear();
}

void TFFmpegList::TerminateAll(bool Wait)
{
    for (auto& task : tasks_)
        task->Terminate(Wait);
}

void TFFmpegList::SetPreviewAll(bool On) { SetPreviewFlagAll(PreviewWindowFlag, On); }

void TFFmpegList::SetPreviewBitmapAll(bool On) { SetPreviewFlagAll(PreviewBitmapFlag, On); }

void TFFmpegList::SetPreviewFlagAll(uint8_t Flag, bool On)
{
    // The worker clears the window bit when the user closes the window.
    TCriticalSectionGuard lock(PreviewFlagsLock);
    for (auto& task : tasks_) {
        const uint8_t flags = task->PreviewFlags();
        task->SetPreviewFlags(On ? uint8_t(flags | Flag) : uint8_t(flags & ~Flag));
    }
}

// ---- TCustomEncoder: tasks ----

TCustomEncoder::TCustomEncoder(TComponent* AOwner) : TFFBaseComponent(AOwner) {}

TCustomEncoder::~TCustomEncoder()
{
    // Events of tasks still ending go nowhere, and no queued notice reaches
    // a freed encoder.
    destroying_ = true;
    notices_.Close();
    tasks_.Clear();
}

bool TCustomEncoder::LibrariesLoaded() const { return FFLoader.LibrariesLoaded(AllLibraries); }

bool TCustomEncoder::LoadLibraries(const std::string& Folder)
{
    if (HasState(csDesigning))
        return true;
    FFLoader.SetLibraryPath(Folder);
    if (FFLoader.LoadLibraries(AllLibraries))
        return true;
    LastErrorText = FFLoader.LastErrorText();
    return false;
}

TFFDecoder* TCustomEncoder::Decoder()
{
    if (!decoder_)
        decoder_ = std::make_unique<TFFDecoder>(nullptr);
    return decoder_.get();
}

std::unique_ptr<TFFmpeg> TCustomEncoder::CreateTask() { return std::make_unique<TFFmpeg>(); }

void TCustomEncoder::CheckNotWorking(const char* Operation) const
{
    if (working_)
        throw Exception(Format("Cannot %s while working.", Operation));
}

void TCustomEncoder::PrepareTask(TFFmpeg& Task)
{
    Task.BuildOptionTable();
    Task.OnBeforeFindStreamInfo = [this](TCustomFFmpegOpt* job, AVFormatContext* context) {
        DoBeforeFindStreamInfo(job, context);
    };
    Task.OnPreviewBitmap = [this](TCustomFFmpeg* job, TBitmap* bitmap, int32_t frame, int64_t pts) {
        DoPreviewBitmap(job, bitmap, frame, pts);
    };
    Task.Encoder = this;
    Task.SetPauseGate(pauseGate_);
    Task.SetPreviewFlags(PreviewFlagsFor(preview_, previewBitmap_));
    Task.LastErrorText.clear();
    Task.StrictOptions = StrictOptions;
    Task.ReadTimeout = ReadTimeout;
    Task.WriteTimeout = WriteTimeout;
}

int32_t TCustomEncoder::AddTask(const TPathFileName& FileName, TInputOptions* InputOptions)
{
    CheckNotWorking("AddTask");
    std::unique_ptr<TFFmpeg> task = CreateTask();
    try {
        PrepareTask(*task);
        const int32_t inputIndex = task->InputFileCount();
        std::string options, presets;
        if (InputOptions) {
            if (InputOptions->FileName.empty())
                InputOptions->FileName = FileName;
            task->SetInputOptions(inputIndex, *InputOptions);
            options = InputOptions->Options;
            presets = InputOptions->Presets;
        } else {
            task->ClearInputOptions(inputIndex);
        }
        const int32_t result = task->OpenInput(options, FileName, presets);
        if (result < 0) {
            LastErrorText = task->LastErrorText;
            return result;
        }
        const int32_t newest = task->InputFileCount() - 1;
        task->GetDecoder(newest)->AttachFormatContext(task->InputFile(newest)->Ctx.get());
        task->OnProgress = [this](TCustomFFmpeg* job, int32_t segment, int32_t frame, int32_t fps, float quality,
                                  float bitRate, int64_t size, int64_t time, int64_t duration) {
            DoProgress(job, segment, frame, fps, quality, bitRate, size, time, duration);
        };
        task->OnTerminate = [this](TCustomFFmpeg* job) { DoTerminate(job); };
        return tasks_.Add(std::move(task));
    } catch (const std::exception& e) {
        LastErrorText = e.what();
        return -1;
    }
}

void TCustomEncoder::WireOutputHooks(TFFmpeg& Task, const TOutputOptions& Options)
{
    if (Options.AudioInputHook)
        Task.OnAudioInputHook = [this](TCustomFFmpeg* job, int64_t pts, uint8_t* sample, int32_t size, int32_t rate,
                                       int32_t channels, AVSampleFormat format) {
            DoAudioInputHook(job, pts, sample, size, rate, channels, format);
        };
    if (Options.AudioOutputHook)
        Task.OnAudioOutputHook = [this](TCustomFFmpeg* job, int64_t pts, uint8_t* sample, int32_t size, int32_t rate,
                                        int32_t channels, AVSampleFormat format) {
            DoAudioOutputHook(job, pts, sample, size, rate, channels, format);
        };
    if (Options.VideoInputHook)
        Task.OnVideoInputHook = [this](TCustomFFmpeg* job, TBitmap* bitmap, int32_t frame, int64_t pts, bool& update,
                                       bool& stopHook) { DoVideoInputHook(job, bitmap, frame, pts, update, stopHook); };
    if (Options.VideoOutputHook)
        Task.OnVideoOutputHook = [this](TCustomFFmpeg* job, TBitmap* bitmap, int32_t frame, int64_t pts, bool& update,
                                        bool& stopHook) {
            DoVideoOutputHook(job, bitmap, frame, pts, update, stopHook);
        };
    Task.SetVideoHookBitsPixel(Options.VideoHookBitsPixel);
    if (Options.FrameInputHook)
        Task.OnFrameInputHook = [this](TCustomFFmpeg* job, PFFPicture picture, int32_t pixelFormat, int32_t frame,
                                       int32_t width, int32_t height, int64_t pts) {
            DoFrameInputHook(job, picture, pixelFormat, frame, width, height, pts);
        };
    if (Options.FrameOutputHook)
        Task.OnFrameOutputHook = [this](TCustomFFmpeg* job, PFFPicture picture, int32_t pixelFormat, int32_t frame,
                                        int32_t width, int32_t height, int64_t pts) {
            DoFrameOutputHook(job, picture, pixelFormat, frame, width, height, pts);
        };
}

int32_t TCustomEncoder::SetOutput(int32_t TaskIndex, const TPathFileName& FileName, TOutputOptions* OutputOptions)
{
    CheckNotWorking("SetOutput");
    TFFmpeg* task = tasks_.Items(TaskIndex);
    try {
        task->LastErrorText.clear();
        task->StrictOptions = StrictOptions;
        task->ReadTimeout = ReadTimeout;
        task->WriteTimeout = WriteTimeout;
        const int32_t outputIndex = task->OutputFileCount();
        std::string options, presets;
        bool join = false;
        if (OutputOptions) {
            if (OutputOptions->FileName.empty())
                OutputOptions->FileName = FileName;
            task->SetOutputOptions(outputIndex, *OutputOptions);
            WireOutputHooks(*task, *OutputOptions);
            options = OutputOptions->Options;
            presets = OutputOptions->Presets;
            join = OutputOptions->Join;
        } else {
            task->ClearOutputOptions(outputIndex);
        }
        const int32_t result = task->OpenOutput(NormaliseHookWords(options), join, FileName, presets);
        if (result < 0) {
            LastErrorText = task->LastErrorText;
            task->ClearOutputOptions(task->OutputFileCount());
        }
        return result;
    } catch (const std::exception& e) {
        // The job's RaiseError already put this message into its text.
        const std::string message = e.what();
        const std::string& taskText = task->LastErrorText;
        LastErrorText = taskText.empty() || taskText == message ? message : taskText + "\r\n" + message;
        return -1;
    }
}

void TCustomEncoder::GetOutputOptions(int32_t TaskIndex, int32_t OutputIndex, TOutputOptions& Options)
{
    tasks_.Items(TaskIndex)->GetOutputOptions(OutputIndex, Options);
}

void TCustomEncoder::RemoveTask(int32_t Index)
{
    CheckNotWorking("RemoveTask");
    tasks_.Delete(Index);
}

void TCustomEncoder::ClearTasks()
{
    if (working_ && !allDone_)
        throw Exception("Cannot ClearTasks while working.");
    TNoticeHold hold(notices_);
    tasks_.Clear();
    LastErrorText.clear();
    {
        TCriticalSectionGuard lock(terminateLock_);
        finishedCount_ = 0;
        nextTaskIndex_ = -1;
        pendingCount_ = 0;
        finalNoticeDue_ = false;
    }
    allDone_ = false;
    threaded_ = false;
    working_ = false;
    paused_ = false;
    pauseGate_->Resume();
}

// ---- TCustomEncoder: running ----

void TCustomEncoder::StartTask(int32_t n)
{
    CheckNotWorking("StartTask");
    bool finalNoticeDue;
    {
        TCriticalSectionGuard lock(terminateLock_);
        finishedCount_ = 0;
        nextTaskIndex_ = 0;
        pendingCount_ = tasks_.Count();
        finalNoticeDue_ = false;
        allDone_ = false;
        threaded_ = n > 0;
        working_ = true;
        paused_ = false;
        pauseGate_->Resume();
        if (tasks_.Count() == 0)
            AnnounceAllDone();
        while (pendingCount_ > 0) {
            StartNextTask();
            if (threaded_ && --n == 0)
                break;
        }
        finalNoticeDue = std::exchange(finalNoticeDue_, false);
    }
    // Delivered once every task's run has returned, so that its handler may
    // clear the tasks or free this encoder; nothing touches the encoder after it.
    if (finalNoticeDue)
        DeliverNotice(TTerminateInfo{-1, true, false, ""});
}

void TCustomEncoder::StartNextTask()
{
    TCriticalSectionGuard lock(terminateLock_);
    if (pendingCount_ <= 0)
        return;
    --pendingCount_;
    TFFmpeg* task = tasks_.Items(nextTaskIndex_++);
    task->ProgressIntervalUs = int64_t(progressInterval_) * 1000;
    task->Start(threaded_, threadPriority_);
}

void TCustomEncoder::DoTerminate(TCustomFFmpeg* Task)
{
    if (destroying_)
        return;
    TCriticalSectionGuard lock(terminateLock_);
    if (OnTerminate) {
        terminateInfo_ =
            TTerminateInfo{tasks_.IndexOf(Task), Task->Finished, Task->ExceptionRaised, Task->ExceptionMessage};
        if (threaded_ || !working_)
            PostNotice(terminateInfo_);
        else
            OnTerminate(this, terminateInfo_);
    }
    ++finishedCount_;
    if (pendingCount_ < 1) {
        if (finishedCount_ >= tasks_.Count())
            AnnounceAllDone();
    } else if (threaded_) {
        StartNextTask();
    }
}

void TCustomEncoder::AnnounceAllDone()
{
    if (allDone_.exchange(true))
        return;
    if (!threaded_ && working_)
        finalNoticeDue_ = true;
    else if (OnTerminate)
        PostNotice(TTerminateInfo{-1, true, false, ""});
}

void TCustomEncoder::PostNotice(const TTerminateInfo& Info)
{
    notices_.Post([this, Info] { DeliverNotice(Info); }, triggerEventInMainThread_);
}

void TCustomEncoder::DeliverNotice(const TTerminateInfo& Info)
{
    // A copy: the handler may free this encoder, and with it OnTerminate.
    const TTerminateEvent handler = OnTerminate;
    if (handler)
        handler(this, Info);
}

// The gate is shared by every task of the run, so a task that starts while
// the run is paused waits too. A run in place has no worker to hold: pausing
// it from one of its own events would stop the only thread that can resume it.
void TCustomEncoder::Pause()
{
    if (working_ && !paused_) {
        if (threaded_)
            pauseGate_->Pause();
        paused_ = true;
    }
}

void TCustomEncoder::Resume()
{
    if (working_ && paused_) {
        pauseGate_->Resume();
        paused_ = false;
    }
}

void TCustomEncoder::Stop(bool Wait)
{
    // Inside a handler that a worker waits for, waiting for the workers would
    // wait for this very handler: the stop is asked for, and the run ends
    // (trailers written, notices sent) once the handler has returned.
    if (Wait && eventsAwaited_ > 0 && IsMainThread())
        Wait = false;
    TNoticeHold hold(notices_);
    {
        TCriticalSectionGuard lock(terminateLock_);
        pendingCount_ = 0;
    }
    if (working_)
        tasks_.TerminateAll(Wait);
}

// ---- TCustomEncoder: properties ----

void TCustomEncoder::SetPreview(bool Value)
{
    if (Value == preview_)
        return;
    tasks_.SetPreviewAll(Value);
    preview_ = Value;
}

void TCustomEncoder::SetPreviewBitmap(bool Value)
{
    if (Value == previewBitmap_)
        return;
    tasks_.SetPreviewBitmapAll(Value);
    previewBitmap_ = Value;
}

void TCustomEncoder::SetProgressInterval(int32_t Value) { progressInterval_ = std::max(Value, MinProgressInterval); }

// ---- TCustomEncoder: events ----

void TCustomEncoder::CallInMainThreadIfAsked(const std::function<void()>& Call)
{
    if (triggerEventInMainThread_)
        MainThreadCall([this, &Call] {
            ++eventsAwaited_;
            try {
                Call();
            } catch (...) {
                --eventsAwaited_;
                throw;
            }
            --eventsAwaited_;
        });
    else
        Call();
}

void TCustomEncoder::DoProgress(TCustomFFmpeg* Task, int32_t SegmentIndex, int32_t FrameNumber, int32_t Fps,
                                float Quality, float BitRate, int64_t TotalSize, int64_t CurrentTime, int64_t Duration)
{
    if (destroying_ || !OnProgress)
        return;
    TCriticalSectionGuard lock(progressLock_);
    progressInfo_ = TProgressInfo{tasks_.IndexOf(Task), SegmentIndex, FrameNumber, Fps, Quality, BitRate, TotalSize,
                                  CurrentTime,          Duration};
    CallInMainThreadIfAsked([this] {
        if (!destroying_)
            OnProgress(this, &progressInfo_);
    });
}

void TCustomEncoder::DoPreviewBitmap(TCustomFFmpeg* Task, TBitmap* Bitmap, int32_t FrameNumber, int64_t PTS)
{
    if (destroying_ || !OnPreviewBitmap)
        return;
    TCriticalSectionGuard lock(previewLock_);
    previewInfo_ = TPreviewInfo{tasks_.IndexOf(Task), Bitmap, FrameNumber, PTS};
    CallInMainThreadIfAsked([this] {
        if (!destroying_)
            OnPreviewBitmap(this, previewInfo_);
    });
}

void TCustomEncoder::DoBeforeFindStreamInfo(TCustomFFmpegOpt* Task, AVFormatContext* FormatContext)
{
    if (destroying_ || !OnBeforeFindStreamInfo)
        return;
    TCriticalSectionGuard lock(findStreamInfoLock_);
    CallInMainThreadIfAsked([&] {
        if (!destroying_)
            OnBeforeFindStreamInfo(Task, FormatContext);
    });
}

void TCustomEncoder::DoAudioInputHook(TCustomFFmpeg* Task, int64_t PTS, uint8_t* Sample, int32_t Size,
                                      int32_t SampleRate, int32_t Channels, AVSampleFormat SampleFormat)
{
    DoAudioHook(OnAudioInputHook, Task, PTS, Sample, Size, SampleRate, Channels, SampleFormat);
}

void TCustomEncoder::DoAudioOutputHook(TCustomFFmpeg* Task, int64_t PTS, uint8_t* Sample, int32_t Size,
                                       int32_t SampleRate, int32_t Channels, AVSampleFormat SampleFormat)
{
    DoAudioHook(OnAudioOutputHook, Task, PTS, Sample, Size, SampleRate, Channels, SampleFormat);
}

void TCustomEncoder::DoAudioHook(const TAudioHookEvent& Event, TCustomFFmpeg* Task, int64_t PTS, uint8_t* Sample,
                                 int32_t Size, int32_t SampleRate, int32_t Channels, AVSampleFormat SampleFormat)
{
    if (destroying_ || !Event)
        return;
    TCriticalSectionGuard lock(audioHookLock_);
    Event(this, tasks_.IndexOf(Task), PTS, Sample, Size, SampleRate, Channels, SampleFormat);
}

void TCustomEncoder::DoVideoInputHook(TCustomFFmpeg* Task, TBitmap* Bitmap, int32_t FrameNumber, int64_t PTS,
                                      bool& Update, bool& StopHook)
{
    DoVideoHook(OnVideoInputHook, Task, Bitmap, FrameNumber, PTS, Update, StopHook);
}

void TCustomEncoder::DoVideoOutputHook(TCustomFFmpeg* Task, TBitmap* Bitmap, int32_t FrameNumber, int64_t PTS,
                                       bool& Update, bool& StopHook)
{
    DoVideoHook(OnVideoOutputHook, Task, Bitmap, FrameNumber, PTS, Update, StopHook);
}

void TCustomEncoder::DoVideoHook(const TVideoHookEvent& Event, TCustomFFmpeg* Task, TBitmap* Bitmap,
                                 int32_t FrameNumber, int64_t PTS, bool& Update, bool& StopHook)
{
    if (destroying_ || !Event)
        return;
    TCriticalSectionGuard lock(videoHookLock_);
    hookInfo_ = THookInfo{tasks_.IndexOf(Task), Bitmap, FrameNumber, PTS, Update, StopHook};
    Event(this, &hookInfo_);
    Update = hookInfo_.Update;
    StopHook = hookInfo_.StopHook;
}

void TCustomEncoder::DoFrameInputHook(TCustomFFmpeg* Task, PFFPicture Picture, int32_t PixelFormat, int32_t FrameNumber,
                                      int32_t Width, int32_t Height, int64_t PTS)
{
    DoFrameHook(OnFrameInputHook, Task, Picture, PixelFormat, FrameNumber, Width, Height, PTS);
}

void TCustomEncoder::DoFrameOutputHook(TCustomFFmpeg* Task, PFFPicture Picture, int32_t PixelFormat,
                                       int32_t FrameNumber, int32_t Width, int32_t Height, int64_t PTS)
{
    DoFrameHook(OnFrameOutputHook, Task, Picture, PixelFormat, FrameNumber, Width, Height, PTS);
}

void TCustomEncoder::DoFrameHook(const TFrameHookEvent& Event, TCustomFFmpeg* Task, PFFPicture Picture,
                                 int32_t PixelFormat, int32_t FrameNumber, int32_t Width, int32_t Height, int64_t PTS)
{
    if (destroying_ || !Event)
        return;
    TCriticalSectionGuard lock(frameHookLock_);
    frameHookInfo_ = TFrameHookInfo{tasks_.IndexOf(Task), FrameNumber, Picture, PixelFormat, Width, Height, PTS};
    Event(this, &frameHookInfo_);
}

// ---- Published properties ----

namespace {

const TEnumInfo ThreadPriorityInfo{
    "TThreadPriority",
    {"tpIdle", "tpLowest", "tpLower", "tpNormal", "tpHigher", "tpHighest", "tpTimeCritical"}};

void RegisterEncoder()
{
    RegisterClass<VIDArarozo, TComponent>("VIDArarozo")
        .Property("About", &TFFBaseComponent::About, &TFFBaseComponent::SetAbout)
        .Property("Version", [](VIDArarozo& encoder) { return encoder.Version(); })
        .Stored(false)
        .Property("Preview", &TCustomEncoder::Preview, &TCustomEncoder::SetPreview)
        .Default(false)
        .Property("PreviewBitmap", &TCustomEncoder::PreviewBitmap, &TCustomEncoder::SetPreviewBitmap)
        .Default(false)
        .Property("ProgressInterval", &TCustomEncoder::ProgressInterval, &TCustomEncoder::SetProgressInterval)
        .Default(500)
        .Enum("ThreadPriority", &TCustomEncoder::ThreadPriority, &TCustomEncoder::SetThreadPriority, ThreadPriorityInfo)
        .Default(tpNormal)
        .Property("TriggerEventInMainThread", &TCustomEncoder::TriggerEventInMainThread,
                  &TCustomEncoder::SetTriggerEventInMainThread)
        .Default(true)
        .Event("OnAudioInputHook", &TCustomEncoder::OnAudioInputHook)
        .Event("OnAudioOutputHook", &TCustomEncoder::OnAudioOutputHook)
        .Event("OnBeforeFindStreamInfo", &TCustomEncoder::OnBeforeFindStreamInfo)
        .Event("OnVideoInputHook", &TCustomEncoder::OnVideoInputHook)
        .Event("OnVideoOutputHook", &TCustomEncoder::OnVideoOutputHook)
        .Event("OnPreviewBitmap", &TCustomEncoder::OnPreviewBitmap)
        .Event("OnProgress", &TCustomEncoder::OnProgress)
        .Event("OnTerminate", &TCustomEncoder::OnTerminate)
        .Event("OnFrameInputHook", &TCustomEncoder::OnFrameInputHook)
        .Event("OnFrameOutputHook", &TCustomEncoder::OnFrameOutputHook);
}

} // namespace

void RegisterEncoderClasses()
{
    static const bool registered = [] {
        RegisterEncoder();
        return true;
    }();
    (void)registered;
}
