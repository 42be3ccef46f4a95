// The painters whose revealed area is a list of rectangles: bars and
// crisscross wipes, shredded and speckled wipes, blinds, rectangles,
// expanding rectangles and random big boxes.

#include <algorithm>

#include "imaging/core/QkRandom.h"
#include "imaging/views/shapes/TComplexRegion.h"
#include "imaging/views/transitions/QkTransitionFamilies.h"
#include "platform/core/Types.h"

namespace {

// The extents and kinds a bars, shredded or speckled region is built from:
// A along x, B along y, each a multiple of the progress size.
struct TKindRow {
    int32_t Effect;
    int32_t MulA, MulB;
    int32_t KindX, KindY;
};

constexpr TKindRow BarRows[] = {
    {85, 2, 0, 2, 0},  {86, 2, 0, 1, 0},  {87, 0, 2, 0, 2},  {88, 0, 2, 0, 1},  {89, 2, 0, 4, 0},  {90, 2, 0, 5, 0},
    {91, 0, 2, 0, 4},  {92, 0, 2, 0, 5},  {93, 1, 0, 3, 0},  {94, 0, 1, 0, 3},  {119, 2, 2, 2, 2}, {120, 2, 2, 1, 2},
    {121, 2, 2, 2, 1}, {122, 2, 2, 1, 1}, {123, 2, 2, 4, 4}, {124, 2, 2, 5, 4}, {125, 2, 2, 4, 5}, {126, 2, 2, 5, 5},
    {127, 1, 1, 3, 2}, {128, 1, 1, 3, 1}, {129, 1, 1, 2, 3}, {130, 1, 1, 3, 3}, {131, 1, 1, 1, 3},
};

constexpr TKindRow ShreddedRows[] = {
    {95, 1, 0, 2, 0},  {96, 1, 0, 1, 0},  {97, 0, 1, 0, 2},  {98, 0, 1, 0, 1},  {99, 1, 1, 2, 2},  {100, 1, 1, 1, 2},
    {101, 1, 1, 2, 1}, {102, 1, 1, 1, 1}, {103, 1, 1, 2, 3}, {104, 1, 1, 1, 3}, {105, 1, 1, 3, 2}, {106, 1, 1, 3, 1},
    {107, 1, 1, 3, 3}, {108, 1, 1, 4, 4}, {109, 0, 1, 0, 4}, {110, 1, 0, 4, 0}, {111, 0, 1, 0, 3}, {112, 1, 0, 3, 0},
};

constexpr TKindRow SpeckledRows[] = {
    {147, 1, 1, 2, 0},
    {148, 1, 1, 1, 0},
    {149, 1, 1, 0, 2},
    {150, 1, 1, 0, 1},
};

// Rectangles given along an axis: `Along` runs on the axis of the bands or
// columns being built, `Across` on the other one. Bands run along x.
class TAxisList {
public:
    TAxisList(TComplexRegion& list, bool columns) : FList(list), FColumns(columns) {}
    void Add(int32_t alongFrom, int32_t acrossFrom, int32_t alongTo, int32_t acrossTo)
    {
        if (FColumns)
            FList.AddRect(acrossFrom, alongFrom, acrossTo, alongTo);
        else
            FList.AddRect(alongFrom, acrossFrom, alongTo, acrossTo);
    }

private:
    TComplexRegion& FList;
    bool FColumns;
};

// Bars e thick grown to `a` along an axis of length `t`, stacked across `u`.
void AddBars(TAxisList list, int32_t a, int32_t t, int32_t u, int32_t e, int32_t kind)
{
    if (a <= t) {
        for (int32_t i = 0; i < u + e; i += 2 * e) {
            if (kind == 1 || kind == 5 || kind == 3)
                list.Add(t - a, i, t, i + e);
            if (kind == 2 || kind == 4)
                list.Add(0, i, a, i + e);
            if (kind == 3)
                list.Add(0, i + e, a, i + 2 * e);
        }
        return;
    }
    for (int32_t i = e; i < u + e; i += 2 * e) {
        if (kind == 1 || kind == 4)
            list.Add(2 * t - a, i, t, i + e);
        if (kind == 2 || kind == 5)
            list.Add(0, i, a - t, i + e);
        list.Add(0, i - e, t, i);
    }
}

TRegion CreateBarsRegion(int32_t a, int32_t b, int32_t w, int32_t h, int32_t kindX, int32_t kindY)
{
    const int32_t e = std::min(w, h) / 50 + 1;
    TComplexRegion list;
    if (kindX != 0)
        AddBars({list, false}, a, w, h, e, kindX);
    if (kindY != 0)
        AddBars({list, true}, b, h, w, e, kindY);
    return list.MakeRegion();
}

// Strips s thick (plus the remainder r) of random length around `a`.
void AddShreds(TAxisList list, int32_t a, int32_t t, int32_t u, int32_t s, int32_t r, int32_t kind)
{
    const int32_t jitter = a < t ? t / 10 : 0, centre = t / 2;
    for (int32_t i = 0; i < u; i += s) {
        const int32_t length = Random(2 * jitter) - jitter + a, half = length / 2, end = i + s + r;
        if (kind == 1)
            list.Add(t - length, i, t, end);
        else if (kind == 2)
            list.Add(0, i, length, end);
        else if (kind == 3) {
            list.Add(centre - half, i, centre, end);
            list.Add(centre, i, centre + half, end);
        } else {
            list.Add(t - half, i, t, end);
            list.Add(0, i, half, end);
        }
    }
}

TRegion CreateShreddedRegion(int32_t a, int32_t b, int32_t w, int32_t h, int32_t kindX, int32_t kindY)
{
    const int32_t s = std::min(w, h) / 200 + 1;
    TComplexRegion list;
    if (kindX != 0)
        AddShreds({list, false}, a, w, h, s, h % s, kindX);
    if (kindY != 0)
        AddShreds({list, true}, b, h, w, s, w % s, kindY);
    return list.MakeRegion();
}

// A solid part grown to `a` followed by cells that thin out with distance.
void AddSpeckles(TAxisList list, int32_t a, int32_t t, int32_t u, int32_t kind)
{
    const int32_t zone = a < t ? t / 10 : 0, s = std::max(zone / 20, 2), n = zone / s, t3 = 3 * zone / (4 * s);
    for (int32_t i = 0; i < u; i += s / 2) {
        if (kind == 1)
            list.Add(t - a, i, t, i + s);
        else
            list.Add(0, i, a, i + s);
        for (int32_t k = n; k >= 1; --k) {
            if (Random(k) > (k <= t3 ? 1 : 0))
                continue;
            const int32_t cell = kind == 1 ? t - a - k * s : k * s + a - s;
            list.Add(cell, i, cell + s, i + s);
        }
    }
}

TRegion CreateSpeckledRegion(int32_t a, int32_t b, int32_t w, int32_t h, int32_t kindX, int32_t kindY)
{
    TComplexRegion list;
    if (kindX != 0)
        AddSpeckles({list, false}, a, w, h, kindX);
    if (kindY != 0)
        AddSpeckles({list, true}, b, h, w, kindY);
    return list.MakeRegion();
}

using TKindBuilder = TRegion (*)(int32_t a, int32_t b, int32_t w, int32_t h, int32_t kindX, int32_t kindY);

template <size_t N>
void PaintKindRow(const TTransitionFrame& f, int32_t effect, const TKindRow (&rows)[N], TKindBuilder build)
{
    const TKindRow& row = RowOfEffect(rows, effect);
    RevealThrough(f, build(row.MulA * f.PW, row.MulB * f.PH, f.W, f.H, row.KindX, row.KindY));
}

// ---- Blinds and rectangles ------------------------------------------------

// Stripes across the frame: columns (x from, to) or bands (y from, to).
struct TStripes {
    TComplexRegion& List;
    const TTransitionFrame& Frame;
    bool Columns;

