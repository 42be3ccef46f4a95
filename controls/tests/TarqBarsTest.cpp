#include <gtest/gtest.h>

#include "TarqTestSupport.h"
#include "controls/TarqBars.h"
#include "platform/ui/Themes.h"

namespace {

constexpr TColor Back = RGB(255, 255, 0);
constexpr TColor Bar = RGB(0, 0, 160);

// Text is drawn in grey levels: count the pixels nearer the back colour.
bool NearBack(TColor pixel) { return GetRValue(pixel) > 128; }

int32_t CountColor(TBitmap& bitmap, TColor color)
{
    int32_t n = 0;
    for (int32_t y = 0; y < bitmap.Height(); ++y)
        for (int32_t x = 0; x < bitmap.Width(); ++x)
            n += PixelAt(bitmap, x, y) == color;
    return n;
}

TEST(TarqBars, BarLengthRoundsHalvesToEvenAndVerticalBarsFillFromTheBottom)
{
    const TRect r = Rect(10, 20, 20, 30);
    EXPECT_EQ(BarPartRect(r, orHorizontal, 25), Rect(10, 20, 12, 30)); // 2.5 -> 2
    EXPECT_EQ(BarPartRect(r, orHorizontal, 35), Rect(10, 20, 14, 30)); // 3.5 -> 4
    EXPECT_EQ(BarPartRect(r, orHorizontal, 0), Rect(10, 20, 10, 30));
    EXPECT_EQ(BarPartRect(r, orHorizontal, 250), r);
    EXPECT_EQ(BarPartRect(r, orVertical, 30), Rect(10, 27, 20, 30));
}

TEST(TarqBars, PlainBarAtFullPaintsEverythingInTheBarColourWithTheTextInTheBackColour)
{
    auto bitmap = BlankBitmap(60, 16);
    DrawPlainBar(*bitmap->Canvas(), Rect(0, 0, 60, 16), orHorizontal, false, true, 100, Back, Bar);
    EXPECT_EQ(CountColor(*bitmap, Untouched), 0);
    int32_t text = 0; // "100%"
    for (int32_t y = 0; y < 16; ++y)
        for (int32_t x = 0; x < 60; ++x)
            text += NearBack(PixelAt(*bitmap, x, y));
    EXPECT_GT(text, 10);
    EXPECT_EQ(PixelAt(*bitmap, 0, 0), Bar);
    EXPECT_EQ(PixelAt(*bitmap, 59, 15), Bar);

    auto noText = BlankBitmap(60, 16);
    DrawPlainBar(*noText->Canvas(), Rect(0, 0, 60, 16), orHorizontal, false, false, 100, Back, Bar);
    EXPECT_EQ(CountColor(*noText, Bar), 60 * 16);
}

TEST(TarqBars, PlainBarTextChangesColourWhereTheBarEnds)
{
    auto bitmap = BlankBitmap(60, 16);
    DrawPlainBar(*bitmap->Canvas(), Rect(0, 0, 60, 16), orHorizontal, false, true, 50, Back, Bar);
    for (int32_t x = 0; x < 60; ++x)
        ASSERT_EQ(PixelAt(*bitmap, x, 0), x < 30 ? Bar : Back) << x;
    // The text straddles the edge: back-coloured on the bar, bar-coloured after it.
    int32_t backOnBar = 0, barAfter = 0;
    for (int32_t y = 1; y < 15; ++y)
        for (int32_t x = 0; x < 60; ++x) {
            backOnBar += x < 30 && NearBack(PixelAt(*bitmap, x, y));
            barAfter += x >= 30 && !NearBack(PixelAt(*bitmap, x, y));
        }
    EXPECT_GT(backOnBar, 0);
    EXPECT_GT(barAfter, 0);

    auto transparent = BlankBitmap(60, 16);
    DrawPlainBar(*transparent->Canvas(), Rect(0, 0, 60, 16), orHorizontal, true, false, 50, Back, Bar);
    EXPECT_EQ(PixelAt(*transparent, 29, 5), Bar);
    EXPECT_EQ(PixelAt(*transparent, 30, 5), Untouched);
}

TEST(TarqBars, GradientBarHasTheBarGradientThenTheBackGradient)
{
    auto bitmap = BlankBitmap(40, 8);
    TGradientBarColors colors;
    colors.Direction = gdVerticalEnd;
    colors.Bar = RGB(0, 0, 200);
    colors.BarStop = RGB(0, 0, 100);
    colors.Back = RGB(200, 0, 0);
    colors.BackStop = RGB(100, 0, 0);
    DrawGradientBar(*bitmap->Canvas(), Rect(0, 0, 40, 8), orHorizontal, false, false, 50, colors);
    // Each part runs from near its start colour on the left to its stop colour.
    EXPECT_EQ(PixelAt(*bitmap, 0, 0), RGB(0, 0, 195));
    EXPECT_EQ(PixelAt(*bitmap, 19, 0), RGB(0, 0, 100));
    EXPECT_EQ(PixelAt(*bitmap, 20, 0), RGB(195, 0, 0));
    EXPECT_EQ(PixelAt(*bitmap, 39, 7), RGB(100, 0, 0));

    auto transparent = BlankBitmap(40, 8);
    DrawGradientBar(*transparent->Canvas(), Rect(0, 0, 40, 8), orHorizontal, true, false, 50, colors);
    EXPECT_EQ(PixelAt(*transparent, 25, 4), Untouched);
}

TEST(TarqBars, SegmentedBarOnSixtyPixelsShowsTenSegmentsOfSix)
{
    auto bitmap = BlankBitmap(60, 8);
    DrawSegmentedBar(*bitmap->Canvas(), Rect(0, 0, 60, 8), orHorizontal, false, false, 50, 20, Back, Bar);
    const TLegend legend = {{'.', Untouched}, {'b', Back}, {'X', Bar}};
    const std::string lit = "bXXXXb", unlit = "bbbbbb";
    EXPECT_EQ(Grid(*bitmap, legend)[4], lit + lit + lit + lit + lit + unlit + unlit + unlit + unlit + unlit);
    EXPECT_EQ(Grid(*bitmap, legend)[0], std::string(60, 'b'));
}

TEST(TarqBars, SegmentedBarMarginsExtraSegmentsAndVerticalFill)
{
    // 100 / 20 = 5 per segment, no remainder; 103 adds no segment but a margin of 1 and 2.
    auto wide = BlankBitmap(103, 6);
    DrawSegmentedBar(*wide->Canvas(), Rect(0, 0, 103, 6), orHorizontal, false, false, 100, 20, Back, Bar);
    const TLegend legend = {{'.', Untouched}, {'b', Back}, {'X', Bar}};
    const std::string row = Grid(*wide, legend)[3];
    EXPECT_EQ(row.substr(0, 8), "bbXXXbbX");
    EXPECT_EQ(row.substr(99), "Xbbb");

    // 30 / 4 = 7 per segment, (30 - 28) / 7 adds none; the margin is 1.
    auto tall = BlankBitmap(4, 30);
    DrawSegmentedBar(*tall->Canvas(), Rect(0, 0, 4, 30), orVertical, false, false, 50, 4, Back, Bar);
    EXPECT_EQ(PixelAt(*tall, 2, 3), Back); // top segments unlit
    EXPECT_EQ(PixelAt(*tall, 2, 20), Bar); // bottom segments lit
    EXPECT_EQ(PixelAt(*tall, 2, 27), Bar);
    EXPECT_EQ(PixelAt(*tall, 2, 29), Back); // bottom margin

    auto transparent = BlankBitmap(60, 8);
    DrawSegmentedBar(*transparent->Canvas(), Rect(0, 0, 60, 8), orHorizontal, true, false, 50, 20, Back, Bar);
    // Without a pen a lit segment moved in by one fills up to its last column but one.
    EXPECT_EQ(Grid(*transparent, legend)[4].substr(0, 14), ".XXXX..XXXX..X");
    EXPECT_EQ(PixelAt(*transparent, 40, 4), Untouched);
}

TEST(TarqBars, ThemedSegmentedBarDrawsTheChunkPart)
{
    TRecordingThemeServices themes;
    SetThemeServices(&themes);
    auto bitmap = BlankBitmap(42, 12);
    DrawSegmentedBar(*bitmap->Canvas(), Rect(0, 0, 42, 12), orHorizontal, false, true, 50, 20, Back, Bar);
    ASSERT_EQ(themes.Calls.size(), 1u);
    EXPECT_EQ(themes.Calls[0].Details.Part, PP_CHUNK);
    EXPECT_EQ(themes.Calls[0].Rect, Rect(1, 1, 21, 11));

    themes.Calls.clear();
    auto tall = BlankBitmap(12, 42);
    DrawSegmentedBar(*tall->Canvas(), Rect(0, 0, 12, 42), orVertical, false, true, 50, 20, Back, Bar);
    ASSERT_EQ(themes.Calls.size(), 1u);
    EXPECT_EQ(themes.Calls[0].Details.Part, PP_CHUNKVERT);
    const TColor chunk = TRecordingThemeServices::ElementColor(themes.Calls[0].Details);
    EXPECT_EQ(PixelAt(*tall, 5, 21), chunk);
    EXPECT_EQ(PixelAt(*tall, 5, 40), chunk);
    EXPECT_EQ(PixelAt(*tall, 5, 20), Untouched);
    SetThemeServices(nullptr);
}

} // namespace
