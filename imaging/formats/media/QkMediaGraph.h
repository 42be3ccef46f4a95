#pragma once
// A playing or capturing video source as the image view shows it: started,
// paused and stopped by the main thread, delivering frames and events to a
// sink from a thread of its own.

#include <cstdint>

class TBitmap;

enum TQkGraphState : int32_t {
    gsStopped = 0,
    gsPaused = 1,
    gsRunning = 2,
};

// The event codes a graph reports besides new frames.
constexpr int32_t GraphEventComplete = 1;
constexpr int32_t GraphEventErrorAbort = 3;

// Called from the graph's thread; never after the graph is destroyed.
class IQkMediaGraphSink {
public:
    virtual ~IQkMediaGraphSink() = default;
    virtual void NewFrame() = 0;
    virtual void GraphEvent(int32_t code) = 0;
};

class IQkMediaGraph {
public:
    virtual ~IQkMediaGraph() = default;
    virtual bool Run() = 0;
    virtual void Pause() = 0;
    virtual void Stop() = 0;
    // The state once any change in progress has taken effect, waiting at
    // most `timeoutMs` for it.
    virtual TQkGraphState State(int32_t timeoutMs) = 0;
    // False when the source has no video.
    virtual bool NativeVideoSize(int32_t& width, int32_t& height) = 0;
    // The frame shown last; false before the first.
    virtual bool CopyCurrentFrame(TBitmap& bitmap) = 0;
    // Set while the graph is stopped; nullptr drops the sink.
    virtual void SetEventSink(IQkMediaGraphSink* sink) = 0;
};
