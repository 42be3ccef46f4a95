#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "imaging/core/QkColorRoutines.h"
#include "imaging/core/QkExifParams.h"
#include "imaging/core/QkICC.h"
#include "imaging/formats/jpeg/QkJpeg.h"
#include "imaging/formats/tests/FormatsTestSupport.h"
#include "imaging/formats/tests/jpeg/JpegFilesTest.h"

namespace {

// The bitmap's samples in file order: red, green, blue for colour.
std::vector<uint8_t> Samples(TQkBitmap& bitmap)
{
    std::vector<uint8_t> samples;
    const int32_t width = bitmap.GetWidth();
    for (int32_t y = 0; y < bitmap.GetHeight(); ++y) {
        const uint8_t* row = bitmap.GetScanline(y);
        if (bitmap.GetPixelFormat() == qk24RGB) {
            for (int32_t x = 0; x < width; ++x)
                samples.insert(samples.end(), {row[x * 3 + 2], row[x * 3 + 1], row[x * 3]});
        } else {
            const size_t bytes = bitmap.GetPixelFormat() == qkCMYK ? 4 : 1;
            samples.insert(samples.end(), row, row + size_t(width) * bytes);
        }
    }
    return samples;
}

std::vector<uint8_t> Djpeg(const std::vector<uint8_t>& jpeg, const std::string& options, int& width, int& height)
{
    const std::string path = JpegFolder() + "/djpeg-input.jpg";
    WriteFileBytes(path, jpeg);
    return NetpbmSamples(CommandOutput("djpeg -pnm " + options + " " + path), width, height);
}

class JpegReaderTest : public FormatsTest {
protected:
    // True when the read did not abort.
    bool Read(const std::vector<uint8_t>& jpeg, TQkJpegReadOptions options = {})
    {
        TMemoryStream stream;
        WriteBytes(stream, jpeg);
        stream.SetPosition(0);
        aborting = false;
        progress.Aborting = &aborting;
        rowsRead = ReadJpegImage(stream, bitmap, params, progress, options);
        return !aborting;
    }

    TQkBitmap bitmap;
    TIOParamsVals params{nullptr};
    TQkFilterProgress progress;
    std::atomic<bool> aborting = false;
    int32_t rowsRead = 0;
};

struct TDecodeCase {
    const char* Encode;
    const char* Decode;
    uint8_t DctMethod;
    uint8_t Scale;
};

TEST_F(JpegReaderTest, DecodesLikeTheLibrarysOwnTool)
{
    const TDecodeCase cases[] = {
        {"-quality 90", "", 0, 1},          {"-progressive", "", 0, 1},          {"-arithmetic", "", 0, 1},
        {"-restart 1", "", 0, 1},           {"-sample 2x2", "", 0, 1},           {"-sample 2x1", "", 0, 1},
        {"-sample 1x1", "", 0, 1},          {"-grayscale", "-rgb", 0, 1},        {"-rgb", "", 0, 1},
        {"-quality 95", "-dct fast", 1, 1}, {"-quality 95", "-dct float", 2, 1}, {"-progressive", "-scale 1/2", 0, 2},
        {"", "-scale 1/4", 0, 3},           {"-sample 2x2", "-scale 1/8", 0, 4},
    };
    for (const TDecodeCase& test : cases) {
        SCOPED_TRACE(std::string(test.Encode) + " / " + test.Decode);
        const std::vector<uint8_t> jpeg = Cjpeg(test.Encode);
        int width = 0, height = 0;
        const std::vector<uint8_t> expected = Djpeg(jpeg, test.Decode, width, height);
        params.JpegDCTMethod = test.DctMethod;
        params.JpegScale = test.Scale;
        ASSERT_TRUE(Read(jpeg));
        EXPECT_EQ(bitmap.GetWidth(), width);
        EXPECT_EQ(bitmap.GetHeight(), height);
        EXPECT_TRUE(Samples(bitmap) == expected);
        EXPECT_EQ(params.JpegWarningCount, 0);
    }
}

// Every sampling from 4:1:0 to 4:4:4, progressive, CMYK, RGB, gray and a
// truncated file, as another encoder wrote them.
TEST_F(JpegReaderTest, DecodesGosTestFilesLikeTheLibrarysOwnTool)
{
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/usr/share/go-1.19/src/image/testdata")) {
        if (entry.path().extension() != ".jpeg")
            continue;
        SCOPED_TRACE(entry.path().filename().string());
        ++files;
        const std::vector<uint8_t> jpeg = ReadFileBytes(entry.path().string());
        const bool cmyk = entry.path().string().find("cmyk") != std::string::npos;
        int width = 0, height = 0;
        std::vector<uint8_t> expected;
        if (cmyk) {
            // djpeg converts CMYK; ImageMagick gives the inks, the file
            // holds their complements.
            const std::string inks = CommandOutput("convert " + entry.path().string() + " -depth 8 cmyk:-");
            for (char ink : inks)
                expected.push_back(uint8_t(255 - uint8_t(ink)));
            width = 150;
            height = 103;
        } else {
            expected = Djpeg(jpeg, "-rgb", width, height);
        }
        TQkJpegReadOptions native;
        native.Native = cmyk;
        EXPECT_TRUE(Read(jpeg, native));
        EXPECT_EQ(bitmap.GetWidth(), width);
        EXPECT_EQ(bitmap.GetHeight(), height);
        EXPECT_TRUE(Samples(bitmap) == expected);
    }
    EXPECT_GT(files, 20);
}

