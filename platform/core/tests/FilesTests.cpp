#include "platform/core/Exceptions.h"
#include "platform/core/Files.h"

#include <gtest/gtest.h>

#include <fstream>

TEST(Paths, ExtractionWorksOnTextAlone)
{
    const struct {
        const char* name;
        const char* path;
        const char* dir;
        const char* file;
        const char* ext;
    } cases[] = {
        {"/a/b.c/file.tar.gz", "/a/b.c/", "/a/b.c", "file.tar.gz", ".gz"},
        {"/a/b.c/noext", "/a/b.c/", "/a/b.c", "noext", ""},
        {"file", "", "", "file", ""},
        {"/root.txt", "/", "/", "root.txt", ".txt"},
        {"dir/", "dir/", "dir", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ExtractFilePath(c.name), c.path) << c.name;
        EXPECT_EQ(ExtractFileDir(c.name), c.dir) << c.name;
        EXPECT_EQ(ExtractFileName(c.name), c.file) << c.name;
        EXPECT_EQ(ExtractFileExt(c.name), c.ext) << c.name;
    }
    EXPECT_EQ(ChangeFileExt("/x.y/movie.avi", ".mp4"), "/x.y/movie.mp4");
    EXPECT_EQ(ChangeFileExt("/x.y/movie", ".mp4"), "/x.y/movie.mp4");
    EXPECT_EQ(IncludeTrailingPathDelimiter("/a"), "/a/");
    EXPECT_EQ(IncludeTrailingPathDelimiter("/a/"), "/a/");
    EXPECT_EQ(ExcludeTrailingPathDelimiter("/a/"), "/a");
    EXPECT_EQ(ExcludeTrailingPathDelimiter("/"), "/");
}

TEST(Paths, ExpandFileNameResolvesDotsAgainstTheCurrentFolder)
{
    EXPECT_EQ(ExpandFileName("/a/./b/../c"), "/a/c");
    EXPECT_EQ(ExpandFileName("/../.."), "/");
    EXPECT_EQ(ExpandFileName("/a/b/"), "/a/b/");
    EXPECT_EQ(ExpandFileName("x/y"), IncludeTrailingPathDelimiter(GetCurrentDir()) + "x/y");
}

TEST(Files, ExistenceSizeAndDeletion)
{
    const std::string folder = IncludeTrailingPathDelimiter(TEST_BINARY_DIR) + "files-test/";
    ASSERT_TRUE(ForceDirectories(folder + "deep/er"));
    const std::string name = CreateTempFile("size", folder);
    EXPECT_EQ(ExtractFilePath(name), folder);
    std::ofstream(name) << "12345";
    EXPECT_TRUE(FileExists(name));
    EXPECT_EQ(FileSizeOf(name), 5);
    EXPECT_FALSE(FileExists(folder));
    EXPECT_TRUE(DirectoryExists(folder + "deep/er"));
    EXPECT_EQ(FileSizeOf(folder), -1);
    EXPECT_FALSE(DeleteFile(folder + "deep"));
    EXPECT_TRUE(DeleteFile(name));
    EXPECT_FALSE(FileExists(name));
    EXPECT_EQ(FileSizeOf(name), -1);
    EXPECT_THROW(CreateTempFile("x", folder + "missing/"), EFCreateError);
}

TEST(Files, ExecutableAndEnvironment)
{
    EXPECT_EQ(ExtractFileName(ExecutableFileName()), "platform_core_tests");
    EXPECT_EQ(ExecutableFolder(), ExtractFilePath(ExecutableFileName()));
    EXPECT_EQ(GetEnvironmentVariable("PLATFORM_CORE_SURELY_UNSET"), "");
    EXPECT_FALSE(GetEnvironmentVariable("PATH").empty());
}
