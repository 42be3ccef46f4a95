#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"
#include "platform/gfx/CanvasState.h"
#include "platform/gfx/Shapes.h"

#include <pixman.h>

#include <cmath>
#include <numbers>

namespace {

// pixman fills whole rows of 8, 16 and 32-bit pixels faster than a row at a
// time; the rows lie bottom-up, so the rectangle's last row comes first in
// memory.
void FillRectRaw(const TRasterSurface& surface, const TRect& rect, uint32_t raw)
{
    if (rect.Left >= rect.Right || rect.Top >= rect.Bottom)
        return;
    uint8_t* lowest = surface.Row(rect.Bottom - 1);
    const bool pixmanDepth = surface.Bpp == 8 || surface.Bpp == 16 || surface.Bpp == 32;
    if (pixmanDepth && reinterpret_cast<uintptr_t>(lowest) % 4 == 0 && surface.Stride % 4 == 0 &&
        pixman_fill(reinterpret_cast<uint32_t*>(lowest), surface.Stride / 4, surface.Bpp, rect.Left, 0, rect.Width(),
                    rect.Height(), raw))
        return;
    for (int32_t y = rect.Top; y < rect.Bottom; ++y)
        FillSpanRaw(surface.Row(y), rect.Left, rect.Right, surface.Bpp, raw, R2_COPYPEN);
}

// A solid rectangle needs no spans: each visible piece of it is filled whole.
void FillVisibleRect(const std::vector<TRect>& visible, const TRasterSurface& surface, const TRect& deviceRect,
                     uint32_t raw)
{
    for (const TRect& clip : visible)
        FillRectRaw(surface, IntersectRect(clip, deviceRect), raw);
}

enum TBoxKind { bkRectangle, bkEllipse, bkRoundRect };
enum TArcKind { akArc, akPie, akChord };

// On/off run lengths of the one-pixel styled pens, starting with "on".
const std::vector<int>& StyleRuns(TPenStyle style)
{
    static const std::vector<int> solid;
    static const std::vector<int> dash{18, 6};
    static const std::vector<int> dot{3, 3};
    static const std::vector<int> dashDot{9, 6, 3, 6};
    static const std::vector<int> dashDotDot{9, 3, 3, 3, 3, 3};
    switch (style) {
    case psDash: return dash;
    case psDot: return dot;
    case psDashDot: return dashDot;
    case psDashDotDot: return dashDotDot;
    default: return solid;
    }
}

bool StyleIsOn(const std::vector<int>& runs, int64_t step)
{
    int period = 0;
    for (int r : runs)
        period += r;
    int pos = static_cast<int>(step % period);
    for (size_t i = 0; i < runs.size(); ++i) {
        if (pos < runs[i])
            return i % 2 == 0;
        pos -= runs[i];
    }
    return true;
}

void AddPoint(std::vector<TSpan>& spans, TPoint p)
{
    if (!spans.empty() && spans.back().Y == p.Y && spans.back().X1 == p.X)
        ++spans.back().X1;
    else
        spans.push_back({p.Y, p.X, p.X + 1});
}

// Pens wider than this draw as this wide.
constexpr int32_t MaxPenWidth = 4096;

// The pixels a pen of `width` pixels covers around one point.
void AddDisc(std::vector<TSpan>& spans, TPoint centre, int32_t width, TRowWindow window)
{
    const int32_t left = centre.X - width / 2, top = centre.Y - width / 2;
    for (const TSpan& s : ShapeSpans(EllipseShape(left, top, left + width, top + width, window)))
        spans.push_back(s);
}

TRowWindow RowsOf(const TRect& box) { return {box.Top, box.Bottom}; }

void Normalize(int32_t& a, int32_t& b)
{
    if (a > b)
        std::swap(a, b);
}

TRowShape MakeBox(int kind, int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t width, int32_t height,
                  TRowWindow window)
{
    switch (kind) {
    case bkEllipse: return EllipseShape(left, top, right, bottom, window);
    case bkRoundRect: return RoundRectShape(left, top, right, bottom, width, height, window);
    default: return RectShape(left, top, right, bottom, window);
    }
}

} // namespace

