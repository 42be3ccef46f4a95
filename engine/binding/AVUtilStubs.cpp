#include "engine/binding/AVUtilStubs.h"

#include <algorithm>
#include <cmath>

#include "platform/core/Strings.h"
#include "platform/core/Types.h"

void BindAVUtil(const std::string& fileName, TLibraryHandle library) { AVUTIL_ENTRY_POINTS(FF_BIND_MANDATORY) }

void UnbindAVUtil() { AVUTIL_ENTRY_POINTS(FF_UNBIND) }

double RationalToDouble(AVRational value) { return static_cast<double>(value.num) / static_cast<double>(value.den); }

AVRational InvertRational(AVRational value) { return AVRational{value.den, value.num}; }

AVRational DivideRational(AVRational a, AVRational b)
{
    AVRational result{};
    av::av_reduce(&result.num, &result.den, static_cast<int64_t>(a.num) * b.den, static_cast<int64_t>(a.den) * b.num,
                  2147483647);
    return result;
}

AVRational DoubleToRational(double value, int32_t maximum)
{
    if (std::isnan(value))
        return AVRational{0, 0};
    if (std::isinf(value))
        return AVRational{value < 0 ? -1 : 1, 0};
    // The denominator is a power of two that keeps value * denominator below 2^62,
    // so the numerator always fits 64 bits.
    constexpr double limit = 4611686018427387904.0; // 2^62
    const double magnitude = std::fabs(value);
    const int exponent = std::max(std::ilogb(magnitude + 1e-20) + 1, 0);
    const int64_t denominator = exponent >= 61 ? 1 : int64_t{1} << (61 - exponent);
    const double scaled = std::clamp(value * static_cast<double>(denominator), -limit, limit);
    AVRational result{};
    av::av_reduce(&result.num, &result.den, Round(scaled + 0.5), denominator, maximum);
    return result;
}

std::string TimestampToText(int64_t timestamp)
{
    return timestamp == AV_NOPTS_VALUE ? std::string("NOPTS") : IntToStr(timestamp);
}

std::string TimestampToSecondsText(int64_t timestamp, AVRational timeBase)
{
    if (timestamp == AV_NOPTS_VALUE)
        return "NOPTS";
    return Format("%.6g", static_cast<double>(timestamp) * RationalToDouble(timeBase));
}
