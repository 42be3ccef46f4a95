// The painters that reveal the new image through the numbered shapes:
// shapes growing from or shrinking to the centre, rings growing both ways,
// grids of growing shapes and shapes at random grid places.

#include <algorithm>

#include "imaging/core/QkRandom.h"
#include "imaging/views/shapes/QkShapeRegions.h"
#include "imaging/views/transitions/QkTransitionFamilies.h"
#include "platform/core/Types.h"

namespace {

// Not a numbered shape: an almost elliptic rounded rectangle, a diamond or
// an ellipse, depending on the painter.
constexpr uint8_t RoundShape = 255;
constexpr uint8_t CrossShape = 10;

int32_t Scaled(int32_t value, float scale)
{
    return static_cast<int32_t>(Round(value * static_cast<long double>(scale)));
}

struct TCenterShapeRow {
    int32_t Effect;
    uint8_t Shape;
    bool Inverse;
    float Scale;
};

constexpr TCenterShapeRow CenterShapeRows[] = {
    {117, RoundShape, false, 1.0f}, {118, RoundShape, true, 1.0f}, {201, 15, false, 1.3f}, {202, 15, true, 1.3f},
    {203, 0, false, 1.6f},          {204, 0, true, 1.6f},          {205, 1, false, 1.3f},  {206, 1, true, 1.3f},
    {207, 8, false, 1.0f},          {208, 8, true, 1.0f},          {209, 10, false, 3.6f}, {210, 10, true, 3.5f},
};

struct TShapeRow {
    int32_t Effect;
    uint8_t Shape;
    float Scale;
};

constexpr TShapeRow InAndOutRows[] = {
    {183, RoundShape, 1.0f}, {211, 15, 1.6f}, {212, 0, 2.4f}, {213, 1, 1.6f}, {214, 8, 1.1f},
};

constexpr TShapeRow ExpandingRows[] = {
    {115, RoundShape, 3.0f}, {196, 15, 3.0f}, {197, 0, 4.0f}, {198, 1, 4.0f}, {199, 8, 4.0f}, {200, 6, 6.0f},
};

struct TRandomShapeRow {
    int32_t Effect;
    uint8_t Shape;
    int32_t Cells;
    float Scale;
};

constexpr TRandomShapeRow RandomShapeRows[] = {
    {192, 15, 12, 0.6f},
    {193, 0, 14, 0.4f},
    {194, 1, 14, 0.4f},
    {195, 8, 18, 0.5f},
};

// The shape growing from the centre.
TRegion GrowingShape(const TTransitionFrame& f, const TCenterShapeRow& row)
{
    const int32_t cx = f.CX(), cy = f.CY();
    if (row.Scale == 1.0f) {
        const TRect box{cx - f.PW, cy - f.PH, cx + f.PW, cy + f.PH};
        if (row.Shape == RoundShape)
            return TRegion::RoundRect(box.Left, box.Top, box.Right, box.Bottom, f.PW * 9 / 5, f.PH * 9 / 5);
        return CreateShapeRegionInRect(row.Shape, box);
    }
    const int32_t gx = Scaled(f.PW, row.Scale), gy = Scaled(f.PH, row.Scale);
    return CreateShapeRegionInRect(row.Shape, {cx - gx, cy - gy, cx + gx, cy + gy});
}

// The frame less a shape shrinking from at least twice the frame to nothing.
TRegion ShrinkingHole(const TTransitionFrame& f, const TCenterShapeRow& row)
{
    const int32_t cx = f.CX(), cy = f.CY();
    int32_t gx = 0, gy = 0;
    if (row.Scale != 1.0f) {
        gx = Scaled(f.W - f.PW, row.Scale) / 2;
        gy = Scaled(f.H - f.PH, row.Scale) / 2;
    }
    const TRect box{f.PW - cx - gx, f.PH - cy - gy, 3 * cx - f.PW + gx, 3 * cy - f.PH + gy};
    const TRegion hole = row.Shape == RoundShape
        ? TRegion::RoundRect(box.Left, box.Top, box.Right, box.Bottom, (f.W - f.PW) * 9 / 5, (f.H - f.PH) * 9 / 5)
        : CreateShapeRegionInRect(row.Shape, box);
    TRegion region;
    region.Combine(TRegion(TRect{0, 0, f.W, f.H}), hole, RGN_XOR);
    return region;
}

} // namespace

