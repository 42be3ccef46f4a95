// Opening an input file of a job: options, the demuxer, one record per
// stream with its decoder, the input duration and attachment dumps.

#include <cstring>
#include <memory>

#include "engine/UnicodeProtocol.h"
#include "engine/binding/AVCodecStubs.h"
#include "engine/binding/AVFormatStubs.h"
#include "engine/binding/AVUtilStubs.h"
#include "engine/libavutil_error.h"
#include "engine/options/FFmpegOpt.h"
#include "engine/transcode/TranscodeUtils.h"
#include "platform/core/Strings.h"

namespace {

// The format context of an input being opened, released unless the job took it.
class TOpeningInput {
public:
    TOpeningInput() = default;
    TOpeningInput(const TOpeningInput&) = delete;
    TOpeningInput& operator=(const TOpeningInput&) = delete;
    ~TOpeningInput()
    {
        if (!context)
            return;
        if (opened)
            CloseInputFile(&context);
        else
            av::avformat_free_context(context);
    }
    AVFormatContext* Release()
    {
        AVFormatContext* result = context;
        context = nullptr;
        return result;
    }
    AVFormatContext* context = nullptr;
    bool opened = false;
};

// The per-stream dictionaries of the stream probe.
class TStreamInfoOptions {
public:
    TStreamInfoOptions(AVFormatContext* Context, const AVDictionary* CodecOpts)
        : options(FindStreamInfoOptions(Context, CodecOpts)), count(Context->nb_streams)
    {}
    TStreamInfoOptions(const TStreamInfoOptions&) = delete;
    TStreamInfoOptions& operator=(const TStreamInfoOptions&) = delete;
    ~TStreamInfoOptions()
    {
        if (!options)
            return;
        for (unsigned i = 0; i < count; ++i)
            av::av_dict_free(&options[i]);
        av::av_freep(&options);
    }
    AVDictionary** options;
    unsigned count;
};

const char* LastValue(const TSpecifierList& List) { return List.back().Value.Str.c_str(); }

bool FormatKnowsOption(const AVInputFormat* InputFormat, const char* Name)
{
    return InputFormat && InputFormat->priv_class &&
        av::av_opt_find(const_cast<AVClass**>(&InputFormat->priv_class), Name, nullptr, 0, AV_OPT_SEARCH_FAKE_OBJ);
}

void SetDemuxerParameters(const TOptionsContext* Context, const AVInputFormat* InputFormat, TDictionaryPtr& Options)
{
    const TSpecifierList& rates = Context->AudioSampleRates;
    if (!rates.empty())
        av::av_dict_set(InOut(Options), "sample_rate", Format("%d", rates.back().Value.I).c_str(), 0);
    const TSpecifierList& channels = Context->AudioChannels;
    if (!channels.empty() && FormatKnowsOption(InputFormat, "channels"))
        av::av_dict_set(InOut(Options), "channels", Format("%d", channels.back().Value.I).c_str(), 0);
    if (!Context->FrameRates.empty() && FormatKnowsOption(InputFormat, "framerate"))
        av::av_dict_set(InOut(Options), "framerate", LastValue(Context->FrameRates), 0);
    if (!Context->FrameSizes.empty())
        av::av_dict_set(InOut(Options), "video_size", LastValue(Context->FrameSizes), 0);
    if (!Context->FramePixFmts.empty())
        av::av_dict_set(InOut(Options), "pixel_format", LastValue(Context->FramePixFmts), 0);
}

// Frees the input streams from index First on; they belong to an input
// whose opening failed.
void DropInputStreams(TCustomFFmpegOpt& Job, int32_t First)
{
    if (First < Job.InputStreamCount())
        Job.InputStreams.resize(First);
}

} // namespace

