#include "engine/decode/VideoHooks.h"

#include <new>
#include <vector>

#include "engine/FFLog.h"
#include "engine/binding/AVUtilStubs.h"
#include "engine/decode/Deinterlace.h"
#include "engine/decode/Previewer.h"
#include "platform/core/Clock.h"

TVideoHooks::TVideoHooks(TCustomFFmpeg& job) : job_(job) {}

TVideoHooks::~TVideoHooks() { Release(); }

void TVideoHooks::Release()
{
    FrameHookRelease(frameHooks_);
    FreePreviewer();
    lastPreviewUs_ = 0;
}

void TVideoHooks::LogError(const std::string& text) { Logger()->Log(&job_, llError, text); }

int32_t TVideoHooks::AddFrameHook(const std::string& argument)
{
    std::vector<std::string> words = SplitFrameHookArguments(argument);
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    return FrameHookAdd(frameHooks_, static_cast<int32_t>(words.size()), argv.data());
}

namespace {

TFFPicture PictureOf(const AVFrame* frame)
{
    TFFPicture picture;
    for (int i = 0; i < AV_NUM_DATA_POINTERS; ++i) {
        picture.Data[i] = frame->data[i];
        picture.Linesize[i] = frame->linesize[i];
    }
    return picture;
}

AVPixelFormat PixelFormatOf(const AVFrame* frame) { return static_cast<AVPixelFormat>(frame->format); }

} // namespace

bool TVideoHooks::MakeWritable(AVFrame* frame, const char* failure)
{
    if (av::av_frame_make_writable(frame) >= 0)
        return true;
    LogError(failure);
    return false;
}

void TVideoHooks::PreProcessVideoFrame(AVFrame* frame, int32_t frameNumber, int64_t frameTimeUs)
{
    if (!job_.DoDeinterlace && !job_.OnFrameInputHook && !job_.OnVideoInputHook && !frameHooks_)
        return;
    if (!MakeWritable(frame, "memory malloc error in pre_process_video_frame()."))
        return;
    if (job_.DoDeinterlace)
        Deinterlace(frame);
    TFFPicture picture = PictureOf(frame);
    if (job_.OnFrameInputHook)
        job_.OnFrameInputHook(&job_, &picture, frame->format, frameNumber, frame->width, frame->height, frameTimeUs);
    if (job_.OnVideoInputHook)
        VideoHookBridge(job_.OnVideoInputHook, inputConverter_, frame, frameNumber, frameTimeUs);
    else if (frameHooks_)
        FrameHookProcess(frameHooks_, &picture, frame->format, frame->width, frame->height, frameTimeUs);
}

void TVideoHooks::Deinterlace(AVFrame* frame)
{
    bool done = false;
    try {
        done = DeinterlaceInPlace(frame->data, frame->linesize, PixelFormatOf(frame), frame->width, frame->height);
    } catch (const std::bad_alloc&) {
        LogError("memory malloc error in pre_process_video_frame().");
        return;
    }
    // The decoded picture goes on as it is.
    if (!done)
        Logger()->Log(&job_, llWarning, "Deinterlacing failed.");
}

void TVideoHooks::OutputHooks(AVFrame* frame, int32_t frameNumber, int64_t frameTimeUs, bool& bitmapValid)
{
    bitmapValid = false;
    if (!job_.OnVideoOutputHook && !job_.OnFrameOutputHook)
        return;
    if (!MakeWritable(frame, "hook buf malloc error."))
        return;
    if (job_.OnVideoOutputHook)
        bitmapValid = VideoHookBridge(job_.OnVideoOutputHook, outputConverter_, frame, frameNumber, frameTimeUs);
    if (job_.OnFrameOutputHook) {
        TFFPicture picture = PictureOf(frame);
        job_.OnFrameOutputHook(&job_, &picture, frame->format, frameNumber, frame->width, frame->height, frameTimeUs);
    }
}

