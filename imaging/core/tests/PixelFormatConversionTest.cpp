#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "QkBitmapTestSupport.h"
#include "imaging/core/QkBilevel.h"
#include "imaging/core/QkColorRoutines.h"
#include "imaging/core/QkStartup.h"
#include "platform/gfx/Bitmap.h"

namespace {

// The library is started so that its hooks fill the bit-expansion table.
class PixelFormatConversionTest : public ::testing::Test {
protected:
    void SetUp() override { LibraryStaticInit(); }
    void TearDown() override { LibraryStaticFinal(); }
};

std::vector<uint8_t> FloatBytes(float value)
{
    std::vector<uint8_t> bytes(4);
    std::memcpy(bytes.data(), &value, 4);
    return bytes;
}

// A 1 x 1 bitmap holding `bytes`; qk8p gets one colour at index 0.
void MakePixel(TQkBitmap& bitmap, TQkPixelFormat format, const std::vector<uint8_t>& bytes)
{
    ASSERT_TRUE(bitmap.Allocate(1, 1, format));
    std::memcpy(bitmap.GetScanline(0), bytes.data(), bytes.size());
    if (format == qk8p)
        bitmap.SetPaletteColor(0, MakeRGBPixel(200, 100, 50));
}

std::vector<uint8_t> ConvertedPixel(TQkPixelFormat from, const std::vector<uint8_t>& bytes, TQkPixelFormat to,
                                    double rangeLow = 0, double rangeHigh = 0)
{
    TQkBitmap bitmap;
    MakePixel(bitmap, from, bytes);
    bitmap.SetRange(rangeLow, rangeHigh);
    EXPECT_TRUE(bitmap.ConvertToPixelFormat(to));
    EXPECT_EQ(bitmap.GetPixelFormat(), to);
    const uint8_t* row = bitmap.GetScanline(0);
    return {row, row + std::max(1, QkBytesPerPixel(to))};
}

std::vector<uint8_t> LabOf(uint8_t r, uint8_t g, uint8_t b)
{
    TCIELabPixel lab;
    RgbToCieLab(lab, MakeRGBPixel(r, g, b));
    return {lab.l, static_cast<uint8_t>(lab.a), static_cast<uint8_t>(lab.b)};
}

std::vector<uint8_t> RgbOfLab(uint8_t l, int8_t a, int8_t b)
{
    TRGBPixel rgb;
    CieLabToRgb(rgb, {l, a, b});
    return {rgb.b, rgb.g, rgb.r};
}

std::vector<uint8_t> RgbOfCmyk(uint8_t c, uint8_t m, uint8_t y, uint8_t k)
{
    TRGBPixel rgb;
    CmykToRgb({c, m, y, k}, rgb);
    return {rgb.b, rgb.g, rgb.r};
}

std::vector<uint8_t> CmykOfRgb(uint8_t r, uint8_t g, uint8_t b)
{
    const TCMYKPixel cmyk = RgbToCmyk(static_cast<uint32_t>(r << 16 | g << 8 | b));
    return {cmyk.c, cmyk.m, cmyk.y, cmyk.k};
}

uint8_t GrayOf(const std::vector<uint8_t>& bgr) { return RGBPixelToGray(MakeRGBPixel(bgr[2], bgr[1], bgr[0])); }

struct TConversionCase {
    const char* Name;
    TQkPixelFormat From;
    std::vector<uint8_t> Source;
    TQkPixelFormat To;
    std::vector<uint8_t> Expected;
};

TEST_F(PixelFormatConversionTest, EveryRuleOfTheTable)
{
    // The 8p source's colour is red 200, green 100, blue 50; the 48-bit one
    // red 0x1000, green 0x8000, blue 0xFF00.
    const std::vector<uint8_t> rgb48 = {0x00, 0x10, 0x00, 0x80, 0x00, 0xFF};
    const TConversionCase cases[] = {
        {"1g white to 8g", qk1g, {0x80}, qk8g, {255}},
        {"1g white to 16g", qk1g, {0x80}, qk16g, {0xFF, 0xFF}},
        {"1g black to 24", qk1g, {0x00}, qk24RGB, {0, 0, 0}},
        {"1g white to 48", qk1g, {0x80}, qkRGB48, {255, 255, 255, 255, 255, 255}},
        {"1g white to 32RGB", qk1g, {0x80}, qk32RGB, {255, 255, 255, 255}},
        {"1g white to 8p", qk1g, {0x80}, qk8p, {1}},
        {"1g black to Lab", qk1g, {0x00}, qkCIELab, LabOf(0, 0, 0)},
        {"1g white to Lab", qk1g, {0x80}, qkCIELab, LabOf(255, 255, 255)},
        {"8p to 8g by the gray weights", qk8p, {0}, qk8g, {117}},
        {"8p to 16g by the word weights", qk8p, {0}, qk16g, {0xE8, 0x75}},
        {"8p to 24", qk8p, {0}, qk24RGB, {50, 100, 200}},
        {"8p to 48", qk8p, {0}, qkRGB48, {0xC8, 0xC8, 0x64, 0x64, 0x32, 0x32}},
        {"8p to 32RGB", qk8p, {0}, qk32RGB, {50, 100, 200, 255}},
        {"8p to CMYK", qk8p, {0}, qkCMYK, CmykOfRgb(200, 100, 50)},
        {"8g to 8p", qk8g, {100}, qk8p, {100}},
        {"8g to 16g", qk8g, {100}, qk16g, {0x64, 0x64}},
        {"8g to 24", qk8g, {100}, qk24RGB, {100, 100, 100}},
        {"8g to 48", qk8g, {100}, qkRGB48, {0x64, 0x64, 0x64, 0x64, 0x64, 0x64}},
        {"8g to 32RGB", qk8g, {100}, qk32RGB, {100, 100, 100, 255}},
        {"8g to Lab", qk8g, {100}, qkCIELab, LabOf(100, 100, 100)},
        {"16g to 8p", qk16g, {0x34, 0x12}, qk8p, {0x12}},
        {"16g to 8g", qk16g, {0x34, 0x12}, qk8g, {0x12}},
        {"16g 32768 to 24 without range", qk16g, {0x00, 0x80}, qk24RGB, {128, 128, 128}},
        {"16g to 48", qk16g, {0x34, 0x12}, qkRGB48, {0x34, 0x12, 0x34, 0x12, 0x34, 0x12}},
        {"16g to 32RGB", qk16g, {0x34, 0x12}, qk32RGB, {0x12, 0x12, 0x12, 255}},
        {"24 white to 16g", qk24RGB, {255, 255, 255}, qk16g, {0xFF, 0xFF}},
        {"24 white to 48", qk24RGB, {255, 255, 255}, qkRGB48, {255, 255, 255, 255, 255, 255}},
        {"24 to 8g", qk24RGB, {50, 100, 200}, qk8g, {117}},
        {"24 to CMYK", qk24RGB, {50, 100, 200}, qkCMYK, CmykOfRgb(200, 100, 50)},
        {"24 to Lab", qk24RGB, {50, 100, 200}, qkCIELab, LabOf(200, 100, 50)},
        {"24 to 32RGB", qk24RGB, {50, 100, 200}, qk32RGB, {50, 100, 200, 255}},
        {"32f 0.5 to 8p", qk32f, FloatBytes(0.5f), qk8p, {127}},
        {"32f 0.5 to 8g", qk32f, FloatBytes(0.5f), qk8g, {127}},
        {"32f 0.5 to 16g", qk32f, FloatBytes(0.5f), qk16g, {0xFF, 0x7F}},
        {"32f 0.5 to 48", qk32f, FloatBytes(0.5f), qkRGB48, {0xFF, 0x7F, 0xFF, 0x7F, 0xFF, 0x7F}},
        {"32f 1.2 to 8g is clamped", qk32f, FloatBytes(1.2f), qk8g, {255}},
        {"32f -0.1 to 8g is clamped", qk32f, FloatBytes(-0.1f), qk8g, {0}},
        {"32f 1.2 to 16g is clamped", qk32f, FloatBytes(1.2f), qk16g, {0xFF, 0xFF}},
        {"32f -0.1 to 48 is clamped", qk32f, FloatBytes(-0.1f), qkRGB48, {0, 0, 0, 0, 0, 0}},
        {"32f 1.2 to 24 is clamped", qk32f, FloatBytes(1.2f), qk24RGB, {255, 255, 255}},
        {"32f 1.2 to 32RGB is clamped", qk32f, FloatBytes(1.2f), qk32RGB, {255, 255, 255, 255}},
        {"CMYK to 24", qkCMYK, {10, 20, 30, 200}, qk24RGB, RgbOfCmyk(10, 20, 30, 200)},
        {"CMYK to 8g", qkCMYK, {10, 20, 30, 200}, qk8g, {GrayOf(RgbOfCmyk(10, 20, 30, 200))}},
        {"48 to 8g", qkRGB48, rgb48, qk8g, {114}},
        {"48 to 16g", qkRGB48, rgb48, qk16g, {0xC7, 0x71}},
        {"48 to 24", qkRGB48, rgb48, qk24RGB, {0xFF, 0x80, 0x10}},
        {"48 to 32RGB", qkRGB48, rgb48, qk32RGB, {0xFF, 0x80, 0x10, 255}},
        {"Lab to 24", qkCIELab, {128, 20, -30 & 0xFF}, qk24RGB, RgbOfLab(128, 20, -30)},
        {"32RGB to 24", qk32RGB, {1, 2, 3, 4}, qk24RGB, {1, 2, 3}},
        {"32RGB to 8g", qk32RGB, {50, 100, 200, 7}, qk8g, {117}},
    };
    for (const TConversionCase& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(ConvertedPixel(c.From, c.Source, c.To), c.Expected);
    }
}

TEST_F(PixelFormatConversionTest, FloatTargets)
{
    const struct {
        const char* Name;
        TQkPixelFormat From;
        std::vector<uint8_t> Source;
        double Expected;
    } cases[] = {
        {"1g white", qk1g, {0x80}, 1.0},
        {"8p by the Rec. 709 weights", qk8p, {0}, (200 * 0.2126 + 100 * 0.7152 + 50 * 0.0722) / 255},
        {"8g", qk8g, {100}, 100 / 255.0},
        {"16g", qk16g, {0x34, 0x12}, 0x1234 / 65535.0},
        {"24 white", qk24RGB, {255, 255, 255}, 1.0},
        {"48",
         qkRGB48,
         {0x00, 0x10, 0x00, 0x80, 0x00, 0xFF},
         (0x1000 * 0.2126 / 256 + 0x8000 * 0.7152 / 256 + 0xFF00 * 0.0722 / 256) / 255},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::vector<uint8_t> bytes = ConvertedPixel(c.From, c.Source, qk32f);
        float value;
        std::memcpy(&value, bytes.data(), 4);
        EXPECT_NEAR(value, c.Expected, 1e-6);
    }
}

TEST_F(PixelFormatConversionTest, SixteenBitGrayTakesTheRangeOfTheBitmapBeingFilled)
{
    EXPECT_EQ(ConvertedPixel(qk16g, {0x00, 0x80}, qk24RGB, 0, 65535), (std::vector<uint8_t>{127, 127, 127}));
    // Values outside the range are limited to it.
    EXPECT_EQ(ConvertedPixel(qk16g, {0x00, 0x80}, qk24RGB, 0, 1000), (std::vector<uint8_t>{255, 255, 255}));
    EXPECT_EQ(ConvertedPixel(qk16g, {0x10, 0x00}, qk24RGB, 1000, 2000), (std::vector<uint8_t>{0, 0, 0}));
}

TEST_F(PixelFormatConversionTest, RoundTripsKeepThePixels)
{
    TQkBitmap colour(37, 11, qk24RGB);
    FillPattern(colour);
    TQkBitmap wide;
    wide.Assign(&colour);
    ASSERT_TRUE(wide.SetPixelFormat(qkRGB48));
    ASSERT_TRUE(wide.SetPixelFormat(qk24RGB));
    EXPECT_EQ(RowBytes(wide), RowBytes(colour));

    TQkBitmap gray(256, 3, qk8g);
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 256; ++x)
            gray.GetScanline(y)[x] = static_cast<uint8_t>(x + y);
    TQkBitmap deep;
    deep.Assign(&gray);
    ASSERT_TRUE(deep.SetPixelFormat(qk16g));
    ASSERT_TRUE(deep.SetPixelFormat(qk8g));
    EXPECT_EQ(RowBytes(deep), RowBytes(gray));

