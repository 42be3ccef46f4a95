#include <gtest/gtest.h>

#include <random>

#include "imaging/core/tests/QkCommand.h"
#include "imaging/core/tests/QkTestFolder.h"
#include "imaging/formats/bmp/BmpRle.h"
#include "imaging/formats/tests/CodecTestFiles.h"

namespace {

using TBytes = std::vector<uint8_t>;

std::unique_ptr<TQkBitmap> MakeBitmap(int32_t width, int32_t height, TQkPixelFormat format, uint8_t fill)
{
    auto bitmap = std::make_unique<TQkBitmap>();
    bitmap->SetLocation(qkMemory);
    bitmap->Allocate(width, height, format);
    for (int32_t y = 0; y < height; ++y)
        std::fill_n(bitmap->GetScanline(y), bitmap->GetRowLen(), fill);
    return bitmap;
}

// The bitmap's rows top to bottom, one byte a pixel (qk8p) or three.
TBytes Pixels(TQkBitmap& bitmap)
{
    const int32_t bytes = bitmap.GetWidth() * (bitmap.GetPixelFormat() == qk8p ? 1 : 3);
    TBytes pixels;
    for (int32_t y = 0; y < bitmap.GetHeight(); ++y)
        pixels.insert(pixels.end(), bitmap.GetScanline(y), bitmap.GetScanline(y) + bytes);
    return pixels;
}

TBytes DecodeIndexes(bool rle4, int32_t width, int32_t height, const TBytes& data, bool topDown = true)
{
    auto bitmap = MakeBitmap(width, height, qk8p, 0x77);
    TQkFilterProgress progress;
    const bool decoded = rle4 ? DecodeBmpRle4(*bitmap, data, topDown, progress, {})
                              : DecodeBmpRle8(*bitmap, data, topDown, progress, {});
    EXPECT_TRUE(decoded);
    return Pixels(*bitmap);
}

TBytes EncodeRow(bool rle4, const TBytes& row)
{
    TBytes out;
    const int32_t count = rle4 ? EncodeBmpRle4Row(row, out) : EncodeBmpRle8Row(row, out);
    EXPECT_EQ(count, static_cast<int32_t>(out.size()));
    return out;
}

} // namespace

