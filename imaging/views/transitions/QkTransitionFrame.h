#pragma once
// What every transition painter starts from: the frame's sizes, the sizes
// the progress has reached, and the ways a painter puts the new image on
// the canvas.

#include <cstdint>

#include "imaging/core/QkRandom.h"
#include "imaging/views/shapes/TComplexRegion.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"
#include "platform/gfx/Geometry.h"
#include "platform/gfx/Region.h"

// W × H of the rectangle and the progress sizes PW × PH: the larger side
// scaled by the progress, the other one keeping the aspect ratio.
void GetProgressSizes(const TRect& rect, int32_t progress, int32_t& w, int32_t& h, int32_t& pw, int32_t& ph);

struct TTransitionFrame {
    TCanvas& Canvas;
    TBitmap& Prev;
    TBitmap& Next;
    int32_t Progress = 0;
    int32_t Factor = 1;
    int32_t W = 0, H = 0, PW = 0, PH = 0;

    int32_t CX() const { return W / 2; }
    int32_t CY() const { return H / 2; }
};

// Copies the whole W × H image onto the canvas through the region; the
// canvas is left unclipped on every path.
void RevealThrough(const TTransitionFrame& frame, const TRegion& region, TBitmap& image);
inline void RevealThrough(const TTransitionFrame& frame, const TRegion& region)
{
    RevealThrough(frame, region, frame.Next);
}
// The painters that build their region by unions draw nothing without one.
inline void RevealUnlessEmpty(const TTransitionFrame& frame, const TRegion& region)
{
    if (!region.Empty())
        RevealThrough(frame, region);
}
// copy(0, 0, W, H ← image 0, 0).
void CopyWhole(const TTransitionFrame& frame, TBitmap& image);

// Reveals the new image through the union of many shapes. On a plain
// canvas each shape is copied as it comes, since copies from one image may
// overlap; otherwise the shapes are gathered into one region for the
// canvas's clip.
class TShapeReveal {
public:
    explicit TShapeReveal(const TTransitionFrame& frame);
    void Add(const TRegion& shape);
    // Shows the gathered shapes, if any; nothing is left to do when they
    // were copied directly.
    void Finish();

private:
    const TTransitionFrame& FFrame;
    bool FDirect;
    TComplexRegion FGathered;
};

// Draws from the library's generator a sequence fixed by the new image, so
// every frame of one transition draws the same numbers, and gives the
// generator back its state afterwards.
class TImageSeededRandom {
public:
    explicit TImageSeededRandom(const TBitmap& next);
    ~TImageSeededRandom();
    TImageSeededRandom(const TImageSeededRandom&) = delete;
    TImageSeededRandom& operator=(const TImageSeededRandom&) = delete;

private:
    TRandomState FSaved;
};

// A stable id of an image: the 32-bit FNV-1a hash of its width, height and
// first row.
uint32_t ImageSeed(const TBitmap& image);
