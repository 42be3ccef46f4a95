#include "app/PreviewGeometry.h"

#include <cmath>
#include <cstdio>

std::string FormatTimeStamp(int64_t microseconds)
{
    const long long hours = microseconds / 3'600'000'000LL;
    const int minutes = static_cast<int>((microseconds / 60'000'000LL) % 60);
    const int seconds = static_cast<int>((microseconds / 1'000'000LL) % 60);
    const int milliseconds = static_cast<int>((microseconds % 1'000'000LL) * 1000 / 1'000'000LL);
    char text[48];
    std::snprintf(text, sizeof text, "%.2lld:%.2d:%.2d.%.3d", hours, minutes, seconds, milliseconds);
    return text;
}

int64_t EstimateFrameCount(int64_t streamDurationUs, int64_t fileDurationUs, int32_t rateNum, int32_t rateDen)
{
    // Halves round to even, as the default rounding mode does.
    const auto pictures = [](int64_t durationUs, double perSecond) {
        return static_cast<int64_t>(std::nearbyint(double(durationUs) / 1'000'000.0 * perSecond));
    };
    if (rateDen > 0) {
        const double rate = double(rateNum) / rateDen;
        if (streamDurationUs > 0)
            return pictures(streamDurationUs, rate);
        if (fileDurationUs >= 0)
            return pictures(fileDurationUs, rate);
        return 0;
    }
    return fileDurationUs >= 0 ? pictures(fileDurationUs, 10.0) : 0;
}

int32_t BarPageSize(int32_t barMax)
{
    if (barMax < 10)
        return 2;
    if (barMax < 100)
        return 5;
    return barMax / 20;
}
