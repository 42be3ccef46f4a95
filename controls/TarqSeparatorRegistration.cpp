#include "controls/TarqRegistration.h"
#include "controls/TarqSeparator.h"
#include "platform/core/ClassRegistry.h"

namespace {

void RegisterSeparator()
{
    using S = TTarqSeparator;
    RegisterClass<S, TGraphicControl>("TTarqSeparator")
        .Property("HighlightColor", ColorGetter(&S::HighlightColor), ColorSetter(&S::SetHighlightColor))
        .Default(ColorProp(clHighlight))
        .Idents(ColorIdents())
        .Enum("HighlightLocation", &S::HighlightLocation, &S::SetHighlightLocation, HighlightLocationInfo())
        .Default(hlCenter)
        .Enum("Orientation", &S::Orientation, &S::SetOrientation, OrientationInfo())
        .Default(orHorizontal)
        .Property("ShowGradient", &S::ShowGradient, &S::SetShowGradient) // always stored
        .Property("Color", ColorGetter(&TControl::Color), ColorSetter(&TControl::SetColor))
        .Default(ColorProp(clBtnFace))
        .Idents(ColorIdents())
        .Stored([](const S& s) { return !s.ParentColor(); })
        .Property("Width", &TControl::Width, &TControl::SetWidth)
        .Default(200)
        .Property("Height", &TControl::Height, &TControl::SetHeight)
        .Default(2);
}

} // namespace

void RegisterTarqSeparatorClasses()
{
    static const bool registered = [] {
        RegisterUiClasses();
        RegisterSeparator();
        return true;
    }();
    (void)registered;
}
