#include "platform/core/ChildProcess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <stdexcept>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

bool HangForever(std::span<uint8_t>)
{
    for (;;)
        pause();
}

} // namespace

TEST(ChildProcess, TheChildsOutputReachesTheParentAndNothingElseDoes)
{
    TSharedBuffer output(10000);
    ASSERT_TRUE(output.Valid());
    int touched = 0;
    const TChildResult result = RunInChildProcess(
        output,
        [&](std::span<uint8_t> bytes) {
            touched = 1;
            for (size_t i = 0; i < bytes.size(); ++i)
                bytes[i] = uint8_t(i * 7);
            return bytes.size() == 10000;
        },
        10s);
    EXPECT_TRUE(result.Succeeded()) << result.Describe();
    EXPECT_EQ(touched, 0);
    const std::span<uint8_t> bytes = output.Bytes();
    ASSERT_EQ(bytes.size(), 10000u);
    EXPECT_EQ(bytes[0], 0);
    EXPECT_EQ(bytes[9999], uint8_t(9999 * 7));
}

TEST(ChildProcess, AnEmptyOutputStillRunsTheWork)
{
    TSharedBuffer output(0);
    EXPECT_TRUE(output.Valid());
    EXPECT_TRUE(RunInChildProcess(
                    output, [](std::span<uint8_t> bytes) { return bytes.empty(); }, 10s)
                    .Succeeded());
}

TEST(ChildProcess, FailuresAndCrashesAreReportedWithTheirCause)
{
    struct TCase {
        const char* Name;
        std::function<bool(std::span<uint8_t>)> Work;
        TChildOutcome Outcome;
        int Code;
        const char* Text;
    };
    const TCase cases[] = {
        {"refuses", [](std::span<uint8_t>) { return false; }, TChildOutcome::Failed, 1, "failed with exit status 1"},
        {"throws", [](std::span<uint8_t>) -> bool { throw std::runtime_error("no"); }, TChildOutcome::Failed, 1,
         "failed with exit status 1"},
        {"segfaults", [](std::span<uint8_t>) { return raise(SIGSEGV) == 0; }, TChildOutcome::Crashed, SIGSEGV,
         "crashed with signal 11 (Segmentation fault)"},
        {"aborts", [](std::span<uint8_t>) -> bool { std::abort(); }, TChildOutcome::Crashed, SIGABRT,
         "crashed with signal 6 (Aborted)"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TSharedBuffer output(16);
        const TChildResult result = RunInChildProcess(output, c.Work, 10s);
        EXPECT_EQ(result.Outcome, c.Outcome);
        EXPECT_EQ(result.Code, c.Code);
        EXPECT_EQ(result.Describe(), c.Text);
    }
}

TEST(ChildProcess, AChildPastItsDeadlineIsKilled)
{
    TSharedBuffer output(16);
    const TChildResult result = RunInChildProcess(output, HangForever, 100ms);
    EXPECT_EQ(result.Outcome, TChildOutcome::TimedOut);
    EXPECT_EQ(result.Describe(), "took longer than 100 ms");
}

TEST(ChildProcess, CancellingStopsTheChild)
{
    TSharedBuffer output(16);
    const std::atomic<bool> cancel = true;
    const TChildResult result = RunInChildProcess(output, HangForever, 10min, &cancel);
    EXPECT_EQ(result.Outcome, TChildOutcome::Cancelled);
    EXPECT_EQ(result.Describe(), "was cancelled");
}
