#pragma once
// The main thread and its queue of calls sent from other threads
// (TThread::Synchronize and TThread::Queue run through it).

#include <cstdint>
#include <functional>
#include <thread>

// The main thread is the one that started the process; a program whose
// message loop runs elsewhere names that thread once at start-up.
std::thread::id MainThreadID();
bool IsMainThread();
void SetMainThreadID(std::thread::id id);

// Runs `method` in the main thread and returns when it has run; an exception
// it raises is raised again here. On the main thread it runs directly.
void RunInMainThread(const std::function<void()>& method);
// Sends `method` to the main thread without waiting (on the main thread it
// runs directly). `owner` tags the call so RemoveQueuedCalls can drop it.
void QueueInMainThread(std::function<void()> method, const void* owner = nullptr);
// Drops the queued (not the synchronised) calls tagged with `owner`.
void RemoveQueuedCalls(const void* owner);

// Runs, in the main thread, every call sent so far, in the order sent, after
// waiting up to `timeoutMs` for the first to arrive. Returns whether it ran
// any. A queued call's exception leaves the rest queued and propagates; a
// synchronised call's exception goes back to its sender. Raises EThread when
// called from another thread.
bool CheckSynchronize(uint32_t timeoutMs = 0);

// Blocks the main thread until done() holds, running synchronised calls
// meanwhile so that workers waiting on them can finish; queued calls stay for
// CheckSynchronize, so nothing raised by them escapes here. done() runs under
// the queue's lock and must not send calls. Whoever changes what done() reads
// calls SignalMainThread() afterwards.
void ServeMainThreadUntil(const std::function<bool()>& done);
void SignalMainThread();

// Called (from the sending thread) whenever a call is sent, so that a message
// loop sleeping in its own wait can wake up and call CheckSynchronize.
void SetWakeMainThreadHook(std::function<void()> hook);

// The user-interface layer installs a handler that processes one pending
// window message and returns whether there was one; ProcessPendingMessage
// returns false while none is installed.
void SetPendingMessageHandler(std::function<bool()> processOne);
bool ProcessPendingMessage();
