#include "platform/core/Types.h"

#include <clocale>
#include <cmath>
#include <limits>
#include <locale>

namespace {

constexpr int64_t IntegerIndefinite = std::numeric_limits<int64_t>::min();

// 2^63 as long double: anything at or beyond it does not fit int64_t.
constexpr long double Int64Limit = 9223372036854775808.0L;

bool FitsInt64(long double value) { return !std::isnan(value) && value > -Int64Limit - 1.0L && value < Int64Limit; }

} // namespace

int64_t Round(long double value)
{
    if (!FitsInt64(value))
        return IntegerIndefinite;
    const long double lower = std::floor(value);
    const long double fraction = value - lower; // exact for every finite long double
    long double result = lower;
    if (fraction > 0.5L)
        result = lower + 1.0L;
    else if (fraction == 0.5L && std::fmod(lower, 2.0L) != 0.0L)
        result = lower + 1.0L;
    if (!FitsInt64(result))
        return IntegerIndefinite;
    return static_cast<int64_t>(result);
}

int64_t Trunc(long double value)
{
    if (!FitsInt64(value))
        return IntegerIndefinite;
    return static_cast<int64_t>(std::trunc(value));
}

int32_t MulDiv(int32_t number, int32_t numerator, int32_t denominator)
{
    if (denominator == 0)
        return -1;
    const int64_t product = static_cast<int64_t>(number) * numerator;
    const int64_t magnitude = product < 0 ? -product : product;
    const int64_t divisor = denominator < 0 ? -int64_t(denominator) : int64_t(denominator);
    const int64_t quotient = (magnitude + divisor / 2) / divisor;
    const int64_t result = (product < 0) != (denominator < 0) ? -quotient : quotient;
    if (result < INT32_MIN || result > INT32_MAX)
        return -1;
    return static_cast<int32_t>(result);
}

TMicroseconds SecondsToMicroseconds(double seconds)
{
    return Round(static_cast<long double>(seconds) * MicrosecondsPerSecond);
}

void PinNumberLocale()
{
    std::setlocale(LC_NUMERIC, "C");
    std::locale::global(std::locale(std::locale(), "C", std::locale::numeric));
}
