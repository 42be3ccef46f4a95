#include "imaging/views/QkViewScrolling.h"

#include <gtest/gtest.h>

namespace {

TEST(ViewScrollingTest, ScrollCommands)
{
    struct TCase {
        const char* Name;
        int32_t Command;
        double Zoom;
        TQkScrollBarParams Bar;
        int32_t Target;
    } cases[] = {
        {"set position", 0, 100, {}, 77},
        {"end", 1, 100, {}, 600},
        {"start", 2, 100, {}, 0},
        {"line forward: one image pixel", 3, 100, {}, 51},
        {"line back at 400 %: four view pixels", 4, 400, {}, 46},
        {"line below 100 % stays one pixel", 3, 25, {}, 51},
        {"line step 5 at 300 %", 3, 300, {5, -1, true}, 65},
        {"page forward: the view's size", 5, 100, {}, 350},
        {"page back in line steps", 6, 200, {-1, 10, true}, 30},
        {"unknown command scrolls to the start", 9, 100, {}, 0},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(ScrollCommandTarget(c.Command, 77, 50, 600, c.Zoom, 300, c.Bar), c.Target);
    }
}

TEST(ViewScrollingTest, WheelForwardZoomsOutByEightPercent)
{
    const TQkMouseWheelParams defaults;
    struct TCase {
        double Zoom;
        int32_t Delta;
        double Result;
    } cases[] = {
        {100, 120, 92},     {100, -120, 108}, {1000, 120, 920}, {5, 120, 4}, // at least one percent
        {12.5, -120, 13.5}, // Round(1.0) = 1
    };
    for (const TCase& c : cases)
        EXPECT_DOUBLE_EQ(WheelZoom(c.Zoom, c.Delta, defaults), c.Result) << c.Zoom << " " << c.Delta;

    TQkMouseWheelParams absolute;
    absolute.Variation = 0;
    absolute.InverseDirection = true;
    EXPECT_DOUBLE_EQ(WheelZoom(100, 120, absolute), 108);
    absolute.Variation = 2;
    EXPECT_DOUBLE_EQ(WheelZoom(100, 120, absolute), 100);
}

TEST(ViewScrollingTest, WheelScrollSteps)
{
    TQkMouseWheelParams wheel;
    wheel.Action = qkwaScroll;
    EXPECT_EQ(WheelScrollStep(100, 300, 120, wheel), -24); // 8 % of the view
    EXPECT_EQ(WheelScrollStep(100, 5, -120, wheel), 1); // at least one pixel
    wheel.Variation = 0;
    EXPECT_EQ(WheelScrollStep(300, 300, -120, wheel), 24); // 8 lines of 3 pixels
}

TEST(ViewScrollingTest, SmoothScrollApproachesAndStops)
{
    EXPECT_EQ(SmoothScrollStep(0, 100, 8), 12); // 12.5, halves to even
    EXPECT_EQ(SmoothScrollStep(12, 100, 8), 23);
    int32_t origin = 0;
    for (int32_t next = SmoothScrollStep(origin, 100, 8); next != origin; next = SmoothScrollStep(origin, 100, 8))
        origin = next;
    EXPECT_GE(origin, 96);
    EXPECT_LE(origin, 100);
    EXPECT_EQ(SmoothScrollStep(0, 100, 0), 100) << "divisor 0 jumps";
    EXPECT_EQ(SmoothScrollStep(100, 0, 8), 88);
}

} // namespace
