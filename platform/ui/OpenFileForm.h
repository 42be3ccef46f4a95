#pragma once
// The form of the open-file dialog: the folder list, a file-name edit and
// the filter's file types. A file is chosen by double-click, or by Open
// with the name of an existing file typed or selected; Open with the name
// of a folder shows that folder.

#include <string>
#include <vector>

#include "platform/ui/FileBrowserForm.h"
#include "platform/ui/FileMasks.h"

class TComboBox;

class TOpenFileForm : public TFileBrowserForm {
public:
    TOpenFileForm(TComponent* owner, std::vector<TFileFilter> filters, int32_t filterIndex);

    TEdit* FileNameEdit() const { return fileNameEdit_; }
    TComboBox* TypeCombo() const { return typeCombo_; }
    // The chosen file (after mrOk) and the 1-based filter index.
    const std::string& ChosenFile() const { return chosenFile_; }
    int32_t FilterIndex() const;

    std::function<void()> SelectionChanged;
    std::function<void()> TypeChanged;

protected:
    bool ListsFile(const std::string& name) const override;
    void Confirm() override;
    void FileSelected(const std::string& path) override;

private:
    std::vector<TFileFilter> filters_;
    TEdit* fileNameEdit_ = nullptr;
    TComboBox* typeCombo_ = nullptr;
    std::string chosenFile_;
};
