#pragma once
// The video-frame hooks of a conversion job: the frame-hook plug-ins, the
// hook events with the raw picture or with a bitmap, and the preview (window
// or OnPreviewBitmap event). The transcoder calls PreProcessVideoFrame for
// every decoded video frame and OutputHooks and PreviewFrame for every frame
// about to be encoded, all on the job's worker thread.

#include <cstdint>
#include <memory>
#include <string>

extern "C" {
#include <libavutil/frame.h>
}

#include "engine/FFmpeg.h"
#include "engine/decode/FFPicture.h"
#include "engine/decode/FormatConverter.h"
#include "engine/decode/FrameHook.h"

class TPreviewer;

class TVideoHooks {
public:
    explicit TVideoHooks(TCustomFFmpeg& job);
    ~TVideoHooks();
    TVideoHooks(const TVideoHooks&) = delete;
    TVideoHooks& operator=(const TVideoHooks&) = delete;

    // The "vhook" option: adds the plug-in that the argument names. 0 or the
    // code of FrameHookAdd.
    int32_t AddFrameHook(const std::string& argument);
    bool HasFrameHooks() const { return frameHooks_ != nullptr; }

    // Hands a decoded frame to the frame input hook, then to the video input
    // hook or else the plug-ins. When any of them is in use the frame is
    // first made writable (its pixels copied when the decoder still shares
    // them), so the hooks change only what the rest of the pipeline sees.
    void PreProcessVideoFrame(AVFrame* frame, int32_t frameNumber, int64_t frameTimeUs);
    // Hands a frame about to be encoded, made writable, to the video output
    // hook (as a bitmap) and the frame output hook. `bitmapValid` tells
    // PreviewFrame whether the output bitmap already holds this frame.
    void OutputHooks(AVFrame* frame, int32_t frameNumber, int64_t frameTimeUs, bool& bitmapValid);
    // Serves the job's preview flags: at most one frame per preview interval
    // goes to OnPreviewBitmap (bit 1, which wins) or to the window (bit 0). A
    // failed conversion or a closed window clears its bit.
    void PreviewFrame(AVFrame* frame, bool bitmapValid, int32_t frameNumber, int64_t ptsUs);

    // The preview window, created on first use; freed by FreePreviewer (when
    // the window bit is cleared) and with the hooks.
    TPreviewer* Previewer() const { return previewer_.get(); }
    void FreePreviewer();
    // Releases the plug-ins and the preview window and restarts the preview clock.
    void Release();
    TFormatConverter& InputConverter() { return inputConverter_; }
    TFormatConverter& OutputConverter() { return outputConverter_; }

private:
    bool MakeWritable(AVFrame* frame, const char* failure);
    // The "deinterlace" option, on a writable frame; a failure leaves it as decoded.
    void Deinterlace(AVFrame* frame);
    bool VideoHookBridge(TJobVideoHook& hook, TFormatConverter& converter, AVFrame* frame, int32_t frameNumber,
                         int64_t frameTimeUs);
    bool ApplyHookDepth(TFormatConverter& converter);
    bool PreviewDue();
    bool ConvertForPreview(AVFrame* frame, bool bitmapValid, bool flagsChanged);
    void LogError(const std::string& text);

    TCustomFFmpeg& job_;
    TFrameHookEntry* frameHooks_ = nullptr;
    TFormatConverter inputConverter_;
    TFormatConverter outputConverter_;
    int64_t lastPreviewUs_ = 0;
    std::unique_ptr<TPreviewer> previewer_;
};
