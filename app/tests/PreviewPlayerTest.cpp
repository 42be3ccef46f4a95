#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <vector>

#include "app/ConversionTask.h"
#include "app/PreviewGeometry.h"
#include "app/tests/LoadedWindow.h"
#include "controls/TarqBmpBtn.h"
#include "controls/TarqBtnEdt.h"
#include "controls/TarqPanel.h"
#include "controls/TarqRadChk.h"
#include "controls/TarqTrkBar.h"
#include "imaging/core/BrelvixProc.h"
#include "platform/ui/Image.h"
#include "platform/ui/Label.h"
#include "platform/ui/Menus.h"

using namespace preview_test;

namespace {

// The video pictures' times as ffprobe lists them, in µs from the stream's start.
std::vector<int64_t> ProbedFrameTimes(const std::string& file)
{
    const std::string quoted = " \"" + file + "\"";
    const double start = std::atof(conversion_test::Shell("ffprobe -v error -select_streams v:0 -show_entries "
                                                          "stream=start_time -of csv=p=0" +
                                                          quoted)
                                       .c_str());
    std::istringstream lines(conversion_test::Shell(
        "ffprobe -v error -select_streams v:0 -show_entries frame=best_effort_timestamp_time -of csv=p=0" + quoted));
    std::vector<int64_t> times;
    for (std::string line; std::getline(lines, line);)
        if (!line.empty())
            times.push_back(std::llround((std::atof(line.c_str()) - start) * 1e6));
    return times;
}

// The decoded picture as ffmpeg's own decoder gives picture `index`: the
// mean difference of the colour bytes.
double MeanDifferenceFromFfmpeg(TBitmap& frame, const std::string& file, int32_t index)
{
    const std::string pixels =
        conversion_test::Shell("ffmpeg -nostdin -v error -i \"" + file + "\" -vf \"select=eq(n\\," +
                               std::to_string(index) + ")\" -frames:v 1 -f rawvideo -pix_fmt bgra -");
    const size_t rowBytes = static_cast<size_t>(frame.Width()) * 4;
    if (pixels.size() != rowBytes * frame.Height())
        return 255;
    double total = 0;
    for (int32_t y = 0; y < frame.Height(); ++y) {
        const uint8_t* row = frame.ScanLine(y);
        for (size_t x = 0; x < rowBytes; ++x)
            if (x % 4 != 3)
                total += std::abs(int(row[x]) - int(uint8_t(pixels[y * rowBytes + x])));
    }
    return total / (double(frame.Width()) * frame.Height() * 3);
}

bool IsRed(TColor color) { return (color & 0xFF) > 180 && ((color >> 8) & 0xFF) < 80 && ((color >> 16) & 0xFF) < 80; }

// The colour of the first picture of `file` at (x, y), as the ffmpeg tool decodes it.
TColor PixelOf(const std::string& file, int32_t x, int32_t y)
{
    const std::string rgb = conversion_test::Shell("ffmpeg -nostdin -v error -i \"" + file +
                                                   "\" -frames:v 1 -vf crop=2:2:" + std::to_string(x) + ":" +
                                                   std::to_string(y) + " -f rawvideo -pix_fmt rgb24 -");
    // 2 x 2: the chroma planes of a 1 x 1 crop would be empty.
    if (rgb.size() != 12)
        return clNone;
    return TColor(uint8_t(rgb[0]) | uint8_t(rgb[1]) << 8 | uint8_t(rgb[2]) << 16);
}

// Converts the window's first row as it is set now into a fresh `folder`;
// false when the task was refused.
bool ConvertRow(TFrmQuorvid& form, const std::string& folder)
{
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    form.EditPath->SetText(folder);
    TCusOutputOptions& record = TFrmQuorvid::RecordOf(*form.ListViewFiles->Items()->Item(0));
    form.SaveFileSettings(record);
    VIDArarozo encoder(nullptr);
    if (!AddConversionTask(encoder, record, MachineJobEnvironment(encoder)).empty())
        return false;
    conversion_test::RunToEnd(encoder);
    return true;
}

} // namespace

class PreviewPlayerTest : public LoadedWindowTest {
protected:
    std::string Shown() const { return form->LabelPTS->Caption(); }
    void MoveBar(int32_t position) { form->TrackBarPlay->SetPosition(position); }
    uint16_t PressOnBar(uint16_t key, TShiftState shift)
    {
        form->TrackBarPlay->OnKeyDown(form->TrackBarPlay, key, shift);
        return key;
    }
    TBitmap& Picture() { return *form->ImagePlay->Picture()->Bitmap(); }
};

