#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <vector>

#include "imaging/formats/fuzz/PcxFuzzInput.h"
#include "imaging/formats/pcx/QkPcx.h"
#include "imaging/formats/pcx/QkPcxCodec.h"
#include "imaging/formats/tests/CodecTestFiles.h"
#include "imaging/formats/tests/FormatsTestSupport.h"

namespace {

struct TFixtureHeader {
    int bits = 8;
    int planes = 1;
    int width = 4;
    int height = 2;
    int bytesPerLine = 4;
    int encoding = 1;
    int dpiX = 72;
    int dpiY = 72;
    std::vector<TRGBPixel> palette{};
};

std::string PcxBytes(const TFixtureHeader& fixture, const std::string& data)
{
    TPcxHeader header;
    header.Encoding = static_cast<uint8_t>(fixture.encoding);
    header.BitsPerPixel = static_cast<uint8_t>(fixture.bits);
    header.XMax = fixture.width - 1;
    header.YMax = fixture.height - 1;
    header.DpiX = fixture.dpiX;
    header.DpiY = fixture.dpiY;
    std::copy(fixture.palette.begin(), fixture.palette.end(), header.Palette.begin());
    header.Planes = static_cast<uint8_t>(fixture.planes);
    header.BytesPerLine = fixture.bytesPerLine;
    const auto bytes = PcxHeaderBytes(header);
    return std::string(bytes.begin(), bytes.end()) + data;
}

// A 256-colour trailer whose entry i is (i, 255 - i, i / 2), red first.
std::string PaletteTrailer(bool marker = true)
{
    std::string trailer = marker ? Bytes({12}) : std::string();
    for (int i = 0; i < 256; ++i)
        trailer += Bytes({i, 255 - i, i / 2});
    return trailer;
}

// Red, green, blue of the qk24RGB pixel.
std::vector<int> Rgb(TQkBitmap& bitmap, int x, int y)
{
    const uint8_t* pixel = bitmap.GetScanline(y) + x * 3;
    return {pixel[2], pixel[1], pixel[0]};
}

using PcxReader = FilterTest;
using PcxWriter = FilterTest;
using Dcx = FilterTest;

} // namespace

TEST_F(PcxReader, DpiWithAZeroSideTakesTheDefaultForBoth)
{
    TFixtureHeader fixture{.bits = 1, .width = 8, .height = 1, .bytesPerLine = 2, .dpiX = 0, .dpiY = 150};
    ASSERT_TRUE(ReadWith(ReadPcxImage, PcxBytes(fixture, Bytes({0xF0, 0})), true));
    EXPECT_EQ(params.DpiX, DefaultDpiX);
    EXPECT_EQ(params.DpiY, DefaultDpiY);
    fixture.dpiX = 96;
    ASSERT_TRUE(ReadWith(ReadPcxImage, PcxBytes(fixture, Bytes({0xF0, 0})), true));
    EXPECT_EQ(params.DpiX, 96);
    EXPECT_EQ(params.DpiY, 150);
}

// A run of three 0xFF fills the first line of two bytes and carries on
// into the next.
TEST_F(PcxReader, RunCrossingALineContinuesOnTheNext)
{
    const TFixtureHeader fixture{.bits = 1, .width = 16, .height = 2, .bytesPerLine = 2};
    ASSERT_TRUE(ReadWith(ReadPcxImage, PcxBytes(fixture, Bytes({0xC3, 0xFF, 0x0F}))));
    ASSERT_EQ(bitmap.GetPixelFormat(), qk1g);
    EXPECT_EQ(bitmap.GetScanline(0)[0], 0xFF);
    EXPECT_EQ(bitmap.GetScanline(0)[1], 0xFF);
    EXPECT_EQ(bitmap.GetScanline(1)[0], 0xFF);
    EXPECT_EQ(bitmap.GetScanline(1)[1], 0x0F);
}

