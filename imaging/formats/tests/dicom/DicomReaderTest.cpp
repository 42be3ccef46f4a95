#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "imaging/formats/dicom/QkDicom.h"
#include "imaging/formats/dicom/QkDicomDictionary.h"
#include "imaging/formats/fuzz/DicomFuzzInput.h"
#include "imaging/formats/tests/FormatsTestSupport.h"
#include "imaging/formats/tests/OracleTestSupport.h"
#include "imaging/formats/tests/dicom/DicomFixtures.h"

namespace {

using DicomReader = FilterTest;

std::string Words(std::initializer_list<int> values)
{
    std::string bytes;
    for (int value : values)
        bytes += TDicomFixture::Word(uint16_t(value));
    return bytes;
}

std::vector<int> Gray16(TQkBitmap& bitmap)
{
    std::vector<int> values;
    for (int32_t y = 0; y < bitmap.GetHeight(); ++y)
        for (int32_t x = 0; x < bitmap.GetWidth(); ++x)
            values.push_back(reinterpret_cast<const uint16_t*>(bitmap.GetScanline(y))[x]);
    return values;
}

std::vector<int> Gray8(TQkBitmap& bitmap)
{
    std::vector<int> values;
    for (int32_t y = 0; y < bitmap.GetHeight(); ++y)
        for (int32_t x = 0; x < bitmap.GetWidth(); ++x)
            values.push_back(bitmap.GetScanline(y)[x]);
    return values;
}

// An RLE frame: the header with the segments' offsets, then the segments.
std::string RleFrame(const std::vector<std::string>& segments)
{
    std::string header = TDicomFixture::LongBytes(uint32_t(segments.size()));
    uint32_t offset = 64;
    std::string body;
    for (const std::string& segment : segments) {
        header += TDicomFixture::LongBytes(offset);
        offset += uint32_t(segment.size());
        body += segment;
    }
    header.resize(64, '\0');
    return header + body;
}

} // namespace

TEST(DicomDictionary, IsStrictlySortedAndFindsRepeatingGroups)
{
    for (size_t i = 1; i < DicomDictionaryEntryCount; ++i) {
        const TDicomDictionaryEntry& before = DicomDictionaryEntries[i - 1];
        const TDicomDictionaryEntry& after = DicomDictionaryEntries[i];
        ASSERT_LT(uint32_t(before.Group) << 16 | before.Element, uint32_t(after.Group) << 16 | after.Element) << i;
    }
    const std::pair<std::pair<uint16_t, uint16_t>, std::string> cases[] = {
        {{0x0028, 0x0010}, "US"}, {{0x7FE0, 0x0010}, "xs"}, {{0xFFFE, 0xE000}, "!!"}, {{0x6002, 0x3000}, "xs"},
        {{0x6004, 0x0010}, "US"}, {{0x0009, 0x1001}, "xs"}, {{0x0028, 0x1201}, "OW"}, {{0x0008, 0x0018}, "UI"}};
    for (const auto& [tag, vr] : cases) {
        const TDicomVR found = DicomDictionaryVR(tag.first, tag.second);
        EXPECT_EQ(std::string(found.data(), 2), vr) << std::hex << tag.first << "," << tag.second;
    }
}

TEST(DicomUnpackBits, RunsLiteralsAndBounds)
{
    const std::string packed = Bytes({0xFE, 0xAA, 0x02, 0x01, 0x02, 0x03});
    std::vector<uint8_t> out(6);
    EXPECT_EQ(UnpackBits(reinterpret_cast<const uint8_t*>(packed.data()), 6, out), 6);
    EXPECT_EQ(out, (std::vector<uint8_t>{0xAA, 0xAA, 0xAA, 1, 2, 3}));
    // Output stops at the count; a literal cut by the end of the input and
    // the no-op -128 neither read nor write past their ends.
    std::vector<uint8_t> shortOut(2);
    UnpackBits(reinterpret_cast<const uint8_t*>(packed.data()), 6, shortOut);
    EXPECT_EQ(shortOut, (std::vector<uint8_t>{0xAA, 0xAA}));
    const std::string cut = Bytes({0x80, 0x05, 0x07});
    std::vector<uint8_t> rest(8);
    EXPECT_EQ(UnpackBits(reinterpret_cast<const uint8_t*>(cut.data()), 3, rest), 3);
    EXPECT_EQ(rest, (std::vector<uint8_t>{0x07}));
}

TEST(DicomDecimal, TakesTheFirstValue)
{
    EXPECT_EQ(DicomDecimal("40\\60", -1), 40);
    EXPECT_EQ(DicomDecimal(" -12.5 ", -1), -12.5);
    EXPECT_EQ(DicomDecimal("", -1), -1);
}

