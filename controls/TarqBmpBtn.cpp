// TTarqBmpButton's state bitmaps, sizing, press handling and groups.

#include "controls/TarqBmpBtn.h"

#include "platform/ui/Form.h"

// ---- TTarqButtonBitmaps ---------------------------------------------------------------

TTarqButtonBitmaps::TTarqButtonBitmaps()
    : up_(MakeBitmap()), upAndFocused_(MakeBitmap()), disabled_(MakeBitmap()), down_(MakeBitmap()),
      stayDown_(MakeBitmap()), hot_(MakeBitmap())
{}

TTarqButtonBitmaps::~TTarqButtonBitmaps() = default;

std::unique_ptr<TBitmap> TTarqButtonBitmaps::MakeBitmap()
{
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->OnChange = [this](TObject*) { Changed(); };
    return bitmap;
}

void TTarqButtonBitmaps::SetTransparentColor(TColor value)
{
    if (value == transparentColor_)
        return;
    transparentColor_ = value;
    Changed();
}

void TTarqButtonBitmaps::Changed()
{
    if (OnChange)
        OnChange(this);
}

// ---- TTarqBmpButton ---------------------------------------------------------------------

TTarqBmpButton::TTarqBmpButton(TComponent* owner)
    : TCustomControl(owner), bitmaps_(std::make_unique<TTarqButtonBitmaps>())
{
    RegisterTarqBmpBtnClasses();
    // No automatic click: presses are finished by FinishPress.
    SetControlStyle(csCaptureMouse | csOpaque | csDoubleClicks);
    SetBounds(Left(), Top(), 80, 30);
    SetColor(clBtnFace);
    SetParentFont(true);
    SetTabStop(true);
    bitmaps_->OnChange = [this](TObject* sender) { BitmapsChanged(sender); };
    RetainDownPattern();
}

TTarqBmpButton::~TTarqBmpButton() { ReleaseDownPattern(); }

// ---- Properties ------------------------------------------------------------------------

void TTarqBmpButton::SetAllowAllUp(bool value)
{
    if (value == allowAllUp_)
        return;
    allowAllUp_ = value;
    NotifyGroup();
    Invalidate();
}

void TTarqBmpButton::SetButtonBorder(TButtonBorder value)
{
    if (value == buttonBorder_)
        return;
    buttonBorder_ = value;
    AdjustSizeToBitmap();
    Invalidate();
}

void TTarqBmpButton::SetButtonSize(TBtnSize value)
{
    if (value == buttonSize_)
        return;
    buttonSize_ = value;
    AdjustSizeToBitmap();
    Invalidate();
}

void TTarqBmpButton::SetButtonStyle(TButtonStyle value)
{
    if (value == buttonStyle_)
        return;
    buttonStyle_ = value;
    AdjustSizeToBitmap();
    Invalidate();
}

void TTarqBmpButton::SetGroupIndex(int32_t value)
{
    if (value == groupIndex_)
        return;
    groupIndex_ = value;
    NotifyGroup();
    Invalidate();
}

void TTarqBmpButton::SetMargin(int32_t value)
{
    if (value < -1)
        return;
    Change(margin_, value);
}

// A down button of a group cannot be raised by itself unless AllowAllUp.
void TTarqBmpButton::SetDown(bool value)
{
    // A form resource may hold Down before GroupIndex: Loaded settles it.
    if (IsLoading()) {
        down_ = value;
        state_ = value ? bsStayDown : bsUp;
        return;
    }
    if (groupIndex_ == 0)
        value = false;
    if (value == down_ || (down_ && !allowAllUp_))
        return;
    down_ = value;
    state_ = value ? bsStayDown : bsUp;
    Invalidate();
    if (value)
        NotifyGroup();
}

bool TTarqBmpButton::NewStyle() const { return buttonStyle_ != bsWin31; }

void TTarqBmpButton::AdjustSizeToBitmap()
{
    if (IsLoading() || buttonSize_ == bszNeither || !BitmapPresent(bitmaps_->Up()))
        return;
    if (buttonSize_ == bszButtonToBitmap) {
        int32_t border = 0;
        if (buttonBorder_ == bbSingle)
            border = 1;
        else if (buttonBorder_ == bbButton)
            border = NewStyle() ? 2 : 3;
        const TBitmap& up = *bitmaps_->Up();
        SetBounds(Left(), Top(), up.Width() + 2 * border, up.Height() + 2 * border);
    }
    Invalidate();
}

void TTarqBmpButton::BitmapsChanged(TObject*)
{
    if (buttonSize_ == bszButtonToBitmap)
        AdjustSizeToBitmap();
    Invalidate();
}

void TTarqBmpButton::Loaded()
{
    TCustomControl::Loaded();
    if (groupIndex_ == 0)
        down_ = false;
    state_ = down_ ? bsStayDown : bsUp;
    AdjustSizeToBitmap();
}

void TTarqBmpButton::Click()
{
    if (TCustomForm* form = ParentForm())
        form->SetModalResult(modalResult_);
    TCustomControl::Click();
}

