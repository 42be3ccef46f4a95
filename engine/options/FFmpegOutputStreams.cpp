// The streams of an output file: the FFmpeg stream, the encoder and the
// per-stream settings that the output's options give.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/binding/AVCodecStubs.h"
#include "engine/binding/AVFormatStubs.h"
#include "engine/binding/AVUtilStubs.h"
#include "engine/options/FFmpegOpt.h"
#include "engine/transcode/TranscodeUtils.h"
#include "platform/core/Strings.h"

namespace {

// The filters named in Text (separated by ","), chained in the order
// written; every name is checked before anything is built.
TBitstreamFilterPtr BuildBitstreamFilters(TCustomFFmpegOpt& Job, const char* Text)
{
    const std::vector<std::string> names = SplitString(Text, ',');
    for (const std::string& name : names)
        if (!av::av_bsf_get_by_name(name.c_str()))
            Job.RaiseErrorFmt("Unknown bitstream filter \"%s\"", name.c_str());
    AVBSFList* list = av::av_bsf_list_alloc();
    AVBSFContext* chain = nullptr;
    bool built = list != nullptr;
    for (const std::string& name : names)
        if (built)
            built = av::av_bsf_list_append2(list, name.c_str(), nullptr) >= 0;
    if (built)
        built = av::av_bsf_list_finalize(&list, &chain) >= 0;
    if (list)
        av::av_bsf_list_free(&list);
    if (!built)
        Job.RaiseError("Could not allocate the bitstream filters.");
    return TBitstreamFilterPtr(chain);
}

void ParseRcOverrides(TCustomFFmpegOpt& Job, AVCodecContext* Context, const char* Text)
{
    const char* p = Text;
    int32_t count = 0;
    for (; p; ++count) {
        int start = 0;
        int end = 0;
        int q = 0;
        if (std::sscanf(p, "%d,%d,%d", &start, &end, &q) != 3)
            Job.RaiseError("error parsing rc_override");
        auto* overrides =
            static_cast<RcOverride*>(av::av_realloc_array(Context->rc_override, count + 1, sizeof(RcOverride)));
        if (!overrides)
            Job.RaiseError("error parsing rc_override");
        Context->rc_override = overrides;
        RcOverride& entry = overrides[count];
        entry.start_frame = start;
        entry.end_frame = end;
        entry.qscale = q > 0 ? q : 0;
        entry.quality_factor = q > 0 ? 1.0f : -q / 100.0f;
        Context->rc_override_count = count + 1;
        p = std::strchr(p, '/');
        if (p)
            ++p;
    }
}

} // namespace

