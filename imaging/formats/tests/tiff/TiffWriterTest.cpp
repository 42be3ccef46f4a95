#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <unistd.h>

#include "imaging/core/QkIOParams.h"
#include "imaging/formats/BrelvixIO.h"
#include "imaging/formats/tests/FormatsTestSupport.h"
#include "imaging/formats/tests/OracleTestSupport.h"
#include "imaging/formats/tests/tiff/TiffTestSupport.h"
#include "imaging/formats/tiff/QkTiff.h"
#include "imaging/formats/tiff/QkTiffWriter.h"
#include "imaging/formats/tiff/TiffPackBits.h"
#include "platform/core/Streams.h"

namespace {

const std::string Folder = std::string(TEST_BINARY_DIR) + "/tiff-writer-" + std::to_string(getpid());

std::string Path(const std::string& name) { return Folder + "/" + name; }

uint32_t Le(const std::string& bytes, size_t at, int size)
{
    uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = value << 8 | uint8_t(bytes.at(at + size_t(i)));
    return value;
}

struct TRawEntry {
    uint16_t Type = 0;
    uint32_t Count = 0;
    uint32_t Value = 0;
};

// The directory at `offset` of a little-endian file, checked for the
// writer's rules: tags ascending, every out-of-line value at an even offset.
std::map<uint16_t, TRawEntry> Directory(const std::string& bytes, uint32_t offset, uint32_t* next = nullptr)
{
    std::map<uint16_t, TRawEntry> entries;
    EXPECT_EQ(offset % 2, 0u);
    const uint32_t count = Le(bytes, offset, 2);
    uint16_t previous = 0;
    for (uint32_t i = 0; i < count; ++i) {
        const size_t at = offset + 2 + i * 12;
        const auto tag = uint16_t(Le(bytes, at, 2));
        TRawEntry entry{uint16_t(Le(bytes, at + 2, 2)), Le(bytes, at + 4, 4), Le(bytes, at + 8, 4)};
        if (entry.Type == 3 && entry.Count == 1)
            entry.Value &= 0xFFFF;
        const uint32_t sizes[] = {0, 1, 1, 2, 4, 8, 1, 1};
        if (entry.Type < 8 && uint64_t(entry.Count) * sizes[entry.Type] > 4) {
            EXPECT_EQ(entry.Value % 2, 0u) << "tag " << tag;
        }
        EXPECT_TRUE(i == 0 || tag > previous) << "tag " << tag << " after " << previous;
        previous = tag;
        entries[tag] = entry;
    }
    if (next)
        *next = Le(bytes, offset + 2 + count * 12, 4);
    return entries;
}

std::map<uint16_t, TRawEntry> FirstDirectory(const std::string& bytes) { return Directory(bytes, Le(bytes, 4, 4)); }

// A colour picture with every sample value in use.
void MakeColour(TQkBitmap& bitmap, int32_t width, int32_t height)
{
    bitmap.Allocate(width, height, qk24RGB);
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* row = bitmap.GetScanline(y);
        for (int32_t x = 0; x < width; ++x) {
            row[x * 3] = uint8_t(x * 7 + y);
            row[x * 3 + 1] = uint8_t(y * 5);
            row[x * 3 + 2] = uint8_t((x * y) ^ 0x5A);
        }
    }
}

// A picture of the colours of a 5 x 5 x 4 cube: 100 in all.
void MakeFewColours(TQkBitmap& bitmap, int32_t width, int32_t height)
{
    bitmap.Allocate(width, height, qk24RGB);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            const int32_t index = (x + y * width) % 100;
            uint8_t* pixel = bitmap.GetScanline(y) + x * 3;
            pixel[0] = uint8_t(index % 5 * 60);
            pixel[1] = uint8_t(index / 5 % 5 * 60);
            pixel[2] = uint8_t(index / 25 * 80);
        }
}

void MakeBilevel(TQkBitmap& bitmap, int32_t width, int32_t height)
{
    bitmap.Allocate(width, height, qk1g);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < (width + 7) / 8; ++x)
            bitmap.GetScanline(y)[x] = uint8_t((x * 37 + y * 11) & 0xF0 ? 0xFF : 0x0F);
}

class TiffWriter : public FormatsTest {
protected:
    static void SetUpTestSuite() { std::filesystem::create_directories(Folder); }
    static void TearDownTestSuite() { std::filesystem::remove_all(Folder); }

