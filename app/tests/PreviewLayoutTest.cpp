#include "app/PreviewLayout.h"

#include <gtest/gtest.h>

namespace {

const TRect PreviewArea = Rect(0, 0, 367, 180);

} // namespace

TEST(PreviewLayoutTest, FitRectFillsOneSideAndCentresTheOther)
{
    const struct {
        TRect source, target, fitted;
    } cases[] = {
        {Rect(0, 0, 640, 480), PreviewArea, Rect(64, 0, 303, 180)}, // 63.5 rounds to even
        {Rect(0, 0, 176, 144), PreviewArea, Rect(74, 0, 293, 180)}, // 73.5 rounds to even
        {Rect(0, 0, 200, 100), Rect(10, 20, 110, 220), Rect(10, 95, 110, 145)},
        {Rect(0, 0, 367, 180), PreviewArea, PreviewArea},
        // Nothing to fit or nothing to fit into: empty, at the target's origin.
        {Rect(0, 0, 0, 0), Rect(5, 6, 100, 100), Rect(5, 6, 5, 6)},
        {Rect(0, 0, 640, 0), Rect(5, 6, 100, 100), Rect(5, 6, 5, 6)},
        {Rect(0, 0, 640, 480), Rect(5, 6, 5, 6), Rect(5, 6, 5, 6)},
        {Rect(0, 0, 640, 480), Rect(5, 6, 100, 6), Rect(5, 6, 5, 6)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FitRect(c.source, c.target), c.fitted) << c.source.Width() << "x" << c.source.Height();
}

TEST(PreviewLayoutTest, OutputFrameFollowsTheProfile)
{
    const struct {
        const char* name;
        TOutputChoice choice;
        int32_t width, height;
        const char* rotation;
    } cases[] = {
        {"3gp automatic", {"3gp", "3gp", 0, "Auto", true, false, "0"}, 176, 144, "0"},
        {"3gp never turns", {"3gp", "3gp", 1, "352x288", true, true, "90"}, 352, 288, "0"},
        {"iPhone automatic", {"mp4", "iphone-h.264", 0, "Auto", true, true, "0"}, 320, 240, "0"},
        {"MP4 automatic", {"mp4", "mp4", 0, "Auto", true, true, "0"}, 640, 480, "0"},
        {"MP4 chosen", {"mp4", "mp4", 2, "1280x720", true, true, "0"}, 1280, 720, "0"},
        {"AVI chosen", {"avi", "avi", 1, "320x180", true, true, "0"}, 320, 180, "0"},
        {"AVI list hidden", {"avi", "avi", 1, "320x180", false, true, "0"}, 640, 480, "0"},
        {"90 turns the other way", {"avi", "avi", 0, "Auto", true, true, "90"}, 640, 480, "270"},
        {"270 turns the other way", {"avi", "avi", 0, "Auto", true, true, "270"}, 640, 480, "90"},
        {"180 stays", {"avi", "avi", 0, "Auto", true, true, "180"}, 640, 480, "180"},
        {"rotation disabled", {"mkv", "mkv", 0, "Auto", true, false, "90"}, 640, 480, "0"},
    };
    for (const auto& c : cases) {
        const TOutputFrame frame = OutputFrameOf(c.choice, 640, 480);
        EXPECT_EQ(frame.Width, c.width) << c.name;
        EXPECT_EQ(frame.Height, c.height) << c.name;
        EXPECT_EQ(frame.Rotation, c.rotation) << c.name;
    }
}

TEST(PreviewLayoutTest, PreviewLetterboxesStretchesAndTurns)
{
    const struct {
        const char* name;
        TRect output;
        bool stretch;
        const char* rotation;
        TRect frame, picture;
        int32_t pictureWidth, pictureHeight, angle;
    } cases[] = {
        {"3gp letterboxed", Rect(0, 0, 176, 144), false, "0", Rect(74, 0, 293, 180), Rect(0, 8, 219, 172), 219, 164, 0},
        {"3gp stretched", Rect(0, 0, 176, 144), true, "0", Rect(74, 0, 293, 180), Rect(0, 0, 219, 180), 219, 180, 0},
        {"iPhone", Rect(0, 0, 320, 240), false, "0", Rect(64, 0, 303, 180), Rect(0, 0, 239, 180), 239, 180, 0},
        {"16:9 letterboxed", Rect(0, 0, 320, 180), false, "0", Rect(24, 0, 343, 180), Rect(40, 0, 279, 180), 239, 180,
         0},
        {"16:9 stretched", Rect(0, 0, 320, 180), true, "0", Rect(24, 0, 343, 180), Rect(0, 0, 319, 180), 319, 180, 0},
        // A wide output turned a quarter shows tall; the picture is sized before it turns.
        {"turned", Rect(0, 0, 640, 480), false, "270", Rect(116, 0, 251, 180), Rect(0, 0, 135, 180), 180, 135, 270},
        {"half turn", Rect(0, 0, 640, 480), false, "180", Rect(64, 0, 303, 180), Rect(0, 0, 239, 180), 239, 180, 180},
        {"not a number", Rect(0, 0, 640, 480), false, "x", Rect(64, 0, 303, 180), Rect(0, 0, 239, 180), 239, 180, 0},
    };
    for (const auto& c : cases) {
        const TPreviewLayout layout = LayOutPreview(640, 480, c.output, c.stretch, c.rotation, PreviewArea);
        EXPECT_EQ(layout.Frame, c.frame) << c.name;
        EXPECT_EQ(layout.Picture, c.picture) << c.name;
        EXPECT_EQ(layout.PictureWidth, c.pictureWidth) << c.name;
        EXPECT_EQ(layout.PictureHeight, c.pictureHeight) << c.name;
        EXPECT_EQ(layout.Angle, c.angle) << c.name;
    }
    EXPECT_TRUE(LayOutPreview(0, 0, Rect(0, 0, 0, 0), false, "0", PreviewArea).Empty());
    EXPECT_TRUE(LayOutPreview(640, 480, Rect(0, 0, 640, 480), false, "0", Rect(0, 0, 0, 0)).Empty());
}

TEST(PreviewLayoutTest, WatermarkPositionInSourcePixels)
{
    // Margins 10, a 640 x 480 source, a 100 x 50 picture.
    const TPoint expected[9] = {{10, 10},   {10, 215}, {10, 420},  {270, 10}, {270, 215},
                                {270, 420}, {530, 10}, {530, 215}, {530, 420}};
    for (int32_t placement = 0; placement < 9; ++placement) {
        const TPoint position = WatermarkPosition(placement, 10, 10, 640, 480, 100, 50);
        EXPECT_EQ(position.X, expected[placement].X) << placement;
        EXPECT_EQ(position.Y, expected[placement].Y) << placement;
    }
    // The centre ignores the margins; a picture larger than the source goes negative.
    const TPoint centre = WatermarkPosition(4, 999, 999, 640, 480, 100, 50);
    EXPECT_EQ(centre.X, 270);
    EXPECT_EQ(centre.Y, 215);
    const TPoint large = WatermarkPosition(8, 10, 10, 640, 480, 800, 600);
    EXPECT_EQ(large.X, -170);
    EXPECT_EQ(large.Y, -130);
    const TPoint odd = WatermarkPosition(4, 0, 0, 640, 480, 801, 601);
    EXPECT_EQ(odd.X, -80); // halves truncate toward zero
    EXPECT_EQ(odd.Y, -60);
}

TEST(PreviewLayoutTest, WatermarkInThePreviewAtItsScale)
{
    TWatermarkPreview preview;
    preview.MarginX = 10;
    preview.MarginY = 10;
    preview.PngWidth = 100;
    preview.PngHeight = 50;
    preview.ScaleX = 0.25;
    preview.ScaleY = 0.25;
    preview.Frame = Rect(74, 0, 293, 180);
    preview.Picture = TPoint{0, 8};
    // 12.5 and the margins' 2.5 round to even; the letterbox insets the margins.
    const std::pair<int32_t, TRect> cases[] = {
        {0, Bounds(2, 10, 25, 12)},   {4, Bounds(97, 84, 25, 12)}, {8, Bounds(192, 158, 25, 12)},
        {6, Bounds(192, 10, 25, 12)}, {2, Bounds(2, 158, 25, 12)}, {9, Bounds(0, 0, 25, 12)},
        {-1, Bounds(0, 0, 25, 12)},
    };
    for (const auto& [placement, bounds] : cases) {
        preview.Placement = placement;
        EXPECT_EQ(WatermarkPreviewBounds(preview), bounds) << placement;
    }
}
