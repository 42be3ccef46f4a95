#pragma once
// The frame state of a framed control and of the frame controller, with its
// defaults: one value, so that every framed control keeps, shows and
// publishes its frame the same way whatever platform class it derives from.

#include <cstdint>

#include "controls/TarqTypes.h"
#include "platform/gfx/Colors.h"

class TCanvas;

struct TTarqFrameSettings {
    TColor color = clBtnShadow;
    TColor hotColor = clBtnShadow;
    bool hotTrack = false;
    TFrameStyle hotStyle = fsFlatBold;
    TSides sides = AllSides;
    TFrameStyle style = fsFlat;
    bool visible = false;
    TFramingPreference framingPreference = fpXPThemes;

    // A hot control (hovered or focused) shows the hot look while hot tracking is on.
    TFrameStyle CurrentStyle(bool hot) const { return hotTrack && hot ? hotStyle : style; }
    TColor CurrentColor(bool hot) const { return hotTrack && hot ? hotColor : color; }
    // The visual theme draws the frame rather than the control.
    bool UsesThemes() const;
    // The control draws a frame of its own.
    bool Drawn() const { return visible && !UsesThemes(); }

    // Sets hot tracking; false for the current value. Switched on outside
    // loading, it frames every side (a form resource's own sides stay).
    bool TakeHotTrack(bool value, bool loading);

    // The non-client frame over (0, 0, width, height) of an edit-like control
    // with the background `color`, when the control draws its own.
    void DrawNonClient(TCanvas& canvas, int32_t width, int32_t height, TColor background, bool hot) const;
};
