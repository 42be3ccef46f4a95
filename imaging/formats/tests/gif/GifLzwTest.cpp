#include <gtest/gtest.h>

#include <random>
#include <utility>

#include "imaging/core/tests/QkCommand.h"
#include "imaging/core/tests/QkTestFolder.h"
#include "imaging/formats/gif/GifLzw.h"
#include "imaging/formats/tests/CodecTestFiles.h"
#include "imaging/formats/tests/gif/GifTestFiles.h"

namespace {

using TCodes = std::vector<std::pair<int32_t, int32_t>>; // code, size in bits

// The minimum code size, the codes packed least significant bit first into
// sub-blocks, and the terminator; `extraBlock` appends a block of bytes after
// the codes' own.
std::vector<uint8_t> PackCodes(uint8_t minimumCodeSize, const TCodes& codes, bool extraBlock = false)
{
    std::vector<uint8_t> bytes;
    uint32_t bits = 0;
    int32_t count = 0;
    for (const auto& [code, size] : codes) {
        bits |= static_cast<uint32_t>(code) << count;
        for (count += size; count >= 8; count -= 8, bits >>= 8)
            bytes.push_back(static_cast<uint8_t>(bits));
    }
    if (count > 0)
        bytes.push_back(static_cast<uint8_t>(bits));
    if (extraBlock)
        bytes.insert(bytes.end(), {0xAB, 0xCD});
    std::vector<uint8_t> data{minimumCodeSize};
    for (size_t at = 0; at < bytes.size(); at += 255) {
        const size_t size = std::min<size_t>(255, bytes.size() - at);
        data.push_back(static_cast<uint8_t>(size));
        data.insert(data.end(), bytes.begin() + at, bytes.begin() + at + size);
    }
    data.push_back(0);
    return data;
}

// Root codes after a Clear, sized as a decoder sizes them, then End. Once
// the table is full no Clear follows: a deferred clear.
TCodes RootCodes(int32_t minimumCodeSize, const std::vector<uint8_t>& roots)
{
    const int32_t clear = 1 << minimumCodeSize;
    int32_t size = minimumCodeSize + 1;
    int32_t next = clear + 2;
    TCodes codes{{clear, size}};
    for (size_t i = 0; i < roots.size(); ++i) {
        codes.push_back({roots[i], size});
        if (i > 0 && next < 4096 && ++next == 1 << size && size < 12)
            ++size;
    }
    codes.push_back({clear + 1, size});
    return codes;
}

// The codes of encoded data, read with the decoder's sizing rule.
std::vector<int32_t> ListCodes(const std::vector<uint8_t>& data)
{
    std::vector<uint8_t> bytes;
    size_t at = 1;
    while (at < data.size() && data[at] != 0) {
        bytes.insert(bytes.end(), data.begin() + at + 1, data.begin() + at + 1 + data[at]);
        at += data[at] + 1;
    }
    const int32_t clear = 1 << data[0];
    int32_t size = data[0] + 1;
    int32_t next = clear + 2;
    bool first = true;
    std::vector<int32_t> codes;
    for (int64_t bit = 0; bit + size <= static_cast<int64_t>(bytes.size()) * 8;) {
        int32_t code = 0;
        for (int32_t i = 0; i < size; ++i, ++bit)
            code |= ((bytes[bit / 8] >> (bit % 8)) & 1) << i;
        codes.push_back(code);
        if (code == clear + 1)
            break;
        if (code == clear) {
            size = data[0] + 1;
            next = clear + 2;
            first = true;
        } else if (!first && next < 4096 && ++next == 1 << size && size < 12) {
            ++size;
        } else {
            first = false;
        }
    }
    return codes;
}

std::vector<uint8_t> Encode(int32_t width, int32_t height, bool interlaced, const std::vector<uint8_t>& pixels,
                            int32_t bits)
{
    TMemoryStream stream;
    EXPECT_TRUE(GifLzwEncode(stream, height, width, interlaced, pixels, bits));
    return StreamBytes(stream);
}

std::vector<uint8_t> RandomIndexes(std::mt19937& random, size_t count, int32_t bits)
{
    // Short runs of one index among noise, so that strings repeat.
    std::vector<uint8_t> pixels(count);
    std::uniform_int_distribution<int32_t> index(0, (1 << bits) - 1);
    std::uniform_int_distribution<int32_t> run(1, 6);
    for (size_t i = 0; i < count;) {
        const auto value = static_cast<uint8_t>(index(random));
        for (int32_t n = run(random); n > 0 && i < count; --n)
            pixels[i++] = value;
    }
    return pixels;
}

} // namespace