void TCanvas::PaintPenSpans(const std::vector<TSpan>& spans)
{
    PaintSpans(spans, RawOf(FPen.Color()), PenModeToRop2(FPen.Mode()));
}

void TCanvas::StrokeLine(TPoint from, TPoint to, int64_t& styleStep)
{
    const TRect box = VisibleBox();
    int64_t first = 0;
    const std::vector<TPoint> points = LinePoints(from.X, from.Y, to.X, to.Y, &box, &first);
    const std::vector<int>& runs = StyleRuns(FPen.Style());
    std::vector<TSpan> on, off;
    int64_t step = styleStep + first;
    for (const TPoint& p : points) {
        if (runs.empty() || StyleIsOn(runs, step))
            AddPoint(on, p);
        else
            AddPoint(off, p);
        ++step;
    }
    styleStep += LineLength(from.X, from.Y, to.X, to.Y);
    PaintPenSpans(on);
    if (!off.empty() && FBackMode == OPAQUE)
        PaintSpans(off, RawOf(FBackColor), PenModeToRop2(FPen.Mode()));
}

void TCanvas::StrokePolyline(const std::vector<TPoint>& devicePoints, bool closed)
{
    if (FPen.Style() == psClear || devicePoints.empty())
        return;
    std::vector<TPoint> points = devicePoints;
    if (closed)
        points.push_back(devicePoints.front());
    if (FPen.Width() <= 1) {
        int64_t styleStep = 0;
        for (size_t i = 0; i + 1 < points.size(); ++i)
            StrokeLine(points[i], points[i + 1], styleStep);
        return;
    }
    // A wide pen covers each pixel once, round at the ends and joints.
    const int32_t width = std::min(FPen.Width(), MaxPenWidth);
    const TRect box = InflateRect(VisibleBox(), width, width);
    const TRowWindow rows = RowsOf(VisibleBox());
    std::vector<TSpan> spans;
    for (size_t i = 0; i + 1 < points.size(); ++i)
        for (const TPoint& p : LinePoints(points[i].X, points[i].Y, points[i + 1].X, points[i + 1].Y, &box))
            AddDisc(spans, p, width, rows);
    AddDisc(spans, points.back(), width, rows);
    NormalizeSpans(spans);
    PaintPenSpans(spans);
}

void TCanvas::MoveTo(int32_t x, int32_t y) { FPenPos = {x, y}; }

void TCanvas::LineTo(int32_t x, int32_t y)
{
    StrokePolyline({ToDevice(FPenPos.X, FPenPos.Y), ToDevice(x, y)}, false);
    FPenPos = {x, y};
    FTarget->SetModified(true);
}

void TCanvas::Polyline(const std::vector<TPoint>& points)
{
    std::vector<TPoint> device;
    for (const TPoint& p : points)
        device.push_back(ToDevice(p.X, p.Y));
    StrokePolyline(device, false);
    FTarget->SetModified(true);
}

void TCanvas::Polygon(const std::vector<TPoint>& points)
{
    if (points.empty())
        return;
    std::vector<TPoint> device;
    for (const TPoint& p : points)
        device.push_back(ToDevice(p.X, p.Y));
    PaintPatternSpans(PolygonSpans(device, FPolyFillMode, RowsOf(VisibleBox())), MakeBrushPattern(),
                      PenModeToRop2(FPen.Mode()));
    StrokePolyline(device, true);
    FTarget->SetModified(true);
}

