#include "imaging/formats/j2k/QkJpeg2000Colour.h"

#include <algorithm>

#include "imaging/formats/j2k/QkJpeg2000.h"
#include "platform/core/Types.h"

namespace {

TJ2kYCbCrTables Tables;

int32_t Nearest(float value) { return int32_t(Round(value)); }

} // namespace

const TJ2kYCbCrTables& J2kYCbCrTables() { return Tables; }

void BuildJ2kYCbCrTables()
{
    const float kr = 0.299f;
    const float kg = 0.587f;
    const float kb = 0.114f;
    const float a = 2 - 2 * kr;
    const float b = kr * a / kg;
    const float c = 2 - 2 * kb;
    const float d = kb * c / kg;
    for (int32_t i = 0; i < 256; ++i) {
        const float v = float(i - 128);
        Tables.CrToR[size_t(i)] = Nearest(a * v);
        Tables.CbToB[size_t(i)] = Nearest(c * v);
        Tables.CrToG[size_t(i)] = -Nearest(b * v);
        Tables.CbToG[size_t(i)] = -Nearest(d * v);
    }
}

void J2kYCbCrToBgr(int32_t y, int32_t cb, int32_t cr, uint8_t* bgr)
{
    const auto clamp = [](int32_t value) { return uint8_t(std::clamp(value, 0, 255)); };
    bgr[0] = clamp(y + Tables.CbToB[size_t(cb)]);
    bgr[1] = clamp(y + Tables.CbToG[size_t(cb)] + Tables.CrToG[size_t(cr)]);
    bgr[2] = clamp(y + Tables.CrToR[size_t(cr)]);
}

void Jpeg2000StaticInit() { BuildJ2kYCbCrTables(); }
