// libFuzzer target: any bytes read as a maker note without crashing, in
// either byte order of the enclosing file; what was read writes back and
// reads again to the same entries.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "imaging/core/QkStreams.h"
#include "imaging/core/QkTagsHandler.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const bool littleEndian = data[0] & 1;
    TQkMemStream input(data + 1, static_cast<int64_t>(size - 1));
    TQkTagsHandler handler;
    handler.ReadFromStream(input, static_cast<int32_t>(size - 1), littleEndian);
    if (handler.Entries().empty())
        return 0;
    TMemoryStream written;
    const int32_t length = handler.WriteToStream(written, littleEndian);
    if (length == 0)
        return 0;
    written.SetPosition(0);
    TQkTagsHandler reread;
    reread.ReadFromStream(written, length, littleEndian);
    if (reread.Entries() != handler.Entries())
        std::abort();
    return 0;
}
