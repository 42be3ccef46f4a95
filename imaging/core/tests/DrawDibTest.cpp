#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkDIBBridge.h"
#include "imaging/core/QkDibbitmap.h"
#include "imaging/core/QkDrawDib.h"
#include "imaging/core/tests/QkBitmapTestSupport.h"
#include "imaging/core/tests/QkTestFolder.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"

namespace {

std::vector<uint8_t> FileBytes(const std::string& fileName)
{
    std::ifstream in(fileName, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A 19x7 BMP of ImageMagick's (`options` pick its depth) as a packed DIB,
// and ImageMagick's own reading of that file.
struct TMagickDIB {
    std::vector<uint8_t> Dib;
    TQkBitmap Read;
};

void MakeMagickDIB(const TestFolder& folder, const std::string& options, TMagickDIB& out)
{
    const std::string bmp = folder.File("magick.bmp");
    const std::string ppm = folder.File("magick.ppm");
    ASSERT_TRUE(RunTool("convert -size 19x7 xc: -sparse-color bilinear '0,0 red 18,0 lime 0,6 blue 18,6 white' " +
                        options + " -compress None BMP3:'" + bmp + "' && convert '" + bmp + "' -depth 8 PPM:'" + ppm +
                        "'"));
    const std::vector<uint8_t> file = FileBytes(bmp);
    ASSERT_GT(file.size(), 54u);
    out.Dib.assign(file.begin() + 14, file.end());
    ASSERT_TRUE(ReadPpm(ppm, out.Read));
}

TRGBPixel DibPixel(TQkDibbitmap& bitmap, int32_t x, int32_t y)
{
    const uint8_t* row = bitmap.GetScanline(y);
    if (bitmap.GetBitCount() == 1) {
        const uint8_t level = GetBitMSB(row, x) ? 255 : 0;
        return TRGBPixel{level, level, level};
    }
    return TRGBPixel{row[3 * x], row[3 * x + 1], row[3 * x + 2]};
}

void ExpectSamePixels(TQkDibbitmap& drawn, TQkBitmap& expected)
{
    ASSERT_EQ(drawn.GetWidth(), expected.GetWidth());
    ASSERT_EQ(drawn.GetHeight(), expected.GetHeight());
    for (int32_t y = 0; y < drawn.GetHeight(); ++y)
        for (int32_t x = 0; x < drawn.GetWidth(); ++x) {
            const TRGBPixel got = DibPixel(drawn, x, y);
            const TRGBPixel want = expected.GetPixelRGB(x, y);
            ASSERT_TRUE(got.r == want.r && got.g == want.g && got.b == want.b)
                << x << "," << y << " got " << int(got.r) << "," << int(got.g) << "," << int(got.b) << " want "
                << int(want.r) << "," << int(want.g) << "," << int(want.b);
        }
}

struct TDepth {
    int32_t BitCount;
    const char* Options;
};
const TDepth Depths[] = {{1, "-type Bilevel"},
                         {1, "-negate -type Bilevel"},
                         {4, "-colors 12 -type Palette"},
                         {8, "-colors 40 -type Palette"},
                         {24, "-type TrueColor"}};

} // namespace

// One ImageMagick BMP per depth, made for each test.
class DrawDibMagick : public ::testing::TestWithParam<TDepth> {
protected:
    void SetUp() override { MakeMagickDIB(folder_, GetParam().Options, magick_); }

    TDIBBytes Dib() const { return TDIBBytes{magick_.Dib.data(), int64_t(magick_.Dib.size())}; }

    TestFolder folder_;
    TMagickDIB magick_;
};

INSTANTIATE_TEST_SUITE_P(Depths, DrawDibMagick, ::testing::ValuesIn(Depths));

TEST_P(DrawDibMagick, DrawnOneToOneAsImageMagickReadsIt)
{
    TQkDibbitmap drawn;
    ASSERT_EQ(DrawDIBToDibbitmap(Dib(), drawn), GetParam().BitCount);
    EXPECT_EQ(drawn.GetBitCount(), GetParam().BitCount == 1 ? 1 : 24);
    ExpectSamePixels(drawn, magick_.Read);
}

TEST_P(DrawDibMagick, StretchedAsTheCanvasStretchesIt)
{
    TBitmap drawn(45, 11);
    std::unique_ptr<TDrawDib> handle = DrawDibOpen();
    ASSERT_TRUE(DrawDibDraw(handle.get(), drawn.Canvas(), 2, 1, 40, 9, Dib(), {}, 3, 1, 14, 5, 0));
    EXPECT_EQ(DrawDibRealize(handle.get(), drawn.Canvas(), false), 0u);
    EXPECT_TRUE(DrawDibClose(std::move(handle)));

    TQkBitmap decoded;
    decoded.SetLocation(qkMemory);
    CopyDIBToBitmap(magick_.Dib.data(), int64_t(magick_.Dib.size()), decoded);
    TBitmap expected(45, 11);
    expected.Canvas()->SetStretchMode(COLORONCOLOR);
    expected.Canvas()->StretchBlt(2, 1, 40, 9, decoded.GetVclBitmap()->Canvas(), 3, 1, 14, 5, SRCCOPY);
    for (int32_t y = 0; y < 11; ++y)
        ASSERT_EQ(std::memcmp(drawn.ScanLine(y), expected.ScanLine(y), 45 * 3), 0) << y;
}

TEST(DrawDib, DIBsThatDoNotFitDrawNothing)
{
    TestFolder folder;
    TMagickDIB magick;
    MakeMagickDIB(folder, "-type TrueColor", magick);
    TQkDibbitmap target;
    ASSERT_TRUE(target.AllocateBits(3, 2, 1));
    for (const int64_t length : {int64_t(0), int64_t(39), int64_t(40), int64_t(magick.Dib.size()) - 1}) {
        SCOPED_TRACE(length);
        DrawDIBToDibbitmap(TDIBBytes{magick.Dib.data(), length}, target);
        EXPECT_EQ(target.GetWidth(), 3);
        EXPECT_EQ(target.GetBitCount(), 1);
    }
    TBitmap canvasBitmap(4, 4);
    std::unique_ptr<TDrawDib> handle = DrawDibOpen();
    EXPECT_FALSE(DrawDibDraw(handle.get(), canvasBitmap.Canvas(), 0, 0, 4, 4,
                             TDIBBytes{magick.Dib.data(), int64_t(magick.Dib.size()) - 1}, {}, 0, 0, 4, 4, 0));
}
