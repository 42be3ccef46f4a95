#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"
#include "platform/gfx/tests/GfxTestSupport.h"

#include <gtest/gtest.h>

TEST(Colors, SystemColoursResolveThroughTheFixedTable)
{
    EXPECT_EQ(ColorToRGB(clBtnFace), RGB(212, 208, 200));
    EXPECT_EQ(ColorToRGB(clWindow), clWhite);
    EXPECT_EQ(ColorToRGB(cl3DDkShadow), RGB(64, 64, 64));
    EXPECT_EQ(ColorToRGB(clRed), clRed);
    EXPECT_EQ(ColorToRGB(clNone), clNone);
    EXPECT_EQ(GetSysColor(200), clBlack);
}

struct TFormatCase {
    TPixelFormat Format;
    int Bits;
    int32_t RowBytesFor13;
};

class BitmapFormats : public ::testing::TestWithParam<TFormatCase> {};

TEST_P(BitmapFormats, RowsArePaddedAndStoredBottomUp)
{
    const TFormatCase c = GetParam();
    TBitmap bitmap(13, 3, c.Format);
    EXPECT_EQ(bitmap.BitCount(), c.Bits);
    EXPECT_EQ(bitmap.RowBytes(), c.RowBytesFor13);
    EXPECT_EQ(bitmap.ScanLine(0) - bitmap.ScanLine(1), c.RowBytesFor13);
    EXPECT_THROW(bitmap.ScanLine(3), EInvalidGraphicOperation);
    EXPECT_THROW(bitmap.ScanLine(-1), EInvalidGraphicOperation);
}

TEST_P(BitmapFormats, PrimaryColoursSurviveAWriteAndRead)
{
    const TFormatCase c = GetParam();
    TBitmap bitmap(4, 2, c.Format);
    TCanvas* canvas = bitmap.Canvas();
    const TColor colours[] = {clBlack, clWhite, clRed, clBlue};
    for (int i = 0; i < (c.Bits == 1 ? 2 : 4); ++i) {
        canvas->SetPixel(i, 1, colours[i]);
        EXPECT_EQ(canvas->Pixels(i, 1), colours[i]) << i;
    }
    EXPECT_EQ(canvas->Pixels(0, 0), clWhite) << "new pixels are white";
    EXPECT_EQ(canvas->Pixels(4, 0), CLR_INVALID);
}

INSTANTIATE_TEST_SUITE_P(AllFormats, BitmapFormats,
                         ::testing::Values(TFormatCase{pf1bit, 1, 4}, TFormatCase{pf4bit, 4, 8},
                                           TFormatCase{pf8bit, 8, 16}, TFormatCase{pf15bit, 15, 28},
                                           TFormatCase{pf16bit, 16, 28}, TFormatCase{pf24bit, 24, 40},
                                           TFormatCase{pf32bit, 32, 52}));

TEST(Bitmap, ScanLineZeroIsTheTopRowStoredLast)
{
    TBitmap bitmap(2, 3, pf24bit);
    bitmap.Canvas()->SetPixel(0, 0, RGB(1, 2, 3));
    const uint8_t* top = bitmap.ScanLine(0);
    EXPECT_EQ(top[0], 3); // blue first
    EXPECT_EQ(top[2], 1);
    EXPECT_GT(bitmap.ScanLine(0), bitmap.ScanLine(2));
}

TEST(Bitmap, ResizingKeepsTheTopLeftPixelsAndWhitensNewOnes)
{
    auto bitmap = MakeBitmap(3, 3, pf24bit, clRed);
    bitmap->SetSize(5, 2);
    EXPECT_EQ(bitmap->Canvas()->Pixels(2, 1), clRed);
    EXPECT_EQ(bitmap->Canvas()->Pixels(3, 0), clWhite);
    EXPECT_THROW(bitmap->SetWidth(-1), EInvalidGraphicOperation);
}

