#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "QkBitmapTestSupport.h"
#include "imaging/core/BrelvixProc.h"
#include "imaging/core/QkBitmapRoutines.h"
#include "imaging/core/QkRotate.h"

namespace {

// A smooth qk24RGB image: gradients and a slow wave, no hard edges.
void FillSmooth(TQkBitmap& bitmap)
{
    for (int32_t y = 0; y < bitmap.GetHeight(); ++y)
        for (int32_t x = 0; x < bitmap.GetWidth(); ++x) {
            const double wave = 60 * std::sin(x / 9.0) * std::cos(y / 7.0);
            bitmap.SetPixel24(x, y,
                              MakeRGBPixel(static_cast<uint8_t>(40 + x), static_cast<uint8_t>(100 + wave),
                                           static_cast<uint8_t>(50 + 2 * y)));
        }
}

std::unique_ptr<TQkBitmap> Rotated(TQkBitmap& original, double angle, bool antialias, uint8_t mode, TColor background)
{
    auto bitmap = std::make_unique<TQkBitmap>();
    bitmap->Assign(&original);
    TBrelvixProc proc(nullptr);
    proc.AttachBitmap(bitmap.get());
    proc.Rotate(angle, antialias, mode, background);
    return bitmap;
}

// PSNR of the central w x h windows of two images, aligned at their centres.
double CentrePsnr(TQkBitmap& a, TQkBitmap& b, int32_t w, int32_t h)
{
    const int32_t ax = (a.GetWidth() - w) / 2;
    const int32_t ay = (a.GetHeight() - h) / 2;
    const int32_t bx = (b.GetWidth() - w) / 2;
    const int32_t by = (b.GetHeight() - h) / 2;
    double squares = 0;
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            const TRGBPixel p = a.GetPixel24(ax + x, ay + y);
            const TRGBPixel q = b.GetPixel24(bx + x, by + y);
            for (const int d : {p.r - q.r, p.g - q.g, p.b - q.b})
                squares += d * d;
        }
    const double mse = squares / (3.0 * w * h);
    return mse == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
}

TEST(FreeRotateTest, ThirtyDegreesGrowsTheImageAndMatchesThePeers)
{
    TQkBitmap original(100, 50, qk24RGB);
    FillSmooth(original);
    const std::string input = ScratchFile("in.ppm");
    WritePpm(original, input);
    const std::string magick = ScratchFile("magick.ppm");
    const std::string vips = ScratchFile("vips.ppm");
    ASSERT_TRUE(RunTool("convert " + input + " -background black -rotate -30 " + magick));
    // Both peers turn clockwise. vips writes a comment into its PPM header;
    // ImageMagick rewrites it plainly.
    ASSERT_TRUE(RunTool("vips rotate " + input + " " + vips + ".png -- -30 && convert " + vips + ".png " + vips));
    TQkBitmap byMagick;
    TQkBitmap byVips;
    ASSERT_TRUE(ReadPpm(magick, byMagick));
    ASSERT_TRUE(ReadPpm(vips, byVips));
    for (const uint8_t mode : {0, 1, 2}) {
        SCOPED_TRACE(int(mode));
        const std::unique_ptr<TQkBitmap> rotated = Rotated(original, 30, true, mode, clBlack);
        TQkBitmap& bitmap = *rotated;
        if (mode == 0) {
            EXPECT_EQ(bitmap.GetWidth(), 112);
            EXPECT_EQ(bitmap.GetHeight(), 94);
        }
        EXPECT_GE(CentrePsnr(bitmap, byMagick, 50, 30), 30);
        EXPECT_GE(CentrePsnr(bitmap, byVips, 50, 30), 30);
    }
}

TEST(FreeRotateTest, ModesBeyondTwoTakeTheShears)
{
    TQkBitmap original(30, 20, qk24RGB);
    FillPattern(original);
    EXPECT_TRUE(SameBitmaps(*Rotated(original, 17, true, 7, clBlack), *Rotated(original, 17, true, 0, clBlack)));
}

TEST(FreeRotateTest, UncoveredAlphaIsZero)
{
    TQkBitmap original(40, 30, qk24RGB);
    FillPattern(original);
    original.GetAlphaChannel()->Fill(255);
    for (const auto& [antialias, mode] :
         {std::pair{true, 0}, std::pair{true, 1}, std::pair{true, 2}, std::pair{false, 0}}) {
        SCOPED_TRACE(::testing::Message() << antialias << " " << mode);
        const std::unique_ptr<TQkBitmap> rotated =
            Rotated(original, 33, antialias, static_cast<uint8_t>(mode), clWhite);
        TQkBitmap& bitmap = *rotated;
        ASSERT_TRUE(bitmap.HasAlphaChannel());
        TQkBitmap& alpha = *bitmap.GetAlphaChannel();
        EXPECT_EQ(alpha.GetWidth(), bitmap.GetWidth());
        EXPECT_EQ(alpha.GetHeight(), bitmap.GetHeight());
        EXPECT_EQ(alpha.GetPixel8(0, 0), 0);
        EXPECT_EQ(alpha.GetPixel8(bitmap.GetWidth() - 1, bitmap.GetHeight() - 1), 0);
        EXPECT_EQ(alpha.GetPixel8(bitmap.GetWidth() / 2, bitmap.GetHeight() / 2), 255);
    }
}

