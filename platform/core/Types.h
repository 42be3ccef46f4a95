#pragma once
// Numeric helpers shared by every folder: the class library's rounding and
// truncation rules and the microsecond time unit.

#include <cstdint>

// Rounds to the nearest integer, halves to the even neighbour (the floating-
// point unit's default mode that the class library's Round relies on).
// NaN and values outside the int64 range give INT64_MIN, the "integer
// indefinite" value the masked floating-point unit stores.
int64_t Round(long double value);

// Cuts toward zero; NaN and out-of-range values give INT64_MIN like Round.
int64_t Trunc(long double value);

// The window system's MulDiv: number * numerator / denominator over a 64-bit
// product, rounded half away from zero; -1 for a zero divisor or a result
// outside 32 bits.
int32_t MulDiv(int32_t number, int32_t numerator, int32_t denominator);

// Media and clock times are 64-bit microsecond counts.
using TMicroseconds = int64_t;
constexpr TMicroseconds MicrosecondsPerMillisecond = 1000;
constexpr TMicroseconds MicrosecondsPerSecond = 1000000;

constexpr double MicrosecondsToSeconds(TMicroseconds us) { return static_cast<double>(us) / MicrosecondsPerSecond; }
// Rounded half to even to the nearest microsecond.
TMicroseconds SecondsToMicroseconds(double seconds);

// Pins the C and C++ number locale to "C" so that formatting and parsing of
// numbers never follow the user's locale. Called once at start-up; calling
// it again is harmless.
void PinNumberLocale();
