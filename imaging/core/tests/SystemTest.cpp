#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

#include "QkHeadlessUi.h"
#include "QkTestFolder.h"
#include "imaging/core/QkSettings.h"
#include "imaging/core/QkSystem.h"
#include "platform/ui/Application.h"

namespace {

// Also the child's side of the affinity test below: with the variable set,
// the count goes to the named file.
TEST(ProcessorCoreCount, IsCountedOnceAndCanBeInjected)
{
    ProcessorCoreCountCache = -1;
    const int32_t count = GetProcessorCoreCount();
    EXPECT_GE(count, 1);
    EXPECT_EQ(ProcessorCoreCountCache, count);
    if (const char* report = std::getenv("QK_CORE_COUNT_REPORT"))
        std::ofstream(report) << count;
    ProcessorCoreCountCache = 3;
    EXPECT_EQ(GetProcessorCoreCount(), 3);
    ProcessorCoreCountCache = -1;
}

TEST(ProcessorCoreCount, FollowsTheAffinityMask)
{
    TestFolder folder;
    const std::string report = folder.File("count.txt");
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    const std::string command = "QK_CORE_COUNT_REPORT='" + report + "' taskset -c 0 '" + self +
        "' --gtest_filter=ProcessorCoreCount.IsCountedOnceAndCanBeInjected > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    int32_t count = 0;
    std::ifstream(report) >> count;
    EXPECT_EQ(count, 1);
}

} // namespace

namespace {

using SystemQueries = HeadlessUiTest;

TEST_F(SystemQueries, LocalSessionClipboardAndPrimaryButton)
{
    EXPECT_FALSE(IsRemoteSession());
    EXPECT_NE(OpenClipboardRetry(), nullptr);
    EXPECT_TRUE(IsMMXAvailable());
    EXPECT_FALSE(IsLeftButtonDown());
    backend.MouseDown(TPoint{5, 5});
    Application()->ProcessMessages();
    EXPECT_TRUE(IsLeftButtonDown());
    backend.MouseUp(TPoint{5, 5});
    Application()->ProcessMessages();
    EXPECT_FALSE(IsLeftButtonDown());
}

} // namespace
