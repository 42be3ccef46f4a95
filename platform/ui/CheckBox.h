#pragma once
// TCheckBox: a box with a caption that a click, Space or its accelerator
// toggles. Every change of state, from the user or from code, fires
// OnClick once, as the class library's check box does; forms rely on it to
// run one handler for both.

#include <cstdint>

#include "platform/ui/Alignment.h"
#include "platform/ui/StdCtrls.h"

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

class TCheckBox : public TButtonControl {
public:
    explicit TCheckBox(TComponent* owner);

    bool Checked() const { return state_ == cbChecked; }
    void SetChecked(bool value) { SetState(value ? cbChecked : cbUnchecked); }
    TCheckBoxState State() const { return state_; }
    void SetState(TCheckBoxState value);
    // The user's toggling passes through cbGrayed too.
    bool AllowGrayed() const { return allowGrayed_; }
    void SetAllowGrayed(bool value) { allowGrayed_ = value; }
    // taRightJustify puts the caption right of the box, taLeftJustify left.
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);

    // The next state, as a click gives it.
    void Toggle();

    static constexpr int32_t BoxSize = 13;

protected:
    void Paint() override;
    void Dispatch(TMessage& message) override;
    void Released(bool) override { Toggle(); }

private:
    TRect BoxRect() const;
    TRect CaptionRect() const;

    TCheckBoxState state_ = cbUnchecked;
    bool allowGrayed_ = false;
    TAlignment alignment_ = taRightJustify;
};
