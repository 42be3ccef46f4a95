// The painters that reveal the new image through geometric regions: curved
// wipes, triangles and wedges, sweeps, rotating polygons, zigzag bands and
// grids of growing polygons.

#include <array>
#include <cmath>
#include <numbers>
#include <vector>

#include "imaging/views/transitions/QkTransitionFamilies.h"
#include "platform/core/Types.h"

namespace {

using TPolygon = std::vector<TPoint>;

int32_t RoundTo32(long double value) { return static_cast<int32_t>(Round(value)); }

// ---- Curved wipes: one rounded rectangle ---------------------------------

struct TCurveRow {
    int32_t Effect;
    // left, top, right, bottom, corner width, corner height
    std::array<int32_t, 6> (*Box)(const TTransitionFrame& f);
};

constexpr TCurveRow CurveRows[] = {
    {77, [](const TTransitionFrame& f) { return std::array{-2 * f.W, 0, 2 * f.PW, f.H + 1, 2 * f.W, 2 * f.W}; }},
    {78, [](const TTransitionFrame& f) { return std::array{f.W - 2 * f.PW, 0, 3 * f.W, f.H + 1, 2 * f.W, 2 * f.W}; }},
    {79, [](const TTransitionFrame& f) { return std::array{0, -2 * f.H, f.W + 1, 2 * f.PH, 2 * f.H, 2 * f.H}; }},
    {80, [](const TTransitionFrame& f) { return std::array{0, f.H - 2 * f.PH, f.W + 1, 3 * f.H, 2 * f.H, 2 * f.H}; }},
    {81,
     [](const TTransitionFrame& f) { return std::array{-f.W, -f.H, 3 * f.PW / 2, 3 * f.PH / 2, 2 * f.W, 2 * f.H}; }},
    {82,
     [](const TTransitionFrame& f) {
         return std::array{f.W - 3 * f.PW / 2, -f.H, 2 * f.W, 3 * f.PH / 2, 2 * f.W, 2 * f.H};
     }},
    {83,
     [](const TTransitionFrame& f) {
         return std::array{-f.W, f.H - 3 * f.PH / 2, 3 * f.PW / 2, 2 * f.H, 2 * f.W, 2 * f.H};
     }},
    {84,
     [](const TTransitionFrame& f) {
         return std::array{f.W - 3 * f.PW / 2, f.H - 3 * f.PH / 2, 2 * f.W, 2 * f.H, 2 * f.W, 2 * f.H};
     }},
};

// ---- Triangles and wedges --------------------------------------------------

// The four triangles pointing at the centre from the middle of each edge.
std::vector<TPolygon> DiagonalCross(const TTransitionFrame& f, int32_t a, int32_t b)
{
    const int32_t w = f.W, h = f.H, cx = f.CX(), cy = f.CY();
    return {{{0, cy - b}, {a, cy}, {0, cy + b}},
            {{w, cy - b}, {w - a, cy}, {w, cy + b}},
            {{cx - a, 0}, {cx, b}, {cx + a, 0}},
            {{cx - a, h}, {cx, h - b}, {cx + a, h}}};
}

struct TPolygonRow {
    int32_t Effect;
    // Removed from the whole frame (exclusive-or) instead of united.
    bool Complement;
    std::vector<TPolygon> (*Polygons)(const TTransitionFrame& f);
};

const TPolygonRow PolygonRows[] = {
    {133, false,
     [](const TTransitionFrame& f) {
         return std::vector<TPolygon>{{{0, 0}, {2 * f.PW, 0}, {0, 2 * f.PH}}};
     }},
    {134, false,
     [](const TTransitionFrame& f) {
         return std::vector<TPolygon>{{{f.W, 0}, {f.W - 2 * f.PW, 0}, {f.W, 2 * f.PH}}};
     }},
    {135, false,
     [](const TTransitionFrame& f) {
         return std::vector<TPolygon>{{{0, f.H}, {2 * f.PW, f.H}, {0, f.H - 2 * f.PH}}};
     }},
    {136, false,
     [](const TTransitionFrame& f) {
         return std::vector<TPolygon>{{{f.W, f.H}, {f.W - 2 * f.PW, f.H}, {f.W, f.H - 2 * f.PH}}};
     }},
    {137, false,
     [](const TTransitionFrame& f) {
         return std::vector<TPolygon>{{{f.W, 0}, {0, 0}, {f.W, f.PH}}, {{f.W, f.H}, {0, f.H}, {0, f.H - f.PH}}};
     }},
    {138, false,
     [](const TTransitionFrame& f) {
         return std::vector<TPolygon>{{{0, f.H}, {0, 0}, {f.PW, f.H}}, {{f.W, f.H}, {f.W, 0}, {f.W - f.PW, 0}}};
     }},
    {141, false,
     [](const TTransitionFrame& f) {
         const TPoint c{f.CX(), f.CY()};
         return std::vector<TPolygon>{{c, {0, 0}, {f.PW, 0}},
                                      {c, {0, f.H}, {0, f.H - f.PH}},
                                      {c, {f.W, f.H}, {f.W - f.PW, f.H}},
                                      {c, {f.W, 0}, {f.W, f.PH}}};
     }},
    {142, false,
     [](const TTransitionFrame& f) {
         const TPoint c{f.CX(), f.CY()};
         return std::vector<TPolygon>{{c, {0, 0}, {0, f.PH}},
                                      {c, {0, f.H}, {f.PW, f.H}},
                                      {c, {f.W, f.H}, {f.W, f.H - f.PH}},
                                      {c, {f.W, 0}, {f.W - f.PW, 0}}};
     }},
    {171, false,
     [](const TTransitionFrame& f) {
         return std::vector<TPolygon>{{{0, f.CY() - f.PH}, {2 * f.PW, f.CY()}, {0, f.CY() + f.PH}}};
     }},
    {172, false,
     [](const TTransitionFrame& f) {
         return std::vector<TPolygon>{{{f.W, f.CY() - f.PH}, {f.W - 2 * f.PW, f.CY()}, {f.W, f.CY() + f.PH}}};
     }},
    {173, false,
     [](const TTransitionFrame& f) {
         return std::vector<TPolygon>{{{f.CX() - f.PW, 0}, {f.CX(), 2 * f.PH}, {f.CX() + f.PW, 0}}};
     }},
    {174, false,
     [](const TTransitionFrame& f) {
         return std::vector<TPolygon>{{{f.CX() - f.PW, f.H}, {f.CX(), f.H - 2 * f.PH}, {f.CX() + f.PW, f.H}}};
     }},
    {175, false,
     [](const TTransitionFrame& f) {
         const int32_t cy = f.CY();
         return std::vector<TPolygon>{{{0, cy - f.PH}, {f.PW, cy}, {0, cy + f.PH}},
                                      {{f.W, cy - f.PH}, {f.W - f.PW, cy}, {f.W, cy + f.PH}}};
     }},
    {176, false,
     [](const TTransitionFrame& f) {
         const int32_t cx = f.CX();
         return std::vector<TPolygon>{{{cx - f.PW, 0}, {cx, 2 * f.PH}, {cx + f.PW, 0}},
                                      {{cx - f.PW, f.H}, {cx, f.H - 2 * f.PH}, {cx + f.PW, f.H}}};
     }},
    {177, true, [](const TTransitionFrame& f) { return DiagonalCross(f, (f.W - f.PW) / 2, (f.H - f.PH) / 2); }},
    {178, false, [](const TTransitionFrame& f) { return DiagonalCross(f, f.PW / 2, f.PH / 2); }},
    {181, false,
     [](const TTransitionFrame& f) {
         const int32_t cx = f.CX(), cy = f.CY();
         return std::vector<TPolygon>{{{cx - f.PW, cy}, {cx, cy - f.PH}, {cx + f.PW, cy}, {cx, cy + f.PH}}};
     }},
    {182, true,
     [](const TTransitionFrame& f) {
         const int32_t cx = f.CX(), cy = f.CY();
         return std::vector<TPolygon>{{{f.PW - cx, cy}, {cx, f.PH - cy}, {3 * cx - f.PW, cy}, {cx, 3 * cy - f.PH}}};
     }},
};

// ---- Rotating polygons ---------------------------------------------------

// A positive angle turns clockwise on the screen.
void RotatePointsAround(TPolygon& points, TPoint centre, long double angle)
{
    const long double c = std::cos(angle), s = std::sin(angle);
    for (TPoint& p : points) {
        const long double dx = p.X - centre.X, dy = p.Y - centre.Y;
        p = {RoundTo32(dx * c - dy * s) + centre.X, RoundTo32(dx * s + dy * c) + centre.Y};
    }
}

// ---- Zigzag bands ----------------------------------------------------------

// The band of effect 179 for a progress (its sizes computed for it);
// `upright` exchanges x and y (effect 180).
TPolygon ZigzagBand(int32_t w, int32_t h, int32_t progress, bool upright)
{
    int32_t fw = 0, fh = 0, pw = 0, ph = 0;
    GetProgressSizes(TRect{0, 0, w, h}, progress, fw, fh, pw, ph);
    const int32_t along = upright ? h : w, across = upright ? w : h, grown = upright ? pw : ph;
    const int32_t step = along / 10, amplitude = across / 10, centre = across / 2;
    const int32_t b = MulDiv(amplitude, progress, 100) + grown / 2;
    const int32_t levels[4] = {centre - b + amplitude, centre - b - amplitude, centre + b + amplitude,
                               centre + b - amplitude};
    TPolygon band;
    const auto add = [&](int32_t k, int32_t level) {
        band.push_back(upright ? TPoint{level, k * step} : TPoint{k * step, level});
    };
    for (int32_t k = 0; k <= 11; ++k)
        add(k, levels[k % 2]);
    for (int32_t k = 11; k >= 0; --k)
        add(k, levels[2 + k % 2]);
    return band;
}

} // namespace

