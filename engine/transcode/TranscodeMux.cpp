// Muxing and the progress report: time-stamp clipping, the frame limit,
// bitstream filters, interleaved writing under the write time-out, and the
// throttled report that reaches the encoder's progress event.

#include <algorithm>
#include <cmath>

#include "engine/binding/AVCodecStubs.h"
#include "engine/binding/AVFormatStubs.h"
#include "engine/binding/AVUtilStubs.h"
#include "engine/transcode/FFVideoSync.h"
#include "engine/transcode/Transcoder.h"
#include "platform/core/Strings.h"
#include "platform/core/Types.h"

extern "C" {
#include <libavutil/intreadwrite.h>
}

namespace {

const char* const HintText =
    "Please check error log message(reported by FFLogger) to find out more detail information.";

double Psnr(double Error) { return -10.0 * std::log10(Error); }

std::string ClockText(int64_t Microseconds, bool Micro)
{
    const int64_t us = std::max<int64_t>(Microseconds, 0);
    const int64_t seconds = us / 1000000;
    return Micro ? Format("%02d:%02d:%02d.%06d", int(seconds / 3600), int(seconds / 60 % 60), int(seconds % 60),
                          int(us % 1000000))
                 : Format("%02d:%02d:%02d.%03d", int(seconds / 3600), int(seconds / 60 % 60), int(seconds % 60),
                          int(us % 1000000 / 1000));
}

} // namespace

bool TReportThrottle::Due(int64_t Now, int64_t IntervalUs)
{
    if (last_ == -1 || Now - last_ < IntervalUs) {
        if (last_ == -1)
            last_ = Now;
        return false;
    }
    last_ = Now;
    return true;
}

void TTranscoder::WriteFrame(AVFormatContext* Context, AVPacket* Packet, TOutputStream* Ost)
{
    const AVMediaType type = Ost->St->codecpar->codec_type;
    if ((type == AVMEDIA_TYPE_VIDEO && job_.VideoSyncMethod == VsyncDrop) ||
        (type == AVMEDIA_TYPE_AUDIO && job_.AudioSyncMethod < 0))
        Packet->pts = Packet->dts = AV_NOPTS_VALUE;
    if (type == AVMEDIA_TYPE_AUDIO || type == AVMEDIA_TYPE_VIDEO)
        ClipDts(Context, Packet, Ost);
    if (!(type == AVMEDIA_TYPE_VIDEO && Ost->EncodingNeeded)) {
        if (Ost->FrameNumber >= Ost->MaxFrames) {
            av::av_packet_unref(Packet);
            return;
        }
        ++Ost->FrameNumber;
    }
    Packet->stream_index = Ost->Index;
    if (!StateOf(Ost).BsfReady) {
        InterleavedWrite(Context, Packet, Ost);
        return;
    }
    AVBSFContext* bsf = Ost->BitstreamFilters.get();
    int result = av::av_bsf_send_packet(bsf, Packet);
    while (result >= 0) {
        result = av::av_bsf_receive_packet(bsf, Packet);
        if (result < 0)
            break;
        InterleavedWrite(Context, Packet, Ost);
    }
    if (result == AVERROR(EAGAIN) || result == AVERROR_EOF)
        return;
    const std::string text = GetErrorText(Format("Failed to open bitstream filter %s for stream %d with codec %s",
                                                 bsf->filter->name, Ost->Index, Ost->Enc ? Ost->Enc->name : "copy"),
                                          result);
    if (job_.ExitOnError)
        Fatal(text);
    Logger()->Log(&job_, llError, text);
    av::av_packet_unref(Packet);
}

