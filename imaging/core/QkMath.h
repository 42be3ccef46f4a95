#pragma once
// Powers, angles, fractions and small choices of the imaging library.

#include <cstdint>

#include "imaging/core/QkSettings.h"

// base^exponent by repeated squaring; the reciprocal for a negative exponent.
long double QkIntPower(long double base, int32_t exponent);
long double FloatPower(long double base, long double exponent);
// Short paths for the exponents 0, +-1 and +-2.
double FastPower(double base, double exponent);
double QkArcTan2(double y, double x);
// 0 for x >= 1 and pi for x <= -1.
double QkArcCos(double x);
// A fraction within `tolerance` of `value` by continued fractions; returns
// the numerator. Very small values give +-1/999999999, very large ones
// +-999999999/1 (every value beyond the 32-bit range of the parts).
int32_t FloatToRational(int32_t& numerator, int32_t& denominator, double tolerance, double value);

inline int32_t IfThenInt(bool condition, int32_t a, int32_t b) { return condition ? a : b; }
inline double IfThenDouble(bool condition, double a, double b) { return condition ? a : b; }
inline uint8_t IfThenByte(bool condition, uint8_t a, uint8_t b) { return condition ? a : b; }

// Scales (width, height) to fit the box keeping its proportions, each side
// at least 1; leaves the results alone when width or height is 0.
void FitSizeInBox(int32_t width, int32_t height, int32_t boxWidth, int32_t boxHeight, int32_t& newWidth,
                  int32_t& newHeight);
inline bool SameGUID(const TQkGUID& a, const TQkGUID& b) { return a == b; }
