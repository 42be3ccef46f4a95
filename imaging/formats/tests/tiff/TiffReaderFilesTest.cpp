#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
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

// Pages made by other writers: ImageMagick's Lab, gray with alpha and
// associated alpha (ExtraSamples 1), fax2tiff's G3 page, and the sample TIFFs
// of Go's image library and SDL2_image, read where their packages put them.
enum TOracle { LibtiffRgb8, MagickRgb8, MagickRgba };

struct TFileCase {
    std::string Path;
    TOracle Oracle = LibtiffRgb8;
    int Tolerance = 0;
};

const std::string GoImages = "/usr/share/gocode/src/golang.org/x/image/testdata/";

std::vector<TFileCase> FileCases()
{
    std::vector<TFileCase> cases = {
        // libtiff turns Lab into RGB for its own display model, up to 32
        // levels from the sRGB source; ImageMagick stays within 10 of it.
        {Path("lab.tif"), MagickRgb8, 4},
        {Path("graya.tif"), MagickRgba},
        {Path("associated.tif"), LibtiffRgb8, 1},
        {Path("fax2tiff.tif")},
        {"/usr/libexec/installed-tests/SDL2_image/sample.tif"},
        {GoImages + "no_compress.tiff", MagickRgba},
        {GoImages + "no_rps.tiff", MagickRgba},
    };
    for (const char* name :
         {"blue-purple-pink.lzwcompressed", "bw-deflate", "bw-gopher_ccittGroup3", "bw-gopher_ccittGroup4",
          "bw-packbits", "bw-uncompressed", "video-001-16bit", "video-001-gray-16bit", "video-001-gray",
          "video-001-paletted", "video-001-strip-64", "video-001-tile-64x64", "video-001-uncompressed", "video-001"})
        cases.push_back({GoImages + name + ".tiff"});
    return cases;
}

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
            "convert " + f + "rgb.tif -colorspace Lab -compress none " + f + "lab.tif",
            "convert " + f + "gray.tif \\( -size 45x37 gradient: \\) -alpha off -compose copy_opacity -composite " +
                "-compress none " + f + "graya.tif",
            // The colours are multiplied by alpha on writing.
            "convert " + f + "rgba.tif -define tiff:alpha=associated -compress lzw " + f + "associated.tif",
            "convert " + f + "bits.tif fax:" + f + "bits.g3 && fax2tiff -M -o " + f + "fax2tiff.tif " + f + "bits.g3",
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

TEST_F(TiffFiles, OtherWritersPagesEqualTheirReferenceWithAndWithoutNativeFormats)
{
    for (const TFileCase& c : FileCases()) {
        const bool alpha = c.Oracle == MagickRgba;
        const std::string theirs = c.Oracle == LibtiffRgb8
            ? LibtiffRgb(c.Path)
            : CommandOutput("convert " + c.Path + " -depth 8 " + (alpha ? "rgba:-" : "rgb:-"));
        for (bool native : {false, true}) {
            TBrelvixIO io(nullptr);
            io.Params().NativePixelFormat = native;
            io.LoadFromFile(c.Path);
            EXPECT_FALSE(io.Aborting()) << c.Path << " native " << native;
            const std::string ours = RgbBytes(AsRgb(*io.Bitmap()), alpha);
            EXPECT_LE(LargestDifference(ours, theirs), c.Tolerance) << c.Path << " native " << native;
        }
    }
}

// The parameters' codes of the Compression tag's values; G3 splits by the
// 2-D bit of its options.
int CompressionCode(int tag, int group3Options)
{
    const std::map<int, int> codes = {{1, 0}, {2, 1}, {3, 2},  {4, 4},     {5, 5},
                                      {6, 6}, {7, 7}, {8, 10}, {32773, 8}, {32946, 9}};
    return tag == 3 && (group3Options & 1) ? 3 : codes.at(tag);
}

TEST_F(TiffFiles, ParametersEqualTiffdump)
{
    std::vector<std::string> paths;
    for (const TCopyCase& c : CopyCases)
        paths.push_back(Path(CaseName(c)));
    for (const TFileCase& c : FileCases())
        paths.push_back(c.Path);
    for (const std::string& path : paths) {
        std::map<int, std::string> tags = TiffdumpTags(path);
        const auto first = [&tags](int tag, int fallback) {
            return tags.contains(tag) ? std::stoi(tags[tag]) : fallback;
        };
        TBrelvixIO io(nullptr);
        io.ParamsFromFile(path);
        ASSERT_FALSE(io.Aborting()) << path;
        const TIOParamsVals& params = io.Params();
        EXPECT_EQ(params.Width, first(256, 0)) << path;
        EXPECT_EQ(params.Height, first(257, 0)) << path;
        EXPECT_EQ(params.BitsPerSample, first(258, 1)) << path;
        EXPECT_EQ(params.SamplesPerPixel, first(277, 1)) << path;
        EXPECT_EQ(params.TiffCompression, CompressionCode(first(259, 1), first(292, 0))) << path;
        // Lab (8) has the parameters' code 7.
        EXPECT_EQ(params.TiffPhotometric, first(262, 0) == 8 ? 7 : first(262, 0)) << path;
        EXPECT_EQ(params.TiffPlanarConfig, first(284, 1)) << path;
        EXPECT_EQ(params.TiffFillOrder, first(266, 1)) << path;
        EXPECT_EQ(params.TiffByteOrder, CommandOutput("head -c 2 " + path) == "II") << path;
        // tiffdump cuts long texts short with " ...".
        std::string name = tags.contains(269) ? tags[269] : "";
        name = name.ends_with(" ...") ? name.substr(0, name.size() - 4) : name.substr(0, name.find("\\0"));
        EXPECT_TRUE(params.TiffDocumentName.starts_with(name)) << path;
        EXPECT_EQ(params.TiffDocumentName.empty(), name.empty()) << path;
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
