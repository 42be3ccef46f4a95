#include <gtest/gtest.h>

#include <functional>
#include <limits>

#include "app/ApplicationGlobals.h"
#include "app/ClipTiming.h"
#include "app/CusOutputOptions.h"
#include "app/FormatTable.h"
#include "app/Messages.h"
#include "app/PreviewGeometry.h"
#include "app/SourceKinds.h"
#include "app/UnitQuorvid.h"
#include "app/tests/LoadedWindow.h"
#include "app/tests/PreviewMedia.h"
#include "controls/TarqBmpBtn.h"
#include "controls/TarqBtnEdt.h"
#include "controls/TarqCmboBx.h"
#include "controls/TarqListVw.h"
#include "controls/TarqPanel.h"
#include "controls/TarqRadChk.h"
#include "controls/TarqSpnEdt.h"
#include "controls/TarqTrkBar.h"
#include "engine/FFEncode.h"
#include "platform/ui/FileDialogs.h"
#include "platform/ui/Label.h"
#include "platform/ui/Menus.h"

using namespace preview_test;

TEST(SourceKindIconTest, FollowsTheUpperCasedExtension)
{
    const std::pair<const char*, int32_t> cases[] = {
        {"/v/a.TS", IconVideo},    {"/v/a.ts", IconVideo},    {"/v/a.Mkv", IconVideo},    {"/v/a.mp3", IconAudio},
        {"/v/a.FLAC", IconAudio},  {"/v/a.png", IconPicture}, {"/v/a.jpeg", IconPicture}, {"/v/noextension", IconOther},
        {"/v.d/plain", IconOther}, {"/v/a.txt", IconOther},   {"/v/a.", IconOther},
    };
    for (const auto& [path, icon] : cases)
        EXPECT_EQ(SourceKindIcon(path), icon) << path;
}

