// What a source tells the converter through the decoder, on real media: its
// kind, its time line and the properties the automatic choices read.

#include <gtest/gtest.h>

#include "PreviewMedia.h"
#include "app/OutputNames.h"
#include "app/SourceProbe.h"
#include "app/WatermarkPicture.h"
#include "controls/png/pngimage.h"
#include "engine/decode/FFDecode.h"
#include "platform/gfx/Picture.h"

using namespace preview_test;

namespace {

class SourceProbeTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        conversion_test::LoadEngineLibraries();
        GeneratePreviewMedia();
        conversion_test::GenerateClip();
    }
    TFFDecoder decoder{nullptr};
};

} // namespace

TEST_F(SourceProbeTest, KindsOfSources)
{
    const std::pair<std::string, TSourceKind> rows[] = {
        {conversion_test::Clip, skVideo},
        {VideoClip, skVideo},
        {MarkerClip, skVideo},
        {AudioFile, skAudio},
        {PictureSequence, skPictures},
        {BogusVideo, skFailed},
        {MediaFolder + "missing.avi", skFailed},
        {MediaFolder, skFailed},
    };
    for (const auto& [path, kind] : rows) {
        EXPECT_EQ(OpenSourceKind(decoder, path), kind) << path;
        decoder.CloseFile();
    }
}

TEST_F(SourceProbeTest, TimingFollowsTheDuration)
{
    ASSERT_EQ(OpenSourceKind(decoder, VideoClip), skVideo);
    EXPECT_TRUE(SourceHasTiming(decoder));
    decoder.CloseFile();
    ASSERT_EQ(OpenSourceKind(decoder, PictureSequence), skPictures);
    EXPECT_FALSE(SourceHasTiming(decoder));
}

TEST_F(SourceProbeTest, PropertiesOfTheFirstStreams)
{
    ASSERT_EQ(OpenSourceKind(decoder, conversion_test::Clip), skVideo);
    TCusOutputOptions record;
    ReadSourceProperties(decoder, decoder.FirstVideoStreamIndex(), decoder.FirstAudioStreamIndex(), record);
    EXPECT_EQ(record.SourceWidth, 640);
    EXPECT_EQ(record.SourceHeight, 480);
    EXPECT_DOUBLE_EQ(record.SourceFrameRate, 25.0);
    EXPECT_EQ(record.SourceAudioBitRate, 128000);
    EXPECT_EQ(record.SourceSampleRate, 44100);

    // No audio stream: its values stay 0 rather than the decoder's -1.
    decoder.CloseFile();
    ASSERT_EQ(OpenSourceKind(decoder, MarkerClip), skVideo);
    TCusOutputOptions silent;
    ReadSourceProperties(decoder, decoder.FirstVideoStreamIndex(), decoder.FirstAudioStreamIndex(), silent);
    EXPECT_EQ(silent.SourceWidth, 640);
    EXPECT_EQ(silent.SourceAudioBitRate, 0);
    EXPECT_EQ(silent.SourceSampleRate, 0);
}

TEST(WatermarkPictureTest, OnlyPngFilesThatDecodeAreLoaded)
{
    GeneratePreviewMedia();
    RegisterPngPictureFormat();
    TPicture picture;
    EXPECT_TRUE(LoadWatermarkPicture(picture, WatermarkPng));
    EXPECT_EQ(picture.Width(), 100);
    EXPECT_EQ(picture.Height(), 50);
    // A failure leaves the picture as it was.
    for (const std::string& path : {BogusPng, MediaFolder + "missing.png", VideoClip}) {
        EXPECT_FALSE(LoadWatermarkPicture(picture, path)) << path;
        EXPECT_EQ(picture.Width(), 100) << path;
    }
}

TEST(OutputFolderTest, EndsWithOneSlashUnlessEmpty)
{
    EXPECT_EQ(OutputFolderOf(""), "");
    EXPECT_EQ(OutputFolderOf("/videos"), "/videos/");
    EXPECT_EQ(OutputFolderOf("/videos/"), "/videos/");
}
