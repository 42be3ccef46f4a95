// libFuzzer target: the GIF reader called directly (ReaderFuzzInput.h).

#include <cstddef>
#include <cstdint>

#include "imaging/formats/fuzz/FuzzStart.h"
#include "imaging/formats/fuzz/ReaderFuzzInput.h"
#include "imaging/formats/gif/QkGif.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    StartFormatsForFuzzing(int64_t(1) << 16);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzReader(ReadGifImage, data, size);
    return 0;
}
