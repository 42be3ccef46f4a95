// Rendering: the back buffer's picture, the background step, layers and
// their placement, the outside shading, flattening, the banner and the
// three ways of copying the buffer to the window.

#include <gtest/gtest.h>

#include "imaging/core/QkGeometry.h"
#include "imaging/views/tests/ViewTestSupport.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"

namespace {

TRGBPixel NoiseAt(int32_t x, int32_t y)
{
    const uint32_t h = uint32_t(x) * 2654435761u ^ uint32_t(y) * 40503u;
    return {static_cast<uint8_t>(h), static_cast<uint8_t>(h >> 8), static_cast<uint8_t>(h >> 16)};
}

std::unique_ptr<TQkBitmap> SolidBitmap(int32_t width, int32_t height, TColor colour)
{
    auto bitmap = std::make_unique<TQkBitmap>(width, height, qk24RGB);
    bitmap->Fill(colour);
    return bitmap;
}

TColor Colour(const TRGBPixel& p) { return RGB(p.r, p.g, p.b); }

// Blending by a full alpha channel may leave a channel one step short.
bool IsRed(TColor c) { return GetRValue(c) >= 254 && GetGValue(c) <= 1 && GetBValue(c) <= 1; }

class ViewRenderTest : public ViewTest {
protected:
    // A noise image of the view's exact size, shown.
    void ShowNoise(int32_t width = 400, int32_t height = 300)
    {
        TBitmap& image = *view->GetLegacyBitmap();
        image.SetSize(width, height);
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x) {
                const TRGBPixel p = NoiseAt(x, y);
                image.Canvas()->SetPixel(x, y, Colour(p));
            }
        view->Update();
        Show();
    }
    void Repaint()
    {
        view->Update();
        Pump();
    }
    TColor BufferPixel(int32_t x, int32_t y) { return Colour(view->BackBuffer().GetPixel24(x, y)); }
};

TEST_F(ViewRenderTest, OneLayerAtFullSizeIsAnExactCopyEvenWithAZoomFilter)
{
    view->ZoomFilter = rfLanczos3;
    ShowNoise();
    for (int32_t y : {0, 1, 150, 299})
        for (int32_t x : {0, 1, 200, 399})
            ASSERT_EQ(BufferPixel(x, y), Colour(NoiseAt(x, y))) << x << "," << y;
    EXPECT_EQ(ViewPixel(399, 299), Colour(NoiseAt(399, 299)));
}

TEST_F(ViewRenderTest, AnOpaqueImageFillingTheViewPaintsNoBackground)
{
    int32_t backgrounds = 0;
    view->OnDrawBackground = [&](TObject*, TCanvas*, const TRect&, bool&) { ++backgrounds; };
    ShowNoise();
    EXPECT_EQ(backgrounds, 0);
    view->Layer(0).OpacityValue = 254;
    Repaint();
    EXPECT_EQ(backgrounds, 1);
}

TEST_F(ViewRenderTest, AHandledBackgroundIsLeftToTheHandler)
{
    view->OnDrawBackground = [](TObject*, TCanvas* canvas, const TRect& rect, bool& handled) {
        canvas->FillSolidRect(rect, clLime);
        handled = true;
    };
    SetImage(100, 100, clRed);
    Show();
    EXPECT_EQ(BufferPixel(5, 5), clLime);
    EXPECT_EQ(BufferPixel(200, 150), clRed);
}

TEST_F(ViewRenderTest, LayersBelowTheMinimumSizeAreSkipped)
{
    ShowNoise();
    struct Case {
        int32_t Width, Height;
        bool Drawn;
    };
    for (const Case& c : {Case{1, 1, false}, Case{1, 100, true}, Case{100, 1, true}}) {
        const int32_t index = view->AddLayer(SolidBitmap(c.Width, c.Height, clRed));
        view->Layer(index).Left = 10;
        view->Layer(index).Top = 20;
        Repaint();
        EXPECT_EQ(BufferPixel(10, 20) == clRed, c.Drawn) << c.Width << "x" << c.Height;
        view->RemoveLayer(index);
    }
}

