#include "imaging/views/background/QkViewBackground.h"

#include <set>

#include <gtest/gtest.h>

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"
#include "platform/gfx/Picture.h"

namespace {

constexpr TColor Background = RGB(10, 20, 30);
constexpr TColor Inverse = RGB(245, 235, 225);
constexpr TColor Sentinel = RGB(1, 2, 3);
const TRect Area{0, 0, 40, 30};
const TRect Image{10, 8, 30, 22};

// A 40 x 30 surface filled with the sentinel colour.
struct TSurface {
    TBitmap Bitmap{40, 30, pf24bit};
    TSurface()
    {
        Canvas().Brush()->SetColor(Sentinel);
        Canvas().FillRect(Area);
    }
    TCanvas& Canvas() { return *Bitmap.Canvas(); }
    TColor At(int32_t x, int32_t y) { return Canvas().Pixels(x, y); }
    void Paint(TQkBackgroundStyle style, const TRect& image = Image, bool withBitmap = true)
    {
        TQkBackgroundOptions options;
        options.Background = Background;
        options.Style = style;
        PaintViewBackground(Canvas(), withBitmap ? &Bitmap : nullptr, options, Area, image);
    }
    std::set<TColor> Colors()
    {
        std::set<TColor> colors;
        for (int32_t y = 0; y < 30; ++y)
            for (int32_t x = 0; x < 40; ++x)
                colors.insert(At(x, y));
        return colors;
    }
    // Whether every pixel equals its neighbour one step along (dx, dy).
    bool ConstantAlong(int32_t dx, int32_t dy)
    {
        for (int32_t y = 1; y < 29; ++y)
            for (int32_t x = 1; x < 39; ++x)
                if (At(x, y) != At(x + dx, y + dy))
                    return false;
        return true;
    }
};

uint8_t Luminance(TColor color) { return static_cast<uint8_t>(((color & 0xFF) + (color >> 8 & 0xFF)) / 2); }

TEST(BackgroundTest, HatchedStylesRunTheirLinesTheirWay)
{
    struct TCase {
        TQkBackgroundStyle Style;
        int32_t Dx, Dy; // a direction the pattern does not change along; 0, 0 for none
    } cases[] = {
        {qkbsHorizontal, 1, 0}, {qkbsVertical, 0, 1}, {qkbsFDiagonal, 1, 1},
        {qkbsBDiagonal, 1, -1}, {qkbsCross, 0, 0},    {qkbsDiagCross, 0, 0},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.Style));
        TSurface surface;
        surface.Paint(c.Style);
        // The lines in the background colour; the gaps follow the canvas's
        // background mode, which leaves them alone here.
        EXPECT_EQ(surface.Colors(), (std::set<TColor>{Background, Sentinel}));
        if (c.Dx != 0 || c.Dy != 0) {
            EXPECT_TRUE(surface.ConstantAlong(c.Dx, c.Dy));
            EXPECT_FALSE(surface.ConstantAlong(c.Dy, c.Dx == 0 ? 0 : -c.Dx)) << "and changes across";
        } else {
            EXPECT_FALSE(surface.ConstantAlong(1, 0));
            EXPECT_FALSE(surface.ConstantAlong(0, 1));
        }
    }
}

