#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkFastResample.h"
#include "imaging/core/QkRenderStretch.h"
#include "imaging/core/QkResample.h"
#include "imaging/core/tests/QkBitmapTestSupport.h"
#include "imaging/core/tests/QkRenderTestSupport.h"

namespace {

// An alpha channel whose value at (x, y) is 20 x + 9 y.
void GiveAlphaRamp(TQkBitmap& bitmap)
{
    TQkBitmap& alpha = *bitmap.GetAlphaChannel();
    for (int32_t y = 0; y < alpha.GetHeight(); ++y)
        for (int32_t x = 0; x < alpha.GetWidth(); ++x)
            alpha.SetPixel8(x, y, static_cast<uint8_t>(std::min(255, 20 * x + 9 * y)));
    alpha.SetFull(false);
}

bool SamePixel(TQkBitmap& a, int32_t ax, int32_t ay, TQkBitmap& b, int32_t bx, int32_t by)
{
    return std::memcmp(a.GetScanline(ay) + 3 * ax, b.GetScanline(by) + 3 * bx, 3) == 0;
}

} // namespace

// Every destination pixel of the area comes from the source pixel its maps
// give, limited to the source; pixels outside the area stay as they were.
TEST(StretchRectTo, MapsDestinationPixelsToSourcePixels)
{
    struct TCase {
        const char* Name;
        TQkRenderRect To;
        TQkRenderRect From;
        int32_t (*Column)(int32_t c);
        int32_t (*Row)(int32_t r);
    };
    const TCase cases[] = {
        {"1:1 inside", {3, 2, 6, 5}, {4, 1, 6, 5}, [](int32_t c) { return c + 1; }, [](int32_t r) { return r - 1; }},
        {"doubled", {0, 0, 20, 20}, {0, 0, 10, 10}, [](int32_t c) { return c / 2; }, [](int32_t r) { return r / 2; }},
        {"halved",
         {2, 2, 5, 5},
         {0, 0, 10, 10},
         [](int32_t c) { return 2 * (c - 2); },
         [](int32_t r) { return 2 * (r - 2); }},
        // Steps from the unclipped start: column 0 is the third of the rectangle.
        {"before the destination",
         {-2, -3, 10, 10},
         {0, 0, 5, 5},
         [](int32_t c) { return (c + 2) / 2; },
         [](int32_t r) { return (r + 3) / 2; }},
        // A rectangle reaching beyond the source repeats its edge pixels.
        {"1:1 beyond the source",
         {0, 0, 14, 14},
         {-2, 4, 14, 14},
         [](int32_t c) { return std::clamp(c - 2, 0, 9); },
         [](int32_t r) { return std::min(r + 4, 9); }},
        {"enlarged beyond the source",
         {1, 1, 12, 12},
         {6, -3, 6, 6},
         [](int32_t c) { return std::min(6 + (c - 1) / 2, 9); },
         [](int32_t r) { return std::max(-3 + (r - 1) / 2, 0); }},
    };
    for (const TCase& test : cases) {
        SCOPED_TRACE(test.Name);
        TQkBitmap source;
        MakeBitmap(source, 10, 10);
        FillPattern(source);
        TQkBitmap destination;
        MakeBitmap(destination, 16, 16);
        TQkBitmap untouched;
        MakeBitmap(untouched, 16, 16);
        ASSERT_TRUE(StretchRectTo(source, destination, test.To, test.From, rfNone, 255));
        for (int32_t y = 0; y < 16; ++y)
            for (int32_t x = 0; x < 16; ++x) {
                const bool inside =
                    x >= test.To.X && x < test.To.X + test.To.Width && y >= test.To.Y && y < test.To.Y + test.To.Height;
                if (inside)
                    ASSERT_TRUE(SamePixel(destination, x, y, source, test.Column(x), test.Row(y))) << x << "," << y;
                else
                    ASSERT_TRUE(SamePixel(destination, x, y, untouched, x, y)) << x << "," << y;
            }
    }
}

TEST(StretchRectTo, BilevelSourcesGiveWhiteOrBlack)
{
    TQkBitmap source;
    MakeChecker(source, 9, 6);
    TQkBitmap destination;
    MakeBitmap(destination, 18, 12);
    ASSERT_TRUE(StretchRectTo(source, destination, {0, 0, 18, 12}, {0, 0, 9, 6}, rfNone, 255));
    for (int32_t y = 0; y < 12; ++y)
        for (int32_t x = 0; x < 18; ++x) {
            const uint8_t expected = GetBit(source.GetScanline(y / 2), x / 2) ? 255 : 0;
            const TRGBPixel pixel = destination.GetPixel24(x, y);
            ASSERT_TRUE(pixel.r == expected && pixel.g == expected && pixel.b == expected) << x << "," << y;
        }
}