TEST_F(ViewRenderTest, OutsideModesShadeAroundLayerZero)
{
    view->SetBounds(0, 0, 120, 70);
    SetImage(100, 50, clBlack);
    view->SetBackground(RGB(10, 10, 10));
    Show();
    ASSERT_EQ(view->Layer(0).DrawRect, (std::array<int32_t, 4>{10, 10, 100, 50}));
    struct Case {
        TQkLayerOutsideMode Mode;
        TColor At55, At65, Column110;
    };
    const TColor plain = RGB(10, 10, 10);
    const TColor lifted = RGB(70, 70, 70);
    for (const Case& c :
         {Case{qkloChecker, RGB(128, 128, 128), plain, clBlack}, Case{qkloLighten, lifted, lifted, lifted}}) {
        view->LayerOutsideMode = c.Mode;
        Repaint();
        EXPECT_EQ(BufferPixel(5, 5), c.At55) << int(c.Mode);
        EXPECT_EQ(BufferPixel(6, 5), c.At65) << int(c.Mode);
        // Row 20 lies inside the image; its column 110 is the first past it
        // for mode 3 and still the frame for mode 2.
        EXPECT_EQ(BufferPixel(110, 20), c.Column110 == clBlack ? plain : c.Column110) << int(c.Mode);
        EXPECT_EQ(BufferPixel(109, 20), clBlack) << int(c.Mode);
    }
}

TEST_F(ViewRenderTest, ARotatedLayerLiesAtItsRotatedBoxAndKeepsItsFields)
{
    ShowNoise();
    const int32_t index = view->AddLayer(SolidBitmap(40, 20, clRed));
    TQkLayer& layer = view->Layer(index);
    layer.Left = 100;
    layer.Top = 80;
    layer.SetAngle(30);
    Repaint();
    std::vector<TPoint> corners{{0, 0}, {40, 0}, {40, 20}, {0, 20}};
    RotatePoints(corners, 20, 10, 30);
    int32_t minX = corners[0].X, minY = corners[0].Y, maxX = minX, maxY = minY;
    for (const TPoint& p : corners) {
        minX = std::min(minX, p.X);
        minY = std::min(minY, p.Y);
        maxX = std::max(maxX, p.X);
        maxY = std::max(maxY, p.Y);
    }
    EXPECT_EQ(layer.ScreenRect.Left, 100 + minX);
    EXPECT_EQ(layer.ScreenRect.Top, 80 + minY);
    EXPECT_NEAR(layer.ScreenRect.Right - layer.ScreenRect.Left, maxX - minX, 1);
    EXPECT_NEAR(layer.ScreenRect.Bottom - layer.ScreenRect.Top, maxY - minY, 1);
    EXPECT_EQ(layer.Left, 100);
    EXPECT_EQ(layer.Top, 80);
    EXPECT_EQ(layer.DisplayWidth, 0);
    EXPECT_EQ(layer.DisplayHeight, 0);
    // The middle is red, a corner of the box outside the turned picture is not.
    EXPECT_TRUE(IsRed(BufferPixel(120, 90)));
    EXPECT_EQ(BufferPixel(layer.ScreenRect.Left, layer.ScreenRect.Top), Colour(NoiseAt(100 + minX, 80 + minY)));
    // A second rendering draws the kept picture to the same pixels.
    view->BackBufferDirty = true;
    view->Invalidate();
    Pump();
    EXPECT_TRUE(IsRed(BufferPixel(120, 90)));
}

TEST_F(ViewRenderTest, ALensAtRateOneShowsTheAreaUnmagnified)
{
    ShowNoise();
    const int32_t index = view->AddLayer(SolidBitmap(30, 30, clRed));
    TQkLayer& lens = view->Layer(index);
    lens.Left = 50;
    lens.Top = 60;
    lens.LensEnabled = true;
    lens.LensRate = 1;
    Repaint();
    for (int32_t d : {0, 14, 29})
        EXPECT_EQ(BufferPixel(50 + d, 60 + d), Colour(NoiseAt(50 + d, 60 + d))) << d;
    lens.LensRate = 0.5;
    Repaint();
    EXPECT_EQ(BufferPixel(60, 70), Colour(NoiseAt(60, 70)));
}

TEST_F(ViewRenderTest, AMaskLayerCutsTheLayerBeforeIt)
{
    ShowNoise();
    const int32_t index = view->AddLayer(SolidBitmap(40, 40, clRed));
    view->Layer(index).Left = 100;
    view->Layer(index).Top = 100;
    auto mask = std::make_unique<TQkBitmap>(20, 40, qk8g);
    mask->Fill(255);
    const int32_t maskIndex = view->AddLayer(std::move(mask));
    view->Layer(maskIndex).MaskOfPrevious = true;
    view->Layer(maskIndex).IsVisible = false;
    view->Layer(maskIndex).Left = 100;
    view->Layer(maskIndex).Top = 100;
    Repaint();
    EXPECT_TRUE(IsRed(BufferPixel(105, 110)));
    EXPECT_EQ(BufferPixel(130, 110), Colour(NoiseAt(130, 110)));
    EXPECT_FALSE(view->Layer(index).Bitmap()->HasAlphaChannel());
    // A mask of no size lets the whole layer through.
    view->Layer(maskIndex).Bitmap()->Allocate(0, 0, qk8g);
    Repaint();
    EXPECT_TRUE(IsRed(BufferPixel(130, 110)));
}

