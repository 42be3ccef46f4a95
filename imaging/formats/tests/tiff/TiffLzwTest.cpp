#include <gtest/gtest.h>

#include <random>

#include "imaging/core/tests/QkCommand.h"
#include "imaging/core/tests/QkTestFolder.h"
#include "imaging/formats/tests/CodecTestFiles.h"
#include "imaging/formats/tiff/TiffLzw.h"

namespace {

using TBytes = std::vector<uint8_t>;

struct TStripResult {
    TBytes Bytes;
    bool Failed = false;
    bool Aborting = false;
};

// Decodes `rows` rows of `rowLength` bytes from one strip.
TStripResult DecodeStrip(const TBytes& strip, int32_t rowLength, int64_t rows, int32_t fillOrder = 1)
{
    TStripResult result;
    std::atomic<bool> aborting{false};
    TTiffLzwDecodeStatePtr state;
    for (int64_t row = 0; row < rows; ++row) {
        const uint8_t* decoded =
            TiffLzwDecode(strip.data(), static_cast<int64_t>(strip.size()), rowLength, state, fillOrder, aborting);
        if (!decoded) {
            result.Failed = true;
            break;
        }
        result.Bytes.insert(result.Bytes.end(), decoded, decoded + rowLength);
    }
    TiffLzwDecode(nullptr, 0, rowLength, state, fillOrder, aborting);
    EXPECT_FALSE(state);
    result.Aborting = aborting;
    return result;
}

TBytes EncodeStrip(const TBytes& data, int64_t rowLength)
{
    TMemoryStream stream;
    std::atomic<bool> aborting{false};
    TTiffLzwEncodeStatePtr state;
    for (int64_t at = 0; at < static_cast<int64_t>(data.size()); at += rowLength)
        TiffLzwEncode(data.data() + at, std::min<int64_t>(rowLength, data.size() - at), stream, state, aborting);
    TiffLzwEncode(nullptr, 0, stream, state, aborting);
    EXPECT_FALSE(state);
    EXPECT_FALSE(aborting);
    return StreamBytes(stream);
}

// Codes packed most significant bit first at the given widths.
TBytes PackCodes(const std::vector<std::pair<int32_t, int32_t>>& codes)
{
    TBytes bytes;
    uint64_t bits = 0;
    int32_t count = 0;
    for (const auto& [code, width] : codes) {
        bits = bits << width | static_cast<uint64_t>(code);
        for (count += width; count >= 8; count -= 8)
            bytes.push_back(static_cast<uint8_t>(bits >> (count - 8)));
    }
    if (count > 0)
        bytes.push_back(static_cast<uint8_t>(bits << (8 - count)));
    return bytes;
}

TBytes ReverseEachByte(TBytes bytes)
{
    for (uint8_t& byte : bytes) {
        uint8_t reversed = 0;
        for (int i = 0; i < 8; ++i)
            reversed = static_cast<uint8_t>(reversed | ((byte >> i) & 1) << (7 - i));
        byte = reversed;
    }
    return bytes;
}

} // namespace

