// libFuzzer target: the HD Photo reader called directly (ReaderFuzzInput.h)
// for its parameters: the container checks and jxrlib's header parsing
// behind them. Pixel decoding stays out: jxrlib's coefficient decoder
// reads outside its tables on damaged coded data (DecodeSignificantRun),
// which no check of the container can stop.

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
    FuzzReader(
        [](TQkReadRequest& request) {
            request.ParamsOnly = true;
            ReadHdPhotoImage(request);
        },
        data, size);
    return 0;
}
