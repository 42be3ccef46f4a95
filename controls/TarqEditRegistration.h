#pragma once
// The published properties the framed edits share, registered on the class
// being built (the plain edit, the spin edit and the button edit).

#include "controls/TarqEdit.h"
#include "platform/core/ClassRegistry.h"

// The edit's letter-case setting names.
const TEnumInfo& EditCharCaseInfo();
// taLeftJustify and taRightJustify.
const TEnumInfo& EditAlignmentInfo();

// The frame-related settings are written unless a linked frame controller
// supplies them.
template <class T>
auto ControllerStored(TTarqFrameControllerProperty property)
{
    return [property](const T& edit) { return !edit.ControlledByFrameController(property); };
}

template <class T>
void AddFramedEditProperties(TClassBuilder<T>& builder)
{
    using E = TTarqCustomEdit;
    auto colour = [&builder](const char* name, TColor (E::*get)() const, void (E::*set)(TColor), TColor def,
                             TTarqFrameControllerProperty property) {
        builder.Property(name, ColorGetter(get), ColorSetter(set))
            .Default(ColorProp(def))
            .Idents(ColorIdents())
            .Stored(ControllerStored<T>(property));
    };
    builder.Property("Color", ColorGetter(&TControl::Color), ColorSetter(&TControl::SetColor))
        .Default(ColorProp(clWindow))
        .Idents(ColorIdents())
        .Stored([](const T& e) { return e.Enabled() && !e.ParentColor() && !e.ControlledByFrameController(fcpColor); });
    colour("DisabledColor", &E::DisabledColor, &E::SetDisabledColor, clBtnFace, fcpDisabledColor);
    builder.Property("FocusColor", ColorGetter(&E::FocusColor), ColorSetter(&E::SetFocusColor))
        .Default(ColorProp(clWindow))
        .Idents(ColorIdents())
        .Stored([](const T& e) {
            return ColorToRGB(e.FocusColor()) != ColorToRGB(e.Color()) &&
                   !e.ControlledByFrameController(fcpFocusColor);
        });
    colour("FrameColor", &E::FrameColor, &E::SetFrameColor, clBtnShadow, fcpFrameColor);
    colour("FrameHotColor", &E::FrameHotColor, &E::SetFrameHotColor, clBtnShadow, fcpFrameHotColor);
    colour("ReadOnlyColor", &E::ReadOnlyColor, &E::SetReadOnlyColor, clInfoBk, fcpReadOnlyColor);
    colour("FlatButtonColor", &E::FlatButtonColor, &E::SetFlatButtonColor, clBtnFace, fcpFlatButtonColor);
    builder.Property("FrameController", &E::FrameController, &E::SetFrameController)
        .Set("FrameControllerNotifications", &E::FrameControllerNotifications, &E::SetFrameControllerNotifications,
             FrameControllerPropertyInfo())
        .Default(AllFrameControllerNotifications)
        .Property("FrameHotTrack", &E::FrameHotTrack, &E::SetFrameHotTrack)
        .Default(false)
        .Stored(ControllerStored<T>(fcpFrameHotTrack))
        .Enum("FrameHotStyle", &E::FrameHotStyle, &E::SetFrameHotStyle, FrameStyleInfo())
        .Default(fsFlatBold)
        .Stored(ControllerStored<T>(fcpFrameHotStyle))
        .Set("FrameSides", &E::FrameSides, &E::SetFrameSides, SideInfo())
        .Default(AllSides)
        .Stored(ControllerStored<T>(fcpFrameSides))
        .Enum("FrameStyle", &E::FrameStyle, &E::SetFrameStyle, FrameStyleInfo())
        .Default(fsFlat)
        .Stored(ControllerStored<T>(fcpFrameStyle))
        .Property("FrameVisible", &E::FrameVisible, &E::SetFrameVisible)
        .Default(false)
        .Stored(ControllerStored<T>(fcpFrameVisible))
        .Enum("FramingPreference", &E::FramingPreference, &E::SetFramingPreference, FramingPreferenceInfo())
        .Default(fpXPThemes)
        .Stored(ControllerStored<T>(fcpFramingPreference))
        .Property("ReadOnlyColorOnFocus", &E::ReadOnlyColorOnFocus, &E::SetReadOnlyColorOnFocus)
        .Default(false)
        .Stored(ControllerStored<T>(fcpReadOnlyColorOnFocus))
        .Property("FlatButtons", &E::FlatButtons, &E::SetFlatButtons)
        .Default(false)
        .Stored(ControllerStored<T>(fcpFlatButtons))
        .Property("ReadOnly", &TCustomEdit::ReadOnly, &E::SetReadOnly)
        .Default(false)
        .Property("TabOnEnter", &E::TabOnEnter, &E::SetTabOnEnter)
        .Default(false)
        .Property("AutoSelect", &TCustomEdit::AutoSelect, &TCustomEdit::SetAutoSelect)
        .Default(true)
        .Enum("CharCase", &TCustomEdit::CharCase, &TCustomEdit::SetCharCase, EditCharCaseInfo())
        .Default(ecNormal)
        .Property("Ctl3D", &TCustomEdit::Ctl3D, &TCustomEdit::SetCtl3D)
        .Default(true)
        .Property("HideSelection", &TCustomEdit::HideSelection, &TCustomEdit::SetHideSelection)
        .Default(true)
        .Property("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop)
        .Default(true)
        .Event("OnChange", &TCustomEdit::OnChange)
        .Event("OnMouseEnter", &E::OnMouseEnter)
        .Event("OnMouseLeave", &E::OnMouseLeave)
        // Settings of older versions: read, never written.
        .Property("FrameFlat", [](T&) { return false; }, &E::ReadFrameFlat)
        .Stored(false)
        .Enum("FrameFocusStyle", [](T& e) { return e.FrameHotStyle(); }, &E::ReadFrameFocusStyle, FrameStyleInfo())
        .Stored(false)
        .Retired("FrameFlatStyle")
        .Retired("About");
}