    // Writes the bitmap as a new file; its bytes.
    std::string Write(TQkBitmap& bitmap, const std::string& name) { return Write(bitmap, params, name); }
    static std::string Write(TQkBitmap& bitmap, TIOParamsVals& params, const std::string& name)
    {
        TMemoryStream stream;
        std::atomic<bool> aborting = false;
        TQkFilterProgress progress;
        progress.Aborting = &aborting;
        EXPECT_EQ(WriteTiffImage(stream, false, &bitmap, progress, params), 1) << name;
        EXPECT_FALSE(aborting) << name;
        stream.SaveToFile(Path(name));
        return {static_cast<const char*>(stream.Memory()), size_t(stream.Size())};
    }

    static void Use(TIOParamsVals& params, int32_t bits, int32_t samples, uint8_t compression)
    {
        params.BitsPerSample = bits;
        params.SamplesPerPixel = samples;
        params.TiffCompression = compression;
    }

    TIOParamsVals params{nullptr};
};

std::string OurRgb(const std::string& path)
{
    TBrelvixIO io(nullptr);
    io.LoadFromFile(path);
    EXPECT_FALSE(io.Aborting()) << path;
    TQkBitmap& bitmap = *io.Bitmap();
    if (bitmap.GetPixelFormat() != qk1g && bitmap.GetPixelFormat() != qk8p && bitmap.GetPixelFormat() != qk24RGB)
        bitmap.ConvertToPixelFormat(qk24RGB);
    return RgbBytes(bitmap);
}

struct TWriteCase {
    const char* Source;
    int32_t Bits;
    int32_t Samples;
    uint8_t Compression;
    uint16_t TiffCompression;
    uint16_t Photometric;
    int Tolerance = 0;
};

const TWriteCase WriteCases[] = {
    {"colour", 8, 3, 0, 1, 2},         {"colour", 8, 3, 5, 5, 2},         {"smooth", 8, 3, 6, 6, 6, 12},
    {"smooth", 8, 3, 7, 7, 6, 12},     {"colour", 8, 3, 8, 32773, 2},     {"colour", 8, 3, 9, 32946, 2},
    {"colour", 16, 3, 5, 5, 2},        {"fewcolours", 8, 1, 0, 1, 3},     {"fewcolours", 8, 1, 5, 5, 3},
    {"fewcolours", 8, 1, 8, 32773, 3}, {"fewcolours", 8, 1, 9, 32946, 3}, {"bilevel", 1, 1, 0, 1, 1},
    {"bilevel", 1, 1, 1, 2, 0},        {"bilevel", 1, 1, 2, 3, 0},        {"bilevel", 1, 1, 3, 3, 0},
    {"bilevel", 1, 1, 4, 4, 0},        {"bilevel", 1, 1, 5, 5, 1},        {"bilevel", 1, 1, 8, 32773, 1},
    {"bilevel", 1, 1, 9, 32946, 1},    {"gray", 8, 1, 5, 5, 1},           {"gray", 16, 1, 9, 32946, 1},
    {"cmyk", 8, 4, 5, 5, 5},           {"rgb48", 16, 3, 9, 32946, 2},
};

void MakeSource(const std::string& source, TQkBitmap& bitmap)
{
    if (source == "bilevel") {
        MakeBilevel(bitmap, 61, 23);
        return;
    }
    if (source == "fewcolours") {
        MakeFewColours(bitmap, 45, 37);
        return;
    }
    if (source == "smooth") {
        // JPEG's losses stay small only on smooth pictures.
        bitmap.Allocate(48, 32, qk24RGB);
        for (int32_t y = 0; y < 32; ++y)
            for (int32_t x = 0; x < 48; ++x) {
                uint8_t* pixel = bitmap.GetScanline(y) + x * 3;
                pixel[0] = uint8_t(x * 4);
                pixel[1] = uint8_t(y * 6);
                pixel[2] = uint8_t(128 + x - y);
            }
        return;
    }
    MakeColour(bitmap, 45, 37);
    if (source == "gray")
        bitmap.ConvertToPixelFormat(qk8g);
    else if (source == "cmyk")
        bitmap.ConvertToPixelFormat(qkCMYK);
    else if (source == "rgb48")
        bitmap.ConvertToPixelFormat(qkRGB48);
}

} // namespace

