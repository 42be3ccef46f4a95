#pragma once
// The encoder component: a list of conversion tasks, each one job with its
// inputs and outputs, run one after another or several at a time on worker
// threads, with progress, hook, preview and termination events.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/FFBaseComponent.h"
#include "engine/FFmpeg.h"
#include "engine/NoticeQueue.h"
#include "engine/PauseGate.h"
#include "engine/decode/FFDecode.h"
#include "platform/core/Sync.h"
#include "platform/core/Threads.h"

class TBitmap;
class TCustomEncoder;

using TPathFileName = std::string;

// One task input. The two values at the end are the caller's; the engine
// only copies them.
struct TInputOptions {
    TPathFileName FileName;
    std::string Options;
    std::string Presets;
    int32_t Reserved1 = 0;
    int32_t Reserved2 = 0;
};
using PInputOptions = TInputOptions*;

// One task output. Each hook switch wires the event of the same name.
struct TOutputOptions {
    TPathFileName FileName;
    std::string Options;
    std::string Presets;
    bool AudioInputHook = false;
    bool AudioOutputHook = false;
    bool VideoInputHook = false;
    bool VideoOutputHook = false;
    int32_t VideoHookBitsPixel = 32;
    bool FrameInputHook = false;
    bool FrameOutputHook = false;
    bool Join = false;
    int32_t Reserved1 = 0;
    int32_t Reserved2 = 0;
};
using POutputOptions = TOutputOptions*;

void InitInputOptions(TInputOptions& Options);
void InitOutputOptions(TOutputOptions& Options);

struct TProgressInfo {
    int32_t TaskIndex;
    int32_t SegmentIndex; // -1 in a task's last report
    int32_t FrameNumber; // -1 before the first video frame or without video
    int32_t Fps;
    float Quality;
    float BitRate; // kbit/s
    int64_t TotalSize;
    int64_t CurrentTime; // microseconds
    int64_t Duration; // microseconds, -1 when unknown
};
using PProgressInfo = TProgressInfo*;

// TaskIndex -1 is the final notice after the last task.
struct TTerminateInfo {
    int32_t TaskIndex = 0;
    bool Finished = false;
    bool Exception = false;
    std::string ExceptionMessage;
};

struct TPreviewInfo {
    int32_t TaskIndex;
    TBitmap* Bitmap;
    int32_t FrameNumber;
    int64_t PTS;
};

struct THookInfo {
    int32_t TaskIndex;
    TBitmap* Bitmap;
    int32_t FrameNumber;
    int64_t PTS;
    bool Update;
    bool StopHook;
};
using PHookInfo = THookInfo*;

struct TFrameHookInfo {
    int32_t TaskIndex;
    int32_t FrameNumber;
    PFFPicture Picture;
    int32_t PixelFormat;
    int32_t Width;
    int32_t Height;
    int64_t PTS;
};
using PFrameHookInfo = TFrameHookInfo*;

using TProgressEvent = std::function<void(TObject* Sender, PProgressInfo AProgressInfo)>;
using TTerminateEvent = std::function<void(TObject* Sender, const TTerminateInfo& ATerminateInfo)>;
using TPreviewBitmapEvent = std::function<void(TObject* Sender, const TPreviewInfo& APreviewInfo)>;
using TVideoHookEvent = std::function<void(TObject* Sender, PHookInfo AHookInfo)>;
using TFrameHookEvent = std::function<void(TObject* Sender, PFrameHookInfo AHookInfo)>;
using TAudioHookEvent =
    std::function<void(TObject* Sender, int32_t ATaskIndex, const int64_t APTS, uint8_t* ASample, int32_t ASize,
                       int32_t ASampleRate, int32_t AChannels, AVSampleFormat ASampleFormat)>;

// One conversion task: a job with copies of the caller's option records.
class TFFmpeg : public TCustomFFmpeg {
public:
    TFFmpeg() = default;
    ~TFFmpeg() override;

    // Each accessor grows its array to index k + 1 on demand.
    void SetInputOptions(int32_t k, const TInputOptions& Options);
    void SetOutputOptions(int32_t k, const TOutputOptions& Options);
    void ClearInputOptions(int32_t k);
    void ClearOutputOptions(int32_t k);
    void GetOutputOptions(int32_t k, TOutputOptions& Options);
    // The decoder of input k, created on first use; it reads the input's
    // format context without owning it.
    TFFDecoder* GetDecoder(int32_t k);

