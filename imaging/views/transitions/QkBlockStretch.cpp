#include "imaging/views/transitions/QkBlockStretch.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

// Source offsets [First, Last) that one destination offset averages, the
// same boxes as the canvas's halftone shrink.
struct TBox {
    int32_t First, Last;
};

std::vector<TBox> BoxesOf(int32_t count, int32_t sourceCount)
{
    std::vector<TBox> boxes(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        const auto first = static_cast<int32_t>(int64_t{i} * sourceCount / count);
        const auto last = static_cast<int32_t>(int64_t{i + 1} * sourceCount / count);
        boxes[static_cast<size_t>(i)] = {first, std::max(first + 1, last)};
    }
    return boxes;
}

bool Unclipped(TCanvas& canvas)
{
    const TBitmap& target = *canvas.Target();
    TRegion clip;
    return !canvas.GetClipRgn(clip) && canvas.ViewportOrigin() == TPoint{} &&
        canvas.ClipRect() == TRect{0, 0, target.Width(), target.Height()};
}

bool DirectShrink(TCanvas& canvas, const TRect& dest, TBitmap& source, const TRect& from)
{
    TBitmap& target = *canvas.Target();
    const bool shrinking = from.Width() > dest.Width() || from.Height() > dest.Height();
    return shrinking && canvas.StretchMode() == HALFTONE && &source != &target && dest.Width() > 0 &&
        dest.Height() > 0 && from.Left >= 0 && from.Top >= 0 && from.Right <= source.Width() &&
        from.Bottom <= source.Height() && target.PixelFormat() == pf24bit && source.PixelFormat() == pf24bit &&
        Unclipped(canvas);
}

// Averages every destination pixel's box, summing each source row once per
// destination row into column totals.
void ShrinkRows(TBitmap& target, const TRect& dest, const TBitmap& source, const TRect& from)
{
    const std::vector<TBox> columns = BoxesOf(dest.Width(), from.Width());
    const std::vector<TBox> rows = BoxesOf(dest.Height(), from.Height());
    const int32_t firstX = std::max(dest.Left, 0), lastX = std::min(dest.Right, target.Width());
    const int32_t firstY = std::max(dest.Top, 0), lastY = std::min(dest.Bottom, target.Height());
    std::vector<uint32_t> totals(static_cast<size_t>(from.Width()) * 3);
    for (int32_t y = firstY; y < lastY; ++y) {
        const TBox rowBox = rows[static_cast<size_t>(y - dest.Top)];
        std::fill(totals.begin(), totals.end(), 0u);
        for (int32_t sy = rowBox.First; sy < rowBox.Last; ++sy) {
            const uint8_t* in = source.ScanLine(from.Top + sy) + static_cast<size_t>(from.Left) * 3;
            for (size_t k = 0; k < totals.size(); ++k)
                totals[k] += in[k];
        }
        uint8_t* out = target.ScanLine(y) + static_cast<size_t>(firstX) * 3;
        const auto height = static_cast<uint64_t>(rowBox.Last - rowBox.First);
        for (int32_t x = firstX; x < lastX; ++x, out += 3) {
            const TBox box = columns[static_cast<size_t>(x - dest.Left)];
            const uint64_t n = height * static_cast<uint64_t>(box.Last - box.First);
            for (int c = 0; c < 3; ++c) {
                uint64_t sum = 0;
                for (int32_t sx = box.First; sx < box.Last; ++sx)
                    sum += totals[static_cast<size_t>(sx) * 3 + static_cast<size_t>(c)];
                out[c] = static_cast<uint8_t>((sum + n / 2) / n);
            }
        }
    }
    target.SetModified(true);
}

} // namespace

void StretchBlock(TCanvas& canvas, const TRect& dest, TBitmap& source, const TRect& sourceRect)
{
    if (DirectShrink(canvas, dest, source, sourceRect)) {
        ShrinkRows(*canvas.Target(), dest, source, sourceRect);
        return;
    }
    canvas.StretchBlt(dest.Left, dest.Top, dest.Width(), dest.Height(), source.Canvas(), sourceRect.Left,
                      sourceRect.Top, sourceRect.Width(), sourceRect.Height(), SRCCOPY);
}
