#include "imaging/formats/BrelvixIO.h"

#include "imaging/core/QkFileStreams.h"
#include "imaging/core/QkMask.h"
#include "imaging/core/QkResample.h"
#include "imaging/formats/QkFileFormats.h"
#include "imaging/formats/QkFormatErrors.h"
#include "imaging/formats/avi/QkAviReader.h"
#include "imaging/formats/media/QkDirectShow.h"
#include "imaging/formats/ps/QkPdf.h"
#include "imaging/formats/ps/QkPostScript.h"
#include "imaging/formats/scan/QkTWainParams.h"
#include "imaging/formats/scan/QkWia.h"
#include "platform/core/Exceptions.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Font.h"
#include "platform/ui/Image.h"

TBrelvixIO::TBrelvixIO(TComponent* owner)
    : TComponent(owner), ownBitmap_(std::make_unique<TQkBitmap>()), bitmap_(ownBitmap_.get()),
      previewFont_(std::make_unique<TFont>())
{
    params_ = std::make_unique<TIOParamsVals>(this);
    twainParams_ = std::make_unique<TQkTWainParams>(this);
}

std::unique_ptr<TBrelvixIO> TBrelvixIO::CreateFromBitmap(TQkBitmap* bitmap)
{
    auto io = std::make_unique<TBrelvixIO>(nullptr);
    io->SetAttachedQkBitmap(bitmap);
    return io;
}

void TBrelvixIO::ClosePSFile()
{
    if (psStream_)
        PSEndDocument(psDocument_, *psStream_);
    psDocument_.reset();
    psStream_.reset();
}

void TBrelvixIO::ClosePdfFile()
{
    if (pdfStream_)
        PDFEndDocument(pdfDocument_, *pdfStream_, *params_);
    pdfDocument_.reset();
    pdfStream_.reset();
}

TBrelvixIO::~TBrelvixIO()
{
    // Workers use everything below until they leave.
    WaitWorkerThreads(false);
    CloseAVIFile();
    FreeCaptureDirectShow();
    // A destructor cannot report a failed write; the document stays cut.
    try {
        ClosePSFile();
    } catch (const Exception&) {}
    try {
        ClosePdfFile();
    } catch (const Exception&) {}
    DetachView();
    if (attachedImage_ != nullptr)
        attachedImage_->RemoveFreeNotification(this);
}

// ---- Events ----

TQkFilterProgress TBrelvixIO::NewProgress(bool withCallback)
{
    TQkFilterProgress progress;
    if (withCallback)
        progress.OnProgress = [this](TObject* sender, int32_t percent) { DoProgress(sender, percent); };
    progress.Sender = this;
    progress.Aborting = &aborting_;
    return progress;
}

void TBrelvixIO::Fail()
{
    aborting_ = true;
    DoFinishWork();
}

std::unique_ptr<TQkWideFileStream> TBrelvixIO::OpenFileOrFinish(const std::string& fileName, uint16_t mode)
{
    try {
        return std::make_unique<TQkWideFileStream>(fileName, mode);
    } catch (...) {
        DoFinishWork();
        throw;
    }
}

void TBrelvixIO::NotSupported(int32_t fileType, bool reading)
{
    Fail();
    throw FormatNotSupported(fileType, reading);
}

// ---- Resolution ----

TBitmap* TBrelvixIO::GetTBitmap()
{
    if (bitmap_ != nullptr && bitmap_->Location() == qkTBitmap)
        return bitmap_->GetVclBitmap();
    return attachedTBitmap_;
}

// A load on a worker sets the resolution while the view's thread may let the
// view go: the view is read under the lock that guards it, and its
// resolution fields take a value from any thread.
void TBrelvixIO::SetViewDpiX(int32_t dpi) { ApplyDpiToView(dpi, 0); }

void TBrelvixIO::SetViewDpiY(int32_t dpi) { ApplyDpiToView(0, dpi); }

void TBrelvixIO::ApplyDpiToView(int32_t dpiX, int32_t dpiY)
{
    std::lock_guard<std::mutex> lock(viewLock_);
    if (attachedView_ != nullptr && attachedView_->AsBrelvixView() != nullptr)
        attachedView_->SetDpi(dpiX, dpiY);
}

void TBrelvixIO::FixDefaultDpi()
{
    if (params_->DpiX < 2)
        params_->SetDpiX(DefaultDpiX);
    if (params_->DpiY < 2)
        params_->SetDpiY(DefaultDpiY);
}

void TBrelvixIO::AdjustDpi()
{
    TIOParamsVals& params = *params_;
    if (!PrepareBitmap() || params.DpiX == params.DpiY || params.DpiX <= 0 || params.DpiY <= 0 || bitmap_->IsEmpty() ||
        params.Width <= 0 || params.Height <= 0)
        return;
    int32_t width = params.Width;
    int32_t height = params.Height;
    const bool newHeight = height < width;
    if (newHeight)
        height = static_cast<int32_t>(Trunc(static_cast<long double>(height) / params.DpiY * params.DpiX));
    else
        width = static_cast<int32_t>(Trunc(static_cast<long double>(width) / params.DpiX * params.DpiY));
    // A target the readers would refuse, or one that cannot be allocated,
    // keeps the image as loaded.
    if (width <= 0 || height <= 0 || !WithinDecodeLimit(width, height)) {
        aborting_ = true;
        return;
    }
    const TQkPixelFormat format = filteredAdjustDpi_ ? qk24RGB : bitmap_->GetPixelFormat();
    TQkBitmap resized;
    if (!resized.Allocate(width, height, format)) {
        aborting_ = true;
        return;
    }
    std::unique_ptr<TQkBitmap> alpha;
    if (bitmap_->HasAlphaChannel()) {
        alpha = std::make_unique<TQkBitmap>();
        alpha->Assign(bitmap_->GetAlphaChannel());
    }
    if (filteredAdjustDpi_) {
        if (bitmap_->GetPixelFormat() != qk24RGB)
            bitmap_->SetPixelFormat(qk24RGB);
        ResampleFiltered(*bitmap_, resized, rfFastLinear, nullptr, nullptr);
    } else {
        ResampleUnfiltered(*bitmap_, resized, nullptr, nullptr);
    }
    bitmap_->Assign(&resized);
    if (alpha)
        ResampleUnfiltered(*alpha, *bitmap_->GetAlphaChannel(), nullptr, nullptr);
    if (newHeight) {
        params.Height = height;
        params.DpiY = params.DpiX;
    } else {
        params.Width = width;
        params.DpiX = params.DpiY;
    }
}

