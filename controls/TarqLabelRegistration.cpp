#include "controls/TarqLabel.h"
#include "controls/TarqRegistration.h"
#include "platform/core/ClassRegistry.h"

namespace {

using L = TTarqLabel;

template <class Builder>
Builder& Colour(Builder& builder, const char* name, TColor (L::*get)() const, void (L::*set)(TColor), TColor def)
{
    return builder.Property(name, ColorGetter(get), ColorSetter(set)).Default(ColorProp(def)).Idents(ColorIdents());
}

void RegisterLabel()
{
    auto builder = RegisterClass<L, TGraphicControl>("TTarqLabel");
    builder.Property("Angle", &L::Angle, &L::SetAngle)
        .Default(0)
        .Enum("Rotation", &L::Rotation, &L::SetRotation, RotationInfo())
        .Default(roNone)
        .Enum("CenterPoint", &L::CenterPoint, &L::SetCenterPoint, CenterPointInfo())
        .Default(cpCenter)
        .Enum("TextStyle", &L::TextStyle, &L::SetTextStyle, TextStyleInfo())
        .Default(tsNormal)
        .Property("LightTextStyle", &L::LightTextStyle, &L::SetLightTextStyle)
        .Default(false);
    Colour(builder, "HighlightColor", &L::HighlightColor, &L::SetHighlightColor, clBtnHighlight);
    Colour(builder, "ShadowColor", &L::ShadowColor, &L::SetShadowColor, clBtnShadow);
    builder.Property("ShadowDepth", &L::ShadowDepth, &L::SetShadowDepth)
        .Default(2)
        .Property("TextMargin", &L::TextMargin, &L::SetTextMargin)
        .Default(0)
        .Enum("CondenseCaption", &L::CondenseCaption, &L::SetCondenseCaption, CondenseCaptionInfo())
        .Default(ccNone)
        .Property("Blinking", &L::Blinking, &L::SetBlinking)
        .Default(false);
    Colour(builder, "BlinkColor", &L::BlinkColor, &L::SetBlinkColor, clHighlight);
    builder.Property("BlinkIntervalOn", &L::GetBlinkIntervalOn, &L::SetBlinkIntervalOn)
        .Default(uint16_t{500})
        .Property("BlinkIntervalOff", &L::GetBlinkIntervalOff, &L::SetBlinkIntervalOff)
        .Default(uint16_t{500})
        .Property("FlyByEnabled", &L::FlyByEnabled, &L::SetFlyByEnabled)
        .Default(false);
    Colour(builder, "FlyByColor", &L::FlyByColor, &L::SetFlyByColor, clHighlight);
    builder.Enum("BorderOuter", &L::BorderOuter, &L::SetBorderOuter, FrameStyleExInfo())
        .Default(fsNone)
        .Enum("BorderInner", &L::BorderInner, &L::SetBorderInner, FrameStyleExInfo())
        .Default(fsNone)
        .Set("BorderSides", &L::BorderSides, &L::SetBorderSides, SideInfo())
        .Default(AllSides)
        .Property("BorderWidth", &L::BorderWidth, &L::SetBorderWidth)
        .Default(0)
        .Property("BevelWidth", &L::BevelWidth, &L::SetBevelWidth)
        .Default(1);
    Colour(builder, "BorderColor", &L::BorderColor, &L::SetBorderColor, clBtnFace);
    Colour(builder, "BorderHighlight", &L::BorderHighlight, &L::SetBorderHighlight, clBtnHighlight);
    Colour(builder, "BorderShadow", &L::BorderShadow, &L::SetBorderShadow, clBtnShadow);
    Colour(builder, "FlatColor", &L::FlatColor, &L::SetFlatColor, clBtnShadow);
    builder.Property("FlatColorAdjustment", &L::FlatColorAdjustment, &L::SetFlatColorAdjustment)
        .Default(30)
        .Property("FrameController", &L::FrameController, &L::SetFrameController)
        .Set("FrameControllerNotifications", &L::FrameControllerNotifications, &L::SetFrameControllerNotifications,
             FrameControllerPropertyInfo())
        .Default(AllFrameControllerNotifications)
        .Enum("Layout", &L::Layout, &L::SetLayout, TextLayoutInfo())
        .Default(tlTop)
        .Enum("Alignment", &L::Alignment, &L::SetAlignment, AlignmentInfo())
        .Default(taLeftJustify)
        .Property("AutoSize", &TControl::AutoSize, &L::SetAutoSize)
        .Default(true)
        .Property("ShowAccelChar", &L::ShowAccelChar, &L::SetShowAccelChar)
        .Default(true)
        .Property("Transparent", &L::Transparent, &L::SetTransparent)
        .Default(false)
        .Property("WordWrap", &L::WordWrap, &L::SetWordWrap)
        .Default(false)
        .Property("FocusControl", &L::FocusControl, &L::SetFocusControl)
        .Property("Color", ColorGetter(&TControl::Color), ColorSetter(&TControl::SetColor))
        .Default(ColorProp(clBtnFace))
        .Idents(ColorIdents())
        .Stored([](const L& l) { return !l.ParentColor(); })
        .Property("ParentColor", &TControl::ParentColor, &TControl::SetParentColor)
        .Default(true)
        .Event("OnMouseEnter", &L::OnMouseEnter)
        .Event("OnMouseLeave", &L::OnMouseLeave)
        // A setting of older versions: read, never written.
        .Retired("FrameSides");
}

} // namespace

void RegisterTarqLabelClasses()
{
    static const bool registered = [] {
        RegisterUiClasses();
        RegisterTarqCommonClasses();
        RegisterLabel();
        return true;
    }();
    (void)registered;
}
