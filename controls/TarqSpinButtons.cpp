#include "controls/TarqSpnEdt.h"


const TEnumInfo& SpinDirectionInfo()
{
    static const TEnumInfo info{"TSpinDirection", {"sdUpDown", "sdLeftRight"}};
    return info;
}

TTarqSpinButtons::TTarqSpinButtons(TComponent* owner) : TWinControl(owner)
{
    RegisterTarqSpinEditClasses();
    SetControlStyle(ControlStyle() & ~csSetCaption);
    SetTabStop(false);
    SetColor(clBtnFace);
    SetParentColor(true);
    upRight_ = CreateButton();
    downLeft_ = CreateButton();
    SetGlyphUpRight(nullptr);
    SetGlyphDownLeft(nullptr);
    SetBounds(Left(), Top(), 16, 25);
}

TTarqSpinButtons::~TTarqSpinButtons() { MarkDestroying(); }

TTarqControlButton* TTarqSpinButtons::CreateButton()
{
    auto* button = new TTarqControlButton(this);
    button->SetParent(this);
    button->SetRepeatClicks(true);
    button->SetNumGlyphs(2);
    button->OnClick = [this](TObject* sender) { ButtonClick(sender); };
    button->OnMouseDown = [this](TObject* sender, TMouseButton mouseButton, TShiftState, int32_t, int32_t) {
        ButtonMouseDown(sender, mouseButton);
    };
    return button;
}

void TTarqSpinButtons::ButtonClick(TObject* sender)
{
    const TNotifyEvent& event = sender == upRight_ ? OnUpRightClick : OnDownLeftClick;
    if (event)
        event(this);
}

void TTarqSpinButtons::ButtonMouseDown(TObject*, TMouseButton button)
{
    if (button == mbLeft)
        FocusForButtonPress(*this, focusControl_);
}

TTarqControlButtonStyle TTarqSpinButtons::ArrowStyle(bool upRight) const
{
    if (direction_ == sdUpDown)
        return upRight ? cbsUp : cbsDown;
    return upRight ? cbsRight : cbsLeft;
}

void TTarqSpinButtons::ApplyGlyph(TTarqControlButton& button, const TBitmap* value, bool& custom, bool upRight)
{
    const bool empty = !value || value->Empty();
    if (empty) {
        TBitmap none;
        button.SetGlyph(&none);
    } else {
        button.SetGlyph(value);
    }
    custom = !empty;
    button.SetStyle(custom ? cbsNone : ArrowStyle(upRight));
}

TBitmap* TTarqSpinButtons::GlyphUpRight() const { return upRight_->Glyph(); }
TBitmap* TTarqSpinButtons::GlyphDownLeft() const { return downLeft_->Glyph(); }

void TTarqSpinButtons::SetGlyphUpRight(const TBitmap* value) { ApplyGlyph(*upRight_, value, customUpRight_, true); }

void TTarqSpinButtons::SetGlyphDownLeft(const TBitmap* value)
{
    ApplyGlyph(*downLeft_, value, customDownLeft_, false);
}

int32_t TTarqSpinButtons::NumGlyphsUpRight() const { return upRight_->NumGlyphs(); }
void TTarqSpinButtons::SetNumGlyphsUpRight(int32_t value) { upRight_->SetNumGlyphs(value); }
int32_t TTarqSpinButtons::NumGlyphsDownLeft() const { return downLeft_->NumGlyphs(); }
void TTarqSpinButtons::SetNumGlyphsDownLeft(int32_t value) { downLeft_->SetNumGlyphs(value); }

uint16_t TTarqSpinButtons::Delay() const { return upRight_->Delay(); }

void TTarqSpinButtons::SetDelay(uint16_t value)
{
    upRight_->SetDelay(value);
    downLeft_->SetDelay(value);
}

uint16_t TTarqSpinButtons::InitialDelay() const { return upRight_->InitialDelay(); }

void TTarqSpinButtons::SetInitialDelay(uint16_t value)
{
    upRight_->SetInitialDelay(value);
    downLeft_->SetInitialDelay(value);
}

void TTarqSpinButtons::SetDirection(TSpinDirection value)
{
    if (direction_ == value)
        return;
    direction_ = value;
    SetGlyphUpRight(nullptr);
    SetGlyphDownLeft(nullptr);
    Invalidate();
}

void TTarqSpinButtons::SetOrientation(TOrientation value)
{
    if (orientation_ == value)
        return;
    orientation_ = value;
    if (IsLoading())
        return;
    SetWidth(value == orVertical ? Width() / 2 : Width() * 2);
    Invalidate();
}

void TTarqSpinButtons::SetFlat(bool value)
{
    if (flat_ == value)
        return;
    flat_ = value;
    upRight_->SetFlat(value);
    downLeft_->SetFlat(value);
}

void TTarqSpinButtons::SetEnabled(bool value)
{
    TWinControl::SetEnabled(value);
    upRight_->SetEnabled(value);
    downLeft_->SetEnabled(value);
}

void TTarqSpinButtons::SetFocusControl(TWinControl* value)
{
    focusControl_.Set(value);
}

void TTarqSpinButtons::Notification(TComponent* component, TOperation operation)
{
    TWinControl::Notification(component, operation);
    focusControl_.Forget(component, operation);
}

// Vertical: the up button over the down button, the bottom row left free.
// Horizontal: the left button beside the right one.
void TTarqSpinButtons::LayoutButtons(int32_t width, int32_t height)
{
    if (IsLoading() || !upRight_ || !downLeft_)
        return;
    if (orientation_ == orVertical) {
        upRight_->SetBounds(0, 0, width, height / 2);
        downLeft_->SetBounds(0, height / 2, width, height - height / 2 - 1);
    } else {
        downLeft_->SetBounds(0, 0, width / 2, height - 1);
        upRight_->SetBounds(width / 2, 0, width - width / 2, height - 1);
    }
}

void TTarqSpinButtons::SetBounds(int32_t left, int32_t top, int32_t width, int32_t height)
{
    LayoutButtons(width, height);
    TWinControl::SetBounds(left, top, width, height);
}

void TTarqSpinButtons::Loaded()
{
    TWinControl::Loaded();
    LayoutButtons(Width(), Height());
}

void TTarqSpinButtons::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_SIZE:
        TWinControl::Dispatch(message);
        LayoutButtons(Width(), Height());
        message.Result = 0;
        break;
    case WM_GETDLGCODE: message.Result = DLGC_WANTARROWS; break;
    case CM_COLORCHANGED:
        TWinControl::Dispatch(message);
        if (upRight_ && downLeft_) {
            upRight_->SetColor(Color());
            downLeft_->SetColor(Color());
        }
        break;
    default: TWinControl::Dispatch(message); break;
    }
}

void TTarqSpinButtons::KeyDown(uint16_t& key, TShiftState shift)
{
    if (key == VK_UP)
        upRight_->Click();
    else if (key == VK_DOWN)
        downLeft_->Click();
    TWinControl::KeyDown(key, shift);
}
