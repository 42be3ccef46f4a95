#pragma once
// Bitmap subtitles fed to video filter graphs as pictures ("sub2video"): a
// subtitle stream bound to a video pad of a "filter_complex" graph gets a
// canvas, redrawn with each subtitle, cleared when it ends and pushed again
// while the graph waits for it, so that an overlay keeps going.

#include <cstdint>

#include "engine/options/FFmpegOpt.h"

// Gives the subtitle stream its canvas: the codec's size, else the largest
// video of the same file, each at least 720x576 when still unknown. The
// stream's resample size and format describe the canvas. 0 or -12.
int32_t Sub2VideoPrepare(TCustomFFmpegOpt& Job, TInputStream* Ist);

// Redraws the canvas with Subtitle's bitmaps and pushes it at the
// subtitle's start; without a subtitle, pushes it cleared at the stored end.
// Nothing happens for a stream without a canvas.
void Sub2VideoUpdate(TCustomFFmpegOpt& Job, TInputStream* Ist, const AVSubtitle* Subtitle);

// A packet of Ist at Pts (Ist's time base) was read: every canvas of the same
// file is cleared when its subtitle has ended and pushed again when its
// graph is waiting for it.
void Sub2VideoHeartbeat(TCustomFFmpegOpt& Job, TInputStream* Ist, int64_t Pts);

// Ends every graph input the subtitle stream feeds.
void Sub2VideoFlush(TCustomFFmpegOpt& Job, TInputStream* Ist);