void PaintCurvedWipe(const TTransitionFrame& frame, int32_t effect)
{
    const auto [left, top, right, bottom, width, height] = RowOfEffect(CurveRows, effect).Box(frame);
    RevealThrough(frame, TRegion::RoundRect(left, top, right, bottom, width, height));
}

void PaintPolygonWipe(const TTransitionFrame& frame, int32_t effect)
{
    const TPolygonRow& row = RowOfEffect(PolygonRows, effect);
    TRegion region = row.Complement ? TRegion(TRect{0, 0, frame.W, frame.H}) : TRegion();
    for (const TPolygon& polygon : row.Polygons(frame))
        region.Combine(region, TRegion::Polygon(polygon, WINDING), row.Complement ? RGN_XOR : RGN_OR);
    RevealUnlessEmpty(frame, region);
}

void PaintSweep(const TTransitionFrame& frame, int32_t effect)
{
    // Without an arc (progress 0) there is no wedge to divide into steps.
    const int32_t count = frame.Progress;
    if (count <= 0)
        return;
    const int32_t cx = frame.CX(), cy = frame.CY();
    const auto radius = static_cast<long double>(std::ceil(std::hypot(cx, cy)));
    const long double start = -std::numbers::pi_v<long double> / 2;
    const long double turn = count * std::numbers::pi_v<long double> / 50;
    const long double end = effect == 139 ? start + turn : start - turn;
    const long double step = (end - start) / count;
    TPolygon sector{{cx, cy}};
    for (int32_t k = 0; k <= count; ++k) {
        const long double a = k == count ? end : start + k * step;
        sector.push_back({RoundTo32(radius * std::cos(a)) + cx, RoundTo32(radius * std::sin(a)) + cy});
    }
    RevealThrough(frame, TRegion::Polygon(sector, WINDING));
}

