#include "engine/PauseGate.h"

void TPauseGate::Pause()
{
    std::lock_guard<std::mutex> lock(mutex_);
    paused_ = true;
}

void TPauseGate::Resume()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        paused_ = false;
    }
    changed_.notify_all();
}

bool TPauseGate::WaitWhilePaused(const std::atomic<bool>& aborted)
{
    std::unique_lock<std::mutex> lock(mutex_);
    if (!paused_ || aborted)
        return false;
    ++waiting_;
    changed_.wait(lock, [&] { return !paused_ || aborted; });
    --waiting_;
    return true;
}

void TPauseGate::WakeAll()
{
    // Taking the mutex orders the caller's abort flag before a waiter's check.
    {
        std::lock_guard<std::mutex> lock(mutex_);
    }
    changed_.notify_all();
}
