#include "controls/TarqBlinkList.h"

#include <algorithm>

#include "platform/ui/Controls.h"
#include "platform/ui/ExtCtrls.h"

namespace {

std::unique_ptr<TTarqBlinkingControlsList> TheBlinkList;

} // namespace

TTarqBlinkingControlsList::TTarqBlinkingControlsList() : timer_(std::make_unique<TTimer>(nullptr))
{
    timer_->SetInterval(intervalOff_);
    timer_->OnTimer = [this](TObject*) { Tick(); };
    timer_->SetEnabled(true);
}

TTarqBlinkingControlsList::~TTarqBlinkingControlsList() = default;

void TTarqBlinkingControlsList::AddControl(TControl* control) { controls_.push_back(control); }

void TTarqBlinkingControlsList::RemoveControl(TControl* control)
{
    auto it = std::find(controls_.begin(), controls_.end(), control);
    if (it != controls_.end())
        controls_.erase(it);
}

void TTarqBlinkingControlsList::Tick()
{
    state_ = state_ == 1 ? 0 : 1;
    timer_->SetInterval(state_ == 1 ? intervalOn_ : intervalOff_);
    const std::vector<TControl*> registered = controls_;
    for (TControl* control : registered)
        if (std::find(controls_.begin(), controls_.end(), control) != controls_.end() &&
            control->Perform(CM_BLINKQUERY) == 1)
            control->Perform(CM_BLINKSTATE, state_);
}

TTarqBlinkingControlsList* BlinkList() { return TheBlinkList.get(); }

TTarqBlinkingControlsList& EnsureBlinkList()
{
    if (!TheBlinkList)
        TheBlinkList = std::make_unique<TTarqBlinkingControlsList>();
    return *TheBlinkList;
}

void ReleaseBlinkListIfEmpty()
{
    if (TheBlinkList && TheBlinkList->Count() == 0)
        TheBlinkList.reset();
}
