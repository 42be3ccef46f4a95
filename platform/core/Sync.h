#pragma once
// Locks and events with the class library's interfaces.

#include <condition_variable>
#include <cstdint>
#include <mutex>

// Recursive: the owning thread may enter again and must leave as often.
class TCriticalSection {
public:
    TCriticalSection() = default;
    TCriticalSection(const TCriticalSection&) = delete;
    TCriticalSection& operator=(const TCriticalSection&) = delete;

    void Enter() { mutex_.lock(); }
    void Leave() { mutex_.unlock(); }
    bool TryEnter() { return mutex_.try_lock(); }
    void Acquire() { Enter(); }
    void Release() { Leave(); }

private:
    std::recursive_mutex mutex_;
};

// Holds the section for the guard's lifetime.
class TCriticalSectionGuard {
public:
    explicit TCriticalSectionGuard(TCriticalSection& section) : section_(section) { section_.Enter(); }
    ~TCriticalSectionGuard() { section_.Leave(); }
    TCriticalSectionGuard(const TCriticalSectionGuard&) = delete;
    TCriticalSectionGuard& operator=(const TCriticalSectionGuard&) = delete;

private:
    TCriticalSection& section_;
};

enum TWaitResult { wrSignaled, wrTimeout, wrAbandoned, wrError };

constexpr uint32_t INFINITE = 0xFFFFFFFF;

// A manual-reset event stays signalled until ResetEvent and releases every
// waiter; an auto-reset event releases one waiter and resets itself.
class TEvent {
public:
    explicit TEvent(bool manualReset = true, bool initialState = false)
        : manualReset_(manualReset), signaled_(initialState)
    {}
    TEvent(const TEvent&) = delete;
    TEvent& operator=(const TEvent&) = delete;

    void SetEvent();
    void ResetEvent();
    // Waits up to `timeoutMs` milliseconds (INFINITE: without limit; 0: polls).
    TWaitResult WaitFor(uint32_t timeoutMs = INFINITE);

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    const bool manualReset_;
    bool signaled_;
};

// Manual reset, initially not signalled.
class TSimpleEvent : public TEvent {
public:
    TSimpleEvent() : TEvent(true, false) {}
};
