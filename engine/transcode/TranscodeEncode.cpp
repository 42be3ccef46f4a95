// Encoding: frames from the graph sinks to the encoders (with frame-rate
// conversion and forced key frames), stream copy, recording time, and the
// drain of the encoders at the end.

#include <cmath>
#include <cstring>
#include <vector>

#include "engine/binding/AVCodecStubs.h"
#include "engine/binding/AVFilterStubs.h"
#include "engine/binding/AVUtilStubs.h"
#include "engine/transcode/FFVideoSync.h"
#include "engine/transcode/SubtitleCanvas.h"
#include "engine/transcode/Transcoder.h"
#include "platform/core/Strings.h"
#include "platform/core/Types.h"

extern "C" {
#include <libavutil/intreadwrite.h>
}

namespace {

int64_t StartTimeOf(const TOutputFile* File) { return File->StartTime == AV_NOPTS_VALUE ? 0 : File->StartTime; }

// Planar samples interleaved into one packed buffer.
std::vector<uint8_t> PackedSamples(const AVFrame* Frame)
{
    const auto format = static_cast<AVSampleFormat>(Frame->format);
    const int bytes = av::av_get_bytes_per_sample(format);
    const int channels = Frame->ch_layout.nb_channels;
    std::vector<uint8_t> packed(static_cast<size_t>(bytes) * channels * Frame->nb_samples);
    if (!av::av_sample_fmt_is_planar(format)) {
        std::memcpy(packed.data(), Frame->extended_data[0], packed.size());
        return packed;
    }
    uint8_t* out = packed.data();
    for (int s = 0; s < Frame->nb_samples; ++s)
        for (int c = 0; c < channels; ++c, out += bytes)
            std::memcpy(out, Frame->extended_data[c] + s * bytes, bytes);
    return packed;
}

} // namespace

void TTranscoder::CallAudioHook(const TJobAudioHook& Hook, const AVFrame* Frame, int64_t PtsUs)
{
    if (!Hook)
        return;
    std::vector<uint8_t> packed = PackedSamples(Frame);
    Hook(&job_, PtsUs, packed.data(), static_cast<int32_t>(packed.size()), Frame->sample_rate,
         Frame->ch_layout.nb_channels, av::av_get_packed_sample_fmt(static_cast<AVSampleFormat>(Frame->format)));
}

int32_t TTranscoder::ReapFilters()
{
    for (int32_t i = job_.FirstActiveStream; i <= job_.LastActiveStream; ++i) {
        TOutputStream* ost = job_.OutputStream(i);
        if (!ost->Filter || !ost->Filter->Filter)
            continue;
        const int32_t result = ReapStream(ost);
        if (result < 0)
            return result;
    }
    return 0;
}

int32_t TTranscoder::ReapStream(TOutputStream* Ost)
{
    if (TFilterChain* chain = ChainOf(Ost->Filter->Graph)) {
        const int32_t result = chain->Pump();
        if (result < 0)
            return result;
    }
    if (!Ost->FilteredFrame)
        Ost->FilteredFrame.reset(av::av_frame_alloc());
    AVFrame* frame = Ost->FilteredFrame.get();
    if (!frame)
        return AVERROR(ENOMEM);
    AVFilterContext* sink = Ost->Filter->Filter;
    AVCodecContext* enc = Ost->EncCtx;
    TOutputFile* file = FileOf(Ost);
    for (;;) {
        const int result = av::av_buffersink_get_frame_flags(sink, frame, AV_BUFFERSINK_FLAG_NO_REQUEST);
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF)
            break;
        if (result < 0) {
            Logger()->Log(&job_, llWarning, GetErrorText("Error in av_buffersink_get_buffer_ref()", result));
            break;
        }
        if (frame->pts != AV_NOPTS_VALUE) {
            const int64_t start = av::av_rescale_q(StartTimeOf(file), AV_TIME_BASE_Q, enc->time_base);
            frame->pts = av::av_rescale_q(frame->pts, av::av_buffersink_get_time_base(sink), enc->time_base) - start;
            if (StartTimeOf(file) && frame->pts < 0) {
                av::av_frame_unref(frame);
                continue;
            }
        }
        if (enc->codec_type == AVMEDIA_TYPE_VIDEO) {
            DoVideoOut(file, Ost, frame);
        } else if (enc->codec_type == AVMEDIA_TYPE_AUDIO) {
            if (!(Ost->Enc->capabilities & AV_CODEC_CAP_PARAM_CHANGE) &&
                frame->ch_layout.nb_channels != enc->ch_layout.nb_channels) {
                Logger()->Log(
                    &job_, llError,
                    "Audio filter graph output is not normalized and encoder does not support parameter changes");
                av::av_frame_unref(frame);
                break;
            }
            DoAudioOut(file, Ost, frame);
        } else {
            Fatal("Never occur");
        }
        av::av_frame_unref(frame);
    }
    return 0;
}