void TCanvas::DrawBoxShape(int32_t left, int32_t top, int32_t right, int32_t bottom, int kind, int32_t width,
                           int32_t height)
{
    Normalize(left, right);
    Normalize(top, bottom);
    const TPoint o = ToDevice(0, 0);
    left += o.X, right += o.X, top += o.Y, bottom += o.Y;
    const int rop2 = PenModeToRop2(FPen.Mode());
    const TBrushPattern brush = MakeBrushPattern();
    const TRowWindow rows = RowsOf(VisibleBox());
    if (FPen.Style() == psClear) {
        PaintPatternSpans(ShapeSpans(MakeBox(kind, left, top, right - 1, bottom - 1, width, height, rows)), brush,
                          rop2);
    } else if (FPen.Width() <= 1) {
        const TRowShape shape = MakeBox(kind, left, top, right, bottom, width, height, rows);
        PaintPatternSpans(InteriorSpans(shape), brush, rop2);
        if (kind == bkRectangle && !StyleRuns(FPen.Style()).empty() && right - left > 1 && bottom - top > 1)
            StrokePolyline({{left, top}, {right - 1, top}, {right - 1, bottom - 1}, {left, bottom - 1}}, true);
        else
            PaintPenSpans(OutlineSpans(shape));
    } else {
        const int32_t pw = std::min(FPen.Width(), MaxPenWidth);
        TRect outer{left, top, right, bottom};
        if (FPen.Style() != psInsideFrame)
            outer = {left - pw / 2, top - pw / 2, right + (pw - 1) / 2, bottom + (pw - 1) / 2};
        const TRect inner = InflateRect(outer, -pw, -pw);
        const TRowShape outerShape =
            MakeBox(kind, outer.Left, outer.Top, outer.Right, outer.Bottom, width, height, rows);
        const TRowShape innerShape =
            MakeBox(kind, inner.Left, inner.Top, inner.Right, inner.Bottom, width - 2 * pw, height - 2 * pw, rows);
        PaintPatternSpans(ShapeSpans(innerShape), brush, rop2);
        PaintPenSpans(RingSpans(outerShape, innerShape));
    }
    FTarget->SetModified(true);
}

void TCanvas::Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    DrawBoxShape(left, top, right, bottom, bkRectangle, 0, 0);
}

void TCanvas::RoundRect(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t width, int32_t height)
{
    DrawBoxShape(left, top, right, bottom, bkRoundRect, width, height);
}

void TCanvas::Ellipse(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    DrawBoxShape(left, top, right, bottom, bkEllipse, 0, 0);
}

void TCanvas::FillRect(const TRect& rect)
{
    const TRect d = OffsetRect(rect, FViewport.X, FViewport.Y);
    const TBrushPattern pattern = MakeBrushPattern();
    EnsureClipRects();
    if (pattern.Solid && !pattern.Clear && d.Left < d.Right && d.Top < d.Bottom)
        FillVisibleRect(FClipRects, Surface(), d, pattern.Cells[0]);
    else
        PaintPatternSpans(ShapeSpans(RectShape(d.Left, d.Top, d.Right, d.Bottom, RowsOf(VisibleBox()))), pattern,
                          R2_COPYPEN);
    FTarget->SetModified(true);
}

void TCanvas::FillSolidRect(const TRect& rect, TColor color)
{
    const TRect d = OffsetRect(rect, FViewport.X, FViewport.Y);
    EnsureClipRects();
    if (d.Left < d.Right && d.Top < d.Bottom)
        FillVisibleRect(FClipRects, Surface(), d, RawOf(color));
    else
        PaintSpans(ShapeSpans(RectShape(d.Left, d.Top, d.Right, d.Bottom, RowsOf(VisibleBox()))), RawOf(color),
                   R2_COPYPEN);
    FTarget->SetModified(true);
}

void TCanvas::FrameRect(const TRect& rect)
{
    const TRect d = OffsetRect(rect, FViewport.X, FViewport.Y);
    if (IsRectEmpty(d))
        return;
    PaintPatternSpans(OutlineSpans(RectShape(d.Left, d.Top, d.Right, d.Bottom, RowsOf(VisibleBox()))),
                      MakeBrushPattern(), R2_COPYPEN);
    FTarget->SetModified(true);
}

