#include "imaging/formats/QkFormatRows.h"

#include <array>

#include "imaging/formats/QkFileFormats.h"

TQkStreamProbe CameraRawTiffProbe;

namespace {

std::array<TQkFormatRow, ioFileTypeLimit> rows;
TQkFormatRow emptyRow;

} // namespace

TQkFormatRow& FormatRow(int32_t fileType)
{
    if (fileType <= 0 || fileType >= ioFileTypeLimit) {
        emptyRow = TQkFormatRow{};
        return emptyRow;
    }
    return rows[static_cast<size_t>(fileType)];
}

void ClearFormatRows()
{
    rows.fill(TQkFormatRow{});
    CameraRawTiffProbe = nullptr;
}