void TTranscoder::DoVideoOut(TOutputFile* Of, TOutputStream* Ost, AVFrame* Frame)
{
    AVCodecContext* enc = Ost->EncCtx;
    const TInputStream* source = Ost->SourceIndex >= 0 ? job_.InputStream(Ost->SourceIndex) : nullptr;
    double duration = 0;
    if (source && source->St->start_time != AV_NOPTS_VALUE && Ost->FrameRate.num)
        duration = 1 / (av_q2d(Ost->FrameRate) * av_q2d(enc->time_base));
    const int32_t method = ResolveVideoSync(job_.VideoSyncMethod, Of->Ctx->oformat->flags);
    if (method == VsyncPassThrough && Ost->SyncIst)
        Frame->pts = Round((Ost->SyncIst->Pts - StartTimeOf(Of)) / 1e6L / av_q2d(enc->time_base));
    const auto pts = static_cast<double>(Frame->pts);
    const TVideoCopies copies = VideoFrameCopies(method, pts, pts - Ost->SyncOpts + duration, Ost->SyncOpts,
                                                 Ost->MaxFrames - Ost->FrameNumber, job_.DtsErrorThreshold);
    Ost->SyncOpts = copies.SyncOpts;
    if (copies.Dropped) {
        ++totals_.DropFrames;
        totals_.DupOrDropChanged = true;
        if (copies.TooManyCopies)
            Logger()->LogFmt(&job_, llError, "%lld frame duplication too large, skipping",
                             static_cast<long long>(copies.Copies - 1));
        else
            Logger()->Log(&job_, llVerbose, "*** drop!");
        return;
    }
    if (copies.Copies > 1) {
        totals_.DupFrames += static_cast<int32_t>(copies.Copies - 1);
        totals_.DupOrDropChanged = true;
        Logger()->LogFmt(&job_, llVerbose, "*** %lld dup!", static_cast<long long>(copies.Copies - 1));
    }
    for (int64_t i = 0; i < copies.Copies && (job_.Finishing || !job_.Aborted); ++i) {
        Frame->pts = Ost->SyncOpts;
        if (!CheckRecordingTime(Ost))
            break;
        EncodeVideoCopy(Of, Ost, Frame);
        ++Ost->SyncOpts;
        ++Ost->FrameNumber;
    }
}

void TTranscoder::EncodeVideoCopy(TOutputFile* Of, TOutputStream* Ost, AVFrame* Frame)
{
    AVCodecContext* enc = Ost->EncCtx;
    if ((enc->flags & (AV_CODEC_FLAG_INTERLACED_DCT | AV_CODEC_FLAG_INTERLACED_ME)) && Ost->TopFieldFirst >= 0)
        Frame->top_field_first = Ost->TopFieldFirst;
    if (Frame->interlaced_frame) {
        if (enc->codec_id == AV_CODEC_ID_MJPEG)
            enc->field_order = Frame->top_field_first ? AV_FIELD_TT : AV_FIELD_BB;
        else
            enc->field_order = Frame->top_field_first ? AV_FIELD_TB : AV_FIELD_BT;
    } else {
        enc->field_order = AV_FIELD_PROGRESSIVE;
    }
    Frame->quality = enc->global_quality;
    Frame->pict_type = AV_PICTURE_TYPE_NONE;
    if (ForceKeyFrame(Ost, Frame)) {
        Frame->pict_type = AV_PICTURE_TYPE_I;
        Logger()->LogFmt(&job_, llDebug, "Forced keyframe at time %f", Frame->pts * av_q2d(enc->time_base));
    }
    const int64_t timeUs = av::av_rescale_q(Frame->pts, enc->time_base, AV_TIME_BASE_Q);
    bool bitmapValid = false;
    hooks_.OutputHooks(Frame, Ost->FrameNumber + 1, timeUs, bitmapValid);
    if (job_.PreviewFlags() != 0)
        hooks_.PreviewFrame(Frame, bitmapValid, Ost->FrameNumber + 1, timeUs);
    EncodeFrame(Of, Ost, Frame, "Video encoding failed");
}

