// Copying processed pixels back into an image only where it is selected.

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkMask.h"

#include <algorithm>
#include <cstring>

namespace {

struct TBoxOrigin {
    int32_t X;
    int32_t Y;
};

// 8-bit strength s blends source into destination by s / 256.
uint8_t BlendColourChannel(uint8_t destination, uint8_t source, int32_t strength)
{
    return static_cast<uint8_t>(destination + (((source - destination) * strength * 1024) >> 18));
}

uint8_t BlendByte(uint8_t destination, uint8_t source, int32_t strength)
{
    return static_cast<uint8_t>(destination + (source - destination) * strength / 256);
}

void CopySelectedPixel(TQkBitmap& destination, int32_t dx, int32_t dy, TQkBitmap& source, int32_t sx, int32_t sy,
                       int32_t strength, bool strengths)
{
    const TQkPixelFormat format = destination.GetPixelFormat();
    const uint8_t* from = source.GetScanline(sy);
    uint8_t* to = destination.GetScanline(dy);
    if (!from || !to)
        return;
    if (format == qk1g) {
        SetBit(to, dx, GetBit(from, sx));
        return;
    }
    const int32_t bytes = QkBytesPerPixel(format);
    if (!strengths) {
        std::memcpy(to + static_cast<int64_t>(dx) * bytes, from + static_cast<int64_t>(sx) * bytes,
                    static_cast<size_t>(bytes));
    } else if (format == qk24RGB) {
        for (int32_t channel = 0; channel < 3; ++channel)
            to[dx * 3 + channel] = BlendColourChannel(to[dx * 3 + channel], from[sx * 3 + channel], strength);
    } else if (bytes == 1) {
        to[dx] = BlendByte(to[dx], from[sx], strength);
    }
}

} // namespace

void TQkMask::CopyBitmapThroughMask(TQkBitmap& destination, TQkBitmap& source, bool withAlpha, bool sourceHoldsBox,
                                    bool destinationHoldsBox)
{
    if (IsEmpty() || source.GetPixelFormat() != destination.GetPixelFormat())
        return;
    const TBoxOrigin sourceOrigin = sourceHoldsBox ? TBoxOrigin{FLeft, FTop} : TBoxOrigin{0, 0};
    const TBoxOrigin destinationOrigin = destinationHoldsBox ? TBoxOrigin{FLeft, FTop} : TBoxOrigin{0, 0};
    const int32_t right =
        std::min({FRight, source.GetWidth() - 1 + sourceOrigin.X, destination.GetWidth() - 1 + destinationOrigin.X});
    const int32_t bottom =
        std::min({FBottom, source.GetHeight() - 1 + sourceOrigin.Y, destination.GetHeight() - 1 + destinationOrigin.Y});
    const bool strengths = FBitsPerPixel == 8;
    TQkBitmap* alpha = withAlpha ? destination.GetAlphaChannel() : nullptr;
    const bool sourceHasAlpha = source.HasAlphaChannel();
    for (int32_t y = FTop; y <= bottom; ++y) {
        for (int32_t x = FLeft; x <= right; ++x) {
            const int32_t value = GetPixel(x, y);
            const int32_t sx = x - sourceOrigin.X;
            const int32_t sy = y - sourceOrigin.Y;
            const int32_t dx = x - destinationOrigin.X;
            const int32_t dy = y - destinationOrigin.Y;
            if (value != 0)
                CopySelectedPixel(destination, dx, dy, source, sx, sy, value, strengths);
            if (alpha) {
                const int32_t opacity = sourceHasAlpha ? source.GetAlpha(sx, sy) : 255;
                const int32_t limit = strengths ? value : (value != 0 ? 255 : 0);
                alpha->SetPixel8(dx, dy, static_cast<uint8_t>(std::min(opacity, limit)));
            }
        }
    }
    if (alpha)
        alpha->SetFull(false);
}
