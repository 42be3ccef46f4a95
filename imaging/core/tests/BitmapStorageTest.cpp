#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "QkBitmapTestSupport.h"
#include "QkTestFolder.h"
#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkPixelBlock.h"
#include "imaging/core/QkSettings.h"

namespace {

// Temporary files go to a test folder; the threshold is the test's.
class BitmapStorageTest : public ::testing::Test {
protected:
    BitmapStorageTest() { TemporaryDirectory = folder.Path(); }
    ~BitmapStorageTest() override
    {
        TemporaryDirectory.clear();
        MemoryThresholdOverride = -1;
    }

    TestFolder folder;
};

struct TFormatCase {
    TQkPixelFormat Format;
    int32_t Bits;
    int32_t Channels;
    int32_t RowLen3At32; // width 3, 32-bit rows
    int32_t RowLen3At8; // width 3, byte rows
    int32_t RowLen5At16; // width 5, 16-bit rows
};

TEST_F(BitmapStorageTest, FormatsGiveBitsChannelsAndRowLengths)
{
    const TFormatCase cases[] = {
        {qk1g, 1, 1, 4, 1, 2},        {qk8p, 8, 1, 4, 3, 6},        {qk8g, 8, 1, 4, 3, 6},
        {qk16g, 16, 1, 8, 6, 10},     {qk24RGB, 24, 3, 12, 9, 16},  {qk32f, 32, 1, 12, 12, 20},
        {qkCMYK, 32, 4, 12, 12, 20},  {qkRGB48, 48, 3, 20, 18, 30}, {qkCIELab, 24, 3, 12, 9, 16},
        {qk32RGB, 32, 4, 12, 12, 20},
    };
    for (const TFormatCase& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.Format));
        TQkBitmap bitmap(3, 2, c.Format);
        EXPECT_EQ(bitmap.GetBitCount(), c.Bits);
        EXPECT_EQ(bitmap.GetChannelCount(), c.Channels);
        EXPECT_EQ(bitmap.GetRowLen(), c.RowLen3At32);
        TQkBitmap bytes;
        bytes.SetRowAlign(8);
        ASSERT_TRUE(bytes.Allocate(3, 2, c.Format));
        EXPECT_EQ(bytes.GetRowLen(), c.RowLen3At8);
        TQkBitmap words;
        words.SetRowAlign(16);
        ASSERT_TRUE(words.Allocate(5, 1, c.Format));
        EXPECT_EQ(words.GetRowLen(), c.RowLen5At16);
    }
    TQkBitmap none;
    EXPECT_FALSE(none.Allocate(3, 2, qkNone));
    EXPECT_FALSE(none.Allocate(0, 10, qk24RGB));
    EXPECT_TRUE(none.IsEmpty());
    EXPECT_EQ(none.GetWidth(), 0);
}

TEST_F(BitmapStorageTest, ThresholdChoosesFileOrMemory)
{
    MemoryThresholdOverride = 0;
    TQkBitmap small(10, 10, qk24RGB);
    EXPECT_EQ(small.Location(), qkFile);
    MemoryThresholdOverride = int64_t(1) << 40;
    TQkBitmap large(1000, 1000, qk24RGB);
    EXPECT_EQ(large.Location(), qkMemory);
    // One-block memory stores row 0 last.
    EXPECT_EQ(large.GetScanline(0), large.GetScanline(999) + 999 * large.GetRowLen());
}

// Refuses chosen requests: every request above `limit` bytes fails.
class TFailingAllocator : public IQkPixelAllocator {
public:
    explicit TFailingAllocator(size_t limit) : FLimit(limit) {}
    void* Allocate(size_t size) override
    {
        Requests.push_back(size);
        return size > FLimit ? nullptr : std::calloc(1, size);
    }
    void Free(void* block) override { std::free(block); }

    std::vector<size_t> Requests;

private:
    size_t FLimit;
};

