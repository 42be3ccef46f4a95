// libFuzzer target: the JPEG reader (whole and parameters only) and the PNG
// reader called directly, with a low decode limit so that large headers
// are refused quickly.

#include <cstddef>
#include <cstdint>

#include "imaging/formats/fuzz/FuzzStart.h"
#include "imaging/formats/fuzz/JpegPngFuzzInput.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    StartFormatsForFuzzing(int64_t(1) << 16);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ReadAsJpegOrPng(data, size);
    return 0;
}
