// Set-up of a run: output codec contexts (copied for stream copy, derived
// from the filter graphs for encoding), encoders, decoders and headers.

#include <algorithm>
#include <cstring>
#include <utility>

#include "engine/binding/AVCodecStubs.h"
#include "engine/binding/AVFilterStubs.h"
#include "engine/binding/AVFormatStubs.h"
#include "engine/binding/AVUtilStubs.h"
#include "engine/decode/VideoHooks.h"
#include "engine/transcode/Transcoder.h"
#include "platform/core/Strings.h"

namespace {

const char* const HintText =
    "Please check error log message(reported by FFLogger) to find out more detail information.";

bool HooksOnVideo(const TCustomFFmpeg& Job, std::string& Text)
{
    if (Job.OnVideoInputHook || Job.OnVideoOutputHook)
        Text = "-vcodec copy and VideoHook are incompatible (frames are not decoded)";
    else if (Job.OnFrameInputHook || Job.OnFrameOutputHook)
        Text = "-vcodec copy and FrameHook are incompatible (frames are not decoded)";
    else if (Job.VideoHooks().HasFrameHooks())
        Text = "-vcodec copy and -vhook are incompatible (frames are not decoded)";
    else if (Job.PreviewFlags() != 0)
        Text = "-vcodec copy and PostHooks are incompatible (frames are not decoded)";
    else
        return false;
    return true;
}

AVRational NearestSupportedRate(const AVCodec* Codec, AVRational Rate)
{
    if (!Codec->supported_framerates)
        return Rate;
    const int index = av::av_find_nearest_q_idx(Rate, Codec->supported_framerates);
    return Codec->supported_framerates[index];
}

} // namespace

int32_t TTranscoder::TranscodeInit()
{
    for (int32_t i = 0; i < job_.InputFileCount(); ++i) {
        TInputFile* file = job_.InputFile(i);
        if (!file->RateEmu)
            continue;
        for (int32_t s = 0; s < file->NbStreams; ++s)
            job_.InputStreams[file->IstIndex + s]->Start = av::av_gettime();
    }
    if (const int32_t result = CheckOutputsHaveStreams(); result < 0)
        return result;
    for (const auto& graph : job_.FilterGraphs)
        if (graph->Complex) {
            const int32_t result = ConfigureFilterGraph(graph.get());
            if (result < 0)
                return result;
        }
    streamStates_.assign(job_.OutputStreamCount(), TOutputStreamState());

    std::string error;
    int32_t result = 0;
    for (int32_t i = 0; i < job_.OutputStreamCount() && result >= 0; ++i) {
        result = InitOutputStream(job_.OutputStream(i), error);
        if (result < 0 && error.empty())
            return result;
    }
    if (result >= 0)
        result = OpenEncoders(error);
    for (int32_t i = 0; i < job_.InputStreamCount() && result >= 0; ++i) {
        result = InitInputStream(job_.InputStream(i), error);
        if (result < 0)
            CloseEncoders();
    }
    if (result >= 0)
        result = WriteHeaders(error);
    DumpStreamMapping();
    if (result < 0 && !error.empty())
        Logger()->Log(&job_, llError, error);
    return result;
}

int32_t TTranscoder::CheckOutputsHaveStreams()
{
    for (int32_t i = 0; i < job_.OutputFileCount(); ++i) {
        AVFormatContext* context = job_.OutputFile(i)->Ctx;
        if (context->nb_streams == 0 && !(context->oformat->flags & AVFMT_NOSTREAMS)) {
            av::av_dump_format(context, i, context->url, 1);
            job_.LastErrorText = Format("Output file #%d does not contain any stream", i);
            Logger()->Log(&job_, llError, job_.LastErrorText);
            return AVERROR(EINVAL);
        }
    }
    return 0;
}

int32_t TTranscoder::InitOutputStream(TOutputStream* Ost, std::string& Error)
{
    if (!Ost->AttachmentFilename.empty())
        return 0;
    if (Ost->StreamCopy)
        return InitStreamCopy(Ost);
    return InitEncoding(Ost, Error);
}