void TTranscoder::ClipDts(AVFormatContext* Context, AVPacket* Packet, TOutputStream* Ost)
{
    const int64_t last = StateOf(Ost).MuxDts;
    if (Packet->dts == AV_NOPTS_VALUE || last == AV_NOPTS_VALUE || !StateOf(Ost).Written)
        return;
    const int64_t max = last + !(Context->oformat->flags & AVFMT_TS_NONSTRICT);
    if (max <= Packet->dts)
        return;
    const bool loud = max - Packet->dts > 2 || Ost->St->codecpar->codec_type == AVMEDIA_TYPE_VIDEO;
    av::av_log(nullptr, loud ? AV_LOG_WARNING : AV_LOG_DEBUG, "st:%d PTS: %lld DTS: %lld < %lld invalid, clipping\n",
               Ost->St->index, static_cast<long long>(Packet->pts), static_cast<long long>(Packet->dts),
               static_cast<long long>(max));
    if (Packet->pts >= Packet->dts)
        Packet->pts = std::max(Packet->pts, max);
    Packet->dts = max;
}

void TTranscoder::InterleavedWrite(AVFormatContext* Context, AVPacket* Packet, TOutputStream* Ost)
{
    if (Packet->dts != AV_NOPTS_VALUE) {
        StateOf(Ost).MuxDts = Packet->dts;
        StateOf(Ost).Written = true;
    }
    // Once stopped, nothing is written until the finish: a write broken by the
    // interrupt would poison the file's I/O for the trailer.
    if (job_.Aborted && !job_.Finishing) {
        av::av_packet_unref(Packet);
        return;
    }
    job_.WriteStartTime = av::av_gettime();
    const int result = av::av_interleaved_write_frame(Context, Packet);
    if (result < 0 && !job_.Aborted)
        Fatal(GetErrorText("av_interleaved_write_frame()", result) + ". " + HintText);
}

void TTranscoder::ReadQualityStats(TOutputStream* Ost, const AVPacket* Packet)
{
    size_t size = 0;
    const uint8_t* stats = av::av_packet_get_side_data(Packet, AV_PKT_DATA_QUALITY_STATS, &size);
    if (!stats || size < 4)
        return;
    TOutputStreamState& state = StateOf(Ost);
    // The quality is a signed value: encoders write -1 times the lambda unit for "unknown".
    state.Quality = static_cast<float>(static_cast<int32_t>(AV_RL32(stats))) / FF_QP2LAMBDA;
    if (size < 6)
        return;
    state.PictType = stats[4];
    state.ErrorCount = std::min<int32_t>(stats[5], 3);
    if (size < 8 + 8 * static_cast<size_t>(state.ErrorCount))
        state.ErrorCount = 0;
    for (int32_t i = 0; i < state.ErrorCount; ++i) {
        state.Error[i] = AV_RL64(stats + 8 + 8 * i);
        state.ErrorSum[i] += state.Error[i];
    }
}

void TTranscoder::DoVideoStats(TOutputStream* Ost, int32_t FrameSize)
{
    if (!vstats_ && !(vstats_ = std::fopen(job_.VStatsFileName.c_str(), "w")))
        Fatal("fopen fail: " + job_.VStatsFileName);
    const AVCodecContext* enc = Ost->EncCtx;
    const TOutputStreamState& state = StateOf(Ost);
    std::fprintf(vstats_, "frame= %5d q= %2.1f ", state.Packets, state.Quality);
    if ((enc->flags & AV_CODEC_FLAG_PSNR) && state.ErrorCount > 0)
        std::fprintf(vstats_, "PSNR= %6.2f ", Psnr(state.Error[0] / (enc->width * enc->height * 255.0 * 255.0)));
    std::fprintf(vstats_, "f_size= %6d ", FrameSize);
    const double time = std::max(state.MuxDts * av_q2d(Ost->St->time_base), 0.01);
    const double bitRate = FrameSize * 8 / av_q2d(enc->time_base) / 1000.0;
    std::fprintf(vstats_, "s_size= %8.0fkB time= %0.3f br= %7.1fkbits/s avg_br= %7.1fkbits/s ",
                 totals_.VideoSize / 1024.0, time, bitRate, totals_.VideoSize * 8 / time / 1000.0);
    std::fprintf(vstats_, "type= %c\n", av::av_get_picture_type_char(static_cast<AVPictureType>(state.PictType)));
}