// ---- The image source ----

bool TBrelvixIO::PrepareBitmap()
{
    if (bitmap_ == nullptr)
        return false;
    if (attachedTBitmap_ != nullptr)
        bitmap_->EncapsulateTBitmap(attachedTBitmap_, false);
    return true;
}

void TBrelvixIO::SetBWByThreshold(bool value) { bwByThreshold_ = value; }

TColor TBrelvixIO::Background() const
{
    return attachedView_ != nullptr ? attachedView_->Background() : backgroundColor_;
}

void TBrelvixIO::SetBackground(TColor value)
{
    if (attachedView_ == nullptr)
        backgroundColor_ = value;
}

void TBrelvixIO::UseOwnBitmap()
{
    ownBitmap_ = std::make_unique<TQkBitmap>();
    bitmap_ = ownBitmap_.get();
    ownsBitmap_ = true;
}

void TBrelvixIO::WrapAttachedTBitmap()
{
    UseOwnBitmap();
    ownBitmap_->EncapsulateTBitmap(attachedTBitmap_, false);
}

void TBrelvixIO::DetachView()
{
    if (attachedView_ == nullptr)
        return;
    attachedView_->UnregisterBitmapChangeHandler(viewChangeHandle_);
    attachedView_->RemoveFreeNotification(this);
    viewChangeHandle_ = 0;
}

// The image of a TImage or a view that is going away must not be reached
// any more: the component takes a new bitmap of its own.
void TBrelvixIO::ForgetImage()
{
    attachedTBitmap_ = nullptr;
    UseOwnBitmap();
}

void TBrelvixIO::SetAttachedBrelvix(TQkView* view)
{
    DetachView();
    SetViewPointer(view);
    if (view == nullptr) {
        ForgetImage();
        return;
    }
    ownBitmap_.reset();
    attachedTBitmap_ = view->GetLegacyBitmap();
    if (TQkBitmap* image = view->GetImageBitmap()) {
        bitmap_ = image;
        ownsBitmap_ = false;
        attachedTBitmap_ = nullptr;
    } else {
        WrapAttachedTBitmap();
    }
    view->FreeNotification(this);
    if (attachedImage_ != nullptr) {
        attachedImage_->RemoveFreeNotification(this);
        attachedImage_ = nullptr;
    }
    viewChangeHandle_ =
        view->RegisterBitmapChangeHandler([this](TObject*, bool destroying) { ViewBitmapChanged(destroying); });
}

void TBrelvixIO::SetAttachedTImage(TImage* image)
{
    DetachView();
    SetViewPointer(nullptr);
    if (attachedImage_ != nullptr)
        attachedImage_->RemoveFreeNotification(this);
    attachedImage_ = image;
    if (image == nullptr) {
        ForgetImage();
        return;
    }
    attachedTBitmap_ = image->Picture()->Bitmap();
    WrapAttachedTBitmap();
    image->FreeNotification(this);
}

void TBrelvixIO::SetAttachedQkBitmap(TQkBitmap* bitmap)
{
    if (bitmap == nullptr && (attachedView_ != nullptr || attachedImage_ != nullptr))
        return;
    DetachView();
    SetViewPointer(nullptr);
    if (attachedImage_ != nullptr) {
        attachedImage_->RemoveFreeNotification(this);
        attachedImage_ = nullptr;
    }
    attachedTBitmap_ = nullptr;
    ownBitmap_.reset();
    ownsBitmap_ = false;
    bitmap_ = bitmap;
}

void TBrelvixIO::ViewBitmapChanged(bool destroying)
{
    if (attachedView_ == nullptr)
        return;
    if (destroying) {
        // The view drops its handlers itself.
        attachedView_->RemoveFreeNotification(this);
        viewChangeHandle_ = 0;
        SetViewPointer(nullptr);
        // A load still writing into the view's image ends before the image
        // goes; what it posts or synchronises meanwhile finds no view.
        WaitWorkerThreads(true);
        ForgetImage();
        return;
    }
    if (TQkBitmap* image = attachedView_->GetImageBitmap()) {
        ownBitmap_.reset();
        bitmap_ = image;
        ownsBitmap_ = false;
        attachedTBitmap_ = nullptr;
    } else if ((attachedTBitmap_ = attachedView_->GetLegacyBitmap()) != nullptr) {
        WrapAttachedTBitmap();
    }
    params_->SetDpiX(attachedView_->DpiX());
    params_->SetDpiY(attachedView_->DpiY());
}

void TBrelvixIO::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation != opRemove)
        return;
    if (component == attachedView_) {
        viewChangeHandle_ = 0;
        SetViewPointer(nullptr);
        ForgetImage();
    } else if (component == attachedImage_) {
        attachedImage_ = nullptr;
        ForgetImage();
    }
}
