#include <gtest/gtest.h>

#include "TarqTestSupport.h"
#include "controls/TarqFonts.h"
#include "controls/TarqGrafx.h"

namespace {

using Rows = std::vector<std::string>;
const TLegend Legend = {{'.', Untouched}, {'r', clRed}, {'m', clFuchsia}, {'g', clLime}, {'k', clBlack}, {'b', clBlue}};

// "rm" rows: red where 'r', the transparent colour where 'm'.
std::unique_ptr<TBitmap> Picture(const Rows& rows, TColor transparent)
{
    auto bitmap = std::make_unique<TBitmap>(static_cast<int32_t>(rows[0].size()), static_cast<int32_t>(rows.size()));
    for (size_t y = 0; y < rows.size(); ++y)
        for (size_t x = 0; x < rows[y].size(); ++x)
            bitmap->Canvas()->SetPixel(int32_t(x), int32_t(y), rows[y][x] == 'r' ? clRed : transparent);
    return bitmap;
}

std::unique_ptr<TBitmap> GreenCanvas(int32_t w, int32_t h)
{
    auto bitmap = std::make_unique<TBitmap>(w, h);
    bitmap->Canvas()->FillSolidRect(Rect(0, 0, w, h), clLime);
    return bitmap;
}

TEST(TarqBitmaps, TransparentPixelsLeaveTheCanvasAlone)
{
    for (TColor transparent : {clFuchsia, clBlack}) {
        auto picture = Picture({"rmr", "mrm"}, transparent);
        auto canvas = GreenCanvas(5, 4);
        canvas->Canvas()->SetTextColor(clBlue); // the blit does not depend on the caller's colours
        canvas->Canvas()->SetBackgroundColor(clRed);
        DrawTransparentBitmapInRect(*canvas->Canvas(), *picture, Rect(1, 1, 4, 3), transparent);
        EXPECT_EQ(Grid(*canvas, Legend), (Rows{"ggggg", "grgrg", "ggrgg", "ggggg"})) << transparent;
        EXPECT_EQ(canvas->Canvas()->CopyMode(), SRCCOPY);
    }
}

TEST(TarqBitmaps, StretchedAndTiledTransparentBitmaps)
{
    auto picture = Picture({"rm", "mr"}, clFuchsia);
    auto stretched = GreenCanvas(4, 4);
    StretchTransparentBitmap(*stretched->Canvas(), *picture, Rect(0, 0, 4, 4), clFuchsia, Rect(0, 0, 2, 2));
    EXPECT_EQ(Grid(*stretched, Legend), (Rows{"rrgg", "rrgg", "ggrr", "ggrr"}));

    auto copied = GreenCanvas(4, 2);
    CopyTransparentRect(*copied->Canvas(), *picture, Rect(1, 0, 2, 1), clFuchsia, Rect(1, 1, 2, 2));
    EXPECT_EQ(Grid(*copied, Legend), (Rows{"grgg", "gggg"}));

    auto tiled = GreenCanvas(6, 4);
    TileTransparentBitmap(*tiled->Canvas(), *picture, Rect(0, 0, 5, 3), clFuchsia);
    EXPECT_EQ(Grid(*tiled, Legend), (Rows{"rgrgrg", "grgrgg", "rgrgrg", "gggggg"}));

    TBitmap empty;
    TileTransparentBitmap(*tiled->Canvas(), empty, Rect(0, 0, 5, 3), clFuchsia); // returns at once
}

TEST(TarqBitmaps, FlipTurnsTheRowsUpsideDown)
{
    auto bitmap = std::make_unique<TBitmap>(2, 3);
    bitmap->Canvas()->FillSolidRect(Rect(0, 0, 2, 3), clLime);
    bitmap->Canvas()->SetPixel(0, 0, clRed);
    bitmap->Canvas()->SetPixel(1, 1, clBlue);
    FlipBitmapVertically(*bitmap);
    EXPECT_EQ(Grid(*bitmap, Legend), (Rows{"gg", "gb", "rg"}));
}

TEST(TarqBitmaps, RotatedFontsAndFontMetrics)
{
    TFont font;
    font.SetName("Arial");
    font.SetStyle(TFontStyles{fsBold});
    auto rotated = CreateRotatedFont(font, 90);
    EXPECT_EQ(rotated->Orientation(), 900);
    EXPECT_EQ(rotated->Name(), "Arial");
    EXPECT_TRUE(rotated->Style().Contains(fsBold));
    EXPECT_EQ(font.Orientation(), 0);

    EXPECT_TRUE(FontIsTrueType(font));
    TBitmap probe(1, 1);
    probe.Canvas()->Font()->Assign(&font);
    EXPECT_EQ(FontLineHeight(font), probe.Canvas()->GetTextMetrics().tmHeight + 2);
}

} // namespace
