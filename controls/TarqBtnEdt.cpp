#include "controls/TarqBtnEdt.h"

#include "controls/TarqFonts.h"
#include "platform/core/Strings.h"
#include "platform/ui/Themes.h"
#include "platform/ui/WindowSystem.h"

const TEnumInfo& ButtonKindInfo()
{
    static const TEnumInfo info{
        "TButtonKind",
        {"bkCustom", "bkLookup", "bkDropDown", "bkCalendar", "bkAccept", "bkReject", "bkFolder", "bkFind", "bkSearch"}};
    return info;
}

// The inverse of ShortCutToText, so that both always agree.
TShortCut TextToShortCut(const std::string& text)
{
    if (text.empty())
        return 0;
    for (uint32_t modifiers = 0; modifiers <= (scShift | scCtrl | scAlt); modifiers += scShift)
        for (uint32_t key = 1; key < 256; ++key) {
            const auto shortCut = static_cast<TShortCut>(modifiers | key);
            if (SameText(ShortCutToText(shortCut), text))
                return shortCut;
        }
    return 0;
}

TTarqCustomButtonEdit::TTarqCustomButtonEdit(TComponent* owner) : TTarqEdit(owner)
{
    RegisterTarqButtonEditClasses();
    pair_ = new TTarqButtonPair(this);
    pair_->SetParent(this);
    pair_->SetBounds(0, 0, 17, 10);
    pair_->SetFocusControl(this);
    pair_->OnAltBtnClick = [this](TObject*) { AltBtnClicked(); };
    pair_->OnButtonClick = [this](TObject*) { ButtonClicked(); };
    SetControlStyle(ControlStyle() & ~csSetCaption);
    SetWidth(121);
    GetButton(AltButtonIndex)->SetVisible(false);
    ShowKindGlyph(MainButtonIndex);
    ShowKindGlyph(AltButtonIndex);
}

TTarqControlButton* TTarqCustomButtonEdit::GetButton(int32_t index) const
{
    return index == AltButtonIndex ? pair_->AltButton() : pair_->MainButton();
}

// ---- Buttons -------------------------------------------------------------------------

void TTarqCustomButtonEdit::ShowKindGlyph(int32_t index)
{
    TTarqControlButton& button = *GetButton(index);
    button.SetGlyph(&GetButtonKindGlyph(Kind(index)));
    button.SetNumGlyphs(2);
    button.SetStyle(cbsNone);
}

void TTarqCustomButtonEdit::SetKind(int32_t index, TButtonKind value)
{
    TButtonKind& kind = KindField(index);
    if (kind == value)
        return;
    kind = value;
    if (value == bkDropDown) {
        const TBitmap none;
        GetButton(index)->SetGlyph(&none);
        GetButton(index)->SetStyle(cbsDropDown);
    } else if (value != bkCustom && !IsLoading()) {
        ShowKindGlyph(index);
    }
}

void TTarqCustomButtonEdit::SetGlyph(int32_t index, const TBitmap* value)
{
    const TBitmap none;
    GetButton(index)->SetGlyph(value ? value : &none);
    KindField(index) = bkCustom;
}

TShortCut TTarqCustomButtonEdit::ShortCutOf(int32_t index) const
{
    return index == AltButtonIndex ? altBtnShortCut_ : buttonShortCut_;
}

void TTarqCustomButtonEdit::SetShortCutOf(int32_t index, TShortCut value)
{
    (index == AltButtonIndex ? altBtnShortCut_ : buttonShortCut_) = value;
}

void TTarqCustomButtonEdit::SetButtonVisibleOf(int32_t index, bool value)
{
    GetButton(index)->SetVisible(value);
    PositionButtons();
}

void TTarqCustomButtonEdit::SetButtonWidthOf(int32_t index, int32_t value)
{
    GetButton(index)->SetWidth(value);
    PositionButtons();
}

void TTarqCustomButtonEdit::AltBtnClicked()
{
    if (OnAltBtnClick)
        OnAltBtnClick(this);
}

void TTarqCustomButtonEdit::ButtonClicked()
{
    if (OnButtonClick)
        OnButtonClick(this);
}

// ---- Placement -----------------------------------------------------------------------

void TTarqCustomButtonEdit::PositionButtons()
{
    if (IsLoading() || !pair_)
        return;
    const int32_t minimum = FontLineHeight(*Font());
    if (Height() < minimum) {
        SetHeight(minimum); // comes back here through WM_SIZE
        return;
    }
    int32_t w = 0;
    for (int32_t index : {MainButtonIndex, AltButtonIndex})
        if (ButtonVisibleOf(index))
            w += ButtonWidthOf(index);
    if (UseRightToLeftAlignment())
        pair_->SetBounds(0, 0, w, Height() - 3);
    else if (FrameVisible() || Ctl3D())
        pair_->SetBounds(Width() - w - 4, 0, w, Height() - 3);
    else
        pair_->SetBounds(Width() - w - 1, 1, w, Height() - 3);
    UpdateEditMargins();
    Invalidate();
}

void TTarqCustomButtonEdit::UpdateEditMargins()
{
    if (!pair_)
        return;
    SetButtonMargins(*this, ButtonsHidden() ? 0 : pair_->Width());
}

TRect TTarqCustomButtonEdit::GetTextRect()
{
    TRect rect = ClientRect();
    if (!ButtonsHidden())
        rect.Right -= pair_->Width() + 2;
    return rect;
}

