// Worked cases of the painter families on a red old and a blue new image.

#include <gtest/gtest.h>

#include <cmath>

#include "TransitionTestSupport.h"

namespace {

struct TBlueRect {
    int32_t Effect, Progress;
    TRect Blue;
};

} // namespace

TEST_F(TransitionTableTest, MovesAndStretchesCoverTheirBlocks)
{
    // One frame onto the old image at 400 × 300; PW 200, PH 150 at 50.
    const TBlueRect cases[] = {
        {31, 50, {0, 0, 200, 300}},    {32, 50, {200, 0, 400, 300}},   {33, 50, {0, 0, 400, 150}},
        {35, 50, {0, 0, 200, 150}},    {38, 50, {200, 150, 400, 300}}, {47, 50, {0, 75, 400, 225}},
        {48, 50, {100, 0, 300, 300}},  {40, 50, {0, 0, 400, 300}},     {73, 50, {0, 0, 400, 300}},
        {49, 50, {0, 0, 200, 150}},    {52, 50, {200, 150, 400, 300}}, {54, 50, {0, 75, 400, 225}},
        {56, 50, {100, 0, 300, 300}},  {65, 50, {0, 0, 200, 300}},     {66, 50, {200, 0, 400, 300}},
        {67, 50, {0, 0, 400, 150}},    {68, 50, {0, 150, 400, 300}},   {58, 50, {0, 0, 400, 300}},
        {186, 50, {200, 0, 400, 300}}, {188, 50, {0, 0, 200, 300}},    {151, 50, {200, 0, 400, 300}},
        {154, 50, {0, 0, 400, 150}},
    };
    for (const TBlueRect& c : cases) {
        TPaintedFrame frame(400, 300);
        EXPECT_EQ(frame.Paint(c.Effect, c.Progress).BlueRegion(), TRegion(c.Blue)) << c.Effect;
    }
    // Both halves are W div 2 wide: an odd width keeps the middle column.
    for (const int32_t effect : {45, 55, 74, 75}) {
        TPaintedFrame frame(399, 301);
        frame.Paint(effect, 100);
        EXPECT_FALSE(frame.Blue(199, 10)) << effect;
        EXPECT_TRUE(frame.Blue(198, 10) && frame.Blue(200, 10)) << effect;
    }
}

TEST_F(TransitionTableTest, MovesEndOnTheNewImage)
{
    for (int32_t effect = 31; effect <= 76; ++effect) {
        TPaintedFrame frame(400, 300);
        frame.Paint(effect, 100);
        EXPECT_TRUE(SamePixels(frame.Canvas, frame.Next)) << effect;
    }
}

TEST_F(TransitionTableTest, PushesMoveTheCanvasByEveryFrame)
{
    // A green column at x 5 of the old picture moves 10 + 20 + 30 pixels;
    // the new image's latest 30 columns sit at the left, its earlier ones
    // were pushed on to x 60.
    TPaintedFrame frame(100, 20);
    frame.Canvas.Canvas()->FillSolidRect(TRect{5, 0, 6, 20}, clLime);
    for (const int32_t progress : {10, 20, 30})
        frame.Paint(152, progress);
    EXPECT_EQ(PixelAt(frame.Canvas, 65, 7), clLime);
    TRegion expected(TRect{0, 0, 60, 20});
    EXPECT_EQ(frame.BlueRegion(), expected);
}

TEST_F(TransitionTableTest, UnrollShowsTheRollsBackBesideTheUnrolledPart)
{
    // The roll is 50, 100 and 50 wide at 10, 50 and 90; its mirrored back
    // spans two columns more than the roll.
    const TBlueRect cases[] = {
        {61, 10, {0, 0, 100 + 50 + 2, 10}},
        {61, 50, {0, 0, 500 + 100 + 2, 10}},
        {61, 90, {0, 0, 900 + 50 + 2, 10}},
        {62, 10, {1000 - 100 - 50, 0, 1000, 10}},
    };
    for (const TBlueRect& c : cases) {
        TPaintedFrame frame(1000, 10);
        EXPECT_EQ(frame.Paint(c.Effect, c.Progress).BlueRegion(), TRegion(c.Blue)) << c.Effect << "@" << c.Progress;
    }
}

