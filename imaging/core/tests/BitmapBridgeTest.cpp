#include <gtest/gtest.h>

#include <cstring>

#include "QkBitmapTestSupport.h"
#include "imaging/core/QkBitmap.h"
#include "platform/gfx/Bitmap.h"

namespace {

TPalette TwoColours() { return TPalette({{200, 0, 0, 0}, {0, 0, 100, 0}}); }

struct TBridgeCase {
    const char* Name;
    TPixelFormat Format;
    std::vector<uint8_t> Row0; // raw bytes of the TBitmap's row 0
    TQkPixelFormat Expected;
    std::vector<uint8_t> Pixels; // the bitmap's row 0 (palette indices or blue, green, red)
};

TEST(BitmapBridgeTest, CopyingATBitmapInMapsEveryFormat)
{
    const TBridgeCase cases[] = {
        {"mono", pf1bit, {0xA0}, qk1g, {0xA0}},
        {"two colours", pf1bit, {0xA0}, qk8p, {1, 0, 1}},
        {"4 bit, high nibble first", pf4bit, {0x12, 0xF0}, qk8p, {1, 2, 15}},
        {"8 bit", pf8bit, {7, 8, 9}, qk8p, {7, 8, 9}},
        {"15 bit", pf15bit, {0xFF, 0x7F, 0x1F, 0x00, 0x00, 0x7C}, qk24RGB, {248, 248, 248, 248, 0, 0, 0, 0, 248}},
        {"16 bit", pf16bit, {0xFF, 0xFF, 0xE0, 0x07, 0x00, 0xF8}, qk24RGB, {248, 252, 248, 0, 252, 0, 0, 0, 248}},
        {"24 bit", pf24bit, {1, 2, 3, 4, 5, 6, 7, 8, 9}, qk24RGB, {1, 2, 3, 4, 5, 6, 7, 8, 9}},
        {"32 bit", pf32bit, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, qk32RGB, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}},
    };
    for (const TBridgeCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TBitmap frame(3, 2, c.Format);
        if (std::string(c.Name) == "two colours")
            frame.SetPalette(TwoColours());
        std::memcpy(frame.ScanLine(0), c.Row0.data(), c.Row0.size());
        TQkBitmap bitmap;
        bitmap.CopyFromTBitmap(frame);
        EXPECT_EQ(bitmap.GetPixelFormat(), c.Expected);
        EXPECT_EQ(bitmap.GetWidth(), 3);
        EXPECT_EQ(bitmap.GetHeight(), 2);
        EXPECT_EQ(bitmap.Location(), qkMemory);
        const uint8_t* row = bitmap.GetScanline(0);
        EXPECT_EQ(std::vector<uint8_t>(row, row + c.Pixels.size()), c.Pixels);
    }
}

TEST(BitmapBridgeTest, PaletteOfATwoColourBitmapComesAlong)
{
    TBitmap frame(3, 1, pf1bit);
    frame.SetPalette(TwoColours());
    TQkBitmap bitmap;
    bitmap.CopyFromTBitmap(frame);
    ASSERT_EQ(bitmap.GetPaletteLength(), 2);
    TRGBPixel first{};
    TRGBPixel second{};
    bitmap.GetPaletteColor(0, first);
    bitmap.GetPaletteColor(1, second);
    EXPECT_EQ(first.r, 200);
    EXPECT_EQ(second.b, 100);
}

TEST(BitmapBridgeTest, TwentyFourBitFramesArriveByteForByteAndGoBackOut)
{
    TBitmap frame(5, 4, pf24bit);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < frame.RowBytes(); ++x)
            frame.ScanLine(y)[x] = static_cast<uint8_t>(x * 3 + y * 50 + (x >= 15 ? 0 : 1));
    TQkBitmap bitmap;
    bitmap.CopyFromTBitmap(frame);
    for (int32_t y = 0; y < 4; ++y)
        EXPECT_EQ(std::memcmp(bitmap.GetScanline(y), frame.ScanLine(y), 15), 0);

    TBitmap* store = bitmap.GetVclBitmap();
    ASSERT_NE(store, nullptr);
    EXPECT_EQ(bitmap.Location(), qkTBitmap);
    EXPECT_EQ(store->PixelFormat(), pf24bit);
    EXPECT_EQ(store->Width(), 5);
    for (int32_t y = 0; y < 4; ++y)
        EXPECT_EQ(std::memcmp(store->ScanLine(y), frame.ScanLine(y), 15), 0);
}

TEST(BitmapBridgeTest, CopyingIntoAStoreMakesAnExactCopy)
{
    TQkBitmap bitmap(2, 2, qk24RGB);
    TBitmap* store = bitmap.GetVclBitmap();
    TBitmap frame(6, 3, pf24bit);
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 18; ++x)
            frame.ScanLine(y)[x] = static_cast<uint8_t>(x + 20 * y);
    bitmap.CopyFromTBitmap(frame);
    EXPECT_EQ(bitmap.GetVclBitmap(), store);
    EXPECT_EQ(bitmap.Location(), qkTBitmap);
    EXPECT_EQ(bitmap.GetPixelFormat(), qk24RGB);
    EXPECT_EQ(bitmap.GetWidth(), 6);
    EXPECT_EQ(store->Height(), 3);
    for (int32_t y = 0; y < 3; ++y) {
        EXPECT_EQ(std::memcmp(store->ScanLine(y), frame.ScanLine(y), frame.RowBytes()), 0);
        EXPECT_EQ(bitmap.GetScanline(y), store->ScanLine(y));
    }

    TBitmap palette(4, 2, pf8bit);
    bitmap.CopyFromTBitmap(palette);
    EXPECT_EQ(palette.PixelFormat(), pf24bit);
    EXPECT_EQ(bitmap.GetPixelFormat(), qk24RGB);
}

TEST(BitmapBridgeTest, GettersSeeAStoreChangedFromOutside)
{
    TQkBitmap bitmap(4, 4, qk24RGB);
    TBitmap* store = bitmap.GetVclBitmap();
    bitmap.SetAlpha(0, 0, 10);
    store->SetSize(9, 7);
    EXPECT_EQ(bitmap.GetWidth(), 9);
    EXPECT_EQ(bitmap.GetHeight(), 7);
    EXPECT_EQ(bitmap.GetRowLen(), 28);
    EXPECT_EQ(bitmap.GetScanline(6), store->ScanLine(6));
    EXPECT_EQ(bitmap.GetAlphaChannel()->GetWidth(), 9);

    store->SetPixelFormat(pf1bit);
    EXPECT_EQ(bitmap.GetPixelFormat(), qk1g);
    EXPECT_EQ(bitmap.GetScanline(0), store->ScanLine(0));
}

TEST(BitmapBridgeTest, EncapsulatedBitmapsStayTheCallers)
{
    auto frame = std::make_unique<TBitmap>(3, 3, pf24bit);
    frame->ScanLine(1)[4] = 77;
    {
        TQkBitmap bitmap;
        bitmap.EncapsulateTBitmap(frame.get(), true);
        EXPECT_TRUE(bitmap.TBitmapNotOwned());
        EXPECT_EQ(bitmap.Location(), qkTBitmap);
        EXPECT_EQ(bitmap.GetPixelFormat(), qk24RGB);
        EXPECT_EQ(bitmap.GetScanline(1)[4], 77);
        bitmap.GetScanline(2)[0] = 5;
        bitmap.FreeImage(true);
        EXPECT_EQ(bitmap.GetVclBitmap(), nullptr);
    }
    EXPECT_EQ(frame->ScanLine(2)[0], 5);
    EXPECT_EQ(frame->Width(), 3);
}

} // namespace
