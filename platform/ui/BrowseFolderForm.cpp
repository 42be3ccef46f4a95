#include "platform/ui/BrowseFolderForm.h"

#include "platform/core/Files.h"
#include "platform/ui/ListView.h"
#include "platform/ui/StdCtrls.h"

TBrowseFolderForm::TBrowseFolderForm(TComponent* owner, const std::string& title) : TFileBrowserForm(owner)
{
    SetCaption("Browse for Folder");
    if (!title.empty())
        AddLabel(title, Margin, 252);
    CancelButton()->SetTop(OkButton()->Top());
    OkButton()->SetLeft(CancelButton()->Left() - OkButton()->Width() - 8);
    SetClientHeight(285);
    SetActiveControl(FileList());
}

void TBrowseFolderForm::Confirm()
{
    TListItem* row = SelectedRow();
    std::string folder = row && RowKind(row) == rkFolder ? RowPath(row) : Folder();
    chosenFolder_ = folder == "/" ? folder : ExcludeTrailingPathDelimiter(folder);
    SetModalResult(mrOk);
}
