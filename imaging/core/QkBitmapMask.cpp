// Exchange of pixels between a bitmap and a selection mask.

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkMask.h"

#include <algorithm>
#include <cstring>

namespace {

void CopyMaskRows(int32_t height, int32_t length, const auto& sourceRow, const auto& targetRow)
{
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* from = sourceRow(y);
        uint8_t* to = targetRow(y);
        if (from && to)
            std::memcpy(to, from, static_cast<size_t>(length));
    }
}

} // namespace

void TQkBitmap::CopyFromMask(const TQkMask* mask)
{
    if (!mask) {
        Fill(255);
        return;
    }
    if (mask->BitsPerPixel() != 1 && mask->BitsPerPixel() != 8)
        return;
    if (!Allocate(mask->Width(), mask->Height(), mask->BitsPerPixel() == 1 ? qk1g : qk8g))
        return;
    CopyMaskRows(
        FHeight, std::min(FRowLen, mask->RowLen()), [mask](int32_t y) { return mask->GetScanline(y); },
        [this](int32_t y) { return GetScanline(y); });
    FFull = mask->Full();
}

void TQkBitmap::CopyToMask(TQkMask& mask)
{
    const TQkPixelFormat format = GetPixelFormat();
    if (format != qk1g && format != qk8g && format != qk24RGB)
        return;
    mask.AllocateBits(GetWidth(), GetHeight(), format == qk1g ? 1 : 8);
    if (format == qk24RGB) {
        for (int32_t y = 0; y < FHeight; ++y) {
            const auto* pixels = reinterpret_cast<const TRGBPixel*>(GetScanline(y));
            uint8_t* values = mask.GetScanline(y);
            for (int32_t x = 0; x < FWidth && pixels && values; ++x)
                values[x] = RGBPixelToGray(pixels[x]);
        }
        return;
    }
    CopyMaskRows(
        FHeight, std::min(FRowLen, mask.RowLen()), [this](int32_t y) { return GetScanline(y); },
        [&mask](int32_t y) { return mask.GetScanline(y); });
    mask.SetFull(FFull);
}
