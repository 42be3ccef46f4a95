#include <gtest/gtest.h>

#include "QkBitmapTestSupport.h"
#include "imaging/core/BrelvixProc.h"
#include "imaging/core/QkBitmapRoutines.h"
#include "imaging/core/QkRotate.h"

namespace {

struct TTurnCase {
    double Angle;
    const char* ConvertRotation; // ImageMagick turns clockwise
};

TEST(RotateTest, QuarterTurnsMatchImageMagick)
{
    const TTurnCase cases[] = {{90, "270"}, {-90, "90"}, {180, "180"}, {270, "90"}, {-270, "270"}, {450, "270"}};
    TQkBitmap original(40, 30, qk24RGB);
    FillPattern(original);
    const std::string input = ScratchFile("in.ppm");
    WritePpm(original, input);
    for (const TTurnCase& c : cases) {
        SCOPED_TRACE(c.Angle);
        const std::string output = ScratchFile("out.ppm");
        ASSERT_TRUE(RunTool("convert " + input + " -rotate " + c.ConvertRotation + " " + output));
        TQkBitmap expected;
        ASSERT_TRUE(ReadPpm(output, expected));

        TQkBitmap bitmap;
        bitmap.Assign(&original);
        TBrelvixProc proc(nullptr);
        proc.AttachBitmap(&bitmap);
        proc.Rotate(c.Angle, true, 0, -1);
        EXPECT_TRUE(SameBitmaps(bitmap, expected));

        // The plain inverse-mapping road turns the same way.
        TQkBitmap turned;
        RotateBitmapInto(original, turned, clBlack, nullptr, TQkProgressEvent(), c.Angle);
        EXPECT_TRUE(SameBitmaps(turned, expected));
    }
}

TEST(RotateTest, ZeroDoesNothingAndAFullTurnOnlySavesUndo)
{
    TComponent owner(nullptr);
    auto* proc = new TBrelvixProc(&owner);
    TQkBitmap bitmap(4, 3, qk24RGB);
    FillPattern(bitmap);
    const std::vector<uint8_t> before = RowBytes(bitmap);
    proc->SetUndoLocation(qkMemory);
    proc->AttachBitmap(&bitmap);
    int32_t finishes = 0;
    proc->OnFinishWork = [&](TObject*) { ++finishes; };
    proc->Rotate(0, true, 0, -1);
    EXPECT_EQ(proc->GetUndoCount(), 0);
    EXPECT_EQ(finishes, 0);
    proc->Rotate(360, true, 0, -1);
    EXPECT_EQ(proc->GetUndoCount(), 1);
    EXPECT_EQ(proc->GetUndoCaption(0), "Rotate 360.00");
    EXPECT_EQ(finishes, 1);
    EXPECT_EQ(RowBytes(bitmap), before);
    EXPECT_EQ(bitmap.GetWidth(), 4);
}

TEST(RotateTest, AlphaAndOtherFormatsTurnAlong)
{
    TQkBitmap bitmap(3, 2, qk24RGB);
    bitmap.SetAlpha(2, 0, 7);
    TBrelvixProc proc(nullptr);
    proc.AttachBitmap(&bitmap);
    proc.Rotate(90, true, 0, -1);
    ASSERT_EQ(bitmap.GetWidth(), 2);
    ASSERT_TRUE(bitmap.HasAlphaChannel());
    EXPECT_EQ(bitmap.GetAlphaChannel()->GetWidth(), 2);
    EXPECT_EQ(bitmap.GetAlpha(0, 0), 7); // top right went to the top left

    TQkBitmap gray(3, 2, qk8g);
    gray.GetScanline(0)[2] = 9;
    gray.SetAlpha(2, 0, 8);
    proc.AttachBitmap(&gray);
    proc.Rotate(-90, false, 0, -1);
    EXPECT_EQ(gray.GetWidth(), 2);
    EXPECT_EQ(gray.GetPixel8(1, 2), 9);
    EXPECT_EQ(gray.GetAlpha(1, 2), 8);

    TQkBitmap mono(10, 3, qk1g);
    mono.GetScanline(0)[1] = 0x40; // pixel (9, 0)
    TQkBitmap turned;
    RotateBitmapInto(mono, turned, clBlack, nullptr, TQkProgressEvent(), 180);
    EXPECT_EQ(turned.GetScanline(2)[0], 0x80);
    EXPECT_EQ(turned.GetScanline(2)[1], 0x00);
    RotateBitmapInto(mono, turned, clBlack, nullptr, TQkProgressEvent(), 90);
    EXPECT_EQ(turned.GetWidth(), 3);
    EXPECT_EQ(turned.GetScanline(0)[0], 0x80); // (9, 0) -> (0, 0)
}

struct TTurnSize {
    int32_t Width;
    int32_t Height;
};

// Sizes around the turn's tiles and groups of rows; odd widths leave row
// padding, which must stay zero.
TEST(RotateTest, QuarterTurnsMoveEveryPixelOfOddSizes)
{
    const TTurnSize sizes[] = {{1, 1}, {1, 9}, {9, 1}, {5, 7}, {37, 70}, {70, 37}};
    for (const TTurnSize& size : sizes)
        for (const double angle : {90.0, -90.0}) {
            SCOPED_TRACE(::testing::Message() << size.Width << "x" << size.Height << " by " << angle);
            TQkBitmap source(size.Width, size.Height, qk24RGB);
            FillPattern(source);
            TQkBitmap turned;
            RotateBitmapInto(source, turned, clBlack, nullptr, TQkProgressEvent(), angle);
            ASSERT_EQ(turned.GetWidth(), size.Height);
            ASSERT_EQ(turned.GetHeight(), size.Width);
            for (int32_t y = 0; y < turned.GetHeight(); ++y) {
                const uint8_t* row = turned.GetScanline(y);
                for (int32_t x = 0; x < turned.GetWidth(); ++x) {
                    // Counter-clockwise the top row is the last column.
                    const int32_t sourceX = angle > 0 ? size.Width - 1 - y : y;
                    const int32_t sourceY = angle > 0 ? x : size.Height - 1 - x;
                    const uint8_t* expected = source.GetScanline(sourceY) + 3 * sourceX;
                    ASSERT_EQ(std::vector<uint8_t>(row + 3 * x, row + 3 * x + 3),
                              std::vector<uint8_t>(expected, expected + 3))
                        << "pixel " << x << ", " << y;
                }
                for (int32_t i = 3 * turned.GetWidth(); i < turned.GetRowLen(); ++i)
                    ASSERT_EQ(row[i], 0) << "padding of row " << y;
            }
        }
}

TEST(RotateTest, MultiplesOfNinety)
{
    EXPECT_TRUE(IsMultipleOf90(0));
    EXPECT_TRUE(IsMultipleOf90(-270));
    EXPECT_TRUE(IsMultipleOf90(720));
    EXPECT_FALSE(IsMultipleOf90(90.5));
    EXPECT_FALSE(IsMultipleOf90(45));
}

} // namespace
