// Rulers and angle gauges: lines with ticks and the measured value written
// along them, in the object's pen at its own width.

#include <cmath>
#include <numbers>

#include "imaging/core/QkGeometry.h"
#include "imaging/views/vect/QkVPainterFrame.h"
#include "imaging/views/vect/QkVTextFont.h"
#include "platform/core/Strings.h"

namespace {

constexpr double Pi = std::numbers::pi;

int32_t Trunc(double value) { return int32_t(std::trunc(value)); }

TPoint Offset(TPoint at, double dx, double dy) { return {at.X + Trunc(dx), at.Y + Trunc(dy)}; }

// A line runs up-left or down-right.
bool Falling(TPoint s, TPoint e) { return (e.X < s.X && e.Y < s.Y) || (s.X < e.X && s.Y < e.Y); }

// The angle across the line, at which its ticks stand.
double AcrossAngle(TPoint s, TPoint e)
{
    double a = VectorAngle(s.X, s.Y, e.X, e.Y, e.X + (s.X - e.X), e.Y);
    if (s.X == e.X)
        a = s.Y < e.Y ? -Pi / 2 : Pi / 2;
    return Falling(s, e) ? 2 * Pi - a + Pi / 2 : a + Pi / 2;
}

void SetMeasurePen(TQkCanvas& canvas, const TQkVObject& record)
{
    canvas.Pen().SetMode(pmCopy);
    canvas.Pen().SetWidth(float(record.PenWidth));
    canvas.Pen().SetStyle(psSolid);
    canvas.Pen().SetColor(record.PenColor);
    canvas.Brush().SetStyle(bsClear);
}

} // namespace

void TQkVObjectPainter::DrawRuler(TObjectFrame& frame)
{
    TQkVObject& record = frame.Record;
    const TPoint s{frame.X1, frame.Y1};
    const TPoint e{frame.X2, frame.Y2};
    if (s == e)
        return;
    TQkCanvas& canvas = frame.Canvas;
    TCanvas& plain = *frame.Destination.Canvas();
    SetMeasurePen(canvas, record);
    SelectMeasureFont(*plain.Font(), record, frame.ZoomY, 0);
    canvas.DrawLine(s.X, s.Y, e.X, e.Y);
    frame.Include(s);
    frame.Include(e);
    const double r = AcrossAngle(s, e);
    const double b = std::hypot(e.X - s.X, e.Y - s.Y);
    const TQkVUnitFactors units =
        ComputeUnitFactors(record.RulerUnit, settings_.DpiX, settings_.DpiY, settings_.MeasureScale);
    if (record.RulerType == 0) {
        const double cosR = s.Y == e.Y ? 0 : std::cos(r);
        const double sinR = s.Y == e.Y ? -1 : std::sin(r);
        const double stepX = units.X * 10 / frame.ZoomX;
        const double stepY = units.Y * 10 / frame.ZoomY;
        if (stepX == 0 || stepY == 0)
            return;
        const double tx = 1 / stepX, ty = 1 / stepY;
        const bool rightwards = e.X >= s.X;
        const double alongX = rightwards ? -sinR : sinR; // sin(r + pi) = -sin r
        const double alongY = rightwards ? cosR : -cosR; // cos(r + pi) = -cos r
        const TRect bounds{std::min(s.X, e.X), std::min(s.Y, e.Y), std::max(s.X, e.X), std::max(s.Y, e.Y)};
        double previous = 0;
        for (int32_t k = 0; previous < b; ++k) {
            const double dx = k * tx * alongX;
            const double dy = k * ty * alongY;
            previous = std::hypot(dx, dy);
            const TPoint base = Offset(s, dx, dy);
            if (base.X < bounds.Left || base.X > bounds.Right || base.Y < bounds.Top || base.Y > bounds.Bottom)
                continue;
            const int32_t h = Trunc((k % 10 == 0 ? 12 : k % 5 == 0 ? 8 : 6) * frame.ZoomY);
            const TPoint first = Offset(base, h * cosR, h * sinR);
            const TPoint second = Offset(base, -h * cosR, -h * sinR);
            canvas.DrawLine(first.X, first.Y, second.X, second.Y);
            frame.Include(first);
            frame.Include(second);
            if (k % 10 != 0)
                continue;
            const std::string label = std::to_string(k / 10);
            const TSize extent = plain.TextExtent(label);
            const double m = 2.0 * extent.cy + 1;
            const int32_t w = extent.cx / 2;
            const TPoint at = Falling(s, e)
                ? TPoint{Trunc(first.X + m * cosR - 2 * w * cosR + w * sinR), Trunc(first.Y + m * sinR - w * cosR) + 20}
                : TPoint{Trunc(first.X + m * cosR + w * sinR), Trunc(first.Y + m * sinR + w * cosR) + 20};
            canvas.TextRectNoFill(TRect{at.X, at.Y, at.X + extent.cx, at.Y + extent.cy}, at.X, at.Y, label);
            frame.Include(TRect{at.X - 15, at.Y - 15, at.X + 15, at.Y + 15});
        }
        return;
    }
    for (const TPoint end : {s, e}) {
        const TPoint first = Offset(end, 9 * frame.ZoomX * std::cos(r), 9 * frame.ZoomY * std::sin(r));
        const TPoint second = Offset(end, 9 * frame.ZoomX * std::cos(r + Pi), 9 * frame.ZoomY * std::sin(r + Pi));
        canvas.DrawLine(first.X, first.Y, second.X, second.Y);
        frame.Include(first);
        frame.Include(second);
    }
    const double direction = LineAngle(s.X, s.Y, e.X, e.Y);
    double q = 2 * Pi - direction;
    if (settings_.KeepRulerTextUpright && q > Pi / 2 && q <= 3 * Pi / 2)
        q -= Pi;
    SelectMeasureFont(*plain.Font(), record, frame.ZoomY, Trunc(-q * 180 / Pi * 10));
    const double value =
        std::hypot(std::abs(record.X2 - record.X1) * units.X, std::abs(record.Y2 - record.Y1) * units.Y);
    std::string text = FloatToStrF(value, ffFixed, settings_.FloatPrecision, settings_.FloatDigits) + " " +
        UnitAbbreviation(record.RulerUnit);
    if (OnPresentMeasure)
        OnPresentMeasure(text, value);
    const bool turned = settings_.KeepRulerTextUpright && direction >= Pi / 2 - 0.000001 && direction <= 3 * Pi / 2;
    if (record.RulerType == 1)
        text = " " + text;
    else if (record.RulerType == 3)
        text += " ";
    const double l = plain.TextExtent(text).cx;
    const double th = plain.TextExtent(text).cy;
    TPoint at = turned ? e : s;
    if (record.RulerType == 2)
        at = turned ? Offset(s, -std::cos(q) * (l + b) / 2, -std::sin(q) * (l + b) / 2)
                    : Offset(s, std::cos(q) * (b - l) / 2, std::sin(q) * (b - l) / 2);
    else if (record.RulerType == 3)
        at = Offset(turned ? e : s, std::cos(q) * (b - l), std::sin(q) * (b - l));
    plain.Brush()->SetStyle(bsClear);
    plain.TextOut(at.X, at.Y, text);
    const TPoint far = Offset(at, std::cos(q) * l - std::sin(q) * th, std::cos(q) * th + std::sin(q) * l);
    frame.Include(TRect{at.X - 15, at.Y - 15, at.X + 15, at.Y + 15});
    frame.Include(TRect{far.X - 15, far.Y - 15, far.X + 15, far.Y + 15});
}

