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

TEST(RotateTest, MultiplesOfNinety)
{
    EXPECT_TRUE(IsMultipleOf90(0));
    EXPECT_TRUE(IsMultipleOf90(-270));
    EXPECT_TRUE(IsMultipleOf90(720));
    EXPECT_FALSE(IsMultipleOf90(90.5));
    EXPECT_FALSE(IsMultipleOf90(45));
}

} // namespace
