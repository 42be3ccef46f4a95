// The component's loads: the common steps around a format's reader, the
// stream headers, and the general loads that find the format by extension,
// id or content.

#include <algorithm>

#include "imaging/core/QkFileStreams.h"
#include "imaging/core/QkMask.h"
#include "imaging/core/QkStreams.h"
#include "imaging/core/QkTextRoutines.h"
#include "imaging/formats/BrelvixIO.h"
#include "imaging/formats/QkFileFormats.h"
#include "imaging/formats/QkFormatDetection.h"
#include "imaging/formats/QkFormatSteps.h"
#include "imaging/formats/QkIOSupport.h"
#include "imaging/formats/QkStreamHeader.h"

namespace {

constexpr int64_t ReadBufferSize = 8192;

// The formats whose readers take their source through a read buffer.
bool BufferedRead(int32_t fileType) { return fileType == ioTIFF || fileType == ioJPEG; }

// Built-in entries that cannot be read (PostScript and PDF).
bool HasReadCase(int32_t fileType) { return fileType != ioPS && fileType != ioPDF; }

bool IsLayeredFileType(int32_t fileType) { return fileType == ioQKV || fileType == ioLYR || fileType == ioALL; }

} // namespace

void TBrelvixIO::CallReader(const TQkFormatReader& reader, TQkReadRequest& request)
{
    try {
        reader(request);
    } catch (...) {
        DoFinishWork();
        throw;
    }
}

void TBrelvixIO::FinishLoad(TQkReadRequest& request, int32_t fileType, const std::string& fileName, bool fileForm)
{
    const TQkFormatSteps steps = FormatSteps(fileType);
    if (steps.FixDpi)
        FixDefaultDpi();
    // The reader's alpha plane becomes the image's alpha channel.
    if (request.AlphaMask)
        if (TQkBitmap* alpha = bitmap_->GetAlphaChannel())
            alpha->CopyFromMask(request.AlphaMask.get());
    if (autoAdjustDpi_ && steps.AdjustDpi)
        AdjustDpi();
    params_->FileName = fileForm ? fileName : std::string();
    params_->FileType = fileType;
    if (fileForm ? steps.ApplyDpiAfterFileLoad : steps.ApplyDpiAfterStreamLoad)
        ApplyDpiToView(params_->DpiX, params_->DpiY);
    RefreshAttachedImage();
    DoFinishWork();
}

int32_t TBrelvixIO::ReadFormat(TStream& stream, int32_t fileType, int64_t byteBudget, const std::string& fileName,
                               bool fileForm, int64_t endPosition)
{
    std::unique_ptr<TQkBufferedReadStream> buffered;
    if (BufferedRead(fileType))
        buffered = std::make_unique<TQkBufferedReadStream>(stream, true, ReadBufferSize);
    TQkFilterProgress progress = NewProgress(true);
    bitmap_->RemoveAlphaChannel(false, clWhite);
    TQkReadRequest request(buffered ? *buffered : stream, *bitmap_, *params_, progress);
    request.ByteBudget = byteBudget;
    request.IgnoreAlpha = fileType == ioBMP && !params_->BmpAlpha;
    if (fileType == ioPSD)
        CallReader([this](TQkReadRequest& psd) { ReadPsd(psd); }, request);
    else
        CallReader(FormatRow(fileType).Read, request);
    buffered.reset();
    if (endPosition >= 0)
        stream.SetPosition(std::min(endPosition, stream.Size()));
    FinishLoad(request, fileType, fileName, fileForm);
    return request.ImageCount;
}

int32_t TBrelvixIO::LoadFormatFromFile(const std::string& fileName, int32_t fileType)
{
    if (fileType == ioGIF)
        return LoadGifFromFile(fileName);
    if (fileType == ioWMF || fileType == ioEMF) {
        ImportMetafileFromFile(fileName, -1, -1, true);
        return 0;
    }
    if (IsLayeredFileType(fileType)) {
        LoadLayeredFromFile(fileName, fileType);
        return 0;
    }
    if (HandedToWorker(TQkIOCallKind::FileFunction,
                       [this, fileName, fileType] { LoadFormatFromFile(fileName, fileType); }))
        return -1;
    aborting_ = true;
    if (!FormatRow(fileType).Read)
        NotSupported(fileType, true);
    if (!PrepareBitmap()) {
        DoFinishWork();
        return 0;
    }
    params_->ResetInfo();
    std::unique_ptr<TQkWideFileStream> file = OpenFileOrFinish(fileName, fmOpenRead | fmShareDenyWrite);
    aborting_ = false;
    return ReadFormat(*file, fileType, -1, fileName, true, -1);
}

