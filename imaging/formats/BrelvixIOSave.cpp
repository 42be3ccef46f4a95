// The component's saves: the common steps around a format's writer, the
// stream headers, and the general saves that find the format by extension
// or id.

#include "imaging/core/QkFileStreams.h"
#include "imaging/core/QkTextRoutines.h"
#include "imaging/formats/BrelvixIO.h"
#include "imaging/formats/QkFileFormats.h"
#include "imaging/formats/QkFormatSteps.h"
#include "imaging/formats/QkJpegMarkerSteps.h"
#include "imaging/formats/QkStreamHeader.h"

namespace {

void ConvertForWriter(TQkBitmap& bitmap)
{
    const TQkPixelFormat format = bitmap.GetPixelFormat();
    if (format != qk24RGB && format != qk1g)
        bitmap.SetPixelFormat(qk24RGB);
}

// The built-in formats with a stream save of their own.
bool HasSaveCase(int32_t fileType)
{
    return FindFileFormat(fileType) != nullptr && FindFileFormat(fileType)->WriteFunction;
}

} // namespace

// Common to every save before the destination opens. An empty image would
// reach writers that divide by its size: it is refused like a failed save.
bool TBrelvixIO::PrepareSave(int32_t fileType, bool convert)
{
    if (!PrepareBitmap()) {
        DoFinishWork();
        return false;
    }
    if (bitmap_->IsEmpty()) {
        Fail();
        return false;
    }
    if (fileType != 0 && !FormatRow(fileType).Write)
        NotSupported(fileType, false);
    if (convert)
        ConvertForWriter(*bitmap_);
    return true;
}

void TBrelvixIO::RunWriter(TStream& stream, int32_t fileType)
{
    if (fileType == ioJPEG)
        RebuildJpegMarkers(*params_);
    TQkFilterProgress progress = NewProgress(true);
    TQkWriteRequest request{stream, *bitmap_, *params_, progress};
    try {
        if (fileType == ioPSD)
            WritePsd(request);
        else
            FormatRow(fileType).Write(request);
    } catch (...) {
        DoFinishWork();
        throw;
    }
}

void TBrelvixIO::WriteWithHeader(TStream& stream, int32_t fileType, const char* signature)
{
    const int64_t start = stream.Position();
    WriteStreamHeader(stream, signature, 0);
    RunWriter(stream, fileType);
    const int64_t end = stream.Position();
    if (fileType == ioPCX && aborting_)
        return;
    stream.SetPosition(start);
    WriteStreamHeader(stream, signature, static_cast<uint32_t>(end - start - StreamHeaderSize));
    stream.SetPosition(end);
}

void TBrelvixIO::SaveFormatToFile(const std::string& fileName, int32_t fileType)
{
    if (HandedToWorker(TQkIOCallKind::FileProcedure,
                       [this, fileName, fileType] { SaveFormatToFile(fileName, fileType); }))
        return;
    aborting_ = true;
    if (!PrepareSave(fileType, FormatSteps(fileType).ConvertOnSave))
        return;
    std::unique_ptr<TQkWideFileStream> file = OpenFileOrFinish(fileName, fmCreate);
    aborting_ = false;
    RunWriter(*file, fileType);
    params_->FileName = fileName;
    params_->FileType = fileType;
    file.reset();
    DoFinishWork();
}

void TBrelvixIO::SaveFormatToStream(TStream& stream, int32_t fileType)
{
    if (HandedToWorker(TQkIOCallKind::StreamProcedure,
                       [this, &stream, fileType] { SaveFormatToStream(stream, fileType); }))
        return;
    aborting_ = false;
    const TQkFormatSteps steps = FormatSteps(fileType);
    if (!PrepareSave(fileType, steps.ConvertOnSave))
        return;
    // A multipage PCX stream holds one page: what lay before it stays.
    if (fileType == ioDCX)
        stream.SetSize(stream.Position());
    if (streamHeaders_ && steps.StreamHeader != nullptr)
        WriteWithHeader(stream, fileType, steps.StreamHeader);
    else
        RunWriter(stream, fileType);
    DoFinishWork();
}

void TBrelvixIO::SaveToFile(const std::string& fileName)
{
    if (fileName.empty())
        return;
    const std::string extension = ExtractFileExtLower(fileName, false);
    const TQkFileFormatInfo* format = FindFileFormatByExtension(extension);
    if (extension == "win")
        format = FindFileFormat(ioTGA);
    if (format == nullptr || !format->WriteFunction)
        Fail();
    else if (format->InternalFormat)
        SaveFormatToFile(fileName, format->FileType);
    else
        SaveExternalToFile(fileName, format->FileType);
}

void TBrelvixIO::SaveExternalToFile(const std::string& fileName, int32_t fileType)
{
    const TQkFileFormatInfo& format = *FindFileFormat(fileType);
    if (HandedToWorker(TQkIOCallKind::FileWithType,
                       [this, fileName, fileType] { SaveExternalToFile(fileName, fileType); }))
        return;
    aborting_ = true;
    if (!PrepareSave(0, true))
        return;
    std::unique_ptr<TQkWideFileStream> file = OpenFileOrFinish(fileName, fmCreate);
    aborting_ = false;
    params_->FileName = fileName;
    params_->FileType = fileType;
    TQkFilterProgress progress = NewProgress(true);
    try {
        format.WriteFunction(*file, *bitmap_, *params_, progress);
    } catch (...) {
        file.reset();
        DoFinishWork();
        throw;
    }
    file.reset();
    DoFinishWork();
}

void TBrelvixIO::SaveToStream(TStream& stream, int32_t fileType)
{
    const TQkFileFormatInfo* format = FindFileFormat(fileType);
    if (!HasSaveCase(fileType))
        Fail();
    else if (format->InternalFormat)
        SaveFormatToStream(stream, fileType);
    else
        SaveExternalToStream(stream, fileType);
}

void TBrelvixIO::SaveExternalToStream(TStream& stream, int32_t fileType)
{
    const TQkFileFormatInfo& format = *FindFileFormat(fileType);
    if (HandedToWorker(TQkIOCallKind::StreamWithType,
                       [this, &stream, fileType] { SaveExternalToStream(stream, fileType); }))
        return;
    aborting_ = false;
    if (!PrepareSave(0, true))
        return;
    params_->FileType = fileType;
    TQkFilterProgress progress = NewProgress(true);
    try {
        format.WriteFunction(stream, *bitmap_, *params_, progress);
    } catch (...) {
        DoFinishWork();
        throw;
    }
    DoFinishWork();
}
