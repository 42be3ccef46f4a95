#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "engine/FFBaseComponent.h"
#include "engine/MyUtils.h"
#include "platform/core/Files.h"

namespace {

struct TSplitCase {
    const char* Text;
    std::vector<std::string> Arguments;
};

class SplitCommandLineTest : public testing::TestWithParam<TSplitCase> {};

TEST_P(SplitCommandLineTest, GivesTheArguments)
{
    EXPECT_EQ(SplitCommandLine(std::string(GetParam().Text)), GetParam().Arguments);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitCommandLineTest,
    testing::Values(TSplitCase{"-i \"my file.avi\" -y", {"-i", "my file.avi", "-y"}}, TSplitCase{"   \t ", {}},
                    TSplitCase{"  a\tb  ", {"a", "b"}}, TSplitCase{R"(a\\"b c")", {R"(a\b c)"}},
                    TSplitCase{R"(a\\\"b c)", {R"(a\"b)", "c"}}, TSplitCase{R"(a\\b)", {R"(a\\b)"}},
                    TSplitCase{R"("abc"")", {R"(abc")"}}, TSplitCase{R"("a""b c" d)", {"ab c", "d"}},
                    TSplitCase{R"("a b)", {"a b"}},
                    TSplitCase{"\xd0\xb2\xd0\xb8\xd0\xb4 \"\xc3\xa9 x\"", {"\xd0\xb2\xd0\xb8\xd0\xb4", "\xc3\xa9 x"}}));

TEST(SplitCommandLine, CountsThenFillsWithATerminatingEmptyEntry)
{
    const char* text = " -f  \"a b\" ";
    int32_t charCount = -1;
    int32_t argCount = -1;
    SplitCommandLine(text, nullptr, nullptr, charCount, argCount);
    EXPECT_EQ(charCount, 7); // "-f\0a b\0"
    EXPECT_EQ(argCount, 3);

    std::vector<char> buffer(static_cast<size_t>(charCount));
    std::vector<char*> argv(static_cast<size_t>(argCount));
    SplitCommandLine(text, argv.data(), buffer.data(), charCount, argCount);
    EXPECT_STREQ(argv[0], "-f");
    EXPECT_STREQ(argv[1], "a b");
    EXPECT_STREQ(argv[2], "");
    EXPECT_EQ(argCount, 3);

    SplitCommandLine("  ", nullptr, nullptr, charCount, argCount);
    EXPECT_EQ(argCount, 1);
    EXPECT_EQ(charCount, 0);
}

struct TSplitAtFirstCase {
    const char* Text;
    const char* Separator;
    bool Cut;
    const char* Head;
    const char* Rest;
};

class SplitAtFirstTest : public testing::TestWithParam<TSplitAtFirstCase> {};

TEST_P(SplitAtFirstTest, SplitsAtTheFirstSeparator)
{
    std::string text = GetParam().Text;
    std::string head = "old";
    SplitAtFirst(text, GetParam().Separator, GetParam().Cut, head);
    EXPECT_EQ(head, GetParam().Head);
    EXPECT_EQ(text, GetParam().Rest);
}

INSTANTIATE_TEST_SUITE_P(Cases, SplitAtFirstTest,
                         testing::Values(TSplitAtFirstCase{"a:b:c", ":", true, "a", "b:c"},
                                         TSplitAtFirstCase{"a:b:c", ":", false, "a", "a:b:c"},
                                         TSplitAtFirstCase{"abc", ":", true, "abc", ""},
                                         TSplitAtFirstCase{"abc", ":", false, "abc", "abc"},
                                         TSplitAtFirstCase{":x", ":", true, "", "x"},
                                         TSplitAtFirstCase{"a::b", "::", true, "a", "b"},
                                         TSplitAtFirstCase{"", ":", true, "", ""}));

TEST(PathFunctions, SlashIsTheOnlyDelimiter)
{
    EXPECT_EQ(ExtractFileNameWide("/media/C:clip.avi"), "C:clip.avi");
    EXPECT_EQ(ExtractFilePathWide("/media/C:clip.avi"), "/media/");
    EXPECT_EQ(ExtractFileNameWide("/media/"), "");
    EXPECT_EQ(IncludeTrailingBackslashWide("/media"), "/media/");
    EXPECT_EQ(IncludeTrailingBackslashWide("/media/"), "/media/");
    EXPECT_TRUE(IsPathDelimiterWide("a/b", 2));
    EXPECT_FALSE(IsPathDelimiterWide("a/b", 1));
    EXPECT_FALSE(IsPathDelimiterWide("a/b", 4));
    EXPECT_EQ(LastDelimiterWide(std::string("/.\0", 3), "/a.b/c.d"), 7);
    EXPECT_EQ(LastDelimiterWide(std::string("\0", 1), std::string("ab\0", 3)), 0);
    EXPECT_EQ(LastDelimiterWide("/", "abc"), 0);
    EXPECT_EQ(SeekFlagsToInt(0xF5), 5);
}

TEST(FileFunctions, DirectoriesAreNoFiles)
{
    const std::string folder = TEST_BINARY_DIR "/myutils-files/";
    ForceDirectories(folder + "sub");
    std::ofstream(folder + "clip.avi") << "12345";
    std::ofstream(folder + ".hidden.avi") << "1";

    EXPECT_EQ(FileSizeWide(folder + "clip.avi"), 5);
    EXPECT_EQ(FileSizeWide(folder + "sub"), -1);
    EXPECT_EQ(FileSizeWide(folder + "missing"), -1);
    EXPECT_TRUE(FileExistsWide(folder + "clip.avi"));
    EXPECT_FALSE(FileExistsWide(folder + "sub"));

    TSearchRecWide search;
    std::vector<std::string> found;
    for (int32_t result = FindFirstWide(folder + "*", faArchive, search); result == 0;
         result = FindMatchingFileWide(search))
        found.push_back(search.Name);
    FindCloseWide(search);
    EXPECT_EQ(found, std::vector<std::string>{"clip.avi"});

    ASSERT_EQ(FindFirstWide(folder + "*.avi", faArchive | faHidden, search), 0);
    FindCloseWide(search);
    EXPECT_NE(FindFirstWide(folder + "*.mkv", faAnyFile, search), 0);
}

TEST(MyUtils, ExeDirIsTheProgramsFolder)
{
    EXPECT_EQ(GetExeDirWide() + ExtractFileNameWide(ModuleFileNameWide()), ModuleFileNameWide());
    EXPECT_EQ(GetExeDirWide().back(), '/');
}

TEST(FFBaseComponent, TimeOutsAreOffOnlyUnderADebugger)
{
    TFFBaseComponent component(nullptr);
    EXPECT_EQ(component.Version(), "5.2");
    EXPECT_EQ(component.ReadTimeout, DebuggerAttached() ? 0 : 30000);
    EXPECT_EQ(component.WriteTimeout, component.ReadTimeout);
}

} // namespace
