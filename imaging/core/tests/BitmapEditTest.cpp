#include <gtest/gtest.h>

#include <cstring>

#include "QkBitmapTestSupport.h"
#include "QkTestFolder.h"
#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkSettings.h"
#include "platform/gfx/Bitmap.h"

namespace {

// A 10 x 10 gray image whose pixel (x, y) is x + 10 * y.
void NumberedGray(TQkBitmap& bitmap, int32_t width = 10, int32_t height = 10)
{
    bitmap.Allocate(width, height, qk8g);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            bitmap.GetScanline(y)[x] = static_cast<uint8_t>(x + 10 * y);
}

TEST(BitmapEditTest, FillRectClipsToTheImage)
{
    TQkBitmap bitmap(10, 10, qk8g);
    bitmap.FillRect(-5, -5, 2, 2, 200);
    bitmap.FillRect(5, 5, 4, 9, 100);
    bitmap.FillRect(8, 8, 30, 30, 7.9);
    int32_t filled = 0;
    for (int32_t y = 0; y < 10; ++y)
        for (int32_t x = 0; x < 10; ++x) {
            const uint8_t v = bitmap.GetPixel8(x, y);
            const uint8_t expected = (x <= 2 && y <= 2) ? 200 : (x >= 8 && y >= 8) ? 7 : 0;
            EXPECT_EQ(v, expected) << x << "," << y;
            filled += v != 0;
        }
    EXPECT_EQ(filled, 13);

    TQkBitmap mono(10, 1, qk1g);
    mono.FillRect(1, 0, 8, 0, 1);
    EXPECT_EQ(mono.GetScanline(0)[0], 0x7F);
    EXPECT_EQ(mono.GetScanline(0)[1], 0x80);
}

TEST(BitmapEditTest, FillKeepsFloatsWhileFillRectTruncates)
{
    TQkBitmap bitmap(10, 10, qk32f);
    bitmap.Fill(0.5);
    EXPECT_FLOAT_EQ(bitmap.GetPixel32f(9, 9), 0.5f);
    EXPECT_FALSE(bitmap.Full());
    bitmap.FillRect(0, 0, 9, 9, 0.5);
    EXPECT_FLOAT_EQ(bitmap.GetPixel32f(3, 3), 0.0f);
    bitmap.Fill(1.0);
    EXPECT_TRUE(bitmap.Full());

    TQkBitmap rgba(3, 2, qk32RGB);
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 3; ++x)
            rgba.GetScanline(y)[4 * x + 3] = 9;
    rgba.Fill(static_cast<double>(0x00FFFFFF));
    EXPECT_TRUE(rgba.Full());
    for (int32_t y = 0; y < 2; ++y)
        EXPECT_EQ(std::vector<uint8_t>(rgba.GetScanline(y), rgba.GetScanline(y) + 4),
                  (std::vector<uint8_t>{255, 255, 255, 9}));
}

struct TResizeCase {
    int32_t NewWidth;
    uint8_t Align;
    int32_t FirstOldColumn; // where old column 0 (or the first kept one) lands
    int32_t KeptFrom; // the first old column kept
    int32_t KeptCount;
};