bool TTranscoder::ForceKeyFrame(TOutputStream* Ost, AVFrame* Frame)
{
    const double time = Frame->pts == AV_NOPTS_VALUE ? NAN : Frame->pts * av_q2d(Ost->EncCtx->time_base);
    if (Ost->ForcedKfIndex < static_cast<int32_t>(Ost->ForcedKfPts.size()) &&
        Frame->pts >= Ost->ForcedKfPts[Ost->ForcedKfIndex]) {
        ++Ost->ForcedKfIndex;
        return true;
    }
    if (!Ost->ForcedKeyFramesPexpr)
        return false;
    double* v = Ost->ForcedKeyFramesExprConstValues; // n, n_forced, prev_forced_n, prev_forced_t
    const double values[5] = {v[0], v[1], v[2], v[3], time};
    const double result = av::av_expr_eval(Ost->ForcedKeyFramesPexpr, values, nullptr);
    Logger()->LogFmt(&job_, llDebug,
                     "force_key_frame: n:%f n_forced:%f prev_forced_n:%f t:%f prev_forced_t:%f -> res:%f", v[0], v[1],
                     v[2], time, v[3], result);
    const bool forced = result != 0;
    if (forced) {
        v[2] = v[0];
        v[3] = time;
        v[1] += 1;
    }
    v[0] += 1;
    return forced;
}

void TTranscoder::DoAudioOut(TOutputFile* Of, TOutputStream* Ost, AVFrame* Frame)
{
    if (!CheckRecordingTime(Ost))
        return;
    if (Frame->pts == AV_NOPTS_VALUE || job_.AudioSyncMethod < 0)
        Frame->pts = Ost->SyncOpts;
    Ost->SyncOpts = Frame->pts + Frame->nb_samples;
    CallAudioHook(job_.OnAudioOutputHook, Frame, av::av_rescale_q(Frame->pts, Ost->EncCtx->time_base, AV_TIME_BASE_Q));
    EncodeFrame(Of, Ost, Frame, "Audio encoding failed (avcodec_encode_audio2)");
}

int32_t TTranscoder::EncodeFrame(TOutputFile* Of, TOutputStream* Ost, AVFrame* Frame, const char* Failure)
{
    AVCodecContext* enc = Ost->EncCtx;
    int result = av::avcodec_send_frame(enc, Frame);
    if (result == AVERROR_EOF && !Frame)
        return 0;
    if (result < 0)
        Fatal(Failure);
    const bool video = enc->codec_type == AVMEDIA_TYPE_VIDEO;
    for (;;) {
        result = av::avcodec_receive_packet(enc, encoded_.get());
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF)
            return 0;
        if (result < 0)
            Fatal(Failure);
        ReadQualityStats(Ost, encoded_.get());
        if (video && encoded_->pts == AV_NOPTS_VALUE && !(Ost->Enc->capabilities & AV_CODEC_CAP_DELAY))
            encoded_->pts = Ost->SyncOpts;
        av::av_packet_rescale_ts(encoded_.get(), enc->time_base, Ost->St->time_base);
        if (job_.JoinMode && encoded_->dts != AV_NOPTS_VALUE) {
            // Segments continue one stream: decoding times keep increasing across
            // a new encoder's start; presentation times only follow when they
            // would fall before them, so that reordered frames keep their order.
            if (Ost->LastDts != AV_NOPTS_VALUE && encoded_->dts <= Ost->LastDts)
                encoded_->dts = Ost->LastDts + 1;
            if (encoded_->pts != AV_NOPTS_VALUE && encoded_->pts < encoded_->dts)
                encoded_->pts = encoded_->dts;
            Ost->LastDts = encoded_->dts;
            Ost->LastPts = encoded_->pts;
        }
        // Muxers derive the stream's length from the last packet's duration.
        if (video && encoded_->duration <= 0 && Ost->FrameRate.num)
            encoded_->duration = av::av_rescale_q(1, av_inv_q(Ost->FrameRate), Ost->St->time_base);
        (video ? totals_.VideoSize : totals_.AudioSize) += encoded_->size;
        if (Ost->Logfile && enc->stats_out)
            std::fputs(enc->stats_out, Ost->Logfile.get());
        const int32_t size = encoded_->size;
        WriteFrame(Of->Ctx, encoded_.get(), Ost);
        ++StateOf(Ost).Packets;
        if (video && !job_.VStatsFileName.empty())
            DoVideoStats(Ost, size);
    }
}

