#include "controls/TarqButton.h"
#include "platform/core/ClassRegistry.h"

const TEnumInfo& ControlButtonStyleInfo()
{
    static const TEnumInfo info{"TTarqControlButtonStyle",
                                {"cbsNone", "cbsLeft", "cbsUp", "cbsRight", "cbsDown", "cbsDropDown"}};
    return info;
}

namespace {

void RegisterControlButton()
{
    using B = TTarqControlButton;
    RegisterClass<B, TGraphicControl>("TTarqControlButton")
        .Property("Color", ColorGetter(&TControl::Color), ColorSetter(&TControl::SetColor))
        .Default(ColorProp(clBtnFace))
        .Idents(ColorIdents())
        .Property("Flat", &B::Flat, &B::SetFlat)
        .Default(false)
        .Property("Glyph", &B::Glyph)
        .Property("NumGlyphs", &B::NumGlyphs, &B::SetNumGlyphs)
        .Default(1)
        .Property("RepeatClicks", &B::RepeatClicks, &B::SetRepeatClicks)
        .Default(false)
        .Property("InitialDelay", &B::InitialDelay, &B::SetInitialDelay)
        .Default(400)
        .Property("Delay", &B::Delay, &B::SetDelay)
        .Default(100)
        .Enum("Style", &B::Style, &B::SetStyle, ControlButtonStyleInfo())
        .Default(cbsNone)
        .Event("OnMouseEnter", &B::OnMouseEnter)
        .Event("OnMouseLeave", &B::OnMouseLeave);
}

} // namespace

void RegisterTarqButtonClasses()
{
    static const bool registered = [] {
        RegisterUiClasses();
        RegisterControlButton();
        return true;
    }();
    (void)registered;
}
