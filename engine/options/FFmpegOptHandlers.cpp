// Handlers of the option table that re-issue, rename, check or reject an
// option, and the engine's own options.

#include <cstdlib>
#include <ctime>

#include "engine/binding/AVFormatStubs.h"
#include "engine/binding/AVUtilStubs.h"
#include "engine/libavutil_error.h"
#include "engine/options/FFmpegOpt.h"
#include "platform/core/Strings.h"
#include "platform/core/Types.h"

int32_t TCustomFFmpegOpt::OptNotSupportedIgnore(TOptionsContext*, const std::string& Name, const std::string&)
{
    return Fail(llWarning, Format("options \"%s\" not supported, ignore", Name.c_str()), 0);
}

int32_t TCustomFFmpegOpt::OptNotSupported(TOptionsContext*, const std::string& Name, const std::string&)
{
    return Fail(llError, Format("options \"%s\" not supported", Name.c_str()), AVERROR(EINVAL));
}

int32_t TCustomFFmpegOpt::OptIgnored(TOptionsContext*, const std::string&, const std::string&) { return 0; }

int32_t TCustomFFmpegOpt::OptRemoved(TOptionsContext*, const std::string& Name, const std::string&)
{
    return Fail(llWarning,
                Format("Option \"%s\" was removed. If you are looking for an option to preserve the quality (which is "
                       "not what -%s was for), use -qscale 0 or an equivalent quality factor option.",
                       Name.c_str(), Name.c_str()),
                AVERROR(EINVAL));
}

int32_t TCustomFFmpegOpt::OptLogLevel(TOptionsContext*, const std::string& Name, const std::string& Arg)
{
    return SetLogLevelOption(Name, Arg);
}

int32_t TCustomFFmpegOpt::OptMaxAlloc(TOptionsContext*, const std::string&, const std::string& Arg)
{
    char* tail = nullptr;
    const long long bytes = std::strtoll(Arg.c_str(), &tail, 10);
    if (Arg.empty() || *tail != 0 || bytes < 0)
        return Fail(llFatal, Format("Invalid max_alloc \"%s\".", Arg.c_str()), AVERROR(EINVAL));
    av::av_max_alloc(static_cast<size_t>(bytes));
    return 0;
}

int32_t TCustomFFmpegOpt::OptCpuFlags(TOptionsContext*, const std::string&, const std::string& Arg)
{
    unsigned flags = static_cast<unsigned>(av::av_get_cpu_flags());
    const int32_t result = av::av_parse_cpu_caps(&flags, Arg.c_str());
    if (result < 0)
        return Fail(llFatal,
                    Format("Failed to parse cpu flags \"%s\": %s", Arg.c_str(), GetErrorText("", result).c_str()),
                    result);
    av::av_force_cpu_flags(static_cast<int>(flags));
    return 0;
}

// ---------------------------------------------------------------------------
// Options that stand for other options

int32_t TCustomFFmpegOpt::OptVideoCodec(TOptionsContext* Context, const std::string&, const std::string& Arg)
{
    return ApplyOption(Context, "codec:v", Arg);
}

int32_t TCustomFFmpegOpt::OptAudioCodec(TOptionsContext* Context, const std::string&, const std::string& Arg)
{
    return ApplyOption(Context, "codec:a", Arg);
}

int32_t TCustomFFmpegOpt::OptSubtitleCodec(TOptionsContext* Context, const std::string&, const std::string& Arg)
{
    return ApplyOption(Context, "codec:s", Arg);
}

int32_t TCustomFFmpegOpt::OptDataCodec(TOptionsContext* Context, const std::string&, const std::string& Arg)
{
    return ApplyOption(Context, "codec:d", Arg);
}

int32_t TCustomFFmpegOpt::OptVideoFilters(TOptionsContext* Context, const std::string&, const std::string& Arg)
{
    return ApplyOption(Context, "filter:v", Arg);
}

int32_t TCustomFFmpegOpt::OptAudioFilters(TOptionsContext* Context, const std::string&, const std::string& Arg)
{
    return ApplyOption(Context, "filter:a", Arg);
}

int32_t TCustomFFmpegOpt::OptAudioQscale(TOptionsContext* Context, const std::string&, const std::string& Arg)
{
    return ApplyOption(Context, "q:a", Arg);
}

int32_t TCustomFFmpegOpt::OptVideoFrames(TOptionsContext* Context, const std::string&, const std::string& Arg)
{
    return ApplyOption(Context, "frames:v", Arg);
}

