#include "imaging/core/QkPixels.h"

#include <cmath>
#include <limits>

#include "imaging/core/QkSettings.h"

namespace {

int32_t ClampToInt32(double x)
{
    if (std::isnan(x))
        return 0;
    if (x <= std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    if (x >= std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(x);
}

} // namespace

int32_t CeilInt(double x) { return ClampToInt32(std::ceil(x)); }

int32_t FloorInt(double x) { return ClampToInt32(std::floor(x)); }

uint8_t RGBPixelToGray(const TRGBPixel& pixel)
{
    return ByteClamp((pixel.r * GrayWeightRed + pixel.g * GrayWeightGreen + pixel.b * GrayWeightBlue) / 100);
}

TRGBPixel ColorToRGBPixel(TColor color)
{
    const TColor rgb = ColorToRGB(color);
    return MakeRGBPixel(static_cast<uint8_t>(rgb), static_cast<uint8_t>(rgb >> 8), static_cast<uint8_t>(rgb >> 16));
}

TRGBAPixel ColorToRGBAPixel(TColor color, uint8_t alpha)
{
    const TRGBPixel pixel = ColorToRGBPixel(color);
    return {pixel.b, pixel.g, pixel.r, alpha};
}

void OrderRectCorners(int32_t& x1, int32_t& y1, int32_t& x2, int32_t& y2)
{
    if (x2 < x1)
        ExchangeInt(x1, x2);
    if (y2 < y1)
        ExchangeInt(y1, y2);
}