TEST_F(PcxReader, OddWidthFourBitImageReadsWidthPixels)
{
    const std::vector<TRGBPixel> palette = {{0, 0, 0}, {3, 2, 1}, {6, 5, 4}, {9, 8, 7}};
    const TFixtureHeader fixture{.bits = 4, .width = 3, .height = 1, .bytesPerLine = 2, .palette = palette};
    ASSERT_TRUE(ReadWith(ReadPcxImage, PcxBytes(fixture, Bytes({0x12, 0x3F}))));
    ASSERT_EQ(bitmap.GetWidth(), 3);
    EXPECT_EQ(Rgb(bitmap, 0, 0), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(Rgb(bitmap, 1, 0), (std::vector<int>{4, 5, 6}));
    EXPECT_EQ(Rgb(bitmap, 2, 0), (std::vector<int>{7, 8, 9}));
    EXPECT_EQ(params.ColorMapCount, 16);
}

// The palette is taken from the last 768 bytes whether or not the marker
// byte is there; the colour map reports all 256 entries.
TEST_F(PcxReader, EightBitPaletteWithOrWithoutMarker)
{
    const TFixtureHeader fixture{.width = 2, .height = 1, .bytesPerLine = 2};
    for (const bool marker : {true, false}) {
        ASSERT_TRUE(ReadWith(ReadPcxImage, PcxBytes(fixture, Bytes({7, 200, 200}) + PaletteTrailer(marker))));
        EXPECT_EQ(Rgb(bitmap, 0, 0), (std::vector<int>{7, 248, 3}));
        EXPECT_EQ(Rgb(bitmap, 1, 0), (std::vector<int>{200, 55, 100}));
        ASSERT_EQ(params.ColorMapCount, 256);
        EXPECT_EQ(params.ColorMap[7].r, 7);
        EXPECT_EQ(params.ColorMap[7].b, 3);
    }
}

TEST_F(PcxReader, RefusesBadHeadersAndGeometry)
{
    const TFixtureHeader good{.bits = 8, .planes = 3, .width = 4, .height = 2, .bytesPerLine = 4};
    const std::string data(24, '\0');
    struct Case {
        const char* name;
        std::string bytes;
    };
    std::vector<Case> cases = {
        {"header cut short", PcxBytes(good, data).substr(0, 100)},
        {"bytes per line below the width", PcxBytes({.planes = 3, .width = 5, .bytesPerLine = 4}, data)},
        {"size over the decode limit",
         PcxBytes({.planes = 3, .width = 65535, .height = 65535, .bytesPerLine = 65535}, data)},
        {"256 colours without room for the palette", PcxBytes({.width = 4, .height = 1}, std::string(767, '\0'))},
        {"more than 8 bits", PcxBytes({.bits = 16, .planes = 1}, data)},
        {"encoding 2", PcxBytes({.planes = 3, .encoding = 2}, data)},
    };
    std::string badManufacturer = PcxBytes(good, data);
    badManufacturer[0] = 11;
    cases.push_back({"manufacturer 11", badManufacturer});
    std::string xBackwards = PcxBytes(good, data);
    xBackwards[4] = 9; // Xmin 9 > Xmax 3
    cases.push_back({"Xmax below Xmin", xBackwards});
    std::string yBackwards = PcxBytes(good, data);
    yBackwards[6] = 9;
    cases.push_back({"Ymax below Ymin", yBackwards});
    const int64_t savedLimit = DecodePixelLimit;
    DecodePixelLimit = 1 << 20;
    for (const Case& c : cases) {
        EXPECT_FALSE(ReadWith(ReadPcxImage, c.bytes)) << c.name;
        EXPECT_FALSE(ReadWith(ReadPcxImage, c.bytes, true)) << c.name;
    }
    DecodePixelLimit = savedLimit;
    EXPECT_TRUE(ReadWith(ReadPcxImage, PcxBytes(good, data)));
}

// Decoding stops at the end of the data: what was decoded stays, the rest
// of the image is 0, and the image is not refused.
TEST_F(PcxReader, TruncatedRunsLeaveTheRestZero)
{
    const TFixtureHeader fixture{.planes = 3, .width = 2, .height = 2, .bytesPerLine = 2};
    ASSERT_TRUE(ReadWith(ReadPcxImage, PcxBytes(fixture, Bytes({0xC2, 10, 0xC2, 20, 0xC2}))));
    EXPECT_EQ(Rgb(bitmap, 1, 0), (std::vector<int>{10, 20, 0}));
    EXPECT_EQ(Rgb(bitmap, 1, 1), (std::vector<int>{0, 0, 0}));
}

TEST_F(PcxReader, PlaneLayouts)
{
    // Four planes of 8 bits: red, green, blue and alpha.
    ASSERT_TRUE(ReadWith(
        ReadPcxImage,
        PcxBytes({.planes = 4, .width = 1, .height = 1, .bytesPerLine = 2}, Bytes({1, 0, 2, 0, 3, 0, 128, 0}))));
    EXPECT_EQ(Rgb(bitmap, 0, 0), (std::vector<int>{1, 2, 3}));
    ASSERT_TRUE(bitmap.HasAlphaChannel());
    EXPECT_EQ(bitmap.GetAlpha(0, 0), 128);

    // Four planes of 1 bit: bit x of plane p is bit p of a 16-colour index.
    std::vector<TRGBPixel> sixteen(16);
    for (int i = 0; i < 16; ++i)
        sixteen[size_t(i)] = TRGBPixel{0, 0, uint8_t(i * 10)};
    ASSERT_TRUE(ReadWith(
        ReadPcxImage,
        PcxBytes(
            {.bits = 1, .planes = 4, .width = 2, .height = 1, .bytesPerLine = 2, .encoding = 0, .palette = sixteen},
            Bytes({0x80, 0, 0x40, 0, 0xC0, 0, 0x80, 0}))));
    EXPECT_EQ(Rgb(bitmap, 0, 0)[0], (1 + 4 + 8) * 10);
    EXPECT_EQ(Rgb(bitmap, 1, 0)[0], (2 + 4) * 10);
    EXPECT_EQ(params.BitsPerSample, 4);
    EXPECT_EQ(params.SamplesPerPixel, 1);

    // One plane of 2 bits: the first four header entries.
    ASSERT_TRUE(ReadWith(
        ReadPcxImage,
        PcxBytes({.bits = 2, .width = 4, .height = 1, .bytesPerLine = 2, .palette = sixteen}, Bytes({0x1B, 0}))));
    EXPECT_EQ(Rgb(bitmap, 0, 0)[0], 0);
    EXPECT_EQ(Rgb(bitmap, 3, 0)[0], 30);
    EXPECT_EQ(params.ColorMapCount, 4);

    // Two planes of 8 bits: the parameters are reported, the image refused.
    const std::string twoPlanes = PcxBytes({.planes = 2, .width = 2, .height = 1, .bytesPerLine = 2}, "abcd");
    EXPECT_TRUE(ReadWith(ReadPcxImage, twoPlanes, true));
    EXPECT_EQ(params.SamplesPerPixel, 2);
    EXPECT_FALSE(ReadWith(ReadPcxImage, twoPlanes));
}

TEST(PcxEncodeLine, Runs)
{
    struct Case {
        std::vector<uint8_t> in;
        int stride;
        std::vector<uint8_t> out;
    };
    const std::vector<uint8_t> seventy(70, 7);
    const Case cases[] = {
        {{200}, 1, {193, 200, 0}},
        {{1, 1, 1, 2}, 1, {0xC3, 1, 2}},
        {{5, 6}, 1, {5, 6}},
        {seventy, 1, {0xFF, 7, 0xC7, 7}},
        {{9, 0, 0, 9, 0, 0, 8, 0, 0, 1}, 3, {0xC2, 9, 8, 1}},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> out;
        PcxEncodeLine(c.in.data(), int32_t((c.in.size() + c.stride - 1) / c.stride), c.stride, out);
        EXPECT_EQ(out, c.out);
    }
}

// Width 5 at 24 bits: 6 bytes per line, each plane line encoded on its own
// and closed by a 0 byte.
TEST_F(PcxWriter, RgbLinesArePaddedToEven)
{
    bitmap.Allocate(5, 1, qk24RGB);
    bitmap.Fill(0);
    uint8_t* row = bitmap.GetScanline(0);
    for (int x = 0; x < 5; ++x)
        row[x * 3 + 2] = 200; // red
    params.BitsPerSample = 8;
    params.SamplesPerPixel = 3;
    params.DpiX = 70000;
    const std::string file = WriteWith(WritePcxImage);
    ASSERT_FALSE(aborting);
    const TPcxHeader header = ParsePcxHeader(
        std::span<const uint8_t, PcxHeaderSize>(reinterpret_cast<const uint8_t*>(file.data()), PcxHeaderSize));
    EXPECT_EQ(header.BytesPerLine, 6);
    EXPECT_EQ(header.Planes, 3);
    EXPECT_EQ(header.PaletteInfo, 0);
    EXPECT_EQ(header.DpiX, 70000 & 0xFFFF);
    EXPECT_EQ(file.substr(PcxHeaderSize), Bytes({0xC5, 200, 0, 0xC5, 0, 0, 0xC5, 0, 0}));
}

// Every writer depth, run-length coded or raw, reads back with the
// reader's layout for it.
TEST_F(PcxWriter, EveryDepthReadsBack)
{
    TQkBitmap source;
    source.Allocate(7, 3, qk24RGB);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 7; ++x) {
            uint8_t* pixel = source.GetScanline(y) + x * 3;
            pixel[0] = uint8_t(x * 30);
            pixel[1] = uint8_t(y * 100);
            pixel[2] = uint8_t((x + y) % 2 * 255);
        }
    struct Case {
        int bits, samples;
        TQkPixelFormat format;
    };
    for (const bool compressed : {true, false})
        for (const Case c : {Case{1, 1, qk1g}, Case{4, 1, qk24RGB}, Case{8, 1, qk24RGB}, Case{8, 3, qk24RGB}}) {
            SCOPED_TRACE(c.bits * c.samples);
            bitmap.Assign(&source);
            params.BitsPerSample = c.bits;
            params.SamplesPerPixel = c.samples;
            params.PcxCompression = compressed;
            const std::string file = WriteWith(WritePcxImage);
            ASSERT_TRUE(ReadWith(ReadPcxImage, file));
            ASSERT_EQ(bitmap.GetPixelFormat(), c.format);
            EXPECT_EQ(bitmap.GetWidth(), 7);
            if (c.bits * c.samples < 8)
                continue;
            // 21 colours fit 8 bits exactly.
            for (int y = 0; y < 3; ++y)
                EXPECT_EQ(std::memcmp(bitmap.GetScanline(y), source.GetScanline(y), 21), 0);
        }
}

