#include <gtest/gtest.h>

#include <memory>

#include "imaging/views/tests/vect/VectorTestSupport.h"

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkBitmapRoutines.h"
#include "imaging/views/vect/QkVObjectSet.h"

namespace {

std::unique_ptr<TQkBitmap> Filled(int32_t width, int32_t height, uint8_t value)
{
    auto bitmap = std::make_unique<TQkBitmap>(width, height, qk24RGB);
    for (int32_t y = 0; y < height; ++y)
        std::fill_n(bitmap->GetScanline(y), width * 3, uint8_t(value + y));
    return bitmap;
}

} // namespace

TEST(VectorObjectSet, CornersAreOrderedExceptForObjectsWithADirection)
{
    const struct {
        TQkVObjKind Kind;
        bool Ordered;
    } cases[] = {{qkvkLine, false},      {qkvkRuler, false}, {qkvkPolyline, false},
                 {qkvkLabelLine, false}, {qkvkBox, true},    {qkvkEllipse, true},
                 {qkvkText, true},       {qkvkMemo, true},   {qkvkAngle, true}};
    TQkVObjectSet set;
    for (const auto& c : cases) {
        const int32_t handle = set.AddObjectRecord(OfKind(c.Kind, 30, 40, 10, 20));
        const TQkVObject& added = *set.GetObjectRecord(handle);
        EXPECT_EQ(added.X1, c.Ordered ? 10 : 30) << int(c.Kind);
        EXPECT_EQ(added.Y2, c.Ordered ? 40 : 20) << int(c.Kind);
    }
    EXPECT_EQ(set.GetObjectRecord(qkvLastObject), set.GetObjectRecord(set.ObjectCount() - 1));
    EXPECT_EQ(set.GetObjectRecord(qkvAllObjects), nullptr);
    EXPECT_EQ(set.GetObjectRecord(qkvNoObject), nullptr);
    EXPECT_EQ(set.GetObjectRecord(set.ObjectCount()), nullptr) << "a handle past the last object has no record";
}

TEST(VectorObjectSet, ANewObjectKeepsOnlyWhatItsKindUses)
{
    TQkVObject source = OfKind(qkvkBox, 0, 0, 5, 5);
    source.Text = "box text";
    source.Font = TLogFont{};
    source.CurvePoints = {{0.1, 0.2}};
    source.Points = {{1, 1}, {2, 2}};
    source.UserData = {1, 2, 3};
    TQkVObjectSet set;
    const TQkVObject& box = *set.GetObjectRecord(set.AddObjectRecord(source));
    EXPECT_FALSE(box.Text);
    EXPECT_FALSE(box.Font);
    EXPECT_TRUE(box.CurvePoints.empty());
    EXPECT_TRUE(box.Points.empty());
    EXPECT_TRUE(box.UserData.empty()) << "user data is never copied";
    EXPECT_EQ(box.Name, "") << "a missing name becomes an empty one";

    source.Kind = qkvkText;
    source.Text.reset();
    const TQkVObject& text = *set.GetObjectRecord(set.AddObjectRecord(source));
    EXPECT_EQ(text.Text, "") << "a text object always has a text";
    EXPECT_TRUE(text.Font);
    EXPECT_EQ(text.CurvePointCount(), 1);

    source.Kind = qkvkMemo;
    source.Text = "ab";
    source.CharRuns = std::vector<int32_t>{4, 5};
    source.FontRuns.resize(1);
    const TQkVObject& memo = *set.GetObjectRecord(set.AddObjectRecord(source));
    ASSERT_TRUE(memo.CharRuns);
    EXPECT_EQ(*memo.CharRuns, (std::vector<int32_t>{4, 5, 0})) << "one entry per character and one more";
    EXPECT_EQ(memo.FontRuns.size(), 1u);
}

TEST(VectorObjectSet, PolylinePointsWidenTheBoxAndSkipRepeats)
{
    TQkVObjectSet set;
    const int32_t handle = set.AddObjectRecord(OfKind(qkvkPolyline, 10, 10, 10, 10));
    for (const TPoint point : {TPoint{10, 10}, TPoint{4, 20}, TPoint{4, 20}, TPoint{30, 2}})
        set.AddPolylinePoint(handle, point.X, point.Y);
    const TQkVObject& polyline = *set.GetObjectRecord(handle);
    EXPECT_EQ(polyline.PointCount(), 3);
    EXPECT_EQ((TRect{polyline.X1, polyline.Y1, polyline.X2, polyline.Y2}), (TRect{4, 2, 30, 20}));
    EXPECT_EQ((TRect{polyline.BaseX1, polyline.BaseY1, polyline.BaseX2, polyline.BaseY2}), (TRect{4, 2, 30, 20}));
}

