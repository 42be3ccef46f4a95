// libFuzzer target: the DICOM reader, its lossless JPEG decoder and PackBits
// (DicomFuzzInput.h).

#include <cstddef>
#include <cstdint>

#include "imaging/formats/fuzz/DicomFuzzInput.h"
#include "imaging/formats/fuzz/FuzzStart.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    StartFormatsForFuzzing(int64_t(1) << 16);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzDicom(data, size);
    return 0;
}
