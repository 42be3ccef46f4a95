#pragma once
// The hint window: a small tool-tip window in the info colours that never
// takes the focus, and the record CM_HINTSHOW hands to a control before its
// hint appears.

#include <string>

#include "platform/ui/Controls.h"

class THintWindow : public TCustomControl {
public:
    explicit THintWindow(TComponent* owner);

    // The window's size for the text, at most `maxWidth` wide (wrapped).
    TRect CalcHintRect(int32_t maxWidth, const std::string& hint);
    // Shows `hint` in `screenRect`, above every other window, without focus.
    void ActivateHint(const TRect& screenRect, const std::string& hint);
    void ReleaseHint();

protected:
    void CreateParams(TCreateParams& params) override;
    void Paint() override;
};

// Sent as CM_HINTSHOW's LParam; a control may change it, or answer 1 to
// show no hint.
struct THintInfo {
    TControl* HintControl = nullptr;
    std::string HintStr;
    TPoint HintPos; // screen position of the hint window
    int32_t HintMaxWidth = 0;
    TColor HintColor = clInfoBk;
    TPoint CursorPos; // in the control's client coordinates
    int32_t HideTimeout = 0;
};