int32_t TCustomFFmpegOpt::OpenInputFile(TOptionsContext* Context, const std::string& Options,
                                        const std::string& FileName, const std::string& Presets)
{
    int32_t result = ParseOptions(Context, Options, "input file", Presets);
    if (result < 0)
        return result;
    const AVInputFormat* format = nullptr;
    if (Context->Format) {
        format = av::av_find_input_format(Context->Format->c_str());
        if (!format) {
            LastErrorText = Format("Unknown input format: \"%s\"", Context->Format->c_str());
            Logger()->Log(this, llFatal, LastErrorText);
            return AVERROR(EINVAL);
        }
    }
    TOpeningInput input;
    input.context = av::avformat_alloc_context();
    if (!input.context) {
        LastErrorText = "avformat_alloc_context() failed";
        Logger()->Log(this, llFatal, LastErrorText);
        return AVERROR(ENOMEM);
    }
    AVFormatContext* ic = input.context;
    TDictionaryPtr& formatOpts = Context->Group->FormatOpts;
    SetDemuxerParameters(Context, format, formatOpts);

    const struct {
        const char* Letter;
        AVMediaType Type;
        AVCodecID AVFormatContext::*Id;
        const AVCodec* AVFormatContext::*Codec;
    } forced[] = {
        {"v", AVMEDIA_TYPE_VIDEO, &AVFormatContext::video_codec_id, &AVFormatContext::video_codec},
        {"a", AVMEDIA_TYPE_AUDIO, &AVFormatContext::audio_codec_id, &AVFormatContext::audio_codec},
        {"s", AVMEDIA_TYPE_SUBTITLE, &AVFormatContext::subtitle_codec_id, &AVFormatContext::subtitle_codec},
    };
    for (const auto& f : forced) {
        const char* name = nullptr;
        MatchTypeCodecName(Context, ic, f.Letter, name);
        const AVCodec* codec = name ? FindCodec(name, f.Type, false) : nullptr;
        ic->*f.Codec = codec;
        ic->*f.Id = codec ? codec->id : AV_CODEC_ID_NONE;
    }

    ic->flags |= AVFMT_FLAG_NONBLOCK;
    ic->interrupt_callback = ReadInterruptCallback;
    ReadStartTime = av::av_gettime();
    const std::string ffmpegName = ToFFmpegFileName(FileName);
    result = ::OpenInputFile(&input.context, ffmpegName.c_str(), format, InOut(formatOpts));
    ic = input.context;
    if (result < 0) {
        LastErrorText = GetErrorText(FileName, result);
        Logger()->Log(this, llFatal, LastErrorText);
        return result;
    }
    input.opened = true;
    CheckOptionsUsed(formatOpts.get());

    for (unsigned i = 0; i < ic->nb_streams; ++i)
        ChooseDecoder(Context, ic, ic->streams[i]);
    TStreamInfoOptions probeOptions(ic, Context->Group->CodecOpts.get());
    if (OnBeforeFindStreamInfo)
        OnBeforeFindStreamInfo(this, ic);
    ReadStartTime = av::av_gettime();
    result = av::avformat_find_stream_info(ic, probeOptions.options);
    if (result < 0) {
        LastErrorText = Format("%s: could not find codec parameters", FileName.c_str());
        Logger()->Log(this, llFatal, LastErrorText);
        return result;
    }

    int64_t timestamp = Context->StartTime;
    if (ic->start_time != AV_NOPTS_VALUE)
        timestamp += ic->start_time;
    if (Context->StartTime != 0) {
        ReadStartTime = av::av_gettime();
        if (av::avformat_seek_file(ic, -1, INT64_MIN, timestamp, timestamp, 0) < 0)
            Logger()->Log(
                this, llWarning,
                Format("%s: could not seek to position %0.3f", FileName.c_str(), double(timestamp) / AV_TIME_BASE));
    }

    const int32_t firstStream = InputStreamCount();
    try {
        AddInputStreams(Context, ic);
    } catch (...) {
        DropInputStreams(*this, firstStream);
        throw;
    }
    av::av_dump_format(ic, InputFileCount(), FileName.c_str(), 0);

    if (ic->duration != AV_NOPTS_VALUE && ic->duration - Context->StartTime > InputDuration)
        InputDuration = ic->duration - Context->StartTime;

    std::unique_ptr<TInputFile> file;
    try {
        file = std::make_unique<TInputFile>();
        InputFiles.reserve(InputFiles.size() + 1);
    } catch (...) {
        DropInputStreams(*this, firstStream);
        throw;
    }
    file->Ctx.reset(input.Release());
    file->IstIndex = InputStreamCount() - static_cast<int32_t>(ic->nb_streams);
    file->NbStreams = static_cast<int32_t>(ic->nb_streams);
    file->RateEmu = Context->RateEmu;
    file->TsOffset = CopyTs ? Context->InputTsOffset : Context->InputTsOffset - timestamp;
    file->StartTime = Context->StartTime;
    InputFiles.push_back(std::move(file));

    for (const TSpecifierOpt& entry : Context->DumpAttachments)
        for (unsigned j = 0; j < ic->nb_streams; ++j)
            if (MatchStreamSpecifier(ic, ic->streams[j], entry.Specifier.c_str()) == 1)
                DumpAttachment(ic->streams[j], entry.Value.Str);
    return InputFileCount() - 1;
}

