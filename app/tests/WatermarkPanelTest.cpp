#include <gtest/gtest.h>

#include "app/tests/LoadedWindow.h"
#include "controls/TarqBtnEdt.h"
#include "controls/TarqPanel.h"
#include "controls/TarqRadChk.h"
#include "controls/TarqSpnEdt.h"
#include "platform/ui/Image.h"

using namespace preview_test;

class WatermarkPanelTest : public LoadedWindowTest {
protected:
    void Activate(const std::string& png, int32_t placement, int32_t marginX, int32_t marginY)
    {
        form->EditPathWatermark->SetText(png);
        form->ComboBoxPostion->SetItemIndex(placement);
        form->SpinEditX->SetValue(marginX);
        form->SpinEditY->SetValue(marginY);
        form->CheckBoxWatermark->SetChecked(true);
        form->CheckBoxWatermarkClick(form->CheckBoxWatermark);
    }
    void Rotate(const std::string& degrees)
    {
        Choose(*form->ComboBoxRotate, degrees);
        form->ComboBoxRotateChange(form->ComboBoxRotate);
    }
    // The position the saved record carries into the overlay filter.
    TPoint SavedPosition()
    {
        form->SaveFileSettings(Record(0));
        return {Record(0).WatermarkX, Record(0).WatermarkY};
    }
    TImage& Mark() { return *form->ImageWatermark; }
};

TEST_F(WatermarkPanelTest, SourcePositionForEveryPlacement)
{
    ChooseProfile(ProfileRow("AVI - AVI Movie"));
    Add(VideoClip);
    const TPoint expected[9] = {{10, 10},   {10, 215}, {10, 420},  {270, 10}, {270, 215},
                                {270, 420}, {530, 10}, {530, 215}, {530, 420}};
    for (int32_t placement = 0; placement < 9; ++placement) {
        Activate(WatermarkPng, placement, 10, 10);
        ASSERT_TRUE(Mark().Visible());
        EXPECT_EQ(SavedPosition(), expected[placement]) << placement;
        EXPECT_TRUE(Record(0).WatermarkOn);
    }
    Activate(LargeWatermarkPng, 8, 10, 10);
    EXPECT_EQ(SavedPosition(), (TPoint{-170, -130}));
}

TEST_F(WatermarkPanelTest, MarginsFollowThePlacement)
{
    Add(VideoClip);
    Activate(WatermarkPng, 0, 0, 0);
    const struct {
        int32_t placement;
        bool x, y;
    } cases[] = {{0, true, true},  {1, true, false}, {2, true, true},  {3, false, true}, {4, false, false},
                 {5, false, true}, {6, true, true},  {7, true, false}, {8, true, true}};
    for (const auto& c : cases) {
        form->ComboBoxPostion->SetItemIndex(c.placement);
        form->ComboBoxPostionChange(form->ComboBoxPostion);
        EXPECT_EQ(form->SpinEditX->Enabled(), c.x) << c.placement;
        EXPECT_EQ(form->SpinEditY->Enabled(), c.y) << c.placement;
    }
    form->CheckBoxWatermark->SetChecked(false);
    form->CheckBoxWatermarkClick(form->CheckBoxWatermark);
    for (TControl* control : std::initializer_list<TControl*>{form->EditPathWatermark, form->ComboBoxPostion,
                                                              form->SpinEditX, form->SpinEditY})
        EXPECT_FALSE(control->Enabled()) << control->Name();
    EXPECT_FALSE(Mark().Visible());
}

TEST_F(WatermarkPanelTest, PreviewPlacesItAtThePreviewScale)
{
    ChooseProfile(ProfileRow("AVI - AVI Movie"));
    Add(VideoClip);
    // 640 x 480 shown as 239 x 180: 100 x 50 becomes 37 x 19, the margins 4.
    Activate(WatermarkPng, 8, 10, 10);
    EXPECT_EQ(form->PanelPlayBk->BoundsRect(), Rect(64, 0, 303, 180));
    EXPECT_EQ(Mark().BoundsRect(), Bounds(198, 157, 37, 19));
    form->SpinEditX->SetValue(40);
    EXPECT_EQ(Mark().Left(), 239 - 37 - 15);
    form->ComboBoxPostion->SetItemIndex(4);
    form->ComboBoxPostionChange(form->ComboBoxPostion);
    EXPECT_EQ(Mark().BoundsRect(), Bounds(101, 80, 37, 19));
}

TEST_F(WatermarkPanelTest, WatermarkAndRotationExcludeEachOther)
{
    Add(VideoClip);
    Rotate("90");
    Activate(WatermarkPng, 8, 10, 10);
    EXPECT_EQ(form->ComboBoxRotate->Text(), "0");
    EXPECT_TRUE(Mark().Visible());

    Rotate("180");
    EXPECT_FALSE(form->CheckBoxWatermark->Checked());
    EXPECT_FALSE(Mark().Visible());
    // Quietly unchecked: the watermark's controls keep their state.
    EXPECT_TRUE(form->EditPathWatermark->Enabled());
    EXPECT_EQ(SavedPosition(), (TPoint{0, 0}));
    EXPECT_FALSE(Record(0).WatermarkOn);
    EXPECT_EQ(Record(0).Rotation, "180");
}

TEST_F(WatermarkPanelTest, UnusableFilesHideItWithoutAMessage)
{
    Add(VideoClip);
    for (const std::string& path : {MediaFolder + "missing.png", BogusPng, VideoClip, std::string()}) {
        Activate(WatermarkPng, 8, 10, 10);
        ASSERT_TRUE(Mark().Visible());
        form->EditPathWatermark->SetText(path);
        EXPECT_FALSE(form->LoadWatermarkPreview(path)) << path;
        EXPECT_FALSE(Mark().Visible()) << path;
        EXPECT_EQ(SavedPosition(), (TPoint{0, 0})) << path;
    }
}

TEST_F(WatermarkPanelTest, OpeningASourceShowsTheActiveWatermark)
{
    Activate(WatermarkPng, 8, 10, 10);
    EXPECT_FALSE(Mark().Visible()); // no preview yet
    Add(VideoClip);
    EXPECT_TRUE(Mark().Visible());
    EXPECT_EQ(SavedPosition(), (TPoint{530, 420}));
}
