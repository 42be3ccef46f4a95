#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

using TReport = std::map<std::string, std::vector<std::string>>;

// Runs the loader probe in a process of its own and collects its
// "key: value" lines.
TReport RunProbe(const std::string& arguments)
{
    TReport report;
    FILE* output = ::popen((std::string(LOADER_PROBE) + " " + arguments).c_str(), "r");
    if (!output)
        return report;
    char line[4096];
    while (std::fgets(line, sizeof line, output)) {
        std::string text(line);
        if (!text.empty() && text.back() == '\n')
            text.pop_back();
        const size_t colon = text.find(": ");
        if (colon != std::string::npos)
            report[text.substr(0, colon)].push_back(text.substr(colon + 2));
    }
    ::pclose(output);
    return report;
}

std::string Value(const TReport& report, const std::string& key)
{
    const auto found = report.find(key);
    return found == report.end() || found->second.empty() ? "<none>" : found->second.front();
}

const char* const SystemLibraryFolder = "/usr/lib/x86_64-linux-gnu/";

// A library folder holding copies of the named system libraries.
std::string MakeLibraryFolder(const std::string& name, const std::vector<std::string>& files)
{
    const fs::path folder = fs::path(TEST_BINARY_DIR) / name / "LibAV";
    fs::remove_all(folder);
    fs::create_directories(folder);
    for (const std::string& file : files)
        fs::copy_file(fs::canonical(SystemLibraryFolder + file), folder / file);
    return folder.string();
}

TEST(Loader, LoadsEverythingFromTheSystem)
{
    const TReport report = RunProbe("system");
    EXPECT_EQ(Value(report, "loaded"), "true") << Value(report, "error");
    EXPECT_EQ(Value(report, "check"), "ok");
    EXPECT_EQ(Value(report, "entry bound"), "true");
    EXPECT_EQ(Value(report, "optional bound"), "false");
    EXPECT_EQ(Value(report, "avutil count"), "1");
    EXPECT_EQ(Value(report, "after unload"), "Library avcodec not loaded.");
}

TEST(Loader, MapsOnlyTheBundledCopies)
{
    const std::string folder =
        MakeLibraryFolder("bundle-full",
                          {"libavutil.so.57", "libswresample.so.4", "libswscale.so.6", "libavcodec.so.59",
                           "libavformat.so.59", "libpostproc.so.56", "libavfilter.so.8", "libavdevice.so.59"});
    const TReport report = RunProbe("folder " + folder);
    EXPECT_EQ(Value(report, "loaded"), "true") << Value(report, "error");
    EXPECT_EQ(Value(report, "avutil count"), "1");
    EXPECT_EQ(Value(report, "avutil"), folder + "/libavutil.so.57");
    EXPECT_EQ(Value(report, "avfilter"), folder + "/libavfilter.so.8");
}

TEST(Loader, ALibraryLoadedAloneTakesItsBundledDependencies)
{
    const std::string folder =
        MakeLibraryFolder("bundle-codec", {"libavutil.so.57", "libswresample.so.4", "libavcodec.so.59"});
    const TReport report = RunProbe("codec-only " + folder);
    EXPECT_EQ(Value(report, "loaded"), "true") << Value(report, "error");
    EXPECT_EQ(Value(report, "avutil count"), "1");
    EXPECT_EQ(Value(report, "avutil"), folder + "/libavutil.so.57");
    EXPECT_EQ(Value(report, "swresample"), folder + "/libswresample.so.4");
}

TEST(Loader, TakesWhatTheFolderLacksFromTheSystem)
{
    const std::string folder = MakeLibraryFolder("bundle-partial", {"libavutil.so.57"});
    const TReport report = RunProbe("folder " + folder);
    EXPECT_EQ(Value(report, "loaded"), "true") << Value(report, "error");
    EXPECT_EQ(Value(report, "avutil count"), "1");
    EXPECT_EQ(Value(report, "avutil"), folder + "/libavutil.so.57");
    EXPECT_EQ(Value(report, "avfilter"), std::string(SystemLibraryFolder) + "libavfilter.so.8.44.100");
}

TEST(Loader, AMissingEntryPointUnloadsTheWholeSet)
{
    const std::string fake = FAKE_AVFILTER;
    const TReport report = RunProbe("override 2 " + fake);
    EXPECT_EQ(Value(report, "loaded"), "false");
    EXPECT_EQ(Value(report, "error"),
              "Load function avfilter_graph_alloc@" + fake + " error: " + fake +
                  ": undefined symbol: avfilter_graph_alloc");
    EXPECT_EQ(Value(report, "any loaded"), "false");
    EXPECT_EQ(Value(report, "check"), "Library avcodec not loaded.");
    EXPECT_EQ(Value(report, "entry bound"), "false");
    EXPECT_EQ(Value(report, "avfilter count"), "0");
}

TEST(Loader, AMissingLibraryNamesTheFileAndTheReason)
{
    const TReport report = RunProbe("override 2 libnosuchfilter.so.8");
    EXPECT_EQ(Value(report, "loaded"), "false");
    EXPECT_EQ(Value(report, "error"),
              "Load library libnosuchfilter.so.8 error: libnosuchfilter.so.8: cannot "
              "open shared object file: No such file or directory");
    EXPECT_EQ(Value(report, "check"), "Library avcodec not loaded.");
}

} // namespace