void TCustomFFmpegOpt::AddInputStreams(TOptionsContext* Context, AVFormatContext* FormatContext)
{
    for (unsigned i = 0; i < FormatContext->nb_streams; ++i) {
        AVStream* st = FormatContext->streams[i];
        TInputStream* ist = InputStreams.emplace_back(std::make_unique<TInputStream>()).get();
        ist->St = st;
        ist->FileIndex = InputFileCount();
        ist->Discard = 1;
        st->discard = AVDISCARD_ALL;

        ist->TsScale = 1.0;
        MatchStreamOption(Context->TsScales, FormatContext, st, ist->TsScale);
        const char* tag = nullptr;
        MatchStreamOption(Context->CodecTags, FormatContext, st, tag);
        if (tag)
            st->codecpar->codec_tag = CodecTagFromText(tag);

        ist->Dec = ChooseDecoder(Context, FormatContext, st);
        ist->Opts =
            FilterCodecOptions(Context->Group->CodecOpts.get(), st->codecpar->codec_id, FormatContext, st, ist->Dec);
        ist->ReinitFilters = -1;
        MatchStreamOption(Context->ReinitFilters, FormatContext, st, ist->ReinitFilters);
        ist->FilterInRescaleDeltaLast = AV_NOPTS_VALUE;

        ist->DecCtx.reset(av::avcodec_alloc_context3(ist->Dec));
        if (!ist->DecCtx)
            RaiseError("Error allocating the decoder context.");
        if (av::avcodec_parameters_to_context(ist->DecCtx.get(), st->codecpar) < 0)
            RaiseError("Error initializing the decoder context.");
        ist->DecCtx->pkt_timebase = st->time_base;

        AVCodecContext* dec = ist->DecCtx.get();
        switch (st->codecpar->codec_type) {
        case AVMEDIA_TYPE_VIDEO: {
            if (!ist->Dec)
                ist->Dec = av::avcodec_find_decoder(st->codecpar->codec_id);
            ist->ResampleHeight = dec->height;
            ist->ResampleWidth = dec->width;
            ist->ResamplePixFmt = dec->pix_fmt;
            const char* rate = nullptr;
            MatchStreamOption(Context->FrameRates, FormatContext, st, rate);
            if (rate && av::av_parse_video_rate(&ist->Framerate, rate) < 0)
                RaiseErrorFmt("Error parsing framerate %s.", rate);
            ist->TopFieldFirst = -1;
            MatchStreamOption(Context->TopFieldFirst, FormatContext, st, ist->TopFieldFirst);
            break;
        }
        case AVMEDIA_TYPE_AUDIO:
            ist->GuessLayoutMax = INT32_MAX;
            MatchStreamOption(Context->GuessLayoutMax, FormatContext, st, ist->GuessLayoutMax);
            GuessInputChannelLayout(ist, InputFileCount());
            ist->ResampleSampleFmt = dec->sample_fmt;
            ist->ResampleSampleRate = dec->sample_rate;
            ist->ResampleChannels = dec->ch_layout.nb_channels;
            ist->ResampleChannelLayout = dec->ch_layout.order == AV_CHANNEL_ORDER_NATIVE ? dec->ch_layout.u.mask : 0;
            break;
        case AVMEDIA_TYPE_DATA:
        case AVMEDIA_TYPE_SUBTITLE:
            if (!ist->Dec)
                ist->Dec = av::avcodec_find_decoder(st->codecpar->codec_id);
            MatchStreamOption(Context->FixSubDuration, FormatContext, st, ist->FixSubDuration);
            break;
        default: break;
        }
    }
}

