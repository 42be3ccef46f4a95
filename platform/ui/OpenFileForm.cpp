#include "platform/ui/OpenFileForm.h"

#include <algorithm>

#include "platform/core/Files.h"
#include "platform/ui/ComboBox.h"
#include "platform/ui/Edit.h"
#include "platform/ui/ListView.h"
#include "platform/ui/StdCtrls.h"

TOpenFileForm::TOpenFileForm(TComponent* owner, std::vector<TFileFilter> filters, int32_t filterIndex)
    : TFileBrowserForm(owner), filters_(std::move(filters))
{
    SetCaption("Open");
    OkButton()->SetCaption("&Open");
    AddLabel("File name:", Margin, 252);
    AddLabel("Files of type:", Margin, 284);
    fileNameEdit_ = new TEdit(this);
    fileNameEdit_->SetName("FileNameEdit");
    fileNameEdit_->SetParent(this);
    fileNameEdit_->SetBounds(100, 248, 240, 21);
    typeCombo_ = new TComboBox(this);
    typeCombo_->SetName("TypeCombo");
    typeCombo_->SetParent(this);
    typeCombo_->SetStyle(csDropDownList);
    typeCombo_->SetBounds(100, 280, 240, 21);
    for (const TFileFilter& filter : filters_)
        typeCombo_->Items()->Add(filter.Name);
    typeCombo_->SetEnabled(!filters_.empty());
    if (!filters_.empty())
        typeCombo_->SetItemIndex(std::clamp(filterIndex, 1, static_cast<int32_t>(filters_.size())) - 1);
    typeCombo_->OnChange = [this](TObject*) {
        ShowFolder(Folder());
        if (TypeChanged)
            TypeChanged();
    };
    fileNameEdit_->SetTabOrder(0);
    SetActiveControl(fileNameEdit_);
}

int32_t TOpenFileForm::FilterIndex() const { return typeCombo_->ItemIndex() + 1; }

bool TOpenFileForm::ListsFile(const std::string& name) const
{
    int32_t index = typeCombo_ ? typeCombo_->ItemIndex() : -1;
    if (index < 0 || index >= static_cast<int32_t>(filters_.size()))
        return true;
    return MatchesAnyMask(name, filters_[static_cast<size_t>(index)].Masks);
}

void TOpenFileForm::FileSelected(const std::string& path)
{
    fileNameEdit_->SetText(ExtractFileName(path));
    if (SelectionChanged)
        SelectionChanged();
}

// A folder row (from the list) or a typed folder name is opened; an
// existing file is the choice; anything else is refused with a beep.
void TOpenFileForm::Confirm()
{
    TListItem* row = SelectedRow();
    if (ActiveControl() == FileList() && row && RowKind(row) != rkFile) {
        ShowFolder(RowPath(row));
        return;
    }
    std::string name = fileNameEdit_->Text();
    if (name.empty()) {
        MessageBeep();
        return;
    }
    std::string path = !name.empty() && name[0] == '/' ? name : Folder() + name;
    if (DirectoryExists(path)) {
        fileNameEdit_->SetText("");
        ShowFolder(path);
        return;
    }
    if (!FileExists(path)) {
        MessageBeep();
        fileNameEdit_->SelectAll();
        return;
    }
    chosenFile_ = ExpandFileName(path);
    SetModalResult(mrOk);
}
