#include <gtest/gtest.h>

#include "imaging/core/QkIOParams.h"
#include "imaging/formats/QkFormatDetection.h"
#include "imaging/formats/QkFormatErrors.h"
#include "imaging/formats/cameraraw/QkCameraRaw.h"
#include "imaging/formats/jpeg/QkJpeg.h"
#include "imaging/formats/tests/FormatsTestSupport.h"
#include "imaging/formats/tests/cameraraw/RawFileBuilder.h"

namespace {

constexpr uint16_t RedSite = 40000, OtherSite = 10000;

// A Leaf back's TIFF: an 8 x 6 sensor of 16-bit samples at 4096, red
// sites bright.
std::string LeafFile()
{
    TRawBytes b(0, true);
    WriteTiff(b, 0, {{{256, 4, 1, 8, {}}, {257, 4, 1, 6, {}}, {262, 3, 1, 32803, {}}, {324, 4, 1, 4096, {}}}});
    for (uint32_t row = 0; row < 6; ++row)
        for (uint32_t col = 0; col < 8; ++col)
            b.Put16(4096 + 2 * (row * 8 + col), (row % 2 == 0 && col % 2 == 0) ? RedSite : OtherSite);
    return b.data;
}

class CameraRawReader : public FilterTest {
protected:
    std::string Jpeg(int32_t width, int32_t height)
    {
        TQkBitmap picture;
        picture.Allocate(width, height, qk24RGB);
        TIOParamsVals jpegParams(nullptr);
        TMemoryStream stream;
        std::atomic<bool> failed = false;
        TQkFilterProgress jpegProgress;
        jpegProgress.Aborting = &failed;
        TQkWriteRequest request{stream, picture, jpegParams, jpegProgress};
        WriteJpegFile(request);
        return {static_cast<const char*>(stream.Memory()), size_t(stream.Size())};
    }
    // A Canon EOS 10D heap: compressed sensor data this build cannot decode,
    // two JPEG thumbnails (the second smaller), texts and a maker-note record.
    std::string CompressedCanon()
    {
        TRawBytes size;
        size.Put16(2, 3152);
        size.Put16(4, 2068);
        // The description comes first and long, as detection looks for JPEG
        // data near the start before it asks the camera probe.
        std::string description = NulText("holiday");
        description.resize(200, '\0');
        return HeapFile({{0x0805, description},
                         {0x080A, NulText("Canon") + NulText("Canon EOS 10D")},
                         {0x102A, std::string("\x01\x00\x02\x00", 4)},
                         {0x2007, Jpeg(32, 16)},
                         {0x3004, HeapBlock({{0x1031, size.data}, {0x2008, Jpeg(16, 8)}})}});
    }
};

} // namespace

TEST_F(CameraRawReader, ParametersOnlyKeepTheBorderRule)
{
    ASSERT_TRUE(ReadWith(ReadCameraRaw, LeafFile(), true));
    EXPECT_EQ(params.Width, 6);
    EXPECT_EQ(params.Height, 4);
    EXPECT_EQ(params.RawCamera, "Leaf  ");
    EXPECT_TRUE(bitmap.IsEmpty());
}

// 24-bit pixels are stored blue first, 48-bit ones red first; the trimmed
// border never reaches the bitmap.
TEST_F(CameraRawReader, DecodesInBothDepths)
{
    ASSERT_TRUE(ReadWith(ReadCameraRaw, LeafFile()));
    ASSERT_EQ(bitmap.GetPixelFormat(), qk24RGB);
    EXPECT_EQ(bitmap.GetWidth(), 6);
    EXPECT_EQ(bitmap.GetHeight(), 4);
    EXPECT_EQ(params.Width, 6);
    const uint8_t* pixel = bitmap.GetScanline(1) + 3;
    EXPECT_GT(pixel[2], pixel[0]);

    params.NativePixelFormat = true;
    ASSERT_TRUE(ReadWith(ReadCameraRaw, LeafFile()));
    ASSERT_EQ(bitmap.GetPixelFormat(), qkRGB48);
    EXPECT_EQ(params.BitsPerSample, 16);
    const auto* words = reinterpret_cast<const uint16_t*>(bitmap.GetScanline(1)) + 3;
    EXPECT_GT(words[0], words[2]);
}