TEST_F(JpegReaderTest, GrayStaysGrayNatively)
{
    const std::vector<uint8_t> jpeg = Cjpeg("-grayscale");
    int width = 0, height = 0;
    const std::vector<uint8_t> expected = Djpeg(jpeg, "", width, height);
    TQkJpegReadOptions native;
    native.Native = true;
    ASSERT_TRUE(Read(jpeg, native));
    EXPECT_EQ(bitmap.GetPixelFormat(), qk8g);
    EXPECT_EQ(params.JpegColorSpace, 1);
    EXPECT_EQ(params.SamplesPerPixel, 1);
    EXPECT_TRUE(Samples(bitmap) == expected);
}

TEST_F(JpegReaderTest, FindsTheImageWithinItsSearchWindowOnly)
{
    const std::vector<uint8_t> jpeg = Cjpeg("");
    for (const auto& [junk, loads] : {std::pair{100, true}, std::pair{150, false}}) {
        std::vector<uint8_t> file(size_t(junk), 0x20);
        file.insert(file.end(), jpeg.begin(), jpeg.end());
        EXPECT_EQ(Read(file), loads) << junk;
    }
    EXPECT_EQ(rowsRead, 0);
}

TEST_F(JpegReaderTest, TakesTheResolutionOfTheJfifHeader)
{
    std::vector<uint8_t> jpeg = Cjpeg("");
    // Units, then the two densities, in the JFIF segment.
    const size_t units = 13;
    jpeg[units] = 2;
    jpeg[units + 1] = jpeg[units + 3] = 0;
    jpeg[units + 2] = jpeg[units + 4] = 100;
    ASSERT_TRUE(Read(jpeg, {.ParamsOnly = true}));
    EXPECT_EQ(params.DpiX, 254);
    EXPECT_EQ(params.DpiY, 254);
}

// The JPEG with EXIF fields that exiftool wrote.
std::vector<uint8_t> WithExif(const std::vector<uint8_t>& jpeg, const std::string& assignments)
{
    const std::string path = JpegFolder() + "/exiftool.jpg";
    WriteFileBytes(path, jpeg);
    CommandOutput("exiftool -q -overwrite_original " + assignments + " " + path);
    return ReadFileBytes(path);
}

