#include "platform/gfx/tests/GfxTestSupport.h"

#include <gtest/gtest.h>

TEST(Shapes, FillRectLeavesOutRightAndBottomEdges)
{
    auto bitmap = MakeBitmap(5, 4);
    bitmap->Canvas()->Brush()->SetColor(clRed);
    bitmap->Canvas()->FillRect(Rect(1, 1, 4, 3));
    EXPECT_EQ(InkMap(*bitmap, clRed), ".....\n.###.\n.###.\n.....\n");
}

// Solid fills go a visible rectangle at a time, whole rows at once: every
// depth keeps to the rows and columns asked for, around a hole in the clip,
// in narrow rectangles and in ones wide enough for vector stores.
TEST(Shapes, SolidFillsKeepToTheirRectangleAroundAClippedHoleAtEveryDepth)
{
    for (TPixelFormat format : {pf1bit, pf4bit, pf8bit, pf16bit, pf24bit, pf32bit}) {
        SCOPED_TRACE(format);
        auto narrow = MakeBitmap(7, 5, format, clBlack);
        narrow->Canvas()->ExcludeClipRect(2, 2, 4, 3);
        narrow->Canvas()->Brush()->SetColor(clWhite);
        narrow->Canvas()->FillRect(Rect(1, 1, 6, 4));
        EXPECT_EQ(InkMap(*narrow, clWhite), ".......\n.#####.\n.#..##.\n.#####.\n.......\n");

        auto wide = MakeBitmap(300, 40, format, clBlack);
        wide->Canvas()->ExcludeClipRect(10, 10, 290, 20);
        wide->Canvas()->FillSolidRect(Rect(3, 1, 297, 39), clWhite);
        EXPECT_EQ(CountInk(*wide, clWhite), 294 * 38 - 280 * 10);
        EXPECT_EQ(InkMap(*wide, clWhite, Rect(0, 0, 5, 3)), ".....\n...##\n...##\n");
        EXPECT_EQ(InkMap(*wide, clWhite, Rect(295, 37, 300, 40)), "##...\n##...\n.....\n");
    }
}

TEST(Shapes, EmptyAndInvertedRectanglesFillNothing)
{
    auto bitmap = MakeBitmap(4, 4);
    bitmap->Canvas()->Brush()->SetColor(clRed);
    bitmap->Canvas()->FillRect(Rect(2, 2, 2, 4));
    bitmap->Canvas()->FillRect(Rect(3, 3, 1, 1));
    EXPECT_EQ(CountInk(*bitmap, clRed), 0);
}

TEST(Shapes, RectanglePenInsideBoundsBrushInside)
{
    auto bitmap = MakeBitmap(6, 5);
    TCanvas* c = bitmap->Canvas();
    c->Brush()->SetColor(clRed);
    c->Rectangle(0, 0, 5, 4);
    EXPECT_EQ(InkMap(*bitmap, clBlack), "#####.\n#...#.\n#...#.\n#####.\n......\n");
    EXPECT_EQ(InkMap(*bitmap, clRed), "......\n.###..\n.###..\n......\n......\n");
}

TEST(Shapes, ClearPenShrinksTheFilledShapeByOnePixel)
{
    auto bitmap = MakeBitmap(6, 5);
    TCanvas* c = bitmap->Canvas();
    c->Pen()->SetStyle(psClear);
    c->Brush()->SetColor(clRed);
    c->Rectangle(0, 0, 5, 4);
    EXPECT_EQ(InkMap(*bitmap, clRed), "####..\n####..\n####..\n......\n......\n");
}

TEST(Shapes, WidePenIsCentredAndInsideFrameKeepsItInside)
{
    auto centred = MakeBitmap(10, 10), inside = MakeBitmap(10, 10);
    for (TBitmap* b : {centred.get(), inside.get()}) {
        b->Canvas()->Pen()->SetWidth(3);
        b->Canvas()->Brush()->SetStyle(bsClear);
    }
    inside->Canvas()->Pen()->SetStyle(psInsideFrame);
    centred->Canvas()->Rectangle(2, 2, 8, 8);
    inside->Canvas()->Rectangle(2, 2, 8, 8);
    EXPECT_EQ(InkMap(*centred, clBlack, Rect(0, 0, 10, 1)), "..........\n");
    EXPECT_EQ(InkMap(*centred, clBlack, Rect(0, 1, 10, 2)), ".########.\n");
    EXPECT_EQ(InkMap(*inside, clBlack, Rect(0, 2, 10, 3)), "..######..\n");
    EXPECT_EQ(InkMap(*inside, clBlack, Rect(0, 4, 10, 5)), "..######..\n");
}