TEST_F(BitmapStorageTest, FailedMemoryFallsBackToRowBlocksThenToAFile)
{
    const int32_t width = 100;
    const int32_t height = 40; // rows of 300 bytes
    {
        TFailingAllocator allocator(300 * 10);
        SetPixelAllocator(&allocator);
        TQkBitmap blocks(width, height, qk24RGB);
        SetPixelAllocator(nullptr);
        EXPECT_EQ(blocks.Location(), qkMemory);
        ASSERT_GE(allocator.Requests.size(), 5u);
        EXPECT_GT(allocator.Requests[0], size_t(300 * 40)); // the one block
        EXPECT_EQ(allocator.Requests[1], size_t(300 * 10)); // then four blocks of ten rows
        // Row blocks run top-down.
        EXPECT_EQ(blocks.GetScanline(1), blocks.GetScanline(0) + 300);
        std::set<const uint8_t*> rows;
        for (int32_t y = 0; y < height; ++y)
            rows.insert(blocks.GetScanline(y));
        EXPECT_EQ(rows.size(), size_t(height));
    }
    TFailingAllocator nothing(0);
    SetPixelAllocator(&nothing);
    TQkBitmap file(width, height, qk24RGB);
    SetPixelAllocator(nullptr);
    EXPECT_EQ(file.Location(), qkFile);
    EXPECT_FALSE(file.IsEmpty());

    FileFallbackOnMemoryFailure = false;
    SetPixelAllocator(&nothing);
    TQkBitmap refused;
    EXPECT_FALSE(refused.Allocate(width, height, qk24RGB));
    SetPixelAllocator(nullptr);
    FileFallbackOnMemoryFailure = true;
    EXPECT_TRUE(refused.IsEmpty());
}

TEST_F(BitmapStorageTest, FileRowsStayValidOneAtATimeUnlessViewed)
{
    MemoryThresholdOverride = 0;
    TQkBitmap bitmap(4, 3, qk8g);
    ASSERT_EQ(bitmap.Location(), qkFile);
    for (int32_t y = 0; y < 3; ++y)
        std::memset(bitmap.GetScanline(y), 10 + y, 4);
    // The row mapped last is handed out again; a new row writes the old one back.
    EXPECT_EQ(bitmap.GetScanline(2), bitmap.GetScanline(2));
    EXPECT_EQ(bitmap.GetScanline(0)[3], 10);

    uint8_t* first = bitmap.GetScanlineView(0);
    uint8_t* second = bitmap.GetScanlineView(1);
    first[0] = 50;
    second[0] = 60;
    EXPECT_EQ(first[1], 10);
    EXPECT_EQ(second[1], 11);
    bitmap.ReleaseScanlineView(0);
    bitmap.ReleaseScanlineView(1);
    bitmap.ReleaseScanlineView(7);
    EXPECT_EQ(bitmap.GetScanline(0)[0], 50);
    EXPECT_EQ(bitmap.GetScanline(1)[0], 60);
}

TEST_F(BitmapStorageTest, MovesBetweenMemoryAndFileKeepEverything)
{
    TQkBitmap bitmap(5, 3, qk8p);
    ASSERT_EQ(bitmap.Location(), qkMemory);
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < bitmap.GetRowLen(); ++x)
            bitmap.GetScanline(y)[x] = static_cast<uint8_t>(y * 16 + x); // padding too
    TRGBPixel red{};
    red.r = 200;
    bitmap.SetPaletteColor(7, red);
    bitmap.SetAlpha(4, 2, 33);
    const std::vector<uint8_t> before = RowBytes(bitmap);

    bitmap.SetMemoryThreshold(0);
    bitmap.SetLocation(qkFile);
    EXPECT_EQ(bitmap.Location(), qkFile);
    bitmap.SetMemoryThreshold(int64_t(1) << 40);
    bitmap.SetLocation(qkMemory);
    EXPECT_EQ(bitmap.Location(), qkMemory);
    EXPECT_EQ(RowBytes(bitmap), before);
    for (int32_t y = 0; y < 3; ++y)
        EXPECT_EQ(bitmap.GetScanline(y)[7], y * 16 + 7) << "padding of row " << y;
    TRGBPixel entry{};
    bitmap.GetPaletteColor(7, entry);
    EXPECT_EQ(entry.r, 200);
    EXPECT_EQ(bitmap.GetPaletteLength(), 256);
    ASSERT_TRUE(bitmap.HasAlphaChannel());
    EXPECT_EQ(bitmap.GetAlpha(4, 2), 33);
    EXPECT_EQ(bitmap.GetAlpha(0, 0), 255);
}

