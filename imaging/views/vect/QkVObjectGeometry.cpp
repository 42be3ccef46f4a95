#include "imaging/views/vect/QkVObjectGeometry.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "imaging/core/QkGeometry.h"

namespace {

TRect Ordered(const TQkVObject& record)
{
    return {std::min(record.X1, record.X2), std::min(record.Y1, record.Y2), std::max(record.X1, record.X2),
            std::max(record.Y1, record.Y2)};
}

double LineDistance(const TQkVObject& record, int32_t x, int32_t y)
{
    const double distance = PointToSegmentDistance(x, y, record.X1, record.Y1, record.X2, record.Y2);
    return record.PenWidth > 1 ? std::max(distance - record.PenWidth / 2, 0.0) : distance;
}

double BoxDistance(const TQkVObject& record, int32_t x, int32_t y, bool filled)
{
    const TRect box = Ordered(record);
    return DistanceToRectangle(x, y, box.Left, box.Top, box.Right, box.Bottom, record.PenWidth, filled);
}

double BitmapDistance(TQkVObjectSet& objects, const TQkVObject& record, int32_t x, int32_t y,
                      const TQkVHitSettings& settings)
{
    const double distance = BoxDistance(record, x, y, true);
    TQkBitmap* image = objects.GetSharedBitmap(record.BitmapIndex);
    if (distance != 0 || !settings.BitmapAlphaHit || !image || !image->HasAlphaChannel())
        return distance;
    const TRect box = Ordered(record);
    const auto scaled = [](int32_t at, int32_t from, int32_t extent, int32_t size) {
        return std::clamp(extent > 0 ? int32_t(int64_t(at - from) * size / extent) : 0, 0, size - 1);
    };
    const int32_t column = scaled(x, box.Left, box.Right - box.Left + 1, image->GetWidth());
    const int32_t row = scaled(y, box.Top, box.Bottom - box.Top + 1, image->GetHeight());
    return image->GetAlphaChannel()->GetScanline(row)[column] == 0 ? 1000 : 0;
}

double PolylineDistance(const TQkVObject& record, int32_t x, int32_t y)
{
    double sx = 1, sy = 1;
    GetPolylineScale(record, sx, sy);
    const TScreenMapping mapping{
        sx, sy, double(record.X1), double(record.Y1), double(record.BaseX1), double(record.BaseY1)};
    if (record.Closed && record.BrushStyle != bsClear && PointInScaledPolygon(x, y, record.Points, mapping))
        return 0;
    return PointToPolylineDistance(x, y, record.Points, record.Closed, mapping, record.PenWidth);
}

double AngleDistance(const TQkVObject& record, int32_t x, int32_t y)
{
    const std::vector<TPoint> points(record.AnglePoints.begin(),
                                     record.AnglePoints.begin() + CountAnglePoints(record.AnglePoints));
    return PointToPolylineDistance(x, y, points, false, TScreenMapping{}, 1);
}

} // namespace

double ObjectDistance(TQkVObjectSet& objects, const TQkVObject& record, int32_t x, int32_t y,
                      const TQkVHitSettings& settings)
{
    const bool filled = record.BrushStyle != bsClear;
    switch (record.Kind) {
    case qkvkLine: return LineDistance(record, x, y);
    case qkvkLabelLine: {
        const TRect& label = record.LabelRect;
        return std::min(
            LineDistance(record, x, y),
            DistanceToRectangle(x, y, label.Left, label.Top, label.Right, label.Bottom, record.PenWidth, true));
    }
    case qkvkBox: return BoxDistance(record, x, y, filled || settings.FillBoxHit);
    case qkvkEllipse:
    case qkvkArc: {
        const TRect box = Ordered(record);
        return DistanceToEllipse(x, y, box.Left, box.Top, box.Right, box.Bottom, record.PenWidth,
                                 record.Kind == qkvkEllipse && filled);
    }
    case qkvkBitmap: return BitmapDistance(objects, record, x, y, settings);
    case qkvkText:
    case qkvkMemo:
    case qkvkUserObject: return BoxDistance(record, x, y, true);
    case qkvkRuler: return PointToSegmentDistance(x, y, record.X1, record.Y1, record.X2, record.Y2);
    case qkvkPolyline: return PolylineDistance(record, x, y);
    case qkvkAngle: return AngleDistance(record, x, y);
    default: return ShapeFarAway;
    }
}

