#include "platform/gfx/tests/GfxTestSupport.h"

#include <gtest/gtest.h>

namespace {

struct TCombineCase {
    const char* Name;
    TRegionCombine Mode;
    TRegionKind Kind;
    std::vector<TRect> Rects;
};

class RegionCombine : public ::testing::TestWithParam<TCombineCase> {};

TEST_P(RegionCombine, CombinesTwoOverlappingSquares)
{
    const TCombineCase c = GetParam();
    const TRegion a(Rect(0, 0, 4, 4)), b(Rect(2, 2, 6, 6));
    TRegion result;
    EXPECT_EQ(result.Combine(a, b, c.Mode), c.Kind) << c.Name;
    EXPECT_EQ(result, TRegion::FromRects(c.Rects)) << c.Name;
}

INSTANTIATE_TEST_SUITE_P(
    All, RegionCombine,
    ::testing::Values(TCombineCase{"and", RGN_AND, SIMPLEREGION, {Rect(2, 2, 4, 4)}},
                      TCombineCase{"or", RGN_OR, COMPLEXREGION, {Rect(0, 0, 4, 4), Rect(2, 2, 6, 6)}},
                      TCombineCase{"xor",
                                   RGN_XOR,
                                   COMPLEXREGION,
                                   {Rect(0, 0, 4, 2), Rect(0, 2, 2, 4), Rect(4, 2, 6, 4), Rect(2, 4, 6, 6)}},
                      TCombineCase{"diff", RGN_DIFF, COMPLEXREGION, {Rect(0, 0, 4, 2), Rect(0, 2, 2, 4)}},
                      TCombineCase{"copy", RGN_COPY, SIMPLEREGION, {Rect(0, 0, 4, 4)}}),
    [](const auto& testCase) { return std::string(testCase.param.Name); });

} // namespace

TEST(Regions, TestsBoxesAndOffsets)
{
    TRegion region(Rect(1, 1, 5, 3));
    EXPECT_TRUE(region.Contains(1, 1));
    EXPECT_FALSE(region.Contains(5, 1)) << "right edge is outside";
    EXPECT_TRUE(region.IntersectsRect(Rect(4, 2, 9, 9)));
    EXPECT_FALSE(region.IntersectsRect(Rect(5, 3, 9, 9)));
    EXPECT_EQ(region.Offset(-1, 2), SIMPLEREGION);
    EXPECT_EQ(region.BoundingBox(), Rect(0, 3, 4, 5));
    TRegion empty;
    EXPECT_EQ(empty.Kind(), NULLREGION);
    EXPECT_EQ(empty.BoundingBox(), TRect{});
    TRegion nothing;
    EXPECT_EQ(nothing.Combine(TRegion(Rect(0, 0, 2, 2)), TRegion(Rect(5, 5, 6, 6)), RGN_AND), NULLREGION);
}

TEST(Regions, PolygonRegionFollowsTheFillMode)
{
    const std::vector<TPoint> frame{{0, 0}, {6, 0}, {6, 6}, {0, 6}, {0, 0}, {2, 2}, {2, 4}, {4, 4}, {4, 2}, {2, 2}};
    EXPECT_FALSE(TRegion::Polygon(frame, ALTERNATE).Contains(3, 3));
    EXPECT_TRUE(TRegion::Polygon(frame, ALTERNATE).Contains(1, 1));
    // Both loops wind the same way: the hole is filled under the winding rule.
    const std::vector<TPoint> sameWay{{0, 0}, {6, 0}, {6, 6}, {0, 6}, {0, 0}, {2, 2}, {4, 2}, {4, 4}, {2, 4}, {2, 2}};
    EXPECT_TRUE(TRegion::Polygon(sameWay, WINDING).Contains(3, 3));
    EXPECT_EQ(TRegion::Polygon({{0, 0}, {4, 0}, {4, 3}, {0, 3}}, ALTERNATE), TRegion(Rect(0, 0, 4, 3)));
}

TEST(Regions, RoundRectRegionCutsTheCorners)
{
    const TRegion region = TRegion::RoundRect(0, 0, 10, 8, 4, 4);
    EXPECT_FALSE(region.Contains(0, 0));
    EXPECT_TRUE(region.Contains(1, 0));
    EXPECT_TRUE(region.Contains(0, 1));
    EXPECT_FALSE(region.Contains(9, 7));
}

