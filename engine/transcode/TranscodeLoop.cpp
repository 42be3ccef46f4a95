// The transcode loop: choose the output that is furthest behind, read a
// packet from the input that feeds it, decode it into the filter graphs or
// copy it, and take filtered frames to the encoders; then drain and finish.

#include <algorithm>

#include "engine/binding/AVCodecStubs.h"
#include "engine/binding/AVFilterStubs.h"
#include "engine/binding/AVFormatStubs.h"
#include "engine/binding/AVUtilStubs.h"
#include "engine/transcode/SubtitleCanvas.h"
#include "engine/transcode/TranscodeUtils.h"
#include "engine/transcode/Transcoder.h"
#include "platform/core/Strings.h"
#include "platform/core/Types.h"

namespace {

const char* const HintText =
    "Please check error log message(reported by FFLogger) to find out more detail information.";

uint64_t NativeMask(const AVChannelLayout& Layout)
{
    return Layout.order == AV_CHANNEL_ORDER_NATIVE ? Layout.u.mask : 0;
}

// The frame's layout, or the one guessed for its stream when the frame has
// none of its own; 0 when neither is known.
uint64_t GuessedLayoutMask(const TInputStream* Ist, const AVFrame* Frame)
{
    if (const uint64_t mask = NativeMask(Frame->ch_layout))
        return mask;
    const AVChannelLayout& guessed = Ist->DecCtx->ch_layout;
    return guessed.nb_channels == Frame->ch_layout.nb_channels ? NativeMask(guessed) : 0;
}

int32_t InputStreamIndex(const TCustomFFmpeg& Job, const TInputStream* Ist)
{
    return Job.InputFiles[Ist->FileIndex]->IstIndex + Ist->St->index;
}

} // namespace

TTranscoder::TTranscoder(TCustomFFmpeg& Job) : job_(Job), hooks_(Job.VideoHooks()) {}

TTranscoder::~TTranscoder()
{
    CloseEncoders();
    CloseDecoders();
    // The job's graph records point into the chains, which go with the transcoder.
    for (auto& [graph, chain] : chains_) {
        graph->Graph = nullptr;
        for (const auto& input : graph->Inputs)
            input->Filter = nullptr;
        for (const auto& output : graph->Outputs)
            output->Filter = nullptr;
    }
    chains_.clear();
    if (vstats_)
        std::fclose(vstats_);
    av::av_freep(&subtitleBuffer_);
}

void TranscodeJob(TCustomFFmpeg& Job)
{
    TTranscoder transcoder(Job);
    transcoder.Transcode();
}

TOutputStreamState& TTranscoder::StateOf(const TOutputStream* Ost)
{
    const auto index = static_cast<size_t>(job_.OutputFile(Ost->FileIndex)->OstIndex + Ost->Index);
    if (index >= streamStates_.size())
        streamStates_.resize(index + 1);
    return streamStates_[index];
}

void TTranscoder::Transcode()
{
    job_.LastErrorText.clear();
    packet_.reset(av::av_packet_alloc());
    encoded_.reset(av::av_packet_alloc());
    if (!packet_ || !encoded_)
        job_.RaiseError("av_packet_alloc() failed");
    const int32_t result = TranscodeInit();
    if (result < 0) {
        if (job_.LastErrorText.empty())
            job_.LastErrorText = GetErrorText("transcode_init() error", result) + ". " + HintText;
        job_.RaiseError(job_.LastErrorText);
    }
    if (job_.Duration < 0)
        job_.Duration = job_.InputDuration;
    const int64_t timerStart = av::av_gettime();
    job_.SegmentIndex = 0;
    UpdateSegmentRange();
    RunLoop(timerStart);
    FinishRun(timerStart);
}