TEST_F(JpegReaderTest, FallsBackOnTheExifResolutionWhenJfifGivesAnAspectOnly)
{
    for (const auto& [unit, resolution, expected] : {std::tuple{"inches", 300, 300}, std::tuple{"cm", 100, 254}}) {
        const std::string exif = "-EXIF:ResolutionUnit=" + std::string(unit) +
            " -EXIF:XResolution=" + std::to_string(resolution) + " -EXIF:YResolution=" + std::to_string(resolution);
        const std::string aspectOnly = " -JFIF:ResolutionUnit=None -JFIF:XResolution=1 -JFIF:YResolution=1";
        ASSERT_TRUE(Read(WithExif(Cjpeg(""), exif + aspectOnly)));
        EXPECT_EQ(params.DpiX, expected) << unit;
        EXPECT_EQ(params.DpiY, expected) << unit;
    }
}

TEST_F(JpegReaderTest, TurnsTheImageByItsExifOrientationWhenAsked)
{
    const std::vector<uint8_t> jpeg = WithExif(Cjpeg("", SourcePpm(40, 20)), "-EXIF:Orientation#=6");
    ASSERT_TRUE(Read(jpeg));
    EXPECT_EQ(bitmap.GetWidth(), 40);
    EXPECT_EQ(params.ExifOrientation, 6);
    params.JpegAutoOrient = true;
    ASSERT_TRUE(Read(jpeg));
    EXPECT_EQ(bitmap.GetWidth(), 20);
    EXPECT_EQ(bitmap.GetHeight(), 40);
    EXPECT_EQ(params.ExifOrientation, 1);
}

TEST_F(JpegReaderTest, ScalesDownAutomaticallyWhileCoveringTheWantedSize)
{
    const std::vector<uint8_t> jpeg = Cjpeg("-grayscale", SourcePpm(4000, 3000));
    params.JpegScale = 0;
    params.Width = 500;
    params.Height = 400;
    ASSERT_TRUE(Read(jpeg));
    EXPECT_EQ(params.JpegScaleUsed, 4);
    EXPECT_EQ(bitmap.GetWidth(), 1000);
    EXPECT_EQ(bitmap.GetHeight(), 750);
    EXPECT_EQ(params.StoredWidth, 4000);
}

TEST_F(JpegReaderTest, KeepsTheMarkersButTheFirstApp0)
{
    const std::vector<uint8_t> second = Segment(0xE0, {'S', 'E', 'C', 'O', 'N', 'D'});
    const std::vector<uint8_t> comment = Segment(0xFE, {'h', 'i'});
    std::vector<uint8_t> segments = second;
    segments.insert(segments.end(), comment.begin(), comment.end());
    ASSERT_TRUE(Read(Spliced(Cjpeg(""), segments, true)));
    const TQkMarkerList& markers = params.JpegMarkerList;
    ASSERT_EQ(markers.GetCount(), 2);
    EXPECT_EQ(markers.GetMarkerType(0), 0xE0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(markers.GetMarkerData(0)), 6), "SECOND");
    EXPECT_EQ(markers.GetMarkerType(1), 0xFE);
}

TEST_F(JpegReaderTest, RefusesImagesBeyondTheDecodeLimitBeforeDecoding)
{
    const std::vector<uint8_t> jpeg = Cjpeg("");
    const int64_t limit = DecodePixelLimit;
    DecodePixelLimit = 67 * 45 - 1;
    EXPECT_FALSE(Read(jpeg));
    EXPECT_EQ(rowsRead, 0);
    EXPECT_EQ(params.StoredWidth, 67);
    DecodePixelLimit = limit;
    EXPECT_TRUE(Read(jpeg));
}

TEST_F(JpegReaderTest, StopsQuietlyAfterTheRowsAsked)
{
    const std::vector<uint8_t> jpeg = Cjpeg("", SourcePpm(30, 100));
    ASSERT_TRUE(Read(jpeg, {.RowsToRead = 10}));
    EXPECT_EQ(rowsRead, 10);
}

