#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "imaging/core/QkColorRoutines.h"
#include "imaging/formats/jpeg/QkJpeg.h"
#include "imaging/formats/tests/FormatsTestSupport.h"
#include "imaging/formats/tests/OracleTestSupport.h"
#include "imaging/formats/tests/jpeg/JpegFilesTest.h"

namespace {

// The bitmap of a PPM file, through the library's own decoding of it.
void LoadPpm(const std::string& path, TQkBitmap& bitmap)
{
    int width = 0, height = 0;
    const std::string file(reinterpret_cast<const char*>(ReadFileBytes(path).data()), ReadFileBytes(path).size());
    const std::vector<uint8_t> samples = NetpbmSamples(file, width, height);
    bitmap.Allocate(width, height, qk24RGB);
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* row = bitmap.GetScanline(y);
        for (int32_t x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c)
                row[x * 3 + c] = samples[size_t(y * width + x) * 3 + size_t(2 - c)];
    }
}

std::string Decoded(const std::vector<uint8_t>& jpeg)
{
    const std::string path = JpegFolder() + "/decode.jpg";
    WriteFileBytes(path, jpeg);
    return CommandOutput("djpeg -pnm " + path);
}

// The marker types of a file, up to its first scan.
std::vector<uint8_t> MarkerWalk(const std::vector<uint8_t>& jpeg)
{
    std::vector<uint8_t> types;
    for (size_t at = 2; at + 4 <= jpeg.size() && jpeg[at] == 0xFF && jpeg[at + 1] != 0xDA;
         at += 2 + size_t(jpeg[at + 2] << 8 | jpeg[at + 3]))
        types.push_back(jpeg[at + 1]);
    return types;
}

struct TEncodeCase {
    const char* Options;
    uint8_t ColorSpace;
    int32_t Quality;
    uint8_t DctMethod;
    bool Optimize;
    int32_t Smoothing;
    uint8_t Subsampling;
    bool Progressive;
};

class JpegWriterTest : public FilterTest {
protected:
    std::vector<uint8_t> Write()
    {
        const std::string bytes = WriteWith(WriteJpegFile);
        return {bytes.begin(), bytes.end()};
    }
};

TEST_F(JpegWriterTest, EncodesAsTheLibrarysOwnToolWithTheSameSettings)
{
    const TEncodeCase cases[] = {
        {"-quality 80 -sample 2x2", 2, 80, 0, false, 0, 1, false},
        {"-quality 90 -sample 2x1", 2, 90, 0, false, 0, 0, false},
        {"-quality 60 -sample 1x1 -dct fast", 2, 60, 1, false, 0, 2, false},
        {"-quality 75 -sample 2x2 -dct float -optimize", 2, 75, 2, true, 0, 1, false},
        {"-quality 85 -sample 2x2 -smooth 30", 2, 85, 0, false, 30, 1, false},
        {"-quality 70 -sample 2x2 -progressive", 2, 70, 0, false, 0, 1, true},
        {"-quality 80 -grayscale", 1, 80, 0, false, 0, 1, false},
        {"-quality 80 -rgb", 0, 80, 0, false, 0, 1, false},
    };
    const std::string source = SourcePpm();
    for (const TEncodeCase& test : cases) {
        SCOPED_TRACE(test.Options);
        LoadPpm(source, bitmap);
        params.JpegColorSpace = test.ColorSpace;
        params.JpegQuality = test.Quality;
        params.JpegDCTMethod = test.DctMethod;
        params.JpegOptimalHuffman = test.Optimize;
        params.JpegSmooth = test.Smoothing;
        params.JpegChromaSubsampling = test.Subsampling;
        params.JpegProgressive = test.Progressive;
        const std::vector<uint8_t> ours = Write();
        ASSERT_FALSE(aborting);
        EXPECT_TRUE(Decoded(ours) == Decoded(Cjpeg(test.Options, source)));
    }
}

