#pragma once
// The window system's bevels and standard control faces, in the colours of
// the system-colour table.

#include "platform/gfx/Canvas.h"

#include <cstdint>

// Edge kinds of DrawEdge.
constexpr uint32_t BDR_RAISEDOUTER = 0x1, BDR_SUNKENOUTER = 0x2, BDR_RAISEDINNER = 0x4, BDR_SUNKENINNER = 0x8,
                   BDR_OUTER = 0x3, BDR_INNER = 0xC, EDGE_RAISED = 0x5, EDGE_SUNKEN = 0xA, EDGE_ETCHED = 0x6,
                   EDGE_BUMP = 0x9;
// Sides and options of DrawEdge.
constexpr uint32_t BF_LEFT = 0x1, BF_TOP = 0x2, BF_RIGHT = 0x4, BF_BOTTOM = 0x8, BF_TOPLEFT = 0x3, BF_BOTTOMRIGHT = 0xC,
                   BF_RECT = 0xF, BF_MIDDLE = 0x800, BF_ADJUST = 0x2000, BF_FLAT = 0x4000, BF_MONO = 0x8000;

// Each ring draws its upper-left colour on the left and top sides, then its
// lower-right colour on the right and bottom sides (so those own the
// top-right and bottom-left corners); the outer ring uses 3-D light / dark
// shadow when raised and button shadow / highlight when sunken, the inner
// ring button highlight / shadow when raised and dark shadow / 3-D light
// when sunken. BF_FLAT draws button shadow and face rings, BF_MONO window
// frame and window rings. BF_MIDDLE fills the inside with the face colour
// (window colour when mono); BF_ADJUST returns the inside in `rect`.
bool DrawEdge(TCanvas& canvas, TRect& rect, uint32_t edge, uint32_t flags);

// Kinds and states of DrawFrameControl.
constexpr uint32_t DFC_SCROLL = 3, DFC_BUTTON = 4;
constexpr uint32_t DFCS_BUTTONCHECK = 0x0, DFCS_BUTTON3STATE = 0x8, DFCS_BUTTONPUSH = 0x10;
constexpr uint32_t DFCS_SCROLLUP = 0x0, DFCS_SCROLLDOWN = 0x1, DFCS_SCROLLLEFT = 0x2, DFCS_SCROLLRIGHT = 0x3,
                   DFCS_SCROLLCOMBOBOX = 0x5;
constexpr uint32_t DFCS_INACTIVE = 0x100, DFCS_PUSHED = 0x200, DFCS_CHECKED = 0x400, DFCS_FLAT = 0x4000,
                   DFCS_MONO = 0x8000;

// Push buttons (raised; sunken when pushed or checked), check boxes (a
// sunken 13 x 13 box centred in the rectangle with a 7 x 7 check mark; grey
// for a checked three-state box) and scroll arrows (a button face with a
// triangle). Other kinds draw nothing and return false.
bool DrawFrameControl(TCanvas& canvas, const TRect& rect, uint32_t kind, uint32_t state);

enum TButtonStyle { bsAutoDetect, bsWin31, bsNew };

// A button's face: a window-frame border when focused, then a raised bevel
// (a button-shadow ring when down) and the face colour. bsWin31 draws a
// black frame (its corners left out when rounded) and `bevelWidth` rings of
// highlight and shadow. Returns the inside.
TRect DrawButtonFace(TCanvas& canvas, const TRect& client, int32_t bevelWidth, TButtonStyle style, bool isRounded,
                     bool isDown, bool isFocused);
