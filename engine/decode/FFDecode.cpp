#include "engine/decode/FFDecode.h"

#include <cstdarg>

#include "engine/MyUtils.h"
#include "engine/UnicodeProtocol.h"
#include "engine/binding/AVCodecStubs.h"
#include "engine/binding/AVFormatStubs.h"
#include "engine/binding/AVUtilStubs.h"
#include "engine/binding/FFLoad.h"
#include "platform/core/ClassRegistry.h"

namespace {

// A stream's time base with a zero denominator, repaired in place: the
// numerator takes its place, or 1.
AVRational RepairedTimeBase(AVStream* stream)
{
    AVRational& timeBase = stream->time_base;
    if (timeBase.den == 0)
        timeBase.den = timeBase.num;
    if (timeBase.den == 0)
        timeBase.den = 1;
    return timeBase;
}

int64_t ToMicroseconds(int64_t value, AVRational timeBase)
{
    return value == AV_NOPTS_VALUE ? -1 : av::av_rescale_q(value, timeBase, AV_TIME_BASE_Q);
}

std::string CodecNameOf(const AVCodecParameters* parameters)
{
    AVCodecContext* context = av::avcodec_alloc_context3(nullptr);
    if (!context)
        return "";
    context->codec_id = parameters->codec_id;
    context->codec_tag = parameters->codec_tag;
    std::string name = CodecNameText(context, false);
    av::avcodec_free_context(&context);
    return name;
}

// The fields that audio and video records share.
template <class TStreamInfo>
void FillCommonStreamInfo(AVStream* stream, TStreamInfo& info)
{
    const AVRational timeBase = RepairedTimeBase(stream);
    info.Language = DictValueOrDefault(stream->metadata, "language", "");
    info.CodecName = CodecNameOf(stream->codecpar);
    info.StartTime = stream->start_time;
    info.StartTimeUs = ToMicroseconds(stream->start_time, timeBase);
    info.Duration = stream->duration;
    info.DurationUs = ToMicroseconds(stream->duration, timeBase);
    info.BitRate = static_cast<int32_t>(stream->codecpar->bit_rate);
}

float AspectOf(AVRational ratio) { return ratio.num == 0 ? 0.0f : static_cast<float>(RationalToDouble(ratio)); }

int32_t DecimalTag(const AVDictionary* metadata, const char* key)
{
    int32_t value = 0;
    return TryStrToInt(DictValueOrDefault(metadata, key, ""), value) ? value : 0;
}

const char* MediaKindName(AVMediaType type) { return type == AVMEDIA_TYPE_AUDIO ? "audio" : "video"; }

} // namespace

extern "C" int DecoderIOInterrupt(void* decoder)
{
    try {
        auto* self = static_cast<TCustomDecoder*>(decoder);
        const int64_t openTime = self->OpenTime();
        if (openTime == INT64_MAX || self->ReadTimeout <= 0)
            return 0;
        if (av::av_gettime() - openTime <= static_cast<int64_t>(self->ReadTimeout) * 1000)
            return 0;
        Logger()->Log(self, llInfo, openTime == 0 ? "connecting/reading canceled" : "connecting/reading timeout");
        return 1;
    } catch (...) {
        // Nothing may unwind into FFmpeg's frames; an aborted I/O is safe.
        return 1;
    }
}

// The stream figures start as "no file" (-1) from their initialisers: a
// constructor cannot reach an override of UpdateStreamInfo.
TCustomDecoder::TCustomDecoder(TComponent* owner) : TFFBaseComponent(owner) {}

TCustomDecoder::~TCustomDecoder() { TCustomDecoder::CloseFile(); }

void TCustomDecoder::SetLastError(TLogLevel level, const std::string& text)
{
    lastErrorText_ = text;
    Logger()->Log(this, level, text);
}

void TCustomDecoder::SetLastErrorFmt(TLogLevel level, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const std::string text = FormatV(format, args);
    va_end(args);
    SetLastError(level, text);
}

