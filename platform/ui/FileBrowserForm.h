#pragma once
// The common part of the file dialogs: a modal form that lists a folder
// (its parent as "..", then its sub-folders, then the files the dialog
// shows) and moves through folders by double-click, Enter, Backspace and
// the Up button.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/ui/Form.h"

class TEdit;
class TButton;
class TListView;
class TListItem;

class TFileBrowserForm : public TForm {
public:
    explicit TFileBrowserForm(TComponent* owner);

    // The folder shown, with a trailing "/".
    const std::string& Folder() const { return folder_; }
    // Shows `folder` (false, with a beep, when it is no folder).
    bool ShowFolder(const std::string& folder);
    void GoUp();

    TEdit* FolderEdit() const { return folderEdit_; }
    TButton* UpButton() const { return upButton_; }
    TListView* FileList() const { return fileList_; }
    TButton* OkButton() const { return okButton_; }
    TButton* CancelButton() const { return cancelButton_; }

    // Called after the list shows another folder.
    std::function<void()> FolderChanged;

protected:
    enum TRowKind { rkParent, rkFolder, rkFile };

    // Whether a file of the folder is listed.
    virtual bool ListsFile(const std::string& name) const = 0;
    // The OK button (or Enter on the list) was used on no folder row.
    virtual void Confirm() = 0;
    // A file row became the selected one.
    virtual void FileSelected(const std::string&) {}

    static TRowKind RowKind(const TListItem* item);
    // The full path of a row (folders with a trailing "/").
    std::string RowPath(const TListItem* item) const;
    TListItem* SelectedRow() const;
    void AddLabel(const std::string& text, int32_t x, int32_t y);
    void Paint() override;

    static constexpr int32_t Margin = 10;

private:
    struct TLabelText {
        std::string Text;
        TPoint Position;
    };

    void AddRow(const std::string& name, TRowKind kind, int64_t size);
    void OkClick();
    void ActivateRow(TListItem* item);

    std::string folder_;
    std::vector<TLabelText> labels_;
    TEdit* folderEdit_ = nullptr;
    TButton* upButton_ = nullptr;
    TListView* fileList_ = nullptr;
    TButton* okButton_ = nullptr;
    TButton* cancelButton_ = nullptr;
};
