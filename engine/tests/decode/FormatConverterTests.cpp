#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine/binding/AVUtilStubs.h"
#include "engine/binding/FFLoad.h"
#include "engine/decode/FormatConverter.h"
#include "platform/core/Exceptions.h"
#include "platform/gfx/Canvas.h"

namespace {

// A picture over a byte vector, with a chosen line size.
struct TTestPicture {
    std::vector<uint8_t> Bytes;
    TFFPicture Picture;

    TTestPicture(int32_t lineSize, int32_t height) : Bytes(static_cast<size_t>(lineSize) * height)
    {
        Picture.Data[0] = Bytes.data();
        Picture.Linesize[0] = lineSize;
    }
    uint8_t* Row(int32_t y) { return Bytes.data() + static_cast<size_t>(y) * Picture.Linesize[0]; }
};

class FormatConverterTest : public testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(FFLoader.LoadLibraries(DecoderLibraries)) << FFLoader.LastErrorText(); }

    TFormatConverter converter;
};

TEST_F(FormatConverterTest, ConvertsOnlyWhenTheLayoutDiffers)
{
    struct TCase {
        int32_t Width;
        int32_t LineSize;
        AVPixelFormat Format;
        bool Converted;
    };
    const TCase cases[] = {
        {640, 2560, AV_PIX_FMT_BGRA, false},
        {640, 2624, AV_PIX_FMT_BGRA, true}, // padded rows
        {641, 2564, AV_PIX_FMT_BGRA, true}, // odd width
        {640, 2560, AV_PIX_FMT_RGBA, true}, // another format
    };
    for (const TCase& c : cases) {
        TTestPicture source(c.LineSize, 480);
        source.Row(5)[8] = 0x42;
        ASSERT_TRUE(converter.PictureToBitmap(&source.Picture, c.Format, true, 480, c.Width));
        EXPECT_EQ(converter.CurrentPicture() == converter.Picture(), c.Converted) << c.Width << " " << c.LineSize;
        EXPECT_EQ(converter.CurrentPicture() == &source.Picture, !c.Converted);
        EXPECT_EQ(converter.Bitmap()->Width(), c.Width);
        EXPECT_EQ(converter.Bitmap()->Height(), 480);
        EXPECT_EQ(converter.Bitmap()->PixelFormat(), pf32bit);
        // Blue stays blue; red and blue trade places only for RGBA.
        EXPECT_EQ(converter.Bitmap()->ScanLine(5)[c.Format == AV_PIX_FMT_RGBA ? 10 : 8], 0x42);
    }
}

TEST_F(FormatConverterTest, BitsPerPixelChoices)
{
    EXPECT_EQ(converter.BitsPixel(), 32);
    EXPECT_EQ(converter.BitmapPixelFormat(), AV_PIX_FMT_BGRA);
    converter.SetBitsPixel(32);
    EXPECT_EQ(converter.Bitmap()->PixelFormat(), pf32bit);
    try {
        converter.SetBitsPixel(12);
        FAIL() << "12 bits accepted";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Invalid BitsPixel 12");
    }

    struct TCase {
        int32_t Bits;
        TPixelFormat Format;
        int32_t BitsPixel;
        AVPixelFormat PixelFormat;
    };
    const TCase cases[] = {
        {8, pf8bit, 8, AV_PIX_FMT_BGR8},        {15, pf15bit, 16, AV_PIX_FMT_RGB555LE},
        {16, pf15bit, 16, AV_PIX_FMT_RGB555LE}, // 16 after 15 keeps the 15-bit layout
        {24, pf24bit, 24, AV_PIX_FMT_BGR24},    {16, pf16bit, 16, AV_PIX_FMT_RGB565LE},
    };
    for (const TCase& c : cases) {
        converter.SetBitsPixel(c.Bits);
        EXPECT_EQ(converter.Bitmap()->PixelFormat(), c.Format) << c.Bits;
        EXPECT_EQ(converter.BitsPixel(), c.BitsPixel) << c.Bits;
        EXPECT_EQ(converter.BitmapPixelFormat(), c.PixelFormat) << c.Bits;
    }
}

TEST_F(FormatConverterTest, RowsOfOddByteCountsLandInTheirOwnRows)
{
    converter.SetBitsPixel(24);
    TTestPicture source(1050, 4);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 1050; ++x)
            source.Row(y)[x] = static_cast<uint8_t>((x * 7 + y * 13) % 251);
    ASSERT_TRUE(converter.PictureToBitmap(&source.Picture, AV_PIX_FMT_BGR24, true, 4, 350));
    EXPECT_EQ(converter.Bitmap()->RowBytes(), 1052);
    for (int32_t y = 0; y < 4; ++y)
        EXPECT_EQ(std::memcmp(converter.Bitmap()->ScanLine(y), source.Row(y), 1050), 0) << "row " << y;
}

