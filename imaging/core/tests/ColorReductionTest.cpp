#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "QkBitmapTestSupport.h"
#include "imaging/core/QkColorReduction.h"
#include "imaging/core/QkPixelBuffers.h"

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

} // namespace
