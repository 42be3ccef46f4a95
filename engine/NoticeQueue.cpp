#include "engine/NoticeQueue.h"

#include <vector>

#include "platform/core/MainThread.h"

TNoticeQueue::~TNoticeQueue()
{
    Close();
    std::lock_guard<std::mutex> lock(threadLock_);
    if (!deliveryThread_.joinable())
        return;
    // A handler on the delivery thread may destroy the owner: that thread
    // cannot wait for itself, and it ends on its own once it sees the close.
    if (deliveryThread_.get_id() == std::this_thread::get_id())
        deliveryThread_.detach();
    else
        deliveryThread_.join();
}

void TNoticeQueue::Post(std::function<void()> Notice, bool InMainThread)
{
    {
        std::lock_guard<std::mutex> lock(state_->mutex);
        if (state_->closed)
            return;
        state_->notices.push_back({std::move(Notice), InMainThread});
    }
    Dispatch(InMainThread);
}

void TNoticeQueue::Dispatch(bool InMainThread)
{
    if (!InMainThread)
        HandToDeliveryThread(TDeliveryJob::DeliverHere);
    else if (IsMainThread())
        // Sent from the main thread a call would run at once, inside the
        // poster's call; sent from the delivery thread it waits its turn.
        HandToDeliveryThread(TDeliveryJob::SendToMainThread);
    else
        state_->SendToMainThread();
}

void TNoticeQueue::Hold()
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    ++state_->holds;
}

void TNoticeQueue::Release()
{
    std::vector<bool> redeliver;
    {
        std::lock_guard<std::mutex> lock(state_->mutex);
        if (--state_->holds > 0)
            return;
        for (int32_t i = 0; i < state_->deferred && size_t(i) < state_->notices.size(); ++i)
            redeliver.push_back(state_->notices[size_t(i)].inMainThread);
        state_->deferred = 0;
    }
    for (bool inMainThread : redeliver)
        Dispatch(inMainThread);
}

void TNoticeQueue::Close()
{
    {
        std::lock_guard<std::mutex> lock(state_->mutex);
        state_->closed = true;
        state_->notices.clear();
        state_->jobs.clear();
    }
    state_->changed.notify_all();
}

void TNoticeQueue::HandToDeliveryThread(TDeliveryJob Job)
{
    {
        std::lock_guard<std::mutex> lock(threadLock_);
        if (!deliveryThread_.joinable())
            deliveryThread_ = std::thread([state = state_] { state->DeliveryLoop(); });
    }
    {
        std::lock_guard<std::mutex> lock(state_->mutex);
        state_->jobs.push_back(Job);
    }
    state_->changed.notify_all();
}

// Every delivery takes the oldest notice, so the order holds whichever
// thread delivers it.
void TNoticeQueue::TState::DeliverOldest()
{
    std::function<void()> call;
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (closed || notices.empty())
            return;
        if (holds > 0) {
            ++deferred;
            return;
        }
        call = std::move(notices.front().call);
        notices.pop_front();
    }
    call();
}

void TNoticeQueue::TState::SendToMainThread()
{
    QueueInMainThread([state = shared_from_this()] { state->DeliverOldest(); });
}

void TNoticeQueue::TState::DeliveryLoop()
{
    for (;;) {
        TDeliveryJob job;
        {
            std::unique_lock<std::mutex> lock(mutex);
            changed.wait(lock, [this] { return closed || !jobs.empty(); });
            if (closed)
                return;
            job = jobs.front();
            jobs.pop_front();
        }
        if (job == TDeliveryJob::DeliverHere)
            DeliverOldest();
        else
            SendToMainThread();
    }
}