// Beside a black/white edge the cubic weights ring below 0 on the black
// side; that must stay black rather than turn into light specks.
TEST(FreeRotateTest, BicubicKeepsTheDarkSideOfAnEdgeBlack)
{
    TQkBitmap original(60, 60, qk24RGB);
    for (int32_t y = 0; y < 60; ++y)
        for (int32_t x = 30; x < 60; ++x)
            original.SetPixel24(x, y, MakeRGBPixel(255, 255, 255));
    const std::unique_ptr<TQkBitmap> byBilinear = Rotated(original, 10, true, 1, clBlack);
    const std::unique_ptr<TQkBitmap> byBicubic = Rotated(original, 10, true, 2, clBlack);
    TQkBitmap& bilinear = *byBilinear;
    TQkBitmap& bicubic = *byBicubic;
    int32_t zeroByBoth = 0;
    for (int32_t y = 20; y < 50; ++y)
        for (int32_t x = 0; x < bicubic.GetWidth(); ++x)
            if (bilinear.GetPixel24(x, y).g == 0) {
                EXPECT_LE(bicubic.GetPixel24(x, y).g, 4) << x << "," << y;
                zeroByBoth += bicubic.GetPixel24(x, y).g == 0;
            }
    EXPECT_GT(zeroByBoth, 500);
}

TEST(FreeRotateTest, MonoTakesTheNearestPathWithAWhiteBitOnlyForWhite)
{
    TQkBitmap original(16, 10, qk1g);
    for (const auto& [background, bit] : {std::pair{clWhite, true}, std::pair{TColor(0x00FFFF), false}}) {
        const std::unique_ptr<TQkBitmap> rotated = Rotated(original, 30, true, 0, background);
        TQkBitmap& bitmap = *rotated;
        ASSERT_EQ(bitmap.GetPixelFormat(), qk1g);
        EXPECT_EQ(GetBit(bitmap.GetScanline(0), 0), bit);
        EXPECT_FALSE(GetBit(bitmap.GetScanline(bitmap.GetHeight() / 2), bitmap.GetWidth() / 2));
    }
}

TEST(FreeRotateTest, MonoMinus270IsNotAQuarterTurn)
{
    TQkBitmap original(3, 4, qk1g);
    for (int32_t y = 0; y < 4; ++y)
        original.GetScanline(y)[0] = static_cast<uint8_t>(0x20 << (y % 2)) | static_cast<uint8_t>(y == 3 ? 0x80 : 0);
    const auto turned = [&](double angle) {
        auto bitmap = std::make_unique<TQkBitmap>();
        bitmap->Assign(&original);
        RotateMono(*bitmap, false, TQkFilterProgress(), angle);
        return bitmap;
    };
    const std::unique_ptr<TQkBitmap> byQuarter = turned(90);
    const std::unique_ptr<TQkBitmap> byGeneral = turned(-270);
    TQkBitmap& quarter = *byQuarter;
    TQkBitmap& general = *byGeneral;
    EXPECT_EQ(general.GetWidth(), 4);
    EXPECT_EQ(general.GetHeight(), 3);
    EXPECT_FALSE(SameBitmaps(general, quarter));
    EXPECT_TRUE(SameBitmaps(*turned(-90), *turned(270)));
    // The exact turn: (x, y) -> (y, W - 1 - x).
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 3; ++x)
            EXPECT_EQ(GetBit(quarter.GetScanline(2 - x), y), GetBit(original.GetScanline(y), x));
}

TEST(FreeRotateTest, GrayAndPaletteImagesRotateWithTheirPalette)
{
    TQkBitmap palette(20, 12, qk8p);
    palette.SetPaletteColor(3, MakeRGBPixel(1, 2, 3));
    palette.Fill(3);
    RotateGrayByShear(palette, true, 0, nullptr, TQkProgressEvent(), 20);
    EXPECT_GT(palette.GetWidth(), 20);
    TRGBPixel entry;
    palette.GetPaletteColor(3, entry);
    EXPECT_TRUE(SameRGBPixel(entry, MakeRGBPixel(1, 2, 3)));
    EXPECT_EQ(palette.GetPixel8(palette.GetWidth() / 2, palette.GetHeight() / 2), 3);
    EXPECT_EQ(palette.GetPixel8(0, 0), 0);

    TQkBitmap gray(20, 12, qk8g);
    gray.Fill(200);
    RotateGrayNearest(gray, 9, 45);
    EXPECT_EQ(gray.GetPixel8(0, 0), 9);
    EXPECT_EQ(gray.GetPixel8(gray.GetWidth() / 2, gray.GetHeight() / 2), 200);
}

} // namespace
