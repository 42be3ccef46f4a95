// Drawing the selection on a canvas.

#include "imaging/core/QkMask.h"

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"

#include <algorithm>
#include <cstring>

void TQkMask::DrawInverted(TCanvas& canvas, const TRect& destination, const TRect& source)
{
    if (FBitsPerPixel != 1 || IsEmpty())
        return;
    TBitmap plane(FWidth, FHeight, pf1bit);
    const auto length = static_cast<size_t>(std::min<int64_t>(plane.RowBytes(), FRowLen));
    for (int32_t y = 0; y < FHeight; ++y)
        std::memcpy(plane.ScanLine(y), GetScanline(y), length);
    // A 1-bit source takes the canvas's background colour for its set bits
    // and the text colour for the others: white inverts under SRCINVERT and
    // black leaves the pixel alone.
    const TColor text = canvas.TextColor();
    const TColor background = canvas.BackgroundColor();
    canvas.SetTextColor(clBlack);
    canvas.SetBackgroundColor(clWhite);
    canvas.StretchBlt(destination.Left, destination.Top, destination.Width(), destination.Height(), plane.Canvas(),
                      source.Left, source.Top, source.Width(), source.Height(), SRCINVERT);
    canvas.SetTextColor(text);
    canvas.SetBackgroundColor(background);
}
