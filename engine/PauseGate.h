#pragma once
// The pause switch of a conversion run. Workers cannot be frozen from outside,
// so a paused run is one whose workers wait here, at points where they hold no
// lock, until the run is resumed or their job is aborted.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>

class TPauseGate {
public:
    TPauseGate() = default;
    TPauseGate(const TPauseGate&) = delete;
    TPauseGate& operator=(const TPauseGate&) = delete;

    // Pausing a paused gate and resuming an open one change nothing.
    void Pause();
    void Resume();
    bool Paused() const { return paused_.load(); }

    // Blocks while the gate is paused and `aborted` is not set. True when the
    // caller had to wait, so that it can refresh its time-out stamps.
    bool WaitWhilePaused(const std::atomic<bool>& aborted);
    // Wakes every waiter so that it re-reads its abort flag.
    void WakeAll();
    // Threads waiting at the gate now.
    int32_t Waiting() const { return waiting_.load(); }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::atomic<bool> paused_{false};
    std::atomic<int32_t> waiting_{0};
};
