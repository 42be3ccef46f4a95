#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkCombinePixel.h"
#include "imaging/core/QkRender.h"
#include "imaging/core/QkSettings.h"

namespace {

TRGBPixel Gray(uint8_t value) { return MakeRGBPixel(value, value, value); }

uint8_t CombineGray(uint8_t source, uint8_t destination, TQkRenderOperation operation)
{
    TRGBPixel pixel = Gray(destination);
    CombinePixel(Gray(source), pixel, operation, 0);
    EXPECT_EQ(pixel.r, pixel.g);
    EXPECT_EQ(pixel.r, pixel.b);
    return pixel.r;
}

TRGBPixel Combine(TRGBPixel source, TRGBPixel destination, TQkRenderOperation operation)
{
    CombinePixel(source, destination, operation, 0);
    return destination;
}

void ExpectPixel(const TRGBPixel& pixel, int r, int g, int b, int operation)
{
    EXPECT_EQ(pixel.r, r) << "operation " << operation;
    EXPECT_EQ(pixel.g, g) << "operation " << operation;
    EXPECT_EQ(pixel.b, b) << "operation " << operation;
}

} // namespace

// Each channel operation on three (source, destination) pairs: (200, 100),
// (50, 180) and (255, 30).
TEST(CombinePixel, ChannelOperations)
{
    BuildCosineTable();
    struct TCase {
        TQkRenderOperation Operation;
        std::array<int, 3> Expected;
    };
    const TCase cases[] = {
        {0, {200, 50, 255}},   {1, {255, 230, 255}},  {2, {100, 130, 225}},  {3, {0, 3, 0}},
        {4, {78, 35, 29}},     {5, {236, 182, 255}},  {6, {64, 48, 30}},     {7, {172, 134, 225}},
        {8, {200, 180, 255}},  {9, {100, 50, 30}},    {10, {150, 115, 142}}, {11, {221, 194, 255}},
        {12, {210, 230, 225}}, {13, {144, 160, 226}}, {14, {156, 135, 59}},  {15, {189, 70, 255}},
        {16, {133, 147, 87}},  {17, {134, 147, 55}},  {18, {255, 224, 255}}, {19, {57, 0, 30}},
        {20, {255, 170, 255}}, {21, {115, 0, 255}},   {22, {185, 112, 255}}, {23, {156, 85, 143}},
        {24, {181, 158, 255}}, {25, {255, 33, 255}},  {26, {135, 143, 57}},  {27, {225, 22, 255}},
        {28, {44, 0, 29}},     {29, {157, 115, 132}}, {30, {244, 24, 255}},  {43, {100, 180, 30}},
        {255, {100, 180, 30}},
    };
    const std::array<std::array<uint8_t, 2>, 3> pairs{{{200, 100}, {50, 180}, {255, 30}}};
    for (const TCase& c : cases)
        for (size_t i = 0; i < pairs.size(); ++i)
            EXPECT_EQ(CombineGray(pairs[i][0], pairs[i][1], c.Operation), c.Expected[i])
                << "operation " << int(c.Operation) << ", pair " << i;
    EXPECT_EQ(CombineGray(77, 77, 2), 0);
}

TEST(CombinePixel, PixelOperations)
{
    const TRGBPixel red = MakeRGBPixel(255, 0, 0);
    const TRGBPixel green = MakeRGBPixel(0, 255, 0);
    const TRGBPixel blue = MakeRGBPixel(0, 0, 255);
    const TRGBPixel source = MakeRGBPixel(50, 100, 150);
    const TRGBPixel destination = MakeRGBPixel(100, 150, 200);
    ExpectPixel(Combine(source, destination, 31), 50, 150, 200, 31);
    ExpectPixel(Combine(source, destination, 32), 100, 100, 200, 32);
    ExpectPixel(Combine(source, destination, 33), 100, 150, 150, 33);
    // Hue of the source; the primaries keep full saturation and half lightness.
    ExpectPixel(Combine(green, red, 34), 0, 255, 0, 34);
    ExpectPixel(Combine(red, blue, 35), 0, 0, 255, 35);
    ExpectPixel(Combine(red, blue, 36), 255, 0, 0, 36);
    ExpectPixel(Combine(blue, green, 37), 0, 0, 255, 37);
    // A gray destination has no saturation to give.
    ExpectPixel(Combine(red, MakeRGBPixel(90, 90, 90), 34), 90, 90, 90, 34);
    ExpectPixel(Combine(MakeRGBPixel(255, 255, 255), MakeRGBPixel(0, 0, 0), 38), 0, 255, 255, 38);
    ExpectPixel(Combine(MakeRGBPixel(0, 0, 0), MakeRGBPixel(255, 255, 255), 38), 255, 0, 0, 38);
    ExpectPixel(Combine(source, destination, 39), 100, 100, 150, 39);
    // 144.758, 76.687, 163.351 before rounding.
    ExpectPixel(Combine(source, destination, 40), 145, 77, 163, 40);
}

// Interlacing draws the source on even, then on odd destination rows.
TEST(CombinePixel, InterlacingFollowsDestinationRows)
{
    for (const TQkRenderOperation operation : {TQkRenderOperation(41), TQkRenderOperation(42)}) {
        TQkBitmap source(3, 4, qk24RGB);
        source.Fill(0xFFFFFF);
        TQkBitmap destination(3, 6, qk24RGB);
        ASSERT_TRUE(RenderToTQkBitmap(source, destination, {0, 1, 3, 4}, {0, 0, 3, 4}, 255, rfNone, operation));
        for (int32_t y = 0; y < 6; ++y) {
            const bool drawn = y >= 1 && y <= 4 && (y & 1) == operation - 41;
            EXPECT_EQ(destination.GetPixel24(1, y).g, drawn ? 255 : 0)
                << "operation " << int(operation) << " row " << y;
        }
    }
}
