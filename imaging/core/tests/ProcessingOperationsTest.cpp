#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

#include "QkBitmapTestSupport.h"
#include "imaging/core/BrelvixProc.h"
#include "imaging/core/BrelvixProcHooks.h"
#include "imaging/core/QkConvolution.h"
#include "imaging/core/QkMask.h"
#include "imaging/core/QkOpaqueBounds.h"
#include "imaging/core/QkStartup.h"

namespace {

// A component whose selection is the mask a view would give.
class TMaskedProc : public TBrelvixProc {
public:
    using TBrelvixProc::TBrelvixProc;
    bool GetWorkRegion(TRect& rect, TQkMask*& mask, const TPoint*& polygon, int32_t& polygonCount) override
    {
        TBrelvixProc::GetWorkRegion(rect, mask, polygon, polygonCount);
        mask = &Selection;
        return true;
    }
    TQkMask Selection;
};

class ProcessingOperationsTest : public ::testing::Test {
protected:
    ProcessingOperationsTest() : proc(new TMaskedProc(&owner))
    {
        proc->SetUndoLocation(qkMemory);
        proc->OnFinishWork = [this](TObject*) { ++finishes; };
    }

    TComponent owner{nullptr};
    TMaskedProc* proc;
    int32_t finishes = 0;
};

TEST_F(ProcessingOperationsTest, ConvertToFewColoursGivesBlackAndWhite)
{
    for (const auto& [colours, threshold] : {std::pair{0, true}, std::pair{2, false}}) {
        TQkBitmap bitmap(8, 8, qk24RGB);
        FillPattern(bitmap);
        bitmap.SetPixel24(0, 0, MakeRGBPixel(255, 255, 255));
        proc->AttachBitmap(&bitmap);
        proc->ConvertTo(colours, threshold);
        ASSERT_EQ(bitmap.GetPixelFormat(), qk1g) << colours;
        EXPECT_TRUE(GetBit(bitmap.GetScanline(0), 0));
    }
    EXPECT_EQ(proc->GetUndoCaption(0), "ConvertTo 2");
}

TEST_F(ProcessingOperationsTest, ConvertToManyColoursOnlySavesUndoAndNotifies)
{
    TQkBitmap bitmap(6, 4, qk24RGB);
    FillPattern(bitmap);
    const std::vector<uint8_t> before = RowBytes(bitmap);
    proc->AttachBitmap(&bitmap);
    proc->ConvertTo(1500, false);
    EXPECT_EQ(RowBytes(bitmap), before);
    EXPECT_EQ(proc->GetUndoCaption(0), "ConvertTo 1500");
    EXPECT_EQ(finishes, 1);
}

TEST_F(ProcessingOperationsTest, ConvertToPaletteQuantizesAndFillsTheCallersPalette)
{
    TQkBitmap bitmap(16, 16, qk24RGB);
    FillPattern(bitmap);
    proc->AttachBitmap(&bitmap);
    std::vector<TRGBPixel> palette(4, MakeRGBPixel(1, 2, 3));
    proc->ConvertToPalette(4, palette, false);
    ASSERT_EQ(bitmap.GetPixelFormat(), qk24RGB);
    for (int32_t y = 0; y < 16; ++y)
        for (int32_t x = 0; x < 16; ++x) {
            const TRGBPixel p = bitmap.GetPixel24(x, y);
            EXPECT_TRUE(std::any_of(palette.begin(), palette.end(), [&](TRGBPixel e) { return SameRGBPixel(e, p); }))
                << x << "," << y;
        }
    EXPECT_EQ(proc->GetUndoCaption(0), "ConvertToPalette");

    std::vector<TRGBPixel> two(2);
    proc->ConvertToPalette(2, two, true);
    EXPECT_EQ(bitmap.GetPixelFormat(), qk1g);
    EXPECT_TRUE(SameRGBPixel(two[0], MakeRGBPixel(0, 0, 0)));
    EXPECT_TRUE(SameRGBPixel(two[1], MakeRGBPixel(255, 255, 255)));

    const int32_t before = finishes;
    proc->ConvertToPalette(0, two, true);
    EXPECT_EQ(finishes, before) << "0 colours does nothing at all";
}

TEST_F(ProcessingOperationsTest, ConvertToAFewHundredColoursKeeps24Bits)
{
    TQkBitmap bitmap(32, 32, qk24RGB);
    FillPattern(bitmap);
    proc->AttachBitmap(&bitmap);
    proc->ConvertTo(16, false);
    EXPECT_EQ(bitmap.GetPixelFormat(), qk24RGB);
    std::set<uint32_t> colours;
    for (int32_t y = 0; y < 32; ++y)
        for (int32_t x = 0; x < 32; ++x) {
            const TRGBPixel p = bitmap.GetPixel24(x, y);
            colours.insert(uint32_t{p.r} << 16 | uint32_t{p.g} << 8 | p.b);
        }
    EXPECT_LE(colours.size(), 16u);
    EXPECT_EQ(proc->GetUndoCaption(0), "ConvertTo 16");
}

TEST_F(ProcessingOperationsTest, ClearFillsWithTheBackground)
{
    TQkBitmap bitmap(3, 3, qk24RGB);
    FillPattern(bitmap);
    proc->AttachBitmap(&bitmap);
    proc->Selection.AllocateBits(3, 3, 1);
    proc->Selection.SetPixel(0, 0, 1);
    proc->Selection.UpdateBounds();
    proc->SetBackground(clRed);
    proc->Clear();
    EXPECT_TRUE(SameRGBPixel(bitmap.GetPixel24(2, 2), MakeRGBPixel(255, 0, 0))) << "the selection is ignored";
    EXPECT_EQ(proc->GetUndoCaption(0), "Clear");
}

TEST_F(ProcessingOperationsTest, CropKeepsPaletteAndZeroFillsBeyondTheImage)
{
    TQkBitmap bitmap(6, 5, qk8p);
    bitmap.SetPaletteColor(7, MakeRGBPixel(1, 2, 3));
    bitmap.Fill(7);
    proc->AttachBitmap(&bitmap);
    proc->Crop(0, 0, 5, 4);
    EXPECT_EQ(proc->GetUndoCount(), 0);
    EXPECT_EQ(finishes, 0);
    proc->Crop(1, 1, 3, 2);
    EXPECT_EQ(proc->GetUndoCaption(0), "Crop 1, 1, 3, 2");
    ASSERT_EQ(bitmap.GetWidth(), 3);
    ASSERT_EQ(bitmap.GetHeight(), 2);
    TRGBPixel entry;
    bitmap.GetPaletteColor(7, entry);
    EXPECT_TRUE(SameRGBPixel(entry, MakeRGBPixel(1, 2, 3)));
    EXPECT_EQ(bitmap.GetPixel8(2, 1), 7);

    TQkBitmap colour(4, 4, qk24RGB);
    colour.Fill(clWhite);
    colour.GetAlphaChannel()->Fill(200);
    proc->AttachBitmap(&colour);
    proc->CropToRect(TRect{2, 2, 5, 5});
    ASSERT_EQ(colour.GetWidth(), 4);
    EXPECT_TRUE(SameRGBPixel(colour.GetPixel24(1, 1), MakeRGBPixel(255, 255, 255)));
    EXPECT_EQ(colour.GetAlpha(1, 1), 200);
    EXPECT_TRUE(SameRGBPixel(colour.GetPixel24(2, 2), MakeRGBPixel(0, 0, 0)));
    EXPECT_EQ(colour.GetAlpha(2, 2), 0);
    EXPECT_EQ(colour.GetAlpha(3, 0), 0);
    EXPECT_FALSE(colour.GetAlphaChannel()->Full());
}

TEST_F(ProcessingOperationsTest, OpaqueBoundsAndTransparentBorders)
{
    TQkBitmap bitmap(10, 8, qk24RGB);
    EXPECT_EQ(GetOpaqueBounds(bitmap), (TRect{0, 0, 9, 7}));
    bitmap.GetAlphaChannel()->Fill(0);
    EXPECT_EQ(GetOpaqueBounds(bitmap), (TRect{10, 8, -1, -1}));
    proc->AttachBitmap(&bitmap);
    proc->CropTransparentBorders();
    EXPECT_EQ(bitmap.GetWidth(), 10);
    EXPECT_EQ(finishes, 0);

    bitmap.SetAlpha(3, 2, 1);
    bitmap.SetAlpha(6, 5, 9);
    bitmap.SetAlpha(4, 6, 9);
    EXPECT_EQ(GetOpaqueBounds(bitmap), (TRect{3, 2, 6, 6}));
    proc->CropTransparentBorders();
    EXPECT_EQ(bitmap.GetWidth(), 4);
    EXPECT_EQ(bitmap.GetHeight(), 5);
    EXPECT_EQ(bitmap.GetAlpha(0, 0), 1);
    EXPECT_EQ(proc->GetUndoCount(), 0);
    EXPECT_TRUE(proc->AutoUndo());
}

TEST_F(ProcessingOperationsTest, RegionFrameChangesNothingOutsideTheMask)
{
    TQkBitmap bitmap(12, 10, qk24RGB);
    FillPattern(bitmap);
    bitmap.GetAlphaChannel()->Fill(255);
    TQkBitmap original;
    original.Assign(&bitmap);
    proc->AttachBitmap(&bitmap);
    TQkMask& mask = proc->Selection;
    mask.AllocateBits(12, 10, 1);
    mask.SetPixel(4, 3, 1);
    mask.SetPixel(6, 5, 1);
    mask.UpdateBounds();
    proc->Fill(0x00FF00);
    EXPECT_EQ(finishes, 1);
    for (int32_t y = 0; y < 10; ++y)
        for (int32_t x = 0; x < 12; ++x) {
            const bool selected = (x == 4 && y == 3) || (x == 6 && y == 5);
            const TRGBPixel expected = selected ? MakeRGBPixel(0, 255, 0) : original.GetPixel24(x, y);
            EXPECT_TRUE(SameRGBPixel(bitmap.GetPixel24(x, y), expected)) << x << "," << y;
            EXPECT_EQ(bitmap.GetAlpha(x, y), 255);
        }

    mask.Empty();
    proc->ConvertToGray();
    const TRGBPixel gray = bitmap.GetPixel24(11, 9);
    EXPECT_TRUE(gray.r == gray.g && gray.g == gray.b) << "no selection: the whole image";
}

TEST(IPDialogParamsTest, ResetValuesAndTrackedSettersForgetTheStream)
{
    TIPDialogParams params;
    for (size_t i = 0; i < 4; ++i)
        EXPECT_EQ(params.Tracked(i), -1);
    EXPECT_EQ(params.UserKernel, (std::array<int32_t, 9>{0, 0, 0, 0, 1, 0, 0, 0, 0}));
    EXPECT_TRUE(SameRGBPixel(params.Colours[1], MakeRGBPixel(255, 255, 255)));
    EXPECT_TRUE(SameRGBPixel(params.Colours[2], MakeRGBPixel(0, 0, 0)));
    EXPECT_EQ(params.Size1, (std::array<int32_t, 2>{150, 150}));
    EXPECT_TRUE(SameRGBPixel(params.Colour, MakeRGBPixel(255, 255, 255)));
    EXPECT_DOUBLE_EQ(params.Real1, 1.7);
    EXPECT_EQ(params.Pair3, (std::array<int32_t, 2>{10, 10}));
    EXPECT_EQ(params.Setting4, 1);
    EXPECT_DOUBLE_EQ(params.Real3, 1.0);
    EXPECT_EQ(params.Pair4, (std::array<int32_t, 2>{1, 4}));
    EXPECT_TRUE(params.Flag2 && params.Flag3 && params.Flag5 && !params.Flag1 && !params.Flag4);

    params.Remembered().Write("abc", 3);
    params.Settings[3] = 5;
    params.SetTracked(2, 7);
    EXPECT_EQ(params.Tracked(2), 7);
    EXPECT_EQ(params.Remembered().Size(), 0);
    params.Remembered().Write("abc", 3);
    params.Reset();
    EXPECT_EQ(params.Settings[3], 0);
    EXPECT_EQ(params.Tracked(2), -1);
    EXPECT_EQ(params.Remembered().Size(), 0);
    TBrelvixProc proc(nullptr);
    EXPECT_EQ(proc.IPDialogParams()->Tracked(0), -1);
}

TEST(ProcessingStartupTest, PresetsAndTheClipboardFormatComeOnce)
{
    const std::vector<std::string> names = {"None",        "Blur",        "Edges",      "Emboss",    "High Pass 1",
                                            "High Pass 2", "High Pass 3", "Low Pass 1", "Low Pass 2"};
    LibraryStaticInit();
    LibraryStaticInit();
    EXPECT_EQ(ConvolutionPresetNames(), names);
    ASSERT_EQ(ConvolutionPresets().size(), 9u);
    EXPECT_EQ(ConvolutionPresets()[3].Kernel, (std::array<int32_t, 9>{-1, 0, 1, -1, 1, 1, -1, 0, 1}));
    EXPECT_EQ(ConvolutionPresets()[8].Divisor, 16);
    EXPECT_EQ(ConvolutionPresets()[7].Divisor, 10);
    EXPECT_NE(RawClipboardFormat, 0u);
    EXPECT_EQ(RegisterClipboardFormat("BRELVIX RAW FORMAT"), RawClipboardFormat);
    AddConvolutionPreset({{0, 1, 0, 1, 1, 1, 0, 1, 0}, 5}, "Cross");
    EXPECT_EQ(ConvolutionPresetNames().back(), "Cross");
    LibraryStaticFinal();
    EXPECT_EQ(ConvolutionPresets().size(), 10u);
    LibraryStaticFinal();
    EXPECT_TRUE(ConvolutionPresets().empty());
    EXPECT_TRUE(ConvolutionPresetNames().empty());
}

} // namespace
