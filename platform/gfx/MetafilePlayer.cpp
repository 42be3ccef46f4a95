#include "platform/gfx/MetafilePlayer.h"

#include "platform/core/Strings.h"
#include "platform/gfx/Font.h"
#include "platform/gfx/MetafileBytes.h"

#include <algorithm>
#include <cmath>
#include <tuple>
#include <utility>

namespace {

// Deeper SaveDC nesting than any drawing needs; past it saves are dropped.
constexpr size_t savedStateLimit = 256;
// Device coordinates stay well inside the canvas's integer range.
constexpr double coordinateLimit = 1 << 28;

// Binary raster operations R2_BLACK (1) to R2_WHITE (16).
constexpr TPenMode rop2Modes[] = {pmBlack, pmNotMerge,    pmMaskNotPen, pmNotCopy, pmMaskPenNot, pmNot,
                                  pmXor,   pmNotMask,     pmMask,       pmNotXor,  pmNop,        pmMergeNotPen,
                                  pmCopy,  pmMergePenNot, pmMerge,      pmWhite};

} // namespace

int32_t TMetafilePlayer::ToDevice(double value)
{
    return std::isnan(value) ? 0
                             : static_cast<int32_t>(std::lround(std::clamp(value, -coordinateLimit, coordinateLimit)));
}

TMetafilePlayer::TMetafilePlayer(TCanvas& canvas, const TRect& target, const TMetafile::TLayout& layout)
    : FCanvas(canvas), FTarget(target), FLayout(layout), FObjects(layout.Handles)
{
    FState.WindowOrg = FState.ViewportOrg = {layout.Left, layout.Top};
    FState.WindowExt = FState.ViewportExt = {layout.Right - layout.Left, layout.Bottom - layout.Top};
    FCanvas.SetBackgroundMode(OPAQUE);
    FCanvas.SetBackgroundColor(clWhite);
    FCanvas.SetTextColor(clBlack);
    FCanvas.SetPolyFillMode(ALTERNATE);
    FCanvas.Pen()->SetMode(pmCopy);
    SelectPen(FState.Pen);
    SelectBrush(FState.Brush);
    if (TRegion clip; FCanvas.GetClipRgn(clip))
        FInitialClip = std::move(clip);
}

TMetafilePlayer::~TMetafilePlayer()
{
    FCanvas.Brush()->SetBitmap(nullptr);
    FCanvas.Brush()->SetWholeBitmap(false);
}

TMetafilePlayer::TPoint64 TMetafilePlayer::Reference(double logicalX, double logicalY) const
{
    const TState& s = FState;
    const TXform& w = s.World;
    const double x = logicalX * w.M11 + logicalY * w.M21 + w.Dx;
    const double y = logicalX * w.M12 + logicalY * w.M22 + w.Dy;
    const double scaleX = s.Scaled ? s.ViewportExt.X / s.WindowExt.X : 1;
    const double scaleY = s.Scaled ? s.ViewportExt.Y / s.WindowExt.Y : 1;
    return {(x - s.WindowOrg.X) * scaleX + s.ViewportOrg.X, (y - s.WindowOrg.Y) * scaleY + s.ViewportOrg.Y};
}

TMetafilePlayer::TPoint64 TMetafilePlayer::TargetOffset(TPoint64 reference) const
{
    return {(reference.X - FLayout.Left) * FTarget.Width() / (FLayout.Right - FLayout.Left),
            (reference.Y - FLayout.Top) * FTarget.Height() / (FLayout.Bottom - FLayout.Top)};
}

TMetafilePlayer::TPoint64 TMetafilePlayer::MapExact(double logicalX, double logicalY) const
{
    const TPoint64 offset = TargetOffset(Reference(logicalX, logicalY));
    return {FTarget.Left + offset.X, FTarget.Top + offset.Y};
}

TPoint TMetafilePlayer::MapReference(double referenceX, double referenceY) const
{
    const TPoint64 offset = TargetOffset({referenceX, referenceY});
    return {FTarget.Left + ToDevice(offset.X), FTarget.Top + ToDevice(offset.Y)};
}

