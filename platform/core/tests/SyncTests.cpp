#include "platform/core/DynamicLibrary.h"
#include "platform/core/Sync.h"

#include <gtest/gtest.h>

#include <thread>

TEST(Event, ManualResetStaysSignalledUntilReset)
{
    TEvent event(true, true);
    EXPECT_EQ(event.WaitFor(0), wrSignaled);
    EXPECT_EQ(event.WaitFor(0), wrSignaled);
    event.ResetEvent();
    EXPECT_EQ(event.WaitFor(0), wrTimeout);
}

TEST(Event, AutoResetReleasesOneWait)
{
    TEvent event(false, false);
    EXPECT_EQ(event.WaitFor(1), wrTimeout);
    event.SetEvent();
    EXPECT_EQ(event.WaitFor(0), wrSignaled);
    EXPECT_EQ(event.WaitFor(0), wrTimeout);
}

TEST(Event, WakesAWaiterInAnotherThread)
{
    TSimpleEvent go;
    TSimpleEvent done;
    std::thread waiter([&] {
        if (go.WaitFor(INFINITE) == wrSignaled)
            done.SetEvent();
    });
    go.SetEvent();
    EXPECT_EQ(done.WaitFor(INFINITE), wrSignaled);
    waiter.join();
}

TEST(CriticalSection, IsRecursiveAndExcludesOtherThreads)
{
    TCriticalSection section;
    TCriticalSectionGuard outer(section);
    {
        TCriticalSectionGuard inner(section);
        bool otherGotIt = true;
        std::thread([&] { otherGotIt = section.TryEnter(); }).join();
        EXPECT_FALSE(otherGotIt);
    }
    bool otherGotIt = true;
    std::thread([&] { otherGotIt = section.TryEnter(); }).join();
    EXPECT_FALSE(otherGotIt); // still held once by the outer guard
}

TEST(DynamicLibrary, LoadsBySonameAndReportsFailures)
{
    TLibraryHandle library = LoadDynamicLibrary("libm.so.6");
    ASSERT_NE(library, nullptr);
    auto cosine = reinterpret_cast<double (*)(double)>(GetLibrarySymbol(library, "cos"));
    ASSERT_NE(cosine, nullptr);
    EXPECT_DOUBLE_EQ(cosine(0.0), 1.0);
    EXPECT_EQ(GetLibrarySymbol(library, "no_such_symbol_here"), nullptr);
    EXPECT_NE(DynamicLibraryError().find("no_such_symbol_here"), std::string::npos);
    EXPECT_TRUE(FreeDynamicLibrary(library));
    EXPECT_EQ(LoadDynamicLibrary("/nonexistent/libnothing.so"), nullptr);
    EXPECT_NE(DynamicLibraryError().find("libnothing"), std::string::npos);
}
