#include "platform/gfx/CairoScratch.h"
#include "platform/gfx/tests/GfxTestSupport.h"

#include <gtest/gtest.h>

TEST(CairoScratch, DrawsAntialiasedShapesIntoTheArea)
{
    auto bitmap = MakeBitmap(20, 20, pf24bit, clWhite);
    {
        TCairoScratch scratch(*bitmap, Rect(5, 5, 15, 15));
        cairo_t* cr = scratch.Context();
        cairo_set_source_rgb(cr, 1, 0, 0);
        cairo_arc(cr, 5, 5, 4, 0, 6.2832);
        cairo_fill(cr);
        scratch.Commit();
    }
    EXPECT_EQ(bitmap->Canvas()->Pixels(10, 10), clRed) << "the circle's centre";
    EXPECT_EQ(bitmap->Canvas()->Pixels(2, 2), clWhite) << "outside the area";
    bool partial = false;
    for (int32_t x = 5; x < 15; ++x) {
        const TColor c = bitmap->Canvas()->Pixels(x, 7);
        partial |= c != clRed && c != clWhite;
    }
    EXPECT_TRUE(partial) << "edges are blended";
}

TEST(CairoScratch, PremultipliedModeKeepsAlphaAndUncommittedDrawingIsDropped)
{
    TBitmap bitmap(4, 4, pf32bit);
    for (int32_t y = 0; y < 4; ++y)
        std::fill_n(reinterpret_cast<uint32_t*>(bitmap.ScanLine(y)), 4, 0u);
    {
        TCairoScratch scratch(bitmap, Rect(0, 0, 4, 4), saPremultiplied);
        cairo_set_source_rgba(scratch.Context(), 0, 0, 1, 0.5);
        cairo_paint(scratch.Context());
        scratch.Commit();
    }
    EXPECT_EQ(ReadRaw(bitmap.ScanLine(0), 0, 32), 0x80000080u);
    {
        TCairoScratch scratch(bitmap, Rect(0, 0, 4, 4), saPremultiplied);
        cairo_paint(scratch.Context());
    }
    EXPECT_EQ(ReadRaw(bitmap.ScanLine(0), 0, 32), 0x80000080u);
}
