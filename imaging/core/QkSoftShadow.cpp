#include "imaging/core/QkSoftShadow.h"

#include "imaging/core/QkConvolution.h"
#include "imaging/core/QkGaussianBlur.h"
#include "imaging/core/QkRowTable.h"

#include "platform/core/Types.h"

#include <algorithm>
#include <cstdlib>

namespace {

struct TArea {
    int32_t Left;
    int32_t Top;
    int32_t Right;
    int32_t Bottom;
};

TArea Widened(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t by, int32_t width, int32_t height)
{
    return {std::max(x1 - by, 0), std::max(y1 - by, 0), std::min(x2 + by, width - 1), std::min(y2 + by, height - 1)};
}

uint8_t Mix(double share, uint8_t a, uint8_t b) { return static_cast<uint8_t>(Trunc(share * a + (1 - share) * b)); }

// Where the shape is (or the shadow equals it), the pixel is laid over the
// shadow; elsewhere the pixel becomes the shadow.
void CompositeRGB(uint8_t* pixel, uint8_t& alpha, uint8_t shape, const TRGBPixel& colour, double strength)
{
    const uint8_t shadow = alpha;
    if (shape != 0 || shape == shadow) {
        if (shape == 0 || shape == 255) {
            alpha = shape;
            return;
        }
        const double n = shadow / 255.0;
        const double q = shape / 255.0;
        const uint8_t channels[3] = {colour.b, colour.g, colour.r};
        for (int c = 0; c < 3; ++c)
            pixel[c] = Mix(q, pixel[c], Mix(n, channels[c], pixel[c]));
        alpha = static_cast<uint8_t>(Trunc((q + n * (1 - q)) * 255));
        return;
    }
    pixel[0] = colour.b;
    pixel[1] = colour.g;
    pixel[2] = colour.r;
    if (strength != 1)
        alpha = static_cast<uint8_t>(Trunc(shadow / strength));
}

void Composite(TQkBitmap& bitmap, TQkBitmap& shape, const TArea& area, const TRGBPixel& colour, int32_t intensity)
{
    const TQkPixelFormat format = bitmap.GetPixelFormat();
    if (format != qk24RGB && format != qk1g)
        return;
    const double strength = 3 - std::clamp(intensity, 0, 100) / 100.0 * 2;
    const TQkRowTable pixels(bitmap, qkaRead | qkaWrite);
    const TQkRowTable alphas(*bitmap.GetAlphaChannel(), qkaRead | qkaWrite);
    const TQkRowTable shapes(shape, qkaRead);
    for (int32_t y = area.Top; y <= area.Bottom; ++y)
        for (int32_t x = area.Left; x <= area.Right; ++x) {
            uint8_t& alpha = alphas[y][x];
            const uint8_t a = shapes[y][x];
            if (format == qk24RGB) {
                CompositeRGB(pixels[y] + 3 * x, alpha, a, colour, strength);
            } else if (a != 0 || a == alpha) {
                alpha = a;
            } else {
                SetBit(pixels[y], x, false);
            }
        }
}

} // namespace

int32_t AddSoftShadow(TQkBitmap& bitmap, int32_t dx, int32_t dy, double radius, int32_t intensity, TColor colour,
                      int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    if (!bitmap.HasAlphaChannel() || bitmap.IsEmpty())
        return 0;
    const bool boxBlur = radius == 0;
    if (boxBlur)
        radius = 2;
    const int32_t margin =
        std::max(2 * std::max(std::abs(dx), std::abs(dy)) + static_cast<int32_t>(Trunc(radius * 5)), 1);
    TQkBitmap& alpha = *bitmap.GetAlphaChannel();
    alpha.SetFull(false);
    TQkBitmap shape;
    shape.Assign(&alpha);
    const int32_t width = bitmap.GetWidth();
    const int32_t height = bitmap.GetHeight();
    const TArea blur = Widened(x1, y1, x2, y2, margin / 2, width, height);
    if (boxBlur)
        Convolve3x3Gray(alpha, BuiltInConvolutionPresets()[BlurPresetIndex], blur.Left, blur.Top, blur.Right + 1,
                        blur.Bottom + 1);
    else
        GaussianBlurGray(alpha, blur.Left, blur.Top, blur.Right, blur.Bottom, radius);
    if ((dx != 0 || dy != 0) && blur.Right >= blur.Left && blur.Bottom >= blur.Top)
        alpha.MoveRect(blur.Left, blur.Top, blur.Right, blur.Bottom, blur.Left + dx, blur.Top + dy, 0, true);
    Composite(bitmap, shape, Widened(x1, y1, x2, y2, margin, width, height), ColorToRGBPixel(colour), intensity);
    return margin;
}