void TCanvas::FillRgn(const TRegion& region)
{
    TRegion visible(OffsetRect(VisibleBox(), -FViewport.X, -FViewport.Y));
    visible.Combine(visible, region, RGN_AND);
    std::vector<TSpan> spans;
    for (const TRect& r : visible.Rects())
        for (int32_t y = r.Top; y < r.Bottom; ++y)
            spans.push_back({y + FViewport.Y, r.Left + FViewport.X, r.Right + FViewport.X});
    PaintPatternSpans(spans, MakeBrushPattern(), R2_COPYPEN);
    FTarget->SetModified(true);
}

void TCanvas::DrawFocusRect(const TRect& rect)
{
    const TRect d = OffsetRect(rect, FViewport.X, FViewport.Y);
    if (IsRectEmpty(d))
        return;
    const TRasterSurface s = Surface();
    const uint32_t invert = s.Bpp <= 8 ? RawMask(s.Bpp) : RgbToRaw(clWhite, s.Bpp, nullptr);
    std::vector<TSpan> dots;
    const TRect box = VisibleBox();
    for (const TSpan& span : OutlineSpans(RectShape(d.Left, d.Top, d.Right, d.Bottom, RowsOf(box))))
        for (int32_t x = std::max(span.X0, box.Left); x < std::min(span.X1, box.Right); ++x)
            if (((x + span.Y) & 1) == 0)
                dots.push_back({span.Y, x, x + 1});
    PaintSpans(dots, invert, R2_XORPEN);
    FTarget->SetModified(true);
}

void TCanvas::InvertRect(const TRect& rect)
{
    const TRect d = OffsetRect(rect, FViewport.X, FViewport.Y);
    PaintSpans(ShapeSpans(RectShape(d.Left, d.Top, d.Right, d.Bottom, RowsOf(VisibleBox()))), 0, R2_NOT);
    FTarget->SetModified(true);
}

void TCanvas::PatBlt(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t rop)
{
    int32_t left = x, right = x + width, top = y, bottom = y + height;
    Normalize(left, right);
    Normalize(top, bottom);
    const TPoint o = ToDevice(0, 0);
    const std::vector<TSpan> spans =
        ShapeSpans(RectShape(left + o.X, top + o.Y, right + o.X, bottom + o.Y, RowsOf(VisibleBox())));
    const auto code = static_cast<uint8_t>(rop >> 16);
    switch (code) {
    case 0x00: PaintSpans(spans, RawOf(clBlack), R2_COPYPEN); break;
    case 0xFF: PaintSpans(spans, RawOf(clWhite), R2_COPYPEN); break;
    case 0x55: PaintSpans(spans, 0, R2_NOT); break;
    case 0xAA: break;
    case 0xF0: PaintPatternSpans(spans, MakeBrushPattern(), R2_COPYPEN); break;
    case 0x5A: PaintPatternSpans(spans, MakeBrushPattern(), R2_XORPEN); break;
    case 0x0F: PaintPatternSpans(spans, MakeBrushPattern(), R2_NOTCOPYPEN); break;
    case 0xA0: PaintPatternSpans(spans, MakeBrushPattern(), R2_MASKPEN); break;
    case 0xFA: PaintPatternSpans(spans, MakeBrushPattern(), R2_MERGEPEN); break;
    default: {
        // Any other operation of pattern and destination: its truth table
        // read with the source taken as 0.
        int table = 0;
        for (int p = 0; p < 2; ++p)
            for (int d = 0; d < 2; ++d)
                if (code >> (p * 4 + d) & 1)
                    table |= 1 << (p * 2 + d);
        PaintPatternSpans(spans, MakeBrushPattern(), table + 1);
        break;
    }
    }
    FTarget->SetModified(true);
}

