#include "platform/ui/FileDialogs.h"

#include "platform/core/Files.h"
#include "platform/ui/BrowseFolderForm.h"
#include "platform/ui/Edit.h"
#include "platform/ui/FormBuilding.h"
#include "platform/ui/OpenFileForm.h"

std::string TOpenDialog::StartFolder() const
{
    if (!initialDir_.empty() && DirectoryExists(initialDir_))
        return initialDir_;
    std::string ofFile = ExtractFileDir(fileName_);
    if (!ofFile.empty() && DirectoryExists(ofFile))
        return ofFile;
    return GetCurrentDir();
}

bool TOpenDialog::Execute()
{
    TOpenFileForm form(nullptr, ParseFileFilter(filter_), filterIndex_);
    TFormScope<TOpenFileForm> scope(form_, &form);
    if (!title_.empty())
        form.SetCaption(title_);
    form.FolderChanged = [this] {
        if (OnFolderChange)
            OnFolderChange(this);
    };
    form.SelectionChanged = [this] {
        if (OnSelectionChange)
            OnSelectionChange(this);
    };
    form.TypeChanged = [this] {
        if (OnTypeChange)
            OnTypeChange(this);
    };
    form.ShowFolder(StartFolder());
    form.FileNameEdit()->SetText(ExtractFileName(fileName_));
    form.OnShow = [this](TObject*) {
        if (OnShow)
            OnShow(this);
    };
    bool chosen = form.ShowModal() == mrOk;
    if (chosen) {
        fileName_ = form.ChosenFile();
        filterIndex_ = form.FilterIndex();
    }
    if (OnClose)
        OnClose(this);
    return chosen;
}

bool TFolderBrowser::Execute()
{
    TBrowseFolderForm form(nullptr, title_);
    TFormScope<TBrowseFolderForm> scope(form_, &form);
    form.FolderChanged = [this] {
        if (OnFolderChange)
            OnFolderChange(this);
    };
    form.ShowFolder(!folder_.empty() && DirectoryExists(folder_) ? folder_ : GetCurrentDir());
    form.OnShow = [this](TObject*) {
        if (OnShow)
            OnShow(this);
    };
    if (form.ShowModal() != mrOk)
        return false;
    folder_ = form.ChosenFolder();
    return true;
}

bool SelectDirectory(const std::string& caption, const std::string& root, std::string& directory)
{
    TFolderBrowser browser(nullptr);
    browser.SetTitle(caption);
    browser.SetFolder(DirectoryExists(directory) ? directory : root);
    if (!browser.Execute())
        return false;
    directory = browser.Folder();
    return true;
}
