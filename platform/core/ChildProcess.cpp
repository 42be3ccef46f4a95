#include "platform/core/ChildProcess.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>

#include <poll.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/core/Exceptions.h"

namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

// How often a waiting parent looks at the cancel flag.
constexpr milliseconds CancelCheck{50};

constexpr int CrashSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGTRAP, SIGSYS};

// Handlers the parent installed (a sanitizer's, a fuzzer's) would report
// the child's crash as the parent's own; the child just dies of it.
void TakeDefaultCrashActions()
{
    sigset_t crashes;
    sigemptyset(&crashes);
    for (int signal : CrashSignals) {
        std::signal(signal, SIG_DFL);
        sigaddset(&crashes, signal);
    }
    sigprocmask(SIG_UNBLOCK, &crashes, nullptr);
    const rlimit noCoreFile{0, 0};
    setrlimit(RLIMIT_CORE, &noCoreFile);
}

// _exit: the parent's exit handlers, buffered output and leak checks are
// not the child's to run.
[[noreturn]] void RunChild(std::span<uint8_t> output, const std::function<bool(std::span<uint8_t>)>& work)
{
    TakeDefaultCrashActions();
    // Page faults one page at a time cost more than the work on some
    // machines; the child maps the whole output at once (the parent's pages
    // are not inherited with a shared mapping).
    if (!output.empty())
        madvise(output.data(), output.size(), MADV_POPULATE_WRITE);
    bool done = false;
    try {
        done = work(output);
    } catch (...) {
        done = false;
    }
    _exit(done ? 0 : 1);
}

struct TDescriptor {
    explicit TDescriptor(int descriptor) : Handle(descriptor) {}
    ~TDescriptor()
    {
        if (Handle >= 0)
            close(Handle);
    }
    TDescriptor(const TDescriptor&) = delete;
    TDescriptor& operator=(const TDescriptor&) = delete;
    int Handle;
};

// A descriptor that turns readable when the child ends (glibc's wrapper
// lacks C linkage in its header).
int ExitDescriptor(pid_t child) { return int(syscall(SYS_pidfd_open, child, 0)); }

int WaitForStatus(pid_t child)
{
    int status = 0;
    while (waitpid(child, &status, 0) < 0)
        if (errno != EINTR)
            return -1;
    return status;
}

TChildResult FromStatus(int status)
{
    if (status < 0)
        return {TChildOutcome::Failed, errno};
    if (WIFSIGNALED(status))
        return {TChildOutcome::Crashed, WTERMSIG(status)};
    const int code = WEXITSTATUS(status);
    return {code == 0 ? TChildOutcome::Succeeded : TChildOutcome::Failed, code};
}

TChildResult Stop(pid_t child, TChildOutcome outcome, int code)
{
    kill(child, SIGKILL);
    WaitForStatus(child);
    return {outcome, code};
}

// Waits until the child ends, the deadline passes or the caller cancels;
// the two last kill it. The child is reaped in every case.
TChildResult Await(pid_t child, int exitSignal, milliseconds limit, const std::atomic<bool>* cancel)
{
    const steady_clock::time_point deadline = steady_clock::now() + limit;
    for (;;) {
        const milliseconds left = std::chrono::ceil<milliseconds>(deadline - steady_clock::now());
        if (left.count() <= 0)
            return Stop(child, TChildOutcome::TimedOut, 0);
        if (cancel && *cancel)
            return Stop(child, TChildOutcome::Cancelled, 0);
        const milliseconds slice = cancel ? std::min(left, CancelCheck) : left;
        pollfd ended{exitSignal, POLLIN, 0};
        const int ready = poll(&ended, 1, int(std::min<int64_t>(slice.count(), INT_MAX)));
        if (ready > 0)
            return FromStatus(WaitForStatus(child));
        if (ready < 0 && errno != EINTR)
            return Stop(child, TChildOutcome::Failed, errno);
    }
}

} // namespace

TSharedBuffer::TSharedBuffer(size_t size) : size_(size)
{
    if (size == 0)
        return;
    void* mapped = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
    if (mapped != MAP_FAILED)
        data_ = static_cast<uint8_t*>(mapped);
}

TSharedBuffer::~TSharedBuffer()
{
    if (data_)
        munmap(data_, size_);
}

std::string TChildResult::Describe() const
{
    switch (Outcome) {
    case TChildOutcome::Succeeded: return "finished";
    case TChildOutcome::Failed: return "failed with exit status " + std::to_string(Code);
    case TChildOutcome::Crashed: return "crashed with signal " + std::to_string(Code) + " (" + strsignal(Code) + ")";
    case TChildOutcome::TimedOut: return "took longer than " + std::to_string(Limit.count()) + " ms";
    case TChildOutcome::Cancelled: return "was cancelled";
    case TChildOutcome::NotStarted: return "could not start: " + SysErrorMessage(Code);
    }
    return {};
}

TChildResult RunInChildProcess(TSharedBuffer& output, const std::function<bool(std::span<uint8_t>)>& work,
                               milliseconds limit, const std::atomic<bool>* cancel)
{
    if (!output.Valid())
        return {TChildOutcome::NotStarted, ENOMEM, limit};
    const pid_t child = fork();
    if (child < 0)
        return {TChildOutcome::NotStarted, errno, limit};
    if (child == 0)
        RunChild(output.Bytes(), work);
    const TDescriptor exitSignal(ExitDescriptor(child));
    TChildResult result = exitSignal.Handle >= 0 ? Await(child, exitSignal.Handle, limit, cancel)
                                                 : Stop(child, TChildOutcome::NotStarted, errno);
    result.Limit = limit;
    return result;
}
