#pragma once
// Frames, bevels and outlines of the control library. Each routine draws
// with the canvas's pen (one pixel wide, lines without their end point) and
// returns the rectangle left inside what it drew.

#include <cstdint>

#include "controls/TarqTypes.h"
#include "platform/gfx/Canvas.h"

// The left and top sides in `upperLeft`, the right and bottom sides in
// `lowerRight`; a clNone colour is skipped but its sides still shrink the
// result by one pixel.
TRect DrawEdgeLines(TCanvas& canvas, const TRect& bounds, TColor upperLeft, TColor lowerRight, TSides sides);
// `count` rings of DrawEdgeLines, each inside the previous one.
TRect DrawBevelRings(TCanvas& canvas, const TRect& bounds, TColor upperLeft, TColor lowerRight, TSides sides,
                     int32_t count);
TRect DrawSunkenRaisedEdge(TCanvas& canvas, const TRect& bounds, bool lowered, TSides sides);
TRect DrawButtonEdge(TCanvas& canvas, const TRect& bounds, bool down, TSides sides);
TRect DrawTintedButtonEdge(TCanvas& canvas, const TRect& bounds, TColor faceColor, TSides sides, bool down);

// Frame styles in the system colours (fsFlatRounded draws nothing).
TRect DrawFrameStyleSides(TCanvas& canvas, const TRect& bounds, TFrameStyle style, TSides sides);
TRect DrawFrameStyle(TCanvas& canvas, const TRect& bounds, TFrameStyle style);
// Frame styles in shades of a face colour.
TRect DrawTintedFrameStyleSides(TCanvas& canvas, const TRect& bounds, TColor faceColor, TSides sides,
                                TFrameStyleEx style);
TRect DrawTintedFrameStyle(TCanvas& canvas, const TRect& bounds, TColor faceColor, TFrameStyleEx style);

TRect DrawRectOutline(TCanvas& canvas, const TRect& bounds, TColor lineColor);
// Black pixels at x1 + 1, x1 + 3, ... below x2 (DotVertLine down a column).
void DotHorzLine(TCanvas& canvas, int32_t x1, int32_t x2, int32_t y);
void DotVertLine(TCanvas& canvas, int32_t x, int32_t y1, int32_t y2);
TRect DrawDottedFocusRect(TCanvas& canvas, const TRect& bounds);
// An outline whose corners are cut by one pixel on the sides given.
TRect DrawRoundedOutline(TCanvas& canvas, const TRect& bounds, TColor color, TSides sides);

// The two styled borders of panels, labels and progress bars, with
// `BorderWidth` rings of the border colour between them.
struct TBorderPair {
    TFrameStyleEx Outer = fsNone;
    TFrameStyleEx Inner = fsNone;
    int32_t BorderWidth = 0;
    TSides Sides = AllSides;
    int32_t BevelWidth = 1;
    TColor BorderColor = clBtnFace;
    TColor BorderHighlight = clBtnHighlight;
    TColor BorderShadow = clBtnShadow;
    TColor FlatColor = clBtnShadow;
    int32_t FlatColorAdjustment = 30;
    TColor Color = clBtnFace;
    TColor ParentColor = clBtnFace;
    bool Transparent = false;
    // An inner fsFlat ring with open corners on all four sides.
    bool SoftInnerFlat = false;
};
// Returns the interior.
TRect DrawBorderPair(TCanvas& canvas, const TRect& bounds, const TBorderPair& border);

// The non-client frame of framed edits, combo boxes and list views over
// (0, 0, width, height); unless `keepRim`, the two outer rings are first
// repainted in the control's colour.
TRect DrawControlFrame(TCanvas& canvas, int32_t width, int32_t height, TSides sides, TColor frameColor, TColor color,
                       TFrameStyle style, bool keepRim);

// How far a border style reaches in on one side (fsStatus and fsPopup take
// `bevelWidth`).
int32_t FrameStyleWidth(TFrameStyleEx style, int32_t bevelWidth);
// `rect` less the outer and then the inner border on each side given.
TRect ShrinkRectForBorders(const TRect& rect, TFrameStyleEx outer, TFrameStyleEx inner, TSides sides,
                           int32_t bevelWidth);
