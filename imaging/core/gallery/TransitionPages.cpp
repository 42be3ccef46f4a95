// The transitions page: one frame halfway through eight of the engine's
// effects, and a magic-wand outline drawn over the image it was traced on.

#include <vector>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkMagicWand.h"
#include "imaging/core/QkRandom.h"
#include "imaging/core/QkTransitionFrames.h"
#include "imaging/core/QkView.h"
#include "platform/backend/Gallery.h"
#include "platform/ui/Controls.h"

namespace {

constexpr int32_t FrameWidth = 96;
constexpr int32_t FrameHeight = 64;
constexpr int32_t Spacing = 110;
constexpr int32_t SecondRow = 90;
constexpr int32_t WandLeft = 10;
constexpr int32_t WandTop = 190;
constexpr int32_t WandScale = 3;
constexpr TColor StartColour = RGB(40, 80, 200);
constexpr TColor TargetColour = RGB(240, 160, 0);
constexpr TColor WandOutline = clRed;
constexpr TColor DiskColour = RGB(30, 110, 60);
constexpr int32_t Effects[] = {1, 5, 13, 17, 25, 27, 29, ZoomEffect};

TPoint FrameCorner(int32_t index) { return {10 + (index % 4) * Spacing, 10 + (index / 4) * SecondRow}; }

// A solid image with an 8 x 8 mark in a corner, so that moves show.
void MakeImage(TBitmap& image, TColor colour, TColor mark, bool markTopLeft)
{
    image.SetPixelFormat(pf24bit);
    image.SetSize(FrameWidth, FrameHeight);
    TCanvas& canvas = *image.Canvas();
    canvas.Brush()->SetColor(colour);
    canvas.FillRect(Rect(0, 0, FrameWidth, FrameHeight));
    canvas.Brush()->SetColor(mark);
    const int32_t x = markTopLeft ? 0 : FrameWidth - 8;
    const int32_t y = markTopLeft ? 0 : FrameHeight - 8;
    canvas.FillRect(Rect(x, y, x + 8, y + 8));
}

void DrawFrames(TCanvas& canvas, TQkView& view)
{
    TBitmap start, target;
    MakeImage(start, StartColour, clWhite, false);
    MakeImage(target, TargetColour, clBlack, true);
    TQkBitmap zoomSource;
    zoomSource.CopyFromTBitmap(target);
    const TQkTransitionZoom zoom{&zoomSource, Rect(0, 0, FrameWidth, FrameHeight), Rect(16, 16, 64, 48)};
    SetRandSeed(1);
    for (int32_t i = 0; i < int32_t(std::size(Effects)); ++i) {
        TQkTransitionFrames frames;
        frames.Load(start, target);
        int32_t randomProgress = 0;
        TQkTransitionCanvas painting{frames, view, zoom, randomProgress};
        PaintTransitionEffect(painting, Effects[i], 0);
        PaintTransitionEffect(painting, Effects[i], TransitionEnd / 2);
        const TPoint corner = FrameCorner(i);
        canvas.Draw(corner.X, corner.Y, &frames.Current);
    }
}

// A disk and a square on white; the wand traces the disk.
void DrawWand(TCanvas& canvas)
{
    TBitmap image(48, 32, pf24bit);
    TCanvas& painter = *image.Canvas();
    painter.Brush()->SetColor(clWhite);
    painter.FillRect(Rect(0, 0, 48, 32));
    painter.Brush()->SetColor(DiskColour);
    painter.Pen()->SetColor(DiskColour);
    painter.Ellipse(4, 4, 28, 28);
    painter.FillRect(Rect(34, 10, 44, 20));
    canvas.StretchDraw(Rect(WandLeft, WandTop, WandLeft + 48 * WandScale, WandTop + 32 * WandScale), &image);

    TQkBitmap traced;
    traced.CopyFromTBitmap(image);
    std::vector<TPoint> outline = MagicWandOutline(traced, 16, 16, 10, false);
    for (TPoint& point : outline)
        point = {WandLeft + point.X * WandScale, WandTop + point.Y * WandScale};
    canvas.Pen()->SetColor(WandOutline);
    canvas.Pen()->SetWidth(1);
    canvas.Polyline(outline);
}

class TTransitionBoard : public TGraphicControl {
public:
    explicit TTransitionBoard(TComponent* owner) : TGraphicControl(owner), view_(nullptr) {}

protected:
    void Paint() override
    {
        TCanvas& canvas = *Canvas();
        canvas.Brush()->SetColor(clWhite);
        canvas.FillRect(ClientRect());
        DrawFrames(canvas, view_);
        DrawWand(canvas);
    }

private:
    TQkView view_;
};

std::unique_ptr<TCustomForm> CreateTransitionPage()
{
    auto form = std::make_unique<TForm>(nullptr);
    form->SetBorderStyle(bsNone);
    form->SetBounds(0, 0, 460, 300);
    auto* board = new TTransitionBoard(form.get());
    board->SetBoundsRect(Rect(0, 0, 460, 300));
    board->SetParent(form.get());
    return form;
}

TPoint InFrame(int32_t index, int32_t x, int32_t y)
{
    const TPoint corner = FrameCorner(index);
    return {corner.X + x, corner.Y + y};
}

const bool transitionsRegistered = RegisterGalleryPage({
    "imaging-transitions",
    CreateTransitionPage,
    {
        {InFrame(0, 48, 32), RGB(140, 120, 100)}, // cross fade: both halves
        {InFrame(1, 20, 32), TargetColour}, // wipe: the target on the left
        {InFrame(1, 80, 32), StartColour}, // the start on the right
        {InFrame(2, 40, 20), TargetColour}, // slide: the target's lower right quarter
        {InFrame(2, 70, 50), StartColour},
        {InFrame(3, 30, 32), TargetColour}, // push: the target's right half
        {InFrame(3, 60, 32), StartColour}, // the start's left half
        {InFrame(5, 48, 32), TargetColour}, // the centre uncovered
        {InFrame(5, 5, 32), StartColour},
        {InFrame(6, 48, 32), TargetColour}, // the target stretched into the centre
        {InFrame(6, 5, 32), StartColour},
        {InFrame(7, 48, 32), TargetColour}, // zoomed into the target
        {{WandLeft + 16 * WandScale, WandTop + 16 * WandScale}, DiskColour},
        {{WandLeft + 4 * WandScale, WandTop + 16 * WandScale}, WandOutline}, // the disk's left edge
    },
});

} // namespace