TEST(Shapes, FrameRectDrawsOnePixelInTheBrush)
{
    auto bitmap = MakeBitmap(5, 4);
    bitmap->Canvas()->Brush()->SetColor(clBlue);
    bitmap->Canvas()->FrameRect(Rect(0, 0, 4, 4));
    EXPECT_EQ(InkMap(*bitmap, clBlue), "####.\n#..#.\n#..#.\n####.\n");
}

TEST(Shapes, EllipseIsSymmetricAndTouchesItsBounds)
{
    auto bitmap = MakeBitmap(12, 10);
    TCanvas* c = bitmap->Canvas();
    c->Brush()->SetColor(clRed);
    c->Ellipse(1, 1, 11, 9);
    const std::string outline = InkMap(*bitmap, clBlack);
    EXPECT_EQ(outline,
              "............\n"
              "....####....\n"
              "..##....##..\n"
              ".#........#.\n"
              ".#........#.\n"
              ".#........#.\n"
              ".#........#.\n"
              "..##....##..\n"
              "....####....\n"
              "............\n");
    EXPECT_EQ(CountInk(*bitmap, clRed) + CountInk(*bitmap, clBlack) + CountInk(*bitmap, clWhite), 120);
    EXPECT_EQ(c->Pixels(5, 4), clRed);
}

TEST(Shapes, EllipseRegionMatchesTheDrawnEllipse)
{
    auto bitmap = MakeBitmap(20, 14);
    bitmap->Canvas()->Brush()->SetColor(clBlack);
    bitmap->Canvas()->Ellipse(2, 1, 17, 13);
    const TRegion region = TRegion::Ellipse(2, 1, 17, 13);
    for (int32_t y = 0; y < 14; ++y)
        for (int32_t x = 0; x < 20; ++x)
            EXPECT_EQ(region.Contains(x, y), bitmap->Canvas()->Pixels(x, y) == clBlack) << x << "," << y;
}

TEST(Shapes, RoundRectCutsItsCorners)
{
    auto bitmap = MakeBitmap(10, 8);
    bitmap->Canvas()->Brush()->SetColor(clBlack);
    bitmap->Canvas()->RoundRect(0, 0, 10, 8, 4, 4);
    EXPECT_EQ(InkMap(*bitmap, clBlack),
              ".########.\n"
              "##########\n"
              "##########\n"
              "##########\n"
              "##########\n"
              "##########\n"
              "##########\n"
              ".########.\n");
}

TEST(Shapes, PolygonFillRulesDifferOnASelfOverlappingStar)
{
    const std::vector<TPoint> star{{5, 0}, {8, 10}, {0, 3}, {10, 3}, {2, 10}};
    auto alternate = MakeBitmap(11, 11), winding = MakeBitmap(11, 11);
    for (TBitmap* b : {alternate.get(), winding.get()}) {
        b->Canvas()->Pen()->SetStyle(psClear);
        b->Canvas()->Brush()->SetColor(clBlack);
    }
    winding->Canvas()->SetPolyFillMode(WINDING);
    alternate->Canvas()->Polygon(star);
    winding->Canvas()->Polygon(star);
    EXPECT_EQ(alternate->Canvas()->Pixels(5, 5), clWhite) << "the centre is crossed twice";
    EXPECT_EQ(winding->Canvas()->Pixels(5, 5), clBlack);
    EXPECT_EQ(alternate->Canvas()->Pixels(5, 1), clBlack);
}

TEST(Shapes, ClearPenPolygonBandsTileWithoutGapOrOverlap)
{
    // Diagonal bands sharing edges, drawn with XOR: a gap stays white,
    // an overlap turns back to white.
    auto bitmap = MakeBitmap(30, 20);
    TCanvas* c = bitmap->Canvas();
    c->Pen()->SetStyle(psClear);
    c->Pen()->SetMode(pmXor);
    c->Brush()->SetColor(clWhite);
    int32_t previous = 0;
    for (int32_t x : {3, 7, 12, 16, 23, 30, 37, 50}) {
        c->Polygon({{previous, 0}, {x, 0}, {x - 13, 20}, {previous - 13, 20}});
        previous = x;
    }
    EXPECT_EQ(CountInk(*bitmap, clBlack), 30 * 20);
}

