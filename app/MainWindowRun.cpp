#include "app/MainWindowRun.h"

#include "app/MainWindowLock.h"
#include "app/UnitQuorvid.h"
#include "controls/TarqListVw.h"
#include "engine/FFEncode.h"

namespace {

// The "Progress" column's sub-item.
constexpr int32_t ProgressSubItem = 3;

} // namespace

TMainWindowRows::TMainWindowRows(TFrmQuorvid& window) : window_(window) {}

TListItem* TMainWindowRows::Row(int32_t row)
{
    TListItems& items = *window_.ListViewFiles->Items();
    if (row < 0 || row >= items.Count())
        return nullptr;
    return items.Item(row);
}

int32_t TMainWindowRows::RowCount() { return window_.ListViewFiles->Items()->Count(); }

const TCusOutputOptions* TMainWindowRows::RowToConvert(int32_t row)
{
    TListItem* item = Row(row);
    if (!item || !item->Checked())
        return nullptr;
    const TCusOutputOptions& settings = TFrmQuorvid::RecordOf(*item);
    return settings.Valid && settings.Saved ? &settings : nullptr;
}

void TMainWindowRows::SetRowProgress(int32_t row, const std::string& text)
{
    TListItem* item = Row(row);
    if (!item)
        return;
    TStrings& subItems = *item->SubItems();
    while (subItems.Count() <= ProgressSubItem)
        subItems.Add("");
    subItems.SetStrings(ProgressSubItem, text);
}

void TMainWindowRows::SaveSelectedRow()
{
    TListItem* item = window_.ListViewFiles->Selected();
    if (item)
        window_.SaveFileSettings(TFrmQuorvid::RecordOf(*item));
}

void TMainWindowRows::LockMainWindow() { ::LockMainWindow(window_); }

void TMainWindowRows::UnlockMainWindow() { ::UnlockMainWindow(window_); }

TMainWindowRun::TMainWindowRun(TFrmQuorvid& window) : window_(window), rows_(window)
{
    THandlerTable& handlers = window.Handlers();
    handlers.Bind("BtnSaveClick", this, &TMainWindowRun::BtnSaveClick);
    handlers.Bind("DIVidirovDoProgress", this, &TMainWindowRun::DIVidirovDoProgress);
    handlers.Bind("DIVidirovDoTerminate", this, &TMainWindowRun::DIVidirovDoTerminate);
    handlers.Bind("FormCloseQuery", this, &TMainWindowRun::FormCloseQuery);
}

TMainWindowRun::~TMainWindowRun() = default;

TConversionRun& TMainWindowRun::Run()
{
    if (!run_)
        run_ = std::make_unique<TConversionRun>(*window_.DIVidirovDo, rows_);
    return *run_;
}

void TMainWindowRun::BtnSaveClick(TObject*) { Run().Convert(); }

void TMainWindowRun::DIVidirovDoProgress(TObject* sender, PProgressInfo info) { Run().Progress(sender, info); }

void TMainWindowRun::DIVidirovDoTerminate(TObject* sender, const TTerminateInfo& info)
{
    Run().Terminate(sender, info);
}

void TMainWindowRun::FormCloseQuery(TObject* sender, bool& canClose) { Run().CloseQuery(sender, canClose); }
