// libFuzzer target: any bytes drawn as a packed DIB into a DIB bitmap draw,
// or are refused, without crashing or reading outside them.

#include <cstddef>
#include <cstdint>

#include "imaging/core/QkDibbitmap.h"
#include "imaging/core/QkDrawDib.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TQkDibbitmap target;
    DrawDIBToDibbitmap(TDIBBytes{data, static_cast<int64_t>(size)}, target);
    return 0;
}