TEST(VectorObjectSet, EqualImagesShareAnEntryOnlyWhenSharing)
{
    for (const bool share : {true, false}) {
        TQkVObjectSet set;
        set.ShareBitmaps = share;
        const int32_t first = set.AddObjectRecord(OfKind(qkvkBitmap, 0, 0, 9, 9));
        const int32_t second = set.AddObjectRecord(OfKind(qkvkBitmap, 0, 0, 9, 9));
        const auto image = Filled(4, 3, 10);
        set.SetObjBitmap(first, image.get());
        set.SetObjBitmap(second, Filled(4, 3, 10).get());
        ASSERT_EQ(set.SharedBitmaps().size(), share ? 1u : 2u);
        EXPECT_EQ(set.SharedBitmaps()[0].UseCount, share ? 2 : 1);
        EXPECT_NE(set.GetSharedBitmap(0), image.get()) << "the caller keeps its own image";

        set.ReleaseSharedBitmap(set.GetObjectRecord(first)->BitmapIndex);
        EXPECT_EQ(set.SharedBitmaps()[0].Bitmap != nullptr, share) << "the last user frees the image";
    }
}

TEST(VectorObjectSet, AnObjectCopiedFromAnotherUsesItsImage)
{
    TQkVObjectSet set;
    const int32_t first = set.AddObjectRecord(OfKind(qkvkBitmap, 0, 0, 9, 9));
    set.SetObjBitmap(first, Filled(2, 2, 50).get());
    set.AddObjectRecord(*set.GetObjectRecord(first));
    EXPECT_EQ(set.SharedBitmaps()[0].UseCount, 2);

    set.ShareBitmaps = false;
    const int32_t third = set.AddObjectRecord(*set.GetObjectRecord(first));
    EXPECT_EQ(set.GetObjectRecord(third)->BitmapIndex, 1) << "without sharing the copy gets its own entry";
    EXPECT_TRUE(SameBitmaps(*set.GetSharedBitmap(0), *set.GetSharedBitmap(1)));
}

TEST(VectorObjectSet, PackingRenumbersEveryReference)
{
    TQkVObjectSet set;
    std::vector<int32_t> handles;
    for (uint8_t value : {10, 20, 30}) {
        handles.push_back(set.AddObjectRecord(OfKind(qkvkBitmap, 0, 0, 9, 9)));
        set.SetObjBitmap(handles.back(), Filled(2, 2, value).get());
    }
    set.SetObjBitmap(qkvTemplate, Filled(2, 2, 90).get());
    set.SetObjBitmap(handles[0], nullptr);
    set.PackSharedBitmaps();
    ASSERT_EQ(set.SharedBitmaps().size(), 3u);
    EXPECT_EQ(set.GetObjectRecord(handles[1])->BitmapIndex, 0);
    EXPECT_EQ(set.GetObjectRecord(handles[2])->BitmapIndex, 1);
    EXPECT_EQ(set.Template().BitmapIndex, 2);
    EXPECT_EQ(set.GetSharedBitmap(2)->GetScanline(0)[0], 90);
}

TEST(VectorObjectSet, ClearingKeepsOnlyTheTemplatesImage)
{
    TQkVObjectSet set;
    set.SetObjBitmap(qkvTemplate, Filled(3, 3, 70).get());
    const int32_t handle = set.AddObjectRecord(OfKind(qkvkBitmap, 0, 0, 9, 9));
    set.SetObjBitmap(handle, Filled(2, 2, 5).get());
    set.Selection().push_back(handle);
    set.RemoveAllObjects();
    EXPECT_EQ(set.ObjectCount(), 0);
    EXPECT_TRUE(set.ZOrder().empty());
    EXPECT_TRUE(set.Selection().empty());
    ASSERT_EQ(set.SharedBitmaps().size(), 1u);
    EXPECT_EQ(set.Template().BitmapIndex, 0);
    EXPECT_EQ(set.GetSharedBitmap(0)->GetScanline(0)[0], 70);
}

TEST(VectorObjectSet, TheStopIconBecomesAnImage)
{
    TQkVObjectSet set;
    set.SetObjBitmapIcon(qkvTemplate, 32513, 64, 64);
    TQkBitmap* image = set.GetSharedBitmap(set.Template().BitmapIndex);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->GetWidth(), 64);
    EXPECT_EQ(image->GetPixelFormat(), qk24RGB);
    const uint8_t* middleLeft = image->GetScanline(32) + 3 * 6;
    EXPECT_GT(middleLeft[2], 150) << "the red disc";
    EXPECT_LT(middleLeft[0], 100);
    EXPECT_EQ(image->GetScanline(0)[0], 0) << "on black outside it";
}
