#include "app/UnitQuorvid.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/ApplicationGlobals.h"
#include "app/FormatTable.h"
#include "app/Messages.h"
#include "app/OpenDocument.h"
#include "app/tests/MainWindowFixture.h"
#include "controls/TarqBmpBtn.h"
#include "controls/TarqBtnEdt.h"
#include "controls/TarqCmboBx.h"
#include "controls/TarqPanel.h"
#include "controls/aa/AACtrls.h"
#include "controls/ufrmShadowFrame.h"
#include "platform/core/IniFile.h"
#include "platform/gfx/FontLookup.h"
#include "platform/gfx/ImageList.h"
#include "platform/ui/Image.h"
#include "platform/ui/Label.h"

namespace fs = std::filesystem;

TEST_F(MainWindowTest, StartsWithTheDefaultProfileAndAutomaticChoices)
{
    EXPECT_EQ(form->ClientWidth(), 842);
    EXPECT_EQ(form->ClientHeight(), 544);
    EXPECT_EQ(form->ComboBoxFormat->Items()->Count(), FormatTableRows);
    EXPECT_EQ(form->ComboBoxFormat->Text(), "MP4 - MPEG-4 Video");
    for (TTarqComboBox* list : {form->ComboBoxEncoder, form->ComboBoxFrameSize, form->ComboBoxVideoBitRate,
                                form->ComboBoxFrameRate, form->ComboBoxAspectRatio, form->ComboBoxAudioEncoder,
                                form->ComboBoxAudioBitRate, form->ComboBoxAudioSR, form->ComboBoxAudioChannel})
        EXPECT_EQ(list->ItemIndex(), 0) << list->Name();
    EXPECT_EQ(form->ComboBoxVideoBitRate->Items()->Count(), 30);
    EXPECT_EQ(form->ComboBoxEncoder->Items()->Count(), 4);
    EXPECT_FALSE(form->LabelLanguage->Visible());
    EXPECT_EQ(form->ImageList16->Count(), 4); // the four source-kind icons
    EXPECT_EQ(form->ImageListLanguage->Count(), 0); // flags are never shown
    EXPECT_EQ(form->ImageBk->Picture()->Width(), 842);
    EXPECT_TRUE(form->WindowRgn().has_value());
    EXPECT_EQ(ApplicationFolder.back(), '/');
    EXPECT_EQ(form->EditPath->Text().back(), '/');
}

TEST_F(MainWindowTest, ProfileChangeKeepsChoicesTheNewProfileOffers)
{
    ChooseProfile(6); // iPhone H.264
    Choose(*form->ComboBoxFrameSize, "640x480");
    ChooseProfile(7); // iPhone MPEG-4
    EXPECT_EQ(form->ComboBoxFrameSize->Text(), "640x480");
    ChooseProfile(6);
    Choose(*form->ComboBoxFrameSize, "720x480");
    ChooseProfile(7);
    EXPECT_EQ(form->ComboBoxFrameSize->ItemIndex(), 0);

    ChooseProfile(3); // MKV
    Choose(*form->ComboBoxEncoder, "H.264");
    ChooseProfile(2); // FLV
    EXPECT_EQ(form->ComboBoxEncoder->Text(), "H.264");
    ChooseProfile(3);
    Choose(*form->ComboBoxEncoder, "XviD");
    ChooseProfile(2);
    EXPECT_EQ(form->ComboBoxEncoder->ItemIndex(), 0);
}

TEST_F(MainWindowTest, ProfileKindLaysOutThePanels)
{
    ChooseProfile(16); // MP3
    EXPECT_FALSE(form->PanelVideo->Visible());
    EXPECT_TRUE(form->PanelAudio->Visible());
    EXPECT_EQ(form->PanelAudio->Top(), 155);
    EXPECT_EQ(form->ComboBoxEncoder->Items()->Count(), 1);
    EXPECT_EQ(form->ComboBoxAudioEncoder->Items()->Count(), 1);
    EXPECT_EQ(form->ComboBoxFrameRate->Items()->Count(), 7);

    ChooseProfile(0); // 3GP
    EXPECT_TRUE(form->PanelVideo->Visible());
    EXPECT_EQ(form->PanelAudio->Top(), AudioPanelTop);
    EXPECT_FALSE(form->ComboBoxRotate->Enabled());
    EXPECT_EQ(form->ComboBoxAudioBitRate->Items()->Strings(1), "4.75");

    ChooseProfile(1); // AVI
    EXPECT_TRUE(form->ComboBoxRotate->Enabled());
}