void TTranscoder::RunLoop(int64_t TimerStart)
{
    while (!job_.Aborted) {
        job_.PausePoint();
        if (job_.Aborted)
            break;
        const int64_t now = av::av_gettime();
        if (!NeedOutput()) {
            Logger()->Log(&job_, llVerbose, "No more output streams to write to, finishing.");
            break;
        }
        const int32_t result = TranscodeStep();
        if (result >= 0) {
            PrintReport(job_.SegmentIndex, false, now, TimerStart);
        } else if (result != AVERROR_EOF && result != AVERROR(EAGAIN)) {
            Logger()->Log(&job_, llError, GetErrorText("Error while filtering", result));
            break;
        }
    }
}

void TTranscoder::FinishRun(int64_t TimerStart)
{
    BeginFinishing();
    for (int32_t i = 0; i < job_.InputStreamCount(); ++i) {
        TInputStream* ist = job_.InputStream(i);
        if (!job_.InputFiles[ist->FileIndex]->EofReached && ist->DecodingNeeded)
            OutputPacket(ist, nullptr);
    }
    FlushEncoders();
    for (int32_t i = 0; i < (job_.JoinMode ? 1 : job_.OutputFileCount()); ++i) {
        AVFormatContext* context = job_.OutputFile(i)->Ctx;
        job_.WriteStartTime = av::av_gettime();
        const int result = av::av_write_trailer(context);
        if (result < 0)
            Logger()->Log(&job_, llError, GetErrorText("av_write_trailer()", result));
        if (context->pb)
            av::avio_flush(context->pb);
    }
    PrintReport(-1, true, av::av_gettime(), TimerStart);
    CloseEncoders();
    CloseDecoders();
    job_.Finished = !job_.Aborted;
}

void TTranscoder::BeginFinishing()
{
    // A stop must still leave a playable file: the drain, the trailers and the
    // close are written whatever the abort flag says; only time-outs break them.
    job_.Finishing = true;
    for (int32_t i = 0; i < job_.OutputFileCount(); ++i) {
        AVIOContext* io = job_.OutputFile(i)->Ctx->pb;
        if (io && io->error == AVERROR_EXIT)
            io->error = 0;
    }
}

int32_t TTranscoder::TranscodeStep()
{
    TOutputStream* ost = ChooseOutput();
    if (!ost) {
        if (GotEagain()) {
            ResetEagain();
            av::av_usleep(10000);
            return 0;
        }
        Logger()->Log(&job_, llVerbose, "No more inputs to read from, finishing.");
        return AVERROR_EOF;
    }
    TInputStream* ist = nullptr;
    if (ost->Filter) {
        const int32_t result = TranscodeFromFilter(ost->Filter->Graph, ist);
        if (result < 0)
            return result;
        if (!ist)
            return 0;
    } else {
        if (ost->SourceIndex < 0)
            Fatal("Assertion failed: FFmpeg");
        ist = job_.InputStream(ost->SourceIndex);
    }
    const int32_t result = ProcessInput(ist->FileIndex);
    if (result == AVERROR(EAGAIN)) {
        if (job_.InputFiles[ist->FileIndex]->Eagain)
            ost->Unavailable = 1;
        return 0;
    }
    if (result < 0)
        return result == AVERROR_EOF ? 0 : result;
    return ReapFilters();
}

TOutputStream* TTranscoder::ChooseOutput()
{
    TOutputStream* chosen = nullptr;
    int64_t smallest = INT64_MAX;
    for (int32_t i = job_.FirstActiveStream; i <= job_.LastActiveStream; ++i) {
        TOutputStream* ost = job_.OutputStream(i);
        if (ost->Unavailable || ost->Finished)
            continue;
        const int64_t dts = StateOf(ost).MuxDts;
        const int64_t position = dts == AV_NOPTS_VALUE ? 0 : av::av_rescale_q(dts, ost->St->time_base, AV_TIME_BASE_Q);
        if (position < smallest) {
            smallest = position;
            chosen = ost;
        }
    }
    return chosen;
}