int32_t TTranscoder::InitStreamCopy(TOutputStream* Ost)
{
    if (Ost->SourceIndex < 0)
        Fatal("Assertion failed: FFmpeg");
    TInputStream* ist = job_.InputStream(Ost->SourceIndex);
    const AVCodecParameters* in = ist->St->codecpar;
    AVCodecParameters* out = Ost->St->codecpar;
    const AVOutputFormat* format = FileOf(Ost)->Ctx->oformat;
    int32_t result = av::avcodec_parameters_copy(out, in);
    if (result < 0)
        return result;
    const bool tagUsable = !format->codec_tag ||
        av::av_codec_get_id(format->codec_tag, in->codec_tag) == in->codec_id ||
        !av::av_codec_get_tag(format->codec_tag, in->codec_id);
    out->codec_tag = tagUsable ? in->codec_tag : 0;
    Ost->LastDts = AV_NOPTS_VALUE;
    result = av::avformat_transfer_internal_stream_timing_info(format, Ost->St, ist->St,
                                                               static_cast<AVTimebaseSource>(job_.CopyTb));
    if (result < 0)
        return result;
    if (Ost->St->time_base.num <= 0 || Ost->St->time_base.den <= 0)
        Ost->St->time_base = av::av_add_q(av::av_stream_get_codec_timebase(Ost->St), AVRational{0, 1});
    if (Ost->FrameRate.num)
        Ost->St->time_base = av_inv_q(Ost->FrameRate);
    switch (in->codec_type) {
    case AVMEDIA_TYPE_VIDEO:
        if (HooksOnVideo(job_, job_.LastErrorText))
            return AVERROR(EINVAL);
        if (!Ost->St->sample_aspect_ratio.num)
            Ost->St->sample_aspect_ratio = ist->St->sample_aspect_ratio;
        out->sample_aspect_ratio = Ost->St->sample_aspect_ratio;
        Ost->St->avg_frame_rate = ist->St->avg_frame_rate;
        Ost->St->r_frame_rate = ist->St->r_frame_rate;
        break;
    case AVMEDIA_TYPE_AUDIO:
        if (job_.AudioVolume != 256) {
            job_.LastErrorText = "-acodec copy and -vol are incompatible (frames are not decoded)";
            return AVERROR(EINVAL);
        }
        if (job_.OnAudioInputHook || job_.OnAudioOutputHook) {
            job_.LastErrorText = "-acodec copy and AudioHook are incompatible (frames are not decoded)";
            return AVERROR(EINVAL);
        }
        if ((out->block_align == 1 || out->block_align == 1152 || out->block_align == 576) &&
            out->codec_id == AV_CODEC_ID_MP3)
            out->block_align = 0;
        if (out->codec_id == AV_CODEC_ID_AC3)
            out->block_align = 0;
        break;
    case AVMEDIA_TYPE_SUBTITLE:
    case AVMEDIA_TYPE_DATA:
    case AVMEDIA_TYPE_ATTACHMENT: break;
    default: job_.LastErrorText = "invalid codec_type of output stream"; return -1;
    }
    return 0;
}

int32_t TTranscoder::InitEncoding(TOutputStream* Ost, std::string& Error)
{
    AVCodecContext* enc = Ost->EncCtx;
    if (!Ost->Enc)
        Ost->Enc = av::avcodec_find_encoder(enc->codec_id);
    if (!Ost->Enc) {
        Error = Format("Encoder (codec %s) not found for output stream #%d:%d", av::avcodec_get_name(enc->codec_id),
                       Ost->FileIndex, Ost->Index);
        return AVERROR(EINVAL);
    }
    TInputStream* ist = Ost->SourceIndex >= 0 ? job_.InputStream(Ost->SourceIndex) : nullptr;
    if (ist)
        ++ist->DecodingNeeded;
    Ost->EncodingNeeded = 1;
    Ost->LastPts = Ost->LastDts = AV_NOPTS_VALUE;
    const AVMediaType type = enc->codec_type;
    if ((type == AVMEDIA_TYPE_VIDEO || type == AVMEDIA_TYPE_AUDIO) && !Ost->Filter) {
        TFilterGraph* graph = job_.InitSimpleFilterGraph(ist, Ost);
        if (ConfigureFilterGraph(graph) < 0)
            Fatal("Error opening filters!");
    }
    const int32_t result = ConfigureEncoder(Ost);
    return result < 0 ? result : OpenPassLog(Ost);
}

