#pragma once
// The arithmetic of the preview: time texts and the track bar's range.

#include <cstdint>
#include <string>

// "hh:mm:ss.mmm" of a time in µs; hours may take more than two digits.
std::string FormatTimeStamp(int64_t microseconds);

// The number of pictures in a source: from the stream's duration and frame
// rate, else the file's duration; 10 per second without a frame rate;
// 0 when nothing is known. Durations of -1 are unknown.
int64_t EstimateFrameCount(int64_t streamDurationUs, int64_t fileDurationUs, int32_t rateNum, int32_t rateDen);

// The bar's largest maximum, whatever the number of pictures.
inline constexpr int32_t LargestBarMax = 32767;
// The page size of a bar whose maximum is `barMax`.
int32_t BarPageSize(int32_t barMax);
