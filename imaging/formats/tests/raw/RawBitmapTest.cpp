#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "imaging/formats/QkFormatErrors.h"
#include "imaging/formats/raw/QkRawBitmapReader.h"
#include "imaging/formats/tests/FormatsTestSupport.h"

namespace {

struct TRawLayout {
    TQkPixelFormat Format = qk24RGB;
    int32_t Width = 3;
    int32_t Height = 2;
    int32_t Align = 8;
    int32_t Offset = 0;
    uint8_t RawFormat = 0;
    uint8_t Planar = 0;
    bool Bgr = false;
};

class RawBitmapTest : public FilterTest {
protected:
    // Sizes the bitmap (filled with `fill`) and reads `bytes` into it.
    bool Load(const TRawLayout& layout, const std::string& bytes, uint8_t fill = 0)
    {
        bitmap.Allocate(layout.Width, layout.Height, layout.Format);
        for (int32_t row = 0; row < layout.Height; ++row)
            std::memset(bitmap.GetScanline(row), fill, size_t(bitmap.GetRowLen()));
        params.BmpRawRowAlign = layout.Align;
        params.BmpRawDataOffset = layout.Offset;
        params.BmpRawFormat = layout.RawFormat;
        params.BmpRawPlanar = layout.Planar;
        params.BmpRawBGR = layout.Bgr;
        return ReadWith(ReadRawBitmap, bytes);
    }
    std::vector<uint8_t> Pixels(size_t bytesPerRow)
    {
        std::vector<uint8_t> pixels;
        for (int32_t row = 0; row < bitmap.GetHeight(); ++row)
            pixels.insert(pixels.end(), bitmap.GetScanline(row), bitmap.GetScanline(row) + bytesPerRow);
        return pixels;
    }
};

std::string Counting(int count)
{
    std::string bytes;
    for (int i = 1; i <= count; ++i)
        bytes.push_back(char(i));
    return bytes;
}

} // namespace

TEST_F(RawBitmapTest, LayoutsLandInTheLibrarysPixelOrder)
{
    const auto rgbRows = std::vector<uint8_t>{3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10, 15, 14, 13, 18, 17, 16};
    const struct {
        const char* Name;
        TRawLayout Layout;
        std::string Bytes;
        size_t RowBytes;
        std::vector<uint8_t> Expected;
    } cases[] = {
        {"rgb", {}, Counting(18), 9, rgbRows},
        {"bgr", {.Bgr = true}, Counting(18), 9, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18}},
        {"align 32", {.Align = 32}, Counting(9) + "xyz" + Counting(18).substr(9) + "xyz", 9, rgbRows},
        {"align 0 is 8", {.Align = 0}, Counting(18), 9, rgbRows},
        {"offset 16", {.Offset = 16}, std::string(16, 'h') + Counting(18), 9, rgbRows},
        {"planar",
         {.Planar = 1},
         Bytes({1, 2, 3, 4, 5, 6, 11, 12, 13, 14, 15, 16, 21, 22, 23, 24, 25, 26}),
         9,
         {21, 11, 1, 22, 12, 2, 23, 13, 3, 24, 14, 4, 25, 15, 5, 26, 16, 6}},
        {"planar cmyk",
         {.Format = qkCMYK, .Width = 2, .Height = 1, .Planar = 1},
         Bytes({1, 2, 3, 4, 5, 6, 7, 8}),
         8,
         {1, 3, 5, 7, 2, 4, 6, 8}},
        {"rgb48",
         {.Format = qkRGB48, .Width = 1, .Height = 1},
         Bytes({0x01, 0x02, 0x03, 0x04, 0x05, 0x06}),
         6,
         {0x01, 0x02, 0x03, 0x04, 0x05, 0x06}},
        {"bgr48 word swap",
         {.Format = qkRGB48, .Width = 1, .Height = 1, .Bgr = true},
         Bytes({0x01, 0x02, 0x03, 0x04, 0x05, 0x06}),
         6,
         {0x05, 0x06, 0x03, 0x04, 0x01, 0x02}},
        {"gray16",
         {.Format = qk16g, .Width = 2, .Height = 1},
         Bytes({0x34, 0x12, 0xFF, 0x00}),
         4,
         {0x34, 0x12, 0xFF, 0}},
        {"decimal", {.Format = qk8g, .Width = 3, .Height = 1, .RawFormat = 1}, "12, 255;0", 3, {12, 255, 0}},
        {"decimal clamps", {.Format = qk8g, .Width = 2, .Height = 1, .RawFormat = 1}, "300 7", 2, {255, 7}},
        {"decimal words", {.Format = qk16g, .Width = 1, .Height = 1, .RawFormat = 1}, "4660", 2, {0x34, 0x12}},
        {"hexadecimal", {.Format = qk8g, .Width = 3, .Height = 1, .RawFormat = 2}, "1a2B ff", 3, {1, 0x2B, 0}},
        // One number a pixel, packed into bits; rows carry no padding.
        {"decimal bits",
         {.Format = qk1g, .Width = 9, .Height = 2, .Align = 32, .RawFormat = 1},
         "0 1 7 0 0 0 0 1 1\n1 0 0 0 0 0 0 0 0",
         2,
         {0x61, 0x80, 0x80, 0x00}},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(Load(c.Layout, c.Bytes)) << c.Name;
        EXPECT_EQ(Pixels(c.RowBytes), c.Expected) << c.Name;
    }
}

