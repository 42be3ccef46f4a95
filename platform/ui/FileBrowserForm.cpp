#include "platform/ui/FileBrowserForm.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/core/Files.h"
#include "platform/core/Strings.h"
#include "platform/ui/DialogIcons.h"
#include "platform/ui/Edit.h"
#include "platform/ui/FormBuilding.h"
#include "platform/ui/ListView.h"
#include "platform/ui/StdCtrls.h"

namespace {

std::string SizeText(int64_t size)
{
    if (size < 0)
        return "";
    return std::to_string((size + 1023) / 1024) + " KB";
}

} // namespace

TFileBrowserForm::TFileBrowserForm(TComponent* owner) : TForm(owner)
{
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetClientSize(440, 315);
    AddLabel("Look in:", Margin, 12);
    folderEdit_ = MakeChildControl<TEdit>(this, "FolderEdit", Bounds(80, 8, 280, 21));
    folderEdit_->SetReadOnly(true);
    folderEdit_->SetTabStop(false);
    upButton_ = MakeChildControl<TButton>(this, "UpButton", Bounds(366, 7, 64, 23));
    upButton_->SetCaption("&Up");
    upButton_->SetTabStop(false);
    upButton_->OnClick = [this](TObject*) { GoUp(); };
    fileList_ = MakeChildControl<TListView>(this, "FileList", Bounds(Margin, 38, 420, 200));
    fileList_->SetViewStyle(vsReport);
    fileList_->SetRowSelect(true);
    fileList_->SetReadOnly(true);
    fileList_->SetHideSelection(false);
    fileList_->SetColumnClick(false);
    // Folders, files and videos look different.
    auto* icons = new TCustomImageList(this);
    AddFileIcons(*icons);
    fileList_->SetSmallImages(icons);
    TListColumn* name = fileList_->Columns()->Add();
    name->SetCaption("Name");
    name->SetAutoSize(true);
    TListColumn* size = fileList_->Columns()->Add();
    size->SetCaption("Size");
    size->SetWidth(80);
    size->SetAlignment(taRightJustify);
    fileList_->OnDblClick = [this](TObject*) { ActivateRow(SelectedRow()); };
    fileList_->OnKeyDown = [this](TObject*, uint16_t& key, TShiftState) {
        if (key == VK_BACK) {
            GoUp();
            key = 0;
        }
    };
    fileList_->OnSelectItem = [this](TObject*, TListItem* item, bool selected) {
        if (selected && RowKind(item) == rkFile)
            FileSelected(RowPath(item));
    };
    okButton_ = MakeChildControl<TButton>(this, "OkButton", Bounds(350, 246, 80, 25));
    okButton_->SetCaption("OK");
    okButton_->SetDefault(true);
    okButton_->OnClick = [this](TObject*) { OkClick(); };
    cancelButton_ = MakeChildControl<TButton>(this, "CancelButton", Bounds(350, 278, 80, 25));
    cancelButton_->SetCaption("Cancel");
    cancelButton_->SetCancel(true);
    cancelButton_->SetModalResult(mrCancel);
}

void TFileBrowserForm::AddLabel(const std::string& text, int32_t x, int32_t y)
{
    labels_.push_back({text, {x, y}});
    Invalidate();
}

void TFileBrowserForm::Paint()
{
    TForm::Paint();
    TCanvas& canvas = *Canvas();
    canvas.Font()->Assign(Font());
    canvas.Brush()->SetStyle(bsClear);
    for (const TLabelText& label : labels_)
        canvas.TextOut(label.Position.X, label.Position.Y, label.Text);
}

// ---- Rows -------------------------------------------------------------------------------

TFileBrowserForm::TRowKind TFileBrowserForm::RowKind(const TListItem* item)
{
    return static_cast<TRowKind>(reinterpret_cast<intptr_t>(item->Data()));
}

std::string TFileBrowserForm::RowPath(const TListItem* item) const
{
    switch (RowKind(item)) {
    case rkParent: {
        std::filesystem::path parent = std::filesystem::path(ExcludeTrailingPathDelimiter(folder_)).parent_path();
        return IncludeTrailingPathDelimiter(parent.string());
    }
    case rkFolder: return folder_ + item->Caption() + "/";
    default: return folder_ + item->Caption();
    }
}

TListItem* TFileBrowserForm::SelectedRow() const { return fileList_->Selected(); }

void TFileBrowserForm::AddRow(const std::string& name, TRowKind kind, int64_t size)
{
    TListItem* item = fileList_->Items()->Add();
    item->SetCaption(name);
    item->SubItems()->Add(kind == rkFile ? SizeText(size) : "");
    item->SetData(reinterpret_cast<void*>(static_cast<intptr_t>(kind)));
    item->SetImageIndex(kind == rkFile ? FileIconFor(name) : fiFolder);
}

// ---- Folders ----------------------------------------------------------------------------

bool TFileBrowserForm::ShowFolder(const std::string& folder)
{
    std::string path = IncludeTrailingPathDelimiter(ExpandFileName(folder));
    if (!DirectoryExists(path)) {
        MessageBeep();
        return false;
    }
    std::vector<std::string> folders;
    std::vector<std::pair<std::string, int64_t>> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(path, error)) {
        std::string name = entry.path().filename().string();
        if (name.empty() || name[0] == '.')
            continue;
        std::error_code kindError;
        if (entry.is_directory(kindError))
            folders.push_back(name);
        else if (ListsFile(name))
            files.emplace_back(name, FileSizeOf(path + name));
    }
    auto byName = [](const std::string& a, const std::string& b) { return AnsiCompareText(a, b) < 0; };
    std::sort(folders.begin(), folders.end(), byName);
    std::sort(files.begin(), files.end(), [&](const auto& a, const auto& b) { return byName(a.first, b.first); });

    folder_ = path;
    fileList_->Items()->BeginUpdate();
    fileList_->Items()->Clear();
    if (path != "/")
        AddRow("..", rkParent, -1);
    for (const std::string& name : folders)
        AddRow(name, rkFolder, -1);
    for (const auto& [name, size] : files)
        AddRow(name, rkFile, size);
    fileList_->Items()->EndUpdate();
    folderEdit_->SetText(folder_);
    if (FolderChanged)
        FolderChanged();
    return true;
}

void TFileBrowserForm::GoUp()
{
    if (folder_ != "/")
        ShowFolder(std::filesystem::path(ExcludeTrailingPathDelimiter(folder_)).parent_path().string());
}

void TFileBrowserForm::ActivateRow(TListItem* item)
{
    if (!item)
        return;
    if (RowKind(item) == rkFile)
        Confirm();
    else
        ShowFolder(RowPath(item));
}

// Enter on a folder row of the list opens the folder; anything else is
// the dialog's confirmation.
void TFileBrowserForm::OkClick()
{
    TListItem* row = SelectedRow();
    if (ActiveControl() == fileList_ && row && RowKind(row) == rkParent) {
        ShowFolder(RowPath(row));
        return;
    }
    Confirm();
}