void TCustomDecoder::RestartIOClock() { openTime_ = av::av_gettime(); }

bool TCustomDecoder::LoadFile(const std::string& fileName, const std::string& formatName)
{
    FFLoader.CheckLibraries(DecoderLibraries);
    CloseFile();
    if (!options_.SwsOpts)
        options_.InitContexts();
    const AVInputFormat* format = nullptr;
    if (!formatName.empty()) {
        format = av::av_find_input_format(formatName.c_str());
        if (!format) {
            SetLastErrorFmt(llError, "Unknown input format: %s", formatName.c_str());
            return FailOpen(lastErrorText_);
        }
    }
    if (!OpenInput(fileName, format) || !FindStreamInfo(fileName))
        return false;
    if (formatContext_->pb) {
        formatContext_->pb->eof_reached = 0;
        formatContext_->pb->error = 0;
    }
    UpdateStreamInfo();
    TakeScalerFlags();
    options_.InitContexts();
    forcedFormatName_ = formatName;
    return true;
}

bool TCustomDecoder::FailOpen(const std::string& text)
{
    lastErrorText_ = text;
    options_.InitContexts();
    CloseFile();
    return false;
}

bool TCustomDecoder::OpenInput(const std::string& fileName, const AVInputFormat* format)
{
    ownContext_.reset(av::avformat_alloc_context());
    formatContext_ = ownContext_.get();
    if (!formatContext_)
        return FailOpen(GetErrorText(fileName, AVERROR(ENOMEM)));
    formatContext_->interrupt_callback = {DecoderIOInterrupt, this};
    RestartIOClock();
    const std::string name = ToFFmpegFileName(fileName);
    // On failure FFmpeg frees the context and clears the pointer.
    const int result = OpenInputFile(InOut(ownContext_), name.c_str(), format, InOut(options_.FormatOpts));
    formatContext_ = ownContext_.get();
    if (result < 0)
        return FailOpen(GetErrorText(fileName, result));
    LogUnusedFormatOptions();
    // Reads give "try again" at once instead of waiting for a slow source.
    formatContext_->flags |= AVFMT_FLAG_NONBLOCK;
    CallBeforeFindStreamInfo();
    return true;
}

void TCustomDecoder::LogUnusedFormatOptions()
{
    const AVDictionaryEntry* entry = nullptr;
    while ((entry = av::av_dict_get(options_.FormatOpts.get(), "", entry, AV_DICT_IGNORE_SUFFIX)))
        Logger()->LogFmt(this, llError, "Option %s not found, ignored.", entry->key);
}

void TCustomDecoder::CallBeforeFindStreamInfo()
{
    if (!onBeforeFindStreamInfo_)
        return;
    AVFormatContext* context = formatContext_;
    const auto call = [this, context] { onBeforeFindStreamInfo_(this, context); };
    if (triggerEventInMainThread_)
        MainThreadCall(call);
    else
        call();
}

bool TCustomDecoder::FindStreamInfo(const std::string& fileName)
{
    AVDictionary** streamOptions = FindStreamInfoOptions(formatContext_, options_.CodecOpts.get());
    const unsigned streamCount = formatContext_->nb_streams;
    RestartIOClock();
    const int result = av::avformat_find_stream_info(formatContext_, streamOptions);
    if (streamOptions) {
        for (unsigned i = 0; i < streamCount; ++i)
            av::av_dict_free(&streamOptions[i]);
        av::av_freep(&streamOptions);
    }
    if (result < 0)
        return FailOpen(Format("%s: could not find codec parameters", fileName.c_str()));
    return true;
}

void TCustomDecoder::TakeScalerFlags()
{
    int64_t flags = -1;
    if (options_.SwsOpts && av::av_opt_get_int(options_.SwsOpts, "sws_flags", 0, &flags) >= 0 && flags >= 0)
        ApplyScalerFlags(flags);
}

