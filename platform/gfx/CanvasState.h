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
// transparent hatch leaves alone cleared in `Painted`. A whole-bitmap
// pattern is read from its bitmap as it is used, so a large one costs
// nothing until pixels are painted.
struct TCanvas::TBrushPattern {
    bool Clear = false;
    bool Solid = false;
    uint32_t Cells[64] = {};
    uint64_t Painted = ~uint64_t{0};
    TRasterSurface Whole;
    TRasterSurface Target;
    // The raw values a monochrome pattern's bits 1 and 0 stand for.
    uint32_t One = 0, Zero = 0;

    // The value at (x, y) from the brush origin.
    uint32_t Cell(int32_t x, int32_t y) const
    {
        if (Solid)
            return Cells[0];
        if (Whole.Bits == nullptr)
            return Cells[(y & 7) * 8 + (x & 7)];
        const int32_t px = ((x % Whole.Width) + Whole.Width) % Whole.Width;
        const int32_t py = ((y % Whole.Height) + Whole.Height) % Whole.Height;
        const uint32_t raw = ReadRaw(Whole.Row(py), px, Whole.Bpp);
        if (Whole.IsMono())
            return raw ? One : Zero;
        return RgbToRaw(RawToRgb(raw, Whole.Bpp, Whole.Palette), Target.Bpp, Target.Palette);
    }
    bool PaintedAt(int32_t x, int32_t y) const
    {
        return Whole.Bits != nullptr || (Painted >> ((y & 7) * 8 + (x & 7)) & 1u);
    }
};