    TCustomEncoder* Encoder = nullptr;

private:
    std::vector<std::unique_ptr<TFFDecoder>> decoders_;
    std::vector<TInputOptions> inputOptions_;
    std::vector<TOutputOptions> outputOptions_;
};

class TFFmpegList {
public:
    ~TFFmpegList() { Clear(); }

    int32_t Add(std::unique_ptr<TFFmpeg> Task);
    // Raises EListError for an index outside the list.
    TFFmpeg* Items(int32_t Index) const;
    int32_t IndexOf(const TCustomFFmpeg* Task) const;
    int32_t Count() const { return int32_t(tasks_.size()); }
    void Delete(int32_t Index);
    void Clear();

    void TerminateAll(bool Wait);
    void SetPreviewAll(bool On);
    void SetPreviewBitmapAll(bool On);

private:
    void SetPreviewFlagAll(uint8_t Flag, bool On);

    std::vector<std::unique_ptr<TFFmpeg>> tasks_;
};

// Rewrites the hook and join words of an output's option string into the
// spelling the option table knows: only whole words with a blank on each side.
std::string NormaliseHookWords(const std::string& Options);

class TCustomEncoder : public TFFBaseComponent {
public:
    explicit TCustomEncoder(TComponent* AOwner);
    ~TCustomEncoder() override;

    // The full set of FFmpeg libraries is loaded.
    bool LibrariesLoaded() const;
    // Loads the full set from `Folder` (or the system); False with the
    // loader's text in LastErrorText on failure.
    bool LoadLibraries(const std::string& Folder);

    int32_t AddTask(const TPathFileName& FileName, TInputOptions* InputOptions = nullptr);
    int32_t SetOutput(int32_t TaskIndex, const TPathFileName& FileName, TOutputOptions* OutputOptions = nullptr);
    int32_t GetTaskCount() const { return tasks_.Count(); }
    void GetOutputOptions(int32_t TaskIndex, int32_t OutputIndex, TOutputOptions& Options);
    void RemoveTask(int32_t Index);
    void ClearTasks();
    // n > 0: at most n tasks at a time on worker threads; n <= 0: every task
    // in turn inside this call.
    void StartTask(int32_t n);
    void Pause();
    void Resume();
    void Stop(bool Wait);

    std::string LastErrorText;
    bool StrictOptions = true;

    // The decoder the application previews with. It needs the libraries, so
    // it is made on first use rather than with the encoder.
    TFFDecoder* Decoder();

    bool Working() const { return working_; }
    bool Paused() const { return paused_; }
    bool AllDone() const { return allDone_; }

    bool Preview() const { return preview_; }
    void SetPreview(bool Value);
    bool PreviewBitmap() const { return previewBitmap_; }
    void SetPreviewBitmap(bool Value);
    int32_t ProgressInterval() const { return progressInterval_; }
    void SetProgressInterval(int32_t Value);
    TThreadPriority ThreadPriority() const { return threadPriority_; }
    void SetThreadPriority(TThreadPriority Value) { threadPriority_ = Value; }
    bool TriggerEventInMainThread() const { return triggerEventInMainThread_; }
    void SetTriggerEventInMainThread(bool Value) { triggerEventInMainThread_ = Value; }

    TAudioHookEvent OnAudioInputHook;
    TAudioHookEvent OnAudioOutputHook;
    // Sender is the task, not the encoder.
    TBeforeFindStreamInfoEvent OnBeforeFindStreamInfo;
    TVideoHookEvent OnVideoInputHook;
    TVideoHookEvent OnVideoOutputHook;
    TPreviewBitmapEvent OnPreviewBitmap;
    TProgressEvent OnProgress;
    TTerminateEvent OnTerminate;
    TFrameHookEvent OnFrameInputHook;
    TFrameHookEvent OnFrameOutputHook;

