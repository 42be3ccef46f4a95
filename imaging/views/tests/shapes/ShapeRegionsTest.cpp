#include <gtest/gtest.h>

#include "imaging/views/shapes/QkShapeRegions.h"
#include "imaging/views/shapes/TComplexRegion.h"

namespace {

TRegion Union(const TRegion& a, const TRegion& b)
{
    TRegion result;
    result.Combine(a, b, RGN_OR);
    return result;
}

} // namespace

TEST(ShapeRegions, StarSitsInTheCentredSquareWithItsTopPointAt50)
{
    const TRegion star = CreateShapeRegion(0, 0, 0, 100, 60);
    const TRect box = star.BoundingBox();
    EXPECT_GE(box.Left, 20);
    EXPECT_LE(box.Right, 80);
    // The top point maps to 20 + Round(59 × 0.5) = 50: the first row that
    // has pixels is centred there.
    const std::vector<TRect> rects = star.Rects();
    ASSERT_FALSE(rects.empty());
    EXPECT_LE(rects.front().Top, 1);
    EXPECT_LE(rects.front().Left, 50);
    EXPECT_GE(rects.front().Right, 50);
    TRegion moved = CreateShapeRegion(0, 0, 0, 60, 60);
    moved.Offset(20, 0);
    EXPECT_EQ(star, moved);
}

TEST(ShapeRegions, CrossIsItsTwoBars)
{
    // 75 wide (0.75 × 100) from x 62, bars 15 thick; the crossbar at
    // Round(85 × 0.33) = 28.
    const TRegion expected = Union(TRegion::FromRect(92, 0, 107, 100), TRegion::FromRect(62, 28, 137, 43));
    EXPECT_EQ(CreateShapeRegion(10, 0, 0, 200, 100), expected);
}

TEST(ShapeRegions, BoxHandlingByShape)
{
    // In a 200 × 100 box: squared shapes stay in the centred 100 × 100
    // square, the lightning bolts keep the full height, the explosions
    // stretch with the box.
    for (uint8_t shape = 0; shape < 16; ++shape) {
        SCOPED_TRACE(int(shape));
        const TRect box = CreateShapeRegion(shape, 0, 0, 200, 100).BoundingBox();
        ASSERT_FALSE(IsRectEmpty(box));
        if (shape == 8 || shape == 9) {
            EXPECT_LT(box.Left, 10);
            EXPECT_GT(box.Right, 190);
        } else {
            EXPECT_GE(box.Left, 50);
            EXPECT_LE(box.Right, 150);
        }
        if (shape == 6 || shape == 7) {
            EXPECT_GE(box.Height(), 95);
        }
    }
    // A box higher than wide keeps both sizes for the bolt.
    const TRect tall = CreateShapeRegion(6, 0, 0, 50, 100).BoundingBox();
    EXPECT_LE(tall.Left, 1);
    EXPECT_GE(tall.Right, 48);
    EXPECT_GE(tall.Height(), 95);
}

TEST(ShapeRegions, MirroredVariantsAndNumbersOutsideTheTable)
{
    EXPECT_TRUE(CreateShapeRegion(16, 0, 0, 100, 100).Empty());
    EXPECT_TRUE(CreateShapeRegion(127, 0, 0, 100, 100).Empty());
    EXPECT_TRUE(CreateShapeRegion(255, 0, 0, 100, 100).Empty());
    EXPECT_EQ(CreateShapeRegion(128, 0, 0, 100, 60), CreateShapeRegion(0, 0, 0, 100, 60));
    // The arrow's head is at the top-left; variant 3 puts it at the bottom-right.
    EXPECT_TRUE(CreateShapeRegion(2, 0, 0, 100, 100).Contains(3, 3));
    EXPECT_FALSE(CreateShapeRegion(2, 0, 0, 100, 100).Contains(96, 96));
    EXPECT_TRUE(CreateShapeRegion(5, 0, 0, 100, 100).Contains(96, 96));
    // The heart: two lobes above, the point below the centre.
    const TRegion heart = CreateShapeRegion(15, 0, 0, 100, 100);
    EXPECT_TRUE(heart.Contains(25, 25) && heart.Contains(75, 25) && heart.Contains(50, 80));
    EXPECT_FALSE(heart.Contains(50, 2) || heart.Contains(5, 90));
}

TEST(PointOnCircle, RunsClockwiseFromTwelveOClock)
{
    EXPECT_EQ(PointOnCircle({50, 50}, 10, 0), (TPoint{50, 40}));
    EXPECT_EQ(PointOnCircle({50, 50}, 10, 90), (TPoint{60, 50}));
    EXPECT_EQ(PointOnCircle({50, 50}, 10, 180), (TPoint{50, 60}));
}

TEST(ComplexRegion, GrowsBy500AndMakesOneRegion)
{
    TComplexRegion list;
    EXPECT_TRUE(list.MakeRegion().Empty());
    EXPECT_EQ(list.Capacity(), 0);
    list.AddRect(0, 0, 10, 10);
    EXPECT_EQ(list.Capacity(), 500);
    EXPECT_EQ(list.MakeRegion(), TRegion::FromRect(0, 0, 10, 10));
    for (int32_t i = 1; i < 500; ++i)
        list.AddRect(i, 0, i + 1, 1);
    EXPECT_EQ(list.Capacity(), 500);
    list.AddRect(-4, 3, 2, 600);
    EXPECT_EQ(list.Capacity(), 1000);
    EXPECT_EQ(list.Count(), 501);
    EXPECT_EQ(list.Rects()[0], (TRect{0, 0, 10, 10}));
    EXPECT_EQ(list.Rects()[499], (TRect{499, 0, 500, 1}));
    EXPECT_EQ(list.Bounds(), (TRect{-4, 0, 500, 600}));
    // A reversed rectangle is kept as given and covers nothing.
    list.Clear();
    list.AddRect(10, 0, 0, 10);
    EXPECT_EQ(list.Rects()[0], (TRect{10, 0, 0, 10}));
    EXPECT_TRUE(list.MakeRegion().Empty());
}

// Overlapping shapes added whole make their union, as uniting them one by
// one does.
TEST(ComplexRegion, AddedRegionsMakeTheirUnion)
{
    const TRegion shapes[] = {TRegion::Ellipse(0, 0, 40, 30), TRegion::Ellipse(25, 10, 70, 50),
                              CreateShapeRegion(0, 30, 0, 40, 40), TRegion::FromRect(100, 100, 110, 105)};
    TComplexRegion list;
    TRegion united;
    for (const TRegion& shape : shapes) {
        list.AddRegion(shape);
        united.Combine(united, shape, RGN_OR);
    }
    EXPECT_EQ(list.MakeRegion(), united);
    EXPECT_EQ(list.Bounds(), united.BoundingBox());
}
