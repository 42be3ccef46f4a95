#include "app/FrmPress.h"

#include <algorithm>

#include "app/ApplicationGlobals.h"
#include "app/ConversionRun.h"
#include "app/LanguageFiles.h"
#include "app/Messages.h"
#include "app/UnitQuorvid.h"
#include "controls/TarqBmpBtn.h"
#include "controls/TarqPanel.h"
#include "controls/TarqProgressBar.h"
#include "controls/TarqRegistration.h"
#include "controls/ufrmShadowFrame.h"
#include "platform/core/Strings.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"
#include "platform/gfx/Region.h"
#include "platform/ui/Application.h"
#include "platform/ui/GraphicControlsRegistration.h"
#include "platform/ui/Label.h"

// The embedded form resource; naming it keeps it in the program.
extern const char* const FormResource_TFRMPRESS;

TFrmPress* FrmPress = nullptr;

namespace {

constexpr TColor ShadowColor = 0x808080;
// The size the window's texts take after its language section.
constexpr int32_t LanguageFontSize = 9;

constexpr TPoint OutputNamePlace{77, 41};
constexpr TPoint CompletionTextPlace{30, 54};

// A rounded button face: a vertical gradient inside a darker rim.
std::unique_ptr<TBitmap> ButtonFace(int32_t width, int32_t height, TColor top, TColor bottom, TColor rim)
{
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelFormat(pf24bit);
    bitmap->SetSize(width, height);
    TCanvas& canvas = *bitmap->Canvas();
    canvas.Brush()->SetColor(clFuchsia);
    canvas.FillRect(Rect(0, 0, width, height));
    canvas.GradientFill(Rect(1, 1, width - 1, height - 1), top, bottom, true);
    canvas.Brush()->SetStyle(bsClear);
    canvas.Pen()->SetColor(rim);
    canvas.RoundRect(0, 0, width, height, 4, 4);
    return bitmap;
}

} // namespace

TFrmPress::TFrmPress(TComponent* owner) : TForm(owner)
{
    if (!FindFormResource("TFRMPRESS"))
        RegisterFormResource("TFRMPRESS", FormResource_TFRMPRESS);
    RegisterGraphicControls();
    RegisterTarqPanelClasses();
    RegisterTarqProgressBarClasses();
    RegisterTarqBmpBtnClasses();
    Handlers().Bind("FormCreate", this, &TFrmPress::FormCreate);
    Handlers().Bind("FormClose", this, &TFrmPress::FormClose);
    Handlers().Bind("BtnPauseClick", this, &TFrmPress::BtnPauseClick);
    Handlers().Bind("BtnCancelClick", this, &TFrmPress::BtnCancelClick);
}

TFrmPress::~TFrmPress()
{
    if (FrmPress == this)
        FrmPress = nullptr;
}

void TFrmPress::FindComponents()
{
    PanelBk = dynamic_cast<TTarqPanel*>(FindComponent("PanelBk"));
    BtnPause = dynamic_cast<TTarqBmpButton*>(FindComponent("BtnPause"));
    BtnCancel = dynamic_cast<TTarqBmpButton*>(FindComponent("BtnCancel"));
    TarqPanel1 = dynamic_cast<TTarqPanel*>(FindComponent("TarqPanel1"));
    LabelOutPutTitle = dynamic_cast<TLabel*>(FindComponent("LabelOutPutTitle"));
    LabelOutPut = dynamic_cast<TLabel*>(FindComponent("LabelOutPut"));
    LabelSpeedTitle = dynamic_cast<TLabel*>(FindComponent("LabelSpeedTitle"));
    LabelSpeed = dynamic_cast<TLabel*>(FindComponent("LabelSpeed"));
    ProgressBarTotal = dynamic_cast<TTarqProgressBar*>(FindComponent("ProgressBarTotal"));
}

void TFrmPress::PaintButtonBitmaps()
{
    const int32_t width = BtnPause->Width();
    const int32_t height = BtnPause->Height();
    TTarqButtonBitmaps& pause = *BtnPause->Bitmaps();
    pause.SetUp(ButtonFace(width, height, 0xE0A050, 0xB06010, 0x804000).get());
    pause.SetHot(ButtonFace(width, height, 0xF0C080, 0xD08030, 0x905010).get());
    pause.SetDisabled(ButtonFace(width, height, 0xC8C8C8, 0xA0A0A0, 0x808080).get());
    pause.SetTransparentColor(clFuchsia);
    TTarqButtonBitmaps& cancel = *BtnCancel->Bitmaps();
    cancel.SetUp(pause.Up());
    cancel.SetHot(pause.Hot());
    cancel.SetDisabled(pause.Disabled());
    cancel.SetTransparentColor(clFuchsia);
}

