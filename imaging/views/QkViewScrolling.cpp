#include "imaging/views/QkViewScrolling.h"

#include <algorithm>

#include "imaging/views/QkViewArithmetic.h"
#include "platform/core/Types.h"

namespace {

// One zoomed image pixel, at least one view pixel.
int32_t LineUnit(double zoom) { return std::max(SaturateToInt32(Trunc(zoom / 100)), 1); }

} // namespace

int32_t ScrollCommandTarget(int32_t command, int32_t position, int32_t origin, int32_t maxOrigin, double zoom,
                            int32_t viewSize, const TQkScrollBarParams& bar)
{
    const int64_t line = bar.LineStep == -1 ? LineUnit(zoom) : int64_t{LineUnit(zoom)} * bar.LineStep;
    const int64_t page = bar.PageStep == -1 ? viewSize : int64_t{LineUnit(zoom)} * bar.PageStep;
    switch (command) {
    case 0: return position;
    case 1: return maxOrigin;
    case 3: return SaturateToInt32(origin + line);
    case 4: return SaturateToInt32(origin - line);
    case 5: return SaturateToInt32(origin + page);
    case 6: return SaturateToInt32(origin - page);
    default: return 0;
    }
}

int32_t WheelDirection(int32_t delta, const TQkMouseWheelParams& wheel)
{
    const int32_t direction = delta > 0 ? -1 : 1;
    return wheel.InverseDirection ? -direction : direction;
}

double WheelZoom(double zoom, int32_t delta, const TQkMouseWheelParams& wheel)
{
    const int32_t direction = WheelDirection(delta, wheel);
    switch (wheel.Variation) {
    case 0: return zoom + direction * wheel.Value;
    case 1: return zoom + direction * std::max<int64_t>(Round(wheel.Value * zoom / 100), 1);
    default: return zoom;
    }
}

int32_t WheelScrollStep(double zoom, int32_t viewSize, int32_t delta, const TQkMouseWheelParams& wheel)
{
    const int64_t direction = WheelDirection(delta, wheel);
    switch (wheel.Variation) {
    case 0: return SaturateToInt32(direction * wheel.Value * LineUnit(zoom));
    case 1:
        return SaturateToInt32(direction *
                               std::max<int64_t>(Round(static_cast<double>(viewSize) * wheel.Value / 100), 1));
    default: return 0;
    }
}

int32_t SmoothScrollStep(int32_t origin, int32_t target, int32_t divisor)
{
    if (divisor == 0)
        return target;
    return SaturateToInt32(Round(origin - static_cast<double>(origin - target) / divisor));
}
