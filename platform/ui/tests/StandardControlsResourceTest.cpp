#include "UiTestSupport.h"

#include "platform/core/Properties.h"
#include "platform/ui/ComboBox.h"
#include "platform/ui/Edit.h"
#include "platform/ui/FileDialogs.h"
#include "platform/ui/FormResources.h"
#include "platform/ui/ListView.h"
#include "platform/ui/StandardControlsRegistration.h"

namespace {

const char* const FormText = R"(object F: TForm
  object EditPath: TEdit
    Left = 8
    Top = 8
    CharCase = ecUpperCase
    MaxLength = 12
    Text = 'd:\'
  end
  object ComboBoxFormat: TComboBox
    Style = csDropDownList
    DropDownCount = 20
    Items.Strings = (
      'MP4'
      'AVI')
  end
  object ListViewFiles: TListView
    Checkboxes = True
    RowSelect = True
    ViewStyle = vsReport
    Columns = <
      item
        Caption = 'Video File'
        Width = 150
      end
      item
        Alignment = taRightJustify
        Caption = 'Progress'
        Width = 55
      end>
  end
  object OpenDialogWM: TOpenDialog
    Filter = 'PNG(*.png)|*.png'
  end
end
)";

TEST(StandardControlsResourceTest, FormResourcesCreateAndSetTheControls)
{
    THeadlessDesktop desktop;
    RegisterStandardControls();
    TForm form(nullptr);
    ReadComponentText(&form, FormText, nullptr);

    auto* edit = dynamic_cast<TEdit*>(form.FindComponent("EditPath"));
    auto* combo = dynamic_cast<TComboBox*>(form.FindComponent("ComboBoxFormat"));
    auto* list = dynamic_cast<TListView*>(form.FindComponent("ListViewFiles"));
    auto* dialog = dynamic_cast<TOpenDialog*>(form.FindComponent("OpenDialogWM"));
    ASSERT_TRUE(edit && combo && list && dialog);
    EXPECT_EQ(edit->Text(), "D:\\");
    EXPECT_EQ(edit->MaxLength(), 12);
    EXPECT_EQ(combo->Style(), csDropDownList);
    EXPECT_EQ(combo->DropDownCount(), 20);
    EXPECT_EQ(combo->Items()->CommaText(), "MP4,AVI");
    ASSERT_EQ(list->Columns()->Count(), 2);
    EXPECT_EQ(list->Column(0)->Caption(), "Video File");
    EXPECT_EQ(list->Column(1)->Width(), 55);
    EXPECT_EQ(list->Column(1)->Alignment(), taRightJustify);
    EXPECT_TRUE(list->Checkboxes());
    EXPECT_EQ(dialog->Filter(), "PNG(*.png)|*.png");

    SetPropText(*dialog, "Filter", "Video|*.mp4");
    EXPECT_EQ(dialog->Filter(), "Video|*.mp4") << "language files set properties by name";
}

} // namespace
