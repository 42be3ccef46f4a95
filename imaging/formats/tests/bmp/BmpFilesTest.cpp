#include <gtest/gtest.h>

#include "imaging/core/tests/QkCommand.h"
#include "imaging/core/tests/QkTestFolder.h"
#include "imaging/formats/BrelvixIO.h"
#include "imaging/formats/tests/CodecTestFiles.h"
#include "imaging/formats/tests/FormatsTestSupport.h"
#include "imaging/formats/tests/bmp/BmpTestFiles.h"

namespace {

const std::string GoImages = "/usr/share/gocode/src/golang.org/x/image/testdata/";
const std::string SdlImages = "/usr/libexec/installed-tests/SDL2_image/";

using BmpFiles = FormatsTest;

std::string MagickRaw(const std::string& path, const char* layout)
{
    return CommandOutput("convert " + path + " -depth 8 " + layout + ":-");
}

// bmptopnm's pixels as "rgb:" bytes.
std::string NetpbmRgb(const std::string& path)
{
    return CommandOutput("bmptopnm " + path + " 2>/dev/null | convert - -depth 8 rgb:-");
}

// Our pixels equal ImageMagick's; of 16-bit files the high bits of each
// channel, since the low ones stay 0 here where ImageMagick repeats the
// high ones.
void ExpectMagickPixels(TBrelvixIO& io, const std::string& path, int32_t bits16Green = 0)
{
    io.LoadFromFile(path);
    ASSERT_FALSE(io.Aborting()) << path;
    std::string expected = MagickRaw(path, "rgb");
    if (bits16Green != 0)
        for (size_t i = 0; i < expected.size(); ++i)
            expected[i] = char(uint8_t(expected[i]) & (i % 3 == 1 && bits16Green == 6 ? 0xFC : 0xF8));
    EXPECT_TRUE(RgbBytes(*io.Bitmap()) == expected) << path;
}

std::string HeaderSizeAndCompression(const std::string& path)
{
    const std::vector<uint8_t> file = ReadFileBytes(path);
    return std::to_string(file[14] | file[15] << 8) + " " + CommandOutput("identify -format %C " + path);
}

} // namespace

TEST_F(BmpFiles, ToolFilesLoadWithTheToolsPixels)
{
    TestFolder folder;
    const std::string source = folder.File("source.ppm");
    ASSERT_EQ(std::system(("convert -seed 5 -size 37x23 plasma: " + source).c_str()), 0);
    const struct {
        const char* Name;
        std::string Command;
        int32_t Bits16Green;
    } cases[] = {
        {"v2-1.bmp", "convert {} -monochrome BMP2:{out}", 0},
        {"v2-4.bmp", "convert {} -colors 16 -type palette BMP2:{out}", 0},
        {"v2-8.bmp", "convert {} -colors 200 -type palette BMP2:{out}", 0},
        {"v2-24.bmp", "convert {} -type truecolor BMP2:{out}", 0},
        {"v3-1.bmp", "convert {} -monochrome BMP3:{out}", 0},
        {"v3-4.bmp", "convert {} -colors 16 -type palette -compress none BMP3:{out}", 0},
        {"v3-8.bmp", "convert {} -colors 200 -type palette -compress none BMP3:{out}", 0},
        {"v3-24.bmp", "convert {} -type truecolor BMP3:{out}", 0},
        {"rle8.bmp", "convert {} -colors 100 -type palette -compress RLE BMP3:{out}", 0},
        {"rgb565.bmp", "convert {} -define bmp:subtype=RGB565 BMP:{out}", 6},
        {"rgb555.bmp", "convert {} -define bmp:subtype=RGB555 BMP:{out}", 5},
        {"os2.bmp", "ppmtobmp -os2 {} > {out}", 0},
        {"alpha.bmp", "convert {} -alpha set -channel A -fx 'i/w' BMP:{out}", 0},
    };
    TBrelvixIO io(nullptr);
    io.Params().BmpAlpha = true;
    for (const auto& c : cases) {
        const std::string out = folder.File(c.Name);
        std::string command = c.Command;
        command.replace(command.find("{}"), 2, source);
        command.replace(command.find("{out}"), 5, out);
        ASSERT_EQ(std::system((command + " 2>/dev/null").c_str()), 0) << command;
        ExpectMagickPixels(io, out, c.Bits16Green);
        // ImageMagick's run-length rows overrun the width, which netpbm
        // refuses.
        if (c.Bits16Green == 0 && std::string(c.Name) != "rle8.bmp") {
            EXPECT_TRUE(RgbBytes(*io.Bitmap()) == NetpbmRgb(out)) << c.Name;
        }
    }
    // The last file's alpha, at each pixel's own place.
    const std::string rgba = MagickRaw(folder.File("alpha.bmp"), "rgba");
    std::string alpha;
    for (size_t i = 3; i < rgba.size(); i += 4)
        alpha.push_back(rgba[i]);
    ASSERT_TRUE(io.Bitmap()->HasAlphaChannel());
    EXPECT_TRUE(AlphaBytes(*io.Bitmap()) == alpha);
}

