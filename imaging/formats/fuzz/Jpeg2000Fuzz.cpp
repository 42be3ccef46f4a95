// libFuzzer target: the JPEG 2000 reader called directly (ReaderFuzzInput.h),
// both containers found by its own probes.

#include <cstddef>
#include <cstdint>

#include "imaging/formats/fuzz/FuzzStart.h"
#include "imaging/formats/fuzz/ReaderFuzzInput.h"
#include "imaging/formats/j2k/QkJpeg2000.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    StartFormatsForFuzzing(int64_t(1) << 16);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzReader(ReadJpeg2000Image, data, size);
    return 0;
}