TEST_F(ViewRenderTest, FlatteningCoversTheUnionOfTheLayers)
{
    SetImage(50, 40, clBlue);
    const int32_t index = view->AddLayer(SolidBitmap(20, 10, clRed));
    view->Layer(index).Left = -5;
    view->Layer(index).Top = 35;
    TQkBitmap flat(1, 1, qk24RGB);
    view->FlattenLayersTo(flat);
    EXPECT_EQ(flat.GetWidth(), 55);
    EXPECT_EQ(flat.GetHeight(), 45);
    EXPECT_EQ(Colour(flat.GetPixel24(0, 44)), clRed);
    EXPECT_EQ(Colour(flat.GetPixel24(5, 0)), clBlue);
    EXPECT_EQ(view->ZoomX(), 100);
    view->FlattenLayers();
    EXPECT_EQ(view->GetLayerCount(), 1);
    EXPECT_EQ(Colour(view->GetImageBitmap()->GetPixel24(0, 39)), clRed);
}

TEST_F(ViewRenderTest, TheBannerEndsAtTheBottomRightPixel)
{
    SetImage(400, 300, clBlack);
    view->SetDrawVersion(true);
    Show();
    EXPECT_EQ(view->BrelvixVersion(), "3.1.2");
    view->SetBrelvixVersion("9.9");
    EXPECT_EQ(view->BrelvixVersion(), "3.1.2");
    EXPECT_EQ(ViewPixel(399, 299), clWhite);
    TBitmap probe(1, 1, pf24bit);
    probe.Canvas()->Font()->SetName("Arial");
    probe.Canvas()->Font()->SetHeight(13);
    const std::string text = "Brelvix Version 3.1.2";
    const int32_t left = 400 - probe.Canvas()->TextWidth(text);
    const int32_t top = 300 - probe.Canvas()->TextHeight(text);
    EXPECT_EQ(ViewPixel(left, top), clWhite);
    EXPECT_EQ(ViewPixel(left - 1, 299), clBlack);
    EXPECT_EQ(ViewPixel(399, top - 1), clBlack);
}

TEST_F(ViewRenderTest, TheThreeCopiesPutTheSamePixelsOnTheWindow)
{
    view->SetBounds(0, 0, 60, 40);
    ShowNoise(60, 40);
    auto capture = [&] {
        view->FullRepaint = true;
        view->Invalidate();
        Pump();
        std::vector<TColor> pixels;
        for (int32_t y = 0; y < 40; ++y)
            for (int32_t x = 0; x < 60; ++x)
                pixels.push_back(ViewPixel(x, y));
        return pixels;
    };
    const std::vector<TColor> blit = capture();
    EXPECT_EQ(blit[0], Colour(NoiseAt(0, 0)));
    ViewDisplay().BitsPerPixel = 16;
    const std::vector<TColor> halftone = capture();
    ViewDisplay().BitsPerPixel = 24;
    view->ForceDrawDib = true;
    const std::vector<TColor> drawDib = capture();
    EXPECT_EQ(halftone, blit);
    EXPECT_EQ(drawDib, blit);
}

class TOrderView : public TBrelvixView {
public:
    using TBrelvixView::TBrelvixView;
    std::vector<std::string> Log;

protected:
    void AfterRenderBackBuffer(TQkBitmap&) override { Log.push_back("after render"); }
};

TEST_F(ViewRenderTest, TheRenderingHookRunsBeforeTheBackBufferEvent)
{
    auto* ordered = new TOrderView(form.get());
    ordered->SetParent(form.get());
    ordered->SetBounds(0, 0, 50, 50);
    ordered->OnDrawBackBuffer = [&](TObject*) { ordered->Log.push_back("event"); };
    Show();
    ASSERT_GE(ordered->Log.size(), 2u);
    EXPECT_EQ(ordered->Log[0], "after render");
    EXPECT_EQ(ordered->Log[1], "event");
}

TEST_F(ViewRenderTest, AZoomedFilteredPictureMatchesTheRendererAtItsEdges)
{
    ShowNoise(100, 75);
    view->ZoomFilter = rfTriangle;
    view->ChangeZoom(400);
    Pump();
    TQkBitmap expected(400, 300, qk24RGB);
    TQkBitmap& image = *view->GetImageBitmap();
    const TQkViewGeometry& g = view->Geometry();
    RenderToTQkBitmap(image, expected, {0, 0, 400, 300},
                      {g.VisibleX(), g.VisibleY(), g.VisibleWidth(), g.VisibleHeight()}, 255, rfTriangle, 0);
    for (int32_t y : {0, 299})
        for (int32_t x : {0, 399})
            EXPECT_EQ(BufferPixel(x, y), Colour(expected.GetPixel24(x, y))) << x << "," << y;
}

} // namespace