int32_t TCustomFFmpegOpt::OptAudioFrames(TOptionsContext* Context, const std::string&, const std::string& Arg)
{
    return ApplyOption(Context, "frames:a", Arg);
}

int32_t TCustomFFmpegOpt::OptDataFrames(TOptionsContext* Context, const std::string&, const std::string& Arg)
{
    return ApplyOption(Context, "frames:d", Arg);
}

// "vtag" acts as "tag:v", "absf" as "bsf:a" and so on.
int32_t TCustomFFmpegOpt::OptOldToNew(TOptionsContext* Context, const std::string& Name, const std::string& Arg)
{
    return ApplyOption(Context, Name.substr(1) + ":" + Name.substr(0, 1), Arg);
}

int32_t TCustomFFmpegOpt::SetFileCodecOption(TOptionsContext* Context, const char* Key, const std::string& Value)
{
    return av::av_dict_set(InOut(Context->Group->CodecOpts), Key, Value.c_str(), 0) < 0 ? AVERROR(ENOMEM) : 0;
}

int32_t TCustomFFmpegOpt::OptBitrate(TOptionsContext* Context, const std::string& Name, const std::string& Arg)
{
    if (Name != "b")
        return SetFileCodecOption(Context, Name.c_str(), Arg);
    Log(llWarning, "Please use -b:a or -b:v, -b is ambiguous");
    return SetFileCodecOption(Context, "b:v", Arg);
}

int32_t TCustomFFmpegOpt::OptProfile(TOptionsContext* Context, const std::string& Name, const std::string& Arg)
{
    if (Name != "profile")
        return SetFileCodecOption(Context, Name.c_str(), Arg);
    Log(llWarning, "Please use -profile:a or -profile:v, -profile is ambiguous");
    return SetFileCodecOption(Context, "profile:v", Arg);
}

int32_t TCustomFFmpegOpt::OptQscale(TOptionsContext* Context, const std::string& Name, const std::string& Arg)
{
    if (Name != "qscale")
        return ApplyOption(Context, "q" + Name.substr(6), Arg);
    Log(llWarning, "Please use -q:a or -q:v, -qscale is ambiguous");
    return ApplyOption(Context, "q:v", Arg);
}

int32_t TCustomFFmpegOpt::OptTimecode(TOptionsContext* Context, const std::string&, const std::string& Arg)
{
    const int32_t result = ApplyOption(Context, "metadata:g", "timecode=" + Arg);
    if (result < 0)
        return result;
    return SetFileCodecOption(Context, "gop_timecode", Arg);
}

int32_t TCustomFFmpegOpt::OptChannelLayout(TOptionsContext* Context, const std::string& Name, const std::string& Arg)
{
    AVChannelLayout layout{};
    const bool known = av::av_channel_layout_from_string(&layout, Arg.c_str()) >= 0 &&
        layout.order == AV_CHANNEL_ORDER_NATIVE && layout.u.mask != 0;
    const uint64_t mask = known ? layout.u.mask : 0;
    const int32_t channels = layout.nb_channels;
    av::av_channel_layout_uninit(&layout);
    if (!known)
        return Fail(llError, Format("Unknown channel layout: %s", Arg.c_str()), AVERROR(EINVAL));
    int32_t result = OptDefaultNew(Context, Name, Format("%llu", static_cast<unsigned long long>(mask)));
    if (result < 0)
        return result;
    const size_t colon = Name.find(':');
    const std::string channelsOption = "ac" + (colon == std::string::npos ? std::string() : Name.substr(colon));
    return ApplyOption(Context, channelsOption, IntToStr(channels));
}

int32_t TCustomFFmpegOpt::RouteDeprecatedOption(const char* Warning, const char* LibraryName, const std::string& Arg)
{
    Log(llWarning, Warning);
    return FFOptions->SetLibraryOption(LibraryName, Arg);
}

int32_t TCustomFFmpegOpt::OptVideoChannel(TOptionsContext*, const std::string&, const std::string& Arg)
{
    return RouteDeprecatedOption("This option is deprecated, use -channel.", "channel", Arg);
}

int32_t TCustomFFmpegOpt::OptVideoStandard(TOptionsContext*, const std::string&, const std::string& Arg)
{
    return RouteDeprecatedOption("This option is deprecated, use -standard.", "standard", Arg);
}

// ---------------------------------------------------------------------------
// Job settings with their own rules