void PaintCenterShapeWipe(const TTransitionFrame& frame, int32_t effect)
{
    const TCenterShapeRow& row = RowOfEffect(CenterShapeRows, effect);
    const TRegion region = row.Inverse ? ShrinkingHole(frame, row) : GrowingShape(frame, row);
    if (row.Shape == CrossShape)
        CopyWhole(frame, frame.Prev);
    RevealThrough(frame, region);
}

void PaintShapeInAndOut(const TTransitionFrame& frame, int32_t effect)
{
    const TShapeRow& row = RowOfEffect(InAndOutRows, effect);
    const int32_t a = frame.PW / 2, b = frame.PH / 2, cx = frame.CX(), cy = frame.CY();
    TRegion outer, inner;
    if (row.Shape == RoundShape) {
        outer = TRegion::Polygon({{-a, cy}, {cx, -b}, {2 * cx + a, cy}, {cx, 2 * cy + b}}, WINDING);
        inner = TRegion::Polygon({{a, cy}, {cx, b}, {2 * cx - a, cy}, {cx, 2 * cy - b}}, WINDING);
    } else {
        const int32_t gx = Scaled(a, row.Scale), gy = Scaled(b, row.Scale);
        outer = CreateShapeRegionInRect(row.Shape, {-gx, -gy, 2 * cx + gx, 2 * cy + gy});
        inner = CreateShapeRegionInRect(row.Shape, {a, b, 2 * cx - a, 2 * cy - b});
    }
    TRegion ring;
    ring.Combine(outer, inner, RGN_XOR);
    RevealThrough(frame, ring);
}

void PaintExpandingShapes(const TTransitionFrame& frame, int32_t effect)
{
    const TShapeRow& row = RowOfEffect(ExpandingRows, effect);
    const int32_t cell = std::min(frame.W, frame.H) / 10 + 1;
    const int32_t r = MulDiv(Scaled(cell, row.Scale), frame.Progress, 200);
    TShapeReveal shapes(frame);
    ForEachGridCentre(cell, cell, frame.W, frame.H, [&](int32_t x, int32_t y) {
        const TRect box{x - r, y - r, x + r, y + r};
        shapes.Add(row.Shape == RoundShape ? TRegion::Ellipse(box.Left, box.Top, box.Right, box.Bottom)
                                           : CreateShapeRegionInRect(row.Shape, box));
    });
    shapes.Finish();
}

void PaintRandomShapes(const TTransitionFrame& frame, int32_t effect)
{
    const TRandomShapeRow& row = RowOfEffect(RandomShapeRows, effect);
    // Explosions turn by half a turn from one progress value to the next.
    const uint8_t shape = effect == 195 ? static_cast<uint8_t>(row.Shape + frame.Progress % 2) : row.Shape;
    const int32_t a = std::min(frame.W, frame.H) / row.Cells + 1;
    // On small frames the scaled step would be 0 and the grid never advance.
    const int32_t step = std::max<int32_t>(static_cast<int32_t>(Trunc(a * static_cast<long double>(row.Scale))), 1);
    TShapeReveal shapes(frame);
    {
        const TImageSeededRandom fixedSequence(frame.Next);
        ForEachGridCentre(step, step, frame.W, frame.H, [&](int32_t x, int32_t y) {
            if (Random(100) < frame.Progress)
                shapes.Add(CreateShapeRegionInRect(shape, {x - a, y - a, x + a, y + a}));
        });
    }
    shapes.Finish();
}
