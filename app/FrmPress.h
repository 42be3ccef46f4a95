#pragma once
// The small progress window shown on top of the main window while a batch
// converts: the overall percent, the file being written and its speed,
// Pause/Resume and Cancel, and at the end the completion text with the
// number of failed tasks. At most one exists; it frees itself when closed.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/ui/Form.h"

class TConversionRun;
class TFormShadow;
class TLabel;
class TTarqBmpButton;
class TTarqPanel;
class TTarqProgressBar;

class TFrmPress : public TForm {
public:
    explicit TFrmPress(TComponent* owner);
    ~TFrmPress() override;

    TTarqPanel* PanelBk = nullptr;
    TTarqBmpButton* BtnPause = nullptr;
    TTarqBmpButton* BtnCancel = nullptr;
    TTarqPanel* TarqPanel1 = nullptr;
    TLabel* LabelOutPutTitle = nullptr;
    TLabel* LabelOutPut = nullptr;
    TLabel* LabelSpeedTitle = nullptr;
    TLabel* LabelSpeed = nullptr;
    TTarqProgressBar* ProgressBarTotal = nullptr;

    // The batch the buttons act on.
    TConversionRun* Run = nullptr;

    TFormShadow* Shadow() const { return shadow_.get(); }

    void FormCreate(TObject* sender);
    void FormClose(TObject* sender, TCloseAction& action);
    void BtnPauseClick(TObject* sender);
    void BtnCancelClick(TObject* sender);

private:
    void FindComponents();
    void PaintButtonBitmaps();
    void ApplyLanguage();

    std::unique_ptr<TFormShadow> shadow_;
};

// The window while it exists, else nullptr.
extern TFrmPress* FrmPress;

// Creates the window when none exists and shows it without blocking.
void ShowProgressWindow(TConversionRun& run);
// Each does nothing while there is no window.
void UpdateProgress(int64_t percent, const std::string& name, const std::string& speed);
void SetProgressPercent(int64_t percent);
void ShowProgressDone(int32_t failed);
void CloseProgressWindow();
