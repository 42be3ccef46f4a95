// The painters that copy, slide, stretch, squeeze or fold blocks of pixels,
// without clipping regions.

#include <algorithm>

#include "imaging/views/transitions/QkBlockStretch.h"
#include "imaging/views/transitions/QkTransitionFamilies.h"
#include "platform/core/Types.h"

namespace {

// Where a block lies along one axis of the frame, as a function of the
// axis's size T and its progress size P.
enum TAxisMode : uint8_t {
    axFull, // the whole axis in place
    axGrowStart, // the whole image squeezed into P at the start
    axGrowEnd, // ... at the end
    axGrowCentre, // ... centred
    axGrowHalves, // each half squeezed into P div 2 at its own edge
    axRevealStart, // the first P pixels in place
    axRevealEnd, // the last P pixels in place
    axRevealCentre, // the middle P pixels in place
    axRevealHalves, // P div 2 pixels in place at both edges
    axZoomKeepStart, // the first P pixels enlarged from the start edge
    axZoomKeepEnd, // the last P pixels enlarged towards the end edge
    axZoomKeepCentre, // the middle P pixels enlarged about the centre
    axSlideFromStart, // the whole image entering from the start edge
    axSlideFromEnd, // ... from the end edge
    axSmearBeforeEnd, // a strip before the revealed end smeared over the rest
    axSmearAfterStart, // a strip after the revealed start smeared over the rest
    axShiftToStart, // the canvas moved P towards the start
    axShiftToEnd, // ... towards the end
    axSqueezeToStart, // the whole canvas squeezed into T - P at the start
    axSqueezeToEnd, // ... at the end
    axEnterAtEnd, // the first P pixels of the image at the end
    axEnterAtStart, // the last P pixels of the image at the start
    axHalfSlideInStart, // the first half entering from the start edge
    axHalfSlideInEnd, // the second half entering from the end edge
    axFirstHalf, // the first half in place
    axSecondHalf, // the second half in place
};

struct TSpan {
    int32_t DestPos, DestSize, SourcePos, SourceSize;
};

// One or two spans (only the halves give two).
struct TSpans {
    TSpan Items[2];
    int Count = 1;
};

TSpans SpansOf(TAxisMode mode, int32_t t, int32_t p)
{
    const int32_t half = p / 2, middle = t / 2, centre = (t - p) / 2;
    switch (mode) {
    case axFull: return {{{0, t, 0, t}}};
    case axGrowStart: return {{{0, p, 0, t}}};
    case axGrowEnd: return {{{t - p, p, 0, t}}};
    case axGrowCentre: return {{{centre, p, 0, t}}};
    case axGrowHalves: return {{{0, half, 0, middle}, {t - half, half, middle, middle}}, 2};
    case axRevealStart: return {{{0, p, 0, p}}};
    case axRevealEnd: return {{{t - p, p, t - p, p}}};
    case axRevealCentre: return {{{centre, p, centre, p}}};
    case axRevealHalves: return {{{0, half, 0, half}, {t - half, half, t - half, half}}, 2};
    case axZoomKeepStart: return {{{0, 2 * t - p, 0, p}}};
    case axZoomKeepEnd: return {{{p - t, 2 * t - p, t - p, p}}};
    case axZoomKeepCentre: return {{{p - t, 3 * t - 2 * p, centre, p}}};
    case axSlideFromStart: return {{{p - t, t, 0, t}}};
    case axSlideFromEnd: return {{{t - p, t, 0, t}}};
    case axSmearBeforeEnd: {
        const int32_t s = std::max(t - p - t / 10, 0);
        return {{{0, t - p, s, t - p - s}}};
    }
    case axSmearAfterStart: return {{{p, t - p, p, std::min(t - p, t / 10)}}};
    case axShiftToStart: return {{{0, t - p, p, t - p}}};
    case axShiftToEnd: return {{{p, t - p, 0, t - p}}};
    case axSqueezeToStart: return {{{0, t - p, 0, t}}};
    case axSqueezeToEnd: return {{{p, t - p, 0, t}}};
    case axEnterAtEnd: return {{{t - p, p, 0, p}}};
    case axEnterAtStart: return {{{0, p, t - p, p}}};
    case axHalfSlideInStart: return {{{half - middle, middle, 0, middle}}};
    case axHalfSlideInEnd: return {{{t - half, middle, middle, middle}}};
    case axFirstHalf: return {{{0, middle, 0, middle}}};
    case axSecondHalf: return {{{middle, middle, middle, middle}}};
    }
    return {};
}

enum TBlockSource : uint8_t { bsNext, bsCanvas };

struct TBlockRecipe {
    TBlockSource Source;
    TAxisMode X, Y;
};

struct TBlocksRow {
    int32_t Effect;
    TBlockRecipe Blocks[4];
    int Count;
};

constexpr TBlocksRow BlockRows[] = {
    {31, {{bsNext, axGrowStart, axFull}}, 1},
    {32, {{bsNext, axGrowEnd, axFull}}, 1},
    {33, {{bsNext, axFull, axGrowStart}}, 1},
    {34, {{bsNext, axFull, axGrowEnd}}, 1},
    {35, {{bsNext, axGrowStart, axGrowStart}}, 1},
    {36, {{bsNext, axGrowEnd, axGrowStart}}, 1},
    {37, {{bsNext, axGrowStart, axGrowEnd}}, 1},
    {38, {{bsNext, axGrowEnd, axGrowEnd}}, 1},
    {39, {{bsNext, axZoomKeepEnd, axFull}}, 1},
    {40, {{bsNext, axZoomKeepStart, axFull}}, 1},
    {41, {{bsNext, axFull, axZoomKeepEnd}}, 1},
    {42, {{bsNext, axFull, axZoomKeepStart}}, 1},
    {43, {{bsNext, axZoomKeepCentre, axFull}}, 1},
    {44, {{bsNext, axFull, axZoomKeepCentre}}, 1},
    {45, {{bsNext, axGrowHalves, axFull}}, 1},
    {46, {{bsNext, axFull, axGrowHalves}}, 1},
    {47, {{bsNext, axFull, axGrowCentre}}, 1},
    {48, {{bsNext, axGrowCentre, axFull}}, 1},
    {49, {{bsNext, axRevealStart, axRevealStart}}, 1},
    {50, {{bsNext, axRevealEnd, axRevealStart}}, 1},
    {51, {{bsNext, axRevealStart, axRevealEnd}}, 1},
    {52, {{bsNext, axRevealEnd, axRevealEnd}}, 1},
    {53, {{bsNext, axFull, axRevealHalves}}, 1},
    {54, {{bsNext, axFull, axRevealCentre}}, 1},
    {55, {{bsNext, axRevealHalves, axFull}}, 1},
    {56, {{bsNext, axRevealCentre, axFull}}, 1},
    {57, {{bsNext, axRevealEnd, axFull}, {bsNext, axSmearBeforeEnd, axFull}}, 2},
    {58, {{bsNext, axRevealStart, axFull}, {bsNext, axSmearAfterStart, axFull}}, 2},
    {59, {{bsNext, axFull, axRevealEnd}, {bsNext, axFull, axSmearBeforeEnd}}, 2},
    {60, {{bsNext, axFull, axRevealStart}, {bsNext, axFull, axSmearAfterStart}}, 2},
    {65, {{bsNext, axSlideFromStart, axFull}}, 1},
    {66, {{bsNext, axSlideFromEnd, axFull}}, 1},
    {67, {{bsNext, axFull, axSlideFromStart}}, 1},
    {68, {{bsNext, axFull, axSlideFromEnd}}, 1},
    {69, {{bsNext, axZoomKeepStart, axZoomKeepStart}}, 1},
    {70, {{bsNext, axZoomKeepEnd, axZoomKeepStart}}, 1},
    {71, {{bsNext, axZoomKeepStart, axZoomKeepEnd}}, 1},
    {72, {{bsNext, axZoomKeepEnd, axZoomKeepEnd}}, 1},
    {73, {{bsNext, axZoomKeepCentre, axZoomKeepCentre}}, 1},
    {74, {{bsNext, axRevealHalves, axRevealHalves}}, 1},
    {75, {{bsNext, axGrowHalves, axGrowHalves}}, 1},
    {76,
     {{bsNext, axHalfSlideInStart, axFirstHalf},
      {bsNext, axSecondHalf, axHalfSlideInStart},
      {bsNext, axHalfSlideInEnd, axSecondHalf},
      {bsNext, axFirstHalf, axHalfSlideInEnd}},
     4},
    {151, {{bsCanvas, axShiftToStart, axFull}, {bsNext, axEnterAtEnd, axFull}}, 2},
    {152, {{bsCanvas, axShiftToEnd, axFull}, {bsNext, axEnterAtStart, axFull}}, 2},
    {153, {{bsCanvas, axFull, axShiftToStart}, {bsNext, axFull, axEnterAtEnd}}, 2},
    {154, {{bsCanvas, axFull, axShiftToEnd}, {bsNext, axFull, axEnterAtStart}}, 2},
    {155, {{bsCanvas, axSqueezeToStart, axFull}, {bsNext, axEnterAtEnd, axFull}}, 2},
    {156, {{bsCanvas, axSqueezeToEnd, axFull}, {bsNext, axEnterAtStart, axFull}}, 2},
    {157, {{bsCanvas, axFull, axSqueezeToStart}, {bsNext, axFull, axEnterAtEnd}}, 2},
    {158, {{bsCanvas, axFull, axSqueezeToEnd}, {bsNext, axFull, axEnterAtStart}}, 2},
};

void PaintBlock(const TTransitionFrame& frame, const TBlockRecipe& block)
{
    const TSpans xs = SpansOf(block.X, frame.W, frame.PW), ys = SpansOf(block.Y, frame.H, frame.PH);
    TBitmap& source = block.Source == bsCanvas ? *frame.Canvas.Target() : frame.Next;
    for (int i = 0; i < xs.Count; ++i)
        for (int j = 0; j < ys.Count; ++j) {
            const TSpan& x = xs.Items[i];
            const TSpan& y = ys.Items[j];
            StretchBlock(frame.Canvas, {x.DestPos, y.DestPos, x.DestPos + x.DestSize, y.DestPos + y.DestSize}, source,
                         {x.SourcePos, y.SourcePos, x.SourcePos + x.SourceSize, y.SourcePos + y.SourceSize});
        }
}

// Stretches a block of the bitmap onto the canvas, mirrored on request.
void StretchMirrored(TCanvas& canvas, TRect dest, TBitmap& bitmap, TRect source, bool flipX, bool flipY)
{
    source = IntersectRect(source, TRect{0, 0, bitmap.Width(), bitmap.Height()});
    if (flipX)
        dest = {dest.Right + 1, dest.Top, dest.Left - 1, dest.Bottom};
    if (flipY)
        dest = {dest.Left, dest.Bottom + 1, dest.Right, dest.Top - 1};
    canvas.SetStretchMode(HALFTONE);
    canvas.StretchBlt(dest.Left, dest.Top, dest.Right - dest.Left, dest.Bottom - dest.Top, bitmap.Canvas(), source.Left,
                      source.Top, source.Right - source.Left, source.Bottom - source.Top, SRCCOPY);
}

// The roll's back, its image and the unrolled part along one axis:
// [start, end) pairs for the roll, the mirrored source and the copy.
struct TRoll {
    int32_t RollStart, RollEnd, SourceStart, SourceEnd, CopyStart, CopyEnd;
};

TRoll RollAlong(int32_t t, int32_t p, bool fromStart)
{
    int32_t r = t / 10;
    if (p < t / 5)
        r = p / 2;
    else if (t < p + t / 5)
        r = (t - p) / 2;
    if (fromStart)
        return {p, p + r, p + r, p + 2 * r, 0, p};
    return {t - p - r, t - p, t - p - 2 * r, t - p - r, t - p, t};
}

} // namespace