void TFrmPress::ApplyLanguage()
{
    LoadFormLanguage(*this, CurrentLanguageFile());
    Font()->SetName(LanguageFontName);
    Font()->SetSize(LanguageFontSize);
    for (TTarqBmpButton* button : {BtnPause, BtnCancel}) {
        button->Font()->SetName(LanguageFontName);
        button->Font()->SetSize(LanguageFontSize);
        button->Font()->SetStyle(button->Font()->Style() - TFontStyles{fsBold});
    }
}

void TFrmPress::FormCreate(TObject*)
{
    FindComponents();
    const TRect face = PanelBk->BoundsRect();
    SetWindowRgn(TRegion::RoundRect(face.Left, face.Top, face.Right + 1, face.Bottom + 1, 4, 4));
    shadow_ = std::make_unique<TFormShadow>(nullptr);
    shadow_->AttachForm(this);
    shadow_->SetShadowColor(ShadowColor);
    PaintButtonBitmaps();
    ApplyLanguage();
}

void TFrmPress::FormClose(TObject*, TCloseAction& action)
{
    shadow_.reset();
    // The next run makes a new window, even before this one is freed.
    if (FrmPress == this)
        FrmPress = nullptr;
    action = caFree;
}

void TFrmPress::BtnPauseClick(TObject*)
{
    if (!Run)
        return;
    if (BtnPause->Tag() == 0) {
        Run->PauseRun();
        BtnCancel->SetEnabled(true);
        BtnPause->SetCaption(MS_Resume);
        BtnPause->SetTag(1);
    } else {
        Run->ResumeRun();
        BtnCancel->SetEnabled(false);
        BtnPause->SetCaption(MS_Pause);
        BtnPause->SetTag(0);
    }
}

void TFrmPress::BtnCancelClick(TObject*)
{
    TConversionRun* run = Run;
    if (run && BtnCancel->Tag() != 1) {
        if (run->MessageBox(MS_InfoCancelTask, MS_Info, MB_YESNO | MB_ICONQUESTION) != IDYES)
            return;
        run->CancelRun();
    }
    Close();
    if (run)
        run->EndRun();
}

void ShowProgressWindow(TConversionRun& run)
{
    if (!FrmPress)
        FrmPress = CreateForm<TFrmPress>(Application());
    FrmPress->Run = &run;
    FrmPress->Show();
}

void UpdateProgress(int64_t percent, const std::string& name, const std::string& speed)
{
    if (!FrmPress)
        return;
    FrmPress->ProgressBarTotal->SetPercent(static_cast<uint16_t>(std::clamp<int64_t>(percent, 0, 100)));
    FrmPress->LabelOutPut->SetCaption(name);
    FrmPress->LabelOutPut->SetLeft(OutputNamePlace.X);
    FrmPress->LabelOutPut->SetTop(OutputNamePlace.Y);
    FrmPress->LabelOutPut->Font()->SetStyle({});
    FrmPress->LabelSpeed->SetCaption(speed);
    FrmPress->LabelOutPutTitle->SetVisible(true);
    FrmPress->LabelSpeedTitle->SetVisible(true);
    FrmPress->LabelSpeed->SetVisible(true);
}

void SetProgressPercent(int64_t percent)
{
    if (FrmPress)
        FrmPress->ProgressBarTotal->SetPercent(static_cast<uint16_t>(std::clamp<int64_t>(percent, 0, 100)));
}

void ShowProgressDone(int32_t failed)
{
    if (!FrmPress)
        return;
    FrmPress->ProgressBarTotal->SetPercent(100);
    FrmPress->LabelOutPutTitle->SetVisible(false);
    FrmPress->LabelSpeedTitle->SetVisible(false);
    FrmPress->LabelSpeed->SetVisible(false);
    FrmPress->LabelOutPut->SetVisible(true);
    FrmPress->LabelOutPut->SetCaption(MS_InfoComplet + " (" + IntToStr(failed) + " " + MS_Error + ")");
    FrmPress->LabelOutPut->SetLeft(CompletionTextPlace.X);
    FrmPress->LabelOutPut->SetTop(CompletionTextPlace.Y);
    FrmPress->BtnPause->SetVisible(false);
    FrmPress->BtnCancel->SetCaption(MS_Close);
    FrmPress->BtnCancel->SetTag(1);
    FrmPress->BtnCancel->SetEnabled(true);
}

void CloseProgressWindow()
{
    if (FrmPress)
        FrmPress->Close();
}
