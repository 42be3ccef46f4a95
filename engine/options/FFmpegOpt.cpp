// The option layer of a conversion job: settings, errors, interrupt checks
// and the options context of the file being opened.

#include "engine/options/FFmpegOpt.h"

#include <cstdarg>

#include "engine/binding/AVFormatStubs.h"
#include "engine/binding/AVUtilStubs.h"
#include "engine/libavutil_error.h"
#include "platform/core/Strings.h"

TCustomFFmpegOpt::TCustomFFmpegOpt() : FFOptions(std::make_unique<TFFOptions>())
{
    ReadInterruptCallback = AVIOInterruptCB{&TCustomFFmpegOpt::ReadInterrupt, this};
    WriteInterruptCallback = AVIOInterruptCB{&TCustomFFmpegOpt::WriteInterrupt, this};
}

TCustomFFmpegOpt::~TCustomFFmpegOpt()
{
    if (ProgressAvio)
        av::avio_closep(&ProgressAvio);
}

TFilterGraph* TCustomFFmpegOpt::AddFilterGraph()
{
    auto& graph = FilterGraphs.emplace_back(std::make_unique<TFilterGraph>());
    graph->Index = FilterGraphCount() - 1;
    return graph.get();
}

void TCustomFFmpegOpt::Log(TLogLevel Level, const std::string& Msg) { Logger()->Log(this, Level, Msg); }

int32_t TCustomFFmpegOpt::Fail(TLogLevel Level, const std::string& Msg, int32_t Result)
{
    OptionErrorText = Msg;
    Log(Level, Msg);
    return Result;
}

// ---------------------------------------------------------------------------
// Errors

void TCustomFFmpegOpt::RaiseError(const std::string& Msg)
{
    LastErrorText = Msg;
    Log(llFatal, Msg);
    throw FFmpegException(Msg);
}

void TCustomFFmpegOpt::RaiseErrorFmt(const char* Fmt, ...)
{
    va_list args;
    va_start(args, Fmt);
    const std::string msg = FormatV(Fmt, args);
    va_end(args);
    RaiseError(msg);
}

void TCustomFFmpegOpt::CheckOptionsUsed(const AVDictionary* Opts)
{
    const AVDictionaryEntry* entry = av::av_dict_get(Opts, "", nullptr, AV_DICT_IGNORE_SUFFIX);
    if (!entry)
        return;
    if (StrictOptions)
        RaiseErrorFmt("Option %s not found.", entry->key);
    LastErrorText = Format("Option %s not found.", entry->key);
}

void TCustomFFmpegOpt::AbortCodecExperimental([[maybe_unused]] const AVCodec* Codec, [[maybe_unused]] bool Encoder)
{
    RaiseError("abort codec experimental");
}

// ---------------------------------------------------------------------------
// Interrupt checks

namespace {

// An OnLog handler may raise (re-raised through Synchronize); the answer stands regardless.
void LogInterrupt(TCustomFFmpegOpt* Job, const std::string& Text) noexcept
{
    try {
        Logger()->Log(Job, llInfo, Text);
    } catch (...) {}
}

int CheckInterrupt(TCustomFFmpegOpt* Job, int64_t Stamp, int32_t Timeout, const char* Direction, bool HonourAbort)
{
    if (HonourAbort && Job->Aborted) {
        LogInterrupt(Job, "reading/writing broken");
        return 1;
    }
    if (Stamp == INT64_MAX || Timeout <= 0)
        return 0;
    const int64_t elapsed = av::av_gettime() - Stamp;
    if (int64_t(Timeout) * 1000 >= elapsed)
        return 0;
    LogInterrupt(Job, Format("connecting/%s %s", Direction, Stamp != 0 ? "timeout" : "canceled"));
    return 1;
}

} // namespace

// FFmpeg calls these from its C frames: nothing may unwind into them. A
// check that fails in itself interrupts, which is safe for any I/O.
int TCustomFFmpegOpt::ReadInterrupt(void* Opaque)
{
    try {
        auto* job = static_cast<TCustomFFmpegOpt*>(Opaque);
        return CheckInterrupt(job, job->ReadStartTime, job->ReadTimeout, "reading", true);
    } catch (...) {
        return 1;
    }
}

int TCustomFFmpegOpt::WriteInterrupt(void* Opaque)
{
    try {
        auto* job = static_cast<TCustomFFmpegOpt*>(Opaque);
        return CheckInterrupt(job, job->WriteStartTime, job->WriteTimeout, "writing", !job->Finishing);
    } catch (...) {
        return 1;
    }
}

// ---------------------------------------------------------------------------
// Options context

void TCustomFFmpegOpt::InitOptionsContext(TOptionsContext* Context)
{
    *Context = TOptionsContext{};
    Context->StartTime = 0;
    Context->RecordingTime = INT64_MAX;
    Context->StopTime = INT64_MAX;
    Context->LimitFileSize = INT64_MAX;
    Context->MuxMaxDelay = 0.7f;
    Context->ChaptersInputFile = INT32_MAX;
    FFOptions->Reset();
    Context->Group = &FFOptions->FileGroup;
}

void TCustomFFmpegOpt::FreeOptionsContext(TOptionsContext* Context)
{
    FFOptions->FreeGroups();
    *Context = TOptionsContext{};
}

// ---------------------------------------------------------------------------
// Per-stream lookups

namespace {

template <typename T, typename Read>
void MatchEntries(TCustomFFmpegOpt& Job, const TSpecifierList& List, AVFormatContext* FormatContext, AVStream* Stream,
                  T& Value, Read ReadValue)
{
    for (const TSpecifierOpt& entry : List) {
        const int32_t match = MatchStreamSpecifier(FormatContext, Stream, entry.Specifier.c_str());
        if (match > 0)
            Value = ReadValue(entry.Value);
        if (match < 0)
            Job.RaiseError(GetErrorText("check_stream_specifier", match));
    }
}

} // namespace

void TCustomFFmpegOpt::MatchStreamOption(const TSpecifierList& List, AVFormatContext* FormatContext, AVStream* Stream,
                                         const char*& Value)
{
    MatchEntries(*this, List, FormatContext, Stream, Value, [](const TSpecifierValue& v) { return v.Str.c_str(); });
}

void TCustomFFmpegOpt::MatchStreamOption(const TSpecifierList& List, AVFormatContext* FormatContext, AVStream* Stream,
                                         int32_t& Value)
{
    MatchEntries(*this, List, FormatContext, Stream, Value, [](const TSpecifierValue& v) { return v.I; });
}

void TCustomFFmpegOpt::MatchStreamOption(const TSpecifierList& List, AVFormatContext* FormatContext, AVStream* Stream,
                                         int64_t& Value)
{
    MatchEntries(*this, List, FormatContext, Stream, Value, [](const TSpecifierValue& v) { return v.I64; });
}

void TCustomFFmpegOpt::MatchStreamOption(const TSpecifierList& List, AVFormatContext* FormatContext, AVStream* Stream,
                                         double& Value)
{
    MatchEntries(*this, List, FormatContext, Stream, Value, [](const TSpecifierValue& v) { return v.Dbl; });
}

void TCustomFFmpegOpt::MatchTypeCodecName(const TOptionsContext* Context,
                                          [[maybe_unused]] AVFormatContext* FormatContext, const char* TypeLetter,
                                          const char*& Name)
{
    for (const TSpecifierOpt& entry : Context->CodecNames)
        if (entry.Specifier == TypeLetter)
            Name = entry.Value.Str.c_str();
}
