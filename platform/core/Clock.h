#pragma once
// Time sources behind one replaceable interface: tests install a TTestClock
// and move time by hand.

#include <atomic>
#include <cstdint>
#include <mutex>

#include "platform/core/Types.h"

// A local calendar time with milliseconds.
struct TSystemTime {
    uint16_t Year = 0;
    uint16_t Month = 0; // 1..12
    uint16_t Day = 0; // 1..31
    uint16_t Hour = 0;
    uint16_t Minute = 0;
    uint16_t Second = 0;
    uint16_t Millisecond = 0;
};

class IClock {
public:
    virtual ~IClock() = default;
    // Microseconds from an arbitrary fixed start; never goes backwards.
    virtual TMicroseconds Monotonic() const = 0;
    virtual TSystemTime LocalTime() const = 0;
};

class TSystemClock : public IClock {
public:
    TMicroseconds Monotonic() const override;
    TSystemTime LocalTime() const override;
};

// Starts at monotonic 0 and at the given local time; both move only by Advance.
class TTestClock : public IClock {
public:
    explicit TTestClock(const TSystemTime& start = TSystemTime{2000, 1, 1, 0, 0, 0, 0});
    TMicroseconds Monotonic() const override { return now_.load(); }
    TSystemTime LocalTime() const override;
    void Advance(TMicroseconds microseconds);
    void AdvanceMs(int64_t milliseconds) { Advance(milliseconds * MicrosecondsPerMillisecond); }

private:
    std::atomic<TMicroseconds> now_{0};
    TSystemTime start_;
};

// The clock in use (the system clock unless a test installed another).
IClock& Clock();
// Installs `clock` (not owned; nullptr restores the system clock).
void SetClock(IClock* clock);

TMicroseconds MonotonicMicroseconds();
// Milliseconds since the clock's start, wrapping at 2^32 like GetTickCount.
uint32_t GetTickCount();
TSystemTime GetLocalTime();