TEST(BitmapEditTest, ResizePlacesTheOldPixelsByAlignment)
{
    const TResizeCase cases[] = {
        {20, 0, 0, 0, 10}, {20, 1, 5, 0, 10}, {20, 2, 10, 0, 10}, {4, 0, 0, 0, 4}, {4, 1, 0, 3, 4}, {4, 2, 0, 6, 4},
    };
    for (const TResizeCase& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.NewWidth << " align " << int(c.Align));
        TQkBitmap bitmap;
        NumberedGray(bitmap);
        bitmap.SetAlpha(0, 0, 255);
        bitmap.Resize(c.NewWidth, 10, 222, 17, c.Align, 0);
        ASSERT_EQ(bitmap.GetWidth(), c.NewWidth);
        ASSERT_EQ(bitmap.GetAlphaChannel()->GetWidth(), c.NewWidth);
        for (int32_t x = 0; x < c.NewWidth; ++x) {
            const int32_t old = x - c.FirstOldColumn + c.KeptFrom;
            const bool kept = x >= c.FirstOldColumn && x < c.FirstOldColumn + c.KeptCount;
            EXPECT_EQ(bitmap.GetPixel8(x, 3), kept ? old + 30 : 222) << "column " << x;
            EXPECT_EQ(bitmap.GetAlpha(x, 3), kept ? 255 : 17) << "alpha column " << x;
        }
    }
    TQkBitmap taller;
    NumberedGray(taller);
    taller.Resize(10, 14, 1, 0, 0, 2);
    EXPECT_EQ(taller.GetPixel8(4, 3), 1);
    EXPECT_EQ(taller.GetPixel8(4, 4), 4);
    EXPECT_EQ(taller.GetPixel8(4, 13), 94);
}

TEST(BitmapEditTest, CopyRectToClipsANegativeDestination)
{
    TQkBitmap source;
    NumberedGray(source);
    TQkBitmap destination(5, 5, qk8g);
    source.CopyRectTo(destination, 2, 1, -3, 0, 6, 2);
    EXPECT_EQ(destination.GetPixel8(0, 0), 15); // source column 2 + 3 of row 1
    EXPECT_EQ(destination.GetPixel8(2, 1), 27);
    EXPECT_EQ(destination.GetPixel8(3, 0), 0);
    EXPECT_EQ(destination.GetPixel8(0, 2), 0);

    TQkBitmap wide(3, 1, qk32RGB);
    TQkBitmap other(3, 1, qk32RGB);
    for (int32_t i = 0; i < 12; ++i)
        wide.GetScanline(0)[i] = static_cast<uint8_t>(i + 1);
    wide.CopyRectTo(other, 1, 0, 0, 0, 2, 1);
    EXPECT_EQ(std::vector<uint8_t>(other.GetScanline(0), other.GetScanline(0) + 12),
              (std::vector<uint8_t>{5, 6, 7, 8, 9, 10, 11, 12, 0, 0, 0, 0}));
}

TEST(BitmapEditTest, AssignCopiesTheAlphaChannelOrDropsIt)
{
    TQkBitmap withAlpha;
    NumberedGray(withAlpha, 4, 3);
    withAlpha.SetAlpha(1, 2, 40);
    TQkBitmap copy(2, 2, qk24RGB);
    copy.Assign(&withAlpha);
    EXPECT_EQ(copy.GetPixelFormat(), qk8g);
    EXPECT_EQ(RowBytes(copy), RowBytes(withAlpha));
    ASSERT_TRUE(copy.HasAlphaChannel());
    EXPECT_EQ(copy.GetAlpha(1, 2), 40);

    TQkBitmap plain;
    NumberedGray(plain, 4, 3);
    copy.Assign(&plain);
    EXPECT_FALSE(copy.HasAlphaChannel());

    TQkBitmap image(4, 3, qk8g);
    image.SetAlpha(0, 0, 9);
    image.AssignImage(plain);
    EXPECT_EQ(RowBytes(image), RowBytes(plain));
    ASSERT_TRUE(image.HasAlphaChannel());
    EXPECT_EQ(image.GetAlpha(0, 0), 9);

    TQkBitmap fresh(2, 2, qk8g);
    EXPECT_FALSE(fresh.HasAlphaChannel());
    EXPECT_EQ(fresh.GetAlpha(1, 1), 255);
    EXPECT_TRUE(fresh.HasAlphaChannel());
}

TEST(BitmapEditTest, RemovingAlphaMergesOntoTheBackground)
{
    TQkBitmap bitmap(2, 1, qk24RGB);
    std::memset(bitmap.GetScanline(0), 100, 6);
    bitmap.SetAlpha(0, 0, 0);
    bitmap.SetAlpha(1, 0, 255);
    bitmap.RemoveAlphaChannel(true, clWhite);
    EXPECT_FALSE(bitmap.HasAlphaChannel());
    EXPECT_EQ(bitmap.GetScanline(0)[0], 255);
    EXPECT_EQ(bitmap.GetScanline(0)[3], 255 + (100 - 255) * 255 / 256 - 1); // floor of -154.39
}