bool TTranscoder::NeedOutput()
{
    for (int32_t i = job_.FirstActiveStream; i <= job_.LastActiveStream; ++i) {
        TOutputStream* ost = job_.OutputStream(i);
        TOutputFile* file = FileOf(ost);
        AVIOContext* io = file->Ctx->pb;
        const bool sizeReached =
            io && file->LimitFilesize && static_cast<uint64_t>(av::avio_seek(io, 0, SEEK_CUR)) >= file->LimitFilesize;
        if (ost->Finished || sizeReached)
            continue;
        if (ost->FrameNumber < ost->MaxFrames)
            return true;
        for (unsigned j = 0; j < file->Ctx->nb_streams; ++j)
            CloseOutputStream(job_.OutputStream(file->OstIndex + j));
    }
    return false;
}

bool TTranscoder::GotEagain() const
{
    for (int32_t i = job_.FirstActiveStream; i <= job_.LastActiveStream; ++i)
        if (job_.OutputStream(i)->Unavailable)
            return true;
    return false;
}

void TTranscoder::ResetEagain()
{
    for (int32_t i = 0; i < job_.InputFileCount(); ++i)
        job_.InputFiles[i]->Eagain = 0;
    for (int32_t i = job_.FirstActiveStream; i <= job_.LastActiveStream; ++i)
        job_.OutputStream(i)->Unavailable = 0;
}

int32_t TTranscoder::TranscodeFromFilter(TFilterGraph* Graph, TInputStream*& Chosen)
{
    Chosen = nullptr;
    int32_t result = av::avfilter_graph_request_oldest(Graph->Graph);
    if (result >= 0)
        return ReapFilters();
    if (result == AVERROR_EOF) {
        result = ReapFilters();
        for (const auto& output : Graph->Outputs)
            CloseOutputStream(output->Ost);
        return result;
    }
    if (result != AVERROR(EAGAIN))
        return result;
    int requestsMax = 0;
    for (const auto& input : Graph->Inputs) {
        TInputStream* ist = input->Ist;
        const TInputFile* file = job_.InputFile(ist->FileIndex);
        if (file->Eagain || file->EofReached)
            continue;
        const int requests = av::av_buffersrc_get_nb_failed_requests(input->Filter);
        if (requests > requestsMax) {
            requestsMax = requests;
            Chosen = ist;
        }
    }
    if (!Chosen)
        for (const auto& output : Graph->Outputs)
            output->Ost->Unavailable = 1;
    return 0;
}

int32_t TTranscoder::ProcessInput(int32_t FileIndex)
{
    TInputFile* file = job_.InputFile(FileIndex);
    job_.ReadStartTime = av::av_gettime();
    int result = av::av_read_frame(file->Ctx.get(), packet_.get());
    if (result == AVERROR(EAGAIN)) {
        file->Eagain = 1;
        return result;
    }
    if (result < 0) {
        if (result != AVERROR_EOF) {
            const std::string text = GetErrorText(file->Ctx->url, result);
            if (job_.ExitOnError)
                Fatal(text);
            Logger()->Log(&job_, llError, text);
        }
        file->EofReached = 1;
        if (job_.JoinMode && FileIndex < job_.InputFileCount() - 1) {
            JoinSwitch(FileIndex);
            return 0;
        }
        EndOfInput(FileIndex);
        return AVERROR(EAGAIN);
    }
    if (job_.DoPktDump)
        av::av_pkt_dump_log2(nullptr, AV_LOG_DEBUG, packet_.get(), job_.DoHexDump,
                             file->Ctx->streams[packet_->stream_index]);
    if (packet_->stream_index >= file->NbStreams) {
        if (packet_->stream_index >= file->NbStreamsWarn) {
            const AVStream* st = file->Ctx->streams[packet_->stream_index];
            const std::string dts =
                packet_->dts == AV_NOPTS_VALUE ? "NOPTS" : Format("%.6g", packet_->dts * av_q2d(st->time_base));
            av::av_log(nullptr, AV_LOG_WARNING, "New %s stream %d:%d at pos:%lld and DTS:%ss\n",
                       av::av_get_media_type_string(st->codecpar->codec_type), FileIndex, packet_->stream_index,
                       static_cast<long long>(packet_->pos), dts.c_str());
            file->NbStreamsWarn = packet_->stream_index + 1;
        }
    } else if (TInputStream* ist = job_.InputStream(file->IstIndex + packet_->stream_index); !ist->Discard) {
        ResetEagain();
        AdjustPacketTimestamps(file, ist, packet_.get());
        if (packet_->pts != AV_NOPTS_VALUE)
            Sub2VideoHeartbeat(job_, ist, packet_->pts);
        result = OutputPacket(ist, packet_.get());
        if (result < 0) {
            const std::string text = Format("Error while decoding stream #%d:%d: %s", FileIndex, ist->St->index,
                                            GetErrorText("", result).c_str());
            if (job_.ExitOnError)
                Fatal(text);
            Logger()->Log(&job_, llError, text);
        }
    }
    av::av_packet_unref(packet_.get());
    return 0;
}

