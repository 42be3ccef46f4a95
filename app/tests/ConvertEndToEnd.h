#pragma once
// A conversion as the user makes it, on whichever window system a test
// installs: a clip added through the open-file dialog, a profile and a
// folder chosen, Convert pressed, and the progress window followed to its
// end, or paused and cancelled, or the main window closed under it.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/ConversionRun.h"
#include "app/FormatTable.h"
#include "app/FrmPress.h"
#include "app/MainWindowRun.h"
#include "app/Messages.h"
#include "app/UnitQuorvid.h"
#include "app/tests/ConversionTestSupport.h"
#include "controls/TarqBmpBtn.h"
#include "controls/TarqBtnEdt.h"
#include "controls/TarqCmboBx.h"
#include "controls/TarqListVw.h"
#include "controls/TarqPanel.h"
#include "platform/core/MainThread.h"
#include "platform/ui/Application.h"
#include "platform/ui/FileDialogs.h"
#include "platform/ui/Label.h"
#include "platform/ui/WindowSystem.h"

class ConvertEndToEnd : public ::testing::Test {
protected:
    // Derived fixtures own their backend and install it around each test.
    // Types or sets `path` into the open-file dialog being shown, and opens it.
    virtual void ChooseFile(TOpenDialog& dialog, const std::string& path) = 0;
    // Presses a button the way this window system lets a test press it, and
    // handles what follows.
    virtual void Press(TControl& button)
    {
        button.Click();
        Pump();
    }

    void SetUp() override
    {
        Application()->ResetTerminated();
        RestoreDefaultMessages();
        conversion_test::LoadEngineLibraries();
        conversion_test::GenerateClip();
        conversion_test::GenerateLongClip();
        folder = std::string(TEST_BINARY_DIR) + "/end-to-end/" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name() + "/";
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        form.reset(CreateForm<TFrmQuorvid>(nullptr));
        form->Show();
        Pump();
        form->Conversion->Run().MessageBox = [this](const std::string& text, const std::string&, uint32_t) {
            boxes.push_back(text);
            return answer;
        };
    }

    void TearDown() override
    {
        form.reset();
        Pump();
        RestoreDefaultMessages();
    }

    void Pump()
    {
        CheckSynchronize(0);
        Application()->ProcessMessages();
    }

    // Handles the engine's notices and the window messages until `done`.
    void PumpUntil(const std::function<bool()>& done)
    {
        while (!done()) {
            CheckSynchronize(20);
            Application()->ProcessMessages();
        }
    }

    void AddThroughDialog(const std::string& path)
    {
        TOpenDialog& dialog = *form->OpenDialogVideo;
        dialog.OnShow = [this, &dialog, path](TObject*) { ChooseFile(dialog, path); };
        Press(*form->BtnAdd);
        dialog.OnShow = nullptr;
    }

    // MP4 into the test's folder, the way the user picks them.
    void ChooseProfileAndFolder()
    {
        form->ComboBoxFormat->SetItemIndex(DefaultFormatRow);
        form->ComboBoxFormatChange(form->ComboBoxFormat);
        form->EditPath->SetText(folder);
    }

    void StartConversion(const std::string& source)
    {
        AddThroughDialog(source);
        ASSERT_EQ(form->ListViewFiles->Items()->Count(), 1);
        ChooseProfileAndFolder();
        Press(*form->BtnSave);
        ASSERT_TRUE(boxes.empty()) << boxes.front();
        ASSERT_TRUE(Run().Running());
        ASSERT_NE(FrmPress, nullptr);
    }

    std::string RowProgress() const
    {
        const TStrings& subItems = *form->ListViewFiles->Items()->Item(0)->SubItems();
        return subItems.Count() > 3 ? subItems.Strings(3) : std::string();
    }

    void PumpUntilFirstReport()
    {
        PumpUntil([this] { return !RowProgress().empty(); });
    }

    bool Locked() const { return !form->PanelSource->Visible() && !form->PanelOutput->Visible(); }

    TConversionRun& Run() { return form->Conversion->Run(); }

    // ---- The scenarios, each run by a test of every backend's fixture ----

    void ConvertsAClipToTheEnd()
    {
        StartConversion(conversion_test::Clip);
        EXPECT_TRUE(Locked());
        PumpUntil([] { return FrmPress && !FrmPress->BtnPause->Visible(); });
        EXPECT_EQ(FrmPress->LabelOutPut->Caption(), MS_InfoComplet + " (0 " + MS_Error + ")");
        EXPECT_EQ(RowProgress(), "100%");
        const std::string output = folder + "clip_new001.mp4";
        EXPECT_EQ(conversion_test::Probe(output, "v:0")["codec_name"], "h264");
        EXPECT_NEAR(conversion_test::FormatSeconds(output), 1.0, 0.2);
        EXPECT_TRUE(Locked());
        Press(*FrmPress->BtnCancel); // "Ok"
        EXPECT_EQ(FrmPress, nullptr);
        EXPECT_FALSE(Locked());
        EXPECT_TRUE(boxes.empty());
    }

    void PausedAndCancelledLeavesAPlayablePart()
    {
        StartConversion(conversion_test::LongClip);
        EXPECT_FALSE(FrmPress->BtnCancel->Enabled());
        PumpUntilFirstReport();
        Press(*FrmPress->BtnPause);
        ASSERT_TRUE(FrmPress->BtnCancel->Enabled());
        Press(*FrmPress->BtnCancel);
        ASSERT_EQ(boxes, std::vector<std::string>{MS_InfoCancelTask});
        PumpUntil([this] { return !Run().Running(); });
        EXPECT_EQ(FrmPress, nullptr);
        EXPECT_FALSE(Locked());
        const double seconds = conversion_test::FormatSeconds(folder + "long_new001.mp4");
        EXPECT_GT(seconds, 0.0);
        EXPECT_LT(seconds, 20.0);
    }

    void ClosingMidRunAsksAndStops()
    {
        StartConversion(conversion_test::LongClip);
        PumpUntilFirstReport();
        answer = IDNO;
        form->Close();
        EXPECT_TRUE(form->Visible());
        EXPECT_TRUE(Run().Running());
        answer = IDYES;
        form->Close();
        EXPECT_EQ(boxes, (std::vector<std::string>{MS_InfoCancelTask, MS_InfoCancelTask}));
        EXPECT_FALSE(Run().Running());
        EXPECT_FALSE(form->Visible());
        Pump();
        EXPECT_EQ(FrmPress, nullptr);
        EXPECT_GT(conversion_test::FormatSeconds(folder + "long_new001.mp4"), 0.0);
    }

    std::unique_ptr<TFrmQuorvid> form;
    std::string folder;
    std::vector<std::string> boxes;
    int32_t answer = IDYES;
};
