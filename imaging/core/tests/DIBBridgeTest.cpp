#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "QkBitmapTestSupport.h"
#include "QkTestFolder.h"
#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkDIBBridge.h"
#include "imaging/core/QkVideoFrames.h"

namespace {

uint32_t Field32(const std::vector<uint8_t>& bytes, size_t at)
{
    return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
        uint32_t(bytes[at + 3]) << 24;
}

void Put32(std::vector<uint8_t>& bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// A BITMAPINFOHEADER followed by `extra` bytes (tables, masks, rows).
std::vector<uint8_t> InfoHeader(int32_t width, int32_t height, uint16_t bitCount, uint32_t compression,
                                const std::vector<uint8_t>& extra, uint32_t coloursUsed = 0)
{
    std::vector<uint8_t> dib(40 + extra.size());
    std::copy(extra.begin(), extra.end(), dib.begin() + 40);
    Put32(dib, 0, 40);
    Put32(dib, 4, static_cast<uint32_t>(width));
    Put32(dib, 8, static_cast<uint32_t>(height));
    dib[12] = 1;
    dib[14] = static_cast<uint8_t>(bitCount);
    Put32(dib, 16, compression);
    Put32(dib, 32, coloursUsed);
    return dib;
}

std::vector<uint8_t> FileBytes(const std::string& name)
{
    std::ifstream file(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// A DIB behind a 14-byte file header is a .bmp file.
void WriteBmp(const TQkGlobalMemory& dib, const std::string& fileName)
{
    const uint32_t table = Field32(dib.Bytes, 14) == 1 ? 8 : Field32(dib.Bytes, 14) == 8 ? 1024 : 0;
    std::vector<uint8_t> header(14);
    header[0] = 'B', header[1] = 'M';
    Put32(header, 2, static_cast<uint32_t>(14 + dib.Bytes.size()));
    Put32(header, 10, 14 + 40 + table);
    std::ofstream out(fileName, std::ios::binary);
    out.write(reinterpret_cast<const char*>(header.data()), 14);
    out.write(reinterpret_cast<const char*>(dib.Bytes.data()), static_cast<std::streamsize>(dib.Bytes.size()));
}

TRGBPixel Pixel(TQkBitmap& bitmap, int32_t x, int32_t y) { return bitmap.GetPixel24(x, y); }

void ExpectPixel(TQkBitmap& bitmap, int32_t x, int32_t y, uint8_t r, uint8_t g, uint8_t b)
{
    const TRGBPixel p = Pixel(bitmap, x, y);
    EXPECT_EQ(p.r, r) << x << "," << y;
    EXPECT_EQ(p.g, g) << x << "," << y;
    EXPECT_EQ(p.b, b) << x << "," << y;
}

} // namespace

TEST(DIBBridge, BilevelBlockLayout)
{
    TQkBitmap bitmap(10, 3, qk1g);
    auto dib = _CopyBitmaptoDIBEx(bitmap, 0, 0, 0, 0, 200, 96);
    ASSERT_NE(dib, nullptr);
    ASSERT_EQ(dib->Bytes.size(), 64u);
    EXPECT_EQ(Field32(dib->Bytes, 4), 10u);
    EXPECT_EQ(Field32(dib->Bytes, 8), 3u);
    EXPECT_EQ(Field32(dib->Bytes, 24), 7874u);
    EXPECT_EQ(Field32(dib->Bytes, 28), 3779u);
    EXPECT_EQ(Field32(dib->Bytes, 40), 0x00000000u);
    EXPECT_EQ(Field32(dib->Bytes, 44), 0xFFFFFFFFu);
    EXPECT_EQ(_CopyBitmaptoDIBEx(bitmap, 4, 0, 11, 0, 96, 96), nullptr);
    EXPECT_EQ(_CopyBitmaptoDIBEx(bitmap, 4, 2, 4, 0, 96, 96), nullptr);
}

// What _CopyBitmaptoDIBEx writes, ImageMagick reads: a rectangle of each
// format compared pixel by pixel.
TEST(DIBBridge, WrittenDIBsReadExactlyByImageMagick)
{
    TestFolder folder;
    TQkBitmap source(13, 6, qk24RGB);
    FillPattern(source);
    // Palette images come from the quantizers; this one is set by hand.
    TQkBitmap indexed(13, 6, qk8p);
    for (int32_t i = 0; i < 20; ++i)
        indexed.SetPaletteColor(i, MakeRGBPixel(uint8_t(i * 12), uint8_t(255 - i * 7), uint8_t(i * i)));
    for (int32_t y = 0; y < 6; ++y)
        for (int32_t x = 0; x < 13; ++x)
            indexed.SetPixel8(x, y, uint8_t((x * 3 + y) % 20));
    struct TCase {
        TQkPixelFormat Format;
        int32_t BitCount;
    };
    for (const TCase test : {TCase{qk24RGB, 24}, TCase{qk8g, 8}, TCase{qk8p, 8}, TCase{qk1g, 1}, TCase{qkRGB48, 24}}) {
        SCOPED_TRACE(int(test.Format));
        TQkBitmap bitmap;
        bitmap.Assign(test.Format == qk8p ? &indexed : &source);
        ASSERT_TRUE(bitmap.SetPixelFormat(test.Format));
        auto dib = _CopyBitmaptoDIBEx(bitmap, 2, 1, 11, 5, 96, 96);
        ASSERT_NE(dib, nullptr);
        EXPECT_EQ(dib->Bytes[14], test.BitCount);
        const std::string bmp = folder.File("written.bmp");
        const std::string ppm = folder.File("written.ppm");
        WriteBmp(*dib, bmp);
        ASSERT_TRUE(RunTool("convert '" + bmp + "' -depth 8 '" + ppm + "'"));
        TQkBitmap decoded;
        ASSERT_TRUE(ReadPpm(ppm, decoded));
        ASSERT_EQ(decoded.GetWidth(), 9);
        ASSERT_EQ(decoded.GetHeight(), 4);
        for (int32_t y = 0; y < 4; ++y)
            for (int32_t x = 0; x < 9; ++x) {
                const TRGBPixel expected = bitmap.GetPixelRGB(x + 2, y + 1);
                ExpectPixel(decoded, x, y, expected.r, expected.g, expected.b);
            }
    }
}

TEST(DIBBridge, PaletteShorterThan256FillsTheTableWithZeros)
{
    TQkBitmap bitmap(4, 1, qk8p);
    bitmap.SetPaletteColor(0, MakeRGBPixel(1, 2, 3));
    bitmap.SetPaletteColor(1, MakeRGBPixel(4, 5, 6));
    auto dib = _CopyBitmaptoDIBEx(bitmap, 0, 0, 0, 0, 72, 72);
    ASSERT_NE(dib, nullptr);
    EXPECT_EQ(dib->Bytes.size(), 1024u + 44 + 4);
    EXPECT_EQ(Field32(dib->Bytes, 32), 0u);
    EXPECT_EQ(Field32(dib->Bytes, 40), 0x00010203u);
    EXPECT_EQ(Field32(dib->Bytes, 44), 0x00040506u);
    for (int32_t i = bitmap.GetPaletteLength(); i < 256; ++i)
        EXPECT_EQ(Field32(dib->Bytes, 40 + 4 * size_t(i)), 0u) << i;
}

// A 19 x 7 image of `colours` colours (0: all different), black at the top
// left, so that ImageMagick's two-colour palette starts with black.
void FillWithColours(TQkBitmap& bitmap, int32_t colours)
{
    bitmap.Allocate(19, 7, qk24RGB);
    FillPattern(bitmap);
    for (int32_t y = 0; y < 7 && colours > 0; ++y)
        for (int32_t x = 0; x < 19; ++x) {
            const int32_t i = (x * 3 + y) % colours;
            const uint8_t level = uint8_t(i * 255 / std::max(colours - 1, 1));
            bitmap.SetPixel24(x, y,
                              colours == 2 ? MakeRGBPixel(level, level, level)
                                           : MakeRGBPixel(uint8_t(i * 37), uint8_t(i * 91 + 7), uint8_t(i * 13)));
        }
}

// BMPs ImageMagick writes (palette images through PNG8, which keeps the
// colours exact) decode to the image they were made from.
TEST(DIBBridge, ImageMagickBMPsDecodeExactly)
{
    TestFolder folder;
    struct TCase {
        int32_t Colours;
        int32_t BitCount;
    };
    for (const TCase test : {TCase{2, 1}, TCase{12, 4}, TCase{40, 8}, TCase{0, 24}}) {
        SCOPED_TRACE(test.BitCount);
        TQkBitmap source;
        FillWithColours(source, test.Colours);
        const std::string ppm = folder.File("source.ppm");
        const std::string png = folder.File("source.png");
        const std::string bmp = folder.File("magick.bmp");
        WritePpm(source, ppm);
        const std::string write = test.Colours == 0
            ? "convert '" + ppm + "' -type TrueColor -compress None BMP3:'" + bmp + "'"
            : "convert '" + ppm + "' PNG8:'" + png + "' && convert '" + png + "' -compress None BMP3:'" + bmp + "'";
        ASSERT_TRUE(RunTool(write));
        const std::vector<uint8_t> file = FileBytes(bmp);
        ASSERT_GT(file.size(), 62u);
        if (test.BitCount == 1) {
            ASSERT_EQ(Field32(file, 58), 0x00FFFFFFu) << "palette black, white";
        }
        TQkBitmap decoded;
        ASSERT_EQ(CopyDIBToBitmap(file.data() + 14, int64_t(file.size()) - 14, decoded), test.BitCount);
        ASSERT_EQ(decoded.GetWidth(), 19);
        ASSERT_EQ(decoded.GetHeight(), 7);
        EXPECT_EQ(decoded.GetPixelFormat(), test.BitCount == 1 ? qk1g : qk24RGB);
        for (int32_t y = 0; y < 7; ++y)
            for (int32_t x = 0; x < 19; ++x) {
                const TRGBPixel want = source.GetPixel24(x, y);
                const TRGBPixel got = decoded.GetPixelRGB(x, y);
                ASSERT_EQ(got.r, want.r) << x << "," << y;
                ASSERT_EQ(got.g, want.g) << x << "," << y;
                ASSERT_EQ(got.b, want.b) << x << "," << y;
            }
    }
}

// 5-bit channels shift into the high bits, unlike peers that replicate bits.
TEST(DIBBridge, SixteenBitPixels)
{
    // 5-5-5: red, green, blue, white; 2 pixels a row, bottom-up.
    const std::vector<uint8_t> plain = InfoHeader(2, 2, 16, 0, {0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00, 0xFF, 0x7F});
    TQkBitmap bitmap;
    EXPECT_EQ(CopyDIBToBitmap(plain.data(), int64_t(plain.size()), bitmap), 16);
    ExpectPixel(bitmap, 0, 1, 248, 0, 0);
    ExpectPixel(bitmap, 1, 1, 0, 248, 0);
    ExpectPixel(bitmap, 0, 0, 0, 0, 248);
    ExpectPixel(bitmap, 1, 0, 248, 248, 248);

    // 5-6-5 bit fields: pure red, pure green, a mixed value 0x8410, blue.
    const std::vector<uint8_t> fields =
        InfoHeader(2, 2, 16, 3, {0x00, 0xF8, 0,    0,    0xE0, 0x07, 0,    0,   0x1F, 0, 0, 0, // masks
                                 0x00, 0xF8, 0xE0, 0x07, 0x10, 0x84, 0x1F, 0x00});
    EXPECT_EQ(CopyDIBToBitmap(fields.data(), int64_t(fields.size()), bitmap), 16);
    ExpectPixel(bitmap, 0, 1, 248, 0, 0);
    ExpectPixel(bitmap, 1, 1, 0, 252, 0);
    ExpectPixel(bitmap, 0, 0, 128, 128, 128);
    ExpectPixel(bitmap, 1, 0, 0, 0, 248);
}

TEST(DIBBridge, FourBitRowsUseEveryPixelOfAnOddWidth)
{
    std::vector<uint8_t> extra = {0, 0, 0, 0, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0}; // black, red, green, blue
    for (uint8_t b : {0x12, 0x3F, 0, 0}) // 3 pixels; F unused
        extra.push_back(b);
    const std::vector<uint8_t> dib = InfoHeader(3, 1, 4, 0, extra, 4);
    TQkBitmap bitmap;
    EXPECT_EQ(CopyDIBToBitmap(dib.data(), int64_t(dib.size()), bitmap), 4);
    ExpectPixel(bitmap, 0, 0, 255, 0, 0);
    ExpectPixel(bitmap, 1, 0, 0, 255, 0);
    ExpectPixel(bitmap, 2, 0, 0, 0, 255);
}

// A table of white then black inverts the bits; qk1g keeps 1 = white.
TEST(DIBBridge, BilevelColourTableOrder)
{
    for (const bool whiteFirst : {false, true}) {
        const uint8_t first = whiteFirst ? 255 : 0;
        const uint8_t second = whiteFirst ? 0 : 255;
        const std::vector<uint8_t> dib =
            InfoHeader(8, 1, 1, 0, {first, first, first, 0, second, second, second, 0, 0xA5, 0, 0, 0});
        TQkBitmap bitmap;
        ASSERT_EQ(CopyDIBToBitmap(dib.data(), int64_t(dib.size()), bitmap), 1);
        EXPECT_EQ(bitmap.GetScanline(0)[0], whiteFirst ? 0x5A : 0xA5);
    }
}

TEST(DIBBridge, NegativeHeightReadsTopDown)
{
    const std::vector<uint8_t> dib = InfoHeader(1, -2, 24, 0, {1, 2, 3, 0, 4, 5, 6, 0});
    TQkBitmap bitmap;
    EXPECT_EQ(CopyDIBToBitmap(dib.data(), int64_t(dib.size()), bitmap), 24);
    ASSERT_EQ(bitmap.GetHeight(), 2);
    ExpectPixel(bitmap, 0, 0, 3, 2, 1);
    ExpectPixel(bitmap, 0, 1, 6, 5, 4);
}

TEST(DIBBridge, GivenBitsReplaceTheDataAfterTheHeader)
{
    const std::vector<uint8_t> dib = InfoHeader(1, 1, 32, 0, {});
    const uint8_t bits[4] = {10, 20, 30, 40};
    TQkBitmap bitmap;
    EXPECT_EQ(CopyDIBToBitmap(dib.data(), int64_t(dib.size()), bitmap, bits, 4), 32);
    ExpectPixel(bitmap, 0, 0, 30, 20, 10);
}

TEST(DIBBridge, VideoFrames)
{
    TQkBitmap bitmap;
    // YUY2: Y0 U Y1 V; black then white.
    const std::vector<uint8_t> yuy2 = InfoHeader(4, 1, 16, MakeFourCC("YUY2"), {16, 128, 16, 128, 235, 128, 235, 128});
    EXPECT_EQ(CopyDIBToBitmap(yuy2.data(), int64_t(yuy2.size()), bitmap), 16);
    ExpectPixel(bitmap, 1, 0, 0, 0, 0);
    ExpectPixel(bitmap, 2, 0, 255, 255, 255);

    // IYU2 at width 4: 12 bytes a row, every pixel decoded; rows from the top.
    std::vector<uint8_t> iyu2Data;
    for (int row = 0; row < 2; ++row)
        for (int x = 0; x < 4; ++x)
            iyu2Data.insert(iyu2Data.end(), {128, uint8_t(row == 0 ? 16 + 40 * x : 235), 128});
    const std::vector<uint8_t> iyu2 = InfoHeader(4, 2, 24, MakeFourCC("IYU2"), {});
    EXPECT_EQ(CopyDIBToBitmap(iyu2.data(), int64_t(iyu2.size()), bitmap, iyu2Data.data(), int64_t(iyu2Data.size())),
              24);
    for (int x = 0; x < 4; ++x) {
        uint8_t gray[3];
        YUVToBGR(16 + 40 * x, 128, 128, gray);
        ExpectPixel(bitmap, x, 0, gray[2], gray[1], gray[0]);
        ExpectPixel(bitmap, x, 1, 255, 255, 255);
    }

    // Width 5: the third block is partial; its first pixel is still decoded.
    const std::vector<uint8_t> partial =
        InfoHeader(5, 1, 16, MakeFourCC("UYVY"), {128, 16, 128, 16, 128, 16, 128, 16, 128, 235, 128, 16});
    EXPECT_EQ(CopyDIBToBitmap(partial.data(), int64_t(partial.size()), bitmap), 16);
    ASSERT_EQ(bitmap.GetWidth(), 5);
    ExpectPixel(bitmap, 3, 0, 0, 0, 0);
    ExpectPixel(bitmap, 4, 0, 255, 255, 255);
}

TEST(DIBBridge, PlanarFramesShareChromaRows)
{
    // I420 4 x 2: Y plane, then U, then V (2 x 1 each); a red chroma pair on
    // the right.
    std::vector<uint8_t> data(8, 81);
    data.insert(data.end(), {128, 90}); // U
    data.insert(data.end(), {128, 240}); // V
    const std::vector<uint8_t> dib = InfoHeader(4, 2, 12, MakeFourCC("I420"), data);
    TQkBitmap bitmap;
    EXPECT_EQ(CopyDIBToBitmap(dib.data(), int64_t(dib.size()), bitmap), 12);
    uint8_t gray[3], red[3];
    YUVToBGR(81, 128, 128, gray);
    YUVToBGR(81, 90, 240, red);
    for (int y = 0; y < 2; ++y) {
        ExpectPixel(bitmap, 1, y, gray[2], gray[1], gray[0]);
        ExpectPixel(bitmap, 2, y, red[2], red[1], red[0]);
    }
    EXPECT_GT(red[2], 200);
}

TEST(DIBBridge, YUVToBGRRange)
{
    uint8_t out[3];
    YUVToBGR(16, 128, 128, out);
    EXPECT_EQ(out[0] + out[1] + out[2], 0);
    YUVToBGR(235, 128, 128, out);
    EXPECT_EQ(out[0] & out[1] & out[2], 255);
    YUVToBGR(81, 90, 240, out); // video-range red
    EXPECT_EQ(out[2], 254);
    EXPECT_LE(out[1], 1);
    EXPECT_LE(out[0], 1);
}

// DIBs whose sizes do not fit their bytes, or whose data are not decoded,
// leave the bitmap as it was.
TEST(DIBBridge, BadOrUndecodedDIBsLeaveTheBitmapAlone)
{
    std::vector<uint8_t> sizeBeyondLength = InfoHeader(1, 1, 24, 0, {1, 2, 3, 0});
    Put32(sizeBeyondLength, 0, 1000);
    struct TCase {
        const char* Name;
        std::vector<uint8_t> Dib;
        int32_t Result;
    };
    const TCase cases[] = {
        {"header cut short", std::vector<uint8_t>(39, 0), 0},
        {"header size past the end", sizeBeyondLength, 24},
        {"zero width", InfoHeader(0, 1, 24, 0, {1, 2, 3, 0}), 24},
        {"rows past the end", InfoHeader(2, 100000, 24, 0, {1, 2, 3, 4, 5, 6, 0, 0}), 24},
        {"huge colour table", InfoHeader(1, 1, 8, 0, {0, 0, 0, 0}, 0x40000000), 8},
        {"masks cut short", InfoHeader(1, 1, 16, 3, {0, 0xF8, 0, 0}), 16},
        {"32-bit run-length", InfoHeader(1, 1, 32, 1, {1, 2, 3, 4}), 32},
        {"8-bit run-length", InfoHeader(1, 1, 8, 1, std::vector<uint8_t>(1028, 0)), 8},
        {"unknown FOURCC", InfoHeader(2, 1, 16, MakeFourCC("XXXX"), {1, 2, 3, 4}), 16},
        {"frame cut short", InfoHeader(4, 4, 16, MakeFourCC("YUY2"), {16, 128, 16, 128}), 16},
        {"planar frame cut short", InfoHeader(4, 2, 12, MakeFourCC("YV12"), std::vector<uint8_t>(11, 0)), 12},
        {"huge frame", InfoHeader(0x7FFFFFFF, 0x7FFFFFFF, 16, MakeFourCC("Y41P"), {1, 2, 3}), 16},
    };
    for (const TCase& test : cases) {
        SCOPED_TRACE(test.Name);
        TQkBitmap bitmap(1, 1, qk8g);
        bitmap.SetPixel8(0, 0, 77);
        EXPECT_EQ(CopyDIBToBitmap(test.Dib.data(), int64_t(test.Dib.size()), bitmap), test.Result);
        EXPECT_EQ(bitmap.GetPixelFormat(), qk8g);
        EXPECT_EQ(bitmap.GetPixel8(0, 0), 77);
    }
}
