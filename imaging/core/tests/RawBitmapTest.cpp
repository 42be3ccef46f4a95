#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkRawBitmap.h"
#include "imaging/core/QkStreams.h"
#include "platform/core/Streams.h"

namespace {

std::vector<uint8_t> GoldenRecord()
{
    const std::filesystem::path file = std::filesystem::path(TEST_SOURCE_DIR) / "golden" / "raw-3x2.qkraw";
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Every stored byte of every row, padding included.
std::vector<uint8_t> StoredRows(TQkBitmap& bitmap)
{
    std::vector<uint8_t> bytes;
    for (int32_t row = 0; row < bitmap.GetHeight(); ++row)
        bytes.insert(bytes.end(), bitmap.GetScanline(row), bitmap.GetScanline(row) + bitmap.GetRowLen());
    return bytes;
}

void FillStoredRows(TQkBitmap& bitmap, uint8_t seed)
{
    for (int32_t row = 0; row < bitmap.GetHeight(); ++row)
        for (int32_t i = 0; i < bitmap.GetRowLen(); ++i)
            bitmap.GetScanline(row)[i] = static_cast<uint8_t>(seed + row * 31 + i * 7);
}

std::vector<uint8_t> Save(TQkBitmap& bitmap)
{
    TMemoryStream stream;
    SaveRawToStream(bitmap, stream);
    const auto* bytes = static_cast<const uint8_t*>(stream.Memory());
    return {bytes, bytes + stream.Size()};
}

// Blue, green, red of every palette entry.
std::vector<uint8_t> PaletteBytes(TQkBitmap& bitmap)
{
    std::vector<uint8_t> bytes;
    for (int32_t i = 0; i < bitmap.GetPaletteLength(); ++i) {
        const TRGBPixel& entry = bitmap.GetPalette()[i];
        bytes.insert(bytes.end(), {entry.b, entry.g, entry.r});
    }
    return bytes;
}

void ExpectSameBitmap(TQkBitmap& loaded, TQkBitmap& original)
{
    EXPECT_EQ(loaded.GetWidth(), original.GetWidth());
    EXPECT_EQ(loaded.GetHeight(), original.GetHeight());
    // An empty bitmap has no pixels, so no format worth keeping.
    if (!original.IsEmpty()) {
        EXPECT_EQ(loaded.GetPixelFormat(), original.GetPixelFormat());
    }
    EXPECT_EQ(loaded.RowAlign(), original.RowAlign());
    EXPECT_EQ(loaded.GetRowLen(), original.GetRowLen());
    EXPECT_EQ(StoredRows(loaded), StoredRows(original));
    EXPECT_EQ(PaletteBytes(loaded), PaletteBytes(original));
    EXPECT_EQ(loaded.Full(), original.Full());
    EXPECT_EQ(loaded.PaletteColors(), original.PaletteColors());
    EXPECT_EQ(loaded.RangeMin(), original.RangeMin());
    EXPECT_EQ(loaded.RangeMax(), original.RangeMax());
    EXPECT_TRUE(loaded.RenderAdjustments() == original.RenderAdjustments());
    ASSERT_EQ(loaded.HasAlphaChannel(), original.HasAlphaChannel());
    if (original.HasAlphaChannel()) {
        EXPECT_EQ(StoredRows(*loaded.GetAlphaChannel()), StoredRows(*original.GetAlphaChannel()));
        EXPECT_EQ(loaded.GetAlphaChannel()->Full(), original.GetAlphaChannel()->Full());
    }
}

// The golden record's bitmap, set up field by field.
void MakeGoldenBitmap(TQkBitmap& bitmap)
{
    bitmap.SetLocation(qkMemory);
    ASSERT_TRUE(bitmap.Allocate(3, 2, qk24RGB));
    for (int32_t row = 0; row < 2; ++row)
        for (int32_t i = 0; i < 9; ++i)
            bitmap.GetScanline(row)[i] = static_cast<uint8_t>(1 + row * 9 + i);
    bitmap.SetRange(1.5, 2.0);
    bitmap.RenderAdjustments() = TQkRenderAdjustments{{1, -2, 3, 0}, true, 10};
}

} // namespace

TEST(RawBitmap, GoldenRecordIsWrittenAndReadByteForByte)
{
    const std::vector<uint8_t> golden = GoldenRecord();
    ASSERT_EQ(golden.size(), 100u);
    TQkBitmap bitmap;
    MakeGoldenBitmap(bitmap);
    EXPECT_EQ(RawRecordSize(bitmap), 100);
    EXPECT_EQ(Save(bitmap), golden);

    std::vector<uint8_t> block(100, 0xEE);
    EXPECT_FALSE(SaveRawToStream(bitmap, block.data(), 99));
    EXPECT_EQ(block, std::vector<uint8_t>(100, 0xEE));
    ASSERT_TRUE(SaveRawToStream(bitmap, block.data(), 100));
    EXPECT_EQ(block, golden);

    TQkBitmap loaded;
    loaded.SetLocation(qkMemory);
    ASSERT_TRUE(LoadRawFromStream(loaded, golden.data(), 100));
    ExpectSameBitmap(loaded, bitmap);
}

TEST(RawBitmap, RoundTripKeepsEveryField)
{
    struct TCase {
        const char* Name;
        int32_t Width, Height;
        TQkPixelFormat Format;
        int32_t RowAlign;
        int32_t RowLen;
        int32_t PaletteLength;
        bool Alpha, AlphaFull;
        TQkLocation Location;
    };
    const TCase cases[] = {
        {"palette and alpha", 5, 4, qk8p, 32, 8, 7, true, false, qkMemory},
        {"opaque alpha", 4, 3, qk24RGB, 32, 12, 0, true, true, qkMemory},
        {"byte-aligned rows", 3, 2, qk24RGB, 8, 9, 0, false, false, qkMemory},
        {"gray words", 7, 3, qk16g, 64, 16, 0, false, false, qkMemory},
        {"bilevel in a file", 13, 5, qk1g, 32, 4, 2, true, false, qkFile},
        {"empty", 0, 0, qkNone, 32, 0, 0, false, false, qkMemory},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TQkBitmap original;
        original.SetLocation(c.Location);
        original.SetRowAlign(c.RowAlign);
        if (c.Width > 0) {
            ASSERT_TRUE(original.Allocate(c.Width, c.Height, c.Format));
        }
        FillStoredRows(original, 3);
        std::vector<TRGBPixel> palette;
        for (int32_t i = 0; i < c.PaletteLength; ++i)
            palette.push_back(TRGBPixel{uint8_t(i), uint8_t(40 + i), uint8_t(200 - i)});
        original.AssignPalette(palette);
        original.SetFull(true);
        original.SetPaletteColors(17);
        original.SetRange(-0.25, 1e9);
        original.RenderAdjustments() = TQkRenderAdjustments{{-100, 0, 255, 9}, true, -100};
        if (c.Alpha) {
            FillStoredRows(*original.GetAlphaChannel(), 90);
            original.GetAlphaChannel()->SetFull(c.AlphaFull);
        }

        const std::vector<uint8_t> record = Save(original);
        EXPECT_EQ(int64_t(record.size()), RawRecordSize(original));
        TQkBitmap loaded;
        loaded.SetLocation(qkMemory);
        ASSERT_TRUE(loaded.Allocate(2, 2, qk8g));
        loaded.GetAlphaChannel();
        ASSERT_TRUE(LoadRawFromStream(loaded, record.data(), int64_t(record.size())));
        ExpectSameBitmap(loaded, original);
        EXPECT_EQ(loaded.GetRowLen(), c.RowLen);
    }
}

TEST(RawBitmap, OtherDataLeavesTheBitmapAlone)
{
    std::vector<uint8_t> record = GoldenRecord();
    record[11] = 'w';
    TQkBitmap bitmap;
    bitmap.SetLocation(qkMemory);
    ASSERT_TRUE(bitmap.Allocate(4, 4, qk8g));
    TQkMemStream wrongSignature(record.data(), int64_t(record.size()));
    EXPECT_FALSE(LoadRawFromStream(bitmap, wrongSignature));
    EXPECT_EQ(wrongSignature.Position(), 12);

    record = GoldenRecord();
    record[15] = 0x80;
    TQkMemStream negativeVersion(record.data(), int64_t(record.size()));
    EXPECT_FALSE(LoadRawFromStream(bitmap, negativeVersion));
    EXPECT_EQ(negativeVersion.Position(), 16);
    EXPECT_EQ(bitmap.GetWidth(), 4);
}

TEST(RawBitmap, CutOrImpossibleRecordsLeaveAnEmptyBitmap)
{
    const std::vector<uint8_t> golden = GoldenRecord();
    for (int64_t length = 0; length < int64_t(golden.size()); ++length) {
        SCOPED_TRACE(length);
        TQkBitmap bitmap;
        bitmap.SetLocation(qkMemory);
        ASSERT_TRUE(bitmap.Allocate(4, 4, qk8g));
        EXPECT_FALSE(LoadRawFromStream(bitmap, golden.data(), length));
        EXPECT_TRUE(bitmap.IsEmpty());
    }

    // Offset, bytes (little-endian) and what they break.
    struct TPatch {
        const char* Name;
        size_t Offset;
        std::vector<uint8_t> Bytes;
    };
    const TPatch patches[] = {
        {"negative palette length", 16, {0xFF, 0xFF, 0xFF, 0xFF}},
        {"palette beyond the data", 16, {0x00, 0x00, 0x00, 0x40}},
        {"huge width", 20, {0xFF, 0xFF, 0xFF, 0x7F}},
        {"huge height", 24, {0xFF, 0xFF, 0xFF, 0x7F}},
        {"negative height", 24, {0xFE, 0xFF, 0xFF, 0xFF}},
        {"unknown format", 28, {200}},
        {"alignment of 7 bits", 71, {7, 0, 0, 0}},
        {"alignment beyond the data", 71, {0, 0, 0, 0x40}},
        {"alpha flag of 2", 99, {2}},
        {"alpha rows missing", 99, {1}},
    };
    for (const TPatch& patch : patches) {
        SCOPED_TRACE(patch.Name);
        std::vector<uint8_t> record = golden;
        std::copy(patch.Bytes.begin(), patch.Bytes.end(), record.begin() + ptrdiff_t(patch.Offset));
        TQkBitmap bitmap;
        bitmap.SetLocation(qkMemory);
        EXPECT_FALSE(LoadRawFromStream(bitmap, record.data(), int64_t(record.size())));
        EXPECT_TRUE(bitmap.IsEmpty());
    }
}