void PaintRotatingPolygon(const TTransitionFrame& frame, int32_t effect)
{
    // 143, 145 and 169 turn clockwise, their successors counter-clockwise.
    const bool clockwise = effect % 2 == 1;
    const int32_t cx = frame.CX(), cy = frame.CY(), a = frame.PW / 2, b = frame.PH / 2;
    TPolygon points{{cx - a, cy - b}, {cx + a, cy - b}, {cx + a, cy + b}, {cx - a, cy + b}};
    TPoint pivot{cx, cy};
    if (effect == 145 || effect == 146)
        points = {{cx - 2 * frame.PW, cy}, {cx - a, cy - b}, {cx, cy - 2 * frame.PH}, {cx + a, cy - b},
                  {cx + 2 * frame.PW, cy}, {cx + a, cy + b}, {cx, cy + 2 * frame.PH}, {cx - a, cy + b}};
    else if (effect == 169 || effect == 170)
        pivot = {frame.PW, frame.PH};
    const long double angle = frame.Progress * std::numbers::pi_v<long double> / 50;
    RotatePointsAround(points, pivot, clockwise ? angle : -angle);
    RevealThrough(frame, TRegion::Polygon(points, WINDING));
}

void PaintZigzag(const TTransitionFrame& frame, int32_t effect)
{
    // 179 and 180 open a band on the new image; 190 and 191 close one that
    // keeps the old image.
    const bool upright = effect == 180 || effect == 191, closing = effect >= 190;
    if (!closing) {
        RevealThrough(frame, TRegion::Polygon(ZigzagBand(frame.W, frame.H, frame.Progress, upright), WINDING));
        return;
    }
    CopyWhole(frame, frame.Next);
    RevealThrough(frame, TRegion::Polygon(ZigzagBand(frame.W, frame.H, 100 - frame.Progress, upright), WINDING),
                  frame.Prev);
}