// The store for callers that overwrite every row: no pixel survives or is
// whitened, the larger block already held is reused, and only the row
// padding is defined.
TEST(Bitmap, ReshapeForOverwriteReusesTheStoreAndZeroesOnlyThePadding)
{
    auto bitmap = MakeBitmap(40, 30, pf24bit, clRed);
    const uint8_t* block = bitmap->ScanLine(29);
    int changes = 0;
    bitmap->OnChange = [&](TObject*) { ++changes; };
    bitmap->ReshapeForOverwrite(13, 3, pf24bit);
    EXPECT_EQ(bitmap->Width(), 13);
    EXPECT_EQ(bitmap->RowBytes(), 40);
    EXPECT_EQ(bitmap->ScanLine(2), block) << "the block held is reused";
    EXPECT_EQ(changes, 1);
    for (int32_t y = 0; y < 3; ++y)
        EXPECT_EQ(bitmap->ScanLine(y)[39], 0) << "padding of row " << y;

    bitmap->ReshapeForOverwrite(13, 3, pf24bit);
    EXPECT_EQ(changes, 1) << "an unchanged shape changes nothing";

    bitmap->ReshapeForOverwrite(31, 2, pf15bit);
    EXPECT_EQ(bitmap->RowBytes(), 64);
    EXPECT_EQ(bitmap->ScanLine(1)[62], 0);
    EXPECT_EQ(bitmap->ScanLine(1)[63], 0);

    bitmap->ReshapeForOverwrite(5, 2, pf8bit);
    EXPECT_EQ(bitmap->Palette(), TPalette::ForBitCount(8));
    bitmap->SetPalette(TPalette::Grey256());
    bitmap->ReshapeForOverwrite(7, 2, pf8bit);
    EXPECT_EQ(bitmap->Palette(), TPalette::Grey256()) << "same bit count, same palette";

    bitmap->ReshapeForOverwrite(300, 200, pfDevice);
    EXPECT_EQ(bitmap->PixelFormat(), pf24bit);
    EXPECT_EQ(bitmap->RowBytes(), 900);
    EXPECT_THROW(bitmap->ReshapeForOverwrite(-1, 2, pf24bit), EInvalidGraphicOperation);
    EXPECT_EQ(bitmap->Width(), 300) << "a refused shape leaves the bitmap as it was";
}

// The image built elsewhere moves in without a copy; each bitmap keeps its
// canvas, which draws on the rows it now holds.
TEST(Bitmap, SwapPixelsExchangesImagesWithoutCopying)
{
    auto big = MakeBitmap(40, 30, pf24bit, clRed);
    auto small = MakeBitmap(5, 2, pf8bit, clBlue);
    small->SetPalette(TPalette::Grey256());
    small->ScanLine(1)[4] = 77;
    const uint8_t* bigRows = big->ScanLine(29);
    const uint8_t* smallRows = small->ScanLine(1);
    int changes = 0;
    big->OnChange = [&](TObject*) { ++changes; };
    small->OnChange = [&](TObject*) { ++changes; };

    big->SwapPixels(*small);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(big->Width(), 5);
    EXPECT_EQ(big->Height(), 2);
    EXPECT_EQ(big->PixelFormat(), pf8bit);
    EXPECT_EQ(big->RowBytes(), 8);
    EXPECT_EQ(big->ScanLine(1), smallRows);
    EXPECT_EQ(big->ScanLine(1)[4], 77);
    EXPECT_EQ(big->Palette(), TPalette::Grey256());
    EXPECT_EQ(small->Width(), 40);
    EXPECT_EQ(small->PixelFormat(), pf24bit);
    EXPECT_EQ(small->ScanLine(29), bigRows);
    EXPECT_EQ(small->Canvas()->Pixels(39, 29), clRed);
    big->Canvas()->SetPixel(0, 0, clWhite);
    EXPECT_EQ(big->Canvas()->Pixels(0, 0), clWhite);
    EXPECT_EQ(big->Canvas()->Pixels(5, 0), CLR_INVALID) << "the canvas sees the new size";

    big->SwapPixels(*big);
    EXPECT_EQ(big->Width(), 5) << "a swap with itself changes nothing";
}