void TCanvas::GradientFill(const TRect& rect, TColor first, TColor second, bool vertical)
{
    const TRect d = OffsetRect(rect, FViewport.X, FViewport.Y);
    if (IsRectEmpty(d))
        return;
    const TColor a = ColorToPixelRGB(first), b = ColorToPixelRGB(second);
    const int64_t n = vertical ? int64_t{d.Bottom} - d.Top : int64_t{d.Right} - d.Left;
    // Colours only for the visible columns (rows) of the gradient.
    const TRect box = VisibleBox();
    const int64_t from = std::max<int64_t>(0, vertical ? int64_t{box.Top} - d.Top : int64_t{box.Left} - d.Left);
    const int64_t to = std::min<int64_t>(n, vertical ? int64_t{box.Bottom} - d.Top : int64_t{box.Right} - d.Left);
    if (from >= to)
        return;
    std::vector<uint32_t> raws(static_cast<size_t>(to - from));
    for (int64_t i = from; i < to; ++i) {
        auto channel = [&](uint8_t start, uint8_t end) {
            return static_cast<uint8_t>(start + (static_cast<int64_t>(end) - start) * i / n);
        };
        raws[static_cast<size_t>(i - from)] =
            RawOf(RGB(channel(GetRValue(a), GetRValue(b)), channel(GetGValue(a), GetGValue(b)),
                      channel(GetBValue(a), GetBValue(b))));
    }
    const TRasterSurface s = Surface();
    for (int32_t y = std::max(d.Top, 0); y < std::min(d.Bottom, s.Height); ++y) {
        uint8_t* row = s.Row(y);
        ForEachVisible(y, d.Left, d.Right, [&](int32_t x0, int32_t x1) {
            if (vertical) {
                FillSpanRaw(row, x0, x1, s.Bpp, raws[static_cast<size_t>(int64_t{y} - d.Top - from)], R2_COPYPEN);
                return;
            }
            for (int32_t x = x0; x < x1; ++x)
                WriteRaw(row, x, s.Bpp, raws[static_cast<size_t>(int64_t{x} - d.Left - from)]);
        });
    }
    FTarget->SetModified(true);
}

// ---- Arcs, pies and chords --------------------------------------------------

namespace {

struct TArcGeometry {
    double Cx, Cy, Ra, Rb;
    double Start, Sweep;

    // The angle of a pixel centre, counter-clockwise from the positive x
    // axis, in the ellipse's normalised coordinates.
    double AngleOf(double px, double py) const { return std::atan2(-(py - Cy) / Rb, (px - Cx) / Ra); }
    bool InSweep(double angle) const
    {
        const double twoPi = 2 * std::numbers::pi;
        double offset = std::fmod(angle - Start, twoPi);
        if (offset < 0)
            offset += twoPi;
        return offset <= Sweep + 1e-12;
    }
    bool PixelInSweep(int32_t x, int32_t y) const { return InSweep(AngleOf(x + 0.5, y + 0.5)); }
    // The pixel holding the point of the ellipse at the angle, kept inside
    // the bounding box.
    TPoint PointAt(double angle) const
    {
        const double x = std::floor(Cx + Ra * std::cos(angle)), y = std::floor(Cy - Rb * std::sin(angle));
        return {static_cast<int32_t>(std::clamp(x, Left, Right - 1)),
                static_cast<int32_t>(std::clamp(y, Top, Bottom - 1))};
    }
    TPoint CentrePixel() const { return {static_cast<int32_t>(std::floor(Cx)), static_cast<int32_t>(std::floor(Cy))}; }
    double Left, Top, Right, Bottom;
};

TArcGeometry MakeArc(int32_t left, int32_t top, int32_t right, int32_t bottom, TPoint p3, TPoint p4)
{
    TArcGeometry g{};
    g.Left = left, g.Top = top, g.Right = std::max(right, left + 1), g.Bottom = std::max(bottom, top + 1);
    g.Cx = (static_cast<double>(left) + right) / 2;
    g.Cy = (static_cast<double>(top) + bottom) / 2;
    g.Ra = std::max(0.5, (static_cast<double>(right) - left) / 2);
    g.Rb = std::max(0.5, (static_cast<double>(bottom) - top) / 2);
    // The rays run from the centre through the centres of the given pixels.
    g.Start = g.AngleOf(p3.X + 0.5, p3.Y + 0.5);
    const double end = g.AngleOf(p4.X + 0.5, p4.Y + 0.5);
    const double twoPi = 2 * std::numbers::pi;
    g.Sweep = std::fmod(end - g.Start + twoPi, twoPi);
    if (g.Sweep < 1e-12)
        g.Sweep = twoPi;
    return g;
}

// The pixels of the spans inside `box` for which `keep(x, y)` holds.
template <typename Keep>
std::vector<TSpan> FilterPixels(const std::vector<TSpan>& spans, const TRect& box, Keep keep)
{
    std::vector<TSpan> out;
    for (const TSpan& s : spans)
        for (int32_t x = std::max(s.X0, box.Left); x < std::min(s.X1, box.Right); ++x)
            if (keep(x, s.Y))
                AddPoint(out, {x, s.Y});
    return out;
}

} // namespace

