#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <unistd.h>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkIOParams.h"
#include "imaging/formats/BrelvixIO.h"
#include "imaging/formats/tests/FormatsTestSupport.h"
#include "imaging/formats/tests/OracleTestSupport.h"

namespace {

// Files written by netpbm and ImageMagick into the build tree; the pixels
// loaded through the component are compared with ImageMagick's raw output.
const std::string Folder = std::string(TEST_BINARY_DIR) + "/netpbm-files-" + std::to_string(getpid());
const std::string SdlSample = "/usr/libexec/installed-tests/SDL2_image/sample.pnm";

bool SamePixels(TQkBitmap& a, TQkBitmap& b)
{
    const size_t rowBytes = size_t(a.GetWidth()) * size_t(a.GetBitCount()) / 8;
    for (int32_t y = 0; y < a.GetHeight(); ++y)
        if (std::memcmp(a.GetScanline(y), b.GetScanline(y), rowBytes) != 0)
            return false;
    return true;
}

class NetpbmFiles : public FormatsTest {
protected:
    static void SetUpTestSuite()
    {
        const std::string f = Folder + "/";
        MakeFiles(Folder,
                  {
                      "convert -size 37x23 gradient:red-blue -swirl 90 " + f + "colour.ppm",
                      "convert " + f + "colour.ppm -colorspace gray " + f + "gray.pgm",
                      "convert " + f + "colour.ppm -threshold 50% -type bilevel " + f + "bits.pbm",
                      "pnmtoplainpnm " + f + "colour.ppm > " + f + "plain.ppm",
                      "pnmtoplainpnm " + f + "gray.pgm > " + f + "plain.pgm",
                      "pnmtoplainpnm " + f + "bits.pbm > " + f + "plain.pbm",
                      "pamdepth 100 " + f + "colour.ppm > " + f + "depth100.ppm",
                      "pamdepth 100 " + f + "gray.pgm > " + f + "depth100.pgm",
                      "pamdepth 1023 " + f + "colour.ppm > " + f + "depth1023.ppm",
                      "pamdepth 1023 " + f + "gray.pgm > " + f + "depth1023.pgm",
                      "pamdepth 65535 " + f + "colour.ppm > " + f + "depth65535.ppm",
                      "pamdepth 65535 " + f + "gray.pgm > " + f + "depth65535.pgm",
                      "pgmramp -diagonal 19 11 > " + f + "ramp.pgm",
                      "printf 'P2\\n# made\\n3 # by\\n1\\n# hand\\n100\\n0 50 100\\n' > " + f + "comments.pxm",
                  });
    }
    static void TearDownTestSuite() { std::filesystem::remove_all(Folder); }
};

} // namespace

TEST_F(NetpbmFiles, PixelsEqualImageMagicks)
{
    const char* names[] = {"colour.ppm",     "gray.pgm",       "bits.pbm",     "plain.ppm",     "plain.pgm",
                           "plain.pbm",      "depth100.ppm",   "depth100.pgm", "depth1023.ppm", "depth1023.pgm",
                           "depth65535.ppm", "depth65535.pgm", "ramp.pgm",     "comments.pxm"};
    TBrelvixIO io(nullptr);
    for (const char* name : names) {
        const std::string path = Folder + "/" + name;
        io.LoadFromFile(path);
        ASSERT_FALSE(io.Aborting()) << name;
        EXPECT_EQ(RgbBytes(*io.Bitmap()), MagickRgb(path)) << name;
    }
    // ".pnm" is no registered extension, so the named load.
    io.LoadPnmFromFile(SdlSample);
    ASSERT_FALSE(io.Aborting());
    EXPECT_EQ(RgbBytes(*io.Bitmap()), MagickRgb(SdlSample));
}

TEST_F(NetpbmFiles, WideNativeSamplesMatchTheFile)
{
    TBrelvixIO io(nullptr);
    io.SetNativePixelFormat(true);
    io.LoadFromFile(Folder + "/depth65535.ppm");
    ASSERT_EQ(io.Bitmap()->GetPixelFormat(), qkRGB48);
    const std::string file = FileContent(Folder + "/depth65535.ppm");
    const std::string samples = file.substr(file.size() - size_t(37 * 23 * 6));
    const auto* first = reinterpret_cast<const uint16_t*>(io.Bitmap()->GetScanline(0));
    EXPECT_EQ(first[0], (uint8_t(samples[0]) << 8) | uint8_t(samples[1]));
    EXPECT_EQ(first[2], (uint8_t(samples[4]) << 8) | uint8_t(samples[5]));
}

