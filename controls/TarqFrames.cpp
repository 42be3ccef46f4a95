#include "controls/TarqFrames.h"

#include "controls/TarqColors.h"

namespace {

void Line(TCanvas& canvas, int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    canvas.MoveTo(x1, y1);
    canvas.LineTo(x2, y2);
}

TRect Ring(TCanvas& canvas, const TRect& bounds, TColor upperLeft, TColor lowerRight, TSides sides)
{
    return DrawEdgeLines(canvas, bounds, upperLeft, lowerRight, sides);
}

TRect ShrinkSides(const TRect& r, TSides sides, int32_t amount)
{
    return {r.Left + (sides.Contains(sdLeft) ? amount : 0), r.Top + (sides.Contains(sdTop) ? amount : 0),
            r.Right - (sides.Contains(sdRight) ? amount : 0), r.Bottom - (sides.Contains(sdBottom) ? amount : 0)};
}

// The two-pixel etched frame of fsGroove and fsBump; corner pixels close the
// gaps where a side is left out.
TRect DrawEtchedFrame(TCanvas& canvas, const TRect& r, TColor upperLeft, TColor lowerRight, TSides sides)
{
    const bool left = sides.Contains(sdLeft), top = sides.Contains(sdTop), right = sides.Contains(sdRight),
               bottom = sides.Contains(sdBottom);
    if (right)
        canvas.SetPixel(r.Right - 1, r.Top, lowerRight);
    if (top && !right)
        canvas.SetPixel(r.Right - 1, r.Top, upperLeft);
    if (bottom)
        canvas.SetPixel(r.Left, r.Bottom - 1, lowerRight);
    if (left && !bottom)
        canvas.SetPixel(r.Left, r.Bottom - 1, upperLeft);
    if (top && !left)
        canvas.SetPixel(r.Left, r.Top + 1, lowerRight);
    if (left && !top)
        canvas.SetPixel(r.Left + 1, r.Top, lowerRight);
    if (bottom && !right)
        canvas.SetPixel(r.Right - 1, r.Bottom - 2, upperLeft);
    if (right && !bottom)
        canvas.SetPixel(r.Right - 2, r.Bottom - 1, upperLeft);
    DrawEdgeLines(canvas, Rect(r.Left + 1, r.Top + 1, r.Right, r.Bottom), lowerRight, lowerRight, sides);
    DrawEdgeLines(canvas, Rect(r.Left, r.Top, r.Right - 1, r.Bottom - 1), upperLeft, upperLeft, sides);
    return ShrinkSides(r, sides, 2);
}

struct TEdgeColors {
    TColor UpperLeft;
    TColor LowerRight;
};

TEdgeColors SystemFrameColors(TFrameStyle style)
{
    switch (style) {
    case fsFlat: return {cl3DDkShadow, cl3DDkShadow};
    case fsGroove:
    case fsStatus: return {clBtnShadow, clBtnHighlight};
    case fsBump:
    case fsPopup: return {clBtnHighlight, clBtnShadow};
    default: return {clBtnShadow, clBtnShadow}; // fsFlatBold
    }
}

TRect DrawFlatRoundedOuter(TCanvas& canvas, const TRect& rect, const TBorderPair& b, TColor flat)
{
    const bool ringInBorderColor = b.BorderWidth > 0 || b.Inner != fsNone;
    if (!b.Transparent) {
        const TRect inner = DrawBevelRings(canvas, rect, b.ParentColor, b.ParentColor, b.Sides, 1);
        const TColor second = ringInBorderColor ? b.BorderColor : b.Color;
        DrawBevelRings(canvas, inner, second, second, b.Sides, 1);
    } else if (ringInBorderColor) {
        DrawBevelRings(canvas, InflateRect(rect, -1, -1), b.BorderColor, b.BorderColor, b.Sides, 1);
    }
    return DrawRoundedOutline(canvas, rect, flat, b.Sides);
}

TRect DrawOuterBorder(TCanvas& canvas, const TRect& rect, const TBorderPair& b, TColor flat)
{
    switch (b.Outer) {
    case fsFlat: return DrawBevelRings(canvas, rect, flat, flat, b.Sides, 1);
    case fsFlatBold: return DrawBevelRings(canvas, rect, flat, flat, b.Sides, 2);
    case fsFlatRounded: return DrawFlatRoundedOuter(canvas, rect, b, flat);
    case fsPopup: return DrawBevelRings(canvas, rect, b.BorderHighlight, b.BorderShadow, b.Sides, b.BevelWidth);
    case fsStatus: return DrawBevelRings(canvas, rect, b.BorderShadow, b.BorderHighlight, b.Sides, b.BevelWidth);
    default: return DrawFrameStyleSides(canvas, rect, b.Outer, b.Sides);
    }
}

TRect DrawSoftFlat(TCanvas& canvas, const TRect& r, TColor flat)
{
    canvas.Pen()->SetColor(flat);
    Line(canvas, r.Left, r.Top + 1, r.Left, r.Bottom - 1);
    Line(canvas, r.Left + 1, r.Top, r.Right - 1, r.Top);
    Line(canvas, r.Right - 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
    Line(canvas, r.Left + 1, r.Bottom - 1, r.Right - 1, r.Bottom - 1);
    return InflateRect(r, -1, -1);
}

TRect DrawInnerBorder(TCanvas& canvas, const TRect& rect, const TBorderPair& b, TColor flat)
{
    switch (b.Inner) {
    case fsFlat:
        return b.SoftInnerFlat ? DrawSoftFlat(canvas, rect, flat)
                               : DrawBevelRings(canvas, rect, flat, flat, b.Sides, 1);
    case fsFlatBold: return DrawBevelRings(canvas, rect, flat, flat, b.Sides, 2);
    case fsFlatRounded: {
        const TRect inner = DrawBevelRings(canvas, rect, b.BorderColor, b.BorderColor, b.Sides, 1);
        if (!b.Transparent)
            DrawBevelRings(canvas, inner, b.Color, b.Color, b.Sides, 1);
        return DrawRoundedOutline(canvas, rect, flat, b.Sides);
    }
    case fsStatus: return DrawBevelRings(canvas, rect, b.BorderShadow, b.BorderHighlight, b.Sides, b.BevelWidth);
    case fsPopup: return DrawBevelRings(canvas, rect, b.BorderHighlight, b.BorderShadow, b.Sides, b.BevelWidth);
    default: return DrawFrameStyleSides(canvas, rect, b.Inner, b.Sides);
    }
}

} // namespace

TRect DrawEdgeLines(TCanvas& canvas, const TRect& bounds, TColor upperLeft, TColor lowerRight, TSides sides)
{
    const TRect& r = bounds;
    if (upperLeft != clNone) {
        canvas.Pen()->SetColor(upperLeft);
        if (sides.Contains(sdLeft))
            Line(canvas, r.Left, r.Top, r.Left, r.Bottom);
        if (sides.Contains(sdTop))
            Line(canvas, r.Left, r.Top, r.Right, r.Top);
    }
    if (lowerRight != clNone) {
        canvas.Pen()->SetColor(lowerRight);
        if (sides.Contains(sdRight))
            Line(canvas, r.Right - 1, r.Top, r.Right - 1, r.Bottom);
        if (sides.Contains(sdBottom))
            Line(canvas, r.Left, r.Bottom - 1, r.Right, r.Bottom - 1);
    }
    return ShrinkSides(r, sides, 1);
}

TRect DrawBevelRings(TCanvas& canvas, const TRect& bounds, TColor upperLeft, TColor lowerRight, TSides sides,
                     int32_t count)
{
    canvas.Pen()->SetWidth(1);
    TRect r = bounds;
    for (int32_t i = 0; i < count; ++i)
        r = DrawEdgeLines(canvas, r, upperLeft, lowerRight, sides);
    return r;
}

TRect DrawSunkenRaisedEdge(TCanvas& canvas, const TRect& bounds, bool lowered, TSides sides)
{
    if (lowered) {
        const TRect r = Ring(canvas, bounds, clBtnShadow, clBtnHighlight, sides);
        return Ring(canvas, r, cl3DDkShadow, cl3DLight, sides);
    }
    const TRect r = Ring(canvas, bounds, cl3DLight, cl3DDkShadow, sides);
    return Ring(canvas, r, clBtnHighlight, clBtnShadow, sides);
}

TRect DrawButtonEdge(TCanvas& canvas, const TRect& bounds, bool down, TSides sides)
{
    if (down) {
        const TRect r = Ring(canvas, bounds, clBtnText, clBtnText, sides);
        return Ring(canvas, r, clBtnShadow, clBtnShadow, sides);
    }
    const TRect r = Ring(canvas, bounds, clBtnHighlight, cl3DDkShadow, sides);
    return Ring(canvas, r, cl3DLight, clBtnShadow, sides);
}

TRect DrawTintedButtonEdge(TCanvas& canvas, const TRect& bounds, TColor faceColor, TSides sides, bool down)
{
    const TColor d100 = DarkenColor(faceColor, 100), d50 = DarkenColor(faceColor, 50);
    if (down) {
        const TRect r = Ring(canvas, bounds, d100, d100, sides);
        return Ring(canvas, r, d50, d50, sides);
    }
    const TRect r = Ring(canvas, bounds, LightenColor(faceColor, 100), d100, sides);
    return Ring(canvas, r, LightenColor(faceColor, 40), d50, sides);
}

TRect DrawFrameStyleSides(TCanvas& canvas, const TRect& bounds, TFrameStyle style, TSides sides)
{
    const TEdgeColors c = SystemFrameColors(style);
    switch (style) {
    case fsFlat:
    case fsStatus:
    case fsPopup: return Ring(canvas, bounds, c.UpperLeft, c.LowerRight, sides);
    case fsLowered:
    case fsRaised: return DrawSunkenRaisedEdge(canvas, bounds, style == fsLowered, sides);
    case fsButtonDown:
    case fsButtonUp: return DrawButtonEdge(canvas, bounds, style == fsButtonDown, sides);
    case fsFlatBold: return DrawBevelRings(canvas, bounds, c.UpperLeft, c.LowerRight, sides, 2);
    case fsGroove:
    case fsBump: return DrawEtchedFrame(canvas, bounds, c.UpperLeft, c.LowerRight, sides);
    default: return bounds;
    }
}

TRect DrawFrameStyle(TCanvas& canvas, const TRect& bounds, TFrameStyle style)
{
    return DrawFrameStyleSides(canvas, bounds, style, AllSides);
}

TRect DrawTintedFrameStyleSides(TCanvas& canvas, const TRect& bounds, TColor faceColor, TSides sides,
                                TFrameStyleEx style)
{
    auto d = [faceColor](uint8_t n) { return DarkenColor(faceColor, n); };
    auto l = [faceColor](uint8_t n) { return LightenColor(faceColor, n); };
    switch (style) {
    case fsFlat: return Ring(canvas, bounds, d(50), d(50), sides);
    case fsGroove: return DrawEtchedFrame(canvas, bounds, d(50), l(100), sides);
    case fsBump:
    case fsFlatRounded: return DrawEtchedFrame(canvas, bounds, l(100), d(50), sides);
    case fsLowered: return Ring(canvas, Ring(canvas, bounds, d(50), l(100), sides), d(100), l(50), sides);
    case fsRaised: return Ring(canvas, Ring(canvas, bounds, l(50), d(100), sides), l(100), d(50), sides);
    case fsButtonDown:
    case fsButtonUp: return DrawTintedButtonEdge(canvas, bounds, faceColor, sides, style == fsButtonDown);
    case fsStatus: return Ring(canvas, bounds, d(50), l(100), sides);
    case fsPopup: return Ring(canvas, bounds, l(100), d(50), sides);
    case fsFlatBold: return DrawBevelRings(canvas, bounds, d(50), d(50), sides, 2);
    default: return bounds;
    }
}

TRect DrawTintedFrameStyle(TCanvas& canvas, const TRect& bounds, TColor faceColor, TFrameStyleEx style)
{
    return DrawTintedFrameStyleSides(canvas, bounds, faceColor, AllSides, style);
}

TRect DrawRectOutline(TCanvas& canvas, const TRect& bounds, TColor lineColor)
{
    return DrawEdgeLines(canvas, bounds, lineColor, lineColor, AllSides);
}

void DotHorzLine(TCanvas& canvas, int32_t x1, int32_t x2, int32_t y)
{
    for (int32_t x = x1 + 1; x < x2; x += 2)
        canvas.SetPixel(x, y, clBlack);
}

void DotVertLine(TCanvas& canvas, int32_t x, int32_t y1, int32_t y2)
{
    for (int32_t y = y1 + 1; y < y2; y += 2)
        canvas.SetPixel(x, y, clBlack);
}

TRect DrawDottedFocusRect(TCanvas& canvas, const TRect& bounds)
{
    const TRect& r = bounds;
    DotVertLine(canvas, r.Left, r.Top, r.Bottom);
    DotVertLine(canvas, r.Right - 1, r.Top, r.Bottom);
    DotHorzLine(canvas, r.Left, r.Right, r.Top);
    DotHorzLine(canvas, r.Left, r.Right, r.Bottom - 1);
    return InflateRect(r, -1, -1);
}

TRect DrawRoundedOutline(TCanvas& canvas, const TRect& bounds, TColor color, TSides sides)
{
    const TRect& r = bounds;
    const bool left = sides.Contains(sdLeft), top = sides.Contains(sdTop), right = sides.Contains(sdRight),
               bottom = sides.Contains(sdBottom);
    const int32_t t = top ? r.Top + 2 : r.Top, b = bottom ? r.Bottom - 2 : r.Bottom;
    const int32_t l = left ? r.Left + 2 : r.Left, rr = right ? r.Right - 2 : r.Right;
    canvas.Pen()->SetColor(color);
    if (left)
        Line(canvas, r.Left, t, r.Left, b);
    if (top)
        Line(canvas, l, r.Top, rr, r.Top);
    if (right)
        Line(canvas, r.Right - 1, t, r.Right - 1, b);
    if (bottom)
        Line(canvas, l, r.Bottom - 1, rr, r.Bottom - 1);
    if (left && top)
        canvas.SetPixel(r.Left + 1, r.Top + 1, color);
    if (top && right)
        canvas.SetPixel(r.Right - 2, r.Top + 1, color);
    if (right && bottom)
        canvas.SetPixel(r.Right - 2, r.Bottom - 2, color);
    if (bottom && left)
        canvas.SetPixel(r.Left + 1, r.Bottom - 2, color);
    return {l, t, rr, b};
}

TRect DrawBorderPair(TCanvas& canvas, const TRect& bounds, const TBorderPair& border)
{
    const TColor flat = ShiftLuminance(border.FlatColor, border.FlatColorAdjustment);
    TRect rect = DrawOuterBorder(canvas, bounds, border, flat);
    if (border.BorderWidth > 0)
        rect = DrawBevelRings(canvas, rect, border.BorderColor, border.BorderColor, border.Sides, border.BorderWidth);
    return DrawInnerBorder(canvas, rect, border, flat);
}

TRect DrawControlFrame(TCanvas& canvas, int32_t width, int32_t height, TSides sides, TColor frameColor, TColor color,
                       TFrameStyle style, bool keepRim)
{
    const TRect r = Rect(0, 0, width, height);
    if (!keepRim)
        DrawBevelRings(canvas, r, color, color, AllSides, 2);
    switch (style) {
    case fsFlat: return DrawBevelRings(canvas, r, frameColor, frameColor, sides, 1);
    case fsFlatBold: return DrawBevelRings(canvas, r, frameColor, frameColor, sides, 2);
    default:
        if (color == clWindow)
            return DrawFrameStyleSides(canvas, r, style, sides);
        return DrawTintedFrameStyleSides(canvas, r, color, sides, style);
    }
}

int32_t FrameStyleWidth(TFrameStyleEx style, int32_t bevelWidth)
{
    switch (style) {
    case fsNone: return 0;
    case fsFlat: return 1;
    case fsStatus:
    case fsPopup: return bevelWidth;
    default: return 2;
    }
}

TRect ShrinkRectForBorders(const TRect& rect, TFrameStyleEx outer, TFrameStyleEx inner, TSides sides,
                           int32_t bevelWidth)
{
    const TRect r = ShrinkSides(rect, sides, FrameStyleWidth(outer, bevelWidth));
    return ShrinkSides(r, sides, FrameStyleWidth(inner, bevelWidth));
}