void TTranscoder::AppendQualityReport(const TOutputStream* Ost, bool Last, std::string& Line, std::string& Progress)
{
    const TOutputStreamState& state = StateOf(Ost);
    if (job_.QpHist) {
        const int64_t qp = Round(state.Quality);
        if (qp >= 0 && qp < 52)
            ++qpHistogram_[qp];
        for (int j = 0; j < 32; ++j)
            Line += Format("%X", static_cast<int>(Round(std::log2(qpHistogram_[j] + 1.0))));
    }
    const AVCodecContext* enc = Ost->EncCtx;
    if (!(enc->flags & AV_CODEC_FLAG_PSNR) || state.ErrorCount == 0)
        return;
    Line += "PSNR=";
    double errorSum = 0, scaleSum = 0;
    for (int j = 0; j < state.ErrorCount; ++j) {
        const double error = static_cast<double>(Last ? state.ErrorSum[j] : state.Error[j]);
        double scale = enc->width * enc->height * 255.0 * 255.0 * (Last ? state.Packets : 1);
        if (j)
            scale /= 4;
        errorSum += error;
        scaleSum += scale;
        const char plane = "YUV"[j];
        Line += Format("%c:%2.2f ", plane, Psnr(error / scale));
        Progress += Format("stream_%d_%d_psnr_%c=%2.2f\n", Ost->FileIndex, Ost->Index, plane + 32, Psnr(error / scale));
    }
    Line += Format("*:%2.2f ", Psnr(errorSum / scaleSum));
    Progress += Format("stream_%d_%d_psnr_all=%2.2f\n", Ost->FileIndex, Ost->Index, Psnr(errorSum / scaleSum));
}

void TTranscoder::RateEmulate(TInputStream* Ist)
{
    if (!job_.InputFiles[Ist->FileIndex]->RateEmu)
        return;
    const int64_t elapsed = av::av_gettime() - Ist->Start;
    if (Ist->Dts > elapsed)
        av::av_usleep(static_cast<unsigned>(Ist->Dts - elapsed));
}

void TTranscoder::PrintReport(int32_t Segment, bool Last, int64_t Now, int64_t TimerStart)
{
    if (!job_.PrintStats && !Last && !job_.ProgressAvio && !job_.OnProgress)
        return;
    if (!Last && !reportThrottle_.Due(Now, job_.ProgressIntervalUs))
        return;
    AVIOContext* io = job_.OutputFileCount() ? job_.OutputFile(0)->Ctx->pb : nullptr;
    int64_t totalSize = io ? av::avio_size(io) : -1;
    if (io && totalSize <= 0)
        totalSize = av::avio_seek(io, 0, SEEK_CUR);

    TReport report;
    ReportStreams(Segment, Last, (Now - TimerStart) / 1e6, report);
    ReportTotals(totalSize, report);
    if (job_.OnProgress)
        job_.OnProgress(&job_, Last ? -1 : Segment, report.FrameNumber, report.Fps, report.Quality,
                        static_cast<float>(report.BitRate), std::max<int64_t>(totalSize, 0), report.EventTime,
                        job_.Duration);
    if ((job_.PrintStats && !job_.OnProgress) || Last)
        Logger()->Log(&job_, llInfo, report.Line.substr(0, 1024));
    if (job_.ProgressAvio) {
        report.Progress += Format("progress=%s\n", Last ? "end" : "continue");
        av::avio_write(job_.ProgressAvio, reinterpret_cast<const unsigned char*>(report.Progress.data()),
                       static_cast<int>(report.Progress.size()));
        av::avio_flush(job_.ProgressAvio);
        if (Last)
            av::avio_closep(&job_.ProgressAvio);
    }
    if (Last)
        ReportSummary(totalSize);
}

