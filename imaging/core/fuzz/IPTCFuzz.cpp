// libFuzzer target: any bytes load as an IPTC block, bare or in a Photoshop
// resource, without reading outside them; what loads saves again.

#include <cstddef>
#include <cstdint>

#include "imaging/core/QkIPTCInfoList.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TQkIPTCInfoList list;
    if (list.LoadFromBuffer(data, static_cast<int64_t>(size)))
        list.SaveToBuffer(true);
    return 0;
}
