#include "platform/core/Clock.h"
#include "platform/core/Timers.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class TimersTest : public testing::Test {
protected:
    void SetUp() override { SetClock(&clock_); }
    void TearDown() override { SetClock(nullptr); }

    TTestClock clock_;
    TTimerService timers_;
    std::string log_;
};

} // namespace

TEST_F(TimersTest, FireWhenDueOncePerServiceInDueOrder)
{
    timers_.AddTimer(50, [&] { log_ += "B"; });
    timers_.AddTimer(30, [&] { log_ += "A"; });
    EXPECT_EQ(timers_.NextDueTime(), 30000);
    clock_.AdvanceMs(29);
    EXPECT_EQ(timers_.ServiceDueTimers(), 0);
    clock_.AdvanceMs(1);
    EXPECT_EQ(timers_.ServiceDueTimers(), 1);
    EXPECT_EQ(timers_.NextDueTime(), 50000);
    clock_.AdvanceMs(200); // several intervals pass: each timer fires once
    EXPECT_EQ(timers_.ServiceDueTimers(), 2);
    EXPECT_EQ(log_, "ABA"); // B was due at 50, A again at 60
    EXPECT_EQ(timers_.NextDueTime(), 230000 + 30000);
}

TEST_F(TimersTest, CallbacksMayRemoveAndAddTimers)
{
    TTimerID second = 0;
    const TTimerID first = timers_.AddTimer(10, [&] {
        log_ += "1";
        timers_.RemoveTimer(second);
        timers_.AddTimer(10, [&] { log_ += "3"; });
    });
    second = timers_.AddTimer(20, [&] { log_ += "2"; });
    clock_.AdvanceMs(20);
    timers_.ServiceDueTimers();
    EXPECT_EQ(log_, "1");
    EXPECT_FALSE(timers_.HasTimer(second));
    EXPECT_TRUE(timers_.RemoveTimer(first));
    EXPECT_FALSE(timers_.RemoveTimer(first));
    clock_.AdvanceMs(10);
    timers_.ServiceDueTimers();
    EXPECT_EQ(log_, "13");
}

TEST_F(TimersTest, ShortIntervalsAreRaisedAndRestartsCountFromNow)
{
    const TTimerID id = timers_.AddTimer(0, [&] { log_ += "t"; });
    EXPECT_EQ(timers_.NextDueTime(), TTimerService::MinimumIntervalMs * 1000);
    clock_.AdvanceMs(5);
    EXPECT_TRUE(timers_.SetInterval(id, 100));
    EXPECT_EQ(timers_.NextDueTime(), 105000);
    EXPECT_FALSE(timers_.SetInterval(id + 1, 100));
    EXPECT_TRUE(timers_.RemoveTimer(id));
    EXPECT_EQ(timers_.NextDueTime(), -1);
}

TEST(Clock, TestClockMovesTheTickCountAndTheCalendar)
{
    TTestClock clock(TSystemTime{2024, 2, 28, 23, 59, 59, 900});
    SetClock(&clock);
    clock.AdvanceMs(150);
    const TSystemTime t = GetLocalTime();
    EXPECT_EQ(t.Year, 2024);
    EXPECT_EQ(t.Month, 2);
    EXPECT_EQ(t.Day, 29);
    EXPECT_EQ(t.Hour, 0);
    EXPECT_EQ(t.Second, 0);
    EXPECT_EQ(t.Millisecond, 50);
    EXPECT_EQ(GetTickCount(), 150u);
    clock.AdvanceMs(4294967296LL); // the tick count wraps at 2^32 ms
    EXPECT_EQ(GetTickCount(), 150u);
    SetClock(nullptr);
    EXPECT_EQ(&Clock(), &Clock());
    EXPECT_NE(dynamic_cast<TSystemClock*>(&Clock()), nullptr);
}
