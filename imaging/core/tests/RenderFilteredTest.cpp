#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkFastResample.h"
#include "imaging/core/QkRender.h"
#include "imaging/core/QkResample.h"
#include "imaging/core/tests/QkBitmapTestSupport.h"
#include "imaging/core/tests/QkRenderTestSupport.h"

namespace {

TQkRenderOptions Filtered(TResampleFilter filter)
{
    TQkRenderOptions options;
    options.Filter = filter;
    return options;
}

} // namespace

// Case A: a colour source is resampled with the filter, then drawn 1:1.
TEST(RenderFiltered, ColourSourceDrawsTheResamplersOutput)
{
    TQkBitmap source(12, 9, qk24RGB);
    FillPattern(source);
    TQkBitmap part(8, 6, qk24RGB);
    source.CopyRectTo(part, 2, 1, 0, 0, 8, 6);
    TQkBitmap expected(21, 14, qk24RGB);
    ResampleFiltered(part, expected, rfTriangle, nullptr, TQkProgressEvent());

    TQkBitmap destination(30, 20, qk24RGB);
    TQkRenderTables tables;
    ASSERT_TRUE(RenderToTQkBitmapEx(source, destination, tables, {4, 3, 21, 14}, {2, 1, 8, 6}, Filtered(rfTriangle)));
    ExpectDrawnAt(destination, expected, 4, 3);
}

// Case A for a bilevel source enlarged with its alpha channel: the colour
// and the alpha are resampled apart and blended after.
TEST(RenderFiltered, EnlargedBilevelSourceCarriesItsAlpha)
{
    TQkBitmap source;
    MakeChecker(source, 9, 6);
    TQkBitmap& alpha = *source.GetAlphaChannel();
    for (int32_t x = 0; x < 9; ++x)
        alpha.SetPixel8(x, 2, 0);
    alpha.SetFull(false);
    TQkBitmap colour(20, 13, qk24RGB);
    ResampleMonoFiltered(source, colour, rfBSpline);
    TQkBitmap weights(20, 13, qk8g);
    ResampleGrayFiltered(alpha, weights, rfBSpline);

    TQkBitmap destination(20, 13, qk24RGB);
    TQkRenderTables tables;
    ASSERT_TRUE(RenderToTQkBitmapEx(source, destination, tables, {0, 0, 20, 13}, {0, 0, 9, 6}, Filtered(rfBSpline)));
    for (int32_t y = 0; y < 13; ++y)
        for (int32_t x = 0; x < 20; ++x) {
            const int32_t s = colour.GetPixel24(x, y).g;
            ASSERT_EQ(destination.GetPixel24(x, y).g, (s * weights.GetPixel8(x, y)) >> 8) << x << "," << y;
        }
}

// Case B: a bilevel source reduced without alpha is averaged to gray.
TEST(RenderFiltered, ReducedBilevelSourceIsBoxAveraged)
{
    TQkBitmap source;
    MakeChecker(source, 40, 30);
    TQkBitmap expected(13, 11, qk24RGB);
    BoxAverageMonoToGray(source, 5, 2, 34, 26, expected);

    TQkBitmap destination(16, 16, qk24RGB);
    TQkRenderTables tables;
    ASSERT_TRUE(RenderToTQkBitmapEx(source, destination, tables, {2, 4, 13, 11}, {5, 2, 30, 25}, Filtered(rfLanczos3)));
    ExpectDrawnAt(destination, expected, 2, 4);
}
