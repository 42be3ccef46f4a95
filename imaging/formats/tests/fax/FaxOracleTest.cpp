#include <gtest/gtest.h>

#include <filesystem>

#include "imaging/core/tests/QkCommand.h"
#include "imaging/core/tests/QkTestFolder.h"
#include "imaging/formats/tests/fax/FaxTestRows.h"

namespace {

const std::string GoFaxData = "/usr/share/gocode/src/golang.org/x/image/ccitt/testdata/";

// The reference picture as decoded rows: 1 white, bits past the width set.
std::vector<TFaxBytes> ReferenceRows(int32_t width, int32_t height, bool inverted)
{
    const std::string gray = CommandOutput("convert " + GoFaxData + "bw-gopher.png -depth 8 gray:-");
    EXPECT_EQ(gray.size(), static_cast<size_t>(width * height));
    std::vector<TFaxBytes> rows(height, TFaxBytes(FaxRowBytes(width), 0xFF));
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            const bool white = (static_cast<uint8_t>(gray[y * width + x]) >= 128) != inverted;
            if (!white)
                rows[y][x / 8] = static_cast<uint8_t>(rows[y][x / 8] & ~(0x80 >> (x % 8)));
        }
    }
    return rows;
}

int64_t AlignToByte(int64_t position) { return (position + 7) / 8 * 8; }

bool EndOfLineAt(const TFaxBytes& data, int64_t position)
{
    for (int64_t bit = 0; bit < 12; ++bit) {
        const int64_t at = position + bit;
        const int32_t value = at / 8 < static_cast<int64_t>(data.size()) ? (data[at / 8] >> (7 - at % 8)) & 1 : 0;
        if (value != (bit == 11 ? 1 : 0))
            return false;
    }
    return true;
}

// Go's streams: group 3 rows are one-dimensional, each after an end of line;
// group 4 rows two-dimensional. In "aligned" streams every row's codes start
// on a byte boundary (in group 3 after its end of line).
std::vector<TFaxBytes> DecodeGoStream(const TFaxBytes& data, bool group4, bool aligned, int32_t width, int32_t height)
{
    std::vector<TFaxBytes> rows;
    TFaxBytes reference(FaxRowBytes(width), 0xFF);
    int64_t position = 0;
    for (int32_t y = 0; y < height; ++y) {
        if (!group4 && EndOfLineAt(data, position))
            position += 12;
        if (aligned)
            position = AlignToByte(position);
        TFaxBytes row(FaxRowBytes(width));
        if (group4)
            position = FaxDecodeRow2D(row, data, false, 1, position, reference, width);
        else
            position = FaxDecodeRow1D(row, data, 1, position, width);
        rows.push_back(row);
    }
    return rows;
}

} // namespace

TEST(FaxOracle, GoStreamsDecodeToTheirPicture)
{
    if (!std::filesystem::exists(GoFaxData))
        GTEST_SKIP() << "golang-golang-x-image-dev is not installed";
    const int32_t width = 153;
    const int32_t height = 55;
    for (const char* variant : {"", "-aligned", "-inverted", "-inverted-aligned"}) {
        for (bool group4 : {false, true}) {
            const std::string name = std::string("bw-gopher") + variant + (group4 ? ".ccitt_group4" : ".ccitt_group3");
            SCOPED_TRACE(name);
            const auto rows = DecodeGoStream(ReadFileBytes(GoFaxData + name), group4,
                                             std::string(variant).find("aligned") != std::string::npos, width, height);
            const auto expected =
                ReferenceRows(width, height, std::string(variant).find("inverted") != std::string::npos);
            for (int32_t y = 0; y < height; ++y)
                ASSERT_EQ(rows[y], expected[y]) << "row " << y;
        }
    }
}

TEST(FaxOracle, TruncatedGoStreamsStopAtTheirEnd)
{
    if (!std::filesystem::exists(GoFaxData))
        GTEST_SKIP() << "golang-golang-x-image-dev is not installed";
    const int32_t width = 153;
    const int32_t height = 55;
    const auto expected = ReferenceRows(width, height, false);
    for (const char* name : {"bw-gopher-truncated0.ccitt_group3", "bw-gopher-truncated1.ccitt_group3",
                             "bw-gopher-truncated0.ccitt_group4", "bw-gopher-truncated1.ccitt_group4"}) {
        SCOPED_TRACE(name);
        const TFaxBytes data = ReadFileBytes(GoFaxData + name);
        const bool group4 = std::string(name).find("group4") != std::string::npos;
        // The data is copied to a buffer of its own size: reading past it shows under ASan.
        const auto rows = DecodeGoStream(TFaxBytes(data), group4, false, width, height);
        // The cut falls in the picture's white bottom rows: missing data reads white.
        for (int32_t y = 0; y < height; ++y)
            ASSERT_EQ(rows[y], expected[y]) << "row " << y;
    }
}