TEST_F(DicomReader, ProbeNeedsTheSignatureAtItsPlace)
{
    TMemoryStream stream;
    FillStream(stream, TDicomFixture().Bytes());
    EXPECT_TRUE(IsDicom(stream));
    EXPECT_EQ(stream.Position(), 0);
    TMemoryStream bare;
    FillStream(bare, TDicomFixture().Bytes().substr(132));
    EXPECT_FALSE(IsDicom(bare));
}

// Rescale, window and stretch over 16-bit signed samples: centre 40 and
// width 400 map -160 and below to 0, 239 and above to full white.
TEST_F(DicomReader, WindowsRescaledValuesThenStretches)
{
    const std::string file = TDicomFixture()
                                 .Image(1, 7, 1, 16, 16, 1, "MONOCHROME2")
                                 .Text(0x0028, 0x1050, "DS", "40\\60")
                                 .Text(0x0028, 0x1051, "DS", "400")
                                 .Text(0x0028, 0x1052, "DS", "-100")
                                 .Text(0x0028, 0x1053, "DS", "2")
                                 .Pixels(Words({-50, -30, 30, 70, 169, 170, 200}))
                                 .Bytes();
    ASSERT_TRUE(ReadWith(ReadDicom, file));
    ASSERT_EQ(bitmap.GetPixelFormat(), qk16g);
    // Rescaled: -200, -160, -40, 40, 238, 240, 300.
    EXPECT_EQ(Gray16(bitmap), (std::vector<int>{0, 0, 19709, 32849, 65370, 65535, 65535}));
}

TEST_F(DicomReader, NarrowWindowThresholdsAndFlatFramesGoBlack)
{
    const auto read = [this](const std::string& width, std::initializer_list<int> samples) {
        ReadWith(ReadDicom,
                 TDicomFixture()
                     .Image(1, 4, 1, 16, 12, 0, "MONOCHROME2")
                     .Text(0x0028, 0x1050, "DS", "100")
                     .Text(0x0028, 0x1051, "DS", width)
                     .Pixels(Words(samples))
                     .Bytes());
        return Gray16(bitmap);
    };
    EXPECT_EQ(read("1", {99, 100, 101, 0}), (std::vector<int>{0, 65535, 65535, 0}));
    EXPECT_EQ(read("0", {99, 100, 101, 0}), (std::vector<int>{0, 65535, 65535, 0}));
    EXPECT_EQ(read("50", {100, 100, 100, 100}), (std::vector<int>{0, 0, 0, 0}));
}

// Unsigned 16-bit samples above 32767 stay above the small ones, and a
// negative value does not move the values before it.
TEST_F(DicomReader, SignednessFollowsThePixelRepresentation)
{
    for (int representation : {0, 1}) {
        ASSERT_TRUE(ReadWith(ReadDicom,
                             TDicomFixture()
                                 .Image(1, 3, 1, 16, 16, representation, "MONOCHROME2")
                                 .Pixels(Words({0, 0xFFFF, 0x8000}))
                                 .Bytes()));
        const std::vector<int> expected =
            representation == 0 ? std::vector<int>{0, 65535, 32768} : std::vector<int>{65535, 65533, 0};
        EXPECT_EQ(Gray16(bitmap), expected) << representation;
    }
}

TEST_F(DicomReader, PackedTwelveBitsAndMonochrome1)
{
    ASSERT_TRUE(ReadWith(ReadDicom,
                         TDicomFixture()
                             .Image(1, 4, 1, 12, 12, 0, "MONOCHROME2")
                             .Pixels(Bytes({0x12, 0x34, 0x56, 0x00, 0x00, 0x80}))
                             .Bytes()));
    // 0x412, 0x563, 0 and 0x800, stretched.
    EXPECT_EQ(Gray16(bitmap), (std::vector<int>{33343, 44127, 0, 65535}));
    for (const char* photometric : {"MONOCHROME1", "MONOCHROME2"}) {
        ASSERT_TRUE(
            ReadWith(ReadDicom, TDicomFixture().Image(1, 2, 1, 8, 8, 0, photometric).Pixels(Bytes({10, 20})).Bytes()));
        ASSERT_EQ(bitmap.GetPixelFormat(), qk8g);
        EXPECT_EQ(Gray8(bitmap),
                  std::string(photometric) == "MONOCHROME1" ? (std::vector<int>{255, 0}) : (std::vector<int>{0, 255}));
    }
}

TEST_F(DicomReader, NativeFramesByIndexClampedToTheLast)
{
    const std::string file = TDicomFixture()
                                 .Image(1, 2, 1, 8, 8, 0, "MONOCHROME2")
                                 .Text(0x0028, 0x0008, "IS", "3")
                                 .Pixels(Bytes({0, 1, 5, 5, 9, 2}))
                                 .Bytes();
    const std::pair<int, std::vector<int>> cases[] = {{0, {0, 255}}, {1, {0, 0}}, {5, {255, 0}}};
    for (const auto& [index, expected] : cases) {
        params.SetImageIndex(index);
        ASSERT_TRUE(ReadWith(ReadDicom, file)) << index;
        EXPECT_EQ(Gray8(bitmap), expected) << index;
        EXPECT_EQ(params.ImageCount, 3);
    }
    EXPECT_EQ(params.ImageIndex, 2);
}