TEST(Clipping, SelectClipRgnLimitsDrawingAndNullRemovesIt)
{
    auto bitmap = MakeBitmap(6, 1);
    TCanvas* c = bitmap->Canvas();
    c->Brush()->SetColor(clRed);
    const TRegion two = TRegion::FromRects({Rect(1, 0, 2, 1), Rect(4, 0, 5, 1)});
    EXPECT_EQ(c->SelectClipRgn(&two), COMPLEXREGION);
    c->FillRect(Rect(0, 0, 6, 1));
    EXPECT_EQ(InkMap(*bitmap, clRed), ".#..#.\n");
    c->SelectClipRgn(nullptr);
    c->FillRect(Rect(0, 0, 6, 1));
    EXPECT_EQ(InkMap(*bitmap, clRed), "######\n");
}

TEST(Clipping, ExcludeAndIntersectTakeLogicalCoordinates)
{
    auto bitmap = MakeBitmap(8, 1);
    TCanvas* c = bitmap->Canvas();
    c->SetViewportOrigin({2, 0});
    c->IntersectClipRect(0, 0, 4, 1); // device 2..5
    c->ExcludeClipRect(1, 0, 2, 1); // device 3
    c->Brush()->SetColor(clRed);
    c->FillRect(Rect(-2, 0, 6, 1));
    EXPECT_EQ(c->ClipRect(), Rect(0, 0, 4, 1));
    EXPECT_TRUE(c->PtVisible(0, 0));
    EXPECT_FALSE(c->PtVisible(1, 0));
    c->SetViewportOrigin({0, 0});
    EXPECT_EQ(InkMap(*bitmap, clRed), "..#.##..\n");
}

TEST(Clipping, DeviceClipBoundsEverythingAndSurvivesSelectClipRgn)
{
    auto bitmap = MakeBitmap(6, 1);
    TCanvas c(bitmap.get());
    const TRegion window(Rect(2, 0, 5, 1));
    c.SetDeviceClip(&window);
    c.SetViewportOrigin({2, 0});
    c.SelectClipRgn(nullptr);
    c.Brush()->SetColor(clRed);
    c.FillRect(Rect(-2, 0, 4, 1));
    EXPECT_EQ(InkMap(*bitmap, clRed), "..###.\n");
}

TEST(Clipping, ClipAppliesToLinesTextBlitsAndPixels)
{
    auto bitmap = MakeBitmap(4, 4);
    auto source = MakeBitmap(4, 4, pf24bit, clRed);
    TCanvas* c = bitmap->Canvas();
    c->IntersectClipRect(0, 0, 2, 4);
    c->BitBlt(0, 0, 4, 4, source->Canvas(), 0, 0, SRCCOPY);
    c->SetPixel(3, 3, clRed);
    c->MoveTo(0, 3);
    c->LineTo(4, 3);
    EXPECT_EQ(InkMap(*bitmap, clRed), "##..\n##..\n##..\n....\n");
    EXPECT_EQ(InkMap(*bitmap, clBlack), "....\n....\n....\n##..\n");
}

TEST(CanvasState, RestoreDCBringsBackPenBrushClipAndOrigin)
{
    auto bitmap = MakeBitmap(4, 1);
    TCanvas* c = bitmap->Canvas();
    c->Brush()->SetColor(clRed);
    const int level = c->SaveDC();
    EXPECT_EQ(level, 1);
    c->Brush()->SetColor(clBlue);
    c->SetViewportOrigin({1, 0});
    c->IntersectClipRect(0, 0, 1, 1);
    EXPECT_EQ(c->SaveDC(), 2);
    EXPECT_TRUE(c->RestoreDC(level));
    EXPECT_FALSE(c->RestoreDC(-1)) << "level 2 went with level 1";
    c->FillRect(Rect(0, 0, 4, 1));
    EXPECT_EQ(InkMap(*bitmap, clRed), "####\n");
    EXPECT_EQ(c->ViewportOrigin(), TPoint{});
    EXPECT_EQ(c->BackgroundColor(), clRed);
}

TEST(CanvasState, BrushAndFontSetTheBackgroundAndTextColours)
{
    auto bitmap = MakeBitmap(1, 1);
    TCanvas* c = bitmap->Canvas();
    c->Brush()->SetColor(clYellow);
    EXPECT_EQ(c->BackgroundColor(), clYellow);
    EXPECT_EQ(c->BackgroundMode(), OPAQUE);
    c->Brush()->SetStyle(bsClear);
    EXPECT_EQ(c->BackgroundMode(), TRANSPARENT);
    c->Font()->SetColor(clGreen);
    EXPECT_EQ(c->TextColor(), clGreen);
    int penChanges = 0;
    TPen pen;
    pen.OnChange = [&](TObject*) { ++penChanges; };
    pen.SetWidth(2);
    pen.SetWidth(2);
    EXPECT_EQ(penChanges, 1);
}
