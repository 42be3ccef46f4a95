// libFuzzer target: any bytes decode as a packed DIB without crashing or
// reading outside them.

#include <cstddef>
#include <cstdint>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkDIBBridge.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TQkBitmap bitmap;
    bitmap.SetLocation(qkMemory);
    CopyDIBToBitmap(data, static_cast<int64_t>(size), bitmap);
    return 0;
}