int32_t TCustomFFmpegOpt::OptVsync(TOptionsContext*, const std::string& Name, const std::string& Arg)
{
    const std::string method = LowerCase(Arg);
    if (method == "cfr")
        VideoSyncMethod = 1;
    else if (method == "vfr")
        VideoSyncMethod = 2;
    else if (method == "passthrough")
        VideoSyncMethod = 0;
    else if (method == "drop")
        VideoSyncMethod = 255;
    if (VideoSyncMethod != -1)
        return 0;
    const int32_t value = ParseIntOption(Name, Arg);
    if (value != -1 && value != 0 && value != 1 && value != 2 && value != 255)
        return Fail(llError, Format("The value for \"%s\" was \"%s\" which is invalid", "vsync", Arg.c_str()),
                    AVERROR(EINVAL));
    VideoSyncMethod = value;
    return 0;
}

int32_t TCustomFFmpegOpt::OptDeinterlace(TOptionsContext*, const std::string& Name, const std::string&)
{
    Log(llWarning, Format("-%s is deprecated, use -filter:v yadif instead", Name.c_str()));
    DoDeinterlace = 1;
    return 0;
}

int32_t TCustomFFmpegOpt::OptFilterComplex(TOptionsContext*, const std::string&, const std::string& Arg)
{
    TFilterGraph* graph = AddFilterGraph();
    graph->Complex = true;
    graph->GraphDesc = Arg;
    return 0;
}

int32_t TCustomFFmpegOpt::OptProgress(TOptionsContext*, const std::string&, const std::string& Arg)
{
    const std::string url = Arg == "-" ? "pipe:" : Arg;
    WriteStartTime = av::av_gettime();
    AVIOContext* output = nullptr;
    const int32_t result = av::avio_open2(&output, url.c_str(), AVIO_FLAG_WRITE, &WriteInterruptCallback, nullptr);
    if (result < 0)
        return Fail(llError,
                    Format("Failed to open progress URL \"%s\": %s", url.c_str(), GetErrorText("", result).c_str()),
                    result);
    if (ProgressAvio)
        av::avio_closep(&ProgressAvio);
    ProgressAvio = output;
    return 0;
}

int32_t TCustomFFmpegOpt::OptRecordingTimestamp(TOptionsContext* Context, const std::string& Name,
                                                const std::string& Arg)
{
    const int64_t microseconds = ParseTimeOption(Name, Arg, false);
    const time_t local = static_cast<time_t>(Round(microseconds / 1000000.0L) + LocalTimeOffsetDays() * 86400);
    tm parts{};
    gmtime_r(&local, &parts);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &parts);
    const int32_t result =
        ApplyOption(Context, "metadata", Format("creation_time=%s %s", stamp, TimeZoneText().c_str()));
    Log(llWarning, Format("%s is deprecated, set the \"creation_time\" metadata tag instead.", Name.c_str()));
    return result;
}

int32_t TCustomFFmpegOpt::OptVstats(TOptionsContext*, const std::string&, const std::string&)
{
    const time_t now = std::time(nullptr);
    tm parts{};
    localtime_r(&now, &parts);
    VStatsFileName = Format("vstats_%.2d%.2d%.2d.log", parts.tm_hour, parts.tm_min, parts.tm_sec);
    return 0;
}

int32_t TCustomFFmpegOpt::OptVstatsFile(TOptionsContext*, const std::string&, const std::string& Arg)
{
    VStatsFileName = Arg;
    return 0;
}

// ---------------------------------------------------------------------------
// The engine's own options

int32_t TCustomFFmpegOpt::ApplySeconds(TOptionsContext* Context, const char* Target, const std::string& Arg)
{
    double seconds = 0;
    try {
        seconds = StrToFloat(Arg);
    } catch (const EConvertError& error) {
        return Fail(llError, error.Message(), AVERROR(EINVAL));
    }
    return ApplyOption(Context, Target, IntToStr(Round(static_cast<long double>(seconds) * 1000000)));
}

int32_t TCustomFFmpegOpt::OptTimeStart(TOptionsContext* Context, const std::string&, const std::string& Arg)
{
    return ApplySeconds(Context, "ss_microsecond", Arg);
}

int32_t TCustomFFmpegOpt::OptTimeLength(TOptionsContext* Context, const std::string&, const std::string& Arg)
{
    return ApplySeconds(Context, "t_microsecond", Arg);
}
