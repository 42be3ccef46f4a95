// libFuzzer target: the camera raw probe, reader and heap metadata
// (CameraRawFuzzInput.h).

#include <cstddef>
#include <cstdint>

#include "imaging/formats/fuzz/CameraRawFuzzInput.h"
#include "imaging/formats/fuzz/FuzzStart.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    StartFormatsForFuzzing(int64_t(1) << 16);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzCameraRaw(data, size);
    return 0;
}
