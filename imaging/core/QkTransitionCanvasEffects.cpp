// The effects drawn with canvas operations on the current frame: wipes,
// slides, random boxes, growing and shrinking rectangles, and the
// rectangle zoom.

#include <algorithm>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkRandom.h"
#include "imaging/core/QkRender.h"
#include "imaging/core/QkTransitions.h"
#include "imaging/core/QkView.h"
#include "platform/core/Types.h"
#include "platform/gfx/Canvas.h"

namespace {

int32_t RoundedPart(int32_t position, int32_t size)
{
    return static_cast<int32_t>(Round(int64_t{position} * size / 1024.0L));
}

class TFramePainter {
public:
    TFramePainter(TQkTransitionCanvas& canvas, int32_t position)
        : frames_(canvas.Frames), canvas_(canvas), target_(*frames_.Current.Canvas()), p_(position), w_(frames_.Width),
          h_(frames_.Height)
    {}

    bool Paint(int32_t effect)
    {
        if (effect >= 5 && effect <= 12)
            Wipe(effect);
        else if (effect >= 13 && effect <= 16)
            Slide(effect);
        else if (effect == 26)
            RandomBoxes();
        else if (effect >= 27 && effect <= 30)
            CentreRectangle(effect);
        else
            return false;
        return true;
    }

private:
    void CopyWhole(TBitmap& image) { target_.BitBlt(0, 0, w_, h_, image.Canvas(), 0, 0, SRCCOPY); }
    void CopyPart(TBitmap& image, int32_t x, int32_t y, int32_t width, int32_t height)
    {
        target_.BitBlt(x, y, width, height, image.Canvas(), x, y, SRCCOPY);
    }
    void StartAtZero()
    {
        if (p_ == 0)
            CopyWhole(frames_.Start);
    }
    void RedLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
    {
        target_.Pen()->SetColor(TColor(255));
        target_.MoveTo(x1, y1);
        target_.LineTo(x2, y2);
    }

    // 5, 7, 9, 11 and, with the red line at the edge, 6, 8, 10, 12.
    void Wipe(int32_t effect)
    {
        StartAtZero();
        const bool line = effect % 2 == 0;
        const int32_t kind = effect - (line ? 1 : 0);
        TBitmap& t = frames_.Target;
        if (kind == 5) {
            const int32_t x = TransitionShare(p_, w_);
            CopyPart(t, 0, 0, x, h_);
            if (line)
                RedLine(x, 0, x, h_);
        } else if (kind == 7) {
            const auto x = static_cast<int32_t>(Round(int64_t{w_} * (TransitionEnd - p_) / 1024.0L));
            CopyPart(t, x, 0, RoundedPart(p_, w_), h_);
            if (line)
                RedLine(x, 0, x, h_);
        } else if (kind == 9) {
            const int32_t y = RoundedPart(p_, h_);
            CopyPart(t, 0, 0, w_, y);
            if (line)
                RedLine(0, y, w_, y);
        } else {
            const auto y = static_cast<int32_t>(Round(int64_t{h_} * (TransitionEnd - p_) / 1024.0L));
            CopyPart(t, 0, y, w_, RoundedPart(p_, h_));
            if (line)
                RedLine(0, y, w_, y);
        }
    }

    // The target image slides in from a corner: 13 top left, 14 top right,
    // 15 bottom left, 16 bottom right.
    void Slide(int32_t effect)
    {
        StartAtZero();
        const int32_t dx = TransitionShare(TransitionEnd - p_, w_);
        const int32_t dy = TransitionShare(TransitionEnd - p_, h_);
        const bool fromRight = effect == 14 || effect == 16;
        const bool fromBottom = effect == 15 || effect == 16;
        target_.Draw(fromRight ? dx : -dx, fromBottom ? dy : -dy, &frames_.Target);
    }