TEST(GifLzw, RandomImagesRoundTrip)
{
    std::mt19937 random(7);
    std::uniform_int_distribution<int32_t> side(1, 600);
    std::uniform_int_distribution<int32_t> bitCount(1, 8);
    for (int32_t round = 0; round < 24; ++round) {
        const int32_t width = side(random);
        const int32_t height = round % 3 == 0 ? side(random) : side(random) % 40 + 1;
        const int32_t bits = bitCount(random);
        const bool interlaced = round % 2 == 1;
        SCOPED_TRACE(testing::Message() << width << "x" << height << " bits " << bits << " interlaced " << interlaced);
        const auto pixels = RandomIndexes(random, static_cast<size_t>(width) * height, bits);
        TMemoryStream stream;
        WriteBytes(stream, Encode(width, height, interlaced, pixels, bits));
        stream.SetPosition(0);
        std::vector<uint8_t> decoded(pixels.size(), 0xEE);
        ASSERT_TRUE(GifLzwDecode(stream, height, width, interlaced, decoded));
        EXPECT_EQ(decoded, pixels);
        EXPECT_EQ(stream.Position(), stream.Size());
    }
}

TEST(GifLzw, InterlacedRowsFollowThePasses)
{
    const int32_t width = 3;
    const int32_t height = 17;
    std::vector<uint8_t> pixels;
    for (int32_t row = 0; row < height; ++row)
        pixels.insert(pixels.end(), width, static_cast<uint8_t>(row));
    TMemoryStream stream;
    WriteBytes(stream, Encode(width, height, true, pixels, 5));
    stream.SetPosition(0);
    std::vector<uint8_t> stored(pixels.size());
    ASSERT_TRUE(GifLzwDecode(stream, height, width, false, stored));
    const std::vector<uint8_t> order{0, 8, 16, 4, 12, 2, 6, 10, 14, 1, 3, 5, 7, 9, 11, 13, 15};
    for (int32_t row = 0; row < height; ++row)
        EXPECT_EQ(stored[row * width], order[row]) << "stored row " << row;
}

TEST(GifLzw, OneColourUsesMinimumCodeSizeTwo)
{
    const auto data = Encode(4, 4, false, std::vector<uint8_t>(16, 1), 1);
    EXPECT_EQ(data[0], 2);
}

TEST(GifLzw, FullTableMakesTheEncoderClear)
{
    std::vector<uint8_t> pixels;
    for (int32_t a = 0; a < 64; ++a) {
        for (int32_t b = 0; b < 64; ++b)
            pixels.insert(pixels.end(), {static_cast<uint8_t>(a), static_cast<uint8_t>(b + 64)});
    }
    const auto data = Encode(128, 64, false, pixels, 8);
    const auto codes = ListCodes(data);
    EXPECT_GE(std::count(codes.begin(), codes.end(), 256), 2);
    EXPECT_EQ(codes.back(), 257);
    TMemoryStream stream;
    WriteBytes(stream, data);
    stream.SetPosition(0);
    std::vector<uint8_t> decoded(pixels.size());
    ASSERT_TRUE(GifLzwDecode(stream, 64, 128, false, decoded));
    EXPECT_EQ(decoded, pixels);
}

TEST(GifLzw, DeferredClearDecodesLikeGiflib)
{
    TestFolder folder;
    const int32_t width = 100;
    const int32_t height = 50;
    std::vector<uint8_t> roots(width * height);
    for (size_t i = 0; i < roots.size(); ++i)
        roots[i] = static_cast<uint8_t>((i * 7 + i / 13) % 4);
    const auto data = PackCodes(2, RootCodes(2, roots));
    TMemoryStream stream;
    WriteBytes(stream, data);
    stream.SetPosition(0);
    std::vector<uint8_t> decoded(roots.size());
    ASSERT_TRUE(GifLzwDecode(stream, height, width, false, decoded));
    EXPECT_EQ(decoded, roots);

    WriteFileBytes(folder.File("deferred.gif"), BuildGif(width, height, 2, false, data));
    CommandOutput("gif2rgb -1 -o " + folder.File("deferred.rgb") + " " + folder.File("deferred.gif"));
    const auto rgb = ReadFileBytes(folder.File("deferred.rgb"));
    ASSERT_EQ(rgb.size(), roots.size() * 3);
    for (size_t i = 0; i < roots.size(); ++i)
        ASSERT_EQ(rgb[i * 3], roots[i] * 85) << "pixel " << i;
}

