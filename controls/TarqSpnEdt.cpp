#include "controls/TarqSpnEdt.h"

#include <cmath>
#include <cstdio>

#include "controls/TarqFonts.h"
#include "platform/core/Strings.h"
#include "platform/core/Types.h"
#include "platform/ui/Themes.h"
#include "platform/ui/WindowSystem.h"

namespace {

// Fixed notation with `decimals` digits, no thousands separators.
std::string FormatFixed(long double value, int32_t decimals)
{
    if (std::fabs(value) >= 1e18L)
        return FloatToStr(static_cast<double>(value));
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*Lf", decimals, value);
    std::string text = buffer;
    if (SpinDecimalSeparator != '.')
        for (char& c : text)
            if (c == '.')
                c = SpinDecimalSeparator;
    return text;
}

bool ParseNumber(const std::string& text, long double& value)
{
    double parsed = 0;
    if (!TryStrToFloat(text, parsed))
        return false;
    value = parsed;
    return true;
}

bool Contains(const std::string& text, char c) { return text.find(c) != std::string::npos; }

} // namespace

TTarqSpinEdit::TTarqSpinEdit(TComponent* owner) : TTarqCustomEdit(owner)
{
    RegisterTarqSpinEditClasses();
    spinButtons_ = new TTarqSpinButtons(this);
    spinButtons_->SetBounds(0, 0, 17, 17);
    spinButtons_->SetParent(this);
    spinButtons_->SetFocusControl(this);
    spinButtons_->OnUpRightClick = [this](TObject*) { StepUp(); };
    spinButtons_->OnDownLeftClick = [this](TObject*) { StepDown(); };
    SetControlStyle(ControlStyle() & ~csSetCaption);
    SetWidth(47);
    SetAlignment(taRightJustify);
    SetValue(0);
}

// ---- Value ------------------------------------------------------------------------------

long double TTarqSpinEdit::ParsedOrMin(const std::string& text) const
{
    long double value = 0;
    return ParseNumber(text, value) ? value : min_;
}

long double TTarqSpinEdit::Value()
{
    if (!Text().empty())
        return ParsedOrMin(Text());
    if (allowBlank_)
        return blankValue_;
    SetText(FloatToStr(static_cast<double>(min_)));
    return ParsedOrMin(Text());
}

int32_t TTarqSpinEdit::IntValue() { return static_cast<int32_t>(Round(Value())); }

long double TTarqSpinEdit::ClampValue(long double value) const
{
    if (min_ == max_ && !checkRange_)
        return value;
    if (value < min_)
        return min_;
    if (value > max_)
        return max_;
    return value;
}

// The caret keeps its place, moving with the text when a digit came or went.
void TTarqSpinEdit::SetValue(long double value)
{
    const bool keepCaret = HasParent() && SelLength() == 0;
    const int32_t caret = SelStart();
    const auto oldLength = static_cast<int32_t>(Utf8ToUtf32(Text()).size());
    SetText(FormatFixed(ClampValue(value), decimals_));
    if (!keepCaret)
        return;
    const auto newLength = static_cast<int32_t>(Utf8ToUtf32(Text()).size());
    if (newLength > oldLength)
        SetSelStart(caret + 1);
    else if (newLength < oldLength)
        SetSelStart(caret > 0 ? caret - 1 : 0);
    else
        SetSelStart(caret);
}

void TTarqSpinEdit::SetMin(long double value)
{
    if (min_ == value)
        return;
    min_ = value;
    if (min_ > max_)
        max_ = min_;
    SetValue(Value());
    Invalidate();
}

void TTarqSpinEdit::SetMax(long double value)
{
    if (max_ == value)
        return;
    max_ = value;
    if (max_ < min_)
        min_ = max_;
    SetValue(Value());
    Invalidate();
}

void TTarqSpinEdit::SetCheckRange(bool value)
{
    if (checkRange_ == value)
        return;
    checkRange_ = value;
    SetValue(Value());
}

void TTarqSpinEdit::SetDecimals(uint8_t value)
{
    if (decimals_ == value)
        return;
    decimals_ = value;
    SetValue(Value());
}

