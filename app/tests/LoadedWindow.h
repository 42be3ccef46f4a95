#pragma once
// The main window on the headless backend, its libraries loaded, with the
// preview's media made once.

#include <memory>
#include <string>

#include "app/ApplicationGlobals.h"
#include "app/CusOutputOptions.h"
#include "app/FormatTable.h"
#include "app/Messages.h"
#include "app/UnitQuorvid.h"
#include "app/tests/MainWindowFixture.h"
#include "app/tests/PreviewMedia.h"
#include "controls/TarqCmboBx.h"
#include "controls/TarqListVw.h"
#include "engine/FFEncode.h"

class LoadedWindowTest : public MainWindowTest {
protected:
    static void SetUpTestSuite() { preview_test::GeneratePreviewMedia(); }

    LoadedWindowTest() { form->DIVidirov->LoadLibraries(ApplicationFolder + "LibAV"); }

    TListItems& Rows() { return *form->ListViewFiles->Items(); }
    TListItem& Row(int32_t index) { return *Rows()[index]; }
    TCusOutputOptions& Record(int32_t index) { return TFrmQuorvid::RecordOf(Row(index)); }

    void Add(const std::string& path) { form->AddSourceFile(path, form->ComboBoxFormat->Text()); }
    void Select(int32_t index) { form->ListViewFiles->SetSelected(&Row(index)); }
    static int32_t ProfileRow(const std::string& display)
    {
        for (int32_t row = 0; row < FormatTableRows; ++row)
            if (FormatTableEntry(row, ftDisplay) == display)
                return row;
        return -1;
    }
};