TEST(BmpRle, EncodedRowsAreByteExact)
{
    const struct {
        const char* Name;
        bool Rle4;
        TBytes Row;
        TBytes Codes;
    } cases[] = {
        {"RLE4 five different", true, {1, 2, 3, 4, 5}, {0, 5, 0x12, 0x34, 0x50, 0, 0, 0}},
        {"RLE8 five different", false, {1, 2, 3, 4, 5}, {0, 5, 1, 2, 3, 4, 5, 0, 0, 0}},
        {"RLE8 two different", false, {7, 9}, {1, 7, 1, 9, 0, 0}},
        {"RLE8 three different: one pad", false, {7, 8, 9}, {0, 3, 7, 8, 9, 0, 0, 0}},
        {"RLE8 four different: no pad", false, {6, 7, 8, 9}, {0, 4, 6, 7, 8, 9, 0, 0}},
        {"RLE4 one pixel", true, {0xA}, {1, 0xA0, 0, 0}},
        {"RLE4 two pixels", true, {0xA, 0xB}, {2, 0xAB, 0, 0}},
        {"RLE4 run in both nibbles", true, {3, 3, 3, 1}, {3, 0x33, 1, 0x10, 0, 0}},
        {"literal then run", false, {1, 2, 3, 4, 4, 4}, {0, 3, 1, 2, 3, 0, 3, 4, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(EncodeRow(c.Rle4, c.Row), c.Codes);
    }
    const TBytes long300 = EncodeRow(false, TBytes(300, 5));
    EXPECT_EQ(long300, (TBytes{255, 5, 45, 5, 0, 0}));
}

TEST(BmpRle, DecoderEdgeCases)
{
    const struct {
        const char* Name;
        bool Rle4;
        TBytes Data;
        TBytes Pixels; // 4 x 2, top row first, decoded top-down
    } cases[] = {
        {"no end-of-bitmap code", false, {2, 1, 0, 0, 4, 2}, {1, 1, 0x77, 0x77, 2, 2, 2, 2}},
        {"RLE8 run past the row is dropped",
         false,
         {0, 3, 1, 2, 3, 0, 3, 9, 0, 1},
         {1, 2, 3, 9, 0x77, 0x77, 0x77, 0x77}},
        {"RLE8 literal past the row is dropped",
         false,
         {1, 5, 0, 4, 6, 7, 8, 9, 0, 1},
         {5, 6, 7, 8, 0x77, 0x77, 0x77, 0x77}},
        {"RLE4 run past the row is dropped",
         true,
         {0, 3, 0x12, 0x30, 3, 0x99, 0, 1},
         {1, 2, 3, 9, 0x77, 0x77, 0x77, 0x77}},
        {"move keeps skipped pixels",
         false,
         {1, 5, 0, 2, 2, 1, 1, 6, 0, 1},
         {5, 0x77, 0x77, 0x77, 0x77, 0x77, 0x77, 6}},
        {"literal of 3 skips its pad",
         false,
         {0, 3, 1, 2, 3, 0xEE, 1, 4, 0, 0, 0, 4, 5, 6, 7, 8},
         {1, 2, 3, 4, 5, 6, 7, 8}},
        {"RLE4 literal of 5 skips its pad",
         true,
         {0, 5, 0x12, 0x34, 0x50, 0xEE, 0, 0, 4, 0x66},
         {1, 2, 3, 4, 6, 6, 6, 6}},
        {"truncated run", false, {2, 1, 3}, {1, 1, 0x77, 0x77, 0x77, 0x77, 0x77, 0x77}},
        {"literal past the end", false, {0, 6, 1, 2, 3}, {1, 2, 3, 0x77, 0x77, 0x77, 0x77, 0x77}},
        {"move out of the image ends decoding",
         false,
         {1, 4, 0, 2, 0, 5, 1, 8},
         {4, 0x77, 0x77, 0x77, 0x77, 0x77, 0x77, 0x77}},
        {"move past the row's end ends decoding",
         false,
         {1, 4, 0, 2, 9, 0, 1, 8},
         {4, 0x77, 0x77, 0x77, 0x77, 0x77, 0x77, 0x77}},
        {"rows past the last are ignored", false, {4, 1, 0, 0, 4, 2, 0, 0, 4, 3}, {1, 1, 1, 1, 2, 2, 2, 2}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(DecodeIndexes(c.Rle4, 4, 2, c.Data), c.Pixels);
    }
    // Bottom-up data fills the last row first.
    EXPECT_EQ(DecodeIndexes(false, 2, 2, {2, 1, 0, 0, 2, 2}, false), (TBytes{2, 2, 1, 1}));
}

TEST(BmpRle, ExpandingFormBoundsThePalette)
{
    auto bitmap = MakeBitmap(3, 1, qk24RGB, 0x77);
    const std::vector<TRGBPixel> palette{{10, 20, 30}, {40, 50, 60}};
    TQkFilterProgress progress;
    ASSERT_TRUE(DecodeBmpRle8(*bitmap, TBytes{0, 3, 1, 0, 200, 0}, true, progress, palette));
    EXPECT_EQ(Pixels(*bitmap), (TBytes{40, 50, 60, 10, 20, 30, 0, 0, 0}));

    auto gray = MakeBitmap(3, 1, qk8g, 0x77);
    EXPECT_FALSE(DecodeBmpRle8(*gray, TBytes{3, 1}, true, progress, palette));
    EXPECT_EQ(Pixels(*gray)[0], 0x77);
}

TEST(BmpRle, RowsReportProgressAndStopOnAbort)
{
    auto bitmap = MakeBitmap(2, 4, qk8p, 0);
    std::atomic<bool> aborting{false};
    std::vector<int32_t> reported;
    TQkFilterProgress progress;
    progress.Step = 100.0 / 4;
    progress.Aborting = &aborting;
    progress.OnProgress = [&](TObject*, int32_t percent) {
        reported.push_back(percent);
        aborting = percent >= 50;
    };
    const TBytes data{2, 1, 0, 0, 2, 2, 0, 0, 2, 3, 0, 0, 2, 4, 0, 1};
    DecodeBmpRle8(*bitmap, data, true, progress, {});
    EXPECT_EQ(reported, (std::vector<int32_t>{25, 50}));
    EXPECT_EQ(Pixels(*bitmap), (TBytes{1, 1, 2, 2, 0, 0, 0, 0}));
    EXPECT_EQ(bitmap->PaletteColors(), 256);
}

TEST(BmpRle, RandomRowsRoundTrip)
{
    std::mt19937 random(11);
    std::uniform_int_distribution<int32_t> length(1, 600);
    for (int32_t round = 0; round < 60; ++round) {
        const bool rle4 = round % 2 == 1;
        const bool indexForm = round % 4 < 2;
        std::uniform_int_distribution<int32_t> index(0, rle4 ? 15 : (round % 3 == 0 ? 3 : 255));
        TBytes row(length(random));
        for (size_t i = 0; i < row.size(); ++i)
            row[i] = i > 0 && random() % 3 == 0 ? row[i - 1] : static_cast<uint8_t>(index(random));
        SCOPED_TRACE(testing::Message() << "round " << round << " width " << row.size());
        TBytes data = EncodeRow(rle4, row);
        data.insert(data.end(), {0, 1});
        const auto width = static_cast<int32_t>(row.size());
        auto bitmap = MakeBitmap(width, 1, indexForm ? qk8p : qk24RGB, 0x77);
        std::vector<TRGBPixel> palette(256);
        for (int32_t i = 0; i < 256; ++i)
            palette[i] = {static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i / 2)};
        TQkFilterProgress progress;
        ASSERT_TRUE(rle4 ? DecodeBmpRle4(*bitmap, data, false, progress, palette)
                         : DecodeBmpRle8(*bitmap, data, false, progress, palette));
        TBytes expected;
        for (uint8_t i : row) {
            if (indexForm)
                expected.push_back(i);
            else
                expected.insert(expected.end(), {palette[i].b, palette[i].g, palette[i].r});
        }
        EXPECT_EQ(Pixels(*bitmap), expected);
    }
}

namespace {

// A bottom-up BMP with a 40-byte header, a gray palette and RLE data.
TBytes BuildRleBmp(int32_t width, int32_t height, bool rle4, const TBytes& data)
{
    const int32_t colors = rle4 ? 16 : 256;
    const uint32_t offset = 14 + 40 + colors * 4;
    TBytes bmp{'B', 'M'};
    auto put = [&](uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            bmp.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    put(offset + static_cast<uint32_t>(data.size()), 4);
    put(0, 4);
    put(offset, 4);
    put(40, 4);
    put(width, 4);
    put(height, 4);
    put(1, 2);
    put(rle4 ? 4 : 8, 2);
    put(rle4 ? 2 : 1, 4);
    put(static_cast<uint32_t>(data.size()), 4);
    put(2835, 4);
    put(2835, 4);
    put(colors, 4);
    put(0, 4);
    for (int32_t i = 0; i < colors; ++i) {
        const auto gray = static_cast<uint8_t>(i * 255 / (colors - 1));
        bmp.insert(bmp.end(), {gray, gray, gray, 0});
    }
    bmp.insert(bmp.end(), data.begin(), data.end());
    return bmp;
}

uint32_t Le32(const TBytes& bytes, size_t at)
{
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

} // namespace

TEST(BmpRle, ImageMagickReadsOurRows)
{
    TestFolder folder;
    std::mt19937 random(5);
    const int32_t width = 45;
    const int32_t height = 7;
    for (bool rle4 : {false, true}) {
        SCOPED_TRACE(rle4 ? "RLE4" : "RLE8");
        const int32_t colors = rle4 ? 16 : 256;
        std::vector<TBytes> rows(height, TBytes(width));
        TBytes data;
        for (int32_t y = height - 1; y >= 0; --y) {
            for (int32_t x = 0; x < width; ++x)
                rows[y][x] = x % 9 < 4 ? static_cast<uint8_t>(y) : static_cast<uint8_t>(random() % colors);
            rle4 ? EncodeBmpRle4Row(rows[y], data) : EncodeBmpRle8Row(rows[y], data);
        }
        data.insert(data.end(), {0, 1});
        WriteFileBytes(folder.File("ours.bmp"), BuildRleBmp(width, height, rle4, data));
        const std::string gray = CommandOutput("convert " + folder.File("ours.bmp") + " -depth 8 gray:-");
        ASSERT_EQ(gray.size(), static_cast<size_t>(width * height));
        for (int32_t y = 0; y < height; ++y) {
            for (int32_t x = 0; x < width; ++x)
                ASSERT_EQ(static_cast<uint8_t>(gray[y * width + x]), rows[y][x] * 255 / (colors - 1)) << x << "," << y;
        }
    }
}

TEST(BmpRle, DecodesImageMagickRle8)
{
    TestFolder folder;
    const std::string file = folder.File("magick.bmp");
    CommandOutput("convert -seed 2 -size 53x31 plasma:fractal -colors 60 -type Palette -compress RLE BMP3:" + file);
    const TBytes bmp = ReadFileBytes(file);
    ASSERT_GT(bmp.size(), 54u);
    ASSERT_EQ(Le32(bmp, 30), 1u); // RLE8
    const int32_t width = static_cast<int32_t>(Le32(bmp, 18));
    const int32_t height = static_cast<int32_t>(Le32(bmp, 22));
    const uint32_t colors = Le32(bmp, 46) ? Le32(bmp, 46) : 256;
    std::vector<TRGBPixel> palette(colors);
    for (uint32_t i = 0; i < colors; ++i) {
        const size_t at = 14 + Le32(bmp, 14) + i * 4;
        palette[i] = {bmp[at], bmp[at + 1], bmp[at + 2]};
    }
    auto bitmap = MakeBitmap(width, height, qk24RGB, 0);
    TQkFilterProgress progress;
    ASSERT_TRUE(DecodeBmpRle8(*bitmap, std::span(bmp).subspan(Le32(bmp, 10)), false, progress, palette));
    const std::string output = CommandOutput("convert " + file + " -depth 8 bgr:-");
    const TBytes bgr(output.begin(), output.end());
    const TBytes pixels = Pixels(*bitmap);
    ASSERT_EQ(pixels.size(), bgr.size());
    const auto first = std::mismatch(pixels.begin(), pixels.end(), bgr.begin()).first - pixels.begin();
    EXPECT_EQ(first, static_cast<std::ptrdiff_t>(pixels.size())) << "first difference at pixel " << first / 3;
}
