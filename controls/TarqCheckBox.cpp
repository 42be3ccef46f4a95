// TTarqCustomCheckBox: the three-state check box, its glyphs (custom strip,
// theme, drawn square with hot tracking, classic box) and its toggles by
// mouse, space bar and accelerator.

#include "controls/TarqRadChk.h"

#include "controls/TarqColors.h"
#include "controls/TarqGlyphs.h"
#include "platform/gfx/Frames.h"
#include "platform/ui/Themes.h"

TTarqCustomCheckBox::TTarqCustomCheckBox(TComponent* owner) : TTarqCustomGlyphButton(owner)
{
    SetAlignmentVertical(avTop);
    SetNumStates(9);
    SetParentColor(true);
}

TTarqCheckBox::TTarqCheckBox(TComponent* owner) : TTarqCustomCheckBox(owner) { RegisterTarqRadChkClasses(); }

// ---- State -------------------------------------------------------------------------------

void TTarqCustomCheckBox::SetState(TCheckBoxState value)
{
    if (value == state_)
        return;
    state_ = value;
    UpdateButtonState();
    // A state read from a form resource is no user's click.
    if (!IsLoading())
        Click();
}

void TTarqCustomCheckBox::AdvanceState()
{
    if (ReadOnly())
        return;
    switch (state_) {
    case cbUnchecked: SetState(allowGrayed_ ? cbGrayed : cbChecked); break;
    case cbChecked: SetState(cbUnchecked); break;
    case cbGrayed: SetState(cbChecked); break;
    }
}

// ---- Glyph -------------------------------------------------------------------------------

void TTarqCustomCheckBox::RenderGlyph(TBitmap& glyph)
{
    if (CustomGlyphsUsable()) {
        int32_t index = state_;
        if (!Enabled())
            index += 6;
        else if (ShowDownVersion())
            index += 3;
        TBitmap cell;
        ExtractGlyph(index, cell, GlyphHeight(), GlyphWidth(), *CustomGlyphs());
        glyph.Canvas()->BitBlt(0, 0, GlyphWidth(), GlyphHeight(), cell.Canvas(), 0, 0, SRCCOPY);
    } else if (ThemeServices()->ThemesEnabled()) {
        RenderThemed(glyph);
    } else if (HotTrack()) {
        RenderSquare(glyph);
    } else {
        RenderClassic(glyph);
    }
}

void TTarqCustomCheckBox::RenderThemed(TBitmap& glyph)
{
    static constexpr int32_t FirstState[] = {CBS_UNCHECKEDNORMAL, CBS_CHECKEDNORMAL, CBS_MIXEDNORMAL};
    int32_t state = FirstState[state_];
    if (!Enabled())
        state += CBS_UNCHECKEDDISABLED - CBS_UNCHECKEDNORMAL;
    else if (ShowDownVersion())
        state += CBS_UNCHECKEDPRESSED - CBS_UNCHECKEDNORMAL;
    else if (MouseOverButton())
        state += CBS_UNCHECKEDHOT - CBS_UNCHECKEDNORMAL;
    TThemeServices& themes = *ThemeServices();
    TCanvas& canvas = *glyph.Canvas();
    // The parent shows where the element is transparent.
    const TRect place = GlyphRect();
    const int saved = canvas.SaveDC();
    canvas.SetViewportOrigin({-place.Left, -place.Top});
    themes.DrawParentBackground(*this, canvas, &place);
    canvas.RestoreDC(saved);
    themes.DrawElement(canvas, themes.GetElementDetails(TThemedClass::Button, BP_CHECKBOX, state),
                       Rect(0, 0, GlyphWidth(), GlyphHeight()));
}

void TTarqCustomCheckBox::RenderSquare(TBitmap& glyph)
{
    TCheckBoxLook look;
    if (HotTrackColorType() == htctActual) {
        look.Colors.HotDark = HotTrackColor();
        look.Colors.HotLight = MixColors(clWhite, HotTrackColor(), 190);
    } else {
        look.Colors.HotLight = OppositeHueColor(HotTrackColor(), 180);
        look.Colors.HotDark = DarkenColor(look.Colors.HotLight, 30);
    }
    if (!Enabled())
        look.DrawState = cdsDisabled;
    else if (ShowDownVersion())
        look.DrawState = cdsPressed;
    else if (MouseOverButton())
        look.DrawState = cdsHot;
    look.CheckState = state_;
    look.Focused = Focused();
    look.HotTrackStyle = HotTrackStyle();
    look.ReadOnly = ReadOnly();
    look.ReadOnlyColorOnFocus = ReadOnlyColorOnFocus();
    look.Colors.Frame = FrameColor();
    look.Colors.Glyph = HighlightColor();
    look.Colors.Fill = FillColor();
    look.Colors.Focus = FocusColor();
    look.Colors.Disabled = DisabledColor();
    look.Colors.ReadOnly = ReadOnlyColor();
    DrawCheckBoxSquare(*glyph.Canvas(), Rect(0, 0, GlyphWidth(), GlyphHeight()), look);
}

void TTarqCustomCheckBox::RenderClassic(TBitmap& glyph)
{
    uint32_t flags = DFCS_BUTTONCHECK;
    if (state_ == cbChecked)
        flags |= DFCS_CHECKED;
    else if (state_ == cbGrayed)
        flags |= DFCS_BUTTON3STATE | DFCS_CHECKED;
    if (ShowDownVersion())
        flags |= DFCS_PUSHED;
    if (!Enabled())
        flags |= DFCS_INACTIVE;
    DrawFrameControl(*glyph.Canvas(), Rect(0, 0, GlyphWidth(), GlyphHeight()), DFC_BUTTON, flags);
}

// ---- Keyboard ------------------------------------------------------------------------------

void TTarqCustomCheckBox::KeyDown(uint16_t& key, TShiftState shift)
{
    TTarqCustomGlyphButton::KeyDown(key, shift);
    if (ReadOnly())
        return;
    if (key == VK_SPACE) {
        keyToggle_ = true;
        SetShowDownVersion(true);
        UpdateButtonState();
    } else if (key == VK_ESCAPE && keyToggle_) {
        // Escape while the space bar is down cancels the toggle.
        keyToggle_ = false;
        SetShowDownVersion(false);
        UpdateButtonState();
    }
}

void TTarqCustomCheckBox::KeyUp(uint16_t& key, TShiftState shift)
{
    TTarqCustomGlyphButton::KeyUp(key, shift);
    if (ReadOnly() || key != VK_SPACE)
        return;
    SetShowDownVersion(false);
    if (keyToggle_) {
        keyToggle_ = false;
        AdvanceState();
    }
    UpdateButtonState();
}

void TTarqCustomCheckBox::DoExit()
{
    TTarqCustomGlyphButton::DoExit();
    keyToggle_ = false;
    SetShowDownVersion(false);
    UpdateButtonState();
}

void TTarqCustomCheckBox::DialogChar(TMessage& message)
{
    if (!IsAccel(static_cast<char32_t>(message.WParam), Caption()) || !CanFocus()) {
        TTarqCustomGlyphButton::Dispatch(message);
        return;
    }
    SetFocus();
    if (Focused()) {
        AdvanceState();
        UpdateButtonState();
    }
    message.Result = 1;
}

void TTarqCustomCheckBox::Dispatch(TMessage& message)
{
    if (message.Msg == CM_DIALOGCHAR)
        DialogChar(message);
    else
        TTarqCustomGlyphButton::Dispatch(message);
}
