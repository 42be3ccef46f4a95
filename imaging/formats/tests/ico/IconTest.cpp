#include <gtest/gtest.h>

#include "imaging/formats/QkFileFormats.h"
#include "imaging/formats/QkFormatErrors.h"
#include "imaging/formats/ico/QkIco.h"
#include "imaging/formats/tests/FormatsTestSupport.h"
#include "imaging/formats/tests/bmp/BmpTestFiles.h"

namespace {

struct TIconEntry {
    int Width;
    int Height;
    int Colours;
    uint16_t Field1;
    uint16_t Field2;
    std::string Image;
};

// An icon (type 1) or cursor (type 2) file of the entries' images.
std::string IconFile(const std::vector<TIconEntry>& entries, uint16_t type = 1)
{
    std::string out;
    AppendLe(out, 0, 2);
    AppendLe(out, type, 2);
    AppendLe(out, uint32_t(entries.size()), 2);
    uint32_t offset = uint32_t(6 + 16 * entries.size());
    for (const TIconEntry& entry : entries) {
        out += Bytes({entry.Width, entry.Height, entry.Colours, 0});
        AppendLe(out, entry.Field1, 2);
        AppendLe(out, entry.Field2, 2);
        AppendLe(out, uint32_t(entry.Image.size()), 4);
        AppendLe(out, offset, 4);
        offset += uint32_t(entry.Image.size());
    }
    for (const TIconEntry& entry : entries)
        out += entry.Image;
    return out;
}

// A bitmap-form image of width x height: header, palette, colour rows and
// AND rows as given.
std::string IconImage(int32_t width, int32_t height, uint16_t bits, std::vector<std::array<uint8_t, 3>> palette,
                      const std::string& colourRows, const std::string& andRows)
{
    TBmpFixture image;
    image.Width = width;
    image.Height = 2 * height;
    image.Bits = bits;
    image.Palette = std::move(palette);
    image.Pixels = colourRows + andRows;
    return image.InfoAndData();
}

// Two pixels of 32 bits in one row, and its AND row.
std::string TwoPixels32(uint8_t alpha0, uint8_t alpha1, uint8_t andBits)
{
    return IconImage(2, 1, 32, {}, Bytes({1, 2, 3, alpha0, 4, 5, 6, alpha1}), Bytes({andBits, 0, 0, 0}));
}

class IconReading : public ReaderTest {
protected:
    bool Read(const TQkFormatReader& reader, const std::string& bytes, bool ignoreAlpha = false)
    {
        return ReadBytes(reader, bytes, false, ignoreAlpha);
    }
    std::string Alpha() { return AlphaBytes(alpha.get(), bitmap.GetWidth(), bitmap.GetHeight()); }
};

bool Probe(bool (*probe)(TStream&), const std::string& bytes)
{
    TMemoryStream stream;
    FillStream(stream, "xy" + bytes);
    stream.SetPosition(2);
    const bool answer = probe(stream);
    EXPECT_EQ(stream.Position(), 2);
    return answer;
}

} // namespace

TEST_F(IconReading, ProbesCheckTheDirectory)
{
    const std::string icon = IconFile({{2, 1, 0, 1, 32, TwoPixels32(9, 9, 0)}});
    EXPECT_TRUE(Probe(IsIcoStream, icon));
    EXPECT_FALSE(Probe(IsCurStream, icon));
    std::string cursor = icon;
    cursor[2] = 2;
    EXPECT_TRUE(Probe(IsCurStream, cursor));
    EXPECT_FALSE(Probe(IsIcoStream, icon.substr(0, 20)));
    std::string noBytes = icon;
    noBytes[14] = 0;
    EXPECT_FALSE(Probe(IsIcoStream, noBytes));
    std::string reserved = icon;
    reserved[9] = 1;
    EXPECT_FALSE(Probe(IsIcoStream, reserved));
    std::string insideDirectory = icon;
    insideDirectory[18] = 10;
    EXPECT_FALSE(Probe(IsIcoStream, insideDirectory));
}

