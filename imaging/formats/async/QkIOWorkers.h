#pragma once
// The component's worker threads: each runs one handed-off load or save.
// Workers run their operations one at a time in hand-off order, so two
// asynchronous operations never write the same image together; the hand-off
// itself returns at once.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/core/Threads.h"
#include "platform/ui/Messages.h"

// Messages posted to the attached view's window by operations on workers.
constexpr uint32_t QKM_IOREFRESH = WM_USER + 7000;
constexpr uint32_t QKM_DSHOWNEWFRAME = WM_USER + 7001;
constexpr uint32_t QKM_DSHOWEVENT = WM_USER + 7002;
// WParam: the percentage.
constexpr uint32_t QKM_IOPROGRESS = WM_USER + 7003;
constexpr uint32_t QKM_IOFINISHWORK = WM_USER + 7004;

// What a worker calls, named by the operation's argument list.
enum class TQkIOCallKind : uint8_t {
    FileProcedure = 0,
    StreamProcedure = 1,
    FileFunction = 2,
    StreamFunction = 4,
    FileWithType = 5,
    StreamWithType = 6,
    FrameIndex = 8,
    MetafileImport = 9,
    Url = 10,
    Acquisition = 11,
};

class TQkIOWorkers;

class TQkIOThread : public TThread {
public:
    // `operation` holds the operation bound to its component with copies of
    // its arguments (a stream argument stays the caller's).
    TQkIOThread(TQkIOWorkers& owner, TQkIOCallKind kind, std::function<void()> operation, uint64_t turn);
    // Its thread may still be leaving its body; never destroyed by itself.
    ~TQkIOThread() override { WaitFor(); }

    TQkIOCallKind Kind() const { return kind_; }

protected:
    void Execute() override;

private:
    friend class TQkIOWorkers;

    TQkIOWorkers& owner_;
    const TQkIOCallKind kind_;
    const std::function<void()> operation_;
    // The place in the component's hand-off order.
    const uint64_t turn_;
    // Guarded by the owner's lock.
    std::thread::id threadId_;
    bool cancelled_ = false;
};

class TQkIOWorkers {
public:
    // `aborting` is the component's flag: set when an operation raises and
    // when a wait asks the workers to stop.
    explicit TQkIOWorkers(std::atomic<bool>& aborting);
    // Waits for every worker.
    ~TQkIOWorkers();
    TQkIOWorkers(const TQkIOWorkers&) = delete;
    TQkIOWorkers& operator=(const TQkIOWorkers&) = delete;

    // Registers a worker for `operation` and starts it. Raises when no
    // thread can be started; nothing is registered then.
    void HandOff(TQkIOCallKind kind, std::function<void()> operation);
    // Whether the calling thread is one of the registered workers.
    bool InWorkerThread() const;
    // Returns when no worker is left. With `abort`, Aborting is set first and
    // workers still waiting for their turn skip their operation. On the main
    // thread, calls that workers synchronise are served meanwhile; on a
    // worker it returns at once, as a worker cannot wait for itself.
    void Wait(bool abort);

private:
    friend class TQkIOThread;

    void RunWorker(TQkIOThread& worker);
    // Takes the ended workers out of the lock, to be joined by the caller.
    std::vector<std::unique_ptr<TQkIOThread>> TakeEnded();

    std::atomic<bool>& aborting_;
    mutable std::mutex lock_;
    std::condition_variable changed_;
    std::vector<std::unique_ptr<TQkIOThread>> running_;
    // Left the list, their threads ending; joined by whoever takes them.
    std::vector<std::unique_ptr<TQkIOThread>> ended_;
    uint64_t nextTurn_ = 0;
    uint64_t turn_ = 0;
    // The size of running_, readable without the lock by the main thread's
    // wait, which runs under the call queue's lock.
    std::atomic<size_t> registered_{0};
};
