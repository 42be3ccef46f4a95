#include "imaging/views/vect/QkVDrawing.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "imaging/core/QkCanvas.h"
#include "imaging/core/QkGeometry.h"
#include "imaging/core/QkRender.h"
#include "imaging/core/QkRenderStretch.h"
#include "imaging/core/QkSoftShadow.h"
#include "imaging/views/vect/QkVPainterFrame.h"
#include "imaging/views/vect/QkVUserObject.h"
#include "platform/gfx/Bitmap.h"

namespace {

constexpr double Pi = std::numbers::pi;

// The empty rectangle that the first included point replaces.
constexpr TRect NothingDrawn{2000000000, 2000000000, -2000000000, -2000000000};

} // namespace

TQkVUnitFactors ComputeUnitFactors(TQkUnits unit, double dpiX, double dpiY, double measureScale)
{
    if (unit == qkuPIXELS || dpiX <= 0 || dpiY <= 0)
        return {measureScale, measureScale};
    // Factors from inches.
    constexpr double fromInches[] = {1,          1,        2.54 / 100000, 2.54 / 100, 2.54, 2.54 * 10, 2.54 * 10000,
                                     2.54 * 1e7, 1.0 / 12, 1.0 / 36,      1.0 / 63360};
    const double factor = fromInches[std::min<size_t>(unit, std::size(fromInches) - 1)];
    return {factor / dpiX * measureScale, factor / dpiY * measureScale};
}

std::string UnitAbbreviation(TQkUnits unit)
{
    static const char* const names[] = {"pixels",  "inches",     "km",   "mt",    "cm",   "mm",
                                        "microns", "nanometers", "feet", "yards", "miles"};
    return unit < std::size(names) ? names[unit] : "";
}

TQkVMapping::TQkVMapping(std::function<int32_t(int32_t)> toX, std::function<int32_t(int32_t)> toY, double zoomX,
                         double zoomY)
    : toX_(std::move(toX)), toY_(std::move(toY)), zoomX_(zoomX), zoomY_(zoomY)
{}

TQkVMapping TQkVMapping::Scaled(int32_t scale) const
{
    TQkVMapping scaled = *this;
    scaled.scale_ = scale;
    return scaled;
}

std::vector<TPoint> ArrowTriangle(int32_t shape, int32_t ex, int32_t ey, int32_t ox, int32_t oy, int32_t length,
                                  int32_t width)
{
    if (shape != 1 && shape != 2)
        return {};
    const double halfWidth = width / 2;
    double a = VectorAngle(ex, ey, ox, oy, ex, oy);
    if (ex == ox)
        a = oy > ey ? -Pi / 2 : Pi / 2;
    const bool across = (ex > ox && ey > oy) || (ex < ox && oy > ey);
    const double q = across ? 2 * Pi - a + Pi / 2 : Pi / 2 + a;
    const bool backwards = (ex > ox && ey != oy) || (ex < ox && ey == oy);
    const double toM = backwards ? q - Pi / 2 : q + Pi / 2;
    const TPoint end{ex, ey};
    const TPoint middle{ex + int32_t(std::trunc(length * std::cos(toM))),
                        ey + int32_t(std::trunc(length * std::sin(toM)))};
    const auto side = [&](TPoint at, double angle) {
        return TPoint{at.X + int32_t(std::trunc(halfWidth * std::cos(angle))),
                      at.Y + int32_t(std::trunc(halfWidth * std::sin(angle)))};
    };
    if (shape == 1)
        return {side(end, q), side(end, q + Pi), middle};
    return {side(middle, q), side(middle, q + Pi), end};
}

