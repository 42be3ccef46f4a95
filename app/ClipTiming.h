#pragma once
// Where a conversion enters its input for a clip.

#include <cstdint>
#include <limits>

// An unset clip start or first time stamp.
inline constexpr int64_t UnsetStart = std::numeric_limits<int64_t>::max();

// The input position of a clip starting at `clipStart`, both times from the
// video stream's start: a negative first time stamp `firstPTS` shifts it.
// 0 while the clip start is unset.
int64_t SeekOffset(int64_t firstPTS, int64_t clipStart);
