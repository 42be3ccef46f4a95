#include <gtest/gtest.h>

#include <memory>

#include "imaging/views/tests/vect/VectorTestSupport.h"

#include "imaging/core/QkBitmap.h"
#include "imaging/views/vect/QkVObjectGeometry.h"

namespace {

const TRect Everywhere{-1000, -1000, 1000, 1000};

} // namespace

TEST(VectorObjectGeometry, DistancesFollowTheKind)
{
    TQkVObjectSet objects;
    TQkVHitSettings settings;
    TQkVObject thickLine = OfKind(qkvkLine, 0, 0, 100, 0);
    thickLine.PenWidth = 6;
    TQkVObject openBox = OfKind(qkvkBox, 10, 10, 50, 50);
    TQkVObject filledBox = openBox;
    filledBox.BrushStyle = bsSolid;
    TQkVObject arc = OfKind(qkvkArc, 10, 10, 50, 50);
    arc.BrushStyle = bsSolid;
    TQkVObject text = OfKind(qkvkText, 10, 10, 50, 50);
    const struct {
        const TQkVObject& Record;
        TPoint At;
        bool Zero;
    } cases[] = {
        {thickLine, {50, 2}, true}, // within half the pen
        {thickLine, {50, 9}, false}, {openBox, {30, 30}, false},
        {filledBox, {30, 30}, true}, {arc, {30, 30}, false}, // never filled
        {text, {30, 30}, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ObjectDistance(objects, c.Record, c.At.X, c.At.Y, settings) == 0, c.Zero)
            << int(c.Record.Kind) << " at " << c.At.X << "," << c.At.Y;
    settings.FillBoxHit = true;
    EXPECT_EQ(ObjectDistance(objects, openBox, 30, 30, settings), 0) << "an open box hit inside when asked";
}

TEST(VectorObjectGeometry, TheTopmostOfOverlappingObjectsIsFound)
{
    TQkVObjectSet objects;
    TQkVObject box = OfKind(qkvkBox, 0, 0, 40, 40);
    box.BrushStyle = bsSolid;
    objects.AddObjectRecord(box);
    const int32_t upper = objects.AddObjectRecord(box);
    TQkVHitSettings settings;
    double distance = 0;
    EXPECT_EQ(FindObjectAt(objects, 20, 20, false, distance, Everywhere, 1.0, settings), upper);
    EXPECT_EQ(distance, 0);

    objects.GetObjectRecord(upper)->Flags = qkvfVisible;
    EXPECT_EQ(FindObjectAt(objects, 20, 20, true, distance, Everywhere, 1.0, settings), 0) << "selectable only";
    EXPECT_EQ(FindObjectAt(objects, 20, 20, false, distance, TRect{100, 100, 200, 200}, 1.0, settings), qkvAllObjects)
        << "objects off the visible part";
    settings.HitTolerance = 10;
    EXPECT_EQ(FindObjectAt(objects, 60, 20, false, distance, Everywhere, 1.0, settings), qkvAllObjects)
        << "20 pixels away is beyond a tolerance of 10";
    EXPECT_EQ(FindObjectAt(objects, 60, 20, false, distance, Everywhere, 0.25, settings), upper)
        << "which grows as the view zooms out";
}

TEST(VectorObjectGeometry, TransparentPixelsOfABitmapObjectAreNoHit)
{
    TQkVObjectSet objects;
    const int32_t handle = objects.AddObjectRecord(OfKind(qkvkBitmap, 0, 0, 19, 9));
    TQkBitmap image(2, 1, qk24RGB);
    image.GetAlphaChannel()->GetScanline(0)[0] = 0;
    image.GetAlphaChannel()->GetScanline(0)[1] = 255;
    objects.SetObjBitmap(handle, &image);
    const TQkVObject& record = *objects.GetObjectRecord(handle);
    TQkVHitSettings settings;
    EXPECT_EQ(ObjectDistance(objects, record, 3, 5, settings), 1000) << "the left half is transparent";
    EXPECT_EQ(ObjectDistance(objects, record, 15, 5, settings), 0);
    settings.BitmapAlphaHit = false;
    EXPECT_EQ(ObjectDistance(objects, record, 3, 5, settings), 0);
}

TEST(VectorObjectGeometry, ResizingKeepsTheSavedProportionsWhenAsked)
{
    const struct {
        int32_t Grip;
        TRect Offsets; // dX1, dY1, dX2, dY2
        TRect Expected;
    } cases[] = {
        {2, {0, 0, 20, 0}, {0, 0, 60, 30}}, // the height follows the width
        {1, {-20, 0, 0, 0}, {-20, -10, 40, 20}},
        {9, {0, 0, 0, 10}, {0, 0, 60, 30}}, // the width follows the height
        {8, {0, -10, 0, 0}, {-20, -10, 40, 20}},
    };
    for (const auto& c : cases) {
        TQkVObject record = OfKind(qkvkBox, 0, 0, 40, 20);
        record.SavedRect = {0, 0, 40, 20};
        ResizeObject(record, c.Offsets.Left, c.Offsets.Top, c.Offsets.Right, c.Offsets.Bottom, true, c.Grip);
        EXPECT_EQ((TRect{record.X1, record.Y1, record.X2, record.Y2}), c.Expected) << c.Grip;
    }
    TQkVObject flat = OfKind(qkvkBox, 0, 0, 40, 20);
    flat.SavedRect = {0, 0, 40, 0};
    ResizeObject(flat, 0, 0, 10, 0, true, 2);
    EXPECT_EQ(flat.Y2, 20) << "a saved height of 0 leaves the height alone";
}

TEST(VectorObjectGeometry, AngleGaugesMoveAndBoundTheirPoints)
{
    TQkVObject gauge = OfKind(qkvkAngle, 0, 0, 0, 0);
    gauge.AnglePoints = {TPoint{10, 40}, TPoint{30, 20}, TPoint{UnsetAnglePoint, UnsetAnglePoint}};
    EXPECT_EQ(CountAnglePoints(gauge.AnglePoints), 2);
    MoveObject(gauge, 5, -5);
    EXPECT_EQ(gauge.AnglePoints[0], (TPoint{15, 35}));
    EXPECT_EQ(gauge.AnglePoints[2].X, UnsetAnglePoint) << "an unset point stays unset";
    gauge.AnglePoints[2] = {50, 10};
    AngleGaugeBounds(gauge);
    EXPECT_EQ((TRect{gauge.X1, gauge.Y1, gauge.X2, gauge.Y2}), (TRect{20, -5, 50, 35}));
}

TEST(VectorObjectGeometry, NormalizingAPolylineFitsItsBoxToItsPoints)
{
    TQkVObject polyline = OfKind(qkvkPolyline, 0, 0, 200, 100);
    polyline.Points = {{10, 10}, {30, 20}};
    polyline.BaseX1 = 0;
    polyline.BaseY1 = 0;
    polyline.BaseX2 = 100;
    polyline.BaseY2 = 50;
    NormalizePolyline(polyline);
    EXPECT_EQ((TRect{polyline.X1, polyline.Y1, polyline.X2, polyline.Y2}), (TRect{20, 20, 60, 40}));
    EXPECT_EQ((TRect{polyline.BaseX1, polyline.BaseY1, polyline.BaseX2, polyline.BaseY2}), (TRect{10, 10, 30, 20}));
    double sx = 0, sy = 0;
    GetPolylineScale(polyline, sx, sy);
    EXPECT_EQ(sx, 2.0);
    EXPECT_EQ(sy, 2.0);
}

TEST(VectorObjectGeometry, RectangleSelectionTakesWhatLiesInside)
{
    TQkVObjectSet objects;
    const int32_t inside = objects.AddObjectRecord(OfKind(qkvkBox, 10, 10, 20, 20));
    const int32_t backwardsLine = objects.AddObjectRecord(OfKind(qkvkLine, 30, 30, 12, 12));
    objects.AddObjectRecord(OfKind(qkvkBox, 10, 10, 60, 20));
    TQkVObject fixed = OfKind(qkvkBox, 12, 12, 14, 14);
    fixed.Flags = qkvfVisible;
    objects.AddObjectRecord(fixed);
    SelectObjectsInRect(objects, qkvAllObjects, 10, 10, 30, 30);
    EXPECT_EQ(objects.Selection(), (std::vector<int32_t>{inside, backwardsLine}))
        << "edges count, lines are ordered, wider and unselectable objects stay out";
    EXPECT_EQ(GetSelectionBounds(objects, 100, 80), (TRect{10, 10, 30, 30}));
    UnSelObject(objects, inside);
    EXPECT_FALSE(IsSelObject(objects, inside));
    EXPECT_TRUE(IsSelObject(objects, backwardsLine));
}
