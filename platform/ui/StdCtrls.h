#pragma once
// TButton: the push button the standard dialogs are built from, with the
// default and cancel roles of the dialog keys, accelerators and a modal
// result it gives its form.

#include "platform/ui/Form.h"

// The press feedback push buttons and check boxes share: the left button
// or Space holds the control down while over it, and letting go there
// releases it.
class TButtonControl : public TCustomControl {
public:
    explicit TButtonControl(TComponent* owner) : TCustomControl(owner) {}

protected:
    bool Pressed() const { return pressed_; }
    // Let go over the control, by the mouse or by Space.
    virtual void Released(bool byKey) = 0;

    void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
    void MouseMove(TShiftState shift, int32_t x, int32_t y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
    void KeyDown(uint16_t& key, TShiftState shift) override;
    void KeyUp(uint16_t& key, TShiftState shift) override;

private:
    void SetPressed(bool value);

    bool pressed_ = false;
    bool tracking_ = false;
};

class TButton : public TButtonControl {
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
    void Released(bool byKey) override;

private:
    bool default_ = false;
    bool cancel_ = false;
    bool active_ = false;
    TModalResult modalResult_ = mrNone;
};
