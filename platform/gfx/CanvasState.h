#pragma once
// Internal records of TCanvas: a saved drawing state and a realised brush.

#include "platform/gfx/Canvas.h"

struct TCanvas::TSavedState {
    TPen Pen;
    TBrush Brush;
    TFont Font;
    TPoint PenPos;
    TCopyMode CopyMode = SRCCOPY;
    TColor TextColor = clBlack;
    TColor BackColor = clWhite;
    TBackgroundMode BackMode = OPAQUE;
    uint32_t TextAlign = 0;
    TStretchMode StretchMode = BLACKONWHITE;
    TPolyFillMode PolyFillMode = ALTERNATE;
    TPoint BrushOrigin;
    TPoint Viewport;
    std::optional<TRegion> ClipRegion;
};

// The brush as raw pixel values of the target: one value when solid, else
// an 8x8 cell pattern aligned to the brush origin, with the cells that a
// transparent hatch leaves alone cleared in `Painted`.
struct TCanvas::TBrushPattern {
    bool Clear = false;
    bool Solid = false;
    uint32_t Cells[64] = {};
    uint64_t Painted = ~uint64_t{0};
};
