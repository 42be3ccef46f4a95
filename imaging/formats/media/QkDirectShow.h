#pragma once
// The video graph holder of the input/output component and the image view:
// the graph's life, its frames drawn into the view, and its frames and events
// turned into messages for the view's window.

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "imaging/formats/media/QkMediaGraph.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Geometry.h"
#include "platform/ui/Messages.h"

class TCanvas;

class TQkDirectShow : private IQkMediaGraphSink {
public:
    TQkDirectShow() = default;
    ~TQkDirectShow() override;
    TQkDirectShow(const TQkDirectShow&) = delete;
    TQkDirectShow& operator=(const TQkDirectShow&) = delete;

    // Takes a built graph in place of the one held (which is disconnected).
    void AttachGraph(std::unique_ptr<IQkMediaGraph> graph);
    // Stops an active graph and releases it; nothing is posted afterwards.
    void Disconnect();
    bool HasGraph() const { return graph_ != nullptr; }
    // Running or paused, asked with a 100 ms time-out; false without a graph.
    bool IsGraphActive();
    bool UsesWindowlessRenderer() const { return HasGraph(); }
    IQkMediaGraph* Graph() const { return graph_.get(); }

    // New frames post `newFrameMessage`, other events `eventMessage` with the
    // event code as WParam, both with this wrapper as LParam. At most one
    // new-frame message waits at a time: the view calls FrameHandled when it
    // has taken it.
    void SetNotifyWindow(HWND window, uint32_t newFrameMessage, uint32_t eventMessage);
    void FrameHandled() { framePending_ = false; }

    void SetVideoPosition(const TRect& source, const TRect& destination);
    // Unchanged without a graph.
    void GetNativeVideoSize(int32_t& width, int32_t& height);
    // The current frame's source rectangle stretched into the destination
    // rectangle (see SetVideoPosition); the whole frame without a source.
    void RepaintVideo(TCanvas& canvas);

private:
    void NewFrame() override;
    void GraphEvent(int32_t code) override;

    std::unique_ptr<IQkMediaGraph> graph_;
    std::mutex notifyLock_;
    HWND notifyWindow_ = 0;
    uint32_t newFrameMessage_ = 0;
    uint32_t eventMessage_ = 0;
    std::atomic<bool> framePending_ = false;
    TRect source_{};
    TRect destination_{};
    TBitmap frame_;
};
