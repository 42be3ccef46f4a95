#pragma once
// The form of the folder browser: the folder list without files. OK
// answers the selected sub-folder, or the folder shown when none is
// selected.

#include <string>

#include "platform/ui/FileBrowserForm.h"

class TBrowseFolderForm : public TFileBrowserForm {
public:
    TBrowseFolderForm(TComponent* owner, const std::string& title);

    // The chosen folder (after mrOk), without a trailing "/" except the root.
    const std::string& ChosenFolder() const { return chosenFolder_; }

protected:
    bool ListsFile(const std::string&) const override { return false; }
    void Confirm() override;

private:
    std::string chosenFolder_;
};
