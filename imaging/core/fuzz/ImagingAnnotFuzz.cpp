// libFuzzer target: any bytes load as TIFF annotation data without reading
// outside them; what loads saves again.

#include <cstddef>
#include <cstdint>

#include "imaging/core/QkImagingAnnot.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TQkImagingAnnot annot;
    annot.LoadFromBuffer(data, static_cast<int64_t>(size));
    annot.SaveToBuffer();
    return 0;
}
