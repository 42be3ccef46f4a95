#include <gtest/gtest.h>

#include <climits>

#include "imaging/formats/QkFilterProgress.h"
#include "imaging/formats/bmp/QkBmp.h"
#include "imaging/formats/tests/FormatsTestSupport.h"
#include "imaging/formats/tests/bmp/BmpTestFiles.h"

namespace {

class BmpReading : public ReaderTest {
protected:
    bool Read(const std::string& bytes, bool paramsOnly = false, bool ignoreAlpha = false)
    {
        return ReadBytes([](TQkReadRequest& request) { ReadBmpImage(request); }, bytes, paramsOnly, ignoreAlpha);
    }
    std::string Loaded() { return RgbBytes(bitmap); }
};

std::string Rgb(std::initializer_list<int> values) { return Bytes(values); }

TBmpFixture TwoByTwo24(bool topDown)
{
    TBmpFixture bmp;
    bmp.Width = 2;
    bmp.Height = topDown ? -2 : 2;
    // Blue-green-red pixels, rows padded to 8 bytes; file row 0 is the
    // bottom row unless top-down.
    const std::string top = Bytes({1, 2, 3, 4, 5, 6, 0, 0});
    const std::string bottom = Bytes({7, 8, 9, 10, 11, 12, 0, 0});
    bmp.Pixels = topDown ? top + bottom : bottom + top;
    return bmp;
}

} // namespace

TEST_F(BmpReading, TopDownRowsGiveTheSameImage)
{
    const std::string expected = Rgb({3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10});
    ASSERT_TRUE(Read(TwoByTwo24(false).File()));
    EXPECT_EQ(Loaded(), expected);
    ASSERT_TRUE(Read(TwoByTwo24(true).File()));
    EXPECT_EQ(Loaded(), expected);
    EXPECT_EQ(params.Height, 2);
    EXPECT_EQ(params.BmpVersion, 1);
    EXPECT_EQ(params.SamplesPerPixel, 3);
}

TEST_F(BmpReading, OneBitPalettes)
{
    const struct {
        std::array<uint8_t, 3> First;
        std::array<uint8_t, 3> Second;
        uint8_t Stored;
        uint8_t Shown;
    } cases[] = {
        {{0, 0, 0}, {255, 255, 255}, 0xA5, 0xA5},
        // White then black is inverted so that a set bit means white.
        {{255, 255, 255}, {0, 0, 0}, 0x5A, 0xA5},
        // Other colours are not applied.
        {{0, 0, 255}, {255, 0, 0}, 0xA5, 0xA5},
    };
    for (const auto& c : cases) {
        TBmpFixture bmp;
        bmp.Width = 8;
        bmp.Bits = 1;
        bmp.Palette = {c.First, c.Second};
        bmp.Pixels = Bytes({c.Stored, 0, 0, 0});
        ASSERT_TRUE(Read(bmp.File()));
        ASSERT_EQ(bitmap.GetPixelFormat(), qk1g);
        EXPECT_EQ(bitmap.GetScanline(0)[0], c.Shown) << int(c.Stored);
        EXPECT_EQ(params.BitsPerSample, 1);
    }
}

TEST_F(BmpReading, MaskedPixelsExpandByTheirMasks)
{
    const struct {
        const char* Name;
        uint32_t HeaderSize;
        uint16_t Bits;
        uint32_t Compression;
        std::array<uint32_t, 4> Masks;
        std::string Pixel;
        std::string Expected;
    } cases[] = {
        {"5-5-5", 40, 16, 0, {}, Bytes({0xE0, 0x7F, 0, 0}), Rgb({248, 248, 0})},
        {"5-6-5 after the header", 40, 16, 3, {0xF800, 0x07E0, 0x001F}, Bytes({0x1F, 0xF8, 0, 0}), Rgb({248, 0, 248})},
        {"5-6-5 in a 124-byte header",
         124,
         16,
         3,
         {0xF800, 0x07E0, 0x001F},
         Bytes({0xE0, 0x07, 0, 0}),
         Rgb({0, 252, 0})},
        {"blue above red", 40, 16, 3, {0x001F, 0x03E0, 0x7C00}, Bytes({0x1F, 0, 0, 0}), Rgb({248, 0, 0})},
        {"32-bit red in the low byte", 40, 32, 3, {0xFF, 0xFF00, 0xFF0000}, Bytes({10, 20, 30, 0}), Rgb({10, 20, 30})},
        {"32-bit 10-bit channels",
         108,
         32,
         3,
         {0x3FF00000, 0xFFC00, 0x3FF},
         Bytes({0xFF, 0x03, 0, 0}),
         Rgb({0, 0, 255})},
    };
    for (const auto& c : cases) {
        TBmpFixture bmp;
        bmp.HeaderSize = c.HeaderSize;
        bmp.Bits = c.Bits;
        bmp.Compression = c.Compression;
        bmp.Masks = c.Masks;
        bmp.Pixels = c.Pixel;
        ASSERT_TRUE(Read(bmp.File())) << c.Name;
        EXPECT_EQ(Loaded(), c.Expected) << c.Name;
    }
    EXPECT_EQ(params.BmpVersion, 0);
}