TEST_F(MainWindowTest, ProfileChangeWhileSuppressedChangesNothing)
{
    form->SuppressEvents = true;
    ChooseProfile(16);
    EXPECT_TRUE(form->PanelVideo->Visible());
    EXPECT_EQ(form->ComboBoxEncoder->Items()->Count(), 4);
}

TEST_F(MainWindowTest, ResetOutputChoicesLeavesProfileAndEncoders)
{
    ChooseProfile(1);
    for (TTarqComboBox* list :
         {form->ComboBoxFrameSize, form->ComboBoxVideoBitRate, form->ComboBoxFrameRate, form->ComboBoxRotate,
          form->ComboBoxAudioBitRate, form->ComboBoxAudioSR, form->ComboBoxAudioChannel, form->ComboBoxEncoder})
        list->SetItemIndex(2);
    form->ResetOutputChoices();
    for (TTarqComboBox* list :
         {form->ComboBoxFrameSize, form->ComboBoxVideoBitRate, form->ComboBoxFrameRate, form->ComboBoxRotate,
          form->ComboBoxAudioBitRate, form->ComboBoxAudioSR, form->ComboBoxAudioChannel})
        EXPECT_EQ(list->ItemIndex(), 0) << list->Name();
    EXPECT_EQ(form->ComboBoxEncoder->ItemIndex(), 2);
    EXPECT_EQ(form->ComboBoxFormat->ItemIndex(), 1);
}

TEST_F(MainWindowTest, ChineseReplacesTextsAndKeepsEveryChoice)
{
    form->ApplyLanguage(1); // English
    EXPECT_EQ(form->ComboBoxEncoder->Items()->Strings(0), "Auto");
    EXPECT_EQ(form->BtnSave->Caption(), "Convert");
    Choose(*form->ComboBoxFrameSize, "640x360");
    Choose(*form->ComboBoxAudioChannel, "Stereo");
    form->ComboBoxPostion->SetItemIndex(4);
    form->ApplyLanguage(StartLanguage);

    EXPECT_EQ(LanguageIndex, 6);
    EXPECT_EQ(form->BtnSave->Caption(), "转换");
    EXPECT_EQ(form->LabelFile->Caption(), "就绪");
    EXPECT_EQ(form->BtnPreview->Caption(), "预览 - 输出视频");
    EXPECT_EQ(MS_ErrorLib, "无法加载库！");
    for (TTarqComboBox* list : {form->ComboBoxEncoder, form->ComboBoxFrameSize, form->ComboBoxVideoBitRate,
                                form->ComboBoxFrameRate, form->ComboBoxAspectRatio, form->ComboBoxAudioEncoder,
                                form->ComboBoxAudioBitRate, form->ComboBoxAudioSR, form->ComboBoxAudioChannel})
        EXPECT_EQ(list->Items()->Strings(0), "自动") << list->Name();
    EXPECT_EQ(form->ComboBoxFrameSize->Text(), "640x360");
    EXPECT_EQ(form->ComboBoxAudioChannel->ItemIndex(), 2);
    EXPECT_EQ(form->ComboBoxAudioChannel->Text(), "立体声");
    EXPECT_EQ(form->ComboBoxPostion->ItemIndex(), 4);
    EXPECT_EQ(form->ComboBoxPostion->Text(), "中 - 中");
    EXPECT_EQ(form->LabelTitle->Caption(), "Vardeno视频转换器 - 2.2.0.0");
    EXPECT_NE(FindFontFile(form->Font()->Name(), false, false).Path.find("wqy-microhei"), std::string::npos)
        << form->Font()->Name();
    EXPECT_EQ(form->Font()->Size(), 9);
    EXPECT_EQ(form->LabelTitle->Font()->Size(), 11);
}

