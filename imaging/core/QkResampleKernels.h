#pragma once
// The convolution kernels of the resampler (rfTriangle .. rfLinear): each
// a function of the distance in source pixels and its support, the
// half-width it reaches at scale 1.

#include "imaging/core/QkSettings.h"

using TKernelFunction = double (*)(double x);

struct TResampleKernel {
    TKernelFunction Function;
    double Support;
};

double TriangleKernel(double x);
double HermiteKernel(double x);
double BellKernel(double x);
double BSplineKernel(double x);
double Lanczos3Kernel(double x);
double MitchellKernel(double x);
double BoxKernel(double x);
double LinearKernel(double x);

bool IsKernelFilter(TResampleFilter filter);
// The kernel of rfTriangle .. rfLinear; the triangle for other filters.
const TResampleKernel& ResampleKernelOf(TResampleFilter filter);