// ---- Presses -------------------------------------------------------------------------------

// The row just below the button still counts as inside.
bool TTarqBmpButton::Inside(int32_t x, int32_t y) const
{
    return x >= 0 && x < ClientWidth() && y >= 0 && y <= ClientHeight();
}

void TTarqBmpButton::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
    TCustomControl::MouseDown(button, shift, x, y);
    if (Enabled() && !hasFocus_ && Showing())
        SetFocus();
    if (button != mbLeft || !Enabled() || !Focused())
        return;
    if (!down_) {
        state_ = bsPressed;
        Repaint();
    }
    pressing_ = true;
}

void TTarqBmpButton::MouseMove(TShiftState shift, int32_t x, int32_t y)
{
    TCustomControl::MouseMove(shift, x, y);
    if (!pressing_)
        return;
    TState now = down_ ? bsStayDown : bsUp;
    if (Inside(x, y))
        now = down_ ? bsStayDown : bsPressed;
    if (now != state_) {
        state_ = now;
        Repaint();
    }
}

void TTarqBmpButton::MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
    TCustomControl::MouseUp(button, shift, x, y);
    if (!pressing_)
        return;
    pressing_ = false;
    const bool inside = Inside(x, y);
    NotifyGroup();
    FinishPress(inside);
}

void TTarqBmpButton::KeyDown(uint16_t& key, TShiftState shift)
{
    TCustomControl::KeyDown(key, shift);
    if (key == VK_RETURN) {
        Click();
    } else if (key == VK_SPACE && Enabled()) {
        if (!down_) {
            state_ = bsPressed;
            Repaint();
        }
        pressing_ = true;
    }
}

void TTarqBmpButton::KeyUp(uint16_t& key, TShiftState shift)
{
    TCustomControl::KeyUp(key, shift);
    if (!pressing_)
        return;
    pressing_ = false;
    // A down button that stays down keeps its look.
    state_ = down_ ? bsStayDown : bsUp;
    FinishPress(true);
}

void TTarqBmpButton::FinishPress(bool clicked)
{
    if (groupIndex_ == 0) {
        Repaint();
    } else if (clicked) {
        SetDown(!down_);
    } else {
        if (down_)
            state_ = bsStayDown;
        Repaint();
    }
    if (clicked)
        Click();
}

// ---- Groups ----------------------------------------------------------------------------------

void TTarqBmpButton::NotifyGroup()
{
    TWinControl* parent = Parent();
    if (groupIndex_ == 0 || !parent) {
        state_ = bsUp;
        return;
    }
    for (int32_t i = 0; i < parent->ControlCount(); ++i)
        parent->Controls(i)->Perform(CM_TARQBUTTONPRESSED, static_cast<WPARAM>(groupIndex_),
                                     reinterpret_cast<LPARAM>(this));
}

void TTarqBmpButton::GroupButtonPressed(TMessage& message)
{
    auto* sender = reinterpret_cast<TTarqBmpButton*>(message.LParam);
    if (static_cast<int32_t>(message.WParam) != groupIndex_ || sender == this)
        return;
    if (sender->Down() && down_) {
        down_ = false;
        state_ = bsUp;
        Invalidate();
    }
    allowAllUp_ = sender->AllowAllUp();
}

// ---- Messages -------------------------------------------------------------------------------

void TTarqBmpButton::MouseTracking(TMessage& message, bool entered)
{
    mouseOver_ = entered;
    TCustomControl::Dispatch(message);
    const TNotifyEvent& event = entered ? OnMouseEnter : OnMouseLeave;
    if (event)
        event(this);
    if (BitmapPresent(bitmaps_->Hot()))
        Invalidate();
}

void TTarqBmpButton::DialogChar(TMessage& message)
{
    if (IsAccel(static_cast<char32_t>(message.WParam), Caption()) && Enabled()) {
        Click();
        message.Result = 1;
        return;
    }
    TCustomControl::Dispatch(message);
}

void TTarqBmpButton::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_SIZE:
        TCustomControl::Dispatch(message);
        AdjustSizeToBitmap();
        break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        TCustomControl::Dispatch(message);
        hasFocus_ = message.Msg == WM_SETFOCUS;
        Invalidate();
        break;
    case WM_LBUTTONDBLCLK:
        TCustomControl::Dispatch(message);
        if (down_)
            DblClick();
        break;
    case CM_ENABLEDCHANGED:
    case CM_FONTCHANGED:
    case CM_TEXTCHANGED:
    case CM_SYSCOLORCHANGE:
        TCustomControl::Dispatch(message);
        Invalidate();
        break;
    case CM_DIALOGCHAR: DialogChar(message); break;
    case CM_MOUSEENTER: MouseTracking(message, true); break;
    case CM_MOUSELEAVE: MouseTracking(message, false); break;
    case CM_TARQBUTTONPRESSED: GroupButtonPressed(message); break;
    default: TCustomControl::Dispatch(message); break;
    }
}
