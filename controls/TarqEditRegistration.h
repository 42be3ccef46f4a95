#pragma once
// The published properties the framed edits share, registered on the class
// being built (the plain edit, the spin edit and the button edit).

#include "controls/TarqEdit.h"
#include "controls/TarqFrameRegistration.h"
#include "platform/core/ClassRegistry.h"

// The edit's letter-case setting names.
const TEnumInfo& EditCharCaseInfo();
// taLeftJustify and taRightJustify.
const TEnumInfo& EditAlignmentInfo();

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
            return ColorToRGB(e.FocusColor()) != ColorToRGB(e.Color()) && !e.ControlledByFrameController(fcpFocusColor);
        });
    colour("ReadOnlyColor", &E::ReadOnlyColor, &E::SetReadOnlyColor, clInfoBk, fcpReadOnlyColor);
    colour("FlatButtonColor", &E::FlatButtonColor, &E::SetFlatButtonColor, clBtnFace, fcpFlatButtonColor);
    AddFrameControllerLink<E>(builder);
    AddFrameProperties<E>(builder);
    builder.Property("ReadOnlyColorOnFocus", &E::ReadOnlyColorOnFocus, &E::SetReadOnlyColorOnFocus)
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
        .Retired("About");
}
