#pragma once
// The two styled borders of the library's bordered surfaces (label, panel,
// progress bar) with their colours, and how a frame controller sets them.

#include <cstdint>

#include "controls/TarqFrameController.h"
#include "controls/TarqTypes.h"
#include "platform/gfx/Colors.h"

class TControl;

struct TTarqBorder {
    explicit TTarqBorder(TFrameStyleEx outerStyle) : outer(outerStyle) {}

    TFrameStyleEx outer;
    TFrameStyleEx inner = fsNone;
    TSides sides = AllSides;
    int32_t width = 0;
    int32_t bevelWidth = 1;
    TColor color = clBtnFace;
    TColor highlight = clBtnHighlight;
    TColor shadow = clBtnShadow;
    TColor flatColor = clBtnShadow;
    int32_t flatColorAdjustment = 30;

    // Takes the outer style, the sides and the flat colour (as it stands,
    // unadjusted) that `accepted` lets the controller set.
    void Apply(const TTarqFrameController& controller, TTarqFrameControllerNotifications accepted);
    // The same, with the surface's Color or ParentColor from the controller and
    // the bevel colours shaded from the colour that results.
    void Apply(const TTarqFrameController& controller, TTarqFrameControllerNotifications accepted, TControl& surface);
};
