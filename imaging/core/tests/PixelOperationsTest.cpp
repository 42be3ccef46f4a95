#include <gtest/gtest.h>

#include <numeric>

#include "QkBitmapTestSupport.h"
#include "imaging/core/BrelvixProc.h"
#include "imaging/core/QkConvolution.h"
#include "imaging/core/QkGaussianBlur.h"
#include "imaging/core/QkHSL.h"
#include "imaging/core/QkRegionOps.h"
#include "imaging/core/QkSoftShadow.h"

namespace {

// A component over the caller's bitmap, with undo entries in memory.
class ProcFixture : public ::testing::Test {
protected:
    ProcFixture() : proc(new TBrelvixProc(&owner))
    {
        proc->SetUndoLocation(qkMemory);
        proc->OnFinishWork = [this](TObject*) { ++finishes; };
    }
    void Attach(TQkBitmap& bitmap) { proc->AttachBitmap(&bitmap); }

    TComponent owner{nullptr};
    TBrelvixProc* proc;
    int32_t finishes = 0;
};

using PixelOperationsTest = ProcFixture;

TEST_F(PixelOperationsTest, ImageResizeCaptionAndNoOps)
{
    TQkBitmap bitmap(320, 200, qk24RGB);
    Attach(bitmap);
    proc->ImageResize(320, 200, 0, 0, 255);
    proc->ImageResize(0, 480, 0, 0, 255);
    EXPECT_EQ(proc->GetUndoCount(), 0);
    EXPECT_EQ(finishes, 0);
    proc->ImageResize(640, 480, 1, 1, 0);
    EXPECT_EQ(proc->GetUndoCaption(0), "ImageResize 640,480");
    EXPECT_EQ(bitmap.GetWidth(), 640);
    EXPECT_EQ(bitmap.GetHeight(), 480);
    ASSERT_TRUE(bitmap.HasAlphaChannel());
    EXPECT_EQ(bitmap.GetAlpha(0, 0), 0);
    EXPECT_EQ(finishes, 1);
}

TEST_F(PixelOperationsTest, FillTakesEachFormatsMeaningOfTheColour)
{
    TQkBitmap mono(10, 3, qk1g);
    mono.Fill(1);
    Attach(mono);
    proc->Fill(0x00FFFF);
    EXPECT_EQ(proc->GetUndoCaption(0), "Fill (0, 255, 255)");
    EXPECT_EQ(mono.GetScanline(1)[0], 0) << "only red decides";
    proc->Fill(0x010000);
    EXPECT_EQ(mono.GetScanline(1)[0], 0xFF);

    TQkBitmap gray(4, 4, qk8g);
    Attach(gray);
    proc->Fill(0x00FFFF);
    EXPECT_EQ(gray.GetPixel8(3, 3), 201);

    TQkBitmap colour(4, 4, qk24RGB);
    Attach(colour);
    proc->Fill(0x102030);
    EXPECT_TRUE(SameRGBPixel(colour.GetPixel24(2, 2), MakeRGBPixel(0x10, 0x20, 0x30)));

    TQkBitmap words(4, 4, qk16g);
    FillRegion(words, 1, 1, 99, 2, 0x00FF00, nullptr, TQkProgressEvent());
    EXPECT_EQ(words.GetPixel16(0, 1), 0);
    EXPECT_NE(words.GetPixel16(3, 1), 0);
    EXPECT_EQ(words.GetPixel16(3, 2), 0) << "y2 is exclusive";
}

TEST_F(PixelOperationsTest, ConvertToGrayConvertsPaletteImagesOnlyWhenAllowed)
{
    TQkBitmap palette(3, 2, qk8p);
    palette.SetPaletteColor(0, MakeRGBPixel(200, 100, 50));
    Attach(palette);
    proc->SetAutoConvertFormat(false);
    proc->ConvertToGray();
    EXPECT_EQ(palette.GetPixelFormat(), qk8p);
    EXPECT_EQ(proc->GetUndoCount(), 1) << "the entry comes before the format check";
    EXPECT_EQ(finishes, 0);
    proc->SetAutoConvertFormat(true);
    proc->ConvertToGray();
    ASSERT_EQ(palette.GetPixelFormat(), qk24RGB);
    const uint8_t gray = (200 * 21 + 100 * 71 + 50 * 8) / 100;
    EXPECT_TRUE(SameRGBPixel(palette.GetPixel24(2, 1), MakeRGBPixel(gray, gray, gray)));
    EXPECT_EQ(proc->GetUndoCaption(0), "ConvertToGray");
}

TEST(PixelRoutinesTest, ConvolutionWritesTheAbsoluteSum)
{
    TQkBitmap bitmap(5, 5, qk8g);
    bitmap.Fill(40);
    bitmap.SetPixel8(2, 2, 45);
    Convolve3x3Gray(bitmap, BuiltInConvolutionPresets()[2], 0, 0, 5, 5);
    EXPECT_EQ(bitmap.GetPixel8(2, 2), 40) << "8 * 40 - 8 * 45";
    EXPECT_EQ(bitmap.GetPixel8(1, 1), 5);
    EXPECT_EQ(bitmap.GetPixel8(0, 0), 0);

    TQkBitmap blurred(3, 1, qk8g);
    blurred.SetPixel8(0, 0, 90);
    Convolve3x3Gray(blurred, BuiltInConvolutionPresets()[BlurPresetIndex], 0, 0, 1, 1);
    EXPECT_EQ(blurred.GetPixel8(0, 0), (6 * 90) / 9) << "edge pixels repeat";
    EXPECT_EQ(blurred.GetPixel8(1, 0), 0) << "outside the rectangle";
}

TEST(PixelRoutinesTest, GaussianKernelTrimsAndBlursSymmetrically)
{
    TGaussianKernel kernel;
    BuildGaussianKernel(kernel, 0.3);
    EXPECT_EQ(kernel.Radius, 1);
    EXPECT_GT(kernel.Taps[99], 0);
    EXPECT_EQ(kernel.Taps[98], 0);
    BuildGaussianKernel(kernel, 4);
    EXPECT_NEAR(std::accumulate(kernel.Taps.begin(), kernel.Taps.end(), 0), 65536, 100);

    const uint8_t edge[4] = {200, 0, 0, 0};
    uint8_t line[4];
    GaussianBlurLine(kernel, edge, line, 4);
    EXPECT_GT(line[0], line[1]);
    EXPECT_GT(line[0], 200 / 2) << "the first pixel repeats before the line";

    TQkBitmap bitmap(21, 21, qk8g);
    bitmap.SetPixel8(10, 10, 255);
    GaussianBlurGray(bitmap, 0, 0, 99, 99, 2);
    EXPECT_LT(bitmap.GetPixel8(10, 10), 255);
    for (int32_t d = 1; d <= 6; ++d) {
        EXPECT_EQ(bitmap.GetPixel8(10 - d, 10), bitmap.GetPixel8(10 + d, 10)) << d;
        EXPECT_EQ(bitmap.GetPixel8(10, 10 - d), bitmap.GetPixel8(10, 10 + d)) << d;
        EXPECT_EQ(bitmap.GetPixel8(10 - d, 10), bitmap.GetPixel8(10, 10 - d)) << d;
    }
    EXPECT_GT(bitmap.GetPixel8(11, 10), 0);
    GaussianBlurGray(bitmap, 0, 0, 20, 20, 0);
}

TEST(PixelRoutinesTest, HslRoundTripWithinOne)
{
    double hue = 0;
    double saturation = 0;
    double lightness = 0;
    RGBPixelToHSL(MakeRGBPixel(255, 0, 0), hue, saturation, lightness);
    EXPECT_DOUBLE_EQ(hue, 0);
    EXPECT_DOUBLE_EQ(saturation, 1);
    EXPECT_DOUBLE_EQ(lightness, 0.5);
    RGBPixelToHSL(MakeRGBPixel(0, 0, 255), hue, saturation, lightness);
    EXPECT_DOUBLE_EQ(hue, 2.0 / 3);
    for (int r = 0; r < 256; r += 15)
        for (int g = 0; g < 256; g += 17)
            for (int b = 0; b < 256; b += 13) {
                const TRGBPixel pixel = MakeRGBPixel(r, g, b);
                RGBPixelToHSL(pixel, hue, saturation, lightness);
                TRGBPixel back;
                HSLToRGBPixel(hue, saturation, lightness, back);
                ASSERT_LE(std::abs(back.r - r) + std::abs(back.g - g) + std::abs(back.b - b), 3)
                    << r << "," << g << "," << b;
                ASSERT_LE(std::max({std::abs(back.r - r), std::abs(back.g - g), std::abs(back.b - b)}), 1);
            }
    TRGBPixel wrapped;
    HSLToRGBPixel(-0.5, 2, 0.5, wrapped);
    EXPECT_TRUE(SameRGBPixel(wrapped, MakeRGBPixel(0, 255, 255)));
}

TEST(PixelRoutinesTest, SoftShadowFallsBesideTheShape)
{
    TQkBitmap bitmap(40, 40, qk24RGB);
    bitmap.Fill(clWhite);
    TQkBitmap& alpha = *bitmap.GetAlphaChannel();
    alpha.Fill(0);
    alpha.FillRect(10, 10, 19, 19, 255);
    const int32_t margin = AddSoftShadow(bitmap, 3, -4, 0, 100, clBlue, 10, 10, 19, 19);
    EXPECT_EQ(margin, 18);
    EXPECT_EQ(bitmap.GetAlpha(15, 15), 255) << "the shape stays opaque";
    EXPECT_TRUE(SameRGBPixel(bitmap.GetPixel24(15, 15), MakeRGBPixel(255, 255, 255)));
    EXPECT_GT(bitmap.GetAlpha(21, 8), 0) << "shadow moved right and up";
    EXPECT_TRUE(SameRGBPixel(bitmap.GetPixel24(21, 8), MakeRGBPixel(0, 0, 255)));
    EXPECT_EQ(bitmap.GetAlpha(5, 30), 0);
    EXPECT_EQ(bitmap.GetAlpha(9, 21), 0) << "nothing below-left of the shape";

    TQkBitmap opaque(8, 8, qk24RGB);
    EXPECT_EQ(AddSoftShadow(opaque, 1, 1, 2, 50, clBlack, 0, 0, 7, 7), 0);
    EXPECT_FALSE(opaque.HasAlphaChannel());
}

} // namespace