void TCanvas::DrawArcShape(int kind, int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t x3, int32_t y3,
                           int32_t x4, int32_t y4)
{
    Normalize(left, right);
    Normalize(top, bottom);
    const TPoint o = ToDevice(0, 0);
    left += o.X, right += o.X, top += o.Y, bottom += o.Y;
    const bool clearPen = FPen.Style() == psClear;
    const int32_t shrink = clearPen ? 1 : 0;
    const TArcGeometry g =
        MakeArc(left, top, right - shrink, bottom - shrink, {x3 + o.X, y3 + o.Y}, {x4 + o.X, y4 + o.Y});
    const TPoint first = g.PointAt(g.Start), last = g.PointAt(g.Start + g.Sweep);
    const TPoint centre = g.CentrePixel();

    const TRect box = VisibleBox();
    const TRowWindow rows = RowsOf(box);
    const TRowShape shape = EllipseShape(left, top, right - shrink, bottom - shrink, rows);
    if (kind != akArc) {
        const double chordX = last.X - first.X, chordY = last.Y - first.Y;
        const TPoint mid = g.PointAt(g.Start + g.Sweep / 2);
        const double midSide = chordX * (mid.Y - first.Y) - chordY * (mid.X - first.X);
        auto inside = [&](int32_t x, int32_t y) {
            if (kind == akPie)
                return g.Sweep >= 2 * std::numbers::pi - 1e-12 || g.PixelInSweep(x, y);
            const double side = chordX * (y - first.Y) - chordY * (x - first.X);
            return side * midSide >= 0;
        };
        PaintPatternSpans(FilterPixels(clearPen ? ShapeSpans(shape) : InteriorSpans(shape), box, inside),
                          MakeBrushPattern(), PenModeToRop2(FPen.Mode()));
    }
    if (!clearPen) {
        std::vector<TSpan> outline;
        if (FPen.Width() <= 1) {
            outline = OutlineSpans(shape);
        } else {
            const int32_t pw = std::min(FPen.Width(), MaxPenWidth);
            const TRect outer = FPen.Style() == psInsideFrame
                ? TRect{left, top, right, bottom}
                : TRect{left - pw / 2, top - pw / 2, right + (pw - 1) / 2, bottom + (pw - 1) / 2};
            outline =
                RingSpans(EllipseShape(outer.Left, outer.Top, outer.Right, outer.Bottom, rows),
                          EllipseShape(outer.Left + pw, outer.Top + pw, outer.Right - pw, outer.Bottom - pw, rows));
        }
        PaintPenSpans(FilterPixels(outline, box, [&](int32_t x, int32_t y) { return g.PixelInSweep(x, y); }));
        if (kind == akPie)
            StrokePolyline({last, centre, first}, false);
        else if (kind == akChord)
            StrokePolyline({last, first}, false);
    }
    FTarget->SetModified(true);
}

void TCanvas::Arc(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t x3, int32_t y3, int32_t x4,
                  int32_t y4)
{
    DrawArcShape(akArc, left, top, right, bottom, x3, y3, x4, y4);
}

void TCanvas::Pie(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t x3, int32_t y3, int32_t x4,
                  int32_t y4)
{
    DrawArcShape(akPie, left, top, right, bottom, x3, y3, x4, y4);
}

void TCanvas::Chord(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t x3, int32_t y3, int32_t x4,
                    int32_t y4)
{
    DrawArcShape(akChord, left, top, right, bottom, x3, y3, x4, y4);
}