TEST_F(JpegReaderTest, EndsTruncatedDataWithAWarningAndMissingEndMarkerQuietly)
{
    const std::vector<uint8_t> jpeg = Cjpeg("");
    ASSERT_TRUE(Read({jpeg.begin(), jpeg.end() - 2}));
    EXPECT_EQ(params.JpegWarningCount, 0);
    ASSERT_TRUE(Read({jpeg.begin(), jpeg.begin() + ptrdiff_t(jpeg.size() / 2)}));
    EXPECT_EQ(rowsRead, bitmap.GetHeight());
    EXPECT_GT(params.JpegWarningCount, 0);
    EXPECT_FALSE(Read({jpeg.begin(), jpeg.begin() + 40}));
    EXPECT_FALSE(Read({}));
}

TEST_F(JpegReaderTest, GivesCmykSamplesNativelyAndColourOtherwise)
{
    const std::string cmykPath = JpegFolder() + "/cmyk.jpg";
    for (const char* space : {"CMYK", "YCCK"}) {
        SCOPED_TRACE(space);
        CommandOutput("convert " + SourcePpm() + " -colorspace CMYK " +
                      (std::string(space) == "YCCK" ? "-define jpeg:colorspace=11 " : "") + cmykPath);
        const std::vector<uint8_t> jpeg = ReadFileBytes(cmykPath);
        const std::string inks = CommandOutput("convert " + cmykPath + " -depth 8 cmyk:-");
        TQkJpegReadOptions native;
        native.Native = true;
        ASSERT_TRUE(Read(jpeg, native));
        EXPECT_EQ(bitmap.GetPixelFormat(), qkCMYK);
        const std::vector<uint8_t> samples = Samples(bitmap);
        ASSERT_EQ(samples.size(), inks.size());
        size_t differing = 0;
        for (size_t i = 0; i < samples.size(); ++i)
            differing += samples[i] != uint8_t(255 - uint8_t(inks[i]));
        EXPECT_EQ(differing, 0u);
        ASSERT_TRUE(Read(jpeg));
        EXPECT_EQ(bitmap.GetPixelFormat(), qk24RGB);
        EXPECT_EQ(params.SamplesPerPixel, 4);
        // Converted through the library's CMYK conversion (its printer
        // profile), not ImageMagick's profile-free formula.
        size_t unlike = 0;
        for (int32_t y = 0; y < bitmap.GetHeight(); ++y)
            for (int32_t x = 0; x < bitmap.GetWidth(); ++x) {
                const uint8_t* stored = &samples[size_t(y * bitmap.GetWidth() + x) * 4];
                TRGBPixel expected;
                CmykToRgb(TCMYKPixel{stored[0], stored[1], stored[2], stored[3]}, expected);
                const TRGBPixel pixel = bitmap.GetPixel24(x, y);
                unlike += pixel.r != expected.r || pixel.g != expected.g || pixel.b != expected.b;
            }
        EXPECT_EQ(unlike, 0u);
    }
}

// A profile's bytes split into APP2 chunks: sequence, count, data.
std::vector<uint8_t> IccChunk(uint8_t sequence, uint8_t count, const std::vector<uint8_t>& data)
{
    std::vector<uint8_t> payload{'I', 'C', 'C', '_', 'P', 'R', 'O', 'F', 'I', 'L', 'E', 0, sequence, count};
    payload.insert(payload.end(), data.begin(), data.end());
    return Segment(0xE2, payload);
}

std::vector<uint8_t> Joined(std::initializer_list<std::vector<uint8_t>> parts)
{
    std::vector<uint8_t> joined;
    for (const auto& part : parts)
        joined.insert(joined.end(), part.begin(), part.end());
    return joined;
}

