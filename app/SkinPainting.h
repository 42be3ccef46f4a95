#pragma once
// The window's painted background: a small skin picture spread over any
// window size so that its corners stay undistorted (the top corners 40 × 40,
// the bottom ones 20 × 20) and its edges and centre stretch between them.

#include <cstdint>
#include <vector>

#include "platform/gfx/Geometry.h"
#include "platform/gfx/Region.h"

class TBitmap;
class TCanvas;

// One piece of the skin: copied from `Source` to `Target`, through an
// intermediate bitmap of `Intermediate` size when it stretches ({0, 0} for the
// corners, copied as they are). Rectangles exclude right and bottom.
struct TSkinPiece {
    TRect Source;
    TSize Intermediate;
    TRect Target;
};

// The nine pieces for a skin of skinWidth × skinHeight on a width × height
// target: four corners, then the top, left, right and bottom edges and the centre.
std::vector<TSkinPiece> SkinPieces(int32_t skinWidth, int32_t skinHeight, int32_t width, int32_t height);

// Paints `skin` over the rectangle (0, 0, width, height) of `canvas`.
void PaintSkin(TCanvas& canvas, TBitmap& skin, int32_t height, int32_t width);

// The window's rounded shape around the skin's picture at `imageBounds`.
TRegion SkinRegion(const TRect& imageBounds);