int32_t FindObjectAt(TQkVObjectSet& objects, int32_t x, int32_t y, bool selectableOnly, double& distance,
                     const TRect& visiblePart, double zoom, const TQkVHitSettings& settings)
{
    distance = 2147483647.0;
    int32_t found = qkvAllObjects;
    const std::vector<int32_t>& order = objects.ZOrder();
    for (auto handle = order.rbegin(); handle != order.rend(); ++handle) {
        const TQkVObject& record = *objects.GetObjectRecord(*handle);
        if (!(record.Flags & qkvfVisible) || (selectableOnly && !(record.Flags & qkvfSelectable)))
            continue;
        if (!RectsOverlap(record.X1, record.Y1, record.X2, record.Y2, visiblePart.Left, visiblePart.Top,
                          visiblePart.Right, visiblePart.Bottom))
            continue;
        const double d = ObjectDistance(objects, record, x, y, settings);
        if (d < distance) {
            distance = d;
            found = *handle;
        }
    }
    if (settings.HitTolerance >= 0 && zoom > 0 && distance > settings.HitTolerance / zoom)
        return qkvAllObjects;
    return found;
}

void MoveObject(TQkVObject& record, int32_t dx, int32_t dy)
{
    record.X1 += dx;
    record.X2 += dx;
    record.Y1 += dy;
    record.Y2 += dy;
    if (record.Kind == qkvkAngle)
        for (int32_t i = 0; i < CountAnglePoints(record.AnglePoints); ++i)
            record.AnglePoints[size_t(i)] = {record.AnglePoints[size_t(i)].X + dx,
                                             record.AnglePoints[size_t(i)].Y + dy};
}

void ResizeObject(TQkVObject& record, int32_t dX1, int32_t dY1, int32_t dX2, int32_t dY2, bool keepAspect, int32_t grip)
{
    record.X1 += dX1;
    record.Y1 += dY1;
    record.X2 += dX2;
    record.Y2 += dY2;
    if (!keepAspect)
        return;
    const double savedWidth = record.SavedRect.Right - record.SavedRect.Left;
    const double savedHeight = record.SavedRect.Bottom - record.SavedRect.Top;
    const bool heightFollows = grip == 1 || grip == 2 || grip == 4 || grip == 5 || grip == 6 || grip == 7;
    if (heightFollows) {
        const double product = double(record.X2 - record.X1) * savedHeight;
        if (product == 0 || savedWidth == 0)
            return;
        const auto h = int32_t(std::lround(product / savedWidth));
        if (grip == 1 || grip == 4)
            record.Y1 = record.Y2 - h;
        else
            record.Y2 = record.Y1 + h;
    } else if (grip == 8 || grip == 9) {
        const double product = double(record.Y2 - record.Y1) * savedWidth;
        if (product == 0 || savedHeight == 0)
            return;
        const auto w = int32_t(std::lround(product / savedHeight));
        if (grip == 8)
            record.X1 = record.X2 - w;
        else
            record.X2 = record.X1 + w;
    }
}

void GetPolylineScale(const TQkVObject& record, double& sx, double& sy)
{
    sx = record.BaseX2 != record.BaseX1 ? double(record.X2 - record.X1) / double(record.BaseX2 - record.BaseX1) : 1.0;
    sy = record.BaseY2 != record.BaseY1 ? double(record.Y2 - record.Y1) / double(record.BaseY2 - record.BaseY1) : 1.0;
}