void TTranscoder::EndOfInput(int32_t FileIndex)
{
    const TInputFile* file = job_.InputFile(FileIndex);
    for (int32_t s = 0; s < file->NbStreams; ++s) {
        TInputStream* ist = job_.InputStream(file->IstIndex + s);
        if (ist->DecodingNeeded)
            OutputPacket(ist, nullptr);
        for (int32_t i = job_.FirstActiveStream; i <= job_.LastActiveStream; ++i) {
            TOutputStream* ost = job_.OutputStream(i);
            if (ost->SourceIndex == file->IstIndex + s &&
                (ost->StreamCopy || ost->St->codecpar->codec_type == AVMEDIA_TYPE_SUBTITLE))
                CloseOutputStream(ost);
        }
    }
}

void TTranscoder::AdjustPacketTimestamps(TInputFile* File, TInputStream* Ist, AVPacket* Packet)
{
    AVStream* st = Ist->St;
    const AVFormatContext* context = File->Ctx.get();
    if (!Ist->WrapCorrectionDone && context->start_time != AV_NOPTS_VALUE && st->pts_wrap_bits < 64) {
        if (Ist->NextDts == AV_NOPTS_VALUE && File->TsOffset == -context->start_time &&
            (context->iformat->flags & AVFMT_TS_DISCONT))
            CorrectStartTime(File);
        const int64_t start = av::av_rescale_q(context->start_time, AV_TIME_BASE_Q, st->time_base);
        const int64_t wrap = int64_t(1) << st->pts_wrap_bits;
        Ist->WrapCorrectionDone = 1;
        for (int64_t* ts : {&Packet->dts, &Packet->pts})
            if (*ts != AV_NOPTS_VALUE && *ts > start + wrap / 2) {
                *ts -= wrap;
                Ist->WrapCorrectionDone = 0;
            }
    }
    const int64_t offset = av::av_rescale_q(File->TsOffset, AV_TIME_BASE_Q, st->time_base);
    for (int64_t* ts : {&Packet->dts, &Packet->pts})
        if (*ts != AV_NOPTS_VALUE)
            *ts = Round((*ts + offset) * static_cast<long double>(Ist->TsScale));
    if (Packet->dts == AV_NOPTS_VALUE || Ist->NextDts == AV_NOPTS_VALUE || job_.CopyTs)
        return;
    CorrectDiscontinuity(File, Ist, Packet);
}

// The file's start time may come from a stream the job does not use; the
// output then starts at the earliest stream it does use.
void TTranscoder::CorrectStartTime(TInputFile* File)
{
    int64_t earliest = INT64_MAX;
    for (int32_t s = 0; s < File->NbStreams; ++s) {
        const TInputStream* ist = job_.InputStream(File->IstIndex + s);
        if (ist->Discard || ist->St->discard == AVDISCARD_ALL || ist->St->start_time == AV_NOPTS_VALUE)
            continue;
        earliest = std::min(earliest, av::av_rescale_q(ist->St->start_time, ist->St->time_base, AV_TIME_BASE_Q));
    }
    const int64_t start = File->Ctx->start_time;
    if (earliest == INT64_MAX || earliest <= start)
        return;
    av::av_log(nullptr, AV_LOG_VERBOSE, "Correcting start time by %lld\n", static_cast<long long>(earliest - start));
    File->TsOffset = -earliest;
}

