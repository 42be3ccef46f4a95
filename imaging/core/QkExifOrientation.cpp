#include "imaging/core/QkExifOrientation.h"

#include <memory>

#include "imaging/core/QkBitmapRoutines.h"
#include "imaging/core/QkRotate.h"

namespace {

constexpr double counterClockwise = 90;
constexpr double clockwise = -90;

// A quarter turn of the pixels and of the alpha channel with them.
void TurnQuarter(TQkBitmap& bitmap, double angle)
{
    std::unique_ptr<TQkBitmap> alpha;
    if (bitmap.HasAlphaChannel()) {
        alpha = std::make_unique<TQkBitmap>();
        alpha->Assign(bitmap.GetAlphaChannel());
        RotateBitmap(*alpha, 0, nullptr, TQkProgressEvent(), angle);
    }
    RotateBitmap(bitmap, 0, nullptr, TQkProgressEvent(), angle);
    if (alpha)
        bitmap.AttachAlphaChannel(std::move(alpha));
}

} // namespace

void ApplyEXIFOrientation(TQkBitmap& bitmap, int32_t orientation)
{
    switch (orientation) {
    case 2: FlipBitmap(bitmap, qkFlipHorizontal); break;
    case 3:
        FlipBitmap(bitmap, qkFlipVertical);
        FlipBitmap(bitmap, qkFlipHorizontal);
        break;
    case 4: FlipBitmap(bitmap, qkFlipVertical); break;
    // The transpose: mirrored, then turned counter-clockwise.
    case 5:
        FlipBitmap(bitmap, qkFlipHorizontal);
        TurnQuarter(bitmap, counterClockwise);
        break;
    case 6: TurnQuarter(bitmap, clockwise); break;
    // The transverse: mirrored, then turned clockwise.
    case 7:
        FlipBitmap(bitmap, qkFlipHorizontal);
        TurnQuarter(bitmap, clockwise);
        break;
    case 8: TurnQuarter(bitmap, counterClockwise); break;
    default: break;
    }
}
