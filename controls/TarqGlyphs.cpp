#include "controls/TarqGlyphs.h"

#include <vector>

#include "controls/TarqColors.h"
#include "controls/TarqFrames.h"
#include "controls/TarqGrafx.h"
#include "controls/TarqScheme.h"
#include "platform/gfx/Bitmap.h"
#include "platform/ui/Themes.h"

namespace {

constexpr TPoint CheckMarkPixels[] = {{2, 4}, {2, 5}, {2, 6}, {3, 5}, {3, 6}, {3, 7}, {4, 6},
                                      {4, 7}, {4, 8}, {5, 5}, {5, 6}, {5, 7}, {6, 4}, {6, 5},
                                      {6, 6}, {7, 3}, {7, 4}, {7, 5}, {8, 2}, {8, 3}, {8, 4}};

TColor CheckFillColor(const TCheckBoxLook& look)
{
    const TCheckBoxColors& c = look.Colors;
    switch (look.DrawState) {
    case cdsPressed: return DarkenColor(c.Focus, 20);
    case cdsDisabled: return c.Disabled;
    default: break;
    }
    if (!look.Focused)
        return look.ReadOnly ? c.ReadOnly : c.Fill;
    return look.ReadOnly && look.ReadOnlyColorOnFocus ? c.ReadOnly : c.Focus;
}

// The colour of the theme's combo-box button glyph, unless it is too close
// to the window colour to show.
TColor ThemedGlyphColor()
{
    TBitmap work(17, 21);
    TThemeServices* themes = ThemeServices();
    themes->DrawElement(*work.Canvas(),
                        themes->GetElementDetails(TThemedClass::ComboBox, CP_DROPDOWNBUTTON, CBXS_NORMAL),
                        Rect(0, 0, 16, 20));
    const TColor color = work.Canvas()->Pixels(8, 10);
    return ColorsAreClose(color, clWindow) ? cl3DDkShadow : color;
}

TColor GlyphColor(bool xpStyle, bool enabled)
{
    if (!enabled)
        return clBtnShadow;
    return xpStyle ? ThemedGlyphColor() : clBlack;
}

TPoint Anchor(const TRect& r)
{
    const int32_t height = r.Bottom - r.Top;
    return {r.Left + (r.Right - r.Left) / 2, r.Top + height / 2 - (height % 2 == 0 ? 1 : 0)};
}

void FillGlyph(TCanvas& canvas, const std::vector<TPoint>& points, TColor color)
{
    const TColor oldBrush = canvas.Brush()->Color();
    canvas.Brush()->SetColor(color);
    canvas.Pen()->SetStyle(psClear);
    canvas.Polygon(points);
    canvas.Brush()->SetColor(oldBrush);
}

std::vector<TPoint> ClassicArrow(TArrowDirection direction, int32_t x, int32_t y)
{
    switch (direction) {
    case adUp: return {{x, y - 5}, {x + 4, y}, {x - 4, y}};
    case adDown: return {{x, y + 1}, {x - 3, y - 3}, {x + 4, y - 3}};
    case adLeft: return {{x, y}, {x + 4, y - 4}, {x + 4, y + 4}};
    default: return {{x + 4, y}, {x, y + 4}, {x, y - 4}};
    }
}

std::vector<TPoint> XPArrow(TArrowDirection direction, int32_t x, int32_t y)
{
    switch (direction) {
    case adUp: return {{x, y - 5}, {x + 4, y}, {x + 1, y}, {x, y - 2}, {x - 1, y}, {x - 4, y}};
    case adDown: return {{x, y}, {x - 3, y - 4}, {x, y - 4}, {x, y - 3}, {x + 1, y - 4}, {x + 4, y - 4}};
    case adLeft: return {{x, y}, {x + 4, y - 4}, {x + 4, y - 1}, {x + 3, y}, {x + 4, y + 1}, {x + 4, y + 4}};
    default: return {{x + 4, y}, {x, y + 4}, {x, y + 1}, {x + 1, y}, {x, y - 1}, {x, y - 4}};
    }
}

TPoint ArrowAnchorShift(TArrowDirection direction, bool xpStyle)
{
    if (!xpStyle) {
        switch (direction) {
        case adUp:
        case adDown: return {0, 2};
        default: return {-2, 0};
        }
    }
    switch (direction) {
    case adUp: return {0, 4};
    case adDown: return {0, 2};
    case adLeft: return {-1, 0};
    default: return {-3, 0};
    }
}

} // namespace