TEST_F(MainWindowTest, MissingLanguageFileLeavesEverythingAsItIs)
{
    form->ApplyLanguage(1);
    RestoreDefaultMessages();
    ApplicationFolder = TestFolder("no-languages");
    form->ApplyLanguage(StartLanguage);
    EXPECT_EQ(LanguageIndex, 1);
    EXPECT_EQ(form->BtnSave->Caption(), "Convert");
    EXPECT_EQ(MS_InfoNoFile, "Please add and select video files.");
    EXPECT_EQ(form->ComboBoxEncoder->Items()->Strings(0), "Auto");
}

TEST_F(MainWindowTest, DraggingTheTopStripMovesTheWindow)
{
    form->Show();
    Pump();
    const int32_t left = form->Left();
    const int32_t top = form->Top();
    const TPoint grip = form->ClientToScreen(Point(400, 12));
    backend.MouseDown(grip);
    backend.MouseMove(Point(grip.X + 30, grip.Y + 20));
    backend.MouseUp(Point(grip.X + 30, grip.Y + 20));
    Pump();
    EXPECT_EQ(form->Left(), left + 30);
    EXPECT_EQ(form->Top(), top + 20);
}

TEST_F(MainWindowTest, ShadowFollowsMinimisingAndRestoring)
{
    Application()->SetMainForm(form.get());
    form->Show();
    Pump();
    ASSERT_NE(form->Shadow(), nullptr);
    EXPECT_TRUE(form->Shadow()->Visible());
    form->BtnSysMinSize->Click();
    EXPECT_FALSE(form->Shadow()->Visible());
    Application()->Restore();
    EXPECT_TRUE(form->Shadow()->Visible());
    form->Hide();
    EXPECT_FALSE(form->Shadow()->ShadowVisible());
    Application()->SetMainForm(nullptr);
}

TEST_F(MainWindowTest, TitleClickOpensTheDocumentBesideTheProgram)
{
    std::vector<std::vector<std::string>> launched;
    SetDocumentLauncher([&](const std::vector<std::string>& command) { launched.push_back(command); });
    const int32_t row = form->ComboBoxFormat->ItemIndex();
    form->LabelTitle->Click();
    SetDocumentLauncher(nullptr);
    ASSERT_EQ(launched.size(), 1u);
    EXPECT_EQ(launched[0], (std::vector<std::string>{"xdg-open", ApplicationFolder + "README.md"}));
    EXPECT_EQ(form->ComboBoxFormat->ItemIndex(), row);
}

TEST_F(MainWindowTest, ClosingRecordsTheLanguage)
{
    ApplicationFolder = TestFolder("options");
    form->Show();
    form->BtnSysClose->Click();
    Pump();
    EXPECT_EQ(form->Shadow(), nullptr);
    TIniFile options(ApplicationFolder + "Options.ini");
    EXPECT_EQ(options.ReadString("LANGUAGE", "Default", ""), "6");
}

TEST_F(MainWindowTest, ClosingWhereOptionsCannotBeWrittenIsSilent)
{
    ApplicationFolder = TestFolder("options-folder");
    fs::create_directory(ApplicationFolder + "Options.ini");
    form->Show();
    EXPECT_NO_THROW(form->Close());
    EXPECT_TRUE(fs::is_directory(ApplicationFolder + "Options.ini"));
}

TEST_F(MainWindowTest, FolderButtonTakesTheChosenFolder)
{
    const std::string start = TestFolder("browse");
    fs::create_directory(start + "sub");
    form->EditPath->SetText(start);
    // Down to "sub" (under ".."), then confirm; the keys wait for the dialog.
    backend.PressKey(VK_DOWN);
    backend.PressKey(VK_DOWN);
    backend.PressKey(VK_RETURN);
    form->EditPathButtonClick(form->EditPath);
    EXPECT_EQ(form->EditPath->Text(), start + "sub");

    backend.PressKey(VK_ESCAPE);
    form->EditPathButtonClick(form->EditPath);
    EXPECT_EQ(form->EditPath->Text(), start + "sub");
}
