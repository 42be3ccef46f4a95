#pragma once
// TQkTransitionEffects: animates the change from one image to another in a
// view. A timer paints frames at positions 0 .. 1024 that follow the time
// since the start, copies each onto the view's canvas and stops when the
// duration has passed. Effects 1-30 and 213 (a rectangle zoom) are the
// engine's own; other numbers paint through the named effect table.

#include <cstdint>
#include <functional>
#include <memory>

#include "imaging/core/QkTransitionFrames.h"
#include "platform/core/Persistent.h"

class TQkView;
class TTimer;
class TQkTransitionEffects;

using TQkTransitionStepEvent = std::function<void(TObject* sender, int32_t step)>;
using TQkOnTransitionPaint =
    std::function<void(TObject* sender, TBitmap& bitmap, TQkTransitionEffects& transition, int32_t step)>;

// How the position follows the elapsed share t of the duration.
enum TQkTransitionProfile : uint8_t { tpLinear = 0, tpExponential = 1, tpLogarithmic = 2 };

// The position after `elapsed` of `duration` milliseconds, 0 .. 1024.
int32_t TransitionPosition(TQkTransitionProfile profile, uint32_t elapsed, int32_t duration);

// The largest rectangle of the source's aspect ratio inside the target,
// centred; all 0 when there is none.
void FitRectKeepingAspect(int32_t sourceWidth, int32_t sourceHeight, int32_t targetWidth, int32_t targetHeight,
                          int32_t& width, int32_t& height, int32_t& x, int32_t& y);

class TQkTransitionEffects : public TObject {
public:
    explicit TQkTransitionEffects(TQkView& view);
    ~TQkTransitionEffects() override;

    // Starts `effect` (1 .. 214 but 213) from the start to the target image,
    // which must have one size; a running transition is stopped first. The
    // view's paint lock is taken until Stop. False (nothing started) for
    // images of unequal or no size, a number that is no effect or an unknown
    // profile. A `finish` transition paints the target image at the end and
    // updates the view.
    bool Start(const TBitmap& startImage, const TBitmap& targetImage, int32_t effect, int32_t duration,
               TQkTransitionProfile profile, bool finish);
    // Effect 213: the zoom source's rectangle `from` (left, top, right,
    // bottom) moves to `to`; the source must outlive the transition.
    bool StartZoom(const TBitmap& startImage, const TBitmap& targetImage, TQkBitmap& zoomSource, const TRect& from,
                   const TRect& to, int32_t duration, TQkTransitionProfile profile, bool finish);
    // Nothing while idle.
    void Stop();
    // One frame; the timer calls it.
    void TimerStep();

    void SetOnTransitionPaint(TQkOnTransitionPaint handler) { onTransitionPaint_ = std::move(handler); }
    TNotifyEvent OnTransitionStop;
    TQkTransitionStepEvent OnTransitionStep;

    bool Running() const { return running_; }
    int32_t Effect() const { return effect_; }
    int32_t Position() const { return position_; }
    int32_t FrameCount() const { return frameCount_; }
    bool TimerEnabled() const;
    const TBitmap& CurrentFrame() const { return frames_.Current; }
    const TBitmap& StartImage() const { return frames_.Start; }
    const TBitmap& TargetImage() const { return frames_.Target; }

private:
    bool Begin(const TBitmap& startImage, const TBitmap& targetImage, int32_t effect, int32_t duration,
               TQkTransitionProfile profile, bool finish);
    void ShowOnView(TBitmap& frame);
    // False when a handler stopped or restarted the transition.
    bool StillThisRun(uint64_t run) const { return running_ && run_ == run; }
    bool Paint(TBitmap& frame, int32_t step, uint64_t run);

    TQkView& view_;
    std::unique_ptr<TTimer> timer_;
    TQkTransitionFrames frames_;
    TQkTransitionZoom zoom_;
    bool running_ = false;
    uint64_t run_ = 0;
    int32_t position_ = 0;
    int32_t randomProgress_ = 0;
    int32_t effect_ = 0;
    int32_t duration_ = 1000;
    uint32_t startTick_ = 0;
    bool finish_ = false;
    TQkTransitionProfile profile_ = tpLinear;
    int32_t frameCount_ = 0;
    TQkOnTransitionPaint onTransitionPaint_;
};
