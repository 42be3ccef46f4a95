#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

#include "imaging/core/QkExifParams.h"
#include "imaging/core/QkIOParams.h"
#include "imaging/core/QkStreams.h"
#include "imaging/formats/BrelvixIO.h"
#include "imaging/formats/QkFileFormats.h"
#include "imaging/formats/QkFormatDetection.h"
#include "imaging/formats/tests/FormatsTestSupport.h"
#include "imaging/formats/tests/OracleTestSupport.h"
#include "imaging/formats/tiff/QkTiff.h"
#include "imaging/formats/tiff/QkTiffWriter.h"
#include "platform/core/Streams.h"

namespace {

const std::string Folder = std::string(TEST_BINARY_DIR) + "/tiff-exif-" + std::to_string(getpid());

std::string Path(const std::string& name) { return Folder + "/" + name; }

const std::string AsciiCode("ASCII\0\0\0", 8);
const std::string UnicodeCode("UNICODE\0", 8);

void MakeColour(TQkBitmap& bitmap, int32_t width, int32_t height)
{
    bitmap.Allocate(width, height, qk24RGB);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width * 3; ++x)
            bitmap.GetScanline(y)[x] = uint8_t(x * 3 + y * 7);
}

// A spread of fields of every kind the block carries.
void FillExif(TIOParamsVals& params)
{
    params.ExifHasExifData = true;
    params.ExifImageDescription = "A lake at dawn";
    params.ExifMake = "Brelvix";
    params.ExifModel = "QK-1";
    params.ExifSoftware = "Look@Molli v1.1";
    params.ExifArtist = "Ann";
    params.ExifDateTime = "2024:05:06 07:08:09";
    params.ExifRightsNotice = "(c) Ann";
    params.SetExifXResolution(300);
    params.SetExifYResolution(300);
    params.SetExifOrientation(1);
    params.ExifXPRating = 4;
    params.ExifXPTitle = u"Lake \u00e9t\u00e9";
    params.ExifXPKeywords = u"water;dawn";
    params.ExifWhitePoint = {0.3127, 0.329};
    params.ExifYCbCrPositioning = 2;
    params.SetExifExposureTime(0.004);
    params.SetExifFNumber(5.6);
    params.SetExifExposureProgram(2);
    params.SetExifFlash(16);
    params.SetExifExposureBiasValue(-0.5);
    params.SetExifPixelXDimension(640);
    params.SetExifFileSource(3);
    params.ExifISOSpeedRatings = {200, 0};
    params.ExifExifVersion = "0230";
    params.ExifFlashPixVersion = "0100";
    params.ExifDateTimeOriginal = "2024:05:06 07:08:09";
    params.ExifSubsecTime = "25";
    params.ExifImageUniqueID = "0123456789abcdef";
    params.ExifWhiteBalance = 1;
    params.ExifDigitalZoomRatio = 1.5;
    params.ExifUserComment = u"Hello \u263a";
    params.ExifUserCommentCode = UnicodeCode;
    params.ExifGPSVersionID = "2.2.0.0";
    params.ExifGPSLatitudeRef = "N";
    params.ExifGPSLatitudeDegrees = 48;
    params.ExifGPSLatitudeMinutes = 51;
    params.ExifGPSLatitudeSeconds = 29.5;
    params.ExifGPSLongitudeRef = "E";
    params.ExifGPSLongitudeDegrees = 2;
    params.ExifGPSLongitudeMinutes = 17;
    params.ExifGPSLongitudeSeconds = 40.25;
    params.ExifGPSAltitudeRef = "1";
    params.ExifGPSAltitude = 12.5;
    params.ExifGPSMapDatum = "WGS-84";
    params.ExifGPSDateStamp = "2024:05:06";
}