TOutputStream* TCustomFFmpegOpt::NewOutputStream(TOptionsContext* Context, AVFormatContext* FormatContext,
                                                 AVMediaType MediaType, int32_t SourceIndex)
{
    AVStream* st = av::avformat_new_stream(FormatContext, nullptr);
    if (!st)
        RaiseError("Could not alloc stream.");
    const int32_t index = static_cast<int32_t>(FormatContext->nb_streams) - 1;
    if (static_cast<size_t>(index) < Context->StreamIdMap.size())
        st->id = Context->StreamIdMap[index];

    TOutputStream* ost = OutputStreams.emplace_back(std::make_unique<TOutputStream>()).get();
    ost->FileIndex = OutputFileCount();
    ost->Index = index;
    ost->St = st;
    ost->SourceIndex = -1;
    ost->LastPts = AV_NOPTS_VALUE;
    ost->LastDts = AV_NOPTS_VALUE;
    st->codecpar->codec_type = MediaType;

    ChooseEncoder(Context, FormatContext, ost);
    ost->Opts = FilterCodecOptions(Context->Group->CodecOpts.get(), ost->Enc ? ost->Enc->id : AV_CODEC_ID_NONE,
                                   FormatContext, st, ost->Enc);
    ost->OwnEncoder(TCodecContextPtr(av::avcodec_alloc_context3(ost->Enc)));
    if (!ost->EncCtx)
        RaiseError("Error allocating the encoding context.");
    AVCodecContext* enc = ost->EncCtx;
    enc->codec_type = MediaType;
    enc->codec_id = st->codecpar->codec_id;

    ost->MaxFrames = INT64_MAX;
    MatchStreamOption(Context->MaxFrames, FormatContext, st, ost->MaxFrames);
    ost->CopyPriorStart = -1;
    MatchStreamOption(Context->CopyPriorStart, FormatContext, st, ost->CopyPriorStart);

    const char* text = nullptr;
    MatchStreamOption(Context->BitstreamFilters, FormatContext, st, text);
    if (text && *text)
        ost->BitstreamFilters = BuildBitstreamFilters(*this, text);
    text = nullptr;
    MatchStreamOption(Context->CodecTags, FormatContext, st, text);
    if (text)
        enc->codec_tag = CodecTagFromText(text);

    double qscale = -1.0;
    MatchStreamOption(Context->Qscales, FormatContext, st, qscale);
    if (qscale >= 0) {
        enc->flags |= AV_CODEC_FLAG_QSCALE;
        enc->global_quality = static_cast<int>(FF_QP2LAMBDA * qscale);
    }
    if (FormatContext->oformat->flags & AVFMT_GLOBALHEADER)
        enc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;

    SwsContext* scalerOptions = Context->Group->SwsOpts ? Context->Group->SwsOpts : FFOptions->SwsOpts;
    if (scalerOptions)
        av::av_opt_get_int(scalerOptions, "sws_flags", 0, &ost->SwsFlags);
    av::av_dict_copy(InOut(ost->SwrOpts), Context->Group->SwrOpts.get(), 0);
    if (ost->Enc && av::av_get_exact_bits_per_sample(ost->Enc->id) == 24)
        av::av_dict_set(InOut(ost->SwrOpts), "output_sample_bits", "24", 0);
    av::av_dict_copy(InOut(ost->ResampleOpts), Context->Group->ResampleOpts.get(), 0);

    ost->SourceIndex = SourceIndex;
    if (SourceIndex >= 0) {
        TInputStream* ist = InputStream(SourceIndex);
        ost->SyncIst = ist;
        ist->Discard = 0;
        ist->St->discard = AVDISCARD_NONE;
    }
    return ost;
}

void TCustomFFmpegOpt::ChooseEncoder(TOptionsContext* Context, AVFormatContext* FormatContext, TOutputStream* Stream)
{
    AVCodecParameters* par = Stream->St->codecpar;
    const char* name = nullptr;
    MatchStreamOption(Context->CodecNames, FormatContext, Stream->St, name);
    if (!name) {
        par->codec_id =
            av::av_guess_codec(FormatContext->oformat, nullptr, FormatContext->url, nullptr, par->codec_type);
        Stream->Enc = av::avcodec_find_encoder(par->codec_id);
    } else if (std::strcmp(name, "copy") == 0) {
        Stream->StreamCopy = 1;
    } else {
        Stream->Enc = FindCodec(name, par->codec_type, true);
        par->codec_id = Stream->Enc->id;
    }
}

