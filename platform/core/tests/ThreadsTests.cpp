#include "platform/core/Exceptions.h"
#include "platform/core/Threads.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// Runs a given body as its Execute.
class TLambdaThread : public TThread {
public:
    explicit TLambdaThread(std::function<void(TLambdaThread&)> body) : body_(std::move(body)) {}
    ~TLambdaThread() override
    {
        Terminate();
        WaitFor();
    }
    using TThread::SetReturnValue;

protected:
    void Execute() override { body_(*this); }

private:
    std::function<void(TLambdaThread&)> body_;
};

} // namespace

TEST(Threads, SynchronizeRunsInTheMainThreadAndReturnsItsException)
{
    bool ranOnMain = false;
    std::string caught;
    auto worker = StartThread<TLambdaThread>([&](TLambdaThread& self) {
        self.Synchronize([&] { ranOnMain = IsMainThread(); });
        try {
            TThread::Synchronize(nullptr, [] { throw EConvertError("bad value"); });
        } catch (const EConvertError& e) {
            caught = e.Message();
        }
        self.SetReturnValue(7);
    });
    EXPECT_EQ(worker->WaitFor(), 7); // serves the synchronised calls while waiting
    EXPECT_TRUE(ranOnMain);
    EXPECT_EQ(caught, "bad value");
    EXPECT_FALSE(worker->FatalException());
}

TEST(Threads, QueueDoesNotBlockAndRunsInOrder)
{
    std::vector<int> order;
    TSimpleEvent queued;
    int wakeUps = 0;
    SetWakeMainThreadHook([&] { ++wakeUps; });
    auto worker = StartThread<TLambdaThread>([&](TLambdaThread& self) {
        for (int i = 1; i <= 3; ++i)
            self.Queue([&order, i] { order.push_back(i); });
        queued.SetEvent(); // reached while nothing has run the calls yet
    });
    ASSERT_EQ(queued.WaitFor(INFINITE), wrSignaled);
    EXPECT_TRUE(order.empty());
    EXPECT_TRUE(CheckSynchronize());
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
    EXPECT_FALSE(CheckSynchronize());
    EXPECT_EQ(wakeUps, 3);
    SetWakeMainThreadHook(nullptr);
}

TEST(Threads, QueuedExceptionLeavesTheRestQueued)
{
    std::vector<int> order;
    {
        auto worker = StartThread<TLambdaThread>([&](TLambdaThread&) {
            TThread::Queue(nullptr, [] { throw EAbort(); });
            TThread::Queue(nullptr, [&] { order.push_back(2); });
        });
    } // joined without running the queued calls
    EXPECT_THROW(CheckSynchronize(), EAbort);
    EXPECT_TRUE(order.empty());
    EXPECT_TRUE(CheckSynchronize());
    EXPECT_EQ(order, std::vector<int>{2});
}

// A main-thread call that frees an object drops that object's later calls, and may wait for a
// worker whose synchronised call was posted after it.
TEST(Threads, CallsRunOneAtATimeSoAFreeingCallSeesTheQueueAsItIs)
{
    const int freedOwner = 0;
    std::vector<std::string> ran;
    TSimpleEvent allPosted;
    int posted = 0;
    SetWakeMainThreadHook([&] {
        if (++posted == 3)
            allPosted.SetEvent();
    });
    std::unique_ptr<TLambdaThread> worker;
    worker = StartThread<TLambdaThread>([&](TLambdaThread& self) {
        self.Queue([&] {
            ran.push_back("free");
            RemoveQueuedCalls(&freedOwner);
            worker->WaitFor(); // serves the worker's synchronised call, queued behind this one
        });
        QueueInMainThread([&] { ran.push_back("freed object's call"); }, &freedOwner);
        self.Synchronize([&] { ran.push_back("synchronised"); });
    });
    ASSERT_EQ(allPosted.WaitFor(INFINITE), wrSignaled);
    EXPECT_TRUE(CheckSynchronize());
    EXPECT_EQ(ran, (std::vector<std::string>{"free", "synchronised"}));
    SetWakeMainThreadHook(nullptr);
}

TEST(Threads, OnTerminateRunsInTheMainThreadAndFatalExceptionIsKept)
{
    TThread* sender = nullptr;
    bool onMain = false;
    TLambdaThread worker([](TLambdaThread&) { throw EStreamError("broken"); });
    worker.OnTerminate = [&](TObject* s) {
        sender = dynamic_cast<TThread*>(s);
        onMain = IsMainThread();
    };
    worker.Start();
    worker.WaitFor();
    EXPECT_EQ(sender, &worker);
    EXPECT_TRUE(onMain);
    ASSERT_TRUE(worker.FatalException());
    EXPECT_THROW(std::rethrow_exception(worker.FatalException()), EStreamError);
    EXPECT_THROW(worker.Start(), EThread);
}

TEST(Threads, TerminateIsSeenByExecute)
{
    TSimpleEvent running;
    auto worker = StartThread<TLambdaThread>([&](TLambdaThread& self) {
        running.SetEvent();
        while (!self.Terminated())
            std::this_thread::yield();
        self.SetReturnValue(1);
    });
    running.WaitFor(INFINITE);
    EXPECT_FALSE(worker->Finished());
    worker->Terminate();
    EXPECT_EQ(worker->WaitFor(), 1);
    EXPECT_TRUE(worker->Finished());
}

TEST(Threads, MainThreadRulesAndMisuse)
{
    bool direct = false;
    TThread::Synchronize(nullptr, [&] { direct = true; });
    EXPECT_TRUE(direct);
    TLambdaThread never([](TLambdaThread&) {});
    EXPECT_EQ(never.WaitFor(), 0); // never started: nothing to wait for

    std::string error;
    auto worker = StartThread<TLambdaThread>([&](TLambdaThread& self) {
        try {
            CheckSynchronize();
        } catch (const EThread& e) {
            error = e.Message();
        }
        try {
            self.WaitFor();
        } catch (const EThread& e) {
            error += "|" + e.Message();
        }
    });
    worker->WaitFor();
    EXPECT_NE(error.find("which is NOT the main thread"), std::string::npos);
    EXPECT_NE(error.find("|Thread cannot wait for itself"), std::string::npos);
}

TEST(Threads, CheckSynchronizeWaitsForTheFirstCall)
{
    TSimpleEvent go;
    bool ran = false;
    auto worker = StartThread<TLambdaThread>([&](TLambdaThread& self) {
        go.WaitFor(INFINITE);
        self.Queue([&] { ran = true; });
    });
    go.SetEvent();
    EXPECT_TRUE(CheckSynchronize(60000)); // returns as soon as the call arrives
    EXPECT_TRUE(ran);
}

TEST(MainThread, PendingMessageHandler)
{
    EXPECT_FALSE(ProcessPendingMessage());
    int messages = 2;
    SetPendingMessageHandler([&] { return messages-- > 0; });
    EXPECT_TRUE(ProcessPendingMessage());
    EXPECT_TRUE(ProcessPendingMessage());
    EXPECT_FALSE(ProcessPendingMessage());
    SetPendingMessageHandler(nullptr);
    EXPECT_FALSE(ProcessPendingMessage());
}