void FillRectAnd(TBitmap& bitmap, int32_t x1, int32_t y1, int32_t x2, int32_t y2, TColor colour)
{
    const int32_t left = std::clamp(std::min(x1, x2), 0, bitmap.Width() - 1);
    const int32_t right = std::clamp(std::max(x1, x2), 0, bitmap.Width() - 1);
    const int32_t top = std::clamp(std::min(y1, y2), 0, bitmap.Height() - 1);
    const int32_t bottom = std::clamp(std::max(y1, y2), 0, bitmap.Height() - 1);
    const uint8_t red = uint8_t(colour), green = uint8_t(colour >> 8), blue = uint8_t(colour >> 16);
    for (int32_t y = top; y <= bottom && bitmap.Width() > 0; ++y) {
        uint8_t* row = bitmap.ScanLine(y);
        if (bitmap.PixelFormat() == pf24bit)
            for (int32_t x = left; x <= right; ++x) {
                row[3 * x] &= blue;
                row[3 * x + 1] &= green;
                row[3 * x + 2] &= red;
            }
        else if (bitmap.PixelFormat() == pf8bit)
            std::fill(row + left, row + right + 1, red);
    }
}

TQkVObjectPainter::TQkVObjectPainter(TQkVObjectSet& objects, const TQkVDrawSettings& settings)
    : objects_(objects), settings_(settings)
{}

TQkVObjectPainter::~TQkVObjectPainter() = default;

int32_t TQkVObjectPainter::ScaledPenWidth(const TQkVObject& record, const TQkVMapping& mapping) const
{
    if (!settings_.ZoomObjectsWidth)
        return record.PenWidth;
    const double zoomed = std::min(mapping.ZoomX(), mapping.ZoomY()) * record.PenWidth;
    return int32_t(std::ceil(std::max(zoomed, 1.0)));
}

bool TQkVObjectPainter::DrawObject(TQkVObject& record, int32_t hobj, bool alphaPass, const TQkVMapping& mapping,
                                   TQkBitmap* offscreen, const TRect* imageArea, TBitmap& destination)
{
    if (settings_.HideObjects)
        return false;
    if (record.AndFill)
        record.PenWidth = 1;
    const bool antiAlias = settings_.ObjAntialias && !(FastDrawing && settings_.FastDrawWhileDragging);
    TObjectFrame frame(record, hobj, alphaPass, mapping, offscreen, destination, antiAlias,
                       ScaledPenWidth(record, mapping));
    record.DrawnRect = NothingDrawn;
    record.DrawMargin = frame.PenWidth;
    const TRect box = frame.OrderedBox();
    if (!(record.Flags & qkvfVisible))
        return false;
    if (imageArea &&
        (box.Right < imageArea->Left || box.Left > imageArea->Right || box.Bottom < imageArea->Top ||
         box.Top > imageArea->Bottom))
        return false;
    const TRect mappedBox{frame.X1, frame.Y1, frame.X2, frame.Y2};
    bool handled = false;
    if (OnBeforeDrawObject) {
        OnBeforeDrawObject(hobj, destination, mappedBox, alphaPass, handled);
        frame.Include(box);
    }
    if (!handled) {
        DrawByKind(frame);
        ++DrawnObjects;
    }
    if (OnAfterDrawObject) {
        bool ignored = false;
        OnAfterDrawObject(hobj, destination, mappedBox, alphaPass, ignored);
        frame.Include(box);
    }
    return true;
}