TEST(FaxOracle, LibtiffReadsOurStrips)
{
    TestFolder folder;
    const int32_t width = 203;
    const int32_t height = 37;
    std::vector<TFaxBytes> rows(height, TFaxBytes(FaxRowBytes(width)));
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            const bool black = (x - 100) * (x - 100) + (y - 18) * (y - 18) * 9 < 80 * 80 && (x / 7 + y / 5) % 3 != 0;
            if (black)
                rows[y][x / 8] = static_cast<uint8_t>(rows[y][x / 8] | 0x80 >> (x % 8));
        }
    }
    const struct {
        const char* Name;
        TFaxScheme Scheme;
        uint16_t Compression;
        uint32_t T4Options;
        uint16_t FillOrder;
    } cases[] = {
        {"modified Huffman", TFaxScheme::MH, 2, 0, 1},
        {"T.4 one-dimensional", TFaxScheme::OneD, 3, 0, 1},
        {"T.4 two-dimensional", TFaxScheme::G3, 3, 1, 1},
        {"T.4 two-dimensional, fill order 2", TFaxScheme::G3, 3, 1, 2},
        {"T.6", TFaxScheme::G4, 4, 0, 1},
        {"T.6, fill order 2", TFaxScheme::G4, 4, 0, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TTiffStripFile file;
        file.Width = width;
        file.Height = height;
        file.BitsPerSample = 1;
        file.Compression = c.Compression;
        file.Photometric = 0;
        file.FillOrder = c.FillOrder;
        file.T4Options = c.T4Options;
        file.Strip = EncodeFaxStrip(c.Scheme, rows, width, c.FillOrder);
        WriteFileBytes(folder.File("ours.tif"), BuildTiff(file));
        CommandOutput("tiffcp -c none -f msb2lsb " + folder.File("ours.tif") + " " + folder.File("plain.tif") +
                      " 2>&1");
        const TTiffStrips plain = ReadTiffStrips(folder.File("plain.tif"));
        TFaxBytes pixels;
        for (const TFaxBytes& strip : plain.Strips)
            pixels.insert(pixels.end(), strip.begin(), strip.end());
        TFaxBytes expected;
        for (const TFaxBytes& row : rows)
            expected.insert(expected.end(), row.begin(), row.end());
        EXPECT_EQ(pixels, expected);
    }
}

TEST(FaxOracle, DecodesLibtiffStrips)
{
    TestFolder folder;
    const std::string source = folder.File("bilevel.tif");
    CommandOutput(
        "convert -seed 3 -size 211x43 plasma:fractal -colorspace gray -threshold 50% -depth 1 -compress None " +
        source);
    CommandOutput("tiffcp -c none -r 1000 " + source + " " + folder.File("plain.tif"));
    const TTiffStrips plain = ReadTiffStrips(folder.File("plain.tif"));
    ASSERT_EQ(plain.Strips.size(), 1u);
    const int32_t width = static_cast<int32_t>(plain.Width);
    const int32_t height = static_cast<int32_t>(plain.Height);
    const struct {
        const char* Compression;
        TFaxScheme Scheme;
        bool EolFill;
    } cases[] = {
        {"g3:1d", TFaxScheme::OneD, false},
        {"g3:2d", TFaxScheme::G3, false},
        {"g3:2d:fill", TFaxScheme::G3, true},
        {"g4", TFaxScheme::G4, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Compression);
        const std::string coded = folder.File("coded.tif");
        CommandOutput(std::string("tiffcp -r 1000 -c ") + c.Compression + " " + source + " " + coded);
        const TTiffStrips strips = ReadTiffStrips(coded);
        ASSERT_EQ(strips.Strips.size(), 1u);
        // Fax data codes 0 bits as white runs, whatever the photometric tag says.
        std::vector<TFaxBytes> rows;
        if (c.EolFill) {
            TFaxBytes reference(FaxRowBytes(width), 0xFF);
            int64_t position = 0;
            for (int32_t y = 0; y < height; ++y) {
                rows.emplace_back(FaxRowBytes(width));
                position = FaxDecodeRow2D(rows.back(), strips.Strips[0], true, 1, position, reference, width);
            }
        } else {
            rows = DecodeFaxStrip(c.Scheme, strips.Strips[0], width, height);
        }
        for (int32_t y = 0; y < height; ++y) {
            const TFaxBytes expected(plain.Strips[0].begin() + y * FaxRowBytes(width),
                                     plain.Strips[0].begin() + (y + 1) * FaxRowBytes(width));
            ASSERT_EQ(rows[y], AsDecoded(expected, width)) << "row " << y;
        }
    }
}
