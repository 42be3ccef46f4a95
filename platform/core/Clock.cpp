#include "platform/core/Clock.h"

#include <chrono>
#include <ctime>

namespace {

TSystemTime FromTm(const std::tm& tm, int64_t milliseconds)
{
    TSystemTime t;
    t.Year = static_cast<uint16_t>(tm.tm_year + 1900);
    t.Month = static_cast<uint16_t>(tm.tm_mon + 1);
    t.Day = static_cast<uint16_t>(tm.tm_mday);
    t.Hour = static_cast<uint16_t>(tm.tm_hour);
    t.Minute = static_cast<uint16_t>(tm.tm_min);
    t.Second = static_cast<uint16_t>(tm.tm_sec);
    t.Millisecond = static_cast<uint16_t>(milliseconds);
    return t;
}

TSystemClock systemClock;
std::atomic<IClock*> currentClock{&systemClock};

} // namespace

TMicroseconds TSystemClock::Monotonic() const
{
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

TSystemTime TSystemClock::LocalTime() const
{
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    std::tm tm{};
    ::localtime_r(&now.tv_sec, &tm);
    return FromTm(tm, now.tv_nsec / 1000000);
}

TTestClock::TTestClock(const TSystemTime& start) : start_(start) {}

void TTestClock::Advance(TMicroseconds microseconds)
{
    if (microseconds > 0)
        now_.fetch_add(microseconds);
}

TSystemTime TTestClock::LocalTime() const
{
    // Calendar arithmetic through timegm/gmtime_r, free of time zones.
    std::tm tm{};
    tm.tm_year = start_.Year - 1900;
    tm.tm_mon = start_.Month - 1;
    tm.tm_mday = start_.Day;
    tm.tm_hour = start_.Hour;
    tm.tm_min = start_.Minute;
    tm.tm_sec = start_.Second;
    const int64_t totalMs = start_.Millisecond + now_.load() / MicrosecondsPerMillisecond;
    const time_t seconds = ::timegm(&tm) + static_cast<time_t>(totalMs / 1000);
    std::tm result{};
    ::gmtime_r(&seconds, &result);
    return FromTm(result, totalMs % 1000);
}

IClock& Clock() { return *currentClock.load(); }
void SetClock(IClock* clock) { currentClock.store(clock ? clock : &systemClock); }

TMicroseconds MonotonicMicroseconds() { return Clock().Monotonic(); }
uint32_t GetTickCount() { return static_cast<uint32_t>(static_cast<uint64_t>(Clock().Monotonic() / 1000)); }
TSystemTime GetLocalTime() { return Clock().LocalTime(); }
