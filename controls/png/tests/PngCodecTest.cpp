// Decoding and encoding against libpng, for every layout the format allows.

#include "PngTestSupport.h"

#include "controls/png/pngimage.h"

#include <gtest/gtest.h>

namespace {

struct TLayout {
    uint8_t ColorType;
    uint8_t BitDepth;
};

const TLayout AllLayouts[] = {
    {0, 1}, {0, 2}, {0, 4}, {0, 8}, {0, 16}, {2, 8}, {2, 16}, {3, 1},
    {3, 2}, {3, 4}, {3, 8}, {4, 8}, {4, 16}, {6, 8}, {6, 16},
};

uint32_t PackedSample(const std::vector<uint8_t>& row, uint32_t index, uint32_t bits)
{
    const uint32_t bit = index * bits;
    return (row[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
}

uint32_t StoredPackedSample(const uint8_t* row, uint32_t index, uint32_t bits)
{
    const uint32_t bit = index * bits;
    return (row[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
}

// The store keeps what libpng decodes: sub-byte samples as they are (2-bit
// gray widened to 4 bits), 16-bit samples by their high byte, colour as
// blue-green-red and alpha in its own plane.
void ExpectStoreHolds(TPNGObject& png, const TRawPng& raw)
{
    const TChunkIHDR& header = *png.Header();
    ASSERT_EQ(header.Width, raw.Width);
    ASSERT_EQ(header.Height, raw.Height);
    const TPngImageStore& store = header.ImageData;
    const uint32_t bytes = raw.BitDepth / 8;
    for (uint32_t y = 0; y < raw.Height; ++y) {
        const auto& row = raw.Rows[y];
        const uint8_t* stored = store.Row(y);
        const uint8_t* alpha = store.AlphaRow(y);
        for (uint32_t x = 0; x < raw.Width; ++x) {
            SCOPED_TRACE(testing::Message() << "pixel " << x << "," << y);
            switch (raw.ColorType) {
            case 0:
            case 3: {
                uint32_t expected = raw.BitDepth == 16 ? row[2 * x] : PackedSample(row, x, raw.BitDepth);
                if (raw.ColorType == 0 && raw.BitDepth == 2)
                    expected *= 5;
                ASSERT_EQ(StoredPackedSample(stored, x, store.BitsPerPixel()), expected);
                break;
            }
            case 2:
            case 6: {
                const uint32_t channels = raw.ColorType == 2 ? 3 : 4;
                const uint8_t* pixel = row.data() + x * channels * bytes;
                ASSERT_EQ(stored[3 * x + 2], pixel[0]);
                ASSERT_EQ(stored[3 * x + 1], pixel[bytes]);
                ASSERT_EQ(stored[3 * x], pixel[2 * bytes]);
                if (channels == 4) {
                    ASSERT_EQ(alpha[x], pixel[3 * bytes]);
                }
                break;
            }
            case 4:
                ASSERT_EQ(stored[x], row[2 * x * bytes]);
                ASSERT_EQ(alpha[x], row[2 * x * bytes + bytes]);
                break;
            }
        }
    }
    for (size_t i = 0; i < raw.Palette.size() / 3; ++i) {
        EXPECT_EQ(store.Palette[i].Red, raw.Palette[3 * i]);
        EXPECT_EQ(store.Palette[i].Green, raw.Palette[3 * i + 1]);
        EXPECT_EQ(store.Palette[i].Blue, raw.Palette[3 * i + 2]);
    }
}

struct TSize2 {
    uint32_t Width;
    uint32_t Height;
};
// One pixel, sizes that leave Adam7 passes empty or ragged, and rows long
// enough for the filters to matter.
const TSize2 Sizes[] = {{1, 1}, {3, 2}, {9, 7}, {37, 19}};

} // namespace

TEST(PngCodec, DecodesEveryLayoutAsLibpngDoes)
{
    uint32_t seed = 1;
    for (const TLayout& layout : AllLayouts)
        for (uint8_t interlace : {0, 1})
            for (const TSize2& size : Sizes) {
                SCOPED_TRACE(testing::Message()
                             << "type " << int(layout.ColorType) << " depth " << int(layout.BitDepth) << " interlace "
                             << int(interlace) << " " << size.Width << "x" << size.Height);
                const std::string file = WriteWithLibpng(
                    MakePattern(size.Width, size.Height, layout.ColorType, layout.BitDepth, interlace, seed++));
                TPNGObject png;
                LoadPng(png, file);
                ExpectStoreHolds(png, ReadWithLibpng(file));
            }
}

TEST(PngCodec, EncodedFilesDecodeWithLibpngToTheSamePixels)
{
    const TFilters filterSets[] = {pfSub, pfNone, pfNone | pfSub | pfUp | pfAverage | pfPaeth, pfUp | pfPaeth};
    uint32_t seed = 100;
    for (const TLayout& layout : AllLayouts)
        for (uint8_t interlace : {0, 1})
            for (TFilters filters : filterSets) {
                SCOPED_TRACE(testing::Message() << "type " << int(layout.ColorType) << " depth " << int(layout.BitDepth)
                                                << " interlace " << int(interlace) << " filters " << int(filters));
                TPNGObject png;
                LoadPng(png, WriteWithLibpng(MakePattern(13, 11, layout.ColorType, layout.BitDepth, 0, seed++)));
                png.SetInterlaceMethod(interlace);
                png.SetFilters(filters);
                const TRawPng written = ReadWithLibpng(SavePng(png));
                EXPECT_EQ(written.Interlace, interlace);
                EXPECT_EQ(written.BitDepth, layout.BitDepth == 2 ? 4 : layout.BitDepth);
                ExpectStoreHolds(png, written);
            }
}

TEST(PngCodec, SixteenBitSamplesAreWrittenWithALowByteOfZero)
{
    TPNGObject png;
    LoadPng(png, WriteWithLibpng(MakePattern(4, 2, 6, 16, 0, 7)));
    const TRawPng written = ReadWithLibpng(SavePng(png));
    for (const auto& row : written.Rows)
        for (size_t i = 1; i < row.size(); i += 2)
            EXPECT_EQ(row[i], 0) << "byte " << i;
}