// Without a source alpha channel the destination's alpha area is filled with
// the argument; with one it receives the mapped source alpha, never above
// the argument. Outside the area the destination's alpha stays 255.
TEST(StretchRectTo, FillsOrLimitsTheDestinationAlpha)
{
    for (const bool withAlpha : {false, true}) {
        SCOPED_TRACE(withAlpha ? "source alpha" : "no source alpha");
        TQkBitmap source;
        MakeBitmap(source, 8, 8);
        if (withAlpha)
            GiveAlphaRamp(source);
        TQkBitmap destination;
        MakeBitmap(destination, 12, 12);
        ASSERT_FALSE(destination.HasAlphaChannel());
        ASSERT_TRUE(StretchRectTo(source, destination, {2, 1, 8, 8}, {0, 0, 4, 4}, rfNone, 100));
        ASSERT_TRUE(destination.HasAlphaChannel());
        EXPECT_FALSE(destination.GetAlphaChannel()->Full());
        for (int32_t y = 0; y < 12; ++y)
            for (int32_t x = 0; x < 12; ++x) {
                const bool inside = x >= 2 && x < 10 && y >= 1 && y < 9;
                int32_t expected = 255;
                if (inside)
                    expected = withAlpha ? std::min(100, 20 * ((x - 2) / 2) + 9 * ((y - 1) / 2)) : 100;
                ASSERT_EQ(destination.GetAlpha(x, y), expected) << x << "," << y;
            }
    }
}

// A wholly opaque source alpha counts as none; alpha values beyond 0..255
// are limited.
TEST(StretchRectTo, FullSourceAlphaAndOutOfRangeArguments)
{
    TQkBitmap source;
    MakeBitmap(source, 4, 4);
    source.GetAlphaChannel()->SetPixel8(0, 0, 0);
    source.GetAlphaChannel()->SetFull(true);
    for (const auto& [argument, expected] : {std::pair{40, 40}, {-5, 0}, {1000, 255}}) {
        TQkBitmap destination;
        MakeBitmap(destination, 4, 4);
        ASSERT_TRUE(StretchRectTo(source, destination, {0, 0, 4, 4}, {0, 0, 4, 4}, rfNone, argument));
        EXPECT_EQ(destination.GetAlpha(0, 0), expected) << argument;
    }
}

// Only qk24RGB destinations are drawn into; sources of other formats set the
// alpha area alone; empty and off-bitmap areas draw nothing.
TEST(StretchRectTo, RefusesOrLeavesWhatItCannotDraw)
{
    TQkBitmap source;
    MakeBitmap(source, 6, 6);
    FillPattern(source);
    for (const TQkPixelFormat format : {qk8g, qk1g, qk32RGB}) {
        TQkBitmap destination;
        MakeBitmap(destination, 6, 6, qkMemory, format);
        const std::vector<uint8_t> before = RowBytes(destination);
        EXPECT_FALSE(StretchRectTo(source, destination, {0, 0, 6, 6}, {0, 0, 6, 6}, rfTriangle, 10));
        EXPECT_EQ(RowBytes(destination), before);
        EXPECT_FALSE(destination.HasAlphaChannel());
    }
    for (const TQkRenderRect to : {TQkRenderRect{0, 0, 0, 6}, {0, 0, 6, -1}, {6, 0, 3, 3}, {-3, 0, 3, 3}}) {
        TQkBitmap destination;
        MakeBitmap(destination, 6, 6);
        const std::vector<uint8_t> before = RowBytes(destination);
        EXPECT_FALSE(StretchRectTo(source, destination, to, {0, 0, 6, 6}, rfNone, 10));
        EXPECT_EQ(RowBytes(destination), before);
    }

    TQkBitmap gray;
    MakeBitmap(gray, 6, 6, qkMemory, qk8g);
    TQkBitmap destination;
    MakeBitmap(destination, 6, 6);
    const std::vector<uint8_t> before = RowBytes(destination);
    ASSERT_TRUE(StretchRectTo(gray, destination, {0, 0, 6, 6}, {0, 0, 3, 3}, rfNone, 10));
    EXPECT_EQ(RowBytes(destination), before);
    EXPECT_EQ(destination.GetAlpha(5, 5), 10);
}

// A file-stored source and destination keep one row mapped at a time; the
// stretch gives the same pixels and alpha as in memory.
TEST(StretchRectTo, FileStorageGivesTheSamePixels)
{
    TQkBitmap results[2];
    const TQkLocation locations[] = {qkMemory, qkFile};
    for (int32_t i = 0; i < 2; ++i) {
        TQkBitmap source;
        MakeBitmap(source, 10, 7, locations[i]);
        FillPattern(source);
        GiveAlphaRamp(source);
        MakeBitmap(results[i], 23, 17, locations[i]);
        ASSERT_EQ(results[i].Location(), locations[i]);
        ASSERT_TRUE(StretchRectTo(source, results[i], {-1, 2, 25, 14}, {1, 0, 9, 7}, rfNone, 200));
    }
    EXPECT_EQ(RowBytes(results[1]), RowBytes(results[0]));
    EXPECT_EQ(RowBytes(*results[1].GetAlphaChannel()), RowBytes(*results[0].GetAlphaChannel()));
}

