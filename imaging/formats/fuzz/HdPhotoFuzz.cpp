// libFuzzer target: the HD Photo reader called directly (ReaderFuzzInput.h):
// the container checks, jxrlib's header parsing and, unless the leading
// byte asks for parameters only, the pixels. jxrlib decodes them in a child
// process, so a crash inside jxrlib shows as a failed read here and any
// crash of the target itself is ours.

#include <cstddef>
#include <cstdint>

#include "imaging/formats/fuzz/FuzzStart.h"
#include "imaging/formats/fuzz/ReaderFuzzInput.h"
#include "imaging/formats/jxr/QkHdPhoto.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    StartFormatsForFuzzing(int64_t(1) << 16);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzReader(ReadHdPhotoImage, data, size);
    return 0;
}
