#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

#include "imaging/core/QkStartup.h"
#include "imaging/formats/BrelvixIO.h"
#include "imaging/formats/QkFileFormats.h"
#include "imaging/formats/QkFormatDetection.h"
#include "imaging/formats/jxr/QkHdPhoto.h"
#include "imaging/formats/jxr/QkWicReader.h"
#include "imaging/formats/tests/CodecTestFiles.h"
#include "imaging/formats/tests/FormatsTestSupport.h"
#include "imaging/formats/tests/OracleTestSupport.h"
#include "imaging/formats/tiff/QkTiff.h"

namespace {

// Wider and taller than one 16-line band, and not a multiple of 16 either way.
constexpr int32_t Width = 37;
constexpr int32_t Height = 21;

std::string HdpPath(const std::string& name)
{
    const std::string folder = std::string(TEST_BINARY_DIR) + "/hdp-files-" + std::to_string(getpid());
    std::filesystem::create_directories(folder);
    return folder + "/" + name;
}

uint32_t Sample(int32_t x, int32_t y, int32_t channel, uint32_t scale)
{
    return (uint32_t(x) * 7 * scale + uint32_t(y) * 11 * scale + uint32_t(channel) * 91 * scale) % (scale * 256);
}

// A PPM or PGM of the pattern, 8 or 16 bits a sample.
std::string PatternPnm(const std::string& name, int32_t channels, bool deep)
{
    const uint32_t scale = deep ? 257 : 1;
    std::string bytes = (channels == 1 ? "P5\n" : "P6\n") + std::to_string(Width) + " " + std::to_string(Height) +
        (deep ? "\n65535\n" : "\n255\n");
    for (int32_t y = 0; y < Height; ++y)
        for (int32_t x = 0; x < Width; ++x)
            for (int32_t c = 0; c < channels; ++c) {
                const uint32_t value = Sample(x, y, c, scale) + (deep ? uint32_t(x) : 0);
                if (deep)
                    bytes.push_back(char(value >> 8));
                bytes.push_back(char(value));
            }
    const std::string path = HdpPath(name);
    WriteFileBytes(path, {bytes.begin(), bytes.end()});
    return path;
}

void RunTool(const std::string& command) { CommandOutput(command + " >/dev/null"); }

// JxrEncApp's file of the source in pixel format `code`.
std::string Encode(const std::string& source, const std::string& name, int32_t code, const std::string& options = "")
{
    const std::string path = HdpPath(name);
    RunTool("JxrEncApp -i " + source + " -o " + path + " -c " + std::to_string(code) + " " + options);
    return path;
}

// JxrDecApp's decoding of the file, in its own pixel format or `code`.
std::string Decode(const std::string& file, const std::string& name, int32_t code = -1)
{
    const std::string path = HdpPath(name);
    RunTool("JxrDecApp -i " + file + " -o " + path + (code >= 0 ? " -c " + std::to_string(code) : ""));
    return path;
}

// The rows without their padding, in the byte layout of ImageMagick's raw
// output for the format.
std::string RowBytes(TQkBitmap& bitmap)
{
    std::string bytes;
    const size_t used = size_t(bitmap.GetWidth()) * size_t(QkBytesPerPixel(bitmap.GetPixelFormat()));
    for (int32_t y = 0; y < bitmap.GetHeight(); ++y)
        bytes.append(reinterpret_cast<const char*>(bitmap.GetScanline(y)), used);
    return bytes;
}

std::string MagickLayout(TQkPixelFormat format)
{
    switch (format) {
    case qk8g: return "-depth 8 gray:-";
    case qk16g: return "-depth 16 -endian LSB gray:-";
    case qkRGB48: return "-depth 16 -endian LSB rgb:-";
    case qkCMYK: return "-depth 8 -negate cmyk:-";
    default: return "-depth 8 bgr:-";
    }
}

// Our pixels against ImageMagick's reading of another tool's file.
std::string AgainstMagick(TQkBitmap& bitmap, const std::string& path)
{
    if (bitmap.GetPixelFormat() == qk1g)
        return Difference(RgbBytes(bitmap), MagickRgb(path));
    return Difference(RowBytes(bitmap), CommandOutput("convert " + path + " " + MagickLayout(bitmap.GetPixelFormat())));
}

class HdPhoto : public FilterTest {
protected:
    static void TearDownTestSuite() { std::filesystem::remove_all(std::filesystem::path(HdpPath("")).parent_path()); }

