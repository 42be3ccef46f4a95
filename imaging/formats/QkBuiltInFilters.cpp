#include "imaging/formats/QkBuiltInFilters.h"

#include "imaging/formats/QkFileFormats.h"
#include "imaging/formats/QkMetafileProbes.h"
#include "imaging/formats/QkPnm.h"
#include "imaging/formats/QkRawBitmapReader.h"
#include "imaging/formats/QkWbmp.h"

namespace {

void ReadParamsOnly(const TQkFormatReader& reader, TQkReadRequest& request)
{
    request.ParamsOnly = true;
    reader(request);
}

void SetFilters(int32_t fileType, TQkStreamProbe probe, TQkFormatReader reader, TQkFormatWriter writer)
{
    TQkFormatRow& row = FormatRow(fileType);
    row.Probe = std::move(probe);
    row.Read = reader;
    row.ReadParams = [reader](TQkReadRequest& request) { ReadParamsOnly(reader, request); };
    row.Write = std::move(writer);
}

} // namespace

void RegisterBuiltInFilters()
{
    SetFilters(ioPXM, IsPnmStream, ReadPnmImage, WritePnmImage);
    // Loading metafiles is the format-specific steps' work.
    FormatRow(ioWMF).Probe = IsWmfStream;
    FormatRow(ioEMF).Probe = IsEmfStream;
    SetFilters(ioWBMP, nullptr, ReadWbmpImage, WriteWbmpImage);
    // The caller sizes the bitmap, so there are no parameters to read.
    FormatRow(ioRAWBMP).Read = ReadRawBitmap;
}
