#include <gtest/gtest.h>

#include "controls/png/PngRowWriter.h"
#include "imaging/core/QkMask.h"
#include "imaging/formats/png/QkPng.h"
#include "imaging/formats/tests/CodecTestFiles.h"
#include "imaging/formats/tests/FormatsTestSupport.h"

namespace {

// A small file from the row writer: every row of the plain image equal.
std::vector<uint8_t> MakePng(const TPngHeader& header, const std::vector<TPngRawChunk>& before,
                             const std::vector<uint8_t>& row, const std::vector<TPngRawChunk>& after = {})
{
    TMemoryStream stream;
    TPngRowWriter writer(stream, header, before, pfNone, 6);
    for (uint32_t y = 0; y < header.Height; ++y)
        writer.WriteRow(row.data());
    writer.Finish(after);
    return StreamBytes(stream);
}

TPngHeader Header(uint32_t width, uint32_t height, uint8_t depth, uint8_t colorType)
{
    TPngHeader header;
    header.Width = width;
    header.Height = height;
    header.BitDepth = depth;
    header.ColorType = colorType;
    return header;
}

TPngRawChunk Chunk(const std::string& name, std::vector<uint8_t> data) { return {name, std::move(data), true}; }

class PngEdgeCases : public FilterTest {
protected:
    bool Read(const std::vector<uint8_t>& file)
    {
        return ReadWith(ReadPngImage, std::string(file.begin(), file.end()));
    }
};

TEST_F(PngEdgeCases, ReadsTheBackgroundAtTheImagesDepth)
{
    const struct {
        uint8_t Depth;
        uint8_t ColorType;
        std::vector<uint8_t> Background;
        std::vector<uint8_t> Row;
        TRGBPixel Expected;
    } cases[] = {
        {1, 0, {0, 1}, {0}, {255, 255, 255}},
        {8, 0, {0, 200}, {0}, {200, 200, 200}},
        {8, 2, {0, 10, 0, 20, 0, 30}, {0, 0, 0}, {30, 20, 10}},
        // The legacy form: 8-bit levels written times 257.
        {8, 2, {10, 10, 20, 20, 30, 30}, {0, 0, 0}, {30, 20, 10}},
        {16, 0, {0x80, 0x40}, {0, 0}, {0x80, 0x80, 0x80}},
        {16, 2, {1, 2, 3, 4, 5, 6}, {0, 0, 0, 0, 0, 0}, {5, 3, 1}},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(int(test.Depth) * 10 + test.ColorType);
        params.PngBackground = {};
        ASSERT_TRUE(
            Read(MakePng(Header(1, 1, test.Depth, test.ColorType), {Chunk("bKGD", test.Background)}, test.Row)));
        EXPECT_EQ(params.PngBackground.r, test.Expected.r);
        EXPECT_EQ(params.PngBackground.g, test.Expected.g);
        EXPECT_EQ(params.PngBackground.b, test.Expected.b);
    }
    // A palette index reads as its colour.
    ASSERT_TRUE(Read(MakePng(Header(1, 1, 8, 3), {Chunk("PLTE", {1, 2, 3, 4, 5, 6}), Chunk("bKGD", {1})}, {0})));
    EXPECT_EQ(params.PngBackground.r, 4);
    EXPECT_EQ(params.PngBackground.b, 6);
}

TEST_F(PngEdgeCases, OneBitPaletteTakesItsColoursAndInterlacedRowsStayApart)
{
    for (uint8_t interlace : {0, 1}) {
        TPngHeader header = Header(10, 9, 1, 3);
        header.InterlaceMethod = interlace;
        TMemoryStream stream;
        TPngRowWriter writer(stream, header, {Chunk("PLTE", {255, 0, 0, 0, 0, 255})}, pfNone, 6);
        for (const TPngPass& pass : writer.Passes())
            for (uint32_t i = 0; i < pass.Rows; ++i) {
                // Rows alternate between all-zero and all-one bits.
                const uint32_t y = pass.FirstRow + i * pass.RowStep;
                const std::vector<uint8_t> row(pass.RowBytes, y % 2 ? 0xFF : 0);
                writer.WriteRow(row.data());
            }
        writer.Finish();
        ASSERT_TRUE(Read(StreamBytes(stream)));
        ASSERT_EQ(bitmap.GetPixelFormat(), qk24RGB);
        for (int32_t y = 0; y < 9; ++y)
            for (int32_t x = 0; x < 10; ++x) {
                const TRGBPixel pixel = bitmap.GetPixel24(x, y);
                ASSERT_EQ(pixel.r, y % 2 ? 0 : 255) << x << "," << y << " interlace " << int(interlace);
                ASSERT_EQ(pixel.b, y % 2 ? 255 : 0) << x << "," << y;
            }
    }
}

TEST_F(PngEdgeCases, TakesResolutionAndSkipsAnAncillaryChunkWithABadCrc)
{
    const std::vector<uint8_t> physical = {0, 0, 0x0E, 0xC4, 0, 0, 0x0E, 0xC4, 1};
    ASSERT_TRUE(Read(MakePng(Header(1, 1, 8, 0), {Chunk("pHYs", physical), Chunk("tEXt", {'k', 0, 'v'})}, {0})));
    EXPECT_EQ(params.DpiX, 96);
    EXPECT_EQ(params.PngTextKeys.Count(), 1);

    std::vector<uint8_t> file = MakePng(Header(1, 1, 8, 0), {Chunk("tEXt", {'k', 0, 'v'})}, {0});
    // The text's last byte, inside its CRC's cover.
    file[33 + 8 + 2] = 'w';
    ASSERT_TRUE(Read(file));
    EXPECT_EQ(params.PngTextKeys.Count(), 0);
    EXPECT_EQ(params.DpiX, DefaultDpiX);
}

TEST_F(PngEdgeCases, MissingRowsStayZeroAndDamageAfterTheRowsLoads)
{
    const std::vector<uint8_t> full = MakePng(Header(4, 40, 8, 0), {}, {9, 9, 9, 9}, {Chunk("tEXt", {'a', 0, 'b'})});
    ASSERT_TRUE(Read(full));
    ASSERT_EQ(params.PngTextKeys.Count(), 1);
    EXPECT_EQ(params.PngTextValues.Strings(0), "b");

    // Cut inside the image data: the rows read stay, the others are 0.
    std::vector<uint8_t> cut(full.begin(), full.begin() + 33 + 8 + 6);
    EXPECT_FALSE(Read(cut));
    ASSERT_EQ(bitmap.GetHeight(), 40);
    EXPECT_EQ(bitmap.GetPixel24(0, 39).g, 0);

    // Cut after the image data: nothing is lost.
    std::vector<uint8_t> tail(full.begin(), full.end() - 12);
    EXPECT_TRUE(Read(tail));
    EXPECT_EQ(bitmap.GetPixel24(3, 39).g, 9);
}

TEST_F(PngEdgeCases, NativeAppliesToGrayAndPaletteOnly)
{
    params.NativePixelFormat = true;
    ASSERT_TRUE(Read(MakePng(Header(1, 1, 16, 2), {}, {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC})));
    EXPECT_EQ(bitmap.GetPixelFormat(), qk24RGB);
    EXPECT_EQ(bitmap.GetPixel24(0, 0).r, 0x12);
    ASSERT_TRUE(Read(MakePng(Header(2, 1, 8, 3), {Chunk("PLTE", {1, 2, 3, 4, 5, 6})}, {1, 0})));
    EXPECT_EQ(bitmap.GetPixelFormat(), qk8p);
    EXPECT_EQ(bitmap.GetScanline(0)[0], 1);
    EXPECT_EQ(bitmap.GetPixelRGB(0, 0).r, 4);
}

TEST_F(PngEdgeCases, RefusesImagesBeyondTheDecodeLimit)
{
    const int64_t limit = DecodePixelLimit;
    DecodePixelLimit = 100;
    const std::vector<uint8_t> file = MakePng(Header(20, 20, 8, 0), {}, std::vector<uint8_t>(20, 1));
    EXPECT_FALSE(Read(file));
    DecodePixelLimit = limit;
    EXPECT_TRUE(Read(file));
}

TEST_F(PngEdgeCases, WritesThePaletteWithATransparentBackgroundEntryForAMask)
{
    bitmap.Allocate(4, 4, qk24RGB);
    bitmap.Fill(0x102030);
    auto mask = std::make_unique<TQkBitmap>(4, 4, qk8g);
    mask->Fill(255);
    mask->GetScanline(0)[0] = 0;
    mask->SetFull(false);
    bitmap.AttachAlphaChannel(std::move(mask));
    params.SamplesPerPixel = 1;
    params.BitsPerSample = 8;
    params.PngBackground = {7, 8, 9};
    const std::string file = WriteWith(WritePngImage);
    ASSERT_TRUE(ReadWith(ReadPngImage, file));
    ASSERT_EQ(params.ColorMapCount, 256);
    EXPECT_EQ(params.ColorMap[0].r, 9);
    TMemoryStream stream;
    FillStream(stream, file);
    TQkReadRequest request(stream, bitmap, params, progress);
    ReadPngImage(request);
    ASSERT_TRUE(request.AlphaMask);
    EXPECT_EQ(request.AlphaMask->GetScanline(0)[0], 0);
    EXPECT_EQ(request.AlphaMask->GetScanline(0)[1], 255);
    EXPECT_EQ(bitmap.GetPixelRGB(1, 1).r, 0x30);
}

} // namespace
