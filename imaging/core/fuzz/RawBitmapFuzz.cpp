// libFuzzer target: any bytes load as a raw bitmap record, or are refused,
// without crashing or reading outside them; what loads saves and loads again.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkRawBitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TQkBitmap bitmap;
    bitmap.SetLocation(qkMemory);
    if (!LoadRawFromStream(bitmap, data, static_cast<int64_t>(size)))
        return 0;
    std::vector<uint8_t> record(static_cast<size_t>(RawRecordSize(bitmap)));
    TQkBitmap again;
    again.SetLocation(qkMemory);
    if (!SaveRawToStream(bitmap, record.data(), static_cast<int64_t>(record.size())) ||
        !LoadRawFromStream(again, record.data(), static_cast<int64_t>(record.size())))
        std::abort();
    return 0;
}