TEST(Shapes, ArcPieAndChordStayOnTheirSideOfTheEllipse)
{
    auto arc = MakeBitmap(21, 21), pie = MakeBitmap(21, 21), chord = MakeBitmap(21, 21);
    for (TBitmap* b : {pie.get(), chord.get()})
        b->Canvas()->Brush()->SetColor(clRed);
    // Counter-clockwise from the right (east) to the top (north): the upper-right quarter.
    arc->Canvas()->Arc(0, 0, 21, 21, 20, 10, 10, 0);
    pie->Canvas()->Pie(0, 0, 21, 21, 20, 10, 10, 0);
    chord->Canvas()->Chord(0, 0, 21, 21, 20, 10, 10, 0);
    EXPECT_EQ(arc->Canvas()->Pixels(20, 10), clBlack);
    EXPECT_EQ(arc->Canvas()->Pixels(10, 0), clBlack);
    EXPECT_EQ(arc->Canvas()->Pixels(0, 10), clWhite);
    EXPECT_EQ(arc->Canvas()->Pixels(10, 20), clWhite);
    EXPECT_EQ(pie->Canvas()->Pixels(14, 6), clRed);
    EXPECT_EQ(pie->Canvas()->Pixels(6, 14), clWhite);
    for (int32_t i = 0; i <= 10; ++i) {
        EXPECT_EQ(pie->Canvas()->Pixels(10 + i, 10), clBlack) << "the straight radius to the east, " << i;
        EXPECT_EQ(pie->Canvas()->Pixels(10, i), clBlack) << "the straight radius to the north, " << i;
    }
    EXPECT_EQ(chord->Canvas()->Pixels(17, 4), clRed) << InkMap(*chord, clRed);
    EXPECT_EQ(chord->Canvas()->Pixels(13, 7), clWhite) << "beyond the chord";
}

TEST(Shapes, HatchedBrushPaintsOnlyItsLinesWhenTransparent)
{
    auto bitmap = MakeBitmap(8, 8);
    TCanvas* c = bitmap->Canvas();
    c->Brush()->SetColor(clBlue);
    c->Brush()->SetStyle(bsCross);
    c->FillRect(Rect(0, 0, 8, 8));
    EXPECT_EQ(CountInk(*bitmap, clBlue), 15);
    EXPECT_EQ(c->BackgroundMode(), TRANSPARENT);
}

TEST(Shapes, PatternBrushTilesFromTheBrushOrigin)
{
    TBitmap pattern(2, 2, pf24bit);
    pattern.Canvas()->SetPixel(0, 0, clRed);
    pattern.Canvas()->SetPixel(1, 1, clRed);
    auto bitmap = MakeBitmap(4, 2);
    TCanvas* c = bitmap->Canvas();
    c->Brush()->SetBitmap(&pattern);
    c->SetBrushOrigin({1, 0});
    c->FillRect(Rect(0, 0, 4, 2));
    EXPECT_EQ(InkMap(*bitmap, clRed), ".#.#\n#.#.\n");
}

// Only the top-left 8x8 pixels of a pattern count, unless the brush asks
// for the whole bitmap.
TEST(Shapes, WholeBitmapPatternTilesItsFullSize)
{
    TBitmap pattern(10, 9, pf24bit);
    pattern.Canvas()->FillSolidRect(Rect(0, 0, 10, 9), clWhite);
    pattern.Canvas()->SetPixel(9, 0, clRed);
    pattern.Canvas()->SetPixel(0, 8, clRed);
    auto bitmap = MakeBitmap(20, 10);
    TCanvas* c = bitmap->Canvas();
    c->Brush()->SetBitmap(&pattern);
    c->FillRect(Rect(0, 0, 20, 10));
    EXPECT_EQ(CountInk(*bitmap, clRed), 0);
    c->Brush()->SetWholeBitmap(true);
    c->SetBrushOrigin({1, 0});
    c->FillRect(Rect(0, 0, 20, 10));
    // Pattern row 0 again at canvas row 9; its column 0 under canvas column 1.
    const std::string top = "#.........#.........\n", blank = std::string(20, '.') + "\n";
    std::string expected = top;
    for (int row = 1; row < 8; ++row)
        expected += blank;
    expected += ".#.........#........\n" + top;
    EXPECT_EQ(InkMap(*bitmap, clRed), expected);
}

