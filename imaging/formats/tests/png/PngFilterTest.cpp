#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

#include "controls/png/PngPixelLayout.h"
#include "imaging/core/QkMask.h"
#include "imaging/core/tests/QkCommand.h"
#include "imaging/formats/png/QkPng.h"
#include "imaging/formats/tests/CodecTestFiles.h"
#include "imaging/formats/tests/FormatsTestSupport.h"

namespace {

const std::string GoTestData = "/usr/share/go-1.19/src/image/png/testdata";

// The pixels of a file by python3-pil's own decoder, after libpng's
// transforms; 16-bit gray natively, as little-endian words.
std::string PilPixels(const std::string& path, bool nativeGray16)
{
    return CommandOutput("/usr/bin/python3 " TEST_SOURCE_DIR "/png/pil_pixels.py " +
                         std::string(nativeGray16 ? "gray16 " : "rgba ") + path);
}

class PngFilterTest : public FilterTest {
protected:
    bool Read(const std::vector<uint8_t>& file, bool paramsOnly = false)
    {
        TMemoryStream stream;
        WriteBytes(stream, file);
        stream.SetPosition(0);
        aborting = false;
        progress.Aborting = &aborting;
        TQkReadRequest request(stream, bitmap, params, progress);
        request.ParamsOnly = paramsOnly;
        ReadPngImage(request);
        alpha = std::move(request.AlphaMask);
        return !aborting;
    }

    // Red, green, blue, alpha of what was read; alpha 255 where there is none.
    std::string Rgba()
    {
        std::string rgba;
        for (int32_t y = 0; y < bitmap.GetHeight(); ++y)
            for (int32_t x = 0; x < bitmap.GetWidth(); ++x) {
                const TRGBPixel pixel = bitmap.GetPixelFormat() == qk1g
                    ? (bitmap.GetScanline(y)[x / 8] >> (7 - x % 8) & 1 ? TRGBPixel{255, 255, 255} : TRGBPixel{})
                    : bitmap.GetPixel24(x, y);
                rgba += {char(pixel.r), char(pixel.g), char(pixel.b), char(alpha ? alpha->GetScanline(y)[x] : 255)};
            }
        return rgba;
    }

    std::unique_ptr<TQkMask> alpha;
};

TEST_F(PngFilterTest, EveryPngSuiteFileDecodesAsPilDoes)
{
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(GoTestData + "/pngsuite")) {
        const std::string path = entry.path().string();
        if (entry.path().extension() != ".png")
            continue;
        SCOPED_TRACE(path);
        ++files;
        ASSERT_TRUE(Read(ReadFileBytes(path)));
        std::string expected = PilPixels(path, false);
        std::string ours = Rgba();
        // A 1-bit image is never given an alpha channel.
        if (params.BitsPerSample == 1 && params.SamplesPerPixel == 1 && params.ColorMapCount == 0)
            for (size_t i = 3; i < expected.size(); i += 4)
                expected[i] = ours[i];
        EXPECT_TRUE(ours == expected);
    }
    EXPECT_GT(files, 30);
}

TEST_F(PngFilterTest, InterlacedEqualsPlainAnd16BitGrayStaysWhole)
{
    ASSERT_TRUE(Read(ReadFileBytes(GoTestData + "/gray-gradient.png")));
    const std::string plain = Rgba();
    ASSERT_TRUE(Read(ReadFileBytes(GoTestData + "/gray-gradient.interlaced.png")));
    EXPECT_TRUE(params.PngInterlaced);
    EXPECT_TRUE(Rgba() == plain);

    const std::string gray16 = GoTestData + "/pngsuite/basn0g16.png";
    params.NativePixelFormat = true;
    ASSERT_TRUE(Read(ReadFileBytes(gray16)));
    ASSERT_EQ(bitmap.GetPixelFormat(), qk16g);
    std::string words;
    for (int32_t y = 0; y < bitmap.GetHeight(); ++y)
        words.append(reinterpret_cast<const char*>(bitmap.GetScanline(y)), size_t(bitmap.GetWidth()) * 2);
    EXPECT_TRUE(words == PilPixels(gray16, true));
}

TEST_F(PngFilterTest, DamagedFilesFailCleanly)
{
    for (const char* name : {"invalid-crc32.png", "invalid-noend.png", "invalid-trunc.png", "invalid-zlib.png"}) {
        SCOPED_TRACE(name);
        const bool loaded = Read(ReadFileBytes(GoTestData + "/" + name));
        // The end of the file is not needed once every row is in.
        const bool damagedAfterRows =
            std::string(name) == "invalid-noend.png" || std::string(name) == "invalid-trunc.png";
        EXPECT_EQ(loaded, damagedAfterRows);
    }
    EXPECT_FALSE(Read({0x89, 'P', 'N', 'G'}));
}

// A gray level as a file of that depth keeps it.
uint8_t Stored(uint8_t level, int32_t bits)
{
    if (bits >= 8)
        return level;
    const uint32_t top = (1u << bits) - 1;
    return uint8_t((level >> (8 - bits)) * 255 / top);
}