// Lends the frame to a bitmap hook and takes its changes back. A hook whose
// conversion fails, or that asks to stop, is switched off for the task. True
// when the converter's bitmap holds this frame unchanged by the hook.
bool TVideoHooks::VideoHookBridge(TJobVideoHook& hook, TFormatConverter& converter, AVFrame* frame, int32_t frameNumber,
                                  int64_t frameTimeUs)
{
    TFFPicture picture = PictureOf(frame);
    if (!ApplyHookDepth(converter) ||
        !converter.PictureToBitmap(&picture, PixelFormatOf(frame), true, frame->height, frame->width)) {
        LogError(converter.LastErrorText);
        hook = nullptr;
        return false;
    }
    bool update = true;
    bool stop = false;
    try {
        hook(&job_, converter.Bitmap(), frameNumber, frameTimeUs, update, stop);
    } catch (const Exception& e) {
        LogError("Error occurs VideoHook event: " + e.Message());
        update = false;
    }
    bool bitmapValid = true;
    if (update) {
        converter.CopyBitmapToPicture();
        if (converter.CurrentPicture() == converter.Picture() &&
            !converter.BitmapToPicture(&picture, PixelFormatOf(frame), frame->height, frame->width)) {
            LogError(converter.LastErrorText);
            hook = nullptr;
        }
    } else if (job_.PreviewFlags() != 0) {
        // The handler may have drawn on the bitmap without handing it back.
        bitmapValid = false;
    }
    if (stop)
        hook = nullptr;
    return bitmapValid;
}

bool TVideoHooks::ApplyHookDepth(TFormatConverter& converter)
{
    try {
        converter.SetBitsPixel(job_.VideoHookBitsPixel());
        return true;
    } catch (const Exception& e) {
        converter.LastErrorText = e.Message();
        return false;
    }
}

bool TVideoHooks::PreviewDue()
{
    const int64_t now = MonotonicMicroseconds();
    if (now - lastPreviewUs_ <= job_.PreviewIntervalUs)
        return false;
    lastPreviewUs_ = now;
    return true;
}

bool TVideoHooks::ConvertForPreview(AVFrame* frame, bool bitmapValid, bool flagsChanged)
{
    if (bitmapValid && !flagsChanged)
        return true;
    TFFPicture picture = PictureOf(frame);
    if (ApplyHookDepth(outputConverter_) &&
        outputConverter_.PictureToBitmap(&picture, PixelFormatOf(frame), true, frame->height, frame->width))
        return true;
    LogError(outputConverter_.LastErrorText);
    return false;
}

// The flags are read and written under the preview lock, but the event and
// the window, which wait for the main thread, are served outside it: the main
// thread takes the same lock when it changes the flags.
void TVideoHooks::PreviewFrame(AVFrame* frame, bool bitmapValid, int32_t frameNumber, int64_t ptsUs)
{
    uint8_t flags;
    bool flagsChanged;
    {
        TCriticalSectionGuard lock(PreviewFlagsLock);
        flags = job_.PreviewFlags();
        flagsChanged = job_.PreviewFlagsChanged;
        job_.PreviewFlagsChanged = false;
    }
    if (!(flags & PreviewWindowFlag))
        FreePreviewer();
    uint8_t failed = 0;
    if ((flags & PreviewBitmapFlag) && job_.OnPreviewBitmap) {
        if (!PreviewDue())
            return;
        if (ConvertForPreview(frame, bitmapValid, flagsChanged))
            job_.OnPreviewBitmap(&job_, outputConverter_.Bitmap(), frameNumber, ptsUs);
        else
            failed = PreviewBitmapFlag;
    } else if (flags & PreviewWindowFlag) {
        if (!PreviewDue())
            return;
        bool shown = ConvertForPreview(frame, bitmapValid, flagsChanged);
        if (shown) {
            if (!previewer_)
                previewer_ = std::make_unique<TPreviewer>();
            shown = previewer_->ShowFrame(*outputConverter_.Bitmap(), frameNumber, ptsUs);
        }
        if (!shown)
            failed = PreviewWindowFlag;
    }
    if (failed) {
        TCriticalSectionGuard lock(PreviewFlagsLock);
        job_.SetPreviewFlags(job_.PreviewFlags() & static_cast<uint8_t>(~failed));
        job_.PreviewFlagsChanged = false;
    }
}

void TVideoHooks::FreePreviewer() { previewer_.reset(); }