void TTranscoder::ReportStreams(int32_t Segment, bool Last, double Seconds, TReport& Report)
{
    bool videoSeen = false;
    const int32_t first = ReportedStreamStart(Segment);
    const int32_t count = job_.JoinMode ? job_.JoinStreamCount : job_.OutputStreamCount();
    for (int32_t i = first; i < first + count; ++i) {
        TOutputStream* ost = job_.OutputStream(i);
        const TOutputStreamState& state = StateOf(ost);
        Report.Quality = ost->StreamCopy ? -1 : state.Quality;
        const bool video = ost->St->codecpar->codec_type == AVMEDIA_TYPE_VIDEO;
        if (video && videoSeen) {
            Report.Line += Format("q=%2.1f ", Report.Quality);
            Report.Progress += Format("stream_%d_%d_q=%.1f\n", ost->FileIndex, ost->Index, Report.Quality);
        }
        if (video && !videoSeen && !segmentDone_.count(ost)) {
            videoSeen = true;
            if (ost->FrameNumber >= 1)
                ReportFirstVideo(ost, Last, Seconds, Report);
        }
        if (state.MuxDts == AV_NOPTS_VALUE || !state.Written)
            continue;
        Report.EventTime = av::av_rescale_q(state.MuxDts, ost->St->time_base, AV_TIME_BASE_Q);
        if (!Last && ost->Finished)
            continue;
        Report.Time = std::max(Report.Time, Report.EventTime);
    }
}

void TTranscoder::ReportFirstVideo(const TOutputStream* Ost, bool Last, double Seconds, TReport& Report)
{
    const double rate = Seconds > 1 ? Ost->FrameNumber / Seconds : 0;
    Report.FrameNumber = Ost->FrameNumber;
    Report.Fps = static_cast<int32_t>(Round(rate));
    Report.Line += Format("frame=%5d fps=%3.*f q=%3.1f ", Report.FrameNumber, rate < 9.95, rate, Report.Quality);
    Report.Progress += Format("frame=%d\nfps=%.1f\nstream_%d_%d_q=%.1f\n", Report.FrameNumber, rate, Ost->FileIndex,
                              Ost->Index, Report.Quality);
    if (Last)
        Report.Line += "L";
    AppendQualityReport(Ost, Last, Report.Line, Report.Progress);
}

void TTranscoder::ReportTotals(int64_t TotalSize, TReport& Report)
{
    Report.BitRate = Report.Time > 0 && TotalSize >= 0 ? TotalSize * 8 / (Report.Time / 1000.0) : -1;
    Report.Line += TotalSize < 0 ? "size=N/A time=" : Format("size=%8.0fkB time=", TotalSize / 1024.0);
    Report.Line += ClockText(Report.Time, false) + " ";
    Report.Line += Report.BitRate < 0 ? "bitrate=N/A" : Format("bitrate=%6.1fkbits/s", Report.BitRate);
    Report.Progress +=
        TotalSize < 0 ? "total_size=N/A\n" : Format("total_size=%lld\n", static_cast<long long>(TotalSize));
    Report.Progress += Format("out_time_ms=%lld\nout_time=%s\n", static_cast<long long>(Report.Time),
                              ClockText(Report.Time, true).c_str());
    if (totals_.DupFrames || totals_.DropFrames)
        Report.Line += Format(" dup=%d drop=%d", totals_.DupFrames, totals_.DropFrames);
    if (totals_.DupOrDropChanged && job_.OnProgress) {
        totals_.DupOrDropChanged = false;
        Logger()->Log(&job_, llInfo, Report.Line);
    }
    Report.Progress += Format("dup_frames=%d\ndrop_frames=%d\n", totals_.DupFrames, totals_.DropFrames);
}

void TTranscoder::ReportSummary(int64_t TotalSize)
{
    const int64_t raw = totals_.VideoSize + totals_.AudioSize + totals_.SubtitleSize + totals_.ExtraSize;
    const std::string overhead = raw ? Format("%f%%", 100.0 * (TotalSize - raw) / raw) : std::string("unknown");
    Logger()->LogFmt(&job_, llInfo,
                     "video:%1.0fkB audio:%1.0fkB subtitle:%1.0f global headers:%1.0fkB muxing overhead %s",
                     totals_.VideoSize / 1024.0, totals_.AudioSize / 1024.0, totals_.SubtitleSize / 1024.0,
                     totals_.ExtraSize / 1024.0, overhead.c_str());
    if (raw == 0)
        Logger()->Log(&job_, llWarning,
                      "Output file is empty, nothing was encoded (check -ss / -t / -frames parameters if used)");
}
