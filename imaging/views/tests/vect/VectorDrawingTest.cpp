#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkCanvas.h"
#include "imaging/core/QkStartup.h"
#include "imaging/views/tests/vect/VectorTestSupport.h"
#include "imaging/views/vect/QkVDrawing.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"

namespace {

// Blue, green, red of a 24-bit pixel.
std::vector<int> Pixel(TBitmap& bitmap, int32_t x, int32_t y)
{
    const uint8_t* at = bitmap.ScanLine(y) + 3 * x;
    return {at[0], at[1], at[2]};
}

bool Untouched(TBitmap& bitmap, int value)
{
    for (int32_t y = 0; y < bitmap.Height(); ++y)
        for (int32_t x = 0; x < bitmap.Width() * 3; ++x)
            if (bitmap.ScanLine(y)[x] != value)
                return false;
    return true;
}

class VectorDrawing : public ::testing::Test {
protected:
    VectorDrawing()
    {
        LibraryStaticInit();
        LoadGdiPlus();
    }
    ~VectorDrawing() override
    {
        UnloadGdiPlus();
        LibraryStaticFinal();
    }

    std::unique_ptr<TBitmap> White(int32_t width, int32_t height)
    {
        auto bitmap = std::make_unique<TBitmap>(width, height, pf24bit);
        for (int32_t y = 0; y < height; ++y)
            std::fill_n(bitmap->ScanLine(y), width * 3, uint8_t(255));
        return bitmap;
    }
    int32_t Add(TQkVObjKind kind, int32_t x1, int32_t y1, int32_t x2, int32_t y2)
    {
        return objects.AddObjectRecord(OfKind(kind, x1, y1, x2, y2));
    }
    TQkVObject& Record(int32_t handle) { return *objects.GetObjectRecord(handle); }
    void DrawAll(TBitmap& destination)
    {
        painter.DrawObjects(qkvAllObjects, true, TQkVMapping(), nullptr, destination);
    }

    TQkVObjectSet objects;
    TQkVDrawSettings settings;
    TQkVObjectPainter painter{objects, settings};
};

} // namespace

TEST_F(VectorDrawing, PenWidthsFollowTheZoomOnlyWhenAsked)
{
    TQkVObject record;
    record.PenWidth = 1;
    const struct {
        double Zoom;
        bool ZoomWidth;
        int32_t PenWidth;
        int32_t Expected;
    } cases[] = {{0.5, true, 1, 1}, {3.0, true, 1, 3}, {2.5, true, 1, 3}, {3.0, false, 1, 1}, {0.5, true, 4, 2}};
    for (const auto& c : cases) {
        settings.ZoomObjectsWidth = c.ZoomWidth;
        record.PenWidth = c.PenWidth;
        const TQkVMapping mapping([](int32_t x) { return x; }, [](int32_t y) { return y; }, c.Zoom, c.Zoom);
        EXPECT_EQ(painter.ScaledPenWidth(record, mapping), c.Expected) << c.Zoom << " " << c.PenWidth;
    }
}

TEST_F(VectorDrawing, ArrowHeadsPointAlongTheLine)
{
    // A line from (0, 50) to (100, 50): shape 1 stands on the end and reaches
    // beyond it, shape 2 points back at the end.
    EXPECT_EQ(ArrowTriangle(1, 100, 50, 0, 50, 20, 10), (std::vector<TPoint>{{100, 45}, {100, 55}, {120, 50}}));
    EXPECT_EQ(ArrowTriangle(2, 100, 50, 0, 50, 20, 10), (std::vector<TPoint>{{120, 45}, {120, 55}, {100, 50}}));
    EXPECT_TRUE(ArrowTriangle(0, 100, 50, 0, 50, 20, 10).empty());
    EXPECT_TRUE(ArrowTriangle(3, 100, 50, 0, 50, 20, 10).empty());
    const std::vector<TPoint> down = ArrowTriangle(1, 50, 100, 50, 0, 20, 10);
    ASSERT_EQ(down.size(), 3u);
    EXPECT_EQ(std::abs(down[2].Y - 100), 20) << "a vertical arrow reaches its length along the line";
    EXPECT_EQ(down[2].X, 50);
}

