#include "imaging/formats/async/QkIOWorkers.h"

#include <algorithm>
#include <utility>

#include "platform/core/MainThread.h"

TQkIOThread::TQkIOThread(TQkIOWorkers& owner, TQkIOCallKind kind, std::function<void()> operation, uint64_t turn)
    : owner_(owner), kind_(kind), operation_(std::move(operation)), turn_(turn)
{}

void TQkIOThread::Execute() { owner_.RunWorker(*this); }

TQkIOWorkers::TQkIOWorkers(std::atomic<bool>& aborting) : aborting_(aborting) {}

TQkIOWorkers::~TQkIOWorkers()
{
    Wait(false);
    // Joins the last workers, which may still be notifying.
    TakeEnded();
}

std::vector<std::unique_ptr<TQkIOThread>> TQkIOWorkers::TakeEnded()
{
    std::lock_guard<std::mutex> lock(lock_);
    return std::exchange(ended_, {});
}

void TQkIOWorkers::HandOff(TQkIOCallKind kind, std::function<void()> operation)
{
    std::vector<std::unique_ptr<TQkIOThread>> ended = TakeEnded();
    std::lock_guard<std::mutex> lock(lock_);
    running_.push_back(std::make_unique<TQkIOThread>(*this, kind, std::move(operation), nextTurn_));
    // The new thread's first step takes the lock, so starting it here lets
    // a failed start be undone before anyone saw its turn.
    try {
        running_.back()->Start();
    } catch (...) {
        running_.pop_back();
        throw;
    }
    ++nextTurn_;
    registered_.store(running_.size());
}

bool TQkIOWorkers::InWorkerThread() const
{
    const std::thread::id self = std::this_thread::get_id();
    std::lock_guard<std::mutex> lock(lock_);
    return std::any_of(running_.begin(), running_.end(),
                       [self](const std::unique_ptr<TQkIOThread>& worker) { return worker->threadId_ == self; });
}

void TQkIOWorkers::RunWorker(TQkIOThread& worker)
{
    bool cancelled = false;
    {
        std::unique_lock<std::mutex> lock(lock_);
        worker.threadId_ = std::this_thread::get_id();
        changed_.wait(lock, [&] { return turn_ == worker.turn_; });
        cancelled = worker.cancelled_;
    }
    // Nothing raised by an operation reaches anyone; Aborting tells, as it
    // tells of an operation that was stopped before it started.
    if (cancelled) {
        aborting_ = true;
    } else {
        try {
            worker.operation_();
        } catch (...) {
            aborting_ = true;
        }
    }
    {
        std::lock_guard<std::mutex> lock(lock_);
        ++turn_;
        auto self = std::find_if(running_.begin(), running_.end(),
                                 [&](const std::unique_ptr<TQkIOThread>& entry) { return entry.get() == &worker; });
        ended_.push_back(std::move(*self));
        running_.erase(self);
        registered_.store(running_.size());
    }
    // Every waiter re-reads the list: the destructor and a user's wait may
    // both be waiting.
    changed_.notify_all();
    SignalMainThread();
}

void TQkIOWorkers::Wait(bool abort)
{
    if (abort) {
        aborting_ = true;
        std::lock_guard<std::mutex> lock(lock_);
        for (const std::unique_ptr<TQkIOThread>& worker : running_)
            worker->cancelled_ = worker->turn_ != turn_;
    }
    if (InWorkerThread())
        return;
    if (IsMainThread()) {
        // A worker may be waiting in Synchronize for the main thread.
        ServeMainThreadUntil([this] { return registered_.load() == 0; });
    } else {
        std::unique_lock<std::mutex> lock(lock_);
        changed_.wait(lock, [this] { return running_.empty(); });
    }
    TakeEnded();
}
