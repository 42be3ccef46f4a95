#pragma once
// The common file dialogs as components: TOpenDialog asks for one existing
// file through a filter list; TFolderBrowser (and SelectDirectory) for a
// folder. Both run our own modal forms; while one runs, Form() is that
// form, and the events name the dialog component as their sender.

#include <cstdint>
#include <string>

#include "platform/core/Components.h"

class TForm;
class TOpenFileForm;
class TBrowseFolderForm;

class TOpenDialog : public TComponent {
public:
    explicit TOpenDialog(TComponent* owner) : TComponent(owner) {}

    // "Name|*.ext;*.ext|Other|*.x"; empty lists every file.
    const std::string& Filter() const { return filter_; }
    void SetFilter(const std::string& value) { filter_ = value; }
    // 1-based index of the filter shown first; after Execute, the one used.
    int32_t FilterIndex() const { return filterIndex_; }
    void SetFilterIndex(int32_t value) { filterIndex_ = value; }
    // Where the dialog opens; otherwise the folder of FileName, otherwise
    // the current folder.
    const std::string& InitialDir() const { return initialDir_; }
    void SetInitialDir(const std::string& value) { initialDir_ = value; }
    // The chosen file's full path (and the name proposed at the start).
    const std::string& FileName() const { return fileName_; }
    void SetFileName(const std::string& value) { fileName_ = value; }
    // The window's caption; empty shows "Open".
    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& value) { title_ = value; }

    // True when the user chose a file; FileName and FilterIndex then hold it.
    bool Execute();
    TOpenFileForm* Form() const { return form_; }

    TNotifyEvent OnShow;
    TNotifyEvent OnClose;
    TNotifyEvent OnFolderChange;
    TNotifyEvent OnSelectionChange;
    TNotifyEvent OnTypeChange;

private:
    std::string StartFolder() const;

    std::string filter_;
    int32_t filterIndex_ = 1;
    std::string initialDir_;
    std::string fileName_;
    std::string title_;
    TOpenFileForm* form_ = nullptr;
};

class TFolderBrowser : public TComponent {
public:
    explicit TFolderBrowser(TComponent* owner) : TComponent(owner) {}

    // A line of text shown above the buttons (none when empty).
    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& value) { title_ = value; }
    // The folder shown first (when it exists); after Execute, the choice.
    const std::string& Folder() const { return folder_; }
    void SetFolder(const std::string& value) { folder_ = value; }

    bool Execute();
    TBrowseFolderForm* Form() const { return form_; }

    TNotifyEvent OnShow;
    TNotifyEvent OnFolderChange;

private:
    std::string title_;
    std::string folder_;
    TBrowseFolderForm* form_ = nullptr;
};

// Asks for a folder, starting at `directory` when it exists, else at
// `root` (when it exists), else the current folder; true with the choice
// in `directory` when the user confirmed.
bool SelectDirectory(const std::string& caption, const std::string& root, std::string& directory);
