#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

#include "imaging/core/QkIOParams.h"
#include "imaging/formats/BrelvixIO.h"
#include "imaging/formats/QkFormatDetection.h"
#include "imaging/formats/tests/FormatsTestSupport.h"
#include "imaging/formats/tests/OracleTestSupport.h"

namespace {

// PCX and DCX files written by netpbm and ImageMagick into the build tree.
const std::string Folder = std::string(TEST_BINARY_DIR) + "/pcx-files-" + std::to_string(getpid());
const std::string SdlSample = "/usr/libexec/installed-tests/SDL2_image/sample.pcx";

std::string Path(const std::string& name) { return Folder + "/" + name; }

std::string NetpbmRgb(const std::string& path)
{
    return CommandOutput("pcxtoppm " + path + " 2>/dev/null | convert ppm:- -depth 8 rgb:-");
}

class PcxFiles : public FormatsTest {
protected:
    static void SetUpTestSuite()
    {
        const std::string f = Folder + "/";
        MakeFiles(Folder,
                  {
                      "convert -size 37x23 gradient:red-blue -swirl 90 " + f + "colour.ppm",
                      "convert " + f + "colour.ppm -colors 200 " + f + "palette.ppm",
                      "convert " + f + "colour.ppm -colors 16 " + f + "few16.ppm",
                      "convert " + f + "colour.ppm -colors 4 " + f + "few4.ppm",
                      "convert " + f + "colour.ppm -colorspace gray -threshold 50% -type bilevel " + f + "bits.pbm",
                      "ppmtopcx -8bit " + f + "palette.ppm > " + f + "netpbm8.pcx 2>/dev/null",
                      "ppmtopcx -24bit " + f + "colour.ppm > " + f + "netpbm24.pcx 2>/dev/null",
                      "ppmtopcx -planes 4 " + f + "few16.ppm > " + f + "netpbm-planes4.pcx 2>/dev/null",
                      "ppmtopcx -packed " + f + "few16.ppm > " + f + "netpbm-packed4.pcx 2>/dev/null",
                      "ppmtopcx -packed " + f + "few4.ppm > " + f + "netpbm-packed2.pcx 2>/dev/null",
                      "ppmtopcx " + f + "bits.pbm > " + f + "netpbm1.pcx 2>/dev/null",
                      "convert " + f + "palette.ppm -type palette " + f + "magick8.pcx",
                      "convert " + f + "colour.ppm " + f + "magick24.pcx",
                      "convert " + f +
                          "colour.ppm \\( -size 37x23 gradient: \\) -alpha off -compose copy_opacity -composite " + f +
                          "magick-rgba.pcx",
                      "convert " + f + "colour.ppm " + f + "palette.ppm " + f + "few4.ppm " + f + "three.dcx",
                  });
    }
    static void TearDownTestSuite() { std::filesystem::remove_all(Folder); }
};

} // namespace

// ImageMagick reads a 1-bit PCX with the bits inverted (1 as black), so the
// 1-bit file is compared with pcxtoppm and the bitmap it was made from.
TEST_F(PcxFiles, PixelsEqualTheReferenceReaders)
{
    const char* netpbmFiles[] = {"netpbm8.pcx", "netpbm24.pcx", "netpbm-planes4.pcx", "netpbm-packed4.pcx",
                                 "netpbm-packed2.pcx"};
    TBrelvixIO io(nullptr);
    for (const char* name : netpbmFiles) {
        io.LoadFromFile(Path(name));
        ASSERT_FALSE(io.Aborting()) << name;
        const std::string ours = RgbBytes(*io.Bitmap());
        EXPECT_EQ(ours, MagickRgb(Path(name))) << name;
        EXPECT_EQ(ours, NetpbmRgb(Path(name))) << name;
    }
    io.LoadFromFile(Path("netpbm1.pcx"));
    EXPECT_EQ(RgbBytes(*io.Bitmap()), NetpbmRgb(Path("netpbm1.pcx")));
    EXPECT_EQ(RgbBytes(*io.Bitmap()), MagickRgb(Path("bits.pbm")));
    for (const char* name : {"magick8.pcx", "magick24.pcx"}) {
        io.LoadFromFile(Path(name));
        ASSERT_FALSE(io.Aborting()) << name;
        EXPECT_EQ(RgbBytes(*io.Bitmap()), MagickRgb(Path(name))) << name;
    }
    io.LoadFromFile(Path("magick-rgba.pcx"));
    ASSERT_TRUE(io.Bitmap()->HasAlphaChannel());
    EXPECT_EQ(RgbBytes(*io.Bitmap(), true), CommandOutput("convert " + Path("magick-rgba.pcx") + " -depth 8 rgba:-"));
    io.LoadFromFile(SdlSample);
    ASSERT_FALSE(io.Aborting());
    EXPECT_EQ(RgbBytes(*io.Bitmap()), MagickRgb(SdlSample));
}

