#include "imaging/core/QkTransitions.h"

#include <algorithm>
#include <cmath>

#include "imaging/core/QkView.h"
#include "platform/core/Clock.h"
#include "platform/core/Types.h"
#include "platform/gfx/Canvas.h"
#include "platform/ui/ExtCtrls.h"

int32_t TransitionPosition(TQkTransitionProfile profile, uint32_t elapsed, int32_t duration)
{
    if (duration <= 0)
        return TransitionEnd;
    const double t = double(elapsed) / duration;
    double position = t * TransitionEnd;
    if (profile == tpExponential)
        position = std::exp(5 * t - 2.718) / 10 * TransitionEnd;
    else if (profile == tpLogarithmic)
        position = (std::log(10 * t) + 2.718) / 5 * TransitionEnd;
    // The logarithm falls below 0 near the start (minus infinity at t = 0).
    if (!(position > 0))
        return 0;
    return static_cast<int32_t>(std::min(position, double(TransitionEnd)));
}

void FitRectKeepingAspect(int32_t sourceWidth, int32_t sourceHeight, int32_t targetWidth, int32_t targetHeight,
                          int32_t& width, int32_t& height, int32_t& x, int32_t& y)
{
    width = height = x = y = 0;
    if (sourceWidth <= 0 || sourceHeight <= 0 || targetWidth <= 0 || targetHeight <= 0)
        return;
    const double byWidth = double(targetWidth) / sourceWidth;
    const double byHeight = double(targetHeight) / sourceHeight;
    const double scale = double(sourceWidth) / targetWidth > double(sourceHeight) / targetHeight ? byWidth : byHeight;
    width = static_cast<int32_t>(Round(sourceWidth * scale));
    height = static_cast<int32_t>(Round(sourceHeight * scale));
    x = static_cast<int32_t>(Trunc(targetWidth / 2.0 - width / 2.0));
    y = static_cast<int32_t>(Trunc(targetHeight / 2.0 - height / 2.0));
}

TQkTransitionEffects::TQkTransitionEffects(TQkView& view) : view_(view), timer_(std::make_unique<TTimer>(nullptr))
{
    timer_->SetEnabled(false);
    timer_->SetInterval(1);
    timer_->OnTimer = [this](TObject*) { TimerStep(); };
}

TQkTransitionEffects::~TQkTransitionEffects() = default;

bool TQkTransitionEffects::TimerEnabled() const { return timer_->Enabled(); }

bool TQkTransitionEffects::Start(const TBitmap& startImage, const TBitmap& targetImage, int32_t effect,
                                 int32_t duration, TQkTransitionProfile profile, bool finish)
{
    if (effect == ZoomEffect)
        return false;
    return Begin(startImage, targetImage, effect, duration, profile, finish);
}

bool TQkTransitionEffects::StartZoom(const TBitmap& startImage, const TBitmap& targetImage, TQkBitmap& zoomSource,
                                     const TRect& from, const TRect& to, int32_t duration, TQkTransitionProfile profile,
                                     bool finish)
{
    zoom_ = {&zoomSource, from, to};
    return Begin(startImage, targetImage, ZoomEffect, duration, profile, finish);
}

bool TQkTransitionEffects::Begin(const TBitmap& startImage, const TBitmap& targetImage, int32_t effect,
                                 int32_t duration, TQkTransitionProfile profile, bool finish)
{
    const bool sameSize = startImage.Width() == targetImage.Width() && startImage.Height() == targetImage.Height();
    if (!sameSize || startImage.Empty() || effect < 1 || effect > 214 || profile > tpLogarithmic)
        return false;
    Stop();
    frames_.Load(startImage, targetImage);
    effect_ = effect;
    duration_ = duration;
    profile_ = profile;
    finish_ = finish;
    position_ = 0;
    randomProgress_ = 0;
    frameCount_ = 0;
    startTick_ = GetTickCount();
    ++run_;
    running_ = true;
    view_.BeginPaintLock();
    timer_->SetEnabled(true);
    return true;
}

void TQkTransitionEffects::Stop()
{
    if (!running_ || effect_ == 0)
        return;
    timer_->SetEnabled(false);
    running_ = false;
    frames_.Clear();
    zoom_ = {};
    view_.EndPaintLockNoRefresh();
    if (finish_)
        view_.Update();
    if (OnTransitionStop)
        OnTransitionStop(&view_);
}

void TQkTransitionEffects::ShowOnView(TBitmap& frame)
{
    if (TCanvas* canvas = GetViewCanvas(view_))
        canvas->BitBlt(0, 0, frames_.Width, frames_.Height, frame.Canvas(), 0, 0, SRCCOPY);
}

bool TQkTransitionEffects::Paint(TBitmap& frame, int32_t step, uint64_t run)
{
    ShowOnView(frame);
    if (onTransitionPaint_)
        onTransitionPaint_(&view_, frame, *this, step);
    return StillThisRun(run);
}

void TQkTransitionEffects::TimerStep()
{
    if (!running_)
        return;
    const uint64_t run = run_;
    if (OnTransitionStep) {
        OnTransitionStep(&view_, position_);
        if (!StillThisRun(run))
            return;
    }
    ++frameCount_;
    TQkTransitionCanvas canvas{frames_, view_, zoom_, randomProgress_};
    PaintTransitionEffect(canvas, effect_, position_);
    if (!Paint(frames_.Current, position_, run))
        return;
    const uint32_t elapsed = GetTickCount() - startTick_;
    if (int64_t{elapsed} >= duration_) {
        if (finish_ && effect_ != ZoomEffect && !Paint(frames_.Target, TransitionEnd, run))
            return;
        Stop();
        // A stop handler may have started the next transition.
        if (run_ != run)
            return;
    }
    position_ = TransitionPosition(profile_, elapsed, duration_);
}
