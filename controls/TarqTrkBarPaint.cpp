// Painting of the track bar: the track with its selection and ticks go into
// a cached background; the thumb is composed over it off-screen and copied
// in one step, so that moving the thumb repaints nothing else.

#include <algorithm>
#include <cmath>

#include "controls/TarqFrames.h"
#include "controls/TarqTrkBar.h"
#include "platform/core/Types.h"

namespace {

// Ends of the selection along a track of `length` pixels.
int32_t SelectionOffset(int32_t length, int64_t value, int64_t min, int64_t range)
{
    return static_cast<int32_t>(Round(static_cast<long double>(length) * (value - min) / range));
}

void Line(TCanvas& canvas, int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    canvas.MoveTo(x1, y1);
    canvas.LineTo(x2, y2);
}

// The first multiple of `step` at or above `value`.
int64_t FirstMultipleFrom(int64_t value, int64_t step)
{
    const int64_t rest = value % step;
    if (rest == 0)
        return value;
    return value > 0 ? value - rest + step : value - rest;
}

} // namespace

void TTarqCustomTrackBar::DrawTrack(TCanvas& canvas)
{
    const TRect track = TrackRect();
    if (IsRectEmpty(track)) // no room between the margins
        return;
    canvas.FillSolidRect(track, ColorToRGB(Enabled() ? trackColor_ : clBtnFace));
    DrawSelection(canvas);
    if (trackFrame_ == fsFlat)
        DrawEdgeLines(canvas, track, trackFrameColor_, trackFrameColor_, AllSides);
    else
        DrawFrameStyle(canvas, track, trackFrame_);
}

void TTarqCustomTrackBar::DrawSelection(TCanvas& canvas)
{
    const TRect track = TrackRect();
    TRect selection = track;
    if (Horizontal()) {
        const int32_t length = track.Right - track.Left;
        selection.Left = track.Left + SelectionOffset(length, selStart_, min_, Range());
        selection.Right = std::max(track.Left + SelectionOffset(length, selEnd_, min_, Range()), selection.Left);
    } else {
        const int32_t length = track.Bottom - track.Top;
        selection.Top = track.Top + SelectionOffset(length, selStart_, min_, Range());
        selection.Bottom = std::max(track.Top + SelectionOffset(length, selEnd_, min_, Range()), selection.Top);
    }
    if (!Enabled())
        return;
    if (selStart_ > 0 || selEnd_ > 0) {
        canvas.Pen()->SetColor(trackFrameColor_);
        if (Horizontal()) {
            Line(canvas, selection.Left, track.Top - 20, selection.Left, track.Bottom + 20);
            Line(canvas, selection.Right, track.Top - 20, selection.Right, track.Bottom + 20);
        } else {
            Line(canvas, track.Left - 20, selection.Top, track.Right + 20, selection.Top);
            Line(canvas, track.Left - 20, selection.Bottom, track.Right + 20, selection.Bottom);
        }
    }
    canvas.FillSolidRect(selection, ColorToRGB(selColor_));
}

// Ticks closer than a pixel apart would only paint the same column again;
// a huge range is thinned to at most one tick per pixel of travel, so that
// drawing never runs through billions of values.
void TTarqCustomTrackBar::DrawTicks(TCanvas& canvas)
{
    if (max_ < min_)
        return;
    canvas.Pen()->SetColor(tickColor_);
    const int32_t span = TravelSpan();
    const long double scale = static_cast<long double>(span) / Range();
    int64_t step = tickStep_;
    const int64_t count = Range() / step + 1;
    if (count > int64_t{span} + 1)
        step *= (count + span) / (int64_t{span} + 1);
    const bool topOrLeft = !IsWin95Pointer();
    const bool bottomOrRight = !IsPointerThumb() || IsWin95Pointer();
    for (int64_t v = FirstMultipleFrom(min_, step); v <= max_; v += step) {
        const auto offset = static_cast<int32_t>(std::trunc((v - min_) * scale));
        const auto index = static_cast<int32_t>(v);
        if (Horizontal()) {
            const int32_t x = offset + Margin + thumbHalf_;
            if (tickStyle_ == tkOwnerDraw) {
                DrawTick(canvas, Point(x, 0), index);
                continue;
            }
            if (topOrLeft)
                Line(canvas, x, Margin, x, 10);
            if (bottomOrRight)
                Line(canvas, x, Height() - 10, x, Height() - Margin);
        } else {
            const int32_t y = Height() - thumbAlong_ - offset - Margin + thumbHalf_;
            if (tickStyle_ == tkOwnerDraw) {
                DrawTick(canvas, Point(0, y), index);
                continue;
            }
            Line(canvas, Margin, y, 10, y);
            if (!IsPointerThumb())
                Line(canvas, Width() - 10, y, Width() - Margin, y);
        }
    }
}

void TTarqCustomTrackBar::RenderBackground(TCanvas& canvas)
{
    background_->SetSize(std::max(Width(), 1), std::max(Height(), 1));
    TCanvas& back = *background_->Canvas();
    const TRect client = Rect(0, 0, Width(), Height());
    if (transparent_)
        back.CopyRect(client, &canvas, client);
    else
        back.FillSolidRect(client, ColorToRGB(Color()));
    DrawTrack(back);
    if (showTicks_)
        DrawTicks(back);
    rebuildBackground_ = false;
}

void TTarqCustomTrackBar::DrawThumb(TCanvas& canvas)
{
    const TRect oldThumb = thumbRect_;
    thumbRect_ = ThumbRect();
    if (rebuildBackground_ || background_->Width() != std::max(Width(), 1) ||
        background_->Height() != std::max(Height(), 1))
        RenderBackground(canvas);
    const TRect uncovered = SubtractRect(oldThumb, thumbRect_);
    if (!IsRectEmpty(uncovered))
        canvas.CopyRect(uncovered, background_->Canvas(), uncovered);
    if (thumbNormal_->Empty())
        return;

    TBitmap* face = thumbNormal_.get();
    if (!Enabled())
        face = thumbDisabled_.get();
    else if (hot_)
        face = thumbHot_.get();
    const int32_t w = thumbNormal_->Width(), h = thumbNormal_->Height();
    TBitmap work(w, h);
    TCanvas& composed = *work.Canvas();
    composed.BitBlt(0, 0, w, h, background_->Canvas(), thumbRect_.Left, thumbRect_.Top, SRCCOPY);
    composed.BitBlt(0, 0, w, h, thumbMask_->Canvas(), 0, 0, SRCAND);
    composed.BitBlt(0, 0, w, h, face->Canvas(), 0, 0, SRCPAINT);
    canvas.BitBlt(thumbRect_.Left, thumbRect_.Top, w, h, &composed, 0, 0, SRCCOPY);
}

void TTarqCustomTrackBar::Paint()
{
    TCanvas& canvas = *Canvas();
    if (Focused() && showFocusRect_)
        canvas.DrawFocusRect(Rect(0, 0, Width(), Height()));
    DrawTrack(canvas);
    if (showTicks_)
        DrawTicks(canvas);
    DrawThumb(canvas);
}

// A pending rebuild means a full repaint is due anyway.
void TTarqCustomTrackBar::RedrawThumb()
{
    if (!Showing())
        return;
    if (rebuildBackground_)
        Invalidate();
    else
        DrawThumb(*Canvas());
}
