#include "imaging/formats/media/QkFFMediaGraph.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "engine/binding/FFLoad.h"
#include "platform/core/Clock.h"

namespace {

// How long the worker sleeps at most before looking at the clock again, so
// that a clock moved by hand is noticed.
constexpr TMicroseconds ClockPollMicroseconds = 5 * MicrosecondsPerMillisecond;

} // namespace

TFFMediaGraph::TFFMediaGraph() = default;

TFFMediaGraph::~TFFMediaGraph() { EndWorker(); }

bool TFFMediaGraph::BuildGraph(const std::string& url, const std::string& inputFormat)
{
    Stop();
    built_ = false;
    if (!FFLoader.LoadLibraries(DecoderLibraries | LibraryBit(libAVDevice))) {
        lastErrorText_ = FFLoader.LastErrorText();
        return false;
    }
    decoder_.CloseFile();
    if (!decoder_.LoadFile(url, inputFormat)) {
        lastErrorText_ = decoder_.LastErrorText();
        return false;
    }
    TVideoStreamInfo info;
    decoder_.GetFirstVideoStreamInfo(info);
    if (info.Width <= 0 || info.Height <= 0) {
        lastErrorText_ = "no video stream in " + url;
        decoder_.CloseFile();
        return false;
    }
    width_ = info.Width;
    height_ = info.Height;
    built_ = true;
    return true;
}

bool TFFMediaGraph::Run()
{
    if (!built_)
        return false;
    std::unique_lock<std::mutex> lock(lock_);
    if (state_ == gsPaused) {
        if (haveBase_)
            base_ += Clock().Monotonic() - pausedAt_;
        state_ = gsRunning;
        changed_.notify_all();
        return true;
    }
    if (state_ == gsRunning)
        return true;
    lock.unlock();
    EndWorker();
    lock.lock();
    state_ = gsRunning;
    haveBase_ = false;
    workerDone_ = false;
    worker_ = std::thread(&TFFMediaGraph::Work, this);
    return true;
}

void TFFMediaGraph::Pause()
{
    std::unique_lock<std::mutex> lock(lock_);
    if (state_ != gsRunning)
        return;
    state_ = gsPaused;
    pausedAt_ = Clock().Monotonic();
    changed_.notify_all();
    changed_.wait(lock, [this] { return parked_ || workerDone_ || state_ != gsPaused; });
}

void TFFMediaGraph::Stop()
{
    EndWorker();
    if (built_)
        decoder_.Seek(sfBackward, 0);
}

void TFFMediaGraph::EndWorker()
{
    {
        std::lock_guard<std::mutex> guard(lock_);
        stopping_ = true;
        changed_.notify_all();
    }
    if (worker_.joinable())
        worker_.join();
    std::lock_guard<std::mutex> guard(lock_);
    stopping_ = false;
    state_ = gsStopped;
}

TQkGraphState TFFMediaGraph::State(int32_t)
{
    // Every change takes effect before its call returns: nothing to wait for.
    std::lock_guard<std::mutex> guard(lock_);
    return state_;
}

bool TFFMediaGraph::NativeVideoSize(int32_t& width, int32_t& height)
{
    if (!built_)
        return false;
    width = width_;
    height = height_;
    return true;
}

bool TFFMediaGraph::CopyCurrentFrame(TBitmap& bitmap)
{
    std::lock_guard<std::mutex> guard(lock_);
    if (!haveFrame_)
        return false;
    bitmap.ReshapeForOverwrite(frame_.Width(), frame_.Height(), frame_.PixelFormat());
    const size_t rowBytes = size_t(std::min(bitmap.RowBytes(), frame_.RowBytes()));
    for (int32_t y = 0; y < frame_.Height(); ++y)
        std::memcpy(bitmap.ScanLine(y), frame_.ScanLine(y), rowBytes);
    return true;
}

void TFFMediaGraph::SetEventSink(IQkMediaGraphSink* sink)
{
    std::lock_guard<std::mutex> guard(lock_);
    sink_ = sink;
}

bool TFFMediaGraph::PassGate(std::unique_lock<std::mutex>& lock)
{
    parked_ = true;
    changed_.notify_all();
    changed_.wait(lock, [this] { return stopping_ || state_ != gsPaused; });
    parked_ = false;
    return !stopping_;
}

bool TFFMediaGraph::WaitUntilDue(int64_t pts)
{
    std::unique_lock<std::mutex> lock(lock_);
    for (;;) {
        if (!PassGate(lock))
            return false;
        if (pts == AV_NOPTS_VALUE)
            return true;
        const TMicroseconds now = Clock().Monotonic();
        if (!haveBase_) {
            haveBase_ = true;
            base_ = now - pts;
        }
        const TMicroseconds due = base_ + pts;
        if (now >= due)
            return true;
        changed_.wait_for(lock, std::chrono::microseconds(std::min(due - now, ClockPollMicroseconds)));
    }
}

void TFFMediaGraph::ShowDecodedFrame()
{
    IQkMediaGraphSink* sink = nullptr;
    {
        std::lock_guard<std::mutex> guard(lock_);
        haveFrame_ = decoder_.CopyToBitmap(frame_);
        sink = sink_;
    }
    if (sink)
        sink->NewFrame();
}

void TFFMediaGraph::ReportEnd()
{
    IQkMediaGraphSink* sink = nullptr;
    {
        std::lock_guard<std::mutex> guard(lock_);
        state_ = gsStopped;
        sink = sink_;
    }
    if (sink)
        sink->GraphEvent(decoder_.EndOfStream() ? GraphEventComplete : GraphEventErrorAbort);
}

void TFFMediaGraph::Work()
{
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(lock_);
            if (!PassGate(lock))
                break;
        }
        if (!decoder_.Decode()) {
            ReportEnd();
            break;
        }
        if (!WaitUntilDue(decoder_.CurrentPTS()))
            break;
        ShowDecodedFrame();
    }
    std::lock_guard<std::mutex> guard(lock_);
    workerDone_ = true;
    changed_.notify_all();
}
