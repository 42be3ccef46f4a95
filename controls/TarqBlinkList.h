#pragma once
// One process-wide timer that makes blinking controls alternate between
// their blink colour and their normal colour. The list exists while at least
// one control is registered.

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/ui/Messages.h"

class TControl;
class TTimer;

// A control answers 1 when it is blinking.
constexpr uint32_t CM_BLINKQUERY = 46056;
// WParam 1: show the blink colour; 0: show the normal colour.
constexpr uint32_t CM_BLINKSTATE = 46057;

class TTarqBlinkingControlsList {
public:
    TTarqBlinkingControlsList();
    ~TTarqBlinkingControlsList();
    TTarqBlinkingControlsList(const TTarqBlinkingControlsList&) = delete;
    TTarqBlinkingControlsList& operator=(const TTarqBlinkingControlsList&) = delete;

    void AddControl(TControl* control);
    void RemoveControl(TControl* control);
    int32_t Count() const { return static_cast<int32_t>(controls_.size()); }

    // 1 while the blink colour shows.
    uint8_t BlinkState() const { return state_; }
    uint16_t IntervalOff() const { return intervalOff_; }
    void SetIntervalOff(uint16_t value) { intervalOff_ = value; }
    uint16_t IntervalOn() const { return intervalOn_; }
    void SetIntervalOn(uint16_t value) { intervalOn_ = value; }
    TTimer& Timer() { return *timer_; }

    // Flips the state, sets the next interval and tells every blinking control.
    void Tick();

private:
    uint8_t state_ = 1;
    std::vector<TControl*> controls_;
    uint16_t intervalOff_ = 500;
    uint16_t intervalOn_ = 500;
    std::unique_ptr<TTimer> timer_;
};

// The process's list, or nullptr when no control is registered.
TTarqBlinkingControlsList* BlinkList();
// The list, created when absent.
TTarqBlinkingControlsList& EnsureBlinkList();
// Frees the list once its last control has unregistered.
void ReleaseBlinkListIfEmpty();
