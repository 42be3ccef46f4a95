// Parameters-only reads: the fields of a file, stream or memory block
// without its pixels. They catch every error: a failure leaves FileType 0.

#include "imaging/core/QkFileStreams.h"
#include "imaging/core/QkStreams.h"
#include "imaging/formats/BrelvixIO.h"
#include "imaging/formats/QkFileFormats.h"
#include "imaging/formats/QkFormatDetection.h"
#include "imaging/formats/QkFormatErrors.h"
#include "imaging/formats/QkStreamHeader.h"

namespace {

constexpr int64_t ReadBufferSize = 8192;

// Ids whose files hold no parameters to read: nothing is read for them.
bool HasParamsReader(int32_t fileType)
{
    switch (fileType) {
    case ioAVI:
    case ioPS:
    case ioPDF:
    case ioRAWBMP:
    case ioQKV:
    case ioLYR:
    case ioALL: return false;
    default: return fileType > 0 && fileType < ioFileTypeLimit;
    }
}

// The bytes of a stream header that detection found before the data.
int64_t HeaderBytes(TStream& stream, int32_t fileType)
{
    if (!StartsWithStreamHeader(stream, fileType))
        return 0;
    const int64_t start = stream.Position();
    const TQkStreamHeader header = ReadStreamHeader(stream);
    stream.SetPosition(start);
    return header.Is("PCX") ? 4 : StreamHeaderSize;
}

} // namespace

void TBrelvixIO::ReadParamsAs(TStream& stream, int32_t fileType, int64_t skip)
{
    const TQkFileFormatInfo* format = FindFileFormat(fileType);
    TQkFilterProgress progress = NewProgress(false);
    // Without an image of its own the component lends the reader a scratch one.
    TQkBitmap scratch;
    TQkBitmap& bitmap = bitmap_ != nullptr ? *bitmap_ : scratch;
    if (format != nullptr && !format->InternalFormat) {
        if (format->ReadFunction)
            format->ReadFunction(stream, bitmap, *params_, true, progress);
        return;
    }
    if (format == nullptr || !HasParamsReader(fileType))
        return;
    const TQkFormatReader& reader = FormatRow(fileType).ReadParams;
    if (!reader) {
        aborting_ = true;
        throw FormatNotSupported(fileType, true);
    }
    stream.Seek(skip, soCurrent);
    TQkReadRequest request(stream, bitmap, *params_, progress);
    request.ParamsOnly = true;
    request.IgnoreAlpha = true;
    request.ByteBudget = stream.Size() - stream.Position();
    reader(request);
}

void TBrelvixIO::ParamsFromFileFormat(const std::string& fileName, int32_t fileType)
{
    params_->FileType = fileType;
    try {
        params_->ResetInfo();
        aborting_ = true;
        TQkWideFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
        TQkBufferedReadStream buffered(file, false, ReadBufferSize);
        aborting_ = false;
        ReadParamsAs(buffered, fileType, 0);
    } catch (const std::exception&) {
        params_->FileType = 0;
    }
    if (aborting_)
        params_->FileType = 0;
    params_->FileName = fileName;
    DoFinishWork();
}

void TBrelvixIO::ParamsFromFile(const std::string& fileName)
{
    ParamsFromFileFormat(fileName, DetectFileFormat(fileName, true));
}

void TBrelvixIO::ParamsFromStreamFormat(TStream& stream, int32_t fileType)
{
    ReadParamsFromStream(stream, fileType, 0);
}

void TBrelvixIO::ParamsFromStream(TStream& stream)
{
    const int32_t fileType = DetectStreamFormat(stream);
    int64_t skip = 0;
    try {
        skip = HeaderBytes(stream, fileType);
    } catch (const std::exception&) {
        skip = 0;
    }
    ReadParamsFromStream(stream, fileType, skip);
}

void TBrelvixIO::ReadParamsFromStream(TStream& stream, int32_t fileType, int64_t skip)
{
    TQkBufferedReadStream buffered(stream, false, ReadBufferSize);
    params_->FileType = fileType;
    try {
        params_->ResetInfo();
        aborting_ = false;
        ReadParamsAs(buffered, fileType, skip);
    } catch (const std::exception&) {
        params_->FileType = 0;
    }
    if (aborting_)
        params_->FileType = 0;
    DoFinishWork();
}

void TBrelvixIO::ParamsFromBuffer(const void* buffer, int64_t size, int32_t fileType)
{
    if (buffer == nullptr || size <= 0) {
        aborting_ = true;
        return;
    }
    TQkMemStream stream(buffer, size);
    if (fileType != 0)
        ParamsFromStreamFormat(stream, fileType);
    else
        ParamsFromStream(stream);
}
