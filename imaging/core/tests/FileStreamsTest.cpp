#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "QkTestFolder.h"
#include "imaging/core/QkFileStreams.h"
#include "imaging/core/QkRandom.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Files.h"

namespace {

std::string OpenErrorText(const std::string& fileName, uint16_t mode)
{
    try {
        TQkWideFileStream stream(fileName, mode);
    } catch (const EFOpenError& error) {
        return error.Message();
    }
    return "opened";
}

TEST(WideFileStream, CreatesWritesAndReopens)
{
    TestFolder folder;
    const std::string name = folder.File("data.bin");
    {
        TQkWideFileStream stream(name, fmCreate);
        stream.WriteBuffer("hello", 5);
    }
    TQkWideFileStream stream(name, fmOpenRead | fmShareDenyNone);
    char read[5];
    stream.ReadBuffer(read, 5);
    EXPECT_EQ(std::string(read, 5), "hello");
    EXPECT_EQ(stream.Size(), 5);
    EXPECT_EQ(stream.Write("x", 1), 0);
}

TEST(WideFileStream, BadModesAndMissingFilesGiveTheOpenError)
{
    TestFolder folder;
    const std::string name = folder.File("data.bin");
    {
        TQkWideFileStream create(name, fmCreate);
    }
    EXPECT_EQ(OpenErrorText(name, 3), "Cannot open file \"" + name + "\". Invalid argument");
    EXPECT_EQ(OpenErrorText(name, 0x50), "Cannot open file \"" + name + "\". Invalid argument");
    EXPECT_EQ(OpenErrorText(name, fmOpenReadWrite | fmShareDenyNone), "opened");
    EXPECT_EQ(OpenErrorText(folder.File("missing"), fmOpenRead),
              "Cannot open file \"" + folder.File("missing") + "\". No such file or directory");
    EXPECT_THROW(TQkWideFileStream(folder.Path(), fmOpenRead), EFOpenError);
    EXPECT_THROW(TQkWideFileStream(folder.File("no/such/folder"), fmCreate), EFCreateError);
}

TEST(TemporaryFileStream, HasNoNameAndLeavesNothingBehind)
{
    TestFolder folder;
    {
        TQkTemporaryFileStream stream(folder.File("IMG-1.tmp"));
        stream.WriteBuffer("abc", 3);
        stream.SetPosition(0);
        char read[3];
        stream.ReadBuffer(read, 3);
        EXPECT_EQ(std::string(read, 3), "abc");
        EXPECT_EQ(folder.EntryCount(), 0u);
        const std::string link = std::filesystem::read_symlink("/proc/self/fd/" + std::to_string(stream.Handle()));
        EXPECT_NE(link.find("(deleted)"), std::string::npos) << link;
        struct stat info {};
        ASSERT_EQ(fstat(stream.Handle(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0600u);
    }
    EXPECT_EQ(folder.EntryCount(), 0u);
}

TEST(TemporaryFileStream, AMissingFolderRaisesTheInputOutputError)
{
    TestFolder folder;
    const std::string name = folder.File("missing/IMG-1.tmp");
    try {
        TQkTemporaryFileStream stream(name);
        FAIL() << "created";
    } catch (const EInOutError& error) {
        EXPECT_EQ(error.Message(), "Unable to create " + name);
    }
}

TEST(MakeTempFileName, CreatesAPrivateFileWithTheDrawnName)
{
    TestFolder folder;
    const std::string name = MakeTempFileName("IMG", folder.Path());
    EXPECT_EQ(ExtractFileName(name).size(), std::string("IMG-12345678.tmp").size());
    EXPECT_EQ(ExtractFileName(name).substr(0, 4), "IMG-");
    struct stat info {};
    ASSERT_EQ(lstat(name.c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST(MakeTempFileName, NeverFollowsALinkPlantedAtTheDrawnName)
{
    TestFolder folder;
    SetRandSeed(1234);
    const std::string drawn = MakeTempFileName("IMG", folder.Path());
    std::filesystem::remove(drawn);
    const std::string victim = folder.File("victim");
    std::filesystem::create_symlink(victim, drawn);

    SetRandSeed(1234);
    const std::string name = MakeTempFileName("IMG", folder.Path());
    EXPECT_NE(name, drawn);
    EXPECT_FALSE(std::filesystem::exists(victim));
    EXPECT_TRUE(std::filesystem::is_symlink(drawn));
}

TEST(MakeTempFileName, AMissingFolderRaisesTheCreateError)
{
    TestFolder folder;
    EXPECT_THROW(MakeTempFileName("IMG", folder.File("missing")), EFCreateError);
}

} // namespace
