#include "imaging/views/QkViewGeometry.h"

#include <cmath>

#include <gtest/gtest.h>

namespace {

struct TViewSetup {
    int32_t ImageWidth;
    int32_t ImageHeight;
    int32_t ViewWidth;
    int32_t ViewHeight;
    TScrollStyle ScrollBars = ssBoth;
};

// A view with a 2-pixel sunken edge around its client area.
TQkViewGeometry MakeGeometry(const TViewSetup& setup)
{
    TQkViewGeometry geometry;
    geometry.ImageWidth = setup.ImageWidth;
    geometry.ImageHeight = setup.ImageHeight;
    geometry.ViewWidth = setup.ViewWidth;
    geometry.ViewHeight = setup.ViewHeight;
    geometry.OuterWidth = setup.ViewWidth + 4;
    geometry.OuterHeight = setup.ViewHeight + 4;
    geometry.ScrollBars = setup.ScrollBars;
    return geometry;
}

// The view's zoom change runs two layout passes before it rebuilds the
// visible area and the tables; the second pass sees snapped origins.
void Layout(TQkViewGeometry& geometry)
{
    for (int pass = 0; pass < 2; ++pass) {
        geometry.UpdateZoomedSize();
        geometry.UpdateVisibleArea();
        geometry.UpdateCoordinateTables();
    }
}

TEST(ViewGeometryTest, MaximumOriginFollowsTheWorkedCases)
{
    struct TCase {
        const char* Name;
        TViewSetup Setup;
        int32_t MaxX;
        int32_t MaxY;
    } cases[] = {
        {"image exceeds the view by more than 10: the extra column and row", {1000, 1000, 400, 300}, 601, 701},
        {"ssNone takes no extra column", {1000, 1000, 400, 300, ssNone}, 600, 700},
        {"exceeding by 10 or less: just the difference", {405, 300, 400, 300}, 5, 0},
        {"not wider than the outer width and not taller: nothing", {403, 300, 400, 300}, 0, 0},
        {"smaller than the view", {100, 50, 300, 200}, 0, 0},
        {"empty image", {0, 0, 300, 200}, 0, 0},
        {"one column, tall", {1, 1000, 300, 200}, 0, 801},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const TQkViewGeometry geometry = MakeGeometry(c.Setup);
        int32_t maxX = -1, maxY = -1;
        geometry.GetMaxViewXY(maxX, maxY);
        EXPECT_EQ(maxX, c.MaxX);
        EXPECT_EQ(maxY, c.MaxY);
    }
}

TEST(ViewGeometryTest, UnequalZoomsExtendEachAxisOnItsOwn)
{
    TQkViewGeometry geometry = MakeGeometry({1000, 100, 400, 300});
    geometry.StoreZoom(100, 200);
    int32_t maxX = 0, maxY = 0;
    geometry.GetMaxViewXY(maxX, maxY);
    EXPECT_EQ(maxX, 601);
    EXPECT_EQ(maxY, 0); // 200 zoomed rows: within the view
}

TEST(ViewGeometryTest, SmallImageIsCentredOnlyWithCenterOn)
{
    TQkViewGeometry geometry = MakeGeometry({100, 50, 300, 200});
    geometry.UpdateZoomedSize();
    EXPECT_EQ(geometry.OffsetX(), 100);
    EXPECT_EQ(geometry.OffsetY(), 75);
    geometry.Center = false;
    geometry.UpdateZoomedSize();
    EXPECT_EQ(geometry.OffsetX(), 0);
    EXPECT_EQ(geometry.OffsetY(), 0);
}

TEST(ViewGeometryTest, OriginIsClampedToItsRange)
{
    TQkViewGeometry geometry = MakeGeometry({1000, 1000, 400, 300});
    Layout(geometry);
    EXPECT_FALSE(geometry.SetViewXY(-5, -1)) << "0, 0 is where the view already is";
    EXPECT_TRUE(geometry.SetViewXY(5000, 5000));
    EXPECT_EQ(geometry.ViewX(), 601);
    EXPECT_EQ(geometry.ViewY(), 701);
    EXPECT_TRUE(geometry.SetViewXY(-20, 30));
    EXPECT_EQ(geometry.ViewX(), 0);
    EXPECT_EQ(geometry.ViewY(), 30);
}

TEST(ViewGeometryTest, ZoomKeepsTheImagePointAtTheCentre)
{
    TQkViewGeometry geometry = MakeGeometry({1000, 1000, 400, 300});
    Layout(geometry);
    geometry.SetViewXY(300, 350); // centre on image point (500, 500)
    geometry.SetZoom(200);
    EXPECT_EQ(geometry.ViewX(), 800);
    EXPECT_EQ(geometry.ViewY(), 850);
    geometry.SetZoom(10); // the whole image fits: the origin clamps to 0
    EXPECT_EQ(geometry.ViewX(), 0);
    EXPECT_EQ(geometry.ViewY(), 0);
}

TEST(ViewGeometryTest, ZoomPastTheCapLandsOnTheCap)
{
    TQkViewGeometry geometry = MakeGeometry({6000, 10, 400, 300});
    const double cap = MaxZoomedSide * 100.0 / 6000;
    geometry.SetZoom(1e12);
    EXPECT_DOUBLE_EQ(geometry.ZoomX(), cap);
    EXPECT_DOUBLE_EQ(geometry.ZoomY(), cap);
    geometry.UpdateZoomedSize();
    EXPECT_LE(geometry.ZoomedWidth(), MaxZoomedSide);
    EXPECT_GT(geometry.ZoomedWidth(), MaxZoomedSide - 2);
    geometry.SetZoomY(1e300);
    EXPECT_DOUBLE_EQ(geometry.ZoomY(), cap);
    geometry.SetZoom(150); // below the cap: as asked
    EXPECT_EQ(geometry.ZoomX(), 150);
}

TEST(ViewGeometryTest, AutomaticZoom)
{
    struct TCase {
        const char* Name;
        int32_t ImageW, ImageH, AvailW, AvailH;
        bool Stretch, Shrink;
        double Zoom;
    } cases[] = {
        {"shrink alone leaves a small image at 100", 100, 50, 400, 300, false, true, 100},
        {"stretch alone leaves a large image at 100", 800, 600, 400, 300, true, false, 100},
        {"fit stretches by the limiting width", 100, 50, 400, 300, true, true, 400},
        {"fit shrinks by the limiting height", 200, 600, 400, 300, true, true, 50},
        {"an empty available area gives 100", 100, 50, 0, 300, true, true, 100},
        {"an empty image gives 100", 0, 50, 400, 300, true, true, 100},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_DOUBLE_EQ(GetAutoZoom(c.ImageW, c.ImageH, c.AvailW, c.AvailH, c.Stretch, c.Shrink), c.Zoom);
    }
}

// The image column under zoomed column z, worked out in double precision:
// magnifying, the column whose zoomed run holds z; reducing, the first
// column that lands on z.
int32_t ReferenceColumn(int64_t zoomed, double zoom)
{
    const double exact = static_cast<double>(zoomed) * 100 / zoom;
    return static_cast<int32_t>(zoom > 100 ? std::floor(exact) : std::ceil(exact));
}

// The first zoomed column of image column b, in double precision.
int32_t ReferenceStart(int32_t column, double zoom)
{
    const double exact = column * zoom / 100;
    return static_cast<int32_t>(zoom > 100 ? std::ceil(exact) : std::floor(exact));
}

TEST(ViewGeometryTest, ConversionsAgreeWithTheReferenceAtEveryVisibleColumn)
{
    const double zooms[] = {25, 31, 50, 67, 97, 100, 101, 127, 150, 173, 200, 257, 333, 401, 677, 997, 1000};
    for (const double zoom : zooms) {
        TQkViewGeometry geometry = MakeGeometry({257, 131, 200, 150});
        geometry.SetZoom(zoom);
        Layout(geometry);
        int32_t maxX = 0, maxY = 0;
        geometry.GetMaxViewXY(maxX, maxY);
        for (const int32_t origin : {0, maxX / 3, maxX}) {
            SCOPED_TRACE(testing::Message() << "zoom " << zoom << " origin " << origin);
            geometry.SetViewXY(origin, 0);
            Layout(geometry);
            const int32_t first = geometry.OffsetX();
            const int32_t last = first + geometry.DisplayedWidth();
            const int32_t snapped = geometry.SnapViewX(geometry.ViewX());
            int32_t previous = INT32_MIN;
            for (int32_t x = first; x < last; ++x) {
                const int32_t column = geometry.ScreenToBitmapX(x);
                ASSERT_EQ(column, std::min(ReferenceColumn(snapped + x - first, zoom), 256)) << "at x " << x;
                ASSERT_GE(column, previous) << "at x " << x;
                ASSERT_LE(geometry.BitmapToScreenX(column), x) << "at x " << x;
                ASSERT_EQ(geometry.BitmapToScreenX(column), ReferenceStart(column, zoom) - snapped + first);
                previous = column;
            }
        }
    }
}

TEST(ViewGeometryTest, EmptyImageBuildsNoTablesAndStillConverts)
{
    TQkViewGeometry geometry = MakeGeometry({0, 0, 300, 200});
    Layout(geometry);
    EXPECT_EQ(geometry.XCount(), 0);
    EXPECT_EQ(geometry.ScreenToBitmapX(10), -140); // centred on the view's middle
    EXPECT_EQ(geometry.BitmapToScreenX(0), 150);
}

} // namespace