TEST_F(BmpReading, PalettesAndHeaderVersions)
{
    const struct {
        const char* Name;
        uint32_t HeaderSize;
        uint16_t Bits;
        uint32_t ColoursUsed;
        int32_t PaletteSize;
        std::string Pixels;
        std::string Expected;
        int32_t ColorMapCount;
        uint8_t Version;
    } cases[] = {
        {"108-byte header", 108, 8, 0, 256, Bytes({1, 0, 0, 0}), Rgb({1, 2, 3}), 256, 0},
        {"124-byte header", 124, 4, 0, 16, Bytes({0x20, 0, 0, 0}), Rgb({4, 5, 6}), 16, 0},
        {"OS/2 2.x header", 64, 8, 0, 256, Bytes({1, 0, 0, 0}), Rgb({1, 2, 3}), 256, 3},
        {"colours used 300 counts as 16", 40, 4, 300, 16, Bytes({0x12, 0, 0, 0}), Rgb({1, 2, 3, 4, 5, 6}), 16, 1},
        // Indexes beyond a short palette read black.
        {"index beyond the palette", 40, 8, 2, 2, Bytes({1, 9, 0, 0}), Rgb({1, 2, 3, 0, 0, 0}), 2, 1},
        {"core header", 12, 8, 0, 256, Bytes({1, 0, 0, 0}), Rgb({1, 2, 3}), 256, 2},
    };
    for (const auto& c : cases) {
        TBmpFixture bmp;
        bmp.HeaderSize = c.HeaderSize;
        bmp.Width = int32_t(c.Expected.size() / 3);
        bmp.Bits = c.Bits;
        bmp.ColoursUsed = c.ColoursUsed;
        for (int32_t i = 0; i < c.PaletteSize; ++i)
            bmp.Palette.push_back({uint8_t(3 * i), uint8_t(3 * i - 1), uint8_t(3 * i - 2)});
        bmp.Palette[0] = {9, 9, 9};
        bmp.Pixels = c.Pixels;
        ASSERT_TRUE(Read(bmp.File())) << c.Name;
        EXPECT_EQ(Loaded(), c.Expected) << c.Name;
        EXPECT_EQ(params.ColorMapCount, c.ColorMapCount) << c.Name;
        EXPECT_EQ(params.BmpVersion, c.Version) << c.Name;
    }
    EXPECT_EQ(params.DpiX, DefaultDpiX);
}

TEST_F(BmpReading, NativeFormatKeepsIndexesAndPalette)
{
    TBmpFixture bmp;
    bmp.Width = 3;
    bmp.Bits = 4;
    bmp.Palette.assign(16, {0, 0, 0});
    bmp.Palette[2] = {10, 20, 30};
    bmp.Pixels = Bytes({0x2F, 0x20, 0, 0});
    params.NativePixelFormat = true;
    ASSERT_TRUE(Read(bmp.File()));
    ASSERT_EQ(bitmap.GetPixelFormat(), qk8p);
    EXPECT_EQ(bitmap.GetScanline(0)[0], 2);
    EXPECT_EQ(bitmap.GetScanline(0)[1], 15);
    EXPECT_EQ(bitmap.GetScanline(0)[2], 2);
    EXPECT_EQ(Loaded().substr(0, 3), Rgb({30, 20, 10}));
}

TEST_F(BmpReading, ResolutionRoundsHalvesToEven)
{
    // 2500 and 7500 pixels per metre are 63.5 and 190.5 dots per inch.
    for (const auto& [metre, inch] : {std::pair{2835, 72}, {2500, 64}, {7500, 190}, {0, DefaultDpiX}}) {
        TBmpFixture bmp = TwoByTwo24(false);
        bmp.PixelsPerMetre = metre;
        ASSERT_TRUE(Read(bmp.File(), true));
        EXPECT_EQ(params.DpiX, inch) << metre;
        EXPECT_EQ(params.DpiY, inch) << metre;
    }
}

TEST_F(BmpReading, AlphaMaskOnlyWhenItSaysSomething)
{
    const struct {
        std::string Alphas;
        bool IgnoreAlpha;
        bool Mask;
    } cases[] = {
        {Bytes({0, 0}), false, false},
        {Bytes({255, 255}), false, false},
        {Bytes({7, 200}), false, true},
        {Bytes({7, 200}), true, false},
    };
    for (const auto& c : cases) {
        TBmpFixture bmp;
        bmp.Width = 2;
        bmp.Bits = 32;
        bmp.Pixels = Bytes({1, 2, 3, uint8_t(c.Alphas[0]), 4, 5, 6, uint8_t(c.Alphas[1])});
        ASSERT_TRUE(Read(bmp.File(), false, c.IgnoreAlpha));
        EXPECT_EQ(Loaded(), Rgb({3, 2, 1, 6, 5, 4}));
        ASSERT_EQ(alpha != nullptr, c.Mask) << int(c.Alphas[0]);
        if (c.Mask) {
            EXPECT_EQ(AlphaBytes(alpha.get(), 2, 1), c.Alphas);
        }
        EXPECT_EQ(params.SamplesPerPixel, 4);
    }
}

