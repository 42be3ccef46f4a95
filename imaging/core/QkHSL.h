#pragma once
// Conversions between RGB pixels and hue, saturation and lightness, all
// three reals in 0..1.

#include "imaging/core/QkPixels.h"

void RGBPixelToHSL(const TRGBPixel& pixel, double& hue, double& saturation, double& lightness);
// One channel of the HSL to RGB conversion; the hue is wrapped into 0..1.
double HueToChannel(double hue, double m2, double m1);
// The hue is wrapped into 0..1, saturation and lightness limited to it.
void HSLToRGBPixel(double hue, double saturation, double lightness, TRGBPixel& pixel);
