#include "UiTestSupport.h"

#include <thread>

#include "platform/core/MainThread.h"
#include "platform/core/Timers.h"
#include "platform/ui/Clipboard.h"

using LoopTest = UiTest;

TEST_F(LoopTest, WorkerCallsWakeTheLoopAndRunInTheMainThread)
{
    backend.SetIdleGraceMs(10000); // an upper bound only: the call wakes the loop
    std::thread::id ranOn;
    std::thread worker([&] {
        RunInMainThread([&] {
            ranOn = std::this_thread::get_id();
            Application()->Terminate();
        });
    });
    Application()->Run();
    worker.join();
    EXPECT_EQ(ranOn, std::this_thread::get_id());
}

TEST_F(LoopTest, PendingMessagesAreProcessedThroughTheCoreHook)
{
    auto form = MakeForm();
    int32_t posted = 0;
    TWndMethod previous = form->WindowProc;
    form->WindowProc = [&](TMessage& m) {
        if (m.Msg == WM_USER + 1)
            ++posted;
        previous(m);
    };
    PostMessage(form->Handle(), WM_USER + 1);
    EXPECT_TRUE(ProcessPendingMessage());
    EXPECT_EQ(posted, 1);
    EXPECT_FALSE(ProcessPendingMessage());
    form->WindowProc = previous;
}

TEST_F(LoopTest, ExceptionsInHandlersReachOnExceptionAndTheLoopGoesOn)
{
    auto form = MakeForm();
    form->OnClick = [](TObject*) { throw EConvertError("bad number"); };
    std::vector<std::string> reported;
    Application()->OnException = [&](TObject*, const std::exception& e) { reported.push_back(e.what()); };
    form->Show();
    backend.Click({110, 110});
    backend.Click({400, 400}); // the loop keeps running
    Pump();
    Application()->OnException = nullptr;
    EXPECT_EQ(reported, std::vector<std::string>{"bad number"});
}

TEST_F(LoopTest, ReleaseFreesTheFormAfterItsPendingMessages)
{
    auto* form = new TForm(nullptr);
    bool destroyed = false;
    form->OnDestroy = [&](TObject*) { destroyed = true; };
    form->Release();
    EXPECT_FALSE(destroyed);
    Pump();
    EXPECT_TRUE(destroyed);
}

TEST_F(LoopTest, ClipboardTextGoesThroughTheDesktop)
{
    Clipboard()->SetAsText("copied");
    EXPECT_EQ(backend.ClipboardText(), "copied");
    EXPECT_EQ(Clipboard()->AsText(), "copied");
}

TEST_F(LoopTest, TheCoreTimerServiceRunsOnTheSameLoopAndClock)
{
    int32_t calls = 0;
    TTimerID id = Timers().AddTimer(300, [&] {
        if (++calls == 2)
            Application()->Terminate();
    });
    int64_t start = TWindowSystem::TickCount();
    Application()->Run();
    Timers().RemoveTimer(id);
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(TWindowSystem::TickCount() - start, 600);
}

TEST_F(LoopTest, ShowHintFollowsTheParentUntilSetOnTheControl)
{
    auto form = MakeForm();
    auto* child = new TRecordingControl(form.get());
    child->SetParent(form.get());
    form->SetShowHint(true);
    EXPECT_TRUE(child->ShowHint());
    child->SetShowHint(false);
    form->SetShowHint(false);
    form->SetShowHint(true);
    EXPECT_FALSE(child->ShowHint());
    EXPECT_FALSE(child->ParentShowHint());
}