int32_t TTranscoder::OpenPassLog(TOutputStream* Ost)
{
    AVCodecContext* enc = Ost->EncCtx;
    if (!(enc->flags & (AV_CODEC_FLAG_PASS1 | AV_CODEC_FLAG_PASS2)))
        return 0;
    const std::string name =
        Format("%s-%d.log", Ost->LogfilePrefix.value_or("dividirov2pass").c_str(), FileOf(Ost)->OstIndex + Ost->Index);
    if (std::strcmp(Ost->Enc->name, "libx264") == 0) {
        av::av_dict_set(InOut(Ost->Opts), "stats", name.c_str(), AV_DICT_DONT_OVERWRITE);
        return 0;
    }
    if (enc->flags & AV_CODEC_FLAG_PASS2) {
        uint8_t* statistics = nullptr;
        int32_t size = 0;
        const int32_t result = ReadFileToBuffer(name, statistics, size);
        if (result < 0) {
            const std::string text = Format("Error reading log file \"%s\" for pass-2 encoding", name.c_str());
            job_.LastErrorText = result == AVERROR(ENOMEM) ? "Could not allocate file buffer: " + text : text;
            Logger()->Log(&job_, llFatal, job_.LastErrorText);
            return result == AVERROR(ENOMEM) ? result : -1;
        }
        enc->stats_in = reinterpret_cast<char*>(statistics);
    }
    if (!(enc->flags & AV_CODEC_FLAG_PASS1))
        return 0;
    Ost->Logfile.reset(std::fopen(name.c_str(), "wb"));
    if (!Ost->Logfile) {
        job_.LastErrorText = Format("Cannot write log file %s for pass-1 encoding", name.c_str());
        Logger()->Log(&job_, llFatal, job_.LastErrorText);
        return -1;
    }
    return 0;
}

int32_t TTranscoder::ConfigureEncoder(TOutputStream* Ost)
{
    AVCodecContext* enc = Ost->EncCtx;
    AVFilterContext* sink = Ost->Filter ? Ost->Filter->Filter : nullptr;
    switch (enc->codec_type) {
    case AVMEDIA_TYPE_VIDEO: return InitVideoEncoder(Ost, sink);
    case AVMEDIA_TYPE_AUDIO:
        enc->sample_fmt = static_cast<AVSampleFormat>(av::av_buffersink_get_format(sink));
        enc->sample_rate = av::av_buffersink_get_sample_rate(sink);
        av::av_channel_layout_uninit(&enc->ch_layout);
        av::av_buffersink_get_ch_layout(sink, &enc->ch_layout);
        enc->time_base = {1, enc->sample_rate};
        break;
    case AVMEDIA_TYPE_SUBTITLE: {
        enc->time_base = {1, 1000};
        const TInputStream* ist = Ost->SourceIndex >= 0 ? job_.InputStream(Ost->SourceIndex) : nullptr;
        if (ist && !enc->width) {
            enc->width = ist->DecCtx->width;
            enc->height = ist->DecCtx->height;
        }
        break;
    }
    default: job_.LastErrorText = "invalid codec_type of output stream"; return -1;
    }
    return 0;
}

int32_t TTranscoder::InitVideoEncoder(TOutputStream* Ost, AVFilterContext* Sink)
{
    AVCodecContext* enc = Ost->EncCtx;
    TInputStream* ist = Ost->SourceIndex >= 0 ? job_.InputStream(Ost->SourceIndex) : nullptr;
    if (!Ost->FrameRate.num) {
        Ost->FrameRate = av::av_buffersink_get_frame_rate(Sink);
        if (!Ost->FrameRate.num && ist)
            Ost->FrameRate = ist->Framerate.num ? ist->Framerate : ist->St->r_frame_rate;
        if (!Ost->FrameRate.num)
            Ost->FrameRate = {25, 1};
    }
    // An asked-for rate the encoder does not list moves to the nearest one it
    // does; rates it lists but still refuses fail with its own error.
    if (!Ost->ForceFps) {
        const AVRational supported = NearestSupportedRate(Ost->Enc, Ost->FrameRate);
        if (av_cmp_q(supported, Ost->FrameRate) != 0)
            Logger()->LogFmt(&job_, llWarning, "Encoder %s does not support the frame rate %d/%d, using %d/%d instead",
                             Ost->Enc->name, Ost->FrameRate.num, Ost->FrameRate.den, supported.num, supported.den);
        Ost->FrameRate = supported;
    }
    enc->time_base = av_inv_q(Ost->FrameRate);
    if (!enc->time_base.num || !enc->time_base.den)
        enc->time_base = av::av_buffersink_get_time_base(Sink);
    const AVOutputFormat* format = FileOf(Ost)->Ctx->oformat;
    if (av_q2d(enc->time_base) < 0.001 && job_.VideoSyncMethod != 0 &&
        (job_.VideoSyncMethod == 1 || (job_.VideoSyncMethod == -1 && !(format->flags & AVFMT_VARIABLE_FPS))))
        av::av_log(nullptr, AV_LOG_WARNING,
                   "Frame rate very high for a muxer not efficiently supporting it.\n"
                   "Please consider specifying a lower framerate, a different muxer or -vsync 2\n");
    enc->framerate = Ost->FrameRate;
    enc->width = av::av_buffersink_get_w(Sink);
    enc->height = av::av_buffersink_get_h(Sink);
    enc->pix_fmt = static_cast<AVPixelFormat>(av::av_buffersink_get_format(Sink));
    enc->sample_aspect_ratio = Ost->FrameAspectRatio != 0
        ? av::av_d2q(Ost->FrameAspectRatio * enc->height / enc->width, 255)
        : av::av_buffersink_get_sample_aspect_ratio(Sink);
    Ost->St->sample_aspect_ratio = enc->sample_aspect_ratio;
    if (!ist || enc->width != ist->DecCtx->width || enc->height != ist->DecCtx->height ||
        enc->pix_fmt != ist->DecCtx->pix_fmt)
        enc->bits_per_raw_sample = job_.FrameBitsPerRawSample;
    return Ost->ForcedKeyFrames ? ParseForcedKeyFrames(Ost) : 0;
}