    int32_t Length() const { return Columns ? Frame.W : Frame.H; }
    int32_t Grown() const { return Columns ? Frame.PW : Frame.PH; }
    void Add(int32_t from, int32_t to) const
    {
        if (Columns)
            List.AddRect(from, 0, to, Frame.H);
        else
            List.AddRect(0, from, Frame.W, to);
    }
};

// Slats 2a wide at a pitch of 2n, n = length div 40 + 1.
void AddEvenBlinds(const TStripes& stripes)
{
    const int32_t n = stripes.Length() / 40 + 1, a = MulDiv(n, stripes.Frame.Progress, 100);
    for (int32_t v = 0; v < stripes.Length(); v += n) {
        v += n;
        stripes.Add(v - a, v + a);
    }
}

// Slats at a pitch of the progress size, growing from the start or end edge.
void AddUnevenBlinds(const TStripes& stripes, bool fromEnd)
{
    const int32_t pitch = stripes.Grown(), t = stripes.Length();
    const int32_t a = MulDiv(pitch, stripes.Frame.Progress, 100);
    if (fromEnd)
        for (int32_t v = t; v > 0; v -= pitch)
            stripes.Add(v - a, v);
    else
        for (int32_t v = 0; v < t; v += pitch)
            stripes.Add(v, v + a);
}

// Thin stripes at a pitch of 3k, k = length div 20.
void AddThinStripes(const TStripes& stripes)
{
    const int32_t k = stripes.Length() / 20, a = MulDiv(k, stripes.Frame.Progress, 100);
    for (int32_t v = -k; v < stripes.Length(); v += 3 * k)
        stripes.Add(v - a, v + a);
}

} // namespace