void TTranscoder::CorrectDiscontinuity(TInputFile* File, TInputStream* Ist, AVPacket* Packet)
{
    const AVStream* st = Ist->St;
    const bool subtitle = st->codecpar->codec_type == AVMEDIA_TYPE_SUBTITLE;
    const int64_t delta = av::av_rescale_q(Packet->dts, st->time_base, AV_TIME_BASE_Q) - Ist->NextDts;
    const auto outside = [subtitle](int64_t d, double seconds) {
        return d < -seconds * AV_TIME_BASE || (d > seconds * AV_TIME_BASE && !subtitle);
    };
    if (File->Ctx->iformat->flags & AVFMT_TS_DISCONT) {
        const int64_t dtsUs = av::av_rescale_q(Packet->dts, st->time_base, AV_TIME_BASE_Q);
        if (outside(delta, job_.DtsDeltaThreshold) || dtsUs + 1 < Ist->Pts) {
            File->TsOffset -= delta;
            Logger()->LogFmt(&job_, llDebug, "timestamp discontinuity %lld, new offset= %lld",
                             static_cast<long long>(delta), static_cast<long long>(File->TsOffset));
            const int64_t shift = av::av_rescale_q(delta, AV_TIME_BASE_Q, st->time_base);
            Packet->dts -= shift;
            if (Packet->pts != AV_NOPTS_VALUE)
                Packet->pts -= shift;
        }
        return;
    }
    if (outside(delta, job_.DtsErrorThreshold)) {
        Logger()->LogFmt(&job_, llWarning, "DTS %lld, next:%lld st:%d invalid dropping",
                         static_cast<long long>(Packet->dts), static_cast<long long>(Ist->NextDts),
                         Packet->stream_index);
        Packet->dts = AV_NOPTS_VALUE;
    }
    if (Packet->pts != AV_NOPTS_VALUE &&
        outside(av::av_rescale_q(Packet->pts, st->time_base, AV_TIME_BASE_Q) - Ist->NextDts, job_.DtsErrorThreshold)) {
        Logger()->LogFmt(&job_, llWarning, "PTS %lld, next:%lld invalid dropping st:%d",
                         static_cast<long long>(Packet->pts), static_cast<long long>(Ist->NextDts),
                         Packet->stream_index);
        Packet->pts = AV_NOPTS_VALUE;
    }
}

int32_t TTranscoder::OutputPacket(TInputStream* Ist, const AVPacket* Packet)
{
    const AVStream* st = Ist->St;
    if (!Ist->SawFirstTs) {
        Ist->Dts = st->avg_frame_rate.num
            ? -Round(Ist->DecCtx->has_b_frames * AV_TIME_BASE / static_cast<long double>(av_q2d(st->avg_frame_rate)))
            : 0;
        Ist->Pts = 0;
        if (Packet && Packet->pts != AV_NOPTS_VALUE && !Ist->DecodingNeeded) {
            Ist->Dts += av::av_rescale_q(Packet->pts, st->time_base, AV_TIME_BASE_Q);
            Ist->Pts = Ist->Dts;
        }
        Ist->SawFirstTs = 1;
    }
    if (Ist->NextDts == AV_NOPTS_VALUE)
        Ist->NextDts = Ist->Dts;
    if (Ist->NextPts == AV_NOPTS_VALUE)
        Ist->NextPts = Ist->Pts;
    if (Packet && Packet->dts != AV_NOPTS_VALUE) {
        Ist->NextDts = Ist->Dts = av::av_rescale_q(Packet->dts, st->time_base, AV_TIME_BASE_Q);
        if (st->codecpar->codec_type != AVMEDIA_TYPE_VIDEO || !Ist->DecodingNeeded)
            Ist->NextPts = Ist->Pts = Ist->Dts;
    }
    if (Ist->DecodingNeeded) {
        Ist->Pts = Ist->NextPts;
        Ist->Dts = Ist->NextDts;
        const int32_t result = Decode(Ist, Packet);
        if (result < 0)
            return result;
    } else {
        AdvanceUndecoded(Ist, Packet);
    }
    if (!Packet)
        return 0;
    for (int32_t i = job_.FirstActiveStream; i <= job_.LastActiveStream; ++i) {
        TOutputStream* ost = job_.OutputStream(i);
        if (CheckOutputConstraints(Ist, ost) && !ost->EncodingNeeded)
            DoStreamCopy(Ist, ost, Packet);
    }
    return 0;
}