    // Called by the tasks, on their worker in a threaded run.
    void DoAudioInputHook(TCustomFFmpeg* Task, int64_t PTS, uint8_t* Sample, int32_t Size, int32_t SampleRate,
                          int32_t Channels, AVSampleFormat SampleFormat);
    void DoAudioOutputHook(TCustomFFmpeg* Task, int64_t PTS, uint8_t* Sample, int32_t Size, int32_t SampleRate,
                           int32_t Channels, AVSampleFormat SampleFormat);
    virtual void DoVideoInputHook(TCustomFFmpeg* Task, TBitmap* Bitmap, int32_t FrameNumber, int64_t PTS, bool& Update,
                                  bool& StopHook);
    virtual void DoVideoOutputHook(TCustomFFmpeg* Task, TBitmap* Bitmap, int32_t FrameNumber, int64_t PTS, bool& Update,
                                   bool& StopHook);
    virtual void DoFrameInputHook(TCustomFFmpeg* Task, PFFPicture Picture, int32_t PixelFormat, int32_t FrameNumber,
                                  int32_t Width, int32_t Height, int64_t PTS);
    virtual void DoFrameOutputHook(TCustomFFmpeg* Task, PFFPicture Picture, int32_t PixelFormat, int32_t FrameNumber,
                                   int32_t Width, int32_t Height, int64_t PTS);
    virtual void DoPreviewBitmap(TCustomFFmpeg* Task, TBitmap* Bitmap, int32_t FrameNumber, int64_t PTS);
    virtual void DoProgress(TCustomFFmpeg* Task, int32_t SegmentIndex, int32_t FrameNumber, int32_t Fps, float Quality,
                            float BitRate, int64_t TotalSize, int64_t CurrentTime, int64_t Duration);
    virtual void DoTerminate(TCustomFFmpeg* Task);
    void DoBeforeFindStreamInfo(TCustomFFmpegOpt* Task, AVFormatContext* FormatContext);

protected:
    // Makes the job of a new task; the transcoder's job unless overridden.
    virtual std::unique_ptr<TFFmpeg> CreateTask();

private:
    void CheckNotWorking(const char* Operation) const;
    void StartNextTask();
    void AnnounceAllDone();
    void PostNotice(const TTerminateInfo& Info);
    void DeliverNotice(const TTerminateInfo& Info);
    void CallInMainThreadIfAsked(const std::function<void()>& Call);
    void PrepareTask(TFFmpeg& Task);
    void WireOutputHooks(TFFmpeg& Task, const TOutputOptions& Options);
    void DoAudioHook(const TAudioHookEvent& Event, TCustomFFmpeg* Task, int64_t PTS, uint8_t* Sample, int32_t Size,
                     int32_t SampleRate, int32_t Channels, AVSampleFormat SampleFormat);
    void DoVideoHook(const TVideoHookEvent& Event, TCustomFFmpeg* Task, TBitmap* Bitmap, int32_t FrameNumber,
                     int64_t PTS, bool& Update, bool& StopHook);
    void DoFrameHook(const TFrameHookEvent& Event, TCustomFFmpeg* Task, PFFPicture Picture, int32_t PixelFormat,
                     int32_t FrameNumber, int32_t Width, int32_t Height, int64_t PTS);

    std::atomic<bool> preview_{false};
    std::atomic<bool> previewBitmap_{false};
    std::atomic<int32_t> progressInterval_{500};
    std::atomic<TThreadPriority> threadPriority_{tpNormal};
    std::atomic<bool> triggerEventInMainThread_{true};

    TProgressInfo progressInfo_{};
    TTerminateInfo terminateInfo_;
    TPreviewInfo previewInfo_{};
    THookInfo hookInfo_{};
    TFrameHookInfo frameHookInfo_{};

    TCriticalSection audioHookLock_;
    TCriticalSection previewLock_;
    TCriticalSection progressLock_;
    TCriticalSection terminateLock_;
    TCriticalSection videoHookLock_;
    TCriticalSection frameHookLock_;
    TCriticalSection findStreamInfoLock_;

    std::unique_ptr<TFFDecoder> decoder_;
    TFFmpegList tasks_;
    // Guarded by terminateLock_.
    int32_t finishedCount_ = 0;
    int32_t nextTaskIndex_ = -1;
    int32_t pendingCount_ = 0;
    bool finalNoticeDue_ = false;

    std::atomic<bool> allDone_{false};
    std::atomic<bool> threaded_{false};
    std::atomic<bool> working_{false};
    std::atomic<bool> paused_{false};
    std::atomic<bool> destroying_{false};
    // Handlers of events that a worker waits for, running now in the main thread.
    std::atomic<int32_t> eventsAwaited_{0};

    std::shared_ptr<TPauseGate> pauseGate_ = std::make_shared<TPauseGate>();
    TNoticeQueue notices_;
};

// The component the application places on its forms.
class VIDArarozo : public TCustomEncoder {
public:
    using TCustomEncoder::TCustomEncoder;
};

// Registers VIDArarozo and its published properties and events, so that
// form resources can create and set it by name. Calling it again is harmless.
void RegisterEncoderClasses();
