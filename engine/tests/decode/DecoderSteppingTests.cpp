// Decoding, stepping, seeking and the picture copy, against ffprobe and the
// ffmpeg tool.

#include <cstring>

#include "engine/binding/SwScaleStubs.h"
#include "engine/decode/FFDecode.h"
#include "engine/tests/decode/DecoderTestMedia.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"

namespace decoder_tests {
namespace {

class DecoderSteppingTest : public DecoderTest {
protected:
    // Decodes from the start up to picture `index` (0-based).
    void DecodeTo(size_t index)
    {
        ASSERT_TRUE(decoder.Seek(0, 0)) << decoder.LastErrorText();
        for (size_t i = 0; i <= index; ++i)
            ASSERT_TRUE(decoder.Decode()) << "picture " << i << ": " << decoder.LastErrorText();
    }

    TFFDecoder decoder{nullptr};
};

TEST_F(DecoderSteppingTest, FrameByFrameGivesEveryPresentationTime)
{
    for (const std::string& file : {BFramesFile, IntraFile, TaggedFile}) {
        SCOPED_TRACE(file);
        const std::vector<TProbedFrame> expected = ProbeFrames(file);
        ASSERT_FALSE(expected.empty());
        ASSERT_TRUE(decoder.LoadFile(file)) << decoder.LastErrorText();
        std::vector<int64_t> times;
        std::vector<bool> keys;
        while (decoder.Decode()) {
            times.push_back(decoder.CurrentPTS());
            keys.push_back(decoder.KeyFrame());
        }
        ASSERT_EQ(times.size(), expected.size());
        for (size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(times[i], expected[i].TimeUs) << "picture " << i;
            EXPECT_EQ(keys[i], expected[i].Key) << "picture " << i;
        }
        EXPECT_TRUE(decoder.EndOfStream());
        EXPECT_EQ(decoder.LastErrorText(), "TFFDecoder.Decode() for video: stream eof reached.");
        // The end stays the end until a seek.
        EXPECT_FALSE(decoder.Decode());
        ASSERT_TRUE(decoder.Seek(0, 0));
        ASSERT_TRUE(decoder.Decode());
        EXPECT_EQ(decoder.CurrentPTS(), 0);
    }
}

TEST_F(DecoderSteppingTest, KeyFrameSteppingForwardAndBackward)
{
    const std::vector<TProbedFrame> frames = ProbeFrames(BFramesFile);
    std::vector<int64_t> keyTimes;
    for (const TProbedFrame& frame : frames)
        if (frame.Key)
            keyTimes.push_back(frame.TimeUs);
    ASSERT_GE(keyTimes.size(), 3u);
    ASSERT_TRUE(decoder.LoadFile(BFramesFile));
    ASSERT_TRUE(decoder.Decode());

    for (size_t k = 1; k < keyTimes.size(); ++k) {
        ASSERT_TRUE(decoder.DecodeNextKeyFrame()) << decoder.LastErrorText();
        EXPECT_EQ(decoder.CurrentPTS(), keyTimes[k]);
        EXPECT_TRUE(decoder.KeyFrame());
    }
    for (size_t k = keyTimes.size() - 1; k-- > 0;) {
        ASSERT_TRUE(decoder.DecodePreviousKeyFrame()) << decoder.LastErrorText();
        EXPECT_EQ(decoder.CurrentPTS(), keyTimes[k]);
    }
    // The first picture has nothing before it and is its own answer.
    ASSERT_TRUE(decoder.DecodePreviousKeyFrame());
    EXPECT_EQ(decoder.CurrentPTS(), 0);

    // Inside a group of pictures the group's key frame comes back.
    DecodeTo(13);
    ASSERT_TRUE(decoder.DecodePreviousKeyFrame());
    EXPECT_EQ(decoder.CurrentPTS(), keyTimes[1]);
}

TEST_F(DecoderSteppingTest, PreviousFrameStepsBackOnePicture)
{
    const std::vector<TProbedFrame> frames = ProbeFrames(BFramesFile);
    ASSERT_TRUE(decoder.LoadFile(BFramesFile));
    // After a key frame, inside a group, across a group and the last picture
    // (a B-frame that only draining delivers).
    for (size_t index : {size_t(1), size_t(6), size_t(10), size_t(21), frames.size() - 1}) {
        DecodeTo(index);
        ASSERT_TRUE(decoder.DecodePreviousFrame()) << index << ": " << decoder.LastErrorText();
        EXPECT_EQ(decoder.CurrentPTS(), frames[index - 1].TimeUs) << "from picture " << index;
    }
}

TEST_F(DecoderSteppingTest, SeekingToATimeGivesTheFirstPictureAtOrAfterIt)
{
    struct TCase {
        std::string File;
        int64_t Target;
        int64_t Expected;
    };
    // Every picture of the intra file is a key frame; the other file's key
    // frames are 400 ms apart.
    const TCase cases[] = {
        {IntraFile, 0, 0},
        {IntraFile, 10000, 40000},
        {IntraFile, 40000, 40000},
        {IntraFile, 500001, 520000},
        {IntraFile, 960000, 960000},
        {BFramesFile, 0, 0},
        {BFramesFile, 100000, 400000},
        {BFramesFile, 800000, 800000},
        {BFramesFile, 1300000, 1600000},
    };
    for (const TCase& c : cases) {
        ASSERT_TRUE(decoder.LoadFile(c.File));
        ASSERT_TRUE(decoder.Decode());
        ASSERT_TRUE(decoder.Seek(0, c.Target)) << decoder.LastErrorText();
        EXPECT_FALSE(decoder.PictureReady());
        ASSERT_TRUE(decoder.Decode());
        EXPECT_EQ(decoder.CurrentPTS(), c.Expected) << c.File << " at " << c.Target;
    }
}

// A decoder whose seeks report success but leave the reader where it was.
class TSeeklessDecoder : public TFFDecoder {
public:
    using TFFDecoder::TFFDecoder;
    bool Seek(uint8_t, int64_t) override { return true; }
};

TEST_F(DecoderSteppingTest, PreviousKeyFrameSearchGivesUpWhenSeekingHasNoEffect)
{
    TSeeklessDecoder seekless(nullptr);
    ASSERT_TRUE(seekless.LoadFile(BFramesFile));
    for (int32_t i = 0; i < 10; ++i)
        ASSERT_TRUE(seekless.Decode());
    const int64_t reference = seekless.CurrentPTS();

    seekless.Decode(5); // leaves "stream #5 ..." as the last error
    EXPECT_FALSE(seekless.DecodePreviousKeyFrame());
    EXPECT_EQ(seekless.LastErrorText(), "Could not seek to the previous key-frame. stream index #5 is invalid.");
    // The search stopped once its step passed the start, long before the end
    // of the file.
    ASSERT_TRUE(seekless.Decode());
    EXPECT_LT(seekless.CurrentPTS(), 3 * reference);
}

TEST_F(DecoderSteppingTest, ImageSequencesKeepTheirPicture)
{
    ASSERT_TRUE(decoder.LoadFile(SequencePattern)) << decoder.LastErrorText();
    EXPECT_EQ(decoder.GetInputFormatName(), "image2");
    ASSERT_TRUE(decoder.Decode());
    const int64_t first = decoder.CurrentPTS();
    EXPECT_FALSE(decoder.Seek(0, 0));
    EXPECT_EQ(decoder.LastErrorText(), "\"image2\" format cannot to be seeked.");
    ASSERT_TRUE(decoder.Decode());
    EXPECT_EQ(decoder.CurrentPTS(), first);

    TBitmap bitmap;
    ASSERT_TRUE(decoder.CopyToBitmap(bitmap));
    EXPECT_EQ(bitmap.Width(), 33);
    EXPECT_EQ(bitmap.Height(), 17);
}

TEST_F(DecoderSteppingTest, CopiesPicturesIntoBitmapsOfEveryDepth)
{
    TBitmap bitmap;
    ASSERT_TRUE(decoder.LoadFile(BFramesFile));
    EXPECT_FALSE(decoder.CopyToBitmap(bitmap));
    EXPECT_EQ(decoder.LastErrorText(), "picture not ready, please decode first");
    ASSERT_TRUE(decoder.Decode());

    struct TCase {
        int32_t Bits;
        const char* PixelFormat;
        TPixelFormat BitmapFormat;
        int32_t BytesPerPixel;
    };
    const TCase cases[] = {
        {8, "bgr8", pf8bit, 1},   {16, "rgb565le", pf16bit, 2}, {24, "bgr24", pf24bit, 3},
        {32, "bgra", pf32bit, 4}, {15, "rgb555le", pf15bit, 2},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Bits);
        const std::string expected = FirstPictureAs(BFramesFile, c.PixelFormat);
        const int32_t rowBytes = 160 * c.BytesPerPixel;
        ASSERT_EQ(expected.size(), static_cast<size_t>(rowBytes) * 120);
        decoder.Converter().SetBitsPixel(c.Bits);
        ASSERT_TRUE(decoder.CopyToBitmap(bitmap)) << decoder.LastErrorText();
        ASSERT_EQ(bitmap.PixelFormat(), c.BitmapFormat);
        ASSERT_EQ(bitmap.Width(), 160);
        ASSERT_EQ(bitmap.Height(), 120);
        int32_t differentRows = 0;
        for (int32_t y = 0; y < 120; ++y)
            differentRows += std::memcmp(bitmap.ScanLine(y), expected.data() + static_cast<size_t>(y) * rowBytes,
                                         static_cast<size_t>(rowBytes)) != 0;
        EXPECT_EQ(differentRows, 0);
    }
}

// The options' scaler flags reach the converter; flags that name two scalers
// leave a black bitmap of the picture's size.
TEST_F(DecoderSteppingTest, ScalerFlagsComeFromTheOptions)
{
    decoder.Options().InitContexts();
    ASSERT_GE(av::av_opt_set(decoder.Options().SwsOpts, "sws_flags", "neighbor", 0), 0);
    ASSERT_TRUE(decoder.LoadFile(BFramesFile));
    EXPECT_EQ(decoder.Converter().SwsFlags, static_cast<uint32_t>(SWS_POINT));

    decoder.Converter().SwsFlags = SWS_BILINEAR | SWS_BICUBIC;
    ASSERT_TRUE(decoder.Decode());
    TBitmap bitmap(4, 4, pf24bit);
    EXPECT_FALSE(decoder.CopyToBitmap(bitmap));
    EXPECT_EQ(decoder.LastErrorText(), "Cannot initialize the toRGB conversion context");
    ASSERT_EQ(bitmap.Width(), 160);
    ASSERT_EQ(bitmap.Height(), 120);
    EXPECT_EQ(bitmap.Canvas()->Pixels(0, 0), clBlack);
    EXPECT_EQ(bitmap.Canvas()->Pixels(159, 119), clBlack);
}

} // namespace
} // namespace decoder_tests
