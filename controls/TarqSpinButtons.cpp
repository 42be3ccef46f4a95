#include "controls/TarqSpnEdt.h"

const TEnumInfo& SpinDirectionInfo()
{
    static const TEnumInfo info{"TSpinDirection", {"sdUpDown", "sdLeftRight"}};
    return info;
}

TTarqSpinButtons::TTarqSpinButtons(TComponent* owner) : TTarqButtonPair(owner)
{
    RegisterTarqSpinEditClasses();
    for (TTarqControlButton* button : {UpRightButton(), DownLeftButton()}) {
        button->SetVisible(true);
        button->SetRepeatClicks(true);
        button->SetNumGlyphs(2);
    }
    SetGlyphUpRight(nullptr);
    SetGlyphDownLeft(nullptr);
    SetBounds(Left(), Top(), 16, 25);
}

void TTarqSpinButtons::ButtonClick(TObject* sender)
{
    const TNotifyEvent& event = sender == UpRightButton() ? OnUpRightClick : OnDownLeftClick;
    if (event)
        event(this);
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

TBitmap* TTarqSpinButtons::GlyphUpRight() const { return UpRightButton()->Glyph(); }
TBitmap* TTarqSpinButtons::GlyphDownLeft() const { return DownLeftButton()->Glyph(); }

void TTarqSpinButtons::SetGlyphUpRight(const TBitmap* value)
{
    ApplyGlyph(*UpRightButton(), value, customUpRight_, true);
}

void TTarqSpinButtons::SetGlyphDownLeft(const TBitmap* value)
{
    ApplyGlyph(*DownLeftButton(), value, customDownLeft_, false);
}

int32_t TTarqSpinButtons::NumGlyphsUpRight() const { return UpRightButton()->NumGlyphs(); }
void TTarqSpinButtons::SetNumGlyphsUpRight(int32_t value) { UpRightButton()->SetNumGlyphs(value); }
int32_t TTarqSpinButtons::NumGlyphsDownLeft() const { return DownLeftButton()->NumGlyphs(); }
void TTarqSpinButtons::SetNumGlyphsDownLeft(int32_t value) { DownLeftButton()->SetNumGlyphs(value); }

uint16_t TTarqSpinButtons::Delay() const { return UpRightButton()->Delay(); }

void TTarqSpinButtons::SetDelay(uint16_t value)
{
    UpRightButton()->SetDelay(value);
    DownLeftButton()->SetDelay(value);
}

uint16_t TTarqSpinButtons::InitialDelay() const { return UpRightButton()->InitialDelay(); }

void TTarqSpinButtons::SetInitialDelay(uint16_t value)
{
    UpRightButton()->SetInitialDelay(value);
    DownLeftButton()->SetInitialDelay(value);
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

void TTarqSpinButtons::LayoutButtons()
{
    if (IsLoading())
        return;
    const int32_t width = Width();
    const int32_t height = Height();
    TTarqControlButton* upRight = UpRightButton();
    TTarqControlButton* downLeft = DownLeftButton();
    if (orientation_ == orVertical) {
        upRight->SetBounds(0, 0, width, height / 2);
        downLeft->SetBounds(0, height / 2, width, height - height / 2 - 1);
    } else {
        downLeft->SetBounds(0, 0, width / 2, height - 1);
        upRight->SetBounds(width / 2, 0, width - width / 2, height - 1);
    }
}

void TTarqSpinButtons::Dispatch(TMessage& message)
{
    if (message.Msg == WM_GETDLGCODE)
        message.Result = DLGC_WANTARROWS;
    else
        TTarqButtonPair::Dispatch(message);
}

void TTarqSpinButtons::KeyDown(uint16_t& key, TShiftState shift)
{
    if (key == VK_UP)
        UpRightButton()->Click();
    else if (key == VK_DOWN)
        DownLeftButton()->Click();
    TTarqButtonPair::KeyDown(key, shift);
}
