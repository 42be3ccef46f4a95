#include <gtest/gtest.h>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkIOParams.h"
#include "imaging/formats/cameraraw/RawColour.h"
#include "imaging/formats/cameraraw/RawIdentify.h"
#include "imaging/formats/tests/cameraraw/RawFileBuilder.h"

TEST(RawBitReader, ResetZeroAndStuffing)
{
    TRawTestContext context(std::string("\x12\x34\xFF\x00\x56\x78\x9A\xBC\xDE\xF0", 10));
    EXPECT_EQ(GetBits(*context, 0), 0u);
    EXPECT_EQ(context.stream.Position(), 0);
    EXPECT_EQ(GetBits(*context, -1), 0u);
    EXPECT_EQ(context.stream.Position(), 4);
    EXPECT_EQ(GetBits(*context, 8), 0x12u);
    EXPECT_EQ(GetBits(*context, 12), 0x34Fu);
    EXPECT_EQ(GetBits(*context, 4), 0xFu);
    // Without stuffing the 00 after FF is data.
    EXPECT_EQ(GetBits(*context, 8), 0x00u);

    TRawTestContext stuffed(std::string("\xFF\x00\x56\x78\x9A\xBC", 6));
    stuffed->zero_after_ff = 1;
    GetBits(*stuffed, -1);
    EXPECT_EQ(GetBits(*stuffed, 8), 0xFFu);
    EXPECT_EQ(GetBits(*stuffed, 8), 0x56u);
}

TEST(RawHuffman, EmptyTableAndPoolOrder)
{
    TRawTestContext context("");
    ResetHuffmanPool(*context);
    const uint8_t empty[16] = {};
    EXPECT_EQ(BuildHuffmanRoot(*context, empty, 16), 0);
    EXPECT_EQ(context->next_free, 1);
    EXPECT_EQ(DecodeToken(*context, 0), 0);
    EXPECT_EQ(context.stream.Position(), 0);
    const uint8_t two[18] = {2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 7, 9};
    EXPECT_EQ(BuildHuffmanRoot(*context, two, 18), 1);
    EXPECT_EQ(context->next_free, 4);
    ResetHuffmanPool(*context);
    EXPECT_EQ(context->next_free, 0);
    EXPECT_EQ(context->node_pool[1].Branch[0], 0);
}

// Pair trees take nodes from the same pool and overflow it cleanly.
TEST(RawHuffman, PairTreesCheckThePool)
{
    TRawTestContext context("");
    ResetHuffmanPool(*context);
    const std::vector<std::array<int32_t, 2>> pairs{{1, 5}, {1, 6}};
    EXPECT_EQ(BuildTreeFromPairs(*context, pairs, 0, 0), 2u);
    EXPECT_EQ(context->next_free, 3);
    // 2,048 leaves need 4,095 nodes.
    std::vector<std::array<int32_t, 2>> full(2048, {11, 1});
    EXPECT_THROW(BuildTreeFromPairs(*context, full, 0, 0), Exception);
}

TEST(RawPad, SameKeySamePad)
{
    TRawTestContext context("");
    uint32_t first[4] = {}, second[4] = {};
    SonyDecrypt(*context, first, 4, true, 0x12345678);
    SonyDecrypt(*context, second, 4, true, 0x12345678);
    EXPECT_EQ(std::vector<uint32_t>(first, first + 4), std::vector<uint32_t>(second, second + 4));
    EXPECT_NE(first[0], 0u);
}

TEST(RawFilterColor, TileRepeats)
{
    TRawTestContext context("");
    context->filters = 0x94949494;
    EXPECT_EQ(FilterColor(*context, 0, 0), 0);
    EXPECT_EQ(FilterColor(*context, 0, 1), 1);
    EXPECT_EQ(FilterColor(*context, 1, 0), 1);
    EXPECT_EQ(FilterColor(*context, 1, 1), 2);
    EXPECT_EQ(FilterColor(*context, 3, 1), 2);
    context->filters = 0;
    EXPECT_EQ(FilterColor(*context, 5, 3), 0);
}

TEST(RawColourStages, FoveonCurvesAndShift)
{
    EXPECT_EQ(ApplyCurve(-100, TFoveonCurve::B), -8);
    EXPECT_EQ(ApplyCurve(-3, TFoveonCurve::B), -2);
    EXPECT_EQ(ApplyCurve(71, TFoveonCurve::A), 26);
    EXPECT_EQ(ApplyCurve(72, TFoveonCurve::A), 27);
    EXPECT_EQ(ApplyCurve(109, TFoveonCurve::C2), 26);
    EXPECT_EQ(ApplyCurve(35, TFoveonCurve::C1), 12);
    EXPECT_EQ(SymmetricShift(-7, 1), -3);
    EXPECT_EQ(SymmetricShift(7, 1), 3);
}

