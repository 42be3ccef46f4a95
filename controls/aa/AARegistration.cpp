// Published properties of the anti-aliased label and its settings objects.

#include "controls/aa/AACtrls.h"

#include "platform/core/ClassRegistry.h"

#include <mutex>

namespace {

const TEnumInfo AlignmentInfo{"TAlignment", {"taLeftJustify", "taRightJustify", "taCenter"}};
const TEnumInfo TextLayoutInfo{"TTextLayout", {"tlTop", "tlCenter", "tlBottom"}};
const TEnumInfo QualityInfo{"TAAQuality", {"aqHigh", "aqNormal", "aqLow", "aqNone"}};
const TEnumInfo BackGroundModeInfo{"TBackGroundMode", {"bmTiled", "bmStretched", "bmCenter", "bmNormal"}};
const TEnumInfo GradualStyleInfo{
    "TGradualStyle",
    {"gsLeftToRight", "gsRightToLeft", "gsTopToBottom", "gsBottomToTop", "gsCenterToLR", "gsCenterToTB"}};
const TEnumInfo TextureModeInfo{"TTextureMode", {"tmTiled", "tmStretched", "tmCenter", "tmNormal"}};

void RegisterEffectClasses()
{
    RegisterClass<TNotifyClass, TPersistent>("TNotifyClass");
    RegisterClass<TEnabledClass, TNotifyClass>("TEnabledClass")
        .Property("Enabled", &TEnabledClass::Enabled, &TEnabledClass::SetEnabled)
        .Default(false);
    RegisterClass<TAAShadow, TEnabledClass>("TAAShadow")
        .Property("Blur", &TAAShadow::Blur, &TAAShadow::SetBlur)
        .Default(80)
        .Property("Alpha", &TAAShadow::Alpha, &TAAShadow::SetAlpha)
        .Default(70)
        .Property("Color", ColorGetter(&TAAShadow::Color), ColorSetter(&TAAShadow::SetColor))
        .Default(ColorProp(0x00444444))
        .Idents(ColorIdents())
        .Property("OffsetX", &TAAShadow::OffsetX, &TAAShadow::SetOffsetX)
        .Default(2)
        .Property("OffsetY", &TAAShadow::OffsetY, &TAAShadow::SetOffsetY)
        .Default(2);
    RegisterClass<TAAGradual, TEnabledClass>("TAAGradual")
        .Enum("Style", &TAAGradual::Style, &TAAGradual::SetStyle, GradualStyleInfo)
        .Default(gsLeftToRight)
        .Property("StartColor", ColorGetter(&TAAGradual::StartColor), ColorSetter(&TAAGradual::SetStartColor))
        .Default(ColorProp(0x00FFFFFF))
        .Idents(ColorIdents())
        .Property("EndColor", ColorGetter(&TAAGradual::EndColor), ColorSetter(&TAAGradual::SetEndColor))
        .Default(ColorProp(0))
        .Idents(ColorIdents());
    RegisterClass<TAATexture, TEnabledClass>("TAATexture")
        .Property("Picture", &TAATexture::Picture)
        .Enum("Mode", &TAATexture::Mode, &TAATexture::SetMode, TextureModeInfo)
        .Default(tmTiled);
    RegisterClass<TAAEffect, TNotifyClass>("TAAEffect")
        .Property("Alpha", &TAAEffect::Alpha, &TAAEffect::SetAlpha)
        .Default(100)
        .Property("Blur", &TAAEffect::Blur, &TAAEffect::SetBlur)
        .Default(0)
        .Property("Noise", &TAAEffect::Noise, &TAAEffect::SetNoise)
        .Default(0)
        .Property("Spray", &TAAEffect::Spray, &TAAEffect::SetSpray)
        .Default(0)
        .Property("Angle", &TAAEffect::Angle, &TAAEffect::SetAngle)
        .Default(0)
        .Property("Outline", &TAAEffect::Outline, &TAAEffect::SetOutline)
        .Default(false)
        .Property("HorzMirror", &TAAEffect::HorzMirror, &TAAEffect::SetHorzMirror)
        .Default(false)
        .Property("VertMirror", &TAAEffect::VertMirror, &TAAEffect::SetVertMirror)
        .Default(false)
        .Property("Shadow", &TAAEffect::Shadow)
        .Property("Gradual", &TAAEffect::Gradual)
        .Property("Texture", &TAAEffect::Texture);
}

void RegisterLabelClasses()
{
    RegisterClass<TCustomParam, TNotifyClass>("TCustomParam")
        .Enum("Alignment", &TCustomParam::Alignment, &TCustomParam::SetAlignment, AlignmentInfo)
        .Default(taLeftJustify)
        .Enum("Layout", &TCustomParam::Layout, &TCustomParam::SetLayout, TextLayoutInfo)
        .Default(tlTop)
        .Property("Transparent", &TCustomParam::Transparent, &TCustomParam::SetTransparent)
        .Default(false)
        .Property("BackGround", &TCustomParam::BackGround)
        .Enum("BackGroundMode", &TCustomParam::BackGroundMode, &TCustomParam::SetBackGroundMode, BackGroundModeInfo)
        .Default(bmCenter);
    RegisterClass<TAAFontEffect, TCustomParam>("TAAFontEffect")
        .Enum("Quality", &TAAFontEffect::Quality, &TAAFontEffect::SetQuality, QualityInfo)
        .Default(aqNormal)
        .Property("FontEffect", &TAAFontEffect::FontEffect)
        .Property("BackColor", ColorGetter(&TAAFontEffect::BackColor), ColorSetter(&TAAFontEffect::SetBackColor))
        .Idents(ColorIdents())
        .Stored([](const TAAFontEffect& effect) { return !effect.Label()->ParentColor(); });
    RegisterClass<TParentEffect, TPersistent>("TParentEffect")
        .Property("ParentColor", &TParentEffect::ParentColor, &TParentEffect::SetParentColor)
        .Default(true)
        .Property("ParentFont", &TParentEffect::ParentFont, &TParentEffect::SetParentFont)
        .Default(true)
        .Property("ParentShowHint", &TParentEffect::ParentShowHint, &TParentEffect::SetParentShowHint)
        .Default(true);
    RegisterClass<TAAGraphicControl, TGraphicControl>("TAAGraphicControl")
        .Property("AutoSize", &TControl::AutoSize, &TAAGraphicControl::SetAutoSize)
        .Default(true)
        .Property("ParentEffect", &TAAGraphicControl::ParentEffect)
        .Event("OnMouseEnter", &TAAGraphicControl::OnMouseEnter)
        .Event("OnMouseLeave", &TAAGraphicControl::OnMouseLeave);
    RegisterClass<TAALabel, TAAGraphicControl>("TAALabel")
        // The label's colour is written once, as Effect.BackColor.
        .Property("Color", ColorGetter(&TControl::Color), ColorSetter(&TControl::SetColor))
        .Stored(false)
        .Property("Border", &TAAGraphicControl::Border, &TAAGraphicControl::SetBorder)
        .Default(0)
        .Property("Effect", &TAALabel::Effect);
}

} // namespace

void RegisterAAControls()
{
    static std::once_flag once;
    std::call_once(once, [] {
        RegisterUiClasses();
        RegisterEffectClasses();
        RegisterLabelClasses();
    });
}