void ExpectFilled(const TIOParamsVals& params)
{
    EXPECT_TRUE(params.ExifHasExifData);
    EXPECT_EQ(params.ExifImageDescription, "A lake at dawn");
    EXPECT_EQ(params.ExifMake, "Brelvix");
    EXPECT_EQ(params.ExifModel, "QK-1");
    EXPECT_EQ(params.ExifSoftware, "Look@Molli v1.1");
    EXPECT_EQ(params.ExifArtist, "Ann");
    EXPECT_EQ(params.ExifDateTime, "2024:05:06 07:08:09");
    EXPECT_EQ(params.ExifRightsNotice, "(c) Ann");
    EXPECT_DOUBLE_EQ(params.ExifXResolution, 300);
    EXPECT_EQ(params.ExifXPRating, 4);
    EXPECT_EQ(params.ExifXPTitle, u"Lake \u00e9t\u00e9");
    EXPECT_EQ(params.ExifXPKeywords, u"water;dawn");
    EXPECT_NEAR(params.ExifWhitePoint[0], 0.3127, 1e-7);
    EXPECT_EQ(params.ExifYCbCrPositioning, 2);
    EXPECT_NEAR(params.ExifExposureTime, 0.004, 1e-9);
    EXPECT_NEAR(params.ExifFNumber, 5.6, 1e-8);
    EXPECT_EQ(params.ExifExposureProgram, 2);
    EXPECT_EQ(params.ExifFlash, 16);
    EXPECT_NEAR(params.ExifExposureBiasValue, -0.5, 1e-9);
    EXPECT_EQ(params.ExifPixelXDimension, 640);
    EXPECT_EQ(params.ExifFileSource, 3);
    EXPECT_EQ(params.ExifISOSpeedRatings[0], 200);
    EXPECT_EQ(params.ExifExifVersion, "0230");
    EXPECT_EQ(params.ExifFlashPixVersion, "0100");
    EXPECT_EQ(params.ExifDateTimeOriginal, "2024:05:06 07:08:09");
    EXPECT_EQ(params.ExifSubsecTime, "25");
    EXPECT_EQ(params.ExifImageUniqueID, "0123456789abcdef");
    EXPECT_EQ(params.ExifWhiteBalance, 1);
    EXPECT_DOUBLE_EQ(params.ExifDigitalZoomRatio, 1.5);
    EXPECT_EQ(params.ExifUserComment, u"Hello \u263a");
    EXPECT_EQ(params.ExifUserCommentCode, UnicodeCode);
    EXPECT_EQ(params.ExifGPSVersionID, "2.2.0.0");
    EXPECT_EQ(params.ExifGPSLatitudeRef, "N");
    EXPECT_DOUBLE_EQ(params.ExifGPSLatitudeSeconds, 29.5);
    EXPECT_EQ(params.ExifGPSLongitudeRef, "E");
    EXPECT_DOUBLE_EQ(params.ExifGPSLongitudeSeconds, 40.25);
    EXPECT_EQ(params.ExifGPSAltitudeRef, "1");
    EXPECT_DOUBLE_EQ(params.ExifGPSAltitude, 12.5);
    EXPECT_EQ(params.ExifGPSMapDatum, "WGS-84");
    EXPECT_EQ(params.ExifGPSDateStamp, "2024:05:06");
}

class TiffExif : public FormatsTest {
protected:
    static void SetUpTestSuite() { std::filesystem::create_directories(Folder); }
    static void TearDownTestSuite() { std::filesystem::remove_all(Folder); }

    // A page of `bitmap` with the parameters' EXIF, saved as `name`.
    void WritePage(TQkBitmap& bitmap, const std::string& name)
    {
        TMemoryStream stream;
        std::atomic<bool> aborting = false;
        TQkFilterProgress progress;
        progress.Aborting = &aborting;
        ASSERT_EQ(WriteTiffImage(stream, false, &bitmap, progress, params), 1);
        stream.SaveToFile(Path(name));
    }

    TIOParamsVals params{nullptr};
};

std::string Exiftool(const std::string& arguments) { return CommandOutput("exiftool " + arguments); }

} // namespace

