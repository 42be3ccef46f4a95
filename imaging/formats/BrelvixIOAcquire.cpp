#include "imaging/formats/BrelvixIO.h"
#include "imaging/formats/media/QkDirectShow.h"
#include "imaging/formats/scan/QkTWainParams.h"
#include "imaging/formats/scan/QkWia.h"

namespace {

void SampleLayout(TQkPixelFormat format, int32_t& bitsPerSample, int32_t& samplesPerPixel)
{
    switch (format) {
    case qk1g: bitsPerSample = 1, samplesPerPixel = 1; break;
    case qk16g: bitsPerSample = 16, samplesPerPixel = 1; break;
    case qkRGB48: bitsPerSample = 16, samplesPerPixel = 3; break;
    case qk24RGB: bitsPerSample = 8, samplesPerPixel = 3; break;
    default: bitsPerSample = 8, samplesPerPixel = 1; break;
    }
}

} // namespace

void TBrelvixIO::DoAcquireBitmap(TQkBitmap& bitmap, const TQkAcquiredParams& acquired)
{
    if (!PrepareBitmap())
        return;
    bool handled = false;
    if (OnAcquireBitmap)
        OnAcquireBitmap(this, bitmap, handled);
    if (handled)
        return;
    bitmap_->Assign(&bitmap);
    params_->Width = params_->StoredWidth = bitmap.GetWidth();
    params_->Height = params_->StoredHeight = bitmap.GetHeight();
    SampleLayout(bitmap.GetPixelFormat(), params_->BitsPerSample, params_->SamplesPerPixel);
    params_->SetDpiX(acquired.DpiX);
    params_->SetDpiY(acquired.DpiY);
    if (autoAdjustDpi_)
        AdjustDpi();
    RefreshAttachedImage();
}

TQkWia* TBrelvixIO::GetWia()
{
    if (!wia_) {
        wia_ = std::make_unique<TQkWia>(this);
        wia_->ProgressCallback = [this](int32_t percent) { return WiaProgress(percent); };
        wia_->TransferCallback = [this](TQkBitmap& page, int32_t dpiX, int32_t dpiY) {
            DoAcquireBitmap(page, TQkAcquiredParams{dpiX, dpiY});
            ++acquireCounter_;
        };
    }
    return wia_.get();
}

bool TBrelvixIO::WiaProgress(int32_t percent)
{
    DoProgress(this, percent);
    return !aborting_;
}

void TBrelvixIO::Acquire()
{
    if (HandedToWorker(TQkIOCallKind::Acquisition, [this] { Acquire(); }))
        return;
    aborting_ = false;
    if (!GetWia()->Acquire())
        aborting_ = true;
    DoFinishWork();
}

TQkDirectShow* TBrelvixIO::GetDirectShow()
{
    if (!directShow_) {
        directShow_ = std::make_unique<TQkDirectShow>();
        if (attachedView_ != nullptr)
            directShow_->SetNotifyWindow(attachedView_->Handle(), QKM_DSHOWNEWFRAME, QKM_DSHOWEVENT);
    }
    return directShow_.get();
}

void TBrelvixIO::FreeCaptureDirectShow()
{
    if (captureDirectShow_)
        captureDirectShow_->Disconnect();
    captureDirectShow_.reset();
}
