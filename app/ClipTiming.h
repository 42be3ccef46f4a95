#pragma once
// Where a conversion enters its input for a clip.

#include <cstdint>
#include <limits>

// Unset times: a clip start or first time stamp holds the INT64 maximum, a
// clip end the INT64 minimum (the engine's missing time stamp).
inline constexpr int64_t UnsetStart = std::numeric_limits<int64_t>::max();
inline constexpr int64_t UnsetEnd = std::numeric_limits<int64_t>::min();
// The time of a picture without a time stamp.
inline constexpr int64_t NoTimeStamp = std::numeric_limits<int64_t>::min();

// The input position of a clip starting at `clipStart`, both times from the
// video stream's start: a negative first time stamp `firstPTS` shifts it.
// 0 while the clip start is unset.
int64_t SeekOffset(int64_t firstPTS, int64_t clipStart);