std::vector<uint8_t> LoadedProfile(TIOParamsVals& params)
{
    if (!params.InputICCProfile || !params.InputICCProfile->IsValid())
        return {};
    TMemoryStream saved;
    params.InputICCProfile->SaveToStream(saved, true);
    return StreamBytes(saved);
}

TEST_F(JpegReaderTest, JoinsProfileChunksBySequenceAndRefusesMalformedOnes)
{
    const std::vector<uint8_t> profile = ReadFileBytes("/usr/share/color/icc/Gray.icc");
    ASSERT_GT(profile.size(), 30u);
    const size_t third = profile.size() / 3;
    const std::vector<uint8_t> one(profile.begin(), profile.begin() + ptrdiff_t(third));
    const std::vector<uint8_t> two(profile.begin() + ptrdiff_t(third), profile.begin() + ptrdiff_t(2 * third));
    const std::vector<uint8_t> three(profile.begin() + ptrdiff_t(2 * third), profile.end());
    const std::vector<uint8_t> jpeg = Cjpeg("");
    ASSERT_TRUE(Read(Spliced(jpeg, Joined({IccChunk(2, 3, two), IccChunk(3, 3, three), IccChunk(1, 3, one)}))));
    EXPECT_TRUE(LoadedProfile(params) == profile);

    const std::vector<uint8_t> shortChunk = {0xFF, 0xE2, 0, 10, 'I', 'C', 'C', '_', 'P', 'R', 'O', 'F'};
    const std::vector<std::vector<uint8_t>> malformed = {
        Joined({IccChunk(0, 1, profile)}),
        Joined({IccChunk(2, 1, profile)}),
        Joined({IccChunk(1, 2, one), IccChunk(1, 2, two)}),
        Joined({IccChunk(1, 2, one), IccChunk(2, 3, two)}),
        Joined({IccChunk(1, 3, one), IccChunk(3, 3, three)}),
        Joined({shortChunk, IccChunk(1, 0, profile)}),
    };
    for (size_t i = 0; i < malformed.size(); ++i) {
        params.InputICCProfile.reset();
        EXPECT_TRUE(Read(Spliced(jpeg, malformed[i]))) << i;
        EXPECT_TRUE(LoadedProfile(params).empty()) << i;
    }
}

TEST_F(JpegReaderTest, KeepsAnEmbeddedProfileUnchanged)
{
    const std::string path = JpegFolder() + "/profiled.jpg";
    const std::string profilePath = "/usr/share/color/icc/compatibleWithAdobeRGB1998.icc";
    CommandOutput("convert " + SourcePpm() + " -profile " + profilePath + " " + path);
    ASSERT_TRUE(Read(ReadFileBytes(path)));
    EXPECT_TRUE(LoadedProfile(params) == ReadFileBytes(profilePath));
}

TEST_F(JpegReaderTest, MeasuresTheStreamUpToItsEndMarker)
{
    const std::vector<uint8_t> jpeg = Cjpeg("");
    TMemoryStream stream;
    WriteBytes(stream, Joined({jpeg, {1, 2, 3}}));
    stream.SetPosition(0);
    EXPECT_EQ(GetJpegStreamLength(stream), int64_t(jpeg.size()));
    EXPECT_EQ(stream.Position(), 0);
    TMemoryStream cut;
    WriteBytes(cut, {jpeg.begin(), jpeg.end() - 2});
    cut.SetPosition(0);
    EXPECT_EQ(GetJpegStreamLength(cut), int64_t(jpeg.size() - 2));
}

TEST(JpegMessages, GiveTheLibrarysTextsAndCorruptedBeyond)
{
    EXPECT_EQ(JpegMessageText(11), "Bogus marker length");
    EXPECT_EQ(JpegMessageText(123), "Application transferred too many scanlines");
    EXPECT_EQ(JpegMessageText(124), "Corrupted");
    EXPECT_EQ(JpegMessageText(-1), "Corrupted");
}

} // namespace
