#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

#include "imaging/core/QkIOParams.h"
#include "imaging/formats/BrelvixIO.h"
#include "imaging/formats/tests/FormatsTestSupport.h"
#include "imaging/formats/tests/OracleTestSupport.h"
#include "imaging/formats/tests/tiff/TiffTestSupport.h"

namespace {

// TIFF pages written by ImageMagick and re-encoded by tiffcp in the build tree.
const std::string Folder = std::string(TEST_BINARY_DIR) + "/tiff-files-" + std::to_string(getpid());

std::string Path(const std::string& name) { return Folder + "/" + name; }

struct TCopyCase {
    const char* Source;
    const char* Options;
    // Lossy pages may differ by this much per sample.
    int Tolerance = 0;
};

const TCopyCase CopyCases[] = {
    {"rgb", "-c none"},
    {"rgb", "-c lzw:2"},
    {"rgb", "-c zip:2"},
    {"rgb", "-c packbits"},
    {"rgb", "-c jpeg", 3},
    {"rgb", "-c lzw -p separate"},
    {"rgb", "-c zip -t -w 16 -l 16"},
    {"rgb", "-c none -r 7"},
    {"rgb", "-c lzw:2 -B"},
    {"rgb", "-c packbits -f lsb2msb"},
    {"gray", "-c none"},
    {"gray", "-c lzw:2 -B"},
    {"gray", "-c zip -t -w 16 -l 16"},
    {"gray", "-c jpeg", 3},
    {"rgb16", "-c none"},
    {"rgb16", "-c lzw:2 -B"},
    {"rgb16", "-c zip:2 -t -w 16 -l 16"},
    {"palette", "-c none"},
    {"palette", "-c lzw"},
    {"palette", "-c packbits -t -w 16 -l 16"},
    {"gray4", "-c none"},
    {"gray4", "-c lzw -B"},
    {"bits", "-c none"},
    {"bits", "-c lzw"},
    {"bits", "-c packbits -f lsb2msb"},
    {"bits", "-c g3:1d"},
    {"bits", "-c g3:2d:fill"},
    {"bits", "-c g4"},
    {"bits", "-c g4 -f lsb2msb"},
    {"bits", "-c g4 -t -w 16 -l 16"},
};

// CMYK goes to RGB through the library's printer profile, so the inks are
// compared instead.
const char* const CmykOptions[] = {"-c none", "-c lzw:2 -p separate", "-c packbits -t -w 16 -l 16"};

// Bilevel pages of either photometric sense, raw and fax-coded.
const char* const PolarityOptions[] = {"-c none", "-c lzw", "-c g3", "-c g4"};

std::string PolarityName(const std::string& options, int photometric)
{
    return "polarity" + std::to_string(photometric) + options.substr(3) + ".tif";
}

std::string CaseName(const TCopyCase& c)
{
    std::string name = std::string(c.Source) + c.Options;
    for (char& ch : name)
        if (ch == ' ' || ch == ':' || ch == '-')
            ch = '_';
    return name + ".tif";
}

class TiffFiles : public FormatsTest {
protected:
    static void SetUpTestSuite()
    {
        const std::string f = Folder + "/";
        std::vector<std::string> commands = {
            "convert -size 45x37 gradient:orange-navy -swirl 120 -depth 8 -compress none " + f + "rgb.tif",
            "convert " + f + "rgb.tif -colorspace gray -depth 8 -compress none " + f + "gray.tif",
            "convert " + f + "rgb.tif -depth 16 -compress none " + f + "rgb16.tif",
            "convert " + f + "rgb.tif -colors 100 -type palette -compress none " + f + "palette.tif",
            "convert " + f + "gray.tif -depth 4 -compress none " + f + "gray4.tif",
            "convert " + f + "gray.tif -threshold 50% -type bilevel -depth 1 -compress none " + f + "bits.tif",
            "convert " + f + "rgb.tif -colorspace cmyk -depth 8 -compress none " + f + "cmyk.tif",
            "convert " + f + "rgb.tif \\( -size 45x37 gradient: \\) -alpha off -compose copy_opacity -composite " +
                "-compress none " + f + "rgba.tif",
        };
        for (const char* options : PolarityOptions)
            for (int photometric : {0, 1}) {
                const std::string name = f + PolarityName(options, photometric);
                commands.push_back("tiffcp " + std::string(options) + " " + f + "bits.tif " + name +
                                   " && tiffset -s 262 " + std::to_string(photometric) + " " + name);
            }
        for (const char* options : CmykOptions)
            commands.push_back("tiffcp " + std::string(options) + " " + f + "cmyk.tif " + f +
                               CaseName({"cmyk", options}));
        for (const TCopyCase& c : CopyCases)
            commands.push_back("tiffcp " + std::string(c.Options) + " " + f + c.Source + ".tif " + f + CaseName(c));
        MakeFiles(Folder, commands);
    }
    static void TearDownTestSuite() { std::filesystem::remove_all(Folder); }
};

// Native formats go through the bitmap's own conversion to compare.
TQkBitmap& AsRgb(TQkBitmap& bitmap)
{
    const TQkPixelFormat format = bitmap.GetPixelFormat();
    if (format != qk1g && format != qk8p && format != qk24RGB)
        bitmap.ConvertToPixelFormat(qk24RGB);
    return bitmap;
}

} // namespace