TPoint TMetafilePlayer::Map(double logicalX, double logicalY) const
{
    const TPoint64 reference = Reference(logicalX, logicalY);
    return MapReference(reference.X, reference.Y);
}

int32_t TMetafilePlayer::MapHeight(double height) const
{
    const TPoint origin = Map(0, 0);
    return std::max(1, std::abs(Map(0, height).Y - origin.Y));
}

int32_t TMetafilePlayer::MapWidth(double width) const
{
    const TPoint origin = Map(0, 0);
    return std::max(1, std::abs(Map(width, 0).X - origin.X));
}

TRect TMetafilePlayer::MapRect(double left, double top, double right, double bottom) const
{
    const TPoint topLeft = Map(left, top);
    const TPoint bottomRight = Map(right, bottom);
    return {topLeft.X, topLeft.Y, bottomRight.X, bottomRight.Y};
}

void TMetafilePlayer::SelectPen(const TPenObject& pen)
{
    FState.Pen = pen;
    TPen& target = *FCanvas.Pen();
    target.SetStyle(pen.Style);
    target.SetColor(pen.Color);
    target.SetWidth(pen.Width <= 1 ? 1 : MapWidth(pen.Width));
}

void TMetafilePlayer::SelectBrush(const TBrushObject& brush)
{
    FState.Brush = brush;
    // The canvas resets its background colour and mode with its brush; a
    // device context keeps them.
    const TColor background = FCanvas.BackgroundColor();
    const TBackgroundMode mode = FCanvas.BackgroundMode();
    TBrush& target = *FCanvas.Brush();
    target.SetColor(brush.Color);
    target.SetStyle(brush.Style);
    target.SetBitmap(brush.Pattern.get());
    target.SetWholeBitmap(brush.Pattern != nullptr);
    FCanvas.SetBackgroundColor(background);
    FCanvas.SetBackgroundMode(mode);
}

void TMetafilePlayer::SelectFont(const TLogFont& font)
{
    FState.Font = font;
    const TColor textColor = FCanvas.TextColor();
    TFont& target = *FCanvas.Font();
    TLogFont mapped = font;
    if (mapped.lfFaceName.empty())
        mapped.lfFaceName = target.Name();
    if (font.lfHeight == 0)
        mapped.lfHeight = target.Height();
    else
        mapped.lfHeight = font.lfHeight < 0 ? -MapHeight(-double(font.lfHeight)) : MapHeight(font.lfHeight);
    LogFontToFont(mapped, target);
    FCanvas.SetTextColor(textColor);
}

void TMetafilePlayer::DrawText(double x, double y, const std::u32string& text, uint32_t options, const TRect* rect,
                               const std::vector<double>& advances)
{
    const TPoint at = Map(x, y);
    std::vector<int32_t> dx;
    if (advances.size() == text.size()) {
        double logical = x;
        int32_t previous = at.X;
        for (const double advance : advances) {
            logical += advance;
            const int32_t next = Map(logical, y).X;
            dx.push_back(next - previous);
            previous = next;
        }
    }
    FCanvas.ExtTextOut(at.X, at.Y, options & (ETO_OPAQUE | ETO_CLIPPED), rect, Utf32ToUtf8(text),
                       dx.empty() ? nullptr : dx.data());
}

