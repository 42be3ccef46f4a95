#include <gtest/gtest.h>

#include "TransitionTestSupport.h"
#include "imaging/views/transitions/QkBlockStretch.h"

namespace {

void Pattern(TBitmap& bitmap, int32_t w, int32_t h)
{
    bitmap.ReshapeForOverwrite(w, h, pf24bit);
    for (int32_t y = 0; y < h; ++y) {
        uint8_t* row = bitmap.ScanLine(y);
        for (int32_t i = 0; i < 3 * w; ++i)
            row[i] = uint8_t(i * 37 + y * 101 + (i * y) % 13);
    }
}

bool ShrinksLikeTheCanvas(const TBitmap& source, const TRect& dest, const TRect& from)
{
    TBitmap direct, canvas;
    Pattern(direct, source.Width(), source.Height());
    Pattern(canvas, source.Width(), source.Height());
    direct.Canvas()->SetStretchMode(HALFTONE);
    canvas.Canvas()->SetStretchMode(HALFTONE);
    StretchBlock(*direct.Canvas(), dest, const_cast<TBitmap&>(source), from);
    canvas.Canvas()->StretchBlt(dest.Left, dest.Top, dest.Width(), dest.Height(), const_cast<TBitmap&>(source).Canvas(),
                                from.Left, from.Top, from.Width(), from.Height(), SRCCOPY);
    return SamePixels(direct, canvas);
}

} // namespace

// The direct halftone shrink gives the canvas's own pixels, also for blocks
// reaching past the frame.
TEST(BlockStretch, DirectShrinkMatchesTheCanvas)
{
    TBitmap source;
    Pattern(source, 53, 41);
    const TRect cases[][2] = {
        {{0, 0, 20, 41}, {0, 0, 53, 41}},   {{5, 3, 30, 20}, {0, 0, 53, 41}}, {{-7, -4, 30, 50}, {2, 1, 50, 40}},
        {{40, 0, 60, 41}, {0, 0, 53, 41}},  {{0, 0, 53, 7}, {0, 0, 53, 41}},  {{0, 0, 80, 20}, {10, 0, 40, 41}},
        {{10, 10, 11, 11}, {0, 0, 53, 41}},
    };
    for (const auto& [dest, from] : cases)
        EXPECT_TRUE(ShrinksLikeTheCanvas(source, dest, from))
            << dest.Left << "," << dest.Top << " " << dest.Width() << "x" << dest.Height();
}

// Every width from the whole row down to one pixel, so boxes of one size and
// of two alternating sizes, odd and even pixel counts, and areas past what
// 16-bit sums hold; also on white, the largest sums.
TEST(BlockStretch, DirectShrinkMatchesTheCanvasAtEveryWidth)
{
    TBitmap pattern, white;
    Pattern(pattern, 97, 23);
    white.ReshapeForOverwrite(97, 23, pf24bit);
    white.Canvas()->FillSolidRect(TRect{0, 0, 97, 23}, clWhite);
    for (const TBitmap* source : {&pattern, &white})
        for (const int32_t height : {1, 7, 23, 30})
            for (int32_t width = 1; width <= 97; ++width)
                EXPECT_TRUE(ShrinksLikeTheCanvas(*source, {0, 0, width, height}, {0, 0, 97, 23}))
                    << width << "x" << height;
}
