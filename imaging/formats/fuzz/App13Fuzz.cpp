// libFuzzer target: any bytes as a loaded APP13 marker, patched with a new
// resolution, without touching memory outside the marker.

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "imaging/core/QkMarkerList.h"
#include "imaging/formats/QkJpegMarkerSteps.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TQkMarkerList markers;
    markers.AddMarker(JpegApp13, data, static_cast<uint16_t>(std::min<size_t>(size, 65533)));
    UpdateJpegResolution(markers, 150, 300);
    return 0;
}