TEST_F(TiffExif, ABlockRoundTripsEveryKindOfField)
{
    FillExif(params);
    params.ExifThumbnail = std::make_unique<TQkBitmap>();
    MakeColour(*params.ExifThumbnail, 32, 24);
    std::vector<uint8_t> block;
    ASSERT_TRUE(SaveExifToBuffer(params, block, true));
    ASSERT_GT(block.size(), 6u);
    EXPECT_EQ(std::string(block.begin(), block.begin() + 6), std::string("Exif\0\0", 6));

    TIOParamsVals loaded(nullptr);
    ASSERT_TRUE(LoadExifFromBuffer(block.data(), int64_t(block.size()), loaded));
    ExpectFilled(loaded);
    ASSERT_TRUE(loaded.ExifThumbnail);
    EXPECT_EQ(loaded.ExifThumbnail->GetWidth(), 32);
    EXPECT_EQ(loaded.ExifThumbnail->GetHeight(), 24);

    EXPECT_FALSE(LoadExifFromBuffer(block.data() + 1, int64_t(block.size() - 1), loaded));
    block.resize(20);
    EXPECT_FALSE(LoadExifFromBuffer(block.data(), int64_t(block.size()), loaded));
}

TEST_F(TiffExif, ExiftoolReadsTheFieldsWeWrite)
{
    FillExif(params);
    TQkBitmap bitmap;
    MakeColour(bitmap, 16, 8);
    WritePage(bitmap, "ours.tif");
    const std::string values = Exiftool("-s -s -s -n -Make -Model -Software -XPTitle -UserComment -ExposureTime "
                                        "-FNumber -ISO -GPSVersionID -GPSLatitude -GPSLongitude -GPSAltitude "
                                        "-GPSMapDatum -Rating -ExifVersion -ExposureCompensation -SubSecTime " +
                                        Path("ours.tif"));
    EXPECT_EQ(values,
              "Brelvix\nQK-1\nLook@Molli v1.1\nLake \xc3\xa9t\xc3\xa9\nHello \xe2\x98\xba\n0.004\n5.6\n200\n"
              "2 2 0 0\n48.8581944444444\n2.29451388888889\n-12.5\nWGS-84\n4\n0230\n-0.5\n25\n");
    EXPECT_EQ(Exiftool("-validate -warning -error -a -s -s -s " + Path("ours.tif")).find("Error"), std::string::npos);
}

TEST_F(TiffExif, FieldsExiftoolWroteReadIntoTheParameters)
{
    const std::string path = Path("theirs.tif");
    MakeFiles(Folder,
              {"convert -size 8x8 xc:gray -compress none " + path,
               "exiftool -q -overwrite_original -Make=Brelvix -Model=QK-1 -XPTitle='Lake' "
               "-UserComment='Hello' -ExposureTime=0.004 -FNumber=5.6 -ISO=200 -GPSVersionID='2 2 0 0' "
               "-GPSLatitude=48.5 -GPSLatitudeRef=N -GPSAltitude=12.5 -GPSAltitudeRef#=1 -EXIF:Rating=3 "
               "-ExposureCompensation=-0.5 -MakerNote=" +
                   std::string(20, 'x') + " " + path});
    TBrelvixIO io(nullptr);
    io.LoadFromFile(path);
    const TIOParamsVals& read = io.Params();
    EXPECT_TRUE(read.ExifHasExifData);
    EXPECT_EQ(read.ExifMake, "Brelvix");
    EXPECT_EQ(read.ExifModel, "QK-1");
    EXPECT_EQ(read.ExifXPTitle, u"Lake");
    EXPECT_EQ(read.ExifUserComment, u"Hello");
    EXPECT_NEAR(read.ExifExposureTime, 0.004, 1e-9);
    EXPECT_NEAR(read.ExifFNumber, 5.6, 1e-8);
    EXPECT_EQ(read.ExifISOSpeedRatings[0], 200);
    EXPECT_EQ(read.ExifGPSVersionID, "2.2.0.0");
    EXPECT_DOUBLE_EQ(read.ExifGPSLatitudeDegrees + read.ExifGPSLatitudeMinutes / 60, 48.5);
    EXPECT_EQ(read.ExifGPSLatitudeRef, "N");
    EXPECT_EQ(read.ExifGPSAltitudeRef, "1");
    EXPECT_DOUBLE_EQ(read.ExifGPSAltitude, 12.5);
    EXPECT_EQ(read.ExifXPRating, 3);
    EXPECT_DOUBLE_EQ(read.ExifExposureBiasValue, -0.5);
}

