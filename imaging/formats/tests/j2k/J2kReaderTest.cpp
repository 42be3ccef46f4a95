#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>

#include "imaging/formats/j2k/QkJpeg2000.h"
#include "imaging/formats/tests/CodecTestFiles.h"
#include "imaging/formats/tests/FormatsTestSupport.h"
#include "imaging/formats/tests/OracleTestSupport.h"
#include "imaging/formats/tests/j2k/J2kFilesTest.h"

namespace {

using TToByte = std::function<int32_t(int32_t)>;

// The gray or RGB bytes a raw image should load as, in ImageMagick's "rgb:"
// layout; a single component stands for all three.
std::string ExpectedRgb(const TJ2kRaw& raw, const TToByte& toByte)
{
    std::string rgb;
    for (int32_t y = 0; y < raw.Height; ++y)
        for (int32_t x = 0; x < raw.Width; ++x)
            for (size_t c = 0; c < 3; ++c)
                rgb.push_back(char(toByte(raw.At(raw.Planes.size() == 1 ? 0 : c, x, y))));
    return rgb;
}

int32_t Same(int32_t value) { return value; }

class J2kReader : public FilterTest {
protected:
    static void TearDownTestSuite() { std::filesystem::remove_all(J2kPath("")); }

    bool Read(const std::string& path, bool paramsOnly = false)
    {
        const std::vector<uint8_t> bytes = ReadFileBytes(path);
        return ReadWith(ReadJpeg2000Image, std::string(bytes.begin(), bytes.end()), paramsOnly);
    }
};

} // namespace

TEST_F(J2kReader, ProbesKnowTheirContainerAndLeaveThePosition)
{
    const TJ2kRaw raw = PatternRaw(8, false, {1});
    const std::vector<uint8_t> jp2 = ReadFileBytes(CompressRaw(raw, "probe.jp2"));
    const std::vector<uint8_t> j2k = ReadFileBytes(CompressRaw(raw, "probe.j2k"));
    TMemoryStream stream;
    WriteBytes(stream, jp2);
    stream.SetPosition(0);
    EXPECT_TRUE(IsJp2Stream(stream));
    EXPECT_FALSE(IsJ2kStream(stream));
    EXPECT_EQ(stream.Position(), 0);
    TMemoryStream bare;
    WriteBytes(bare, j2k);
    bare.SetPosition(0);
    EXPECT_TRUE(IsJ2kStream(bare));
    EXPECT_FALSE(IsJp2Stream(bare));
    EXPECT_EQ(bare.Position(), 0);
    TMemoryStream shortStream;
    WriteBytes(shortStream, {0xFF, 0x4F, 0xFF});
    shortStream.SetPosition(0);
    EXPECT_FALSE(IsJ2kStream(shortStream));
}

TEST_F(J2kReader, ColourFilesEqualTheRawInputAndImageMagick)
{
    const TJ2kRaw raw = PatternRaw(8, false, {1, 1, 1});
    for (const char* name : {"rgb.jp2", "rgb.j2k"}) {
        const std::string path = CompressRaw(raw, name);
        ASSERT_TRUE(Read(path)) << name;
        EXPECT_EQ(bitmap.GetPixelFormat(), qk24RGB);
        EXPECT_EQ(Difference(RgbBytes(bitmap), ExpectedRgb(raw, Same)), "") << name;
        EXPECT_EQ(Difference(RgbBytes(bitmap), MagickRgb(path)), "") << name;
        EXPECT_EQ(params.SamplesPerPixel, 3);
        EXPECT_EQ(params.BitsPerSample, 8);
    }
}

TEST_F(J2kReader, GrayDepthsComeToEightBits)
{
    struct TCase {
        const char* Name;
        int32_t Depth;
        bool Signed;
        TToByte ToByte;
    };
    const TCase cases[] = {
        {"gray8.jp2", 8, false, Same},
        // Deep samples keep their top 8 bits.
        {"gray12.jp2", 12, false, [](int32_t v) { return v >> 4; }},
        // Shallow ones reach full scale: 3 of 2 bits is white.
        {"gray2.jp2", 2, false, [](int32_t v) { return v * 85; }},
        // Signed samples are moved up by half their range.
        {"signed8.jp2", 8, true, [](int32_t v) { return v + 128; }},
        {"signed12.j2k", 12, true, [](int32_t v) { return (v + 2048) >> 4; }},
    };
    for (const TCase& test : cases) {
        const TJ2kRaw raw = PatternRaw(test.Depth, test.Signed, {1});
        ASSERT_TRUE(Read(CompressRaw(raw, test.Name))) << test.Name;
        EXPECT_EQ(bitmap.GetPixelFormat(), qk24RGB) << test.Name;
        EXPECT_EQ(params.BitsPerSample, test.Depth) << test.Name;
        EXPECT_EQ(params.SamplesPerPixel, 1) << test.Name;
        EXPECT_EQ(Difference(RgbBytes(bitmap), ExpectedRgb(raw, test.ToByte)), "") << test.Name;
        if (test.Depth == 8 && !test.Signed) {
            EXPECT_EQ(Difference(RgbBytes(bitmap), MagickRgb(J2kPath(test.Name))), "");
        }
    }
}

