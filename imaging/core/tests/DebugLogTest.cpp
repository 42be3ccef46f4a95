#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <string>

#include "QkTestFolder.h"
#include "imaging/core/QkDebugLog.h"
#include "imaging/core/QkSettings.h"
#include "imaging/core/QkTextRoutines.h"

namespace {

std::string Contents(const std::string& name)
{
    std::ifstream file(name);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

TEST(DebugLog, CreatesTheFileAndAppendsLines)
{
    TestFolder folder;
    DebugLogFileName = folder.File("debug.log");
    AppendDebugLog("first");
    AppendDebugLog("second");
    DebugLogFileName.clear();
    AppendDebugLog("not written");
    const std::regex line(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d : first\n\d{4}-\d\d-\d\d \d\d:\d\d:\d\d : second\n)");
    EXPECT_TRUE(std::regex_match(Contents(folder.File("debug.log")), line)) << Contents(folder.File("debug.log"));
}

TEST(DebugLog, AFailingWriteIsIgnored)
{
    TestFolder folder;
    DebugLogFileName = folder.Path();
    EXPECT_NO_THROW(AppendDebugLog("into a folder"));
    DebugLogFileName = folder.File("missing/debug.log");
    EXPECT_NO_THROW(AppendDebugLog("into a missing folder"));
    DebugLogFileName.clear();
}

TEST(QkFileExists, FilesButNotFolders)
{
    TestFolder folder;
    std::ofstream(folder.File("present.txt")) << "x";
    for (const bool compatibility : {false, true}) {
        FileExistsCompatibility = compatibility;
        EXPECT_TRUE(QkFileExists(folder.File("present.txt")));
        EXPECT_FALSE(QkFileExists(folder.Path()));
        EXPECT_FALSE(QkFileExists(folder.File("absent.txt")));
    }
    FileExistsCompatibility = false;
}

} // namespace
