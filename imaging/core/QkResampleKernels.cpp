#include "imaging/core/QkResampleKernels.h"

#include <array>
#include <cmath>
#include <numbers>

namespace {

double Sinc(double x)
{
    if (x == 0)
        return 1;
    const double angle = std::numbers::pi * x;
    return std::sin(angle) / angle;
}

// Indexed by filter ordinal minus 1.
constexpr std::array<TResampleKernel, 8> Kernels = {{
    {TriangleKernel, 1.0},
    {HermiteKernel, 1.0},
    {BellKernel, 1.5},
    {BSplineKernel, 2.0},
    {Lanczos3Kernel, 3.0},
    {MitchellKernel, 2.0},
    {BoxKernel, 1.0},
    {LinearKernel, 1.0},
}};

} // namespace

double TriangleKernel(double x)
{
    const double t = std::fabs(x);
    return t < 1 ? 1 - t : 0;
}

double HermiteKernel(double x)
{
    const double t = std::fabs(x);
    return t < 1 ? (2 * t - 3) * t * t + 1 : 0;
}

double BellKernel(double x)
{
    const double t = std::fabs(x);
    if (t < 0.5)
        return 0.75 - t * t;
    if (t < 1.5)
        return 0.5 * (t - 1.5) * (t - 1.5);
    return 0;
}

double BSplineKernel(double x)
{
    const double t = std::fabs(x);
    if (t < 1)
        return 0.5 * t * t * t - t * t + 2.0 / 3;
    if (t < 2)
        return (2 - t) * (2 - t) * (2 - t) / 6;
    return 0;
}

double Lanczos3Kernel(double x)
{
    const double t = std::fabs(x);
    return t < 3 ? Sinc(t) * Sinc(t / 3) : 0;
}

// B = C = 1/3.
double MitchellKernel(double x)
{
    const double t = std::fabs(x);
    if (t < 1)
        return (7 * t * t * t - 12 * t * t + 16.0 / 3) / 6;
    if (t < 2)
        return (-(7.0 / 3) * t * t * t + 12 * t * t - 20 * t + 32.0 / 3) / 6;
    return 0;
}

double BoxKernel(double x) { return x > -0.5 && x <= 0.5 ? 1 : 0; }

double LinearKernel(double x)
{
    if (x >= -1 && x < 0)
        return x + 1;
    if (x >= 0 && x < 1)
        return 1 - x;
    return 0;
}

bool IsKernelFilter(TResampleFilter filter) { return filter >= rfTriangle && filter <= rfLinear; }

const TResampleKernel& ResampleKernelOf(TResampleFilter filter)
{
    return Kernels[IsKernelFilter(filter) ? filter - rfTriangle : 0];
}
