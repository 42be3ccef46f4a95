#include <gtest/gtest.h>

#include <vector>

#include "imaging/core/QkIOParams.h"
#include "imaging/formats/fuzz/TiffReaderFuzzInput.h"
#include "imaging/formats/tests/FormatsTestSupport.h"
#include "imaging/formats/tiff/QkTiff.h"

namespace {

struct TTag {
    uint16_t Tag;
    uint16_t Type;
    uint32_t Count;
    uint32_t Value;
};

constexpr uint16_t Short = 3;
constexpr uint16_t Long = 4;
constexpr uint16_t Rational = 5;

std::string Word(uint32_t value, bool intel)
{
    return intel ? Bytes({int(value & 0xFF), int(value >> 8 & 0xFF)})
                 : Bytes({int(value >> 8 & 0xFF), int(value & 0xFF)});
}

std::string Dword(uint32_t value, bool intel)
{
    return intel ? Word(value & 0xFFFF, true) + Word(value >> 16, true)
                 : Word(value >> 16, false) + Word(value & 0xFFFF, false);
}

// A directory at `offset` and the offset of the byte after it.
std::string Directory(const std::vector<TTag>& tags, uint32_t next, bool intel = true)
{
    std::string ifd = Word(uint32_t(tags.size()), intel);
    for (const TTag& tag : tags) {
        ifd += Word(tag.Tag, intel) + Word(tag.Type, intel) + Dword(tag.Count, intel);
        // A single SHORT stands in the first two bytes of the value field.
        ifd += tag.Type == Short && tag.Count == 1 ? Word(tag.Value, intel) + Word(0, intel) : Dword(tag.Value, intel);
    }
    return ifd + Dword(next, intel);
}

uint32_t DataOffset(size_t tagCount) { return uint32_t(8 + 2 + 12 * tagCount + 4); }

std::string Header(bool intel = true)
{
    return (intel ? std::string("II") : std::string("MM")) + Word(42, intel) + Dword(8, intel);
}

// An 8 x 2 page of 8-bit gray, its pixels after the directory; `extra` tags
// are added and `replace` ones take the place of the defaults.
std::string GrayPage(const std::string& pixels, std::vector<TTag> extra = {}, bool intel = true)
{
    std::vector<TTag> tags = {{256, Short, 1, 8}, {257, Short, 1, 2}, {258, Short, 1, 8},
                              {259, Short, 1, 1}, {262, Short, 1, 1}, {273, Long, 1, 0},
                              {277, Short, 1, 1}, {278, Short, 1, 2}, {279, Long, 1, uint32_t(pixels.size())}};
    for (const TTag& tag : extra) {
        bool replaced = false;
        for (TTag& existing : tags)
            if (existing.Tag == tag.Tag) {
                existing = tag;
                replaced = true;
            }
        if (!replaced)
            tags.push_back(tag);
    }
    std::sort(tags.begin(), tags.end(), [](const TTag& a, const TTag& b) { return a.Tag < b.Tag; });
    for (TTag& tag : tags)
        if (tag.Tag == 273 && tag.Value == 0)
            tag.Value = DataOffset(tags.size());
    return Header(intel) + Directory(tags, 0, intel) + pixels;
}

const std::string Ramp = Bytes({0, 16, 32, 48, 64, 80, 96, 112, 128, 144, 160, 176, 192, 208, 224, 240});

class TiffBytes : public FilterTest {
protected:
    std::string GrayRow(int32_t y)
    {
        std::string row;
        for (int32_t x = 0; x < bitmap.GetWidth(); ++x)
            row.push_back(char(bitmap.GetScanline(y)[x * 3]));
        return row;
    }
};

} // namespace

TEST_F(TiffBytes, MotorolaAndIntelPagesReadAlike)
{
    for (bool intel : {true, false}) {
        ASSERT_TRUE(ReadWith(ReadTiffImage, GrayPage(Ramp, {}, intel))) << intel;
        EXPECT_EQ(params.Width, 8);
        EXPECT_EQ(params.Height, 2);
        EXPECT_EQ(params.TiffByteOrder, intel);
        EXPECT_EQ(GrayRow(0) + GrayRow(1), Ramp);
    }
}

