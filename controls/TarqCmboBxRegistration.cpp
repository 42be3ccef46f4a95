#include "controls/TarqCmboBx.h"
#include "controls/TarqFrameRegistration.h"
#include "controls/TarqRegistration.h"
#include "platform/core/ClassRegistry.h"
#include "platform/ui/StandardControlsRegistration.h"

namespace {

using C = TTarqComboBox;

void AddColours(TClassBuilder<C>& builder)
{
    using B = TTarqCustomComboBox;
    auto colour = [&builder](const char* name, TColor (B::*get)() const, void (B::*set)(TColor), TColor def,
                             TTarqFrameControllerProperty property) {
        builder.Property(name, ColorGetter(get), ColorSetter(set))
            .Default(ColorProp(def))
            .Idents(ColorIdents())
            .Stored(ControllerStored<C>(property));
    };
    builder.Property("Color", ColorGetter(&TControl::Color), ColorSetter(&TControl::SetColor))
        .Default(ColorProp(clWindow))
        .Idents(ColorIdents())
        .Stored([](const C& c) { return c.Enabled() && !c.ParentColor() && !c.ControlledByFrameController(fcpColor); });
    colour("DisabledColor", &B::DisabledColor, &B::SetDisabledColor, clBtnFace, fcpDisabledColor);
    builder.Property("FocusColor", ColorGetter(&B::FocusColor), ColorSetter(&B::SetFocusColor))
        .Default(ColorProp(clWindow))
        .Idents(ColorIdents())
        .Stored([](const C& c) {
            return ColorToRGB(c.FocusColor()) != ColorToRGB(c.Color()) && !c.ControlledByFrameController(fcpFocusColor);
        });
    colour("ReadOnlyColor", &B::ReadOnlyColor, &B::SetReadOnlyColor, clInfoBk, fcpReadOnlyColor);
    colour("FlatButtonColor", &B::FlatButtonColor, &B::SetFlatButtonColor, clBtnFace, fcpFlatButtonColor);
}

void AddFrame(TClassBuilder<C>& builder)
{
    using B = TTarqCustomComboBox;
    AddFrameControllerLink<B>(builder);
    AddFrameProperties<B>(builder);
    builder.Property("ReadOnlyColorOnFocus", &B::ReadOnlyColorOnFocus, &B::SetReadOnlyColorOnFocus)
        .Default(false)
        .Stored(ControllerStored<C>(fcpReadOnlyColorOnFocus))
        .Property("FlatButtons", &B::FlatButtons, &B::SetFlatButtons)
        .Default(false)
        .Stored(ControllerStored<C>(fcpFlatButtons))
        .Retired("About");
}

void AddBehaviour(TClassBuilder<C>& builder)
{
    using B = TTarqCustomComboBox;
    builder.Property("AllowEdit", &B::AllowEdit, &B::SetAllowEdit)
        .Default(true)
        .Property("AutoComplete", &B::AutoComplete, &B::SetAutoComplete)
        .Default(true)
        .Property("BeepOnInvalidKey", &B::BeepOnInvalidKey, &B::SetBeepOnInvalidKey)
        .Default(true)
        .Property("DropDownWidth", &B::DropDownWidth, &B::SetDropDownWidth)
        .Default(0)
        .Property("ItemHeight", &TCustomComboBox::ItemHeight, &B::SetOwnerDrawItemHeight)
        .Property("KeepSearchCase", &B::KeepSearchCase, &B::SetKeepSearchCase)
        .Default(false)
        .Property("ReadOnly", &B::ReadOnly, &B::SetReadOnly)
        .Default(false)
        .Property("TabOnEnter", &B::TabOnEnter, &B::SetTabOnEnter)
        .Default(false)
        .Property("Values", [](C& c) -> TStrings* { return c.Values(); })
        .Event("OnDeleteItem", &B::OnDeleteItem)
        .Event("OnMatch", &B::OnMatch)
        .Event("OnMouseEnter", &B::OnMouseEnter)
        .Event("OnMouseLeave", &B::OnMouseLeave)
        .Event("OnMouseWheel", &TWinControl::OnMouseWheel)
        .Event("OnMouseWheelDown", &B::OnMouseWheelDown)
        .Event("OnMouseWheelUp", &B::OnMouseWheelUp)
        .Event("OnNotInList", &B::OnNotInList)
        .Event("OnSelEndCancel", &B::OnSelEndCancel)
        .Event("OnSelEndOk", &B::OnSelEndOk);
}

} // namespace

void RegisterTarqComboBoxClasses()
{
    static const bool registered = [] {
        RegisterStandardControls();
        RegisterTarqCommonClasses();
        auto builder = RegisterClass<C, TCustomComboBox>("TTarqComboBox");
        AddColours(builder);
        AddFrame(builder);
        AddBehaviour(builder);
        return true;
    }();
    (void)registered;
}
