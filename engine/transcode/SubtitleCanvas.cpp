#include "engine/transcode/SubtitleCanvas.h"

#include <algorithm>
#include <cstring>

#include "engine/FFLog.h"
#include "engine/binding/AVFilterStubs.h"
#include "engine/binding/AVUtilStubs.h"

extern "C" {
#include <libavfilter/buffersrc.h>
}

namespace {

constexpr int32_t DefaultCanvasWidth = 720;
constexpr int32_t DefaultCanvasHeight = 576;

// A fresh, cleared picture for every redraw: the graph may still hold the last one.
bool NewBlankCanvas(TInputStream* Ist)
{
    AVFrame* canvas = Ist->Sub2Video.Ref.get();
    av::av_frame_unref(canvas);
    canvas->format = AV_PIX_FMT_RGB32;
    canvas->width = Ist->Sub2Video.W;
    canvas->height = Ist->Sub2Video.H;
    if (av::av_frame_get_buffer(canvas, 32) < 0)
        return false;
    for (int32_t y = 0; y < canvas->height; ++y)
        std::memset(canvas->data[0] + static_cast<ptrdiff_t>(y) * canvas->linesize[0], 0,
                    static_cast<size_t>(canvas->width) * 4);
    return true;
}

void DrawRectangle(TCustomFFmpegOpt& Job, AVFrame* Canvas, const AVSubtitleRect& Rect)
{
    if (Rect.type != SUBTITLE_BITMAP) {
        Logger()->Log(&Job, llWarning, "sub2video: non-bitmap subtitle");
        return;
    }
    if (Rect.x < 0 || Rect.y < 0 || Rect.w < 0 || Rect.h < 0 || Rect.x + Rect.w > Canvas->width ||
        Rect.y + Rect.h > Canvas->height || (Rect.w > 0 && Rect.h > 0 && (!Rect.data[0] || !Rect.data[1]))) {
        Logger()->Log(&Job, llWarning, "sub2video: rectangle overflowing");
        return;
    }
    const auto* palette = reinterpret_cast<const uint32_t*>(Rect.data[1]);
    for (int y = 0; y < Rect.h; ++y) {
        const uint8_t* indexes = Rect.data[0] + static_cast<ptrdiff_t>(y) * Rect.linesize[0];
        auto* pixels =
            reinterpret_cast<uint32_t*>(Canvas->data[0] + static_cast<ptrdiff_t>(Rect.y + y) * Canvas->linesize[0]) +
            Rect.x;
        for (int x = 0; x < Rect.w; ++x)
            pixels[x] = palette[indexes[x]];
    }
}

// A source that has ended takes nothing more; that is no failure.
void SendToSources(TCustomFFmpegOpt& Job, TInputStream* Ist, AVFrame* Frame, int Flags)
{
    for (const TInputFilter* source : Ist->Filters) {
        const int result = av::av_buffersrc_add_frame_flags(source->Filter, Frame, Flags);
        if (result < 0 && result != AVERROR_EOF)
            Logger()->Log(&Job, llWarning, "sub2video: Failed to inject frame into filter network");
    }
}

void PushCanvas(TCustomFFmpegOpt& Job, TInputStream* Ist, int64_t Pts)
{
    AVFrame* canvas = Ist->Sub2Video.Ref.get();
    canvas->pts = Pts;
    Ist->Sub2Video.LastPts = Pts;
    SendToSources(Job, Ist, canvas, AV_BUFFERSRC_FLAG_KEEP_REF | AV_BUFFERSRC_FLAG_PUSH);
}

void CanvasSize(const TCustomFFmpegOpt& Job, const TInputStream* Ist, int32_t& Width, int32_t& Height)
{
    Width = Ist->DecCtx->width;
    Height = Ist->DecCtx->height;
    if (Width && Height)
        return;
    Width = Height = 0;
    const TInputFile* file = Job.InputFile(Ist->FileIndex);
    for (int32_t s = 0; s < file->NbStreams; ++s) {
        const AVCodecParameters* video = Job.InputStreams[file->IstIndex + s]->St->codecpar;
        if (video->codec_type != AVMEDIA_TYPE_VIDEO)
            continue;
        Width = std::max(Width, video->width);
        Height = std::max(Height, video->height);
    }
    if (!Width || !Height) {
        Width = std::max(Width, DefaultCanvasWidth);
        Height = std::max(Height, DefaultCanvasHeight);
    }
}

} // namespace

