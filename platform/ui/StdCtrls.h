#pragma once
// TButton: the push button the standard dialogs are built from, with the
// default and cancel roles of the dialog keys, accelerators and a modal
// result it gives its form.

#include "platform/ui/Form.h"

class TButton : public TCustomControl {
public:
    explicit TButton(TComponent* owner);

    bool Default() const { return default_; }
    void SetDefault(bool value);
    bool Cancel() const { return cancel_; }
    void SetCancel(bool value) { cancel_ = value; }
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult value) { modalResult_ = value; }
    // Enter presses the focused button, or the default one when no button
    // has the focus.
    bool Active() const { return active_; }

    void Click() override;

protected:
    void Paint() override;
    void Dispatch(TMessage& message) override;
    void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
    void MouseMove(TShiftState shift, int32_t x, int32_t y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
    void KeyDown(uint16_t& key, TShiftState shift) override;
    void KeyUp(uint16_t& key, TShiftState shift) override;

private:
    void SetPressed(bool value);

    bool default_ = false;
    bool cancel_ = false;
    bool active_ = false;
    bool pressed_ = false;
    bool tracking_ = false;
    TModalResult modalResult_ = mrNone;
};