TEST_F(RawBitmapTest, FloatsTakeAPointOrAComma)
{
    ASSERT_TRUE(Load({.Format = qk32f, .Width = 2, .Height = 1, .RawFormat = 1}, "0.25;0,5"));
    const auto* samples = reinterpret_cast<const float*>(bitmap.GetScanline(0));
    EXPECT_FLOAT_EQ(samples[0], 0.25f);
    EXPECT_FLOAT_EQ(samples[1], 0.5f);
    EXPECT_THROW(Load({.Format = qk32f, .Width = 1, .Height = 1, .RawFormat = 2}, "1"), EQkFormatNotSupported);
}

TEST_F(RawBitmapTest, ShortDataAndBadParameters)
{
    // Interleaved binary keeps what the bitmap held; planar and ASCII give 0.
    ASSERT_TRUE(Load({.Width = 1, .Height = 2, .Bgr = true}, Bytes({1, 2, 3, 4}), 0xEE));
    EXPECT_EQ(Pixels(3), (std::vector<uint8_t>{1, 2, 3, 4, 0xEE, 0xEE}));
    ASSERT_TRUE(Load({.Width = 1, .Height = 2, .Planar = 1, .Bgr = true}, Bytes({1, 2, 3}), 0xEE));
    EXPECT_EQ(Pixels(3), (std::vector<uint8_t>{1, 3, 0, 2, 0, 0}));
    ASSERT_TRUE(Load({.Format = qk8g, .Width = 3, .Height = 1, .RawFormat = 1}, "9", 0xEE));
    EXPECT_EQ(Pixels(3), (std::vector<uint8_t>{9, 0, 0}));

    EXPECT_FALSE(Load({.Offset = -1}, Counting(18), 0xEE));
    EXPECT_EQ(bitmap.GetScanline(0)[0], 0xEE);
}

TEST_F(RawBitmapTest, ProgressAndCancelling)
{
    std::vector<int32_t> reported;
    progress.OnProgress = [&](TObject*, int32_t percent) { reported.push_back(percent); };
    ASSERT_TRUE(Load({.Planar = 1}, Counting(18)));
    EXPECT_EQ(reported, (std::vector<int32_t>{0, 33, 66, 100}));
    reported.clear();
    ASSERT_TRUE(Load({.Format = qkCMYK, .Width = 1, .Height = 1, .Planar = 1}, Counting(4)));
    EXPECT_EQ(reported, (std::vector<int32_t>{0, 25, 50, 75, 100}));

    progress.OnProgress = [this](TObject*, int32_t) { aborting = true; };
    EXPECT_FALSE(Load({.Bgr = true}, Counting(18)));
    EXPECT_EQ(Pixels(1), (std::vector<uint8_t>{1, 0}));
}
