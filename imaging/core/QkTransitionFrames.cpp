#include "imaging/core/QkTransitionFrames.h"

#include "imaging/core/QkEffects.h"
#include "platform/core/Types.h"
#include "platform/gfx/Canvas.h"

namespace {

void CopyAs24Bit(TBitmap& frame, const TBitmap& image)
{
    frame.Assign(&image);
    frame.SetPixelFormat(pf24bit);
}

void RowsOf(TBitmap& bitmap, std::vector<uint8_t*>& rows)
{
    rows.resize(size_t(bitmap.Height()));
    for (int32_t y = 0; y < bitmap.Height(); ++y)
        rows[size_t(y)] = bitmap.ScanLine(y);
}

// Effects numbered in the named table: the start image at position 0, then
// the row's painter, when it has one, over the whole frame.
void PaintNamedEffect(TQkTransitionCanvas& canvas, int32_t effect, int32_t position)
{
    TQkTransitionFrames& frames = canvas.Frames;
    if (position == 0) {
        frames.Current.Assign(&frames.Start);
        frames.CacheRows();
        return;
    }
    const TEffect* row = EffectOfNumber(effect);
    if (!row || !row->Painter)
        return;
    TCanvas& target = *frames.Current.Canvas();
    target.SetStretchMode(HALFTONE);
    const auto percent = static_cast<int32_t>(Round(position / 1024.0L * 100));
    row->Painter(target, frames.Start, frames.Target, percent, 1, TRect{0, 0, frames.Width, frames.Height});
}

} // namespace

void TQkTransitionFrames::Load(const TBitmap& start, const TBitmap& target)
{
    CopyAs24Bit(Start, start);
    CopyAs24Bit(Target, target);
    CopyAs24Bit(Current, start);
    Width = Start.Width();
    Height = Start.Height();
    CacheRows();
}

void TQkTransitionFrames::Clear()
{
    for (TBitmap* frame : {&Current, &Start, &Target})
        frame->ReshapeForOverwrite(1, 1, pf24bit);
    Width = 1;
    Height = 1;
    CacheRows();
}

void TQkTransitionFrames::CacheRows()
{
    RowsOf(Start, StartRows);
    RowsOf(Target, TargetRows);
    RowsOf(Current, CurrentRows);
}

void PaintTransitionEffect(TQkTransitionCanvas& canvas, int32_t effect, int32_t position)
{
    if (effect == ZoomEffect)
        PaintZoomEffect(canvas, position);
    else if (!PaintRowEffect(canvas, effect, position) && !PaintCanvasEffect(canvas, effect, position))
        PaintNamedEffect(canvas, effect, position);
}
