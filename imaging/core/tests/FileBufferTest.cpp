#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <vector>

#include "QkTestFolder.h"
#include "imaging/core/QkFileBuffer.h"
#include "imaging/core/QkSettings.h"

namespace {

// Points the library's temporary folder at a test folder.
class FileBufferTest : public ::testing::TestWithParam<bool> {
protected:
    FileBufferTest() { TemporaryDirectory = folder.Path(); }
    ~FileBufferTest() override { TemporaryDirectory.clear(); }

    TestFolder folder;
};

TEST_P(FileBufferTest, WriteOnlyViewsAreNotReadButWrittenBack)
{
    TQkFileBuffer buffer;
    ASSERT_TRUE(buffer.Open("IMG", GetParam(), 64));
    EXPECT_TRUE(buffer.IsOpen());
    EXPECT_EQ(buffer.FileName().rfind(folder.Path(), 0), 0u);

    uint8_t* written = buffer.MapView(fbRead | fbWrite, 8, 16);
    std::memcpy(written, "abcdefgh", 8);
    buffer.UnmapView(written);

    uint8_t* writeOnly = buffer.MapView(fbWrite, 8, 16);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(writeOnly), 8), std::string(8, '\0'));
    std::memcpy(writeOnly, "ABCD", 4);
    buffer.UnmapView(writeOnly);

    uint8_t* readOnly = buffer.MapView(fbRead, 8, 16);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(readOnly), 8), std::string("ABCD\0\0\0\0", 8));
    readOnly[0] = 'Z';
    buffer.UnmapAll();
    EXPECT_EQ(buffer.MapView(fbRead, 1, 16)[0], 'A');
}

TEST_P(FileBufferTest, CopyToCopiesARangeAndCloseRemovesTheFile)
{
    TQkFileBuffer source;
    TQkFileBuffer destination;
    ASSERT_TRUE(source.Open("IMG", GetParam(), 32));
    ASSERT_TRUE(destination.Open("IMG", GetParam(), 32));
    std::memcpy(source.MapView(fbWrite, 6, 10), "copied", 6);
    uint8_t* pending = destination.MapView(fbWrite, 2, 0);
    std::memcpy(pending, "XY", 2);
    source.CopyTo(destination, 6, 10);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(destination.MapView(fbRead, 6, 10)), 6), "copied");
    EXPECT_EQ(std::string(reinterpret_cast<char*>(destination.MapView(fbRead, 2, 0)), 2), "XY");

    const std::string name = source.FileName();
    EXPECT_TRUE(std::filesystem::exists(name));
    source.Close();
    EXPECT_FALSE(source.IsOpen());
    EXPECT_FALSE(std::filesystem::exists(name));
}

TEST_P(FileBufferTest, WriteRowsLaysScatteredRowsOutInOrder)
{
    // More rows than one vectored write takes, each in its own allocation.
    constexpr int32_t rowCount = 2500;
    std::vector<std::vector<uint8_t>> rows;
    std::vector<const uint8_t*> starts;
    for (int32_t y = 0; y < rowCount; ++y)
        rows.push_back({uint8_t(y), uint8_t(y >> 8), uint8_t(y * 7)});
    for (const auto& row : rows)
        starts.push_back(row.data());

    TQkFileBuffer buffer;
    EXPECT_FALSE(buffer.WriteRows(starts.data(), rowCount, 3, 0));
    ASSERT_TRUE(buffer.Open("IMG", GetParam(), 5 + 3 * rowCount));
    ASSERT_TRUE(buffer.WriteRows(starts.data(), rowCount, 3, 5));
    const uint8_t* stored = buffer.MapView(fbRead, 3 * rowCount, 5);
    for (int32_t y = 0; y < rowCount; ++y)
        ASSERT_EQ(std::memcmp(stored + 3 * y, rows[y].data(), 3), 0) << y;
    buffer.UnmapView(stored);
    EXPECT_FALSE(buffer.WriteRows(starts.data(), 1, 3, -1));
}

// Rows inside the opened size go through the file's mapping, rows past it
// through write calls; both meet the views' reads and writes in one file.
TEST_P(FileBufferTest, RowsWrittenInAndPastTheOpenedSizeMeetTheViews)
{
    const uint8_t first[4] = {1, 2, 3, 4};
    const uint8_t second[4] = {5, 6, 7, 8};
    const uint8_t* rows[2] = {first, second};
    TQkFileBuffer buffer;
    ASSERT_TRUE(buffer.Open("IMG", GetParam(), 8));
    ASSERT_TRUE(buffer.WriteRows(rows, 2, 4, 0));
    uint8_t* view = buffer.MapView(fbRead | fbWrite, 8, 0);
    EXPECT_EQ(std::vector<uint8_t>(view, view + 8), std::vector<uint8_t>({1, 2, 3, 4, 5, 6, 7, 8}));
    view[0] = 9;
    buffer.UnmapView(view);
    ASSERT_TRUE(buffer.WriteRows(rows, 2, 4, 6));
    ASSERT_TRUE(buffer.WriteRows(rows + 1, 1, 2, 1));
    const uint8_t* stored = buffer.MapView(fbRead, 14, 0);
    EXPECT_EQ(std::vector<uint8_t>(stored, stored + 14),
              std::vector<uint8_t>({9, 5, 6, 4, 5, 6, 1, 2, 3, 4, 5, 6, 7, 8}));
    buffer.UnmapView(stored);
    EXPECT_FALSE(buffer.WriteRows(rows, 2, INT64_MAX / 2, 4)) << "a range past the largest offset";
}

INSTANTIATE_TEST_SUITE_P(OnDiskAndInMemory, FileBufferTest, ::testing::Bool());

TEST(FileBuffer, OpenInAMissingFolderFailsAndLeavesNoStore)
{
    TestFolder folder;
    TemporaryDirectory = folder.File("missing");
    TQkFileBuffer buffer;
    EXPECT_FALSE(buffer.Open("IMG", true, 16));
    EXPECT_FALSE(buffer.IsOpen());
    TemporaryDirectory.clear();
}

TEST(FileBuffer, UnknownMemoryIsIgnored)
{
    TQkFileBuffer buffer;
    uint8_t unrelated = 0;
    buffer.UnmapView(&unrelated);
    EXPECT_EQ(buffer.MapView(fbRead, 4, 0)[3], 0);
}

} // namespace