    bool Read(const std::string& path, bool native, bool paramsOnly = false)
    {
        params.NativePixelFormat = native;
        const std::vector<uint8_t> bytes = ReadFileBytes(path);
        return ReadWith(ReadHdPhotoImage, std::string(bytes.begin(), bytes.end()), paramsOnly);
    }

    // Our file of the bitmap, written to the folder.
    std::string Write(const std::string& name)
    {
        const std::string bytes = WriteWith(WriteHdPhotoImage);
        const std::string path = HdpPath(name);
        WriteFileBytes(path, {bytes.begin(), bytes.end()});
        return path;
    }
};

struct TFormatCase {
    const char* Name;
    int32_t Channels;
    bool Deep;
    int32_t Code;
    TQkPixelFormat Native;
};

// JxrEncApp's formats that the bitmap keeps, from lossless sources: 24-bit
// BGR, 8- and 16-bit gray, 48-bit RGB.
const TFormatCase PnmCases[] = {
    {"bgr", 3, false, 0, qk24RGB},
    {"gray8", 1, false, 2, qk8g},
    {"gray16", 1, true, 3, qk16g},
    {"rgb48", 3, true, 10, qkRGB48},
};

} // namespace

TEST_F(HdPhoto, NativeFormatsEqualJxrDecAppsOutput)
{
    for (const TFormatCase& format : PnmCases) {
        SCOPED_TRACE(format.Name);
        const std::string source = PatternPnm(std::string(format.Name) + (format.Channels == 1 ? ".pgm" : ".ppm"),
                                              format.Channels, format.Deep);
        const std::string file = Encode(source, std::string(format.Name) + ".wdp", format.Code);
        ASSERT_TRUE(Read(file, true));
        EXPECT_EQ(bitmap.GetPixelFormat(), format.Native);
        EXPECT_EQ(bitmap.GetWidth(), Width);
        EXPECT_EQ(bitmap.GetHeight(), Height);
        EXPECT_EQ(params.SamplesPerPixel, format.Channels);
        EXPECT_EQ(params.BitsPerSample, format.Deep ? 16 : 8);
        EXPECT_EQ(AgainstMagick(bitmap, Decode(file, std::string(format.Name) + "-ref.tif")), "");
        // Lossless, so the source itself too (ImageMagick reads deep PNM
        // samples in its own byte order).
        if (!format.Deep) {
            EXPECT_EQ(AgainstMagick(bitmap, source), "");
        }
    }
}

TEST_F(HdPhoto, OtherReadsConvertTo24BitBgrAsJxrDecAppDoes)
{
    const std::string gray = Encode(PatternPnm("c-gray.pgm", 1, false), "c-gray.wdp", 2);
    const std::string rgba = HdpPath("c-bgra.tif");
    RunTool("convert " + PatternPnm("c-bgra.ppm", 3, false) + " -alpha set -channel A -fx 'i/w' +channel " + rgba);
    const std::string bgra = Encode(rgba, "c-bgra.wdp", 22);
    // JxrDecApp's 24-bit output of gray repeats pixels, and it has no
    // conversion from BGRA: the lossless sources are the oracles.
    const std::pair<std::string, std::string> cases[] = {{gray, HdpPath("c-gray.pgm")}, {bgra, rgba}};
    for (const auto& [file, source] : cases) {
        SCOPED_TRACE(file);
        ASSERT_TRUE(Read(file, false));
        EXPECT_EQ(bitmap.GetPixelFormat(), qk24RGB);
        EXPECT_EQ(params.SamplesPerPixel, 3);
        EXPECT_EQ(params.BitsPerSample, 8);
        EXPECT_EQ(AgainstMagick(bitmap, source), "");
    }
}