TEST_F(BmpFiles, SampleFilesOfOtherProjects)
{
    TBrelvixIO io(nullptr);
    for (const char* name : {"colormap.bmp", "video-001.bmp", "yellow_rose-small.bmp", "yellow_rose-small-v5.bmp"})
        ExpectMagickPixels(io, GoImages + name);
    for (const char* name : {"sample.bmp", "palette.bmp", "svg.bmp", "svg64.bmp", "svg-class.bmp"})
        ExpectMagickPixels(io, SdlImages + name);
}

TEST_F(BmpFiles, EveryVersionAndDepthReadsBack)
{
    TestFolder folder;
    const std::string source = folder.File("source.ppm");
    ASSERT_EQ(std::system(("convert -seed 5 -size 37x23 plasma: -colors 14 " + source).c_str()), 0);
    const struct {
        int32_t Bits;
        bool Rle;
        const char* Compression;
    } depths[] = {{1, false, "None"},  {4, false, "None"}, {8, false, "None"}, {24, false, "None"},
                  {32, false, "None"}, {4, true, "RLE"},   {8, true, "RLE"}};
    const struct {
        uint8_t Version;
        int HeaderSize;
    } versions[] = {{0, 40}, {1, 40}, {2, 12}, {3, 64}};
    TBrelvixIO io(nullptr);
    for (const auto& version : versions)
        for (const auto& depth : depths) {
            const std::string name = "v" + std::to_string(version.Version) + "-" + std::to_string(depth.Bits) +
                (depth.Rle ? "rle" : "") + ".bmp";
            io.LoadFromFile(source);
            TIOParamsVals& params = io.Params();
            params.BmpVersion = version.Version;
            params.BmpCompression = depth.Rle ? 1 : 0;
            params.BitsPerSample = depth.Bits <= 8 ? depth.Bits : 8;
            params.SamplesPerPixel = depth.Bits <= 8 ? 1 : 3;
            if (depth.Bits == 32)
                io.Bitmap()->GetAlphaChannel();
            const std::string original = depth.Bits == 1 ? std::string() : RgbBytes(*io.Bitmap());
            const std::string out = folder.File(name);
            io.SaveToFile(out);
            ASSERT_FALSE(io.Aborting()) << name;
            // The core header has no compression field.
            const bool rle = depth.Rle && version.HeaderSize != 12;
            EXPECT_EQ(HeaderSizeAndCompression(out), std::to_string(version.HeaderSize) + " " + (rle ? "RLE" : "None"))
                << name;
            io.LoadFromFile(out);
            const std::string ours = RgbBytes(*io.Bitmap());
            if (!original.empty()) {
                EXPECT_TRUE(ours == original) << name;
            }
            // netpbm refuses the OS/2 2.x header, and 32 bits in the core
            // header; ImageMagick takes OS/2 2.x palettes for 3-byte ones.
            if (version.HeaderSize == 64 || (version.HeaderSize == 12 && depth.Bits == 32))
                continue;
            const std::string magick = MagickRaw(out, "rgb");
            EXPECT_TRUE(NetpbmRgb(out) == magick) << name;
            EXPECT_TRUE(ours == magick) << name;
        }
}

TEST_F(BmpFiles, ComponentLoadsAndSavesByExtension)
{
    TestFolder folder;
    const std::string source = folder.File("source.ppm");
    ASSERT_EQ(std::system(("convert -seed 5 -size 40x30 plasma: " + source + " && convert " + source +
                           " -resize 32x32! " + folder.File("c.png") + " && icotool -c --cursor -o " +
                           folder.File("c.cur") + " " + folder.File("c.png"))
                              .c_str()),
              0);
    TBrelvixIO io(nullptr);
    io.LoadFromFile(source);
    const std::string original = RgbBytes(*io.Bitmap());
    io.Params().IcoSizes[0] = TQkIcoSize{40, 30};
    io.Params().IcoBitCount[0] = 24;
    for (const char* name : {"x.bmp", "x.dib", "x.rle", "x.ico"}) {
        io.LoadFromFile(source);
        io.SaveToFile(folder.File(name));
        ASSERT_FALSE(io.Aborting()) << name;
        io.LoadFromFile(folder.File(name));
        ASSERT_FALSE(io.Aborting()) << name;
        EXPECT_TRUE(RgbBytes(*io.Bitmap()) == original) << name;
    }
    io.LoadFromFile(folder.File("c.cur"));
    ASSERT_FALSE(io.Aborting());
    EXPECT_EQ(io.Bitmap()->GetWidth(), 32);
    // The registry offers no cursor writer, so the save fails plainly.
    io.SaveToFile(folder.File("x.cur"));
    EXPECT_TRUE(io.Aborting());
    EXPECT_FALSE(std::filesystem::exists(folder.File("x.cur")));
}
