#pragma once
// The three pf24bit frames of a transition (the image left, the image
// arrived at and the frame being painted) with their cached row addresses,
// and what the effects paint with.

#include <cstdint>
#include <vector>

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Geometry.h"

class TQkBitmap;
class TQkView;

struct TQkTransitionFrames {
    TBitmap Start{1, 1, pf24bit};
    TBitmap Target{1, 1, pf24bit};
    TBitmap Current{1, 1, pf24bit};
    std::vector<uint8_t*> StartRows;
    std::vector<uint8_t*> TargetRows;
    std::vector<uint8_t*> CurrentRows;
    int32_t Width = 1;
    int32_t Height = 1;

    // Copies both images as pf24bit (they have one size); the current frame
    // starts as the start image.
    void Load(const TBitmap& start, const TBitmap& target);
    // Back to 1 x 1: the current frame, the start and the target image.
    void Clear();
    // Row addresses go stale when a frame is reallocated.
    void CacheRows();
};

// Effect 213's source and its rectangles (left, top, right, bottom) at
// position 0 and at 1024.
struct TQkTransitionZoom {
    TQkBitmap* Source = nullptr;
    TRect From;
    TRect To;
};

// Everything an effect paints with; the random progress is how many random
// pixels per row or boxes effects 25 and 26 have painted so far.
struct TQkTransitionCanvas {
    TQkTransitionFrames& Frames;
    TQkView& View;
    const TQkTransitionZoom& Zoom;
    int32_t& RandomProgress;
};

constexpr int32_t TransitionEnd = 1024;
constexpr int32_t ZoomEffect = 213;

// position x size >> 10: how much of `size` the position has covered.
inline int32_t TransitionShare(int32_t position, int32_t size)
{
    return static_cast<int32_t>((int64_t{position} * size) >> 10);
}

// Paints `effect` at `position` (0 .. 1024) into the current frame.
void PaintTransitionEffect(TQkTransitionCanvas& canvas, int32_t effect, int32_t position);

// The engine's own effects: those on the row addresses, those drawn with
// canvas operations, and the rectangle zoom.
bool PaintRowEffect(TQkTransitionCanvas& canvas, int32_t effect, int32_t position);
bool PaintCanvasEffect(TQkTransitionCanvas& canvas, int32_t effect, int32_t position);
void PaintZoomEffect(TQkTransitionCanvas& canvas, int32_t position);