void TTarqSpinEdit::SetIntegersOnly(bool value)
{
    if (integersOnly_ == value)
        return;
    integersOnly_ = value;
    if (value) {
        SetDecimals(0);
        SetValue(Round(Value()));
    }
}

// ---- Stepping ----------------------------------------------------------------------------

void TTarqSpinEdit::Step(long double amount, TSpinButtonType button)
{
    if (ReadOnly()) {
        MessageBeep();
        return;
    }
    const long double candidate = Value() + amount;
    bool allow = true;
    if (OnChanging)
        OnChanging(this, candidate, allow);
    if (!allow)
        return;
    SetValue(candidate);
    if (OnButtonClick)
        OnButtonClick(this, button);
}

void TTarqSpinEdit::KeyDown(uint16_t& key, TShiftState shift)
{
    TTarqCustomEdit::KeyDown(key, shift);
    if (key == VK_DELETE && !allowKeyEdit_) {
        key = 0;
        MessageBeep();
        return;
    }
    switch (key) {
    case VK_UP: IncrementValue(increment_); break;
    case VK_DOWN: DecrementValue(increment_); break;
    case VK_PRIOR: IncrementValue(pageSize_); break;
    case VK_NEXT: DecrementValue(pageSize_); break;
    default: return;
    }
    key = 0;
}

void TTarqSpinEdit::KeyPress(char32_t& key)
{
    TTarqCustomEdit::KeyPress(key);
    if (key != 0 && !ProcessKeyChar(key)) {
        key = 0;
        MessageBeep();
    }
}

bool TTarqSpinEdit::ProcessKeyChar(char32_t ch)
{
    if (!allowKeyEdit_ && (ch == 8 || ch >= 32))
        return false;
    const std::string& text = Text();
    if (ch == static_cast<char32_t>(SpinDecimalSeparator) && !integersOnly_)
        return !Contains(text, SpinDecimalSeparator) || (SelLength() > 0 && Contains(SelText(), SpinDecimalSeparator));
    if (ch == U'+' || ch == U'-') {
        const bool wholeSelected = SelLength() == static_cast<int32_t>(Utf8ToUtf32(text).size());
        return (SelStart() == 0 && !Contains(text, '+') && !Contains(text, '-')) || wholeSelected;
    }
    if (ch >= U'0' && ch <= U'9')
        return true;
    return ch < 32 && ch != U'\r';
}

bool TTarqSpinEdit::DoMouseWheel(TShiftState shift, int32_t wheelDelta, TPoint mousePos)
{
    TTarqCustomEdit::DoMouseWheel(shift, wheelDelta, mousePos);
    bool handled = false;
    const TMouseWheelUpDownEvent& event = wheelDelta > 0 ? OnMouseWheelUp : OnMouseWheelDown;
    if (event)
        event(this, shift, mousePos, handled);
    const long double amount = (shift & ssCtrl) ? pageSize_ : increment_;
    if (wheelDelta > 0)
        IncrementValue(amount);
    else if (wheelDelta < 0)
        DecrementValue(amount);
    return true;
}

// ---- Buttons and margins ----------------------------------------------------------------

TTarqControlButton* TTarqSpinEdit::GetSpinButton(TSpinButtonType button) const
{
    return button == sbUp ? spinButtons_->UpRightButton() : spinButtons_->DownLeftButton();
}

void TTarqSpinEdit::SetButtonWidth(int32_t value)
{
    if (value < 0)
        value = 0;
    if (buttonWidth_ == value)
        return;
    buttonWidth_ = value;
    spinButtons_->SetWidth(Orientation() == orVertical ? value : value * 2);
    PositionButtons();
    Invalidate();
}

void TTarqSpinEdit::SetOrientation(TOrientation value)
{
    spinButtons_->SetOrientation(value);
    PositionButtons();
}

void TTarqSpinEdit::SetFlatButtons(bool value)
{
    TTarqCustomEdit::SetFlatButtons(value);
    spinButtons_->SetFlat(value);
    PositionButtons();
}

void TTarqSpinEdit::SetFrameStyle(TFrameStyle value)
{
    TTarqCustomEdit::SetFrameStyle(value);
    PositionButtons();
}

