#include "engine/FFLog.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <unordered_map>
#include <vector>

#include "engine/MyUtils.h"
#include "engine/binding/AVUtilStubs.h"
#include "platform/core/ClassRegistry.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Strings.h"
#include "platform/core/Sync.h"
#include "platform/core/Threads.h"

const std::array<const char*, 8> LogLevelNames = {"Quiet",   "Panic", "Fatal",   "Error",
                                                  "Warning", "Info",  "Verbose", "Debug"};

const TEnumInfo LogLevelInfo{
    "TLogLevel",
    {"llQuiet", "llPanic", "llFatal", "llError", "llWarning", "llInfo", "llVerbose", "llDebug"}};

int32_t LogLevelToFFmpeg(TLogLevel level) { return (static_cast<int32_t>(level) - 1) * 8; }

TLogLevel FFmpegToLogLevel(int32_t level)
{
    if (level < AV_LOG_QUIET)
        return llQuiet;
    if (level >= AV_LOG_DEBUG)
        return llDebug;
    return static_cast<TLogLevel>(level / 8 + 1);
}

namespace {

struct TLogFile {
    std::string Name;
    bool Enabled = false;
    std::FILE* Stream = nullptr;
    // Set when the file could not be opened or written; cleared by a change of
    // the name or the switch.
    bool Failed = false;

    ~TLogFile() { Close(); }
    void Close()
    {
        if (Stream)
            std::fclose(Stream);
        Stream = nullptr;
        Failed = false;
    }
};

// Delivery, the log file and the setters.
TCriticalSection logLock;
// FFmpeg's line assembly.
TCriticalSection lineLock;
TLogFile logFile;
std::unordered_map<int32_t, std::string> pendingLines; // per thread
std::string previousLine;
int32_t repeatCount = 0;
std::atomic<int32_t> ffmpegLogThreshold{AV_LOG_INFO};
TFFLogger* singleton = nullptr;
// The logger that Logger() made when nobody had created one.
std::unique_ptr<TFFLogger> autoCreatedLogger;

int32_t CurrentThreadId() { return static_cast<int32_t>(GetCurrentThreadId()); }

std::string TimeText()
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    return Format("%.2d:%.2d:%.2d %.3d", local.tm_hour, local.tm_min, local.tm_sec,
                  static_cast<int>(now.tv_nsec / 1000000));
}

// Writes the line; on a failure closes the file, stops writing to it and
// returns the notice to show once instead.
std::string WriteLogLine(const TLogInfo& info)
{
    if (!logFile.Enabled || logFile.Name.empty() || logFile.Failed)
        return {};
    if (!logFile.Stream)
        logFile.Stream = std::fopen(logFile.Name.c_str(), "ab");
    if (logFile.Stream) {
        const std::string line = Format("%s [%.8x] %s: %s\r\n", TimeText().c_str(), info.ThreadId,
                                        LogLevelNames[info.Level], info.Msg.c_str());
        if (std::fwrite(line.data(), 1, line.size(), logFile.Stream) == line.size() && std::fflush(logFile.Stream) == 0)
            return {};
    }
    const int error = errno;
    logFile.Close();
    logFile.Failed = true;
    return Format("Can not write log file %s: %s", logFile.Name.c_str(), SysErrorMessage(error).c_str());
}

} // namespace

TFFLogger* Logger()
{
    TCriticalSectionGuard guard(logLock);
    if (!singleton) {
        autoCreatedLogger = std::make_unique<TFFLogger>(nullptr);
        autoCreatedLogger->autoCreated_ = true;
    }
    return singleton;
}

TFFLogger::TFFLogger(TComponent* owner) : TFFBaseComponent(owner)
{
    TCriticalSectionGuard guard(logLock);
    if (singleton && !singleton->autoCreated_)
        throw Exception("Allow creating only one instance of TFFLogger.");
    autoCreatedLogger.reset();
    logLevel_ = FFmpegToLogLevel(ffmpegLogThreshold);
    singleton = this;
}

TFFLogger::~TFFLogger()
{
    TCriticalSectionGuard guard(logLock);
    if (singleton == this) {
        singleton = nullptr;
        logFile.Close();
    }
}

