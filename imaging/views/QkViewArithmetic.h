#pragma once
// Arithmetic shared by the views' coordinate code.

#include <algorithm>
#include <cstdint>

// A rounded or truncated result narrowed to 32 bits, saturating instead of
// wrapping (the rounding helpers answer INT64_MIN for NaN).
inline int32_t SaturateToInt32(int64_t value)
{
    return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}