TEST_F(PcxWriter, TwoColourImageKeepsItsColoursInThePalette)
{
    bitmap.Allocate(9, 1, qk24RGB);
    for (int x = 0; x < 9; ++x) {
        uint8_t* pixel = bitmap.GetScanline(0) + x * 3;
        pixel[0] = x % 3 == 0 ? 200 : 10;
        pixel[1] = 20;
        pixel[2] = 30;
    }
    params.BitsPerSample = 1;
    params.SamplesPerPixel = 1;
    const std::string file = WriteWith(WritePcxImage);
    ASSERT_TRUE(ReadWith(ReadPcxImage, file));
    ASSERT_EQ(params.ColorMapCount, 2);
    EXPECT_EQ(params.ColorMap[0].b, 10);
    EXPECT_EQ(params.ColorMap[1].b, 200);
    EXPECT_EQ(bitmap.GetScanline(0)[0], 0x92); // pixels 0, 3, 6 lighter
}

namespace {

// A DCX over pages whose widths tell them apart.
std::string DcxOfWidths(std::initializer_list<int> widths)
{
    std::vector<std::string> pages;
    for (int width : widths)
        pages.push_back(PcxBytes({.bits = 1, .width = width, .height = 1, .bytesPerLine = 2}, Bytes({0xC2, 0xFF})));
    std::string table = Bytes({0xB1, 0x68, 0xDE, 0x3A});
    uint32_t offset = uint32_t(4 + 4 * (pages.size() + 1));
    for (const std::string& page : pages) {
        table += Bytes({int(offset & 0xFF), int(offset >> 8 & 0xFF), 0, 0});
        offset += uint32_t(page.size());
    }
    table += Bytes({0, 0, 0, 0});
    for (const std::string& page : pages)
        table += page;
    return table;
}

} // namespace

