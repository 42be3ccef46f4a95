#include <gtest/gtest.h>

#include <vector>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkIOParams.h"
#include "imaging/formats/pnm/QkPnm.h"
#include "imaging/formats/tests/FormatsTestSupport.h"

namespace {

std::vector<uint8_t> Row(TQkBitmap& bitmap, int32_t row, size_t bytes)
{
    const uint8_t* line = bitmap.GetScanline(row);
    return {line, line + bytes};
}

class PnmTest : public FilterTest {
protected:
    bool Read(const std::string& bytes, bool paramsOnly = false) { return ReadWith(ReadPnmImage, bytes, paramsOnly); }
    std::string Write() { return WriteWith(WritePnmImage); }
};

} // namespace

TEST_F(PnmTest, ProbeAcceptsTheSixMagicsWithAPositiveSize)
{
    const struct {
        const char* Bytes;
        bool Expected;
    } cases[] = {
        {"P6 3 2 255", true},  {"P1\n# c\n2 2", true}, {"P4 8 1", true}, {"p6 3 2 255", false}, {"P7 3 2 255", false},
        {"P6 0 2 255", false}, {"P6 3", false},        {"", false},      {"P2 x 2 255", false}, {"#only\n", false},
    };
    for (const auto& c : cases) {
        TMemoryStream stream;
        FillStream(stream, std::string("\0\0", 2) + c.Bytes);
        stream.SetPosition(2);
        EXPECT_EQ(IsPnmStream(stream), c.Expected) << c.Bytes;
        EXPECT_EQ(stream.Position(), 2) << c.Bytes;
    }
}

TEST_F(PnmTest, TokensSkipSeparatorsAndCapTheirLength)
{
    TMemoryStream stream;
    FillStream(stream, "  ,P5 #  a note \r12" + std::string(5000, '9') + " x");
    std::string token;
    ReadPnmToken(stream, token);
    EXPECT_EQ(token, "P5");
    ReadPnmToken(stream, token);
    EXPECT_EQ(token, "#a note");
    ReadPnmToken(stream, token);
    EXPECT_EQ(token.size(), 21u);
    EXPECT_EQ(PnmTokenNumber(token), -1);
    ReadPnmToken(stream, token);
    EXPECT_EQ(token, "x");
    ReadPnmToken(stream, token);
    EXPECT_EQ(token, "");
    EXPECT_EQ(PnmTokenNumber("00000000000000000042"), 42);
}

TEST_F(PnmTest, ReadsEachVariantIntoTheLibrarysLayout)
{
    const struct {
        std::string Bytes;
        TQkPixelFormat Format;
        int32_t Bits;
        int32_t Samples;
        std::vector<uint8_t> FirstRow;
    } cases[] = {
        // Digits alone count in P1; "0" is white.
        {"P1 2 2\n0 1\n1 0", qk1g, 1, 1, {0x80}},
        {"P4 10 1\n" + Bytes({0x40, 0xC0}), qk1g, 1, 1, {0xBF, 0x3F}},
        // A comment in the data is one sample of 0; samples above the maximum clamp.
        {"P2 4 1 100\n50 # note\n100 200", qk24RGB, 8, 1, {127, 127, 127, 0, 0, 0, 255, 255, 255, 255, 255, 255}},
        {"P3 1 1 255 1 2 3", qk24RGB, 8, 3, {3, 2, 1}},
        {"P5 3 1 100\n" + Bytes({50, 100, 200}), qk24RGB, 8, 1, {127, 127, 127, 255, 255, 255, 255, 255, 255}},
        {"P5 1 1 255\n" + Bytes({77}), qk24RGB, 8, 1, {77, 77, 77}},
        {"P5 1 1 1023\n" + Bytes({0x02, 0x00}), qk24RGB, 16, 1, {127, 127, 127}},
        {"P6 1 1 255\n" + Bytes({1, 2, 3}), qk24RGB, 8, 3, {3, 2, 1}},
        // P6 scales as P5 does, and wide samples land blue, green, red.
        {"P6 1 1 100\n" + Bytes({50, 100, 0}), qk24RGB, 8, 3, {0, 255, 127}},
        {"P6 1 1 1023\n" + Bytes({0x03, 0xFF, 0x02, 0x00, 0x00, 0x00}), qk24RGB, 16, 3, {0, 127, 255}},
        {"P6 1 1 65535\n" + Bytes({0x12, 0x34, 0xFF, 0xFF, 0x00, 0x80}), qk24RGB, 16, 3, {0, 255, 0x12}},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(Read(c.Bytes)) << c.Bytes;
        EXPECT_EQ(bitmap.GetPixelFormat(), c.Format) << c.Bytes;
        EXPECT_EQ(params.BitsPerSample, c.Bits) << c.Bytes;
        EXPECT_EQ(params.SamplesPerPixel, c.Samples) << c.Bytes;
        EXPECT_EQ(Row(bitmap, 0, c.FirstRow.size()), c.FirstRow) << c.Bytes;
    }
    ASSERT_TRUE(Read("P1 2 2\n0 1\n1 0"));
    EXPECT_EQ(bitmap.GetScanline(1)[0] & 0xC0, 0x40);
}