TEST_F(BmpReading, RunLengthDataThroughTheCodecs)
{
    TBmpFixture bmp;
    bmp.Width = 6;
    bmp.Height = -2;
    bmp.Bits = 4;
    bmp.Compression = 2;
    bmp.Palette.assign(16, {0, 0, 0});
    bmp.Palette[1] = {0, 0, 255};
    bmp.Palette[2] = {0, 255, 0};
    // A run of 1-2-1, a literal 2-2-2, end of row; a run of three 1s, end
    // of bitmap.
    bmp.Pixels = Bytes({3, 0x12, 0, 3, 0x22, 0x20, 0, 0, 3, 0x11, 0, 1});
    ASSERT_TRUE(Read(bmp.File()));
    const std::string red = Rgb({255, 0, 0});
    const std::string green = Rgb({0, 255, 0});
    const std::string black = Rgb({0, 0, 0});
    EXPECT_EQ(Loaded(), red + green + red + green + green + green + red + red + red + black + black + black);
    EXPECT_EQ(params.BmpCompression, 1);
}

TEST_F(BmpReading, WidthZeroFillsTheParametersOnly)
{
    TBmpFixture bmp;
    bmp.Width = 0;
    bitmap.Allocate(3, 3, qk24RGB);
    ASSERT_TRUE(Read(bmp.File()));
    EXPECT_EQ(params.Width, 0);
    EXPECT_EQ(params.Height, 1);
    EXPECT_EQ(bitmap.GetWidth(), 3);
}

TEST_F(BmpReading, ShortDataLeavesZeroPixels)
{
    TBmpFixture bmp = TwoByTwo24(false);
    bmp.Pixels.resize(11);
    ASSERT_TRUE(Read(bmp.File()));
    EXPECT_EQ(Loaded(), Rgb({3, 2, 1, 0, 0, 0, 9, 8, 7, 12, 11, 10}));
}

TEST_F(BmpReading, BadAndUnsupportedFilesAbort)
{
    const auto with = [](auto change) {
        TBmpFixture bmp = TwoByTwo24(false);
        change(bmp);
        return bmp.File();
    };
    const struct {
        const char* Name;
        std::string Bytes;
        // A parameters-only read still reports the header.
        bool ParamsRead;
    } cases[] = {
        {"no signature", "XM" + with([](TBmpFixture&) {}).substr(2), false},
        {"negative width", with([](TBmpFixture& b) { b.Width = -2; }), false},
        {"smallest height", with([](TBmpFixture& b) { b.Height = INT_MIN; }), false},
        {"beyond the decode limit", with([](TBmpFixture& b) { b.Width = b.Height = 1 << 20; }), false},
        {"2 bits", with([](TBmpFixture& b) { b.Bits = 2; }), true},
        {"16-bit run lengths", with([](TBmpFixture& b) {
             b.Bits = 16;
             b.Compression = 1;
         }),
         true},
        {"compression 4", with([](TBmpFixture& b) { b.Compression = 4; }), true},
        {"compression 5", with([](TBmpFixture& b) { b.Compression = 5; }), true},
    };
    for (const auto& c : cases) {
        bitmap.Allocate(1, 1, qk24RGB);
        params.ColorMap.assign(3, TRGBPixel{});
        params.ColorMapCount = 3;
        EXPECT_FALSE(Read(c.Bytes)) << c.Name;
        EXPECT_EQ(bitmap.GetWidth(), 1) << c.Name;
        params.Width = 0;
        EXPECT_EQ(Read(c.Bytes, true), c.ParamsRead) << c.Name;
        EXPECT_EQ(params.Width, c.ParamsRead ? 2 : 0) << c.Name;
    }
    // Without the signature the palette stays as it was.
    params.ColorMap.assign(3, TRGBPixel{});
    params.ColorMapCount = 3;
    ASSERT_FALSE(Read(cases[0].Bytes));
    EXPECT_EQ(params.ColorMapCount, 3);
}

TEST_F(BmpReading, StreamWithoutFileHeader)
{
    params.HeaderlessStream = true;
    ASSERT_TRUE(Read(TwoByTwo24(false).InfoAndData()));
    EXPECT_EQ(Loaded(), Rgb({3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10}));
}

TEST_F(BmpReading, IgnoredAlphaLeavesTheCallersMaskAlone)
{
    TBmpFixture bmp;
    bmp.Width = 2;
    bmp.Bits = 32;
    bmp.Pixels = Bytes({1, 2, 3, 4, 5, 6, 7, 8});
    TMemoryStream stream;
    FillStream(stream, bmp.File());
    TQkFilterProgress progress;
    TQkReadRequest request(stream, bitmap, params, progress);
    request.IgnoreAlpha = true;
    request.AlphaMask = std::make_unique<TQkMask>();
    request.AlphaMask->AllocateBits(1, 1, 8);
    request.AlphaMask->Fill(9);
    ReadBmpImage(request);
    ASSERT_NE(request.AlphaMask, nullptr);
    EXPECT_EQ(request.AlphaMask->Width(), 1);
    EXPECT_EQ(request.AlphaMask->GetPixel(0, 0), 9);
}