TEST(BackgroundTest, StylesAtSentinelPixels)
{
    struct TProbe {
        int32_t X, Y;
        TColor Color;
    };
    struct TCase {
        const char* Name;
        TQkBackgroundStyle Style;
        std::vector<TProbe> Probes;
    } cases[] = {
        {"solid", qkbsSolid, {{0, 0, Background}, {39, 29, Background}, {15, 15, Background}}},
        {"chessboard: squares of 16, each band starting the other way",
         qkbsChessboard,
         {{0, 0, Background}, {15, 15, Background}, {16, 0, Inverse}, {0, 16, Inverse}, {16, 16, Background}}},
        {"diagonals in the complement",
         qkbsDiagonals,
         {{0, 0, Inverse}, {20, 15, Inverse}, {38, 1, Inverse}, {5, 25, Background}, {20, 2, Background}}},
        {"photo-like: gray surround, black frame, chessboard inside",
         qkbsPhotoLike,
         {{2, 2, 0xB0B0B0},
          {9, 7, clBlack},
          {30, 22, clBlack},
          {10, 8, Background},
          {26, 8, Inverse},
          {10, 21, Background},
          {31, 23, 0xB0B0B0}}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        for (const bool withBitmap : {true, false}) {
            SCOPED_TRACE(withBitmap ? "into the rows" : "through the canvas");
            TSurface surface;
            surface.Paint(c.Style, Image, withBitmap);
            for (const TProbe& probe : c.Probes)
                EXPECT_EQ(surface.At(probe.X, probe.Y), probe.Color) << probe.X << ", " << probe.Y;
        }
    }
}

TEST(BackgroundTest, CroppedDrawsTheSunkenEdgeOnlyAroundARealImage)
{
    TSurface framed;
    framed.Paint(qkbsCropped);
    const TColor face = ColorToPixelRGB(clBtnFace);
    EXPECT_EQ(framed.At(0, 0), face);
    EXPECT_EQ(framed.At(15, 15), face);
    EXPECT_LT(Luminance(framed.At(8, 6)), Luminance(face)) << "the sunken edge's dark outer corner";
    EXPECT_NE(framed.At(31, 12), face) << "the edge's right side";
    EXPECT_EQ(framed.At(32, 12), face);

    TSurface thin;
    thin.Paint(qkbsCropped, TRect{10, 8, 11, 13}); // 1 x 5
    EXPECT_EQ(thin.Colors(), std::set<TColor>{face});
}

TEST(BackgroundTest, ShadowsFallRightAndBelow)
{
    for (const TQkBackgroundStyle style : {qkbsCropShadow, qkbsSoftShadow}) {
        SCOPED_TRACE(static_cast<int>(style));
        TSurface surface;
        surface.Paint(style);
        EXPECT_EQ(surface.At(2, 2), Background);
        EXPECT_LT(Luminance(surface.At(31, 15)), Luminance(Background)) << "right of the image";
        EXPECT_LT(Luminance(surface.At(20, 23)), Luminance(Background)) << "below the image";
        EXPECT_EQ(surface.At(2, 15), Background) << "well left of the image";
    }
    TSurface noBitmap;
    noBitmap.Paint(qkbsSoftShadow, Image, false);
    EXPECT_EQ(noBitmap.Colors(), std::set<TColor>{Sentinel}) << "the soft shadow needs the rows";
}

TEST(BackgroundTest, GradientRunsTopToBottomOrLeavesTheAreaWhenUnavailable)
{
    TSurface surface;
    TQkBackgroundOptions options;
    options.Background = RGB(0, 0, 0);
    options.GradientEndColor = RGB(200, 100, 30);
    options.Style = qkbsGradient;
    PaintViewBackground(surface.Canvas(), &surface.Bitmap, options, Area, Image);
    EXPECT_EQ(surface.At(0, 0), RGB(0, 0, 0));
    EXPECT_EQ(surface.At(39, 15), RGB(100, 50, 15));
    EXPECT_EQ(surface.At(7, 29), RGB(193, 96, 29));

    SetGradientFillAvailable(false);
    TSurface fallback;
    PaintViewBackground(fallback.Canvas(), &fallback.Bitmap, options, Area, Image);
    EXPECT_FALSE(GradientFillRect(fallback.Canvas(), Area, clBlack, clWhite, true));
    SetGradientFillAvailable(true);
    EXPECT_EQ(fallback.Colors(), std::set<TColor>{Sentinel});
}

TEST(BackgroundTest, WallPaperNormalStretchedAndTiled)
{
    // 3 x 2: red, green, blue over white, black, gray.
    TBitmap tile(3, 2, pf24bit);
    const TColor colors[2][3] = {{RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)},
                                 {RGB(255, 255, 255), RGB(0, 0, 0), RGB(128, 128, 128)}};
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 3; ++x)
            tile.Canvas()->SetPixel(x, y, colors[y][x]);
    TPicture picture;
    picture.SetGraphic(&tile);

    struct TProbe {
        int32_t X, Y;
        TColor Color;
    };
    struct TCase {
        TQkWallPaperStyle Style;
        std::vector<TProbe> Probes;
    } cases[] = {
        {qkwoNormal, {{0, 0, colors[0][0]}, {2, 1, colors[1][2]}, {3, 0, Background}, {0, 2, Background}}},
        {qkwoStretch, {{0, 0, colors[0][0]}, {39, 29, colors[1][2]}, {20, 0, colors[0][1]}, {39, 0, colors[0][2]}}},
        {qkwoTile, {{3, 0, colors[0][0]}, {4, 3, colors[1][1]}, {38, 28, colors[0][2]}, {39, 29, colors[1][0]}}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.Style));
        TSurface surface;
        TQkBackgroundOptions options;
        options.Background = Background;
        options.WallPaper = &picture;
        options.WallPaperStyle = c.Style;
        PaintViewBackground(surface.Canvas(), &surface.Bitmap, options, Area, Image);
        for (const TProbe& probe : c.Probes)
            EXPECT_EQ(surface.At(probe.X, probe.Y), probe.Color) << probe.X << ", " << probe.Y;
    }
}

} // namespace