void DrawCheckBoxSquare(TCanvas& canvas, const TRect& bounds, const TCheckBoxLook& look)
{
    const TCheckBoxColors& c = look.Colors;
    const bool hot = look.DrawState == cdsHot;
    const TRect inner = DrawRectOutline(canvas, bounds, hot && look.HotTrackStyle == htsFrame ? c.HotDark : c.Frame);
    const TColor glyph = look.DrawState == cdsDisabled ? clBtnShadow : c.Glyph;
    canvas.Brush()->SetColor(CheckFillColor(look));
    canvas.FillRect(inner);
    if (look.CheckState == cbChecked) {
        for (TPoint p : CheckMarkPixels)
            canvas.SetPixel(inner.Left + p.X, inner.Top + p.Y, glyph);
    } else if (look.CheckState == cbGrayed) {
        canvas.Brush()->SetColor(glyph);
        canvas.FillRect(InflateRect(inner, -2, -2));
    }
    if (!hot)
        return;
    if (look.HotTrackStyle == htsInterior)
        DrawGradientRing(canvas, inner, gdDiagonalDown, c.HotLight, c.HotDark);
    else
        DrawRectOutline(canvas, inner, c.HotDark);
}

void DrawGradientRing(TCanvas& canvas, const TRect& bounds, TGradientDirection direction, TColor start, TColor stop)
{
    if (!FullColorDisplay)
        return;
    const TRect hole = InflateRect(bounds, -2, -2);
    canvas.ExcludeClipRect(hole.Left, hole.Top, hole.Right, hole.Bottom);
    DrawGradientFill(canvas, bounds, direction, start, stop, 1);
    canvas.SelectClipRgn(nullptr);
}

void DrawDropDownArrow(TCanvas& canvas, const TRect& rect, bool xpStyle, bool enabled, bool pressed)
{
    const TColor color = GlyphColor(xpStyle, enabled);
    TPoint a = Anchor(rect);
    a.Y += xpStyle ? 4 : 2;
    if (pressed) {
        ++a.X;
        ++a.Y;
    }
    const int32_t x = a.X, y = a.Y;
    if (xpStyle)
        FillGlyph(canvas, {{x, y}, {x - 4, y - 5}, {x - 3, y - 7}, {x, y - 3}, {x + 3, y - 7}, {x + 5, y - 5}}, color);
    else
        FillGlyph(canvas, {{x, y}, {x - 3, y - 4}, {x + 4, y - 4}}, color);
}

void DrawDirectionArrow(TCanvas& canvas, const TRect& rect, bool xpStyle, bool enabled, bool pressed,
                        TArrowDirection direction)
{
    const TColor color = GlyphColor(xpStyle, enabled);
    TPoint a = Anchor(rect);
    const TPoint shift = ArrowAnchorShift(direction, xpStyle);
    a.X += shift.X;
    a.Y += shift.Y;
    if (enabled && pressed) {
        ++a.X;
        ++a.Y;
    }
    FillGlyph(canvas, xpStyle ? XPArrow(direction, a.X, a.Y) : ClassicArrow(direction, a.X, a.Y), color);
}

void DrawCloseCross(TCanvas& canvas, const TRect& rect, bool xpStyle, bool enabled, bool pressed)
{
    const TColor color = GlyphColor(xpStyle, enabled);
    TPoint a = Anchor(rect);
    if (enabled && pressed) {
        ++a.X;
        ++a.Y;
    }
    const int32_t x = a.X, y = a.Y;
    FillGlyph(canvas,
              {{x, y - 1},
               {x + 3, y - 4},
               {x + 5, y - 4},
               {x + 5, y - 3},
               {x + 2, y},
               {x + 5, y + 4},
               {x + 5, y + 5},
               {x + 3, y + 5},
               {x, y + 1},
               {x - 3, y + 5},
               {x - 4, y + 5},
               {x - 4, y + 3},
               {x - 1, y},
               {x - 4, y - 3},
               {x - 4, y - 4},
               {x - 3, y - 5}},
              color);
}
