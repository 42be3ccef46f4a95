// libFuzzer target: scanned pages assembled from announced frames and data.

#include "imaging/formats/fuzz/FuzzStart.h"
#include "imaging/formats/fuzz/ScanPageFuzzInput.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    StartFormatsForFuzzing(int64_t(1) << 16);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    AssembleScanPage(data, size);
    return 0;
}