TEST_F(PreviewPlayerTest, SteppingShowsEveryTimeFfprobeLists)
{
    const std::vector<int64_t> probed = ProbedFrameTimes(VideoClip);
    ASSERT_EQ(probed.size(), 50u);
    Add(VideoClip);
    ASSERT_TRUE(form->PanelViewBk->Visible());
    std::vector<std::string> shown{Shown()};
    while (form->NextFrame())
        shown.push_back(Shown());
    std::vector<std::string> expected;
    for (int64_t time : probed)
        expected.push_back(FormatTimeStamp(time));
    // The last B-frames come out of the codec too.
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(form->FirstPTS, probed.front());
}

TEST_F(PreviewPlayerTest, PicturesWithoutTimeStampsKeepThePreviousTime)
{
    Add(UntimedClip);
    ASSERT_TRUE(form->PanelViewBk->Visible());
    int32_t pictures = 1;
    while (form->NextFrame())
        ++pictures;
    EXPECT_EQ(pictures, 25);
    EXPECT_EQ(Shown(), "00:00:00.000");
    EXPECT_EQ(form->CurrentPTS, 0);
    EXPECT_EQ(form->FirstPTS, UnsetStart);
    EXPECT_EQ(SeekOffset(form->FirstPTS, 400'000), 400'000);
}

TEST_F(PreviewPlayerTest, FirstAndLastPicturesMatchFfmpegs)
{
    Add(VideoClip);
    EXPECT_LT(MeanDifferenceFromFfmpeg(*form->FrameBitmap(), VideoClip, 0), 1.0);
    while (form->NextFrame()) {}
    EXPECT_LT(MeanDifferenceFromFfmpeg(*form->FrameBitmap(), VideoClip, 49), 1.0);
}

TEST_F(PreviewPlayerTest, BarStepsDecodeOnePictureAndJumpsSeek)
{
    const std::vector<int64_t> probed = ProbedFrameTimes(VideoClip);
    Add(VideoClip);
    ASSERT_EQ(form->TrackBarPlay->Max(), 50);
    MoveBar(1);
    EXPECT_EQ(Shown(), FormatTimeStamp(probed[1]));
    MoveBar(2);
    EXPECT_EQ(Shown(), FormatTimeStamp(probed[2]));
    MoveBar(1);
    EXPECT_EQ(Shown(), FormatTimeStamp(probed[1]));
    // The bar stays where the user put it.
    EXPECT_EQ(form->TrackBarPlay->Position(), 1);

    for (int32_t position : {25, 37, 10, 49}) {
        MoveBar(position);
        const int64_t time = std::llround(double(position) / 50 * form->Duration);
        int64_t first = -1;
        for (int64_t probedTime : probed)
            if (probedTime >= time && (first < 0 || probedTime < first))
                first = probedTime;
        EXPECT_EQ(Shown(), FormatTimeStamp(first)) << position;
        EXPECT_EQ(form->LastBarPosition, position);
    }
}

TEST_F(PreviewPlayerTest, ArrowKeysStepByKeyFrames)
{
    Add(VideoClip);
    // Key frames every 12 pictures at 25 fps.
    EXPECT_EQ(PressOnBar(VK_RIGHT, 0), 0);
    EXPECT_EQ(Shown(), "00:00:00.480");
    EXPECT_EQ(PressOnBar(VK_RIGHT, ssShift), 0);
    EXPECT_EQ(Shown(), "00:00:00.520");
    EXPECT_EQ(PressOnBar(VK_RIGHT, 0), 0);
    EXPECT_EQ(Shown(), "00:00:00.960");
    // Shift+Left is swallowed; Left goes back a key frame.
    EXPECT_EQ(PressOnBar(VK_LEFT, ssShift), 0);
    EXPECT_EQ(Shown(), "00:00:00.960");
    EXPECT_EQ(PressOnBar(VK_LEFT, 0), 0);
    EXPECT_EQ(Shown(), "00:00:00.480");
    EXPECT_EQ(PressOnBar(VK_UP, 0), VK_UP);

    form->PM_RemoveallClick(form->PM_Removeall);
    EXPECT_EQ(PressOnBar(VK_RIGHT, 0), VK_RIGHT); // nothing to step through
}

TEST_F(PreviewPlayerTest, OutputModeDrawsTheOutputFrame)
{
    const struct {
        const char* profile;
        const char* rotation;
        bool stretch;
        TRect frame, picture;
    } cases[] = {
        {"3GP - 3GP Video", "0", false, Rect(74, 0, 293, 180), Rect(0, 8, 219, 172)},
        {"3GP - 3GP Video", "0", true, Rect(74, 0, 293, 180), Rect(0, 0, 219, 180)},
        {"3GP - 3GP Video", "90", false, Rect(74, 0, 293, 180), Rect(0, 8, 219, 172)},
        {"MP4 - iPhone H.264 Video", "0", false, Rect(64, 0, 303, 180), Rect(0, 0, 239, 180)},
        {"AVI - AVI Movie", "90", false, Rect(116, 0, 251, 180), Rect(0, 0, 135, 180)},
    };
    Add(VideoClip);
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.profile) + " " + c.rotation);
        ChooseProfile(ProfileRow(c.profile));
        Choose(*form->ComboBoxRotate, c.rotation);
        form->ComboBoxRotateChange(form->ComboBoxRotate);
        form->CheckBoxStretch->SetChecked(c.stretch);
        form->ComboBoxFrameSizeChange(form->CheckBoxStretch);
        EXPECT_EQ(form->PanelPlayBk->BoundsRect(), c.frame);
        EXPECT_EQ(form->ImagePlay->BoundsRect(), c.picture);
        EXPECT_EQ(Picture().Width(), c.picture.Width());
        EXPECT_EQ(Picture().Height(), c.picture.Height());
    }
}

