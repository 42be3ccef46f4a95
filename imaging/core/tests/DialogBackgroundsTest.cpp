#include <gtest/gtest.h>

#include <set>

#include "imaging/core/QkDialogBackgrounds.h"
#include "imaging/core/QkRandom.h"

namespace {

uint8_t GrayAt(TBitmap& bitmap, int32_t x, int32_t y)
{
    const uint8_t* pixel = bitmap.ScanLine(y) + x * 3;
    EXPECT_TRUE(pixel[0] == pixel[1] && pixel[1] == pixel[2]);
    return pixel[0];
}

TEST(DialogBackgrounds, StripesRepeatFourGrayLevels)
{
    TBitmap bitmap;
    FillStripedGrayBitmap(bitmap, 3, 9);
    EXPECT_EQ(bitmap.PixelFormat(), pf24bit);
    EXPECT_EQ(bitmap.Width(), 3);
    const int expected[] = {240, 251, 255, 251};
    for (int32_t y = 0; y < 9; ++y)
        EXPECT_EQ(GrayAt(bitmap, 2, y), expected[y % 4]) << y;
}

TEST(DialogBackgrounds, NoisyBandIsBrighterInTheMiddleAndRepeatable)
{
    TBitmap first;
    TBitmap second;
    SetRandSeed(5);
    FillNoisyGradientBitmap(first, 300, 20);
    SetRandSeed(5);
    FillNoisyGradientBitmap(second, 300, 20);
    std::set<int> offsets;
    for (int32_t y = 0; y < 20; ++y) {
        for (int32_t x = 0; x < 300; ++x) {
            const uint8_t gray = GrayAt(first, x, y);
            ASSERT_EQ(gray, GrayAt(second, x, y));
            ASSERT_GE(gray, 160);
            ASSERT_LE(gray, 218);
        }
        offsets.insert(GrayAt(first, 150, y) - 208);
    }
    EXPECT_GT(offsets.size(), 1u) << "the noise changes along the rows";
    EXPECT_LT(GrayAt(first, 0, 0), 180);
}

TEST(DialogBackgrounds, EmptySizesAndRamps)
{
    TBitmap bitmap;
    FillNoisyGradientBitmap(bitmap, 0, 5);
    FillStripedGrayBitmap(bitmap, -3, -3);
    EXPECT_TRUE(bitmap.Empty());
    EXPECT_TRUE(GaussianRamp(0, 1, 2, 1).empty());
}

TEST(GrayPalette, SetAndRecognised)
{
    TBitmap bitmap(4, 4, pf8bit);
    EXPECT_FALSE(IsTBitmapGrayPalette(bitmap));
    SetTBitmapGrayPalette(bitmap);
    EXPECT_TRUE(IsTBitmapGrayPalette(bitmap));
    TBitmap direct(4, 4, pf24bit);
    EXPECT_FALSE(IsTBitmapGrayPalette(direct));
}

} // namespace
