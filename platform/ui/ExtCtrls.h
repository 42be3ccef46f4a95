#pragma once
// TTimer: a component that raises OnTimer every Interval milliseconds from
// the message loop (WM_TIMER on a window of its own).

#include <cstdint>
#include <memory>

#include "platform/core/Components.h"
#include "platform/ui/WindowSystem.h"

class TTimer : public TComponent {
public:
    explicit TTimer(TComponent* owner);
    ~TTimer() override;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    // Milliseconds; 0 stops the timer.
    uint32_t Interval() const { return interval_; }
    void SetInterval(uint32_t value);
    TNotifyEvent OnTimer;

protected:
    virtual void Timer();

private:
    void UpdateTimer();

    bool enabled_ = true;
    uint32_t interval_ = 1000;
    std::unique_ptr<TUtilityWindow> window_;
};