int32_t TTranscoder::ParseForcedKeyFrames(TOutputStream* Ost)
{
    const std::string text = *Ost->ForcedKeyFrames;
    Ost->ForcedKfPts.clear();
    av::av_expr_free(Ost->ForcedKeyFramesPexpr);
    Ost->ForcedKeyFramesPexpr = nullptr;
    if (text.rfind("expr:", 0) == 0) {
        static const char* const names[] = {"n", "n_forced", "prev_forced_n", "prev_forced_t", "t", nullptr};
        const int result = av::av_expr_parse(&Ost->ForcedKeyFramesPexpr, text.c_str() + 5, names, nullptr, nullptr,
                                             nullptr, nullptr, 0, nullptr);
        if (result < 0) {
            Logger()->LogFmt(&job_, llError, "Invalid force_key_frames expression \"%s\"", text.c_str() + 5);
            return result;
        }
        Ost->ForcedKeyFramesExprConstValues[0] = 0;
        Ost->ForcedKeyFramesExprConstValues[1] = 0;
        Ost->ForcedKeyFramesExprConstValues[2] = NAN;
        Ost->ForcedKeyFramesExprConstValues[3] = NAN;
        return 0;
    }
    std::vector<int64_t> times;
    const AVFormatContext* context = FileOf(Ost)->Ctx;
    for (const std::string& token : SplitString(text, ',')) {
        if (token.rfind("chapters", 0) == 0) {
            int64_t offset = 0;
            if (token.size() > 8 && av::av_parse_time(&offset, token.c_str() + 8, 1) < 0)
                Fatal(Format("Invalid duration specification: %s", token.c_str() + 8));
            for (unsigned c = 0; c < context->nb_chapters; ++c) {
                const AVChapter* chapter = context->chapters[c];
                times.push_back(av::av_rescale_q(chapter->start, chapter->time_base, Ost->EncCtx->time_base) +
                                av::av_rescale_q(offset, AV_TIME_BASE_Q, Ost->EncCtx->time_base));
            }
            continue;
        }
        int64_t time = 0;
        if (av::av_parse_time(&time, token.c_str(), 1) < 0)
            Fatal(Format("Invalid duration specification: %s", token.c_str()));
        times.push_back(av::av_rescale_q(time, AV_TIME_BASE_Q, Ost->EncCtx->time_base));
    }
    std::sort(times.begin(), times.end());
    Ost->ForcedKfPts = std::move(times);
    return 0;
}

int32_t TTranscoder::OpenEncoders(std::string& Error)
{
    // Join segments share the encoders of the first segment.
    const int32_t count = job_.JoinMode ? job_.JoinStreamCount : job_.OutputStreamCount();
    for (int32_t i = 0; i < count; ++i) {
        TOutputStream* ost = job_.OutputStream(i);
        if (!ost->EncodingNeeded)
            continue;
        if (job_.JoinMode) {
            savedOptions_.resize(count);
            savedMaxBFrames_.resize(count, 0);
            av::av_dict_copy(InOut(savedOptions_[i]), ost->Opts.get(), 0);
            savedMaxBFrames_[i] = ost->EncCtx->max_b_frames;
        }
        const int32_t result = OpenEncoder(ost, ost, Error);
        if (result < 0)
            return result;
    }
    return 0;
}