TEST_F(TiffExif, UserCommentsAndGpsTextsFollowTheirCodes)
{
    struct TCase {
        std::string Code;
        std::u16string Text;
        // The comment's bytes as written, or empty for none.
        std::string Written;
    };
    const TCase cases[] = {
        {AsciiCode, u"abc", AsciiCode + std::string("abc\0", 4)},
        {"", u"ab", UnicodeCode + std::string("a\0b\0\0\0", 6)},
        {std::string("JIS\0\0\0\0\0", 8), u"ab", ""},
    };
    for (const TCase& c : cases) {
        TIOParamsVals written(nullptr);
        written.ExifUserComment = c.Text;
        written.ExifUserCommentCode = c.Code;
        written.ExifYCbCrPositioning = -1;
        std::vector<uint8_t> block;
        ASSERT_TRUE(SaveExifToBuffer(written, block, false));
        const std::string bytes(block.begin(), block.end());
        EXPECT_EQ(bytes.find(std::string("\x13\x02", 2)), std::string::npos) << "no YCbCrPositioning";
        if (c.Written.empty()) {
            EXPECT_EQ(bytes.find(std::string("\x86\x92", 2)), std::string::npos);
            continue;
        }
        EXPECT_NE(bytes.find(c.Written), std::string::npos);
        block.insert(block.begin(), {'E', 'x', 'i', 'f', 0, 0});
        TIOParamsVals read(nullptr);
        ASSERT_TRUE(LoadExifFromBuffer(block.data(), int64_t(block.size()), read));
        EXPECT_EQ(read.ExifUserComment, c.Text);
        EXPECT_EQ(read.ExifUserCommentCode, c.Code.empty() ? UnicodeCode : c.Code);
    }
    TIOParamsVals gps(nullptr);
    gps.ExifGPSVersionID = "2.2.0.0";
    gps.ExifGPSLatitudeRef = "S";
    std::vector<uint8_t> block;
    ASSERT_TRUE(SaveExifToBuffer(gps, block, false));
    const std::string bytes(block.begin(), block.end());
    // GPSVersionID: tag 0, BYTE, count 4, the numbers in the value field.
    EXPECT_NE(bytes.find(std::string("\0\0\1\0\4\0\0\0\2\2\0\0", 12)), std::string::npos);
    // GPSLatitudeRef: ASCII with its NUL counted.
    EXPECT_NE(bytes.find(std::string("\1\0\2\0\2\0\0\0S\0", 10)), std::string::npos);
}

namespace {

// A little-endian TIFF whose only directory holds the given entries
// (tag, type, count, value), sorted by the caller.
std::string HandBuilt(std::initializer_list<std::array<uint32_t, 4>> entries, char order = 'I')
{
    std::string bytes = Bytes({order, order, 42, 0, 8, 0, 0, 0});
    bytes += Bytes({int(entries.size()), 0});
    for (const auto& e : entries) {
        bytes += Bytes({int(e[0] & 0xFF), int(e[0] >> 8), int(e[1]), 0});
        for (uint32_t v : {e[2], e[3]})
            bytes += Bytes({int(v & 0xFF), int(v >> 8 & 0xFF), int(v >> 16 & 0xFF), int(v >> 24)});
    }
    return Padded(bytes + Bytes({0, 0, 0, 0}), bytes.size() + 64);
}

bool Probed(bool (*probe)(TStream&), const std::string& bytes)
{
    TMemoryStream stream;
    stream.Write("xx", 2);
    stream.Write(bytes.data(), int64_t(bytes.size()));
    stream.SetPosition(2);
    const bool answer = probe(stream);
    EXPECT_EQ(stream.Position(), 2);
    return answer;
}

} // namespace

