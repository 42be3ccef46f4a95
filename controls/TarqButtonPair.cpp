#include "controls/TarqButtonPair.h"

#include "controls/TarqBtnEdt.h"

TTarqButtonPair::TTarqButtonPair(TComponent* owner) : TWinControl(owner)
{
    RegisterTarqButtonEditClasses();
    SetControlStyle(ControlStyle() & ~csSetCaption);
    SetTabStop(false);
    SetColor(clBtnFace);
    SetParentColor(true);
    main_ = CreateButton();
    main_->SetVisible(true);
    alt_ = CreateButton();
    SetBounds(Left(), Top(), 34, 21);
}

TTarqButtonPair::~TTarqButtonPair() { MarkDestroying(); }

// Each button is as wide as the edit's ButtonWidth default, with or without
// themes.
TTarqControlButton* TTarqButtonPair::CreateButton()
{
    auto* button = new TTarqControlButton(this);
    button->SetVisible(false);
    button->SetParent(this);
    button->SetWidth(17);
    button->OnClick = [this](TObject* sender) { ButtonClick(sender); };
    button->OnMouseDown = [this](TObject*, TMouseButton mouseButton, TShiftState, int32_t, int32_t) {
        if (mouseButton == mbLeft)
            FocusForButtonPress(*this, focusControl_);
    };
    return button;
}

void TTarqButtonPair::ButtonClick(TObject* sender)
{
    const TNotifyEvent& event = sender == alt_ ? OnAltBtnClick : OnButtonClick;
    if (event)
        event(this);
}

void TTarqButtonPair::LayoutButtons()
{
    if (IsLoading() || !main_ || !alt_)
        return;
    int32_t x = 0;
    for (TTarqControlButton* button : {main_, alt_})
        if (button->Visible()) {
            button->SetBounds(x, 0, button->Width(), Height() - 1);
            x += button->Width();
        }
}

void TTarqButtonPair::Loaded()
{
    TWinControl::Loaded();
    LayoutButtons();
}

void TTarqButtonPair::SetBounds(int32_t left, int32_t top, int32_t width, int32_t height)
{
    TWinControl::SetBounds(left, top, width, height);
    LayoutButtons();
}

void TTarqButtonPair::SetFlat(bool value)
{
    if (flat_ == value)
        return;
    flat_ = value;
    main_->SetFlat(value);
    alt_->SetFlat(value);
}

void TTarqButtonPair::SetEnabled(bool value)
{
    TWinControl::SetEnabled(value);
    main_->SetEnabled(value);
    alt_->SetEnabled(value);
}

void TTarqButtonPair::SetFocusControl(TWinControl* value) { focusControl_.Set(value); }

void TTarqButtonPair::Notification(TComponent* component, TOperation operation)
{
    TWinControl::Notification(component, operation);
    focusControl_.Forget(component, operation);
}

void TTarqButtonPair::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_SIZE:
        TWinControl::Dispatch(message);
        LayoutButtons();
        message.Result = 0;
        break;
    case CM_COLORCHANGED:
        TWinControl::Dispatch(message);
        if (main_ && alt_) {
            main_->SetColor(Color());
            alt_->SetColor(Color());
        }
        break;
    default: TWinControl::Dispatch(message); break;
    }
}
