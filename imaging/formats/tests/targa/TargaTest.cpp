#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkIOParams.h"
#include "imaging/formats/BrelvixIO.h"
#include "imaging/formats/QkFileFormats.h"
#include "imaging/formats/QkFormatDetection.h"
#include "imaging/formats/targa/QkTarga.h"
#include "imaging/formats/tests/FormatsTestSupport.h"
#include "imaging/formats/tests/OracleTestSupport.h"

namespace {

const std::string Folder = std::string(TEST_BINARY_DIR) + "/targa-files-" + std::to_string(getpid());
const std::string SdlSample = "/usr/libexec/installed-tests/SDL2_image/sample.tga";

std::string Path(const std::string& name) { return Folder + "/" + name; }

// ImageMagick 6.9.11 shows bottom-up files (descriptor bit 5 clear) upside
// down against netpbm's tgatoppm, its own files included; their rows are
// turned back here.
std::string MagickRgba(const std::string& path)
{
    const bool bottomUp = (FileContent(path).at(17) & 0x20) == 0;
    return CommandOutput("convert " + path + (bottomUp ? " -flip" : "") + " -depth 8 rgba:-");
}

std::string NetpbmRgb(const std::string& path)
{
    return CommandOutput("tgatoppm " + path + " | convert - -depth 8 rgb:-");
}

class TargaFiles : public FormatsTest {
protected:
    static void SetUpTestSuite()
    {
        const std::string f = Folder + "/";
        MakeFiles(
            Folder,
            {
                "convert -size 37x23 gradient:red-blue -swirl 90 " + f + "colour.ppm",
                "convert " + f + "colour.ppm -compress None " + f + "magick24.tga",
                "convert " + f + "colour.ppm -compress RLE " + f + "magick24rle.tga",
                "convert " + f + "colour.ppm -colors 200 -type Palette " + f + "magick8.tga",
                "convert " + f + "colour.ppm -colorspace gray " + f + "magickgray.tga",
                "convert " + f + "colour.ppm -alpha set -channel A -fx 'i/w' " + f + "magick32.tga",
                "convert " + f + "colour.ppm -alpha set -channel A -fx 'i/w' -compress RLE " + f + "magick32rle.tga",
                "convert " + f + "colour.ppm -threshold 50% " + f + "bits.pbm",
                "ppmtotga -rgb " + f + "colour.ppm > " + f + "netpbm-rgb.tga",
                "ppmtotga -rgb -norle " + f + "colour.ppm > " + f + "netpbm-norle.tga",
                "ppmtotga -cmap " + f + "colour.ppm > " + f +
                    "netpbm-cmap.tga 2>/dev/null || "
                    "pnmquant 200 " +
                    f + "colour.ppm 2>/dev/null | ppmtotga -cmap > " + f + "netpbm-cmap.tga",
                "ppmtotga -mono " + f + "bits.pbm > " + f + "netpbm-mono.tga",
            });
    }
    static void TearDownTestSuite() { std::filesystem::remove_all(Folder); }

    TBrelvixIO io{nullptr};
};

} // namespace

TEST_F(TargaFiles, PixelsAndAlphaEqualImageMagicks)
{
    const std::string files[] = {Path("magick24.tga"),
                                 Path("magick24rle.tga"),
                                 Path("magick8.tga"),
                                 Path("magickgray.tga"),
                                 Path("magick32.tga"),
                                 Path("magick32rle.tga"),
                                 Path("netpbm-rgb.tga"),
                                 Path("netpbm-norle.tga"),
                                 Path("netpbm-cmap.tga"),
                                 Path("netpbm-mono.tga"),
                                 SdlSample};
    for (const std::string& file : files) {
        io.LoadFromFile(file);
        ASSERT_FALSE(io.Aborting()) << file;
        EXPECT_EQ(Difference(RgbBytes(*io.Bitmap(), true), MagickRgba(file)), "") << file;
        EXPECT_EQ(Difference(RgbBytes(*io.Bitmap()), NetpbmRgb(file)), "") << file;
    }
}