TEST_F(VectorDrawing, AndFillCombinesWithThePictureOrSetsTheAlpha)
{
    TBitmap colour(4, 2, pf24bit);
    for (int32_t y = 0; y < 2; ++y)
        std::fill_n(colour.ScanLine(y), 12, uint8_t(0xF0));
    FillRectAnd(colour, 3, 1, 1, 0, RGB(0x0F, 0x3C, 0xFF));
    EXPECT_EQ(Pixel(colour, 0, 0), (std::vector<int>{0xF0, 0xF0, 0xF0})) << "outside the rectangle";
    EXPECT_EQ(Pixel(colour, 2, 1), (std::vector<int>{0xF0, 0x30, 0x00}));
    TBitmap alpha(4, 2, pf8bit);
    for (int32_t y = 0; y < 2; ++y)
        std::fill_n(alpha.ScanLine(y), 4, uint8_t(0));
    FillRectAnd(alpha, -5, -5, 99, 0, RGB(77, 1, 2));
    EXPECT_EQ(alpha.ScanLine(0)[3], 77) << "clamped into the bitmap, the red component";
    EXPECT_EQ(alpha.ScanLine(1)[0], 0);
}

TEST_F(VectorDrawing, ABitmapObjectWithoutImageShowsACrossedBox)
{
    Add(qkvkBitmap, 2, 2, 12, 12);
    auto destination = White(16, 16);
    DrawAll(*destination);
    for (const TPoint point : {TPoint{2, 2}, TPoint{7, 7}, TPoint{12, 2}, TPoint{2, 12}, TPoint{7, 2}})
        EXPECT_EQ(Pixel(*destination, point.X, point.Y)[0], 0) << point.X << "," << point.Y;
    EXPECT_EQ(Pixel(*destination, 7, 4)[0], 255) << "between the diagonals";
}

TEST_F(VectorDrawing, HalfTransparentObjectsBlendWithWhatIsUnder)
{
    const int32_t box = Add(qkvkBox, 1, 1, 18, 8);
    Record(box).Transparency = 128;
    Record(box).PenWidth = 2;
    auto destination = White(20, 20);
    DrawAll(*destination);
    const int outline = Pixel(*destination, 1, 4)[0];
    EXPECT_GT(outline, 100);
    EXPECT_LT(outline, 160) << "a black pen at half opacity over white";
    EXPECT_EQ(Pixel(*destination, 9, 4)[0], 255) << "a clear brush leaves the inside";

    const int32_t text = Add(qkvkText, 0, 10, 19, 19);
    Record(text).Text = "WWW";
    Record(text).Transparency = 0;
    Record(text).PenStyle = psClear;
    auto second = White(20, 20);
    painter.DrawObjects(text, true, TQkVMapping(), nullptr, *second);
    EXPECT_TRUE(Untouched(*second, 255)) << "a fully transparent text leaves the picture";
}

TEST_F(VectorDrawing, AShadowFallsBesideTheObject)
{
    const int32_t box = Add(qkvkBox, 4, 4, 11, 11);
    Record(box).BrushStyle = bsSolid;
    Record(box).BrushColor = clRed;
    Record(box).SoftShadow = {true, 2.0, 6, 6, 100, {0, 0, 0}};
    auto destination = White(24, 24);
    DrawAll(*destination);
    EXPECT_EQ(Pixel(*destination, 8, 8), (std::vector<int>{0, 0, 255})) << "the object itself";
    EXPECT_LT(Pixel(*destination, 15, 15)[0], 200) << "the shadow, offset down and right";
    EXPECT_EQ(Pixel(*destination, 1, 22)[0], 255) << "far from both";
}

