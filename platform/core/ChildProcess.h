#pragma once
// Work that may crash or hang, run in a forked child process: the child
// writes its result into memory shared with the parent, and the parent turns
// a crash, a failure or a missed deadline into an outcome it can report.
// glibc keeps malloc and stdio usable in the child, so the work may allocate.

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

// Anonymous memory that a forked child shares with its parent.
class TSharedBuffer {
public:
    // Zero-filled; Valid() is false when the system refused the memory.
    explicit TSharedBuffer(size_t size);
    ~TSharedBuffer();
    TSharedBuffer(const TSharedBuffer&) = delete;
    TSharedBuffer& operator=(const TSharedBuffer&) = delete;

    bool Valid() const { return size_ == 0 || data_ != nullptr; }
    std::span<uint8_t> Bytes() { return {data_, data_ ? size_ : 0}; }

private:
    uint8_t* data_ = nullptr;
    size_t size_ = 0;
};

enum class TChildOutcome {
    Succeeded,
    // The work answered false or threw.
    Failed,
    // Ended by a signal (a crash, or killed from outside).
    Crashed,
    TimedOut,
    Cancelled,
    // No child: the system refused the process or the shared memory.
    NotStarted,
};

struct TChildResult {
    TChildOutcome Outcome = TChildOutcome::NotStarted;
    // The exit status of a failure, the signal of a crash, the system's
    // error number when there was no child.
    int Code = 0;
    std::chrono::milliseconds Limit{0};

    bool Succeeded() const { return Outcome == TChildOutcome::Succeeded; }
    // "crashed with signal 11 (Segmentation fault)", "took longer than 500 ms", ...
    std::string Describe() const;
};

// Runs `work` over `output` in a child process and waits for it. The child
// gets the default action for crash signals and writes no core file, so a
// crash ends it at once. Past `limit`, or once `cancel` turns true (looked
// at a few times a second), the child is killed. What the child writes to
// `output` is seen by the caller; every other change it makes is its own.
TChildResult RunInChildProcess(TSharedBuffer& output, const std::function<bool(std::span<uint8_t>)>& work,
                               std::chrono::milliseconds limit, const std::atomic<bool>* cancel = nullptr);
