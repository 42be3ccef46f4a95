// libFuzzer target: any bytes load as a profile without crashing; the texts
// stay inside the data, and a profile LittleCMS accepts converts pixels.

#include <cstddef>
#include <cstdint>

#include "imaging/core/QkICC.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TQkICC profile;
    profile.LoadFromBuffer(data, static_cast<int32_t>(size));
    if (!profile.IsValid())
        return 0;
    TQkICC srgb;
    srgb.LoadStandardSRGB();
    const uint8_t pixels[8] = {0, 64, 128, 255, 32, 16, 8, 4};
    uint8_t out[8] = {};
    for (int32_t code : {icRGB, icCMYK, icGray, icLab})
        profile.TransformPixels(srgb, code, icBGR, 0, 0, pixels, out, 2);
    return 0;
}
