#pragma once
// Frame-rate conversion of encoded video: how many times each filtered frame
// is written, by duplication and dropping, under the job's video sync method.

#include <cstdint>

// "vsync" values.
constexpr int32_t VsyncAuto = -1;
constexpr int32_t VsyncPassThrough = 0;
constexpr int32_t VsyncCfr = 1;
constexpr int32_t VsyncVfr = 2;
constexpr int32_t VsyncDrop = 255;

// The automatic method becomes pass-through for muxers that take variable
// frame rates without time stamps, variable for those that take variable
// frame rates, constant otherwise. FormatFlags are the muxer's AVFMT_ flags.
int32_t ResolveVideoSync(int32_t Method, int32_t FormatFlags);

struct TVideoCopies {
    int64_t Copies = 0; // frames to write, 0 when dropped
    int64_t SyncOpts = 0; // the stream's sync position before the first copy
    bool Dropped = false; // counts as one dropped frame
    bool TooManyCopies = false; // the gap was too large to fill: dropped and logged as an error
};

// Delta is the frame's pts minus the sync position plus its duration, all in
// encoder time-base units; FramesLeft is the frame limit minus the frames
// written; DtsErrorThreshold is in seconds. Raises FFmpegException "Never
// occur" for an unknown method (which must be resolved already).
TVideoCopies VideoFrameCopies(int32_t Method, double FramePts, double Delta, int64_t SyncOpts, int64_t FramesLeft,
                              double DtsErrorThreshold);