TEST_F(TargaFiles, SavedFilesReadBackInOtherTools)
{
    for (int32_t bits : {1, 4, 8, 24})
        for (bool compressed : {false, true})
            for (bool gray : {false, true}) {
                const std::string name =
                    Path("ours" + std::to_string(bits) + (compressed ? "c" : "") + (gray ? "g" : "") + ".tga");
                io.LoadFromFile(Path(bits == 1 ? "bits.pbm" : "colour.ppm"));
                io.Params().BitsPerSample = bits == 24 ? 8 : bits;
                io.Params().SamplesPerPixel = bits == 24 ? 3 : 1;
                io.Params().TgaCompressed = compressed;
                io.Params().TgaWriteGray = gray;
                io.SaveToFile(name);
                ASSERT_FALSE(io.Aborting()) << name;
                io.LoadFromFile(name);
                ASSERT_FALSE(io.Aborting()) << name;
                const std::string ours = RgbBytes(*io.Bitmap());
                // Neither tool reads 1-bit Targa files.
                if (bits > 1) {
                    EXPECT_EQ(Difference(ours, MagickRgb(name)), "") << name;
                    EXPECT_EQ(Difference(ours, NetpbmRgb(name)), "") << name;
                }
                if (bits == 24) {
                    EXPECT_EQ(Difference(ours, MagickRgb(Path("colour.ppm"))), "") << name;
                }
            }
}

TEST_F(TargaFiles, AlphaIsWrittenAtDepth32)
{
    io.LoadFromFile(Path("magick32.tga"));
    const std::string expected = RgbBytes(*io.Bitmap(), true);
    io.SaveToFile(Path("ours32.tga"));
    EXPECT_EQ(Difference(MagickRgba(Path("ours32.tga")), expected), "");
}

TEST_F(TargaFiles, TheImageIdStaysOverRoundTrips)
{
    io.LoadFromFile(Path("magick24.tga"));
    io.Params().TgaImageId = "hello";
    for (int32_t round = 0; round < 3; ++round) {
        io.SaveToFile(Path("id.tga"));
        io.LoadFromFile(Path("id.tga"));
        EXPECT_EQ(io.Params().TgaImageId, "hello") << round;
    }
}

namespace {

class TargaBytes : public FilterTest {
protected:
    // A header of the given type, depth and descriptor, no ID.
    static std::string Header(int type, int depth, int width, int height, int descriptor, int mapType = 0,
                              int mapFirst = 0, int mapLength = 0, int entrySize = 0)
    {
        return Bytes({0, mapType, type, mapFirst & 255, mapFirst >> 8, mapLength & 255, mapLength >> 8, entrySize, 0, 0,
                      0, 0, width & 255, width >> 8, height & 255, height >> 8, depth, descriptor});
    }

    std::string Rgb(int32_t x, int32_t y)
    {
        const TRGBPixel pixel = bitmap.GetPixel24(x, y);
        return {char(pixel.r), char(pixel.g), char(pixel.b)};
    }

    // Reads and keeps the request's alpha mask.
    bool ReadKeepingMask(const std::string& bytes)
    {
        stream = std::make_unique<TMemoryStream>();
        FillStream(*stream, bytes);
        aborting = false;
        progress.Aborting = &aborting;
        request = std::make_unique<TQkReadRequest>(*stream, bitmap, params, progress);
        ReadTargaImage(*request);
        return !aborting;
    }

    std::unique_ptr<TMemoryStream> stream;
    std::unique_ptr<TQkReadRequest> request;
};

} // namespace

