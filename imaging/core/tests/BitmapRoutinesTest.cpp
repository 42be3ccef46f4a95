#include <gtest/gtest.h>

#include <cstring>

#include "QkBitmapTestSupport.h"
#include "imaging/core/QkBitmapRoutines.h"
#include "imaging/core/QkDibbitmap.h"
#include "imaging/core/QkWorkBitmap.h"
#include "platform/gfx/Bitmap.h"

namespace {

TEST(BitmapRoutinesTest, OneFlipMatchesImageMagick)
{
    TQkBitmap original(13, 7, qk24RGB);
    FillPattern(original);
    const std::string input = ScratchFile("in.ppm");
    WritePpm(original, input);
    for (const auto& [direction, option] : {std::pair{qkFlipHorizontal, "-flop"}, std::pair{qkFlipVertical, "-flip"}}) {
        SCOPED_TRACE(option);
        const std::string output = ScratchFile("out.ppm");
        ASSERT_TRUE(RunTool(std::string("convert ") + input + " " + option + " " + output));
        TQkBitmap expected;
        ASSERT_TRUE(ReadPpm(output, expected));
        TQkBitmap flipped;
        flipped.Assign(&original);
        FlipBitmap(flipped, direction);
        EXPECT_TRUE(SameBitmaps(flipped, expected));
    }
}

TEST(BitmapRoutinesTest, FlippingTwiceRestoresEveryFormat)
{
    for (TQkPixelFormat format : {qk1g, qk8p, qk8g, qk16g, qk24RGB, qk32f, qkCMYK, qkRGB48, qkCIELab, qk32RGB})
        for (TQkFlipDirection direction : {qkFlipHorizontal, qkFlipVertical}) {
            SCOPED_TRACE(::testing::Message() << int(format) << " direction " << int(direction));
            TQkBitmap bitmap(11, 5, format);
            const int32_t used = static_cast<int32_t>(CalcRowLength(11, bitmap.GetBitCount(), 8));
            for (int32_t y = 0; y < 5; ++y)
                for (int32_t x = 0; x < used; ++x)
                    bitmap.GetScanline(y)[x] = static_cast<uint8_t>(x * 13 + y * 7 + 1);
            for (int32_t y = 0; y < 5 && format == qk1g; ++y)
                bitmap.GetScanline(y)[1] &= 0xE0; // the rows' unused bits stay clear
            bitmap.SetAlpha(3, 1, 50);
            const std::vector<uint8_t> pixels = RowBytes(bitmap);
            const std::vector<uint8_t> alpha = RowBytes(*bitmap.GetAlphaChannel());
            FlipBitmap(bitmap, direction);
            EXPECT_NE(RowBytes(bitmap), pixels);
            EXPECT_NE(RowBytes(*bitmap.GetAlphaChannel()), alpha);
            FlipBitmap(bitmap, direction);
            EXPECT_EQ(RowBytes(bitmap), pixels);
            EXPECT_EQ(RowBytes(*bitmap.GetAlphaChannel()), alpha);
        }
}

TEST(BitmapRoutinesTest, MonoFlipsMoveEveryPixel)
{
    TQkBitmap mono(10, 1, qk1g);
    for (int32_t x = 0; x < 10; ++x) {
        std::memset(mono.GetScanline(0), 0, 4);
        SetBit(mono.GetScanline(0), x, true);
        FlipBitmap(mono, qkFlipHorizontal);
        for (int32_t i = 0; i < 32; ++i)
            EXPECT_EQ(GetBit(mono.GetScanline(0), i), i == 9 - x) << x << " bit " << i;
    }
}

struct TBitRunCase {
    int32_t DestinationBit, SourceBit, Count, SourceLength;
    uint8_t Expected0, Expected1;
};

TEST(BitmapRoutinesTest, BitRunsTouchOnlyTheirBits)
{
    const uint8_t source[2] = {0xFF, 0x0F};
    const TBitRunCase cases[] = {
        {3, 0, 0, 2, 0x00, 0x00}, // nothing
        {3, 0, 2, 2, 0x18, 0x00}, // bits 3 and 4 only
        {6, 4, 6, 2, 0x03, 0xC0}, // across a byte boundary
        {0, 8, 8, 1, 0x00, 0x00}, // beyond the source's length reads 0
        {-1, 0, 4, 2, 0x00, 0x00},
    };
    for (const TBitRunCase& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.DestinationBit << " " << c.SourceBit << " " << c.Count);
        uint8_t destination[2] = {0, 0};
        CopyBitRun(destination, source, c.DestinationBit, c.SourceBit, c.Count, c.SourceLength);
        EXPECT_EQ(destination[0], c.Expected0);
        EXPECT_EQ(destination[1], c.Expected1);
    }
    uint8_t kept[1] = {0xFF};
    const uint8_t zero[1] = {0};
    CopyBits(kept, zero, 2, 0, 3);
    EXPECT_EQ(kept[0], 0xC7);
}