TOutputStream* TCustomFFmpegOpt::NewVideoStream(TOptionsContext* Context, AVFormatContext* FormatContext,
                                                int32_t SourceIndex)
{
    TOutputStream* ost = NewOutputStream(Context, FormatContext, AVMEDIA_TYPE_VIDEO, SourceIndex);
    AVStream* st = ost->St;
    AVCodecContext* enc = ost->EncCtx;
    const char* text = nullptr;
    MatchStreamOption(Context->FrameRates, FormatContext, st, text);
    if (text && av::av_parse_video_rate(&ost->FrameRate, text) < 0)
        RaiseErrorFmt("Invalid framerate value: %s", text);
    if (ost->StreamCopy) {
        MatchStreamOption(Context->CopyInitialNonKeyframes, FormatContext, st, ost->CopyInitialNonKeyframes);
        return ost;
    }

    text = nullptr;
    MatchStreamOption(Context->FrameSizes, FormatContext, st, text);
    if (text && av::av_parse_video_size(&enc->width, &enc->height, text) < 0)
        RaiseErrorFmt("Invalid frame size: %s.", text);
    text = nullptr;
    MatchStreamOption(Context->FrameAspectRatios, FormatContext, st, text);
    if (text) {
        AVRational ratio{0, 0};
        if (av::av_parse_ratio(&ratio, text, 255, 0, nullptr) < 0 || ratio.num <= 0 || ratio.den <= 0)
            RaiseErrorFmt("Invalid aspect ratio: %s", text);
        ost->FrameAspectRatio = static_cast<float>(ratio.num) / static_cast<float>(ratio.den);
    }
    enc->bits_per_raw_sample = FrameBitsPerRawSample;
    text = nullptr;
    MatchStreamOption(Context->FramePixFmts, FormatContext, st, text);
    if (text && *text == '+') {
        ost->KeepPixFmt = 1;
        ++text;
    }
    if (text && *text) {
        const AVPixelFormat format = av::av_get_pix_fmt(text);
        if (format == AV_PIX_FMT_NONE)
            RaiseErrorFmt("Unknown pixel format requested: %s.", text);
        enc->pix_fmt = format;
    }
    st->sample_aspect_ratio = enc->sample_aspect_ratio;
    if (IntraOnly)
        enc->gop_size = 0;

    const struct {
        const TSpecifierList& List;
        uint16_t* AVCodecContext::*Matrix;
        const char* Failure;
    } matrices[] = {
        {Context->IntraMatrices, &AVCodecContext::intra_matrix, "Could not allocate memory for intra matrix."},
        {Context->InterMatrices, &AVCodecContext::inter_matrix, "Could not allocate memory for inter matrix."},
    };
    for (const auto& m : matrices) {
        text = nullptr;
        MatchStreamOption(m.List, FormatContext, st, text);
        if (!text)
            continue;
        enc->*m.Matrix = static_cast<uint16_t*>(av::av_mallocz(64 * sizeof(uint16_t)));
        if (!(enc->*m.Matrix))
            RaiseError(m.Failure);
        ParseMatrixCoeffs(enc->*m.Matrix, text);
    }
    text = nullptr;
    MatchStreamOption(Context->RcOverrides, FormatContext, st, text);
    if (text)
        ParseRcOverrides(*this, enc, text);

    enc->intra_dc_precision = IntraDcPrecision - 8;
    if (DoPsnr)
        enc->flags |= AV_CODEC_FLAG_PSNR;
    int32_t passes = 0;
    MatchStreamOption(Context->Passes, FormatContext, st, passes);
    if (passes & 1) {
        enc->flags |= AV_CODEC_FLAG_PASS1;
        av::av_dict_set(InOut(ost->Opts), "flags", "+pass1", AV_DICT_APPEND);
    }
    if (passes & 2) {
        enc->flags |= AV_CODEC_FLAG_PASS2;
        av::av_dict_set(InOut(ost->Opts), "flags", "+pass2", AV_DICT_APPEND);
    }
    text = nullptr;
    MatchStreamOption(Context->PassLogFiles, FormatContext, st, text);
    if (text)
        ost->LogfilePrefix = text;
    text = nullptr;
    MatchStreamOption(Context->ForcedKeyFrames, FormatContext, st, text);
    if (text)
        ost->ForcedKeyFrames = text;
    MatchStreamOption(Context->ForceFps, FormatContext, st, ost->ForceFps);
    ost->TopFieldFirst = -1;
    MatchStreamOption(Context->TopFieldFirst, FormatContext, st, ost->TopFieldFirst);
    text = "null";
    MatchStreamOption(Context->Filters, FormatContext, st, text);
    ost->AvFilter = text;
    return ost;
}

void TCustomFFmpegOpt::ParseMatrixCoeffs(uint16_t* Dest, const char* Text)
{
    const char* p = Text;
    for (int32_t i = 0;; ++i) {
        Dest[i] = static_cast<uint16_t>(std::atoi(p));
        if (i == 63)
            break;
        p = std::strchr(p, ',');
        if (!p)
            RaiseErrorFmt("Syntax error in matrix \"%s\" at coeff %d", Text, i);
        ++p;
    }
}

