#include "app/StartFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

class StartFolderTest : public ::testing::Test {
protected:
    StartFolderTest()
    {
        fs::remove_all(root);
        fs::create_directories(home + "/Videos");
    }

    void WriteUserDirs(const std::string& text) { std::ofstream(userDirs) << text; }

    const std::string root = TEST_BINARY_DIR "/start-folder";
    const std::string home = root + "/home";
    const std::string userDirs = root + "/user-dirs.dirs";
};

TEST_F(StartFolderTest, VideosFolderFromTheUserDirsFile)
{
    WriteUserDirs("# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
                  "XDG_VIDEOS_DIR=\"$HOME/Videos\"\n");
    EXPECT_EQ(VideosFolderFrom(userDirs, home), home + "/Videos/");
    WriteUserDirs("XDG_VIDEOS_DIR=\"" + home + "/Videos/\"\n");
    EXPECT_EQ(VideosFolderFrom(userDirs, home), home + "/Videos/");
}

TEST_F(StartFolderTest, FallsBackToHomeThenRoot)
{
    WriteUserDirs("XDG_VIDEOS_DIR=\"$HOME/Films\"\n"); // not there
    EXPECT_EQ(VideosFolderFrom(userDirs, home), home + "/");
    EXPECT_EQ(VideosFolderFrom(root + "/no-such-file", home), home + "/");
    EXPECT_EQ(VideosFolderFrom(root + "/no-such-file", root + "/no-home"), "/");
    EXPECT_EQ(VideosFolderFrom(root + "/no-such-file", ""), "/");
}