    // The L*a*b* step is lossy for saturated colours: the result must match
    // the independent equations' round trip.
    TQkBitmap lab;
    lab.Assign(&colour);
    ASSERT_TRUE(lab.SetPixelFormat(qkCIELab));
    ASSERT_TRUE(lab.SetPixelFormat(qk24RGB));
    std::string arguments;
    const std::vector<uint8_t> before = RowBytes(colour);
    for (size_t i = 0; i < before.size(); i += 3)
        arguments +=
            std::to_string(before[i + 2]) + " " + std::to_string(before[i + 1]) + " " + std::to_string(before[i]) + " ";
    const std::string script = std::string("python3 '") + TEST_SOURCE_DIR + "/lab_reference.py' ";
    const std::string output = ScratchFile("lab.txt");
    const std::string command = script + "to-lab " + arguments + "| xargs " + script + "to-rgb > '" + output + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::ifstream in(output);
    const std::vector<uint8_t> after = RowBytes(lab);
    for (size_t i = 0; i < after.size(); i += 3) {
        int32_t r = 0, g = 0, b = 0;
        ASSERT_TRUE(in >> r >> g >> b);
        ASSERT_LE(std::abs(after[i + 2] - r), 2) << "pixel " << i / 3;
        ASSERT_LE(std::abs(after[i + 1] - g), 2) << "pixel " << i / 3;
        ASSERT_LE(std::abs(after[i] - b), 2) << "pixel " << i / 3;
    }
}