void TTarqSpinEdit::PositionButtons()
{
    if (IsLoading() || !spinButtons_)
        return;
    const int32_t minimum = FontLineHeight(*Font());
    if (Height() < minimum)
        SetHeight(minimum);
    const int32_t w = spinButtons_->Width();
    if (UseRightToLeftAlignment())
        spinButtons_->SetBounds(0, 0, w, Height() - 3);
    else if (FrameVisible() || Ctl3D()) {
        if (ThemeServices()->ThemesEnabled())
            spinButtons_->SetBounds(Width() - w - 3, -1, w, Height() - 1);
        else
            spinButtons_->SetBounds(Width() - w - 4, 0, w, Height() - 3);
    } else {
        spinButtons_->SetBounds(Width() - w - 1, 1, w, Height() - 3);
    }
    UpdateEditMargins();
}

void TTarqSpinEdit::UpdateEditMargins()
{
    if (!spinButtons_)
        return;
    if (IsReadOnly())
        SetButtonMargins(*this, 0);
    else if (!IsLoading())
        SetButtonMargins(*this, spinButtons_->Width());
}

TRect TTarqSpinEdit::GetTextRect()
{
    TRect rect = ClientRect();
    if (!IsReadOnly())
        rect.Right -= spinButtons_->Width() + 2;
    return rect;
}

void TTarqSpinEdit::ReadOnlyChanged()
{
    TTarqCustomEdit::ReadOnlyChanged();
    spinButtons_->SetVisible(!IsReadOnly());
    PositionButtons();
}

// Flat buttons look hot with the edit: raised (themes) or in FlatButtonColor.
void TTarqSpinEdit::SetMouseState(TTarqMouseStateKind kind, bool value)
{
    TTarqCustomEdit::SetMouseState(kind, value);
    if (!FlatButtons() || !spinButtons_)
        return;
    const bool hot = value || Focused();
    if (ThemeServices()->ThemesEnabled()) {
        spinButtons_->SetFlat(!hot);
        spinButtons_->SetColor(Color());
    } else {
        spinButtons_->SetColor(hot ? FlatButtonColor() : Color());
    }
}

// ---- Window and messages -----------------------------------------------------------------

void TTarqSpinEdit::CreateParams(TCreateParams& params)
{
    TTarqCustomEdit::CreateParams(params);
    params.Style |= WS_CLIPCHILDREN;
}

void TTarqSpinEdit::CreateWnd()
{
    TTarqCustomEdit::CreateWnd();
    UpdateEditMargins();
}

void TTarqSpinEdit::Loaded()
{
    TTarqCustomEdit::Loaded();
    PositionButtons();
}

// Leaving the control puts the typed number back into range and format.
void TTarqSpinEdit::LeaveControl()
{
    UpdateEditMargins();
    if (allowBlank_ && Text().empty())
        return;
    SetValue(ParsedOrMin(Text()));
}

void TTarqSpinEdit::Dispatch(TMessage& message)
{
    if (!spinButtons_) {
        TTarqCustomEdit::Dispatch(message);
        return;
    }
    switch (message.Msg) {
    case WM_SIZE:
        TTarqCustomEdit::Dispatch(message);
        PositionButtons();
        break;
    case WM_PASTE:
    case WM_CUT:
        if (allowKeyEdit_ && !ReadOnly())
            TTarqCustomEdit::Dispatch(message);
        break;
    case CM_ENTER:
        TTarqCustomEdit::Dispatch(message);
        UpdateEditMargins();
        if (AutoSelect() && !GetKeyStateDown(VK_LBUTTON))
            SelectAll();
        break;
    case CM_EXIT:
        TTarqCustomEdit::Dispatch(message);
        LeaveControl();
        break;
    case CM_ENABLEDCHANGED:
        TTarqCustomEdit::Dispatch(message);
        UpdateEditMargins();
        spinButtons_->SetEnabled(Enabled());
        if (FlatButtons())
            spinButtons_->SetColor(Color());
        break;
    case CM_FONTCHANGED:
        TTarqCustomEdit::Dispatch(message);
        if (HandleAllocated())
            UpdateEditMargins();
        spinButtons_->SetEnabled(Enabled());
        break;
    case CM_COLORCHANGED:
        TTarqCustomEdit::Dispatch(message);
        spinButtons_->SetColor(Color());
        break;
    default: TTarqCustomEdit::Dispatch(message); break;
    }
}