// Modes: 1 identity, 2 the new transform first, 3 the new one last, 4 set.
void TMetafilePlayer::ModifyWorldTransform(const TXform& xform, uint32_t mode)
{
    const auto product = [](const TXform& a, const TXform& b) {
        return TXform{a.M11 * b.M11 + a.M12 * b.M21,      a.M11 * b.M12 + a.M12 * b.M22,
                      a.M21 * b.M11 + a.M22 * b.M21,      a.M21 * b.M12 + a.M22 * b.M22,
                      a.Dx * b.M11 + a.Dy * b.M21 + b.Dx, a.Dx * b.M12 + a.Dy * b.M22 + b.Dy};
    };
    const auto usable = [](const TXform& t) {
        for (double value : {t.M11, t.M12, t.M21, t.M22, t.Dx, t.Dy})
            if (!std::isfinite(value) || std::abs(value) > coordinateLimit)
                return false;
        return true;
    };
    TXform world = FState.World;
    if (mode == 1)
        world = TXform{};
    else if (mode == 2)
        world = product(xform, FState.World);
    else if (mode == 3)
        world = product(FState.World, xform);
    else if (mode == 4)
        world = xform;
    // Transforms that would carry coordinates out of range are ignored.
    if (usable(xform) && usable(world))
        FState.World = world;
}

// The outline in logical coordinates, each point mapped: an ellipse's arc
// runs counter-clockwise from the start ray to the end ray.
void TMetafilePlayer::DrawRotatedShape(TShape shape, double left, double top, double right, double bottom,
                                       TPoint64 start, TPoint64 end)
{
    std::vector<TPoint> outline;
    if (shape == TShape::Rectangle) {
        for (const auto& [x, y] : {std::pair{left, top}, {right, top}, {right, bottom}, {left, bottom}})
            outline.push_back(Map(x, y));
        FCanvas.Polygon(outline);
        return;
    }
    const double cx = (left + right) / 2, cy = (top + bottom) / 2;
    const double rx = std::abs(right - left) / 2, ry = std::abs(bottom - top) / 2;
    if (rx == 0 || ry == 0)
        return;
    const auto angle = [&](TPoint64 p) { return std::atan2(-(p.Y - cy) / ry, (p.X - cx) / rx); };
    const double from = shape == TShape::Ellipse ? 0 : angle(start);
    double to = shape == TShape::Ellipse ? 2 * M_PI : angle(end);
    if (to <= from)
        to += 2 * M_PI;
    const int32_t steps = static_cast<int32_t>(std::ceil((to - from) / (2 * M_PI) * 96)) + 1;
    for (int32_t i = 0; i <= steps; ++i) {
        const double t = from + (to - from) * i / steps;
        outline.push_back(Map(cx + rx * std::cos(t), cy - ry * std::sin(t)));
    }
    if (shape == TShape::Pie)
        outline.push_back(Map(cx, cy));
    if (shape == TShape::Arc)
        FCanvas.Polyline(outline);
    else
        FCanvas.Polygon(outline);
}

int64_t TMetafilePlayer::FirstFreeSlot() const
{
    for (size_t i = 0; i < FObjects.size(); ++i)
        if (FObjects[i].Kind == TObjectKind::None)
            return static_cast<int64_t>(i);
    return -1;
}

void TMetafilePlayer::CreateObject(const TObject& object, int64_t index)
{
    if (index >= 0 && static_cast<uint64_t>(index) < FObjects.size())
        FObjects[static_cast<size_t>(index)] = object;
}

void TMetafilePlayer::SelectObject(uint32_t index)
{
    if (index >= FObjects.size())
        return;
    const TObject& object = FObjects[index];
    if (object.Kind == TObjectKind::Pen)
        SelectPen(object.Pen);
    else if (object.Kind == TObjectKind::Brush)
        SelectBrush(object.Brush);
    else if (object.Kind == TObjectKind::Font)
        SelectFont(object.Font);
}

void TMetafilePlayer::SelectStockObject(uint32_t stock)
{
    constexpr TColor brushColours[] = {clWhite, 0xC0C0C0, 0x808080, 0x404040, clBlack};
    if (stock < std::size(brushColours))
        SelectBrush({bsSolid, brushColours[stock], nullptr});
    else if (stock == 5)
        SelectBrush({bsClear, clWhite, nullptr});
    else if (stock == 6 || stock == 7)
        SelectPen({psSolid, 1, stock == 6 ? clWhite : clBlack});
    else if (stock == 8)
        SelectPen({psClear, 1, clBlack});
}

