#include <gtest/gtest.h>

#include <array>
#include <stdexcept>
#include <vector>

#include "QkBitmapTestSupport.h"
#include "imaging/core/QkQuantizer.h"
#include "imaging/core/QkSettings.h"
#include "imaging/core/QkStartup.h"

namespace {

// The library is started so that the quantizer settings are automatic.
class QuantizerTest : public ::testing::Test {
protected:
    void SetUp() override { LibraryStaticInit(); }
    void TearDown() override { LibraryStaticFinal(); }

    std::array<TRGBPixel, 256> Palette{};
};

bool SamePalettes(const std::vector<TRGBPixel>& a, const std::vector<TRGBPixel>& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), SameRGBPixel);
}

TEST_F(QuantizerTest, FewColoursAreKeptExactly)
{
    const std::array<TRGBPixel, 5> colours{MakeRGBPixel(255, 0, 0), MakeRGBPixel(0, 255, 0), MakeRGBPixel(0, 0, 255),
                                           MakeRGBPixel(10, 20, 30), MakeRGBPixel(200, 100, 50)};
    TQkBitmap image(7, 3, qk24RGB);
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 7; ++x)
            image.SetPixel24(x, y, colours[static_cast<size_t>((y * 7 + x) % 5)]);
    const TQkQuantizer quantizer(image, 16, Palette);
    EXPECT_EQ(quantizer.Method(), -1);
    ASSERT_EQ(quantizer.Palette().size(), 5U);
    for (int32_t i = 0; i < 5; ++i) {
        EXPECT_TRUE(SameRGBPixel(Palette[static_cast<size_t>(i)], colours[static_cast<size_t>(i)]));
        EXPECT_EQ(quantizer.GetPaletteIndex(colours[static_cast<size_t>(i)]), i);
    }
    const TRGBPixel missing = MakeRGBPixel(11, 21, 31);
    EXPECT_EQ(quantizer.GetPaletteIndex(missing), -1);
    EXPECT_EQ(quantizer.GetValidPaletteIndex(missing), 3);
}

TEST_F(QuantizerTest, GrayImagesGetAGrayRamp)
{
    for (TQkPixelFormat format : {qk8g, qk24RGB}) {
        SCOPED_TRACE(format);
        TQkBitmap gray(40, 2, format);
        for (int32_t x = 0; x < 40; ++x) {
            const auto level = static_cast<uint8_t>(x * 6);
            for (int32_t y = 0; y < 2; ++y) {
                if (format == qk8g)
                    gray.SetPixel8(x, y, level);
                else
                    gray.SetPixel24(x, y, MakeRGBPixel(level, level, level));
            }
        }
        const TQkQuantizer quantizer(gray, 16, Palette);
        for (int32_t i = 0; i < 16; ++i)
            EXPECT_EQ(Palette[static_cast<size_t>(i)].g, i * 16);
        EXPECT_EQ(quantizer.GetPaletteIndex(MakeRGBPixel(130, 130, 130)), 8);
    }
}

TEST_F(QuantizerTest, PaletteImagesAreLookedUpInTheirOwnPalette)
{
    // All gray but not the ramp: the ramp formula would give other indices.
    TQkBitmap image(16, 16, qk8p);
    for (int32_t i = 0; i < 256; ++i) {
        const auto level = static_cast<uint8_t>(255 - i);
        image.SetPaletteColor(i, MakeRGBPixel(level, level, level));
        image.GetScanline(i / 16)[i % 16] = static_cast<uint8_t>(i);
    }
    ASSERT_TRUE(image.IsGrayScale());
    const TQkQuantizer quantizer(image, 256, Palette);
    for (int32_t y = 0; y < 16; ++y)
        for (int32_t x = 0; x < 16; ++x)
            EXPECT_EQ(quantizer.GetPaletteIndex(image.GetPixelRGB(x, y)), image.GetScanline(y)[x]);

    TQkBitmap colour(2, 1, qk8p);
    colour.SetPaletteColor(0, MakeRGBPixel(255, 0, 0));
    const TQkQuantizer small(colour, 256, Palette);
    EXPECT_EQ(small.GetPaletteIndex(MakeRGBPixel(1, 2, 3)), colour.GetPaletteLength());
    EXPECT_LT(small.GetValidPaletteIndex(MakeRGBPixel(1, 2, 3)), colour.GetPaletteLength());
}

TEST_F(QuantizerTest, MethodFollowsTheSettingAndThePaletteSize)
{
    TQkBitmap image(64, 64, qk24RGB);
    FillPattern(image);
    const struct {
        int32_t Setting;
        int32_t Colours;
        int32_t Method;
    } cases[] = {
        {-1, 64, qmBoxSplitting}, {-1, 127, qmBoxSplitting}, {-1, 128, qmNeuQuant},
        {-1, 256, qmNeuQuant},    {0, 16, qmNeuQuant},       {1, 256, qmBoxSplitting},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "setting " << c.Setting << ", " << c.Colours << " colours");
        QuantizerMethod = c.Setting;
        const TQkQuantizer quantizer(image, c.Colours, Palette);
        EXPECT_EQ(quantizer.Method(), c.Method);
        EXPECT_EQ(static_cast<int32_t>(quantizer.Palette().size()), c.Colours);
        for (const TRGBPixel colour : {MakeRGBPixel(0, 0, 0), MakeRGBPixel(255, 255, 255), MakeRGBPixel(9, 200, 77)}) {
            const int32_t index = quantizer.GetPaletteIndex(colour);
            EXPECT_GE(index, 0);
            EXPECT_LT(index, c.Colours);
        }
    }
}

