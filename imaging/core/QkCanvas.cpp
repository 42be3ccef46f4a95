#include "imaging/core/QkCanvas.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "imaging/core/QkGeometry.h"
#include "imaging/core/QkPixels.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Types.h"
#include "platform/gfx/CairoScratch.h"

namespace {

constexpr int32_t SmoothingAntiAlias = 5;
constexpr int32_t SmoothingHighSpeed = 2;

double Radians(double degrees) { return degrees * std::numbers::pi / 180; }
double Degrees(double radians) { return radians * 180 / std::numbers::pi; }

// Adds the arc of the ellipse in the box from `start` over `sweep` degrees
// (clockwise on screen for positive sweeps), joined to the current point.
// A box without width or height adds nothing.
void AddEllipseArc(cairo_t* cr, double x, double y, double width, double height, double start, double sweep)
{
    if (width == 0 || height == 0)
        return;
    cairo_save(cr);
    cairo_translate(cr, x + width / 2, y + height / 2);
    cairo_scale(cr, width / 2, height / 2);
    if (sweep >= 0)
        cairo_arc(cr, 0, 0, 1, Radians(start), Radians(start + sweep));
    else
        cairo_arc_negative(cr, 0, 0, 1, Radians(start), Radians(start + sweep));
    cairo_restore(cr);
}

TRect BoundsOf(const std::vector<TPoint>& points)
{
    TRect box{points.front().X, points.front().Y, points.front().X, points.front().Y};
    for (const TPoint& p : points)
        IncludePointInRect(box, p.X, p.Y);
    return box;
}

void AddPolyline(cairo_t* cr, const std::vector<TPoint>& points)
{
    for (const TPoint& p : points)
        cairo_line_to(cr, p.X, p.Y);
}

// Pen-width correction of an ellipse box; false when it leaves no width or
// no height, and nothing is then drawn.
bool CorrectEllipseBox(int32_t& x1, int32_t& y1, int32_t& x2, int32_t& y2, float penWidth)
{
    if (penWidth == 1.0f)
        return x1 != x2 && y1 != y2;
    const auto e = static_cast<int32_t>(Round(penWidth / 2.0));
    auto widen = [e](int32_t& a1, int32_t& a2) {
        if (a1 > a2)
            a1 += e;
        if (a1 <= a2 && e >= a2 - a1 - 1)
            a2 = a1 + e;
        else if (a1 > a2 && e >= a1 - a2 - 1)
            a2 = a1 - e;
    };
    widen(x1, x2);
    widen(y1, y2);
    if (x1 == x2 - e)
        x1 -= e;
    if (y1 == y2 - e)
        y1 -= e;
    if (x1 == x2 || y1 == y2)
        return false;
    if (x1 > x2) {
        x1 -= e;
        x2 -= e - 1;
    }
    return true;
}

} // namespace

TQkCanvas::TQkCanvas(TCanvas& canvas, bool antiAlias, bool useGdiPlus)
    : FCanvas(canvas), FPen(*canvas.Pen()), FBrush(*canvas.Brush()), FUseGdiPlus(useGdiPlus && IsGdiPlusActive())
{
    if (FUseGdiPlus && canvas.Target()->Empty())
        throw Exception("Cannot create TQkCanvas. GdipCreateFromHDC failed.");
    SetSmoothing(antiAlias ? SmoothingAntiAlias : SmoothingHighSpeed);
}

void TQkCanvas::SetSmoothing(int32_t mode)
{
    FAntialias = mode == SmoothingAntiAlias ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE;
}

// Runs `draw` on a scratch copy of the canvas's visible pixels around
// `bounds` (logical, grown by the pen) and writes them back. `draw` works
// in logical coordinates with pixel centres on whole numbers.
template <typename Draw>
void TQkCanvas::Paint(TRect bounds, Draw draw)
{
    const TPoint origin = FCanvas.ViewportOrigin();
    const auto margin = static_cast<int32_t>(std::ceil(std::clamp(FPen.Width(), 0.0f, 65536.0f))) + 2;
    const TRect device = OffsetRect(InflateRect(bounds, margin, margin), origin.X, origin.Y);
    const TRect area = IntersectRect(device, FCanvas.VisibleBox());
    if (IsRectEmpty(area))
        return;
    TCairoScratch scratch(*FCanvas.Target(), area);
    cairo_t* cr = scratch.Context();
    for (int32_t y = area.Top; y < area.Bottom; ++y) {
        FCanvas.ForEachVisible(y, area.Left, area.Right, [&](int32_t x0, int32_t x1) {
            cairo_rectangle(cr, x0 - area.Left, y - area.Top, x1 - x0, 1);
        });
    }
    cairo_clip(cr);
    cairo_set_antialias(cr, FAntialias);
    cairo_translate(cr, origin.X - area.Left + 0.5, origin.Y - area.Top + 0.5);
    draw(cr);
    scratch.Commit();
}

// Hatches line up with the bitmap's pixels, whatever the viewport.
void TQkCanvas::ApplyBrush(cairo_t* cr) const
{
    const TPoint origin = FCanvas.ViewportOrigin();
    FBrush.ApplyTo(cr, origin.X + 0.5, origin.Y + 0.5);
}

void TQkCanvas::FillAndStroke(cairo_t* cr) const
{
    ApplyBrush(cr);
    cairo_fill_preserve(cr);
    FPen.ApplyTo(cr);
    cairo_stroke(cr);
}

void TQkCanvas::StrokeLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    Paint({std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)}, [&](cairo_t* cr) {
        cairo_move_to(cr, x1, y1);
        cairo_line_to(cr, x2, y2);
        FPen.ApplyTo(cr);
        cairo_stroke(cr);
    });
}

