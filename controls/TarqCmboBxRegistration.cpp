#include "controls/TarqCmboBx.h"
#include "controls/TarqRegistration.h"
#include "platform/core/ClassRegistry.h"
#include "platform/ui/StandardControlsRegistration.h"

namespace {

using C = TTarqComboBox;

// The frame-related settings are written unless a linked frame controller
// supplies them.
auto ControllerStored(TTarqFrameControllerProperty property)
{
    return [property](const C& combo) { return !combo.ControlledByFrameController(property); };
}

void AddColours(TClassBuilder<C>& builder)
{
    using B = TTarqCustomComboBox;
    auto colour = [&builder](const char* name, TColor (B::*get)() const, void (B::*set)(TColor), TColor def,
                             TTarqFrameControllerProperty property) {
        builder.Property(name, ColorGetter(get), ColorSetter(set))
            .Default(ColorProp(def))
            .Idents(ColorIdents())
            .Stored(ControllerStored(property));
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
    colour("FrameColor", &B::FrameColor, &B::SetFrameColor, clBtnShadow, fcpFrameColor);
    colour("FrameHotColor", &B::FrameHotColor, &B::SetFrameHotColor, clBtnShadow, fcpFrameHotColor);
    colour("ReadOnlyColor", &B::ReadOnlyColor, &B::SetReadOnlyColor, clInfoBk, fcpReadOnlyColor);
    colour("FlatButtonColor", &B::FlatButtonColor, &B::SetFlatButtonColor, clBtnFace, fcpFlatButtonColor);
}

void AddFrame(TClassBuilder<C>& builder)
{
    using B = TTarqCustomComboBox;
    builder.Property("FrameController", &B::FrameController, &B::SetFrameController)
        .Set("FrameControllerNotifications", &B::FrameControllerNotifications, &B::SetFrameControllerNotifications,
             FrameControllerPropertyInfo())
        .Default(AllFrameControllerNotifications)
        .Property("FrameHotTrack", &B::FrameHotTrack, &B::SetFrameHotTrack)
        .Default(false)
        .Stored(ControllerStored(fcpFrameHotTrack))
        .Enum("FrameHotStyle", &B::FrameHotStyle, &B::SetFrameHotStyle, FrameStyleInfo())
        .Default(fsFlatBold)
        .Stored(ControllerStored(fcpFrameHotStyle))
        .Set("FrameSides", &B::FrameSides, &B::SetFrameSides, SideInfo())
        .Default(AllSides)
        .Stored(ControllerStored(fcpFrameSides))
        .Enum("FrameStyle", &B::FrameStyle, &B::SetFrameStyle, FrameStyleInfo())
        .Default(fsFlat)
        .Stored(ControllerStored(fcpFrameStyle))
        .Property("FrameVisible", &B::FrameVisible, &B::SetFrameVisible)
        .Default(false)
        .Stored(ControllerStored(fcpFrameVisible))
        .Enum("FramingPreference", &B::FramingPreference, &B::SetFramingPreference, FramingPreferenceInfo())
        .Default(fpXPThemes)
        .Stored(ControllerStored(fcpFramingPreference))
        .Property("ReadOnlyColorOnFocus", &B::ReadOnlyColorOnFocus, &B::SetReadOnlyColorOnFocus)
        .Default(false)
        .Stored(ControllerStored(fcpReadOnlyColorOnFocus))
        .Property("FlatButtons", &B::FlatButtons, &B::SetFlatButtons)
        .Default(false)
        .Stored(ControllerStored(fcpFlatButtons))
        // Settings of older versions: read, never written.
        .Property("FrameFlat", [](C&) { return false; }, &B::ReadFrameFlat)
        .Stored(false)
        .Enum("FrameFocusStyle", [](C& c) { return c.FrameHotStyle(); }, &B::ReadFrameFocusStyle, FrameStyleInfo())
        .Stored(false)
        .Retired("FrameFlatStyle")
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
