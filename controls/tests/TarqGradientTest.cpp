#include <gtest/gtest.h>

#include "TarqTestSupport.h"
#include "controls/TarqGrafx.h"

namespace {

constexpr TColor Start = RGB(200, 0, 0);
constexpr TColor Stop = RGB(0, 0, 200);

std::unique_ptr<TBitmap> Gradient(int32_t width, int32_t height, TGradientDirection direction, TColor start,
                                  TColor stop)
{
    auto bitmap = BlankBitmap(width, height);
    DrawGradientFill(*bitmap->Canvas(), Rect(0, 0, width, height), direction, start, stop, 1);
    return bitmap;
}

std::vector<uint8_t> RedColumn(TBitmap& bitmap, int32_t x)
{
    std::vector<uint8_t> reds;
    for (int32_t y = 0; y < bitmap.Height(); ++y)
        reds.push_back(GetRValue(PixelAt(bitmap, x, y)));
    return reds;
}

std::vector<uint8_t> RedRow(TBitmap& bitmap, int32_t y)
{
    std::vector<uint8_t> reds;
    for (int32_t x = 0; x < bitmap.Width(); ++x)
        reds.push_back(GetRValue(PixelAt(bitmap, x, y)));
    return reds;
}

TEST(TarqGradient, LinearBandsRunInFixedPointFromTheStopEdge)
{
    // Four rows from stop (bottom) toward start in steps of (100 - 0) / 4.
    auto horizontal = Gradient(20, 4, gdHorizontalEnd, RGB(100, 0, 0), clBlack);
    for (int32_t x : {0, 7, 8, 19}) // the 8-pixel strip spreads across the width
        EXPECT_EQ(RedColumn(*horizontal, x), (std::vector<uint8_t>{75, 50, 25, 0})) << x;

    auto vertical = Gradient(4, 11, gdVerticalEnd, RGB(100, 0, 0), clBlack);
    for (int32_t y : {0, 8, 10})
        EXPECT_EQ(RedRow(*vertical, y), (std::vector<uint8_t>{75, 50, 25, 0})) << y;

    // Mirrored about the centre row: stop in the middle, start at both edges.
    auto centre = Gradient(3, 5, gdHorizontalCenter, RGB(90, 0, 0), clBlack);
    EXPECT_EQ(RedColumn(*centre, 1), (std::vector<uint8_t>{60, 30, 0, 45, 90}));
    auto centreV = Gradient(5, 2, gdVerticalCenter, RGB(90, 0, 0), clBlack);
    EXPECT_EQ(RedRow(*centreV, 1), (std::vector<uint8_t>{60, 30, 0, 45, 90}));
}

TEST(TarqGradient, DegenerateSizesFallBackToOneColour)
{
    auto oneRow = Gradient(10, 1, gdHorizontalEnd, Start, Stop);
    EXPECT_EQ(PixelAt(*oneRow, 0, 0), Stop);
    EXPECT_EQ(PixelAt(*oneRow, 9, 0), Stop);

    for (TGradientDirection d : {gdHorizontalBox, gdVerticalBox, gdSquareBox, gdBigSquareBox}) {
        auto flat = Gradient(20, 4, d, Start, Stop);
        auto narrow = Gradient(4, 20, d, Start, Stop);
        for (auto* b : {flat.get(), narrow.get()})
            for (int32_t y = 0; y < b->Height(); ++y)
                for (int32_t x = 0; x < b->Width(); ++x)
                    ASSERT_EQ(PixelAt(*b, x, y), Start) << int(d);
    }
    for (TGradientDirection d : {gdDiagonalUp, gdDiagonalDown, gdSquareBox}) {
        auto same = Gradient(12, 12, d, clBtnFace, clBtnFace);
        EXPECT_EQ(PixelAt(*same, 0, 0), ColorToRGB(clBtnFace));
        EXPECT_EQ(PixelAt(*same, 11, 11), ColorToRGB(clBtnFace));
    }

    auto empty = BlankBitmap(4, 4);
    DrawGradientFill(*empty->Canvas(), Rect(1, 1, 1, 3), gdHorizontalEnd, Start, Stop, 1);
    DrawGradientFill(*empty->Canvas(), Rect(1, 3, 3, 3), gdDiagonalUp, Start, Stop, 1);
    EXPECT_EQ(Grid(*empty, {{'.', Untouched}}), (std::vector<std::string>{"....", "....", "....", "...."}));
}

struct TDirectionCase {
    TGradientDirection Direction;
    TPoint NearStart; // a pixel that shows (almost) the start colour
    TPoint NearStop;
};

TEST(TarqGradient, EveryDirectionCoversTheRectangleFromStartToStop)
{
    const TDirectionCase cases[] = {
        {gdDiagonalUp, {0, 11}, {15, 0}},     {gdDiagonalDown, {0, 0}, {15, 11}}, {gdHorizontalEnd, {5, 0}, {5, 11}},
        {gdHorizontalCenter, {5, 0}, {5, 6}}, {gdVerticalEnd, {0, 5}, {15, 5}},   {gdVerticalCenter, {0, 5}, {8, 5}},
        {gdHorizontalBox, {0, 0}, {7, 5}},    {gdVerticalBox, {0, 0}, {7, 5}},    {gdSquareBox, {0, 0}, {7, 5}},
        {gdBigSquareBox, {0, 0}, {7, 5}},
    };
    for (const auto& c : cases) {
        auto bitmap = BlankBitmap(16, 12);
        DrawGradientFill(*bitmap->Canvas(), Rect(0, 0, 16, 12), c.Direction, Start, Stop, 1);
        for (int32_t y = 0; y < 12; ++y)
            for (int32_t x = 0; x < 16; ++x) {
                const TColor p = PixelAt(*bitmap, x, y);
                ASSERT_EQ(GetGValue(p), 0) << int(c.Direction) << " (" << x << "," << y << ")";
                ASSERT_NE(p, Untouched) << int(c.Direction) << " (" << x << "," << y << ")";
            }
        const TColor s = PixelAt(*bitmap, c.NearStart.X, c.NearStart.Y);
        const TColor e = PixelAt(*bitmap, c.NearStop.X, c.NearStop.Y);
        EXPECT_GT(GetRValue(s), 2 * GetBValue(s)) << int(c.Direction);
        EXPECT_GT(GetBValue(e), 2 * GetRValue(e)) << int(c.Direction);
    }
}

TEST(TarqGradient, BoxRingsRunFromStopAtTheCoreToStartAtTheRimAndAreMirrored)
{
    // Five steps of 50 from the core; the rings shrink by 4/5 of a pixel per
    // step, so the last two positions share the rim.
    auto box = Gradient(9, 9, gdSquareBox, RGB(250, 0, 0), clBlack);
    EXPECT_EQ(PixelAt(*box, 4, 4), clBlack);
    for (TPoint corner : {TPoint{0, 0}, TPoint{8, 0}, TPoint{0, 8}, TPoint{8, 8}})
        EXPECT_EQ(PixelAt(*box, corner.X, corner.Y), RGB(200, 0, 0));
    EXPECT_EQ(RedRow(*box, 4), (std::vector<uint8_t>{200, 150, 100, 50, 0, 50, 100, 150, 200}));
    EXPECT_EQ(RedRow(*box, 2), (std::vector<uint8_t>{200, 150, 100, 100, 100, 100, 100, 150, 200}));
    EXPECT_EQ(RedColumn(*box, 2), RedRow(*box, 2));

    // The horizontal box has a core as wide as half the rectangle.
    auto wide = Gradient(17, 9, gdHorizontalBox, RGB(250, 0, 0), clBlack);
    EXPECT_EQ(RedRow(*wide, 4)[4], 0);
    EXPECT_EQ(RedRow(*wide, 4)[8], 0);
    EXPECT_EQ(RedRow(*wide, 4)[0], 200);
}

TEST(TarqGradient, DiagonalBandsAdvanceAlongTheOtherDiagonal)
{
    auto up = Gradient(20, 10, gdDiagonalUp, Start, Stop);
    auto down = Gradient(20, 10, gdDiagonalDown, Start, Stop);
    // Along the bottom row Up moves away from its start; along the top row
    // Down does.
    const std::vector<uint8_t> upBottom = RedRow(*up, 9), downTop = RedRow(*down, 0);
    EXPECT_TRUE(std::is_sorted(upBottom.rbegin(), upBottom.rend()));
    EXPECT_TRUE(std::is_sorted(downTop.rbegin(), downTop.rend()));
    EXPECT_GT(upBottom.front(), upBottom.back());
}

TEST(TarqGradient, TheGradientLandsAtTheRectanglesCorner)
{
    auto bitmap = BlankBitmap(10, 10);
    DrawGradientFill(*bitmap->Canvas(), Rect(3, 4, 7, 8), gdHorizontalEnd, RGB(100, 0, 0), clBlack, 1);
    EXPECT_EQ(PixelAt(*bitmap, 2, 4), Untouched);
    EXPECT_EQ(PixelAt(*bitmap, 3, 4), RGB(75, 0, 0));
    EXPECT_EQ(PixelAt(*bitmap, 6, 7), clBlack);
    EXPECT_EQ(PixelAt(*bitmap, 7, 7), Untouched);
}

} // namespace