TEST(SeekOffsetTest, ShiftsByANegativeFirstTimeStampOnly)
{
    const int64_t unset = std::numeric_limits<int64_t>::max();
    const struct {
        int64_t firstPTS, clipStart, offset;
    } cases[] = {
        {0, 5'000'000, 5'000'000},
        {-80'000, 5'000'000, 5'080'000},
        {120'000, 5'000'000, 5'000'000},
        {unset, 5'000'000, 5'000'000},
        {-80'000, unset, 0},
        {unset, unset, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SeekOffset(c.firstPTS, c.clipStart), c.offset) << c.firstPTS << " " << c.clipStart;
}

using SourceListTest = LoadedWindowTest;

TEST_F(SourceListTest, AddingThroughTheDialogChecksFillsAndOpensTheRow)
{
    form->OpenDialogVideo->OnShow = [this](TObject*) {
        backend.TypeText(VideoClip);
        backend.PressKey(VK_RETURN);
    };
    form->BtnAddClick(form->BtnAdd);

    ASSERT_EQ(Rows().Count(), 1);
    TListItem& row = Row(0);
    EXPECT_EQ(row.Caption(), "preview.mp4");
    EXPECT_EQ(row.SubItems()->Count(), 4);
    EXPECT_EQ(row.SubItems()->Strings(0), form->ComboBoxFormat->Text());
    EXPECT_TRUE(row.Checked());
    EXPECT_TRUE(row.Selected());
    EXPECT_EQ(row.ImageIndex(), IconVideo);
    EXPECT_TRUE(Record(0).Valid);
    EXPECT_EQ(Record(0).SourceFile, VideoClip);
    EXPECT_EQ(form->CurrentRow, &row);
    EXPECT_EQ(form->LabelFile->Caption(), VideoClip);
}

TEST_F(SourceListTest, RejectedSourcesTakeIconThreeAndStayInert)
{
    for (const std::string& path : {AudioFile, PictureSequence, BogusVideo}) {
        SCOPED_TRACE(path);
        Add(VideoClip);
        Add(path);
        TListItem& rejected = Row(Rows().Count() - 1);
        EXPECT_EQ(rejected.ImageIndex(), IconOther);
        EXPECT_FALSE(TFrmQuorvid::RecordOf(rejected).Valid);
        EXPECT_FALSE(TFrmQuorvid::RecordOf(rejected).Saved);

        Select(0);
        EXPECT_NE(form->CurrentRow, &rejected);
        TListItem* shown = form->CurrentRow;
        form->ListViewFiles->SetSelected(&rejected);
        EXPECT_EQ(form->CurrentRow, shown);
        form->PM_RemoveallClick(form->PM_Removeall);
    }
}

TEST_F(SourceListTest, RemoveCommandsFollowTheCheckMarks)
{
    const struct {
        TMenuItem* TFrmQuorvid::*command;
        std::vector<bool> checks;
        std::vector<std::string> kept;
    } cases[] = {
        {&TFrmQuorvid::PM_RemoveSelected, {true, false, true, false}, {"b.mp4", "d.mp4"}},
        {&TFrmQuorvid::PM_RemoveUnselected, {true, false, true, false}, {"a.mp4", "c.mp4"}},
        {&TFrmQuorvid::PM_RemoveSelected, {false, false, false, false}, {"a.mp4", "b.mp4", "c.mp4", "d.mp4"}},
        {&TFrmQuorvid::PM_RemoveUnselected, {false, false, false, false}, {}},
    };
    for (const auto& c : cases) {
        // Text rows: kept out of the decoder, they still own their records.
        for (const char* name : {"a.mp4", "b.mp4", "c.mp4", "d.mp4"})
            form->AddSourceFile(std::string("/nowhere/") + name, "");
        for (int32_t index = 0; index < 4; ++index)
            Row(index).SetChecked(c.checks[static_cast<size_t>(index)]);
        TMenuItem* item = form.get()->*c.command;
        item->Click();
        std::vector<std::string> kept;
        for (int32_t index = 0; index < Rows().Count(); ++index)
            kept.push_back(Row(index).Caption());
        EXPECT_EQ(kept, c.kept);
        item = form->PM_Removeall;
        item->Click();
        EXPECT_EQ(Rows().Count(), 0);
    }
}

TEST_F(SourceListTest, PreviewResetsOnlyWhenNoRowStaysSelected)
{
    Add(VideoClip);
    Add(VideoClip);
    form->CurrentPTS = 40'000;
    // The selected second row stays: nothing resets.
    Row(0).SetChecked(true);
    Row(1).SetChecked(false);
    Choose(*form->ComboBoxFrameRate, "25");
    form->PM_RemoveSelected->Click();
    ASSERT_EQ(Rows().Count(), 1);
    EXPECT_EQ(form->CurrentPTS, 40'000);
    EXPECT_EQ(form->ComboBoxFrameRate->Text(), "25");

    form->PM_RemoveUnselected->Click();
    EXPECT_EQ(Rows().Count(), 0);
    EXPECT_EQ(form->CurrentRow, nullptr);
    EXPECT_EQ(form->CurrentPTS, 0);
    EXPECT_EQ(form->ComboBoxFrameRate->ItemIndex(), 0);
    EXPECT_EQ(form->LabelPTS->Caption(), "00:00:00.000");
}

TEST_F(SourceListTest, EachRowKeepsItsOwnSettings)
{
    ChooseProfile(ProfileRow("MKV - MKV Video"));
    Add(VideoClip);
    Choose(*form->ComboBoxEncoder, "XviD");
    Choose(*form->ComboBoxFrameRate, "25");

    // Adding the second row saves the first.
    Add(VideoClip);
    EXPECT_TRUE(Record(0).Saved);
    EXPECT_EQ(Record(0).VideoEncoder, "XviD");
    EXPECT_FALSE(Record(1).Saved);
    ChooseProfile(ProfileRow("FLV - Flash Video"));
    EXPECT_EQ(Row(1).SubItems()->Strings(0), "FLV - Flash Video");
    // FLV has no XviD: the encoder falls back to automatic.
    EXPECT_EQ(form->ComboBoxEncoder->ItemIndex(), 0);
    Choose(*form->ComboBoxEncoder, "H.264");

    Select(0);
    EXPECT_EQ(form->ComboBoxFormat->Text(), "MKV - MKV Video");
    EXPECT_EQ(form->ComboBoxEncoder->Text(), "XviD");
    EXPECT_EQ(form->ComboBoxFrameRate->Text(), "25");
    Select(1);
    EXPECT_EQ(form->ComboBoxFormat->Text(), "FLV - Flash Video");
    EXPECT_EQ(form->ComboBoxEncoder->Text(), "H.264");
    EXPECT_EQ(Record(1).FormatIndex, ProfileRow("FLV - Flash Video"));
}

TEST_F(SourceListTest, RestoringAVideoRowAfterAnAudioRowShowsTheVideoPanel)
{
    Add(VideoClip);
    Add(VideoClip);
    ChooseProfile(ProfileRow("MP3 - MPEG Layer-3 Audio"));
    ASSERT_FALSE(form->PanelVideo->Visible());
    Select(0);
    EXPECT_TRUE(form->PanelVideo->Visible());
    EXPECT_EQ(form->PanelAudio->Top(), AudioPanelTop);
    Select(1);
    EXPECT_FALSE(form->PanelVideo->Visible());
    EXPECT_EQ(form->PanelAudio->Top(), form->PanelVideo->Top());
}

TEST_F(SourceListTest, EverySavedFieldComesBack)
{
    Add(VideoClip);
    Add(VideoClip);
    Select(0);
    // Each change, and the field that must carry it back.
    const struct {
        const char* name;
        std::function<void()> change;
        std::function<bool()> restored;
    } fields[] = {
        {"OutputFolder", [&] { form->EditPath->SetText("/tmp/out"); },
         [&] { return form->EditPath->Text() == "/tmp/out/"; }},
        {"FrameSize", [&] { form->ComboBoxFrameSize->SetItemIndex(1); },
         [&] { return form->ComboBoxFrameSize->ItemIndex() == 1; }},
        {"Stretch", [&] { form->CheckBoxStretch->SetChecked(true); }, [&] { return form->CheckBoxStretch->Checked(); }},
        {"VideoBitRate", [&] { form->ComboBoxVideoBitRate->SetItemIndex(2); },
         [&] { return form->ComboBoxVideoBitRate->ItemIndex() == 2; }},
        {"AspectRatio", [&] { Choose(*form->ComboBoxAspectRatio, "16:9"); },
         [&] { return form->ComboBoxAspectRatio->Text() == "16:9"; }},
        {"AudioEncoder", [&] { form->ComboBoxAudioEncoder->SetItemIndex(1); },
         [&] { return form->ComboBoxAudioEncoder->ItemIndex() == 1; }},
        {"AudioBitRate", [&] { form->ComboBoxAudioBitRate->SetItemIndex(3); },
         [&] { return form->ComboBoxAudioBitRate->ItemIndex() == 3; }},
        {"SampleRate", [&] { form->ComboBoxAudioSR->SetItemIndex(1); },
         [&] { return form->ComboBoxAudioSR->ItemIndex() == 1; }},
        {"Channels", [&] { form->ComboBoxAudioChannel->SetItemIndex(2); },
         [&] { return form->ComboBoxAudioChannel->ItemIndex() == 2; }},
        {"Rotation", [&] { Choose(*form->ComboBoxRotate, "90"); },
         [&] { return form->ComboBoxRotate->Text() == "90"; }},
        {"WatermarkFile", [&] { form->EditPathWatermark->SetText("/tmp/mark.png"); },
         [&] { return form->EditPathWatermark->Text() == "/tmp/mark.png"; }},
        {"WatermarkPosition", [&] { form->ComboBoxPostion->SetItemIndex(8); },
         [&] { return form->ComboBoxPostion->ItemIndex() == 8; }},
        {"Margins",
         [&] {
             form->SpinEditX->SetValue(12);
             form->SpinEditY->SetValue(7);
         },
         [&] { return form->SpinEditX->IntValue() == 12 && form->SpinEditY->IntValue() == 7; }},
        {"CurrentPTS", [&] { form->CurrentPTS = 1'200'000; }, [&] { return form->CurrentPTS == 1'200'000; }},
        {"Clip",
         [&] {
             form->ClipStart = 400'000;
             form->ClipEnd = 800'000;
         },
         [&] { return form->ClipStart == 400'000 && form->ClipEnd == 800'000; }},
        // The position follows the picture the restore seeks to; the range and the marks stay.
        {"Bar",
         [&] {
             form->TrackBarPlay->SetMax(50);
             form->TrackBarPlay->SetSelStart(10);
             form->TrackBarPlay->SetSelEnd(40);
         },
         [&] {
             return form->TrackBarPlay->Max() == 50 && form->TrackBarPlay->SelStart() == 10 &&
                 form->TrackBarPlay->SelEnd() == 40;
         }},
    };
    for (const auto& field : fields)
        field.change();
    Select(1);
    form->ResetOutputChoices();
    form->CurrentPTS = 0;
    Select(0);
    for (const auto& field : fields)
        EXPECT_TRUE(field.restored()) << field.name;
    EXPECT_EQ(Record(0).SourceWidth, 640);
    EXPECT_EQ(Record(0).SourceHeight, 480);
    EXPECT_DOUBLE_EQ(Record(0).SourceFrameRate, 25.0);
    EXPECT_EQ(Record(0).SourceSampleRate, 44100);
}

TEST_F(SourceListTest, ClosingWithRowsReleasesThem)
{
    Add(VideoClip);
    Add("/nowhere/b.mp4");
    TCloseAction action = caFree;
    form->FormClose(form.get(), action);
    EXPECT_EQ(Rows().Count(), 0);
    EXPECT_EQ(form->CurrentRow, nullptr);
}

TEST_F(SourceListTest, OpeningAVideoFillsItsTimesAndTheBar)
{
    Add(VideoClip);
    EXPECT_GT(form->Duration, 1'900'000);
    EXPECT_EQ(Row(0).SubItems()->Strings(1), FormatTimeStamp(form->Duration));
    EXPECT_EQ(Row(0).SubItems()->Strings(2), Row(0).SubItems()->Strings(1));
    EXPECT_EQ(form->FrameCount, 50);
    EXPECT_EQ(form->TrackBarPlay->Max(), 50);
    EXPECT_EQ(form->TrackBarPlay->PageSize(), 5);
    EXPECT_TRUE(form->TrackBarPlay->Enabled());
    EXPECT_TRUE(form->CheckBoxCut->Enabled());
    EXPECT_TRUE(form->BtnNextFrame->Enabled());

    form->PM_RemoveallClick(form->PM_Removeall);
    EXPECT_FALSE(form->TrackBarPlay->Enabled());
    EXPECT_FALSE(form->CheckBoxCut->Enabled());
    EXPECT_FALSE(form->BtnNextFrame->Enabled());
    EXPECT_EQ(form->LabelFile->Caption(), MS_Ready);
}

TEST_F(SourceListTest, BarRangeFollowsThePictureCount)
{
    const struct {
        int64_t frames;
        int32_t max, page;
    } cases[] = {
        {600, 600, 30},
        {0, 600, 30}, // unknown: the range stays
        {100'000, 32767, 1638},
        {7, 7, 2},
    };
    for (const auto& c : cases) {
        form->FrameCount = c.frames;
        form->UpdateTrackBarRange();
        EXPECT_EQ(form->TrackBarPlay->Max(), c.max) << c.frames;
        EXPECT_EQ(form->TrackBarPlay->PageSize(), c.page) << c.frames;
    }
}

TEST_F(SourceListTest, ClipMarksSetTheClipTimeColumn)
{
    Add(VideoClip);
    const std::string total = Row(0).SubItems()->Strings(1);
    form->CheckBoxCut->SetChecked(true);
    form->CheckBoxCutClick(form->CheckBoxCut);
    EXPECT_TRUE(form->BtnSetStart->Enabled());
    const auto mark = [&](int64_t start, int64_t end) {
        form->CurrentPTS = start;
        form->BtnSetStartClick(form->BtnSetStart);
        form->CurrentPTS = end;
        form->BtnSetEndClick(form->BtnSetEnd);
        return Row(0).SubItems()->Strings(2);
    };
    EXPECT_EQ(mark(400'000, 1'000'000), "00:00:00.600");
    EXPECT_EQ(form->LabelStart->Caption(), "00:00:00.400");
    EXPECT_EQ(form->LabelEnd->Caption(), "00:00:01.000");
    EXPECT_EQ(mark(800'000, 800'000), "00:00:00.000");
    EXPECT_EQ(mark(1'000'000, 400'000), total);

    mark(400'000, 1'000'000);
    form->CheckBoxCut->SetChecked(false);
    form->CheckBoxCutClick(form->CheckBoxCut);
    EXPECT_EQ(Row(0).SubItems()->Strings(2), total);
    EXPECT_FALSE(form->BtnSetStart->Enabled());
}