void TMetafilePlayer::SelectPalette(uint32_t index)
{
    constexpr uint32_t stockDefaultPalette = 0x8000000F;
    if (index == stockDefaultPalette)
        FState.Palette.clear();
    else if (index < FObjects.size() && FObjects[index].Kind == TObjectKind::Palette)
        FState.Palette = FObjects[index].Palette;
}

void TMetafilePlayer::DeleteObject(uint32_t index)
{
    if (index < FObjects.size())
        FObjects[index] = TObject{};
}

void TMetafilePlayer::SelectClipRegion(const TRegion* region, uint32_t mode)
{
    if (mode < RGN_AND || mode > RGN_COPY)
        return;
    if (region == nullptr) {
        if (mode == RGN_COPY)
            FCanvas.SelectClipRgn(FInitialClip ? &*FInitialClip : nullptr);
        return;
    }
    const TPoint viewport = FCanvas.ViewportOrigin();
    TRegion device = *region;
    device.Offset(viewport.X, viewport.Y);
    TRegion clip = device;
    if (mode != RGN_COPY) {
        TRegion current;
        if (!FCanvas.GetClipRgn(current))
            current = TRegion(OffsetRect(FCanvas.ClipRect(), viewport.X, viewport.Y));
        clip.Combine(current, device, TRegionCombine(mode));
    }
    if (FInitialClip)
        clip.Combine(clip, *FInitialClip, RGN_AND);
    FCanvas.SelectClipRgn(&clip);
}

void TMetafilePlayer::SelectClipRegionObject(uint32_t index)
{
    if (index >= FObjects.size() || FObjects[index].Kind != TObjectKind::Region)
        return;
    std::vector<TRect> rects;
    for (const TRect& r : FObjects[index].Region) {
        const TRect mapped = MapRect(r.Left, r.Top, r.Right, r.Bottom);
        rects.push_back({std::min(mapped.Left, mapped.Right), std::min(mapped.Top, mapped.Bottom),
                         std::max(mapped.Left, mapped.Right), std::max(mapped.Top, mapped.Bottom)});
    }
    const TRegion region = TRegion::FromRects(rects);
    SelectClipRegion(&region, RGN_COPY);
}

void TMetafilePlayer::SaveState()
{
    if (FSaved.size() >= savedStateLimit) {
        ++FDroppedSaves;
        return;
    }
    FState.Position = FCanvas.PenPos();
    FSaved.push_back(FState);
    FCanvas.SaveDC();
}

// A negative level counts back from the latest save; a positive one names
// the save to return to.
void TMetafilePlayer::RestoreState(int32_t level)
{
    const int64_t depth = int64_t(FSaved.size()) + FDroppedSaves;
    int64_t pops = std::clamp<int64_t>(level < 0 ? -int64_t(level) : depth - level + 1, 0, depth);
    const int64_t dropped = std::min<int64_t>(pops, FDroppedSaves);
    FDroppedSaves -= static_cast<int32_t>(dropped);
    for (pops -= dropped; pops > 0; --pops) {
        FState = FSaved.back();
        FSaved.pop_back();
        FCanvas.RestoreDC(-1);
    }
    SelectPen(FState.Pen);
    SelectBrush(FState.Brush);
    SelectFont(FState.Font);
    FCanvas.SetPenPos(FState.Position);
}

void TMetafilePlayer::SetRop2(uint32_t rop2)
{
    if (rop2 >= 1 && rop2 <= std::size(rop2Modes))
        FCanvas.Pen()->SetMode(rop2Modes[rop2 - 1]);
}

void TMetafilePlayer::DrawShape(TShape shape, const TRect& box, TPoint start, TPoint end)
{
    const auto [left, top, right, bottom] = std::tuple(box.Left, box.Top, box.Right, box.Bottom);
    switch (shape) {
    case TShape::Rectangle: FCanvas.Rectangle(box); break;
    case TShape::Ellipse: FCanvas.Ellipse(box); break;
    case TShape::Arc: FCanvas.Arc(left, top, right, bottom, start.X, start.Y, end.X, end.Y); break;
    case TShape::Pie: FCanvas.Pie(left, top, right, bottom, start.X, start.Y, end.X, end.Y); break;
    case TShape::Chord: FCanvas.Chord(left, top, right, bottom, start.X, start.Y, end.X, end.Y); break;
    }
}