void TTarqCustomButtonEdit::SetHideButtonsOnReadOnly(bool value)
{
    if (hideButtonsOnReadOnly_ == value)
        return;
    hideButtonsOnReadOnly_ = value;
    ReadOnlyChanged();
}

void TTarqCustomButtonEdit::ReadOnlyChanged()
{
    TTarqEdit::ReadOnlyChanged();
    pair_->SetVisible(!ButtonsHidden());
    PositionButtons();
}

void TTarqCustomButtonEdit::SetAlignment(TAlignment value)
{
    TTarqEdit::SetAlignment(value);
    UpdateEditMargins();
}

void TTarqCustomButtonEdit::SetFrameStyle(TFrameStyle value)
{
    TTarqEdit::SetFrameStyle(value);
    PositionButtons();
}

void TTarqCustomButtonEdit::SetFrameVisible(bool value)
{
    TTarqEdit::SetFrameVisible(value);
    SetMouseState(msFocus, false);
}

void TTarqCustomButtonEdit::SetFlatButtons(bool value)
{
    TTarqEdit::SetFlatButtons(value);
    pair_->SetFlat(value);
    PositionButtons();
}

// Flat buttons look hot with the edit: raised (themes) or in FlatButtonColor.
void TTarqCustomButtonEdit::SetMouseState(TTarqMouseStateKind kind, bool value)
{
    TTarqEdit::SetMouseState(kind, value);
    if (!FlatButtons() || !pair_)
        return;
    const bool hot = value || Focused();
    if (ThemeServices()->ThemesEnabled()) {
        pair_->SetFlat(!hot);
        pair_->SetColor(Color());
    } else {
        pair_->SetColor(hot ? FlatButtonColor() : Color());
    }
}

// ---- Keys ------------------------------------------------------------------------------

bool TTarqCustomButtonEdit::ClickByShortCut(int32_t index, TShortCut shortCut)
{
    TTarqControlButton& button = *GetButton(index);
    if (ShortCutOf(index) == 0 || shortCut != ShortCutOf(index) || !button.Visible() || !button.Enabled())
        return false;
    button.Click();
    return true;
}

// A key already taken by an earlier handler (cleared to 0) clicks nothing,
// and a shortcut of 0 means the button has none.
void TTarqCustomButtonEdit::KeyDown(uint16_t& key, TShiftState shift)
{
    TTarqEdit::KeyDown(key, shift);
    if (key == VK_DELETE && !allowKeyEdit_) {
        key = 0;
        MessageBeep();
        return;
    }
    shortCutPressed_ = false;
    if (key == 0)
        return;
    const TShortCut shortCut = ShortCut(key, shift);
    shortCutPressed_ = ClickByShortCut(MainButtonIndex, shortCut) || ClickByShortCut(AltButtonIndex, shortCut);
}

void TTarqCustomButtonEdit::KeyPress(char32_t& key)
{
    TTarqEdit::KeyPress(key);
    if (!allowKeyEdit_ && (key >= 32 || key == 8)) {
        key = 0;
        MessageBeep();
    }
    if (shortCutPressed_)
        key = 0;
}

// ---- Window and messages --------------------------------------------------------------

void TTarqCustomButtonEdit::CreateParams(TCreateParams& params)
{
    TTarqEdit::CreateParams(params);
    params.Style |= WS_CLIPCHILDREN;
}

void TTarqCustomButtonEdit::CreateWnd()
{
    TTarqEdit::CreateWnd();
    UpdateEditMargins();
}

void TTarqCustomButtonEdit::Loaded()
{
    TTarqEdit::Loaded();
    for (int32_t index : {MainButtonIndex, AltButtonIndex})
        if (Kind(index) != bkCustom) {
            GetButton(index)->SetGlyph(&GetButtonKindGlyph(Kind(index)));
            GetButton(index)->SetNumGlyphs(2);
        }
    pair_->LayoutButtons();
    PositionButtons();
}

void TTarqCustomButtonEdit::Dispatch(TMessage& message)
{
    if (!pair_) {
        TTarqEdit::Dispatch(message);
        return;
    }
    switch (message.Msg) {
    case WM_SIZE:
        TTarqEdit::Dispatch(message);
        PositionButtons();
        break;
    case WM_PASTE:
    case WM_CUT:
        if (allowKeyEdit_ && !ReadOnly())
            TTarqEdit::Dispatch(message);
        break;
    case CM_ENTER:
        UpdateEditMargins();
        if (AutoSelect() && !GetKeyStateDown(VK_LBUTTON))
            SelectAll();
        TTarqEdit::Dispatch(message);
        break;
    case CM_EXIT:
        TTarqEdit::Dispatch(message);
        UpdateEditMargins();
        break;
    case CM_ENABLEDCHANGED:
        TTarqEdit::Dispatch(message);
        UpdateEditMargins();
        pair_->SetEnabled(Enabled());
        if (FlatButtons())
            pair_->SetColor(Color());
        break;
    case CM_FONTCHANGED:
        TTarqEdit::Dispatch(message);
        UpdateEditMargins();
        pair_->SetEnabled(Enabled());
        break;
    case CM_COLORCHANGED:
        TTarqEdit::Dispatch(message);
        pair_->SetColor(Color());
        break;
    default: TTarqEdit::Dispatch(message); break;
    }
}

TTarqButtonEdit::TTarqButtonEdit(TComponent* owner) : TTarqCustomButtonEdit(owner) {}