int32_t Sub2VideoPrepare(TCustomFFmpegOpt& Job, TInputStream* Ist)
{
    int32_t width = 0;
    int32_t height = 0;
    CanvasSize(Job, Ist, width, height);
    av::av_log(nullptr, AV_LOG_INFO, "sub2video: using %dx%d canvas\n", width, height);
    Ist->Sub2Video.W = Ist->DecCtx->width = Ist->ResampleWidth = width;
    Ist->Sub2Video.H = Ist->DecCtx->height = Ist->ResampleHeight = height;
    Ist->DecCtx->pix_fmt = AV_PIX_FMT_RGB32;
    Ist->ResamplePixFmt = AV_PIX_FMT_RGB32;
    if (!Ist->Sub2Video.Ref)
        Ist->Sub2Video.Ref.reset(av::av_frame_alloc());
    if (!Ist->Sub2Video.Ref)
        return AVERROR(ENOMEM);
    if (!NewBlankCanvas(Ist)) {
        Ist->Sub2Video.Ref.reset();
        return AVERROR(ENOMEM);
    }
    Ist->Sub2Video.LastPts = INT64_MIN;
    Ist->Sub2Video.EndPts = INT64_MAX;
    return 0;
}

void Sub2VideoUpdate(TCustomFFmpegOpt& Job, TInputStream* Ist, const AVSubtitle* Subtitle)
{
    if (!Ist->Sub2Video.Ref)
        return;
    int64_t start = Ist->Sub2Video.EndPts;
    int64_t end = INT64_MAX;
    if (Subtitle) {
        const AVRational base = Ist->St->time_base;
        start = av::av_rescale_q(Subtitle->pts + Subtitle->start_display_time * int64_t(1000), AV_TIME_BASE_Q, base);
        end = av::av_rescale_q(Subtitle->pts + Subtitle->end_display_time * int64_t(1000), AV_TIME_BASE_Q, base);
    }
    if (!NewBlankCanvas(Ist)) {
        Logger()->Log(&Job, llError, "sub2video: cannot allocate the canvas");
        return;
    }
    if (Subtitle)
        for (unsigned i = 0; i < Subtitle->num_rects; ++i)
            DrawRectangle(Job, Ist->Sub2Video.Ref.get(), *Subtitle->rects[i]);
    PushCanvas(Job, Ist, start);
    Ist->Sub2Video.EndPts = end;
}

void Sub2VideoHeartbeat(TCustomFFmpegOpt& Job, TInputStream* Ist, int64_t Pts)
{
    const TInputFile* file = Job.InputFile(Ist->FileIndex);
    for (int32_t s = 0; s < file->NbStreams; ++s) {
        TInputStream* subtitles = Job.InputStream(file->IstIndex + s);
        if (!subtitles->Sub2Video.Ref)
            continue;
        const int64_t pts = av::av_rescale_q(Pts, Ist->St->time_base, subtitles->St->time_base) - 1;
        if (pts <= subtitles->Sub2Video.LastPts)
            continue;
        if (pts >= subtitles->Sub2Video.EndPts)
            Sub2VideoUpdate(Job, subtitles, nullptr);
        for (const TInputFilter* source : subtitles->Filters)
            if (av::av_buffersrc_get_nb_failed_requests(source->Filter)) {
                PushCanvas(Job, subtitles, pts);
                break;
            }
    }
}

void Sub2VideoFlush(TCustomFFmpegOpt& Job, TInputStream* Ist)
{
    SendToSources(Job, Ist, nullptr, AV_BUFFERSRC_FLAG_PUSH);
}
