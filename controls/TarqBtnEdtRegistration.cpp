#include "controls/TarqBtnEdt.h"
#include "controls/TarqRegistration.h"
#include "platform/core/ClassRegistry.h"

namespace {

void RegisterButtonPair()
{
    using P = TTarqButtonPair;
    RegisterClass<P, TWinControl>("TTarqButtonPair")
        .Property("Color", ColorGetter(&TControl::Color), ColorSetter(&TControl::SetColor))
        .Default(ColorProp(clBtnFace))
        .Idents(ColorIdents())
        .Stored([](const P& p) { return !p.ParentColor(); })
        .Property("ParentColor", &TControl::ParentColor, &TControl::SetParentColor)
        .Default(true)
        .Property("Flat", &P::Flat, &P::SetFlat)
        .Default(false)
        .Property("FocusControl", &P::FocusControl, &P::SetFocusControl)
        .Event("OnAltBtnClick", &P::OnAltBtnClick)
        .Event("OnButtonClick", &P::OnButtonClick);
}

void RegisterButtonEdit()
{
    using E = TTarqButtonEdit;
    RegisterClass<E, TTarqEdit>("TTarqButtonEdit")
        .Property("AllowKeyEdit", &E::AllowKeyEdit, &E::SetAllowKeyEdit)
        .Default(true)
        .Enum("ButtonKind", &E::ButtonKind, &E::SetButtonKind, ButtonKindInfo())
        .Default(bkLookup)
        .Enum("AltBtnKind", &E::AltBtnKind, &E::SetAltBtnKind, ButtonKindInfo())
        .Default(bkLookup)
        .Property("ButtonGlyph", &E::ButtonGlyph, &E::SetButtonGlyph)
        .Stored([](const E& e) { return e.ButtonKind() == bkCustom; })
        .Property("AltBtnGlyph", &E::AltBtnGlyph, &E::SetAltBtnGlyph)
        .Stored([](const E& e) { return e.AltBtnKind() == bkCustom; })
        .Property("ButtonNumGlyphs", &E::ButtonNumGlyphs, &E::SetButtonNumGlyphs)
        .Default(2)
        .Property("AltBtnNumGlyphs", &E::AltBtnNumGlyphs, &E::SetAltBtnNumGlyphs)
        .Default(2)
        .Property("ButtonHint", &E::ButtonHint, &E::SetButtonHint)
        .Default(std::string())
        .Property("AltBtnHint", &E::AltBtnHint, &E::SetAltBtnHint)
        .Default(std::string())
        .Property("ButtonShortCut", &E::ButtonShortCut, &E::SetButtonShortCut)
        .Default(115)
        .Property("AltBtnShortCut", &E::AltBtnShortCut, &E::SetAltBtnShortCut)
        .Default(0)
        .Property("ButtonVisible", &E::ButtonVisible, &E::SetButtonVisible)
        .Default(true)
        .Property("AltBtnVisible", &E::AltBtnVisible, &E::SetAltBtnVisible)
        .Default(false)
        .Property("ButtonWidth", &E::ButtonWidth, &E::SetButtonWidth)
        .Default(17)
        .Property("AltBtnWidth", &E::AltBtnWidth, &E::SetAltBtnWidth)
        .Default(17)
        .Property("HideButtonsOnReadOnly", &E::HideButtonsOnReadOnly, &E::SetHideButtonsOnReadOnly)
        .Default(true)
        .Event("OnButtonClick", &E::OnButtonClick)
        .Event("OnAltBtnClick", &E::OnAltBtnClick)
        // Settings of older versions: read, never written.
        .Property(
            "ButtonShortCutText", [](E&) { return std::string(); }, &E::ReadButtonShortCutText)
        .Stored(false)
        .Property(
            "AltBtnShortCutText", [](E&) { return std::string(); }, &E::ReadAltBtnShortCutText)
        .Stored(false)
        .Retired("FlatButtonParentColor");
}

} // namespace

void RegisterTarqButtonEditClasses()
{
    static const bool registered = [] {
        RegisterTarqEditClasses();
        RegisterTarqButtonClasses();
        RegisterButtonPair();
        RegisterButtonEdit();
        return true;
    }();
    (void)registered;
}
