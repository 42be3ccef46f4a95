#include "imaging/formats/BrelvixIO.h"
#include "platform/ui/Image.h"
#include "platform/ui/WindowSystem.h"

bool TBrelvixIO::HandedToWorker(TQkIOCallKind kind, std::function<void()> operation)
{
    if (ownsBitmap_ || !asynchronous_ || InWorkerThread())
        return false;
    workers_->HandOff(kind, std::move(operation));
    return true;
}

void TBrelvixIO::SetViewPointer(TQkView* view)
{
    std::lock_guard<std::mutex> lock(viewLock_);
    attachedView_ = view;
}

void TBrelvixIO::AllocateViewHandle()
{
    if (attachedView_ != nullptr)
        attachedView_->HandleNeeded();
}

bool TBrelvixIO::PostToView(uint32_t message, WPARAM wParam)
{
    bool handleNeeded = false;
    {
        std::lock_guard<std::mutex> lock(viewLock_);
        if (attachedView_ == nullptr || !attachedView_->HasParent())
            return false;
        handleNeeded = !attachedView_->HandleAllocated();
    }
    // The lock is not held here: the main thread may need it to let the
    // view go while it serves this call.
    if (handleNeeded)
        TThread::Synchronize(nullptr, [this] { AllocateViewHandle(); });
    std::lock_guard<std::mutex> lock(viewLock_);
    if (attachedView_ != nullptr && attachedView_->HandleAllocated())
        PostMessage(attachedView_->Handle(), message, wParam, 0);
    return true;
}

void TBrelvixIO::DoProgress(TObject* sender, int32_t percent)
{
    if (!OnProgress)
        return;
    if (InWorkerThread() && PostToView(QKM_IOPROGRESS, static_cast<WPARAM>(percent)))
        return;
    OnProgress(sender, percent);
}

void TBrelvixIO::DoFinishWork()
{
    DoProgress(this, 100);
    if (!OnFinishWork)
        return;
    if (InWorkerThread() && PostToView(QKM_IOFINISHWORK, 0))
        return;
    OnFinishWork(this);
}

void TBrelvixIO::RefreshAttachedImage()
{
    if (!InWorkerThread()) {
        ShowNewImage(true);
        return;
    }
    PostToView(QKM_IOREFRESH, 0);
    // The window system and the view belong to the main thread; the worker
    // waits meanwhile, so the image does not change under the view.
    TThread::Synchronize(nullptr, [this] { ShowNewImage(false); });
}

// Reads the attached view afresh: one freed since the load began is gone.
void TBrelvixIO::ShowNewImage(bool repaintView)
{
    if (attachedTBitmap_ != nullptr && bitmap_ != nullptr)
        bitmap_->RemoveAlphaChannel(false, clWhite);
    if (attachedView_ != nullptr) {
        if (repaintView)
            attachedView_->Update();
        attachedView_->DoImageChange();
    } else if (attachedImage_ != nullptr) {
        attachedImage_->Invalidate();
    }
}