void TTranscoder::AdvanceUndecoded(TInputStream* Ist, const AVPacket* Packet)
{
    RateEmulate(Ist);
    Ist->Dts = Ist->NextDts;
    const AVCodecParameters* par = Ist->St->codecpar;
    if (par->codec_type == AVMEDIA_TYPE_AUDIO && par->sample_rate > 0) {
        Ist->NextDts += AV_TIME_BASE * int64_t(par->frame_size) / par->sample_rate;
    } else if (par->codec_type == AVMEDIA_TYPE_VIDEO) {
        if (Packet && Packet->duration) {
            Ist->NextDts += av::av_rescale_q(Packet->duration, Ist->St->time_base, AV_TIME_BASE_Q);
        } else {
            const AVRational rate = Ist->St->avg_frame_rate.num ? Ist->St->avg_frame_rate : Ist->St->r_frame_rate;
            if (rate.num)
                Ist->NextDts += av::av_rescale_q(1, av_inv_q(rate), AV_TIME_BASE_Q);
        }
    }
    Ist->Pts = Ist->Dts;
    Ist->NextPts = Ist->NextDts;
}

int32_t TTranscoder::Decode(TInputStream* Ist, const AVPacket* Packet)
{
    AVCodecContext* dec = Ist->DecCtx.get();
    if (dec->codec_type == AVMEDIA_TYPE_SUBTITLE) {
        if (Packet)
            return TranscodeSubtitles(Ist, Packet);
        Sub2VideoFlush(job_, Ist);
        return 0;
    }
    if (!Packet && drained_.count(Ist))
        return 0;
    if (!Ist->DecodedFrame)
        Ist->DecodedFrame.reset(av::av_frame_alloc());
    if (!Ist->DecodedFrame)
        return AVERROR(ENOMEM);
    const bool video = dec->codec_type == AVMEDIA_TYPE_VIDEO;
    int64_t duration = 0;
    if (video) {
        if (Packet && Packet->duration)
            duration = av::av_rescale_q(Packet->duration, Ist->St->time_base, AV_TIME_BASE_Q);
        else if (dec->framerate.num && dec->framerate.den)
            duration = av::av_rescale_q(1, av_inv_q(dec->framerate), AV_TIME_BASE_Q);
    }
    int result = av::avcodec_send_packet(dec, Packet);
    if (result < 0 && result != AVERROR_EOF && result != AVERROR(EAGAIN))
        return result;
    for (;;) {
        result = av::avcodec_receive_frame(dec, Ist->DecodedFrame.get());
        if (result == AVERROR(EAGAIN))
            break;
        if (result == AVERROR_EOF) {
            drained_.insert(Ist);
            SendEndToFilters(Ist);
            break;
        }
        if (result < 0)
            return result;
        result = video ? DecodeVideoFrame(Ist, Ist->DecodedFrame.get(), duration)
                       : DecodeAudioFrame(Ist, Ist->DecodedFrame.get());
        av::av_frame_unref(Ist->DecodedFrame.get());
        if (result < 0)
            return result;
    }
    if (video && Packet) {
        if (Ist->Dts != AV_NOPTS_VALUE && duration)
            Ist->NextDts += duration;
        else
            Ist->NextDts = AV_NOPTS_VALUE;
    }
    return 0;
}

