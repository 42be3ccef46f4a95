#include "platform/core/MainThread.h"

#include "platform/core/Exceptions.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <unistd.h>

namespace {

// Filled during static initialisation, which runs on the process's first thread.
std::atomic<std::thread::id> mainThreadId{std::this_thread::get_id()};

struct SyncState {
    bool done = false;
    std::exception_ptr error;
};

struct PendingCall {
    std::function<void()> method;
    const void* owner = nullptr;
    std::shared_ptr<SyncState> sync; // null for queued calls
};

std::mutex queueMutex;
std::condition_variable queueChanged;
std::deque<PendingCall> pendingCalls;
// Bumped by SignalMainThread so a serving main thread re-checks its condition.
uint64_t signalCount = 0;

std::mutex hookMutex;
std::function<void()> wakeHook;
std::function<bool()> pendingMessageHandler;

void WakeMainThread()
{
    std::function<void()> hook;
    {
        std::lock_guard<std::mutex> lock(hookMutex);
        hook = wakeHook;
    }
    if (hook)
        hook();
}

void Post(PendingCall call)
{
    {
        std::lock_guard<std::mutex> lock(queueMutex);
        pendingCalls.push_back(std::move(call));
    }
    queueChanged.notify_all();
    WakeMainThread();
}

void RunSynchronised(PendingCall& call)
{
    try {
        call.method();
    } catch (...) {
        call.sync->error = std::current_exception();
    }
    {
        std::lock_guard<std::mutex> lock(queueMutex);
        call.sync->done = true;
    }
    queueChanged.notify_all();
}

bool HasSynchronisedCall()
{
    return std::any_of(pendingCalls.begin(), pendingCalls.end(),
                       [](const PendingCall& call) { return call.sync != nullptr; });
}

// Runs the calls present now, taking them from the queue one at a time: a call that frees an
// object removes that object's later calls, and a call that waits for a worker still lets the
// worker's synchronised call be served. A queued call's exception leaves the rest queued.
bool RunPendingCalls()
{
    size_t budget;
    {
        std::lock_guard<std::mutex> lock(queueMutex);
        budget = pendingCalls.size();
    }
    bool ranAny = false;
    for (; budget > 0; --budget) {
        PendingCall call;
        {
            std::lock_guard<std::mutex> lock(queueMutex);
            if (pendingCalls.empty())
                break;
            call = std::move(pendingCalls.front());
            pendingCalls.pop_front();
        }
        ranAny = true;
        if (call.sync)
            RunSynchronised(call);
        else
            call.method();
    }
    return ranAny;
}

// Runs the synchronised calls present now, leaving queued ones in place.
void RunSynchronisedCalls()
{
    std::deque<PendingCall> batch;
    {
        std::lock_guard<std::mutex> lock(queueMutex);
        const auto queued = std::stable_partition(pendingCalls.begin(), pendingCalls.end(),
                                                  [](const PendingCall& call) { return call.sync != nullptr; });
        batch.assign(std::make_move_iterator(pendingCalls.begin()), std::make_move_iterator(queued));
        pendingCalls.erase(pendingCalls.begin(), queued);
    }
    for (PendingCall& call : batch)
        RunSynchronised(call);
}

} // namespace

std::thread::id MainThreadID() { return mainThreadId.load(); }
bool IsMainThread() { return std::this_thread::get_id() == mainThreadId.load(); }
void SetMainThreadID(std::thread::id id) { mainThreadId.store(id); }

void RunInMainThread(const std::function<void()>& method)
{
    if (IsMainThread()) {
        method();
        return;
    }
    auto sync = std::make_shared<SyncState>();
    Post(PendingCall{method, nullptr, sync});
    {
        std::unique_lock<std::mutex> lock(queueMutex);
        queueChanged.wait(lock, [&] { return sync->done; });
    }
    if (sync->error)
        std::rethrow_exception(sync->error);
}

void QueueInMainThread(std::function<void()> method, const void* owner)
{
    if (IsMainThread()) {
        method();
        return;
    }
    Post(PendingCall{std::move(method), owner, nullptr});
}

void RemoveQueuedCalls(const void* owner)
{
    std::lock_guard<std::mutex> lock(queueMutex);
    std::erase_if(pendingCalls, [owner](const PendingCall& call) { return !call.sync && call.owner == owner; });
}

bool CheckSynchronize(uint32_t timeoutMs)
{
    if (!IsMainThread())
        throw CreateFmt<EThread>("CheckSynchronize called from thread $%x, which is NOT the main thread",
                                 static_cast<unsigned>(::gettid()));
    if (timeoutMs > 0) {
        std::unique_lock<std::mutex> lock(queueMutex);
        queueChanged.wait_for(lock, std::chrono::milliseconds(timeoutMs), [] { return !pendingCalls.empty(); });
    }
    return RunPendingCalls();
}

void ServeMainThreadUntil(const std::function<bool()>& done)
{
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(queueMutex);
            uint64_t seen = signalCount;
            while (!done() && !HasSynchronisedCall()) {
                queueChanged.wait(lock, [&] { return signalCount != seen || HasSynchronisedCall(); });
                seen = signalCount;
            }
            if (!HasSynchronisedCall())
                return;
        }
        RunSynchronisedCalls();
    }
}

void SignalMainThread()
{
    {
        std::lock_guard<std::mutex> lock(queueMutex);
        ++signalCount;
    }
    queueChanged.notify_all();
}

void SetWakeMainThreadHook(std::function<void()> hook)
{
    std::lock_guard<std::mutex> lock(hookMutex);
    wakeHook = std::move(hook);
}

void SetPendingMessageHandler(std::function<bool()> processOne)
{
    std::lock_guard<std::mutex> lock(hookMutex);
    pendingMessageHandler = std::move(processOne);
}

bool ProcessPendingMessage()
{
    std::function<bool()> handler;
    {
        std::lock_guard<std::mutex> lock(hookMutex);
        handler = pendingMessageHandler;
    }
    return handler && handler();
}
