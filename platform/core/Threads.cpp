#include "platform/core/Threads.h"

#include "platform/core/Exceptions.h"

#include <chrono>
#include <cstdio>
#include <exception>
#include <sys/resource.h>
#include <unistd.h>

uint32_t GetCurrentThreadId() { return static_cast<uint32_t>(::gettid()); }

void Sleep(uint32_t milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

TThread::~TThread()
{
    if (started_.load()) {
        Terminate();
        Join();
    }
    RemoveQueuedCalls(this);
}

void TThread::Start()
{
    if (started_.exchange(true))
        throw EThread("Cannot call Start on a running or finished thread");
    try {
        std::lock_guard<std::mutex> lock(joinMutex_);
        thread_ = std::thread(&TThread::Run, this);
    } catch (const std::system_error& e) {
        started_.store(false);
        throw CreateFmt<EThread>("Thread creation error: %s", std::string(e.what()));
    }
}

void TThread::Run()
{
    threadId_.store(GetCurrentThreadId());
    ApplyPriority();
    std::exception_ptr fatal;
    try {
        Execute();
    } catch (...) {
        fatal = std::current_exception();
    }
    try {
        DoTerminate();
    } catch (...) {
        if (!fatal)
            fatal = std::current_exception();
    }
    {
        std::lock_guard<std::mutex> lock(fatalMutex_);
        fatalException_ = fatal;
    }
    finished_.store(true);
    finishedEvent_.SetEvent();
    SignalMainThread();
}

void TThread::DoTerminate()
{
    if (OnTerminate)
        Synchronize([this] { OnTerminate(this); });
}

int32_t TThread::WaitFor()
{
    if (!started_.load())
        return ReturnValue();
    if (threadId_.load() == GetCurrentThreadId())
        throw EThread("Thread cannot wait for itself");
    Join();
    return ReturnValue();
}

// A worker may be blocked in Synchronize, so the main thread serves the synchronised calls
// while it waits (and only those: queued calls, which may raise, stay for the message loop).
void TThread::Join() noexcept
{
    if (threadId_.load() == GetCurrentThreadId()) {
        // Destroyed from its own Execute: nothing can join it, and std::thread would end the
        // process without a word.
        std::fputs("TThread destroyed by its own thread\n", stderr);
        std::terminate();
    }
    if (IsMainThread())
        ServeMainThreadUntil([this] { return finished_.load(); });
    else
        finishedEvent_.WaitFor(INFINITE);
    std::lock_guard<std::mutex> lock(joinMutex_);
    if (thread_.joinable())
        thread_.join();
}

void TThread::SetPriority(TThreadPriority priority)
{
    if (priority_.exchange(priority) != priority && threadId_.load() != 0 && !finished_.load())
        ApplyPriority();
}

void TThread::ApplyPriority()
{
    static const int niceValues[] = {19, 10, 5, 0, -5, -10, -15};
    // Raising priority needs privileges most users lack; then the thread
    // simply keeps its current one.
    ::setpriority(PRIO_PROCESS, static_cast<id_t>(threadId_.load()), niceValues[priority_.load()]);
}

std::exception_ptr TThread::FatalException() const
{
    std::lock_guard<std::mutex> lock(fatalMutex_);
    return fatalException_;
}

void TThread::Synchronize(TThread*, const TThreadMethod& method) { RunInMainThread(method); }

void TThread::Queue(TThread* thread, TThreadMethod method) { QueueInMainThread(std::move(method), thread); }
