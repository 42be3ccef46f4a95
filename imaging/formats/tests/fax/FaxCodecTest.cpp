#include <gtest/gtest.h>

#include <random>

#include "imaging/formats/fax/FaxCodec.h"
#include "imaging/formats/tests/fax/FaxTestRows.h"

namespace {

TFaxBytes DecodeOne(TFaxScheme scheme, const TFaxBytes& data, int32_t width)
{
    return DecodeFaxStrip(scheme, data, width, 1).front();
}

} // namespace

TEST(FaxCodec, PartCases)
{
    // Encoding.
    const TFaxBytes white2561(FaxRowBytes(2561), 0);
    EXPECT_EQ(EncodeFaxStrip(TFaxScheme::MH, {white2561}, 2561), BitString("000000011111 000111"))
        << "a white run of 2561 is the 2560 make-up code and terminating code 1";
    EXPECT_EQ(EncodeFaxStrip(TFaxScheme::MH, {{0x80}}, 8), BitString("00110101 010 1111"))
        << "a row starting black starts with a white run of 0";

    // Decoding.
    const struct {
        const char* Name;
        TFaxScheme Scheme;
        std::string Bits;
        uint8_t Row; // width 8, 1 white
    } cases[] = {
        {"EOL tagged 1: the row is one-dimensional", TFaxScheme::G3, "000000000001 1 1000 11 1000", 0xE7},
        {"EOL tagged 0: two-dimensional", TFaxScheme::G3, "000000000001 0 1 1", 0xFF},
        {"EOL inside a black run paints the rest black", TFaxScheme::OneD, "0111 000000000001", 0xC0},
        {"EOL at the row start is skipped", TFaxScheme::OneD, "000000000001 1000 11 1000", 0xE7},
        {"unknown bits are skipped", TFaxScheme::OneD, "0000000000000000000000000000000001 1000 11 1000", 0xE7},
        {"uncompressed 001: two white, one black", TFaxScheme::G4, "0000001111 001 00000010 1", 0xDF},
        {"uncompressed exit into black", TFaxScheme::G4, "0000001111 1 0000001 1 001 11 1100", 0x1F},
        {"vertical modes", TFaxScheme::G4, "0000010 011", 0xF8},
        {"pass mode over the reference", TFaxScheme::G4, "0001 1", 0xFF},
        {"horizontal runs clip to the width", TFaxScheme::G4, "001 1000 000011000", 0xE0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(DecodeOne(c.Scheme, BitString(c.Bits), 8), TFaxBytes{c.Row});
    }
}

TEST(FaxCodec, FillOrderTwoReadsReversedBytes)
{
    std::vector<TFaxBytes> rows{{0x0F, 0xF0}, {0x3C, 0x00}, {0xFF, 0xF0}};
    for (TFaxScheme scheme : {TFaxScheme::MH, TFaxScheme::OneD, TFaxScheme::G3, TFaxScheme::G4}) {
        const TFaxBytes msbFirst = EncodeFaxStrip(scheme, rows, 12, 1);
        TFaxBytes lsbFirst = EncodeFaxStrip(scheme, rows, 12, 2);
        ASSERT_EQ(lsbFirst.size(), msbFirst.size());
        for (size_t i = 0; i < msbFirst.size(); ++i) {
            uint8_t reversed = 0;
            for (int bit = 0; bit < 8; ++bit)
                reversed = static_cast<uint8_t>(reversed | ((msbFirst[i] >> bit) & 1) << (7 - bit));
            EXPECT_EQ(lsbFirst[i], reversed);
        }
        EXPECT_EQ(DecodeFaxStrip(scheme, lsbFirst, 12, 3, 2), DecodeFaxStrip(scheme, msbFirst, 12, 3, 1));
    }
}

TEST(FaxCodec, RandomRowsRoundTrip)
{
    std::mt19937 random(21);
    std::uniform_int_distribution<int32_t> widths(1, 3000);
    for (int32_t round = 0; round < 24; ++round) {
        const auto scheme = static_cast<TFaxScheme>(round % 4);
        const int32_t width = round < 4 ? 3000 : widths(random);
        SCOPED_TRACE(testing::Message() << "scheme " << round % 4 << " width " << width);
        // Rows of random runs, each row a small change of the one above
        // (which the two-dimensional modes follow), now and then a long run.
        std::vector<TFaxBytes> rows;
        TFaxBytes row(FaxRowBytes(width));
        for (int32_t y = 0; y < 8; ++y) {
            int32_t x = static_cast<int32_t>(random() % 5);
            while (x < width) {
                const int32_t run = random() % 10 == 0 ? static_cast<int32_t>(random() % 2800) : 1 + random() % 12;
                const bool flip = random() % 3 == 0;
                for (int32_t i = x; i < std::min(x + run, width); ++i) {
                    if (flip || y == 0)
                        row[i / 8] = static_cast<uint8_t>(row[i / 8] ^ (0x80 >> (i % 8)));
                }
                x += run + static_cast<int32_t>(random() % 4);
            }
            if (width % 8 != 0)
                row.back() = static_cast<uint8_t>(row.back() & (0xFF00 >> (width % 8)));
            rows.push_back(row);
        }
        const TFaxBytes strip = EncodeFaxStrip(scheme, rows, width);
        const auto decoded = DecodeFaxStrip(scheme, strip, width, static_cast<int32_t>(rows.size()));
        for (size_t y = 0; y < rows.size(); ++y)
            ASSERT_EQ(decoded[y], AsDecoded(rows[y], width)) << "row " << y;
    }
}

TEST(FaxCodec, StripEnds)
{
    const std::vector<TFaxBytes> rows{{0x00}};
    EXPECT_EQ(EncodeFaxStrip(TFaxScheme::G4, rows, 8), BitString("1 000000000001 000000000001"))
        << "G4 ends with EOFB, padded";
    EXPECT_EQ(EncodeFaxStrip(TFaxScheme::G3, rows, 8), BitString("000000000001 1 10011 000000000001"))
        << "G3 ends with one EOL, padded";
    EXPECT_EQ(EncodeFaxStrip(TFaxScheme::OneD, {{0x00}, {0x00}}, 8), BitString("000000000001 10011 000000000001 10011"))
        << "1D rows follow each other bit by bit, each after an EOL";
}

TEST(FaxCodec, DecodersStayInsideTheirBuffers)
{
    // Every prefix of a strip decodes without reading past it; the rows
    // are the right size whatever the data.
    const std::vector<TFaxBytes> rows(4, TFaxBytes{0x5A, 0xC3, 0x80});
    for (TFaxScheme scheme : {TFaxScheme::MH, TFaxScheme::OneD, TFaxScheme::G3, TFaxScheme::G4}) {
        const TFaxBytes strip = EncodeFaxStrip(scheme, rows, 17);
        for (size_t length = 0; length < strip.size(); ++length) {
            const TFaxBytes cut(strip.begin(), strip.begin() + static_cast<std::ptrdiff_t>(length));
            const auto decoded = DecodeFaxStrip(scheme, cut, 17, 4);
            EXPECT_EQ(decoded.size(), 4u);
        }
    }
    // A row buffer too small for the width is left alone.
    TFaxBytes small(1, 0x12);
    EXPECT_EQ(FaxDecodeRow1D(small, BitString("1000"), 1, 0, 9), 0);
    EXPECT_EQ(small[0], 0x12);
}
