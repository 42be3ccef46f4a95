// libFuzzer target around PlayMetafileInput (MetafileFuzzInput.h).

#include "imaging/formats/fuzz/FuzzStart.h"
#include "imaging/formats/fuzz/MetafileFuzzInput.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    LoadFontsForFuzzing();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    PlayMetafileInput(data, size);
    return 0;
}