void TBrelvixIO::LoadCameraRawFromFile(const std::string& fileName)
{
    if (HandedToWorker(TQkIOCallKind::FileProcedure, [this, fileName] { LoadCameraRawFromFile(fileName); }))
        return;
    const int32_t owner = FileTypeOfExtension("RAW");
    if (owner == ioRAW) {
        LoadFormatFromFile(fileName, ioRAW);
        return;
    }
    std::unique_ptr<TQkWideFileStream> file = OpenFileOrFinish(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStreamFormat(*file, owner);
}

void TBrelvixIO::LoadCameraRawFromStream(TStream& stream)
{
    if (HandedToWorker(TQkIOCallKind::StreamProcedure, [this, &stream] { LoadCameraRawFromStream(stream); }))
        return;
    const int32_t owner = FileTypeOfExtension("RAW");
    if (owner == ioRAW)
        LoadFormatFromStream(stream, ioRAW);
    else
        LoadFromStreamFormat(stream, owner);
}

int32_t TBrelvixIO::LoadFormatFromStream(TStream& stream, int32_t fileType)
{
    return LoadFormatStream(stream, fileType, streamHeaders_);
}

int32_t TBrelvixIO::LoadFormatStream(TStream& stream, int32_t fileType, bool expectHeader)
{
    if (fileType == ioGIF)
        return LoadGifFromStream(stream);
    if (fileType == ioWMF || fileType == ioEMF) {
        ImportMetafileFromStream(stream, -1, -1, true);
        return 0;
    }
    if (IsLayeredFileType(fileType)) {
        LoadLayeredFromStream(stream, fileType);
        return 0;
    }
    if (HandedToWorker(TQkIOCallKind::StreamFunction,
                       [this, &stream, fileType, expectHeader] { LoadFormatStream(stream, fileType, expectHeader); }))
        return -1;
    aborting_ = false;
    if (!FormatRow(fileType).Read)
        NotSupported(fileType, true);
    if (!PrepareBitmap()) {
        DoFinishWork();
        return 0;
    }
    params_->ResetInfo();
    const char* signature = FormatSteps(fileType).StreamHeader;
    // A JPEG stream header is skipped whenever it is there.
    if (signature == nullptr || !(expectHeader || fileType == ioJPEG))
        return ReadFormat(stream, fileType, fileType == ioPCX ? stream.Size() - stream.Position() : -1, std::string(),
                          false, -1);
    const int64_t start = stream.Position();
    const TQkStreamHeader header = ReadStreamHeader(stream);
    if (fileType == ioJPEG && !header.Is("JFIF")) {
        stream.SetPosition(start);
        return ReadFormat(stream, fileType, -1, std::string(), false, -1);
    }
    if (fileType == ioPCX && header.Is("PCX")) {
        // The older 4-byte form: the image follows the signature and runs to
        // the end.
        stream.SetPosition(start + 4);
        return ReadFormat(stream, fileType, stream.Size() - stream.Position(), std::string(), false, -1);
    }
    if (!header.Is(signature) && !(fileType == ioPCX && header.StartsWith("PCX"))) {
        Fail();
        return 0;
    }
    return ReadFormat(stream, fileType, header.Length, std::string(), false, start + StreamHeaderSize + header.Length);
}

// ---- General loads ----

void TBrelvixIO::LoadFromFile(const std::string& fileName)
{
    if (bitmap_ == nullptr)
        return;
    if (fileName.empty()) {
        Fail();
        return;
    }
    if (GetURLKind(fileName) != 0) {
        LoadFromURL(fileName);
        return;
    }
    if (ExtractFileExtLower(fileName, true) == ".avi") {
        LoadAviFrame(fileName, params_->ImageIndex);
        return;
    }
    const TQkFileFormatInfo* format = FindFileFormatByExtension(ExtractFileExtLower(fileName, false));
    if (format == nullptr)
        Fail();
    else if (format->InternalFormat)
        LoadInternalFromFile(fileName, format->FileType);
    else
        LoadExternalFromFile(fileName, format->FileType, true);
}

void TBrelvixIO::LoadInternalFromFile(const std::string& fileName, int32_t fileType)
{
    if (HasReadCase(fileType) && fileType != ioRAWBMP)
        LoadFormatFromFile(fileName, fileType);
    else
        Fail();
}

void TBrelvixIO::LoadFromFileFormat(const std::string& fileName, int32_t fileType)
{
    const TQkFileFormatInfo* format = FindFileFormat(fileType);
    if (format == nullptr)
        Fail();
    else if (!format->InternalFormat)
        LoadExternalFromFile(fileName, fileType, false);
    else if (fileType == ioRAWBMP)
        LoadFormatFromFile(fileName, fileType);
    else if (HasReadCase(fileType))
        LoadFormatFromFile(fileName, fileType);
    else
        LoadFromFile(fileName);
}

void TBrelvixIO::LoadFromFileAuto(const std::string& fileName)
{
    const int32_t fileType = DetectFileFormat(fileName, false);
    if (fileType != 0)
        LoadFromFileFormat(fileName, fileType);
    else
        LoadFromFile(fileName);
}

void TBrelvixIO::LoadExternalFromFile(const std::string& fileName, int32_t fileType, bool catchErrors)
{
    // Handed off before the parameters change: a worker may still be using them.
    if (HandedToWorker(TQkIOCallKind::FileWithType, [this, fileName, fileType, catchErrors] {
            LoadExternalFromFile(fileName, fileType, catchErrors);
        }))
        return;
    const TQkFileFormatInfo& format = *FindFileFormat(fileType);
    params_->FileName.clear();
    params_->FileType = 0;
    params_->ResetInfo();
    if (!format.ReadFunction) {
        Fail();
        return;
    }
    aborting_ = true;
    if (!PrepareBitmap()) {
        DoFinishWork();
        return;
    }
    std::unique_ptr<TQkWideFileStream> file = OpenFileOrFinish(fileName, fmOpenRead | fmShareDenyWrite);
    aborting_ = false;
    params_->FileName = fileName;
    params_->FileType = fileType;
    TQkFilterProgress progress = NewProgress(true);
    try {
        format.ReadFunction(*file, *bitmap_, *params_, false, progress);
    } catch (...) {
        if (!catchErrors) {
            DoFinishWork();
            throw;
        }
        aborting_ = true;
    }
    if (!catchErrors || !aborting_) {
        if (autoAdjustDpi_)
            AdjustDpi();
        ApplyDpiToView(params_->DpiX, params_->DpiY);
    }
    RefreshAttachedImage();
    file.reset();
    DoFinishWork();
}

void TBrelvixIO::LoadFromStream(TStream& stream)
{
    const int64_t start = stream.Position();
    const int32_t fileType = DetectStreamFormat(stream);
    if (FindFileFormat(fileType) == nullptr) {
        Fail();
        return;
    }
    stream.SetPosition(start);
    LoadFromStreamEntry(stream, fileType, true);
}

void TBrelvixIO::LoadFromStreamFormat(TStream& stream, int32_t fileType)
{
    if (fileType == 0) {
        LoadFromStream(stream);
        return;
    }
    if (FindFileFormat(fileType) == nullptr) {
        Fail();
        return;
    }
    LoadFromStreamEntry(stream, fileType, false);
}

void TBrelvixIO::LoadFromStreamEntry(TStream& stream, int32_t fileType, bool detected)
{
    if (!FindFileFormat(fileType)->InternalFormat) {
        LoadExternalFromStream(stream, fileType);
        return;
    }
    if (!HasReadCase(fileType)) {
        Fail();
        return;
    }
    // Detection knows the TIFF and PCX stream headers; a load that found one
    // skips it whatever StreamHeaders says.
    const bool header = streamHeaders_ || (detected && StartsWithStreamHeader(stream, fileType));
    LoadFormatStream(stream, fileType, header);
}

void TBrelvixIO::LoadExternalFromStream(TStream& stream, int32_t fileType)
{
    const TQkFileFormatInfo& format = *FindFileFormat(fileType);
    if (HandedToWorker(TQkIOCallKind::StreamWithType,
                       [this, &stream, fileType] { LoadExternalFromStream(stream, fileType); }))
        return;
    params_->ResetInfo();
    params_->FileName.clear();
    params_->FileType = 0;
    if (!format.ReadFunction) {
        Fail();
        return;
    }
    aborting_ = false;
    if (!PrepareBitmap()) {
        DoFinishWork();
        return;
    }
    params_->FileType = fileType;
    TQkFilterProgress progress = NewProgress(true);
    try {
        format.ReadFunction(stream, *bitmap_, *params_, false, progress);
    } catch (...) {
        DoFinishWork();
        throw;
    }
    if (autoAdjustDpi_)
        AdjustDpi();
    ApplyDpiToView(params_->DpiX, params_->DpiY);
    RefreshAttachedImage();
    DoFinishWork();
}

void TBrelvixIO::LoadFromBuffer(const void* buffer, int64_t size, int32_t fileType)
{
    if (buffer == nullptr || size <= 0) {
        Fail();
        return;
    }
    TQkMemStream stream(buffer, size);
    if (fileType != 0)
        LoadFromStreamFormat(stream, fileType);
    else
        LoadFromStream(stream);
}