TEST_F(PcxFiles, EveryPageOfImageMagicksDcx)
{
    TMemoryStream stream;
    FillStream(stream, FileContent(Path("three.dcx")));
    EXPECT_EQ(DetectStreamFormat(stream), ioDCX);
    TBrelvixIO io(nullptr);
    for (int page = 0; page < 3; ++page) {
        io.Params().DcxImageIndex = page;
        io.LoadFromFile(Path("three.dcx"));
        ASSERT_FALSE(io.Aborting()) << page;
        EXPECT_EQ(io.Params().ImageCount, 3);
        EXPECT_EQ(RgbBytes(*io.Bitmap()), MagickRgb(Path("three.dcx") + "[" + std::to_string(page) + "]")) << page;
    }
}

// Each depth the writer makes is read by ImageMagick, pcxtoppm and our
// reader alike; at 24 bits and at 8 bits of 200 colours the image is kept.
TEST_F(PcxFiles, WrittenFilesReadAlikeEverywhere)
{
    const struct {
        const char* Source;
        int32_t Bits;
        int32_t Samples;
        bool Compressed;
        bool Exact;
    } cases[] = {
        {"bits.pbm", 1, 1, true, true},   {"few16.ppm", 4, 1, true, true},   {"palette.ppm", 8, 1, true, true},
        {"colour.ppm", 8, 3, true, true}, {"colour.ppm", 8, 3, false, true}, {"colour.ppm", 4, 1, true, false},
    };
    TBrelvixIO io(nullptr);
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.Source) + " at " + std::to_string(c.Bits * c.Samples));
        io.LoadFromFile(Path(c.Source));
        io.Params().BitsPerSample = c.Bits;
        io.Params().SamplesPerPixel = c.Samples;
        io.Params().PcxCompression = c.Compressed;
        const std::string target = Path("ours.pcx");
        io.SaveToFile(target);
        ASSERT_FALSE(io.Aborting());
        io.LoadFromFile(target);
        ASSERT_FALSE(io.Aborting());
        const std::string ours = RgbBytes(*io.Bitmap());
        if (c.Exact) {
            EXPECT_EQ(ours, MagickRgb(Path(c.Source)));
        }
        if (c.Compressed) { // pcxtoppm reads run-length files only
            EXPECT_EQ(ours, NetpbmRgb(target));
        }
        if (c.Bits > 1) {
            EXPECT_EQ(ours, MagickRgb(target));
        }
    }
}

TEST_F(PcxFiles, CutAndGarbledFilesFailCleanly)
{
    TBrelvixIO io(nullptr);
    for (const char* name : {"netpbm8.pcx", "netpbm24.pcx", "magick-rgba.pcx", "three.dcx"}) {
        const std::string file = FileContent(Path(name));
        const int32_t fileType = std::string(name).ends_with("dcx") ? ioDCX : ioPCX;
        for (const size_t keep : {size_t(0), size_t(100), size_t(200), file.size() / 2}) {
            io.LoadFromBuffer(file.data(), int64_t(keep), fileType);
            // Cut run-length data loads with what it has.
            if (keep > 900 && fileType == ioPCX && std::string(name) != "netpbm8.pcx") {
                EXPECT_FALSE(io.Aborting()) << name << " cut to " << keep;
            }
        }
        std::string garbled = file;
        for (size_t i = 130; i < garbled.size(); i += 7)
            garbled[i] = char(0xC0 | (i & 0x3F));
        io.LoadFromBuffer(garbled.data(), int64_t(garbled.size()), fileType);
    }
}