// The four-colour matrix: each row sums to 1, and applied to the sensor's
// colours it gives back their RGB on average (the inverse of a 4 x 3
// system taken over its four 3 x 3 parts).
TEST(RawColourStages, GmcyMatrixInvertsTheSensorColours)
{
    TRawTestContext context("");
    SetGmcyCoeff(*context);
    EXPECT_EQ(context->use_coeff, 1);
    const double g[4][3] = {{0.11, 0.86, 0.08}, {0.50, 0.29, 0.51}, {0.11, 0.92, 0.75}, {0.81, 0.98, 0.08}};
    // Hand inverse of rows 1..3 (k = 0), by cofactors.
    const double m[3][3] = {{g[1][0], g[1][1], g[1][2]}, {g[2][0], g[2][1], g[2][2]}, {g[3][0], g[3][1], g[3][2]}};
    const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
        m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) + m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    EXPECT_NEAR(det,
                0.50 * (0.92 * 0.08 - 0.75 * 0.98) - 0.29 * (0.11 * 0.08 - 0.75 * 0.81) +
                    0.51 * (0.11 * 0.98 - 0.92 * 0.81),
                1e-12);
    for (const auto& row : context->coeff)
        EXPECT_NEAR(row[0] + row[1] + row[2] + row[3], 1.0, 1e-5);
    // Green (row 1 of RGB) weights the green-heavy sensor colours most.
    EXPECT_GT(context->coeff[1][0], context->coeff[1][1]);
}

TEST(RawColourStages, EmptyHistogramGivesWhiteOneAndTrimmedSize)
{
    TRawTestContext context("");
    context->height = context->width = 4;
    context->trim = 1;
    context->image.assign(16, TRawPixel{});
    TQkBitmap bitmap;
    TIOParamsVals params(nullptr);
    ConvertToRgb(*context);
    WriteRawOutput(*context, bitmap, params);
    EXPECT_EQ(bitmap.GetWidth(), 2);
    EXPECT_EQ(bitmap.GetHeight(), 2);
    EXPECT_EQ(bitmap.GetScanline(0)[0], 0);
}

// Automatic white balance brings every colour's mean to the largest one;
// camera balance uses the white sample.
TEST(RawColourStages, WhiteBalance)
{
    TRawTestContext context("");
    context->colors = 3;
    context->filters = 0x94949494;
    context->image.assign(4, TRawPixel{1000, 2000, 500, 0});
    context->use_auto_wb = 1;
    ScaleColors(*context);
    EXPECT_FLOAT_EQ(context->pre_mul[0], 2.0f);
    EXPECT_FLOAT_EQ(context->pre_mul[1], 1.0f);
    EXPECT_FLOAT_EQ(context->pre_mul[2], 4.0f);
    EXPECT_EQ(context->image[0][2], 2000);

    TRawTestContext camera("");
    camera->filters = 0x94949494;
    for (int32_t row = 0; row < 8; ++row)
        for (int32_t col = 0; col < 8; ++col)
            camera->white[size_t(row)][size_t(col)] = int16_t(FilterColor(*camera, row, col) == 1 ? 3000 : 1000);
    camera->use_camera_wb = 1;
    camera->image.assign(1, TRawPixel{100, 100, 100, 0});
    ScaleColors(*camera);
    EXPECT_FLOAT_EQ(camera->pre_mul[0], 3.0f);
    EXPECT_FLOAT_EQ(camera->pre_mul[2], 3.0f);
}

TEST(RawColourStages, FoveonTransformClampsAt24000)
{
    TRawTestContext context("");
    context->image.assign(2, TRawPixel{0, 30000, 0, 0});
    context->image[1] = {8192, 8192, 8192, 0};
    FoveonTransformColours(*context);
    EXPECT_EQ(context->image[0][1], 24000);
    EXPECT_EQ(context->image[0][0], 0);
    // (7576 - 2933 + 1279) = 5922: 8192 * 5922 + 4096 >> 13 = 5922.
    EXPECT_EQ(context->image[1][0], 5922);
}

// 6 x 4 diagonal layout worked by hand: the first row's non-black pixels
// are columns 1..4, so N = 4 and C = 2 * 6 - 2 - 4 = 6.
TEST(RawColourStages, FujiDerotate)
{
    TQkBitmap bitmap;
    bitmap.Allocate(6, 4, qk24RGB);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 6; ++x)
            std::fill_n(bitmap.GetScanline(y) + 3 * x, 3, uint8_t((y == 0 && (x == 0 || x == 5)) ? 0 : 10 * y + x));
    FujiDerotate(bitmap);
    ASSERT_EQ(bitmap.GetWidth(), 8);
    ASSERT_EQ(bitmap.GetHeight(), 6);
    // Grid row 1 holds source (0, 0..) at d = s + k - 5 + 6 = 1 + k - 0 ... k = 0 gives
    // f = (0 + 4 - 0 - 1) / 2 = 1: grid[1][1] = source(0, 0) = black; k = 1:
    // d = 2, f = 2: grid[2][2] = source(0, 1) = 1. Output row 1 (grid row 2),
    // position 4 (k + m even) is grid[2][2].
    EXPECT_EQ(bitmap.GetScanline(1)[3 * 4], 1);
    // Position 0 stays black.
    EXPECT_EQ(bitmap.GetScanline(1)[0], 0);

    TQkBitmap black;
    black.Allocate(6, 4, qk24RGB);
    FujiDerotate(black);
    EXPECT_EQ(black.GetWidth(), 6);
}