TEST_F(TransitionTableTest, RegionShapesFromWorkedCases)
{
    // The circular box at 50 on 200 × 100: (0, 0, 200, 100), corners 180 × 90.
    EXPECT_EQ(TPaintedFrame(200, 100).Paint(117, 50).BlueRegion(), TRegion::RoundRect(0, 0, 200, 100, 180, 90));

    // The sweep at 25 uncovers twelve to three o'clock only.
    TPaintedFrame sweep(200, 100);
    const TRect box = sweep.Paint(139, 25).BlueRegion().BoundingBox();
    EXPECT_EQ(box, (TRect{100, 0, 200, 50}));
    EXPECT_TRUE(sweep.Blue(110, 5) && sweep.Blue(195, 45) && !sweep.Blue(95, 5));
    EXPECT_TRUE(TPaintedFrame(200, 100).Paint(139, 0).BlueRegion().Empty());

    // The lattice with Factor 5 on 180 × 120: k = 5, cells 36 × 24, legs 18
    // × 12 at 50: the triangle about the lattice point (36, 24) has its
    // right angle at (18, 12) and its hypotenuse through the point.
    TPaintedFrame lattice(180, 120);
    lattice.Paint(184, 50, 5);
    EXPECT_TRUE(lattice.Blue(19, 13) && lattice.Blue(55, 13));
    EXPECT_FALSE(lattice.Blue(41, 29));
    TPaintedFrame single(180, 120);
    EXPECT_FALSE(single.Paint(184, 50).Blue(19, 13)) << "Factor 1 gives one cell";

    // The closing zigzag at 100 leaves only the new image.
    TPaintedFrame zigzag(400, 300);
    EXPECT_TRUE(SamePixels(zigzag.Paint(190, 100).Canvas, zigzag.Next));

    // The diagonal cross shows the whole new image at 100.
    TPaintedFrame cross(400, 300);
    EXPECT_TRUE(SamePixels(cross.Paint(177, 100).Canvas, cross.Next));
}

TEST_F(TransitionTableTest, RectangleListsFromWorkedCases)
{
    // Bars 7 thick on 400 × 300; at 50 the even bands are full, the odd empty.
    TPaintedFrame bars(400, 300);
    TRegion even;
    for (int32_t i = 0; i < 300; i += 14)
        even.Combine(even, TRegion(TRect{0, i, 400, std::min(i + 7, 300)}), RGN_OR);
    EXPECT_EQ(bars.Paint(85, 50).BlueRegion(), even);

    // Shredded and speckled at 100 cover the frame.
    for (const int32_t effect : {95, 108, 148, 150}) {
        TPaintedFrame full(400, 300);
        EXPECT_TRUE(SamePixels(full.Paint(effect, 100).Canvas, full.Next)) << effect;
    }

    // 132 is the intersection of 122 and 119.
    TPaintedFrame both(400, 300), first(400, 300), second(400, 300);
    TRegion expected;
    expected.Combine(first.Paint(122, 70).BlueRegion(), second.Paint(119, 70).BlueRegion(), RGN_AND);
    EXPECT_FALSE(expected.Empty());
    EXPECT_EQ(both.Paint(132, 70).BlueRegion(), expected);

    // Under 20 pixels the rectangles never draw.
    for (int32_t effect = 165; effect <= 168; ++effect)
        for (int32_t progress = 0; progress <= 100; progress += 10) {
            TPaintedFrame small(19, 19);
            EXPECT_TRUE(small.Paint(effect, progress).BlueRegion().Empty()) << effect << "@" << progress;
        }
}

TEST_F(TransitionTableTest, RandomShapesRepeatPerImageAndKeepWhatAppeared)
{
    for (const int32_t effect : {185, 192, 193, 195}) {
        TPaintedFrame early(300, 200), late(300, 200), again(300, 200);
        const TRegion at40 = early.Paint(effect, 40).BlueRegion();
        EXPECT_EQ(again.Paint(effect, 40).BlueRegion(), at40) << effect;
        if (effect != 195) { // explosions turn over between progress values
            TRegion lost;
            lost.Combine(at40, late.Paint(effect, 80).BlueRegion(), RGN_DIFF);
            EXPECT_TRUE(lost.Empty()) << effect;
        }
    }
    TPaintedFrame full(300, 200);
    EXPECT_TRUE(SamePixels(full.Paint(185, 100).Canvas, full.Next));
}
