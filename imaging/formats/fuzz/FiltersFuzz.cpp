// libFuzzer target: the portable and wireless bitmap readers, the headerless
// raw reader and the metafile probes called directly, with a low decode
// limit so that large headers are refused quickly.

#include <cstddef>
#include <cstdint>

#include "imaging/formats/fuzz/FiltersFuzzInput.h"
#include "imaging/formats/fuzz/FuzzStart.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    StartFormatsForFuzzing(int64_t(1) << 16);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ReadAsFilter(data, size);
    return 0;
}
