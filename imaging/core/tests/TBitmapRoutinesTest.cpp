#include <gtest/gtest.h>

#include <vector>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkTBitmapRoutines.h"
#include "platform/gfx/Bitmap.h"

namespace {

// Entry i is red i, green 255 - i, blue i / 2: no entry is a gray.
TPalette RampPalette(size_t count)
{
    std::vector<TPaletteEntry> entries(count);
    for (size_t i = 0; i < count; ++i)
        entries[i] = {static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i / 2), 0};
    return TPalette(std::move(entries));
}

void ExpectRampEntry(TQkBitmap& bitmap, int32_t index)
{
    TRGBPixel color{};
    bitmap.GetPaletteColor(index, color);
    EXPECT_EQ(color.r, index);
    EXPECT_EQ(color.g, 255 - index);
    EXPECT_EQ(color.b, index / 2);
}

} // namespace

TEST(TBitmapRoutines, PixelFormatToQkMapsEveryFormat)
{
    const struct {
        TPixelFormat format;
        TQkPixelFormat expected;
    } cases[] = {
        {pfDevice, qk24RGB}, {pf1bit, qk1g},     {pf4bit, qk8p},     {pf8bit, qk8p},
        {pf15bit, qk24RGB},  {pf16bit, qk24RGB}, {pf24bit, qk24RGB}, {pf32bit, qk24RGB},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PixelFormatToQk(c.format), c.expected) << "format " << c.format;
}

TEST(TBitmapRoutines, CopyTBitmapPaletteTakesAnEightBitTableIntoAPaletteImage)
{
    TBitmap source(2, 2, pf8bit);
    source.SetPalette(RampPalette(256));
    TQkBitmap bitmap;
    bitmap.Allocate(2, 2, qk8p);
    ASSERT_EQ(bitmap.GetPaletteLength(), 256);
    CopyTBitmapPalette(source, bitmap);
    for (int32_t index : {0, 1, 128, 255})
        ExpectRampEntry(bitmap, index);

    // A shorter table fills only its own entries.
    TBitmap shortTable(2, 2, pf8bit);
    shortTable.SetPalette(TPalette({{9, 9, 9, 0}}));
    CopyTBitmapPalette(shortTable, bitmap);
    TRGBPixel first{};
    bitmap.GetPaletteColor(0, first);
    EXPECT_EQ(first.g, 9);
    ExpectRampEntry(bitmap, 1);
}

TEST(TBitmapRoutines, CopyTBitmapPaletteIgnoresOtherFormats)
{
    TBitmap fourBit(2, 2, pf4bit);
    fourBit.SetPalette(RampPalette(16));
    TQkBitmap bitmap;
    bitmap.Allocate(2, 2, qk8p);
    TRGBPixel before{};
    bitmap.GetPaletteColor(3, before);
    CopyTBitmapPalette(fourBit, bitmap);
    TRGBPixel after{};
    bitmap.GetPaletteColor(3, after);
    EXPECT_EQ(after.r, before.r);
    EXPECT_EQ(after.g, before.g);

    TBitmap eightBit(2, 2, pf8bit);
    eightBit.SetPalette(RampPalette(256));
    TQkBitmap gray;
    gray.Allocate(2, 2, qk8g);
    CopyTBitmapPalette(eightBit, gray);
    EXPECT_EQ(gray.GetPixelFormat(), qk8g);
}

TEST(TBitmapRoutines, CopyTBitmapPaletteKeepsAStoreInStep)
{
    TBitmap store(2, 2, pf8bit);
    store.SetPalette(TPalette(std::vector<TPaletteEntry>(256, TPaletteEntry{1, 2, 3, 0})));
    TQkBitmap wrapped;
    wrapped.EncapsulateTBitmap(&store, false);
    ASSERT_EQ(wrapped.GetPixelFormat(), qk8p);
    TBitmap source(2, 2, pf8bit);
    source.SetPalette(RampPalette(256));
    CopyTBitmapPalette(source, wrapped);
    EXPECT_EQ(store.Palette().Entry(200).peRed, 200);
    EXPECT_EQ(store.Palette().Entry(200).peBlue, 100);
    ExpectRampEntry(wrapped, 200);
}