int32_t TTranscoder::DecodeVideoFrame(TInputStream* Ist, AVFrame* Frame, int64_t Duration)
{
    if (Ist->TopFieldFirst >= 0)
        Frame->top_field_first = Ist->TopFieldFirst;
    if (Frame->best_effort_timestamp != AV_NOPTS_VALUE) {
        Frame->pts = Frame->best_effort_timestamp;
        Ist->NextPts = Ist->Pts = av::av_rescale_q(Frame->pts, Ist->St->time_base, AV_TIME_BASE_Q);
    }
    if (Duration)
        Ist->NextPts += Duration;
    hooks_.PreProcessVideoFrame(Frame, ++Ist->FrameCount, Ist->Pts);
    RateEmulate(Ist);
    if (Ist->St->sample_aspect_ratio.num)
        Frame->sample_aspect_ratio = Ist->St->sample_aspect_ratio;
    if (Frame->width != Ist->ResampleWidth || Frame->height != Ist->ResampleHeight ||
        Frame->format != Ist->ResamplePixFmt) {
        const char* from = av::av_get_pix_fmt_name(static_cast<AVPixelFormat>(Ist->ResamplePixFmt));
        const char* to = av::av_get_pix_fmt_name(static_cast<AVPixelFormat>(Frame->format));
        Logger()->LogFmt(&job_, llInfo, "Input stream #%d:%d frame changed from size:%dx%d fmt:%s to size:%dx%d fmt:%s",
                         Ist->FileIndex, Ist->St->index, Ist->ResampleWidth, Ist->ResampleHeight, from ? from : "none",
                         Frame->width, Frame->height, to ? to : "none");
        Ist->ResampleWidth = Frame->width;
        Ist->ResampleHeight = Frame->height;
        Ist->ResamplePixFmt = Frame->format;
        if (Ist->ReinitFilters)
            ReconfigureGraphsOf(Ist);
    }
    return SendToFilters(Ist, Frame);
}

int32_t TTranscoder::DecodeAudioFrame(TInputStream* Ist, AVFrame* Frame)
{
    if (Frame->sample_rate <= 0) {
        av::av_log(nullptr, AV_LOG_ERROR, "Sample rate %d invalid\n", Frame->sample_rate);
        return AVERROR_INVALIDDATA;
    }
    if (Frame->nb_samples < 1)
        Fatal(Format("the decoder \"%s\" return bad result.", Ist->Dec->name));
    const int64_t span = AV_TIME_BASE * int64_t(Frame->nb_samples) / Frame->sample_rate;
    Ist->NextPts += span;
    Ist->NextDts += span;
    CallAudioHook(job_.OnAudioInputHook, Frame, Ist->Pts);
    RateEmulate(Ist);
    const int32_t channels = Frame->ch_layout.nb_channels;
    uint64_t mask = GuessedLayoutMask(Ist, Frame);
    if (Frame->format != Ist->ResampleSampleFmt || Frame->sample_rate != Ist->ResampleSampleRate ||
        channels != Ist->ResampleChannels || mask != Ist->ResampleChannelLayout) {
        if (!mask) {
            if (!GuessInputChannelLayout(Ist, Ist->FileIndex))
                Fatal(Format("Unable to find default channel layout for Input Stream #%d.%d", Ist->FileIndex,
                             Ist->St->index));
            mask = GuessedLayoutMask(Ist, Frame);
        }
        Logger()->LogFmt(
            &job_, llInfo, "Input stream #%d:%d frame changed from rate:%d fmt:%s ch:%d to rate:%d fmt:%s ch:%d",
            Ist->FileIndex, Ist->St->index, Ist->ResampleSampleRate,
            av::av_get_sample_fmt_name(static_cast<AVSampleFormat>(Ist->ResampleSampleFmt)), Ist->ResampleChannels,
            Frame->sample_rate, av::av_get_sample_fmt_name(static_cast<AVSampleFormat>(Frame->format)), channels);
        Ist->ResampleSampleFmt = Frame->format;
        Ist->ResampleSampleRate = Frame->sample_rate;
        Ist->ResampleChannels = channels;
        Ist->ResampleChannelLayout = mask;
        ReconfigureGraphsOf(Ist);
    }
    // The filters were set up with the guessed layout: the frame says the same.
    if (mask && Frame->ch_layout.order != AV_CHANNEL_ORDER_NATIVE) {
        av::av_channel_layout_uninit(&Frame->ch_layout);
        av::av_channel_layout_from_mask(&Frame->ch_layout, mask);
    }
    AVRational timeBase = Ist->St->time_base;
    int64_t pts = Frame->pts;
    if (pts != AV_NOPTS_VALUE) {
        Ist->Dts = Ist->NextDts = Ist->Pts = Ist->NextPts = av::av_rescale_q(pts, timeBase, AV_TIME_BASE_Q);
    } else {
        pts = Ist->Dts;
        timeBase = AV_TIME_BASE_Q;
    }
    const AVRational sampleBase{1, Frame->sample_rate};
    Frame->pts =
        av::av_rescale_delta(timeBase, pts, sampleBase, Frame->nb_samples, &Ist->FilterInRescaleDeltaLast, sampleBase);
    return SendToFilters(Ist, Frame);
}

