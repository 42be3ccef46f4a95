#pragma once
// A batch conversion: Convert turns the checked rows into tasks of the
// conversion encoder and starts them; the encoder's progress and termination
// notices update the rows' "Progress" column and the progress window, whose
// buttons pause, resume and cancel the batch through this object.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/CusOutputOptions.h"
#include "engine/FFEncode.h"

// What a batch needs from the main window.
class TConversionHost {
public:
    virtual ~TConversionHost() = default;
    virtual int32_t RowCount() = 0;
    // The row's settings when it takes part (checked, valid and saved), else nullptr.
    virtual const TCusOutputOptions* RowToConvert(int32_t row) = 0;
    virtual void SetRowProgress(int32_t row, const std::string& text) = 0;
    // Saves the output panel into the selected row, when one is selected.
    virtual void SaveSelectedRow() = 0;
    // Shows a still picture of the window's panels in their place, and back.
    virtual void LockMainWindow() = 0;
    virtual void UnlockMainWindow() = 0;
};

// MB_* flags in, ID* answer out.
using TMessageBoxFunction = std::function<int32_t(const std::string& text, const std::string& caption, uint32_t flags)>;

class TConversionRun {
public:
    TConversionRun(TCustomEncoder& encoder, TConversionHost& host);

    // The Convert button.
    void Convert();
    // The encoder's OnProgress and OnTerminate.
    void Progress(TObject* sender, PProgressInfo info);
    void Terminate(TObject* sender, const TTerminateInfo& info);
    // The main window's OnCloseQuery: while a batch runs, asks whether to
    // cancel it; yes stops it and handles its last notices first.
    void CloseQuery(TObject* sender, bool& canClose);

    // The progress window's buttons.
    void PauseRun();
    void ResumeRun();
    // Stops the batch; returns once its task ended.
    void CancelRun();
    void EndRun();

    // Between Convert's start and the all-done notice.
    bool Running() const { return running_; }
    // The integer average of every task's percent.
    int64_t AverageProgress() const;
    const std::vector<int64_t>& TaskPercents() const { return taskPercents_; }
    const std::vector<int32_t>& TaskRows() const { return taskRows_; }
    int32_t FailedCount() const { return failedCount_; }

    TMessageBoxFunction MessageBox;

private:
    bool AddTasks();
    void Start();
    void SetRowText(int32_t task, const std::string& text);
    std::string OutputNameOf(int32_t task);

    TCustomEncoder& encoder_;
    TConversionHost& host_;
    std::vector<int64_t> taskPercents_;
    std::vector<int32_t> taskRows_;
    int32_t failedCount_ = 0;
    bool running_ = false;
};