void PaintBlocks(const TTransitionFrame& frame, int32_t effect)
{
    const TBlocksRow& row = RowOfEffect(BlockRows, effect);
    for (int i = 0; i < row.Count; ++i)
        PaintBlock(frame, row.Blocks[i]);
}

void PaintUnroll(const TTransitionFrame& frame, int32_t effect)
{
    // 61 from the left, 62 from the right, 63 from the top, 64 from the bottom.
    const bool horizontal = effect <= 62, fromStart = effect == 61 || effect == 63;
    const TRoll roll = RollAlong(horizontal ? frame.W : frame.H, horizontal ? frame.PW : frame.PH, fromStart);
    const auto across = [&](int32_t start, int32_t end) {
        return horizontal ? TRect{start, 0, end, frame.H} : TRect{0, start, frame.W, end};
    };
    StretchMirrored(frame.Canvas, across(roll.RollStart, roll.RollEnd), frame.Next,
                    across(roll.SourceStart, roll.SourceEnd), horizontal, !horizontal);
    const TRect unrolled = across(roll.CopyStart, roll.CopyEnd);
    frame.Canvas.CopyRect(unrolled, frame.Next.Canvas(), unrolled);
}

void PaintPageFlip(const TTransitionFrame& frame, int32_t effect)
{
    // 186 and 187 turn the page from right to left, 188 and 189 back; the
    // second of each pair draws the page's edge.
    const bool reverse = effect >= 188, drawEdge = effect == 187 || effect == 189;
    const int32_t w = frame.W, h = frame.H, half = w / 2, p = frame.Progress;
    TCanvas& canvas = frame.Canvas;
    canvas.Pen()->SetColor(clBlack);
    canvas.Pen()->SetWidth(1);
    canvas.Pen()->SetStyle(psSolid);
    const auto stretch = [&](int32_t x, int32_t width, TBitmap& image, int32_t sx) {
        StretchBlock(canvas, {x, 0, x + width, h}, image, {sx, 0, sx + half, h});
    };
    int32_t edge = 0;
    if (!reverse) {
        stretch(half, half, frame.Next, half);
        if (p <= 50) {
            const int32_t folded = MulDiv(w, 50 - p, 100);
            stretch(half, folded, frame.Prev, half);
            edge = half + folded;
        } else {
            const int32_t opened = MulDiv(w, p - 50, 50) / 2;
            stretch(half - opened, opened, frame.Next, 0);
            edge = half - opened;
        }
    } else {
        stretch(0, half, frame.Next, 0);
        if (p <= 50) {
            const int32_t a = MulDiv(w, p, 100);
            stretch(a, half - a, frame.Prev, 0);
            edge = a;
        } else {
            const int32_t opened = MulDiv(w, p - 50, 50) / 2;
            stretch(half, opened, frame.Next, half);
            edge = half + opened;
        }
    }
    if (drawEdge) {
        canvas.MoveTo(edge, 0);
        canvas.LineTo(edge, h);
    }
}
