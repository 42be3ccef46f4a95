#include "platform/core/Sync.h"

#include <chrono>

void TEvent::SetEvent()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        signaled_ = true;
    }
    if (manualReset_)
        changed_.notify_all();
    else
        changed_.notify_one();
}

void TEvent::ResetEvent()
{
    std::lock_guard<std::mutex> lock(mutex_);
    signaled_ = false;
}

TWaitResult TEvent::WaitFor(uint32_t timeoutMs)
{
    std::unique_lock<std::mutex> lock(mutex_);
    const auto isSignaled = [this] { return signaled_; };
    if (timeoutMs == INFINITE)
        changed_.wait(lock, isSignaled);
    else if (!changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), isSignaled))
        return wrTimeout;
    if (!manualReset_)
        signaled_ = false;
    return wrSignaled;
}