TEST_F(QuantizerTest, OneBoxHoldsTheMeanInFiveBitSteps)
{
    TQkBitmap image(4, 1, qk24RGB);
    for (int32_t x = 0; x < 4; ++x)
        image.SetPixel24(x, 0, x < 3 ? MakeRGBPixel(255, 0, 0) : MakeRGBPixel(0, 0, 255));
    const TQkQuantizer quantizer(image, 1, Palette);
    EXPECT_EQ(quantizer.Method(), qmBoxSplitting);
    // Red 31 x 3/4 = 23.25 and blue 31/4 = 7.75 histogram steps.
    EXPECT_TRUE(SameRGBPixel(Palette[0], MakeRGBPixel(23 * 8, 0, 8 * 8)));
    EXPECT_EQ(quantizer.GetPaletteIndex(MakeRGBPixel(1, 2, 3)), 0);
}

// Sizes beyond 16 bits are counted whole, and box splitting does not depend
// on where the pixels are.
TEST_F(QuantizerTest, BoxSplittingOfAWideImageEqualsItsTranspose)
{
    QuantizerMethod = qmBoxSplitting;
    constexpr int32_t Long = 70000;
    TQkBitmap wide(Long, 2, qk24RGB);
    TQkBitmap tall(2, Long, qk24RGB);
    for (int32_t i = 0; i < Long; ++i) {
        for (int32_t j = 0; j < 2; ++j) {
            // Most pixels fall in one corner of the cube: wrapped sizes
            // would weigh it differently.
            const TRGBPixel pixel = i < 60000 ? MakeRGBPixel(i % 40, j * 30, i % 7)
                                              : MakeRGBPixel(i % 251, (i * 3) % 256, (i * 7 + j) % 256);
            wide.SetPixel24(i, j, pixel);
            tall.SetPixel24(j, i, pixel);
        }
    }
    const TQkQuantizer fromWide(wide, 16, Palette);
    const std::vector<TRGBPixel> widePalette = fromWide.Palette();
    const TQkQuantizer fromTall(tall, 16, Palette);
    ASSERT_EQ(widePalette.size(), 16U);
    EXPECT_TRUE(SamePalettes(widePalette, fromTall.Palette()));
    EXPECT_EQ(fromWide.GetPaletteIndex(MakeRGBPixel(20, 0, 3)), fromTall.GetPaletteIndex(MakeRGBPixel(20, 0, 3)));
}

TEST_F(QuantizerTest, NeuralNetworkIsReproducibleAndCoversTheColours)
{
    QuantizerMethod = qmNeuQuant;
    // Fewer pixels than the sampling step: every sample stays inside.
    for (const int32_t side : {9, 96}) {
        SCOPED_TRACE(side);
        TQkBitmap image(side, side, qk24RGB);
        FillPattern(image);
        const TQkQuantizer first(image, 256, Palette);
        const TQkQuantizer second(image, 256, Palette);
        EXPECT_TRUE(SamePalettes(first.Palette(), second.Palette()));
        int64_t worst = 0;
        for (int32_t y = 0; y < side; ++y) {
            for (int32_t x = 0; x < side; ++x) {
                const TRGBPixel pixel = image.GetPixel24(x, y);
                const TRGBPixel& mapped = first.Palette()[static_cast<size_t>(first.GetPaletteIndex(pixel))];
                worst = std::max<int64_t>(
                    worst, std::abs(pixel.r - mapped.r) + std::abs(pixel.g - mapped.g) + std::abs(pixel.b - mapped.b));
            }
        }
        EXPECT_LT(worst, side == 9 ? 40 : 120);
    }
}

TEST_F(QuantizerTest, SamplingFactorFollowsQualityOrImageSize)
{
    std::array<TRGBPixel, 16> palette{};
    const struct {
        int32_t Width;
        int32_t Height;
        int32_t Quality;
        int32_t Factor;
    } cases[] = {
        {40, 49, -1, 1}, {1000, 150, -1, 15}, {4000, 1000, -1, 30}, {10, 10, 100, 1},
        {10, 10, 0, 30}, {10, 10, 50, 15},    {10, 10, 400, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Width << " x " << c.Height << ", quality " << c.Quality);
        TQkBitmap image(c.Width, c.Height, qk24RGB);
        EXPECT_EQ(TQkNeuQuant(image, palette, c.Quality, 16).SamplingFactor(), c.Factor);
    }
}

TEST_F(QuantizerTest, EmptyPaletteIsRefused)
{
    TQkBitmap image(4, 4, qk24RGB);
    FillPattern(image);
    EXPECT_THROW(TQkQuantizer(image, 16, std::span<TRGBPixel>()), std::invalid_argument);
}

} // namespace
