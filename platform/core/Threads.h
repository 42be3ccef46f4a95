#pragma once
// TThread over std::thread.
//
// Ownership: a TThread is always owned (typically by a std::unique_ptr) and
// joined by its owner; it never deletes itself. There is therefore no
// FreeOnTerminate: code that would set it keeps the object until it has
// finished, and destroying the object joins the thread. Because a
// descendant's members are gone before ~TThread runs, a descendant whose
// Execute uses its own members calls Terminate() and WaitFor() in its own
// destructor (or the owner does so before destroying it).

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

#include "platform/core/MainThread.h"
#include "platform/core/Persistent.h"
#include "platform/core/Sync.h"

enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

using TThreadMethod = std::function<void()>;

// The kernel's id of the calling thread (what log lines show).
uint32_t GetCurrentThreadId();
void Sleep(uint32_t milliseconds);

class TThread : public TObject {
public:
    // Created suspended: nothing runs until Start (see StartThread below).
    TThread() = default;
    ~TThread() override;

    // Raises EThread "Cannot call Start on a running or finished thread" when
    // called twice.
    void Start();
    // Asks Execute to finish; Execute polls Terminated().
    void Terminate() { terminated_.store(true); }
    bool Terminated() const { return terminated_.load(); }
    bool Started() const { return started_.load(); }
    bool Finished() const { return finished_.load(); }
    // Waits for the thread to finish (running its synchronised calls meanwhile
    // when called in the main thread) and returns ReturnValue. Returns at once
    // for a thread never started; raises EThread when a thread waits for itself.
    int32_t WaitFor();
    int32_t ReturnValue() const { return returnValue_.load(); }

    // Best effort: mapped to the thread's nice value, ignored where the
    // process may not raise it.
    TThreadPriority Priority() const { return priority_.load(); }
    void SetPriority(TThreadPriority priority);
    // The kernel thread id while running, 0 before.
    uint32_t ThreadID() const { return threadId_.load(); }

    // What escaped Execute (or OnTerminate), null if nothing did.
    std::exception_ptr FatalException() const;

    // Runs in the main thread after Execute, with this thread as sender.
    TNotifyEvent OnTerminate;

    // Blocks until the main thread ran `method`; its exception is raised
    // again in the caller. On the main thread the method runs directly.
    static void Synchronize(TThread* thread, const TThreadMethod& method);
    void Synchronize(const TThreadMethod& method) { Synchronize(this, method); }
    // Sends `method` to the main thread without waiting; calls still queued
    // for a thread are dropped when the thread object is destroyed.
    static void Queue(TThread* thread, TThreadMethod method);
    void Queue(TThreadMethod method) { Queue(this, std::move(method)); }

protected:
    virtual void Execute() = 0;
    // Runs OnTerminate through Synchronize.
    virtual void DoTerminate();
    void SetReturnValue(int32_t value) { returnValue_.store(value); }

private:
    void Run();
    void ApplyPriority();
    // Waits for the thread to finish and joins it; raises nothing, so the destructor can use it.
    void Join() noexcept;

    std::thread thread_;
    std::mutex joinMutex_;
    TSimpleEvent finishedEvent_;
    std::atomic<bool> started_{false};
    std::atomic<bool> finished_{false};
    std::atomic<bool> terminated_{false};
    std::atomic<int32_t> returnValue_{0};
    std::atomic<uint32_t> threadId_{0};
    std::atomic<TThreadPriority> priority_{tpNormal};
    mutable std::mutex fatalMutex_;
    std::exception_ptr fatalException_;
};

// Creates a thread object and starts it: the "created running" form.
template <class T, class... Args>
std::unique_ptr<T> StartThread(Args&&... args)
{
    auto thread = std::make_unique<T>(std::forward<Args>(args)...);
    thread->Start();
    return thread;
}
