#include "imaging/formats/media/QkDirectShow.h"

#include "platform/gfx/Canvas.h"
#include "platform/ui/WindowSystem.h"

namespace {

constexpr int32_t ActiveStateTimeoutMs = 100;

bool IsEmpty(const TRect& rect) { return rect.Right <= rect.Left || rect.Bottom <= rect.Top; }

} // namespace

TQkDirectShow::~TQkDirectShow() { Disconnect(); }

void TQkDirectShow::AttachGraph(std::unique_ptr<IQkMediaGraph> graph)
{
    Disconnect();
    graph_ = std::move(graph);
    if (graph_)
        graph_->SetEventSink(this);
}

void TQkDirectShow::Disconnect()
{
    if (!graph_)
        return;
    if (IsGraphActive())
        graph_->Stop();
    graph_->SetEventSink(nullptr);
    graph_.reset();
    framePending_ = false;
}

bool TQkDirectShow::IsGraphActive() { return graph_ && graph_->State(ActiveStateTimeoutMs) != gsStopped; }

void TQkDirectShow::SetNotifyWindow(HWND window, uint32_t newFrameMessage, uint32_t eventMessage)
{
    std::lock_guard<std::mutex> guard(notifyLock_);
    notifyWindow_ = window;
    newFrameMessage_ = newFrameMessage;
    eventMessage_ = eventMessage;
}

void TQkDirectShow::SetVideoPosition(const TRect& source, const TRect& destination)
{
    source_ = source;
    destination_ = destination;
}

void TQkDirectShow::GetNativeVideoSize(int32_t& width, int32_t& height)
{
    int32_t nativeWidth = 0;
    int32_t nativeHeight = 0;
    if (graph_ && graph_->NativeVideoSize(nativeWidth, nativeHeight)) {
        width = nativeWidth;
        height = nativeHeight;
    }
}

void TQkDirectShow::RepaintVideo(TCanvas& canvas)
{
    if (!graph_ || IsEmpty(destination_) || !graph_->CopyCurrentFrame(frame_))
        return;
    const TRect whole{0, 0, frame_.Width(), frame_.Height()};
    canvas.CopyRect(destination_, frame_.Canvas(), IsEmpty(source_) ? whole : source_);
}

void TQkDirectShow::NewFrame()
{
    std::lock_guard<std::mutex> guard(notifyLock_);
    if (notifyWindow_ != 0 && !framePending_.exchange(true))
        PostMessage(notifyWindow_, newFrameMessage_, 0, reinterpret_cast<LPARAM>(this));
}

void TQkDirectShow::GraphEvent(int32_t code)
{
    std::lock_guard<std::mutex> guard(notifyLock_);
    if (notifyWindow_ != 0)
        PostMessage(notifyWindow_, eventMessage_, WPARAM(code), reinterpret_cast<LPARAM>(this));
}
