#include "platform/gfx/Frames.h"
#include "platform/gfx/tests/GfxTestSupport.h"

#include <gtest/gtest.h>

namespace {

// One letter per pixel: H highlight, L 3-D light, S shadow, D dark shadow,
// F face, W window, K window text, . anything else.
std::string ColourMap(TBitmap& bitmap)
{
    std::string map;
    for (int32_t y = 0; y < bitmap.Height(); ++y) {
        for (int32_t x = 0; x < bitmap.Width(); ++x) {
            const TColor c = bitmap.Canvas()->Pixels(x, y);
            char ch = '.';
            if (c == ColorToRGB(clBtnShadow))
                ch = 'S';
            else if (c == ColorToRGB(cl3DDkShadow))
                ch = 'D';
            else if (c == ColorToRGB(clBtnFace))
                ch = 'F';
            else if (c == ColorToRGB(clWindowText))
                ch = 'K';
            else if (c == ColorToRGB(clBtnHighlight))
                ch = 'H';
            map += ch;
        }
        map += '\n';
    }
    return map;
}

} // namespace

TEST(Frames, RaisedEdgeGivesTheLowerRightColourTheOpenCorners)
{
    auto bitmap = MakeBitmap(5, 5, pf24bit, clRed);
    TRect r = Rect(0, 0, 5, 5);
    // 3-D light equals the face colour in the table, so the outer ring shows F.
    DrawEdge(*bitmap->Canvas(), r, EDGE_RAISED, BF_RECT | BF_ADJUST);
    EXPECT_EQ(ColourMap(*bitmap),
              "FFFFD\n"
              "FHHSD\n"
              "FH.SD\n"
              "FSSSD\n"
              "DDDDD\n");
    EXPECT_EQ(r, Rect(2, 2, 3, 3));
}

TEST(Frames, SunkenEdgeOnSomeSidesShrinksOnlyThoseAndFillsTheMiddle)
{
    auto bitmap = MakeBitmap(4, 4, pf24bit, clRed);
    TRect r = Rect(0, 0, 4, 4);
    DrawEdge(*bitmap->Canvas(), r, EDGE_SUNKEN, BF_TOPLEFT | BF_MIDDLE | BF_ADJUST);
    EXPECT_EQ(ColourMap(*bitmap),
              "SSSS\n"
              "SDDD\n"
              "SDFF\n"
              "SDFF\n");
    EXPECT_EQ(r, Rect(2, 2, 4, 4));
}

TEST(Frames, CheckBoxShowsTheMarkOnlyWhenChecked)
{
    auto checked = MakeBitmap(13, 13, pf24bit, clRed), unchecked = MakeBitmap(13, 13, pf24bit, clRed);
    DrawFrameControl(*checked->Canvas(), Rect(0, 0, 13, 13), DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED);
    DrawFrameControl(*unchecked->Canvas(), Rect(0, 0, 13, 13), DFC_BUTTON, DFCS_BUTTONCHECK);
    EXPECT_EQ(CountInk(*checked, clWindowText), 21);
    EXPECT_EQ(CountInk(*unchecked, clWindowText), 0);
    EXPECT_EQ(CountInk(*unchecked, clWindow), 81 + 25) << "the 9 x 9 inside and the highlight ring";
    EXPECT_EQ(checked->Canvas()->Pixels(3, 5), ColorToRGB(clWindowText)) << "first column of the mark";
    EXPECT_EQ(checked->Canvas()->Pixels(0, 0), ColorToRGB(clBtnShadow));
}

TEST(Frames, ScrollArrowsPointTheirWayAndShiftWhenPushed)
{
    auto down = MakeBitmap(9, 9), up = MakeBitmap(9, 9), pushed = MakeBitmap(9, 9);
    DrawFrameControl(*down->Canvas(), Rect(0, 0, 9, 9), DFC_SCROLL, DFCS_SCROLLDOWN);
    DrawFrameControl(*up->Canvas(), Rect(0, 0, 9, 9), DFC_SCROLL, DFCS_SCROLLUP);
    DrawFrameControl(*pushed->Canvas(), Rect(0, 0, 9, 9), DFC_SCROLL, DFCS_SCROLLCOMBOBOX | DFCS_PUSHED);
    EXPECT_EQ(InkMap(*down, clBtnText, Rect(2, 3, 7, 6)), "#####\n.###.\n..#..\n");
    EXPECT_EQ(InkMap(*up, clBtnText, Rect(2, 3, 7, 6)), "..#..\n.###.\n#####\n");
    EXPECT_EQ(InkMap(*pushed, clBtnText, Rect(3, 4, 8, 7)), "#####\n.###.\n..#..\n");
    EXPECT_FALSE(DrawFrameControl(*down->Canvas(), Rect(0, 0, 9, 9), 1, 0));
}

TEST(Frames, ButtonFaceReturnsTheInsideOfItsBevels)
{
    auto bitmap = MakeBitmap(10, 8);
    EXPECT_EQ(DrawButtonFace(*bitmap->Canvas(), Rect(0, 0, 10, 8), 1, bsNew, false, false, false), Rect(2, 2, 8, 6));
    EXPECT_EQ(DrawButtonFace(*bitmap->Canvas(), Rect(0, 0, 10, 8), 1, bsNew, false, true, true), Rect(2, 2, 8, 6));
    EXPECT_EQ(bitmap->Canvas()->Pixels(0, 0), ColorToRGB(clWindowFrame));
    EXPECT_EQ(bitmap->Canvas()->Pixels(1, 1), ColorToRGB(clBtnShadow));
    EXPECT_EQ(DrawButtonFace(*bitmap->Canvas(), Rect(0, 0, 10, 8), 2, bsWin31, true, false, false), Rect(3, 3, 7, 5));
    EXPECT_EQ(bitmap->Canvas()->Pixels(0, 0), ColorToRGB(clBtnFace)) << "rounded corner";
}