    // As many more 8 x 8 boxes of the target image, on a grid of 8, as the
    // position's count has grown since the last frame.
    void RandomBoxes()
    {
        if (p_ == 0) {
            CopyWhole(frames_.Start);
            return;
        }
        const int64_t boxes = int64_t{w_} * h_ / 64;
        const auto count = static_cast<int32_t>(Round(p_ * boxes * (p_ / 180.0L) / 1024));
        const int32_t added = count - canvas_.RandomProgress;
        canvas_.RandomProgress = count;
        for (int32_t i = 0; i < added; ++i) {
            const int32_t x = Random(w_) & ~7;
            const int32_t y = Random(h_) & ~7;
            CopyPart(frames_.Target, x, y, 8, 8);
        }
    }

    // 27 and 29 grow the target image out of the centre, 28 and 30 shrink the
    // start image into it; 29 and 30 stretch the whole image into the
    // rectangle, 27 and 28 uncover it in place.
    void CentreRectangle(int32_t effect)
    {
        const bool grow = effect == 27 || effect == 29;
        if (grow)
            StartAtZero();
        else
            CopyWhole(frames_.Target);
        const int32_t d = grow ? p_ : TransitionEnd - p_;
        const int32_t x = w_ / 2 - TransitionShare(d, w_ / 2);
        const int32_t y = h_ / 2 - TransitionShare(d, h_ / 2);
        const int32_t width = TransitionShare(d, w_);
        const int32_t height = TransitionShare(d, h_);
        TBitmap& image = grow ? frames_.Target : frames_.Start;
        if (effect <= 28) {
            CopyPart(image, x, y, width, height);
            return;
        }
        target_.SetStretchMode(HALFTONE);
        target_.StretchBlt(x, y, width, height, image.Canvas(), 0, 0, w_, h_, SRCCOPY);
    }

    TQkTransitionFrames& frames_;
    TQkTransitionCanvas& canvas_;
    TCanvas& target_;
    const int32_t p_;
    const int32_t w_;
    const int32_t h_;
};

// The zoom's source rectangle at the position, cut to the zoom source; true
// when it had to be cut.
bool ZoomRectangle(const TQkTransitionZoom& zoom, int32_t position, TQkRenderRect& rect)
{
    auto between = [&](int32_t from, int32_t to) {
        return static_cast<int32_t>(Trunc(from - position * (int64_t{from} - to) / 1024.0L));
    };
    const int32_t left = between(zoom.From.Left, zoom.To.Left);
    const int32_t top = between(zoom.From.Top, zoom.To.Top);
    const int32_t right = between(zoom.From.Right, zoom.To.Right);
    const int32_t bottom = between(zoom.From.Bottom, zoom.To.Bottom);
    rect = {std::max(left, 0), std::max(top, 0), 0, 0};
    rect.Width = right - rect.X;
    rect.Height = bottom - rect.Y;
    bool clipped = left < 0 || top < 0;
    if (rect.Width > zoom.Source->GetWidth() || rect.Height > zoom.Source->GetHeight()) {
        rect.Width = std::min(rect.Width, zoom.Source->GetWidth());
        rect.Height = std::min(rect.Height, zoom.Source->GetHeight());
        clipped = true;
    }
    return clipped;
}

void ClearFrame(TQkTransitionCanvas& canvas)
{
    TCanvas& target = *canvas.Frames.Current.Canvas();
    if (IBrelvixView* view = canvas.View.AsBrelvixView()) {
        view->DrawBackground(target);
        return;
    }
    target.Brush()->SetColor(canvas.View.Background());
    target.FillRect(TRect{0, 0, canvas.Frames.Width, canvas.Frames.Height});
}

} // namespace

bool PaintCanvasEffect(TQkTransitionCanvas& canvas, int32_t effect, int32_t position)
{
    return TFramePainter(canvas, position).Paint(effect);
}

void PaintZoomEffect(TQkTransitionCanvas& canvas, int32_t position)
{
    TQkTransitionFrames& frames = canvas.Frames;
    if (!canvas.Zoom.Source)
        return;
    TQkRenderRect source;
    TQkRenderRect target{0, 0, frames.Width, frames.Height};
    if (ZoomRectangle(canvas.Zoom, position, source)) {
        FitRectKeepingAspect(source.Width, source.Height, frames.Width, frames.Height, target.Width, target.Height,
                             target.X, target.Y);
        ClearFrame(canvas);
    }
    RenderToTBitmap(*canvas.Zoom.Source, frames.Current, target, source, 255, rfNone, 0);
}
