#include "imaging/views/transitions/QkTransitionFrame.h"

#include <cstring>

#include "imaging/views/transitions/QkDirectPixels.h"
#include "platform/core/Types.h"

void GetProgressSizes(const TRect& rect, int32_t progress, int32_t& w, int32_t& h, int32_t& pw, int32_t& ph)
{
    w = rect.Right - rect.Left;
    h = rect.Bottom - rect.Top;
    if (w >= h) {
        pw = MulDiv(w, progress, 100);
        ph = MulDiv(pw, h, w);
    } else {
        ph = MulDiv(h, progress, 100);
        pw = MulDiv(ph, w, h);
    }
}

namespace {

// Removes the canvas's clip region when the reveal ends, also by an exception.
class TClipScope {
public:
    TClipScope(TCanvas& canvas, const TRegion& region) : FCanvas(canvas) { FCanvas.SelectClipRgn(&region); }
    ~TClipScope() { FCanvas.SelectClipRgn(nullptr); }
    TClipScope(const TClipScope&) = delete;
    TClipScope& operator=(const TClipScope&) = delete;

private:
    TCanvas& FCanvas;
};

TRect FrameBounds(const TTransitionFrame& frame) { return {0, 0, frame.W, frame.H}; }

void CopyThroughDirect(const TTransitionFrame& frame, const TRegion& region, TBitmap& image)
{
    for (const TRect& rect : region.Rects())
        CopyRectDirect(*frame.Canvas.Target(), image, rect, FrameBounds(frame));
}

void Fnv1a(uint32_t& hash, const uint8_t* bytes, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        hash ^= bytes[i];
        hash *= 16777619u;
    }
}

} // namespace

void RevealThrough(const TTransitionFrame& frame, const TRegion& region, TBitmap& image)
{
    if (PlainCanvasFor(frame.Canvas, image)) {
        CopyThroughDirect(frame, region, image);
        return;
    }
    TRegion inside;
    inside.Combine(region, TRegion(FrameBounds(frame)), RGN_AND);
    TClipScope clip(frame.Canvas, inside);
    CopyWhole(frame, image);
}

void CopyWhole(const TTransitionFrame& frame, TBitmap& image)
{
    frame.Canvas.BitBlt(0, 0, frame.W, frame.H, image.Canvas(), 0, 0, SRCCOPY);
}

TShapeReveal::TShapeReveal(const TTransitionFrame& frame)
    : FFrame(frame), FDirect(PlainCanvasFor(frame.Canvas, frame.Next))
{}

void TShapeReveal::Add(const TRegion& shape)
{
    if (!FDirect) {
        FGathered.AddRegion(shape);
        return;
    }
    CopyThroughDirect(FFrame, shape, FFrame.Next);
}

void TShapeReveal::Finish()
{
    if (FGathered.Count() > 0)
        RevealThrough(FFrame, FGathered.MakeRegion());
}

uint32_t ImageSeed(const TBitmap& image)
{
    uint32_t hash = 2166136261u;
    for (const int32_t size : {image.Width(), image.Height()}) {
        uint8_t bytes[4];
        std::memcpy(bytes, &size, sizeof bytes);
        Fnv1a(hash, bytes, sizeof bytes);
    }
    if (image.Width() > 0 && image.Height() > 0)
        Fnv1a(hash, image.ScanLine(0),
              static_cast<size_t>((image.Width() * BitsPerPixel(image.PixelFormat()) + 7) / 8));
    return hash;
}

TImageSeededRandom::TImageSeededRandom(const TBitmap& next) : FSaved(SaveRandomState())
{
    SetRandSeed(ImageSeed(next));
}

TImageSeededRandom::~TImageSeededRandom() { RestoreRandomState(FSaved); }
