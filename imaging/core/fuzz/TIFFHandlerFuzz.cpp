// libFuzzer target: the TIFF handler reads any bytes without crashing, and
// whatever it read writes back and reads again.

#include <cstddef>
#include <cstdint>

#include "imaging/core/QkStreams.h"
#include "imaging/core/QkTIFFHandler.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TQkMemStream input(data, static_cast<int64_t>(size));
    TQkTIFFHandler handler;
    if (!handler.ReadStream(input))
        return 0;
    for (int page = 0; page < handler.PageCount(); ++page)
        for (const TQkTIFFEntry& entry : handler.Page(page))
            handler.GetTagValue(handler.Page(page), entry.Tag, 0);
    TMemoryStream written;
    handler.WriteStream(written, -1);
    written.SetPosition(0);
    TQkTIFFHandler reread;
    reread.ReadStream(written);
    return 0;
}