// Pixel (4, 2) of a qk8p bitmap: index 7, whose palette entry has red 200,
// and alpha 33.
void MarkPixel(TQkBitmap& bitmap)
{
    bitmap.GetScanline(2)[4] = 7;
    TRGBPixel red{};
    red.r = 200;
    bitmap.SetPaletteColor(7, red);
    bitmap.SetAlpha(4, 2, 33);
}

TEST_F(BitmapStorageTest, TakeOverMovesMemoryBlocksAndCopiesTheRest)
{
    TQkBitmap source(5, 3, qk8p);
    MarkPixel(source);
    const uint8_t* block = source.GetScanline(0);
    TQkBitmap bitmap(2, 2, qk24RGB);
    bitmap.TakeOver(source);
    EXPECT_EQ(bitmap.GetScanline(0), block);
    EXPECT_TRUE(source.IsEmpty());
    EXPECT_EQ(bitmap.GetPixelFormat(), qk8p);
    EXPECT_EQ(bitmap.GetPixel8(4, 2), 7);
    TRGBPixel entry{};
    bitmap.GetPaletteColor(7, entry);
    EXPECT_EQ(entry.r, 200);
    EXPECT_EQ(bitmap.GetAlpha(4, 2), 33);

    // A source kept in a file is copied and left as it was.
    TQkBitmap filed(4, 2, qk24RGB);
    filed.SetMemoryThreshold(0);
    filed.SetLocation(qkFile);
    FillPattern(filed);
    bitmap.TakeOver(filed);
    EXPECT_EQ(filed.Location(), qkFile);
    EXPECT_EQ(bitmap.Location(), qkMemory);
    EXPECT_EQ(RowBytes(bitmap), RowBytes(filed));
    EXPECT_FALSE(bitmap.HasAlphaChannel());
}

TEST_F(BitmapStorageTest, TakeOverImageKeepsTheBitmapsAlphaAndRowLayout)
{
    TQkBitmap bitmap(3, 3, qk24RGB);
    bitmap.SetAlpha(0, 0, 9);
    const TQkBitmap* alpha = bitmap.GetAlphaChannel();
    TQkBitmap source(2, 4, qk24RGB);
    FillPattern(source);
    source.SetAlpha(1, 1, 5);
    const std::vector<uint8_t> pixels = RowBytes(source);
    const uint8_t* block = source.GetScanline(0);
    bitmap.TakeOverImage(source);
    EXPECT_EQ(bitmap.GetScanline(0), block);
    EXPECT_EQ(RowBytes(bitmap), pixels);
    EXPECT_EQ(bitmap.GetAlphaChannel(), alpha);
    EXPECT_TRUE(source.IsEmpty());
    EXPECT_TRUE(source.HasAlphaChannel());

    // Rows of another alignment are copied into the bitmap's own.
    TQkBitmap packed(3, 2, qk24RGB);
    packed.SetRowAlign(8);
    FillPattern(packed);
    bitmap.TakeOverImage(packed);
    EXPECT_EQ(bitmap.GetRowLen(), 12);
    EXPECT_FALSE(packed.IsEmpty());
    EXPECT_EQ(RowBytes(bitmap), RowBytes(packed));
}

