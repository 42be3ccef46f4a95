#include <gtest/gtest.h>

#include "QkBitmapTestSupport.h"
#include "imaging/core/BrelvixProc.h"

namespace {

TEST(PrepareFormatTest, ConvertsToThePreferredAcceptedFormat)
{
    const struct {
        const char* Name;
        TQkPixelFormat Current;
        TQkPixelFormatSet Allowed;
        TQkPixelFormat Expected;
    } cases[] = {
        {"palette to 24-bit", qk8p, TQkPixelFormatSet{qk24RGB}, qk24RGB},
        {"row order wins over set order", qk1g, TQkPixelFormatSet{qk24RGB, qk16g}, qk16g},
        {"gray to 16-bit first", qk8g, TQkPixelFormatSet{qkRGB48, qk16g}, qk16g},
        {"float to 8-bit gray before 24-bit", qk32f, TQkPixelFormatSet{qk24RGB, qk8g}, qk8g},
        {"outside the row: highest format", qk1g, TQkPixelFormatSet{qk8p, qk32RGB}, qk32RGB},
        {"accepted as it is", qkCMYK, TQkPixelFormatSet{qkCMYK}, qkCMYK},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TQkBitmap bitmap(3, 2, c.Current);
        TBrelvixProc proc(nullptr);
        proc.AttachBitmap(&bitmap);
        EXPECT_TRUE(proc.PrepareFormat(c.Allowed));
        EXPECT_EQ(bitmap.GetPixelFormat(), c.Expected);
    }
}

TEST(PrepareFormatTest, WithoutAutomaticConversionTheImageStays)
{
    TQkBitmap bitmap(3, 2, qk8p);
    bitmap.GetScanline(0)[1] = 7;
    TBrelvixProc proc(nullptr);
    proc.AttachBitmap(&bitmap);
    proc.SetAutoConvertFormat(false);
    EXPECT_FALSE(proc.PrepareFormat(TQkPixelFormatSet{qk24RGB}));
    EXPECT_EQ(bitmap.GetPixelFormat(), qk8p);
    EXPECT_EQ(bitmap.GetScanline(0)[1], 7);
    EXPECT_TRUE(proc.PrepareFormat(TQkPixelFormatSet{}));
}

} // namespace
