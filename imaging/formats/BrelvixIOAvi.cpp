#include "imaging/core/QkSettings.h"
#include "imaging/formats/BrelvixIO.h"
#include "imaging/formats/avi/QkAviReader.h"
#include "platform/gfx/Bitmap.h"

int32_t TBrelvixIO::OpenAVIFile(const std::string& fileName)
{
    aborting_ = false;
    CloseAVIFile();
    params_->AviFrameCount = 0;
    params_->FileName = fileName;
    params_->FileType = 0;
    auto reader = std::make_unique<TQkAviReader>();
    if (!reader->Open(fileName)) {
        aborting_ = true;
        return 0;
    }
    aviReader_ = std::move(reader);
    const TQkAviStreamInfo& info = aviReader_->Info();
    params_->AviFrameCount = static_cast<int32_t>(info.Length);
    params_->AviFrameDelayTime = AviFrameDelay(info.Rate, info.Scale);
    return params_->AviFrameCount;
}

void TBrelvixIO::CloseAVIFile()
{
    // A handed-off frame read may still be using the reader.
    WaitWorkerThreads(false);
    aviReader_.reset();
}

void TBrelvixIO::ReadAVIFrame(int32_t index)
{
    if (HandedToWorker(TQkIOCallKind::FrameIndex, [this, index] { ReadAVIFrame(index); }))
        return;
    aborting_ = false;
    TBitmap frame;
    if (!PrepareBitmap() || !aviReader_ || !aviReader_->ReadFrame(index, frame)) {
        Fail();
        return;
    }
    const TQkAviStreamInfo& info = aviReader_->Info();
    params_->AviFrameCount = static_cast<int32_t>(info.Length);
    params_->AviFrameDelayTime = AviFrameDelay(info.Rate, info.Scale);
    bitmap_->CopyFromTBitmap(frame);
    AviSampleLayout(info.BitCount, params_->BitsPerSample, params_->SamplesPerPixel);
    params_->SetDpiX(DefaultDpiX);
    params_->SetDpiY(DefaultDpiY);
    params_->Width = params_->StoredWidth = bitmap_->GetWidth();
    params_->Height = params_->StoredHeight = bitmap_->GetHeight();
    params_->FreeColorMap();
    RefreshAttachedImage();
    DoFinishWork();
}

void TBrelvixIO::LoadAviFrame(const std::string& fileName, int32_t frameIndex)
{
    OpenAVIFile(fileName);
    if (aborting_) {
        DoFinishWork();
        return;
    }
    ReadAVIFrame(frameIndex);
    CloseAVIFile();
    params_->FileName = fileName;
    params_->FileType = ioAVI;
}