void PaintPolygonGrid(const TTransitionFrame& frame, int32_t effect)
{
    // 114: downward triangles on a grid of its own per axis; 116: diamonds
    // on a square grid.
    const bool triangles = effect == 114;
    const int32_t square = std::min(frame.W, frame.H) / 10 + 1;
    const int32_t nx = triangles ? frame.W / 10 + 1 : square, ny = triangles ? frame.H / 10 + 1 : square;
    const int32_t a = MulDiv(nx, frame.Progress, 50), b = MulDiv(ny, frame.Progress, 50);
    TShapeReveal cells(frame);
    ForEachGridCentre(nx, ny, frame.W, triangles ? frame.H + ny : frame.H, [&](int32_t x, int32_t y) {
        const TPolygon cell = triangles ? TPolygon{{x - a, y - b}, {x, y + b}, {x + a, y - b}}
                                        : TPolygon{{x - a, y}, {x, y - a}, {x + a, y}, {x, y + a}};
        cells.Add(TRegion::Polygon(cell, WINDING));
    });
    cells.Finish();
}

void PaintTriangularWipe(const TTransitionFrame& frame, int32_t)
{
    int32_t k = MulDiv(std::max(frame.W, frame.H), frame.Factor, 90);
    k = k < 1 ? 1 : (k > 1 ? k / 2 : k);
    const int32_t cw = frame.W / k, ch = frame.H / k, legX = frame.PW / k, legY = frame.PH / k;
    TShapeReveal triangles(frame);
    for (int32_t i = k; i >= 0; --i)
        for (int32_t j = k; j >= 0; --j)
            triangles.Add(TRegion::Polygon(
                {{j * cw - legX, i * ch - legY}, {j * cw + legX, i * ch - legY}, {j * cw - legX, i * ch + legY}},
                WINDING));
    triangles.Finish();
}
