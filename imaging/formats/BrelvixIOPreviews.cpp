// The component's format parameters preview: the dialog on the component's
// own image and parameters, or the application's replacement for it.

#include "imaging/core/QkSettings.h"
#include "imaging/formats/BrelvixIO.h"
#include "imaging/formats/QkIOPreviewsDialog.h"
#include "platform/gfx/Font.h"

namespace {

TQkIOPreviewsDialogFactory& Factory()
{
    static TQkIOPreviewsDialogFactory factory;
    return factory;
}

// The smaller form's heights, 122 and 360 at 96 pixels per inch.
constexpr int32_t SimplifiedPagesHeight(int32_t dpi) { return dpi * 122 / 96; }
constexpr int32_t SimplifiedFormHeight(int32_t dpi) { return dpi * 360 / 96; }

} // namespace

void SetIOPreviewsDialogFactory(TQkIOPreviewsDialogFactory factory) { Factory() = std::move(factory); }

const TQkIOPreviewsDialogFactory& IOPreviewsDialogFactory() { return Factory(); }

void TBrelvixIO::SetPreviewFont(const TFont* font)
{
    if (font != nullptr)
        previewFont_->Assign(font);
}

void TBrelvixIO::SetUpPreviewsDialog(IQkIOPreviewsDialog& dialog)
{
    dialog.SetDefaultLockPreview(previewsParams_.Contains(ioppDefaultLockPreview));
    dialog.SetApplyButtonVisible(previewsParams_.Contains(ioppApplyButton));
    dialog.SetIOParams(params_.get());
    dialog.SetSimplified(simplifiedParamsDialogs_);
    if (simplifiedParamsDialogs_) {
        dialog.SetPageControlHeight(SimplifiedPagesHeight(ScreenDpiY));
        dialog.SetFormHeight(SimplifiedFormHeight(ScreenDpiY));
    }
    dialog.SetBWByThreshold(bwByThreshold_);
    dialog.LocalizeCaptions(msgLanguage_);
    dialog.SetFont(*previewFont_);
    dialog.ShowSourceBitmap(bitmap_);
}

bool TBrelvixIO::DoPreviews(uint16_t pages)
{
    bool handled = false;
    if (OnDoPreviews)
        OnDoPreviews(this, handled);
    if (handled)
        return true;
    if (!IOPreviewsDialogFactory() || !PrepareBitmap())
        return false;
    const TQkPixelFormat format = bitmap_->GetPixelFormat();
    if (format != qk24RGB && format != qk1g)
        bitmap_->SetPixelFormat(qk24RGB);
    std::unique_ptr<IQkIOPreviewsDialog> dialog = IOPreviewsDialogFactory()(this);
    SetUpPreviewsDialog(*dialog);
    bool accepted = false;
    if (dialog->SelectPages(pages)) {
        if (OnIOPreview)
            OnIOPreview(this, dialog->Form());
        accepted = dialog->ShowModalOk();
    }
    dialog->ShowSourceBitmap(nullptr);
    dialog->Release();
    RefreshAttachedImage();
    return accepted;
}