void TTranscoder::ReconfigureGraphsOf(TInputStream* Ist)
{
    for (const auto& graph : job_.FilterGraphs) {
        if (!InputStreamInFilterGraph(graph.get(), Ist))
            continue;
        if (ConfigureFilterGraph(graph.get()) < 0)
            Fatal("Error reinitializing filters!");
        for (const auto& output : graph->Outputs) {
            const TOutputStream* ost = output->Ost;
            if (ost->EncCtx->codec_type == AVMEDIA_TYPE_AUDIO && ost->Enc &&
                !(ost->Enc->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE))
                av::av_buffersink_set_frame_size(output->Filter, ost->EncCtx->frame_size);
        }
    }
}

int32_t TTranscoder::SendToFilters(TInputStream* Ist, AVFrame* Frame)
{
    for (const TInputFilter* source : Ist->Filters) {
        if (!Frame->sample_aspect_ratio.num)
            Frame->sample_aspect_ratio = Ist->St->sample_aspect_ratio;
        const int result = av::av_buffersrc_add_frame_flags(source->Filter, Frame,
                                                            AV_BUFFERSRC_FLAG_KEEP_REF | AV_BUFFERSRC_FLAG_PUSH);
        if (result < 0 && result != AVERROR_EOF)
            Fatal("Failed to inject frame into filter network");
    }
    return 0;
}

void TTranscoder::SendEndToFilters(TInputStream* Ist)
{
    for (const TInputFilter* source : Ist->Filters) {
        const int result = av::av_buffersrc_add_frame_flags(source->Filter, nullptr, AV_BUFFERSRC_FLAG_PUSH);
        if (result < 0 && result != AVERROR_EOF)
            Fatal("Failed to inject frame into filter network");
    }
}

void TTranscoder::CloseEncoders()
{
    TCriticalSectionGuard lock(CodecListLock);
    for (TOutputStream* ost : openEncoders_) {
        av::av_freep(&ost->EncCtx->stats_in);
        av::avcodec_close(ost->EncCtx);
        ost->EncoderOpened = 0;
    }
    openEncoders_.clear();
}

void TTranscoder::CloseDecoders()
{
    TCriticalSectionGuard lock(CodecListLock);
    for (TInputStream* ist : openDecoders_) {
        av::avcodec_close(ist->DecCtx.get());
        ist->DecoderClosed = 1;
    }
    openDecoders_.clear();
}

bool TTranscoder::CheckOutputConstraints(TInputStream* Ist, TOutputStream* Ost)
{
    if (Ost->SourceIndex != InputStreamIndex(job_, Ist) || Ost->Finished)
        return false;
    const int64_t start = FileOf(Ost)->StartTime;
    return !(start && start != AV_NOPTS_VALUE && Ist->Pts < start);
}
