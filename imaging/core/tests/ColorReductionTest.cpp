#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "QkBitmapTestSupport.h"
#include "imaging/core/QkColorReduction.h"
#include "imaging/core/QkPixelBuffers.h"
#include "imaging/core/QkQuantizer.h"

namespace {

TEST(ColorReductionTest, TwoColourImagesPutTheDarkerColourFirst)
{
    const TRGBPixel dark = MakeRGBPixel(10, 20, 30);
    const TRGBPixel light = MakeRGBPixel(200, 210, 220);
    for (bool darkFirst : {true, false}) {
        SCOPED_TRACE(darkFirst ? "dark first" : "light first");
        TQkBitmap image(9, 2, qk24RGB);
        for (int32_t y = 0; y < 2; ++y)
            for (int32_t x = 0; x < 9; ++x)
                image.SetPixel24(x, y, ((x + y) % 3 == 0) == darkFirst ? dark : light);
        TRGBPixel colour0;
        TRGBPixel colour1;
        const std::unique_ptr<TQkBitmap> mono = MakeBilevelIfTwoColors(image, colour0, colour1);
        ASSERT_TRUE(mono);
        EXPECT_TRUE(SameRGBPixel(colour0, dark));
        EXPECT_TRUE(SameRGBPixel(colour1, light));
        for (int32_t y = 0; y < 2; ++y)
            for (int32_t x = 0; x < 9; ++x)
                EXPECT_EQ(GetBit(mono->GetScanline(y), x), SameRGBPixel(image.GetPixel24(x, y), light));
    }
}

TEST(ColorReductionTest, OneOrThreeColoursGiveNoBilevelCopy)
{
    TRGBPixel colour0;
    TRGBPixel colour1;
    TQkBitmap uniform(4, 4, qk24RGB);
    EXPECT_FALSE(MakeBilevelIfTwoColors(uniform, colour0, colour1));
    TQkBitmap three(4, 4, qk24RGB);
    three.SetPixel24(1, 0, MakeRGBPixel(255, 255, 255));
    three.SetPixel24(2, 3, MakeRGBPixel(255, 0, 0));
    EXPECT_FALSE(MakeBilevelIfTwoColors(three, colour0, colour1));
}

TEST(ColorReductionTest, NearestColourPrefersTheLowerIndexOnTies)
{
    const TRGBPixel palette[] = {MakeRGBPixel(0, 0, 0), MakeRGBPixel(100, 100, 100), MakeRGBPixel(100, 100, 100),
                                 MakeRGBPixel(0, 0, 110)};
    EXPECT_EQ(FindNearestColor(palette, 4, 0x646464), 1);
    EXPECT_EQ(FindNearestColor(palette, 4, 0x00006E), 3);
    EXPECT_EQ(FindNearestColor(palette, 4, 0x0A0A0A), 0);
    EXPECT_EQ(FindNearestColor(palette, 0, 0x646464), 0);
}

TEST(ColorReductionTest, AverageColourOfEveryFormatFamily)
{
    TQkBitmap deep(3, 2, qk16g);
    deep.Fill(65535);
    EXPECT_TRUE(SameRGBPixel(ComputeAverageColor(deep), MakeRGBPixel(255, 255, 255)));

    // Row sums are divided by the width before they are added up.
    TQkBitmap gray(3, 2, qk8g);
    gray.GetScanline(0)[0] = 10;
    gray.GetScanline(1)[2] = 200;
    EXPECT_TRUE(SameRGBPixel(ComputeAverageColor(gray), MakeRGBPixel(34, 34, 34)));

    TQkBitmap wide(1, 1, qkRGB48);
    wide.SetPixel48(0, 0, {65535, 32768, 257});
    EXPECT_TRUE(SameRGBPixel(ComputeAverageColor(wide), MakeRGBPixel(255, 127, 1)));

    TQkBitmap empty;
    EXPECT_TRUE(SameRGBPixel(ComputeAverageColor(empty), MakeRGBPixel(128, 128, 128)));
}

TEST(ColorReductionTest, QuantizeInPlaceLeavesOnlyPaletteColours)
{
    TQkBitmap image(30, 3, qk24RGB);
    FillPattern(image);
    std::vector<TRGBPixel> palette(8);
    std::vector<int32_t> percents;
    TQkFilterProgress progress;
    progress.OnProgress = [&](TObject*, int32_t percent) { percents.push_back(percent); };
    QuantizeInPlace(image, 8, palette, &progress);
    EXPECT_EQ(percents, (std::vector<int32_t>{28, 57, 85}));
    for (int32_t y = 0; y < 3; ++y) {
        for (int32_t x = 0; x < 30; ++x) {
            const TRGBPixel pixel = image.GetPixel24(x, y);
            EXPECT_TRUE(std::any_of(palette.begin(), palette.end(),
                                    [&](const TRGBPixel& entry) { return SameRGBPixel(entry, pixel); }));
        }
    }

    // Few colours stay as they are, with a temporary palette.
    TQkBitmap few(4, 2, qk24RGB);
    FillPattern(few);
    const std::vector<uint8_t> before = RowBytes(few);
    QuantizeInPlace(few, 8, {}, nullptr);
    EXPECT_EQ(RowBytes(few), before);

    TQkBitmap gray(4, 2, qk8g);
    gray.Fill(77);
    QuantizeInPlace(gray, 2, palette, nullptr);
    EXPECT_EQ(gray.GetPixelFormat(), qk8g);
    EXPECT_EQ(gray.GetPixel8(3, 1), 77);
}

TEST(PixelBuffersTest, InversionAndRedBlueExchange)
{
    uint8_t bytes[] = {0x00, 0x0F, 0xFF};
    InvertBuffer(bytes, 3);
    EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + 3), (std::vector<uint8_t>{0xFF, 0xF0, 0x00}));

    TQkBitmap mono(10, 1, qk1g);
    mono.GetScanline(0)[0] = 0xA0;
    InvertBitmapBits(mono);
    EXPECT_EQ(mono.GetScanline(0)[0], 0x5F);
    EXPECT_EQ(mono.GetScanline(0)[1], 0xFF);

    const uint8_t pixels[] = {1, 2, 3, 4, 5, 6};
    uint8_t copy[6] = {};
    CopySwapRedBlue(copy, pixels, 2);
    EXPECT_EQ(std::vector<uint8_t>(copy, copy + 6), (std::vector<uint8_t>{3, 2, 1, 6, 5, 4}));
    SwapRedBlue(copy, 2);
    EXPECT_EQ(std::vector<uint8_t>(copy, copy + 6), (std::vector<uint8_t>{1, 2, 3, 4, 5, 6}));

    uint8_t words[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    SwapRedBlue48(words, 2);
    EXPECT_EQ(std::vector<uint8_t>(words, words + 12), (std::vector<uint8_t>{5, 6, 3, 4, 1, 2, 11, 12, 9, 10, 7, 8}));

    TRGBPixel palette[] = {MakeRGBPixel(1, 2, 3)};
    SwapPaletteRedBlue(palette, 1);
    EXPECT_TRUE(SameRGBPixel(palette[0], MakeRGBPixel(3, 2, 1)));
}