TEST_F(PnmTest, NativeWideSamplesAreScaledToTheFullWordRange)
{
    params.NativePixelFormat = true;
    ASSERT_TRUE(Read("P5 2 1 65535\n" + Bytes({0x12, 0x34, 0xFF, 0xFF})));
    ASSERT_EQ(bitmap.GetPixelFormat(), qk16g);
    const auto* gray = reinterpret_cast<const uint16_t*>(bitmap.GetScanline(0));
    EXPECT_EQ(gray[0], 0x1234);
    EXPECT_EQ(gray[1], 0xFFFF);

    ASSERT_TRUE(Read("P6 1 1 1023\n" + Bytes({0x03, 0xFF, 0x02, 0x00, 0x00, 0x01})));
    ASSERT_EQ(bitmap.GetPixelFormat(), qkRGB48);
    const auto* rgb = reinterpret_cast<const uint16_t*>(bitmap.GetScanline(0));
    EXPECT_EQ(rgb[0], 65535);
    EXPECT_EQ(rgb[1], 512 * 65535 / 1023);
    EXPECT_EQ(rgb[2], 65535 / 1023);
}

TEST_F(PnmTest, HeaderCommentsAreCollectedAndParamsOnlyAllocatesNothing)
{
    params.PxmComments.Add("stale");
    ASSERT_TRUE(Read("P5\n# first\n3 # second\n2\n255\n# in the data\n", true));
    ASSERT_EQ(params.PxmComments.Count(), 2);
    EXPECT_EQ(params.PxmComments.Strings(0), "first");
    EXPECT_EQ(params.PxmComments.Strings(1), "second");
    EXPECT_EQ(params.Width, 3);
    EXPECT_EQ(params.StoredHeight, 2);
    EXPECT_EQ(params.DpiX, DefaultDpiX);
    EXPECT_TRUE(bitmap.IsEmpty());
}

TEST_F(PnmTest, BadHeadersAbort)
{
    const std::string cases[] = {
        "P6 2 2 0\n",
        "P6 2 2 x\n",
        "P6 2 2 65536\n",
        "P6 0 2 255\n",
        "P7 2 2 255\n",
        "P6 2\n",
        "",
        "P5 000000000000000000002 1 255\n",
        "P5 4294967295 4294967295 255\n",
        "P4 100000 100000\n",
    };
    for (const std::string& bytes : cases) {
        EXPECT_FALSE(Read(bytes)) << bytes;
        EXPECT_TRUE(bitmap.IsEmpty()) << bytes;
    }
}

TEST_F(PnmTest, ShortDataLeavesZeros)
{
    ASSERT_TRUE(Read("P6 2 2 255\n" + Bytes({1, 2, 3, 4})));
    EXPECT_EQ(Row(bitmap, 0, 6), (std::vector<uint8_t>{3, 2, 1, 0, 0, 4}));
    EXPECT_EQ(Row(bitmap, 1, 6), std::vector<uint8_t>(6, 0));
    ASSERT_TRUE(Read("P4 8 2\n" + Bytes({0x0F})));
    EXPECT_EQ(Row(bitmap, 1, 1), std::vector<uint8_t>{0});
    ASSERT_TRUE(Read("P3 2 1 255 9"));
    EXPECT_EQ(Row(bitmap, 0, 6), (std::vector<uint8_t>{0, 0, 9, 0, 0, 0}));
}

TEST_F(PnmTest, AbortingStopsReaderAndWriterBetweenRows)
{
    progress.OnProgress = [this](TObject*, int32_t) { aborting = true; };
    ASSERT_FALSE(Read("P5 1 3 255\n" + Bytes({10, 20, 30})));
    EXPECT_EQ(bitmap.GetScanline(0)[0], 10);
    EXPECT_EQ(bitmap.GetScanline(1)[0], 0);

    const std::string written = Write();
    EXPECT_EQ(written, "P5 1 3 255\n" + Bytes({10}));
}

TEST_F(PnmTest, WriterChoosesTheVariantByParamsAndFormat)
{
    ASSERT_TRUE(Read("P6 2 1 255\n" + Bytes({255, 0, 0, 0, 0, 255})));
    const std::string pixels = Bytes({255, 0, 0, 0, 0, 255});
    EXPECT_EQ(Write(), "P6 2 1 255\n" + pixels);
    params.BitsPerSample = 16;
    EXPECT_EQ(Write(), "P6 2 1 65535\n" + Bytes({255, 255, 0, 0, 0, 0, 0, 0, 0, 0, 255, 255}));
    // Gray by the library's weights: pure red and pure blue differ.
    params.BitsPerSample = 8;
    params.SamplesPerPixel = 1;
    const std::string gray = Write();
    ASSERT_EQ(gray.substr(0, 11), "P5 2 1 255\n");
    ASSERT_EQ(gray.size(), 13u);
    EXPECT_NE(gray[11], gray[12]);
    // A colour bitmap asked for one bit is thresholded, not cut from its bytes.
    params.BitsPerSample = 1;
    const std::string bits = Write();
    ASSERT_EQ(bits.substr(0, 7), "P4 2 1\n");
    EXPECT_EQ(bits.size(), 8u);

    params.PxmComments.Add("one");
    params.PxmComments.Add("two");
    EXPECT_EQ(Write().substr(0, 21), "P4 \n# one\n\n# two\n2 1\n");
}

TEST_F(PnmTest, WrittenFilesReadBackUnchanged)
{
    const std::string cases[] = {
        "P6 3 2 255\n" + Bytes({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18}),
        "P5 3 1 255\n" + Bytes({0, 128, 255}),
        "P4 10 2\n" + Bytes({0xA5, 0xC0, 0x5A, 0x40}),
    };
    for (const std::string& file : cases) {
        ASSERT_TRUE(Read(file));
        EXPECT_EQ(Write(), file);
    }
}