void TQkVObjectPainter::DrawByKind(TObjectFrame& frame)
{
    TQkVObject& record = frame.Record;
    TQkCanvas& canvas = frame.Canvas;
    switch (record.Kind) {
    case qkvkLine:
    case qkvkLabelLine: DrawLine(frame); break;
    case qkvkBox:
        frame.UseRecordBrush();
        canvas.Pen().SetLineJoin(0);
        if (record.AndFill)
            FillRectAnd(frame.Destination, frame.X1, frame.Y1, frame.X2, frame.Y2,
                        frame.AlphaPass ? record.PenColor : record.BrushColor);
        else
            canvas.Rectangle(frame.X1, frame.Y1, frame.X2 + 1, frame.Y2 + 1);
        frame.Include(frame.OrderedBox());
        break;
    case qkvkEllipse:
        frame.UseRecordBrush();
        canvas.Ellipse(frame.X1, frame.Y1, frame.X2 + 1, frame.Y2 + 1);
        frame.Include(frame.OrderedBox());
        break;
    case qkvkArc: DrawArc(frame); break;
    case qkvkBitmap:
        frame.UseRecordBrush();
        DrawBitmapObject(frame, frame.BitmapBox());
        break;
    case qkvkText:
        canvas.Pen().SetLineJoin(0);
        frame.UseRecordBrush();
        DrawTextObject(frame);
        break;
    case qkvkMemo:
        canvas.Pen().SetLineJoin(0);
        frame.UseRecordBrush();
        DrawMemo(frame);
        break;
    case qkvkRuler:
        canvas.Pen().SetLineJoin(0);
        frame.UseRecordBrush();
        DrawRuler(frame);
        break;
    case qkvkPolyline: DrawPolyline(frame); break;
    case qkvkAngle:
        canvas.Pen().SetLineJoin(0);
        frame.UseRecordBrush();
        DrawAngleGauge(frame);
        break;
    case qkvkUserObject:
        frame.UseRecordBrush();
        if (record.UserObject)
            record.UserObject->Draw(frame.Destination, frame.X1, frame.Y1, frame.X2, frame.Y2, frame.ZoomX, frame.ZoomY,
                                    frame.AlphaPass);
        frame.Include(frame.OrderedBox());
        break;
    default: break;
    }
}

void TQkVObjectPainter::DrawLine(TObjectFrame& frame)
{
    TQkVObject& record = frame.Record;
    TQkCanvas& canvas = frame.Canvas;
    if (frame.PenWidth > 1)
        canvas.Pen().SetLineJoin(2);
    canvas.DrawLine(frame.X1, frame.Y1, frame.X2, frame.Y2);
    frame.Include(TPoint{frame.X1, frame.Y1});
    frame.Include(TPoint{frame.X2, frame.Y2});
    const int32_t length = int32_t(std::trunc(record.ShapeHeight * frame.ZoomY));
    const int32_t width = int32_t(std::trunc(record.ShapeWidth * frame.ZoomX));
    frame.UseRecordBrush();
    for (const auto& [shape, end, other] :
         {std::tuple{record.BeginShape, TPoint{frame.X1, frame.Y1}, TPoint{frame.X2, frame.Y2}},
          std::tuple{record.EndShape, TPoint{frame.X2, frame.Y2}, TPoint{frame.X1, frame.Y1}}}) {
        const std::vector<TPoint> triangle = ArrowTriangle(shape, end.X, end.Y, other.X, other.Y, length, width);
        if (triangle.empty())
            continue;
        canvas.Polygon(triangle);
        for (const TPoint& point : triangle)
            frame.Include(point);
    }
    if (record.Kind == qkvkLabelLine)
        DrawLabel(frame);
}

void TQkVObjectPainter::DrawArc(TObjectFrame& frame)
{
    const TQkVObject& record = frame.Record;
    frame.UseRecordBrush();
    const double rx = (frame.X2 - frame.X1) / 2.0;
    const double ry = (frame.Y2 - frame.Y1) / 2.0;
    const auto onEllipse = [&](double angle) {
        return TPoint{frame.X1 + int32_t(std::trunc(rx + std::cos(angle) * rx)),
                      frame.Y1 + int32_t(std::trunc(ry + std::sin(angle) * ry))};
    };
    const TPoint start = onEllipse(record.BeginAngle);
    const TPoint end = onEllipse(record.EndAngle);
    frame.Canvas.Arc(frame.X1, frame.Y1, frame.X2 + 1, frame.Y2 + 1, start.X, start.Y, end.X, end.Y);
    frame.Include(frame.OrderedBox());
}

