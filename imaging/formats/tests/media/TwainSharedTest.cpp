#include <gtest/gtest.h>

#include <dlfcn.h>
#include <filesystem>
#include <sstream>
#include <unistd.h>

#include "imaging/core/QkSettings.h"
#include "imaging/formats/media/QkTwainShared.h"
#include "imaging/formats/tests/OracleTestSupport.h"

namespace {

bool ModuleLoaded()
{
    void* handle = dlopen(SOURCE_MANAGER_MODULE, RTLD_LAZY | RTLD_NOLOAD);
    if (handle != nullptr)
        dlclose(handle);
    return handle != nullptr;
}

// The log's lines without their date and time.
std::vector<std::string> LogMessages(const std::string& path)
{
    std::vector<std::string> messages;
    std::istringstream log(FileContent(path));
    for (std::string line; std::getline(log, line);)
        messages.push_back(line.substr(line.find(" : ") + 3));
    return messages;
}

class TwainShared : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::remove(log);
        DebugLogFileName = log;
        shared.SourceManager = LoadDynamicLibrary(SOURCE_MANAGER_MODULE);
        ASSERT_NE(shared.SourceManager, nullptr) << DynamicLibraryError();
        shared.SourceManagerEntry = GetLibrarySymbol(shared.SourceManager, "DSM_Entry");
    }
    void TearDown() override
    {
        if (shared.SourceManager != nullptr)
            FreeDynamicLibrary(shared.SourceManager);
        DebugLogFileName.clear();
        std::filesystem::remove(log);
    }

    const std::string log = std::string(TEST_BINARY_DIR) + "/twain-" + std::to_string(getpid()) + ".log";
    TQkTwainShared shared;
};

} // namespace

TEST_F(TwainShared, ReleaseUnloadsTheSourceManager)
{
    ReleaseTwainShared(shared);
    EXPECT_EQ(shared.SourceManager, nullptr);
    EXPECT_EQ(shared.SourceManagerEntry, nullptr);
    EXPECT_FALSE(ModuleLoaded());
    EXPECT_EQ(LogMessages(log),
              (std::vector<std::string>{"QKTW_UnloadSourceManager", "  QKTW_UnloadSourceManager : Unload OK"}));
}

TEST_F(TwainShared, UnforcedUnloadKeepsTheModuleForLaterUse)
{
    TQkTwainContext context{tsManagerLoaded, shared.SourceManager, shared.SourceManagerEntry, &shared};
    EXPECT_TRUE(UnloadSourceManager(context, false));
    EXPECT_EQ(context.SourceManager, nullptr);
    EXPECT_NE(shared.SourceManager, nullptr);
    EXPECT_TRUE(ModuleLoaded());
    EXPECT_EQ(LogMessages(log),
              (std::vector<std::string>{"QKTW_UnloadSourceManager",
                                        "  QKTW_UnloadSourceManager not Unloaded, for future uses"}));
}

TEST_F(TwainShared, NothingToReleaseOrNoLogTouchesNothing)
{
    TQkTwainShared empty;
    ReleaseTwainShared(empty);
    EXPECT_FALSE(std::filesystem::exists(log));
    DebugLogFileName.clear();
    ReleaseTwainShared(shared);
    EXPECT_FALSE(ModuleLoaded());
    EXPECT_FALSE(std::filesystem::exists(log));
}