// Between TBitmap stores the rows change hands: the caller's TBitmap stays
// the object it holds and shows the new image.
TEST_F(BitmapStorageTest, TakeOverBetweenStoresHandsTheRowsToTheCallersTBitmap)
{
    TBitmap shown(40, 30, pf24bit);
    TQkBitmap bitmap;
    bitmap.EncapsulateTBitmap(&shown, true);
    TQkBitmap source;
    source.SetLocation(bitmap.TakeOverLocation());
    source.Allocate(5, 3, qk8p);
    MarkPixel(source);
    const uint8_t* row = source.GetScanline(2);

    bitmap.TakeOver(source);
    EXPECT_TRUE(source.IsEmpty());
    EXPECT_EQ(bitmap.GetVclBitmap(), &shown);
    EXPECT_EQ(bitmap.GetScanline(2), row);
    EXPECT_EQ(shown.ScanLine(2), row);
    EXPECT_EQ(shown.Width(), 5);
    EXPECT_EQ(shown.PixelFormat(), pf8bit);
    EXPECT_EQ(shown.Palette().Entry(7).peRed, 200);
    EXPECT_EQ(bitmap.GetPixel8(4, 2), 7);
    EXPECT_EQ(bitmap.GetAlpha(4, 2), 33);

    // TakeOverImage keeps the bitmap's alpha channel.
    const TQkBitmap* alpha = bitmap.GetAlphaChannel();
    TQkBitmap turned;
    turned.SetLocation(qkTBitmap);
    turned.Allocate(3, 5, qk24RGB);
    FillPattern(turned);
    const std::vector<uint8_t> pixels = RowBytes(turned);
    bitmap.TakeOverImage(turned);
    EXPECT_EQ(RowBytes(bitmap), pixels);
    EXPECT_EQ(shown.Width(), 3);
    EXPECT_EQ(shown.PixelFormat(), pf24bit);
    EXPECT_EQ(bitmap.GetAlphaChannel(), alpha);

    // A source in memory is copied into the store.
    TQkBitmap inMemory(2, 2, qk24RGB);
    FillPattern(inMemory);
    bitmap.TakeOver(inMemory);
    EXPECT_FALSE(inMemory.IsEmpty());
    EXPECT_EQ(RowBytes(bitmap), RowBytes(inMemory));
    EXPECT_EQ(bitmap.GetVclBitmap(), &shown);
}

TEST_F(BitmapStorageTest, StoreLocationNarrowsSixteenBitGrayAndRefusesFloats)
{
    TQkBitmap gray(2, 1, qk16g);
    gray.SetPixel16(0, 0, 0x1234);
    gray.SetPixel16(1, 0, 0xFFFF);
    gray.SetLocation(qkTBitmap);
    EXPECT_EQ(gray.Location(), qkTBitmap);
    EXPECT_EQ(gray.GetPixelFormat(), qk8g);
    EXPECT_EQ(gray.GetWidth(), 2);
    EXPECT_EQ(gray.GetPixel8(0, 0), 0x12);
    EXPECT_EQ(gray.GetPixel8(1, 0), 0xFF);

    TQkBitmap floats(2, 2, qk32f);
    floats.SetLocation(qkTBitmap);
    EXPECT_TRUE(floats.IsEmpty());
    ASSERT_NE(floats.GetVclBitmap(), nullptr);
    EXPECT_TRUE(floats.GetVclBitmap()->Empty());
}

TEST_F(BitmapStorageTest, AllocateOnlyReallocatesWhenSomethingChanged)
{
    TQkBitmap bitmap(8, 8, qk8g);
    uint8_t* row = bitmap.GetScanline(0);
    row[0] = 9;
    EXPECT_TRUE(bitmap.Allocate(8, 8, qk8g));
    EXPECT_EQ(bitmap.GetScanline(0)[0], 9);
    bitmap.SetRowAlign(8);
    EXPECT_EQ(bitmap.GetRowLen(), 8);
    EXPECT_EQ(bitmap.GetScanline(0)[0], 9); // re-laid out, pixels kept
    TQkBitmap copy(8, 8, qk8g);
    copy.Assign(&bitmap);
    EXPECT_TRUE(copy.Dirty());
    EXPECT_EQ(copy.GetScanline(0)[0], 9);
    EXPECT_TRUE(copy.Allocate(8, 8, qk8g));
    EXPECT_EQ(copy.GetScanline(0)[0], 0); // a dirty bitmap allocates afresh
}

} // namespace