int32_t TTranscoder::OpenEncoder(TOutputStream* Ost, TOutputStream* Feeder, std::string& Error)
{
    AVCodecContext* enc = Ost->EncCtx;
    const TInputStream* ist = Feeder->SourceIndex >= 0 ? job_.InputStream(Feeder->SourceIndex) : nullptr;
    if (ist && ist->DecCtx->subtitle_header && !enc->subtitle_header) {
        enc->subtitle_header = static_cast<uint8_t*>(av::av_mallocz(ist->DecCtx->subtitle_header_size + 1));
        if (!enc->subtitle_header) {
            Error = "av_malloc failed";
            return AVERROR(ENOMEM);
        }
        std::memcpy(enc->subtitle_header, ist->DecCtx->subtitle_header, ist->DecCtx->subtitle_header_size);
        enc->subtitle_header_size = ist->DecCtx->subtitle_header_size;
    }
    if (!av::av_dict_get(Ost->Opts.get(), "threads", nullptr, 0))
        av::av_dict_set(InOut(Ost->Opts), "threads", std::strcmp(Ost->Enc->name, "mjpeg") == 0 ? "1" : "auto", 0);
    if (FileOf(Ost)->Ctx->oformat->flags & AVFMT_GLOBALHEADER)
        enc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    const int result = av::avcodec_open2(enc, Ost->Enc, InOut(Ost->Opts));
    if (result < 0) {
        if (result == AVERROR_EXPERIMENTAL)
            job_.AbortCodecExperimental(Ost->Enc, true);
        Error = Format("Error while opening encoder for output stream #%d:%d (%s) - maybe incorrect parameters such as "
                       "bit_rate, rate, width or height. %s",
                       Ost->FileIndex, Ost->Index, Ost->Enc->name, HintText);
        return result;
    }
    Ost->EncoderOpened = 1;
    {
        TCriticalSectionGuard lock(CodecListLock);
        openEncoders_.push_back(Ost);
    }
    if (enc->codec_type == AVMEDIA_TYPE_AUDIO && !(Ost->Enc->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE))
        av::av_buffersink_set_frame_size(Feeder->Filter->Filter, enc->frame_size);
    job_.CheckOptionsUsed(Ost->Opts.get());
    if (enc->bit_rate > 0 && enc->bit_rate < 1000)
        Logger()->Log(&job_, llWarning,
                      "The bitrate parameter is set too low. It takes bits/s as argument, not kbits/s");
    if (headersWritten_)
        return 0; // a reopened join encoder keeps the stream the header described
    totals_.ExtraSize += enc->extradata_size;
    const int copied = av::avcodec_parameters_from_context(Ost->St->codecpar, enc);
    if (copied < 0)
        return copied;
    Ost->St->time_base = enc->time_base;
    return 0;
}

int32_t TTranscoder::InitInputStream(TInputStream* Ist, std::string& Error)
{
    Ist->NextPts = AV_NOPTS_VALUE;
    Ist->NextDts = AV_NOPTS_VALUE;
    Ist->IsStart = 1;
    if (!Ist->DecodingNeeded)
        return 0;
    if (!Ist->Dec) {
        Error = Format("Decoder (codec %s) not found for input stream #%d:%d",
                       av::avcodec_get_name(Ist->DecCtx->codec_id), Ist->FileIndex, Ist->St->index);
        return AVERROR(EINVAL);
    }
    if (!av::av_dict_get(Ist->Opts.get(), "threads", nullptr, 0))
        av::av_dict_set(InOut(Ist->Opts), "threads", "auto", 0);
    const int result = av::avcodec_open2(Ist->DecCtx.get(), Ist->Dec, InOut(Ist->Opts));
    if (result < 0) {
        if (result == AVERROR_EXPERIMENTAL)
            job_.AbortCodecExperimental(Ist->Dec, false);
        Error = Format("Error while opening decoder for input stream #%d:%d", Ist->FileIndex, Ist->St->index);
        return result;
    }
    openDecoders_.push_back(Ist);
    job_.CheckOptionsUsed(Ist->Opts.get());
    return 0;
}

