// libFuzzer target around FuzzFaxDecode (CodecFuzzInputs.h).

#include "imaging/formats/fuzz/CodecFuzzInputs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzFaxDecode(data, size);
    return 0;
}