TEST(BitmapRoutinesTest, ChannelsReorderAndCubicStepsHitTheirSamples)
{
    TQkBitmap bitmap(1, 1, qk24RGB);
    const uint8_t pixel[3] = {1, 2, 3};
    std::memcpy(bitmap.GetScanline(0), pixel, 3);
    std::vector<int32_t> progress;
    ReorderChannels(bitmap, "rgb", nullptr, [&](TObject*, int32_t per) { progress.push_back(per); });
    EXPECT_EQ(std::vector<uint8_t>(bitmap.GetScanline(0), bitmap.GetScanline(0) + 3), (std::vector<uint8_t>{3, 2, 1}));
    EXPECT_EQ(progress, std::vector<int32_t>{0});
    ReorderChannels(bitmap, "0x", nullptr, TQkProgressEvent());
    EXPECT_EQ(std::vector<uint8_t>(bitmap.GetScanline(0), bitmap.GetScanline(0) + 3), (std::vector<uint8_t>{0, 2, 1}));

    TQkBitmap wide(1, 1, qkRGB48);
    wide.SetPixel48(0, 0, {300, 200, 100});
    ReorderChannels(wide, "RGB", nullptr, TQkProgressEvent());
    const TRGB48Pixel swapped = wide.GetPixel48(0, 0);
    EXPECT_EQ(swapped.r, 100);
    EXPECT_EQ(swapped.b, 300);

    EXPECT_DOUBLE_EQ(CubicInterpolate4(10, 20, 70, 5, 0, -1000, 1000), 20);
    EXPECT_DOUBLE_EQ(CubicInterpolate4(10, 20, 70, 5, 1, -1000, 1000), 70);
    EXPECT_DOUBLE_EQ(CubicInterpolate4(10, 20, 70, 5, 1, 0, 50), 50);
}

TEST(BitmapRoutinesTest, ComparisonsExpansionAndTBitmapCopies)
{
    TQkBitmap a(3, 2, qk24RGB);
    TQkBitmap b(3, 2, qk24RGB);
    EXPECT_TRUE(SameBitmaps(a, b));
    b.GetScanline(1)[10] = 1; // padding only
    EXPECT_FALSE(SameBitmaps(a, b));

    BuildBitExpansionTable();
    EXPECT_EQ(BitExpansionTable[0x81][0], 255);
    EXPECT_EQ(BitExpansionTable[0x81][3], 0);
    EXPECT_EQ(BitExpansionTable[0x81][23], 255);

    TBitmap source(5, 3, pf8bit);
    source.ScanLine(2)[4] = 42;
    TBitmap copy(1, 1, pf24bit);
    CopyTBitmap(source, copy);
    EXPECT_EQ(copy.PixelFormat(), pf8bit);
    EXPECT_EQ(copy.Width(), 5);
    EXPECT_EQ(copy.ScanLine(2)[4], 42);
    EXPECT_EQ(copy.Palette(), source.Palette());
    TBitmap empty;
    CopyTBitmap(empty, copy);
    EXPECT_EQ(copy.Width(), 1);
    EXPECT_EQ(CloneTBitmap(source)->ScanLine(2)[4], 42);
}

TEST(BitmapRoutinesTest, HistogramMatchingTakesTheReferencesLevels)
{
    TQkBitmap reference(4, 1, qk24RGB);
    TQkBitmap bitmap(4, 1, qk24RGB);
    for (int32_t x = 0; x < 4; ++x) {
        std::memset(reference.GetScanline(0) + 3 * x, 100 + 50 * (x / 2), 3);
        std::memset(bitmap.GetScanline(0) + 3 * x, 10 * x, 3);
    }
    MatchHistogram(reference, bitmap);
    // Equalised to 63, 127, 191, 255, then each level takes the first
    // reference level whose cumulative share is nearest.
    EXPECT_EQ(std::vector<uint8_t>(bitmap.GetScanline(0), bitmap.GetScanline(0) + 12),
              (std::vector<uint8_t>{0, 0, 0, 100, 100, 100, 100, 100, 100, 150, 150, 150}));
}

TEST(DibbitmapTest, HoldsOneAndTwentyFourBitRowsBottomUp)
{
    TQkDibbitmap dib;
    EXPECT_FALSE(dib.Allocate(10, 10, qk8g));
    EXPECT_EQ(dib.GetWidth(), 0);
    EXPECT_EQ(dib.GetPixelFormat(), qkNone);
    ASSERT_TRUE(dib.Allocate(3, 4, qk24RGB));
    EXPECT_EQ(dib.GetRowLen(), 12);
    EXPECT_EQ(dib.GetScanline(0), dib.GetScanline(1) + 12); // row 0 is stored last
    EXPECT_NE(dib.Canvas(), nullptr);
    dib.GetScanline(3)[2] = 9;

    TQkBitmap bitmap(2, 2, qk8g);
    dib.Assign(&bitmap);
    EXPECT_EQ(dib.GetWidth(), 3);
    TQkDibbitmap other;
    other.Assign(&dib);
    EXPECT_EQ(other.GetPixelFormat(), qk24RGB);
    EXPECT_EQ(other.GetScanline(3)[2], 9);

    bitmap.CopyFromDibbitmap(&other);
    EXPECT_EQ(bitmap.GetPixelFormat(), qk24RGB);
    EXPECT_EQ(bitmap.GetWidth(), 3);
    EXPECT_EQ(bitmap.GetScanline(3)[2], 9);
}

TEST(WorkBitmapTest, KeepsItsBlockForTheSameShape)
{
    TQkWorkBitmap work(5, 24, 3);
    ASSERT_NE(work.Block(), nullptr);
    EXPECT_EQ(work.RowLen(), 16);
    const uint8_t* block = work.Block();
    work.Allocate(5, 3, 24);
    EXPECT_EQ(work.Block(), block);
    EXPECT_EQ(work.GetScanline(0), work.Block() + 2 * 16);
    EXPECT_EQ(work.GetScanline(3), nullptr);
    work.Release();
    EXPECT_EQ(work.Block(), nullptr);
}

} // namespace