// With a filter and a change of size the source rectangle is resampled by
// the resamplers and the result stretched 1:1.
TEST(StretchRectTo, FilteredStretchDrawsTheResamplersOutput)
{
    TQkBitmap colour(12, 9, qk24RGB);
    FillPattern(colour);
    TQkBitmap part(8, 6, qk24RGB);
    colour.CopyRectTo(part, 2, 1, 0, 0, 8, 6);
    TQkBitmap enlarged(21, 14, qk24RGB);
    ResampleFiltered(part, enlarged, rfTriangle, nullptr, TQkProgressEvent());
    TQkBitmap destination(30, 20, qk24RGB);
    ASSERT_TRUE(StretchRectTo(colour, destination, {4, 3, 21, 14}, {2, 1, 8, 6}, rfTriangle, 90));
    ExpectDrawnAt(destination, enlarged, 4, 3);
    EXPECT_EQ(destination.GetAlpha(4, 3), 90);
    EXPECT_EQ(destination.GetAlpha(3, 3), 255);

    // A bilevel source reduced without alpha: the box average, even with a
    // project filter.
    TQkBitmap checker;
    MakeChecker(checker, 40, 30);
    TQkBitmap averaged(13, 11, qk24RGB);
    BoxAverageMonoToGray(checker, 5, 2, 34, 26, averaged);
    for (const TResampleFilter filter : {rfLanczos3, rfProjectBW}) {
        TQkBitmap reduced(16, 16, qk24RGB);
        ASSERT_TRUE(StretchRectTo(checker, reduced, {2, 4, 13, 11}, {5, 2, 30, 25}, filter, 255));
        ExpectDrawnAt(reduced, averaged, 2, 4);
    }
}

// A bilevel source reduced with its alpha channel is resampled, colour and
// alpha apart; the resampled alpha is limited by the argument.
TEST(StretchRectTo, FilteredStretchCarriesTheSourceAlpha)
{
    TQkBitmap source;
    MakeChecker(source, 12, 10);
    GiveAlphaRamp(source);
    TQkBitmap colour(7, 5, qk24RGB);
    ResampleMonoFiltered(source, colour, rfBSpline);
    TQkBitmap weights(7, 5, qk8g);
    ResampleGrayFiltered(*source.GetAlphaChannel(), weights, rfBSpline);

    TQkBitmap destination(7, 5, qk24RGB);
    ASSERT_TRUE(StretchRectTo(source, destination, {0, 0, 7, 5}, {0, 0, 12, 10}, rfBSpline, 150));
    ExpectDrawnAt(destination, colour, 0, 0);
    for (int32_t y = 0; y < 5; ++y)
        for (int32_t x = 0; x < 7; ++x)
            ASSERT_EQ(destination.GetAlpha(x, y), std::min<int32_t>(150, weights.GetPixel8(x, y))) << x << "," << y;
}

// Other source formats are resampled as qk24RGB.
TEST(StretchRectTo, FilteredStretchConvertsOtherFormats)
{
    TQkBitmap gray(6, 5, qk8g);
    for (int32_t y = 0; y < 5; ++y)
        for (int32_t x = 0; x < 6; ++x)
            gray.SetPixel8(x, y, static_cast<uint8_t>(40 * x + 7 * y));
    TQkBitmap rgb;
    rgb.Assign(&gray);
    ASSERT_TRUE(rgb.ConvertToPixelFormat(qk24RGB));
    TQkBitmap expected(11, 9, qk24RGB);
    ResampleFiltered(rgb, expected, rfMitchell, nullptr, TQkProgressEvent());

    TQkBitmap destination(11, 9, qk24RGB);
    ASSERT_TRUE(StretchRectTo(gray, destination, {0, 0, 11, 9}, {0, 0, 6, 5}, rfMitchell, 255));
    ExpectDrawnAt(destination, expected, 0, 0);
}

// Enlarged by 2 or 4 without a filter, the stretch samples as ImageMagick's
// -sample does. (Other factors drift from it by design: the 14-bit step is
// truncated, so at 3x the first column is drawn four times.)
TEST(StretchRectTo, PowerOfTwoEnlargementMatchesImageMagickSampling)
{
    TQkBitmap source(7, 5, qk24RGB);
    FillPattern(source);
    const std::string input = ScratchFile("in.ppm");
    WritePpm(source, input);
    for (const int32_t factor : {2, 4}) {
        const std::string output = ScratchFile(std::to_string(factor) + ".ppm");
        ASSERT_TRUE(RunTool("convert '" + input + "' -sample " + std::to_string(100 * factor) + "% '" + output + "'"));
        TQkBitmap expected;
        ASSERT_TRUE(ReadPpm(output, expected));
        ASSERT_EQ(expected.GetWidth(), 7 * factor);

        TQkBitmap destination(7 * factor, 5 * factor, qk24RGB);
        ASSERT_TRUE(StretchRectTo(source, destination, {0, 0, 7 * factor, 5 * factor}, {0, 0, 7, 5}, rfNone, 255));
        EXPECT_EQ(RowBytes(destination), RowBytes(expected)) << factor;
    }
}
