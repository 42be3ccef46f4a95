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
    for (const auto& [dest, from] : cases) {
        TBitmap direct, canvas;
        Pattern(direct, 53, 41);
        Pattern(canvas, 53, 41);
        direct.Canvas()->SetStretchMode(HALFTONE);
        canvas.Canvas()->SetStretchMode(HALFTONE);
        StretchBlock(*direct.Canvas(), dest, source, from);
        canvas.Canvas()->StretchBlt(dest.Left, dest.Top, dest.Width(), dest.Height(), source.Canvas(), from.Left,
                                    from.Top, from.Width(), from.Height(), SRCCOPY);
        EXPECT_TRUE(SamePixels(direct, canvas))
            << dest.Left << "," << dest.Top << " " << dest.Width() << "x" << dest.Height();
    }
}