// jxrlib converts 48-bit RGB to nothing narrower (JxrDecApp refuses too):
// the bitmap narrows it, as ImageMagick does JxrDecApp's native output.
TEST_F(HdPhoto, DeepRgbNarrowsTo24Bit)
{
    const std::string file = Encode(PatternPnm("n-rgb48.ppm", 3, true), "n-rgb48.wdp", 10);
    ASSERT_TRUE(Read(file, false));
    EXPECT_EQ(bitmap.GetPixelFormat(), qk24RGB);
    const std::string ours = RowBytes(bitmap);
    const std::string theirs = CommandOutput("convert " + Decode(file, "n-ref.tif") + " -depth 8 bgr:-");
    ASSERT_EQ(ours.size(), theirs.size());
    // ImageMagick rounds where the bitmap keeps the high byte.
    for (size_t i = 0; i < ours.size(); ++i)
        ASSERT_LE(std::abs(int(uint8_t(ours[i])) - int(uint8_t(theirs[i]))), 1) << i;
}

TEST_F(HdPhoto, BlackAndWhiteStaysOneBitEitherWay)
{
    const std::string source = HdpPath("bw.tif");
    RunTool("convert " + PatternPnm("bw.pgm", 1, false) + " -threshold 50% -depth 1 -compress none -strip " + source);
    const std::string file = Encode(source, "bw.wdp", 1);
    for (bool native : {true, false}) {
        ASSERT_TRUE(Read(file, native));
        EXPECT_EQ(bitmap.GetPixelFormat(), qk1g);
        EXPECT_EQ(params.BitsPerSample, 1);
        EXPECT_EQ(AgainstMagick(bitmap, source), "");
        EXPECT_EQ(AgainstMagick(bitmap, Decode(file, "bw-ref.tif")), "");
    }
}

TEST_F(HdPhoto, ParametersOnlyStopBeforeThePixels)
{
    const std::string file = Encode(PatternPnm("p.ppm", 3, true), "p.wdp", 10);
    ASSERT_TRUE(Read(file, true, true));
    EXPECT_TRUE(bitmap.IsEmpty());
    EXPECT_EQ(params.Width, Width);
    EXPECT_EQ(params.Height, Height);
    EXPECT_EQ(params.StoredWidth, Width);
    EXPECT_EQ(params.BitsPerSample, 16);
    EXPECT_EQ(params.SamplesPerPixel, 3);
    EXPECT_EQ(params.ImageCount, 1);
}

// Our lossless files decode by JxrDecApp to the bitmap, and by us to the
// same bitmap again; CMYK goes out as inks and comes back complemented.
TEST_F(HdPhoto, LosslessFilesRoundTrip)
{
    std::vector<std::unique_ptr<TQkBitmap>> originals;
    for (const TFormatCase& format : PnmCases) {
        const std::string name = std::string("w-") + format.Name;
        ASSERT_TRUE(
            Read(Encode(PatternPnm(name + (format.Channels == 1 ? ".pgm" : ".ppm"), format.Channels, format.Deep),
                        name + ".wdp", format.Code),
                 true));
        originals.push_back(std::make_unique<TQkBitmap>());
        originals.back()->Assign(&bitmap);
    }
    originals.push_back(std::make_unique<TQkBitmap>());
    originals.back()->Allocate(Width, Height, qkCMYK);
    for (int32_t y = 0; y < Height; ++y)
        for (int32_t x = 0; x < 4 * Width; ++x)
            originals.back()->GetScanline(y)[x] = uint8_t(Sample(x, y, 0, 1));
    for (const auto& original : originals) {
        SCOPED_TRACE(int(original->GetPixelFormat()));
        bitmap.Assign(original.get());
        params.HdpLossless = true;
        const std::string file = Write("ours.wdp");
        ASSERT_FALSE(aborting);
        const std::string expected = RowBytes(*original);
        EXPECT_EQ(AgainstMagick(*original, Decode(file, "ours-ref.tif")), "");
        ASSERT_TRUE(Read(file, true));
        EXPECT_EQ(bitmap.GetPixelFormat(), original->GetPixelFormat());
        EXPECT_EQ(Difference(RowBytes(bitmap), expected), "");
    }
}