TEST(GifLzw, FailuresPutTheStreamBack)
{
    const struct {
        const char* Name;
        std::vector<uint8_t> Data;
    } cases[] = {
        {"minimum code size 1", {1, 1, 0x0C, 0}},
        {"minimum code size 10", {10, 2, 0x00, 0x04, 0}},
        {"code above the next free code", PackCodes(2, {{4, 3}, {0, 3}, {7, 3}, {5, 3}})},
        {"first code after a clear is no root", PackCodes(2, {{4, 3}, {6, 3}, {5, 3}})},
        {"first code of the data is no root", PackCodes(2, {{6, 3}, {5, 3}})},
        {"end right after a clear before the data's end", PackCodes(2, {{4, 3}, {5, 3}}, true)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TMemoryStream stream;
        WriteBytes(stream, {0x11, 0x22, 0x33});
        WriteBytes(stream, c.Data);
        stream.SetPosition(3);
        std::vector<uint8_t> output(64, 0xEE);
        EXPECT_FALSE(GifLzwDecode(stream, 8, 8, false, output));
        EXPECT_EQ(stream.Position(), 3);
    }
}

TEST(GifLzw, ShortDataAndShortBuffers)
{
    // Data that ends early succeeds and leaves the rest of the image alone.
    TMemoryStream stream;
    WriteBytes(stream, PackCodes(2, RootCodes(2, {1, 2, 3})));
    stream.SetPosition(0);
    std::vector<uint8_t> output(16, 0xEE);
    ASSERT_TRUE(GifLzwDecode(stream, 4, 4, false, output));
    EXPECT_EQ(std::vector<uint8_t>(output.begin(), output.begin() + 4), (std::vector<uint8_t>{1, 2, 3, 0xEE}));
    EXPECT_EQ(stream.Position(), stream.Size());

    // Sub-blocks cut short by the end of the stream: what arrived is decoded.
    auto cut = PackCodes(2, RootCodes(2, std::vector<uint8_t>(40, 2)));
    cut.resize(cut.size() - 4);
    TMemoryStream cutStream;
    WriteBytes(cutStream, cut);
    cutStream.SetPosition(0);
    std::vector<uint8_t> partial(64, 0xEE);
    EXPECT_TRUE(GifLzwDecode(cutStream, 8, 8, false, partial));
    EXPECT_EQ(partial[0], 2);

    // An index buffer smaller than the image is refused before any reading.
    stream.SetPosition(0);
    std::vector<uint8_t> small(15);
    EXPECT_FALSE(GifLzwDecode(stream, 4, 4, false, small));
    EXPECT_EQ(stream.Position(), 0);
}

TEST(GifLzw, EncoderRefusesIndexesBeyondItsBits)
{
    TMemoryStream stream;
    EXPECT_FALSE(GifLzwEncode(stream, 1, 3, false, std::vector<uint8_t>{0, 4, 1}, 2));
    EXPECT_FALSE(GifLzwEncode(stream, 1, 3, false, std::vector<uint8_t>{0, 1, 1}, 9));
    EXPECT_FALSE(GifLzwEncode(stream, 2, 3, false, std::vector<uint8_t>{0, 1, 1}, 2));
    EXPECT_EQ(stream.Size(), 0);
}

TEST(GifLzw, GiflibReadsOurData)
{
    TestFolder folder;
    std::mt19937 random(3);
    for (int32_t bits : {1, 2, 5, 8}) {
        for (bool interlaced : {false, true}) {
            SCOPED_TRACE(testing::Message() << "bits " << bits << " interlaced " << interlaced);
            const int32_t width = 37;
            const int32_t height = 23;
            const auto pixels = RandomIndexes(random, width * height, bits);
            const std::string gif = folder.File("ours.gif");
            WriteFileBytes(gif,
                           BuildGif(width, height, bits, interlaced, Encode(width, height, interlaced, pixels, bits)));
            CommandOutput("gif2rgb -1 -o " + folder.File("ours.rgb") + " " + gif);
            const auto rgb = ReadFileBytes(folder.File("ours.rgb"));
            ASSERT_EQ(rgb.size(), pixels.size() * 3);
            for (size_t i = 0; i < pixels.size(); ++i)
                ASSERT_EQ(rgb[i * 3], pixels[i] * 255 / ((1 << bits) - 1)) << "pixel " << i;
        }
    }
}

TEST(GifLzw, DecodesImageMagickGifs)
{
    TestFolder folder;
    for (const char* interlace : {"None", "GIF"}) {
        SCOPED_TRACE(interlace);
        const std::string gif = folder.File("magick.gif");
        CommandOutput(std::string("convert -seed 4 -size 61x47 plasma:fractal -colors 200 -interlace ") + interlace +
                      " " + gif);
        const auto bytes = ReadFileBytes(gif);
        const auto image = FindGifImage(bytes);
        ASSERT_TRUE(image);
        EXPECT_EQ(image->Interlaced, std::string(interlace) == "GIF");
        TMemoryStream stream;
        WriteBytes(stream, bytes);
        stream.SetPosition(static_cast<int64_t>(image->DataOffset));
        std::vector<uint8_t> indexes(static_cast<size_t>(image->Width) * image->Height);
        ASSERT_TRUE(GifLzwDecode(stream, image->Height, image->Width, image->Interlaced, indexes));
        EXPECT_EQ(stream.Position(), static_cast<int64_t>(bytes.size()) - 1); // the trailer follows
        const std::string rgb = CommandOutput("convert " + gif + " -depth 8 rgb:-");
        ASSERT_EQ(rgb.size(), indexes.size() * 3);
        for (size_t i = 0; i < indexes.size(); ++i) {
            for (size_t c = 0; c < 3; ++c)
                ASSERT_EQ(image->Palette[indexes[i] * 3 + c], static_cast<uint8_t>(rgb[i * 3 + c])) << "pixel " << i;
        }
    }
}