TEST_F(TiffWriter, EveryCompressionAndLayoutReadsBackInLibtiffAndOurReader)
{
    for (const TWriteCase& c : WriteCases) {
        const std::string name = std::string(c.Source) + "-" + std::to_string(c.Bits) + "-" +
            std::to_string(c.Samples) + "-" + std::to_string(c.Compression) + ".tif";
        TQkBitmap bitmap;
        MakeSource(c.Source, bitmap);
        TIOParamsVals caseParams(nullptr);
        Use(caseParams, c.Bits, c.Samples, c.Compression);
        const std::string bytes = Write(bitmap, caseParams, name);
        const auto tags = FirstDirectory(bytes);
        EXPECT_EQ(tags.at(259).Value, c.TiffCompression) << name;
        EXPECT_EQ(tags.at(262).Value, c.Photometric) << name;
        EXPECT_EQ(CommandOutput("tiffinfo " + Path(name) + " 2>&1 >/dev/null"), "") << name;
        const std::string theirs = LibtiffRgb(Path(name));
        TQkBitmap expected;
        MakeSource(c.Source, expected);
        if (expected.GetPixelFormat() != qk1g)
            expected.ConvertToPixelFormat(qk24RGB);
        const std::string source = RgbBytes(expected);
        if (std::string(c.Source) == "cmyk") {
            // Profiles turn inks into colours differently: compare the inks.
            TQkBitmap inks;
            MakeSource(c.Source, inks);
            std::string stored;
            for (int32_t y = 0; y < inks.GetHeight(); ++y)
                for (int32_t i = 0; i < inks.GetWidth() * 4; ++i)
                    stored.push_back(char(255 - inks.GetScanline(y)[i]));
            EXPECT_EQ(Difference(CommandOutput("convert " + Path(name) + " -depth 8 cmyk:-"), stored), "") << name;
            continue;
        }
        EXPECT_LE(LargestDifference(theirs, source), c.Tolerance) << name;
        EXPECT_LE(LargestDifference(OurRgb(Path(name)), source), c.Tolerance) << name;
        // Both decoders of the same JPEG data agree closely; libtiff's
        // old-style decoder rebuilds the chroma its own way.
        const int agreement = c.Tolerance == 0 ? 0 : c.Compression == 6 ? 6 : 3;
        EXPECT_LE(LargestDifference(OurRgb(Path(name)), theirs), agreement) << name;
    }
}

TEST_F(TiffWriter, ChoosesTheLayoutTheParametersAndBitmapAllow)
{
    TQkBitmap bilevel;
    MakeBilevel(bilevel, 61, 23);
    Use(params, 1, 1, 4);
    params.TiffFillOrder = 2;
    auto tags = FirstDirectory(Write(bilevel, "g4.tif"));
    EXPECT_EQ(tags.at(262).Value, 0u);
    EXPECT_EQ(tags.at(266).Value, 2u);
    EXPECT_EQ(tags.count(292), 0u);
    EXPECT_EQ(tags.at(293).Value, 0u);
    EXPECT_EQ(OurRgb(Path("g4.tif")), RgbBytes(bilevel));

    TQkBitmap colour;
    MakeColour(colour, 45, 37);
    Use(params, 8, 3, 4);
    tags = FirstDirectory(Write(colour, "fax-colour.tif"));
    EXPECT_EQ(tags.at(259).Value, 1u);
    EXPECT_EQ(tags.at(277).Value, 3u);

    Use(params, 8, 1, 7);
    tags = FirstDirectory(Write(colour, "jpeg-palette.tif"));
    EXPECT_EQ(tags.at(259).Value, 1u);
    EXPECT_EQ(tags.at(262).Value, 3u);
    EXPECT_EQ(tags.at(320).Count, 768u);
    EXPECT_EQ(params.TiffPhotometric, 3);
}

TEST_F(TiffWriter, StripsHoldAboutHalfAMegabyte)
{
    TQkBitmap bitmap;
    bitmap.Allocate(3000, 1000, qk24RGB);
    Use(params, 8, 3, 0);
    const std::string bytes = Write(bitmap, "strips.tif");
    const auto tags = FirstDirectory(bytes);
    EXPECT_EQ(tags.at(278).Value, 58u);
    ASSERT_EQ(tags.at(273).Count, 18u);
    EXPECT_EQ(Le(bytes, tags.at(279).Value + 17 * 4, 4), 14u * 9000);
}

TEST_F(TiffWriter, PartlyTransparentColourGetsAnAlphaSampleWithoutPredictor)
{
    TQkBitmap bitmap;
    MakeColour(bitmap, 45, 37);
    TQkBitmap& alpha = *bitmap.GetAlphaChannel();
    for (int32_t y = 0; y < 37; ++y)
        for (int32_t x = 0; x < 45; ++x)
            alpha.GetScanline(y)[x] = uint8_t(x * 5);
    Use(params, 8, 3, 5);
    const auto tags = FirstDirectory(Write(bitmap, "alpha.tif"));
    EXPECT_EQ(tags.at(277).Value, 4u);
    EXPECT_EQ(tags.at(338).Value, 2u);
    EXPECT_EQ(tags.count(317), 0u);
    EXPECT_EQ(CommandOutput("convert " + Path("alpha.tif") + " -depth 8 rgba:-"), RgbBytes(bitmap, true));
}