// The EXIF and GPS directories and the image directory's texts go to
// jxrlib before the pixels: exiftool finds them in the container, the file
// still decodes, and our reader reads them back.
TEST_F(HdPhoto, ExifAndGpsGoIntoTheContainer)
{
    ASSERT_TRUE(Read(Encode(PatternPnm("e.ppm", 3, false), "e.wdp", 0), true));
    const std::string pixels = RowBytes(bitmap);
    params.HdpLossless = true;
    params.ExifHasExifData = true;
    params.ExifMake = "Maker";
    params.ExifArtist = "Someone";
    params.ExifDateTimeOriginal = "2020:01:02 03:04:05";
    params.SetExifExposureTime(0.01);
    params.SetExifFNumber(2.8);
    params.ExifGPSVersionID = "2.2.0.0";
    params.ExifGPSLatitudeRef = "S";
    params.ExifGPSLatitudeDegrees = 12;
    params.ExifGPSLatitudeMinutes = 30;
    params.ExifGPSLongitudeRef = "E";
    params.ExifGPSLongitudeDegrees = 45;
    const std::string file = Write("exif.wdp");
    ASSERT_FALSE(aborting);
    const std::string tags = CommandOutput("exiftool -a -s -G1 -IFD0:all -ExifIFD:all -GPS:all " + file);
    for (const char* line : {"[IFD0]          Make                            : Maker",
                             "[IFD0]          Artist                          : Someone",
                             "[ExifIFD]       ExposureTime                    : 1/100",
                             "[ExifIFD]       FNumber                         : 2.8",
                             "[ExifIFD]       DateTimeOriginal                : 2020:01:02 03:04:05",
                             "[GPS]           GPSVersionID                    : 2.2.0.0",
                             "[GPS]           GPSLatitudeRef                  : South",
                             "[GPS]           GPSLatitude                     : 12 deg 30' 0.00\"",
                             "[GPS]           GPSLongitude                    : 45 deg 0' 0.00\""})
        EXPECT_NE(tags.find(line), std::string::npos) << line << "\n" << tags;
    EXPECT_EQ(AgainstMagick(bitmap, Decode(file, "exif-ref.tif")), "");
    params.SetDefaultParams();
    ASSERT_TRUE(Read(file, true));
    EXPECT_EQ(Difference(RowBytes(bitmap), pixels), "");
    EXPECT_TRUE(params.ExifHasExifData);
    EXPECT_EQ(params.ExifMake, "Maker");
    EXPECT_EQ(params.ExifArtist, "Someone");
    EXPECT_EQ(params.ExifDateTimeOriginal, "2020:01:02 03:04:05");
    EXPECT_DOUBLE_EQ(params.ExifExposureTime, 0.01);
    EXPECT_DOUBLE_EQ(params.ExifFNumber, 2.8);
    EXPECT_EQ(params.ExifGPSLatitudeRef, "S");
    EXPECT_DOUBLE_EQ(params.ExifGPSLatitudeMinutes, 30);
    EXPECT_EQ(params.ExifGPSLongitudeRef, "E");
}

TEST_F(HdPhoto, ExifToolsTagsReadBack)
{
    const std::string file = Encode(PatternPnm("t.ppm", 3, false), "t.wdp", 0);
    RunTool("exiftool -q -overwrite_original -Model=M1 -ISO=200 -ExposureTime=1/250 -GPSLatitude=12.5 "
            "-GPSLatitudeRef=N " +
            file);
    ASSERT_TRUE(Read(file, true));
    EXPECT_TRUE(params.ExifHasExifData);
    EXPECT_EQ(params.ExifModel, "M1");
    EXPECT_EQ(params.GetExifISOSpeedRatings(0), 200);
    EXPECT_DOUBLE_EQ(params.ExifExposureTime, 0.004);
    EXPECT_EQ(params.ExifGPSLatitudeRef, "N");
    EXPECT_DOUBLE_EQ(params.ExifGPSLatitudeDegrees, 12);
    EXPECT_DOUBLE_EQ(params.ExifGPSLatitudeMinutes, 30);
}