TEST_F(IconReading, IndexChoosesTheImageAndSizesListEvery)
{
    const std::string file = IconFile({
        {2, 1, 0, 1, 32, TwoPixels32(255, 255, 0)},
        {1, 1, 0, 1, 24, IconImage(1, 1, 24, {}, Bytes({7, 8, 9, 0}), Bytes({0, 0, 0, 0}))},
        {0, 0, 16, 0, 0, "\x89PNG\r\n\x1a\n" + std::string(40, '\0')},
    });
    params.IcoImageIndex = 1;
    ASSERT_TRUE(Read(ReadIconImage, file));
    EXPECT_EQ(RgbBytes(bitmap), Bytes({9, 8, 7}));
    EXPECT_EQ(params.IcoSizes[0].Width, 2);
    EXPECT_EQ(params.IcoSizes[1].Height, 1);
    EXPECT_EQ(params.IcoSizes[2].Width, 256);
    EXPECT_EQ(params.IcoSizes[3].Width, 0);
    EXPECT_EQ(params.IcoBitCount[0], 32);
    EXPECT_EQ(params.IcoBitCount[1], 24);
    EXPECT_EQ(params.IcoBitCount[2], 4);
    params.IcoImageIndex = 3;
    EXPECT_FALSE(Read(ReadIconImage, file));
    params.IcoImageIndex = -1;
    EXPECT_FALSE(Read(ReadIconImage, file));
}

TEST_F(IconReading, PngEntriesGoThroughThePngRow)
{
    const std::string png = "\x89PNG\r\n\x1a\n" + std::string(40, '\0');
    const std::string file = IconFile({{0, 0, 0, 1, 32, png}});
    std::string handed;
    FormatRow(ioPNG).Read = [&handed](TQkReadRequest& request) {
        handed.resize(8);
        request.Stream.Read(handed.data(), 8);
        request.Bitmap.Allocate(256, 256, qk24RGB);
    };
    ASSERT_TRUE(Read(ReadIconImage, file));
    EXPECT_EQ(handed, png.substr(0, 8));
    EXPECT_EQ(bitmap.GetWidth(), 256);
}

TEST_F(IconReading, BitmapFileContentLoadsAsABitmap)
{
    TBmpFixture bmp;
    bmp.Pixels = Bytes({1, 2, 3, 0});
    ASSERT_TRUE(Read(ReadIconImage, bmp.File()));
    EXPECT_EQ(RgbBytes(bitmap), Bytes({3, 2, 1}));
}

TEST_F(IconReading, TransparencyByAlphaOrAndMask)
{
    const struct {
        const char* Name;
        std::string Image;
        std::string Alpha;
    } cases[] = {
        {"real alpha", TwoPixels32(0, 128, 0x40), Bytes({0, 128})},
        {"all-0 alpha takes the AND mask", TwoPixels32(0, 0, 0x40), Bytes({255, 0})},
        {"all-0 alpha without AND rows stays opaque", TwoPixels32(0, 0, 0).substr(0, 48), Bytes({255, 255})},
        {"24 bits with the AND mask", IconImage(2, 1, 24, {}, Bytes({1, 2, 3, 4, 5, 6, 0, 0}), Bytes({0x80, 0, 0, 0})),
         Bytes({0, 255})},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(Read(ReadIconImage, IconFile({{2, 1, 0, 1, 0, c.Image}}))) << c.Name;
        EXPECT_EQ(RgbBytes(bitmap), Bytes({3, 2, 1, 6, 5, 4})) << c.Name;
        EXPECT_EQ(Alpha(), c.Alpha) << c.Name;
    }
    // An opaque icon carries no mask, an opaque cursor a full one.
    const std::string opaque = TwoPixels32(255, 255, 0);
    ASSERT_TRUE(Read(ReadIconImage, IconFile({{2, 1, 0, 1, 32, opaque}})));
    EXPECT_EQ(alpha, nullptr);
    ASSERT_TRUE(Read(ReadCursorImage, IconFile({{2, 1, 0, 1, 32, opaque}}, 2)));
    ASSERT_NE(alpha, nullptr);
    EXPECT_EQ(Alpha(), Bytes({255, 255}));
    // Ignoring alpha leaves the mask out.
    ASSERT_TRUE(Read(ReadIconImage, IconFile({{2, 1, 0, 1, 32, TwoPixels32(0, 128, 0)}}), true));
    EXPECT_EQ(alpha, nullptr);
}

TEST_F(IconReading, OneBitTransparentPixelsShowTheBackground)
{
    // Pixels: 0 transparent, 1 transparent, 0 opaque, 1 opaque.
    const std::string image =
        IconImage(4, 1, 1, {{0, 0, 0}, {255, 255, 255}}, Bytes({0x50, 0, 0, 0}), Bytes({0xC0, 0, 0, 0}));
    const std::string file = IconFile({{4, 1, 2, 1, 1, image}});
    const struct {
        TRGBPixel Background;
        uint8_t Bits;
    } cases[] = {{{255, 255, 255}, 0x90}, {{0, 0, 255}, 0x50}};
    for (const auto& c : cases) {
        params.IcoBackground = c.Background;
        ASSERT_TRUE(Read(ReadIconImage, file));
        ASSERT_EQ(bitmap.GetPixelFormat(), qk1g);
        EXPECT_EQ(bitmap.GetScanline(0)[0] & 0xF0, c.Bits) << int(c.Background.b);
        EXPECT_EQ(Alpha(), Bytes({0, 0, 255, 255}));
    }
}