void TQkVObjectPainter::DrawPolyline(TObjectFrame& frame)
{
    TQkVObject& record = frame.Record;
    frame.UseRecordBrush();
    frame.Canvas.Pen().SetLineJoin(2);
    if (record.Points.empty() || (record.BaseX1 == record.BaseX2 && record.BaseY1 == record.BaseY2))
        return;
    const double scaleX =
        record.BaseX2 != record.BaseX1 ? double(record.X2 - record.X1) / double(record.BaseX2 - record.BaseX1) : 1.0;
    const double scaleY =
        record.BaseY2 != record.BaseY1 ? double(record.Y2 - record.Y1) / double(record.BaseY2 - record.BaseY1) : 1.0;
    record.ScreenPoints.clear();
    for (const TPoint& point : record.Points) {
        const TPoint mapped{frame.Mapping.MapX(int32_t(std::round((point.X - record.BaseX1) * scaleX)) + record.X1),
                            frame.Mapping.MapY(int32_t(std::round((point.Y - record.BaseY1) * scaleY)) + record.Y1)};
        record.ScreenPoints.push_back(mapped);
        frame.Include(mapped);
    }
    if (record.Closed)
        frame.Canvas.Polygon(record.ScreenPoints);
    else
        frame.Canvas.Polyline(record.ScreenPoints);
    const int32_t scale = frame.Mapping.Scale();
    if (scale > 1)
        for (TPoint& point : record.ScreenPoints)
            point = {point.X / scale, point.Y / scale};
}

void TQkVObjectPainter::DrawBitmapObject(TObjectFrame& frame, TRect box)
{
    TQkVObject& record = frame.Record;
    TQkBitmap* image = objects_.GetSharedBitmap(record.BitmapIndex);
    if (!image) {
        TCanvas& plain = *frame.Destination.Canvas();
        plain.MoveTo(box.Left, box.Top);
        plain.LineTo(box.Right, box.Bottom);
        plain.MoveTo(box.Right, box.Top);
        plain.LineTo(box.Left, box.Bottom);
        plain.Brush()->SetStyle(bsClear);
        plain.Rectangle(box.Left, box.Top, box.Right + 1, box.Bottom + 1);
        frame.Include(box);
        return;
    }
    if (record.BitmapBorder)
        DrawBitmapBorder(frame, box);
    const TResampleFilter filter = FastDrawStep >= 1 ? rfNone : settings_.BitmapResampleFilter;
    const TQkRenderRect target{box.Left, box.Top, box.Right - box.Left + 1, box.Bottom - box.Top + 1};
    const TQkRenderRect whole{0, 0, image->GetWidth(), image->GetHeight()};
    if (frame.Offscreen)
        StretchRectTo(*image, *frame.Offscreen, target, whole, filter, record.Transparency);
    else
        RenderToTBitmap(*image, frame.Destination, target, whole, record.Transparency, filter, 0);
    frame.Include(box);
}

void TQkVObjectPainter::DrawBitmapBorder(TObjectFrame& frame, const TRect& box)
{
    const TQkVObject& record = frame.Record;
    TQkBitmap* alpha =
        frame.Offscreen && frame.Offscreen->HasAlphaChannel() ? frame.Offscreen->GetAlphaChannel() : nullptr;
    TCanvas& canvas = *frame.Destination.Canvas();
    const auto set = [&](int32_t x, int32_t y) {
        if (x < 0 || y < 0 || x >= frame.Destination.Width() || y >= frame.Destination.Height())
            return;
        canvas.SetPixel(x, y, record.PenColor);
        if (alpha)
            alpha->GetScanline(y)[x] = 255;
    };
    for (int32_t inset = 0; inset < frame.PenWidth; ++inset) {
        const TRect ring{box.Left + inset, box.Top + inset, box.Right - inset, box.Bottom - inset};
        for (int32_t x = ring.Left; x <= ring.Right; ++x) {
            set(x, ring.Top);
            set(x, ring.Bottom);
        }
        for (int32_t y = ring.Top; y <= ring.Bottom; ++y) {
            set(ring.Left, y);
            set(ring.Right, y);
        }
    }
}