TEST_F(PixelFormatConversionTest, PairsThroughRGBConvertTheCallersSource)
{
    TQkBitmap source(2, 1, qk8g);
    source.GetScanline(0)[0] = 10;
    source.GetScanline(0)[1] = 250;
    TQkBitmap target(2, 1, qkCMYK);
    target.CopyAndConvertFormat(source);
    EXPECT_EQ(source.GetPixelFormat(), qk24RGB);
    EXPECT_EQ(source.GetScanline(0)[3], 250);
    const std::vector<uint8_t> expected = CmykOfRgb(250, 250, 250);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), target.GetScanline(0) + 4));

    // Sizes that differ change nothing on either side.
    TQkBitmap other(3, 1, qkCIELab);
    other.CopyAndConvertFormat(source);
    EXPECT_EQ(source.GetPixelFormat(), qk24RGB);
    EXPECT_EQ(RowBytes(other), std::vector<uint8_t>(9, 0));
}

TEST_F(PixelFormatConversionTest, AlphaChannelTravelsWithTheConversion)
{
    TQkBitmap bitmap(4, 2, qk24RGB);
    bitmap.SetAlpha(1, 1, 77);
    ASSERT_TRUE(bitmap.SetPixelFormat(qk8g));
    ASSERT_TRUE(bitmap.HasAlphaChannel());
    EXPECT_EQ(bitmap.GetAlpha(1, 1), 77);
    EXPECT_EQ(bitmap.GetAlpha(0, 0), 255);
}