void TQkCanvas::SetPenPos(TPoint point)
{
    FPenPos = point;
    if (!FUseGdiPlus)
        FCanvas.MoveTo(point.X, point.Y);
}

void TQkCanvas::LineTo(int32_t x, int32_t y)
{
    if (!FUseGdiPlus) {
        FCanvas.LineTo(x, y);
        return;
    }
    StrokeLine(FPenPos.X, FPenPos.Y, x, y);
    FPenPos = {x, y};
}

void TQkCanvas::DrawLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    if (FUseGdiPlus)
        StrokeLine(x1, y1, x2, y2);
    else
        FCanvas.Polygon({{x1, y1}, {x2, y2}});
}

void TQkCanvas::FillRect(const TRect& rect)
{
    if (!FUseGdiPlus) {
        FCanvas.FillRect(rect);
        return;
    }
    int32_t x1 = rect.Left, y1 = rect.Top, x2 = rect.Right, y2 = rect.Bottom;
    OrderRectCorners(x1, y1, x2, y2);
    if (x1 == x2 || y1 == y2)
        return;
    Paint({x1, y1, x2, y2}, [&](cairo_t* cr) {
        cairo_rectangle(cr, x1, y1, x2 - x1 - 1, y2 - y1 - 1);
        ApplyBrush(cr);
        cairo_fill(cr);
    });
}

void TQkCanvas::Rectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    if (!FUseGdiPlus) {
        FCanvas.Rectangle(x1, y1, x2, y2);
        return;
    }
    OrderRectCorners(x1, y1, x2, y2);
    if (x1 == x2 || y1 == y2)
        return;
    Paint({x1, y1, x2, y2}, [&](cairo_t* cr) {
        cairo_rectangle(cr, x1, y1, x2 - x1 - 1, y2 - y1 - 1);
        FillAndStroke(cr);
    });
}

void TQkCanvas::Ellipse(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    if (!FUseGdiPlus) {
        FCanvas.Ellipse(x1, y1, x2, y2);
        return;
    }
    if (!CorrectEllipseBox(x1, y1, x2, y2, FPen.Width()))
        return;
    Paint({std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)}, [&](cairo_t* cr) {
        AddEllipseArc(cr, x1, y1, x2 - x1 - 1, y2 - y1 - 1, 0, 360);
        cairo_close_path(cr);
        FillAndStroke(cr);
    });
}

void TQkCanvas::Polygon(const std::vector<TPoint>& points)
{
    if (!FUseGdiPlus) {
        FCanvas.Polygon(points);
        return;
    }
    if (points.empty())
        return;
    Paint(BoundsOf(points), [&](cairo_t* cr) {
        AddPolyline(cr, points);
        cairo_close_path(cr);
        FPen.ApplyTo(cr);
        cairo_stroke_preserve(cr);
        ApplyBrush(cr);
        cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
        cairo_fill(cr);
    });
}

void TQkCanvas::Polyline(const std::vector<TPoint>& points)
{
    if (!FUseGdiPlus) {
        FCanvas.Polyline(points);
        return;
    }
    if (points.empty())
        return;
    Paint(BoundsOf(points), [&](cairo_t* cr) {
        AddPolyline(cr, points);
        FPen.ApplyTo(cr);
        cairo_stroke(cr);
    });
}

void TQkCanvas::Arc(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3, int32_t x4, int32_t y4)
{
    if (!FUseGdiPlus) {
        FCanvas.Arc(x1, y1, x2, y2, x3, y3, x4, y4);
        return;
    }
    const int32_t centreX = (x1 + x2) / 2, centreY = (y1 + y2) / 2;
    const double start = Degrees(LineAngle(centreX, centreY, x4, y4));
    const double sweep = Degrees(VertexAngle(x3, y3, centreX, centreY, x4, y4));
    Paint({std::min(x1, x2), std::min(y1, y2), std::max(x1, x2) + 1, std::max(y1, y2) + 1}, [&](cairo_t* cr) {
        AddEllipseArc(cr, x1, y1, x2 - x1 + 1, y2 - y1 + 1, -start, sweep);
        FPen.ApplyTo(cr);
        cairo_stroke(cr);
    });
}

void TQkCanvas::RoundRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t cornerWidth, int32_t cornerHeight)
{
    if (!FUseGdiPlus) {
        FCanvas.RoundRect(x1, y1, x2, y2, cornerWidth, cornerHeight);
        return;
    }
    OrderRectCorners(x1, y1, x2, y2);
    const int32_t w = x2 - x1, h = y2 - y1;
    const int32_t cw = std::min(cornerWidth, w), ch = std::min(cornerHeight, h);
    Paint({x1, y1, x2, y2}, [&](cairo_t* cr) {
        AddEllipseArc(cr, x1, y1, cw, ch, 180, 90);
        AddEllipseArc(cr, x1 + w - cw, y1, cw, ch, 270, 90);
        AddEllipseArc(cr, x1 + w - cw, y1 + h - ch, cw, ch, 0, 90);
        AddEllipseArc(cr, x1, y1 + h - ch, cw, ch, 90, 90);
        cairo_line_to(cr, x1, y1 + h - ch);
        cairo_line_to(cr, x1, y1 + ch / 2.0);
        cairo_close_path(cr);
        cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
        FillAndStroke(cr);
    });
}

void TQkCanvas::TextRectNoFill(const TRect& rect, int32_t x, int32_t y, const std::string& text)
{
    FCanvas.ExtTextOut(x, y, ETO_CLIPPED, &rect, text);
}
