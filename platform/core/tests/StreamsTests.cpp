#include "platform/core/Exceptions.h"
#include "platform/core/Files.h"
#include "platform/core/Streams.h"

#include <gtest/gtest.h>

namespace {

std::string TestFile(const std::string& name)
{
    ForceDirectories(std::string(TEST_BINARY_DIR) + "/streams-test");
    return std::string(TEST_BINARY_DIR) + "/streams-test/" + name;
}

template <class E>
std::string MessageOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const E& e) {
        return e.Message();
    }
    return "(nothing raised)";
}

} // namespace

TEST(Streams, ShortTransfersRaiseTheClassLibraryErrors)
{
    TMemoryStream stream;
    stream.WriteBuffer("abc", 3);
    stream.SetPosition(1);
    char buffer[8] = {};
    EXPECT_EQ(MessageOf<EReadError>([&] { stream.ReadBuffer(buffer, 3); }), "Stream read error");

    const std::string name = TestFile("readonly.bin");
    TFileStream(name, fmCreate).WriteBuffer("xyz", 3);
    TFileStream readOnly(name, fmOpenRead | fmShareDenyNone);
    EXPECT_EQ(MessageOf<EWriteError>([&] { readOnly.WriteBuffer("q", 1); }), "Stream write error");
    readOnly.ReadBuffer(buffer, 3);
    EXPECT_EQ(std::string(buffer, 3), "xyz");
}

// Growing appends in place of zero-filling first; a write across the end
// overwrites and appends, and large buffers keep every byte.
TEST(Streams, MemoryStreamWritesAcrossTheEndAndGrowsLarge)
{
    TMemoryStream stream;
    stream.WriteBuffer("abcd", 4);
    stream.SetPosition(2);
    stream.WriteBuffer("XYZ", 3);
    EXPECT_EQ(std::string(static_cast<const char*>(stream.Memory()), size_t(stream.Size())), "abXYZ");
    EXPECT_EQ(stream.Position(), 5);

    std::string block(1 << 20, '\0');
    for (size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<char>(i * 7);
    TMemoryStream large;
    large.Reserve(3 << 20);
    for (int i = 0; i < 20; ++i)
        large.WriteBuffer(block.data(), int64_t(block.size()));
    ASSERT_EQ(large.Size(), int64_t(20) << 20);
    const char* bytes = static_cast<const char*>(large.Memory());
    EXPECT_EQ(std::string(bytes + (19 << 20), block.size()), block);
    EXPECT_EQ(std::string(bytes + (3 << 20), block.size()), block);
}

TEST(Streams, MemoryStreamSeeksBeyondTheEndAndFillsTheGap)
{
    TMemoryStream stream;
    EXPECT_EQ(stream.Seek(4, soFromBeginning), 4);
    stream.WriteBuffer("z", 1);
    EXPECT_EQ(stream.Size(), 5);
    EXPECT_EQ(std::string(static_cast<const char*>(stream.Memory()), 5), std::string("\0\0\0\0z", 5));
    EXPECT_EQ(stream.Seek(-2, soFromEnd), 3);
    EXPECT_EQ(stream.Seek(1, soFromCurrent), 4);
    stream.SetSize(2);
    EXPECT_EQ(stream.Position(), 2);
    char c;
    EXPECT_EQ(stream.Read(&c, 1), 0);
    stream.SetPosition(-1);
    EXPECT_EQ(stream.Read(&c, 1), 0);
    EXPECT_EQ(stream.Write(&c, 1), 0);
    stream.SetPosition(INT64_MAX - 1);
    EXPECT_THROW(stream.WriteBuffer("ab", 2), EWriteError); // cannot grow that far
    EXPECT_EQ(stream.Size(), 2);
}

TEST(Streams, FileStreamRoundTripAndSizeChanges)
{
    const std::string name = TestFile("roundtrip.bin");
    {
        TFileStream out(name, fmCreate | fmShareExclusive);
        out.WriteBuffer("0123456789", 10);
        out.SetSize(4);
        EXPECT_EQ(out.Position(), 4);
        EXPECT_EQ(out.Size(), 4);
    }
    TStringStream copy;
    TFileStream in(name, fmOpenRead);
    in.Seek(2, soFromBeginning);
    EXPECT_EQ(copy.CopyFrom(in, 0), 4); // 0 copies everything from the start
    EXPECT_EQ(copy.DataString(), "0123");
    in.SetPosition(3);
    EXPECT_THROW(copy.CopyFrom(in, 2), EReadError);
}

TEST(Streams, OpenFailuresNameTheFileAndTheReason)
{
    const std::string missing = TestFile("missing/none.bin");
    EXPECT_EQ(MessageOf<EFOpenError>([&] { TFileStream(missing, fmOpenRead); }),
              "Cannot open file \"" + missing + "\". No such file or directory");
    EXPECT_EQ(MessageOf<EFCreateError>([&] { TFileStream(missing, fmCreate); }),
              "Cannot create file \"" + missing + "\". No such file or directory");
    EXPECT_THROW(TFileStream(TEST_BINARY_DIR, fmOpenRead), EFOpenError);
}

TEST(Streams, MemoryStreamFiles)
{
    const std::string name = TestFile("memory.bin");
    TStringStream source(std::string("a\0b", 3));
    source.SaveToFile(name);
    TMemoryStream loaded;
    loaded.LoadFromFile(name);
    EXPECT_EQ(loaded.Size(), 3);
    EXPECT_EQ(loaded.Position(), 0);
    EXPECT_EQ(static_cast<const char*>(loaded.Memory())[2], 'b');
    loaded.Clear();
    EXPECT_EQ(loaded.Size(), 0);
    EXPECT_THROW(loaded.LoadFromFile(name + ".none"), EFOpenError);
}