void PaintBars(const TTransitionFrame& frame, int32_t effect)
{
    if (effect != 132) {
        PaintKindRow(frame, effect, BarRows, CreateBarsRegion);
        return;
    }
    const int32_t a = 2 * frame.PW, b = 2 * frame.PH;
    TRegion region;
    region.Combine(CreateBarsRegion(a, b, frame.W, frame.H, 1, 1), CreateBarsRegion(a, b, frame.W, frame.H, 2, 2),
                   RGN_AND);
    RevealThrough(frame, region);
}

void PaintShredded(const TTransitionFrame& frame, int32_t effect)
{
    PaintKindRow(frame, effect, ShreddedRows, CreateShreddedRegion);
}

void PaintSpeckled(const TTransitionFrame& frame, int32_t effect)
{
    PaintKindRow(frame, effect, SpeckledRows, CreateSpeckledRegion);
}

void PaintBlinds(const TTransitionFrame& frame, int32_t effect)
{
    // 159 horizontal, 160 vertical; 161 to 164 uneven from the left, right,
    // top and bottom.
    TComplexRegion list;
    if (effect <= 160) {
        AddEvenBlinds({list, frame, effect == 160});
    } else {
        const TStripes stripes{list, frame, effect <= 162};
        if (stripes.Grown() == 0)
            return;
        AddUnevenBlinds(stripes, effect == 162 || effect == 164);
    }
    RevealUnlessEmpty(frame, list.MakeRegion());
}

void PaintRectangles(const TTransitionFrame& frame, int32_t effect)
{
    // 165 and 166: thin bands, then slats from the left or right; 167 and
    // 168: thin columns, then slats from the top or bottom.
    const bool slatColumns = effect <= 166;
    TComplexRegion list;
    const TStripes thin{list, frame, !slatColumns}, slats{list, frame, slatColumns};
    if (slats.Grown() == 0 || thin.Length() / 20 == 0)
        return;
    AddThinStripes(thin);
    AddUnevenBlinds(slats, effect == 166 || effect == 168);
    RevealUnlessEmpty(frame, list.MakeRegion());
}

void PaintExpandingRectangles(const TTransitionFrame& frame, int32_t)
{
    const int32_t n = std::min(frame.W, frame.H) / 10 + 1, a = MulDiv(n, frame.Progress, 100);
    TComplexRegion list;
    ForEachGridCentre(n, n, frame.W, frame.H, [&](int32_t x, int32_t y) { list.AddRect(x - a, y - a, x + a, y + a); });
    RevealUnlessEmpty(frame, list.MakeRegion());
}

void PaintRandomBigBoxes(const TTransitionFrame& frame, int32_t)
{
    const int32_t b = std::min(frame.W, frame.H) / 20 + 1;
    TComplexRegion list;
    {
        const TImageSeededRandom fixedSequence(frame.Next);
        ForEachGridCentre(b, b, frame.W, frame.H, [&](int32_t x, int32_t y) {
            if (Random(100) < frame.Progress)
                list.AddRect(x - b, y - b, x + b, y + b);
        });
    }
    RevealUnlessEmpty(frame, list.MakeRegion());
}
