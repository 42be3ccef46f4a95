#include "platform/ui/ExtCtrls.h"

#include "platform/ui/Controls.h"

namespace {
constexpr uintptr_t TimerId = 1;
}

TTimer::TTimer(TComponent* owner) : TComponent(owner)
{
    RegisterUiClasses();
    UpdateTimer();
}

TTimer::~TTimer()
{
    if (window_ && WindowSystemInstalled())
        KillTimer(window_->Handle(), TimerId);
}

void TTimer::SetEnabled(bool value)
{
    if (enabled_ == value)
        return;
    enabled_ = value;
    UpdateTimer();
}

void TTimer::SetInterval(uint32_t value)
{
    if (interval_ == value)
        return;
    interval_ = value;
    UpdateTimer();
}

// A timer runs while enabled with an interval; OnTimer may be set any time.
void TTimer::UpdateTimer()
{
    if (!WindowSystemInstalled())
        return;
    if (!window_)
        window_ = std::make_unique<TUtilityWindow>([this](TMessage& message) {
            if (message.Msg == WM_TIMER)
                Timer();
        });
    KillTimer(window_->Handle(), TimerId);
    if (enabled_ && interval_ != 0)
        SetTimer(window_->Handle(), TimerId, interval_);
}

void TTimer::Timer()
{
    if (enabled_ && OnTimer)
        OnTimer(this);
}