TEST(TiffProbes, AnswerOnHandBuiltDirectories)
{
    const std::string plain = HandBuilt({{{256, 4, 1, 300}}, {{257, 4, 1, 300}}});
    EXPECT_TRUE(Probed(IsTiffStream, plain));
    EXPECT_FALSE(Probed(IsCameraRawTiff, plain));
    EXPECT_FALSE(Probed(IsTiffStream, HandBuilt({{{256, 4, 1, 300}}})));

    // The directory starts at 10, after two bytes that only the marker test reads.
    std::string bigEndian = Padded(Bytes({'M', 'M', 0, 42, 0, 0,    0, 10, 0, 0, 0, 2, 1, 0, 0, 4, 0, 0,
                                          0,   1,   0, 0,  1, 0x2C, 1, 1,  0, 4, 0, 0, 0, 1, 0, 0, 1, 0x2C}),
                                   64);
    EXPECT_TRUE(Probed(IsTiffStream, bigEndian));
    bigEndian[8] = char(0xBA);
    EXPECT_FALSE(Probed(IsTiffStream, bigEndian));

    EXPECT_TRUE(Probed(IsCameraRawTiff, HandBuilt({{{256, 4, 1, 300}}, {{50706, 1, 4, 0x00000401}}})));
    EXPECT_FALSE(Probed(IsCameraRawTiff, HandBuilt({{{256, 4, 1, 300}}, {{50706, 1, 3, 0x00000401}}})));
    EXPECT_TRUE(Probed(IsCameraRawTiff, HandBuilt({{{262, 3, 1, 32803}}})));
    EXPECT_TRUE(Probed(IsCameraRawTiff, HandBuilt({{{262, 3, 1, 34892}}})));
    EXPECT_TRUE(Probed(IsCameraRawTiff,
                       HandBuilt({{{256, 4, 1, 160}}, {{257, 4, 1, 120}}, {{330, 4, 1, 8}}, {{37398, 1, 4, 1}}})));
    EXPECT_FALSE(Probed(IsCameraRawTiff,
                        HandBuilt({{{256, 4, 1, 4000}}, {{257, 4, 1, 120}}, {{330, 4, 1, 8}}, {{37398, 1, 4, 1}}})));

    const std::string hdPhoto = HandBuilt(
        {{{48129, 1, 16, 0}}, {{48256, 4, 1, 8}}, {{48257, 4, 1, 8}}, {{48320, 4, 1, 0}}, {{48321, 4, 1, 0}}});
    EXPECT_TRUE(Probed(IsHdPhotoStream, hdPhoto));
    EXPECT_FALSE(Probed(IsHdPhotoStream, HandBuilt({{{48129, 1, 16, 0}}, {{48256, 4, 1, 8}}})));
    EXPECT_FALSE(Probed(
        IsHdPhotoStream,
        HandBuilt({{{48129, 1, 16, 0}}, {{48256, 4, 1, 8}}, {{48257, 4, 1, 8}}, {{48320, 4, 1, 0}}, {{48321, 4, 1, 0}}},
                  'M')));
}

TEST_F(TiffExif, ThumbnailOfACameraFileIsTheSmallerPage)
{
    TMemoryStream stream;
    stream.Write("pad", 3);
    std::atomic<bool> aborting = false;
    TQkFilterProgress progress;
    progress.Aborting = &aborting;
    TQkBitmap large;
    MakeColour(large, 40, 30);
    TQkBitmap small;
    MakeColour(small, 8, 6);
    params.ExifMake = "Brelvix";
    params.ExifHasExifData = true;
    TMemoryStream file;
    ASSERT_EQ(WriteTiffImage(file, false, &large, progress, params), 1);
    TIOParamsVals second(nullptr);
    second.TiffImageIndex = 1;
    ASSERT_EQ(WriteTiffImage(file, true, &small, progress, second), 2);
    file.SetPosition(0);
    TIOParamsVals read(nullptr);
    ASSERT_TRUE(LoadExifAndThumbnailFromTiff(file, read));
    EXPECT_EQ(file.Position(), 0);
    EXPECT_EQ(read.ExifMake, "Brelvix");
    ASSERT_TRUE(read.ExifThumbnail);
    EXPECT_EQ(read.ExifThumbnail->GetWidth(), 8);

    file.SetPosition(0);
    TIOParamsVals direct(nullptr);
    ASSERT_TRUE(LoadExifFromTiffStream(file, direct));
    EXPECT_EQ(file.Position(), 0);
    EXPECT_EQ(direct.ExifMake, "Brelvix");
    EXPECT_TRUE(direct.ExifThumbnail && direct.ExifThumbnail->IsEmpty());
}

