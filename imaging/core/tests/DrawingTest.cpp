#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "imaging/core/QkCanvas.h"
#include "imaging/core/QkDrawing.h"
#include "imaging/core/QkHintBox.h"
#include "platform/gfx/Bitmap.h"

namespace {

class DrawingTest : public ::testing::Test {
protected:
    DrawingTest()
    {
        CanvasStaticInit();
        LoadGdiPlus();
    }
    ~DrawingTest() override { UnloadGdiPlus(); }
};

std::unique_ptr<TBitmap> Filled(TColor color, int32_t width = 100, int32_t height = 100)
{
    auto bitmap = std::make_unique<TBitmap>(width, height, pf24bit);
    bitmap->Canvas()->FillSolidRect(Rect(0, 0, width, height), color);
    return bitmap;
}

// A striped picture, so that every saved pixel is told apart from its neighbours.
std::unique_ptr<TBitmap> Striped(int32_t size)
{
    auto bitmap = Filled(clWhite, size, size);
    for (int32_t y = 0; y < size; ++y)
        for (int32_t x = 0; x < size; ++x)
            bitmap->Canvas()->SetPixel(x, y, RGB(uint8_t(x * 3), uint8_t(y * 5), uint8_t(x + y)));
    return bitmap;
}

TEST_F(DrawingTest, ThreeDFrameOnBothCanvases)
{
    for (const bool qk : {false, true}) {
        auto bitmap = Filled(clWhite, 20, 20);
        const TRect frame = Rect(5, 5, 15, 12);
        if (qk) {
            TQkCanvas canvas(*bitmap->Canvas(), false, false);
            Draw3DFrameQk(canvas, frame, clRed, clBlue);
        } else {
            Draw3DFrame(*bitmap->Canvas(), frame, clRed, clBlue);
        }
        TCanvas& c = *bitmap->Canvas();
        EXPECT_EQ(c.Pixels(5, 8), clRed);
        EXPECT_EQ(c.Pixels(10, 5), clRed);
        EXPECT_EQ(c.Pixels(10, 12), clBlue);
        EXPECT_EQ(c.Pixels(15, 8), clBlue);
        EXPECT_EQ(c.Pixels(15, 5), clWhite);
        EXPECT_EQ(c.Pixels(10, 8), clWhite);
    }
}

TEST_F(DrawingTest, ShadeOutsideRectDarkensOnlyTheBands)
{
    auto bitmap = Filled(clWhite, 40, 40);
    ShadeOutsideRect(*bitmap->Canvas(), Rect(0, 0, 40, 40), Rect(10, 12, 30, 28));
    TCanvas& c = *bitmap->Canvas();
    for (int32_t y = 12; y < 28; ++y)
        for (int32_t x = 10; x < 30; ++x)
            ASSERT_EQ(c.Pixels(x, y), clWhite) << x << "," << y;
    for (const TPoint p : {Point(3, 3), Point(20, 5), Point(5, 20), Point(35, 20), Point(20, 33)})
        EXPECT_EQ(c.Pixels(p.X, p.Y), RGB(105, 105, 105)) << p.X << "," << p.Y;

    auto untouched = Filled(clWhite, 40, 40);
    ShadeOutsideRect(*untouched->Canvas(), Rect(0, 0, 40, 40), Rect(10, 10, 10, 30));
    EXPECT_EQ(untouched->Canvas()->Pixels(3, 3), clWhite);
}

// The strip right of an image spanning x 10..59, y 10..59, and the same
// strip mirrored across the diagonal below it.
struct ShadowSide {
    bool below;
    void Draw(TCanvas& canvas, TBitmap* image, int32_t kind) const
    {
        if (below)
            DrawBottomShadow(canvas, image, 10, 60, 59, 69, kind);
        else
            DrawRightShadow(canvas, image, 60, 10, 69, 59, kind);
    }
    // `across` away from the image, `along` beside it, from the strip's corner.
    TColor At(TBitmap& bitmap, int32_t across, int32_t along) const
    {
        return below ? bitmap.Canvas()->Pixels(10 + along, 60 + across)
                     : bitmap.Canvas()->Pixels(60 + across, 10 + along);
    }
    uint8_t Blue(TBitmap& bitmap, int32_t across, int32_t along) const { return GetBValue(At(bitmap, across, along)); }
};

TEST_F(DrawingTest, ShadowKindsOnBothSides)
{
    for (const ShadowSide side : {ShadowSide{false}, ShadowSide{true}}) {
        SCOPED_TRACE(side.below ? "bottom" : "right");
        auto brushed = Filled(clBlue);
        brushed->Canvas()->Brush()->SetColor(clBlack);
        side.Draw(*brushed->Canvas(), nullptr, 1);
        EXPECT_EQ(side.Blue(*brushed, 0, 10), 0);
        EXPECT_EQ(side.Blue(*brushed, 8, 49), 0);
        EXPECT_EQ(side.Blue(*brushed, 0, 9), 255);
        EXPECT_EQ(side.Blue(*brushed, 9, 30), 255);
        EXPECT_EQ(side.Blue(*brushed, 0, 50), 255);

        // In the image's rows or through the canvas, the darkening is the same.
        for (const bool throughRows : {true, false}) {
            auto faded = Filled(clBlue);
            side.Draw(*faded->Canvas(), throughRows ? faded.get() : nullptr, 2);
            EXPECT_EQ(side.Blue(*faded, 0, 30), 51); // 255 * 0.2019
            EXPECT_EQ(side.Blue(*faded, 9, 30), 227); // 255 * 0.8914
            EXPECT_EQ(side.Blue(*faded, 0, 9), 255);
            EXPECT_EQ(side.Blue(*faded, 0, 42), 51);
            EXPECT_EQ(side.Blue(*faded, 0, 43), 255);
            EXPECT_EQ(side.Blue(*faded, 9, 51), 227);
        }

        auto gradient = Filled(clBlue);
        side.Draw(*gradient->Canvas(), nullptr, 3);
        EXPECT_EQ(side.At(*gradient, 0, 0), RGB(255, 255, 255));
        EXPECT_EQ(side.Blue(*gradient, 0, 40), 93);
        EXPECT_EQ(side.Blue(*gradient, 10, 40), 255);
        // The last row starts nine pixels out.
        EXPECT_EQ(side.Blue(*gradient, 9, 50), 230);
        EXPECT_EQ(side.At(*gradient, 8, 50), clBlue);
    }
}

TEST_F(DrawingTest, SoftShadowDarkensAroundTheRectangleOnly)
{
    auto bitmap = Filled(clWhite, 60, 60);
    bitmap->Canvas()->FillSolidRect(Rect(20, 20, 40, 40), clRed);
    DrawSoftShadow(*bitmap, 20, 20, 39, 39);
    TCanvas& canvas = *bitmap->Canvas();
    EXPECT_EQ(canvas.Pixels(30, 30), clRed) << "the rectangle itself stays";
    EXPECT_EQ(canvas.Pixels(20, 20), clRed);
    EXPECT_EQ(canvas.Pixels(10, 30), clWhite) << "beyond the 5-pixel reach";
    EXPECT_EQ(canvas.Pixels(46, 30), clWhite);
    const uint8_t right = GetRValue(canvas.Pixels(40, 30));
    const uint8_t leftSide = GetRValue(canvas.Pixels(19, 30));
    EXPECT_LT(right, 128) << "the shadow lies heavier to the right";
    EXPECT_LT(right, leftSide);
    EXPECT_LT(GetRValue(canvas.Pixels(30, 40)), GetRValue(canvas.Pixels(30, 19))) << "and to the bottom";
    EXPECT_LT(GetRValue(canvas.Pixels(42, 30)), 255);
    EXPECT_EQ(GetRValue(canvas.Pixels(40, 30)), GetBValue(canvas.Pixels(40, 30))) << "gray, not tinted";

    auto corner = Filled(clWhite, 8, 8);
    DrawSoftShadow(*corner, 0, 0, 3, 3); // reaches beyond the bitmap's edges
    EXPECT_LT(GetRValue(corner->Canvas()->Pixels(4, 2)), 255);
}

TEST_F(DrawingTest, HintBoxStaysInsideAndSavesWhatItCovers)
{
    auto canvasBitmap = Striped(120);
    auto original = Striped(120);
    TCanvas& canvas = *canvasBitmap->Canvas();
    TFont font;
    font.SetName("DejaVu Sans");
    font.SetHeight(-12);
    TBrush brush;
    brush.SetColor(clInfoBk);
    TBitmap saved;
    int32_t x = -5, y = 200;
    DrawHintBox(canvas, x, y, "Hint", font, brush, saved, 120, 120, clWhite, clGray);
    const int32_t width = canvas.TextWidth("Hint") + 12, height = canvas.TextHeight("Hint") + 12;
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 120 - height - 1);
    ASSERT_EQ(saved.Width(), width + 1);
    ASSERT_EQ(saved.Height(), height + 1);
    EXPECT_EQ(canvas.Pixels(x + width, y + 8), clGray);
    EXPECT_EQ(canvas.Pixels(x + 8, y + height), clGray);
    EXPECT_EQ(canvas.Pixels(x + 6, y + 8), clWhite);