TEST_F(Dcx, ReadsTheChosenPageClampedToThePages)
{
    const std::string file = DcxOfWidths({3, 5, 7});
    for (const auto& [index, width] : {std::pair{0, 3}, {1, 5}, {2, 7}, {9, 7}, {-4, 3}}) {
        params.DcxImageIndex = index;
        ASSERT_TRUE(ReadWith(ReadDcxImage, file));
        EXPECT_EQ(bitmap.GetWidth(), width);
        EXPECT_EQ(params.ImageCount, 3);
        EXPECT_EQ(params.GifImageIndex, params.DcxImageIndex);
    }
}

TEST_F(Dcx, OffsetAtOrBeyondTheEndIsNotDcx)
{
    std::string file = DcxOfWidths({3, 5});
    TMemoryStream stream;
    FillStream(stream, file);
    EXPECT_TRUE(IsDcxStream(stream));
    file[8] = char(file.size() & 0xFF);
    file[9] = char(file.size() >> 8);
    FillStream(stream, file);
    EXPECT_FALSE(IsDcxStream(stream));
    EXPECT_EQ(stream.Position(), 0);
    EXPECT_FALSE(ReadWith(ReadDcxImage, file));
}

namespace {

// Widths of the pages of the DCX in the stream, from its position.
std::vector<int> PageWidths(TMemoryStream& stream, TIOParamsVals& params)
{
    std::vector<int> widths;
    const int64_t start = stream.Position();
    for (int32_t index = 0;; ++index) {
        TQkBitmap page;
        TQkFilterProgress progress;
        std::atomic<bool> aborting = false;
        progress.Aborting = &aborting;
        params.DcxImageIndex = index;
        stream.SetPosition(start);
        TQkReadRequest request(stream, page, params, progress);
        ReadDcxImage(request);
        if (aborting || params.DcxImageIndex != index)
            return widths;
        widths.push_back(page.GetWidth());
    }
}

} // namespace