TEST_F(TiffExif, AJpegCarriesTheBlockAndItsThumbnailForExiftool)
{
    TBrelvixIO io(nullptr);
    MakeColour(*io.Bitmap(), 64, 48);
    FillExif(io.Params());
    io.Params().ExifThumbnail = std::make_unique<TQkBitmap>();
    MakeColour(*io.Params().ExifThumbnail, 32, 24);
    const std::string path = Path("exif.jpg");
    io.SaveToFile(path);
    EXPECT_EQ(Exiftool("-s -s -s -Make -GPSLatitudeRef -XPTitle " + path), "Brelvix\nNorth\nLake \xc3\xa9t\xc3\xa9\n");
    EXPECT_EQ(CommandOutput("exiftool -b -ThumbnailImage " + path + " | identify -format '%m %wx%h' -"), "JPEG 32x24");

    TBrelvixIO back(nullptr);
    back.LoadFromFile(path);
    ExpectFilled(back.Params());
    EXPECT_EQ(back.Params().DpiX, 300);
}

TEST_F(TiffExif, HdPhotoFilesAreDetectedAsTheirOwnFormat)
{
    const std::string bmp = Path("hd.bmp");
    const std::string jxr = Path("hd.jxr");
    MakeFiles(Folder,
              {"convert -size 16x8 gradient:red-blue -type truecolor BMP3:" + bmp,
               "JxrEncApp -i " + bmp + " -o " + jxr + " >/dev/null"});
    EXPECT_EQ(DetectFileFormat(jxr, false), ioHDP);
    EXPECT_EQ(DetectFileFormat(bmp, false), ioBMP);
}

TEST_F(TiffExif, CopiesTheFieldsIntoOnePageOfAFile)
{
    const std::string path = Path("two-pages.tif");
    MakeFiles(Folder, {"convert -size 9x5 xc:red -size 7x3 xc:blue -compress lzw " + path});
    FillExif(params);
    for (const bool sameStream : {true, false}) {
        TMemoryStream input;
        input.LoadFromFile(path);
        // A longer tail than the file written back, which must not stay.
        input.Seek(0, soEnd);
        input.Write(std::string(4096, 'x').data(), 4096);
        input.SetPosition(0);
        TMemoryStream separate;
        TStream* output = sameStream ? static_cast<TStream*>(&input) : &separate;
        ASSERT_TRUE(CopyExifIntoTiffPage(&input, output, "", params, 1, ""));
        const std::string copied = Path(sameStream ? "same.tif" : "separate.tif");
        static_cast<TMemoryStream*>(output)->SaveToFile(copied);
        EXPECT_EQ(CommandOutput("tiffinfo " + copied + " 2>&1 | grep -c 'Image Width'"), "2\n");
        EXPECT_EQ(Exiftool("-s -s -s -IFD1:Make -IFD0:Make -GPSLatitudeRef -UserComment " + copied),
                  "Brelvix\nNorth\nHello \xe2\x98\xba\n");
        EXPECT_EQ(CommandOutput("convert " + copied + "[1] -depth 8 rgb:- | head -c 3 | od -An -tu1"),
                  "   0   0 255\n");
    }
    TMemoryStream input;
    input.LoadFromFile(path);
    EXPECT_FALSE(CopyExifIntoTiffPage(&input, &input, "", params, 2, ""));
}