void TMetafilePlayer::DrawPoints(const std::vector<TPoint>& points, bool closed)
{
    if (closed)
        FCanvas.Polygon(points);
    else
        FCanvas.Polyline(points);
}

namespace {

// Enough steps that a curve's chords stay within about a pixel of it.
int32_t BezierSteps(TPoint p0, TPoint p1, TPoint p2, TPoint p3)
{
    const auto distance = [](TPoint a, TPoint b) { return std::hypot(double(b.X - a.X), double(b.Y - a.Y)); };
    const double length = distance(p0, p1) + distance(p1, p2) + distance(p2, p3);
    return static_cast<int32_t>(std::clamp(std::sqrt(length) * 2, 2.0, 256.0));
}

void AppendBezier(std::vector<TPoint>& line, TPoint p0, TPoint p1, TPoint p2, TPoint p3)
{
    const int32_t steps = BezierSteps(p0, p1, p2, p3);
    for (int32_t i = 1; i <= steps; ++i) {
        const double t = double(i) / steps, u = 1 - t;
        const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
        line.push_back({TMetafilePlayer::ToDevice(a * p0.X + b * p1.X + c * p2.X + d * p3.X),
                        TMetafilePlayer::ToDevice(a * p0.Y + b * p1.Y + c * p2.Y + d * p3.Y)});
    }
}

} // namespace

void TMetafilePlayer::DrawBeziers(std::vector<TPoint> points, bool fromCurrent)
{
    if (fromCurrent)
        points.insert(points.begin(), FCanvas.PenPos());
    if (points.size() < 4)
        return;
    std::vector<TPoint> line{points.front()};
    for (size_t i = 0; i + 3 < points.size(); i += 3)
        AppendBezier(line, points[i], points[i + 1], points[i + 2], points[i + 3]);
    FCanvas.Polyline(line);
    if (fromCurrent)
        FCanvas.MoveTo(line.back().X, line.back().Y);
}

void TMetafilePlayer::DrawLinesFromCurrent(std::vector<TPoint> points)
{
    if (points.empty())
        return;
    points.insert(points.begin(), FCanvas.PenPos());
    FCanvas.Polyline(points);
    FCanvas.MoveTo(points.back().X, points.back().Y);
}

std::vector<TPoint> TMetafilePlayer::ReadPoints(TMetafileBytes& bytes, size_t offset, uint64_t count, bool wide)
{
    const size_t size = wide ? 4 : 2;
    std::vector<TPoint> points;
    if (!bytes.Fits(offset, count, 2 * size))
        return points;
    points.reserve(static_cast<size_t>(count));
    for (size_t i = 0; i < count; ++i) {
        const size_t at = offset + i * 2 * size;
        const double x = wide ? bytes.I32(at) : bytes.I16(at);
        const double y = wide ? bytes.I32(at + size) : bytes.I16(at + size);
        points.push_back(Map(x, y));
    }
    return points;
}

void TMetafilePlayer::DrawPolygons(TMetafileBytes& bytes, size_t countsOffset, size_t countSize, uint32_t polygons,
                                   size_t pointsOffset, bool wide, bool closed)
{
    if (!bytes.Fits(countsOffset, polygons, countSize))
        return;
    const size_t pointSize = wide ? 8 : 4;
    size_t at = pointsOffset;
    for (uint32_t i = 0; i < polygons; ++i) {
        const uint32_t count = countSize == 4 ? bytes.U32(countsOffset + i * 4) : bytes.U16(countsOffset + i * 2);
        const std::vector<TPoint> points = ReadPoints(bytes, at, count, wide);
        if (points.size() != count)
            return;
        DrawPoints(points, closed);
        at += size_t(count) * pointSize;
    }
}
