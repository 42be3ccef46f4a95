#include <gtest/gtest.h>

#include <memory>
#include <string>
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
    EXPECT_EQ(Picture(mask),
              (std::vector<std::string>{"........", "#.......", "###.....", "####....", "........", "........"}));
    EXPECT_EQ(mask.Top(), 0);
    EXPECT_EQ(mask.Bottom(), 3);

    TQkMask two;
    two.AllocateBits(8, 4, 1);
    const TPoint list[] = {{0, 0}, {2, 0}, {2, 2}, {0, 2}, {MaskPolygonSeparator, 0}, {5, 1}, {8, 1}, {8, 4}, {5, 4}};
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

// Rows above the plane are skipped rather than stepped: the rows that remain
// must be those of the same polygon drawn lower, crossing edges included.
TEST(MaskTest, PolygonsStartingAboveThePlaneFillAsIfSteppedRowByRow)
{
    const TPoint star[] = {{10, 0}, {17, 19}, {0, 7}, {21, 6}, {3, 19}, {9, 11}};
    TQkMask whole;
    whole.AllocateBits(24, 20, 1);
    whole.DrawPolygon(1, star, 6);
    const std::vector<std::string> expected = Picture(whole);
    for (const int32_t shift : {1, 6, 7, 12, 19}) {
        SCOPED_TRACE(shift);
        std::vector<TPoint> raised(std::begin(star), std::end(star));
        for (TPoint& point : raised)
            point.Y -= shift;
        TQkMask cut;
        cut.AllocateBits(24, 20 - shift, 1);
        cut.DrawPolygon(1, raised.data(), 6);
        EXPECT_EQ(Picture(cut), std::vector<std::string>(expected.begin() + shift, expected.end()));
    }

    // Two billion rows above the plane cost no more than two.
    TQkMask far;
    far.AllocateBits(8, 3, 1);
    const TPoint spike[] = {{0, -2000000000}, {2, -2000000000}, {6, 3}, {0, 3}};
    far.DrawPolygon(1, spike, 4);
    EXPECT_EQ(Picture(far), (std::vector<std::string>(3, "######..")));
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
    EXPECT_EQ(
        Picture(mask),
        (std::vector<std::string>{"............", "............", ".........#..", "...........#", "............"}));

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

// A 10 x 8 mask selecting the rectangle 2..7 x 1..6.
void SelectRectangle(TQkMask& mask)
{
    mask.AllocateBits(10, 8, 1);
    for (int32_t y = 1; y <= 6; ++y)
        mask.DrawHorizontalLine(1, 2, y, 7);
    mask.UpdateBounds();
}

// The canvas as rows of 'a' (first colour), 'b' (second) and '.' (untouched).
std::vector<std::string> OutlinePicture(TBitmap& target)
{
    std::vector<std::string> rows;
    for (int32_t y = 0; y < target.Height(); ++y) {
        std::string row;
        for (int32_t x = 0; x < target.Width(); ++x) {
            const TColor pixel = target.Canvas()->Pixels(x, y);
            row += pixel == clRed ? 'a' : pixel == clBlue ? 'b' : '.';
        }
        rows.push_back(row);
    }
    return rows;
}

std::vector<std::string> DrawOutlineOnWhite(TQkMask& mask, const TRect& visible, int32_t width, int32_t height,
                                            int32_t phase, TRect* outline = nullptr)
{
    TBitmap target(width, height, pf24bit);
    target.Canvas()->Brush()->SetColor(clWhite);
    target.Canvas()->FillRect(TRect{0, 0, width, height});
    mask.DrawOutline(*target.Canvas(), TPoint{0, 0}, outline, clRed, clBlue, visible, width, height, phase);
    return OutlinePicture(target);
}

TEST(MaskTest, OutlineDashesAndPhases)
{
    TQkMask mask;
    SelectRectangle(mask);
    TRect outline;
    const std::vector<std::string> phase0 = DrawOutlineOnWhite(mask, TRect{0, 0, 10, 8}, 10, 8, 0, &outline);
    EXPECT_EQ(outline, (TRect{2, 1, 8, 7}));
    // The dash colour follows (x + y + phase) and 4.
    const std::vector<std::string> expected0{
        "..........", "..baaaab..", "..a....b..", "..a....b..", "..a....b..", "..a....a..", "..bbbbaa..", "..........",
    };
    EXPECT_EQ(phase0, expected0);
    std::vector<std::string> swapped = phase0;
    for (std::string& row : swapped)
        for (char& c : row)
            c = c == 'a' ? 'b' : c == 'b' ? 'a' : c;
    EXPECT_EQ(DrawOutlineOnWhite(mask, TRect{0, 0, 10, 8}, 10, 8, 4), swapped);
}

TEST(MaskTest, OutlineAtOtherScalesAndAfterChanges)
{
    TQkMask mask;
    SelectRectangle(mask);
    // Twice the size: still one screen pixel wide.
    const std::vector<std::string> doubled = DrawOutlineOnWhite(mask, TRect{0, 0, 10, 8}, 20, 16, 0);
    for (int32_t y = 0; y < 16; ++y) {
        for (int32_t x = 0; x < 20; ++x) {
            const bool inside = x >= 4 && x <= 15 && y >= 2 && y <= 13;
            const bool ring = inside && (x == 4 || x == 15 || y == 2 || y == 13);
            EXPECT_EQ(doubled[static_cast<size_t>(y)][static_cast<size_t>(x)] != '.', ring) << x << "," << y;
        }
    }

    // The selection goes on beyond the view's left side: no edge there.
    const std::vector<std::string> scrolled = DrawOutlineOnWhite(mask, TRect{4, 0, 10, 8}, 6, 8, 0);
    const std::vector<std::string> expectedScrolled{
        "......", ".bba..", "...a..", "...a..", "...a..", "...b..", ".abb..", "......",
    };
    EXPECT_EQ(scrolled, expectedScrolled);

    // Zoomed out, no screen column falls on the box's first plane column:
    // the left edge is still drawn.
    TQkMask shifted;
    shifted.AllocateBits(10, 8, 1);
    for (int32_t y = 0; y < 8; ++y)
        shifted.DrawHorizontalLine(1, 3, y, 7);
    shifted.UpdateBounds();
    const std::vector<std::string> half = DrawOutlineOnWhite(shifted, TRect{0, 0, 10, 8}, 5, 4, 0);
    for (const std::string& row : half)
        EXPECT_NE(row[2], '.');

    // A hole made after a drawing of the same size is outlined.
    mask.SetPixel(4, 3, 0);
    const std::vector<std::string> holed = DrawOutlineOnWhite(mask, TRect{0, 0, 10, 8}, 10, 8, 0);
    EXPECT_EQ(holed[3], "..aa.b.b..");
    EXPECT_EQ(holed[2].substr(3, 3), "aaa");

    TQkMask empty;
    empty.AllocateBits(10, 8, 1);
    EXPECT_EQ(DrawOutlineOnWhite(empty, TRect{0, 0, 10, 8}, 10, 8, 0)[1], "..........");
}

TEST(MaskTest, ShadeOutsideTintsTheUnselectedPixels)
{
    TQkMask mask;
    mask.AllocateBits(6, 4, 1);
    mask.DrawHorizontalLine(1, 1, 1, 2);
    mask.DrawHorizontalLine(1, 1, 2, 2);
    mask.UpdateBounds();
    const TRGBPixel gray = MakeRGBPixel(100, 100, 100);
    const auto shaded = [&](TPoint position, int32_t opacity, int32_t width, int32_t height) {
        auto view = std::make_unique<TQkBitmap>(6, 4, qk24RGB);
        for (int32_t y = 0; y < 4; ++y)
            for (int32_t x = 0; x < 6; ++x)
                view->SetPixel24(x, y, gray);
        mask.ShadeOutside(*view, position, clRed, opacity, TRect{0, 0, 6, 4}, width, height);
        return view;
    };
    const auto blended = shaded(TPoint{0, 0}, 128, 6, 4);
    const auto checkered = shaded(TPoint{0, 0}, -1, 6, 4);
    // Twice the size, shown from screen pixel (2, 1) on.
    const auto scrolled = shaded(TPoint{-2, -1}, 128, 12, 8);
    for (int32_t y = 0; y < 4; ++y) {
        for (int32_t x = 0; x < 6; ++x) {
            SCOPED_TRACE(testing::Message() << x << "," << y);
            const bool selected = mask.GetPixel(x, y) != 0;
            // 255 x 128/255 + 100 x 127/255 = 177.8; 100 x 127/255 = 49.8.
            const TRGBPixel tinted = MakeRGBPixel(177, 49, 49);
            EXPECT_TRUE(SameRGBPixel(blended->GetPixel24(x, y), selected ? gray : tinted));
            const bool gray97 = !selected && (x + y) % 2 == 0;
            EXPECT_EQ(checkered->GetPixel24(x, y).r, gray97 ? 97 : 100);
            const bool scrolledSelected = mask.GetPixel((x + 2) / 2, (y + 1) / 2) != 0;
            EXPECT_TRUE(SameRGBPixel(scrolled->GetPixel24(x, y), scrolledSelected ? gray : tinted));
        }
    }
}

} // namespace
