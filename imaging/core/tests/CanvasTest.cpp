#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "imaging/core/QkCanvas.h"
#include "platform/core/Exceptions.h"
#include "platform/gfx/Bitmap.h"

namespace {

// Anti-aliased drawing loaded for the test's life.
class CanvasTest : public ::testing::Test {
protected:
    CanvasTest()
    {
        CanvasStaticInit();
        LoadGdiPlus();
    }
    ~CanvasTest() override
    {
        UnloadGdiPlus();
        SetGdiPlusLoadFails(false);
    }
};

std::unique_ptr<TBitmap> Blank(TColor color = clWhite, int32_t size = 40)
{
    auto bitmap = std::make_unique<TBitmap>(size, size, pf24bit);
    bitmap->Canvas()->FillSolidRect(Rect(0, 0, size, size), color);
    return bitmap;
}

std::vector<uint8_t> Pixels(TBitmap& bitmap)
{
    std::vector<uint8_t> bytes;
    for (int32_t y = 0; y < bitmap.Height(); ++y)
        bytes.insert(bytes.end(), bitmap.ScanLine(y), bitmap.ScanLine(y) + bitmap.Width() * 3);
    return bytes;
}

bool IsIntermediate(uint8_t value) { return value != 0 && value != 255; }

TEST_F(CanvasTest, UseCountKeepsItLoadedUntilTheLastUnload)
{
    CanvasStaticInit();
    EXPECT_FALSE(IsGdiPlusLoaded());
    LoadGdiPlus();
    LoadGdiPlus();
    UnloadGdiPlus();
    EXPECT_TRUE(IsGdiPlusLoaded());
    EXPECT_TRUE(IsGdiPlusActive());
    SetGdiPlusSwitch(false);
    EXPECT_FALSE(IsGdiPlusActive());
    SetGdiPlusSwitch(true);
    EXPECT_TRUE(IsGdiPlusActive());
    UnloadGdiPlus();
    EXPECT_FALSE(IsGdiPlusLoaded());
    EXPECT_FALSE(IsGdiPlusActive());
    // An unmatched unload does not let the next load count wrongly.
    UnloadGdiPlus();
    LoadGdiPlus();
    EXPECT_TRUE(IsGdiPlusLoaded());
}

TEST_F(CanvasTest, ChoosesItsPathAtCreation)
{
    auto bitmap = Blank();
    EXPECT_TRUE(TQkCanvas(*bitmap->Canvas(), true, true).UsesGdiPlus());
    EXPECT_FALSE(TQkCanvas(*bitmap->Canvas(), true, false).UsesGdiPlus());
    SetGdiPlusSwitch(false);
    EXPECT_FALSE(TQkCanvas(*bitmap->Canvas(), true, true).UsesGdiPlus());
    SetGdiPlusSwitch(true);

    CanvasStaticInit();
    SetGdiPlusLoadFails(true);
    LoadGdiPlus();
    EXPECT_FALSE(IsGdiPlusLoaded());
    EXPECT_FALSE(TQkCanvas(*bitmap->Canvas(), true, true).UsesGdiPlus());
}

TEST_F(CanvasTest, ACanvasWithoutPixelsCannotDrawAntiAliased)
{
    TBitmap empty;
    try {
        TQkCanvas canvas(*empty.Canvas(), true, true);
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Cannot create TQkCanvas. GdipCreateFromHDC failed.");
    }
    EXPECT_NO_THROW(TQkCanvas(*empty.Canvas(), true, false));
}

TEST_F(CanvasTest, RectangleCoversTheSamePixelsOnBothPaths)
{
    struct Case {
        bool antiAliased;
        TRect corners;
    };
    const Case cases[] = {{true, {10, 10, 20, 20}}, {true, {20, 20, 10, 10}}, {false, {10, 10, 20, 20}}};
    auto plain = Blank();
    plain->Canvas()->Brush()->SetColor(clRed);
    plain->Canvas()->Rectangle(10, 10, 20, 20);
    for (const Case& c : cases) {
        auto bitmap = Blank();
        TQkCanvas canvas(*bitmap->Canvas(), true, c.antiAliased);
        canvas.Brush().SetColor(clRed);
        canvas.Pen().SetLineJoin(0);
        canvas.RectangleRect(c.corners);
        TCanvas& drawn = *bitmap->Canvas();
        for (const TPoint p : {Point(10, 10), Point(19, 10), Point(10, 19), Point(19, 19), Point(15, 10)})
            EXPECT_EQ(drawn.Pixels(p.X, p.Y), clBlack) << p.X << "," << p.Y;
        EXPECT_EQ(drawn.Pixels(15, 15), clRed);
        for (const TPoint p : {Point(9, 15), Point(20, 15), Point(15, 9), Point(15, 20)})
            EXPECT_EQ(drawn.Pixels(p.X, p.Y), clWhite) << p.X << "," << p.Y;
        EXPECT_EQ(Pixels(*bitmap), Pixels(*plain)) << c.antiAliased;
    }
}

TEST_F(CanvasTest, RoundJoinsSoftenTheCornersOnly)
{
    auto bitmap = Blank();
    TQkCanvas canvas(*bitmap->Canvas(), true, true);
    canvas.Rectangle(10, 10, 20, 20);
    const TColor corner = bitmap->Canvas()->Pixels(10, 10);
    EXPECT_NE(corner, clBlack);
    EXPECT_LT(GetRValue(corner), 32);
    EXPECT_EQ(bitmap->Canvas()->Pixels(15, 10), clBlack);
}

using TDraw = std::function<void(TQkCanvas&)>;

struct Shape {
    std::string name;
    TDraw draw;
};

const std::vector<Shape>& Shapes()
{
    static const std::vector<Shape> shapes = {
        {"rectangle", [](TQkCanvas& c) { c.Rectangle(5, 5, 30, 25); }},
        {"ellipse", [](TQkCanvas& c) { c.Ellipse(5, 5, 33, 27); }},
        {"polygon",
         [](TQkCanvas& c) {
             c.Polygon({{3, 3}, {35, 10}, {12, 34}});
         }},
        {"round rectangle", [](TQkCanvas& c) { c.RoundRect(4, 4, 34, 30, 12, 10); }},
        {"fill", [](TQkCanvas& c) { c.FillRect(Rect(5, 5, 30, 25)); }},
    };
    return shapes;
}

TEST_F(CanvasTest, ClearPenAndBrushDrawNothing)
{
    for (const Shape& shape : Shapes()) {
        auto bitmap = Blank();
        const std::vector<uint8_t> before = Pixels(*bitmap);
        TQkCanvas canvas(*bitmap->Canvas(), true, true);
        canvas.Pen().SetStyle(psClear);
        canvas.Pen().SetWidth(3);
        canvas.Brush().SetStyle(bsClear);
        shape.draw(canvas);
        EXPECT_EQ(Pixels(*bitmap), before) << shape.name;
    }
}

TEST_F(CanvasTest, EllipsesWithoutWidthOrHeightDrawNothing)
{
    struct Case {
        bool antiAliased;
        float penWidth;
        TRect box;
    };
    // A pen below one pixel wide collapses a box one pixel wide.
    const Case cases[] = {{true, 1, {10, 10, 10, 30}},
                          {true, 0.5f, {10, 10, 11, 30}},
                          {true, 1, {10, 20, 30, 20}},
                          {false, 1, {10, 10, 10, 30}},
                          {false, 1, {10, 20, 30, 20}}};
    for (const Case& c : cases) {
        auto bitmap = Blank();
        const std::vector<uint8_t> before = Pixels(*bitmap);
        TQkCanvas canvas(*bitmap->Canvas(), true, c.antiAliased);
        canvas.Pen().SetWidth(c.penWidth);
        canvas.EllipseRect(c.box);
        EXPECT_EQ(Pixels(*bitmap), before) << c.antiAliased << " " << c.penWidth;
    }
    // Wider pens widen a box without width or height, on both paths.
    for (const bool antiAliased : {true, false}) {
        auto widened = Blank();
        TQkCanvas canvas(*widened->Canvas(), true, antiAliased);
        canvas.Pen().SetWidth(3);
        canvas.Ellipse(10, 10, 10, 30);
        EXPECT_NE(widened->Canvas()->Pixels(10, 20), clWhite) << antiAliased;
    }
}

TEST_F(CanvasTest, OnlyTheAntiAliasedPathBlendsDiagonalEdges)
{
    for (const bool antiAliased : {true, false}) {
        auto bitmap = Blank(clBlack);
        TQkCanvas canvas(*bitmap->Canvas(), true, antiAliased);
        canvas.Pen().SetColor(clWhite);
        canvas.Brush().SetColor(clWhite);
        canvas.Polygon({{2, 2}, {37, 12}, {9, 36}});
        const std::vector<uint8_t> bytes = Pixels(*bitmap);
        EXPECT_EQ(std::any_of(bytes.begin(), bytes.end(), IsIntermediate), antiAliased);
    }
}

TEST_F(CanvasTest, HighSpeedSmoothingDoesNotBlend)
{
    auto bitmap = Blank(clBlack);
    TQkCanvas canvas(*bitmap->Canvas(), false, true);
    canvas.Pen().SetColor(clWhite);
    canvas.DrawLine(2, 3, 37, 30);
    const std::vector<uint8_t> bytes = Pixels(*bitmap);
    EXPECT_FALSE(std::any_of(bytes.begin(), bytes.end(), IsIntermediate));
    EXPECT_TRUE(std::any_of(bytes.begin(), bytes.end(), [](uint8_t b) { return b == 255; }));
}

TEST_F(CanvasTest, WithoutTheLibraryEveryOperationDrawsLikeTheCanvas)
{
    using TPlain = std::function<void(TCanvas&)>;
    struct Operation {
        std::string name;
        TDraw qk;
        TPlain plain;
    };
    const std::vector<TPoint> star{{5, 5}, {30, 20}, {8, 32}, {20, 2}, {34, 30}};
    const Operation operations[] = {
        {"line to",
         [](TQkCanvas& c) {
             c.MoveTo(3, 4);
             c.LineTo(30, 25);
         },
         [](TCanvas& c) {
             c.MoveTo(3, 4);
             c.LineTo(30, 25);
         }},
        {"draw line", [](TQkCanvas& c) { c.DrawLine(3, 4, 30, 25); },
         [](TCanvas& c) {
             c.Polygon({{3, 4}, {30, 25}});
         }},
        {"fill", [](TQkCanvas& c) { c.FillRect(Rect(5, 6, 30, 20)); },
         [](TCanvas& c) { c.FillRect(Rect(5, 6, 30, 20)); }},
        {"rectangle", [](TQkCanvas& c) { c.Rectangle(30, 20, 5, 6); }, [](TCanvas& c) { c.Rectangle(30, 20, 5, 6); }},
        {"ellipse", [](TQkCanvas& c) { c.Ellipse(4, 5, 33, 28); }, [](TCanvas& c) { c.Ellipse(4, 5, 33, 28); }},
        {"polygon", [&](TQkCanvas& c) { c.Polygon(star); }, [&](TCanvas& c) { c.Polygon(star); }},
        {"polyline", [&](TQkCanvas& c) { c.Polyline(star); }, [&](TCanvas& c) { c.Polyline(star); }},
        {"arc", [](TQkCanvas& c) { c.Arc(4, 4, 34, 30, 34, 17, 4, 4); },
         [](TCanvas& c) { c.Arc(4, 4, 34, 30, 34, 17, 4, 4); }},
        {"round rectangle", [](TQkCanvas& c) { c.RoundRect(4, 4, 34, 30, 12, 10); },
         [](TCanvas& c) { c.RoundRect(4, 4, 34, 30, 12, 10); }},
        {"text", [](TQkCanvas& c) { c.TextOut(2, 2, "Qk"); }, [](TCanvas& c) { c.TextOut(2, 2, "Qk"); }},
        {"text without fill", [](TQkCanvas& c) { c.TextRectNoFill(Rect(2, 2, 12, 12), 2, 2, "Qk"); },
         [](TCanvas& c) {
             const TRect clip = Rect(2, 2, 12, 12);
             c.ExtTextOut(2, 2, ETO_CLIPPED, &clip, "Qk");
         }},
    };
    CanvasStaticInit();
    SetGdiPlusLoadFails(true);
    LoadGdiPlus();
    for (const Operation& op : operations) {
        auto drawn = Blank();
        TQkCanvas canvas(*drawn->Canvas(), true, true);
        canvas.Pen().SetColor(clNavy);
        canvas.Pen().SetWidth(2.7f);
        canvas.Brush().SetColor(clYellow);
        op.qk(canvas);
        auto expected = Blank();
        TCanvas& plain = *expected->Canvas();
        plain.Pen()->SetColor(clNavy);
        plain.Pen()->SetWidth(2);
        plain.Brush()->SetColor(clYellow);
        op.plain(plain);
        EXPECT_EQ(Pixels(*drawn), Pixels(*expected)) << op.name;
    }
}

TEST_F(CanvasTest, HalfOpacityOverBlackGivesHalfTheChannel)
{
    auto bitmap = Blank(clBlack);
    TQkCanvas canvas(*bitmap->Canvas(), true, true);
    canvas.Brush().SetColor(clWhite);
    canvas.Brush().SetOpacity(128);
    canvas.FillRect(Rect(0, 0, 40, 40));
    const TColor c = bitmap->Canvas()->Pixels(20, 20);
    for (const uint8_t channel : {GetRValue(c), GetGValue(c), GetBValue(c)}) {
        EXPECT_GE(channel, 127);
        EXPECT_LE(channel, 128);
    }
}

TEST_F(CanvasTest, HatchesRepeatEveryEightPixelsLikeThePlainCanvas)
{
    for (const TBrushStyle style : {bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross}) {
        auto bitmap = Blank(clGray);
        TQkCanvas canvas(*bitmap->Canvas(), true, true);
        canvas.Brush().SetColor(clBlack);
        canvas.Brush().SetStyle(style);
        canvas.Brush().SetHatchBackColor(clWhite);
        canvas.Brush().SetHatchBackOpacity(255);
        canvas.FillRect(Rect(0, 0, 40, 40));
        auto expected = Blank(clGray);
        TCanvas& plain = *expected->Canvas();
        plain.Brush()->SetColor(clBlack);
        plain.Brush()->SetStyle(style);
        plain.SetBackgroundColor(clWhite);
        plain.SetBackgroundMode(OPAQUE);
        plain.FillRect(Rect(0, 0, 40, 40));
        for (int32_t y = 2; y < 30; ++y) {
            for (int32_t x = 2; x < 30; ++x) {
                const TColor c = bitmap->Canvas()->Pixels(x, y);
                ASSERT_EQ(c, expected->Canvas()->Pixels(x, y)) << style << " at " << x << "," << y;
                ASSERT_EQ(c, bitmap->Canvas()->Pixels(x + 8, y));
                ASSERT_EQ(c, bitmap->Canvas()->Pixels(x, y + 8));
            }
        }
    }
}

TEST_F(CanvasTest, PlainDrawLineDrawsBothEnds)
{
    auto bitmap = Blank();
    TQkCanvas canvas(*bitmap->Canvas(), true, false);
    canvas.DrawLine(5, 5, 15, 5);
    EXPECT_EQ(bitmap->Canvas()->Pixels(5, 5), clBlack);
    EXPECT_EQ(bitmap->Canvas()->Pixels(15, 5), clBlack);
    EXPECT_EQ(bitmap->Canvas()->Pixels(16, 5), clWhite);
}

TEST_F(CanvasTest, DashesAndWidthsOfTheAntiAliasedPen)
{
    auto solid = Blank();
    auto dashed = Blank();
    for (TBitmap* bitmap : {solid.get(), dashed.get()}) {
        TQkCanvas canvas(*bitmap->Canvas(), true, true);
        canvas.Pen().SetWidth(2);
        canvas.Pen().SetStyle(bitmap == dashed.get() ? psDash : psSolid);
        canvas.DrawLine(0, 20, 40, 20);
    }
    // A width-2 dash is 6 pixels on, 2 off.
    EXPECT_EQ(dashed->Canvas()->Pixels(3, 20), clBlack);
    EXPECT_EQ(dashed->Canvas()->Pixels(7, 20), clWhite);
    EXPECT_EQ(solid->Canvas()->Pixels(7, 20), clBlack);
}

} // namespace
