#include "app/SkinPainting.h"

#include <gtest/gtest.h>

#include "app/ConverterArt.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"
#include "platform/gfx/Resources.h"

TEST(SkinPaintingTest, NinePiecesAtTheWindowSize)
{
    const std::vector<TSkinPiece> pieces = SkinPieces(100, 100, 842, 544);
    ASSERT_EQ(pieces.size(), 9u);
    const TSize copied{0, 0};
    const TSkinPiece expected[] = {
        {Rect(0, 0, 40, 40), copied, Rect(0, 0, 40, 40)},
        {Rect(60, 0, 100, 40), copied, Rect(802, 0, 842, 40)},
        {Rect(0, 80, 20, 100), copied, Rect(0, 524, 20, 544)},
        {Rect(80, 80, 100, 100), copied, Rect(822, 524, 842, 544)},
        {Rect(41, 0, 61, 40), TSize{20, 40}, Rect(40, 0, 802, 40)},
        {Rect(0, 40, 20, 80), TSize{20, 40}, Rect(0, 40, 20, 524)},
        {Rect(80, 40, 100, 80), TSize{20, 40}, Rect(822, 40, 842, 524)},
        {Rect(20, 80, 80, 100), TSize{60, 20}, Rect(20, 524, 822, 544)},
        {Rect(20, 40, 80, 80), TSize{60, 40}, Rect(20, 40, 822, 524)},
    };
    for (size_t i = 0; i < pieces.size(); ++i) {
        EXPECT_EQ(pieces[i].Source, expected[i].Source) << i;
        EXPECT_EQ(pieces[i].Intermediate, expected[i].Intermediate) << i;
        EXPECT_EQ(pieces[i].Target, expected[i].Target) << i;
    }
}

TEST(SkinPaintingTest, PiecesFollowAnotherSkinAndWindowSize)
{
    const std::vector<TSkinPiece> pieces = SkinPieces(120, 90, 300, 200);
    EXPECT_EQ(pieces[1].Source, Rect(80, 0, 120, 40));
    EXPECT_EQ(pieces[1].Target, Rect(260, 0, 300, 40));
    EXPECT_EQ(pieces[3].Source, Rect(100, 70, 120, 90));
    EXPECT_EQ(pieces[3].Target, Rect(280, 180, 300, 200));
    EXPECT_EQ(pieces[7].Intermediate, (TSize{80, 20}));
    EXPECT_EQ(pieces[8].Target, Rect(20, 40, 280, 180));
}

TEST(SkinPaintingTest, CornersKeepTheSkinsPixels)
{
    RegisterConverterResources();
    auto skin = LoadBitmapResource(SkinResource);
    // A mark in each corner shows that corners are copied unstretched.
    skin->Canvas()->SetPixel(5, 6, clRed);
    skin->Canvas()->SetPixel(95, 7, clLime);
    skin->Canvas()->SetPixel(3, 97, clBlue);
    skin->Canvas()->SetPixel(96, 98, clFuchsia);
    for (const TSize size : {TSize{842, 544}, TSize{300, 200}}) {
        TBitmap target(size.cx, size.cy);
        PaintSkin(*target.Canvas(), *skin, size.cy, size.cx);
        const int32_t w = size.cx;
        const int32_t h = size.cy;
        const std::pair<TPoint, TPoint> samePixels[] = {
            {Point(0, 0), Point(0, 0)},           {Point(5, 6), Point(5, 6)},
            {Point(39, 39), Point(39, 39)},       {Point(w - 5, 7), Point(95, 7)},
            {Point(w - 40, 0), Point(60, 0)},     {Point(w - 1, 0), Point(99, 0)},
            {Point(3, h - 3), Point(3, 97)},      {Point(0, h - 1), Point(0, 99)},
            {Point(w - 4, h - 2), Point(96, 98)}, {Point(w - 1, h - 1), Point(99, 99)},
        };
        for (const auto& [at, from] : samePixels)
            EXPECT_EQ(target.Canvas()->Pixels(at.X, at.Y), skin->Canvas()->Pixels(from.X, from.Y))
                << size.cx << ": " << at.X << "," << at.Y;
        // The centre stretches the skin's body.
        EXPECT_EQ(target.Canvas()->Pixels(w / 2, h / 2), SkinBodyColor);
    }
}

TEST(SkinPaintingTest, RegionRoundsTheCornersInsideThePicture)
{
    const TRegion region = SkinRegion(Rect(0, 0, 842, 544));
    EXPECT_TRUE(region.Contains(421, 272));
    EXPECT_TRUE(region.Contains(1, 272));
    EXPECT_TRUE(region.Contains(841, 272));
    EXPECT_FALSE(region.Contains(0, 272)); // the shape starts one pixel in
    EXPECT_FALSE(region.Contains(421, 0));
    EXPECT_FALSE(region.Contains(842, 272));
    EXPECT_FALSE(region.Contains(1, 1)); // rounded corners
    EXPECT_FALSE(region.Contains(841, 543));
    EXPECT_TRUE(region.Contains(421, 1));
}
