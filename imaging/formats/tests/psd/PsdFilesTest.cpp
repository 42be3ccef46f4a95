#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

#include "imaging/core/QkFileStreams.h"
#include "imaging/core/QkIOParams.h"
#include "imaging/core/QkView.h"
#include "imaging/formats/BrelvixIO.h"
#include "imaging/formats/QkFormatDetection.h"
#include "imaging/formats/psd/QkPsd.h"
#include "imaging/formats/tests/FormatsTestSupport.h"
#include "imaging/formats/tests/OracleTestSupport.h"

namespace {

// Photoshop files written by ImageMagick into the build tree.
const std::string Folder = std::string(TEST_BINARY_DIR) + "/psd-files-" + std::to_string(getpid());

std::string Path(const std::string& name) { return Folder + "/" + name; }

// ImageMagick's 8-bit samples, or the high bytes of its 16-bit ones (the
// reader keeps the high byte when it reduces the depth).
std::string MagickRgba(const std::string& path, bool sixteen = false)
{
    if (!sixteen)
        return CommandOutput("convert '" + path + "' -depth 8 rgba:-");
    const std::string words = CommandOutput("convert '" + path + "' -depth 16 -endian MSB rgba:-");
    std::string high;
    for (size_t i = 0; i < words.size(); i += 2)
        high.push_back(words[i]);
    return high;
}

// 16-bit samples, red, green, blue, big-endian, as ImageMagick's rgb:.
std::string Rgb48Bytes(TQkBitmap& bitmap)
{
    std::string bytes;
    for (int32_t y = 0; y < bitmap.GetHeight(); ++y) {
        const uint8_t* line = bitmap.GetScanline(y);
        for (int32_t x = 0; x < bitmap.GetWidth() * 3; ++x)
            bytes += {char(line[2 * x + 1]), char(line[2 * x])};
    }
    return bytes;
}

class PsdFiles : public FormatsTest {
protected:
    static void SetUpTestSuite()
    {
        const std::string f = Folder + "/";
        const std::string alpha = " -alpha set -channel A -fx 'j/h' +channel ";
        MakeFiles(Folder,
                  {
                      "convert -size 37x23 gradient:red-blue -swirl 90 -depth 8 " + f + "colour.ppm",
                      "convert " + f + "colour.ppm -compress None " + f + "rgb-none.psd",
                      "convert " + f + "colour.ppm -compress RLE " + f + "rgb-rle.psd",
                      "convert " + f + "colour.ppm -compress Zip " + f + "rgb-zip.psd",
                      "convert " + f + "colour.ppm" + alpha + "-depth 8 -compress Zip " + f + "rgba-zip.psd",
                      "convert " + f + "colour.ppm" + alpha + "-depth 8 -compress RLE " + f + "rgba-rle.psd",
                      "convert -size 37x23 gradient:red-blue -swirl 90 -depth 16 " + f + "rgb16.psd",
                      "convert -size 37x23 gradient:red-blue -swirl 90" + alpha + "-depth 16 -compress Zip " + f +
                          "rgba16-zip.psd",
                      "convert " + f + "colour.ppm -colorspace gray " + f + "gray.psd",
                      "convert " + f + "colour.ppm -colorspace gray" + alpha + "-compress Zip " + f + "graya.psd",
                      "convert " + f + "colour.ppm -colorspace cmyk " + f + "cmyk.psd",
                      "convert " + f + "colour.ppm -colors 12 -depth 8 " + f + "few.ppm",
                      "convert " + f + "few.ppm -type palette " + f + "indexed.psd",
                      "convert -size 30x20 xc:'#ffeedd' \\( -size 10x8 xc:red -repage +5+3 \\) \\( " + f +
                          "colour.ppm -repage +12+4" + alpha + "\\) -depth 8 " + f + "layered.psd",
                      "convert -size 30x20 xc:'#ffeedd' \\( -size 10x8 xc:red -repage +5+3 \\) \\( " + f +
                          "colour.ppm -repage -3+9" + alpha + "\\) -depth 8 -compress Zip " + f + "layered-zip.psd",
                  });
    }
    static void TearDownTestSuite() { std::filesystem::remove_all(Folder); }
};

} // namespace

// ImageMagick composes the merged image of a document with transparency
// differently from what the file stores, so those documents are compared
// with their single layer, which holds the same pixels; its indexed
// documents it cannot read back, so those are compared with their source.
TEST_F(PsdFiles, MergedImageEqualsImageMagicks)
{
    const struct {
        const char* Name;
        std::string Oracle;
        bool Sixteen;
    } cases[] = {
        {"rgb-none.psd", "rgb-none.psd[0]", false},
        {"rgb-rle.psd", "rgb-rle.psd[0]", false},
        {"rgb-zip.psd", "rgb-zip.psd[0]", false},
        {"rgba-zip.psd", "rgba-zip.psd[1]", false},
        {"rgba-rle.psd", "rgba-rle.psd[1]", false},
        {"rgb16.psd", "rgb16.psd[0]", true},
        {"gray.psd", "gray.psd[0]", false},
        {"graya.psd", "graya.psd[1]", false},
        {"indexed.psd", "few.ppm", false},
        {"layered.psd", "layered.psd[0]", false},
        {"layered-zip.psd", "layered-zip.psd[0]", false},
    };
    TBrelvixIO io(nullptr);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TMemoryStream stream;
        FillStream(stream, FileContent(Path(c.Name)));
        EXPECT_EQ(DetectStreamFormat(stream), ioPSD);
        io.LoadFromFile(Path(c.Name));
        ASSERT_FALSE(io.Aborting());
        EXPECT_EQ(io.Params().FileType, ioPSD);
        EXPECT_EQ(Difference(RgbBytes(*io.Bitmap(), true), MagickRgba(Path(c.Oracle), c.Sixteen)), "");
    }
}

