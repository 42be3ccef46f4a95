#include "controls/TarqRadChk.h"
#include "controls/TarqRegistration.h"
#include "platform/core/ClassRegistry.h"

const TEnumInfo& CheckBoxStateInfo()
{
    static const TEnumInfo info{"TCheckBoxState", {"cbUnchecked", "cbChecked", "cbGrayed"}};
    return info;
}

const TEnumInfo& LeftRightInfo()
{
    static const TEnumInfo info{"TLeftRight", {"taLeftJustify", "taRightJustify"}};
    return info;
}

namespace {

using C = TTarqCheckBox;

template <class B>
B& Colour(B& builder, const char* name, TColor (C::*get)() const, void (C::*set)(TColor), TColor def)
{
    return builder.Property(name, ColorGetter(get), ColorSetter(set)).Default(ColorProp(def)).Idents(ColorIdents());
}

void RegisterCaptionStyle(TClassBuilder<C>& builder)
{
    builder.Property("LightTextStyle", &C::LightTextStyle, &C::SetLightTextStyle)
        .Default(false)
        .Enum("TextStyle", &C::TextStyle, &C::SetTextStyle, TextStyleInfo())
        .Default(tsNormal);
    Colour(builder, "TextHighlightColor", &C::TextHighlightColor, &C::SetTextHighlightColor, clBtnHighlight);
    Colour(builder, "TextShadowColor", &C::TextShadowColor, &C::SetTextShadowColor, clBtnShadow);
    builder.Property("TextShadowDepth", &C::TextShadowDepth, &C::SetTextShadowDepth).Default(2);
}

void RegisterGlyphColours(TClassBuilder<C>& builder)
{
    Colour(builder, "TransparentColor", &C::TransparentColor, &C::SetTransparentColor, clOlive);
    Colour(builder, "WinMaskColor", &C::WinMaskColor, &C::SetWinMaskColor, clLime);
    Colour(builder, "FillColor", &C::FillColor, &C::SetFillColor, clWindow);
    Colour(builder, "FocusColor", &C::FocusColor, &C::SetFocusColor, clWindow);
    Colour(builder, "FrameColor", &C::FrameColor, &C::SetFrameColor, clBtnShadow);
    Colour(builder, "DisabledColor", &C::DisabledColor, &C::SetDisabledColor, clBtnFace);
    Colour(builder, "HighlightColor", &C::HighlightColor, &C::SetHighlightColor, clHighlight);
    Colour(builder, "ReadOnlyColor", &C::ReadOnlyColor, &C::SetReadOnlyColor, clInfoBk);
}

void RegisterHotTracking(TClassBuilder<C>& builder)
{
    builder.Property("HotTrack", &C::HotTrack, &C::SetHotTrack).Default(false);
    Colour(builder, "HotTrackColor", &C::HotTrackColor, &C::SetHotTrackColor, 0x00149BF0);
    builder.Enum("HotTrackColorType", &C::HotTrackColorType, &C::SetHotTrackColorType, HotTrackColorTypeInfo())
        .Default(htctActual)
        .Enum("HotTrackStyle", &C::HotTrackStyle, &C::SetHotTrackStyle, ButtonHotTrackStyleInfo())
        .Default(htsInterior)
        // Older versions stored "Flat" for hot tracking: read, never written.
        .Property(
            "Flat", [](C&) { return false; }, &C::SetHotTrack)
        .Stored(false);
}

void RegisterCheckBox()
{
    auto builder = RegisterClass<C, TCustomControl>("TTarqCheckBox");
    builder.Enum("Alignment", &C::Alignment, &C::SetAlignment, LeftRightInfo())
        .Default(taRightJustify)
        .Enum("AlignmentVertical", &C::AlignmentVertical, &C::SetAlignmentVertical, AlignmentVerticalInfo())
        .Default(avTop)
        .Property("AllowGrayed", &C::AllowGrayed, &C::SetAllowGrayed)
        .Default(false)
        .Property("Checked", &C::Checked, &C::SetChecked)
        .Default(false)
        .Stored([](const C& c) { return c.CheckedStored(); })
        .Enum("State", &C::State, &C::SetState, CheckBoxStateInfo())
        .Default(cbUnchecked)
        .Property("CustomGlyphs", &C::CustomGlyphs)
        .Property("UseCustomGlyphs", &C::UseCustomGlyphs, &C::SetUseCustomGlyphs)
        .Default(false)
        .Property("ReadOnly", &C::ReadOnly, &C::SetReadOnly)
        .Default(false)
        .Property("ReadOnlyColorOnFocus", &C::ReadOnlyColorOnFocus, &C::SetReadOnlyColorOnFocus)
        .Default(false)
        .Property("FrameController", &C::FrameController, &C::SetFrameController)
        .Set("FrameControllerNotifications", &C::FrameControllerNotifications, &C::SetFrameControllerNotifications,
             FrameControllerPropertyInfo())
        .Default(AllFrameControllerNotifications)
        .Property("TabOnEnter", &C::TabOnEnter, &C::SetTabOnEnter)
        .Default(false)
        .Property("Transparent", &C::Transparent, &C::SetTransparent)
        .Default(false)
        .Property("Color", ColorGetter(&TControl::Color), ColorSetter(&TControl::SetColor))
        .Default(ColorProp(clWindow))
        .Idents(ColorIdents())
        .Stored([](const C& c) { return !c.ParentColor(); })
        .Property("ParentColor", &TControl::ParentColor, &TControl::SetParentColor)
        .Default(true)
        .Property("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop)
        .Default(true)
        .Event("OnMouseEnter", &C::OnMouseEnter)
        .Event("OnMouseLeave", &C::OnMouseLeave);
    RegisterCaptionStyle(builder);
    RegisterGlyphColours(builder);
    RegisterHotTracking(builder);
}

} // namespace

void RegisterTarqRadChkClasses()
{
    static const bool registered = [] {
        RegisterUiClasses();
        RegisterTarqCommonClasses();
        RegisterCheckBox();
        return true;
    }();
    (void)registered;
}
