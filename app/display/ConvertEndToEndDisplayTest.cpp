// Runs under a virtual X display (label "display"): the whole conversion in
// real SDL2 windows, pressed through the controls' own Click and the open-file
// dialog's edit and Open button.

#include "app/tests/ConvertEndToEnd.h"

#include "platform/backend/SdlBackend.h"
#include "platform/ui/Application.h"
#include "platform/ui/Edit.h"
#include "platform/ui/ListView.h"
#include "platform/ui/OpenFileForm.h"
#include "platform/ui/StdCtrls.h"

class SdlConvertEndToEnd : public ConvertEndToEnd {
protected:
    SdlConvertEndToEnd() { InstallWindowSystem(backend); }
    ~SdlConvertEndToEnd() override { UninstallWindowSystem(); }

    void SetUp() override
    {
        ASSERT_NE(backend.X11(), nullptr) << "No X server is reachable on this display";
        ConvertEndToEnd::SetUp();
    }

    void ChooseFile(TOpenDialog& dialog, const std::string& path) override
    {
        // From the modal loop's first idle moment: a click made while the
        // window is still being shown is forgotten as the loop starts. With no
        // row selected, Open takes the edit's name.
        Application()->OnIdle = [&dialog, path](TObject*, bool&) {
            TOpenFileForm& openForm = *dialog.Form();
            const std::string name = path;
            Application()->OnIdle = nullptr;
            openForm.FileList()->SetSelected(nullptr);
            openForm.FileNameEdit()->SetText(name);
            openForm.OkButton()->Click();
        };
    }

    TSdlBackend backend;
};

TEST_F(SdlConvertEndToEnd, ConvertsAClipToTheEnd) { ConvertsAClipToTheEnd(); }

TEST_F(SdlConvertEndToEnd, PausedAndCancelledLeavesAPlayablePart) { PausedAndCancelledLeavesAPlayablePart(); }

TEST_F(SdlConvertEndToEnd, ClosingMidRunAsksAndStops) { ClosingMidRunAsksAndStops(); }