    canvas.Draw(x, y, &saved);
    for (int32_t row = 0; row < 120; ++row)
        for (int32_t column = 0; column < 120; ++column)
            ASSERT_EQ(canvas.Pixels(column, row), original->Canvas()->Pixels(column, row)) << column << "," << row;
}

TEST_F(DrawingTest, AlphaHintBoxIsAsWideAsTheWiderText)
{
    auto measure = Filled(clWhite, 10, 10);
    TCanvas& m = *measure->Canvas();
    m.Font()->SetName("Arial");
    m.Font()->SetSize(9);
    const std::string wide = "A much wider first line", narrow = "Short";
    const int32_t width = m.TextWidth(wide) + 12, height = m.TextHeight(narrow) + 12;

    for (const bool wideFirst : {true, false}) {
        auto bitmap = Filled(clBlack, 300, 60);
        int32_t x = -3, y = 4;
        DrawAlphaHintBox(*bitmap->Canvas(), x, y, wideFirst ? wide : narrow, wideFirst ? narrow : wide);
        EXPECT_EQ(x, 0);
        EXPECT_EQ(y, 4);
        TCanvas& c = *bitmap->Canvas();
        const int32_t middle = y + height / 2;
        EXPECT_EQ(c.Pixels(width, middle), RGB(128, 128, 128)) << wideFirst;
        EXPECT_EQ(c.Pixels(width + 1, middle), clBlack);
        // Half of the light yellow over black.
        const TColor inside = c.Pixels(x + 7, y + height - 2);
        EXPECT_NEAR(GetRValue(inside), 128, 1);
        EXPECT_NEAR(GetGValue(inside), 128, 1);
        EXPECT_NEAR(GetBValue(inside), 48, 1);
    }
}

} // namespace
