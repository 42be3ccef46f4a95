#pragma once
// A window holding two small push buttons of the library side by side: the
// buttons of the button edit and, laid out its own way, of the spin edit. A
// left press on either focuses the control the buttons serve first.

#include <cstdint>

#include "controls/TarqButton.h"
#include "platform/core/Components.h"
#include "platform/ui/Controls.h"

class TTarqButtonPair : public TWinControl {
public:
    explicit TTarqButtonPair(TComponent* owner);
    ~TTarqButtonPair() override;

    // The main button shows from the start; the alternate one is created hidden.
    TTarqControlButton* MainButton() const { return main_; }
    TTarqControlButton* AltButton() const { return alt_; }
    bool Flat() const { return flat_; }
    virtual void SetFlat(bool value);
    void SetEnabled(bool value) override;
    TWinControl* FocusControl() const { return focusControl_; }
    void SetFocusControl(TWinControl* value);
    // The visible buttons side by side from the left, the main one first.
    // Nothing while loading: Loaded lays them out.
    virtual void LayoutButtons();
    void SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) override;

    TNotifyEvent OnAltBtnClick;
    TNotifyEvent OnButtonClick;

protected:
    // Sends a button's click on as the pair's OnButtonClick or OnAltBtnClick.
    virtual void ButtonClick(TObject* sender);
    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;
    void Dispatch(TMessage& message) override;

private:
    TTarqControlButton* CreateButton();

    TTarqControlButton* main_ = nullptr;
    TTarqControlButton* alt_ = nullptr;
    TComponentRef<TWinControl> focusControl_{this};
    bool flat_ = false;
};