TEST(Shapes, FocusRectXorsEveryOtherBorderPixelAndUndoesItself)
{
    auto bitmap = MakeBitmap(6, 4);
    TCanvas* c = bitmap->Canvas();
    c->DrawFocusRect(Rect(0, 0, 6, 4));
    EXPECT_EQ(InkMap(*bitmap, clBlack), "#.#.#.\n.....#\n#.....\n.#.#.#\n");
    c->DrawFocusRect(Rect(0, 0, 6, 4));
    EXPECT_EQ(CountInk(*bitmap, clWhite), 24);
}

TEST(Shapes, GradientFillRunsFromTheFirstColourTowardTheSecond)
{
    auto bitmap = MakeBitmap(4, 1);
    bitmap->Canvas()->GradientFill(Rect(0, 0, 4, 1), RGB(0, 0, 0), RGB(200, 100, 40), false);
    EXPECT_EQ(bitmap->Canvas()->Pixels(0, 0), RGB(0, 0, 0));
    EXPECT_EQ(bitmap->Canvas()->Pixels(1, 0), RGB(50, 25, 10));
    EXPECT_EQ(bitmap->Canvas()->Pixels(3, 0), RGB(150, 75, 30));
}

TEST(Shapes, HugeCoordinatesDrawOnlyWhatIsVisible)
{
    // Each of these must finish promptly and paint the visible part only.
    const int32_t far = 2000000000;
    const std::vector<std::pair<const char*, std::function<void(TCanvas&)>>> operations = {
        {"fill", [&](TCanvas& c) { c.FillRect(Rect(-far, -far, far, far)); }},
        {"ellipse", [&](TCanvas& c) { c.Ellipse(-far, -far, far, far); }},
        {"round rect", [&](TCanvas& c) { c.RoundRect(-far, -far, far, far, far, far); }},
        {"line",
         [&](TCanvas& c) {
             c.MoveTo(-far, -far);
             c.LineTo(far, far);
         }},
        {"wide line",
         [&](TCanvas& c) {
             c.Pen()->SetWidth(100000000);
             c.MoveTo(-far, 3);
             c.LineTo(far, 3);
         }},
        {"polygon",
         [&](TCanvas& c) {
             c.Polygon({{-far, -far}, {far, 0}, {0, far}});
         }},
        {"arc", [&](TCanvas& c) { c.Pie(-far, -far, far, far, far, 0, 0, -far); }},
        {"gradient", [&](TCanvas& c) { c.GradientFill(Rect(-far, 0, far, 8), clBlack, clWhite, false); }},
        {"region", [&](TCanvas& c) { c.FillRgn(TRegion(Rect(-far, -far, far, far))); }},
        {"focus", [&](TCanvas& c) { c.DrawFocusRect(Rect(-far, 1, far, 5)); }},
        {"stretch",
         [&](TCanvas& c) {
             auto source = MakeBitmap(2, 2, pf24bit, clRed);
             c.StretchBlt(-far, -far, far, far, source->Canvas(), 0, 0, 2, 2, SRCCOPY);
             c.StretchBlt(far, far, -far, -far, source->Canvas(), 0, 0, 2, 2, SRCINVERT);
             c.AlphaBlend(-far, -far, far, far, source->Canvas(), 0, 0, 2, 2, TBlendFunction{});
             c.TransparentBlt(-far, -far, far, far, source->Canvas(), 0, 0, 2, 2, clWhite);
             c.BrushCopy(Rect(-far, -far, 8, 8), source.get(), Rect(0, 0, 2, 2), clRed);
         }},
    };
    for (const auto& [name, draw] : operations) {
        auto bitmap = MakeBitmap(8, 8);
        bitmap->Canvas()->Brush()->SetColor(clRed);
        draw(*bitmap->Canvas());
        EXPECT_LT(CountInk(*bitmap, clWhite), 64) << name;
    }
    EXPECT_THROW(TRegion::Ellipse(0, -far, 10, far), EInvalidGraphicOperation);
}