// cjpeg takes no CMYK input, so the ink files are held against ImageMagick:
// it encodes the inks the library's own conversion gives the source (inverted,
// as Adobe files store them) at the same quality, in the same colour space and
// sampling (the library halves YCCK's two colour-difference channels), and both
// files must decode to the same samples, within the encoders' rounding.
TEST_F(JpegWriterTest, InkFilesDecodeAsImageMagicksOwn)
{
    LoadPpm(SourcePpm(), bitmap);
    const int32_t width = bitmap.GetWidth();
    std::string inverted(size_t(width) * bitmap.GetHeight() * 4, '\0');
    for (int32_t y = 0; y < bitmap.GetHeight(); ++y)
        ConvertColorRow(bitmap.GetScanline(y), ckBGR, &inverted[size_t(y) * width * 4], &params, width, ckCMYK);
    for (char& ink : inverted)
        ink = char(255 - uint8_t(ink));
    const std::string inks = JpegFolder() + "/inks.cmyk";
    WriteFileBytes(inks, std::vector<uint8_t>(inverted.begin(), inverted.end()));
    params.JpegQuality = 100;
    const std::string ours = JpegFolder() + "/ours-inks.jpg", theirs = JpegFolder() + "/magick-inks.jpg";
    const std::string size = std::to_string(width) + "x" + std::to_string(bitmap.GetHeight());
    for (const auto& [space, define] :
         {std::pair{uint8_t(3), ""},
          std::pair{uint8_t(4), "-define jpeg:colorspace=11 -sampling-factor 2x2,1x1,1x1,2x2"}}) {
        SCOPED_TRACE(int(space));
        params.JpegColorSpace = space;
        WriteFileBytes(ours, Write());
        ASSERT_FALSE(aborting);
        CommandOutput("convert -size " + size + " -depth 8 cmyk:" + inks + " -quality 100 " + define + " " + theirs);
        const std::string decoded = CommandOutput("convert " + ours + " -depth 8 cmyk:-");
        const std::string expected = CommandOutput("convert " + theirs + " -depth 8 cmyk:-");
        EXPECT_LE(LargestDifference(decoded, expected), 4);
    }
}

TEST_F(JpegWriterTest, DescribesItselfToImageMagick)
{
    LoadPpm(SourcePpm(), bitmap);
    params.DpiX = 0;
    params.DpiY = 150;
    params.JpegChromaSubsampling = 0;
    const std::string path = JpegFolder() + "/ours.jpg";
    WriteFileBytes(path, Write());
    EXPECT_EQ(CommandOutput("identify -format '%[colorspace] %[jpeg:sampling-factor] %x %y %U' " + path),
              "sRGB 2x1,1x1,1x1 " + std::to_string(DefaultDpiX) + " 150 PixelsPerInch");
    params.JpegColorSpace = 3;
    WriteFileBytes(path, Write());
    EXPECT_EQ(CommandOutput("identify -format '%[colorspace]' " + path), "CMYK");
}

TEST_F(JpegWriterTest, WritesListedMarkersInOrderButApp14)
{
    LoadPpm(SourcePpm(), bitmap);
    const std::string xmp = "http://ns.adobe.com/xap/1.0/";
    params.JpegMarkerList.AddMarker(0xE1, reinterpret_cast<const uint8_t*>(xmp.c_str()), uint16_t(xmp.size() + 1));
    const uint8_t exif[] = {'E', 'x', 'i', 'f', 0, 0, 'M', 'M'};
    params.JpegMarkerList.AddMarker(0xE1, exif, sizeof exif);
    const uint8_t adobe[] = {'A', 'd', 'o', 'b', 'e'};
    params.JpegMarkerList.AddMarker(0xEE, adobe, sizeof adobe);
    params.JpegColorSpace = 3;
    const std::vector<uint8_t> jpeg = Write();
    const std::vector<uint8_t> types = MarkerWalk(jpeg);
    // JFIF, the library's Adobe marker, EXIF, XMP, then the tables.
    ASSERT_GE(types.size(), 4u);
    EXPECT_EQ(types[0], 0xE0);
    EXPECT_EQ(types[1], 0xEE);
    EXPECT_EQ(types[2], 0xE1);
    EXPECT_EQ(types[3], 0xE1);
    EXPECT_EQ(std::count(types.begin(), types.end(), 0xEE), 1);
    const size_t exifAt = 2 + 18 + 16;
    EXPECT_EQ(jpeg[exifAt + 4], 'E');
}

TEST_F(JpegWriterTest, RefusesAnOverlongMarkerBeforeWritingAnything)
{
    LoadPpm(SourcePpm(), bitmap);
    const std::vector<uint8_t> big(65534, 'x');
    params.JpegMarkerList.AddMarker(0xE5, big.data(), uint16_t(big.size()));
    TMemoryStream stream;
    aborting = false;
    progress.Aborting = &aborting;
    try {
        WriteJpegImage(stream, bitmap, params, progress);
        FAIL() << "no exception";
    } catch (const EQkJpegException& error) {
        EXPECT_STREQ(error.what(), "Bogus marker length");
    }
    EXPECT_TRUE(aborting);
    EXPECT_EQ(stream.Size(), 0);
}

TEST_F(JpegWriterTest, EmptyBitmapAndShortWriteSetAborting)
{
    Write();
    EXPECT_TRUE(aborting);

    LoadPpm(SourcePpm(300, 300), bitmap);
    TFileStream full("/dev/full", fmOpenWrite);
    aborting = false;
    progress.Aborting = &aborting;
    WriteJpegImage(full, bitmap, params, progress);
    EXPECT_TRUE(aborting);
}

} // namespace
