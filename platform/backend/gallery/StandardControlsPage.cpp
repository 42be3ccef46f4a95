// The standard controls: edit, combo box, report list view with its header,
// and the open-file dialog.

#include "platform/backend/Gallery.h"
#include "platform/ui/ComboBox.h"
#include "platform/ui/Edit.h"
#include "platform/ui/ListView.h"
#include "platform/ui/OpenFileForm.h"

namespace {

std::unique_ptr<TCustomForm> CreateStandardControlsPage()
{
    auto form = NewGalleryForm(320, 220);

    auto* edit = new TEdit(form.get());
    edit->SetParent(form.get());
    edit->SetBounds(10, 10, 140, 21);
    edit->SetText("Edit text");

    auto* combo = new TComboBox(form.get());
    combo->SetParent(form.get());
    combo->SetStyle(csDropDownList);
    combo->SetBounds(160, 10, 150, 21);
    for (const char* item : {"MP4", "AVI", "MKV"})
        combo->Items()->Add(item);
    combo->SetItemIndex(1);

    auto* list = new TListView(form.get());
    list->SetName("Files");
    list->SetParent(form.get());
    list->SetBounds(10, 45, 300, 165);
    list->SetViewStyle(vsReport);
    list->SetCheckboxes(true);
    list->SetRowSelect(true);
    list->SetHideSelection(false);
    const std::pair<const char*, int32_t> columns[] = {{"Video File", 120}, {"Format", 80}, {"Time", 70}};
    for (const auto& [caption, width] : columns) {
        TListColumn* column = list->Columns()->Add();
        column->SetCaption(caption);
        column->SetWidth(width);
    }
    const char* rows[][3] = {{"holiday.avi", "MP4", "0:42"},
                             {"concert.mkv", "AVI", "3:10"},
                             {"clip.mov", "MKV", "0:05"}};
    for (const auto& row : rows) {
        TListItem* item = list->Items()->Add();
        item->SetCaption(row[0]);
        item->SubItems()->Add(row[1]);
        item->SubItems()->Add(row[2]);
    }
    list->Items()->Item(0)->SetChecked(true);
    list->Items()->Item(1)->SetSelected(true);
    return form;
}

const bool standardControlsRegistered = RegisterGalleryPage({
    "standard-controls",
    CreateStandardControlsPage,
    // Edit: sunken edge and window-coloured inside; list: window background
    // below the rows.
    {{{4, 4}, clBtnFace}, {{10, 10}, clBtnShadow}, {{140, 20}, clWindow}, {{300, 200}, clWindow}},
});

// The second file's name being edited in place, as after F2.
const bool editingRegistered = RegisterGalleryPage({
    "list-view-editing",
    CreateStandardControlsPage,
    // The editor's white inside the grey selected row, its text selected.
    {{{4, 4}, clBtnFace}, {{120, 90}, clWindow}, {{36, 86}, clHighlight}},
    [](TCustomForm& form) { static_cast<TListView*>(form.FindComponent("Files"))->Items()->Item(1)->EditCaption(); },
});

const bool openFileRegistered = RegisterGalleryPage({
    "open-file-dialog",
    [] {
        // Every file listed, so that the folder, video and file icons all show.
        auto form = std::make_unique<TOpenFileForm>(
            nullptr, ParseFileFilter("Video|*.mp4;*.avi|PNG(*.png)|*.png|All files|*"), 3);
        form->ShowFolder(GALLERY_OPEN_DIALOG_FOLDER);
        return std::unique_ptr<TCustomForm>(std::move(form));
    },
    {{{4, 4}, clBtnFace}},
});

} // namespace
