#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "RecordingView.h"
#include "imaging/formats/BrelvixIO.h"
#include "imaging/formats/tests/FormatsTestSupport.h"
#include "platform/backend/HeadlessBackend.h"
#include "platform/ui/Form.h"

namespace {

// A component attached to a recording view in a form, whose BMP reader
// records its thread and the order of reads, waits at the gate, reports
// progress and makes a 5 x 3 image.
class AsyncIO : public FormatsTest {
protected:
    void SetUp() override
    {
        InstallWindowSystem(backend);
        FormatsTest::SetUp();
        view->SetParent(form.get());
        io->SetAttachedBrelvix(view.get());
        io->SetAsynchronous(true);
        io->OnProgress = [this](TObject*, int32_t) { RecordDirect("progress"); };
        io->OnFinishWork = [this](TObject*) { RecordDirect("finish"); };
        FormatRow(ioBMP).Read = [this](TQkReadRequest& request) { Read(request); };
    }
    void TearDown() override
    {
        gate.Open();
        io.reset();
        view.reset();
        form.reset();
        FormatsTest::TearDown();
        UninstallWindowSystem();
    }

    void Read(TQkReadRequest& request)
    {
        int32_t number = 0;
        {
            std::lock_guard<std::mutex> lock(mutex);
            number = ++reads;
            log.push_back("start " + std::to_string(number));
            readerThreads.push_back(std::this_thread::get_id());
        }
        request.Progress.OnProgress(request.Progress.Sender, 30);
        request.Progress.OnProgress(request.Progress.Sender, 60);
        if (whileReading)
            whileReading();
        gate.Wait();
        if (raise)
            throw std::runtime_error("reader failed");
        request.Bitmap.Allocate(5, 3, qk24RGB);
        std::lock_guard<std::mutex> lock(mutex);
        log.push_back("end " + std::to_string(number));
    }
    void RecordDirect(const std::string& event)
    {
        std::lock_guard<std::mutex> lock(mutex);
        directEvents.push_back({event, std::this_thread::get_id()});
    }
    int32_t Load() { return io->LoadFormatFromStream(source, ioBMP); }
    std::vector<std::string> Log()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return log;
    }

    THeadlessBackend backend;
    std::unique_ptr<TForm> form = std::make_unique<TForm>(nullptr);
    std::unique_ptr<TRecordingView> view = std::make_unique<TRecordingView>();
    std::unique_ptr<TBrelvixIO> io = std::make_unique<TBrelvixIO>(nullptr);
    TStringStream source{"BM"};
    TGate gate;
    bool raise = false;
    std::function<void()> whileReading;

    std::mutex mutex;
    int32_t reads = 0;
    std::vector<std::string> log;
    std::vector<std::thread::id> readerThreads;
    std::vector<std::pair<std::string, std::thread::id>> directEvents;
};

} // namespace

TEST_F(AsyncIO, AComponentOwningItsBitmapStaysSynchronous)
{
    TBrelvixIO own(nullptr);
    own.SetAsynchronous(true);
    gate.Open();
    own.LoadFormatFromStream(source, ioBMP);
    EXPECT_FALSE(own.Aborting());
    EXPECT_EQ(own.Bitmap()->GetWidth(), 5);
    EXPECT_EQ(readerThreads, std::vector<std::thread::id>{std::this_thread::get_id()});
}

TEST_F(AsyncIO, ALoadReturnsAtOnceAndTheViewHearsOfItInOrder)
{
    view->HandleNeeded();
    EXPECT_EQ(Load(), -1);
    gate.Open();
    io->WaitWorkerThreads(false);
    ASSERT_FALSE(io->Aborting());
    ASSERT_EQ(readerThreads.size(), 1u);
    EXPECT_NE(readerThreads[0], std::this_thread::get_id());
    // The view changed in the main thread, while the worker waited.
    EXPECT_EQ(view->imageChangeThreads, std::vector<std::thread::id>{std::this_thread::get_id()});
    EXPECT_TRUE(directEvents.empty());

    EXPECT_TRUE(view->messages.empty());
    DeliverPostedMessages();
    EXPECT_EQ(view->widthWhenRefreshed, 5);
    const std::vector<TRecordedMessage> expected = {{QKM_IOPROGRESS, 30},
                                                    {QKM_IOPROGRESS, 60},
                                                    {QKM_IOREFRESH, 0},
                                                    {QKM_IOPROGRESS, 100},
                                                    {QKM_IOFINISHWORK, 0}};
    EXPECT_EQ(view->messages, expected);
}

