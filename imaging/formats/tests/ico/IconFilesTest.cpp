#include <gtest/gtest.h>

#include "imaging/core/tests/QkCommand.h"
#include "imaging/core/tests/QkTestFolder.h"
#include "imaging/formats/BrelvixIO.h"
#include "imaging/formats/QkFileFormats.h"
#include "imaging/formats/tests/CodecTestFiles.h"
#include "imaging/formats/tests/FormatsTestSupport.h"
#include "imaging/formats/tests/OracleTestSupport.h"
#include "imaging/formats/tests/bmp/BmpTestFiles.h"

namespace {

const std::string SdlImages = "/usr/libexec/installed-tests/SDL2_image/";

using IconFiles = FormatsTest;

void RunTool(const std::string& command) { ASSERT_EQ(std::system((command + " 2>/dev/null").c_str()), 0) << command; }

// ImageMagick's "rgba:" bytes of the index-th image (from 1) that icotool
// extracts.
std::string IcotoolRgba(const TestFolder& folder, const std::string& file, int32_t index, bool cursor = false)
{
    const std::string png = folder.File("extracted.png");
    RunTool("icotool -x " + std::string(cursor ? "--cursor " : "") + "-i " + std::to_string(index) + " -o " + png +
            " " + file);
    return CommandOutput("convert " + png + " -depth 8 rgba:-");
}

void ExpectIcotoolPixels(TBrelvixIO& io, const TestFolder& folder, const std::string& file, int32_t count,
                         bool cursor = false)
{
    for (int32_t index = 0; index < count; ++index) {
        if (cursor)
            io.Params().CurImageIndex = index;
        else
            io.Params().IcoImageIndex = index;
        io.LoadFromFileFormat(file, cursor ? ioCUR : ioICO);
        ASSERT_FALSE(io.Aborting()) << file << " " << index;
        EXPECT_TRUE(SameVisiblePixels(RgbaBytes(*io.Bitmap(), AlphaBytes(*io.Bitmap())),
                                      IcotoolRgba(folder, file, index + 1, cursor)))
            << file << " " << index;
    }
}

} // namespace

TEST_F(IconFiles, ToolFilesLoadWithIcotoolsPixels)
{
    TestFolder folder;
    const std::string f = folder.File("");
    RunTool("convert -seed 7 -size 48x48 plasma: -alpha set -channel A -fx 'i/w' " + f + "p48.png");
    RunTool("convert " + f + "p48.png -resize 32x32 " + f + "p32.png");
    RunTool("convert " + f + "p48.png -resize 16x16 " + f + "p16.png");
    RunTool("convert -seed 8 -size 256x256 plasma: " + f + "p256.png");
    RunTool("convert -seed 9 -size 20x20 plasma: -colors 200 +dither -type palette " + f + "c8.png");
    RunTool("convert -seed 9 -size 20x20 plasma: -colors 12 +dither -type palette " + f + "c4.png");
    RunTool("convert -size 20x20 pattern:checkerboard -monochrome " + f + "c1.png");
    RunTool("icotool -c -o " + f + "multi.ico " + f + "p16.png " + f + "p32.png " + f + "p48.png");
    RunTool("icotool -c -o " + f + "big.ico " + f + "p256.png " + f + "c8.png " + f + "c4.png " + f + "c1.png");
    RunTool("convert " + f + "p48.png -define icon:auto-resize=16,32,48 " + f + "magick.ico");
    RunTool("pngtopam -alphapam " + f + "p32.png | pamtowinicon > " + f + "netpbm.ico");
    RunTool("icotool -c --cursor --hotspot-x=3 --hotspot-y=5 -o " + f + "hot.cur " + f + "p32.png");
    TBrelvixIO io(nullptr);
    ExpectIcotoolPixels(io, folder, f + "multi.ico", 3);
    ExpectIcotoolPixels(io, folder, f + "big.ico", 4);
    ExpectIcotoolPixels(io, folder, f + "magick.ico", 3);
    ExpectIcotoolPixels(io, folder, f + "netpbm.ico", 1);
    ExpectIcotoolPixels(io, folder, SdlImages + "sample.ico", 1);
    ExpectIcotoolPixels(io, folder, f + "hot.cur", 1, true);
    EXPECT_EQ(io.Params().CurXHotSpot, 3);
    EXPECT_EQ(io.Params().CurYHotSpot, 5);
    ExpectIcotoolPixels(io, folder, SdlImages + "sample.cur", 1, true);
    // The 256-pixel entry is listed at its size, and the depths as stored.
    io.ParamsFromFile(f + "big.ico");
    const TIOParamsVals& params = io.Params();
    EXPECT_EQ(params.IcoSizes[0].Width, 256);
    EXPECT_EQ(params.IcoSizes[3].Height, 20);
    EXPECT_EQ(params.IcoBitCount[1], 8);
    EXPECT_EQ(params.IcoBitCount[2], 4);
    EXPECT_EQ(params.IcoBitCount[3], 1);
}

TEST_F(IconFiles, PngEntriesLoadThroughThePngFilter)
{
    TestFolder folder;
    const std::string f = folder.File("");
    RunTool("convert -seed 8 -size 256x256 plasma: -depth 8 " + f + "p256.png");
    RunTool("convert -seed 8 -size 16x16 plasma: " + f + "p16.png");
    RunTool("icotool -c -o " + f + "png.ico " + f + "p16.png -r " + f + "p256.png");
    TBrelvixIO io(nullptr);
    io.Params().IcoImageIndex = 1;
    io.LoadFromFile(f + "png.ico");
    ASSERT_FALSE(io.Aborting());
    EXPECT_EQ(Difference(RgbBytes(*io.Bitmap()), MagickRgb(f + "p256.png")), "");
}
