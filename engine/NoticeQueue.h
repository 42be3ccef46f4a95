#pragma once
// Delivers notices one at a time in the order they were posted, in the main
// thread or on a delivery thread of its own, without ever blocking the thread
// that posts them, and never inside the call that posts them. A notice's
// handler may destroy the queue's owner: the notices still pending are then
// dropped.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class TNoticeQueue {
public:
    TNoticeQueue() = default;
    ~TNoticeQueue();
    TNoticeQueue(const TNoticeQueue&) = delete;
    TNoticeQueue& operator=(const TNoticeQueue&) = delete;

    // InMainThread: delivered when the main thread next runs its sent calls;
    // otherwise on the delivery thread.
    void Post(std::function<void()> Notice, bool InMainThread);
    // While held (holds nest), notices stay pending; the last Release sends
    // them on in order. The owner holds them while it must not be re-entered.
    void Hold();
    void Release();
    // Drops the pending notices and ignores later ones.
    void Close();

private:
    struct TNotice {
        std::function<void()> call;
        bool inMainThread;
    };
    // What the delivery thread does for one posted notice.
    enum class TDeliveryJob { DeliverHere, SendToMainThread };

    struct TState : std::enable_shared_from_this<TState> {
        std::mutex mutex;
        std::condition_variable changed;
        std::deque<TNotice> notices;
        std::deque<TDeliveryJob> jobs;
        int32_t holds = 0;
        int32_t deferred = 0; // deliveries that found the queue held
        bool closed = false;

        void DeliverOldest();
        void SendToMainThread();
        void DeliveryLoop();
    };

    void Dispatch(bool InMainThread);
    void HandToDeliveryThread(TDeliveryJob Job);

    std::shared_ptr<TState> state_ = std::make_shared<TState>();
    std::mutex threadLock_;
    std::thread deliveryThread_;
};
