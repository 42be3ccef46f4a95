#pragma once
// Connects the main window to a batch conversion: the Convert button, the
// conversion encoder's notices and the window's close question go to one
// TConversionRun, which reads and writes the window's source rows.

#include <cstdint>
#include <memory>
#include <string>

#include "app/ConversionRun.h"

class TFrmQuorvid;
class TListItem;

// The source rows of the main window as a batch sees them.
class TMainWindowRows : public TConversionHost {
public:
    explicit TMainWindowRows(TFrmQuorvid& window);

    int32_t RowCount() override;
    const TCusOutputOptions* RowToConvert(int32_t row) override;
    void SetRowProgress(int32_t row, const std::string& text) override;
    void SaveSelectedRow() override;
    void LockMainWindow() override;
    void UnlockMainWindow() override;

private:
    TListItem* Row(int32_t row);

    TFrmQuorvid& window_;
};

class TMainWindowRun {
public:
    // Binds the handlers the window's form resource names; call before the
    // resource is read.
    explicit TMainWindowRun(TFrmQuorvid& window);
    ~TMainWindowRun();

    // The batch of the window's conversion encoder (made on first use: the
    // encoder comes with the form resource).
    TConversionRun& Run();

    void BtnSaveClick(TObject* sender);
    void DIVidirovDoProgress(TObject* sender, PProgressInfo info);
    void DIVidirovDoTerminate(TObject* sender, const TTerminateInfo& info);
    void FormCloseQuery(TObject* sender, bool& canClose);

private:
    TFrmQuorvid& window_;
    TMainWindowRows rows_;
    std::unique_ptr<TConversionRun> run_;
};
