#pragma once
// Building the standard dialogs' forms in code: a named child control,
// owned by the form and placed in it.

#include <cstdint>
#include <string>

#include "platform/gfx/Geometry.h"
#include "platform/ui/Form.h"

template <class T>
T* MakeChildControl(TCustomForm* form, const char* name, const TRect& bounds)
{
    auto* control = new T(form);
    control->SetName(name);
    control->SetParent(form);
    control->SetBoundsRect(bounds);
    return control;
}

// Publishes a dialog component's running form and clears the pointer
// however Execute ends.
template <class T>
class TFormScope {
public:
    TFormScope(T*& slot, T* form) : slot_(slot) { slot_ = form; }
    ~TFormScope() { slot_ = nullptr; }
    TFormScope(const TFormScope&) = delete;
    TFormScope& operator=(const TFormScope&) = delete;

private:
    T*& slot_;
};

class TButton;
class TLabel;
class TCanvas;

// A sunken frame filled with `fill`, as the dialogs show their samples in;
// returns the inside.
TRect DrawSunkenSample(TCanvas& canvas, TRect rect, TColor fill);

// A caption at (x, y) that sizes itself to its text.
TLabel* MakeChildLabel(TCustomForm* form, const std::string& caption, int32_t x, int32_t y);

struct TDialogButtons {
    TButton* Ok = nullptr;
    TButton* Cancel = nullptr;
};
// OK (the default button, answering mrOk) and Cancel (Escape, mrCancel)
// side by side, ending at `right`.
TDialogButtons MakeOkCancelButtons(TCustomForm* form, int32_t top, int32_t right);
