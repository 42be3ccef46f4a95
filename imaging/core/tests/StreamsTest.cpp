#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "imaging/core/QkStreamRoutines.h"
#include "imaging/core/QkStreams.h"
#include "platform/core/Exceptions.h"

namespace {

// A memory stream that counts the reads reaching it.
class TCountingStream : public TMemoryStream {
public:
    int64_t Read(void* buffer, int64_t count) override
    {
        ++Reads;
        return TMemoryStream::Read(buffer, count);
    }
    int Reads = 0;
};

std::string Bytes(int count)
{
    std::string bytes;
    for (int i = 0; i < count; ++i)
        bytes.push_back(static_cast<char>(i * 7 + 1));
    return bytes;
}

void Fill(TMemoryStream& stream, const std::string& bytes)
{
    stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
}

TEST(NulStream, CountsWritesAndSeeksFromTheEnd)
{
    TNulStream stream;
    char unused[10] = {};
    EXPECT_EQ(stream.Write(unused, 10), 10);
    EXPECT_EQ(stream.Write(unused, 5), 5);
    EXPECT_EQ(stream.Position(), 15);
    EXPECT_EQ(stream.Size(), 15);
    EXPECT_EQ(stream.Seek(3, soEnd), 12);
    EXPECT_EQ(stream.Seek(-3, soEnd), 12);
    EXPECT_EQ(stream.Size(), 15);
    EXPECT_EQ(stream.Seek(20, soBeginning), 20);
    EXPECT_EQ(stream.Size(), 20);
}

TEST(MemStream, ReadsTheCallersBlockAndWritesNothing)
{
    const std::string block = "abcdef";
    TQkMemStream stream(block.data(), static_cast<int64_t>(block.size()));
    char read[8] = {};
    EXPECT_EQ(stream.Read(read, 8), 6);
    EXPECT_EQ(std::string(read, 6), block);
    EXPECT_EQ(stream.Write("x", 1), 0);
    stream.SetSize(2);
    EXPECT_EQ(stream.Size(), 6);
}

TEST(BufferedReadStream, RefillsOnlyWhenTheBufferIsUsedUp)
{
    TCountingStream source;
    Fill(source, Bytes(10));
    source.SetPosition(0);
    TQkBufferedReadStream stream(source, false, 4);
    EXPECT_EQ(source.Reads, 1);
    char read[11] = {};
    EXPECT_EQ(stream.Read(read, 10), 10);
    EXPECT_EQ(std::string(read, 10), Bytes(10));
    EXPECT_EQ(source.Reads, 3);
    EXPECT_FALSE(stream.EndOfStream());
    EXPECT_EQ(stream.Read(read, 1), 0);
    EXPECT_TRUE(stream.EndOfStream());
    stream.Seek(9, soBeginning);
    EXPECT_EQ(source.Reads, 3);
    EXPECT_EQ(stream.Read(read, 1), 1);
    EXPECT_EQ(read[0], Bytes(10)[9]);
    EXPECT_THROW(stream.Write(read, 1), EStreamError);
}

TEST(BufferedReadStream, RelativePositionsStartAtTheSourcePosition)
{
    TMemoryStream source;
    Fill(source, Bytes(200));
    source.SetPosition(100);
    TQkBufferedReadStream stream(source, true, 16);
    EXPECT_EQ(stream.Position(), 0);
    EXPECT_EQ(stream.Size(), 100);
    char byte = 0;
    stream.Seek(30, soBeginning);
    EXPECT_EQ(stream.Seek(-50, soCurrent), 0);
    EXPECT_EQ(stream.Read(&byte, 1), 1);
    EXPECT_EQ(byte, Bytes(200)[100]);
}

// Random reads and seeks agree with the same operations on a plain memory
// stream, for absolute and relative positions and random buffer sizes.
TEST(BufferedReadStream, BehavesLikeTheSourceUnderRandomReadsAndSeeks)
{
    std::mt19937 random(20260);
    for (int round = 0; round < 200; ++round) {
        const int size = std::uniform_int_distribution<int>(0, 300)(random);
        const int start = std::uniform_int_distribution<int>(0, size)(random);
        const bool relative = random() % 2 == 0;
        TMemoryStream source;
        Fill(source, Bytes(size));
        TMemoryStream reference;
        Fill(reference, Bytes(size));
        const int64_t base = relative ? start : 0;
        source.SetPosition(start);
        reference.SetPosition(start);
        TQkBufferedReadStream stream(source, relative, std::uniform_int_distribution<int>(1, 64)(random));
        for (int step = 0; step < 50; ++step) {
            if (random() % 3 == 0) {
                const int64_t target = std::uniform_int_distribution<int64_t>(-20, size + 20)(random);
                const int64_t landed = std::clamp<int64_t>(target, base, size);
                reference.SetPosition(landed);
                ASSERT_EQ(stream.Seek(target - base, soBeginning), landed - base);
                ASSERT_EQ(stream.EndOfStream(), landed >= size);
            } else {
                const int count = std::uniform_int_distribution<int>(0, 70)(random);
                std::vector<char> got(count + 1), expected(count + 1);
                const int64_t gotCount = stream.Read(got.data(), count);
                ASSERT_EQ(gotCount, reference.Read(expected.data(), count));
                ASSERT_EQ(std::string(got.data(), gotCount), std::string(expected.data(), gotCount));
                ASSERT_EQ(stream.EndOfStream(), gotCount < count);
            }
            ASSERT_EQ(stream.Position(), reference.Position() - base);
        }
    }
}

TEST(BufferedReadStream, SeeksFromTheEndBothWays)
{
    TMemoryStream source;
    Fill(source, Bytes(15));
    source.SetPosition(0);
    TQkBufferedReadStream stream(source, false, 4);
    EXPECT_EQ(stream.Seek(3, soEnd), 12);
    EXPECT_EQ(stream.Seek(-3, soEnd), 12);
    EXPECT_EQ(stream.Seek(40, soBeginning), 15);
    EXPECT_TRUE(stream.EndOfStream());
}

TEST(StreamRoutines, StringsRoundTripAndShortStringsFail)
{
    TMemoryStream stream;
    WriteStringToStream(stream, "héllo");
    WriteLineToStream(stream, "x");
    stream.SetPosition(0);
    std::string text;
    ReadStringFromStream(stream, text);
    EXPECT_EQ(text, "héllo");
    EXPECT_EQ(stream.Size(), 4 + 6 + 3);

    TMemoryStream truncated;
    const uint8_t hugeLength[] = {0xFF, 0xFF, 0xFF, 0x7F, 'a'};
    truncated.WriteBuffer(hugeLength, sizeof hugeLength);
    truncated.SetPosition(0);
    EXPECT_THROW(ReadStringFromStream(truncated, text), EReadError);
}

TEST(StreamRoutines, SafeStreamWriteFlagsShortWrites)
{
    const std::string block = "abc";
    TQkMemStream readOnly(block.data(), 3);
    std::atomic<bool> aborting{false};
    SafeStreamWrite(readOnly, aborting, "xyz", 3);
    EXPECT_TRUE(aborting.load());
    TMemoryStream writable;
    std::atomic<bool> fine{false};
    SafeStreamWrite(writable, fine, "xyz", 3);
    EXPECT_FALSE(fine.load());
}

TEST(StreamRoutines, CopyStreamDataLimitsToTheSourcesEnd)
{
    TMemoryStream source;
    Fill(source, Bytes(20));
    struct Case {
        int64_t start;
        int64_t count;
        int64_t copied;
        int64_t firstByte;
    };
    for (const Case c :
         {Case{20, 0, 20, 0}, Case{5, 100, 15, 5}, Case{5, 4, 4, 5}, Case{20, 3, 0, -1}, Case{3, -2, 0, -1}}) {
        SCOPED_TRACE(c.count);
        TMemoryStream destination;
        source.SetPosition(c.start);
        EXPECT_EQ(CopyStreamData(destination, source, c.count), c.copied);
        EXPECT_EQ(destination.Size(), c.copied);
        if (c.firstByte >= 0) {
            EXPECT_EQ(static_cast<const char*>(destination.Memory())[0], Bytes(20)[c.firstByte]);
        }
    }
}

} // namespace