void TQkVObjectPainter::DrawAngleGauge(TObjectFrame& frame)
{
    TQkVObject& record = frame.Record;
    if (record.AnglePoints[0].X == UnsetAnglePoint)
        return;
    TQkCanvas& canvas = frame.Canvas;
    TCanvas& plain = *frame.Destination.Canvas();
    SetMeasurePen(canvas, record);
    SelectMeasureFont(*plain.Font(), record, frame.ZoomY, 0);
    std::vector<TPoint> points;
    for (const TPoint& point : record.AnglePoints)
        if (point.X != UnsetAnglePoint)
            points.push_back({frame.Mapping.MapX(point.X), frame.Mapping.MapY(point.Y)});
    canvas.Polyline(points);
    for (const TPoint& point : points)
        frame.Include(point);
    if (points.size() < 3)
        return;
    const TPoint first = points[0], vertex = points[1], third = points[2];
    double degrees = VertexAngle(record.AnglePoints[0].X, record.AnglePoints[0].Y, record.AnglePoints[1].X,
                                 record.AnglePoints[1].Y, record.AnglePoints[2].X, record.AnglePoints[2].Y) *
        180 / Pi;
    const bool other = settings_.AngleAbove180 && degrees >= 180;
    if (other)
        degrees = 360 - degrees;
    const std::string text = FloatToStrF(degrees, ffFixed, settings_.FloatPrecision, settings_.FloatDigits) + "°";
    plain.Brush()->SetStyle(bsClear);
    plain.TextOut(vertex.X, vertex.Y, text);
    const TSize extent = plain.TextExtent(text);
    frame.Include(TRect{vertex.X, vertex.Y, vertex.X + extent.cx, vertex.Y + extent.cy});
    const int32_t radius = std::min(Trunc(std::hypot(vertex.X - third.X, vertex.Y - third.Y)) / 4,
                                    Trunc(std::hypot(vertex.X - first.X, vertex.Y - first.Y)) / 4);
    const TRect arc{vertex.X - radius, vertex.Y - radius, vertex.X + radius, vertex.Y + radius};
    if (other)
        canvas.Arc(arc.Left, arc.Top, arc.Right, arc.Bottom, first.X, first.Y, third.X, third.Y);
    else
        canvas.Arc(arc.Left, arc.Top, arc.Right, arc.Bottom, third.X, third.Y, first.X, first.Y);
    frame.Include(arc);
}