TEST_F(PixelFormatConversionTest, FileStoredImagesConvertRowByRow)
{
    TQkBitmap bitmap;
    bitmap.SetMemoryThreshold(0);
    ASSERT_TRUE(bitmap.Allocate(40, 9, qk24RGB));
    ASSERT_EQ(bitmap.Location(), qkFile);
    FillPattern(bitmap);
    TQkBitmap reference(40, 9, qk24RGB);
    FillPattern(reference);
    ASSERT_TRUE(bitmap.SetPixelFormat(qkRGB48));
    ASSERT_TRUE(reference.SetPixelFormat(qkRGB48));
    EXPECT_EQ(bitmap.Location(), qkFile);
    EXPECT_EQ(RowBytes(bitmap), RowBytes(reference));
}

// Pixels of a uniform image dithered to one bit, white ones counted and
// checked against the Bayer entries below `level`.
void ExpectDitherOfLevel(TQkBitmap& mono, int32_t level)
{
    for (int32_t y = 0; y < mono.GetHeight(); ++y)
        for (int32_t x = 0; x < mono.GetWidth(); ++x)
            ASSERT_EQ(GetBit(mono.GetScanline(y), x), BayerMatrix[x % 8][y % 8] < level) << x << "," << y;
}

TEST_F(PixelFormatConversionTest, OrderedDitherOnBothPaths)
{
    const struct {
        const char* Name;
        uint8_t Gray;
        int32_t Level;
    } cases[] = {{"level 32", 128, 32}, {"pure white", 255, 64}, {"pure black", 0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TQkBitmap gray(16, 16, qk8g);
        gray.Fill(c.Gray);
        gray.SetBilevelMethod(0);
        ASSERT_TRUE(gray.SetPixelFormat(qk1g));
        ExpectDitherOfLevel(gray, c.Level);

        TQkBitmap colour(16, 16, qk24RGB);
        colour.Fill(RGBPixelToColor(MakeRGBPixel(c.Gray, c.Gray, c.Gray)));
        colour.SetBilevelMethod(0);
        ASSERT_TRUE(colour.SetPixelFormat(qk1g));
        ExpectDitherOfLevel(colour, c.Level);

        TBitmap store(16, 16, pf24bit);
        for (int32_t y = 0; y < 16; ++y)
            std::memset(store.ScanLine(y), c.Gray, 48);
        TQkBitmap wrapped;
        wrapped.EncapsulateTBitmap(&store, false);
        wrapped.SetBilevelMethod(0);
        ASSERT_TRUE(wrapped.SetPixelFormat(qk1g));
        EXPECT_EQ(store.PixelFormat(), pf1bit);
        ExpectDitherOfLevel(wrapped, c.Level);
    }
    int32_t whiteAtLevel32 = 0;
    for (const auto& column : BayerMatrix)
        for (int32_t entry : column)
            whiteAtLevel32 += entry < 32 ? 1 : 0;
    EXPECT_EQ(whiteAtLevel32, 32);
}

TEST_F(PixelFormatConversionTest, FloatsDitherAtTheirClampedByte)
{
    TQkBitmap bitmap(8, 8, qk32f);
    bitmap.Fill(0.5);
    bitmap.SetBilevelMethod(0);
    ASSERT_TRUE(bitmap.SetPixelFormat(qk1g));
    ExpectDitherOfLevel(bitmap, 127 / 4);
    TQkBitmap bright(8, 8, qk32f);
    bright.Fill(1.5);
    bright.SetBilevelMethod(0);
    ASSERT_TRUE(bright.SetPixelFormat(qk1g));
    ExpectDitherOfLevel(bright, 64);
}

TEST_F(PixelFormatConversionTest, ThresholdConversion)
{
    TQkBitmap gray(2, 1, qk8g);
    gray.GetScanline(0)[0] = 127;
    gray.GetScanline(0)[1] = 128;
    TQkBitmap mono(2, 1, qk1g);
    ConvertToBilevel(gray, mono, 128, nullptr);
    EXPECT_FALSE(GetBit(mono.GetScanline(0), 0));
    EXPECT_TRUE(GetBit(mono.GetScanline(0), 1));

    TQkBitmap uniform(5, 3, qk24RGB);
    uniform.Fill(RGBPixelToColor(MakeRGBPixel(90, 90, 90)));
    TQkBitmap automatic(5, 3, qk1g);
    ConvertToBilevel(uniform, automatic, -2, nullptr);
    for (int32_t y = 0; y < 3; ++y)
        EXPECT_EQ(automatic.GetScanline(y)[0] & 0xF8, 0xF8);

    // The average of 20 and 220 is 120: 20 goes black, 220 white.
    TQkBitmap pair(2, 1, qk8g);
    pair.GetScanline(0)[0] = 20;
    pair.GetScanline(0)[1] = 220;
    pair.SetBilevelMethod(1);
    ASSERT_TRUE(pair.SetPixelFormat(qk1g));
    EXPECT_EQ(pair.GetScanline(0)[0] & 0xC0, 0x40);
}

TEST_F(PixelFormatConversionTest, MaximumEntropyThresholdMatchesAReferenceScript)
{
    // Two peaks: 300 pixels around 60, 200 around 180.
    std::array<int32_t, 256> counters{};
    for (int32_t i = -5; i <= 5; ++i) {
        counters[60 + i] = 30 - 2 * std::abs(i) + 2;
        counters[180 + i] = 20 - std::abs(i) + 1;
    }
    int64_t total = 0;
    std::string list;
    for (int32_t count : counters) {
        total += count;
        list += std::to_string(count) + " ";
    }
    const std::string output = ScratchFile("entropy.txt");
    const std::string command =
        std::string("python3 '") + TEST_SOURCE_DIR + "/entropy_reference.py' " + list + "> '" + output + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::ifstream in(output);
    int32_t expected = 0;
    in >> expected;
    EXPECT_GT(expected, 60);
    EXPECT_EQ(MaximumEntropyThreshold(counters, total), expected);
}

TEST_F(PixelFormatConversionTest, TBitmapStoresConvertInPlace)
{
    TBitmap store(10, 2, pf1bit);
    store.ScanLine(0)[0] = 0xA5;
    store.ScanLine(0)[1] = 0x80;
    store.ScanLine(1)[0] = 0x00;
    store.ScanLine(1)[1] = 0x40;
    TQkBitmap wrapped;
    wrapped.EncapsulateTBitmap(&store, false);
    ASSERT_TRUE(wrapped.SetPixelFormat(qk24RGB));
    EXPECT_EQ(store.PixelFormat(), pf24bit);
    EXPECT_EQ(wrapped.GetPixelFormat(), qk24RGB);
    const uint8_t expectedTop[10] = {255, 0, 255, 0, 0, 255, 0, 255, 255, 0};
    for (int32_t x = 0; x < 10; ++x) {
        EXPECT_EQ(store.ScanLine(0)[x * 3], expectedTop[x]) << x;
        EXPECT_EQ(store.ScanLine(1)[x * 3 + 2], x == 9 ? 255 : 0) << x;
    }

    TQkBitmap colour;
    colour.SetLocation(qkTBitmap);
    ASSERT_TRUE(colour.Allocate(3, 1, qk24RGB));
    std::memcpy(colour.GetScanline(0), "\x32\x64\xC8\xFF\xFF\xFF\x00\x00\x00", 9);
    ASSERT_TRUE(colour.SetPixelFormat(qk8g));
    EXPECT_EQ(colour.Location(), qkTBitmap);
    EXPECT_EQ(colour.GetPixelFormat(), qk8g);
    EXPECT_EQ(colour.GetVclBitmap()->PixelFormat(), pf8bit);
    EXPECT_EQ(RowBytes(colour), (std::vector<uint8_t>{117, 255, 0}));

    // A pair without a TBitmap road leaves the store's pixels and format.
    TQkBitmap kept;
    kept.SetLocation(qkTBitmap);
    ASSERT_TRUE(kept.Allocate(2, 1, qk24RGB));
    kept.GetScanline(0)[0] = 9;
    EXPECT_FALSE(kept.SetPixelFormat(qk16g));
    EXPECT_EQ(kept.GetPixelFormat(), qk24RGB);
    EXPECT_EQ(kept.GetScanline(0)[0], 9);
}

TEST_F(PixelFormatConversionTest, ColourImagesGetAQuantizedPalette)
{
    // Six colours fit the palette exactly and come back unchanged, from
    // 24-bit and through it from CMYK.
    TQkBitmap colour(3, 2, qk24RGB);
    FillPattern(colour);
    const std::vector<uint8_t> before = RowBytes(colour);
    ASSERT_TRUE(colour.SetPixelFormat(qk8p));
    EXPECT_EQ(colour.GetPixel8(2, 1), 5);
    ASSERT_TRUE(colour.SetPixelFormat(qk24RGB));
    EXPECT_EQ(RowBytes(colour), before);
    ASSERT_TRUE(colour.SetPixelFormat(qkCMYK));
    ASSERT_TRUE(colour.SetPixelFormat(qk8p));
    EXPECT_EQ(colour.GetPixelFormat(), qk8p);

    // More colours than PaletteColors: every index within it.
    TQkBitmap many(40, 20, qk24RGB);
    FillPattern(many);
    many.SetPaletteColors(16);
    ASSERT_TRUE(many.SetPixelFormat(qk8p));
    for (int32_t y = 0; y < 20; ++y)
        for (int32_t x = 0; x < 40; ++x)
            EXPECT_LT(many.GetPixel8(x, y), 16);
}

} // namespace
