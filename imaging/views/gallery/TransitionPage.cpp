// The transitions page: one painter of each of sixteen families, halfway
// from a blue picture to an orange one, each captioned with its effect.

#include <array>
#include <string>

#include "PaintedBoard.h"
#include "imaging/core/QkEffects.h"
#include "imaging/views/transitions/QkTransitionEffects.h"
#include "platform/gfx/Bitmap.h"

namespace {

constexpr int32_t FrameWidth = 180;
constexpr int32_t FrameHeight = 100;
constexpr TBoardGrid Grid{240, 126};
constexpr TColor PrevColour = RGB(40, 80, 200);
constexpr TColor NextColour = RGB(240, 160, 0);
constexpr int32_t MarkSide = 12;
constexpr int32_t ShownProgress = 50;

constexpr std::array<int32_t, TBoardGrid::Cells> ShownEffects = {
    31,  61,  65,  77, // stretch, unroll, slide, curved wipe
    85,  95,  113, 115, // bars, shredded, expanding rectangles and circles
    117, 133, 139, 159, // circular, diagonal wipe, sweep, blinds
    179, 186, 192, 203, // zigzag, page flip, random shapes, centre shape
};

// A solid picture with a square mark in one corner, so that moves and
// stretches show which way they went.
void MakeImage(TBitmap& image, TColor colour, TColor mark, bool markTopLeft)
{
    image.ReshapeForOverwrite(FrameWidth, FrameHeight, pf24bit);
    TCanvas& canvas = *image.Canvas();
    canvas.FillSolidRect(Rect(0, 0, FrameWidth, FrameHeight), colour);
    const int32_t x = markTopLeft ? 0 : FrameWidth - MarkSide;
    const int32_t y = markTopLeft ? 0 : FrameHeight - MarkSide;
    canvas.FillSolidRect(Rect(x, y, x + MarkSide, y + MarkSide), mark);
}

// The frames of a run up to the shown one, as the engine paints them onto
// a canvas that starts as the old picture.
void PaintHalfway(TBitmap& frame, TBitmap& prev, TBitmap& next, int32_t effect)
{
    frame.Assign(&prev);
    frame.Canvas()->SetStretchMode(HALFTONE);
    const TEffectPainter painter = Effects()[size_t(effect - 1)].Painter;
    for (int32_t progress = 0; progress <= ShownProgress; progress += 10)
        painter(*frame.Canvas(), prev, next, progress, 1, Rect(0, 0, FrameWidth, FrameHeight));
}

void DrawTransitions(TCanvas& canvas)
{
    TBitmap prev, next, frame;
    MakeImage(prev, PrevColour, clWhite, false);
    MakeImage(next, NextColour, clBlack, true);
    for (int32_t i = 0; i < int32_t(ShownEffects.size()); ++i) {
        const int32_t effect = ShownEffects[size_t(i)];
        PaintHalfway(frame, prev, next, effect);
        const TPoint corner = Grid.Corner(i);
        canvas.Draw(corner.X, corner.Y, &frame);
        DrawCaption(canvas, corner.X, corner.Y + FrameHeight + 3,
                    std::to_string(effect) + " " + Effects()[size_t(effect - 1)].Name);
    }
}

std::unique_ptr<TCustomForm> CreateTransitionsPage()
{
    // The gallery does not start the library with the views' start-up, so
    // the painters are put into the table here.
    RegisterTransitionEffects();
    return NewBoardPage(Grid, DrawTransitions);
}

const bool transitionsRegistered = RegisterGalleryPage({
    "view-transitions",
    CreateTransitionsPage,
    {
        {Grid.At(0, 40, 50), NextColour}, // stretched into the left half
        {Grid.At(0, 140, 50), PrevColour},
        {Grid.At(0, FrameWidth + 20, 50), clWhite}, // the board between frames
        {Grid.At(2, 45, 50), NextColour}, // slid in over the left half
        {Grid.At(2, 135, 50), PrevColour},
        {Grid.At(5, 10, 50), NextColour}, // the shredded edge stays near the middle
        {Grid.At(5, 170, 50), PrevColour},
        {Grid.At(8, 90, 50), NextColour}, // the circle's centre
        {Grid.At(8, 20, 6), PrevColour}, // outside it
        {Grid.At(9, 30, 70), NextColour}, // below the diagonal
        {Grid.At(9, 160, 20), PrevColour},
        {Grid.At(10, 45, 50), PrevColour}, // the sweep has gone from twelve to six
        {Grid.At(10, 135, 50), NextColour},
        {Grid.At(13, 45, 50), PrevColour}, // the page turned halfway
        {Grid.At(13, 135, 50), NextColour},
        {Grid.At(15, 90, 50), NextColour}, // the star's centre
        {Grid.At(15, 10, 90), PrevColour}, // between its lower points
    },
});

} // namespace