TEST_F(Dcx, InsertsBeforeTheIndexOrAfterTheLastPage)
{
    bitmap.Allocate(11, 2, qk1g);
    bitmap.Fill(0);
    params.BitsPerSample = 1;
    for (const auto& [index, expected] :
         {std::pair{0, std::vector{11, 3, 5, 7}}, {7, std::vector{3, 5, 7, 11}}, {1, std::vector{3, 11, 5, 7}}}) {
        TMemoryStream stream;
        FillStream(stream, DcxOfWidths({3, 5, 7}));
        params.DcxImageIndex = index;
        TQkWriteRequest request{stream, bitmap, params, progress};
        aborting = false;
        progress.Aborting = &aborting;
        WriteDcxImage(request);
        ASSERT_FALSE(aborting);
        stream.SetPosition(0);
        EXPECT_EQ(PageWidths(stream, params), expected) << index;
    }
}

// The DCX lives from the stream's position on: a DCX written after other
// data is whole once that data is cut off.
TEST_F(Dcx, WrittenAfterOtherDataStandsAlone)
{
    bitmap.Allocate(4, 4, qk24RGB);
    bitmap.Fill(0);
    TMemoryStream stream;
    const std::string prefix(100, 'x');
    stream.Write(prefix.data(), 100);
    TQkWriteRequest request{stream, bitmap, params, progress};
    progress.Aborting = &aborting;
    for (int page = 0; page < 2; ++page) {
        stream.SetPosition(100);
        params.DcxImageIndex = 9;
        WriteDcxImage(request);
    }
    ASSERT_FALSE(aborting);
    const std::string whole(static_cast<const char*>(stream.Memory()), size_t(stream.Size()));
    EXPECT_EQ(whole.substr(0, 100), prefix);
    TMemoryStream cut;
    FillStream(cut, whole.substr(100));
    EXPECT_EQ(PageWidths(cut, params), (std::vector{4, 4}));
}

TEST_F(Dcx, RefusesToInsertIntoAFullFileOrAnotherFormat)
{
    // 1024 table entries, every one pointing at the same page.
    std::string full = Bytes({0xB1, 0x68, 0xDE, 0x3A});
    const uint32_t pageOffset = 4 + 4 * 1024;
    for (int i = 0; i < 1024; ++i)
        full += Bytes({int(pageOffset & 0xFF), int(pageOffset >> 8), 0, 0});
    full += PcxBytes({.bits = 1, .width = 3, .height = 1, .bytesPerLine = 2}, Bytes({0xC2, 0xFF}));
    bitmap.Allocate(2, 2, qk1g);
    for (const std::string& file : {full, std::string("not a multipage file")}) {
        TMemoryStream stream;
        FillStream(stream, file);
        TQkWriteRequest request{stream, bitmap, params, progress};
        aborting = false;
        progress.Aborting = &aborting;
        WriteDcxImage(request);
        EXPECT_TRUE(aborting);
        EXPECT_EQ(std::string(static_cast<const char*>(stream.Memory()), size_t(stream.Size())), file);
    }
}

// Inputs that once failed the PaintBrush fuzz target are read again as it
// reads them.
TEST_F(PcxReader, MalformedInputsReadSafely)
{
    const std::filesystem::path folder = std::filesystem::path(TEST_SOURCE_DIR) / "malformed";
    for (const auto& file : std::filesystem::directory_iterator(folder)) {
        const std::string name = file.path().filename().string();
        if (!name.starts_with("pcx-") && !name.starts_with("dcx-"))
            continue;
        SCOPED_TRACE(name);
        const std::vector<uint8_t> bytes = ReadFileBytes(file.path().string());
        ReadAsPcxOrDcx(bytes.data(), bytes.size());
    }
}