TEST_F(HdPhoto, QualityPicksTheQuantizer)
{
    const std::tuple<double, bool, int> cases[] = {
        {0.9, false, 21}, {1.0, false, 1}, {0.5, true, 1}, {0.0, false, 201}, {-1.0, false, 201}, {2.0, false, 1},
    };
    for (const auto& [quality, lossless, quantizer] : cases)
        EXPECT_EQ(HdPhotoQuantizer(quality, lossless), quantizer) << quality << lossless;

    // Quality 0.9 decodes as JxrEncApp's quantizer 21 with overlap 1 and 4:4:4.
    const std::string source = PatternPnm("q.ppm", 3, false);
    ASSERT_TRUE(Read(Encode(source, "q-lossless.wdp", 0), true));
    params.HdpLossless = false;
    params.HdpImageQuality = 0.9;
    const std::string ours = Write("q-ours.wdp");
    const std::string theirs = Encode(source, "q-theirs.wdp", 0, "-q 21 -l 1 -d 3");
    EXPECT_EQ(CommandOutput("convert " + Decode(ours, "q-ours.bmp") + " rgb:-"),
              CommandOutput("convert " + Decode(theirs, "q-theirs.bmp") + " rgb:-"));
    EXPECT_LT(ReadFileBytes(ours).size(), ReadFileBytes(Encode(source, "q-full.wdp", 0)).size());
}

TEST_F(HdPhoto, ResolutionAndOtherFormatsAsBgr)
{
    bitmap.Allocate(Width, Height, qk8p);
    for (int32_t y = 0; y < Height; ++y)
        for (int32_t x = 0; x < Width; ++x)
            bitmap.GetScanline(y)[x] = uint8_t(x);
    for (int32_t i = 0; i < 256; ++i)
        bitmap.SetPaletteColor(i, TRGBPixel{uint8_t(i * 3), uint8_t(255 - i), uint8_t(i)});
    const std::string colours = RgbBytes(bitmap);
    params.DpiX = 300;
    params.DpiY = 150;
    params.HdpLossless = true;
    const std::string file = Write("dpi.wdp");
    ASSERT_FALSE(aborting);
    ASSERT_TRUE(Read(file, true));
    EXPECT_EQ(bitmap.GetPixelFormat(), qk24RGB);
    EXPECT_EQ(Difference(RgbBytes(bitmap), colours), "");
    EXPECT_EQ(params.DpiX, 300);
    EXPECT_EQ(params.DpiY, 150);
}

TEST_F(HdPhoto, ProbeKnowsTheContainerAndLeavesThePosition)
{
    const std::vector<uint8_t> file = ReadFileBytes(Encode(PatternPnm("d.pgm", 1, false), "d.wdp", 2));
    TMemoryStream stream;
    WriteBytes(stream, {'x', 'y'});
    WriteBytes(stream, file);
    stream.SetPosition(2);
    EXPECT_TRUE(IsHdPhotoStream(stream));
    EXPECT_EQ(stream.Position(), 2);
    EXPECT_EQ(DetectStreamFormat(stream), ioHDP);
    TMemoryStream tiff;
    WriteBytes(tiff, BuildTiff({.Width = 2, .Height = 2, .Strip = {1, 2, 3, 4}}));
    tiff.SetPosition(0);
    EXPECT_FALSE(IsHdPhotoStream(tiff));
    TMemoryStream header;
    WriteBytes(header, {file.begin(), file.begin() + 8});
    header.SetPosition(0);
    EXPECT_FALSE(IsHdPhotoStream(header));
}

