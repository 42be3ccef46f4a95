#include "controls/TarqProgressBar.h"
#include "controls/TarqRegistration.h"
#include "platform/core/ClassRegistry.h"

namespace {

using B = TTarqProgressBar;

template <class Builder, class G, class S>
Builder& Colour(Builder& builder, const char* name, G get, S set, TColor def)
{
    return builder.Property(name, ColorGetter(get), ColorSetter(set)).Default(ColorProp(def)).Idents(ColorIdents());
}

void RegisterProgressBar()
{
    auto builder = RegisterClass<B, TGraphicControl>("TTarqProgressBar");
    builder.Property("Percent", &B::Percent, &B::SetPercent)
        .Default(uint16_t{0})
        .Property("PartsComplete", &B::PartsComplete, &B::SetPartsComplete)
        .Default(0u)
        .Property("TotalParts", &B::TotalParts, &B::SetTotalParts)
        .Default(0u)
        .Enum("BarStyle", &B::BarStyle, &B::SetBarStyle, BarStyleInfo())
        .Default(bsTraditional)
        .Enum("Orientation", &B::Orientation, &B::SetOrientation, OrientationInfo())
        .Default(orHorizontal)
        .Property("ShowPercent", &B::ShowPercent, &B::SetShowPercent)
        .Default(true)
        .Property("NumSegments", &B::NumSegments, &B::SetNumSegments)
        .Default(20)
        .Property("InteriorOffset", &B::InteriorOffset, &B::SetInteriorOffset)
        .Default(uint8_t{0})
        .Property("ThemeAware", &B::ThemeAware, &B::SetThemeAware)
        .Default(true);
    Colour(builder, "BackColor", &TTarqCustomProgressBar::BackColor, &TTarqCustomProgressBar::SetBackColor, 0xFFFFFF);
    Colour(builder, "BackColorStop", &B::BackColorStop, &B::SetBackColorStop, clBtnFace);
    Colour(builder, "BarColor", &TTarqCustomProgressBar::BarColor, &TTarqCustomProgressBar::SetBarColor, clHighlight);
    Colour(builder, "BarColorStop", &B::BarColorStop, &B::SetBarColorStop, clHotLight);
    builder.Enum("GradientDirection", &B::GradientDirection, &B::SetGradientDirection, GradientDirectionInfo())
        .Default(gdHorizontalCenter)
        .Enum("BorderOuter", &B::BorderOuter, &B::SetBorderOuter, FrameStyleExInfo())
        .Default(fsLowered)
        .Enum("BorderInner", &B::BorderInner, &B::SetBorderInner, FrameStyleExInfo())
        .Default(fsNone)
        .Property("BorderWidth", &B::BorderWidth, &B::SetBorderWidth)
        .Default(0)
        .Property("BevelWidth", &B::BevelWidth, &B::SetBevelWidth)
        .Default(1);
    Colour(builder, "BorderColor", &TTarqCustomProgressBar::BorderColor, &TTarqCustomProgressBar::SetBorderColor,
           clBtnFace);
    Colour(builder, "FlatColor", &TTarqCustomProgressBar::FlatColor, &TTarqCustomProgressBar::SetFlatColor,
           clBtnShadow);
    builder.Property("FlatColorAdjustment", &B::FlatColorAdjustment, &B::SetFlatColorAdjustment)
        .Default(30)
        .Property("FrameController", &B::FrameController, &B::SetFrameController)
        .Set("FrameControllerNotifications", &B::FrameControllerNotifications, &B::SetFrameControllerNotifications,
             FrameControllerPropertyInfo())
        .Default(AllFrameControllerNotifications)
        .Event("OnChange", &TTarqCustomProgressBar::OnChange);
}

} // namespace

void RegisterTarqProgressBarClasses()
{
    static const bool registered = [] {
        RegisterUiClasses();
        RegisterTarqCommonClasses();
        RegisterProgressBar();
        return true;
    }();
    (void)registered;
}
