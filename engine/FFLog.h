#pragma once
// The engine's one process-wide logger. Engine parts log through Log and
// LogFmt; FFmpeg's messages arrive through FFmpegLogCallback, which assembles
// whole lines per thread and collapses repeats. Messages go to the OnLog event
// (in the main thread by default) and, when enabled, to the log file.

#include <array>
#include <atomic>
#include <cstdarg>
#include <cstdint>
#include <functional>
#include <string>

#include "engine/FFBaseComponent.h"

enum TLogLevel { llQuiet, llPanic, llFatal, llError, llWarning, llInfo, llVerbose, llDebug };

struct TEnumInfo;
// The enumeration's value names, for published properties.
extern const TEnumInfo LogLevelInfo;

// The level names written to the log file.
extern const std::array<const char*, 8> LogLevelNames;

// llQuiet -> -8 ... llDebug -> 48, FFmpeg's levels.
int32_t LogLevelToFFmpeg(TLogLevel level);
TLogLevel FFmpegToLogLevel(int32_t level);

struct TLogInfo {
    TObject* Sender = nullptr;
    int32_t ThreadId = 0;
    TLogLevel Level = llQuiet;
    std::string Msg;
};

using TLogEvent =
    std::function<void(TObject* Sender, int32_t AThreadID, TLogLevel ALogLevel, const std::string& ALogMsg)>;

class TFFLogger : public TFFBaseComponent {
public:
    // Replaces an automatically created logger; a second explicit one raises
    // "Allow creating only one instance of TFFLogger.".
    explicit TFFLogger(TComponent* owner);
    ~TFFLogger() override;

    // Delivered when the logger is enabled and `level` <= LogLevel (llQuiet
    // always passes).
    void Log(TObject* sender, TLogLevel level, const std::string& msg);
    void LogFmt(TObject* sender, TLogLevel level, const char* format, ...) __attribute__((format(printf, 4, 5)));

    bool Active() const { return active_; }
    void SetActive(bool value);
    TLogLevel LogLevel() const { return logLevel_; }
    void SetLogLevel(TLogLevel value);
    // The log file and its switch are process-wide, shared by every instance.
    std::string LogFile() const;
    void SetLogFile(const std::string& value);
    bool LogToFile() const;
    void SetLogToFile(bool value);
    bool TriggerEventInMainThread() const { return triggerEventInMainThread_; }
    void SetTriggerEventInMainThread(bool value) { triggerEventInMainThread_ = value; }
    TLogEvent OnLog() const;
    void SetOnLog(TLogEvent value);

    bool AutoCreated() const { return autoCreated_; }
    // True unless Active and someone listens (OnLog, or the log file).
    bool Disabled() const { return disabled_; }

    // Installs FFmpegLogCallback into the loaded avutil and applies LogLevel.
    void HookFFmpegLog();
    // Sets FFmpeg's threshold (and avutil's level when bound) from LogLevel.
    void ApplyFFmpegLevel();

    // Delivers one assembled FFmpeg line of thread `threadId`.
    void LogFFmpegLine(int32_t threadId, int32_t ffmpegLevel, const std::string& line);

private:
    friend TFFLogger* Logger();
    void Deliver(const TLogInfo& info);
    void UpdateDisabled();

    bool autoCreated_ = false;
    std::atomic<bool> disabled_{true};
    bool active_ = true;
    std::atomic<bool> triggerEventInMainThread_{true};
    std::atomic<TLogLevel> logLevel_{llInfo};
    TLogEvent onLog_;
};

// The singleton; created without owner on first use.
TFFLogger* Logger();

// FFmpeg's log callback (av_log_set_callback).
extern "C" void FFmpegLogCallback(void* context, int level, const char* format, va_list args);