TEST_F(TiffBytes, DirectoryChainsEndAtCycles)
{
    // Page 0 at 8 leads to page 1, which leads back to page 0.
    const std::vector<TTag> tags = {{256, Short, 1, 1}, {257, Short, 1, 1}};
    const uint32_t second = DataOffset(tags.size());
    const std::string looped = Header() + Directory(tags, second) + Directory(tags, 8);
    params.TiffImageIndex = 5;
    EXPECT_FALSE(ReadWith(ReadTiffImage, looped, true));
    EXPECT_EQ(params.ImageCount, 2);
    const std::string selfLoop = Header() + Directory(tags, 8);
    params.TiffImageIndex = 0;
    EXPECT_TRUE(ReadWith(ReadTiffImage, selfLoop, true));
    EXPECT_EQ(params.ImageCount, 1);
}

TEST_F(TiffBytes, RowsPerStripAndResolutionDefaults)
{
    for (uint32_t rows : {0u, 0xFFFFFFFFu, 1000u}) {
        ASSERT_TRUE(ReadWith(ReadTiffImage, GrayPage(Ramp, {{278, Long, 1, rows}}))) << rows;
        EXPECT_EQ(GrayRow(1), Ramp.substr(8)) << rows;
    }
    EXPECT_EQ(params.DpiX, 300);
    // 118.11 pixels a centimetre are 300 a inch.
    const std::string rational = Dword(11811, true) + Dword(100, true);
    std::string page = GrayPage(Ramp, {{282, Rational, 1, 0}, {296, Short, 1, 3}});
    const uint32_t at = uint32_t(page.size());
    page = GrayPage(Ramp, {{282, Rational, 1, at}, {296, Short, 1, 3}}) + rational;
    ASSERT_TRUE(ReadWith(ReadTiffImage, page, true));
    EXPECT_EQ(params.DpiX, 300);
}

TEST_F(TiffBytes, GrayAlphaAndAnUnstatedSampleKeepTheAlpha)
{
    // Three 8-bit samples take as many bytes as the 24-bit pixel they become,
    // yet the alpha must still reach the alpha channel.
    std::string pixels;
    for (char level : Ramp)
        pixels += Bytes({uint8_t(level), 255 - uint8_t(level), 7});
    ASSERT_TRUE(ReadWith(ReadTiffImage, GrayPage(pixels, {{277, Short, 1, 3}, {338, Short, 2, 2}})));
    EXPECT_EQ(GrayRow(0) + GrayRow(1), Ramp);
    ASSERT_TRUE(bitmap.HasAlphaChannel());
    std::string alpha;
    for (int32_t y = 0; y < 2; ++y)
        alpha.append(reinterpret_cast<const char*>(bitmap.GetAlphaChannel()->GetScanline(y)), 8);
    for (char& level : alpha)
        level = char(255 - uint8_t(level));
    EXPECT_EQ(alpha, Ramp);
}

TEST_F(TiffBytes, DamagedPagesFailCleanly)
{
    const struct {
        const char* Name;
        std::vector<TTag> Tags;
    } cases[] = {
        {"strip count beyond the stream", {{273, Long, 0x40000000, 8}}},
        {"strip offset past the end", {{273, Long, 1, 0x7FFFFFF0}}},
        {"width beyond the decode limit", {{256, Long, 1, 0x40000000}, {257, Long, 1, 0x40000000}}},
        {"mixed bits per sample", {{258, Short, 2, 0x00100008}, {277, Short, 1, 2}}},
        {"palette without a colour map", {{262, Short, 1, 3}}},
        {"unknown compression", {{259, Short, 1, 12345}}},
    };
    for (const auto& c : cases) {
        std::string page = GrayPage(Ramp, c.Tags);
        EXPECT_FALSE(ReadWith(ReadTiffImage, page)) << c.Name;
    }
    EXPECT_FALSE(ReadWith(ReadTiffImage, "II*\0\0\0\0\0"));
    EXPECT_FALSE(ReadWith(ReadTiffImage, "XX*\0\x08\0\0\0"));
}

