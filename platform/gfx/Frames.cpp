#include "platform/gfx/Frames.h"

#include <algorithm>

namespace {

struct TRingColors {
    TColor UpperLeft;
    TColor LowerRight;
};

// One ring on the chosen sides; returns the rectangle inside it.
TRect DrawRing(TCanvas& canvas, const TRect& r, TRingColors colors, uint32_t sides)
{
    if (IsRectEmpty(r))
        return r;
    if (sides & BF_LEFT)
        canvas.FillSolidRect(Rect(r.Left, r.Top, r.Left + 1, r.Bottom), colors.UpperLeft);
    if (sides & BF_TOP)
        canvas.FillSolidRect(Rect(r.Left, r.Top, r.Right, r.Top + 1), colors.UpperLeft);
    if (sides & BF_RIGHT)
        canvas.FillSolidRect(Rect(r.Right - 1, r.Top, r.Right, r.Bottom), colors.LowerRight);
    if (sides & BF_BOTTOM)
        canvas.FillSolidRect(Rect(r.Left, r.Bottom - 1, r.Right, r.Bottom), colors.LowerRight);
    return {r.Left + ((sides & BF_LEFT) ? 1 : 0), r.Top + ((sides & BF_TOP) ? 1 : 0),
            r.Right - ((sides & BF_RIGHT) ? 1 : 0), r.Bottom - ((sides & BF_BOTTOM) ? 1 : 0)};
}

TRingColors OuterColors(uint32_t edge, uint32_t flags)
{
    if (flags & BF_MONO)
        return {clWindowFrame, clWindowFrame};
    if (flags & BF_FLAT)
        return {clBtnShadow, clBtnShadow};
    if (edge & BDR_RAISEDOUTER)
        return {cl3DLight, cl3DDkShadow};
    return {clBtnShadow, clBtnHighlight};
}

TRingColors InnerColors(uint32_t edge, uint32_t flags)
{
    if (flags & BF_MONO)
        return {clWindow, clWindow};
    if (flags & BF_FLAT)
        return {clBtnFace, clBtnFace};
    if (edge & BDR_RAISEDINNER)
        return {clBtnHighlight, clBtnShadow};
    return {cl3DDkShadow, cl3DLight};
}

// Pixels of the check mark, column by column: the first of three lit rows.
constexpr int CheckMarkTop[7] = {2, 3, 4, 3, 2, 1, 0};
constexpr int CheckBoxSize = 13;

void DrawCheckMark(TCanvas& canvas, int32_t left, int32_t top, TColor color)
{
    for (int x = 0; x < 7; ++x)
        canvas.FillSolidRect(Rect(left + x, top + CheckMarkTop[x], left + x + 1, top + CheckMarkTop[x] + 3), color);
}

void DrawCheckBox(TCanvas& canvas, const TRect& rect, uint32_t state)
{
    const int32_t left = rect.Left + (rect.Width() - CheckBoxSize) / 2;
    const int32_t top = rect.Top + (rect.Height() - CheckBoxSize) / 2;
    TRect box = Bounds(left, top, CheckBoxSize, CheckBoxSize);
    const bool flat = (state & (DFCS_FLAT | DFCS_MONO)) != 0;
    DrawEdge(canvas, box, EDGE_SUNKEN, BF_RECT | BF_ADJUST | (flat ? BF_MONO : 0));
    const bool dim = (state & (DFCS_PUSHED | DFCS_INACTIVE)) != 0;
    canvas.FillSolidRect(box, dim ? clBtnFace : clWindow);
    if (!(state & DFCS_CHECKED))
        return;
    const bool grey = (state & DFCS_INACTIVE) || (state & DFCS_BUTTON3STATE);
    DrawCheckMark(canvas, box.Left + (box.Width() - 7) / 2, box.Top + (box.Height() - 7) / 2,
                  grey ? clBtnShadow : clWindowText);
}

// A filled triangle pointing in the direction, its tip toward that side.
void DrawArrow(TCanvas& canvas, const TRect& r, uint32_t direction, TColor color, int32_t shift)
{
    const int32_t size = std::max(1, (std::min(r.Width(), r.Height()) + 3) / 4 + 1);
    const int32_t cx = r.Left + r.Width() / 2 + shift, cy = r.Top + r.Height() / 2 + shift;
    for (int32_t i = 0; i < size; ++i) {
        // Row i from the tip spans 2i + 1 pixels.
        const int32_t offset = i - size / 2;
        switch (direction) {
        case DFCS_SCROLLUP: canvas.FillSolidRect(Rect(cx - i, cy + offset, cx + i + 1, cy + offset + 1), color); break;
        case DFCS_SCROLLLEFT:
            canvas.FillSolidRect(Rect(cx + offset, cy - i, cx + offset + 1, cy + i + 1), color);
            break;
        case DFCS_SCROLLRIGHT:
            canvas.FillSolidRect(Rect(cx - offset, cy - i, cx - offset + 1, cy + i + 1), color);
            break;
        default: canvas.FillSolidRect(Rect(cx - i, cy - offset, cx + i + 1, cy - offset + 1), color); break;
        }
    }
}

void DrawScrollArrow(TCanvas& canvas, const TRect& rect, uint32_t state)
{
    TRect face = rect;
    const bool pushed = (state & DFCS_PUSHED) != 0;
    if ((state & DFCS_FLAT) || pushed)
        DrawEdge(canvas, face, EDGE_RAISED, BF_RECT | BF_FLAT | BF_MIDDLE | BF_ADJUST);
    else
        DrawEdge(canvas, face, EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_ADJUST);
    const uint32_t direction = (state & 0xF) == DFCS_SCROLLCOMBOBOX ? DFCS_SCROLLDOWN : (state & 0xF);
    const int32_t shift = pushed ? 1 : 0;
    if (state & DFCS_INACTIVE) {
        DrawArrow(canvas, face, direction, clBtnHighlight, shift + 1);
        DrawArrow(canvas, face, direction, clBtnShadow, shift);
    } else {
        DrawArrow(canvas, face, direction, clBtnText, shift);
    }
}

} // namespace