TEST_F(J2kReader, NativeGrayKeepsItsDepth)
{
    params.NativePixelFormat = true;
    const TJ2kRaw deep = PatternRaw(12, false, {1});
    ASSERT_TRUE(Read(CompressRaw(deep, "native12.jp2")));
    ASSERT_EQ(bitmap.GetPixelFormat(), qk16g);
    for (int32_t y : {0, deep.Height - 1})
        for (int32_t x : {0, 5, deep.Width - 1}) {
            uint16_t stored = 0;
            std::memcpy(&stored, bitmap.GetScanline(y) + 2 * x, 2);
            EXPECT_EQ(stored, deep.At(0, x, y)) << x << "," << y;
        }
    const TJ2kRaw shallow = PatternRaw(2, false, {1});
    ASSERT_TRUE(Read(CompressRaw(shallow, "native2.jp2")));
    ASSERT_EQ(bitmap.GetPixelFormat(), qk8g);
    const uint8_t* last = bitmap.GetScanline(shallow.Height - 1);
    for (int32_t x = 0; x < shallow.Width; ++x)
        EXPECT_EQ(last[x], shallow.At(0, x, shallow.Height - 1) * 85) << x;
}

TEST_F(J2kReader, SubsampledChromaCoversTwoByTwoPixels)
{
    // Even sides: opj_compress's raw input rounds subsampled sizes down.
    const TJ2kRaw raw = PatternRaw(8, false, {1, 2, 2}, 14, 10);
    // The JP2 file says sYCC; the bare code stream names no colour space and
    // its three components are RGB.
    ASSERT_TRUE(Read(CompressRaw(raw, "yuv420.jp2")));
    std::string ycc;
    for (int32_t y = 0; y < raw.Height; ++y)
        for (int32_t x = 0; x < raw.Width; ++x) {
            const double luma = raw.At(0, x, y);
            const double cb = raw.At(1, x, y) - 128;
            const double cr = raw.At(2, x, y) - 128;
            for (double value : {luma + 1.402 * cr, luma - 0.34414 * cb - 0.71414 * cr, luma + 1.772 * cb})
                ycc.push_back(char(uint8_t(std::clamp(value, 0.0, 255.0))));
        }
    const std::string ours = RgbBytes(bitmap);
    ASSERT_EQ(ours.size(), ycc.size());
    for (size_t i = 0; i < ours.size(); ++i)
        EXPECT_NEAR(uint8_t(ours[i]), uint8_t(ycc[i]), 2) << i;
    ASSERT_TRUE(Read(CompressRaw(raw, "yuv420.j2k")));
    EXPECT_EQ(Difference(RgbBytes(bitmap), ExpectedRgb(raw, Same)), "");
}

TEST_F(J2kReader, OpacityIsLeftOutOfColourAndGray)
{
    const TJ2kRaw rgba = PatternRaw(8, false, {1, 1, 1, 1});
    ASSERT_TRUE(Read(CompressRaw(rgba, "rgba.j2k")));
    EXPECT_EQ(Difference(RgbBytes(bitmap), ExpectedRgb(rgba, Same)), "");
    const TJ2kRaw grayAlpha = PatternRaw(8, false, {1, 1});
    ASSERT_TRUE(Read(CompressRaw(grayAlpha, "graya.j2k")));
    TJ2kRaw gray = grayAlpha;
    gray.Planes.resize(1);
    EXPECT_EQ(Difference(RgbBytes(bitmap), ExpectedRgb(gray, Same)), "");
}

TEST_F(J2kReader, HeaderOnlyReadsAndTheDecodeLimitStopBeforeThePixels)
{
    const std::string path = CompressRaw(PatternRaw(12, false, {1}), "header.jp2");
    ASSERT_TRUE(Read(path, true));
    EXPECT_EQ(params.Width, 13);
    EXPECT_EQ(params.Height, 9);
    EXPECT_EQ(params.StoredWidth, 13);
    EXPECT_EQ(params.BitsPerSample, 12);
    EXPECT_EQ(params.SamplesPerPixel, 1);
    EXPECT_EQ(params.ImageCount, 1);
    EXPECT_EQ(bitmap.GetWidth(), 0);

    const int64_t limit = DecodePixelLimit;
    DecodePixelLimit = 13 * 9 - 1;
    EXPECT_FALSE(Read(path));
    EXPECT_EQ(params.Width, 13);
    EXPECT_EQ(bitmap.GetWidth(), 0);
    DecodePixelLimit = limit;
}

TEST_F(J2kReader, BadDataAborts)
{
    const std::vector<uint8_t> jp2 = ReadFileBytes(CompressRaw(PatternRaw(8, false, {1, 1, 1, 1}), "cmyk.jp2"));
    const std::string good(jp2.begin(), jp2.end());
    // The colour specification box's enumerated space, made CMYK (12) or
    // e-YCC (24): neither has a mapping to RGB.
    const size_t colour = good.find("colr") + 10;
    for (char space : {'\x0C', '\x18'}) {
        std::string patched = good;
        patched[colour] = space;
        EXPECT_FALSE(ReadWith(ReadJpeg2000Image, patched)) << int(space);
    }
    EXPECT_FALSE(ReadWith(ReadJpeg2000Image, "not a JPEG 2000 file"));
    EXPECT_FALSE(ReadWith(ReadJpeg2000Image, good.substr(0, good.size() / 2)));
    EXPECT_FALSE(ReadWith(ReadJpeg2000Image, good.substr(0, 40)));
}
