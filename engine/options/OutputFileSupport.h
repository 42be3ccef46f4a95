#pragma once
// What opening, joining and closing output files share inside the engine.

#include <cstdint>

struct AVFormatContext;
struct TOptionsContext;
class TCustomFFmpegOpt;

// The input streams automatic selection takes (-1: none): the video stream
// of the largest area, the audio stream with most channels, the first
// subtitle stream. OnlyFile >= 0 limits the choice to that input file.
struct TAutoSelection {
    int32_t Video = -1;
    int32_t Audio = -1;
    int32_t Subtitle = -1;
};
TAutoSelection SelectStreamsAutomatically(TCustomFFmpegOpt& Job, TOptionsContext* Context, AVFormatContext* Output,
                                          int32_t OnlyFile);