// Half size takes a pixel from each 2 x 2 cell and trims nothing; the
// parameters follow the bitmap.
TEST_F(CameraRawReader, HalfSize)
{
    params.RawHalfSize = true;
    ASSERT_TRUE(ReadWith(ReadCameraRaw, LeafFile()));
    EXPECT_EQ(bitmap.GetWidth(), 4);
    EXPECT_EQ(bitmap.GetHeight(), 3);
    EXPECT_EQ(params.Width, 4);
    EXPECT_EQ(params.Height, 3);
}

TEST_F(CameraRawReader, ProbeKeepsThePosition)
{
    const std::string png = "\x89PNG\r\n\x1a\n" + std::string(64, '\0');
    const std::string jpeg = Jpeg(8, 8);
    for (const auto& [bytes, expected] : {std::pair<std::string, bool>{png, false},
                                          {jpeg, false},
                                          {"", false},
                                          {LeafFile(), true},
                                          {CompressedCanon(), true}}) {
        TMemoryStream stream;
        FillStream(stream, bytes);
        const int64_t position = bytes.empty() ? 0 : 3;
        stream.SetPosition(position);
        if (position) {
            EXPECT_FALSE(IsCameraRaw(stream));
            EXPECT_EQ(stream.Position(), position);
        }
        stream.SetPosition(0);
        EXPECT_EQ(IsCameraRaw(stream), expected);
        EXPECT_EQ(stream.Position(), 0);
    }
}

TEST_F(CameraRawReader, DetectionRoutesCameraFiles)
{
    for (const std::string& bytes : {LeafFile(), CompressedCanon()}) {
        TMemoryStream stream;
        FillStream(stream, bytes);
        EXPECT_EQ(DetectStreamFormat(stream), ioRAW);
    }
}

// The EOS 10D's compressed data need tables this build lacks: the camera is
// still known, its metadata read, and a full read names it.
TEST_F(CameraRawReader, CompressedCanonIsIdentifiedButNotDecoded)
{
    ASSERT_TRUE(ReadWith(ReadCameraRaw, CompressedCanon(), true));
    EXPECT_EQ(params.RawCamera, "Canon EOS 10D ");
    EXPECT_EQ(params.Width, 3086);
    EXPECT_EQ(params.ExifMake, "Canon");
    EXPECT_EQ(params.ExifModel, "Canon EOS 10D");
    EXPECT_EQ(params.ExifImageDescription, "holiday");
    ASSERT_EQ(params.ExifMakerNote.Entries().size(), 1u);
    EXPECT_EQ(params.ExifMakerNote.Entries()[0].Tag, 4);
    ASSERT_TRUE(params.ExifThumbnail);
    EXPECT_EQ(params.ExifThumbnail->GetWidth(), 16);

    try {
        ReadWith(ReadCameraRaw, CompressedCanon());
        FAIL() << "no error";
    } catch (const EQkFormatNotSupported& error) {
        EXPECT_EQ(error.Message(), "Camera RAW: Canon EOS 10D compressed data is not supported in this build");
    }
    EXPECT_TRUE(aborting);

    params.RawReadThumbnail = true;
    ASSERT_TRUE(ReadWith(ReadCameraRaw, CompressedCanon()));
    EXPECT_EQ(bitmap.GetWidth(), 16);
    EXPECT_EQ(bitmap.GetHeight(), 8);
    EXPECT_TRUE(params.RawReadThumbnail);
}

// Without a thumbnail the switch falls back to decoding.
TEST_F(CameraRawReader, ThumbnailSwitchWithoutThumbnailDecodes)
{
    params.RawReadThumbnail = true;
    ASSERT_TRUE(ReadWith(ReadCameraRaw, LeafFile()));
    EXPECT_EQ(bitmap.GetWidth(), 6);
}

TEST_F(CameraRawReader, UnknownFilesAbort)
{
    EXPECT_FALSE(ReadWith(ReadCameraRaw, std::string(5000, '\x07')));
    EXPECT_TRUE(bitmap.IsEmpty());
}
