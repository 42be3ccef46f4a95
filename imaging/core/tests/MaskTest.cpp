#include <gtest/gtest.h>

#include <vector>

#include "QkBitmapTestSupport.h"
#include "imaging/core/QkMask.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"

namespace {

// Rows of a mask as strings of '#' (set) and '.' for readable failures.
std::vector<std::string> Picture(const TQkMask& mask)
{
    std::vector<std::string> rows;
    for (int32_t y = 0; y < mask.Height(); ++y) {
        std::string row;
        for (int32_t x = 0; x < mask.Width(); ++x)
            row += mask.GetPixel(x, y) != 0 ? '#' : '.';
        rows.push_back(row);
    }
    return rows;
}

TEST(MaskTest, PixelsLiveBottomUpMostSignificantBitFirst)
{
    TQkMask mask;
    EXPECT_TRUE(mask.IsEmpty());
    mask.AllocateBits(10, 10, 1);
    EXPECT_EQ(mask.RowLen(), 4);
    EXPECT_EQ(mask.GetPixel(3, 4), 0);
    mask.SetPixel(3, 4, 1);
    EXPECT_EQ(mask.GetPixel(3, 4), 1);
    EXPECT_EQ(mask.GetPixel(-1, 4), 0);
    EXPECT_EQ((std::vector<int32_t>{mask.Left(), mask.Top(), mask.Right(), mask.Bottom()}),
              (std::vector<int32_t>{3, 4, 3, 4}));
    // Image row 4 of 10 is stored row 5.
    EXPECT_EQ(mask.GetScanline(4), mask.GetScanline(9) + 5 * mask.RowLen());
    EXPECT_EQ(mask.GetScanline(4)[0], 0x10);
    mask.SetPixel(30, 4, 1);
    EXPECT_EQ(mask.Right(), 3);
}

TEST(MaskTest, FullFlag)
{
    TQkMask mask;
    mask.AllocateBits(9, 3, 1);
    mask.Fill(255);
    EXPECT_TRUE(mask.Full());
    mask.SetPixel(0, 0, 0);
    EXPECT_FALSE(mask.Full());
    mask.Fill(0);
    EXPECT_FALSE(mask.Full());
    mask.DrawHorizontalLine(1, 0, 1, 8);
    mask.UpdateFullFlag();
    EXPECT_FALSE(mask.Full());
    mask.DrawHorizontalLine(1, 0, 0, 8);
    mask.DrawHorizontalLine(1, 0, 2, 8);
    EXPECT_FALSE(mask.Full());
    mask.UpdateFullFlag();
    EXPECT_TRUE(mask.Full());
    mask.Empty();
    EXPECT_FALSE(mask.Full());
    EXPECT_TRUE(mask.IsEmpty());

    TQkMask strengths;
    strengths.AllocateBits(2, 2, 8);
    strengths.Fill(255);
    strengths.SetPixel(1, 1, 254);
    EXPECT_FALSE(strengths.Full());
}

TEST(MaskTest, PolygonsFillTheirRowsOnly)
{
    TQkMask mask;
    mask.AllocateBits(8, 6, 1);
    const TPoint triangle[] = {{0, 0}, {6, 4}, {0, 4}};
    mask.DrawPolygon(1, triangle, 3);
    // Spans end one pixel left of their right edge, so the apex row is
    // empty and the bottom vertex's row is not filled.
    EXPECT_EQ(Picture(mask), (std::vector<std::string>{
                                 "........", "#.......", "###.....", "####....", "........", "........"}));
    EXPECT_EQ(mask.Top(), 0);
    EXPECT_EQ(mask.Bottom(), 3);

    TQkMask two;
    two.AllocateBits(8, 4, 1);
    const TPoint list[] = {{0, 0}, {2, 0}, {2, 2}, {0, 2}, {MaskPolygonSeparator, 0},
                           {5, 1}, {8, 1}, {8, 4}, {5, 4}};
    two.DrawPolygons(1, list, 9);
    EXPECT_EQ(Picture(two), (std::vector<std::string>{"##......", "##...###", ".....###", ".....###"}));
    EXPECT_FALSE(two.Full());
}

TEST(MaskTest, PolygonRowsOutsideThePlaneAreSkipped)
{
    TQkMask mask;
    mask.AllocateBits(6, 4, 1);
    const TPoint tall[] = {{2, -5}, {4, -5}, {4, 9}, {2, 9}};
    mask.DrawPolygon(1, tall, 4);
    EXPECT_EQ(Picture(mask), (std::vector<std::string>(4, "..##..")));

    // Vertices far outside the plane neither overflow nor allocate per row.
    TQkMask far;
    far.AllocateBits(6, 4, 1);
    const TPoint huge[] = {{-2000000000, 1}, {2000000000, 1}, {2000000000, 2000000000}, {-2000000000, 2000000000}};
    far.DrawPolygon(1, huge, 4);
    EXPECT_EQ(Picture(far), (std::vector<std::string>{"......", "######", "######", "######"}));
}

TEST(MaskTest, TranslateWithAndWithoutClipping)
{
    TQkMask mask;
    mask.AllocateBits(12, 5, 1);
    mask.SetPixel(0, 1, 1);
    mask.SetPixel(2, 2, 1);
    int32_t dx = -5;
    int32_t dy = 0;
    mask.Translate(dx, dy, false);
    EXPECT_EQ(dx, 0);
    EXPECT_EQ(mask.GetPixel(0, 1), 1);

    dx = 9;
    dy = 1;
    mask.Translate(dx, dy, false);
    EXPECT_EQ(dx, 9);
    EXPECT_EQ(Picture(mask), (std::vector<std::string>{"............", "............", ".........#..",
                                                       "...........#", "............"}));

    dx = 2;
    dy = 0;
    mask.Translate(dx, dy, true);
    EXPECT_EQ(Picture(mask)[2], "...........#");
    EXPECT_EQ(Picture(mask)[3], "............");

    TQkMask strengths;
    strengths.AllocateBits(4, 3, 8);
    strengths.SetPixel(1, 1, 77);
    dx = 1;
    dy = -1;
    strengths.Translate(dx, dy, false);
    EXPECT_EQ(strengths.GetPixel(2, 0), 77);
    EXPECT_EQ(strengths.GetPixel(1, 1), 0);
    EXPECT_EQ(strengths.Left(), 2);
}

TEST(MaskTest, ResizeKeepsTheTopLeft)
{
    TQkMask mask;
    mask.AllocateBits(10, 6, 1);
    mask.SetPixel(1, 1, 1);
    mask.SetPixel(8, 5, 1);
    mask.Resize(4, 3);
    EXPECT_EQ(Picture(mask), (std::vector<std::string>{"....", ".#..", "...."}));
    EXPECT_EQ(mask.Right(), 3);
    EXPECT_EQ(mask.Bottom(), 2);
}

TEST(MaskTest, BitmapExchangeRoundTrips)
{
    for (int32_t bits : {1, 8}) {
        SCOPED_TRACE(bits);
        TQkMask mask;
        mask.AllocateBits(13, 4, bits);
        mask.SetPixel(0, 0, bits == 1 ? 1 : 200);
        mask.SetPixel(12, 3, bits == 1 ? 1 : 9);
        TQkBitmap bitmap;
        bitmap.CopyFromMask(&mask);
        EXPECT_EQ(bitmap.GetPixelFormat(), bits == 1 ? qk1g : qk8g);
        TQkMask back;
        bitmap.CopyToMask(back);
        EXPECT_EQ(back.BitsPerPixel(), bits);
        EXPECT_EQ(Picture(back), Picture(mask));
        EXPECT_EQ(back.GetPixel(12, 3), mask.GetPixel(12, 3));
    }
    TQkBitmap colour(2, 1, qk24RGB);
    colour.SetPixel24(1, 0, MakeRGBPixel(200, 100, 50));
    TQkMask gray;
    colour.CopyToMask(gray);
    EXPECT_EQ(gray.GetPixel(1, 0), 117);

    TQkBitmap none(3, 2, qk8g);
    none.CopyFromMask(nullptr);
    EXPECT_EQ(none.GetScanline(1)[2], 255);
}

TEST(MaskTest, CopyThroughTheMaskReplacesOrBlends)
{
    TQkMask selected;
    selected.AllocateBits(4, 2, 1);
    selected.SetPixel(1, 0, 1);
    selected.SetPixel(2, 1, 1);
    TQkBitmap source(4, 2, qk24RGB);
    source.Fill(RGBPixelToColor(MakeRGBPixel(200, 200, 200)));
    TQkBitmap destination(4, 2, qk24RGB);
    selected.CopyBitmapThroughMask(destination, source, true, false, false);
    EXPECT_EQ(destination.GetPixel24(1, 0).r, 200);
    EXPECT_EQ(destination.GetPixel24(2, 1).g, 200);
    EXPECT_EQ(destination.GetPixel24(2, 0).b, 0);
    EXPECT_EQ(destination.GetAlpha(1, 0), 255);
    EXPECT_EQ(destination.GetAlpha(2, 0), 0);

    TQkMask strengths;
    strengths.AllocateBits(2, 1, 8);
    strengths.SetPixel(0, 0, 128);
    strengths.SetPixel(1, 0, 100);
    TQkBitmap dark(2, 1, qk24RGB);
    TQkBitmap light(2, 1, qk24RGB);
    light.Fill(RGBPixelToColor(MakeRGBPixel(200, 200, 200)));
    TQkBitmap lightCopy;
    lightCopy.Assign(&light);
    strengths.CopyBitmapThroughMask(light, dark, false, false, false);
    EXPECT_EQ(light.GetPixel24(0, 0).r, 100);
    strengths.CopyBitmapThroughMask(dark, lightCopy, true, false, false);
    EXPECT_EQ(dark.GetPixel24(0, 0).r, 100);
    EXPECT_EQ(dark.GetAlpha(1, 0), 100);

    TQkBitmap gray(2, 1, qk8g);
    TQkBitmap white(2, 1, qk8g);
    white.Fill(200);
    strengths.CopyBitmapThroughMask(gray, white, false, false, false);
    EXPECT_EQ(gray.GetScanline(0)[1], 78);

    // Bitmaps of another format, or of different formats, are left alone.
    TQkBitmap other(2, 1, qk8g);
    strengths.CopyBitmapThroughMask(other, lightCopy, false, false, false);
    EXPECT_EQ(other.GetScanline(0)[0], 0);
}

TEST(MaskTest, CopyThroughTheMaskFromABoxSizedSource)
{
    TQkMask mask;
    mask.AllocateBits(6, 4, 1);
    mask.SetPixel(3, 2, 1);
    mask.SetPixel(4, 3, 1);
    TQkBitmap box(2, 2, qk8g);
    box.GetScanline(0)[0] = 11;
    box.GetScanline(1)[1] = 22;
    TQkBitmap image(6, 4, qk8g);
    mask.CopyBitmapThroughMask(image, box, false, true, false);
    EXPECT_EQ(image.GetScanline(2)[3], 11);
    EXPECT_EQ(image.GetScanline(3)[4], 22);
    EXPECT_EQ(image.GetScanline(2)[4], 0);
}

TEST(MaskTest, DrawInvertedInvertsOnlyTheSelection)
{
    TQkMask mask;
    mask.AllocateBits(4, 2, 1);
    mask.SetPixel(1, 0, 1);
    mask.SetPixel(3, 1, 1);
    TBitmap target(8, 4, pf24bit);
    target.Canvas()->Brush()->SetColor(RGB(10, 20, 30));
    target.Canvas()->FillRect(TRect{0, 0, 8, 4});
    const TColor background = target.Canvas()->BackgroundColor();
    mask.DrawInverted(*target.Canvas(), TRect{0, 0, 8, 4}, TRect{0, 0, 4, 2});
    EXPECT_EQ(target.Canvas()->BackgroundColor(), background);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 8; ++x) {
            const bool selected = mask.GetPixel(x / 2, y / 2) != 0;
            EXPECT_EQ(target.Canvas()->Pixels(x, y), selected ? RGB(245, 235, 225) : RGB(10, 20, 30)) << x << "," << y;
        }

    TQkMask strengths;
    strengths.AllocateBits(4, 2, 8);
    strengths.SetPixel(0, 0, 255);
    strengths.DrawInverted(*target.Canvas(), TRect{0, 0, 8, 4}, TRect{0, 0, 4, 2});
    EXPECT_EQ(target.Canvas()->Pixels(0, 0), RGB(10, 20, 30));
}

} // namespace