void NormalizePolyline(TQkVObject& record)
{
    if (record.Points.empty())
        return;
    double sx = 1, sy = 1;
    GetPolylineScale(record, sx, sy);
    TRect mapped{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    TRect own = mapped;
    for (const TPoint& point : record.Points) {
        IncludePointInRect(mapped, int32_t(std::lround((point.X - record.BaseX1) * sx)) + record.X1,
                           int32_t(std::lround((point.Y - record.BaseY1) * sy)) + record.Y1);
        IncludePointInRect(own, point.X, point.Y);
    }
    record.X1 = mapped.Left;
    record.Y1 = mapped.Top;
    record.X2 = mapped.Right;
    record.Y2 = mapped.Bottom;
    record.BaseX1 = own.Left;
    record.BaseY1 = own.Top;
    record.BaseX2 = own.Right;
    record.BaseY2 = own.Bottom;
}

int32_t CountAnglePoints(const std::array<TPoint, 3>& points)
{
    int32_t count = 0;
    while (count < 3 && points[size_t(count)].X != UnsetAnglePoint)
        ++count;
    return count;
}

void AngleGaugeBounds(TQkVObject& record)
{
    if (CountAnglePoints(record.AnglePoints) < 3)
        return;
    const auto& [first, vertex, third] = record.AnglePoints;
    const int32_t halfWidth = std::abs(vertex.X - std::max(first.X, third.X));
    const int32_t halfHeight = std::abs(vertex.Y - std::max(first.Y, third.Y));
    record.X1 = vertex.X - halfWidth;
    record.X2 = vertex.X + halfWidth;
    record.Y1 = vertex.Y - halfHeight;
    record.Y2 = vertex.Y + halfHeight;
}

void AddSelObject(TQkVObjectSet& objects, int32_t hobj)
{
    if (hobj == qkvLastObject)
        hobj = objects.ObjectCount() - 1;
    const TQkVObject* record = objects.GetObjectRecord(hobj);
    if (record && hobj >= 0 && (record->Flags & qkvfSelectable))
        objects.Selection().push_back(hobj);
}

bool IsSelObject(TQkVObjectSet& objects, int32_t hobj)
{
    const auto& selection = objects.Selection();
    return std::find(selection.begin(), selection.end(), hobj) != selection.end();
}

void UnSelObject(TQkVObjectSet& objects, int32_t hobj)
{
    auto& selection = objects.Selection();
    const auto found = std::find(selection.begin(), selection.end(), hobj);
    if (found != selection.end())
        selection.erase(found);
}

void SelectObjectsInRect(TQkVObjectSet& objects, int32_t hobj, int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    const std::vector<int32_t> handles = hobj == qkvAllObjects ? objects.ZOrder() : std::vector<int32_t>{hobj};
    for (const int32_t handle : handles) {
        const TQkVObject* record = objects.GetObjectRecord(handle);
        if (!record || IsSelObject(objects, handle))
            continue;
        const bool directed = record->Kind == qkvkLine || record->Kind == qkvkRuler || record->Kind == qkvkPolyline ||
            record->Kind == qkvkAngle || record->Kind == qkvkLabelLine;
        const TRect box = directed ? Ordered(*record) : TRect{record->X1, record->Y1, record->X2, record->Y2};
        if (box.Left >= x1 && box.Right <= x2 && box.Top >= y1 && box.Bottom <= y2)
            AddSelObject(objects, handle);
    }
}

TRect GetSelectionBounds(TQkVObjectSet& objects, int32_t imageWidth, int32_t imageHeight)
{
    TRect bounds{imageWidth, imageHeight, 0, 0};
    for (const int32_t handle : objects.Selection())
        if (const TQkVObject* record = objects.GetObjectRecord(handle)) {
            IncludePointInRect(bounds, record->X1, record->Y1);
            IncludePointInRect(bounds, record->X2, record->Y2);
        }
    return bounds;
}
