#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "engine/FFLog.h"
#include "engine/binding/FFLoad.h"

namespace {

class LockManagerTest : public testing::Test {
protected:
    void SetUp() override
    {
        Logger()->SetTriggerEventInMainThread(false);
        Logger()->SetLogLevel(llDebug);
        Logger()->SetOnLog([this](TObject*, int32_t, TLogLevel level, const std::string& msg) {
            logged_.push_back((level == llError ? "E " : "D ") + msg);
        });
    }
    void TearDown() override { Logger()->SetOnLog(nullptr); }

    std::vector<std::string> logged_;
};

TEST_F(LockManagerTest, RunsAMutexThroughItsLife)
{
    void* slot = nullptr;
    ASSERT_EQ(LockManagerProc(&slot, 0), 0);
    ASSERT_NE(slot, nullptr);
    EXPECT_EQ(LockManagerProc(&slot, 1), 0);
    EXPECT_EQ(LockManagerProc(&slot, 2), 0);
    EXPECT_EQ(LockManagerProc(&slot, 3), 0);
    EXPECT_EQ(slot, nullptr);

    ASSERT_EQ(logged_.size(), 4u);
    std::smatch created;
    ASSERT_TRUE(std::regex_match(logged_[0], created, std::regex(R"(D \[lock manager\] mutex \[(-?\d+)\] created\.)")));
    const std::string id = created[1];
    EXPECT_EQ(logged_[1], "D [lock manager] mutex [" + id + "] obtained.");
    EXPECT_EQ(logged_[2], "D [lock manager] mutex [" + id + "] release.");
    EXPECT_EQ(logged_[3], "D [lock manager] mutex [" + id + "] destroyed.");
}

TEST_F(LockManagerTest, RefusesWrongUse)
{
    void* slot = nullptr;
    ASSERT_EQ(LockManagerProc(&slot, 0), 0);
    void* const record = slot;
    EXPECT_EQ(LockManagerProc(&slot, 0), -1); // the existing mutex stays
    EXPECT_EQ(slot, record);
    EXPECT_EQ(LockManagerProc(&slot, 7), -1);

    int releaseResult = 0;
    std::thread other([&] { releaseResult = LockManagerProc(&slot, 2); });
    other.join();
    EXPECT_EQ(releaseResult, -1); // only the holder may release

    EXPECT_EQ(LockManagerProc(&slot, 3), 0);
    void* empty = nullptr;
    EXPECT_EQ(LockManagerProc(&empty, 1), -1);
    EXPECT_EQ(LockManagerProc(&empty, 3), -1);

    ASSERT_EQ(logged_.size(), 7u);
    EXPECT_NE(logged_[1].find("E [lock manager] error, mutex ["), std::string::npos);
    EXPECT_NE(logged_[1].find("] already exist."), std::string::npos);
    EXPECT_EQ(logged_[2], "E [lock manager] error, invalid mutex operation 7.");
    EXPECT_NE(logged_[3].find("E [lock manager] error, could not release mutex ["), std::string::npos);
    EXPECT_EQ(logged_[5], "E [lock manager] error, mutex not available.");
    EXPECT_EQ(logged_[6], "E [lock manager] error, mutex not available.");
}

TEST(Mutex, WaitsWithATimeOutWhileAnotherThreadHoldsIt)
{
    TMutex mutex;
    mutex.Acquire();
    EXPECT_EQ(mutex.WaitFor(0), wrSignaled); // its owner enters again
    mutex.Release();
    TWaitResult otherResult = wrError;
    std::thread other([&] { otherResult = mutex.WaitFor(1); });
    other.join();
    EXPECT_EQ(otherResult, wrTimeout);
    mutex.Release();

    std::thread holder([&] { mutex.Acquire(); }); // ends without releasing
    holder.join();
    EXPECT_EQ(mutex.WaitFor(INFINITE), wrAbandoned);
    mutex.Release();
}

} // namespace
