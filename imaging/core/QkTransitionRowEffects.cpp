// The effects painted straight on the frames' rows: fades with weights out
// of 1024, pushes and slides as row pieces, and random points.

#include <cstring>

#include "imaging/core/QkRandom.h"
#include "imaging/core/QkTransitionFrames.h"
#include "imaging/core/QkView.h"
#include "platform/core/Types.h"
#include "platform/gfx/Colors.h"

namespace {

// out = (a * (1024 - weight) + b * weight) >> 10, byte by byte.
void Mix(uint8_t* out, const uint8_t* a, const uint8_t* b, uint32_t weight, size_t bytes)
{
    for (size_t i = 0; i < bytes; ++i)
        out[i] = static_cast<uint8_t>((a[i] * (1024 - weight) + b[i] * weight) >> 10);
}

size_t RowBytes(const TQkTransitionFrames& frames) { return 3 * size_t(frames.Width); }

// The view's background colour as a frame row.
std::vector<uint8_t> BackgroundRow(TQkTransitionCanvas& canvas)
{
    const TColor colour = ColorToRGB(canvas.View.Background());
    std::vector<uint8_t> row(RowBytes(canvas.Frames));
    for (size_t i = 0; i < row.size(); i += 3) {
        row[i] = GetBValue(colour);
        row[i + 1] = GetGValue(colour);
        row[i + 2] = GetRValue(colour);
    }
    return row;
}

enum class TMix { StartToTarget, StartToBackground, BackgroundToTarget };

void Fade(TQkTransitionCanvas& canvas, TMix mix, int32_t position)
{
    TQkTransitionFrames& frames = canvas.Frames;
    const std::vector<uint8_t> background = mix == TMix::StartToTarget ? std::vector<uint8_t>() : BackgroundRow(canvas);
    for (int32_t y = 0; y < frames.Height; ++y) {
        const uint8_t* from = mix == TMix::BackgroundToTarget ? background.data() : frames.StartRows[size_t(y)];
        const uint8_t* to = mix == TMix::StartToBackground ? background.data() : frames.TargetRows[size_t(y)];
        Mix(frames.CurrentRows[size_t(y)], from, to, uint32_t(position), RowBytes(frames));
    }
}

// Each frame row: its first `split` pixels from `left` starting at pixel
// `leftFrom`, the rest from `right` starting at `rightFrom`.
void SplitColumns(TQkTransitionFrames& frames, int32_t split, const std::vector<uint8_t*>& left, int32_t leftFrom,
                  const std::vector<uint8_t*>& right, int32_t rightFrom)
{
    for (int32_t y = 0; y < frames.Height; ++y) {
        uint8_t* out = frames.CurrentRows[size_t(y)];
        std::memcpy(out, left[size_t(y)] + 3 * size_t(leftFrom), 3 * size_t(split));
        std::memcpy(out + 3 * size_t(split), right[size_t(y)] + 3 * size_t(rightFrom),
                    3 * size_t(frames.Width - split));
    }
}

// The frame's first `split` rows from `top` starting at row `topFrom`, the
// rest from `bottom` starting at `bottomFrom`.
void SplitRows(TQkTransitionFrames& frames, int32_t split, const std::vector<uint8_t*>& top, int32_t topFrom,
               const std::vector<uint8_t*>& bottom, int32_t bottomFrom)
{
    for (int32_t y = 0; y < frames.Height; ++y) {
        const uint8_t* from = y < split ? top[size_t(topFrom + y)] : bottom[size_t(bottomFrom + y - split)];
        std::memcpy(frames.CurrentRows[size_t(y)], from, RowBytes(frames));
    }
}

void PushOrSlide(TQkTransitionFrames& frames, int32_t effect, int32_t position)
{
    const int32_t w = frames.Width;
    const int32_t h = frames.Height;
    const auto& s = frames.StartRows;
    const auto& t = frames.TargetRows;
    const int32_t c = TransitionShare(position, w);
    const int32_t back = TransitionShare(TransitionEnd - position, w);
    const int32_t n = TransitionShare(position, h);
    const int32_t up = TransitionShare(TransitionEnd - position, h);
    switch (effect) {
    case 17: SplitColumns(frames, c, t, w - c, s, 0); break;
    case 18: SplitColumns(frames, c, t, 0, s, 0); break;
    case 19: SplitColumns(frames, back, s, w - back, t, 0); break;
    case 20: SplitColumns(frames, back, s, 0, t, 0); break;
    case 21: SplitRows(frames, n, t, h - n, s, 0); break;
    case 22: SplitRows(frames, n, t, 0, s, 0); break;
    case 23: SplitRows(frames, up, s, h - up, t, 0); break;
    default: SplitRows(frames, up, s, h - up, t, up); break;
    }
}

// Every row gets as many more random pixels of the target image as the
// position's count has grown since the last frame.
void RandomPoints(TQkTransitionCanvas& canvas, int32_t position)
{
    TQkTransitionFrames& frames = canvas.Frames;
    if (position == 0) {
        for (int32_t y = 0; y < frames.Height; ++y)
            std::memcpy(frames.CurrentRows[size_t(y)], frames.StartRows[size_t(y)], RowBytes(frames));
        return;
    }
    const auto count = static_cast<int32_t>(Round(position * int64_t{frames.Width} * (position / 180.0L) / 1024));
    const int32_t added = count - canvas.RandomProgress;
    canvas.RandomProgress = count;
    for (int32_t y = 0; y < frames.Height; ++y)
        for (int32_t i = 0; i < added; ++i) {
            const size_t x = 3 * size_t(Random(frames.Width));
            std::memcpy(frames.CurrentRows[size_t(y)] + x, frames.TargetRows[size_t(y)] + x, 3);
        }
}

} // namespace

bool PaintRowEffect(TQkTransitionCanvas& canvas, int32_t effect, int32_t position)
{
    switch (effect) {
    case 1: Fade(canvas, TMix::StartToTarget, position); return true;
    case 2: Fade(canvas, TMix::StartToBackground, position); return true;
    case 3: Fade(canvas, TMix::BackgroundToTarget, position); return true;
    case 4:
        if (position < 512)
            Fade(canvas, TMix::StartToBackground, 2 * position);
        else
            Fade(canvas, TMix::BackgroundToTarget, 2 * position - TransitionEnd);
        return true;
    case 25: RandomPoints(canvas, position); return true;
    default:
        if (effect < 17 || effect > 24)
            return false;
        PushOrSlide(canvas.Frames, effect, position);
        return true;
    }
}
