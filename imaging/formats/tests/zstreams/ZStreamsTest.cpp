#include "imaging/formats/zstreams/QkZStreams.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

// Text-like bytes that compress well but not trivially.
std::string SampleData(size_t size)
{
    std::string data(size, '\0');
    uint32_t state = 12345;
    for (size_t i = 0; i < size; ++i) {
        state = state * 1103515245u + 12345u;
        data[i] = static_cast<char>('a' + (state >> 16) % 7);
    }
    return data;
}

std::string Compress(const std::string& data, int levelIndex = 2)
{
    TStringStream destination;
    TZCompressionStream stream(destination, levelIndex);
    stream.WriteBuffer(data.data(), static_cast<int64_t>(data.size()));
    stream.Finish();
    return destination.DataString();
}

std::string ReadAll(TStream& stream)
{
    std::string result;
    char block[1000];
    while (const int64_t got = stream.Read(block, sizeof block))
        result.append(block, static_cast<size_t>(got));
    return result;
}

std::string Inflate(const std::string& compressed, size_t estimate = 0, size_t cap = DefaultInflateCap)
{
    const std::vector<uint8_t> out = InflateBuffer(compressed.data(), compressed.size(), estimate, cap);
    return std::string(out.begin(), out.end());
}

template <class E, class F>
std::string MessageOf(F&& action)
{
    try {
        action();
    } catch (const E& e) {
        return e.Message();
    }
    return "(nothing raised)";
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

// Runs a python3 script that finds `input` in the file sys.argv[1] and
// answers into the file sys.argv[2].
std::string Python(const std::string& script, const std::string& input)
{
    const std::string base = std::string(TEST_BINARY_DIR) + "/zstream-python";
    WriteFile(base + ".py", "import sys, zlib\nd = open(sys.argv[1], 'rb').read()\n" + script);
    WriteFile(base + ".in", input);
    std::remove((base + ".out").c_str());
    const std::string command = "python3 " + base + ".py " + base + ".in " + base + ".out";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return ReadFile(base + ".out");
}

TEST(ZCompressionStream, NothingWrittenStillMakesACompleteStream)
{
    const std::string compressed = Compress("");
    EXPECT_EQ(compressed, std::string("\x78\x9C\x03\x00\x00\x00\x00\x01", 8));
    EXPECT_EQ(Inflate(compressed), "");
}

TEST(ZStreams, AgreeWithPythonsZlibBothWays)
{
    const std::string data = SampleData(300000);
    // Python compresses at the levels of indexes 1..3, and inflates our
    // streams at every level, which follow each other in its input.
    const std::string pythons = Python("open(sys.argv[2], 'wb').write(b''.join(zlib.compress(d, level) "
                                       "for level in (1, -1, 9)))",
                                       data);
    std::string ours;
    for (int index = 0; index < 4; ++index)
        ours += Compress(data, index);
    // Stored blocks are cut where the output buffer fills, so only the
    // compressing levels can match byte for byte.
    EXPECT_TRUE(ours.substr(Compress(data, 0).size()) == pythons);

    const std::string inflated = Python("out = b''\n"
                                        "while d:\n"
                                        "    o = zlib.decompressobj()\n"
                                        "    out += o.decompress(d)\n"
                                        "    d = o.unused_data\n"
                                        "open(sys.argv[2], 'wb').write(out)\n",
                                        ours);
    EXPECT_TRUE(inflated == data + data + data + data);

    TStringStream source(pythons);
    for (int level = 0; level < 3; ++level) {
        TZDecompressionStream stream(source);
        EXPECT_TRUE(ReadAll(stream) == data);
    }
    EXPECT_TRUE(Inflate(pythons) == data);
}

TEST(ZCompressionStream, SmallPiecesGiveTheSameBytesAsOneWrite)
{
    const std::string data = SampleData(200000);
    TStringStream destination;
    {
        TZCompressionStream stream(destination, 3);
        for (size_t at = 0; at < data.size(); at += 7)
            stream.WriteBuffer(data.data() + at, static_cast<int64_t>(std::min<size_t>(7, data.size() - at)));
        EXPECT_EQ(stream.Position(), static_cast<int64_t>(data.size()));
    } // destruction finishes the data
    EXPECT_EQ(destination.DataString(), Compress(data, 3));
}

TEST(ZCompressionStream, ReportsEachBlockItWritesAndFollowsAMovedDestination)
{
    const std::string data = SampleData(400000);
    TStringStream destination;
    TZCompressionStream stream(destination, 0); // stored: output as large as the input
    int blocks = 0;
    stream.OnProgress = [&](TObject* sender) {
        EXPECT_EQ(sender, &stream);
        ++blocks;
    };
    stream.WriteBuffer(data.data(), 1000);
    destination.SetPosition(0); // another user moved it
    stream.WriteBuffer(data.data() + 1000, static_cast<int64_t>(data.size()) - 1000);
    stream.Finish();
    EXPECT_EQ(blocks, 6); // 400 KB stored into 64 KB blocks
    EXPECT_TRUE(Inflate(destination.DataString()) == data);
}

TEST(ZStreams, WrongDirectionAndBackwardSeeksAreRefused)
{
    TStringStream destination;
    TZCompressionStream compressor(destination, 2);
    char byte = 0;
    EXPECT_EQ(MessageOf<EZCompressionError>([&] { compressor.Read(&byte, 1); }), "Invalid ZStream operation!");
    EXPECT_EQ(compressor.Seek(-5, soEnd), 0);

    TStringStream source(Compress("abcdef"));
    TZDecompressionStream decompressor(source);
    EXPECT_EQ(MessageOf<EZDecompressionError>([&] { decompressor.Write("x", 1); }), "Invalid ZStream operation!");
    decompressor.ReadBuffer(&byte, 3);
    EXPECT_EQ(decompressor.Seek(0, soCurrent), 3);
    for (auto [offset, origin] : {std::pair{-1, soCurrent}, {2, soBeginning}, {1, soEnd}}) {
        EXPECT_EQ(MessageOf<EZDecompressionError>([&] { decompressor.Seek(offset, origin); }),
                  "Invalid ZStream operation!");
    }
}

TEST(ZDecompressionStream, ReadsTwoStreamsBackToBack)
{
    const std::string first = SampleData(100000);
    const std::string second = "the second stream";
    const std::string firstCompressed = Compress(first);
    TStringStream source(firstCompressed + Compress(second) + "tail");
    {
        TZDecompressionStream stream(source);
        EXPECT_TRUE(ReadAll(stream) == first);
    }
    EXPECT_EQ(source.Position(), static_cast<int64_t>(firstCompressed.size()));
    TZDecompressionStream stream(source);
    EXPECT_EQ(ReadAll(stream), second);
    EXPECT_EQ(source.ReadString(4), "tail");
}

TEST(ZDecompressionStream, RewindsToWhereItsDataStartsAndSkipsForward)
{
    const std::string data = SampleData(70000);
    TStringStream source(std::string(100, 'x') + Compress(data));
    source.SetPosition(100);
    TZDecompressionStream stream(source);
    std::string head(20000, '\0');
    stream.ReadBuffer(head.data(), 20000);
    EXPECT_EQ(stream.Size(), 70000);
    EXPECT_EQ(stream.Position(), 20000);

    EXPECT_EQ(stream.Seek(0, soBeginning), 0);
    EXPECT_TRUE(ReadAll(stream) == data);
    stream.Seek(0, soBeginning);
    EXPECT_EQ(stream.Seek(30000, soBeginning), 30000);
    EXPECT_EQ(stream.Seek(10000, soCurrent), 40000);
    std::string rest(30000, '\0');
    stream.ReadBuffer(rest.data(), 30000);
    EXPECT_TRUE(rest == data.substr(40000));
    EXPECT_THROW(stream.Seek(1, soCurrent), EReadError);
}

TEST(ZDecompressionStream, ATruncatedSourceGivesAShortRead)
{
    const std::string compressed = Compress(SampleData(50000));
    TStringStream source(compressed.substr(0, compressed.size() / 2));
    TZDecompressionStream stream(source);
    std::string all(50000, '\0');
    const int64_t got = stream.Read(all.data(), 50000);
    EXPECT_GT(got, 0);
    EXPECT_LT(got, 50000);
    EXPECT_EQ(stream.Read(all.data(), 1), 0);
    EXPECT_EQ(all.substr(0, static_cast<size_t>(got)), SampleData(50000).substr(0, static_cast<size_t>(got)));
}

// zlib data that asks for a preset dictionary, which is never supplied.
std::string DictionaryData()
{
    // Python's zlib.compressobj(zdict=b'hello') on "hello hello".
    return std::string("\x78\xBB\x06\x2C\x02\x15\xCB\x00\x11\x0A\x60\x12\x00\x19\x91\x04\x49", 17);
}

TEST(ZStreams, DataWantingADictionaryFailsInsteadOfLooping)
{
    const std::string compressed = DictionaryData();
    TStringStream source(compressed);
    TZDecompressionStream stream(source);
    char buffer[16];
    EXPECT_EQ(MessageOf<EZDecompressionError>([&] { stream.Read(buffer, sizeof buffer); }), "need dictionary");
    EXPECT_EQ(MessageOf<EZDecompressionError>([&] { Inflate(compressed); }), "need dictionary");
}

TEST(InflateBuffer, ReturnsTheExactSizeWhateverTheGrowth)
{
    // Without an estimate the block starts at the input size rounded up to
    // 256: 256 zero bytes fill exactly that first step, 257 bytes need one
    // growth and 5 MB of zeros (about 5 KB compressed) many.
    struct Case {
        size_t size;
        size_t estimate;
    };
    for (const Case c : {Case{256, 0}, Case{257, 0}, Case{5000000, 0}, Case{5000000, 10}, Case{1000, 4096}}) {
        SCOPED_TRACE(c.size);
        const std::string data = c.size == 257 ? SampleData(257) : std::string(c.size, '\0');
        EXPECT_TRUE(Inflate(Compress(data), c.estimate) == data);
    }
}

TEST(InflateBuffer, StopsAtTheCapAndOnBrokenData)
{
    const std::string compressed = Compress(std::string(100000, 'z'));
    EXPECT_EQ(Inflate(compressed, 0, 100000).size(), 100000u);
    EXPECT_EQ(MessageOf<EZDecompressionError>([&] { Inflate(compressed, 0, 99999); }), "insufficient memory");
    EXPECT_EQ(MessageOf<EZDecompressionError>([&] { Inflate(compressed.substr(0, compressed.size() - 3)); }),
              "buffer error");
    EXPECT_EQ(MessageOf<EZDecompressionError>([&] { Inflate("not zlib data"); }), "data error");
}

} // namespace