void TCustomDecoder::CloseFile()
{
    forcedFormatName_.clear();
    if (!formatContext_)
        return;
    ownContext_.reset();
    formatContext_ = nullptr;
    UpdateStreamInfo();
}

void TCustomDecoder::AttachFormatContext(AVFormatContext* context)
{
    if (context == formatContext_)
        return;
    FFLoader.CheckLibraries(DecoderLibraries);
    CloseFile();
    formatContext_ = context;
    UpdateStreamInfo();
}

int64_t TCustomDecoder::ComputeFileSize() const
{
    const AVInputFormat* format = formatContext_->iformat;
    if (format && (format->flags & AVFMT_NOFILE))
        return 0;
    int64_t size = formatContext_->pb ? av::avio_size(formatContext_->pb) : 0;
    if (size > 0)
        return size;
    // Some I/O contexts report no size: ask the file on disk.
    const std::string fileName = formatContext_->url ? FromFFmpegFileName(formatContext_->url) : "";
    size = fileName.empty() ? -1 : FileSizeWide(fileName);
    return size > 0 ? size : 0;
}

void TCustomDecoder::UpdateStreamInfo()
{
    fileSize_ = -1;
    streamCount_ = programCount_ = -1;
    audioStreamCount_ = videoStreamCount_ = subtitleStreamCount_ = -1;
    firstAudioStreamIndex_ = firstVideoStreamIndex_ = firstSubtitleStreamIndex_ = -1;
    if (!formatContext_)
        return;
    fileSize_ = ComputeFileSize();
    streamCount_ = static_cast<int32_t>(formatContext_->nb_streams);
    programCount_ = static_cast<int32_t>(formatContext_->nb_programs);
    audioStreamCount_ = videoStreamCount_ = subtitleStreamCount_ = 0;
    for (int32_t i = 0; i < streamCount_; ++i) {
        switch (formatContext_->streams[i]->codecpar->codec_type) {
        case AVMEDIA_TYPE_VIDEO:
            ++videoStreamCount_;
            if (firstVideoStreamIndex_ < 0)
                firstVideoStreamIndex_ = i;
            break;
        case AVMEDIA_TYPE_AUDIO:
            ++audioStreamCount_;
            if (firstAudioStreamIndex_ < 0)
                firstAudioStreamIndex_ = i;
            break;
        case AVMEDIA_TYPE_SUBTITLE:
            ++subtitleStreamCount_;
            if (firstSubtitleStreamIndex_ < 0)
                firstSubtitleStreamIndex_ = i;
            break;
        default: break;
        }
    }
}

bool TCustomDecoder::IsVideoStream(int32_t streamIndex) const
{
    return formatContext_ && streamIndex >= 0 && streamIndex < static_cast<int32_t>(formatContext_->nb_streams) &&
        formatContext_->streams[streamIndex]->codecpar->codec_type == AVMEDIA_TYPE_VIDEO;
}

std::string TCustomDecoder::GetInputFormatName()
{
    if (!formatContext_) {
        SetLastError(llWarning, "file not loaded.");
        return "";
    }
    return formatContext_->iformat ? formatContext_->iformat->name : "";
}

AVStream* TCustomDecoder::ChooseStream(int32_t streamIndex, AVMediaType type)
{
    if (!formatContext_) {
        SetLastError(llWarning, "file not loaded.");
        return nullptr;
    }
    if (streamIndex < 0) {
        streamIndex = type == AVMEDIA_TYPE_AUDIO ? firstAudioStreamIndex_ : firstVideoStreamIndex_;
        if (streamIndex < 0) {
            SetLastErrorFmt(llError, "no %s stream.", MediaKindName(type));
            return nullptr;
        }
    }
    if (streamIndex >= static_cast<int32_t>(formatContext_->nb_streams)) {
        SetLastErrorFmt(llError, "stream index #%d is invalid.", streamIndex);
        return nullptr;
    }
    AVStream* stream = formatContext_->streams[streamIndex];
    if (stream->codecpar->codec_type != type) {
        SetLastErrorFmt(llError, "stream #%d is not %s stream.", streamIndex, MediaKindName(type));
        return nullptr;
    }
    return stream;
}