TEST_F(VectorDrawing, HiddenInvisibleAndDegenerateObjectsDrawNothing)
{
    const int32_t box = Add(qkvkBox, 1, 1, 8, 8);
    const int32_t ruler = Add(qkvkRuler, 5, 5, 5, 5);
    Record(ruler).Font = TLogFont{};
    auto destination = White(10, 10);
    Record(box).Flags = qkvfSelectable;
    DrawAll(*destination);
    EXPECT_TRUE(Untouched(*destination, 255)) << "an invisible box and a ruler without length";

    Record(box).Flags |= qkvfVisible;
    settings.HideObjects = true;
    DrawAll(*destination);
    TQkBitmap image(10, 10, qk24RGB);
    image.Fill(0xFFFFFF);
    painter.DrawObjectsToBitmap(image, true, qkvAllObjects);
    settings.HideObjects = false;
    EXPECT_TRUE(Untouched(*destination, 255));
    EXPECT_EQ(image.GetScanline(1)[3], 255);

    const TRect outside{20, 20, 40, 40};
    painter.DrawObjects(qkvAllObjects, true, TQkVMapping(), &outside, *destination);
    EXPECT_TRUE(Untouched(*destination, 255)) << "objects off the image area are skipped";
}

TEST_F(VectorDrawing, ObjectsDrawnIntoAnImageKeepItsFormat)
{
    const int32_t line = Add(qkvkLine, 0, 5, 19, 5);
    Record(line).PenWidth = 3;
    TQkBitmap gray(20, 10, qk8g);
    gray.Fill(255);
    painter.DrawObjectsToBitmap(gray, true, qkvAllObjects);
    ASSERT_EQ(gray.GetPixelFormat(), qk8g);
    EXPECT_LT(gray.GetScanline(5)[10], 64) << "the line lies in the image";
    EXPECT_EQ(gray.GetScanline(0)[10], 255);
}

TEST_F(VectorDrawing, RulersLabelTheirLengthInTheirUnit)
{
    settings.DpiX = settings.DpiY = 100;
    const int32_t ruler = Add(qkvkRuler, 10, 20, 110, 20);
    Record(ruler).Font = TLogFont{};
    Record(ruler).Font->lfHeight = 10;
    Record(ruler).RulerUnit = qkuINCHES;
    std::vector<std::string> texts;
    painter.OnPresentMeasure = [&](std::string& text, double) { texts.push_back(text); };
    auto destination = White(130, 60);
    DrawAll(*destination);
    EXPECT_EQ(texts, std::vector<std::string>{"1.00 inches"});
    EXPECT_EQ(Pixel(*destination, 60, 20)[0], 0) << "the line";
    EXPECT_EQ(Pixel(*destination, 10, 15)[0], 0) << "the tick at the start";
    const TQkVUnitFactors millimetres = ComputeUnitFactors(qkuMILLIMETERS, 100, 50, 2);
    EXPECT_DOUBLE_EQ(millimetres.X, 25.4 / 100 * 2);
    EXPECT_DOUBLE_EQ(millimetres.Y, 25.4 / 50 * 2);
    EXPECT_EQ(UnitAbbreviation(qkuMETERS), "mt");
}

TEST_F(VectorDrawing, MemosAreLaidOutByATextControlUnlessBeingEdited)
{
    const int32_t memo = Add(qkvkMemo, 2, 2, 61, 31);
    Record(memo).Text = "Wide\nWWW";
    Record(memo).Font = TLogFont{};
    Record(memo).Font->lfHeight = -12;
    Record(memo).Font->lfFaceName = "DejaVu Sans";
    Record(memo).MemoBorderColor = clBlack;
    const auto darkPixels = [](TBitmap& bitmap, const TRect& area) {
        int count = 0;
        for (int32_t y = area.Top; y < area.Bottom; ++y)
            for (int32_t x = area.Left; x < area.Right; ++x)
                count += bitmap.ScanLine(y)[3 * x] < 128;
        return count;
    };
    painter.EditedObject = memo;
    auto editing = White(64, 34);
    DrawAll(*editing);
    EXPECT_TRUE(Untouched(*editing, 255)) << "the editor shows a memo being edited";

    painter.EditedObject = -1;
    auto destination = White(64, 34);
    DrawAll(*destination);
    EXPECT_GT(darkPixels(*destination, {5, 5, 58, 28}), 20) << "two lines of text inside the frame";
    EXPECT_EQ(Pixel(*destination, 2, 15)[0], 0) << "the frame";
    EXPECT_EQ(Record(memo).Text, "Wide\nWWW") << "the text is handed back";
    EXPECT_FALSE(Record(memo).FontRuns.empty()) << "with the runs the control made of it";
}
