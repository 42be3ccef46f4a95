#pragma once
// Interval timers serviced by the main loop, on the replaceable clock.

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>

#include "platform/core/Types.h"

using TTimerID = uint32_t;

class TTimerService {
public:
    // Intervals below this many milliseconds are raised to it, as the system
    // timer does, so a zero interval cannot spin the loop.
    static constexpr uint32_t MinimumIntervalMs = 10;

    // The first call is due one interval from now. Returns a non-zero id.
    TTimerID AddTimer(uint32_t intervalMs, std::function<void()> callback);
    // Changes the interval and restarts the count from now; false if unknown.
    bool SetInterval(TTimerID id, uint32_t intervalMs);
    bool RemoveTimer(TTimerID id);
    bool HasTimer(TTimerID id) const;

    // Calls every due timer once, in due order (however many intervals passed),
    // and schedules its next call one interval after now. Callbacks may add or
    // remove timers, themselves included. Returns how many were called.
    int ServiceDueTimers();
    // Monotonic time of the next due timer, or -1 when there is none.
    TMicroseconds NextDueTime() const;

private:
    struct Timer {
        TMicroseconds interval = 0;
        TMicroseconds due = 0;
        std::function<void()> callback;
    };

    mutable std::mutex mutex_;
    std::map<TTimerID, Timer> timers_;
    TTimerID nextId_ = 1;
};

// The main loop's timer service.
TTimerService& Timers();