// The descriptor's first mapped value shifts the table; values outside it
// take the nearest entry.
TEST_F(DicomReader, PaletteFollowsItsDescriptor)
{
    TDicomFixture fixture;
    fixture.Image(1, 4, 1, 8, 8, 0, "PALETTE COLOR");
    for (uint16_t element : {0x1101, 0x1102, 0x1103})
        fixture.Element(0x0028, element, "US", Words({3, 10, 16}));
    fixture.Element(0x0028, 0x1201, "OW", Words({0x0000, 0xFFFF, 0x8080}));
    fixture.Element(0x0028, 0x1202, "OW", Words({0xFFFF, 0x0000, 0x0000}));
    fixture.Element(0x0028, 0x1203, "OW", Words({0x0000, 0x0000, 0xFFFF}));
    ASSERT_TRUE(ReadWith(ReadDicom, fixture.Pixels(Bytes({5, 10, 11, 200})).Bytes()));
    ASSERT_EQ(bitmap.GetPixelFormat(), qk24RGB);
    const uint8_t* row = bitmap.GetScanline(0);
    // Blue, green, red.
    EXPECT_EQ(std::vector<int>(row, row + 12), (std::vector<int>{0, 255, 0, 0, 255, 0, 0, 0, 255, 255, 0, 128}));
}

TEST_F(DicomReader, RunLengthSegmentsStartAtTheirOffsets)
{
    // The first segment is padded to even length: the pad is no control byte.
    const std::string high = Bytes({0xFF, 0x00, 0x00});
    const std::string low = Bytes({0x01, 0x10, 0x20});
    const std::string file = TDicomFixture("1.2.840.10008.1.2.5")
                                 .Image(1, 2, 1, 16, 16, 0, "MONOCHROME2")
                                 .Fragments({}, {RleFrame({high + Bytes({0x00}), low + Bytes({0x00})})})
                                 .Bytes();
    ASSERT_TRUE(ReadWith(ReadDicom, file));
    EXPECT_EQ(Gray16(bitmap), (std::vector<int>{0, 65535}));
    const std::string badOffsets =
        TDicomFixture("1.2.840.10008.1.2.5")
            .Image(1, 2, 1, 8, 8, 0, "MONOCHROME2")
            .Fragments({}, {Padded(TDicomFixture::LongBytes(1) + TDicomFixture::LongBytes(5000), 64)})
            .Bytes();
    EXPECT_FALSE(ReadWith(ReadDicom, badOffsets));
}

// Without an offset table each frame is one fragment; with one, a frame
// takes every fragment from its offset to the next frame's.
TEST_F(DicomReader, EncapsulatedFramesAndFragments)
{
    const auto rle = [](int first, int second) { return RleFrame({Bytes({0x01, first, second})}); };
    TDicomFixture noTable("1.2.840.10008.1.2.5");
    noTable.Image(1, 2, 1, 8, 8, 0, "MONOCHROME2").Text(0x0028, 0x0008, "IS", "3");
    const std::string file = noTable.Fragments({}, {rle(9, 0), rle(9, 0), rle(0, 9)}).Bytes();
    params.SetImageIndex(2);
    ASSERT_TRUE(ReadWith(ReadDicom, file));
    EXPECT_EQ(Gray8(bitmap), (std::vector<int>{0, 255}));

    const std::string whole = RleFrame({Bytes({0x01, 0x00, 0x09})});
    TDicomFixture split("1.2.840.10008.1.2.5");
    split.Image(1, 2, 1, 8, 8, 0, "MONOCHROME2");
    params.SetImageIndex(0);
    ASSERT_TRUE(ReadWith(ReadDicom, split.Fragments({0}, {whole.substr(0, 40), whole.substr(40)}).Bytes()));
    EXPECT_EQ(Gray8(bitmap), (std::vector<int>{0, 255}));

    TDicomFixture outside("1.2.840.10008.1.2.5");
    outside.Image(1, 2, 1, 8, 8, 0, "MONOCHROME2");
    EXPECT_FALSE(ReadWith(ReadDicom, outside.Fragments({4000}, {whole}).Bytes()));
}

