#include <gtest/gtest.h>

#include "imaging/formats/bmp/QkBmp.h"
#include "imaging/formats/tests/FormatsTestSupport.h"
#include "imaging/formats/tests/bmp/BmpTestFiles.h"

namespace {

class BmpWriting : public FilterTest {
protected:
    uint32_t Field(const std::string& file, size_t offset, int bytes = 4)
    {
        uint32_t value = 0;
        for (int i = bytes - 1; i >= 0; --i)
            value = value << 8 | uint8_t(file[offset + size_t(i)]);
        return value;
    }
    void Paint(int32_t width, int32_t height, const std::vector<TRGBPixel>& colours)
    {
        bitmap.Allocate(width, height, qk24RGB);
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x)
                bitmap.SetPixel24(x, y, colours[size_t(x + y) % colours.size()]);
    }
    std::string Reread(const std::string& file)
    {
        TQkBitmap copy;
        TIOParamsVals readParams(nullptr);
        TMemoryStream stream;
        FillStream(stream, file);
        TQkReadRequest request(stream, copy, readParams, progress);
        ReadBmpImage(request);
        return RgbBytes(copy);
    }
};

const TRGBPixel Red{0, 0, 255};
const TRGBPixel Navy{80, 0, 0};
const TRGBPixel Cream{200, 250, 255};

} // namespace

TEST_F(BmpWriting, RunLengthRowsEndAndReadBack)
{
    Paint(20, 3, {Red, Red, Red, Navy});
    params.BitsPerSample = 8;
    params.SamplesPerPixel = 1;
    params.BmpCompression = 1;
    const std::string file = WriteWith(WriteBmpImage);
    ASSERT_FALSE(aborting);
    EXPECT_EQ(Field(file, 30), 1u);
    const std::string data = file.substr(Field(file, 10));
    EXPECT_EQ(data.substr(data.size() - 4), Bytes({0, 0, 0, 1}));
    size_t rowEnds = 0;
    for (size_t i = 0; i + 1 < data.size(); i += 2)
        if (data[i] == 0 && data[i + 1] == 0)
            ++rowEnds;
        else if (data[i] == 0 && uint8_t(data[i + 1]) > 2)
            i += (uint8_t(data[i + 1]) + 1) / 2 * 2;
    EXPECT_EQ(rowEnds, 3u);
    EXPECT_EQ(Reread(file), RgbBytes(bitmap));
    EXPECT_EQ(Field(file, 34), uint32_t(data.size()));
}

TEST_F(BmpWriting, TwentyFourBitsIgnoreRunLengths)
{
    Paint(5, 2, {Red, Navy, Cream});
    params.BmpCompression = 1;
    const std::string file = WriteWith(WriteBmpImage);
    EXPECT_EQ(Field(file, 28, 2), 24u);
    EXPECT_EQ(Field(file, 30), 0u);
    EXPECT_EQ(Reread(file), RgbBytes(bitmap));
}

TEST_F(BmpWriting, AtANonZeroPositionSizesAreRelative)
{
    Paint(3, 3, {Red, Cream});
    TMemoryStream stream;
    stream.Write("prefix", 6);
    progress.Aborting = &aborting;
    TQkWriteRequest request{stream, bitmap, params, progress};
    WriteBmpImage(request);
    const std::string all(static_cast<const char*>(stream.Memory()), size_t(stream.Size()));
    const std::string file = all.substr(6);
    EXPECT_EQ(Field(file, 2), uint32_t(file.size()));
    EXPECT_EQ(Field(file, 10), 54u);
    EXPECT_EQ(Reread(file), RgbBytes(bitmap));
}

TEST_F(BmpWriting, TwoColoursKeepThemDarkerFirst)
{
    Paint(9, 2, {Cream, Navy});
    params.BitsPerSample = 1;
    const std::string file = WriteWith(WriteBmpImage);
    EXPECT_EQ(file.substr(54, 8), Bytes({80, 0, 0, 0, 200, 250, 255, 0}));
    // The reader applies no palette but black and white; the indexes say
    // which pixels are dark.
    const std::string reread = Reread(file);
    EXPECT_EQ(reread.substr(0, 6), Bytes({255, 255, 255, 0, 0, 0}));
}

TEST_F(BmpWriting, AlphaBytesByTheFlag)
{
    Paint(2, 1, {Red});
    bitmap.GetAlphaChannel();
    bitmap.SetAlpha(1, 0, 77);
    for (const bool writeAlpha : {false, true}) {
        params.BmpAlpha = writeAlpha;
        const std::string file = WriteWith(WriteBmpImage);
        ASSERT_EQ(Field(file, 28, 2), 32u);
        EXPECT_EQ(file.substr(54), Bytes({0, 0, 255, 255, 0, 0, 255, writeAlpha ? 77 : 255}));
    }
}

TEST_F(BmpWriting, InputsOfOtherFormats)
{
    // Indexes above 15 are quantized for 4 bits rather than cut.
    bitmap.Allocate(4, 1, qk8p);
    for (int i = 0; i < 4; ++i) {
        bitmap.SetPaletteColor(16 + i, TRGBPixel{uint8_t(60 * i), 0, 0});
        bitmap.GetScanline(0)[i] = uint8_t(16 + i);
    }
    params.BitsPerSample = 4;
    params.SamplesPerPixel = 1;
    EXPECT_EQ(Reread(WriteWith(WriteBmpImage)), RgbBytes(bitmap));
    // A gray image is written from a 24-bit copy.
    bitmap.Allocate(2, 1, qk8g);
    bitmap.GetScanline(0)[0] = 10;
    bitmap.GetScanline(0)[1] = 250;
    params.BitsPerSample = 8;
    params.SamplesPerPixel = 3;
    EXPECT_EQ(Reread(WriteWith(WriteBmpImage)), Bytes({10, 10, 10, 250, 250, 250}));
}

TEST_F(BmpWriting, CoreHeaderRefusesSidesBeyondSixteenBits)
{
    bitmap.Allocate(65536, 1, qk1g);
    params.BmpVersion = 2;
    EXPECT_EQ(WriteWith(WriteBmpImage), "");
    EXPECT_TRUE(aborting);
    bitmap.Allocate(65535, 1, qk1g);
    EXPECT_FALSE(WriteWith(WriteBmpImage).empty());
    EXPECT_FALSE(aborting);
}
