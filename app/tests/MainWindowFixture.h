#pragma once
// The main window on the headless backend, with the default texts.

#include <filesystem>
#include <memory>
#include <string>

#include "app/Messages.h"
#include "app/UnitQuorvid.h"
#include "app/tests/AppTestSupport.h"
#include "controls/TarqCmboBx.h"

class MainWindowTest : public AppUiTest {
protected:
    MainWindowTest()
    {
        RestoreDefaultMessages();
        form.reset(CreateForm<TFrmQuorvid>(nullptr));
    }
    ~MainWindowTest() override
    {
        form.reset();
        RestoreDefaultMessages();
    }

    void ChooseProfile(int32_t row)
    {
        form->ComboBoxFormat->SetItemIndex(row);
        form->ComboBoxFormatChange(form->ComboBoxFormat);
    }

    static void Choose(TTarqComboBox& list, const std::string& text)
    {
        const int32_t index = list.Items()->IndexOf(text);
        ASSERT_GE(index, 0) << text;
        list.SetItemIndex(index);
    }

    // A fresh folder in the build tree.
    static std::string TestFolder(const std::string& name)
    {
        const std::filesystem::path folder = std::filesystem::path(TEST_BINARY_DIR) / "main-window" / name;
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        return folder.string() + "/";
    }

    std::unique_ptr<TFrmQuorvid> form;
};