TOutputStream* TCustomFFmpegOpt::NewAudioStream(TOptionsContext* Context, AVFormatContext* FormatContext,
                                                int32_t SourceIndex)
{
    TOutputStream* ost = NewOutputStream(Context, FormatContext, AVMEDIA_TYPE_AUDIO, SourceIndex);
    if (ost->StreamCopy)
        return ost;
    AVStream* st = ost->St;
    AVCodecContext* enc = ost->EncCtx;
    int32_t channels = 0;
    MatchStreamOption(Context->AudioChannels, FormatContext, st, channels);
    if (channels) {
        av::av_channel_layout_uninit(&enc->ch_layout);
        av::av_channel_layout_default(&enc->ch_layout, channels);
    }
    const char* text = nullptr;
    MatchStreamOption(Context->SampleFmts, FormatContext, st, text);
    if (text) {
        enc->sample_fmt = av::av_get_sample_fmt(text);
        if (enc->sample_fmt == AV_SAMPLE_FMT_NONE)
            RaiseErrorFmt("Invalid sample format \"%s\"", text);
    }
    MatchStreamOption(Context->AudioSampleRates, FormatContext, st, enc->sample_rate);
    text = "anull";
    MatchStreamOption(Context->Filters, FormatContext, st, text);
    ost->AvFilter = text;
    if (SourceIndex < 0)
        return ost;

    const TInputStream* ist = InputStream(SourceIndex);
    for (const TAudioChannelMap& map : Context->AudioChannelMaps) {
        const bool fromSource =
            map.ChannelIndex == -1 || (ist->FileIndex == map.FileIndex && ist->St->index == map.StreamIndex);
        const bool toThis = (map.OutputFileIndex == -1 || map.OutputFileIndex == ost->FileIndex) &&
            (map.OutputStreamIndex == -1 || map.OutputStreamIndex == ost->Index);
        if (!fromSource || !toThis)
            continue;
        if (ost->AudioChannelsMapped < MaxAudioChannelsMap)
            ost->AudioChannelsMap[ost->AudioChannelsMapped++] = map.ChannelIndex;
        else
            Logger()->Log(this, llFatal,
                          Format("Max channel mapping for output %d.%d reached", ost->FileIndex, ost->Index));
    }
    return ost;
}

TOutputStream* TCustomFFmpegOpt::NewDataStream(TOptionsContext* Context, AVFormatContext* FormatContext,
                                               int32_t SourceIndex)
{
    TOutputStream* ost = NewOutputStream(Context, FormatContext, AVMEDIA_TYPE_DATA, SourceIndex);
    if (!ost->StreamCopy)
        RaiseError("Data stream encoding not supported yet (only streamcopy)");
    return ost;
}

TOutputStream* TCustomFFmpegOpt::NewSubtitleStream(TOptionsContext* Context, AVFormatContext* FormatContext,
                                                   int32_t SourceIndex)
{
    TOutputStream* ost = NewOutputStream(Context, FormatContext, AVMEDIA_TYPE_SUBTITLE, SourceIndex);
    MatchStreamOption(Context->CopyInitialNonKeyframes, FormatContext, ost->St, ost->CopyInitialNonKeyframes);
    if (ost->StreamCopy)
        return ost;
    const char* text = nullptr;
    MatchStreamOption(Context->FrameSizes, FormatContext, ost->St, text);
    if (text && av::av_parse_video_size(&ost->EncCtx->width, &ost->EncCtx->height, text) < 0)
        RaiseErrorFmt("Invalid frame size: %s.", text);
    return ost;
}

TOutputStream* TCustomFFmpegOpt::NewAttachmentStream(TOptionsContext* Context, AVFormatContext* FormatContext,
                                                     int32_t SourceIndex)
{
    TOutputStream* ost = NewOutputStream(Context, FormatContext, AVMEDIA_TYPE_ATTACHMENT, SourceIndex);
    ost->StreamCopy = 1;
    return ost;
}

TFilterGraph* TCustomFFmpegOpt::InitSimpleFilterGraph(TInputStream* InputStream, TOutputStream* OutputStream)
{
    TFilterGraph* graph = AddFilterGraph();
    TOutputFilter* output = graph->AddOutput();
    output->Ost = OutputStream;
    OutputStream->Filter = output;
    graph->AddInput(InputStream);
    return graph;
}