// A file written with the parameters set, read back.
class PngRoundTrip : public PngFilterTest {
protected:
    std::vector<uint8_t> Write()
    {
        const std::string bytes = WriteWith(WritePngImage);
        return {bytes.begin(), bytes.end()};
    }
    std::string CheckedByPngcheck(const std::vector<uint8_t>& file)
    {
        const std::string path = std::string(TEST_BINARY_DIR) + "/png-round-trip-" + std::to_string(getpid()) + ".png";
        WriteFileBytes(path, file);
        CommandOutput("pngcheck -q " + path);
        return path;
    }
};

TEST_F(PngRoundTrip, EverySampleLayoutPassesPngcheckAndDecodesToTheSource)
{
    struct TLayout {
        int32_t Samples;
        int32_t Bits;
        TQkPixelFormat Format;
    };
    const TLayout layouts[] = {{1, 1, qk1g},   {1, 2, qk8g},    {1, 4, qk8g},   {1, 8, qk8g},
                               {1, 16, qk16g}, {1, 8, qk24RGB}, {3, 8, qk24RGB}};
    for (const TLayout& layout : layouts)
        for (bool interlaced : {false, true})
            for (uint8_t filter : {0, 1, 2, 9}) {
                SCOPED_TRACE(std::to_string(layout.Samples) + "x" + std::to_string(layout.Bits) + " format " +
                             std::to_string(layout.Format) + (interlaced ? " interlaced" : "") + " filter " +
                             std::to_string(filter));
                bitmap.Allocate(13, 11, layout.Format);
                for (int32_t y = 0; y < 11; ++y)
                    for (int32_t x = 0; x < 13; ++x) {
                        const auto level = uint8_t(layout.Bits == 1 ? ((x + y) % 2) * 255
                                                                    : (x * 19 + y * 7) % 256 &
                                                           (0xFF << (8 - std::min(layout.Bits, 8))));
                        if (layout.Format == qk1g)
                            SetPackedSample(bitmap.GetScanline(y), uint64_t(x), 1, level ? 1 : 0);
                        else if (layout.Format == qk8g)
                            bitmap.GetScanline(y)[x] = level;
                        else if (layout.Format == qk16g)
                            bitmap.SetPixel16(x, y, uint16_t(level * 257 + x));
                        else
                            bitmap.SetPixel24(x, y, TRGBPixel{level, uint8_t(255 - level), uint8_t(x * 9)});
                    }
                params.SamplesPerPixel = layout.Samples;
                params.BitsPerSample = layout.Bits;
                params.PngInterlaced = interlaced;
                params.PngFilter = filter;
                TQkBitmap source;
                source.Assign(&bitmap);
                const std::vector<uint8_t> file = Write();
                const std::string path = CheckedByPngcheck(file);
                params.NativePixelFormat = layout.Format == qk16g;
                ASSERT_TRUE(Read(file));
                EXPECT_EQ(params.PngInterlaced, interlaced);
                for (int32_t y = 0; y < 11; ++y)
                    for (int32_t x = 0; x < 13; ++x) {
                        if (layout.Format == qk16g) {
                            ASSERT_EQ(bitmap.GetPixel16(x, y), source.GetPixel16(x, y)) << x << "," << y;
                        } else {
                            ASSERT_EQ(bitmap.GetPixelRGB(x, y).g, Stored(source.GetPixelRGB(x, y).g, layout.Bits))
                                << x << "," << y;
                        }
                    }
                if (layout.Format != qk16g) {
                    EXPECT_TRUE(Rgba() == PilPixels(path, false));
                }
                params.NativePixelFormat = false;
            }
}

TEST_F(PngRoundTrip, KeepsAlphaTextBackgroundAndResolution)
{
    bitmap.Allocate(9, 7, qk24RGB);
    bitmap.Fill(0x336699);
    auto mask = std::make_unique<TQkBitmap>(9, 7, qk8g);
    for (int32_t y = 0; y < 7; ++y)
        for (int32_t x = 0; x < 9; ++x)
            mask->GetScanline(y)[x] = uint8_t(x * 30);
    mask->SetFull(false);
    bitmap.AttachAlphaChannel(std::move(mask));
    params.PngBackground = {30, 20, 10};
    params.DpiX = params.DpiY = 96;
    params.PngTextKeys.Add("Title");
    params.PngTextValues.Add("caf\xC3\xA9");
    params.PngTextKeys.Add("Comment");
    params.PngTextValues.Add("\xE2\x82\xAC 5");
    params.PngTextKeys.Add("");
    params.PngTextValues.Add("skipped");
    const std::vector<uint8_t> file = Write();
    CheckedByPngcheck(file);
    params.PngBackground = {};
    ASSERT_TRUE(Read(file));
    ASSERT_TRUE(alpha);
    EXPECT_EQ(alpha->GetScanline(3)[4], 120);
    EXPECT_EQ(params.PngBackground.r, 10);
    EXPECT_EQ(params.PngBackground.b, 30);
    EXPECT_EQ(params.DpiX, 96);
    ASSERT_EQ(params.PngTextKeys.Count(), 2);
    EXPECT_EQ(params.PngTextValues.Strings(0), "caf\xC3\xA9");
    EXPECT_EQ(params.PngTextValues.Strings(1), "\xE2\x82\xAC 5");
}

} // namespace