void TFFLogger::SetActive(bool value)
{
    TCriticalSectionGuard guard(logLock);
    active_ = value;
    UpdateDisabled();
}

void TFFLogger::SetLogLevel(TLogLevel value)
{
    if (value == logLevel_)
        return;
    logLevel_ = value;
    ApplyFFmpegLevel();
}

std::string TFFLogger::LogFile() const
{
    TCriticalSectionGuard guard(logLock);
    return logFile.Name;
}

void TFFLogger::SetLogFile(const std::string& value)
{
    TCriticalSectionGuard guard(logLock);
    if (value == logFile.Name)
        return;
    logFile.Close();
    logFile.Name = value;
    UpdateDisabled();
}

bool TFFLogger::LogToFile() const
{
    TCriticalSectionGuard guard(logLock);
    return logFile.Enabled;
}

void TFFLogger::SetLogToFile(bool value)
{
    TCriticalSectionGuard guard(logLock);
    if (value == logFile.Enabled)
        return;
    logFile.Close();
    logFile.Enabled = value;
    UpdateDisabled();
}

TLogEvent TFFLogger::OnLog() const
{
    TCriticalSectionGuard guard(logLock);
    return onLog_;
}

void TFFLogger::SetOnLog(TLogEvent value)
{
    TCriticalSectionGuard guard(logLock);
    onLog_ = std::move(value);
    UpdateDisabled();
}

void TFFLogger::UpdateDisabled() { disabled_ = !(active_ && (onLog_ || (logFile.Enabled && !logFile.Name.empty()))); }

void TFFLogger::Log(TObject* sender, TLogLevel level, const std::string& msg)
{
    if (disabled_ || level > logLevel_)
        return;
    Deliver(TLogInfo{sender, CurrentThreadId(), level, msg});
}

void TFFLogger::LogFmt(TObject* sender, TLogLevel level, const char* format, ...)
{
    if (disabled_ || level > logLevel_)
        return;
    va_list args;
    va_start(args, format);
    std::string msg = FormatV(format, args);
    va_end(args);
    Deliver(TLogInfo{sender, CurrentThreadId(), level, std::move(msg)});
}

void TFFLogger::LogFFmpegLine(int32_t threadId, int32_t ffmpegLevel, const std::string& line)
{
    if (disabled_)
        return;
    Deliver(TLogInfo{this, threadId, FFmpegToLogLevel(ffmpegLevel), line});
}

// A handler that runs in the main thread is called after the lock is released:
// the main thread may log at the same moment and must not wait for a thread
// that waits for it.
void TFFLogger::Deliver(const TLogInfo& info)
{
    std::vector<TLogInfo> events;
    TLogEvent handler;
    {
        TCriticalSectionGuard guard(logLock);
        events.push_back(info);
        const std::string failure = WriteLogLine(info);
        if (!failure.empty())
            events.push_back(TLogInfo{this, info.ThreadId, llError, failure});
        handler = onLog_;
        if (handler && !triggerEventInMainThread_) {
            for (const TLogInfo& event : events)
                handler(event.Sender, event.ThreadId, event.Level, event.Msg);
            return;
        }
    }
    if (!handler)
        return;
    for (const TLogInfo& event : events)
        MainThreadCall([&] { handler(event.Sender, event.ThreadId, event.Level, event.Msg); });
}

void TFFLogger::HookFFmpegLog()
{
    if (!av::av_log_set_callback || !av::av_log_set_level)
        throw EInvalidOperation("HookFFmpegLog needs the loaded avutil");
    av::av_log_set_callback(FFmpegLogCallback);
    ApplyFFmpegLevel();
}

void TFFLogger::ApplyFFmpegLevel()
{
    ffmpegLogThreshold = LogLevelToFFmpeg(logLevel_);
    if (av::av_log_set_level)
        av::av_log_set_level(ffmpegLogThreshold);
}

// ---------------------------------------------------------------------------
// FFmpeg's log callback