TEST_F(PsdFiles, NativeFormatsKeepTheStoredSamples)
{
    TBrelvixIO io(nullptr);
    io.Params().NativePixelFormat = true;
    io.LoadFromFile(Path("rgb16.psd"));
    ASSERT_EQ(io.Bitmap()->GetPixelFormat(), qkRGB48);
    EXPECT_EQ(
        Difference(Rgb48Bytes(*io.Bitmap()), CommandOutput("convert " + Path("rgb16.psd[0]") + " -endian MSB rgb:-")),
        "");
    io.LoadFromFile(Path("cmyk.psd"));
    ASSERT_EQ(io.Bitmap()->GetPixelFormat(), qkCMYK);
    const std::string cmyk = CommandOutput("convert " + Path("cmyk.psd[0]") + " -depth 8 cmyk:-");
    std::string ours;
    for (int32_t y = 0; y < io.Bitmap()->GetHeight(); ++y)
        for (int32_t i = 0; i < io.Bitmap()->GetWidth() * 4; ++i)
            ours.push_back(char(255 - io.Bitmap()->GetScanline(y)[i]));
    EXPECT_EQ(Difference(ours, cmyk), "");
    io.Params().NativePixelFormat = false;
    io.LoadFromFile(Path("rgb16.psd"));
    EXPECT_EQ(io.Bitmap()->GetPixelFormat(), qk24RGB);
}

TEST_F(PsdFiles, EachLayerEqualsImageMagicksAtItsOffset)
{
    for (const char* name : {"layered.psd", "layered-zip.psd", "rgba16-zip.psd"}) {
        SCOPED_TRACE(name);
        TMemoryStream stream;
        FillStream(stream, FileContent(Path(name)));
        TQkBitmap bitmap;
        TIOParamsVals params(nullptr);
        std::atomic<bool> aborting = false;
        TQkFilterProgress progress;
        progress.Aborting = &aborting;
        TQkReadRequest request(stream, bitmap, params, progress);
        TQkLayerList layers;
        ReadPsdImage(request, true, &layers);
        ASSERT_FALSE(aborting);
        EXPECT_TRUE(bitmap.IsEmpty());
        const std::string count = CommandOutput("identify " + Path(name) + " | wc -l");
        ASSERT_EQ(layers.size() + 1, size_t(std::stoi(count)));
        for (size_t i = 0; i < layers.size(); ++i) {
            const std::string layer = Path(name) + "[" + std::to_string(i + 1) + "]";
            EXPECT_EQ(CommandOutput("identify -format '%X%Y' '" + layer + "'"),
                      (layers[i]->PosX() < 0 ? "" : "+") + std::to_string(layers[i]->PosX()) + "+" +
                          std::to_string(layers[i]->PosY()));
            EXPECT_EQ(Difference(RgbBytes(*layers[i]->Bitmap(), true), MagickRgba(layer, params.BitsPerSample == 16)),
                      "")
                << i;
        }
    }
}

// ImageMagick reads what we write: the merged image, and each layer at its
// offset with its alpha channel.
TEST_F(PsdFiles, ImageMagickReadsOurFilesBack)
{
    TMemoryStream source;
    FillStream(source, FileContent(Path("layered.psd")));
    TQkBitmap merged;
    TIOParamsVals params(nullptr);
    std::atomic<bool> aborting = false;
    TQkFilterProgress progress;
    progress.Aborting = &aborting;
    TQkReadRequest read(source, merged, params, progress);
    TQkLayerList layers;
    ReadPsdImage(read, false, &layers);
    source.SetPosition(0);
    TQkBitmap unused;
    TQkReadRequest readLayers(source, unused, params, progress);
    ReadPsdImage(readLayers, true, &layers);
    ASSERT_EQ(layers.size(), 2u);
    const std::string written = Path("ours-layered.psd");
    {
        TQkWideFileStream file(written, fmCreate);
        TQkWriteRequest write{file, merged, params, progress};
        WritePsdImage(write, layers);
    }
    ASSERT_FALSE(aborting);
    EXPECT_EQ(CommandOutput("identify -format '%W%H%X%Y,' " + written),
              CommandOutput("identify -format '%W%H%X%Y,' " + Path("layered.psd")));
    EXPECT_EQ(Difference(MagickRgba(written + "[0]"), MagickRgba(Path("layered.psd[0]"))), "");
    for (size_t i = 0; i < layers.size(); ++i)
        EXPECT_EQ(
            Difference(MagickRgba(written + "[" + std::to_string(i + 1) + "]"), RgbBytes(*layers[i]->Bitmap(), true)),
            "")
            << i;

    TBrelvixIO io(nullptr);
    io.LoadFromFile(Path("colour.ppm"));
    io.SaveToFile(Path("ours.psd"));
    ASSERT_FALSE(io.Aborting());
    EXPECT_EQ(Difference(MagickRgba(Path("ours.psd")), MagickRgba(Path("colour.ppm"))), "");
    io.LoadFromFile(Path("ours.psd"));
    EXPECT_EQ(Difference(RgbBytes(*io.Bitmap()), MagickRgb(Path("colour.ppm"))), "");
}