TEST_F(AsyncIO, AViewDestroyedDuringItsLoadOutlivesTheLoadAndIsNotTouchedAfter)
{
    view->HandleNeeded();
    EXPECT_EQ(Load(), -1);
    std::thread opener([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        gate.Open();
    });
    view.reset();
    opener.join();
    // The load ended before the view's image went, and its notices found no view.
    EXPECT_EQ(Log(), (std::vector<std::string>{"start 1", "end 1"}));
    EXPECT_EQ(io->AttachedBrelvix(), nullptr);
    io->WaitWorkerThreads(false);
    DeliverPostedMessages();
    EXPECT_NE(io->Bitmap(), nullptr);
}

TEST_F(AsyncIO, ALoadInsideALoadRunsInTheSameWorker)
{
    gate.Open();
    int32_t innerAnswer = -2;
    whileReading = [&] {
        if (reads == 1)
            innerAnswer = Load();
    };
    Load();
    io->WaitWorkerThreads(false);
    EXPECT_EQ(innerAnswer, 0);
    ASSERT_EQ(readerThreads.size(), 2u);
    EXPECT_EQ(readerThreads[0], readerThreads[1]);
    EXPECT_NE(readerThreads[0], std::this_thread::get_id());
}

TEST_F(AsyncIO, WaitingWithoutWorkersReturnsAtOnce)
{
    io->WaitWorkerThreads(false);
    EXPECT_FALSE(io->Aborting());
    io->WaitWorkerThreads(true);
    EXPECT_TRUE(io->Aborting());
}

TEST_F(AsyncIO, DestructionReturnsOnlyAfterTheWorkersLeft)
{
    Load();
    Load();
    std::thread opener([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        gate.Open();
    });
    io.reset();
    opener.join();
    EXPECT_EQ(Log(), (std::vector<std::string>{"start 1", "end 1", "start 2", "end 2"}));
}

// The worker asks the main thread for the view's window while the main
// thread is inside the component's destructor.
TEST_F(AsyncIO, DestructionServesAWorkerAskingForTheViewHandle)
{
    ASSERT_FALSE(view->HandleAllocated());
    gate.Open();
    Load();
    io.reset();
    EXPECT_TRUE(view->HandleAllocated());
    DeliverPostedMessages();
    EXPECT_FALSE(view->messages.empty());
}

TEST_F(AsyncIO, ARaisingReaderLeavesAbortingAndNoWorker)
{
    raise = true;
    gate.Open();
    Load();
    io->WaitWorkerThreads(false);
    EXPECT_TRUE(io->Aborting());
    raise = false;
    Load();
    io->WaitWorkerThreads(false);
    EXPECT_FALSE(io->Aborting());
    EXPECT_EQ(reads, 2);
}

TEST_F(AsyncIO, WithAParentlessViewEventsRunOnTheWorker)
{
    view->SetParent(nullptr);
    gate.Open();
    Load();
    io->WaitWorkerThreads(false);
    DeliverPostedMessages();
    EXPECT_TRUE(view->messages.empty());
    ASSERT_EQ(readerThreads.size(), 1u);
    std::vector<std::string> names;
    for (const auto& [name, thread] : directEvents) {
        names.push_back(name);
        EXPECT_EQ(thread, readerThreads[0]) << name;
    }
    EXPECT_EQ(names, (std::vector<std::string>{"progress", "progress", "progress", "finish"}));
}

TEST_F(AsyncIO, TwoWaitersBothReturn)
{
    Load();
    std::thread first([this] { io->WaitWorkerThreads(false); });
    std::thread second([this] { io->WaitWorkerThreads(false); });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    gate.Open();
    // The main thread waits too: the worker shows the image through it.
    io->WaitWorkerThreads(false);
    first.join();
    second.join();
    EXPECT_EQ(Log(), (std::vector<std::string>{"start 1", "end 1"}));
}

TEST_F(AsyncIO, HandOffsRunOneAfterAnother)
{
    Load();
    Load();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(Log(), std::vector<std::string>{"start 1"});
    gate.Open();
    io->WaitWorkerThreads(false);
    EXPECT_EQ(Log(), (std::vector<std::string>{"start 1", "end 1", "start 2", "end 2"}));
}

// Workers still waiting for their turn when the wait asks them to stop do
// not start their operation.
TEST_F(AsyncIO, AnAbortingWaitCancelsWaitingHandOffs)
{
    Load();
    Load();
    std::thread opener([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        gate.Open();
    });
    io->WaitWorkerThreads(true);
    opener.join();
    EXPECT_EQ(Log(), (std::vector<std::string>{"start 1", "end 1"}));
    EXPECT_TRUE(io->Aborting());
}
