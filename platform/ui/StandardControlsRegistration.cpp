#include "platform/ui/StandardControlsRegistration.h"

#include "platform/core/ClassRegistry.h"
#include "platform/gfx/ImageList.h"
#include "platform/ui/CheckBox.h"
#include "platform/ui/ColorDialog.h"
#include "platform/ui/ComboBox.h"
#include "platform/ui/Edit.h"
#include "platform/ui/FileDialogs.h"
#include "platform/ui/FontDialog.h"
#include "platform/ui/ListView.h"

namespace {

const TEnumInfo EditBorderStyleInfo{"TBorderStyle", {"bsNone", "bsSingle"}};
const TEnumInfo CharCaseInfo{"TEditCharCase", {"ecNormal", "ecUpperCase", "ecLowerCase"}};
const TEnumInfo ComboStyleInfo{"TComboBoxStyle",
                               {"csDropDown", "csSimple", "csDropDownList", "csOwnerDrawFixed", "csOwnerDrawVariable"}};
const TEnumInfo ViewStyleInfo{"TViewStyle", {"vsIcon", "vsSmallIcon", "vsList", "vsReport"}};

void RegisterEdits()
{
    RegisterClass<TCustomEdit, TWinControl>("TCustomEdit")
        .Property("AutoSelect", &TCustomEdit::AutoSelect, &TCustomEdit::SetAutoSelect)
        .Default(true)
        .Enum("BorderStyle", &TCustomEdit::BorderStyle, &TCustomEdit::SetBorderStyle, EditBorderStyleInfo)
        .Default(bsSingle)
        .Enum("CharCase", &TCustomEdit::CharCase, &TCustomEdit::SetCharCase, CharCaseInfo)
        .Default(ecNormal)
        .Property("Ctl3D", &TCustomEdit::Ctl3D, &TCustomEdit::SetCtl3D)
        .Default(true)
        .Property("HideSelection", &TCustomEdit::HideSelection, &TCustomEdit::SetHideSelection)
        .Default(true)
        .Property("MaxLength", &TCustomEdit::MaxLength, &TCustomEdit::SetMaxLength)
        .Default(0)
        .Property("ReadOnly", &TCustomEdit::ReadOnly, &TCustomEdit::SetReadOnly)
        .Default(false)
        .Property("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop)
        .Default(true)
        .Property("Text", &TControl::Text, &TControl::SetText)
        .Default(std::string())
        .Event("OnChange", &TCustomEdit::OnChange);
    RegisterClass<TCustomMaskEdit, TCustomEdit>("TCustomMaskEdit");
    RegisterClass<TEdit, TCustomMaskEdit>("TEdit");
}

void RegisterComboBoxes()
{
    RegisterClass<TCustomComboBox, TWinControl>("TCustomComboBox")
        .Property("AutoCloseUp", &TCustomComboBox::AutoCloseUp, &TCustomComboBox::SetAutoCloseUp)
        .Default(false)
        .Property("AutoDropDown", &TCustomComboBox::AutoDropDown, &TCustomComboBox::SetAutoDropDown)
        .Default(false)
        .Enum("CharCase", &TCustomComboBox::CharCase, &TCustomComboBox::SetCharCase, CharCaseInfo)
        .Default(ecNormal)
        .Property("Ctl3D", &TCustomComboBox::Ctl3D, &TCustomComboBox::SetCtl3D)
        .Default(true)
        .Property("DropDownCount", &TCustomComboBox::DropDownCount, &TCustomComboBox::SetDropDownCount)
        .Default(8)
        .Property("ItemHeight", &TCustomComboBox::ItemHeight, &TCustomComboBox::SetItemHeight)
        .Property("Items", &TCustomComboBox::Items)
        .Property("ItemIndex", &TCustomComboBox::ItemIndex, &TCustomComboBox::SetItemIndex)
        .Default(-1)
        .Property("MaxLength", &TCustomComboBox::MaxLength, &TCustomComboBox::SetMaxLength)
        .Default(0)
        .Property("Sorted", &TCustomComboBox::Sorted, &TCustomComboBox::SetSorted)
        .Default(false)
        .Enum("Style", &TCustomComboBox::Style, &TCustomComboBox::SetStyle, ComboStyleInfo)
        .Default(csDropDown)
        .Property("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop)
        .Default(true)
        .Property("Text", &TControl::Text, &TControl::SetText)
        .Default(std::string())
        .Event("OnChange", &TCustomComboBox::OnChange)
        .Event("OnCloseUp", &TCustomComboBox::OnCloseUp)
        .Event("OnDrawItem", &TCustomComboBox::OnDrawItem)
        .Event("OnDropDown", &TCustomComboBox::OnDropDown)
        .Event("OnSelect", &TCustomComboBox::OnSelect);
    RegisterClass<TComboBox, TCustomComboBox>("TComboBox");
}

const TEnumInfo AlignmentInfo{"TAlignment", {"taLeftJustify", "taRightJustify", "taCenter"}};

void RegisterListViews()
{
    RegisterClass<TListColumn, TCollectionItem>("TListColumn")
        .Enum("Alignment", &TListColumn::Alignment, &TListColumn::SetAlignment, AlignmentInfo)
        .Default(taLeftJustify)
        .Property("AutoSize", &TListColumn::AutoSize, &TListColumn::SetAutoSize)
        .Default(false)
        .Property("Caption", &TListColumn::Caption, &TListColumn::SetCaption)
        .Default(std::string())
        .Property("ImageIndex", &TListColumn::ImageIndex, &TListColumn::SetImageIndex)
        .Default(-1)
        .Property("Width", &TListColumn::Width, &TListColumn::SetWidth)
        .Default(50);
    RegisterClass<TCustomListView, TWinControl>("TCustomListView")
        .Enum("BorderStyle", &TCustomListView::BorderStyle, &TCustomListView::SetBorderStyle, EditBorderStyleInfo)
        .Default(bsSingle)
        .Property("Checkboxes", &TCustomListView::Checkboxes, &TCustomListView::SetCheckboxes)
        .Default(false)
        .Property("Columns", [](TCustomListView& view) -> TCollection* { return view.Columns(); })
        .Property("ColumnClick", &TCustomListView::ColumnClick, &TCustomListView::SetColumnClick)
        .Default(true)
        .Property("HideSelection", &TCustomListView::HideSelection, &TCustomListView::SetHideSelection)
        .Default(true)
        .Property("ReadOnly", &TCustomListView::ReadOnly, &TCustomListView::SetReadOnly)
        .Default(false)
        .Property("RowSelect", &TCustomListView::RowSelect, &TCustomListView::SetRowSelect)
        .Default(false)
        .Property("ShowColumnHeaders", &TCustomListView::ShowColumnHeaders, &TCustomListView::SetShowColumnHeaders)
        .Default(true)
        .Property("SmallImages", &TCustomListView::SmallImages, &TCustomListView::SetSmallImages)
        .Property("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop)
        .Default(true)
        .Enum("ViewStyle", &TCustomListView::ViewStyle, &TCustomListView::SetViewStyle, ViewStyleInfo)
        .Default(vsIcon)
        .Event("OnChange", &TCustomListView::OnChange)
        .Event("OnChanging", &TCustomListView::OnChanging)
        .Event("OnColumnClick", &TCustomListView::OnColumnClick)
        .Event("OnCompare", &TCustomListView::OnCompare)
        .Event("OnCustomDrawItem", &TCustomListView::OnCustomDrawItem)
        .Event("OnDeletion", &TCustomListView::OnDeletion)
        .Event("OnSelectItem", &TCustomListView::OnSelectItem);
    RegisterClass<TListView, TCustomListView>("TListView");
}

const TEnumInfo CheckBoxStateInfo{"TCheckBoxState", {"cbUnchecked", "cbChecked", "cbGrayed"}};
const TEnumInfo CheckBoxAlignmentInfo{"TLeftRight", {"taLeftJustify", "taRightJustify"}};

void RegisterCheckBoxes()
{
    RegisterClass<TCheckBox, TCustomControl>("TCheckBox")
        .Enum("Alignment", &TCheckBox::Alignment, &TCheckBox::SetAlignment, CheckBoxAlignmentInfo)
        .Default(taRightJustify)
        .Property("AllowGrayed", &TCheckBox::AllowGrayed, &TCheckBox::SetAllowGrayed)
        .Default(false)
        // State says it all; Checked is read from older resources.
        .Property("Checked", &TCheckBox::Checked, &TCheckBox::SetChecked)
        .Stored(false)
        .Enum("State", &TCheckBox::State, &TCheckBox::SetState, CheckBoxStateInfo)
        .Default(cbUnchecked)
        .Property("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop)
        .Default(true);
}

void RegisterDialogs()
{
    RegisterClass<TOpenDialog, TComponent>("TOpenDialog")
        .Property("FileName", &TOpenDialog::FileName, &TOpenDialog::SetFileName)
        .Default(std::string())
        .Property("Filter", &TOpenDialog::Filter, &TOpenDialog::SetFilter)
        .Default(std::string())
        .Property("FilterIndex", &TOpenDialog::FilterIndex, &TOpenDialog::SetFilterIndex)
        .Default(1)
        .Property("InitialDir", &TOpenDialog::InitialDir, &TOpenDialog::SetInitialDir)
        .Default(std::string())
        .Property("Title", &TOpenDialog::Title, &TOpenDialog::SetTitle)
        .Default(std::string())
        .Event("OnClose", &TOpenDialog::OnClose)
        .Event("OnFolderChange", &TOpenDialog::OnFolderChange)
        .Event("OnSelectionChange", &TOpenDialog::OnSelectionChange)
        .Event("OnShow", &TOpenDialog::OnShow)
        .Event("OnTypeChange", &TOpenDialog::OnTypeChange);
    RegisterClass<TColorDialog, TComponent>("TColorDialog")
        .Property("Color", ColorGetter(&TColorDialog::Color), ColorSetter(&TColorDialog::SetColor))
        .Default(ColorProp(clBlack))
        .Idents(ColorIdents())
        .Event("OnClose", &TColorDialog::OnClose)
        .Event("OnShow", &TColorDialog::OnShow);
    RegisterClass<TFontDialog, TComponent>("TFontDialog")
        .Property("Font", [](TFontDialog& d) { return d.Font(); })
        .Event("OnClose", &TFontDialog::OnClose)
        .Event("OnShow", &TFontDialog::OnShow);
}

} // namespace

void RegisterStandardControls()
{
    static const bool registered = [] {
        RegisterUiClasses();
        RegisterEdits();
        RegisterComboBoxes();
        RegisterListViews();
        RegisterCheckBoxes();
        RegisterDialogs();
        return true;
    }();
    (void)registered;
}
