#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "QkCommand.h"
#include "QkTestFolder.h"
#include "imaging/core/QkEncoders.h"
#include "platform/core/Strings.h"

namespace {

std::vector<uint8_t> RandomBytes(size_t count, uint32_t seed, bool withZeroGroups)
{
    std::mt19937 random(seed);
    std::vector<uint8_t> bytes(count);
    for (auto& b : bytes)
        b = static_cast<uint8_t>(random());
    if (withZeroGroups && count >= 12)
        std::fill(bytes.begin() + 4, bytes.begin() + 12, 0);
    return bytes;
}

std::string WriteFile(const TestFolder& folder, const std::vector<uint8_t>& bytes,
                      const std::string& fileName = "data.bin")
{
    const std::string name = folder.File(fileName);
    std::ofstream(name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return name;
}

TEST(Base64, MatchesCoreutils)
{
    TestFolder folder;
    for (const size_t size : {0, 1, 2, 3, 4, 57, 58, 1000}) {
        SCOPED_TRACE(size);
        const std::vector<uint8_t> bytes = RandomBytes(size, static_cast<uint32_t>(size), false);
        const std::string file = WriteFile(folder, bytes);
        TMemoryStream stream;
        stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
        stream.SetPosition(0);
        std::string text;
        WriteStreamBase64ToText(stream, text, 76);
        EXPECT_EQ(text, CommandOutput("base64 -w 76 '" + file + "'"));
    }
}

TEST(Base64, ShortGroupsArePadded)
{
    const uint8_t bytes[] = {0x61, 0x62};
    char characters[4];
    Base64EncodeTriple(bytes, characters, 2);
    EXPECT_EQ(std::string(characters, 4), "YWI=");

    TMemoryStream stream;
    stream.WriteBuffer("abcd", 4);
    stream.SetPosition(0);
    std::string text;
    WriteStreamBase64ToText(stream, text, 4);
    EXPECT_EQ(text, "YWJj\nZA==\n");
}

TEST(ASCII85, MatchesPythonAndKeepsLinesShort)
{
    TestFolder folder;
    const std::vector<size_t> sizes = {1, 4, 5, 12, 13, 150, 1001};
    std::string files;
    std::string ours;
    for (const size_t size : sizes) {
        const std::vector<uint8_t> bytes = RandomBytes(size, static_cast<uint32_t>(size), true);
        files += " '" + WriteFile(folder, bytes, "data" + std::to_string(size)) + "'";
        std::string encoded;
        int64_t characters = 0;
        const int64_t total = EncodeASCII85(bytes.data(), static_cast<int64_t>(bytes.size()), encoded, characters);
        SCOPED_TRACE(size);
        EXPECT_EQ(total, static_cast<int64_t>(encoded.size()));
        ASSERT_GE(encoded.size(), 4u);
        EXPECT_EQ(encoded.substr(encoded.size() - 4), "~>\r\n");
        const std::string body = encoded.substr(0, encoded.size() - 4);
        for (const std::string& line : SplitString(body, '\n'))
            EXPECT_LE(line.size(), 74u + 5u + 1u);
        const std::string joined = StringReplace(body, "\r\n", "", rfReplaceAll);
        EXPECT_EQ(characters, static_cast<int64_t>(joined.size()));
        ours += joined + "\n";
    }
    const std::string python = CommandOutput("python3 -c \"import base64,sys\nfor name in sys.argv[1:]: "
                                             "print(base64.a85encode(open(name,'rb').read()).decode())\"" +
                                             files);
    EXPECT_EQ(python, ours);
}

TEST(ASCII85, FourZeroBytesAreOneCharacter)
{
    const uint8_t zeros[4] = {};
    std::string encoded;
    int64_t characters = 0;
    EXPECT_EQ(EncodeASCII85(zeros, 4, encoded, characters), 5);
    EXPECT_EQ(encoded, "z~>\r\n");
    EXPECT_EQ(characters, 1);
}

// The PostScript RunLengthDecode filter.
std::vector<uint8_t> DecodeRunLength(const std::vector<uint8_t>& encoded)
{
    std::vector<uint8_t> decoded;
    size_t i = 0;
    while (i < encoded.size() && encoded[i] != 128) {
        const int length = encoded[i++];
        if (length < 128) {
            decoded.insert(decoded.end(), encoded.begin() + static_cast<long>(i),
                           encoded.begin() + static_cast<long>(i) + length + 1);
            i += static_cast<size_t>(length) + 1;
        } else {
            decoded.insert(decoded.end(), static_cast<size_t>(257 - length), encoded[i++]);
        }
    }
    EXPECT_EQ(i + 1, encoded.size()) << "the end-of-data byte closes the output";
    return decoded;
}

TEST(RunLength, RoundTripsThroughADecoder)
{
    std::mt19937 random(7);
    for (int round = 0; round < 50; ++round) {
        std::vector<uint8_t> data;
        const int pieces = static_cast<int>(random() % 20);
        for (int piece = 0; piece < pieces; ++piece) {
            const size_t length = random() % 300;
            if (random() % 2 == 0)
                data.insert(data.end(), length, static_cast<uint8_t>(random() % 4));
            for (size_t i = 0; i < length % 40; ++i)
                data.push_back(static_cast<uint8_t>(random()));
        }
        std::vector<uint8_t> encoded;
        const int64_t written = EncodeRunLength(data.data(), static_cast<int64_t>(data.size()), encoded);
        EXPECT_EQ(written, static_cast<int64_t>(encoded.size()));
        EXPECT_EQ(DecodeRunLength(encoded), data);
    }
}

TEST(RunLength, RunThenLiteral)
{
    const uint8_t data[] = {9, 9, 9, 4, 5};
    std::vector<uint8_t> encoded;
    EncodeRunLength(data, 5, encoded);
    EXPECT_EQ(encoded, (std::vector<uint8_t>{254, 9, 1, 4, 5, 128}));
}

} // namespace