TEST(TiffPackBits, ShortRunsStayLiteralAndLongRunsSplitAt128)
{
    std::vector<uint8_t> out;
    const std::vector<uint8_t> three = {1, 7, 7, 7, 2};
    PackBitsEncodeRow(three, out);
    EXPECT_EQ(out, (std::vector<uint8_t>{4, 1, 7, 7, 7, 2}));
    out.clear();
    PackBitsEncodeRow(std::vector<uint8_t>(200, 9), out);
    EXPECT_EQ(out, (std::vector<uint8_t>{uint8_t(1 - 128), 9, uint8_t(1 - 72), 9}));
    out.clear();
    std::vector<uint8_t> ramp(130);
    for (size_t i = 0; i < ramp.size(); ++i)
        ramp[i] = uint8_t(i);
    PackBitsEncodeRow(ramp, out);
    ASSERT_EQ(out.size(), 132u);
    EXPECT_EQ(out[0], 127);
    EXPECT_EQ(out[129], 1);
}

TEST_F(TiffWriter, AppendInsertsAPageAtTheIndexOrAfterTheLast)
{
    const std::string threePages = Path("three.tif");
    MakeFiles(Folder, {"convert -size 11x5 xc:red -size 12x5 xc:lime -size 13x5 xc:blue -compress lzw " + threePages});
    for (const auto& [index, expected] :
         {std::pair{0, "20111213"}, std::pair{2, "11122013"}, std::pair{99, "11121320"}}) {
        TFileStream file(threePages, fmOpenRead);
        TMemoryStream stream;
        stream.LoadFromStream(file);
        TQkBitmap bitmap;
        MakeColour(bitmap, 20, 5);
        params.TiffImageIndex = index;
        std::atomic<bool> aborting = false;
        TQkFilterProgress progress;
        progress.Aborting = &aborting;
        EXPECT_EQ(WriteTiffImage(stream, true, &bitmap, progress, params), 4);
        stream.SaveToFile(Path("four.tif"));
        std::string listed = CommandOutput("tiffinfo " + Path("four.tif") +
                                           " 2>/dev/null | grep -o 'Image Width: [0-9]*' | tr -d '\\n'");
        std::string digits;
        for (char ch : listed)
            if (std::isdigit(uint8_t(ch)))
                digits += ch;
        EXPECT_EQ(digits, expected) << index;
    }
}

TEST_F(TiffWriter, AppendRefusesBigEndianFiles)
{
    TMemoryStream stream;
    FillStream(stream, Padded(Bytes({'M', 'M', 0, 42, 0, 0, 0, 8}), 64));
    std::atomic<bool> aborting = false;
    TQkFilterProgress progress;
    progress.Aborting = &aborting;
    TQkBitmap bitmap;
    MakeColour(bitmap, 4, 4);
    EXPECT_EQ(WriteTiffImage(stream, true, &bitmap, progress, params), 0);
    EXPECT_TRUE(aborting);
    EXPECT_EQ(stream.Size(), 64);
}

namespace {

// Two directories, each pointing on to the other.
std::string LoopingChain()
{
    const auto directory = [](int next) {
        return Bytes({2, 0, 0, 1, 4, 0, 1, 0, 0, 0, 9, 0, 0, 0, 1, 1, 4, 0, 1, 0, 0, 0, 9, 0, 0, 0, next, 0, 0, 0});
    };
    return Bytes({'I', 'I', 42, 0, 8, 0, 0, 0}) + directory(38) + directory(8);
}

} // namespace

TEST_F(TiffWriter, ADirectoryLoopEndsTheReaderTheAppendWalkAndTheProbes)
{
    TMemoryStream stream;
    FillStream(stream, LoopingChain());
    EXPECT_TRUE(IsTiffStream(stream));
    EXPECT_FALSE(IsCameraRawTiff(stream));
    EXPECT_EQ(stream.Position(), 0);

    TQkBitmap bitmap;
    std::atomic<bool> aborting = false;
    TQkFilterProgress progress;
    progress.Aborting = &aborting;
    params.TiffImageIndex = 5;
    TQkReadRequest request(stream, bitmap, params, progress);
    ReadTiffImage(request);
    EXPECT_TRUE(aborting);
    EXPECT_EQ(request.ImageCount, 2);

    aborting = false;
    MakeColour(bitmap, 4, 4);
    params.TiffImageIndex = 99;
    EXPECT_EQ(WriteTiffImage(stream, true, &bitmap, progress, params), 3);
    stream.SetPosition(0);
    params.TiffImageIndex = 2;
    TQkBitmap page;
    TQkReadRequest third(stream, page, params, progress);
    ReadTiffImage(third);
    EXPECT_FALSE(aborting);
    EXPECT_EQ(page.GetWidth(), 4);
}