TEST_F(IconReading, PalettesAndBackgrounds)
{
    // A 4-bit image with two colours in its 16 palette entries.
    std::vector<std::array<uint8_t, 3>> palette(16, {0, 0, 0});
    palette[0] = {10, 20, 30};
    palette[1] = {40, 50, 60};
    const std::string rows = Bytes({0x01, 0x90, 0, 0});
    const std::string andRows = Bytes({0x20, 0, 0, 0});
    const std::string image = IconImage(3, 1, 4, palette, rows, andRows);
    params.IcoBackground = TRGBPixel{1, 2, 3};
    ASSERT_TRUE(Read(ReadIconImage, IconFile({{3, 1, 16, 1, 4, image}})));
    EXPECT_EQ(RgbBytes(bitmap), Bytes({30, 20, 10, 60, 50, 40, 3, 2, 1}));
    params.NativePixelFormat = true;
    ASSERT_TRUE(Read(ReadIconImage, IconFile({{3, 1, 16, 1, 4, image}})));
    ASSERT_EQ(bitmap.GetPixelFormat(), qk8p);
    EXPECT_EQ(bitmap.GetScanline(0)[1], 1);
    EXPECT_EQ(Alpha(), Bytes({255, 255, 0}));
    // A cursor's image is chosen by its bit count, not by the directory's
    // colour count: 4-bit rows never go into a 1-bit bitmap.
    // Its palette is the colour count's two entries: index 9 reads black.
    params.CurBackground = TRGBPixel{7, 7, 7};
    const std::string cursor = IconImage(3, 1, 4, {palette[0], palette[1]}, rows, Bytes({0, 0, 0, 0}));
    ASSERT_TRUE(Read(ReadCursorImage, IconFile({{3, 1, 2, 4, 9, cursor}}, 2)));
    EXPECT_EQ(bitmap.GetPixelFormat(), qk24RGB);
    EXPECT_EQ(RgbBytes(bitmap), Bytes({30, 20, 10, 60, 50, 40, 0, 0, 0}));
    ASSERT_TRUE(Read(ReadCursorImage,
                     IconFile({{3, 1, 2, 4, 9, IconImage(3, 1, 4, {palette[0], palette[1]}, rows, andRows)}}, 2)));
    EXPECT_EQ(RgbBytes(bitmap), Bytes({30, 20, 10, 60, 50, 40, 7, 7, 7}));
    EXPECT_EQ(params.CurXHotSpot, 4);
    EXPECT_EQ(params.CurYHotSpot, 9);
    EXPECT_EQ(params.BitsPerSample, 4);
}

TEST_F(IconReading, BadImagesAbort)
{
    const auto withHeader = [](int32_t height, uint16_t bits) {
        TBmpFixture image;
        image.Width = 2;
        image.Height = height;
        image.Bits = bits;
        image.Pixels = std::string(16, '\0');
        return image.InfoAndData();
    };
    const struct {
        const char* Name;
        std::string File;
    } cases[] = {
        {"negative height", IconFile({{2, 1, 0, 1, 32, withHeader(-2, 32)}})},
        {"no bit count anywhere", IconFile({{2, 1, 0, 0, 0, withHeader(2, 0)}})},
        {"a cursor without bit count", IconFile({{2, 1, 0, 0, 0, withHeader(2, 0)}}, 2)},
        {"a cursor with a PNG", IconFile({{2, 1, 0, 0, 0, "\x89PNG\r\n\x1a\n" + std::string(40, '\0')}}, 2)},
        {"2 bits", IconFile({{2, 1, 0, 1, 2, withHeader(2, 2)}})},
    };
    for (const auto& c : cases) {
        const bool cursor = c.File[2] == 2;
        EXPECT_FALSE(Read(cursor ? ReadCursorImage : ReadIconImage, c.File)) << c.Name;
    }
    params.NativePixelFormat = true;
    EXPECT_THROW(Read(ReadIconImage, cases[4].File), Exception);
}
