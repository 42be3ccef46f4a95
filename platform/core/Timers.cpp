#include "platform/core/Timers.h"

#include "platform/core/Clock.h"

#include <algorithm>
#include <vector>

namespace {

TMicroseconds IntervalOf(uint32_t intervalMs)
{
    return static_cast<TMicroseconds>(std::max(intervalMs, TTimerService::MinimumIntervalMs)) *
        MicrosecondsPerMillisecond;
}

} // namespace

TTimerID TTimerService::AddTimer(uint32_t intervalMs, std::function<void()> callback)
{
    std::lock_guard<std::mutex> lock(mutex_);
    while (nextId_ == 0 || timers_.count(nextId_))
        ++nextId_;
    const TTimerID id = nextId_++;
    const TMicroseconds interval = IntervalOf(intervalMs);
    timers_[id] = Timer{interval, MonotonicMicroseconds() + interval, std::move(callback)};
    return id;
}

bool TTimerService::SetInterval(TTimerID id, uint32_t intervalMs)
{
    std::lock_guard<std::mutex> lock(mutex_);
    const auto found = timers_.find(id);
    if (found == timers_.end())
        return false;
    found->second.interval = IntervalOf(intervalMs);
    found->second.due = MonotonicMicroseconds() + found->second.interval;
    return true;
}

bool TTimerService::RemoveTimer(TTimerID id)
{
    std::lock_guard<std::mutex> lock(mutex_);
    return timers_.erase(id) > 0;
}

bool TTimerService::HasTimer(TTimerID id) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return timers_.count(id) > 0;
}

int TTimerService::ServiceDueTimers()
{
    std::vector<std::pair<TMicroseconds, TTimerID>> due;
    const TMicroseconds now = MonotonicMicroseconds();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (const auto& [id, timer] : timers_)
            if (timer.due <= now)
                due.emplace_back(timer.due, id);
    }
    std::sort(due.begin(), due.end());
    int called = 0;
    for (const auto& entry : due) {
        std::function<void()> callback;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            const auto found = timers_.find(entry.second);
            if (found == timers_.end() || found->second.due > now)
                continue; // removed or restarted by an earlier callback
            found->second.due = now + found->second.interval;
            callback = found->second.callback;
        }
        ++called;
        if (callback)
            callback();
    }
    return called;
}

TMicroseconds TTimerService::NextDueTime() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    TMicroseconds next = -1;
    for (const auto& [id, timer] : timers_)
        if (next < 0 || timer.due < next)
            next = timer.due;
    return next;
}

TTimerService& Timers()
{
    static TTimerService service;
    return service;
}