TEST_F(TiffFiles, PixelsEqualLibtiffWithAndWithoutNativeFormats)
{
    for (const TCopyCase& c : CopyCases) {
        const std::string path = Path(CaseName(c));
        const std::string theirs = LibtiffRgb(path);
        for (bool native : {false, true}) {
            TBrelvixIO io(nullptr);
            io.Params().NativePixelFormat = native;
            io.LoadFromFile(path);
            EXPECT_FALSE(io.Aborting()) << path << " native " << native;
            const std::string ours = RgbBytes(AsRgb(*io.Bitmap()));
            if (c.Tolerance == 0)
                EXPECT_EQ(Difference(ours, theirs), "") << path << " native " << native;
            else
                EXPECT_LE(LargestDifference(ours, theirs), c.Tolerance) << path << " native " << native;
        }
    }
}

TEST_F(TiffFiles, CmykPagesKeepTheirInks)
{
    for (const char* options : CmykOptions) {
        const std::string path = Path(CaseName({"cmyk", options}));
        std::string inks = CommandOutput("convert " + path + " -depth 8 cmyk:-");
        for (char& ink : inks)
            ink = char(255 - uint8_t(ink));
        TBrelvixIO io(nullptr);
        io.Params().NativePixelFormat = true;
        io.LoadFromFile(path);
        ASSERT_FALSE(io.Aborting()) << path;
        TQkBitmap& bitmap = *io.Bitmap();
        ASSERT_EQ(bitmap.GetPixelFormat(), qkCMYK) << path;
        std::string stored;
        for (int32_t y = 0; y < bitmap.GetHeight(); ++y)
            stored.append(reinterpret_cast<const char*>(bitmap.GetScanline(y)), size_t(bitmap.GetWidth()) * 4);
        EXPECT_EQ(Difference(stored, inks), "") << path;
    }
}

TEST_F(TiffFiles, BilevelPolarityFollowsThePhotometricForEveryCompression)
{
    for (const char* options : PolarityOptions)
        for (int photometric : {0, 1}) {
            const std::string path = Path(PolarityName(options, photometric));
            TBrelvixIO io(nullptr);
            io.LoadFromFile(path);
            ASSERT_FALSE(io.Aborting()) << path;
            EXPECT_EQ(Difference(RgbBytes(*io.Bitmap()), LibtiffRgb(path)), "") << path;
        }
}

TEST_F(TiffFiles, AlphaGoesToTheAlphaChannelUnlessIgnored)
{
    const std::string path = Path("rgba.tif");
    TBrelvixIO io(nullptr);
    io.LoadFromFile(path);
    ASSERT_FALSE(io.Aborting());
    ASSERT_TRUE(io.Bitmap()->HasAlphaChannel());
    EXPECT_EQ(Difference(RgbBytes(*io.Bitmap(), true), CommandOutput("convert " + path + " -depth 8 rgba:-")), "");
}