TEST_F(TargaBytes, OriginsPlaceRowsAndColumns)
{
    // 2 x 2, 24 bits: stored pixels A B / C D.
    const std::string pixels = Bytes({1, 0, 0, 2, 0, 0, 3, 0, 0, 4, 0, 0});
    const struct {
        int Descriptor;
        std::string TopLeft, TopRight, BottomLeft;
    } cases[] = {
        {0x00, Bytes({0, 0, 3}), Bytes({0, 0, 4}), Bytes({0, 0, 1})},
        {0x20, Bytes({0, 0, 1}), Bytes({0, 0, 2}), Bytes({0, 0, 3})},
        {0x10, Bytes({0, 0, 4}), Bytes({0, 0, 3}), Bytes({0, 0, 2})},
        {0x30, Bytes({0, 0, 2}), Bytes({0, 0, 1}), Bytes({0, 0, 4})},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(ReadWith(ReadTargaImage, Header(2, 24, 2, 2, c.Descriptor) + pixels)) << c.Descriptor;
        EXPECT_EQ(Rgb(0, 0), c.TopLeft) << c.Descriptor;
        EXPECT_EQ(Rgb(1, 0), c.TopRight) << c.Descriptor;
        EXPECT_EQ(Rgb(0, 1), c.BottomLeft) << c.Descriptor;
    }
}

TEST_F(TargaBytes, SixteenBitsAndRunsAcrossRows)
{
    // 5-5-5: red 31, green 1, blue 2, each times 8.
    ASSERT_TRUE(ReadWith(ReadTargaImage, Header(2, 16, 1, 1, 0x20) + Bytes({0x22, 0x7C})));
    EXPECT_EQ(Rgb(0, 0), Bytes({248, 8, 16}));
    // One run of 100 over 60-pixel rows, then a literal of 20.
    std::string runs = Header(10, 24, 60, 2, 0x20) + Bytes({0x80 | 99, 9, 8, 7, 19});
    for (int i = 0; i < 20; ++i)
        runs += Bytes({1, 2, 3});
    ASSERT_TRUE(ReadWith(ReadTargaImage, runs));
    EXPECT_EQ(Rgb(59, 0), Bytes({7, 8, 9}));
    EXPECT_EQ(Rgb(39, 1), Bytes({7, 8, 9}));
    EXPECT_EQ(Rgb(40, 1), Bytes({3, 2, 1}));
}

TEST_F(TargaBytes, ColourMapEntriesPast255AreDropped)
{
    // First index 250, 10 entries: 250..255 kept, the rest read and dropped;
    // the pixel after the map must still be found.
    std::string file = Header(1, 8, 1, 1, 0x20, 1, 250, 10, 24);
    for (int i = 0; i < 10; ++i)
        file += Bytes({i, i, i});
    file += Bytes({255});
    ASSERT_TRUE(ReadWith(ReadTargaImage, file));
    EXPECT_EQ(Rgb(0, 0), Bytes({5, 5, 5}));
}

TEST_F(TargaBytes, AlphaAllZeroOrAll255)
{
    for (int alpha : {0, 255}) {
        ASSERT_TRUE(ReadKeepingMask(Header(2, 32, 2, 1, 0x28) + Bytes({1, 2, 3, alpha, 4, 5, 6, alpha})));
        EXPECT_EQ(request->AlphaMask != nullptr, alpha == 255) << alpha;
    }
}

