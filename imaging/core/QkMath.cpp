#include "imaging/core/QkMath.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

constexpr double MaxRationalPart = 999999999;
constexpr int MaxRationalTerms = 64;

bool IsWhole(long double value) { return std::trunc(value) == value; }

long double LogPower(long double base, long double exponent) { return std::exp2(exponent * std::log2(base)); }

} // namespace

long double QkIntPower(long double base, int32_t exponent)
{
    long double result = 1;
    long double square = base;
    for (uint32_t bits = static_cast<uint32_t>(std::llabs(exponent)); bits != 0; bits >>= 1) {
        if ((bits & 1) != 0)
            result *= square;
        square *= square;
    }
    return exponent < 0 ? 1 / result : result;
}

long double FloatPower(long double base, long double exponent)
{
    if (exponent == 0)
        return 1;
    if (base == 0 && exponent > 0)
        return 0;
    if (IsWhole(exponent) && std::fabs(exponent) <= 2147483647)
        return QkIntPower(base, static_cast<int32_t>(exponent));
    return LogPower(base, exponent);
}

double FastPower(double base, double exponent)
{
    if (std::fabs(exponent) >= 2147483647 || !IsWhole(exponent))
        return base == 0 ? 0 : static_cast<double>(LogPower(base, exponent));
    if (base == 0)
        return exponent == 0 ? 1 : 0;
    switch (static_cast<int32_t>(exponent)) {
    case 0: return 1;
    case 1: return base;
    case 2: return base * base;
    case -1: return 1 / base;
    case -2: return 1 / (base * base);
    default: return static_cast<double>(QkIntPower(base, static_cast<int32_t>(exponent)));
    }
}

double QkArcTan2(double y, double x) { return std::atan2(y, x); }

double QkArcCos(double x)
{
    if (x >= 1)
        return 0;
    if (x <= -1)
        return M_PI;
    return QkArcTan2(std::sqrt(1 - x * x), x);
}

int32_t FloatToRational(int32_t& numerator, int32_t& denominator, double tolerance, double value)
{
    const int32_t sign = value < 0 ? -1 : 1;
    const double magnitude = std::fabs(value);
    if (magnitude > MaxRationalPart) {
        numerator = sign * static_cast<int32_t>(MaxRationalPart);
        denominator = 1;
    } else if (IsWhole(magnitude)) {
        numerator = sign * static_cast<int32_t>(magnitude);
        denominator = 1;
    } else if (magnitude < 1e-19) {
        numerator = sign;
        denominator = static_cast<int32_t>(MaxRationalPart);
    } else {
        double before = 0;
        double current = 1;
        double remainder = magnitude - std::trunc(magnitude);
        double top = std::trunc(magnitude + 0.5);
        for (int term = 0;
             term < MaxRationalTerms && std::fabs(magnitude - top / current) >= tolerance && remainder != 0; ++term) {
            const double inverse = 1 / remainder;
            const double next = before + std::trunc(inverse) * current;
            if (next > MaxRationalPart || std::trunc(magnitude * next + 0.5) > MaxRationalPart)
                break;
            remainder = inverse - std::trunc(inverse);
            before = current;
            current = next;
            top = std::trunc(magnitude * current + 0.5);
        }
        numerator = sign * static_cast<int32_t>(top);
        denominator = static_cast<int32_t>(current);
    }
    return numerator;
}

void FitSizeInBox(int32_t width, int32_t height, int32_t boxWidth, int32_t boxHeight, int32_t& newWidth,
                  int32_t& newHeight)
{
    if (width == 0 || height == 0)
        return;
    const double scale = std::min(static_cast<double>(boxHeight) / height, static_cast<double>(boxWidth) / width);
    newWidth = std::max<int32_t>(1, static_cast<int32_t>(std::clamp<double>(width * scale, 0, 2147483647)));
    newHeight = std::max<int32_t>(1, static_cast<int32_t>(std::clamp<double>(height * scale, 0, 2147483647)));
}
