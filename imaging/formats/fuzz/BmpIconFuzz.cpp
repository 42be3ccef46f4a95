// libFuzzer target: the bitmap reader (with its run-length data) and the
// icon and cursor readers called directly, with a low decode limit so that
// large headers are refused quickly.

#include <cstddef>
#include <cstdint>

#include "imaging/formats/fuzz/BmpIconFuzzInput.h"
#include "imaging/formats/fuzz/FuzzStart.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    StartFormatsForFuzzing(int64_t(1) << 16);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ReadAsBitmapOrIcon(data, size);
    return 0;
}
