#include <gtest/gtest.h>

#include "TarqTestSupport.h"
#include "controls/TarqColors.h"
#include "controls/TarqFrames.h"

namespace {

using Rows = std::vector<std::string>;

TEST(TarqFrames, EdgeLinesSkipClNoneButStillShrink)
{
    auto bitmap = BlankBitmap(6, 6);
    const TRect inner = DrawEdgeLines(*bitmap->Canvas(), Rect(0, 0, 6, 6), clNone, clBlack, AllSides);
    EXPECT_EQ(inner, Rect(1, 1, 5, 5));
    EXPECT_EQ(Grid(*bitmap, SystemLegend()), (Rows{".....K", ".....K", ".....K", ".....K", ".....K", "KKKKKK"}));

    auto partial = BlankBitmap(4, 4);
    EXPECT_EQ(DrawEdgeLines(*partial->Canvas(), Rect(0, 0, 4, 4), clBlack, clBlack, TSides{sdTop, sdRight}),
              Rect(0, 1, 3, 4));
    EXPECT_EQ(Grid(*partial, SystemLegend()), (Rows{"KKKK", "...K", "...K", "...K"}));
}

TEST(TarqFrames, GrooveOnAllSidesAndWithOpenCornersClosed)
{
    auto all = BlankBitmap(10, 10);
    EXPECT_EQ(DrawFrameStyleSides(*all->Canvas(), Rect(0, 0, 10, 10), fsGroove, AllSides), Rect(2, 2, 8, 8));
    EXPECT_EQ(Grid(*all, SystemLegend()),
              (Rows{"SSSSSSSSSW", "SWWWWWWWSW", "SW......SW", "SW......SW", "SW......SW", "SW......SW", "SW......SW",
                    "SW......SW", "SSSSSSSSSW", "WWWWWWWWWW"}));

    auto topLeft = BlankBitmap(10, 10);
    EXPECT_EQ(DrawFrameStyleSides(*topLeft->Canvas(), Rect(0, 0, 10, 10), fsGroove, TSides{sdLeft, sdTop}),
              Rect(2, 2, 10, 10));
    EXPECT_EQ(Grid(*topLeft, SystemLegend()),
              (Rows{"SSSSSSSSSS", "SWWWWWWWWW", "SW........", "SW........", "SW........", "SW........", "SW........",
                    "SW........", "SW........", "SW........"}));
}

struct TStyleCase {
    TFrameStyle Style;
    int32_t Shrink;
    const char* MiddleRow; // row 3 of a 7 x 7 frame
};

TEST(TarqFrames, EachSystemColourStyleOnASmallRectangle)
{
    const TStyleCase cases[] = {
        {fsNone, 0, "......."},     {fsFlat, 1, "D.....D"},   {fsStatus, 1, "S.....W"},   {fsPopup, 1, "W.....S"},
        {fsLowered, 2, "SD...LW"},  {fsRaised, 2, "LW...SD"}, {fsButtonUp, 2, "WL...SD"}, {fsButtonDown, 2, "KS...SK"},
        {fsFlatBold, 2, "SS...SS"}, {fsGroove, 2, "SW...SW"}, {fsBump, 2, "WS...WS"},
    };
    for (const auto& c : cases) {
        auto bitmap = BlankBitmap(7, 7);
        const TRect inner = DrawFrameStyle(*bitmap->Canvas(), Rect(0, 0, 7, 7), c.Style);
        EXPECT_EQ(inner, InflateRect(Rect(0, 0, 7, 7), -c.Shrink, -c.Shrink)) << int(c.Style);
        EXPECT_EQ(Grid(*bitmap, SystemLegend())[3], c.MiddleRow) << int(c.Style);
    }
}

TEST(TarqFrames, TintedStylesUseShadesOfTheFace)
{
    const TColor face = RGB(100, 150, 200);
    auto bitmap = BlankBitmap(7, 7);
    EXPECT_EQ(DrawTintedFrameStyle(*bitmap->Canvas(), Rect(0, 0, 7, 7), face, fsLowered), Rect(2, 2, 5, 5));
    const TLegend legend = {{'.', Untouched},
                            {'a', DarkenColor(face, 50)},
                            {'b', LightenColor(face, 100)},
                            {'c', DarkenColor(face, 100)},
                            {'d', LightenColor(face, 50)}};
    EXPECT_EQ(Grid(*bitmap, legend)[3], "ac...db");

    auto raised = BlankBitmap(7, 7);
    DrawTintedFrameStyle(*raised->Canvas(), Rect(0, 0, 7, 7), face, fsRaised);
    EXPECT_EQ(Grid(*raised, legend)[3], "db...ac");

    auto button = BlankBitmap(7, 7);
    DrawTintedButtonEdge(*button->Canvas(), Rect(0, 0, 7, 7), face, AllSides, false);
    EXPECT_EQ(PixelAt(*button, 1, 3), LightenColor(face, 40));
    EXPECT_EQ(PixelAt(*button, 5, 3), DarkenColor(face, 50));
}

TEST(TarqFrames, OutlinesAndDottedFocusRect)
{
    auto rounded = BlankBitmap(6, 6);
    EXPECT_EQ(DrawRoundedOutline(*rounded->Canvas(), Rect(0, 0, 6, 6), clBlack, AllSides), Rect(2, 2, 4, 4));
    EXPECT_EQ(Grid(*rounded, SystemLegend()), (Rows{"..KK..", ".K..K.", "K....K", "K....K", ".K..K.", "..KK.."}));

    auto dotted = BlankBitmap(6, 6);
    EXPECT_EQ(DrawDottedFocusRect(*dotted->Canvas(), Rect(0, 0, 6, 6)), Rect(1, 1, 5, 5));
    EXPECT_EQ(Grid(*dotted, SystemLegend()), (Rows{".K.K.K", "K....K", "......", "K....K", "......", "KK.K.K"}));
}

TEST(TarqFrames, FlatRoundedBorderShowsTheParentAtTheCutCorners)
{
    auto bitmap = BlankBitmap(8, 8);
    TBorderPair border;
    border.Outer = fsFlatRounded;
    border.FlatColor = clWhite;
    border.FlatColorAdjustment = 30; // white stays white when lightened
    border.Color = clRed;
    border.ParentColor = clBlue;
    EXPECT_EQ(DrawBorderPair(*bitmap->Canvas(), Rect(0, 0, 8, 8), border), Rect(2, 2, 6, 6));
    const TLegend legend = {{'.', Untouched}, {'p', clBlue}, {'c', clRed}, {'f', clWhite}};
    EXPECT_EQ(Grid(*bitmap, legend),
              (Rows{"ppffffpp", "pfccccfp", "fc....cf", "fc....cf", "fc....cf", "fc....cf", "pfccccfp", "ppffffpp"}));
}

TEST(TarqFrames, BorderPairWithBevelsBorderWidthAndSoftInnerFlat)
{
    auto bitmap = BlankBitmap(12, 12);
    TBorderPair border;
    border.Outer = fsStatus;
    border.BevelWidth = 2;
    border.BorderWidth = 1;
    border.BorderColor = clLime;
    border.BorderHighlight = clWhite;
    border.BorderShadow = clBlack;
    border.Inner = fsFlat;
    border.SoftInnerFlat = true;
    border.FlatColor = clRed;
    border.FlatColorAdjustment = 0;
    border.Sides = TSides{sdLeft, sdTop}; // the soft inner ring ignores the sides
    EXPECT_EQ(DrawBorderPair(*bitmap->Canvas(), Rect(0, 0, 12, 12), border), Rect(4, 4, 11, 11));
    const TLegend legend = {{'.', Untouched}, {'h', clWhite}, {'s', clBlack}, {'b', clLime}, {'r', clRed}};
    EXPECT_EQ(Grid(*bitmap, legend)[6], "ssbr.......r");
    EXPECT_EQ(Grid(*bitmap, legend)[3], "ssb.rrrrrrr.");
}

TEST(TarqFrames, ControlFrameRepaintsTheRimUnlessKept)
{
    auto flat = BlankBitmap(8, 8);
    EXPECT_EQ(DrawControlFrame(*flat->Canvas(), 8, 8, AllSides, clRed, clBlue, fsFlat, false), Rect(1, 1, 7, 7));
    const TLegend legend = {{'.', Untouched}, {'r', clRed}, {'b', clBlue}};
    EXPECT_EQ(Grid(*flat, legend)[4], "rb....br");

    auto kept = BlankBitmap(8, 8);
    DrawControlFrame(*kept->Canvas(), 8, 8, AllSides, clRed, clBlue, fsFlat, true);
    EXPECT_EQ(Grid(*kept, legend)[4], "r......r");

    auto system = BlankBitmap(8, 8);
    DrawControlFrame(*system->Canvas(), 8, 8, AllSides, clRed, clWindow, fsLowered, true);
    EXPECT_EQ(Grid(*system, SystemLegend())[4], "SD....LW");

    auto tinted = BlankBitmap(8, 8);
    DrawControlFrame(*tinted->Canvas(), 8, 8, AllSides, clRed, clBlue, fsStatus, true);
    EXPECT_EQ(PixelAt(*tinted, 0, 4), DarkenColor(clBlue, 50));
    EXPECT_EQ(PixelAt(*tinted, 7, 4), LightenColor(clBlue, 100));
}

} // namespace