TEST(PixelBuffersTest, RowBitDepthConversions)
{
    // Entries in memory order blue, green, red.
    const std::vector<TRGBPixel> palette{{1, 2, 3}, {4, 5, 6}};
    const struct {
        const char* Name;
        int32_t SourceBits;
        std::vector<uint8_t> Source;
        int32_t DestinationBits;
        int32_t Count;
        uint8_t Prefill;
        std::vector<uint8_t> Expected;
    } cases[] = {
        {"8 to 1 clears first", 8, {1, 0, 1, 0, 0, 0, 0, 1, 1}, 1, 9, 0xFF, {0xA1, 0x80}},
        {"8 to 8", 8, {7, 8, 9}, 8, 3, 0, {7, 8, 9}},
        {"8 to 24", 8, {1, 0}, 24, 2, 0, {4, 5, 6, 1, 2, 3}},
        {"1 to 1", 1, {0xA1, 0x80}, 1, 9, 0, {0xA1, 0x80}},
        {"1 to 4", 1, {0xA0}, 4, 3, 0, {0x10, 0x10}},
        {"1 to 8", 1, {0xA0}, 8, 3, 0, {1, 0, 1}},
        {"1 to 24", 1, {0x40}, 24, 2, 0, {1, 2, 3, 4, 5, 6}},
        {"4 to 4", 4, {0x12, 0x30}, 4, 3, 0, {0x12, 0x30}},
        {"4 to 8", 4, {0x12, 0x30}, 8, 3, 0, {1, 2, 3}},
        {"4 to 24, beyond the palette black", 4, {0x1F}, 24, 2, 0, {4, 5, 6, 0, 0, 0}},
        {"24 to 24", 24, {1, 2, 3, 4, 5, 6}, 24, 2, 0, {1, 2, 3, 4, 5, 6}},
        {"32 to 24", 32, {1, 2, 3, 4, 5, 6, 7, 8}, 24, 2, 0, {1, 2, 3, 5, 6, 7}},
        {"24 to 8 without a quantizer writes nothing", 24, {1, 2, 3}, 8, 1, 0xEE, {0xEE}},
        {"8 to 4 writes nothing", 8, {1, 2, 3}, 4, 3, 0xEE, {0xEE, 0xEE}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        std::vector<uint8_t> destination(c.Expected.size(), c.Prefill);
        EXPECT_EQ(ConvertRowBitDepth(c.Source.data(), destination.data(), c.SourceBits, nullptr, palette, c.Count,
                                     c.DestinationBits),
                  static_cast<int64_t>(c.Expected.size()));
        EXPECT_EQ(destination, c.Expected);
    }

    // 24 bits to indices through a quantizer of the row's own colours.
    TQkBitmap image(3, 1, qk24RGB);
    const TRGBPixel colours[] = {MakeRGBPixel(9, 0, 0), MakeRGBPixel(0, 9, 0), MakeRGBPixel(0, 0, 9)};
    for (int32_t x = 0; x < 3; ++x)
        image.SetPixel24(x, 0, colours[x]);
    std::vector<TRGBPixel> entries(16);
    const TQkQuantizer quantizer(image, 16, entries);
    const uint8_t* row = image.GetScanline(0);
    std::vector<uint8_t> indices(3, 0);
    EXPECT_EQ(ConvertRowBitDepth(row, indices.data(), 24, &quantizer, {}, 3, 8), 3);
    EXPECT_EQ(indices, (std::vector<uint8_t>{0, 1, 2}));
    std::vector<uint8_t> nibbles(2, 0);
    EXPECT_EQ(ConvertRowBitDepth(row, nibbles.data(), 24, &quantizer, {}, 3, 4), 2);
    EXPECT_EQ(nibbles, (std::vector<uint8_t>{0x01, 0x20}));
    EXPECT_EQ(ConvertRowBitDepth(row, nibbles.data(), 24, &quantizer, {}, 0, 4), 0);
}

} // namespace