class BitmapFileEditTest : public ::testing::Test {
protected:
    BitmapFileEditTest()
    {
        TemporaryDirectory = folder.Path();
        MemoryThresholdOverride = 0;
    }
    ~BitmapFileEditTest() override
    {
        TemporaryDirectory.clear();
        MemoryThresholdOverride = -1;
    }

    TestFolder folder;
};

TEST_F(BitmapFileEditTest, FileToFileAssignCopiesEveryRow)
{
    TQkBitmap source(7, 5, qk24RGB);
    ASSERT_EQ(source.Location(), qkFile);
    FillPattern(source);
    TQkBitmap copy;
    copy.Assign(&source);
    EXPECT_EQ(copy.Location(), qkFile);
    EXPECT_EQ(RowBytes(copy), RowBytes(source));

    // A rectangle copied within a file-stored bitmap.
    copy.CopyRectTo(copy, 0, 0, 4, 3, 2, 2);
    EXPECT_EQ(copy.GetPixel24(4, 3).g, source.GetPixel24(0, 0).g);
    EXPECT_EQ(copy.GetPixel24(5, 4).b, source.GetPixel24(1, 1).b);
    EXPECT_EQ(copy.GetPixel24(3, 3).r, source.GetPixel24(3, 3).r);
}

TEST(BitmapEditTest, WideFormatsNeverOverrunAStore)
{
    for (TQkPixelFormat format : {qk16g, qk32f, qkCMYK, qkRGB48, qkCIELab}) {
        SCOPED_TRACE(static_cast<int>(format));
        TQkBitmap source(33, 9, format);
        for (int32_t y = 0; y < 9; ++y)
            std::memset(source.GetScanline(y), 0xAB, source.GetRowLen());
        TQkBitmap preview(4, 4, qk24RGB);
        preview.GetVclBitmap();
        preview.Assign(&source);
        EXPECT_EQ(preview.Location(), qkTBitmap);
        if (format == qk16g) {
            EXPECT_EQ(preview.GetPixelFormat(), qk8g);
            EXPECT_EQ(preview.GetWidth(), 33);
            EXPECT_EQ(preview.GetPixel8(32, 8), 0xAB);
        } else {
            EXPECT_TRUE(preview.IsEmpty());
        }
    }
}

TEST(BitmapEditTest, PalettesTravelAndScansLookAtTheRightThings)
{
    TQkBitmap palette(2, 2, qk8p);
    TRGBPixel gray{};
    gray.r = gray.g = gray.b = 9;
    for (int32_t i = 0; i < 256; ++i)
        palette.SetPaletteColor(i, gray);
    EXPECT_TRUE(palette.IsGrayScale());
    palette.SetWidth(5);
    EXPECT_EQ(palette.GetPaletteLength(), 256);
    TRGBPixel red{};
    red.r = 1;
    palette.SetPaletteColor(3, red);
    EXPECT_FALSE(palette.IsGrayScale());

    TQkBitmap target(2, 2, qk8p);
    TQkBitmap plain(2, 2, qk8g);
    plain.CopyPaletteTo(&target);
    EXPECT_EQ(target.GetPaletteLength(), 0);
    EXPECT_EQ(target.PaletteColors(), 256);

    TQkBitmap colour(2, 1, qk24RGB);
    EXPECT_TRUE(colour.IsAllZero());
    colour.GetScanline(0)[4] = 1;
    EXPECT_FALSE(colour.IsGrayScale());
    EXPECT_FALSE(colour.IsAllZero());

    TQkBitmap alpha(3, 2, qk8g);
    alpha.Fill(255);
    alpha.SetFull(false);
    alpha.UpdateFullAlphaFlag();
    EXPECT_TRUE(alpha.Full());
}

} // namespace