const AVCodec* TCustomFFmpegOpt::ChooseDecoder(TOptionsContext* Context, AVFormatContext* FormatContext,
                                               AVStream* Stream)
{
    const char* name = nullptr;
    MatchStreamOption(Context->CodecNames, FormatContext, Stream, name);
    if (!name)
        return av::avcodec_find_decoder(Stream->codecpar->codec_id);
    const AVCodec* codec = FindCodec(name, Stream->codecpar->codec_type, false);
    Stream->codecpar->codec_id = codec->id;
    return codec;
}

const AVCodec* TCustomFFmpegOpt::FindCodec(const std::string& Name, AVMediaType MediaType, bool Encoder)
{
    const char* kind = Encoder ? "encoder" : "decoder";
    const AVCodec* codec =
        Encoder ? av::avcodec_find_encoder_by_name(Name.c_str()) : av::avcodec_find_decoder_by_name(Name.c_str());
    if (!codec) {
        if (const AVCodecDescriptor* descriptor = av::avcodec_descriptor_get_by_name(Name.c_str())) {
            codec = Encoder ? av::avcodec_find_encoder(descriptor->id) : av::avcodec_find_decoder(descriptor->id);
            if (codec)
                Logger()->Log(this, llVerbose,
                              Format("Matched %s \"%s\" for codec \"%s\".", kind, codec->name, descriptor->name));
        }
    }
    if (!codec)
        RaiseErrorFmt("Unknown %s \"%s\"", kind, Name.c_str());
    if (codec->type != MediaType)
        RaiseErrorFmt("Invalid %s type \"%s\"", kind, Name.c_str());
    return codec;
}

void TCustomFFmpegOpt::DumpAttachment(AVStream* Stream, const std::string& FileName)
{
    const AVCodecParameters* par = Stream->codecpar;
    if (!par->extradata) {
        Logger()->Log(this, llWarning,
                      Format("No extradata to dump in stream #%d:%d.", InputFileCount() - 1, Stream->index));
        return;
    }
    std::string name = FileName;
    if (name.empty()) {
        if (const AVDictionaryEntry* tag = av::av_dict_get(Stream->metadata, "filename", nullptr, 0))
            name = tag->value;
    }
    if (name.empty())
        RaiseErrorFmt("No filename specified and no \"filename\" tag in stream #%d:%d.", InputFileCount() - 1,
                      Stream->index);
    if (!CheckFileOverwrite(name))
        return;
    WriteStartTime = av::av_gettime();
    AVIOContext* out = nullptr;
    if (OpenOutputIO(&out, ToFFmpegFileName(name).c_str(), AVIO_FLAG_WRITE, &WriteInterruptCallback, nullptr) < 0) {
        Logger()->Log(this, llError, Format("Could not open file %s for writing.", name.c_str()));
        return;
    }
    WriteStartTime = av::av_gettime();
    av::avio_write(out, par->extradata, par->extradata_size);
    av::avio_flush(out);
    CloseOutputIO(&out);
}

bool TCustomFFmpegOpt::CheckFileOverwrite(const std::string& FileName)
{
    if (FileOverwrite && !NoFileOverwrite)
        return true;
    const bool isProtocol = FileName.find(':') != std::string::npos && (FileName.size() < 2 || FileName[1] != ':') &&
        FileName.compare(0, 5, "file:") != 0;
    if (isProtocol)
        return true;
    if (av::avio_check(ToFFmpegFileName(FileName).c_str(), 0) < 0)
        return true;
    LastErrorText = Format("File \"%s\" already exists. Ignore.", FileName.c_str());
    Logger()->Log(this, llWarning, LastErrorText);
    return false;
}
