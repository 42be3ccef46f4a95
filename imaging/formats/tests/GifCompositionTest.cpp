#include <gtest/gtest.h>

#include <vector>

#include "FormatsTestSupport.h"
#include "imaging/core/QkMask.h"
#include "imaging/formats/BrelvixIO.h"
#include "imaging/formats/QkFileFormats.h"

namespace {

struct FakeFrame {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 2;
    int32_t height = 2;
    TRGBPixel colour;
    uint8_t disposal = 1;
    // A pixel the frame leaves transparent, or none.
    int32_t clearX = -1;
};

const TRGBPixel background{30, 20, 10};

// A GIF row whose reader yields the frames of a fixed animation.
class GifComposition : public FormatsTest {
protected:
    void SetUp() override
    {
        FormatsTest::SetUp();
        FormatRow(ioGIF).Read = [this](TQkReadRequest& request) { ReadFrame(request); };
        // Ten 2 x 2 frames side by side on a 20 x 4 screen; the second one
        // asks to be restored to the background.
        for (int i = 0; i < 10; ++i)
            frames.push_back({2 * i, 1, 2, 2, {uint8_t(i), uint8_t(100 + i), 200}, uint8_t(i == 1 ? 2 : 1)});
    }

    void ReadFrame(TQkReadRequest& request)
    {
        TIOParamsVals& params = request.Params;
        const FakeFrame& frame = frames.at(size_t(params.GifImageIndex));
        params.GifScreenWidth = screenWidth;
        params.GifScreenHeight = screenHeight;
        params.GifBackground = background;
        params.GifXPos = frame.x;
        params.GifYPos = frame.y;
        params.GifDisposal = frame.disposal;
        request.Bitmap.Allocate(frame.width, frame.height, frameFormat);
        request.Bitmap.Fill(RGBPixelToColor(frame.colour));
        if (frame.clearX >= 0) {
            request.AlphaMask = std::make_unique<TQkMask>();
            request.AlphaMask->AllocateBits(frame.width, frame.height, 8);
            request.AlphaMask->Fill(255);
            request.AlphaMask->SetPixel(frame.clearX, 0, 0);
        }
        request.ImageCount = int32_t(frames.size());
        ++reads;
    }

    int32_t Load(int32_t index)
    {
        io.Params().GifImageIndex = index;
        TStringStream stream("GIF89a");
        return io.LoadGifFromStream(stream);
    }

    void ExpectPixel(int32_t x, int32_t y, TRGBPixel colour, uint8_t alpha)
    {
        const TRGBPixel pixel = io.Bitmap()->GetPixelRGB(x, y);
        EXPECT_EQ(pixel.r, colour.r) << x << "," << y;
        EXPECT_EQ(pixel.g, colour.g) << x << "," << y;
        EXPECT_EQ(pixel.b, colour.b) << x << "," << y;
        EXPECT_EQ(io.Bitmap()->GetAlpha(x, y), alpha) << x << "," << y;
    }

    TBrelvixIO io{nullptr};
    std::vector<FakeFrame> frames;
    int32_t screenWidth = 20;
    int32_t screenHeight = 4;
    TQkPixelFormat frameFormat = qk24RGB;
    int reads = 0;
};

TEST_F(GifComposition, RequestedFrameShowsTheEarlierFramesWithTheirDisposal)
{
    EXPECT_EQ(Load(3), 10);
    EXPECT_EQ(reads, 4);
    EXPECT_FALSE(io.Aborting());
    EXPECT_EQ(io.Bitmap()->GetWidth(), 20);
    EXPECT_EQ(io.Bitmap()->GetHeight(), 4);
    ExpectPixel(0, 1, frames[0].colour, 255);
    ExpectPixel(2, 1, background, 0);
    ExpectPixel(3, 2, background, 0);
    ExpectPixel(4, 1, frames[2].colour, 255);
    ExpectPixel(7, 2, frames[3].colour, 255);
    ExpectPixel(8, 1, background, 0);
    ExpectPixel(0, 0, background, 0);
    EXPECT_EQ(io.Params().GifDisposal, 2);
    EXPECT_EQ(io.Params().GifXPos, 0);
    EXPECT_EQ(io.Params().GifYPos, 0);
    EXPECT_EQ(io.Params().GifImageIndex, 3);
    EXPECT_EQ(io.Params().FileType, ioGIF);
}

TEST_F(GifComposition, FramePastTheEndGivesTheComposedLastFrame)
{
    EXPECT_EQ(Load(20), 10);
    EXPECT_EQ(reads, 10);
    ExpectPixel(18, 2, frames[9].colour, 255);
    ExpectPixel(0, 1, frames[0].colour, 255);
    ExpectPixel(2, 1, background, 0);
    EXPECT_EQ(io.Params().GifImageIndex, 20);
}

TEST_F(GifComposition, TransparentFramePixelsShowWhatLiesBelow)
{
    frames[1] = {0, 1, 2, 2, {0, 0, 0}, 1, 1};
    Load(1);
    ExpectPixel(0, 1, frames[1].colour, 255);
    ExpectPixel(1, 1, frames[0].colour, 255);
}

TEST_F(GifComposition, SingleFrameKeepsItsOwnSizeAndFormat)
{
    frames.resize(1);
    frames[0].width = 3;
    frameFormat = qk8g;
    EXPECT_EQ(Load(0), 1);
    EXPECT_EQ(io.Bitmap()->GetWidth(), 3);
    EXPECT_EQ(io.Bitmap()->GetHeight(), 2);
    EXPECT_EQ(io.Bitmap()->GetPixelFormat(), qk8g);
}

TEST_F(GifComposition, ComposedFrameTakesTheFramesPixelFormat)
{
    frameFormat = qk8g;
    Load(2);
    EXPECT_EQ(io.Bitmap()->GetPixelFormat(), qk8g);
    EXPECT_EQ(io.Bitmap()->GetWidth(), 20);
}

TEST_F(GifComposition, CanvasGrowsForAFrameLargerThanTheScreen)
{
    screenWidth = 4;
    screenHeight = 2;
    frames[0] = {0, 0, 4, 2, {1, 2, 3}, 1};
    frames[1] = {0, 0, 6, 1, {4, 5, 6}, 1};
    Load(1);
    EXPECT_EQ(io.Bitmap()->GetWidth(), 6);
    EXPECT_EQ(io.Bitmap()->GetHeight(), 2);
    ExpectPixel(5, 0, frames[1].colour, 255);
    ExpectPixel(3, 1, frames[0].colour, 255);
    ExpectPixel(5, 1, background, 255);
}

TEST_F(GifComposition, ScreenPastTheDecodeLimitAborts)
{
    screenWidth = 65535;
    screenHeight = 65535;
    Load(1);
    EXPECT_TRUE(io.Aborting());
    EXPECT_EQ(reads, 1);
}

} // namespace
