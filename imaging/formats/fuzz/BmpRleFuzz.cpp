// libFuzzer target around FuzzBmpRleDecode (CodecFuzzInputs.h).

#include "imaging/formats/fuzz/CodecFuzzInputs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzBmpRleDecode(data, size);
    return 0;
}