TEST_F(TiffBytes, ATruncatedStripLeavesTheMissingRowsBlack)
{
    const std::string page = GrayPage(Ramp.substr(0, 10), {{279, Long, 1, 16}});
    ASSERT_TRUE(ReadWith(ReadTiffImage, page));
    EXPECT_EQ(GrayRow(0), Ramp.substr(0, 8));
    EXPECT_EQ(GrayRow(1), Ramp.substr(8, 2) + std::string(6, '\0'));
}

TEST_F(TiffBytes, PackBitsSkipsTheNoOpHeader)
{
    // -128 is no run; a run of 8 bytes 7, then 8 literal bytes.
    const std::string coded = Bytes({0x80, 0xF9, 7, 7, 0, 1, 2, 3, 4, 5, 6, 7});
    ASSERT_TRUE(ReadWith(ReadTiffImage, GrayPage(coded, {{259, Short, 1, 32773}})));
    EXPECT_EQ(GrayRow(0), std::string(8, '\7'));
    EXPECT_EQ(GrayRow(1), Bytes({0, 1, 2, 3, 4, 5, 6, 7}));
}

TEST_F(TiffBytes, SixteenBitGrayTakesTheHighByteOrTheOldWritersNibbleShift)
{
    std::string words;
    for (int i = 0; i < 16; ++i)
        words += Word(0x0ABC, true);
    ASSERT_TRUE(ReadWith(ReadTiffImage, GrayPage(words, {{258, Short, 1, 16}})));
    EXPECT_EQ(GrayRow(0), std::string(8, '\x0A'));
    std::string page = GrayPage(words, {{258, Short, 1, 16}, {305, 2, 16, 0}});
    page = GrayPage(words, {{258, Short, 1, 16}, {305, 2, 16, uint32_t(page.size())}}) + "Look@Molli v1.1";
    page.push_back('\0');
    ASSERT_TRUE(ReadWith(ReadTiffImage, page));
    EXPECT_EQ(GrayRow(0), std::string(8, '\xAB'));
}

TEST_F(TiffBytes, WhiteIsZeroAndFourBitGray)
{
    ASSERT_TRUE(ReadWith(ReadTiffImage, GrayPage(Ramp, {{262, Short, 1, 0}})));
    EXPECT_EQ(uint8_t(GrayRow(0)[1]), 255 - 16);
    // 4-bit samples 0 and 15 are black and white.
    const std::string nibbles = Bytes({0x0F, 0x0F, 0x0F, 0x0F, 0xF0, 0xF0, 0xF0, 0xF0});
    ASSERT_TRUE(ReadWith(ReadTiffImage, GrayPage(nibbles, {{258, Short, 1, 4}})));
    EXPECT_EQ(GrayRow(0), Bytes({0, 255, 0, 255, 0, 255, 0, 255}));
    EXPECT_EQ(GrayRow(1), Bytes({255, 0, 255, 0, 255, 0, 255, 0}));
}

TEST_F(TiffBytes, ProbeAnswersOnlyTiffData)
{
    TMemoryStream good;
    FillStream(good, GrayPage(Ramp));
    EXPECT_TRUE(IsTiffStream(good));
    EXPECT_EQ(good.Position(), 0);
    TMemoryStream bad;
    FillStream(bad, std::string("II*\0\xF0\0\0\0", 8));
    EXPECT_FALSE(IsTiffStream(bad));
}

// Every cut of a page, under every read the fuzz target chooses, ends
// without reading past the bytes (the sanitizer build checks the reads).
TEST_F(TiffBytes, EveryTruncationReadsCleanly)
{
    const std::string page = GrayPage(Ramp, {{259, Short, 1, 32773}});
    for (int choice : {0, 1, 2, 4, 8, 16}) {
        for (size_t length = 0; length <= page.size(); ++length) {
            const std::string input = char(choice) + page.substr(0, length);
            ReadAsTiff(reinterpret_cast<const uint8_t*>(input.data()), input.size());
        }
    }
}