int32_t TTranscoder::TranscodeSubtitles(TInputStream* Ist, const AVPacket* Packet)
{
    AVSubtitle subtitle{};
    int got = 0;
    int result = av::avcodec_decode_subtitle2(Ist->DecCtx.get(), &subtitle, &got, const_cast<AVPacket*>(Packet));
    if (Ist->FixSubDuration) {
        // Each subtitle goes out one step late, cut to end where the next begins.
        auto& previous = Ist->PrevSub;
        if (got && previous.GotOutput) {
            const int64_t end = av::av_rescale(subtitle.pts - previous.Subtitle.pts, 1000, AV_TIME_BASE);
            if (end < previous.Subtitle.end_display_time) {
                av::av_log(Ist->DecCtx.get(), AV_LOG_DEBUG, "Subtitle duration reduced from %d to %d\n",
                           previous.Subtitle.end_display_time, static_cast<int>(end));
                previous.Subtitle.end_display_time = static_cast<uint32_t>(end);
            }
        }
        std::swap(got, previous.GotOutput);
        std::swap(result, previous.Ret);
        std::swap(subtitle, previous.Subtitle);
    }
    if (result < 0 || !got)
        return result < 0 ? result : 0;
    Sub2VideoUpdate(job_, Ist, &subtitle);
    if (subtitle.num_rects) {
        RateEmulate(Ist);
        for (int32_t i = job_.FirstActiveStream; i <= job_.LastActiveStream; ++i) {
            TOutputStream* ost = job_.OutputStream(i);
            if (CheckOutputConstraints(Ist, ost) && ost->EncodingNeeded)
                DoSubtitleOut(FileOf(ost), ost, &subtitle);
        }
    }
    av::avsubtitle_free(&subtitle);
    return 0;
}

void TTranscoder::DoSubtitleOut(TOutputFile* Of, TOutputStream* Ost, const AVSubtitle* Subtitle)
{
    constexpr int BufferSize = 1 << 20;
    if (Subtitle->pts == AV_NOPTS_VALUE) {
        if (job_.ExitOnError)
            Fatal("Subtitle packets must have a pts");
        Logger()->Log(&job_, llError, "Subtitle packets must have a pts");
        return;
    }
    if (!subtitleBuffer_ && !(subtitleBuffer_ = static_cast<uint8_t*>(av::av_malloc(BufferSize))))
        Fatal("Failed to allocate subtitle_out");
    AVCodecContext* enc = Ost->EncCtx;
    const bool dvb = enc->codec_id == AV_CODEC_ID_DVB_SUBTITLE;
    const int64_t pts = Subtitle->pts - StartTimeOf(Of);
    for (int pass = 0; pass < (dvb ? 2 : 1); ++pass) {
        Ost->SyncOpts = av::av_rescale_q(pts, AV_TIME_BASE_Q, enc->time_base);
        if (!CheckRecordingTime(Ost))
            return;
        AVSubtitle shown = *Subtitle; // DVB clears the picture with a second, empty one
        shown.pts = pts + av::av_rescale_q(Subtitle->start_display_time, AVRational{1, 1000}, AV_TIME_BASE_Q);
        shown.end_display_time -= shown.start_display_time;
        shown.start_display_time = 0;
        if (pass == 1)
            shown.num_rects = 0;
        const int size = av::avcodec_encode_subtitle(enc, subtitleBuffer_, BufferSize, &shown);
        if (size < 0)
            Fatal("Subtitle encoding failed");
        av::av_packet_unref(encoded_.get());
        if (av::av_new_packet(encoded_.get(), size) < 0)
            Fatal("Subtitle encoding failed");
        std::memcpy(encoded_->data, subtitleBuffer_, size);
        encoded_->pts = av::av_rescale_q(shown.pts, AV_TIME_BASE_Q, Ost->St->time_base);
        encoded_->duration = av::av_rescale_q(shown.end_display_time, AVRational{1, 1000}, Ost->St->time_base);
        if (dvb)
            encoded_->pts += 90 * (pass == 0 ? shown.start_display_time : shown.end_display_time);
        encoded_->dts = encoded_->pts;
        totals_.SubtitleSize += size;
        WriteFrame(Of->Ctx, encoded_.get(), Ost);
    }
}