bool DrawEdge(TCanvas& canvas, TRect& rect, uint32_t edge, uint32_t flags)
{
    const uint32_t sides = flags & BF_RECT;
    TRect inside = rect;
    if (edge & BDR_OUTER)
        inside = DrawRing(canvas, inside, OuterColors(edge, flags), sides);
    if (edge & BDR_INNER)
        inside = DrawRing(canvas, inside, InnerColors(edge, flags), sides);
    if ((flags & BF_MIDDLE) && !IsRectEmpty(inside))
        canvas.FillSolidRect(inside, (flags & BF_MONO) ? clWindow : clBtnFace);
    if (flags & BF_ADJUST)
        rect = inside;
    return true;
}

bool DrawFrameControl(TCanvas& canvas, const TRect& rect, uint32_t kind, uint32_t state)
{
    if (kind == DFC_SCROLL) {
        const uint32_t part = state & 0xF;
        if (part > DFCS_SCROLLRIGHT && part != DFCS_SCROLLCOMBOBOX)
            return false;
        DrawScrollArrow(canvas, rect, state);
        return true;
    }
    if (kind != DFC_BUTTON)
        return false;
    if (state & DFCS_BUTTONPUSH) {
        TRect face = rect;
        const bool sunken = (state & (DFCS_PUSHED | DFCS_CHECKED)) != 0;
        uint32_t flags =
            BF_RECT | BF_MIDDLE | ((state & DFCS_FLAT) ? BF_FLAT : 0) | ((state & DFCS_MONO) ? BF_MONO : 0);
        DrawEdge(canvas, face, sunken ? EDGE_SUNKEN : EDGE_RAISED, flags);
        return true;
    }
    if ((state & 0x1F) == DFCS_BUTTONCHECK || (state & 0x1F) == DFCS_BUTTON3STATE) {
        DrawCheckBox(canvas, rect, state);
        return true;
    }
    return false;
}

TRect DrawButtonFace(TCanvas& canvas, const TRect& client, int32_t bevelWidth, TButtonStyle style, bool isRounded,
                     bool isDown, bool isFocused)
{
    TRect r = client;
    if (style == bsWin31) {
        r = DrawRing(canvas, r, {clWindowFrame, clWindowFrame}, BF_RECT);
        if (isRounded) {
            canvas.FillSolidRect(Rect(client.Left, client.Top, client.Left + 1, client.Top + 1), clBtnFace);
            canvas.FillSolidRect(Rect(client.Right - 1, client.Top, client.Right, client.Top + 1), clBtnFace);
            canvas.FillSolidRect(Rect(client.Left, client.Bottom - 1, client.Left + 1, client.Bottom), clBtnFace);
            canvas.FillSolidRect(Rect(client.Right - 1, client.Bottom - 1, client.Right, client.Bottom), clBtnFace);
        }
        if (isFocused)
            r = DrawRing(canvas, r, {clWindowFrame, clWindowFrame}, BF_RECT);
        const TRingColors bevel =
            isDown ? TRingColors{clBtnShadow, clBtnFace} : TRingColors{clBtnHighlight, clBtnShadow};
        for (int32_t i = 0; i < bevelWidth; ++i)
            r = DrawRing(canvas, r, bevel, BF_RECT);
    } else {
        if (isFocused)
            r = DrawRing(canvas, r, {clWindowFrame, clWindowFrame}, BF_RECT);
        if (isDown) {
            r = DrawRing(canvas, r, {clBtnShadow, clBtnShadow}, BF_RECT);
        } else {
            r = DrawRing(canvas, r, {clBtnHighlight, cl3DDkShadow}, BF_RECT);
            r = DrawRing(canvas, r, {cl3DLight, clBtnShadow}, BF_RECT);
        }
    }
    if (!IsRectEmpty(r))
        canvas.FillSolidRect(r, clBtnFace);
    return r;
}