TEST_F(NetpbmFiles, SavedFilesPassPamfileAndImageMagick)
{
    const struct {
        const char* Source;
        const char* Target;
        int32_t Bits;
        int32_t Samples;
        const char* Pamfile;
    } cases[] = {
        {"bits.pbm", "out.pbm", 1, 1, "PBM raw, 37 by 23"},
        {"gray.pgm", "out.pgm", 8, 1, "PGM raw, 37 by 23  maxval 255"},
        {"colour.ppm", "out.ppm", 8, 3, "PPM raw, 37 by 23  maxval 255"},
        {"colour.ppm", "out16.pxm", 16, 3, "PPM raw, 37 by 23  maxval 65535"},
    };
    TBrelvixIO io(nullptr);
    for (const auto& c : cases) {
        const std::string source = Folder + "/" + c.Source;
        const std::string target = Folder + "/" + c.Target;
        io.LoadFromFile(source);
        io.Params().BitsPerSample = c.Bits;
        io.Params().SamplesPerPixel = c.Samples;
        io.SaveToFile(target);
        ASSERT_FALSE(io.Aborting()) << c.Target;
        const std::string description = CommandOutput("pamfile " + target);
        EXPECT_NE(description.find(c.Pamfile), std::string::npos) << description;
        EXPECT_EQ(MagickRgb(target), MagickRgb(source)) << c.Target;
    }
}

TEST_F(NetpbmFiles, WirelessBitmapsBothWays)
{
    const std::string f = Folder + "/";
    ASSERT_EQ(std::system(("pbmtowbmp " + f + "bits.pbm > " + f + "netpbm.wbmp").c_str()), 0);
    TBrelvixIO io(nullptr);
    io.LoadFromFile(f + "netpbm.wbmp");
    ASSERT_FALSE(io.Aborting());
    EXPECT_EQ(RgbBytes(*io.Bitmap()), MagickRgb(f + "bits.pbm"));
    io.SaveToFile(f + "ours.wbmp");
    ASSERT_EQ(std::system(("wbmptopbm " + f + "ours.wbmp > " + f + "back.pbm").c_str()), 0);
    EXPECT_EQ(MagickRgb(f + "back.pbm"), MagickRgb(f + "bits.pbm"));
}

TEST_F(NetpbmFiles, CutAndGarbledFilesFailCleanly)
{
    const std::string file = FileContent(Folder + "/colour.ppm");
    TBrelvixIO io(nullptr);
    for (size_t keep : {size_t(0), size_t(2), size_t(9), file.size() / 2}) {
        io.LoadFromBuffer(file.data(), int64_t(keep), ioPXM);
        EXPECT_EQ(io.Aborting(), keep < 12) << keep;
    }
    std::string garbled = file;
    for (size_t i = 2; i < 40; ++i)
        garbled[i] = char(0x55 ^ i);
    io.LoadFromBuffer(garbled.data(), int64_t(garbled.size()), ioPXM);
    EXPECT_TRUE(io.Aborting());
}

TEST_F(NetpbmFiles, ImageMagicksRawSamplesLoadAsTheImage)
{
    const std::string f = Folder + "/";
    const std::string commands[] = {
        "convert " + f + "colour.ppm -depth 8 rgb:" + f + "colour.rgb",
        "convert " + f + "colour.ppm -depth 16 -endian LSB rgb:" + f + "colour.rgb48",
        "convert " + f + "gray.pgm -depth 8 gray:" + f + "gray.raw",
        "convert " + f + "colour.ppm -colorspace cmyk -depth 8 cmyk:" + f + "colour.cmyk",
    };
    for (const std::string& command : commands)
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    TBrelvixIO reference(nullptr);
    TBrelvixIO io(nullptr);
    const struct {
        const char* Raw;
        const char* Image;
        TQkPixelFormat Format;
    } cases[] = {
        {"colour.rgb", "colour.ppm", qk24RGB},
        {"colour.rgb48", "depth65535.ppm", qkRGB48},
        {"gray.raw", "gray.pgm", qk8g},
    };
    for (const auto& c : cases) {
        reference.SetNativePixelFormat(c.Format == qkRGB48);
        reference.LoadFromFile(f + c.Image);
        io.Bitmap()->Allocate(37, 23, c.Format);
        io.LoadRawBitmapFromFile(f + c.Raw);
        ASSERT_FALSE(io.Aborting()) << c.Raw;
        // Gray is compared through its exact colour conversion.
        if (c.Format == qk8g)
            io.Bitmap()->SetPixelFormat(qk24RGB);
        ASSERT_EQ(int(io.Bitmap()->GetPixelFormat()), int(reference.Bitmap()->GetPixelFormat())) << c.Raw;
        EXPECT_TRUE(SamePixels(*io.Bitmap(), *reference.Bitmap())) << c.Raw;
    }
    io.Bitmap()->Allocate(37, 23, qkCMYK);
    io.LoadRawBitmapFromFile(f + "colour.cmyk");
    std::string loaded;
    for (int32_t y = 0; y < 23; ++y)
        loaded.append(reinterpret_cast<const char*>(io.Bitmap()->GetScanline(y)), 37 * 4);
    EXPECT_EQ(loaded, FileContent(f + "colour.cmyk"));
}