TEST_F(DicomReader, CodingsWithoutADecoderAbort)
{
    for (const char* syntax : {"1.2.840.10008.1.2.4.80", "1.2.840.10008.1.2.4.81", "1.2.840.10008.1.2.1.99",
                               "1.2.840.10008.1.2.4.100", "1.2.840.10008.1.2.4.90", "1.2.3.4"}) {
        const std::string file =
            TDicomFixture(syntax).Image(1, 2, 1, 8, 8, 0, "MONOCHROME2").Fragments({}, {"ABCD"}).Bytes();
        EXPECT_FALSE(ReadWith(ReadDicom, file)) << syntax;
        EXPECT_TRUE(ReadWith(ReadDicom, file, true)) << syntax;
        EXPECT_EQ(params.Width, 2);
    }
}

// Layouts with no picture: colour above 8 bits, photometrics not shown,
// rows x columns beyond the decode limit, short data, no pixel data.
TEST_F(DicomReader, LayoutsItCannotShowAbort)
{
    const std::string cases[] = {
        TDicomFixture().Image(1, 1, 3, 16, 16, 0, "RGB").Pixels(std::string(6, '\0')).Bytes(),
        TDicomFixture().Image(1, 2, 1, 8, 8, 0, "HSV").Pixels(std::string(2, '\0')).Bytes(),
        TDicomFixture().Image(1, 2, 3, 8, 8, 0, "YBR_ICT").Pixels(std::string(6, '\0')).Bytes(),
        TDicomFixture().Image(60000, 60000, 1, 8, 8, 0, "MONOCHROME2").Pixels(std::string(2, '\0')).Bytes(),
        TDicomFixture().Image(2, 2, 1, 16, 16, 0, "MONOCHROME2").Pixels(std::string(6, '\0')).Bytes(),
        TDicomFixture().Image(2, 2, 1, 8, 8, 0, "MONOCHROME2").Bytes(),
    };
    for (const std::string& file : cases)
        EXPECT_FALSE(ReadWith(ReadDicom, file));
}

// A UT element's 4-byte length keeps the elements after it in step, and
// pixel data inside an icon sequence of undefined length is not the image.
TEST_F(DicomReader, LongLengthsAndNestedPixelData)
{
    TDicomFixture fixture;
    fixture.Element(0x0040, 0xA160, "UT", std::string(300, 'x'));
    fixture.Element(0x0088, 0x0200, "SQ", "").Image(1, 2, 1, 8, 8, 0, "MONOCHROME2");
    std::string file = fixture.Bytes();
    // Turn the empty sequence into one of undefined length holding an item
    // with an icon's pixel data.
    const std::string emptySequence = Bytes({0x88, 0x00, 0x00, 0x02, 'S', 'Q', 0, 0, 0, 0, 0, 0});
    const size_t at = file.find(emptySequence);
    ASSERT_NE(at, std::string::npos);
    const std::string icon = TDicomFixture().Element(0x7FE0, 0x0010, "OB", Bytes({1, 2})).Bytes().substr(132 + 28);
    const std::string nested = Bytes({0x88, 0x00, 0x00, 0x02, 'S', 'Q', 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}) +
        Bytes({0xFE, 0xFF, 0x00, 0xE0, 0xFF, 0xFF, 0xFF, 0xFF}) + icon + Bytes({0xFE, 0xFF, 0x0D, 0xE0, 0, 0, 0, 0}) +
        Bytes({0xFE, 0xFF, 0xDD, 0xE0, 0, 0, 0, 0});
    file.replace(at, emptySequence.size(), nested);
    file += TDicomFixture().Pixels(Bytes({3, 9})).Bytes().substr(132 + 28);
    ASSERT_TRUE(ReadWith(ReadDicom, file));
    EXPECT_EQ(params.Width, 2);
    EXPECT_EQ(Gray8(bitmap), (std::vector<int>{0, 255}));
    const TQkDICOMTag& text = params.DicomTags.GetTag(1);
    EXPECT_EQ(text.Element, 0xA160);
    EXPECT_EQ(text.DataLength, 300);
}

// Broken files (huge lengths, truncated items, offset tables and run-length
// offsets pointing outside) fail cleanly, as do the fuzz target's other
// calls over them.
TEST_F(DicomReader, MalformedFilesFailCleanly)
{
    const std::filesystem::path folder = std::filesystem::path(TEST_SOURCE_DIR) / "malformed";
    int replayed = 0;
    for (const auto& file : std::filesystem::directory_iterator(folder)) {
        const std::string name = file.path().filename().string();
        if (!name.starts_with("dicom-"))
            continue;
        const std::string bytes = FileContent(file.path().string());
        EXPECT_FALSE(ReadWith(ReadDicom, bytes)) << name;
        std::string input = " " + bytes;
        for (uint8_t choice : {0, 1, 2, 3, 4, 255}) {
            input[0] = char(choice);
            FuzzDicom(reinterpret_cast<const uint8_t*>(input.data()), input.size());
        }
        ++replayed;
    }
    EXPECT_GT(replayed, 0);
}
