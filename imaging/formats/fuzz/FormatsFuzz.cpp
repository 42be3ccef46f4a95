// libFuzzer target: detection, the loads and the parameters-only reads of
// every registered format over any bytes, with a low decode limit so that
// large headers are refused quickly.

#include <cstddef>
#include <cstdint>

#include "imaging/formats/fuzz/FormatsFuzzInput.h"
#include "imaging/formats/fuzz/FuzzStart.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    StartFormatsForFuzzing(int64_t(1) << 20);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ReadAsEveryFormat(data, size);
    return 0;
}
