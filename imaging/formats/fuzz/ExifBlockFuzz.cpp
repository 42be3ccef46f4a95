// libFuzzer target: EXIF blocks and the TIFF probes.

#include <cstddef>
#include <cstdint>

#include "imaging/formats/fuzz/ExifBlockFuzzInput.h"
#include "imaging/formats/fuzz/FuzzStart.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    StartFormatsForFuzzing(int64_t(1) << 16);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ReadAsExifBlock(data, size);
    return 0;
}