TEST_F(PreviewPlayerTest, SourceModeDrawsTheFrameUnchanged)
{
    ChooseProfile(ProfileRow("3GP - 3GP Video"));
    Add(VideoClip);
    ASSERT_EQ(form->PanelPlayBk->Width(), 219);
    form->PM_SourceVideo->Click();
    EXPECT_EQ(form->BtnPreview->Caption(), MS_Preview + " - " + form->PM_SourceVideo->Caption());
    EXPECT_EQ(form->BtnPreview->Tag(), 1);
    EXPECT_EQ(form->PanelPlayBk->BoundsRect(), Rect(64, 0, 303, 180));
    EXPECT_EQ(form->ImagePlay->BoundsRect(), Rect(0, 0, 239, 180));
    EXPECT_DOUBLE_EQ(form->PreviewScaleX, 239.0 / 640);
    form->PM_OutputVideo->Click();
    EXPECT_EQ(form->BtnPreview->Caption(), MS_Preview + " - " + form->PM_OutputVideo->Caption());
    EXPECT_EQ(form->BtnPreview->Tag(), 0);
    EXPECT_EQ(form->PanelPlayBk->Width(), 219);
}

TEST_F(PreviewPlayerTest, RotatedPreviewTurnsLikeTheOutput)
{
    // Where the output ("nativerotate", clockwise) puts the top-left marker.
    const struct {
        const char* rotation;
        bool right, bottom;
    } cases[] = {{"0", false, false}, {"90", true, false}, {"180", true, true}, {"270", false, true}};
    ChooseProfile(ProfileRow("AVI - AVI Movie"));
    Add(MarkerClip);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rotation);
        Choose(*form->ComboBoxRotate, c.rotation);
        form->ComboBoxRotateChange(form->ComboBoxRotate);
        const int32_t w = Picture().Width();
        const int32_t h = Picture().Height();
        const TCanvas& canvas = *Picture().Canvas();
        const std::string folder = MediaFolder + "turned/";
        ASSERT_TRUE(ConvertRow(*form, folder));
        const std::string output = folder + "marker_new001.avi";
        const auto probed = conversion_test::Probe(output, "v:0");
        const int32_t ow = std::atoi(probed.at("width").c_str());
        const int32_t oh = std::atoi(probed.at("height").c_str());
        for (bool right : {false, true})
            for (bool bottom : {false, true}) {
                const bool marked = right == c.right && bottom == c.bottom;
                const char* corner =
                    right ? (bottom ? "bottom right" : "top right") : (bottom ? "bottom left" : "top left");
                EXPECT_EQ(IsRed(canvas.Pixels(right ? w - w / 8 : w / 8, bottom ? h - h / 8 : h / 8)), marked)
                    << "preview " << corner;
                EXPECT_EQ(IsRed(PixelOf(output, right ? ow - ow / 8 : ow / 8, bottom ? oh - oh / 8 : oh / 8)), marked)
                    << "output " << corner;
            }
    }
    // One undo copy per operation, never read back.
    EXPECT_LE(form->BrelvixProc->GetUndoCount(), 1);
}

TEST_F(PreviewPlayerTest, ResetClearsThePreview)
{
    Add(VideoClip);
    form->PM_RemoveallClick(form->PM_Removeall);
    EXPECT_FALSE(form->PanelViewBk->Visible());
    EXPECT_EQ(form->FrameBitmap()->Width(), 0);
    EXPECT_EQ(Picture().Canvas()->Pixels(1, 1), TColor(0xF0CAA6));
    // An empty frame draws nothing.
    const TRect before = form->ImagePlay->BoundsRect();
    form->DrawPreviewFrame(*form->FrameBitmap(), Rect(0, 0, 640, 480), true, "90");
    EXPECT_EQ(form->ImagePlay->BoundsRect(), before);
}