void TCustomDecoder::GetFileStreamInfo(TFileStreamInfo& info)
{
    info = TFileStreamInfo();
    if (!formatContext_) {
        SetLastError(llWarning, "file not loaded.");
        return;
    }
    const AVDictionary* tags = formatContext_->metadata;
    info.StartTime = formatContext_->start_time;
    info.Duration = formatContext_->duration == AV_NOPTS_VALUE ? -1 : formatContext_->duration;
    info.BitRate = static_cast<int32_t>(formatContext_->bit_rate);
    info.Year = DecimalTag(tags, "year");
    info.Track = DecimalTag(tags, "track");
    info.Title = DictValueOrDefault(tags, "title", "");
    info.Author = DictValueOrDefault(tags, "author", "");
    info.Copyright = DictValueOrDefault(tags, "copyright", "");
    info.Comment = DictValueOrDefault(tags, "comment", "");
    info.Album = DictValueOrDefault(tags, "album", "");
    info.Genre = DictValueOrDefault(tags, "genre", "");
}

void TCustomDecoder::GetAudioStreamInfo(int32_t streamIndex, TAudioStreamInfo& info)
{
    info = TAudioStreamInfo();
    AVStream* stream = ChooseStream(streamIndex, AVMEDIA_TYPE_AUDIO);
    if (!stream)
        return;
    FillCommonStreamInfo(stream, info);
    const AVCodecParameters* parameters = stream->codecpar;
    info.Channels = parameters->ch_layout.nb_channels;
    info.SampleRate = parameters->sample_rate;
    info.SampleFormat = parameters->format;
}

void TCustomDecoder::GetVideoStreamInfo(int32_t streamIndex, TVideoStreamInfo& info)
{
    info = TVideoStreamInfo();
    AVStream* stream = ChooseStream(streamIndex, AVMEDIA_TYPE_VIDEO);
    if (!stream)
        return;
    FillCommonStreamInfo(stream, info);
    const AVCodecParameters* parameters = stream->codecpar;
    info.Height = parameters->height;
    info.Width = parameters->width;
    info.SampleAspectRatio =
        stream->sample_aspect_ratio.num != 0 ? stream->sample_aspect_ratio : parameters->sample_aspect_ratio;
    info.PixelAspect = AspectOf(info.SampleAspectRatio);
    if (info.SampleAspectRatio.num != 0) {
        av::av_reduce(&info.DisplayAspectRatio.num, &info.DisplayAspectRatio.den,
                      static_cast<int64_t>(info.SampleAspectRatio.num) * info.Width,
                      static_cast<int64_t>(info.SampleAspectRatio.den) * info.Height, 1048576);
        info.DisplayAspect = static_cast<float>(RationalToDouble(info.DisplayAspectRatio));
    }
    info.PixelFormat = parameters->format;
    const AVRational average = stream->avg_frame_rate;
    info.FrameRate = average.num != 0 && average.den != 0 ? average : stream->r_frame_rate;
}

void TCustomDecoder::GetFirstVideoStreamInfo(TVideoStreamInfo& info) { GetVideoStreamInfo(-1, info); }

namespace {

const bool registered = [] {
    RegisterClass<TCustomDecoder, TFFBaseComponent>("TCustomDecoder")
        .Property("TriggerEventInMainThread", &TCustomDecoder::TriggerEventInMainThread,
                  &TCustomDecoder::SetTriggerEventInMainThread)
        .Default(true)
        .Event("OnBeforeFindStreamInfo", &TCustomDecoder::OnBeforeFindStreamInfo,
               &TCustomDecoder::SetOnBeforeFindStreamInfo);
    return true;
}();

} // namespace
