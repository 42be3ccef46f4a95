#pragma once
// Painted glyphs of the control library: the check-box square, the gradient
// ring of hot check boxes, drop-down and direction arrows and the close cross.

#include <cstdint>

#include "controls/TarqTypes.h"
#include "platform/gfx/Canvas.h"

enum TCheckDrawState : uint8_t { cdsNormal, cdsPressed, cdsHot, cdsDisabled };

struct TCheckBoxColors {
    TColor Frame = clBtnShadow;
    TColor Glyph = clWindowText;
    TColor Fill = clWindow;
    TColor Focus = clWindow;
    TColor Disabled = clBtnFace;
    TColor ReadOnly = clInfoBk;
    TColor HotDark = clBtnShadow;
    TColor HotLight = clBtnHighlight;
};

struct TCheckBoxLook {
    TCheckBoxState CheckState = cbUnchecked;
    TCheckDrawState DrawState = cdsNormal;
    bool Focused = false;
    TTarqButtonHotTrackStyle HotTrackStyle = htsInterior;
    bool ReadOnly = false;
    bool ReadOnlyColorOnFocus = false;
    TCheckBoxColors Colors;
};

void DrawCheckBoxSquare(TCanvas& canvas, const TRect& bounds, const TCheckBoxLook& look);

// A gradient on the two-pixel ring inside `bounds` (full-colour displays only);
// leaves the canvas without a clip region.
void DrawGradientRing(TCanvas& canvas, const TRect& bounds, TGradientDirection direction, TColor start, TColor stop);

enum TArrowDirection : uint8_t { adUp, adDown, adLeft, adRight };

void DrawDropDownArrow(TCanvas& canvas, const TRect& rect, bool xpStyle, bool enabled, bool pressed);
void DrawDirectionArrow(TCanvas& canvas, const TRect& rect, bool xpStyle, bool enabled, bool pressed,
                        TArrowDirection direction);
void DrawCloseCross(TCanvas& canvas, const TRect& rect, bool xpStyle, bool enabled, bool pressed);