namespace {

struct TAssembledLine {
    int32_t ThreadId;
    std::string Text;
};

const char* ContextItemName(void* context)
{
    const AVClass* avClass = *static_cast<AVClass**>(context);
    return avClass->item_name ? avClass->item_name(context) : avClass->class_name;
}

// "[parent @ address] [context @ address]", the parent only when the
// context's class names one and it exists.
std::string ContextPrefix(void* context)
{
    const AVClass* avClass = *static_cast<AVClass**>(context);
    if (!avClass)
        return {};
    std::string prefix;
    if (avClass->parent_log_context_offset) {
        void* parent = *reinterpret_cast<void**>(static_cast<uint8_t*>(context) + avClass->parent_log_context_offset);
        if (parent && *static_cast<AVClass**>(parent))
            prefix = Format("[%s @ %p] ", ContextItemName(parent), parent);
    }
    return prefix + Format("[%s @ %p]", ContextItemName(context), context);
}

// The quiet "%s" message with a nil argument only flushes a pending repeat notice.
bool IsFlushMessage(const char* format, va_list args)
{
    if (std::strcmp(format, "%s") != 0)
        return false;
    va_list copy;
    va_copy(copy, args);
    const char* text = va_arg(copy, const char*);
    va_end(copy);
    return text == nullptr;
}

// Formats from a copy of `args` for every attempt, so a long message arrives whole.
std::string FormatMessage(const char* format, va_list args)
{
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (length <= 0)
        return {};
    std::string text(static_cast<size_t>(length), '\0');
    va_copy(copy, args);
    std::vsnprintf(text.data(), text.size() + 1, format, copy);
    va_end(copy);
    return text;
}

// Assembles the calling thread's text into lines; returns the lines to deliver.
std::vector<TAssembledLine> AssembleLines(void* context, const char* format, va_list args)
{
    std::vector<TAssembledLine> lines;
    const int32_t threadId = CurrentThreadId();
    std::string& pending = pendingLines[threadId];
    std::string text;
    if (context && pending.empty())
        text = ContextPrefix(context);
    if (format && !IsFlushMessage(format, args))
        text += FormatMessage(format, args);
    if (!text.empty() && text.back() == '\n' && text == previousLine) {
        ++repeatCount;
        return lines;
    }
    if (repeatCount > 1)
        lines.push_back({threadId, Format("    Last message repeated %d times", repeatCount)});
    repeatCount = 0;
    previousLine = text;
    pending += text;
    for (size_t end = pending.find('\n'); end != std::string::npos; end = pending.find('\n')) {
        lines.push_back({threadId, pending.substr(0, end)});
        pending.erase(0, end + 1);
    }
    return lines;
}

} // namespace

extern "C" void FFmpegLogCallback(void* context, int level, const char* format, va_list args)
{
    if (level > ffmpegLogThreshold)
        return;
    try {
        std::vector<TAssembledLine> lines;
        TFFLogger* logger = nullptr;
        {
            TCriticalSectionGuard guard(lineLock);
            logger = singleton;
            if (!logger || logger->Disabled())
                return;
            lines = AssembleLines(context, format, args);
        }
        for (const TAssembledLine& line : lines)
            logger->LogFFmpegLine(line.ThreadId, level, line.Text);
    } catch (...) {
        // Nothing may unwind into FFmpeg's frames.
    }
}

namespace {

const bool registered = [] {
    RegisterClass<TFFLogger, TFFBaseComponent>("TFFLogger")
        .Property("Active", &TFFLogger::Active, &TFFLogger::SetActive)
        .Default(true)
        .Enum("LogLevel", &TFFLogger::LogLevel, &TFFLogger::SetLogLevel, LogLevelInfo)
        .Default(llInfo)
        .Property("LogFile", &TFFLogger::LogFile, &TFFLogger::SetLogFile)
        .Property("LogToFile", &TFFLogger::LogToFile, &TFFLogger::SetLogToFile)
        .Default(false)
        .Property("TriggerEventInMainThread", &TFFLogger::TriggerEventInMainThread,
                  &TFFLogger::SetTriggerEventInMainThread)
        .Default(true)
        .Event("OnLog", &TFFLogger::OnLog, &TFFLogger::SetOnLog);
    return true;
}();

} // namespace