TEST_F(TargaBytes, ExtensionAreaOrDefaults)
{
    const std::string image = Header(2, 24, 1, 1, 0x20) + Bytes({1, 2, 3});
    ASSERT_TRUE(ReadWith(ReadTargaImage, image));
    EXPECT_DOUBLE_EQ(params.TgaGamma, 2.2);
    EXPECT_DOUBLE_EQ(params.TgaAspectRatio, 1.0);
    EXPECT_EQ(params.TgaDate, double(int64_t(params.TgaDate)));

    std::string area(495, '\0');
    area[0] = char(495 & 255);
    area[1] = char(495 >> 8);
    area.replace(2, 3, "Ann");
    area.replace(367, 12, Bytes({3, 0, 4, 0, 0xD0, 0x07, 5, 0, 6, 0, 7, 0})); // 4 March 2000 05:06:07
    area.replace(470, 4, Bytes({0, 10, 20, 30}));
    area.replace(478, 4, Bytes({0xF0, 0x55, 0x10, 0x27})); // 22000 / 10000
    const int32_t offset = int32_t(image.size());
    const std::string footer = Bytes({offset, 0, 0, 0, 0, 0, 0, 0}) + std::string("TRUEVISION-XFILE.") + '\0';
    ASSERT_TRUE(ReadWith(ReadTargaImage, image + area + footer));
    EXPECT_EQ(params.TgaAuthor, "Ann");
    EXPECT_DOUBLE_EQ(params.TgaGamma, 2.2);
    EXPECT_EQ(params.TgaBackground.r, 10);
    EXPECT_EQ(params.TgaBackground.b, 30);
    EXPECT_NEAR(params.TgaDate, 36589 + (5 * 3600 + 6 * 60 + 7) / 86400.0, 1e-6);
}

TEST_F(TargaBytes, BadAndShortFiles)
{
    const struct {
        const char* Name;
        std::string Bytes;
    } cases[] = {
        {"depth 4", Header(1, 4, 2, 2, 0)},
        {"1-bit runs", Header(11, 1, 8, 1, 0) + Bytes({0x80, 0xFF})},
        {"type 5", Header(5, 24, 1, 1, 0) + Bytes({1, 2, 3})},
        {"huge", Header(2, 24, 65535, 65535, 0)},
        {"short pixels", Header(2, 24, 4, 4, 0x20) + Bytes({1, 2, 3, 4, 5, 6})},
    };
    for (const auto& c : cases)
        EXPECT_FALSE(ReadWith(ReadTargaImage, c.Bytes)) << c.Name;
    // The rows read before the end stay.
    EXPECT_EQ(Rgb(1, 0), Bytes({6, 5, 4}));
}

TEST_F(TargaBytes, WriterLayout)
{
    bitmap.Allocate(200, 1, qk24RGB);
    bitmap.Fill(0);
    params.SamplesPerPixel = 3;
    params.BitsPerSample = 8;
    params.TgaCompressed = true;
    params.TgaGamma = 2.2;
    const std::string file = WriteWith(WriteTargaImage);
    ASSERT_GE(file.size(), size_t(18 + 1 + 8 + 495 + 26));
    EXPECT_EQ(file[2], 10);
    EXPECT_EQ(file[16], 24);
    EXPECT_EQ(file[17], 0x20);
    // Header, a one-byte ID, then 128 + 72 as two run packets.
    EXPECT_EQ(file.substr(19, 8), Bytes({0x80 | 127, 0, 0, 0, 0x80 | 71, 0, 0, 0}));
    const std::string area = file.substr(27, 495);
    EXPECT_EQ(area.substr(0, 2), Bytes({495 & 255, 495 >> 8}));
    EXPECT_EQ(area.substr(478, 4), Bytes({0xF0, 0x55, 0x10, 0x27}));
    EXPECT_EQ(file.substr(file.size() - 26, 4), Bytes({27, 0, 0, 0}));
    EXPECT_EQ(file.substr(file.size() - 18), std::string("TRUEVISION-XFILE.") + '\0');
}

TEST_F(TargaBytes, ProbeAndDetection)
{
    TMemoryStream good;
    FillStream(good, Header(2, 24, 1, 1, 0) + Bytes({1, 2, 3}));
    EXPECT_TRUE(IsTgaStream(good));
    EXPECT_EQ(good.Position(), 0);
    EXPECT_EQ(DetectStreamFormat(good), ioTGA);
    TMemoryStream bad;
    FillStream(bad, Header(2, 24, 0, 1, 0) + Bytes({1, 2, 3}));
    EXPECT_FALSE(IsTgaStream(bad));
}
