// Add when the FFmpeg libraries cannot be loaded. The libraries load once per
// process, so the test runs in a fresh child process of its own.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "app/ApplicationGlobals.h"
#include "app/Messages.h"
#include "app/UnitQuorvid.h"
#include "app/tests/AppTestSupport.h"
#include "controls/TarqBmpBtn.h"
#include "controls/TarqListVw.h"
#include "engine/FFEncode.h"
#include "platform/ui/FileDialogs.h"
#include "platform/ui/Screen.h"

#ifdef FAKE_AVFILTER

namespace {

// Exits 0 when Add showed only the library box and left everything as it was.
void AddWithABrokenLibraryFolder(THeadlessBackend& backend)
{
    RestoreDefaultMessages();
    std::unique_ptr<TFrmQuorvid> form(CreateForm<TFrmQuorvid>(nullptr));
    const std::string folder = std::string(TEST_BINARY_DIR) + "/broken-libraries/";
    std::filesystem::create_directories(folder + "LibAV");
    std::filesystem::copy_file(FAKE_AVFILTER, folder + "LibAV/libavfilter.so.8",
                               std::filesystem::copy_options::overwrite_existing);
    ApplicationFolder = folder;
    // A row already listed; kept out of the decoder, which has no libraries.
    form->SuppressEvents = true;
    form->AddSourceFile("/nowhere/kept.mp4", "");
    form->SuppressEvents = false;
    bool dialogShown = false;
    form->OpenDialogVideo->OnShow = [&dialogShown](TObject*) { dialogShown = true; };
    std::string boxCaption;
    Application()->OnIdle = [&](TObject*, bool&) {
        TCustomForm* box = Screen()->ActiveForm();
        if (box && box != form.get() && boxCaption.empty()) {
            boxCaption = box->Caption();
            backend.PressKey(VK_RETURN);
        }
    };
    form->BtnAddClick(form->BtnAdd);
    Application()->OnIdle = nullptr;
    const bool kept =
        form->ListViewFiles->Items()->Count() == 1 && form->ListViewFiles->Items()->Item(0)->Caption() == "kept.mp4";
    std::fprintf(stderr, "box '%s', dialog %d, kept %d, loaded %d\n", boxCaption.c_str(), dialogShown, kept,
                 form->DIVidirov->LibrariesLoaded());
    std::exit(boxCaption == MS_Error && !dialogShown && kept && !form->DIVidirov->LibrariesLoaded() ? 0 : 1);
}

} // namespace

using LibraryLoadFailureTest = AppUiTest;

TEST_F(LibraryLoadFailureTest, ShowsTheLibraryBoxAndLeavesTheListAsItWas)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(AddWithABrokenLibraryFolder(backend), ::testing::ExitedWithCode(0), "");
}

#endif
