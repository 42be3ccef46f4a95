#include <gtest/gtest.h>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkIOParams.h"
#include "imaging/formats/tests/FormatsTestSupport.h"
#include "imaging/formats/wbmp/QkWbmp.h"

namespace {

class WbmpTest : public FilterTest {
protected:
    bool Read(const std::string& bytes, bool paramsOnly = false) { return ReadWith(ReadWbmpImage, bytes, paramsOnly); }
    std::string Write() { return WriteWith(WriteWbmpImage); }
};

} // namespace

TEST_F(WbmpTest, MultiByteIntegersReadAtMostFourBytes)
{
    const struct {
        std::string Bytes;
        int64_t Expected;
    } cases[] = {
        {Bytes({0x00}), 0},
        {Bytes({0x81, 0x7F}), 255},
        {Bytes({0xFF, 0xFF, 0xFF, 0x7F}), (int64_t(1) << 28) - 1},
        // The fifth byte is left for the next read.
        {Bytes({0x81, 0x80, 0x80, 0x80, 0x00}), int64_t(1) << 21},
        {Bytes({0x81}), -1},
        {"", -1},
    };
    for (const auto& c : cases) {
        TMemoryStream stream;
        FillStream(stream, c.Bytes);
        EXPECT_EQ(ReadWbmpInteger(stream), c.Expected);
    }
}

TEST_F(WbmpTest, ReadsRowsStraightAndZeroFillsShortOnes)
{
    ASSERT_TRUE(Read(Bytes({0, 0, 10, 3, 0xA5, 0xC0, 0x5A})));
    ASSERT_EQ(bitmap.GetPixelFormat(), qk1g);
    EXPECT_EQ(params.Width, 10);
    EXPECT_EQ(params.StoredHeight, 3);
    EXPECT_EQ(params.BitsPerSample, 1);
    EXPECT_EQ(bitmap.GetScanline(0)[0], 0xA5);
    EXPECT_EQ(bitmap.GetScanline(0)[1] & 0xC0, 0xC0);
    EXPECT_EQ(bitmap.GetScanline(1)[1] & 0xC0, 0);
    EXPECT_EQ(bitmap.GetScanline(2)[0], 0);
}

TEST_F(WbmpTest, BadHeadersAbort)
{
    const std::string cases[] = {
        Bytes({1, 0, 8, 1, 0}), Bytes({0, 1, 8, 1, 0}), Bytes({0, 0, 0, 1}),
        Bytes({0, 0, 8, 0}),    Bytes({0, 0, 8}),       Bytes({0, 0, 0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0xFF, 0xFF, 0x7F}),
    };
    for (const std::string& bytes : cases) {
        EXPECT_FALSE(Read(bytes));
        EXPECT_TRUE(bitmap.IsEmpty());
    }
}

TEST_F(WbmpTest, LargeImagesAreWrittenScaledDownToTheSideLimit)
{
    const std::string header = Bytes({0, 0, 0x82, 0x2C, 0x81, 0x48});
    ASSERT_TRUE(Read(header + std::string(38 * 200, '\xFF')));
    EXPECT_EQ(params.Width, 300);
    EXPECT_EQ(params.Height, 200);
    const std::string written = Write();
    EXPECT_EQ(written.substr(0, 6), Bytes({0, 0, 0x81, 0x7F, 0x81, 0x2A}));
    EXPECT_EQ(written.size(), 6u + 32 * 170);
    EXPECT_EQ(written.substr(6, 31), std::string(31, '\xFF'));
    EXPECT_EQ(bitmap.GetWidth(), 300);
}

TEST_F(WbmpTest, ColourBitmapsAreWrittenAsBits)
{
    bitmap.Allocate(9, 1, qk24RGB);
    bitmap.Fill(0);
    bitmap.GetScanline(0)[0] = bitmap.GetScanline(0)[1] = bitmap.GetScanline(0)[2] = 255;
    EXPECT_EQ(Write(), Bytes({0, 0, 9, 1, 0x80, 0x00}));
    EXPECT_EQ(bitmap.GetPixelFormat(), qk24RGB);
}