// Red and blue must not trade places in any layout.
TEST_F(FormatConverterTest, PrimaryColoursInEveryDepth)
{
    struct TCase {
        uint8_t Bgra[4];
        TColor Color;
    };
    const TCase colours[] = {{{0, 0, 255, 255}, clRed},
                             {{0, 255, 0, 255}, clLime},
                             {{255, 0, 0, 255}, clBlue},
                             {{255, 255, 255, 255}, clWhite}};
    for (const TCase& colour : colours) {
        TTestPicture source(8 * 4, 2);
        for (size_t i = 0; i < source.Bytes.size(); ++i)
            source.Bytes[i] = colour.Bgra[i % 4];
        for (int32_t bits : {8, 15, 16, 24, 32}) {
            converter.SetBitsPixel(bits);
            ASSERT_TRUE(converter.PictureToBitmap(&source.Picture, AV_PIX_FMT_BGRA, true, 2, 8));
            EXPECT_EQ(converter.Bitmap()->Canvas()->Pixels(3, 1), colour.Color) << bits << " bits";
        }
    }
}

TEST_F(FormatConverterTest, EightBitBitmapsCarryThe332Palette)
{
    converter.SetBitsPixel(8);
    const TPalette& palette = converter.Bitmap()->Palette();
    ASSERT_EQ(palette.Count(), 256u);
    EXPECT_EQ(palette.Entry(0x07), (TPaletteEntry{255, 0, 0, 0}));
    EXPECT_EQ(palette.Entry(0x38), (TPaletteEntry{0, 255, 0, 0}));
    EXPECT_EQ(palette.Entry(0xC0), (TPaletteEntry{0, 0, 255, 0}));
    EXPECT_EQ(palette.Entry(0x49), (TPaletteEntry{36, 36, 85, 0}));
}

TEST_F(FormatConverterTest, BitmapChangesReachThePicture)
{
    // Already in the bitmap's layout: the caller's picture itself changes.
    TTestPicture direct(8 * 4, 2);
    ASSERT_TRUE(converter.PictureToBitmap(&direct.Picture, AV_PIX_FMT_BGRA, true, 2, 8));
    converter.Bitmap()->ScanLine(1)[4] = 0x99;
    converter.CopyBitmapToPicture();
    EXPECT_EQ(direct.Row(1)[4], 0x99);

    // Converted: the change goes back through the picture's own format.
    TTestPicture grey(8, 2);
    ASSERT_TRUE(converter.PictureToBitmap(&grey.Picture, AV_PIX_FMT_GRAY8, true, 2, 8));
    ASSERT_EQ(converter.CurrentPicture(), converter.Picture());
    for (int32_t i = 0; i < 3; ++i)
        converter.Bitmap()->ScanLine(1)[8 + i] = 255;
    converter.CopyBitmapToPicture();
    ASSERT_TRUE(converter.BitmapToPicture(&grey.Picture, AV_PIX_FMT_GRAY8, 2, 8));
    EXPECT_GT(grey.Row(1)[2], 200);
    EXPECT_LT(grey.Row(0)[2], 50);
}

TEST_F(FormatConverterTest, FailuresAndMissingPictures)
{
    EXPECT_THROW(converter.CopyPictureToBitmap(), EInvalidOperation);
    EXPECT_THROW(converter.CopyBitmapToPicture(), EInvalidOperation);
    TTestPicture target(16, 2);
    EXPECT_THROW(converter.BitmapToPicture(&target.Picture, AV_PIX_FMT_GRAY8, 2, 16), EInvalidOperation);

    // No scaler converts from "no format".
    EXPECT_FALSE(converter.PictureToBitmap(&target.Picture, AV_PIX_FMT_NONE, true, 2, 16));
    EXPECT_EQ(converter.LastErrorText, "Cannot initialize the toRGB conversion context");
    EXPECT_EQ(converter.CurrentPicture(), nullptr);

    ASSERT_TRUE(converter.PictureToBitmap(&target.Picture, AV_PIX_FMT_GRAY8, true, 2, 4));
    EXPECT_FALSE(converter.BitmapToPicture(&target.Picture, AV_PIX_FMT_NONE, 2, 4));
    EXPECT_EQ(converter.LastErrorText, "Cannot initialize the fromRGB conversion context");
}

} // namespace
