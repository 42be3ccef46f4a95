// What the view owns on demand: its input/output and processing components
// and its transition engine, and the messages its video object posts.

#include "imaging/core/BrelvixProc.h"
#include "imaging/core/QkTransitions.h"
#include "imaging/formats/BrelvixIO.h"
#include "imaging/formats/media/QkDirectShow.h"
#include "imaging/views/BrelvixView.h"

TBrelvixIO& TBrelvixView::GetIO()
{
    if (!io_) {
        io_ = std::make_unique<TBrelvixIO>(nullptr);
        io_->SetAttachedBrelvix(this);
        io_->OnProgress = OnProgress;
        io_->OnFinishWork = OnFinishWork;
    }
    return *io_;
}

TBrelvixProc& TBrelvixView::GetProcessor()
{
    if (!processor_) {
        processor_ = std::make_unique<TBrelvixProc>(nullptr);
        processor_->SetAttachedBrelvix(this);
        processor_->OnProgress = OnProgress;
        processor_->OnFinishWork = OnFinishWork;
        processor_->OnSaveUndo = OnSaveUndo;
    }
    return *processor_;
}

void TBrelvixView::SetOnProgress(TQkViewProgressEvent handler)
{
    OnProgress = std::move(handler);
    if (io_)
        io_->OnProgress = OnProgress;
    if (processor_)
        processor_->OnProgress = OnProgress;
}

void TBrelvixView::SetOnFinishWork(TNotifyEvent handler)
{
    OnFinishWork = std::move(handler);
    if (io_)
        io_->OnFinishWork = OnFinishWork;
    if (processor_)
        processor_->OnFinishWork = OnFinishWork;
}

TQkTransitionEffects& TBrelvixView::Transitions()
{
    if (!transitions_)
        transitions_ = std::make_unique<TQkTransitionEffects>(*this);
    return *transitions_;
}

void TBrelvixView::SetOnTransitionStop(TNotifyEvent handler) { Transitions().OnTransitionStop = std::move(handler); }

void TBrelvixView::SetOnTransitionStep(TQkTransitionStepEvent handler)
{
    Transitions().OnTransitionStep = std::move(handler);
}

void TBrelvixView::SetOnTransitionPaint(TQkOnTransitionPaint handler)
{
    Transitions().SetOnTransitionPaint(std::move(handler));
}

TQkDirectShow* TBrelvixView::ActiveVideo()
{
    TQkDirectShow* video = io_ ? io_->ExistingDirectShow() : nullptr;
    return video && video->UsesWindowlessRenderer() && video->IsGraphActive() ? video : nullptr;
}

// The messages come from the video object's threads with the object as
// their parameter: only the view's own object is trusted with it.
void TBrelvixView::VideoMessage(const TMessage& message, bool newFrame)
{
    TQkDirectShow* own = io_ ? io_->ExistingDirectShow() : nullptr;
    if (!own || reinterpret_cast<TQkDirectShow*>(message.LParam) != own)
        return;
    if (newFrame) {
        own->FrameHandled();
        if (own->HasGraph() && OnDShowNewFrame)
            OnDShowNewFrame(this);
    } else if (own->HasGraph() && OnDShowEvent) {
        OnDShowEvent(this);
    }
}

// The video covers exactly the current layer's place.
void TBrelvixView::PlaceVideo(TQkDirectShow& video)
{
    int32_t w = 0, h = 0;
    video.GetNativeVideoSize(w, h);
    TQkLayer& layer = CurrentLayer();
    TQkBitmap& bitmap = *layer.Bitmap();
    if (w <= 0 || h <= 0 || bitmap.GetWidth() == 0 || bitmap.GetHeight() == 0)
        return;
    const double rx = double(bitmap.GetWidth()) / w;
    const double ry = double(bitmap.GetHeight()) / h;
    const auto& [sx, sy, sw, sh] = layer.SourceRect;
    const auto& [dx, dy, dw, dh] = layer.DrawRect;
    const int32_t left = static_cast<int32_t>(sx / rx);
    const int32_t top = static_cast<int32_t>(sy / ry);
    video.SetVideoPosition(Rect(left, top, left + static_cast<int32_t>(sw / rx), top + static_cast<int32_t>(sh / ry)),
                           Rect(dx, dy, dx + dw, dy + dh));
}