// Row sizes past 2 GB once wrapped into small or negative numbers and got
// past the size check; every oversized request now fails the same way and
// leaves the bitmap as it was.
TEST(Bitmap, OversizedBitmapsRaiseOutOfResourcesAndStayUnchanged)
{
    struct Case {
        int32_t width, height;
        TPixelFormat format;
    };
    const Case cases[] = {
        {536870912, 1, pf32bit}, // the 32-bit row stride wraps to 0
        {600000000, 2, pf32bit}, // ... or turns negative
        {2000000000, 2000000000, pf32bit}, {2000000000, 1, pf24bit}, // the row alone is too large
        {20000, 20000, pf24bit}, // each part fits, the product does not
    };
    for (const Case& c : cases) {
        auto bitmap = MakeBitmap(2, 2, pf24bit, clRed);
        bitmap->SetPixelFormat(c.format);
        EXPECT_THROW(bitmap->SetSize(c.width, c.height), EOutOfResources) << c.width << " x " << c.height;
        EXPECT_EQ(bitmap->Width(), 2);
        EXPECT_EQ(bitmap->Canvas()->Pixels(1, 1), clRed);
    }
}

TEST(Bitmap, PixelFormatChangesConvertThePixels)
{
    auto bitmap = MakeBitmap(4, 4, pf24bit, clBlue);
    bitmap->Canvas()->SetPixel(1, 1, RGB(250, 250, 250));
    bitmap->SetPixelFormat(pf8bit);
    EXPECT_EQ(bitmap->Canvas()->Pixels(0, 0), clBlue);
    bitmap->SetMonochrome(true);
    EXPECT_EQ(bitmap->PixelFormat(), pf1bit);
    EXPECT_EQ(bitmap->Canvas()->Pixels(0, 0), clBlack);
    EXPECT_EQ(bitmap->Canvas()->Pixels(1, 1), clWhite);
    bitmap->SetMonochrome(false);
    EXPECT_EQ(bitmap->PixelFormat(), pf24bit);
    EXPECT_EQ(bitmap->Canvas()->Pixels(1, 1), clWhite);
}

TEST(Bitmap, FifteenAndSixteenBitsPackTheirChannels)
{
    TBitmap b15(1, 1, pf15bit), b16(1, 1, pf16bit);
    b15.Canvas()->SetPixel(0, 0, RGB(255, 0, 0));
    b16.Canvas()->SetPixel(0, 0, RGB(0, 255, 0));
    EXPECT_EQ(b15.ScanLine(0)[0] | (b15.ScanLine(0)[1] << 8), 0x7C00);
    EXPECT_EQ(b16.ScanLine(0)[0] | (b16.ScanLine(0)[1] << 8), 0x07E0);
}

TEST(Bitmap, FifteenBitRowsHoldSixteenBitsAPixel)
{
    // 31 pixels is where 15 and 16 bits a pixel round to different row sizes.
    TBitmap bitmap(31, 2, pf15bit);
    EXPECT_EQ(bitmap.RowBytes(), 64);
    bitmap.Canvas()->SetPixel(30, 0, RGB(255, 0, 0));
    EXPECT_EQ(bitmap.ScanLine(0)[60] | (bitmap.ScanLine(0)[61] << 8), 0x7C00);
}

TEST(Bitmap, PaletteNearestIndexAndEntries)
{
    TBitmap bitmap(2, 1, pf8bit);
    bitmap.SetPalette(TPalette::Grey256());
    bitmap.Canvas()->SetPixel(0, 0, RGB(100, 100, 100));
    bitmap.Canvas()->SetPixel(1, 0, RGB(10, 20, 30));
    EXPECT_EQ(bitmap.ScanLine(0)[0], 100);
    EXPECT_EQ(bitmap.ScanLine(0)[1], 20);
    EXPECT_EQ(TPalette::Vga16().NearestIndex(RGB(250, 5, 5)), 9u);
}

TEST(Bitmap, TransparentColourIsTheBottomLeftPixelUnlessFixed)
{
    auto bitmap = MakeBitmap(3, 3, pf24bit, clWhite);
    bitmap->Canvas()->SetPixel(0, 2, clLime);
    EXPECT_EQ(bitmap->TransparentColor(), clLime);
    bitmap->SetTransparentColor(clRed);
    EXPECT_EQ(bitmap->TransparentMode(), tmFixed);
    EXPECT_EQ(bitmap->TransparentColor(), clRed);
}

TEST(Bitmap, ChangesSetModifiedAndRaiseOnChange)
{
    TBitmap bitmap(2, 2);
    int changes = 0;
    bitmap.OnChange = [&](TObject*) { ++changes; };
    bitmap.SetModified(false);
    bitmap.SetSize(3, 3);
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(bitmap.Modified());
    bitmap.SetSize(3, 3);
    EXPECT_EQ(changes, 1);
}