TEST(TiffLzw, PartCasesRoundTrip)
{
    TBytes pairs; // 600 different byte pairs
    for (int32_t i = 0; i < 600; ++i)
        pairs.insert(pairs.end(), {static_cast<uint8_t>(i % 256), static_cast<uint8_t>(i / 256 * 100 + i % 7)});
    std::mt19937 random(9);
    TBytes noise(60000);
    for (uint8_t& byte : noise)
        byte = static_cast<uint8_t>(random() % 64); // far more than 3836 new strings: the table restarts
    const struct {
        const char* Name;
        TBytes Data;
        int32_t RowLength;
    } cases[] = {
        {"600 different pairs", pairs, 40},
        {"100,000 zeros", TBytes(100000, 0), 1000},
        {"noise that overflows the table", noise, 600},
        {"one byte", {42}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const TBytes strip = EncodeStrip(c.Data, c.RowLength);
        const auto decoded = DecodeStrip(strip, c.RowLength, static_cast<int64_t>(c.Data.size()) / c.RowLength);
        EXPECT_FALSE(decoded.Failed);
        EXPECT_FALSE(decoded.Aborting);
        EXPECT_EQ(decoded.Bytes, c.Data);
        // Fill order 2 stores each byte reversed.
        const auto reversed = DecodeStrip(ReverseEachByte(strip), c.RowLength, c.Data.size() / c.RowLength, 2);
        EXPECT_EQ(reversed.Bytes, c.Data);
    }
}

TEST(TiffLzw, CodeWidthGrowsOneCodeEarly)
{
    // 253 literals after a Clear fill the table to code 510; the next code is
    // the first of 10 bits.
    std::vector<std::pair<int32_t, int32_t>> codes{{256, 9}};
    TBytes expected;
    for (int32_t i = 0; i < 254; ++i) {
        codes.push_back({i, 9});
        expected.push_back(static_cast<uint8_t>(i));
    }
    codes.push_back({7, 10});
    codes.push_back({257, 10});
    expected.push_back(7);
    const auto decoded = DecodeStrip(PackCodes(codes), static_cast<int32_t>(expected.size()), 1);
    EXPECT_EQ(decoded.Bytes, expected);
    EXPECT_FALSE(decoded.Aborting);
}

TEST(TiffLzw, CorruptStripsFail)
{
    const struct {
        const char* Name;
        TBytes Strip;
    } cases[] = {
        {"code 300 right after Clear", PackCodes({{256, 9}, {300, 9}, {257, 9}})},
        {"next free code as the first code without Clear", PackCodes({{258, 9}, {257, 9}})},
        {"old-style LZW", {0x00, 0x01, 0x20, 0x40, 0x10}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_TRUE(DecodeStrip(c.Strip, 4, 1).Failed);
    }
    EXPECT_TRUE(IsOldStyleTiffLzw(cases[2].Strip.data(), 5));
    const TBytes modern = EncodeStrip({0, 1, 2}, 3);
    EXPECT_FALSE(IsOldStyleTiffLzw(modern.data(), static_cast<int64_t>(modern.size())));
}

TEST(TiffLzw, ShortStripsStopAtTheirLength)
{
    TBytes data(3000);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(i * i % 251);
    TBytes strip = EncodeStrip(data, 300);
    strip.resize(strip.size() / 2);
    // The strip lies at the end of its own allocation, so that ASan sees any
    // read past it.
    const auto decoded = DecodeStrip(strip, 300, 10);
    EXPECT_FALSE(decoded.Failed);
    EXPECT_TRUE(decoded.Aborting);
    ASSERT_EQ(decoded.Bytes.size(), data.size());
    const auto firstDifference =
        std::mismatch(decoded.Bytes.begin(), decoded.Bytes.end(), data.begin()).first - decoded.Bytes.begin();
    EXPECT_GT(firstDifference, 300);
    EXPECT_TRUE(std::all_of(decoded.Bytes.end() - 300, decoded.Bytes.end(), [](uint8_t b) { return b == 0; }));

    // A code past the next free one ends the data the same way.
    const auto stopped = DecodeStrip(PackCodes({{256, 9}, {65, 9}, {400, 9}, {66, 9}}), 3, 1);
    EXPECT_FALSE(stopped.Failed);
    EXPECT_TRUE(stopped.Aborting);
    EXPECT_EQ(stopped.Bytes, (TBytes{65, 0, 0}));
}

TEST(TiffLzw, StripsOfLibtiffFilesDecode)
{
    TestFolder folder;
    CommandOutput("convert -seed 6 -size 97x61 plasma:fractal -depth 8 " + folder.File("source.tif"));
    CommandOutput("tiffcp -c none -r 7 " + folder.File("source.tif") + " " + folder.File("plain.tif"));
    CommandOutput("tiffcp -c lzw -r 7 " + folder.File("source.tif") + " " + folder.File("lzw.tif"));
    const TTiffStrips plain = ReadTiffStrips(folder.File("plain.tif"));
    const TTiffStrips lzw = ReadTiffStrips(folder.File("lzw.tif"));
    ASSERT_EQ(lzw.Strips.size(), plain.Strips.size());
    ASSERT_GT(plain.Strips.size(), 1u);
    const int32_t rowLength = static_cast<int32_t>(plain.Width * 3);
    for (size_t i = 0; i < plain.Strips.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "strip " << i);
        const auto decoded = DecodeStrip(lzw.Strips[i], rowLength, plain.Strips[i].size() / rowLength);
        EXPECT_FALSE(decoded.Aborting);
        EXPECT_EQ(decoded.Bytes, plain.Strips[i]);
    }
}

TEST(TiffLzw, LibtiffReadsOurStrips)
{
    TestFolder folder;
    std::mt19937 random(4);
    const uint32_t width = 173;
    const uint32_t height = 59;
    TBytes gray(width * height);
    for (size_t i = 0; i < gray.size(); ++i)
        gray[i] = static_cast<uint8_t>(i % width < 80 ? i / width * 4 : random() % 256);
    TTiffStripFile file;
    file.Width = width;
    file.Height = height;
    file.Compression = 5;
    file.Strip = EncodeStrip(gray, width);
    WriteFileBytes(folder.File("ours.tif"), BuildTiff(file));
    CommandOutput("tiffcp -c none " + folder.File("ours.tif") + " " + folder.File("plain.tif"));
    TBytes pixels;
    for (const TBytes& strip : ReadTiffStrips(folder.File("plain.tif")).Strips)
        pixels.insert(pixels.end(), strip.begin(), strip.end());
    EXPECT_EQ(pixels, gray);
}