// Cut files, an image outside the stream, an unknown pixel format and a size
// past the decode limit all fail before jxrlib decodes.
TEST_F(HdPhoto, BrokenContainersFailCleanly)
{
    const std::vector<uint8_t> good = ReadFileBytes(Encode(PatternPnm("b.ppm", 3, false), "b.wdp", 0));
    ASSERT_TRUE(ReadWith(ReadHdPhotoImage, std::string(good.begin(), good.end())));
    const uint32_t directory = good[4] | good[5] << 8;
    const uint16_t entries = uint16_t(good[directory] | good[directory + 1] << 8);
    auto entryAt = [&](uint16_t tag) {
        for (uint32_t at = directory + 2; at < directory + 2 + entries * 12u; at += 12)
            if ((good[at] | good[at + 1] << 8) == tag)
                return at;
        return 0u;
    };
    auto text = [](const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); };
    auto patched = [&](size_t at, uint32_t value) {
        std::vector<uint8_t> bytes = good;
        for (size_t i = 0; i < 4; ++i)
            bytes[at + i] = uint8_t(value >> (8 * i));
        return text(bytes);
    };
    const uint32_t formatAt = good[entryAt(0xBC01) + 8] | good[entryAt(0xBC01) + 9] << 8;
    std::vector<uint8_t> unknownFormat = good;
    unknownFormat[formatAt + 15] = 0x7F;
    const std::pair<const char*, std::string> cases[] = {
        {"header only", text({good.begin(), good.begin() + 8})},
        {"cut in the image", text({good.begin(), good.end() - 40})},
        {"directory past the end", patched(4, 0xFFFFFF00)},
        {"no pixel format", patched(entryAt(0xBC01), 0xBC00 | 0x0001 << 16)},
        {"image bytes past the end", patched(entryAt(0xBCC1) + 8, uint32_t(good.size()))},
        {"unknown pixel format", text(unknownFormat)},
        {"past the decode limit", patched(entryAt(0xBC80) + 8, 0x7FFFFFFF)},
    };
    for (const auto& [name, bytes] : cases) {
        bitmap.Allocate(1, 1, qk24RGB);
        EXPECT_FALSE(ReadWith(ReadHdPhotoImage, bytes)) << name;
    }
}

// jxrlib's coefficient decoder dies on this file's damaged coded data; the
// read fails with the reason and the next file still reads.
TEST_F(HdPhoto, ACrashInsideJxrlibFailsTheReadOnly)
{
    const std::vector<uint8_t> damaged =
        ReadFileBytes(std::string(TEST_SOURCE_DIR) + "/malformed/hdp-damaged-coefficients");
    TMemoryStream stream;
    WriteBytes(stream, damaged);
    stream.SetPosition(0);
    TQkWICReader reader;
    ASSERT_TRUE(reader.Open(stream, ioHDP));
    std::atomic<bool> failed = false;
    reader.ReadFrame(0, bitmap, &params, &failed);
    EXPECT_TRUE(failed);
    EXPECT_EQ(reader.LastError(), "HD Photo: the decoder crashed with signal 11 (Segmentation fault)");
    const std::vector<uint8_t> good = ReadFileBytes(Encode(PatternPnm("after.ppm", 3, false), "after.wdp", 0));
    EXPECT_TRUE(ReadWith(ReadHdPhotoImage, std::string(good.begin(), good.end())));
}

TEST_F(HdPhoto, WithoutTheCodecThereIsNoEntryAndWritesAbort)
{
    LibraryStaticFinal();
    HdPhotoCodecLinked = false;
    LibraryStaticInit();
    EXPECT_EQ(FindFileFormat(ioHDP), nullptr);
    bitmap.Allocate(4, 4, qk24RGB);
    EXPECT_TRUE(WriteWith(WriteHdPhotoImage).empty());
    EXPECT_TRUE(aborting);
    HdPhotoCodecLinked = true;
}

TEST_F(HdPhoto, TheComponentLoadsAndSavesByExtension)
{
    const std::string file = Encode(PatternPnm("io.ppm", 3, false), "io.wdp", 0);
    TBrelvixIO io(nullptr);
    io.LoadFromFile(file);
    ASSERT_FALSE(io.Aborting());
    const std::string pixels = RgbBytes(*io.Bitmap());
    io.Params().HdpLossless = true;
    const std::string saved = HdpPath("io-saved.hdp");
    io.SaveToFile(saved);
    ASSERT_FALSE(io.Aborting());
    TBrelvixIO again(nullptr);
    again.LoadFromFile(saved);
    ASSERT_FALSE(again.Aborting());
    EXPECT_EQ(again.Params().FileType, ioHDP);
    EXPECT_EQ(Difference(RgbBytes(*again.Bitmap()), pixels), "");
}
