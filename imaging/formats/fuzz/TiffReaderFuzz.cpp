// libFuzzer target: the TIFF reader and probe called directly.

#include <cstddef>
#include <cstdint>

#include "imaging/formats/fuzz/FuzzStart.h"
#include "imaging/formats/fuzz/TiffReaderFuzzInput.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    StartFormatsForFuzzing(int64_t(1) << 16);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ReadAsTiff(data, size);
    return 0;
}