void TTranscoder::DiscardUnusedPrograms()
{
    for (int32_t i = 0; i < job_.InputFileCount(); ++i) {
        const AVFormatContext* context = job_.InputFiles[i]->Ctx.get();
        for (unsigned p = 0; p < context->nb_programs; ++p) {
            AVProgram* program = context->programs[p];
            bool unused = true;
            for (unsigned s = 0; s < program->nb_stream_indexes && unused; ++s)
                unused = context->streams[program->stream_index[s]]->discard == AVDISCARD_ALL;
            program->discard = unused ? AVDISCARD_ALL : AVDISCARD_DEFAULT;
        }
    }
}

void TTranscoder::PrintSdp()
{
    std::vector<AVFormatContext*> contexts;
    for (int32_t i = 0; i < job_.OutputFileCount(); ++i)
        contexts.push_back(job_.OutputFile(i)->Ctx);
    char sdp[16384] = "";
    av::av_sdp_create(contexts.data(), static_cast<int>(contexts.size()), sdp, sizeof sdp);
    Logger()->Log(&job_, llInfo, std::string("SDP:\r\n") + Trim(sdp));
}

int32_t TTranscoder::WriteHeaders(std::string& Error)
{
    DiscardUnusedPrograms();
    for (int32_t i = 0; i < job_.OutputStreamCount(); ++i) {
        const int32_t result = InitBitstreamFilters(job_.OutputStream(i));
        if (result < 0)
            return result;
    }
    for (int32_t i = 0; i < (job_.JoinMode ? 1 : job_.OutputFileCount()); ++i) {
        TOutputFile* file = job_.OutputFile(i);
        file->Ctx->interrupt_callback = job_.WriteInterruptCallback;
        job_.WriteStartTime = av::av_gettime();
        const int result = av::avformat_write_header(file->Ctx, InOut(file->Opts));
        if (result < 0) {
            Error = GetErrorText(Format("Could not write header for output file #%d (incorrect codec parameters ?)", i),
                                 result);
            return AVERROR(EINVAL);
        }
    }
    headersWritten_ = true;
    bool allRtp = job_.OutputFileCount() > 0;
    for (int32_t i = 0; i < job_.OutputFileCount(); ++i)
        allRtp &= std::strcmp(job_.OutputFile(i)->Ctx->oformat->name, "rtp") == 0;
    if (allRtp)
        PrintSdp();
    return 0;
}

int32_t TTranscoder::InitBitstreamFilters(TOutputStream* Ost)
{
    AVBSFContext* bsf = Ost->BitstreamFilters.get();
    if (!bsf)
        return 0;
    int32_t result = av::avcodec_parameters_copy(bsf->par_in, Ost->St->codecpar);
    if (result < 0)
        return result;
    bsf->time_base_in = Ost->St->time_base;
    if ((result = av::av_bsf_init(bsf)) < 0) {
        job_.LastErrorText = GetErrorText(Format("Error initializing bitstream filter: %s", bsf->filter->name), result);
        return result;
    }
    StateOf(Ost).BsfReady = true;
    Ost->St->time_base = bsf->time_base_out;
    return av::avcodec_parameters_copy(Ost->St->codecpar, bsf->par_out);
}

void TTranscoder::DumpStreamMapping()
{
    for (int32_t i = 0; i < (job_.JoinMode ? 1 : job_.OutputFileCount()); ++i)
        av::av_dump_format(job_.OutputFile(i)->Ctx, i, job_.OutputFile(i)->Ctx->url, 1);
    Logger()->Log(&job_, llInfo, "Stream mapping:");
    for (int32_t i = 0; i < job_.OutputStreamCount(); ++i) {
        const TOutputStream* ost = job_.OutputStream(i);
        if (!ost->AttachmentFilename.empty()) {
            Logger()->LogFmt(&job_, llInfo, "  File %s -> Stream #%d:%d", ost->AttachmentFilename.c_str(),
                             ost->FileIndex, ost->Index);
            continue;
        }
        if (ost->SourceIndex < 0)
            continue;
        const TInputStream* ist = job_.InputStream(ost->SourceIndex);
        std::string line =
            Format("  Stream #%d:%d -> #%d:%d", ist->FileIndex, ist->St->index, ost->FileIndex, ost->Index);
        if (ost->StreamCopy)
            line += " (copy)";
        else
            line += Format(" (%s -> %s)", ist->Dec ? ist->Dec->name : "?", ost->Enc ? ost->Enc->name : "?");
        Logger()->Log(&job_, llInfo, line);
    }
}
