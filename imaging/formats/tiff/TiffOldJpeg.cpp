#include "imaging/formats/tiff/TiffOldJpeg.h"

#include <vector>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkIOParams.h"
#include "imaging/formats/QkFilterProgress.h"
#include "imaging/formats/jpeg/QkJpeg.h"
#include "imaging/formats/tiff/TiffDirectory.h"
#include "imaging/formats/tiff/TiffPage.h"
#include "platform/core/Streams.h"

void DecodeOldStyleJpeg(const TTiffDirectory& directory, const TTiffPage& page, TQkBitmap& bitmap,
                        TQkFilterProgress& progress)
{
    const uint32_t offset = page.JpegInterchangeFormat;
    const int64_t available = directory.BytesFrom(offset);
    const int64_t length = page.JpegInterchangeFormatLength == 0
        ? available
        : std::min<int64_t>(page.JpegInterchangeFormatLength, available);
    std::vector<uint8_t> bytes(size_t(std::max<int64_t>(length, 0)));
    if (offset == 0 || bytes.empty() || !directory.ReadAt(offset, bytes.data(), bytes.size())) {
        SetAborting(progress);
        return;
    }
    TMemoryStream data;
    data.Write(bytes.data(), int64_t(bytes.size()));
    data.SetPosition(0);
    TIOParamsVals jpegParams(nullptr);
    TQkJpegReadOptions options;
    options.Metadata = false;
    const int32_t rows = ReadJpegImage(data, bitmap, jpegParams, progress, options);
    if (rows < page.Length || bitmap.GetWidth() < page.Width)
        SetAborting(progress);
}