void TTranscoder::DoStreamCopy(TInputStream* Ist, TOutputStream* Ost, const AVPacket* Packet)
{
    TOutputFile* file = FileOf(Ost);
    const int64_t start = StartTimeOf(file);
    const AVRational inBase = Ist->St->time_base, outBase = Ost->St->time_base;
    const int64_t offset = av::av_rescale_q(start, AV_TIME_BASE_Q, outBase);
    if (!Ost->FrameNumber && !(Packet->flags & AV_PKT_FLAG_KEY) && !Ost->CopyInitialNonKeyframes)
        return;
    if (!Ost->FrameNumber && Ist->Pts < start && !Ost->CopyPriorStart)
        return;
    if (file->RecordingTime != INT64_MAX && Ist->Pts >= file->RecordingTime + start) {
        CloseOutputStream(Ost);
        return;
    }
    const AVMediaType type = Ist->St->codecpar->codec_type;
    if (type == AVMEDIA_TYPE_VIDEO) {
        totals_.VideoSize += Packet->size;
        ++Ost->SyncOpts;
    } else if (type == AVMEDIA_TYPE_AUDIO) {
        totals_.AudioSize += Packet->size;
    } else if (type == AVMEDIA_TYPE_SUBTITLE) {
        totals_.SubtitleSize += Packet->size;
    }
    AVPacket* copy = encoded_.get();
    if (av::av_packet_ref(copy, Packet) < 0)
        Fatal("av_packet_ref() failed");
    copy->pts =
        Packet->pts != AV_NOPTS_VALUE ? av::av_rescale_q(Packet->pts, inBase, outBase) - offset : AV_NOPTS_VALUE;
    copy->dts = (Packet->dts == AV_NOPTS_VALUE ? av::av_rescale_q(Ist->Dts, AV_TIME_BASE_Q, outBase)
                                               : av::av_rescale_q(Packet->dts, inBase, outBase)) -
        offset;
    if (type == AVMEDIA_TYPE_AUDIO && Packet->dts != AV_NOPTS_VALUE) {
        const AVCodecParameters* par = Ist->St->codecpar;
        int duration = av::av_get_audio_frame_duration2(Ist->St->codecpar, Packet->size);
        if (!duration)
            duration = par->frame_size;
        if (duration > 0 && par->sample_rate > 0)
            copy->dts = copy->pts = av::av_rescale_delta(inBase, Packet->dts, AVRational{1, par->sample_rate}, duration,
                                                         &Ist->FilterInRescaleDeltaLast, outBase) -
                offset;
    }
    copy->duration = av::av_rescale_q(Packet->duration, inBase, outBase);
    if (Ost->LastDts != AV_NOPTS_VALUE && Ost->LastDts >= copy->dts)
        copy->dts = Ost->LastDts + 1;
    if (copy->pts < copy->dts)
        copy->pts = copy->dts;
    Ost->LastDts = copy->dts;
    WriteFrame(file->Ctx, copy, Ost);
}

void TTranscoder::FlushEncoders()
{
    for (int32_t i = job_.FirstActiveStream; i <= job_.LastActiveStream; ++i) {
        TOutputStream* ost = job_.OutputStream(i);
        const TOutputStream* owner = job_.JoinMode ? job_.OutputStream(i % job_.JoinStreamCount) : ost;
        if (!ost->EncodingNeeded || !owner->EncoderOpened || !flushed_.insert(ost).second)
            continue;
        const AVCodecContext* enc = ost->EncCtx;
        if (enc->codec_type == AVMEDIA_TYPE_AUDIO && enc->frame_size <= 1)
            continue;
        if (enc->codec_type == AVMEDIA_TYPE_VIDEO)
            EncodeFrame(FileOf(ost), ost, nullptr, "Video encoding failed");
        else if (enc->codec_type == AVMEDIA_TYPE_AUDIO)
            EncodeFrame(FileOf(ost), ost, nullptr, "Audio encoding failed");
    }
}

bool TTranscoder::CheckRecordingTime(TOutputStream* Ost)
{
    const TOutputFile* file = FileOf(Ost);
    if (file->RecordingTime != INT64_MAX &&
        av::av_compare_ts(Ost->SyncOpts - Ost->FirstPts, Ost->EncCtx->time_base, file->RecordingTime, AV_TIME_BASE_Q) >=
            0) {
        CloseOutputStream(Ost);
        return false;
    }
    return true;
}

void TTranscoder::CloseOutputStream(TOutputStream* Ost)
{
    Ost->Finished = 1;
    TOutputFile* file = FileOf(Ost);
    if (!file->Shortest)
        return;
    const AVRational base = Ost->EncCtx->time_base.num ? Ost->EncCtx->time_base : Ost->St->time_base;
    const int64_t end = av::av_rescale_q(Ost->SyncOpts - Ost->FirstPts, base, AV_TIME_BASE_Q);
    file->RecordingTime = std::min(file->RecordingTime, end);
}
