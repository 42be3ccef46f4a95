#pragma once
// The media graph over the engine's decoder: a file, or a capture device
// through libavdevice (input format "v4l2"), decoded by a worker thread at
// the stream's own rate on the platform clock.

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "engine/decode/FFDecode.h"
#include "imaging/formats/media/QkMediaGraph.h"
#include "platform/core/Types.h"
#include "platform/gfx/Bitmap.h"

class TFFMediaGraph : public IQkMediaGraph {
public:
    TFFMediaGraph();
    ~TFFMediaGraph() override;
    TFFMediaGraph(const TFFMediaGraph&) = delete;
    TFFMediaGraph& operator=(const TFFMediaGraph&) = delete;

    // Loads the decoder libraries (with libavdevice) and opens the source;
    // false with LastErrorText when it has no video stream or cannot open.
    bool BuildGraph(const std::string& url, const std::string& inputFormat = "");
    const std::string& LastErrorText() const { return lastErrorText_; }

    bool Run() override;
    void Pause() override;
    // Ends the worker and goes back to the start.
    void Stop() override;
    TQkGraphState State(int32_t timeoutMs) override;
    bool NativeVideoSize(int32_t& width, int32_t& height) override;
    bool CopyCurrentFrame(TBitmap& bitmap) override;
    void SetEventSink(IQkMediaGraphSink* sink) override;

private:
    void Work();
    // False when the worker is to end. Holds the worker while paused.
    bool PassGate(std::unique_lock<std::mutex>& lock);
    bool WaitUntilDue(int64_t pts);
    void ShowDecodedFrame();
    void ReportEnd();
    void EndWorker();

    TFFDecoder decoder_{nullptr};
    bool built_ = false;
    std::string lastErrorText_;
    int32_t width_ = 0;
    int32_t height_ = 0;

    std::thread worker_;
    std::mutex lock_;
    std::condition_variable changed_;
    TQkGraphState state_ = gsStopped;
    bool stopping_ = false;
    bool parked_ = false;
    bool workerDone_ = true;
    // Clock time of pts 0; unset until the first frame.
    bool haveBase_ = false;
    TMicroseconds base_ = 0;
    TMicroseconds pausedAt_ = 0;
    IQkMediaGraphSink* sink_ = nullptr;
    TBitmap frame_;
    bool haveFrame_ = false;
};
